// The window system's own records, shared by the files of src/platform/ui.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "win/controls.h"
#include "win/window.h"

namespace plat::ui {

// The control-specific state of a window (a list's items, an edit's limit...).
struct ControlState {
  virtual ~ControlState() = default;
};

struct WindowClass {
  std::u16string name;
  WNDPROC proc = nullptr;
  UINT style = 0;
  int wndExtra = 0;
  HINSTANCE instance = nullptr;
  HBRUSH background = nullptr;
  HCURSOR cursor = nullptr;  // set by DefWindowProcW over the client area
  bool system = false;
};

struct Window {
  HWND handle = nullptr;
  std::u16string className;
  WNDPROC proc = nullptr;
  DWORD style = 0;
  DWORD exStyle = 0;
  LONG_PTR id = 0;
  HWND parent = nullptr;  // children: the parent; top-level windows: null
  HWND owner = nullptr;   // top-level windows: the owner
  std::vector<HWND> children;  // in z-order, first on top (creation order)
  RECT rect{};  // children: in the parent's client coordinates; others: screen coordinates
  std::u16string text;
  HINSTANCE instance = nullptr;
  LONG_PTR userData = 0;
  std::vector<LONG_PTR> extra;  // the class's extra words (dialogs: DWLP_MSGRESULT, DLGPROC, DWLP_USER)
  std::map<std::u16string, HANDLE> props;
  std::thread::id thread;
  HFONT font = nullptr;
  HFONT ownFont = nullptr;  // the font a dialog made from its template, deleted with it
  bool invalid = false;
  bool erase = false;
  RECT invalidRect{};
  bool destroying = false;
  std::shared_ptr<ControlState> state;
  // The window's own scroll bars (SB_HORZ, SB_VERT).
  SCROLLINFO bars[2] = {{sizeof(SCROLLINFO), SIF_ALL, 0, 100, 0, 0, 0}, {sizeof(SCROLLINFO), SIF_ALL, 0, 100, 0, 0, 0}};
  // Dialogs.
  bool isDialog = false;
  bool ended = false;
  INT_PTR result = 0;
  WORD defId = IDOK;
  // Painting: the window's own pixels (32 bpp), made on first use.
  HBITMAP surface = nullptr;
};

using WindowPtr = std::shared_ptr<Window>;

// ---- window table ------------------------------------------------------------------------
WindowPtr Find(HWND h);
// The window or null with ERROR_INVALID_WINDOW_HANDLE.
WindowPtr FindOrFail(HWND h);
std::vector<HWND> AllWindows();
// Destroys every window and forgets the application's classes.
void ResetWindows();
// Registers the built-in classes of the controls once.
void EnsureSystemClasses();
const WindowClass* FindClass(const std::u16string& name);
void RegisterSystemClass(const std::u16string& name, WNDPROC proc, int wndExtra);
// The child of a window with an id (depth one), or null.
HWND ChildById(HWND parent, int id);
// Sends a WM_COMMAND with (id, code) from a control to its parent.
void NotifyParent(HWND control, WORD code);
// Sends a WM_NOTIFY with a bare NMHDR to the control's parent.
LRESULT NotifyParentHeader(HWND control, UINT code);
// Whether a window is of a class (names compared without case).
bool HasClass(HWND h, std::u16string_view name);
// Sends a WM_NOTIFY with a control's own record (an NMHDR first) to its parent: the
// header's window, id and code are filled in. Answers the parent's answer.
LRESULT SendNotify(HWND control, UINT code, NMHDR* header);
// Text in a buffer as WM_GETTEXT copies it: at most size - 1 characters and a NUL.
LRESULT CopyText(const std::u16string& text, LPWSTR buffer, WPARAM size);

// ---- per-thread state ---------------------------------------------------------------------
struct Timer {
  HWND window;
  UINT_PTR id;
  UINT elapse;
  ULONGLONG due;
  TIMERPROC proc;
};

struct ThreadState {
  std::deque<MSG> posted;
  bool quit = false;
  int quitCode = 0;
  HWND active = nullptr;
  HWND focus = nullptr;
  HWND capture = nullptr;
  std::vector<Timer> timers;
  UINT_PTR nextTimerId = 0x7000;
  std::vector<HWND> modal;  // running modal loops, innermost last
};
ThreadState& Thread();

// Runs the thread's message loop until done() answers true. When nothing is waiting the
// next scripted step runs; with no step left and no timer to wait for, stalled() is called
// once to close the loop's window (a test that forgot to answer cannot hang).
void RunModalLoop(const std::function<bool()>& done, const std::function<void()>& stalled);
void ResetThreadState();
// Runs a dialog made by the caller as DialogBox runs its own: the owner disabled, the
// thread's modal loop until EndDialog, the dialog destroyed. Answers EndDialog's result.
INT_PTR RunDialogBox(HWND dialog, HWND owner);
// A dialog and its controls from template bytes (DLGTEMPLATE or DLGTEMPLATEEX), read no
// further than size; forceChild makes it a child of parent (property-sheet pages).
HWND CreateDialogFromTemplate(HINSTANCE inst, const BYTE* data, std::size_t size, HWND parent, DLGPROC proc,
                              LPARAM param, bool forceChild);
// The size in pixels a template's dialog is made at and its caption; false for bytes that
// are no template.
bool TemplateSizeAndTitle(const BYTE* data, std::size_t size, SIZE* pixels, std::u16string* title);
// Makes a window a dialog with a dialog procedure (for dialogs built without a template).
void MakeDialog(HWND window, DLGPROC proc);
// Puts a step before every queued one (a dialog's own scripted answer).
void PushFrontStep(std::function<void()> step);
void ResetCommonDialogs();
void ResetHelp();

// ---- controls ------------------------------------------------------------------------------
LRESULT ButtonProc(HWND, UINT, WPARAM, LPARAM);
LRESULT EditProc(HWND, UINT, WPARAM, LPARAM);
LRESULT StaticProc(HWND, UINT, WPARAM, LPARAM);
LRESULT ListBoxProc(HWND, UINT, WPARAM, LPARAM);
LRESULT ComboBoxProc(HWND, UINT, WPARAM, LPARAM);
LRESULT ScrollBarProc(HWND, UINT, WPARAM, LPARAM);
void RegisterCommonControlClasses();
void RegisterTabControlClass();
void RegisterTreeViewClass();
void RegisterListViewClass();
// A person's choice of a tab, a tree item (by its place in the tree, depth first) or a
// list-view item: the notifications follow as Windows sends them. False when refused.
bool UserSelectTab(HWND tab, int index);
bool UserSelectTreeItem(HWND tree, int index);
bool UserExpandTreeItem(HWND tree, int index, bool expand);
bool UserSelectListViewItem(HWND view, int index);
// What they show: tab texts; tree items depth first, two blanks of indent per level;
// list-view items, their column texts joined by '|'. Selection: the index as above, or -1.
std::vector<std::u16string> TabTexts(HWND tab);
int TabSelection(HWND tab);
std::vector<std::u16string> TreeTexts(HWND tree);
int TreeSelection(HWND tree);
std::vector<std::u16string> ListViewTexts(HWND view);
int ListViewSelection(HWND view);
// A person's choice of an item: the selection changes and the notifications follow.
void UserSelectList(HWND list, int index);
void UserSelectCombo(HWND combo, int index);

// ---- records of the boxes -------------------------------------------------------------------
void ResetBoxes();
// The pointer's place and the cursor shown.
void ResetMouse();
void ResetPainting();
void ResetVisualStyles();

template <class T>
std::shared_ptr<T> StateOf(HWND h) {
  auto w = Find(h);
  if (!w) return nullptr;
  if (!w->state) w->state = std::make_shared<T>();
  return std::dynamic_pointer_cast<T>(w->state);
}

}  // namespace plat::ui
