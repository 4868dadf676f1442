// The first-run values a printer's install leaves in Fennic.ini, applied once.
#include <gtest/gtest.h>

#include <string>

#include "context/context_create.h"
#include "fields/devmode_header.h"
#include "fields/field_access.h"
#include "fields/field_table.h"
#include "base/ini_files.h"
#include "base/paths_and_names.h"
#include "field_ids.h"
#include "first_run_defaults.h"
#include "panelis_fixture.h"
#include "win/files.h"

namespace kovatest {
namespace {

class FirstRunDefaultsTest : public SamplePrinterTest {
 protected:
  void SetUp() override {
    SamplePrinterTest::SetUp();
    printer_ = Install(u"First Run");
    context_ = Create(printer_);
    ASSERT_NE(context_, nullptr);
    WCHAR path[261] = {};
    MakeSettingsPath(path, 261, u"Fennic.ini", context_);
    ini_ = path;
    ASSERT_FALSE(ini_.empty());
    CreateDirectoryW(ini_.substr(0, ini_.rfind(u'\\')).c_str(), nullptr);
  }
  void TearDown() override {
    ReleaseContext(context_, CTXR_DESTROY);
    SamplePrinterTest::TearDown();
  }
  std::u16string Key(const WCHAR* key) {
    WCHAR value[64] = {};
    ReadIniString(u"First Run", key, u"<none>", value, 64, ini_.c_str());
    return value;
  }
  HANDLE printer_ = nullptr;
  DriverContext* context_ = nullptr;
  std::u16string ini_;
};

TEST_F(FirstRunDefaultsTest, InstallerValuesAreAppliedOnceAndLocaleDefaultsFillTheGaps) {
  struct Case {
    const char* what;
    std::string fennic;  // the printer's section of Fennic.ini; empty: no file
    int read;            // ReadFirstRunKeys
    std::u16string doneAfter;
    std::u16string dispLangAfter;
    DWORD userCodeUse;
  };
  const Case cases[] = {
      {"no file: nothing to read", "", 0, u"<none>", u"<none>", 0},
      {"no KovaInstDone: the installer left nothing", "DispLang=3\r\n", 0, u"<none>", u"1", 0},
      {"values present and not yet applied", "KovaInstDone=0\r\nDispLang=1\r\nUserCode=1\r\nUserCodeString=4711\r\n",
       1, u"1", u"1", 1},
      {"not yet applied but no language", "KovaInstDone=0\r\nUserCode=1\r\n", 0, u"0", u"1", 0},
      {"already applied", "KovaInstDone=1\r\nDispLang=1\r\nUserCode=1\r\n", 0, u"1", u"1", 0},
  };
  for (const Case& c : cases) {
    DeleteFileW(ini_.c_str());
    if (!c.fennic.empty()) root_.WriteFile(ini_, "[First Run]\r\n" + c.fennic);
    WriteFieldRawById(context_, fid::kdmLogCodeUse, 0);
    EXPECT_EQ(ReadFirstRunKeys(u"First Run", context_), c.read) << c.what;
    if (!c.fennic.empty()) root_.WriteFile(ini_, "[First Run]\r\n" + c.fennic);
    LoadInstallDefaults(u"First Run", context_);
    EXPECT_EQ(Key(u"KovaInstDone"), c.doneAfter) << c.what;
    if (!c.fennic.empty()) {
      EXPECT_EQ(Key(u"DispLang"), c.dispLangAfter) << c.what;
      EXPECT_EQ(Key(u"DefPaper"), u"9") << c.what << ": this product starts every printer on A4";
    }
    EXPECT_EQ(ReadFieldRawById(context_, fid::kdmLogCodeUse), c.userCodeUse) << c.what;
    EXPECT_EQ(ReadFieldRawById(context_, fid::dmPaperSize), 9u) << c.what;
    EXPECT_EQ(ReadFieldRawById(context_, fid::kdmLanguageID), 1u) << c.what;
    EXPECT_EQ(ReadFieldRawById(context_, fid::kdmDspLanguageID), 1u) << c.what;
  }
}

TEST_F(FirstRunDefaultsTest, SavedFirstRunKeysAreAppliedAndMarkedAtOnce) {
  WriteFieldRawById(context_, fid::kdmLanguageID, 1);
  WriteFieldRawById(context_, fid::kdmLocaleID, 1);
  WriteFieldRawById(context_, fid::kdmDspUnit, 1);
  WriteFieldRawById(context_, fid::kdmLogCodeUse, 1);
  SetFieldString(context_, FindFieldById(context_, fid::kdmLogCode), u"1234", 9);
  SaveFirstRunKeys(u"First Run", context_);
  EXPECT_EQ(Key(u"DefPaper"), u"1");
  EXPECT_EQ(Key(u"DefUnit"), u"1");
  EXPECT_EQ(Key(u"UserCode"), u"1");
  EXPECT_EQ(Key(u"UserCodeString"), u"1234");
  EXPECT_EQ(Key(u"KovaInstDone"), u"1");
  EXPECT_EQ(context_->work->defaultPaper, 1);
  EXPECT_EQ(std::u16string(context_->work->userCode), u"1234");

  SaveUserCodeFirstRunKeys(u"First Run", 2, context_);
  EXPECT_EQ(Key(u"UserCode"), u"0");
  EXPECT_EQ(Key(u"UserCodeFIX"), u"0");
  EXPECT_EQ(Key(u"UserCodeString"), u"");
}

}  // namespace
}  // namespace kovatest
