// A folder's change notifications, signalled through the counters of files written,
// replaced, created or deleted and of the attribute store.
#include "core/change_watch.h"
#include "win/errors.h"
#include "win/files.h"
#include "win/notify.h"

using namespace plat::changes;

namespace {

constexpr DWORD kFolderFilters = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME |
                                 FILE_NOTIFY_CHANGE_ATTRIBUTES | FILE_NOTIFY_CHANGE_SIZE |
                                 FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_SECURITY;

}  // namespace

extern "C" {

HANDLE WINAPI FindFirstChangeNotificationW(LPCWSTR lpPathName, BOOL, DWORD dwNotifyFilter) {
  if (!lpPathName || dwNotifyFilter == 0 || (dwNotifyFilter & ~kFolderFilters)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  const DWORD attributes = GetFileAttributesW(lpPathName);
  if (attributes == INVALID_FILE_ATTRIBUTES) return INVALID_HANDLE_VALUE;  // its last error stands
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    SetLastError(ERROR_DIRECTORY);
    return INVALID_HANDLE_VALUE;
  }
  try {
    // Names: a file made, moved or deleted; sizes and writes: bytes written or replaced;
    // attributes and security: the attribute store.
    const bool names = dwNotifyFilter & (FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME);
    const bool writes = dwNotifyFilter & (FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE);
    const bool attributesToo = dwNotifyFilter & (FILE_NOTIFY_CHANGE_ATTRIBUTES | FILE_NOTIFY_CHANGE_SECURITY);
    HANDLE h;
    if (attributesToo)
      h = NewChangeHandle(WatchKind::Folder, {Store::Files, Store::FileWrites, Store::Attributes}, dwNotifyFilter);
    else if (names || writes)
      h = NewChangeHandle(WatchKind::Folder, {Store::Files, Store::FileWrites}, dwNotifyFilter);
    else
      h = NewChangeHandle(WatchKind::Folder, {Store::Attributes}, dwNotifyFilter);
    SetLastError(ERROR_SUCCESS);
    return h;
  } catch (...) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return INVALID_HANDLE_VALUE;
  }
}

BOOL WINAPI FindNextChangeNotification(HANDLE hChangeHandle) {
  return ResetChangeHandle(hChangeHandle, WatchKind::Folder, nullptr, nullptr) ? TRUE : FALSE;
}

BOOL WINAPI FindCloseChangeNotification(HANDLE hChangeHandle) {
  return CloseChangeHandle(hChangeHandle, WatchKind::Folder) ? TRUE : FALSE;
}

}  // extern "C"
