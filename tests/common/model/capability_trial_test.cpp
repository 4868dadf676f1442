#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "model_context.h"
#include "base/driver_context.h"
#include "fields/product_record.h"
#include "field_ids.h"
#include "model/capability_trial.h"

namespace kovatest {
namespace {

// Options made here rather than taken from the built-in table, so that each case shows
// one rule of the trial.
struct Option {
  OptionSettingNode implied{nullptr, 0, 0, 0};
  OptionConditionNode condition{nullptr, 0, fid::kdmFuncSelectSort, 1};
  PrinterOptionValue value{};
  PrinterOptionRecord record{};
};

struct TrialCase {
  const char* what;
  DWORD kind;
  WORD key;
  DWORD flags;       // value flags
  DWORD value;
  WORD impliedField;  // 0: none
  DWORD impliedValue;
  bool withCondition;
  DWORD sort;         // kdmFuncSelectSort while trying
  int expected;
};

TEST(CapabilityTrial, ConditionOrTrialOnTheSettings) {
  const TrialCase cases[] = {
      {"condition holds", 1, fid::kdmSortType, 0, 1, 0, 0, true, 1, 1},
      {"condition fails", 1, fid::kdmSortType, 0, 1, 0, 0, true, 0, 0},
      {"no condition", 1, fid::kdmSortType, 0, 1, 0, 0, false, 0, 1},
      {"tried: the value holds", kTriedOptionKind, fid::kdmScaleH, 0, 150, 0, 0, false, 0, 1},
      {"tried: the condition is not asked", kTriedOptionKind, fid::kdmScaleH, 0, 150, 0, 0, true, 0, 1},
      {"tried: a byte field cannot hold 0x1FF", kTriedOptionKind, fid::kdmNUPPOSTKind, 0, 0x1FF, 0, 0, false, 0, 0},
      {"tried: an implied setting that cannot hold", kTriedOptionKind, fid::kdmScaleH, 0, 150, fid::kdmNUPPOSTKind,
       0x1FF, false, 0, 0},
      {"tried: an implied setting that holds", kTriedOptionKind, fid::kdmScaleH, 0, 150, fid::kdmScaleV, 120, false, 0,
       1},
      {"tried: an alias does not write its field", kTriedOptionKind, fid::kdmNUPPOSTKind, POV_ALIAS, 0x1FF, 0, 0, false,
       0, 1},
      {"tried: a field past the device-mode is not written", kTriedOptionKind, fid::kdmPrinterMemory, 0, 0x1FFFF, 0, 0,
       false, 0, 1},
  };
  for (const TrialCase& c : cases) {
    SCOPED_TRACE(c.what);
    ModelContext mc;
    Option o;
    o.implied = OptionSettingNode{nullptr, 0, c.impliedField, c.impliedValue};
    o.value = PrinterOptionValue{c.flags, c.value, "V", 0, c.impliedField ? &o.implied : nullptr,
                                 c.withCondition ? &o.condition : nullptr, 0};
    o.record.key = c.key;
    o.record.kindBits = c.kind;
    mc.SetRaw(fid::kdmFuncSelectSort, c.sort);
    mc.SetRaw(fid::kdmScaleH, 100);
    mc.work().dirty = 0;
    mc.work().changeFlags = 0x55;
    std::vector<BYTE> before(mc.settings(), mc.settings() + GetSettingsBufferSize());
    EXPECT_EQ(TryCapabilityValue(mc.ctx(), &o.record, &o.value), c.expected);
    // A trial leaves nothing behind.
    EXPECT_EQ(std::memcmp(before.data(), mc.settings(), before.size()), 0);
    EXPECT_EQ(mc.work().dirty, 0);
    EXPECT_EQ(mc.work().changeFlags, 0x55u);
  }
}

TEST(CapabilityTrial, NupLockHoldsForTriedValues) {
  ModelContext mc;
  OptionSettingNode kind{nullptr, 0, fid::kdmNUPPOSTKind, 2};
  PrinterOptionValue two{0, 34, "2", 0, &kind, nullptr, 0};
  PrinterOptionValue off{POV_OFF, 0, "OFF", 0, nullptr, nullptr, 0};
  PrinterOptionRecord nup{};
  nup.key = fid::kdmNUPType;
  nup.kindBits = kTriedOptionKind;
  EXPECT_EQ(TryCapabilityValue(mc.ctx(), &nup, &off), 1);
  mc.SetRaw(fid::kdmLock000InfoBitNupKind, 1);
  mc.SetRaw(fid::wdmLock003Info, 4);
  EXPECT_EQ(TryCapabilityValue(mc.ctx(), &nup, &off), 0);  // a zero value is refused
  EXPECT_EQ(TryCapabilityValue(mc.ctx(), &nup, &two), 0);  // its effect differs from the lock
  mc.SetRaw(fid::wdmLock003Info, 2);
  EXPECT_EQ(TryCapabilityValue(mc.ctx(), &nup, &two), 1);
  EXPECT_EQ(TryCapabilityValue(nullptr, &nup, &two), 0);
  EXPECT_EQ(TryCapabilityValue(mc.ctx(), nullptr, &two), 0);
}

}  // namespace
}  // namespace kovatest
