#include "print_text.h"

#include <filesystem>
#include <functional>
#include <memory>

#include "host_text.h"
#include "plat/gdi_objects.h"
#include "plat/truetype.h"

namespace fs = std::filesystem;

namespace drvhost {
namespace {

// Where a font file named without a folder is looked for.
const char* const kFontFolders[] = {"/usr/share/fonts/truetype/dejavu", "/usr/share/fonts/truetype"};

std::string FontFile(const std::string& name) {
  std::error_code ec;
  if (fs::is_regular_file(name, ec)) return name;
  if (name.find('/') == std::string::npos)
    for (const char* folder : kFontFolders) {
      const fs::path p = fs::path(folder) / name;
      if (fs::is_regular_file(p, ec)) return p.string();
    }
  return {};
}

// The engine's unique value of a realized font: the same font and size give the same value.
ULONG UniqueOf(const std::string& font, LONG size) {
  return static_cast<ULONG>(std::hash<std::string>{}(font + "/" + std::to_string(size)) & 0x7FFFFFFF) | 1;
}

// A string in a device font of the driver, or null when the driver has no font of that
// name. The glyph handles come from the font's glyph set, the advances from the driver.
struct DeviceText {
  std::unique_ptr<plat::gdi::FontObject> font;
  std::unique_ptr<plat::gdi::StringObject> string;
};

DeviceText MakeDeviceText(plat::engine::Device& device, const DrawCall& call, POINTL at) {
  DeviceText out;
  const auto queryFont = device.driver().Get<PFN_DrvQueryFont>(INDEX_DrvQueryFont);
  const auto queryTree = device.driver().Get<PFN_DrvQueryFontTree>(INDEX_DrvQueryFontTree);
  const auto widths = device.driver().Get<PFN_DrvQueryAdvanceWidths>(INDEX_DrvQueryAdvanceWidths);
  if (!queryFont || !queryTree || !widths) return out;
  const std::u16string wanted = U16(call.font);
  for (ULONG face = 1; face <= device.devInfo().cFonts; ++face) {
    ULONG_PTR id = 0;
    IFIMETRICS* ifi = queryFont(device.pdev(), 0, face, &id);
    if (!ifi || ifi->dpwszFamilyName <= 0 || static_cast<ULONG>(ifi->dpwszFamilyName) >= ifi->cjThis) continue;
    const auto* family = reinterpret_cast<const WCHAR*>(reinterpret_cast<const BYTE*>(ifi) + ifi->dpwszFamilyName);
    if (wanted != family) continue;
    auto* set = static_cast<FD_GLYPHSET*>(queryTree(device.pdev(), 0, face, QFT_GLYPHSET, &id));
    if (!set) return out;
    const float s = static_cast<float>(call.size) / static_cast<float>(ifi->fwdUnitsPerEm ? ifi->fwdUnitsPerEm : 1000);
    out.font = std::make_unique<plat::gdi::FontObject>(UniqueOf(call.font, call.size), face, FO_TYPE_DEVICE, ifi,
                                                       ifi->cjThis, XFORML{s, 0, 0, s, 0, 0});
    std::vector<HGLYPH> handles;
    for (char16_t c : call.text) {
      HGLYPH hg = HGLYPH_INVALID;
      for (ULONG r = 0; r < set->cRuns; ++r) {
        const WCRUN& run = set->awcrun[r];
        if (c >= run.wcLow && c < run.wcLow + run.cGlyphs) {
          hg = run.phg ? run.phg[c - run.wcLow] : c;
          break;
        }
      }
      handles.push_back(hg == HGLYPH_INVALID ? 0x20 : hg);
    }
    std::vector<USHORT> advance(handles.size(), 0);
    widths(device.pdev(), out.font->get(), QAW_GETWIDTHS, handles.data(), advance.data(),
           static_cast<ULONG>(handles.size()));
    std::vector<GLYPHPOS> glyphs;
    LONG x = at.x;
    for (std::size_t i = 0; i < handles.size(); ++i) {
      glyphs.push_back(GLYPHPOS{handles[i], nullptr, POINTL{x, at.y}});
      x += (advance[i] + 8) >> 4;
    }
    const LONG ascent = static_cast<LONG>(ifi->fwdWinAscender * s + 0.5f);
    const LONG descent = static_cast<LONG>(ifi->fwdWinDescender * s + 0.5f);
    out.string = std::make_unique<plat::gdi::StringObject>(call.text, std::move(glyphs), out.font.get(), SO_HORIZONTAL,
                                                           0, RECTL{at.x, at.y - ascent, x, at.y + descent}, true);
    return out;
  }
  return out;
}

}  // namespace

std::string DrawText(plat::engine::Device& device, const DrawCall& call, std::string& error) {
  SURFOBJ* so = device.surface();
  plat::engine::SurfaceInfo info;
  plat::engine::QuerySurface(device.surfaceHandle(), info);
  const POINTL o = device.bandOrigin();
  const POINTL at{call.coords[0] - o.x, call.coords[1] - o.y};
  const RECTL area{0, 0, so->sizlBitmap.cx, so->sizlBitmap.cy};
  auto clip = plat::gdi::ClipObject::Trivial(area);
  plat::gdi::BrushObject brush(call.color);
  POINTL brushOrg{0, 0};
  constexpr MIX kTransparent = 0x0B0D;  // copy pen, background left

  FONTOBJ* font = nullptr;
  STROBJ* string = nullptr;
  std::string kind;
  DeviceText deviceText = MakeDeviceText(device, call, at);
  plat::gdi::RealizedText trueType;
  std::unique_ptr<plat::gdi::StringObject> trueTypeString;
  std::unique_ptr<plat::gdi::TrueTypeFace> face;
  if (deviceText.font) {
    font = deviceText.font->get();
    string = deviceText.string->get();
    kind = "device font";
  } else {
    const std::string file = FontFile(call.font);
    if (!file.empty()) face = plat::gdi::TrueTypeFace::Open(file);
    if (!face) {
      error = "line " + std::to_string(call.lineNumber) + ": no device font or font file \"" + call.font + "\"";
      return "DrvTextOut: no device font or font file \"" + call.font + "\"";
    }
    trueType = face->Realize(UniqueOf(file, call.size), call.size, call.text);
    if (!trueType.font) return "DrvTextOut: the face cannot be had at this size";
    trueTypeString = plat::gdi::LayOutString(trueType, call.text, at);
    font = trueType.font->get();
    string = trueTypeString->get();
    kind = "TrueType face " + U8(face->familyName());
  }

  const bool hasBits = so->pvScan0 != nullptr;
  auto textOut = device.driver().Get<PFN_DrvTextOut>(INDEX_DrvTextOut);
  const bool hooked = textOut && (info.hooks & HOOK_TEXTOUT);
  BOOL byDriver = FALSE;
  BOOL byEngine = FALSE;
  if (hooked)
    byDriver = textOut(so, string, font, clip->get(), nullptr, nullptr, brush.get(), nullptr, &brushOrg, kTransparent);
  if (!byDriver && hasBits)
    byEngine = EngTextOut(so, string, font, clip->get(), nullptr, nullptr, brush.get(), nullptr, &brushOrg, kTransparent);
  std::string line = "DrvTextOut (" + kind + "): " +
                     (hooked ? (byDriver ? "drawn by the driver" : "declined by the driver") : "not hooked");
  if (!byDriver) line += hasBits ? (byEngine ? ", drawn by the engine" : ", the engine could not draw it")
                                 : ", nothing drawn (a device surface has no bits)";
  return line;
}

}  // namespace drvhost
