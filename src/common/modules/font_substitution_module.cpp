// The font substitution module: its hooks into the settings model.
#include "modules/module_hooks.h"

// PENDING: the font substitution module's issue builds this module's built-in functions, page messages and
// events; until then it handles nothing and every hook answers 0.
std::int32_t FontSubstitutionModuleItem(DriverContext*, WORD, void*) { return 0; }

std::int32_t FontSubstitutionModuleMessage(DriverContext*, PageRecord*, ControlRecord*, DWORD, WPARAM, LPARAM, void*) {
  return 0;
}

std::int32_t FontSubstitutionModuleEvent(DriverContext*, DWORD, void*, void*) { return 0; }
