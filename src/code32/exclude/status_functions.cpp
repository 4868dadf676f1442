#include "status_functions.h"

#include <cstring>

#include "api_frame.h"
#include "base/driver_context.h"
#include "devmode_exports.h"
#include "field_ids.h"
#include "fields/field_access.h"
#include "fields/field_table.h"
#include "model/derived_fields.h"
#include "model/field_checks.h"
#include "model/option_rules.h"
#include "model/units.h"
#include "option_services.h"
#include "settings_snapshots.h"
#include "status_engine.h"
#include "status_propagation.h"
#include "stored/quality_list.h"

namespace {

constexpr std::int32_t kFunctionRecordSize = 32;
constexpr DWORD kOnOff = 28;  // offset of the on/off value

DWORD Raw(DriverContext* context, WORD field) { return ReadFieldRawById(context, field); }
void Write(DriverContext* context, WORD field, DWORD value) { WriteFieldRawById(context, field, value); }
bool Acceptable(DriverContext* context, WORD field, DWORD value) {
  return IsFieldValueAcceptable(field, value, context) == 1;
}
DWORD At(const void* record, DWORD offset) { return RecordU32(record, offset); }
DWORD KindOf(const void* record) { return RecordU32(record, 0); }

// Lengths of the records are 0.1 mm; the fields hold 1200-dpi units.
DWORD ToDots(DWORD tenths) {
  return static_cast<DWORD>(UserUnitsToDots(1, static_cast<int>(tenths), 1200));
}
DWORD ToTenths(DWORD dots) { return static_cast<DWORD>(DotsToUserUnits(1, static_cast<int>(dots), 1200)); }

// A record of a kind that needs a newer API version than the caller's.
bool RefusedKind(DriverContext* context, DWORD item, const void* record) {
  if (!KindNeedsNewerApi(item, KindOf(record))) return false;
  SetApiError(context, API_NEWER_KIND);
  return true;
}

// The common part of VERIFY: -1 without an on/off field; 1 when the record switches the
// function off; -1 when the function is off; else 0 (the item's own comparisons follow).
int VerifyOnOff(DriverContext* context, DWORD item, const void* record) {
  const WORD onOff = FindFunctionSelectField(item);
  if (!onOff) return -1;
  if (At(record, kOnOff) == 0) return 1;
  if (Raw(context, onOff) == 0) return -1;
  return 0;
}

std::int32_t Result(bool ok) { return ok ? 1 : -1; }

void DeriveDuplex(DriverContext* context) { DerivePublicDuplex(context->settings, context); }

std::int32_t SetScaling(DriverContext* context, const void* record) {
  if (RefusedKind(context, 11, record)) return -1;
  if (At(record, kOnOff) == 0) return Write(context, fid::kdmFuncSelectScale, 0), 1;
  const DWORD type = At(record, 4);
  const bool kind2 = KindOf(record) >= 2;
  if (!Acceptable(context, fid::kdmScaleType, type)) return -1;
  if ((type == 1 || type == 3) && !Acceptable(context, fid::kdmScaleH, At(record, 8))) return -1;
  if (type == 3 && !Acceptable(context, fid::kdmScaleV, At(record, 12))) return -1;
  if (kind2 && !Acceptable(context, fid::kdmScaleCentering, At(record, 16))) return -1;
  Write(context, fid::kdmScaleType, type);
  if (type == 1 || type == 3) Write(context, fid::kdmScaleH, At(record, 8));
  if (type == 3) Write(context, fid::kdmScaleV, At(record, 12));
  if (kind2) Write(context, fid::kdmScaleCentering, At(record, 16));
  Write(context, fid::kdmFuncSelectScale, At(record, kOnOff));
  if (type == 2) ApplyPaperChangeForApi(context, 1);
  return 1;
}

// Items 12 and 13: the type's option value found by its key must be usable.
bool TypeValueUsable(DriverContext* context, WORD field, DWORD type) {
  const WORD valueId = FindOptionValueByKey(context, field, static_cast<WORD>(type));
  return valueId != 0 && IsFieldOptionUsable(context, field, valueId, 3);
}

std::int32_t SetCover(DriverContext* context, const void* record) {
  if (At(record, kOnOff) == 0) return Write(context, fid::kdmFuncSelectCover, 0), 1;
  const DWORD type = At(record, 4);
  const DWORD tray = At(record, 8);
  if (!Acceptable(context, fid::kdmCoverType, type) || !Acceptable(context, fid::kdmCoverInputTray, tray)) return -1;
  BYTE* snapshot = SnapshotDevmode(context);
  if (!snapshot) return SetApiError(context, API_INTERNAL), -1;
  Write(context, fid::kdmCoverInputTray, tray);
  bool refused = false;
  if (type == 3) {
    SettingField* field = FindFieldById(context, fid::kdmCoverType);
    refused = field && ValidateFeatureValueByOption(field, fid::kdmCoverType, type, context,
                                                    FindFieldOption(fid::kdmCoverType, context)) == OPTION_HIDDEN;
  }
  const DWORD duplexType = Raw(context, fid::kdmDuplexType);
  if (!refused && Raw(context, fid::kdmFuncSelectDuplex) && duplexType >= 17 && duplexType <= 19)
    refused = !TypeValueUsable(context, fid::kdmCoverType, type);
  RestoreDevmodeSnapshot(context, snapshot, 1);
  if (refused) return -1;
  Write(context, fid::kdmCoverType, type);
  Write(context, fid::kdmCoverInputTray, tray);
  Write(context, fid::kdmFuncSelectCover, At(record, kOnOff));
  return 1;
}

std::int32_t SetMark(DriverContext* context, const void* record) {
  if (At(record, kOnOff) == 0) return Write(context, fid::kdmFuncSelectMark, 0), 1;
  const DWORD type = At(record, 4);
  const DWORD tray = At(record, 8);
  if (!Acceptable(context, fid::kdmMarkPaperType, type) || !Acceptable(context, fid::kdmMPInputTray, tray)) return -1;
  if (!TypeValueUsable(context, fid::kdmMarkPaperType, type)) return -1;
  Write(context, fid::kdmMarkPaperType, type);
  Write(context, fid::kdmMPInputTray, tray);
  Write(context, fid::kdmFuncSelectMark, At(record, kOnOff));
  return 1;
}

// The N-up kind of an N-up type; 0 leaves the kind alone.
DWORD NupKindOf(DWORD type) {
  if (type >= 1 && type <= 3) return 1;
  if (type == 33 || type == 34 || type == 37 || type == 38) return 2;
  if (type == 65 || type == 66 || type == 69 || type == 70) return 3;
  if (type == 97 || type == 98 || type == 101 || type == 102) return 4;
  if (type == 129 || type == 130) return 11;
  if (type >= 161 && type <= 163) return 10;
  if (type >= 32769 && type <= 32772) return 9;
  return 0;
}

std::int32_t SetNup(DriverContext* context, const void* record) {
  if (RefusedKind(context, 14, record)) return -1;
  const DWORD type = At(record, 4);
  if (type == 0 && IsNupLocked(context)) return -1;
  if (At(record, kOnOff) == 0) return Write(context, fid::kdmFuncSelectNup, 0), 1;
  if (!Acceptable(context, fid::kdmNUPType, type)) return -1;
  const DWORD oldKind = Raw(context, fid::kdmNUPPOSTKind);
  const DWORD kind = NupKindOf(type);
  if ((kind == 10 || kind == 11) && GetApiVersion() < 15) return -1;
  if (kind) {
    if (!Acceptable(context, fid::kdmNUPPOSTKind, kind)) return -1;
    Write(context, fid::kdmNUPPOSTKind, kind);
  }
  const bool line = KindOf(record) >= 2 && type < 32769;
  if (!TrySetWithFunctionOn(context, 14, fid::kdmFuncSelectNup, fid::kdmNUPType, type) ||
      (line && !Acceptable(context, fid::kdmNUPLine, At(record, 8)))) {
    Write(context, fid::kdmNUPPOSTKind, oldKind);
    return -1;
  }
  Write(context, fid::kdmNUPType, type);
  if (line) Write(context, fid::kdmNUPLine, At(record, 8));
  Write(context, fid::kdmFuncSelectNup, At(record, kOnOff));
  return 1;
}

std::int32_t SetDuplex(DriverContext* context, const void* record) {
  const DWORD type = At(record, 4);
  if (IsDuplexLocked(context)) {
    const int listed = CapabilityListHolds(context, 104, type);
    if (listed == -1) return SetApiError(context, API_INTERNAL), -1;
    if (listed != 1) return -1;
  }
  if (At(record, kOnOff) == 0) {
    Write(context, fid::kdmFuncSelectDuplex, 0);
    DeriveDuplex(context);
    return 1;
  }
  if (!Acceptable(context, fid::kdmDuplexType, type)) return -1;
  if (!TrySetWithFunctionOn(context, 15, fid::kdmFuncSelectDuplex, fid::kdmDuplexType, type)) return -1;
  const bool margins = type >= 1 && type <= 3;
  const DWORD odd = ToDots(At(record, 8));
  const DWORD even = ToDots(At(record, 12));
  if (margins && (!Acceptable(context, fid::kdmMarginOdd, odd) || !Acceptable(context, fid::kdmMarginEven, even)))
    return -1;
  Write(context, fid::kdmDuplexType, type);
  Write(context, fid::kdmFuncSelectDuplex, At(record, kOnOff));
  DeriveDuplex(context);
  if (margins) {
    Write(context, fid::kdmFuncSelectMargin, 1);
    Write(context, fid::kdmMarginOdd, odd);
    Write(context, fid::kdmMarginEven, even);
  }
  return 1;
}

constexpr DWORD kApiStamp = 256;

std::int32_t SetStamp(DriverContext* context, const void* record) {
  if (At(record, kOnOff) == 0) return Write(context, fid::kdmFuncSelectWaterMark, 0), 1;
  const DWORD number = At(record, 4);
  if (number == kApiStamp) {
    if (!HasWatermarkText(context)) return -1;
    Write(context, fid::kdmWmID, kApiStamp);
  } else {
    const int listed = CapabilityListHolds(context, 32, number);
    if (listed == -1) return SetApiError(context, API_INTERNAL), -1;
    if (listed != 1 || number == 0) return -1;
    Write(context, fid::kdmWmID, number - 1);
  }
  Write(context, fid::kdmFuncSelectWaterMark, At(record, kOnOff));
  return 1;
}

std::int32_t SetShift(DriverContext* context, const void* record) {
  const DWORD direction = At(record, 4);
  const DWORD x = ToDots(At(record, 8));
  const DWORD y = ToDots(At(record, 12));
  if (!Acceptable(context, fid::kdmShiftDir, direction) || !Acceptable(context, fid::kdmShiftMarginX, x) ||
      !Acceptable(context, fid::kdmShiftMarginY, y))
    return -1;
  Write(context, fid::kdmShiftDir, direction);
  Write(context, fid::kdmShiftMarginX, x);
  Write(context, fid::kdmShiftMarginY, y);
  Write(context, fid::kdmFuncSelectMargin, 1);
  return 1;
}

std::int32_t SetSort(DriverContext* context, const void* record) {
  if (RefusedKind(context, 19, record)) return -1;
  if (At(record, kOnOff) == 0) return Write(context, fid::kdmFuncSelectSort, 0), 1;
  const DWORD type = At(record, 4);
  const bool sheets = KindOf(record) >= 2 && IsCapabilityPresent(context, 76);
  const DWORD separation = At(record, 8);
  if (!Acceptable(context, fid::kdmSortType, type)) return -1;
  if (sheets && !Acceptable(context, fid::kdmExtOutput2SeparationSheet, separation)) return -1;
  if (sheets && separation == 1 && !Acceptable(context, fid::kdmSeparationSheetCycle, At(record, 12))) return -1;
  Write(context, fid::kdmSortType, type);
  if (sheets) {
    Write(context, fid::kdmExtOutput2SeparationSheet, separation);
    if (separation == 1) Write(context, fid::kdmSeparationSheetCycle, At(record, 12));
  }
  Write(context, fid::kdmFuncSelectSort, At(record, kOnOff));
  return 1;
}

// Staple, punch and fold: a value that must stand with the function on.
WORD FinishingValueField(DWORD item) {
  return item == 20 ? fid::kdmStapleType : item == 21 ? fid::kdmPunchType : fid::kdmFoldType;
}

std::int32_t SetFinishing(DriverContext* context, DWORD item, const void* record) {
  const WORD onOff = FindFunctionSelectField(item);
  const WORD field = FinishingValueField(item);
  if (At(record, kOnOff) == 0) return Write(context, onOff, 0), 1;
  const DWORD value = At(record, 4);
  if (!Acceptable(context, field, value)) return -1;
  if (!TrySetWithFunctionOn(context, item, onOff, field, value)) return -1;
  Write(context, field, value);
  Write(context, onOff, At(record, kOnOff));
  return 1;
}

std::int32_t SetManualTrayOrientation(DriverContext* context, const void* record) {
  const DWORD on = At(record, 4);
  if (on == 0) return Write(context, fid::kdmExtOutput2OrientationManualTray, 0), 1;
  if (!Acceptable(context, fid::kdmExtOutput2OrientationManualTray, on) ||
      !Acceptable(context, fid::kdmOrientationManualTray, At(record, 8)))
    return -1;
  Write(context, fid::kdmExtOutput2OrientationManualTray, on);
  Write(context, fid::kdmOrientationManualTray, At(record, 8));
  return 1;
}

// Folding types 5 to 7 carry a sub-type of their own field.
WORD FoldingSubField(DWORD type) {
  return type == 5 ? fid::kdmFoldingLongFanType : type == 6 ? fid::kdmFoldingCustomType
                                                : type == 7 ? fid::kdmFoldingProgramType : 0;
}
constexpr DWORD kFoldingOff = 255;

std::int32_t SetFolding(DriverContext* context, const void* record) {
  const DWORD type = At(record, 4);
  if (type == kFoldingOff) return Write(context, fid::kdmFunc2SelectFolding, 0), 1;
  const DWORD punch = At(record, 12) & 1;
  const DWORD corner = (At(record, 12) >> 1) & 1;
  const WORD sub = FoldingSubField(type);
  if (!Acceptable(context, fid::kdmFunc2SelectFolding, 1) ||
      !Acceptable(context, fid::kdmFunc2SelectFoldingPunch, punch) ||
      !Acceptable(context, fid::kdmFunc2SelectFoldingCorner, corner) || !Acceptable(context, fid::kdmFoldingType, type) ||
      (sub && !Acceptable(context, sub, At(record, 8))))
    return -1;
  Write(context, fid::kdmFunc2SelectFolding, 1);
  Write(context, fid::kdmFunc2SelectFoldingPunch, punch);
  Write(context, fid::kdmFunc2SelectFoldingCorner, corner);
  Write(context, fid::kdmFoldingType, type);
  if (sub) Write(context, sub, At(record, 8));
  return 1;
}

std::int32_t SetTonerSave(DriverContext* context, const void* record) {
  const std::int32_t support = QueryCapability(context, 274, nullptr);
  if (support == 0) return -1;
  if (support == 2 && !IsUserMacroColourSafe(context)) return SetApiError(context, API_USER_MACRO), -1;
  if (At(record, kOnOff) == 0) return Write(context, fid::kdmFuncSelectTonerSave, 0), 1;
  const DWORD value = At(record, 4);
  if (QueryCapability(context, 275, nullptr) == 1) {
    if (Raw(context, fid::kdmTonerSave) != value) return -1;
  } else {
    if (!Acceptable(context, fid::kdmTonerSave, value)) return -1;
    Write(context, fid::kdmTonerSave, value);
  }
  Write(context, fid::kdmFuncSelectTonerSave, At(record, kOnOff));
  return 1;
}

// Item 262: which parts of the user print macros the model has.
struct MacroParts {
  bool print;    // capability 266
  bool balance;  // capability 268
};
MacroParts MacroPartsOf(DriverContext* context) {
  return {IsCapabilityPresent(context, 266) != 0, IsCapabilityPresent(context, 268) != 0};
}
constexpr DWORD kSafeUserMacro = 160;
constexpr DWORD kApiQualityEntry = 128;
constexpr DWORD kFirstUserMacro = 32;

// The quality-list entry of a user macro value (macros count from 32).
void ApplyUserMacroEntry(DriverContext* context, DWORD macro) {
  if (macro >= kFirstUserMacro) ApplyQualityByIndex(context, static_cast<int>(macro - kFirstUserMacro));
}

std::int32_t SetUserMacro(DriverContext* context, const void* record) {
  const MacroParts parts = MacroPartsOf(context);
  const DWORD on = At(record, kOnOff);
  if (on == 0) {
    const DWORD print = At(record, 4);
    const DWORD balance = At(record, 8);
    if (parts.print && !Acceptable(context, fid::kdmPrintMacro, print)) return -1;
    if (parts.balance && !Acceptable(context, fid::kdmBalanceMacro, balance)) return -1;
    Write(context, fid::kdmUseUserMacro, 0);
    if (parts.print) Write(context, fid::kdmPrintMacro, print);
    if (parts.balance) {
      Write(context, fid::wdmUIStart, 1);
      Write(context, fid::kdmUserPrintMacro, kFirstUserMacro);
      ApplyFeatureTransacts(context, fid::kdmMediaType);
      Write(context, fid::wdmUIStart, 0);
      Write(context, fid::kdmBalanceMacro, balance);
      if (balance == kFirstUserMacro) ApplyUserMacroEntry(context, Raw(context, fid::kdmUserPrintMacro));
    }
    return 1;
  }
  const DWORD macro = At(record, 12);
  if (!Acceptable(context, fid::kdmUserPrintMacro, macro)) return -1;
  if (macro == kSafeUserMacro) {
    SaveQualityEntry(context, static_cast<int>(kApiQualityEntry));
  } else {
    if (!IsFieldOptionOffered(context, fid::kdmUserPrintMacro)) return -1;
    ApplyUserMacroEntry(context, macro);
  }
  Write(context, fid::kdmUseUserMacro, on);
  Write(context, fid::kdmUserPrintMacro, macro);
  if (!parts.print && parts.balance) Write(context, fid::kdmBalanceMacro, kFirstUserMacro);
  return 1;
}

std::int32_t VerifyUserMacro(DriverContext* context, const void* record) {
  const MacroParts parts = MacroPartsOf(context);
  if (At(record, kOnOff) != 0) {
    if (Raw(context, fid::kdmUserPrintMacro) != At(record, 12)) return -1;
  } else {
    if (parts.print && Raw(context, fid::kdmPrintMacro) != At(record, 4)) return -1;
    if (At(record, 8) == kFirstUserMacro) return 1;
    if (parts.balance && Raw(context, fid::kdmBalanceMacro) != At(record, 8)) return -1;
  }
  return Result(Raw(context, fid::kdmUseUserMacro) == At(record, kOnOff));
}

// Back (64) and reverse (65) covers: the record's mode and the stored type.
struct CoverFields {
  WORD onOff, type, tray;
  DWORD modes;
};
CoverFields CoverFieldsOf(DWORD item) {
  if (item == 64) return {fid::kdmFuncSelectBack, fid::kdmBackCoverType, fid::kdmBackCoverInputTray, 3};
  return {fid::kdmFuncSelectReverseCover, fid::kdmReverseCoverType, fid::kdmReverseCoverInputTray, 2};
}
DWORD CoverTypeOfMode(DWORD item, DWORD mode) {
  if (item == 64) return mode == 1 ? 0 : mode;  // 1, 2, 3 -> 0, 2, 3
  return mode;                                   // 1, 2 -> 1, 2
}
// The mode of a stored type, 0 when none matches.
DWORD CoverModeOfType(DWORD item, DWORD type) {
  for (DWORD mode = 1; mode <= CoverFieldsOf(item).modes; ++mode)
    if (CoverTypeOfMode(item, mode) == type) return mode;
  return 0;
}
bool OutsideUsable(DriverContext* context) {
  return IsFieldOptionUsable(context, fid::kdmExtOutput2ReverseCoverOutside, 0, 3) != 0;
}

std::int32_t SetCoverPage(DriverContext* context, DWORD item, const void* record) {
  const CoverFields f = CoverFieldsOf(item);
  const DWORD mode = At(record, 4);
  const DWORD tray = At(record, 8);
  if (mode == 0) return Write(context, f.onOff, 0), 1;
  if (mode > f.modes) return -1;
  if (item == 64 && mode == 3 && !Raw(context, fid::kdmFuncSelectDuplex)) return SetApiError(context, API_CONFLICT), -1;
  if (!Acceptable(context, f.tray, tray)) return -1;
  const DWORD type = CoverTypeOfMode(item, mode);
  const bool outside = OutsideUsable(context);
  BYTE* snapshot = SnapshotDevmode(context);
  if (!snapshot) return SetApiError(context, API_INTERNAL), -1;
  Write(context, f.onOff, 1);
  Write(context, f.tray, tray);
  if (item == 65) Write(context, f.type, type);
  bool refused = false;
  if (item == 64 && mode == 3) {
    SettingField* field = FindFieldById(context, f.type);
    if (field && ValidateFeatureValueByOption(field, f.type, type, context, FindFieldOption(f.type, context)) ==
                     OPTION_HIDDEN) {
      SetApiError(context, API_CONFLICT);
      refused = true;
    }
  }
  if (!refused && outside && !Acceptable(context, fid::kdmExtOutput2ReverseCoverOutside, At(record, 12))) refused = true;
  RestoreDevmodeSnapshot(context, snapshot, 1);
  if (refused) return -1;
  Write(context, f.onOff, 1);
  Write(context, f.type, type);
  Write(context, f.tray, tray);
  if (outside) Write(context, fid::kdmExtOutput2ReverseCoverOutside, At(record, 12));
  return 1;
}

// Items 68 to 71 need the margin function's option present and not hidden.
bool MarginOptionUsable(DriverContext* context) {
  return IsFieldOptionUsable(context, fid::kdmFuncSelectMargin, 0, 2) != 0;
}

std::int32_t SetMarginDependent(DriverContext* context, DWORD item, const void* record) {
  if (!MarginOptionUsable(context)) return -1;
  switch (item) {
    case 68: {
      if (At(record, kOnOff) == 0) return Write(context, fid::kdmFunc2SelectEdgeCorner, 0), 1;
      if (!Acceptable(context, fid::kdmCornerPosi, At(record, 4))) return -1;
      Write(context, fid::kdmFuncSelectMargin, 1);
      Write(context, fid::kdmFunc2SelectEdgeCorner, At(record, kOnOff));
      Write(context, fid::kdmCornerPosi, At(record, 4));
      return 1;
    }
    case 69:
      if (!Acceptable(context, fid::kdmFuncSelectMarginOverlap, At(record, 4))) return -1;
      Write(context, fid::kdmFuncSelectMargin, 1);
      Write(context, fid::kdmFuncSelectMarginOverlap, At(record, 4));
      return 1;
    case 70: {
      const DWORD crops = At(record, 4);
      if (!Acceptable(context, fid::kdmFuncSelectCrops, crops)) return -1;
      if (crops == 1 && !Acceptable(context, fid::kdmFuncSelectCropsFirst, At(record, 8))) return -1;
      Write(context, fid::kdmFuncSelectCrops, crops);
      if (crops == 1) Write(context, fid::kdmFuncSelectCropsFirst, At(record, 8));
      Write(context, fid::kdmFuncSelectMargin, 1);
      return 1;
    }
    default: {
      const DWORD inside = ToDots(At(record, 4));
      const DWORD outside = ToDots(At(record, 8));
      if (!Acceptable(context, fid::kdmCreepMarginInside, inside) ||
          !Acceptable(context, fid::kdmCreepMarginOutside, outside))
        return -1;
      Write(context, fid::kdmCreepMarginInside, inside);
      Write(context, fid::kdmCreepMarginOutside, outside);
      Write(context, fid::kdmFuncSelectMargin, 1);
      return 1;
    }
  }
}

}  // namespace

int TrySetWithFunctionOn(DriverContext* context, DWORD item, WORD onOffField, WORD valueField, DWORD value) {
  if (Raw(context, onOffField)) return 1;
  BYTE* copy = SnapshotDevmode(context);
  if (!copy) return SetApiError(context, API_INTERNAL), 0;
  Write(context, onOffField, 1);
  Write(context, valueField, value);
  if (item == 15) DeriveDuplex(context);
  ApplyFeatureTransacts(context, onOffField);
  DeriveDuplex(context);
  RefreshPublicDevmode(context, nullptr);
  const int answer = Raw(context, onOffField) != 0 && Acceptable(context, valueField, value) ? 1 : 0;
  RestoreDevmodeSnapshot(context, copy, 1);
  return answer;
}

std::int32_t SetFunctionItem(DriverContext* context, DWORD id, void* record, BYTE*, std::int32_t) {
  if (!context || !record) return -1;
  switch (id) {
    case 11: return SetScaling(context, record);
    case 12: return SetCover(context, record);
    case 13: return SetMark(context, record);
    case 14: return SetNup(context, record);
    case 15: return SetDuplex(context, record);
    case 17: return SetStamp(context, record);
    case 18: return SetShift(context, record);
    case 19: return SetSort(context, record);
    case 20: case 21: case 51: return SetFinishing(context, id, record);
    case 58: return SetManualTrayOrientation(context, record);
    case 64: case 65: return SetCoverPage(context, id, record);
    case 68: case 69: case 70: case 71: return SetMarginDependent(context, id, record);
    case 79: return SetFolding(context, record);
    case 262: return SetUserMacro(context, record);
    case 264: return SetTonerSave(context, record);
    default: return -1;
  }
}

std::int32_t VerifyFunctionItem(DriverContext* context, DWORD id, void* record, BYTE*, std::int32_t) {
  if (!context || !record) return -1;
  switch (id) {
    case 11: case 12: case 13: case 14: case 15: case 18: case 19: case 20: case 21: case 51: case 264: {
      const int common = VerifyOnOff(context, id, record);
      if (common != 0) return common;
      break;
    }
    default: break;
  }
  switch (id) {
    case 11: {
      const DWORD type = At(record, 4);
      bool ok = Raw(context, fid::kdmScaleType) == type;
      if (type == 1 || type == 3) ok = ok && Raw(context, fid::kdmScaleH) == At(record, 8);
      if (type == 3) ok = ok && Raw(context, fid::kdmScaleV) == At(record, 12);
      if (KindOf(record) >= 2) ok = ok && Raw(context, fid::kdmScaleCentering) == At(record, 16);
      return Result(ok);
    }
    case 12:
      return Result(Raw(context, fid::kdmCoverType) == At(record, 4) &&
                    Raw(context, fid::kdmCoverInputTray) == At(record, 8));
    case 13:
      return Result(Raw(context, fid::kdmMarkPaperType) == At(record, 4) &&
                    Raw(context, fid::kdmMPInputTray) == At(record, 8));
    case 14:
      if (KindOf(record) >= 2 && At(record, 4) <= 0x8000) return Result(Raw(context, fid::kdmNUPLine) == At(record, 8));
      return 1;
    case 19:
      if (KindOf(record) >= 2 && IsCapabilityPresent(context, 76))
        return Result(Raw(context, fid::kdmExtOutput2SeparationSheet) == At(record, 8));
      return 1;
    case 58:
      if (Raw(context, fid::kdmExtOutput2OrientationManualTray) != At(record, 4)) return -1;
      return Result(At(record, 4) == 0 || Raw(context, fid::kdmOrientationManualTray) == At(record, 8));
    case 64: case 65: {
      const CoverFields f = CoverFieldsOf(id);
      const DWORD mode = At(record, 4);
      if (mode == 0) return Result(Raw(context, f.onOff) == 0);
      bool ok = Raw(context, f.type) == CoverTypeOfMode(id, mode) && Raw(context, f.tray) == At(record, 8);
      if (OutsideUsable(context)) ok = ok && Raw(context, fid::kdmExtOutput2ReverseCoverOutside) == At(record, 12);
      return Result(ok);
    }
    case 68:
      if (At(record, kOnOff) == 0) return 1;
      return Result(Raw(context, fid::kdmFunc2SelectEdgeCorner) && Raw(context, fid::kdmCornerPosi) == At(record, 4));
    case 69: return Result(Raw(context, fid::kdmFuncSelectMarginOverlap) == At(record, 4));
    case 70:
      return Result(Raw(context, fid::kdmFuncSelectCrops) == At(record, 4) &&
                    (At(record, 4) != 1 || Raw(context, fid::kdmFuncSelectCropsFirst) == At(record, 8)));
    case 71:
      return Result(ToTenths(Raw(context, fid::kdmCreepMarginInside)) == At(record, 4) &&
                    ToTenths(Raw(context, fid::kdmCreepMarginOutside)) == At(record, 8));
    case 79:
      if (At(record, 4) == kFoldingOff) return 1;
      return Result(Raw(context, fid::kdmFunc2SelectFolding) != 0);
    case 262: return VerifyUserMacro(context, record);
    case 264:
      return Result(Raw(context, fid::kdmFuncSelectTonerSave) == At(record, kOnOff) &&
                    Raw(context, fid::kdmTonerSave) == At(record, 4));
    default: return 1;
  }
}

std::int32_t GetFunctionItem(DriverContext* context, DWORD id, void* record, DWORD kind) {
  if (!context) return -1;
  if (KindNeedsNewerApi(id, kind)) return SetApiError(context, API_NEWER_KIND), -1;
  auto put = [record](DWORD offset, DWORD value) { PutRecordU32(record, offset, value); };
  const bool margin = Raw(context, fid::kdmFuncSelectMargin) != 0;
  switch (id) {
    case 11: {
      if (Raw(context, fid::kdmScaleType) == 2) ApplyPaperChangeForApi(context, 1);
      put(4, Raw(context, fid::kdmScaleType));
      put(8, Raw(context, fid::kdmScaleH));
      put(12, Raw(context, fid::kdmScaleV));
      if (kind >= 2) put(16, Raw(context, fid::kdmScaleCentering));
      put(kOnOff, Raw(context, fid::kdmFuncSelectScale));
      return RecordSizeOfKind(11, kind, kFunctionRecordSize);
    }
    case 12: case 13: {
      const bool cover = id == 12;
      put(4, Raw(context, cover ? fid::kdmCoverType : fid::kdmMarkPaperType));
      put(8, Raw(context, cover ? fid::kdmCoverInputTray : fid::kdmMPInputTray));
      put(kOnOff, Raw(context, cover ? fid::kdmFuncSelectCover : fid::kdmFuncSelectMark));
      return kFunctionRecordSize;
    }
    case 14:
      put(4, Raw(context, fid::kdmNUPType));
      if (kind >= 2) put(8, Raw(context, fid::kdmNUPLine));
      put(kOnOff, Raw(context, fid::kdmFuncSelectNup));
      return RecordSizeOfKind(14, kind, kFunctionRecordSize);
    case 15:
      put(4, Raw(context, fid::kdmDuplexType));
      put(8, margin ? ToTenths(Raw(context, fid::kdmMarginOdd)) : 0);
      put(12, margin ? ToTenths(Raw(context, fid::kdmMarginEven)) : 0);
      put(kOnOff, Raw(context, fid::kdmFuncSelectDuplex));
      return kFunctionRecordSize;
    case 17: {
      const DWORD stamp = Raw(context, fid::kdmWmID);
      put(4, stamp == kApiStamp ? kApiStamp : stamp + 1);
      put(kOnOff, Raw(context, fid::kdmFuncSelectWaterMark));
      return kFunctionRecordSize;
    }
    case 18:
      put(4, Raw(context, fid::kdmShiftDir));
      put(8, margin ? ToTenths(Raw(context, fid::kdmShiftMarginX)) : 0);
      put(12, margin ? ToTenths(Raw(context, fid::kdmShiftMarginY)) : 0);
      return kFunctionRecordSize;
    case 19: {
      const bool sheets = IsCapabilityPresent(context, 76);
      put(4, Raw(context, fid::kdmSortType));
      if (kind >= 2) {
        put(8, sheets ? Raw(context, fid::kdmExtOutput2SeparationSheet) : 0);
        put(12, sheets ? Raw(context, fid::kdmSeparationSheetCycle) : 0);
      }
      put(kOnOff, Raw(context, fid::kdmFuncSelectSort));
      return RecordSizeOfKind(19, kind, kFunctionRecordSize);
    }
    case 20: case 21: case 51:
      put(4, Raw(context, FinishingValueField(id)));
      put(kOnOff, Raw(context, FindFunctionSelectField(id)));
      return kFunctionRecordSize;
    case 58:
      put(4, Raw(context, fid::kdmExtOutput2OrientationManualTray));
      put(8, Raw(context, fid::kdmOrientationManualTray));
      return kFunctionRecordSize;
    case 64: case 65: {
      const CoverFields f = CoverFieldsOf(id);
      if (!Raw(context, f.onOff)) {
        put(4, 0);
      } else if (const DWORD mode = CoverModeOfType(id, Raw(context, f.type))) {
        put(4, mode);
      }
      put(8, Raw(context, f.tray));
      put(12, Raw(context, fid::kdmExtOutput2ReverseCoverOutside));
      return kFunctionRecordSize;
    }
    case 68:
      put(4, Raw(context, fid::kdmCornerPosi));
      put(kOnOff, Raw(context, fid::kdmFunc2SelectEdgeCorner));
      return kFunctionRecordSize;
    case 69:
      put(4, Raw(context, fid::kdmFuncSelectMarginOverlap));
      return kFunctionRecordSize;
    case 70:
      put(4, Raw(context, fid::kdmFuncSelectCrops));
      put(8, Raw(context, fid::kdmFuncSelectCropsFirst));
      return kFunctionRecordSize;
    case 71:
      put(4, margin ? ToTenths(Raw(context, fid::kdmCreepMarginInside)) : 0);
      put(8, margin ? ToTenths(Raw(context, fid::kdmCreepMarginOutside)) : 0);
      return kFunctionRecordSize;
    case 79: {
      const DWORD type = Raw(context, fid::kdmFoldingType);
      const bool on = Raw(context, fid::kdmFunc2SelectFolding) != 0;
      const WORD sub = FoldingSubField(type);
      put(4, on ? type : kFoldingOff);
      put(8, sub ? Raw(context, sub) : 0);
      put(12, (Raw(context, fid::kdmFunc2SelectFoldingPunch) == 1 ? 1u : 0u) |
                  (Raw(context, fid::kdmFunc2SelectFoldingCorner) == 1 ? 2u : 0u));
      return kFunctionRecordSize;
    }
    case 262: {
      const MacroParts parts = MacroPartsOf(context);
      const DWORD macro = Raw(context, fid::kdmUserPrintMacro);
      put(4, Raw(context, fid::kdmPrintMacro));
      put(8, Raw(context, fid::kdmBalanceMacro));
      put(12, macro);
      put(kOnOff, !parts.print && parts.balance && macro != kSafeUserMacro ? 0 : Raw(context, fid::kdmUseUserMacro));
      return kFunctionRecordSize;
    }
    case 264:
      put(4, Raw(context, fid::kdmTonerSave));
      put(kOnOff, Raw(context, fid::kdmFuncSelectTonerSave));
      return kFunctionRecordSize;
    default: return -1;
  }
}
