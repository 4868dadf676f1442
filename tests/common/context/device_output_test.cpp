#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "context_fixture.h"
#include "stored/devmode_checks.h"
#include "fields/devmode_header.h"
#include "fields/field_access.h"
#include "fields/product_record.h"
#include "field_ids.h"
#include "context/device_output.h"
#include "win/devmode.h"

namespace kovatest {
namespace {

class DeviceOutput : public ContextTest {
 protected:
  void SetUp() override {
    ContextTest::SetUp();
    root_.WriteFile(u"C:\\_kova\\keep.txt", "");
    StartContext(u"Office");
    in_.assign(GetTotalDevmodeSize(), 0);
    out_.assign(GetTotalDevmodeSize(), 0xCC);
    std::memcpy(in_.data(), ctx_->settings, in_.size());
  }
  void TearDown() override {
    if (ctx_) {
      ctx_->work->pdmIn = nullptr;
      ctx_->work->pdmOut = nullptr;
      ctx_->work->pdmOutSize = 0;
    }
    ContextTest::TearDown();
  }
  DEVMODEW* In() { return reinterpret_cast<DEVMODEW*>(in_.data()); }
  DEVMODEW* Out() { return reinterpret_cast<DEVMODEW*>(out_.data()); }
  DEVMODEW* Own() { return reinterpret_cast<DEVMODEW*>(ctx_->settings); }
  void Call(DWORD mode, bool withOutput = true) {
    ctx_->work->docPropMode = mode;
    ctx_->work->pdmIn = In();
    ctx_->work->pdmOut = withOutput ? Out() : nullptr;
    EXPECT_EQ(WriteOutputDevmode(ctx_), 1);
  }

  std::vector<BYTE> in_, out_;
};

TEST_F(DeviceOutput, NothingWithoutUpdateOrCopy) {
  Call(0);
  EXPECT_EQ(out_, std::vector<BYTE>(out_.size(), 0xCC));
}

TEST_F(DeviceOutput, CopyWritesTheOutputWithTheCollateRule) {
  WriteFieldRawById(ctx_, fid::kdmFuncSelectSort, 1);
  In()->dmFields &= ~DM_COLLATE;
  Call(DOCMODE_COPY);
  EXPECT_EQ(std::memcmp(Out()->dmDeviceName, Own()->dmDeviceName, sizeof Out()->dmDeviceName), 0);
  EXPECT_EQ(Out()->dmSize, In()->dmSize);
  // The fixture's model offers no sort types: the output says no collation.
  EXPECT_FALSE(Out()->dmFields & DM_COLLATE);
  EXPECT_EQ(Out()->dmCollate, 0);
}

TEST_F(DeviceOutput, UpdateOnlyAppliesTheRuleToTheOwnDevmode) {
  WriteFieldRawById(ctx_, fid::kdmFuncSelectSort, 1);
  Own()->dmCollate = 7;
  In()->dmFields &= ~DM_COLLATE;
  Call(DOCMODE_UPDATE, false);
  EXPECT_EQ(Own()->dmCollate, 0);  // no sort types in the fixture's model
  EXPECT_EQ(out_, std::vector<BYTE>(out_.size(), 0xCC));
}

// The caller's input shapes the output only when the driver may read it; the output never
// takes more than its size allows (the whole device-mode when the call carries no size),
// and an output too small for what is to be written gets nothing and a failed answer.
TEST_F(DeviceOutput, TheOutputTakesWhatTheInputsShapeAndTheOutputsSizeAllow) {
  constexpr WORD kNoInput = 0xFFFF;
  struct Case {
    const char* what;
    WORD inSize, inExtra;  // kNoInput: no input device-mode
    DWORD outSize;         // 0: the call carries no size
    bool hidden3;          // kdmHidden3Func0: a shape without a private part gets the whole
    int result;
    WORD size, extra;      // of the output when written
  };
  const Case cases[] = {
      {"dmSize 0", 0, 0, 0, false, 1, 220, 1016},
      {"dmSize 10", 10, 0, 0, false, 1, 220, 1016},
      {"dmSize 60", 60, 1016, 0, false, 1, 220, 1016},
      {"dmSize 71", 71, 0, 0, false, 1, 220, 1016},
      {"dmSize 148", 148, 0, 0, false, 1, 220, 1016},
      {"version 0x320, public part alone", 188, 0, 0, false, 1, 188, 0},
      {"version 0x401, public part alone", 220, 0, 0, false, 1, 220, 0},
      {"the driver's own shape", 220, 1016, 0, false, 1, 220, 1016},
      {"a size that holds the shape", 220, 0, 220, false, 1, 220, 0},
      {"widened to the whole", 220, 0, 0, true, 1, 220, 1016},
      {"not widened past the size", 220, 0, 220, true, 1, 220, 0},
      {"no input and a size short of the whole", kNoInput, 0, 220, false, 0, 0, 0},
      {"dmSize 10 and a size short of the whole", 10, 0, 220, false, 0, 0, 0},
      {"the driver's own shape, one byte too many", 220, 1016, 1235, false, 0, 0, 0},
  };
  for (const Case& c : cases) {
    WriteFieldRawById(ctx_, fid::kdmHidden3Func0, c.hidden3 ? 1 : 0);
    std::memcpy(in_.data(), ctx_->settings, in_.size());
    In()->dmSize = c.inSize;
    In()->dmDriverExtra = c.inExtra;
    std::vector<BYTE> out(1300, 0xEE);
    ctx_->work->docPropMode = DOCMODE_COPY;
    ctx_->work->pdmIn = c.inSize == kNoInput ? nullptr : In();
    ctx_->work->pdmOut = reinterpret_cast<DEVMODEW*>(out.data());
    ctx_->work->pdmOutSize = c.outSize;
    EXPECT_EQ(WriteOutputDevmode(ctx_), c.result) << c.what;
    const auto* dm = reinterpret_cast<const DEVMODEW*>(out.data());
    const size_t written = c.result == 1 ? static_cast<size_t>(c.size) + c.extra : 0;
    for (size_t i = written; i < out.size(); ++i) ASSERT_EQ(out[i], 0xEE) << c.what << ": byte " << i;
    if (c.result == 1) {
      EXPECT_EQ(dm->dmSize, c.size) << c.what;
      EXPECT_EQ(dm->dmDriverExtra, c.extra) << c.what;
      EXPECT_EQ(std::memcmp(dm->dmDeviceName, Own()->dmDeviceName, sizeof dm->dmDeviceName), 0) << c.what;
      if (c.extra == 1016) {
        EXPECT_EQ(std::memcmp(out.data() + c.size, ctx_->settings + 220, 141), 0) << c.what;
      }
    }
  }
}

}  // namespace
}  // namespace kovatest
