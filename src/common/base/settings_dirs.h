// The settings directories of the driver: the settings root (with its printer-data and
// registry overrides), the per-user settings directory, the user data directory, the
// profile and known folders, the creation and removal of the root and its access rights.
//
// Every operation fills a caller buffer of a given size in characters and answers the
// result's length, or 0 on failure, unless said otherwise.
#pragma once

#include "win/security.h"
#include "win/spool.h"
#include "win/types.h"

struct DriverContext;

inline constexpr WCHAR kSettingsDirWord[] = u"_kova";
inline constexpr WCHAR kSettingsRootRegistryValue[] = u"_KOVADirectory";
inline constexpr WCHAR kSettingsRootClientValue[] = u"_KOVADirectoryClient";

// The drive of the system directory followed by "_kova" (C:\_kova).
DWORD GetDefaultSettingsRoot(WCHAR* buffer, DWORD size);

DWORD GetSettingsRoot(WCHAR* buffer, DWORD size, DriverContext* context);
DWORD GetSettingsRootFor(DriverContext* context, WCHAR* buffer, DWORD size, const PRINTER_INFO_2W* printerInfo);
DWORD GetSettingsRootForPrinter(WCHAR* buffer, DWORD size, HANDLE printer);
DWORD GetSettingsRootForPrinterFor(WCHAR* buffer, DWORD size, HANDLE printer, const PRINTER_INFO_2W* printerInfo);
// The settings root on Windows 2000 and later, before that the system directory.
DWORD GetSettingsDir(WCHAR* buffer, DWORD size, DriverContext* context);
DWORD GetSettingsDirFor(DriverContext* context, WCHAR* buffer, DWORD size, const PRINTER_INFO_2W* printerInfo);
DWORD GetSettingsRootOrSystemDir(WCHAR* buffer, DWORD size, HANDLE printer);
DWORD GetSettingsRootOrSystemDirFor(WCHAR* buffer, DWORD size, HANDLE printer, const PRINTER_INFO_2W* printerInfo);
// The per-user settings directory of a context: the folder of an absolute userIniPath,
// else the user data directory.
DWORD GetUserSettingsDir(WCHAR* buffer, DWORD size, DriverContext* context);
DWORD GetUserSettingsDirFor(WCHAR* buffer, DWORD size, DriverContext* context, const PRINTER_INFO_2W* printerInfo);
// The profile directory followed by "\_kova" (Windows 2000 and later).
DWORD GetUserDataDir(WCHAR* buffer, DWORD size, HANDLE printer);
DWORD GetUserDataDirFor(WCHAR* buffer, DWORD size, HANDLE printer, const PRINTER_INFO_2W* printerInfo);
// The user's profile directory, falling back to the printer's settings root.
DWORD GetUserProfileDir(WCHAR* buffer, DWORD size, HANDLE printer);
DWORD GetUserProfileDirFor(WCHAR* buffer, DWORD size, HANDLE printer, const PRINTER_INFO_2W* printerInfo);
DWORD GetUserProfileDirNoFallback(WCHAR* buffer, DWORD size, HANDLE printer, const PRINTER_INFO_2W* printerInfo);

// A directory named by printer data: 1 found (and copied), 0 not usable, -1 when a working
// buffer cannot be allocated or the user data directory cannot be determined.
int ResolvePrinterDataPath(HANDLE printer, const WCHAR* valueName, WCHAR* buffer, DWORD size,
                           const PRINTER_INFO_2W* printerInfo);
int ResolvePrinterDataPathByHandle(HANDLE printer, const WCHAR* valueName, WCHAR* buffer, DWORD size);

// 1 and the known folder LocalAppDataLow, or 0.
BOOL GetLocalAppDataLowDir(WCHAR* buffer, DWORD size);

BOOL CreateSettingsRoot(HANDLE printer);
BOOL CreateSettingsRootForPrinter(DriverContext* context);
// Empties and removes the printer's own folder in the default settings root (the root
// itself and every other printer's files stay). 1 also when there is no such folder.
BOOL RemoveSettingsRoot(HANDLE printer);
// Deletes the files and subdirectories of a directory; 1 when it could be listed.
BOOL DeleteDirectoryContents(const WCHAR* directory);
// Re-applies the owner and DACL to the settings root and the files directly in it; before
// Windows 2000 prepares the two-way cache INI instead.
void PrepareSettingsDirs(DriverContext* context);
// The two-way cache INI of the settings directory, open to every user (defined with the
// rest of the cache, on the floor of the outside libraries).
void CreateBidiCacheIni(DriverContext* context);
// Owner Administrators (S-1-5-32-544) / DACL Everyone full access (inheritable), on the
// path and, with onlyTheDirectory 0, every file directly in it. 1 when the descriptor could
// be built.
BOOL SetAdministratorsOwner(const WCHAR* path, int onlyTheDirectory);
BOOL SetEveryoneDacl(const WCHAR* path, int onlyTheDirectory);
PSECURITY_DESCRIPTOR BuildEveryoneDescriptor();
void FreeEveryoneDescriptor(PSECURITY_DESCRIPTOR descriptor);
