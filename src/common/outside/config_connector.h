// The configuration-server connector: on a terminal server whose printers are managed from
// a configuration server, a printer takes its settings and device-mode from that server
// through the connector library.
//
// Printer data "ZeviveConnection" (4 bytes) is 1 once the printer was filled from its server.
#pragma once

#include "base/install_services.h"
#include "stored/server_printer_data.h"
#include "win/types.h"

struct DriverContext;
struct _devicemodeW;

// The registry switch is 1 and the connector library exists.
int IsConnectorEnabled(DriverContext* context);
// A terminal server for the printer and IsConnectorEnabled.
int IsConnectorAvailable(DriverContext* context);
// 0 not available; 1 available and the printer was filled from its server; 2 available and
// not yet filled.
int GetConfigConnectorState(DriverContext* context);
// 1 when the server type is 17 or 18 and the server's saved information was cleared.
int CheckConfigServer(DriverContext* context);
// 1 when the server's device-mode (of exactly the driver's total device-mode size) was
// copied into buffer, which holds at least GetTotalDevmodeSize() bytes; the server type goes
// to *serverType (when not null) whenever the server answered it.
BOOL GetServerDevmode(DriverContext* context, BYTE* buffer, BYTE* serverType);

// One operation's binding of the connector (defined with the connector).
struct ConfigServerSession;
struct WorkArea;

// The interface library's file name in the driver directory, handed to the connector for
// the server's device-mode.
constexpr WCHAR kInterfaceLibrary[] = u"Panelis.dll";

// The printer's display name without the characters '"' '*' '/' '<' '>' '?' '\' '|'; FALSE
// (and empty) when there is none or it does not fit 259 characters.
BOOL GetSanitisedPrinterName(DriverContext* context, WCHAR* buffer, DWORD capacity);
// The printer's server folder (the settings root, "\" and the sanitised name) and the copy of
// the per-printer INI fetched into it; FALSE (and empty) when the path does not fit.
BOOL GetServerFolder(DriverContext* context, WCHAR* buffer, DWORD capacity);
BOOL GetServerFolderIni(DriverContext* context, WCHAR* buffer, DWORD capacity);
// The server's name of the printer, asked without connecting; FALSE when the connector
// cannot be bound or names none.
BOOL GetServerPrinterName(DriverContext* context, WCHAR* buffer, DWORD capacity);
// Runs the fetched files' handlers on their copies in the printer's server folder. 1, or 0
// when the folder's path does not fit.
int RunServerFileHandlersInServerFolder(DriverContext* context, const WCHAR* serverPrinter);

// One file from the server: the connector's size first; a non-empty file is copied, an
// empty Fennicb.ini empties the local copy, any other empty file is left. TRUE on success.
BOOL CopyServerFile(ConfigServerSession* session, const WCHAR* source, const WCHAR* destination,
                    const WCHAR* fileName);
// The server's Fennicb.ini, the per-printer INI and the preset and quality files its lists
// name into the printer's server folder; TRUE when every copy succeeded.
BOOL CopyServerPrinterFiles(ConfigServerSession* session, DriverContext* context);
// The handler of a fetched Fennicb.ini: the section of the server's printer, when it has a
// "BidiFlag", becomes the local printer's cache (and the presets are to be refreshed);
// otherwise the local section is deleted. 1.
int ApplyServerBidiCache(const WCHAR* path, const WCHAR* serverPrinter, DriverContext* context);

// The context's display name is another one while this lives, and its own again after.
class ScopedDisplayName {
 public:
  ScopedDisplayName(DriverContext* context, const WCHAR* name);
  ~ScopedDisplayName();
  ScopedDisplayName(const ScopedDisplayName&) = delete;
  ScopedDisplayName& operator=(const ScopedDisplayName&) = delete;

 private:
  static constexpr int kSavedChars = 261;
  WorkArea* work_ = nullptr;
  WCHAR saved_[kSavedChars] = {};
};
