// Paths and names the driver derives: the driver directory and the general path builders
// that join a directory and a file name inside a bounded buffer. A result that would not
// fit leaves an empty string, which callers treat as a missing file.
#pragma once

#include "win/spool.h"
#include "win/types.h"

// The directory part (with its last "\") of the driver path of the printer's driver
// record, into a buffer of MAX_PATH characters; without a record, the system directory
// followed by "\spool\drivers\w32x86\2\".
void GetDriverDirectoryCopy(HANDLE printer, WCHAR* buffer);
// The same from a given record; null reads the printer's.
void GetDriverDirectoryCopyFor(HANDLE printer, WCHAR* buffer, const DRIVER_INFO_3W* driverInfo);

// The directory part of the driver path followed by the name; the buffer is left unchanged
// when the record or its driver path is missing, and empty when the result would not fit.
void MakeDriverPath(WCHAR* buffer, DWORD size, const WCHAR* name, HANDLE printer);
void MakeDriverPathFor(WCHAR* buffer, DWORD size, const WCHAR* name, HANDLE printer, const DRIVER_INFO_3W* driverInfo);

// The Windows or the system directory, "\" and the name; empty when it would not fit.
void MakeWindowsPath(WCHAR* buffer, DWORD size, const WCHAR* name);
void MakeSystemPath(WCHAR* buffer, DWORD size, const WCHAR* name);

// Joins a directory and a name into the buffer: the directory's length + 1 + the name's
// length + 1 must not exceed the size, otherwise the buffer is left empty. Answers the
// result's length, 0 when it was left empty.
DWORD JoinPath(WCHAR* buffer, DWORD size, const WCHAR* directory, const WCHAR* name);
