#include "device_fonts.h"

#include <cstring>
#include <string_view>

#include "device_font_data.h"
#include "glyph_set_data.h"
#include "render_device.h"

namespace rendara {

namespace {

constexpr int kJapaneseSet = 2;
constexpr int kLatinSet = 3;

const GlyphSetSlot kGlyphSetTable[kGlyphSetKinds] = {
    {"ROMA;J83;KATA", 128, nullptr}, {"ROMA;J83V;KATA", 128, nullptr}, {"IBML;IBM850", 0, nullptr},
    {"SYML;SYMR", 2, nullptr},       {"DNGL;DNGR", 2, nullptr},         {nullptr, 0, nullptr},
};

DWORD U32(const BYTE* p) {
  DWORD v;
  std::memcpy(&v, p, 4);
  return v;
}

// The font resource holds together: its size, the metrics offset, the metrics' own size
// and name offsets, and a NUL-ended glyph-set name inside it.
bool FontResourceHolds(const BYTE* data, ULONG size) {
  if (!data || size < kFontMetricsOffset + sizeof(IFIMETRICS) || U32(data) != size) return false;
  if (U32(data + 4) != kFontMetricsOffset) return false;
  const auto* ifi = reinterpret_cast<const IFIMETRICS*>(data + kFontMetricsOffset);
  if (ifi->cjThis < sizeof(IFIMETRICS) || ifi->cjThis > size - kFontMetricsOffset) return false;
  const DWORD name = U32(data + kGlyphSetNameSlot);
  if (name >= size) return false;
  return std::memchr(data + name, 0, size - name) != nullptr;
}

const char* GlyphSetNameOf(const BYTE* copy) { return reinterpret_cast<const char*>(copy + U32(copy + kGlyphSetNameSlot)); }

}  // namespace

DWORD GlyphSetKindOf(const char* glyphSetName) {
  if (!glyphSetName) return 2;
  for (DWORD kind = 0; kind < kGlyphSetKindCount; ++kind)
    if (std::strcmp(kGlyphSetTable[kind].name, glyphSetName) == 0) return kind;
  return 2;
}

DeviceFontList* LoadDeviceFonts(RenderDevice* device, HMODULE module, DWORD* count) {
  if (count) *count = 0;
  if (!device) return nullptr;
  auto* list = static_cast<DeviceFontList*>(DeviceAlloc(device->heap, sizeof(DeviceFontList)));
  if (!list) return nullptr;
  std::memset(static_cast<void*>(list), 0, sizeof *list);
  list->count = kDeviceFontCount;
  list->module = module;
  std::memcpy(list->sets, kGlyphSetTable, sizeof kGlyphSetTable);
  for (int id = 1; id <= kDeviceFontCount; ++id) {
    ULONG size = 0;
    const auto* data = static_cast<const BYTE*>(EngFindResource(module, id, kDeviceFontResourceType, &size));
    BYTE* copy = FontResourceHolds(data, size) ? static_cast<BYTE*>(DeviceAlloc(device->heap, size)) : nullptr;
    if (!copy) {
      FreeDeviceFonts(device, list);
      return nullptr;
    }
    std::memcpy(copy, data, size);
    DeviceFontEntry& entry = list->fonts[id - 1];
    entry.copy = copy;
    entry.size = size;
    entry.kind = GlyphSetKindOf(GlyphSetNameOf(copy));
  }
  if (count) *count = list->count;
  return list;
}

void FreeDeviceFonts(RenderDevice* device, DeviceFontList* list) {
  if (!device || !list) return;
  for (DWORD i = 0; i < kGlyphSetKinds; ++i) {
    FD_GLYPHSET* set = list->sets[i].loaded;
    if (!set) continue;
    for (DWORD j = i; j < kGlyphSetKinds; ++j)
      if (list->sets[j].loaded == set) list->sets[j].loaded = nullptr;
    DeviceFree(device->heap, set);
  }
  for (DeviceFontEntry& entry : list->fonts)
    if (entry.copy) DeviceFree(device->heap, entry.copy);
  DeviceFree(device->heap, list);
}

FD_GLYPHSET* LoadGlyphSet(RenderDevice* device, HMODULE module, int id) {
  if (!device) return nullptr;
  ULONG size = 0;
  const auto* data = static_cast<const BYTE*>(EngFindResource(module, id, kGlyphSetResourceType, &size));
  if (!data || size < 16 || U32(data) != size) return nullptr;
  const DWORD glyphs = U32(data + 8);
  const DWORD runs = U32(data + 12);
  // Every count is checked against the resource's own size before it is used.
  const std::uint64_t expected = 16 + static_cast<std::uint64_t>(runs) * 8 + static_cast<std::uint64_t>(glyphs) * 4;
  if (runs == 0 || expected != size) return nullptr;
  std::uint64_t total = 0;
  for (DWORD r = 0; r < runs; ++r) {
    WORD n;
    std::memcpy(&n, data + 16 + r * 8 + 2, 2);
    total += n;
  }
  if (total != glyphs) return nullptr;

  const std::size_t header = offsetof(FD_GLYPHSET, awcrun) + sizeof(WCRUN) * runs;
  const std::size_t bytes = header + sizeof(HGLYPH) * glyphs;
  auto* set = static_cast<FD_GLYPHSET*>(DeviceAlloc(device->heap, bytes));
  if (!set) return nullptr;
  set->cjThis = static_cast<ULONG>(bytes);
  set->flAccel = U32(data + 4);
  set->cGlyphsSupported = glyphs;
  set->cRuns = runs;
  auto* handles = reinterpret_cast<HGLYPH*>(reinterpret_cast<BYTE*>(set) + header);
  std::memcpy(handles, data + 16 + runs * 8, sizeof(HGLYPH) * glyphs);
  DWORD before = 0;
  for (DWORD r = 0; r < runs; ++r) {
    WCRUN& run = set->awcrun[r];
    std::memcpy(&run.wcLow, data + 16 + r * 8, 2);
    std::memcpy(&run.cGlyphs, data + 16 + r * 8 + 2, 2);
    run.phg = handles + before;
    before += run.cGlyphs;
  }
  return set;
}

FD_GLYPHSET* GlyphSetOfFace(RenderDevice* device, ULONG face) {
  DeviceFontList* list = device ? device->deviceFonts : nullptr;
  if (!list || face < 1 || face > list->count) return nullptr;
  const DWORD kind = list->fonts[face - 1].kind;
  GlyphSetSlot* sets = list->sets;
  if (sets[kind].loaded) return sets[kind].loaded;
  switch (kind) {
    case 0:
    case 1:
      if (!sets[0].loaded) sets[0].loaded = LoadGlyphSet(device, list->module, kJapaneseSet);
      sets[1].loaded = sets[0].loaded;
      break;
    default:
      sets[kind].loaded = LoadGlyphSet(device, list->module, kLatinSet);
      break;
  }
  return sets[kind].loaded;
}

IFIMETRICS* MetricsOfFace(RenderDevice* device, ULONG face) {
  DeviceFontList* list = device ? device->deviceFonts : nullptr;
  if (!list || face < 1 || face > list->count) return nullptr;
  return reinterpret_cast<IFIMETRICS*>(list->fonts[face - 1].copy + kFontMetricsOffset);
}

LONG GlyphWidth(const IFIMETRICS* font, HGLYPH glyph) {
  if (glyph < 256 || glyph == 0x8640 || (glyph >> 8) == 0x85) return font->fwdAveCharWidth;
  return font->fwdMaxCharInc;
}

HGLYPH GlyphOfCharacter(const FD_GLYPHSET* set, WCHAR character) {
  if (!set) return HGLYPH_INVALID;
  // The runs are in ascending order: a binary search finds the last run starting at or
  // below the character.
  ULONG lo = 0;
  ULONG hi = set->cRuns;
  while (lo < hi) {
    const ULONG mid = (lo + hi) / 2;
    if (set->awcrun[mid].wcLow <= character)
      lo = mid + 1;
    else
      hi = mid;
  }
  if (lo == 0) return HGLYPH_INVALID;
  const WCRUN& run = set->awcrun[lo - 1];
  const ULONG offset = static_cast<ULONG>(character - run.wcLow);
  if (offset >= run.cGlyphs) return HGLYPH_INVALID;
  return run.phg ? run.phg[offset] : character;
}

bool IsDeviceFontName(const WCHAR* name) {
  if (!name || !name[0]) return false;
  const std::u16string_view wanted(name);
  for (int id = 1; id <= kDeviceFontCount; ++id) {
    const DeviceFontImage image = DeviceFontResource(id);
    const auto* ifi = reinterpret_cast<const IFIMETRICS*>(image.data + kFontMetricsOffset);
    const auto* family = reinterpret_cast<const WCHAR*>(image.data + kFontMetricsOffset + ifi->dpwszFamilyName);
    if (wanted == std::u16string_view(family)) return true;
  }
  return false;
}

}  // namespace rendara
