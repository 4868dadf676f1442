// Property sheets and their pages.
//
// Our own declarations, written from the documented behaviour of PropertySheetW and
// CreatePropertySheetPageW. Record sizes are the 64-bit sizeof: callers set dwSize from
// sizeof, never from a 32-bit size.
#pragma once

// Exported by the platform library (built with hidden visibility otherwise).
#pragma GCC visibility push(default)

#include "win/window.h"

struct _PSP;
using HPROPSHEETPAGE = _PSP*;
struct PROPSHEETPAGEW;
using LPFNPSPCALLBACKW = UINT (*)(HWND hwnd, UINT uMsg, PROPSHEETPAGEW* ppsp);
using PFNPROPSHEETCALLBACK = int (*)(HWND, UINT, LPARAM);

struct PROPSHEETPAGEW {
  DWORD dwSize;
  DWORD dwFlags;
  HINSTANCE hInstance;
  union {
    LPCWSTR pszTemplate;
    const DLGTEMPLATE* pResource;
  };
  union {
    HICON hIcon;
    LPCWSTR pszIcon;
  };
  LPCWSTR pszTitle;
  DLGPROC pfnDlgProc;
  LPARAM lParam;
  LPFNPSPCALLBACKW pfnCallback;
  UINT* pcRefParent;
  LPCWSTR pszHeaderTitle;
  LPCWSTR pszHeaderSubTitle;
  HANDLE hActCtx;
};
using LPPROPSHEETPAGEW = PROPSHEETPAGEW*;
using LPCPROPSHEETPAGEW = const PROPSHEETPAGEW*;

struct PROPSHEETHEADERW {
  DWORD dwSize;
  DWORD dwFlags;
  HWND hwndParent;
  HINSTANCE hInstance;
  union {
    HICON hIcon;
    LPCWSTR pszIcon;
  };
  LPCWSTR pszCaption;
  UINT nPages;
  union {
    UINT nStartPage;
    LPCWSTR pStartPage;
  };
  union {
    LPCPROPSHEETPAGEW ppsp;
    HPROPSHEETPAGE* phpage;
  };
  PFNPROPSHEETCALLBACK pfnCallback;
  union {
    HBITMAP hbmWatermark;
    LPCWSTR pszbmWatermark;
  };
  HPALETTE hplWatermark;
  union {
    HBITMAP hbmHeader;
    LPCWSTR pszbmHeader;
  };
};
using LPPROPSHEETHEADERW = PROPSHEETHEADERW*;
using LPCPROPSHEETHEADERW = const PROPSHEETHEADERW*;

struct PSHNOTIFY {
  NMHDR hdr;
  LPARAM lParam;
};
using LPPSHNOTIFY = PSHNOTIFY*;

// Page flags.
constexpr DWORD PSP_DEFAULT = 0x0000;
constexpr DWORD PSP_DLGINDIRECT = 0x0001;
constexpr DWORD PSP_USEHICON = 0x0002;
constexpr DWORD PSP_USEICONID = 0x0004;
constexpr DWORD PSP_USETITLE = 0x0008;
constexpr DWORD PSP_RTLREADING = 0x0010;
constexpr DWORD PSP_HASHELP = 0x0020;
constexpr DWORD PSP_USEREFPARENT = 0x0040;
constexpr DWORD PSP_USECALLBACK = 0x0080;
constexpr DWORD PSP_PREMATURE = 0x0400;
constexpr UINT PSPCB_ADDREF = 0;
constexpr UINT PSPCB_RELEASE = 1;
constexpr UINT PSPCB_CREATE = 2;

// Sheet flags.
constexpr DWORD PSH_DEFAULT = 0x00000000;
constexpr DWORD PSH_PROPTITLE = 0x00000001;
constexpr DWORD PSH_USEHICON = 0x00000002;
constexpr DWORD PSH_USEICONID = 0x00000004;
constexpr DWORD PSH_PROPSHEETPAGE = 0x00000008;
constexpr DWORD PSH_WIZARD = 0x00000020;
constexpr DWORD PSH_USEPSTARTPAGE = 0x00000040;
constexpr DWORD PSH_NOAPPLYNOW = 0x00000080;
constexpr DWORD PSH_USECALLBACK = 0x00000100;
constexpr DWORD PSH_HASHELP = 0x00000200;
constexpr DWORD PSH_MODELESS = 0x00000400;
constexpr DWORD PSH_NOCONTEXTHELP = 0x02000000;
constexpr UINT PSCB_INITIALIZED = 1;
constexpr UINT PSCB_PRECREATE = 2;

// Notifications to pages (WM_NOTIFY with a PSHNOTIFY).
constexpr UINT PSN_FIRST = 0u - 200u;
constexpr UINT PSN_SETACTIVE = PSN_FIRST - 0;
constexpr UINT PSN_KILLACTIVE = PSN_FIRST - 1;
constexpr UINT PSN_APPLY = PSN_FIRST - 2;
constexpr UINT PSN_RESET = PSN_FIRST - 3;
constexpr UINT PSN_HELP = PSN_FIRST - 5;
constexpr UINT PSN_QUERYCANCEL = PSN_FIRST - 9;
constexpr LRESULT PSNRET_NOERROR = 0;
constexpr LRESULT PSNRET_INVALID = 1;
constexpr LRESULT PSNRET_INVALID_NOCHANGEPAGE = 2;

// Messages to the sheet.
constexpr UINT PSM_SETCURSEL = WM_USER + 101;
constexpr UINT PSM_REMOVEPAGE = WM_USER + 102;
constexpr UINT PSM_ADDPAGE = WM_USER + 103;
constexpr UINT PSM_CHANGED = WM_USER + 104;
constexpr UINT PSM_RESTARTWINDOWS = WM_USER + 105;
constexpr UINT PSM_REBOOTSYSTEM = WM_USER + 106;
constexpr UINT PSM_CANCELTOCLOSE = WM_USER + 107;
constexpr UINT PSM_QUERYSIBLINGS = WM_USER + 108;
constexpr UINT PSM_UNCHANGED = WM_USER + 109;
constexpr UINT PSM_APPLY = WM_USER + 110;
constexpr UINT PSM_SETTITLEW = WM_USER + 120;
constexpr UINT PSM_PRESSBUTTON = WM_USER + 113;
constexpr UINT PSM_SETCURSELID = WM_USER + 114;
constexpr UINT PSM_GETTABCONTROL = WM_USER + 116;
constexpr UINT PSM_GETCURRENTPAGEHWND = WM_USER + 118;
constexpr UINT PSM_INDEXTOPAGE = WM_USER + 126;
constexpr UINT PSM_PAGETOINDEX = WM_USER + 130;
constexpr UINT PSM_HWNDTOINDEX = WM_USER + 129;
constexpr UINT PSM_INDEXTOID = WM_USER + 134;
constexpr UINT PSM_GETRESULT = WM_USER + 135;

constexpr int PSBTN_BACK = 0;
constexpr int PSBTN_NEXT = 1;
constexpr int PSBTN_FINISH = 2;
constexpr int PSBTN_OK = 3;
constexpr int PSBTN_APPLYNOW = 4;
constexpr int PSBTN_CANCEL = 5;
constexpr int PSBTN_HELP = 6;

// The sheet's own buttons.
constexpr int ID_APPLY_NOW = 0x3021;
constexpr int IDC_SHEET_TAB = 0x3020;
constexpr int ID_PSRESTARTWINDOWS = 0x2;
constexpr int ID_PSREBOOTSYSTEM = 0x3;

extern "C" {
KOVA_EXPORT HPROPSHEETPAGE WINAPI CreatePropertySheetPageW(LPCPROPSHEETPAGEW constPropSheetPagePointer);
KOVA_EXPORT BOOL WINAPI DestroyPropertySheetPage(HPROPSHEETPAGE hPage);
// A modal sheet: pages are created when first shown. The answer is 1 or more when a page
// applied changes (OK or Apply), 0 when none did, -1 on an error; a modeless sheet
// (PSH_MODELESS) answers its window.
KOVA_EXPORT INT_PTR WINAPI PropertySheetW(LPCPROPSHEETHEADERW header);
}  // extern "C"

// Sends to a sheet as the documented macros do.
inline BOOL PropSheet_SetCurSel(HWND sheet, HPROPSHEETPAGE page, int index) {
  return static_cast<BOOL>(SendMessageW(sheet, PSM_SETCURSEL, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(page)));
}
inline void PropSheet_Changed(HWND sheet, HWND page) {
  SendMessageW(sheet, PSM_CHANGED, reinterpret_cast<WPARAM>(page), 0);
}
inline void PropSheet_UnChanged(HWND sheet, HWND page) {
  SendMessageW(sheet, PSM_UNCHANGED, reinterpret_cast<WPARAM>(page), 0);
}
inline void PropSheet_PressButton(HWND sheet, int button) { PostMessageW(sheet, PSM_PRESSBUTTON, static_cast<WPARAM>(button), 0); }
inline HWND PropSheet_GetCurrentPageHwnd(HWND sheet) {
  return reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}

// The version of the common controls library (its DllGetVersion export, found through
// GetProcAddress of "comctl32.dll"): 6.0 here.
struct DLLVERSIONINFO {
  DWORD cbSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformID;
};
using DLLGETVERSIONPROC = HRESULT (*)(DLLVERSIONINFO*);

#pragma GCC visibility pop
