#include <gtest/gtest.h>

#include <string>

#include "context_fixture.h"
#include "base/build_switches.h"
#include "fields/field_access.h"
#include "base/paths_and_names.h"
#include "field_ids.h"
#include "stored/user_info.h"
#include "win/profile.h"

namespace kovatest {
namespace {

class UserInformation : public ContextTest {
 protected:
  void SetUp() override {
    ContextTest::SetUp();
    StartContext(u"Office");
  }
  void Ini(const char16_t* file, const char16_t* section, const char16_t* key, const char16_t* value) {
    ASSERT_TRUE(WritePrivateProfileStringW(section, key, value, file));
  }
  DWORD Special(int n) { return ReadFieldRawById(ctx_, static_cast<WORD>(fid::wdmSpecial1 + n - 1)); }
  void FillSpecials() {
    for (int n = 1; n <= 16; ++n) WriteFieldRawById(ctx_, static_cast<WORD>(fid::wdmSpecial1 + n - 1), 99);
  }

};

TEST_F(UserInformation, PrinterSectionFeedsOnlyTheEnabledFunctions) {
  static_assert((kBuildFeatureBits >> 7) & 1, "bit 7 feeds wdmSpecial8");
  root_.WriteFile(u"C:\\site\\users.ini", "");
  Ini(GetSecondIniPath(ctx_), GetPrinterDisplayName(ctx_), u"UserInfomationFile", u"C:\\site\\users.ini");
  Ini(u"C:\\site\\users.ini", u"Common", u"SectionName", u"printer");
  for (int n = 1; n <= 16; ++n)
    Ini(u"C:\\site\\users.ini", GetPrinterDisplayName(ctx_), (u"Function" + std::u16string(n >= 10 ? 1 : 0, u'1') +
                                                              std::u16string(1, static_cast<char16_t>(u'0' + n % 10)))
                                                                 .c_str(),
        std::u16string(1, static_cast<char16_t>(u'0' + n % 10)).c_str());
  FillSpecials();
  ASSERT_EQ(LoadUserInformation(ctx_), 1);
  for (int n = 1; n <= 16; ++n) {
    const DWORD expected = IsBuildFeatureEnabled(static_cast<DWORD>(n - 1)) ? static_cast<DWORD>(n % 10) : 0u;
    EXPECT_EQ(Special(n), expected) << "wdmSpecial" << n;
  }
  EXPECT_EQ(Special(8), 8u);
  EXPECT_EQ(Special(1), 0u);
}

TEST_F(UserInformation, MissingFileOrUnknownKindClearsEverything) {
  struct Case {
    const char16_t* fileKey;
    const char16_t* kind;
  } cases[] = {{u"", u"Printer"}, {u"C:\\site\\users.ini", u""}, {u"C:\\site\\users.ini", u"Group"}};
  root_.WriteFile(u"C:\\site\\users.ini", "");
  Ini(u"C:\\site\\users.ini", GetPrinterDisplayName(ctx_), u"Function8", u"5");
  for (const Case& c : cases) {
    Ini(GetSecondIniPath(ctx_), GetPrinterDisplayName(ctx_), u"UserInfomationFile", c.fileKey);
    Ini(u"C:\\site\\users.ini", u"Common", u"SectionName", c.kind);
    FillSpecials();
    ASSERT_EQ(LoadUserInformation(ctx_), 1);
    for (int n = 1; n <= 16; ++n) EXPECT_EQ(Special(n), 0u) << n;
  }
  EXPECT_EQ(LoadUserInformation(nullptr), 0);
}

}  // namespace
}  // namespace kovatest
