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
