// Steps of particular pages that the page engine calls at fixed points: the page code's own
// message handler, the re-initialisation of the choices that hang on presets, trays and
// paper, the save-preset commands, the preset step of the first page and the closing
// checks.
#pragma once

#include <cstdint>

#include "base/dictionary_pages.h"
#include "win/types.h"

struct DriverContext;

// One (page, control) pair of a re-initialisation list; a list ends with page id 0.
struct PageControlPair {
  WORD pageId;
  WORD controlId;
};

// The page code's own handling of a page message: the stamp check box's text on page 1003
// and the feed-direction labels on page 1011 at WM_INITDIALOG. Always 0, so the modules
// still see the message.
std::int32_t HandleKnownPageMessage(DriverContext* context, PageRecord* page, ControlRecord* control, DWORD message,
                                    WPARAM wParam, LPARAM lParam);
// Every listed control whose page has a window and which exists on it is filled again.
void ReinitControls(DriverContext* context, const PageControlPair* list);
void ReinitSourceTrayChoices(DriverContext* context);
void ReinitPaperSizeChoices(DriverContext* context);
void ReinitOutputChoices(DriverContext* context);
void ReinitDuplexChoices(DriverContext* context, PageRecord* page);
// The preset name controls of every open page; the maintenance and icon lists fall back to
// preset 0 when the selected preset no longer exists.
void ReinitPresetNameControls(DriverContext* context, PageRecord* page);
// The watermark combo of page 1003 emptied and filled again while a watermark is selected.
void ReinitWatermarkChoice(DriverContext* context);
// The first preset whose name repeats an earlier one's, posted to the page window
// (PAGEMSG_PRESET_SELECT with its index); -1 when every name is unique.
int PostPresetSelection(DriverContext* context, HWND pageWindow);
// The closing check of pages 1007, 1011, 1017, 1023, 1037 and 1041; 1 when the page may
// close.
int RunPageClosingCheck(DriverContext* context, PageRecord* page, ControlRecord* closing, WORD command);
// The save-preset command: 22222 saves into the preset with the typed name, any other id
// saves as a preset (a new one when none is selected). `received` is the id the command
// arrived with: 11111 and 22222 (the sheet's relabelled buttons) then press the sheet's OK.
void RunSavePresetCommand(DriverContext* context, PageRecord* page, WORD command, WORD received);
// The preset step of page 1001 after a handled command: the preset applied again with the
// tray, media, output tray and colour choices kept.
void RunPresetPageStep(DriverContext* context, PageRecord* page);

// Tray status labels: what paper lies in a tray. Mode 0 shows the tray name, paper size,
// orientation and media, mode 1 the tray name, paper size and orientation, mode 2 the tray
// name only. Tray 29 (the external tray) has no orientation. 1 when the message was
// handled (WM_ERASEBKGND and WM_PAINT).
int PaintTrayStatusLabel(DriverContext* context, PageRecord* page, ControlRecord* label, UINT message, WORD tray,
                         int mode);
int PaintTrayStatusLabelMode0(DriverContext* context, PageRecord* page, ControlRecord* label, UINT message, WORD tray);
int PaintTrayStatusLabelMode1(DriverContext* context, PageRecord* page, ControlRecord* label, UINT message, WORD tray);
int PaintTrayStatusLabelMode2(DriverContext* context, PageRecord* page, ControlRecord* label, UINT message, WORD tray);
// The label's tray from the tray label table, painted in mode 0; without a label, on
// WM_ERASEBKGND, the first visible label of the table on the page. 0 for a missing or hidden
// label or a control the table does not name.
int PaintTrayStatusById(DriverContext* context, PageRecord* page, ControlRecord* label, UINT message);
// The tray of a label of the tray label table, or -1.
int TrayOfStatusLabel(WORD labelId);
// The orientation picture of a tray (6193 or 6194), 0 for the external tray.
WORD TrayOrientationPicture(DriverContext* context, WORD tray);
