// Names the platform looked for and did not find are remembered only until a file or
// folder appears: every road by which a file can appear makes the next look-up see it, in
// this process and in others.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <ostream>
#include <cctype>
#include <functional>
#include <sstream>
#include <string>

#include "plat/system.h"
#include "process_probes.h"
#include "test_root.h"
#include "win/errors.h"
#include "win/files.h"
#include "win/loader.h"
#include "win/profile.h"

namespace absent_paths_test {

namespace {

using kovatest::InChild;

const char16_t* const kIni = u"C:\\cfg\\later.ini";
const char kIniText[] = "[s]\r\nk=7\r\n";

UINT ReadK() { return GetPrivateProfileIntW(u"s", u"k", 0, kIni); }

bool WriteWin(const char16_t* path, const std::string& bytes, DWORD disposition) {
  HANDLE f = CreateFileW(path, GENERIC_WRITE, 0, nullptr, disposition, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) != 0;
  return CloseHandle(f) != 0 && ok && written == bytes.size();
}

struct AppearCase {
  const char* name;
  bool folderExistsBefore;
  std::function<bool(kovatest::TempRoot&)> appear;
};

void PrintTo(const AppearCase& c, std::ostream* os) { *os << c.name; }

class AbsentIni : public ::testing::TestWithParam<AppearCase> {
 protected:
  kovatest::TempRoot root_;
};

TEST_P(AbsentIni, AFileThatAppearsIsReadAtTheNextCall) {
  const AppearCase& c = GetParam();
  if (c.folderExistsBefore) {
    ASSERT_TRUE(CreateDirectoryW(u"C:\\cfg", nullptr));
  }
  // Asked twice while missing: the second answer may come from memory.
  EXPECT_EQ(ReadK(), 0u);
  EXPECT_EQ(ReadK(), 0u);
  ASSERT_TRUE(c.appear(root_)) << c.name;
  EXPECT_EQ(ReadK(), 7u) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Roads, AbsentIni,
    ::testing::Values(
        AppearCase{"profile write", true,
                   [](kovatest::TempRoot&) { return WritePrivateProfileStringW(u"s", u"k", u"7", kIni) != 0; }},
        AppearCase{"file created", true, [](kovatest::TempRoot&) { return WriteWin(kIni, kIniText, CREATE_NEW); }},
        AppearCase{"file copied", true,
                   [](kovatest::TempRoot&) {
                     return WriteWin(u"C:\\other.txt", kIniText, CREATE_ALWAYS) &&
                            CopyFileW(u"C:\\other.txt", kIni, TRUE);
                   }},
        AppearCase{"file renamed", true,
                   [](kovatest::TempRoot&) {
                     return WriteWin(u"C:\\other.txt", kIniText, CREATE_ALWAYS) && MoveFileW(u"C:\\other.txt", kIni);
                   }},
        AppearCase{"folder renamed into place", false,
                   [](kovatest::TempRoot&) {
                     return CreateDirectoryW(u"C:\\staging", nullptr) &&
                            WriteWin(u"C:\\staging\\later.ini", kIniText, CREATE_NEW) &&
                            MoveFileW(u"C:\\staging", u"C:\\cfg");
                   }},
        AppearCase{"written by hand, then noted", true,
                   [](kovatest::TempRoot& root) {
                     std::ofstream(root.HostPath(kIni), std::ios::binary) << kIniText;
                     plat::NoteFilesCreated();
                     return true;
                   }},
        AppearCase{"created by another process", true,
                   [](kovatest::TempRoot&) {
                     return InChild([] { return WriteWin(kIni, kIniText, CREATE_NEW); }) == 0;
                   }}),
    [](const ::testing::TestParamInfo<AppearCase>& info) {
      std::string n;
      for (const char* p = info.param.name; *p; ++p) n += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
      return n;
    });

TEST(AbsentIniFile, ADeletedFileIsMissingAtOnceAndBackWhenWrittenAgain) {
  kovatest::TempRoot root;
  ASSERT_TRUE(CreateDirectoryW(u"C:\\cfg", nullptr));
  ASSERT_TRUE(WritePrivateProfileStringW(u"s", u"k", u"7", kIni));
  EXPECT_EQ(ReadK(), 7u);
  ASSERT_TRUE(DeleteFileW(kIni));
  EXPECT_EQ(ReadK(), 0u);
  EXPECT_EQ(ReadK(), 0u);
  ASSERT_TRUE(WritePrivateProfileStringW(u"s", u"k", u"9", kIni));
  EXPECT_EQ(ReadK(), 9u);
}

TEST(AbsentModule, AModuleCopiedInAfterAFailedLoadLoads) {
  kovatest::TempRoot root;
  std::ifstream in(kovatest::FixturePath("resources/LoaderDemo.rc"), std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  ASSERT_FALSE(bytes.str().empty());
  root.WriteFile(u"C:\\src\\LoaderDemo.rc", bytes.str());
  ASSERT_TRUE(CreateDirectoryW(u"C:\\mods", nullptr));
  EXPECT_EQ(LoadLibraryW(u"C:\\mods\\LoaderDemo.dll"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
  EXPECT_EQ(LoadLibraryW(u"C:\\mods\\LoaderDemo.dll"), nullptr);
  ASSERT_TRUE(CopyFileW(u"C:\\src\\LoaderDemo.rc", u"C:\\mods\\LoaderDemo.rc", TRUE));
  HMODULE m = LoadLibraryW(u"C:\\mods\\LoaderDemo.dll");
  ASSERT_NE(m, nullptr);
  FreeLibrary(m);
}

}  // namespace

}  // namespace absent_paths_test
