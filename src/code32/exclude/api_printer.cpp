#include "api_printer.h"

#include <cstring>
#include <vector>

#include "api_frame.h"
#include "base/driver_context.h"
#include "base/memory.h"
#include "fields/product_record.h"
#include "base/spooler_info.h"
#include "base/system_checks.h"
#include "win/kernel.h"
#include "win/profile.h"

namespace {

constexpr WCHAR kApiSection[] = u"KOVAAPI";

DWORD Length(const WCHAR* s) {
  DWORD n = 0;
  while (s && s[n]) ++n;
  return n;
}

void Copy(WCHAR* out, DWORD chars, const WCHAR* text) {
  if (!out || chars == 0) return;
  DWORD n = 0;
  for (; text && text[n] && n + 1 < chars; ++n) out[n] = text[n];
  out[n] = 0;
}

HANDLE OpenByAnsiName(const char* printerName) {
  WCHAR name[257] = {};
  AnsiToWide(printerName, name, 257);
  HANDLE printer = nullptr;
  if (!name[0] || !OpenPrinterW(name, &printer, nullptr)) return nullptr;
  return printer;
}

}  // namespace

void AnsiToWide(const char* text, WCHAR* out, int chars) {
  if (!out || chars <= 0) return;
  out[0] = 0;
  if (!text || !text[0]) return;
  const int length = static_cast<int>(std::strlen(text));
  std::vector<WCHAR> wide(static_cast<std::size_t>(length) + 1);
  int n = MultiByteToWideChar(CP_ACP, 0, text, length, wide.data(), length);
  if (n < 0) n = 0;
  if (n > chars - 1) n = chars - 1;
  for (int i = 0; i < n; ++i) out[i] = wide[static_cast<std::size_t>(i)];
  out[n] = 0;
}

void WideToAnsiText(const WCHAR* text, char* out, int bytes) {
  if (!out || bytes <= 0) return;
  out[0] = 0;
  if (!text || !text[0]) return;
  int n = WideCharToMultiByte(CP_ACP, 0, text, -1, out, bytes, nullptr, nullptr);
  if (n > 0) {
    out[bytes - 1] = 0;
    return;
  }
  // Character by character while the whole character fits, so that no double-byte
  // character is split.
  int used = 0;
  for (const WCHAR* p = text; *p; ++p) {
    char one[8];
    const int m = WideCharToMultiByte(CP_ACP, 0, p, 1, one, sizeof one, nullptr, nullptr);
    if (m <= 0 || used + m > bytes - 1) break;
    std::memcpy(out + used, one, static_cast<std::size_t>(m));
    used += m;
  }
  out[used] = 0;
}

void GetPrinterDriverDirectory(HANDLE printer, WCHAR* buffer, DWORD chars) {
  if (!buffer || chars == 0) return;
  buffer[0] = 0;
  if (IsWin9x()) {
    const UINT n = GetSystemDirectoryW(buffer, chars);
    if (n == 0 || n + 2 > chars) {
      buffer[0] = 0;
      return;
    }
    buffer[n] = u'\\';
    buffer[n + 1] = 0;
    return;
  }
  auto* info = static_cast<DRIVER_INFO_3W*>(GetPrinterDriverInfo(printer, 3));
  if (info && info->pDriverPath) {
    const WCHAR* path = info->pDriverPath;
    DWORD cut = 0;
    for (DWORD i = 0; path[i]; ++i)
      if (path[i] == u'\\') cut = i + 1;
    if (cut < chars) {
      for (DWORD i = 0; i < cut; ++i) buffer[i] = path[i];
      buffer[cut] = 0;
    }
  }
  FreeMem(info);
}

void GetModelIniPath(HANDLE printer, WCHAR* buffer, DWORD chars) {
  if (!buffer || chars == 0) return;
  const WCHAR* name = GetProductString(GetProductRecord()->secondModelIniName);
  if (!name) name = u"";
  if (name[0] && name[1] == u':') {
    Copy(buffer, chars, name);
    return;
  }
  WCHAR dir[MAX_PATH] = {};
  if (printer) GetPrinterDriverDirectory(printer, dir, MAX_PATH);
  const DWORD d = Length(dir);
  if (d == 0 || d + Length(name) + 1 > chars) {
    Copy(buffer, chars, name);
    return;
  }
  Copy(buffer, chars, dir);
  Copy(buffer + d, chars - d, name);
}

std::int32_t ReadApiIniInt(const char* printerName, const WCHAR* section, const WCHAR* key) {
  HANDLE printer = OpenByAnsiName(printerName);
  WCHAR path[MAX_PATH] = {};
  GetModelIniPath(printer, path, MAX_PATH);
  if (printer) ClosePrinter(printer);
  return static_cast<std::int32_t>(GetPrivateProfileIntW(section, key, -1, path));
}

DWORD ReadApiFunctionBits(const char* printerName) {
  const std::int32_t bits = ReadApiIniInt(printerName, kApiSection, u"KOVAAPIFunc1");
  return bits == -1 ? 0 : static_cast<DWORD>(bits);
}

int IsApiFunctionEnabled(DriverContext* context, DWORD mask) {
  if (!context || !context->work) return 0;
  char name[261] = {};
  WideToAnsiText(context->work->printerName, name, sizeof name);
  return (ReadApiFunctionBits(name) & mask) != 0 ? 1 : 0;
}
int IsApiFunction0Enabled(DriverContext* context) { return IsApiFunctionEnabled(context, 0x1); }
int IsApiFunction1Enabled(DriverContext* context) { return IsApiFunctionEnabled(context, 0x2); }
int IsApiFunction2Enabled(DriverContext* context) { return IsApiFunctionEnabled(context, 0x4); }

int OpenItemPrinter(DriverContext* context, HANDLE* handle, PRINTER_DEFAULTSW* defaults, ItemPrinterHandles* saved) {
  if (handle) *handle = nullptr;
  if (!context || !context->work || !handle || !context->work->printerName[0]) return 0;
  WorkArea* work = context->work;
  WCHAR* name = work->printerName;
  if (IsNt6OrLater() && name[0] == u'\\' && name[1] == u'\\' && work->rawPrinterName[0]) name = work->rawPrinterName;
  HANDLE printer = nullptr;
  if (!OpenPrinterW(name, &printer, defaults) || !printer) return 0;
  if (saved) {
    saved->printer = context->hPrinter;
    saved->printer2 = context->hPrinter2;
  }
  context->hPrinter = printer;
  context->hPrinter2 = printer;
  *handle = printer;
  return 1;
}

void CloseItemPrinter(DriverContext* context, HANDLE handle, const ItemPrinterHandles* saved) {
  if (!handle) return;
  ClosePrinter(handle);
  if (!context) return;
  // The handles go back to what the matching open found, so an outer call keeps a live
  // printer; a handle nobody holds any more is never left in the context.
  if (context->hPrinter == handle) context->hPrinter = saved ? saved->printer : nullptr;
  if (context->hPrinter2 == handle) context->hPrinter2 = saved ? saved->printer2 : nullptr;
}
