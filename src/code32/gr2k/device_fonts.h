// The printer-resident fonts a rendering device offers the graphics engine: the four
// device-font descriptions and the glyph sets they use, copied from the resources of
// Rendara when the device is enabled, and the measures the font queries answer from them.
#pragma once

#include "win/types.h"
#include "win/winddi.h"

namespace rendara {

struct RenderDevice;

constexpr DWORD kGlyphSetKinds = 6;  // five named sets and the end of the table
constexpr DWORD kGlyphSetKindCount = 4;  // kinds a font's glyph-set name can match

// One entry of the glyph-set table: the glyph-set name fonts give, its character set and
// the loaded glyph set (native FD_GLYPHSET layout), or null before it is needed.
struct GlyphSetSlot {
  const char* name;
  BYTE charSet;
  FD_GLYPHSET* loaded;
};

struct DeviceFontEntry {
  DWORD kind;  // index of the font's glyph set in the table
  BYTE* copy;  // the font resource, copied from the allocation list
  ULONG size;
};

struct DeviceFontList {
  DWORD count;  // 4
  HMODULE module;
  GlyphSetSlot sets[kGlyphSetKinds];
  DeviceFontEntry fonts[4];
};

// Builds the device-font list from the type-258 resources 1 to 4 of module: null when a
// resource is missing or malformed or memory runs out. *count is 4 with a list, else 0.
DeviceFontList* LoadDeviceFonts(RenderDevice* device, HMODULE module, DWORD* count);
// Frees each distinct loaded glyph set once, the font copies and the list; null is fine.
void FreeDeviceFonts(RenderDevice* device, DeviceFontList* list);

// The glyph-set kind of a glyph-set name: the first of the four named sets it equals,
// else 2.
DWORD GlyphSetKindOf(const char* glyphSetName);
// A type-260 resource copied into a native FD_GLYPHSET from the allocation list, each
// run's handle pointer set to its handles; null when the resource is missing, does not
// hold together or memory runs out.
FD_GLYPHSET* LoadGlyphSet(RenderDevice* device, HMODULE module, int id);
// The glyph set of a face (1 to count), loaded on first use; null for a bad face.
FD_GLYPHSET* GlyphSetOfFace(RenderDevice* device, ULONG face);
// The IFIMETRICS of a face (1 to count), or null.
IFIMETRICS* MetricsOfFace(RenderDevice* device, ULONG face);
// The width of a glyph in font units: the average width for a single-byte code (below
// 256), 0x8640 and codes with the lead byte 0x85; the maximum increment otherwise.
LONG GlyphWidth(const IFIMETRICS* font, HGLYPH glyph);
// The glyph handle of a UTF-16 value in a glyph set, or HGLYPH_INVALID.
HGLYPH GlyphOfCharacter(const FD_GLYPHSET* set, WCHAR character);
// Whether a name is the family (and face) name of one of the four device fonts. The
// names are compared as UTF-16, so that no code-page conversion can make two names equal.
bool IsDeviceFontName(const WCHAR* name);

}  // namespace rendara
