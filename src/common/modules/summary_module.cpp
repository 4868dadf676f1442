// The settings summary module: its hooks into the settings model.
#include "modules/module_hooks.h"

// PENDING: the settings summary module's issue builds this module's built-in functions, page messages and
// events; until then it handles nothing and every hook answers 0.
std::int32_t SummaryModuleItem(DriverContext*, WORD, void*) { return 0; }

std::int32_t SummaryModuleMessage(DriverContext*, PageRecord*, ControlRecord*, DWORD, WPARAM, LPARAM, void*) {
  return 0;
}

std::int32_t SummaryModuleEvent(DriverContext*, DWORD, void*, void*) { return 0; }
