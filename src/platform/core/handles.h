// One handle space for every object the platform hands out: files, find searches,
// mappings, mutexes, registry keys, printers, modules, tokens.
#pragma once

#include <memory>

#include "plat/system.h"
#include "win/types.h"

namespace plat {

enum class ObjectKind { File, Find, Mapping, Mutex, Event, Key, Printer, Module, Token, Other };

// Kernel objects that WaitForSingleObject can wait on implement this beside KernelObject.
class Waitable {
 public:
  virtual ~Waitable() = default;
  // One of the WAIT_ answers; sets the last error for WAIT_FAILED.
  virtual DWORD Wait(DWORD milliseconds) = 0;
};

class KernelObject {
 public:
  virtual ~KernelObject() = default;
  virtual ObjectKind Kind() const = 0;
};

// Adds an object and returns its new handle (never null, never INVALID_HANDLE_VALUE).
HANDLE InsertHandle(std::shared_ptr<KernelObject> object);
// The object behind a handle, or null for an unknown handle.
std::shared_ptr<KernelObject> LookupHandle(HANDLE h);
// The object when it is of the kind asked for; null otherwise.
template <class T>
std::shared_ptr<T> LookupHandleAs(HANDLE h, ObjectKind kind) {
  auto obj = LookupHandle(h);
  if (!obj || obj->Kind() != kind) return nullptr;
  return std::static_pointer_cast<T>(obj);
}
// Removes a handle; false when it was unknown. The object lives on while others use it.
bool RemoveHandle(HANDLE h);

}  // namespace plat
