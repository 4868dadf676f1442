// Resource scripts: decoding, tokens and constant expressions.
#include "rc_lexer.h"

#include "plat/codepage.h"
#include "plat/wstr.h"

namespace plat::rc {
namespace {

int HexDigit(WCHAR c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

}  // namespace

std::string Where(const Token& t) {
  return (t.file ? *t.file : std::string("script")) + "(" + std::to_string(t.line) + "): ";
}

std::u16string DecodeScript(std::string_view bytes) {
  if (bytes.size() >= 2 && static_cast<BYTE>(bytes[0]) == 0xFF && static_cast<BYTE>(bytes[1]) == 0xFE) {
    std::u16string out;
    out.reserve(bytes.size() / 2);
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2)
      out.push_back(static_cast<WCHAR>(static_cast<BYTE>(bytes[i]) | (static_cast<BYTE>(bytes[i + 1]) << 8)));
    return out;
  }
  if (bytes.size() >= 3 && static_cast<BYTE>(bytes[0]) == 0xEF && static_cast<BYTE>(bytes[1]) == 0xBB &&
      static_cast<BYTE>(bytes[2]) == 0xBF)
    bytes.remove_prefix(3);
  // "#pragma code_page(N)" names the code page of an 8-bit script (65001 is UTF-8).
  const std::size_t at = bytes.find("code_page(");
  if (at != std::string_view::npos && bytes.rfind("#pragma", at) != std::string_view::npos) {
    UINT cp = 0;
    for (std::size_t i = at + 10; i < bytes.size() && bytes[i] >= '0' && bytes[i] <= '9' && cp < 100000; ++i)
      cp = cp * 10 + static_cast<UINT>(bytes[i] - '0');
    if (cp != 65001 && IsSupportedCodePage(cp)) return AnsiToWide(bytes, cp);
  }
  return FromUtf8(bytes);
}

// ---- expressions --------------------------------------------------------------------

const Token& ExprEval::Peek() const {
  static const Token kEnd;
  return pos_ < t_.size() ? t_[pos_] : kEnd;
}

bool ExprEval::Eval(std::uint32_t& value, bool* isLong, std::string& error) {
  long_ = false;
  if (!Binary(0, value, error)) return false;
  if (isLong) *isLong = long_;
  return true;
}

namespace {
int Precedence(const Token& t) {
  if (t.kind != Token::Punct) return -1;
  const std::u16string& s = t.text;
  if (s == u"||") return 1;
  if (s == u"&&") return 2;
  if (s == u"|") return 3;
  if (s == u"^") return 4;
  if (s == u"&") return 5;
  if (s == u"==" || s == u"!=") return 6;
  if (s == u"<" || s == u">" || s == u"<=" || s == u">=") return 7;
  if (s == u"<<" || s == u">>") return 8;
  if (s == u"+" || s == u"-") return 9;
  if (s == u"*" || s == u"/" || s == u"%") return 10;
  return -1;
}
}  // namespace

bool ExprEval::Binary(int minPrec, std::uint32_t& v, std::string& error) {
  if (!Unary(v, error)) return false;
  for (;;) {
    const Token& op = Peek();
    int prec = Precedence(op);
    if (prec < 0 || prec < minPrec) return true;
    std::u16string o = op.text;
    ++pos_;
    std::uint32_t r = 0;
    if (!Binary(prec + 1, r, error)) return false;
    if (o == u"||") v = (v || r) ? 1 : 0;
    else if (o == u"&&") v = (v && r) ? 1 : 0;
    else if (o == u"|") v |= r;
    else if (o == u"^") v ^= r;
    else if (o == u"&") v &= r;
    else if (o == u"==") v = v == r;
    else if (o == u"!=") v = v != r;
    else if (o == u"<") v = static_cast<std::int32_t>(v) < static_cast<std::int32_t>(r);
    else if (o == u">") v = static_cast<std::int32_t>(v) > static_cast<std::int32_t>(r);
    else if (o == u"<=") v = static_cast<std::int32_t>(v) <= static_cast<std::int32_t>(r);
    else if (o == u">=") v = static_cast<std::int32_t>(v) >= static_cast<std::int32_t>(r);
    else if (o == u"<<") v = r >= 32 ? 0 : v << r;
    else if (o == u">>") v = r >= 32 ? 0 : v >> r;
    else if (o == u"+") v += r;
    else if (o == u"-") v -= r;
    else if (o == u"*") v *= r;
    else if (o == u"/" || o == u"%") {
      if (r == 0) {
        error = Where(op) + "division by zero";
        return false;
      }
      v = o == u"/" ? v / r : v % r;
    }
  }
}

bool ExprEval::Unary(std::uint32_t& v, std::string& error) {
  if (++depth_ > 200) {
    error = Where(Peek()) + "expression too deeply nested";
    return false;
  }
  struct Leave {
    int& d;
    ~Leave() { --d; }
  } leave{depth_};
  const Token& t = Peek();
  if (t.kind == Token::Number) {
    v = t.value;
    long_ = long_ || t.isLong;
    ++pos_;
    return true;
  }
  if (t.kind == Token::Punct && (t.text == u"-" || t.text == u"+" || t.text == u"~" || t.text == u"!")) {
    std::u16string o = t.text;
    ++pos_;
    if (!Unary(v, error)) return false;
    if (o == u"-") v = 0u - v;
    else if (o == u"~") v = ~v;
    else if (o == u"!") v = v ? 0 : 1;
    return true;
  }
  if (t.kind == Token::Ident && EqualNoCase(t.text, u"NOT")) {
    ++pos_;
    if (!Unary(v, error)) return false;
    v = ~v;
    return true;
  }
  if (t.kind == Token::Punct && t.text == u"(") {
    ++pos_;
    if (!Binary(0, v, error)) return false;
    if (Peek().kind != Token::Punct || Peek().text != u")") {
      error = Where(Peek()) + "')' expected";
      return false;
    }
    ++pos_;
    return true;
  }
  if (t.kind == Token::Ident) {
    bool isLong = false;
    if (!resolve_ || !resolve_(t, v, isLong)) {
      error = Where(t) + "undefined symbol " + ToUtf8(t.text);
      return false;
    }
    long_ = long_ || isLong;
    ++pos_;
    return true;
  }
  error = Where(t) + "number expected";
  return false;
}

// ---- tokens -------------------------------------------------------------------------

bool TokenizeLine(std::u16string_view s, int lineNo, const std::shared_ptr<const std::string>& file,
                  std::vector<Token>& out, std::string& error) {
  std::size_t i = 0;
  auto make = [&](Token::Kind k) {
    Token t;
    t.kind = k;
    t.line = lineNo;
    t.file = file;
    return t;
  };
  while (i < s.size()) {
    WCHAR c = s[i];
    if (IsSpace(c) || c == u'\n') {
      ++i;
      continue;
    }
    bool widePrefix = (c == u'L' || c == u'l') && i + 1 < s.size() && s[i + 1] == u'"';
    if (c == u'"' || widePrefix) {
      Token t = make(Token::String);
      t.wide = widePrefix;
      i += widePrefix ? 2 : 1;
      bool closed = false;
      while (i < s.size()) {
        WCHAR d = s[i];
        if (d == u'"') {
          if (i + 1 < s.size() && s[i + 1] == u'"') {  // "" is one quote
            t.text.push_back(u'"');
            i += 2;
            continue;
          }
          ++i;
          closed = true;
          break;
        }
        if (d == u'\\' && i + 1 < s.size()) {
          WCHAR e = s[i + 1];
          i += 2;
          switch (e) {
            case u'n': t.text.push_back(u'\n'); break;
            case u't': t.text.push_back(u'\t'); break;
            case u'r': t.text.push_back(u'\r'); break;
            case u'\\': t.text.push_back(u'\\'); break;
            case u'"': t.text.push_back(u'"'); break;
            case u'x':
            case u'X': {
              std::uint32_t v = 0;
              int n = 0;
              const int maxDigits = t.wide ? 4 : 2;
              while (n < maxDigits && i < s.size() && HexDigit(s[i]) >= 0) {
                v = v * 16 + static_cast<std::uint32_t>(HexDigit(s[i]));
                ++i;
                ++n;
              }
              if (n == 0) {
                t.text.push_back(u'\\');
                t.text.push_back(e);
              } else {
                t.text.push_back(static_cast<WCHAR>(v));
              }
              break;
            }
            default:
              if (e >= u'0' && e <= u'7') {
                std::uint32_t v = static_cast<std::uint32_t>(e - u'0');
                int n = 1;
                while (n < (t.wide ? 6 : 3) && i < s.size() && s[i] >= u'0' && s[i] <= u'7') {
                  v = v * 8 + static_cast<std::uint32_t>(s[i] - u'0');
                  ++i;
                  ++n;
                }
                t.text.push_back(static_cast<WCHAR>(v & 0xFFFF));
              } else {  // an escape without meaning keeps its backslash
                t.text.push_back(u'\\');
                t.text.push_back(e);
              }
          }
          continue;
        }
        t.text.push_back(d);
        ++i;
      }
      if (!closed) {
        error = (file ? *file : std::string("script")) + "(" + std::to_string(lineNo) + "): unterminated string";
        return false;
      }
      out.push_back(std::move(t));
      continue;
    }
    if (IsIdentStart(c)) {
      Token t = make(Token::Ident);
      while (i < s.size() && IsIdentChar(s[i])) t.text.push_back(s[i++]);
      out.push_back(std::move(t));
      continue;
    }
    if (c >= u'0' && c <= u'9') {
      Token t = make(Token::Number);
      std::uint64_t v = 0;
      if (c == u'0' && i + 1 < s.size() && (s[i + 1] == u'x' || s[i + 1] == u'X')) {
        i += 2;
        while (i < s.size() && HexDigit(s[i]) >= 0) {
          v = (v << 4) | static_cast<std::uint64_t>(HexDigit(s[i]));
          v &= 0xFFFFFFFFull;
          t.text.push_back(s[i++]);
        }
      } else {
        while (i < s.size() && s[i] >= u'0' && s[i] <= u'9') {
          v = (v * 10 + static_cast<std::uint64_t>(s[i] - u'0')) & 0xFFFFFFFFull;
          t.text.push_back(s[i++]);
        }
      }
      while (i < s.size() && (s[i] == u'L' || s[i] == u'l' || s[i] == u'U' || s[i] == u'u')) {
        if (s[i] == u'L' || s[i] == u'l') t.isLong = true;
        ++i;
      }
      if (i < s.size() && IsIdentChar(s[i])) {
        error = (file ? *file : std::string("script")) + "(" + std::to_string(lineNo) + "): bad number";
        return false;
      }
      t.value = static_cast<std::uint32_t>(v);
      out.push_back(std::move(t));
      continue;
    }
    static const char16_t* const kTwo[] = {u"<<", u">>", u"<=", u">=", u"==", u"!=", u"&&", u"||"};
    bool two = false;
    for (const char16_t* p : kTwo) {
      if (i + 1 < s.size() && s[i] == p[0] && s[i + 1] == p[1]) {
        Token t = make(Token::Punct);
        t.text.assign(p, 2);
        out.push_back(std::move(t));
        i += 2;
        two = true;
        break;
      }
    }
    if (two) continue;
    if (std::u16string_view(u",{}()|&+-~!*/%^<>=#").find(c) != std::u16string_view::npos) {
      Token t = make(Token::Punct);
      t.text.assign(1, c);
      out.push_back(std::move(t));
      ++i;
      continue;
    }
    error = (file ? *file : std::string("script")) + "(" + std::to_string(lineNo) + "): unexpected character";
    return false;
  }
  return true;
}

}  // namespace plat::rc
