// Built-in 311: the selected user quality entry's file copied over its per-user copy.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "context_fixture.h"
#include "fields/field_access.h"
#include "model/module_dispatch.h"
#include "base/paths_and_names.h"
#include "field_ids.h"
#include "stored/quality_list.h"
#include "stored/setting_import.h"
#include "win/profile.h"

namespace {

class QualityUserCopy : public kovatest::ContextTest {
 protected:
  void SetUp() override {
    ContextTest::SetUp();
    root_.WriteFile(u"C:\\_kova\\keep.txt", "");
    StartContext(u"Office");
    root_.WriteFile(u"C:\\_kova\\fine.ksq", "[Office]\r\nkdmMediaType=4\r\n");
    const WCHAR* section = GetPrinterSectionName(ctx_);
    const WCHAR* ini = GetUserIniPath(ctx_);
    ASSERT_TRUE(WritePrivateProfileStringW(section, u"QualityCount", u"2", ini));
    ASSERT_TRUE(WritePrivateProfileStringW(section, u"QualityList0", u"C:\\_kova\\fine.ksq", ini));
    ASSERT_TRUE(MakeUserCopyPath(u"C:\\_kova\\fine.ksq", copy_, ctx_));
  }
  bool CopyExists() { return std::filesystem::exists(root_.HostPath(copy_)); }

  WCHAR copy_[MAX_PATH] = {};
};

TEST_F(QualityUserCopy, OnlyTheSelectedEntryIsCopied) {
  struct Case {
    DWORD useUserMacro, macro;
    bool copied;
  } const cases[] = {{0, 32, false}, {1, 31, false}, {1, 33, false}, {1, 32, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.useUserMacro) + " " + std::to_string(c.macro));
    std::filesystem::remove(root_.HostPath(copy_));
    WriteFieldRawById(ctx_, fid::kdmUseUserMacro, c.useUserMacro);
    WriteFieldRawById(ctx_, fid::kdmUserPrintMacro, c.macro);
    CallModuleItemHooks(ctx_, 311);
    EXPECT_EQ(CopyExists(), c.copied);
  }
  WCHAR value[16] = {};
  GetPrivateProfileStringW(u"Office", u"kdmMediaType", u"", value, 16, copy_);
  EXPECT_EQ(std::u16string(value), u"4");
}

TEST_F(QualityUserCopy, EntriesWithoutAFileOrOutsideTheListAreRefused) {
  EXPECT_TRUE(CopyQualityEntryFile(ctx_, 0));
  EXPECT_FALSE(CopyQualityEntryFile(ctx_, 1));   // no file named
  EXPECT_FALSE(CopyQualityEntryFile(ctx_, 2));   // past the count
  EXPECT_FALSE(CopyQualityEntryFile(ctx_, -1));
  EXPECT_FALSE(CopyQualityEntryFile(nullptr, 0));
}

}  // namespace
