#include "core/handles.h"

#include <mutex>
#include <unordered_map>

namespace plat {
namespace {

struct Table {
  std::mutex lock;
  std::unordered_map<std::uintptr_t, std::shared_ptr<KernelObject>> objects;
  std::uintptr_t next = 0x1000;
};

Table& table() {
  static Table* t = new Table;  // never destroyed: handles may be closed during exit
  return *t;
}

}  // namespace

HANDLE InsertHandle(std::shared_ptr<KernelObject> object) {
  if (!object) return nullptr;
  auto& t = table();
  std::lock_guard<std::mutex> g(t.lock);
  std::uintptr_t h = t.next;
  t.next += 4;
  t.objects.emplace(h, std::move(object));
  return reinterpret_cast<HANDLE>(h);
}

std::shared_ptr<KernelObject> LookupHandle(HANDLE h) {
  auto& t = table();
  std::lock_guard<std::mutex> g(t.lock);
  auto it = t.objects.find(reinterpret_cast<std::uintptr_t>(h));
  return it == t.objects.end() ? nullptr : it->second;
}

bool RemoveHandle(HANDLE h) {
  std::shared_ptr<KernelObject> keep;  // destroyed outside the lock
  auto& t = table();
  {
    std::lock_guard<std::mutex> g(t.lock);
    auto it = t.objects.find(reinterpret_cast<std::uintptr_t>(h));
    if (it == t.objects.end()) return false;
    keep = std::move(it->second);
    t.objects.erase(it);
  }
  return true;
}

std::size_t OpenHandleCount() {
  auto& t = table();
  std::lock_guard<std::mutex> g(t.lock);
  return t.objects.size();
}

}  // namespace plat

#include "win/errors.h"

extern "C" BOOL CloseHandle(HANDLE h) {
  // The pseudo handles of the current process (-1) and thread (-2) need no closing.
  auto value = reinterpret_cast<LONG_PTR>(h);
  if (value == -1 || value == -2) return TRUE;
  if (!plat::RemoveHandle(h)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}
