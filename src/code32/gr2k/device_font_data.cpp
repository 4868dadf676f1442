#include "device_font_data.h"

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "glyph_set_data.h"
#include "win/winddi.h"

namespace rendara {

namespace {

struct FontRow {
  const char16_t* name;  // family, face and unique name
  const char* glyphSetName;
  BYTE pitchAndFamily;
};

const FontRow kFonts[kDeviceFontCount] = {
    {u"\u660E\u671D", "ROMA;J83;KATA", 0x11},
    {u"@\u660E\u671D", "ROMA;J83V;KATA", 0x11},
    {u"\uFF7A\uFF9E\uFF7C\uFF6F\uFF78", "ROMA;J83;KATA", 0x21},
    {u"@\uFF7A\uFF9E\uFF7C\uFF6F\uFF78", "ROMA;J83V;KATA", 0x21},
};

constexpr char16_t kStyle[] = u"Medium";

void Put32(std::vector<BYTE>& b, std::size_t at, DWORD v) { std::memcpy(b.data() + at, &v, 4); }

std::size_t AppendText(std::vector<BYTE>& b, std::u16string_view text) {
  const std::size_t at = b.size();
  b.resize(at + (text.size() + 1) * 2, 0);
  std::memcpy(b.data() + at, text.data(), text.size() * 2);
  return at;
}

void Align(std::vector<BYTE>& b, std::size_t n) { b.resize((b.size() + n - 1) / n * n, 0); }

IFIMETRICS Metrics(BYTE pitchAndFamily) {
  IFIMETRICS m{};
  m.jWinCharSet = 128;
  m.jWinPitchAndFamily = pitchAndFamily;
  m.usWinWeight = 400;
  m.flInfo = 0x18482038;
  m.fsSelection = 0;
  m.fsType = 2;
  m.fwdUnitsPerEm = 1000;
  m.fwdLowestPPEm = 1;
  m.fwdWinAscender = 900;
  m.fwdWinDescender = 100;
  m.fwdMacAscender = 900;
  m.fwdMacDescender = -100;
  m.fwdMacLineGap = 0;
  m.fwdTypoAscender = 900;
  m.fwdTypoDescender = -100;
  m.fwdTypoLineGap = 0;
  m.fwdAveCharWidth = 500;
  m.fwdMaxCharInc = 1000;
  m.fwdSubscriptXSize = 300;
  m.fwdSubscriptYSize = 300;
  m.fwdSubscriptXOffset = 600;
  m.fwdSubscriptYOffset = -100;
  m.fwdSuperscriptXSize = 300;
  m.fwdSuperscriptYSize = 300;
  m.fwdSuperscriptXOffset = 600;
  m.fwdSuperscriptYOffset = 300;
  m.fwdUnderscoreSize = 46;
  m.fwdUnderscorePosition = -93;
  m.fwdStrikeoutSize = 46;
  m.fwdStrikeoutPosition = 450;
  m.chFirstChar = 0x20;
  m.chLastChar = 0xFF;
  m.chDefaultChar = 0xA5;
  m.chBreakChar = 0x20;
  m.wcFirstChar = 0x0020;
  m.wcLastChar = 0xFFFD;
  m.wcDefaultChar = 0x30FB;
  m.wcBreakChar = 0x0020;
  m.ptlBaseline = POINTL{1, 0};
  m.ptlAspect = POINTL{1, 1};
  m.ptlCaret = POINTL{0, 1};
  m.rclFontBox = RECTL{0, 900, 500, -100};
  std::memcpy(m.achVendId, "Unkn", 4);
  m.cKerningPairs = 0;
  m.panose.bWeight = 6;
  return m;
}

FONTDIFF Diff(const IFIMETRICS& m, bool bold, bool italic) {
  FONTDIFF d{};
  d.bWeight = bold ? 8 : 6;
  d.usWinWeight = static_cast<USHORT>(bold ? 700 : m.usWinWeight);
  d.fsSelection = static_cast<FSHORT>((bold ? FM_SEL_BOLD : 0) | (italic ? FM_SEL_ITALIC : 0));
  d.fwdAveCharWidth = m.fwdAveCharWidth;
  d.fwdMaxCharInc = m.fwdMaxCharInc;
  d.ptlCaret = italic ? POINTL{1, 2} : m.ptlCaret;
  return d;
}

std::vector<BYTE> BuildFont(const FontRow& row) {
  std::vector<BYTE> b(kFontMetricsOffset + sizeof(IFIMETRICS), 0);
  IFIMETRICS m = Metrics(row.pitchAndFamily);
  const std::size_t ifi = kFontMetricsOffset;
  m.dpwszFamilyName = static_cast<PTRDIFF>(AppendText(b, row.name) - ifi);
  m.dpwszStyleName = static_cast<PTRDIFF>(AppendText(b, kStyle) - ifi);
  m.dpwszFaceName = static_cast<PTRDIFF>(AppendText(b, row.name) - ifi);
  m.dpwszUniqueName = static_cast<PTRDIFF>(AppendText(b, row.name) - ifi);
  Align(b, 8);
  const std::size_t sims = b.size();
  m.dpFontSim = static_cast<PTRDIFF>(sims - ifi);
  b.resize(sims + sizeof(FONTSIM) + 3 * sizeof(FONTDIFF), 0);
  FONTSIM sim{};
  sim.dpBold = sizeof(FONTSIM);
  sim.dpItalic = sizeof(FONTSIM) + sizeof(FONTDIFF);
  sim.dpBoldItalic = sizeof(FONTSIM) + 2 * sizeof(FONTDIFF);
  std::memcpy(b.data() + sims, &sim, sizeof sim);
  const FONTDIFF diffs[3] = {Diff(m, true, false), Diff(m, false, true), Diff(m, true, true)};
  std::memcpy(b.data() + sims + sizeof(FONTSIM), diffs, sizeof diffs);
  Align(b, 8);
  m.cjThis = static_cast<ULONG>(b.size() - ifi);
  std::memcpy(b.data() + ifi, &m, sizeof m);
  const std::size_t name = b.size();
  b.insert(b.end(), row.glyphSetName, row.glyphSetName + std::strlen(row.glyphSetName) + 1);
  Align(b, 4);
  Put32(b, 0, static_cast<DWORD>(b.size()));
  Put32(b, 4, kFontMetricsOffset);
  Put32(b, kGlyphSetNameSlot, static_cast<DWORD>(name));
  return b;
}

const std::vector<BYTE>* FontImages() {
  static const std::vector<BYTE> images[kDeviceFontCount] = {BuildFont(kFonts[0]), BuildFont(kFonts[1]),
                                                             BuildFont(kFonts[2]), BuildFont(kFonts[3])};
  return images;
}

}  // namespace

DeviceFontImage DeviceFontResource(int id) {
  if (id < 1 || id > kDeviceFontCount) return {nullptr, 0};
  const std::vector<BYTE>& image = FontImages()[id - 1];
  return {image.data(), static_cast<ULONG>(image.size())};
}

bool RegisterFontResources(HMODULE module) {
  ENGRESOURCE table[kDeviceFontCount + kGlyphSetResourceCount];
  ULONG n = 0;
  for (int id = 1; id <= kDeviceFontCount; ++id) {
    const DeviceFontImage image = DeviceFontResource(id);
    table[n++] = {kDeviceFontResourceType, id, image.data, image.size};
  }
  for (const GlyphSetData& set : kGlyphSetData) table[n++] = {kGlyphSetResourceType, set.id, set.data, set.size};
  return EngRegisterModuleResources(module, table, n) != FALSE;
}

void UnregisterFontResources(HMODULE module) { EngUnregisterModuleResources(module); }

}  // namespace rendara
