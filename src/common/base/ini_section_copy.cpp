#include "base/ini_section_copy.h"

#include "base/memory.h"
#include "win/profile.h"

int CopyIniSection(const WCHAR* source, const WCHAR* sourceSection, const WCHAR* target, const WCHAR* targetSection,
                   DWORD limit) {
  if (!source || !sourceSection || !target || !targetSection || limit < 2) return kSectionFailed;
  // Two characters beyond the limit: a section of exactly limit characters fills the
  // buffer to the point where the reader cuts, and is told from one that fits.
  const DWORD size = limit + 2;
  auto* text = static_cast<WCHAR*>(AllocMem((size + 2) * sizeof(WCHAR)));
  if (!text) return kSectionFailed;
  const DWORD n = GetPrivateProfileSectionW(sourceSection, text, size, source);
  int result = kSectionCopied;
  if (n == 0) {
    result = kSectionAbsent;
  } else if (n >= limit) {
    result = kSectionTooLarge;
  } else {
    text[n] = 0;
    text[n + 1] = 0;
    if (!WritePrivateProfileSectionW(targetSection, text, target)) result = kSectionFailed;
  }
  FreeMem(text);
  return result;
}
