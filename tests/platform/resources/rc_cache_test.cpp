// Parsed resource scripts are kept while their files are unchanged.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

#include "plat/rc_script.h"

namespace rc_cache_test {

namespace fs = std::filesystem;

void Write(const fs::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

class ParsedScripts : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::ForgetParsedResourceScripts();
    dir_ = fs::temp_directory_path() / ("kova_rc_cache_" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    Write(dir_ / "ids.h", "#define IDS_TITLE 7\n");
    Write(dir_ / "ui.rc", "#include \"ids.h\"\nSTRINGTABLE BEGIN\nIDS_TITLE \"Copies:\"\nEND\n");
  }
  void TearDown() override {
    plat::ForgetParsedResourceScripts();
    fs::remove_all(dir_);
  }
  std::shared_ptr<const plat::ResourceTable> Load() {
    std::string error;
    auto t = plat::ParsedResourceScript((dir_ / "ui.rc").string(), error);
    EXPECT_NE(t, nullptr) << error;
    return t;
  }
  fs::path dir_;
};

TEST_F(ParsedScripts, AScriptIsParsedOnceUntilOneOfItsFilesChanges) {
  struct Case {
    const char* name;
    std::function<void(const fs::path&)> change;  // null: nothing changes
    bool parsedAgain;
  };
  const Case cases[] = {
      {"Unchanged", nullptr, false},
      {"ScriptRewritten", [](const fs::path& d) {
         Write(d / "ui.rc", "#include \"ids.h\"\nSTRINGTABLE BEGIN\nIDS_TITLE \"Copies\"\nEND\n");
       }, true},
      {"IncludeRewritten", [](const fs::path& d) { Write(d / "ids.h", "#define IDS_TITLE 8\n"); }, true},
      // Same bytes, a later write time.
      {"ScriptTouched", [](const fs::path& d) {
         fs::last_write_time(d / "ui.rc", fs::last_write_time(d / "ui.rc") + std::chrono::seconds(5));
       }, true},
      // A new file at the same name (another identity).
      {"ScriptReplaced", [](const fs::path& d) {
         const auto when = fs::last_write_time(d / "ui.rc");
         Write(d / "new.rc", "#include \"ids.h\"\nSTRINGTABLE BEGIN\nIDS_TITLE \"Copies:\"\nEND\n");
         fs::last_write_time(d / "new.rc", when);
         fs::rename(d / "new.rc", d / "ui.rc");
       }, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto first = Load();
    const std::size_t parses = plat::ResourceScriptParses();
    if (c.change) c.change(dir_);
    const auto second = Load();
    EXPECT_EQ(plat::ResourceScriptParses() - parses, c.parsedAgain ? 1u : 0u);
    EXPECT_EQ(second == first, !c.parsedAgain);
    // Kept again once parsed.
    EXPECT_EQ(Load(), second);
    EXPECT_EQ(plat::ResourceScriptParses() - parses, c.parsedAgain ? 1u : 0u);
  }
}

TEST_F(ParsedScripts, AFailedParseIsNotKept) {
  Write(dir_ / "ui.rc", "STRINGTABLE BEGIN\n1 \"open\nEND\n");
  std::string error;
  const std::size_t parses = plat::ResourceScriptParses();
  EXPECT_EQ(plat::ParsedResourceScript((dir_ / "ui.rc").string(), error), nullptr);
  EXPECT_EQ(error, "ui.rc(2): unterminated string");
  EXPECT_EQ(plat::ParsedResourceScript((dir_ / "ui.rc").string(), error), nullptr);
  EXPECT_EQ(plat::ResourceScriptParses() - parses, 2u);
}

}  // namespace rc_cache_test
