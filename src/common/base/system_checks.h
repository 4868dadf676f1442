// Checks of the platform that many parts of the driver branch on: the Windows version, the
// terminal server and the administrator.
#pragma once

#include "win/kernel.h"
#include "win/spool.h"
#include "win/types.h"

struct DriverContext;

// Zeroes the record, sets its size to 276 and asks GetVersionExW; its result.
BOOL GetOsVersion(OSVERSIONINFOW* info);
BOOL IsNt5OrLater();         // Windows 2000 and later; asked once per process
BOOL IsWin2003OrLater();     // major above 4 and neither 5.0 nor 5.1
BOOL IsNt6OrLater();         // Vista and later
BOOL IsWin9x();              // platform id 1
BOOL IsWin2000BeforeSp4();   // 5.0 with service pack below 4
BOOL IsWin2000Sp4();         // 5.0 with service pack 4

// Name of the test library in the driver directory and its export.
inline constexpr WCHAR kTerminalServerDll[] = u"Termsvc.dll";
inline constexpr char kTerminalServerExport[] = "_IsTSE_WMICOM_KOVA_Printer_Driver";

BOOL IsTerminalServer(HANDLE printer);
BOOL IsTerminalServerFor(HANDLE printer, const DRIVER_INFO_3W* driverInfo);
// The same test, run once per process; later calls get the first answer, whatever printer
// they are for.
BOOL IsTerminalServerCached(HANDLE printer);
BOOL IsTerminalServerCachedFor(HANDLE printer, const DRIVER_INFO_3W* driverInfo);

// 1 when the calling thread's user belongs to the local Administrators group.
BOOL IsUserAdmin();
// IsUserAdmin for a null context or one that tests; 1 for a context created without the test.
BOOL IsUserAdminIfNeeded(const DriverContext* context);

// 1 when the printer data "AdminChange" (REG_DWORD) reads as nonzero; *out is written when
// the read succeeds.
BOOL GetAdminChange(HANDLE printer, DWORD* out);

// Forgets the answers kept for the process (tests steer the machine between cases).
void ResetSystemTestCaches();
// Changes with every ResetSystemTestCaches: what was kept from the old answers is stale.
DWORD SystemTestGeneration();
