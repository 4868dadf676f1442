// The kept documents of the profile calls: a read that finds the file's last seen version
// answers from memory, and every other way of changing the file is still seen at once.
#include <gtest/gtest.h>
#include <dirent.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "plat/system.h"
#include "test_root.h"
#include "win/errors.h"
#include "win/files.h"
#include "win/profile.h"

namespace {

const char16_t* const kIni = u"C:\\cfg\\kept.ini";

UINT ReadK() { return GetPrivateProfileIntW(u"s", u"k", 0, kIni); }

// Waits until the coarse clock the file system stamps changes with has moved on, so that
// the next read finds a settled version and keeps it.
void LetTheVersionSettle() {
  struct timespec start {}, now {};
  ::clock_gettime(CLOCK_REALTIME_COARSE, &start);
  do {
    ::usleep(1000);
    ::clock_gettime(CLOCK_REALTIME_COARSE, &now);
  } while (now.tv_sec == start.tv_sec && now.tv_nsec == start.tv_nsec);
}

class KeptProfile : public ::testing::Test {
 protected:
  kovatest::TempRoot root_;
};

struct ChangeCase {
  const char* name;
  // Changes the file so that k becomes value, keeping the file's size.
  std::function<void(kovatest::TempRoot&, char value)> change;
};

void WriteInPlaceThroughHandle(char value) {
  HANDLE h = CreateFileW(kIni, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  const std::string text = std::string("[s]\r\nk=") + value + "\r\n";
  DWORD done = 0;
  EXPECT_TRUE(WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &done, nullptr));
  CloseHandle(h);
}

const ChangeCase kChanges[] = {
    {"profile_write_of_another_process",
     [](kovatest::TempRoot&, char value) {
       pid_t pid = ::fork();
       ASSERT_GE(pid, 0);
       if (pid == 0) {
         const char16_t text[2] = {static_cast<char16_t>(value), 0};
         ::_exit(WritePrivateProfileStringW(u"s", u"k", text, kIni) ? 0 : 1);
       }
       int status = 0;
       ASSERT_EQ(::waitpid(pid, &status, 0), pid);
       ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
     }},
    {"profile_write_of_another_thread",
     [](kovatest::TempRoot&, char value) {
       std::thread t([value] {
         const char16_t text[2] = {static_cast<char16_t>(value), 0};
         EXPECT_TRUE(WritePrivateProfileStringW(u"s", u"k", text, kIni));
       });
       t.join();
     }},
    {"file_write_in_place_through_a_handle", [](kovatest::TempRoot&, char value) { WriteInPlaceThroughHandle(value); }},
    {"host_write_in_place",
     [](kovatest::TempRoot& root, char value) { root.WriteFile(kIni, std::string("[s]\r\nk=") + value + "\r\n"); }},
    {"host_file_renamed_over_it",
     [](kovatest::TempRoot& root, char value) {
       const std::string host = root.HostPath(kIni);
       std::ofstream(host + ".new", std::ios::binary) << "[s]\r\nk=" << value << "\r\n";
       ASSERT_EQ(std::rename((host + ".new").c_str(), host.c_str()), 0);
     }},
};

TEST_F(KeptProfile, AKeptVersionGivesWayToEveryChangeOfTheFile) {
  for (const ChangeCase& c : kChanges) {
    SCOPED_TRACE(c.name);
    root_.WriteFile(kIni, "[s]\r\nk=1\r\n");
    LetTheVersionSettle();
    ASSERT_EQ(ReadK(), 1u);  // read and kept
    ASSERT_EQ(ReadK(), 1u);  // answered from the kept version
    // Changes of the same size follow each other faster than the clock ticks.
    for (char value : {'2', '3', '4'}) {
      c.change(root_, value);
      EXPECT_EQ(ReadK(), static_cast<UINT>(value - '0'));
    }
    // A write of the profile calls starts from the changed file, not from the kept version.
    ASSERT_TRUE(WritePrivateProfileStringW(u"s", u"other", u"x", kIni));
    EXPECT_EQ(root_.ReadFile(kIni), "[s]\r\nk=4\r\nother=x\r\n");
    LetTheVersionSettle();
    c.change(root_, '5');
    EXPECT_EQ(ReadK(), 5u);
  }
}

TEST_F(KeptProfile, ASettledVersionChangedInPlaceAfterAWriteIsSeen) {
  root_.WriteFile(kIni, "[s]\r\nk=1\r\n");
  for (char value : {'2', '3'}) {
    const char16_t text[2] = {static_cast<char16_t>(value), 0};
    ASSERT_TRUE(WritePrivateProfileStringW(u"s", u"k", text, kIni));
    LetTheVersionSettle();
    ASSERT_EQ(ReadK(), static_cast<UINT>(value - '0'));
    ASSERT_EQ(ReadK(), static_cast<UINT>(value - '0'));
    WriteInPlaceThroughHandle('7');
    EXPECT_EQ(ReadK(), 7u);
  }
}

TEST_F(KeptProfile, DenialsOfSharingAreSeenWhileAVersionIsKept) {
  root_.WriteFile(kIni, "[s]\r\nk=1\r\n");
  LetTheVersionSettle();
  ASSERT_EQ(ReadK(), 1u);
  ASSERT_EQ(ReadK(), 1u);
  HANDLE h = CreateFileW(kIni, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(ReadK(), 0u);  // an exclusive open: not even reading
  SetLastError(0);
  EXPECT_FALSE(WritePrivateProfileStringW(u"s", u"k", u"2", kIni));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  CloseHandle(h);
  EXPECT_EQ(ReadK(), 1u);
  // An open that takes delete access while sharing all but deleting blocks the calls too.
  h = CreateFileW(kIni, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                  nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(ReadK(), 0u);
  CloseHandle(h);
  EXPECT_TRUE(WritePrivateProfileStringW(u"s", u"k", u"2", kIni));
  EXPECT_EQ(ReadK(), 2u);
}

std::vector<std::string> NamesIn(const std::string& folder) {
  std::vector<std::string> names;
  if (DIR* d = ::opendir(folder.c_str())) {
    while (dirent* e = ::readdir(d))
      if (e->d_name[0] != '.' || (e->d_name[1] && e->d_name[1] != '.')) names.emplace_back(e->d_name);
    ::closedir(d);
  }
  return names;
}

TEST_F(KeptProfile, AWriteReplacesTheFileWhole) {
  root_.WriteFile(kIni, "[s]\r\nk=1\r\n");
  // A handle opened before the write keeps reading the old file: the new one replaced it.
  HANDLE h = CreateFileW(kIni, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  struct stat before {};
  ASSERT_EQ(::stat(root_.HostPath(kIni).c_str(), &before), 0);
  ASSERT_EQ(::chmod(root_.HostPath(kIni).c_str(), 0640), 0);
  ASSERT_TRUE(WritePrivateProfileStringW(u"s", u"k", u"2", kIni));
  char buf[64] = {};
  DWORD got = 0;
  ASSERT_TRUE(ReadFile(h, buf, sizeof buf, &got, nullptr));
  CloseHandle(h);
  EXPECT_EQ(std::string(buf, got), "[s]\r\nk=1\r\n");
  struct stat after {};
  ASSERT_EQ(::stat(root_.HostPath(kIni).c_str(), &after), 0);
  EXPECT_NE(after.st_ino, before.st_ino);
  EXPECT_EQ(after.st_mode & 07777, 0640u);  // the replacing file keeps the mode
  EXPECT_EQ(root_.ReadFile(kIni), "[s]\r\nk=2\r\n");
  // Nothing is left beside the file or in the platform's profile folder but lock files.
  EXPECT_EQ(NamesIn(root_.Host() + "/drives/c/cfg"), std::vector<std::string>{"kept.ini"});
  for (const std::string& name : NamesIn(plat::StoreFolder("profile")))
    EXPECT_NE(name.find(".lock"), std::string::npos) << name;
}

TEST_F(KeptProfile, AReaderNeverSeesAPartOfAFile) {
  root_.WriteFile(kIni, "[s]\r\n");
  const std::string host = root_.HostPath(kIni);
  std::atomic<bool> done{false};
  std::atomic<int> torn{0};
  std::atomic<int> looks{0};
  std::thread reader([&] {
    std::size_t last = 0;
    while (!done.load()) {
      std::ifstream in(host, std::ios::binary);
      std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      ++looks;
      // Every version is the header and whole lines, and no version is older than one seen.
      if (text.size() < last || text.compare(0, 5, "[s]\r\n") != 0 || text.back() != '\n') ++torn;
      last = text.size();
    }
  });
  for (int i = 0; i < 200; ++i) {
    const std::u16string key = u"key" + std::u16string(1, static_cast<char16_t>(u'A' + i % 26)) +
                               std::u16string(1, static_cast<char16_t>(u'a' + i / 26));
    ASSERT_TRUE(WritePrivateProfileStringW(u"s", key.c_str(), u"some value", kIni));
  }
  done = true;
  reader.join();
  EXPECT_EQ(torn.load(), 0);
  EXPECT_GT(looks.load(), 0);
  std::vector<WCHAR> keys(8192);
  DWORD n = GetPrivateProfileStringW(u"s", nullptr, u"", keys.data(), 8192, kIni);
  int count = 0;
  for (DWORD i = 0; i < n; ++i) count += keys[i] == 0;
  EXPECT_EQ(count, 200);
}

}  // namespace
