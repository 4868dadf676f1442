// Context help, the delayed tip popup of the page controls, the value pictures and tips of
// the value table, and the host workaround for subclassed controls.
#include "pages/help_tips.h"

#include <algorithm>
#include <cstdint>

#include "base/dictionary_pages.h"
#include "base/driver_context.h"
#include "base/paths_and_names.h"
#include "base/ui_strings.h"
#include "context/page_binding.h"
#include "model/ui_tables.h"
#include "modules/preset_module.h"
#include "pages/page_dialog.h"
#include "stored/snapshot_ring.h"
#include "win/commdlg.h"
#include "win/controls.h"
#include "win/paint.h"

namespace {

constexpr WORD kGroupBoxKind = 4;
constexpr WORD kPresetIconKind = 50;
constexpr WORD kTrayPicture = 2067;
constexpr WORD kTrayPictureRight = 3203;
constexpr COLORREF kTipBackground = 0xD8FFFF;
constexpr int kTipText = 1025;

bool IsValueCombo(const ControlRecord* c) { return c->kind == 43 || c->kind == 48; }

struct ValuePictureRow {
  WORD controlId;
  WORD value;
  WORD picture;
  WORD greyedPicture;
  WORD tipStringId;
};

constexpr ValuePictureRow kValuePictures[] = {
    {2937, 13137, 7447, 7451, 0}, {2937, 13138, 7446, 7450, 0}, {2937, 13139, 7445, 7449, 0},
    {2937, 13140, 7448, 7452, 0}, {0, 0, 0, 0, 0},
};

struct FrameTextRow {
  WORD controlId;
  WORD stringId;
};

constexpr FrameTextRow kFrameTexts[] = {
    {2037, 0xFFFF}, {2038, 0xFFFF}, {2079, 0xFFFF}, {2080, 0xFFFF}, {2096, 0xFFFF}, {2097, 0xFFFF},
    {2114, 0xFFFF}, {2115, 0xFFFF}, {2714, 0xFFFF}, {2715, 0xFFFF}, {2002, 0xFFFF}, {2922, 0xFFFF},
    {2923, 0xFFFF}, {3114, 0xFFFF}, {3115, 0xFFFF}, {2003, 13187},  {2140, 13191},  {2143, 13189},
    {2144, 13190},  {2502, 13192},  {2503, 13193},  {2792, 13194},  {2802, 13195},  {2803, 13196},
    {0, 0},
};

const FrameTextRow* FindFrameTextRow(const ControlRecord* control) {
  if (!control) return nullptr;
  for (const FrameTextRow* r = kFrameTexts; r->controlId; ++r)
    if (r->controlId == control->controlId) return r;
  return nullptr;
}

const ValuePictureRow* FindValuePictureRow(const ControlRecord* control, DWORD value) {
  if (!control) return nullptr;
  for (const ValuePictureRow* r = kValuePictures; r->controlId; ++r)
    if (r->controlId == control->controlId && r->value == value) return r;
  return nullptr;
}

// The tip's text: lines split at line feeds.
void MeasureLines(HDC dc, const WCHAR* text, int* width, int* height) {
  *width = 0;
  *height = 0;
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  int lines = 0;
  const WCHAR* line = text;
  for (const WCHAR* p = text;; ++p) {
    if (*p == u'\n' || *p == 0) {
      SIZE size{};
      int n = static_cast<int>(p - line);
      if (n > 0 && line[n - 1] == u'\r') --n;
      if (n > 0) GetTextExtentPoint32W(dc, line, n, &size);
      *width = std::max(*width, static_cast<int>(size.cx));
      ++lines;
      if (!*p) break;
      line = p + 1;
    }
  }
  *height = static_cast<int>(tm.tmHeight) * lines;
}

// Screen limits less the taskbar when it lies beyond the middle of one screen edge.
RECT TipLimits() {
  RECT limits{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (HWND tray = FindWindowW(u"Shell_TrayWnd", nullptr)) {
    RECT t{};
    GetWindowRect(tray, &t);
    const int midX = limits.right / 2, midY = limits.bottom / 2;
    if (t.top > midY) limits.bottom = std::min(limits.bottom, t.top);
    else if (t.bottom < midY) limits.top = std::max(limits.top, t.bottom);
    else if (t.left > midX) limits.right = std::min(limits.right, t.left);
    else if (t.right < midX) limits.left = std::max(limits.left, t.right);
  }
  return limits;
}

void CloseTipWindow(DriverContext* context, HWND pageWindow) {
  PageEngineState& s = context->work->sheet;
  if (s.tipTimerId) {
    KillTimer(pageWindow, s.tipTimerId);
    s.tipTimerId = 0;
    if (s.tipWindow && IsWindow(s.tipWindow)) DestroyWindow(s.tipWindow);
  } else if (s.tipWindow) {
    // The tip was up: the page paints what it covered.
    if (IsWindow(s.tipWindow)) DestroyWindow(s.tipWindow);
    if (pageWindow) PostMessageW(pageWindow, WM_PAINT, 0, 0);
  }
  s.tipWindow = nullptr;
  s.tipControlId = 0;
  s.tipKey = 0;
  s.tipControlWindow = nullptr;
}

// The preset icon under (x, y) of the page: its comment, where the tip goes and its index.
bool PresetIconTip(DriverContext* context, ControlRecord* control, HWND pageWindow, int* x, int* y, int* key,
                   WCHAR* text) {
  const MeasureItemRow* cell = FindMeasureItemEntry(control->controlId);
  if (!cell || cell->width <= 0 || cell->height <= 0 || !control->window) return false;
  RECT r{};
  GetWindowRect(control->window, &r);
  POINT topLeft{r.left, r.top};
  ScreenToClient(pageWindow, &topLeft);
  if (*y < topLeft.y || *y >= topLeft.y + cell->height || *x < topLeft.x) return false;
  const LRESULT top = SendMessageW(control->window, LB_GETTOPINDEX, 0, 0);
  const LRESULT count = SendMessageW(control->window, LB_GETCOUNT, 0, 0);
  const LRESULT column = (*x - topLeft.x) / cell->width;
  const LRESULT index = (top < 0 ? 0 : top) + column;
  if (index < 0 || index >= count) return false;
  // Reading a preset's comment works on the live settings: they are kept aside and put
  // back. When no snapshot can be kept the tip is not shown, so nothing is lost.
  if (!PushSettingsSnapshot(context)) return false;
  text[0] = 0;
  ReadPresetListText(context, static_cast<int>(index), 2, text);
  PopSettingsSnapshot(context, 1);
  // A stored "\n" pair is a line break.
  WCHAR* out = text;
  for (const WCHAR* p = text; *p; ++p) {
    if (p[0] == u'\\' && p[1] == u'n') {
      *out++ = u'\n';
      ++p;
    } else {
      *out++ = *p;
    }
  }
  *out = 0;
  if (!text[0]) return false;
  *x = topLeft.x + static_cast<int>(column) * cell->width + cell->width / 2;
  *y = topLeft.y + cell->height / 2;
  (void)key;  // the cell's centre already names the icon
  return true;
}

}  // namespace

void ShowControlHelp(HWND pageWindow, HWND controlWindow, UINT message) {
  if (message != WM_HELP && message != WM_CONTEXTMENU) return;
  DriverContext* context = PageContext(pageWindow);
  if (!context || !controlWindow) return;
  PageRecord* page = FindPageByWindow(context, pageWindow);
  ControlRecord* control = page ? FindControlByWindow(context, page, controlWindow) : nullptr;
  if (!control || ControlHidden(control)) return;
  DWORD data[4] = {control->controlId, control->helpId, 0, 0};
  const WCHAR* file = GetHelpFilePath(context);
  if (message == WM_HELP) {
    WinHelpW(controlWindow, file, HELP_WM_HELP, reinterpret_cast<ULONG_PTR>(data));
  } else {
    HWND target = control->kind == kGroupBoxKind ? pageWindow : controlWindow;
    WinHelpW(target, file, HELP_CONTEXTMENU, reinterpret_cast<ULONG_PTR>(data));
  }
}

void SetTipPopup(DriverContext* context, ControlRecord* control, HWND pageWindow, int x, int y) {
  ShowTipPopup(context, control, pageWindow, x, y, -1);
}

void ShowTipPopup(DriverContext* context, ControlRecord* control, HWND pageWindow, int x, int y, int item) {
  if (!context || !context->work) return;
  PageEngineState& s = context->work->sheet;
  std::int32_t key = x;
  if (control) {
    if (control->controlId == kTrayPicture || control->controlId == kTrayPictureRight) key = y;
    if (IsValueCombo(control)) {
      if (item < 0 && control->window) item = static_cast<int>(SendMessageW(control->window, CB_GETCURSEL, 0, 0));
      if (item >= 0) key = item;
    }
  }
  if (control && control->controlId == s.tipControlId && key == s.tipKey && s.tipWindow) return;
  if (!control && s.tipWindow && s.tipTimerId) return;
  CloseTipWindow(context, pageWindow);
  if (!control || !pageWindow) return;
  const bool comboItem = IsValueCombo(control) && item >= 0;
  const bool presetIcons = control->kind == kPresetIconKind;
  if (!control->tipId && !comboItem && !presetIcons) return;

  WCHAR text[kTipText] = {};
  if (presetIcons && !control->tipId) {
    if (!PresetIconTip(context, control, pageWindow, &x, &y, &key, text)) return;
  } else if (control->tipId) {
    LoadUiString(context, control->tipId, text, kTipText, 1);
  } else {
    const auto value = static_cast<DWORD>(SendMessageW(control->window, CB_GETITEMDATA, static_cast<WPARAM>(item), 0));
    const WORD id = value != 0xFFFFFFFFu ? GetValueTipString(control, value) : 0;
    if (id) LoadUiString(context, id, text, kTipText, 1);
    if (!text[0]) {
      const LRESULT length = SendMessageW(control->window, CB_GETLBTEXTLEN, static_cast<WPARAM>(item), 0);
      if (length >= 0 && length < kTipText)
        SendMessageW(control->window, CB_GETLBTEXT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(text));
    }
  }
  if (!text[0]) return;

  // Measured with the page's font.
  const auto font = reinterpret_cast<HFONT>(SendMessageW(pageWindow, WM_GETFONT, 0, 0));
  int width = 0, height = 0;
  if (HDC dc = CreateCompatibleDC(nullptr)) {
    HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
    MeasureLines(dc, text, &width, &height);
    if (old) SelectObject(dc, old);
    DeleteDC(dc);
  }
  POINT at{x, y};
  ClientToScreen(pageWindow, &at);
  const RECT limits = TipLimits();
  if (at.x + width + 16 > limits.right) at.x = std::max(limits.right - width - 16, limits.left + 16);
  if (at.y + height + 12 > limits.bottom) at.y = std::max(limits.bottom - height - 12, limits.top + 12);
  HWND tip = CreateWindowExW(0, u"STATIC", text, WS_POPUP | WS_BORDER, at.x, at.y, width + 8, height + 6, pageWindow,
                             nullptr, reinterpret_cast<HINSTANCE>(context->uiModule), nullptr);
  if (!tip) return;
  if (font) SendMessageW(tip, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  s.tipWindow = tip;
  s.tipControlId = control->controlId;
  s.tipKey = key;
  s.tipControlWindow = control->window;
  s.tipTimerId = SetTimer(pageWindow, kTipTimerId, kTipDelay, nullptr);
}

bool OnTipTimer(DriverContext* context, HWND pageWindow, UINT_PTR timerId) {
  if (!context || !context->work || timerId != kTipTimerId) return false;
  PageEngineState& s = context->work->sheet;
  if (!s.tipTimerId) return false;
  KillTimer(pageWindow, s.tipTimerId);
  s.tipTimerId = 0;
  if (!s.tipWindow || !IsWindow(s.tipWindow) || !s.tipControlWindow) return true;
  POINT pointer{};
  GetCursorPos(&pointer);
  RECT area{};
  GetWindowRect(s.tipControlWindow, &area);
  PageRecord* page = FindPageByWindow(context, pageWindow);
  ControlRecord* control = page ? FindControlByWindow(context, page, s.tipControlWindow) : nullptr;
  if (control && (control->kind == 43 || control->kind == 45 || control->kind == 48)) {
    RECT dropped{};
    if (SendMessageW(s.tipControlWindow, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped)) &&
        dropped.right > dropped.left)
      area = dropped;
  }
  if (pointer.x < area.left || pointer.x >= area.right || pointer.y < area.top || pointer.y >= area.bottom)
    return true;
  HWND focusParent = GetParent(GetFocus());
  HWND parent = GetParent(s.tipControlWindow);
  if (!focusParent || (parent != focusParent && GetParent(parent) != focusParent)) return true;
  ShowWindow(s.tipWindow, SW_SHOWNOACTIVATE);
  PaintTipPopup(context);
  return true;
}

void PaintTipPopup(DriverContext* context) {
  if (!context || !context->work) return;
  HWND tip = context->work->sheet.tipWindow;
  if (!tip || !IsWindow(tip)) return;
  WCHAR text[kTipText] = {};
  GetWindowTextW(tip, text, kTipText);
  HDC dc = GetDC(tip);
  if (!dc) return;
  RECT client{};
  GetClientRect(tip, &client);
  HBRUSH brush = CreateSolidBrush(kTipBackground);
  FillRect(dc, &client, brush);
  DeleteObject(brush);
  const auto font = reinterpret_cast<HFONT>(SendMessageW(tip, WM_GETFONT, 0, 0));
  HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
  SetTextColor(dc, 0x000000);
  SetBkColor(dc, kTipBackground);
  SetBkMode(dc, TRANSPARENT);
  RECT inside{client.left + 2, client.top + 2, client.right - 2, client.bottom - 2};
  DrawTextW(dc, text, -1, &inside, DT_NOPREFIX | DT_NOCLIP | DT_EXPANDTABS);
  if (old) SelectObject(dc, old);
  ReleaseDC(tip, dc);
  ValidateRect(tip, nullptr);
}

WORD GetValuePicture(const ControlRecord* control, DWORD value) {
  const ValuePictureRow* row = FindValuePictureRow(control, value);
  if (!row) return 0;
  return ControlGreyed(control) && row->greyedPicture ? row->greyedPicture : row->picture;
}

WORD GetValueTipString(const ControlRecord* control, DWORD value) {
  const ValuePictureRow* row = FindValuePictureRow(control, value);
  return row ? row->tipStringId : 0;
}

void SetFrameTextByControl(DriverContext* context, const ControlRecord* control) {
  if (!context || !context->work) return;
  const FrameTextRow* row = FindFrameTextRow(control);
  context->work->sheet.frameTextId = row ? row->stringId : 0;
}

void ClearFrameText(DriverContext* context) {
  if (context && context->work) context->work->sheet.frameTextId = 0;
}

bool HasFrameTextRow(const ControlRecord* control) { return FindFrameTextRow(control) != nullptr; }

void RestoreHostClassWindowProcs(DriverContext*, HWND window) {
  if (!window) return;
  if (!FindWindowW(u"CorelDRAW 8.0", nullptr) && !FindWindowW(u"CorelDRAW 9.0", nullptr)) return;
  for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    WCHAR name[49] = {};
    if (!GetClassNameW(child, name, 49)) continue;
    WNDCLASSEXW info{};
    info.cbSize = sizeof info;
    if (!GetClassInfoExW(nullptr, name, &info) || !info.lpfnWndProc) continue;
    SetWindowLongPtrW(child, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(info.lpfnWndProc));
  }
}

void NoPageHook(DriverContext*) {}
