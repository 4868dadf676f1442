// Registered window messages: one id per name (compared without case) for the life of the
// process, from 0xC000 up, so that windows of different libraries agree on a message by
// its name.
#include <map>
#include <mutex>

#include "plat/wstr.h"
#include "win/errors.h"
#include "win/window.h"

namespace {

constexpr UINT kFirstRegistered = 0xC000;
constexpr UINT kLastRegistered = 0xFFFF;

struct Registered {
  std::mutex lock;
  std::map<std::u16string, UINT> ids;  // by the folded name
  UINT next = kFirstRegistered;
};

Registered& registered() {
  static Registered* r = new Registered;  // never destroyed: windows may ask during exit
  return *r;
}

}  // namespace

extern "C" {

UINT WINAPI RegisterWindowMessageW(LPCWSTR name) {
  if (!name || !*name) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const std::u16string key = plat::UpperCase(plat::View(name));
  auto& r = registered();
  std::lock_guard<std::mutex> g(r.lock);
  if (auto it = r.ids.find(key); it != r.ids.end()) return it->second;
  if (r.next > kLastRegistered) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return 0;
  }
  const UINT id = r.next++;
  r.ids.emplace(key, id);
  return id;
}

}  // extern "C"
