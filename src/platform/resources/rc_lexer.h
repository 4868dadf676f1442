// Resource scripts, first stage: decoding, comments, the preprocessor and tokens.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
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

// Splits one line of script text into tokens (no macro expansion). False with a message
// for an unterminated literal or a character that has no meaning.
bool TokenizeLine(std::u16string_view line, int lineNo, const std::shared_ptr<const std::string>& file,
                  std::vector<Token>& out, std::string& error);

// Runs the preprocessor over a script and its includes, giving the tokens of the active
// lines with object-like macros expanded.
class Preprocessor {
 public:
  Preprocessor();
  bool Run(std::string_view bytes, const std::string& includeDir, const std::string& displayName, std::string& error);
  const std::vector<Token>& Tokens() const { return tokens_; }

 private:
  bool RunText(const std::u16string& text, const std::string& includeDir, const std::string& displayName,
               bool headerOnly, int depth, std::string& error);
  bool Directive(std::u16string_view line, int lineNo, const std::shared_ptr<const std::string>& file,
                 const std::string& includeDir, int depth, std::string& error);
  bool Include(const std::vector<Token>& args, const Token& at, const std::string& includeDir, int depth,
               std::string& error);
  bool EvalCondition(const std::vector<Token>& args, std::size_t start, bool& result, std::string& error);
  void Expand(const Token& t, std::vector<Token>& out, int depth);
  bool Active() const;

  struct Cond {
    bool parentActive;
    bool active;
    bool taken;
    bool sawElse;
  };
  std::map<std::u16string, std::u16string> defines_;
  std::vector<Cond> conds_;
  std::vector<Token> tokens_;
};

}  // namespace plat::rc
