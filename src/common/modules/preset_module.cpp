// The preset module: its hooks into the settings model.
#include "modules/module_hooks.h"

// PENDING: the preset module's issue builds this module's built-in functions, page messages and
// events; until then it handles nothing and every hook answers 0.
std::int32_t PresetModuleItem(DriverContext*, WORD, void*) { return 0; }

std::int32_t PresetModuleMessage(DriverContext*, PageRecord*, ControlRecord*, DWORD, WPARAM, LPARAM, void*) {
  return 0;
}

std::int32_t PresetModuleEvent(DriverContext*, DWORD, void*, void*) { return 0; }
