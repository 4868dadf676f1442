// The platform library's export table: its Windows API (every plain C name is declared in a
// win/ header) and the steering API of plat/; none of its internals, and none of the
// standard library's template instances it uses.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "dynamic_symbols.h"
#include "build_paths.h"

namespace {

std::vector<std::string> DefinedNames(const std::string& file, bool demangle) {
  return kovatest::DynamicSymbolNames(file, kovatest::SymbolSide::Defined, demangle);
}

// Every identifier of the Windows-shaped headers.
std::set<std::string> WinHeaderIdentifiers() {
  std::set<std::string> words;
  for (const auto& entry : std::filesystem::directory_iterator(kovatest::SourceDir() + "/src/platform/include/win")) {
    std::ifstream in(entry.path());
    std::stringstream text;
    text << in.rdbuf();
    std::string word;
    for (char c : text.str() + " ") {
      if (std::isalnum(static_cast<unsigned char>(c)) || c == '_') {
        word.push_back(c);
      } else if (!word.empty()) {
        words.insert(word);
        word.clear();
      }
    }
  }
  return words;
}

bool IsMangled(const std::string& name) { return name.rfind("_Z", 0) == 0; }

TEST(PlatformExports, PlainNamesAreTheWindowsApi) {
  const std::set<std::string> declared = WinHeaderIdentifiers();
  ASSERT_TRUE(declared.count("GetLastError"));
  std::size_t plain = 0;
  for (const std::string& name : DefinedNames(kovatest::BuiltFile("kovaplat"), false)) {
    if (IsMangled(name)) continue;
    ++plain;
    EXPECT_TRUE(declared.count(name)) << name << " is exported but declared in no win/ header";
  }
  EXPECT_GT(plain, 0u) << "nm listed no exports";
}

TEST(PlatformExports, CppNamesAreTheSteeringApi) {
  std::size_t steering = 0;
  for (const std::string& name : DefinedNames(kovatest::BuiltFile("kovaplat"), true)) {
    if (name.find("::") == std::string::npos && name.find('(') == std::string::npos) continue;  // a C name
    // A function or object of the plat namespace, never a template instance of another
    // namespace whose signature merely mentions a plat type.
    const std::string head = name.substr(0, name.find('('));
    // Unoptimised builds keep standard-library members instantiated over a steering type
    // out of line ("plat::ResourceEntry& std::deque<plat::ResourceEntry>::emplace_back"):
    // they are the standard library's, not platform internals.
    const std::size_t space = head.find(' ');
    if (space != std::string::npos && head.compare(space + 1, 5, "std::") == 0) continue;
    EXPECT_TRUE(head.rfind("plat::", 0) == 0 && head.find(' ') == std::string::npos && head.find('<') == std::string::npos)
        << name << " is exported but is not part of the steering API";
    ++steering;
  }
  EXPECT_GT(steering, 0u);
}

TEST(PlatformExports, KnownNamesOnBothSidesOfTheLine) {
  std::set<std::string> names;
  for (const std::string& name : DefinedNames(kovatest::BuiltFile("kovaplat"), true)) names.insert(name.substr(0, name.find('(')));
  // Windows API and steering API.
  for (const char* exported : {"GetLastError", "MultiByteToWideChar", "CreateFileW", "OpenPrinterW",
                               "plat::SetSystemRoot", "plat::OpenHandleCount", "plat::spooler::RevertedDepth"})
    EXPECT_TRUE(names.count(exported)) << exported;
  // Internals: the handle table, file objects, the attribute store.
  for (const char* internal : {"plat::InsertHandle", "plat::LookupHandle", "plat::RemoveHandle",
                               "plat::OpenFileObject", "plat::StoreAttributes"})
    EXPECT_FALSE(names.count(internal)) << internal;
}

}  // namespace
