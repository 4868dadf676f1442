#include "stored/lock_data.h"

#include <initializer_list>
#include <vector>

#include "base/driver_context.h"
#include "fields/field_access.h"
#include "fields/field_handles.h"
#include "model/module_dispatch.h"
#include "base/printer_data.h"
#include "fields/product_record.h"
#include "model/units.h"
#include "field_ids.h"
#include "model/model_parse.h"
#include "model/option_lookup.h"
#include "model/resolution_table.h"
#include "win/errors.h"
#include "win/spool.h"

namespace {

bool WriteRaw(HANDLE printer, DriverContext* context, WORD id, const WCHAR* name) {
  const DWORD value = ReadFieldRawById(context, id);
  return SetPrinterDataBinary(printer, &value, sizeof value, name, 0) != FALSE;
}

// The 4-byte value into the field; false when it cannot be read.
bool ReadRaw(HANDLE printer, DriverContext* context, const WCHAR* name, std::initializer_list<WORD> ids) {
  DWORD value = 0;
  if (!GetPrinterDataValue(printer, &value, sizeof value, name, 0)) return false;
  for (WORD id : ids) WriteFieldRawById(context, id, value);
  return true;
}

}  // namespace

int LoadLockData(HANDLE printer, DriverContext* context) {
  if (!context || !context->settings) return 0;
  if (IsTrayLocked(context) && !ReadRaw(printer, context, u"LockTrayData", {13})) return 0;
  if (IsMediaLocked(context) && !ReadRaw(printer, context, u"LockMediaData", {54})) return 0;
  if (IsPrintTypeLocked(context) && !ReadRaw(printer, context, u"LockPrnMethodData", {209, 689})) return 0;
  if (IsColorLocked(context) && !ReadRaw(printer, context, u"LockColorData", {15})) return 0;
  if (IsNupLocked(context)) {
    WriteFieldRawById(context, 56, 1);
    if (!ReadRaw(printer, context, u"LockNUPPOSTKindData", {91}) ||
        !ReadRaw(printer, context, u"LockNUPTypeData", {92}))
      return 0;
  }
  if (IsDuplexLocked(context)) {
    WriteFieldRawById(context, 58, 1);
    if (!ReadRaw(printer, context, u"LockDuplexTypeData", {94})) return 0;
  }
  if (IsResolutionLocked(context)) {
    const DWORD code = ReadFieldRawById(context, fid::kdmLockDstResolutionBoth);
    const int kind = CheckFeature38Lock(context);
    if (kind < 0) return 0;
    if (kind == 1) WriteFieldRawById(context, fid::kdmDstResolutionBoth, code);
    const ResolutionRecord* row = code <= 0xFFFF ? FindResolutionRecord(static_cast<WORD>(code)) : nullptr;
    if (!row) return 0;
    WriteFieldRawById(context, 38, row->horizontal);
    WriteFieldRawById(context, 39, row->vertical);
  }
  CallModuleItemHooks(context, 312);
  return 1;
}

int SaveLockData(HANDLE printer, DriverContext* context) {
  if (!context || !context->settings) return 0;
  if (IsTrayLocked(context) && !WriteRaw(printer, context, 13, u"LockTrayData")) return 0;
  if (IsMediaLocked(context) && !WriteRaw(printer, context, 54, u"LockMediaData")) return 0;
  if (IsPrintTypeLocked(context) && !WriteRaw(printer, context, 689, u"LockPrnMethodData")) return 0;
  if (IsColorLocked(context) && !WriteRaw(printer, context, 15, u"LockColorData")) return 0;
  if (IsNupLocked(context) && (!WriteRaw(printer, context, 91, u"LockNUPPOSTKindData") ||
                               !WriteRaw(printer, context, 92, u"LockNUPTypeData")))
    return 0;
  if (IsDuplexLocked(context) && !WriteRaw(printer, context, 94, u"LockDuplexTypeData")) return 0;
  return 1;
}

int CheckFeature38Lock(DriverContext* context) {
  const WORD type = GetOptionType(38, context);
  if (type & kTypeNumeric) return ReadFieldRawById(context, 38) == 0 ? -1 : 1;
  if (type & kTypePickOne) return GetOptionItemCount(38, context) > 0 ? 0 : -1;
  return -1;
}

int LoadLockDefaultData(HANDLE printer, DriverContext* context) {
  if (!context || !context->work || !context->work->lockDefaults) return 0;
  const DWORD size = GetSettingsBufferSize();
  std::vector<BYTE> data(size);
  DWORD type = 0, got = 0;
  if (GetPrinterDataW(printer, const_cast<LPWSTR>(u"LockDefaultData"), &type, data.data(), size, &got) !=
          ERROR_SUCCESS ||
      got != size)
    return 0;
  // Handles of another process mean nothing here.
  ClearFieldHandlesInBuffer(data.data());
  std::copy(data.begin(), data.end(), context->work->lockDefaults);
  return 1;
}

int WriteLockDefaultData(HANDLE printer, DriverContext* context) {
  if (!context || !context->work || !context->work->lockDefaults) return 0;
  const DWORD size = GetSettingsBufferSize();
  std::vector<BYTE> data(context->work->lockDefaults, context->work->lockDefaults + size);
  ClearFieldHandlesInBuffer(data.data());
  return SetPrinterDataBinary(printer, data.data(), size, u"LockDefaultData", 0) ? 1 : 0;
}

int ReadLockInfoBits(HANDLE printer, BYTE* destination, WORD id) {
  if (!destination) return 0;
  const WCHAR* name = id == 10418 ? u"kdmLock000InfoBit" : id == 10426 ? u"kdmLock001InfoBit" : nullptr;
  if (!name) return 0;
  return GetPrinterDataValue(printer, destination, 1, name, 0) ? 1 : 0;
}

int ReadAuthenticationMode(HANDLE printer, DWORD* destination) {
  if (!destination) return 0;
  return GetPrinterDataValue(printer, destination, sizeof(DWORD), u"AuthenticationMode", 0) ? 1 : 0;
}
