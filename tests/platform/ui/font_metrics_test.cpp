// Metrics of the fonts of windows and device contexts, measured on the system's TrueType
// faces: the extents and text metrics a page lays its controls out with.
#include <string>

#include "ui_fixture.h"
#include "win/paint.h"

namespace {

using kovatest::UiTest;

class UiFontMetrics : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    dc_ = CreateCompatibleDC(nullptr);
  }
  void TearDown() override {
    DeleteDC(dc_);
    for (HFONT f : fonts_) DeleteObject(f);
    UiTest::TearDown();
  }
  HFONT Use(const char16_t* face, LONG height, LONG weight = FW_NORMAL, BYTE italic = 0) {
    LOGFONTW lf{};
    lf.lfHeight = height;
    lf.lfWeight = weight;
    lf.lfItalic = italic;
    for (int i = 0; face[i] && i < LF_FACESIZE - 1; ++i) lf.lfFaceName[i] = face[i];
    HFONT f = CreateFontIndirectW(&lf);
    fonts_.push_back(f);
    SelectObject(dc_, f);
    return f;
  }
  SIZE Extent(const std::u16string& text) {
    SIZE s{-1, -1};
    EXPECT_TRUE(GetTextExtentPoint32W(dc_, text.c_str(), static_cast<int>(text.size()), &s));
    return s;
  }
  HDC dc_ = nullptr;
  std::vector<HFONT> fonts_;
};

TEST_F(UiFontMetrics, FontsAreMeasuredOnTheirFaces) {
  struct Case {
    const char* name;
    const char16_t* face;
    LONG height;
    LONG weight;
    BYTE italic;
    LONG cell, ascent, descent, leading, average;
    LONG hello, iiii, mmmm;
    bool variablePitch;
  };
  const Case cases[] = {
      // A negative height is the em: the cell adds the internal leading.
      {"DialogFont", u"MS Shell Dlg", -11, FW_NORMAL, 0, 13, 10, 3, 2, 6, 28, 12, 36, true},
      {"BoldIsWider", u"MS Shell Dlg", -16, FW_BOLD, 0, 19, 15, 4, 3, 9, 45, 20, 64, true},
      // A fixed-pitch face: every character as wide as the next.
      {"FixedPitch", u"Courier New", -12, FW_NORMAL, 0, 14, 11, 3, 2, 7, 35, 28, 28, false},
      // A positive height is the whole cell.
      {"CellHeight", u"Times New Roman", 20, FW_NORMAL, 1, 20, 16, 4, 3, 9, 45, 20, 68, true},
      {"DefaultFont", u"", 0, FW_NORMAL, 0, 16, 13, 3, 2, 7, 37, 16, 48, true},
  };
  for (const Case& c : cases) {
    Use(c.face, c.height, c.weight, c.italic);
    TEXTMETRICW tm{};
    ASSERT_TRUE(GetTextMetricsW(dc_, &tm)) << c.name;
    EXPECT_EQ(tm.tmHeight, c.cell) << c.name;
    EXPECT_EQ(tm.tmAscent, c.ascent) << c.name;
    EXPECT_EQ(tm.tmDescent, c.descent) << c.name;
    EXPECT_EQ(tm.tmInternalLeading, c.leading) << c.name;
    EXPECT_EQ(tm.tmAveCharWidth, c.average) << c.name;
    EXPECT_EQ((tm.tmPitchAndFamily & TMPF_FIXED_PITCH) != 0, c.variablePitch) << c.name;
    EXPECT_EQ(tm.tmWeight, c.weight) << c.name;
    const SIZE hello = Extent(u"Hello");
    EXPECT_EQ(hello.cx, c.hello) << c.name;
    EXPECT_EQ(hello.cy, c.cell) << c.name;
    EXPECT_EQ(Extent(u"iiii").cx, c.iiii) << c.name;
    EXPECT_EQ(Extent(u"MMMM").cx, c.mmmm) << c.name;
    EXPECT_EQ(Extent(u"").cx, 0) << c.name;
  }
}

TEST_F(UiFontMetrics, DrawTextLaysTextOutWithTheMeasuredWidth) {
  HBITMAP b = CreateCompatibleBitmap(dc_, 200, 40);
  SelectObject(dc_, b);
  Use(u"MS Shell Dlg", -11);
  RECT calc{10, 5, 10, 5};
  EXPECT_EQ(DrawTextW(dc_, u"Hello", -1, &calc, DT_CALCRECT | DT_SINGLELINE), 13);
  EXPECT_EQ(calc.right, 10 + 28);
  EXPECT_EQ(calc.bottom, 5 + 13);
  SIZE size{};
  EXPECT_FALSE(GetTextExtentPoint32W(dc_, nullptr, 3, &size));
  EXPECT_FALSE(GetTextExtentPoint32W(dc_, u"abc", -1, &size));
  DeleteObject(b);
}

}  // namespace
