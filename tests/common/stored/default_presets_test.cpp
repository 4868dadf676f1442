#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "context_fixture.h"
#include "fields/field_access.h"
#include "stored/module_services.h"
#include "base/paths_and_names.h"
#include "base/settings_dirs.h"
#include "field_ids.h"
#include "plat/ui_driver.h"
#include "stored/installed_presets.h"
#include "stored/list_sections.h"
#include "stored/preset_list.h"
#include "win/loader.h"
#include "win/msgbox.h"
#include "win/profile.h"

namespace kovatest {
namespace {

class DefaultPresets : public ContextTest {
 protected:
  void SetUp() override {
    ContextTest::SetUp();
    root_.WriteFile(u"C:\\_kova\\keep.txt", "");
    root_.WriteFile(u"C:\\Users\\me\\keep.txt", "");
    root_.WriteFile(u"C:\\_kova\\presetwarn.rc", "STRINGTABLE BEGIN 10017 \"10017 presets dropped\" END\n");
    StartContext(u"Office");
    if (ctx_->uiModule) FreeLibrary(ctx_->uiModule);
    ctx_->uiModule = LoadLibraryW(u"C:\\_kova\\presetwarn.dll");
    plat::ui::ClearMessageBoxes();
    language_ = ListLanguageSection(ctx_);
    section_ = GetPrinterSectionName(ctx_);
    ini_ = GetUserIniPath(ctx_);
    WCHAR dir[261] = {};
    ASSERT_GT(GetSettingsDir(dir, 261, ctx_), 0u);
    settingsDir_ = dir;
    package_ = settingsDir_ + u"\\pack.ksb";
    Put(package_, language_, u"NumDeficonfiles", u"3");
    const char16_t* names[] = {u"first", u"second", u"third"};
    for (int i = 0; i < 3; ++i) {
      const std::u16string shipped = settingsDir_ + u"\\" + names[i] + u".ksd";
      Put(shipped, language_, u"setname", names[i]);
      // The files outlive a SetUp of their root: no case starts with another's [disable].
      ASSERT_TRUE(WritePrivateProfileStringW(u"disable", nullptr, nullptr, shipped.c_str()));
      const std::u16string key = u"Deficonfiles" + std::u16string(1, static_cast<char16_t>(u'1' + i));
      Put(package_, language_, key.c_str(), (u"%sysdir%" + std::u16string(names[i]) + u".ksd").c_str());
    }
    Put(ini_, section_, u"DefaultKst", package_.c_str());
    // The printer already lists the first two shipped presets.
    ASSERT_TRUE(ResetPresetCount(ctx_));
    ASSERT_TRUE(AppendPreset(ctx_, (settingsDir_ + u"\\first.ksr").c_str(), u"first", u""));
    ASSERT_TRUE(AppendPreset(ctx_, (settingsDir_ + u"\\second.ksr").c_str(), u"second", u""));
  }
  void TearDown() override {
    plat::ui::ClearMessageBoxes();
    ContextTest::TearDown();
  }
  void Put(const std::u16string& file, const std::u16string& section, const char16_t* key, const char16_t* value) {
    ASSERT_TRUE(WritePrivateProfileStringW(section.c_str(), key, value, file.c_str()));
  }
  // The listed files by their names without folder.
  std::vector<std::u16string> Listed() {
    std::vector<std::u16string> names;
    for (int i = 0; i < GetPresetCount(ctx_); ++i) {
      WCHAR key[kPresetKeyChars];
      MakePresetKey(key, i, PRESET_KEY_FILE);
      WCHAR value[300] = {};
      GetPrivateProfileStringW(section_.c_str(), key, u"", value, 300, ini_.c_str());
      std::u16string file = value;
      names.push_back(file.substr(file.find_last_of(u'\\') + 1));
    }
    return names;
  }
  int Warnings10017() {
    int n = 0;
    for (const auto& box : plat::ui::MessageBoxes())
      if (box.text.rfind(u"10017", 0) == 0) {
        EXPECT_EQ(box.type & MB_TYPEMASK, static_cast<UINT>(MB_OKCANCEL));
        ++n;
      }
    return n;
  }

  std::u16string language_, section_, ini_, settingsDir_, package_;
};

TEST_F(DefaultPresets, DropsPresetsWhoseConditionsFailAndAsksOnlyWhenTold) {
  enum Change { kNone, kSecondDisabled, kTintBlock, kTintBlockSecondNamedForModel, kFirstNotListed };
  struct Case {
    const char* what;
    Change change;
    DWORD flags;
    int answer;  // 0: no box expected
    int result;
    std::vector<std::u16string> listed;  // "<model>" stands for the model's name
    int warnings;
  } cases[] = {
      {"nothing dropped, quiet", kNone, 0, 0, 3, {u"first.ksr", u"second.ksr", u"third.ksr"}, 0},
      {"nothing dropped, asking", kNone, IDP_ASK, 0, 3, {u"first.ksr", u"second.ksr", u"third.ksr"}, 0},
      {"dropped, quiet", kSecondDisabled, 0, 0, 2, {u"first.ksr", u"third.ksr"}, 0},
      {"dropped, asked and confirmed", kSecondDisabled, IDP_ASK, IDOK, 2, {u"first.ksr", u"third.ksr"}, 1},
      {"dropped, asked and cancelled", kSecondDisabled, IDP_ASK, IDCANCEL, 0, {u"first.ksr", u"second.ksr"}, 1},
      // With the tint-block page on, shipped presets named for another model go and are not
      // added back.
      {"for another model, quiet", kTintBlock, 0, 0, 0, {}, 0},
      {"for another model, cancelled", kTintBlock, IDP_ASK, IDCANCEL, 0, {u"first.ksr", u"second.ksr"}, 1},
      {"one named for the model stays", kTintBlockSecondNamedForModel, 0, 0, 1, {u"<model>.ksr"}, 0},
      // The package's first file is never added back by the refresh.
      {"first not listed", kFirstNotListed, 0, 0, 2, {u"second.ksr", u"third.ksr"}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TearDown();
    SetUp();
    const std::u16string model = GetModelName(ctx_);
    switch (c.change) {
      case kNone: break;
      case kSecondDisabled: Put(settingsDir_ + u"\\second.ksd", u"disable", model.c_str(), u"1"); break;
      case kTintBlockSecondNamedForModel:
        Put(settingsDir_ + u"\\" + model + u".ksd", language_, u"setname", u"second");
        Put(package_, language_, u"Deficonfiles2", (u"%sysdir%" + model + u".ksd").c_str());
        Put(ini_, section_, u"PresetList1", (settingsDir_ + u"\\" + model + u".ksr").c_str());
        [[fallthrough]];
      case kTintBlock: WriteFieldRawById(ctx_, fid::kdmFunc2SelectTintBlockUI, 1); break;
      case kFirstNotListed:
        ASSERT_TRUE(ResetPresetCount(ctx_));
        ASSERT_TRUE(AppendPreset(ctx_, (settingsDir_ + u"\\second.ksr").c_str(), u"second", u""));
        break;
    }
    if (c.answer) plat::ui::QueueMessageBoxAnswer(c.answer);
    EXPECT_EQ(InstallDefaultPresets(ctx_, c.flags), c.result);
    std::vector<std::u16string> expected;
    for (std::u16string name : c.listed) {
      if (name.rfind(u"<model>", 0) == 0) name = model + name.substr(7);
      expected.push_back(name);
    }
    EXPECT_EQ(Listed(), expected);
    EXPECT_EQ(Warnings10017(), c.warnings);
  }
}

TEST_F(DefaultPresets, UnusablePackageLeavesTheListAsItWas) {
  struct Case {
    const char* what;
    const char16_t* key;
    const char16_t* value;
    bool inPackage;
  } cases[] = {
      {"no package named", u"DefaultKst", u"", false},
      {"package missing", u"DefaultKst", u"C:\\Users\\me\\gone.ksb", false},
      {"package without a list", u"NumDeficonfiles", nullptr, true},
      {"a listed file missing", u"Deficonfiles2", u"%sysdir%missing.ksd", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TearDown();
    SetUp();
    Put(settingsDir_ + u"\\second.ksd", u"disable", GetModelName(ctx_), u"1");
    if (c.inPackage) {
      Put(package_, language_, c.key, c.value);
    } else {
      Put(ini_, section_, c.key, c.value);
    }
    EXPECT_EQ(InstallDefaultPresets(ctx_, IDP_ASK), 0);
    EXPECT_EQ(Listed(), (std::vector<std::u16string>{u"first.ksr", u"second.ksr"}));
    EXPECT_EQ(Warnings10017(), 0);
  }
}

}  // namespace
}  // namespace kovatest
