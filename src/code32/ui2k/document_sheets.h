// Document property sheets and document properties: the sheet's context from INIT to
// DESTROY through the common property-sheet host, and the same requests without a sheet.
#pragma once

#include "win/compstui.h"
#include "win/devmode.h"
#include "win/printer_interface.h"
#include "win/spool.h"
#include "win/types.h"

struct DriverContext;

// A device-mode that fails the size or version tests is reset to the defaults; an older
// one that passes the loose test is upgraded.
void CheckAndRepairDevmode(DriverContext* context);
// Runs the common property-sheet host with a sheet function. The host's answer, or -1 when
// the library or its function is missing. Only the host writes *result: without it the
// caller's preset value stays.
LONG RunCommonPropertySheet(HWND window, PFNPROPSHEETUI callback, LPARAM lParam, DWORD* result);
// Adds a page for every page of the context whose flags share a bit with the mask and whose
// option is not disabled; the number added.
int AddPropertyPages(DriverContext* context, DWORD mask);
// The two callback reasons both sheets answer alike: the sheet's header (no Apply button,
// the printer's name as the title, the driver's sheet icon) and the host's result. Each
// answers 1.
LONG AnswerSheetInfoHeader(LPARAM lParam, LPWSTR printerName);
LONG StoreSheetResult(PROPSHEETUI_INFO* info, LPARAM lParam);
LONG DocumentPropertiesNoSheet(DOCUMENTPROPERTYHEADER* header, const PRINTER_INFO_2W* printerInfo,
                               const DRIVER_INFO_3W* driverInfo, int renamed);
LONG RequestDocumentProperties(HWND window, HANDLE printer, LPCWSTR deviceName, DEVMODEW* output,
                               const DEVMODEW* input, DWORD mode, const PRINTER_INFO_2W* printerInfo,
                               const DRIVER_INFO_3W* driverInfo);
