// The bodies of Panelis' exports for the property sheets (document_sheets.cpp,
// device_sheets.cpp).
#pragma once

#include "win/devmode.h"
#include "win/printer_interface.h"
#include "win/spool.h"
#include "win/types.h"

LONG DoDevicePropertySheets(PROPSHEETUI_INFO* info, LPARAM lParam);
LONG DoDocumentPropertySheets(PROPSHEETUI_INFO* info, LPARAM lParam);
LONG DoDocumentProperties(HWND window, HANDLE printer, LPCWSTR deviceName, DEVMODEW* output, const DEVMODEW* input,
                          DWORD mode);
LONG DoAdvancedDocumentProperties(HWND window, HANDLE printer, LPCWSTR deviceName, DEVMODEW* output,
                                  const DEVMODEW* input);
BOOL DoPrinterProperties(HWND window, HANDLE printer);

// The size of the driver's whole device-mode, the answer of a size query.
constexpr LONG kWholeDevmodeSize = 1236;
