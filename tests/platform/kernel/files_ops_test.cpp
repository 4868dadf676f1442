// Operations by name: attributes, copy, move, delete, directories.
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "files_fixture.h"

namespace {

using filetest::FilesTest;
using filetest::Ft;
using filetest::Value;

struct AttributeCase {
  DWORD set;
  DWORD fileReads;  // what GetFileAttributesW answers for a file afterwards
  DWORD dirReads;   // and for a directory
};

TEST_F(FilesTest, AttributesRoundTrip) {
  Write(u"C:\\f.txt", "x");
  ASSERT_TRUE(CreateDirectoryW(u"C:\\d", nullptr));
  EXPECT_EQ(GetFileAttributesW(u"C:\\f.txt"), FILE_ATTRIBUTE_ARCHIVE);  // a new file
  EXPECT_EQ(GetFileAttributesW(u"C:\\d"), FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(GetFileAttributesW(u"C:\\"), FILE_ATTRIBUTE_DIRECTORY);
  const DWORD RO = FILE_ATTRIBUTE_READONLY, H = FILE_ATTRIBUTE_HIDDEN, S = FILE_ATTRIBUTE_SYSTEM,
              A = FILE_ATTRIBUTE_ARCHIVE, N = FILE_ATTRIBUTE_NORMAL, DIR = FILE_ATTRIBUTE_DIRECTORY;
  const AttributeCase cases[] = {
      {RO, RO, RO | DIR},
      {H | S, H | S, H | S | DIR},
      {RO | H | S | A, RO | H | S | A, RO | H | S | A | DIR},
      {N, N, DIR},                   // NORMAL alone clears every attribute
      {A | N, A, A | DIR},           // NORMAL with others is ignored
      {0, N, DIR},                   // no bit: as NORMAL
      {DIR | H, H, H | DIR},         // DIRECTORY cannot be set or cleared
      {FILE_ATTRIBUTE_COMPRESSED | RO, RO, RO | DIR},
      {A, A, A | DIR},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.set);
    ASSERT_TRUE(SetFileAttributesW(u"C:\\F.TXT", c.set));
    EXPECT_EQ(GetFileAttributesW(u"c:\\f.txt"), c.fileReads);
    ASSERT_TRUE(SetFileAttributesW(u"C:\\d", c.set));
    EXPECT_EQ(GetFileAttributesW(u"C:\\D\\"), c.dirReads);
  }
  WIN32_FILE_ATTRIBUTE_DATA data{};
  ASSERT_TRUE(SetFileAttributesW(u"C:\\f.txt", H));
  ASSERT_TRUE(GetFileAttributesExW(u"C:\\f.txt", GetFileExInfoStandard, &data));
  EXPECT_EQ(data.dwFileAttributes, H);
  EXPECT_EQ(data.nFileSizeLow, 1u);
  EXPECT_FALSE(GetFileAttributesExW(u"C:\\f.txt", GetFileExMaxInfoLevel, &data));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST_F(FilesTest, AttributeErrors) {
  struct Case {
    const char16_t* path;
    DWORD error;
  } cases[] = {
      {u"C:\\none.txt", ERROR_FILE_NOT_FOUND},
      {u"C:\\nodir\\none.txt", ERROR_PATH_NOT_FOUND},
      {u"C:\\*.txt", ERROR_INVALID_NAME},
      {u"", ERROR_PATH_NOT_FOUND},
      {nullptr, ERROR_INVALID_PARAMETER},
  };
  for (const auto& c : cases) {
    SetLastError(0);
    EXPECT_EQ(GetFileAttributesW(c.path), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), c.error);
    SetLastError(0);
    EXPECT_FALSE(SetFileAttributesW(c.path, FILE_ATTRIBUTE_HIDDEN));
    EXPECT_EQ(GetLastError(), c.error);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    SetLastError(0);
    EXPECT_FALSE(GetFileAttributesExW(c.path, GetFileExInfoStandard, &data));
    EXPECT_EQ(GetLastError(), c.error);
  }
}

// The attribute data of a file is the same whichever way its name is written, and a link
// answers for its target (a link whose target is gone is a missing file).
TEST_F(FilesTest, AttributeDataByAnyNameOfTheFile) {
  Write(u"C:\\Data\\Model.KPD", "12345");
  ASSERT_TRUE(SetFileAttributesW(u"C:\\Data\\Model.KPD", FILE_ATTRIBUTE_READONLY));
  const std::string host = root_.HostPath(u"C:\\Data\\Model.KPD");
  ASSERT_EQ(::symlink(host.c_str(), (host + ".link").c_str()), 0);
  ASSERT_EQ(::symlink((host + ".gone").c_str(), (host + ".dangling").c_str()), 0);
  WIN32_FILE_ATTRIBUTE_DATA exact{};
  ASSERT_TRUE(GetFileAttributesExW(u"C:\\Data\\Model.KPD", GetFileExInfoStandard, &exact));
  EXPECT_EQ(exact.dwFileAttributes, static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(exact.nFileSizeLow, 5u);
  EXPECT_EQ(exact.nFileSizeHigh, 0u);
  for (const char16_t* name : {u"c:\\data\\model.kpd", u"C:/DATA/MODEL.kpd", u"C:\\Data\\.\\Model.KPD"}) {
    SCOPED_TRACE(std::string(name, name + std::char_traits<char16_t>::length(name)));
    WIN32_FILE_ATTRIBUTE_DATA other{};
    ASSERT_TRUE(GetFileAttributesExW(name, GetFileExInfoStandard, &other));
    EXPECT_EQ(std::memcmp(&other, &exact, sizeof other), 0);
  }
  WIN32_FILE_ATTRIBUTE_DATA linked{};
  ASSERT_TRUE(GetFileAttributesExW(u"C:\\Data\\Model.KPD.link", GetFileExInfoStandard, &linked));
  EXPECT_EQ(linked.nFileSizeLow, 5u);
  EXPECT_EQ(std::memcmp(&linked.ftLastWriteTime, &exact.ftLastWriteTime, sizeof(FILETIME)), 0);
  SetLastError(0);
  EXPECT_FALSE(GetFileAttributesExW(u"C:\\Data\\Model.KPD.dangling", GetFileExInfoStandard, &linked));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(FilesTest, AttributesAreSharedThroughTheRoot) {
  // A file removed and created again outside the file services does not inherit the
  // attributes of the old one.
  Write(u"C:\\again.txt", "1");
  ASSERT_TRUE(SetFileAttributesW(u"C:\\again.txt", FILE_ATTRIBUTE_READONLY));
  std::string host = root_.HostPath(u"C:\\again.txt");
  std::string keep = host + ".keep";
  ASSERT_EQ(::rename(host.c_str(), keep.c_str()), 0);  // holds the inode so it is not reused
  Write(u"C:\\again.txt", "2");
  EXPECT_EQ(GetFileAttributesW(u"C:\\again.txt"), FILE_ATTRIBUTE_ARCHIVE);
  // A write marks a file for archiving again.
  ASSERT_TRUE(SetFileAttributesW(u"C:\\again.txt", FILE_ATTRIBUTE_NORMAL));
  HANDLE h = Open(u"C:\\again.txt", GENERIC_WRITE, 0, OPEN_EXISTING);
  DWORD n = 0;
  ASSERT_TRUE(WriteFile(h, "3", 1, &n, nullptr));
  EXPECT_EQ(GetFileAttributesW(u"C:\\again.txt"), FILE_ATTRIBUTE_ARCHIVE);
}

TEST_F(FilesTest, CopyKeepsTimeAndAttributes) {
  Write(u"C:\\src.txt", "payload");
  HANDLE h = Open(u"C:\\src.txt", GENERIC_WRITE, 0, OPEN_EXISTING);
  FILETIME when = Ft(125911584000000000ull + 1234567);  // 2000-01-01 plus a little
  ASSERT_TRUE(SetFileTime(h, nullptr, nullptr, &when));
  Close(h);
  ASSERT_TRUE(SetFileAttributesW(u"C:\\src.txt", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM));
  ASSERT_TRUE(CopyFileW(u"C:\\src.txt", u"C:\\dst.txt", TRUE));
  EXPECT_EQ(Read(u"C:\\dst.txt"), "payload");
  EXPECT_EQ(GetFileAttributesW(u"C:\\dst.txt"), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM);
  WIN32_FILE_ATTRIBUTE_DATA data{};
  ASSERT_TRUE(GetFileAttributesExW(u"C:\\dst.txt", GetFileExInfoStandard, &data));
  EXPECT_EQ(Value(data.ftLastWriteTime), Value(when));
  // The copy is read-only now: copying over it is refused, as is deleting it.
  ASSERT_TRUE(SetFileAttributesW(u"C:\\src.txt", FILE_ATTRIBUTE_NORMAL));
  EXPECT_FALSE(CopyFileW(u"C:\\src.txt", u"C:\\dst.txt", FALSE));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_FALSE(DeleteFileW(u"C:\\dst.txt"));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  ASSERT_TRUE(SetFileAttributesW(u"C:\\dst.txt", FILE_ATTRIBUTE_NORMAL));
  Write(u"C:\\src.txt", "new");
  ASSERT_TRUE(CopyFileW(u"C:\\src.txt", u"C:\\dst.txt", FALSE));
  EXPECT_EQ(Read(u"C:\\dst.txt"), "new");
  EXPECT_TRUE(CopyFileA("C:\\src.txt", "C:\\dst2.txt", TRUE));
}

TEST_F(FilesTest, CopyErrors) {
  Write(u"C:\\a.txt", "a");
  Write(u"C:\\b.txt", "b");
  ASSERT_TRUE(CreateDirectoryW(u"C:\\dir", nullptr));
  struct Case {
    const char16_t* from;
    const char16_t* to;
    BOOL failIfExists;
    DWORD error;
  } cases[] = {
      {u"C:\\a.txt", u"C:\\b.txt", TRUE, ERROR_FILE_EXISTS},
      {u"C:\\none.txt", u"C:\\c.txt", FALSE, ERROR_FILE_NOT_FOUND},
      {u"C:\\nodir\\a.txt", u"C:\\c.txt", FALSE, ERROR_PATH_NOT_FOUND},
      {u"C:\\a.txt", u"C:\\nodir\\c.txt", FALSE, ERROR_PATH_NOT_FOUND},
      {u"C:\\dir", u"C:\\c.txt", FALSE, ERROR_ACCESS_DENIED},
      {u"C:\\a.txt", u"C:\\dir", FALSE, ERROR_ACCESS_DENIED},
      {u"C:\\a.txt", u"C:\\A.TXT", FALSE, ERROR_SHARING_VIOLATION},  // onto itself
      {nullptr, u"C:\\c.txt", FALSE, ERROR_INVALID_PARAMETER},
  };
  for (const auto& c : cases) {
    SetLastError(0);
    EXPECT_FALSE(CopyFileW(c.from, c.to, c.failIfExists));
    EXPECT_EQ(GetLastError(), c.error);
  }
  EXPECT_EQ(Read(u"C:\\a.txt"), "a");
  EXPECT_EQ(Read(u"C:\\b.txt"), "b");
  EXPECT_EQ(GetFileAttributesW(u"C:\\c.txt"), INVALID_FILE_ATTRIBUTES);
  // A source opened without read sharing cannot be copied; a target in use cannot be replaced.
  HANDLE lock = Open(u"C:\\a.txt", GENERIC_READ, 0, OPEN_EXISTING);
  EXPECT_FALSE(CopyFileW(u"C:\\a.txt", u"C:\\c.txt", FALSE));
  EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
  Close(lock);
  lock = Open(u"C:\\b.txt", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  EXPECT_FALSE(CopyFileW(u"C:\\a.txt", u"C:\\b.txt", FALSE));
  EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
  EXPECT_EQ(Read(u"C:\\b.txt"), "b");
}

TEST_F(FilesTest, MoveFiles) {
  Write(u"C:\\m1.txt", "one");
  Write(u"C:\\m2.txt", "two");
  ASSERT_TRUE(CreateDirectoryW(u"C:\\sub", nullptr));
  ASSERT_TRUE(SetFileAttributesW(u"C:\\m1.txt", FILE_ATTRIBUTE_HIDDEN));
  EXPECT_FALSE(MoveFileW(u"C:\\m1.txt", u"C:\\m2.txt"));
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  ASSERT_TRUE(MoveFileExW(u"C:\\m1.txt", u"C:\\m2.txt", MOVEFILE_REPLACE_EXISTING));
  EXPECT_EQ(Read(u"C:\\m2.txt"), "one");
  EXPECT_EQ(GetFileAttributesW(u"C:\\m1.txt"), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetFileAttributesW(u"C:\\m2.txt"), FILE_ATTRIBUTE_HIDDEN);  // attributes move along
  ASSERT_TRUE(MoveFileW(u"C:\\m2.txt", u"C:\\sub\\m3.txt"));
  EXPECT_EQ(GetFileAttributesW(u"C:\\sub\\m3.txt"), FILE_ATTRIBUTE_HIDDEN);
  // A folder moves with what is inside and the attributes of its files.
  ASSERT_TRUE(MoveFileW(u"C:\\sub", u"C:\\moved"));
  EXPECT_EQ(GetFileAttributesW(u"C:\\moved\\m3.txt"), FILE_ATTRIBUTE_HIDDEN);
  // Changing only the case of a name renames the file.
  ASSERT_TRUE(MoveFileW(u"C:\\moved\\m3.txt", u"C:\\moved\\M3.TXT"));
  WIN32_FIND_DATAW fd;
  HANDLE f = FindFirstFileW(u"C:\\moved\\m3.txt", &fd);
  ASSERT_NE(f, INVALID_HANDLE_VALUE);
  EXPECT_EQ(std::u16string(fd.cFileName), u"M3.TXT");
  FindClose(f);
  // Errors.
  EXPECT_FALSE(MoveFileW(u"C:\\none.txt", u"C:\\x.txt"));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(MoveFileW(u"C:\\moved\\M3.TXT", u"C:\\nodir\\x.txt"));
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  HANDLE open = Open(u"C:\\moved\\M3.TXT", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  EXPECT_FALSE(MoveFileW(u"C:\\moved\\M3.TXT", u"C:\\x.txt"));
  EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
  Close(open);
  open = Open(u"C:\\moved\\M3.TXT", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, OPEN_EXISTING);
  EXPECT_TRUE(MoveFileW(u"C:\\moved\\M3.TXT", u"C:\\x.txt"));
  EXPECT_FALSE(MoveFileExW(u"C:\\x.txt", u"C:\\y.txt", MOVEFILE_DELAY_UNTIL_REBOOT));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST_F(FilesTest, DeleteFiles) {
  Write(u"C:\\del.txt", "x");
  ASSERT_TRUE(CreateDirectoryW(u"C:\\dir", nullptr));
  struct Case {
    const char16_t* path;
    DWORD error;
  } cases[] = {
      {u"C:\\none.txt", ERROR_FILE_NOT_FOUND},
      {u"C:\\nodir\\none.txt", ERROR_PATH_NOT_FOUND},
      {u"C:\\dir", ERROR_ACCESS_DENIED},
      {nullptr, ERROR_INVALID_PARAMETER},
  };
  for (const auto& c : cases) {
    SetLastError(0);
    EXPECT_FALSE(DeleteFileW(c.path));
    EXPECT_EQ(GetLastError(), c.error);
  }
  HANDLE h = Open(u"C:\\del.txt", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
  EXPECT_FALSE(DeleteFileW(u"C:\\del.txt"));
  EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
  Close(h);
  // Opened with FILE_SHARE_DELETE: the name goes at once, the handle keeps working.
  h = Open(u"C:\\del.txt", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, OPEN_EXISTING);
  ASSERT_TRUE(SetFileAttributesW(u"C:\\del.txt", FILE_ATTRIBUTE_READONLY));
  EXPECT_FALSE(DeleteFileW(u"C:\\del.txt"));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  ASSERT_TRUE(SetFileAttributesW(u"C:\\del.txt", FILE_ATTRIBUTE_NORMAL));
  EXPECT_TRUE(DeleteFileW(u"C:\\DEL.TXT"));
  EXPECT_EQ(GetFileAttributesW(u"C:\\del.txt"), INVALID_FILE_ATTRIBUTES);
  char c = 0;
  DWORD n = 0;
  EXPECT_TRUE(ReadFile(h, &c, 1, &n, nullptr));
  EXPECT_EQ(c, 'x');
  EXPECT_TRUE(DeleteFileA("C:\\dir\\..\\none.txt") == FALSE);
}

TEST_F(FilesTest, Directories) {
  EXPECT_TRUE(CreateDirectoryW(u"C:\\top", nullptr));
  SetLastError(0);
  EXPECT_FALSE(CreateDirectoryW(u"C:\\TOP", nullptr));
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  EXPECT_FALSE(CreateDirectoryW(u"C:\\none\\sub", nullptr));
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  Write(u"C:\\top\\file.txt", "x");
  EXPECT_FALSE(CreateDirectoryW(u"C:\\top\\file.txt", nullptr));
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  EXPECT_TRUE(CreateDirectoryA("C:\\top\\ansi", nullptr));

  struct Case {
    const char16_t* path;
    DWORD error;
  } cases[] = {
      {u"C:\\top", ERROR_DIR_NOT_EMPTY},
      {u"C:\\top\\file.txt", ERROR_DIRECTORY},
      {u"C:\\none", ERROR_FILE_NOT_FOUND},
      {u"C:\\none\\sub", ERROR_PATH_NOT_FOUND},
      {u"C:\\", ERROR_ACCESS_DENIED},
  };
  for (const auto& c : cases) {
    SetLastError(0);
    EXPECT_FALSE(RemoveDirectoryW(c.path));
    EXPECT_EQ(GetLastError(), c.error);
  }
  // Read-only, open without delete sharing, or the current directory: refused.
  ASSERT_TRUE(SetFileAttributesW(u"C:\\top\\ansi", FILE_ATTRIBUTE_READONLY));
  EXPECT_FALSE(RemoveDirectoryW(u"C:\\top\\ansi"));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  ASSERT_TRUE(SetFileAttributesW(u"C:\\top\\ansi", FILE_ATTRIBUTE_NORMAL));
  HANDLE h = Open(u"C:\\top\\ansi", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(RemoveDirectoryW(u"C:\\top\\ansi"));
  EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
  Close(h);
  ASSERT_TRUE(SetCurrentDirectoryW(u"C:\\top\\ansi"));
  EXPECT_FALSE(RemoveDirectoryW(u"C:\\top\\ansi"));
  EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
  ASSERT_TRUE(SetCurrentDirectoryW(u"C:\\"));
  EXPECT_TRUE(RemoveDirectoryW(u"C:\\top\\ANSI"));
  EXPECT_TRUE(DeleteFileW(u"C:\\top\\file.txt"));
  EXPECT_TRUE(RemoveDirectoryW(u"C:\\top"));
  EXPECT_EQ(GetFileAttributesW(u"C:\\top"), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
