// Dialogs from templates: reading DLGTEMPLATE and DLGTEMPLATEEX, creating the dialog and
// its controls in Windows' order, the modal loop of DialogBox, EndDialog, the default
// dialog procedure and the dialog-item helpers.
#include <algorithm>
#include <cstring>
#include <string>

#include "paint_internal.h"
#include "plat/ui_driver.h"
#include "plat/wstr.h"
#include "ui_internal.h"
#include "win/errors.h"
#include "win/resources.h"

namespace plat::ui {
namespace {

constexpr WORD kFixedBaseX = 8;
constexpr WORD kFixedBaseY = 16;

// A reader of template bytes that never reads past the end.
class TemplateReader {
 public:
  TemplateReader(const BYTE* data, std::size_t size) : p_(data), size_(size) {}
  bool Ok() const { return ok_; }
  WORD Word() {
    WORD v = 0;
    Take(&v, 2);
    return v;
  }
  DWORD Dword() {
    DWORD v = 0;
    Take(&v, 4);
    return v;
  }
  short Short() { return static_cast<short>(Word()); }
  BYTE Byte() {
    BYTE v = 0;
    Take(&v, 1);
    return v;
  }
  std::u16string String() {
    std::u16string s;
    for (;;) {
      const WORD c = Word();
      if (!ok_ || c == 0) return s;
      s.push_back(static_cast<char16_t>(c));
    }
  }
  // sz_Or_Ord: 0 none, 0xFFFF then an ordinal, or a string.
  void NameOrOrdinal(std::u16string& name, WORD& ordinal, bool& isOrdinal) {
    isOrdinal = false;
    ordinal = 0;
    name.clear();
    const WORD first = Peek();
    if (first == 0) {
      Word();
    } else if (first == 0xFFFF) {
      Word();
      ordinal = Word();
      isOrdinal = true;
    } else {
      name = String();
    }
  }
  void AlignDword() { pos_ = std::min(size_, (pos_ + 3) & ~std::size_t(3)); }
  const BYTE* Here() const { return p_ + pos_; }
  void Skip(std::size_t n) {
    if (pos_ + n > size_) ok_ = false;
    else pos_ += n;
  }

 private:
  WORD Peek() const {
    if (pos_ + 2 > size_) return 0;
    WORD v;
    std::memcpy(&v, p_ + pos_, 2);
    return v;
  }
  void Take(void* out, std::size_t n) {
    if (pos_ + n > size_) {
      ok_ = false;
      return;
    }
    std::memcpy(out, p_ + pos_, n);
    pos_ += n;
  }
  const BYTE* p_;
  std::size_t size_;
  std::size_t pos_ = 0;
  bool ok_ = true;
};

struct ItemTemplate {
  DWORD style = 0, exStyle = 0;
  short x = 0, y = 0, cx = 0, cy = 0;
  DWORD id = 0;
  std::u16string className;
  WORD classAtom = 0;
  bool classIsAtom = false;
  std::u16string title;
  WORD titleOrdinal = 0;
  bool titleIsOrdinal = false;
  std::vector<BYTE> extra;
};

struct DialogTemplate {
  DWORD style = 0, exStyle = 0;
  short x = 0, y = 0, cx = 0, cy = 0;
  std::u16string className;
  std::u16string title;
  WORD pointSize = 0;
  WORD weight = 0;
  BYTE italic = 0;
  std::u16string face;
  std::vector<ItemTemplate> items;
};

// Templates come from resources of unknown length; a template handed over directly is read
// up to a generous bound.
constexpr std::size_t kUnboundedTemplate = 1u << 20;

bool ParseTemplate(const BYTE* data, std::size_t size, DialogTemplate& out) {
  TemplateReader r(data, size);
  WORD count = 0;
  bool ex = false;
  WORD first = 0, second = 0;
  std::memcpy(&first, data, 2);
  std::memcpy(&second, data + 2, 2);
  if (first == 1 && second == 0xFFFF) {
    ex = true;
    r.Word();
    r.Word();
    r.Dword();  // help id
    out.exStyle = r.Dword();
    out.style = r.Dword();
  } else {
    out.style = r.Dword();
    out.exStyle = r.Dword();
  }
  count = r.Word();
  out.x = r.Short();
  out.y = r.Short();
  out.cx = r.Short();
  out.cy = r.Short();
  std::u16string menu;
  WORD ord = 0;
  bool isOrd = false;
  r.NameOrOrdinal(menu, ord, isOrd);
  WORD classOrd = 0;
  r.NameOrOrdinal(out.className, classOrd, isOrd);
  if (isOrd && classOrd != 0x8002) out.className.clear();
  out.title = r.String();
  if (out.style & DS_SETFONT) {
    out.pointSize = r.Word();
    if (ex) {
      out.weight = r.Word();
      out.italic = r.Byte();
      r.Byte();  // character set
    }
    out.face = r.String();
  }
  for (WORD i = 0; i < count && r.Ok(); ++i) {
    r.AlignDword();
    ItemTemplate item;
    if (ex) {
      r.Dword();  // help id
      item.exStyle = r.Dword();
      item.style = r.Dword();
    } else {
      item.style = r.Dword();
      item.exStyle = r.Dword();
    }
    item.x = r.Short();
    item.y = r.Short();
    item.cx = r.Short();
    item.cy = r.Short();
    item.id = ex ? r.Dword() : r.Word();
    r.NameOrOrdinal(item.className, item.classAtom, item.classIsAtom);
    r.NameOrOrdinal(item.title, item.titleOrdinal, item.titleIsOrdinal);
    const WORD extra = r.Word();
    if (extra) {
      const BYTE* at = r.Here();
      r.Skip(extra);
      if (r.Ok()) item.extra.assign(at, at + extra);
    }
    out.items.push_back(std::move(item));
  }
  return r.Ok();
}

LONG ToPixelsX(LONG dlu) { return dlu * kFixedBaseX / 4; }
LONG ToPixelsY(LONG dlu) { return dlu * kFixedBaseY / 8; }

LPCWSTR AtomName(WORD atom) {
  switch (atom) {
    case 0x80: return u"Button";
    case 0x81: return u"Edit";
    case 0x82: return u"Static";
    case 0x83: return u"ListBox";
    case 0x84: return u"ScrollBar";
    case 0x85: return u"ComboBox";
    default: return nullptr;
  }
}

}  // namespace

bool TemplateSizeAndTitle(const BYTE* data, std::size_t size, SIZE* pixels, std::u16string* title) {
  DialogTemplate t;
  if (!data || size < sizeof(DLGTEMPLATE) || !ParseTemplate(data, size, t)) return false;
  if (pixels) *pixels = SIZE{ToPixelsX(t.cx), ToPixelsY(t.cy)};
  if (title) *title = t.title;
  return true;
}

HWND CreateDialogFromTemplate(HINSTANCE inst, const BYTE* data, std::size_t size, HWND parent, DLGPROC proc,
                              LPARAM param, bool forceChild) {
  DialogTemplate t;
  if (!data || size < sizeof(DLGTEMPLATE) || !ParseTemplate(data, size, t)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const std::u16string cls = t.className.empty() ? std::u16string(u"#32770") : t.className;
  const DWORD visible = t.style & WS_VISIBLE;
  DWORD style = t.style & ~WS_VISIBLE;
  if ((t.style & DS_CONTROL) || forceChild) style = (style & ~(WS_POPUP | WS_CAPTION | WS_SYSMENU)) | WS_CHILD;
  HWND dlg = CreateWindowExW(t.exStyle, cls.c_str(), t.title.c_str(), style, ToPixelsX(t.x), ToPixelsY(t.y),
                             ToPixelsX(t.cx), ToPixelsY(t.cy), parent, nullptr, inst, nullptr);
  if (!dlg) return nullptr;
  auto w = Find(dlg);
  w->isDialog = true;
  if (w->extra.size() < 3) w->extra.resize(3, 0);
  w->extra[DWLP_DLGPROC / sizeof(LONG_PTR)] = reinterpret_cast<LONG_PTR>(proc);
  HFONT font = nullptr;
  if (t.style & DS_SETFONT) {
    LOGFONTW lf{};
    lf.lfHeight = -static_cast<LONG>(t.pointSize) * 96 / 72;
    lf.lfWeight = t.weight ? t.weight : FW_NORMAL;
    lf.lfItalic = t.italic;
    const std::size_t n = std::min<std::size_t>(t.face.size(), LF_FACESIZE - 1);
    std::memcpy(lf.lfFaceName, t.face.data(), n * sizeof(WCHAR));
    font = CreateFontIndirectW(&lf);
    w->ownFont = font;
    SendMessageW(dlg, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
  HWND firstTab = nullptr;
  for (const ItemTemplate& item : t.items) {
    LPCWSTR itemClass = item.classIsAtom ? AtomName(item.classAtom) : item.className.c_str();
    if (!itemClass) continue;
    // An ordinal title (an icon's or bitmap's resource id) reaches the control as the
    // 0xFFFF, id pair the template holds.
    WCHAR ordinalTitle[3] = {0xFFFF, item.titleOrdinal, 0};
    LPCWSTR title = item.titleIsOrdinal ? ordinalTitle : item.title.c_str();
    HWND c = CreateWindowExW(item.exStyle | WS_EX_NOPARENTNOTIFY, itemClass, title, item.style | WS_CHILD,
                             ToPixelsX(item.x), ToPixelsY(item.y), ToPixelsX(item.cx), ToPixelsY(item.cy), dlg,
                             reinterpret_cast<HMENU>(static_cast<ULONG_PTR>(item.id)), inst,
                             item.extra.empty() ? nullptr : const_cast<BYTE*>(item.extra.data()));
    if (!c) {
      if (t.style & DS_NOFAILCREATE) continue;
      DestroyWindow(dlg);
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
    if (font) SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if (!firstTab && (item.style & WS_TABSTOP) && !(item.style & WS_DISABLED)) firstTab = c;
    auto cw = Find(c);
    if (cw && (cw->style & BS_TYPEMASK) == BS_DEFPUSHBUTTON && plat::EqualNoCase(cw->className, u"Button"))
      w->defId = static_cast<WORD>(item.id);
  }
  if (!IsWindow(dlg)) return nullptr;
  if (SendMessageW(dlg, WM_INITDIALOG, reinterpret_cast<WPARAM>(firstTab), param) && firstTab && IsWindow(firstTab))
    SetFocus(firstTab);
  if (!IsWindow(dlg)) return nullptr;
  if (visible) ShowWindow(dlg, SW_SHOW);
  return dlg;
}

namespace {

bool TemplateBytes(HINSTANCE inst, LPCWSTR name, const BYTE*& data, std::size_t& size) {
  HRSRC r = FindResourceW(inst, name, RT_DIALOG);
  if (!r) return false;
  data = static_cast<const BYTE*>(LockResource(LoadResource(inst, r)));
  size = SizeofResource(inst, r);
  return data != nullptr;
}

}  // namespace

INT_PTR RunDialogBox(HWND dlg, HWND owner) {
  if (!dlg) return -1;
  auto& ts = Thread();
  const bool ownerWasEnabled = owner && IsWindowEnabled(owner);
  if (ownerWasEnabled) EnableWindow(owner, FALSE);
  auto w = Find(dlg);
  if (w && !w->ended) {
    ShowWindow(dlg, SW_SHOW);
    SetActiveWindow(dlg);
  }
  ts.modal.push_back(dlg);
  RunModalLoop([dlg] {
    auto x = Find(dlg);
    return !x || x->ended;
  },
               [dlg] {
                 SendMessageW(dlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
               });
  ts.modal.erase(std::remove(ts.modal.begin(), ts.modal.end(), dlg), ts.modal.end());
  INT_PTR result = IDCANCEL;
  if (auto x = Find(dlg)) {
    // A loop that could not go on ends the dialog as Cancel would.
    result = x->ended ? x->result : IDCANCEL;
    DestroyWindow(dlg);
  }
  if (ownerWasEnabled && IsWindow(owner)) EnableWindow(owner, TRUE);
  if (owner && IsWindow(owner)) SetActiveWindow(owner);
  return result;
}

void MakeDialog(HWND window, DLGPROC proc) {
  auto w = Find(window);
  if (!w) return;
  w->isDialog = true;
  if (w->extra.size() < 3) w->extra.resize(3, 0);
  w->extra[DWLP_DLGPROC / sizeof(LONG_PTR)] = reinterpret_cast<LONG_PTR>(proc);
}

HWND ActiveModal() {
  auto& ts = Thread();
  while (!ts.modal.empty() && !IsWindow(ts.modal.back())) ts.modal.pop_back();
  return ts.modal.empty() ? nullptr : ts.modal.back();
}

HWND FindTopLevel(std::u16string_view title) {
  for (HWND h : AllWindows()) {
    auto w = Find(h);
    if (w && !w->parent && w->text == title) return h;
  }
  return nullptr;
}

HWND FindControl(HWND root, int id) {
  auto w = Find(root);
  if (!w) return nullptr;
  for (HWND c : w->children) {
    auto cw = Find(c);
    if (cw && static_cast<int>(cw->id) == id) return c;
  }
  for (HWND c : w->children)
    if (HWND found = FindControl(c, id)) return found;
  return nullptr;
}

}  // namespace plat::ui

using namespace plat::ui;

extern "C" {

HWND WINAPI CreateDialogIndirectParamW(HINSTANCE inst, LPCDLGTEMPLATEW t, HWND parent, DLGPROC proc, LPARAM param) {
  return CreateDialogFromTemplate(inst, reinterpret_cast<const BYTE*>(t), kUnboundedTemplate, parent, proc, param, false);
}

HWND WINAPI CreateDialogParamW(HINSTANCE inst, LPCWSTR name, HWND parent, DLGPROC proc, LPARAM param) {
  const BYTE* data = nullptr;
  std::size_t size = 0;
  if (!TemplateBytes(inst, name, data, size)) return nullptr;
  return CreateDialogFromTemplate(inst, data, size, parent, proc, param, false);
}

INT_PTR WINAPI DialogBoxIndirectParamW(HINSTANCE inst, LPCDLGTEMPLATEW t, HWND parent, DLGPROC proc, LPARAM param) {
  HWND owner = parent ? GetAncestor(parent, GA_ROOT) : nullptr;
  return RunDialogBox(CreateDialogFromTemplate(inst, reinterpret_cast<const BYTE*>(t), kUnboundedTemplate, owner, proc, param, false),
                      owner);
}

INT_PTR WINAPI DialogBoxParamW(HINSTANCE inst, LPCWSTR name, HWND parent, DLGPROC proc, LPARAM param) {
  const BYTE* data = nullptr;
  std::size_t size = 0;
  if (!TemplateBytes(inst, name, data, size)) return -1;
  HWND owner = parent ? GetAncestor(parent, GA_ROOT) : nullptr;
  return RunDialogBox(CreateDialogFromTemplate(inst, data, size, owner, proc, param, false), owner);
}

BOOL WINAPI EndDialog(HWND hDlg, INT_PTR result) {
  auto w = FindOrFail(hDlg);
  if (!w) return FALSE;
  w->ended = true;
  w->result = result;
  // The dialog is hidden at once and destroyed when its loop ends.
  if (w->style & WS_VISIBLE) ShowWindow(hDlg, SW_HIDE);
  return TRUE;
}

LRESULT WINAPI DefDlgProcW(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto w = Find(hDlg);
  if (!w) return 0;
  DLGPROC proc = w->extra.size() > 1 ? reinterpret_cast<DLGPROC>(w->extra[DWLP_DLGPROC / sizeof(LONG_PTR)]) : nullptr;
  if (proc) {
    w->extra[DWLP_MSGRESULT / sizeof(LONG_PTR)] = 0;
    const INT_PTR handled = proc(hDlg, msg, wParam, lParam);
    if (msg == WM_INITDIALOG) return handled;
    switch (msg) {
      case WM_CTLCOLOREDIT:
      case WM_CTLCOLORLISTBOX:
      case WM_CTLCOLORBTN:
      case WM_CTLCOLORDLG:
      case WM_CTLCOLORSTATIC:
      case WM_COMPAREITEM:
        if (handled) return handled;
        break;
      default:
        if (handled) {
          auto x = Find(hDlg);
          return x && x->extra.size() > 0 ? x->extra[DWLP_MSGRESULT / sizeof(LONG_PTR)] : 0;
        }
        break;
    }
  }
  switch (msg) {
    case WM_INITDIALOG: return TRUE;
    case WM_CLOSE:
      SendMessageW(hDlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(ChildById(hDlg, IDCANCEL)));
      return 0;
    case DM_GETDEFID: return static_cast<LRESULT>(MAKELONG(w->defId, 0x534B));
    case DM_SETDEFID: w->defId = static_cast<WORD>(wParam); return TRUE;
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_GETDLGCODE: return 0;
    default: return DefWindowProcW(hDlg, msg, wParam, lParam);
  }
}

HWND WINAPI GetDlgItem(HWND hDlg, int id) {
  if (!FindOrFail(hDlg)) return nullptr;
  HWND c = ChildById(hDlg, id);
  if (!c) SetLastError(1421);  // ERROR_CONTROL_ID_NOT_FOUND
  return c;
}

LRESULT WINAPI SendDlgItemMessageW(HWND hDlg, int id, UINT msg, WPARAM wParam, LPARAM lParam) {
  HWND c = GetDlgItem(hDlg, id);
  return c ? SendMessageW(c, msg, wParam, lParam) : 0;
}

BOOL WINAPI SetDlgItemTextW(HWND hDlg, int id, LPCWSTR text) {
  HWND c = GetDlgItem(hDlg, id);
  return c ? SetWindowTextW(c, text) : FALSE;
}

UINT WINAPI GetDlgItemTextW(HWND hDlg, int id, LPWSTR buffer, int size) {
  if (buffer && size > 0) buffer[0] = 0;
  HWND c = GetDlgItem(hDlg, id);
  return c ? static_cast<UINT>(GetWindowTextW(c, buffer, size)) : 0;
}

BOOL WINAPI SetDlgItemInt(HWND hDlg, int id, UINT value, BOOL isSigned) {
  const std::string s = isSigned ? std::to_string(static_cast<int>(value)) : std::to_string(value);
  return SetDlgItemTextW(hDlg, id, plat::FromUtf8(s).c_str());
}

UINT WINAPI GetDlgItemInt(HWND hDlg, int id, BOOL* translated, BOOL isSigned) {
  if (translated) *translated = FALSE;
  WCHAR text[64];
  if (!GetDlgItemTextW(hDlg, id, text, 64) && !GetDlgItem(hDlg, id)) return 0;
  std::u16string s(text);
  std::size_t i = 0;
  while (i < s.size() && s[i] == u' ') ++i;
  bool negative = false;
  if (i < s.size() && s[i] == u'-' && isSigned) {
    negative = true;
    ++i;
  }
  if (i >= s.size()) return 0;
  unsigned long long v = 0;
  for (; i < s.size(); ++i) {
    if (s[i] == u' ') break;
    if (s[i] < u'0' || s[i] > u'9') return 0;
    v = v * 10 + (s[i] - u'0');
    if (v > (isSigned ? 0x80000000ull : 0xFFFFFFFFull)) return 0;
  }
  if (isSigned && !negative && v > 0x7FFFFFFFull) return 0;
  if (translated) *translated = TRUE;
  return negative ? static_cast<UINT>(-static_cast<long long>(v)) : static_cast<UINT>(v);
}

BOOL WINAPI CheckDlgButton(HWND hDlg, int id, UINT check) {
  HWND c = GetDlgItem(hDlg, id);
  if (!c) return FALSE;
  SendMessageW(c, BM_SETCHECK, check, 0);
  return TRUE;
}

UINT WINAPI IsDlgButtonChecked(HWND hDlg, int id) {
  HWND c = GetDlgItem(hDlg, id);
  return c ? static_cast<UINT>(SendMessageW(c, BM_GETCHECK, 0, 0)) : 0;
}

BOOL WINAPI CheckRadioButton(HWND hDlg, int first, int last, int check) {
  if (!FindOrFail(hDlg)) return FALSE;
  for (int id = first; id <= last; ++id) {
    if (HWND c = ChildById(hDlg, id)) SendMessageW(c, BM_SETCHECK, id == check ? BST_CHECKED : BST_UNCHECKED, 0);
  }
  return TRUE;
}

HWND WINAPI GetNextDlgTabItem(HWND hDlg, HWND ctl, BOOL previous) {
  auto d = FindOrFail(hDlg);
  if (!d) return nullptr;
  std::vector<HWND> stops;
  for (HWND c : d->children) {
    auto w = Find(c);
    if (w && (w->style & WS_TABSTOP) && (w->style & WS_VISIBLE) && !(w->style & WS_DISABLED)) stops.push_back(c);
  }
  if (stops.empty()) return ctl;
  auto it = std::find(stops.begin(), stops.end(), ctl);
  if (it == stops.end()) return previous ? stops.back() : stops.front();
  if (previous) return it == stops.begin() ? stops.back() : *(it - 1);
  return (it + 1 == stops.end()) ? stops.front() : *(it + 1);
}

BOOL WINAPI MapDialogRect(HWND hDlg, LPRECT r) {
  if (!FindOrFail(hDlg) || !r) return FALSE;
  r->left = ToPixelsX(r->left);
  r->right = ToPixelsX(r->right);
  r->top = ToPixelsY(r->top);
  r->bottom = ToPixelsY(r->bottom);
  return TRUE;
}

}  // extern "C"
