#include "context/install_services.h"

#include <cstdio>
#include <cstring>

#include "context/driver_context.h"
#include "context/ini_files.h"
#include "context/paths_and_names.h"
#include "context/printer_data.h"
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

const WCHAR* GetSystemKovaIniPath(DriverContext* context) {
  if (!context || !context->work) return u"";
  MakeSystemPath(context->work->systemIniPath, 261, kSystemInstallIniName);
  return context->work->systemIniPath;
}

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

// PENDING: the configuration-server connector loads "Srvconn.dll" and asks
// "RMGetServerType"; until then the connector counts as not available (0).
BOOL IsConnectorServerType17(HANDLE, const WCHAR*) { return FALSE; }

WCHAR* ResolveDriverRelativePath(WCHAR* path, DWORD capacity, DriverContext* context) {
  if (!path || capacity == 0) return path;
  if (path[0] && path[1] == u':') return path;
  const WCHAR* dir = GetDriverDirectory(context);
  const DWORD dirLen = Length(dir), pathLen = Length(path);
  const DWORD limit = capacity < MAX_PATH ? capacity : MAX_PATH;
  if (!dir || dirLen == 0 || dirLen + pathLen + 1 > limit) return path;
  std::memmove(path + dirLen, path, (pathLen + 1) * sizeof(WCHAR));
  std::memcpy(path, dir, dirLen * sizeof(WCHAR));
  return path;
}

BOOL ReadInstallDefaultKst(WCHAR* destination, DriverContext* context) {
  if (!destination) return FALSE;
  destination[0] = 0;
  if (!context || !context->work) return FALSE;
  const WCHAR* ini = GetSecondIniPath(context);
  if (!ini || !ini[0] || ini[1] != u':') return FALSE;
  const WCHAR* language = context->work->languageCode;
  if (!language[0]) return FALSE;
  ReadIniString(language, u"DefaultKst", u"", destination, MAX_PATH, ini);
  return destination[0] ? TRUE : FALSE;
}
