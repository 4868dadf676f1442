// The text records of the drawing-record stream: the font selections (0x50 for device-font
// and outline text, 0x56 for downloaded glyphs), the character box and outline (0x51), the run of printer-resident characters
// (0x52), the placed glyph bitmap (0x53 kept by the printer, 0x57 not kept), the glyph
// definition of a downloaded font (0x54) and the placement of defined glyphs (0x55).
//
// Every record is a whole number of 4-byte words, little-endian, reserved bytes and padding
// 0. Each encoder asks the record buffer for exactly its room and returns the record, or
// null when no room could be had or the values cannot be encoded; nothing is written then.
#pragma once

#include <cstdint>

#include "record_buffer.h"
#include "win/types.h"
#include "win/winddi.h"

namespace rendara {

constexpr BYTE kOpFont = 0x50;
constexpr BYTE kOpTextBox = 0x51;
constexpr BYTE kOpGlyphRun = 0x52;
constexpr BYTE kOpGlyphImageKept = 0x53;
constexpr BYTE kOpGlyphData = 0x54;
constexpr BYTE kOpGlyphPositions = 0x55;
constexpr BYTE kOpDownloadFont = 0x56;
constexpr BYTE kOpGlyphImage = 0x57;

constexpr DWORD kFontHeaderLength = 24;
constexpr DWORD kDownloadFontHeaderLength = 32;
constexpr DWORD kFaceNameMax = 256;  // bytes of 8-bit text, without the NUL

// Font flags of the font records.
constexpr WORD FONTREC_ITALIC = 0x0001;
constexpr WORD FONTREC_BOLD = 0x0002;
constexpr WORD FONTREC_RESIDENT = 0x0008;
constexpr WORD FONTREC_GLYPH_INDEXES = 0x0010;
constexpr WORD FONTREC_BOLD_TOO = 0x0020;
constexpr WORD FONTREC_VERTICAL = 0x0080;
constexpr WORD FONTREC_OUTLINES = 0x0200;
constexpr WORD FONTREC_NOT_RESIDENT = 0x2000;

// Font modes of a text call.
constexpr int FONTMODE_RESIDENT = 2;
constexpr int FONTMODE_OUTLINES = 4;
constexpr int FONTMODE_DOWNLOAD = 5;

// The font of a text call as the font records take it. Names are 8-bit text, NUL-ended.
struct FontDescription {
  bool italic;    // the engine simulates italic
  bool bold;      // the engine simulates bold
  int mode;       // FONTMODE_*
  bool vertical;  // the string is laid out vertically
  BYTE charSet;
  BYTE pitchAndFamily;
  WORD weight;
  WORD escapement;  // whole degrees, 0 to 359
  WORD height;      // device pixels
  WORD width;       // device pixels
  char familyName[kFaceNameMax + 1];
  char faceName[kFaceNameMax + 1];
  WORD internalLeading;
  WCHAR defaultChar;
  std::uintptr_t fontIdentity;
  DWORD glyphIndexFlag;  // 3 when the string holds glyph indexes, else 2
};

// The font flags of a description.
WORD FontRecordFlags(const FontDescription& font);
// 0x50: the font selection for device-font and outline text. Its length is 24 + k + 4
// rounded down to 4, k the face name's length rounded up to even; the name is followed by
// a NUL and zeros.
BYTE* EmitFont(RecordBuffer* buffer, const FontDescription& font);
// 0x56: the font selection for downloaded glyphs; the name at 32 behind 8 zero bytes.
BYTE* EmitDownloadFont(RecordBuffer* buffer, const FontDescription& font);

constexpr DWORD kTextBoxLength = 36;
constexpr DWORD kGlyphRunHeaderLength = 36;
constexpr DWORD kGlyphImageHeaderLength = 64;
constexpr DWORD kGlyphDataHeaderLength = 28;
constexpr DWORD kGlyphPositionsHeaderLength = 36;

constexpr BYTE TEXTBOX_OUTLINE = 1;         // byte 2 of 0x51: the outline follows
constexpr BYTE GLYPHRUN_PER_CHARACTER = 0x80;  // byte 2 of 0x52: one advance per character
constexpr BYTE GLYPH_INDEXES = 0x04;        // glyph-index text
constexpr BYTE GLYPH_CHARACTERS = 0x08;     // character text
constexpr BYTE GLYPH_FROM_CACHE = 0x40;     // 0x53/0x57: from the first cached glyph on
constexpr BYTE GLYPH_PLAIN = 0;             // bitmap encodings
constexpr BYTE GLYPH_RUN_LENGTH = 2;

// One entry of a 0x55 record: the offset of this glyph bitmap's top-left corner from the
// previous one, and the character.
#pragma pack(push, 1)
struct GlyphPosition {
  std::int16_t dx;
  std::int16_t dy;
  WCHAR character;
};
#pragma pack(pop)
static_assert(sizeof(GlyphPosition) == 6, "a glyph position entry is 6 bytes");

// 0x51, the 36-byte form: the character's box, its position and the character.
BYTE* EmitTextBox(RecordBuffer* buffer, const RECTL& box, LONG x, LONG y, WCHAR character);
// 0x51 with the character's outline (a size word and subpaths as in the path record, 28.4
// points relative to the outline's top-left) behind it; length (outline + 39) & ~3.
BYTE* EmitTextOutline(RecordBuffer* buffer, const RECTL& box, LONG x, LONG y, WCHAR character, const BYTE* outline,
                      DWORD outlineLength);
// 0x52: count characters (1 to 65535) and one common advance (advanceCount 1) or one per
// character (advanceCount == count).
BYTE* EmitGlyphRun(RecordBuffer* buffer, const RECTL& background, LONG x, LONG y, const WCHAR* characters,
                   const std::int16_t* advances, DWORD count, DWORD advanceCount);
// 0x53 (kept) or 0x57: a placed glyph; without a bitmap (null or byteCount 0) the record is
// 64 bytes with bitmap offset 0 and byte count 0. paddedLength is byteCount rounded up to 4.
BYTE* EmitGlyphImage(RecordBuffer* buffer, BOOL kept, const RECTL& glyphBox, BYTE flags, WCHAR character,
                     LONG cellX, LONG cellY, LONG left, LONG top, DWORD width, DWORD height, const BYTE* bitmap,
                     DWORD paddedLength, DWORD byteCount, BYTE encoding);
// 0x54: a glyph definition; fails, writing nothing, when the bitmap is empty.
BYTE* EmitGlyphData(RecordBuffer* buffer, BYTE flags, WCHAR character, DWORD width, DWORD height, const BYTE* bitmap,
                    DWORD paddedLength, DWORD byteCount, WORD encoding);
// 0x55: the placement of count glyphs defined by 0x54 records.
BYTE* EmitGlyphPositions(RecordBuffer* buffer, const RECTL& background, BYTE flags, LONG x, LONG y,
                         const GlyphPosition* entries, DWORD count);

}  // namespace rendara
