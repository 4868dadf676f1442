// The common file dialogs, help and the shell's folder paths.
//
// Our own declarations, written from the documented behaviour of the Windows calls of the
// same names. The file dialogs run in their old style (a dialog with the standard control
// ids below, from the caller's template or a built-in one, with the caller's hook seeing
// every message first) or, with OFN_EXPLORER, in the Explorer style (the built-in dialog,
// with the caller's template and hook as a child dialog that hears CDN_ notifications and
// may ask with CDM_ messages); the name a person chooses comes from the script of
// plat/ui_driver.h, typed into the name edit and confirmed with OK.
//
// Several names (OFN_ALLOWMULTISELECT) come back as the folder and the names: in the
// Explorer style each followed by a NUL and the list by another NUL; in the old style
// separated by blanks.
#pragma once

// Exported by the platform library (built with hidden visibility otherwise).
#pragma GCC visibility push(default)

#include "win/window.h"

using LPOFNHOOKPROC = UINT_PTR (*)(HWND, UINT, WPARAM, LPARAM);

struct OPENFILENAMEW {
  DWORD lStructSize;
  HWND hwndOwner;
  HINSTANCE hInstance;
  LPCWSTR lpstrFilter;
  LPWSTR lpstrCustomFilter;
  DWORD nMaxCustFilter;
  DWORD nFilterIndex;
  LPWSTR lpstrFile;
  DWORD nMaxFile;
  LPWSTR lpstrFileTitle;
  DWORD nMaxFileTitle;
  LPCWSTR lpstrInitialDir;
  LPCWSTR lpstrTitle;
  DWORD Flags;
  WORD nFileOffset;
  WORD nFileExtension;
  LPCWSTR lpstrDefExt;
  LPARAM lCustData;
  LPOFNHOOKPROC lpfnHook;
  LPCWSTR lpTemplateName;
  void* pvReserved;
  DWORD dwReserved;
  DWORD FlagsEx;
};
using LPOPENFILENAMEW = OPENFILENAMEW*;

constexpr DWORD OFN_READONLY = 0x00000001;
constexpr DWORD OFN_OVERWRITEPROMPT = 0x00000002;
constexpr DWORD OFN_HIDEREADONLY = 0x00000004;
constexpr DWORD OFN_NOCHANGEDIR = 0x00000008;
constexpr DWORD OFN_SHOWHELP = 0x00000010;
constexpr DWORD OFN_ENABLEHOOK = 0x00000020;
constexpr DWORD OFN_ENABLETEMPLATE = 0x00000040;
constexpr DWORD OFN_ENABLETEMPLATEHANDLE = 0x00000080;
constexpr DWORD OFN_NOVALIDATE = 0x00000100;
constexpr DWORD OFN_ALLOWMULTISELECT = 0x00000200;
constexpr DWORD OFN_EXTENSIONDIFFERENT = 0x00000400;
constexpr DWORD OFN_PATHMUSTEXIST = 0x00000800;
constexpr DWORD OFN_FILEMUSTEXIST = 0x00001000;
constexpr DWORD OFN_CREATEPROMPT = 0x00002000;
constexpr DWORD OFN_NOREADONLYRETURN = 0x00008000;
constexpr DWORD OFN_NOTESTFILECREATE = 0x00010000;
constexpr DWORD OFN_NOLONGNAMES = 0x00040000;
constexpr DWORD OFN_EXPLORER = 0x00080000;

// Control ids of the old-style dialog.
constexpr int chx1 = 0x410;
constexpr int lst1 = 0x460;  // files
constexpr int lst2 = 0x461;  // folders: the drive root, then each folder down to the current one
constexpr int cmb1 = 0x470;  // file types
constexpr int cmb2 = 0x471;  // drives
constexpr int stc1 = 0x440;
constexpr int edt1 = 0x480;  // the file name
constexpr int pshHelp = 0x40E;

// Explorer style: the notifications the hook hears (WM_NOTIFY with an OFNOTIFYW; the dialog
// is the sender) and the messages it sends to its parent, the dialog.
constexpr UINT CDN_FIRST = static_cast<UINT>(-601);
constexpr UINT CDN_INITDONE = CDN_FIRST - 0;
constexpr UINT CDN_SELCHANGE = CDN_FIRST - 1;
constexpr UINT CDN_FOLDERCHANGE = CDN_FIRST - 2;
constexpr UINT CDN_HELP = CDN_FIRST - 4;
constexpr UINT CDN_FILEOK = CDN_FIRST - 5;
constexpr UINT CDN_TYPECHANGE = CDN_FIRST - 6;

constexpr UINT CDM_FIRST = WM_USER + 100;
constexpr UINT CDM_GETSPEC = CDM_FIRST + 0x0000;
constexpr UINT CDM_GETFILEPATH = CDM_FIRST + 0x0001;
constexpr UINT CDM_GETFOLDERPATH = CDM_FIRST + 0x0002;
constexpr UINT CDM_SETCONTROLTEXT = CDM_FIRST + 0x0004;
constexpr UINT CDM_HIDECONTROL = CDM_FIRST + 0x0005;
constexpr UINT CDM_SETDEFEXT = CDM_FIRST + 0x0006;

struct OFNOTIFYW {
  NMHDR hdr;
  LPOPENFILENAMEW lpOFN;
  LPWSTR pszFile;
};

// Extended errors.
constexpr DWORD CDERR_DIALOGFAILURE = 0xFFFF;
constexpr DWORD CDERR_STRUCTSIZE = 0x0001;
constexpr DWORD CDERR_INITIALIZATION = 0x0002;
constexpr DWORD CDERR_NOTEMPLATE = 0x0003;
constexpr DWORD CDERR_NOHINSTANCE = 0x0004;
constexpr DWORD CDERR_FINDRESFAILURE = 0x0006;
constexpr DWORD CDERR_NOHOOK = 0x000B;
constexpr DWORD FNERR_INVALIDFILENAME = 0x3002;
constexpr DWORD FNERR_BUFFERTOOSMALL = 0x3003;

// WinHelpW commands.
constexpr UINT HELP_CONTEXT = 0x0001;
constexpr UINT HELP_QUIT = 0x0002;
constexpr UINT HELP_FINDER = 0x000B;
constexpr UINT HELP_CONTEXTMENU = 0x000A;
constexpr UINT HELP_WM_HELP = 0x000C;

// SHGetFolderPathW.
constexpr int CSIDL_PERSONAL = 0x0005;
constexpr int CSIDL_APPDATA = 0x001A;
constexpr int CSIDL_LOCAL_APPDATA = 0x001C;
constexpr int CSIDL_WINDOWS = 0x0024;
constexpr int CSIDL_SYSTEM = 0x0025;
constexpr int CSIDL_COMMON_APPDATA = 0x0023;
constexpr int CSIDL_FLAG_CREATE = 0x8000;
constexpr DWORD SHGFP_TYPE_CURRENT = 0;

extern "C" {
// FALSE for Cancel or an error (CommDlgExtendedError tells them apart: 0 for Cancel).
// lStructSize must be sizeof(OPENFILENAMEW) (CDERR_STRUCTSIZE); a hook needs
// OFN_ENABLEHOOK and lpfnHook (CDERR_NOHOOK); a template needs OFN_ENABLETEMPLATE and
// hInstance (CDERR_NOHINSTANCE) and must exist (CDERR_FINDRESFAILURE); a chosen name longer
// than nMaxFile gives FNERR_BUFFERTOOSMALL with the needed length in the first WORD of
// lpstrFile.
KOVA_EXPORT BOOL WINAPI GetOpenFileNameW(LPOPENFILENAMEW ofn);
KOVA_EXPORT BOOL WINAPI GetSaveFileNameW(LPOPENFILENAMEW ofn);
KOVA_EXPORT DWORD WINAPI CommDlgExtendedError();
// Recorded (see plat/ui_driver.h); answers TRUE for a help file name, FALSE for none.
KOVA_EXPORT BOOL WINAPI WinHelpW(HWND hWndMain, LPCWSTR lpszHelp, UINT uCommand, ULONG_PTR dwData);
// The folders of the system root: the user's documents (CSIDL_PERSONAL) and application
// data, the Windows and system folders. E_INVALIDARG for other folders; with
// CSIDL_FLAG_CREATE the folder is made when missing.
KOVA_EXPORT HRESULT WINAPI SHGetFolderPathW(HWND hwnd, int csidl, HANDLE hToken, DWORD dwFlags, LPWSTR pszPath);
}  // extern "C"

#pragma GCC visibility pop
