#include "context/common_settings_block.h"

#include <cstring>

#include "model/derived_fields.h"
#include "context/devmode_defaults.h"
#include "fields/devmode_header.h"
#include "base/driver_context.h"
#include "fields/field_access.h"
#include "model/field_checks.h"
#include "fields/field_table.h"
#include "base/memory.h"
#include "context/bidi_requests.h"
#include "fields/product_record.h"
#include "fields/value_maps.h"
#include "field_ids.h"
#include "model/capability_lists.h"
#include "model/model_tables.h"
#include "model/option_lookup.h"
#include "model/printer_option_table.h"
#include "model/rule_apply.h"
#include "model/rule_eval.h"
#include "stored/device_settings.h"

namespace {

constexpr WORD kFieldList[] = {
    fid::KPD_kdmJobfold,        fid::kdmDstResolutionW, fid::kdmOutPaperSize,  fid::kdmOutputTrayID, fid::kdmFuncSelectScale,
    fid::kdmFuncSelectNup, fid::kdmFuncSelectDuplex, fid::kdmFuncSelectSort, fid::kdmFuncSelectPunch, fid::kdmFuncSelectStaple,
    fid::kdmScaleType,     fid::kdmScaleH,          fid::kdmNUPPOSTKind,   fid::kdmNUPType,       fid::kdmDuplexType,
    fid::kdmSortType,      fid::kdmPunchType,       fid::kdmStapleType,     fid::kdmExtPrintArea, 0xFFFF,
};

constexpr DWORD kUnknown = 0xFFFFFFFFu;   // -1: a coded value outside the table
constexpr WORD kFixedScales[] = {67, 70, 75, 80, 88, 100, 115};   // 0x4001-0x4007

// A value table {code, value}, the default for codes not listed.
struct Code {
  BYTE code;
  DWORD value;
};
DWORD Lookup(const Code* table, int n, BYTE code) {
  for (int i = 0; i < n; ++i) {
    if (table[i].code == code) return table[i].value;
  }
  return kUnknown;
}
template <int N>
DWORD Lookup(const Code (&table)[N], BYTE code) {
  return Lookup(table, N, code);
}

constexpr Code kDuplexTypes[] = {{2, 1}, {3, 2}, {4, 3}};
constexpr Code kSortTypes[] = {{2, 1}, {3, 4}, {4, 6}};
constexpr Code kPunchTypes[] = {{2, 1}, {3, 2}, {4, 3}};
constexpr Code kStapleTypes[] = {{2, 34}, {3, 33}, {4, 50}, {5, 49}, {6, 50},  {7, 49},
                                 {8, 65}, {9, 67}, {10, 66}, {11, 50}, {12, 49}};
constexpr Code kResolutions[] = {{1, 400}, {2, 600}, {3, 1200}};
constexpr Code kPrintAreas[] = {{1, 0}, {2, 1}};
constexpr Code kOutputPapers[] = {{1, 8},  {2, 9},  {3, 11},   {4, 70},   {5, 12},  {6, 13},  {7, 88},
                                  {8, 1},  {9, 5},  {10, 43},  {11, 6},   {12, 3},  {13, 267}, {14, 268},
                                  {15, 66}, {18, 269}};

// A switch byte: 1 off; a listed code on with its type; any other on with -1.
DWORD DecodeSwitch(DriverContext* context, BYTE code, WORD switchId, WORD typeId, const Code* types, int n) {
  if (code == 0) return 0;
  if (code == 1) return WriteCommonSetting(context, switchId, 0);
  DWORD mask = WriteCommonSetting(context, switchId, 1);
  return mask | WriteCommonSetting(context, typeId, Lookup(types, n, code));
}

DWORD DecodeOutputTray(DriverContext* context, BYTE code) {
  if (code == 0) return 0;
  DWORD tray = kUnknown;
  if (code == 1) tray = 0;
  else if (code == 2) tray = 2;
  else if (code == 3) tray = 13;
  else if (code == 4) tray = 4;
  else if (code >= 5 && code <= 13) tray = code + 10u;
  else if (code == 14) tray = FindFirstSetItem(context)->secondCode;
  else if (code == 15) tray = FindFirstSetItem(context)->firstCode;
  else if (code == 16) tray = 14;
  else if (code == 17) tray = 1;
  return WriteCommonSetting(context, fid::kdmOutputTrayID, tray);
}

DWORD DecodeScale(DriverContext* context, WORD scale) {
  if (scale == 0) return 0;
  const DWORD percent = scale >= 0x4001 && scale <= 0x4007 ? kFixedScales[scale - 0x4001] : scale;
  DWORD mask = WriteCommonSetting(context, fid::kdmFuncSelectScale, 1);
  mask |= WriteCommonSetting(context, fid::kdmScaleType, 1);
  return mask | WriteCommonSetting(context, fid::kdmScaleH, percent);
}

DWORD DecodeNup(DriverContext* context, BYTE code) {
  if (code == 0) return 0;
  if (code == 1) return WriteCommonSetting(context, fid::kdmFuncSelectNup, 0);
  DWORD kind = kUnknown;
  DWORD type = kUnknown;
  switch (code) {
    case 2: kind = 1; type = ReadFieldRawById(context, fid::dmOrientation) == 1 ? 1 : 3; break;
    case 3: kind = 1; type = 2; break;
    case 4: kind = 2; type = 33; break;
    case 5: kind = 2; type = 34; break;
    case 6: kind = 2; type = 37; break;
    case 7: kind = 2; type = 38; break;
    default: break;
  }
  DWORD mask = WriteCommonSetting(context, fid::kdmFuncSelectNup, 1);
  mask |= WriteCommonSetting(context, fid::kdmNUPPOSTKind, kind);
  return mask | WriteCommonSetting(context, fid::kdmNUPType, type);
}

DWORD DecodeValue(DriverContext* context, BYTE code, WORD id, const Code* table, int n) {
  return code == 0 ? 0 : WriteCommonSetting(context, id, Lookup(table, n, code));
}

// The offered values of a capability list, or an empty list; false when the buffer could
// not be allocated.
struct ValueList {
  std::int32_t* values = nullptr;
  DWORD count = 0;
  ~ValueList() { FreeMem(values); }
  bool Has(std::int32_t v) const {
    for (DWORD i = 0; i < count; ++i) {
      if (values[i] == v) return true;
    }
    return false;
  }
};
bool FetchCapabilityValues(DriverContext* context, WORD id, ValueList* list) {
  DWORD count = 0;
  if (GetCapabilityValues(context, id, 0, nullptr, &count) != CAPS_MORE || count == 0) return true;
  if (count > 0x10000) return true;   // more than any option can hold: nothing usable
  list->values = static_cast<std::int32_t*>(AllocMem(count * sizeof(std::int32_t)));
  if (!list->values) return false;
  DWORD got = count;
  if (GetCapabilityValues(context, id, count, list->values, &got) != CAPS_OK) got = 0;
  list->count = got < count ? got : count;
  return true;
}

BYTE Bits(const ValueList& list, const std::int32_t* values, int n) {
  BYTE b = 0;
  for (int i = 0; i < n; ++i) {
    if (list.Has(values[i])) b = static_cast<BYTE>(b | (1u << i));
  }
  return b;
}

}  // namespace

const WORD* GetCommonSettingsFieldList() { return kFieldList; }

DWORD WriteCommonSetting(DriverContext* context, WORD id, DWORD value) {
  for (int i = 0; kFieldList[i] != 0xFFFF; ++i) {
    if (kFieldList[i] != id) continue;
    WriteFieldRawById(context, id, value);
    return 1u << i;
  }
  return 0;
}

void ApplyCommonSettingTransacts(DriverContext* context, DWORD mask) {
  for (int i = 0; kFieldList[i] != 0xFFFF; ++i) {
    if (!(mask & (1u << i))) continue;
    if (ImageRef option = GetOptionForFeature(kFieldList[i], context)) ApplyOptionTransacts(option, context);
  }
}

int ApplyCommonSettings(DriverContext* context, BYTE* in) {
  if (!context || !context->settings || !context->work || !in) return 1;
  CommonSettingsBlock request;
  std::memcpy(&request, in + kDmKcomMemberPos, sizeof request);
  if (request.valid != COMMON_REQUEST_VALID) return 1;
  context->work->mergeFlags |= MERGE_COMMON_APPLIED;
  const DWORD total = GetTotalDevmodeSize();
  BYTE* own = context->settings;

  switch (request.kind) {
    case COMMON_KIND_RESET:
      SetDevmodeDefaults(context);
      std::memcpy(in, own, total);
      return 1;
    case COMMON_KIND_REFRESH:
      if (!QueryPrinterBidiSilent(context)) return 0;
      std::memcpy(in, own, total);
      return 1;
    case COMMON_KIND_RESET_RELOAD_REFRESH:
      SetDevmodeDefaults(context);
      LoadDeviceSettingsByKind(context->hPrinter, context, 2);
      std::memcpy(in, own, total);
      if (!QueryPrinterBidiSilent(context)) return 0;
      std::memcpy(in, own, total);
      return 1;
    default:
      break;
  }

  BYTE* kept = static_cast<BYTE*>(AllocMem(total));
  if (!kept) return 0;
  std::memcpy(kept, own, total);
  std::memcpy(own, in, total);

  DWORD mask = WriteCommonSetting(context, fid::KPD_kdmJobfold, 0);
  mask |= DecodeSwitch(context, request.duplex, fid::kdmFuncSelectDuplex, fid::kdmDuplexType, kDuplexTypes, 3);
  if (request.sort != 0) {
    mask |= DecodeSwitch(context, request.sort, fid::kdmFuncSelectSort, fid::kdmSortType, kSortTypes, 3);
    WriteFieldRawById(context, fid::dmCollate, ReadFieldRawById(context, fid::kdmFuncSelectSort) != 0 ? 1 : 0);
  }
  mask |= DecodeSwitch(context, request.punch, fid::kdmFuncSelectPunch, fid::kdmPunchType, kPunchTypes, 3);
  mask |= DecodeSwitch(context, request.staple, fid::kdmFuncSelectStaple, fid::kdmStapleType, kStapleTypes,
                       static_cast<int>(sizeof kStapleTypes / sizeof kStapleTypes[0]));
  mask |= DecodeOutputTray(context, request.outputTray);
  mask |= DecodeValue(context, request.resolution, fid::kdmDstResolutionW, kResolutions, 3);
  mask |= DecodeValue(context, request.printArea, fid::kdmExtPrintArea, kPrintAreas, 2);
  mask |= DecodeScale(context, request.scale);
  mask |= DecodeNup(context, request.nup);
  mask |= DecodeValue(context, request.outputPaper, fid::kdmOutPaperSize, kOutputPapers,
                      static_cast<int>(sizeof kOutputPapers / sizeof kOutputPapers[0]));

  ApplyCommonSettingTransacts(context, mask);
  SyncResolutionFromPrivate(own, context);
  DerivePublicDuplex(own, context);

  std::memcpy(in, own, total);
  std::memcpy(own, kept, total);
  FreeMem(kept);
  return 1;
}

int ListOfferedTrayCodes(DriverContext* context, WORD* buffer) {
  const ImageRef option = GetOptionForFeature(fid::kdmOutputTrayID, context);
  SettingField* field = FindFieldById(context, fid::kdmOutputTrayID);
  if (!option || !field || OptionTypeOf(option) != OPTTYPE_PICKONE) return -1;
  const ValueMapEntry* map = GetActiveValueMap(context, field);
  int listed = 0;
  int items = 0;
  for (ImageRef item = OptionValues(option); item && items < 4096; item = ItemNext(item), ++items) {
    const WORD valueId = ItemValueId(item);
    if (IsItemDisabled(option, valueId, context)) continue;
    const ValueMapEntry* e = map;
    while (e && e->valueId != 0 && e->valueId != valueId) ++e;
    if (!e || e->valueId == 0) return -1;
    if (buffer) buffer[listed] = static_cast<WORD>(e->stored);
    ++listed;
  }
  return listed > 0 ? listed : -1;
}

int FillCommonCapabilities(DriverContext* context) {
  if (!context || !context->settings) return 0;
  BYTE caps[kCommonBlockSize] = {};
  const BYTE empty[kCommonBlockSize] = {};

  caps[1] = HasDuplexUnit(context) ? 7 : 0;

  {
    ValueList sort;
    if (!FetchCapabilityValues(context, fid::kdmSortType, &sort)) return 0;
    const std::int32_t values[] = {1, 4, 6};
    caps[2] = Bits(sort, values, 3);
    caps[3] = 3;
  }
  {
    ValueList punch;
    if (!FetchCapabilityValues(context, fid::kdmPunchType, &punch)) return 0;
    const std::int32_t values[] = {1, 2, 3};
    caps[4] = Bits(punch, values, 3);
  }
  {
    ValueList staple;
    if (!FetchCapabilityValues(context, fid::kdmStapleType, &staple)) return 0;
    const std::int32_t first[] = {34, 33, 18, 17, 2, 1, 65, 67};
    const std::int32_t second[] = {66, 50, 49};
    caps[5] = Bits(staple, first, 8);
    caps[6] = Bits(staple, second, 3);
  }

  caps[7] = 0x02;
  const int trays = ListOfferedTrayCodes(context, nullptr);
  if (trays > 0) {
    WORD* codes = static_cast<WORD*>(AllocMem(static_cast<DWORD>(trays) * sizeof(WORD)));
    if (!codes) return 0;
    const int got = ListOfferedTrayCodes(context, codes);
    for (int i = 0; i < got && i < trays; ++i) {
      const WORD c = codes[i];
      if (c == 0) caps[7] |= 0x01;
      else if (c == 2) caps[7] |= 0x02;
      else if (c == 13) caps[7] |= 0x04;
      else if (c == 4) caps[7] |= 0x08;
      else if (c >= 15 && c <= 18) caps[7] = static_cast<BYTE>(caps[7] | (1u << (4 + c - 15)));
      else if (c >= 19 && c <= 23) caps[8] = static_cast<BYTE>(caps[8] | (1u << (c - 19)));
      else if (c == 14) caps[8] |= 0x80;
      else if (IsValueInPairList(c, ' ')) caps[8] |= 0x20;
      else if (IsValueInPairList(c, 'f')) caps[8] |= 0x40;
    }
    FreeMem(codes);
  }

  const int resolutions = ListResolutions(context, nullptr);
  if (resolutions > 0) {
    auto* pairs = static_cast<std::int32_t*>(AllocMem(static_cast<DWORD>(resolutions) * 8));
    if (!pairs) return 0;
    const int got = ListResolutions(context, pairs);
    for (int i = 0; i < got && i < resolutions; ++i) {
      if (pairs[2 * i] != pairs[2 * i + 1]) continue;
      if (pairs[2 * i] == 400) caps[10] |= 0x01;
      else if (pairs[2 * i] == 600) caps[10] |= 0x02;
      else if (pairs[2 * i] == 1200) caps[10] |= 0x04;
    }
    FreeMem(pairs);
  }

  caps[11] = 1;
  caps[12] = 63;
  {
    ValueList papers;
    if (!FetchCapabilityValues(context, fid::kdmOutPaperSize, &papers)) return 0;
    const std::int32_t first[] = {8, 9, 11, 70, 12, 13, 88, 1};
    const std::int32_t second[] = {5, 43, 6, 3, 267, 268, 66};
    caps[13] = Bits(papers, first, 8);
    caps[14] = Bits(papers, second, 7);
    caps[15] = papers.Has(269) ? 0x02 : 0;
  }
  caps[16] = 0;
  caps[17] = 1;

  if (SettingField* f = FindFieldById(context, fid::kdmKcomCaps)) WriteFieldBlock(context, f, caps);
  if (SettingField* f = FindFieldById(context, fid::kdmKcomMember)) WriteFieldBlock(context, f, empty);
  return 1;
}
