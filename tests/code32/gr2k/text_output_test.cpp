// Text calls on the vector surface with a real TrueType face (through FreeType) and the
// device fonts: the routing of each case, the font records once per page, the glyph cache
// across pages, compressed glyphs expanding back to the engine's bitmaps, and the sizes
// and counts the records cannot hold.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "ddi.h"
#include "device_font_data.h"
#include "device_fonts.h"
#include "glyph_cache.h"
#include "glyph_compress.h"
#include "glyph_download.h"
#include "font_metrics.h"
#include "graphics_state.h"
#include "plat/gdi_objects.h"
#include "plat/truetype.h"
#include "record_walk.h"
#include "text_output.h"
#include "win/errors.h"

namespace rendara::test {
namespace text_output_test {
// The record reader of record_walk.h, whichever helper of that name another file keeps.
using rendara::test::U32;
namespace {

constexpr const char* kFace = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
constexpr MIX kTransparent = 0x0B0D;
const HMODULE kModule = reinterpret_cast<HMODULE>(static_cast<std::uintptr_t>(0x7300));

std::vector<BYTE> OpsOf(const std::vector<std::vector<BYTE>>& records) {
  std::vector<BYTE> ops;
  for (const auto& r : records) ops.push_back(r[0]);
  return ops;
}

std::vector<std::vector<BYTE>> WithOp(const std::vector<std::vector<BYTE>>& records, BYTE op) {
  std::vector<std::vector<BYTE>> out;
  for (const auto& r : records)
    if (r[0] == op) out.push_back(r);
  return out;
}

WORD U16(const std::vector<BYTE>& r, std::size_t at) { return static_cast<WORD>(r[at] | r[at + 1] << 8); }

class TextCallTest : public RecordsTest {
 protected:
  void SetUp() override {
    RecordsTest::SetUp();
    device_->resolution = 600;
    device_->osVersion.dwMajorVersion = 10;
    surface_.dhpdev = reinterpret_cast<DHPDEV>(device_);
    face_ = plat::gdi::TrueTypeFace::Open(kFace);
    ASSERT_NE(face_, nullptr) << "the DejaVu fonts are installed by scripts/setup.sh";
    ASSERT_TRUE(RegisterFontResources(kModule));
    device_->deviceFonts = LoadDeviceFonts(device_, kModule, &device_->deviceFontCount);
    ASSERT_NE(device_->deviceFonts, nullptr);
  }
  void TearDown() override {
    UnregisterFontResources(kModule);
    RecordsTest::TearDown();
  }

  BOOL Draw(const plat::gdi::RealizedText& text, plat::gdi::StringObject& string, RECTL* extra = nullptr) {
    return DrvTextOut(&surface_, string.get(), text.font->get(), nullptr, extra, nullptr, black_.get(), nullptr,
                      nullptr, kTransparent);
  }
  // Text in the TrueType face, its records.
  std::vector<std::vector<BYTE>> TrueType(std::u16string text, std::u16string_view family = {}, ULONG uniq = 11,
                                          FLONG extraAccel = 0) {
    auto realized = face_->Realize(uniq, 40, text, family);
    auto string = plat::gdi::LayOutString(realized, text, POINTL{100, 200});
    string->get()->flAccel |= extraAccel;
    EXPECT_EQ(Draw(realized, *string), TRUE);
    return Written();
  }
  // A device font (face 1 to 4) at an em of 50 pixels, its glyphs the glyph set's codes.
  std::vector<std::vector<BYTE>> DeviceText(ULONG face, std::u16string text) {
    IFIMETRICS* ifi = MetricsOfFace(device_, face);
    plat::gdi::FontObject font(30 + face, face, FO_TYPE_DEVICE, ifi, ifi->cjThis, XFORML{0.05f, 0, 0, 0.05f, 0, 0});
    FD_GLYPHSET* set = GlyphSetOfFace(device_, face);
    std::vector<GLYPHPOS> glyphs;
    for (std::size_t i = 0; i < text.size(); ++i)
      glyphs.push_back(GLYPHPOS{GlyphOfCharacter(set, text[i]), nullptr, POINTL{100 + 50 * static_cast<LONG>(i), 200}});
    plat::gdi::StringObject string(text, glyphs, &font, SO_HORIZONTAL, 0, RECTL{100, 155, 400, 205}, true);
    EXPECT_EQ(DrvTextOut(&surface_, string.get(), font.get(), nullptr, nullptr, nullptr, black_.get(), nullptr,
                         nullptr, kTransparent),
              TRUE);
    return Written();
  }
  static std::vector<BYTE> Without(const std::vector<BYTE>& ops, std::initializer_list<BYTE> state) {
    std::vector<BYTE> out;
    for (BYTE op : ops)
      if (std::find(state.begin(), state.end(), op) == state.end()) out.push_back(op);
    return out;
  }
  // The text records alone (state records left out).
  static std::vector<BYTE> TextOps(const std::vector<std::vector<BYTE>>& records) {
    return Without(OpsOf(records), {0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x40});
  }
  void NewPage() {
    ClearGlyphCache(device_);
    InvalidateDrawingState(device_);
  }

  SURFOBJ surface_{};
  plat::gdi::BrushObject black_{0x000000};
  std::unique_ptr<plat::gdi::TrueTypeFace> face_;
  FontDescription description_{};
};

// Every routing case: the device's text settings, the font, and the records it gives.
TEST_F(TextCallTest, RoutingCases) {
  struct Case {
    const char* name;
    DWORD textAsBitmap;
    DWORD printMethod;
    std::u16string family;
    FLONG accel;
    std::vector<BYTE> ops;
    WORD fontFlags;
  } cases[] = {
      {"TrueType, font road: printer characters in one run", 0, 0, u"", 0, {0x50, 0x52}, 0x0008},
      {"TrueType, bitmaps: defined glyphs placed as a string", 1, 0, u"", 0, {0x56, 0x54, 0x54, 0x54, 0x55}, 0x2000},
      {"print method 5 takes the font road", 1, 5, u"", 0, {0x50, 0x52}, 0x0008},
      {"a family of digits goes as outlines", 0, 0, u"12345", 0, {0x50, 0x51, 0x51, 0x51}, 0x2200},
      {"a temporary family goes as outlines", 0, 0, u"x.tmp", 0, {0x50, 0x51, 0x51, 0x51}, 0x2200},
      {"glyph indexes go as outlines", 0, 0, u"", SO_GLYPHINDEX_TEXTOUT, {0x50, 0x51, 0x51, 0x51}, 0x2210},
      {"an EUDC font is sent as uncached images", 1, 0, u"EUDC", 0, {0x56, 0x57, 0x57, 0x57}, 0x2000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    NewPage();
    device_->textAsBitmap = c.textAsBitmap;
    device_->printMethod = c.printMethod;
    const auto records = TrueType(u"Abc", c.family, 11, c.accel);
    EXPECT_EQ(TextOps(records), c.ops);
    const auto fonts = WithOp(records, c.ops[0]);
    ASSERT_EQ(fonts.size(), 1u);
    EXPECT_EQ(U16(fonts[0], 4), c.fontFlags);
  }
  EXPECT_EQ(GlyphCacheSize(device_), 0u);  // the EUDC text left the cache as it was
}

TEST_F(TextCallTest, DeviceFontsArePrinterCharactersOnBothRoads) {
  for (DWORD bitmaps : {0u, 1u}) {
    SCOPED_TRACE(bitmaps);
    NewPage();
    device_->textAsBitmap = bitmaps;
    const auto records = DeviceText(1, u"\u3042A");
    EXPECT_EQ(TextOps(records), (std::vector<BYTE>{0x50, 0x52}));
    const auto run = WithOp(records, 0x52)[0];
    EXPECT_EQ(U16(run, 32), 2);               // two characters
    EXPECT_EQ(run[2], 0x80);                  // one advance per character
    EXPECT_EQ(U16(run, 36), 50);              // the step from the first to the second
    EXPECT_EQ(U16(run, 38), 0);               // the last advance
    EXPECT_EQ(U16(run, 40), 0x3042);          // UTF-16 codes follow
    EXPECT_EQ(static_cast<LONG>(U32(run, 28)), 200 - 45);  // baseline minus the ascent
  }
}

TEST_F(TextCallTest, OneFontRecordPerPageAndGlyphsOncePerPage) {
  device_->textAsBitmap = 1;
  const auto first = TrueType(u"abca");
  EXPECT_EQ(TextOps(first), (std::vector<BYTE>{0x56, 0x54, 0x54, 0x54, 0x55}));
  // The same text again on the page: the glyphs are kept, only the placement is sent.
  const auto second = TrueType(u"abca");
  EXPECT_EQ(TextOps(second), (std::vector<BYTE>{0x55}));
  // A new glyph alone is defined.
  EXPECT_EQ(TextOps(TrueType(u"ad")), (std::vector<BYTE>{0x54, 0x55}));
  // The next page sends the font and every glyph again.
  NewPage();
  EXPECT_EQ(TextOps(TrueType(u"abca")), (std::vector<BYTE>{0x56, 0x54, 0x54, 0x54, 0x55}));
}

TEST_F(TextCallTest, RotatedTextGoesAsImagesKeptOncePerPage) {
  device_->textAsBitmap = 1;
  auto realized = face_->Realize(12, 40, u"aa");
  realized.font->transform().SetMatrix(XFORML{0, -0.02f, 0.02f, 0, 0, 0});
  auto string = plat::gdi::LayOutString(realized, u"aa", POINTL{100, 200});
  ASSERT_EQ(Draw(realized, *string), TRUE);
  const auto records = Written();
  EXPECT_EQ(TextOps(records), (std::vector<BYTE>{0x56, 0x53, 0x53}));
  const auto images = WithOp(records, 0x53);
  EXPECT_EQ(U16(WithOp(records, 0x56)[0], 8), 90);  // the escapement
  EXPECT_GT(images[0].size(), 64u);
  EXPECT_EQ(images[0][2], 0x08);
  EXPECT_EQ(images[1].size(), 64u);  // the kept glyph: no bitmap
  EXPECT_EQ(images[1][2], 0x48);
  EXPECT_EQ(U32(images[1], 32), 0u);
  EXPECT_EQ(U32(images[1], 52), 0u);
  NewPage();
  ASSERT_EQ(Draw(realized, *string), TRUE);
  const auto again = WithOp(Written(), 0x53);
  ASSERT_EQ(again.size(), 2u);
  EXPECT_GT(again[0].size(), 64u);  // sent with its bitmap again
}

// The glyph bitmaps of the definitions, compressed or not, are the engine's own.
TEST_F(TextCallTest, DefinedGlyphsExpandToTheEnginesBitmaps) {
  device_->textAsBitmap = 1;
  const std::u16string text = u"Hello, W\u00F6rld! 0123456789";
  auto realized = face_->Realize(13, 60, text);
  auto string = plat::gdi::LayOutString(realized, text, POINTL{10, 100});
  ASSERT_EQ(Draw(realized, *string), TRUE);
  int compressed = 0;
  const auto definitions = WithOp(Written(), 0x54);
  ASSERT_FALSE(definitions.empty());
  for (const auto& d : definitions) {
    const WCHAR character = U16(d, 24);
    const std::size_t i = text.find(static_cast<char16_t>(character));
    ASSERT_NE(i, std::u16string::npos);
    HGLYPH hg = realized.glyphs[i];
    GLYPHDATA* gd = nullptr;
    ASSERT_EQ(FONTOBJ_cGetGlyphs(realized.font->get(), FO_GLYPHBITS, 1, &hg, reinterpret_cast<PVOID*>(&gd)), 1u);
    const GLYPHBITS* gb = gd->gdf.pgb;
    const DWORD raw = static_cast<DWORD>((gb->sizlBitmap.cx + 7) / 8 * gb->sizlBitmap.cy);
    EXPECT_EQ(U32(d, 12), static_cast<DWORD>(gb->sizlBitmap.cx));
    EXPECT_EQ(U32(d, 16), static_cast<DWORD>(gb->sizlBitmap.cy));
    const DWORD count = U32(d, 8);
    std::vector<BYTE> bits(raw, 0xEE);
    if (U16(d, 26) == 2) {
      ++compressed;
      EXPECT_LT(count, raw);  // never larger than the rows it replaces
      ASSERT_TRUE(ExpandGlyph(d.data() + 28, count, bits.data(), raw));
    } else {
      ASSERT_EQ(count, raw);
      std::memcpy(bits.data(), d.data() + 28, raw);
    }
    EXPECT_EQ(0, std::memcmp(bits.data(), gb->aj, raw)) << "glyph " << static_cast<unsigned>(character);
    EXPECT_EQ(d.size(), (28 + count + 3) & ~3u);
  }
  EXPECT_GT(compressed, 0);
}

TEST_F(TextCallTest, PositionsOfTheString) {
  device_->textAsBitmap = 1;
  auto realized = face_->Realize(14, 40, u"A B");
  auto string = plat::gdi::LayOutString(realized, u"A B", POINTL{100, 200});
  ASSERT_EQ(Draw(realized, *string), TRUE);
  const auto placement = WithOp(Written(), 0x55);
  ASSERT_EQ(placement.size(), 1u);
  const auto& p = placement[0];
  EXPECT_EQ(U32(p, 32), 3u);
  EXPECT_EQ(p.size(), (36u + 18u + 3u) & ~3u);
  // The run starts at the first bitmap's top-left corner; each entry is the step from the
  // previous bitmap.
  GLYPHDATA* gd = nullptr;
  HGLYPH hg = realized.glyphs[0];
  FONTOBJ_cGetGlyphs(realized.font->get(), FO_GLYPHBITS, 1, &hg, reinterpret_cast<PVOID*>(&gd));
  EXPECT_EQ(static_cast<LONG>(U32(p, 24)), 100 + gd->gdf.pgb->ptlOrigin.x);
  EXPECT_EQ(static_cast<LONG>(U32(p, 28)), 200 + gd->gdf.pgb->ptlOrigin.y);
  EXPECT_EQ(U16(p, 40), u'A');
  EXPECT_EQ(U16(p, 46), u' ');
  EXPECT_EQ(U16(p, 52), u'B');
}

// Steps between glyphs that do not fit the 16-bit slots of the records are never wrapped.
TEST_F(TextCallTest, FarApartGlyphsAreNotWrapped) {
  auto realized = face_->Realize(15, 40, u"ab");
  std::vector<GLYPHPOS> glyphs = {{realized.glyphs[0], nullptr, POINTL{10, 100}},
                                  {realized.glyphs[1], nullptr, POINTL{10 + 40000, 100}}};
  plat::gdi::StringObject string(u"ab", glyphs, realized.font.get(), SO_HORIZONTAL, 0, RECTL{10, 60, 40100, 110},
                                 true);
  // Printer characters: one box per character instead of a run.
  device_->textAsBitmap = 0;
  ASSERT_EQ(Draw(realized, string), TRUE);
  auto records = Written();
  EXPECT_EQ(TextOps(records), (std::vector<BYTE>{0x50, 0x51, 0x51}));
  EXPECT_EQ(static_cast<LONG>(U32(WithOp(records, 0x51)[1], 24)), 40010);
  // Downloaded glyphs: placed one by one with their page positions.
  NewPage();
  device_->textAsBitmap = 1;
  ASSERT_EQ(Draw(realized, string), TRUE);
  records = Written();
  EXPECT_EQ(TextOps(records), (std::vector<BYTE>{0x56, 0x54, 0x54, 0x53, 0x53}));
  EXPECT_EQ(static_cast<LONG>(U32(WithOp(records, 0x53)[1], 24)), 40010);
}

TEST_F(TextCallTest, FixedPitchRunAndUnderline) {
  device_->textAsBitmap = 0;
  auto realized = face_->Realize(16, 40, u"0123456789");
  std::vector<GLYPHPOS> glyphs;
  for (int i = 0; i < 10; ++i) glyphs.push_back(GLYPHPOS{realized.glyphs[i], nullptr, POINTL{10 + 25 * i, 100}});
  plat::gdi::StringObject string(u"0123456789", glyphs, realized.font.get(),
                                 SO_HORIZONTAL | SO_FLAG_DEFAULT_PLACEMENT, 25, RECTL{10, 60, 260, 110}, true);
  RECTL extra[2] = {{10, 105, 260, 107}, {0, 0, 0, 0}};
  ASSERT_EQ(Draw(realized, string, extra), TRUE);
  const auto records = Written();
  EXPECT_EQ(TextOps(records), (std::vector<BYTE>{0x50, 0x52, 0x10}));
  const auto run = WithOp(records, 0x52)[0];
  EXPECT_EQ(run.size(), 60u);  // 36 + 22 rounded up
  EXPECT_EQ(run[2], 0);
  EXPECT_EQ(U16(run, 36), 25);
}

TEST_F(TextCallTest, RefusedCallsAndSuppressedDrawing) {
  auto realized = face_->Realize(17, 40, u"a");
  auto string = plat::gdi::LayOutString(realized, u"a", POINTL{10, 100});
  SetLastError(0);
  EXPECT_FALSE(DrvTextOut(&surface_, nullptr, realized.font->get(), nullptr, nullptr, nullptr, black_.get(), nullptr,
                          nullptr, kTransparent));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_FALSE(DrvTextOut(&surface_, string->get(), nullptr, nullptr, nullptr, nullptr, black_.get(), nullptr, nullptr,
                          kTransparent));
  SURFOBJ stranger{};
  EXPECT_FALSE(DrvTextOut(&stranger, string->get(), realized.font->get(), nullptr, nullptr, nullptr, black_.get(),
                          nullptr, nullptr, kTransparent));
  // A missing foreground brush fails the call.
  EXPECT_FALSE(DrvTextOut(&surface_, string->get(), realized.font->get(), nullptr, nullptr, nullptr, nullptr, nullptr,
                          nullptr, kTransparent));
  Written();
  device_->hiddenFunc18 = 1;
  EXPECT_TRUE(Draw(realized, *string));
  EXPECT_TRUE(Written().empty());
  device_->hiddenFunc18 = 0;
  device_->jobFlags |= JOB_OUTPUT_FAILED;
  EXPECT_FALSE(Draw(realized, *string));
}

TEST_F(TextCallTest, EudcCharactersGoAsOutlinesUnderTheirOwnName) {
  device_->specialText = 1;
  device_->textAsBitmap = 0;
  for (int call = 0; call < 2; ++call) {
    const auto records = TrueType(u"a\uE000", u"", 0x2A);
    const auto fonts = WithOp(records, 0x50);
    ASSERT_EQ(fonts.size(), 1u) << "every EUDC call writes its font record";
    const std::string name(reinterpret_cast<const char*>(fonts[0].data() + 24));
    EXPECT_EQ(name, "DejaVu Sans_2a");
    EXPECT_EQ(U16(fonts[0], 4) & 0x0200, 0x0200);
  }
}


// More characters than a run record can count are sent as one box each, never cut.
TEST_F(TextCallTest, MoreCharactersThanARunHoldsGoAsBoxes) {
  device_->textAsBitmap = 0;
  auto realized = face_->Realize(18, 20, u"x");
  const ULONG n = 70000;
  std::u16string text(n, u'x');
  std::vector<GLYPHPOS> glyphs(n, GLYPHPOS{realized.glyphs[0], nullptr, POINTL{0, 50}});
  for (ULONG i = 0; i < n; ++i) glyphs[i].ptl.x = static_cast<LONG>(i % 1000);
  plat::gdi::StringObject string(text, glyphs, realized.font.get(), SO_HORIZONTAL | SO_FLAG_DEFAULT_PLACEMENT, 10,
                                 RECTL{0, 30, 10000, 60}, true);
  ASSERT_EQ(Draw(realized, string), TRUE);
  ASSERT_TRUE(FlushRecords(&records()));
  std::vector<BYTE> stream;
  for (const auto& b : ParseBlocks(log_.Bytes())) stream.insert(stream.end(), b.payload.begin(), b.payload.end());
  log_.pieces.clear();
  std::size_t runs = 0, boxes = 0;
  for (std::size_t at = 0; at < stream.size(); at += RecordLength(stream, at)) {
    runs += stream[at] == 0x52;
    boxes += stream[at] == 0x51;
  }
  EXPECT_EQ(runs, 0u);
  EXPECT_EQ(boxes, n);
}

// A glyph whose record could not be written is not entered in the cache, so it is sent
// again rather than referred to.
TEST_F(TextCallTest, AGlyphThatWasNotSentIsNotCached) {
  device_->textAsBitmap = 1;
  auto realized = face_->Realize(19, 40, u"a");
  realized.font->transform().SetMatrix(XFORML{0, -0.02f, 0.02f, 0, 0, 0});  // images, one by one
  auto string = plat::gdi::LayOutString(realized, u"a", POINTL{100, 200});
  // The font record goes; the glyph record does not.
  ASSERT_TRUE(SetDownloadTextFont(device_, string->get(), realized.font->get(),
                                  FontSizesOf(FontTransform(realized.font->get()), *FONTOBJ_pifi(realized.font->get())),
                                  &description_));
  StarveBuffer();
  EXPECT_FALSE(WriteGlyphImages(device_, realized.font->get(), string->get(), 30, 90, true));
  EXPECT_EQ(GlyphCacheSize(device_), 0u);
}

TEST(TextGeometry, FontSizesAndEscapement) {
  IFIMETRICS ifi{};
  ifi.fwdUnitsPerEm = 2048;
  ifi.fwdWinAscender = 1901;
  ifi.fwdWinDescender = 483;
  const FontSizes s = FontSizesOf(XFORML{0.02f, 0, 0, 0.02f, 0, 0}, ifi);
  EXPECT_EQ(s.width, 41);
  EXPECT_EQ(s.height, 41);
  EXPECT_EQ(s.ascent, 38);
  EXPECT_EQ(s.descent, 10);
  EXPECT_EQ(s.internalLeading, 7);
  struct Case {
    XFORML m;
    WORD escapement;
    bool mirrored;
  } cases[] = {
      {{1, 0, 0, 1, 0, 0}, 0, false},   {{0, -1, 1, 0, 0, 0}, 90, false}, {{-1, 0, 0, -1, 0, 0}, 180, false},
      {{0, 1, -1, 0, 0, 0}, 270, false}, {{1, 0, 0, -1, 0, 0}, 0, true},
      // A scale far beyond 16 bits keeps its direction.
      {{0, -40, 40, 0, 0, 0}, 90, false}, {{30, -30, 30, 30, 0, 0}, 45, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(EscapementOfTransform(c.m), c.escapement);
    EXPECT_EQ(IsMirrored(c.m), c.mirrored);
  }
  // A large em at a high resolution: sizes in 64 bits, never wrapped.
  const FontSizes big = FontSizesOf(XFORML{40.0f, 40.0f, -40.0f, 40.0f, 0, 0}, ifi);
  EXPECT_EQ(big.width, 115853);  // hypot(81920, 81920): its squares overflow 32 bits
  EXPECT_EQ(big.height, 115852);  // hypot(-81919, 81920): R truncates toward zero
}

}  // namespace
}  // namespace text_output_test
}  // namespace rendara::test
