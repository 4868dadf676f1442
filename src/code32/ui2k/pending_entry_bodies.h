// The bodies of Panelis' exports for the property sheets (document_sheets.cpp,
// device_sheets.cpp), and of those whose work comes with the device-mode conversion and the
// printer events, which enter the common entry frame and answer as a failure of their work
// (see the .cpp).
#pragma once

#include "win/devmode.h"
#include "win/printer_interface.h"
#include "win/spool.h"
#include "win/types.h"

LONG DoDevicePropertySheets(PROPSHEETUI_INFO* info, LPARAM lParam);
LONG DoDocumentPropertySheets(PROPSHEETUI_INFO* info, LPARAM lParam);
BOOL DoConvertDevMode(LPCWSTR printerName, const DEVMODEW* input, DEVMODEW* output, LONG* size, DWORD mode);
BOOL DoUpgradePrinter(DWORD level, LPBYTE data);
BOOL DoPrinterEvent(LPCWSTR printerName, int event, DWORD flags, LPARAM lParam);
LONG DoDocumentProperties(HWND window, HANDLE printer, LPCWSTR deviceName, DEVMODEW* output, const DEVMODEW* input,
                          DWORD mode);
LONG DoAdvancedDocumentProperties(HWND window, HANDLE printer, LPCWSTR deviceName, DEVMODEW* output,
                                  const DEVMODEW* input);
BOOL DoPrinterProperties(HWND window, HANDLE printer);

// The size of the driver's whole device-mode, the answer of a size query.
constexpr LONG kWholeDevmodeSize = 1236;
