// The configuration-server connector: its session (one per operation, bound to the library
// for that operation only), the server type, the server's device-mode and printer data.
#include "outside/config_connector.h"

#include <cstring>
#include <vector>

#include "base/build_switches.h"
#include "base/pending_seams.h"
#include "base/driver_context.h"
#include "base/paths_and_names.h"
#include "base/printer_data.h"
#include "base/system_checks.h"
#include "fields/product_record.h"
#include "outside/config_connector_abi.h"
#include "win/kernel.h"
#include "win/loader.h"
#include "win/registry.h"
#include "win/spool.h"

namespace {

constexpr DWORD kPathChars = 260;

struct ConfigServerSession {
  FARPROC exports[15] = {};
  HMODULE module = nullptr;
  BYTE type = 0;
  bool connectAllowed = false;
  WCHAR serverPrinter[kPathChars] = {};
  char serverPrinterAnsi[kPathChars] = {};
  BYTE answer[kServerAnswerBytes] = {};
  BYTE block[514] = {};
  DWORD connection = 0;

  ConfigServerSession() = default;
  ConfigServerSession(const ConfigServerSession&) = delete;
  ConfigServerSession& operator=(const ConfigServerSession&) = delete;
  ~ConfigServerSession() {
    if (connection && exports[9]) ProcCast<RMPrintConfigDisConnectProc>(exports[9])(connection, block, type);
    if (module) FreeLibrary(module);
  }
  template <class F>
  F Export(int index) const {
    return ProcCast<F>(exports[index]);
  }
};

bool FullBuild() { return IsBuildFeatureEnabled(7) != 0; }

// The library's path in the system directory; false when it does not fit.
bool LibraryPath(WCHAR* path, DWORD capacity) {
  const WCHAR* name = FullBuild() ? kConnectorLibrary : kConnectorLibraryBasic;
  const UINT n = GetSystemDirectoryW(path, capacity);
  DWORD nameLength = 0;
  while (name[nameLength]) ++nameLength;
  if (n == 0 || n + 1 + nameLength + 1 > capacity) return false;
  path[n] = u'\\';
  for (DWORD i = 0; i <= nameLength; ++i) path[n + 1 + i] = name[i];
  return true;
}

bool ConnectorEnabled() {
  DWORD value = 0;
  DWORD size = sizeof value;
  const WCHAR* name = FullBuild() ? kConnectorSwitch : kConnectorSwitchBasic;
  if (RegGetValueW(HKEY_LOCAL_MACHINE, kConnectorSwitchKey, name, RRF_RT_ANY, nullptr, &value, &size) != ERROR_SUCCESS ||
      size != sizeof value || value != 1)
    return false;
  WCHAR path[kPathChars] = {};
  if (!LibraryPath(path, kPathChars)) return false;
  // The library exists when the loader finds a file that serves its name (its entry point
  // is not run for this look).
  HMODULE module = LoadLibraryExW(path, nullptr, DONT_RESOLVE_DLL_REFERENCES);
  if (!module) return false;
  FreeLibrary(module);
  return true;
}

// Loads the library and takes its exports: all 15 for the full binding, all but three for
// the basic one.
bool Bind(ConfigServerSession* s, bool full) {
  WCHAR path[kPathChars] = {};
  if (!LibraryPath(path, kPathChars)) return false;
  s->module = LoadLibraryW(path);
  if (!s->module) return false;
  for (int i = 0; i < 15; ++i) {
    s->exports[i] = GetProcAddress(s->module, kConnectorExports[i]);
    const bool optional = !full && (i == kConnectorSetDevmode || i == kConnectorSaveDevmodeClear || i == kConnectorConnectEx);
    if (!s->exports[i] && !optional) return false;
  }
  return true;
}

// The server type and the server's name for the printer; false when there is no server (a
// type other than 17, 18 or 19). Type 19 is kept as 17 without leave to connect.
bool AskServerType(ConfigServerSession* s, const WCHAR* printer) {
  const DWORD answer = s->Export<RMGetServerTypeProc>(14)(printer, kServerNameBytes, kServerAnswerBytes,
                                                         s->serverPrinter, s->answer);
  // The name's buffer need not end inside its 520 bytes: it ends at 259 characters.
  s->serverPrinter[kPathChars - 1] = 0;
  s->type = static_cast<BYTE>(answer & 0xFF);
  s->connectAllowed = s->type == kServerTypeFetch || s->type == kServerTypeDevmode;
  if (s->type == kServerTypeNoConnect) s->type = kServerTypeFetch;
  WideCharToMultiByte(CP_ACP, 0, s->serverPrinter, -1, s->serverPrinterAnsi, kPathChars, nullptr, nullptr);
  s->serverPrinterAnsi[kPathChars - 1] = 0;
  return s->type == kServerTypeFetch || s->type == kServerTypeDevmode;
}

DWORD ReadDword(HANDLE printer, const char16_t* name) {
  DWORD value = 0;
  return printer && GetPrinterDataValue(printer, &value, sizeof value, name, 0) ? value : 0;
}

}  // namespace

int IsConnectorEnabled(DriverContext*) { return ConnectorEnabled() ? 1 : 0; }

int IsConnectorAvailable(DriverContext* context) {
  return context && IsTerminalServer(context->hPrinter) && IsConnectorEnabled(context) ? 1 : 0;
}

int GetConfigConnectorState(DriverContext* context) {
  if (!IsConnectorAvailable(context)) return 0;
  return ReadDword(context->hPrinter, u"ZeviveConnection") == 1 ? 1 : 2;
}

int CheckConfigServer(DriverContext* context) {
  if (!context || !ConnectorEnabled()) return 0;
  const WCHAR* printer = GetPrinterDisplayName(context);
  ConfigServerSession s;
  if (!printer || !Bind(&s, true) || !AskServerType(&s, printer) || !s.connectAllowed) return 0;
  return s.Export<RMSaveInformationClearProc>(12)(printer, s.type) == 0 ? 1 : 0;
}

BOOL GetConfigServerType(HANDLE, const WCHAR* printerName, BYTE* type) {
  if (type) *type = 0;
  if (!printerName || !ConnectorEnabled()) return FALSE;
  ConfigServerSession s;
  if (!Bind(&s, true)) return FALSE;
  const DWORD answer = s.Export<RMGetServerTypeProc>(14)(printerName, kServerNameBytes, kServerAnswerBytes,
                                                        s.serverPrinter, s.answer);
  if (type) *type = static_cast<BYTE>(answer & 0xFF);
  return TRUE;
}

BOOL GetServerDevmode(DriverContext* context, BYTE* buffer, BYTE* serverType) {
  if (serverType) *serverType = 0;
  if (!buffer || !IsConnectorAvailable(context)) return FALSE;
  const WCHAR* printer = GetPrinterDisplayName(context);
  ConfigServerSession s;
  if (!printer || !Bind(&s, true)) return FALSE;
  const bool known = AskServerType(&s, printer);
  if (serverType) *serverType = s.type;
  if (!known || s.type != kServerTypeDevmode || !s.connectAllowed) return FALSE;
  DWORD out = 0;
  if (s.Export<RMPrintConfigConnectExProc>(kConnectorConnectEx)(s.type, &s.connection, s.block, s.answer, &out) != 0)
    return FALSE;
  DWORD size = 0;
  if (s.Export<RMDevmodeSizeProc>(5)(s.connection, s.type, s.serverPrinterAnsi, &size) != 0) return FALSE;
  // A device-mode of any other size is not one of this driver.
  if (size != GetTotalDevmodeSize()) return FALSE;
  return s.Export<RMDevmodeProc>(4)(s.connection, s.type, s.serverPrinterAnsi, size, buffer) == 0 ? TRUE : FALSE;
}

BOOL CopyServerPrinterData(HANDLE printer, const WCHAR* valueName, DWORD* type, BYTE* buffer, DWORD size,
                           DWORD* needed, DWORD registryType, void* server) {
  auto* s = static_cast<ConfigServerSession*>(server);
  if (!s || !s->module || !valueName || !s->exports[2] || !s->exports[3]) return FALSE;
  char value[kPathChars] = {};
  WideCharToMultiByte(CP_ACP, 0, valueName, -1, value, kPathChars, nullptr, nullptr);
  value[kPathChars - 1] = 0;
  DWORD serverSize = 0;
  if (s->Export<RMGetPrinterDataSizeProc>(3)(s->connection, s->type, s->serverPrinterAnsi, "PrinterDriverData", value,
                                             &serverSize) != 0)
    return FALSE;
  // The size is compared before anything is allocated or copied: a value of another size is
  // not this setting's.
  if (serverSize != size || serverSize == 0) return FALSE;
  std::vector<BYTE> bytes(serverSize, 0);
  if (s->Export<RMGetPrinterDataProc>(2)(s->connection, s->type, s->serverPrinterAnsi, "PrinterDriverData", value,
                                         serverSize, bytes.data()) != 0)
    return FALSE;
  if (printer) SetPrinterDataW(printer, const_cast<LPWSTR>(valueName), registryType, bytes.data(), serverSize);
  if (buffer) std::memcpy(buffer, bytes.data(), serverSize);
  if (type) *type = registryType;
  if (needed) *needed = serverSize;
  return TRUE;
}

// PENDING: the fetch of a printer not yet filled from its server (CopyServerPrinterFiles,
// CopyServerFile, ApplyServerBidiCache, the printer-side settings read from the server and
// RMSetDevmode, then the ZeviveConnection and ZeviveIni markers) replaces the answer 0 of
// state 2; nothing is fetched and no marker is written until then.
int SyncFromConfigServer(DriverContext* context) { return GetConfigConnectorState(context) == 1 ? 1 : 0; }
int SyncFromConfigServerEx(DriverContext* context) { return GetConfigConnectorState(context) == 1 ? 1 : 0; }
