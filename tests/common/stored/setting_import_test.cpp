#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "context_fixture.h"
#include "fields/field_access.h"
#include "fields/field_table.h"
#include "base/paths_and_names.h"
#include "fields/product_record.h"
#include "base/settings_dirs.h"
#include "field_ids.h"
#include "model/model_load.h"
#include "stored/installed_presets.h"
#include "stored/list_sections.h"
#include "stored/preset_list.h"
#include "stored/setting_import.h"
#include "stored/settings_file.h"
#include "stored/settings_load_save.h"
#include "win/profile.h"

namespace kovatest {
namespace {

TEST(ConditionTokens, SplitNegationAndConnector) {
  struct Case {
    const char* text;
    const char* token;
    bool negate;
    char connector;
    int used;
  } cases[] = {
      {"  !A & B", "A", true, '&', 6},  {"A|B", "A", false, '|', 2},   {"\tA  ", "A", false, 0, 4},
      {"", "", false, 0, 0},            {"  ", "", false, 0, 2},       {"!", "", true, 0, 1},
      {"LONGNAME&", "LONGNAME", false, '&', 9},
  };
  for (const Case& c : cases) {
    char token[16];
    bool negate = false;
    char connector = 0;
    EXPECT_EQ(NextConditionToken(c.text, token, 16, &negate, &connector), c.used) << c.text;
    EXPECT_STREQ(token, c.token) << c.text;
    EXPECT_EQ(negate, c.negate) << c.text;
    EXPECT_EQ(connector, c.connector) << c.text;
  }
  // A token longer than its buffer comes back empty and marked.
  char token[4];
  bool negate = false, tooLong = false;
  char connector = 0;
  NextConditionToken("ABCDEFG", token, 4, &negate, &connector, &tooLong);
  EXPECT_TRUE(tooLong);
  EXPECT_STREQ(token, "");
}

// Tokens T (true), F (false), counted when looked at; anything else is unknown.
struct Tokens {
  std::map<std::string, int> values{{"T", 1}, {"F", 0}, {"T2", 1}, {"F2", 0}};
  int looked = 0;
  static int Value(const char* token, void* data) {
    auto* self = static_cast<Tokens*>(data);
    ++self->looked;
    auto found = self->values.find(token);
    return found == self->values.end() ? -1 : found->second;
  }
};

TEST(ConditionExpressions, LeftToRightWithShortcuts) {
  struct Case {
    const char* text;
    bool carried;
    int result;
    int looked;
  } cases[] = {
      {"T", false, 1, 1},
      {"!T", true, 0, 1},
      {"!F & T", true, 1, 2},
      {"F & T | T2", true, 0, 1},   // false before '&' ends the expression
      {"T & F | T2", true, 1, 3},   // the value of the last token
      {"T & F | F2", true, 0, 3},
      {"T | F", true, 1, 1},        // true before '|': F is not looked at
      {"F | T", true, 1, 2},
      {"", false, 0, 0},
      {"", true, 1, 0},
      {"T & UNKNOWN", true, -1, 2},  // an unknown condition disables the file
      {"!UNKNOWN", true, -1, 1},
  };
  for (const Case& c : cases) {
    Tokens tokens;
    EXPECT_EQ(EvaluateConditionExpression(c.text, c.carried, Tokens::Value, &tokens), c.result) << c.text;
    EXPECT_EQ(tokens.looked, c.looked) << c.text;
  }
  // A token too long for any key is unknown.
  Tokens tokens;
  const std::string huge(kConditionTextChars + 10, 'T');
  EXPECT_EQ(EvaluateConditionExpression(huge.c_str(), true, Tokens::Value, &tokens), -1);
}

class SettingImport : public ContextTest {
 protected:
  void SetUp() override {
    ContextTest::SetUp();
    root_.WriteFile(u"C:\\_kova\\keep.txt", "");
    root_.WriteFile(u"C:\\Users\\me\\keep.txt", "");
  }
  void Start(const char* model = nullptr) {
    if (model) root_.WriteFile(kDataFile, model);
    StartContext(u"Office");
    language_ = ListLanguageSection(ctx_);
    section_ = GetPrinterSectionName(ctx_);
    WCHAR dir[261] = {};
    ASSERT_GT(GetSettingsDir(dir, 261, ctx_), 0u);
    settingsDir_ = dir;
  }
  void Put(const std::u16string& file, const std::u16string& section, const char16_t* key, const char16_t* value) {
    ASSERT_TRUE(WritePrivateProfileStringW(section.c_str(), key, value, file.c_str()));
  }
  std::u16string Get(const std::u16string& file, const std::u16string& section, const char16_t* key) {
    WCHAR value[300] = {};
    GetPrivateProfileStringW(section.c_str(), key, u"<missing>", value, 300, file.c_str());
    return value;
  }
  // A preset field holding a number, to carry through files.
  SettingField* PresetNumberField() {
    for (int i = 0; i < ctx_->fields.count; ++i) {
      SettingField& f = ctx_->fields.records[i];
      if (MarkOf(f.marks, 1) != 0 && MarkOf(f.marks, 3) == 0 && IsNumberFieldCode(FieldCodeOf(f.type)) &&
          FieldSizeOf(f.type) >= 2 && f.id > 40 && f.id < 690 && GetFieldAddress(ctx_, &f) && f.side && f.side->name)
        return &f;
    }
    return nullptr;
  }
  std::vector<BYTE> Settings() { return {ctx_->settings, ctx_->settings + GetSettingsBufferSize()}; }

  std::u16string language_, section_, settingsDir_;
};

TEST_F(SettingImport, GroupsAreAllRequiredAndKeysOfAGroupAreAlternatives) {
  Start();
  const std::u16string file = u"C:\\Users\\me\\cond.ksd";
  struct Case {
    std::vector<std::pair<const char16_t*, const char16_t*>> keys;
    bool applies;
  } cases[] = {
      {{}, true},
      {{{u"ConditionOption0_0", u"F"}, {u"ConditionOption0_1", u"T"}}, true},
      {{{u"ConditionOption0_0", u"T"}, {u"ConditionOption1_0", u"F"}}, false},
      {{{u"ConditionOption3_0", u"F"}}, false},  // a later group alone is still evaluated
      {{{u"ConditionOption3_0", u"T"}}, true},
      {{{u"ConditionOption0_1", u"F"}}, true},    // a group without its first key is empty
      {{{u"ConditionOption0_0", u"T"}, {u"ConditionOption9_9", u"F"}, {u"ConditionOption9_0", u"T"}}, true},
      {{{u"ConditionOption0_0", u"NOSUCH | T"}}, false},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(WritePrivateProfileStringW(u"condition", nullptr, nullptr, file.c_str()));
    for (const auto& [key, value] : c.keys) Put(file, u"condition", key, value);
    Tokens tokens;
    EXPECT_EQ(EvaluateConditionGroups(file.c_str(), Tokens::Value, &tokens), c.applies) << c.keys.size();
  }
}

TEST_F(SettingImport, DisableNamesTheModel) {
  Start();
  const std::u16string file = u"C:\\Users\\me\\dis.ksd";
  const std::u16string model = GetModelName(ctx_);
  struct Case {
    const char16_t* key;
    const char16_t* value;
    BOOL enabled;
  } cases[] = {{model.c_str(), u"1", FALSE}, {model.c_str(), u"0", TRUE}, {u"Another Model", u"1", TRUE}};
  for (const Case& c : cases) {
    ASSERT_TRUE(WritePrivateProfileStringW(u"disable", nullptr, nullptr, file.c_str()));
    Put(file, u"disable", c.key, c.value);
    EXPECT_EQ(IsSettingFileEnabled(file.c_str(), ctx_), c.enabled);
  }
}

constexpr const char* kConditionModel = R"(*FileVersion: "9.02"
*OpenUI *KPD_ConditionOption: PickOne
*KPD_ConditionOption KDMORIENTATION_1: "one"
*KPD_ConditionOption KDMORIENTATION_2: "two"
*CloseUI
*OpenUI *KPD_IDC_FUNCSELECTSTAPLE: Boolean
*CloseUI
*Judge 1=StapleOn: KPD_IDC_FUNCSELECTSTAPLE == 1
*Judge 2=StapleOff: KPD_IDC_FUNCSELECTSTAPLE == 0
*Item 1: {{KDMORIENTATION_1 StapleOn NULL NULL} {KDMORIENTATION_2 StapleOff NULL NULL}}
*Exclusive: {
  {KPD_ConditionOption NULL NULL Item1 NULL NULL NULL NULL}
}
)";

TEST_F(SettingImport, ConditionTokensAskTheModelsConditionOption) {
  Start(kConditionModel);
  ASSERT_NE(ctx_->model, nullptr);
  const std::u16string file = u"C:\\Users\\me\\model.ksd";
  // Value 1 is disabled while stapling is on, value 2 while it is off.
  struct Case {
    const char16_t* expression;
    DWORD staple;
    BOOL applies;
  } cases[] = {
      {u"KDMORIENTATION_1", 1, TRUE},
      {u"KDMORIENTATION_1", 0, FALSE},
      {u"!KDMORIENTATION_2 & KDMORIENTATION_1", 1, TRUE},
      {u"!KDMORIENTATION_2 & KDMORIENTATION_1", 0, FALSE},
      {u"KDMORIENTATION_2 | KDMORIENTATION_1", 0, TRUE},
      {u"KDMORIENTATION_9_NOT_A_VALUE", 1, FALSE},
  };
  for (const Case& c : cases) {
    Put(file, u"condition", u"ConditionOption0_0", c.expression);
    WriteFieldRawById(ctx_, fid::kdmFuncSelectStaple, c.staple);
    EXPECT_EQ(EvaluateSettingFileConditions(file.c_str(), ctx_), c.applies);
  }
}

TEST_F(SettingImport, AModelWithoutTheConditionOptionAppliesEveryFile) {
  Start();
  const std::u16string file = u"C:\\Users\\me\\any.ksd";
  Put(file, u"condition", u"ConditionOption0_0", u"NOSUCH");
  EXPECT_TRUE(EvaluateSettingFileConditions(file.c_str(), ctx_));
}

TEST_F(SettingImport, ImportTurnsAShippedFileIntoAUserCopy) {
  Start();
  SettingField* field = PresetNumberField();
  ASSERT_NE(field, nullptr);
  const std::u16string source = u"C:\\Users\\me\\shipped.ksd";
  const std::u16string target = u"C:\\Users\\me\\shipped.ksr";
  Put(source, language_, field->side->name, u"2");
  Put(source, language_, u"Readonly", u"1");
  Put(source, u"condition", u"ConditionOption0_0", u"X & Y");
  Put(source, u"disable", u"Other", u"1");
  // The target's old conditions go.
  Put(target, u"condition", u"ConditionOption5_5", u"OLD");
  WriteFieldRaw(ctx_, field, 1);
  const std::vector<BYTE> before = Settings();
  EXPECT_EQ(ImportSettingFile(target.c_str(), source.c_str(), SFT_PRESET, ctx_), 1);
  EXPECT_EQ(Get(target, section_, field->side->name), u"2");
  EXPECT_EQ(Get(target, section_, u"KstVersion"), u"322");
  EXPECT_NE(Get(target, section_, u"KstMachine"), u"<missing>");
  EXPECT_EQ(Get(target, section_, u"Readonly"), u"1");
  EXPECT_EQ(Get(target, u"condition", u"ConditionOption0_0"), u"X & Y");
  EXPECT_EQ(Get(target, u"condition", u"ConditionOption5_5"), u"<missing>");
  EXPECT_EQ(Get(target, u"disable", u"Other"), u"1");
  EXPECT_EQ(Settings(), before);
  EXPECT_TRUE(HasSettingFileVersion(target.c_str(), ctx_));
  // A missing source imports nothing.
  EXPECT_EQ(ImportSettingFile(target.c_str(), u"C:\\Users\\me\\none.ksd", SFT_PRESET, ctx_), 0);
  EXPECT_EQ(Get(target, u"condition", u"ConditionOption0_0"), u"X & Y");
  // A section too large to copy whole is not cut: nothing is imported, the target stays.
  const std::u16string big = u"C:\\Users\\me\\big.ksd";
  std::string text = "[disable]\r\n";
  for (int i = 0; i < 3000; ++i) text += "Model" + std::to_string(i) + "=0\r\n";  // 36000 characters and more
  root_.WriteFile(big, text);
  Put(big, language_, field->side->name, u"3");
  EXPECT_EQ(ImportSettingFile(target.c_str(), big.c_str(), SFT_PRESET, ctx_), 0);
  EXPECT_EQ(Get(target, section_, field->side->name), u"2");
  EXPECT_EQ(Get(target, u"disable", u"Other"), u"1");
}

TEST_F(SettingImport, ShippedNamesExpandTheirMacros) {
  Start();
  const std::u16string driver = GetDriverDirectory(ctx_);
  struct Case {
    std::u16string name;
    std::u16string expanded;
  } cases[] = {
      {u"C:\\x\\a.ksd", u"C:\\x\\a.ksd"},
      {u".\\a.ksd", driver + u"a.ksd"},
      {u"a.ksd", driver + u"a.ksd"},
      {u"%SYSDIR%a.ksd", settingsDir_ + u"\\a.ksd"},
      {u"%windir%a.ksd", driver + u"a.ksd"},
  };
  for (const Case& c : cases) {
    WCHAR path[MAX_PATH] = {};
    std::memcpy(path, c.name.c_str(), (c.name.size() + 1) * sizeof(WCHAR));
    EXPECT_TRUE(ExpandAndCheckSettingFile(path, MAX_PATH, ctx_));
    EXPECT_EQ(std::u16string(path), c.expanded);
  }
  // A prefixed name of 260 characters or more is refused; a long result is not cut.
  WCHAR path[MAX_PATH * 2] = {};
  const std::u16string prefixed = u"%sysdir%" + std::u16string(300, u'a') + u".ksd";
  std::memcpy(path, prefixed.c_str(), (prefixed.size() + 1) * sizeof(WCHAR));
  EXPECT_FALSE(ExpandPathMacros(path, MAX_PATH * 2, 1, ctx_));
  const std::u16string plain = std::u16string(250, u'b') + u".ksd";
  std::memcpy(path, plain.c_str(), (plain.size() + 1) * sizeof(WCHAR));
  EXPECT_FALSE(ExpandPathMacros(path, MAX_PATH, 1, ctx_));
  WCHAR noExtension[MAX_PATH] = u"C:\\x\\abc.long";
  EXPECT_FALSE(ExpandAndCheckSettingFile(noExtension, MAX_PATH, ctx_));
}

TEST_F(SettingImport, InstalledPresetsRegisterWhatAppliesAndCopyIt) {
  Start();
  SettingField* field = PresetNumberField();
  ASSERT_NE(field, nullptr);
  const std::u16string install = u"C:\\Users\\me\\install.ini";
  const std::u16string section = u"Package";
  const std::u16string model = GetModelName(ctx_);
  struct Shipped {
    const char16_t* name;
    const char16_t* title;
    const char16_t* value;
    bool disabled;
  } shipped[] = {{u"first.ksd", u"First", u"2", false},
                 {u"hidden.ksd", u"Hidden", u"3", true},
                 {u"third.ksd", u"", u"4", false}};
  Put(install, section, u"NumDeficonfiles", u"4");  // the fourth is not listed
  int c = 1;
  for (const Shipped& s : shipped) {
    const std::u16string file = settingsDir_ + u"\\" + s.name;
    Put(file, language_, field->side->name, s.value);
    if (s.title[0]) Put(file, language_, u"setname", s.title);
    Put(file, language_, u"setcomment", u"shipped");
    if (s.disabled) Put(file, u"disable", model.c_str(), u"1");
    const std::u16string key = u"Deficonfiles" + std::u16string(1, static_cast<char16_t>(u'0' + c++));
    Put(install, section, key.c_str(), (u"%sysdir%" + std::u16string(s.name)).c_str());
  }
  WriteFieldRaw(ctx_, field, 1);
  const std::vector<BYTE> before = Settings();
  EXPECT_EQ(RegisterInstalledPresets(install.c_str(), section.c_str(), RIP_REGISTER | RIP_CONDITIONS | RIP_INSTALL,
                                     ctx_, 0, nullptr),
            1);
  EXPECT_EQ(GetPresetCount(ctx_), 2);
  const std::u16string ini = GetUserIniPath(ctx_);
  EXPECT_EQ(Get(ini, section_, u"PresetList0"), settingsDir_ + u"\\first.ksr");
  EXPECT_EQ(Get(ini, section_, u"PresetList0Name"), u"First");
  EXPECT_EQ(Get(ini, section_, u"PresetList1"), settingsDir_ + u"\\third.ksr");
  EXPECT_EQ(Get(ini, section_, u"PresetList1Name"), u"NoName");
  EXPECT_EQ(Get(settingsDir_ + u"\\first.ksr", section_, field->side->name), u"2");
  EXPECT_EQ(Get(install, section, u"DrvInstPresetDone"), u"1");
  EXPECT_EQ(Settings(), before);
  // A second run lists no copy twice.
  RegisterInstalledPresets(install.c_str(), section.c_str(), RIP_REGISTER | RIP_CONDITIONS | RIP_INSTALL, ctx_, 0,
                           nullptr);
  EXPECT_EQ(GetPresetCount(ctx_), 2);
  // Applying the registered preset brings its values.
  ApplyPresetByIndex(ctx_, 0);
  EXPECT_EQ(ReadFieldRaw(ctx_, field), 2u);
}

TEST_F(SettingImport, NoMoreThanSixteenPresetsAreRegistered) {
  Start();
  const std::u16string install = u"C:\\Users\\me\\many.ini";
  Put(install, u"P", u"NumDeficonfiles", u"20");
  for (int i = 1; i <= 20; ++i) {
    const std::u16string name = u"p" + std::u16string(1, static_cast<char16_t>(u'a' + i)) + u".ksd";
    Put(settingsDir_ + u"\\" + name, language_, u"setname", u"x");
    std::string key = "Deficonfiles" + std::to_string(i);
    Put(install, u"P", std::u16string(key.begin(), key.end()).c_str(), (u"%sysdir%" + name).c_str());
  }
  RegisterInstalledPresets(install.c_str(), u"P", RIP_REGISTER | RIP_CONDITIONS | RIP_INSTALL, ctx_, 0, nullptr);
  EXPECT_EQ(GetPresetCount(ctx_), kInstalledPresetLimit);
  // A list without a count, or with 0, registers nothing and answers 1.
  EXPECT_EQ(RegisterInstalledPresets(install.c_str(), u"Nothing", RIP_REGISTER | RIP_ADD, ctx_, 0, nullptr), 1);
}

TEST_F(SettingImport, TintBlockPageAdmitsOnlyStampFreeCopies) {
  Start();
  const std::u16string ksr = u"C:\\Users\\me\\a.ksr", ksd = u"C:\\Users\\me\\a.ksd", kst = u"C:\\Users\\me\\a.kst";
  Put(ksr, section_, u"kdmFuncSelectWaterMark", u"1");
  Put(ksd, language_, u"kdmFuncSelectWaterMark", u"0");
  struct Case {
    DWORD tint;
    const std::u16string* file;
    BOOL passes;
  } cases[] = {{0, &ksr, TRUE}, {0, &kst, TRUE}, {1, &ksr, FALSE}, {1, &ksd, TRUE}, {1, &kst, FALSE}};
  for (const Case& c : cases) {
    WriteFieldRawById(ctx_, fid::kdmFunc2SelectTintBlockUI, c.tint);
    EXPECT_EQ(IsFileStampFreeUnderTintBlock(c.file->c_str(), ctx_), c.passes);
  }
  // A copy that names no stamp setting passes.
  Put(ksr, section_, u"kdmFuncSelectWaterMark", nullptr);
  WriteFieldRawById(ctx_, fid::kdmFunc2SelectTintBlockUI, 1);
  EXPECT_TRUE(IsFileStampFreeUnderTintBlock(ksr.c_str(), ctx_));
}

TEST_F(SettingImport, TintBlockPageAdmitsOnlyFilesNamedForTheModel) {
  Start();
  const std::u16string model = GetModelName(ctx_);
  std::u16string upper = model;
  for (char16_t& c : upper)
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
  struct Case {
    DWORD tint;
    std::u16string file;
    BOOL forThisModel;
  } cases[] = {
      {0, u"C:\\x\\other.ksr", TRUE},
      {1, u"C:\\x\\other.ksr", FALSE},
      {1, u"C:\\x\\" + model + u".ksr", TRUE},
      {1, u"C:\\x\\" + upper + u".ksd", TRUE},
      {1, u"C:\\x\\" + model, TRUE},
      {1, u"C:\\x\\" + model + u"2.ksr", FALSE},
      {1, u"C:\\x\\" + model.substr(0, model.size() - 1) + u".ksr", FALSE},
      {1, u"C:\\x\\.ksr", FALSE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.file.begin(), c.file.end()));
    WriteFieldRawById(ctx_, fid::kdmFunc2SelectTintBlockUI, c.tint);
    EXPECT_EQ(IsSettingFileForThisModel(c.file.c_str(), ctx_), c.forThisModel);
  }
}

TEST_F(SettingImport, QualityListEntriesAppendAndClear) {
  Start();
  const std::u16string ini = GetUserIniPath(ctx_);
  AppendQualityEntry(ctx_, u"C:\\q0.ksq", u"Fine");
  RegisterQualityFile(ctx_, u"C:\\q1.ksq", nullptr);
  EXPECT_EQ(Get(ini, section_, u"QualityCount"), u"2");
  EXPECT_EQ(Get(ini, section_, u"QualityList1"), u"C:\\q1.ksq");
  EXPECT_EQ(Get(ini, section_, u"QualityList1Name"), u"NoName");
  ClearQualityList(ctx_);
  EXPECT_EQ(Get(ini, section_, u"QualityCount"), u"0");
  // A count the file holds below 0 names no entry.
  Put(ini, section_, u"QualityCount", u"-4");
  AppendQualityEntry(ctx_, u"C:\\q2.ksq", u"x");
  EXPECT_EQ(Get(ini, section_, u"QualityList-4"), u"<missing>");
  WCHAR key[48];
  MakeQualityListKey(key, 3, true);
  EXPECT_EQ(std::u16string(key), u"QualityList3Name");
}

TEST_F(SettingImport, PresetsAreRefreshedOnceAfterAPackageInstall) {
  Start();
  SettingField* field = PresetNumberField();
  ASSERT_NE(field, nullptr);
  const std::u16string install = GetInstallIniPath(ctx_);
  const std::u16string model = GetModelName(ctx_);
  const std::u16string ini = GetUserIniPath(ctx_);
  const std::u16string shipped = settingsDir_ + u"\\pack.ksd";
  Put(shipped, language_, u"setname", u"Packed");
  // The printer's package lists the combined file first, then the preset.
  const std::u16string package = settingsDir_ + u"\\refresh.ksb";
  Put(settingsDir_ + u"\\combined.ksd", language_, u"setname", u"Combined");
  Put(package, language_, u"NumDeficonfiles", u"2");
  Put(package, language_, u"Deficonfiles1", u"%sysdir%combined.ksd");
  Put(package, language_, u"Deficonfiles2", u"%sysdir%pack.ksd");
  Put(ini, section_, u"DefaultKst", package.c_str());
  // Kind 2 after the package was marked installed does nothing.
  Put(ini, section_, u"PackInstallDone", u"1");
  EXPECT_EQ(RefreshPresetsAfterPackInstall(ctx_, 2), 1);
  EXPECT_EQ(GetPresetCount(ctx_), 0);
  // Kind 0 without the first-use page accepted does nothing either.
  Put(ini, section_, u"PackInstallDone", u"0");
  EXPECT_EQ(RefreshPresetsAfterPackInstall(ctx_, 0), 1);
  EXPECT_EQ(GetPresetCount(ctx_), 0);
  EXPECT_EQ(RefreshPresetsAfterPackInstall(ctx_, 1), 1);
  EXPECT_EQ(GetPresetCount(ctx_), 1);
  EXPECT_EQ(Get(ini, section_, u"PresetList0Name"), u"Packed");
  EXPECT_EQ(Get(ini, section_, u"PresetRefresh"), u"1");
  // A refresh is no install: the install marker stays unwritten.
  EXPECT_EQ(Get(install, model, u"DrvInstPresetDone"), u"<missing>");
  // Once refreshed, never again.
  EXPECT_EQ(RefreshPresetsAfterPackInstall(ctx_, 1), 1);
  EXPECT_EQ(GetPresetCount(ctx_), 1);
}

TEST_F(SettingImport, AcceptanceTestLeavesTheSettingsAsTheyWere) {
  Start();
  SettingField* field = PresetNumberField();
  ASSERT_NE(field, nullptr);
  const std::u16string file = u"C:\\Users\\me\\check.kst";
  WriteFieldRaw(ctx_, field, 3);
  ASSERT_EQ(SaveSettingsFile(printer_, file.c_str(), SFT_PRESET, ctx_), 1);
  WriteFieldRaw(ctx_, field, 1);
  const std::vector<BYTE> before = Settings();
  // Without an alert on the preset control the file is acceptable; the load is undone.
  EXPECT_TRUE(IsSettingsFileAcceptable(file.c_str(), ctx_));
  EXPECT_EQ(Settings(), before);
  // A file of another machine loads nothing and counts as acceptable.
  Put(file, section_, u"KstMachine", u"1");
  EXPECT_TRUE(IsSettingsFileAcceptable(file.c_str(), ctx_));
  EXPECT_EQ(Settings(), before);
}

}  // namespace
}  // namespace kovatest
