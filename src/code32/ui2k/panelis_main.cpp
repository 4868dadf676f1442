// The twelve exports of Panelis.so. Each forwards its arguments unchanged, in the same
// order, to the body of the same role.
#include "device_capabilities.h"
#include "document_events.h"
#include "entry_frame.h"
#include "form_check.h"
#include "sheet_entry_bodies.h"
#include "printer_lifecycle.h"
#include "win/printer_interface.h"

KOVA_EXPORT BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved) {
  return DoDllMain(module, reason, reserved);
}

KOVA_EXPORT LONG WINAPI DrvDevicePropertySheets(PPROPSHEETUI_INFO info, LPARAM lParam) {
  return DoDevicePropertySheets(info, lParam);
}

KOVA_EXPORT int WINAPI DrvDocumentEvent(HANDLE printer, HDC dc, int event, ULONG inputSize, PVOID input,
                                        ULONG outputSize, PVOID output) {
  return DoDocumentEvent(printer, dc, static_cast<ULONG>(event), inputSize, input, outputSize, output);
}

KOVA_EXPORT LONG WINAPI DrvDocumentPropertySheets(PPROPSHEETUI_INFO info, LPARAM lParam) {
  return DoDocumentPropertySheets(info, lParam);
}

KOVA_EXPORT BOOL WINAPI DrvConvertDevMode(LPWSTR printerName, PDEVMODEW input, PDEVMODEW output, PLONG size,
                                          DWORD mode) {
  return DoConvertDevMode(printerName, input, output, size, mode);
}

KOVA_EXPORT BOOL WINAPI DevQueryPrintEx(PDEVQUERYPRINT_INFO info) { return DoDevQueryPrintEx(info); }

KOVA_EXPORT BOOL WINAPI DrvUpgradePrinter(DWORD level, LPBYTE data) { return DoUpgradePrinter(level, data); }

KOVA_EXPORT BOOL WINAPI DrvPrinterEvent(LPWSTR printerName, int event, DWORD flags, LPARAM lParam) {
  return DoPrinterEvent(printerName, event, flags, lParam);
}

KOVA_EXPORT DWORD WINAPI DrvDeviceCapabilities(HANDLE printer, LPWSTR deviceName, WORD capability, PVOID output,
                                               PDEVMODEW devmode) {
  return DoDeviceCapabilities(printer, deviceName, capability, static_cast<LPWSTR>(output), devmode);
}

KOVA_EXPORT LONG WINAPI DrvDocumentProperties(HWND window, HANDLE printer, LPWSTR deviceName, PDEVMODEW output,
                                              PDEVMODEW input, DWORD mode) {
  return DoDocumentProperties(window, printer, deviceName, output, input, mode);
}

KOVA_EXPORT LONG WINAPI DrvAdvancedDocumentProperties(HWND window, HANDLE printer, LPWSTR deviceName,
                                                      PDEVMODEW output, PDEVMODEW input) {
  return DoAdvancedDocumentProperties(window, printer, deviceName, output, input);
}

KOVA_EXPORT BOOL WINAPI PrinterProperties(HWND window, HANDLE printer) { return DoPrinterProperties(window, printer); }
