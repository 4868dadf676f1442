#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "field_fixture.h"
#include "fields/devmode_header.h"
#include "fields/field_access.h"
#include "fields/product_record.h"

namespace {

DWORD U32At(const BYTE* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<DWORD>(p[3]) << 24); }
WORD U16At(const BYTE* p) { return static_cast<WORD>(p[0] | (p[1] << 8)); }

static_assert(kDmSignaturePos == 220 && kDmJobfoldPos == 224 && kDmIniFileNamePos == 228);
static_assert(kDmCdcVersionPos == 244 && kDmKpjlVersionPos == 260 && kDmKcomMarkPos == 276);
static_assert(kDmKcomVersionPos == 284 && kDmKcomMemberPos == 285 && kDmKcomCapsPos == 317);
static_assert(kDmProductTagPos == 349 && kDmPrivateSizePos == 353 && kDmVersionPos == 357);
static_assert(kDmArea1OffsetPos == 361 && kDmArea2OffsetPos == 363 && kDmArea3OffsetPos == 365);
static_assert(kDmStateBytesPos == 1218 && kDmStateBytesPos + (kLastStateField - kFirstStateField) == 1235);
static_assert(kArea3Offset == 6500 && kDevmodePublicSize + kDevmodePrivateSize == kDevmodeTotalSize);

TEST(DevmodeHeader, FreshHeaderIsByteExact) {
  std::vector<BYTE> dm(kDevmodeTotalSize, 0xCC);
  WritePrivateHeader(dm.data(), GetProductRecord());
  WritePrivateIdentity(dm.data(), GetProductRecord(), false);
  EXPECT_EQ(std::memcmp(dm.data() + 220, "KOVA", 4), 0);
  EXPECT_EQ(U32At(dm.data() + 224), 0u);
  EXPECT_STREQ(reinterpret_cast<const char*>(dm.data() + 228), "Dorvale.ini");
  for (DWORD i = 228 + 11; i < 244; ++i) EXPECT_EQ(dm[i], 0) << "padding " << i;
  EXPECT_STREQ(reinterpret_cast<const char*>(dm.data() + 244), "01.00");
  EXPECT_STREQ(reinterpret_cast<const char*>(dm.data() + 260), "01.00");
  // Without the common-settings block, bytes 276-348 are all zero.
  for (DWORD i = 276; i <= 348; ++i) EXPECT_EQ(dm[i], 0) << "byte " << i;
  EXPECT_EQ(U32At(dm.data() + 349), 0x76697270u);
  EXPECT_EQ(std::memcmp(dm.data() + 349, "priv", 4), 0);
  EXPECT_EQ(U32At(dm.data() + 353), 1016u);
  EXPECT_EQ(U32At(dm.data() + 357), 322u);
  EXPECT_EQ(U16At(dm.data() + 361), 0);
  EXPECT_EQ(U16At(dm.data() + 363), 1236);
  EXPECT_EQ(U16At(dm.data() + 365), 6500);
  EXPECT_EQ(dm[219], 0xCC);  // the public part is not touched
  EXPECT_EQ(dm[367], 0xCC);  // nor the first field byte after the header
  EXPECT_TRUE(HasKovaSignature(dm.data()));
  EXPECT_EQ(ReadPrivateTag(dm.data()), 0x76697270u);
  EXPECT_EQ(ReadPrivateSize(dm.data()), 1016u);
  EXPECT_EQ(ReadDevmodeVersion(dm.data()), 322u);
}

TEST(DevmodeHeader, CommonBlockMarkerAndAreaOffsets) {
  std::vector<BYTE> dm(kDevmodeTotalSize, 0xAA);
  WritePrivateIdentity(dm.data(), GetProductRecord(), true);
  EXPECT_EQ(std::memcmp(dm.data() + 276, "KCOMMON\0", 8), 0);
  EXPECT_EQ(dm[284], 5);
  for (DWORD i = 285; i <= 348; ++i) EXPECT_EQ(dm[i], 0) << "byte " << i;
  EXPECT_EQ(dm[349], 0xAA);
  WriteAreaOffsets(dm.data());
  EXPECT_EQ(ReadAreaOffset(dm.data(), 1), 0);
  EXPECT_EQ(ReadAreaOffset(dm.data(), 2), 1236);
  EXPECT_EQ(ReadAreaOffset(dm.data(), 3), 6500);
  EXPECT_EQ(ReadAreaOffset(dm.data(), 4), 0);
  EXPECT_EQ(dm[360], 0xAA);
  EXPECT_EQ(dm[367], 0xAA);
}

TEST(DevmodeHeader, TextLengthChecks) {
  struct Case {
    BOOL (*check)(const BYTE*);
    DWORD pos;
    DWORD limit;
  } cases[] = {
      {IsIniFileNameLengthValid, 228, 16},  {IsCdcVersionLengthValid, 244, 16},
      {IsKpjlVersionLengthValid, 260, 16},  {IsTrackIdLengthValid, 1040, 21},
      {IsCopyProtectFontNameLengthValid, 975, 32}, {IsHfFontNameLengthValid, 502, 32},
      {IsHfStringLengthValid, 469, 33},
  };
  for (const auto& c : cases) {
    std::vector<BYTE> dm(kDevmodeTotalSize, 0);
    std::memset(dm.data() + c.pos, 'a', c.limit);
    EXPECT_TRUE(c.check(dm.data())) << c.pos;
    dm[c.pos + c.limit] = 'b';  // the text runs on past its limit
    EXPECT_FALSE(c.check(dm.data())) << c.pos;
  }
  EXPECT_FALSE(IsIniFileNameLengthValid(nullptr));
  // A 16-character INI name passes only while byte 244 (the next field) is 0.
  std::vector<BYTE> dm(kDevmodeTotalSize, 0);
  std::memcpy(dm.data() + 228, "ABCDEFGHIJKLMNOP", 16);
  EXPECT_TRUE(IsIniFileNameLengthValid(dm.data()));
  std::memcpy(dm.data() + 244, "01.00", 5);
  EXPECT_FALSE(IsIniFileNameLengthValid(dm.data()));
}

TEST(DevmodeHeader, WholeWordAccessors) {
  std::vector<BYTE> dm(kDevmodeTotalSize, 0);
  WriteJobCompleteSelect(dm.data(), 1);
  WriteJobErrorSelect(dm.data(), 2);
  EXPECT_EQ(ReadSupportFunc2Bits(dm.data()), 3u);
  WriteJobErrorSelect(dm.data(), 1);  // bit 1 of the argument is 0: cleared, bit 0 kept
  EXPECT_EQ(ReadSupportFunc2Bits(dm.data()), 1u);
  WriteJobCompleteSelect(dm.data(), 2);
  EXPECT_EQ(ReadSupportFunc2Bits(dm.data()), 0u);
  EXPECT_EQ(dm[1020], 0);

  WriteFrontFunc(dm.data(), 0x11223344u);
  EXPECT_EQ(U32At(dm.data() + 852), 0x11223344u);
  WriteHidden2FuncBits(dm.data(), 0x80000001u);
  EXPECT_EQ(U32At(dm.data() + 896), 0x80000001u);
  WriteQualityFuncBits(dm.data(), 0xBEEF);
  EXPECT_EQ(U16At(dm.data() + 576), 0xBEEF);
  WriteLockPrnMethod(dm.data(), 7);
  EXPECT_EQ(dm[1178], 7);
  dm[92] = 0xFE;
  dm[93] = 0xFF;
  EXPECT_EQ(ReadPublicColor(dm.data()), -2);
  dm[446] = 4;
  dm[810] = 0x81;
  dm[811] = 3;
  dm[368] = 9;
  EXPECT_EQ(ReadNupPostKind(dm.data()), 4);
  EXPECT_EQ(ReadMachineTypeBits(dm.data()), 0x81);
  EXPECT_EQ(ReadDriverType(dm.data()), 3);
  EXPECT_EQ(ReadMachineId(dm.data()), 9);
  EXPECT_EQ(ReadFrontFunc(nullptr), 0u);
  WriteFrontFunc(nullptr, 1);  // nothing to write into
}

TEST(DevmodeHeader, StateBytesSitAtTheirPositionsWithoutSideEffects) {
  kovatest::FieldContext fc;
  BYTE* dm = fc.settings();
  struct Case {
    WORD field;
    void (*set)(DriverContext*, DWORD);
  } cases[] = {{705, SetStateByte705}, {706, SetStateByte706}, {707, SetStateByte707}, {710, SetStateByte710},
               {714, SetStateByte714}, {717, SetStateByte717}, {720, SetStateByte720}, {722, SetStateByte722}};
  for (const auto& c : cases) {
    c.set(fc.get(), 0x1A5);  // only the low 8 bits are stored
    EXPECT_EQ(dm[1218 + (c.field - 705)], 0xA5) << c.field;
    // The field engine sees the same byte.
    EXPECT_EQ(ReadFieldRawById(fc.get(), c.field), 0xA5u) << c.field;
  }
  EXPECT_EQ(fc.work().dirty, 0);
  EXPECT_EQ(fc.work().changeFlags, 0u);

  SetStateByte707To2(fc.get());
  EXPECT_EQ(GetStateByte707(fc.get()), 2u);
  SetStateByte707To1(fc.get());
  EXPECT_EQ(ReadStateByte707(dm), 1u);
  WriteStateByte721(dm, 1);
  EXPECT_EQ(GetStateByte721(fc.get()), 1u);
  SetStateByte716To1(fc.get());
  EXPECT_EQ(dm[1229], 1);
  EXPECT_EQ(ReadStateByte(dm, 704), 0u);  // not a state byte
  EXPECT_EQ(GetStateByte706(nullptr), 0u);
}

}  // namespace
