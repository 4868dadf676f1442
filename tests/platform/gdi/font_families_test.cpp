// EnumFontFamiliesW over the fonts the system's registry lists, on the screen's device
// context (the desktop window's).
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "test_root.h"
#include "win/paint.h"
#include "win/registry.h"
#include "win/window.h"

namespace kovatest {
namespace {

using Seen = std::vector<std::pair<std::u16string, DWORD>>;

class FontFamilies : public ::testing::Test {
 protected:
  void Install(const std::vector<std::u16string>& names) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts", 0,
                              nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              0);
    for (const std::u16string& name : names) {
      const WCHAR file[] = u"font.ttf";
      RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(file), sizeof file);
    }
    RegCloseKey(key);
  }
  static int Collect(const LOGFONTW* font, const TEXTMETRICW*, DWORD type, LPARAM out) {
    reinterpret_cast<Seen*>(out)->emplace_back(font->lfFaceName, type);
    return reinterpret_cast<Seen*>(out)->size() < 3 ? 1 : 0;  // stops after three
  }
  TempRoot root_;
};

TEST_F(FontFamilies, OneCallbackPerFamilyWithItsTypeUntilTheCallbackStops) {
  Install({u"Arial (TrueType)", u"Arial Bold (TrueType)", u"MS Gothic & MS UI Gothic (TrueType)",
           u"Courier 10,12,15", u"Segoe (OpenType)", u"Arial (TrueType)"});
  HWND desktop = GetDesktopWindow();
  HDC screen = GetDC(desktop);
  ASSERT_NE(screen, nullptr);
  Seen seen;
  EXPECT_EQ(EnumFontFamiliesW(screen, nullptr, Collect, reinterpret_cast<LPARAM>(&seen)), 0);
  const Seen firstThree = {{u"Arial", TRUETYPE_FONTTYPE}, {u"Arial Bold", TRUETYPE_FONTTYPE},
                           {u"MS Gothic", TRUETYPE_FONTTYPE}};
  EXPECT_EQ(seen, firstThree);
  seen.clear();
  EXPECT_EQ(EnumFontFamiliesW(screen, u"ms ui gothic", Collect, reinterpret_cast<LPARAM>(&seen)), 1);
  EXPECT_EQ(seen, (Seen{{u"MS UI Gothic", TRUETYPE_FONTTYPE}}));
  seen.clear();
  EXPECT_EQ(EnumFontFamiliesW(screen, u"Courier 10,12,15", Collect, reinterpret_cast<LPARAM>(&seen)), 1);
  EXPECT_EQ(seen, (Seen{{u"Courier 10,12,15", RASTER_FONTTYPE}}));
  seen.clear();
  EXPECT_EQ(EnumFontFamiliesW(screen, u"Times", Collect, reinterpret_cast<LPARAM>(&seen)), 1);
  EXPECT_TRUE(seen.empty());
  EXPECT_EQ(EnumFontFamiliesW(screen, nullptr, nullptr, 0), 0);
  EXPECT_EQ(ReleaseDC(desktop, screen), 1);
}

TEST_F(FontFamilies, NoFontsKeyEnumeratesNothing) {
  Seen seen;
  EXPECT_EQ(EnumFontFamiliesW(nullptr, nullptr, Collect, reinterpret_cast<LPARAM>(&seen)), 1);
  EXPECT_TRUE(seen.empty());
}

}  // namespace
}  // namespace kovatest
