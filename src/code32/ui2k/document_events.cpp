#include "document_events.h"

#include "base/memory.h"
#include "base/paths_and_names.h"
#include "base/spooler_info.h"
#include "base/system_checks.h"
#include "entry_frame.h"
#include "install_check.h"
#include "renderer_strings.h"
#include "stored/lock_data.h"
#include "win/printer_interface.h"
#include "win/profile.h"

namespace {

// The common model INI and the printer's section in it; false when either cannot be had.
bool PrinterIniSection(HANDLE printer, WCHAR* ini, WCHAR* section) {
  auto* info = static_cast<PRINTER_INFO_2W*>(GetPrinterInfoForJobControl(printer, 2));
  if (!info || !info->pPrinterName) {
    FreeMem(info);
    return false;
  }
  bool ok = GetIniPathInSettingsDir(ini, 0, 0, printer) != 0 && ini[0];
  if (ok) {
    lstrcpynW(section, info->pPrinterName, 261);
    if (IsNt6OrLater() && info->pServerName && info->pServerName[0]) {
      WCHAR normalised[261] = {};
      if (GetPrinterNameCopyFor(printer, normalised, 261, info) && normalised[0]) lstrcpynW(section, normalised, 261);
    }
  }
  FreeMem(info);
  return ok;
}

// STARTDOC and STARTPAGE: the entry frame around the install-state check (its answer does
// not stop the document) and, at STARTDOC, the renderer's strings and the authentication.
void RunDocumentFrame(HANDLE printer, HDC dc, bool startDoc) {
  EntryFrame frame;
  frame.Begin(printer, false);
  CheckPendingInstallWork(printer, 1, frame.printerInfo(), frame.driverInfo());
  if (startDoc) {
    SendStringsToRenderer(printer, dc);
    if (!IsPrnMethodDirect(printer) && ReadApiUseFlag(printer) == 0) {
      DWORD mode = 0;
      if (ReadAuthenticationMode(printer, &mode) && mode != 0) RunJobControlForDocument(printer);
    }
  }
  frame.End();
}

}  // namespace

BOOL IsPrnMethodDirect(HANDLE printer) {
  WCHAR ini[MAX_PATH] = {};
  WCHAR section[261] = {};
  if (!PrinterIniSection(printer, ini, section)) return FALSE;
  WCHAR method[261] = {};
  GetPrivateProfileStringW(section, u"PrnMethod", u"", method, 261, ini);
  return method[0] == u'5' || method[0] == u'7';
}

int ReadApiUseFlag(HANDLE printer) {
  WCHAR ini[MAX_PATH] = {};
  WCHAR section[261] = {};
  if (!PrinterIniSection(printer, ini, section)) return 0;
  return static_cast<int>(GetPrivateProfileIntW(section, u"APIUseFlag", 0, ini));
}

int DoDocumentEvent(HANDLE printer, HDC dc, ULONG event, ULONG, PVOID, ULONG, PVOID) {
  switch (static_cast<int>(event & 0xFFFF)) {
    case DOCUMENTEVENT_CREATEDCPRE:
    case DOCUMENTEVENT_CREATEDCPOST:
    case DOCUMENTEVENT_STARTDOCPOST:
      return DOCUMENTEVENT_SUCCESS;
    case DOCUMENTEVENT_STARTDOC:
      RunDocumentFrame(printer, dc, true);
      return DOCUMENTEVENT_SUCCESS;
    case DOCUMENTEVENT_STARTPAGE:
      RunDocumentFrame(printer, dc, false);
      return DOCUMENTEVENT_SUCCESS;
    default:
      return DOCUMENTEVENT_UNSUPPORTED;
  }
}
