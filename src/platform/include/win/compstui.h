// The common property-sheet host that printer drivers plug their pages into, and the
// records the spooler hands a driver's sheet functions.
//
// Our own declarations, written from the documented behaviour. The host is a library of
// its own, "compstui.dll", found by LoadLibraryW by its Windows name; drivers reach
// CommonPropertySheetUIW through GetProcAddress.
#pragma once

// Exported by the platform library (built with hidden visibility otherwise).
#pragma GCC visibility push(default)

#include "win/devmode.h"
#include "win/prsht.h"
#include "win/window.h"

using PFNCOMPROPSHEET = LONG_PTR (*)(HANDLE hComPropSheet, UINT Function, LPARAM lParam1, LPARAM lParam2);

struct PROPSHEETUI_INFO {
  WORD cbSize;
  WORD Version;
  WORD Flags;
  WORD Reason;
  HANDLE hComPropSheet;
  PFNCOMPROPSHEET pfnComPropSheet;
  LPARAM lParamInit;
  ULONG_PTR UserData;
  ULONG_PTR Result;
};
using PPROPSHEETUI_INFO = PROPSHEETUI_INFO*;
using PFNPROPSHEETUI = LONG (*)(PPROPSHEETUI_INFO pPSUIInfo, LPARAM lParam);

struct PROPSHEETUI_INFO_HEADER {
  WORD cbSize;
  WORD Flags;
  LPWSTR pTitle;
  HWND hWndParent;
  HINSTANCE hInst;
  union {
    HICON hIcon;
    ULONG_PTR IconID;
  };
};
using PPROPSHEETUI_INFO_HEADER = PROPSHEETUI_INFO_HEADER*;

struct PROPSHEETUI_GETICON_INFO {
  WORD cbSize;
  WORD Flags;
  WORD cxIcon;
  WORD cyIcon;
  HICON hIcon;
};

struct SETRESULT_INFO {
  WORD cbSize;
  WORD wReserved;
  HANDLE hSetResult;
  LRESULT Result;
};
using PSETRESULT_INFO = SETRESULT_INFO*;

// What the spooler hands DrvDocumentPropertySheets (lParamInit) ...
struct DOCUMENTPROPERTYHEADER {
  WORD cbSize;
  WORD Reserved;
  HANDLE hPrinter;
  LPWSTR pszPrinterName;
  DEVMODEW* pdmIn;
  DEVMODEW* pdmOut;
  DWORD cbOut;
  DWORD fMode;
};
using PDOCUMENTPROPERTYHEADER = DOCUMENTPROPERTYHEADER*;

// ... DrvDevicePropertySheets ...
struct DEVICEPROPERTYHEADER {
  WORD cbSize;
  WORD Flags;
  HANDLE hPrinter;
  LPWSTR pszPrinterName;
};
using PDEVICEPROPERTYHEADER = DEVICEPROPERTYHEADER*;
constexpr WORD DPS_NOPERMISSION = 0x0001;

// ... and DevQueryPrintEx.
struct DEVQUERYPRINT_INFO {
  WORD cbSize;
  WORD Level;
  HANDLE hPrinter;
  DEVMODEW* pDevMode;
  LPWSTR pszErrorStr;
  DWORD cchErrorStr;
  DWORD cchNeeded;
};
using PDEVQUERYPRINT_INFO = DEVQUERYPRINT_INFO*;

constexpr WORD PROPSHEETUI_INFO_VERSION = 0x0100;
constexpr WORD PROPSHEETUI_REASON_INIT = 0;
constexpr WORD PROPSHEETUI_REASON_GET_INFO_HEADER = 1;
constexpr WORD PROPSHEETUI_REASON_DESTROY = 2;
constexpr WORD PROPSHEETUI_REASON_SET_RESULT = 3;
constexpr WORD PROPSHEETUI_REASON_GET_ICON = 4;

constexpr WORD PSUIHDRF_OBSOLETE = 0x0001;
constexpr WORD PSUIHDRF_NOAPPLYNOW = 0x0002;
constexpr WORD PSUIHDRF_PROPTITLE = 0x0004;
constexpr WORD PSUIHDRF_USEHICON = 0x0008;
constexpr WORD PSUIHDRF_DEFTITLE = 0x0010;
constexpr WORD PSUIHDRF_EXACT_PTITLE = 0x0020;

constexpr UINT CPSFUNC_ADD_HPROPSHEETPAGE = 0;
constexpr UINT CPSFUNC_ADD_PROPSHEETPAGEW = 1;
constexpr UINT CPSFUNC_ADD_PFNPROPSHEETUIW = 5;
constexpr UINT CPSFUNC_DELETE_HCOMPROPSHEET = 6;
constexpr UINT CPSFUNC_GET_PAGECOUNT = 8;
constexpr UINT CPSFUNC_SET_RESULT = 9;

constexpr LONG CPSUI_CANCEL = 0;
constexpr LONG CPSUI_OK = 1;
constexpr LONG ERR_CPSUI_GETLASTERROR = -1;

// The fMode bits of DOCUMENTPROPERTYHEADER (DM_xxx of DocumentPropertiesW).
constexpr DWORD DM_UPDATE = 1;
constexpr DWORD DM_COPY = 2;
constexpr DWORD DM_PROMPT = 4;
constexpr DWORD DM_MODIFY = 8;
constexpr DWORD DM_IN_BUFFER = DM_MODIFY;
constexpr DWORD DM_IN_PROMPT = DM_PROMPT;
constexpr DWORD DM_OUT_BUFFER = DM_COPY;

using PFNCOMMONPROPERTYSHEETUIW = LONG (*)(HWND hWndOwner, PFNPROPSHEETUI pfnPropSheetUI, LPARAM lParam,
                                           LPDWORD pResult);

extern "C" {
// The host's entry (compstui.dll): INIT of pfnPropSheetUI (which adds pages and further
// sheet functions through pfnComPropSheet), GET_INFO_HEADER, GET_ICON when the header
// names no icon, the sheet, SET_RESULT to the adding function whenever a function reports
// a result, DESTROY (added functions first; lParam 1 after OK). *pResult receives the
// Result of pfnPropSheetUI's PROPSHEETUI_INFO. Answers CPSUI_OK, CPSUI_CANCEL, or
// ERR_CPSUI_GETLASTERROR (a failed INIT, no pages).
KOVA_EXPORT LONG WINAPI CommonPropertySheetUIW(HWND hWndOwner, PFNPROPSHEETUI pfnPropSheetUI, LPARAM lParam,
                                               LPDWORD pResult);
}  // extern "C"

#pragma GCC visibility pop
