// Resource scripts, first stage: decoding, tokens and constant expressions.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "win/types.h"

namespace plat::rc {

struct Token {
  enum Kind { Ident, Number, String, Punct, End };
  Kind kind = End;
  std::u16string text;  // identifier, punctuator, or the decoded contents of a literal
  std::uint32_t value = 0;  // numbers
  bool isLong = false;      // number with an L suffix
  bool wide = false;        // L"..." literal
  int line = 0;
  std::shared_ptr<const std::string> file;
};

// Tells the parse running on this thread that it read a host file (its script, an include,
// a resource's file), so a parsed table can be kept while its files stay unchanged.
void NoteFileRead(const std::string& hostPath);
// Collects the files noted on this thread while it lives.
class FileReadRecorder {
 public:
  FileReadRecorder();
  ~FileReadRecorder();
  FileReadRecorder(const FileReadRecorder&) = delete;
  FileReadRecorder& operator=(const FileReadRecorder&) = delete;
  const std::vector<std::string>& Files() const { return files_; }

 private:
  friend void NoteFileRead(const std::string& hostPath);
  std::vector<std::string> files_;
  FileReadRecorder* outer_;
};

// Where a message points: "<file>(<line>): ".
std::string Where(const Token& t);

// Script bytes to UTF-16: UTF-16LE after its byte-order mark, otherwise UTF-8 (its
// signature skipped).
std::u16string DecodeScript(std::string_view bytes);

// Evaluates a constant expression of tokens (numbers, identifiers through the callback,
// unary - + ~ ! NOT, binary * / % + - << >> < > <= >= == != & ^ | && ||, parentheses),
// starting at pos. Stops before the first token that cannot continue the expression.
// The callback answers an identifier's value, or false when it is unknown.
class ExprEval {
 public:
  using Resolver = std::function<bool(const Token& ident, std::uint32_t& value, bool& isLong)>;
  ExprEval(const std::vector<Token>& tokens, std::size_t& pos, Resolver resolve)
      : t_(tokens), pos_(pos), resolve_(std::move(resolve)) {}
  bool Eval(std::uint32_t& value, bool* isLong, std::string& error);

 private:
  bool Binary(int minPrec, std::uint32_t& v, std::string& error);
  bool Unary(std::uint32_t& v, std::string& error);
  const Token& Peek() const;
  const std::vector<Token>& t_;
  std::size_t& pos_;
  Resolver resolve_;
  bool long_ = false;
  int depth_ = 0;
};

// Character classes of identifiers and blanks in a script line.
inline bool IsIdentStart(WCHAR c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_'; }
inline bool IsIdentChar(WCHAR c) { return IsIdentStart(c) || (c >= u'0' && c <= u'9'); }
inline bool IsSpace(WCHAR c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\f' || c == u'\v'; }

// Splits one line of script text into tokens (no macro expansion). False with a message
// for an unterminated literal or a character that has no meaning.
bool TokenizeLine(std::u16string_view line, int lineNo, const std::shared_ptr<const std::string>& file,
                  std::vector<Token>& out, std::string& error);

}  // namespace plat::rc
