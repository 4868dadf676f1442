#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "context_fixture.h"
#include "fields/change_flags.h"
#include "fields/devmode_header.h"
#include "fields/field_access.h"
#include "fields/field_table.h"
#include "base/paths_and_names.h"
#include "fields/product_record.h"
#include "field_ids.h"
#include "stored/settings_file.h"
#include "stored/settings_load_save.h"
#include "stored/stamp_list.h"
#include "win/devmode.h"
#include "plat/system.h"
#include "win/profile.h"

namespace kovatest {
namespace settings_load_save_test {
namespace {

constexpr const char16_t* kFile = u"C:\\Users\\me\\mine.kst";

class SettingsLoadSave : public ContextTest {
 protected:
  void SetUp() override {
    ContextTest::SetUp();
    root_.WriteFile(u"C:\\_kova\\keep.txt", "");
    root_.WriteFile(u"C:\\Users\\me\\keep.txt", "");
    // An installed printer holds a cleared "BidiFlag": its data can be written back.
    PrinterSpec spec;
    spec.data.push_back({u"PrinterDriverData", u"BidiFlag", plat::spooler::kRegBinary, {0, 0, 0, 0}});
    StartContext(u"Office", std::move(spec));
  }
  DWORD Raw(WORD id) { return ReadFieldRawById(ctx_, id); }
  void SetRaw(WORD id, DWORD value) { WriteFieldRawById(ctx_, id, value); }
  static std::u16string Value(const char16_t* section, const char16_t* key) {
    WCHAR value[300] = {};
    GetPrivateProfileStringW(section, key, u"<missing>", value, 300, kFile);
    return value;
  }
  std::u16string Cached() { return ctx_->work->printerName; }

};

TEST_F(SettingsLoadSave, PlainSaveWritesTheModelSectionAndLeavesTheSettings) {
  const std::u16string printerName = Cached();
  const std::u16string model = GetModelName(ctx_);
  ASSERT_FALSE(model.empty());
  SetRaw(fid::dmCopies, 7);
  const std::vector<BYTE> before(ctx_->settings, ctx_->settings + GetSettingsBufferSize());
  EXPECT_EQ(SaveSettingsFile(printer_, kFile, 0, ctx_), 1);
  EXPECT_NE(Value(model.c_str(), u"KstVersion"), u"<missing>");
  EXPECT_EQ(Value(model.c_str(), u"dmCopies"), u"7");
  if (model != printerName) {
    EXPECT_EQ(Value(printerName.c_str(), u"KstVersion"), u"<missing>");
  }
  EXPECT_EQ(std::vector<BYTE>(ctx_->settings, ctx_->settings + GetSettingsBufferSize()), before);
  EXPECT_EQ(Cached(), printerName);
}

TEST_F(SettingsLoadSave, FileOfTheModelLoadsOnAnotherPrinterOfTheModel) {
  SetRaw(fid::dmCopies, 9);
  ASSERT_EQ(SaveSettingsFile(printer_, kFile, 0, ctx_), 1);
  HANDLE other = Install(u"Branch");
  DriverContext* second = Create(other);
  ASSERT_NE(second, nullptr);
  WriteFieldRawById(second, fid::dmCopies, 1);
  const std::u16string name = second->work->printerName;
  // Empty text values count as missing keys, so the answer is not asserted here.
  LoadSettingsFile(other, kFile, 0, second);
  EXPECT_EQ(GetSettingsFileStatus(second), SFS_OK);
  EXPECT_EQ(ReadFieldRawById(second, fid::dmCopies), 9u);
  EXPECT_EQ(ReadFieldRawById(second, fid::kdmPresetNo) & 0xFFu, 255u);
  EXPECT_EQ(std::u16string(second->work->printerName), name);
  ReleaseContext(second, CTXR_DESTROY);
}

TEST_F(SettingsLoadSave, FileWithThePrintersSectionStillLoads) {
  const std::u16string printerName = Cached();
  // A section named after the printer, as files had before model sections.
  SetRaw(fid::dmCopies, 4);
  ASSERT_EQ(SaveSettingsFile(printer_, kFile, 0, ctx_), 1);
  std::string text = root_.ReadFile(kFile);
  const std::string modelSection = "[" + U8(GetModelName(ctx_)) + "]";
  ASSERT_EQ(text.find(modelSection), 0u);
  text.replace(0, modelSection.size(), "[" + U8(printerName) + "]");
  root_.WriteFile(kFile, text);
  SetRaw(fid::dmCopies, 2);
  LoadSettingsFile(printer_, kFile, 0, ctx_);
  EXPECT_EQ(Raw(fid::dmCopies), 4u);
  EXPECT_EQ(Raw(fid::kdmPresetNo) & 0xFFu, 255u);
  EXPECT_EQ(Cached(), printerName);
}

TEST_F(SettingsLoadSave, MissingFileGivesZeroAndKeepsTheTransfersStatus) {
  SetRaw(fid::kdmPresetNo, 3);
  EXPECT_EQ(LoadSettingsFile(printer_, u"C:\\Users\\me\\none.kst", 0, ctx_), 0);
  EXPECT_NE(GetSettingsFileStatus(ctx_), SFS_OK);  // the transfer's status is kept
  EXPECT_EQ(Raw(fid::kdmPresetNo) & 0xFFu, 255u);   // and the follow-up ran
}

// A plain load keeps the stamp the file names when the stamp list holds it.
TEST_F(SettingsLoadSave, PlainLoadKeepsTheStampSelection) {
  SetRaw(fid::kdmFuncSelectWaterMark, 1);
  SetRaw(fid::kdmWmID, 3);
  SaveStamp(ctx_, 3);  // the list now holds entries 0 to 3
  ASSERT_EQ(SaveSettingsFile(printer_, kFile, 0, ctx_), 1);
  SetRaw(fid::kdmWmID, 0);
  LoadSettingsFile(printer_, kFile, 0, ctx_);
  EXPECT_EQ(Raw(fid::kdmFuncSelectWaterMark), 1u);
  EXPECT_EQ(Raw(fid::kdmWmID), 3u);
}

TEST_F(SettingsLoadSave, OldSystemKindForcesTheColourMatchingDefaults) {
  ASSERT_EQ(SaveSettingsFile(printer_, kFile, 0, ctx_), 1);
  WritePrivateProfileStringW(GetModelName(ctx_), u"dmICMMethod", u"3", kFile);
  WritePrivateProfileStringW(GetModelName(ctx_), u"kdmColorMatching", u"1", kFile);
  SetStateByte(ctx_, 707, 1);
  LoadSettingsFile(printer_, kFile, 0, ctx_);
  EXPECT_EQ(Raw(fid::dmICMMethod), 1u);
  EXPECT_EQ(Raw(28), 1u);
  EXPECT_EQ(Raw(fid::kdmColorMatching), 0u);
  EXPECT_EQ(Raw(fid::dmFields) & (DM_ICMMETHOD | DM_ICMINTENT | DM_MEDIATYPE), 0u);
  EXPECT_EQ(GetStateByte(ctx_, 707), 1u);
}

// Without the copy that undoes the pre-save work nothing is saved and nothing is touched.
TEST_F(SettingsLoadSave, SaveWithoutItsCopyLeavesTheSettingsAlone) {
  SetRaw(fid::dmCopies, 7);
  SetRaw(fid::dmPaperSize, 0);  // inconsistent with the form: the pre-save work derives it
  const std::vector<BYTE> before(ctx_->settings, ctx_->settings + GetSettingsBufferSize());
  plat::FailAllocationsOfSize(GetSettingsBufferSize());
  const int saved = SaveSettingsFile(printer_, kFile, 0, ctx_);
  plat::FailAllocationsOfSize(0);
  EXPECT_EQ(saved, 0);
  EXPECT_EQ(std::vector<BYTE>(ctx_->settings, ctx_->settings + GetSettingsBufferSize()), before);
  EXPECT_EQ(Value(GetModelName(ctx_), u"dmCopies"), u"<missing>");
}

TEST_F(SettingsLoadSave, CustomMediaIdsAreSavedAsPlainMediaAndKept) {
  ctx_->work->specialModelMask |= 1u;
  SetRaw(fid::kdmHidden2Func21, 0);
  SetRaw(fid::kdmMediaType, 1030);
  ASSERT_EQ(SaveSettingsFile(printer_, kFile, 0, ctx_), 1);
  EXPECT_EQ(Raw(fid::kdmMediaType), 1030u);
  EXPECT_NE(Value(GetModelName(ctx_), u"kdmMediaType"), u"1030");
  // Without the model bit the value goes as it is.
  ctx_->work->specialModelMask &= ~1u;
  ASSERT_EQ(SaveSettingsFile(printer_, kFile, 0, ctx_), 1);
  EXPECT_EQ(Value(GetModelName(ctx_), u"kdmMediaType"), u"1030");
}

TEST_F(SettingsLoadSave, ProtectAndRestorePutBackOnlyTheReplacedRows) {
  SetRaw(fid::kdmMediaType, 1025);
  SetRaw(fid::kdmCoverMediaType, 1041);
  ASSERT_EQ(ProtectCustomMediaValues(ctx_), 1);
  EXPECT_NE(Raw(fid::kdmMediaType), 1025u);
  EXPECT_EQ(Raw(fid::kdmCoverMediaType), 1041u);
  SetRaw(fid::kdmCoverMediaType, 5);
  RestoreCustomMediaValues(ctx_);
  EXPECT_EQ(Raw(fid::kdmMediaType), 1025u);
  EXPECT_EQ(Raw(fid::kdmCoverMediaType), 5u);
  RestoreCustomMediaValues(ctx_);  // nothing held: nothing changes
  EXPECT_EQ(Raw(fid::kdmMediaType), 1025u);
}

TEST_F(SettingsLoadSave, LanguageSectionSaveUsesTheLanguageCode) {
  SetRaw(fid::kdmLanguageID, 1);
  SetRaw(fid::dmCopies, 3);
  ASSERT_EQ(SaveSettingsFile(printer_, kFile, SFT_LANGSECTION, ctx_), 1);
  EXPECT_EQ(Value(u"us", u"dmCopies"), u"3");
}

}  // namespace
}  // namespace settings_load_save_test
}  // namespace kovatest
