// Engine surfaces, palettes and devices: EngCreateBitmap, EngCreateDeviceSurface,
// EngAssociateSurface, EngMarkBandingSurface, EngDeleteSurface, EngLockSurface,
// EngUnlockSurface, EngEraseSurface, EngCreatePalette, EngDeletePalette.
#include <cstring>
#include <map>

#include "gdi_internal.h"
#include "plat/engine.h"
#include "win/errors.h"

namespace plat::gdi {
namespace {

// Bits of more than this many bytes are refused as out of memory: a page band or a work
// surface never comes near it, a bad size from a caller does.
constexpr std::uint64_t kMaxBitmapBytes = 1ull << 30;

struct SurfaceEntry {
  std::unique_ptr<Surface> surface;
  bool deleted = false;  // deleted while locked: freed at the last unlock
};

struct Tables {
  std::uintptr_t next = 0x5000;
  std::map<std::uintptr_t, SurfaceEntry> surfaces;
  std::map<std::uintptr_t, std::unique_ptr<Palette>> palettes;
  std::map<std::uintptr_t, std::unique_ptr<EngineDevice>> devices;
  std::uintptr_t NewId() {
    next += 0x10;
    return next;
  }
};

Tables& T() {
  static Tables* tables = new Tables;  // lives to process end: drivers may call at unload
  return *tables;
}

std::uintptr_t Key(const void* h) { return reinterpret_cast<std::uintptr_t>(h); }

HSURF AddSurface(std::unique_ptr<Surface> s) {
  const std::uintptr_t id = T().NewId();
  s->so.hsurf = reinterpret_cast<HSURF>(id);
  s->so.iUniq = static_cast<ULONG>(id);
  T().surfaces[id] = SurfaceEntry{std::move(s), false};
  return reinterpret_cast<HSURF>(id);
}

void StorePixel(BYTE* row, ULONG bpp, LONG x, ULONG color) {
  switch (bpp) {
    case 1: {
      const BYTE mask = static_cast<BYTE>(0x80u >> (x & 7));
      if (color & 1) row[x >> 3] |= mask;
      else row[x >> 3] &= static_cast<BYTE>(~mask);
      break;
    }
    case 4: {
      BYTE& b = row[x >> 1];
      if (x & 1) b = static_cast<BYTE>((b & 0xF0) | (color & 0x0F));
      else b = static_cast<BYTE>((b & 0x0F) | ((color & 0x0F) << 4));
      break;
    }
    default: {
      const ULONG bytes = bpp / 8;
      BYTE* p = row + static_cast<std::size_t>(x) * bytes;
      for (ULONG i = 0; i < bytes; ++i) p[i] = static_cast<BYTE>(color >> (8 * i));
    }
  }
}

}  // namespace

std::mutex& EngineLock() {
  static std::mutex* lock = new std::mutex;
  return *lock;
}

Surface* FindSurface(HSURF h) {
  auto it = T().surfaces.find(Key(h));
  if (it == T().surfaces.end() || it->second.deleted) return nullptr;
  return it->second.surface.get();
}

Surface* FindSurfaceObject(const SURFOBJ* so) {
  if (!so) return nullptr;
  for (auto& [id, entry] : T().surfaces)
    if (!entry.deleted && &entry.surface->so == so) return entry.surface.get();
  return nullptr;
}

Palette* FindPalette(HPALETTE h) {
  auto it = T().palettes.find(Key(h));
  return it == T().palettes.end() ? nullptr : it->second.get();
}

EngineDevice* FindDevice(HDEV h) {
  auto it = T().devices.find(Key(h));
  return it == T().devices.end() ? nullptr : it->second.get();
}

ULONG BitsPerPixel(ULONG format) {
  switch (format) {
    case BMF_1BPP: return 1;
    case BMF_4BPP: return 4;
    case BMF_8BPP: return 8;
    case BMF_16BPP: return 16;
    case BMF_24BPP: return 24;
    case BMF_32BPP: return 32;
    default: return 0;
  }
}

ULONG MinimumStride(ULONG format, LONG width) {
  const ULONG bpp = BitsPerPixel(format);
  if (bpp == 0 || width < 0) return 0;
  const std::uint64_t bits = static_cast<std::uint64_t>(width) * bpp;
  const std::uint64_t stride = ((bits + 31) / 32) * 4;
  return stride > 0x7FFFFFFF ? 0 : static_cast<ULONG>(stride);
}

PFN DeviceFunction(const EngineDevice& dev, ULONG index) {
  if (!dev.table || !dev.table->pdrvfn) return nullptr;
  for (ULONG i = 0; i < dev.table->c; ++i)
    if (dev.table->pdrvfn[i].iFunc == index) return dev.table->pdrvfn[i].pfn;
  return nullptr;
}

}  // namespace plat::gdi

using namespace plat::gdi;

namespace plat::engine {

HDEV CreateEngineDevice() {
  std::lock_guard<std::mutex> g(EngineLock());
  const std::uintptr_t id = T().NewId();
  T().devices[id] = std::make_unique<EngineDevice>();
  return reinterpret_cast<HDEV>(id);
}

bool BindEngineDevice(HDEV hdev, DHPDEV dhpdev, const DRVENABLEDATA* table) {
  std::lock_guard<std::mutex> g(EngineLock());
  EngineDevice* dev = FindDevice(hdev);
  if (!dev) {
    SetLastError(ERROR_INVALID_HANDLE);
    return false;
  }
  dev->dhpdev = dhpdev;
  dev->table = table;
  return true;
}

bool DeleteEngineDevice(HDEV hdev) {
  std::lock_guard<std::mutex> g(EngineLock());
  auto it = T().devices.find(Key(hdev));
  if (it == T().devices.end()) return false;
  for (auto& [id, entry] : T().surfaces) {
    if (entry.surface->hdev == hdev) {
      entry.surface->hdev = nullptr;
      entry.surface->so.hdev = nullptr;
      entry.surface->so.dhpdev = nullptr;
    }
  }
  T().devices.erase(it);
  return true;
}

bool QuerySurface(HSURF hsurf, SurfaceInfo& out) {
  std::lock_guard<std::mutex> g(EngineLock());
  Surface* s = FindSurface(hsurf);
  if (!s) return false;
  out.hdev = s->hdev;
  out.hooks = s->hooks;
  out.banding = s->banding;
  out.device = s->so.iType == STYPE_DEVICE;
  return true;
}

std::size_t LiveSurfaceCount() {
  std::lock_guard<std::mutex> g(EngineLock());
  return T().surfaces.size();
}

std::size_t LivePaletteCount() {
  std::lock_guard<std::mutex> g(EngineLock());
  return T().palettes.size();
}

}  // namespace plat::engine

extern "C" {

HBITMAP WINAPI EngCreateBitmap(SIZEL sizl, LONG lWidth, ULONG iFormat, FLONG fl, PVOID pvBits) {
  return NoThrow<HBITMAP>(nullptr, [&]() -> HBITMAP {
    const ULONG minStride = MinimumStride(iFormat, sizl.cx);
    if (sizl.cx <= 0 || sizl.cy <= 0 || minStride == 0 || lWidth < 0 ||
        (lWidth != 0 && static_cast<ULONG>(lWidth) < minStride)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
    const ULONG stride = lWidth != 0 ? static_cast<ULONG>(lWidth) : minStride;
    const std::uint64_t bytes = static_cast<std::uint64_t>(stride) * static_cast<std::uint64_t>(sizl.cy);
    if (bytes > kMaxBitmapBytes) {
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return nullptr;
    }
    auto s = std::make_unique<Surface>();
    BYTE* bits = static_cast<BYTE*>(pvBits);
    if (!bits) {
      try {
        s->ownBits.resize(static_cast<std::size_t>(bytes));
      } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
      }
      bits = s->ownBits.data();
      // The engine's bits are zero-filled unless asked not to be; the sanitizer build fills
      // them with a pattern then, so that an unwritten byte shows.
  #if defined(KOVA_SANITIZE)
      if (fl & BMF_NOZEROINIT) std::memset(bits, 0xCD, s->ownBits.size());
  #endif
    }
    SURFOBJ& so = s->so;
    so.sizlBitmap = sizl;
    so.cjBits = static_cast<ULONG>(bytes);
    so.pvBits = bits;
    so.iBitmapFormat = iFormat;
    so.iType = STYPE_BITMAP;
    so.fjBitmap = static_cast<USHORT>(fl & (BMF_TOPDOWN | BMF_NOZEROINIT | BMF_DONTCACHE | BMF_USERMEM));
    if (fl & BMF_TOPDOWN) {
      so.pvScan0 = bits;
      so.lDelta = static_cast<LONG>(stride);
    } else {
      so.pvScan0 = bits + static_cast<std::size_t>(stride) * static_cast<std::size_t>(sizl.cy - 1);
      so.lDelta = -static_cast<LONG>(stride);
    }
    std::lock_guard<std::mutex> g(EngineLock());
    return reinterpret_cast<HBITMAP>(AddSurface(std::move(s)));
  });
}

HSURF WINAPI EngCreateDeviceSurface(DHSURF dhsurf, SIZEL sizl, ULONG iFormatCompat) {
  return NoThrow<HSURF>(nullptr, [&]() -> HSURF {
    if (sizl.cx <= 0 || sizl.cy <= 0 || BitsPerPixel(iFormatCompat) == 0) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
    auto s = std::make_unique<Surface>();
    s->so.dhsurf = dhsurf;
    s->so.sizlBitmap = sizl;
    s->so.iBitmapFormat = iFormatCompat;
    s->so.iType = STYPE_DEVICE;
    std::lock_guard<std::mutex> g(EngineLock());
    return AddSurface(std::move(s));
  });
}

BOOL WINAPI EngAssociateSurface(HSURF hsurf, HDEV hdev, FLONG flHooks) {
  std::lock_guard<std::mutex> g(EngineLock());
  Surface* s = FindSurface(hsurf);
  EngineDevice* dev = FindDevice(hdev);
  if (!s || !dev) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (flHooks & ~HOOK_FLAGS) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  s->hdev = hdev;
  s->hooks = flHooks;
  s->so.hdev = hdev;
  s->so.dhpdev = dev->dhpdev;
  dev->surface = hsurf;
  dev->hooks = flHooks;
  return TRUE;
}

BOOL WINAPI EngMarkBandingSurface(HSURF hsurf) {
  std::lock_guard<std::mutex> g(EngineLock());
  Surface* s = FindSurface(hsurf);
  if (!s) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (s->so.iType != STYPE_BITMAP) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  s->banding = true;
  return TRUE;
}

BOOL WINAPI EngDeleteSurface(HSURF hsurf) {
  std::lock_guard<std::mutex> g(EngineLock());
  auto it = T().surfaces.find(Key(hsurf));
  if (it == T().surfaces.end() || it->second.deleted) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  for (auto& [id, dev] : T().devices)
    if (dev->surface == hsurf) dev->surface = nullptr;
  if (it->second.surface->locks > 0) it->second.deleted = true;
  else T().surfaces.erase(it);
  return TRUE;
}

SURFOBJ* WINAPI EngLockSurface(HSURF hsurf) {
  std::lock_guard<std::mutex> g(EngineLock());
  Surface* s = FindSurface(hsurf);
  if (!s) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  ++s->locks;
  return &s->so;
}

void WINAPI EngUnlockSurface(SURFOBJ* pso) {
  if (!pso) return;
  std::lock_guard<std::mutex> g(EngineLock());
  for (auto it = T().surfaces.begin(); it != T().surfaces.end(); ++it) {
    Surface* s = it->second.surface.get();
    if (&s->so != pso) continue;
    if (s->locks > 0) --s->locks;
    if (s->locks == 0 && it->second.deleted) T().surfaces.erase(it);
    return;
  }
}

BOOL WINAPI EngEraseSurface(SURFOBJ* pso, RECTL* prcl, ULONG iColor) {
  std::lock_guard<std::mutex> g(EngineLock());
  Surface* s = FindSurfaceObject(pso);
  if (!s || s->so.iType == STYPE_DEVICE || !s->so.pvScan0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  RECTL r{0, 0, pso->sizlBitmap.cx, pso->sizlBitmap.cy};
  if (prcl) {
    r.left = std::max(r.left, prcl->left);
    r.top = std::max(r.top, prcl->top);
    r.right = std::min(r.right, prcl->right);
    r.bottom = std::min(r.bottom, prcl->bottom);
  }
  const ULONG bpp = BitsPerPixel(pso->iBitmapFormat);
  for (LONG y = r.top; y < r.bottom; ++y) {
    BYTE* row = static_cast<BYTE*>(pso->pvScan0) + static_cast<std::ptrdiff_t>(y) * pso->lDelta;
    for (LONG x = r.left; x < r.right; ++x) StorePixel(row, bpp, x, iColor);
  }
  return TRUE;
}

HPALETTE WINAPI EngCreatePalette(ULONG iMode, ULONG cColors, ULONG* pulColors, FLONG flRed, FLONG flGreen,
                                 FLONG flBlue) {
  return NoThrow<HPALETTE>(nullptr, [&]() -> HPALETTE {
    auto p = std::make_unique<Palette>();
    p->mode = iMode;
    switch (iMode) {
      case PAL_INDEXED:
        // An indexed palette holds at most the 256 entries of an 8-bit format.
        if (cColors == 0 || cColors > 256 || !pulColors) {
          SetLastError(ERROR_INVALID_PARAMETER);
          return nullptr;
        }
        p->colors.assign(pulColors, pulColors + cColors);
        break;
      case PAL_BITFIELDS:
        if (flRed == 0 || flGreen == 0 || flBlue == 0) {
          SetLastError(ERROR_INVALID_PARAMETER);
          return nullptr;
        }
        p->red = flRed;
        p->green = flGreen;
        p->blue = flBlue;
        break;
      case PAL_RGB:
      case PAL_BGR:
      case PAL_CMYK:
        break;
      default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::lock_guard<std::mutex> g(EngineLock());
    const std::uintptr_t id = T().NewId();
    T().palettes[id] = std::move(p);
    return reinterpret_cast<HPALETTE>(id);
  });
}

BOOL WINAPI EngDeletePalette(HPALETTE hpal) {
  std::lock_guard<std::mutex> g(EngineLock());
  if (T().palettes.erase(Key(hpal)) == 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}

}  // extern "C"
