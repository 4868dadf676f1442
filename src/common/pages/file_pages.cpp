// The file pages' patterns and name checks.
#include "pages/file_pages.h"

#include "win/controls.h"
#include "win/window.h"

namespace {

constexpr DWORD kColourProfileFlag = 0x4000;
constexpr DWORD kBitmapFlag = 0x400;
constexpr DWORD kOverlayFlags = 0x800 | 0x1000;
constexpr WORD kFileTypeCombo = 1136;
constexpr WORD kOverlayPage = 1037;

WCHAR Lower(WCHAR c) { return (c >= u'A' && c <= u'Z') ? static_cast<WCHAR>(c - u'A' + u'a') : c; }

}  // namespace

const WCHAR* GetFileFilterPattern(const PageRecord* page) {
  if (!page) return u"*.kst";
  if (page->flags & kColourProfileFlag) {
    HWND combo = page->window ? GetDlgItem(page->window, kFileTypeCombo) : nullptr;
    const LRESULT selected = combo ? SendMessageW(combo, CB_GETCURSEL, 0, 0) : 0;
    return (selected != 0 && selected != CB_ERR) ? u"*.*" : u"*.kcm";
  }
  if (page->flags & kBitmapFlag) return u"*.bmp";
  if ((page->flags & kOverlayFlags) || page->pageId == kOverlayPage) return u"*.kpo";
  return u"*.kst";
}

bool HasFilterExtension(const PageRecord* page, const WCHAR* name) {
  const WCHAR* pattern = GetFileFilterPattern(page);
  if (pattern[2] == u'*') return true;
  if (!name) return false;
  std::size_t length = 0;
  while (name[length]) ++length;
  if (length < 4) return false;
  const WCHAR* end = name + length - 4;
  for (int i = 0; i < 4; ++i)
    if (Lower(end[i]) != Lower(pattern[1 + i])) return false;
  return true;
}
