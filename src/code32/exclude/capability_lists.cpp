#include "capability_lists.h"

#include <cstring>
#include <vector>

#include "api_frame.h"
#include "api_printer.h"
#include "api_tables.h"
#include "base/memory.h"
#include "base/ini_files.h"
#include "base/paths_and_names.h"
#include "base/printer_data.h"
#include "base/ui_strings.h"
#include "capability_flags.h"
#include "field_ids.h"
#include "fields/devmode_header.h"
#include "fields/field_access.h"
#include "fields/product_record.h"
#include "model/capability_lists.h"
#include "model/field_checks.h"
#include "model/option_lookup.h"
#include "model/option_rules.h"
#include "model/printer_option_table.h"
#include "model/resolution_choices.h"
#include "model/rule_eval.h"
#include "model/units.h"
#include "option_services.h"
#include "fields/field_table.h"
#include "fields/value_maps.h"
#include "win/kernel.h"
#include "settings_snapshots.h"
#include "stored/preset_list.h"
#include "stored/quality_list.h"
#include "stored/snapshot_ring.h"
#include "stored/stamp_list.h"

namespace {

using Values = std::vector<DWORD>;
using Slots = std::vector<char>;



constexpr std::int32_t kNoList = -1;
constexpr DWORD kWalkLimit = 4096;

// The offered values of a field appended; the answer of ListOfferedValues.
std::int32_t AppendOffered(DriverContext* context, DWORD id, WORD field, Values& out) {
  const std::int32_t n = ListOfferedValues(context, id, nullptr, field);
  if (n <= 0) return n;
  const std::size_t at = out.size();
  out.resize(at + static_cast<std::size_t>(n));
  const std::int32_t got = ListOfferedValues(context, id, out.data() + at, field, static_cast<DWORD>(n));
  out.resize(at + static_cast<std::size_t>(got > 0 ? got : 0));
  return got;
}

// The enabled values of a field appended; the answer of ListEnabledValues.
std::int32_t AppendEnabled(DriverContext* context, WORD field, Values& out) {
  const std::int32_t n = ListEnabledValues(context, nullptr, field);
  if (n <= 0) return n;
  const std::size_t at = out.size();
  out.resize(at + static_cast<std::size_t>(n));
  const std::int32_t got = ListEnabledValues(context, out.data() + at, field, static_cast<DWORD>(n));
  out.resize(at + static_cast<std::size_t>(got > 0 ? got : 0));
  return got;
}

// An answer from a list: -1 and 0 as they are, else the number of entries.
std::int32_t Answer(std::int32_t code, const Values& values) {
  if (code < 0) return code;
  return static_cast<std::int32_t>(values.size());
}

// A list whose -1 counts as 0.
std::int32_t EnabledOrZero(DriverContext* context, WORD field, Values& out) {
  return AppendEnabled(context, field, out) < 0 ? (out.clear(), 0) : static_cast<std::int32_t>(out.size());
}

std::int32_t PaperCodes(DriverContext* context, Values& out) {
  const int n = ListPaperCodes(context, nullptr);
  if (n <= 0) return n < 0 ? kNoList : 0;
  std::vector<WORD> codes(static_cast<std::size_t>(n));
  const int got = ListPaperCodes(context, codes.data());
  if (got < 0) return kNoList;
  for (int i = 0; i < got && i < n; ++i) out.push_back(codes[static_cast<std::size_t>(i)]);
  return static_cast<std::int32_t>(out.size());
}

std::int32_t PrintMethods(DriverContext* context, Values& out) {
  SetStateByte(context, 717, IsSuiteToolInstalled(2, context) ? 1 : 0);
  SetStateByte(context, 705, IsSuiteToolInstalled(8, context) ? 1 : 0);
  return Answer(AppendEnabled(context, fid::kdmPrnMethod, out), out);
}

std::int32_t ResolutionCodes(DriverContext* context, Values& out) {
  const int n = ListResolutionChoices(context, nullptr, kResolutionCodes);
  if (n <= 0) return n;
  out.resize(static_cast<std::size_t>(n));
  const int got = ListResolutionChoices(context, out.data(), kResolutionCodes);
  out.resize(static_cast<std::size_t>(got > 0 && got <= n ? got : 0));
  return got < 0 ? kNoList : static_cast<std::int32_t>(out.size());
}

std::int32_t MarkPaperTypes(DriverContext* context, Values& out) {
  if (AnswerCapabilityNumber(context, 23, nullptr) == 0) return 0;
  const ImageRef option = FindFieldOption(fid::kdmMarkPaperType, context);
  const bool usable = option && IsItemDisabled(option, 0, context) == 0;
  if (!usable) {
    out = {1, 0};
    return 2;
  }
  if (AppendEnabled(context, fid::kdmMarkPaperType, out) < 1) {
    out.clear();
    return kNoList;
  }
  out.push_back(0);
  return static_cast<std::int32_t>(out.size());
}

// kdmAdjustMode 1 is taken to 0 for the time of a query and always put back.
class AdjustModeOff {
 public:
  explicit AdjustModeOff(DriverContext* context) : context_(context) {
    was_ = ReadFieldRawById(context, fid::kdmAdjustMode) == 1;
    if (was_) WriteFieldRawById(context, fid::kdmAdjustMode, 0);
  }
  ~AdjustModeOff() {
    if (was_) WriteFieldRawById(context_, fid::kdmAdjustMode, 1);
  }
  AdjustModeOff(const AdjustModeOff&) = delete;
  AdjustModeOff& operator=(const AdjustModeOff&) = delete;

 private:
  DriverContext* context_;
  bool was_ = false;
};

std::int32_t ColourModes(DriverContext* context, Values& out) {
  const AdjustModeOff off(context);
  if (AppendEnabled(context, fid::kdmColorMode, out) < 0) {
    out.clear();
    return 0;
  }
  if (IsApiFunction1Enabled(context)) out.push_back(255);
  return static_cast<std::int32_t>(out.size());
}

std::int32_t AllowedFinishing(DriverContext* context, DWORD listId, WORD listField, WORD field, Values& out) {
  Values offered;
  if (AppendOffered(context, listId, listField, offered) <= 0) return 0;
  return EnabledOrZero(context, field, out);
}

std::int32_t FoldingLevels(DriverContext* context, Values& out) {
  out = {0};
  if (ReadFieldRawById(context, fid::kdmOutputOption3TypeFoldingUnit) != 0) out = {0, 1, 2, 3};
  return static_cast<std::int32_t>(out.size());
}

// Two-plane watermarks: the text kind (1) when the text stamp page's two-plane choice is
// usable, then the image kind (2) when the image stamp page's is; each kind on its own page's
// choice alone, so that a model with only the image choice still lists it.
std::int32_t TwoPlaneKinds(DriverContext* context, Values& out) {
  if (IsControlOptionUsable(context, 1022, 2878, 3)) out.push_back(1);
  if (IsControlOptionUsable(context, 1023, 2879, 3)) out.push_back(2);
  return static_cast<std::int32_t>(out.size());
}

// Emulations: none to list on a product that refuses the emulation choice (error 3), else the
// enabled values of kdmEmulation.
std::int32_t Emulations(DriverContext* context, Values& out) {
  if (IsEmulationRefused(context)) {
    SetApiError(context, kEmulationRefusedError);
    return kNoList;
  }
  return Answer(AppendEnabled(context, fid::kdmEmulation, out), out);
}

std::int32_t PresetNumbers(DriverContext* context, Values& out) {
  const int n = GetPresetCount(context);
  const int bounded = n < 0 ? 0 : (n > kMaxPresets ? kMaxPresets : n);
  for (int i = 1; i <= bounded; ++i) out.push_back(static_cast<DWORD>(i));
  return static_cast<std::int32_t>(out.size());
}

std::int32_t AuthenticationModes(DriverContext* context, Values& out) {
  if (!IsFieldOptionUsable(context, fid::kdmPrnFuncAuthenticationMode, 0, 1)) return 0;
  out = {0, 1};
  if (AnswerCapabilityNumber(context, 82, nullptr) == 2) out.push_back(2);
  return static_cast<std::int32_t>(out.size());
}

std::int32_t LoadShareValues(DriverContext*, Values& out) {
  DWORD count = 0;
  const LoadShareRow* rows = GetLoadShareTable(&count);
  for (DWORD i = 0; rows && i < count; ++i)
    if (rows[i].offered) out.push_back(rows[i].callerValue);
  return static_cast<std::int32_t>(out.size());
}

// Duplex types: the leading 0 (duplex off) unless duplex is locked, then the offered values
// of kdmDuplexType with duplex on (changed: the device-mode is saved and put back) or the
// enabled values as the settings stand.
std::int32_t DuplexTypes(DriverContext* context, bool withDuplexOn, Values& out) {
  if (AnswerCapabilityNumber(context, 25, nullptr) == 0) return 0;
  BYTE* saved = nullptr;
  if (withDuplexOn) {
    saved = SnapshotDevmode(context);
    if (!saved) return kNoList;  // nothing changed
  }
  if (!IsDuplexLocked(context)) out.push_back(0);
  if (withDuplexOn) {
    WriteFieldRawById(context, fid::kdmFuncSelectDuplex, 1);
    AppendOffered(context, 103, fid::kdmDuplexType, out);
    RestoreDevmodeSnapshot(context, saved, 1);
  } else {
    AppendEnabled(context, fid::kdmDuplexType, out);
  }
  return static_cast<std::int32_t>(out.size());
}

std::int32_t NupTypes(DriverContext* context, Values& out) {
  BYTE* saved = SnapshotDevmode(context);
  if (!saved) return kNoList;
  AppendOffered(context, 105, fid::kdmNUPType, out);
  if (IsFieldValueAcceptable(fid::kdmNUPPOSTKind, 9, context) == 1) {
    WriteFieldRawById(context, fid::kdmNUPPOSTKind, 9);
    AppendEnabled(context, fid::kdmNUPType, out);
  }
  RestoreDevmodeSnapshot(context, saved, 1);
  return static_cast<std::int32_t>(out.size());
}

std::int32_t NupTypesOfEveryKind(DriverContext* context, Values& out) {
  BYTE* saved = SnapshotDevmode(context);
  if (!saved) return kNoList;
  if (!IsNupLocked(context)) out.push_back(0);
  Values kinds;
  AppendEnabled(context, fid::kdmNUPPOSTKind, kinds);
  for (DWORD kind : kinds) {
    WriteFieldRawById(context, fid::kdmNUPPOSTKind, kind);
    AppendEnabled(context, fid::kdmNUPType, out);
  }
  RestoreDevmodeSnapshot(context, saved, 1);
  return static_cast<std::int32_t>(out.size());
}

std::int32_t ColourValues(DriverContext* context, Values& out) {
  if (AnswerCapabilityNumber(context, 8, nullptr) == 0) return 0;
  return Answer(AppendOffered(context, 107, fid::dmColor, out), out);
}

std::int32_t CornerPositions(DriverContext* context, Values& out) {
  if (AnswerCapabilityNumber(context, 108, nullptr) == 0) return 0;
  return EnabledOrZero(context, fid::kdmCornerPosi, out);
}

std::int32_t ColourManagement(DriverContext* context, WORD field, Values& out) {
  const std::int32_t matching = QueryCapability(context, 276, nullptr);
  if (matching == 0 || matching == -1) return 0;
  return EnabledOrZero(context, field, out);
}

std::int32_t ColourMatchingModes(DriverContext* context, Values& out) {
  const AdjustModeOff off(context);
  if (AppendEnabled(context, fid::kdmColorMatchingMode, out) < 0) {
    out.clear();
    return 0;
  }
  const std::int32_t profiles = GetProfileCountForApi(context);
  for (std::int32_t i = 0; i < profiles && i < 256; ++i) out.push_back(static_cast<DWORD>(200 + i));
  return static_cast<std::int32_t>(out.size());
}

std::int32_t TonerSaveValues(DriverContext* context, Values& out) {
  WORD page = 0;
  if (IsFieldOnPage(context, fid::kdmFuncSelectTonerSave, 1006))
    page = 1006;
  else if (IsFieldOnPage(context, fid::kdmFuncSelectTonerSave, 1029))
    page = 1029;
  if (!page) return 0;
  if (IsFieldOnPage(context, fid::kdmTonerSave, page)) return Answer(AppendEnabled(context, fid::kdmTonerSave, out), out);
  out.push_back(ReadFieldRawById(context, fid::kdmTonerSave));
  return 1;
}

std::int32_t WatermarkKinds(DriverContext* context, Values& out) {
  if (AnswerCapabilityNumber(context, 31, nullptr) == 0) return 0;
  out = {1, 2};
  if (IsControlOptionUsable(context, 1003, 2407, 1)) out.push_back(3);
  if (GetApiVersion() >= 3 && IsApiFunction0Enabled(context)) out.push_back(128);
  return static_cast<std::int32_t>(out.size());
}

std::int32_t WatermarkNumbers(DriverContext* context, Values& out) {
  if (AnswerCapabilityNumber(context, 31, nullptr) == 0) return 0;
  if (!PushSettingsSnapshot(context)) return kNoList;  // nothing changed
  const int n = GetStampCount(context);
  out.push_back(256);
  for (int k = 0; k < n && k < 256; ++k) {
    ApplyStamp(context, k);
    out.push_back(ReadFieldRawById(context, fid::kdmWmID) + 1);
  }
  PopSettingsSnapshot(context, 1);
  return static_cast<std::int32_t>(out.size());
}

std::int32_t UserPrintMacros(DriverContext* context, Values& out) {
  out.push_back(160);
  if (!IsFieldOptionOffered(context, fid::kdmUserPrintMacro)) return 1;
  const int count = GetQualityCount(context);
  const int n = count < 0 ? 0 : (count > kMaxQualityEntries ? kMaxQualityEntries : count);
  if (!PushSettingsSnapshot(context)) return kNoList;  // nothing changed
  for (int k = 0; k < n; ++k) {
    ApplyQualityByIndex(context, k);
    out.push_back(ReadFieldRawById(context, fid::kdmUserPrintMacro));
  }
  PopSettingsSnapshot(context, 1);
  return static_cast<std::int32_t>(out.size());
}

// One computation for both answers of a value list.
std::int32_t CollectValueList(DriverContext* context, DWORD id, Values& out) {
  switch (id) {
    case 2: return AppendOffered(context, id, fid::dmDefaultSource, out);
    case 4: return AppendOffered(context, id, fid::kdmMediaType, out);
    case 6: return AppendOffered(context, id, fid::kdmOutputTrayID, out);
    case 10: return PaperCodes(context, out);
    case 15: return AppendOffered(context, id, fid::kdmOutPaperSize, out);
    case 18: return PrintMethods(context, out);
    case 30: return WatermarkKinds(context, out);
    case 32: return WatermarkNumbers(context, out);
    case 39: return AppendOffered(context, id, fid::kdmSortType, out);
    case 40: return AppendOffered(context, id, fid::kdmStapleType, out);
    case 41: return AppendOffered(context, id, fid::kdmPunchType, out);
    case 45: return Emulations(context, out);
    case 47: return Answer(AppendEnabled(context, fid::kdmExtPrintArea, out), out);
    case 54: return ResolutionCodes(context, out);
    case 56: return MarkPaperTypes(context, out);
    case 61: return ColourModes(context, out);
    case 66: return AllowedFinishing(context, 40, fid::kdmStapleType, fid::kdmStapleType, out);
    case 67: return AllowedFinishing(context, 41, fid::kdmPunchType, fid::kdmPunchType, out);
    case 75: return FoldingLevels(context, out);
    case 77: return TwoPlaneKinds(context, out);
    case 85: return PresetNumbers(context, out);
    case 92: return AuthenticationModes(context, out);
    case 93: return LoadShareValues(context, out);
    case 103: return DuplexTypes(context, true, out);
    case 104: return DuplexTypes(context, false, out);
    case 105: return NupTypes(context, out);
    case 106: return NupTypesOfEveryKind(context, out);
    case 107: return ColourValues(context, out);
    case 109: return CornerPositions(context, out);
    case 266: return Answer(AppendEnabled(context, fid::kdmPrintMacro, out), out);
    case 268: return Answer(AppendEnabled(context, fid::kdmBalanceMacro, out), out);
    case 271: return UserPrintMacros(context, out);
    case 275: return TonerSaveValues(context, out);
    case 277: return ColourManagement(context, fid::kdmICMType, out);
    case 278: return ColourManagement(context, fid::kdmICMIntent, out);
    case 281: return ColourMatchingModes(context, out);
    default: return 0;
  }
}

// A name converted into its slot of width bytes, NUL-ended; false when nothing was
// converted (the slot is then empty).
bool ToSlot(const WCHAR* text, char* slot, int width) {
  if (width <= 0) return false;
  const int n = WideCharToMultiByte(CP_ACP, 0, text, -1, slot, width, nullptr, nullptr);
  slot[width - 1] = 0;
  if (n <= 0) {
    slot[0] = 0;
    return false;
  }
  return true;
}

// A text cut to its slot at a character boundary, NUL-ended; never fails.
void CutToSlot(const WCHAR* text, char* slot, int width) { WideToAnsiText(text, slot, width); }

constexpr int kScratchChars = 1025;

std::int32_t OptionCodes(DriverContext* context, WORD* buffer, WORD key) {
  return ListOptionValueCodes(context, key, buffer, 0);
}
std::int32_t OptionNames(DriverContext* context, WCHAR* buffer, int slotChars, WORD key) {
  return ListOptionValueNames(context, buffer, slotChars, key, 0);
}
std::int32_t BinCodes(DriverContext* context, WORD* buffer, WORD) { return ListBins(context, buffer); }
std::int32_t BinNames(DriverContext* context, WCHAR* buffer, int slotChars, WORD) {
  return ListBinNames(context, buffer, slotChars);
}
std::int32_t PaperCodeList(DriverContext* context, WORD* buffer, WORD) { return ListPaperCodes(context, buffer); }
std::int32_t PaperNameList(DriverContext* context, WCHAR* buffer, int slotChars, WORD) {
  return ListPaperNames(context, buffer, slotChars);
}

// The names of a field's enabled values appended (see ListEnabledValueNames).
std::int32_t AppendEnabledNames(DriverContext* context, WORD field, int width, int mode, Slots& out) {
  const std::int32_t n = ListEnabledValueNames(context, nullptr, field, width, mode);
  if (n <= 0) return n;
  const std::size_t at = out.size();
  out.resize(at + static_cast<std::size_t>(n) * width, 0);
  const std::int32_t got = ListEnabledValueNames(context, out.data() + at, field, width, mode);
  if (got < 0) out.resize(at);
  return got;
}

std::int32_t WatermarkNames(DriverContext* context, Slots& out) {
  if (AnswerCapabilityNumber(context, 31, nullptr) == 0) return 0;
  if (!PushSettingsSnapshot(context)) return kNoList;  // nothing changed
  const int n = GetStampCount(context);
  out.assign(64, 0);  // the first slot empty
  for (int k = 0; k < n && k < 256; ++k) {
    ApplyStamp(context, k);
    const DWORD kind = ReadFieldRawById(context, fid::kdmWmKind);
    const WORD field = kind == 1 || kind == 128 ? fid::wdmWmCharName : kind == 2 || kind == 3 ? fid::wdmWmImageName : 0;
    const std::size_t at = out.size();
    out.resize(at + 64, 0);
    WCHAR text[64] = {};
    if (field && GetFieldString(context, FindFieldById(context, field), text, 64)) CutToSlot(text, out.data() + at, 64);
  }
  PopSettingsSnapshot(context, 1);
  return static_cast<std::int32_t>(out.size() / 64);
}

std::int32_t PresetNames(DriverContext* context, Slots& out) {
  const std::int32_t n = QueryCapability(context, 85, nullptr);
  const WCHAR* section = GetPrinterSectionName(context);
  const WCHAR* file = GetUserIniPath(context);
  for (std::int32_t i = 0; i < n && i < kMaxPresets; ++i) {
    WCHAR key[kPresetKeyChars] = {};
    MakePresetKey(key, i, PRESET_KEY_NAME);
    WCHAR name[261] = {};
    ReadIniString(section, key, u"", name, 260, file);
    const std::size_t at = out.size();
    out.resize(at + 64, 0);
    CutToSlot(name, out.data() + at, 64);
  }
  return n < 0 ? n : static_cast<std::int32_t>(out.size() / 64);
}

std::int32_t UserMacroNames(DriverContext* context, Slots& out) {
  Values values;
  if (CollectValueList(context, 271, values) < 1) return kNoList;
  if (!PushSettingsSnapshot(context)) return kNoList;  // nothing changed
  std::int32_t answer = 0;
  for (DWORD v : values) {
    const int entry = v == 160 ? 128 : static_cast<int>(v) - 32;
    if (entry >= 0 && entry <= kMaxQualityEntries) ApplyQualityByIndex(context, entry);
    const std::size_t at = out.size();
    out.resize(at + 64, 0);
    WCHAR text[34] = {};
    GetFieldString(context, FindFieldById(context, fid::wdmUserSetName), text, 34);
    CutToSlot(text, out.data() + at, 64);
  }
  PopSettingsSnapshot(context, 1);
  answer = static_cast<std::int32_t>(out.size() / 64);
  return answer;
}

std::int32_t MatchingModeNames(DriverContext* context, Slots& out) {
  const AdjustModeOff off(context);
  if (AppendEnabledNames(context, fid::kdmColorMatchingMode, 64, 1, out) < 0) {
    out.clear();
    return 0;
  }
  const std::int32_t profiles = GetProfileCountForApi(context);
  for (std::int32_t i = 0; i < profiles && i < 256; ++i) {
    WCHAR name[kScratchChars] = {};  // zeroed first; at most 64 characters taken
    const std::size_t at = out.size();
    out.resize(at + 64, 0);
    if (!GetProfileNameForApi(context, i, name)) continue;
    name[64] = 0;
    if (!ToSlot(name, out.data() + at, 64)) return kNoList;
  }
  return static_cast<std::int32_t>(out.size() / 64);
}

std::int32_t CollectNameList(DriverContext* context, DWORD id, Slots& out) {
  const int width = NameListWidth(id);
  auto offered = [&](WORD field, CodeListOperation codes, NameListOperation names) {
    const std::int32_t n = ListOfferedValues(context, id, nullptr, field);
    if (n <= 0) return n == 0 ? kNoList : n;
    out.assign(static_cast<std::size_t>(n) * width, 0);
    const std::int32_t got = ListOfferedValueNames(context, id, out.data(), field, width, codes, names);
    return got > n ? kNoList : got;
  };
  switch (id) {
    case 3: return offered(fid::dmDefaultSource, BinCodes, BinNames);
    case 5: case 127: return offered(fid::kdmMediaType, OptionCodes, OptionNames);
    case 7: return offered(fid::kdmOutputTrayID, OptionCodes, OptionNames);
    case 16: return offered(fid::kdmOutPaperSize, PaperCodeList, PaperNameList);
    case 11: {
      const std::int32_t n = NarrowNameList(context, id, nullptr, width, fid::dmPaperSize, PaperNameList);
      if (n <= 0) return n;
      out.assign(static_cast<std::size_t>(n) * width, 0);
      const std::int32_t got = NarrowNameList(context, id, out.data(), width, fid::dmPaperSize, PaperNameList);
      return got > n ? kNoList : got;
    }
    case 33: return WatermarkNames(context, out);
    case 86: return PresetNames(context, out);
    case 267: return AppendEnabledNames(context, fid::kdmPrintMacro, width, 0, out);
    case 269: return AppendEnabledNames(context, fid::kdmBalanceMacro, width, 0, out);
    case 272: return UserMacroNames(context, out);
    case 279: {
      const std::int32_t matching = QueryCapability(context, 276, nullptr);
      if (matching == 0 || matching == -1) return 0;
      return AppendEnabledNames(context, fid::kdmICMIntent, width, 1, out) < 0 ? 0 : static_cast<std::int32_t>(out.size() / width);
    }
    case 282: return MatchingModeNames(context, out);
    default: return 0;
  }
}

}  // namespace

namespace {
// 0: no room known.
thread_local DWORD t_listRoom = 0;
bool BeyondRoom(std::int32_t entries) { return t_listRoom != 0 && entries > 0 && static_cast<DWORD>(entries) > t_listRoom; }
}  // namespace

ListRoomScope::ListRoomScope(DWORD entries) : saved_(t_listRoom) { t_listRoom = entries; }
ListRoomScope::~ListRoomScope() { t_listRoom = saved_; }

bool IsEmulationRefused(const DriverContext* context) { return ProductOf(context)->driverType == 1; }

std::int32_t ArrangeOutputTrays(const std::int32_t* values, DWORD count, DWORD* out, DWORD capacity) {
  if (!out || capacity < 1) return 0;
  DWORD nonZero = 0;
  for (DWORD i = 0; values && i < count; ++i)
    if (values[i] != 0) ++nonZero;
  out[0] = 0;
  if (nonZero < 2) return 1;
  DWORD n = 1;
  for (DWORD i = 0; i < count && n < capacity; ++i)
    if (values[i] != 0) out[n++] = static_cast<DWORD>(values[i]);
  return static_cast<std::int32_t>(n);
}

std::int32_t ListOfferedValues(DriverContext* context, DWORD, DWORD* buffer, WORD field, DWORD capacity) {
  if (!context) return kNoList;
  DWORD n = 0;
  const int status = GetCapabilityValues(context, field, 0, nullptr, &n);
  if (status != CAPS_MORE || n == 0) return status == CAPS_OK || status == CAPS_MORE ? 0 : kNoList;
  std::vector<std::int32_t> values(n);
  DWORD got = 0;
  if (GetCapabilityValues(context, field, n, values.data(), &got) != CAPS_OK || got > n) return kNoList;
  values.resize(got);
  Values list;
  if (field == fid::kdmOutputTrayID) {
    list.resize(values.size() + 1);
    list.resize(static_cast<std::size_t>(
        ArrangeOutputTrays(values.data(), static_cast<DWORD>(values.size()), list.data(), static_cast<DWORD>(list.size()))));
  } else {
    for (std::int32_t v : values) list.push_back(static_cast<DWORD>(v));
  }
  if (buffer) {
    if (capacity < list.size()) return kNoList;
    std::memcpy(buffer, list.data(), list.size() * sizeof(DWORD));
  }
  return static_cast<std::int32_t>(list.size());
}

std::int32_t ListEnabledValues(DriverContext* context, DWORD* buffer, WORD field, DWORD capacity) {
  if (!context) return kNoList;
  const ImageRef option = GetOptionForFeature(field, context);
  if (!option || OptionTypeOf(option) != OPTTYPE_PICKONE) return kNoList;
  ImageRef item = OptionValues(option);
  if (!item) return kNoList;
  Values list;
  for (DWORD walked = 0; item && walked < kWalkLimit; item = ItemNext(item), ++walked) {
    const WORD id = ItemValueId(item);
    DWORD stored = 0;
    if (ReadValueSymbol(context, field, id, &stored) != 1) return kNoList;
    if (IsItemDisabled(option, id, context) == 0) list.push_back(stored);
  }
  if (list.empty()) return kNoList;
  if (buffer) {
    if (capacity < list.size()) return kNoList;
    std::memcpy(buffer, list.data(), list.size() * sizeof(DWORD));
  }
  return static_cast<std::int32_t>(list.size());
}

std::int32_t AnswerValueList(DriverContext* context, DWORD id, void* buffer) {
  if (!context) return kNoList;
  Values values;
  const std::int32_t answer = CollectValueList(context, id, values);
  if (answer <= 0) return answer;
  if (buffer && BeyondRoom(static_cast<std::int32_t>(values.size()))) return kNoList;
  if (buffer && !values.empty()) std::memcpy(buffer, values.data(), values.size() * sizeof(DWORD));
  return static_cast<std::int32_t>(values.size());
}

std::int32_t AnswerPaperSizes(DriverContext* context, DWORD, void* buffer) {
  if (!context) return kNoList;
  const int n = ListPaperSizes(context, nullptr);
  if (n <= 0 || !buffer) return n;
  std::vector<std::int32_t> pairs(static_cast<std::size_t>(n) * 2);
  const int got = ListPaperSizes(context, pairs.data());
  if (got < 0 || got > n || BeyondRoom(got)) return kNoList;
  std::memcpy(buffer, pairs.data(), static_cast<std::size_t>(got) * 2 * sizeof(std::int32_t));
  return got;
}

std::int32_t WidenCodeList(DriverContext* context, DWORD, DWORD* buffer, WORD key, CodeListOperation codes) {
  const std::int32_t n = codes(context, nullptr, key);
  if (!buffer || n <= 0) return n;
  std::vector<WORD> words(static_cast<std::size_t>(n));
  const std::int32_t got = codes(context, words.data(), key);
  if (got < 0 || got > n) return kNoList;
  for (std::int32_t i = 0; i < got; ++i) buffer[i] = words[static_cast<std::size_t>(i)];
  return got;
}

std::int32_t NarrowNameList(DriverContext* context, DWORD, char* buffer, int width, WORD key,
                            NameListOperation names) {
  const std::int32_t n = names(context, nullptr, width, key);
  if (!buffer || n <= 0) return n;
  std::vector<WCHAR> wide(static_cast<std::size_t>(n) * width + 1, 0);
  const std::int32_t got = names(context, wide.data(), width, key);
  if (got < 0 || got > n) return kNoList;
  for (std::int32_t i = 0; i < got; ++i) {
    WCHAR* name = wide.data() + static_cast<std::size_t>(i) * width;
    name[width - 1] = 0;
    if (!ToSlot(name, buffer + static_cast<std::size_t>(i) * width, width)) return kNoList;
  }
  return got;
}

std::int32_t ListOfferedValueNames(DriverContext* context, DWORD id, char* buffer, WORD field, int width,
                                   CodeListOperation codes, NameListOperation names) {
  const std::int32_t n = ListOfferedValues(context, id, nullptr, field);
  if (n <= 0) return kNoList;
  if (!buffer) return n;
  Values offered(static_cast<std::size_t>(n));
  const std::int32_t taken = ListOfferedValues(context, id, offered.data(), field, static_cast<DWORD>(n));
  if (taken < 1 || taken > n) return kNoList;
  const std::int32_t codeCount = WidenCodeList(context, id, nullptr, field, codes);
  const std::int32_t nameCount = NarrowNameList(context, id, nullptr, width, field, names);
  if (codeCount < 0 || nameCount < 0 || codeCount != nameCount) return kNoList;
  Values codeList(static_cast<std::size_t>(codeCount) + 1);
  Slots nameList(static_cast<std::size_t>(nameCount) * width + 1, 0);
  if (codeCount > 0 && (WidenCodeList(context, id, codeList.data(), field, codes) != codeCount ||
                        NarrowNameList(context, id, nameList.data(), width, field, names) != nameCount))
    return kNoList;
  std::int32_t answer = taken;
  for (std::int32_t i = 0; i < taken; ++i) {
    char* slot = buffer + static_cast<std::size_t>(i) * width;
    std::int32_t match = -1;
    for (std::int32_t c = 0; c < codeCount && match < 0; ++c)
      if (codeList[static_cast<std::size_t>(c)] == offered[static_cast<std::size_t>(i)]) match = c;
    if (match >= 0) {
      std::memcpy(slot, nameList.data() + static_cast<std::size_t>(match) * width, static_cast<std::size_t>(width));
      slot[width - 1] = 0;
      continue;
    }
    WCHAR scratch[kScratchChars] = {};
    LoadUiString(context, 204, scratch, kScratchChars, 0);
    if (!ToSlot(scratch, slot, width)) answer = kNoList;  // the later slots are still written
  }
  return answer;
}

std::int32_t ListEnabledValueNames(DriverContext* context, char* buffer, WORD field, int width, int mode) {
  const std::int32_t n = ListEnabledValues(context, nullptr, field);
  if (n <= 0) return kNoList;
  if (!buffer) return n;
  if (mode != 0 && mode != 1) return kNoList;
  Values values(static_cast<std::size_t>(n));
  const std::int32_t got = ListEnabledValues(context, values.data(), field, static_cast<DWORD>(n));
  if (got < 1 || got > n) return kNoList;
  const SettingField* descriptor = FindFieldById(context, field);
  const ValueMapEntry* map = descriptor ? GetActiveValueMap(context, descriptor) : nullptr;
  std::int32_t answer = got;
  for (std::int32_t i = 0; i < got; ++i) {
    char* slot = buffer + static_cast<std::size_t>(i) * width;
    WORD word = 0;
    for (DWORD m = 0; map && m < kWalkLimit && map[m].valueId != 0; ++m)
      if (map[m].stored == values[static_cast<std::size_t>(i)]) {
        word = static_cast<WORD>(map[m].valueId);
        break;
      }
    const WORD stringId = mode == 0 ? FindControlLabel(word) : word;
    if (!stringId) continue;  // the slot stays as it is
    WCHAR scratch[kScratchChars] = {};
    LoadUiString(context, stringId, scratch, kScratchChars, 0);
    if (!ToSlot(scratch, slot, width)) return kNoList;
  }
  return answer;
}

std::int32_t AnswerNameList(DriverContext* context, DWORD id, void* buffer) {
  const int width = NameListWidth(id);
  if (!context || width == 0) return kNoList;
  Slots names;
  const std::int32_t answer = CollectNameList(context, id, names);
  if (answer <= 0) return answer;
  const std::size_t bytes = static_cast<std::size_t>(answer) * width;
  if (names.size() < bytes) return kNoList;
  if (buffer && BeyondRoom(answer)) return kNoList;
  if (buffer) std::memcpy(buffer, names.data(), bytes);
  return answer;
}
