// Resource scripts, second stage: statements into a resource table.
#include <fstream>
#include <map>
#include <sstream>

#include "plat/codepage.h"
#include "plat/paths.h"
#include "plat/rc_script.h"
#include "plat/wstr.h"
#include "rc_dialog.h"
#include "rc_preprocessor.h"

namespace plat {
namespace {

using rc::Token;

constexpr WORD RT_CURSOR_ID = 1;
constexpr WORD RT_BITMAP_ID = 2;
constexpr WORD RT_ICON_ID = 3;
constexpr WORD RT_MENU_ID = 4;
constexpr WORD RT_DIALOG_ID = 5;
constexpr WORD RT_STRING_ID = 6;
constexpr WORD RT_FONT_ID = 8;
constexpr WORD RT_ACCELERATOR_ID = 9;
constexpr WORD RT_RCDATA_ID = 10;
constexpr WORD RT_MESSAGETABLE_ID = 11;
constexpr WORD RT_GROUP_CURSOR_ID = 12;
constexpr WORD RT_GROUP_ICON_ID = 14;
constexpr WORD RT_VERSION_ID = 16;
constexpr WORD RT_PLUGPLAY_ID = 19;
constexpr WORD RT_VXD_ID = 20;
constexpr WORD RT_ANICURSOR_ID = 21;
constexpr WORD RT_ANIICON_ID = 22;
constexpr WORD RT_HTML_ID = 23;
constexpr WORD RT_MANIFEST_ID = 24;
constexpr WORD RT_DLGINIT_ID = 240;
constexpr WORD RT_TOOLBAR_ID = 241;

// How the body of a resource statement is read.
enum class Body {
  Data,        // RCDATA and user-defined types: a file name, or BEGIN numbers and strings END
  Bitmap,      // a bitmap file, kept without its 14-byte file header
  FileSkipped, // a file resource not kept yet
  BlockSkipped, // a statement with a header and a BEGIN ... END block, not kept
  Dialog,       // DIALOG: a dialog template
  DialogEx,     // DIALOGEX: a dialog template with help ids and a full font
  Icon,         // an .ico file: RT_ICON images and their RT_GROUP_ICON
  Cursor        // a .cur file: RT_CURSOR images and their RT_GROUP_CURSOR
};

struct TypeKeyword {
  const char16_t* word;
  WORD id;
  Body body;
};

// Menus, accelerators, version blocks, tool bars and fonts are read over: nothing the driver
// does loads them.
const TypeKeyword kTypes[] = {
    {u"RCDATA", RT_RCDATA_ID, Body::Data},
    {u"HTML", RT_HTML_ID, Body::Data},
    {u"MANIFEST", RT_MANIFEST_ID, Body::Data},
    {u"MESSAGETABLE", RT_MESSAGETABLE_ID, Body::Data},
    {u"PLUGPLAY", RT_PLUGPLAY_ID, Body::Data},
    {u"VXD", RT_VXD_ID, Body::Data},
    {u"BITMAP", RT_BITMAP_ID, Body::Bitmap},
    {u"ICON", RT_GROUP_ICON_ID, Body::Icon},
    {u"CURSOR", RT_GROUP_CURSOR_ID, Body::Cursor},
    {u"FONT", RT_FONT_ID, Body::FileSkipped},
    {u"ANICURSOR", RT_ANICURSOR_ID, Body::FileSkipped},
    {u"ANIICON", RT_ANIICON_ID, Body::FileSkipped},
    {u"DIALOG", RT_DIALOG_ID, Body::Dialog},
    {u"DIALOGEX", RT_DIALOG_ID, Body::DialogEx},
    {u"MENU", RT_MENU_ID, Body::BlockSkipped},
    {u"MENUEX", RT_MENU_ID, Body::BlockSkipped},
    {u"ACCELERATORS", RT_ACCELERATOR_ID, Body::BlockSkipped},
    {u"VERSIONINFO", RT_VERSION_ID, Body::BlockSkipped},
    {u"TOOLBAR", RT_TOOLBAR_ID, Body::BlockSkipped},
    {u"DLGINIT", RT_DLGINIT_ID, Body::BlockSkipped},
    {u"DESIGNINFO", 0, Body::BlockSkipped},
};

const char16_t* const kMemoryOptions[] = {u"PRELOAD", u"LOADONCALL", u"FIXED",  u"MOVEABLE", u"DISCARDABLE",
                                          u"PURE",    u"IMPURE",     u"SHARED", u"NONSHARED"};

class Parser {
 public:
  Parser(const std::vector<Token>& tokens, const std::string& baseDir, ResourceTable& out, std::string& error)
      : t_(tokens), baseDir_(baseDir), out_(out), error_(error) {}

  bool Run() {
    while (Peek().kind != Token::End) {
      if (IsWord(u"LANGUAGE")) {
        ++pos_;
        if (!Language(language_)) return false;
      } else if (IsWord(u"STRINGTABLE")) {
        ++pos_;
        if (!StringTable()) return false;
      } else if (!NamedResource()) {
        return false;
      }
    }
    return Finish();
  }

 private:
  const Token& Peek(std::size_t ahead = 0) const { return pos_ + ahead < t_.size() ? t_[pos_ + ahead] : t_.back(); }
  bool IsWord(const char16_t* w, std::size_t ahead = 0) const {
    const Token& t = Peek(ahead);
    return t.kind == Token::Ident && EqualNoCase(t.text, w);
  }
  bool IsPunct(const char16_t* p) const { return Peek().kind == Token::Punct && Peek().text == p; }
  bool IsBegin() const { return IsWord(u"BEGIN") || IsPunct(u"{"); }
  bool IsEnd() const { return IsWord(u"END") || IsPunct(u"}"); }
  bool Fail(const std::string& what) {
    error_ = rc::Where(Peek()) + what;
    return false;
  }

  bool Expr(std::uint32_t& v, bool* isLong = nullptr) {
    rc::ExprEval eval(t_, pos_, nullptr);  // names are already replaced by their definitions
    return eval.Eval(v, isLong, error_);
  }

  bool Language(LANGID& lang) {
    std::uint32_t primary = 0, sub = 0;
    if (!Expr(primary)) return false;
    if (!IsPunct(u",")) return Fail("',' expected in LANGUAGE");
    ++pos_;
    if (!Expr(sub)) return false;
    if (primary > 0x3FF || sub > 0x3F) return Fail("language out of range");
    lang = static_cast<LANGID>((sub << 10) | primary);
    return true;
  }

  // Options between a resource's type and its body; LANGUAGE sets that resource's language.
  bool Options(LANGID& lang) {
    for (;;) {
      bool memory = false;
      for (const char16_t* w : kMemoryOptions)
        if (IsWord(w)) memory = true;
      if (memory) {
        ++pos_;
      } else if (IsWord(u"LANGUAGE")) {
        ++pos_;
        if (!Language(lang)) return false;
      } else if (IsWord(u"CHARACTERISTICS") || IsWord(u"VERSION")) {
        ++pos_;
        std::uint32_t ignored = 0;
        if (!Expr(ignored)) return false;
      } else {
        return true;
      }
    }
  }

  bool StringTable() {
    LANGID lang = language_;
    if (!Options(lang)) return false;
    if (!IsBegin()) return Fail("BEGIN expected");
    ++pos_;
    auto& table = strings_[lang];
    while (!IsEnd()) {
      if (Peek().kind == Token::End) return Fail("END expected");
      const Token at = Peek();
      std::uint32_t id = 0;
      if (!Expr(id)) return false;
      if (id > 0xFFFF) {
        error_ = rc::Where(at) + "string id " + std::to_string(id) + " out of range";
        return false;
      }
      if (IsPunct(u",")) ++pos_;
      if (Peek().kind != Token::String) return Fail("string expected");
      std::u16string text;
      while (Peek().kind == Token::String) text += t_[pos_++].text;  // adjacent literals join
      if (!table.emplace(static_cast<WORD>(id), std::move(text)).second) {
        error_ = rc::Where(at) + "duplicate string id " + std::to_string(id);
        return false;
      }
    }
    ++pos_;
    return true;
  }

  bool ReadFile(const Token& nameTok, std::vector<BYTE>& bytes) {
    std::string name = ToUtf8(nameTok.text);
    for (auto& c : name)
      if (c == '\\') c = '/';
    std::string host = baseDir_;
    bool ok = !baseDir_.empty() && !name.empty() && name[0] != '/';
    std::size_t p = 0;
    while (ok && p <= name.size()) {
      std::size_t q = name.find('/', p);
      if (q == std::string::npos) q = name.size();
      std::string comp = name.substr(p, q - p);
      p = q + 1;
      if (comp.empty() || comp == ".") continue;
      if (comp == "..") {
        ok = false;
        break;
      }
      std::string entry = FindEntryNoCase(host, comp);
      if (entry.empty()) ok = false;
      host += "/" + entry;
    }
    if (ok) rc::NoteFileRead(host);
    std::ifstream in(host, std::ios::binary);
    if (!ok || !in) {
      error_ = rc::Where(nameTok) + "cannot open file " + name;
      return false;
    }
    std::stringstream ss;
    ss << in.rdbuf();
    const std::string s = ss.str();
    bytes.assign(s.begin(), s.end());
    return true;
  }

  bool DataBlock(std::vector<BYTE>& data) {
    ++pos_;  // BEGIN
    while (!IsEnd()) {
      if (Peek().kind == Token::End) return Fail("END expected");
      if (Peek().kind == Token::String) {
        const Token& s = t_[pos_++];
        if (s.wide) {
          for (WCHAR c : s.text) {
            data.push_back(static_cast<BYTE>(c & 0xFF));
            data.push_back(static_cast<BYTE>(c >> 8));
          }
        } else {
          const std::string bytes = WideToAnsi(s.text, 0);
          data.insert(data.end(), bytes.begin(), bytes.end());
        }
      } else {
        std::uint32_t v = 0;
        bool isLong = false;
        if (!Expr(v, &isLong)) return false;
        const int n = isLong ? 4 : 2;
        for (int i = 0; i < n; ++i) data.push_back(static_cast<BYTE>((v >> (8 * i)) & 0xFF));
      }
      if (IsPunct(u",")) ++pos_;
    }
    ++pos_;
    return true;
  }

  bool SkipBlock() {
    // The header runs to the first BEGIN; the block ends at its matching END.
    while (!IsBegin()) {
      if (Peek().kind == Token::End) return Fail("BEGIN expected");
      ++pos_;
    }
    int depth = 0;
    do {
      if (Peek().kind == Token::End) return Fail("END expected");
      if (IsBegin()) ++depth;
      else if (IsEnd()) --depth;
      ++pos_;
    } while (depth > 0);
    return true;
  }

  bool NamedResource() {
    const Token nameTok = Peek();
    ResId name;
    if (nameTok.kind == Token::Number) {
      if (nameTok.value > 0xFFFF) return Fail("resource id out of range");
      name = ResId::Int(static_cast<WORD>(nameTok.value));
    } else if (nameTok.kind == Token::Ident || nameTok.kind == Token::String) {
      name = ResId::Str(nameTok.text);
    } else {
      return Fail("resource name expected");
    }
    ++pos_;
    const Token typeTok = Peek();
    ResId type;
    Body body = Body::Data;
    bool keep = true;
    if (typeTok.kind == Token::Ident) {
      const TypeKeyword* kw = nullptr;
      for (const auto& k : kTypes)
        if (EqualNoCase(typeTok.text, k.word)) kw = &k;
      if (kw) {
        type = ResId::Int(kw->id);
        body = kw->body;
        keep = kw->id != 0;
      } else {
        type = ResId::Str(typeTok.text);  // a user-defined type by name
      }
    } else if (typeTok.kind == Token::Number) {
      if (typeTok.value > 0xFFFF) return Fail("resource type out of range");
      if (typeTok.value == RT_STRING_ID) return Fail("string resources are written as STRINGTABLE");
      type = ResId::Int(static_cast<WORD>(typeTok.value));
    } else if (typeTok.kind == Token::String) {
      type = ResId::Str(typeTok.text);
    } else {
      return Fail("resource type expected");
    }
    ++pos_;
    if (body == Body::BlockSkipped) return SkipBlock();
    LANGID lang = language_;
    if (body == Body::Dialog || body == Body::DialogEx) {
      std::vector<BYTE> dialog;
      if (!rc::ParseDialog(t_, pos_, body == Body::DialogEx, lang, dialog, error_)) return false;
      return AddResource(nameTok, ResourceEntry{type, name, lang, std::move(dialog)});
    }
    if (!Options(lang)) return false;
    std::vector<BYTE> data;
    if (Peek().kind == Token::String) {
      const Token fileTok = t_[pos_++];
      if (body == Body::FileSkipped) return true;
      if (!ReadFile(fileTok, data)) return false;
      if (body == Body::Icon || body == Body::Cursor) return IconGroup(nameTok, fileTok, type, name, lang, data);
      if (body == Body::Bitmap) {
        if (data.size() < 14 || data[0] != 'B' || data[1] != 'M') {
          error_ = rc::Where(fileTok) + "not a bitmap file";
          return false;
        }
        data.erase(data.begin(), data.begin() + 14);
      }
    } else if (IsBegin() && body == Body::Data) {
      if (!DataBlock(data)) return false;
    } else {
      return Fail("file name or BEGIN expected");
    }
    if (!keep) return true;
    if (!out_.Add(ResourceEntry{type, name, lang, std::move(data)})) {
      error_ = rc::Where(nameTok) + "duplicate resource " + ToUtf8(nameTok.text);
      return false;
    }
    return true;
  }

  bool AddResource(const Token& nameTok, ResourceEntry entry) {
    if (!out_.Add(std::move(entry))) {
      error_ = rc::Where(nameTok) + "duplicate resource " + ToUtf8(nameTok.text);
      return false;
    }
    return true;
  }

  // An icon or cursor file: each image is a resource of its own, numbered across the
  // script, and the group under the statement's name lists them.
  bool IconGroup(const Token& nameTok, const Token& fileTok, const ResId& type, const ResId& name, LANGID lang,
                 const std::vector<BYTE>& file) {
    const bool cursor = type.isInt && type.id == RT_GROUP_CURSOR_ID;
    std::vector<std::pair<WORD, std::vector<BYTE>>> images;
    std::vector<BYTE> group;
    std::string what;
    WORD& next = cursor ? nextCursorId_ : nextIconId_;
    if (!rc::SplitIconFile(file, cursor, next, images, group, what)) {
      error_ = rc::Where(fileTok) + what;
      return false;
    }
    for (auto& [id, bytes] : images)
      if (!AddResource(nameTok, ResourceEntry{ResId::Int(cursor ? RT_CURSOR_ID : RT_ICON_ID), ResId::Int(id), lang,
                                              std::move(bytes)}))
        return false;
    return AddResource(nameTok, ResourceEntry{type, name, lang, std::move(group)});
  }

  bool Finish() {
    for (const auto& [lang, strings] : strings_) {
      std::map<WORD, bool> blocks;
      for (const auto& [id, text] : strings) blocks[static_cast<WORD>(id >> 4)] = true;
      for (const auto& [block, unused] : blocks) {
        (void)unused;
        ResourceEntry e{ResId::Int(RT_STRING_ID), ResId::Int(static_cast<WORD>(block + 1)), lang,
                        BuildStringBlock(strings, block)};
        out_.Add(std::move(e));
      }
    }
    return true;
  }

  const std::vector<Token>& t_;
  std::size_t pos_ = 0;
  std::string baseDir_;
  ResourceTable& out_;
  std::string& error_;
  WORD nextIconId_ = 1;
  WORD nextCursorId_ = 1;
  LANGID language_ = 0x0409;  // the resource compiler's default: English (United States)
  std::map<LANGID, std::map<WORD, std::u16string>> strings_;
};

}  // namespace

bool ParseResourceScriptText(std::string_view bytes, const std::string& includeDir, const std::string& displayName,
                             ResourceTable& out, std::string& error) {
  error.clear();
  rc::Preprocessor pp;
  if (!pp.Run(bytes, includeDir, displayName, error)) return false;
  ResourceTable table;
  Parser parser(pp.Tokens(), includeDir, table, error);
  if (!parser.Run()) return false;
  out = std::move(table);
  return true;
}

bool ParseResourceScriptFile(const std::string& hostPath, ResourceTable& out, std::string& error) {
  rc::NoteFileRead(hostPath);
  std::ifstream in(hostPath, std::ios::binary);
  if (!in) {
    error = hostPath + ": cannot open";
    return false;
  }
  std::stringstream ss;
  ss << in.rdbuf();
  const std::string bytes = ss.str();
  const std::size_t slash = hostPath.rfind('/');
  const std::string dir = slash == std::string::npos ? std::string(".") : hostPath.substr(0, slash);
  const std::string display = slash == std::string::npos ? hostPath : hostPath.substr(slash + 1);
  return ParseResourceScriptText(bytes, dir, display, out, error);
}

}  // namespace plat
