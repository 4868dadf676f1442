// Which module answers each built-in function and event number in each deliverable, and what
// the answer does.
#include <gtest/gtest.h>

#include "context/extension_modules.h"
#include "stored/module_services.h"
#include "field_ids.h"
#include "context/module_events.h"
#include "modules_fixture.h"

namespace {

using kovatest::ModulesTest;
constexpr Deliverable I = Deliverable::Interface;
constexpr Deliverable R = Deliverable::Rendering;
constexpr Deliverable S = Deliverable::SettingsApi;

int FirstTaker(Deliverable d, bool builtIn, DWORD number) {
  for (int m = 0; m < kModuleCount; ++m)
    if (builtIn ? ModuleTakesBuiltIn(m, d, static_cast<WORD>(number)) : ModuleTakesEvent(m, d, number)) return m;
  return -1;
}

struct MatrixCase {
  Deliverable d;
  bool builtIn;
  DWORD number;
  int module;  // table index of the first module that takes it; -1 none
};

TEST(ModuleMatrix, EachNumberReachesTheModuleOfItsTable) {
  const MatrixCase cases[] = {
      // Built-in functions.
      {I, true, 100, MODULE_USER_QUALITY}, {R, true, 100, -1}, {S, true, 110, -1},
      {I, true, 111, MODULE_USER_QUALITY}, {R, true, 124, MODULE_USER_QUALITY}, {S, true, 114, MODULE_USER_QUALITY},
      {I, true, 308, MODULE_USER_QUALITY}, {S, true, 325, -1},
      {I, true, 200, MODULE_CUSTOM_PAPER}, {R, true, 205, -1}, {S, true, 202, -1},
      {I, true, 300, MODULE_CHAPTERS}, {R, true, 300, -1}, {S, true, 303, MODULE_CHAPTERS}, {R, true, 307, MODULE_CHAPTERS},
      {I, true, 327, MODULE_STAMPS}, {R, true, 327, MODULE_STAMPS}, {S, true, 327, MODULE_STAMPS},
      {I, true, 312, MODULE_SETTING_LOCKS}, {R, true, 312, MODULE_SETTING_LOCKS}, {S, true, 318, -1},
      {I, true, 323, MODULE_SETTING_LOCKS}, {R, true, 326, -1}, {S, true, 10000, MODULE_SETTING_LOCKS},
      {R, true, 11976, MODULE_SETTING_LOCKS}, {I, true, 11977, -1},
      {I, true, 250, MODULE_PRINT_TYPE}, {S, true, 250, -1}, {R, true, 901, MODULE_PRINT_TYPE},
      {S, true, 901, MODULE_PRINT_TYPE}, {I, true, 1, -1}, {S, true, 2, -1}, {I, true, 999, -1},
      // Events.
      {I, false, 3, MODULE_PRESETS}, {R, false, 3, MODULE_FONT_SUBSTITUTION}, {S, false, 3, MODULE_FONT_SUBSTITUTION},
      {I, false, 7, MODULE_STAMPS}, {R, false, 7, -1},
      {I, false, 1, MODULE_CHAPTERS}, {R, false, 1, -1}, {S, false, 2, -1}, {I, false, 26, MODULE_CHAPTERS},
      {S, false, 26, -1}, {R, false, 24, MODULE_CHAPTERS}, {S, false, 11, MODULE_CHAPTERS}, {R, false, 25, -1},
      {I, false, 15, MODULE_USER_QUALITY}, {R, false, 56, MODULE_USER_QUALITY}, {S, false, 58, MODULE_USER_QUALITY},
      {I, false, 47, MODULE_CUSTOM_PAPER}, {S, false, 47, MODULE_CUSTOM_PAPER}, {R, false, 47, -1},
      {R, false, 45, MODULE_CUSTOM_PAPER}, {R, false, 55, MODULE_CUSTOM_PAPER},
      {I, false, 61, MODULE_SETTING_LOCKS}, {R, false, 61, -1}, {S, false, 60, MODULE_SETTING_LOCKS},
      {I, false, 14, MODULE_PRINT_TYPE}, {S, false, 14, -1}, {S, false, 17, MODULE_PRINT_TYPE}, {R, false, 17, -1},
      {R, false, 21, -1}, {S, false, 21, MODULE_PRINT_TYPE}, {R, false, 67, MODULE_PRINT_TYPE},
      {I, false, 19, -1}, {I, false, 22, -1}, {I, false, 33, -1}, {S, false, 37, -1},
  };
  for (const MatrixCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "deliverable " << static_cast<int>(c.d) << (c.builtIn ? " built-in " : " event ")
                                    << c.number);
    EXPECT_EQ(FirstTaker(c.d, c.builtIn, c.number), c.module);
  }
}

class ModuleAnswers : public ModulesTest {};

// The effect through the real dispatch, per deliverable.
TEST_F(ModuleAnswers, BuiltInsAndEventsActOnlyWhereTheirTableHasThem) {
  struct Case {
    Deliverable d;
    WORD number;
    bool copies;  // built-in 901 copies dmCopies into kdmSeparationSheetCycle
  } cases[] = {{I, 901, true}, {R, 901, true}, {S, 901, true}};
  for (const Case& c : cases) {
    SetDeliverable(c.d);
    Set(fid::dmCopies, 7);
    Set(fid::kdmSeparationSheetCycle, 1);
    CallModuleItemHooks(ctx_, c.number);
    EXPECT_EQ(Get(fid::kdmSeparationSheetCycle), c.copies ? 7u : 1u);
  }
  // Built-in 326 is a page function: only the printer interface DLL keeps the print method.
  for (Deliverable d : {I, R, S}) {
    SetDeliverable(d);
    Set(fid::kdmPrnMethod, 3);
    Set(fid::kdmLockPrnMethod, 0);
    CallModuleItemHooks(ctx_, 326);
    EXPECT_EQ(Get(fid::kdmLockPrnMethod), d == I ? 3u : 0u) << static_cast<int>(d);
  }
  // Event 21 (tray details wanted) is answered by the utility module, but not in rendering.
  for (Deliverable d : {I, R, S}) {
    SetDeliverable(d);
    std::int32_t answer = 0;
    NotifyModules(ctx_, MODEV_TRAY_DETAILS, &answer);
    EXPECT_EQ(answer, d == R ? 0 : 1) << static_cast<int>(d);
  }
}

TEST_F(ModuleAnswers, GreyQueryStopsAtTheFirstModuleThatOwnsTheControl) {
  // The preset maintenance buttons answer from the selected entry and the preset count.
  AppendPreset(ctx_, u"C:\\_kova\\a.kst", u"A", u"");
  AppendPreset(ctx_, u"C:\\_kova\\b.kst", u"B", u"");
  AppendPreset(ctx_, u"C:\\_kova\\c.kst", u"C", u"");
  struct Case {
    WORD control;
    std::int16_t selected;
    DWORD grey;
  } cases[] = {
      {2143, 2, 0}, {2143, 1, 1}, {2144, 1, 0}, {2144, 2, 1}, {2144, 0, 1}, {2140, 0, 1},
      {2140, 2, 0}, {2142, 0, 0}, {2705, -1, 1}, {2705, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.control << " selected " << c.selected);
    Set(fid::KPD_IDC_MAINTENANCE_ICONLIST, static_cast<WORD>(c.selected));
    ControlRecord* control = Control(1007, c.control);
    ASSERT_NE(control, nullptr);
    GreyStateEventBlock block{control, FindPageById(ctx_, 1007), 0, 7, nullptr};
    NotifyModules(ctx_, MODEV_GREY_STATE, &block);
    EXPECT_EQ(block.answered, 1u);
    EXPECT_EQ(block.grey, c.grey);
    EXPECT_EQ((control->state >> 2) & 3u, c.grey);
  }
  // The printer font list: greyed on page 4004 or while the call is not an application's.
  ControlRecord* fonts = Control(1009, 2384);
  ASSERT_NE(fonts, nullptr);
  for (DWORD callSrc : {0u, 1u}) {
    Set(fid::KPD_kdmCallSrc, callSrc);
    fonts->state = 0;
    GreyStateEventBlock block{fonts, FindPageById(ctx_, 1009), 0, 0, nullptr};
    NotifyModules(ctx_, MODEV_GREY_STATE, &block);
    EXPECT_EQ(block.answered, callSrc == 0 ? 1u : 0u);
  }
}

TEST_F(ModuleAnswers, DensityEventsStopAtTheQualityModuleForEveryControl) {
  ControlRecord other{};
  other.controlId = 2088;
  ControlValueEventBlock direction{&other, 0};
  NotifyModules(ctx_, MODEV_SLIDER_DIRECTION, &direction);
  EXPECT_EQ(direction.value, 0);
  ControlRecord slider{};
  slider.controlId = 3035;
  direction = {&slider, 0};
  NotifyModules(ctx_, MODEV_SLIDER_DIRECTION, &direction);
  EXPECT_EQ(direction.value, 1);

  ControlRecord sample{};
  sample.controlId = 3039;
  struct Case {
    DWORD picture;
    WORD field;
    DWORD value;
    DWORD answer;
  } cases[] = {{6990, fid::kdmTonerSaveDensityImage, 0, 25}, {6982, fid::kdmTonerSaveDensityText, 1, 13},
               {7668, fid::kdmTonerSaveDensityLine, 2, 0}, {7668, fid::kdmTonerSaveDensityLine, 3, 0xFFFF},
               {1234, fid::kdmTonerSaveDensityLine, 0, 0xFFFF}};
  for (const Case& c : cases) {
    Set(c.field, c.value);
    DensityPictureEventBlock block{&sample, c.picture, 0xFFFF};
    NotifyModules(ctx_, MODEV_DENSITY_PICTURE, &block);
    EXPECT_EQ(block.answer, c.answer) << c.picture << " " << c.value;
  }
}

TEST_F(ModuleAnswers, ThePublicPaperSizeInInchModeAnswersWithoutASpinRange) {
  Set(fid::dmPaperSize, 256);
  Set(fid::kdmDspUnit, 1);
  Set(fid::wdmInputFreeSizeType, 1);
  Set(fid::kdmPaperINCHLength, 1100);  // 11 inches
  Set(fid::kdmPaperINCHWidth, 850);
  BYTE devmode[220] = {};
  devmode[78] = 0;
  devmode[79] = 1;  // 256
  DevmodeEventBlock block{devmode, 0};
  NotifyModules(ctx_, MODEV_INCH_PAPER_OUT, &block);
  EXPECT_EQ(block.handled, 1u);
  EXPECT_EQ(devmode[80] | (devmode[81] << 8), 2794);  // 279.4 mm
  EXPECT_EQ(devmode[82] | (devmode[83] << 8), 2159);
}

}  // namespace
