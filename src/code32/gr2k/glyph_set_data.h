// The glyph-set resources (type 260) compiled into Rendara, generated from the code-page
// mappings by data/gen_glyph_sets.py (the rules are in data/README.md). Each image is
// little-endian: u32 size, u32 0, u32 glyph count, u32 run count, the runs as {u16 first
// UTF-16 value, u16 glyph count, u32 0}, then one u32 glyph handle per value, run after run.
#pragma once

#include "win/types.h"

namespace rendara {

constexpr int kGlyphSetResourceType = 260;
constexpr int kGlyphSetResourceCount = 3;

struct GlyphSetData {
  int id;  // 1: code page 850, 2: code page 932 (Shift-JIS), 3: the 8-bit Latin set
  const unsigned char* data;
  ULONG size;
  ULONG glyphs;
  ULONG runs;
};

extern const GlyphSetData kGlyphSetData[kGlyphSetResourceCount];

}  // namespace rendara
