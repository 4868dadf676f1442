#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "plat/system.h"
#include "test_root.h"
#include "win/kernel.h"

namespace {

TEST(KernelVersion, LayoutOfTheVersionRecords) {
  static_assert(sizeof(OSVERSIONINFOW) == 276);
  static_assert(sizeof(OSVERSIONINFOEXW) == 284);
  EXPECT_EQ(offsetof(OSVERSIONINFOEXW, dwPlatformId), 16u);
  EXPECT_EQ(offsetof(OSVERSIONINFOEXW, wServicePackMinor), 278u);
}

TEST(KernelVersion, GetVersionExChecksTheRecordSize) {
  kovatest::TempRoot root;
  for (DWORD size : {0u, 20u, 275u, 277u, 283u, 285u, 1000u}) {
    OSVERSIONINFOEXW info{};
    info.dwOSVersionInfoSize = size;
    SetLastError(0);
    EXPECT_FALSE(GetVersionExW(reinterpret_cast<LPOSVERSIONINFOW>(&info))) << size;
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER) << size;
  }
  // The short record leaves the EX fields alone.
  OSVERSIONINFOEXW info;
  std::memset(&info, 0xAB, sizeof info);
  info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
  ASSERT_TRUE(GetVersionExW(reinterpret_cast<LPOSVERSIONINFOW>(&info)));
  EXPECT_EQ(info.wServicePackMajor, 0xABAB);
  EXPECT_EQ(info.dwMajorVersion, 10u);
}

struct VersionCase {
  plat::WindowsVersion version;
  DWORD major, minor, build;
  WORD spMajor;
  const char16_t* csd;
  BYTE productType;
};

class KernelVersionPerWindows : public ::testing::TestWithParam<VersionCase> {};

TEST_P(KernelVersionPerWindows, AnswersTheSteeredVersion) {
  kovatest::TempRoot root;
  const auto& c = GetParam();
  plat::SetWindowsVersion(c.version);
  OSVERSIONINFOEXW info{};
  info.dwOSVersionInfoSize = sizeof info;
  ASSERT_TRUE(GetVersionExW(reinterpret_cast<LPOSVERSIONINFOW>(&info)));
  EXPECT_EQ(info.dwMajorVersion, c.major);
  EXPECT_EQ(info.dwMinorVersion, c.minor);
  EXPECT_EQ(info.dwBuildNumber, c.build);
  EXPECT_EQ(info.dwPlatformId, VER_PLATFORM_WIN32_NT);
  EXPECT_EQ(info.wServicePackMajor, c.spMajor);
  EXPECT_EQ(std::u16string(info.szCSDVersion), std::u16string(c.csd));
  EXPECT_EQ(info.wProductType, c.productType);
  const DWORD v = GetVersion();
  EXPECT_EQ(LOBYTE(v), c.major);
  EXPECT_EQ(HIBYTE(v), c.minor);
  EXPECT_EQ(v & 0x80000000u, 0u);

  // "At least this version" in the usual form: major, minor and service pack together.
  auto atLeast = [](DWORD major, DWORD minor, WORD sp) {
    OSVERSIONINFOEXW want{};
    want.dwOSVersionInfoSize = sizeof want;
    want.dwMajorVersion = major;
    want.dwMinorVersion = minor;
    want.wServicePackMajor = sp;
    ULONGLONG mask = 0;
    mask = VerSetConditionMask(mask, VER_MAJORVERSION, VER_GREATER_EQUAL);
    mask = VerSetConditionMask(mask, VER_MINORVERSION, VER_GREATER_EQUAL);
    mask = VerSetConditionMask(mask, VER_SERVICEPACKMAJOR, VER_GREATER_EQUAL);
    return VerifyVersionInfoW(&want, VER_MAJORVERSION | VER_MINORVERSION | VER_SERVICEPACKMAJOR, mask) != FALSE;
  };
  const DWORD have = c.major * 100 + c.minor;
  EXPECT_EQ(atLeast(5, 0, 4), have > 500 || (have == 500 && c.spMajor >= 4));
  EXPECT_EQ(atLeast(5, 1, 0), have >= 501);
  EXPECT_EQ(atLeast(6, 0, 0), have >= 600);
  EXPECT_EQ(atLeast(6, 1, 0), have >= 601);
  EXPECT_EQ(atLeast(c.major, c.minor, c.spMajor), true);
  EXPECT_EQ(atLeast(c.major, c.minor, static_cast<WORD>(c.spMajor + 1)), false);
  EXPECT_EQ(GetLastError(), ERROR_OLD_WIN_VERSION);
}

INSTANTIATE_TEST_SUITE_P(
    Versions, KernelVersionPerWindows,
    ::testing::Values(VersionCase{plat::WindowsVersion::Win2000Sp4, 5, 0, 2195, 4, u"Service Pack 4", 1},
                      VersionCase{plat::WindowsVersion::WinXP, 5, 1, 2600, 3, u"Service Pack 3", 1},
                      VersionCase{plat::WindowsVersion::Server2003, 5, 2, 3790, 0, u"", 3},
                      VersionCase{plat::WindowsVersion::Vista, 6, 0, 6002, 2, u"Service Pack 2", 1},
                      VersionCase{plat::WindowsVersion::Win10, 10, 0, 19045, 0, u"", 1}));

TEST(KernelVersion, VerSetConditionMaskPlacesThreeBitsPerType) {
  EXPECT_EQ(VerSetConditionMask(0, VER_MINORVERSION, VER_EQUAL), 1ull);
  EXPECT_EQ(VerSetConditionMask(0, VER_MAJORVERSION, VER_GREATER), 2ull << 3);
  EXPECT_EQ(VerSetConditionMask(0, VER_SUITENAME, VER_AND), 6ull << 18);
  EXPECT_EQ(VerSetConditionMask(0, VER_PRODUCT_TYPE, VER_LESS_EQUAL), 5ull << 21);
  // Setting again replaces the earlier condition of that type only.
  ULONGLONG m = VerSetConditionMask(0, VER_MINORVERSION, VER_LESS);
  m = VerSetConditionMask(m, VER_MAJORVERSION, VER_EQUAL);
  m = VerSetConditionMask(m, VER_MINORVERSION, VER_GREATER);
  EXPECT_EQ(m, 2ull | (1ull << 3));
}

struct ConditionCase {
  DWORD type;
  BYTE condition;
  DWORD value;  // major/minor/build/platform/product type
  bool pass;    // on Windows XP SP3 (5.1.2600, workstation)
};

class KernelVerifyOnXp : public ::testing::TestWithParam<ConditionCase> {};

TEST_P(KernelVerifyOnXp, ComparesOneField) {
  kovatest::TempRoot root;
  plat::SetWindowsVersion(plat::WindowsVersion::WinXP);
  const auto& c = GetParam();
  OSVERSIONINFOEXW want{};
  want.dwOSVersionInfoSize = sizeof want;
  want.dwMajorVersion = want.dwMinorVersion = want.dwBuildNumber = want.dwPlatformId = c.value;
  want.wServicePackMajor = static_cast<WORD>(c.value);
  want.wProductType = static_cast<BYTE>(c.value);
  SetLastError(0);
  const BOOL r = VerifyVersionInfoW(&want, c.type, VerSetConditionMask(0, c.type, c.condition));
  EXPECT_EQ(r != FALSE, c.pass);
  if (!c.pass) {
    EXPECT_EQ(GetLastError(), ERROR_OLD_WIN_VERSION);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Conditions, KernelVerifyOnXp,
    ::testing::Values(ConditionCase{VER_MAJORVERSION, VER_EQUAL, 5, true}, ConditionCase{VER_MAJORVERSION, VER_EQUAL, 6, false},
                      ConditionCase{VER_MAJORVERSION, VER_GREATER, 4, true}, ConditionCase{VER_MAJORVERSION, VER_GREATER, 5, false},
                      ConditionCase{VER_MAJORVERSION, VER_GREATER_EQUAL, 5, true},
                      ConditionCase{VER_MAJORVERSION, VER_LESS, 6, true}, ConditionCase{VER_MAJORVERSION, VER_LESS, 5, false},
                      ConditionCase{VER_MAJORVERSION, VER_LESS_EQUAL, 5, true},
                      ConditionCase{VER_MINORVERSION, VER_EQUAL, 1, true}, ConditionCase{VER_MINORVERSION, VER_GREATER, 1, false},
                      ConditionCase{VER_SERVICEPACKMAJOR, VER_GREATER_EQUAL, 3, true},
                      ConditionCase{VER_SERVICEPACKMAJOR, VER_GREATER_EQUAL, 4, false},
                      ConditionCase{VER_BUILDNUMBER, VER_GREATER_EQUAL, 2600, true},
                      ConditionCase{VER_BUILDNUMBER, VER_GREATER, 2600, false},
                      ConditionCase{VER_PLATFORMID, VER_EQUAL, VER_PLATFORM_WIN32_NT, true},
                      ConditionCase{VER_PLATFORMID, VER_EQUAL, VER_PLATFORM_WIN32_WINDOWS, false},
                      ConditionCase{VER_PRODUCT_TYPE, VER_EQUAL, VER_NT_WORKSTATION, true},
                      ConditionCase{VER_PRODUCT_TYPE, VER_EQUAL, VER_NT_SERVER, false}));

TEST(KernelVersion, SuiteTestFollowsTheTerminalServerSetting) {
  kovatest::TempRoot root;
  auto verify = [](WORD suite, BYTE condition) {
    OSVERSIONINFOEXW want{};
    want.dwOSVersionInfoSize = sizeof want;
    want.wSuiteMask = suite;
    return VerifyVersionInfoW(&want, VER_SUITENAME, VerSetConditionMask(0, VER_SUITENAME, condition)) != FALSE;
  };
  EXPECT_FALSE(verify(VER_SUITE_TERMINAL, VER_AND));
  EXPECT_EQ(GetLastError(), ERROR_OLD_WIN_VERSION);
  plat::Machine().terminalServer = true;
  EXPECT_TRUE(verify(VER_SUITE_TERMINAL, VER_AND));
  EXPECT_TRUE(verify(VER_SUITE_TERMINAL | VER_SUITE_SINGLEUSERTS, VER_AND));
  EXPECT_FALSE(verify(VER_SUITE_TERMINAL | VER_SUITE_DATACENTER, VER_AND));  // AND: every bit
  EXPECT_TRUE(verify(VER_SUITE_TERMINAL | VER_SUITE_DATACENTER, VER_OR));    // OR: any bit
  EXPECT_FALSE(verify(VER_SUITE_DATACENTER | VER_SUITE_ENTERPRISE, VER_OR));
  OSVERSIONINFOEXW info{};
  info.dwOSVersionInfoSize = sizeof info;
  ASSERT_TRUE(GetVersionExW(reinterpret_cast<LPOSVERSIONINFOW>(&info)));
  EXPECT_TRUE(info.wSuiteMask & VER_SUITE_TERMINAL);
}

TEST(KernelVersion, BadMasksAreBadArguments) {
  kovatest::TempRoot root;
  OSVERSIONINFOEXW want{};
  want.dwOSVersionInfoSize = sizeof want;
  EXPECT_FALSE(VerifyVersionInfoW(&want, 0, VerSetConditionMask(0, VER_MAJORVERSION, VER_EQUAL)));
  EXPECT_EQ(GetLastError(), ERROR_BAD_ARGUMENTS);
  EXPECT_FALSE(VerifyVersionInfoW(&want, VER_MAJORVERSION, 0));
  EXPECT_EQ(GetLastError(), ERROR_BAD_ARGUMENTS);
  // A tested field without a condition.
  EXPECT_FALSE(VerifyVersionInfoW(&want, VER_MAJORVERSION | VER_MINORVERSION,
                                  VerSetConditionMask(0, VER_MAJORVERSION, VER_EQUAL)));
  EXPECT_EQ(GetLastError(), ERROR_BAD_ARGUMENTS);
  // AND/OR only apply to the suite.
  EXPECT_FALSE(VerifyVersionInfoW(&want, VER_MAJORVERSION, VerSetConditionMask(0, VER_MAJORVERSION, VER_AND)));
  EXPECT_EQ(GetLastError(), ERROR_BAD_ARGUMENTS);
}

}  // namespace
