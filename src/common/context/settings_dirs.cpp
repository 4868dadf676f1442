#include "context/settings_dirs.h"

#include <cstring>

#include "win/kernel.h"

DWORD GetDefaultSettingsRoot(WCHAR* buffer, DWORD size) {
  if (!buffer || size == 0) return 0;
  buffer[0] = 0;
  WCHAR system[MAX_PATH];
  UINT n = GetSystemDirectoryW(system, MAX_PATH);
  if (n < 3 || n >= MAX_PATH) return 0;
  static constexpr WCHAR kWord[] = u"_kova";
  constexpr DWORD wordLen = sizeof kWord / sizeof(WCHAR) - 1;
  if (3 + wordLen + 1 > size) return 0;
  std::memcpy(buffer, system, 3 * sizeof(WCHAR));
  std::memcpy(buffer + 3, kWord, (wordLen + 1) * sizeof(WCHAR));
  return 3 + wordLen;
}

// PENDING: the settings-directory issue builds the connection, printer-data and registry
// overrides and the per-user directories; until then both answer the default settings root.
DWORD GetSettingsDirFor(DriverContext*, WCHAR* buffer, DWORD size, const PRINTER_INFO_2W*) {
  return GetDefaultSettingsRoot(buffer, size);
}

// PENDING: see GetSettingsDirFor.
DWORD GetUserSettingsDirFor(WCHAR* buffer, DWORD size, DriverContext*, const PRINTER_INFO_2W*) {
  return GetDefaultSettingsRoot(buffer, size);
}
