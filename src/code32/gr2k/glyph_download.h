// Downloaded glyphs: text whose glyphs go to the printer as 1-bit bitmaps, either defined
// once (0x54) and placed as a string (0x55), or placed one by one (0x53 kept by the
// printer, 0x57 not kept). The glyph cache keeps a glyph from being sent twice on a page.
#pragma once

#include <cstdint>

#include "text_records.h"
#include "win/winddi.h"

namespace rendara {

struct RenderDevice;

// A glyph bitmap ready for a record: compressed when that is smaller than the raw rows.
struct PreparedGlyph {
  BYTE* buffer;       // paddedLength bytes from the allocation list
  DWORD byteCount;    // bytes before padding
  DWORD paddedLength; // byteCount rounded up to 4
  BYTE encoding;      // GLYPH_PLAIN or GLYPH_RUN_LENGTH
};
// FALSE when the buffer cannot be had (or the bitmap is too large to be sent).
BOOL PrepareGlyph(RenderDevice* device, const GLYPHBITS* bits, PreparedGlyph* out);
void FreePreparedGlyph(RenderDevice* device, PreparedGlyph* glyph);

// The choice of way: uncached images for EUDC fonts and mirrored text, images for rotated
// or vertical text, otherwise definitions and positions.
BOOL DownloadText(RenderDevice* device, FONTOBJ* font, STROBJ* string, std::int64_t ascent,
                  const FontDescription& description);
BOOL WriteGlyphImages(RenderDevice* device, FONTOBJ* font, STROBJ* string, std::int64_t ascent, WORD escapement,
                      bool caching);
BOOL WriteGlyphDefinitions(RenderDevice* device, FONTOBJ* font, STROBJ* string);
BOOL WriteGlyphPositions(RenderDevice* device, FONTOBJ* font, STROBJ* string, std::int64_t ascent, WORD escapement);

}  // namespace rendara
