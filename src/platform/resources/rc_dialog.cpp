// Resource scripts: dialogs, icon and cursor files, and the window system's names.
#include "rc_dialog.h"

#include <cstring>

#include "plat/wstr.h"

namespace plat::rc {
namespace {

constexpr DWORD kWsChild = 0x40000000, kWsVisible = 0x10000000, kWsPopup = 0x80000000, kWsBorder = 0x00800000,
                kWsSysMenu = 0x00080000, kWsCaption = 0x00C00000, kWsGroup = 0x00020000, kWsTabStop = 0x00010000,
                kDsSetFont = 0x40;

class Writer {
 public:
  std::vector<BYTE> bytes;
  void Word(WORD v) {
    bytes.push_back(static_cast<BYTE>(v & 0xFF));
    bytes.push_back(static_cast<BYTE>(v >> 8));
  }
  void Dword(DWORD v) {
    Word(static_cast<WORD>(v & 0xFFFF));
    Word(static_cast<WORD>(v >> 16));
  }
  void Byte(BYTE v) { bytes.push_back(v); }
  void String(const std::u16string& s) {
    for (char16_t c : s) Word(c);
    Word(0);
  }
  void NameOrOrdinal(bool isOrdinal, WORD ordinal, const std::u16string& name) {
    if (isOrdinal) {
      Word(0xFFFF);
      Word(ordinal);
    } else if (name.empty()) {
      Word(0);
    } else {
      String(name);
    }
  }
  void AlignDword() {
    while (bytes.size() % 4) bytes.push_back(0);
  }
};

struct Control {
  DWORD style = 0, exStyle = 0, helpId = 0;
  std::int32_t x = 0, y = 0, cx = 0, cy = 0;
  DWORD id = 0;
  bool classIsAtom = true;
  WORD classAtom = 0;
  std::u16string className;
  bool textIsOrdinal = false;
  WORD textOrdinal = 0;
  std::u16string text;
};

struct ShortForm {
  const char16_t* word;
  WORD atom;
  DWORD style;
  bool hasText;
};

const ShortForm kShortForms[] = {
    {u"LTEXT", 0x82, 0x0 | kWsGroup, true},           {u"RTEXT", 0x82, 0x2 | kWsGroup, true},
    {u"CTEXT", 0x82, 0x1 | kWsGroup, true},           {u"PUSHBUTTON", 0x80, 0x0 | kWsTabStop, true},
    {u"DEFPUSHBUTTON", 0x80, 0x1 | kWsTabStop, true}, {u"CHECKBOX", 0x80, 0x2 | kWsTabStop, true},
    {u"AUTOCHECKBOX", 0x80, 0x3 | kWsTabStop, true},  {u"RADIOBUTTON", 0x80, 0x4, true},
    {u"AUTORADIOBUTTON", 0x80, 0x9, true},             {u"STATE3", 0x80, 0x5 | kWsTabStop, true},
    {u"AUTO3STATE", 0x80, 0x6 | kWsTabStop, true},     {u"GROUPBOX", 0x80, 0x7, true},
    {u"PUSHBOX", 0x80, 0xA | kWsTabStop, true},        {u"ICON", 0x82, 0x3, true},
    {u"EDITTEXT", 0x81, kWsBorder | kWsTabStop, false}, {u"LISTBOX", 0x83, 0x1 | kWsBorder, false},
    {u"COMBOBOX", 0x85, 0x1 | kWsTabStop, false},     {u"SCROLLBAR", 0x84, 0x0, false},
};

struct ClassWord {
  const char16_t* word;
  WORD atom;
};
const ClassWord kClassWords[] = {{u"BUTTON", 0x80}, {u"EDIT", 0x81}, {u"STATIC", 0x82},
                                 {u"LISTBOX", 0x83}, {u"SCROLLBAR", 0x84}, {u"COMBOBOX", 0x85}};

class DialogParser {
 public:
  DialogParser(const std::vector<Token>& t, std::size_t& pos, std::string& error) : t_(t), pos_(pos), error_(error) {}

  bool Run(bool extended, LANGID& language, std::vector<BYTE>& out) {
    std::uint32_t x = 0, y = 0, cx = 0, cy = 0, helpId = 0;
    if (!Num(x) || !Comma() || !Num(y) || !Comma() || !Num(cx) || !Comma() || !Num(cy)) return false;
    if (extended && IsPunct(u",")) {
      ++pos_;
      if (!Num(helpId)) return false;
    }
    DWORD style = kWsPopup | kWsBorder | kWsSysMenu, exStyle = 0;
    bool styleGiven = false, hasCaption = false, hasFont = false;
    std::u16string caption, face, className;
    std::uint32_t pointSize = 0, weight = 0, italic = 0, charset = 1;
    bool menuIsOrdinal = false, classIsOrdinal = false;
    WORD menuOrdinal = 0, classOrdinal = 0;
    std::u16string menuName;
    for (;;) {
      if (IsWord(u"STYLE")) {
        ++pos_;
        DWORD s = 0;
        if (!Style(0, s)) return false;
        style = s;
        styleGiven = true;
      } else if (IsWord(u"EXSTYLE")) {
        ++pos_;
        if (!Style(0, exStyle)) return false;
      } else if (IsWord(u"CAPTION")) {
        ++pos_;
        if (!Str(caption)) return false;
        hasCaption = true;
      } else if (IsWord(u"FONT")) {
        ++pos_;
        if (!Num(pointSize) || !Comma() || !Str(face)) return false;
        if (extended && IsPunct(u",")) {
          ++pos_;
          if (!Num(weight)) return false;
          if (IsPunct(u",")) {
            ++pos_;
            if (!Num(italic)) return false;
            if (IsPunct(u",")) {
              ++pos_;
              if (!Num(charset)) return false;
            }
          }
        }
        hasFont = true;
      } else if (IsWord(u"CLASS")) {
        ++pos_;
        if (Peek().kind == Token::String) className = t_[pos_++].text;
        else {
          std::uint32_t v = 0;
          if (!Num(v)) return false;
          classIsOrdinal = true;
          classOrdinal = static_cast<WORD>(v);
        }
      } else if (IsWord(u"MENU")) {
        ++pos_;
        if (Peek().kind == Token::Number) {
          menuIsOrdinal = true;
          menuOrdinal = static_cast<WORD>(t_[pos_++].value);
        } else if (Peek().kind == Token::Ident || Peek().kind == Token::String) {
          menuName = plat::UpperCase(t_[pos_++].text);
        } else {
          return Fail("menu name expected");
        }
      } else if (IsWord(u"LANGUAGE")) {
        ++pos_;
        std::uint32_t p = 0, s = 0;
        if (!Num(p) || !Comma() || !Num(s)) return false;
        language = static_cast<LANGID>((s << 10) | (p & 0x3FF));
      } else if (IsWord(u"CHARACTERISTICS") || IsWord(u"VERSION")) {
        ++pos_;
        std::uint32_t ignored = 0;
        if (!Num(ignored)) return false;
      } else if (IsMemoryOption()) {
        ++pos_;
      } else {
        break;
      }
    }
    (void)styleGiven;
    if (hasCaption) style |= kWsCaption;
    if (hasFont) style |= kDsSetFont;
    if (!IsBegin()) return Fail("BEGIN expected");
    ++pos_;
    std::vector<Control> controls;
    while (!IsEnd()) {
      if (Peek().kind == Token::End) return Fail("END expected");
      Control c;
      if (!ControlStatement(extended, c)) return false;
      controls.push_back(std::move(c));
    }
    ++pos_;
    if (controls.size() > 0xFFFF) return Fail("too many controls");
    Writer w;
    w.Word(1);
    w.Word(0xFFFF);
    w.Dword(helpId);
    w.Dword(exStyle);
    w.Dword(style);
    w.Word(static_cast<WORD>(controls.size()));
    w.Word(static_cast<WORD>(x));
    w.Word(static_cast<WORD>(y));
    w.Word(static_cast<WORD>(cx));
    w.Word(static_cast<WORD>(cy));
    w.NameOrOrdinal(menuIsOrdinal, menuOrdinal, menuName);
    w.NameOrOrdinal(classIsOrdinal, classOrdinal, className);
    w.String(caption);
    if (style & kDsSetFont) {
      w.Word(static_cast<WORD>(pointSize));
      w.Word(static_cast<WORD>(weight));
      w.Byte(static_cast<BYTE>(italic));
      w.Byte(static_cast<BYTE>(charset));
      w.String(face);
    }
    for (const Control& c : controls) {
      w.AlignDword();
      w.Dword(c.helpId);
      w.Dword(c.exStyle);
      w.Dword(c.style);
      w.Word(static_cast<WORD>(c.x));
      w.Word(static_cast<WORD>(c.y));
      w.Word(static_cast<WORD>(c.cx));
      w.Word(static_cast<WORD>(c.cy));
      w.Dword(c.id);
      w.NameOrOrdinal(c.classIsAtom, c.classAtom, c.className);
      w.NameOrOrdinal(c.textIsOrdinal, c.textOrdinal, c.text);
      w.Word(0);  // no creation data
    }
    out = std::move(w.bytes);
    return true;
  }

 private:
  const Token& Peek(std::size_t ahead = 0) const { return pos_ + ahead < t_.size() ? t_[pos_ + ahead] : t_.back(); }
  bool IsWord(const char16_t* w) const { return Peek().kind == Token::Ident && plat::EqualNoCase(Peek().text, w); }
  bool IsPunct(const char16_t* p) const { return Peek().kind == Token::Punct && Peek().text == p; }
  bool IsBegin() const { return IsWord(u"BEGIN") || IsPunct(u"{"); }
  bool IsEnd() const { return IsWord(u"END") || IsPunct(u"}"); }
  bool IsMemoryOption() const {
    for (const char16_t* w : {u"PRELOAD", u"LOADONCALL", u"FIXED", u"MOVEABLE", u"DISCARDABLE", u"PURE", u"IMPURE",
                              u"SHARED", u"NONSHARED"})
      if (IsWord(w)) return true;
    return false;
  }
  bool Fail(const std::string& what) {
    error_ = Where(Peek()) + what;
    return false;
  }
  bool Num(std::uint32_t& v) {
    ExprEval eval(t_, pos_, nullptr);
    return eval.Eval(v, nullptr, error_);
  }
  bool Comma() {
    if (!IsPunct(u",")) return Fail("',' expected");
    ++pos_;
    return true;
  }
  bool Str(std::u16string& s) {
    if (Peek().kind != Token::String) return Fail("string expected");
    s.clear();
    while (Peek().kind == Token::String) s += t_[pos_++].text;
    return true;
  }

  // A style: terms joined by '|', each a constant expression or NOT and one; NOT clears
  // its bits from what stands before it (the defaults included).
  bool Style(DWORD defaults, DWORD& out) {
    DWORD v = defaults;
    for (;;) {
      bool negate = false;
      if (IsWord(u"NOT")) {
        negate = true;
        ++pos_;
      }
      // One term: everything up to the next top-level '|' or ',' or the end of the line.
      std::vector<Token> term;
      int depth = 0;
      const int line = Peek().line;
      while (Peek().kind != Token::End) {
        const Token& t = Peek();
        if (depth == 0 && t.kind == Token::Punct && (t.text == u"|" || t.text == u",")) break;
        if (depth == 0 && !term.empty() && t.line != line) break;
        if (depth == 0 && !term.empty() && t.kind == Token::Ident) break;
        if (t.kind == Token::Punct && t.text == u"(") ++depth;
        if (t.kind == Token::Punct && t.text == u")") --depth;
        term.push_back(t);
        ++pos_;
      }
      if (term.empty()) return Fail("style expected");
      Token end;
      end.kind = Token::End;
      end.line = term.back().line;
      end.file = term.back().file;
      term.push_back(end);
      std::size_t p = 0;
      std::uint32_t x = 0;
      ExprEval eval(term, p, nullptr);
      if (!eval.Eval(x, nullptr, error_)) return false;
      if (p + 1 != term.size()) {
        error_ = Where(term[p]) + "style expected";
        return false;
      }
      v = negate ? (v & ~x) : (v | x);
      if (!IsPunct(u"|")) break;
      ++pos_;
    }
    out = v;
    return true;
  }

  bool Text(Control& c) {
    if (Peek().kind == Token::String) return Str(c.text);
    std::uint32_t v = 0;
    if (!Num(v)) return false;
    c.textIsOrdinal = true;
    c.textOrdinal = static_cast<WORD>(v);
    return true;
  }

  bool Signed(std::int32_t& v) {
    std::uint32_t u = 0;
    if (!Num(u)) return false;
    v = static_cast<std::int32_t>(u);
    return true;
  }

  bool ControlStatement(bool extended, Control& c) {
    const DWORD base = kWsChild | kWsVisible;
    if (IsWord(u"CONTROL")) {
      ++pos_;
      if (!Text(c) || !Comma()) return false;
      std::uint32_t id = 0;
      if (!Num(id) || !Comma()) return false;
      c.id = id;
      if (Peek().kind == Token::String) {
        c.className = t_[pos_++].text;
        c.classIsAtom = false;
        for (const auto& k : kClassWords)
          if (plat::EqualNoCase(c.className, k.word)) {
            c.classIsAtom = true;
            c.classAtom = k.atom;
          }
      } else {
        bool found = false;
        for (const auto& k : kClassWords)
          if (IsWord(k.word)) {
            c.classAtom = k.atom;
            found = true;
          }
        if (!found) return Fail("control class expected");
        ++pos_;
      }
      if (!Comma() || !Style(base, c.style) || !Comma()) return false;
      if (!Signed(c.x) || !Comma() || !Signed(c.y) || !Comma() || !Signed(c.cx) || !Comma() || !Signed(c.cy))
        return false;
      return Tail(extended, c, false);
    }
    const ShortForm* form = nullptr;
    for (const auto& f : kShortForms)
      if (IsWord(f.word)) form = &f;
    if (!form) return Fail("control statement expected");
    ++pos_;
    c.classAtom = form->atom;
    if (form->hasText) {
      if (!Text(c) || !Comma()) return false;
    }
    std::uint32_t id = 0;
    if (!Num(id) || !Comma()) return false;
    c.id = id;
    c.style = base | form->style;
    if (!Signed(c.x) || !Comma() || !Signed(c.y)) return false;
    const bool icon = std::u16string_view(form->word) == u"ICON";
    if (icon && !IsPunct(u",")) return true;  // an icon takes its size from the picture
    if (!Comma() || !Signed(c.cx) || !Comma() || !Signed(c.cy)) return false;
    return Tail(extended, c, true);
  }

  // [, style] [, exstyle [, help id]] of short forms; [, exstyle [, help id]] of CONTROL.
  bool Tail(bool extended, Control& c, bool styleFirst) {
    if (styleFirst && IsPunct(u",")) {
      ++pos_;
      if (!Style(c.style, c.style)) return false;
    }
    if (IsPunct(u",")) {
      ++pos_;
      if (!Style(0, c.exStyle)) return false;
      if (extended && IsPunct(u",")) {
        ++pos_;
        std::uint32_t help = 0;
        if (!Num(help)) return false;
        c.helpId = help;
      }
    }
    return true;
  }

  const std::vector<Token>& t_;
  std::size_t& pos_;
  std::string& error_;
};

WORD Get16(const std::vector<BYTE>& b, std::size_t at) { return static_cast<WORD>(b[at] | (b[at + 1] << 8)); }
DWORD Get32(const std::vector<BYTE>& b, std::size_t at) {
  return static_cast<DWORD>(b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<DWORD>(b[at + 3]) << 24));
}

}  // namespace

bool ParseDialog(const std::vector<Token>& tokens, std::size_t& pos, bool extended, LANGID& language,
                 std::vector<BYTE>& out, std::string& error) {
  DialogParser p(tokens, pos, error);
  return p.Run(extended, language, out);
}

bool SplitIconFile(const std::vector<BYTE>& file, bool cursor, WORD& nextId,
                   std::vector<std::pair<WORD, std::vector<BYTE>>>& images, std::vector<BYTE>& group,
                   std::string& error) {
  if (file.size() < 6 || Get16(file, 0) != 0 || Get16(file, 2) != (cursor ? 2 : 1)) {
    error = cursor ? "not a cursor file" : "not an icon file";
    return false;
  }
  const WORD count = Get16(file, 4);
  if (count == 0 || 6u + 16u * count > file.size()) {
    error = "icon directory out of range";
    return false;
  }
  Writer g;
  g.Word(0);
  g.Word(cursor ? 2 : 1);
  g.Word(count);
  for (WORD i = 0; i < count; ++i) {
    const std::size_t e = 6 + 16u * i;
    const DWORD size = Get32(file, e + 8), offset = Get32(file, e + 12);
    if (offset > file.size() || size > file.size() - offset) {
      error = "icon image out of range";
      return false;
    }
    std::vector<BYTE> image;
    const WORD id = nextId++;
    if (cursor) {
      // A cursor image starts with its hot spot, which the file keeps in the entry.
      Writer h;
      h.Word(Get16(file, e + 4));
      h.Word(Get16(file, e + 6));
      image = h.bytes;
      image.insert(image.end(), file.begin() + offset, file.begin() + offset + size);
      const BYTE w = file[e], hgt = file[e + 1];
      g.Word(w ? w : 256);
      g.Word(static_cast<WORD>((hgt ? hgt : 256) * 2));
      g.Word(1);
      g.Word(size >= 40 ? Get16(file, offset + 14) : 1);
      g.Dword(size + 4);
    } else {
      image.assign(file.begin() + offset, file.begin() + offset + size);
      for (int k = 0; k < 8; ++k) g.Byte(file[e + k]);
      g.Dword(size);
    }
    g.Word(id);
    images.emplace_back(id, std::move(image));
  }
  group = std::move(g.bytes);
  return true;
}

const std::vector<std::pair<const char16_t*, const char16_t*>>& WindowSystemSymbols() {
  static const std::vector<std::pair<const char16_t*, const char16_t*>> kSymbols = {
      {u"WS_OVERLAPPED", u"0x00000000L"}, {u"WS_POPUP", u"0x80000000L"},      {u"WS_CHILD", u"0x40000000L"},
      {u"WS_MINIMIZE", u"0x20000000L"},   {u"WS_VISIBLE", u"0x10000000L"},    {u"WS_DISABLED", u"0x08000000L"},
      {u"WS_CLIPSIBLINGS", u"0x04000000L"}, {u"WS_CLIPCHILDREN", u"0x02000000L"}, {u"WS_MAXIMIZE", u"0x01000000L"},
      {u"WS_CAPTION", u"0x00C00000L"},    {u"WS_BORDER", u"0x00800000L"},     {u"WS_DLGFRAME", u"0x00400000L"},
      {u"WS_VSCROLL", u"0x00200000L"},    {u"WS_HSCROLL", u"0x00100000L"},    {u"WS_SYSMENU", u"0x00080000L"},
      {u"WS_THICKFRAME", u"0x00040000L"}, {u"WS_GROUP", u"0x00020000L"},      {u"WS_TABSTOP", u"0x00010000L"},
      {u"WS_MINIMIZEBOX", u"0x00020000L"}, {u"WS_MAXIMIZEBOX", u"0x00010000L"},
      {u"WS_EX_DLGMODALFRAME", u"0x00000001L"}, {u"WS_EX_NOPARENTNOTIFY", u"0x00000004L"},
      {u"WS_EX_TOPMOST", u"0x00000008L"}, {u"WS_EX_TRANSPARENT", u"0x00000020L"},
      {u"WS_EX_CONTEXTHELP", u"0x00000400L"}, {u"WS_EX_CLIENTEDGE", u"0x00000200L"},
      {u"WS_EX_STATICEDGE", u"0x00020000L"}, {u"WS_EX_CONTROLPARENT", u"0x00010000L"},
      {u"DS_ABSALIGN", u"0x01L"}, {u"DS_SYSMODAL", u"0x02L"}, {u"DS_3DLOOK", u"0x04L"}, {u"DS_FIXEDSYS", u"0x08L"},
      {u"DS_NOFAILCREATE", u"0x10L"}, {u"DS_LOCALEDIT", u"0x20L"}, {u"DS_SETFONT", u"0x40L"},
      {u"DS_MODALFRAME", u"0x80L"}, {u"DS_NOIDLEMSG", u"0x100L"}, {u"DS_SETFOREGROUND", u"0x200L"},
      {u"DS_CONTROL", u"0x0400L"}, {u"DS_CENTER", u"0x0800L"}, {u"DS_CENTERMOUSE", u"0x1000L"},
      {u"DS_CONTEXTHELP", u"0x2000L"}, {u"DS_SHELLFONT", u"0x48L"},
      {u"BS_PUSHBUTTON", u"0x0L"}, {u"BS_DEFPUSHBUTTON", u"0x1L"}, {u"BS_CHECKBOX", u"0x2L"},
      {u"BS_AUTOCHECKBOX", u"0x3L"}, {u"BS_RADIOBUTTON", u"0x4L"}, {u"BS_3STATE", u"0x5L"},
      {u"BS_AUTO3STATE", u"0x6L"}, {u"BS_GROUPBOX", u"0x7L"}, {u"BS_USERBUTTON", u"0x8L"},
      {u"BS_AUTORADIOBUTTON", u"0x9L"}, {u"BS_PUSHBOX", u"0xAL"}, {u"BS_OWNERDRAW", u"0xBL"},
      {u"BS_LEFTTEXT", u"0x20L"}, {u"BS_ICON", u"0x40L"}, {u"BS_BITMAP", u"0x80L"}, {u"BS_LEFT", u"0x100L"},
      {u"BS_RIGHT", u"0x200L"}, {u"BS_CENTER", u"0x300L"}, {u"BS_TOP", u"0x400L"}, {u"BS_BOTTOM", u"0x800L"},
      {u"BS_VCENTER", u"0xC00L"}, {u"BS_PUSHLIKE", u"0x1000L"}, {u"BS_MULTILINE", u"0x2000L"},
      {u"BS_NOTIFY", u"0x4000L"}, {u"BS_FLAT", u"0x8000L"},
      {u"ES_LEFT", u"0x0L"}, {u"ES_CENTER", u"0x1L"}, {u"ES_RIGHT", u"0x2L"}, {u"ES_MULTILINE", u"0x4L"},
      {u"ES_UPPERCASE", u"0x8L"}, {u"ES_LOWERCASE", u"0x10L"}, {u"ES_PASSWORD", u"0x20L"},
      {u"ES_AUTOVSCROLL", u"0x40L"}, {u"ES_AUTOHSCROLL", u"0x80L"}, {u"ES_NOHIDESEL", u"0x100L"},
      {u"ES_OEMCONVERT", u"0x400L"}, {u"ES_READONLY", u"0x800L"}, {u"ES_WANTRETURN", u"0x1000L"},
      {u"ES_NUMBER", u"0x2000L"},
      {u"SS_LEFT", u"0x0L"}, {u"SS_CENTER", u"0x1L"}, {u"SS_RIGHT", u"0x2L"}, {u"SS_ICON", u"0x3L"},
      {u"SS_BLACKRECT", u"0x4L"}, {u"SS_GRAYRECT", u"0x5L"}, {u"SS_WHITERECT", u"0x6L"},
      {u"SS_BLACKFRAME", u"0x7L"}, {u"SS_GRAYFRAME", u"0x8L"}, {u"SS_WHITEFRAME", u"0x9L"},
      {u"SS_SIMPLE", u"0xBL"}, {u"SS_LEFTNOWORDWRAP", u"0xCL"}, {u"SS_OWNERDRAW", u"0xDL"},
      {u"SS_BITMAP", u"0xEL"}, {u"SS_ETCHEDHORZ", u"0x10L"}, {u"SS_ETCHEDVERT", u"0x11L"},
      {u"SS_ETCHEDFRAME", u"0x12L"}, {u"SS_NOPREFIX", u"0x80L"}, {u"SS_NOTIFY", u"0x100L"},
      {u"SS_CENTERIMAGE", u"0x200L"}, {u"SS_SUNKEN", u"0x1000L"},
      {u"LBS_NOTIFY", u"0x1L"}, {u"LBS_SORT", u"0x2L"}, {u"LBS_NOREDRAW", u"0x4L"}, {u"LBS_MULTIPLESEL", u"0x8L"},
      {u"LBS_OWNERDRAWFIXED", u"0x10L"}, {u"LBS_OWNERDRAWVARIABLE", u"0x20L"}, {u"LBS_HASSTRINGS", u"0x40L"},
      {u"LBS_USETABSTOPS", u"0x80L"}, {u"LBS_NOINTEGRALHEIGHT", u"0x100L"}, {u"LBS_WANTKEYBOARDINPUT", u"0x400L"},
      {u"LBS_EXTENDEDSEL", u"0x800L"}, {u"LBS_DISABLENOSCROLL", u"0x1000L"}, {u"LBS_NOSEL", u"0x4000L"},
      {u"CBS_SIMPLE", u"0x1L"}, {u"CBS_DROPDOWN", u"0x2L"}, {u"CBS_DROPDOWNLIST", u"0x3L"},
      {u"CBS_OWNERDRAWFIXED", u"0x10L"}, {u"CBS_OWNERDRAWVARIABLE", u"0x20L"}, {u"CBS_AUTOHSCROLL", u"0x40L"},
      {u"CBS_OEMCONVERT", u"0x80L"}, {u"CBS_SORT", u"0x100L"}, {u"CBS_HASSTRINGS", u"0x200L"},
      {u"CBS_NOINTEGRALHEIGHT", u"0x400L"}, {u"CBS_DISABLENOSCROLL", u"0x800L"},
      {u"SBS_HORZ", u"0x0L"}, {u"SBS_VERT", u"0x1L"},
      {u"TBS_AUTOTICKS", u"0x1L"}, {u"TBS_VERT", u"0x2L"}, {u"TBS_HORZ", u"0x0L"}, {u"TBS_NOTICKS", u"0x10L"},
      {u"TBS_BOTH", u"0x8L"}, {u"TCS_TABS", u"0x0L"}, {u"TCS_MULTILINE", u"0x200L"},
      {u"TVS_HASBUTTONS", u"0x1L"}, {u"TVS_HASLINES", u"0x2L"}, {u"TVS_LINESATROOT", u"0x4L"},
      {u"TVS_SHOWSELALWAYS", u"0x20L"}, {u"LVS_REPORT", u"0x1L"}, {u"LVS_SINGLESEL", u"0x4L"},
      {u"LVS_SHOWSELALWAYS", u"0x8L"}, {u"LVS_NOCOLUMNHEADER", u"0x4000L"},
      {u"LVS_ICON", u"0x0L"}, {u"LVS_SMALLICON", u"0x2L"}, {u"LVS_LIST", u"0x3L"}, {u"LVS_SORTASCENDING", u"0x10L"},
      {u"LVS_OWNERDRAWFIXED", u"0x400L"}, {u"LVS_NOSORTHEADER", u"0x8000L"}, {u"TCS_FOCUSNEVER", u"0x8000L"},
      {u"UDS_SETBUDDYINT", u"0x2L"}, {u"UDS_ALIGNRIGHT", u"0x4L"}, {u"UDS_AUTOBUDDY", u"0x10L"},
      {u"UDS_ARROWKEYS", u"0x20L"},
      {u"TRACKBAR_CLASS", u"\"msctls_trackbar32\""}, {u"WC_TABCONTROL", u"\"SysTabControl32\""},
      {u"WC_TREEVIEW", u"\"SysTreeView32\""}, {u"WC_LISTVIEW", u"\"SysListView32\""},
      {u"UPDOWN_CLASS", u"\"msctls_updown32\""}, {u"PROGRESS_CLASS", u"\"msctls_progress32\""},
      {u"IDOK", u"1"}, {u"IDCANCEL", u"2"}, {u"IDABORT", u"3"}, {u"IDRETRY", u"4"}, {u"IDIGNORE", u"5"},
      {u"IDYES", u"6"}, {u"IDNO", u"7"}, {u"IDCLOSE", u"8"}, {u"IDHELP", u"9"}, {u"IDC_STATIC", u"(-1)"},
  };
  return kSymbols;
}

}  // namespace plat::rc
