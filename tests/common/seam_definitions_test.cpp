// Seams cannot hide: an operation whose own code comes later is defined once, under its own
// name, so that the real definition replaces it or the link fails. The driver's sources are
// read as text: every function defined in a pending_* file, or right under a comment that
// marks a seam, must have no other definition of the same name anywhere in the driver code
// (an anonymous namespace or another namespace would let a stub win silently).
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>
#include "build_paths.h"

namespace {

namespace fs = std::filesystem;

struct Definition {
  std::string name;
  std::size_t line;          // 0-based
  bool underSeamComment;     // the comment block right above it marks a seam
};

bool StartsTopLevelDeclaration(const std::string& line) {
  if (line.empty() || !(std::isalpha(static_cast<unsigned char>(line[0])) || line[0] == '_')) return false;
  for (const char* word : {"namespace", "using", "struct", "class", "enum", "union", "template", "typedef",
                           "extern \"C\" {", "static_assert", "return", "if", "for", "while", "switch"}) {
    const std::string w(word);
    if (line.compare(0, w.size(), w) == 0 &&
        (line.size() == w.size() || !(std::isalnum(static_cast<unsigned char>(line[w.size()])) ||
                                      line[w.size()] == '_')))
      return false;
  }
  return true;
}

// Functions defined at the top level of a file (the sources do not indent namespaces):
// the name is the identifier right before the first '(' of a declaration that opens a
// body before it ends with ';'.
std::vector<Definition> DefinitionsIn(const std::vector<std::string>& lines) {
  std::vector<Definition> out;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (!StartsTopLevelDeclaration(lines[i])) continue;
    std::string text;
    std::size_t j = i;
    for (; j < lines.size() && j < i + 12; ++j) {
      text += lines[j];
      text += '\n';
      if (text.find_first_of(";{") != std::string::npos) break;
    }
    const std::size_t open = text.find('(');
    const std::size_t stop = text.find_first_of(";{");
    if (open == std::string::npos || stop == std::string::npos || text[stop] != '{' || open > stop) continue;
    if (text.find('=') < open) continue;  // a variable with an initialiser
    std::size_t end = open;
    while (end > 0 && text[end - 1] == ' ') --end;
    std::size_t begin = end;
    while (begin > 0 && (std::isalnum(static_cast<unsigned char>(text[begin - 1])) || text[begin - 1] == '_' ||
                         text[begin - 1] == ':'))
      --begin;
    std::string name = text.substr(begin, end - begin);
    if (name.empty() || name.find("operator") != std::string::npos) continue;
    bool seam = false;
    for (std::size_t k = i; k > 0 && lines[k - 1].rfind("//", 0) == 0; --k)
      if (lines[k - 1].find("PENDING:") != std::string::npos) seam = true;
    out.push_back({name, i, seam});
    i = j;
  }
  return out;
}

TEST(SeamDefinitions, EverySeamIsTheOnlyDefinitionOfItsName) {
  const fs::path src = fs::path(kovatest::SourceDir()) / "src";
  std::map<std::string, std::set<std::string>> definedIn;  // name -> files
  std::map<std::string, std::string> seams;                // name -> file of the seam
  for (const char* tree : {"common", "code32"}) {
    for (const auto& entry : fs::recursive_directory_iterator(src / tree)) {
      if (!entry.is_regular_file() || entry.path().extension() != ".cpp") continue;
      std::ifstream in(entry.path());
      std::vector<std::string> lines;
      for (std::string line; std::getline(in, line);) lines.push_back(line);
      const std::string file = fs::relative(entry.path(), src).string();
      const bool pendingFile = entry.path().filename().string().rfind("pending", 0) == 0 ||
                               entry.path().filename().string().find("_pending") != std::string::npos;
      for (const Definition& d : DefinitionsIn(lines)) {
        definedIn[d.name].insert(file);
        if (pendingFile || d.underSeamComment) seams.emplace(d.name, file);
      }
    }
  }
  ASSERT_FALSE(seams.empty()) << "no seam found: the reader of the sources no longer matches them";
  for (const auto& [name, file] : seams) {
    const auto& files = definedIn[name];
    std::ostringstream where;
    for (const auto& f : files) where << ' ' << f;
    EXPECT_EQ(files.size(), 1u) << "the seam " << name << " (" << file << ") is defined in:" << where.str();
  }
}

// The reader itself, on a small source: it must see the seams the check relies on.
TEST(SeamDefinitions, TheReaderFindsTopLevelDefinitionsAndTheirMarks) {
  const std::vector<std::string> lines = {
      "namespace {",
      "bool Helper(int a) { return a; }",
      "}  // namespace",
      "// PENDING: the module to come replaces this.",
      "int SeamOne(DriverContext*,",
      "            int) {",
      "  return 0;",
      "}",
      "",
      "// An ordinary function.",
      "int Plain(int x) { return x; }",
      "int Declared(int x);",
      "const int kValue = Compute(3);",
      "bool rendara::Qualified(int) { return true; }",
  };
  const auto defs = DefinitionsIn(lines);
  ASSERT_EQ(defs.size(), 4u);
  EXPECT_EQ(defs[0].name, "Helper");
  EXPECT_FALSE(defs[0].underSeamComment);
  EXPECT_EQ(defs[1].name, "SeamOne");
  EXPECT_TRUE(defs[1].underSeamComment);
  EXPECT_EQ(defs[2].name, "Plain");
  EXPECT_FALSE(defs[2].underSeamComment);
  EXPECT_EQ(defs[3].name, "rendara::Qualified");
}

}  // namespace
