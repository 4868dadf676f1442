#include "text_output.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "clip_records.h"
#include "colour_state.h"
#include "ddi.h"
#include "device_fonts.h"
#include "drawing_records.h"
#include "font_metrics.h"
#include "glyph_download.h"
#include "graphics_state.h"
#include "path_records.h"
#include "render_device.h"
#include "text_geometry.h"
#include "win/errors.h"

namespace rendara {

namespace {

constexpr std::size_t kNameCharacters = 128;
constexpr ULONG kPatternBrushColor = 0xFFFFFFFF;
constexpr DWORD kWhite = 0xFFFFFF;

// A name of the font metrics: at most 128 UTF-16 characters, and never read past the
// metrics' own size.
std::u16string_view MetricsName(const IFIMETRICS* ifi, PTRDIFF offset) {
  if (!ifi || offset < static_cast<PTRDIFF>(sizeof(IFIMETRICS)) || offset >= static_cast<PTRDIFF>(ifi->cjThis))
    return {};
  const auto* text = reinterpret_cast<const WCHAR*>(reinterpret_cast<const BYTE*>(ifi) + offset);
  const std::size_t room = (ifi->cjThis - static_cast<std::size_t>(offset)) / sizeof(WCHAR);
  std::size_t n = 0;
  while (n < room && n < kNameCharacters && text[n]) ++n;
  return {text, n};
}

void ConvertName(std::u16string_view name, char* out) {
  const DWORD n = ConvertToPrinterText(reinterpret_cast<BYTE*>(out), kFaceNameMax, name.data(),
                                       static_cast<DWORD>(name.size() * sizeof(WCHAR)));
  out[n] = 0;
}

bool Contains(std::u16string_view name, std::u16string_view part) { return name.find(part) != std::u16string_view::npos; }

bool OnlyDigits(std::u16string_view name) {
  if (name.empty()) return false;
  for (WCHAR c : name)
    if (c < u'0' || c > u'9') return false;
  return true;
}

bool HasFullWidthEudcPrefix(const char* converted) {
  static const BYTE prefix[6] = {0x82, 0x63, 0x82, 0x65, 0x82, 0x66};
  return std::strlen(converted) >= 6 && std::memcmp(converted, prefix, 6) == 0;
}

constexpr std::u16string_view kGaiji = u"\u5916\u5B57";

bool IsVersion6OrLater(const RenderDevice* device) { return device->osVersion.dwMajorVersion >= 6; }

bool EudcOption(const RenderDevice* device) { return device->specialText != 0; }

// The font road of step 8 of a text call: printer fonts and outlines rather than bitmaps.
bool UsesFontRoute(const RenderDevice* device) {
  return !device->textAsBitmap || device->printMethod == 5 || device->apiUseFlag || device->settingsRecordWanted;
}

// The common part of both font steps: simulations, metrics, names, escapement, sizes and
// the glyph-index flag.
void DescribeFont(RenderDevice*, STROBJ* string, FONTOBJ* font, const IFIMETRICS* ifi, const FontSizes& sizes,
                  FontDescription* d) {
  std::memset(static_cast<void*>(d), 0, sizeof *d);
  d->italic = (font->flFontType & FO_SIM_ITALIC) != 0;
  d->bold = (font->flFontType & FO_SIM_BOLD) != 0;
  d->vertical = (string->flAccel & SO_VERTICAL) != 0;
  d->charSet = ifi->jWinCharSet;
  d->pitchAndFamily = ifi->jWinPitchAndFamily;
  d->weight = ifi->usWinWeight;
  d->defaultChar = ifi->wcDefaultChar;
  d->fontIdentity = font->iUniq;
  d->escapement = EscapementOfTransform(FontTransform(font));
  // Sizes beyond the record's 16-bit slots are not wrapped: the caller sends such text as
  // outlines, whose boxes carry the real size.
  d->height = static_cast<WORD>(sizes.height > 0xFFFF ? 0xFFFF : sizes.height);
  d->width = static_cast<WORD>(sizes.width > 0xFFFF ? 0xFFFF : sizes.width);
  d->internalLeading = static_cast<WORD>(sizes.internalLeading > 0xFFFF ? 0xFFFF : sizes.internalLeading);
  ConvertName(MetricsName(ifi, ifi->dpwszFamilyName), d->familyName);
  ConvertName(MetricsName(ifi, ifi->dpwszFaceName), d->faceName);
  d->glyphIndexFlag = (string->flAccel & SO_GLYPHINDEX_TEXTOUT) ? 3 : 2;
}

bool TooLargeForRecord(const FontSizes& sizes) {
  return sizes.height > 0xFFFF || sizes.width > 0xFFFF || sizes.internalLeading > 0xFFFF;
}

// Step 9: a font record only when the font state does not hold this font.
BOOL SelectFont(RenderDevice* device, const FontDescription& d, bool alwaysWrite) {
  FontState& state = device->drawing.font;
  if (!alwaysWrite && state.valid && state.identity == d.fontIdentity && state.glyphIndexFlag == d.glyphIndexFlag)
    return TRUE;
  const BYTE* record = d.mode == FONTMODE_DOWNLOAD ? EmitDownloadFont(&device->records, d) : EmitFont(&device->records, d);
  if (!record) {
    state.valid = FALSE;
    return FALSE;
  }
  state.identity = d.fontIdentity;
  state.glyphIndexFlag = d.glyphIndexFlag;
  state.valid = alwaysWrite ? FALSE : TRUE;
  return TRUE;
}

void AppendIdentity(char* name, std::uintptr_t identity) {
  char suffix[24];
  std::snprintf(suffix, sizeof suffix, "_%llx", static_cast<unsigned long long>(identity));
  const std::size_t have = std::strlen(name);
  const std::size_t add = std::strlen(suffix);
  if (have + add > kFaceNameMax) return;  // no room: the name stays as it was
  std::memcpy(name + have, suffix, add + 1);
}

// The colours of a brush for the text: a pattern brush its two colours, a solid brush its
// colour on white; white on white when the brush could not be had.
void BrushColours(const BRUSHOBJ* brush, const RealizedBrush* realized, ColorDesc* desc, BYTE* paintMode) {
  if (brush && brush->iSolidColor == kPatternBrushColor) {
    *paintMode = BKMODE_OPAQUE;
    desc->foregroundColor = realized ? realized->firstColor : kWhite;
    desc->backgroundColor = realized ? realized->secondColor : kWhite;
  } else {
    *paintMode = BKMODE_TRANSPARENT;
    desc->foregroundColor = brush ? brush->iSolidColor : kWhite;
    desc->backgroundColor = kWhite;
  }
  desc->thirdColor = 0;
  desc->thirdPresent = 0;
  desc->drawingKind = DRAW_TEXT;
}

BOOL OpaqueBox(RenderDevice* device, SURFOBJ* surface, const RECTL& box, BRUSHOBJ* opaque, BRUSHOBJ* fore,
               POINTL* origin, MIX mix) {
  ColorDesc desc{};
  MakeColorDesc(device, mix, &desc, 0);
  RealizedBrush* realized = LookupBrush(device, surface, opaque, origin);
  BYTE paintMode = BKMODE_TRANSPARENT;
  BrushColours(opaque, realized, &desc, &paintMode);
  desc.hostMatched = (fore && (fore->flColorType & BR_HOST_ICM)) ? 1 : 0;
  if (!SendColor(device, &desc)) return FALSE;
  if (!SendPaintMode(device, paintMode)) return FALSE;
  if (!SendRop(device, MixToRop(mix & 0xFF))) return FALSE;
  return EmitFillRect(&device->records, &box, &box, 1) ? TRUE : FALSE;
}

BOOL Foreground(RenderDevice* device, SURFOBJ* surface, BRUSHOBJ* fore, POINTL* origin, MIX mix) {
  ColorDesc desc{};
  MakeColorDesc(device, mix, &desc, 0);
  RealizedBrush* realized = LookupBrush(device, surface, fore, origin);
  if (!realized) return FALSE;
  if (!SendBrush(device, realized)) return FALSE;
  BYTE paintMode = BKMODE_TRANSPARENT;
  BrushColours(fore, realized, &desc, &paintMode);
  desc.hostMatched = realized->hostMatched;
  if (!SendColor(device, &desc)) return FALSE;
  if (!SendPaintMode(device, paintMode)) return FALSE;
  return SendRop(device, MixToRop(mix & 0xFF));
}

bool HasArea(const RECTL& r) { return r.right != r.left && r.bottom != r.top; }

bool FitsInt16(std::int64_t v) { return v >= -32768 && v <= 32767; }

BOOL WriteTextBoxes(RenderDevice* device, STROBJ* string, const GlyphList& glyphs, const FontDescription& font,
                    const FontSizes& sizes) {
  const std::int64_t sinA = SinQ(font.escapement);
  const std::int64_t cosA = CosQ(font.escapement);
  for (ULONG i = 0; i < glyphs.count; ++i) {
    const POINTL p = glyphs.items[i].ptl;
    const std::int64_t x = p.x - ((sizes.ascent * sinA) >> 14);
    const std::int64_t y = p.y - ((sizes.ascent * cosA) >> 14);
    const RECTL box{static_cast<LONG>(x), static_cast<LONG>(y), static_cast<LONG>(x + sizes.width),
                    static_cast<LONG>(y + sizes.height)};
    if (!EmitTextBox(&device->records, box, box.left, box.top, CharacterOf(string, i, glyphs.items[i]))) return FALSE;
  }
  return TRUE;
}

}  // namespace

FontSizes FontSizesOf(const XFORML& m, const IFIMETRICS& ifi) {
  auto r = [](float e, std::int32_t v) -> std::int64_t {
    return (static_cast<std::int64_t>(ScaleTrunc(e, v * 10)) + 5) / 10;
  };
  FontSizes s{};
  const std::int32_t em = ifi.fwdUnitsPerEm;
  const std::int32_t a = ifi.fwdWinAscender;
  const std::int32_t d = ifi.fwdWinDescender;
  s.width = Hypot64(r(m.eM11, em), r(m.eM12, em));
  s.height = Hypot64(r(m.eM21, em), r(m.eM22, em));
  s.ascent = Hypot64(r(m.eM21, a), r(m.eM22, a));
  s.descent = Hypot64(r(m.eM21, d), r(m.eM22, d));
  s.internalLeading = s.ascent + s.descent - s.height;
  if (s.internalLeading < 0) s.internalLeading = 0;
  return s;
}

WORD EscapementOfTransform(const XFORML& m) {
  std::int32_t x = ScaleTrunc(m.eM11, 5000);
  std::int32_t y = ScaleTrunc(m.eM12, 5000);
  // Large transforms are brought into 16 bits by halving both parts, which keeps the
  // direction, instead of wrapping them.
  while (x > 32767 || x < -32768 || y > 32767 || y < -32768) {
    x /= 2;
    y /= 2;
  }
  const std::int32_t f = EscapementOf(static_cast<std::int16_t>(x), static_cast<std::int16_t>(y));
  std::int32_t e = -f;
  if (f > 0) e += 360;
  return static_cast<WORD>(e);
}

bool IsMirrored(const XFORML& m) {
  const std::int32_t a = ScaleTrunc(m.eM11, 5000);
  const std::int32_t d = ScaleTrunc(m.eM22, 5000);
  return a != 0 && d != 0 && ((a < 0) != (d < 0));
}

BOOL CollectGlyphs(RenderDevice* device, STROBJ* string, GlyphList* out) {
  out->items = nullptr;
  out->count = 0;
  const ULONG count = string->cGlyphs;
  if (count == 0) return TRUE;
  auto* items = static_cast<GLYPHPOS*>(DeviceAlloc(device->heap, sizeof(GLYPHPOS) * static_cast<std::size_t>(count)));
  if (!items) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return FALSE;
  }
  ULONG have = 0;
  if (string->pgp) {
    std::memcpy(static_cast<void*>(items), string->pgp, sizeof(GLYPHPOS) * count);
    have = count;
  } else {
    STROBJ_vEnumStart(string);
    BOOL more = TRUE;
    while (more && have < count) {
      ULONG n = 0;
      GLYPHPOS* batch = nullptr;
      more = STROBJ_bEnum(string, &n, &batch);
      if (!batch) break;
      if (n > count - have) n = count - have;
      std::memcpy(static_cast<void*>(items + have), batch, sizeof(GLYPHPOS) * n);
      have += n;
    }
  }
  out->items = items;
  out->count = have;
  return TRUE;
}

void FreeGlyphs(RenderDevice* device, GlyphList* list) {
  if (list->items) DeviceFree(device->heap, list->items);
  list->items = nullptr;
  list->count = 0;
}

WCHAR CharacterOf(const STROBJ* string, ULONG i, const GLYPHPOS& glyph) {
  if (string->pwszOrg) return string->pwszOrg[i];
  return static_cast<WCHAR>(glyph.hg);
}

POINTL PlacedPosition(const STROBJ* string, const GlyphList& glyphs, ULONG i) {
  if ((string->flAccel & SO_FLAG_DEFAULT_PLACEMENT) && string->ulCharInc != 0 && glyphs.count > 0) {
    const POINTL first = glyphs.items[0].ptl;
    const std::int64_t step = static_cast<std::int64_t>(i) * string->ulCharInc;
    if (string->flAccel & SO_HORIZONTAL) return POINTL{static_cast<LONG>(first.x + step), first.y};
    return POINTL{first.x, static_cast<LONG>(first.y + step)};
  }
  return glyphs.items[i].ptl;
}

BOOL SetDeviceTextFont(RenderDevice* device, STROBJ* string, FONTOBJ* font, const FontSizes& sizes,
                       FontDescription* d) {
  const IFIMETRICS* ifi = FONTOBJ_pifi(font);
  DescribeFont(device, string, font, ifi, sizes, d);
  const XFORML m = FontTransform(font);
  const bool v6 = IsVersion6OrLater(device);
  const bool eudcOption = EudcOption(device);
  int mode = FONTMODE_RESIDENT;
  if (ifi->flInfo & FM_INFO_TECH_STROKE) mode = FONTMODE_OUTLINES;
  if (!v6 && (ifi->flInfo & FM_INFO_TECH_OUTLINE_NOT_TRUETYPE)) mode = FONTMODE_OUTLINES;
  if (IsMirrored(m)) mode = FONTMODE_OUTLINES;

  const std::u16string_view family = MetricsName(ifi, ifi->dpwszFamilyName);
  const std::u16string_view face = MetricsName(ifi, ifi->dpwszFaceName);
  auto eudcRules = [&](const char* converted, std::u16string_view name) {
    if (std::strcmp(converted, "EUDC") == 0) {
      if (eudcOption)
        mode = FONTMODE_OUTLINES;
      else if (mode == FONTMODE_OUTLINES)
        mode = FONTMODE_RESIDENT;
    }
    if (mode != FONTMODE_OUTLINES && HasFullWidthEudcPrefix(converted)) mode = FONTMODE_OUTLINES;
    if (eudcOption && Contains(name, kGaiji)) mode = FONTMODE_OUTLINES;
  };
  eudcRules(d->familyName, family);
  if (mode != FONTMODE_OUTLINES) {
    if (!v6) {
      if (Contains(family, u".tmp") || Contains(family, u".TMP")) mode = FONTMODE_OUTLINES;
    } else if (Contains(family, u".tmp") || Contains(family, u".TMP") || Contains(family, u"___") ||
               OnlyDigits(family)) {
      mode = FONTMODE_OUTLINES;
    }
  }
  eudcRules(d->faceName, face);
  if ((device->printMethod == 5 || device->apiUseFlag || device->settingsRecordWanted) &&
      mode != FONTMODE_OUTLINES && (Contains(face, u".tmp") || Contains(face, u".TMP")))
    mode = FONTMODE_OUTLINES;
  if (d->glyphIndexFlag == 3) mode = FONTMODE_OUTLINES;
  // A size the record cannot hold goes as outlines, whose boxes carry it.
  if (TooLargeForRecord(sizes)) mode = FONTMODE_OUTLINES;

  bool eudcText = false;
  if (eudcOption) {
    if (string->pwszOrg)
      for (ULONG i = 0; i < string->cGlyphs; ++i)
        if (string->pwszOrg[i] >= 0xE000 && string->pwszOrg[i] <= 0xF8FF) {
          mode = FONTMODE_OUTLINES;
          eudcText = true;
          break;
        }
    if (std::strcmp(d->familyName, "EUDC") == 0 || std::strcmp(d->faceName, "EUDC") == 0) eudcText = true;
  }
  d->mode = mode;
  const bool eudcRecord = eudcText && mode == FONTMODE_OUTLINES;
  if (eudcRecord) {
    AppendIdentity(d->familyName, d->fontIdentity);
    AppendIdentity(d->faceName, d->fontIdentity);
  }
  return SelectFont(device, *d, eudcRecord);
}

BOOL SetDownloadTextFont(RenderDevice* device, STROBJ* string, FONTOBJ* font, const FontSizes& sizes,
                         FontDescription* d) {
  const IFIMETRICS* ifi = FONTOBJ_pifi(font);
  DescribeFont(device, string, font, ifi, sizes, d);
  const bool deviceFont = IsDeviceFontName(std::u16string(MetricsName(ifi, ifi->dpwszFamilyName)).c_str()) ||
                          IsDeviceFontName(std::u16string(MetricsName(ifi, ifi->dpwszFaceName)).c_str());
  d->mode = deviceFont ? FONTMODE_RESIDENT : FONTMODE_DOWNLOAD;
  return SelectFont(device, *d, false);
}

BOOL WriteDeviceText(RenderDevice* device, STROBJ* string, const FontDescription& font, const FontSizes& sizes) {
  const ULONG count = string->cGlyphs;
  if (count == 0) return TRUE;
  const bool fitsRun = count <= 0xFFFF && string->pwszOrg != nullptr;
  const FLONG accel = string->flAccel;
  RecordBuffer* records = &device->records;

  // Fixed pitch: one advance for all.
  if (fitsRun && (accel & SO_FLAG_DEFAULT_PLACEMENT) && string->ulCharInc != 0 && string->ulCharInc <= 32767) {
    const std::int16_t advance = static_cast<std::int16_t>((accel & SO_REVERSED) ? -static_cast<LONG>(string->ulCharInc)
                                                                                 : static_cast<LONG>(string->ulCharInc));
    const RECTL& bg = string->rclBkGround;
    return EmitGlyphRun(records, bg, bg.left, bg.top, string->pwszOrg, &advance, count, 1) ? TRUE : FALSE;
  }

  GlyphList glyphs{};
  if (!CollectGlyphs(device, string, &glyphs)) return FALSE;
  BOOL answer = FALSE;
  bool written = false;
  if (fitsRun && font.escapement == 0 && (accel & (SO_HORIZONTAL | SO_VERTICAL)) && glyphs.count == count) {
    const bool horizontal = (accel & SO_HORIZONTAL) != 0;
    auto* advances = static_cast<std::int16_t*>(DeviceAlloc(device->heap, sizeof(std::int16_t) * count));
    if (!advances) {
      FreeGlyphs(device, &glyphs);
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return FALSE;
    }
    bool oneLine = true;
    for (ULONG i = 0; i + 1 < count && oneLine; ++i) {
      const POINTL a = glyphs.items[i].ptl;
      const POINTL b = glyphs.items[i + 1].ptl;
      if (horizontal ? a.y != b.y : a.x != b.x) oneLine = false;
      // Each step must fit its 16-bit slot; a longer one is not wrapped but sent as boxes.
      const std::int64_t step = horizontal ? static_cast<std::int64_t>(b.x) - a.x : static_cast<std::int64_t>(b.y) - a.y;
      if (!FitsInt16(step)) oneLine = false;
      advances[i] = static_cast<std::int16_t>(step);
    }
    advances[count - 1] = 0;
    if (oneLine) {
      const POINTL first = glyphs.items[0].ptl;
      answer = EmitGlyphRun(records, string->rclBkGround, first.x, static_cast<LONG>(first.y - sizes.ascent),
                            string->pwszOrg, advances, count, count)
                   ? TRUE
                   : FALSE;
      written = true;
    }
    DeviceFree(device->heap, advances);
  }
  if (!written) answer = WriteTextBoxes(device, string, glyphs, font, sizes);
  FreeGlyphs(device, &glyphs);
  return answer;
}

BOOL WriteOutlineText(RenderDevice* device, STROBJ* string, FONTOBJ* font) {
  GlyphList glyphs{};
  if (!CollectGlyphs(device, string, &glyphs)) return FALSE;
  BOOL answer = TRUE;
  for (ULONG i = 0; i < glyphs.count && answer; ++i) {
    HGLYPH hg = glyphs.items[i].hg;
    GLYPHDATA* data = nullptr;
    if (FONTOBJ_cGetGlyphs(font, FO_PATHOBJ, 1, &hg, reinterpret_cast<PVOID*>(&data)) != 1 || !data ||
        !data->gdf.ppo) {
      answer = FALSE;
      break;
    }
    PATHOBJ* path = data->gdf.ppo;
    RECTFX bounds{};
    PATHOBJ_vGetBounds(path, &bounds);
    const POINTL at = PlacedPosition(string, glyphs, i);
    RECTL box;
    box.left = (bounds.xLeft >> 4) + at.x;
    box.top = (bounds.yTop >> 4) + at.y;
    box.right = box.left + ((bounds.xRight - bounds.xLeft) >> 4);
    box.bottom = box.top + ((bounds.yBottom - bounds.yTop) >> 4);
    const DWORD capacity = OutlineCapacity(path);
    if (capacity == 0) {
      answer = FALSE;
      break;
    }
    auto* buffer = static_cast<BYTE*>(DeviceAlloc(device->heap, capacity));
    if (!buffer) {
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      answer = FALSE;
      break;
    }
    const DWORD length = WriteOutline(device, path, buffer, -bounds.xLeft, -bounds.yTop);
    if (length > 0 && !EmitTextOutline(&device->records, box, box.left, box.top,
                                       CharacterOf(string, i, glyphs.items[i]), buffer, length))
      answer = FALSE;
    DeviceFree(device->heap, buffer);
  }
  FreeGlyphs(device, &glyphs);
  return answer;
}

BOOL DrvTextOut(SURFOBJ* pso, STROBJ* pstro, FONTOBJ* pfo, CLIPOBJ* pco, RECTL* prclExtra, RECTL* prclOpaque,
                BRUSHOBJ* pboFore, BRUSHOBJ* pboOpaque, POINTL* pptlOrg, MIX mix) {
  RenderDevice* device = DeviceOfSurface(pso);
  if (!device || !pstro || !pfo || !FONTOBJ_pifi(pfo)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (device->hiddenFunc18) return TRUE;
  if (device->jobFlags & JOB_OUTPUT_FAILED) return FALSE;
  POINTL origin{0, 0};
  if (pptlOrg) origin = *pptlOrg;
  if (device->rasterMode)
    return EngTextOut(pso, pstro, pfo, pco, prclExtra, prclOpaque, pboFore, pboOpaque, &origin, mix);

  if (SetClip(device, pco) == kClipFailed) return FALSE;
  if (pboOpaque && prclOpaque && HasArea(*prclOpaque) &&
      !OpaqueBox(device, pso, *prclOpaque, pboOpaque, pboFore, &origin, mix))
    return FALSE;
  if (!Foreground(device, pso, pboFore, &origin, mix)) return FALSE;

  const IFIMETRICS* ifi = FONTOBJ_pifi(pfo);
  const FontSizes sizes = FontSizesOf(FontTransform(pfo), *ifi);
  FontDescription font;
  BOOL drawn = FALSE;
  if (UsesFontRoute(device)) {
    if (!SetDeviceTextFont(device, pstro, pfo, sizes, &font)) return FALSE;
    drawn = font.mode == FONTMODE_RESIDENT ? WriteDeviceText(device, pstro, font, sizes)
                                           : WriteOutlineText(device, pstro, pfo);
  } else {
    if (!SetDownloadTextFont(device, pstro, pfo, sizes, &font)) return FALSE;
    drawn = font.mode == FONTMODE_RESIDENT ? WriteDeviceText(device, pstro, font, sizes)
                                           : DownloadText(device, pfo, pstro, sizes.ascent, font);
  }
  if (!drawn) return FALSE;

  // Underlines and strike-outs, until a rectangle without area.
  for (RECTL* r = prclExtra; r && HasArea(*r); ++r)
    if (!EmitFillRect(&device->records, r, r, 1)) return FALSE;
  return TRUE;
}

}  // namespace rendara
