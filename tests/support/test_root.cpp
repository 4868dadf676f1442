#include "test_root.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "plat/paths.h"
#include "plat/system.h"
#include "plat/wstr.h"
#include "build_paths.h"

namespace fs = std::filesystem;

namespace kovatest {

TempRoot::TempRoot() {
  std::string tmpl = (fs::temp_directory_path() / "kova-test-XXXXXX").string();
  if (!::mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
  host_ = tmpl;
  plat::SetSystemRoot(host_);
  plat::SetCurrentDirectoryPath(u"C:\\");
}

TempRoot::~TempRoot() {
  // The machine's settings (version, code page, test clock...) belong to the root: a test
  // that changed them leaves the next test a default machine.
  plat::ResetMachine();
  std::error_code ec;
  fs::remove_all(host_, ec);
}

std::string TempRoot::HostPath(const std::u16string& winPath) const {
  // A test asks for a host path to put files there by hand: the platform, which remembers
  // the names it did not find, looks for them again from the next call on.
  plat::NoteFilesCreated();
  std::string host;
  plat::MapPath(winPath.c_str(), host);
  return host;
}

void TempRoot::WriteFile(const std::u16string& winPath, const std::string& bytes) const {
  std::string host = HostPath(winPath);
  fs::create_directories(fs::path(host).parent_path());
  std::ofstream(host, std::ios::binary) << bytes;
  plat::NoteFilesCreated();  // written by hand: the platform looks for missing names again
}

std::string TempRoot::ReadFile(const std::u16string& winPath) const {
  std::ifstream in(HostPath(winPath), std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

std::string U8(std::u16string_view text) { return plat::ToUtf8(text); }

std::string FixturePath(const std::string& relative) { return (kovatest::SourceDir() + "/tests/fixtures") + "/" + relative; }

std::string FixtureText(const std::string& relative) {
  std::ifstream in(FixturePath(relative), std::ios::binary);
  if (!in) throw std::runtime_error("missing test fixture " + relative);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

}  // namespace kovatest
