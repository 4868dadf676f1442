// The one rule for a file being up to date: comparing last-write times, retrying while
// another process holds the file.
#pragma once

#include "win/types.h"

// Time modes of CompareFileTimes.
constexpr DWORD kTimesEqual = 0;       // the two last-write times are equal
constexpr DWORD kFirstNotLater = 1;    // the first's time is earlier than or equal to the second's

// 1 when both files open and their last-write times meet the time mode. A file held by
// another process is retried every 100 ms, at most 1000 times.
BOOL CompareFileTimes(const WCHAR* first, const WCHAR* second, DWORD timeMode);

// The wait between two tries of a sharing-violation retry (Sleep by default; tests put
// their own in so that they don't wait). Null restores the default.
using RetryWaitFn = void (*)(DWORD milliseconds);
void SetFileRetryWait(RetryWaitFn wait);
// The open that CompareFileTimes retries (CreateFileW for no access, read sharing,
// OPEN_EXISTING by default). An open for no access meets no sharing violation on a plain
// file, so tests put their own in to exercise the retry. Null restores the default.
using TimesOpenFn = HANDLE (*)(const WCHAR* path);
void SetFileTimesOpen(TimesOpenFn open);
