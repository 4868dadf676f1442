#include <gtest/gtest.h>

#include <string>

#include "plat/system.h"
#include "test_root.h"
#include "win/kernel.h"

namespace {

class KernelSysInfo : public ::testing::Test {
 protected:
  kovatest::TempRoot root;
};

TEST_F(KernelSysInfo, DirectorySizeProtocol) {
  using Fn = UINT (*)(LPWSTR, UINT);
  const struct {
    Fn fn;
    std::u16string expect;
  } cases[] = {{GetSystemDirectoryW, u"C:\\Windows\\system32"}, {GetWindowsDirectoryW, u"C:\\Windows"}};
  for (const auto& c : cases) {
    const UINT len = static_cast<UINT>(c.expect.size());
    EXPECT_EQ(c.fn(nullptr, 0), len + 1);
    WCHAR buf[64];
    std::fill(std::begin(buf), std::end(buf), u'#');
    EXPECT_EQ(c.fn(buf, len), len + 1);  // no room for the NUL: the size needed
    EXPECT_EQ(buf[0], u'#');
    EXPECT_EQ(c.fn(buf, len + 1), len);
    EXPECT_EQ(std::u16string(buf), c.expect);
  }
  char a[64];
  EXPECT_EQ(GetSystemDirectoryA(a, sizeof a), 19u);
  EXPECT_STREQ(a, "C:\\Windows\\system32");
  EXPECT_EQ(GetWindowsDirectoryA(a, 5), 11u);
}

TEST_F(KernelSysInfo, UserNameSizeProtocol) {
  plat::Machine().userName = u"Tanaka";
  DWORD size = 0;
  SetLastError(0);
  EXPECT_FALSE(GetUserNameW(nullptr, &size));
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(size, 7u);
  WCHAR buf[7];
  size = 6;
  EXPECT_FALSE(GetUserNameW(buf, &size));
  EXPECT_EQ(size, 7u);
  EXPECT_TRUE(GetUserNameW(buf, &size));
  EXPECT_EQ(size, 7u);  // with the NUL
  EXPECT_EQ(std::u16string(buf), u"Tanaka");
  EXPECT_FALSE(GetUserNameW(buf, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  char a[16];
  size = sizeof a;
  EXPECT_TRUE(GetUserNameA(a, &size));
  EXPECT_STREQ(a, "Tanaka");
}

TEST_F(KernelSysInfo, ComputerNameSizeProtocol) {
  DWORD size = 3;
  WCHAR buf[16];
  EXPECT_FALSE(GetComputerNameW(buf, &size));
  EXPECT_EQ(GetLastError(), ERROR_BUFFER_OVERFLOW);
  EXPECT_EQ(size, 9u);
  EXPECT_TRUE(GetComputerNameW(buf, &size));
  EXPECT_EQ(size, 8u);  // without the NUL
  EXPECT_EQ(std::u16string(buf), u"KOVAHOST");
}

TEST_F(KernelSysInfo, ClockFollowsTheTestClock) {
  plat::SetTestTickCount(1000);
  EXPECT_EQ(GetTickCount(), 1000u);
  EXPECT_EQ(GetTickCount64(), 1000u);
  plat::AdvanceTestClock(250);
  EXPECT_EQ(GetTickCount(), 1250u);
  SYSTEMTIME t{2024, 2, 4, 29, 13, 45, 10, 5};
  plat::SetTestLocalTime(t);
  SYSTEMTIME got{};
  GetLocalTime(&got);
  EXPECT_EQ(got.wYear, 2024);
  EXPECT_EQ(got.wDay, 29);
  EXPECT_EQ(got.wMilliseconds, 5);
  GetSystemTime(&got);
  EXPECT_EQ(got.wHour, 13);
  plat::UseRealClock();
  GetSystemTime(&got);
  EXPECT_GE(got.wYear, 2024);
  EXPECT_EQ(GetCurrentProcessId(), static_cast<DWORD>(::getpid()));
  EXPECT_NE(GetCurrentThreadId(), 0u);
  EXPECT_EQ(GetCurrentProcess(), reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1)));
  EXPECT_EQ(GetCurrentThread(), reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-2)));
}

}  // namespace
