// Visual styles: UxTheme.dll found by name, theme handles of class lists, part backgrounds
// read back by pixels, and the styles turned off for the system or for one window.
#include "ui_fixture.h"
#include "win/errors.h"
#include "win/paint.h"
#include "win/uxtheme.h"

namespace {

using kovatest::UiTest;

using UiVisualStyles = UiTest;

TEST_F(UiVisualStyles, ThemesOfClassListsPaintTheirPartsAndFollowTheSwitches) {
  HMODULE lib = LoadLibraryW(u"uxtheme.dll");
  ASSERT_NE(lib, nullptr);
  for (const char* name : {"IsThemeActive", "OpenThemeData", "CloseThemeData", "DrawThemeBackground", "SetWindowTheme"})
    EXPECT_NE(GetProcAddress(lib, name), nullptr) << name;
  FreeLibrary(lib);

  HWND page = CreateWindowExW(0, u"#32770", u"page", WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
  struct Case {
    const char* name;
    const char16_t* classes;
    bool found;
  };
  const Case cases[] = {
      {"Known", u"Tab", true},
      {"AnyCase", u"tab", true},
      {"FirstKnownOfAList", u"NoSuchClass;Tab", true},
      {"Unknown", u"NoSuchClass", false},
      {"Empty", u"", false},
  };
  for (const Case& c : cases) {
    HTHEME t = OpenThemeData(page, c.classes);
    EXPECT_EQ(t != nullptr, c.found) << c.name;
    if (t) {
      EXPECT_EQ(CloseThemeData(t), S_OK) << c.name;
    }
  }

  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP b = CreateCompatibleBitmap(dc, 10, 10);
  SelectObject(dc, b);
  HTHEME tab = OpenThemeData(page, u"Tab");
  const RECT all{0, 0, 10, 10}, clip{0, 0, 4, 4};
  EXPECT_EQ(DrawThemeBackground(tab, dc, TABP_PANE, 0, &all, &clip), S_OK);
  EXPECT_EQ(GetPixel(dc, 3, 3), RGB(252, 252, 252));
  EXPECT_EQ(GetPixel(dc, 5, 5), RGB(0, 0, 0));  // outside the clip
  EXPECT_EQ(CloseThemeData(tab), S_OK);
  EXPECT_EQ(DrawThemeBackground(tab, dc, TABP_PANE, 0, &all, nullptr), E_INVALIDARG);  // closed
  DeleteDC(dc);
  DeleteObject(b);

  // One window without styles; then the system without them.
  EXPECT_EQ(SetWindowTheme(page, u"", u""), S_OK);
  EXPECT_EQ(OpenThemeData(page, u"Tab"), nullptr);
  EXPECT_EQ(SetWindowTheme(page, nullptr, nullptr), S_OK);
  HTHEME again = OpenThemeData(page, u"Tab");
  EXPECT_NE(again, nullptr);
  CloseThemeData(again);
  plat::ui::SetVisualStylesActive(false);
  EXPECT_FALSE(IsThemeActive());
  EXPECT_EQ(OpenThemeData(page, u"Tab"), nullptr);
  plat::ui::Reset();
  EXPECT_TRUE(IsThemeActive());
}

}  // namespace
