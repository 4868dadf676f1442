#include <filesystem>
#include <string>

#include "context/display_text.h"
#include "fields/field_access.h"
#include "fields/field_table.h"
#include "base/ui_strings.h"
#include "model/model_parse.h"
#include "paths_fixture.h"
#include "win/loader.h"

namespace {

using kovatest::Str;

class DisplayText : public kovatest::PathsTest {
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
  // A 32-bit number field with an item id and no value map.
  SettingField* PlainNumberField() {
    for (std::int16_t i = 0; i < fc_.get()->fields.count; ++i) {
      SettingField* f = &fc_.get()->fields.records[i];
      const DWORD code = FieldCodeOf(f->type);
      if (f->itemId && (code == FT_U32 || code == FT_S32) && FieldAreaOf(f->type) == 1 &&
          (!f->side || !f->side->valueMap))
        return f;
    }
    return nullptr;
  }
  std::u16string Text(std::int16_t item, WORD type, DWORD unitLabel = 0) {
    WCHAR text[96];
    FormatValueTextForOption(ctx_, item, type, unitLabel, text, 96);
    return Str(text);
  }
  DriverContext* ctx_ = nullptr;
};

TEST_F(DisplayText, SubstitutionTable) {
  EXPECT_EQ(SubstituteDisplayStringId(2026), 13479u);
  EXPECT_EQ(SubstituteDisplayStringId(2669), 92u);
  EXPECT_EQ(SubstituteDisplayStringId(3228), 13652u);
  EXPECT_EQ(SubstituteDisplayStringId(5009), 5009u);  // not in the table: its own id
}

TEST_F(DisplayText, PickOneBooleanAndNumeric) {
  SettingField* orientation = fc_.field(7);
  ASSERT_NE(orientation->itemId, 0);
  const auto item = static_cast<std::int16_t>(orientation->itemId);
  WriteFieldRawById(ctx_, 7, 1);  // value id 2026, shown with string 13479
  EXPECT_EQ(Text(item, kTypePickOne), u"Portrait");
  WriteFieldRawById(ctx_, 7, 2);  // 2027 -> 13480, which the module lacks
  EXPECT_EQ(Text(item, kTypePickOne), u"13480 is not string-ID");
  EXPECT_EQ(Text(item, kTypeBoolean), u"On");

  SettingField* number = PlainNumberField();
  ASSERT_NE(number, nullptr);
  const auto numberItem = static_cast<std::int16_t>(number->itemId);
  WriteFieldRawById(ctx_, number->id, 0);
  EXPECT_EQ(Text(numberItem, kTypeBoolean), u"Off");
  WriteFieldRawById(ctx_, number->id, 9920);
  EXPECT_EQ(Text(numberItem, kTypeNumeric), u"9920");
  number->runtimeFlags |= FRF_USER_UNITS;
  WriteFieldRawById(ctx_, 171, 0);  // millimetres
  EXPECT_EQ(Text(numberItem, kTypeNumeric, 153), u"210.0mm");
  WriteFieldRawById(ctx_, 169, 4);  // a decimal-comma language
  EXPECT_EQ(Text(numberItem, kTypeNumeric, 153), u"210,0mm");
  WriteFieldRawById(ctx_, 169, 1);
  WriteFieldRawById(ctx_, 171, 1);  // inches
  WriteFieldRawById(ctx_, number->id, 10200);
  EXPECT_EQ(Text(numberItem, kTypeNumeric, 154), u"8.50inch");
  // The unit label only takes the room left.
  WCHAR small[6];
  FormatValueTextForOption(ctx_, numberItem, kTypeNumeric, 154, small, 6);
  EXPECT_EQ(Str(small), u"8.50i");
  number->runtimeFlags &= ~FRF_USER_UNITS;
  // Without an option record the value is a plain number.
  WCHAR text[32];
  FormatFieldValueText(ctx_, numberItem, text, 32);
  EXPECT_EQ(Str(text), u"10200");
}

TEST_F(DisplayText, StampKindTexts) {
  SettingField* kind = fc_.field(117);
  if (!kind->itemId) GTEST_SKIP() << "kdmWmKind has no item id in this dictionary";
  const auto item = static_cast<std::int16_t>(kind->itemId);
  struct Case {
    DWORD value;
    const char16_t* text;
  } cases[] = {{1, u"文字ｽﾀﾝﾌﾟ"}, {2, u"ｲﾒｰｼﾞｽﾀﾝﾌﾟ"}, {3, u"合成"}, {0, u"None"}};
  for (const auto& c : cases) {
    WriteFieldRawById(ctx_, 117, c.value);
    EXPECT_EQ(Text(item, 0), c.text) << c.value;
  }
}

}  // namespace
