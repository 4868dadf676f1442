// Painting objects: the object table, device contexts, bitmaps (DIB decoding), brushes,
// pens, fonts, palettes and icons.
#include <algorithm>
#include <atomic>
#include <cstring>
#include <map>
#include <mutex>

#include "paint_internal.h"
#include "plat/rc_script.h"
#include "plat/ui_driver.h"
#include "ui_internal.h"
#include "win/errors.h"
#include "win/resources.h"

namespace plat::ui {
namespace {

struct Dc {
  DcState state;
};

struct Objects {
  std::recursive_mutex lock;
  std::map<std::uintptr_t, GdiPtr> objects;
  std::map<std::uintptr_t, std::shared_ptr<Dc>> dcs;
  std::map<HWND, std::vector<std::string>> log;
  std::uintptr_t next = 0x20010;
  std::map<int, HGDIOBJ> stock;
  std::map<int, HBRUSH> sysBrushes;
  std::map<std::pair<const void*, WORD>, HICON> icons;
};

Objects& objects() {
  static Objects* o = new Objects;
  return *o;
}

std::uintptr_t NextHandle() {
  auto& o = objects();
  const std::uintptr_t h = o.next;
  o.next += 4;
  return h;
}

std::uint32_t ColorOf(const RGBQUAD& q) { return (q.rgbRed << 16) | (q.rgbGreen << 8) | q.rgbBlue; }

HBRUSH StockBrush(COLORREF c, bool null) {
  auto g = std::make_shared<GdiObject>();
  g->kind = GdiKind::Brush;
  g->color = c;
  g->null = null;
  g->stock = true;
  return static_cast<HBRUSH>(InsertGdi(g));
}

// A window's own pixels, made at its client size on first use.
GdiObject* SurfaceOf(HWND hwnd) {
  auto w = Find(hwnd);
  if (!w) return nullptr;
  const int width = std::max<LONG>(0, w->rect.right - w->rect.left);
  const int height = std::max<LONG>(0, w->rect.bottom - w->rect.top);
  if (!w->surface) w->surface = MakeBitmap(width, height, ToPixel(GetSysColor(COLOR_BTNFACE)));
  auto g = FindGdi(w->surface);
  return g.get();
}

}  // namespace

GdiPtr FindGdi(HGDIOBJ h) {
  auto& o = objects();
  std::lock_guard<std::recursive_mutex> g(o.lock);
  auto it = o.objects.find(reinterpret_cast<std::uintptr_t>(h));
  return it == o.objects.end() ? nullptr : it->second;
}

HGDIOBJ InsertGdi(GdiPtr object) {
  auto& o = objects();
  std::lock_guard<std::recursive_mutex> g(o.lock);
  const std::uintptr_t h = NextHandle();
  o.objects.emplace(h, std::move(object));
  return reinterpret_cast<HGDIOBJ>(h);
}

HBITMAP MakeBitmap(int width, int height, std::uint32_t fill) {
  auto g = std::make_shared<GdiObject>();
  g->kind = GdiKind::Bitmap;
  g->width = std::max(0, width);
  g->height = std::max(0, height);
  g->pixels.assign(static_cast<std::size_t>(g->width) * g->height, fill);
  return static_cast<HBITMAP>(InsertGdi(g));
}

DcState* DcOf(HDC hdc) {
  auto& o = objects();
  std::lock_guard<std::recursive_mutex> g(o.lock);
  auto it = o.dcs.find(reinterpret_cast<std::uintptr_t>(hdc));
  return it == o.dcs.end() ? nullptr : &it->second->state;
}

GdiObject* TargetOf(HDC hdc) {
  DcState* dc = DcOf(hdc);
  if (!dc) return nullptr;
  if (dc->window) return SurfaceOf(dc->window);
  if (dc->bitmap) return FindGdi(dc->bitmap).get();
  return nullptr;
}

HWND WindowOf(HDC hdc) {
  DcState* dc = DcOf(hdc);
  return dc ? dc->window : nullptr;
}

void LogPaint(HDC hdc, const std::string& line) {
  HWND w = WindowOf(hdc);
  if (!w) return;
  auto& o = objects();
  std::lock_guard<std::recursive_mutex> g(o.lock);
  o.log[w].push_back(line);
}

std::string ColorText(COLORREF c) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
  return text;
}

bool DecodeDib(const BITMAPINFOHEADER* h, const RGBQUAD* colors, std::size_t colorCount, const BYTE* bits,
               std::size_t bitsSize, GdiObject& out) {
  if (!h || h->biSize < 40 || h->biWidth <= 0 || h->biHeight == 0 || h->biWidth > 32768) return false;
  const LONG height = h->biHeight < 0 ? -h->biHeight : h->biHeight;
  if (height > 32768) return false;
  const int bpp = h->biBitCount;
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return false;
  const bool rle = h->biCompression == BI_RLE8 || h->biCompression == BI_RLE4;
  if (!(h->biCompression == BI_RGB || (h->biCompression == BI_RLE8 && bpp == 8) ||
        (h->biCompression == BI_RLE4 && bpp == 4)))
    return false;
  const bool topDown = h->biHeight < 0;
  out.kind = GdiKind::Bitmap;
  out.width = h->biWidth;
  out.height = height;
  out.bitCount = bpp;
  out.pixels.assign(static_cast<std::size_t>(out.width) * height, 0);
  out.colorTable.assign(colors, colors + colorCount);
  auto color = [&](std::size_t i) -> std::uint32_t { return i < colorCount ? ColorOf(colors[i]) : 0; };
  auto put = [&](LONG x, LONG row, std::uint32_t p) {
    if (x < 0 || x >= out.width || row < 0 || row >= height) return;
    const LONG y = topDown ? row : height - 1 - row;
    out.pixels[static_cast<std::size_t>(y) * out.width + x] = p;
  };
  if (rle) {
    // Run-length coded rows, bottom first.
    std::size_t i = 0;
    LONG x = 0, row = 0;
    while (i + 1 < bitsSize && row < height) {
      const BYTE n = bits[i], v = bits[i + 1];
      i += 2;
      if (n > 0) {
        for (int k = 0; k < n; ++k, ++x)
          put(x, row, color(bpp == 8 ? v : ((k & 1) ? (v & 0x0F) : (v >> 4))));
      } else if (v == 0) {
        x = 0;
        ++row;
      } else if (v == 1) {
        break;
      } else if (v == 2) {
        if (i + 1 >= bitsSize) break;
        x += bits[i];
        row += bits[i + 1];
        i += 2;
      } else {
        const std::size_t bytes = bpp == 8 ? v : (v + 1u) / 2;
        if (i + bytes > bitsSize) return false;
        for (int k = 0; k < v; ++k, ++x) {
          const BYTE b = bits[i + (bpp == 8 ? k : k / 2)];
          put(x, row, color(bpp == 8 ? b : ((k & 1) ? (b & 0x0F) : (b >> 4))));
        }
        i += (bytes + 1) & ~std::size_t(1);
      }
    }
    return true;
  }
  const std::size_t stride = ((static_cast<std::size_t>(bpp) * out.width + 31) / 32) * 4;
  if (stride * height > bitsSize) return false;
  for (LONG row = 0; row < height; ++row) {
    const BYTE* r = bits + stride * row;
    for (LONG x = 0; x < out.width; ++x) {
      std::uint32_t p = 0;
      switch (bpp) {
        case 1: p = color((r[x / 8] >> (7 - x % 8)) & 1); break;
        case 4: p = color((x & 1) ? (r[x / 2] & 0x0F) : (r[x / 2] >> 4)); break;
        case 8: p = color(r[x]); break;
        case 16: {
          const WORD v = static_cast<WORD>(r[2 * x] | (r[2 * x + 1] << 8));
          const std::uint32_t R = ((v >> 10) & 31) * 255 / 31, G = ((v >> 5) & 31) * 255 / 31, B = (v & 31) * 255 / 31;
          p = (R << 16) | (G << 8) | B;
          break;
        }
        case 24: p = (r[3 * x + 2] << 16) | (r[3 * x + 1] << 8) | r[3 * x]; break;
        default: p = (r[4 * x + 2] << 16) | (r[4 * x + 1] << 8) | r[4 * x]; break;
      }
      put(x, row, p);
    }
  }
  return true;
}

// The number of colour-table entries of a DIB header.
std::size_t ColorCount(const BITMAPINFOHEADER* h) {
  if (h->biBitCount > 8) return 0;
  const std::size_t full = std::size_t(1) << h->biBitCount;
  return h->biClrUsed && h->biClrUsed < full ? h->biClrUsed : full;
}

HBITMAP BitmapFromPackedDib(const BYTE* data, std::size_t size, WORD resourceId) {
  if (size < sizeof(BITMAPINFOHEADER)) return nullptr;
  BITMAPINFOHEADER h;
  std::memcpy(&h, data, sizeof h);
  if (h.biSize < 40 || h.biSize > size) return nullptr;
  const std::size_t colors = ColorCount(&h);
  const std::size_t offset = h.biSize + colors * 4;
  if (offset > size) return nullptr;
  std::vector<RGBQUAD> table(colors);
  if (colors) std::memcpy(table.data(), data + h.biSize, colors * 4);
  auto g = std::make_shared<GdiObject>();
  if (!DecodeDib(&h, table.data(), colors, data + offset, size - offset, *g)) return nullptr;
  g->resourceId = resourceId;
  return static_cast<HBITMAP>(InsertGdi(g));
}

namespace {
std::atomic<bool> paletteDisplay{false};
}  // namespace

bool DrawsAt(const DcState* dc, int x, int y) {
  if (!dc) return true;
  for (const RECT& e : dc->excluded)
    if (x >= e.left && x < e.right && y >= e.top && y < e.bottom) return false;
  return true;
}

bool PaletteDisplay() { return paletteDisplay; }

void SetPaletteDisplay(bool on) { paletteDisplay = on; }

COLORREF NearestStaticColor(COLORREF c) {
  // The twenty static colours of a palette-based display.
  static const COLORREF kStatic[] = {
      RGB(0, 0, 0),       RGB(128, 0, 0),     RGB(0, 128, 0),     RGB(128, 128, 0),   RGB(0, 0, 128),
      RGB(128, 0, 128),   RGB(0, 128, 128),   RGB(192, 192, 192), RGB(192, 220, 192), RGB(166, 202, 240),
      RGB(255, 251, 240), RGB(160, 160, 164), RGB(128, 128, 128), RGB(255, 0, 0),     RGB(0, 255, 0),
      RGB(255, 255, 0),   RGB(0, 0, 255),     RGB(255, 0, 255),   RGB(0, 255, 255),   RGB(255, 255, 255)};
  COLORREF best = kStatic[0];
  long bestDistance = -1;
  for (COLORREF s : kStatic) {
    const long dr = GetRValue(s) - GetRValue(c), dg = GetGValue(s) - GetGValue(c), db = GetBValue(s) - GetBValue(c);
    const long d = dr * dr + dg * dg + db * db;
    if (bestDistance < 0 || d < bestDistance) {
      best = s;
      bestDistance = d;
    }
  }
  return best;
}

void ResetPainting() {
  paletteDisplay = false;
  auto& o = objects();
  std::lock_guard<std::recursive_mutex> g(o.lock);
  o.log.clear();
  o.dcs.clear();
  for (auto it = o.objects.begin(); it != o.objects.end();) {
    if (it->second->stock) ++it;
    else it = o.objects.erase(it);
  }
  o.icons.clear();
}

void DropPaintLog(HWND window) {
  auto& o = objects();
  std::lock_guard<std::recursive_mutex> g(o.lock);
  o.log.erase(window);
}

WindowSystemCounts Counts() {
  auto& o = objects();
  std::lock_guard<std::recursive_mutex> g(o.lock);
  WindowSystemCounts c;
  c.windows = AllWindows().size();
  for (const auto& [h, obj] : o.objects)
    if (!obj->stock) ++c.gdiObjects;
  c.deviceContexts = o.dcs.size();
  for (const auto& [w, lines] : o.log) c.paintLines += lines.size();
  return c;
}

namespace {

// Copies a window's pixels and then its visible children's into a picture at (x, y),
// clipped to `clip` (the parent's client area in picture coordinates).
void ComposeInto(Picture& out, HWND h, int x, int y, RECT clip) {
  auto w = Find(h);
  if (!w || !(w->style & WS_VISIBLE)) return;
  const int width = static_cast<int>(w->rect.right - w->rect.left);
  const int height = static_cast<int>(w->rect.bottom - w->rect.top);
  clip = RECT{std::max<LONG>(clip.left, x), std::max<LONG>(clip.top, y), std::min<LONG>(clip.right, x + width),
              std::min<LONG>(clip.bottom, y + height)};
  if (clip.left >= clip.right || clip.top >= clip.bottom) return;
  GdiObject* s = SurfaceOf(h);
  for (LONG py = clip.top; py < clip.bottom; ++py)
    for (LONG px = clip.left; px < clip.right; ++px) {
      const int sx = static_cast<int>(px) - x, sy = static_cast<int>(py) - y;
      if (!s || sx >= s->width || sy >= s->height) continue;
      out.pixels[static_cast<std::size_t>(py) * out.width + px] = s->pixels[static_cast<std::size_t>(sy) * s->width + sx];
    }
  // The children, first on top: drawn last.
  const std::vector<HWND> kids = w->children;
  for (auto it = kids.rbegin(); it != kids.rend(); ++it) {
    auto c = Find(*it);
    if (!c) continue;
    ComposeInto(out, *it, x + static_cast<int>(c->rect.left), y + static_cast<int>(c->rect.top), clip);
  }
}

}  // namespace

Picture Compose(HWND topLevel) {
  Picture out;
  auto w = Find(topLevel);
  if (!w || w->parent || !(w->style & WS_VISIBLE)) return out;
  RunPendingMessages();
  out.width = std::max<int>(0, static_cast<int>(w->rect.right - w->rect.left));
  out.height = std::max<int>(0, static_cast<int>(w->rect.bottom - w->rect.top));
  out.pixels.assign(static_cast<std::size_t>(out.width) * out.height, ToPixel(GetSysColor(COLOR_BTNFACE)));
  ComposeInto(out, topLevel, 0, 0, RECT{0, 0, out.width, out.height});
  return out;
}

std::vector<std::string> PaintLog(HWND window) {
  auto& o = objects();
  std::lock_guard<std::recursive_mutex> g(o.lock);
  auto it = o.log.find(window);
  return it == o.log.end() ? std::vector<std::string>{} : it->second;
}

DWORD PixelAt(HWND window, int x, int y) {
  auto w = Find(window);
  if (!w || !w->surface) return 0xFFFFFFFFu;
  auto g = FindGdi(w->surface);
  if (!g || x < 0 || y < 0 || x >= g->width || y >= g->height) return 0xFFFFFFFFu;
  return g->pixels[static_cast<std::size_t>(y) * g->width + x];
}

HDC CreateEscapeDC(std::function<int(int, int, const void*, int, void*)> route) {
  HDC dc = CreateDCW(u"DISPLAY", nullptr, nullptr, nullptr);
  if (DcState* s = DcOf(dc)) s->escape = std::move(route);
  return dc;
}

}  // namespace plat::ui

using namespace plat::ui;

namespace {

HDC NewDc(HWND window, bool display) {
  auto& o = objects();
  std::lock_guard<std::recursive_mutex> g(o.lock);
  auto dc = std::make_shared<Dc>();
  dc->state.window = window;
  dc->state.display = display;
  dc->state.brush = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  dc->state.pen = static_cast<HPEN>(GetStockObject(BLACK_PEN));
  dc->state.font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  if (window) {
    if (auto w = Find(window); w && w->font) dc->state.font = w->font;
  }
  const std::uintptr_t h = NextHandle();
  o.dcs.emplace(h, dc);
  return reinterpret_cast<HDC>(h);
}

plat::ResId NameOf(LPCWSTR name) {
  plat::ResId id;
  plat::ResId::FromPointer(name, id);
  return id;
}

}  // namespace

extern "C" {

HDC WINAPI GetDC(HWND hWnd) {
  // The desktop window's device context is the screen's.
  if (hWnd == GetDesktopWindow()) hWnd = nullptr;
  if (hWnd && !FindOrFail(hWnd)) return nullptr;
  return NewDc(hWnd, hWnd == nullptr);
}

int WINAPI ReleaseDC(HWND, HDC hdc) { return DeleteDC(hdc) ? 1 : 0; }

HDC WINAPI BeginPaint(HWND hWnd, PAINTSTRUCT* ps) {
  auto w = FindOrFail(hWnd);
  if (!w || !ps) return nullptr;
  HDC dc = NewDc(hWnd, false);
  *ps = PAINTSTRUCT{};
  ps->hdc = dc;
  ps->rcPaint = w->invalid ? w->invalidRect : RECT{0, 0, 0, 0};
  const bool erase = w->erase;
  w->invalid = false;
  w->erase = false;
  // Set only when an erase was pending and WM_ERASEBKGND left it undone.
  ps->fErase = FALSE;
  if (erase) ps->fErase = SendMessageW(hWnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) ? FALSE : TRUE;
  return dc;
}

BOOL WINAPI EndPaint(HWND, const PAINTSTRUCT* ps) { return ps ? DeleteDC(ps->hdc) : FALSE; }

HDC WINAPI CreateCompatibleDC(HDC) {
  HDC dc = NewDc(nullptr, false);
  // A new memory context holds a 1 x 1 bitmap.
  if (DcState* s = DcOf(dc)) s->bitmap = nullptr;
  return dc;
}

HDC WINAPI CreateDCW(LPCWSTR, LPCWSTR, LPCWSTR, const void*) { return NewDc(nullptr, true); }

BOOL WINAPI DeleteDC(HDC hdc) {
  auto& o = objects();
  std::lock_guard<std::recursive_mutex> g(o.lock);
  return o.dcs.erase(reinterpret_cast<std::uintptr_t>(hdc)) ? TRUE : FALSE;
}

int WINAPI GetDeviceCaps(HDC hdc, int index) {
  if (!DcOf(hdc)) return 0;
  switch (index) {
    case HORZRES: return GetSystemMetrics(SM_CXSCREEN);
    case VERTRES: return GetSystemMetrics(SM_CYSCREEN);
    case BITSPIXEL: return PaletteDisplay() ? 8 : 32;
    case PLANES: return 1;
    case NUMCOLORS: return PaletteDisplay() ? 20 : -1;
    case LOGPIXELSX:
    case LOGPIXELSY: return 96;
    case RASTERCAPS: return PaletteDisplay() ? 0x7E99 | RC_PALETTE : 0x7E99;  // RC_PALETTE: palette-based
    case SIZEPALETTE: return PaletteDisplay() ? 256 : 0;
    default: return 0;
  }
}

HGDIOBJ WINAPI SelectObject(HDC hdc, HGDIOBJ h) {
  DcState* dc = DcOf(hdc);
  auto obj = FindGdi(h);
  if (!dc || !obj) return nullptr;
  HGDIOBJ old = nullptr;
  switch (obj->kind) {
    case GdiKind::Bitmap:
      old = dc->bitmap;
      dc->bitmap = static_cast<HBITMAP>(h);
      if (!old) old = MakeBitmap(1, 1, 0);  // the stock 1 x 1 bitmap of a new memory context
      break;
    case GdiKind::Brush: old = dc->brush; dc->brush = static_cast<HBRUSH>(h); break;
    case GdiKind::Pen: old = dc->pen; dc->pen = static_cast<HPEN>(h); break;
    case GdiKind::Font: old = dc->font; dc->font = static_cast<HFONT>(h); break;
    default: return nullptr;
  }
  return old;
}

BOOL WINAPI DeleteObject(HGDIOBJ h) {
  auto& o = objects();
  std::lock_guard<std::recursive_mutex> g(o.lock);
  auto it = o.objects.find(reinterpret_cast<std::uintptr_t>(h));
  if (it == o.objects.end()) return FALSE;
  if (it->second->stock) return TRUE;
  o.objects.erase(it);
  return TRUE;
}

HGDIOBJ WINAPI GetStockObject(int i) {
  auto& o = objects();
  std::lock_guard<std::recursive_mutex> g(o.lock);
  auto it = o.stock.find(i);
  if (it != o.stock.end()) return it->second;
  HGDIOBJ h = nullptr;
  auto make = [](GdiKind kind, COLORREF c, bool null) {
    auto g = std::make_shared<GdiObject>();
    g->kind = kind;
    g->color = c;
    g->null = null;
    g->stock = true;
    return InsertGdi(g);
  };
  switch (i) {
    case WHITE_BRUSH: h = make(GdiKind::Brush, RGB(255, 255, 255), false); break;
    case LTGRAY_BRUSH: h = make(GdiKind::Brush, RGB(192, 192, 192), false); break;
    case GRAY_BRUSH: h = make(GdiKind::Brush, RGB(128, 128, 128), false); break;
    case DKGRAY_BRUSH: h = make(GdiKind::Brush, RGB(64, 64, 64), false); break;
    case BLACK_BRUSH: h = make(GdiKind::Brush, RGB(0, 0, 0), false); break;
    case NULL_BRUSH: h = make(GdiKind::Brush, 0, true); break;
    case WHITE_PEN: h = make(GdiKind::Pen, RGB(255, 255, 255), false); break;
    case BLACK_PEN: h = make(GdiKind::Pen, RGB(0, 0, 0), false); break;
    case NULL_PEN: h = make(GdiKind::Pen, 0, true); break;
    case DEFAULT_GUI_FONT: {
      auto f = std::make_shared<GdiObject>();
      f->kind = GdiKind::Font;
      f->stock = true;
      f->font.lfHeight = -11;
      std::memcpy(f->font.lfFaceName, u"MS Shell Dlg", 13 * sizeof(WCHAR));
      h = InsertGdi(f);
      break;
    }
    default: return nullptr;
  }
  o.stock[i] = h;
  return h;
}

int WINAPI GetObjectW(HANDLE h, int c, LPVOID pv) {
  auto g = FindGdi(h);
  if (!g) return 0;
  if (g->kind == GdiKind::Bitmap) {
    if (!pv) return sizeof(BITMAP);
    if (c < static_cast<int>(sizeof(BITMAP))) return 0;
    BITMAP b{};
    b.bmWidth = g->width;
    b.bmHeight = g->height;
    b.bmBitsPixel = static_cast<WORD>(g->bitCount);
    b.bmPlanes = 1;
    b.bmWidthBytes = ((g->width * g->bitCount + 15) / 16) * 2;
    std::memcpy(pv, &b, sizeof b);
    return sizeof(BITMAP);
  }
  if (g->kind == GdiKind::Font) {
    if (!pv) return sizeof(LOGFONTW);
    if (c < static_cast<int>(sizeof(LOGFONTW))) return 0;
    std::memcpy(pv, &g->font, sizeof(LOGFONTW));
    return sizeof(LOGFONTW);
  }
  return 0;
}

COLORREF WINAPI SetTextColor(HDC hdc, COLORREF c) {
  DcState* dc = DcOf(hdc);
  if (!dc) return 0xFFFFFFFFu;
  const COLORREF old = dc->textColor;
  dc->textColor = c;
  return old;
}
COLORREF WINAPI GetTextColor(HDC hdc) {
  DcState* dc = DcOf(hdc);
  return dc ? dc->textColor : 0xFFFFFFFFu;
}
COLORREF WINAPI SetBkColor(HDC hdc, COLORREF c) {
  DcState* dc = DcOf(hdc);
  if (!dc) return 0xFFFFFFFFu;
  const COLORREF old = dc->bkColor;
  dc->bkColor = c;
  return old;
}
COLORREF WINAPI GetBkColor(HDC hdc) {
  DcState* dc = DcOf(hdc);
  return dc ? dc->bkColor : 0xFFFFFFFFu;
}
int WINAPI SetBkMode(HDC hdc, int mode) {
  DcState* dc = DcOf(hdc);
  if (!dc) return 0;
  const int old = dc->bkMode;
  dc->bkMode = mode;
  return old;
}
int WINAPI SetStretchBltMode(HDC hdc, int) { return DcOf(hdc) ? COLORONCOLOR : 0; }
COLORREF WINAPI GetNearestColor(HDC hdc, COLORREF c) {
  if (!DcOf(hdc)) return 0xFFFFFFFFu;
  return PaletteDisplay() ? NearestStaticColor(c & 0x00FFFFFF) : (c & 0x00FFFFFF);
}

extern "C++" namespace plat::engine {
bool EscapeThroughEngineContext(HDC hdc, int iEscape, int cjInput, LPCSTR lpInData, int cjOutput, LPSTR lpOutData,
                                int* result);
}

// An engine device's context reaches the rendering driver's DrvEscape; a context made by
// CreateEscapeDC its route.
int WINAPI ExtEscape(HDC hdc, int esc, int cjIn, LPCSTR in, int cjOut, LPSTR out) {
  int result = 0;
  if (plat::engine::EscapeThroughEngineContext(hdc, esc, cjIn, in, cjOut, out, &result)) return result;
  DcState* dc = DcOf(hdc);
  if (!dc) {
    SetLastError(ERROR_INVALID_HANDLE);
    return -1;
  }
  if (!dc->escape) return 0;
  return dc->escape(esc, cjIn, in, cjOut, out);
}

HBITMAP WINAPI CreateCompatibleBitmap(HDC hdc, int cx, int cy) {
  if (!DcOf(hdc) || cx < 0 || cy < 0) return nullptr;
  return MakeBitmap(cx, cy, 0);
}

HBITMAP WINAPI CreateBitmap(int w, int h, UINT, UINT bitCount, const void* bits) {
  if (w < 0 || h < 0) return nullptr;
  HBITMAP b = MakeBitmap(w, h, 0);
  auto g = FindGdi(b);
  if (bitCount == 1) {
    g->bitCount = 1;
    if (bits) {
      const auto* p = static_cast<const BYTE*>(bits);
      const int stride = ((w + 15) / 16) * 2;
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
          g->pixels[static_cast<std::size_t>(y) * w + x] = ((p[y * stride + x / 8] >> (7 - x % 8)) & 1) ? 0xFFFFFF : 0;
    }
  } else if (bitCount == 32 && bits) {
    std::memcpy(g->pixels.data(), bits, g->pixels.size() * 4);
    for (auto& px : g->pixels) px &= 0x00FFFFFF;
  }
  return b;
}

HBITMAP WINAPI CreateDIBitmap(HDC, const BITMAPINFOHEADER* h, DWORD init, const void* bits, const BITMAPINFO* bmi,
                              UINT) {
  if (!h || h->biWidth <= 0 || h->biHeight == 0) return nullptr;
  if (!(init & CBM_INIT) || !bits || !bmi) {
    HBITMAP b = MakeBitmap(h->biWidth, h->biHeight < 0 ? -h->biHeight : h->biHeight, 0);
    return b;
  }
  const BITMAPINFOHEADER& ih = bmi->bmiHeader;
  const std::size_t colors = ColorCount(&ih);
  const std::size_t stride = ((static_cast<std::size_t>(ih.biBitCount) * ih.biWidth + 31) / 32) * 4;
  const std::size_t rows = static_cast<std::size_t>(ih.biHeight < 0 ? -static_cast<long>(ih.biHeight) : ih.biHeight);
  const std::size_t size = ih.biCompression == BI_RGB ? stride * rows : ih.biSizeImage;
  auto g = std::make_shared<GdiObject>();
  if (!DecodeDib(&ih, bmi->bmiColors, colors, static_cast<const BYTE*>(bits), size, *g)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return static_cast<HBITMAP>(InsertGdi(g));
}

HBITMAP WINAPI CreateDIBSection(HDC, const BITMAPINFO* bmi, UINT, void** bits, HANDLE, DWORD) {
  if (bits) *bits = nullptr;
  if (!bmi || bmi->bmiHeader.biBitCount != 32 || bmi->bmiHeader.biWidth <= 0 || bmi->bmiHeader.biHeight == 0)
    return nullptr;
  const LONG h = bmi->bmiHeader.biHeight < 0 ? -bmi->bmiHeader.biHeight : bmi->bmiHeader.biHeight;
  HBITMAP b = MakeBitmap(bmi->bmiHeader.biWidth, h, 0);
  // The pixels are the bitmap's own, rows top first, as a top-down section keeps them.
  if (bits) *bits = FindGdi(b)->pixels.data();
  return b;
}

HBITMAP WINAPI LoadBitmapW(HINSTANCE inst, LPCWSTR name) {
  HRSRC r = FindResourceW(inst, name, RT_BITMAP);
  if (!r) return nullptr;
  const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(inst, r)));
  const DWORD size = SizeofResource(inst, r);
  const plat::ResId id = NameOf(name);
  HBITMAP b = BitmapFromPackedDib(data, size, id.isInt ? id.id : 0);
  if (!b) SetLastError(ERROR_INVALID_PARAMETER);
  return b;
}

HBRUSH WINAPI CreateSolidBrush(COLORREF c) {
  auto g = std::make_shared<GdiObject>();
  g->kind = GdiKind::Brush;
  g->color = c & 0x00FFFFFF;
  return static_cast<HBRUSH>(InsertGdi(g));
}

HBRUSH WINAPI GetSysColorBrush(int index) {
  auto& o = objects();
  std::lock_guard<std::recursive_mutex> g(o.lock);
  auto it = o.sysBrushes.find(index);
  if (it != o.sysBrushes.end()) return it->second;
  HBRUSH b = StockBrush(GetSysColor(index), false);
  o.sysBrushes[index] = b;
  return b;
}

HPEN WINAPI CreatePen(int style, int, COLORREF c) {
  auto g = std::make_shared<GdiObject>();
  g->kind = GdiKind::Pen;
  g->color = c & 0x00FFFFFF;
  g->null = style == PS_NULL;
  return static_cast<HPEN>(InsertGdi(g));
}

HFONT WINAPI CreateFontIndirectW(const LOGFONTW* lf) {
  if (!lf) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto g = std::make_shared<GdiObject>();
  g->kind = GdiKind::Font;
  g->font = *lf;
  return static_cast<HFONT>(InsertGdi(g));
}

HPALETTE WINAPI CreatePalette(const LOGPALETTE* lp) {
  if (!lp || lp->palVersion != 0x300 || lp->palNumEntries == 0) return nullptr;
  auto g = std::make_shared<GdiObject>();
  g->kind = GdiKind::Palette;
  g->entries.assign(lp->palPalEntry, lp->palPalEntry + lp->palNumEntries);
  return static_cast<HPALETTE>(InsertGdi(g));
}

HPALETTE WINAPI SelectPalette(HDC hdc, HPALETTE pal, BOOL) {
  DcState* dc = DcOf(hdc);
  auto g = FindGdi(pal);
  if (!dc || !g || g->kind != GdiKind::Palette) return nullptr;
  HPALETTE old = dc->palette;
  dc->palette = pal;
  if (!old) {
    // The default palette of every context.
    LOGPALETTE lp{0x300, 1, {{0, 0, 0, 0}}};
    static HPALETTE def = CreatePalette(&lp);
    if (auto d = FindGdi(def)) d->stock = true;
    old = def;
  }
  return old;
}

UINT WINAPI RealizePalette(HDC hdc) {
  DcState* dc = DcOf(hdc);
  auto g = dc ? FindGdi(dc->palette) : nullptr;
  return g ? static_cast<UINT>(g->entries.size()) : 0;
}

UINT WINAPI SetPaletteEntries(HPALETTE pal, UINT start, UINT count, const PALETTEENTRY* entries) {
  auto g = FindGdi(pal);
  if (!g || g->kind != GdiKind::Palette || !entries || start >= g->entries.size()) return 0;
  count = std::min<UINT>(count, static_cast<UINT>(g->entries.size()) - start);
  std::copy(entries, entries + count, g->entries.begin() + start);
  return count;
}

HICON WINAPI LoadIconW(HINSTANCE inst, LPCWSTR name) {
  auto& o = objects();
  const plat::ResId id = NameOf(name);
  if (!inst) {
    // Standard icons: 32 x 32, one colour each, a transparent corner.
    if (!id.isInt || id.id < 32512 || id.id > 32517) return nullptr;
    std::lock_guard<std::recursive_mutex> g(o.lock);
    auto key = std::make_pair(static_cast<const void*>(nullptr), id.id);
    if (auto it = o.icons.find(key); it != o.icons.end()) return it->second;
    auto icon = std::make_shared<GdiObject>();
    icon->kind = GdiKind::Icon;
    icon->width = icon->height = 32;
    static const std::uint32_t kColors[] = {0x808080, 0xE81123, 0x0063B1, 0xFFB900, 0x0063B1, 0x808080};
    icon->pixels.assign(32 * 32, kColors[id.id - 32512]);
    icon->mask.assign(32 * 32, 0);
    icon->mask[0] = 1;
    icon->resourceId = id.id;
    icon->stock = true;
    HICON h = static_cast<HICON>(InsertGdi(icon));
    o.icons[key] = h;
    return h;
  }
  auto table = plat::ModuleResources(inst);
  HRSRC group = FindResourceW(inst, name, RT_GROUP_ICON);
  if (!group || !table) return nullptr;
  std::lock_guard<std::recursive_mutex> g(o.lock);
  auto key = std::make_pair(static_cast<const void*>(group), WORD(0));
  if (auto it = o.icons.find(key); it != o.icons.end()) return it->second;
  const auto* dir = static_cast<const BYTE*>(LockResource(LoadResource(inst, group)));
  const DWORD dirSize = SizeofResource(inst, group);
  if (!dir || dirSize < 6 + 14) return nullptr;
  const WORD count = static_cast<WORD>(dir[4] | (dir[5] << 8));
  // The entry closest to 32 x 32 with the most colours.
  int best = -1, bestScore = -1;
  for (int i = 0; i < count && 6u + 14u * (i + 1) <= dirSize; ++i) {
    const BYTE* e = dir + 6 + 14 * i;
    const int w = e[0] ? e[0] : 256;
    const int bits = e[6] | (e[7] << 8);
    const int score = 100000 - std::abs(w - 32) * 100 + bits;
    if (score > bestScore) {
      bestScore = score;
      best = i;
    }
  }
  if (best < 0) return nullptr;
  const BYTE* e = dir + 6 + 14 * best;
  const WORD imageId = static_cast<WORD>(e[12] | (e[13] << 8));
  HRSRC image = FindResourceW(inst, MAKEINTRESOURCEW(imageId), RT_ICON);
  if (!image) return nullptr;
  const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(inst, image)));
  const DWORD size = SizeofResource(inst, image);
  if (!data || size < 40) return nullptr;
  BITMAPINFOHEADER h;
  std::memcpy(&h, data, sizeof h);
  if (h.biSize != 40 || h.biHeight <= 0 || (h.biHeight & 1)) return nullptr;
  BITMAPINFOHEADER colorPart = h;
  colorPart.biHeight = h.biHeight / 2;
  colorPart.biSizeImage = 0;
  const std::size_t colors = ColorCount(&h);
  const std::size_t offset = 40 + colors * 4;
  if (offset > size) return nullptr;
  std::vector<RGBQUAD> table2(colors);
  if (colors) std::memcpy(table2.data(), data + 40, colors * 4);
  auto icon = std::make_shared<GdiObject>();
  if (!DecodeDib(&colorPart, table2.data(), colors, data + offset, size - offset, *icon)) return nullptr;
  icon->kind = GdiKind::Icon;
  const std::size_t xorSize = ((static_cast<std::size_t>(h.biBitCount) * h.biWidth + 31) / 32) * 4 * colorPart.biHeight;
  const std::size_t andStride = ((static_cast<std::size_t>(h.biWidth) + 31) / 32) * 4;
  icon->mask.assign(icon->pixels.size(), 0);
  if (offset + xorSize + andStride * colorPart.biHeight <= size) {
    const BYTE* andBits = data + offset + xorSize;
    for (int row = 0; row < colorPart.biHeight; ++row)
      for (int x = 0; x < icon->width; ++x)
        icon->mask[static_cast<std::size_t>(icon->height - 1 - row) * icon->width + x] =
            (andBits[row * andStride + x / 8] >> (7 - x % 8)) & 1;
  }
  const plat::ResId nameId = NameOf(name);
  icon->resourceId = nameId.isInt ? nameId.id : 0;
  icon->stock = true;
  HICON hi = static_cast<HICON>(InsertGdi(icon));
  o.icons[key] = hi;
  return hi;
}

BOOL WINAPI DestroyIcon(HICON icon) {
  auto g = FindGdi(icon);
  return g && g->kind == GdiKind::Icon ? TRUE : FALSE;
}

}  // extern "C"
