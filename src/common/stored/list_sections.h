// One entry of a per-printer list (a stamp, a free size, the default section) is a settings
// section of its own: the transfer uses the context's cached printer name as its section,
// so the entry's section name stands in for it for the one call and is always put back.
#pragma once

#include "win/types.h"

struct DriverContext;

// Characters of a list section name, with its NUL.
constexpr int kListSectionChars = 64;

// LoadSettingsFile or SaveSettingsFile of the file with the flags, the section name in
// place of the cached printer name; the call's result (0 without a context, file or
// section).
int LoadListSection(DriverContext* context, const WCHAR* file, const WCHAR* section, DWORD flags);
int SaveListSection(DriverContext* context, const WCHAR* file, const WCHAR* section, DWORD flags);

// The two-letter code of kdmLanguageID: the section of the lists' counts.
const WCHAR* ListLanguageSection(DriverContext* context);

// printf-style "<prefix><n><language code>" into section (kListSectionChars characters).
void MakeListSection(WCHAR* section, const char* prefix, int n, DriverContext* context);
