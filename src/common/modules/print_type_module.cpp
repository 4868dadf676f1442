// The print type, initial settings and utility module: its hooks into the settings model.
#include "context/module_services.h"
#include "modules/module_hooks.h"

// PENDING: the print-type module's issue builds its built-in functions and page messages.
std::int32_t PrintTypeModuleItem(DriverContext*, WORD, void*) { return 0; }

std::int32_t PrintTypeModuleMessage(DriverContext*, PageRecord*, ControlRecord*, DWORD, WPARAM, LPARAM, void*) {
  return 0;
}

// Event 30 keeps disabled resolutions out of the capability list (answer 0); event 54
// selects the smaller default output paper (answer 1).
// PENDING: the print-type module's issue adds events 32, 53 and the rendering events 34,
// 35, 66 and 67.
std::int32_t PrintTypeModuleEvent(DriverContext*, DWORD event, void* block, void*) {
  if (!block) return 0;
  if (event == MODEV_RESOLUTION_LIST) {
    *static_cast<std::int32_t*>(block) = 0;
    return 1;
  }
  if (event == MODEV_SMALL_PAPER) {
    *static_cast<DWORD*>(block) = 1;
    return 1;
  }
  return 0;
}

std::int32_t PrintTypeModuleEventRendering(DriverContext* context, DWORD event, void* block, void* privateData) {
  switch (event) {
    case 30: case 32: case 34: case 35: case 54: case 66: case 67:
      return PrintTypeModuleEvent(context, event, block, privateData);
    default:
      return 0;
  }
}
