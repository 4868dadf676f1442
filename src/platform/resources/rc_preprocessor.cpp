// Resource scripts: the preprocessor (comments, directives, includes, conditions, macros).
#include "rc_preprocessor.h"

#include <fstream>
#include <sstream>

#include "plat/paths.h"
#include "rc_dialog.h"
#include "plat/wstr.h"

namespace plat::rc {
namespace {

constexpr int kMaxIncludeDepth = 16;
constexpr int kMaxExpansionDepth = 32;
// The most steps (names looked up and tokens made) one token's expansion may take.
constexpr std::size_t kMaxExpansionSteps = 1u << 16;

// Replaces comments by a space (keeping their newlines) and joins lines ended by '\'.
std::u16string StripComments(const std::u16string& in) {
  std::u16string out;
  out.reserve(in.size());
  std::size_t i = 0;
  bool inString = false;
  while (i < in.size()) {
    WCHAR c = in[i];
    if (inString) {
      out.push_back(c);
      if (c == u'\\' && i + 1 < in.size() && in[i + 1] != u'\n') {
        out.push_back(in[i + 1]);
        i += 2;
        continue;
      }
      if (c == u'"' || c == u'\n') inString = false;
      ++i;
      continue;
    }
    if (c == u'"') {
      inString = true;
      out.push_back(c);
      ++i;
    } else if (c == u'/' && i + 1 < in.size() && in[i + 1] == u'/') {
      while (i < in.size() && in[i] != u'\n') ++i;
    } else if (c == u'/' && i + 1 < in.size() && in[i + 1] == u'*') {
      i += 2;
      out.push_back(u' ');
      while (i < in.size() && !(in[i] == u'*' && i + 1 < in.size() && in[i + 1] == u'/')) {
        if (in[i] == u'\n') out.push_back(u'\n');
        ++i;
      }
      i = i < in.size() ? i + 2 : i;
    } else {
      out.push_back(c);
      ++i;
    }
  }
  return out;
}

bool ReadHostFile(const std::string& path, std::string& bytes) {
  NoteFileRead(path);
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::stringstream ss;
  ss << in.rdbuf();
  bytes = ss.str();
  return true;
}

bool EndsWithNoCase(const std::string& s, const char* suffix) {
  std::string_view suf(suffix);
  if (s.size() < suf.size()) return false;
  for (std::size_t i = 0; i < suf.size(); ++i) {
    char a = s[s.size() - suf.size() + i];
    if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
    if (a != suf[i]) return false;
  }
  return true;
}

// System headers a script names for the compiler's own definitions; they are not needed here.
bool IsSystemHeader(const std::string& name) {
  static const char* const kNames[] = {"windows.h", "winres.h", "afxres.h", "winresrc.h", "commctrl.h",
                                       "winver.h", "richedit.h", "dlgs.h", "winuser.h", "winnt.h", "ntverp.h"};
  for (const char* n : kNames)
    if (EndsWithNoCase(name, n) && name.size() == std::string_view(n).size()) return true;
  return false;
}

}  // namespace

Preprocessor::Preprocessor() {
  // What the compiler's own headers would define for the statements used here.
  static const std::pair<const char16_t*, const char16_t*> kPredefined[] = {
      {u"RC_INVOKED", u"1"},
      {u"LANG_NEUTRAL", u"0x00"}, {u"LANG_CHINESE", u"0x04"}, {u"LANG_CZECH", u"0x05"},
      {u"LANG_DANISH", u"0x06"}, {u"LANG_GERMAN", u"0x07"}, {u"LANG_ENGLISH", u"0x09"},
      {u"LANG_SPANISH", u"0x0a"}, {u"LANG_FINNISH", u"0x0b"}, {u"LANG_FRENCH", u"0x0c"},
      {u"LANG_HUNGARIAN", u"0x0e"}, {u"LANG_ITALIAN", u"0x10"}, {u"LANG_JAPANESE", u"0x11"},
      {u"LANG_KOREAN", u"0x12"}, {u"LANG_DUTCH", u"0x13"}, {u"LANG_NORWEGIAN", u"0x14"},
      {u"LANG_POLISH", u"0x15"}, {u"LANG_PORTUGUESE", u"0x16"}, {u"LANG_RUSSIAN", u"0x19"},
      {u"LANG_SWEDISH", u"0x1d"},
      {u"SUBLANG_NEUTRAL", u"0x00"}, {u"SUBLANG_DEFAULT", u"0x01"}, {u"SUBLANG_SYS_DEFAULT", u"0x02"},
      {u"SUBLANG_ENGLISH_US", u"0x01"}, {u"SUBLANG_ENGLISH_UK", u"0x02"}, {u"SUBLANG_JAPANESE_JAPAN", u"0x01"},
      {u"SUBLANG_GERMAN", u"0x01"}, {u"SUBLANG_FRENCH", u"0x01"}, {u"SUBLANG_KOREAN", u"0x01"},
      {u"SUBLANG_CHINESE_TRADITIONAL", u"0x01"}, {u"SUBLANG_CHINESE_SIMPLIFIED", u"0x02"},
  };
  for (const auto& [name, value] : kPredefined) defines_[name] = value;
  for (const auto& [name, value] : WindowSystemSymbols()) defines_[name] = value;
}

bool Preprocessor::Active() const { return conds_.empty() || conds_.back().active; }

bool Preprocessor::Run(std::string_view bytes, const std::string& includeDir, const std::string& displayName,
                       std::string& error) {
  tokens_.clear();
  conds_.clear();
  if (!RunText(DecodeScript(bytes), includeDir, displayName, false, 0, error)) return false;
  Token end;
  end.kind = Token::End;
  end.file = std::make_shared<const std::string>(displayName);
  end.line = tokens_.empty() ? 0 : tokens_.back().line;
  tokens_.push_back(end);
  return true;
}

bool Preprocessor::RunText(const std::u16string& raw, const std::string& includeDir, const std::string& displayName,
                           bool headerOnly, int depth, std::string& error) {
  auto file = std::make_shared<const std::string>(displayName);
  const std::u16string text = StripComments(raw);
  const std::size_t condDepth = conds_.size();
  std::size_t i = 0;
  int lineNo = 0;
  while (i < text.size()) {
    std::size_t j = text.find(u'\n', i);
    if (j == std::u16string::npos) j = text.size();
    std::u16string line = text.substr(i, j - i);
    ++lineNo;
    const int firstLine = lineNo;
    i = j + 1;
    std::size_t k = 0;
    while (k < line.size() && IsSpace(line[k])) ++k;
    if (k < line.size() && line[k] == u'#') {
      // A directive continues over lines that end in a backslash.
      for (;;) {
        while (!line.empty() && line.back() == u'\r') line.pop_back();
        if (line.empty() || line.back() != u'\\' || i >= text.size()) break;
        line.pop_back();
        std::size_t e = text.find(u'\n', i);
        if (e == std::u16string::npos) e = text.size();
        line += text.substr(i, e - i);
        i = e + 1;
        ++lineNo;
      }
      if (!Directive(std::u16string_view(line).substr(k + 1), firstLine, file, includeDir, depth, error)) return false;
      continue;
    }
    if (headerOnly || !Active()) continue;
    std::vector<Token> raw_tokens;
    if (!TokenizeLine(line, firstLine, file, raw_tokens, error)) return false;
    for (const Token& t : raw_tokens)
      if (!ExpandToken(t, tokens_, error)) return false;
  }
  if (conds_.size() != condDepth) {
    error = displayName + "(" + std::to_string(lineNo) + "): #endif expected";
    return false;
  }
  return true;
}

bool Preprocessor::ExpandToken(const Token& t, std::vector<Token>& out, std::string& error) {
  std::size_t budget = kMaxExpansionSteps;
  if (Expand(t, out, 0, budget)) return true;
  error = Where(t) + "the expansion of " + plat::ToUtf8(t.text) + " is too large";
  return false;
}

bool Preprocessor::Expand(const Token& t, std::vector<Token>& out, int depth, std::size_t& budget) {
  if (budget == 0) return false;
  --budget;
  if (t.kind != Token::Ident || depth >= kMaxExpansionDepth) {
    out.push_back(t);
    return true;
  }
  auto it = defines_.find(t.text);
  if (it == defines_.end()) {
    out.push_back(t);
    return true;
  }
  std::vector<Token> repl;
  std::string ignored;
  if (!TokenizeLine(it->second, t.line, t.file, repl, ignored)) {
    out.push_back(t);
    return true;
  }
  for (const Token& r : repl)
    if (!Expand(r, out, depth + 1, budget)) return false;
  return true;
}

bool Preprocessor::EvalCondition(const std::vector<Token>& args, std::size_t start, bool& result, std::string& error) {
  // "defined X" and "defined(X)" are settled before the expression is evaluated.
  std::vector<Token> toks;
  for (std::size_t i = start; i < args.size(); ++i) {
    const Token& t = args[i];
    if (t.kind == Token::Ident && t.text == u"defined") {
      std::size_t n = i + 1;
      bool paren = n < args.size() && args[n].kind == Token::Punct && args[n].text == u"(";
      if (paren) ++n;
      if (n >= args.size() || args[n].kind != Token::Ident) {
        error = Where(t) + "identifier expected after defined";
        return false;
      }
      Token v = t;
      v.kind = Token::Number;
      v.value = defines_.count(args[n].text) ? 1 : 0;
      toks.push_back(v);
      i = n;
      if (paren) {
        if (i + 1 >= args.size() || args[i + 1].text != u")") {
          error = Where(t) + "')' expected";
          return false;
        }
        ++i;
      }
      continue;
    }
    std::vector<Token> expanded;
    if (!ExpandToken(t, expanded, error)) return false;
    for (auto& e : expanded) {
      if (e.kind == Token::Ident) {  // an unknown name counts as 0
        e.kind = Token::Number;
        e.value = 0;
      }
      toks.push_back(std::move(e));
    }
  }
  if (toks.empty()) {
    error = (args.empty() ? std::string("script(0): ") : Where(args[0])) + "expression expected";
    return false;
  }
  std::size_t pos = 0;
  std::uint32_t v = 0;
  ExprEval eval(toks, pos, nullptr);
  if (!eval.Eval(v, nullptr, error)) return false;
  if (pos != toks.size()) {
    error = Where(toks[pos]) + "unexpected text after the expression";
    return false;
  }
  result = v != 0;
  return true;
}

bool Preprocessor::Directive(std::u16string_view body, int lineNo, const std::shared_ptr<const std::string>& file,
                             const std::string& includeDir, int depth, std::string& error) {
  std::size_t k = 0;
  while (k < body.size() && IsSpace(body[k])) ++k;
  std::size_t e = k;
  while (e < body.size() && IsIdentChar(body[e])) ++e;
  const std::u16string name(body.substr(k, e - k));
  std::u16string_view rest = body.substr(e);
  const std::string where = *file + "(" + std::to_string(lineNo) + "): ";

  if (name == u"ifdef" || name == u"ifndef" || name == u"if") {
    bool value = false;
    if (Active()) {
      std::vector<Token> args;
      if (!TokenizeLine(rest, lineNo, file, args, error)) return false;
      if (name == u"if") {
        if (!EvalCondition(args, 0, value, error)) return false;
      } else {
        if (args.empty() || args[0].kind != Token::Ident) {
          error = where + "identifier expected";
          return false;
        }
        value = defines_.count(args[0].text) != 0;
        if (name == u"ifndef") value = !value;
      }
    }
    conds_.push_back(Cond{Active(), Active() && value, Active() && value, false});
    return true;
  }
  if (name == u"elif" || name == u"else" || name == u"endif") {
    if (conds_.empty()) {
      error = where + "#" + ToUtf8(name) + " without #if";
      return false;
    }
    Cond& c = conds_.back();
    if (name == u"endif") {
      conds_.pop_back();
      return true;
    }
    if (c.sawElse) {
      error = where + "#" + ToUtf8(name) + " after #else";
      return false;
    }
    if (name == u"else") {
      c.sawElse = true;
      c.active = c.parentActive && !c.taken;
      c.taken = c.taken || c.active;
      return true;
    }
    bool value = false;
    if (c.parentActive && !c.taken) {
      std::vector<Token> args;
      if (!TokenizeLine(rest, lineNo, file, args, error)) return false;
      if (!EvalCondition(args, 0, value, error)) return false;
    }
    c.active = c.parentActive && !c.taken && value;
    c.taken = c.taken || c.active;
    return true;
  }
  if (!Active()) return true;
  if (name == u"define") {
    std::size_t a = 0;
    while (a < rest.size() && IsSpace(rest[a])) ++a;
    std::size_t b = a;
    while (b < rest.size() && IsIdentChar(rest[b])) ++b;
    if (a == b || !IsIdentStart(rest[a])) {
      error = where + "macro name expected";
      return false;
    }
    std::u16string macro(rest.substr(a, b - a));
    if (b < rest.size() && rest[b] == u'(') return true;  // function-like macros play no part in resources
    std::u16string value(rest.substr(b));
    while (!value.empty() && IsSpace(value.front())) value.erase(value.begin());
    while (!value.empty() && IsSpace(value.back())) value.pop_back();
    defines_[macro] = value;
    return true;
  }
  if (name == u"undef") {
    std::vector<Token> args;
    if (!TokenizeLine(rest, lineNo, file, args, error)) return false;
    if (!args.empty() && args[0].kind == Token::Ident) defines_.erase(args[0].text);
    return true;
  }
  if (name == u"include") {
    std::vector<Token> args;
    // <file> is not a literal: take it by hand.
    std::size_t a = 0;
    while (a < rest.size() && IsSpace(rest[a])) ++a;
    Token at;
    at.line = lineNo;
    at.file = file;
    if (a < rest.size() && rest[a] == u'<') {
      std::size_t b = rest.find(u'>', a);
      if (b == std::u16string_view::npos) {
        error = where + "'>' expected";
        return false;
      }
      Token t = at;
      t.kind = Token::Punct;  // marks the <...> form
      t.text.assign(rest.substr(a + 1, b - a - 1));
      args.push_back(t);
    } else {
      if (!TokenizeLine(rest, lineNo, file, args, error)) return false;
      if (args.empty() || args[0].kind != Token::String) {
        error = where + "file name expected";
        return false;
      }
    }
    return Include(args, at, includeDir, depth, error);
  }
  if (name == u"pragma" || name == u"line" || name == u"error" || name.empty()) {
    if (name == u"error") {
      error = where + "#error" + ToUtf8(rest);
      return false;
    }
    return true;  // #pragma code_page was applied when the text was decoded
  }
  error = where + "unknown directive #" + ToUtf8(name);
  return false;
}

bool Preprocessor::Include(const std::vector<Token>& args, const Token& at, const std::string& includeDir, int depth,
                           std::string& error) {
  const std::string where = Where(at);
  std::string name = ToUtf8(args[0].text);
  for (auto& c : name)
    if (c == '\\') c = '/';
  const bool angle = args[0].kind == Token::Punct;
  if (depth + 1 > kMaxIncludeDepth) {
    error = where + "includes nested too deeply";
    return false;
  }
  // Find the file beside the script, each component without regard to case.
  std::string host = includeDir;
  bool found = !includeDir.empty() && name.find("..") == std::string::npos && !name.empty() && name[0] != '/';
  if (found) {
    std::size_t p = 0;
    while (p <= name.size()) {
      std::size_t q = name.find('/', p);
      if (q == std::string::npos) q = name.size();
      std::string comp = name.substr(p, q - p);
      p = q + 1;
      if (comp.empty() || comp == ".") continue;
      std::string entry = FindEntryNoCase(host, comp);
      if (entry.empty()) {
        found = false;
        break;
      }
      host += "/" + entry;
    }
  }
  std::string bytes;
  if (!found || !ReadHostFile(host, bytes)) {
    if (angle || IsSystemHeader(name)) return true;  // the compiler's headers: not needed
    error = where + "cannot open include file " + name;
    return false;
  }
  const bool headerOnly = EndsWithNoCase(name, ".h") || EndsWithNoCase(name, ".c") || EndsWithNoCase(name, ".hpp");
  std::string dir = host.substr(0, host.rfind('/'));
  return RunText(DecodeScript(bytes), dir, name, headerOnly, depth + 1, error);
}

}  // namespace plat::rc
