// Broken stamp lists of a per-printer INI rebuilt from the driver package's list.
#include <gtest/gtest.h>

#include <string>

#include "context/context_create.h"
#include "base/ini_files.h"
#include "base/paths_and_names.h"
#include "panelis_fixture.h"
#include "user_list_repair.h"
#include "win/files.h"

namespace kovatest {
namespace {

class UserListRepairTest : public SamplePrinterTest {
 protected:
  void SetUp() override {
    SamplePrinterTest::SetUp();
    printer_ = Install(u"Repair Printer");
    context_ = Create(printer_);
    ASSERT_NE(context_, nullptr);
    ini_ = GetUserIniPath(context_);
    ASSERT_FALSE(ini_.empty());
    CreateDirectoryW(ini_.substr(0, ini_.rfind(u'\\')).c_str(), nullptr);
    const std::u16string l16 = GetLanguageSectionName(context_);
    lang_ = std::string(l16.begin(), l16.end());
    root_.WriteFile(u"C:\\drv\\Dorvale2.ini", "[" + lang_ + "]\r\nStampCount=1\r\n[Stamp0" + lang_ +
                                                  "]\r\nkdmWmKind=1\r\nwdmWmChar=SHARED\r\nwdmWmCharName=SHARED\r\n");
  }
  void TearDown() override {
    ReleaseContext(context_, CTXR_DESTROY);
    SamplePrinterTest::TearDown();
  }
  std::u16string Stamp0(const WCHAR* key) {
    WCHAR value[64] = {};
    const std::u16string section = u"Stamp0" + std::u16string(lang_.begin(), lang_.end());
    ReadIniString(section.c_str(), key, u"<none>", value, 64, ini_.c_str());
    return value;
  }
  HANDLE printer_ = nullptr;
  DriverContext* context_ = nullptr;
  std::u16string ini_;
  std::string lang_;
};

TEST_F(UserListRepairTest, AStampListWithoutEntriesIsRebuiltFromThePackage) {
  struct Case {
    const char* what;
    std::string userList;
    std::u16string charAfter;
  };
  const Case cases[] = {
      {"no stamps at all", "StampCount=0\r\n", u"SHARED"},
      {"a text stamp without its text", "StampCount=1\r\n", u"SHARED"},
  };
  for (const Case& c : cases) {
    root_.WriteFile(ini_, "[" + lang_ + "]\r\n" + c.userList + "[Stamp0" + lang_ + "]\r\nkdmWmKind=1\r\n");
    EXPECT_EQ(RepairUserLists(context_), 1) << c.what;
    EXPECT_EQ(Stamp0(u"wdmWmChar"), c.charAfter) << c.what;
    EXPECT_NE(Stamp0(u"wdmWmAngle"), u"<none>") << c.what << ": the entry is written whole";
  }
  // Once whole, the list is left as the user keeps it.
  WriteIniString((u"Stamp0" + std::u16string(lang_.begin(), lang_.end())).c_str(), u"wdmWmChar", u"MINE", ini_.c_str());
  EXPECT_EQ(RepairUserLists(context_), 1);
  EXPECT_EQ(Stamp0(u"wdmWmChar"), u"MINE");
}

}  // namespace
}  // namespace kovatest
