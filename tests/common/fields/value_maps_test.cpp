// Option values through the value maps, both ways, with the landscape maps.
#include <gtest/gtest.h>

#include "fields/field_access.h"
#include "fields/field_table.h"
#include "fields/value_maps.h"
#include "field_fixture.h"

namespace {

using kovatest::FieldContext;

TEST(ValueMaps, OrientationBothWays) {
  FieldContext fc;
  SettingField* f = fc.field(7);
  EXPECT_EQ(RawToOptionIndex(fc.get(), f, 1), 2026u);
  EXPECT_EQ(RawToOptionIndex(fc.get(), f, 2), 2027u);
  EXPECT_EQ(RawToOptionIndex(fc.get(), f, 3), 3u);  // no entry: unchanged
  EXPECT_EQ(OptionIndexToRaw(fc.get(), f, 2027), 2u);
  EXPECT_EQ(OptionIndexToRaw(fc.get(), f, 2027 + 0x10000), 2u);  // compared as 16-bit
  EXPECT_EQ(OptionIndexToRaw(fc.get(), f, 99), 99u);
  SetFieldValueById(fc.get(), 7, 2027);
  EXPECT_EQ(ReadFieldRawById(fc.get(), 7), 2u);
  EXPECT_EQ(GetFieldValueById(fc.get(), 7), 2027u);
}

TEST(ValueMaps, NotOfferedValuesComeBackUnchanged) {
  FieldContext fc;
  SettingField* f = fc.field(38);  // kdmDstResolutionW
  EXPECT_EQ(RawToOptionIndex(fc.get(), f, 600), 86u);
  EXPECT_EQ(RawToOptionIndex(fc.get(), f, 400), 400u);
  EXPECT_EQ(IsRawValueMapped(fc.get(), f, 600), 1);
  EXPECT_EQ(IsRawValueMapped(fc.get(), f, 400), 0);
  EXPECT_EQ(IsRawValueMapped(fc.get(), f, 500), 0);
  EXPECT_EQ(IsRawValueMapped(fc.get(), fc.field(12), 1), 0);  // no map
  // The not-offered id itself still finds the first not-offered code.
  EXPECT_EQ(OptionIndexToRaw(fc.get(), f, 0xFFFF), 150u);
}

TEST(ValueMaps, FieldsWithoutAMapPassValuesThrough) {
  FieldContext fc;
  SetFieldValueById(fc.get(), 12, 5);
  EXPECT_EQ(GetFieldValueById(fc.get(), 12), 5u);
  EXPECT_EQ(RawToOptionIndex(fc.get(), nullptr, 9), 9u);
}

TEST(ValueMaps, PresetNumbersAndCustomMedia) {
  FieldContext fc;
  WriteFieldRawById(fc.get(), 37, 3);
  EXPECT_EQ(GetFieldValueById(fc.get(), 37), 122u);
  SetFieldValueById(fc.get(), 54, 13710);  // custom medium 3
  EXPECT_EQ(ReadFieldRawById(fc.get(), 54), 1027u);
  SetFieldValueById(fc.get(), 46, 52);
  EXPECT_EQ(ReadFieldRawById(fc.get(), 46), 1024u);
  WriteFieldRawById(fc.get(), 8, 388);
  EXPECT_EQ(GetFieldValueById(fc.get(), 8), 113u);
}

TEST(ValueMaps, DuplexTypeTakesTheLandscapeMapWithTheOrientation) {
  FieldContext fc;
  SettingField* f = fc.field(94);
  EXPECT_EQ(RawToOptionIndex(fc.get(), f, 1), 6329u);
  WriteFieldRawById(fc.get(), 7, 2);
  EXPECT_EQ(RawToOptionIndex(fc.get(), f, 1), 6343u);
  EXPECT_EQ(RawToOptionIndex(fc.get(), f, 3), 6341u);
  EXPECT_EQ(RawToOptionIndex(fc.get(), f, 17), 6345u);  // the rest as the first map
  EXPECT_EQ(OptionIndexToRaw(fc.get(), f, 6342), 2u);
  EXPECT_EQ(OptionIndexToRaw(fc.get(), f, 6328), 6328u);  // a portrait id has no landscape code
  EXPECT_EQ(RawToOptionIndex(fc.get(), f, 0), 0u);
}

TEST(ValueMaps, NupTypeSecondMapFollowsTheOrientation) {
  FieldContext fc;
  SettingField* f = fc.field(92);
  const ValueMapEntry* second = GetSecondValueMap(f);
  ASSERT_NE(second, nullptr);
  const DWORD portrait = RawToOptionIndex(fc.get(), f, 1);
  WriteFieldRawById(fc.get(), 7, 2);
  const DWORD landscape = RawToOptionIndex(fc.get(), f, 1);
  EXPECT_NE(portrait, landscape);
  EXPECT_EQ(GetActiveValueMap(fc.get(), f), second);
  EXPECT_EQ(GetSecondValueMap(fc.field(7)), nullptr);
}

struct OrientCase {
  DWORD orientation, funcNup, nupType, funcDuplex, duplexType;
  int expected;
};

TEST(ValueMaps, PrintPaperOrientChoosesThePunchAndStapleMaps) {
  const OrientCase cases[] = {
      {1, 0, 0, 0, 0, 0},    {2, 0, 0, 0, 0, 1},   {1, 1, 2, 0, 0, 1},  {1, 1, 19, 0, 0, 0},
      {1, 1, 130, 0, 0, 1},  {2, 1, 162, 0, 0, 0}, {2, 0, 0, 1, 17, 0}, {1, 0, 0, 1, 17, 1},
      {2, 0, 0, 1, 3, 1},
  };
  for (const auto& c : cases) {
    FieldContext fc;
    WriteFieldRawById(fc.get(), 7, c.orientation);
    WriteFieldRawById(fc.get(), 56, c.funcNup);
    WriteFieldRawById(fc.get(), 92, c.nupType);
    WriteFieldRawById(fc.get(), 58, c.funcDuplex);
    WriteFieldRawById(fc.get(), 94, c.duplexType);
    EXPECT_EQ(PrintPaperOrient(fc.get()), c.expected) << c.orientation << " " << c.nupType;
    for (WORD id : {WORD{120}, WORD{121}}) {
      SettingField* f = fc.field(id);
      const ValueMapEntry* expected = c.expected == 1 ? GetSecondValueMap(f) : f->side->valueMap;
      EXPECT_EQ(GetActiveValueMap(fc.get(), f), expected) << id;
    }
  }
}

}  // namespace
