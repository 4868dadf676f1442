// The model's entries in the model database INI of the Windows directory.
#include <gtest/gtest.h>

#include <string>

#include "context/context_create.h"
#include "base/ini_files.h"
#include "base/paths_and_names.h"
#include "model_database.h"
#include "panelis_fixture.h"

namespace kovatest {
namespace {

constexpr const char16_t* kDatabase = u"C:\\Windows\\modbase.ini";

class ModelDatabaseTest : public SamplePrinterTest {
 protected:
  void SetUp() override {
    SamplePrinterTest::SetUp();
    printer_ = Install(u"Database Printer");
    context_ = Create(printer_);
    ASSERT_NE(context_, nullptr);
    const std::u16string model = GetModelName(context_);
    model_ = std::string(model.begin(), model.end());
    root_.WriteFile(u"C:\\drv\\Instovar.INI",
                    "[KOVADB]\r\nLoadDll32=Rendara.dll\r\nVersion32=9.02\r\n"
                    "[KOVADB2]\r\nLoadDll32=Rendara2.dll\r\nVersion32=9.03\r\n");
  }
  void TearDown() override {
    ReleaseContext(context_, CTXR_DESTROY);
    SamplePrinterTest::TearDown();
  }
  static std::u16string Db(const WCHAR* section, const WCHAR* key) {
    WCHAR value[64] = {};
    ReadIniString(section, key, u"<none>", value, 64, kDatabase);
    return value;
  }
  HANDLE printer_ = nullptr;
  DriverContext* context_ = nullptr;
  std::string model_;
};

TEST_F(ModelDatabaseTest, TheModelsEntryIsWrittenWhenItDiffersFromThePackage) {
  root_.WriteFile(u"C:\\drv\\Dorvale2.ini", "[Models]\r\n" + model_ + "=  KOVADB\r\n");
  struct Case {
    const char* what;
    std::string database;  // modbase.ini before
    std::u16string loadDll;
  };
  const Case cases[] = {
      {"no database yet", "", u"Rendara.dll"},
      {"an older version", "[KOVADB]\r\nLoadDll=Rendara.dll\r\nResDll=Sorrel.dll\r\nVersion=8.00\r\n",
       u"Rendara.dll"},
      {"current apart from case", "[KOVADB]\r\nLoadDll=RENDARA.DLL\r\nResDll=sorrel.dll\r\nVersion=9.02\r\n",
       u"RENDARA.DLL"},
  };
  for (const Case& c : cases) {
    root_.WriteFile(kDatabase, c.database);
    EXPECT_EQ(RegisterModelDatabase(context_), 1) << c.what;
    EXPECT_EQ(Db(u"KOVADB", u"LoadDll"), c.loadDll) << c.what;
    EXPECT_EQ(Db(u"KOVADB", u"Version"), u"9.02") << c.what;
  }
  EXPECT_EQ(Db(u"KOVADB", u"ResDll"), u"sorrel.dll");
}

TEST_F(ModelDatabaseTest, EveryListedEntryIsWrittenWithItsOwnResourceLibrary) {
  root_.WriteFile(u"C:\\drv\\Dorvale2.ini", "[Models1]\r\n" + model_ + "=KOVADB\r\n[Models2]\r\n" + model_ +
                                                 "= KOVADB2\r\n[KOVADB]\r\nResDll=One.dll\r\n[KOVADB2]\r\nResDll=Two.dll\r\n");
  root_.WriteFile(kDatabase, "");
  EXPECT_EQ(RegisterModelDatabase(context_), 1);
  EXPECT_EQ(Db(u"KOVADB", u"ResDll"), u"One.dll");
  EXPECT_EQ(Db(u"KOVADB2", u"ResDll"), u"Two.dll");
  EXPECT_EQ(Db(u"KOVADB2", u"LoadDll"), u"Rendara2.dll");
  EXPECT_EQ(Db(u"KOVADB2", u"Version"), u"9.03");
}

TEST_F(ModelDatabaseTest, AModelWithoutAnEntryRegistersNothing) {
  root_.WriteFile(u"C:\\drv\\Dorvale2.ini", "[Models]\r\nOther Model=KOVADB\r\n");
  root_.WriteFile(kDatabase, "");
  EXPECT_EQ(RegisterModelDatabase(context_), 0);
  EXPECT_EQ(RegisterAllModelDatabaseEntries(context_), 0);
  EXPECT_EQ(WriteAllModelDatabaseEntries(context_), 0);
  EXPECT_EQ(Db(u"KOVADB", u"LoadDll"), u"<none>");
}

}  // namespace
}  // namespace kovatest
