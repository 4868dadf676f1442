// EnumFontFamiliesW over the fonts installed in the system: the values of the "Fonts" key
// (HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion\Fonts), each named "Face (Kind)" or
// "Face & Other Face (Kind)" with the font file as its data.
#include <string>
#include <vector>

#include "win/gdi.h"
#include "win/paint.h"
#include "win/registry.h"

namespace {

constexpr WCHAR kFontsKey[] = u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";

struct Family {
  std::u16string name;
  DWORD type;
};

char16_t Lower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; }

bool SameNoCase(const std::u16string& a, const std::u16string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

std::u16string Trimmed(std::u16string s) {
  while (!s.empty() && s.back() == u' ') s.pop_back();
  std::size_t i = 0;
  while (i < s.size() && s[i] == u' ') ++i;
  return s.substr(i);
}

// The families one value name stands for, with the kind in its last parentheses.
void AddFamilies(const std::u16string& valueName, std::vector<Family>& families) {
  std::u16string faces = valueName;
  DWORD type = RASTER_FONTTYPE;
  const std::size_t open = valueName.rfind(u'(');
  if (open != std::u16string::npos && valueName.back() == u')') {
    std::u16string kind = valueName.substr(open + 1, valueName.size() - open - 2);
    if (SameNoCase(kind, u"TrueType") || SameNoCase(kind, u"OpenType")) type = TRUETYPE_FONTTYPE;
    faces = valueName.substr(0, open);
  }
  std::size_t start = 0;
  while (start <= faces.size()) {
    std::size_t amp = faces.find(u'&', start);
    if (amp == std::u16string::npos) amp = faces.size();
    const std::u16string face = Trimmed(faces.substr(start, amp - start));
    bool known = face.empty();
    for (const Family& f : families) known = known || SameNoCase(f.name, face);
    if (!known) families.push_back(Family{face, type});
    start = amp + 1;
  }
}

std::vector<Family> InstalledFamilies() {
  std::vector<Family> families;
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kFontsKey, 0, KEY_READ, &key) != 0) return families;
  for (DWORD index = 0;; ++index) {
    WCHAR name[256] = {};
    DWORD chars = 256;
    if (RegEnumValueW(key, index, name, &chars, nullptr, nullptr, nullptr, nullptr) != 0) break;
    AddFamilies(std::u16string(name, chars), families);
  }
  RegCloseKey(key);
  return families;
}

}  // namespace

extern "C" {

int WINAPI EnumFontFamiliesW(HDC, LPCWSTR lpszFamily, FONTENUMPROCW lpProc, LPARAM lParam) {
  if (!lpProc) return 0;
  int answer = 1;
  for (const Family& family : InstalledFamilies()) {
    if (lpszFamily && !SameNoCase(family.name, lpszFamily)) continue;
    LOGFONTW font{};
    font.lfHeight = 16;
    font.lfWeight = 400;
    for (std::size_t i = 0; i < family.name.size() && i < 31; ++i) font.lfFaceName[i] = family.name[i];
    TEXTMETRICW metrics{};
    metrics.tmHeight = 16;
    metrics.tmAscent = 13;
    metrics.tmDescent = 3;
    metrics.tmWeight = 400;
    answer = lpProc(&font, &metrics, family.type, lParam);
    if (answer == 0) break;
  }
  return answer;
}

}  // extern "C"
