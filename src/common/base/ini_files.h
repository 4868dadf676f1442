// INI access of the driver. Section names are copied into a 261-character buffer (a
// longer name is cut to 260) with every '[' and ']' replaced by ',', and every write is
// flushed at once.
#pragma once

#include "win/types.h"

// Replaces '[' and ']' by ',' in place (in the settings API on Windows 9x, except in a
// character whose low byte is a lead byte of the system code page and the one after it).
void SanitizeIniSection(WCHAR* name);
// A value written into an INI line must neither end the line nor start another key: line
// breaks become spaces. Answers whether the text had any.
bool SanitizeIniValue(WCHAR* value);
bool IsIniLineBreak(WCHAR c);

INT ReadIniInt(const WCHAR* section, const WCHAR* key, INT defaultValue, const WCHAR* file);
// Characters read; the buffer holds at most size - 1 characters and a NUL.
DWORD ReadIniString(const WCHAR* section, const WCHAR* key, const WCHAR* defaultValue, WCHAR* buffer, DWORD size,
                    const WCHAR* file);
// A null key deletes the section, a null value the key. Flushes the file afterwards.
// The value's line breaks are written as spaces (SanitizeIniValue).
BOOL WriteIniString(const WCHAR* section, const WCHAR* key, const WCHAR* value, const WCHAR* file);
// Writes a key and puts the file's last-write time back as it was before the write.
BOOL WriteIniKeepTime(const WCHAR* section, const WCHAR* key, const WCHAR* value, const WCHAR* file, DWORD reserved);
