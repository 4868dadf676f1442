// The runners of built-in functions by deliverable: number 2 raises the change flag only in
// the printer interface DLL; every deliverable offers a module's number to its modules'
// hooks (built-in 312, the lock values, answers in all three).
#include <gtest/gtest.h>

#include "fields/change_flags.h"
#include "model/module_dispatch.h"
#include "field_ids.h"
#include "modules/builtin_runner.h"
#include "modules_fixture.h"

namespace {

using kovatest::ModulesTest;

class BuiltInRunner : public ModulesTest {
 protected:
  void As(Deliverable as) {
    FreeExtensionModules(ctx_);
    SetDeliverable(as);
    LoadExtensionModules(ctx_);
  }
};

TEST_F(BuiltInRunner, EachDeliverableRunsItsOwnTable) {
  struct Case {
    Deliverable as;
    bool changeFlag;  // number 2 raises change flag 0x10000000
  } const cases[] = {{Deliverable::Interface, true}, {Deliverable::SettingsApi, false}, {Deliverable::Rendering, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.as));
    As(c.as);
    ClearChangeFlags(ctx_, 0xFFFFFFFFu);
    RunBuiltInFunction(ctx_, 2);
    EXPECT_EQ((GetChangeFlags(ctx_) & 0x10000000u) != 0, c.changeFlag);
    Set(fid::kdmMediaType, 5);
    Set(fid::wdmLock002Info, 0);
    RunBuiltInFunction(ctx_, 312);
    EXPECT_EQ(Get(fid::wdmLock002Info), 5u);
  }
  RunSettingsApiBuiltIn(nullptr, 1);
  RunBuiltInFunction(nullptr, 1);
}

}  // namespace
