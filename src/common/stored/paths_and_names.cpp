#include "base/paths_and_names.h"

#include <cstring>

#include "base/driver_context.h"
#include "fields/languages.h"
#include "base/memory.h"
#include "base/printer_data.h"
#include "fields/product_record.h"
#include "base/settings_dirs.h"
#include "base/spooler_info.h"
#include "base/system_checks.h"
#include "base/wide_text.h"
#include "model/option_lookup.h"
#include "win/kernel.h"
#include "win/registry.h"

namespace {

// Length of the directory part of a path, with its last "\"; 0 when it has none.
DWORD DirectoryPartLength(const WCHAR* path) {
  DWORD cut = 0;
  for (DWORD i = 0; path && path[i]; ++i)
    if (path[i] == u'\\') cut = i + 1;
  return cut;
}

void CopyDriverDirectory(WCHAR* buffer, const DRIVER_INFO_3W* info) {
  buffer[0] = 0;
  if (info && info->pDriverPath) {
    DWORD cut = DirectoryPartLength(info->pDriverPath);
    if (cut > 0 && cut < MAX_PATH) {
      std::memcpy(buffer, info->pDriverPath, cut * sizeof(WCHAR));
      buffer[cut] = 0;
    }
    return;
  }
  WCHAR system[MAX_PATH];
  UINT n = GetSystemDirectoryW(system, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return;
  JoinPath(buffer, MAX_PATH, system, u"spool\\drivers\\w32x86\\2\\");
}

}  // namespace

DWORD JoinPath(WCHAR* buffer, DWORD size, const WCHAR* directory, const WCHAR* name) {
  if (!buffer || size == 0) return 0;
  DWORD dirLen = WideLength(directory), nameLen = WideLength(name);
  if (dirLen + 1 + nameLen + 1 > size) {
    buffer[0] = 0;
    return 0;
  }
  std::memmove(buffer, directory, dirLen * sizeof(WCHAR));
  buffer[dirLen] = u'\\';
  std::memcpy(buffer + dirLen + 1, name, nameLen * sizeof(WCHAR));
  buffer[dirLen + 1 + nameLen] = 0;
  return dirLen + 1 + nameLen;
}

void GetDriverDirectoryCopy(HANDLE printer, WCHAR* buffer) { GetDriverDirectoryCopyFor(printer, buffer, nullptr); }

void GetDriverDirectoryCopyFor(HANDLE printer, WCHAR* buffer, const DRIVER_INFO_3W* driverInfo) {
  if (!buffer) return;
  if (driverInfo) {
    CopyDriverDirectory(buffer, driverInfo);
    return;
  }
  auto* info = static_cast<DRIVER_INFO_3W*>(GetPrinterDriverInfo(printer, 3));
  CopyDriverDirectory(buffer, info);
  FreeMem(info);
}

void MakeDriverPath(WCHAR* buffer, DWORD size, const WCHAR* name, HANDLE printer) {
  MakeDriverPathFor(buffer, size, name, printer, nullptr);
}

void MakeDriverPathFor(WCHAR* buffer, DWORD size, const WCHAR* name, HANDLE printer, const DRIVER_INFO_3W* driverInfo) {
  if (!buffer || size == 0) return;
  DRIVER_INFO_3W* owned = nullptr;
  if (!driverInfo) driverInfo = owned = static_cast<DRIVER_INFO_3W*>(GetPrinterDriverInfo(printer, 3));
  if (driverInfo && driverInfo->pDriverPath) {
    DWORD cut = DirectoryPartLength(driverInfo->pDriverPath);
    DWORD nameLen = WideLength(name);
    if (cut + nameLen + 1 > size) {
      buffer[0] = 0;
    } else {
      std::memmove(buffer, driverInfo->pDriverPath, cut * sizeof(WCHAR));
      std::memcpy(buffer + cut, name, nameLen * sizeof(WCHAR));
      buffer[cut + nameLen] = 0;
    }
  }
  FreeMem(owned);
}

void MakeWindowsPath(WCHAR* buffer, DWORD size, const WCHAR* name) {
  WCHAR dir[MAX_PATH];
  UINT n = GetWindowsDirectoryW(dir, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) {
    if (buffer && size) buffer[0] = 0;
    return;
  }
  JoinPath(buffer, size, dir, name);
}

void MakeSystemPath(WCHAR* buffer, DWORD size, const WCHAR* name) {
  WCHAR dir[MAX_PATH];
  UINT n = GetSystemDirectoryW(dir, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) {
    if (buffer && size) buffer[0] = 0;
    return;
  }
  JoinPath(buffer, size, dir, name);
}

namespace {

void CopyText(WCHAR* target, DWORD size, const WCHAR* source) {
  DWORD i = 0;
  for (; source && source[i] && i + 1 < size; ++i) target[i] = source[i];
  target[i] = 0;
}

bool IsDrivePath(const WCHAR* path) { return path && path[0] && path[1] == u':'; }

WorkArea* WorkOf(DriverContext* context) { return context ? context->work : nullptr; }

// Reads a "DsSpooler" value of the printer (at most 260 bytes) as a terminated text.
bool ReadDsSpoolerValue(HANDLE printer, const WCHAR* name, WCHAR* text) {
  DWORD type = 0, needed = 0;
  text[0] = 0;
  if (GetPrinterDataExW(printer, u"DsSpooler", name, &type, reinterpret_cast<LPBYTE>(text), 260, &needed) !=
      ERROR_SUCCESS)
    return false;
  text[129] = 0;
  return true;
}

// "\\" a "\" b into the buffer when both are non-empty and their lengths + 3 are below
// the size.
bool JoinServerName(WCHAR* buffer, DWORD size, const WCHAR* server, const WCHAR* printer) {
  const DWORD a = WideLength(server), b = WideLength(printer);
  if (a == 0 || b == 0 || a + b + 3 >= size) return false;
  buffer[0] = u'\\';
  buffer[1] = u'\\';
  std::memcpy(buffer + 2, server, a * sizeof(WCHAR));
  buffer[2 + a] = u'\\';
  std::memcpy(buffer + 3 + a, printer, (b + 1) * sizeof(WCHAR));
  return true;
}

// A name of the product record joined to a directory, or the name itself when it is a
// drive path.
void JoinProductName(WCHAR* buffer, DWORD size, const WCHAR* directory, const WCHAR* name) {
  if (IsDrivePath(name)) {
    if (WideLength(name) + 1 <= size) CopyText(buffer, size, name);
    else buffer[0] = 0;
    return;
  }
  const DWORD dirLen = WideLength(directory), nameLen = WideLength(name);
  if (dirLen + nameLen + 1 > size) {
    buffer[0] = 0;
    return;
  }
  std::memmove(buffer, directory, dirLen * sizeof(WCHAR));
  std::memcpy(buffer + dirLen, name, (nameLen + 1) * sizeof(WCHAR));
}

// The UI resource DLL name of the context's model image; empty without one.
const WCHAR* UiResourceDllName(DriverContext* context) {
  const WCHAR* name = GetUIResDLLName(context);
  return name ? name : u"";
}

}  // namespace

void NormalisePrinterName(HANDLE printer, WCHAR* name, DWORD size) {
  if (!name || size == 0 || !IsNt6OrLater()) return;
  if (name[0] != u'\\' || name[1] != u'\\') return;
  WCHAR server[131], printerName[131];
  if (!ReadDsSpoolerValue(printer, u"shortServerName", server)) return;
  if (!ReadDsSpoolerValue(printer, u"printerName", printerName)) return;
  WCHAR joined[MAX_PATH + 2];
  if (JoinServerName(joined, size < MAX_PATH + 2 ? size : MAX_PATH + 2, server, printerName))
    CopyText(name, size, joined);
}

const WCHAR* GetPrinterDisplayName(DriverContext* context) { return GetPrinterDisplayNameFor(context, nullptr); }

const WCHAR* GetPrinterDisplayNameFor(DriverContext* context, const PRINTER_INFO_2W* info) {
  WorkArea* work = WorkOf(context);
  if (!work) return u"";
  if (work->printerName[0]) return work->printerName;
  PRINTER_INFO_2W* owned = nullptr;
  if (!info) info = owned = static_cast<PRINTER_INFO_2W*>(GetPrinterInfo(context->hPrinter, 2));
  if (info && info->pPrinterName) {
    CopyText(work->printerName, 261, info->pPrinterName);
    NormalisePrinterName(context->hPrinter, work->printerName, 261);
    CachePrinterInfo(info, context);
  }
  FreeMem(owned);
  return work->printerName;
}

const WCHAR* GetPrinterSectionName(DriverContext* context) { return GetPrinterDisplayName(context); }

const WCHAR* GetPrinterSectionNameOfContext(DriverContext* context) {
  return GetPrinterDisplayNameFor(context, context && context->work ? context->work->printerInfo : nullptr);
}

const WCHAR* GetPrinterSectionNameFor(DriverContext* context, const PRINTER_INFO_2W* info) {
  return GetPrinterDisplayNameFor(context, info);
}

BOOL GetPrinterNameCopy(HANDLE printer, WCHAR* buffer, DWORD size) {
  return GetPrinterNameCopyFor(printer, buffer, size, nullptr);
}

BOOL GetPrinterNameCopyFor(HANDLE printer, WCHAR* buffer, DWORD size, const PRINTER_INFO_2W* info) {
  if (!buffer || size == 0) return FALSE;
  PRINTER_INFO_2W* owned = nullptr;
  if (!info) info = owned = static_cast<PRINTER_INFO_2W*>(GetPrinterInfo(printer, 2));
  BOOL ok = FALSE;
  if (info && info->pPrinterName) {
    WCHAR name[261];
    CopyText(name, 261, info->pPrinterName);
    NormalisePrinterName(printer, name, 261);
    if (WideLength(name) + 1 <= size) {
      CopyText(buffer, size, name);
      ok = TRUE;
    }
  }
  FreeMem(owned);
  return ok;
}

const WCHAR* GetRawPrinterName(DriverContext* context) {
  WorkArea* work = WorkOf(context);
  if (!work) return u"";
  if (work->rawPrinterName[0]) return work->rawPrinterName;
  auto* info = static_cast<PRINTER_INFO_2W*>(GetPrinterInfo(context->hPrinter, 2));
  if (info && info->pPrinterName) {
    CopyText(work->rawPrinterName, 261, info->pPrinterName);
    CachePrinterInfo(info, context);
  }
  FreeMem(info);
  return work->rawPrinterName;
}

WCHAR* BuildCsrPrinterName(HANDLE printer, WCHAR* buffer, DWORD size, const PRINTER_INFO_2W* info) {
  PRINTER_INFO_2W* owned = nullptr;
  if (!info) info = owned = static_cast<PRINTER_INFO_2W*>(GetPrinterInfo(printer, 2));
  WCHAR* answer = nullptr;
  if (info && info->pPrinterName && buffer && size) {
    answer = buffer;
    if (IsNt6OrLater() && info->pServerName && StartsWithNoCase(info->pPrinterName, u"\\\\CSR|")) {
      const WCHAR* bar = info->pPrinterName;
      while (*bar != u'|') ++bar;
      WCHAR server[MAX_PATH];
      CopyText(server, MAX_PATH, bar + 1);
      for (WCHAR* p = server; *p; ++p)
        if (*p == u'\\') {
          *p = 0;
          break;
        }
      WCHAR printerName[131];
      WCHAR joined[MAX_PATH + 2];
      if (ReadDsSpoolerValue(printer, u"printerName", printerName) &&
          JoinServerName(joined, size < MAX_PATH + 2 ? size : MAX_PATH + 2, server, printerName))
        CopyText(buffer, size, joined);
    }
  }
  FreeMem(owned);
  return answer;
}

const WCHAR* GetCsrPrinterName(DriverContext* context) {
  WorkArea* work = WorkOf(context);
  if (!work) return u"";
  if (work->serverPrinterName[0]) return work->serverPrinterName;
  PRINTER_INFO_2W* owned = nullptr;
  const PRINTER_INFO_2W* info = work->printerInfo;
  if (!info) info = owned = static_cast<PRINTER_INFO_2W*>(GetPrinterInfo(context->hPrinter, 2));
  const WCHAR* answer = u"";
  if (info) {
    work->serverPrinterName[0] = 0;
    BuildCsrPrinterName(context->hPrinter, work->serverPrinterName, 261, info);
    answer = work->serverPrinterName[0] ? work->serverPrinterName : GetRawPrinterName(context);
  }
  FreeMem(owned);
  return answer;
}

void GetCsrPrinterNameCopy(HANDLE printer, WCHAR* buffer, DWORD size, const PRINTER_INFO_2W* info) {
  if (!buffer || size == 0) return;
  buffer[0] = 0;
  BuildCsrPrinterName(printer, buffer, size, info);
  if (!buffer[0] && info && info->pPrinterName && WideLength(info->pPrinterName) + 1 <= size)
    CopyText(buffer, size, info->pPrinterName);
}

const WCHAR* GetModelName(DriverContext* context) {
  WorkArea* work = WorkOf(context);
  if (!work) return u"";
  if (work->modelName[0]) return work->modelName;
  if (work->printerInfo && work->printerInfo->pDriverName) {
    CopyText(work->modelName, 32, work->printerInfo->pDriverName);
  } else {
    auto* info = static_cast<PRINTER_INFO_2W*>(GetPrinterInfo(context->hPrinter, 2));
    if (info && info->pDriverName) {
      CopyText(work->modelName, 32, info->pDriverName);
      CachePrinterInfo(info, context);
    }
    FreeMem(info);
  }
  if (!work->modelName[0]) CopyText(work->modelName, 32, GetProductString(ProductOf(context)->fallbackModelName));
  return work->modelName;
}

void GetModelNameForPrinter(HANDLE printer, WCHAR* buffer) {
  if (!buffer) return;
  buffer[0] = 0;
  auto* info = static_cast<PRINTER_INFO_2W*>(GetPrinterInfo(printer, 2));
  if (info && info->pDriverName) CopyText(buffer, 32, info->pDriverName);
  FreeMem(info);
  if (!buffer[0]) CopyText(buffer, 32, GetProductString(GetProductRecord()->fallbackModelName));
}

const WCHAR* GetLanguageSectionName(DriverContext* context) { return GetLanguageCodeCopy(context); }

const WCHAR* GetLanguageCode(DriverContext* context) { return GetLanguageCodeOfSetting(context); }

const WCHAR* GetDriverDirectory(DriverContext* context) {
  return GetDriverDirectoryFor(context, context && context->work ? context->work->driverInfo : nullptr);
}

const WCHAR* GetDriverDirectoryFor(DriverContext* context, const DRIVER_INFO_3W* driverInfo) {
  WorkArea* work = WorkOf(context);
  if (!work) return u"";
  if (!work->driverDirectory[0]) GetDriverDirectoryCopyFor(context->hPrinter, work->driverDirectory, driverInfo);
  return work->driverDirectory;
}

const WCHAR* GetUserIniPath(DriverContext* context) {
  WorkArea* work = WorkOf(context);
  return GetUserIniPathFor(context, work ? work->printerInfo : nullptr, work ? work->driverInfo : nullptr);
}

const WCHAR* GetUserIniPathFor(DriverContext* context, const PRINTER_INFO_2W* info, const DRIVER_INFO_3W* driverInfo) {
  WorkArea* work = WorkOf(context);
  if (!work) return u"";
  const WCHAR* iniName = GetProductString(ProductOf(context)->modelIniName);
  if (!iniName) iniName = u"";
  if (IsDrivePath(iniName)) {
    CopyText(work->userIniPath, 260, iniName);
    return work->userIniPath;
  }
  WCHAR dir[MAX_PATH] = {};
  DWORD n = 0;
  if (IsTerminalServerCachedFor(context->hPrinter, driverInfo) && !(work->kind & CTXK_INSTALLING))
    n = GetUserSettingsDirFor(dir, MAX_PATH, context, info);
  if (n == 0) n = GetSettingsDirFor(context, dir, MAX_PATH, info);
  if (n == 0) {
    CopyText(work->userIniPath, 260, dir);
    return work->userIniPath;
  }
  WCHAR path[MAX_PATH];
  JoinPath(path, MAX_PATH, dir, iniName);
  CopyText(work->userIniPath, 260, path);
  return work->userIniPath;
}

DWORD GetIniPathInSettingsDir(WCHAR* buffer, DWORD reserved, DWORD kind, HANDLE printer) {
  return GetIniPathInSettingsDirFor(buffer, reserved, kind, printer, nullptr);
}

DWORD GetIniPathInSettingsDirFor(WCHAR* buffer, DWORD, DWORD kind, HANDLE printer, const PRINTER_INFO_2W* info) {
  if (!buffer) return 0;
  buffer[0] = 0;
  WCHAR dir[MAX_PATH] = {};
  const DWORD n = kind == 1 ? (info ? GetUserDataDirFor(dir, MAX_PATH, printer, info) : GetUserDataDir(dir, MAX_PATH, printer))
                            : (info ? GetSettingsRootOrSystemDirFor(dir, MAX_PATH, printer, info)
                                    : GetSettingsRootOrSystemDir(dir, MAX_PATH, printer));
  if (n == 0) return 0;
  const WCHAR* iniName = GetProductString(GetProductRecord()->modelIniName);
  return JoinPath(buffer, MAX_PATH, dir, iniName ? iniName : u"");
}

const WCHAR* GetSecondIniPath(DriverContext* context) {
  return GetSecondIniPathFor(context, context && context->work ? context->work->driverInfo : nullptr);
}

const WCHAR* GetSecondIniPathFor(DriverContext* context, const DRIVER_INFO_3W* driverInfo) {
  WorkArea* work = WorkOf(context);
  if (!work) return u"";
  if (!work->secondIniPath[0])
    JoinProductName(work->secondIniPath, 261, GetDriverDirectoryFor(context, driverInfo),
                    GetProductString(ProductOf(context)->secondModelIniName));
  return work->secondIniPath;
}

void GetSecondIniPathForPrinter(HANDLE printer, WCHAR* buffer) {
  if (!buffer) return;
  WCHAR dir[MAX_PATH];
  GetDriverDirectoryCopy(printer, dir);
  JoinProductName(buffer, MAX_PATH, dir, GetProductString(GetProductRecord()->secondModelIniName));
}

const WCHAR* GetInstallIniPath(DriverContext* context) {
  WorkArea* work = WorkOf(context);
  if (!work) return u"";
  if (!work->installIniPath[0])
    JoinProductName(work->installIniPath, 261, GetDriverDirectory(context),
                    GetProductString(ProductOf(context)->installIniName));
  return work->installIniPath;
}

const WCHAR* GetHelpFilePath(DriverContext* context) {
  WorkArea* work = WorkOf(context);
  if (!work) return u"";
  WCHAR name[131] = {};
  if (ReadHelpFileNameValue(name, 260, context)) {
    name[129] = 0;
    JoinProductName(work->helpFilePath, 261, GetDriverDirectory(context), name);
    return work->helpFilePath;
  }
  const WCHAR* ui = GetUiResourcePath(context);
  const DWORD n = WideLength(ui);
  if (n < 3) {
    work->helpFilePath[0] = 0;
    return work->helpFilePath;
  }
  CopyText(work->helpFilePath, 261, ui);
  work->helpFilePath[n - 3] = u'h';
  work->helpFilePath[n - 2] = u'l';
  work->helpFilePath[n - 1] = u'p';
  return work->helpFilePath;
}

void BuildUiResourcePath(WCHAR* buffer, const WCHAR* driverDirectory, const WCHAR* dllName, const WCHAR* code) {
  if (!buffer) return;
  buffer[0] = 0;
  if (!dllName || !dllName[0]) return;
  JoinProductName(buffer, MAX_PATH, driverDirectory, dllName);
  if (!buffer[0] || !code || WideLength(code) < 2) return;
  // The two characters before the last '.' of the file part, when the file part has them.
  const DWORD n = WideLength(buffer);
  DWORD file = 0, dot = n;
  for (DWORD i = 0; i < n; ++i) {
    if (buffer[i] == u'\\') file = i + 1;
    if (buffer[i] == u'.') dot = i;
  }
  if (dot == n || dot < file + 2) return;
  buffer[dot - 2] = code[0];
  buffer[dot - 1] = code[1];
}

void BuildNeutralResourcePath(WCHAR* buffer, const WCHAR* driverDirectory, const WCHAR* dllName) {
  if (!buffer) return;
  buffer[0] = 0;
  const DWORD nameLen = WideLength(dllName);
  if (nameLen < 8) return;  // a short name has no place for the neutral marks
  JoinProductName(buffer, MAX_PATH, driverDirectory, dllName);
  const DWORD n = WideLength(buffer);
  if (n < 8) return;
  buffer[n - 8] = u'C';
  buffer[n - 6] = u'X';
  buffer[n - 5] = u'X';
}

const WCHAR* GetUiResourcePath(DriverContext* context) {
  WorkArea* work = WorkOf(context);
  if (!work) return u"";
  BuildUiResourcePath(work->uiResourcePath, GetDriverDirectory(context), UiResourceDllName(context),
                      work->languageCode);
  return work->uiResourcePath;
}

const WCHAR* GetNeutralResourcePath(DriverContext* context) {
  WorkArea* work = WorkOf(context);
  if (!work) return u"";
  BuildNeutralResourcePath(work->neutralResourcePath, GetDriverDirectory(context), UiResourceDllName(context));
  return work->neutralResourcePath;
}

BOOL IsJapaneseResourceDll(DriverContext* context) {
  const WCHAR* path = GetUiResourcePath(context);
  const DWORD n = WideLength(path);
  if (n < 6) return FALSE;
  const WCHAR a = path[n - 6], b = path[n - 5];
  return (a == u'J' || a == u'j') && (b == u'P' || b == u'p') ? TRUE : FALSE;
}

void MakeSettingsPath(WCHAR* buffer, DWORD size, const WCHAR* name, DriverContext* context) {
  if (!buffer || size == 0) return;
  WCHAR dir[MAX_PATH];
  if (!GetSettingsDir(dir, MAX_PATH, context)) {
    buffer[0] = 0;
    return;
  }
  JoinPath(buffer, size, dir, name);
}

void MakeSettingsPathFor(WCHAR* buffer, DWORD size, const WCHAR* name, DriverContext* context,
                         const PRINTER_INFO_2W* info) {
  if (!buffer || size == 0) return;
  WCHAR dir[MAX_PATH];
  if (!GetSettingsDirFor(context, dir, MAX_PATH, info)) {
    buffer[0] = 0;
    return;
  }
  JoinPath(buffer, size, dir, name);
}

void MakeUserDataPath(WCHAR* buffer, DWORD size, const WCHAR* name, HANDLE printer) {
  if (!buffer || size == 0) return;
  WCHAR dir[MAX_PATH];
  if (!GetUserDataDir(dir, MAX_PATH, printer)) {
    buffer[0] = 0;
    return;
  }
  JoinPath(buffer, size, dir, name);
}

BOOL GetSystemWindowsDir(WCHAR* buffer, DWORD size) {
  if (!buffer || size == 0) return FALSE;
  GetSystemWindowsDirectoryW(buffer, size);
  return TRUE;
}

void ResolveParentRelativePath(WCHAR* buffer, DWORD size, const WCHAR* path) {
  if (!buffer || size == 0) return;
  WCHAR rest[MAX_PATH];
  CopyText(rest, MAX_PATH, path);
  buffer[0] = 0;
  if (!path) return;
  DWORD steps = 0;
  const WCHAR* p = path;
  while (StartsWithNoCase(p, u"..\\")) {
    p += 3;
    ++steps;
  }
  if (steps == 0) return;
  WCHAR system[MAX_PATH];
  const UINT n = GetSystemDirectoryW(system, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return;
  DWORD cut = n;
  for (DWORD s = 0; s < steps; ++s) {
    while (cut > 0 && system[cut - 1] != u'\\') --cut;
    if (cut == 0) return;  // fewer separators than steps
    --cut;                 // cut before the separator
  }
  const DWORD restLen = WideLength(p);
  if (cut + restLen + 2 > size) return;
  WCHAR result[MAX_PATH * 2];
  std::memcpy(result, system, cut * sizeof(WCHAR));
  result[cut] = u'\\';
  std::memcpy(result + cut + 1, p, (restLen + 1) * sizeof(WCHAR));
  CopyText(buffer, size, result);
}

BOOL ExpandSystemPathVariable(WCHAR* path, DWORD size, DriverContext*) {
  if (!path || size == 0) return FALSE;
  if (IsDrivePath(path)) return TRUE;
  const DWORD n = WideLength(path);
  if (StartsWithNoCase(path, u"%SYSTEMDRIVE%") && n < MAX_PATH) {
    WCHAR rest[MAX_PATH];
    CopyText(rest, MAX_PATH, path + 13);
    const DWORD restLen = WideLength(rest);
    WCHAR system[MAX_PATH];
    const UINT s = GetSystemDirectoryW(system, MAX_PATH);
    if (s < 3 || s >= MAX_PATH || size < restLen + 4) {
      path[0] = 0;
      return FALSE;
    }
    std::memcpy(path, system, 3 * sizeof(WCHAR));
    std::memcpy(path + 3, rest, (restLen + 1) * sizeof(WCHAR));
    return path[0] ? TRUE : FALSE;
  }
  if (StartsWithNoCase(path, u"%SYSTEMROOT%") && n < MAX_PATH) {
    WCHAR rest[MAX_PATH];
    const WCHAR* r = path + 12;
    if (*r == u'\\') ++r;  // MakeWindowsPath puts the separator in
    CopyText(rest, MAX_PATH, r);
    MakeWindowsPath(path, size, rest);
    return path[0] ? TRUE : FALSE;
  }
  return FALSE;
}
