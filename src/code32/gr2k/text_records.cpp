#include "text_records.h"

#include <cstring>

#include "page_records.h"

namespace rendara {
namespace {

// Opcode, the flag byte 2, the length, and the rectangle at 8: the common start of every
// record here. Bytes 1 and 3 are 0.
void PutStart(BYTE* r, BYTE op, BYTE flags, DWORD length, const RECTL& rect) {
  r[0] = op;
  r[1] = 0;
  r[2] = flags;
  r[3] = 0;
  PutU32(r + 4, length);
  PutU32(r + 8, static_cast<std::uint32_t>(rect.left));
  PutU32(r + 12, static_cast<std::uint32_t>(rect.top));
  PutU32(r + 16, static_cast<std::uint32_t>(rect.right));
  PutU32(r + 20, static_cast<std::uint32_t>(rect.bottom));
}

// The padded length of a bitmap: byteCount rounded up to 4, or 0 when it does not fit.
bool PaddedMatches(DWORD byteCount, DWORD paddedLength, DWORD header) {
  if (byteCount > 0xFFFFFFFFu - 3 - header) return false;
  return paddedLength == ((byteCount + 3) & ~3u);
}

BYTE* TextBox(RecordBuffer* buffer, const RECTL& box, LONG x, LONG y, WCHAR character, const BYTE* outline,
              DWORD outlineLength, BYTE kind) {
  if (outlineLength > 0xFFFFFFFFu - 39) return nullptr;
  const DWORD length = kind == TEXTBOX_OUTLINE ? (outlineLength + 39) & ~3u : kTextBoxLength;
  BYTE* r = AllocRecord(buffer, length);
  if (!r) return nullptr;
  PutStart(r, kOpTextBox, kind, length, box);
  PutU32(r + 24, static_cast<std::uint32_t>(x));
  PutU32(r + 28, static_cast<std::uint32_t>(y));
  PutU16(r + 32, character);
  PutU16(r + 34, 0);
  if (kind == TEXTBOX_OUTLINE) {
    std::memcpy(r + kTextBoxLength, outline, outlineLength);
    std::memset(r + kTextBoxLength + outlineLength, 0, length - kTextBoxLength - outlineLength);
  }
  return r;
}

// The common fields of the two font records; the header length is 24 or 32.
BYTE* FontRecord(RecordBuffer* buffer, const FontDescription& font, BYTE op, DWORD header) {
  if (!buffer) return nullptr;
  DWORD name = 0;
  while (name < kFaceNameMax && font.faceName[name]) ++name;
  const DWORD padded = (name + 1) & ~1u;
  const DWORD length = (header + padded + 4) & ~3u;
  BYTE* r = AllocRecord(buffer, length);
  if (!r) return nullptr;
  std::memset(r, 0, length);
  r[0] = op;
  if (op == kOpFont) {
    r[2] = font.charSet;
    r[3] = font.pitchAndFamily;
  } else {
    r[1] = font.charSet;
    r[2] = font.pitchAndFamily;
  }
  PutU16(r + 4, FontRecordFlags(font));
  PutU16(r + 6, font.weight);
  PutU16(r + 8, font.escapement);
  PutU16(r + 10, font.width);
  PutU16(r + 12, font.height);
  PutU16(r + 14, static_cast<std::uint16_t>(length));
  PutU16(r + 20, font.internalLeading);
  PutU16(r + 22, font.defaultChar);
  std::memcpy(r + header, font.faceName, name);
  return r;
}

}  // namespace

WORD FontRecordFlags(const FontDescription& font) {
  WORD flags = 0;
  if (font.mode == FONTMODE_RESIDENT) flags |= FONTREC_RESIDENT;
  else flags |= FONTREC_NOT_RESIDENT;
  if (font.mode == FONTMODE_OUTLINES) flags |= FONTREC_OUTLINES;
  if (font.glyphIndexFlag == 3) flags |= FONTREC_GLYPH_INDEXES;
  if (font.italic) flags |= FONTREC_ITALIC;
  if (font.bold) flags |= FONTREC_BOLD | FONTREC_BOLD_TOO;
  if (font.vertical) flags |= FONTREC_VERTICAL;
  return flags;
}

BYTE* EmitFont(RecordBuffer* buffer, const FontDescription& font) {
  return FontRecord(buffer, font, kOpFont, kFontHeaderLength);
}

BYTE* EmitDownloadFont(RecordBuffer* buffer, const FontDescription& font) {
  return FontRecord(buffer, font, kOpDownloadFont, kDownloadFontHeaderLength);
}

BYTE* EmitTextBox(RecordBuffer* buffer, const RECTL& box, LONG x, LONG y, WCHAR character) {
  if (!buffer) return nullptr;
  return TextBox(buffer, box, x, y, character, nullptr, 0, 0);
}

BYTE* EmitTextOutline(RecordBuffer* buffer, const RECTL& box, LONG x, LONG y, WCHAR character, const BYTE* outline,
                      DWORD outlineLength) {
  if (!buffer || (outlineLength && !outline)) return nullptr;
  return TextBox(buffer, box, x, y, character, outline, outlineLength, TEXTBOX_OUTLINE);
}

BYTE* EmitGlyphRun(RecordBuffer* buffer, const RECTL& background, LONG x, LONG y, const WCHAR* characters,
                   const std::int16_t* advances, DWORD count, DWORD advanceCount) {
  if (!buffer || !characters || !advances || count == 0 || count > 0xFFFF) return nullptr;
  if (advanceCount != 1 && advanceCount != count) return nullptr;
  const DWORD length = (kGlyphRunHeaderLength + (advanceCount + count) * 2 + 3) & ~3u;
  BYTE* r = AllocRecord(buffer, length);
  if (!r) return nullptr;
  PutStart(r, kOpGlyphRun, advanceCount == count ? GLYPHRUN_PER_CHARACTER : 0, length, background);
  PutU32(r + 24, static_cast<std::uint32_t>(x));
  PutU32(r + 28, static_cast<std::uint32_t>(y));
  PutU16(r + 32, static_cast<std::uint16_t>(count));
  PutU16(r + 34, 0);
  BYTE* p = r + kGlyphRunHeaderLength;
  for (DWORD i = 0; i < advanceCount; ++i, p += 2) PutU16(p, static_cast<std::uint16_t>(advances[i]));
  for (DWORD i = 0; i < count; ++i, p += 2) PutU16(p, characters[i]);
  std::memset(p, 0, static_cast<std::size_t>(r + length - p));
  return r;
}

BYTE* EmitGlyphImage(RecordBuffer* buffer, BOOL kept, const RECTL& glyphBox, BYTE flags, WCHAR character,
                     LONG cellX, LONG cellY, LONG left, LONG top, DWORD width, DWORD height, const BYTE* bitmap,
                     DWORD paddedLength, DWORD byteCount, BYTE encoding) {
  if (!buffer) return nullptr;
  const bool withBitmap = bitmap && byteCount;
  if (withBitmap && !PaddedMatches(byteCount, paddedLength, kGlyphImageHeaderLength)) return nullptr;
  const DWORD padded = withBitmap ? paddedLength : 0;
  const DWORD length = kGlyphImageHeaderLength + padded;
  BYTE* r = AllocRecord(buffer, length);
  if (!r) return nullptr;
  PutStart(r, kept ? kOpGlyphImageKept : kOpGlyphImage, flags, length, glyphBox);
  PutU32(r + 24, static_cast<std::uint32_t>(cellX));
  PutU32(r + 28, static_cast<std::uint32_t>(cellY));
  PutU32(r + 32, withBitmap ? kGlyphImageHeaderLength : 0);
  PutU32(r + 36, static_cast<std::uint32_t>(left));
  PutU32(r + 40, static_cast<std::uint32_t>(top));
  PutU32(r + 44, width);
  PutU32(r + 48, height);
  PutU32(r + 52, withBitmap ? byteCount : 0);
  PutU32(r + 56, 0);
  PutU16(r + 60, character);
  r[62] = encoding;
  r[63] = 0;
  if (withBitmap) {
    std::memcpy(r + kGlyphImageHeaderLength, bitmap, byteCount);
    std::memset(r + kGlyphImageHeaderLength + byteCount, 0, padded - byteCount);
  }
  return r;
}

BYTE* EmitGlyphData(RecordBuffer* buffer, BYTE flags, WCHAR character, DWORD width, DWORD height, const BYTE* bitmap,
                    DWORD paddedLength, DWORD byteCount, WORD encoding) {
  if (!buffer || !bitmap || byteCount == 0) return nullptr;
  if (!PaddedMatches(byteCount, paddedLength, kGlyphDataHeaderLength)) return nullptr;
  const DWORD length = kGlyphDataHeaderLength + paddedLength;
  BYTE* r = AllocRecord(buffer, length);
  if (!r) return nullptr;
  r[0] = kOpGlyphData;
  r[1] = 0;
  r[2] = flags;
  r[3] = 0;
  PutU32(r + 4, length);
  PutU32(r + 8, byteCount);
  PutU32(r + 12, width);
  PutU32(r + 16, height);
  PutU32(r + 20, 0);
  PutU16(r + 24, character);
  PutU16(r + 26, encoding);
  std::memcpy(r + kGlyphDataHeaderLength, bitmap, byteCount);
  std::memset(r + kGlyphDataHeaderLength + byteCount, 0, paddedLength - byteCount);
  return r;
}

BYTE* EmitGlyphPositions(RecordBuffer* buffer, const RECTL& background, BYTE flags, LONG x, LONG y,
                         const GlyphPosition* entries, DWORD count) {
  if (!buffer || (count && !entries)) return nullptr;
  if (count > (0xFFFFFFFFu - kGlyphPositionsHeaderLength - 3) / sizeof(GlyphPosition)) return nullptr;
  const DWORD length = (kGlyphPositionsHeaderLength + count * static_cast<DWORD>(sizeof(GlyphPosition)) + 3) & ~3u;
  BYTE* r = AllocRecord(buffer, length);
  if (!r) return nullptr;
  PutStart(r, kOpGlyphPositions, flags, length, background);
  PutU32(r + 24, static_cast<std::uint32_t>(x));
  PutU32(r + 28, static_cast<std::uint32_t>(y));
  PutU32(r + 32, count);
  BYTE* p = r + kGlyphPositionsHeaderLength;
  for (DWORD i = 0; i < count; ++i, p += 6) {
    PutU16(p, static_cast<std::uint16_t>(entries[i].dx));
    PutU16(p + 2, static_cast<std::uint16_t>(entries[i].dy));
    PutU16(p + 4, entries[i].character);
  }
  std::memset(p, 0, static_cast<std::size_t>(r + length - p));
  return r;
}

}  // namespace rendara
