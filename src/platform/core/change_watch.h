// What the change notifications share: waitable objects whose signal comes from the
// stores' change counters (store_changes.h), checked when they are waited for.
#pragma once

#include <initializer_list>

#include "core/store_changes.h"
#include "win/types.h"

namespace plat::changes {

// A new notification handle that is signalled once any of the stores moved past the
// mark it holds, and stays signalled until ResetChangeHandle; kind tells the closing
// functions apart (a folder's and a printer's notifications).
enum class WatchKind { Folder, Printer };
HANDLE NewChangeHandle(WatchKind kind, std::initializer_list<Store> stores, DWORD filter);
// Takes the current marks: the handle fires at the next change. False (last error set)
// when the handle is not one of that kind; *fired tells whether it had fired.
bool ResetChangeHandle(HANDLE h, WatchKind kind, bool* fired, DWORD* filter);
// Closes a notification handle of that kind; false (last error set) otherwise.
bool CloseChangeHandle(HANDLE h, WatchKind kind);

// Sets the event (made by CreateEventW) at the first wait that finds the store moved past
// since; the request ends then. False when the handle is not an event.
bool SetEventOnChange(HANDLE event, Store store, Mark since);

}  // namespace plat::changes
