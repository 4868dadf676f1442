#include "context/paths_and_names.h"

#include <cstring>

#include "context/memory.h"
#include "context/spooler_info.h"
#include "win/kernel.h"

namespace {

DWORD Length(const WCHAR* s) {
  DWORD n = 0;
  if (s)
    while (s[n]) ++n;
  return n;
}

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
  DWORD dirLen = Length(directory), nameLen = Length(name);
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
    DWORD nameLen = Length(name);
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
