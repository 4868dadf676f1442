// The model image from a parse. One layout routine serves both the sizing pass (no block:
// it only counts) and the copy, so that the size computed is the size the copy fills.
#include "model/model_image_build.h"

#include <cstring>

#include "base/driver_context.h"
#include "base/memory.h"
#include "fields/product_record.h"
#include "model/model_cache_file.h"
#include "model/statement_dispatch.h"
#include "win/kernel.h"

namespace {

constexpr DWORD kNoSpace = 0xFFFFFFFFu;

// A cursor over the block; without a block it only counts. A write beyond the block's
// size sets the failure mark and writes nothing.
struct Layout {
  BYTE* base = nullptr;
  DWORD size = 0;  // of the block (counting: unused)
  DWORD pos = kModelHeaderSize;
  bool failed = false;

  bool Counting() const { return base == nullptr; }
  // Reserves n bytes and gives their offset.
  DWORD Take(DWORD n) {
    if (failed) return 0;
    if (n > kNoSpace - pos || (!Counting() && pos + n > size)) {
      failed = true;
      return 0;
    }
    const DWORD at = pos;
    pos += n;
    return at;
  }
  void U32(DWORD at, DWORD v) {
    if (!Counting() && !failed && at + 4 <= size) StoreU32(base + at, v);
  }
  void U16(DWORD at, DWORD v) {
    if (!Counting() && !failed && at + 2 <= size) StoreU16(base + at, v);
  }
  // An 8-bit text with its NUL; 0 for none.
  DWORD Text(const char* text) {
    if (!text) return 0;
    const std::size_t n = std::strlen(text) + 1;
    if (n > 0x7FFFFFFF) {
      failed = true;
      return 0;
    }
    const DWORD at = Take(static_cast<DWORD>(n));
    if (!Counting() && !failed) std::memcpy(base + at, text, n);
    return at;
  }
  DWORD Wide(const WCHAR* text) {
    if (!text) return 0;
    std::size_t n = 0;
    while (text[n]) ++n;
    if (n > 0x3FFFFFFF) {
      failed = true;
      return 0;
    }
    const DWORD bytes = static_cast<DWORD>((n + 1) * 2);
    const DWORD at = Take(bytes);
    if (!Counting() && !failed) {
      for (std::size_t i = 0; i <= n; ++i) StoreU16(base + at + 2 * i, text[i]);
    }
    return at;
  }
};

DWORD Tag(DWORD offset) { return offset ? offset * 16 + 1 : 0; }

// A list of pointers in list order, from a temporary block; empty when memory is short
// (the layout then fails).
template <typename T>
struct NodeArray {
  T** nodes = nullptr;
  DWORD count = 0;
  bool ok = true;
  explicit NodeArray(T* first) {
    for (T* n = first; n; n = n->next) ++count;
    if (count == 0) return;
    nodes = static_cast<T**>(AllocMem(count * static_cast<DWORD>(sizeof(T*))));
    if (!nodes) {
      ok = false;
      count = 0;
      return;
    }
    DWORD i = 0;
    for (T* n = first; n; n = n->next) nodes[i++] = n;
  }
  ~NodeArray() { FreeMem(nodes); }
  NodeArray(const NodeArray&) = delete;
  NodeArray& operator=(const NodeArray&) = delete;
};

// Offsets remembered while the rule section is laid out.
struct RuleOffsets {
  const ModelParse* parse;
  DWORD* judgePrograms = nullptr;  // per Judge in list order
  DWORD judgeCount = 0;
  DWORD* lists[5] = {};  // per statement of Item, Action, Transact, AlertAction, Alert
  DWORD counts[5] = {};
};
enum { kListItem, kListAction, kListTransact, kListAlertAction, kListAlert };

DWORD JudgeProgram(const RuleOffsets& r, DWORD ref) {
  const DWORD number = ref & 0xFFFF;
  if (number == 0 || !r.judgePrograms) return 0;
  DWORD i = 0;
  for (const JudgeEntry* j = r.parse->judges.first; j && i < r.judgeCount; j = j->next, ++i) {
    if (j->number == number) return r.judgePrograms[i];
  }
  return 0;
}

template <typename Entry>
DWORD StatementList(const RuleOffsets& r, int kind, const ParseList<RuleStatement<Entry>>& list, DWORD ref) {
  const DWORD number = ref & 0xFFFF;
  if (number == 0 || !r.lists[kind]) return 0;
  DWORD i = 0;
  for (const RuleStatement<Entry>* s = list.first; s && i < r.counts[kind]; s = s->next, ++i) {
    if (s->number == number) return r.lists[kind][i];
  }
  return 0;
}

template <typename Entry>
DWORD CountStatements(const ParseList<RuleStatement<Entry>>& list) {
  DWORD n = 0;
  for (auto* s = list.first; s; s = s->next) ++n;
  return n;
}

// Lays out the entries of every statement of one kind; fill writes one entry's fields.
template <typename Entry, typename Fill>
bool LayStatements(Layout& out, RuleOffsets& r, int kind, const ParseList<RuleStatement<Entry>>& list,
                   DWORD entrySize, Fill fill) {
  r.counts[kind] = CountStatements(list);
  if (r.counts[kind] && !out.Counting()) {
    r.lists[kind] = static_cast<DWORD*>(AllocMem(r.counts[kind] * 4));
    if (!r.lists[kind]) return false;
  }
  DWORD i = 0;
  for (auto* s = list.first; s; s = s->next, ++i) {
    DWORD first = 0, previous = 0;
    for (const Entry* e = s->entries; e; e = e->next) {
      const DWORD at = out.Take(entrySize);
      if (out.failed) return false;
      if (previous) out.U32(previous, Tag(at));
      else first = at;
      fill(at, *e);
      previous = at;
    }
    if (r.lists[kind]) r.lists[kind][i] = Tag(first);
  }
  return true;
}

// The rule section. *written tells whether steps 1-6 wrote anything; the condition blocks'
// offsets (one per Exclusive row, in row order) go to rowOffsets when it is given.
bool LayRuleSection(Layout& out, const ModelParse* parse, RuleOffsets& r, DWORD* rowOffsets, DWORD* header7992,
                    bool* written) {
  const DWORD start = out.pos;
  for (const JudgeEntry* j = parse->judges.first; j; j = j->next) ++r.judgeCount;
  if (r.judgeCount && !out.Counting()) {
    r.judgePrograms = static_cast<DWORD*>(AllocMem(r.judgeCount * 4));
    if (!r.judgePrograms) return false;
  }
  DWORD i = 0;
  for (const JudgeEntry* j = parse->judges.first; j; j = j->next, ++i) {
    DWORD at = 0;
    if (j->program && j->size >= 4) {
      const DWORD size = j->size & ~3u;
      at = out.Take(size);
      if (!out.Counting() && !out.failed) std::memcpy(out.base + at, j->program, size);
    }
    if (r.judgePrograms) r.judgePrograms[i] = Tag(at);
  }
  const bool itemsOk = LayStatements(out, r, kListItem, parse->items, kItemConditionSize,
                                     [&](DWORD at, const ItemCondition& e) {
                                       out.U16(at + itemcond::kValueId, e.valueId);
                                       out.U32(at + itemcond::kDisable, JudgeProgram(r, e.disableJudge));
                                       out.U32(at + itemcond::kHide, JudgeProgram(r, e.hideJudge));
                                       out.U32(at + itemcond::kLock, JudgeProgram(r, e.lockJudge));
                                     });
  const bool actionsOk = itemsOk && LayStatements(out, r, kListAction, parse->actions, kActionEntrySize,
                                                  [&](DWORD at, const ActionEntry& e) {
                                                    out.U16(at + action::kTargetId, e.targetId);
                                                    out.U16(at + action::kTargetKind, e.targetKind);
                                                    out.U32(at + action::kValue, e.value);
                                                  });
  const bool transactsOk =
      actionsOk && LayStatements(out, r, kListTransact, parse->transacts, kTransactEntrySize,
                                 [&](DWORD at, const TransactEntry& e) {
                                   out.U32(at + transact::kProgram, JudgeProgram(r, e.judge));
                                   out.U32(at + transact::kActions,
                                           StatementList(r, kListAction, parse->actions, e.action));
                                 });
  const bool alertActionsOk =
      transactsOk && LayStatements(out, r, kListAlertAction, parse->alertActions, kAlertActionEntrySize,
                                   [&](DWORD at, const AlertActionEntry& e) {
                                     out.U16(at + alertaction::kFeatureItemId, e.featureItemId);
                                     out.U32(at + alertaction::kTransacts,
                                             StatementList(r, kListTransact, parse->transacts, e.transact));
                                     out.U16(at + alertaction::kPageId, e.pageId);
                                     out.U16(at + alertaction::kControlId, e.controlId);
                                   });
  const bool alertsOk =
      alertActionsOk && LayStatements(out, r, kListAlert, parse->alerts, kAlertEntrySize,
                                      [&](DWORD at, const AlertEntry& e) {
                                        out.U32(at + alert::kProgram, JudgeProgram(r, e.judge));
                                        out.U16(at + alert::kMessageId, e.messageId);
                                        out.U16(at + alert::kIcon, e.icon);
                                        out.U16(at + alert::kButtons, e.buttons);
                                        out.U16(at + alert::kTiming, e.timing);
                                        out.U32(at + alert::kAlertActions,
                                                StatementList(r, kListAlertAction, parse->alertActions,
                                                              e.alertAction));
                                      });
  if (!alertsOk || out.failed) return false;
  *written = out.pos != start;
  if (!*written) return true;

  DWORD row = 0, previous = 0;
  for (const ConditionBlock* b = parse->exclusives.first; b; b = b->next, ++row) {
    const DWORD at = out.Take(kConditionBlockSize);
    if (out.failed) return false;
    if (previous) out.U32(previous + cond::kNext, at);
    else *header7992 = at;
    out.U16(at + cond::kFeatureItemId, b->featureItemId);
    out.U32(at + cond::kDisable, JudgeProgram(r, b->disableJudge));
    out.U32(at + cond::kHide, JudgeProgram(r, b->hideJudge));
    out.U32(at + cond::kItems, StatementList(r, kListItem, parse->items, b->item));
    out.U32(at + cond::kAlerts, StatementList(r, kListAlert, parse->alerts, b->alert));
    out.U32(at + cond::kTransacts, StatementList(r, kListTransact, parse->transacts, b->transact));
    out.U32(at + cond::kTransacts2, StatementList(r, kListTransact, parse->transacts, b->transact2));
    out.U32(at + cond::kLock, JudgeProgram(r, b->lockJudge));
    if (rowOffsets) rowOffsets[row] = at;
    previous = at;
  }
  return true;
}

DWORD CountRows(const ModelParse* parse) {
  DWORD n = 0;
  for (const ConditionBlock* b = parse->exclusives.first; b; b = b->next) ++n;
  return n;
}

// The values of an item-type option, last item first; the offset of the first item.
DWORD LayItems(Layout& out, const OptionRecord* record) {
  const WORD type = record->type & kTypeMask;
  const BYTE low = static_cast<BYTE>(type & 0xFF);
  DWORD itemSize = kPickItemSize;
  if (type == kTypePickPage) itemSize = kPageItemSize;
  else if (type == kTypePickSlot) itemSize = kSlotItemSize;
  else if (type == kTypeFontTbl) itemSize = kFontItemSize;
  else if (low != 1 && low != 2) return 0;
  NodeArray<OptionItem> items(static_cast<OptionItem*>(record->values));
  if (!items.ok) {
    out.failed = true;
    return 0;
  }
  DWORD following = 0;
  for (DWORD k = items.count; k-- > 0;) {
    const OptionItem* it = items.nodes[k];
    const DWORD command = out.Text(it->command);
    DWORD pageValues = 0, papers = 0, trueTypes = 0, devices = 0;
    if (type == kTypePickPage) {
      NodeArray<PageValueRecord> values(it->pageValues);
      if (!values.ok) out.failed = true;
      DWORD next = 0;
      for (DWORD v = values.count; v-- > 0;) {
        const PageValueRecord* pv = values.nodes[v];
        const DWORD at = out.Take(kPageValueSize);
        out.U32(at, next);
        out.U16(at + 4, pv->firstKey);
        out.U16(at + 6, pv->secondKey);
        out.U16(at + 8, pv->conditionItem);
        out.U16(at + 10, pv->conditionValue);
        for (int n = 0; n < 6; ++n) out.U32(at + 12 + 4 * n, static_cast<DWORD>(pv->numbers[n]));
        next = at;
      }
      pageValues = next;
    } else if (type == kTypePickSlot && it->paperCount && it->papers) {
      if (it->paperCount > 0x7FFFFFFF / 2) out.failed = true;
      papers = out.Take(it->paperCount * 2);
      for (DWORD p = 0; p < it->paperCount; ++p) out.U16(papers + 2 * p, it->papers[p]);
    } else if (type == kTypeFontTbl && it->pairCount) {
      if (it->pairCount > 0x7FFFFFFF / 4) out.failed = true;
      for (int side = 0; side < 2; ++side) {
        char** names = side == 0 ? it->trueTypeNames : it->deviceFontNames;
        // The texts first, then the array that names them.
        DWORD* offsets = nullptr;
        if (!out.Counting()) {
          offsets = static_cast<DWORD*>(AllocMem(it->pairCount * 4));
          if (!offsets) out.failed = true;
        }
        for (DWORD p = 0; p < it->pairCount && !out.failed; ++p) {
          const DWORD t = out.Text(names ? names[p] : nullptr);
          if (offsets) offsets[p] = t;
        }
        const DWORD array = out.Take(it->pairCount * 4);
        for (DWORD p = 0; p < it->pairCount && offsets; ++p) out.U32(array + 4 * p, offsets[p]);
        FreeMem(offsets);
        (side == 0 ? trueTypes : devices) = array;
      }
    }
    const DWORD at = out.Take(itemSize);
    out.U32(at + item::kNext, following);
    out.U16(at + item::kValueId, it->valueId);
    out.U32(at + item::kCommand, command);
    if (type == kTypePickPage) {
      out.U32(at + item::kFirstSize, static_cast<DWORD>(it->firstSize));
      out.U32(at + item::kSecondSize, static_cast<DWORD>(it->secondSize));
      out.U32(at + item::kPageValues, pageValues);
    } else if (type == kTypePickSlot) {
      out.U32(at + item::kPaperCount, papers ? it->paperCount : 0);
      out.U32(at + item::kPapers, papers);
    } else if (type == kTypeFontTbl) {
      out.U32(at + item::kPairCount, it->pairCount);
      out.U32(at + item::kTrueTypeNames, trueTypes);
      out.U32(at + item::kDeviceNames, devices);
    }
    following = at;
  }
  return following;
}

// The values of a record by type (share key 0).
DWORD LayValues(Layout& out, const OptionRecord* record) {
  if (!record->values) return 0;
  switch (record->form) {
    case ValueForm::Items:
      return LayItems(out, record);
    case ValueForm::Boolean: {
      const auto* b = static_cast<const BooleanValues*>(record->values);
      const DWORD t = out.Text(b->trueCommand);
      const DWORD f = out.Text(b->falseCommand);
      const DWORD at = out.Take(kBooleanValuesSize);
      out.U32(at, b->defaultValue);
      out.U32(at + 4, t);
      out.U32(at + 8, f);
      return at;
    }
    case ValueForm::Numeric: {
      const auto* n = static_cast<const NumericValues*>(record->values);
      const DWORD at = out.Take(kNumericValuesSize);
      out.U16(at, n->leading);
      out.U16(at + 2, n->number1);
      out.U16(at + 4, n->number5);
      out.U16(at + 6, n->number6);
      out.U16(at + 8, n->number7);
      out.U16(at + 10, n->number8);
      out.U32(at + 12, static_cast<DWORD>(n->number2));
      out.U32(at + 16, static_cast<DWORD>(n->number3));
      out.U32(at + 20, static_cast<DWORD>(n->number4));
      return at;
    }
    case ValueForm::String: {
      const auto* s = static_cast<const StringValues*>(record->values);
      const DWORD at = out.Take(kStringValuesSize);
      out.U16(at, s->defaultValueId);
      out.U16(at + 2, s->textLimit);
      out.U16(at + 4, s->kinds);
      out.U16(at + 6, s->display);
      return at;
    }
    case ValueForm::None:
      break;
  }
  return 0;
}

// The key under which a shared record finds the record whose values it uses.
WORD ShareKeyOf(const OptionRecord* r) { return (r->type & kTypeIdentity) ? r->shareKey : r->itemId; }

bool LayOptionSection(Layout& out, const ModelParse* parse, const DWORD* rowOffsets, DWORD rows, BYTE* header) {
  NodeArray<OptionRecord> list(parse->header.slots[0]);
  if (!list.ok) return false;
  // Shared records to the front: each one outside the leading run of them goes to the very
  // front, in the order met.
  DWORD lead = 0;
  while (lead < list.count && list.nodes[lead]->shareKey != 0) ++lead;
  for (DWORD j = lead; j < list.count; ++j) {
    if (list.nodes[j]->shareKey == 0) continue;
    OptionRecord* moved = list.nodes[j];
    std::memmove(list.nodes + 1, list.nodes, j * sizeof(OptionRecord*));
    list.nodes[0] = moved;
  }
  // Remembered values per share key (at most one per record).
  struct Remembered {
    WORD key;
    DWORD values;
  };
  Remembered* remembered = nullptr;
  DWORD rememberedCount = 0;
  if (list.count && !out.Counting()) {
    remembered = static_cast<Remembered*>(AllocMem(list.count * static_cast<DWORD>(sizeof(Remembered))));
    if (!remembered) return false;
  }
  auto isKey = [&](WORD itemId) {
    for (DWORD k = 0; k < list.count; ++k) {
      const OptionRecord* r = list.nodes[k];
      if (r->shareKey != 0 && ShareKeyOf(r) == itemId) return true;
    }
    return false;
  };
  auto lookup = [&](WORD key) -> DWORD {
    for (DWORD k = 0; k < rememberedCount; ++k)
      if (remembered[k].key == key) return remembered[k].values;
    return 0;
  };
  if (header) std::memset(header + kHdrSlots + 4, 0, 4 * (kImageSlotCount - 1));

  DWORD following = 0;
  for (DWORD k = list.count; k-- > 0 && !out.failed;) {
    const OptionRecord* r = list.nodes[k];
    DWORD values = 0;
    if (r->shareKey == 0) {
      values = LayValues(out, r);
      if (remembered && values && isKey(r->itemId)) remembered[rememberedCount++] = {r->itemId, values};
    } else {
      values = lookup(ShareKeyOf(r));
    }
    DWORD commands = 0;
    if (r->commands) {
      const DWORD c1 = out.Text(r->commands->command1);
      const DWORD c2 = out.Text(r->commands->command2);
      commands = out.Take(kCommandPairSize);
      out.U32(commands, c1);
      out.U32(commands + 4, c2);
    }
    DWORD condition = 0;
    if (rowOffsets) {
      DWORD row = 0;
      for (const ConditionBlock* b = parse->exclusives.first; b && row < rows; b = b->next, ++row) {
        if (b->featureItemId == r->itemId) {
          condition = rowOffsets[row];
          break;
        }
      }
    }
    const DWORD at = out.Take(kOptionRecordSize);
    out.U32(at + opt::kNext, following);
    out.U16(at + opt::kItemId, r->itemId);
    out.U16(at + opt::kShareKey, r->shareKey);
    out.U16(at + opt::kFeatureId, r->featureId);
    out.U16(at + opt::kType, r->type);
    out.U16(at + opt::kDefault, r->defaultValue);
    out.U32(at + opt::kCommands, commands);
    out.U32(at + opt::kCondition, condition);
    out.U32(at + opt::kValues, values);
    if (header && !out.failed) {
      if (const int slot = kImageSlotOfFeature(r->featureId)) {
        BYTE* p = header + kHdrSlots + 4 * slot;
        if (r->shareKey == 0 || LoadU32(p) == 0) StoreU32(p, at);
      }
    }
    following = at;
  }
  FreeMem(remembered);
  if (header && !out.failed) StoreU32(header + kHdrSlots, following);
  return !out.failed;
}

DWORD LayCommandBlock(Layout& out, const ModelParse* parse, const RuleOffsets& r, const DWORD* stringOffsets,
                      const CommandBlock* block, int depth);

DWORD LayNodes(Layout& out, const ModelParse* parse, const RuleOffsets& r, const DWORD* stringOffsets,
               CommandNode* first, int depth) {
  NodeArray<CommandNode> nodes(first);
  if (!nodes.ok) {
    out.failed = true;
    return 0;
  }
  DWORD following = 0;
  for (DWORD k = nodes.count; k-- > 0 && !out.failed;) {
    const CommandNode* n = nodes.nodes[k];
    DWORD at = 0;
    switch (n->kind) {
      case kNodeGroupType:
        at = out.Take(12);
        out.U16(at + cmd::kNodeFeatureItemId, n->featureItemId);
        out.U16(at + cmd::kNodeNumber, n->number);
        break;
      case kNodeStringType: {
        at = out.Take(16);
        DWORD i = 0, text = 0, length = n->stringNumber;
        for (const CommandStringEntry* e = parse->commandStrings.first; e; e = e->next, ++i) {
          if (e->number == n->stringNumber) {
            text = stringOffsets ? stringOffsets[i] : 0;
            length = e->text ? static_cast<DWORD>(std::strlen(e->text) + 1) : 0;
            break;
          }
        }
        out.U32(at + cmd::kNodeTextLength, length);
        out.U32(at + cmd::kNodeText, text);
        break;
      }
      case kNodeCommand: {
        const DWORD nested = LayCommandBlock(out, parse, r, stringOffsets, n->block, depth + 1);
        at = out.Take(12);
        out.U32(at + cmd::kNodeBlock, nested);
        break;
      }
      default:
        at = out.Take(8);
        break;
    }
    out.U32(at + cmd::kNodeNext, following);
    out.U16(at + cmd::kNodeKind, n->kind);
    following = at;
  }
  return following;
}

DWORD LayCommandBlock(Layout& out, const ModelParse* parse, const RuleOffsets& r, const DWORD* stringOffsets,
                      const CommandBlock* block, int depth) {
  if (!block) return 0;
  if (depth > 2 * kMaxCommandNesting) {
    out.failed = true;
    return 0;
  }
  const DWORD first = LayNodes(out, parse, r, stringOffsets, block->first, depth);
  const DWORD second = LayNodes(out, parse, r, stringOffsets, block->second, depth);
  const DWORD at = out.Take(kCommandBlockSize);
  out.U32(at + cmd::kBlockJudge, JudgeProgram(r, block->judge));
  out.U32(at + cmd::kBlockFirst, first);
  out.U32(at + cmd::kBlockSecond, second);
  return at;
}

void LayFontList(Layout& out, DWORD count, FontIdEntry* const* entries, DWORD* arrayOffset) {
  if (count == 0 || !entries) return;
  if (count > 0x7FFFFFFF / 4) {
    out.failed = true;
    return;
  }
  DWORD* offsets = nullptr;
  if (!out.Counting()) {
    offsets = static_cast<DWORD*>(AllocMem(count * 4));
    if (!offsets) {
      out.failed = true;
      return;
    }
  }
  for (DWORD i = 0; i < count && !out.failed; ++i) {
    const FontIdEntry* e = entries[i];
    if (!e) continue;
    const DWORD name = out.Text(e->name);
    const DWORD at = out.Take(kFontIdEntrySize);
    out.U32(at, e->id);
    out.U32(at + 4, name);
    if (offsets) offsets[i] = at;
  }
  const DWORD array = out.Take(count * 4);
  for (DWORD i = 0; i < count && offsets; ++i) out.U32(array + 4 * i, offsets[i]);
  FreeMem(offsets);
  *arrayOffset = array;
}

bool LayCommandSection(Layout& out, const ModelParse* parse, const RuleOffsets& r, BYTE* header) {
  NodeArray<CommandStringEntry> strings(parse->commandStrings.first);
  if (!strings.ok) return false;
  DWORD* stringOffsets = nullptr;
  if (strings.count && !out.Counting()) {
    stringOffsets = static_cast<DWORD*>(AllocMem(strings.count * 4));
    if (!stringOffsets) return false;
  }
  for (DWORD i = 0; i < strings.count; ++i) {
    const DWORD at = out.Text(strings.nodes[i]->text);
    if (stringOffsets) stringOffsets[i] = at;
  }
  const ParsedHeader& h = parse->header;
  const DWORD ui = out.Wide(h.uiResDllName);
  const DWORD exc = out.Wide(h.excDepDllName);
  DWORD groups[kGroupCount] = {};
  for (int g = 0; g < kGroupCount; ++g) groups[g] = LayCommandBlock(out, parse, r, stringOffsets, h.groups[g], 0);
  DWORD deviceFonts = 0, cartridges = 0;
  LayFontList(out, h.deviceFontCount, h.deviceFonts, &deviceFonts);
  LayFontList(out, h.fontCartridgeCount, h.fontCartridges, &cartridges);
  FreeMem(stringOffsets);
  if (header && !out.failed) {
    StoreU32(header + kHdrUIResDLLName, ui);
    StoreU32(header + kHdrExcDepDLLName, exc);
    for (int g = 0; g < kGroupCount; ++g) StoreU32(header + kHdrCommandGroups + 4 * g, groups[g]);
    StoreU32(header + kHdrDeviceFontCount, deviceFonts ? h.deviceFontCount : 0);
    StoreU32(header + kHdrDeviceFonts, deviceFonts);
    StoreU32(header + kHdrFontCartridgeCount, cartridges ? h.fontCartridgeCount : 0);
    StoreU32(header + kHdrFontCartridges, cartridges);
  }
  return !out.failed;
}

// Both passes. Counting: block null, result in *size. Copying: block of *size bytes.
bool LayOut(BYTE* block, DWORD* size, const ModelParse* parse) {
  Layout out;
  out.base = block;
  out.size = block ? *size : 0;
  RuleOffsets r{parse};
  const DWORD rows = CountRows(parse);
  DWORD* rowOffsets = nullptr;
  bool ok = true;
  if (rows && block) {
    rowOffsets = static_cast<DWORD*>(AllocMem(rows * 4));
    ok = rowOffsets != nullptr;
  }
  DWORD conditionArray = 0;
  bool written = false;
  ok = ok && LayRuleSection(out, parse, r, rowOffsets, &conditionArray, &written);
  // Without any rule record the rows are not written, but their space is still counted (and
  // stays zero at the end of the block).
  const DWORD unwritten = written ? 0 : rows * kConditionBlockSize;
  ok = ok && LayOptionSection(out, parse, written ? rowOffsets : nullptr, rows, block);
  ok = ok && LayCommandSection(out, parse, r, block);
  FreeMem(rowOffsets);
  FreeMem(r.judgePrograms);
  for (DWORD* l : r.lists) FreeMem(l);
  if (!ok || out.failed) return false;
  if (unwritten > kNoSpace - out.pos) return false;
  if (!block) {
    *size = out.pos + unwritten;
    return true;
  }
  for (int i = 0; i < 16; ++i) StoreU16(block + kHdrFileVersion + 2 * i, parse->header.fileVersion[i]);
  StoreU16(block + kHdrFileVersion + 30, 0);
  StoreU32(block + kHdrTotalSize, *size);
  StoreU32(block + kHdrConditionBlocks, written ? conditionArray : 0);
  return out.pos + unwritten == *size;
}

}  // namespace

DWORD ComputeModelImageSize(const ModelParse* parse) {
  if (!parse) return 0;
  DWORD size = 0;
  return LayOut(nullptr, &size, parse) ? size : 0;
}

bool LayOutModelImage(BYTE* block, DWORD size, const ModelParse* parse) {
  if (!block || !parse || size < kModelHeaderSize) return false;
  return LayOut(block, &size, parse);
}

ModelImage* CopyModelImage(ModelParse* parse) {
  if (!parse) return nullptr;
  ModelImage* image = nullptr;
  const DWORD size = ComputeModelImageSize(parse);
  if (size) {
    const ParsedHeader& h = parse->header;
    BYTE* block = AllocateModelImage(size, h.uiResDllName, h.excDepDllName);
    if (block && LayOutModelImage(block, size, parse)) {
      image = FinishModelImage(block);
    } else {
      FreeMem(block);
    }
  }
  FreeModelParse(parse);
  return image;
}

ModelImage* BuildModelImage(DriverContext* context, const WCHAR* dataFilePath, bool mayWrite) {
  if (!dataFilePath) return nullptr;
  ModelParse* parse = ParseModelDescription(dataFilePath);
  if (!parse) return nullptr;
  ModelImage* image = CopyModelImage(parse);
  if (image && mayWrite) {
    const ProductRecord* product = context && context->product ? context->product : GetProductRecord();
    const WCHAR* version = GetProductString(product->driverVersionString);
    WCHAR imageVersion[16];
    for (int i = 0; i < 16; ++i) imageVersion[i] = LoadU16(ImageBytes(image) + 2 * i);
    imageVersion[15] = 0;
    if (version && lstrcmpiW(imageVersion, version) == 0) WriteModelCacheFile(image, dataFilePath);
  }
  return image;
}
