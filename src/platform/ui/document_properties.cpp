// DocumentPropertiesW: the spooler asks the printer's interface library (the driver's
// configuration file) for the printer's device-mode through its DrvDocumentPropertySheets,
// called without a property-sheet record and with a DOCUMENTPROPERTYHEADER.
#include <string>
#include <vector>

#include "win/compstui.h"
#include "win/errors.h"
#include "win/kernel.h"
#include "win/loader.h"
#include "win/spool.h"

namespace {

using DocumentSheetsProc = LONG(WINAPI*)(PROPSHEETUI_INFO* info, LPARAM lParam);

// The printer's configuration file from its driver record, or empty.
std::u16string ConfigFileOf(HANDLE printer) {
  DWORD needed = 0;
  GetPrinterDriverW(printer, nullptr, 3, nullptr, 0, &needed);
  if (needed < sizeof(DRIVER_INFO_3W)) return {};
  std::vector<BYTE> bytes(needed);
  if (!GetPrinterDriverW(printer, nullptr, 3, bytes.data(), needed, &needed)) return {};
  const auto* info = reinterpret_cast<const DRIVER_INFO_3W*>(bytes.data());
  return info->pConfigFile ? std::u16string(info->pConfigFile) : std::u16string();
}

}  // namespace

extern "C" {

LONG WINAPI DocumentPropertiesW(HWND, HANDLE hPrinter, LPWSTR pDeviceName, DEVMODEW* pDevModeOutput,
                                DEVMODEW* pDevModeInput, DWORD fMode) {
  if (!hPrinter) {
    SetLastError(ERROR_INVALID_HANDLE);
    return -1;
  }
  const std::u16string config = ConfigFileOf(hPrinter);
  if (config.empty()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return -1;
  }
  HMODULE library = LoadLibraryW(config.c_str());
  if (!library) return -1;
  auto sheets = ProcCast<DocumentSheetsProc>(GetProcAddress(library, "DrvDocumentPropertySheets"));
  if (!sheets) {
    FreeLibrary(library);
    SetLastError(ERROR_PROC_NOT_FOUND);
    return -1;
  }
  DOCUMENTPROPERTYHEADER header{};
  header.cbSize = sizeof header;
  header.hPrinter = hPrinter;
  header.pszPrinterName = pDeviceName;
  header.pdmIn = pDevModeInput;
  header.pdmOut = nullptr;
  header.fMode = 0;
  // The size first: an output buffer is filled only with the size the library asked for.
  LONG answer = sheets(nullptr, reinterpret_cast<LPARAM>(&header));
  const DWORD size = header.cbOut;
  if (answer > 0 && fMode != 0) {
    header.pdmOut = (fMode & DM_OUT_BUFFER) ? pDevModeOutput : nullptr;
    header.cbOut = header.pdmOut ? size : 0;
    header.fMode = fMode;
    answer = sheets(nullptr, reinterpret_cast<LPARAM>(&header));
    answer = answer > 0 ? 1 : -1;  // IDOK
  } else if (answer > 0) {
    answer = size ? static_cast<LONG>(size) : answer;
  } else {
    answer = -1;
  }
  FreeLibrary(library);
  return answer;
}

}  // extern "C"
