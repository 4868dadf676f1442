// Text drawn into pixels: the glyphs of a face in the text colour, the cell's background
// in opaque mode, nothing past a clipping rectangle, and the controls' captions readable.
#include <string>

#include "ui_fixture.h"
#include "win/paint.h"

namespace text_pixels_test {

using kovatest::UiTest;
namespace ui = plat::ui;

// Whether a pixel is darker than the mid grey (a glyph's stroke in black on a light face).
bool Dark(DWORD p) { return p != 0xFFFFFFFFu && ((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF) < 3 * 128; }

struct Count {
  int inside = 0, outside = 0;
};

// Dark pixels of a window's surface, inside and outside a rectangle.
Count DarkPixels(HWND w, const RECT& r, int width, int height) {
  Count c;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      if (!Dark(ui::PixelAt(w, x, y))) continue;
      const bool in = x >= r.left && x < r.right && y >= r.top && y < r.bottom;
      ++(in ? c.inside : c.outside);
    }
  return c;
}

class TextPixels : public UiTest {};

TEST_F(TextPixels, TextOutDrawsGlyphsInItsCellOnly) {
  struct Case {
    const char* name;
    int bkMode;
    UINT options;
    RECT clip;        // with ETO_CLIPPED
    RECT inkBounds;   // where glyph pixels may fall
    bool backFilled;  // the cell's background in the background colour
  };
  const Case cases[] = {
      {"Transparent", TRANSPARENT, 0, {}, {10, 10, 60, 30}, false},
      {"OpaqueFillsTheCell", OPAQUE, 0, {}, {10, 10, 60, 30}, true},
      // Only the left half of the text gets through.
      {"ClippedToTheRectangle", TRANSPARENT, ETO_CLIPPED, {0, 0, 20, 40}, {10, 10, 20, 30}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HWND w = CreateWindowExW(0, u"#32770", u"Text", WS_POPUP | WS_VISIBLE, 0, 0, 80, 40, nullptr, nullptr, nullptr,
                             nullptr);
    ui::RunPendingMessages();
    HDC dc = GetDC(w);
    RECT all{0, 0, 80, 40};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkColor(dc, RGB(0, 0, 255));
    SetBkMode(dc, c.bkMode);
    EXPECT_TRUE(ExtTextOutW(dc, 10, 10, c.options, &c.clip, u"Hello", 5, nullptr));
    SIZE cell{};
    GetTextExtentPoint32W(dc, u"Hello", 5, &cell);
    ReleaseDC(w, dc);
    const Count n = DarkPixels(w, c.inkBounds, 80, 40);
    EXPECT_GT(n.inside, 20);
    // Blue background counts as dark: only the cell may hold it.
    if (c.backFilled) {
      EXPECT_EQ(ui::PixelAt(w, 10, 10), 0x0000FFu);
      EXPECT_EQ(ui::PixelAt(w, 10 + cell.cx - 1, 10 + cell.cy - 1), 0x0000FFu);
      EXPECT_EQ(ui::PixelAt(w, 10 + cell.cx, 10), 0xFFFFFFu);
      EXPECT_EQ(ui::PixelAt(w, 9, 10), 0xFFFFFFu);
    } else {
      EXPECT_EQ(n.outside, 0);
      EXPECT_EQ(ui::PixelAt(w, 10, 10), 0xFFFFFFu);
    }
    // The paint log keeps its line.
    const auto log = ui::PaintLog(w);
    EXPECT_FALSE(log.empty());
    if (!log.empty()) {
      EXPECT_EQ(log.back(), "text 10,10 Hello");
    }
    DestroyWindow(w);
  }
}

TEST_F(TextPixels, AStaticsCaptionIsDarkInsideItsRectangleAndNowhereElse) {
  struct Case {
    const char* name;
    DWORD style;
  };
  const Case cases[] = {{"Left", SS_LEFT}, {"Centred", SS_CENTER}, {"Right", SS_RIGHT}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HWND w = CreateWindowExW(0, u"#32770", u"Page", WS_POPUP | WS_VISIBLE, 0, 0, 200, 60, nullptr, nullptr, nullptr,
                             nullptr);
    HWND label = CreateWindowExW(0, u"Static", u"Copies:", WS_CHILD | WS_VISIBLE | c.style, 20, 20, 120, 16, w,
                                 reinterpret_cast<HMENU>(7), nullptr, nullptr);
    ui::RunPendingMessages();
    const Count n = DarkPixels(label, RECT{0, 0, 120, 16}, 120, 16);
    EXPECT_GT(n.inside, 20);
    // The dialog's own surface holds no ink: its face only.
    EXPECT_EQ(DarkPixels(w, RECT{0, 0, 0, 0}, 200, 60).outside, 0);
    // The text's background is the face colour of the static, not a white box.
    EXPECT_EQ(ui::PixelAt(label, 0, 0), 0xF0F0F0u);
    DestroyWindow(w);
  }
}

TEST_F(TextPixels, APictureOfAWindowHoldsItsVisibleChildrenInPlace) {
  HWND w = CreateWindowExW(0, u"#32770", u"Page", WS_POPUP | WS_VISIBLE, 100, 50, 120, 60, nullptr, nullptr, nullptr,
                           nullptr);
  auto child = [w](const char16_t* cls, DWORD style, int x, int y, int cx, int cy) {
    return CreateWindowExW(0, cls, u"", WS_CHILD | style, x, y, cx, cy, w, nullptr, nullptr, nullptr);
  };
  // A black block, a hidden white one, a black one partly outside the window, and a
  // white one over the first (created later: beneath it in z-order).
  child(u"Static", WS_VISIBLE | SS_BLACKRECT, 10, 10, 20, 20);
  child(u"Static", SS_WHITERECT, 40, 10, 20, 20);
  child(u"Static", WS_VISIBLE | SS_BLACKRECT, 110, 50, 30, 30);
  child(u"Static", WS_VISIBLE | SS_WHITERECT, 20, 20, 30, 30);
  const ui::Picture p = ui::Compose(w);
  ASSERT_EQ(p.width, 120);
  ASSERT_EQ(p.height, 60);
  ASSERT_EQ(p.pixels.size(), 120u * 60u);
  auto at = [&p](int x, int y) { return p.pixels[static_cast<std::size_t>(y) * 120 + x]; };
  struct Case {
    const char* name;
    int x, y;
    std::uint32_t pixel;
  };
  const Case cases[] = {
      {"TheWindowsFace", 2, 2, 0xF0F0F0u},
      {"AChildInItsPlace", 12, 12, 0x000000u},
      {"TheChildOnTopWins", 25, 25, 0x000000u},
      {"TheLowerChildShowsBeyondIt", 45, 45, 0xFFFFFFu},
      {"AHiddenChildIsNotThere", 45, 15, 0xF0F0F0u},
      {"AChildIsClippedToTheWindow", 115, 55, 0x000000u},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(at(c.x, c.y), c.pixel);
  }
  // Nothing for a child or a hidden window.
  EXPECT_EQ(ui::Compose(GetWindow(w, GW_CHILD)).pixels.size(), 0u);
  ShowWindow(w, SW_HIDE);
  EXPECT_EQ(ui::Compose(w).pixels.size(), 0u);
  DestroyWindow(w);
}

}  // namespace text_pixels_test
