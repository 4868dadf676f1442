// Font objects: a realised font with its metrics, glyph set, glyph bitmaps and outlines
// (FONTOBJ_*).
#include <algorithm>
#include <cstring>

#include "gdi_internal.h"
#include "object_registry.h"
#include "plat/gdi_objects.h"
#include "win/errors.h"

namespace plat::gdi {

FontObject::FontObject(ULONG uniq, ULONG face, FLONG fontType, const void* metrics, ULONG metricsSize,
                       const XFORML& transform)
    : xform_(transform) {
  obj_.iUniq = uniq;
  obj_.iFace = face;
  obj_.flFontType = fontType;
  obj_.sizLogResPpi = SIZEL{600, 600};
  if (metrics && metricsSize >= sizeof(IFIMETRICS)) {
    const auto* p = static_cast<const BYTE*>(metrics);
    metrics_.assign(p, p + metricsSize);
  }
  Register(Kind::Font, &obj_, this);
}

FontObject::~FontObject() { Unregister(Kind::Font, &obj_); }

void FontObject::AddGlyph(HGLYPH hg, POINTL origin, SIZEL size, const std::vector<BYTE>& rows, FIX advance) {
  Glyph& g = glyphs_[hg];
  const std::size_t rowBytes = static_cast<std::size_t>(std::max<LONG>(size.cx, 0) + 7) / 8;
  const std::size_t need = rowBytes * static_cast<std::size_t>(std::max<LONG>(size.cy, 0));
  g.bits.assign(offsetof(GLYPHBITS, aj) + std::max<std::size_t>(need, 1), 0);
  auto* gb = reinterpret_cast<GLYPHBITS*>(g.bits.data());
  gb->ptlOrigin = origin;
  gb->sizlBitmap = size;
  std::memcpy(gb->aj, rows.data(), std::min(need, rows.size()));
  g.def.pgb = gb;
  g.data.gdf.pgb = gb;
  g.data.hg = hg;
  g.data.fxD = advance;
  g.data.fxA = origin.x * 16;
  g.data.fxAB = (origin.x + size.cx) * 16;
  g.data.fxInkTop = -origin.y * 16;
  g.data.fxInkBottom = -(origin.y + size.cy) * 16;
  g.data.rclInk = RECTL{origin.x, origin.y, origin.x + size.cx, origin.y + size.cy};
  g.data.ptqD.x.QuadPart = static_cast<LONGLONG>(advance) << 32;
  if (size.cx > static_cast<LONG>(obj_.cxMax)) obj_.cxMax = static_cast<ULONG>(size.cx);
}

PathObject& FontObject::GlyphOutline(HGLYPH hg) {
  Glyph& g = glyphs_[hg];
  if (!g.outline) g.outline = std::make_unique<PathObject>();
  g.outlineDef.ppo = g.outline->get();
  g.outlineData = g.data;
  g.outlineData.gdf.ppo = g.outline->get();
  g.outlineData.hg = hg;
  return *g.outline;
}

void FontObject::SetGlyphSet(std::vector<BYTE> glyphSetBlob) { glyphSet_ = std::move(glyphSetBlob); }

ULONG FontObject::GetGlyphs(ULONG mode, ULONG count, HGLYPH* handles, PVOID* out) {
  if (count != 1 || !handles || !out) return 0;
  auto it = glyphs_.find(handles[0]);
  if (it == glyphs_.end()) return 0;
  Glyph& g = it->second;
  if (mode == FO_GLYPHBITS) {
    if (g.bits.empty()) return 0;
    *out = &g.data;
    return 1;
  }
  if (mode == FO_PATHOBJ) {
    if (!g.outline) return 0;
    *out = &g.outlineData;
    return 1;
  }
  return 0;
}

IFIMETRICS* FontObject::Metrics() {
  return metrics_.empty() ? nullptr : reinterpret_cast<IFIMETRICS*>(metrics_.data());
}

void FontObject::Info(ULONG cj, FONTINFO* out) const {
  FONTINFO fi{};
  fi.cjThis = sizeof(FONTINFO);
  fi.cGlyphsSupported = static_cast<ULONG>(glyphs_.size());
  for (const auto& [hg, g] : glyphs_) fi.cjMaxGlyph1 = std::max<ULONG>(fi.cjMaxGlyph1, static_cast<ULONG>(g.bits.size()));
  std::memcpy(out, &fi, std::min<std::size_t>(cj, sizeof(fi)));
}

ULONG FontObject::AllHandles(HGLYPH* out) const {
  if (out) {
    std::size_t i = 0;
    for (const auto& [hg, g] : glyphs_) out[i++] = hg;
  }
  return static_cast<ULONG>(glyphs_.size());
}

FD_GLYPHSET* FontObject::GlyphSet() {
  return glyphSet_.size() >= sizeof(FD_GLYPHSET) ? reinterpret_cast<FD_GLYPHSET*>(glyphSet_.data()) : nullptr;
}

GLYPHDEF* FontObject::Definition(HGLYPH hg) {
  auto it = glyphs_.find(hg);
  if (it == glyphs_.end() || it->second.bits.empty()) return nullptr;
  return &it->second.def;
}

}  // namespace plat::gdi

using namespace plat::gdi;

extern "C" {

ULONG WINAPI FONTOBJ_cGetGlyphs(FONTOBJ* pfo, ULONG iMode, ULONG cGlyph, HGLYPH* phg, PVOID* ppvGlyph) {
  FontObject* f = Find<FontObject>(Kind::Font, pfo);
  if (!f) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return f->GetGlyphs(iMode, cGlyph, phg, ppvGlyph);
}

XFORMOBJ* WINAPI FONTOBJ_pxoGetXform(FONTOBJ* pfo) {
  FontObject* f = Find<FontObject>(Kind::Font, pfo);
  return f ? f->transform().get() : nullptr;
}

IFIMETRICS* WINAPI FONTOBJ_pifi(FONTOBJ* pfo) {
  FontObject* f = Find<FontObject>(Kind::Font, pfo);
  return f ? f->Metrics() : nullptr;
}

void WINAPI FONTOBJ_vGetInfo(FONTOBJ* pfo, ULONG cjSize, FONTINFO* pfi) {
  FontObject* f = Find<FontObject>(Kind::Font, pfo);
  if (f && pfi) f->Info(cjSize, pfi);
}

ULONG WINAPI FONTOBJ_cGetAllGlyphHandles(FONTOBJ* pfo, HGLYPH* phg) {
  FontObject* f = Find<FontObject>(Kind::Font, pfo);
  return f ? f->AllHandles(phg) : 0;
}

FD_GLYPHSET* WINAPI FONTOBJ_pfdg(FONTOBJ* pfo) {
  FontObject* f = Find<FontObject>(Kind::Font, pfo);
  return f ? f->GlyphSet() : nullptr;
}

}  // extern "C"
