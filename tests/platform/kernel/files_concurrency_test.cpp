// The sharing registry and the attribute store under concurrent use by threads of one
// process (the registry's locks belong to open descriptions, so threads are separate
// openers just as processes are).
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "files_fixture.h"

namespace {

using filetest::FilesTest;

TEST_F(FilesTest, OnlyOneExclusiveOpenWins) {
  Write(u"C:\\race.txt", "x");
  constexpr int kThreads = 8;
  for (int round = 0; round < 20; ++round) {
    std::atomic<int> ready{0};
    std::atomic<bool> go{false};
    std::vector<HANDLE> got(kThreads, INVALID_HANDLE_VALUE);
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i) {
      threads.emplace_back([&, i] {
        ++ready;
        while (!go.load()) std::this_thread::yield();
        got[i] = CreateFileW(u"C:\\race.txt", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
      });
    }
    while (ready.load() < kThreads) std::this_thread::yield();
    go = true;
    for (auto& t : threads) t.join();
    int winners = 0;
    for (HANDLE h : got) {
      if (h == INVALID_HANDLE_VALUE) continue;
      ++winners;
      CloseHandle(h);
    }
    EXPECT_EQ(winners, 1) << "round " << round;
  }
}

TEST_F(FilesTest, ConcurrentAttributeChangesAreAllKept) {
  constexpr int kThreads = 8;
  std::vector<std::u16string> names;
  for (int i = 0; i < kThreads; ++i) {
    names.push_back(u"C:\\attr" + std::u16string(1, static_cast<char16_t>(u'a' + i)) + u".txt");
    Write(names.back(), "x");
  }
  std::vector<std::thread> threads;
  for (int i = 0; i < kThreads; ++i)
    threads.emplace_back([&, i] {
      EXPECT_TRUE(SetFileAttributesW(names[i].c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY));
    });
  for (auto& t : threads) t.join();
  for (const auto& n : names)
    EXPECT_EQ(GetFileAttributesW(n.c_str()), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);
}

TEST_F(FilesTest, AttributesSetByAnotherProcessAreSeen) {
  Write(u"C:\\shared.ini", "x");
  EXPECT_EQ(GetFileAttributesW(u"C:\\shared.ini"), FILE_ATTRIBUTE_ARCHIVE);  // the table is now cached
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    bool ok = SetFileAttributesW(u"C:\\shared.ini", FILE_ATTRIBUTE_HIDDEN) && CopyFileW(u"C:\\shared.ini", u"C:\\copy.ini", TRUE);
    _exit(ok ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(GetFileAttributesW(u"C:\\shared.ini"), FILE_ATTRIBUTE_HIDDEN);
  EXPECT_EQ(GetFileAttributesW(u"C:\\copy.ini"), FILE_ATTRIBUTE_HIDDEN);
}

}  // namespace
