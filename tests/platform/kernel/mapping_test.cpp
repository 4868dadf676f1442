// File mapping: read-only views of a whole file, the empty file, access and size rules,
// views that outlive their handles, and truncation of a mapped file.
#include <cstring>
#include <string>

#include "files_fixture.h"

namespace {

using filetest::FilesTest;

std::string Pattern(std::size_t n) {
  std::string s(n, '\0');
  for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>('A' + i % 23);
  return s;
}

TEST_F(FilesTest, ReadOnlyViewOfAWholeFile) {
  const std::string bytes = Pattern(100000);
  Write(u"C:\\model.bin", bytes);
  HANDLE file = Open(u"C:\\model.bin", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  HANDLE mapping = CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
  ASSERT_NE(mapping, nullptr);
  const void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
  ASSERT_NE(view, nullptr);
  // The view outlives both handles; until it goes the file stays open as it was opened
  // (no write sharing) and cannot be deleted.
  Close(file);
  EXPECT_EQ(OpenError(u"C:\\model.bin", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING),
            ERROR_SHARING_VIOLATION);
  EXPECT_TRUE(CloseHandle(mapping));
  EXPECT_FALSE(DeleteFileW(u"C:\\model.bin"));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(std::memcmp(view, bytes.data(), bytes.size()), 0);
  EXPECT_TRUE(UnmapViewOfFile(view));
  EXPECT_EQ(OpenError(u"C:\\model.bin", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING),
            ERROR_SUCCESS);
  SetLastError(0);
  EXPECT_FALSE(UnmapViewOfFile(view));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_ADDRESS);
  EXPECT_FALSE(UnmapViewOfFile(nullptr));
}

TEST_F(FilesTest, ViewsAtAnOffset) {
  const std::string bytes = Pattern(100000);
  Write(u"C:\\model.bin", bytes);
  HANDLE file = Open(u"C:\\model.bin", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  HANDLE mapping = CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
  ASSERT_NE(mapping, nullptr);
  const char* view = static_cast<const char*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 65536, 0));
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(std::string(view, 100000 - 65536), bytes.substr(65536));
  EXPECT_TRUE(UnmapViewOfFile(view));
  struct Case {
    DWORD access;
    DWORD offset;
    SIZE_T bytes;
    DWORD error;
  } cases[] = {
      {FILE_MAP_READ, 4096, 0, ERROR_MAPPED_ALIGNMENT},
      {FILE_MAP_READ, 0, 100001, ERROR_ACCESS_DENIED},
      {FILE_MAP_READ, 131072, 0, ERROR_ACCESS_DENIED},
      {FILE_MAP_WRITE, 0, 0, ERROR_ACCESS_DENIED},
      {FILE_MAP_ALL_ACCESS, 0, 0, ERROR_ACCESS_DENIED},
      {0, 0, 0, ERROR_INVALID_PARAMETER},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.access << " " << c.offset << " " << c.bytes);
    SetLastError(0);
    EXPECT_EQ(MapViewOfFile(mapping, c.access, 0, c.offset, c.bytes), nullptr);
    EXPECT_EQ(GetLastError(), c.error);
  }
  // A copy-on-write view may be written without touching the file.
  char* copy = static_cast<char*>(MapViewOfFile(mapping, FILE_MAP_COPY, 0, 0, 10));
  ASSERT_NE(copy, nullptr);
  copy[0] = '!';
  EXPECT_TRUE(UnmapViewOfFile(copy));
  EXPECT_EQ(Read(u"C:\\model.bin")[0], 'A');
  EXPECT_TRUE(CloseHandle(mapping));
}

TEST_F(FilesTest, MappingErrors) {
  Write(u"C:\\empty.bin", "");
  Write(u"C:\\small.bin", "abc");
  HANDLE empty = Open(u"C:\\empty.bin", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  HANDLE reader = Open(u"C:\\small.bin", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
  HANDLE writer = Open(u"C:\\small.bin", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
  HANDLE dir = Open(u"C:\\Windows", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
  struct Case {
    HANDLE file;
    DWORD protect;
    DWORD sizeLow;
    const char16_t* name;
    DWORD error;
  } cases[] = {
      {empty, PAGE_READONLY, 0, nullptr, ERROR_FILE_INVALID},  // an empty file cannot be mapped
      {writer, PAGE_READONLY, 0, nullptr, ERROR_ACCESS_DENIED},
      {reader, PAGE_READWRITE, 0, nullptr, ERROR_ACCESS_DENIED},
      {reader, PAGE_READONLY, 4, nullptr, ERROR_NOT_ENOUGH_MEMORY},  // larger than a read-only file
      {reader, PAGE_NOACCESS, 0, nullptr, ERROR_INVALID_PARAMETER},
      {reader, PAGE_READONLY | SEC_IMAGE, 0, nullptr, ERROR_INVALID_PARAMETER},
      {reader, PAGE_READONLY, 0, u"Local\\Shared", ERROR_INVALID_PARAMETER},
      {dir, PAGE_READONLY, 0, nullptr, ERROR_ACCESS_DENIED},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.protect << " " << c.sizeLow);
    SetLastError(0);
    EXPECT_EQ(CreateFileMappingW(c.file, nullptr, c.protect, 0, c.sizeLow, c.name), nullptr);
    EXPECT_EQ(GetLastError(), c.error);
  }
  EXPECT_EQ(Read(u"C:\\small.bin"), "abc");
}

TEST_F(FilesTest, WritableMappingsAndTruncation) {
  HANDLE file = Open(u"C:\\rw.bin", GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  // A writable mapping larger than the file extends it.
  HANDLE mapping = CreateFileMappingW(file, nullptr, PAGE_READWRITE, 0, 8, nullptr);
  ASSERT_NE(mapping, nullptr);
  EXPECT_EQ(GetFileSize(file, nullptr), 8u);
  char* view = static_cast<char*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0));
  ASSERT_NE(view, nullptr);
  std::memcpy(view, "mapped!!", 8);
  // A mapped file cannot be cut shorter.
  SetFilePointer(file, 2, nullptr, FILE_BEGIN);
  EXPECT_FALSE(SetEndOfFile(file));
  EXPECT_EQ(GetLastError(), ERROR_USER_MAPPED_FILE);
  EXPECT_EQ(OpenError(u"C:\\rw.bin", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, TRUNCATE_EXISTING),
            ERROR_SHARING_VIOLATION);
  EXPECT_TRUE(UnmapViewOfFile(view));
  EXPECT_TRUE(CloseHandle(mapping));
  EXPECT_EQ(Read(u"C:\\rw.bin"), "mapped!!");
  EXPECT_TRUE(SetEndOfFile(file));
  EXPECT_EQ(Read(u"C:\\rw.bin"), "ma");
  // Memory-backed sections.
  HANDLE mem = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, nullptr);
  ASSERT_NE(mem, nullptr);
  char* p = static_cast<char*>(MapViewOfFile(mem, FILE_MAP_ALL_ACCESS, 0, 0, 0));
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p[4095], 0);
  p[0] = 1;
  EXPECT_TRUE(UnmapViewOfFile(p));
  EXPECT_TRUE(CloseHandle(mem));
}

// A read-only view is kept for reuse after its unmap: the next view of the same bytes
// must still show the file as it is now, and the kept view must never hold the file
// against a truncation or a delete.
TEST_F(FilesTest, ViewsAfterAnUnmapShowTheFileAsItIs) {
  auto viewOnce = [&](std::string& seen) {
    HANDLE file = Open(u"C:\\cache.bin", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    if (file == INVALID_HANDLE_VALUE) return false;
    const DWORD size = GetFileSize(file, nullptr);
    HANDLE mapping = CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    Close(file);
    if (!mapping) return false;
    const char* view = static_cast<const char*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0));
    CloseHandle(mapping);
    if (!view) return false;
    seen.assign(view, size);
    return UnmapViewOfFile(view) != 0;
  };
  std::string seen;
  Write(u"C:\\cache.bin", "first version");
  ASSERT_TRUE(viewOnce(seen));
  EXPECT_EQ(seen, "first version");
  // Rewritten in place with the same length: the next view shows the new bytes.
  HANDLE file = Open(u"C:\\cache.bin", GENERIC_WRITE, 0, OPEN_EXISTING);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  ASSERT_TRUE(WriteFile(file, "other version", 13, &written, nullptr));
  Close(file);
  ASSERT_TRUE(viewOnce(seen));
  EXPECT_EQ(seen, "other version");
  // Cut shorter and deleted after the unmap, as if it had never been mapped.
  file = Open(u"C:\\cache.bin", GENERIC_WRITE, 0, TRUNCATE_EXISTING);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  Close(file);
  EXPECT_EQ(Read(u"C:\\cache.bin"), "");
  Write(u"C:\\cache.bin", "third");
  ASSERT_TRUE(viewOnce(seen));
  EXPECT_EQ(seen, "third");
  EXPECT_TRUE(DeleteFileW(u"C:\\cache.bin"));
  // A new file of the same name and length is a new file.
  Write(u"C:\\cache.bin", "fresh");
  ASSERT_TRUE(viewOnce(seen));
  EXPECT_EQ(seen, "fresh");
}

}  // namespace
