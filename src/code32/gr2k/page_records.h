// The page records of the drawing-record stream: page start (0x60, 16 bytes) and page end
// (0x61, 4 bytes). Every multi-byte field is little-endian; reserved bytes are 0.
#pragma once

#include "record_buffer.h"

namespace rendara {

constexpr BYTE kOpPageStart = 0x60;
constexpr BYTE kOpPageEnd = 0x61;
constexpr DWORD kPageStartLength = 16;
constexpr DWORD kPageEndLength = 4;

// The record written, or null when no room could be had (nothing is written then).
BYTE* EmitPageStart(RecordBuffer* buffer, DWORD width, DWORD height, WORD xDpi, WORD yDpi);
BYTE* EmitPageEnd(RecordBuffer* buffer);

// Little-endian stores into a record.
inline void PutU16(BYTE* p, WORD v) {
  p[0] = static_cast<BYTE>(v);
  p[1] = static_cast<BYTE>(v >> 8);
}
inline void PutU32(BYTE* p, DWORD v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<BYTE>(v >> (8 * i));
}

}  // namespace rendara
