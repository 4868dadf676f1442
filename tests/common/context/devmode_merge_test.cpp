// The merge of an incoming device-mode into a context of the sample printer: the public
// versions and buffer sizes, private parts of this product, of older versions, of another
// product and of another model, the environment bytes, the text clean-up, the public fields
// in both directions, and the common settings block.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "context_fixture.h"
#include "context/common_settings_block.h"
#include "base/deliverable.h"
#include "stored/devmode_checks.h"
#include "fields/devmode_header.h"
#include "stored/devmode_merge.h"
#include "stored/devmode_upgrade.h"
#include "fields/field_access.h"
#include "fields/field_table.h"
#include "context/merge_public_fields.h"
#include "fields/product_record.h"
#include "model/units.h"
#include "win/devmode.h"

namespace kovatest {
namespace devmode_merge_test {
namespace {

constexpr DWORD kDocFlags = MERGE_IN_BUFFER | MERGE_DOCUMENT_ROAD;
constexpr DWORD kOutBufferOnly = 0x2;  // DM_OUT_BUFFER

std::string SampleModel() { return FixtureText(kPrinterModel); }

class MergeTest : public ContextTest {
 protected:
  static constexpr const char16_t* kSampleData = u"C:\\drv\\merge\\SAMPLE.KMD";

  void SetUp() override {
    ContextTest::SetUp();
    root_.WriteFile(kSampleData, SampleModel());
    ASSERT_NO_FATAL_FAILURE(StartContext(u"Merge Sample", PrinterSpec::OwnDriver(u"KOVA Merge Sample", kSampleData)));
    ASSERT_NE(ctx_->model, nullptr);
  }

  // The context's own device-mode as an incoming one.
  std::vector<BYTE> Own() const { return std::vector<BYTE>(ctx_->settings, ctx_->settings + GetTotalDevmodeSize()); }
  DEVMODEW Public() const {
    DEVMODEW d;
    std::memcpy(&d, ctx_->settings, sizeof d);
    return d;
  }
  static DEVMODEW* Dm(std::vector<BYTE>& b) { return reinterpret_cast<DEVMODEW*>(b.data()); }
  DWORD Raw(WORD id) { return ReadFieldRawById(ctx_, id); }
  void SetRaw(WORD id, DWORD v) { WriteFieldRawById(ctx_, id, v); }
  std::string Text(const std::vector<BYTE>& b, DWORD pos) { return std::string(reinterpret_cast<const char*>(&b[pos])); }

  // An incoming device-mode in the public size `size`: the public part of the context's
  // own cut to that size, followed by the context's private block.
  std::vector<BYTE> InPublicSize(WORD size) {
    std::vector<BYTE> own = Own();
    std::vector<BYTE> in(static_cast<size_t>(size) + 1016);
    std::memcpy(in.data(), own.data(), size);
    std::memcpy(in.data() + size, own.data() + 220, 1016);
    DEVMODEW* d = Dm(in);
    d->dmSize = size;
    d->dmSpecVersion = size == 188 ? 0x320 : size == 212 ? 0x400 : 0x401;
    return in;
  }
};

TEST_F(MergeTest, WithoutAnInputBitNothingHappens) {
  std::vector<BYTE> before(ctx_->settings, ctx_->settings + GetSettingsBufferSize());
  std::vector<BYTE> in = Own();
  Dm(in)->dmCopies = 9;
  Dm(in)->dmFields |= DM_COPIES;
  EXPECT_EQ(MergeDevmode(ctx_, Dm(in), kOutBufferOnly), 1);
  EXPECT_EQ(std::memcmp(before.data(), ctx_->settings, before.size()), 0);
}

// Each public version merges its copies; through a caller's buffer, the exact size is
// read and one byte less is not.
TEST_F(MergeTest, PublicVersionsAndBufferSizes) {
  for (WORD size : {WORD{188}, WORD{212}, WORD{220}}) {
    for (DWORD less : {0u, 1u}) {
      SetRaw(12, 1);
      std::vector<BYTE> in = InPublicSize(size);
      Dm(in)->dmFields = DM_COPIES;
      Dm(in)->dmCopies = 5;
      EXPECT_EQ(MergeDevmodeFromBuffer(ctx_, in.data(), static_cast<DWORD>(in.size()) - less, kDocFlags), 1);
      EXPECT_EQ(Public().dmCopies, less ? 1 : 5) << size << " less " << less;
      EXPECT_EQ(Public().dmSize, 220);
      EXPECT_EQ(Public().dmDriverExtra, 1016);
    }
  }
}

TEST_F(MergeTest, UnknownPublicSizeIsNotRead) {
  SetRaw(12, 1);
  std::vector<BYTE> in = Own();
  Dm(in)->dmSize = 200;
  Dm(in)->dmFields = DM_COPIES;
  Dm(in)->dmCopies = 5;
  EXPECT_EQ(MergeDevmode(ctx_, Dm(in), kDocFlags), 1);
  EXPECT_EQ(Public().dmCopies, 1);
}

// Private parts: which are taken over and which leave the context's own.
TEST_F(MergeTest, PrivatePartsByOrigin) {
  SettingField* owner = FindFieldById(ctx_, 204);  // kdmOwnerName
  ASSERT_NE(owner, nullptr);
  const DWORD ownerPos = owner->offset;
  struct Case {
    const char* name;
    void (*change)(std::vector<BYTE>&);
    bool taken;
    DWORD versionAfter;
  } cases[] = {
      {"current", [](std::vector<BYTE>&) {}, true, 322},
      {"older 321", [](std::vector<BYTE>& b) { const DWORD v = 321; std::memcpy(&b[kDmVersionPos], &v, 4); }, true, 322},
      {"older 315", [](std::vector<BYTE>& b) { const DWORD v = 315; std::memcpy(&b[kDmVersionPos], &v, 4); }, true, 322},
      {"too old 299", [](std::vector<BYTE>& b) { const DWORD v = 299; std::memcpy(&b[kDmVersionPos], &v, 4); }, false, 322},
      {"foreign tag", [](std::vector<BYTE>& b) { b[kDmProductTagPos] ^= 0x55; }, false, 322},
      {"other machine", [](std::vector<BYTE>& b) { b[kDmMachineIdPos] ^= 0x7; }, false, 322},
      {"other model", [](std::vector<BYTE>& b) { std::memcpy(&b[kDmIniFileNamePos], "OTHER.INI\0", 10); }, false, 322},
      {"unterminated identity", [](std::vector<BYTE>& b) { std::memset(&b[kDmCdcVersionPos], 'x', 16); }, false, 322},
      {"areas outside", [](std::vector<BYTE>& b) { b[kDmArea3OffsetPos + 1] = 0xFF; }, false, 322},
      {"short private part", [](std::vector<BYTE>& b) { Dm(b)->dmDriverExtra = 1000; }, false, 322},
  };
  for (const Case& c : cases) {
    std::memcpy(ctx_->settings + ownerPos, "OWN", 4);
    std::vector<BYTE> in = Own();
    std::memcpy(&in[ownerPos], "THEIRS", 7);
    Dm(in)->dmFields = DM_COPIES;
    Dm(in)->dmCopies = 4;
    c.change(in);
    ASSERT_EQ(MergeDevmode(ctx_, Dm(in), kDocFlags), 1) << c.name;
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(ctx_->settings + ownerPos)), c.taken ? "THEIRS" : "OWN")
        << c.name;
    EXPECT_EQ(Public().dmCopies, 4) << c.name;  // the public part is always taken
    EXPECT_EQ(ReadDevmodeVersion(ctx_->settings), c.versionAfter) << c.name;
    EXPECT_EQ(CheckDevmodeVersion(ctx_->settings), 1) << c.name;
  }
}

TEST_F(MergeTest, EnvironmentBytesStay) {
  SetStateByte(ctx_, 720, 1);
  SetStateByte(ctx_, 707, 2);
  std::vector<BYTE> in = Own();
  WriteStateByte720(in.data(), 0);
  WriteStateByte707(in.data(), 1);
  EXPECT_EQ(MergeDevmode(ctx_, Dm(in), kDocFlags), 1);
  EXPECT_EQ(GetStateByte(ctx_, 720), 1u);
  EXPECT_EQ(GetStateByte(ctx_, 707), 2u);
}

TEST_F(MergeTest, TextFieldsLoseControlCharacters) {
  SettingField* user = FindFieldById(ctx_, 202);  // kdmUserID, 9 bytes
  ASSERT_NE(user, nullptr);
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {
      {"AB\nCD", "ABCD"}, {"A\tB", "A\tB"}, {"\x7f" "X\x01", "X"}, {"12345678", "12345678"}, {"", ""},
  };
  for (const Case& c : cases) {
    std::vector<BYTE> in = Own();
    std::memset(&in[user->offset], 0, 9);
    std::memcpy(&in[user->offset], c.in, std::strlen(c.in));
    ASSERT_EQ(MergeDevmode(ctx_, Dm(in), kDocFlags), 1);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(ctx_->settings + user->offset)), c.out) << c.in;
  }
}

// ---------------------------------------------------------------------------------------
// Public fields in both directions: a valid incoming value is taken, an invalid one gets
// the model's or the product's default.

TEST_F(MergeTest, PublicFieldsTakenOrReplaced) {
  struct Case {
    const char* name;
    DWORD fields;
    void (*set)(DEVMODEW&);
    void (*check)(const DEVMODEW&, DriverContext*);
  } cases[] = {
      {"orientation taken", DM_ORIENTATION, [](DEVMODEW& d) { d.dmOrientation = 2; },
       [](const DEVMODEW& d, DriverContext*) { EXPECT_EQ(d.dmOrientation, 2); }},
      {"orientation replaced", DM_ORIENTATION, [](DEVMODEW& d) { d.dmOrientation = 9; },
       [](const DEVMODEW& d, DriverContext*) { EXPECT_EQ(d.dmOrientation, 1); }},
      {"scale 0 is 100, bit cleared", DM_SCALE, [](DEVMODEW& d) { d.dmScale = 0; },
       [](const DEVMODEW& d, DriverContext*) {
         EXPECT_EQ(d.dmScale, 100);
         EXPECT_EQ(d.dmFields & DM_SCALE, 0u);
       }},
      {"scale taken", DM_SCALE, [](DEVMODEW& d) { d.dmScale = 150; },
       [](const DEVMODEW& d, DriverContext*) { EXPECT_EQ(d.dmScale, 150); }},
      {"copies 1000 is 1", DM_COPIES, [](DEVMODEW& d) { d.dmCopies = 1000; },
       [](const DEVMODEW& d, DriverContext*) { EXPECT_EQ(d.dmCopies, 1); }},
      {"copies 999 taken", DM_COPIES, [](DEVMODEW& d) { d.dmCopies = 999; },
       [](const DEVMODEW& d, DriverContext*) { EXPECT_EQ(d.dmCopies, 999); }},
      {"quality -2 is the model's", DM_PRINTQUALITY, [](DEVMODEW& d) { d.dmPrintQuality = -2; },
       [](const DEVMODEW& d, DriverContext* c) {
         EXPECT_EQ(d.dmPrintQuality, 600);
         EXPECT_EQ(d.dmYResolution, 600);
         EXPECT_EQ(ReadFieldRawById(c, 38), 600u);
       }},
      {"quality 300 taken with its resolution", DM_PRINTQUALITY, [](DEVMODEW& d) { d.dmPrintQuality = 300; },
       [](const DEVMODEW& d, DriverContext* c) {
         EXPECT_EQ(d.dmPrintQuality, 300);
         EXPECT_EQ(ReadFieldRawById(c, 38), 300u);
       }},
      {"model paper taken with its extent", DM_PAPERSIZE, [](DEVMODEW& d) { d.dmPaperSize = 8; },
       [](const DEVMODEW& d, DriverContext*) {
         EXPECT_EQ(d.dmPaperSize, 8);
         EXPECT_EQ(d.dmPaperWidth, 2970);
         EXPECT_EQ(d.dmPaperLength, 4200);
       }},
      {"unknown paper is the model's default", DM_PAPERSIZE, [](DEVMODEW& d) { d.dmPaperSize = 4321; },
       [](const DEVMODEW& d, DriverContext*) { EXPECT_EQ(d.dmPaperSize, 9); }},
      {"custom size", DM_PAPERSIZE, [](DEVMODEW& d) {
         d.dmPaperSize = 256;
         d.dmPaperLength = 2970;
         d.dmPaperWidth = 2100;
       },
       [](const DEVMODEW& d, DriverContext* c) {
         EXPECT_EQ(d.dmPaperSize, 256);
         EXPECT_EQ(d.dmPaperLength, 2970);
         EXPECT_EQ(d.dmPaperWidth, 2100);
         EXPECT_EQ(ReadFieldRawById(c, 340), static_cast<DWORD>(UserUnitsToDots(kUnitTenthMm, 2100, 1200)));
         EXPECT_EQ(ReadFieldRawById(c, 341), static_cast<DWORD>(UserUnitsToDots(kUnitTenthMm, 2970, 1200)));
       }},
      // No free-size entry is loaded for 384: the paper is taken, but never with a size of 0.
      {"free-size list paper without its entry keeps a real size", DM_PAPERSIZE,
       [](DEVMODEW& d) { d.dmPaperSize = 384; },
       [](const DEVMODEW& d, DriverContext*) {
         EXPECT_EQ(d.dmPaperSize, 384);
         EXPECT_TRUE(!(d.dmFields & DM_PAPERLENGTH) || d.dmPaperLength != 0);
         EXPECT_TRUE(!(d.dmFields & DM_PAPERWIDTH) || d.dmPaperWidth != 0);
       }},
      {"duplex invalid is the product's", DM_DUPLEX, [](DEVMODEW& d) { d.dmDuplex = 7; },
       [](const DEVMODEW& d, DriverContext*) { EXPECT_EQ(d.dmDuplex, GetProductRecord()->duplex); }},
      {"colour taken", DM_COLOR, [](DEVMODEW& d) { d.dmColor = 1; },
       [](const DEVMODEW& d, DriverContext*) { EXPECT_EQ(d.dmColor, 1); }},
  };
  for (const Case& c : cases) {
    std::vector<BYTE> fresh = Own();
    std::vector<BYTE> in = Own();
    DEVMODEW d;
    std::memcpy(&d, in.data(), sizeof d);
    d.dmFields = c.fields;
    c.set(d);
    std::memcpy(in.data(), &d, sizeof d);
    ASSERT_EQ(MergeDevmode(ctx_, Dm(in), kDocFlags), 1) << c.name;
    SCOPED_TRACE(c.name);
    c.check(Public(), ctx_);
    std::memcpy(ctx_->settings, fresh.data(), fresh.size());
  }
}

// The public duplex turns the private duplex function on, and a one-sided public duplex
// turns it off. (The duplex type that goes with it is then checked against the model's
// values by the validation at the end of the step.)
TEST_F(MergeTest, PublicDuplexReconciledWithThePrivateSwitch) {
  struct Case {
    SHORT duplex, orientation;
    DWORD functionBefore, functionAfter;
  } cases[] = {{2, 2, 0, 1}, {3, 1, 0, 1}, {1, 1, 1, 0}, {2, 1, 1, 1}};
  for (const Case& c : cases) {
    SetRaw(58, c.functionBefore);
    SetRaw(16, static_cast<DWORD>(c.duplex));
    SetRaw(7, static_cast<DWORD>(c.orientation));
    SetRaw(6, Raw(6) | DM_DUPLEX | DM_ORIENTATION);
    std::vector<BYTE> in = Own();
    ReconcilePublicFields(ctx_->settings, in.data(), ctx_);
    EXPECT_EQ(Raw(58), c.functionAfter) << c.duplex << "/" << c.orientation;
  }
}

// ---------------------------------------------------------------------------------------
// Common settings block.

void SetRequest(std::vector<BYTE>& b, std::initializer_list<std::pair<int, BYTE>> bytes) {
  std::memset(&b[kDmKcomMemberPos], 0, 32);
  for (const auto& [i, v] : bytes) b[kDmKcomMemberPos + i] = v;
}

TEST_F(MergeTest, CommonSettingsRequestDecoded) {
  std::vector<BYTE> in = Own();
  SetRequest(in, {{1, 1}, {2, 3}, {6, 5}, {10, 0x03}, {11, 0x40}, {13, 2}});
  EXPECT_EQ(ApplyCommonSettings(ctx_, in.data()), 1);
  EXPECT_NE(ctx_->work->mergeFlags & MERGE_COMMON_APPLIED, 0u);
  // The result is in the incoming device-mode; the context keeps its own.
  std::vector<BYTE> own = Own();
  std::memcpy(ctx_->settings, in.data(), in.size());
  EXPECT_EQ(Raw(58), 1u);
  EXPECT_EQ(Raw(94), 2u);
  EXPECT_EQ(Raw(53), 15u);
  EXPECT_EQ(Raw(55), 1u);
  EXPECT_EQ(Raw(87), 1u);
  EXPECT_EQ(Raw(89), 75u);
  EXPECT_EQ(Raw(46), 9u);
  std::memcpy(ctx_->settings, own.data(), own.size());
}

TEST_F(MergeTest, CommonSettingsRequestIgnoredWithoutTheValidByte) {
  std::vector<BYTE> in = Own();
  SetRequest(in, {{0, 0}, {1, 0}, {2, 3}, {6, 5}, {13, 2}});
  const std::vector<BYTE> before = in;
  ctx_->work->mergeFlags = 0;
  EXPECT_EQ(ApplyCommonSettings(ctx_, in.data()), 1);
  EXPECT_EQ(in, before);
  EXPECT_EQ(ctx_->work->mergeFlags, 0u);
}

TEST_F(MergeTest, CommonSettingsScaleAndNup) {
  struct Case {
    BYTE lo, hi, nup;
    SHORT orientation;
    DWORD scaleH, nupKind, nupType;
  } cases[] = {
      {150, 0, 2, 2, 150, 1, 3},
      {0x08, 0x40, 2, 1, 16392, 1, 1},
      {0x07, 0x40, 4, 1, 115, 2, 33},
      {1, 0, 9, 1, 1, 0xFF, 0xFFFF},
  };
  for (const Case& c : cases) {
    SetRaw(7, static_cast<DWORD>(c.orientation));
    std::vector<BYTE> in = Own();
    SetRequest(in, {{1, 1}, {10, c.lo}, {11, c.hi}, {12, c.nup}});
    ASSERT_EQ(ApplyCommonSettings(ctx_, in.data()), 1);
    std::vector<BYTE> own = Own();
    std::memcpy(ctx_->settings, in.data(), in.size());
    EXPECT_EQ(Raw(89), c.scaleH) << int(c.lo) << " " << int(c.hi);
    EXPECT_EQ(Raw(56), 1u);
    EXPECT_EQ(Raw(91), c.nupKind) << int(c.nup);
    EXPECT_EQ(Raw(92), c.nupType) << int(c.nup);
    std::memcpy(ctx_->settings, own.data(), own.size());
  }
}

TEST_F(MergeTest, RequestAppliedByTheMergeAndClearedWhenHandedOut) {
  std::vector<BYTE> in = Own();
  SetRequest(in, {{1, 1}, {2, 1}, {3, 1}});
  SetRaw(58, 1);
  ASSERT_EQ(MergeDevmode(ctx_, Dm(in), kDocFlags), 1);
  EXPECT_EQ(Raw(58), 0u);
  EXPECT_NE(ctx_->work->mergeFlags & MERGE_COMMON_APPLIED, 0u);
  EXPECT_EQ(Public().dmCollate, 0);
  EXPECT_EQ(ctx_->settings[kDmKcomMemberPos + 1], 1);  // stays until handed out
  EXPECT_EQ(FillCommonCapabilities(ctx_), 1);
  for (int i = 0; i < 32; ++i) EXPECT_EQ(ctx_->settings[kDmKcomMemberPos + i], 0) << i;
}

TEST_F(MergeTest, SettingsApiLeavesTheCommonSettingsRequestUnapplied) {
  struct Case {
    Deliverable deliverable;
    bool applied;
  } cases[] = {{Deliverable::SettingsApi, false}, {Deliverable::Rendering, false}, {Deliverable::Interface, true}};
  for (const Case& c : cases) {
    ctx_->work->mergeFlags = 0;
    std::vector<BYTE> in = Own();
    SetRequest(in, {{1, 1}, {2, 3}, {13, 2}});
    SetDeliverable(c.deliverable);
    const int merged = MergeDevmode(ctx_, Dm(in), kDocFlags);
    SetDeliverable(Deliverable::Interface);
    const int d = static_cast<int>(c.deliverable);
    EXPECT_EQ(merged, 1) << d;
    EXPECT_EQ((ctx_->work->mergeFlags & MERGE_COMMON_APPLIED) != 0, c.applied) << d;
  }
}

TEST_F(MergeTest, CapabilityBitsOfTheSampleModel) {
  SetRaw(10014, 1);  // a duplex unit
  ASSERT_EQ(FillCommonCapabilities(ctx_), 1);
  const BYTE* caps = ctx_->settings + kDmKcomCapsPos;
  // Bytes 13 and 14: the output papers of the printer option table (A3..LETTER, LEGAL..LEDGER).
  const BYTE expected[32] = {0, 7, 0, 3, 0, 0, 0, 0x03, 0, 0, 0x06, 1, 63, 0xFF, 0x0F, 0, 0, 1};
  for (int i = 0; i < 32; ++i) EXPECT_EQ(caps[i], expected[i]) << "byte " << i;
  SetRaw(10014, 0);
  ASSERT_EQ(FillCommonCapabilities(ctx_), 1);
  EXPECT_EQ(caps[1], 0);
}

TEST_F(MergeTest, ResetRequestBringsTheDefaults) {
  SetRaw(12, 7);
  std::vector<BYTE> in = Own();
  SetRequest(in, {{0, 2}, {1, 1}});
  ASSERT_EQ(MergeDevmode(ctx_, Dm(in), kDocFlags), 1);
  EXPECT_EQ(Public().dmCopies, 1);
  // A refresh needs the two-way query, which fails without its library.
  std::vector<BYTE> refresh = Own();
  SetRequest(refresh, {{0, 3}, {1, 1}});
  EXPECT_EQ(ApplyCommonSettings(ctx_, refresh.data()), 0);
}

// ---------------------------------------------------------------------------------------
// Versions.

TEST(DevmodeVersions, Compare) {
  struct Case {
    DWORD have, want;
    int expected;
  } cases[] = {{315, 322, 1}, {322, 322, 0}, {330, 322, 0}, {410, 322, 0}, {299, 322, 2}, {200, 250, 2}, {321, 322, 1}};
  for (const Case& c : cases) EXPECT_EQ(CompareVersions(c.have, c.want), c.expected) << c.have << " " << c.want;
  EXPECT_EQ(CompareDevmodeVersion(nullptr), -1);
}

TEST_F(MergeTest, UpgradeWithoutAConversionItem) {
  std::vector<BYTE> old = Own();
  const DWORD v = 320;
  std::memcpy(&old[kDmVersionPos], &v, 4);
  const DWORD zero = 0;
  std::memcpy(ctx_->settings + kDmVersionPos, &zero, 4);
  EXPECT_EQ(UpgradeDevmodeIfOlder(old.data(), ctx_), 0);
  EXPECT_EQ(ReadDevmodeVersion(ctx_->settings), 322u);
}
}  // namespace
}  // namespace devmode_merge_test
}  // namespace kovatest
