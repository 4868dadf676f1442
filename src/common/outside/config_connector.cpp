// The configuration-server connector: its session (one per operation, bound to the library
// for that operation only), the server type, the server's device-mode and printer data.
#include "outside/config_connector.h"

#include <cstring>
#include <vector>

#include "base/build_switches.h"
#include "base/driver_context.h"
#include "base/ini_files.h"
#include "base/server_connector_calls.h"
#include "base/paths_and_names.h"
#include "base/printer_data.h"
#include "base/settings_dirs.h"
#include "base/system_checks.h"
#include "base/wide_text.h"
#include "fields/product_record.h"
#include "outside/bidi_cache.h"
#include "stored/device_settings.h"
#include "stored/preset_list.h"
#include "stored/quality_list.h"
#include "outside/config_connector_abi.h"
#include "win/kernel.h"
#include "win/loader.h"
#include "win/registry.h"
#include "win/files.h"
#include "win/spool.h"

namespace {

constexpr DWORD kPathChars = 260;

}  // namespace

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
  OSVERSIONINFOW version = {};
  char sourceAnsi[kPathChars] = {};
  char destinationAnsi[kPathChars] = {};

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

namespace {

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


// ---- the fetch ------------------------------------------------------------------------------

ScopedDisplayName::ScopedDisplayName(DriverContext* context, const WCHAR* name) {
  if (!context || !context->work || !name) return;
  GetPrinterDisplayName(context);
  work_ = context->work;
  CopyWide(saved_, kSavedChars, work_->printerName);
  CopyWide(work_->printerName, kSavedChars, name);
}

ScopedDisplayName::~ScopedDisplayName() {
  if (work_) CopyWide(work_->printerName, kSavedChars, saved_);
}

namespace {

// Formats a path: "%%" stands for "%" and "%ws" for arg. False when the result does not fit
// capacity characters with its NUL (the buffer is then empty).
bool FormatPath(WCHAR* out, DWORD capacity, const WCHAR* format, const WCHAR* arg) {
  if (!out || capacity == 0) return false;
  DWORD n = 0;
  auto put = [&](WCHAR c) {
    if (n + 1 >= capacity) return false;
    out[n++] = c;
    return true;
  };
  bool ok = format != nullptr;
  for (const WCHAR* p = format; ok && p && *p; ++p) {
    if (p[0] == u'%' && p[1] == u'%') {
      ok = put(u'%');
      ++p;
    } else if (p[0] == u'%' && p[1] == u'w' && p[2] == u's') {
      for (const WCHAR* a = arg; ok && a && *a; ++a) ok = put(*a);
      p += 2;
    } else {
      ok = put(*p);
    }
  }
  out[ok ? n : 0] = 0;
  return ok;
}

bool Append(WCHAR* out, DWORD capacity, const WCHAR* tail) {
  const std::size_t n = WideLength(out);
  const std::size_t t = WideLength(tail);
  if (n + t + 1 > capacity) return false;
  for (std::size_t i = 0; i <= t; ++i) out[n + i] = tail[i];
  return true;
}

// The part after the last "\" (the whole text when there is none).
const WCHAR* FilePart(const WCHAR* path) {
  const WCHAR* part = path;
  for (const WCHAR* p = path; p && *p; ++p)
    if (*p == u'\\') part = p + 1;
  return part;
}

bool ToAnsi(const WCHAR* text, char* out, int capacity) {
  if (!text) return false;
  if (WideCharToMultiByte(CP_ACP, 0, text, -1, out, capacity, nullptr, nullptr) == 0) {
    out[0] = 0;
    return false;
  }
  return true;
}

// A destination with its leading "%SystemDrive%" replaced by the drive of the Windows
// folder; false when it does not fit.
bool ResolveSystemDrive(const WCHAR* path, WCHAR* out, DWORD capacity) {
  static constexpr WCHAR kDrive[] = u"%SystemDrive%";
  if (!StartsWithNoCase(path, kDrive)) {
    out[0] = 0;
    return Append(out, capacity, path);
  }
  WCHAR windows[kPathChars] = {};
  if (GetWindowsDirectoryW(windows, kPathChars) < 2) return false;
  windows[2] = 0;
  out[0] = 0;
  return Append(out, capacity, windows) && Append(out, capacity, path + WideLength(kDrive));
}

struct ServerFileRow {
  const WCHAR* name;
  const WCHAR* sourceNew;   // OS major version above 4
  const WCHAR* sourceOld;   // major version 4 or less
  const WCHAR* sourceOld9x; // major version 4 or less, platform id 1
  int (*handler)(const WCHAR* path, const WCHAR* serverPrinter, DriverContext* context);
};

const ServerFileRow kServerFiles[] = {
    {u"Fennicb.ini", u"%%SystemDrive%%\\_kova\\%ws", u"%%SystemRoot%%\\%ws", u"%%SystemRoot%%\\%ws",
     ApplyServerBidiCache},
};
constexpr WCHAR kCacheRowName[] = u"Fennicb.ini";

const WCHAR* SourceFormat(const ConfigServerSession* s, const ServerFileRow& row) {
  if (s->version.dwMajorVersion > 4) return row.sourceNew;
  return s->version.dwPlatformId == 1 ? row.sourceOld9x : row.sourceOld;
}

void MarkPresetRefresh(DriverContext* context) {
  const DWORD one = 1;
  SetPrinterDataBinary(context->hPrinter, &one, sizeof one, u"PresetRefresh", 0);
  const WCHAR* ini = GetUserIniPath(context);
  if (ini && ini[0]) WriteIniString(GetPrinterSectionName(context), u"PresetRefresh", u"1", ini);
}

void WriteDword(HANDLE printer, const char16_t* name, DWORD value) {
  SetPrinterDataBinary(printer, &value, sizeof value, name, 0);
}

// The per-printer INI's file name (after the last "\"), or null.
const WCHAR* UserIniName(DriverContext* context) {
  const WCHAR* ini = GetUserIniPath(context);
  const WCHAR* name = ini ? FilePart(ini) : nullptr;
  return name && name[0] ? name : nullptr;
}

// The local folder text the connector writes into: "%SystemDrive%\_kova\<name>\".
bool LocalFolder(DriverContext* context, WCHAR* out, DWORD capacity) {
  WCHAR name[kPathChars] = {};
  if (!GetSanitisedPrinterName(context, name, kPathChars) || !Append(name, kPathChars, u"\\")) return false;
  return FormatPath(out, capacity, u"%%SystemDrive%%\\_kova\\%ws", name);
}

// Creates the settings root and the printer's server folder in it.
bool CreateServerFolder(DriverContext* context, WCHAR* folder, DWORD capacity) {
  CreateSettingsRootForPrinter(context);
  if (!GetServerFolder(context, folder, capacity)) return false;
  CreateDirectoryW(folder, nullptr);
  return true;
}

// The fetched files of a list ("Count"/PresetList<n> or "QualityCount"/QualityList<n>) of
// the server printer's section of the server folder INI, each to the local folder.
bool CopyServerList(ConfigServerSession* s, const WCHAR* serverIni, const WCHAR* local, bool presets) {
  const INT raw = ReadIniInt(s->serverPrinter, presets ? u"Count" : u"QualityCount", 0, serverIni);
  const INT limit = presets ? kMaxPresets : kMaxQualityEntries;
  const INT count = raw < 0 ? 0 : (raw > limit ? limit : raw);
  for (INT i = 0; i < count; ++i) {
    WCHAR key[kPresetKeyChars] = {};
    if (presets)
      MakePresetKey(key, i, PRESET_KEY_FILE);
    else
      MakeQualityKey(key, i);
    WCHAR source[kPathChars] = {};
    ReadIniString(s->serverPrinter, key, u"", source, kPathChars, serverIni);
    const WCHAR* name = FilePart(source);
    if (!name[0]) return false;
    WCHAR destination[kPathChars] = {};
    CopyWide(destination, kPathChars, local);
    if (!Append(destination, kPathChars, name) || !CopyServerFile(s, source, destination, name)) return false;
  }
  return true;
}

// The fetch both features share after the connection: the printer-side settings from the
// server and the preset refresh.
void ReadServerSettings(ConfigServerSession* s, DriverContext* context) {
  LoadDeviceSettings(context->hPrinter, context, 2, DSL_FROM_SERVER, s);
  MarkPresetRefresh(context);
}

// Binds, asks the server type and clears the server's saved information; false when there
// is no server, the clear fails or the server may not be connected to.
bool OpenServer(ConfigServerSession* s, DriverContext* context, bool full) {
  const WCHAR* printer = GetPrinterDisplayName(context);
  if (!printer || !printer[0] || !Bind(s, full) || !AskServerType(s, printer)) return false;
  if (s->Export<RMSaveInformationClearProc>(12)(printer, s->type) != 0) return false;
  return s->connectAllowed;
}

// Runs each row's handler on its copy in the local folder (drive resolved).
void RunServerFileHandlers(const WCHAR* local, const WCHAR* serverPrinter, DriverContext* context) {
  for (const ServerFileRow& row : kServerFiles) {
    WCHAR destination[kPathChars] = {};
    WCHAR resolved[kPathChars] = {};
    CopyWide(destination, kPathChars, local);
    if (!Append(destination, kPathChars, row.name) || !ResolveSystemDrive(destination, resolved, kPathChars)) continue;
    row.handler(resolved, serverPrinter, context);
  }
}

}  // namespace

BOOL GetSanitisedPrinterName(DriverContext* context, WCHAR* buffer, DWORD capacity) {
  if (!buffer || capacity == 0) return FALSE;
  buffer[0] = 0;
  const WCHAR* name = context ? GetPrinterDisplayName(context) : nullptr;
  if (!name || !name[0]) return FALSE;
  DWORD n = 0;
  for (const WCHAR* p = name; *p; ++p) {
    if (*p == u'"' || *p == u'*' || *p == u'/' || *p == u'<' || *p == u'>' || *p == u'?' || *p == u'\\' ||
        *p == u'|')
      continue;
    if (n + 1 >= capacity || n + 1 >= kPathChars) {
      buffer[0] = 0;
      return FALSE;
    }
    buffer[n++] = *p;
  }
  buffer[n] = 0;
  return n > 0 ? TRUE : FALSE;
}

BOOL GetServerFolder(DriverContext* context, WCHAR* buffer, DWORD capacity) {
  WCHAR name[kPathChars] = {};
  if (!buffer || capacity == 0 || !GetSanitisedPrinterName(context, name, kPathChars)) return FALSE;
  buffer[0] = 0;
  if (!GetSettingsRoot(buffer, capacity, context) || !Append(buffer, capacity, u"\\") ||
      !Append(buffer, capacity, name)) {
    buffer[0] = 0;
    return FALSE;
  }
  return TRUE;
}

BOOL GetServerFolderIni(DriverContext* context, WCHAR* buffer, DWORD capacity) {
  const WCHAR* ini = UserIniName(context);
  if (!ini || !GetServerFolder(context, buffer, capacity) || !Append(buffer, capacity, u"\\") ||
      !Append(buffer, capacity, ini)) {
    if (buffer && capacity) buffer[0] = 0;
    return FALSE;
  }
  return TRUE;
}

BOOL GetServerPrinterName(DriverContext* context, WCHAR* buffer, DWORD capacity) {
  if (!buffer || capacity == 0) return FALSE;
  buffer[0] = 0;
  const WCHAR* printer = context ? GetPrinterDisplayName(context) : nullptr;
  ConfigServerSession s;
  if (!printer || !printer[0] || !Bind(&s, true)) return FALSE;
  AskServerType(&s, printer);
  if (!s.serverPrinter[0] || WideLength(s.serverPrinter) + 1 > capacity) return FALSE;
  CopyWide(buffer, capacity, s.serverPrinter);
  return TRUE;
}

int RunServerFileHandlersInServerFolder(DriverContext* context, const WCHAR* serverPrinter) {
  WCHAR local[kPathChars] = {};
  if (!context || !serverPrinter || !LocalFolder(context, local, kPathChars)) return 0;
  RunServerFileHandlers(local, serverPrinter, context);
  return 1;
}

BOOL CopyServerFile(ConfigServerSession* s, const WCHAR* source, const WCHAR* destination, const WCHAR* fileName) {
  if (!s || !s->module || !source || !destination || !fileName) return FALSE;
  if (!ToAnsi(source, s->sourceAnsi, kPathChars) || !ToAnsi(destination, s->destinationAnsi, kPathChars)) return FALSE;
  DWORD size = 0;
  const char* name = StartsWithNoCase(source, u"%Driver%") ? s->serverPrinterAnsi : nullptr;
  if (s->Export<RMRegFileGetSizeProc>(0)(s->connection, s->type, s->sourceAnsi, 1, name, &size) != 0) return FALSE;
  if (size != 0)
    return s->Export<RMGetDataFileProc>(8)(s->connection, s->type, s->sourceAnsi, s->destinationAnsi, 0, 0, size) == 0
               ? TRUE
               : FALSE;
  if (!StartsWithNoCase(fileName, kCacheRowName)) return TRUE;
  // An empty cache on the server: the local copy is emptied too.
  WCHAR local[kPathChars] = {};
  if (!ResolveSystemDrive(destination, local, kPathChars)) return FALSE;
  SetFileAttributesW(local, FILE_ATTRIBUTE_NORMAL);
  DeleteFileW(local);
  HANDLE file = CreateFileW(local, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return FALSE;
  CloseHandle(file);
  return TRUE;
}

BOOL CopyServerPrinterFiles(ConfigServerSession* s, DriverContext* context) {
  if (!s || !context) return FALSE;
  WCHAR folder[kPathChars] = {};
  WCHAR local[kPathChars] = {};
  if (!CreateServerFolder(context, folder, kPathChars) || !LocalFolder(context, local, kPathChars)) return FALSE;
  const WCHAR* cacheFormat = nullptr;
  for (const ServerFileRow& row : kServerFiles) {
    WCHAR source[kPathChars] = {};
    WCHAR destination[kPathChars] = {};
    CopyWide(destination, kPathChars, local);
    if (!FormatPath(source, kPathChars, SourceFormat(s, row), row.name) ||
        !Append(destination, kPathChars, row.name) || !CopyServerFile(s, source, destination, row.name))
      return FALSE;
    if (WideEquals(row.name, kCacheRowName)) cacheFormat = SourceFormat(s, row);
  }
  // The per-printer INI, from where the cache comes from.
  const WCHAR* ini = UserIniName(context);
  WCHAR source[kPathChars] = {};
  WCHAR destination[kPathChars] = {};
  CopyWide(destination, kPathChars, local);
  if (!ini || !cacheFormat || !FormatPath(source, kPathChars, cacheFormat, ini) ||
      !Append(destination, kPathChars, ini) || !CopyServerFile(s, source, destination, ini))
    return FALSE;
  WCHAR serverIni[kPathChars] = {};
  if (!GetServerFolderIni(context, serverIni, kPathChars)) return FALSE;
  return CopyServerList(s, serverIni, local, true) && CopyServerList(s, serverIni, local, false) ? TRUE : FALSE;
}

int ApplyServerBidiCache(const WCHAR* path, const WCHAR* serverPrinter, DriverContext* context) {
  if (!path || !serverPrinter || !context || !context->work) return 1;
  if (ReadIniInt(serverPrinter, u"BidiFlag", 7, path) == 7) {
    ClearBidiCacheIni(context);
    return 1;
  }
  {
    ScopedDisplayName server(context, serverPrinter);
    LoadBidiCacheFile(path, context);
  }
  SaveBidiCacheIni(context);
  MarkPresetRefresh(context);
  return 1;
}

int SyncFromConfigServer(DriverContext* context) {
  const int state = GetConfigConnectorState(context);
  if (state != 2) return state == 1 ? 1 : 0;
  ConfigServerSession s;
  if (!OpenServer(&s, context, false)) return 0;
  if (s.Export<RMPrintConfigConnectProc>(10)(s.type, &s.connection, s.block) != 0) {
    s.connection = 0;
    return 0;
  }
  if (s.Export<RMClientOSTypeProc>(13)(s.connection, s.type, &s.version) != 0) return 0;
  WCHAR folder[kPathChars] = {};
  WCHAR kova[kPathChars] = {};
  CreateSettingsRootForPrinter(context);
  if (!GetSettingsRoot(folder, kPathChars, context) || !FormatPath(kova, kPathChars, u"%ws\\kova", folder)) return 0;
  CreateDirectoryW(kova, nullptr);
  static constexpr WCHAR kLocal[] = u"%SystemDrive%\\_kova\\kova\\";
  bool ok = true;
  for (const ServerFileRow& row : kServerFiles) {
    WCHAR source[kPathChars] = {};
    WCHAR destination[kPathChars] = {};
    ok = FormatPath(source, kPathChars, SourceFormat(&s, row), row.name) &&
         FormatPath(destination, kPathChars, u"%%SystemDrive%%\\_kova\\kova\\%ws", row.name) &&
         CopyServerFile(&s, source, destination, row.name);
    if (!ok) break;
  }
  if (ok) ReadServerSettings(&s, context);
  const DWORD connection = s.connection;
  s.connection = 0;
  s.Export<RMPrintConfigDisConnectProc>(9)(connection, s.block, s.type);
  if (!ok) return 0;
  RunServerFileHandlers(kLocal, s.serverPrinter, context);
  WriteDword(context->hPrinter, u"ZeviveConnection", 1);
  return 1;
}

int SyncFromConfigServerEx(DriverContext* context) {
  const int state = GetConfigConnectorState(context);
  if (state != 2) return state == 1 ? 1 : 0;
  ConfigServerSession s;
  if (!OpenServer(&s, context, true)) return 0;
  DWORD out = 0;
  if (s.Export<RMPrintConfigConnectExProc>(kConnectorConnectEx)(s.type, &s.connection, s.block, s.answer, &out) !=
      0) {
    s.connection = 0;
    return 0;
  }
  bool ok = s.Export<RMClientOSTypeProc>(13)(s.connection, s.type, &s.version) == 0 &&
            CopyServerPrinterFiles(&s, context);
  if (ok) ReadServerSettings(&s, context);
  const DWORD connection = s.connection;
  s.connection = 0;
  if (s.Export<RMPrintConfigDisConnectProc>(9)(connection, s.block, s.type) != 0) ok = false;
  if (!ok) return 0;
  // The interface library in the driver directory (which ends with its "\").
  WCHAR library[kPathChars] = {};
  const WCHAR* directory = GetDriverDirectory(context);
  if (!directory || !directory[0] || !FormatPath(library, kPathChars, u"%ws", directory) ||
      !Append(library, kPathChars, kInterfaceLibrary))
    return 0;
  if (s.Export<RMSetDevmodeProc>(kConnectorSetDevmode)(s.type, GetPrinterDisplayName(context), library,
                                                       "DrvConvertDevMode", 0, 0) != 0)
    return 0;
  WCHAR serverIni[kPathChars] = {};
  if (GetServerFolderIni(context, serverIni, kPathChars)) WriteIniString(u"zevive", u"ZeviveFlg", u"1", serverIni);
  WriteDword(context->hPrinter, u"ZeviveConnection", 1);
  WriteDword(context->hPrinter, u"ZeviveIni", 1);
  return 1;
}
