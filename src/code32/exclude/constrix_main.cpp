// The 25 exports of Constrix.so. Each forwards its arguments unchanged, in the same order,
// to the body of the same role.
#include "api_frame.h"
#include "command_base_exports.h"
#include "devmode_exports.h"
#include "module_start.h"

KOVA_EXPORT BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved) {
  return DoDllMain(module, reason, reserved);
}

KOVA_EXPORT void WINAPI ExcFreeExclusive(ExcBaseRecord* handle) { DoExcFreeExclusive(handle); }

KOVA_EXPORT std::int32_t WINAPI ExcGetCommandBase(ExcBaseRecord* handle, std::int32_t size, char* buffer,
                                                  std::int32_t* length) {
  return DoExcGetCommandBase(handle, size, buffer, length);
}

KOVA_EXPORT std::int32_t WINAPI ExcGetCommandChange(ExcBaseRecord* handle, std::int32_t size, char* buffer,
                                                    std::int32_t* length) {
  return DoExcGetCommandChange(handle, size, buffer, length);
}

KOVA_EXPORT std::int32_t WINAPI ExcGetCommandValue(ExcBaseRecord* handle, const char* item, std::int32_t onlySettable,
                                                   std::int32_t size, char* buffer, std::int32_t* length) {
  return DoExcGetCommandValue(handle, item, onlySettable, size, buffer, length);
}

KOVA_EXPORT std::int32_t WINAPI ExcGetDriverDevmode(const char* printerName, std::int32_t mode, std::int32_t size,
                                                    BYTE* devmode, std::int32_t* needed) {
  return DoGetDriverDevmode(printerName, mode, size, devmode, needed);
}

KOVA_EXPORT ExcBaseRecord* WINAPI ExcGetExclusive(const char* printerName) { return DoExcGetExclusive(printerName); }

KOVA_EXPORT std::int32_t WINAPI ExcGetIniFileName(const char* printerName, std::int32_t size, char* buffer,
                                                  std::int32_t* needed) {
  return DoExcGetIniFileName(printerName, size, buffer, needed);
}

KOVA_EXPORT std::int32_t WINAPI ExcGetPrinterOption(ExcBaseRecord* handle, const char* item, std::int32_t size,
                                                    char* buffer, std::int32_t* needed) {
  return DoExcGetPrinterOption(handle, item, size, buffer, needed);
}

KOVA_EXPORT std::int32_t WINAPI ExcGetPrinterValue(ExcBaseRecord* handle, const char* item, std::int32_t size,
                                                   char* buffer, std::int32_t* needed) {
  return DoExcGetPrinterValue(handle, item, size, buffer, needed);
}

KOVA_EXPORT std::int32_t WINAPI ExcGetWaterMarkList(ExcBaseRecord* handle, std::int32_t kind, std::int32_t size,
                                                    char* buffer, std::int32_t* length) {
  return DoExcGetWaterMarkList(handle, kind, size, buffer, length);
}

KOVA_EXPORT std::int32_t WINAPI ExcSetCommandBase(ExcBaseRecord* handle, const char* text,
                                                  std::int32_t* changeLength) {
  return DoExcSetCommandBase(handle, text, changeLength);
}

KOVA_EXPORT std::int32_t WINAPI ExcUpdateCommand(ExcBaseRecord* handle, const char* line, std::int32_t* changeLength) {
  return DoExcUpdateCommand(handle, line, changeLength);
}

KOVA_EXPORT std::int32_t WINAPI KOVADrvCheckAPIVer(const char* printerName) { return DoCheckApiVersion(printerName); }

KOVA_EXPORT std::int32_t WINAPI KOVADrvDisable(DriverContext* handle) { return DoDisable(handle); }

KOVA_EXPORT DriverContext* WINAPI KOVADrvEnable(const char* printerName) { return DoEnable(printerName); }

KOVA_EXPORT std::int32_t WINAPI KOVADrvGetCaps(DriverContext* handle, DWORD id, void* buffer) {
  return DoGetCaps(handle, id, buffer);
}

KOVA_EXPORT std::int32_t WINAPI KOVADrvGetDevmode(DriverContext* handle, std::int32_t mode, DEVMODEW* out) {
  return DoGetDevmode(handle, mode, out);
}

KOVA_EXPORT std::int32_t WINAPI KOVADrvGetDevmodeEx(DriverContext* handle, std::int32_t mode, DEVMODEW* out,
                                                    const DEVMODEW* in, void*) {
  return DoGetDevmodeEx(handle, mode, out, in);
}

KOVA_EXPORT std::int32_t WINAPI KOVADrvGetLastError(DriverContext* handle) { return DoGetLastError(handle); }

KOVA_EXPORT std::int32_t WINAPI KOVADrvGetStatus(DriverContext* handle, DWORD id, void* record,
                                                 std::int32_t callerKind) {
  return DoGetStatus(handle, id, record, callerKind);
}

KOVA_EXPORT std::int32_t WINAPI KOVADrvInit(std::int32_t flag, const ApiInitInfo* info) { return DoInit(flag, info); }

KOVA_EXPORT std::int32_t WINAPI KOVADrvRestoreQualityData(DriverContext* handle) {
  return DoRestoreQualityData(handle);
}

KOVA_EXPORT std::int32_t WINAPI KOVADrvSaveQualityData(DriverContext* handle) { return DoSaveQualityData(handle); }

KOVA_EXPORT std::int32_t WINAPI KOVADrvSetStatus(DriverContext* handle, DWORD id, void* record, BYTE* changed,
                                                 std::int32_t mode) {
  return DoSetStatus(handle, id, record, changed, mode);
}
