// The user quality and colour profile module: built-in functions 100-124, 308, 310, 311 and
// 325, and events 15, 16, 36, 56 and 58.
#include <cstring>
#include <initializer_list>

#include "fields/change_flags.h"
#include "base/deliverable.h"
#include "stored/devmode_checks.h"
#include "base/dictionary_pages.h"
#include "base/driver_context.h"
#include "fields/field_access.h"
#include "fields/field_table.h"
#include "model/field_checks.h"
#include "base/ini_files.h"
#include "fields/languages.h"
#include "stored/module_services.h"
#include "base/paths_and_names.h"
#include "stored/snapshot_ring.h"
#include "field_ids.h"
#include "context/module_events.h"
#include "context/module_hooks.h"
#include "modules/module_text.h"
#include "modules/module_ui.h"
#include "modules/profile_list.h"
#include "stored/quality_list.h"

namespace {

// A default no stored value is: tells a missing key from any value.
constexpr WCHAR kMissingKey[] = u"\x1F";

// Colour-adjustment controls and the field each shows for all objects, text, line art and
// image.
struct Binding {
  WORD page;
  WORD control;
  WORD fields[4];
};
constexpr Binding kBindings[] = {
    {1021, 2258, {137, 967, 968, 969}},    {1021, 2256, {133, 961, 962, 963}},
    {1021, 2260, {134, 964, 965, 966}},    {1021, 2574, {132, 958, 959, 960}},
    {1021, 2820, {163, 1043, 1059, 1075}}, {1038, 2264, {138, 970, 971, 972}},
    {1038, 2263, {138, 970, 971, 972}},    {1038, 2267, {139, 973, 974, 975}},
    {1038, 2266, {139, 973, 974, 975}},    {1038, 2270, {140, 976, 977, 978}},
    {1038, 2269, {140, 976, 977, 978}},    {1038, 2273, {141, 979, 980, 981}},
    {1038, 2272, {141, 979, 980, 981}},    {1038, 2275, {142, 982, 983, 984}},
    {1038, 2274, {142, 982, 983, 984}},    {1038, 2277, {143, 985, 986, 987}},
    {1038, 2276, {143, 985, 986, 987}},    {1038, 2249, {0, 0, 0, 0}},
    {4010, 2256, {133, 961, 962, 963}},    {4010, 2574, {132, 958, 959, 960}},
};
static_assert(sizeof(kBindings) / sizeof(kBindings[0]) == 20);

constexpr int kAll = 0;
constexpr WORD kModeCombo = 2632;
constexpr WORD kIntentCombo = 2574;
constexpr WORD kDensityTypeCombo = 3029;
constexpr WORD kBalancePicture = 2249;
constexpr WORD kDensitySample = 3039;
constexpr WORD kDensitySliders[] = {3032, 3035, 3038};
constexpr WORD kFirstProfileOption = 565;
constexpr WORD kMatchingFields[4] = {fid::kdmColorMatchingMode, fid::wdmColorMatchingText, fid::wdmColorMatchingLine,
                                     fid::wdmColorMatchingImage};

SettingField* Field(DriverContext* context, WORD id) { return id ? FindFieldById(context, id) : nullptr; }

void Bind(DriverContext* context, ControlRecord* control, WORD fieldId) {
  SettingField* field = Field(context, fieldId);
  if (!control || !field) return;
  control->field = field;
  SetFieldChangeMark(field, 1);
}

// The colour-balance picture shows six fields: its data (nine words: type, 0, 0, six field
// ids) is copied per object kind into the context, so that two contexts never share it.
void BindBalancePicture(DriverContext* context, ControlRecord* control, int kind) {
  if (!control || !control->extraData || !context->work) return;
  WORD* data = context->work->colourBalanceData[kind];
  std::memcpy(data, control->extraData, sizeof context->work->colourBalanceData[kind]);
  if (data[0] != 1) return;  // not picture data
  for (int k = 0; k < 6; ++k)
    data[3 + k] = static_cast<WORD>(kind == kAll ? 138 + k : 970 + 3 * k + (kind - 1));
  control->extraData = data;
}

// 101-103 and 107: every control of the table shows the fields of one object kind.
void BindObjectKind(DriverContext* context, int kind) {
  for (const Binding& b : kBindings) {
    PageRecord* page = FindPageById(context, b.page);
    ControlRecord* control = page ? FindControlById(context, page, b.control) : nullptr;
    if (!control) continue;
    if (b.control == kBalancePicture) BindBalancePicture(context, control, kind);
    else Bind(context, control, b.fields[kind]);
  }
}

void ClearCombo(DriverContext* context, WORD controlId, WORD fallbackField) {
  ControlRecord* control = FindControlById(context, nullptr, controlId);
  SettingField* field = control ? GetControlField(context, control) : Field(context, fallbackField);
  if (field) WriteFieldRaw(context, field, static_cast<DWORD>(-1));
}

// 110: the intent combo shows kdmICMIntent, or with the matching types 1 and 2 the intent of
// the selected object kind.
void BindIntent(DriverContext* context) {
  ClearCombo(context, kModeCombo, fid::KPD_IDC_USER_QUALITY_CHOICE_MODE);
  if (ReadFieldRawById(context, fid::kdmAdjustMode) == 0) return;
  WORD field = fid::kdmICMIntent;
  if (ReadFieldRawById(context, fid::kdmICMType) != 0) {
    const DWORD object = ReadFieldRawById(context, fid::kdmAdjustObject);
    if (object > 2) return;
    field = static_cast<WORD>(fid::wdmICMIntentText + object);
  }
  for (const Binding& b : kBindings) {
    if (b.control != kIntentCombo) continue;
    PageRecord* page = FindPageById(context, b.page);
    Bind(context, page ? FindControlById(context, page, b.control) : nullptr, field);
  }
}

bool UserMacroSelected(DriverContext* context, int* entry) {
  const DWORD macro = ReadFieldRawById(context, fid::kdmUserPrintMacro);
  if (ReadFieldRawById(context, fid::kdmUseUserMacro) != 1 || macro < 32 || macro > 39) return false;
  *entry = static_cast<int>(macro - 32);
  return true;
}

void AddProfile(DriverContext* context) {
  const int n = GetProfileCount(context);
  if (n >= GetProfileMax(context)) {
    if (CurrentDeliverable() == Deliverable::Interface) ShowModuleWarning(context, 10079, false);
    return;
  }
  SetProfileCount(context, n + 1);
  StoreProfile(context, n);
}

bool KdmAdjustModeAllowed(DriverContext* context) {
  SettingField* field = Field(context, fid::kdmAdjustMode);
  if (!field) return false;
  const int r = CheckOptionValueSimple(field, fid::kdmAdjustMode, ReadFieldRaw(context, field), context);
  return r == OPTION_VALID || r == OPTION_HIDDEN;
}

// Event 36: with a user quality entry selected, a colour-matching field that names a
// profile no longer in the list takes the value the entry stores.
void RecheckProfileValues(DriverContext* context) {
  const std::int32_t entry = GetUserMacroIndex(context);
  if (entry < 0) return;
  DWORD before[4], stored[4];
  for (int k = 0; k < 4; ++k) before[k] = ReadFieldRawById(context, kMatchingFields[k]);
  PushSettingsSnapshot(context);
  ApplyQualityByIndex(context, entry);
  for (int k = 0; k < 4; ++k) stored[k] = ReadFieldRawById(context, kMatchingFields[k]);
  PopSettingsSnapshot(context, 1);
  const int count = GetProfileCount(context);
  for (int k = 0; k < 4; ++k)
    if (before[k] >= kFirstProfileValue && before[k] - kFirstProfileValue >= static_cast<DWORD>(count))
      WriteFieldRawById(context, kMatchingFields[k], stored[k]);
}

std::int32_t CopyInstallKeys(DriverContext* context, const IniCopyEventBlock* b) {
  const WCHAR* code = GetLanguageCodeOfSetting(context);
  if (!b || !b->source || !b->destination || !code || !code[0]) return 0;
  // Only the keys the source has are copied: a missing limit written as 0 would refuse
  // every profile added afterwards.
  for (const WCHAR* key : {u"CmmMax", u"CmmDefault"}) {
    WCHAR value[16];
    if (ReadIniString(code, key, kMissingKey, value, 16, b->source) == 0 || WideEquals(value, kMissingKey)) continue;
    WCHAR text[16];
    FormatWide(text, 16, "%d", ReadIniInt(code, key, 0, b->source));
    WriteIniString(code, key, text, b->destination);
  }
  if (!b->keepCount || ReadIniInt(code, u"CmmCount", -1, b->destination) < 0) {
    WCHAR text[16];
    FormatWide(text, 16, "%d", ReadIniInt(code, u"CmmDefault", 0, b->source));
    WriteIniString(code, u"CmmCount", text, b->destination);
  }
  return 1;
}

}  // namespace

std::int32_t UserQualityModuleItem(DriverContext* context, WORD number, void*) {
  if (!context || !context->work) return 0;
  const bool pages = CurrentDeliverable() == Deliverable::Interface;
  switch (number) {
    case 100: ClearCombo(context, kModeCombo, fid::KPD_IDC_USER_QUALITY_CHOICE_MODE); break;
    case 101: case 102: case 103: BindObjectKind(context, number - 100); break;
    case 107: BindObjectKind(context, kAll); break;
    case 104: case 105: case 106:
      BindObjectKind(context, number - 103);
      BindIntent(context);
      break;
    case 108:
      BindObjectKind(context, kAll);
      BindIntent(context);
      break;
    case 109: {
      const DWORD object = ReadFieldRawById(context, fid::kdmAdjustObject);
      if (object <= 2) BindObjectKind(context, static_cast<int>(object) + 1);
      BindIntent(context);
      break;
    }
    case 110: BindIntent(context); break;
    case 111: AddProfile(context); break;
    case 112: {
      const int i = SelectedProfileIndex(context);
      DeleteProfile(context, i);
      if (i >= GetProfileCount(context)) SelectProfile(context, -1);
      SaveColorMatchingState(context);
      NotifyModules(context, MODEV_RECHECK_PROFILES, nullptr);
      if (pages) RefreshOpenPage(context);
      break;
    }
    case 113: StoreProfile(context, SelectedProfileIndex(context)); break;
    case 114: case 115: case 116: case 117:
      ShowProfileInControls(context, ProfileIndexOfField(context, kMatchingFields[number - 114]));
      break;
    case 118: case 119: case 120: case 121:
      StoreProfile(context, ProfileIndexOfField(context, kMatchingFields[number - 118]));
      break;
    case 122:
      CallModuleItemHooks(context, 113);
      if (pages) RefreshOpenPage(context);
      break;
    case 123:
      CallModuleItemHooks(context, 111);
      SelectProfile(context, GetProfileCount(context) - 1);
      if (pages) RefreshOpenPage(context);
      break;
    case 124:
      if (KdmAdjustModeAllowed(context)) {
        const WORD field = CurrentColorMatchingField(context);
        const int i = field ? ProfileIndexOfField(context, field) : -1;
        if (i >= 0) ShowProfileInControls(context, i);
      }
      break;
    case 308: ClearCombo(context, kDensityTypeCombo, 0); break;
    case 310: {
      int entry = 0;
      const DWORD macro = ReadFieldRawById(context, fid::kdmUserPrintMacro);
      if (macro >= 32 && macro <= 39 && UserMacroSelected(context, &entry)) ApplyQualityByIndex(context, entry);
      RefreshOpenPage(context);
      break;
    }
    case 311: {
      int entry = 0;
      if (UserMacroSelected(context, &entry)) CopyQualityEntryFile(context, entry);
      break;
    }
    case 325: {
      int entry = 0;
      if (UserMacroSelected(context, &entry)) SaveQualityEntry(context, entry);
      break;
    }
    default: return 0;
  }
  return 1;
}

// PENDING: the user-quality module's own page handlers answer the user-quality pages'
// control messages here (pages 1006, 1021, 1033, 4010, 4011, 4012, 4024); until they come
// every message goes on to the control kinds.
std::int32_t UserQualityModuleMessage(DriverContext*, PageRecord*, ControlRecord*, DWORD, WPARAM, LPARAM, void*) {
  return 0;
}

std::int32_t UserQualityModuleEvent(DriverContext* context, DWORD event, void* block, void*) {
  if (!context) return 0;
  switch (event) {
    case MODEV_INI_COPY: return CopyInstallKeys(context, static_cast<IniCopyEventBlock*>(block));
    case MODEV_UI_STRING: {
      auto* b = static_cast<UiStringEventBlock*>(block);
      if (!b || b->stringId < kFirstProfileOption || b->stringId >= kFirstProfileOption + kMaxProfiles) return 0;
      if (b->text && b->size > 0 && context->work) {
        // The name of the profile, read without disturbing the profile being shown.
        WCHAR name[kProfileTextChars], path[kProfileTextChars];
        CopyWide(name, kProfileTextChars, context->work->profileName);
        CopyWide(path, kProfileTextChars, context->work->profilePath);
        ShowProfile(context, static_cast<int>(b->stringId - kFirstProfileOption));
        CopyWide(b->text, static_cast<std::size_t>(b->size), context->work->profileName);
        CopyWide(context->work->profileName, kProfileTextChars, name);
        CopyWide(context->work->profilePath, kProfileTextChars, path);
      }
      return 1;
    }
    case MODEV_RECHECK_PROFILES:
      RecheckProfileValues(context);
      return 1;
    case MODEV_DENSITY_PICTURE: {
      auto* b = static_cast<DensityPictureEventBlock*>(block);
      if (b && b->control && b->control->controlId == kDensitySample) {
        WORD field = 0;
        if (b->pictureId == 6990) field = fid::kdmTonerSaveDensityImage;
        else if (b->pictureId == 6982) field = fid::kdmTonerSaveDensityText;
        else if (b->pictureId == 7668) field = fid::kdmTonerSaveDensityLine;
        if (field) {
          const DWORD v = ReadFieldRawById(context, field);
          if (v <= 2) b->answer = v == 0 ? 25 : v == 1 ? 13 : 0;
        }
      }
      return 1;
    }
    case MODEV_SLIDER_DIRECTION: {
      auto* b = static_cast<ControlValueEventBlock*>(block);
      if (b && b->control)
        for (WORD id : kDensitySliders)
          if (b->control->controlId == id) b->value = 1;
      return 1;
    }
    default: return 0;
  }
}
