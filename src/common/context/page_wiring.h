// Steps of particular pages that the page engine calls at fixed points: the page code's own
// message handler, the preset name controls, the duplex choices and the closing checks.
#pragma once

#include <cstdint>

#include "base/dictionary_pages.h"
#include "win/types.h"

struct DriverContext;

// The page code's own handling of a page message; nonzero when it handled it.
std::int32_t HandleKnownPageMessage(DriverContext* context, PageRecord* page, ControlRecord* control, DWORD message,
                                    WPARAM wParam, LPARAM lParam);
void ReinitPresetNameControls(DriverContext* context, PageRecord* page);
void ReinitDuplexChoices(DriverContext* context, PageRecord* page);
// The closing check of pages 1007, 1011, 1017, 1023, 1037 and 1041; 1 when the page may
// close.
int RunPageClosingCheck(DriverContext* context, PageRecord* page, ControlRecord* closing, WORD command);
// The save-preset command (11111 and 22222).
void RunSavePresetCommand(DriverContext* context, PageRecord* page, WORD command);
// The preset step of page 1001 after a handled command.
void RunPresetPageStep(DriverContext* context, PageRecord* page);
