#include "image_records.h"

#include <cstring>

#include "device_heap.h"
#include "image_transfer.h"
#include "page_records.h"
#include "render_device.h"

namespace rendara {
namespace {

DWORD BitsOf(DWORD format) {
  switch (format & IMAGE_FORMAT_MASK) {
    case IMAGE_1BPP: return 1;
    case IMAGE_4BPP: return 4;
    case IMAGE_8BPP: return 8;
    default: return 24;
  }
}

DWORD PaletteLengthOf(DWORD format) {
  switch (format & IMAGE_FORMAT_MASK) {
    case IMAGE_1BPP: return 6;
    case IMAGE_4BPP: return 48;
    case IMAGE_8BPP: return 768;
    default: return 0;
  }
}

void PutHeader(BYTE* record, DWORD flags, DWORD length, LONG x, LONG y, LONG width, LONG height, LONG sourceX,
               LONG sourceY, DWORD pixelsPerRow, DWORD rows) {
  record[0] = kOpImage;
  record[1] = static_cast<BYTE>(flags >> 16);
  record[2] = static_cast<BYTE>(flags);
  record[3] = static_cast<BYTE>(flags >> 8);
  PutU32(record + 4, length);
  PutU32(record + 8, static_cast<std::uint32_t>(x));
  PutU32(record + 12, static_cast<std::uint32_t>(y));
  PutU32(record + 16, static_cast<std::uint32_t>(x + width));
  PutU32(record + 20, static_cast<std::uint32_t>(y + height));
  PutU32(record + 24, static_cast<std::uint32_t>(sourceX));
  PutU32(record + 28, static_cast<std::uint32_t>(sourceY));
  PutU32(record + 32, pixelsPerRow);
  PutU32(record + 36, rows);
  PutU32(record + 40, static_cast<std::uint32_t>(x));
  PutU32(record + 44, static_cast<std::uint32_t>(y));
  PutU32(record + 48, static_cast<std::uint32_t>(width));
  PutU32(record + 52, static_cast<std::uint32_t>(height));
}

// What both forms share: the checked sizes of the record.
struct ImagePlan {
  DWORD flags;
  DWORD paletteLength;
  DWORD sourceRow;  // bytes of a source row, the step through the source
  DWORD outputRow;  // bytes of a row in the record
  DWORD headLength;  // header and palette, rounded down to 4
  DWORD length;      // the whole record
  bool grey;
};

bool PlanImage(DWORD pixelsPerRow, DWORD rows, DWORD flags, const BYTE* palette, bool grey, ImagePlan* plan) {
  plan->paletteLength = (palette && !(flags & IMAGE_NO_PALETTE)) ? PaletteLengthOf(flags) : 0;
  if (plan->paletteLength == 0) flags |= IMAGE_NO_PALETTE;
  plan->sourceRow = ImageRowLength(flags, pixelsPerRow);
  if (plan->sourceRow == 0) return false;
  plan->grey = grey;
  if (grey) flags = (flags & ~IMAGE_FORMAT_MASK) | IMAGE_8BPP | IMAGE_GREY | IMAGE_NO_PALETTE;
  plan->outputRow = ImageRowLength(flags, pixelsPerRow);
  if (plan->outputRow == 0) return false;
  plan->flags = flags;
  plan->headLength = (plan->paletteLength + 59) & ~3u;
  const std::uint64_t length =
      plan->headLength + static_cast<std::uint64_t>(plan->outputRow) * static_cast<std::uint64_t>(rows);
  if (length > 0xFFFFFFFFu) return false;
  plan->length = static_cast<DWORD>(length);
  return true;
}

const BYTE* SourceRow(const BYTE* firstRow, DWORD step, DWORD row, BOOL bottomUp) {
  const std::ptrdiff_t offset = static_cast<std::ptrdiff_t>(step) * static_cast<std::ptrdiff_t>(row);
  return bottomUp ? firstRow - offset : firstRow + offset;
}

// Writes the header and the palette, and behind a 6-byte palette the first 2 bytes of the
// pixel data, into the first headLength bytes of record.
void PutHead(BYTE* record, const ImagePlan& plan, DWORD flags, LONG x, LONG y, LONG width, LONG height, LONG sourceX,
             LONG sourceY, DWORD pixelsPerRow, DWORD rows, const BYTE* firstRow, const BYTE* palette) {
  PutHeader(record, flags, plan.length, x, y, width, height, sourceX, sourceY, pixelsPerRow, rows);
  BYTE* p = record + kImageRecordHeaderLength;
  if (plan.paletteLength) std::memcpy(p, palette, plan.paletteLength);
  p += plan.paletteLength;
  const DWORD lead = plan.headLength - kImageRecordHeaderLength - plan.paletteLength;
  if (lead) {
    if (rows) std::memcpy(p, firstRow, lead);
    else std::memset(p, 0, lead);
  }
}

// Row `row` of the record as it goes behind the head. Behind a head that took `lead` bytes
// of the pixel data, a row is shifted by them: its bytes from the lead-th on, then the first
// lead bytes of the next row, or zeros after the last row. A grey row holds one level per
// 24-bit pixel and zeros to its end.
void PutRow(BYTE* out, const ImagePlan& plan, DWORD lead, DWORD pixelsPerRow, const BYTE* firstRow, DWORD row,
            DWORD rows, BOOL bottomUp) {
  const BYTE* source = SourceRow(firstRow, plan.sourceRow, row, bottomUp);
  if (plan.grey) {
    for (DWORD i = 0; i < pixelsPerRow; ++i) {
      const BYTE* px = source + static_cast<std::size_t>(i) * 3;
      out[i] = static_cast<BYTE>((px[2] * 306u + px[1] * 601u + px[0] * 117u) >> 10);
    }
    std::memset(out + pixelsPerRow, 0, plan.outputRow - pixelsPerRow);
    return;
  }
  std::memcpy(out, source + lead, plan.outputRow - lead);
  if (!lead) return;
  BYTE* tail = out + plan.outputRow - lead;
  if (row + 1 < rows) std::memcpy(tail, SourceRow(firstRow, plan.sourceRow, row + 1, bottomUp), lead);
  else std::memset(tail, 0, lead);
}

// The device asks for the whole record in one piece.
bool SinglePiece(const RenderDevice* device) {
  return device->printMethod == 5 || device->printMethod == 7 || device->apiUseFlag != 0 ||
         device->settingsRecordWanted != 0;
}

// 24-bit images (no flag but the absent palette) become grey on a device that prints
// without colour.
bool GreyWanted(const RenderDevice* device, DWORD flags) {
  return (flags & ~IMAGE_NO_PALETTE) == IMAGE_24BPP && (device->machineColorType == 0 || device->color == 1);
}

}  // namespace

DWORD ImageRowLength(DWORD format, DWORD pixelsPerRow) {
  const std::uint64_t bits = static_cast<std::uint64_t>(pixelsPerRow) * BitsOf(format);
  const std::uint64_t bytes = (bits + 31) / 32 * 4;
  return bytes > 0xFFFFFFFFu ? 0 : static_cast<DWORD>(bytes);
}

BYTE* EmitImage(RecordBuffer* buffer, LONG x, LONG y, LONG width, LONG height, LONG sourceX, LONG sourceY,
                DWORD pixelsPerRow, DWORD rows, DWORD flags, const BYTE* firstRow, const BYTE* palette,
                BOOL bottomUp) {
  if (!buffer || !buffer->owner || (rows && !firstRow)) return nullptr;
  const RenderDevice* device = buffer->owner;
  const bool single = SinglePiece(device);
  ImagePlan plan;
  if (!PlanImage(pixelsPerRow, rows, flags, palette, !single && GreyWanted(device, flags), &plan)) return nullptr;
  const DWORD lead = plan.headLength - kImageRecordHeaderLength - plan.paletteLength;

  if (single) {
    BYTE* record = AllocRecord(buffer, plan.length);
    if (!record) return nullptr;
    PutHead(record, plan, plan.flags, x, y, width, height, sourceX, sourceY, pixelsPerRow, rows, firstRow, palette);
    BYTE* out = record + plan.headLength;
    for (DWORD row = 0; row < rows; ++row, out += plan.outputRow)
      PutRow(out, plan, lead, pixelsPerRow, firstRow, row, rows, bottomUp);
    return record;
  }

  const RecordMark mark = MarkRecords(buffer);
  BYTE* record = AllocRecord(buffer, plan.headLength);
  if (!record) return nullptr;
  PutHead(record, plan, plan.flags, x, y, width, height, sourceX, sourceY, pixelsPerRow, rows, firstRow, palette);
  const DWORD perPiece = plan.outputRow >= kImagePieceBytes ? 1 : kImagePieceBytes / plan.outputRow;
  for (DWORD row = 0; row < rows;) {
    const DWORD count = rows - row < perPiece ? rows - row : perPiece;
    BYTE* out = AllocRecord(buffer, count * plan.outputRow);
    if (!out) {
      DropToMark(buffer, mark);
      return nullptr;
    }
    for (DWORD i = 0; i < count; ++i, ++row, out += plan.outputRow)
      PutRow(out, plan, lead, pixelsPerRow, firstRow, row, rows, bottomUp);
  }
  return record;
}

BYTE* EmitImageRows(RecordBuffer* buffer, LONG x, LONG y, LONG width, LONG height, LONG sourceX, LONG sourceY,
                    DWORD pixelsPerRow, DWORD rows, DWORD flags, const BYTE* firstRow, const BYTE* palette,
                    BOOL bottomUp) {
  if (!buffer || !buffer->owner || (rows && !firstRow)) return nullptr;
  ImagePlan plan;
  if (!PlanImage(pixelsPerRow, rows, flags & ~IMAGE_BANDS, palette, false, &plan)) return nullptr;
  const DWORD lead = plan.headLength - kImageRecordHeaderLength - plan.paletteLength;
  const RecordMark mark = MarkRecords(buffer);
  BYTE* record = AllocRecord(buffer, plan.headLength);
  if (!record) return nullptr;
  PutHead(record, plan, plan.flags, x, y, width, height, sourceX, sourceY, pixelsPerRow, rows, firstRow, palette);
  for (DWORD row = 0; row < rows; ++row) {
    BYTE* out = AllocRecord(buffer, plan.outputRow);
    if (!out) {
      DropToMark(buffer, mark);
      return nullptr;
    }
    PutRow(out, plan, lead, pixelsPerRow, firstRow, row, rows, bottomUp);
  }
  return record;
}

}  // namespace rendara
