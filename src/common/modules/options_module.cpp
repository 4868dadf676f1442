// The installable options and trays module: its hooks. Its tables and the switching of an
// option line are in tray_tables.h.
#include "context/module_hooks.h"

std::int32_t OptionsModuleItem(DriverContext*, WORD, void*) { return 0; }

// PENDING: the options module's own page handlers answer the option page's control messages
// here (page 1011: the option list, the tray list view and its detail controls); until they
// come every message goes on to the control kinds.
std::int32_t OptionsModuleMessage(DriverContext*, PageRecord*, ControlRecord*, DWORD, WPARAM, LPARAM, void*) {
  return 0;
}

std::int32_t OptionsModuleEvent(DriverContext*, DWORD, void*, void*) { return 0; }
