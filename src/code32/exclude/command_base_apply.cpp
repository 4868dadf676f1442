#include "command_base_apply.h"

#include <cstring>

#include "command_base_parse.h"
#include "base/driver_context.h"
#include "fields/field_access.h"
#include "fields/field_table.h"
#include "base/memory.h"
#include "fields/product_record.h"
#include "field_ids.h"
#include "model/option_lookup.h"
#include "model/resolution_choices.h"
#include "model/rule_apply.h"
#include "api_printer.h"

namespace {

constexpr DWORD kBindingField = fid::kdmDuplexType;    // 94
constexpr DWORD kSortField = fid::kdmFuncSelectSort;   // 61, written through COLLATE
constexpr DWORD kCollateField = fid::kdmSortType;      // 119

// Booklet slot value -> the first duplex type of its group.
struct BookletRow {
  std::int32_t booklet;
  std::int32_t duplexBase;
};
constexpr BookletRow kBookletMap[] = {{0, 1}, {1, 17}, {2, 20}};

// The fields every base must set, in the order they are tested.
constexpr DWORD kRequiredFields[] = {fid::dmPaperSize, fid::dmOrientation, fid::kdmOutPaperSize,
                                     fid::dmDefaultSource};

const BookletRow* FindBookletRow(std::int32_t booklet) {
  for (const BookletRow& row : kBookletMap)
    if (row.booklet == booklet) return &row;
  return nullptr;
}

// The side of a binding value within its group: 0 top, 1 right, 2 left; -1 for other values.
int BindingSide(std::int32_t v) {
  switch (v) {
    case 1: case 17: case 20: return 0;
    case 2: case 18: case 21: return 1;
    case 3: case 19: case 22: return 2;
    default: return -1;
  }
}

std::int32_t MapBindingThroughBooklet(const ExcBaseRecord* handle, std::int32_t v) {
  if (!IsSlotSet(handle, kPjlBookletField)) return v;
  const BookletRow* row = FindBookletRow(SlotValue(handle, kPjlBookletField));
  if (!row) return v;
  const int side = BindingSide(v);
  return row->duplexBase + (side > 0 ? side : 0);
}

void StoreSlot(ExcBaseRecord* handle, DWORD fieldId, std::int32_t value) {
  const int i = PjlSlotIndex(fieldId);
  if (i < 0 || !handle->slotSet) return;
  handle->slotSet[i] = 1;
  handle->slotValues[i] = value;
}

void ApplyFieldTransacts(ExcBaseRecord* handle, DWORD fieldId) {
  const ImageRef option = FindOptionRecord(static_cast<WORD>(fieldId), handle->context);
  if (option) ApplyOptionTransacts(option, handle->context);
}

void SetSlot(ExcBaseRecord* handle, DWORD fieldId, std::int32_t value, int propagate) {
  if (PjlSlotIndex(fieldId) < 0) return;
  if (!propagate) {
    StoreSlot(handle, fieldId, value);
    if (fieldId <= kPjlLastSettingsField) WriteFieldRawById(handle->context, static_cast<WORD>(fieldId), value);
    return;
  }
  if (IsSlotSet(handle, fieldId) && SlotValue(handle, fieldId) == value) return;
  StoreSlot(handle, fieldId, value);
  if (fieldId <= kPjlLastSettingsField) {
    WriteFieldRawById(handle->context, static_cast<WORD>(fieldId), static_cast<DWORD>(value));
    ApplyFieldTransacts(handle, fieldId);
  }
  RefreshSlots(handle);
}

void ApplyModelOption(ExcBaseRecord* handle, const PjlItem* item, const char* text, int propagate) {
  DriverContext* context = handle->context;
  const ImageRef option = FindPjlOption(context, item->key, item->reserved);
  if (!option) return;
  const WORD id = static_cast<WORD>(item->key);
  switch (item->kindBits) {
    case kPjlKindOption:
      SetFieldValueById(context, id, FindOptionItemByName(option, text));
      break;
    case kPjlKindNumber: {
      // A text that is no usable number (not a number, beyond 32 bits, or a model factor of
      // 0) leaves the field as it is; the slot still takes the field's value below, so the
      // line stays in the rebuilt base with the value in force and the item stays settable.
      std::int32_t value = 0;
      if (ScalePjlNumberIn(context, option, text, &value)) SetFieldValueById(context, id, static_cast<DWORD>(value));
      break;
    }
    case kPjlKindText: {
      SettingField* field = FindFieldById(context, id);
      if (!field) return;
      WCHAR wide[kPjlTokenBytes] = {};
      AnsiToWide(text, wide, kPjlTokenBytes);
      SetFieldString(context, field, wide);
      break;
    }
    default:
      return;
  }
  if (PjlSlotIndex(item->key) < 0) return;
  const bool wasSet = IsSlotSet(handle, item->key);
  const std::int32_t before = SlotValue(handle, item->key);
  const auto now = static_cast<std::int32_t>(ReadFieldRawById(context, id));
  StoreSlot(handle, item->key, now);
  if (propagate && (!wasSet || before != now)) ApplyOptionTransacts(option, context);
}

const PjlValue* ChooseValue(DriverContext* context, const PjlItem* item, const char* text) {
  const PjlValue* firstNamed = nullptr;
  for (DWORD i = 0; i < item->values->count; ++i) {
    const PjlValue& v = item->values->values[i];
    if (!v.name || std::strcmp(v.name, text) != 0) continue;
    if (!firstNamed) firstNamed = &v;
    if (EvaluateConditionList(context, v.condition)) return &v;
  }
  return firstNamed;
}

void ApplyTableValue(ExcBaseRecord* handle, const PjlItem* item, const char* text, int propagate) {
  const PjlValue* value = ChooseValue(handle->context, item, text);
  if (!value) return;
  for (const OptionSettingNode* n = value->settings; n; n = n->next) {
    SetSlot(handle, n->fieldId, static_cast<std::int32_t>(n->value), propagate);
  }
  if (value->flags & POV_OFF) {
    if (item->key <= kPjlLastSettingsField && PjlSlotIndex(item->key) >= 0) {
      StoreSlot(handle, item->key,
                static_cast<std::int32_t>(ReadFieldRawById(handle->context, static_cast<WORD>(item->key))));
    }
    return;
  }
  auto v = static_cast<std::int32_t>(value->value);
  if (IsBindingItem(item)) {
    v = MapBindingThroughBooklet(handle, v);
  } else if (IsBookletItem(item) && IsSlotSet(handle, kBindingField)) {
    SetSlot(handle, kPjlBookletField, v, propagate);
    SetSlot(handle, kBindingField, MapBindingThroughBooklet(handle, SlotValue(handle, kBindingField)), propagate);
  }
  SetSlot(handle, item->key, v, propagate);
}

bool AppendItemLine(ExcBaseRecord* handle, const PjlItem* item, std::int32_t slotValue, PjlText& out) {
  if (IsValueTableItem(item)) {
    const PjlValue* chosen = nullptr;
    for (DWORD i = 0; i < item->values->count && !chosen; ++i) {
      const PjlValue& v = item->values->values[i];
      if (static_cast<std::int32_t>(v.value) != slotValue && !(v.flags & POV_OFF)) continue;
      bool clash = false;
      for (const OptionSettingNode* n = v.settings; n && !clash; n = n->next) {
        clash = IsSlotSet(handle, n->fieldId) && SlotValue(handle, n->fieldId) != static_cast<std::int32_t>(n->value);
      }
      if (!clash) chosen = &v;
    }
    if (!chosen || !chosen->name) return true;
    return AppendPjlLine(out, item->name, chosen->name);
  }
  if (IsModelOptionItem(item)) {
    const ImageRef option = FindPjlOption(handle->context, item->key, item->reserved);
    if (!option) return true;
    const std::size_t before = out.Length();
    out.Append(PjlOptionCommand(option, 0));
    if (!FormatOptionValue(out, handle->context, option, item->key, static_cast<DWORD>(slotValue), item->kindBits)) {
      if (out.Failed()) return false;
      out.Truncate(before);  // no value: no line
      return true;
    }
    out.Append(PjlOptionCommand(option, 1));
    return !out.Failed();
  }
  return true;
}

bool SameText(const char* a, const char* b) { return std::strcmp(a, b) == 0; }

// The new base: each line of the old base, in order, with its value in force; see
// RebuildAndDiff.
bool RebuildBase(ExcBaseRecord* handle, const char* newText, const char* line, PjlText& out) {
  const char* base = handle->baseText ? handle->baseText : "";
  char name[kPjlTokenBytes];
  char value[kPjlTokenBytes];
  char other[kPjlTokenBytes];
  std::size_t at = 0;
  for (;;) {
    const int used = ParsePjlLine(base + at, name, value);
    if (used <= 0) break;
    at += static_cast<std::size_t>(used);
    if (HasPjlName(newText, name, other)) {
      AppendPjlLine(out, name, other);
    } else if (line && FindPjlItem(handle->context, name, kPjlCommand)) {
      AppendPjlLine(out, name, HasPjlName(line, name, other) ? other : value);
    }
  }
  out.Finish();
  return !out.Failed();
}

}  // namespace

int PjlSlotIndex(DWORD fieldId) {
  return (fieldId >= 1 && fieldId <= kPjlSlotCount) ? static_cast<int>(fieldId - 1) : -1;
}

bool IsSlotSet(const ExcBaseRecord* handle, DWORD fieldId) {
  const int i = PjlSlotIndex(fieldId);
  return i >= 0 && handle && handle->slotSet && handle->slotSet[i] != 0;
}

std::int32_t SlotValue(const ExcBaseRecord* handle, DWORD fieldId) {
  const int i = PjlSlotIndex(fieldId);
  return (i >= 0 && handle && handle->slotValues) ? handle->slotValues[i] : 0;
}

int IsItemSettable(const ExcBaseRecord* handle, const PjlItem* item) {
  if (!item) return 0;
  if (IsForceFeedItem(item)) return 1;
  return IsSlotSet(handle, item->key) ? 1 : 0;
}

void ApplyPjlLine(ExcBaseRecord* handle, const PjlItem* item, const char* valueText, int propagate) {
  if (!handle || !handle->context || !item || !valueText || IsForceFeedItem(item)) return;
  if (IsModelOptionItem(item)) {
    ApplyModelOption(handle, item, valueText, propagate);
  } else if (IsValueTableItem(item)) {
    ApplyTableValue(handle, item, valueText, propagate);
  }
}

void RefreshSlots(ExcBaseRecord* handle) {
  if (!handle || !handle->slotSet) return;
  for (DWORD id = 1; id <= kPjlLastSettingsField; ++id) {
    if (IsSlotSet(handle, id)) {
      handle->slotValues[id - 1] = static_cast<std::int32_t>(ReadFieldRawById(handle->context, static_cast<WORD>(id)));
    }
  }
  if (!IsSlotSet(handle, kBindingField) || !IsSlotSet(handle, kPjlBookletField)) return;
  std::int32_t base = SlotValue(handle, kBindingField);
  const int side = BindingSide(base);
  if (side > 0) base -= side;
  for (const BookletRow& row : kBookletMap) {
    if (row.duplexBase == base) {
      StoreSlot(handle, kPjlBookletField, row.booklet);
      break;
    }
  }
}

bool BuildCommandText(ExcBaseRecord* handle, PjlText& out) {
  const PjlItem* written[kPjlSlotCount] = {};
  int writtenCount = 0;
  for (DWORD id = 1; id <= kPjlSlotCount; ++id) {
    if (!IsSlotSet(handle, id)) continue;
    const PjlItem* item = nullptr;
    std::int32_t value = SlotValue(handle, id);
    if (id == kSortField) {
      item = FindPjlItemById(kCollateField, kPjlCommand, handle->context);
      value = SlotValue(handle, kCollateField);
    } else {
      item = FindPjlItemById(id, kPjlCommand, handle->context);
    }
    if (!item || IsForceFeedItem(item)) continue;
    bool done = false;
    for (int i = 0; i < writtenCount && !done; ++i) done = written[i] == item;
    if (done) continue;
    written[writtenCount++] = item;
    if (!AppendItemLine(handle, item, value, out)) return false;
  }
  out.Finish();
  return !out.Failed();
}

bool DiffAgainstBase(const char* base, const char* newText, const char* line, PjlText& change) {
  char name[kPjlTokenBytes];
  char value[kPjlTokenBytes];
  char baseValue[kPjlTokenBytes];
  char givenValue[kPjlTokenBytes];
  std::size_t at = 0;
  for (;;) {
    const int used = ParsePjlLine(newText + at, name, value);
    if (used <= 0) break;
    at += static_cast<std::size_t>(used);
    if (!HasPjlName(base, name, baseValue)) continue;
    const bool given = line && HasPjlName(line, name, givenValue);
    const bool differs = !SameText(value, baseValue);
    if ((differs && !(given && SameText(givenValue, value))) || (!differs && given && !SameText(givenValue, value))) {
      if (!AppendPjlLine(change, name, value)) return false;
    }
  }
  return !change.Failed();
}

void DropChangeText(ExcBaseRecord* handle) {
  FreeMem(handle->changeText);
  handle->changeText = nullptr;
  handle->changeLength = 0;
}

void DropBaseText(ExcBaseRecord* handle) {
  FreeMem(handle->baseText);
  handle->baseText = nullptr;
  handle->baseLength = 0;
}

std::int32_t RebuildAndDiff(ExcBaseRecord* handle, const char* line) {
  ApplyResolutionLimit(handle->context);
  RefreshSlots(handle);
  PjlText rebuilt;
  if (!BuildCommandText(handle, rebuilt)) return -1;
  PjlText change;
  if (!DiffAgainstBase(handle->baseText ? handle->baseText : "", rebuilt.Data(), line, change)) return -1;
  std::int32_t answer = 0;
  if (change.Length() > 0) {
    if (!change.Finish()) return -1;
    DropChangeText(handle);
    handle->changeLength = static_cast<std::int32_t>(change.Length());
    handle->changeText = change.Release();
    answer = 1;
  }
  PjlText base;
  if (!RebuildBase(handle, rebuilt.Data(), line, base)) return -1;
  DropBaseText(handle);
  handle->baseLength = static_cast<std::int32_t>(base.Length());
  handle->baseText = base.Release();
  return answer;
}

int WouldBeClean(ExcBaseRecord* handle, const PjlItem* item, const char* valueText) {
  if (!handle || !handle->context || !handle->baseText || !item || !valueText) return 0;
  DriverContext* context = handle->context;
  if (!context->settings) return 0;
  const DWORD settingsSize = GetSettingsBufferSize();
  auto* settings = static_cast<BYTE*>(AllocMem(settingsSize));
  auto* flags = static_cast<BYTE*>(AllocMem(kPjlSlotCount));
  auto* values = static_cast<std::int32_t*>(AllocMem(kPjlSlotCount * sizeof(std::int32_t)));
  int clean = 0;
  if (settings && flags && values) {
    std::memcpy(settings, context->settings, settingsSize);
    std::memcpy(flags, handle->slotSet, kPjlSlotCount);
    std::memcpy(values, handle->slotValues, kPjlSlotCount * sizeof(std::int32_t));
    ApplyPjlLine(handle, item, valueText, 0);
    ApplyResolutionLimit(context);
    RefreshSlots(handle);
    PjlText rebuilt;
    PjlText given;
    PjlText change;
    if (BuildCommandText(handle, rebuilt) && AppendPjlLine(given, item->name, valueText) && given.Finish() &&
        DiffAgainstBase(handle->baseText, rebuilt.Data(), given.Data(), change)) {
      clean = change.Length() == 0 ? 1 : 0;
    }
    std::memcpy(context->settings, settings, settingsSize);
    std::memcpy(handle->slotSet, flags, kPjlSlotCount);
    std::memcpy(handle->slotValues, values, kPjlSlotCount * sizeof(std::int32_t));
  }
  FreeMem(settings);
  FreeMem(flags);
  FreeMem(values);
  return clean;
}

std::int32_t SetBaseText(ExcBaseRecord* handle, const char* text) {
  if (!handle || !handle->context || !text) return -2;
  char name[kPjlTokenBytes];
  char value[kPjlTokenBytes];
  std::size_t at = 0;
  for (;;) {
    const int used = ParsePjlLine(text + at, name, value);
    if (used < 0) return -1;
    if (used == 0) break;
    at += static_cast<std::size_t>(used);
    if (const PjlItem* item = FindPjlItem(handle->context, name, kPjlCommand | kPjlOptionList)) {
      ApplyPjlLine(handle, item, value, 0);
    }
  }
  for (DWORD field : kRequiredFields) {
    if (!IsSlotSet(handle, field)) return -2;
  }
  const std::size_t length = std::strlen(text);
  if (length == 0 || length >= 0x7FFFFFFF) return -2;
  DropBaseText(handle);
  handle->baseText = static_cast<char*>(AllocMem(static_cast<DWORD>(length + 1)));
  if (!handle->baseText) return -1;
  std::memcpy(handle->baseText, text, length + 1);
  handle->baseLength = static_cast<std::int32_t>(length + 1);
  return RebuildAndDiff(handle, nullptr);
}

std::int32_t UpdateBaseLine(ExcBaseRecord* handle, const char* line, const char* name, const char* value) {
  if (!handle || !handle->context || !handle->baseText) return 0;
  const PjlItem* item = FindPjlItem(handle->context, name, kPjlCommand);
  if (!item || !IsItemSettable(handle, item)) return 0;
  ApplyPjlLine(handle, item, value, 1);
  return RebuildAndDiff(handle, line);
}
