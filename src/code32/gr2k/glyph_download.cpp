#include "glyph_download.h"

#include <cstring>

#include "font_metrics.h"
#include "glyph_cache.h"
#include "glyph_compress.h"
#include "render_device.h"
#include "text_geometry.h"
#include "text_output.h"
#include "win/errors.h"

namespace rendara {

namespace {

// A glyph bitmap larger than this is not sent as a bitmap.
constexpr std::uint64_t kLargestGlyphBytes = 16u * 1024 * 1024;

BYTE FlagsOf(const STROBJ* string) {
  return (string->flAccel & SO_GLYPHINDEX_TEXTOUT) ? GLYPH_INDEXES : GLYPH_CHARACTERS;
}
BYTE IndexFlagOf(const STROBJ* string) { return (string->flAccel & SO_GLYPHINDEX_TEXTOUT) ? 3 : 2; }

const GLYPHBITS* BitsOf(FONTOBJ* font, HGLYPH hg) {
  GLYPHDATA* data = nullptr;
  if (FONTOBJ_cGetGlyphs(font, FO_GLYPHBITS, 1, &hg, reinterpret_cast<PVOID*>(&data)) != 1 || !data) return nullptr;
  const GLYPHBITS* bits = data->gdf.pgb;
  if (!bits || bits->sizlBitmap.cx < 0 || bits->sizlBitmap.cy < 0) return nullptr;
  return bits;
}

std::uint64_t RawBytes(const GLYPHBITS* bits) {
  return (static_cast<std::uint64_t>(bits->sizlBitmap.cx) + 7) / 8 * static_cast<std::uint64_t>(bits->sizlBitmap.cy);
}

bool IsEudcName(const char* name) { return std::strcmp(name, "EUDC") == 0 || std::strcmp(name, "@EUDC") == 0; }

bool FitsInt16(std::int64_t v) { return v >= -32768 && v <= 32767; }

}  // namespace

BOOL PrepareGlyph(RenderDevice* device, const GLYPHBITS* bits, PreparedGlyph* out) {
  std::memset(static_cast<void*>(out), 0, sizeof *out);
  const std::uint64_t n = RawBytes(bits);
  if (n > kLargestGlyphBytes) return FALSE;
  const DWORD raw = static_cast<DWORD>(n);
  const DWORD padded = (raw + 3) & ~3u;
  auto* buffer = static_cast<BYTE*>(DeviceAlloc(device->heap, padded ? padded : 4));
  if (!buffer) return FALSE;
  std::memset(buffer, 0, padded ? padded : 4);
  // The compressed form is used only when it is smaller than the raw rows it replaces.
  const DWORD c = raw ? CompressGlyph(bits->aj, raw, buffer, raw) : 0;
  if (c > 0 && c < raw) {
    std::memset(buffer + c, 0, padded - c);
    out->byteCount = c;
    out->paddedLength = (c + 3) & ~3u;
    out->encoding = GLYPH_RUN_LENGTH;
  } else {
    std::memcpy(buffer, bits->aj, raw);
    if (padded > raw) std::memset(buffer + raw, 0, padded - raw);
    out->byteCount = raw;
    out->paddedLength = padded;
    out->encoding = GLYPH_PLAIN;
  }
  out->buffer = buffer;
  return TRUE;
}

void FreePreparedGlyph(RenderDevice* device, PreparedGlyph* glyph) {
  if (glyph->buffer) DeviceFree(device->heap, glyph->buffer);
  glyph->buffer = nullptr;
}

BOOL DownloadText(RenderDevice* device, FONTOBJ* font, STROBJ* string, std::int64_t ascent,
                  const FontDescription& description) {
  const bool caching = !IsEudcName(description.familyName) && !IsEudcName(description.faceName) &&
                       !IsMirrored(FontTransform(font));
  if (!caching || description.escapement != 0 || (string->flAccel & SO_VERTICAL))
    return WriteGlyphImages(device, font, string, ascent, description.escapement, caching);
  return WriteGlyphPositions(device, font, string, ascent, description.escapement);
}

BOOL WriteGlyphImages(RenderDevice* device, FONTOBJ* font, STROBJ* string, std::int64_t ascent, WORD escapement,
                      bool caching) {
  GlyphList glyphs{};
  if (!CollectGlyphs(device, string, &glyphs)) return FALSE;
  BYTE flags = FlagsOf(string);
  const BYTE indexFlag = IndexFlagOf(string);
  const std::int64_t sinA = SinQ(escapement);
  const std::int64_t cosA = CosQ(escapement);
  BOOL answer = TRUE;
  for (ULONG i = 0; i < glyphs.count; ++i) {
    const GLYPHBITS* bits = BitsOf(font, glyphs.items[i].hg);
    if (!bits) continue;  // a glyph the engine refuses is skipped
    const POINTL at = PlacedPosition(string, glyphs, i);
    const LONG left = at.x + bits->ptlOrigin.x;
    const LONG top = at.y + bits->ptlOrigin.y;
    const RECTL box{left, top, left + bits->sizlBitmap.cx, top + bits->sizlBitmap.cy};
    const LONG cellX = static_cast<LONG>(at.x - ((ascent * sinA) >> 14));
    const LONG cellY = static_cast<LONG>(at.y - ((ascent * cosA) >> 14));
    const WCHAR character = CharacterOf(string, i, glyphs.items[i]);
    const DWORD identity = font->iUniq;
    const DWORD bucket = GlyphBucket(identity, device->glyphs.generation, character);
    if (caching && FindGlyph(device, bucket, identity, device->glyphs.generation, character, indexFlag)) {
      flags |= GLYPH_FROM_CACHE;
      if (!EmitGlyphImage(&device->records, TRUE, box, flags, character, cellX, cellY, box.left, box.top,
                          static_cast<DWORD>(bits->sizlBitmap.cx), static_cast<DWORD>(bits->sizlBitmap.cy), nullptr,
                          0, 0, GLYPH_PLAIN))
        answer = FALSE;
      continue;
    }
    PreparedGlyph prepared;
    if (!PrepareGlyph(device, bits, &prepared)) {
      ClearGlyphCache(device);
      if (!PrepareGlyph(device, bits, &prepared)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        answer = FALSE;
        break;
      }
    }
    const BYTE* record = EmitGlyphImage(&device->records, caching ? TRUE : FALSE, box, flags, character, cellX, cellY,
                                        box.left, box.top, static_cast<DWORD>(bits->sizlBitmap.cx),
                                        static_cast<DWORD>(bits->sizlBitmap.cy), prepared.buffer,
                                        prepared.paddedLength, prepared.byteCount, prepared.encoding);
    FreePreparedGlyph(device, &prepared);
    // A glyph whose record was not written is not entered: the next use sends it again.
    if (!record) {
      answer = FALSE;
      continue;
    }
    if (caching && !AddGlyph(device, GlyphBucket(identity, device->glyphs.generation, character), identity,
                             device->glyphs.generation, character, indexFlag))
      ClearGlyphCache(device);
  }
  FreeGlyphs(device, &glyphs);
  return answer;
}

BOOL WriteGlyphDefinitions(RenderDevice* device, FONTOBJ* font, STROBJ* string) {
  GlyphList glyphs{};
  if (!CollectGlyphs(device, string, &glyphs)) return FALSE;
  const BYTE flags = FlagsOf(string);
  const BYTE indexFlag = IndexFlagOf(string);
  const DWORD identity = font->iUniq;
  BOOL answer = TRUE;
  for (ULONG i = 0; i < glyphs.count && answer; ++i) {
    const GLYPHBITS* bits = BitsOf(font, glyphs.items[i].hg);
    if (!bits) continue;
    const WCHAR character = CharacterOf(string, i, glyphs.items[i]);
    const WORD generation = device->glyphs.generation;
    const DWORD bucket = GlyphBucket(identity, generation, character);
    if (FindGlyph(device, bucket, identity, generation, character, indexFlag)) continue;
    if (RawBytes(bits) == 0) continue;  // an empty bitmap defines nothing
    PreparedGlyph prepared;
    if (!PrepareGlyph(device, bits, &prepared)) {
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      answer = FALSE;
      break;
    }
    const BYTE* record = EmitGlyphData(&device->records, flags, character, static_cast<DWORD>(bits->sizlBitmap.cx),
                                       static_cast<DWORD>(bits->sizlBitmap.cy), prepared.buffer,
                                       prepared.paddedLength, prepared.byteCount, prepared.encoding);
    FreePreparedGlyph(device, &prepared);
    if (!record || !AddGlyph(device, bucket, identity, generation, character, indexFlag)) answer = FALSE;
  }
  FreeGlyphs(device, &glyphs);
  return answer;
}

BOOL WriteGlyphPositions(RenderDevice* device, FONTOBJ* font, STROBJ* string, std::int64_t ascent,
                         WORD escapement) {
  if (!WriteGlyphDefinitions(device, font, string)) {
    ClearGlyphCache(device);
    return WriteGlyphImages(device, font, string, ascent, escapement, false);
  }
  GlyphList glyphs{};
  if (!CollectGlyphs(device, string, &glyphs)) return FALSE;
  const std::size_t bytes = (static_cast<std::size_t>(glyphs.count) * sizeof(GlyphPosition) + 3) & ~std::size_t{3};
  auto* entries = static_cast<GlyphPosition*>(DeviceAlloc(device->heap, bytes ? bytes : 4));
  if (!entries) {
    FreeGlyphs(device, &glyphs);
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return FALSE;
  }
  const RECTL& background = string->rclBkGround;
  LONG runX = background.left;
  LONG runY = background.top;
  std::int64_t previousX = runX;
  std::int64_t previousY = runY;
  bool fits = true;
  for (ULONG i = 0; i < glyphs.count; ++i) {
    GlyphPosition& e = entries[i];
    e = GlyphPosition{0, 0, CharacterOf(string, i, glyphs.items[i])};
    const GLYPHBITS* bits = BitsOf(font, glyphs.items[i].hg);
    if (!bits) continue;
    const POINTL at = PlacedPosition(string, glyphs, i);
    const std::int64_t x = static_cast<std::int64_t>(at.x) + bits->ptlOrigin.x;
    const std::int64_t y = static_cast<std::int64_t>(at.y) + bits->ptlOrigin.y;
    if (i == 0) {
      runX = static_cast<LONG>(x);
      runY = static_cast<LONG>(y);
    } else {
      // Offsets live in 16-bit slots: one that does not fit is never wrapped.
      if (!FitsInt16(x - previousX) || !FitsInt16(y - previousY)) {
        fits = false;
        break;
      }
      e.dx = static_cast<std::int16_t>(x - previousX);
      e.dy = static_cast<std::int16_t>(y - previousY);
    }
    previousX = x;
    previousY = y;
  }
  BOOL answer;
  if (fits) {
    answer = EmitGlyphPositions(&device->records, background, FlagsOf(string), runX, runY, entries, glyphs.count)
                 ? TRUE
                 : FALSE;
  } else {
    // The glyphs are defined and cached: placed one by one, they go without bitmaps.
    answer = WriteGlyphImages(device, font, string, ascent, escapement, true);
  }
  DeviceFree(device->heap, entries);
  FreeGlyphs(device, &glyphs);
  return answer;
}

}  // namespace rendara
