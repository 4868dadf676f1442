// File times: FILETIME (100-nanosecond intervals since 1601-01-01 UTC) and SYSTEMTIME
// conversions, host time conversions. Local time is UTC on this platform, so the local
// conversions copy the value and the system time is the machine's (test) clock.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include "kernel/files_internal.h"
#include "plat/system.h"
#include "win/errors.h"

namespace plat {
namespace {

constexpr LONGLONG kTicksPerSecond = 10000000LL;
constexpr LONGLONG kTicksPerDay = kTicksPerSecond * 86400;
constexpr LONGLONG kDays1601To1970 = 134774;
constexpr ULONGLONG kMaxFileTime = 0x7FFFFFFFFFFFFFFFull;

// Days since 1970-01-01 of a date in the proleptic Gregorian calendar.
LONGLONG DaysFromCivil(LONGLONG y, unsigned m, unsigned d) {
  y -= m <= 2;
  const LONGLONG era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<LONGLONG>(doe) - 719468;
}

void CivilFromDays(LONGLONG z, LONGLONG& y, unsigned& m, unsigned& d) {
  z += 719468;
  const LONGLONG era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  y = static_cast<LONGLONG>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = doy - (153 * mp + 2) / 5 + 1;
  m = mp < 10 ? mp + 3 : mp - 9;
  y += m <= 2;
}

bool LeapYear(unsigned y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

unsigned DaysInMonth(unsigned y, unsigned m) {
  static const unsigned days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && LeapYear(y) ? 29 : days[m - 1];
}

}  // namespace

ULONGLONG FileTimeValue(const FILETIME& ft) {
  return (static_cast<ULONGLONG>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

FILETIME MakeFileTime(ULONGLONG value) {
  return FILETIME{static_cast<DWORD>(value & 0xFFFFFFFFu), static_cast<DWORD>(value >> 32)};
}

FILETIME ToFileTime(const struct timespec& ts) {
  LONGLONG v = static_cast<LONGLONG>(ts.tv_sec) * kTicksPerSecond + ts.tv_nsec / 100 + kFileTimeUnixEpoch;
  if (v < 0) v = 0;
  return MakeFileTime(static_cast<ULONGLONG>(v));
}

struct timespec FileTimeToTimespec(const FILETIME& ft) {
  LONGLONG rel = static_cast<LONGLONG>(FileTimeValue(ft) & kMaxFileTime) - kFileTimeUnixEpoch;
  LONGLONG sec = rel / kTicksPerSecond;
  LONGLONG rest = rel % kTicksPerSecond;
  if (rest < 0) {
    rest += kTicksPerSecond;
    --sec;
  }
  struct timespec ts {};
  ts.tv_sec = static_cast<time_t>(sec);
  ts.tv_nsec = static_cast<long>(rest * 100);
  return ts;
}

struct timespec CreationTimeOf(int fd, const std::string& hostPath, const struct stat& st) {
  struct statx sx {};
  int rc = fd >= 0 ? ::statx(fd, "", AT_EMPTY_PATH, STATX_BTIME, &sx)
                   : ::statx(AT_FDCWD, hostPath.c_str(), 0, STATX_BTIME, &sx);
  if (rc == 0 && (sx.stx_mask & STATX_BTIME)) {
    struct timespec ts {};
    ts.tv_sec = static_cast<time_t>(sx.stx_btime.tv_sec);
    ts.tv_nsec = static_cast<long>(sx.stx_btime.tv_nsec);
    return ts;
  }
  return st.st_mtim;
}

bool StatWithBirth(const std::string& hostPath, struct stat& st, struct timespec& birth) {
  struct statx sx {};
  if (::statx(AT_FDCWD, hostPath.c_str(), 0, STATX_BASIC_STATS | STATX_BTIME, &sx) != 0) return false;
  st = {};
  st.st_dev = makedev(sx.stx_dev_major, sx.stx_dev_minor);
  st.st_ino = static_cast<ino_t>(sx.stx_ino);
  st.st_mode = static_cast<mode_t>(sx.stx_mode);
  st.st_nlink = static_cast<nlink_t>(sx.stx_nlink);
  st.st_uid = sx.stx_uid;
  st.st_gid = sx.stx_gid;
  st.st_rdev = makedev(sx.stx_rdev_major, sx.stx_rdev_minor);
  st.st_size = static_cast<off_t>(sx.stx_size);
  st.st_blksize = static_cast<blksize_t>(sx.stx_blksize);
  st.st_blocks = static_cast<blkcnt_t>(sx.stx_blocks);
  const auto spec = [](const struct statx_timestamp& t) {
    struct timespec ts {};
    ts.tv_sec = static_cast<time_t>(t.tv_sec);
    ts.tv_nsec = static_cast<long>(t.tv_nsec);
    return ts;
  };
  st.st_atim = spec(sx.stx_atime);
  st.st_mtim = spec(sx.stx_mtime);
  st.st_ctim = spec(sx.stx_ctime);
  birth = (sx.stx_mask & STATX_BTIME) ? spec(sx.stx_btime) : st.st_mtim;
  return true;
}

void FillAttributeData(const struct stat& st, const struct timespec& birth, WIN32_FILE_ATTRIBUTE_DATA& out) {
  out.dwFileAttributes = 0;
  out.ftCreationTime = ToFileTime(birth);
  out.ftLastAccessTime = ToFileTime(st.st_atim);
  out.ftLastWriteTime = ToFileTime(st.st_mtim);
  ULONGLONG size = S_ISDIR(st.st_mode) ? 0 : static_cast<ULONGLONG>(st.st_size);
  out.nFileSizeHigh = static_cast<DWORD>(size >> 32);
  out.nFileSizeLow = static_cast<DWORD>(size & 0xFFFFFFFFu);
}

void FillAttributeData(const std::string& hostPath, const struct stat& st, int fd, WIN32_FILE_ATTRIBUTE_DATA& out) {
  out.dwFileAttributes = 0;
  out.ftCreationTime = ToFileTime(CreationTimeOf(fd, hostPath, st));
  out.ftLastAccessTime = ToFileTime(st.st_atim);
  out.ftLastWriteTime = ToFileTime(st.st_mtim);
  ULONGLONG size = S_ISDIR(st.st_mode) ? 0 : static_cast<ULONGLONG>(st.st_size);
  out.nFileSizeHigh = static_cast<DWORD>(size >> 32);
  out.nFileSizeLow = static_cast<DWORD>(size & 0xFFFFFFFFu);
}

}  // namespace plat

using namespace plat;

KOVA_EXPORT LONG CompareFileTime(const FILETIME* lpFileTime1, const FILETIME* lpFileTime2) {
  if (!lpFileTime1 || !lpFileTime2) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return lpFileTime1 == lpFileTime2 ? 0 : (lpFileTime1 ? 1 : -1);
  }
  ULONGLONG a = FileTimeValue(*lpFileTime1);
  ULONGLONG b = FileTimeValue(*lpFileTime2);
  return a < b ? -1 : (a > b ? 1 : 0);
}

KOVA_EXPORT BOOL FileTimeToSystemTime(const FILETIME* lpFileTime, LPSYSTEMTIME lpSystemTime) {
  if (!lpFileTime || !lpSystemTime) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  ULONGLONG v = FileTimeValue(*lpFileTime);
  if (v > kMaxFileTime) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  LONGLONG days = static_cast<LONGLONG>(v / kTicksPerDay);
  ULONGLONG inDay = v % kTicksPerDay;
  LONGLONG y;
  unsigned m, d;
  CivilFromDays(days - kDays1601To1970, y, m, d);
  SYSTEMTIME st{};
  st.wYear = static_cast<WORD>(y);
  st.wMonth = static_cast<WORD>(m);
  st.wDay = static_cast<WORD>(d);
  st.wDayOfWeek = static_cast<WORD>((days + 1) % 7);  // 1601-01-01 was a Monday
  ULONGLONG secs = inDay / kTicksPerSecond;
  st.wHour = static_cast<WORD>(secs / 3600);
  st.wMinute = static_cast<WORD>(secs / 60 % 60);
  st.wSecond = static_cast<WORD>(secs % 60);
  st.wMilliseconds = static_cast<WORD>(inDay % kTicksPerSecond / 10000);
  *lpSystemTime = st;
  return TRUE;
}

KOVA_EXPORT BOOL SystemTimeToFileTime(const SYSTEMTIME* lpSystemTime, LPFILETIME lpFileTime) {
  if (!lpSystemTime || !lpFileTime) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const SYSTEMTIME& st = *lpSystemTime;
  if (st.wYear < 1601 || st.wYear > 30827 || st.wMonth < 1 || st.wMonth > 12 || st.wDay < 1 ||
      st.wDay > DaysInMonth(st.wYear, st.wMonth) || st.wHour > 23 || st.wMinute > 59 || st.wSecond > 59 ||
      st.wMilliseconds > 999) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  LONGLONG days = DaysFromCivil(st.wYear, st.wMonth, st.wDay) + kDays1601To1970;
  LONGLONG secs = ((days * 24 + st.wHour) * 60 + st.wMinute) * 60 + st.wSecond;
  ULONGLONG v = static_cast<ULONGLONG>(secs) * kTicksPerSecond + static_cast<ULONGLONG>(st.wMilliseconds) * 10000;
  *lpFileTime = MakeFileTime(v);
  return TRUE;
}

KOVA_EXPORT BOOL FileTimeToLocalFileTime(const FILETIME* lpFileTime, LPFILETIME lpLocalFileTime) {
  if (!lpFileTime || !lpLocalFileTime) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *lpLocalFileTime = *lpFileTime;
  return TRUE;
}

KOVA_EXPORT BOOL LocalFileTimeToFileTime(const FILETIME* lpLocalFileTime, LPFILETIME lpFileTime) {
  if (!lpLocalFileTime || !lpFileTime) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *lpFileTime = *lpLocalFileTime;
  return TRUE;
}

KOVA_EXPORT void GetSystemTimeAsFileTime(LPFILETIME lpSystemTimeAsFileTime) {
  if (!lpSystemTimeAsFileTime) return;
  SYSTEMTIME now = CurrentLocalTime();  // local time is UTC here
  FILETIME ft{};
  if (!SystemTimeToFileTime(&now, &ft)) ft = FILETIME{0, 0};
  *lpSystemTimeAsFileTime = ft;
}
