#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "context_fixture.h"
#include "context/devmode_checks.h"
#include "context/devmode_header.h"
#include "context/field_access.h"
#include "context/product_record.h"
#include "field_ids.h"
#include "stored/device_output.h"
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

}  // namespace
}  // namespace kovatest
