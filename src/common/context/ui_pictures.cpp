#include "context/ui_pictures.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "fields/locale_text.h"
#include "context/ui_picture_paint.h"
#include "base/ui_strings.h"
#include "win/files.h"
#include "win/kernel.h"
#include "win/loader.h"
#include "win/paint.h"
#include "win/prsht.h"
#include "win/resources.h"

namespace {

constexpr PictureRange kRanges[] = {
    {8213, 10000, 1}, {6001, 6228, 0}, {6239, 6400, 0}, {7955, 7972, 0}, {7983, 7999, 0}, {8101, 8169, 0},
    {8184, 8212, 0},  {6229, 6238, 1}, {6401, 7954, 1}, {7973, 7982, 1}, {8000, 8100, 1}, {8170, 8183, 1},
    {0, 0, 0},
};

constexpr DWORD kReadSize = 16384;
constexpr std::uint32_t kFileHeader = 14;
constexpr std::uint32_t kInfoHeader = 40;
constexpr LONG kMaxSide = 32768;


}  // namespace

const PictureRange* GetPictureRangeTable() { return kRanges; }

HMODULE PictureModule(DriverContext* context, DWORD pictureId) {
  for (const PictureRange* r = kRanges; r->first || r->last; ++r) {
    if (static_cast<std::int32_t>(pictureId) < r->first || static_cast<std::int32_t>(pictureId) > r->last) continue;
    HMODULE m = r->neutral ? GetNeutralResourceModule(context) : GetUiResourceModule(context);
    if (m) return m;
  }
  return nullptr;
}

void DrawIconAt(DriverContext* context, HDC dc, int x, int y, DWORD iconId) {
  HMODULE m = GetUiResourceModule(context);
  if (!m || !dc) return;
  HICON icon = LoadIconW(m, MAKEINTRESOURCEW(static_cast<WORD>(iconId)));
  if (icon) DrawIcon(dc, x, y, icon);
}

void DrawValueIcon(DriverContext* context, HWND window, DWORD iconId) {
  if (!window) return;
  HDC dc = GetDC(window);
  if (!dc) return;
  DrawIconAt(context, dc, 0, 0, iconId);
  ReleaseDC(window, dc);
}

HBITMAP LoadPictureBitmap(DriverContext* context, DWORD pictureId) {
  HMODULE m = PictureModule(context, pictureId);
  return m ? LoadBitmapW(m, MAKEINTRESOURCEW(static_cast<WORD>(pictureId))) : nullptr;
}

HBITMAP LoadNeutralBitmap(DriverContext* context, const WCHAR* name) {
  HMODULE m = GetNeutralResourceModule(context);
  return m && name ? LoadBitmapW(m, name) : nullptr;
}

const void* FindPictureResource(DriverContext* context, DWORD pictureId, DWORD* size) {
  if (size) *size = 0;
  HMODULE m = PictureModule(context, pictureId);
  if (!m) return nullptr;
  HRSRC r = FindResourceW(m, MAKEINTRESOURCEW(static_cast<WORD>(pictureId)), RT_BITMAP);
  if (!r) return nullptr;
  if (size) *size = SizeofResource(m, r);
  return LockResource(LoadResource(m, r));
}

BOOL ReadFileBlocks(HANDLE file, HGLOBAL block, DWORD bytes) {
  auto* p = static_cast<BYTE*>(GlobalLock(block));
  if (!p) return FALSE;
  BOOL ok = TRUE;
  for (DWORD done = 0; ok && done < bytes;) {
    const DWORD n = std::min(kReadSize, bytes - done);
    DWORD got = 0;
    ok = ReadFile(file, p + done, n, &got, nullptr) && got == n;
    done += got;
  }
  GlobalUnlock(block);
  return ok;
}

HBITMAP LoadDibFile(const WCHAR* path, int* width, int* height) {
  if (width) *width = 0;
  if (height) *height = 0;
  HANDLE file = INVALID_HANDLE_VALUE;
  if (!OpenBitmapFile(path, &file)) return nullptr;
  struct Close {
    HANDLE h;
    ~Close() { CloseHandle(h); }
  } close{file};
  const std::uint64_t fileSize = GetFileSize(file, nullptr);
  BYTE info[kInfoHeader] = {};
  DWORD got = 0;
  SetFilePointer(file, kFileHeader, nullptr, FILE_BEGIN);
  if (!ReadFile(file, info, kInfoHeader, &got, nullptr) || got != kInfoHeader) return nullptr;
  BITMAPINFOHEADER h;
  std::memcpy(&h, info, sizeof h);
  const WORD bits = h.biBitCount;
  // Every number of the header is checked against the file before anything is read.
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return nullptr;
  if (h.biCompression != BI_RGB) return nullptr;
  if (h.biWidth <= 0 || h.biWidth > kMaxSide || h.biHeight == 0 || h.biHeight > kMaxSide || h.biHeight < -kMaxSide)
    return nullptr;
  const std::uint32_t headerSize = bits > 8 ? kInfoHeader : kInfoHeader + 4u * (1u << bits);
  const std::uint64_t rowSize = (static_cast<std::uint64_t>(bits) * h.biWidth + 31) / 32 * 4;
  const std::uint64_t rows = static_cast<std::uint64_t>(h.biHeight < 0 ? -static_cast<std::int64_t>(h.biHeight) : h.biHeight);
  const std::uint64_t imageSize = rowSize * rows;
  if (kFileHeader + headerSize + imageSize > fileSize) return nullptr;
  if (width) *width = h.biWidth;
  if (height) *height = h.biHeight;
  std::vector<BYTE> header(headerSize);
  SetFilePointer(file, kFileHeader, nullptr, FILE_BEGIN);
  if (!ReadFile(file, header.data(), headerSize, &got, nullptr) || got != headerSize) return nullptr;
  auto* bmi = reinterpret_cast<BITMAPINFO*>(header.data());
  bmi->bmiHeader.biSizeImage = static_cast<DWORD>(imageSize);
  // The rows follow the colour table, whatever the file header's data offset says.
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, static_cast<SIZE_T>(imageSize));
  if (!block) return nullptr;
  HBITMAP bitmap = nullptr;
  if (ReadFileBlocks(file, block, static_cast<DWORD>(imageSize))) {
    HDC display = CreateDCW(u"DISPLAY", nullptr, nullptr, nullptr);
    if (display) {
      const void* pixels = GlobalLock(block);
      bitmap = CreateDIBitmap(display, &bmi->bmiHeader, CBM_INIT, pixels, bmi, DIB_RGB_COLORS);
      GlobalUnlock(block);
      DeleteDC(display);
    }
  }
  GlobalFree(block);
  return bitmap;
}

DWORD AdjustPictureColor(DriverContext* context, DWORD color, BOOL grey) {
  const PicturePaintState* ps = GetPaintState(context);
  if (!ps) return color;
  int b[6];
  bool unchanged = true;
  for (int i = 0; i < 6; ++i) {
    b[i] = ps->adjust[i];
    unchanged = unchanged && b[i] == 50;
  }
  if (unchanged) return color;
  int r = GetRValue(color), g = GetGValue(color), bl = GetBValue(color);
  int y = (30 * r + 59 * g + 11 * bl) / 100;
  if (b[0] != 50 || b[2] != 50) {
    int cr = r - y, cb = bl - y;
    if (b[0] != 50) {
      const int k = (3 * b[0] - 150) / 2;
      y = y > 128 ? ((128 - k) * y + 255 * k) / 128 : y * (k + 128) / 128;
    }
    if (b[2] != 50) {
      const int s = (3 * b[2] - 150) / 2;
      for (int* c : {&cr, &cb}) *c = *c <= 128 ? *c * (s + 128) / 128 : ((128 - s) * *c + 255 * s) / 128;
    }
    r = std::max(0, y + cr);
    g = std::max(0, y - 30 * cr / 59 - 11 * cb / 59);
    bl = std::max(0, y + cb);
  }
  if (grey) {
    r = g = bl = y;
  } else {
    r += b[3] - 50;
    g += b[4] - 50;
    bl += b[5] - 50;
  }
  if (b[1] != 50) {
    const int t = b[1] + 50, m = 2 * b[1] + 156;
    for (int* x : {&r, &g, &bl}) *x = m * *x / 256 - t + 100;
  }
  auto clamp = [](int v) { return static_cast<BYTE>(std::clamp(v, 0, 255)); };
  return RGB(clamp(r), clamp(g), clamp(bl));
}

DWORD GetCommonControlsVersion() {
  HMODULE m = LoadLibraryW(u"comctl32.dll");
  if (!m) return 0;
  DWORD version = 0;
  auto get = reinterpret_cast<DLLGETVERSIONPROC>(reinterpret_cast<void (*)()>(GetProcAddress(m, "DllGetVersion")));
  DLLVERSIONINFO info{sizeof info, 0, 0, 0, 0};
  if (get && get(&info) == 0) version = info.dwMajorVersion * 100 + info.dwMinorVersion;
  FreeLibrary(m);
  return version;
}
