#include "fields/locale_text.h"

#include <cstdio>
#include <cstring>

#include "context/display_text.h"
#include "base/driver_context.h"
#include "fields/field_access.h"
#include "model/units.h"
#include "base/wide_text.h"
#include "field_ids.h"
#include "win/files.h"
#include "win/kernel.h"

int GetLocaleCountryCode(DriverContext*) {
  WCHAR text[7] = {};
  if (GetLocaleInfoW(GetUserDefaultLCID(), LOCALE_ICOUNTRY, text, 7) <= 0) return 0;
  if (text[0] == u'1' || text[0] == u'2' || text[0] == u'5') return text[0] - u'0';
  return 0;
}

void SetLocaleDefaults(DriverContext* context) {
  if (!context || !context->work) return;
  WorkArea* work = context->work;
  const int country = GetLocaleCountryCode(context);
  work->localeCountry = static_cast<WORD>(country);
  if (country != 0) {
    work->defaultUnit = 1;
    work->defaultPaper = 1;
  } else {
    work->defaultUnit = 0;
    work->defaultPaper = 9;
  }
  WriteFieldRawById(context, fid::kdmLocaleID, work->localeCountry);
}

BOOL IsCustomPaperInInches(DriverContext* context) {
  return ReadFieldRawById(context, fid::dmPaperSize) == 256 && !IsMetricUnits(context) ? TRUE : FALSE;
}

BOOL IsCustomPaperInMillimetres(DriverContext* context) {
  return ReadFieldRawById(context, fid::dmPaperSize) == 256 && IsMetricUnits(context) ? TRUE : FALSE;
}

DWORD HundredthInchToTenthMm(DWORD value) {
  unsigned long long result = static_cast<unsigned long long>(value) * 254 / 100;
  while (result * 100 / 254 < value) ++result;
  return static_cast<DWORD>(result);
}

DWORD TenthMmToHundredthInch(DWORD value) {
  return static_cast<DWORD>(static_cast<unsigned long long>(value) * 100 / 254);
}

void FormatScaledNumber(WCHAR* buffer, int scale, int value, DriverContext* context) {
  if (!buffer) return;
  int decimals = 0;
  for (int s = scale; s > 1; s /= 10) ++decimals;
  char text[kScaledNumberChars];
  static constexpr int kDivisors[5] = {1, 10, 100, 1000, 10000};
  static constexpr const char* kFormats[5] = {"%s%lld", "%s%lld.%01u", "%s%lld.%02u", "%s%lld.%03u", "%s%lld.%04u"};
  if (decimals >= 1 && decimals <= 4) {
    // The sign is written apart, so a negative value keeps its decimals (-0.5, not 0.-5).
    const int d = kDivisors[decimals];
    const long long magnitude = value < 0 ? -static_cast<long long>(value) : value;
    std::snprintf(text, sizeof text, kFormats[decimals], value < 0 ? "-" : "", static_cast<long long>(magnitude / d),
                  static_cast<unsigned>(magnitude % d));
  } else {
    std::snprintf(text, sizeof text, "%ld", static_cast<long>(value));
  }
  DWORD i = 0;
  for (; text[i] && i + 1 < kScaledNumberChars; ++i) buffer[i] = static_cast<WCHAR>(text[i]);
  buffer[i] = 0;
  if (UsesDecimalComma(context)) ReplaceDecimalPoint(buffer);
}

int ParseScaledNumber(const WCHAR* text, int scale, DriverContext* context, BOOL* overflow) {
  if (overflow) *overflow = FALSE;
  if (!text) return 0;
  int decimals = 0;
  for (int s = scale; s > 1; s /= 10) ++decimals;
  const WCHAR separator = UsesDecimalComma(context) ? u',' : u'.';
  bool negative = false;
  const WCHAR* p = text;
  for (; *p && !(*p >= u'0' && *p <= u'9'); ++p)
    if (*p == u'-') negative = true;
  if (!*p) return 0;
  // Wide enough for every 32-bit number times the scale; anything above the limit stops
  // the reading at once, so the accumulator never wraps.
  const long long limit = negative ? 2147483648LL : 2147483647LL;
  long long number = 0;
  bool over = false;
  auto push = [&](int digit) {
    number = number * 10 + digit;
    if (number > limit) over = true;
  };
  for (; *p >= u'0' && *p <= u'9' && !over; ++p) push(*p - u'0');
  int read = 0;
  if (!over && *p == separator)
    for (++p; read < decimals && *p >= u'0' && *p <= u'9' && !over; ++p, ++read) push(*p - u'0');
  for (; read < decimals && !over; ++read) push(0);
  if (over) {
    if (overflow) *overflow = TRUE;
    return 0;
  }
  return static_cast<int>(negative ? -number : number);
}

WCHAR ReplaceDecimalPoint(WCHAR* text) {
  if (!text || !text[0]) return 0;
  DWORD i = WideLength(text);
  WCHAR last = 0;
  while (i > 0) {
    --i;
    last = text[i];
    if (last == u'(') break;
    if (last == u'.') text[i] = u',';
  }
  return last;
}

void AnsiToWide(WCHAR* target, const char* source, int size) {
  if (!target || !source) return;
  const DWORD sourceBytes = static_cast<DWORD>(std::strlen(source)) + 1;
  // A size of 0 or less stands for the source's own length; the terminator goes at the end
  // of that effective size, never before the target.
  const DWORD chars = size > 0 ? static_cast<DWORD>(size) : sourceBytes;
  ULONG written = 0;
  RtlMultiByteToUnicodeN(target, chars * sizeof(WCHAR), &written, source, sourceBytes);
  target[chars - 1] = 0;
}

void WideToAnsi(char* target, const WCHAR* source, int size) {
  if (!target || !source) return;
  const DWORD sourceChars = WideLength(source) + 1;
  const DWORD bytes = size >= 1 ? static_cast<DWORD>(size) : sourceChars;
  std::memset(target, 0, bytes);
  ULONG written = 0;
  RtlUnicodeToMultiByteN(target, bytes, &written, source, sourceChars * sizeof(WCHAR));
}

BOOL OpenBitmapFile(const WCHAR* path, HANDLE* file) {
  if (file) *file = INVALID_HANDLE_VALUE;
  if (!path || !file) return FALSE;
  // Opened by its wide path, so that names outside the ANSI code page open too; for
  // reading as _lopen(OF_READ) would: other readers and writers are not kept out.
  HANDLE h = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return FALSE;
  BYTE header[18] = {};
  DWORD read = 0;
  const BOOL ok = ReadFile(h, header, sizeof header, &read, nullptr);
  const DWORD infoSize = static_cast<DWORD>(header[14]) | (static_cast<DWORD>(header[15]) << 8) |
                         (static_cast<DWORD>(header[16]) << 16) | (static_cast<DWORD>(header[17]) << 24);
  if (!ok || read != sizeof header || infoSize != 40) {
    CloseHandle(h);
    return FALSE;
  }
  SetFilePointer(h, 0, nullptr, FILE_BEGIN);
  *file = h;
  return TRUE;
}
