// The public DEVMODE checks (model first, then the fixed rules), the paper-value tests and
// the identity and version checks of a device-mode's private block.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "stored/devmode_checks.h"
#include "model_context.h"

namespace kovatest {
namespace {

using Check = int (*)(DWORD, DriverContext*);

struct PublicCase {
  const char* name;
  Check check;
  std::int32_t value;
  int expected;
};

TEST(PublicChecks, FixedRulesWhereTheModelSaysNothing) {
  ModelContext m;  // no model: every check falls back to its fixed rule
  const PublicCase cases[] = {
      {"source 1", IsDefaultSourceValid, 1, 1},       {"source 15", IsDefaultSourceValid, 15, 1},
      {"source 16", IsDefaultSourceValid, 16, 0},     {"source 260 (value list)", IsDefaultSourceValid, 260, 1},
      {"source 300", IsDefaultSourceValid, 300, 0},   {"source 0", IsDefaultSourceValid, 0, 0},
      {"orientation 1", IsOrientationValid, 1, 1},    {"orientation 2", IsOrientationValid, 2, 1},
      {"orientation 3", IsOrientationValid, 3, 0},    {"paper 9", IsModelPaperSize, 9, 0},
      {"quality 600", IsPrintQualityValid, 600, 1},   {"quality 601", IsPrintQualityValid, 601, 0},
      {"quality -3", IsPrintQualityValid, -3, 0},     {"duplex 3", IsDuplexValid, 3, 1},
      {"duplex 4", IsDuplexValid, 4, 0},              {"duplex 0", IsDuplexValid, 0, 0},
      {"color 2", IsColorValid, 2, 1},                {"color 3", IsColorValid, 3, 0},
      {"tt 4", IsTTOptionValid, 4, 1},                {"tt 5", IsTTOptionValid, 5, 0},
      {"icm method 4", IsIcmMethodValid, 4, 1},       {"icm method 5", IsIcmMethodValid, 5, 0},
      {"icm intent 2", IsIcmIntentValid, 2, 1},       {"icm intent 3", IsIcmIntentValid, 3, 0},
      {"media 3", IsMediaTypeValid, 3, 1},            {"media 4", IsMediaTypeValid, 4, 0},
      {"media 257 (value list)", IsMediaTypeValid, 257, 1},
      {"dither 4", IsDitherTypeValid, 4, 1},          {"dither 10", IsDitherTypeValid, 10, 1},
      {"dither 5", IsDitherTypeValid, 5, 0},          {"dither 11", IsDitherTypeValid, 11, 0},
  };
  for (const PublicCase& c : cases) {
    EXPECT_EQ(c.check(static_cast<DWORD>(c.value), m.ctx()), c.expected) << c.name;
  }
  EXPECT_EQ(IsFormNameValid(u"", m.ctx()), 1);
  EXPECT_EQ(IsFormNameValid(nullptr, m.ctx()), 1);
}

TEST(PublicChecks, TheModelDecidesFirst) {
  ModelContext m(PickOne("KPD_IDC_PRESET_CHOICE_COLOR", {"KDMCOLOR_1"}, "KDMCOLOR_1") +
                 PickOne("KPD_IDC_PRESET_CHOICE_PAPERSIZE", {"KDMPAPERSIZE_9", "KDMPAPERSIZE_1"}, "KDMPAPERSIZE_9",
                         "PickPage") +
                 PickOne("KPD_IDC_PRESET_CHOICE_SOURCETRAY", {"KDMDEFAULTSOURCE_7"}, "KDMDEFAULTSOURCE_7",
                         "PickSlot"));
  const PublicCase cases[] = {
      {"color 1 offered", IsColorValid, 1, 1},
      {"color 2 not offered (the fixed rule would pass it)", IsColorValid, 2, 0},
      {"paper 9", IsModelPaperSize, 9, 1},
      {"paper 5 not offered", IsModelPaperSize, 5, 0},
      {"source 7", IsDefaultSourceValid, 7, 1},
      {"source 4 not offered", IsDefaultSourceValid, 4, 0},
  };
  for (const PublicCase& c : cases) {
    EXPECT_EQ(c.check(static_cast<DWORD>(c.value), m.ctx()), c.expected) << c.name;
  }
}

TEST(PublicChecks, DmresValues) {
  for (int v : {-4, -3, -2, -1}) EXPECT_EQ(IsDmresValue(static_cast<DWORD>(v)), 1) << v;
  for (int v : {-5, 0, 1, 600}) EXPECT_EQ(IsDmresValue(static_cast<DWORD>(v)), 0) << v;
}

TEST(PaperValues, UserAndOutputPapers) {
  ModelContext m;
  for (DWORD v : {384u, 390u, 393u, 256u, 448u}) {
    EXPECT_EQ(IsUserPaperCode(v), 1) << v;
    EXPECT_EQ(IsFreeSizeListPaper(v, m.ctx()), 1) << v;
  }
  for (DWORD v : {0u, 383u, 394u, 257u, 449u, 9u}) {
    EXPECT_EQ(IsUserPaperCode(v), 0) << v;
    EXPECT_EQ(IsFreeSizeListPaper(v, m.ctx()), 0) << v;
  }
  for (DWORD v : {1u, 118u, 256u, 562u}) EXPECT_EQ(IsOutputPaperValue(v, m.ctx()), 1) << v;
  for (DWORD v : {0u, 119u, 1024u, 516u}) EXPECT_EQ(IsOutputPaperValue(v, m.ctx()), 0) << v;
  EXPECT_EQ(IsSameAsSourcePaper(1024), 1);
  EXPECT_EQ(IsSameAsSourcePaper(1025), 0);

  m.SetRaw(8, 390);
  m.SetRaw(46, 384);
  EXPECT_EQ(GetPaperSizeFreeSizeIndex(m.ctx()), 6);
  EXPECT_EQ(GetOutPaperFreeSizeIndex(m.ctx()), 0);
  m.SetRaw(8, 256);
  m.SetRaw(46, 1024);
  EXPECT_EQ(GetPaperSizeFreeSizeIndex(m.ctx()), -1);
  EXPECT_EQ(GetOutPaperFreeSizeIndex(m.ctx()), -1);
}

// A device-mode of this product: the context's own header and identity, copied out.
class DevmodeChecks : public ::testing::Test {
 protected:
  void SetUp() override {
    WritePrivateHeader(m_.settings(), &m_.product());
    WritePrivateIdentity(m_.settings(), &m_.product(), true);
    m_.SetRaw(35, m_.product().machineId);  // kdmMachineID, written by the defaults
    dm_.assign(m_.settings(), m_.settings() + GetTotalDevmodeSize());
  }
  void Put32(DWORD at, DWORD v) { std::memcpy(dm_.data() + at, &v, 4); }

  ModelContext m_;
  std::vector<BYTE> dm_;
};

TEST_F(DevmodeChecks, VersionChecksCompareWithTheProductRecord) {
  struct Case {
    const char* name;
    DWORD at;
    DWORD value;
    int bytes;
    int strict, loose, sized;
  } cases[] = {
      {"as built", 0, 0, 0, 1, 1, 1},
      {"version 321", kDmVersionPos, 321, 4, 0, 1, 1},
      {"private size 1024", kDmPrivateSizePos, 1024, 4, 0, 1, 0},
      {"another tag", kDmProductTagPos, 0x12345678, 4, 0, 0, 0},
      {"machine id 7", kDmMachineIdPos, 7, 1, 0, 0, 0},
      {"driver type 1", kDmDriverTypePos, 1, 1, 0, 0, 0},
  };
  for (const Case& c : cases) {
    std::vector<BYTE> copy = dm_;
    if (c.bytes == 4) std::memcpy(copy.data() + c.at, &c.value, 4);
    if (c.bytes == 1) copy[c.at] = static_cast<BYTE>(c.value);
    EXPECT_EQ(CheckDevmodeVersion(copy.data()), c.strict) << c.name;
    EXPECT_EQ(CheckDevmodeVersionLoose(copy.data()), c.loose) << c.name;
    EXPECT_EQ(CheckDevmodeVersionSized(copy.data()), c.sized) << c.name;
  }
  EXPECT_EQ(CheckDevmodeVersion(nullptr), 0);
  EXPECT_EQ(CheckDevmodeVersionLoose(nullptr), 0);
  EXPECT_EQ(CheckDevmodeVersionSized(nullptr), 0);
}

TEST_F(DevmodeChecks, IdentityMustBeTheCurrentModels) {
  EXPECT_EQ(IsDevmodeIdentityCurrent(m_.ctx(), dm_.data()), 1);
  EXPECT_EQ(IsDevmodeWellFormed(dm_.data(), m_.ctx()), 1);

  std::vector<BYTE> other = dm_;
  std::memcpy(other.data() + kDmIniFileNamePos, "OTHER.INI\0", 10);
  EXPECT_EQ(IsDevmodeIdentityCurrent(m_.ctx(), other.data()), 0);

  std::vector<BYTE> unterminated = dm_;
  std::memset(unterminated.data() + kDmCdcVersionPos, 'A', kDmIdentityTextSize);
  EXPECT_EQ(IsDevmodeIdentityCurrent(m_.ctx(), unterminated.data()), 0);

  std::vector<BYTE> unsigned_ = dm_;
  unsigned_[kDmSignaturePos] = 'X';
  EXPECT_EQ(IsDevmodeIdentityCurrent(m_.ctx(), unsigned_.data()), 0);

  // A header-font name of 40 bytes without its NUL fails the text-length checks.
  std::vector<BYTE> longName = dm_;
  std::memset(longName.data() + kDmHfFontNamePos, 'F', 40);
  EXPECT_EQ(IsDevmodeWellFormed(longName.data(), m_.ctx()), 0);
  EXPECT_EQ(IsDevmodeWellFormed(nullptr, m_.ctx()), 0);
}

TEST_F(DevmodeChecks, TextTermination) {
  const BYTE terminated[4] = {'a', 'b', 0, 'c'};
  const BYTE open[4] = {'a', 'b', 'c', 'd'};
  EXPECT_EQ(IsTextTerminated(terminated, 4), 1);
  EXPECT_EQ(IsTextTerminated(open, 4), 0);
  EXPECT_EQ(IsTextTerminated(terminated, 0), 0);
  EXPECT_EQ(IsTextTerminated(nullptr, 4), 0);
}

TEST(SmallGetters, WatermarkAndUserMacro) {
  ModelContext m;
  m.SetRaw(118, 5);
  EXPECT_EQ(GetWatermarkIdIfEnabled(m.ctx()), -1);
  m.SetRaw(60, 1);
  EXPECT_EQ(GetWatermarkIdIfEnabled(m.ctx()), 5);
  EXPECT_EQ(GetUserMacroIndex(m.ctx()), -1);
  m.SetRaw(176, 1);
  m.SetRaw(179, 137);
  EXPECT_EQ(GetUserMacroIndex(m.ctx()), static_cast<std::int32_t>(m.Value(179)) - 135);
}

TEST(RuleRefresh, TransactsOfEveryOptionAreApplied) {
  const std::string model = Boolean("KPD_IDC_FUNCSELECTSORT", true) + Boolean("KPD_IDC_FUNCSELECTSTAPLE", false) +
                            "*Judge 1=Always: KPD_IDC_FUNCSELECTWATERMARK == 0\r\n"
                            "*Action 1=StapleOn: {{KPD_IDC_FUNCSELECTSTAPLE 1}}\r\n"
                            "*Transact 1=Staple: {{Always StapleOn}}\r\n"
                            "*Exclusive: {\r\n  {KPD_IDC_FUNCSELECTSORT NULL NULL NULL NULL Staple NULL NULL}\r\n}\r\n";
  ModelContext m(model);
  RefreshAllOptionStates(m.ctx());
  EXPECT_EQ(m.Raw(63), 1u);
  m.SetRaw(63, 0);
  RefreshOptionControl(m.ctx(), 63);  // its own option has no transacts
  EXPECT_EQ(m.Raw(63), 0u);
  RefreshOptionControl(m.ctx(), 61);
  EXPECT_EQ(m.Raw(63), 1u);
  RefreshAllOptionStates(nullptr);
  SendModuleEvent11(m.ctx());
}

}  // namespace
}  // namespace kovatest
