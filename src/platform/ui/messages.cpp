// Messages: sending, the posted queue of each thread, the pump of every modal loop, timers
// on the platform's clock, painting requests, focus and capture, and the default window
// procedure.
#include <algorithm>
#include <mutex>
#include <set>

#include "plat/system.h"
#include "plat/ui_driver.h"
#include "ui_internal.h"
#include "win/errors.h"
#include "win/paint.h"

namespace plat::ui {
namespace {

struct Script {
  std::mutex lock;
  std::deque<Step> steps;
  std::set<int> keysDown;
  int stalls = 0;
};

Script& script() {
  static Script* s = new Script;
  return *s;
}

bool RunNextStep() {
  Step step;
  {
    auto& s = script();
    std::lock_guard<std::mutex> g(s.lock);
    if (s.steps.empty()) return false;
    step = std::move(s.steps.front());
    s.steps.pop_front();
  }
  step();
  return true;
}

bool InFilter(const MSG& m, HWND filter, UINT lo, UINT hi) {
  if (filter && m.hwnd != filter && !IsChild(filter, m.hwnd)) return false;
  if (lo == 0 && hi == 0) return true;
  return m.message >= lo && m.message <= hi;
}

MSG Make(HWND h, UINT msg, WPARAM w, LPARAM l) {
  MSG m{h, msg, w, l, plat::CurrentTickCount(), POINT{0, 0}};
  return m;
}

}  // namespace

ThreadState& Thread() {
  thread_local ThreadState state;
  return state;
}

void ResetThreadState() { Thread() = ThreadState{}; }

void QueueStep(Step step) {
  auto& s = script();
  std::lock_guard<std::mutex> g(s.lock);
  s.steps.push_back(std::move(step));
}

void PushFrontStep(std::function<void()> step) {
  auto& s = script();
  std::lock_guard<std::mutex> g(s.lock);
  s.steps.push_front(std::move(step));
}

std::size_t PendingSteps() {
  auto& s = script();
  std::lock_guard<std::mutex> g(s.lock);
  return s.steps.size();
}

int StalledLoops() {
  auto& s = script();
  std::lock_guard<std::mutex> g(s.lock);
  return s.stalls;
}

void SetKeyDown(int key, bool down) {
  auto& s = script();
  std::lock_guard<std::mutex> g(s.lock);
  if (down) s.keysDown.insert(key);
  else s.keysDown.erase(key);
}

void AdvanceClock(DWORD ms) {
  // The test clock starts where the real clock stood when it was first taken over.
  plat::SetTestTickCount(plat::CurrentTickCount());
  plat::AdvanceTestClock(ms);
}

void RunPendingMessages() {
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    if (m.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(m.wParam));
      return;
    }
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
}

void RunModalLoop(const std::function<bool()>& done, const std::function<void()>& stalled) {
  bool stalledOnce = false;
  auto& ts = Thread();
  while (!done()) {
    MSG m;
    if (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
      if (m.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(m.wParam));  // the outer loop sees it too
        return;
      }
      HWND top = ts.modal.empty() ? nullptr : ts.modal.back();
      if (top && IsDialogMessageW(top, &m)) continue;
      TranslateMessage(&m);
      DispatchMessageW(&m);
      continue;
    }
    if (RunNextStep()) continue;
    if (stalledOnce) return;
    stalledOnce = true;
    {
      auto& s = script();
      std::lock_guard<std::mutex> g(s.lock);
      ++s.stalls;
    }
    if (stalled) stalled();
  }
}

void Reset() {
  ResetWindows();
  ResetThreadState();
  {
    auto& s = script();
    std::lock_guard<std::mutex> g(s.lock);
    s.steps.clear();
    s.keysDown.clear();
    s.stalls = 0;
  }
  ResetBoxes();
  ResetMouse();
  ResetPainting();
  ResetVisualStyles();
}

}  // namespace plat::ui

using namespace plat::ui;

extern "C" {

LRESULT WINAPI SendMessageW(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto w = FindOrFail(hWnd);
  if (!w || !w->proc) return 0;
  WNDPROC proc = w->proc;
  return proc(hWnd, msg, wParam, lParam);
}

BOOL WINAPI PostMessageW(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (hWnd && !FindOrFail(hWnd)) return FALSE;
  Thread().posted.push_back(Make(hWnd, msg, wParam, lParam));
  return TRUE;
}

void WINAPI PostQuitMessage(int code) {
  auto& ts = Thread();
  ts.quit = true;
  ts.quitCode = code;
}

BOOL WINAPI PeekMessageW(LPMSG out, HWND filter, UINT lo, UINT hi, UINT remove) {
  if (!out) return FALSE;
  auto& ts = Thread();
  for (auto it = ts.posted.begin(); it != ts.posted.end(); ++it) {
    if (!InFilter(*it, filter, lo, hi)) continue;
    *out = *it;
    if (remove & PM_REMOVE) ts.posted.erase(it);
    return TRUE;
  }
  if (ts.quit && (lo == 0 && hi == 0)) {
    *out = Make(nullptr, WM_QUIT, static_cast<WPARAM>(ts.quitCode), 0);
    if (remove & PM_REMOVE) ts.quit = false;
    return TRUE;
  }
  const auto self = std::this_thread::get_id();
  if ((lo == 0 && hi == 0) || (WM_PAINT >= lo && WM_PAINT <= hi)) {
    for (HWND h : AllWindows()) {
      auto w = Find(h);
      if (!w || !w->invalid || w->thread != self || !IsWindowVisible(h)) continue;
      if (filter && h != filter && !IsChild(filter, h)) continue;
      *out = Make(h, WM_PAINT, 0, 0);
      return TRUE;
    }
  }
  if ((lo == 0 && hi == 0) || (WM_TIMER >= lo && WM_TIMER <= hi)) {
    const ULONGLONG now = plat::CurrentTickCount64();
    for (auto& t : ts.timers) {
      if (t.due > now) continue;
      if (filter && t.window != filter && !IsChild(filter, t.window)) continue;
      *out = Make(t.window, WM_TIMER, t.id, reinterpret_cast<LPARAM>(t.proc));
      if (remove & PM_REMOVE) t.due = now + t.elapse;
      return TRUE;
    }
  }
  return FALSE;
}

BOOL WINAPI GetMessageW(LPMSG out, HWND filter, UINT lo, UINT hi) {
  if (!out) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return -1;
  }
  for (;;) {
    if (PeekMessageW(out, filter, lo, hi, PM_REMOVE)) return out->message == WM_QUIT ? FALSE : TRUE;
    if (!RunNextStep()) {
      // Nothing can ever arrive: a blocked thread here would never wake.
      SetLastError(ERROR_INVALID_PARAMETER);
      return -1;
    }
  }
}

BOOL WINAPI TranslateMessage(const MSG* m) {
  // Keys are typed as characters by the driving API; there is no keyboard layout to apply.
  return m && m->message == WM_KEYDOWN ? TRUE : FALSE;
}

LRESULT WINAPI DispatchMessageW(const MSG* m) {
  if (!m) return 0;
  if (m->message == WM_TIMER && m->lParam) {
    reinterpret_cast<TIMERPROC>(m->lParam)(m->hwnd, WM_TIMER, m->wParam, plat::CurrentTickCount());
    return 0;
  }
  if (!m->hwnd) return 0;
  const LRESULT r = SendMessageW(m->hwnd, m->message, m->wParam, m->lParam);
  if (m->message == WM_PAINT) {
    // A window procedure that paints without BeginPaint would be asked again for ever.
    if (auto w = Find(m->hwnd)) w->invalid = false;
  }
  return r;
}

LRESULT WINAPI CallWindowProcW(WNDPROC proc, HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return proc ? proc(hWnd, msg, wParam, lParam) : 0;
}

UINT_PTR WINAPI SetTimer(HWND hWnd, UINT_PTR id, UINT elapse, TIMERPROC proc) {
  if (hWnd && !FindOrFail(hWnd)) return 0;
  auto& ts = Thread();
  if (!hWnd) id = ++ts.nextTimerId;
  elapse = std::max<UINT>(elapse, 10);  // USER_TIMER_MINIMUM
  const ULONGLONG due = plat::CurrentTickCount64() + elapse;
  for (auto& t : ts.timers) {
    if (t.window == hWnd && t.id == id) {
      t.elapse = elapse;
      t.due = due;
      t.proc = proc;
      return hWnd ? 1 : id;
    }
  }
  ts.timers.push_back(Timer{hWnd, id, elapse, due, proc});
  return hWnd ? 1 : id;
}

BOOL WINAPI KillTimer(HWND hWnd, UINT_PTR id) {
  auto& ts = Thread();
  auto it = std::find_if(ts.timers.begin(), ts.timers.end(),
                         [&](const Timer& t) { return t.window == hWnd && t.id == id; });
  if (it == ts.timers.end()) {
    SetLastError(1402);  // ERROR_INVALID_TIMER_HANDLE
    return FALSE;
  }
  ts.timers.erase(it);
  // A WM_TIMER already posted for it is taken back too.
  return TRUE;
}

BOOL WINAPI InvalidateRect(HWND hWnd, const RECT* r, BOOL erase) {
  if (!hWnd) return TRUE;
  auto w = FindOrFail(hWnd);
  if (!w) return FALSE;
  RECT client{0, 0, w->rect.right - w->rect.left, w->rect.bottom - w->rect.top};
  RECT add = r ? *r : client;
  if (w->invalid) {
    w->invalidRect = RECT{std::min(w->invalidRect.left, add.left), std::min(w->invalidRect.top, add.top),
                          std::max(w->invalidRect.right, add.right), std::max(w->invalidRect.bottom, add.bottom)};
  } else {
    w->invalidRect = add;
  }
  w->invalid = true;
  w->erase = w->erase || erase;
  return TRUE;
}

BOOL WINAPI ValidateRect(HWND hWnd, const RECT*) {
  auto w = FindOrFail(hWnd);
  if (!w) return FALSE;
  w->invalid = false;
  w->erase = false;
  return TRUE;
}

BOOL WINAPI UpdateWindow(HWND hWnd) {
  auto w = FindOrFail(hWnd);
  if (!w) return FALSE;
  if (w->invalid && IsWindowVisible(hWnd)) {
    SendMessageW(hWnd, WM_PAINT, 0, 0);
    if (auto x = Find(hWnd)) x->invalid = false;
  }
  return TRUE;
}

BOOL WINAPI RedrawWindow(HWND hWnd, const RECT* r, HRGN, UINT flags) {
  if (flags & RDW_INVALIDATE) {
    InvalidateRect(hWnd, r, (flags & RDW_ERASE) ? TRUE : FALSE);
    if (flags & RDW_ALLCHILDREN) {
      EnumChildWindows(
          hWnd, [](HWND c, LPARAM) { return InvalidateRect(c, nullptr, TRUE); }, 0);
    }
  }
  if (flags & RDW_UPDATENOW) UpdateWindow(hWnd);
  return TRUE;
}

BOOL WINAPI GetUpdateRect(HWND hWnd, LPRECT out, BOOL) {
  auto w = FindOrFail(hWnd);
  if (!w) return FALSE;
  if (out) *out = w->invalid ? w->invalidRect : RECT{0, 0, 0, 0};
  return w->invalid ? TRUE : FALSE;
}

HWND WINAPI SetFocus(HWND hWnd) {
  auto& ts = Thread();
  HWND old = ts.focus;
  if (hWnd && !FindOrFail(hWnd)) return nullptr;
  if (hWnd == old) return old;
  if (hWnd && !IsWindowEnabled(hWnd)) return nullptr;
  ts.focus = hWnd;
  if (old && IsWindow(old)) SendMessageW(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hWnd), 0);
  if (hWnd && ts.focus == hWnd) {
    ts.active = GetAncestor(hWnd, GA_ROOT);
    SendMessageW(hWnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
  }
  return old;
}

HWND WINAPI GetFocus() {
  auto& ts = Thread();
  if (ts.focus && !IsWindow(ts.focus)) ts.focus = nullptr;
  return ts.focus;
}

HWND WINAPI GetActiveWindow() {
  auto& ts = Thread();
  if (ts.active && !IsWindow(ts.active)) ts.active = nullptr;
  return ts.active;
}

HWND WINAPI SetActiveWindow(HWND hWnd) {
  auto& ts = Thread();
  HWND old = GetActiveWindow();
  if (hWnd && !FindOrFail(hWnd)) return nullptr;
  ts.active = hWnd ? GetAncestor(hWnd, GA_ROOT) : nullptr;
  if (old != ts.active) {
    if (old) SendMessageW(old, WM_ACTIVATE, 0, reinterpret_cast<LPARAM>(ts.active));
    if (ts.active) SendMessageW(ts.active, WM_ACTIVATE, 1, reinterpret_cast<LPARAM>(old));
  }
  return old;
}

HWND WINAPI GetForegroundWindow() { return GetActiveWindow(); }
BOOL WINAPI SetForegroundWindow(HWND hWnd) { return SetActiveWindow(hWnd) || IsWindow(hWnd) ? TRUE : FALSE; }

HWND WINAPI SetCapture(HWND hWnd) {
  auto& ts = Thread();
  HWND old = ts.capture;
  ts.capture = hWnd;
  if (old && old != hWnd && IsWindow(old)) SendMessageW(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hWnd));
  return old;
}

HWND WINAPI GetCapture() { return Thread().capture; }

BOOL WINAPI ReleaseCapture() {
  auto& ts = Thread();
  HWND old = ts.capture;
  ts.capture = nullptr;
  if (old && IsWindow(old)) SendMessageW(old, WM_CAPTURECHANGED, 0, 0);
  return TRUE;
}

SHORT WINAPI GetKeyState(int key) {
  auto& s = script();
  std::lock_guard<std::mutex> g(s.lock);
  return s.keysDown.count(key) ? static_cast<SHORT>(0x8000) : 0;
}

SHORT WINAPI GetAsyncKeyState(int key) { return GetKeyState(key); }

BOOL WINAPI MessageBeep(UINT) { return TRUE; }

LRESULT WINAPI DefWindowProcW(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto w = Find(hWnd);
  if (!w) return 0;
  switch (msg) {
    case WM_NCCREATE: {
      const auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lParam);
      if (cs && cs->lpszName && (reinterpret_cast<ULONG_PTR>(cs->lpszName) >> 16) != 0) w->text = cs->lpszName;
      return TRUE;
    }
    case WM_SETTEXT:
      w->text = lParam ? reinterpret_cast<LPCWSTR>(lParam) : u"";
      InvalidateRect(hWnd, nullptr, TRUE);
      return TRUE;
    case WM_GETTEXT: return CopyText(w->text, reinterpret_cast<LPWSTR>(lParam), wParam);
    case WM_GETTEXTLENGTH: return static_cast<LRESULT>(w->text.size());
    case WM_SETFONT:
      w->font = reinterpret_cast<HFONT>(wParam);
      if (LOWORD(static_cast<DWORD_PTR>(lParam))) InvalidateRect(hWnd, nullptr, TRUE);
      return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(w->font);
    case WM_CLOSE: DestroyWindow(hWnd); return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      BeginPaint(hWnd, &ps);
      EndPaint(hWnd, &ps);
      return 0;
    }
    case WM_ERASEBKGND: {
      const WindowClass* c = FindClass(w->className);
      HBRUSH brush = c && c->background ? c->background : GetSysColorBrush(COLOR_BTNFACE);
      RECT r;
      GetClientRect(hWnd, &r);
      FillRect(reinterpret_cast<HDC>(wParam), &r, brush);
      return 1;
    }
    case WM_HELP:
    case WM_CONTEXTMENU:
      if (w->parent) return SendMessageW(w->parent, msg, wParam, lParam);
      return 0;
    case WM_NCHITTEST: {
      // No frames are drawn: the whole window is client area.
      RECT r;
      GetWindowRect(hWnd, &r);
      const POINT p{static_cast<SHORT>(LOWORD(static_cast<DWORD_PTR>(lParam))),
                    static_cast<SHORT>(HIWORD(static_cast<DWORD_PTR>(lParam)))};
      return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom ? HTCLIENT : HTNOWHERE;
    }
    case WM_SETCURSOR: {
      // The parent chooses first; then the window under the pointer shows its class cursor
      // over its client area and the arrow elsewhere.
      if ((w->style & WS_CHILD) && w->parent && SendMessageW(w->parent, WM_SETCURSOR, wParam, lParam)) return TRUE;
      if (reinterpret_cast<HWND>(wParam) != hWnd) return FALSE;
      const auto hit = static_cast<SHORT>(LOWORD(static_cast<DWORD_PTR>(lParam)));
      const UINT mouse = HIWORD(static_cast<DWORD_PTR>(lParam));
      if (hit == HTCLIENT) {
        const WindowClass* c = FindClass(w->className);
        if (c && c->cursor) SetCursor(c->cursor);
      } else if (hit == HTERROR) {
        if (mouse == WM_LBUTTONDOWN || mouse == WM_RBUTTONDOWN || mouse == WM_MBUTTONDOWN) MessageBeep(0);
      } else {
        SetCursor(LoadCursorW(nullptr, IDC_ARROW));
      }
      return FALSE;
    }
    // The control's text goes on the colour of the brush answered.
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
      SetTextColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_WINDOWTEXT));
      SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_WINDOW));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
      SetTextColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_WINDOWTEXT));
      SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_BTNFACE));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    default: return 0;
  }
}

BOOL WINAPI IsDialogMessageW(HWND hDlg, LPMSG m) {
  if (!m || !hDlg || (m->hwnd != hDlg && !IsChild(hDlg, m->hwnd))) return FALSE;
  if (m->message == WM_KEYDOWN && m->hwnd) {
    const LRESULT code = SendMessageW(m->hwnd, WM_GETDLGCODE, m->wParam, reinterpret_cast<LPARAM>(m));
    if (!(code & DLGC_WANTALLKEYS)) {
      switch (m->wParam) {
        case VK_RETURN: {
          auto w = Find(hDlg);
          const WORD id = w && w->isDialog ? LOWORD(static_cast<DWORD_PTR>(SendMessageW(hDlg, DM_GETDEFID, 0, 0)))
                                           : static_cast<WORD>(IDOK);
          HWND button = ChildById(hDlg, id);
          if (!button || IsWindowEnabled(button))
            SendMessageW(hDlg, WM_COMMAND, MAKEWPARAM(id ? id : IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(button));
          return TRUE;
        }
        case VK_ESCAPE:
          SendMessageW(hDlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(ChildById(hDlg, IDCANCEL)));
          return TRUE;
        case VK_TAB:
          if (!(code & DLGC_WANTTAB)) {
            SetFocus(GetNextDlgTabItem(hDlg, m->hwnd, GetKeyState(VK_SHIFT) < 0));
            return TRUE;
          }
          break;
        default: break;
      }
    }
  }
  TranslateMessage(m);
  DispatchMessageW(m);
  return TRUE;
}

DWORD WINAPI GetSysColor(int index) {
  switch (index) {
    case COLOR_WINDOW: return RGB(255, 255, 255);
    case COLOR_WINDOWTEXT: return RGB(0, 0, 0);
    case COLOR_HIGHLIGHT: return RGB(0, 120, 215);
    case COLOR_HIGHLIGHTTEXT: return RGB(255, 255, 255);
    case COLOR_BTNFACE: return RGB(240, 240, 240);
    case COLOR_BTNSHADOW: return RGB(160, 160, 160);
    case COLOR_GRAYTEXT: return RGB(109, 109, 109);
    case COLOR_BTNTEXT: return RGB(0, 0, 0);
    case COLOR_BTNHIGHLIGHT: return RGB(255, 255, 255);
    case COLOR_3DDKSHADOW: return RGB(105, 105, 105);
    case COLOR_3DLIGHT: return RGB(227, 227, 227);
    default: return 0;
  }
}

int WINAPI GetSystemMetrics(int index) {
  switch (index) {
    case SM_CXSCREEN: return 1920;
    case SM_CYSCREEN: return 1080;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
    case SM_CXHSCROLL: return 17;
    case SM_CYCAPTION: return 23;
    case SM_CXBORDER:
    case SM_CYBORDER: return 1;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME: return 3;
    case SM_CXICON:
    case SM_CYICON: return 32;
    case SM_CXEDGE:
    case SM_CYEDGE: return 2;
    case SM_CXSMICON:
    case SM_CYSMICON: return 16;
    default: return 0;
  }
}

LONG WINAPI GetDialogBaseUnits() { return static_cast<LONG>(MAKELONG(8, 16)); }

}  // extern "C"
