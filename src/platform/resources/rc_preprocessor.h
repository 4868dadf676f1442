// Resource scripts, first stage: the preprocessor over a script and its includes.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "rc_lexer.h"

namespace plat::rc {

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
  // Expands a token into out; false with the error when its expansion passes the fixed
  // bound (a script's macros can double themselves into more than any script needs).
  bool ExpandToken(const Token& t, std::vector<Token>& out, std::string& error);
  bool Expand(const Token& t, std::vector<Token>& out, int depth, std::size_t& budget);
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
