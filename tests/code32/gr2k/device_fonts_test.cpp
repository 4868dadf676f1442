// The device fonts and glyph sets of the resources: glyph-set lookups at the ends of runs,
// the font list, the engine's font queries and advance widths.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "buffer_fixture.h"
#include "ddi.h"
#include "device_font_data.h"
#include "device_fonts.h"
#include "glyph_set_data.h"
#include "plat/gdi_objects.h"
#include "win/errors.h"

namespace rendara::test {
namespace {

const HMODULE kModule = reinterpret_cast<HMODULE>(static_cast<std::uintptr_t>(0x7100));

class DeviceFontTest : public BufferTest {
 protected:
  void SetUp() override {
    BufferTest::SetUp();
    ASSERT_TRUE(RegisterFontResources(kModule));
    device_->deviceFonts = LoadDeviceFonts(device_, kModule, &device_->deviceFontCount);
    ASSERT_NE(device_->deviceFonts, nullptr);
  }
  void TearDown() override {
    FreeDeviceFonts(device_, device_->deviceFonts);
    UnregisterFontResources(kModule);
    BufferTest::TearDown();
  }
  DHPDEV pdev() { return reinterpret_cast<DHPDEV>(device_); }
  // A font object of a device face at an em of `pixels` pixels.
  std::unique_ptr<plat::gdi::FontObject> Font(ULONG face, float pixels) {
    IFIMETRICS* ifi = MetricsOfFace(device_, face);
    const float s = pixels / 1000.0f;
    return std::make_unique<plat::gdi::FontObject>(face, face, FO_TYPE_DEVICE, ifi, ifi->cjThis,
                                                   XFORML{s, 0, 0, s, 0, 0});
  }
};

TEST_F(DeviceFontTest, ResourcesHoldTheirLayout) {
  for (int id = 1; id <= 4; ++id) {
    SCOPED_TRACE(id);
    const DeviceFontImage image = DeviceFontResource(id);
    DWORD size, ifiOffset, nameOffset;
    std::memcpy(&size, image.data, 4);
    std::memcpy(&ifiOffset, image.data + 4, 4);
    std::memcpy(&nameOffset, image.data + 572, 4);
    EXPECT_EQ(size, image.size);
    EXPECT_EQ(ifiOffset, 592u);
    const auto* ifi = reinterpret_cast<const IFIMETRICS*>(image.data + 592);
    EXPECT_EQ(ifi->jWinCharSet, 128);
    EXPECT_EQ(ifi->flInfo, 0x18482038u);
    EXPECT_EQ(ifi->fwdUnitsPerEm, 1000);
    EXPECT_EQ(ifi->wcDefaultChar, 0x30FB);
    EXPECT_EQ(ifi->jWinPitchAndFamily, id <= 2 ? 0x11 : 0x21);
    EXPECT_STREQ(reinterpret_cast<const char*>(image.data + nameOffset), id % 2 ? "ROMA;J83;KATA" : "ROMA;J83V;KATA");
    EXPECT_EQ(device_->deviceFonts->fonts[id - 1].kind, static_cast<DWORD>(id % 2 ? 0 : 1));
  }
  EXPECT_EQ(device_->deviceFontCount, 4u);
  EXPECT_EQ(GlyphSetKindOf("IBML;IBM850"), 2u);
  EXPECT_EQ(GlyphSetKindOf("SYML;SYMR"), 3u);
  EXPECT_EQ(GlyphSetKindOf("DNGL;DNGR"), 2u);  // never matched
  EXPECT_EQ(GlyphSetKindOf("unknown"), 2u);
}

TEST_F(DeviceFontTest, MissingResourcesGiveNoList) {
  DWORD count = 9;
  EXPECT_EQ(LoadDeviceFonts(device_, reinterpret_cast<HMODULE>(static_cast<std::uintptr_t>(0x7200)), &count), nullptr);
  EXPECT_EQ(count, 0u);
}

TEST_F(DeviceFontTest, GlyphSetLookupsAtTheEndsOfRuns) {
  FD_GLYPHSET* japanese = static_cast<FD_GLYPHSET*>(DrvQueryFontTree(pdev(), 0, 1, QFT_GLYPHSET, nullptr));
  ASSERT_NE(japanese, nullptr);
  EXPECT_EQ(japanese->cGlyphsSupported, 7484u);
  EXPECT_EQ(japanese->cRuns, 4247u);
  // The first and last code of every run, and the codes just outside it.
  ULONG total = 0;
  for (ULONG r = 0; r < japanese->cRuns; ++r) {
    const WCRUN& run = japanese->awcrun[r];
    total += run.cGlyphs;
    ASSERT_EQ(GlyphOfCharacter(japanese, run.wcLow), run.phg[0]);
    ASSERT_EQ(GlyphOfCharacter(japanese, static_cast<WCHAR>(run.wcLow + run.cGlyphs - 1)), run.phg[run.cGlyphs - 1]);
    if (r + 1 < japanese->cRuns && run.wcLow + run.cGlyphs < japanese->awcrun[r + 1].wcLow) {
      ASSERT_EQ(GlyphOfCharacter(japanese, static_cast<WCHAR>(run.wcLow + run.cGlyphs)), HGLYPH_INVALID);
    }
  }
  EXPECT_EQ(total, japanese->cGlyphsSupported);

  struct Case {
    WCHAR character;
    HGLYPH glyph;
  } cases[] = {
      {0x0020, 0x20},   {0x007E, 0x7E},   {0x001F, HGLYPH_INVALID}, {0xFF61, 0xA1},   {0xFF9F, 0xDF},
      {0x00A7, 0x8198}, {0xFF01, 0x8149}, {0x2170, 0xFA40},         {0x3042, 0x82A0}, {0x4E9C, 0x889F},
      {0xE000, HGLYPH_INVALID},  // private use is not in the set
  };
  for (const Case& c : cases) EXPECT_EQ(GlyphOfCharacter(japanese, c.character), c.glyph) << std::hex << static_cast<unsigned>(c.character);
  // Double-byte codes keep their lead byte in the high byte.
  for (ULONG r = 0; r < japanese->cRuns; ++r)
    for (ULONG i = 0; i < japanese->awcrun[r].cGlyphs; ++i) {
      const HGLYPH g = japanese->awcrun[r].phg[i];
      if (g > 0xFF) {
        const BYTE lead = static_cast<BYTE>(g >> 8);
        ASSERT_TRUE((lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC)) << std::hex << g;
      }
    }
}

TEST_F(DeviceFontTest, HorizontalAndVerticalFacesShareOneGlyphSetLoadedOnce) {
  const std::size_t before = DeviceBlockCount(heap_);
  void* one = DrvQueryFontTree(pdev(), 0, 1, QFT_GLYPHSET, nullptr);
  void* two = DrvQueryFontTree(pdev(), 0, 2, QFT_GLYPHSET, nullptr);
  void* three = DrvQueryFontTree(pdev(), 0, 3, QFT_GLYPHSET, nullptr);
  EXPECT_NE(one, nullptr);
  EXPECT_EQ(one, two);
  EXPECT_EQ(one, three);
  EXPECT_EQ(DeviceBlockCount(heap_), before + 1);
  ULONG_PTR id = 77;
  const auto* pairs = static_cast<const WCHAR*>(DrvQueryFontTree(pdev(), 0, 1, QFT_KERNPAIRS, &id));
  ASSERT_NE(pairs, nullptr);
  EXPECT_EQ(pairs[0], 0);
  EXPECT_EQ(id, 0u);
}

TEST_F(DeviceFontTest, LatinSetFoldsLetters) {
  FD_GLYPHSET* latin = LoadGlyphSet(device_, kModule, 3);
  ASSERT_NE(latin, nullptr);
  EXPECT_EQ(latin->cGlyphsSupported, 605u);
  EXPECT_EQ(latin->cRuns, 125u);
  struct Case {
    WCHAR character;
    HGLYPH glyph;
  } cases[] = {{0x0000, 0x00}, {0x0080, 0x80}, {0x0081, 0x81}, {0x0082, HGLYPH_INVALID}, {0x008D, 0x8D},
               {0x008E, 0x8E}, {0x0090, 0x90}, {0x009D, 0x9D}, {0x009E, 0x9E}, {0x009F, HGLYPH_INVALID},
               {0x00FE, 0xFE}, {0x00FF, HGLYPH_INVALID}, {0x0100, 0x41}, {0x0101, 0x61}, {0x0132, HGLYPH_INVALID},
               {0x0141, 0x4C}, {0x0152, 0x8C}, {0x017D, 0x5A}, {0x0192, 0x83}, {0x201A, 0x82}, {0x2018, 0x91},
               {0x20AC, HGLYPH_INVALID}, {0x221E, 0x38}, {0x2554, 0x2B}, {0x3000, 0x20}, {0x30FB, 0xB7},
               {0xFF01, HGLYPH_INVALID}};
  for (const Case& c : cases) EXPECT_EQ(GlyphOfCharacter(latin, c.character), c.glyph) << std::hex << static_cast<unsigned>(c.character);
}

TEST_F(DeviceFontTest, CodePage850SetTakesItsOwnCodesAndLookAlikes) {
  FD_GLYPHSET* cp850 = LoadGlyphSet(device_, kModule, 1);
  ASSERT_NE(cp850, nullptr);
  EXPECT_EQ(cp850->cGlyphsSupported, 625u);
  EXPECT_EQ(cp850->cRuns, 138u);
  struct Case {
    WCHAR character;
    HGLYPH glyph;
  } cases[] = {{0x0041, 0x41}, {0x00A1, 0xAD}, {0x00FF, 0x98}, {0x00C7, 0x80}, {0x263A, 0x01}, {0x25BC, 0x1F},
               {0x2302, 0x7F}, {0x2518, 0xD9}, {0x0100, 0x41}, {0x0110, 0xD1}, {0x0192, 0x9F}, {0x2018, 0x27},
               {0x2122, 0x54}, {0x0081, HGLYPH_INVALID}, {0x20AC, HGLYPH_INVALID}, {0xFF21, HGLYPH_INVALID}};
  for (const Case& c : cases) EXPECT_EQ(GlyphOfCharacter(cp850, c.character), c.glyph) << std::hex << static_cast<unsigned>(c.character);
}

TEST_F(DeviceFontTest, BadFacesAndModesAreRefused) {
  struct Case {
    ULONG face;
    ULONG mode;
  } cases[] = {{0, QFT_GLYPHSET}, {5, QFT_GLYPHSET}, {1, QFT_LIGATURES}, {1, 9}};
  for (const Case& c : cases) {
    SetLastError(0);
    EXPECT_EQ(DrvQueryFontTree(pdev(), 0, c.face, c.mode, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  }
  for (ULONG face : {0u, 5u}) {
    ULONG_PTR id = 9;
    SetLastError(0);
    EXPECT_EQ(DrvQueryFont(pdev(), 0, face, &id), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(id, 0u);
  }
  EXPECT_NE(DrvQueryFont(pdev(), 0, 4, nullptr), nullptr);
  RenderDevice stranger{};
  SetLastError(0);
  EXPECT_EQ(DrvQueryFont(reinterpret_cast<DHPDEV>(&stranger), 0, 1, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  auto font = Font(1, 50);
  EXPECT_EQ(DrvQueryFontData(pdev(), font->get(), 2, 0x41, nullptr, nullptr, 0), -1);
  HGLYPH hg = 0x41;
  USHORT width = 0;
  EXPECT_FALSE(DrvQueryAdvanceWidths(pdev(), font->get(), 2, &hg, &width, 1));
  auto badFace = Font(1, 50);
  badFace->get()->iFace = 5;
  SetLastError(0);
  EXPECT_FALSE(DrvQueryAdvanceWidths(pdev(), badFace->get(), QAW_GETWIDTHS, &hg, &width, 1));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(DeviceFontTest, AdvanceWidths) {
  struct Case {
    float pixels;
    HGLYPH glyph;
    USHORT width;  // 28.4
  } cases[] = {
      // Half-pixel widths round up to the next whole pixel.
      {50, 0x41, 25 * 16},   {50, 0x889F, 50 * 16}, {50, 0x8640, 25 * 16}, {50, 0x8560, 25 * 16},
      {50, 0xFF, 25 * 16},   {33, 0x41, 272},       {33, 0x889F, 528},     {1, 0x41, 16},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.glyph);
    auto font = Font(1, c.pixels);
    HGLYPH hg = c.glyph;
    USHORT width = 0xEEEE;
    ASSERT_TRUE(DrvQueryAdvanceWidths(pdev(), font->get(), QAW_GETWIDTHS, &hg, &width, 1));
    EXPECT_EQ(width, c.width);
  }
  auto font = Font(3, 40);
  EXPECT_TRUE(DrvQueryAdvanceWidths(pdev(), font->get(), QAW_GETEASYWIDTHS, nullptr, nullptr, 0));
}

// A size at which a width no longer fits the 16-bit slot: never wrapped, reported as not
// had.
TEST_F(DeviceFontTest, WidthsTooLargeForTheirSlotAreNotWrapped) {
  auto font = Font(1, 6000);  // a 6000-pixel em: a full width of 96000 sixteenths
  HGLYPH glyphs[2] = {0x41, 0x889F};
  USHORT widths[2] = {0, 0};
  EXPECT_FALSE(DrvQueryAdvanceWidths(pdev(), font->get(), QAW_GETWIDTHS, glyphs, widths, 2));
  EXPECT_EQ(widths[0], 3000 * 16);
  EXPECT_EQ(widths[1], 0xFFF0);
}

TEST_F(DeviceFontTest, GlyphMetricsAndMaximumExtents) {
  auto font = Font(1, 100);
  EXPECT_EQ(DrvQueryFontData(pdev(), font->get(), QFD_MAXEXTENTS, 0, nullptr, nullptr, 0), 124);
  FD_DEVICEMETRICS dm{};
  ASSERT_EQ(DrvQueryFontData(pdev(), font->get(), QFD_MAXEXTENTS, 0, nullptr, &dm, sizeof dm), 124);
  EXPECT_EQ(dm.cxMax, 100u);
  EXPECT_EQ(dm.lD, 0);  // not a constant-width font
  EXPECT_EQ(dm.fxMaxAscender, 90 * 16);
  EXPECT_EQ(dm.fxMaxDescender, 10 * 16);
  EXPECT_FLOAT_EQ(dm.pteBase.x, 1.0f);
  EXPECT_FLOAT_EQ(dm.pteSide.y, -1.0f);
  EXPECT_EQ(dm.ptlUnderline1.y, 9);  // -(-93) x 0.1, rounded
  EXPECT_EQ(dm.ptlStrikeOut.y, -45);

  GLYPHDATA gd{};
  EXPECT_EQ(DrvQueryFontData(pdev(), font->get(), QFD_GLYPHANDBITMAP, 0x889F, &gd, nullptr, 0), 0);
  EXPECT_EQ(gd.hg, 0x889Fu);
  EXPECT_EQ(gd.fxD, 100 * 16);
  EXPECT_EQ(gd.fxAB, 100 * 16);
  EXPECT_EQ(gd.fxInkTop, 90 * 16);
  EXPECT_EQ(gd.fxInkBottom, -10 * 16);
  EXPECT_EQ(gd.ptqD.x.u.HighPart, 100 * 16);
  EXPECT_EQ(gd.ptqD.x.u.LowPart, 0u);
  EXPECT_EQ(DrvQueryFontData(pdev(), font->get(), QFD_GLYPHANDBITMAP, 0x41, nullptr, nullptr, 0), 0);
  EXPECT_EQ(DrvGetGlyphMode(pdev(), font->get()), FO_GLYPHBITS);
}

}  // namespace
}  // namespace rendara::test
