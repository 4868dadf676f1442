#include "glyph_cache.h"

#include "render_device.h"

namespace rendara {

DWORD GlyphBucket(DWORD fontIdentity, WORD generation, WCHAR character) {
  return (fontIdentity + generation + character) & (kGlyphBuckets - 1);
}

BOOL FindGlyph(RenderDevice* device, DWORD bucket, DWORD fontIdentity, WORD generation, WCHAR character,
               BYTE glyphIndexFlag) {
  if (!device || bucket >= kGlyphBuckets) return FALSE;
  for (const GlyphCacheEntry* e = device->glyphs.buckets[bucket]; e; e = e->next)
    if (e->fontIdentity == fontIdentity && e->generation == generation && e->character == character &&
        e->glyphIndexFlag == glyphIndexFlag)
      return TRUE;
  return FALSE;
}

BOOL AddGlyph(RenderDevice* device, DWORD bucket, DWORD fontIdentity, WORD generation, WCHAR character,
              BYTE glyphIndexFlag) {
  if (!device || bucket >= kGlyphBuckets) return FALSE;
  auto* entry = static_cast<GlyphCacheEntry*>(DeviceAlloc(device->heap, sizeof(GlyphCacheEntry)));
  if (!entry) return FALSE;
  entry->fontIdentity = fontIdentity;
  entry->generation = generation;
  entry->character = character;
  entry->next = nullptr;
  entry->glyphIndexFlag = glyphIndexFlag;
  GlyphCacheEntry** link = &device->glyphs.buckets[bucket];
  while (*link) link = &(*link)->next;
  *link = entry;
  return TRUE;
}

BOOL ClearGlyphCache(RenderDevice* device) {
  if (!device) return FALSE;
  for (GlyphCacheEntry*& head : device->glyphs.buckets) {
    GlyphCacheEntry* e = head;
    while (e) {
      GlyphCacheEntry* next = e->next;
      DeviceFree(device->heap, e);
      e = next;
    }
    head = nullptr;
  }
  device->glyphs.generation = static_cast<WORD>(device->glyphs.generation + 1);
  return TRUE;
}

DWORD GlyphCacheSize(const RenderDevice* device) {
  if (!device) return 0;
  DWORD n = 0;
  for (const GlyphCacheEntry* head : device->glyphs.buckets)
    for (const GlyphCacheEntry* e = head; e; e = e->next) ++n;
  return n;
}

}  // namespace rendara
