// The edit control: text, selection, limit, password character, read-only and number
// styles, and EN_UPDATE, EN_CHANGE, EN_SETFOCUS, EN_KILLFOCUS, EN_MAXTEXT in Windows' order.
#include <algorithm>

#include "paint_internal.h"
#include "ui_internal.h"

namespace plat::ui {
namespace {

struct EditState : ControlState {
  std::size_t selStart = 0;
  std::size_t selEnd = 0;
  std::size_t limit = 0x7FFFFFFE;
  WCHAR password = 0;
  bool modified = false;
  bool initialised = false;
};

void Changed(HWND h, EditState& s) {
  s.modified = true;
  NotifyParent(h, EN_UPDATE);
  InvalidateRect(h, nullptr, TRUE);
  NotifyParent(h, EN_CHANGE);
}

// Replaces the selection with text, within the limit; false (EN_MAXTEXT) when nothing of
// it fits.
bool ReplaceSelection(HWND h, EditState& s, std::u16string text, bool notify) {
  auto w = Find(h);
  std::u16string& t = w->text;
  const std::size_t a = std::min({s.selStart, s.selEnd, t.size()});
  const std::size_t b = std::min(std::max(s.selStart, s.selEnd), t.size());
  const std::size_t room = s.limit > t.size() - (b - a) ? s.limit - (t.size() - (b - a)) : 0;
  bool cut = false;
  if (text.size() > room) {
    text.resize(room);
    cut = true;
  }
  if (cut && text.empty()) {
    NotifyParent(h, EN_MAXTEXT);
    return false;
  }
  t.replace(a, b - a, text);
  s.selStart = s.selEnd = a + text.size();
  if (notify) Changed(h, s);
  if (cut) NotifyParent(h, EN_MAXTEXT);
  return true;
}

void Paint(HWND h, EditState& s) {
  auto w = Find(h);
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(h, &ps);
  RECT r;
  GetClientRect(h, &r);
  const bool disabled = (w->style & WS_DISABLED) != 0;
  const bool readOnly = (w->style & ES_READONLY) != 0;
  FillRect(dc, &r, GetSysColorBrush(disabled || readOnly ? COLOR_BTNFACE : COLOR_WINDOW));
  FrameRect(dc, &r, GetSysColorBrush(COLOR_BTNSHADOW));
  std::u16string shown = s.password ? std::u16string(w->text.size(), s.password) : w->text;
  SetTextColor(dc, GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_WINDOWTEXT));
  TextOutW(dc, 2, 2, shown.c_str(), static_cast<int>(shown.size()));
  EndPaint(h, &ps);
}

}  // namespace

LRESULT EditProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto s = StateOf<EditState>(h);
  auto w = Find(h);
  if (!s || !w) return DefWindowProcW(h, msg, wParam, lParam);
  if (!s->initialised) {
    s->initialised = true;
    if (w->style & ES_PASSWORD) s->password = u'*';
  }
  switch (msg) {
    case WM_SETTEXT: {
      w->text = lParam ? reinterpret_cast<LPCWSTR>(lParam) : u"";
      s->selStart = s->selEnd = 0;
      s->modified = false;
      InvalidateRect(h, nullptr, TRUE);
      // A single-line edit reports text set by the program as a change too.
      if (!(w->style & ES_MULTILINE)) {
        NotifyParent(h, EN_UPDATE);
        NotifyParent(h, EN_CHANGE);
      }
      return TRUE;
    }
    case WM_GETDLGCODE: {
      LRESULT code = DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
      if ((w->style & ES_MULTILINE) && (w->style & ES_WANTRETURN)) code |= DLGC_WANTALLKEYS;
      return code;
    }
    case WM_CHAR: {
      const WCHAR c = static_cast<WCHAR>(wParam);
      if (w->style & ES_READONLY) {
        MessageBeep(0);
        return 0;
      }
      if (c == VK_BACK) {
        if (s->selStart == s->selEnd) {
          if (s->selStart == 0) return 0;
          s->selStart = std::min(s->selStart, w->text.size()) - 1;
        }
        ReplaceSelection(h, *s, u"", true);
        return 0;
      }
      if (c < 0x20 && !(c == u'\r' && (w->style & ES_MULTILINE))) return 0;
      if ((w->style & ES_NUMBER) && (c < u'0' || c > u'9')) {
        MessageBeep(0);
        return 0;
      }
      std::u16string text(1, c);
      if (c == u'\r') text = u"\r\n";
      if ((w->style & ES_UPPERCASE) && c >= u'a' && c <= u'z') text[0] = static_cast<WCHAR>(c - 32);
      if ((w->style & ES_LOWERCASE) && c >= u'A' && c <= u'Z') text[0] = static_cast<WCHAR>(c + 32);
      ReplaceSelection(h, *s, text, true);
      return 0;
    }
    case WM_KEYDOWN:
      if (wParam == VK_DELETE && !(w->style & ES_READONLY)) {
        if (s->selStart == s->selEnd) {
          if (s->selEnd >= w->text.size()) return 0;
          s->selEnd = s->selStart + 1;
        }
        ReplaceSelection(h, *s, u"", true);
      } else if (wParam == VK_HOME) {
        s->selStart = s->selEnd = 0;
      } else if (wParam == VK_END) {
        s->selStart = s->selEnd = w->text.size();
      }
      return 0;
    case EM_GETSEL: {
      const DWORD a = static_cast<DWORD>(std::min(s->selStart, s->selEnd));
      const DWORD b = static_cast<DWORD>(std::max(s->selStart, s->selEnd));
      if (wParam) *reinterpret_cast<DWORD*>(wParam) = a;
      if (lParam) *reinterpret_cast<DWORD*>(lParam) = b;
      return static_cast<LRESULT>(MAKELONG(static_cast<WORD>(std::min<DWORD>(a, 0xFFFF)),
                                           static_cast<WORD>(std::min<DWORD>(b, 0xFFFF))));
    }
    case EM_SETSEL: {
      const auto start = static_cast<long long>(static_cast<int>(wParam));
      const auto end = static_cast<long long>(static_cast<int>(lParam));
      const std::size_t n = w->text.size();
      if (start < 0) {
        s->selStart = s->selEnd = std::min(s->selEnd, n);
        return 0;
      }
      s->selStart = std::min<std::size_t>(static_cast<std::size_t>(start), n);
      s->selEnd = end < 0 ? n : std::min<std::size_t>(static_cast<std::size_t>(end), n);
      return 0;
    }
    case EM_REPLACESEL:
      if (lParam) ReplaceSelection(h, *s, reinterpret_cast<LPCWSTR>(lParam), true);
      return 0;
    case EM_LIMITTEXT: s->limit = wParam ? static_cast<std::size_t>(wParam) : 0x7FFFFFFE; return 0;
    case EM_GETLIMITTEXT: return static_cast<LRESULT>(s->limit);
    case EM_SETPASSWORDCHAR:
      s->password = static_cast<WCHAR>(wParam);
      if (wParam) w->style |= ES_PASSWORD;
      else w->style &= ~ES_PASSWORD;
      InvalidateRect(h, nullptr, TRUE);
      return 0;
    case EM_GETPASSWORDCHAR: return s->password;
    case EM_GETMODIFY: return s->modified ? TRUE : FALSE;
    case EM_SETMODIFY: s->modified = wParam != 0; return 0;
    case EM_SETREADONLY:
      if (wParam) w->style |= ES_READONLY;
      else w->style &= ~ES_READONLY;
      InvalidateRect(h, nullptr, TRUE);
      return TRUE;
    case EM_GETLINECOUNT: {
      LRESULT lines = 1;
      if (w->style & ES_MULTILINE)
        for (std::size_t i = 0; i + 1 < w->text.size(); ++i)
          if (w->text[i] == u'\r' && w->text[i + 1] == u'\n') ++lines;
      return lines;
    }
    case EM_CANUNDO: return FALSE;
    case WM_SETFOCUS:
      NotifyParent(h, EN_SETFOCUS);
      return 0;
    case WM_KILLFOCUS:
      NotifyParent(h, EN_KILLFOCUS);
      return 0;
    case WM_LBUTTONDOWN:
      SetFocus(h);
      return 0;
    case WM_PAINT: Paint(h, *s); return 0;
    case WM_ERASEBKGND: return 1;
    default: return DefWindowProcW(h, msg, wParam, lParam);
  }
}

}  // namespace plat::ui
