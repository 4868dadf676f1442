// Opening files: creation dispositions, path errors, directories, read-only files, the
// sharing-mode matrix within a process and between processes, and bad handles.
#include <sys/wait.h>
#include <unistd.h>

#include "files_fixture.h"
#include "plat/codepage.h"
#include "plat/system.h"

namespace files_open_test {

namespace {

using filetest::FilesTest;

struct DispositionCase {
  bool present;
  DWORD disposition;
  bool ok;
  DWORD error;          // last error after the call (checked only when not 0xDEAD)
  const char* content;  // content afterwards; nullptr: the file does not exist
};

TEST_F(FilesTest, CreationDispositions) {
  const DispositionCase cases[] = {
      {false, CREATE_NEW, true, 0xDEAD, ""},
      {true, CREATE_NEW, false, ERROR_FILE_EXISTS, "old"},
      {false, CREATE_ALWAYS, true, ERROR_SUCCESS, ""},
      {true, CREATE_ALWAYS, true, ERROR_ALREADY_EXISTS, ""},
      {false, OPEN_ALWAYS, true, ERROR_SUCCESS, ""},
      {true, OPEN_ALWAYS, true, ERROR_ALREADY_EXISTS, "old"},
      {false, OPEN_EXISTING, false, ERROR_FILE_NOT_FOUND, nullptr},
      {true, OPEN_EXISTING, true, 0xDEAD, "old"},
      {false, TRUNCATE_EXISTING, false, ERROR_FILE_NOT_FOUND, nullptr},
      {true, TRUNCATE_EXISTING, true, 0xDEAD, ""},
      {true, 0, false, ERROR_INVALID_PARAMETER, "old"},
      {true, 6, false, ERROR_INVALID_PARAMETER, "old"},
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "case " << n);
    std::u16string path = u"C:\\disp" + std::u16string(1, static_cast<char16_t>(u'a' + n++)) + u".txt";
    if (c.present) Write(path, "old");
    DWORD err = 0;
    HANDLE h = Open(path, GENERIC_READ | GENERIC_WRITE, 0, c.disposition, FILE_ATTRIBUTE_NORMAL, &err);
    EXPECT_EQ(h != INVALID_HANDLE_VALUE, c.ok);
    if (c.error != 0xDEAD) {
      EXPECT_EQ(err, c.error);
    }
    if (h != INVALID_HANDLE_VALUE) Close(h);
    DWORD attrs = GetFileAttributesW(path.c_str());
    if (c.content) {
      ASSERT_NE(attrs, INVALID_FILE_ATTRIBUTES);
      EXPECT_EQ(Read(path), c.content);
    } else {
      EXPECT_EQ(attrs, INVALID_FILE_ATTRIBUTES);
    }
  }
}

struct PathErrorCase {
  const char16_t* path;
  DWORD access;
  DWORD share;
  DWORD disposition;
  DWORD flags;
  DWORD error;
};

TEST_F(FilesTest, OpenErrors) {
  Write(u"C:\\file.txt", "x");
  ASSERT_TRUE(CreateDirectoryW(u"C:\\dir", nullptr));
  std::u16string longPath = u"C:\\" + std::u16string(257, u'l');  // 260 characters
  const PathErrorCase cases[] = {
      {u"C:\\missing.txt", GENERIC_READ, 0, OPEN_EXISTING, 0, ERROR_FILE_NOT_FOUND},
      {u"C:\\nodir\\f.txt", GENERIC_READ, 0, OPEN_EXISTING, 0, ERROR_PATH_NOT_FOUND},
      {u"C:\\nodir\\f.txt", GENERIC_WRITE, 0, CREATE_NEW, 0, ERROR_PATH_NOT_FOUND},
      {u"C:\\nodir\\f.txt", GENERIC_WRITE, 0, OPEN_ALWAYS, 0, ERROR_PATH_NOT_FOUND},
      {u"C:\\file.txt\\x", GENERIC_READ, 0, OPEN_EXISTING, 0, ERROR_PATH_NOT_FOUND},
      {u"C:\\dir", GENERIC_READ, 0, OPEN_EXISTING, 0, ERROR_ACCESS_DENIED},
      {u"C:\\dir", GENERIC_READ, 0, CREATE_NEW, FILE_FLAG_BACKUP_SEMANTICS, ERROR_FILE_EXISTS},
      {u"C:\\dir", GENERIC_WRITE, 0, CREATE_ALWAYS, FILE_FLAG_BACKUP_SEMANTICS, ERROR_ACCESS_DENIED},
      {u"C:\\dir", GENERIC_READ, 0, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, ERROR_SUCCESS},
      {u"C:\\file.txt", GENERIC_READ, 0, TRUNCATE_EXISTING, 0, ERROR_INVALID_PARAMETER},
      {u"C:\\file.txt", GENERIC_READ, 0x8, OPEN_EXISTING, 0, ERROR_INVALID_PARAMETER},
      {u"C:\\a|b.txt", GENERIC_WRITE, 0, CREATE_ALWAYS, 0, ERROR_INVALID_NAME},
      {u"Q:\\x.txt", GENERIC_WRITE, 0, CREATE_ALWAYS, 0, ERROR_PATH_NOT_FOUND},
      {longPath.c_str(), GENERIC_WRITE, 0, CREATE_ALWAYS, 0, ERROR_FILENAME_EXCED_RANGE},
      {u"c:\\FILE.TXT", GENERIC_READ, 0, OPEN_EXISTING, 0, ERROR_SUCCESS},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(plat::WideToAnsi(c.path, 1252));
    EXPECT_EQ(OpenError(c.path, c.access, c.share, c.disposition, c.flags), c.error);
  }
  SetLastError(0);
  EXPECT_EQ(CreateFileW(nullptr, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  // A 259-character path still fits.
  std::u16string folder = u"C:\\" + std::u16string(200, u'd');
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  std::u16string fits = folder + u"\\" + std::u16string(55, u'f');
  EXPECT_EQ(OpenError(fits, GENERIC_WRITE, 0, CREATE_NEW), ERROR_SUCCESS);
}

TEST_F(FilesTest, NewFilesGetArchiveAndRequestedAttributes) {
  HANDLE h = Open(u"C:\\plain.txt", GENERIC_WRITE, 0, CREATE_NEW, FILE_ATTRIBUTE_NORMAL);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetFileAttributesW(u"C:\\plain.txt"), FILE_ATTRIBUTE_ARCHIVE);
  h = Open(u"C:\\hidden.txt", GENERIC_WRITE, 0, CREATE_NEW, FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_WRITE_THROUGH);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetFileAttributesW(u"C:\\hidden.txt"), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);
  // Overwriting a hidden file needs FILE_ATTRIBUTE_HIDDEN in the request.
  EXPECT_EQ(OpenError(u"C:\\hidden.txt", GENERIC_WRITE, FILE_SHARE_WRITE, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL),
            ERROR_ACCESS_DENIED);
}

struct ReadOnlyCase {
  DWORD access;
  DWORD disposition;
  DWORD flags;
  DWORD error;
};

TEST_F(FilesTest, ReadOnlyFilesRefuseWriting) {
  Write(u"C:\\ro.txt", "keep");
  ASSERT_TRUE(SetFileAttributesW(u"C:\\ro.txt", FILE_ATTRIBUTE_READONLY));
  const ReadOnlyCase cases[] = {
      {GENERIC_READ, OPEN_EXISTING, 0, ERROR_SUCCESS},
      {0, OPEN_EXISTING, 0, ERROR_SUCCESS},
      {FILE_WRITE_ATTRIBUTES, OPEN_EXISTING, 0, ERROR_SUCCESS},
      {GENERIC_WRITE, OPEN_EXISTING, 0, ERROR_ACCESS_DENIED},
      {FILE_APPEND_DATA, OPEN_EXISTING, 0, ERROR_ACCESS_DENIED},
      {GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS, 0, ERROR_ACCESS_DENIED},
      {GENERIC_WRITE, TRUNCATE_EXISTING, 0, ERROR_ACCESS_DENIED},
      {GENERIC_READ, CREATE_ALWAYS, FILE_ATTRIBUTE_READONLY, ERROR_ACCESS_DENIED},
      {GENERIC_READ, OPEN_EXISTING, FILE_FLAG_DELETE_ON_CLOSE, ERROR_ACCESS_DENIED},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.access << " " << c.disposition);
    EXPECT_EQ(OpenError(u"C:\\ro.txt", c.access, FILE_SHARE_READ | FILE_SHARE_WRITE, c.disposition, c.flags), c.error);
  }
  EXPECT_EQ(Read(u"C:\\ro.txt"), "keep");
  // MAXIMUM_ALLOWED opens, but without the right to write.
  Write(u"C:\\ro2.txt", "keep");
  ASSERT_TRUE(SetFileAttributesW(u"C:\\ro2.txt", FILE_ATTRIBUTE_READONLY));
  HANDLE h = Open(u"C:\\ro2.txt", MAXIMUM_ALLOWED, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  DWORD n = 0;
  EXPECT_FALSE(WriteFile(h, "x", 1, &n, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  char buf[8] = {};
  EXPECT_TRUE(ReadFile(h, buf, sizeof buf, &n, nullptr));
  EXPECT_EQ(n, 4u);
}

struct ShareCase {
  DWORD access1, share1, access2, share2;
  bool conflict;
};

constexpr DWORD R = GENERIC_READ, W = GENERIC_WRITE, D = DELETE;
constexpr DWORD SR = FILE_SHARE_READ, SW = FILE_SHARE_WRITE, SD = FILE_SHARE_DELETE;

TEST_F(FilesTest, SharingMatrix) {
  const ShareCase cases[] = {
      {R, SR, R, SR, false},
      {R, SR, W, SR | SW, true},        // the first does not share writing
      {W, SR, R, SR, true},             // the second refuses the first's writing
      {W, SR, R, SR | SW, false},
      {R, 0, R, SR | SW | SD, true},
      {R, 0, FILE_READ_ATTRIBUTES, 0, false},  // attribute access takes part in no check
      {R, 0, 0, 0, false},
      {FILE_READ_ATTRIBUTES, 0, W, 0, false},
      {R, SR | SW, D, SR | SW | SD, true},
      {R, SR | SW | SD, D, SR | SW | SD, false},
      {D, SR | SW | SD, R, SR | SW, true},  // the second refuses the first's delete access
      {R | W, SR | SW, R | W, SR | SW, false},
      {W, SW, W, SW, false},
      {W, SW, R, SR | SW, true},
      {R | W, SR | SW, R, SR, true},
      {FILE_APPEND_DATA, SR, R, SR, true},  // appending counts as writing
      {FILE_EXECUTE, SW, R, SR | SW, true},  // executing counts as reading
      {FILE_EXECUTE, SR, R, SR, false},
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "case " << n++);
    Write(u"C:\\shared.txt", "data");
    HANDLE first = Open(u"C:\\shared.txt", c.access1, c.share1, OPEN_EXISTING);
    ASSERT_NE(first, INVALID_HANDLE_VALUE);
    DWORD err = 0;
    HANDLE second = Open(u"C:\\shared.txt", c.access2, c.share2, OPEN_EXISTING, 0, &err);
    EXPECT_EQ(second == INVALID_HANDLE_VALUE ? err : ERROR_SUCCESS, c.conflict ? ERROR_SHARING_VIOLATION : ERROR_SUCCESS);
    if (second != INVALID_HANDLE_VALUE) Close(second);
    Close(first);
    // With the first handle closed the second open always succeeds.
    second = Open(u"C:\\shared.txt", c.access2, c.share2, OPEN_EXISTING);
    EXPECT_NE(second, INVALID_HANDLE_VALUE);
    if (second != INVALID_HANDLE_VALUE) Close(second);
  }
}

TEST_F(FilesTest, SharingViolationLeavesTheFileUntouched) {
  Write(u"C:\\busy.txt", "contents");
  HANDLE reader = Open(u"C:\\busy.txt", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  ASSERT_NE(reader, INVALID_HANDLE_VALUE);
  EXPECT_EQ(OpenError(u"C:\\busy.txt", GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS), ERROR_SHARING_VIOLATION);
  EXPECT_EQ(Read(u"C:\\busy.txt"), "contents");
  // The same file under another spelling is the same file.
  EXPECT_EQ(OpenError(u"c:\\.\\BUSY.TXT", GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING), ERROR_SHARING_VIOLATION);
}

TEST_F(FilesTest, SharingHoldsBetweenProcesses) {
  Write(u"C:\\locked.txt", "x");
  int ready[2], release[2];
  ASSERT_EQ(pipe(ready), 0);
  ASSERT_EQ(pipe(release), 0);
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    HANDLE h = CreateFileW(u"C:\\locked.txt", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    char ok = h != INVALID_HANDLE_VALUE ? 'y' : 'n';
    (void)!write(ready[1], &ok, 1);
    char c;
    (void)!read(release[0], &c, 1);
    _exit(0);
  }
  char ok = 0;
  ASSERT_EQ(read(ready[0], &ok, 1), 1);
  ASSERT_EQ(ok, 'y');
  EXPECT_EQ(OpenError(u"C:\\locked.txt", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING),
            ERROR_SHARING_VIOLATION);
  EXPECT_FALSE(DeleteFileW(u"C:\\locked.txt"));
  EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
  // Attribute access still works.
  EXPECT_EQ(OpenError(u"C:\\locked.txt", 0, FILE_SHARE_READ, OPEN_EXISTING), ERROR_SUCCESS);
  // The child ends without closing its handle: its locks go with the process.
  (void)!write(release[1], "g", 1);
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_EQ(OpenError(u"C:\\locked.txt", GENERIC_READ, 0, OPEN_EXISTING), ERROR_SUCCESS);
  for (int fd : {ready[0], ready[1], release[0], release[1]}) close(fd);
}

TEST_F(FilesTest, DeleteOnCloseRemovesTheFile) {
  HANDLE h = Open(u"C:\\scratch.tmp", GENERIC_WRITE, FILE_SHARE_DELETE, CREATE_NEW, FILE_FLAG_DELETE_ON_CLOSE);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_NE(GetFileAttributesW(u"C:\\scratch.tmp"), INVALID_FILE_ATTRIBUTES);
  Close(h);
  EXPECT_EQ(GetFileAttributesW(u"C:\\scratch.tmp"), INVALID_FILE_ATTRIBUTES);
}

TEST_F(FilesTest, AnsiNamesUseTheCodePage) {
  plat::Machine().ansiCodePage = 932;
  // "\x83\x5C" is one double-byte character whose trail byte looks like a backslash.
  const char name[] = "C:\\\x83\x5C.txt";
  HANDLE h = CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(CloseHandle(h));
  std::u16string wide = plat::AnsiToWide(name, 932);
  EXPECT_EQ(wide.size(), 8u);
  EXPECT_NE(GetFileAttributesW(wide.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(GetFileAttributesA(name), INVALID_FILE_ATTRIBUTES);
  char full[MAX_PATH];
  char* part = nullptr;
  DWORD n = GetFullPathNameA(name, MAX_PATH, full, &part);
  EXPECT_EQ(n, sizeof(name) - 1);
  ASSERT_NE(part, nullptr);
  EXPECT_STREQ(part, "\x83\x5C.txt");
}

TEST_F(FilesTest, BadHandlesAreRefused) {
  WIN32_FIND_DATAW fd;
  Write(u"C:\\a.txt", "a");
  HANDLE find = FindFirstFileW(u"C:\\*.txt", &fd);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  HANDLE bad[] = {nullptr, INVALID_HANDLE_VALUE, reinterpret_cast<HANDLE>(0x7654321), find};
  for (HANDLE h : bad) {
    char buf[4];
    DWORD n = 7;
    SetLastError(0);
    EXPECT_FALSE(ReadFile(h, buf, 4, &n, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_EQ(n, 0u);
    SetLastError(0);
    EXPECT_FALSE(WriteFile(h, buf, 4, &n, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    SetLastError(0);
    EXPECT_EQ(GetFileSize(h, nullptr), INVALID_FILE_SIZE);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    SetLastError(0);
    EXPECT_EQ(SetFilePointer(h, 0, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    BY_HANDLE_FILE_INFORMATION info;
    EXPECT_FALSE(GetFileInformationByHandle(h, &info));
    EXPECT_FALSE(SetEndOfFile(h));
    FILETIME t{};
    EXPECT_FALSE(GetFileTime(h, nullptr, nullptr, &t));
    EXPECT_FALSE(SetFileTime(h, nullptr, nullptr, &t));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_EQ(CreateFileMappingW(h, nullptr, PAGE_READONLY, 0, 0, nullptr), nullptr);
    // INVALID_HANDLE_VALUE asks for a mapping backed by memory, which needs a size.
    EXPECT_EQ(GetLastError(), h == INVALID_HANDLE_VALUE ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
    EXPECT_EQ(MapViewOfFile(h, FILE_MAP_READ, 0, 0, 0), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  }
  HANDLE file = Open(u"C:\\a.txt", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  EXPECT_FALSE(FindNextFileW(file, &fd));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_FALSE(FindClose(file));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_TRUE(FindClose(find));
  EXPECT_FALSE(FindClose(find));
  // Null buffers and counters.
  DWORD n = 0;
  EXPECT_FALSE(ReadFile(file, nullptr, 4, &n, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  char buf[4];
  EXPECT_FALSE(ReadFile(file, buf, 4, nullptr, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(GetFileInformationByHandle(file, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

}  // namespace

}  // namespace files_open_test
