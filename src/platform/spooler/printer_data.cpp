// Printer data: GetPrinterDataW/ExW, SetPrinterDataW/ExW, DeletePrinterDataW/ExW,
// EnumPrinterDataW. Values keep their type and exact bytes; names and keys are matched
// without regard to case.
#include <algorithm>

#include "plat/system.h"
#include "plat/wstr.h"
#include "spooler_calls.h"

namespace plat::spooler {
namespace {

// A caller's name: not null, not empty, at most limit characters.
bool NameArg(const WCHAR* s, std::size_t limit, std::u16string& out) {
  if (!s || !*s) return false;
  std::size_t n = 0;
  while (s[n]) {
    if (++n > limit) return false;
  }
  out.assign(s, n);
  return true;
}

bool IsDriverDataKey(std::u16string_view key) { return EqualNoCase(key, SPLDS_DRIVER_DATA_KEY); }

// Values the local print server answers for a server handle.
std::vector<DataValue> ServerValues() {
  return {DwordValue(u"MajorVersion", 3), DwordValue(u"MinorVersion", 0), StringValue(u"Architecture", u"x64"),
          StringValue(u"DefaultSpoolDirectory", SystemDirectory() + u"\\spool\\PRINTERS"),
          StringValue(u"DNSMachineName", Machine().computerName)};
}

// Copies a found value into the caller's buffer under the size protocol.
DWORD AnswerValue(const DataValue& v, LPDWORD pType, LPBYTE pData, DWORD nSize, LPDWORD pcbNeeded) {
  *pcbNeeded = static_cast<DWORD>(v.bytes.size());
  if (pType) *pType = v.type;
  if (nSize < v.bytes.size()) return ERROR_MORE_DATA;
  if (!v.bytes.empty()) {
    if (!pData) return ERROR_INVALID_PARAMETER;
    std::memcpy(pData, v.bytes.data(), v.bytes.size());
  }
  return ERROR_SUCCESS;
}

DWORD GetValue(HANDLE h, const WCHAR* key, const WCHAR* name, LPDWORD pType, LPBYTE pData, DWORD nSize,
               LPDWORD pcbNeeded) {
  auto handle = LookupPrinterHandle(h);
  if (!handle) return ERROR_INVALID_HANDLE;
  if (!pcbNeeded) return RPC_X_NULL_REF_POINTER;
  *pcbNeeded = 0;
  std::u16string keyName, valueName;
  if (!NameArg(key, kMaxKeyName, keyName) || !NameArg(name, kMaxValueName, valueName)) return ERROR_INVALID_PARAMETER;
  if (handle->server) {
    auto values = ServerValues();
    const DataValue* v = IsDriverDataKey(keyName) ? FindValue(values, SPLDS_DRIVER_DATA_KEY, valueName) : nullptr;
    return v ? AnswerValue(*v, pType, pData, nSize, pcbNeeded) : ERROR_FILE_NOT_FOUND;
  }
  auto record = store::LoadPrinter(handle->name);
  if (!record) return ERROR_INVALID_PRINTER_NAME;
  if (const DataValue* v = FindValue(record->data, keyName, valueName))
    return AnswerValue(*v, pType, pData, nSize, pcbNeeded);
  if (EqualNoCase(keyName, SPLDS_SPOOLER_KEY)) {
    auto built = BuildDsSpoolerValues(*record);
    if (const DataValue* v = FindValue(built, SPLDS_SPOOLER_KEY, valueName))
      return AnswerValue(*v, pType, pData, nSize, pcbNeeded);
  }
  return ERROR_FILE_NOT_FOUND;
}

DWORD SetValue(HANDLE h, const WCHAR* key, const WCHAR* name, DWORD type, const BYTE* data, DWORD cbData) {
  auto handle = LookupPrinterHandle(h);
  if (!handle) return ERROR_INVALID_HANDLE;
  DataValue v;
  if (!NameArg(key, kMaxKeyName, v.key) || !NameArg(name, kMaxValueName, v.name)) return ERROR_INVALID_PARAMETER;
  if ((!data && cbData) || cbData > kMaxValueBytes) return ERROR_INVALID_PARAMETER;
  if (handle->server) return ERROR_ACCESS_DENIED;  // the server's values are its own
  if (!handle->CanAdminister()) return ERROR_ACCESS_DENIED;
  if (IsDriverDataKey(v.key)) v.key = SPLDS_DRIVER_DATA_KEY;
  v.type = type;
  if (cbData) v.bytes.assign(data, data + cbData);
  return store::UpdatePrinter(handle->name, [&](PrinterRecord& r) -> DWORD {
    for (auto& old : r.data) {
      if (EqualNoCase(old.key, v.key) && EqualNoCase(old.name, v.name)) {
        old.type = v.type;
        old.bytes = v.bytes;
        return ERROR_SUCCESS;
      }
    }
    r.data.push_back(v);
    return ERROR_SUCCESS;
  });
}

DWORD DeleteValue(HANDLE h, const WCHAR* key, const WCHAR* name) {
  auto handle = LookupPrinterHandle(h);
  if (!handle) return ERROR_INVALID_HANDLE;
  std::u16string keyName, valueName;
  if (!NameArg(key, kMaxKeyName, keyName) || !NameArg(name, kMaxValueName, valueName)) return ERROR_INVALID_PARAMETER;
  if (handle->server || !handle->CanAdminister()) return ERROR_ACCESS_DENIED;
  return store::UpdatePrinter(handle->name, [&](PrinterRecord& r) -> DWORD {
    for (auto it = r.data.begin(); it != r.data.end(); ++it) {
      if (EqualNoCase(it->key, keyName) && EqualNoCase(it->name, valueName)) {
        r.data.erase(it);
        return ERROR_SUCCESS;
      }
    }
    return ERROR_FILE_NOT_FOUND;
  });
}

// Sets the error code as the last error as well, as callers of these calls may read either.
DWORD Answer(DWORD rc) {
  SetLastError(rc);
  return rc;
}

}  // namespace
}  // namespace plat::spooler

using namespace plat::spooler;

KOVA_EXPORT DWORD WINAPI GetPrinterDataW(HANDLE hPrinter, LPWSTR pValueName, LPDWORD pType, LPBYTE pData, DWORD nSize,
                                         LPDWORD pcbNeeded) {
  return Answer(GuardCode([&] { return GetValue(hPrinter, SPLDS_DRIVER_DATA_KEY, pValueName, pType, pData, nSize, pcbNeeded); }));
}

KOVA_EXPORT DWORD WINAPI GetPrinterDataExW(HANDLE hPrinter, LPCWSTR pKeyName, LPCWSTR pValueName, LPDWORD pType,
                                           LPBYTE pData, DWORD nSize, LPDWORD pcbNeeded) {
  return Answer(GuardCode([&] { return GetValue(hPrinter, pKeyName, pValueName, pType, pData, nSize, pcbNeeded); }));
}

KOVA_EXPORT DWORD WINAPI SetPrinterDataW(HANDLE hPrinter, LPWSTR pValueName, DWORD Type, LPBYTE pData, DWORD cbData) {
  return Answer(GuardCode([&] { return SetValue(hPrinter, SPLDS_DRIVER_DATA_KEY, pValueName, Type, pData, cbData); }));
}

KOVA_EXPORT DWORD WINAPI SetPrinterDataExW(HANDLE hPrinter, LPCWSTR pKeyName, LPCWSTR pValueName, DWORD Type,
                                           LPBYTE pData, DWORD cbData) {
  return Answer(GuardCode([&] { return SetValue(hPrinter, pKeyName, pValueName, Type, pData, cbData); }));
}

KOVA_EXPORT DWORD WINAPI DeletePrinterDataW(HANDLE hPrinter, LPWSTR pValueName) {
  return Answer(GuardCode([&] { return DeleteValue(hPrinter, SPLDS_DRIVER_DATA_KEY, pValueName); }));
}

KOVA_EXPORT DWORD WINAPI DeletePrinterDataExW(HANDLE hPrinter, LPCWSTR pKeyName, LPCWSTR pValueName) {
  return Answer(GuardCode([&] { return DeleteValue(hPrinter, pKeyName, pValueName); }));
}

KOVA_EXPORT DWORD WINAPI EnumPrinterDataW(HANDLE hPrinter, DWORD dwIndex, LPWSTR pValueName, DWORD cbValueName,
                                          LPDWORD pcbValueName, LPDWORD pType, LPBYTE pData, DWORD cbData,
                                          LPDWORD pcbData) {
  return Answer(GuardCode([&]() -> DWORD {
    DWORD error = 0;
    auto record = RecordOf(hPrinter, &error);
    if (!record) return error;
    // The data is optional: with pData null only the name is asked for (and pcbData may be null).
    if (!pcbValueName || (pData && !pcbData)) return RPC_X_NULL_REF_POINTER;
    std::vector<const DataValue*> values;
    for (const auto& v : record->data)
      if (IsDriverDataKey(v.key)) values.push_back(&v);
    if (cbValueName == 0 && cbData == 0) {  // the sizes a caller needs for any value
      if (values.empty()) return ERROR_NO_MORE_ITEMS;
      std::size_t name = 0, data = 0;
      for (const auto* v : values) {
        name = std::max(name, 2 * (v->name.size() + 1));
        data = std::max(data, v->bytes.size());
      }
      *pcbValueName = static_cast<DWORD>(name);
      if (pcbData) *pcbData = static_cast<DWORD>(data);
      return ERROR_SUCCESS;
    }
    if (dwIndex >= values.size()) return ERROR_NO_MORE_ITEMS;
    const DataValue& v = *values[dwIndex];
    const std::size_t nameBytes = 2 * (v.name.size() + 1);
    *pcbValueName = static_cast<DWORD>(nameBytes);
    if (pcbData) *pcbData = static_cast<DWORD>(v.bytes.size());
    if (pType) *pType = v.type;
    if (cbValueName < nameBytes || (pData && cbData < v.bytes.size())) return ERROR_MORE_DATA;
    if (!pValueName) return ERROR_INVALID_PARAMETER;
    std::memcpy(pValueName, v.name.c_str(), nameBytes);
    if (pData && !v.bytes.empty()) std::memcpy(pData, v.bytes.data(), v.bytes.size());
    return ERROR_SUCCESS;
  }));
}
