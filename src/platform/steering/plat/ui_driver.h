// Driving the window system as a person would, for tests and the host: click, type,
// select, press the buttons of a dialog or a property sheet, answer the next message box or
// file dialog, advance the clock; and read back what a window shows.
//
// A modal loop (a dialog box, a property sheet) runs the queued steps one by one whenever
// it has no message waiting, so a test queues what the person does and then opens the
// dialog. A loop with nothing left to do closes its window as Cancel would and counts a
// stall (StalledLoops), so a test that forgot an answer fails instead of hanging.
#pragma once

// Exported by the platform library (built with hidden visibility otherwise).
#pragma GCC visibility push(default)

#include <cstdint>
#include <functional>
#include <string>
#include <vector>
#include <utility>

#include "win/controls.h"
#include "win/window.h"

namespace plat::ui {

using Step = std::function<void()>;

// ---- the script ------------------------------------------------------------------------
void QueueStep(Step step);
std::size_t PendingSteps();
int StalledLoops();
// Destroys every window, empties the queues, the scripts and the records (for fixtures).
void Reset();
// Dispatches what is waiting in this thread's queue (posted messages, paints, due timers).
void RunPendingMessages();
// Moves the test clock on; due timers fire at the next pump.
void AdvanceClock(DWORD ms);
void SetKeyDown(int virtualKey, bool down);

// ---- windows ---------------------------------------------------------------------------
// The innermost running modal window of this thread (dialog box, property sheet), or null.
HWND ActiveModal();
// The first top-level window with this title, or null.
HWND FindTopLevel(std::u16string_view title);
// The control with an id anywhere below a window (depth first), or null.
HWND FindControl(HWND root, int id);

// ---- acting ----------------------------------------------------------------------------
// A mouse click on a button: the focus moves to it, it is pushed and released; check
// boxes and radio buttons of the automatic styles change state; the parent gets
// BN_CLICKED. False for a disabled or hidden control or a window that is no button.
bool Click(HWND button);
bool ClickId(HWND dialog, int id);
// Typing into an edit: the focus moves to it and each character arrives as WM_CHAR.
bool Type(HWND edit, std::u16string_view text);
// Replaces an edit's whole text as a person would: select all, then type.
bool ReplaceText(HWND edit, std::u16string_view text);
// Takes the focus away from a control (to its dialog), as a click elsewhere would.
void LeaveControl(HWND control);
// A person's selection in a list box or combo box: the notifications follow
// (LBN_SELCHANGE; CBN_SELCHANGE then CBN_SELENDOK ...). The same for a tab control (a tab:
// TCN_SELCHANGING, which may refuse, then TCN_SELCHANGE), a tree view (an item by its place
// in Items, depth first: TVN_SELCHANGINGW, TVN_SELCHANGEDW, NM_CLICK) and a list view (a
// click on an item: LVN_ITEMCHANGING and LVN_ITEMCHANGED for each item that changes, then
// NM_CLICK). SelectItemText matches an item's text (a list view's first column).
bool SelectItem(HWND listOrCombo, int index);
bool SelectItemText(HWND listOrCombo, std::u16string_view text);
// A person opens or closes a tree item (its place in Items): TVN_ITEMEXPANDINGW, which may
// refuse, then TVN_ITEMEXPANDEDW. False when refused or nothing changes.
bool ExpandItem(HWND tree, int index, bool expand);
// Drags a trackbar's thumb to a position (clamped to its range): the parent gets
// TB_THUMBTRACK, TB_THUMBPOSITION and TB_ENDTRACK.
bool DragSlider(HWND trackbar, int position);
// A click on a part of a scroll bar control as a person makes it, through the bar's window
// procedure: SB_LINEUP or SB_LINEDOWN an arrow box, SB_PAGEUP or SB_PAGEDOWN the track
// beside the thumb (false when there is none on that side), SB_THUMBPOSITION the thumb
// dragged to the place of `position` (clamped to the range). False for a hidden or
// disabled bar or a window that is no scroll bar.
bool ClickScrollBar(HWND bar, WORD code, int position = 0);
// A key pressed on a window (through the dialog manager when it is in a dialog).
bool PressKey(HWND window, int virtualKey);
// The pointer moves to (x, y) of `over`'s client area, as a person moves the mouse there:
// the window under the point in `over`'s top-level window (children before their parent,
// the top of the z-order first; a hidden window takes nothing, a disabled one leaves the
// point to its parent, and one answering HTTRANSPARENT to the one beneath) gets
// WM_NCHITTEST, then WM_SETCURSOR with the hit-test code and WM_MOUSEMOVE, then the move
// itself: WM_MOUSEMOVE in its client coordinates for HTCLIENT, WM_NCMOUSEMOVE for another
// part of the window, nothing for HTERROR or HTNOWHERE. While a window has the mouse
// captured it gets the hit test and the move, without WM_SETCURSOR. GetCursorPos answers
// the point. The window that took the move, or null.
HWND MoveMouse(HWND over, int x, int y);
// F1 on a control, as a person presses it while the control has the focus: the focus moves
// to it and WM_HELP with its HELPINFO (HELPINFO_WINDOW, the pointer's place) goes to it (a
// window that does not answer passes it to its parent). False for a hidden or no window.
bool AskHelp(HWND control);
// A right-click at (x, y) of a window's client area: WM_CONTEXTMENU with the window and the
// screen point goes to it (and on to its parents while unanswered). False for a hidden or no
// window.
bool OpenContextMenu(HWND window, int x, int y);
// The shown pop-up windows that have an owner (tips and the like), in creation order.
std::vector<HWND> ShownPopups();
// A palette-based display of 8 bits (on) or the true-colour display (off, the default and
// what a reset of the window system restores): GetNearestColor answers the nearest of the
// twenty static colours, GetDeviceCaps the palette's numbers. Pixels keep their colours.
void SetPaletteDisplay(bool on);
// Property sheets: switch to a page by index, press OK, Cancel or Apply.
bool SelectPage(HWND sheet, int index);
bool PressSheetButton(HWND sheet, int which);  // PSBTN_OK, PSBTN_CANCEL, PSBTN_APPLYNOW

// ---- reading ---------------------------------------------------------------------------
std::u16string Text(HWND window);
UINT CheckState(HWND button);
// Lists, combo boxes, tab controls, tree views and list views. A tree's items come depth
// first with two blanks of indent per level (closed items' children too); a list view's
// items are its rows, the column texts joined by '|'. Selection is an index into Items.
int Selection(HWND listOrCombo);
std::vector<std::u16string> Items(HWND listOrCombo);
// The items of an owner-drawn list or combo box as a person reads them: the text its owner
// draws for each item (WM_DRAWITEM with ODA_DRAWENTIRE on a device context of the control,
// which is then painted afresh); an item the owner draws no text for keeps its Items text.
// Other windows: Items.
std::vector<std::u16string> ItemsAsDrawn(HWND listOrCombo);
bool Enabled(HWND window);
bool Visible(HWND window);
// A window's painted pixel (0x00RRGGBB), or 0xFFFFFFFF outside it or before any painting.
DWORD PixelAt(HWND window, int x, int y);
// Everything drawn on a window since it was created, one line per operation
// ("text 4,2 Hello", "fill 0,0,10,10 #F0F0F0", "icon 0,0 101" ...); empty once the window
// is destroyed.
std::vector<std::string> PaintLog(HWND window);
// What the window system holds: windows, painting objects other than stock ones, device
// contexts and lines of paint logs.
struct WindowSystemCounts {
  std::size_t windows = 0;
  std::size_t gdiObjects = 0;
  std::size_t deviceContexts = 0;
  std::size_t paintLines = 0;
};
WindowSystemCounts Counts();
// What a top-level window shows as one picture: its own pixels with its visible children
// over them, each over its parent in z-order (the bottom of the order first), clipped to
// its parent. Pending paints are done first. Pixels 0x00RRGGBB, rows top first; empty for
// a window that is no top-level window or is hidden.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
};
Picture Compose(HWND topLevel);
// A device context of a printer for ExtEscape: each escape goes to `route` (the host passes
// it to the rendering driver's DrvEscape) and its answer is the escape's answer.
HDC CreateEscapeDC(std::function<int(int escape, int inSize, const void* in, int outSize, void* out)> route);

// ---- visual styles ---------------------------------------------------------------------
// Turns the visual styles of UxTheme.dll on (the default, restored by Reset) or off.
void SetVisualStylesActive(bool on);

// ---- message boxes ---------------------------------------------------------------------
struct MessageBoxRecord {
  HWND owner;
  std::u16string text;
  std::u16string caption;
  UINT type;
  int answer;
};
// The answers of the next message boxes, in order. Without one a box answers with its
// default button.
void QueueMessageBoxAnswer(int answer);
const std::vector<MessageBoxRecord>& MessageBoxes();
void ClearMessageBoxes();

// ---- file dialogs ----------------------------------------------------------------------
// The next open or save dialog chooses this Windows path (OK), or is cancelled.
void QueueFileDialogPath(std::u16string path);
// The next dialog chooses several names in its folder (OFN_ALLOWMULTISELECT): typed as its
// style shows them (quoted in the Explorer style, separated by blanks in the old style).
void QueueFileDialogNames(std::vector<std::u16string> names);
void QueueFileDialogCancel();
struct FileDialogRecord {
  bool save;
  std::u16string title;
  std::u16string initialDir;
  std::u16string filter;
  DWORD flags;
  bool answered;
};
const std::vector<FileDialogRecord>& FileDialogs();

// ---- help ------------------------------------------------------------------------------
struct HelpRecord {
  HWND window;
  std::u16string file;
  UINT command;
  ULONG_PTR data;
  // HELP_WM_HELP and HELP_CONTEXTMENU: the {control id, help id} pairs of the array the data
  // pointed to, copied at the call, up to its terminating zero pair.
  std::vector<std::pair<DWORD, DWORD>> ids;
};
const std::vector<HelpRecord>& HelpRequests();

}  // namespace plat::ui

#pragma GCC visibility pop
