// The field checks against a model: status codes, the option checks by type, the
// corrections (model default, kept disabled value, scale clamp), the preset number, the
// switch-tied values and the N-up rule.
#include <gtest/gtest.h>

#include "model/field_checks.h"
#include "model_context.h"

namespace kovatest {
namespace field_checks_test {
namespace {

enum : WORD {
  kOrientation = 7,
  kPresetNo = 37,
  kOutputTrayId = 53,
  kMediaType = 54,
  kFuncSelectNup = 56,
  kFuncSelectPoster = 57,
  kFuncSelectWatermark = 60,
  kFuncSelectStaple = 63,
  kScaleH = 89,
  kNupPostKind = 91,
  kNupType = 92,
  kStapleType = 121,
  kColorMatching = 130,
};

// Media 2 disabled and 258 hidden while the watermark switch is off (always, here); the
// staple type 2 and the N-up type 2 disabled the same way.
const std::string kModel =
    PickOne("KPD_IDC_PRESET_CHOICE_MEDIATYPE",
            {"KDMMEDIATYPE_1", "KDMMEDIATYPE_2", "KDMMEDIATYPE_258", "KDMMEDIATYPE_260"}, "KDMMEDIATYPE_1") +
    Boolean("KPD_IDC_FUNCSELECTSTAPLE", false) +
    PickOne("KPD_IDC_STAPLETYPE", {"KDMSTAPLETYPE_0", "KDMSTAPLETYPE_1", "KDMSTAPLETYPE_2"}, "KDMSTAPLETYPE_0") +
    Numeric("KPD_IDC_PRESET_EDIT_SCALE_H", 100, 20, 400) + Boolean("KPD_IDC_FUNCSELECTNUP", false) +
    PickOne("KPD_IDC_NUPTYPE",
            {"KDMNUPTYPE_0", "KDMNUPTYPE_1", "KDMNUPTYPE_2", "KDMNUPTYPE_3", "KDMNUPTYPE_4", "KDMNUPTYPE_1L"},
            "KDMNUPTYPE_1") +
    PickOne("KPD_IDC_PRESET_ICONLIST", {"KDMPRESETNO_0", "KDMPRESETNO_1", "KDMPRESETNO_2"}, "KDMPRESETNO_0") +
    "*Judge 1=Always: KPD_IDC_FUNCSELECTWATERMARK == 0\r\n"
    "*Item 1=MediaItems: {\r\n  {KDMMEDIATYPE_2 Always NULL NULL}\r\n  {KDMMEDIATYPE_258 NULL Always NULL}\r\n}\r\n"
    "*Item 2=StapleItems: {\r\n  {KDMSTAPLETYPE_2 Always NULL NULL}\r\n}\r\n"
    "*Item 3=NupItems: {\r\n  {KDMNUPTYPE_2 Always NULL NULL}\r\n}\r\n"
    "*Exclusive: {\r\n"
    "  {KPD_IDC_PRESET_CHOICE_MEDIATYPE NULL NULL MediaItems NULL NULL NULL NULL}\r\n"
    "  {KPD_IDC_STAPLETYPE NULL NULL StapleItems NULL NULL NULL NULL}\r\n"
    "  {KPD_IDC_NUPTYPE NULL NULL NupItems NULL NULL NULL NULL}\r\n"
    "}\r\n";

class FieldChecks : public ::testing::Test {
 protected:
  void SetUp() override { m_.SetRaw(kOrientation, 1); }
  ModelContext m_{kModel};
};

TEST_F(FieldChecks, StatusAndCorrectionOfAPickOneValue) {
  struct Case {
    DWORD stored;
    DWORD mergeFlags;
    DWORD after;
  } cases[] = {
      {1, 0, 1},                       // offered
      {260, 0, 260},                   // offered
      {258, 0, 258},                   // hidden counts as valid
      {2, 0, 1},                       // disabled: the model default
      {2, MERGE_KEEP_DISABLED, 2},     // disabled, kept while the merge asks for it
      {3, MERGE_KEEP_DISABLED, 1},     // mapped but not offered by the option: invalid, never kept
      {999, 0, 1},                     // no stored value of the map
  };
  for (const Case& c : cases) {
    m_.work().mergeFlags = c.mergeFlags;
    m_.SetRaw(kMediaType, c.stored);
    EXPECT_EQ(CheckFieldValue(kMediaType, c.stored, m_.ctx()), FIELD_VALID) << c.stored;
    EXPECT_EQ(m_.Raw(kMediaType), c.after) << c.stored << " flags " << c.mergeFlags;
  }
}

TEST_F(FieldChecks, OptionCheckResults) {
  SettingField* media = m_.field(kMediaType);
  ImageRef option = GetOptionForFeature(kMediaType, m_.ctx());
  ASSERT_TRUE(option);
  EXPECT_EQ(CheckOptionValue(media, kMediaType, 1, m_.ctx(), option), OPTION_VALID);
  EXPECT_EQ(CheckOptionValue(media, kMediaType, 2, m_.ctx(), option), OPTION_DISABLED);
  EXPECT_EQ(CheckOptionValue(media, kMediaType, 258, m_.ctx(), option), OPTION_HIDDEN);
  EXPECT_EQ(CheckOptionValue(media, kMediaType, 3, m_.ctx(), option), OPTION_INVALID);
  // The simple form: a disabled value is invalid, a hidden one valid.
  EXPECT_EQ(CheckOptionValueSimple(media, kMediaType, 2, m_.ctx()), OPTION_INVALID);
  EXPECT_EQ(CheckOptionValueSimple(media, kMediaType, 258, m_.ctx()), OPTION_VALID);
  EXPECT_EQ(IsFieldValueAcceptableSimple(kMediaType, 2, m_.ctx()), 0);
  EXPECT_EQ(IsFieldValueAcceptableSimple(kMediaType, 258, m_.ctx()), 1);
  // Boolean: 0 and 1 only.
  SettingField* staple = m_.field(kFuncSelectStaple);
  ImageRef boolean = GetOptionForFeature(kFuncSelectStaple, m_.ctx());
  EXPECT_EQ(CheckOptionValue(staple, kFuncSelectStaple, 1, m_.ctx(), boolean), OPTION_VALID);
  EXPECT_EQ(CheckOptionValue(staple, kFuncSelectStaple, 2, m_.ctx(), boolean), OPTION_INVALID);
  // Without an option the type is 0, which accepts every value.
  EXPECT_EQ(CheckOptionValue(media, kMediaType, 999, m_.ctx(), ImageRef{}), OPTION_VALID);
}

TEST_F(FieldChecks, UndescribedAndOptionlessFieldsAreLeftAlone) {
  m_.SetRaw(kFuncSelectPoster, 1);
  m_.SetRaw(kColorMatching, 77);
  m_.SetRaw(kOutputTrayId, 4000);
  EXPECT_EQ(CheckFieldValue(kFuncSelectPoster, 1, m_.ctx()), FIELD_UNDESCRIBED);
  EXPECT_EQ(CheckFieldValue(kColorMatching, 77, m_.ctx()), FIELD_UNDESCRIBED);
  EXPECT_EQ(CheckFieldValue(kOutputTrayId, 4000, m_.ctx()), FIELD_NO_OPTION);
  EXPECT_EQ(CheckFieldValue(9999, 0, m_.ctx()), FIELD_UNDESCRIBED);  // no such field
  EXPECT_EQ(CheckFieldValueSimple(kOutputTrayId, 4000, m_.ctx()), FIELD_NO_OPTION);
  EXPECT_EQ(m_.Raw(kFuncSelectPoster), 1u);
  EXPECT_EQ(m_.Raw(kColorMatching), 77u);
  EXPECT_EQ(m_.Raw(kOutputTrayId), 4000u);
}

TEST_F(FieldChecks, SimpleCheckCorrectsNothingForAMappedValue) {
  // 3 is a stored value of the media map with an offered id, though the option lacks it.
  m_.SetRaw(kMediaType, 3);
  EXPECT_EQ(CheckFieldValueSimple(kMediaType, 3, m_.ctx()), FIELD_VALID);
  EXPECT_EQ(m_.Raw(kMediaType), 3u);
  m_.SetRaw(kMediaType, 999);
  EXPECT_EQ(CheckFieldValueSimple(kMediaType, 999, m_.ctx()), 0);
  EXPECT_EQ(m_.Raw(kMediaType), 999u);
}

TEST_F(FieldChecks, NumericEdgesAndTheScaleClamp) {
  struct Case {
    std::int32_t stored;
    DWORD mergeFlags;
    std::int32_t after;
  } cases[] = {
      {20, 0, 20},     {400, 0, 400},    {19, 0, 100},   {401, 0, 100},
      {1000, MERGE_CLAMP_SCALE, 400},    {5, MERGE_CLAMP_SCALE, 20},   {200, MERGE_CLAMP_SCALE, 200},
  };
  for (const Case& c : cases) {
    m_.work().mergeFlags = c.mergeFlags;
    m_.SetRaw(kScaleH, static_cast<DWORD>(c.stored));
    EXPECT_EQ(CheckFieldValue(kScaleH, static_cast<DWORD>(c.stored), m_.ctx()), FIELD_VALID);
    EXPECT_EQ(m_.Signed(kScaleH), c.after) << c.stored;
  }
  // The clamp's own rule: a value within the range still gets the model default.
  m_.SetRaw(kScaleH, 250);
  ClampOrDefaultField(m_.ctx(), m_.field(kScaleH), kScaleH, 250);
  EXPECT_EQ(m_.Raw(kScaleH), 100u);
}

TEST_F(FieldChecks, PresetNumberIsTheStoredByte) {
  // kdmPresetNo is one signed byte: 130 is stored as the byte 0x82 and reads as preset 11.
  struct Case {
    DWORD written;
    DWORD byteAfter;
  } cases[] = {{130, 130}, {200, 0}, {255, 255}, {127, 127}, {118, 118}, {1, 1}, {128, 128}, {140, 0}};
  for (const Case& c : cases) {
    m_.SetRaw(kPresetNo, c.written);
    EXPECT_EQ(CheckFieldValue(kPresetNo, m_.Raw(kPresetNo), m_.ctx()), FIELD_VALID);
    EXPECT_EQ(m_.Raw(kPresetNo) & 0xFF, c.byteAfter) << c.written;
  }
  EXPECT_EQ(PresetNumberOf(130), 11u);
  EXPECT_EQ(PresetNumberOf(118), 255u);
  EXPECT_EQ(PresetNumberOf(0xFFFFFF82u), 11u);
  EXPECT_EQ(PresetNumberOf(200), 200u);
}

TEST_F(FieldChecks, SwitchTiedValueIsCheckedOnlyWhileTheSwitchIsOn) {
  SettingField* field = m_.field(kStapleType);
  ImageRef option = GetOptionForFeature(kStapleType, m_.ctx());
  m_.SetRaw(kFuncSelectStaple, 0);
  EXPECT_EQ(CheckOptionValue(field, kStapleType, 2, m_.ctx(), option), OPTION_VALID);
  m_.SetRaw(kStapleType, 2);
  EXPECT_EQ(CheckFieldValue(kStapleType, 2, m_.ctx()), FIELD_VALID);
  EXPECT_EQ(m_.Raw(kStapleType), 2u);

  m_.SetRaw(kFuncSelectStaple, 1);
  EXPECT_EQ(CheckOptionValue(field, kStapleType, 2, m_.ctx(), option), OPTION_DISABLED);
  EXPECT_EQ(CheckOptionValue(field, kStapleType, 1, m_.ctx(), option), OPTION_VALID);
  EXPECT_EQ(CheckFieldValue(kStapleType, 2, m_.ctx()), FIELD_VALID);
  EXPECT_EQ(m_.Raw(kStapleType), 0u);  // the model default
}

TEST_F(FieldChecks, NupRuleFollowsTheKindOfTheType) {
  struct Case {
    DWORD nupSwitch;
    DWORD postKind;
    DWORD type;
    DWORD postKindAfter;
    DWORD typeAfter;
  } cases[] = {
      {1, 2, 1, 1, 1},  // kind 1 under kind 2: the kind follows, the type becomes 1 (portrait)
      {1, 2, 3, 1, 1},
      {1, 1, 2, 1, 1},  // same kind, the value disabled: the first layout
      {1, 1, 3, 1, 3},  // same kind, enabled: nothing
      {1, 3, 0, 3, 0},  // kind 0 changes nothing
      {1, 7, 1, 7, 1},  // an unknown kind changes nothing
      {0, 2, 1, 2, 1},  // switch off: nothing
  };
  SettingField* field = m_.field(kNupType);
  ImageRef option = GetOptionForFeature(kNupType, m_.ctx());
  for (const Case& c : cases) {
    m_.SetRaw(kFuncSelectNup, c.nupSwitch);
    m_.SetRaw(kNupPostKind, c.postKind);
    m_.SetRaw(kNupType, c.type);
    EXPECT_EQ(CheckOptionValue(field, kNupType, c.type, m_.ctx(), option), OPTION_VALID);
    EXPECT_EQ(m_.Raw(kNupPostKind), c.postKindAfter) << c.postKind << "/" << c.type;
    EXPECT_EQ(m_.Raw(kNupType), c.typeAfter) << c.postKind << "/" << c.type;
  }
  // Landscape: the first layout is 3.
  m_.SetRaw(kOrientation, 2);
  m_.SetRaw(kFuncSelectNup, 1);
  m_.SetRaw(kNupPostKind, 2);
  m_.SetRaw(kNupType, 1);
  CheckOptionValue(field, kNupType, 1, m_.ctx(), option);
  EXPECT_EQ(m_.Raw(kNupType), 3u);
}

TEST(FieldCheckHelpers, NupKinds) {
  struct Case {
    DWORD value;
    int kind;
  } cases[] = {{1, 1},   {3, 1},   {4, 0},   {33, 2},  {38, 2},    {39, 0},    {65, 3},    {70, 3},
               {97, 4},  {102, 4}, {32769, 9}, {32771, 9}, {32772, 0}, {161, 10}, {164, 10}, {129, 11},
               {130, 11}, {0, 0}};
  for (const Case& c : cases) EXPECT_EQ(MapNupTypeToKind(c.value), c.kind) << c.value;
  EXPECT_EQ(IsBooleanValue(0), 1);
  EXPECT_EQ(IsBooleanValue(1), 1);
  EXPECT_EQ(IsBooleanValue(2), 0);
  EXPECT_EQ(IsInNumericRange(ImageRef{}, 0), 0);
  EXPECT_EQ(OptionListContains(ImageRef{}, 0), 0);
}

TEST(FieldCheckHelpers, ValueIdsAbove16BitsNeverMatchAnItem) {
  ModelContext m(PickOne("KPD_IDC_PRESET_CHOICE_MEDIATYPE", {"KDMMEDIATYPE_1"}, "KDMMEDIATYPE_1"));
  ImageRef items = OptionValues(GetOptionForFeature(kMediaType, m.ctx()));
  const DWORD id = ModelContext::Id("KDMMEDIATYPE_1");
  EXPECT_EQ(OptionListContains(items, id), 1);
  EXPECT_EQ(OptionListContains(items, id + 0x10000), 0);
}

}  // namespace
}  // namespace field_checks_test
}  // namespace kovatest
