// The engine's own drawing into bitmap surfaces: bit-block transfers with any ternary
// raster operation, copies, nearest-pixel stretches, path fills and strokes, and text from
// glyph bitmaps. Pixel work is plain and exact per pixel; there is no halftoning or
// anti-aliasing. Device surfaces have no bits: drawing into them is refused.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "gdi_internal.h"
#include "win/errors.h"

namespace {

using plat::gdi::BitsPerPixel;
using plat::gdi::NoThrow;

bool HasBits(const SURFOBJ* so) {
  return so && so->pvScan0 && so->iType != STYPE_DEVICE && BitsPerPixel(so->iBitmapFormat) != 0;
}

BYTE* Row(const SURFOBJ* so, LONG y) {
  return static_cast<BYTE*>(so->pvScan0) + static_cast<std::ptrdiff_t>(y) * so->lDelta;
}

ULONG GetPixel(const SURFOBJ* so, LONG x, LONG y) {
  const BYTE* row = Row(so, y);
  switch (BitsPerPixel(so->iBitmapFormat)) {
    case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 4: return (x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4);
    case 8: return row[x];
    case 16: return static_cast<ULONG>(row[2 * x] | (row[2 * x + 1] << 8));
    case 24: {
      const BYTE* p = row + 3 * static_cast<std::ptrdiff_t>(x);
      return static_cast<ULONG>(p[0] | (p[1] << 8) | (p[2] << 16));
    }
    case 32: {
      const BYTE* p = row + 4 * static_cast<std::ptrdiff_t>(x);
      return static_cast<ULONG>(p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<ULONG>(p[3]) << 24));
    }
  }
  return 0;
}

void PutPixel(const SURFOBJ* so, LONG x, LONG y, ULONG v) {
  BYTE* row = Row(so, y);
  const ULONG bpp = BitsPerPixel(so->iBitmapFormat);
  switch (bpp) {
    case 1: {
      const BYTE m = static_cast<BYTE>(0x80u >> (x & 7));
      row[x >> 3] = (v & 1) ? (row[x >> 3] | m) : (row[x >> 3] & static_cast<BYTE>(~m));
      return;
    }
    case 4: {
      BYTE& b = row[x >> 1];
      b = (x & 1) ? static_cast<BYTE>((b & 0xF0) | (v & 0x0F)) : static_cast<BYTE>((b & 0x0F) | ((v & 0x0F) << 4));
      return;
    }
    default: {
      BYTE* p = row + static_cast<std::ptrdiff_t>(x) * (bpp / 8);
      for (ULONG i = 0; i < bpp / 8; ++i) p[i] = static_cast<BYTE>(v >> (8 * i));
    }
  }
}

ULONG FormatMask(const SURFOBJ* so) {
  const ULONG bpp = BitsPerPixel(so->iBitmapFormat);
  return bpp >= 32 ? 0xFFFFFFFFu : ((1u << bpp) - 1);
}

// A ternary raster operation over whole words: bit i of rop3 is the result for the bit
// combination (P, S, D) = (i >> 2 & 1, i >> 1 & 1, i & 1).
ULONG Rop3(BYTE rop3, ULONG p, ULONG s, ULONG d) {
  ULONG out = 0;
  for (int i = 0; i < 8; ++i) {
    if (!(rop3 & (1 << i))) continue;
    out |= ((i & 4) ? p : ~p) & ((i & 2) ? s : ~s) & ((i & 1) ? d : ~d);
  }
  return out;
}

bool RopUsesSource(BYTE rop3) { return ((rop3 >> 2) & 0x33) != (rop3 & 0x33); }
bool RopUsesPattern(BYTE rop3) { return ((rop3 >> 4) & 0x0F) != (rop3 & 0x0F); }

// The clip rectangles of a call intersected with a target rectangle.
std::vector<RECTL> ClipRects(CLIPOBJ* pco, const RECTL& target, const SURFOBJ* so) {
  RECTL t = target;
  t.left = std::max<LONG>(t.left, 0);
  t.top = std::max<LONG>(t.top, 0);
  t.right = std::min<LONG>(t.right, so->sizlBitmap.cx);
  t.bottom = std::min<LONG>(t.bottom, so->sizlBitmap.cy);
  std::vector<RECTL> out;
  auto add = [&](const RECTL& r) {
    RECTL c{std::max(t.left, r.left), std::max(t.top, r.top), std::min(t.right, r.right), std::min(t.bottom, r.bottom)};
    if (c.left < c.right && c.top < c.bottom) out.push_back(c);
  };
  if (!pco || pco->iDComplexity == DC_TRIVIAL) {
    add(t);
  } else if (pco->iDComplexity == DC_RECT) {
    add(pco->rclBounds);
  } else {
    CLIPOBJ_cEnumStart(pco, FALSE, CT_RECTANGLES, CD_ANY, 0xFFFFFFFFu);
    struct {
      ULONG c;
      RECTL r[16];
    } batch;
    BOOL more;
    do {
      more = CLIPOBJ_bEnum(pco, sizeof(batch), reinterpret_cast<ULONG*>(&batch));
      for (ULONG i = 0; i < batch.c && i < 16; ++i) add(batch.r[i]);
    } while (more);
  }
  return out;
}

ULONG BrushColor(BRUSHOBJ* pbo) { return pbo ? pbo->iSolidColor : 0; }

// Source pixel -> destination value: through the translation, else unchanged.
ULONG Translate(XLATEOBJ* pxlo, ULONG v) { return pxlo ? XLATEOBJ_iXlate(pxlo, v) : v; }

bool Blt(SURFOBJ* dst, SURFOBJ* src, SURFOBJ* mask, CLIPOBJ* pco, XLATEOBJ* pxlo, const RECTL& target,
         const RECTL* srcRect, const POINTL* maskOrg, BRUSHOBJ* pbo, ROP4 rop4) {
  if (!HasBits(dst)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  const BYTE fore = static_cast<BYTE>(rop4 & 0xFF);
  const BYTE back = static_cast<BYTE>((rop4 >> 8) & 0xFF);
  const bool needSource = RopUsesSource(fore) || RopUsesSource(back);
  if (needSource && (!HasBits(src) || !srcRect)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  if ((RopUsesPattern(fore) || RopUsesPattern(back)) && pbo && pbo->iSolidColor == 0xFFFFFFFFu) {
    // Pattern brushes are realized by the driver; the engine stand-in paints solid ones.
    SetLastError(ERROR_NOT_SUPPORTED);
    return false;
  }
  RECTL t = target;
  if (t.left > t.right) std::swap(t.left, t.right);
  if (t.top > t.bottom) std::swap(t.top, t.bottom);
  const LONG tw = t.right - t.left, th = t.bottom - t.top;
  if (tw <= 0 || th <= 0) return true;
  const ULONG dmask = FormatMask(dst);
  const ULONG pattern = BrushColor(pbo);
  for (const RECTL& r : ClipRects(pco, t, dst)) {
    for (LONG y = r.top; y < r.bottom; ++y) {
      for (LONG x = r.left; x < r.right; ++x) {
        ULONG s = 0;
        if (needSource) {
          // Nearest source pixel; a source rectangle given right to left (or bottom to top)
          // is read mirrored.
          const LONG sw = srcRect->right - srcRect->left, sh = srcRect->bottom - srcRect->top;
          const long long ox = (static_cast<long long>(x - t.left) * std::abs(sw)) / tw;
          const long long oy = (static_cast<long long>(y - t.top) * std::abs(sh)) / th;
          const LONG sx = static_cast<LONG>(sw >= 0 ? srcRect->left + ox : srcRect->left - 1 - ox);
          const LONG sy = static_cast<LONG>(sh >= 0 ? srcRect->top + oy : srcRect->top - 1 - oy);
          if (sx < 0 || sy < 0 || sx >= src->sizlBitmap.cx || sy >= src->sizlBitmap.cy) continue;
          s = Translate(pxlo, GetPixel(src, sx, sy));
        }
        BYTE rop3 = fore;
        if (mask && maskOrg) {
          const LONG mx = maskOrg->x + (x - t.left), my = maskOrg->y + (y - t.top);
          if (mx >= 0 && my >= 0 && mx < mask->sizlBitmap.cx && my < mask->sizlBitmap.cy && HasBits(mask) &&
              GetPixel(mask, mx, my) == 0)
            rop3 = back;
        }
        const ULONG d = GetPixel(dst, x, y);
        PutPixel(dst, x, y, Rop3(rop3, pattern, s, d) & dmask);
      }
    }
  }
  return true;
}

// ---- paths -------------------------------------------------------------------------------------
struct PointD {
  double x, y;
};

// The figures of a path as closed or open polylines in pixels, curves flattened.
std::vector<std::pair<std::vector<PointD>, bool>> Flatten(PATHOBJ* ppo) {
  std::vector<std::pair<std::vector<PointD>, bool>> figures;
  PATHOBJ_vEnumStart(ppo);
  PATHDATA pd;
  BOOL more;
  do {
    more = PATHOBJ_bEnum(ppo, &pd);
    if (pd.count == 0 || !pd.pptfx) continue;
    std::size_t i = 0;
    if ((pd.flags & PD_BEGINSUBPATH) || figures.empty()) {
      figures.push_back({{}, false});
      figures.back().first.push_back(PointD{pd.pptfx[0].x / 16.0, pd.pptfx[0].y / 16.0});
      i = 1;
    }
    auto& pts = figures.back().first;
    if (pd.flags & PD_BEZIERS) {
      for (; i + 3 <= pd.count; i += 3) {
        const PointD p0 = pts.back();
        const PointD p1{pd.pptfx[i].x / 16.0, pd.pptfx[i].y / 16.0};
        const PointD p2{pd.pptfx[i + 1].x / 16.0, pd.pptfx[i + 1].y / 16.0};
        const PointD p3{pd.pptfx[i + 2].x / 16.0, pd.pptfx[i + 2].y / 16.0};
        const int steps = 16;
        for (int k = 1; k <= steps; ++k) {
          const double t = static_cast<double>(k) / steps, u = 1 - t;
          pts.push_back(PointD{u * u * u * p0.x + 3 * u * u * t * p1.x + 3 * u * t * t * p2.x + t * t * t * p3.x,
                               u * u * u * p0.y + 3 * u * u * t * p1.y + 3 * u * t * t * p2.y + t * t * t * p3.y});
        }
      }
    } else {
      for (; i < pd.count; ++i) pts.push_back(PointD{pd.pptfx[i].x / 16.0, pd.pptfx[i].y / 16.0});
    }
    if (pd.flags & PD_CLOSEFIGURE) figures.back().second = true;
  } while (more);
  return figures;
}

bool Inside(const std::vector<RECTL>& clip, LONG x, LONG y) {
  for (const RECTL& r : clip)
    if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return true;
  return false;
}

void Plot(SURFOBJ* so, const std::vector<RECTL>& clip, LONG x, LONG y, BYTE rop2Fore, ULONG color) {
  if (!Inside(clip, x, y)) return;
  // A binary raster operation (mix 1..16) as a ternary one over pattern and destination.
  static const BYTE kRop2To3[17] = {0,    0x00, 0x05, 0x0A, 0x0F, 0x50, 0x55, 0x5A, 0x5F,
                                    0xA0, 0xA5, 0xAA, 0xAF, 0xF0, 0xF5, 0xFA, 0xFF};
  const BYTE rop3 = kRop2To3[rop2Fore <= 16 ? rop2Fore : 13];
  PutPixel(so, x, y, Rop3(rop3, color, 0, GetPixel(so, x, y)) & FormatMask(so));
}

void Line(SURFOBJ* so, const std::vector<RECTL>& clip, PointD a, PointD b, BYTE mix, ULONG color) {
  LONG x0 = std::lround(a.x), y0 = std::lround(a.y), x1 = std::lround(b.x), y1 = std::lround(b.y);
  const LONG dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
  const LONG sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
  LONG err = dx + dy;
  for (;;) {
    Plot(so, clip, x0, y0, mix, color);
    if (x0 == x1 && y0 == y1) break;
    const LONG e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x0 += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y0 += sy;
    }
  }
}

bool FillFigures(SURFOBJ* so, PATHOBJ* ppo, CLIPOBJ* pco, BRUSHOBJ* pbo, MIX mix, FLONG options) {
  if (!HasBits(so) || !ppo || !pbo || pbo->iSolidColor == 0xFFFFFFFFu) {
    SetLastError(pbo && pbo->iSolidColor == 0xFFFFFFFFu ? ERROR_NOT_SUPPORTED : ERROR_INVALID_PARAMETER);
    return false;
  }
  const auto figures = Flatten(ppo);
  const auto clip = ClipRects(pco, RECTL{0, 0, so->sizlBitmap.cx, so->sizlBitmap.cy}, so);
  const bool winding = (options & FP_WINDINGMODE) != 0;
  for (LONG y = 0; y < so->sizlBitmap.cy; ++y) {
    const double cy = y + 0.5;
    std::vector<std::pair<double, int>> xs;
    for (const auto& [pts, closed] : figures) {
      (void)closed;  // a fill closes every figure
      for (std::size_t i = 0; i < pts.size(); ++i) {
        const PointD& p = pts[i];
        const PointD& q = pts[(i + 1) % pts.size()];
        if ((p.y <= cy && q.y > cy) || (q.y <= cy && p.y > cy)) {
          xs.push_back({p.x + (cy - p.y) * (q.x - p.x) / (q.y - p.y), q.y > p.y ? 1 : -1});
        }
      }
    }
    std::sort(xs.begin(), xs.end());
    int wind = 0;
    for (std::size_t i = 0; i < xs.size(); ++i) {
      wind += winding ? xs[i].second : 1;
      const bool in = winding ? wind != 0 : (wind & 1) != 0;
      if (!in || i + 1 >= xs.size()) continue;
      const LONG from = static_cast<LONG>(std::ceil(xs[i].first - 0.5));
      const LONG to = static_cast<LONG>(std::ceil(xs[i + 1].first - 0.5));
      for (LONG x = from; x < to; ++x) Plot(so, clip, x, y, static_cast<BYTE>(mix & 0xFF), pbo->iSolidColor);
    }
  }
  return true;
}

bool StrokeFigures(SURFOBJ* so, PATHOBJ* ppo, CLIPOBJ* pco, BRUSHOBJ* pbo, MIX mix) {
  if (!HasBits(so) || !ppo || !pbo || pbo->iSolidColor == 0xFFFFFFFFu) {
    SetLastError(pbo && pbo->iSolidColor == 0xFFFFFFFFu ? ERROR_NOT_SUPPORTED : ERROR_INVALID_PARAMETER);
    return false;
  }
  const auto clip = ClipRects(pco, RECTL{0, 0, so->sizlBitmap.cx, so->sizlBitmap.cy}, so);
  for (const auto& [pts, closed] : Flatten(ppo)) {
    for (std::size_t i = 0; i + 1 < pts.size(); ++i)
      Line(so, clip, pts[i], pts[i + 1], static_cast<BYTE>(mix & 0xFF), pbo->iSolidColor);
    if (closed && pts.size() > 1) Line(so, clip, pts.back(), pts.front(), static_cast<BYTE>(mix & 0xFF), pbo->iSolidColor);
    if (pts.size() == 1) Plot(so, clip, std::lround(pts[0].x), std::lround(pts[0].y), static_cast<BYTE>(mix & 0xFF), pbo->iSolidColor);
  }
  return true;
}

}  // namespace

extern "C" {

BOOL WINAPI EngBitBlt(SURFOBJ* psoTrg, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco, XLATEOBJ* pxlo,
                      RECTL* prclTrg, POINTL* pptlSrc, POINTL* pptlMask, BRUSHOBJ* pbo, POINTL* /*pptlBrush*/,
                      ROP4 rop4) {
  return NoThrow<BOOL>(FALSE, [&]() -> BOOL {
    if (!prclTrg) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    RECTL src{};
    if (pptlSrc) {
      src = RECTL{pptlSrc->x, pptlSrc->y, pptlSrc->x + std::abs(prclTrg->right - prclTrg->left),
                  pptlSrc->y + std::abs(prclTrg->bottom - prclTrg->top)};
    }
    return Blt(psoTrg, psoSrc, psoMask, pco, pxlo, *prclTrg, pptlSrc ? &src : nullptr, pptlMask, pbo, rop4) ? TRUE
                                                                                                            : FALSE;
  });
}

BOOL WINAPI EngCopyBits(SURFOBJ* psoDest, SURFOBJ* psoSrc, CLIPOBJ* pco, XLATEOBJ* pxlo, RECTL* prclDest,
                        POINTL* pptlSrc) {
  if (!pptlSrc) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return EngBitBlt(psoDest, psoSrc, nullptr, pco, pxlo, prclDest, pptlSrc, nullptr, nullptr, nullptr, 0xCCCC);
}

BOOL WINAPI EngStretchBltROP(SURFOBJ* psoDest, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco, XLATEOBJ* pxlo,
                             COLORADJUSTMENT* /*pca*/, POINTL* /*pptlHTOrg*/, RECTL* prclDest, RECTL* prclSrc,
                             POINTL* pptlMask, ULONG /*iMode*/, BRUSHOBJ* pbo, DWORD rop4) {
  return NoThrow<BOOL>(FALSE, [&]() -> BOOL {
    if (!prclDest || !prclSrc) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    RECTL t = *prclDest;
    RECTL s = *prclSrc;
    // A mirrored target mirrors the source instead.
    if (t.left > t.right) {
      std::swap(t.left, t.right);
      std::swap(s.left, s.right);
    }
    if (t.top > t.bottom) {
      std::swap(t.top, t.bottom);
      std::swap(s.top, s.bottom);
    }
    return Blt(psoDest, psoSrc, psoMask, pco, pxlo, t, &s, pptlMask, pbo, rop4) ? TRUE : FALSE;
  });
}

BOOL WINAPI EngStretchBlt(SURFOBJ* psoDest, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco, XLATEOBJ* pxlo,
                          COLORADJUSTMENT* pca, POINTL* pptlHTOrg, RECTL* prclDest, RECTL* prclSrc, POINTL* pptlMask,
                          ULONG iMode) {
  return EngStretchBltROP(psoDest, psoSrc, psoMask, pco, pxlo, pca, pptlHTOrg, prclDest, prclSrc, pptlMask, iMode,
                          nullptr, psoMask ? 0xAACC : 0xCCCC);
}

BOOL WINAPI EngFillPath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, BRUSHOBJ* pbo, POINTL* /*pptlBrushOrg*/, MIX mix,
                        FLONG flOptions) {
  return NoThrow<BOOL>(FALSE, [&]() -> BOOL {
    return FillFigures(pso, ppo, pco, pbo, mix, flOptions) ? TRUE : FALSE;
  });
}

BOOL WINAPI EngStrokePath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* /*pxo*/, BRUSHOBJ* pbo,
                          POINTL* /*pptlBrushOrg*/, LINEATTRS* /*plineattrs*/, MIX mix) {
  return NoThrow<BOOL>(FALSE, [&]() -> BOOL {
    // Lines are one pixel wide: geometric widths, styles, joins and caps are not drawn.
    return StrokeFigures(pso, ppo, pco, pbo, mix) ? TRUE : FALSE;
  });
}

BOOL WINAPI EngStrokeAndFillPath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo, BRUSHOBJ* pboStroke,
                                 LINEATTRS* plineattrs, BRUSHOBJ* pboFill, POINTL* pptlBrushOrg, MIX mixFill,
                                 FLONG flOptions) {
  return NoThrow<BOOL>(FALSE, [&]() -> BOOL {
    if (!FillFigures(pso, ppo, pco, pboFill, mixFill, flOptions)) return FALSE;
    return EngStrokePath(pso, ppo, pco, pxo, pboStroke, pptlBrushOrg, plineattrs, mixFill);
  });
}

BOOL WINAPI EngTextOut(SURFOBJ* pso, STROBJ* pstro, FONTOBJ* pfo, CLIPOBJ* pco, RECTL* /*prclExtra*/,
                       RECTL* prclOpaque, BRUSHOBJ* pboFore, BRUSHOBJ* pboOpaque, POINTL* /*pptlOrg*/, MIX mix) {
  return NoThrow<BOOL>(FALSE, [&]() -> BOOL {
    if (!HasBits(pso) || !pstro || !pfo || !pboFore) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    if (prclOpaque && pboOpaque &&
        !Blt(pso, nullptr, nullptr, pco, nullptr, *prclOpaque, nullptr, nullptr, pboOpaque, 0xF0F0))
      return FALSE;
    const auto clip = ClipRects(pco, RECTL{0, 0, pso->sizlBitmap.cx, pso->sizlBitmap.cy}, pso);
    STROBJ_vEnumStart(pstro);
    BOOL more;
    do {
      ULONG count = 0;
      GLYPHPOS* pos = nullptr;
      more = STROBJ_bEnum(pstro, &count, &pos);
      for (ULONG i = 0; pos && i < count; ++i) {
        HGLYPH hg = pos[i].hg;
        GLYPHDATA* gd = nullptr;
        if (FONTOBJ_cGetGlyphs(pfo, FO_GLYPHBITS, 1, &hg, reinterpret_cast<PVOID*>(&gd)) != 1 || !gd || !gd->gdf.pgb)
          continue;
        const GLYPHBITS* gb = gd->gdf.pgb;
        const LONG rowBytes = (gb->sizlBitmap.cx + 7) / 8;
        for (LONG y = 0; y < gb->sizlBitmap.cy; ++y)
          for (LONG x = 0; x < gb->sizlBitmap.cx; ++x)
            if (gb->aj[y * rowBytes + x / 8] & (0x80 >> (x & 7)))
              Plot(pso, clip, pos[i].ptl.x + gb->ptlOrigin.x + x, pos[i].ptl.y + gb->ptlOrigin.y + y,
                   static_cast<BYTE>(mix & 0xFF), pboFore->iSolidColor);
      }
    } while (more);
    return TRUE;
  });
}

}  // extern "C"
