// The control-message hook of every module in the deliverables that have no property pages.
#include "context/module_hooks.h"

std::int32_t NoControlMessages(DriverContext*, PageRecord*, ControlRecord*, DWORD, WPARAM, LPARAM, void*) {
  return 0;
}
