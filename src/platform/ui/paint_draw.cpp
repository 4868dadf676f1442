// Drawing into device contexts: rectangles, lines, pixels, the raster operations of
// BitBlt and StretchBlt, text (drawn and measured on the font's TrueType face, or only
// recorded with fixed metrics without one) and icons.
#include <algorithm>
#include <climits>
#include <cmath>
#include <vector>
#include <string>

#include "font_metrics.h"
#include "paint_internal.h"
#include "plat/wstr.h"
#include "ui_internal.h"

namespace plat::ui {
namespace {

// The ternary raster operation of a ROP code on 24 bits of colour: each result bit is the
// bit of the operation's index (pattern 4, source 2, destination 1).
std::uint32_t Rop3(DWORD rop, std::uint32_t p, std::uint32_t s, std::uint32_t d) {
  const BYTE op = static_cast<BYTE>((rop >> 16) & 0xFF);
  std::uint32_t r = 0;
  for (int i = 0; i < 8; ++i) {
    if (!((op >> i) & 1)) continue;
    r |= ((i & 4) ? p : ~p) & ((i & 2) ? s : ~s) & ((i & 1) ? d : ~d);
  }
  return r & 0x00FFFFFF;
}

void Put(GdiObject* t, int x, int y, std::uint32_t p) {
  if (!t || x < 0 || y < 0 || x >= t->width || y >= t->height) return;
  t->pixels[static_cast<std::size_t>(y) * t->width + x] = p & 0x00FFFFFF;
}

// A pixel drawn through a device context: nothing where its clipping keeps it out.
void Put(const DcState* dc, GdiObject* t, int x, int y, std::uint32_t p) {
  if (DrawsAt(dc, x, y)) Put(t, x, y, p);
}

std::uint32_t Get(const GdiObject* t, int x, int y, bool& inside) {
  inside = t && x >= 0 && y >= 0 && x < t->width && y < t->height;
  return inside ? t->pixels[static_cast<std::size_t>(y) * t->width + x] : 0;
}

void Fill(HDC hdc, const RECT& r, COLORREF c) {
  GdiObject* t = TargetOf(hdc);
  if (!t) return;
  const DcState* dc = DcOf(hdc);
  const std::uint32_t p = ToPixel(c);
  for (int y = std::max<LONG>(0, r.top); y < std::min<LONG>(t->height, r.bottom); ++y)
    for (int x = std::max<LONG>(0, r.left); x < std::min<LONG>(t->width, r.right); ++x) Put(dc, t, x, y, p);
}

std::string RectText(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
         std::to_string(r.bottom);
}

// The fixed metrics of a font without a face: half as wide as high.
SIZE CharSize(HDC hdc) {
  DcState* dc = DcOf(hdc);
  auto f = dc ? FindGdi(dc->font) : nullptr;
  LONG h = f ? f->font.lfHeight : 0;
  if (h < 0) h = -h;
  if (h == 0) return SIZE{8, 16};
  return SIZE{(h + 1) / 2, h};
}

// The logical font selected into a device context (the system's default font when none).
LOGFONTW FontOf(HDC hdc) {
  DcState* dc = DcOf(hdc);
  auto f = dc ? FindGdi(dc->font) : nullptr;
  if (f && f->kind == GdiKind::Font) return f->font;
  LOGFONTW lf{};
  lf.lfWeight = FW_NORMAL;
  return lf;
}

SIZE TextSize(HDC hdc, std::u16string_view text) {
  SIZE size{};
  if (MeasureText(FontOf(hdc), text, &size)) return size;
  const SIZE ch = CharSize(hdc);
  return SIZE{ch.cx * static_cast<LONG>(text.size()), ch.cy};
}

// The pixels inside a polygon (alternate filling: a pixel whose centre a line to its left
// crosses the edges an odd number of times).
template <typename Fn>
void ForEachInside(const POINT* points, int count, Fn fn) {
  if (count < 3) return;
  LONG top = points[0].y, bottom = points[0].y;
  for (int i = 1; i < count; ++i) {
    top = std::min(top, points[i].y);
    bottom = std::max(bottom, points[i].y);
  }
  std::vector<double> crossings;
  for (LONG y = top; y < bottom; ++y) {
    const double cy = y + 0.5;
    crossings.clear();
    for (int i = 0; i < count; ++i) {
      const POINT a = points[i], b = points[(i + 1) % count];
      if ((a.y <= cy) == (b.y <= cy)) continue;
      crossings.push_back(a.x + (cy - a.y) * (b.x - a.x) / static_cast<double>(b.y - a.y));
    }
    std::sort(crossings.begin(), crossings.end());
    for (std::size_t k = 0; k + 1 < crossings.size(); k += 2)
      for (LONG x = static_cast<LONG>(std::ceil(crossings[k] - 0.5)); x + 0.5 < crossings[k + 1]; ++x) fn(x, y);
  }
}

// A line from a to b with both end points, in a colour, through a device context's clipping.
void Segment(const DcState* dc, GdiObject* t, POINT a, POINT b, std::uint32_t p) {
  const int dx = std::abs(b.x - a.x), dy = -std::abs(b.y - a.y), sx = a.x < b.x ? 1 : -1, sy = a.y < b.y ? 1 : -1;
  int err = dx + dy;
  for (;;) {
    Put(dc, t, a.x, a.y, p);
    if (a.x == b.x && a.y == b.y) break;
    const int e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      a.x += sx;
    }
    if (e2 <= dx) {
      err += dx;
      a.y += sy;
    }
  }
}

struct TextInk {
  DcState* dc;
  GdiObject* target;
  RECT clip;
  std::uint32_t ink;
};

// Turned text, and text drawn while a path is open (its pixels join the path), drawn here;
// upright text outside a path is drawn by ExtTextOutW itself. True when drawn here.
bool DrawTurnedOrPathText(HDC hdc, int x, int y, UINT options, const RECT* r, LPCWSTR text, UINT c) {
  DcState* dc = DcOf(hdc);
  if (!dc || (!text && c > 0)) return false;
  const LOGFONTW font = FontOf(hdc);
  if (!dc->pathOpen && font.lfEscapement % 3600 == 0) return false;
  const std::u16string s = text ? std::u16string(text, c) : std::u16string();
  if (dc->pathOpen) {
    RenderTurnedText(font, s, x, y,
                     [](void* data, int px, int py, unsigned a) {
                       if (a >= 128) static_cast<DcState*>(data)->pathTextPixels.push_back(POINT{px, py});
                     },
                     dc);
    return true;
  }
  TextInk ink{dc, TargetOf(hdc), RECT{INT_MIN / 2, INT_MIN / 2, INT_MAX / 2, INT_MAX / 2}, ToPixel(dc->textColor)};
  if ((options & ETO_OPAQUE) && r) Fill(hdc, *r, dc->bkColor);
  if ((options & ETO_CLIPPED) && r) ink.clip = *r;
  if (dc->bkMode == OPAQUE && ink.target) {
    // The turned cell in the background colour.
    const SIZE cell = TextSize(hdc, s);
    const double radians = (font.lfEscapement % 3600) * 3.141592653589793 / 1800.0;
    const double cosine = std::cos(radians), sine = std::sin(radians);
    auto turned = [&](double dx, double dy) {
      return POINT{static_cast<LONG>(std::lround(x + dx * cosine + dy * sine)),
                   static_cast<LONG>(std::lround(y - dx * sine + dy * cosine))};
    };
    const POINT corners[4] = {turned(0, 0), turned(cell.cx, 0), turned(cell.cx, cell.cy), turned(0, cell.cy)};
    ForEachInside(corners, 4, [&](LONG px, LONG py) {
      if (px >= ink.clip.left && px < ink.clip.right && py >= ink.clip.top && py < ink.clip.bottom)
        Put(dc, ink.target, px, py, ToPixel(dc->bkColor));
    });
  }
  if (ink.target) {
    RenderTurnedText(font, s, x, y,
                     [](void* data, int px, int py, unsigned a) {
                       auto* k = static_cast<TextInk*>(data);
                       if (px < k->clip.left || px >= k->clip.right || py < k->clip.top || py >= k->clip.bottom) return;
                       bool inside = false;
                       const std::uint32_t d = Get(k->target, px, py, inside);
                       if (!inside) return;
                       // The glyph's coverage blends the text colour over what is there.
                       auto mix = [&](int shift) {
                         const std::uint32_t f = (k->ink >> shift) & 0xFF, b = (d >> shift) & 0xFF;
                         return ((f * a + b * (255 - a) + 127) / 255) << shift;
                       };
                       Put(k->dc, k->target, px, py, mix(16) | mix(8) | mix(0));
                     },
                     &ink);
  }
  LogPaint(hdc, "text " + std::to_string(x) + "," + std::to_string(y) + " turned " +
                    std::to_string(font.lfEscapement % 3600) + " " + plat::ToUtf8(s));
  return true;
}

COLORREF PatternColor(HDC hdc) {
  DcState* dc = DcOf(hdc);
  auto b = dc ? FindGdi(dc->brush) : nullptr;
  return b ? b->color : RGB(255, 255, 255);
}

}  // namespace
}  // namespace plat::ui

using namespace plat::ui;

extern "C" {

int WINAPI FillRect(HDC hdc, const RECT* r, HBRUSH brush) {
  if (!DcOf(hdc) || !r) return 0;
  // A brush "handle" of COLOR_xxx + 1 stands for that system colour.
  const auto v = reinterpret_cast<ULONG_PTR>(brush);
  COLORREF c;
  if (v > 0 && v <= 31) {
    c = GetSysColor(static_cast<int>(v - 1));
  } else {
    auto b = FindGdi(brush);
    if (!b || b->kind != GdiKind::Brush) return 0;
    if (b->null) return 1;
    c = b->color;
  }
  Fill(hdc, *r, c);
  LogPaint(hdc, "fill " + RectText(*r) + " " + ColorText(c));
  return 1;
}

int WINAPI FrameRect(HDC hdc, const RECT* r, HBRUSH brush) {
  auto b = FindGdi(brush);
  if (!DcOf(hdc) || !r || !b) return 0;
  Fill(hdc, RECT{r->left, r->top, r->right, r->top + 1}, b->color);
  Fill(hdc, RECT{r->left, r->bottom - 1, r->right, r->bottom}, b->color);
  Fill(hdc, RECT{r->left, r->top, r->left + 1, r->bottom}, b->color);
  Fill(hdc, RECT{r->right - 1, r->top, r->right, r->bottom}, b->color);
  LogPaint(hdc, "frame " + RectText(*r) + " " + ColorText(b->color));
  return 1;
}

BOOL WINAPI Rectangle(HDC hdc, int l, int t, int r, int b) {
  DcState* dc = DcOf(hdc);
  if (!dc) return FALSE;
  if (dc->pathOpen) {
    dc->pathFigures.push_back({{l, t}, {r - 1, t}, {r - 1, b - 1}, {l, b - 1}, {l, t}});
    return TRUE;
  }
  auto brush = FindGdi(dc->brush);
  auto pen = FindGdi(dc->pen);
  if (brush && !brush->null) Fill(hdc, RECT{l, t, r, b}, brush->color);
  if (pen && !pen->null) {
    Fill(hdc, RECT{l, t, r, t + 1}, pen->color);
    Fill(hdc, RECT{l, b - 1, r, b}, pen->color);
    Fill(hdc, RECT{l, t, l + 1, b}, pen->color);
    Fill(hdc, RECT{r - 1, t, r, b}, pen->color);
  }
  LogPaint(hdc, "rectangle " + RectText(RECT{l, t, r, b}));
  return TRUE;
}

BOOL WINAPI Arc(HDC hdc, int l, int t, int r, int b, int xs, int ys, int xe, int ye) {
  DcState* dc = DcOf(hdc);
  if (!dc) return FALSE;
  auto pen = FindGdi(dc->pen);
  GdiObject* target = TargetOf(hdc);
  LogPaint(hdc, "arc " + RectText(RECT{l, t, r, b}));
  if ((!dc->pathOpen && (!pen || pen->null || !target)) || r - l < 1 || b - t < 1) return TRUE;
  // Counter-clockwise from the start radial to the end one; equal radials draw the whole
  // ellipse. Points of the outline are stepped by angle, finely enough to leave no gaps.
  const double cx = (l + r - 1) / 2.0, cy = (t + b - 1) / 2.0, rx = (r - l - 1) / 2.0, ry = (b - t - 1) / 2.0;
  constexpr double kTurn = 6.283185307179586;
  const double start = std::atan2(-(ys - cy), xs - cx), end = std::atan2(-(ye - cy), xe - cx);
  double sweep = end - start;
  if (sweep <= 0) sweep += kTurn;
  if (xs == xe && ys == ye) sweep = kTurn;
  const int steps = std::max(8, static_cast<int>((rx + ry) * 4));
  if (dc->pathOpen) {
    // In a path the arc is a figure of its own, drawn when the path is stroked.
    std::vector<POINT> figure;
    for (int i = 0; i <= steps; ++i) {
      const double a = start + sweep * i / steps;
      figure.push_back(POINT{static_cast<LONG>(std::lround(cx + rx * std::cos(a))),
                             static_cast<LONG>(std::lround(cy - ry * std::sin(a)))});
    }
    dc->pathFigures.push_back(std::move(figure));
    return TRUE;
  }
  for (int i = 0; i <= steps; ++i) {
    const double a = start + sweep * i / steps;
    Put(dc, target, static_cast<int>(std::lround(cx + rx * std::cos(a))),
        static_cast<int>(std::lround(cy - ry * std::sin(a))), ToPixel(pen->color));
  }
  return TRUE;
}

BOOL WINAPI MoveToEx(HDC hdc, int x, int y, LPPOINT old) {
  DcState* dc = DcOf(hdc);
  if (!dc) return FALSE;
  if (old) *old = dc->pos;
  dc->pos = POINT{x, y};
  if (dc->pathOpen) dc->pathFigures.push_back({dc->pos});
  return TRUE;
}

BOOL WINAPI LineTo(HDC hdc, int x, int y) {
  DcState* dc = DcOf(hdc);
  if (!dc) return FALSE;
  if (dc->pathOpen) {
    if (dc->pathFigures.empty()) dc->pathFigures.push_back({dc->pos});
    dc->pathFigures.back().push_back(POINT{x, y});
    dc->pos = POINT{x, y};
    return TRUE;
  }
  auto pen = FindGdi(dc->pen);
  GdiObject* t = TargetOf(hdc);
  if (pen && !pen->null && t) {
    // Bresenham, the end point excluded as GDI draws it.
    int x0 = dc->pos.x, y0 = dc->pos.y;
    const int dx = std::abs(x - x0), dy = -std::abs(y - y0), sx = x0 < x ? 1 : -1, sy = y0 < y ? 1 : -1;
    int err = dx + dy;
    while (x0 != x || y0 != y) {
      Put(dc, t, x0, y0, ToPixel(pen->color));
      const int e2 = 2 * err;
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
  LogPaint(hdc, "line " + std::to_string(dc->pos.x) + "," + std::to_string(dc->pos.y) + "," + std::to_string(x) + "," +
                    std::to_string(y));
  dc->pos = POINT{x, y};
  return TRUE;
}

COLORREF WINAPI SetPixel(HDC hdc, int x, int y, COLORREF c) {
  GdiObject* t = TargetOf(hdc);
  if (!t || x < 0 || y < 0 || x >= t->width || y >= t->height) return 0xFFFFFFFFu;
  Put(DcOf(hdc), t, x, y, ToPixel(c));
  return c & 0x00FFFFFF;
}

COLORREF WINAPI GetPixel(HDC hdc, int x, int y) {
  bool inside = false;
  const std::uint32_t p = Get(TargetOf(hdc), x, y, inside);
  return inside ? FromPixel(p) : 0xFFFFFFFFu;  // CLR_INVALID
}

BOOL WINAPI DrawFocusRect(HDC hdc, const RECT* r) {
  if (!DcOf(hdc) || !r) return FALSE;
  GdiObject* t = TargetOf(hdc);
  LogPaint(hdc, "focus " + RectText(*r));
  if (!t || r->right <= r->left || r->bottom <= r->top) return TRUE;
  // Every other pixel of the outline inverted, as the dotted focus rectangle is drawn.
  auto invert = [&](int x, int y) {
    if (((x + y) & 1) != 0) return;
    bool inside = false;
    const std::uint32_t p = Get(t, x, y, inside);
    if (inside) Put(DcOf(hdc), t, x, y, ~p & 0xFFFFFFu);
  };
  for (int x = r->left; x < r->right; ++x) {
    invert(x, r->top);
    if (r->bottom - 1 > r->top) invert(x, r->bottom - 1);
  }
  for (int y = r->top + 1; y < r->bottom - 1; ++y) {
    invert(r->left, y);
    if (r->right - 1 > r->left) invert(r->right - 1, y);
  }
  return TRUE;
}

BOOL WINAPI StretchBlt(HDC dst, int xd, int yd, int wd, int hd, HDC src, int xs, int ys, int ws, int hs, DWORD rop) {
  const DcState* dstState = DcOf(dst);
  if (!dstState) return FALSE;
  GdiObject* t = TargetOf(dst);
  const GdiObject* s = src ? TargetOf(src) : nullptr;
  if (src && !DcOf(src)) return FALSE;
  const std::uint32_t pat = ToPixel(PatternColor(dst));
  if (t && wd != 0 && hd != 0) {
    // A copy of the source first, so that a blit within one bitmap reads what was there.
    const GdiObject source = s ? *s : GdiObject{};
    const int aw = std::abs(wd), ah = std::abs(hd);
    for (int j = 0; j < ah; ++j) {
      for (int i = 0; i < aw; ++i) {
        const int dx = wd > 0 ? xd + i : xd - 1 - i;
        const int dy = hd > 0 ? yd + j : yd - 1 - j;
        bool inDst = false;
        const std::uint32_t d = Get(t, dx, dy, inDst);
        if (!inDst) continue;
        std::uint32_t sp = 0;
        if (s) {
          const int sx = xs + static_cast<int>(static_cast<long long>(i) * ws / aw);
          const int sy = ys + static_cast<int>(static_cast<long long>(j) * hs / ah);
          bool inSrc = false;
          sp = Get(&source, sx, sy, inSrc);
        }
        Put(dstState, t, dx, dy, Rop3(rop, pat, sp, d));
      }
    }
  }
  LogPaint(dst, "blt " + RectText(RECT{xd, yd, xd + wd, yd + hd}) + " rop " + std::to_string(rop));
  return TRUE;
}

BOOL WINAPI BitBlt(HDC dst, int x, int y, int cx, int cy, HDC src, int x1, int y1, DWORD rop) {
  return StretchBlt(dst, x, y, cx, cy, src, x1, y1, cx, cy, rop);
}

BOOL WINAPI PatBlt(HDC hdc, int x, int y, int w, int h, DWORD rop) {
  return StretchBlt(hdc, x, y, w, h, nullptr, 0, 0, w, h, rop);
}

BOOL WINAPI GetTextExtentPoint32W(HDC hdc, LPCWSTR text, int c, LPSIZE size) {
  if (!DcOf(hdc) || !size || c < 0 || (!text && c > 0)) return FALSE;
  *size = TextSize(hdc, std::u16string_view(text ? text : u"", static_cast<std::size_t>(c)));
  return TRUE;
}

BOOL WINAPI GetCharABCWidthsW(HDC hdc, UINT first, UINT last, ABC* widths) {
  if (!DcOf(hdc) || !widths || last < first) return FALSE;
  // Each character's advance as its B width; the faces measured here carry no overhangs.
  for (UINT ch = first; ch <= last; ++ch) {
    const char16_t c = static_cast<char16_t>(ch);
    const SIZE size = TextSize(hdc, std::u16string_view(&c, 1));
    widths[ch - first] = ABC{0, static_cast<UINT>(size.cx), 0};
  }
  return TRUE;
}

BOOL WINAPI GetTextMetricsW(HDC hdc, TEXTMETRICW* tm) {
  if (!DcOf(hdc) || !tm) return FALSE;
  if (MeasureFont(FontOf(hdc), tm)) return TRUE;
  const SIZE ch = CharSize(hdc);
  *tm = TEXTMETRICW{};
  tm->tmHeight = ch.cy;
  tm->tmAscent = ch.cy * 4 / 5;
  tm->tmDescent = ch.cy - tm->tmAscent;
  tm->tmAveCharWidth = ch.cx;
  tm->tmMaxCharWidth = ch.cx;
  tm->tmWeight = 400;
  tm->tmFirstChar = 0x20;
  tm->tmLastChar = 0xFFFC;
  tm->tmDefaultChar = u'?';
  tm->tmBreakChar = u' ';
  return TRUE;
}

BOOL WINAPI ExtTextOutW(HDC hdc, int x, int y, UINT options, const RECT* r, LPCWSTR text, UINT c, const INT*) {
  if (DrawTurnedOrPathText(hdc, x, y, options, r, text, c)) return TRUE;
  DcState* dc = DcOf(hdc);
  if (!dc) return FALSE;
  if (!text && c > 0) return FALSE;
  if ((options & ETO_OPAQUE) && r) Fill(hdc, *r, dc->bkColor);
  const std::u16string s = text ? std::u16string(text, c) : std::u16string();
  const LOGFONTW font = FontOf(hdc);
  const SIZE cell = TextSize(hdc, s);
  // Glyph pixels go no further than the clipping rectangle and the target.
  RECT clip{INT_MIN / 2, INT_MIN / 2, INT_MAX / 2, INT_MAX / 2};
  if ((options & ETO_CLIPPED) && r) clip = *r;
  if (dc->bkMode == OPAQUE) {
    const RECT back{x, y, x + cell.cx, y + cell.cy};
    Fill(hdc, RECT{std::max(back.left, clip.left), std::max(back.top, clip.top), std::min(back.right, clip.right),
                   std::min(back.bottom, clip.bottom)},
         dc->bkColor);
  }
  if (GdiObject* t = TargetOf(hdc)) {
    const std::uint32_t ink = ToPixel(dc->textColor);
    RenderText(font, s, x, y,
               [&](int px, int py, unsigned a) {
                 if (px < clip.left || px >= clip.right || py < clip.top || py >= clip.bottom) return;
                 bool inside = false;
                 const std::uint32_t d = Get(t, px, py, inside);
                 if (!inside) return;
                 // The glyph's coverage blends the text colour over what is there.
                 auto mix = [&](int shift) {
                   const std::uint32_t f = (ink >> shift) & 0xFF, b = (d >> shift) & 0xFF;
                   return ((f * a + b * (255 - a) + 127) / 255) << shift;
                 };
                 Put(t, px, py, mix(16) | mix(8) | mix(0));
               },
               nullptr);
  }
  LogPaint(hdc, "text " + std::to_string(x) + "," + std::to_string(y) + " " + plat::ToUtf8(s));
  return TRUE;
}

BOOL WINAPI TextOutW(HDC hdc, int x, int y, LPCWSTR text, int c) {
  if (c < 0) return FALSE;
  return ExtTextOutW(hdc, x, y, 0, nullptr, text, static_cast<UINT>(c), nullptr);
}

int WINAPI DrawTextW(HDC hdc, LPCWSTR text, int c, LPRECT r, UINT format) {
  if (!DcOf(hdc) || !text || !r) return 0;
  std::u16string s = c < 0 ? std::u16string(text) : std::u16string(text, static_cast<std::size_t>(c));
  if (!(format & DT_NOPREFIX)) {
    // "&x" underlines x; "&&" is one ampersand.
    std::u16string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
      if (s[i] == u'&' && i + 1 < s.size()) ++i;
      out += s[i];
    }
    s = out;
  }
  const SIZE ch = TextSize(hdc, s);
  const int width = ch.cx;
  if (format & DT_CALCRECT) {
    r->right = r->left + width;
    r->bottom = r->top + ch.cy;
    return ch.cy;
  }
  int x = r->left, y = r->top;
  if (format & DT_CENTER) x = r->left + (r->right - r->left - width) / 2;
  else if (format & DT_RIGHT) x = r->right - width;
  if ((format & DT_SINGLELINE) && (format & DT_VCENTER)) y = r->top + (r->bottom - r->top - ch.cy) / 2;
  else if ((format & DT_SINGLELINE) && (format & DT_BOTTOM)) y = r->bottom - ch.cy;
  TextOutW(hdc, x, y, s.c_str(), static_cast<int>(s.size()));
  return ch.cy;
}

BOOL WINAPI DrawIcon(HDC hdc, int x, int y, HICON icon) {
  auto g = FindGdi(icon);
  if (!DcOf(hdc) || !g || g->kind != GdiKind::Icon) return FALSE;
  GdiObject* t = TargetOf(hdc);
  const DcState* dc = DcOf(hdc);
  for (int j = 0; t && j < g->height; ++j)
    for (int i = 0; i < g->width; ++i) {
      const std::size_t k = static_cast<std::size_t>(j) * g->width + i;
      if (!g->mask.empty() && g->mask[k]) continue;
      Put(dc, t, x + i, y + j, g->pixels[k]);
    }
  LogPaint(hdc, "icon " + std::to_string(x) + "," + std::to_string(y) + " " + std::to_string(g->resourceId));
  return TRUE;
}

BOOL WINAPI Polygon(HDC hdc, const POINT* points, int count) {
  DcState* dc = DcOf(hdc);
  if (!dc || !points || count < 2) return FALSE;
  if (dc->pathOpen) {
    std::vector<POINT> figure(points, points + count);
    figure.push_back(points[0]);
    dc->pathFigures.push_back(std::move(figure));
    return TRUE;
  }
  GdiObject* t = TargetOf(hdc);
  auto brush = FindGdi(dc->brush);
  auto pen = FindGdi(dc->pen);
  if (t && brush && !brush->null)
    ForEachInside(points, count, [&](LONG x, LONG y) { Put(dc, t, x, y, ToPixel(brush->color)); });
  if (t && pen && !pen->null)
    for (int i = 0; i < count; ++i) Segment(dc, t, points[i], points[(i + 1) % count], ToPixel(pen->color));
  std::string line = "polygon";
  for (int i = 0; i < count; ++i) line += " " + std::to_string(points[i].x) + "," + std::to_string(points[i].y);
  LogPaint(hdc, line);
  return TRUE;
}

int WINAPI ExcludeClipRect(HDC hdc, int left, int top, int right, int bottom) {
  DcState* dc = DcOf(hdc);
  if (!dc) return RGN_ERROR;
  if (right > left && bottom > top) dc->excluded.push_back(RECT{left, top, right, bottom});
  const GdiObject* t = TargetOf(hdc);
  if (!t) return dc->excluded.empty() ? SIMPLEREGION : COMPLEXREGION;
  bool cut = false;
  for (const RECT& e : dc->excluded) {
    if (e.left <= 0 && e.top <= 0 && e.right >= t->width && e.bottom >= t->height) return NULLREGION;
    cut = cut || (e.left < t->width && e.right > 0 && e.top < t->height && e.bottom > 0);
  }
  return cut ? COMPLEXREGION : SIMPLEREGION;
}

BOOL WINAPI BeginPath(HDC hdc) {
  DcState* dc = DcOf(hdc);
  if (!dc) return FALSE;
  dc->pathOpen = true;
  dc->pathFigures.clear();
  dc->pathTextPixels.clear();
  return TRUE;
}

BOOL WINAPI EndPath(HDC hdc) {
  DcState* dc = DcOf(hdc);
  if (!dc || !dc->pathOpen) return FALSE;
  dc->pathOpen = false;
  return TRUE;
}

BOOL WINAPI StrokePath(HDC hdc) {
  DcState* dc = DcOf(hdc);
  if (!dc || dc->pathOpen || (dc->pathFigures.empty() && dc->pathTextPixels.empty())) return FALSE;
  auto pen = FindGdi(dc->pen);
  GdiObject* t = TargetOf(hdc);
  if (t && pen && !pen->null) {
    const std::uint32_t p = ToPixel(pen->color);
    for (const auto& figure : dc->pathFigures)
      for (std::size_t i = 1; i < figure.size(); ++i) Segment(dc, t, figure[i - 1], figure[i], p);
    // The text's outline: its pixels that touch a pixel outside it.
    auto key = [](LONG x, LONG y) { return (static_cast<std::int64_t>(y) << 32) ^ static_cast<std::uint32_t>(x); };
    std::vector<std::int64_t> inside;
    for (const POINT& q : dc->pathTextPixels) inside.push_back(key(q.x, q.y));
    std::sort(inside.begin(), inside.end());
    auto in = [&](LONG x, LONG y) { return std::binary_search(inside.begin(), inside.end(), key(x, y)); };
    for (const POINT& q : dc->pathTextPixels)
      if (!in(q.x - 1, q.y) || !in(q.x + 1, q.y) || !in(q.x, q.y - 1) || !in(q.x, q.y + 1)) Put(dc, t, q.x, q.y, p);
  }
  LogPaint(hdc, "stroke path " + std::to_string(dc->pathFigures.size()) + " figures");
  dc->pathFigures.clear();
  dc->pathTextPixels.clear();
  return TRUE;
}

}  // extern "C"
