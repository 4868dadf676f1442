// Binding of the context's page and control tables, the bound flag, the shared extra-data
// blocks, the lock-marker ids and the depth of the settings snapshot ring.
#include <thread>

#include "stored/snapshot_ring.h"
#include "win/profile.h"
#include "stored/preset_list.h"
#include "base/paths_and_names.h"
#include "model/option_lookup.h"
#include "model/option_walk.h"
#include "page_engine_fixture.h"
#include "modules/page_refresh.h"

namespace kovatest {
namespace {

class PageBindingTest : public PageEngineTest {};

// Every page of the table: each control finds the field of its item id and the model's
// option of its item id (the buddy's for a spin bar), and carries its own id as alternate.
TEST_F(PageBindingTest, EveryPageOfTheSampleModelBinds) {
  DriverContext* context = Bound();
  ASSERT_NE(context, nullptr);
  ASSERT_EQ(context->pages.count, kBuiltInPageCount);
  int controls = 0, withField = 0, withOption = 0;
  for (int p = 0; p < context->pages.count; ++p) {
    PageRecord& page = context->pages.records[p];
    SCOPED_TRACE(page.pageId);
    for (int i = 0; i < page.controlCount; ++i) {
      const ControlRecord& c = page.controls[i];
      ++controls;
      EXPECT_EQ(c.alternateId, c.controlId);
      EXPECT_EQ(c.field, FindFieldByKeyword(context, static_cast<std::int16_t>(c.itemId))) << c.controlId;
      WORD optionItem = c.itemId;
      if (c.kind == 23 && c.linkedId)
        if (const ControlRecord* buddy = FindControlById(context, &page, c.linkedId)) optionItem = buddy->itemId;
      EXPECT_EQ(c.option, OptionRecordAddress(GetOptionNode(context, optionItem))) << c.controlId;
      withField += c.field != nullptr;
      withOption += c.option != nullptr;
    }
  }
  EXPECT_GT(controls, 40);
  EXPECT_GT(withField, 10);
  // The sample model describes the first page's choices: orientation, media, paper ...
  EXPECT_GE(withOption, 8);
  PageRecord* first = FindPageById(context, 1001);
  ASSERT_NE(first, nullptr);
  for (WORD id : {2026, 2027, 2009, 2017, 2029}) {
    const ControlRecord* c = FindControlById(context, first, id);
    ASSERT_NE(c, nullptr) << id;
    EXPECT_NE(c->option, nullptr) << id;
    EXPECT_NE(c->field, nullptr) << id;
  }
  // The spin bar takes its buddy edit's option.
  EXPECT_EQ(FindControlById(context, first, 2030)->option, FindControlById(context, first, 2029)->option);
}

// A model with no option for any control of the first page: a second binding must not
// bind again (no second snapshot, the change marks made since stay).
TEST_F(PageBindingTest, BindingTwiceChangesNothingEvenWithoutOptions) {
  UseModel("*FileVersion: \"9.02\"\r\n*UIResDLLName: \"KOVAUI.DLL\"\r\n");
  DriverContext* context = Bound();
  ASSERT_NE(context, nullptr);
  EXPECT_EQ(SettingsSnapshotDepth(context), 1);
  ASSERT_EQ(FindControlById(context, FindPageById(context, 1001), 2026)->option, nullptr);
  SettingField* copies = FindFieldById(context, fid::dmCopies);
  SetFieldValue(context, copies, 7);
  ASSERT_EQ(GetFieldChangeMark(copies), 1);
  BindPageControls(context, nullptr);
  EXPECT_EQ(SettingsSnapshotDepth(context), 1);
  EXPECT_EQ(GetFieldChangeMark(copies), 1);
  EXPECT_EQ(context->work->sheet.bound, 1);
}

TEST_F(PageBindingTest, PresetNumbersReadThroughThePresetMap) {
  DriverContext* context = Bound();
  ASSERT_NE(context, nullptr);
  struct Case {
    std::int32_t stored;
    DWORD value;
  };
  for (const Case& c : {Case{-1, 118}, Case{0, 119}, Case{3, 122}, Case{15, 134}}) {
    WriteFieldRawById(context, fid::kdmPresetNo, static_cast<DWORD>(c.stored));
    EXPECT_EQ(Value(context, fid::kdmPresetNo), c.value) << c.stored;
  }
}

// The field holds the preset's index (-1 for none); the name and comment of the selected
// preset are read at binding.
TEST_F(PageBindingTest, BindingReadsTheSelectedPresetsNameAndComment) {
  struct Case {
    std::int32_t stored;
    const char* name;
    const char* comment;
  };
  const Case cases[] = {{2, "Office", "Two-sided"}, {0, "Standard", ""}, {-1, "", ""}};
  root_.WriteFile(u"C:\\_kova\\keep.txt", "");  // the per-printer INI's folder
  int index = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored);
    DriverContext* context = Create(Install(u"Name Printer " + std::u16string(1, static_cast<char16_t>(u'a' + index++))));
    ASSERT_NE(context, nullptr);
    contexts_.push_back(context);
    ASSERT_TRUE(GetPrinterSectionName(context) && GetUserIniPath(context));
    const std::u16string section = GetPrinterSectionName(context);
    const std::u16string ini = GetUserIniPath(context);
    for (const auto& [key, text] : {std::pair{u"PresetList0Name", u"Standard"}, std::pair{u"PresetList2Name", u"Office"},
                                    std::pair{u"PresetList2Comment", u"Two-sided"}})
      ASSERT_TRUE(WritePrivateProfileStringW(section.c_str(), key, text, ini.c_str()));
    WriteFieldRawById(context, fid::kdmPresetNo, static_cast<DWORD>(c.stored));
    BindPageControls(context, nullptr);
    EXPECT_STREQ(reinterpret_cast<const char*>(GetPresetNameField(context)), c.name);
    EXPECT_STREQ(reinterpret_cast<const char*>(GetPresetCommentField(context)), c.comment);
  }
}

// A changed setting drops the selected preset (index 0 included); a change of a field the
// preset keeps (its name) does not.
TEST_F(PageBindingTest, ARefreshDropsThePresetWhenASettingChanged) {
  struct Case {
    std::int32_t stored;
    WORD changed;
    DWORD after;
  };
  const Case cases[] = {{3, fid::dmCopies, 118}, {0, fid::dmCopies, 118}, {3, fid::wdmPresetName, 122}, {-1, fid::dmCopies, 118}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.stored << " " << c.changed);
    DriverContext* context = Bound();
    ASSERT_NE(context, nullptr);
    PageRecord* page = FindPageById(context, 1002);
    ASSERT_NE(page, nullptr);
    WriteFieldRawById(context, fid::KPD_kdmPresentUIMode, 0);
    WriteFieldRawById(context, fid::kdmPresetNo, static_cast<DWORD>(c.stored));
    for (int i = 0; i < context->fields.count; ++i) SetFieldChangeMark(&context->fields.records[i], 0);
    SettingField* changed = FindFieldById(context, c.changed);
    ASSERT_NE(changed, nullptr);
    SetFieldChangeMark(changed, 1);
    RefreshPage(context, page, 0);
    EXPECT_EQ(Value(context, fid::kdmPresetNo), c.after);
  }
}

// The translated extra-data blocks are one per process, built once, and every context
// points at the same block; binding in parallel threads neither races nor rebuilds them.
TEST_F(PageBindingTest, SharedExtraDataIsBuiltOnceForEveryContext) {
  DriverContext* a = Bound(u"Printer A");
  DriverContext* b = Bound(u"Printer B");
  ASSERT_TRUE(a && b);
  const void* previewA = FindControlById(a, FindPageById(a, 1001), 2001)->extraData;
  const void* previewB = FindControlById(b, FindPageById(b, 1001), 2001)->extraData;
  ASSERT_NE(previewA, nullptr);
  EXPECT_EQ(previewA, previewB);
  EXPECT_EQ(previewA, SharedPreviewExtraData());
  EXPECT_EQ(GetControlExtraData(FindControlById(a, FindPageById(a, 1001), 2001), 8), previewA);
  EXPECT_EQ(GetControlExtraData(FindControlById(a, FindPageById(a, 1001), 2001), 1), nullptr);
  const WORD* block = SharedPreviewExtraData();
  EXPECT_EQ(block[2], fid::wdmWmFontName);
  const std::vector<WORD> before(block, block + 15);
  DriverContext* c = Create(Install(u"Printer C"));
  DriverContext* d = Create(Install(u"Printer D"));
  ASSERT_TRUE(c && d);
  contexts_.push_back(c);
  contexts_.push_back(d);
  std::thread t1([c] { BindPageControls(c, nullptr); });
  std::thread t2([d] { BindPageControls(d, nullptr); });
  t1.join();
  t2.join();
  EXPECT_EQ(std::vector<WORD>(block, block + 15), before);
  const WORD* sample = SharedSampleExtraData();
  ASSERT_NE(sample, nullptr);
  EXPECT_EQ(sample[3], 138);
  EXPECT_EQ(sample[8], 143);
}

TEST_F(PageBindingTest, FilePagesAreTheFileFlagged) {
  DriverContext* context = Bound();
  ASSERT_NE(context, nullptr);
  for (WORD id : {4001, 4002, 4003, 4007, 4008, 4009, 4015}) EXPECT_TRUE(IsFilePage(FindPageById(context, id))) << id;
  for (WORD id : {1001, 1002, 1011, 4019, 1021}) EXPECT_TRUE(IsNotFilePage(FindPageById(context, id))) << id;
  EXPECT_FALSE(IsFilePage(nullptr));
}

// Lock markers take ids no template control has: above every control id of every page.
TEST_F(PageBindingTest, LockMarkerIdsLieOutsideEveryTemplate) {
  DriverContext* context = Bound();
  ASSERT_NE(context, nullptr);
  for (int p = 0; p < context->pages.count; ++p) {
    const PageRecord& page = context->pages.records[p];
    for (int i = 0; i < page.controlCount; ++i) {
      const WORD marker = LockMarkerIdOf(page.controls[i].controlId);
      EXPECT_GT(marker, 5005);
      EXPECT_EQ(FindControlById(context, nullptr, marker), nullptr) << marker;
    }
  }
  EXPECT_EQ(LockMarkerIdOf(2006), 22006);
}

// Each pop restores the state its own push saved, however deep the pushes go; beyond the
// ring's room the push is refused and changes nothing.
TEST_F(PageBindingTest, SnapshotRingCountsItsDepthAndNeverDropsASlot) {
  DriverContext* context = Bound();
  ASSERT_NE(context, nullptr);
  const int base = SettingsSnapshotDepth(context);
  constexpr int kDeep = 6;
  for (int i = 0; i < kDeep; ++i) {
    WriteFieldRawById(context, fid::dmCopies, static_cast<DWORD>(10 + i));
    ASSERT_EQ(PushSettingsSnapshot(context), 1) << i;
  }
  EXPECT_EQ(SettingsSnapshotDepth(context), base + kDeep);
  for (int i = kDeep - 1; i >= 0; --i) {
    WriteFieldRawById(context, fid::dmCopies, 99);
    PopSettingsSnapshot(context, 1);
    EXPECT_EQ(Raw(context, fid::dmCopies), static_cast<DWORD>(10 + i)) << i;
  }
  EXPECT_EQ(SettingsSnapshotDepth(context), base);
  int pushed = 0;
  while (PushSettingsSnapshot(context) == 1 && pushed < 100) ++pushed;
  EXPECT_EQ(base + pushed, 3 + kMaxExtraSnapshots);
  WriteFieldRawById(context, fid::dmCopies, 42);
  EXPECT_EQ(PushSettingsSnapshot(context), 0);
  EXPECT_EQ(SettingsSnapshotDepth(context), 3 + kMaxExtraSnapshots);
}

}  // namespace
}  // namespace kovatest
