// The user quality and colour profile module: its hooks into the settings model.
#include "modules/module_hooks.h"

// PENDING: the user-quality module's issue builds this module's built-in functions, page messages and
// events; until then it handles nothing and every hook answers 0.
std::int32_t UserQualityModuleItem(DriverContext*, WORD, void*) { return 0; }

std::int32_t UserQualityModuleMessage(DriverContext*, PageRecord*, ControlRecord*, DWORD, WPARAM, LPARAM, void*) {
  return 0;
}

std::int32_t UserQualityModuleEvent(DriverContext*, DWORD, void*, void*) { return 0; }
