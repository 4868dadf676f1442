// Reading and writing through handles: byte counts, access rights, the file pointer and
// its size protocol, the end of file, sizes, information records and file times.
#include <sys/stat.h>

#include <cstring>

#include "files_fixture.h"
#include "plat/system.h"

namespace {

using filetest::FilesTest;
using filetest::Ft;
using filetest::Value;

TEST_F(FilesTest, ReadAndWriteCountBytes) {
  HANDLE h = Open(u"C:\\data.bin", GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  DWORD n = 0;
  ASSERT_TRUE(WriteFile(h, "hello world", 11, &n, nullptr));
  EXPECT_EQ(n, 11u);
  EXPECT_EQ(SetFilePointer(h, 6, nullptr, FILE_BEGIN), 6u);
  char buf[32] = {};
  ASSERT_TRUE(ReadFile(h, buf, sizeof buf, &n, nullptr));
  EXPECT_EQ(n, 5u);
  EXPECT_STREQ(buf, "world");
  // At the end of the file a read succeeds with no bytes.
  ASSERT_TRUE(ReadFile(h, buf, sizeof buf, &n, nullptr));
  EXPECT_EQ(n, 0u);
  // An OVERLAPPED names the offset of a transfer on a synchronous handle.
  OVERLAPPED ov{};
  ov.u.s.Offset = 2;
  std::memset(buf, 0, sizeof buf);
  ASSERT_TRUE(ReadFile(h, buf, 3, &n, &ov));
  EXPECT_STREQ(buf, "llo");
  EXPECT_EQ(GetFileSize(h, nullptr), 11u);
}

TEST_F(FilesTest, TransfersNeedTheAccess) {
  Write(u"C:\\r.txt", "abc");
  HANDLE ro = Open(u"C:\\r.txt", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
  HANDLE wo = Open(u"C:\\r.txt", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
  HANDLE none = Open(u"C:\\r.txt", 0, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
  ASSERT_NE(ro, INVALID_HANDLE_VALUE);
  ASSERT_NE(wo, INVALID_HANDLE_VALUE);
  ASSERT_NE(none, INVALID_HANDLE_VALUE);
  char buf[4];
  DWORD n = 0;
  EXPECT_FALSE(WriteFile(ro, "x", 1, &n, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_FALSE(SetEndOfFile(ro));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_FALSE(ReadFile(wo, buf, 1, &n, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_FALSE(ReadFile(none, buf, 1, &n, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  FILETIME t = Ft(130000000000000000ull);
  EXPECT_FALSE(SetFileTime(ro, nullptr, nullptr, &t));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  // Every handle may read the information, even one opened without access.
  BY_HANDLE_FILE_INFORMATION info;
  EXPECT_TRUE(GetFileInformationByHandle(none, &info));
  EXPECT_EQ(info.nFileSizeLow, 3u);
  EXPECT_EQ(GetFileType(none), FILE_TYPE_DISK);
}

TEST_F(FilesTest, AppendOnlyHandlesWriteAtTheEnd) {
  Write(u"C:\\log.txt", "one;");
  HANDLE h = Open(u"C:\\log.txt", FILE_APPEND_DATA, FILE_SHARE_READ, OPEN_EXISTING);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  DWORD n = 0;
  SetFilePointer(h, 0, nullptr, FILE_BEGIN);
  ASSERT_TRUE(WriteFile(h, "two;", 4, &n, nullptr));
  EXPECT_EQ(Read(u"C:\\log.txt"), "one;two;");
}

TEST_F(FilesTest, FilePointerProtocol) {
  HANDLE h = Open(u"C:\\p.bin", GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  DWORD n = 0;
  ASSERT_TRUE(WriteFile(h, "0123456789", 10, &n, nullptr));
  struct Case {
    LONG low;
    bool useHigh;
    LONG high;
    DWORD method;
    DWORD result;
    DWORD error;  // kAny: not examined
  };
  constexpr DWORD kAny = 0xFFFFFFFFu;
  const Case cases[] = {
      {4, false, 0, FILE_BEGIN, 4, kAny},
      {3, false, 0, FILE_CURRENT, 7, kAny},
      {-2, false, 0, FILE_END, 8, kAny},
      {-20, false, 0, FILE_CURRENT, INVALID_SET_FILE_POINTER, ERROR_NEGATIVE_SEEK},
      {0, false, 0, 7, INVALID_SET_FILE_POINTER, ERROR_INVALID_PARAMETER},
      {0, true, 1, FILE_BEGIN, 0, kAny},                       // 4 GiB: past the end is allowed
      {-1, true, -1, FILE_CURRENT, 0xFFFFFFFFu, NO_ERROR},  // 4 GiB - 1: a real position
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.low << " " << c.method);
    LONG high = c.high;
    SetLastError(0xBEEF);
    DWORD r = SetFilePointer(h, c.low, c.useHigh ? &high : nullptr, c.method);
    EXPECT_EQ(r, c.result);
    if (c.error != kAny) {
      EXPECT_EQ(GetLastError(), c.error);
    }
  }
  LARGE_INTEGER dist{}, pos{};
  dist.QuadPart = 5;
  ASSERT_TRUE(SetFilePointerEx(h, dist, &pos, FILE_BEGIN));
  EXPECT_EQ(pos.QuadPart, 5);
  ASSERT_TRUE(SetEndOfFile(h));
  LARGE_INTEGER size{};
  ASSERT_TRUE(GetFileSizeEx(h, &size));
  EXPECT_EQ(size.QuadPart, 5);
  DWORD high = 9;
  EXPECT_EQ(GetFileSize(h, &high), 5u);
  EXPECT_EQ(high, 0u);
  EXPECT_TRUE(FlushFileBuffers(h));
  EXPECT_EQ(Read(u"C:\\p.bin"), "01234");
}

TEST_F(FilesTest, FileTimesRoundTrip) {
  HANDLE h = Open(u"C:\\t.txt", GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  SYSTEMTIME st{2021, 3, 0, 14, 15, 9, 26, 535};
  FILETIME write{};
  ASSERT_TRUE(SystemTimeToFileTime(&st, &write));
  FILETIME access = Ft(Value(write) - 10000000ull * 3600);
  ASSERT_TRUE(SetFileTime(h, nullptr, &access, &write));
  FILETIME c{}, a{}, w{};
  ASSERT_TRUE(GetFileTime(h, &c, &a, &w));
  EXPECT_EQ(Value(w), Value(write));
  EXPECT_EQ(Value(a), Value(access));
  BY_HANDLE_FILE_INFORMATION info{};
  ASSERT_TRUE(GetFileInformationByHandle(h, &info));
  EXPECT_EQ(Value(info.ftLastWriteTime), Value(write));
  EXPECT_EQ(info.nNumberOfLinks, 1u);
  EXPECT_EQ(info.dwFileAttributes, FILE_ATTRIBUTE_ARCHIVE);
  // Zero and all ones leave a time as it is.
  FILETIME keep0{0, 0}, keep1{0xFFFFFFFF, 0xFFFFFFFF};
  ASSERT_TRUE(SetFileTime(h, nullptr, &keep0, &keep1));
  ASSERT_TRUE(GetFileTime(h, nullptr, &a, &w));
  EXPECT_EQ(Value(w), Value(write));
  EXPECT_EQ(Value(a), Value(access));
  // The host file carries the time: other handles and the attribute query see it.
  WIN32_FILE_ATTRIBUTE_DATA data{};
  ASSERT_TRUE(GetFileAttributesExW(u"C:\\t.txt", GetFileExInfoStandard, &data));
  EXPECT_EQ(Value(data.ftLastWriteTime), Value(write));
  struct stat hs;
  ASSERT_EQ(::stat(root_.HostPath(u"C:\\t.txt").c_str(), &hs), 0);
  EXPECT_EQ(hs.st_mtim.tv_sec, 1615734566);  // 2021-03-14 15:09:26 UTC
  EXPECT_EQ(hs.st_mtim.tv_nsec, 535000000);
}

TEST_F(FilesTest, FileIndexIdentifiesTheFile) {
  Write(u"C:\\one.txt", "1");
  Write(u"C:\\two.txt", "2");
  HANDLE a = Open(u"C:\\one.txt", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  HANDLE b = Open(u"C:\\ONE.TXT", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  HANDLE c = Open(u"C:\\two.txt", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  BY_HANDLE_FILE_INFORMATION ia, ib, ic;
  ASSERT_TRUE(GetFileInformationByHandle(a, &ia));
  ASSERT_TRUE(GetFileInformationByHandle(b, &ib));
  ASSERT_TRUE(GetFileInformationByHandle(c, &ic));
  EXPECT_EQ(ia.nFileIndexLow, ib.nFileIndexLow);
  EXPECT_EQ(ia.nFileIndexHigh, ib.nFileIndexHigh);
  EXPECT_EQ(ia.dwVolumeSerialNumber, ic.dwVolumeSerialNumber);
  EXPECT_FALSE(ia.nFileIndexLow == ic.nFileIndexLow && ia.nFileIndexHigh == ic.nFileIndexHigh);
}

struct SystemTimeCase {
  ULONGLONG fileTime;
  SYSTEMTIME st;
};

TEST(FileTimeConversion, KnownDates) {
  const SystemTimeCase cases[] = {
      {0, {1601, 1, 1, 1, 0, 0, 0, 0}},                             // a Monday
      {116444736000000000ull, {1970, 1, 4, 1, 0, 0, 0, 0}},         // a Thursday
      {125911584000000000ull, {2000, 1, 6, 1, 0, 0, 0, 0}},         // a Saturday
      {125962560000000000ull, {2000, 2, 2, 29, 0, 0, 0, 0}},        // leap day
      {132587299665350000ull, {2021, 2, 4, 25, 12, 32, 46, 535}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fileTime);
    SYSTEMTIME st{};
    FILETIME ft = Ft(c.fileTime);
    ASSERT_TRUE(FileTimeToSystemTime(&ft, &st));
    EXPECT_EQ(st.wYear, c.st.wYear);
    EXPECT_EQ(st.wMonth, c.st.wMonth);
    EXPECT_EQ(st.wDayOfWeek, c.st.wDayOfWeek);
    EXPECT_EQ(st.wDay, c.st.wDay);
    EXPECT_EQ(st.wHour, c.st.wHour);
    EXPECT_EQ(st.wMinute, c.st.wMinute);
    EXPECT_EQ(st.wSecond, c.st.wSecond);
    EXPECT_EQ(st.wMilliseconds, c.st.wMilliseconds);
    FILETIME back{};
    ASSERT_TRUE(SystemTimeToFileTime(&st, &back));
    EXPECT_EQ(Value(back), c.fileTime);
  }
}

TEST(FileTimeConversion, InvalidValuesAndComparison) {
  const SYSTEMTIME bad[] = {
      {1600, 12, 0, 31, 0, 0, 0, 0}, {2001, 2, 0, 29, 0, 0, 0, 0}, {2000, 13, 0, 1, 0, 0, 0, 0},
      {2000, 1, 0, 0, 0, 0, 0, 0},   {2000, 1, 0, 1, 24, 0, 0, 0}, {2000, 1, 0, 1, 0, 60, 0, 0},
      {2000, 1, 0, 1, 0, 0, 60, 0},  {2000, 1, 0, 1, 0, 0, 0, 1000},
  };
  for (const auto& st : bad) {
    FILETIME ft{};
    SetLastError(0);
    EXPECT_FALSE(SystemTimeToFileTime(&st, &ft));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  }
  FILETIME huge = Ft(0x8000000000000000ull);
  SYSTEMTIME st{};
  EXPECT_FALSE(FileTimeToSystemTime(&huge, &st));
  FILETIME a = Ft(0x00000001FFFFFFFFull), b = Ft(0x0000000200000000ull);
  EXPECT_EQ(CompareFileTime(&a, &b), -1);
  EXPECT_EQ(CompareFileTime(&b, &a), 1);
  EXPECT_EQ(CompareFileTime(&a, &a), 0);
  FILETIME local{};
  ASSERT_TRUE(FileTimeToLocalFileTime(&b, &local));
  EXPECT_EQ(Value(local), Value(b));
  ASSERT_TRUE(LocalFileTimeToFileTime(&local, &a));
  EXPECT_EQ(Value(a), Value(b));
}

TEST_F(FilesTest, SystemTimeFollowsTheTestClock) {
  SYSTEMTIME now{2024, 6, 0, 1, 8, 30, 0, 250};
  plat::SetTestLocalTime(now);
  FILETIME ft{}, expected{};
  GetSystemTimeAsFileTime(&ft);
  ASSERT_TRUE(SystemTimeToFileTime(&now, &expected));
  EXPECT_EQ(Value(ft), Value(expected));
  plat::UseRealClock();
}

}  // namespace
