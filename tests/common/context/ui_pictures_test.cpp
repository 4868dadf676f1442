// Bitmap files, picture modules and the colour adjustment of pictures.
#include <cstring>
#include <string>
#include <vector>

#include "fields/field_access.h"
#include "context/ui_picture_paint.h"
#include "context/ui_pictures.h"
#include "base/ui_strings.h"
#include "field_ids.h"
#include "paths_fixture.h"
#include "plat/ui_driver.h"
#include "win/loader.h"
#include "win/paint.h"

namespace ui_pictures_test {

namespace {

class UiPictures : public kovatest::PathsTest {
 protected:
  void SetUp() override {
    PathsTest::SetUp();
    plat::ui::Reset();
    ctx_ = Context(nullptr);
  }
  void TearDown() override {
    FreeResourceModules(ctx_);
    plat::ui::Reset();
    PathsTest::TearDown();
  }
  DriverContext* ctx_ = nullptr;
};

void Put16(std::string& s, std::size_t at, std::uint16_t v) {
  s[at] = static_cast<char>(v & 0xFF);
  s[at + 1] = static_cast<char>(v >> 8);
}
void Put32(std::string& s, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// A BMP file: header fields as given, then `pixelBytes` bytes of rows (colour table
// included for 8 bits and less).
std::string Bmp(int width, int height, int bits, std::size_t pixelBytes, std::uint32_t compression = 0) {
  const std::size_t table = bits <= 8 ? 4u << bits : 0;
  std::string s(14 + 40 + table + pixelBytes, '\0');
  s[0] = 'B';
  s[1] = 'M';
  Put32(s, 2, static_cast<std::uint32_t>(s.size()));
  Put32(s, 10, static_cast<std::uint32_t>(14 + 40 + table));
  Put32(s, 14, 40);
  Put32(s, 18, static_cast<std::uint32_t>(width));
  Put32(s, 22, static_cast<std::uint32_t>(height));
  Put16(s, 26, 1);
  Put16(s, 28, static_cast<std::uint16_t>(bits));
  Put32(s, 30, compression);
  if (bits == 24 && pixelBytes >= 3) {
    s[14 + 40] = static_cast<char>(0x30);  // bottom-left pixel: blue 0x30, green 0x20, red 0x10
    s[14 + 41] = static_cast<char>(0x20);
    s[14 + 42] = static_cast<char>(0x10);
  }
  return s;
}

TEST_F(UiPictures, BitmapFilesAreCheckedAgainstTheirSizeBeforeTheRowsAreRead) {
  struct Case {
    const char* name;
    std::string bytes;
    int width, height;  // 0, 0: refused
  };
  const Case cases[] = {
      {"TwentyFourBits", Bmp(2, 2, 24, 16), 2, 2},
      {"EightBitsWithTable", Bmp(3, 1, 8, 4), 3, 1},
      {"TopDown", Bmp(1, -2, 32, 8), 1, -2},
      {"RowsCutShort", Bmp(2, 2, 24, 15), 0, 0},
      {"HeightFarBeyondTheFile", Bmp(2, 0x7FFFFFFF, 24, 16), 0, 0},
      {"WidthOverflowingTheRowSize", Bmp(0x40000000, 1, 32, 16), 0, 0},
      {"OddBitCount", Bmp(2, 2, 7, 64), 0, 0},
      {"Compressed", Bmp(2, 2, 8, 64, 1), 0, 0},
      {"ZeroWidth", Bmp(0, 2, 24, 16), 0, 0},
      {"TableBeyondTheFile", Bmp(1, 1, 8, 0).substr(0, 14 + 40 + 100), 0, 0},
  };
  for (const Case& c : cases) {
    root_.WriteFile(u"C:\\pic\\case.bmp", c.bytes);
    int w = -1, h = -1;
    HBITMAP b = LoadDibFile(u"C:\\pic\\case.bmp", &w, &h);
    EXPECT_EQ(b != nullptr, c.width != 0) << c.name;
    EXPECT_EQ(w, c.width) << c.name;
    EXPECT_EQ(h, c.height) << c.name;
    if (b) DeleteObject(b);
  }
}

TEST_F(UiPictures, ABitmapFileOutsideTheCodePageOpensAndKeepsItsPixels) {
  root_.WriteFile(u"C:\\pic\\\u5199\u771f.bmp", Bmp(2, 2, 24, 16));
  int w = 0, h = 0;
  HBITMAP b = LoadDibFile(u"C:\\pic\\\u5199\u771f.bmp", &w, &h);
  ASSERT_NE(b, nullptr);
  HDC dc = CreateCompatibleDC(nullptr);
  SelectObject(dc, b);
  EXPECT_EQ(GetPixel(dc, 0, 1), RGB(0x10, 0x20, 0x30));  // the file's first row is the bottom one
  DeleteDC(dc);
  DeleteObject(b);
}

TEST_F(UiPictures, ColourAdjustment) {
  const DWORD c = RGB(200, 100, 50);
  // The paint state's values start at 50, whatever the settings hold.
  WriteFieldRawById(ctx_, fid::kdmBrightness, 0);
  std::int32_t* adjust = GetPaintState(ctx_)->adjust;
  EXPECT_EQ(AdjustPictureColor(ctx_, c, FALSE), c);
  EXPECT_EQ(AdjustPictureColor(ctx_, c, TRUE), c);  // all at 50: unchanged even in grey
  adjust[3] = 60;  // red balance
  EXPECT_EQ(AdjustPictureColor(ctx_, c, FALSE), RGB(210, 100, 50));
  EXPECT_EQ(AdjustPictureColor(ctx_, RGB(250, 0, 0), FALSE), RGB(255, 0, 0));  // clamped
  // Grey: the luma (30 R + 59 G + 11 B) / 100 in every channel.
  EXPECT_EQ(AdjustPictureColor(ctx_, c, TRUE), RGB(124, 124, 124));
  adjust[3] = 50;
  adjust[1] = 60;  // contrast: t = 110, m = 276: x * 276 / 256 - 10
  EXPECT_EQ(AdjustPictureColor(ctx_, RGB(100, 0, 255), FALSE), RGB(97, 0, 255));
}

TEST_F(UiPictures, PictureIdsChooseTheirModuleByRange) {
  root_.WriteFile(u"C:\\drv\\ui.rc", "STRINGTABLE BEGIN 1 \"x\" END\n");
  ctx_->uiModule = LoadLibraryW(u"C:\\drv\\ui.dll");
  ASSERT_NE(ctx_->uiModule, nullptr);
  EXPECT_EQ(PictureModule(ctx_, 6100), ctx_->uiModule);
  // Neutral ranges need the neutral module; without it no module holds the id.
  EXPECT_EQ(PictureModule(ctx_, 6230), nullptr);
  EXPECT_EQ(PictureModule(ctx_, 5000), nullptr);  // outside every range
  EXPECT_EQ(LoadPictureBitmap(ctx_, 5000), nullptr);
  EXPECT_EQ(GetCommonControlsVersion(), 600u);
}

}  // namespace

}  // namespace ui_pictures_test
