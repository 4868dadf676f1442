// Text output on the vector surface: the font of a text call, its sizes from the font
// transform, the routing between printer-resident characters, character outlines and
// downloaded glyph bitmaps, and the character records of the first two.
#pragma once

#include <cstdint>

#include "text_records.h"
#include "win/winddi.h"

namespace rendara {

struct RenderDevice;

// The sizes of a realized font in device pixels (Hypot of the transformed em, ascender
// and descender).
struct FontSizes {
  std::int64_t width;
  std::int64_t height;
  std::int64_t ascent;
  std::int64_t descent;
  std::int64_t internalLeading;  // ascent + descent - height, not below 0
};
FontSizes FontSizesOf(const XFORML& transform, const IFIMETRICS& metrics);

// The escapement of a font transform in whole degrees, 0 to 359.
WORD EscapementOfTransform(const XFORML& transform);
// ScaleTrunc(eM11, 5000) and ScaleTrunc(eM22, 5000) are non-zero and of opposite signs.
bool IsMirrored(const XFORML& transform);

// The glyphs of a string with their positions, collected from the string's own array or by
// enumeration, in the device's allocation list.
struct GlyphList {
  GLYPHPOS* items;
  ULONG count;
};
// FALSE (ERROR_NOT_ENOUGH_MEMORY) when the array cannot be had.
BOOL CollectGlyphs(RenderDevice* device, STROBJ* string, GlyphList* out);
void FreeGlyphs(RenderDevice* device, GlyphList* list);
// The character the string holds for glyph i: its UTF-16 code (or glyph index), or the
// glyph handle when the string carries no text.
WCHAR CharacterOf(const STROBJ* string, ULONG i, const GLYPHPOS& glyph);
// The position glyph i is drawn at: with default placement and a character increment the
// first glyph's position plus i increments (along x for horizontal strings, else along y),
// else its own.
POINTL PlacedPosition(const STROBJ* string, const GlyphList& glyphs, ULONG i);

// The font-record steps of a text call. Each fills the description and writes the font
// record when the font state does not already hold this font; FALSE when the record could
// not be written.
BOOL SetDeviceTextFont(RenderDevice* device, STROBJ* string, FONTOBJ* font, const FontSizes& sizes,
                       FontDescription* out);
BOOL SetDownloadTextFont(RenderDevice* device, STROBJ* string, FONTOBJ* font, const FontSizes& sizes,
                         FontDescription* out);
// Printer-resident characters: one run record (fixed pitch, or positions along a line), or
// one character box per character.
BOOL WriteDeviceText(RenderDevice* device, STROBJ* string, const FontDescription& font, const FontSizes& sizes);
// Character outlines: one character record with its outline per glyph.
BOOL WriteOutlineText(RenderDevice* device, STROBJ* string, FONTOBJ* font);

}  // namespace rendara
