// The driver package's second model INI copied into a printer's per-printer INI.
#include <gtest/gtest.h>

#include <string>

#include "context/context_create.h"
#include "base/ini_files.h"
#include "base/paths_and_names.h"
#include "model_ini_copy.h"
#include "panelis_fixture.h"
#include "win/files.h"

namespace kovatest {
namespace {

constexpr const char16_t* kSecondIni = u"C:\\drv\\Dorvale2.ini";

class ModelIniCopyTest : public SamplePrinterTest {
 protected:
  void SetUp() override {
    SamplePrinterTest::SetUp();
    printer_ = Install(u"Copy Target");
    DriverContext* context = Create(printer_);
    ASSERT_NE(context, nullptr);
    language_ = GetLanguageSectionName(context);
    ReleaseContext(context, CTXR_DESTROY);
    WCHAR path[MAX_PATH + 1] = {};
    GetIniPathInSettingsDirFor(path, 0, 0, printer_, nullptr);
    target_ = path;
    ASSERT_FALSE(target_.empty());
    CreateDirectoryW(target_.substr(0, target_.rfind(u'\\')).c_str(), nullptr);
  }
  void WriteSecondIni(const std::string& versionLine, bool marked) {
    const std::string l(language_.begin(), language_.end());
    std::string text = "[" + l + "]\r\n" + versionLine + "FreeSizeCount=1\r\nStampCount=1\r\n" +
                       "bIsBIDISupportForKOVA=1\r\n" + "[FreeSize0" + l +
                       "]\r\nKstVersion=322\r\nwdmFreeSizeName=Banner\r\nwdmFreeSizeWidth=2100\r\n" + "[Stamp0" + l +
                       "]\r\nkdmWmKind=1\r\nwdmWmChar=DRAFT\r\n" + "[PrinterInformation]\r\nVANTEINFO=Sample\r\n";
    if (marked) text += "[BatchInstallDone]\r\nBatchInstallDone=1\r\n";
    root_.WriteFile(kSecondIni, text);
  }
  std::u16string Target(const std::u16string& section, const WCHAR* key) {
    WCHAR value[64] = {};
    ReadIniString(section.c_str(), key, u"<none>", value, 64, target_.c_str());
    return value;
  }
  FILETIME WriteTime(const char16_t* path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExW(path, GetFileExInfoStandard, &data);
    return data.ftLastWriteTime;
  }
  HANDLE printer_ = nullptr;
  std::u16string language_;
  std::u16string target_;
};

TEST_F(ModelIniCopyTest, FullCopyOfANewPrinterBringsTheListsAndMarksThePackage) {
  WriteSecondIni("KstVersion=322\r\n", false);
  const FILETIME before = WriteTime(kSecondIni);
  ASSERT_EQ(CopyModelIniToPrinterIni(printer_, kModelIniFull, nullptr, nullptr, nullptr), 1);
  EXPECT_EQ(Target(language_, u"KstVersion"), u"322");
  EXPECT_EQ(Target(language_, u"FreeSizeCount"), u"1");
  EXPECT_EQ(Target(language_, u"bIsBIDISupportForKOVA"), u"1");
  EXPECT_EQ(Target(u"FreeSize0" + language_, u"wdmFreeSizeName"), u"Banner");
  EXPECT_EQ(Target(u"FreeSize0" + language_, u"KstVersion"), u"322");
  EXPECT_EQ(Target(u"Stamp0" + language_, u"wdmWmChar"), u"DRAFT");
  EXPECT_EQ(Target(u"PrinterInformation", u"VANTEINFO"), u"Sample");
  WCHAR done[8] = {};
  ReadIniString(u"BatchInstallDone", u"BatchInstallDone", u"", done, 8, kSecondIni);
  EXPECT_EQ(std::u16string(done), u"1");
  const FILETIME after = WriteTime(kSecondIni);
  EXPECT_EQ(CompareFileTime(&before, &after), 0) << "marking the package keeps its write time";
}

TEST_F(ModelIniCopyTest, WhatIsCopiedDependsOnTheModeTheTargetAndTheMark) {
  struct Case {
    const char* what;
    int mode;
    bool marked;
    std::string targetText;  // empty: no target file
    std::u16string freeSizeName;
    std::u16string version;
  };
  const std::string l(language_.begin(), language_.end());
  const Case cases[] = {
      {"full copy over a target of the same series keeps the user's lists", kModelIniFull, false,
       "[" + l + "]\r\nKstVersion=301\r\n[FreeSize0" + l + "]\r\nwdmFreeSizeName=Mine\r\n", u"Mine", u"301"},
      {"full copy over a target of another series replaces them", kModelIniFull, false,
       "[" + l + "]\r\nKstVersion=210\r\n[FreeSize0" + l + "]\r\nwdmFreeSizeName=Mine\r\n", u"Banner", u"322"},
      {"version-only copy takes the version and leaves the lists", kModelIniVersionOnly, false,
       "[" + l + "]\r\nKstVersion=210\r\n[FreeSize0" + l + "]\r\nwdmFreeSizeName=Mine\r\n", u"Mine", u"322"},
      {"version-only copy without a context skips a package already marked", kModelIniVersionOnly, true,
       "[" + l + "]\r\nKstVersion=210\r\n", u"<none>", u"210"},
  };
  for (const Case& c : cases) {
    WriteSecondIni("KstVersion=322\r\n", c.marked);
    DeleteFileW(target_.c_str());
    if (!c.targetText.empty()) root_.WriteFile(target_, c.targetText);
    EXPECT_EQ(CopyModelIniToPrinterIni(printer_, c.mode, nullptr, nullptr, nullptr), 1) << c.what;
    EXPECT_EQ(Target(u"FreeSize0" + language_, u"wdmFreeSizeName"), c.freeSizeName) << c.what;
    EXPECT_EQ(Target(language_, u"KstVersion"), c.version) << c.what;
  }
}

}  // namespace
}  // namespace kovatest
