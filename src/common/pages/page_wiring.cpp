// Steps of particular pages, with the least behaviour the page engine needs.
#include "context/page_wiring.h"

#include "base/driver_context.h"

// PENDING: the page-specific wiring (the stamp and tray pages' WM_INITDIALOG, tray status
// labels, preset save, closing checks) replaces these; until then no page has a step of its
// own: nothing is handled, nothing is re-initialised and every page may close.
std::int32_t HandleKnownPageMessage(DriverContext*, PageRecord*, ControlRecord*, DWORD, WPARAM, LPARAM) { return 0; }
void ReinitPresetNameControls(DriverContext*, PageRecord*) {}
void ReinitDuplexChoices(DriverContext*, PageRecord*) {}
int RunPageClosingCheck(DriverContext*, PageRecord*, ControlRecord*, WORD) { return 1; }
void RunSavePresetCommand(DriverContext*, PageRecord*, WORD) {}
void RunPresetPageStep(DriverContext*, PageRecord*) {}
