// Programs started through the platform: waited for with a time-out, ended, exit codes.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "test_root.h"
#include "win/files.h"
#include "win/process.h"

namespace kovatest {
namespace {

namespace fs = std::filesystem;

void Script(const TempRoot& root, const std::u16string& path, const std::string& body) {
  root.WriteFile(path, "#!/bin/sh\n" + body + "\n");
  fs::permissions(root.HostPath(path), fs::perms::owner_all, fs::perm_options::add);
}

TEST(Process, WaitsEndsAndAnswersExitCodes) {
  TempRoot root;
  Script(root, u"C:\\bin\\quick.sh", "echo done > here.txt\nexit 7");
  Script(root, u"C:\\bin\\hang.sh", "exec sleep 60");
  CreateDirectoryW(u"C:\\work", nullptr);
  struct Case {
    const char* what;
    const char16_t* program;
    DWORD timeout;
    DWORD wait;
    DWORD exitCode;
  };
  const Case cases[] = {
      {"a program that ends", u"C:\\bin\\quick.sh", INFINITE, WAIT_OBJECT_0, 7},
      {"a program that hangs is ended", u"C:\\bin\\hang.sh", 50, WAIT_TIMEOUT, 9},
  };
  for (const Case& c : cases) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    WCHAR line[1] = {0};
    ASSERT_TRUE(CreateProcessW(c.program, line, nullptr, nullptr, FALSE, 0, nullptr, u"C:\\work", &startup, &info))
        << c.what;
    EXPECT_EQ(WaitForSingleObject(info.hProcess, c.timeout), c.wait) << c.what;
    if (c.wait != WAIT_OBJECT_0) {
      DWORD running = 0;
      EXPECT_TRUE(GetExitCodeProcess(info.hProcess, &running));
      EXPECT_EQ(running, STILL_ACTIVE) << c.what;
      EXPECT_TRUE(TerminateProcess(info.hProcess, 9)) << c.what;
      EXPECT_EQ(WaitForSingleObject(info.hProcess, 0), WAIT_OBJECT_0) << c.what;
    }
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeProcess(info.hProcess, &code));
    EXPECT_EQ(code, c.exitCode) << c.what;
    EXPECT_TRUE(CloseHandle(info.hThread));
    EXPECT_TRUE(CloseHandle(info.hProcess));
  }
  EXPECT_TRUE(fs::exists(root.HostPath(u"C:\\work\\here.txt"))) << "the program ran in its current directory";
}

TEST(Process, AMissingProgramIsNotStarted) {
  TempRoot root;
  root.WriteFile(u"C:\\bin\\plain.txt", "not a program");
  for (const char16_t* program : {u"C:\\bin\\missing.exe", u"C:\\bin\\plain.txt"}) {
    PROCESS_INFORMATION info{};
    WCHAR line[1] = {0};
    EXPECT_FALSE(CreateProcessW(program, line, nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr, &info));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  }
  DWORD code = 0;
  EXPECT_FALSE(GetExitCodeProcess(nullptr, &code));
  EXPECT_FALSE(TerminateProcess(nullptr, 1));
}

}  // namespace
}  // namespace kovatest
