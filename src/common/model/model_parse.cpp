// The parse record, its arena and the lookups into a header under construction.
#include "model/model_parse.h"

#include <cstddef>
#include <cstring>
#include <initializer_list>

#include "base/memory.h"

namespace {

constexpr std::size_t kChunkSize = 64 * 1024;
constexpr std::size_t kAlign = alignof(std::max_align_t);
constexpr std::size_t kLargeBlock = kChunkSize / 4;

struct ArenaBlock {
  ArenaBlock* next;
  std::size_t size;  // usable bytes after the head
  std::size_t used;
};

constexpr std::size_t kHeadSize = (sizeof(ArenaBlock) + kAlign - 1) / kAlign * kAlign;

BYTE* BlockData(ArenaBlock* b) { return reinterpret_cast<BYTE*>(b) + kHeadSize; }

}  // namespace

// Chunks for the small records and single blocks for the large ones; every block zero-filled.
struct ParseArena {
  ArenaBlock* chunks;
  ArenaBlock* large;
};

ModelParse* CreateModelParse() {
  auto* arena = static_cast<ParseArena*>(AllocMem(sizeof(ParseArena)));
  if (!arena) return nullptr;
  auto* parse = static_cast<ModelParse*>(AllocMem(sizeof(ModelParse)));
  if (!parse) {
    FreeMem(arena);
    return nullptr;
  }
  parse->arena = arena;
  return parse;
}

void FreeModelParse(ModelParse* parse) {
  if (!parse) return;
  if (ParseArena* arena = parse->arena) {
    for (ArenaBlock* list : {arena->chunks, arena->large}) {
      while (list) {
        ArenaBlock* next = list->next;
        FreeMem(list);
        list = next;
      }
    }
    FreeMem(arena);
  }
  FreeMem(parse);
}

void* ParseAlloc(ModelParse* parse, std::size_t n) {
  if (!parse || !parse->arena) return nullptr;
  ParseArena* arena = parse->arena;
  if (n == 0) n = 1;
  if (n > 0x7FFFFFFFu - kHeadSize - kAlign) return nullptr;
  const std::size_t rounded = (n + kAlign - 1) / kAlign * kAlign;
  if (rounded >= kLargeBlock) {
    auto* b = static_cast<ArenaBlock*>(AllocMem(static_cast<DWORD>(kHeadSize + rounded)));
    if (!b) return nullptr;
    b->size = rounded;
    b->used = rounded;
    b->next = arena->large;
    arena->large = b;
    return BlockData(b);
  }
  ArenaBlock* c = arena->chunks;
  if (!c || c->size - c->used < rounded) {
    c = static_cast<ArenaBlock*>(AllocMem(static_cast<DWORD>(kHeadSize + kChunkSize)));
    if (!c) return nullptr;
    c->size = kChunkSize;
    c->next = arena->chunks;
    arena->chunks = c;
  }
  void* p = BlockData(c) + c->used;
  c->used += rounded;
  return p;  // chunks come zero-filled and are never reused
}

char* ParseCopyText(ModelParse* parse, const char* text, std::size_t length) {
  auto* copy = static_cast<char*>(ParseAlloc(parse, length + 1));
  if (copy && length) std::memcpy(copy, text, length);
  return copy;
}

WCHAR* ParseCopyWide(ModelParse* parse, const WCHAR* text, std::size_t length) {
  auto* copy = static_cast<WCHAR*>(ParseAlloc(parse, (length + 1) * sizeof(WCHAR)));
  if (copy && length) std::memcpy(copy, text, length * sizeof(WCHAR));
  return copy;
}

OptionRecord* FindParsedOption(WORD featureId, const ParsedHeader* header) {
  if (!header || featureId == 0) return nullptr;
  if (const int slot = FeatureSlot(featureId)) return header->slots[slot];
  for (OptionRecord* r = header->slots[0]; r; r = r->next) {
    if (r->featureId == featureId) return r;
  }
  return nullptr;
}

DWORD GetDefaultFromParsedHeader(WORD featureId, const ParsedHeader* header) {
  const OptionRecord* r = FindParsedOption(featureId, header);
  if (!r || !r->values) return 0;
  switch (r->type & 0xFF) {
    case 0x01: {
      if (r->form != ValueForm::Items) return 0;
      const auto* item = static_cast<const OptionItem*>(r->values);
      for (WORD i = 0; item && i < r->defaultValue; ++i) item = item->next;
      return item ? item->valueId : 0;
    }
    case 0x04:
      return r->form == ValueForm::Boolean ? static_cast<const BooleanValues*>(r->values)->defaultValue : 0;
    case 0x08:
      return r->form == ValueForm::Numeric
                 ? static_cast<DWORD>(static_cast<const NumericValues*>(r->values)->number2)
                 : 0;
    case 0x10:
      return r->form == ValueForm::String ? static_cast<const StringValues*>(r->values)->defaultValueId : 0;
    default:
      return 0;
  }
}
