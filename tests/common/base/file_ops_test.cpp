#include <gtest/gtest.h>

#include <string>

#include "base/driver_context.h"
#include "base/file_ops.h"
#include "base/file_times.h"
#include "base/file_sync.h"
#include "base/file_names.h"
#include "test_root.h"
#include "win/errors.h"
#include "win/files.h"

namespace {

class FileOps : public ::testing::Test {
 protected:
  void Write(const char16_t* path, const std::string& text) { root_.WriteFile(path, text); }
  bool Exists(const char16_t* path) { return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES; }
  void SetTime(const char16_t* path, DWORD high) {
    HANDLE h = CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    FILETIME t{0, high};
    ASSERT_TRUE(SetFileTime(h, nullptr, nullptr, &t));
    CloseHandle(h);
  }
  kovatest::TempRoot root_;
};

TEST_F(FileOps, PathExists) {
  Write(u"C:\\d\\here.txt", "x");
  EXPECT_TRUE(PathExists(u"C:\\d\\here.txt"));
  EXPECT_TRUE(PathExists(u"c:\\D\\HERE.TXT"));
  EXPECT_TRUE(PathExists(u"C:\\d"));  // a folder cannot be opened as a file, but it is there
  EXPECT_FALSE(PathExists(u"C:\\d\\gone.txt"));
  EXPECT_FALSE(PathExists(u"C:\\nofolder\\gone.txt"));
  EXPECT_FALSE(PathExists(nullptr));

  // Held exclusively by someone else: still present.
  HANDLE h = CreateFileW(u"C:\\d\\here.txt", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(PathExists(u"C:\\d\\here.txt"));
  CloseHandle(h);
}

TEST_F(FileOps, DeleteFileForceAnswersOneEvenWhenTheDeleteFails) {
  Write(u"C:\\d\\ro.txt", "x");
  ASSERT_TRUE(SetFileAttributesW(u"C:\\d\\ro.txt", FILE_ATTRIBUTE_READONLY));
  EXPECT_TRUE(DeleteFileForce(u"C:\\d\\ro.txt"));
  EXPECT_FALSE(Exists(u"C:\\d\\ro.txt"));

  EXPECT_FALSE(DeleteFileForce(u"C:\\d\\missing.txt"));  // attributes cannot be set
  EXPECT_FALSE(DeleteFileForce(nullptr));

  Write(u"C:\\d\\busy.txt", "x");
  HANDLE h = CreateFileW(u"C:\\d\\busy.txt", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(DeleteFileForce(u"C:\\d\\busy.txt"));     // the answer callers rely on
  EXPECT_TRUE(Exists(u"C:\\d\\busy.txt"));              // but the file is still there
  EXPECT_FALSE(DeleteFileChecked(u"C:\\d\\busy.txt"));  // and the checked form says so
  CloseHandle(h);
  EXPECT_TRUE(DeleteFileChecked(u"C:\\d\\busy.txt"));
  EXPECT_FALSE(Exists(u"C:\\d\\busy.txt"));
}

TEST_F(FileOps, DeleteFilesInDirDeletesOnlyMatchingFiles) {
  Write(u"C:\\d\\a.tmp", "1");
  Write(u"C:\\d\\b.TMP", "2");
  Write(u"C:\\d\\keep.ini", "3");
  Write(u"C:\\d\\sub.tmp\\inner.txt", "4");
  SetFileAttributesW(u"C:\\d\\a.tmp", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
  EXPECT_TRUE(DeleteFilesInDir(u"C:\\d\\*.tmp"));
  EXPECT_FALSE(Exists(u"C:\\d\\a.tmp"));
  EXPECT_FALSE(Exists(u"C:\\d\\b.TMP"));
  EXPECT_TRUE(Exists(u"C:\\d\\keep.ini"));
  EXPECT_TRUE(Exists(u"C:\\d\\sub.tmp\\inner.txt"));
  EXPECT_FALSE(DeleteFilesInDir(u"C:\\d\\*.tmp"));  // nothing left to prepare
}

TEST_F(FileOps, CopyFileNormalLeavesAnArchiveFile) {
  Write(u"C:\\src\\f.ini", "data");
  SetFileAttributesW(u"C:\\src\\f.ini", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
  CreateDirectoryW(u"C:\\dst", nullptr);
  ASSERT_TRUE(CopyFileNormal(u"C:\\src\\f.ini", u"C:\\dst\\f.ini", TRUE));
  EXPECT_EQ(GetFileAttributesW(u"C:\\dst\\f.ini"), static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE));
  EXPECT_EQ(root_.ReadFile(u"C:\\dst\\f.ini"), "data");
  EXPECT_FALSE(CopyFileNormal(u"C:\\src\\f.ini", u"C:\\dst\\f.ini", TRUE));  // fail if it exists
  EXPECT_FALSE(CopyFileNormal(u"C:\\src\\none.ini", u"C:\\dst\\none.ini", FALSE));

  EXPECT_TRUE(ClearReadOnly(u"C:\\src\\f.ini"));
  EXPECT_EQ(GetFileAttributesW(u"C:\\src\\f.ini"), static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN));
  EXPECT_TRUE(ClearReadOnly(u"C:\\src\\none.ini"));
}

TEST_F(FileOps, CreateDirectoryOkAcceptsAnExistingFolder) {
  EXPECT_TRUE(CreateDirectoryOk(u"C:\\newdir"));
  EXPECT_TRUE(CreateDirectoryOk(u"C:\\newdir"));
  EXPECT_FALSE(CreateDirectoryOk(u"C:\\missing\\newdir"));
}

TEST_F(FileOps, CompareFileTimesByMode) {
  Write(u"C:\\a", "a");
  Write(u"C:\\b", "b");
  struct Case {
    DWORD first, second, mode;
    BOOL expected;
  } cases[] = {
      {0x01D00000, 0x01D00000, kTimesEqual, TRUE},     {0x01D00000, 0x01D00001, kTimesEqual, FALSE},
      {0x01D00000, 0x01D00001, kFirstNotLater, TRUE},  {0x01D00001, 0x01D00000, kFirstNotLater, FALSE},
      {0x01D00000, 0x01D00000, kFirstNotLater, TRUE},  {0x01D00000, 0x01D00000, 2, FALSE},
  };
  for (const auto& c : cases) {
    SetTime(u"C:\\a", c.first);
    SetTime(u"C:\\b", c.second);
    EXPECT_EQ(CompareFileTimes(u"C:\\a", u"C:\\b", c.mode), c.expected) << c.first << " " << c.second << " " << c.mode;
  }
  EXPECT_FALSE(CompareFileTimes(u"C:\\a", u"C:\\none", kTimesEqual));
}

// An open that meets a sharing violation a number of times before it goes through.
int g_busyOpens = 0;
int g_waits = 0;
HANDLE BusyOpen(const WCHAR* path) {
  if (g_busyOpens > 0) {
    --g_busyOpens;
    SetLastError(ERROR_SHARING_VIOLATION);
    return INVALID_HANDLE_VALUE;
  }
  return CreateFileW(path, 0, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
}
void CountingWait(DWORD ms) {
  EXPECT_EQ(ms, 100u);
  ++g_waits;
}

TEST_F(FileOps, CompareFileTimesRetriesWhileTheFileIsHeld) {
  Write(u"C:\\a", "a");
  Write(u"C:\\b", "b");
  SetTime(u"C:\\a", 5);
  SetTime(u"C:\\b", 5);
  SetFileRetryWait(&CountingWait);
  SetFileTimesOpen(&BusyOpen);
  g_waits = 0;
  g_busyOpens = 3;
  EXPECT_TRUE(CompareFileTimes(u"C:\\a", u"C:\\b", kTimesEqual));
  EXPECT_EQ(g_waits, 3);
  // It gives up after 1000 tries, about 100 seconds on the real clock.
  g_waits = 0;
  g_busyOpens = 5000;
  EXPECT_FALSE(CompareFileTimes(u"C:\\a", u"C:\\b", kTimesEqual));
  EXPECT_EQ(g_waits, 1000);
  SetFileTimesOpen(nullptr);
  SetFileRetryWait(nullptr);
}

TEST_F(FileOps, CopyFileIfDifferent) {
  Write(u"C:\\s\\f.dat", "new");
  Write(u"C:\\t\\f.dat", "old");
  // Refresh mode copies when the times differ in either direction.
  for (DWORD targetTime : {0x01D00001u, 0x01CFFFFFu}) {
    Write(u"C:\\t\\f.dat", "old");
    SetTime(u"C:\\s\\f.dat", 0x01D00000);
    SetTime(u"C:\\t\\f.dat", targetTime);
    EXPECT_TRUE(CopyFileIfDifferent(u"C:\\t\\f.dat", u"C:\\s\\f.dat", 2));
    EXPECT_EQ(root_.ReadFile(u"C:\\t\\f.dat"), "new");
  }
  // Equal times: nothing to do, answered with 1 (the file is in place), nothing copied.
  Write(u"C:\\t\\f.dat", "old");
  SetTime(u"C:\\t\\f.dat", 0x01D00000);
  EXPECT_TRUE(CopyFileIfDifferent(u"C:\\t\\f.dat", u"C:\\s\\f.dat", 2));
  EXPECT_EQ(root_.ReadFile(u"C:\\t\\f.dat"), "old");
  // A missing source is a failure in every mode, with or without a target.
  EXPECT_FALSE(CopyFileIfDifferent(u"C:\\t\\f.dat", u"C:\\s\\none.dat", 2));
  EXPECT_FALSE(CopyFileIfDifferent(u"C:\\t\\new.dat", u"C:\\s\\none.dat", 2));
  EXPECT_EQ(root_.ReadFile(u"C:\\t\\f.dat"), "old");

  // Copy-when-missing mode.
  EXPECT_TRUE(CopyFileIfDifferent(u"C:\\t\\f.dat", u"C:\\s\\f.dat", kCopyWhenMissing));
  EXPECT_EQ(root_.ReadFile(u"C:\\t\\f.dat"), "old");
  EXPECT_TRUE(CopyFileIfDifferent(u"C:\\t\\g.dat", u"C:\\s\\f.dat", kCopyWhenMissing));
  EXPECT_EQ(root_.ReadFile(u"C:\\t\\g.dat"), "new");
  EXPECT_FALSE(CopyFileIfDifferent(u"C:\\t\\h.dat", u"C:\\s\\none.dat", kCopyWhenMissing));

  // Paths: relative or empty ones answer 0, the same path (any case) 1.
  EXPECT_FALSE(CopyFileIfDifferent(u"t\\f.dat", u"C:\\s\\f.dat", 2));
  EXPECT_FALSE(CopyFileIfDifferent(u"", u"C:\\s\\f.dat", 2));
  EXPECT_TRUE(CopyFileIfDifferent(u"C:\\S\\F.DAT", u"C:\\s\\f.dat", 2));
}

TEST_F(FileOps, SyncFileBetweenDirsCopiesOnlyANewerSource) {
  Write(u"C:\\one\\x.ini", "source");
  Write(u"C:\\two\\x.ini", "target");
  SetTime(u"C:\\one\\x.ini", 0x01D00000);
  SetTime(u"C:\\two\\x.ini", 0x01D00001);  // target newer: up to date
  EXPECT_FALSE(SyncFileBetweenDirs(u"x.ini", u"C:\\one\\", u"C:\\two\\", 2));
  EXPECT_EQ(root_.ReadFile(u"C:\\two\\x.ini"), "target");
  SetTime(u"C:\\two\\x.ini", 0x01CFFFFF);  // target older: refreshed
  EXPECT_TRUE(SyncFileBetweenDirs(u"x.ini", u"C:\\one\\", u"C:\\two\\", 2));
  EXPECT_EQ(root_.ReadFile(u"C:\\two\\x.ini"), "source");
}

TEST_F(FileOps, SyncWithDriverFileBringsTheSystemCopyInLine) {
  Write(u"C:\\drv\\Brevick.dll", "driver copy");
  DRIVER_INFO_3W info{};
  WCHAR driverPath[] = u"C:\\drv\\Panelis.dll";
  info.pDriverPath = driverPath;
  WorkArea work{};
  work.driverInfo = &info;
  DriverContext context{};
  context.work = &work;

  EXPECT_TRUE(SyncWithDriverFile(u"Brevick.dll", nullptr, kCopyWhenMissing, &context));
  EXPECT_EQ(root_.ReadFile(u"C:\\Windows\\system32\\Brevick.dll"), "driver copy");

  // A relative target of SyncFile goes the same way; an absolute one is refreshed in place.
  Write(u"C:\\drv\\Dorvale2.ini", "v2");
  Write(u"C:\\elsewhere\\Dorvale2.ini", "v1");
  SetTime(u"C:\\drv\\Dorvale2.ini", 0x01D00002);
  SetTime(u"C:\\elsewhere\\Dorvale2.ini", 0x01D00001);
  EXPECT_TRUE(SyncFile(u"C:\\elsewhere\\Dorvale2.ini", nullptr, 2, &context));
  EXPECT_EQ(root_.ReadFile(u"C:\\elsewhere\\Dorvale2.ini"), "v2");
  EXPECT_TRUE(SyncFile(u"Dorvale2.ini", nullptr, kCopyWhenMissing, &context));
  EXPECT_EQ(root_.ReadFile(u"C:\\Windows\\system32\\Dorvale2.ini"), "v2");
}

TEST_F(FileOps, ReadFileBytes) {
  Write(u"C:\\r.bin", "abcdef");
  HANDLE h = CreateFileW(u"C:\\r.bin", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  char buffer[16] = {};
  EXPECT_EQ(ReadFileBytes(h, buffer, 4), 4);
  EXPECT_EQ(std::string(buffer, 4), "abcd");
  EXPECT_EQ(ReadFileBytes(h, buffer, 10), 2);  // a short read answers what was read
  CloseHandle(h);
  EXPECT_EQ(ReadFileBytes(INVALID_HANDLE_VALUE, buffer, 4), -1);
}

TEST_F(FileOps, MakeUserKsrPathUsesTheSettingsDirectory) {
  WorkArea work{};
  DriverContext context{};
  context.work = &work;
  WCHAR out[MAX_PATH];
  ASSERT_TRUE(MakeUserKsrPath(out, u"C:\\drv\\quality1.ksq", MAX_PATH, &context));
  EXPECT_EQ(std::u16string(out), u"C:\\_kova\\quality1.ksr");
  EXPECT_FALSE(MakeUserKsrPath(out, u"quality1.ksq", 10, &context));  // does not fit
  EXPECT_EQ(out[0], 0);
  EXPECT_FALSE(MakeUserKsrPath(out, u"", MAX_PATH, &context));
}

}  // namespace
