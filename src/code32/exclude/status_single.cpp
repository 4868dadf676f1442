#include "status_single.h"

#include <cstring>

#include "api_frame.h"
#include "api_printer.h"
#include "api_tables.h"
#include "base/driver_context.h"
#include "base/paths_and_names.h"
#include "base/printer_data.h"
#include "devmode_exports.h"
#include "field_ids.h"
#include "fields/field_access.h"
#include "fields/field_table.h"
#include "model/derived_fields.h"
#include "model/option_rules.h"
#include "model/resolution_table.h"
#include "option_services.h"
#include "settings_snapshots.h"
#include "status_engine.h"
#include "stored/device_settings.h"
#include "stored/lock_data.h"
#include "win/devmode.h"

namespace {

// One member of the common pattern.
struct SingleRow {
  DWORD item;
  WORD field;
  DWORD fieldsBit;   // public dmFields bit a change sets, 0 = none
  bool action;       // the field is a bit of the stored action word
  DWORD capability;  // capability that must be present, 0 = none
  bool getOnly;
};
constexpr SingleRow kSingleRows[] = {
    {2, fid::dmDefaultSource, DM_DEFAULTSOURCE, false, 0, false},
    {3, fid::kdmMediaType, 0, false, 0, false},
    {4, fid::kdmOutputTrayID, 0, false, 0, false},
    {5, fid::dmColor, DM_COLOR, false, 0, false},
    {6, fid::dmOrientation, DM_ORIENTATION, false, 0, false},
    {9, fid::dmCopies, DM_COPIES, false, 0, false},
    {22, fid::kdmExtOutputDirection, 0, false, 0, false},
    {23, fid::kdmExtOutputOrderly, 0, false, 0, false},
    {24, fid::kdmExtOutputWhitePaper, 0, false, 0, false},
    {25, fid::kdmEmulation, 0, false, 0, false},
    {27, fid::kdmExtPrintArea, 0, false, 0, false},
    {29, fid::kdmActionMarge, 0, true, 0, false},
    {30, fid::kdmActionProof, 0, true, 0, false},
    {31, fid::kdmActionSecurity, 0, true, 0, false},
    {32, fid::kdmActionStored, 0, true, 0, false},
    {33, fid::kdmActionOverlay, 0, true, 0, false},
    {38, fid::kdmAdjustMode, 0, false, 0, false},
    {45, fid::kdmExtOutput2A4Fit, 0, false, 0, false},
    {48, fid::kdmExtOutputEMFSpool, 0, false, 0, false},
    {49, fid::kdmImagePrint, 0, false, 0, false},
    {52, fid::kdmFunc2SelectJobComplete, 0, false, 80, false},
    {53, fid::kdmFunc2SelectJobErr, 0, false, 81, false},
    {57, fid::kdmPreviewPrint, 0, false, 87, false},
    {72, fid::kdmExtOutput2PaperFace, 0, false, 0, false},
    {74, fid::kdmExtOutput2NearStandard, 0, false, 0, false},
    {75, fid::kdmPrnFuncReduceFont, 0, false, 0, true},
    {76, fid::kdmActionPause, 0, true, 0, false},
    {77, fid::kdmActionSave, 0, true, 0, false},
    {78, fid::kdmActionPrintAndSave, 0, true, 0, false},
    {257, fid::kdmAdjustObject, 0, false, 0, false},
    {263, fid::kdmQualityFuncEcoColor, 0, false, 0, false},
    {265, fid::kdmColorMatching, 0, false, 276, false},
    {266, fid::kdmICMType, 0, false, 277, false},
    {268, fid::kdmExtOutputprinterSide, 0, false, 280, false},
};

const SingleRow* FindSingleRow(DWORD item) {
  for (const SingleRow& row : kSingleRows)
    if (row.item == item) return &row;
  return nullptr;
}

constexpr std::int32_t kPlainRecordSize = 32;

DWORD Raw(DriverContext* context, WORD field) { return ReadFieldRawById(context, field); }
void Write(DriverContext* context, WORD field, DWORD value) { WriteFieldRawById(context, field, value); }
bool Acceptable(DriverContext* context, WORD field, DWORD value) {
  return IsFieldValueAcceptable(field, value, context) == 1;
}

std::int16_t RecordI16(const void* record, DWORD offset) {
  std::int16_t value = 0;
  std::memcpy(&value, static_cast<const BYTE*>(record) + offset, 2);
  return value;
}
void PutRecordI16(void* record, DWORD offset, DWORD value) {
  const auto half = static_cast<std::int16_t>(value & 0xFFFFu);
  std::memcpy(static_cast<BYTE*>(record) + offset, &half, 2);
}
DWORD SignExtended(std::int16_t value) { return static_cast<DWORD>(static_cast<std::int32_t>(value)); }

// The 16-bit word the action fields are bits of goes to the store under "kdmAction".
void StoreActionWord(DriverContext* context, WORD field) {
  SettingField* descriptor = FindFieldById(context, field);
  const BYTE* address = descriptor ? GetFieldAddress(context, descriptor) : nullptr;
  if (!address) return;
  WORD word = 0;
  std::memcpy(&word, address, 2);
  WriteActionField(context, descriptor, word);
}

std::int32_t SetCommon(DriverContext* context, const SingleRow& row, const void* record) {
  if (row.getOnly) return -1;
  if (row.capability && !IsCapabilityPresent(context, row.capability)) return -1;
  if (row.item == 29 && !IsSuiteToolInstalled(2, context)) return -1;
  if (row.item == 266 && !Raw(context, fid::kdmColorMatching)) return -1;
  const DWORD value = RecordU32(record, 4);
  if (!Acceptable(context, row.field, value)) return -1;
  Write(context, row.field, value);
  if (row.fieldsBit) Write(context, fid::dmFields, Raw(context, fid::dmFields) | row.fieldsBit);
  if (row.action) StoreActionWord(context, row.field);
  if (row.item == 57)
    if (SettingField* field = FindFieldById(context, row.field))
      WriteFeatureToStore(context->hPrinter, context, field, GetUserIniPath(context));
  return 1;
}

std::int32_t GetCommon(DriverContext* context, const SingleRow& row, void* record) {
  if (row.capability && !IsCapabilityPresent(context, row.capability)) return -1;
  if (row.item == 57)
    if (SettingField* field = FindFieldById(context, row.field))
      ReadFeatureFromIni(context, field, GetUserIniPath(context), nullptr, nullptr);
  if (record) PutRecordU32(record, 4, Raw(context, row.field));
  return kPlainRecordSize;
}

// Item 34, the resolution: by the kind of the resolution option.
std::int32_t SetResolution(DriverContext* context, const void* record) {
  const int lock = CheckFeature38Lock(context);
  const DWORD value = RecordU32(record, 4);
  if (lock == -1) return SetApiError(context, API_INTERNAL), -1;
  if (lock == 1) {
    if (!Acceptable(context, fid::kdmDstResolutionBoth, value)) return -1;
    Write(context, fid::kdmDstResolutionBoth, value);
    ApplyResolutionTransacts(context);
  } else {
    const ResolutionRecord* resolution = FindResolutionRecord(static_cast<WORD>(value & 0xFFFFu));
    if (!resolution) return SetApiError(context, API_INTERNAL), -1;
    if (!Acceptable(context, fid::kdmDstResolutionW, resolution->horizontal)) return -1;
    Write(context, fid::kdmDstResolutionW, resolution->horizontal);
  }
  SyncResolutionFromPrivate(context->settings, context);
  return 1;
}

std::int32_t GetResolution(DriverContext* context, void* record) {
  const int lock = CheckFeature38Lock(context);
  if (lock == -1) return SetApiError(context, API_INTERNAL), -1;
  DWORD value = 0;
  if (lock == 1) {
    value = Raw(context, fid::kdmDstResolutionBoth);
  } else {
    const DWORD dpi = Raw(context, fid::kdmDstResolutionW);
    value = FindResolutionCode(dpi, dpi);
    if (!value) return -1;
  }
  if (record) PutRecordU32(record, 4, value);
  return kPlainRecordSize;
}

constexpr WORD kPlaneFields[4] = {fid::kdmPlaneUseCMYKCyan, fid::kdmPlaneUseCMYKMagenta, fid::kdmPlaneUseCMYKYellow,
                                   fid::kdmPlaneUseCMYKBlack};

// Items 39, 40, 41, 42, 46, 267, 269: the base field of the colour adjustment.
WORD ColourBase(DWORD item) {
  switch (item) {
    case 39: return fid::kdmColorMode;
    case 40: return fid::kdmBrightness;
    case 41: return fid::kdmContrast;
    case 42: return fid::kdmSaturation;
    case 46: return fid::kdmQualityFuncColorRevision;
    case 267: return fid::kdmICMIntent;
    case 269: return fid::kdmColorMatchingMode;
    default: return 0;
  }
}

// The capability and colour-matching state items 267 and 269 need.
bool ColourItemAllowed(DriverContext* context, DWORD item) {
  if (item == 267) return IsCapabilityPresent(context, 278) && Raw(context, fid::kdmColorMatching);
  if (item == 269) return IsCapabilityPresent(context, 281) && !Raw(context, fid::kdmColorMatching);
  return true;
}

std::int32_t SetColour(DriverContext* context, DWORD item, const void* record) {
  const WORD base = ColourBase(item);
  const DWORD value = SignExtended(RecordI16(record, 8));
  if (!ColourItemAllowed(context, item)) return -1;
  if (item == 39 && value == 255) {
    if (CapabilityListHolds(context, 61, 255) != 1) return -1;
    if (Raw(context, fid::kdmAdjustMode) == 1 && Raw(context, fid::kdmAdjustObject) != 2) return -1;
  } else if (!Acceptable(context, base, value)) {
    return -1;
  }
  if (item == 269 && static_cast<std::int32_t>(value) >= 200 + GetProfileCountForApi(context)) return -1;
  Write(context, AdjustTargetField(context, base), value);
  return 1;
}

std::int32_t GetColour(DriverContext* context, DWORD item, void* record) {
  if ((item == 267 && !IsCapabilityPresent(context, 278)) || (item == 269 && !IsCapabilityPresent(context, 281)))
    return -1;
  const WORD base = ColourBase(item);
  if (record) {
    PutRecordI16(record, 8, Raw(context, base));
    for (DWORD kind = 0; kind < 3; ++kind)
      PutRecordI16(record, 10 + 2 * kind, Raw(context, AdjustVariantField(context, base, kind)));
  }
  return kPlainRecordSize;
}

constexpr WORD kBalanceFields[3] = {fid::kdmColorBalanceR, fid::kdmColorBalanceG, fid::kdmColorBalanceB};

std::int32_t SetLoadShare(DriverContext* context, const void* record) {
  DWORD count = 0;
  const LoadShareRow* rows = GetLoadShareTable(&count);
  const DWORD value = RecordU32(record, 4);
  const LoadShareRow* chosen = nullptr;
  for (DWORD i = 0; i < count && !chosen; ++i)
    if (rows[i].offered && rows[i].callerValue == value) chosen = &rows[i];
  if (!chosen) return -1;
  const DWORD old = Raw(context, fid::kdmLoadShare);
  Write(context, fid::kdmLoadShare, chosen->loadShareValue);
  if (CheckPaperAgainstModel(context)) {
    Write(context, fid::kdmLoadShare, old);
    SetApiError(context, API_CONFLICT);
    return -1;
  }
  return 1;
}

std::int32_t VerifyLoadShare(DriverContext* context, const void* record) {
  DWORD count = 0;
  const LoadShareRow* rows = GetLoadShareTable(&count);
  const DWORD value = RecordU32(record, 4);
  for (DWORD i = 0; i < count; ++i)
    if (rows[i].offered && rows[i].callerValue == value && Raw(context, fid::kdmLoadShare) != rows[i].loadShareValue)
      return -1;
  return 1;
}

std::int32_t GetLoadShare(DriverContext* context, void* record) {
  DWORD count = 0;
  const LoadShareRow* rows = GetLoadShareTable(&count);
  const DWORD now = Raw(context, fid::kdmLoadShare);
  for (DWORD i = 0; i < count; ++i)
    if (rows[i].offered && rows[i].loadShareValue == now && record) PutRecordU32(record, 4, rows[i].callerValue);
  return kPlainRecordSize;
}

std::int32_t SetIndexRotation(DriverContext* context, const void* record) {
  const DWORD value = RecordU32(record, 4);
  if (value > 2) return -1;
  if (Raw(context, fid::kdmMediaType) != 272) return SetApiError(context, API_CONFLICT), -1;
  Write(context, fid::kdmExtOutputIndexRotation, value >= 1 ? 1 : 0);
  Write(context, fid::kdmExtOutputShiftPrint, value == 2 ? 1 : 0);
  return 1;
}

std::int32_t VerifyIndexRotation(DriverContext* context, const void* record) {
  const DWORD rotation = Raw(context, fid::kdmExtOutputIndexRotation) ? 1 : 0;
  const DWORD shift = Raw(context, fid::kdmExtOutputShiftPrint) ? 1 : 0;
  switch (RecordU32(record, 4)) {
    case 0: return !rotation && !shift ? 1 : -1;
    case 1: return rotation && !shift ? 1 : -1;
    case 2: return rotation && shift ? 1 : -1;
    default: return 1;
  }
}

constexpr WORD kSpecialMediaFields[5] = {fid::kdmCoverMediaType, fid::kdmBackCoverMediaType, fid::kdmMPInputMediaType,
                                         fid::kdmChapterMediaType, fid::kdmReverseCoverMediaType};

constexpr DWORD kPageSeparationBit = 0x200;

}  // namespace

WORD SingleItemField(DWORD id) {
  const SingleRow* row = FindSingleRow(id);
  return row ? row->field : 0;
}

std::int32_t SetSingleItem(DriverContext* context, DWORD id, void* record, BYTE*, std::int32_t) {
  if (!context || !record) return -1;
  if (const SingleRow* row = FindSingleRow(id)) return SetCommon(context, *row, record);
  switch (id) {
    case 34: return SetResolution(context, record);
    case 35: {
      DWORD planes[4];
      bool any = false;
      for (int i = 0; i < 4; ++i) {
        planes[i] = RecordU32(record, 4 + 4 * i);
        any = any || planes[i];
      }
      if (!any) return -1;
      for (int i = 0; i < 4; ++i)
        if (!Acceptable(context, kPlaneFields[i], planes[i])) return -1;
      for (int i = 0; i < 4; ++i) Write(context, kPlaneFields[i], planes[i]);
      return 1;
    }
    case 39: case 40: case 41: case 42: case 46: case 267: case 269:
      return SetColour(context, id, record);
    case 43: {
      DWORD values[3];
      for (int i = 0; i < 3; ++i) {
        values[i] = SignExtended(RecordI16(record, 8 + 2 * i));
        if (!Acceptable(context, kBalanceFields[i], values[i])) return -1;
      }
      for (int i = 0; i < 3; ++i) Write(context, AdjustTargetField(context, kBalanceFields[i]), values[i]);
      return 1;
    }
    case 61: return SetLoadShare(context, record);
    case 62: return SetIndexRotation(context, record);
    case 66: {
      const DWORD value = RecordU32(record, 4);
      if (!Acceptable(context, fid::kdmCoverMediaType, value)) return -1;
      for (WORD field : kSpecialMediaFields) Write(context, field, value);
      return 1;
    }
    case 73: {
      if (!IsApiFunctionEnabled(context, kPageSeparationBit)) return -1;
      const DWORD value = RecordU32(record, 4);
      if (value > 1) return -1;
      Write(context, fid::kdmFunc2SelectPageSeparation, value);
      return 1;
    }
    default: return -1;
  }
}

std::int32_t VerifySingleItem(DriverContext* context, DWORD id, void* record, BYTE*, std::int32_t) {
  if (!context || !record) return -1;
  if (const SingleRow* row = FindSingleRow(id)) return Raw(context, row->field) == RecordU32(record, 4) ? 1 : -1;
  switch (id) {
    case 35:
      for (int i = 0; i < 4; ++i)
        if (Raw(context, kPlaneFields[i]) != RecordU32(record, 4 + 4 * i)) return -1;
      return 1;
    case 39: case 40: case 41: case 42: case 46: case 267: case 269: {
      const WORD target = AdjustTargetField(context, ColourBase(id));
      return static_cast<WORD>(RecordI16(record, 8)) == (Raw(context, target) & 0xFFFFu) ? 1 : -1;
    }
    case 43:
      for (int i = 0; i < 3; ++i) {
        const WORD target = AdjustTargetField(context, kBalanceFields[i]);
        if (static_cast<WORD>(RecordI16(record, 8 + 2 * i)) != (Raw(context, target) & 0xFFFFu)) return -1;
      }
      return 1;
    case 61: return VerifyLoadShare(context, record);
    case 62: return VerifyIndexRotation(context, record);
    case 73: return Raw(context, fid::kdmFunc2SelectPageSeparation) == RecordU32(record, 4) ? 1 : -1;
    default: return 1;
  }
}

std::int32_t GetSingleItem(DriverContext* context, DWORD id, void* record, DWORD) {
  if (!context) return -1;
  if (const SingleRow* row = FindSingleRow(id)) return GetCommon(context, *row, record);
  switch (id) {
    case 34: return GetResolution(context, record);
    case 35:
      if (record)
        for (int i = 0; i < 4; ++i) PutRecordU32(record, 4 + 4 * i, Raw(context, kPlaneFields[i]));
      return kPlainRecordSize;
    case 39: case 40: case 41: case 42: case 46: case 267: case 269:
      return GetColour(context, id, record);
    case 43:
      if (record)
        for (int i = 0; i < 3; ++i) {
          PutRecordI16(record, 8 + 2 * i, Raw(context, kBalanceFields[i]));
          for (DWORD kind = 0; kind < 3; ++kind)
            PutRecordI16(record, 14 + 6 * kind + 2 * i, Raw(context, AdjustVariantField(context, kBalanceFields[i], kind)));
        }
      return kPlainRecordSize;
    case 61: return GetLoadShare(context, record);
    case 62:
      if (record) {
        const bool rotation = Raw(context, fid::kdmExtOutputIndexRotation) != 0;
        const bool shift = Raw(context, fid::kdmExtOutputShiftPrint) != 0;
        PutRecordU32(record, 4, !rotation ? 0 : shift ? 2 : 1);
      }
      return kPlainRecordSize;
    case 66:
      if (record) PutRecordU32(record, 4, Raw(context, fid::kdmMPInputMediaType));
      return kPlainRecordSize;
    case 73:
      if (!IsApiFunctionEnabled(context, kPageSeparationBit)) return -1;
      if (record) PutRecordU32(record, 4, Raw(context, fid::kdmFunc2SelectPageSeparation));
      return kPlainRecordSize;
    default: return -1;
  }
}
