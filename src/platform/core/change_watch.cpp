// Events and change notifications: the signal of a notification is the distance between
// the marks it holds and the stores' current counters, so asking costs atomic loads.
#include "core/change_watch.h"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

#include "core/handles.h"
#include "win/errors.h"
#include "win/notify.h"
#include "win/sync.h"

namespace plat::changes {
namespace {

// A wait for a change that only the counters show looks again this often.
constexpr auto kPollInterval = std::chrono::milliseconds(5);

struct Watch {
  Store store;
  Mark since;
  bool Fired() const { return Current(store) != since; }
};

// Waits until ready() holds or the time is over: WAIT_OBJECT_0 or WAIT_TIMEOUT. ready runs
// with the lock held; a wake-up through cv or the poll interval asks again.
template <class Ready>
DWORD WaitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& cv, DWORD ms, Ready ready) {
  if (ready()) return WAIT_OBJECT_0;
  if (ms == 0) return WAIT_TIMEOUT;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  for (;;) {
    auto until = std::chrono::steady_clock::now() + kPollInterval;
    if (ms != INFINITE && until > deadline) until = deadline;
    cv.wait_until(lock, until);
    if (ready()) return WAIT_OBJECT_0;
    if (ms != INFINITE && std::chrono::steady_clock::now() >= deadline) return WAIT_TIMEOUT;
  }
}

class EventObject final : public KernelObject, public Waitable {
 public:
  EventObject(bool manualReset, bool initial) : manual_(manualReset), set_(initial) {}
  ObjectKind Kind() const override { return ObjectKind::Event; }

  DWORD Wait(DWORD ms) override {
    std::unique_lock<std::mutex> lock(lock_);
    const DWORD result = WaitUntil(lock, cv_, ms, [this] { return IsSetLocked(); });
    if (result == WAIT_OBJECT_0 && !manual_) set_ = false;
    return result;
  }
  void Set() {
    {
      std::lock_guard<std::mutex> g(lock_);
      set_ = true;
    }
    cv_.notify_all();
  }
  void Reset() {
    std::lock_guard<std::mutex> g(lock_);
    // A request whose change came already sets the event now, so none is lost.
    IsSetLocked();
    set_ = false;
  }
  void AddWatch(Store store, Mark since) {
    std::lock_guard<std::mutex> g(lock_);
    watches_.push_back({store, since});
  }

 private:
  // Ends the requests whose change came and sets the event for them.
  bool IsSetLocked() {
    for (std::size_t i = 0; i < watches_.size();) {
      if (watches_[i].Fired()) {
        set_ = true;
        watches_.erase(watches_.begin() + static_cast<std::ptrdiff_t>(i));
      } else {
        ++i;
      }
    }
    return set_;
  }

  std::mutex lock_;
  std::condition_variable cv_;
  const bool manual_;
  bool set_;
  std::vector<Watch> watches_;
};

class ChangeObject final : public KernelObject, public Waitable {
 public:
  ChangeObject(WatchKind kind, std::initializer_list<Store> stores, DWORD filter) : kind_(kind), filter_(filter) {
    for (Store s : stores) watches_.push_back({s, Current(s)});
  }
  ObjectKind Kind() const override { return ObjectKind::Other; }
  WatchKind Watching() const { return kind_; }
  DWORD Filter() const { return filter_; }

  DWORD Wait(DWORD ms) override {
    std::unique_lock<std::mutex> lock(lock_);
    return WaitUntil(lock, cv_, ms, [this] { return FiredLocked(); });
  }
  bool Reset() {
    std::lock_guard<std::mutex> g(lock_);
    const bool fired = FiredLocked();
    for (Watch& w : watches_) w.since = Current(w.store);
    return fired;
  }

 private:
  bool FiredLocked() const {
    for (const Watch& w : watches_)
      if (w.Fired()) return true;
    return false;
  }

  std::mutex lock_;
  std::condition_variable cv_;  // nothing notifies it: a waiter looks at the counters
  const WatchKind kind_;
  const DWORD filter_;
  std::vector<Watch> watches_;
};

std::shared_ptr<ChangeObject> ChangeObjectOf(HANDLE h, WatchKind kind) {
  // Other objects share the kind: only a ChangeObject is one of ours.
  auto obj = std::dynamic_pointer_cast<ChangeObject>(LookupHandle(h));
  if (!obj || obj->Watching() != kind) return nullptr;
  return obj;
}

std::shared_ptr<EventObject> EventOf(HANDLE h) { return LookupHandleAs<EventObject>(h, ObjectKind::Event); }

}  // namespace

HANDLE NewChangeHandle(WatchKind kind, std::initializer_list<Store> stores, DWORD filter) {
  return InsertHandle(std::make_shared<ChangeObject>(kind, stores, filter));
}

bool ResetChangeHandle(HANDLE h, WatchKind kind, bool* fired, DWORD* filter) {
  auto obj = ChangeObjectOf(h, kind);
  if (!obj) {
    SetLastError(ERROR_INVALID_HANDLE);
    return false;
  }
  const bool was = obj->Reset();
  if (fired) *fired = was;
  if (filter) *filter = obj->Filter();
  return true;
}

bool CloseChangeHandle(HANDLE h, WatchKind kind) {
  if (!ChangeObjectOf(h, kind) || !RemoveHandle(h)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return false;
  }
  return true;
}

bool SetEventOnChange(HANDLE event, Store store, Mark since) {
  auto obj = EventOf(event);
  if (!obj) return false;
  obj->AddWatch(store, since);
  return true;
}

}  // namespace plat::changes

using namespace plat;
using namespace plat::changes;

extern "C" {

HANDLE WINAPI CreateEventW(LPSECURITY_ATTRIBUTES, BOOL bManualReset, BOOL bInitialState, LPCWSTR lpName) {
  if (lpName && lpName[0]) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return nullptr;
  }
  try {
    HANDLE h = InsertHandle(std::make_shared<EventObject>(bManualReset != FALSE, bInitialState != FALSE));
    SetLastError(ERROR_SUCCESS);
    return h;
  } catch (...) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
}

BOOL WINAPI SetEvent(HANDLE hEvent) {
  auto obj = EventOf(hEvent);
  if (!obj) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  obj->Set();
  return TRUE;
}

BOOL WINAPI ResetEvent(HANDLE hEvent) {
  auto obj = EventOf(hEvent);
  if (!obj) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  obj->Reset();
  return TRUE;
}

}  // extern "C"
