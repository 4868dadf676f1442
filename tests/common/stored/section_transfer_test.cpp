#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "model_context.h"
#include "fields/change_flags.h"
#include "fields/field_access.h"
#include "fields/field_table.h"
#include "base/ini_files.h"
#include "model/module_dispatch.h"
#include "field_ids.h"
#include "stored/prn_section.h"
#include "stored/section_transfer.h"
#include "stored/settings_file.h"
#include "test_root.h"
#include "warning_boxes.h"
#include "plat/spooler_setup.h"
#include "win/profile.h"
#include "win/spool.h"

namespace kovatest {
namespace section_transfer_test {
namespace {

constexpr const char16_t* kFile = u"C:\\Users\\me\\mine.kst";
constexpr const char16_t* kSection = u"KOVA Sample";
constexpr const char16_t* kTextFile = u"C:\\_kova\\Fennict.txt";

class SectionTransfer : public ::testing::Test {
 protected:
  void SetUp() override {
    root_.WriteFile(u"C:\\Users\\me\\keep.txt", "");
    root_.WriteFile(u"C:\\_kova\\keep.txt", "");
    CopyText(m_.work().printerName, kSection);
    m_.SetRaw(fid::kdmLanguageID, 1);  // "us"
    UseWarningStrings(root_, ctx());
  }
  static void CopyText(WCHAR* target, const char16_t* text) {
    int i = 0;
    for (; text[i]; ++i) target[i] = text[i];
    target[i] = 0;
  }
  DriverContext* ctx() { return m_.ctx(); }
  // The first named number field from the id on.
  WORD FirstNamedNumber(WORD from) {
    for (int r = 0; r < ctx()->fields.count; ++r) {
      const SettingField& f = ctx()->fields.records[r];
      if (f.id >= from && f.side && f.side->name && IsNumberFieldCode(FieldCodeOf(f.type))) return f.id;
    }
    return 0;
  }
  // The keys of a section of a file, in file order.
  static std::vector<std::u16string> Keys(const char16_t* section, const char16_t* file = kFile) {
    std::vector<WCHAR> buffer(65536);
    GetPrivateProfileSectionW(section, buffer.data(), static_cast<DWORD>(buffer.size()), file);
    std::vector<std::u16string> keys;
    for (const WCHAR* p = buffer.data(); *p; p += std::char_traits<char16_t>::length(p) + 1) {
      std::u16string line(p);
      keys.push_back(line.substr(0, line.find(u'=')));
    }
    return keys;
  }
  static std::u16string Value(const char16_t* section, const char16_t* key, const char16_t* file = kFile) {
    WCHAR value[300] = {};
    GetPrivateProfileStringW(section, key, u"<missing>", value, 300, file);
    return value;
  }
  static bool Has(const std::vector<std::u16string>& keys, const char16_t* key) {
    for (const auto& k : keys)
      if (k == key) return true;
    return false;
  }
  void WriteHeader(DWORD version, DWORD machine, DWORD language) {
    const std::string body = "]\r\nKstVersion=" + std::to_string(version) +
                          "\r\nKstMachine=" + std::to_string(machine) + "\r\nKstLanguage=" + std::to_string(language) +
                          "\r\ndmCopies=7\r\ndmDefaultSource=260\r\n";
    // The same body under the printer's section and the language section (imports).
    root_.WriteFile(kFile, "[" + U8(kSection) + body + "[us" + body);
  }

  TempRoot root_;
  ModelContext m_;
};

TEST_F(SectionTransfer, PlainSaveThenPlainLoadRestoresTheSettings) {
  m_.SetRaw(fid::dmCopies, 3);
  m_.SetRaw(fid::dmOrientation, 2);
  m_.SetRaw(fid::kdmMediaType, 0x80000001u);
  m_.SetRaw(fid::kdmDstResolutionW, static_cast<DWORD>(-600));
  SetFieldString(ctx(), m_.field(fid::dmFormName), u"Letter Wide");
  m_.SetRaw(fid::kdmPresetNo, 4);
  ASSERT_TRUE(TransferSettingsSection(nullptr, kFile, SFT_SAVE, ctx()));
  EXPECT_EQ(GetSettingsFileStatus(ctx()), SFS_OK);

  const auto keys = Keys(kSection);
  ASSERT_GE(keys.size(), 5u);
  EXPECT_EQ(keys[0], u"KstVersion");
  EXPECT_EQ(keys[1], u"KstMachine");
  EXPECT_EQ(keys[2], u"KstLanguage");
  EXPECT_EQ(keys[3], u"KstOSKind");
  EXPECT_EQ(Value(kSection, u"KstVersion"), u"322");
  EXPECT_EQ(Value(kSection, u"KstMachine"), u"90");
  EXPECT_EQ(Value(kSection, u"kdmMediaType"), u"2147483649");
  EXPECT_EQ(Value(kSection, u"kdmDstResolutionW"), u"-600");
  for (const char16_t* left : {u"wdmAuthenticationPassword", u"wdmLock000Info", u"wdmWmLinePitch"})
    EXPECT_FALSE(Has(keys, left)) << U8(left);

  m_.SetRaw(fid::dmCopies, 1);
  m_.SetRaw(fid::dmOrientation, 1);
  m_.SetRaw(fid::kdmMediaType, 0);
  m_.SetRaw(fid::kdmDstResolutionW, 0);
  SetFieldString(ctx(), m_.field(fid::dmFormName), u"A4");
  ClearAllFieldChangeMarks(ctx());
  SetDirtyFlag(ctx(), 0);
  TransferSettingsSection(nullptr, kFile, SFT_LOAD, ctx());
  EXPECT_EQ(GetSettingsFileStatus(ctx()), SFS_OK);
  EXPECT_EQ(m_.Raw(fid::dmCopies), 3u);
  EXPECT_EQ(m_.Raw(fid::dmOrientation), 2u);
  EXPECT_EQ(m_.Raw(fid::kdmMediaType), 0x80000001u);
  EXPECT_EQ(m_.Signed(fid::kdmDstResolutionW), -600);
  WCHAR form[40];
  GetFieldString(ctx(), m_.field(fid::dmFormName), form, 40);
  EXPECT_EQ(std::u16string(form), u"Letter Wide");
  EXPECT_EQ(static_cast<BYTE>(m_.Raw(fid::kdmPresetNo)), 255);  // a plain load always ends on "no preset"
  EXPECT_EQ(GetFieldChangeMark(m_.field(fid::dmCopies)), 1);
  EXPECT_EQ(GetDirtyFlag(ctx()), 1);
  EXPECT_EQ(LastWarning(), 0u);
}

TEST_F(SectionTransfer, ASaveReplacesTheWholeSectionAndKeepsOthers) {
  root_.WriteFile(kFile, "[Other]\r\nA=1\r\n[" + U8(kSection) + "]\r\nStale=1\r\n");
  ASSERT_TRUE(TransferSettingsSection(nullptr, kFile, SFT_SAVE, ctx()));
  EXPECT_EQ(Value(kSection, u"Stale"), u"<missing>");
  EXPECT_EQ(Value(u"Other", u"A"), u"1");
}

TEST_F(SectionTransfer, BracketsInTheSectionNameBecomeCommas) {
  CopyText(m_.work().printerName, u"Desk [2]");
  ASSERT_TRUE(TransferSettingsSection(nullptr, kFile, SFT_SAVE | SFT_STAMP, ctx()));
  EXPECT_NE(root_.ReadFile(kFile).find("[Desk ,2,]"), std::string::npos);
  TransferSettingsSection(nullptr, kFile, SFT_LOAD | SFT_STAMP, ctx());
  EXPECT_EQ(GetSettingsFileStatus(ctx()), SFS_OK);
}

struct HeaderCase {
  const char* name;
  DWORD version, machine, language, flags;
  std::int32_t status;
  DWORD warning;
};

class HeaderCheck : public SectionTransfer, public ::testing::WithParamInterface<HeaderCase> {};

TEST_P(HeaderCheck, DecidesWhetherAnythingIsRead) {
  const HeaderCase& c = GetParam();
  WriteHeader(c.version, c.machine, c.language);
  m_.SetRaw(fid::dmCopies, 1);
  const BOOL result = TransferSettingsSection(nullptr, kFile, c.flags, ctx());
  if (c.status == SFS_HEADER_MISMATCH) {
    EXPECT_TRUE(result);  // a mismatch is no failure of the call
  }
  EXPECT_EQ(GetSettingsFileStatus(ctx()), c.status);
  EXPECT_EQ(m_.Raw(fid::dmCopies), c.status == SFS_OK ? 7u : 1u);
  EXPECT_EQ(LastWarning(), c.warning);
}

INSTANTIATE_TEST_SUITE_P(
    Files, HeaderCheck,
    ::testing::Values(HeaderCase{"Own", 322, 90, 1, SFT_LOAD, SFS_OK, 0},
                      HeaderCase{"SameSeries", 315, 90, 1, SFT_LOAD, SFS_OK, 0},
                      HeaderCase{"OtherSeries", 402, 90, 1, SFT_LOAD, SFS_HEADER_MISMATCH, 10023},
                      HeaderCase{"OtherMachine", 322, 91, 1, SFT_LOAD, SFS_HEADER_MISMATCH, 10023},
                      HeaderCase{"OtherLanguage", 322, 90, 3, SFT_LOAD, SFS_HEADER_MISMATCH, 10023},
                      HeaderCase{"Quiet", 322, 91, 1, SFT_LOAD | SFT_QUIET, SFS_HEADER_MISMATCH, 0},
                      HeaderCase{"QualitySilent", 322, 91, 1, SFT_LOAD | SFT_QUALITY, SFS_HEADER_MISMATCH, 0},
                      HeaderCase{"MissingKey", 0xFFFF, 90, 1, SFT_LOAD, SFS_HEADER_MISMATCH, 10023},
                      HeaderCase{"ImportIgnoresHeader", 999, 1, 0, SFT_LOAD | SFT_IMPORT, SFS_OK, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SectionTransfer, ImportLoadsReadTheLanguageSection) {
  root_.WriteFile(kFile, "[us]\r\ndmCopies=9\r\n[" + U8(kSection) + "]\r\ndmCopies=2\r\n");
  TransferSettingsSection(nullptr, kFile, SFT_LOAD | SFT_IMPORT, ctx());
  EXPECT_EQ(m_.Raw(fid::dmCopies), 9u);
}

TEST_F(SectionTransfer, PathsAndUnreadableFiles) {
  for (const char16_t* bad : {u"", u"mine.kst", u"\\\\server\\share\\x.kst"}) {
    SetSettingsFileStatus(ctx(), 7);
    EXPECT_FALSE(TransferSettingsSection(nullptr, bad, SFT_LOAD, ctx())) << U8(bad);
    EXPECT_EQ(GetSettingsFileStatus(ctx()), SFS_OK);
  }
  EXPECT_FALSE(TransferSettingsSection(nullptr, u"C:\\missing folder\\x.kst", SFT_LOAD, ctx()));
  EXPECT_EQ(GetSettingsFileStatus(ctx()), SFS_UNREADABLE);
  EXPECT_FALSE(TransferSettingsSection(nullptr, kFile, SFT_LOAD, nullptr));
}

TEST_F(SectionTransfer, LockedValuesMustMatchOnAPlainLoad) {
  WriteHeader(322, 90, 1);  // the file's dmDefaultSource is 260
  m_.SetRaw(fid::dmDefaultSource, 7);
  m_.SetRaw(fid::dmCopies, 1);
  m_.SetRaw(10419, 1);  // the tray lock
  EXPECT_FALSE(TransferSettingsSection(nullptr, kFile, SFT_LOAD, ctx()));
  EXPECT_EQ(GetSettingsFileStatus(ctx()), SFS_LOCKED_VALUE_DIFFERS);
  EXPECT_EQ(LastWarning(true), 12041u);
  EXPECT_EQ(m_.Raw(fid::dmCopies), 1u);
  // The same value passes; and without any lock bit the file loads whatever it holds.
  m_.SetRaw(fid::dmDefaultSource, 260);
  TransferSettingsSection(nullptr, kFile, SFT_LOAD, ctx());
  EXPECT_EQ(GetSettingsFileStatus(ctx()), SFS_OK);
  EXPECT_EQ(m_.Raw(fid::dmCopies), 7u);
  m_.SetRaw(10419, 0);
  m_.SetRaw(fid::dmDefaultSource, 7);
  TransferSettingsSection(nullptr, kFile, SFT_LOAD, ctx());
  EXPECT_EQ(GetSettingsFileStatus(ctx()), SFS_OK);
  EXPECT_EQ(m_.Raw(fid::dmDefaultSource), 260u);
}

TEST_F(SectionTransfer, NupKindUnderTheAllKindsLockTakesOneToFour) {
  m_.SetRaw(10421, 1);  // N-up lock
  m_.SetRaw(10422, 1);  // all N-up kinds
  m_.SetRaw(fid::kdmFuncSelectNup, 0);
  const std::u16string file = kFile;
  for (const auto& [text, pass] : std::vector<std::pair<const char16_t*, bool>>{
           {u"1", true}, {u"4", true}, {u"5", false}, {u"", false}}) {
    WriteIniString(kSection, u"kdmFuncSelectNup", u"0", file.c_str());
    WriteIniString(kSection, u"kdmNUPPOSTKind", text, file.c_str());
    EXPECT_EQ(CheckLockedFeatureValue(ctx(), kFile, kSection, u"kdmNUPPOSTKind", fid::kdmNUPPOSTKind),
              pass ? TRUE : FALSE)
        << U8(text);
  }
}

TEST_F(SectionTransfer, ResolutionLockNeedsAResolutionOption) {
  WriteIniString(kSection, u"kdmDstResolutionBoth", u"3", kFile);
  WriteIniString(kSection, u"kdmDstResolutionW", u"600", kFile);
  m_.SetRaw(fid::kdmDstResolutionBoth, 3);
  m_.SetRaw(fid::kdmDstResolutionW, 600);
  // Not locked: anything passes.
  EXPECT_TRUE(CheckLockedFeatureValue(ctx(), kFile, kSection, u"kdmDstResolutionBoth", fid::kdmDstResolutionBoth));
  m_.SetRaw(10425, 1);  // the resolution lock
  EXPECT_TRUE(CheckLockedFeatureValue(ctx(), kFile, kSection, u"kdmDstResolutionW", fid::kdmDstResolutionW));
  m_.SetRaw(fid::kdmDstResolutionW, 1200);
  EXPECT_FALSE(CheckLockedFeatureValue(ctx(), kFile, kSection, u"kdmDstResolutionW", fid::kdmDstResolutionW));
  // Without a resolution option in the model the combined resolution cannot be checked.
  EXPECT_FALSE(CheckLockedFeatureValue(ctx(), kFile, kSection, u"kdmDstResolutionBoth", fid::kdmDstResolutionBoth));
}

TEST_F(SectionTransfer, EmptyTextClearsOnlyTheFieldsWhoseEmptyValueCounts) {
  SetFieldString(ctx(), m_.field(fid::kdmCopyProtectChar), u"#");
  SetFieldString(ctx(), m_.field(fid::dmFormName), u"A4");
  root_.WriteFile(kFile, "[" + U8(kSection) + "]\r\nKstVersion=322\r\nKstMachine=90\r\nKstLanguage=1\r\n"
                                              "dmFormName=\r\nkdmCopyProtectChar=\r\n");
  EXPECT_FALSE(TransferSettingsSection(nullptr, kFile, SFT_LOAD, ctx()));  // most keys are missing
  WCHAR text[40];
  GetFieldString(ctx(), m_.field(fid::kdmCopyProtectChar), text, 40);
  EXPECT_EQ(std::u16string(text), u"");
  GetFieldString(ctx(), m_.field(fid::dmFormName), text, 40);
  EXPECT_EQ(std::u16string(text), u"A4");
}

TEST_F(SectionTransfer, StampAndFreeSizeSectionsHoldTheVersionAndTheirFields) {
  ASSERT_TRUE(TransferSettingsSection(nullptr, kFile, SFT_SAVE | SFT_STAMP, ctx()));
  auto keys = Keys(kSection);
  ASSERT_GE(keys.size(), 2u);
  EXPECT_EQ(keys[0], u"KstVersion");
  for (size_t i = 1; i < keys.size(); ++i) {
    std::u16string key = keys[i];
    bool stamp = false;
    for (int r = 0; r < ctx()->fields.count; ++r) {
      const SettingField& f = ctx()->fields.records[r];
      if (f.side && f.side->name && key == f.side->name) stamp = MarkOf(f.marks, 3) != 0;
    }
    EXPECT_TRUE(stamp) << U8(key);
  }

  ASSERT_TRUE(TransferSettingsSection(nullptr, kFile, SFT_SAVE | SFT_FREESIZE, ctx()));
  keys = Keys(kSection);
  EXPECT_EQ(keys, (std::vector<std::u16string>{u"KstVersion", u"wdmFreeSizeName", u"wdmFreeSizeWidth",
                                                u"wdmFreeSizeLength", u"wdmFreeSizeTray", u"wdmFreeSizeOrient"}));
  ASSERT_TRUE(TransferSettingsSection(nullptr, kFile, SFT_SAVE | SFT_CURFREESIZE, ctx()));
  EXPECT_EQ(Keys(kSection).size(), 5u);
  EXPECT_FALSE(Has(Keys(kSection), u"KstVersion"));
}

TEST_F(SectionTransfer, PresetSavesKeepWhatAPlainSaveLeavesOut) {
  ASSERT_TRUE(TransferSettingsSection(nullptr, kFile, SFT_SAVE | SFT_PRESET, ctx()));
  auto keys = Keys(kSection);
  EXPECT_TRUE(Has(keys, u"dmDeviceName"));
  EXPECT_TRUE(Has(keys, GetFieldName(ctx(), 207)));
  ASSERT_TRUE(TransferSettingsSection(nullptr, kFile, SFT_SAVE, ctx()));
  keys = Keys(kSection);
  EXPECT_TRUE(Has(keys, u"dmDeviceName"));  // a plain save still writes it: only a load leaves it
  EXPECT_FALSE(Has(keys, GetFieldName(ctx(), 207)));

  // A preset load reads only preset fields.
  root_.WriteFile(kFile, "[" + U8(kSection) + "]\r\nKstVersion=322\r\nKstMachine=90\r\nKstLanguage=1\r\n"
                                              "dmCopies=5\r\ndmDefaultSource=9\r\n");
  m_.SetRaw(fid::dmCopies, 1);
  TransferSettingsSection(nullptr, kFile, SFT_LOAD | SFT_PRESET, ctx());
  EXPECT_EQ(m_.Raw(fid::dmDefaultSource), 9u);  // 13 is a preset field
  EXPECT_EQ(m_.Raw(fid::dmCopies), 1u);         // 12 is not
}

TEST_F(SectionTransfer, PlainSaveRewritesThePrinterSectionOfTheTextFile) {
  m_.SetRaw(fid::kdmFontTableNum, 3);
  m_.SetRaw(10002, 1);  // kdmLogCodeUse
  ASSERT_TRUE(TransferSettingsSection(nullptr, kFile, SFT_SAVE, ctx()));
  const auto keys = Keys(kPrnSectionName, kTextFile);
  EXPECT_FALSE(keys.empty());
  for (WORD id : {10001, 10002, 10003}) EXPECT_FALSE(Has(keys, GetFieldName(ctx(), id))) << id;
  EXPECT_EQ(Value(kPrnSectionName, u"kdmFontTableNum", kTextFile), u"0");
  EXPECT_EQ(m_.Raw(fid::kdmFontTableNum), 3u);
  // Loading the section takes the printer-side values but keeps the printer's own font lists.
  const WORD id = FirstNamedNumber(10012);
  ASSERT_NE(id, 0);
  EXPECT_EQ(Value(kPrnSectionName, GetFieldName(ctx(), id), kTextFile), u"0");
  WriteIniString(kPrnSectionName, GetFieldName(ctx(), id), u"1", kTextFile);
  LoadPrnSection(kTextFile, 0, ctx());
  EXPECT_EQ(m_.Raw(id), 1u);
  EXPECT_EQ(m_.Raw(fid::kdmFontTableNum), 3u);
}

// A field that holds a handle of this process's block table is never written to a file nor
// taken from one: the value means nothing to another context.
TEST_F(SectionTransfer, HandleFieldsNeitherLeaveNorEnterTheTextFile) {
  m_.SetRaw(fid::kdmInstOptionFont, 77);
  ASSERT_TRUE(TransferSettingsSection(nullptr, kFile, SFT_SAVE, ctx()));
  const char16_t* name = GetFieldName(ctx(), fid::kdmInstOptionFont);
  ASSERT_NE(name, nullptr);
  EXPECT_EQ(Value(kPrnSectionName, name, kTextFile), u"<missing>");
  WriteIniString(kPrnSectionName, name, u"12345", kTextFile);
  LoadPrnSection(kTextFile, 0, ctx());
  EXPECT_EQ(m_.Raw(fid::kdmInstOptionFont), 77u);
  m_.SetRaw(fid::kdmInstOptionFont, 0);
}

// Text with line breaks cannot end its line and inject a key: the breaks are written as
// spaces, and a reload gives the one line back without the injected value.
TEST_F(SectionTransfer, LineBreaksInTextCannotInjectKeys) {
  const DWORD font = m_.Raw(fid::wdmHFFont);
  SetFieldString(ctx(), m_.field(fid::wdmPresetComment), u"first line\r\nwdmHFFont=77\r\nsecond");
  ASSERT_TRUE(TransferSettingsSection(nullptr, kFile, SFT_SAVE, ctx()));
  SetFieldString(ctx(), m_.field(fid::wdmPresetComment), u"");
  TransferSettingsSection(nullptr, kFile, SFT_LOAD, ctx());
  WCHAR text[300] = {};
  GetFieldString(ctx(), m_.field(fid::wdmPresetComment), text, 300);
  const std::u16string comment(text);
  EXPECT_EQ(comment.find(u'\r'), std::u16string::npos);
  EXPECT_EQ(comment.find(u'\n'), std::u16string::npos);
  EXPECT_EQ(comment.substr(0, 10), u"first line");
  EXPECT_EQ(m_.Raw(fid::wdmHFFont), font);
  // The direct road of one key sanitises in the same way.
  WriteIniString(u"S", u"K", u"a\rB=1\nc", kFile);
  EXPECT_EQ(Value(u"S", u"K"), u"a B=1 c");
  EXPECT_EQ(Value(u"S", u"B"), u"<missing>");
}

TEST_F(SectionTransfer, ExtendedSettingsMoveOnlyTheAuthenticationModesAndLocks) {
  m_.SetRaw(10354, 1);  // one bit of a word
  m_.SetRaw(10419, 1);  // a lock bit: 10386 is written as 1 and keeps its own value
  m_.SetRaw(fid::kdmLockInfoLockInfo, 0);
  ASSERT_TRUE(TransferExtendedSettings(kFile, SFT_SAVE, ctx(), 10001, 10434));
  const auto keys = Keys(kSection);
  std::set<WORD> written;
  for (const auto& key : keys)
    for (WORD id = 10001; id <= 10434; ++id)
      if (const WCHAR* name = GetFieldName(ctx(), id); name && key == name) written.insert(id);
  for (WORD id : written)
    EXPECT_TRUE(id == 10354 || id == 10355 || id == 10386 || (id >= 10418 && id <= 10434)) << id;
  EXPECT_TRUE(written.count(10354) && written.count(10386) && written.count(10419));
  EXPECT_EQ(Value(kSection, GetFieldName(ctx(), fid::kdmLockInfoLockInfo)), u"1");
  EXPECT_EQ(m_.Raw(fid::kdmLockInfoLockInfo), 0u);

  // A load takes the authentication modes only, for a printer whose data can be written;
  // other flags move nothing.
  plat::spooler::PrinterSetup setup;
  setup.name = u"Office";
  setup.driver.name = u"KOVA Sample Driver";
  setup.data.push_back({u"PrinterDriverData", u"BidiFlag", plat::spooler::kRegBinary, {0, 0, 0, 0}});
  ASSERT_EQ(plat::spooler::InstallPrinter(setup), 0u);
  PRINTER_DEFAULTSW access{nullptr, nullptr, PRINTER_ALL_ACCESS};
  ASSERT_TRUE(OpenPrinterW(const_cast<LPWSTR>(u"Office"), &ctx()->hPrinter, &access));
  m_.SetRaw(10354, 0);
  m_.SetRaw(10419, 0);
  EXPECT_TRUE(TransferExtendedSettings(kFile, SFT_LOAD, ctx(), 10001, 10434));
  EXPECT_EQ(m_.Raw(10354), 1u);
  EXPECT_EQ(m_.Raw(10419), 0u);
  m_.SetRaw(10354, 0);
  EXPECT_TRUE(TransferExtendedSettings(kFile, SFT_LOAD | SFT_QUIET, ctx(), 10001, 10434));
  EXPECT_EQ(m_.Raw(10354), 0u);
  EXPECT_FALSE(TransferExtendedSettings(u"x.kst", SFT_LOAD, ctx(), 10001, 10434));
  ClosePrinter(ctx()->hPrinter);
  ctx()->hPrinter = nullptr;
}

TEST_F(SectionTransfer, KsdSectionHoldsTheHeaderAndPresetFields) {
  ASSERT_TRUE(SaveKsdSection(nullptr, kFile, SFT_SAVE, ctx()));
  const auto keys = Keys(kKsdSectionName, kTextFile);
  ASSERT_GE(keys.size(), 5u);
  EXPECT_EQ(keys[3], u"KstOSKind");
  for (size_t i = 4; i < keys.size(); ++i) {
    bool preset = false;
    for (int r = 0; r < ctx()->fields.count; ++r) {
      const SettingField& f = ctx()->fields.records[r];
      if (f.side && f.side->name && keys[i] == f.side->name) preset = MarkOf(f.marks, 1) != 0;
    }
    EXPECT_TRUE(preset) << U8(keys[i]);
  }
  EXPECT_EQ(std::u16string(m_.work().printerName), kSection);  // the swapped name is back
  EXPECT_EQ(Keys(kSection).size(), 0u);                        // the caller's file is untouched
}

TEST_F(SectionTransfer, InstallSectionGoesToTheModelsDefaultFile) {
  CopyText(m_.work().secondIniPath, u"C:\\drv\\KOVA2.INI");
  CopyText(m_.work().driverDirectory, u"C:\\drv");
  root_.WriteFile(u"C:\\drv\\KOVA2.INI", "[us]\r\nDefaultKst=KOVAus.ksd\r\n");
  m_.SetRaw(10002, 1);
  ASSERT_TRUE(WriteInstallSettingsSection(ctx()));
  const auto keys = Keys(u"us", u"C:\\drv\\KOVAus.ksd");
  ASSERT_GE(keys.size(), 5u);
  EXPECT_EQ(keys[0], u"KstVersion");
  EXPECT_FALSE(Has(keys, GetFieldName(ctx(), 10002)));  // log-code fields stay out of text files
  EXPECT_TRUE(Has(keys, GetFieldName(ctx(), fid::kdmFontTableNum)));
  // Without the key nothing is written, and that is no failure.
  root_.WriteFile(u"C:\\drv\\KOVA2.INI", "");
  EXPECT_TRUE(WriteInstallSettingsSection(ctx()));
}

// A module that leaves dmCopies out and notes the end of each transfer.
struct Heard {
  DWORD flags = 0;
  std::u16string path;
  int transfers = 0;
};
Heard heard;
std::int32_t SkipCopies(DriverContext*, DWORD event, void* block, void*) {
  if (event == MODEV_SETTINGS_FIELD) {
    auto* e = static_cast<SettingsFieldEvent*>(block);
    if (e->field->id == fid::dmCopies) e->skip = 1;
  } else if (event == MODEV_SETTINGS_TRANSFERRED) {
    auto* e = static_cast<SettingsTransferEvent*>(block);
    heard.flags = e->flags;
    heard.path = e->path;
    ++heard.transfers;
  }
  return 0;
}

TEST_F(SectionTransfer, ModulesMaySkipFieldsAndHearOfTheTransfer) {
  ExtensionModule module{0, nullptr, nullptr, nullptr, SkipCopies};
  ModuleList list{1, &module};
  m_.work().modules = &list;
  heard = {};
  ASSERT_TRUE(TransferSettingsSection(nullptr, kFile, SFT_SAVE | SFT_QUIET, ctx()));
  EXPECT_FALSE(Has(Keys(kSection), u"dmCopies"));
  EXPECT_TRUE(Has(Keys(kSection), u"dmOrientation"));
  EXPECT_EQ(heard.transfers, 1);
  EXPECT_EQ(heard.flags, SFT_SAVE | SFT_QUIET);
  EXPECT_EQ(heard.path, kFile);
  // A header mismatch ends the transfer before the modules hear of it.
  WriteHeader(322, 1, 1);
  TransferSettingsSection(nullptr, kFile, SFT_LOAD, ctx());
  EXPECT_EQ(heard.transfers, 1);
  m_.work().modules = nullptr;
}

TEST(SettingsFileText, SplitLinesAndVersionSeries) {
  std::u16string text = u"A=1\r\nB=2\n\r\nC=3";
  text.resize(text.size() + 2);
  const DWORD n = SplitLinesToMultiString(text.data(), 14);
  EXPECT_EQ(std::u16string(text.data(), n + 1), std::u16string(u"A=1\0B=2\0C=3\0\0", 13));
  EXPECT_TRUE(IsSameVersionSeries(300, 399));
  EXPECT_FALSE(IsSameVersionSeries(299, 300));
  EXPECT_TRUE(IsSameVersionSeries(0x10000 + 322, 322));  // taken as 16-bit numbers
}

}  // namespace
}  // namespace section_transfer_test
}  // namespace kovatest
