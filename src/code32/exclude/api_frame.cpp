#include "api_frame.h"

#include <cstring>
#include <mutex>

#include "api_printer.h"
#include "api_tables.h"
#include "capability_engine.h"
#include "context/devmode_defaults.h"
#include "base/driver_context.h"
#include "model/driver_locks.h"
#include "fields/field_access.h"
#include "base/memory.h"
#include "model/module_dispatch.h"
#include "stored/module_services.h"
#include "base/paths_and_names.h"
#include "fields/product_record.h"
#include "stored/snapshot_ring.h"
#include "base/spooler_info.h"
#include "base/system_checks.h"
#include "base/ui_strings.h"
#include "field_ids.h"
#include "model/option_lookup.h"
#include "module_start.h"
#include "context/chapter_list.h"
#include "option_services.h"
#include "settings_snapshots.h"
#include "status_engine.h"
#include "stored/stamp_list.h"
#include "win/compstui.h"
#include "win/lowmem.h"
#include "win/profile.h"
#include "win/spool.h"

namespace {

ApiGlobals g_api{{}, {}, kApiVersionInitial, kApiVersionMax};

// Maximum ids per version, row 0 for versions below 1: {low, high}.
constexpr DWORD kStatusMax[17][2] = {{0, 0},     {35, 35},   {35, 35},   {35, 35},   {36, 36},   {36, 36},
                                     {45, 264},  {46, 264},  {47, 264},  {47, 264},  {54, 269},  {56, 269},
                                     {60, 269},  {67, 269},  {72, 269},  {78, 269},  {126, 269}};
constexpr DWORD kCapabilityMax[17][2] = {{0, 0},     {55, 55},   {56, 56},   {56, 56},   {57, 57},   {57, 57},
                                         {69, 275},  {70, 275},  {71, 275},  {71, 275},  {83, 282},  {86, 282},
                                         {92, 282},  {100, 282}, {117, 282}, {123, 282}, {127, 282}};

int VersionRow(std::int32_t version) {
  if (version < 1) return 0;
  return version > kApiVersionMax ? kApiVersionMax : version;
}

bool SetBit(BYTE* bitmap, DWORD bytes, DWORD id) {
  if (id < 1 || (id - 1) / 8 >= bytes) return false;
  bitmap[(id - 1) / 8] |= static_cast<BYTE>(0x80u >> ((id - 1) % 8));
  return true;
}

bool TestBit(const BYTE* bitmap, DWORD bytes, DWORD id) {
  if (id < 1 || (id - 1) / 8 >= bytes) return false;
  return (bitmap[(id - 1) / 8] & (0x80u >> ((id - 1) % 8))) != 0;
}

constexpr WCHAR kApiSection[] = u"KOVAAPI";

// A record handed out and the blocks it owns. The blocks are kept here and never read back
// from the record, which is the caller's memory until it comes back: whatever a caller
// writes into a record, giving it back frees only what the API made for it.
constexpr DWORD kMaxRecordParts = kCapabilityRecordSize / 4;  // one per 32-bit slot at most
struct HandedOutRecord {
  HandedOutRecord* next;
  BYTE* record;
  DWORD partCount;
  void* parts[kMaxRecordParts];
};
HandedOutRecord* g_records = nullptr;

std::mutex& RecordsLock() {
  static std::mutex lock;
  return lock;
}

HandedOutRecord* FindHandedOut(const void* record) {
  for (HandedOutRecord* node = g_records; node; node = node->next)
    if (node->record == record) return node;
  return nullptr;
}

// The node of the record taken out of the set, or null when the record is none of it.
HandedOutRecord* TakeHandedOut(const void* record) {
  std::lock_guard<std::mutex> guard(RecordsLock());
  for (HandedOutRecord** link = &g_records; *link; link = &(*link)->next) {
    HandedOutRecord* node = *link;
    if (node->record != record) continue;
    *link = node->next;
    return node;
  }
  return nullptr;
}

void FreeHandedOut(HandedOutRecord* node) {
  for (DWORD i = 0; i < node->partCount; ++i) LowMemoryFree(node->parts[i]);
  LowMemoryFree(node->record);
  FreeMem(node);
}

void FreeApiState(DriverContext* context) {
  ApiState* state = ApiStateOf(context);
  if (!state) return;
  FreeMem(state->itemStates);
  FreeMem(state->qualitySave);
  FreeMem(state);
  context->work->apiState = nullptr;
}

// The per-handle state at the maximum version: the item-state buffer and the quality save
// area with a copy of the settings. 1/0; the current version is put back in every case.
int MakeApiState(DriverContext* context) {
  auto* state = static_cast<ApiState*>(AllocMem(sizeof(ApiState)));
  if (!state) return 0;
  context->work->apiState = state;
  const std::int32_t remembered = g_api.currentVersion;
  g_api.currentVersion = g_api.maximumVersion;
  const DWORD slots = GetStatusMaxId(1);
  const DWORD saveSize = GetSettingsBufferSize();
  state->itemStates = slots ? static_cast<BYTE*>(AllocMem(slots * kItemStateSlotBytes)) : nullptr;
  state->itemStateSlots = state->itemStates ? slots : 0;
  state->qualitySave = static_cast<BYTE*>(AllocMem(saveSize));
  state->qualitySaveSize = state->qualitySave ? saveSize : 0;
  if (state->qualitySave && context->settings) std::memcpy(state->qualitySave, context->settings, saveSize);
  state->lastError = API_OK;
  g_api.currentVersion = remembered;
  return (state->itemStates || slots == 0) && state->qualitySave ? 1 : 0;
}

// Quality entry 128 is the API's own: its file name is entry 0's with a 'y' just before the
// extension, and its name is the API's display string.
void ReserveQualityEntry(DriverContext* context) {
  const WCHAR* ini = GetUserIniPath(context);
  const WCHAR* section = GetPrinterSectionName(context);
  WCHAR value[262] = {};
  GetPrivateProfileStringW(section, u"QualityList0", u"", value, 260, ini);
  int dot = -1;
  int length = 0;
  for (; value[length]; ++length)
    if (value[length] == u'.') dot = length;
  if (dot < 0) return;
  if (dot == 0) {
    // No character stands before the dot: the 'y' goes in front, so that entry 128 never
    // shares entry 0's file.
    if (length + 1 > 260) return;
    for (int i = length; i >= 0; --i) value[i + 1] = value[i];
    value[0] = u'y';
  } else {
    value[dot - 1] = u'y';
  }
  WritePrivateProfileStringW(section, u"QualityList128", value, ini);
  WCHAR name[261] = {};
  LoadUiString(context, 922, name, 260, 1);
  WritePrivateProfileStringW(section, u"QualityList128Name", name, ini);
}

// Watermark entry 256 is the API's own: made from entry 0 without text when it has none.
void ReserveWatermarkEntry(DriverContext* context) {
  if (HasWatermarkText(context)) return;
  PushSettingsSnapshot(context);
  ApplyStamp(context, 0);
  WriteFieldRawById(context, fid::wdmWmCharName, 0);
  SaveStamp(context, 256);
  PopSettingsSnapshot(context, 1);
}

void StoreCallerPrinterName(DriverContext* context, HANDLE printer, const char* printerName) {
  WorkArea* work = context->work;
  WCHAR* slot = work->printerName;
  if (IsNt6OrLater()) {
    auto* info = static_cast<PRINTER_INFO_2W*>(GetPrinterInfo(printer, 2));
    if (info && info->pServerName && info->pServerName[0]) slot = work->rawPrinterName;
    FreeMem(info);
  }
  AnsiToWide(printerName, slot, 261);
}

// The spooler's device-mode of the printer, so that the printer's interface library brings
// the stored device-mode up to date before the context reads it. 0 when it cannot be had.
int RefreshSpoolerDevmode(HANDLE printer, WCHAR* name) {
  const LONG size = DocumentPropertiesW(nullptr, printer, name, nullptr, nullptr, 0);
  if (size <= 0) return 0;
  void* buffer = AllocMem(static_cast<DWORD>(size));
  if (!buffer) return 0;
  DocumentPropertiesW(nullptr, printer, name, static_cast<DEVMODEW*>(buffer), nullptr, DM_OUT_BUFFER);
  FreeMem(buffer);
  return 1;
}

}  // namespace

ApiGlobals& GetApiGlobals() { return g_api; }

void ResetApiGlobals() {
  g_api = ApiGlobals{{}, {}, kApiVersionInitial, kApiVersionMax};
  FreeAllCapabilityRecords();
}

BYTE* NewCapabilityRecord() {
  auto* node = static_cast<HandedOutRecord*>(AllocMem(sizeof(HandedOutRecord)));
  if (!node) return nullptr;
  node->record = static_cast<BYTE*>(LowMemoryAlloc(kCapabilityRecordSize));
  if (!node->record) {
    FreeMem(node);
    return nullptr;
  }
  std::lock_guard<std::mutex> guard(RecordsLock());
  node->next = g_records;
  g_records = node;
  return node->record;
}

void* NewCapabilityRecordPart(const void* record, DWORD bytes) {
  if (!record || bytes == 0) return nullptr;
  std::lock_guard<std::mutex> guard(RecordsLock());
  HandedOutRecord* node = FindHandedOut(record);
  if (!node || node->partCount >= kMaxRecordParts) return nullptr;
  void* part = LowMemoryAlloc(bytes);
  if (part) node->parts[node->partCount++] = part;
  return part;
}

int IsCapabilityRecord(const void* address) {
  if (!address) return 0;
  std::lock_guard<std::mutex> guard(RecordsLock());
  return FindHandedOut(address) ? 1 : 0;
}

std::int32_t FreeCapabilityRecord(DriverContext*, void* record) {
  if (!record) return 1;
  if (HandedOutRecord* node = TakeHandedOut(record)) FreeHandedOut(node);
  return 1;
}

void FreeAllCapabilityRecords() {
  HandedOutRecord* all = nullptr;
  {
    std::lock_guard<std::mutex> guard(RecordsLock());
    all = g_records;
    g_records = nullptr;
  }
  while (all) {
    HandedOutRecord* next = all->next;
    FreeHandedOut(all);
    all = next;
  }
}

ApiState* ApiStateOf(DriverContext* context) {
  return context && context->work ? context->work->apiState : nullptr;
}

BYTE* ItemStateSlot(ApiState* state, DWORD index) {
  if (!state || !state->itemStates || index >= state->itemStateSlots) return nullptr;
  return state->itemStates + static_cast<std::size_t>(index) * kItemStateSlotBytes;
}

DWORD StatusMaxIdAt(std::int32_t version, int which) { return kStatusMax[VersionRow(version)][which ? 1 : 0]; }
DWORD CapabilityMaxIdAt(std::int32_t version, int which) {
  return kCapabilityMax[VersionRow(version)][which ? 1 : 0];
}
DWORD GetStatusMaxId(int which) { return StatusMaxIdAt(g_api.currentVersion, which); }
DWORD GetCapabilityMaxId(int which) {
  if (which != 0 && which != 1) return 1;
  return CapabilityMaxIdAt(g_api.currentVersion, which);
}
std::int32_t GetApiVersion() { return g_api.currentVersion; }

const StatusItem* FindStatusItemAt(std::int32_t version, DWORD id) {
  if (id == 0) return nullptr;
  if (id <= StatusMaxIdAt(version, 0)) return StatusRowById(id);
  if (id >= 257 && id <= StatusMaxIdAt(version, 1)) return StatusRowById(id);
  return nullptr;
}

const CapabilityItem* FindCapabilityItemAt(std::int32_t version, DWORD id) {
  if (id == 0) return nullptr;
  if (id <= CapabilityMaxIdAt(version, 0)) return CapabilityRowById(id);
  if (id >= 257 && id <= CapabilityMaxIdAt(version, 1)) return CapabilityRowById(id);
  return FindSpecialCapability(id);
}

const StatusItem* FindStatusItem(DWORD id) { return FindStatusItemAt(g_api.currentVersion, id); }
const CapabilityItem* FindCapabilityItem(DWORD id) { return FindCapabilityItemAt(g_api.currentVersion, id); }

bool IsInStatusSet(DWORD id) {
  return (id >= 1 && id <= 36) || (id >= 38 && id <= 43) || (id >= 45 && id <= 79) || (id >= 257 && id <= 262) ||
         (id >= 264 && id <= 269);
}

bool IsInCapabilitySet(DWORD id) {
  return (id >= 1 && id <= 57) || (id >= 60 && id <= 67) || (id >= 69 && id <= 127) || (id >= 257 && id <= 272) ||
         (id >= 274 && id <= 282);
}

void BuildAvailabilityBitmaps(std::int32_t version) {
  std::memset(g_api.capabilityAvailability, 0, sizeof g_api.capabilityAvailability);
  std::memset(g_api.statusAvailability, 0, sizeof g_api.statusAvailability);
  for (DWORD id = 1; id <= 282; ++id) {
    const CapabilityItem* row = FindCapabilityItemAt(version, id);
    if (row && row->enabled && IsInCapabilitySet(id))
      SetBit(g_api.capabilityAvailability, sizeof g_api.capabilityAvailability, id);
  }
  for (DWORD id = 1; id <= 269; ++id) {
    const StatusItem* row = FindStatusItemAt(version, id);
    if (row && row->enabled && IsInStatusSet(id))
      SetBit(g_api.statusAvailability, sizeof g_api.statusAvailability, id);
  }
}

int IsItemAvailable(int kind, DWORD id) {
  if (kind == 0 && FindSpecialCapability(id)) return 1;
  if (id < 1 || id > 512) return 0;
  const BYTE* bitmap = kind == 1 ? g_api.statusAvailability : g_api.capabilityAvailability;
  return TestBit(bitmap, 64, id) ? 1 : 0;
}

int SetApiError(DriverContext* handle, std::int32_t code) {
  ApiState* state = ApiStateOf(handle);
  if (!handle || g_api.currentVersion <= 8 || !state) return 0;
  state->lastError = code;
  return 1;
}

std::int32_t BuildStatusAvailabilityList(BYTE* buffer) {
  const std::int32_t version = g_api.currentVersion;
  const DWORD size = version < 6 ? 32 : 64;
  if (!buffer) return static_cast<std::int32_t>(size);
  std::memset(buffer, 0, size);
  const DWORD low = StatusMaxIdAt(version, 0);
  const DWORD high = StatusMaxIdAt(version, 1);
  for (DWORD id = 1; id <= low; ++id)
    if (IsItemAvailable(1, id)) SetBit(buffer, size, id);
  for (DWORD id = 257; id <= high; ++id)
    if (IsItemAvailable(1, id)) SetBit(buffer, size, id);
  return static_cast<std::int32_t>(size);
}

std::int32_t QueryCapability(DriverContext* handle, DWORD id, void* buffer) {
  if (!handle) return -1;
  if (id == 0) return BuildStatusAvailabilityList(static_cast<BYTE*>(buffer));
  if (id == 0x80000001u) return BuildCapabilityRecord(handle);
  if (id == 0x80000002u) return FreeCapabilityRecord(handle, buffer);
  if (!IsItemAvailable(0, id)) return 0;
  return DispatchCapability(handle, id, buffer);
}

void ResetShiftFieldsUnlessRanged(DriverContext* context) {
  BYTE range[64] = {};
  if (QueryCapability(context, 34, range) == 1) return;
  SetFieldValueById(context, fid::kdmShiftDir, GetOptionDefaultValue(fid::kdmShiftDir, context));
  SetFieldValueById(context, fid::kdmShiftMarginX, GetOptionDefaultValue(fid::kdmShiftMarginX, context));
}

std::int32_t DoCheckApiVersion(const char* printerName) {
  if (!printerName || !printerName[0]) return 0;
  std::int32_t version = ReadApiIniInt(printerName, kApiSection, u"KOVAAPIVer");
  if (version == -1) version = kApiVersionInitial;
  if (version > kApiVersionMax) version = kApiVersionMax;
  g_api.maximumVersion = version;
  if (version <= kApiVersionInitial) g_api.currentVersion = version;
  return version;
}

DriverContext* DoEnable(const char* printerName) {
  if (!printerName || !printerName[0]) return nullptr;
  DoCheckApiVersion(printerName);
  const std::int32_t remembered = g_api.currentVersion;
  g_api.currentVersion = g_api.maximumVersion;
  BuildAvailabilityBitmaps(g_api.maximumVersion);
  g_api.currentVersion = remembered;

  WCHAR name[262] = {};
  AnsiToWide(printerName, name, 262);
  HANDLE printer = nullptr;
  if (!OpenPrinterW(name, &printer, nullptr) || !printer) return nullptr;
  // A printer whose device-mode size cannot be had is not enabled: nothing is allocated
  // for an answer of 0 or less.
  if (!RefreshSpoolerDevmode(printer, name)) {
    ClosePrinter(printer);
    return nullptr;
  }
  DriverContext* context = CreateApiContext(printer, CTXK_ITEM_API);
  if (!context) {
    ClosePrinter(printer);
    return nullptr;
  }
  bool ok = context->work != nullptr;
  if (ok) {
    // The name goes in first: everything after it, the capability asked next included,
    // opens the printer by this name.
    StoreCallerPrinterName(context, printer, printerName);
  }
  ResetShiftFieldsUnlessRanged(context);
  if (ok) {
    ok = MakeApiState(context) == 1;
    if (ok) {
      int capacity = 0;
      void* chapters = ChapterArray(context, &capacity);
      if (chapters && capacity > 0) std::memset(chapters, 0, static_cast<std::size_t>(capacity) * sizeof(ChapterEntry));
      context->work->chapterDataLoaded = 0;
      ok = chapters != nullptr;
    }
    if (ok) QueryModulesYesNo(context);
  }
  if (ok) {
    SetEnvironmentStateBytes(context);
    SetOsStateBytes(context);
    ReserveQualityEntry(context);
    ReserveWatermarkEntry(context);
    BindSpecialCaseControl(37, context);
    MarkLoadShareRows(context);
  }
  if (!ok) {
    DoDisable(context);
    context = nullptr;
  }
  ClosePrinter(printer);
  // The context must not keep the handle just closed: every later call opens its own.
  if (context) context->hPrinter = context->hPrinter2 = nullptr;
  return context;
}

std::int32_t DoInit(std::int32_t flag, const ApiInitInfo* info) {
  // The record is required with a nonzero flag; without it nothing changes.
  if (flag == 0 || !info) return 0;
  std::int32_t version = g_api.maximumVersion;
  if (info->version < version) version = info->version;
  g_api.currentVersion = version;
  return 1;
}

std::int32_t DoDisable(DriverContext* handle) {
  if (!handle) return 1;
  FreeApiState(handle);
  GiveContextBack(handle);
  return 1;
}

std::int32_t DoGetLastError(DriverContext* handle) {
  ApiState* state = ApiStateOf(handle);
  if (!handle || g_api.currentVersion <= 8 || !state) return -1;
  return state->lastError;
}

std::int32_t DoGetCaps(DriverContext* handle, DWORD id, void* buffer) {
  LockDriverMutex(nullptr);
  const std::int32_t answer = QueryCapability(handle, id, buffer);
  UnlockDriverMutex(nullptr);
  return answer;
}

std::int32_t DoSetStatus(DriverContext* handle, DWORD id, void* record, BYTE* changed, std::int32_t mode) {
  if (!handle) return -1;
  if (!IsItemAvailable(1, id)) return SetApiError(handle, API_NOT_AVAILABLE), -1;
  return SetStatusItem(handle, id, record, changed, mode);
}

std::int32_t DoGetStatus(DriverContext* handle, DWORD id, void* record, std::int32_t callerKind) {
  if (!handle) return -1;
  if (!IsItemAvailable(1, id)) return SetApiError(handle, API_NOT_AVAILABLE), -1;
  return GetStatusItem(handle, id, record, callerKind);
}
