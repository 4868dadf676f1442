// The state bytes of the suite tools: asked of the registry except in the settings API.
#include <gtest/gtest.h>

#include "base/deliverable.h"
#include "context/devmode_defaults.h"
#include "fields/devmode_header.h"
#include "fields/languages.h"
#include "base/printer_data.h"
#include "paths_fixture.h"
#include "win/registry.h"

namespace {

class SuiteToolStates : public kovatest::PathsTest {
 protected:
  void TearDown() override {
    SetDeliverable(Deliverable::Interface);
    PathsTest::TearDown();
  }
};

TEST_F(SuiteToolStates, SettingsApiNeverAsksForTheSuiteTools) {
  const DWORD one = 1;
  WriteHklmValue(u"Software\\VANTE\\Suitemix\\Jobfold", u"INSTALL_COUNT", &one, 4, REG_DWORD, 0);
  WriteHklmValue(u"Software\\VANTE\\Suitemix\\Preview", u"VERSION", &one, 4, REG_DWORD, 0);
  DriverContext* context = Context(Install(u"P1"));
  struct Case {
    Deliverable deliverable;
    DWORD expected;
  } cases[] = {{Deliverable::Interface, 1}, {Deliverable::Rendering, 1}, {Deliverable::SettingsApi, 0}};
  for (const Case& c : cases) {
    SetDeliverable(c.deliverable);
    SetStateByte(context, 717, 7);
    SetStateByte(context, 705, 7);
    SetEnvironmentStateBytes(context);
    EXPECT_EQ(GetStateByte(context, 717), c.expected) << static_cast<int>(c.deliverable);
    EXPECT_EQ(GetStateByte(context, 705), c.expected) << static_cast<int>(c.deliverable);
  }
}

}  // namespace

namespace {

class ContextLanguage : public SuiteToolStates {};

// At creation mode 1 the interface takes the language of the driver's help file; the
// rendering build and the settings API always that of the printer's "HelpFileName".
TEST_F(ContextLanguage, ModeOneLanguageSourcePerDeliverable) {
  HANDLE h = Install(u"P1", {plat::spooler::StringValue(u"HelpFileName", u"X_cs.hlp")});
  DriverContext* ctx = Context(h);
  fc_.work().mode = 1;
  struct Case {
    Deliverable deliverable;
    const char16_t* expected;
  } cases[] = {{Deliverable::Interface, u"us"}, {Deliverable::Rendering, u"cs"}, {Deliverable::SettingsApi, u"cs"}};
  for (const Case& c : cases) {
    SetDeliverable(c.deliverable);
    EXPECT_EQ(kovatest::Str(SetContextLanguageCode(ctx)), c.expected) << static_cast<int>(c.deliverable);
  }
}

}  // namespace
