// The chapter module: its hooks into the settings model.
#include "context/memory.h"
#include "modules/module_hooks.h"

// PENDING: the chapter module's issue builds its built-in functions and page messages.
std::int32_t ChapterModuleItem(DriverContext*, WORD, void*) { return 0; }

std::int32_t ChapterModuleMessage(DriverContext*, PageRecord*, ControlRecord*, DWORD, WPARAM, LPARAM, void*) {
  return 0;
}

// Event 1 starts the module without a saved chapter list; event 2 frees the list (the
// context's settings are gone by then, so nothing else is read). Neither stops the walk:
// the modules after this one see both events as well.
// PENDING: the chapter module's issue adds events 6, 11, 13 and 24.
std::int32_t ChapterModuleEvent(DriverContext*, DWORD event, void*, void* privateData) {
  auto* data = static_cast<ChapterModuleData*>(privateData);
  if (!data) return 0;
  if (event == MODEV_LOAD) {
    data->savedList = nullptr;
  } else if (event == MODEV_FREE) {
    FreeMem(data->savedList);
    data->savedList = nullptr;
  }
  return 0;
}
