// The modules' warnings: a real warning box in the printer interface DLL, with the button
// pressed as the answer; none in the other deliverables, which go on as after OK.
#include <gtest/gtest.h>

#include "modules/module_ui.h"
#include "modules_fixture.h"
#include "plat/ui_driver.h"
#include "win/msgbox.h"
#include "win/window.h"

namespace {

using kovatest::ModulesTest;

class ModuleWarning : public ModulesTest {
 protected:
  void TearDown() override {
    plat::ui::ClearMessageBoxes();
    ModulesTest::TearDown();
  }
};

TEST_F(ModuleWarning, ShownOnlyByTheInterfaceDll) {
  struct Case {
    Deliverable as;
    bool ask;
    int queued;       // the scripted answer, 0: none
    int answer;       // what the warning answers
    bool box;         // a box is shown
    UINT buttons;     // its buttons
  } const cases[] = {
      {Deliverable::Interface, false, 0, IDOK, true, MB_OK},
      {Deliverable::Interface, true, IDCANCEL, IDCANCEL, true, MB_OKCANCEL},
      {Deliverable::Interface, true, IDOK, IDOK, true, MB_OKCANCEL},
      {Deliverable::Rendering, true, 0, IDOK, false, 0},
      {Deliverable::SettingsApi, true, 0, IDOK, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.as) * 10 + (c.ask ? 1 : 0));
    plat::ui::ClearMessageBoxes();
    SetDeliverable(c.as);
    if (c.queued) plat::ui::QueueMessageBoxAnswer(c.queued);
    EXPECT_EQ(ShowModuleWarning(ctx_, 10064, c.ask), c.answer);
    const auto& boxes = plat::ui::MessageBoxes();
    if (!c.box) {
      EXPECT_TRUE(boxes.empty());
      continue;
    }
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes.back().type & MB_ICONMASK, static_cast<UINT>(MB_ICONWARNING));
    EXPECT_EQ(boxes.back().type & MB_TYPEMASK, c.buttons);
  }
  SetDeliverable(Deliverable::Interface);
  EXPECT_EQ(ShowModuleWarning(nullptr, 10064, true), IDOK);
}

}  // namespace
