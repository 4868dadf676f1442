// The image record (0x20) of the drawing-record stream: one image placed on the page.
//
// Layout: u8 0x20, u8 flags bits 16-23, u8 flags bits 0-7 (format nibble and flags), u8
// flags bits 8-15, u32 record length, the destination rectangle (x, y, x + width,
// y + height), i32 source x and y, u32 pixels per row, u32 rows, i32 destination x, y,
// width and height; then at offset 56 the palette (2, 16 or 256 entries of 3 bytes for the
// 1-, 4- and 8-bit formats, none for 24 bits or without a palette), then the pixel rows
// top row first, each (pixels x bits + 31) / 32 x 4 bytes, then zero padding to the record
// length. Behind a 6-byte palette the rows start at offset 62 and the record ends with 2
// zero bytes.
#pragma once

#include <cstdint>

#include "record_buffer.h"
#include "win/types.h"

namespace rendara {

constexpr BYTE kOpImage = 0x20;
constexpr DWORD kImageRecordHeaderLength = 56;

// Image flag bits beyond the format nibble and those of image_transfer.h.
constexpr DWORD IMAGE_FORMAT_MASK = 0x0F;
constexpr DWORD IMAGE_GREY = 0x10;    // 8-bit grey levels converted from 24 bits
constexpr DWORD IMAGE_BANDS = 0x400;  // the device renders in bands

// Rows of the image data go out in pieces of at most this many bytes (or one row).
constexpr DWORD kImagePieceBytes = 0x100000;

// Bytes of one row of pixelsPerRow pixels in the format nibble's depth (1, 4, 8 or 24
// bits), or 0 when it does not fit in 32 bits.
DWORD ImageRowLength(DWORD format, DWORD pixelsPerRow);

// Writes an image record: the destination rectangle (x, y, width, height), the source
// origin, the pixels per row and rows that follow, the image flags (format nibble and
// flags), the first row of the source (the top row on the page), the palette (2, 16 or 256
// entries of 3 bytes by the format, or null) and whether the source is bottom-up (rows step
// backward through memory). In one piece when the device asks for it, else the header and
// palette first and the rows in pieces; 24-bit images of a monochrome device become 8-bit
// grey. The record (its header, valid until the buffer is next flushed: a flush may fall
// between the pieces), or null when it could not be written. Nothing of a failed record is
// left in the buffer; when a part of it has already gone out, the device's output is failed.
BYTE* EmitImage(RecordBuffer* buffer, LONG x, LONG y, LONG width, LONG height, LONG sourceX, LONG sourceY,
                DWORD pixelsPerRow, DWORD rows, DWORD flags, const BYTE* firstRow, const BYTE* palette,
                BOOL bottomUp);
// The row-by-row form, written when EmitImage returns null: the same header and palette
// without the band flag, then every row as a request of its own; no grey conversion.
BYTE* EmitImageRows(RecordBuffer* buffer, LONG x, LONG y, LONG width, LONG height, LONG sourceX, LONG sourceY,
                    DWORD pixelsPerRow, DWORD rows, DWORD flags, const BYTE* firstRow, const BYTE* palette,
                    BOOL bottomUp);

}  // namespace rendara
