// The four device-font descriptions (resource type 258, ids 1 to 4) compiled into Rendara:
// Mincho and Gothic, each horizontal and vertical ("@"). Each image, little-endian:
//   0    u32  total size of the resource
//   4    u32  offset of the IFIMETRICS (592)
//   572  u32  offset of the glyph-set name (8-bit, NUL-ended)
//   592       IFIMETRICS with its names (UTF-16), its font simulations, then the glyph-set
//             name; everything else 0.
#pragma once

#include "win/types.h"

namespace rendara {

constexpr int kDeviceFontResourceType = 258;
constexpr int kDeviceFontCount = 4;
constexpr DWORD kFontMetricsOffset = 592;
constexpr DWORD kGlyphSetNameSlot = 572;

struct DeviceFontImage {
  const BYTE* data;
  ULONG size;
};

// The image of resource id (1 to 4); data null for any other id.
DeviceFontImage DeviceFontResource(int id);

// Registers the compiled-in resources (device fonts and glyph sets) of a module, so that
// EngFindResource finds them; and forgets them again.
bool RegisterFontResources(HMODULE module);
void UnregisterFontResources(HMODULE module);

}  // namespace rendara
