#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "context_fixture.h"
#include "fields/change_flags.h"
#include "fields/field_access.h"
#include "fields/field_table.h"
#include "base/paths_and_names.h"
#include "fields/product_record.h"
#include "field_ids.h"
#include "stored/default_section.h"
#include "model/free_size_list.h"
#include "stored/list_sections.h"
#include "model/paper_map.h"
#include "stored/preset_list.h"
#include "stored/settings_file.h"
#include "stored/settings_load_save.h"
#include "stored/stamp_list.h"
#include "win/profile.h"

namespace kovatest {
namespace {

TEST(PaperMap, IndexesAndPaperIdsBothWays) {
  struct ToIndex {
    DWORD paper;
    int index;
  } toIndex[] = {{384, 0}, {390, 6}, {393, 9}, {256, 10}, {448, 11},
                 {383, kNoFreeSizeIndex}, {394, kNoFreeSizeIndex}, {0, kNoFreeSizeIndex}, {9, kNoFreeSizeIndex}};
  for (const ToIndex& c : toIndex) EXPECT_EQ(FreeSizeIndexFromPaperId(c.paper, nullptr), c.index) << c.paper;

  struct ToPaper {
    int index;
    int count;
    DWORD paper;
  } toPaper[] = {{11, 12, 448}, {11, 10, 0}, {10, 12, 256}, {0, 12, 384}, {9, 10, 393},
                 {12, 12, 0},   {-1, 12, 0}, {5, 1000, 389}, {0, -3, 0}};
  for (const ToPaper& c : toPaper)
    EXPECT_EQ(PaperIdFromFreeSizeIndex(c.index, c.count, nullptr), c.paper) << c.index << " of " << c.count;

  EXPECT_TRUE(IsCustomPaperId(384));
  EXPECT_TRUE(IsCustomPaperId(393));
  EXPECT_FALSE(IsCustomPaperId(256));
  EXPECT_FALSE(IsCustomPaperId(448));
}

class StampAndFreeSizeLists : public ContextTest {
 protected:
  void SetUp() override {
    ContextTest::SetUp();
    root_.WriteFile(u"C:\\_kova\\keep.txt", "");
    root_.WriteFile(u"C:\\Users\\me\\keep.txt", "");
    StartContext(u"Office");
    ini_ = GetUserIniPath(ctx_);
    ASSERT_FALSE(ini_.empty());
    language_ = GetLanguageCode(ctx_);
    stampField_ = StampNumberField(ctx_);
    ASSERT_NE(stampField_, nullptr);
  }
  void TearDown() override {
    for (DriverContext* c : extra_) ReleaseContext(c, CTXR_DESTROY);
    ContextTest::TearDown();
  }
  // A stamp field holding a number of at least two bytes, other than kdmWmID.
  static SettingField* StampNumberField(DriverContext* context) {
    for (int i = 0; i < context->fields.count; ++i) {
      SettingField& f = context->fields.records[i];
      if (MarkOf(f.marks, 3) != 0 && IsNumberFieldCode(FieldCodeOf(f.type)) && FieldSizeOf(f.type) >= 2 &&
          f.id != fid::kdmWmID && GetFieldAddress(context, &f) && f.side && f.side->name)
        return &f;
    }
    return nullptr;
  }
  std::u16string Key(const std::u16string& section, const char16_t* key, const std::u16string& file = {}) {
    WCHAR value[300] = {};
    GetPrivateProfileStringW(section.c_str(), key, u"<missing>", value, 300, (file.empty() ? ini_ : file).c_str());
    return value;
  }
  void SetKey(const std::u16string& section, const char16_t* key, const char16_t* value) {
    ASSERT_TRUE(WritePrivateProfileStringW(section.c_str(), key, value, ini_.c_str()));
  }
  std::u16string Section(const char* prefix, int n) {
    WCHAR section[kListSectionChars];
    MakeListSection(section, prefix, n, ctx_);
    return section;
  }
  std::vector<std::u16string> KeysOf(const std::u16string& section) {
    WCHAR text[4096] = {};
    const DWORD n = GetPrivateProfileSectionW(section.c_str(), text, 4096, ini_.c_str());
    std::vector<std::u16string> keys;
    for (DWORD i = 0; i < n;) {
      std::u16string line(text + i);
      i += static_cast<DWORD>(line.size()) + 1;
      keys.push_back(line.substr(0, line.find(u'=')));
    }
    return keys;
  }
  // Stores stamps 0..count-1 whose stamp field holds 100 + n.
  void StoreStamps(int count) {
    for (int n = 0; n < count; ++n) {
      WriteFieldRaw(ctx_, stampField_, static_cast<DWORD>(100 + n));
      SaveStamp(ctx_, n);
    }
  }
  void SetFreeSizeFields(const char16_t* name, DWORD width, DWORD length, DWORD tray, DWORD orientation) {
    SetFieldString(ctx_, FindFieldById(ctx_, fid::wdmFreeSizeName), name);
    WriteFieldRawById(ctx_, fid::wdmFreeSizeWidth, width);
    WriteFieldRawById(ctx_, fid::wdmFreeSizeLength, length);
    WriteFieldRawById(ctx_, fid::wdmFreeSizeTray, tray);
    WriteFieldRawById(ctx_, fid::wdmFreeSizeOrient, orientation);
  }
  std::vector<BYTE> Settings(DriverContext* c) { return {c->settings, c->settings + GetSettingsBufferSize()}; }

  SettingField* stampField_ = nullptr;
  std::vector<DriverContext*> extra_;
  std::u16string ini_;
  std::u16string language_;
};

TEST_F(StampAndFreeSizeLists, SectionNamesCarryIndexAndLanguage) {
  WCHAR section[kListSectionChars];
  MakeStampSection(section, 0, ctx_);
  EXPECT_EQ(std::u16string(section), u"Stamp0" + language_);
  MakeFreeSizeSection(section, 9, ctx_);
  EXPECT_EQ(std::u16string(section), u"FreeSize9" + language_);
  EXPECT_EQ(GetFreeSizeCount(ctx_), 10);
  EXPECT_EQ(GetFreeSizePaperMapCount(ctx_), 12);
}

TEST_F(StampAndFreeSizeLists, SavingBeyondTheListRaisesTheCount) {
  StoreStamps(3);
  EXPECT_EQ(GetStampCount(ctx_), 3);
  WriteFieldRaw(ctx_, stampField_, 555);
  SaveStamp(ctx_, 5);
  EXPECT_EQ(GetStampCount(ctx_), 6);
  EXPECT_EQ(Key(language_, u"StampCount"), u"6");
  EXPECT_EQ(Key(Section("Stamp", 5), stampField_->side->name), u"555");
  EXPECT_EQ(Key(Section("Stamp", 5), u"kdmWmID"), u"5");
  // A stamp section carries the version alone of the header.
  EXPECT_NE(Key(Section("Stamp", 5), u"KstVersion"), u"<missing>");
  EXPECT_EQ(Key(Section("Stamp", 5), u"KstMachine"), u"<missing>");
  // The spare slot is stored without counting.
  SaveStamp(ctx_, kSpareStampIndex);
  EXPECT_EQ(GetStampCount(ctx_), 6);
  EXPECT_EQ(Key(Section("Stamp", 256), stampField_->side->name), u"555");
}

TEST_F(StampAndFreeSizeLists, ApplyLoadsTheEntryAndSelectsIt) {
  StoreStamps(3);
  WriteFieldRaw(ctx_, stampField_, 7);
  ApplyStamp(ctx_, 1);
  EXPECT_EQ(ReadFieldRaw(ctx_, stampField_), 101u);
  EXPECT_EQ(ReadFieldRawById(ctx_, fid::kdmWmID), 1u);
}

TEST_F(StampAndFreeSizeLists, IndexesOutsideTheListNameNoSection) {
  StoreStamps(2);
  WriteFieldRaw(ctx_, stampField_, 7);
  WriteFieldRawById(ctx_, fid::kdmWmID, 1);
  for (int n : {-1, 257, 70000, -2147483647 - 1}) {
    ApplyStamp(ctx_, n);
    SaveStamp(ctx_, n);
    LoadStampFromFile(ini_.c_str(), n, ctx_);
    EXPECT_EQ(ReadFieldRaw(ctx_, stampField_), 7u) << n;
    EXPECT_EQ(ReadFieldRawById(ctx_, fid::kdmWmID), 1u) << n;
  }
  EXPECT_EQ(GetStampCount(ctx_), 2);
  EXPECT_EQ(Key(Section("Stamp", -1), u"KstVersion"), u"<missing>");
  EXPECT_EQ(Key(Section("Stamp", 257), u"KstVersion"), u"<missing>");
  DeleteStamp(ctx_, 2);
  DeleteStamp(ctx_, -1);
  EXPECT_EQ(GetStampCount(ctx_), 2);
}

TEST_F(StampAndFreeSizeLists, StoredCountsAreHeldWithinTheLists) {
  struct Case {
    const char16_t* stored;
    int stamps;
  } cases[] = {{u"4", 4}, {u"-5", 0}, {u"999999", kMaxStampCount}, {u"x", 0}};
  for (const Case& c : cases) {
    SetKey(language_, u"StampCount", c.stored);
    EXPECT_EQ(GetStampCount(ctx_), c.stamps) << c.stamps;
  }
  SetStampCount(ctx_, 100000);
  EXPECT_EQ(Key(language_, u"StampCount"), u"256");
  SetFreeSizeCount(ctx_, 12);
  EXPECT_EQ(Key(language_, u"FreeSizeCount"), u"10");
}

TEST_F(StampAndFreeSizeLists, DeleteMovesLaterEntriesDownAndKeepsTheSettings) {
  StoreStamps(4);
  WriteFieldRaw(ctx_, stampField_, 42);
  WriteFieldRawById(ctx_, fid::kdmWmID, 3);
  const std::vector<BYTE> before = Settings(ctx_);
  DeleteStamp(ctx_, 1);
  EXPECT_EQ(GetStampCount(ctx_), 3);
  EXPECT_EQ(Key(Section("Stamp", 0), stampField_->side->name), u"100");
  EXPECT_EQ(Key(Section("Stamp", 1), stampField_->side->name), u"102");
  EXPECT_EQ(Key(Section("Stamp", 2), stampField_->side->name), u"103");
  EXPECT_EQ(Key(Section("Stamp", 2), u"kdmWmID"), u"2");
  // The former last entry stays beyond the count.
  EXPECT_EQ(Key(Section("Stamp", 3), stampField_->side->name), u"103");
  EXPECT_EQ(Settings(ctx_), before);
}

TEST_F(StampAndFreeSizeLists, RewriteKeepsEveryEntryAndTheSettings) {
  StoreStamps(2);
  // An entry of an older writer: no header, one key.
  ASSERT_TRUE(WritePrivateProfileStringW(Section("Stamp", 1).c_str(), u"KstVersion", nullptr, ini_.c_str()));
  WriteFieldRaw(ctx_, stampField_, 9);
  const std::vector<BYTE> before = Settings(ctx_);
  RewriteAllStamps(ctx_);
  EXPECT_NE(Key(Section("Stamp", 1), u"KstVersion"), u"<missing>");
  EXPECT_EQ(Key(Section("Stamp", 1), stampField_->side->name), u"101");
  EXPECT_EQ(Settings(ctx_), before);
}

TEST_F(StampAndFreeSizeLists, SharedEntriesComeFromTheSecondModelIni) {
  const std::u16string shared = GetSecondIniPath(ctx_);
  ASSERT_FALSE(shared.empty());
  root_.WriteFile(shared, "");
  const std::u16string section = Section("Stamp", 2);
  ASSERT_TRUE(WritePrivateProfileStringW(section.c_str(), u"KstVersion", u"322", shared.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringW(section.c_str(), stampField_->side->name, u"77", shared.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringW(language_.c_str(), u"StampCount", u"3", shared.c_str()));
  EXPECT_EQ(GetSharedStampCount(ctx_), 3);
  CopyStampSectionToCurrent(ctx_, 2);
  EXPECT_EQ(ReadFieldRaw(ctx_, stampField_), 77u);

  struct Case {
    const char16_t* stored;
    int count;
  } cases[] = {{u"10", 10}, {u"9", 0}, {u"11", 0}, {nullptr, 0}};
  for (const Case& c : cases) {
    ASSERT_TRUE(WritePrivateProfileStringW(language_.c_str(), u"FreeSizeCount", c.stored, shared.c_str()));
    EXPECT_EQ(GetSharedFreeSizeCount(ctx_), c.count);
  }
}

TEST_F(StampAndFreeSizeLists, FreeSizeEntryHoldsExactlyItsFiveKeys) {
  SetFreeSizeFields(u"Card", 5000, 6000, 2, 1);
  WriteFreeSizeSection(ctx_, 3);
  const std::vector<std::u16string> keys = KeysOf(Section("FreeSize", 3));
  const std::vector<std::u16string> expected = {u"KstVersion",        u"wdmFreeSizeName", u"wdmFreeSizeWidth",
                                                u"wdmFreeSizeLength", u"wdmFreeSizeTray", u"wdmFreeSizeOrient"};
  EXPECT_EQ(keys, expected);
  EXPECT_EQ(ReadFieldRawById(ctx_, fid::wdmFreeSize4Width), 5000u);
  EXPECT_EQ(ReadFieldRawById(ctx_, fid::wdmFreeSize4Length), 6000u);
  EXPECT_EQ(ReadFieldRawById(ctx_, fid::wdmFreeSize4Tray), 2u);

  SetFreeSizeFields(u"Other", 1, 2, 3, 2);
  ReadFreeSize(ctx_, 3);
  EXPECT_EQ(ReadFieldRawById(ctx_, fid::wdmFreeSizeWidth), 5000u);
  EXPECT_EQ(ReadFieldRawById(ctx_, fid::wdmFreeSizeLength), 6000u);
  EXPECT_EQ(ReadFieldRawById(ctx_, fid::wdmFreeSizeOrient), 1u);
  WCHAR name[40] = {};
  GetFieldString(ctx_, FindFieldById(ctx_, fid::wdmFreeSizeName), name, 40);
  EXPECT_EQ(std::u16string(name), u"Card");
  // A missing entry reads as cleared fields.
  ReadFreeSize(ctx_, 4);
  EXPECT_EQ(ReadFieldRawById(ctx_, fid::wdmFreeSizeWidth), 0u);
  // The current free size takes the entry's values.
  ReadCurrentFreeSize(ctx_, 3);
  EXPECT_EQ(ReadFieldRawById(ctx_, fid::wdmSrcFreeSizeWidth), 5000u);
  EXPECT_EQ(ReadFieldRawById(ctx_, fid::wdmSrcFreeSizeLength), 6000u);
  EXPECT_EQ(ReadFieldRawById(ctx_, fid::wdmSrcFreeSizeTray), 2u);
}

TEST_F(StampAndFreeSizeLists, IndexesOutsideTheTenEntriesAreRefused) {
  SetFreeSizeFields(u"Card", 5000, 6000, 2, 1);
  for (int n : {-1, 10, 11, 1000}) {
    WriteFreeSizeSection(ctx_, n);
    ReadFreeSize(ctx_, n);
    ClearFreeSize(ctx_, n);
    EXPECT_EQ(ReadFieldRawById(ctx_, fid::wdmFreeSizeWidth), 5000u) << n;
    EXPECT_EQ(Key(Section("FreeSize", n), u"KstVersion"), u"<missing>") << n;
  }
  CopyFreeSizeToListFields(ctx_, u"FreeSize10");
  EXPECT_EQ(ReadFieldRawById(ctx_, fid::wdmFreeSize1Width), 0u);
}

TEST_F(StampAndFreeSizeLists, InitLoadsTheTenEntriesOncePerGeneration) {
  for (int i = 0; i < 10; ++i) {
    SetFreeSizeFields(u"Size", 1000u + static_cast<DWORD>(i), 2000u + static_cast<DWORD>(i), 1, 1);
    WriteFreeSizeSection(ctx_, i);
  }
  for (WORD id = fid::wdmFreeSize1Width; id <= fid::wdmFreeSize10Orient; ++id) WriteFieldRawById(ctx_, id, 0);
  SetFreeSizeFields(u"Edited", 77, 88, 3, 2);
  ClearChangeFlags(ctx_, kFreeSizesLoadedFlag);
  InitFreeSizes(ctx_);
  EXPECT_EQ(ReadFieldRawById(ctx_, fid::wdmFreeSize1Width), 1000u);
  EXPECT_EQ(ReadFieldRawById(ctx_, fid::wdmFreeSize10Length), 2009u);
  EXPECT_EQ(ctx_->work->freeSizes[6].width, 1006u);
  EXPECT_EQ(std::string(ctx_->work->freeSizes[6].userName), "Size");
  // The working fields are as they were.
  EXPECT_EQ(ReadFieldRawById(ctx_, fid::wdmFreeSizeWidth), 77u);

  // Without clearing the flags nothing is read again.
  SetKey(Section("FreeSize", 6), u"wdmFreeSizeWidth", u"4444");
  InitFreeSizes(ctx_);
  EXPECT_EQ(ctx_->work->freeSizes[6].width, 1006u);
  ClearChangeFlags(ctx_, kFreeSizesLoadedFlag);
  InitFreeSizes(ctx_);
  EXPECT_EQ(ctx_->work->freeSizes[6].width, 4444u);
}

TEST_F(StampAndFreeSizeLists, RecordsMoveBothWaysAndAnEmptyRecordChangesNothing) {
  SetFreeSizeFields(u"Postcard", 4724, 6992, 2, 2);
  FeaturesToFreeSizeRecord(ctx_, 2);
  const FreeSizeRecord& record = ctx_->work->freeSizes[2];
  EXPECT_EQ(record.width, 4724u);
  EXPECT_EQ(record.length, 6992u);
  EXPECT_EQ(record.orientation, 2u);
  EXPECT_EQ(std::string(record.userName), "Postcard");
  FreeSizeRecordToCurrent(ctx_, 2);
  EXPECT_EQ(ReadFieldRawById(ctx_, fid::wdmSrcFreeSizeWidth), 4724u);
  EXPECT_EQ(ReadFieldRawById(ctx_, fid::wdmSrcFreeSizeOrient), 2u);

  // Fields of no size leave the record; a record of no size leaves the fields.
  SetFreeSizeFields(u"", 0, 0, 0, 0);
  FeaturesToFreeSizeRecord(ctx_, 2);
  EXPECT_EQ(record.width, 4724u);
  FreeSizeRecordToFeatures(ctx_, 5);
  EXPECT_EQ(ReadFieldRawById(ctx_, fid::wdmFreeSizeWidth), 0u);
  FreeSizeRecordToFeatures(ctx_, 2);
  EXPECT_EQ(ReadFieldRawById(ctx_, fid::wdmFreeSizeWidth), 4724u);
}

TEST_F(StampAndFreeSizeLists, WriteAllStoresOnlyRecordsWithASize) {
  ctx_->work->freeSizes[1] = FreeSizeRecord{{}, {}, "Wide", 9000, 3000, 1, 2};
  const std::vector<BYTE> before = Settings(ctx_);
  WriteAllFreeSizes(ctx_);
  EXPECT_EQ(Key(Section("FreeSize", 1), u"wdmFreeSizeWidth"), u"9000");
  EXPECT_EQ(Key(Section("FreeSize", 1), u"wdmFreeSizeName"), u"Wide");
  EXPECT_EQ(Key(Section("FreeSize", 0), u"KstVersion"), u"<missing>");
  EXPECT_EQ(Key(Section("FreeSize", 2), u"KstVersion"), u"<missing>");
  EXPECT_EQ(Settings(ctx_), before);
  RewriteAllFreeSizes(ctx_);
  EXPECT_EQ(Key(Section("FreeSize", 1), u"wdmFreeSizeLength"), u"3000");
  EXPECT_EQ(Key(Section("FreeSize", 0), u"KstVersion"), u"<missing>");
  EXPECT_EQ(Settings(ctx_), before);
}

TEST_F(StampAndFreeSizeLists, UserPaperRecordsTakeTheirPaperFields) {
  WriteFieldRawById(ctx_, fid::kdmPaperFreeSizeWidth, 3000);
  WriteFieldRawById(ctx_, fid::kdmPaperFreeSizeLength, 4000);
  WriteFieldRawById(ctx_, fid::kdmPrintFreeSizeWidth, 5000);
  WriteFieldRawById(ctx_, fid::kdmPrintFreeSizeLength, 6000);
  LoadUserPaperNames(ctx_, 256, 10);
  LoadUserPaperNames(ctx_, 448, 11);
  EXPECT_EQ(ctx_->work->freeSizes[10].width, 3000u);
  EXPECT_EQ(ctx_->work->freeSizes[11].length, 6000u);
  // Other papers and records outside the work area change nothing.
  LoadUserPaperNames(ctx_, 384, 0);
  LoadUserPaperNames(ctx_, 256, kNoFreeSizeIndex);
  LoadUserPaperNames(ctx_, 256, kFreeSizeRecordCount);
  EXPECT_EQ(ctx_->work->freeSizes[0].width, 0u);
}

TEST_F(StampAndFreeSizeLists, PlainFileCarriesStampAndFreeSizeToAnotherPrinter) {
  constexpr const char16_t* kFile = u"C:\\Users\\me\\carry.kst";
  SetFreeSizeFields(u"Card", 5000, 6000, 2, 1);
  WriteFreeSizeSection(ctx_, 2);
  WriteFieldRaw(ctx_, stampField_, 321);
  SaveStamp(ctx_, 0);
  WriteFieldRawById(ctx_, fid::dmPaperSize, 386);
  WriteFieldRawById(ctx_, fid::kdmFuncSelectWaterMark, 1);
  WriteFieldRawById(ctx_, fid::kdmWmID, 0);
  ASSERT_EQ(SaveSettingsFile(printer_, kFile, 0, ctx_), 1);

  // Printers of one model share their per-printer INI: the lists are emptied, so that the
  // other printer starts without them.
  ASSERT_TRUE(WritePrivateProfileStringW(Section("FreeSize", 2).c_str(), nullptr, nullptr, ini_.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringW(Section("Stamp", 0).c_str(), nullptr, nullptr, ini_.c_str()));
  SetStampCount(ctx_, 0);
  HANDLE other = Install(u"Branch");
  DriverContext* second = Create(other);
  ASSERT_NE(second, nullptr);
  extra_.push_back(second);
  LoadSettingsFile(other, kFile, 0, second);
  const std::u16string otherIni = GetUserIniPath(second);
  EXPECT_EQ(Key(Section("FreeSize", 2), u"wdmFreeSizeWidth", otherIni), u"5000");
  EXPECT_EQ(Key(Section("FreeSize", 2), u"wdmFreeSizeLength", otherIni), u"6000");
  EXPECT_EQ(Key(Section("FreeSize", 2), u"wdmFreeSizeName", otherIni), u"Card");
  EXPECT_EQ(GetStampCount(second), 1);
  EXPECT_EQ(Key(Section("Stamp", 0), stampField_->side->name, otherIni), u"321");
}

TEST_F(StampAndFreeSizeLists, PlainLoadOfAStampBeyondTheListAppendsIt) {
  constexpr const char16_t* kFile = u"C:\\Users\\me\\stamp7.kst";
  StoreStamps(3);
  WriteFieldRaw(ctx_, stampField_, 707);
  WriteFieldRawById(ctx_, fid::kdmFuncSelectWaterMark, 1);
  WriteFieldRawById(ctx_, fid::kdmWmID, 7);
  // The save brings entry 7 (not stored) into the fields: the stamp field stays as set.
  ASSERT_EQ(SaveSettingsFile(printer_, kFile, 0, ctx_), 1);
  LoadSettingsFile(printer_, kFile, 0, ctx_);
  EXPECT_EQ(GetStampCount(ctx_), 4);
  EXPECT_EQ(ReadFieldRawById(ctx_, fid::kdmWmID), 3u);
  EXPECT_EQ(Key(Section("Stamp", 3), stampField_->side->name), u"707");
}

TEST_F(StampAndFreeSizeLists, PlainLoadWithoutAFreeSizeKeepsTheEntry) {
  constexpr const char16_t* kFile = u"C:\\Users\\me\\nosize.kst";
  SetFreeSizeFields(u"Card", 5000, 6000, 2, 1);
  WriteFreeSizeSection(ctx_, 4);
  // A file that names free size 4 as its paper but carries no size for it.
  WriteFieldRawById(ctx_, fid::dmPaperSize, 388);
  ASSERT_EQ(SaveSettingsFile(printer_, kFile, 0, ctx_), 1);
  const std::u16string model = GetModelName(ctx_);
  for (const char16_t* key : {u"wdmSrcFreeSizeWidth", u"wdmSrcFreeSizeLength", u"wdmFreeSizeWidth"})
    ASSERT_TRUE(WritePrivateProfileStringW(model.c_str(), key, u"0", kFile));
  SetFreeSizeFields(u"Other", 1, 2, 3, 2);
  LoadSettingsFile(printer_, kFile, 0, ctx_);
  EXPECT_EQ(Key(Section("FreeSize", 4), u"wdmFreeSizeWidth"), u"5000");
  EXPECT_EQ(Key(Section("FreeSize", 4), u"wdmFreeSizeName"), u"Card");
}

TEST_F(StampAndFreeSizeLists, InstallRefreshKeepsEveryEntryAndTheSettings) {
  StoreStamps(2);
  SetFreeSizeFields(u"Card", 5000, 6000, 2, 1);
  WriteFreeSizeSection(ctx_, 7);
  ASSERT_TRUE(WritePrivateProfileStringW(Section("Stamp", 1).c_str(), u"KstVersion", nullptr, ini_.c_str()));
  WriteFieldRaw(ctx_, stampField_, 5);
  const std::vector<BYTE> before = Settings(ctx_);
  EXPECT_EQ(InitUserLists(printer_, ctx_), 1);
  EXPECT_EQ(GetStampCount(ctx_), 2);
  EXPECT_EQ(Key(Section("Stamp", 1), stampField_->side->name), u"101");
  EXPECT_NE(Key(Section("Stamp", 1), u"KstVersion"), u"<missing>");
  EXPECT_EQ(Key(Section("FreeSize", 7), u"wdmFreeSizeWidth"), u"5000");
  EXPECT_EQ(Key(Section("FreeSize", 6), u"KstVersion"), u"<missing>");
  EXPECT_EQ(Settings(ctx_), before);
}

}  // namespace
}  // namespace kovatest
