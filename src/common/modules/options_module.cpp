// The installable options and trays module: its hooks. Its tables and the switching of an
// option line are in tray_tables.h.
#include "modules/module_hooks.h"

std::int32_t OptionsModuleItem(DriverContext*, WORD, void*) { return 0; }

// PENDING: the option page's control messages (page 1011: the option list, the tray list
// view and its detail controls) come with the page engine.
std::int32_t OptionsModuleMessage(DriverContext*, PageRecord*, ControlRecord*, DWORD, WPARAM, LPARAM, void*) {
  return 0;
}

std::int32_t OptionsModuleEvent(DriverContext*, DWORD, void*, void*) { return 0; }
