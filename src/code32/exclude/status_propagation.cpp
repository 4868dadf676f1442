#include "status_propagation.h"

#include <cstring>
#include <initializer_list>

#include "api_frame.h"
#include "api_tables.h"
#include "base/driver_context.h"
#include "base/paths_and_names.h"
#include "devmode_exports.h"
#include "field_ids.h"
#include "fields/field_access.h"
#include "fields/field_table.h"
#include "item_tables.h"
#include "model/derived_fields.h"
#include "model/option_lookup.h"
#include "model/rule_apply.h"
#include "model/rule_eval.h"
#include "option_services.h"
#include "status_engine.h"
#include "stored/device_settings.h"
#include "stored/devmode_checks.h"
#include "stored/lock_data.h"
#include "win/devmode.h"

namespace {

constexpr FunctionSelectRow kFunctionSelectRows[] = {
    {11, fid::kdmFuncSelectScale, 0},      {12, fid::kdmFuncSelectCover, 3},
    {13, fid::kdmFuncSelectMark, 2},       {14, fid::kdmFuncSelectNup, 0},
    {15, fid::kdmFuncSelectDuplex, 0},     {17, fid::kdmFuncSelectWaterMark, 0},
    {18, fid::kdmFuncSelectMargin, 0},     {19, fid::kdmFuncSelectSort, 0},
    {20, fid::kdmFuncSelectStaple, 0},     {21, fid::kdmFuncSelectPunch, 0},
    {262, fid::kdmUseUserMacro, 0},        {264, fid::kdmFuncSelectTonerSave, 0},
    {51, fid::kdmFuncSelectFold, 0},       {55, fid::kdmFuncSelectCopyProtect, 0},
    {58, fid::kdmExtOutput2OrientationManualTray, 0}, {79, fid::kdmFunc2SelectFolding, 0},
};
static_assert(sizeof kFunctionSelectRows / sizeof kFunctionSelectRows[0] == 16);

DWORD RecordWord(const void* record, DWORD offset) {
  DWORD value = 0;
  if (record) std::memcpy(&value, static_cast<const BYTE*>(record) + offset, 4);
  return value;
}

DWORD Now(DriverContext* context, WORD field) { return ReadFieldRawById(context, field); }
DWORD Before(DriverContext* context, WORD field) { return ReadSnapshotRawById(context, field); }
bool Moved(DriverContext* context, WORD field) { return Now(context, field) != Before(context, field); }

bool IsAnyOf(DWORD id, std::initializer_list<DWORD> ids) {
  for (DWORD each : ids)
    if (each == id) return true;
  return false;
}

// The feature's transacts with a work field set to 1 around them.
void ApplyFeatureTransactsWith(DriverContext* context, WORD flagField, std::initializer_list<WORD> features) {
  WriteFieldRawById(context, flagField, 1);
  for (WORD feature : features) ApplyFeatureTransacts(context, feature);
  WriteFieldRawById(context, flagField, 0);
}

// Print method (offset 4) and its flags (offset 8): the features whose transacts follow.
void ApplyPrintMethodTransacts(DriverContext* context, const void* record) {
  const DWORD method = RecordWord(record, 4);
  const DWORD flags = RecordWord(record, 8);
  struct Pick {
    DWORD methodMask;  // bit n: method n
    DWORD flags;
    WORD feature;
  };
  constexpr Pick kPicks[] = {
      {0x705, 0x1, 202},  {0x2, 0x1, 202},   {0x2, 0x82, 207},  {0x8, 0x1, 202},   {0x8, 0x104, 208},
      {0x8, 0x8, 204},    {0x8, 0x10, 206},  {0x20, 0x20, 205}, {0x80, 0x40, 953}, {0x100, 0x200, 206},
      {0x200, 0x400, 206}, {0x200, 0x800, 208}, {0x200, 0x4000, 607}, {0x400, 0x1000, 206}, {0x400, 0x2000, 208},
      {0x400, 0x4000, 607},
  };
  if (method > 10) return;
  for (const Pick& pick : kPicks)
    if ((pick.methodMask & (1u << method)) && (flags & pick.flags)) ApplyFeatureTransacts(context, pick.feature);
}

void ApplyItemTransacts(DriverContext* context, DWORD id, const void* record) {
  switch (id) {
    case 262:
      ApplyFeatureTransactsWith(context, fid::wdmCtrlWorkPrompt, {176, 177, 178, 179});
      break;
    case 3:
      ApplyFeatureTransactsWith(context, fid::wdmUIStart, {fid::kdmMediaType});
      break;
    case 19: ApplyFeatureTransacts(context, fid::kdmSortType); break;
    case 10: ApplyPrintMethodTransacts(context, record); break;
    case 11: {
      ApplyFeatureTransacts(context, fid::kdmScaleType);
      const DWORD type = Now(context, fid::kdmScaleType);
      if (type == 3) ApplyFeatureTransacts(context, fid::kdmScaleV);
      if (type == 1 || type == 3) ApplyFeatureTransacts(context, fid::kdmScaleH);
      break;
    }
    case 14:
      ApplyFeatureTransacts(context, 91);
      ApplyFeatureTransacts(context, 92);
      break;
    case 15: ApplyFeatureTransacts(context, 94); break;
    case 20: ApplyFeatureTransacts(context, 121); break;
    case 21: ApplyFeatureTransacts(context, 120); break;
    case 35:
      for (WORD feature : {145, 146, 147}) ApplyFeatureTransacts(context, feature);
      break;
    case 51: ApplyFeatureTransacts(context, 511); break;
    case 79:
      if (context->model)
        for (ImageRef o = FirstModelOption(context->model); o; o = OptionNext(o))
          if (IsAnyOf(OptionFeatureId(o), {544, 545, 693, 694, 695, 696})) ApplyOptionTransacts(o, context);
      break;
    default: break;
  }
}

// The tests that mark the item that was set.
bool SelfMarked(DriverContext* context, DWORD id, const void* record) {
  const DWORD value = RecordWord(record, 4);
  struct Pair {
    DWORD now, asked;
  };
  auto inPairs = [](DWORD now, DWORD asked, std::initializer_list<Pair> pairs) {
    for (const Pair& p : pairs)
      if (p.now == now && p.asked == asked) return true;
    return false;
  };
  switch (id) {
    case 14:
      return inPairs(Now(context, fid::kdmNUPType), value,
                     {{1, 3}, {3, 1}, {3, 2}, {129, 130}, {130, 129}, {161, 163}, {163, 161}, {163, 162}});
    case 15:
      return inPairs(Now(context, fid::kdmDuplexType), value,
                     {{18, 17}, {17, 18}, {17, 19}, {21, 20}, {20, 21}, {20, 22}});
    case 19: {
      const std::int32_t sheets = QueryCapability(context, 76, nullptr);
      return sheets != -1 && sheets != 0 && Now(context, fid::kdmExtOutput2SeparationSheet) &&
             Now(context, fid::kdmSeparationSheetCycle) != RecordWord(record, 12);
    }
    case 67: return Now(context, fid::kdmFuncSelectChapter) != value;
    case 28:
      return GetApiVersion() >= 14 && Moved(context, fid::kdmRotationMode) &&
             (Moved(context, fid::kdmNupLayout) || Moved(context, fid::kdmBookLayout));
    default: return false;
  }
}

bool IsTextCode(DWORD code) { return code == 7 || code == 10 || code == 11 || code == 13 || code == 14 || code == 15; }

// Whether the item-state slot of the item's related field j recorded the option hidden.
bool WasHidden(DriverContext* context, DWORD id, int j) {
  BYTE* slot = ItemStateSlot(ApiStateOf(context), id - 1);
  if (!slot) return false;
  DWORD hidden = 0;
  std::memcpy(&hidden, slot + j * 8 + 4, 4);
  return hidden != 0;
}

// The general test of one field of an item: 1 when it marks the item.
bool FieldMarks(DriverContext* context, const StatusItem* row, int j, WORD field) {
  SettingField* descriptor = FindFieldById(context, field);
  if (!descriptor) return false;
  bool changed = false;
  if (IsTextCode(FieldCodeOf(descriptor->type))) {
    const BYTE* now = GetFieldAddress(context, descriptor);
    const BYTE* before = GetFieldAddressInSnapshot(context, descriptor);
    // Both within the field's own size.
    changed = now && before && std::memcmp(now, before, FieldSizeOf(descriptor->type)) != 0;
    if (changed && IsAnyOf(field, {202, 207, 208, 204, 206, 205, 953})) return true;
  } else {
    changed = ReadFieldRaw(context, descriptor) != ReadFieldRawInSnapshot(context, descriptor);
  }
  if (!changed) return false;
  const FunctionSelectRow* select = nullptr;
  const WORD onOff = FindFunctionSelectField(row->id, &select);
  if (onOff && onOff != field && (select->extra & 1)) {
    ImageRef option = FindFieldOption(onOff, context);
    if (option && (IsItemDisabled(option, 0, context) || IsItemHidden(option, 0, context))) return false;
  }
  if (onOff && onOff != field && (select->extra & 2) && Now(context, onOff) == 0 &&
      (field == fid::kdmCoverType || field == fid::kdmMarkPaperType))
    return false;
  ImageRef option = FindFieldOption(field, context);
  ApiState* state = ApiStateOf(context);
  if (option && state && state->itemStates) {
    if (IsItemDisabled(option, 0, context)) return false;
    if (IsItemHidden(option, 0, context) && WasHidden(context, row->id, j)) return false;
  }
  return true;
}

// Whether any related field of another item marks it.
bool ItemMarked(DriverContext* context, const StatusItem* row) {
  const DWORD id = row->id;
  const bool colour = IsAnyOf(id, {39, 40, 41, 42, 43, 46, 267, 269});
  int lock = 0;
  if (id == 34) {
    lock = CheckFeature38Lock(context);
    if (lock == -1) return false;
  }
  for (int j = 0; j < 8 && row->related[j]; ++j) {
    const WORD field = row->related[j];
    if ((field == 388 || field == 411) && GetApiVersion() < 10) continue;
    if (id == 7 && (field == fid::dmPaperLength || field == fid::dmPaperWidth)) {
      const DWORD fields = Now(context, fid::dmFields);
      const DWORD both = DM_PAPERLENGTH | DM_PAPERWIDTH;
      if (Now(context, fid::dmPaperLength) && Now(context, fid::dmPaperWidth) && (fields & both) == both &&
          Moved(context, field))
        return true;
      continue;
    }
    if (id == 11) {
      const DWORD type = Now(context, fid::kdmScaleType);
      if (type <= 2 && field == fid::kdmScaleV) continue;
      if (type == 2 && field == fid::kdmScaleH) {
        if (Moved(context, field)) return true;
        continue;
      }
    }
    if (id == 34 && ((lock == 0 && field == 152) || (lock == 1 && field == 38))) continue;
    if (id == 18) {
      if (field == fid::kdmFuncSelectMargin) continue;
      if (!Moved(context, fid::kdmFuncSelectMargin)) return false;
    }
    if (id == 265 || id == 268) {
      if (Moved(context, field)) return true;
      continue;
    }
    if (colour) {
      for (DWORD kind = 0; kind < 4; ++kind) {
        const WORD examined = kind == 0 ? field : AdjustVariantField(context, field, kind - 1);
        if (FieldMarks(context, row, j, examined)) return true;
      }
      continue;
    }
    if (FieldMarks(context, row, j, field)) return true;
  }
  return false;
}

void FillChanged(DriverContext* context, const StatusItem* set, const void* record, BYTE* changed,
                 const ChapterListCopy* chapters, DWORD chapterNumber) {
  std::memset(changed, 0, ChangedBitmapBytes());
  const DWORD low = GetStatusMaxId(0);
  const DWORD high = GetStatusMaxId(1);
  for (DWORD id = 1; id <= high; id = id == low ? 257 : id + 1) {
    const StatusItem* row = FindStatusItem(id);
    if (!row || !row->enabled) continue;
    if (id != set->id) {
      if (ItemMarked(context, row)) MarkChangedItem(changed, id);
      continue;
    }
    if (id == 66) {
      if (Moved(context, fid::kdmExtOutput2ReverseCoverOutside)) {
        if (IsFieldOptionUsable(context, fid::kdmFuncSelectBack, 0, 3))
          MarkChangedItem(changed, 64);
        else if (IsFieldOptionUsable(context, fid::kdmFuncSelectReverseCover, 0, 3))
          MarkChangedItem(changed, 65);
      }
    } else if (SelfMarked(context, id, record)) {
      MarkChangedItem(changed, id);
    }
  }
  const bool chaptersMoved = ChapterListDiffers(context, chapters, chapterNumber) != 0;
  if (chaptersMoved) MarkChangedItem(changed, 67);
  if (chaptersMoved || set->id == 67) SaveDeviceSettings(context->hPrinter, context, 3, 2);
}

}  // namespace

WORD FindFunctionSelectField(DWORD item, const FunctionSelectRow** row) {
  for (const FunctionSelectRow& each : kFunctionSelectRows) {
    if (each.item != item) continue;
    if (row) *row = &each;
    return static_cast<WORD>(each.onOffField & 0xFFFFu);
  }
  if (row) *row = nullptr;
  return 0;
}

void ApplyFeatureTransacts(DriverContext* context, WORD feature) {
  if (!context || !context->model) return;
  for (ImageRef o = FirstModelOption(context->model); o; o = OptionNext(o))
    if (OptionFeatureId(o) == feature) ApplyOptionTransacts(o, context);
}

void PropagateStatusChange(DriverContext* context, const StatusItem* row, const void* record, BYTE* changed) {
  if (!context || !row || !context->work || !context->work->savedSettings) return;
  const bool uiModeChange = Now(context, fid::kdmUIModeChange) == 1;
  if (uiModeChange) WriteFieldRawById(context, fid::kdmUIModeChange, 0);
  const DWORD chapterNumber = Now(context, fid::wdmChapterNum);
  ChapterListCopy chapters{0, nullptr};
  if (!TakeChapterListCopy(context, chapterNumber + 1, &chapters)) {
    if (uiModeChange) WriteFieldRawById(context, fid::kdmUIModeChange, 1);
    return;
  }
  if (row->mainField) ApplyFeatureTransacts(context, static_cast<WORD>(row->mainField));
  ApplyItemTransacts(context, row->id, record);
  if (SettingField* method = FindFieldById(context, fid::kdmPrnMethod))
    WriteFeatureToStore(context->hPrinter, context, method, GetUserIniPath(context));

  const bool custom = Now(context, fid::dmPaperSize) == 256;
  const DWORD width = Now(context, fid::dmPaperWidth);
  const DWORD length = Now(context, fid::dmPaperLength);
  ApplyDerivedFields(context->settings, context, 3);
  if (row->id == 7 && RecordWord(record, 4) == 256) {
    SetCustomPaperFromRecord(context, static_cast<const BYTE*>(record));
  } else if (Now(context, fid::dmPaperSize) == 256) {
    // A custom size keeps the width and length it had before the derivation, when it had
    // them (a size that became custom only now keeps what the derivation gave).
    if (custom) {
      WriteFieldRawById(context, fid::dmPaperWidth, width);
      WriteFieldRawById(context, fid::dmPaperLength, length);
    }
    const DWORD fields = Now(context, fid::dmFields);
    WriteFieldRawById(context, fid::dmFields, (fields | DM_PAPERLENGTH | DM_PAPERWIDTH) & ~DM_PAPERSIZE);
  }
  if (GetApiVersion() < 6 && row->id == 35) WriteFieldRawById(context, fid::kdmUseUserMacro, 1);
  ReconcileApiDevmode(context, nullptr);
  SendModuleEvent11(context);
  if (changed) FillChanged(context, row, record, changed, &chapters, chapterNumber);
  FreeChapterListCopy(&chapters);
  if (uiModeChange) WriteFieldRawById(context, fid::kdmUIModeChange, 1);
}
