// Colour profiles and transforms: opening profiles from memory and files, the profile
// checks, transforms over open profiles, and handle lifetimes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_root.h"
#include "win/errors.h"
#include "win/files.h"
#include "win/gdi.h"

namespace {

// The smallest data that passes as a profile: a 128-byte header declaring its size, with
// "acsp" at byte 36.
std::vector<BYTE> ProfileBytes(std::size_t size, std::size_t declared) {
  std::vector<BYTE> d(size, 0);
  d[0] = static_cast<BYTE>(declared >> 24);
  d[1] = static_cast<BYTE>(declared >> 16);
  d[2] = static_cast<BYTE>(declared >> 8);
  d[3] = static_cast<BYTE>(declared);
  d[36] = 'a', d[37] = 'c', d[38] = 's', d[39] = 'p';
  return d;
}

LOGCOLORSPACEW SrgbSpace() {
  LOGCOLORSPACEW cs{};
  cs.lcsSignature = LCS_SIGNATURE;
  cs.lcsVersion = 0x400;
  cs.lcsSize = sizeof(LOGCOLORSPACEW);
  cs.lcsCSType = LCS_sRGB;
  return cs;
}

TEST(GdiIcm, MemoryProfileAndTransformLifetimes) {
  std::vector<BYTE> data = ProfileBytes(200, 200);
  PROFILE p{PROFILE_MEMBUFFER, data.data(), static_cast<DWORD>(data.size())};
  HPROFILE h = OpenColorProfileW(&p, PROFILE_READ, FILE_SHARE_READ, OPEN_EXISTING);
  ASSERT_NE(h, nullptr);
  data.assign(data.size(), 0);  // the profile was copied
  LOGCOLORSPACEW cs = SrgbSpace();
  HTRANSFORM t = CreateColorTransformW(&cs, h, nullptr, BEST_MODE);
  ASSERT_NE(t, nullptr);
  EXPECT_TRUE(DeleteColorTransform(t));
  EXPECT_FALSE(DeleteColorTransform(t));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_TRUE(CloseColorProfile(h));
  EXPECT_FALSE(CloseColorProfile(h));
  // A closed profile makes no transform.
  EXPECT_EQ(CreateColorTransformW(&cs, h, nullptr, BEST_MODE), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST(GdiIcm, DataThatIsNotAProfileIsRefused) {
  const struct {
    std::vector<BYTE> data;
    const char* what;
  } cases[] = {
      {ProfileBytes(100, 100), "shorter than the header"},
      {ProfileBytes(200, 300), "declares more than it holds"},
      {ProfileBytes(200, 64), "declares less than a header"},
      {std::vector<BYTE>(200, 0), "no acsp signature"},
  };
  for (auto c : cases) {
    PROFILE p{PROFILE_MEMBUFFER, c.data.data(), static_cast<DWORD>(c.data.size())};
    SetLastError(0);
    EXPECT_EQ(OpenColorProfileW(&p, PROFILE_READ, FILE_SHARE_READ, OPEN_EXISTING), nullptr) << c.what;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER)) << c.what;
  }
  std::vector<BYTE> good = ProfileBytes(128, 128);
  PROFILE p{PROFILE_MEMBUFFER, good.data(), 128};
  EXPECT_EQ(OpenColorProfileW(&p, PROFILE_READ, 0, CREATE_ALWAYS), nullptr) << "profiles are opened, not made";
  EXPECT_EQ(OpenColorProfileW(&p, 7, 0, OPEN_EXISTING), nullptr);
  PROFILE empty{PROFILE_MEMBUFFER, good.data(), 0};
  EXPECT_EQ(OpenColorProfileW(&empty, PROFILE_READ, 0, OPEN_EXISTING), nullptr);
  PROFILE odd{9, good.data(), 128};
  EXPECT_EQ(OpenColorProfileW(&odd, PROFILE_READ, 0, OPEN_EXISTING), nullptr);
  EXPECT_EQ(OpenColorProfileW(nullptr, PROFILE_READ, 0, OPEN_EXISTING), nullptr);
}

TEST(GdiIcm, FileProfilesAndColourSpaceChecks) {
  kovatest::TempRoot root;
  const std::vector<BYTE> bytes = ProfileBytes(300, 300);
  root.WriteFile(u"C:\\Color\\sample.icm", std::string(bytes.begin(), bytes.end()));
  std::u16string path = u"C:\\Color\\sample.icm";
  PROFILE p{PROFILE_FILENAME, path.data(), static_cast<DWORD>((path.size() + 1) * 2)};
  HPROFILE h = OpenColorProfileW(&p, PROFILE_READ, FILE_SHARE_READ, OPEN_EXISTING);
  ASSERT_NE(h, nullptr);
  std::u16string missing = u"C:\\Color\\none.icm";
  PROFILE q{PROFILE_FILENAME, missing.data(), 0};
  EXPECT_EQ(OpenColorProfileW(&q, PROFILE_READ, FILE_SHARE_READ, OPEN_EXISTING), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

  LOGCOLORSPACEW cs = SrgbSpace();
  cs.lcsSignature = 0;
  EXPECT_EQ(CreateColorTransformW(&cs, h, nullptr, BEST_MODE), nullptr);
  cs = SrgbSpace();
  cs.lcsSize = 10;
  EXPECT_EQ(CreateColorTransformW(&cs, h, nullptr, BEST_MODE), nullptr);
  cs = SrgbSpace();
  EXPECT_EQ(CreateColorTransformW(&cs, h, reinterpret_cast<HPROFILE>(0x5), BEST_MODE), nullptr)
      << "an unknown target profile";
  HTRANSFORM t = CreateColorTransformW(&cs, h, h, BEST_MODE);
  ASSERT_NE(t, nullptr);
  EXPECT_TRUE(DeleteColorTransform(t));
  EXPECT_TRUE(CloseColorProfile(h));
}

}  // namespace
