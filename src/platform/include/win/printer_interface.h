// What the spooler, the graphics engine and applications hand a printer interface DLL:
// document events, device-capability codes, the form-check record, the common
// property-sheet record and the printer-event codes.
//
// Our own declarations, written from the documented interface; sizes follow the 64-bit
// layout of the same records.
#pragma once

// Exported by the platform library (built with hidden visibility otherwise).
#pragma GCC visibility push(default)

#include <cstddef>

#include "win/devmode.h"
#include "win/types.h"

// Window handles (declared alike wherever windows are declared).
struct HWND__;
using HWND = HWND__*;

// ---- document events (DrvDocumentEvent) ----------------------------------------------------
constexpr int DOCUMENTEVENT_CREATEDCPRE = 1;
constexpr int DOCUMENTEVENT_CREATEDCPOST = 2;
constexpr int DOCUMENTEVENT_RESETDCPRE = 3;
constexpr int DOCUMENTEVENT_RESETDCPOST = 4;
constexpr int DOCUMENTEVENT_STARTDOC = 5;
constexpr int DOCUMENTEVENT_STARTPAGE = 6;
constexpr int DOCUMENTEVENT_ENDPAGE = 7;
constexpr int DOCUMENTEVENT_ENDDOC = 8;
constexpr int DOCUMENTEVENT_ABORTDOC = 9;
constexpr int DOCUMENTEVENT_DELETEDC = 10;
constexpr int DOCUMENTEVENT_ESCAPE = 11;
constexpr int DOCUMENTEVENT_ENDDOCPOST = 12;
constexpr int DOCUMENTEVENT_STARTDOCPOST = 13;
constexpr int DOCUMENTEVENT_FAILURE = -1;
constexpr int DOCUMENTEVENT_UNSUPPORTED = 0;
constexpr int DOCUMENTEVENT_SUCCESS = 1;

// ---- device capabilities (DrvDeviceCapabilities, DeviceCapabilitiesW) ----------------------
constexpr WORD DC_FIELDS = 1;
constexpr WORD DC_PAPERS = 2;
constexpr WORD DC_PAPERSIZE = 3;
constexpr WORD DC_MINEXTENT = 4;
constexpr WORD DC_MAXEXTENT = 5;
constexpr WORD DC_BINS = 6;
constexpr WORD DC_DUPLEX = 7;
constexpr WORD DC_SIZE = 8;
constexpr WORD DC_EXTRA = 9;
constexpr WORD DC_VERSION = 10;
constexpr WORD DC_DRIVER = 11;
constexpr WORD DC_BINNAMES = 12;
constexpr WORD DC_ENUMRESOLUTIONS = 13;
constexpr WORD DC_FILEDEPENDENCIES = 14;
constexpr WORD DC_TRUETYPE = 15;
constexpr WORD DC_PAPERNAMES = 16;
constexpr WORD DC_ORIENTATION = 17;
constexpr WORD DC_COPIES = 18;
constexpr WORD DC_BINADJUST = 19;
constexpr WORD DC_EMF_COMPLIANT = 20;
constexpr WORD DC_DATATYPE_PRODUCED = 21;
constexpr WORD DC_COLLATE = 22;
constexpr WORD DC_MANUFACTURER = 23;
constexpr WORD DC_MODEL = 24;
constexpr WORD DC_PERSONALITY = 25;
constexpr WORD DC_PRINTRATE = 26;
constexpr WORD DC_PRINTRATEUNIT = 27;
constexpr WORD DC_PRINTERMEM = 28;
constexpr WORD DC_MEDIAREADY = 29;
constexpr WORD DC_STAPLE = 30;
constexpr WORD DC_PRINTRATEPPM = 31;
constexpr WORD DC_COLORDEVICE = 32;
constexpr WORD DC_NUP = 33;

constexpr DWORD DCTT_BITMAP = 0x1;
constexpr DWORD DCTT_DOWNLOAD = 0x2;
constexpr DWORD DCTT_SUBDEV = 0x4;
constexpr DWORD PRINTRATEUNIT_PPM = 1;

// ---- form check and property-sheet records -------------------------------------------------
// DEVQUERYPRINT_INFO, PROPSHEETUI_INFO, DOCUMENTPROPERTYHEADER, DEVICEPROPERTYHEADER and the
// PROPSHEETUI_REASON_* values are those of the common property-sheet host.
#include "win/compstui.h"
static_assert(offsetof(DEVQUERYPRINT_INFO, hPrinter) == 8 && offsetof(DEVQUERYPRINT_INFO, pszErrorStr) == 24 &&
              offsetof(DEVQUERYPRINT_INFO, cchNeeded) == 36);

// ---- printer events (DrvPrinterEvent) and driver upgrade (DrvUpgradePrinter) -----------------
constexpr int PRINTER_EVENT_CONFIGURATION_CHANGE = 0;
constexpr int PRINTER_EVENT_ADD_CONNECTION = 1;
constexpr int PRINTER_EVENT_DELETE_CONNECTION = 2;
constexpr int PRINTER_EVENT_INITIALIZE = 3;
constexpr int PRINTER_EVENT_DELETE = 4;
constexpr int PRINTER_EVENT_CACHE_REFRESH = 5;
constexpr int PRINTER_EVENT_CACHE_DELETE = 6;
constexpr int PRINTER_EVENT_ATTRIBUTES_CHANGED = 7;

struct DRIVER_UPGRADE_INFO_1W {
  LPWSTR pPrinterName;
  LPWSTR pOldDriverDirectory;
};

// fMode of DrvDocumentProperties (DocumentPropertiesW): the DM_UPDATE, DM_COPY, DM_PROMPT
// and DM_MODIFY bits of win/compstui.h.

#pragma GCC visibility pop
