#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "context_fixture.h"
#include "fields/field_access.h"
#include "fields/field_table.h"
#include "base/file_names.h"
#include "base/paths_and_names.h"
#include "fields/product_record.h"
#include "base/settings_dirs.h"
#include "field_ids.h"
#include "plat/system.h"
#include "stored/default_section.h"
#include "model/free_size_list.h"
#include "stored/installed_presets.h"
#include "stored/list_sections.h"
#include "stored/preset_list.h"
#include "stored/settings_file.h"
#include "stored/settings_load_save.h"
#include "stored/settings_package.h"
#include "stored/stamp_list.h"
#include "win/files.h"
#include "win/profile.h"

namespace kovatest {
namespace {

std::u16string Serial(const char16_t* text) { return std::u16string(text, text + kPackageSerialChars); }

TEST(PackageSerials, TimeValueDigitsAndSteps) {
  SYSTEMTIME t{};
  t.wYear = 2026;
  t.wMonth = 12;
  t.wDay = 9;
  t.wHour = 2;
  t.wMinute = 30;
  t.wSecond = 15;
  EXPECT_EQ(PackageTimeValue(t), 1830047415u);
  WCHAR serial[kPackageSerialChars + 1] = {};
  MakePackageSerial(1830047415u, serial);
  EXPECT_EQ(Serial(serial), u"U9K9MF");
  // Values beyond six digits wrap rather than widen the name.
  MakePackageSerial(0xFFFFFFFFu, serial);
  EXPECT_EQ(Serial(serial), u"Z141Z3");
  EXPECT_EQ(serial[kPackageSerialChars], 0);

  struct Step {
    const char16_t* from;
    const char16_t* advanced;
  } steps[] = {{u"000000", u"000001"}, {u"000009", u"00000A"}, {u"00000Z", u"000010"},
               {u"0AZZZZ", u"0B0000"}, {u"ZZZZZZ", u"000000"}, {u"U9K9MF", u"U9K9MG"}};
  for (const Step& s : steps) {
    WCHAR text[kPackageSerialChars + 2] = {};
    std::memcpy(text, s.from, kPackageSerialChars * sizeof(WCHAR));
    text[kPackageSerialChars] = u'1';
    AdvancePackageSerial(text);
    EXPECT_EQ(Serial(text), s.advanced);
    EXPECT_EQ(text[kPackageSerialChars], u'1');  // the character after the serial stays
    RetreatPackageSerial(text);
    EXPECT_EQ(Serial(text), s.from);
  }
}

class SettingsPackage : public ContextTest {
 protected:
  void SetUp() override {
    ContextTest::SetUp();
    root_.WriteFile(u"C:\\_kova\\keep.txt", "");
    root_.WriteFile(u"C:\\Users\\me\\keep.txt", "");
    SYSTEMTIME t{};
    t.wYear = 2026;
    t.wMonth = 12;
    t.wDay = 9;
    t.wHour = 2;
    t.wMinute = 30;
    t.wSecond = 15;
    plat::SetTestLocalTime(t);
    StartContext(u"Office");
    ini_ = GetUserIniPath(ctx_);
    language_ = ListLanguageSection(ctx_);
    section_ = GetPrinterSectionName(ctx_);
    WCHAR dir[261] = {};
    ASSERT_GT(GetSettingsRoot(dir, 261, ctx_), 0u);
    settingsRoot_ = dir;
    ASSERT_GT(GetSettingsDir(dir, 261, ctx_), 0u);
    settingsDir_ = dir;
  }
  void TearDown() override {
    for (DriverContext* c : extra_) ReleaseContext(c, CTXR_DESTROY);
    ContextTest::TearDown();
  }
  std::u16string Get(const std::u16string& file, const std::u16string& section, const char16_t* key) {
    WCHAR value[300] = {};
    GetPrivateProfileStringW(section.c_str(), key, u"<missing>", value, 300, file.c_str());
    return value;
  }
  void Put(const std::u16string& file, const std::u16string& section, const char16_t* key, const char16_t* value) {
    ASSERT_TRUE(WritePrivateProfileStringW(section.c_str(), key, value, file.c_str()));
  }
  SettingField* PresetNumberField() {
    for (int i = 0; i < ctx_->fields.count; ++i) {
      SettingField& f = ctx_->fields.records[i];
      if (MarkOf(f.marks, 1) != 0 && MarkOf(f.marks, 3) == 0 && IsNumberFieldCode(FieldCodeOf(f.type)) &&
          FieldSizeOf(f.type) >= 2 && f.id > 40 && f.id < 690 && GetFieldAddress(ctx_, &f) && f.side && f.side->name)
        return &f;
    }
    return nullptr;
  }
  std::vector<BYTE> Settings(DriverContext* c) { return {c->settings, c->settings + GetSettingsBufferSize()}; }
  static bool Exists(const std::u16string& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

  std::vector<DriverContext*> extra_;
  std::u16string ini_, language_, section_, settingsRoot_, settingsDir_;
};

TEST_F(SettingsPackage, PackageNameCarriesTimeSerialAndFileName) {
  WCHAR main[MAX_PATH] = {};
  ASSERT_EQ(MakePackageFileName(u"C:\\Users\\me\\mine.kst", main, ctx_), 1);
  const std::u16string directory = settingsRoot_ + u"\\kova\\20261209023015mine";
  EXPECT_EQ(std::u16string(main), directory + u"\\KU9K9MF1.ksb");
  EXPECT_TRUE(Exists(directory));
  // A long file name is cut so that the whole path fits.
  const std::u16string longName = u"C:\\Users\\me\\" + std::u16string(240, u'n') + u".kst";
  ASSERT_EQ(MakePackageFileName(longName.c_str(), main, ctx_), 1);
  EXPECT_LT(std::u16string(main).size(), static_cast<std::size_t>(MAX_PATH));
  EXPECT_EQ(std::u16string(FindFileName(main)), u"KU9K9MF1.ksb");
}

TEST_F(SettingsPackage, ExportedPackageSetsUpAFreshPrinterAlike) {
  SettingField* field = PresetNumberField();
  ASSERT_NE(field, nullptr);
  const char16_t* titles[] = {u"Zero", u"One"};
  for (int i = 0; i < 2; ++i) {
    const std::u16string file = u"C:\\Users\\me\\p" + std::u16string(1, static_cast<char16_t>(u'0' + i)) + u".kst";
    Put(ini_, section_, (u"PresetList" + std::u16string(1, static_cast<char16_t>(u'0' + i))).c_str(), file.c_str());
    WriteFieldRaw(ctx_, field, static_cast<DWORD>(2 + i));
    SetFieldString(ctx_, FindFieldById(ctx_, fid::wdmPresetName), titles[i]);
    SavePresetByIndex(ctx_, i);
  }
  Put(ini_, section_, u"Count", u"2");
  Put(u"C:\\Users\\me\\p1.kst", u"condition", u"ConditionOption0_0", u"SOMETHING");
  for (int i = 0; i < kFreeSizeEntries; ++i) {
    SetFieldString(ctx_, FindFieldById(ctx_, fid::wdmFreeSizeName), u"Size");
    WriteFieldRawById(ctx_, fid::wdmFreeSizeWidth, 5000u + static_cast<DWORD>(i));
    WriteFieldRawById(ctx_, fid::wdmFreeSizeLength, 6000);
    WriteFreeSizeSection(ctx_, i);
  }
  SaveStamp(ctx_, 0);
  WriteFieldRaw(ctx_, field, 9);

  const std::u16string user = u"C:\\Users\\me\\mine.kst";
  WCHAR main[MAX_PATH] = {};
  ASSERT_EQ(MakePackageFileName(user.c_str(), main, ctx_), 1);
  ASSERT_EQ(SaveSettingsFile(printer_, main, SFT_LANGSECTION, ctx_), 1);
  const std::vector<BYTE> before = Settings(ctx_);
  ASSERT_EQ(ExportSettingsPackage(user.c_str(), main, ctx_), 1);
  EXPECT_EQ(Settings(ctx_), before);

  const std::u16string package = main;
  const std::u16string directory = package.substr(0, package.rfind(u'\\') + 1);
  const std::u16string list = u"C:\\Users\\me\\mine.lst";
  EXPECT_EQ(Get(list, u"ScenarioInstallData", u"VANTEKOVADriverFileList"), u"1");
  EXPECT_EQ(Get(list, u"ScenarioInstallData", u"DefaultKst"), package);
  EXPECT_EQ(Get(list, u"ScenarioInstallData", u"OtherFiles1"), directory + u"KU9K9MF0.ksd");
  EXPECT_EQ(Get(list, u"ScenarioInstallData", u"OtherFiles2"), directory + u"KU9K9MF1.ksd");
  EXPECT_EQ(Get(list, u"ScenarioInstallData", u"OtherFiles3"), u"<missing>");
  EXPECT_EQ(Get(list, u"ScenarioInstallData", u"DriverType"), u"KOVA");
  EXPECT_EQ(Get(user, u"ScenarioInstallData", u"DrvInst"), std::u16string(GetModelName(ctx_)));
  EXPECT_EQ(Get(package, language_, u"NumDeficonfiles"), u"2");
  EXPECT_EQ(Get(package, language_, u"Deficonfiles2"), u"%sysdir%KU9K9MF1.ksd");
  EXPECT_EQ(Get(package, language_, u"NumDefqualityfiles"), u"0");
  EXPECT_EQ(Get(package, language_, u"FreeSizeCount"), u"10");
  EXPECT_EQ(Get(package, language_, u"StampCount"), u"1");
  EXPECT_EQ(Get(package, u"FreeSize9" + language_, u"wdmFreeSizeWidth"), u"5009");
  EXPECT_EQ(Get(package, u"ScenarioInstallData", u"DefaultKstName"), user);
  EXPECT_EQ(Get(directory + u"KU9K9MF1.ksd", language_, u"setname"), u"One");
  EXPECT_EQ(Get(directory + u"KU9K9MF1.ksd", language_, field->side->name), u"3");
  EXPECT_EQ(Get(directory + u"KU9K9MF1.ksd", u"condition", u"ConditionOption0_0"), u"SOMETHING");

  // A fresh printer: no lists of its own. The install side copies the listed files into
  // the settings directory and registers the package's presets.
  ASSERT_TRUE(DeleteFileW(ini_.c_str()));
  HANDLE other = Install(u"Branch");
  DriverContext* second = Create(other);
  ASSERT_NE(second, nullptr);
  extra_.push_back(second);
  WCHAR names[4][MAX_PATH] = {};
  ASSERT_EQ(ReadPackageFileNames(list.c_str(), names, 4, second), 3);
  for (int i = 1; i < 3; ++i) {
    const std::u16string target = settingsDir_ + u"\\" + FindFileName(names[i]);
    ASSERT_TRUE(CopyFileW(names[i], target.c_str(), FALSE));
  }
  // The conditions travel with the preset: with no condition option in the model they hold.
  RegisterInstalledPresets(package.c_str(), language_.c_str(), RIP_REGISTER | RIP_CONDITIONS | RIP_INSTALL, second, 0,
                           nullptr);
  ASSERT_EQ(GetPresetCount(second), 2);
  SettingField* secondField = FindFieldById(second, field->id);
  for (int i = 0; i < 2; ++i) {
    ApplyPresetByIndex(second, i);
    EXPECT_EQ(ReadFieldRaw(second, secondField), static_cast<DWORD>(2 + i)) << i;
    WCHAR name[40] = {};
    GetFieldString(second, FindFieldById(second, fid::wdmPresetName), name, 40);
    EXPECT_EQ(std::u16string(name), titles[i]);
  }
  // The package's own settings load into the fresh printer as they were saved.
  WriteFieldRaw(second, secondField, 1);
  LoadSettingsFile(other, package.c_str(), SFT_IMPORT, second);
  EXPECT_EQ(ReadFieldRaw(second, secondField), 9u);

  // Deleting the user's file removes the package and the list.
  EXPECT_EQ(DeletePackage(user.c_str(), ctx_), 1);
  EXPECT_FALSE(Exists(package));
  EXPECT_FALSE(Exists(directory.substr(0, directory.size() - 1)));
  EXPECT_FALSE(Exists(list));
}

TEST_F(SettingsPackage, AHostileListFileDeletesNothingOutsideItsPackage) {
  const std::u16string kova = settingsRoot_ + u"\\kova";
  root_.WriteFile(u"C:\\Users\\me\\victim\\keep.txt", "keep");
  root_.WriteFile(kova + u"\\keep.txt", "keep");
  root_.WriteFile(kova + u"\\pkg\\inner\\keep.txt", "keep");
  const std::u16string victims[] = {u"C:\\Users\\me\\victim\\keep.txt", kova + u"\\keep.txt",
                                    kova + u"\\pkg\\inner\\keep.txt"};
  const std::u16string hostile[] = {
      u"C:\\Users\\me\\victim\\x.ksb",
      kova + u"\\..\\..\\Users\\me\\victim\\x.ksb",
      kova + u"\\x.ksb",
      kova + u"\\pkg\\inner\\x.ksb",
      kova + u"\\..\\x.ksb",
      kova + u"\\.\\x.ksb",
      u"x.ksb",
      u"..\\victim\\x.ksb",
      kova + u"/pkg/x.ksb",
      u"",
  };
  const std::u16string list = u"C:\\Users\\me\\evil.lst";
  for (const std::u16string& target : hostile) {
    Put(list, u"ScenarioInstallData", u"DefaultKst", target.c_str());
    EXPECT_EQ(DeletePackage(u"C:\\Users\\me\\evil.kst", ctx_), 1);
    for (const std::u16string& victim : victims) EXPECT_TRUE(Exists(victim)) << std::string(victim.begin(), victim.end());
    EXPECT_FALSE(Exists(list));
  }
  // Other names of a list are kept only inside the package's own folder.
  root_.WriteFile(kova + u"\\pkg\\K0000001.ksb", "");
  Put(list, u"ScenarioInstallData", u"DefaultKst", (kova + u"\\pkg\\K0000001.ksb").c_str());
  Put(list, u"ScenarioInstallData", u"OtherFiles1", (kova + u"\\pkg\\K0000000.ksd").c_str());
  Put(list, u"ScenarioInstallData", u"OtherFiles2", (kova + u"\\pkg\\..\\keep.txt").c_str());
  Put(list, u"ScenarioInstallData", u"OtherFiles3", u"C:\\Users\\me\\victim\\keep.txt");
  Put(list, u"ScenarioInstallData", u"OtherFiles4", (kova + u"\\pkg\\inner\\keep.txt").c_str());
  Put(list, u"ScenarioInstallData", u"OtherFiles5", (kova + u"\\pkg\\K0000010.ksq").c_str());
  WCHAR names[8][MAX_PATH] = {};
  ASSERT_EQ(ReadPackageFileNames(list.c_str(), names, 8, ctx_), 3);
  EXPECT_EQ(std::u16string(names[1]), kova + u"\\pkg\\K0000000.ksd");
  EXPECT_EQ(std::u16string(names[2]), kova + u"\\pkg\\K0000010.ksq");
  // A package of its own is removed; nothing around it.
  EXPECT_EQ(DeletePackage(u"C:\\Users\\me\\evil.kst", ctx_), 1);
  EXPECT_FALSE(Exists(kova + u"\\pkg\\K0000001.ksb"));
  for (const std::u16string& victim : victims) EXPECT_TRUE(Exists(victim));
  // Without a list file nothing happens.
  EXPECT_EQ(DeletePackage(u"C:\\Users\\me\\none.kst", ctx_), 1);
}

TEST_F(SettingsPackage, DefaultSectionIsMadeFromTheSettingsAndReadBack) {
  WCHAR section[261];
  MakeDefaultSectionName(ctx_, section);
  EXPECT_EQ(std::u16string(section), std::u16string(ctx_->work->printerName) + u".DefaultSection");
  EXPECT_EQ(ReadDefaultSection(ctx_), 0);
  WriteFieldRawById(ctx_, fid::dmCopies, 4);
  const std::vector<BYTE> before = Settings(ctx_);
  EXPECT_EQ(SaveDefaultSettings(ctx_), 1);
  EXPECT_EQ(Settings(ctx_), before);
  EXPECT_NE(Get(ini_, section, u"kdmMachineID"), u"<missing>");
  EXPECT_EQ(Get(ini_, section, u"dmCopies"), u"4");
  // The locked-defaults copy took the same content.
  EXPECT_EQ(ReadFieldRawInLockDefaults(ctx_, FindFieldById(ctx_, fid::dmCopies)), 4u);
  Put(ini_, section, u"dmCopies", u"6");
  WriteFieldRawById(ctx_, fid::dmCopies, 1);
  EXPECT_EQ(ReadDefaultSection(ctx_), 1);
  EXPECT_EQ(ReadFieldRawById(ctx_, fid::dmCopies), 6u);
  // With a section present it is preferred, and the settings stay as they are.
  WriteFieldRawById(ctx_, fid::dmCopies, 2);
  EXPECT_EQ(SaveDefaultSettings(ctx_), 1);
  EXPECT_EQ(ReadFieldRawById(ctx_, fid::dmCopies), 2u);
  EXPECT_EQ(Get(ini_, section, u"dmCopies"), u"6");
  EXPECT_EQ(ReadFieldRawInLockDefaults(ctx_, FindFieldById(ctx_, fid::dmCopies)), 6u);
}

TEST_F(SettingsPackage, ModelDatabaseEntryAndPrinterInformation) {
  EXPECT_EQ(GetModelDatabaseEntry(ctx_), nullptr);
  const std::u16string shared = GetSecondIniPath(ctx_);
  Put(shared, u"Models", GetModelName(ctx_), (std::u16string(40, u'm')).c_str());
  const WCHAR* entry = GetModelDatabaseEntry(ctx_);
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(std::u16string(entry), std::u16string(32, u'm'));
  Put(u"C:\\Users\\me\\a.ini", u"PrinterInformation", u"VANTEINFO", u"info text");
  EXPECT_TRUE(CopyPrinterInformation(u"C:\\Users\\me\\a.ini", u"C:\\Users\\me\\b.ini"));
  EXPECT_EQ(Get(u"C:\\Users\\me\\b.ini", u"PrinterInformation", u"VANTEINFO"), u"info text");
}

}  // namespace
}  // namespace kovatest
