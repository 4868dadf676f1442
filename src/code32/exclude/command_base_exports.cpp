#include "command_base_exports.h"

#include <cstring>

#include "api_printer.h"
#include "command_base_apply.h"
#include "command_base_parse.h"
#include "command_base_text.h"
#include "base/driver_context.h"
#include "fields/field_access.h"
#include "fields/field_table.h"
#include "base/memory.h"
#include "base/paths_and_names.h"
#include "base/system_checks.h"
#include "field_ids.h"
#include "job_control_once.h"
#include "module_start.h"
#include "outside/bidi_query.h"
#include "two_way_flag.h"
#include "stored/stamp_list.h"
#include "settings_snapshots.h"
#include "win/spool.h"

namespace {

constexpr DWORD kUserCodeItem = 1;
constexpr int kUserCodeBytes = 9;

// The user code of the job-control library into kdmUserCode, when the library answers.
void ReadUserCode(ExcBaseRecord* handle) {
  WCHAR wide[16] = {};
  if (!ReadJobControlItemOnce(handle->printer, kUserCodeItem, 1, wide)) return;
  SettingField* field = FindFieldById(handle->context, fid::kdmUserCode);
  if (!field) return;
  char ansi[kUserCodeBytes + 1] = {};
  WideToAnsiText(wide, ansi, kUserCodeBytes);
  char value[64] = {};  // the field's bytes, zero beyond the code
  std::memcpy(value, ansi, std::strlen(ansi));
  if (FieldSizeOf(field->type) <= sizeof value) WriteFieldBlock(handle->context, field, value);
}

// A new context for the handle (the old one given back first). With query the printer may be
// asked for its two-way state, as at open; at a reset the two-way state is cleared instead.
bool MakeHandleContext(ExcBaseRecord* handle, const WCHAR* printerName, bool query) {
  if (handle->context) {
    GiveContextBack(handle->context);
    handle->context = nullptr;
  }
  DriverContext* context = CreateApiContext(handle->printer, CTXK_COMMAND_API);
  if (!context) return false;
  handle->context = context;
  if (context->work && printerName) std::memcpy(context->work->printerName, printerName, 261 * sizeof(WCHAR));
  if (IsTwoWayFlagSet(context)) {
    SetBidiStateFromSupport(context);
  } else if (query) {
    QueryPrinterBidi(context, nullptr, kBidiAllow9x);
  } else {
    WriteFieldRawById(context, fid::KPD_kdmBiDirect, 0);
  }
  ReadUserCode(handle);
  return true;
}

// The printer name a context was made for, to make the next one with.
void ContextPrinterName(const ExcBaseRecord* handle, WCHAR name[261]) {
  std::memset(name, 0, 261 * sizeof(WCHAR));
  if (handle->context && handle->context->work) std::memcpy(name, handle->context->work->printerName, 260 * sizeof(WCHAR));
}

// Slots, change and base dropped; with renew a new context (without the two-way query).
bool ResetHandle(ExcBaseRecord* handle, bool renew) {
  if (handle->slotSet) std::memset(handle->slotSet, 0, kPjlSlotCount);
  if (handle->slotValues) std::memset(handle->slotValues, 0, kPjlSlotCount * sizeof(std::int32_t));
  DropChangeText(handle);
  DropBaseText(handle);
  if (!renew) return true;
  WCHAR name[261];
  ContextPrinterName(handle, name);
  return MakeHandleContext(handle, name, false);
}

}  // namespace

std::int32_t DoExcGetIniFileName(const char* printerName, std::int32_t size, char* buffer, std::int32_t* needed) {
  if (!printerName) return -1;
  WCHAR name[261] = {};
  AnsiToWide(printerName, name, 261);
  HANDLE printer = nullptr;
  if (!OpenPrinterW(name, &printer, nullptr) || !printer) return -1;
  const DWORD kind = IsTerminalServerCached(printer) ? 1 : 0;
  WCHAR path[261] = {};
  const DWORD length = GetIniPathInSettingsDir(path, 0, kind, printer);
  ClosePrinter(printer);
  if (length == 0 || !path[0]) return -1;
  char ansi[261] = {};
  WideToAnsiText(path, ansi, static_cast<int>(sizeof ansi));
  if (!ansi[0]) return -1;
  const auto need = static_cast<std::int32_t>(std::strlen(ansi) + 1);
  return GiveText(ansi, need, size, buffer, needed);
}

ExcBaseRecord* DoExcGetExclusive(const char* printerName) {
  if (!printerName) return nullptr;
  auto* handle = static_cast<ExcBaseRecord*>(AllocMem(sizeof(ExcBaseRecord)));
  if (!handle) return nullptr;
  std::memset(handle, 0, sizeof *handle);
  handle->slotCount = static_cast<std::int32_t>(kPjlSlotCount);
  WCHAR name[261] = {};
  AnsiToWide(printerName, name, 261);
  HANDLE printer = nullptr;
  if (!OpenPrinterW(name, &printer, nullptr) || !printer) {
    DoExcFreeExclusive(handle);
    return nullptr;
  }
  handle->printer = printer;
  handle->slotSet = static_cast<BYTE*>(AllocMem(kPjlSlotCount));
  handle->slotValues = static_cast<std::int32_t*>(AllocMem(kPjlSlotCount * sizeof(std::int32_t)));
  if (!handle->slotSet || !handle->slotValues || !MakeHandleContext(handle, name, true)) {
    DoExcFreeExclusive(handle);
    return nullptr;
  }
  std::memset(handle->slotSet, 0, kPjlSlotCount);
  std::memset(handle->slotValues, 0, kPjlSlotCount * sizeof(std::int32_t));
  return handle;
}

void DoExcFreeExclusive(ExcBaseRecord* handle) {
  if (!handle) return;
  ResetHandle(handle, false);
  FreeMem(handle->slotSet);
  FreeMem(handle->slotValues);
  if (handle->context) GiveContextBack(handle->context);
  if (handle->printer) ClosePrinter(handle->printer);
  FreeMem(handle);
}

std::int32_t DoExcGetPrinterOption(ExcBaseRecord* handle, const char* item, std::int32_t size, char* buffer,
                                   std::int32_t* needed) {
  if (!handle || !handle->context) return -1;
  if (needed) *needed = 0;
  const PjlItem* found = FindPjlItem(handle->context, item, kPjlOptionList);
  if (!found || !IsValueTableItem(found) || found->values->count == 0) return 0;
  PjlText names;
  for (DWORD i = 0; i < found->values->count; ++i) {
    const PjlValue& v = found->values->values[i];
    if (!IsPjlValueAllowed(handle->context, found, &v)) continue;
    names.Append(v.name ? v.name : "");
    names.AppendChar('\0');
  }
  if (names.Length() > 0) names.Finish();
  if (names.Failed()) return -1;
  return GiveText(names.Data(), static_cast<std::int32_t>(names.Length()), size, buffer, needed);
}

std::int32_t DoExcGetPrinterValue(ExcBaseRecord* handle, const char* item, std::int32_t size, char* buffer,
                                  std::int32_t* needed) {
  if (!handle || !handle->context) return -1;
  if (needed) *needed = 0;
  const PjlItem* found = FindPjlItem(handle->context, item, kPjlValueQuery);
  if (!found) return 0;
  const std::int32_t need = FormatPrinterValue(found, handle->context, buffer ? size : 0, buffer);
  if (needed) *needed = need;
  return (!buffer || size < need) && need > 0 ? 1 : 0;
}

std::int32_t DoExcGetWaterMarkList(ExcBaseRecord* handle, std::int32_t kind, std::int32_t size, char* buffer,
                                   std::int32_t* length) {
  if (!handle || !handle->context) return -1;
  DriverContext* context = handle->context;
  // Loading an entry changes the device-mode and the work fields of area 3: both are put
  // back afterwards.
  BYTE* devmode = SnapshotDevmode(context);
  if (!devmode) return -1;
  BYTE* work = SnapshotWorkFields(context);
  PjlText text;
  bool failed = false;
  const int count = GetStampCount(context);
  for (int n = 0; n < count && !failed; ++n) {
    ApplyStamp(context, n);
    const DWORD wmKind = ReadFieldRawById(context, fid::kdmWmKind);
    if ((wmKind == 1 && kind == 0) || (wmKind == 2 && kind == 1)) failed = WatermarkToPjl(text, context, kind) != 0;
  }
  RestoreDevmodeSnapshot(context, devmode, 1);
  if (work) RestoreWorkFieldsSnapshot(context, work, 1);
  if (length) *length = 0;
  if (failed) return -1;
  if (text.Length() == 0) return 0;
  if (!text.Finish()) return -1;
  return GiveText(text.Data(), static_cast<std::int32_t>(text.Length()), size, buffer, length);
}

std::int32_t DoExcSetCommandBase(ExcBaseRecord* handle, const char* text, std::int32_t* changeLength) {
  if (!handle) return -1;
  if (changeLength) *changeLength = 0;
  if (!ResetHandle(handle, true)) return -1;
  if (!text) return -2;
  const std::int32_t answer = SetBaseText(handle, text);
  if (answer == -2) ResetHandle(handle, true);
  if (changeLength) *changeLength = handle->changeLength;
  return answer;
}

std::int32_t DoExcGetCommandBase(ExcBaseRecord* handle, std::int32_t size, char* buffer, std::int32_t* length) {
  if (!handle) return -1;
  if (length) *length = handle->baseLength;
  if (handle->baseText && handle->baseLength > 0) {
    if (!buffer || size < handle->baseLength) return 1;
    std::memcpy(buffer, handle->baseText, static_cast<std::size_t>(handle->baseLength));
  }
  return 0;
}

std::int32_t DoExcUpdateCommand(ExcBaseRecord* handle, const char* line, std::int32_t* changeLength) {
  if (!handle) return -1;
  if (!line) return 0;
  if (changeLength) *changeLength = 0;
  DropChangeText(handle);
  char name[kPjlTokenBytes];
  char value[kPjlTokenBytes];
  if (ParsePjlLine(line, name, value) <= 0) return -1;
  const std::int32_t answer = UpdateBaseLine(handle, line, name, value);
  if (changeLength) *changeLength = handle->changeLength;
  return answer;
}

std::int32_t DoExcGetCommandChange(ExcBaseRecord* handle, std::int32_t size, char* buffer, std::int32_t* length) {
  if (!handle) return -1;
  if (length) *length = handle->changeLength;
  if (!handle->changeText || handle->changeLength <= 0) return 0;
  if (!buffer || size < handle->changeLength) return 1;
  std::memcpy(buffer, handle->changeText, static_cast<std::size_t>(handle->changeLength));
  DropChangeText(handle);
  return 0;
}

std::int32_t DoExcGetCommandValue(ExcBaseRecord* handle, const char* item, std::int32_t onlySettable,
                                  std::int32_t size, char* buffer, std::int32_t* length) {
  if (!handle || !handle->context) return -1;
  if (length) *length = 0;
  const PjlItem* found = FindPjlItem(handle->context, item, kPjlCommand);
  if (!found) return 0;
  if (onlySettable && !IsItemSettable(handle, found)) return 0;
  PjlText values;
  if (!ListItemValues(handle, found, onlySettable, values)) return -1;
  return GiveText(values.Data(), static_cast<std::int32_t>(values.Length()), size, buffer, length);
}
