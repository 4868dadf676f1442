// The file pages: the pages that run the common file dialog instead of a dialog of their
// own, and the file-name checks they share with the pages that name a file.
#pragma once

#include "base/dictionary_pages.h"
#include "win/types.h"

// The file pattern of the page: "*.*" or "*.kcm" on the colour-profile page (by its
// file-type combo), "*.bmp" for bitmaps, "*.kpo" for overlays (and page 1037), else "*.kst".
const WCHAR* GetFileFilterPattern(const PageRecord* page);
// Whether the name ends in the page's pattern extension ("*.*" accepts any name); the
// letters are compared without case. A name shorter than four characters has no such end.
bool HasFilterExtension(const PageRecord* page, const WCHAR* name);

struct DriverContext;

// Whether the file opens for reading.
bool FileExists(const WCHAR* path);
// The per-printer INI key under which the page keeps the folder of its last file, or null
// for a page that keeps none.
const WCHAR* GetRememberedPathKey(const PageRecord* page);
// The path's folder (cut at its last '\', a drive root kept with its '\') under the page's
// key, in the printer's section of the per-printer INI; nothing for a page without a key.
void RememberFileFolder(DriverContext* context, const PageRecord* page, const WCHAR* path);
// The remembered folder (up to 260 characters) into out; false when there is none.
bool ReadRememberedFolder(DriverContext* context, const PageRecord* page, WCHAR* out, int outChars);
// Whether two names name one file: the same full path (letters compared without case) or,
// for files that exist, the same file identity.
bool IsSameFile(const WCHAR* a, const WCHAR* b);
// 1 when the path is the settings file of a preset or of a user quality entry. Nothing is
// written to any file to find out.
int IsStoredPresetFile(DriverContext* context, const WCHAR* path);
