// The services of the modules that the common code, the renderer and the settings API call:
// the colour profiles and their rule items, the tray tables, the lock restore table, the
// custom paper limits and the settings summary.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "stored/module_services.h"
#include "fields/languages.h"
#include "base/paths_and_names.h"
#include "field_ids.h"
#include "modules/font_lines.h"
#include "context/module_events.h"
#include "modules/profile_list.h"
#include "modules/setting_lock_module.h"
#include "modules/summary_module.h"
#include "modules/tray_tables.h"
#include "modules_fixture.h"
#include "win/profile.h"

namespace module_services_test {

using kovatest::ModulesTest;

class Profiles : public ModulesTest {
 protected:
  void Add(const char16_t* name) {
    CopyWide(name);
    CallModuleItemHooks(ctx_, 111);
  }
  void CopyWide(const char16_t* name) {
    std::u16string n(name), p = u"C:\\icc\\" + n + u".kcm";
    for (int i = 0; i <= static_cast<int>(n.size()); ++i) ctx_->work->profileName[i] = n.c_str()[i];
    for (int i = 0; i <= static_cast<int>(p.size()); ++i) ctx_->work->profilePath[i] = p.c_str()[i];
  }
  std::u16string Name(int i) {
    ShowProfile(ctx_, i);
    return ctx_->work->profileName;
  }
};

TEST_F(Profiles, DeletionAtTheEndsAndWithoutASelection) {
  Add(u"A");
  Add(u"B");
  Add(u"C");
  ASSERT_EQ(GetProfileCount(ctx_), 3);
  EXPECT_FALSE(DeleteProfile(ctx_, -1));  // nothing selected: nothing moves
  EXPECT_FALSE(DeleteProfile(ctx_, 3));
  EXPECT_EQ(GetProfileCount(ctx_), 3);
  EXPECT_TRUE(DeleteProfile(ctx_, 0));
  EXPECT_EQ(GetProfileCount(ctx_), 2);
  EXPECT_EQ(Name(0), u"B");
  EXPECT_EQ(Name(1), u"C");
  EXPECT_TRUE(DeleteProfile(ctx_, 1));
  EXPECT_EQ(GetProfileCount(ctx_), 1);
  EXPECT_EQ(Name(0), u"B");
  // Built-in 112 with no profile selected (the combo's field names none) deletes nothing.
  Set(fid::kdmAdjustMode, 0);
  Set(fid::kdmColorMatchingMode, 1);
  CallModuleItemHooks(ctx_, 112);
  EXPECT_EQ(GetProfileCount(ctx_), 1);
  Set(fid::kdmColorMatchingMode, 200);
  CallModuleItemHooks(ctx_, 112);
  EXPECT_EQ(GetProfileCount(ctx_), 0);
}

TEST_F(Profiles, TheListStopsAtItsMaximumAndTheMaximumAtSixteen) {
  const WCHAR* ini = GetUserIniPath(ctx_);
  const WCHAR* code = GetLanguageCodeOfSetting(ctx_);
  ASSERT_NE(code, nullptr);
  WritePrivateProfileStringW(code, u"CmmMax", u"2", ini);
  Add(u"A");
  Add(u"B");
  Add(u"C");
  EXPECT_EQ(GetProfileCount(ctx_), 2);
  EXPECT_EQ(ComputeProfileJudgeHook(ctx_, fid::wdmJudgeHookUcf21), 1);
  WritePrivateProfileStringW(code, u"CmmMax", u"500", ini);
  EXPECT_EQ(GetProfileMax(ctx_), kMaxProfiles);
  WritePrivateProfileStringW(code, u"CmmCount", u"900", ini);
  EXPECT_EQ(GetProfileCount(ctx_), kMaxProfiles);
}

// The model INI copy (event 15) takes the profile keys the source has and leaves the others
// as the destination holds them: a limit missing from the source must not arrive as 0.
TEST_F(Profiles, ModelIniCopyTakesOnlyTheKeysTheSourceHas) {
  const WCHAR* ini = GetUserIniPath(ctx_);
  const WCHAR* code = GetLanguageCodeOfSetting(ctx_);
  ASSERT_NE(code, nullptr);
  const std::u16string source = u"C:\\_kova\\model_copy.ini";
  struct Case {
    const char* name;
    const char16_t* max;       // null: the source has no such key
    const char16_t* defaults;
    const char16_t* expectedMax;      // in the destination afterwards
    const char16_t* expectedDefault;
  };
  const Case cases[] = {
      {"both keys", u"3", u"2", u"3", u"2"},
      {"no limit", nullptr, u"2", u"7", u"2"},
      {"neither key", nullptr, nullptr, u"7", u"5"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WritePrivateProfileStringW(code, nullptr, nullptr, source.c_str());
    WritePrivateProfileStringW(code, u"CmmMax", c.max, source.c_str());
    WritePrivateProfileStringW(code, u"CmmDefault", c.defaults, source.c_str());
    WritePrivateProfileStringW(code, u"CmmMax", u"7", ini);
    WritePrivateProfileStringW(code, u"CmmDefault", u"5", ini);
    WritePrivateProfileStringW(code, u"CmmCount", u"0", ini);
    IniCopyEventBlock block{source.c_str(), ini, 1};
    NotifyModules(ctx_, MODEV_INI_COPY, &block);
    WCHAR value[16] = {};
    GetPrivateProfileStringW(code, u"CmmMax", u"", value, 16, ini);
    EXPECT_EQ(std::u16string(value), c.expectedMax);
    GetPrivateProfileStringW(code, u"CmmDefault", u"", value, 16, ini);
    EXPECT_EQ(std::u16string(value), c.expectedDefault);
  }
  // With the source's limit missing a profile is still taken.
  Add(u"A");
  EXPECT_EQ(GetProfileCount(ctx_), 1);
}

TEST_F(Profiles, JudgeItemsAndTheIccHeader) {
  Add(u"A");
  Set(fid::kdmAdjustMode, 0);
  Set(fid::kdmColorMatchingMode, 200);
  EXPECT_EQ(SelectedProfileIndex(ctx_), 0);
  EXPECT_EQ(ComputeProfileJudgeHook(ctx_, fid::wdmJudgeHookUcf20), 1);  // below "CmmDefault" (4)
  EXPECT_EQ(ComputeProfileJudgeHook(ctx_, fid::wdmJudgeHookUcf23), 0);
  std::string header(52, '\0');
  auto put = [&](int at, const char* s) { header.replace(static_cast<std::size_t>(at), 4, s); };
  put(4, "KCMS");
  put(12, "prtr");
  put(20, "RGB ");
  put(36, "acsp");
  put(48, "VANT");
  struct Case {
    std::string bytes;
    int valid;
  } cases[] = {{header, 1}, {header.substr(0, 51), 0}, {std::string(header).replace(16, 4, "RGB "), 1},
               {std::string(header).replace(20, 4, "Lab "), 0}, {std::string(header).replace(48, 4, "ACME"), 0}};
  for (const Case& c : cases) {
    root_.WriteFile(u"C:\\icc\\A.kcm", c.bytes);
    ShowProfile(ctx_, 0);
    EXPECT_EQ(ComputeProfileJudgeHook(ctx_, fid::wdmJudgeHookUcf22), c.valid);
  }
  EXPECT_EQ(IsValidProfileFile(u"C:\\icc\\missing.kcm"), 0);
}

TEST_F(Profiles, AUserProfileNameAnswersItsDisplayTextWithinTheBuffer) {
  Add(u"Photo profile with a long name");
  WCHAR text[8] = u"x";
  UiStringEventBlock block{565, text, 8};
  NotifyModules(ctx_, 16, &block);
  EXPECT_EQ(std::u16string(text), u"Photo p");
}

TEST(TrayTables, IndexesAndPerTrayFields) {
  struct Case {
    WORD value;
    int index;
    WORD paper;  // 0: the tray has no per-tray fields
  } cases[] = {{2, 0, 10175},  {3, 1, 10176},  {7, 25, 10200}, {618, 27, 10202},
               {999, 0, 10175}, {13551, 286, 0}, {13552, 299, 0}};
  for (const Case& c : cases) {
    EXPECT_EQ(TrayIndexOfValue(c.value), c.index) << c.value;
    EXPECT_EQ(TrayFieldOf(c.index, TrayField::Paper), c.paper) << c.value;
    if (!c.paper) {
      EXPECT_EQ(TrayFieldOf(c.index, TrayField::Lock), 0) << c.value;
    }
  }
  EXPECT_EQ(TrayFieldOf(31, TrayField::Lock), fid::kdmTrayLock0 + 31);
  EXPECT_EQ(FindTrayIndexRow(2)->summaryString, 13445);
  EXPECT_EQ(FindTrayIndexRow(3)->summaryString, 3);
  EXPECT_EQ(TrayPairTable()[0][0], 0);
}

class TrayLines : public ModulesTest {};

TEST_F(TrayLines, SwitchingAnOptionLine) {
  struct Case {
    WORD key;
    DWORD memoryBefore;
    DWORD memoryAfter;
  } cases[] = {{607, 607, 607}, {612, 612, 612}, {606, 606, 604}, {608, 608, 604}, {609, 1, 609}};
  for (const Case& c : cases) {
    Set(fid::kdmMemoryType, 254);
    Set(fid::kdmPrinterMemory, c.memoryBefore);
    const TrayOptionRow* row = FindTrayRow(c.key, 0);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(SwitchTrayOptionLine(ctx_, row), 0u);
    EXPECT_EQ(Get(fid::kdmMemoryType), 254u) << c.key;
    EXPECT_EQ(Get(fid::kdmPrinterMemory), c.memoryAfter) << c.key;
  }
  Set(fid::kdmSourceOptionType1Step, 1);
  Set(fid::kdm1StepOptionNum, 3);
  EXPECT_EQ(SwitchTrayOptionLine(ctx_, FindTrayRow(365, 0)), TRAY_REBUILD | TRAY_REPAINT);
  EXPECT_EQ(Get(fid::kdm1StepOptionNum), 2u);
  EXPECT_EQ(ApplyTrayDependencies(ctx_, FindTrayRow(365, 0)), 0u);
  EXPECT_EQ(FindTrayRow(1, 0), nullptr);
}

TEST(LockRestoreTable, NumbersAndFields) {
  struct Case {
    WORD number, field;
  } cases[] = {{10000, 35},   {10651, 686},   {10652, 697},   {10962, 1008}, {11413, 1493},
               {11414, 10001}, {11847, 10434}, {11880, 1},     {11911, 32},   {11912, 31},
               {11921, 692},  {11922, 0},     {11923, 693},   {11976, 1543}, {9999, 0}, {11977, 0}};
  for (const Case& c : cases) EXPECT_EQ(LockedFieldOfNumber(c.number), c.field) << c.number;
}

class Locks : public ModulesTest {};

TEST_F(Locks, ALockedFieldIsRestoredOnlyWhileTheDefaultLockHolds) {
  Set(535, 1);
  SetSaved(535, 0);
  Set(fid::kdmLock000InfoBitDefault, 0);
  CallModuleItemHooks(ctx_, 10500);
  EXPECT_EQ(Get(535), 1u);
  Set(fid::kdmLock000InfoBitDefault, 1);
  SetSaved(fid::kdmLock000InfoBitDefault, 1);
  CallModuleItemHooks(ctx_, 10500);
  EXPECT_EQ(Get(535), 0u);
}

TEST_F(Locks, LockingAndUnlockingTheMediaTypeOfThePresets) {
  root_.WriteFile(u"C:\\_kova\\p0.kst", "[P1]\r\nkdmMediaType=3\r\n");
  root_.WriteFile(u"C:\\_kova\\p1.kst", "[P1]\r\nkdmDuplexType=1\r\n");  // no media key: left alone
  AppendPreset(ctx_, u"C:\\_kova\\p0.kst", u"A", u"");
  AppendPreset(ctx_, u"C:\\_kova\\p1.kst", u"B", u"");
  Set(fid::kdmMediaType, 7);
  Set(fid::kdmLock000InfoBitMedia, 1);
  NotifyModules(ctx_, MODEV_LOCK_PRESETS, nullptr);
  WCHAR v[16];
  GetPrivateProfileStringW(u"P1", u"kdmMediaType", u"", v, 16, u"C:\\_kova\\p0.kst");
  EXPECT_EQ(std::u16string(v), u"7");
  GetPrivateProfileStringW(u"P1", u"kdmMediaTypeLock", u"", v, 16, u"C:\\_kova\\p0.kst");
  EXPECT_EQ(std::u16string(v), u"3");
  GetPrivateProfileStringW(u"P1", u"kdmMediaType", u"-", v, 16, u"C:\\_kova\\p1.kst");
  EXPECT_EQ(std::u16string(v), u"-");
  Set(fid::kdmLock000InfoBitMedia, 0);
  NotifyModules(ctx_, MODEV_LOCK_PRESETS, nullptr);
  GetPrivateProfileStringW(u"P1", u"kdmMediaType", u"", v, 16, u"C:\\_kova\\p0.kst");
  EXPECT_EQ(std::u16string(v), u"3");
  GetPrivateProfileStringW(u"P1", u"kdmMediaTypeLock", u"-", v, 16, u"C:\\_kova\\p0.kst");
  EXPECT_EQ(std::u16string(v), u"-");
}

// Lifting a lock puts each file's own value back, whatever value the context holds when the
// lock is lifted: the locked one, the file's own one or a third.
TEST_F(Locks, UnlockingPutsBackEachFilesOwnValue) {
  struct Case {
    const char* name;
    DWORD event;
    WORD bit;
    WORD field;
    const char16_t* key;
    DWORD atUnlock;
  };
  const Case cases[] = {
      {"preset media, context at the locked value", MODEV_LOCK_PRESETS, fid::kdmLock000InfoBitMedia,
       fid::kdmMediaType, u"kdmMediaType", 7},
      {"preset media, context at the preset's own value", MODEV_LOCK_PRESETS, fid::kdmLock000InfoBitMedia,
       fid::kdmMediaType, u"kdmMediaType", 3},
      {"preset media, context at a third value", MODEV_LOCK_PRESETS, fid::kdmLock000InfoBitMedia,
       fid::kdmMediaType, u"kdmMediaType", 5},
      {"quality resolution, context at the entry's own value", MODEV_LOCK_QUALITIES,
       fid::kdmLock000InfoBitResolution, fid::kdmDstResolutionW, u"kdmDstResolutionW", 3},
  };
  const WCHAR* ini = GetUserIniPath(ctx_);
  const WCHAR* section = GetPrinterSectionName(ctx_);
  const char16_t* file = u"C:\\_kova\\own.kst";
  auto read = [&](const char16_t* key) {
    WCHAR v[16] = {};
    GetPrivateProfileStringW(u"P1", key, u"<none>", v, 16, file);
    return std::u16string(v);
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::u16string key(c.key);
    const std::string body = "[P1]\r\n" + std::string(key.begin(), key.end()) + "=3\r\n";
    root_.WriteFile(file, body);
    ResetPresetCount(ctx_);
    AppendPreset(ctx_, file, u"Own", u"");
    ASSERT_TRUE(WritePrivateProfileStringW(section, u"QualityCount", u"1", ini));
    ASSERT_TRUE(WritePrivateProfileStringW(section, u"QualityList0", file, ini));
    Set(c.field, 7);
    Set(c.bit, 1);
    NotifyModules(ctx_, c.event, nullptr);
    ASSERT_EQ(read(c.key), u"7");
    ASSERT_EQ(read((key + u"Lock").c_str()), u"3");

    Set(c.field, c.atUnlock);
    Set(c.bit, 0);
    NotifyModules(ctx_, c.event, nullptr);
    EXPECT_EQ(read(c.key), u"3");
    EXPECT_EQ(read((key + u"Lock").c_str()), u"<none>");
  }
}

TEST(LockCompanions, TheIndexCharacterNeedsRoomForIt) {
  struct Case {
    const char16_t* path;
    int index;
    const char16_t* out;  // null: refused
  } cases[] = {{u"C:\\x\\pack0000.kpk", 0, u"C:\\x\\pack0000.ksd"},
               {u"C:\\x\\pack0000.kpk", 11, u"C:\\x\\pack000B.ksd"},
               {u"a.kpk", 3, u"3.ksd"},
               {u".kpk", 1, nullptr},
               {u"abc", 1, nullptr},
               {u"C:\\x\\nodot", 1, nullptr}};
  for (const Case& c : cases) {
    WCHAR out[261];
    const bool made = MakeCompanionName(c.path, c.index, u"ksd", out, 261);
    EXPECT_EQ(made, c.out != nullptr) << std::string(c.path, c.path + std::char_traits<char16_t>::length(c.path));
    if (made && c.out) {
      EXPECT_EQ(std::u16string(out), c.out);
    }
  }
}

class CustomPaper : public ModulesTest {};

TEST_F(CustomPaper, LimitsOfTheDefaultTableRoundedInward) {
  struct Case {
    DWORD unit, tray, orientation;
    int length;
    int found, maximum, minimum;
  } cases[] = {
      {0, 1, 1, 1, 1, 20408, 6992}, {0, 1, 1, 0, 1, 14030, 4250}, {1, 1, 1, 1, 1, 20400, 6996},
      {1, 4, 2, 0, 1, 14400, 6996}, {0, 9, 1, 1, 0, 0, 0},
  };
  for (const Case& c : cases) {
    Set(fid::kdmDspUnit, c.unit);
    int maximum = -1, minimum = -1;
    EXPECT_EQ(FindCustomPaperEntry(ctx_, c.tray, c.orientation, &maximum, &minimum, c.length), c.found);
    // Every limit is a value the display unit shows exactly.
    const int back = c.unit ? (maximum / 12) * 12 : maximum;
    EXPECT_EQ(back, maximum);
    if (c.unit == 0) {
      EXPECT_EQ(maximum, c.maximum) << c.tray;
      EXPECT_EQ(minimum, c.minimum) << c.tray;
    } else {
      EXPECT_LE(maximum, c.maximum + 8) << c.tray;
      EXPECT_GE(minimum, c.minimum) << c.tray;
    }
  }
}

TEST_F(CustomPaper, LengthAndWidthAreOrdered) {
  Set(fid::kdmPaperFreeSizeWidth, 14030);
  Set(fid::kdmPaperFreeSizeLength, 8000);
  CallModuleItemHooks(ctx_, 202);
  EXPECT_EQ(Get(fid::kdmPaperFreeSizeWidth), 8000u);
  EXPECT_EQ(Get(fid::kdmPaperFreeSizeLength), 14030u);
}

TEST(FontLines, LineFormat) {
  WCHAR line[kFontLineChars], part[kFontNameChars + 1];
  MakeFontLine(u"Arial", u"Helvetica", line);
  EXPECT_EQ(std::u16string(line), std::u16string(u"Arial") + std::u16string(26, u' ') + u" > Helvetica");
  FontLineName(line, part);
  EXPECT_EQ(std::u16string(part), u"Arial");
  FontLinePrinterFont(line, part);
  EXPECT_EQ(std::u16string(part), u"Helvetica");
  ReplaceFontLinePrinterFont(line, u"Courier");
  FontLinePrinterFont(line, part);
  EXPECT_EQ(std::u16string(part), u"Courier");
  MakeFontLine(std::u16string(40, u'x').c_str(), std::u16string(40, u'y').c_str(), line);
  EXPECT_EQ(std::u16string(line).size(), static_cast<std::size_t>(kFontLineChars - 2));
}

class Summary : public ModulesTest {};

TEST_F(Summary, TheListsHaveTheirEntries) {
  struct Case {
    WORD control;
    int count;
  } cases[] = {{2148, 91}, {2248, 28}, {3086, 10}, {3164, 175}, {2001, -1}};
  for (const Case& c : cases) {
    const SummaryList* list = GetBuiltInSummaryList(c.control);
    EXPECT_EQ(list ? list->count : -1, c.count) << c.control;
  }
  EXPECT_EQ(GetBuiltInSummaryList(3164)->entries[147].label, 240);  // the status list follows
}

TEST_F(Summary, ALongTextStaysInsideItsBuffer) {
  // A comment longer than the room the buffer has left.
  std::u16string comment(500, u'c');
  SetFieldString(ctx_, FindFieldById(ctx_, fid::wdmPresetComment), comment.c_str());
  ControlRecord edit{};
  edit.controlId = 2146;
  edit.field = FindFieldById(ctx_, fid::wdmPresetComment);
  std::vector<WCHAR> buffer(101, 0xAAAA);
  EXPECT_EQ(BuildSummaryText(ctx_, &edit, buffer.data(), 100), 99);
  EXPECT_EQ(buffer[100], 0xAAAA);
  // A summary list in a small buffer ends with the marker and never passes the end.
  Set(fid::kdmFuncSelectMargin, 1);
  ControlRecord* status = Control(4032, 3164);
  ASSERT_NE(status, nullptr);
  std::vector<WCHAR> small(300, 0xAAAA);
  const int n = BuildSummaryText(ctx_, status, small.data(), 299);
  EXPECT_LT(n, 299);
  EXPECT_EQ(small[299], 0xAAAA);
}

TEST_F(Summary, EmptyVersionTextsAreEmptyLinesAndTheLastShownLineHasNoBreak) {
  ControlRecord* version = Control(4027, 3086);
  ASSERT_NE(version, nullptr);
  std::vector<WCHAR> text(kSummaryChars, 0);
  const int n = BuildSummaryText(ctx_, version, text.data(), kSummaryChars);
  // Without the UI strings every label is empty: the empty system and emulation versions
  // stand as empty lines; the last entry shows a value and ends the text without CR LF.
  const std::u16string s(text.data(), static_cast<std::size_t>(n));
  EXPECT_NE(s.find(u"\r\n\r\n"), std::u16string::npos);
  ASSERT_GE(s.size(), 2u);
  EXPECT_NE(s.substr(s.size() - 2), u"\r\n");
}

}  // namespace module_services_test
