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

#include <functional>
#include <string>
#include <vector>

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
// (LBN_SELCHANGE; CBN_SELCHANGE then CBN_SELENDOK ...).
bool SelectItem(HWND listOrCombo, int index);
bool SelectItemText(HWND listOrCombo, std::u16string_view text);
// Drags a trackbar's thumb to a position (clamped to its range): the parent gets
// TB_THUMBTRACK, TB_THUMBPOSITION and TB_ENDTRACK.
bool DragSlider(HWND trackbar, int position);
// A key pressed on a window (through the dialog manager when it is in a dialog).
bool PressKey(HWND window, int virtualKey);
// Property sheets: switch to a page by index, press OK, Cancel or Apply.
bool SelectPage(HWND sheet, int index);
bool PressSheetButton(HWND sheet, int which);  // PSBTN_OK, PSBTN_CANCEL, PSBTN_APPLYNOW

// ---- reading ---------------------------------------------------------------------------
std::u16string Text(HWND window);
UINT CheckState(HWND button);
int Selection(HWND listOrCombo);
std::vector<std::u16string> Items(HWND listOrCombo);
bool Enabled(HWND window);
bool Visible(HWND window);
// A window's painted pixel (0x00RRGGBB), or 0xFFFFFFFF outside it or before any painting.
DWORD PixelAt(HWND window, int x, int y);
// Everything drawn on a window since it was created, one line per operation
// ("text 4,2 Hello", "fill 0,0,10,10 #F0F0F0", "icon 0,0 101" ...).
std::vector<std::string> PaintLog(HWND window);
// A device context of a printer for ExtEscape: each escape goes to `route` (the host passes
// it to the rendering driver's DrvEscape) and its answer is the escape's answer.
HDC CreateEscapeDC(std::function<int(int escape, int inSize, const void* in, int outSize, void* out)> route);

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
};
const std::vector<HelpRecord>& HelpRequests();

}  // namespace plat::ui

#pragma GCC visibility pop
