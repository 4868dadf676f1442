// Windows, messages, dialogs and the message queue of the user interface.
//
// Our own declarations, written from the documented behaviour of the Windows calls of the
// same names. There is no screen: windows have handles, classes, styles, ids, text,
// rectangles and window procedures, and messages travel between them as Windows sends
// them. Tests and the host drive them through plat/ui_driver.h.
#pragma once

// Exported by the platform library (built with hidden visibility otherwise).
#pragma GCC visibility push(default)

#include "win/gdi.h"
#include "win/types.h"

struct HWND__;
using HWND = HWND__*;
struct HMENU__;
using HMENU = HMENU__*;
struct HICON__;
using HICON = HICON__*;
using HCURSOR = HICON;
struct HBRUSH__;
using HBRUSH = HBRUSH__*;
struct HFONT__;
using HFONT = HFONT__*;
struct HPEN__;
using HPEN = HPEN__*;
struct HRGN__;
using HRGN = HRGN__*;
using HGDIOBJ = void*;
using ATOM = WORD;

struct POINT {
  LONG x;
  LONG y;
};
using LPPOINT = POINT*;
struct SIZE {
  LONG cx;
  LONG cy;
};
using LPSIZE = SIZE*;
struct RECT {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
};
using LPRECT = RECT*;
using LPCRECT = const RECT*;

using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);
using DLGPROC = INT_PTR (*)(HWND, UINT, WPARAM, LPARAM);
using TIMERPROC = void (*)(HWND, UINT, UINT_PTR, DWORD);
using WNDENUMPROC = BOOL (*)(HWND, LPARAM);

struct MSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;
  POINT pt;
};
using LPMSG = MSG*;

struct WNDCLASSW {
  UINT style;
  WNDPROC lpfnWndProc;
  int cbClsExtra;
  int cbWndExtra;
  HINSTANCE hInstance;
  HICON hIcon;
  HCURSOR hCursor;
  HBRUSH hbrBackground;
  LPCWSTR lpszMenuName;
  LPCWSTR lpszClassName;
};

struct WNDCLASSEXW {
  UINT cbSize;
  UINT style;
  WNDPROC lpfnWndProc;
  int cbClsExtra;
  int cbWndExtra;
  HINSTANCE hInstance;
  HICON hIcon;
  HCURSOR hCursor;
  HBRUSH hbrBackground;
  LPCWSTR lpszMenuName;
  LPCWSTR lpszClassName;
  HICON hIconSm;
};

struct CREATESTRUCTW {
  LPVOID lpCreateParams;
  HINSTANCE hInstance;
  HMENU hMenu;
  HWND hwndParent;
  int cy;
  int cx;
  int y;
  int x;
  LONG style;
  LPCWSTR lpszName;
  LPCWSTR lpszClass;
  DWORD dwExStyle;
};

// The header of every WM_NOTIFY.
struct NMHDR {
  HWND hwndFrom;
  UINT_PTR idFrom;
  UINT code;
};
using LPNMHDR = NMHDR*;

struct PAINTSTRUCT {
  HDC hdc;
  BOOL fErase;
  RECT rcPaint;
  BOOL fRestore;
  BOOL fIncUpdate;
  BYTE rgbReserved[32];
};

struct HELPINFO {
  UINT cbSize;
  int iContextType;
  int iCtrlId;
  HANDLE hItemHandle;
  DWORD_PTR dwContextId;
  POINT MousePos;
};
constexpr int HELPINFO_WINDOW = 1;

// ---- window styles ------------------------------------------------------------------------
constexpr DWORD WS_OVERLAPPED = 0x00000000;
constexpr DWORD WS_POPUP = 0x80000000;
constexpr DWORD WS_CHILD = 0x40000000;
constexpr DWORD WS_MINIMIZE = 0x20000000;
constexpr DWORD WS_VISIBLE = 0x10000000;
constexpr DWORD WS_DISABLED = 0x08000000;
constexpr DWORD WS_CLIPSIBLINGS = 0x04000000;
constexpr DWORD WS_CLIPCHILDREN = 0x02000000;
constexpr DWORD WS_MAXIMIZE = 0x01000000;
constexpr DWORD WS_CAPTION = 0x00C00000;
constexpr DWORD WS_BORDER = 0x00800000;
constexpr DWORD WS_DLGFRAME = 0x00400000;
constexpr DWORD WS_VSCROLL = 0x00200000;
constexpr DWORD WS_HSCROLL = 0x00100000;
constexpr DWORD WS_SYSMENU = 0x00080000;
constexpr DWORD WS_THICKFRAME = 0x00040000;
constexpr DWORD WS_GROUP = 0x00020000;
constexpr DWORD WS_TABSTOP = 0x00010000;
constexpr DWORD WS_MINIMIZEBOX = 0x00020000;
constexpr DWORD WS_MAXIMIZEBOX = 0x00010000;
constexpr DWORD WS_EX_DLGMODALFRAME = 0x00000001;
constexpr DWORD WS_EX_NOPARENTNOTIFY = 0x00000004;
constexpr DWORD WS_EX_TOPMOST = 0x00000008;
constexpr DWORD WS_EX_TRANSPARENT = 0x00000020;
constexpr DWORD WS_EX_CLIENTEDGE = 0x00000200;
constexpr DWORD WS_EX_STATICEDGE = 0x00020000;
constexpr DWORD WS_EX_CONTROLPARENT = 0x00010000;

// Dialog styles.
constexpr DWORD DS_ABSALIGN = 0x01;
constexpr DWORD DS_SYSMODAL = 0x02;
constexpr DWORD DS_LOCALEDIT = 0x20;
constexpr DWORD DS_SETFONT = 0x40;
constexpr DWORD DS_MODALFRAME = 0x80;
constexpr DWORD DS_NOIDLEMSG = 0x100;
constexpr DWORD DS_SETFOREGROUND = 0x200;
constexpr DWORD DS_3DLOOK = 0x0004;
constexpr DWORD DS_FIXEDSYS = 0x0008;
constexpr DWORD DS_NOFAILCREATE = 0x0010;
constexpr DWORD DS_CONTROL = 0x0400;
constexpr DWORD DS_CENTER = 0x0800;
constexpr DWORD DS_CENTERMOUSE = 0x1000;
constexpr DWORD DS_CONTEXTHELP = 0x2000;
constexpr DWORD DS_SHELLFONT = DS_SETFONT | DS_FIXEDSYS;

// ---- window words --------------------------------------------------------------------------
constexpr int GWLP_WNDPROC = -4;
constexpr int GWLP_HINSTANCE = -6;
constexpr int GWLP_HWNDPARENT = -8;
constexpr int GWLP_ID = -12;
constexpr int GWL_STYLE = -16;
constexpr int GWL_EXSTYLE = -20;
constexpr int GWLP_USERDATA = -21;
// Dialog words (the extra bytes of a dialog window, 64-bit layout).
constexpr int DWLP_MSGRESULT = 0;
constexpr int DWLP_DLGPROC = 8;
constexpr int DWLP_USER = 16;

// ---- messages --------------------------------------------------------------------------------
constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_CREATE = 0x0001;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_MOVE = 0x0003;
constexpr UINT WM_SIZE = 0x0005;
constexpr UINT WM_ACTIVATE = 0x0006;
constexpr UINT WM_SETFOCUS = 0x0007;
constexpr UINT WM_KILLFOCUS = 0x0008;
constexpr UINT WM_ENABLE = 0x000A;
constexpr UINT WM_SETREDRAW = 0x000B;
constexpr UINT WM_SETTEXT = 0x000C;
constexpr UINT WM_GETTEXT = 0x000D;
constexpr UINT WM_GETTEXTLENGTH = 0x000E;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_ERASEBKGND = 0x0014;
constexpr UINT WM_SYSCOLORCHANGE = 0x0015;
constexpr UINT WM_SHOWWINDOW = 0x0018;
constexpr UINT WM_SETCURSOR = 0x0020;
constexpr UINT WM_NCHITTEST = 0x0084;
constexpr UINT WM_DRAWITEM = 0x002B;
constexpr UINT WM_MEASUREITEM = 0x002C;
constexpr UINT WM_DELETEITEM = 0x002D;
constexpr UINT WM_SETFONT = 0x0030;
constexpr UINT WM_GETFONT = 0x0031;
constexpr UINT WM_COMPAREITEM = 0x0039;
constexpr UINT WM_NOTIFY = 0x004E;
constexpr UINT WM_HELP = 0x0053;
constexpr UINT WM_CONTEXTMENU = 0x007B;
constexpr UINT WM_STYLECHANGED = 0x007D;
constexpr UINT WM_NCCREATE = 0x0081;
constexpr UINT WM_NCDESTROY = 0x0082;
constexpr UINT WM_GETDLGCODE = 0x0087;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_CHAR = 0x0102;
constexpr UINT WM_INITDIALOG = 0x0110;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_SYSCOMMAND = 0x0112;
constexpr UINT WM_TIMER = 0x0113;
constexpr UINT WM_HSCROLL = 0x0114;
constexpr UINT WM_VSCROLL = 0x0115;
constexpr UINT WM_CTLCOLOREDIT = 0x0133;
constexpr UINT WM_CTLCOLORLISTBOX = 0x0134;
constexpr UINT WM_CTLCOLORSCROLLBAR = 0x0137;
constexpr UINT WM_CTLCOLORBTN = 0x0135;
constexpr UINT WM_CTLCOLORDLG = 0x0136;
constexpr UINT WM_CTLCOLORSTATIC = 0x0138;
constexpr UINT WM_NCMOUSEMOVE = 0x00A0;
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_LBUTTONDBLCLK = 0x0203;
constexpr UINT WM_RBUTTONDOWN = 0x0204;
constexpr UINT WM_RBUTTONUP = 0x0205;
constexpr UINT WM_MBUTTONDOWN = 0x0207;
constexpr UINT WM_PARENTNOTIFY = 0x0210;
constexpr UINT WM_CAPTURECHANGED = 0x0215;
constexpr UINT WM_USER = 0x0400;
constexpr UINT WM_APP = 0x8000;

// Dialog-manager messages.
constexpr UINT DM_GETDEFID = WM_USER + 0;
constexpr UINT DM_SETDEFID = WM_USER + 1;

// Results of WM_GETDLGCODE.
constexpr LRESULT DLGC_WANTARROWS = 0x0001;
constexpr LRESULT DLGC_WANTTAB = 0x0002;
constexpr LRESULT DLGC_WANTALLKEYS = 0x0004;
constexpr LRESULT DLGC_HASSETSEL = 0x0008;
constexpr LRESULT DLGC_DEFPUSHBUTTON = 0x0010;
constexpr LRESULT DLGC_UNDEFPUSHBUTTON = 0x0020;
constexpr LRESULT DLGC_RADIOBUTTON = 0x0040;
constexpr LRESULT DLGC_WANTCHARS = 0x0080;
constexpr LRESULT DLGC_STATIC = 0x0100;
constexpr LRESULT DLGC_BUTTON = 0x2000;

// Commands and dialog answers.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;
constexpr int IDCLOSE = 8;
constexpr int IDHELP = 9;
constexpr int IDTRYAGAIN = 10;
constexpr int IDCONTINUE = 11;

// Virtual keys the controls know.
constexpr int VK_LBUTTON = 0x01;
constexpr int VK_RBUTTON = 0x02;
constexpr int VK_MBUTTON = 0x04;
constexpr int VK_BACK = 0x08;
constexpr int VK_TAB = 0x09;
constexpr int VK_RETURN = 0x0D;
constexpr int VK_SHIFT = 0x10;
constexpr int VK_CONTROL = 0x11;
constexpr int VK_MENU = 0x12;
constexpr int VK_ESCAPE = 0x1B;
constexpr int VK_SPACE = 0x20;
constexpr int VK_PRIOR = 0x21;
constexpr int VK_NEXT = 0x22;
constexpr int VK_END = 0x23;
constexpr int VK_HOME = 0x24;
constexpr int VK_LEFT = 0x25;
constexpr int VK_UP = 0x26;
constexpr int VK_RIGHT = 0x27;
constexpr int VK_DOWN = 0x28;
constexpr int VK_DELETE = 0x2E;
constexpr int VK_F1 = 0x70;

// ShowWindow.
constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOWNOACTIVATE = 4;
constexpr int SW_SHOW = 5;
constexpr int SW_SHOWNA = 8;

// SetWindowPos.
constexpr UINT SWP_NOSIZE = 0x0001;
constexpr UINT SWP_NOMOVE = 0x0002;
constexpr UINT SWP_NOZORDER = 0x0004;
constexpr UINT SWP_NOACTIVATE = 0x0010;
constexpr UINT SWP_SHOWWINDOW = 0x0040;
constexpr UINT SWP_HIDEWINDOW = 0x0080;
inline const HWND HWND_TOP = nullptr;

// GetWindow.
constexpr UINT GW_HWNDFIRST = 0;
constexpr UINT GW_HWNDLAST = 1;
constexpr UINT GW_HWNDNEXT = 2;
constexpr UINT GW_HWNDPREV = 3;
constexpr UINT GW_OWNER = 4;
constexpr UINT GW_CHILD = 5;
// GetAncestor.
constexpr UINT GA_PARENT = 1;
constexpr UINT GA_ROOT = 2;

// PeekMessage.
constexpr UINT PM_NOREMOVE = 0x0000;
constexpr UINT PM_REMOVE = 0x0001;

// RedrawWindow.
constexpr UINT RDW_INVALIDATE = 0x0001;
constexpr UINT RDW_ERASE = 0x0004;
constexpr UINT RDW_ALLCHILDREN = 0x0080;
constexpr UINT RDW_UPDATENOW = 0x0100;

// System colours (GetSysColor).
constexpr int COLOR_SCROLLBAR = 0;
constexpr int COLOR_WINDOW = 5;
constexpr int COLOR_MENUTEXT = 7;
constexpr int COLOR_WINDOWTEXT = 8;
constexpr int COLOR_HIGHLIGHT = 13;
constexpr int COLOR_HIGHLIGHTTEXT = 14;
constexpr int COLOR_BTNFACE = 15;
constexpr int COLOR_BTNSHADOW = 16;
constexpr int COLOR_GRAYTEXT = 17;
constexpr int COLOR_BTNTEXT = 18;
constexpr int COLOR_BTNHIGHLIGHT = 20;
constexpr int COLOR_3DDKSHADOW = 21;
constexpr int COLOR_3DLIGHT = 22;

// System metrics (GetSystemMetrics).
constexpr int SM_CXSCREEN = 0;
constexpr int SM_CYSCREEN = 1;
constexpr int SM_CXVSCROLL = 2;
constexpr int SM_CYHSCROLL = 3;
constexpr int SM_CYCAPTION = 4;
constexpr int SM_CXBORDER = 5;
constexpr int SM_CYBORDER = 6;
constexpr int SM_CXDLGFRAME = 7;
constexpr int SM_CYDLGFRAME = 8;
constexpr int SM_CXICON = 11;
constexpr int SM_CYICON = 12;
constexpr int SM_CXHSCROLL = 21;
constexpr int SM_CXEDGE = 45;
constexpr int SM_CYEDGE = 46;
constexpr int SM_CXSMICON = 49;
constexpr int SM_CYSMICON = 50;

inline LPWSTR MAKEINTATOM(WORD atom) { return reinterpret_cast<LPWSTR>(static_cast<ULONG_PTR>(atom)); }
inline constexpr LPARAM MAKELPARAM(WORD lo, WORD hi) { return static_cast<LPARAM>(MAKELONG(lo, hi)); }
inline constexpr WPARAM MAKEWPARAM(WORD lo, WORD hi) { return static_cast<WPARAM>(MAKELONG(lo, hi)); }

// ---- dialog templates (the binary forms the resource compiler writes) ----------------------------
#pragma pack(push, 2)
struct DLGTEMPLATE {
  DWORD style;
  DWORD dwExtendedStyle;
  WORD cdit;
  short x;
  short y;
  short cx;
  short cy;
};
#pragma pack(pop)
static_assert(sizeof(DLGTEMPLATE) == 18);
using LPCDLGTEMPLATEW = const DLGTEMPLATE*;

extern "C" {

// ---- classes and windows ------------------------------------------------------------------------
KOVA_EXPORT ATOM WINAPI RegisterClassW(const WNDCLASSW* lpWndClass);
KOVA_EXPORT BOOL WINAPI UnregisterClassW(LPCWSTR lpClassName, HINSTANCE hInstance);
KOVA_EXPORT BOOL WINAPI GetClassInfoW(HINSTANCE hInstance, LPCWSTR lpClassName, WNDCLASSW* lpWndClass);
// FALSE unless cbSize is sizeof(WNDCLASSEXW).
KOVA_EXPORT BOOL WINAPI GetClassInfoExW(HINSTANCE hInstance, LPCWSTR lpClassName, WNDCLASSEXW* lpWndClass);
// The first top-level window whose class (without case) and title match; a null name
// matches any.
KOVA_EXPORT HWND WINAPI FindWindowW(LPCWSTR lpClassName, LPCWSTR lpWindowName);
KOVA_EXPORT int WINAPI GetClassNameW(HWND hWnd, LPWSTR lpClassName, int nMaxCount);
// Creates a window: WM_NCCREATE, WM_CREATE (answering -1 destroys it and answers NULL), then
// WM_PARENTNOTIFY to the parent of a child without WS_EX_NOPARENTNOTIFY and WM_SHOWWINDOW
// for WS_VISIBLE. A child's hMenu is its id.
KOVA_EXPORT HWND WINAPI CreateWindowExW(DWORD dwExStyle, LPCWSTR lpClassName, LPCWSTR lpWindowName, DWORD dwStyle,
                                        int X, int Y, int nWidth, int nHeight, HWND hWndParent, HMENU hMenu,
                                        HINSTANCE hInstance, LPVOID lpParam);
// WM_DESTROY to the window then its children (parents first), WM_NCDESTROY children first;
// the handles are invalid afterwards.
KOVA_EXPORT BOOL WINAPI DestroyWindow(HWND hWnd);
KOVA_EXPORT BOOL WINAPI IsWindow(HWND hWnd);
KOVA_EXPORT BOOL WINAPI IsWindowVisible(HWND hWnd);
KOVA_EXPORT BOOL WINAPI IsWindowEnabled(HWND hWnd);
KOVA_EXPORT BOOL WINAPI EnableWindow(HWND hWnd, BOOL bEnable);
KOVA_EXPORT BOOL WINAPI ShowWindow(HWND hWnd, int nCmdShow);
KOVA_EXPORT BOOL WINAPI IsChild(HWND hWndParent, HWND hWnd);
KOVA_EXPORT HWND WINAPI GetParent(HWND hWnd);
KOVA_EXPORT HWND WINAPI SetParent(HWND hWndChild, HWND hWndNewParent);
KOVA_EXPORT HWND WINAPI GetAncestor(HWND hwnd, UINT gaFlags);
KOVA_EXPORT HWND WINAPI GetWindow(HWND hWnd, UINT uCmd);
KOVA_EXPORT HWND WINAPI GetDesktopWindow();
KOVA_EXPORT BOOL WINAPI EnumChildWindows(HWND hWndParent, WNDENUMPROC lpEnumFunc, LPARAM lParam);
KOVA_EXPORT LONG_PTR WINAPI GetWindowLongPtrW(HWND hWnd, int nIndex);
KOVA_EXPORT LONG_PTR WINAPI SetWindowLongPtrW(HWND hWnd, int nIndex, LONG_PTR dwNewLong);
KOVA_EXPORT LONG WINAPI GetWindowLongW(HWND hWnd, int nIndex);
KOVA_EXPORT LONG WINAPI SetWindowLongW(HWND hWnd, int nIndex, LONG dwNewLong);
KOVA_EXPORT BOOL WINAPI SetPropW(HWND hWnd, LPCWSTR lpString, HANDLE hData);
KOVA_EXPORT HANDLE WINAPI GetPropW(HWND hWnd, LPCWSTR lpString);
KOVA_EXPORT HANDLE WINAPI RemovePropW(HWND hWnd, LPCWSTR lpString);
KOVA_EXPORT BOOL WINAPI SetWindowTextW(HWND hWnd, LPCWSTR lpString);
KOVA_EXPORT int WINAPI GetWindowTextW(HWND hWnd, LPWSTR lpString, int nMaxCount);
KOVA_EXPORT int WINAPI GetWindowTextLengthW(HWND hWnd);
KOVA_EXPORT BOOL WINAPI GetWindowRect(HWND hWnd, LPRECT lpRect);
KOVA_EXPORT BOOL WINAPI GetClientRect(HWND hWnd, LPRECT lpRect);
KOVA_EXPORT BOOL WINAPI MoveWindow(HWND hWnd, int X, int Y, int nWidth, int nHeight, BOOL bRepaint);
KOVA_EXPORT BOOL WINAPI SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int X, int Y, int cx, int cy, UINT uFlags);
KOVA_EXPORT int WINAPI MapWindowPoints(HWND hWndFrom, HWND hWndTo, LPPOINT lpPoints, UINT cPoints);
KOVA_EXPORT BOOL WINAPI ScreenToClient(HWND hWnd, LPPOINT lpPoint);
KOVA_EXPORT BOOL WINAPI ClientToScreen(HWND hWnd, LPPOINT lpPoint);
KOVA_EXPORT int WINAPI GetDlgCtrlID(HWND hWnd);

// ---- focus, activation, capture ---------------------------------------------------------------------
KOVA_EXPORT HWND WINAPI SetFocus(HWND hWnd);
KOVA_EXPORT HWND WINAPI GetFocus();
KOVA_EXPORT HWND WINAPI GetActiveWindow();
KOVA_EXPORT HWND WINAPI SetActiveWindow(HWND hWnd);
KOVA_EXPORT HWND WINAPI GetForegroundWindow();
KOVA_EXPORT BOOL WINAPI SetForegroundWindow(HWND hWnd);
KOVA_EXPORT HWND WINAPI SetCapture(HWND hWnd);
KOVA_EXPORT HWND WINAPI GetCapture();
KOVA_EXPORT BOOL WINAPI ReleaseCapture();
// Keys are never held down unless a test says so (plat::ui::SetKeyDown).
KOVA_EXPORT SHORT WINAPI GetKeyState(int nVirtKey);
KOVA_EXPORT SHORT WINAPI GetAsyncKeyState(int vKey);
// Where the pointer stands on the screen: (0, 0) until a test moves it (plat::ui::MoveMouse).
KOVA_EXPORT BOOL WINAPI GetCursorPos(LPPOINT lpPoint);
// The key state of mouse messages (their wParam).
constexpr WPARAM MK_LBUTTON = 0x0001;
constexpr WPARAM MK_RBUTTON = 0x0002;
constexpr WPARAM MK_SHIFT = 0x0004;
constexpr WPARAM MK_CONTROL = 0x0008;
constexpr WPARAM MK_MBUTTON = 0x0010;
// Cursors: LoadCursorW with a null instance gives the standard ones (one handle per id), with
// a module the cursor groups of its resources (one handle per cursor);
// SetCursor answers the cursor it replaced. No cursor is shown before the first SetCursor.
inline const LPCWSTR IDC_ARROW = reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(32512));
inline const LPCWSTR IDC_IBEAM = reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(32513));
inline const LPCWSTR IDC_HAND = reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(32649));
KOVA_EXPORT HCURSOR WINAPI LoadCursorW(HINSTANCE hInstance, LPCWSTR lpCursorName);
KOVA_EXPORT HCURSOR WINAPI SetCursor(HCURSOR hCursor);
KOVA_EXPORT HCURSOR WINAPI GetCursor();
// Hit-test answers of WM_NCHITTEST. HTTRANSPARENT passes the point to the window beneath.
constexpr LRESULT HTERROR = -2;
constexpr LRESULT HTTRANSPARENT = -1;
constexpr LRESULT HTNOWHERE = 0;
constexpr LRESULT HTCLIENT = 1;
KOVA_EXPORT BOOL WINAPI MessageBeep(UINT uType);

// ---- messages --------------------------------------------------------------------------------------
KOVA_EXPORT LRESULT WINAPI SendMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
KOVA_EXPORT BOOL WINAPI PostMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
// The message id of a name (compared without case): the same id for the same name for the
// life of the process, from 0xC000 to 0xFFFF; 0 for a null or empty name.
KOVA_EXPORT UINT WINAPI RegisterWindowMessageW(LPCWSTR lpString);
KOVA_EXPORT void WINAPI PostQuitMessage(int nExitCode);
// Posted messages first, then WM_PAINT of an invalid window, then WM_TIMER of a due timer
// (the platform's clock). With nothing to answer PeekMessageW answers FALSE; GetMessageW
// moves the test clock to the next due timer, or answers -1 when nothing can ever come.
KOVA_EXPORT BOOL WINAPI PeekMessageW(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg);
KOVA_EXPORT BOOL WINAPI GetMessageW(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax);
KOVA_EXPORT BOOL WINAPI TranslateMessage(const MSG* lpMsg);
KOVA_EXPORT LRESULT WINAPI DispatchMessageW(const MSG* lpMsg);
KOVA_EXPORT BOOL WINAPI IsDialogMessageW(HWND hDlg, LPMSG lpMsg);
KOVA_EXPORT LRESULT WINAPI CallWindowProcW(WNDPROC lpPrevWndFunc, HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
KOVA_EXPORT LRESULT WINAPI DefWindowProcW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
KOVA_EXPORT UINT_PTR WINAPI SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse, TIMERPROC lpTimerFunc);
KOVA_EXPORT BOOL WINAPI KillTimer(HWND hWnd, UINT_PTR uIDEvent);

// ---- painting ---------------------------------------------------------------------------------------
KOVA_EXPORT BOOL WINAPI InvalidateRect(HWND hWnd, const RECT* lpRect, BOOL bErase);
KOVA_EXPORT BOOL WINAPI ValidateRect(HWND hWnd, const RECT* lpRect);
KOVA_EXPORT BOOL WINAPI UpdateWindow(HWND hWnd);
KOVA_EXPORT BOOL WINAPI RedrawWindow(HWND hWnd, const RECT* lprcUpdate, HRGN hrgnUpdate, UINT flags);
KOVA_EXPORT BOOL WINAPI GetUpdateRect(HWND hWnd, LPRECT lpRect, BOOL bErase);

// ---- system answers ---------------------------------------------------------------------------------
KOVA_EXPORT DWORD WINAPI GetSysColor(int nIndex);
KOVA_EXPORT HBRUSH WINAPI GetSysColorBrush(int nIndex);
KOVA_EXPORT int WINAPI GetSystemMetrics(int nIndex);
KOVA_EXPORT LONG WINAPI GetDialogBaseUnits();

// ---- rectangles -------------------------------------------------------------------------------------
KOVA_EXPORT BOOL WINAPI SetRect(LPRECT lprc, int xLeft, int yTop, int xRight, int yBottom);
KOVA_EXPORT BOOL WINAPI OffsetRect(LPRECT lprc, int dx, int dy);
KOVA_EXPORT BOOL WINAPI InflateRect(LPRECT lprc, int dx, int dy);
KOVA_EXPORT BOOL WINAPI PtInRect(const RECT* lprc, POINT pt);
KOVA_EXPORT BOOL WINAPI IntersectRect(LPRECT lprcDst, const RECT* lprcSrc1, const RECT* lprcSrc2);
KOVA_EXPORT BOOL WINAPI IsRectEmpty(const RECT* lprc);

// ---- dialogs ----------------------------------------------------------------------------------------
// A modal dialog from the template lpTemplateName (RT_DIALOG) of hInstance: the owner is
// disabled while the dialog runs in the thread's modal loop; the answer is EndDialog's
// result, or -1 when the dialog cannot be made.
KOVA_EXPORT INT_PTR WINAPI DialogBoxParamW(HINSTANCE hInstance, LPCWSTR lpTemplateName, HWND hWndParent,
                                           DLGPROC lpDialogFunc, LPARAM dwInitParam);
KOVA_EXPORT INT_PTR WINAPI DialogBoxIndirectParamW(HINSTANCE hInstance, LPCDLGTEMPLATEW hDialogTemplate,
                                                   HWND hWndParent, DLGPROC lpDialogFunc, LPARAM dwInitParam);
// A modeless dialog; controls are created in template order, then WM_SETFONT and
// WM_INITDIALOG. A null dialog procedure is allowed (the dialog answers by default).
KOVA_EXPORT HWND WINAPI CreateDialogParamW(HINSTANCE hInstance, LPCWSTR lpTemplateName, HWND hWndParent,
                                           DLGPROC lpDialogFunc, LPARAM dwInitParam);
KOVA_EXPORT HWND WINAPI CreateDialogIndirectParamW(HINSTANCE hInstance, LPCDLGTEMPLATEW lpTemplate,
                                                   HWND hWndParent, DLGPROC lpDialogFunc, LPARAM dwInitParam);
KOVA_EXPORT BOOL WINAPI EndDialog(HWND hDlg, INT_PTR nResult);
KOVA_EXPORT LRESULT WINAPI DefDlgProcW(HWND hDlg, UINT Msg, WPARAM wParam, LPARAM lParam);
KOVA_EXPORT HWND WINAPI GetDlgItem(HWND hDlg, int nIDDlgItem);
KOVA_EXPORT LRESULT WINAPI SendDlgItemMessageW(HWND hDlg, int nIDDlgItem, UINT Msg, WPARAM wParam, LPARAM lParam);
KOVA_EXPORT BOOL WINAPI SetDlgItemTextW(HWND hDlg, int nIDDlgItem, LPCWSTR lpString);
KOVA_EXPORT UINT WINAPI GetDlgItemTextW(HWND hDlg, int nIDDlgItem, LPWSTR lpString, int cchMax);
KOVA_EXPORT BOOL WINAPI SetDlgItemInt(HWND hDlg, int nIDDlgItem, UINT uValue, BOOL bSigned);
KOVA_EXPORT UINT WINAPI GetDlgItemInt(HWND hDlg, int nIDDlgItem, BOOL* lpTranslated, BOOL bSigned);
KOVA_EXPORT BOOL WINAPI CheckDlgButton(HWND hDlg, int nIDButton, UINT uCheck);
KOVA_EXPORT UINT WINAPI IsDlgButtonChecked(HWND hDlg, int nIDButton);
KOVA_EXPORT BOOL WINAPI CheckRadioButton(HWND hDlg, int nIDFirstButton, int nIDLastButton, int nIDCheckButton);
KOVA_EXPORT HWND WINAPI GetNextDlgTabItem(HWND hDlg, HWND hCtl, BOOL bPrevious);
// Dialog units to pixels with the fixed base units of this system (8 x 16 pixels for a
// dialog's font): x * 8 / 4, y * 16 / 8.
KOVA_EXPORT BOOL WINAPI MapDialogRect(HWND hDlg, LPRECT lpRect);

}  // extern "C"

#pragma GCC visibility pop
