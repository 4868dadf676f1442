// Loading the pictures of the painter, their masks and the visual style's tab-page body.
#include "context/ui_picture_sources.h"

#include <cstring>

#include "base/dictionary_pages.h"
#include "base/driver_context.h"
#include "context/ui_pictures.h"
#include "win/loader.h"
#include "win/resources.h"
#include "win/uxtheme.h"

namespace {

// The colour-table length of a packed DIB, or -1 when its header is not one read here or
// the table or pixels reach past `size`.
int ColourCount(const BITMAPINFOHEADER& h, DWORD size) {
  if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biSize > size) return -1;
  const WORD bits = h.biBitCount;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return -1;
  if (h.biWidth <= 0 || h.biWidth > 32768 || h.biHeight == 0 || h.biHeight > 32768 || h.biHeight < -32768) return -1;
  const DWORD full = bits <= 8 ? 1u << bits : 0;
  const DWORD used = h.biClrUsed && h.biClrUsed < full ? h.biClrUsed : full;
  if (static_cast<std::uint64_t>(h.biSize) + 4ull * used > size) return -1;
  return static_cast<int>(used);
}

void Measure(LoadedPicture& p) {
  BITMAP b{};
  if (p.bitmap && GetObjectW(p.bitmap, sizeof b, &b)) {
    p.width = b.bmWidth;
    p.height = b.bmHeight < 0 ? -b.bmHeight : b.bmHeight;
    p.bits = b.bmBitsPixel;
  }
}

// A resource picture by id: its packed DIB read for depth, colour table and the 4-bit mask
// colour, and a bitmap made from it (colour-adjusted when asked).
bool LoadResourcePicture(DriverContext* context, DWORD id, bool adjust, bool grey, LoadedPicture& out) {
  DWORD size = 0;
  const auto* dib = static_cast<const BYTE*>(FindPictureResource(context, id, &size));
  if (!dib || size < sizeof(BITMAPINFOHEADER)) {
    out.bitmap = LoadPictureBitmap(context, id);
    Measure(out);
    return out.bitmap != nullptr;
  }
  BITMAPINFOHEADER h;
  std::memcpy(&h, dib, sizeof h);
  const int count = ColourCount(h, size);
  if (count < 0) return false;
  const auto* table = reinterpret_cast<const RGBQUAD*>(dib + h.biSize);
  for (int i = 0; i < count; ++i) out.colours.push_back(RGB(table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue));
  const std::size_t pixelsAt = h.biSize + 4u * static_cast<std::size_t>(count);
  // A 4-bit picture is transparent where it shows the colour of its bottom-left pixel (the
  // first pixel of a bottom-up image).
  if (h.biBitCount == 4 && h.biCompression == BI_RGB && h.biHeight > 0 && pixelsAt < size) {
    const int index = dib[pixelsAt] >> 4;
    if (index < count) out.maskColour = out.colours[static_cast<std::size_t>(index)];
  }
  if (adjust && h.biBitCount <= 8) {
    std::vector<BYTE> copy(dib, dib + size);
    auto* t = reinterpret_cast<RGBQUAD*>(copy.data() + h.biSize);
    for (int i = 0; i < count; ++i) {
      const COLORREF c = AdjustPictureColor(context, out.colours[static_cast<std::size_t>(i)], grey ? TRUE : FALSE);
      out.colours[static_cast<std::size_t>(i)] = c;
      t[i] = RGBQUAD{GetBValue(c), GetGValue(c), GetRValue(c), 0};
    }
    HDC display = CreateDCW(u"DISPLAY", nullptr, nullptr, nullptr);
    if (display) {
      out.bitmap = CreateDIBitmap(display, reinterpret_cast<const BITMAPINFOHEADER*>(copy.data()), CBM_INIT,
                                  copy.data() + pixelsAt, reinterpret_cast<const BITMAPINFO*>(copy.data()),
                                  DIB_RGB_COLORS);
      DeleteDC(display);
    }
  } else {
    out.bitmap = LoadPictureBitmap(context, id);
  }
  Measure(out);
  out.bits = h.biBitCount;
  if (out.bitmap && h.biBitCount == 4 && h.biCompression != BI_RGB) {
    // A compressed picture: the bottom-left pixel as drawn.
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, out.bitmap);
    out.maskColour = GetPixel(dc, 0, out.height - 1);
    SelectObject(dc, old);
    DeleteDC(dc);
  }
  return out.bitmap != nullptr;
}

}  // namespace

LoadedPicture::~LoadedPicture() {
  if (bitmap) DeleteObject(bitmap);
}

bool LoadPicture(DriverContext* context, const WCHAR* picture, bool adjust, bool grey, LoadedPicture& out) {
  out.maskColour = RGB(204, 0, 51);
  const auto value = reinterpret_cast<ULONG_PTR>(picture);
  if (value < 0x10000) {
    if (value == 0) {
      // The held bitmap is taken: the painter owns it from here.
      PicturePaintState* ps = context && context->work ? &context->work->paint : nullptr;
      if (!ps || !ps->heldBitmap) return false;
      out.bitmap = reinterpret_cast<HBITMAP>(ps->heldBitmap);
      ps->heldBitmap = nullptr;
      Measure(out);
      return true;
    }
    return LoadResourcePicture(context, static_cast<DWORD>(value), adjust, grey, out);
  }
  if (picture[0] && picture[1] == u':') {
    int w = 0, h = 0;
    out.bitmap = LoadDibFile(picture, &w, &h);
    out.file = true;
    Measure(out);
    return out.bitmap != nullptr;
  }
  out.bitmap = LoadNeutralBitmap(context, picture);
  Measure(out);
  return out.bitmap != nullptr;
}

HBITMAP MakePictureMask(HDC pictureDc, const LoadedPicture& picture, bool inverse) {
  HDC dc = CreateCompatibleDC(pictureDc);
  HBITMAP mask = CreateCompatibleBitmap(pictureDc, picture.width, picture.height);
  if (!dc || !mask) {
    if (dc) DeleteDC(dc);
    if (mask) DeleteObject(mask);
    return nullptr;
  }
  HGDIOBJ old = SelectObject(dc, mask);
  const COLORREF see = inverse ? RGB(255, 255, 255) : RGB(0, 0, 0);
  const COLORREF solid = inverse ? RGB(0, 0, 0) : RGB(255, 255, 255);
  for (int y = 0; y < picture.height; ++y)
    for (int x = 0; x < picture.width; ++x)
      SetPixel(dc, x, y, GetPixel(pictureDc, x, y) == picture.maskColour ? see : solid);
  SelectObject(dc, old);
  DeleteDC(dc);
  return mask;
}

bool DrawTabPageBackground(PageRecord* page, ControlRecord* control, HDC dc, SIZE size, POINT origin, BOOL noTheme,
                           COLORREF background) {
  if (noTheme || !page || !page->window || page->openFlag) return false;
  if (background != GetSysColor(COLOR_BTNFACE) || GetCommonControlsVersion() < 600) return false;
  HMODULE theme = LoadLibraryW(u"UxTheme.dll");
  if (!theme) return false;
  auto open = reinterpret_cast<HANDLE (*)(HWND, LPCWSTR)>(reinterpret_cast<void (*)()>(GetProcAddress(theme, "OpenThemeData")));
  auto draw = reinterpret_cast<HRESULT (*)(HANDLE, HDC, int, int, const RECT*, const RECT*)>(
      reinterpret_cast<void (*)()>(GetProcAddress(theme, "DrawThemeBackground")));
  auto close = reinterpret_cast<HRESULT (*)(HANDLE)>(reinterpret_cast<void (*)()>(GetProcAddress(theme, "CloseThemeData")));
  auto active = reinterpret_cast<BOOL (*)()>(reinterpret_cast<void (*)()>(GetProcAddress(theme, "IsThemeActive")));
  bool drawn = false;
  if (open && draw && close && active && active() == 1) {
    if (HANDLE data = open(page->window, u"Tab")) {
      // The page's client area in the composition's coordinates, limited to the control.
      RECT pageArea{};
      GetClientRect(page->window, &pageArea);
      HWND controlWindow = control ? control->window : nullptr;
      if (controlWindow) MapWindowPoints(page->window, controlWindow, reinterpret_cast<POINT*>(&pageArea), 2);
      OffsetRect(&pageArea, -origin.x, -origin.y);
      RECT clip{0, 0, size.cx, size.cy};
      if (controlWindow) {
        GetClientRect(controlWindow, &clip);
        OffsetRect(&clip, -origin.x, -origin.y);
      }
      drawn = draw(data, dc, TABP_PANE, 0, &pageArea, &clip) >= 0;
      close(data);
    }
  }
  FreeLibrary(theme);
  return drawn;
}
