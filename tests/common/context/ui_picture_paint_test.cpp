// The picture painter, read back by pixels: transparency by the mask colour, anchoring,
// raster operations, the tab-page background of the visual style, buffered painting with
// stretching and colour adjustment, the masked preview, bitmap files and held bitmaps.
#include <cstring>
#include <string>
#include <vector>

#include "base/dictionary_pages.h"
#include "base/driver_context.h"
#include "fields/field_access.h"
#include "context/ui_picture_paint.h"
#include "context/ui_pictures.h"
#include "base/ui_strings.h"
#include "field_ids.h"
#include "paths_fixture.h"
#include "plat/ui_driver.h"
#include "win/loader.h"
#include "win/paint.h"
#include "win/resources.h"

namespace {

constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kGround = RGB(10, 20, 30);  // what the destination shows before drawing
constexpr COLORREF kTabBody = RGB(252, 252, 252);

void Put32(std::string& s, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// A BMP file of `bits` (4 or 8) per pixel: a colour table and rows of palette indexes,
// given top row first.
std::string IndexedBmp(int bits, const std::vector<COLORREF>& table, const std::vector<std::vector<int>>& rowsTopFirst) {
  const int width = static_cast<int>(rowsTopFirst[0].size());
  const int height = static_cast<int>(rowsTopFirst.size());
  const std::size_t rowSize = (static_cast<std::size_t>(bits) * width + 31) / 32 * 4;
  const std::size_t tableSize = 4u << bits;
  std::string s(14 + 40 + tableSize + rowSize * height, '\0');
  s[0] = 'B';
  s[1] = 'M';
  Put32(s, 2, static_cast<std::uint32_t>(s.size()));
  Put32(s, 10, static_cast<std::uint32_t>(14 + 40 + tableSize));
  Put32(s, 14, 40);
  Put32(s, 18, static_cast<std::uint32_t>(width));
  Put32(s, 22, static_cast<std::uint32_t>(height));
  s[26] = 1;
  s[28] = static_cast<char>(bits);
  for (std::size_t i = 0; i < table.size(); ++i) {
    s[54 + 4 * i] = static_cast<char>(GetBValue(table[i]));
    s[54 + 4 * i + 1] = static_cast<char>(GetGValue(table[i]));
    s[54 + 4 * i + 2] = static_cast<char>(GetRValue(table[i]));
  }
  for (int y = 0; y < height; ++y) {
    const auto& row = rowsTopFirst[static_cast<std::size_t>(height - 1 - y)];  // bottom row first
    const std::size_t at = 54 + tableSize + rowSize * y;
    for (int x = 0; x < width; ++x) {
      if (bits == 8) {
        s[at + x] = static_cast<char>(row[static_cast<std::size_t>(x)]);
      } else {
        const int shift = (x % 2) ? 0 : 4;
        s[at + x / 2] = static_cast<char>(s[at + x / 2] | (row[static_cast<std::size_t>(x)] << shift));
      }
    }
  }
  return s;
}

class UiPicturePaint : public kovatest::PathsTest {
 protected:
  void SetUp() override {
    PathsTest::SetUp();
    plat::ui::Reset();
    ctx_ = Context(nullptr);
    WriteFieldRawById(ctx_, fid::kdmMachineTypeColor, 1);
    // 6100: four by four, 4 bits; its bottom-left pixel (green) is the transparent colour.
    root_.WriteFile(u"C:\\drv\\p4.bmp", IndexedBmp(4, {kGreen, kRed, kBlue},
                                                   {{1, 2, 2, 1}, {1, 2, 2, 1}, {1, 2, 2, 1}, {0, 1, 1, 0}}));
    // 6101: two by two, 8 bits; RGB(204, 0, 51) is the transparent colour.
    root_.WriteFile(u"C:\\drv\\p8.bmp", IndexedBmp(8, {kPictureMaskColour, kBlue, kGreen}, {{1, 0}, {2, 1}}));
    // 6001 and 6002 are the same picture under ids of the picture table (see
    // PictureTableRowsPlaceNamedPictures).
    root_.WriteFile(u"C:\\drv\\ui.rc",
                    "6100 BITMAP \"p4.bmp\"\n6101 BITMAP \"p8.bmp\"\n6001 BITMAP \"p4.bmp\"\n6002 BITMAP \"p4.bmp\"\n");
    ctx_->uiModule = LoadLibraryW(u"C:\\drv\\ui.dll");
    ASSERT_NE(ctx_->uiModule, nullptr);
    dc_ = CreateCompatibleDC(nullptr);
    surface_ = CreateCompatibleBitmap(dc_, 20, 20);
    SelectObject(dc_, surface_);
    Paint(RECT{0, 0, 20, 20}, kGround);
  }
  void TearDown() override {
    ReleasePicturePaint(ctx_);
    DeleteDC(dc_);
    DeleteObject(surface_);
    FreeResourceModules(ctx_);
    plat::ui::Reset();
    PathsTest::TearDown();
  }
  void Paint(RECT r, COLORREF c) {
    HBRUSH b = CreateSolidBrush(c);
    FillRect(dc_, &r, b);
    DeleteObject(b);
  }
  COLORREF At(int x, int y) { return GetPixel(dc_, x, y); }

  DriverContext* ctx_ = nullptr;
  HDC dc_ = nullptr;
  HBITMAP surface_ = nullptr;
};

TEST_F(UiPicturePaint, PicturesByTheirFlags) {
  struct Pixel {
    int x, y;
    COLORREF colour;
  };
  struct Case {
    const char* name;
    DWORD id;
    int x, y;
    DWORD flags;
    std::vector<Pixel> pixels;
  };
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  const Case cases[] = {
      {"TransparentOverTheDestination", 6100, 2, 3, kPictureTransparent,
       {{2, 3, kRed}, {3, 3, kBlue}, {2, 6, kGround}, {3, 6, kRed}, {1, 3, kGround}, {9, 9, kGround}}},
      {"OnTheBackgroundColour", 6100, 2, 3, 0,
       {{2, 3, kRed}, {2, 6, face}, {1, 3, face}, {9, 9, face}, {12, 12, kGround}}},
      {"OpaqueKeepsTheMaskColour", 6100, 2, 3, kPictureOpaque, {{2, 6, kGreen}, {1, 3, kGround}}},
      {"AnchoredAtItsCentre", 6100, 4, 4, kPictureTransparent | kPictureCentreX | kPictureCentreY,
       {{2, 2, kRed}, {3, 2, kBlue}, {2, 5, kGround}, {5, 5, kGround}}},
      {"AnchoredAtItsBottomRight", 6100, 6, 6, kPictureTransparent | kPictureRight | kPictureBottom,
       {{2, 2, kRed}, {5, 5, kGround}, {3, 5, kRed}}},
      {"EightBitsUseTheFixedMaskColour", 6101, 0, 0, kPictureTransparent,
       {{0, 0, kBlue}, {1, 0, kGround}, {0, 1, kGreen}, {1, 1, kBlue}}},
      {"CombinedWithAnd", 6100, 0, 0, kPictureAnd, {{0, 0, kGround & kRed}, {0, 3, kGround & kGreen}}},
      {"OutsideEveryRangeDrawsNothing", 5000, 0, 0, kPictureOpaque, {{0, 0, kGround}, {9, 9, kGround}}},
  };
  for (const Case& c : cases) {
    Paint(RECT{0, 0, 20, 20}, kGround);
    const RECT area{0, 0, 10, 10};
    DrawPicture(ctx_, nullptr, nullptr, dc_, &area, c.x, c.y, MAKEINTRESOURCEW(c.id), c.flags, TRUE);
    for (const Pixel& p : c.pixels)
      EXPECT_EQ(At(p.x, p.y), p.colour) << c.name << " at " << p.x << "," << p.y;
  }
}

TEST_F(UiPicturePaint, TransparentPicturesOnAPageShowTheTabPageBodyWhenStylesApply) {
  HWND page = CreateWindowExW(0, u"#32770", u"page", WS_VISIBLE, 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
  HWND control = CreateWindowExW(0, u"Static", u"", WS_CHILD | WS_VISIBLE, 30, 20, 20, 20, page,
                                 reinterpret_cast<HMENU>(static_cast<ULONG_PTR>(2249)), nullptr, nullptr);
  PageRecord pageRecord{};
  pageRecord.window = page;
  ControlRecord controlRecord{};
  controlRecord.window = control;
  struct Case {
    const char* name;
    bool styles;
    DWORD openFlag;
    BOOL noTheme;
    COLORREF background;  // of the paint state
    COLORREF shows;       // at a transparent pixel
  };
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  const Case cases[] = {
      {"StylesOn", true, 0, FALSE, face, kTabBody},
      {"StylesOff", false, 0, FALSE, face, face},
      {"ModalSubDialog", true, 1, FALSE, face, face},
      {"NoThemeAsked", true, 0, TRUE, face, face},
      {"AnotherBackground", true, 0, FALSE, RGB(255, 255, 255), RGB(255, 255, 255)},
  };
  for (const Case& c : cases) {
    plat::ui::SetVisualStylesActive(c.styles);
    pageRecord.openFlag = c.openFlag;
    GetPaintState(ctx_)->background = c.background;
    Paint(RECT{0, 0, 20, 20}, kGround);
    const RECT area{0, 0, 10, 10};
    DrawPicture(ctx_, &pageRecord, &controlRecord, dc_, &area, 0, 0, MAKEINTRESOURCEW(6100), 0, c.noTheme);
    EXPECT_EQ(At(0, 3), c.shows) << c.name;
    EXPECT_EQ(At(8, 8), c.shows) << c.name;
    EXPECT_EQ(At(0, 0), kRed) << c.name;
  }
}

TEST_F(UiPicturePaint, BufferedPicturesReachTheDestinationInOneCopy) {
  PicturePaintState* ps = GetPaintState(ctx_);
  ps->overrideDc = dc_;
  BeginBufferedPaint(ctx_);
  const RECT area{4, 4, 12, 12};
  DrawPicture(ctx_, nullptr, nullptr, dc_, &area, 4, 4, MAKEINTRESOURCEW(6100), kPictureTransparent, TRUE);
  DrawPicture(ctx_, nullptr, nullptr, dc_, &area, 8, 8, MAKEINTRESOURCEW(6101), kPictureTransparent, TRUE);
  EXPECT_EQ(At(4, 4), kGround);  // nothing yet
  EndBufferedPaint(ctx_, nullptr, &area);
  EXPECT_EQ(At(4, 4), kRed);
  EXPECT_EQ(At(8, 8), kBlue);   // the second picture over the first
  EXPECT_EQ(At(9, 8), kGround);
  EXPECT_EQ(At(3, 3), kGround);  // outside the area
  EXPECT_EQ(ps->memoryDc, nullptr);
  EXPECT_EQ(ps->buffered, 0);
  // Without buffered painting the end copies nothing.
  Paint(RECT{0, 0, 20, 20}, kGround);
  EndBufferedPaint(ctx_, nullptr, &area);
  EXPECT_EQ(At(4, 4), kGround);
  // An end without a target copies nothing but still frees the memory picture, and a new
  // beginning frees one that was never ended.
  BeginBufferedPaint(ctx_);
  DrawPicture(ctx_, nullptr, nullptr, dc_, &area, 4, 4, MAKEINTRESOURCEW(6100), kPictureOpaque, TRUE);
  ASSERT_NE(ps->memoryDc, nullptr);
  EndBufferedPaint(ctx_, nullptr, nullptr);
  EXPECT_EQ(ps->memoryDc, nullptr);
  EXPECT_EQ(ps->buffered, 0);
  EXPECT_EQ(At(4, 4), kGround);
  BeginBufferedPaint(ctx_);
  DrawPicture(ctx_, nullptr, nullptr, dc_, &area, 4, 4, MAKEINTRESOURCEW(6100), kPictureOpaque, TRUE);
  BeginBufferedPaint(ctx_);
  EXPECT_EQ(ps->memoryDc, nullptr);
  EXPECT_EQ(ps->buffered, 1);
}

TEST_F(UiPicturePaint, AStretchedPictureIsColourAdjustedAndStretchedAtTheEnd) {
  PicturePaintState* ps = GetPaintState(ctx_);
  ps->overrideDc = dc_;
  ps->adjust[3] = 60;  // red balance +10
  BeginBufferedPaint(ctx_);
  const RECT area{0, 0, 8, 8};
  DrawNamedPicture(ctx_, nullptr, nullptr, nullptr, &area, 6101, kPictureStretch, TRUE);
  EXPECT_EQ(ps->stretchPending, 1);
  EXPECT_EQ(ps->sourceWidth, 2);
  EndBufferedPaint(ctx_, nullptr, &area);
  // Two by two stretched to eight by eight: each source pixel is a four-pixel square.
  EXPECT_EQ(At(0, 0), RGB(10, 0, 255));
  EXPECT_EQ(At(3, 3), RGB(10, 0, 255));
  EXPECT_EQ(At(4, 0), RGB(214, 0, 51));
  EXPECT_EQ(At(0, 7), RGB(10, 255, 0));
  EXPECT_EQ(At(9, 9), kGround);
  EXPECT_EQ(ps->stretchPending, 0);
}

TEST_F(UiPicturePaint, TheMaskedPreviewIsDrawnOnceInPlaceOfTheNamedPicture) {
  PicturePaintState* ps = GetPaintState(ctx_);
  ps->overrideDc = dc_;
  ps->maskedPreview = 1;
  WriteFieldRawById(ctx_, fid::kdmMachineTypeColor, 0);  // a monochrome printer: grey pictures
  ps->adjust[0] = 60;
  BeginBufferedPaint(ctx_);
  const RECT area{0, 0, 4, 4};
  DrawNamedPicture(ctx_, nullptr, nullptr, nullptr, &area, 6101, kPictureStretch, TRUE);
  EXPECT_EQ(ps->maskedPreview, 0);
  EndBufferedPaint(ctx_, nullptr, &area);
  EXPECT_EQ(At(2, 0), kGround);  // the transparent pixel, stretched
  const COLORREF blue = At(0, 0);
  EXPECT_EQ(GetRValue(blue), GetGValue(blue));  // grey
  EXPECT_EQ(GetGValue(blue), GetBValue(blue));
  EXPECT_NE(blue, kGround);
}

TEST_F(UiPicturePaint, NamedPicturesGoToTheirWindowCentredInTheRectangle) {
  HWND window = CreateWindowExW(0, u"Static", u"", WS_VISIBLE | SS_LEFT, 0, 0, 30, 30, nullptr, nullptr, nullptr, nullptr);
  plat::ui::RunPendingMessages();
  const RECT area{0, 0, 10, 10};
  DrawNamedPicture(ctx_, nullptr, nullptr, window, &area, 6100, kPictureTransparent, TRUE);
  // Centred: the four-pixel picture starts at (3, 3).
  EXPECT_EQ(plat::ui::PixelAt(window, 3, 3), static_cast<DWORD>(0xFF0000));
  EXPECT_EQ(plat::ui::PixelAt(window, 4, 3), static_cast<DWORD>(0x0000FF));
  // Without a rectangle: the window's client area, at its top left.
  DrawNamedPicture(ctx_, nullptr, nullptr, window, nullptr, 6101, kPictureOpaque, TRUE);
  EXPECT_EQ(plat::ui::PixelAt(window, 0, 0), static_cast<DWORD>(0x0000FF));
  EXPECT_EQ(plat::ui::PixelAt(window, 1, 0), static_cast<DWORD>(0xCC0033));
}

// A picture drawn by name takes the flags of its first row in the picture table: 6002 (a value
// of a pictured media setting) is centred in the window; 6001 (a preview, flags 0) and 6100
// (no row) stay at the top left. The four-pixel picture shows red then blue on its top row.
TEST_F(UiPicturePaint, PictureTableRowsPlaceNamedPictures) {
  struct Case {
    DWORD id;
    int x, y;  // where the picture's top-left pixel lands
  };
  const Case cases[] = {{6002, 13, 13}, {6001, 0, 0}, {6100, 0, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    HWND window = CreateWindowExW(0, u"Static", u"", WS_VISIBLE | SS_LEFT, 0, 0, 30, 30, nullptr, nullptr, nullptr,
                                  nullptr);
    plat::ui::RunPendingMessages();
    DrawNamedPicture(ctx_, nullptr, nullptr, window, nullptr, c.id, kPictureOpaque, TRUE);
    EXPECT_EQ(plat::ui::PixelAt(window, c.x, c.y), static_cast<DWORD>(0xFF0000));
    EXPECT_EQ(plat::ui::PixelAt(window, c.x + 1, c.y), static_cast<DWORD>(0x0000FF));
    if (c.x) {
      EXPECT_NE(plat::ui::PixelAt(window, 0, 0), static_cast<DWORD>(0xFF0000));
    }
    DestroyWindow(window);
  }
}

TEST_F(UiPicturePaint, BitmapFilesStretchAndHeldBitmapsAreTakenOnce) {
  root_.WriteFile(u"C:\\pic\\ref.bmp", IndexedBmp(8, {kRed, kBlue}, {{0, 1}, {1, 0}}));
  const RECT area{0, 0, 6, 6};
  DrawPicture(ctx_, nullptr, nullptr, dc_, &area, 0, 0, u"C:\\pic\\ref.bmp", kPictureStretch, TRUE);
  EXPECT_EQ(At(0, 0), kRed);
  EXPECT_EQ(At(5, 0), kBlue);
  EXPECT_EQ(At(2, 2), kRed);
  EXPECT_EQ(At(6, 6), kGround);
  // A missing file draws nothing.
  Paint(RECT{0, 0, 20, 20}, kGround);
  DrawPicture(ctx_, nullptr, nullptr, dc_, &area, 0, 0, u"C:\\pic\\none.bmp", kPictureStretch, TRUE);
  EXPECT_EQ(At(0, 0), kGround);
  // Picture 0 is the held bitmap: drawn once, then it is gone.
  PicturePaintState* ps = GetPaintState(ctx_);
  ps->heldBitmap = CreateCompatibleBitmap(dc_, 2, 2);
  HDC held = CreateCompatibleDC(nullptr);
  SelectObject(held, ps->heldBitmap);
  SetPixel(held, 0, 0, kBlue);
  DeleteDC(held);
  DrawPicture(ctx_, nullptr, nullptr, dc_, &area, 1, 1, nullptr, kPictureOpaque, TRUE);
  EXPECT_EQ(At(1, 1), kBlue);
  EXPECT_EQ(ps->heldBitmap, nullptr);
  Paint(RECT{0, 0, 20, 20}, kGround);
  DrawPicture(ctx_, nullptr, nullptr, dc_, &area, 1, 1, nullptr, kPictureOpaque, TRUE);
  EXPECT_EQ(At(1, 1), kGround);
}

TEST_F(UiPicturePaint, TheDisplayIsNotPaletteBasedSoThePaletteSlotsDoNothing) {
  EXPECT_EQ(PaletteSlot(nullptr, 0, 0), nullptr);
  EXPECT_EQ(PaletteSlot(dc_, 3, kRed), nullptr);
  EXPECT_EQ(PaletteSlot(dc_, -1, 0), nullptr);
}

}  // namespace
