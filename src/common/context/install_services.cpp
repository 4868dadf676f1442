#include "base/install_services.h"

#include <cstdio>
#include <cstring>

#include "base/driver_context.h"
#include "base/file_names.h"
#include "base/file_ops.h"
#include "base/ini_files.h"
#include "base/paths_and_names.h"
#include "base/printer_data.h"
#include "stored/setting_import.h"
#include "stored/settings_file.h"
#include "win/kernel.h"

thread_local std::int32_t InstallInProgress = 0;

namespace {
DWORD Length(const WCHAR* s) {
  DWORD n = 0;
  if (s)
    while (s[n]) ++n;
  return n;
}
}  // namespace

const WCHAR* GetSystemKovaIniName() { return u"KOVA.ini"; }

const WCHAR* GetSystemKovaIniPath(DriverContext* context) {
  if (!context || !context->work) return u"";
  GetSystemKovaIniPathInto(context->work->systemIniPath, 261);
  return context->work->systemIniPath;
}

BOOL GetSystemKovaIniPathInto(WCHAR* buffer, DWORD size) {
  if (!buffer || size < MAX_PATH) return FALSE;
  MakeSystemPath(buffer, size, GetSystemKovaIniName());
  return buffer[0] ? TRUE : FALSE;
}

const WCHAR* GetBatchInstallDoneSection() { return u"BatchInstallDone"; }

BOOL GetDrvInstSet(const WCHAR* iniPath, const WCHAR* printerName) {
  if (!iniPath || !printerName) return FALSE;
  return ReadIniInt(printerName, u"DrvInstSet", 0, iniPath) != 0 ? TRUE : FALSE;
}

BOOL SetDrvInstSet(const WCHAR* iniPath, const WCHAR* printerName, int value) {
  if (!iniPath || !printerName) return FALSE;
  char text[16];
  std::snprintf(text, sizeof text, "%d", value);
  WCHAR wide[16];
  int i = 0;
  for (; text[i]; ++i) wide[i] = static_cast<WCHAR>(text[i]);
  wide[i] = 0;
  return WriteIniString(printerName, u"DrvInstSet", wide, iniPath);
}

BOOL HasClientName(HANDLE printer) {
  WCHAR name[261] = {};
  if (!GetPrinterDataValue(printer, name, 520, u"ClientName", 0)) return FALSE;
  return name[0] ? TRUE : FALSE;
}

WCHAR* ResolveDriverRelativePath(WCHAR* path, DWORD capacity, DriverContext* context) {
  return ResolveDriverRelativePathFor(path, capacity, context, context && context->work ? context->work->driverInfo : nullptr);
}

WCHAR* ResolveDriverRelativePathFor(WCHAR* path, DWORD capacity, DriverContext* context,
                                    const DRIVER_INFO_3W* driverInfo) {
  if (!path || capacity == 0) return path;
  if (path[0] && path[1] == u':') return path;
  const WCHAR* dir = GetDriverDirectoryFor(context, driverInfo);
  const DWORD dirLen = Length(dir), pathLen = Length(path);
  if (dirLen == 0) return path;
  const bool separator = dir[dirLen - 1] != u'\\';
  const DWORD total = dirLen + (separator ? 1 : 0) + pathLen + 1;
  const DWORD limit = capacity < MAX_PATH ? capacity : MAX_PATH;
  if (total > limit) return path;
  const DWORD at = dirLen + (separator ? 1 : 0);
  std::memmove(path + at, path, (pathLen + 1) * sizeof(WCHAR));
  std::memcpy(path, dir, dirLen * sizeof(WCHAR));
  if (separator) path[dirLen] = u'\\';
  return path;
}

BOOL ExpandSettingFileMacros(WCHAR* path, DWORD length, DriverContext* context) {
  return ExpandPathMacros(path, length, 1, context);
}

BOOL IsUsableSettingsFile(const WCHAR* path) {
  return path && path[0] && HasShortExtension(path) && PathExists(path) ? TRUE : FALSE;
}

BOOL IsSettingsPackage(const WCHAR* path) {
  if (!IsUsableSettingsFile(path)) return FALSE;
  INT length = 0;
  const WCHAR* extension = FindExtension(path, &length);
  return length == 3 && lstrcmpiW(extension, u"ksb") == 0 ? TRUE : FALSE;
}

namespace {

bool HasWork(DriverContext* context) { return context && context->work; }

// "DefaultKst" of the INI's section into 260 characters; "*" names no package. The INI's
// path must have a drive.
BOOL ReadDefaultKst(WCHAR* destination, const WCHAR* ini, const WCHAR* section) {
  if (!destination) return FALSE;
  destination[0] = 0;
  if (!IsDriveLetterPath(ini) || !section || !section[0]) return FALSE;
  ReadIniString(section, u"DefaultKst", u"", destination, MAX_PATH, ini);
  if (destination[0] == u'*' && !destination[1]) destination[0] = 0;
  return destination[0] ? TRUE : FALSE;
}

}  // namespace

BOOL ReadSystemIniDefaultKst(WCHAR* destination, DriverContext* context) {
  return ReadSystemIniDefaultKstFor(destination, context, HasWork(context) ? context->work->printerInfo : nullptr);
}

BOOL ReadSystemIniDefaultKstFor(WCHAR* destination, DriverContext* context, const PRINTER_INFO_2W* printerInfo) {
  WCHAR ini[MAX_PATH + 1] = {};
  const bool ready = HasWork(context) && GetSystemKovaIniPathInto(ini, MAX_PATH + 1);
  return ReadDefaultKst(destination, ini, ready ? GetPrinterSectionNameFor(context, printerInfo) : nullptr);
}

BOOL ReadInstallDefaultKst(WCHAR* destination, DriverContext* context) {
  return ReadInstallDefaultKstFor(destination, context, HasWork(context) ? context->work->driverInfo : nullptr);
}

BOOL ReadInstallDefaultKstFor(WCHAR* destination, DriverContext* context, const DRIVER_INFO_3W* driverInfo) {
  if (!HasWork(context)) return ReadDefaultKst(destination, nullptr, nullptr);
  return ReadDefaultKst(destination, GetSecondIniPathFor(context, driverInfo), context->work->languageCode);
}

BOOL ReadPrinterDefaultKst(WCHAR* destination, DriverContext* context) {
  if (!HasWork(context)) return ReadDefaultKst(destination, nullptr, nullptr);
  return ReadDefaultKst(destination, GetUserIniPath(context), GetPrinterSectionName(context));
}

BOOL GetBatchInstKst(DriverContext* context) {
  if (!HasWork(context)) return FALSE;
  const WCHAR* ini = GetUserIniPath(context);
  const WCHAR* section = GetPrinterSectionName(context);
  if (!IsDriveLetterPath(ini) || !section || !section[0]) return FALSE;
  WCHAR value[4] = {};
  ReadIniString(section, u"BatchInstKst", u"", value, 4, ini);
  return value[0] ? TRUE : FALSE;
}
