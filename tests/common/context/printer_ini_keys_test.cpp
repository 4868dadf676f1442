// The per-printer install keys copied into the printer's section of the per-printer INI.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "context_fixture.h"
#include "base/ini_files.h"
#include "base/install_services.h"
#include "base/paths_and_names.h"
#include "win/files.h"
#include "build_paths.h"

namespace kovatest {
namespace printer_ini_keys_test {
namespace {

std::string SampleModel() {
  std::ifstream in(kovatest::SourceDir() + "/samples/KOVA1.KMD", std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class PrinterIniKeysTest : public ContextTest {
 protected:
  void SetUp() override {
    ContextTest::SetUp();
    root_.WriteFile(kDataFile, SampleModel());
    root_.WriteFile(u"C:\\drv\\KOVAUIUS.rc", "");
    printer_ = Install(u"Keys Printer");
    context_ = Create(printer_);
    ASSERT_NE(context_, nullptr);
    ini_ = GetUserIniPath(context_);
    ASSERT_FALSE(ini_.empty());
    CreateDirectoryW(ini_.substr(0, ini_.rfind(u'\\')).c_str(), nullptr);
    language_ = GetLanguageSectionName(context_);
    ASSERT_FALSE(language_.empty());
  }
  void TearDown() override {
    ReleaseContext(context_, CTXR_DESTROY);
    ContextTest::TearDown();
  }
  std::u16string Key(const WCHAR* key) {
    WCHAR value[128] = {};
    ReadIniString(u"Keys Printer", key, u"<none>", value, 128, ini_.c_str());
    return value;
  }
  void SecondIni(const std::string& keys) {
    root_.WriteFile(u"C:\\drv\\Dorvale2.ini", "[" + std::string(language_.begin(), language_.end()) + "]\r\n" + keys);
  }
  HANDLE printer_ = nullptr;
  DriverContext* context_ = nullptr;
  std::u16string ini_;
  std::u16string language_;
};

TEST_F(PrinterIniKeysTest, TheModelKeysGoToThePrintersSection) {
  SecondIni("MergeKey=K1\r\nDrvDefJobMergePath=old\r\nDrvDefJobMergePath2k=C:\\merge\r\nDrvDefPreviewPath2k=C:\\pv\r\n");
  root_.WriteFile(ini_, "[Keys Printer]\r\nMergeKey=mine\r\nMergeSubKey=mine\r\n");
  ASSERT_EQ(CopyPrinterIniKeys(context_, 0, nullptr), 1);
  EXPECT_EQ(Key(u"MergeKey"), u"K1");
  EXPECT_EQ(Key(u"MergeSubKey"), u"") << "a key the model INI lacks is emptied";
  EXPECT_EQ(Key(u"DrvDefJobMergePath"), u"C:\\merge") << "the path keys have their own names per system";
  EXPECT_EQ(Key(u"DrvDefPreviewPath"), u"C:\\pv");
  EXPECT_EQ(Key(u"PresetRefresh"), u"0");
}

TEST_F(PrinterIniKeysTest, ModeTwoOnlyClearsWhatTheModelLeavesEmpty) {
  SecondIni("MergeKey=K1\r\n");
  root_.WriteFile(ini_, "[Keys Printer]\r\nMergeKey=mine\r\nMergeSubKey=mine\r\n");
  ASSERT_EQ(CopyPrinterIniKeys(context_, 2, nullptr), 1);
  EXPECT_EQ(Key(u"MergeKey"), u"mine");
  EXPECT_EQ(Key(u"MergeSubKey"), u"");
  EXPECT_EQ(Key(u"PresetRefresh"), u"1");
}

TEST_F(PrinterIniKeysTest, ValueModesSetOrDeleteTheirKeysOnly) {
  struct Case {
    int mode;
    const WCHAR* value;
    std::u16string defaultKst, batchInstKst;
  };
  const Case cases[] = {
      {1, u"C:\\a.ksb", u"C:\\a.ksb", u"B"},
      {3, u"C:\\b.ksb", u"C:\\b.ksb", u"C:\\b.ksb"},
      {4, u"C:\\c.ksb", u"D", u"C:\\c.ksb"},
      {4, nullptr, u"D", u"<none>"},
      {3, nullptr, u"<none>", u"<none>"},
  };
  for (const Case& c : cases) {
    root_.WriteFile(ini_, "[Keys Printer]\r\nDefaultKst=D\r\nBatchInstKst=B\r\nMergeKey=M\r\n");
    EXPECT_EQ(CopyPrinterIniKeys(context_, c.mode, c.value), 1) << c.mode;
    EXPECT_EQ(Key(u"DefaultKst"), c.defaultKst) << c.mode;
    EXPECT_EQ(Key(u"BatchInstKst"), c.batchInstKst) << c.mode;
    EXPECT_EQ(Key(u"MergeKey"), u"M") << c.mode;
  }
  EXPECT_EQ(CopyPrinterIniKeys(context_, 5, u"x"), 0);
  EXPECT_EQ(CopyPrinterIniKeys(nullptr, 1, u"x"), 0);
}

}  // namespace
}  // namespace printer_ini_keys_test
}  // namespace kovatest
