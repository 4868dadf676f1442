#include <cstring>
#include <filesystem>
#include <string>

#include "base/driver_context.h"
#include "fields/field_access.h"
#include "base/ui_strings.h"
#include "paths_fixture.h"
#include "win/loader.h"

namespace {

using kovatest::Str;

class UiStrings : public kovatest::PathsTest {
 protected:
  void SetUp() override {
    PathsTest::SetUp();
    std::filesystem::create_directories(root_.HostPath(u"C:\\drv"));
    std::filesystem::copy_file(kovatest::FixturePath("ui/KOVAUIus.rc"), root_.HostPath(u"C:\\drv\\KOVAUIus.rc"));
    ctx_ = Context(nullptr);
    ctx_->uiModule = LoadLibraryW(u"C:\\drv\\KOVAUIus.DLL");
    ASSERT_NE(ctx_->uiModule, nullptr);
  }
  void TearDown() override {
    FreeResourceModules(ctx_);
    PathsTest::TearDown();
  }
  DriverContext* ctx_ = nullptr;
};

TEST_F(UiStrings, PlainStringsAndMissingOnes) {
  WCHAR text[64];
  EXPECT_EQ(LoadUiString(ctx_, 370, text, 64, 0), 2);
  EXPECT_EQ(Str(text), u"On");
  EXPECT_EQ(LoadUiString(ctx_, 4242, text, 64, 1), 0);
  EXPECT_EQ(text[0], 0);
  WCHAR tiny[2];
  LoadUiString(ctx_, 370, tiny, 2, 0);
  EXPECT_EQ(Str(tiny), u"O");
  EXPECT_EQ(LoadUiString(ctx_, 370, text, 0, 0), 0);
}

TEST_F(UiStrings, UnitNameFollowsTheDisplayUnit) {
  WCHAR text[64];
  WriteFieldRawById(ctx_, 171, 1);  // inches
  LoadUiString(ctx_, 153, text, 64, 1);
  EXPECT_EQ(Str(text), u"inch");
  WriteFieldRawById(ctx_, 171, 0);
  LoadUiString(ctx_, 154, text, 64, 1);
  EXPECT_EQ(Str(text), u"mm");
  LoadUiString(ctx_, 154, text, 64, 0);  // without completion the string stays
  EXPECT_EQ(Str(text), u"inch");
}

TEST_F(UiStrings, TrayNamesGetTheirSetting) {
  SetFieldString(ctx_, fc_.field(1454), u"Letter tray");
  WCHAR text[64];
  LoadUiString(ctx_, 30, text, 64, 1);
  EXPECT_EQ(Str(text), u"Tray 2:Letter tray");
  WCHAR small[10];
  LoadUiString(ctx_, 30, small, 10, 1);  // completed within the buffer
  EXPECT_EQ(Str(small), u"Tray 2:Le");
}

TEST_F(UiStrings, CustomSizeAndRanges) {
  WriteFieldRawById(ctx_, 171, 0);
  WriteFieldRawById(ctx_, 340, 9920);   // 210.0 mm
  WriteFieldRawById(ctx_, 341, 14030);  // 297.0 mm
  WCHAR text[96];
  LoadUiString(ctx_, 752, text, 96, 1);
  EXPECT_EQ(Str(text), u"Custom size(210.0 x 297.0mm)");
  WriteFieldRawById(ctx_, 169, 4);  // a decimal-comma language
  LoadUiString(ctx_, 752, text, 96, 1);
  EXPECT_EQ(Str(text), u"Custom size(210,0 x 297,0mm)");
  WriteFieldRawById(ctx_, 169, 1);
  ctx_->pageId = 0;  // on another page both placeholders read zero
  LoadUiString(ctx_, 13273, text, 96, 1);
  EXPECT_EQ(Str(text), u"Width (0.0 - 0.0)");
}

// The custom paper table gives a length and a width range for a tray and orientation (tray 1
// upright: length 6992-20408, width 4250-14030 in 1200 dpi): a free size's width is held in
// the width range and its length in the length range.
TEST_F(UiStrings, FreeSizesAreHeldInTheirOwnRanges) {
  WriteFieldRawById(ctx_, 171, 0);
  ASSERT_NE(ctx_->work, nullptr);
  FreeSizeRecord& record = ctx_->work->freeSizes[0];
  std::memcpy(record.userName, "Card", 5);
  record.tray = 1;
  record.orientation = 1;
  struct Case {
    DWORD width, length;
    const char16_t* text;
  } const cases[] = {
      {5000, 8000, u"Card(105.9 x 169.4mm)"},    // inside both ranges: unchanged
      {4000, 6000, u"Card(90.0 x 148.0mm)"},     // below: the minimums
      {15000, 21000, u"Card(297.0 x 432.0mm)"},  // above: the maximums
  };
  for (const Case& c : cases) {
    record.width = c.width;
    record.length = c.length;
    WCHAR text[96];
    LoadUiString(ctx_, 109, text, 96, 1);
    EXPECT_EQ(Str(text), c.text) << c.width << " x " << c.length;
  }
}

TEST(UiStringTable, RowsByKind) {
  const UiStringCompletionRow* rows = GetUiStringCompletionTable();
  int count = 0, kinds[7] = {};
  for (; rows[count].stringId; ++count) ++kinds[rows[count].kind];
  EXPECT_EQ(count, 79);
  EXPECT_EQ(kinds[UIS_TRAY_NAME], 27);
  EXPECT_EQ(kinds[UIS_PAPER_SIZE], 14);
  EXPECT_EQ(kinds[UIS_UNIT_NAME], 2);
  EXPECT_EQ(kinds[UIS_MODULE], 16);
  EXPECT_EQ(kinds[UIS_RANGE], 4);
  EXPECT_EQ(kinds[UIS_CUSTOM_MEDIA], 16);
  EXPECT_EQ(rows[9].stringId, 813u);
  EXPECT_EQ(rows[9].fieldId, 1453);
}

}  // namespace
