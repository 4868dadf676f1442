#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "context_fixture.h"
#include "fields/change_flags.h"
#include "base/deliverable.h"
#include "fields/field_access.h"
#include "fields/field_table.h"
#include "base/paths_and_names.h"
#include "base/settings_dirs.h"
#include "field_ids.h"
#include "stored/preset_list.h"
#include "stored/quality_list.h"
#include "stored/settings_file.h"
#include "stored/settings_load_save.h"
#include "warning_boxes.h"
#include "win/profile.h"

namespace kovatest {
namespace preset_quality_list_test {

constexpr const char16_t* kPresetFile = u"C:\\Users\\me\\preset3.kst";
constexpr const char16_t* kQualityFile = u"C:\\Users\\me\\quality0.kst";

class PresetQualityList : public ContextTest {
 protected:
  void SetUp() override {
    ContextTest::SetUp();
    root_.WriteFile(u"C:\\_kova\\keep.txt", "");
    root_.WriteFile(u"C:\\Users\\me\\keep.txt", "");
    StartContext(u"Office");
    ini_ = GetUserIniPath(ctx_);
    section_ = GetPrinterSectionName(ctx_);
    ASSERT_FALSE(ini_.empty());
  }
  void TearDown() override {
    SetDeliverable(Deliverable::Interface);
    ContextTest::TearDown();
  }
  void SetKey(const char16_t* key, const char16_t* value) {
    ASSERT_TRUE(WritePrivateProfileStringW(section_.c_str(), key, value, ini_.c_str()));
  }
  std::u16string Key(const char16_t* key) {
    WCHAR value[300] = {};
    GetPrivateProfileStringW(section_.c_str(), key, u"<missing>", value, 300, ini_.c_str());
    return value;
  }
  std::u16string Text(WORD id) {
    WCHAR value[1100] = {};
    GetFieldString(ctx_, FindFieldById(ctx_, id), value, 1100);
    return value;
  }
  void SetText(WORD id, const char16_t* text) { SetFieldString(ctx_, FindFieldById(ctx_, id), text); }
  // The first plain number field that carries the given mark and no other list mark.
  SettingField* MarkedNumberField(int mark) {
    for (int i = 0; i < ctx_->fields.count; ++i) {
      SettingField& f = ctx_->fields.records[i];
      if (MarkOf(f.marks, mark) != 0 && IsNumberFieldCode(FieldCodeOf(f.type)) && FieldSizeOf(f.type) >= 2 &&
          GetFieldAddress(ctx_, &f) && f.side && f.side->name)
        return &f;
    }
    return nullptr;
  }
  bool CacheEmpty() const {
    for (void* slot : ctx_->work->presetCache)
      if (slot) return false;
    return true;
  }

  std::u16string ini_;
  std::u16string section_;
};

TEST(PresetKeys, KeysOfIndexAndKind) {
  struct Case {
    int n;
    int kind;
    const char16_t* key;
  } cases[] = {{0, PRESET_KEY_FILE, u"PresetList0"},
               {15, PRESET_KEY_NAME, u"PresetList15Name"},
               {3, PRESET_KEY_COMMENT, u"PresetList3Comment"},
               {-2147483647 - 1, PRESET_KEY_COMMENT, u"PresetList-2147483648Comment"}};
  for (const Case& c : cases) {
    WCHAR key[kPresetKeyChars];
    MakePresetKey(key, c.n, c.kind);
    EXPECT_EQ(std::u16string(key), c.key) << c.n;
  }
  WCHAR key[24];
  MakeQualityKey(key, 7);
  EXPECT_EQ(std::u16string(key), u"QualityList7");
  MakeQualityKey(key, -2147483647 - 1);
  EXPECT_EQ(std::u16string(key), u"QualityList-2147483648");
}

TEST_F(PresetQualityList, CountsReadTheirKeysWithZeroDefault) {
  EXPECT_EQ(GetPresetCount(ctx_), 0);
  EXPECT_EQ(GetQualityCount(ctx_), 0);
  SetKey(u"Count", u"5");
  SetKey(u"QualityCount", u"2");
  EXPECT_EQ(GetPresetCount(ctx_), 5);
  EXPECT_EQ(GetQualityCount(ctx_), 2);
  EXPECT_EQ(GetPresetCount(nullptr), 0);
}

// The counts are held to the lists' limits, 16 presets and 128 user qualities, whatever the
// file holds: every walk over a list reads the INI once per entry, and a count of millions
// would make each of them take minutes.
TEST_F(PresetQualityList, CountsAreHeldToTheListsLimits) {
  struct Case {
    const char16_t* text;
    int presets;
    int qualities;
  } cases[] = {{u"0", 0, 0},           {u"15", 15, 15},       {u"16", 16, 16},        {u"17", 16, 17},
               {u"128", 16, 128},      {u"129", 16, 128},     {u"1000000", 16, 128}, {u"2147483647", 16, 128},
               {u"-1", 0, 0},          {u"-2147483648", 0, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.text, c.text + std::char_traits<char16_t>::length(c.text)));
    SetKey(u"Count", c.text);
    SetKey(u"QualityCount", c.text);
    EXPECT_EQ(GetPresetCount(ctx_), c.presets);
    EXPECT_EQ(GetQualityCount(ctx_), c.qualities);
  }
  EXPECT_EQ(kMaxPresets, 16);
  EXPECT_EQ(kMaxQualityEntries, 128);
}

TEST_F(PresetQualityList, QualityEntrySavesAndAppliesItsFieldsAndName) {
  SettingField* field = MarkedNumberField(2);
  ASSERT_NE(field, nullptr);
  SetKey(u"QualityList0", kQualityFile);
  WriteFieldRaw(ctx_, field, 2);
  SetText(fid::wdmUserSetName, u"Fine text");
  SaveQualityEntry(ctx_, 0);
  EXPECT_EQ(Key(u"QualityList0Name"), u"Fine text");

  WriteFieldRaw(ctx_, field, 1);
  SetText(fid::wdmUserSetName, u"other");
  ApplyQualityByIndex(ctx_, 0);
  EXPECT_EQ(ReadFieldRaw(ctx_, field), 2u);
  EXPECT_EQ(Text(fid::wdmUserSetName), u"Fine text");

  // Saving the file alone keeps the stored name.
  SetText(fid::wdmUserSetName, u"renamed");
  SaveQualityFileByIndex(ctx_, 0);
  EXPECT_EQ(Key(u"QualityList0Name"), u"Fine text");
}

TEST_F(PresetQualityList, RefreshCompletesEntriesFromTheirShippedValues) {
  SettingField* field = MarkedNumberField(2);
  ASSERT_NE(field, nullptr);
  WCHAR dir[261] = {};
  ASSERT_GT(GetSettingsDir(dir, 261, ctx_), 0u);
  const std::u16string companion = std::u16string(dir) + u"\\quality0.ksq";
  root_.WriteFile(companion, "");
  const std::u16string language = GetLanguageCode(ctx_);
  ASSERT_TRUE(WritePrivateProfileStringW(language.c_str(), field->side->name, u"2", companion.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringW(language.c_str(), u"qualityname", u"Shipped", companion.c_str()));

  SetKey(u"QualityCount", u"1");
  SetKey(u"QualityList0", kQualityFile);
  SetKey(u"QualityList0Name", u"Mine");
  LoadShippedQualityName(ctx_, 0);
  EXPECT_EQ(Text(fid::wdmUserSetName), u"Shipped");

  WriteFieldRaw(ctx_, field, 1);
  SetText(fid::wdmUserSetName, u"current");
  RefreshQualityEntries(ctx_);
  EXPECT_EQ(ReadFieldRaw(ctx_, field), 1u);
  EXPECT_EQ(Text(fid::wdmUserSetName), u"current");
  EXPECT_EQ(Key(u"QualityList0Name"), u"Mine");
  WCHAR value[16] = {};
  GetPrivateProfileStringW(section_.c_str(), field->side->name, u"", value, 16, kQualityFile);
  EXPECT_EQ(std::u16string(value), u"2");
}

TEST_F(PresetQualityList, QualityEntryWithoutFileSavesNothing) {
  SetText(fid::wdmUserSetName, u"Nameless");
  SaveQualityEntry(ctx_, 4);
  EXPECT_EQ(Key(u"QualityList4Name"), u"<missing>");
  ApplyQualityByIndex(ctx_, 4);
  EXPECT_EQ(Text(fid::wdmUserSetName), u"Nameless");
}

TEST_F(PresetQualityList, PresetSaveWritesNameAndCommentAndApplyReadsThemBack) {
  SettingField* field = MarkedNumberField(1);
  ASSERT_NE(field, nullptr);
  SetKey(u"PresetList3", kPresetFile);
  WriteFieldRaw(ctx_, field, 2);
  SetText(fid::wdmPresetName, u"Draft");
  SetText(fid::wdmPresetComment, u"two-sided draft");
  SavePresetByIndex(ctx_, 3);
  EXPECT_EQ(Key(u"PresetList3Name"), u"Draft");
  EXPECT_EQ(Key(u"PresetList3Comment"), u"two-sided draft");

  WriteFieldRaw(ctx_, field, 1);
  SetText(fid::wdmPresetName, u"x");
  ApplyPresetByIndex(ctx_, 3);
  EXPECT_EQ(ReadFieldRaw(ctx_, field), 2u);
  EXPECT_EQ(Text(fid::wdmPresetName), u"Draft");
  EXPECT_EQ(Text(fid::wdmPresetComment), u"two-sided draft");
}

TEST_F(PresetQualityList, SecondApplyTakesTheCachedValuesAndASaveFreesTheCache) {
  SettingField* field = MarkedNumberField(1);
  ASSERT_NE(field, nullptr);
  SetKey(u"PresetList3", kPresetFile);
  WriteFieldRaw(ctx_, field, 2);
  SavePresetByIndex(ctx_, 3);
  ApplyPresetByIndex(ctx_, 3);
  ASSERT_NE(ctx_->work->presetCache[3], nullptr);

  // The file now says 1, but the next apply of preset 3 takes the cached 2.
  WriteFieldRaw(ctx_, field, 1);
  ASSERT_EQ(SaveSettingsFile(printer_, kPresetFile, SFT_PRESET, ctx_), 1);
  WriteFieldRaw(ctx_, field, 0);
  ApplyPresetByIndex(ctx_, 3);
  EXPECT_EQ(ReadFieldRaw(ctx_, field), 2u);

  // Saving any preset frees every slot; the next apply reads the file again.
  SetKey(u"PresetList0", u"C:\\Users\\me\\preset0.kst");
  SavePresetByIndex(ctx_, 0);
  EXPECT_TRUE(CacheEmpty());
  WriteFieldRaw(ctx_, field, 0);
  ApplyPresetByIndex(ctx_, 3);
  EXPECT_EQ(ReadFieldRaw(ctx_, field), 1u);
}

TEST_F(PresetQualityList, ChangeCacheModesAndUnknownKeys) {
  EXPECT_EQ(UpdatePresetChangeCache(ctx_, u"PresetList2", PCC_APPLY), 0);  // empty slot
  EXPECT_EQ(UpdatePresetChangeCache(ctx_, u"PresetList2", PCC_CAPTURE), 0);
  ASSERT_NE(ctx_->work->presetCache[2], nullptr);
  EXPECT_EQ(UpdatePresetChangeCache(ctx_, u"PresetList2", PCC_APPLY), 1);
  EXPECT_EQ(UpdatePresetChangeCache(ctx_, u"PresetList16", PCC_CAPTURE), 0);
  EXPECT_EQ(UpdatePresetChangeCache(ctx_, u"QualityList2", PCC_APPLY), 0);
  EXPECT_EQ(UpdatePresetChangeCache(ctx_, nullptr, PCC_APPLY), 0);
  UpdatePresetChangeCache(ctx_, nullptr, PCC_FREE);
  EXPECT_TRUE(CacheEmpty());
}

TEST_F(PresetQualityList, CacheApplySetsOnlyTheBitOfABitField) {
  SettingField* bitField = nullptr;
  for (int i = 0; i < ctx_->fields.count && !bitField; ++i) {
    SettingField& f = ctx_->fields.records[i];
    if ((MarkOf(f.marks, 1) || MarkOf(f.marks, 3)) && IsBitFieldCode(FieldCodeOf(f.type)) &&
        GetFieldAddress(ctx_, &f))
      bitField = &f;
  }
  if (!bitField) GTEST_SKIP() << "no cached bit field in the sample table";
  const DWORD size = FieldSizeOf(bitField->type);
  const DWORD bit = 1u << (FieldCodeOf(bitField->type) - FT_FIRST_BIT);
  BYTE* address = GetFieldAddress(ctx_, bitField);
  WriteFieldRaw(ctx_, bitField, 1);
  UpdatePresetChangeCache(ctx_, u"PresetList1", PCC_CAPTURE);
  // The other bits of the word change after the capture and stay changed.
  DWORD word = 0;
  std::memcpy(&word, address, size);
  const DWORD others = ~bit & (size == 4 ? 0xFFFFFFFFu : ((1u << (8 * size)) - 1));
  word = others;  // every other bit set, the field's bit clear
  std::memcpy(address, &word, size);
  ASSERT_EQ(UpdatePresetChangeCache(ctx_, u"PresetList1", PCC_APPLY), 1);
  DWORD after = 0;
  std::memcpy(&after, address, size);
  EXPECT_EQ(after & bit, bit);
  // Bits of other fields sharing the word may be cached fields too; only this field's bit is
  // checked against the capture.
}

TEST_F(PresetQualityList, IndexOutsideTheListEmptiesNameAndCommentAndLoadsNothing) {
  SettingField* field = MarkedNumberField(1);
  ASSERT_NE(field, nullptr);
  SetKey(u"PresetList0", kPresetFile);
  WriteFieldRaw(ctx_, field, 2);
  SavePresetByIndex(ctx_, 0);
  WriteFieldRaw(ctx_, field, 1);
  SetText(fid::wdmPresetName, u"Name");
  SetText(fid::wdmPresetComment, u"Comment");
  for (int n : {16, -1}) {
    ApplyPresetByIndex(ctx_, n);
    EXPECT_EQ(Text(fid::wdmPresetName), u"");
    EXPECT_EQ(Text(fid::wdmPresetComment), u"");
    EXPECT_EQ(ReadFieldRaw(ctx_, field), 1u);
  }
}

TEST_F(PresetQualityList, LongNameIsCutToTheField) {
  SetKey(u"PresetList2", kPresetFile);
  SavePresetByIndex(ctx_, 2);
  const std::u16string longName(100, u'n');
  SetKey(u"PresetList2Name", longName.c_str());
  ApplyPresetByIndex(ctx_, 2);
  EXPECT_EQ(Text(fid::wdmPresetName), std::u16string(36, u'n'));
}

// While no stamp list is kept, applying a preset leaves its stamp selection as saved.
TEST_F(PresetQualityList, StampSelectionSurvivesAPresetApply) {
  // A preset's stamp index is kept when the stamp list holds it and turns stamps off when
  // it lies beyond the list.
  struct Case {
    const char16_t* stampCount;
    DWORD selectAfter;
    DWORD idAfter;
  } cases[] = {{u"6", 1, 5}, {u"3", 0, 0}};
  int row = 0;
  const std::u16string language = GetLanguageCode(ctx_);
  for (const Case& c : cases) {
    ++row;
    SetKey(u"PresetList1", kPresetFile);
    ASSERT_TRUE(WritePrivateProfileStringW(language.c_str(), u"StampCount", u"6", ini_.c_str()));
    WriteFieldRawById(ctx_, fid::kdmFuncSelectWaterMark, 1);
    WriteFieldRawById(ctx_, fid::kdmWmID, 5);
    WriteFieldRawById(ctx_, fid::kdmWmKind, 1);
    SavePresetByIndex(ctx_, 1);
    ASSERT_TRUE(WritePrivateProfileStringW(language.c_str(), u"StampCount", c.stampCount, ini_.c_str()));
    WriteFieldRawById(ctx_, fid::kdmFuncSelectWaterMark, 0);
    WriteFieldRawById(ctx_, fid::kdmWmID, 0);
    ApplyPresetByIndex(ctx_, 1);
    EXPECT_EQ(ReadFieldRawById(ctx_, fid::kdmFuncSelectWaterMark), c.selectAfter) << row;
    EXPECT_EQ(ReadFieldRawById(ctx_, fid::kdmWmID), c.idAfter) << row;
  }
}

TEST_F(PresetQualityList, FileOfAnotherModelIsDroppedAndPresetZeroApplied) {
  SettingField* field = MarkedNumberField(1);
  ASSERT_NE(field, nullptr);
  SetKey(u"PresetList0", u"C:\\Users\\me\\preset0.kst");
  WriteFieldRaw(ctx_, field, 2);
  SavePresetByIndex(ctx_, 0);
  SetKey(u"PresetList4", kPresetFile);
  WriteFieldRaw(ctx_, field, 3);
  SavePresetByIndex(ctx_, 4);
  ASSERT_TRUE(WritePrivateProfileStringW(section_.c_str(), u"KstMachine", u"Another model", kPresetFile));
  WriteFieldRaw(ctx_, field, 1);
  UseWarningStrings(root_, ctx_);
  ApplyPresetByIndex(ctx_, 4);
  EXPECT_EQ(Key(u"PresetList4"), u"");
  EXPECT_EQ(ReadFieldRaw(ctx_, field), 2u);
  EXPECT_EQ(LastWarning(true), MSG_SETTINGS_HEADER_MISMATCH);
}

TEST_F(PresetQualityList, WritableUnlessReadonlyIsOne) {
  SetKey(u"PresetList0", kPresetFile);
  SavePresetByIndex(ctx_, 0);
  EXPECT_TRUE(IsSettingFileWritable(ctx_, kPresetFile));
  EXPECT_TRUE(IsPresetWritable(ctx_, 0));
  ASSERT_TRUE(WritePrivateProfileStringW(section_.c_str(), u"Readonly", u"1", kPresetFile));
  EXPECT_FALSE(IsSettingFileWritable(ctx_, kPresetFile));
  EXPECT_FALSE(IsPresetWritable(ctx_, 0));
  EXPECT_FALSE(IsPresetWritable(ctx_, 16));
}

TEST_F(PresetQualityList, NewUserFileNameSkipsTakenNumbers) {
  WCHAR first[261];
  MakeNewUserSettingFileName(ctx_, first);
  const std::u16string name = first;
  ASSERT_GE(name.size(), 13u);
  EXPECT_EQ(name.substr(name.size() - 13), u"\\user0000.kst");
  // A file with "KstMachine" takes its number; one without it does not.
  ASSERT_TRUE(WritePrivateProfileStringW(section_.c_str(), u"KstMachine", u"m", first));
  std::u16string second = name;
  second.replace(second.size() - 5, 1, u"1");
  ASSERT_TRUE(WritePrivateProfileStringW(section_.c_str(), u"Other", u"x", second.c_str()));
  WCHAR next[261];
  MakeNewUserSettingFileName(ctx_, next);
  EXPECT_EQ(std::u16string(next), second);
}

TEST_F(PresetQualityList, EnsurePresetFileNameGivesEmptyAndPerUserCopiesAFileOfTheirOwn) {
  struct Case {
    const char16_t* before;
    bool replaced;
  } cases[] = {{u"", true}, {u"C:\\Users\\me\\office.ksr", true}, {u"C:\\Users\\me\\office.KSR", true},
               {u"C:\\Users\\me\\mine.kst", false}};
  for (const Case& c : cases) {
    SetKey(u"PresetList5", c.before);
    EnsurePresetFileName(ctx_, 5);
    const std::u16string after = Key(u"PresetList5");
    if (c.replaced) {
      ASSERT_GE(after.size(), 13u) << std::string(c.before, c.before + 0);
      EXPECT_EQ(after.substr(after.size() - 13), u"\\user0000.kst");
    } else {
      EXPECT_EQ(after, c.before);
    }
  }
}

TEST_F(PresetQualityList, RewriteKeepsReadonlyAndRestoresTheSettings) {
  SettingField* field = MarkedNumberField(1);
  ASSERT_NE(field, nullptr);
  SetKey(u"Count", u"1");
  SetKey(u"PresetList0", kPresetFile);
  WriteFieldRaw(ctx_, field, 2);
  SavePresetByIndex(ctx_, 0);
  ASSERT_TRUE(WritePrivateProfileStringW(section_.c_str(), u"Readonly", u"1", kPresetFile));
  WriteFieldRaw(ctx_, field, 1);
  RewritePresetFiles(ctx_);
  EXPECT_EQ(ReadFieldRaw(ctx_, field), 1u);
  EXPECT_FALSE(IsSettingFileWritable(ctx_, kPresetFile));
  WCHAR value[16] = {};
  GetPrivateProfileStringW(section_.c_str(), field->side->name, u"", value, 16, kPresetFile);
  EXPECT_EQ(std::u16string(value), u"2");
}

TEST_F(PresetQualityList, ChapterLimitsComeFromThePrinterSection) {
  SetKey(u"ChapterMax", u"40");
  SetKey(u"ChapterTrayMax", u"6");
  ReadChapterLimits(ctx_);
  EXPECT_EQ(ReadFieldRawById(ctx_, fid::wdmChapterMax), 40u);
  EXPECT_EQ(ReadFieldRawById(ctx_, fid::wdmChapterTrayMax), 6u);
}

TEST_F(PresetQualityList, SettingsApiSavesTheQualityFileWithoutItsName) {
  struct Case {
    Deliverable deliverable;
    const char16_t* nameAfter;
  } cases[] = {{Deliverable::Interface, u"Fine text"}, {Deliverable::SettingsApi, u"Stored"}};
  for (const Case& c : cases) {
    SettingField* field = MarkedNumberField(2);
    ASSERT_NE(field, nullptr);
    SetKey(u"QualityList0", kQualityFile);
    SetKey(u"QualityList0Name", u"Stored");
    WriteFieldRaw(ctx_, field, 2);
    SetText(fid::wdmUserSetName, u"Fine text");
    SetDeliverable(c.deliverable);
    SaveQualityEntry(ctx_, 0);
    SetDeliverable(Deliverable::Interface);
    EXPECT_EQ(Key(u"QualityList0Name"), c.nameAfter) << static_cast<int>(c.deliverable);
    WriteFieldRaw(ctx_, field, 1);
    ApplyQualityByIndex(ctx_, 0);
    EXPECT_EQ(ReadFieldRaw(ctx_, field), 2u) << static_cast<int>(c.deliverable);  // the file was written
  }
}

TEST_F(PresetQualityList, SettingsApiLeavesNameAndCommentForAnIndexOutsideTheList) {
  struct Case {
    Deliverable deliverable;
    const char16_t* nameAfter;
    const char16_t* commentAfter;
  } cases[] = {{Deliverable::Interface, u"", u""}, {Deliverable::SettingsApi, u"Name", u"Comment"}};
  for (const Case& c : cases) {
    SetText(fid::wdmPresetName, u"Name");
    SetText(fid::wdmPresetComment, u"Comment");
    SetDeliverable(c.deliverable);
    ApplyPresetByIndex(ctx_, 16);
    SetDeliverable(Deliverable::Interface);
    EXPECT_EQ(Text(fid::wdmPresetName), c.nameAfter) << static_cast<int>(c.deliverable);
    EXPECT_EQ(Text(fid::wdmPresetComment), c.commentAfter) << static_cast<int>(c.deliverable);
  }
}

TEST_F(PresetQualityList, SettingsApiAppliesThePresetFileItselfAndNeitherItsNameNorTheCache) {
  SettingField* field = MarkedNumberField(1);
  ASSERT_NE(field, nullptr);
  SetKey(u"PresetList3", kPresetFile);
  WriteFieldRaw(ctx_, field, 2);
  SetText(fid::wdmPresetName, u"Draft");
  SavePresetByIndex(ctx_, 3);
  ApplyPresetByIndex(ctx_, 3);  // the interface captures preset 3 in the change cache
  ASSERT_NE(ctx_->work->presetCache[3], nullptr);
  WriteFieldRaw(ctx_, field, 1);
  ASSERT_EQ(SaveSettingsFile(printer_, kPresetFile, SFT_PRESET, ctx_), 1);

  SetKey(u"PresetList3Name", u"Keyed");

  WriteFieldRaw(ctx_, field, 0);
  SetDeliverable(Deliverable::SettingsApi);
  ApplyPresetByIndex(ctx_, 3);
  SetDeliverable(Deliverable::Interface);
  EXPECT_EQ(ReadFieldRaw(ctx_, field), 1u);  // from the file, not the cached 2
  EXPECT_NE(Text(fid::wdmPresetName), u"Keyed");  // the list's name key is not read
  EXPECT_NE(ctx_->work->presetCache[3], nullptr);  // captured again
}

TEST_F(PresetQualityList, SettingsApiKeepsARefusedPresetRefusedWithoutAWarning) {
  SettingField* field = MarkedNumberField(1);
  ASSERT_NE(field, nullptr);
  SetKey(u"PresetList0", u"C:\\Users\\me\\preset0.kst");
  WriteFieldRaw(ctx_, field, 2);
  SavePresetByIndex(ctx_, 0);
  SetKey(u"PresetList4", kPresetFile);
  WriteFieldRaw(ctx_, field, 3);
  SavePresetByIndex(ctx_, 4);
  ASSERT_TRUE(WritePrivateProfileStringW(section_.c_str(), u"KstMachine", u"Another model", kPresetFile));
  WriteFieldRaw(ctx_, field, 1);
  UseWarningStrings(root_, ctx_);
  SetDeliverable(Deliverable::SettingsApi);
  ApplyPresetByIndex(ctx_, 4);
  SetDeliverable(Deliverable::Interface);
  EXPECT_EQ(Key(u"PresetList4"), kPresetFile);  // the entry keeps its file
  EXPECT_EQ(ReadFieldRaw(ctx_, field), 1u);      // preset 0 was not applied instead
  EXPECT_NE(GetSettingsFileStatus(ctx_), SFS_OK);
  EXPECT_EQ(LastWarning(true), 0u);
}

TEST_F(PresetQualityList, HeaderMismatchWarnsOutsideTheSettingsApiOnly) {
  SetKey(u"PresetList4", kPresetFile);
  SavePresetByIndex(ctx_, 4);
  ASSERT_TRUE(WritePrivateProfileStringW(section_.c_str(), u"KstMachine", u"Another model", kPresetFile));
  struct Case {
    Deliverable deliverable;
    DWORD warning;
  } cases[] = {{Deliverable::Interface, MSG_SETTINGS_HEADER_MISMATCH},
               {Deliverable::Rendering, MSG_SETTINGS_HEADER_MISMATCH},
               {Deliverable::SettingsApi, 0}};
  for (const Case& c : cases) {
    UseWarningStrings(root_, ctx_);
    SetSettingsFileStatus(ctx_, SFS_OK);
    SetDeliverable(c.deliverable);
    LoadSettingsFile(printer_, kPresetFile, SFT_PRESET, ctx_);
    SetDeliverable(Deliverable::Interface);
    EXPECT_NE(GetSettingsFileStatus(ctx_), SFS_OK) << static_cast<int>(c.deliverable);
    EXPECT_EQ(LastWarning(true), c.warning) << static_cast<int>(c.deliverable);
  }
}

}  // namespace preset_quality_list_test
}  // namespace kovatest
