// Typed reads and writes of every field type, the write side effects and the three
// settings-buffer copies.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "fields/change_flags.h"
#include "fields/field_access.h"
#include "fields/field_table.h"
#include "field_fixture.h"
#include "plat/system.h"
#include "test_root.h"
#include "win/loader.h"

namespace {

using kovatest::FieldContext;

struct NumberCase {
  WORD id;
  DWORD written;
  DWORD readBack;
  DWORD bufferOffset;  // first byte in the settings buffer
  DWORD width;
};

// One field per numeric type, each through all 32 bits of the value.
TEST(FieldAccess, NumbersStoreTheirLowBitsAndExtendByType) {
  const NumberCase cases[] = {
      {37, 300, 44, 370, 1},                        // s8 kdmPresetNo
      {37, 0xFF, 0xFFFFFFFFu, 370, 1},              // s8 sign-extends
      {35, 0x1FF, 0xFF, 368, 1},                    // u8 kdmMachineID
      {7, 0xFFFF8000u, 0xFFFF8000u, 76, 2},         // s16 dmOrientation
      {2, 0xFFFFFFFFu, 65535, 64, 2},               // u16 dmSpecVersion: -1 reads 65535
      {10289, 0x80000001u, 0x80000001u, 1236 + 320, 4},  // s32 kdmTotalCounter (area 2)
      {6, 0xDEADBEEFu, 0xDEADBEEFu, 72, 4},         // u32 dmFields
      {1554, 0x12345, 0x2345, 6500 + 3576, 2},      // s16 of area 3
  };
  for (const auto& c : cases) {
    FieldContext fc;
    WriteFieldRawById(fc.get(), c.id, c.written);
    EXPECT_EQ(ReadFieldRawById(fc.get(), c.id), c.readBack) << c.id;
    DWORD stored = 0;
    std::memcpy(&stored, fc.settings() + c.bufferOffset, c.width);
    const DWORD mask = c.width == 4 ? 0xFFFFFFFFu : (1u << (8 * c.width)) - 1;
    EXPECT_EQ(stored, c.written & mask) << c.id;
    // Neighbouring bytes stay untouched.
    EXPECT_EQ(fc.settings()[c.bufferOffset + c.width], 0) << c.id;
  }
}

struct BitCase {
  WORD id;
  DWORD byteInBuffer;
  int bit;
  WORD neighbour;  // another bit of the same word
};

TEST(FieldAccess, BitFieldsInOneTwoAndFourByteWords) {
  const BitCase cases[] = {
      {88, 441, 0, 0},                     // u8 word, single bit
      {107, 462, 7, 100},                  // u8 word, top bit
      {168, 577, 7, 153},                  // u16 word, bit 15
      {161, 577, 0, 160},                  // u16 word, bit 8
      {10240, 1236 + 204, 1, 10239},       // u32 word, bit 1 (kdmTrayLock1)
      {10270, 1236 + 207, 7, 10239},       // u32 word, bit 31
      {447 + 17, 896 + 2, 1, 447},         // code 33: bit 1 of the byte at offset + 2
  };
  for (const auto& c : cases) {
    FieldContext fc;
    if (c.neighbour) WriteFieldRawById(fc.get(), c.neighbour, 1);
    const BYTE before = fc.settings()[c.byteInBuffer];
    WriteFieldRawById(fc.get(), c.id, 5);  // nonzero sets the bit only
    EXPECT_EQ(fc.settings()[c.byteInBuffer], before | (1u << c.bit)) << c.id;
    EXPECT_EQ(ReadFieldRawById(fc.get(), c.id), 1u) << c.id;
    if (c.neighbour) {
      EXPECT_EQ(ReadFieldRawById(fc.get(), c.neighbour), 1u) << c.id;
    }
    WriteFieldRawById(fc.get(), c.id, 0);
    EXPECT_EQ(ReadFieldRawById(fc.get(), c.id), 0u) << c.id;
    EXPECT_EQ(fc.settings()[c.byteInBuffer], before) << c.id;
  }
}

TEST(FieldAccess, TrayLockBitsLeaveTheOtherThirtyOne) {
  FieldContext fc;
  for (WORD id = 10239; id <= 10270; ++id) WriteFieldRawById(fc.get(), id, 1);
  WriteFieldRawById(fc.get(), 10250, 0);
  DWORD word;
  std::memcpy(&word, fc.settings() + 1236 + 204, 4);
  EXPECT_EQ(word, 0xFFFFFFFFu & ~(1u << 11));
}

TEST(FieldAccess, WidePosiTileIsABitOfPosi) {
  FieldContext fc;
  WriteFieldRawById(fc.get(), 939, 3);  // wdmWmPosi
  WriteFieldRawById(fc.get(), 940, 1);  // wdmWmPosiTile: bit 6 of the same byte
  EXPECT_EQ(ReadFieldRawById(fc.get(), 939), 0x43u);
  EXPECT_EQ(ReadFieldRawById(fc.get(), 940), 1u);
}

std::u16string Read(FieldContext& fc, WORD id, size_t capacity = 600) {
  std::u16string buf(capacity, u'#');
  EXPECT_EQ(GetFieldString(fc.get(), fc.field(id), buf.data(), capacity), 1);
  return std::u16string(buf.c_str());
}

TEST(FieldAccess, WideTextIsCutToTheFieldLessOneCharacter) {
  FieldContext fc;
  const std::u16string longText(40, u'x');
  BYTE* at = SetFieldString(fc.get(), fc.field(1), longText.c_str());  // dmDeviceName, 64 bytes
  ASSERT_EQ(at, fc.settings());
  EXPECT_EQ(Read(fc, 1), std::u16string(31, u'x'));
  EXPECT_EQ(at[62] | at[63], 0);
  EXPECT_EQ(fc.settings()[64], 0);  // dmSpecVersion untouched
  SetFieldString(fc.get(), fc.field(1), u"LPT");
  EXPECT_EQ(Read(fc, 1), u"LPT");
  EXPECT_EQ(at[8], 0);  // the earlier text was cleared
}

TEST(FieldAccess, AnsiTextStaysInsideItsField) {
  FieldContext fc;
  // kdmUserID: 9 bytes at 597, kdmUserCode follows at 606.
  SetFieldString(fc.get(), fc.field(203), u"CODE");
  SetFieldString(fc.get(), fc.field(202), u"ABCDEFGHIJKL");
  EXPECT_EQ(Read(fc, 202), u"ABCDEFGH");
  EXPECT_EQ(fc.settings()[597 + 8], 0);
  EXPECT_EQ(Read(fc, 203), u"CODE");
  // A field filled to the brim without a terminator still reads only its own bytes.
  std::memset(fc.settings() + 597, 'Z', 9);
  EXPECT_EQ(Read(fc, 202), std::u16string(9, u'Z'));
  EXPECT_EQ(Read(fc, 203), u"CODE");
}

TEST(FieldAccess, AnsiTextNeverSplitsADoubleByteCharacter) {
  kovatest::TempRoot root;
  plat::Machine().ansiCodePage = 932;
  FieldContext fc;
  // Seven ASCII bytes then a double-byte character: it does not fit into the last byte.
  SetFieldString(fc.get(), fc.field(202), u"ABCDEFG\u3042");
  EXPECT_EQ(fc.settings()[597 + 7], 0);
  EXPECT_EQ(Read(fc, 202), u"ABCDEFG");
  SetFieldString(fc.get(), fc.field(202), u"ABCDEF\u3042");
  EXPECT_EQ(Read(fc, 202), u"ABCDEF\u3042");
}

TEST(FieldAccess, TextReadsAreBoundedByTheCallerBuffer) {
  FieldContext fc;
  SetFieldString(fc.get(), fc.field(926), std::u16string(300, u'c').c_str());  // 513 bytes
  std::u16string small(5, u'#');
  small.push_back(u'!');
  EXPECT_EQ(GetFieldString(fc.get(), fc.field(926), small.data(), 5), 1);
  EXPECT_EQ(small, std::u16string(u"cccc\0!", 6));
  EXPECT_EQ(GetFieldString(fc.get(), fc.field(926), small.data(), 0), 0);
  EXPECT_EQ(GetFieldString(fc.get(), fc.field(926), nullptr, 5), 0);
}

TEST(FieldAccess, SourceIsReadNoFurtherThanItsCount) {
  FieldContext fc;
  const char16_t unterminated[4] = {u'a', u'b', u'c', u'd'};
  SetFieldString(fc.get(), fc.field(1), unterminated, 3);
  EXPECT_EQ(Read(fc, 1), u"abc");
}

TEST(FieldAccess, StringOfANumberFieldIsWrong) {
  FieldContext fc;
  EXPECT_EQ(Read(fc, 7), u"wrong");
  WriteFieldRawById(fc.get(), 7, 2);
  EXPECT_EQ(SetFieldString(fc.get(), fc.field(7), u"text"), fc.settings() + 76);
  EXPECT_EQ(ReadFieldRawById(fc.get(), 7), 0u);  // cleared, no text stored
}

TEST(FieldAccess, BlocksCopyOrClear) {
  FieldContext fc;
  BYTE data[32];
  for (int i = 0; i < 32; ++i) data[i] = static_cast<BYTE>(i + 1);
  WriteFieldBlock(fc.get(), fc.field(702), data);  // kdmKcomMember: 32 bytes at 285
  EXPECT_EQ(std::memcmp(fc.settings() + 285, data, 32), 0);
  EXPECT_EQ(fc.settings()[317], 0);
  WriteFieldBlock(fc.get(), fc.field(702), nullptr);
  for (int i = 0; i < 32; ++i) EXPECT_EQ(fc.settings()[285 + i], 0);
  EXPECT_EQ(ReadFieldRaw(fc.get(), fc.field(702)), 0u);
}

TEST(FieldAccess, MissingFieldsAndAreaZero) {
  FieldContext fc;
  EXPECT_EQ(ReadFieldRawById(fc.get(), 0), 0u);
  EXPECT_EQ(ReadFieldRawById(fc.get(), 5000), 0u);
  WriteFieldRawById(fc.get(), 5000, 1);
  EXPECT_EQ(fc.work().dirty, 0);
  SettingField noArea = *fc.field(7);
  noArea.type = MakeFieldType(2, FT_S16, 0);
  EXPECT_EQ(GetFieldAddress(fc.get(), &noArea), nullptr);
  EXPECT_EQ(ReadFieldRaw(fc.get(), &noArea), 0u);
  WriteFieldRaw(fc.get(), &noArea, 7);
  EXPECT_EQ(fc.settings()[76], 0);
  EXPECT_EQ(ReadFieldRaw(nullptr, fc.field(7)), 0u);
}

TEST(FieldAccess, AreasAreAddressedThroughTheBufferHeader) {
  FieldContext fc;
  // A header that puts area 3 elsewhere moves every area-3 field with it.
  kovatest::WriteAreaOffsets(fc.settings(), 0, 1236, 6000);
  WriteFieldRawById(fc.get(), 1554, 0x1234);
  EXPECT_EQ(fc.settings()[6000 + 3576], 0x34);
  // An offset that would put a field past the buffer gives no address.
  kovatest::WriteAreaOffsets(fc.settings(), 0, 1236, 6560);
  EXPECT_EQ(GetFieldAddress(fc.get(), fc.field(1554)), nullptr);
  EXPECT_NE(GetFieldAddress(fc.get(), fc.field(1544)), nullptr);
  EXPECT_EQ(ReadFieldRawById(fc.get(), 1554), 0u);
  kovatest::WriteAreaOffsets(fc.settings(), 0, 0xFFFF, 6500);
  EXPECT_EQ(GetFieldAddress(fc.get(), fc.field(10001)), nullptr);
}

TEST(FieldAccess, SnapshotAndLockedDefaultsHaveTheirOwnOffsets) {
  FieldContext fc;
  kovatest::WriteAreaOffsets(fc.saved(), 0, 1300, 6500);
  WriteSnapshotRawById(fc.get(), 10175, 9);
  EXPECT_EQ(fc.saved()[1300 + 76], 9);
  EXPECT_EQ(ReadSnapshotRawById(fc.get(), 10175), 9u);
  EXPECT_EQ(ReadFieldRawById(fc.get(), 10175), 0u);
  EXPECT_EQ(fc.work().dirty, 0);  // the snapshot write has no side effects
  EXPECT_EQ(GetFieldChangeMark(fc.field(10175)), 0);
  fc.locked()[1236 + 76] = 5;
  EXPECT_EQ(ReadSavedRawById(fc.get(), 10175), 5u);
  fc.work().lockDefaults = nullptr;
  EXPECT_EQ(ReadSavedRawById(fc.get(), 10175), 0u);
}

TEST(FieldAccess, WriteMarksTheFieldAndTheDeviceMode) {
  FieldContext fc;
  SettingField* f = nullptr;
  WriteFieldRawById(fc.get(), 13, 7, &f);
  ASSERT_EQ(f, fc.field(13));
  EXPECT_EQ(GetFieldChangeMark(f), 1);
  EXPECT_EQ(MarkOf(f->marks, 1), 1);  // the preset mark stays
  EXPECT_EQ(fc.work().dirty, 1);
  EXPECT_TRUE(AnyFieldChangeMarked(fc.get()));
  ClearAllFieldChangeMarks(fc.get());
  EXPECT_FALSE(AnyFieldChangeMarked(fc.get()));
  EXPECT_EQ(MarkOf(f->marks, 1), 1);
  // A text write marks too.
  SetFieldString(fc.get(), fc.field(1), u"x");
  EXPECT_EQ(GetFieldChangeMark(fc.field(1)), 1);
}

TEST(FieldAccess, ScaleHorizontalFollowsIntoVerticalWhenLinked) {
  FieldContext fc;
  WriteFieldRawById(fc.get(), 87, 1);
  WriteFieldRawById(fc.get(), 89, 150);
  EXPECT_EQ(ReadFieldRawById(fc.get(), 90), 150u);
  EXPECT_EQ(GetFieldChangeMark(fc.field(90)), 1);
  WriteFieldRawById(fc.get(), 87, 2);
  WriteFieldRawById(fc.get(), 89, 80);
  EXPECT_EQ(ReadFieldRawById(fc.get(), 90), 150u);
}

TEST(FieldAccess, PageFlagsRaiseChangeFlagsOnWrite) {
  FieldContext fc;
  ApplyPageFieldFlags(fc.get());
  EXPECT_EQ(fc.field(7)->runtimeFlags, 0x1030000u);
  EXPECT_EQ(fc.field(10062)->runtimeFlags, 0x1130000u);
  EXPECT_EQ(fc.field(96)->runtimeFlags, FRF_USER_UNITS);
  EXPECT_EQ(fc.field(10206)->runtimeFlags, 0x1030000u);
  EXPECT_EQ(fc.field(10207)->runtimeFlags, 0u);
  EXPECT_EQ(fc.field(12)->runtimeFlags, 0u);
  WriteFieldRawById(fc.get(), 10070, 1);
  EXPECT_EQ(GetChangeFlags(fc.get()), 0x1130000u);
  WriteFieldRawById(fc.get(), 96, 10);  // user units only: no change flag
  EXPECT_EQ(GetChangeFlags(fc.get()), 0x1130000u);
}

TEST(ChangeFlags, LowHalfIsReplacedHighHalfAccumulates) {
  FieldContext fc;
  SetChangeFlags(fc.get(), 0x10000);
  SetChangeFlags(fc.get(), 0x20001);
  EXPECT_EQ(GetChangeFlags(fc.get()), 0x30001u);
  SetChangeFlags(fc.get(), 2);
  EXPECT_EQ(GetChangeFlags(fc.get()), 0x30002u);
  SetChangeFlags(fc.get(), 0x40000);
  EXPECT_EQ(GetChangeFlags(fc.get()), 0x70002u);
  SetChangeFlags(fc.get(), 0);
  EXPECT_EQ(GetChangeFlags(fc.get()), 0u);
}

TEST(ChangeFlags, ClearReachesTheSnapshotWordsForTheTopBits) {
  FieldContext fc;
  for (DWORD& w : fc.work().snapshotChangeFlags) w = 0x30010000u;
  SetChangeFlags(fc.get(), 0x30010000u);
  ClearChangeFlags(fc.get(), 0x10000u);
  EXPECT_EQ(GetChangeFlags(fc.get()), 0x30000000u);
  EXPECT_EQ(fc.work().snapshotChangeFlags[0], 0x30010000u);
  ClearChangeFlags(fc.get(), 0x10000000u);
  EXPECT_EQ(GetChangeFlags(fc.get()), 0x20000000u);
  for (DWORD w : fc.work().snapshotChangeFlags) EXPECT_EQ(w, 0x20010000u);
  SetSettingsFileStatus(fc.get(), 3);
  EXPECT_EQ(GetSettingsFileStatus(fc.get()), 3);
  EXPECT_EQ(GetChangeFlags(nullptr), 0u);
}

}  // namespace

namespace {

TEST(FieldAccess, ValueOrStringTakesAUiStringForTextFields) {
  kovatest::TempRoot root;
  std::ifstream script(kovatest::FixturePath("ui/KOVAUIus.rc"), std::ios::binary);
  root.WriteFile(u"C:\\drv\\KOVAUIus.rc", std::string(std::istreambuf_iterator<char>(script), {}));
  kovatest::FieldContext fc;
  fc.get()->uiModule = LoadLibraryW(u"C:\\drv\\KOVAUIus.dll");
  ASSERT_NE(fc.get()->uiModule, nullptr);

  SetFieldValueOrStringById(fc.get(), 1, 13479);  // dmDeviceName gets string 13479
  EXPECT_EQ(Read(fc, 1), u"Portrait");
  SetFieldValueOrStringById(fc.get(), 1, 29);  // a tray name is loaded with its completion
  EXPECT_EQ(Read(fc, 1), u"Tray 1:");
  SetFieldValueOrStringById(fc.get(), 1, 65000);  // no such string: the text is emptied
  EXPECT_EQ(Read(fc, 1), u"");

  SetFieldValueOrStringById(fc.get(), 11, 3);  // dmScale, a number without a value map
  EXPECT_EQ(ReadFieldRawById(fc.get(), 11), 3u);
  SetFieldValueOrStringById(fc.get(), 9999, 3);  // unknown field: nothing happens

  FreeLibrary(fc.get()->uiModule);
  fc.get()->uiModule = nullptr;
}

}  // namespace
