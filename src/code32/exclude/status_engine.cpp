#include "status_engine.h"

#include <cstring>
#include <initializer_list>

#include "api_frame.h"
#include "api_printer.h"
#include "base/driver_context.h"
#include "base/memory.h"
#include "context/chapter_list.h"
#include "context/context_create.h"
#include "field_ids.h"
#include "fields/field_access.h"
#include "item_tables.h"
#include "model/rule_eval.h"
#include "option_services.h"
#include "settings_snapshots.h"
#include "status_propagation.h"
#include "stored/device_settings.h"
#include "stored/module_services.h"
#include "win/spool.h"

namespace {

constexpr DWORD kPrinterAllAccess = 0xF000C;

// Record kinds of the items whose layouts differ by kind; row 0 is {0, 0}.
struct KindTable {
  DWORD item;
  DWORD kinds;  // rows after row 0
  RecordKindRow rows[4];
};
constexpr KindTable kKindTables[] = {
    {7, 2, {{0, 0}, {32, 1}, {32, 12}, {0, 0}}},
    {8, 3, {{0, 0}, {32, 1}, {32, 10}, {32, 12}}},
    {10, 3, {{0, 0}, {392, 1}, {408, 10}, {484, 14}}},
    {11, 2, {{0, 0}, {32, 1}, {32, 14}, {0, 0}}},
    {14, 2, {{0, 0}, {32, 1}, {32, 10}, {0, 0}}},
    {16, 3, {{0, 0}, {372, 1}, {412, 3}, {420, 10}}},
    {19, 2, {{0, 0}, {32, 1}, {32, 10}, {0, 0}}},
    {28, 3, {{0, 0}, {32, 1}, {32, 12}, {32, 14}}},
    {47, 2, {{0, 0}, {104, 8}, {108, 10}, {0, 0}}},
    {56, 2, {{0, 0}, {0, 0}, {824, 11}, {0, 0}}},
    {67, 2, {{0, 0}, {36, 13}, {40, 15}, {0, 0}}},
};

const KindTable* FindKindTable(DWORD item) {
  for (const KindTable& table : kKindTables)
    if (table.item == item) return &table;
  return nullptr;
}

// The last error as the frame keeps it (0 when none is kept).
std::int32_t LastErrorOf(DriverContext* handle) {
  ApiState* state = ApiStateOf(handle);
  return state ? state->lastError : 0;
}

int IsAnyOf(DWORD id, std::initializer_list<DWORD> ids) {
  for (DWORD each : ids)
    if (each == id) return 1;
  return 0;
}

// Whether the option governing the field exists and the rules disable or hide it.
int IsFieldOptionDisabledOrHidden(DriverContext* context, WORD field) {
  ImageRef option = FindFieldOption(field, context);
  if (!option) return 0;
  return IsItemDisabled(option, 0, context) || IsItemHidden(option, 0, context) ? 1 : 0;
}

DWORD RecordWord(const void* record, DWORD offset) {
  DWORD value = 0;
  std::memcpy(&value, static_cast<const BYTE*>(record) + offset, 4);
  return value;
}

// Step 12's test with its exceptions: 1 when the main field's state lets the change go on.
int MainFieldAllowsChange(DriverContext* context, const StatusItem* row, const void* record) {
  if (!row->mainField) return 1;
  const WORD main = static_cast<WORD>(row->mainField);
  ImageRef option = FindFieldOption(main, context);
  if (!option) return 1;
  const int disabled = IsItemDisabled(option, 0, context);
  const int hidden = IsItemHidden(option, 0, context);
  if (!disabled && !hidden) return 1;
  const DWORD id = row->id;
  if (id >= 265 && id <= 269) return 1;
  if (id == 15 && ReadFieldRawById(context, fid::kdmLock000InfoBitDuplex)) return 1;
  if (id == 14 && ReadFieldRawById(context, fid::kdmLock000InfoBitNupKind)) return 1;
  if (!disabled && hidden) {
    if (id == 28) return 1;
    if (id == 19)
      return RecordWord(record, 28) != 0 && !IsFieldOptionDisabledOrHidden(context, fid::kdmSortType) ? 1 : 0;
  }
  return 0;
}

// What a change rolls back to: the device-mode, the work fields and the chapter list.
struct Snapshots {
  BYTE* devmode = nullptr;
  BYTE* workFields = nullptr;
  ChapterListCopy chapters{0, nullptr};
};

void ZeroChanged(BYTE* changed) {
  if (changed) std::memset(changed, 0, ChangedBitmapBytes());
}

void RollBack(DriverContext* context, HANDLE printer, Snapshots* s, BYTE* changed) {
  RestoreDevmodeSnapshot(context, s->devmode, 1);
  s->devmode = nullptr;
  ZeroChanged(changed);
  RestoreWorkFieldsSnapshot(context, s->workFields, 1);
  s->workFields = nullptr;
  ZeroChanged(changed);
  SaveDeviceSettings(printer, context, 3, 2);
  PutChapterListCopyBack(context, &s->chapters);
  SaveDeviceSettings(printer, context, 3, 2);
}

void Release(DriverContext* context, Snapshots* s) {
  RestoreDevmodeSnapshot(context, s->devmode, 0);
  RestoreWorkFieldsSnapshot(context, s->workFields, 0);
  FreeChapterListCopy(&s->chapters);
  *s = Snapshots{};
}

// Steps 6 to 19 of a change, with the printer open and the snapshots taken: the answer.
std::int32_t RunChange(DriverContext* handle, HANDLE printer, const StatusItem* row, void* record, BYTE* changed,
                       std::int32_t mode, int kindAnswer) {
  const DWORD id = row->id;
  const int marginBefore = AllowsMarginWithFunction(handle, id);
  LoadDeviceSettingsByKind(printer, handle, 1);
  if (handle->work && handle->work->savedSettings) {
    FreeSavedFontTables(handle);
    SaveSettingsCopy(handle);
    RefreshItemStates(handle);
  }
  if (IsAnyOf(id, {5, 35, 39, 42, 43, 46, 48, 51, 79}) &&
      !IsFieldOptionOffered(handle, static_cast<WORD>(row->mainField)))
    return SetApiError(handle, API_NOT_AVAILABLE), -1;
  if (((id >= 29 && id <= 33) || (id >= 76 && id <= 78)) && IsTerminalServerRestricted(handle))
    return SetApiError(handle, API_TERMINAL_SERVER), -1;
  if (IsAnyOf(id, {34, 35, 38, 39, 40, 41, 42, 43, 46, 49, 257, 265, 266, 267, 268, 269})) {
    const std::int32_t macros = QueryCapability(handle, 270, nullptr);
    if (macros != -1 && macros != 0 &&
        !(ReadFieldRawById(handle, fid::kdmUseUserMacro) && ReadFieldRawById(handle, fid::kdmUserPrintMacro) == 160))
      return SetApiError(handle, API_USER_MACRO), -1;
  }
  if ((id == 70 || id == 71) && GetApiVersion() < 15) return SetApiError(handle, API_NOT_AVAILABLE), -1;
  if (!MainFieldAllowsChange(handle, row, record)) return SetApiError(handle, API_NOT_CHANGEABLE), -1;

  const std::int32_t remembered = LastErrorOf(handle);
  SetApiError(handle, API_NOT_CHANGEABLE);
  if (row->set(handle, id, record, changed, mode) != 1) return -1;
  SetApiError(handle, remembered);
  PropagateStatusChange(handle, row, record, changed);
  if (changed && QueryCapability(handle, 34, nullptr) == 0) {
    // Item 18's bit: 0x80 >> 1 of byte 2.
    if ((18 - 1) / 8 < ChangedBitmapBytes()) changed[(18 - 1) / 8] &= static_cast<BYTE>(~(0x80u >> ((18 - 1) % 8)));
  }
  if (row->verify && row->verify(handle, id, record, changed, mode) != 1)
    return SetApiError(handle, API_NOT_CHANGEABLE), -1;
  if (marginBefore && ReadFieldRawById(handle, fid::kdmFuncSelectMargin) == 0) EnsureMarginFunction(handle);
  if (id != 50 && id != 56) SetFieldValueById(handle, fid::kdmPresetNo, 255);
  return kindAnswer == 1 ? static_cast<std::int32_t>(row->recordKind) : 0;
}

}  // namespace

int ItemNeedsPrinterHandle(DWORD) { return 1; }

int CheckRecordKind(const void* record, DWORD itemKind, std::int32_t mode) {
  if (!record) return 2;
  if (RecordWord(record, 0) <= itemKind) return 0;
  return mode == 2 ? 2 : 1;
}

int CompareRecordKind(DWORD itemKind, DWORD callerKind) {
  if (callerKind == 0 || callerKind == itemKind) return 0;
  return callerKind < itemKind ? 1 : 2;
}

const RecordKindRow* FindRecordKindRow(DWORD item, DWORD kind) {
  const KindTable* table = FindKindTable(item);
  if (!table) return nullptr;
  return &table->rows[kind > table->kinds ? table->kinds : kind];
}

int KindNeedsNewerApi(DWORD item, DWORD kind) {
  const RecordKindRow* row = FindRecordKindRow(item, kind);
  return row && static_cast<std::int32_t>(row->minimumVersion) > GetApiVersion() ? 1 : 0;
}

std::int32_t RecordSizeOfKind(DWORD item, DWORD kind, std::int32_t fallback) {
  const RecordKindRow* row = FindRecordKindRow(item, kind);
  return row ? static_cast<std::int32_t>(row->size) : fallback;
}

DWORD ChangedBitmapBytes() { return GetApiVersion() < 6 ? 32 : 64; }

void MarkChangedItem(BYTE* changed, DWORD id) {
  if (!changed || id < 1 || (id - 1) / 8 >= ChangedBitmapBytes()) return;
  changed[(id - 1) / 8] |= static_cast<BYTE>(0x80u >> ((id - 1) % 8));
}

int IsChangedItemMarked(const BYTE* changed, DWORD id) {
  if (!changed || id < 1 || (id - 1) / 8 >= ChangedBitmapBytes()) return 0;
  return (changed[(id - 1) / 8] & (0x80u >> ((id - 1) % 8))) ? 1 : 0;
}

int TakeChapterListCopy(DriverContext* context, DWORD entries, ChapterListCopy* copy) {
  *copy = ChapterListCopy{0, nullptr};
  if (!context || !context->work || !context->work->chapterEntries) return 1;
  const DWORD capacity = context->work->chapterCapacity;
  const DWORD count = entries < capacity ? entries : capacity;
  if (count == 0) return 1;
  copy->entries = static_cast<BYTE*>(AllocMem(count * sizeof(ChapterEntry)));
  if (!copy->entries) return 0;
  std::memcpy(copy->entries, context->work->chapterEntries, count * sizeof(ChapterEntry));
  copy->count = count;
  return 1;
}

void PutChapterListCopyBack(DriverContext* context, const ChapterListCopy* copy) {
  if (!context || !context->work || !context->work->chapterEntries) return;
  // The list may have been made larger during the call (a settings file with more
  // chapters): its entries past the copy's are cleared.
  const DWORD capacity = context->work->chapterCapacity;
  auto* list = static_cast<BYTE*>(context->work->chapterEntries);
  const DWORD both = copy->count < capacity ? copy->count : capacity;
  if (both) std::memcpy(list, copy->entries, both * sizeof(ChapterEntry));
  if (capacity > both) std::memset(list + both * sizeof(ChapterEntry), 0, (capacity - both) * sizeof(ChapterEntry));
}

void FreeChapterListCopy(ChapterListCopy* copy) {
  FreeMem(copy->entries);
  *copy = ChapterListCopy{0, nullptr};
}

int ChapterListDiffers(DriverContext* context, const ChapterListCopy* copy, DWORD copiedNumber) {
  const DWORD number = ReadFieldRawById(context, fid::wdmChapterNum);
  if (number != copiedNumber) return 1;
  const DWORD capacity = context && context->work && context->work->chapterEntries ? context->work->chapterCapacity : 0;
  const auto* list = capacity ? static_cast<const ChapterEntry*>(context->work->chapterEntries) : nullptr;
  const auto* old = reinterpret_cast<const ChapterEntry*>(copy->entries);
  for (DWORD i = 0; i < number; ++i) {
    const bool inNew = i < capacity;
    const bool inOld = i < copy->count;
    if (inNew != inOld) return 1;
    if (!inNew) break;
    if (list[i].pageNumber != old[i].pageNumber || list[i].trayValue != old[i].trayValue ||
        list[i].kind != old[i].kind || list[i].mode != old[i].mode)
      return 1;
  }
  return 0;
}

void RefreshItemStates(DriverContext* context) {
  ApiState* state = ApiStateOf(context);
  if (!state || !state->itemStates) return;
  std::memset(state->itemStates, 0, static_cast<std::size_t>(state->itemStateSlots) * kItemStateSlotBytes);
  const DWORD low = GetStatusMaxId(0);
  const DWORD high = GetStatusMaxId(1);
  for (DWORD id = 1; id <= high; id = id == low ? 257 : id + 1) {
    const StatusItem* row = FindStatusItem(id);
    BYTE* slot = ItemStateSlot(state, id - 1);
    if (!row || !row->enabled || !slot) continue;
    for (int j = 0; j < 8 && row->related[j]; ++j) {
      ImageRef option = FindFieldOption(row->related[j], context);
      if (!option) continue;
      const DWORD disabled = IsItemDisabled(option, 0, context) == 1 ? 1 : 0;
      const DWORD hidden = IsItemHidden(option, 0, context) ? 1 : 0;
      std::memcpy(slot + j * 8, &disabled, 4);
      std::memcpy(slot + j * 8 + 4, &hidden, 4);
    }
  }
}

std::int32_t SetStatusItem(DriverContext* handle, DWORD id, void* record, BYTE* changed, std::int32_t mode) {
  const StatusItem* row = FindStatusItem(id);
  if (!row) return SetApiError(handle, API_INTERNAL), -1;
  if (!row->enabled) return SetApiError(handle, API_NOT_AVAILABLE), -1;
  if (!record) return SetApiError(handle, API_MISSING_INPUT), -1;
  if (!row->set) return SetApiError(handle, API_INTERNAL), -1;

  PRINTER_DEFAULTSW defaults{nullptr, nullptr, kPrinterAllAccess};
  HANDLE printer = nullptr;
  ItemPrinterHandles saved;
  if (!OpenItemPrinter(handle, &printer, &defaults, &saved) && !OpenItemPrinter(handle, &printer, nullptr, &saved))
    return SetApiError(handle, API_INTERNAL), -1;

  const int kind = CheckRecordKind(record, row->recordKind, mode);
  if (kind == 2) {
    CloseItemPrinter(handle, printer, &saved);
    return static_cast<std::int32_t>(row->recordKind);
  }

  // Without every snapshot a refusal could not be undone: the change is refused before
  // anything is touched.
  Snapshots snapshots;
  snapshots.devmode = SnapshotDevmode(handle);
  snapshots.workFields = snapshots.devmode ? SnapshotWorkFields(handle) : nullptr;
  if (!snapshots.devmode || !snapshots.workFields) {
    Release(handle, &snapshots);
    CloseItemPrinter(handle, printer, &saved);
    return SetApiError(handle, API_INTERNAL), -1;
  }
  // The whole array the list has, whatever wdmChapterMax says now.
  if (!TakeChapterListCopy(handle, kWholeChapterList, &snapshots.chapters)) {
    Release(handle, &snapshots);
    CloseItemPrinter(handle, printer, &saved);
    return SetApiError(handle, API_INTERNAL), -1;
  }

  const std::int32_t answer = RunChange(handle, printer, row, record, changed, mode, kind);
  if (answer == -1) RollBack(handle, printer, &snapshots, changed);
  Release(handle, &snapshots);
  CloseItemPrinter(handle, printer, &saved);
  return answer;
}

std::int32_t GetStatusItem(DriverContext* handle, DWORD id, void* record, std::int32_t callerKind) {
  const StatusItem* row = FindStatusItem(id);
  if (!row) return SetApiError(handle, API_INTERNAL), -1;
  if (!row->enabled) return SetApiError(handle, API_NOT_AVAILABLE), -1;
  if (!row->get) return -1;
  HANDLE printer = nullptr;
  ItemPrinterHandles saved;
  if (!OpenItemPrinter(handle, &printer, nullptr, &saved)) return SetApiError(handle, API_INTERNAL), -1;
  const std::int32_t remembered = LastErrorOf(handle);
  SetApiError(handle, API_INTERNAL);
  std::int32_t answer = -1;
  const DWORD kind = static_cast<DWORD>(callerKind);
  switch (CompareRecordKind(row->recordKind, kind)) {
    case 2:
      SetApiError(handle, API_NEWER_KIND);
      break;
    case 1:
      answer = row->get(handle, id, record, kind);
      if (record) std::memcpy(record, &kind, 4);
      break;
    default:
      answer = row->get(handle, id, record, kind);
      if (record) std::memcpy(record, &row->recordKind, 4);
      break;
  }
  if (answer != -1) SetApiError(handle, remembered);
  CloseItemPrinter(handle, printer, &saved);
  return answer;
}

int IsCapabilityPresent(DriverContext* context, DWORD capability) {
  const std::int32_t answer = QueryCapability(context, capability, nullptr);
  return answer != -1 && answer != 0 ? 1 : 0;
}

int CapabilityListHolds(DriverContext* context, DWORD capability, DWORD value) {
  const std::int32_t count = QueryCapability(context, capability, nullptr);
  if (count <= 0) return 0;
  auto* list = static_cast<DWORD*>(AllocMem(static_cast<DWORD>(count) * sizeof(DWORD)));
  if (!list) return -1;
  std::int32_t got = QueryCapability(context, capability, list);
  if (got > count) got = count;
  int found = 0;
  for (std::int32_t i = 0; i < got && !found; ++i) found = list[i] == value ? 1 : 0;
  FreeMem(list);
  return found;
}

DWORD RecordU32(const void* record, DWORD offset) { return record ? RecordWord(record, offset) : 0; }

void PutRecordU32(void* record, DWORD offset, DWORD value) {
  if (record) std::memcpy(static_cast<BYTE*>(record) + offset, &value, 4);
}

std::int32_t VerifyAlways(DriverContext*, DWORD, void*, BYTE*, std::int32_t) { return 1; }
