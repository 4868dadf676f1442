// The common property-sheet host ("compstui.dll"): the callbacks of the sheet functions
// that plug pages in, the pages they add, the sheet, and the results passed up; and the
// libraries of the window system that drivers load by name.
#include <algorithm>
#include <memory>

#include "plat/builtin_modules.h"
#include "ui_internal.h"
#include "win/commdlg.h"
#include "win/compstui.h"
#include "win/errors.h"
#include "win/loader.h"
#include "win/msgbox.h"
#include "win/paint.h"

namespace plat::ui {
namespace {

// One sheet function and what it added: a node of the host's tree. Its handle is the
// hComPropSheet the function receives.
struct Node {
  PFNPROPSHEETUI pfn = nullptr;
  PROPSHEETUI_INFO info{};
  Node* parent = nullptr;
  std::vector<std::unique_ptr<Node>> children;
  bool initialised = false;
};

struct Host {
  Node root;
  std::vector<HPROPSHEETPAGE> pages;  // in the order they were added
};

thread_local Host* current = nullptr;

LONG_PTR WINAPI ComPropSheet(HANDLE handle, UINT function, LPARAM lParam1, LPARAM lParam2);

Node* NodeOf(HANDLE h) { return static_cast<Node*>(h); }

// Calls a sheet function for INIT; a failed INIT leaves the node out.
bool InitNode(Node& n, LPARAM lParam) {
  n.info.cbSize = sizeof(PROPSHEETUI_INFO);
  n.info.Version = PROPSHEETUI_INFO_VERSION;
  n.info.Reason = PROPSHEETUI_REASON_INIT;
  n.info.hComPropSheet = &n;
  n.info.pfnComPropSheet = &ComPropSheet;
  n.info.lParamInit = lParam;
  n.initialised = n.pfn(&n.info, lParam) > 0;
  return n.initialised;
}

void DestroyNode(Node& n, bool ok) {
  for (auto& c : n.children) DestroyNode(*c, ok);
  if (!n.initialised) return;
  n.info.Reason = PROPSHEETUI_REASON_DESTROY;
  n.pfn(&n.info, ok ? 1 : 0);
  n.initialised = false;
}

LONG_PTR WINAPI ComPropSheet(HANDLE handle, UINT function, LPARAM lParam1, LPARAM lParam2) {
  Host* host = current;
  Node* n = NodeOf(handle);
  if (!host || !n) return 0;
  switch (function) {
    case CPSFUNC_ADD_HPROPSHEETPAGE:
      if (!lParam1) return 0;
      host->pages.push_back(reinterpret_cast<HPROPSHEETPAGE>(lParam1));
      return lParam1;
    case CPSFUNC_ADD_PROPSHEETPAGEW: {
      HPROPSHEETPAGE p = CreatePropertySheetPageW(reinterpret_cast<const PROPSHEETPAGEW*>(lParam1));
      if (!p) return 0;
      host->pages.push_back(p);
      return reinterpret_cast<LONG_PTR>(p);
    }
    case CPSFUNC_ADD_PFNPROPSHEETUIW: {
      if (!lParam1) return 0;
      auto child = std::make_unique<Node>();
      child->pfn = reinterpret_cast<PFNPROPSHEETUI>(lParam1);
      child->parent = n;
      Node* raw = child.get();
      n->children.push_back(std::move(child));
      return InitNode(*raw, lParam2) ? reinterpret_cast<LONG_PTR>(raw) : 0;
    }
    case CPSFUNC_GET_PAGECOUNT: return static_cast<LONG_PTR>(host->pages.size());
    case CPSFUNC_SET_RESULT: {
      // The result goes to the function that added this one.
      if (!n->parent || !n->parent->initialised) return 1;
      SETRESULT_INFO sr{sizeof(SETRESULT_INFO), 0, lParam1 ? reinterpret_cast<HANDLE>(lParam1) : handle,
                        static_cast<LRESULT>(lParam2)};
      n->parent->info.Reason = PROPSHEETUI_REASON_SET_RESULT;
      return n->parent->pfn(&n->parent->info, reinterpret_cast<LPARAM>(&sr));
    }
    default: return 0;
  }
}

}  // namespace
}  // namespace plat::ui

using namespace plat::ui;

extern "C" {

LONG WINAPI CommonPropertySheetUIW(HWND owner, PFNPROPSHEETUI pfn, LPARAM lParam, LPDWORD result) {
  if (!pfn) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return ERR_CPSUI_GETLASTERROR;
  }
  Host host;
  Host* outer = current;
  current = &host;
  struct Restore {
    Host* outer;
    ~Restore() { current = outer; }
  } restore{outer};
  host.root.pfn = pfn;
  if (!InitNode(host.root, lParam)) {
    DestroyNode(host.root, false);
    for (HPROPSHEETPAGE p : host.pages) DestroyPropertySheetPage(p);
    return ERR_CPSUI_GETLASTERROR;
  }
  WCHAR title[260] = {};
  PROPSHEETUI_INFO_HEADER header{};
  header.cbSize = sizeof header;
  header.pTitle = title;
  header.hWndParent = owner;
  host.root.info.Reason = PROPSHEETUI_REASON_GET_INFO_HEADER;
  if (pfn(&host.root.info, reinterpret_cast<LPARAM>(&header)) <= 0) header = PROPSHEETUI_INFO_HEADER{sizeof header, 0, title, owner, nullptr, {nullptr}};
  if (!(header.Flags & PSUIHDRF_USEHICON) && header.IconID == 0) {
    PROPSHEETUI_GETICON_INFO icon{sizeof icon, 0, 16, 16, nullptr};
    host.root.info.Reason = PROPSHEETUI_REASON_GET_ICON;
    pfn(&host.root.info, reinterpret_cast<LPARAM>(&icon));
  }
  LONG answer = ERR_CPSUI_GETLASTERROR;
  if (host.pages.empty()) {
    SetLastError(ERROR_INVALID_DATA);
  } else {
    PROPSHEETHEADERW sh{};
    sh.dwSize = sizeof sh;
    sh.dwFlags = ((header.Flags & PSUIHDRF_NOAPPLYNOW) ? PSH_NOAPPLYNOW : 0) |
                 ((header.Flags & PSUIHDRF_PROPTITLE) ? PSH_PROPTITLE : 0) | PSH_HASHELP;
    sh.hwndParent = header.hWndParent ? header.hWndParent : owner;
    sh.hInstance = header.hInst;
    sh.pszCaption = header.pTitle;
    sh.nPages = static_cast<UINT>(host.pages.size());
    sh.phpage = host.pages.data();
    const INT_PTR r = PropertySheetW(&sh);
    host.pages.clear();  // the sheet released them
    answer = r > 0 ? CPSUI_OK : r == 0 ? CPSUI_CANCEL : ERR_CPSUI_GETLASTERROR;
  }
  DestroyNode(host.root, answer == CPSUI_OK);
  for (HPROPSHEETPAGE p : host.pages) DestroyPropertySheetPage(p);
  if (result) *result = static_cast<DWORD>(host.root.info.Result);
  return answer;
}

}  // extern "C"

namespace {

// The common controls' version: 6.0.
HRESULT CommonControlsVersion(DLLVERSIONINFO* info) {
  if (!info || info->cbSize < sizeof(DLLVERSIONINFO)) return static_cast<HRESULT>(0x80070057);  // E_INVALIDARG
  info->dwMajorVersion = 6;
  info->dwMinorVersion = 0;
  info->dwBuildNumber = 0;
  info->dwPlatformID = 2;
  return 0;
}

// The window system's libraries, found by their Windows names.
struct RegisterLibraries {
  RegisterLibraries() {
    using plat::AsFarProc;
    plat::RegisterBuiltinModule(u"compstui.dll", {{"CommonPropertySheetUIW", AsFarProc(&CommonPropertySheetUIW)}});
    plat::RegisterBuiltinModule(u"comctl32.dll",
                                {{"PropertySheetW", AsFarProc(&PropertySheetW)},
                                 {"CreatePropertySheetPageW", AsFarProc(&CreatePropertySheetPageW)},
                                 {"DestroyPropertySheetPage", AsFarProc(&DestroyPropertySheetPage)},
                                 {"DllGetVersion", AsFarProc(&CommonControlsVersion)}});
    plat::RegisterBuiltinModule(u"comdlg32.dll",
                                {{"GetOpenFileNameW", AsFarProc(&GetOpenFileNameW)},
                                 {"GetSaveFileNameW", AsFarProc(&GetSaveFileNameW)},
                                 {"CommDlgExtendedError", AsFarProc(&CommDlgExtendedError)}});
    plat::RegisterBuiltinModule(u"shell32.dll", {{"SHGetKnownFolderPath", AsFarProc(&SHGetKnownFolderPath)},
                                                 {"SHGetFolderPathW", AsFarProc(&SHGetFolderPathW)}});
    plat::RegisterBuiltinModule(u"user32.dll", {{"MessageBoxW", AsFarProc(&MessageBoxW)},
                                                {"WinHelpW", AsFarProc(&WinHelpW)}});
  }
} registerLibraries;

}  // namespace
