// Inside the graphics engine stand-in: surfaces, palettes and engine devices, kept in
// tables of their own under one lock, addressed by handle.
#pragma once

#include <memory>
#include <mutex>
#include <vector>

#include "win/errors.h"
#include "win/winddi.h"

namespace plat::gdi {

// A surface: a bitmap with bits, or a device surface that the driver draws itself.
struct Surface {
  SURFOBJ so{};               // what EngLockSurface hands out
  std::vector<BYTE> ownBits;  // the engine's bits (empty for caller bits or device surfaces)
  bool banding = false;
  FLONG hooks = 0;
  HDEV hdev = nullptr;
  int locks = 0;
};

struct Palette {
  ULONG mode = 0;
  std::vector<ULONG> colors;
  FLONG red = 0, green = 0, blue = 0;
};

// The engine's device: the driver's device and table, and the surface associated with it.
struct EngineDevice {
  DHPDEV dhpdev = nullptr;
  const DRVENABLEDATA* table = nullptr;
  HSURF surface = nullptr;
  FLONG hooks = 0;
};

std::mutex& EngineLock();

// Lookups under EngineLock (the caller holds it). Null for an unknown handle.
Surface* FindSurface(HSURF h);
Surface* FindSurfaceObject(const SURFOBJ* so);
Palette* FindPalette(HPALETTE h);
EngineDevice* FindDevice(HDEV h);

// Bits per pixel of a bitmap format (0 for formats without plain bits).
ULONG BitsPerPixel(ULONG format);
// The smallest row size of a format, padded to 4 bytes; 0 when it does not fit a LONG.
ULONG MinimumStride(ULONG format, LONG width);

// A driver function of a device's table, or null.
PFN DeviceFunction(const EngineDevice& dev, ULONG index);

// Runs the body of an exported service so that no exception leaves it: an allocation
// failure answers `failed` with ERROR_NOT_ENOUGH_MEMORY.
template <class R, class F>
R NoThrow(R failed, F&& body) noexcept {
  try {
    return body();
  } catch (...) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return failed;
  }
}

}  // namespace plat::gdi
