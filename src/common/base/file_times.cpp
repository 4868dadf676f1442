#include "base/file_times.h"

#include <atomic>

#include "win/errors.h"
#include "win/files.h"
#include "win/kernel.h"
#include "win/sync.h"

namespace {

constexpr DWORD kRetryWaitMs = 100;
constexpr int kRetryLimit = 1000;

void DefaultWait(DWORD ms) { Sleep(ms); }
std::atomic<RetryWaitFn> g_retryWait{&DefaultWait};

HANDLE DefaultTimesOpen(const WCHAR* path) {
  return CreateFileW(path, 0, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
}
std::atomic<TimesOpenFn> g_timesOpen{&DefaultTimesOpen};

// Opens a file for no access with read sharing, retrying while another handle blocks it.
HANDLE OpenForTimes(const WCHAR* path) {
  for (int tries = 0;; ++tries) {
    HANDLE h = g_timesOpen.load()(path);
    if (h != INVALID_HANDLE_VALUE) return h;
    if (GetLastError() != ERROR_SHARING_VIOLATION || tries >= kRetryLimit) return INVALID_HANDLE_VALUE;
    g_retryWait.load()(kRetryWaitMs);
  }
}

}  // namespace

BOOL CompareFileTimes(const WCHAR* first, const WCHAR* second, DWORD timeMode) {
  if (!first || !second) return FALSE;
  HANDLE a = OpenForTimes(first);
  if (a == INVALID_HANDLE_VALUE) return FALSE;
  HANDLE b = OpenForTimes(second);
  if (b == INVALID_HANDLE_VALUE) {
    CloseHandle(a);
    return FALSE;
  }
  BOOL answer = FALSE;
  BY_HANDLE_FILE_INFORMATION infoA, infoB;
  if (GetFileInformationByHandle(a, &infoA) && GetFileInformationByHandle(b, &infoB)) {
    const FILETIME& ta = infoA.ftLastWriteTime;
    const FILETIME& tb = infoB.ftLastWriteTime;
    if (timeMode == kTimesEqual) {
      answer = ta.dwHighDateTime == tb.dwHighDateTime && ta.dwLowDateTime == tb.dwLowDateTime;
    } else if (timeMode == kFirstNotLater) {
      answer = ta.dwHighDateTime < tb.dwHighDateTime ||
               (ta.dwHighDateTime == tb.dwHighDateTime && ta.dwLowDateTime <= tb.dwLowDateTime);
    }
  }
  CloseHandle(a);
  CloseHandle(b);
  return answer;
}

void SetFileRetryWait(RetryWaitFn wait) { g_retryWait.store(wait ? wait : &DefaultWait); }
void SetFileTimesOpen(TimesOpenFn open) { g_timesOpen.store(open ? open : &DefaultTimesOpen); }
