// Registry change notifications, signalled through the change counter of the key's hive.
#include <chrono>
#include <thread>

#include "core/change_watch.h"
#include "registry_internal.h"
#include "win/errors.h"
#include "win/notify.h"

using namespace plat::changes;

namespace {

constexpr DWORD kRegFilters = REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_ATTRIBUTES | REG_NOTIFY_CHANGE_LAST_SET |
                              REG_NOTIFY_CHANGE_SECURITY | REG_NOTIFY_THREAD_AGNOSTIC;

Store StoreOf(plat::registry::Hive hive) {
  return hive == plat::registry::Hive::Machine ? Store::MachineHive : Store::UsersHive;
}

}  // namespace

extern "C" {

LONG WINAPI RegNotifyChangeKeyValue(HKEY hKey, BOOL, DWORD dwNotifyFilter, HANDLE hEvent, BOOL fAsynchronous) {
  try {
    plat::registry::KeyRef ref;
    if (!plat::registry::ResolveKey(hKey, ref)) return ERROR_INVALID_HANDLE;
    if ((dwNotifyFilter & ~kRegFilters) || !(dwNotifyFilter & ~REG_NOTIFY_THREAD_AGNOSTIC))
      return ERROR_INVALID_PARAMETER;
    if (!(ref.access & KEY_NOTIFY)) return ERROR_ACCESS_DENIED;
    const Store store = StoreOf(ref.hive);
    const Mark since = Current(store);
    if (fAsynchronous) return SetEventOnChange(hEvent, store, since) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
    // Waits for the change: another thread or process writes the hive.
    while (Current(store) == since) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return ERROR_SUCCESS;
  } catch (...) {
    return ERROR_NOT_ENOUGH_MEMORY;
  }
}

}  // extern "C"
