#include "capability_flags.h"

#include <cstring>

#include "api_frame.h"
#include "api_printer.h"
#include "base/dictionary_pages.h"
#include "base/printer_data.h"
#include "capability_lists.h"
#include "capability_numbers.h"
#include "field_ids.h"
#include "fields/devmode_header.h"
#include "fields/field_access.h"
#include "fields/product_record.h"
#include "model/capability_lists.h"
#include "model/field_checks.h"
#include "model/model_parse.h"
#include "model/option_lookup.h"
#include "model/option_rules.h"
#include "model/units.h"
#include "model/work_area.h"
#include "option_services.h"

namespace {

int Usable(DriverContext* context, WORD field) { return IsFieldOptionUsable(context, field, 0, 1); }
int Has(DriverContext* context, WORD field) { return HasFeatureOption(context, 0, field); }

std::int32_t TenthMm(std::int32_t dots) { return DotsToUserUnits(kUnitTenthMm, dots, 1200); }

// A margin limit in 0.1 mm: reader answers the limits of one field (maximum or minimum), -1
// when the model has none.
using PairLimits = int (*)(DriverContext*, std::int32_t*, std::int32_t*, std::int32_t*, std::int32_t*);
std::int32_t MarginLimit(DriverContext* context, PairLimits reader, bool second, bool maximum) {
  std::int32_t value = 0;
  std::int32_t* const minimumOut = maximum ? nullptr : &value;
  std::int32_t* const maximumOut = maximum ? &value : nullptr;
  const int ok = second ? reader(context, nullptr, nullptr, minimumOut, maximumOut)
                        : reader(context, minimumOut, maximumOut, nullptr, nullptr);
  return ok ? TenthMm(value) : -1;
}

// The low 16 bits of the maximum or minimum of the field's option value record, whatever its
// type; 65535 when the option has no value record.
std::int32_t RangeWord(DriverContext* context, WORD field, bool maximum) {
  const ImageRef option = GetOptionForFeature(field, context);
  const ImageRef values = option ? OptionValues(option) : ImageRef{};
  if (!values) return 65535;
  return static_cast<WORD>(values.U32(maximum ? 20 : 16));
}

// Capabilities 13, 14, 20, 21: two u16 written when there is a buffer, the packed answer
// either way.
std::int32_t PutWordPair(void* buffer, WORD first, WORD second) {
  if (buffer) {
    const WORD pair[2] = {first, second};
    std::memcpy(buffer, pair, sizeof pair);
  }
  return static_cast<std::int32_t>((static_cast<DWORD>(second) << 16) | first);
}

std::int32_t PaperExtent(DriverContext* context, void* buffer, int which) {
  WORD pair[2] = {};
  GetPaperExtent(context, pair, which);
  return PutWordPair(buffer, pair[0], pair[1]);
}

std::int32_t ScaleExtent(DriverContext* context, void* buffer, bool maximum) {
  WORD limits[2] = {};
  if (!GetScaleLimits(context, maximum ? nullptr : limits, maximum ? limits : nullptr)) return -1;
  return PutWordPair(buffer, limits[0], limits[1]);
}

std::int32_t CustomExtent(DriverContext* context, void* buffer, int maximum) {
  DWORD pair[2] = {};
  GetCustomPaperExtent(context, pair, maximum);
  if (buffer) std::memcpy(buffer, pair, sizeof pair);
  return 1;
}

std::int32_t ColourPossible(DriverContext* context) {
  if (ReadFieldRawById(context, fid::kdmMachineTypeColor) != 1) return 0;
  if (IsColorLocked(context)) return ReadFieldRawById(context, fid::wdmLock008Info) == 2 ? 1 : 0;
  return 1;
}

std::int32_t ScalingTypes(DriverContext* context) {
  const std::int32_t n = ListEnabledValues(context, nullptr, fid::kdmScaleType);
  if (n < 1) return -1;
  std::int32_t values[64] = {};
  if (n > 64) return -1;
  if (ListEnabledValues(context, reinterpret_cast<DWORD*>(values), fid::kdmScaleType, static_cast<DWORD>(n)) != n)
    return -1;
  for (std::int32_t i = 0; i < n; ++i)
    if (values[i] >= 1 && values[i] <= 3) return 1;
  return 0;
}

std::int32_t MarkPaperOffered(DriverContext* context) {
  if (!Usable(context, fid::kdmFuncSelectMark)) return 0;
  DWORD trays[64] = {};
  const std::int32_t n = ListOfferedValues(context, 2, trays, fid::dmDefaultSource, 64);
  int others = 0;
  for (std::int32_t i = 0; i < n && i < 64; ++i)
    if (trays[i] != 7) ++others;
  return others > 1 ? 1 : 0;
}

std::int32_t AuthenticationLevel(DriverContext* context) {
  if (!Usable(context, fid::kdmPrnFuncAuthenticationMode)) return 0;
  const PageRecord* page = FindPageById(context, 4019);
  if (page && IsConditionBlockDisabled(page->optionId, 0, context) != 1 &&
      Usable(context, fid::kdmPrnFuncAuthenticationSecureMode))
    return 2;
  return 1;
}

std::int32_t SeparationCycleMaximum(DriverContext* context) {
  if (!Usable(context, fid::kdmExtOutput2SeparationSheet)) return 0;
  const ImageRef option = GetOptionForFeature(fid::kdmSeparationSheetCycle, context);
  const ImageRef values = option ? OptionValues(option) : ImageRef{};
  if (!values) return -1;
  return static_cast<std::int16_t>(values.U32(20) & 0xFFFF);
}

// The text limit of the String option that governs the field, 0 when there is none.
std::int32_t TextLimit(DriverContext* context, WORD field) {
  const ImageRef option = FindFieldOption(field, context);
  if (!option || (OptionRawType(option) & kTypeString) == 0) return 0;
  const ImageRef values = OptionValues(option);
  return values ? values.U16(2) : 0;  // {default value id, text limit, kinds, display}
}

std::int32_t AnyCoverMediaUsable(DriverContext* context) {
  const WORD fields[] = {fid::kdmCoverMediaType, fid::kdmBackCoverMediaType, fid::kdmMPInputMediaType,
                         fid::kdmChapterMediaType, fid::kdmReverseCoverMediaType};
  int any = 0;
  for (WORD field : fields) any |= Usable(context, field);  // every one is asked
  return any;
}

std::int32_t FoldingOffered(DriverContext* context) {
  if (!Usable(context, fid::kdmFunc2SelectFolding)) return 0;
  return ReadFieldRawById(context, fid::kdmOutputOption3TypeFoldingPunch) ||
                 ReadFieldRawById(context, fid::kdmOutputOption3TypeFoldingFan) ||
                 ReadFieldRawById(context, fid::kdmOutputOption3TypeFoldingFolder)
             ? 1
             : 0;
}

std::int32_t TonerSavePlace(DriverContext* context) {
  if (IsFieldOnPage(context, fid::kdmFuncSelectTonerSave, 1006)) return 1;
  if (IsFieldOnPage(context, fid::kdmFuncSelectTonerSave, 1029)) return 2;
  return 0;
}

// The ids answered by one usable() or has() test of a field.
struct FieldTest {
  WORD id;
  bool usable;  // else has()
  WORD field;
};
constexpr FieldTest kFieldTests[] = {
    {31, true, fid::kdmFuncSelectWaterMark},     {42, false, fid::kdmExtOutputDirection},
    {43, true, fid::kdmExtOutputOrderly},        {44, false, fid::kdmExtOutputWhitePaper},
    {46, false, fid::kdmUserID},                 {48, false, fid::kdmExtOutputPaperRotation},
    {52, true, fid::kdmActionStored},            {53, true, fid::kdmActionOverlay},
    {55, false, fid::kdmPlaneUseCMYKCyan},       {60, false, fid::kdmAdjustMode},
    {62, false, fid::kdmBrightness},             {63, false, fid::kdmContrast},
    {64, false, fid::kdmSaturation},             {65, false, fid::kdmColorBalanceR},
    {69, false, fid::kdmExtOutput2A4Fit},        {70, false, fid::kdmQualityFuncColorRevision},
    {71, false, fid::kdmHFFuncSelectDate},       {72, false, fid::kdmExtOutputEMFSpool},
    {73, false, fid::kdmImagePrint},             {78, true, fid::wdmWMFuncSelectOrder},
    {79, true, fid::kdmHFFuncSelectOrder},       {84, true, fid::kdmFuncSelectCopyProtect},
    {87, true, fid::kdmPreviewPrint},            {88, true, fid::kdmExtOutput2OrientationManualTray},
    {94, true, fid::kdmExtOutputIndexRotation},  {96, true, fid::kdmFuncSelectBack},
    {97, true, fid::kdmFuncSelectReverseCover},  {99, true, fid::kdmFuncSelectChapter},
    {101, true, fid::kdmNupLayout},              {102, true, fid::kdmBookLayout},
    {108, true, fid::kdmFunc2SelectEdgeCorner},  {111, true, fid::kdmFuncSelectCrops},
    {112, true, fid::kdmCreepMarginInside},      {117, true, fid::kdmExtOutput2PaperFace},
    {119, true, fid::kdmExtOutput2NearStandard}, {120, true, fid::kdmPrnFuncReduceFont},
    {121, true, fid::kdmActionPause},            {122, true, fid::kdmActionSave},
    {123, true, fid::kdmActionPrintAndSave},     {257, false, fid::kdmAdjustObject},
    {270, false, fid::kdmUseUserMacro},          {273, false, fid::kdmQualityFuncEcoColor},
    {280, false, fid::kdmExtOutputprinterSide},
};

const FieldTest* FindFieldTest(DWORD id) {
  for (const FieldTest& t : kFieldTests)
    if (t.id == id) return &t;
  return nullptr;
}

}  // namespace

int HasFeatureOption(DriverContext* context, DWORD, WORD field) {
  return context && GetOptionForFeature(field, context) ? 1 : 0;
}

std::int32_t GetMaxCopies(DriverContext* context) {
  const WORD field = fid::dmCopies;
  std::int32_t low = 0;
  std::int32_t high = 0;
  if (field != 0 && GetNumericBounds(GetOptionForFeature(field, context), &low, &high)) return high;
  return static_cast<std::int16_t>(ProductOf(context)->maxCopies);
}

std::int32_t GetCustomPaperExtent(DriverContext* context, DWORD* out, int maximum) {
  WORD pair[2] = {};
  GetPaperExtent(context, pair, maximum ? kExtentMax : kExtentMin);
  if (out) {
    out[0] = pair[0];
    out[1] = pair[1];
  }
  return 1;
}

std::int32_t AnswerCapabilityNumber(DriverContext* context, DWORD id, void* buffer) {
  if (!context) return 0;
  if (const FieldTest* test = FindFieldTest(id)) return test->usable ? Usable(context, test->field) : Has(context, test->field);
  switch (id) {
    case 1: case 24: return 1;
    case 8: return ColourPossible(context);
    case 9: return GetLandscapeAngle(context) != 0 ? 1 : 0;
    case 13: return PaperExtent(context, buffer, kExtentMax);
    case 14: return PaperExtent(context, buffer, kExtentMin);
    case 17: return GetMaxCopies(context);
    case 19: return ScalingTypes(context);
    case 20: return ScaleExtent(context, buffer, true);
    case 21: return ScaleExtent(context, buffer, false);
    case 22: return Usable(context, fid::kdmFuncSelectCover) ? HasSortTypeChoices(context) : 0;
    case 23: return MarkPaperOffered(context);
    case 25: return IsDuplexLocked(context) ? 1 : HasDuplexUnit(context);
    case 26: return MarginLimit(context, GetBindingMarginLimits, false, true);
    case 27: return MarginLimit(context, GetBindingMarginLimits, false, false);
    case 28: return MarginLimit(context, GetBindingMarginLimits, true, true);
    case 29: return MarginLimit(context, GetBindingMarginLimits, true, false);
    case 35: return MarginLimit(context, GetShiftMarginLimits, false, true);
    case 36: return MarginLimit(context, GetShiftMarginLimits, false, false);
    case 37: return MarginLimit(context, GetShiftMarginLimits, true, true);
    case 38: return MarginLimit(context, GetShiftMarginLimits, true, false);
    case 49: return IsSuiteToolInstalled(2, context) ? 1 : 0;
    case 50: case 51: return ReadFieldRawById(context, fid::kdmOutputOptionTypeHDD) != 0 ? 1 : 0;
    case 57: return IsApiFunction2Enabled(context);
    case 74: return GetApiVersion() > 9 ? 1 : 0;
    case 76: return SeparationCycleMaximum(context);
    case 80: return IsFieldOptionUsable(context, fid::kdmFunc2SelectJobComplete, 0, 3);
    case 81: return IsFieldOptionUsable(context, fid::kdmFunc2SelectJobErr, 0, 3);
    case 82: return AuthenticationLevel(context);
    case 83: return TextLimit(context, fid::kdmJOBPassword);
    case 90: return TextLimit(context, fid::wdmAuthenticationUserName);
    case 91: return TextLimit(context, fid::wdmAuthenticationPassword);
    case 89:
      return Usable(context, fid::kdmPrnFuncAuthenticationMode)
                 ? static_cast<std::int32_t>(ReadFieldRawById(context, fid::kdmPrnFuncAuthenticationMode))
                 : 0;
    case 95: return GetApiVersion() > 12 ? 1 : 0;
    case 98: return AnyCoverMediaUsable(context);
    case 100:
      return Usable(context, fid::kdmFuncSelectChapter)
                 ? static_cast<std::int32_t>(ReadFieldRawById(context, fid::wdmChapterMax))
                 : 0;
    case 110: return Usable(context, fid::kdmFunc2SelectEdgeCorner) ? Usable(context, fid::kdmFuncSelectMarginOverlap) : 0;
    case 113: return MarginLimit(context, GetCreepMarginLimits, false, true);
    case 114: return MarginLimit(context, GetCreepMarginLimits, false, false);
    case 115: return MarginLimit(context, GetCreepMarginLimits, true, true);
    case 116: return MarginLimit(context, GetCreepMarginLimits, true, false);
    case 118: return GetApiVersion() < 15 ? 0 : IsApiFunctionEnabled(context, 0x200);
    case 124: return CustomExtent(context, buffer, 1);
    case 125: return CustomExtent(context, buffer, 0);
    case 126: return FoldingOffered(context);
    case 258: return RangeWord(context, fid::kdmBrightness, true);
    case 259: return RangeWord(context, fid::kdmBrightness, false);
    case 260: return RangeWord(context, fid::kdmContrast, true);
    case 261: return RangeWord(context, fid::kdmContrast, false);
    case 262: return RangeWord(context, fid::kdmSaturation, true);
    case 263: return RangeWord(context, fid::kdmSaturation, false);
    case 264: return RangeWord(context, fid::kdmColorBalanceR, true);
    case 265: return RangeWord(context, fid::kdmColorBalanceR, false);
    case 274: return TonerSavePlace(context);
    case 276: {
      const DWORD os = GetStateByte(context, 707);
      return os == 0 || os == 1 ? 0 : Has(context, fid::kdmColorMatching);
    }
    default: return 0;
  }
}

std::int32_t AnswerMachineColorType(DriverContext* context, DWORD, void*) {
  return context ? static_cast<std::int32_t>(ReadFieldRawById(context, fid::kdmMachineTypeColor)) : 0;
}
