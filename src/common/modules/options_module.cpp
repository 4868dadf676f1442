// The installable options and trays module: its hooks. Its tables and the switching of an
// option line are in tray_tables.h.
#include "context/module_hooks.h"

std::int32_t OptionsModuleItem(DriverContext*, WORD, void*) { return 0; }

std::int32_t OptionsModuleEvent(DriverContext*, DWORD, void*, void*) { return 0; }
