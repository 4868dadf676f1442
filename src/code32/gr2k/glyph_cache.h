// The glyph cache of a rendering device: which downloaded glyphs the printer already keeps
// on this page. 1024 buckets of chained entries, keyed by the font's unique value, the
// download generation, the character and the glyph-index flag. The page end empties the
// cache and moves the generation on, so every page sends its glyphs again.
#pragma once

#include <cstdint>

#include "win/types.h"

namespace rendara {

struct RenderDevice;

constexpr DWORD kGlyphBuckets = 1024;

struct GlyphCacheEntry {
  DWORD fontIdentity;  // the engine's unique value of the font object
  WORD generation;     // the download generation when the glyph was sent
  WCHAR character;     // UTF-16 code or glyph index of the glyph in the string
  GlyphCacheEntry* next;
  BYTE glyphIndexFlag;  // 3 for glyph-index text, else 2
};

struct GlyphCache {
  GlyphCacheEntry* buckets[kGlyphBuckets];
  WORD generation;  // 0 for a new device; wraps after 65535
};

// (font identity + generation + character) & 0x3FF.
DWORD GlyphBucket(DWORD fontIdentity, WORD generation, WCHAR character);
// TRUE when the bucket holds an entry with all four keys; a bucket of 1024 or more: FALSE.
BOOL FindGlyph(RenderDevice* device, DWORD bucket, DWORD fontIdentity, WORD generation, WCHAR character,
               BYTE glyphIndexFlag);
// Appends an entry at the end of the bucket's chain (from the device's allocation list).
// FALSE for a bucket of 1024 or more or when memory runs out.
BOOL AddGlyph(RenderDevice* device, DWORD bucket, DWORD fontIdentity, WORD generation, WCHAR character,
              BYTE glyphIndexFlag);
// Frees every entry, empties every bucket and moves the generation on. TRUE (FALSE only
// for a missing device).
BOOL ClearGlyphCache(RenderDevice* device);
// Number of entries held (for checks and benchmarks).
DWORD GlyphCacheSize(const RenderDevice* device);

}  // namespace rendara
