// Run-length compression of 1-bit glyph bitmaps.
//
// A compressed bitmap is a sequence of codes. A code is a control byte c (bit 7: a run, else
// literal bytes; bits 3-6: the zero count z; bits 0-2: the count field n), then the
// extension bytes of z when z is 15 and of n when n is 7 (each byte is added, the first
// byte below 255 ends them), then for a run one byte repeated n + 2 times, for literal
// bytes n + 1 bytes. Each code stands for z zero bytes and then its bytes; whatever the
// codes leave of the bitmap is zero.
#pragma once

#include "win/types.h"

namespace rendara {

// Compresses byteCount bytes into out. Answers the compressed length, or 0 when the result
// would not fit in capacity bytes (or the input is all zeros): the bitmap then goes raw.
DWORD CompressGlyph(const BYTE* bitmap, DWORD byteCount, BYTE* out, DWORD capacity);

// Expands codes back into exactly byteCount bytes (the rest zero). FALSE when the codes
// are cut short or would write past byteCount.
BOOL ExpandGlyph(const BYTE* codes, DWORD codeLength, BYTE* out, DWORD byteCount);

}  // namespace rendara
