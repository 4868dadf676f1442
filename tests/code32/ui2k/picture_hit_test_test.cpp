// Which control is hot under the pointer: the printer picture's hot spots, the icon lists,
// never a greyed or hidden control; and the hand cursor it sets and gives back.
#include "page_engine_fixture.h"
#include "pages/page_binding.h"
#include "pages/picture_hit_test.h"

namespace kovatest {
namespace {

class PictureHitTestTest : public PageEngineTest {
 protected:
  void SetUp() override {
    PageEngineTest::SetUp();
    SetCursor(nullptr);
    ResetSavedPageCursor();
  }
  void TearDown() override {
    SetCursor(nullptr);
    ResetSavedPageCursor();
    PageEngineTest::TearDown();
  }
};

TEST_F(PictureHitTestTest, HotControlsByKindStateAndHotspot) {
  DriverContext* context = Bound();
  ASSERT_NE(context, nullptr);
  WriteFieldRawById(context, fid::kdmSourceOptionType1Step, 0);
  WriteFieldRawById(context, fid::kdm1StepOptionNum, 0);
  struct Case {
    WORD kind;
    WORD controlId;
    WORD state;  // bits 0-1 hidden, bits 2-3 greyed
    POINT point;
    bool hot;
    WORD tipId;  // expected afterwards (the printer picture writes the hot spot's value)
  };
  const Case cases[] = {
      {2, 2067, 0, {70, 60}, true, 2},   // over the first tray
      {2, 2067, 0, {80, 40}, true, 8},   // over the manual feed
      {2, 2067, 0, {10, 10}, false, 0},  // outside every hot spot: the tip id is cleared
      {2, 2067, 4, {70, 60}, false, 7},  // greyed: left alone
      {2, 2067, 1, {70, 60}, false, 7},  // hidden
      {47, 2100, 0, {0, 0}, true, 7},    // an icon list is hot everywhere
      {47, 2164, 0, {0, 0}, false, 7},   // except this one
      {47, 2100, 4, {0, 0}, false, 7},
      {50, 2100, 0, {5, 5}, true, 7},
      {50, 2100, 1, {5, 5}, false, 7},
      {3, 2100, 0, {5, 5}, false, 7},    // a picture without a linked value is not
      {4, 2100, 0, {5, 5}, false, 7},
      {21, 2100, 0, {5, 5}, false, 7},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "kind " << c.kind << " id " << c.controlId << " state " << c.state << " at "
                                    << c.point.x << "," << c.point.y);
    ControlRecord control{};
    control.kind = c.kind;
    control.controlId = c.controlId;
    control.state = c.state;
    control.tipId = 7;
    POINT tip{-1, -1};
    EXPECT_EQ(IsControlHot(context, &control, c.point, &tip), c.hot);
    EXPECT_EQ(control.tipId, c.tipId);
    if (c.hot && c.kind == 2) {
      EXPECT_GT(tip.x, c.point.x);  // the hot spot's top right corner
      EXPECT_LE(tip.y, c.point.y);
    }
  }
}

// The hand comes while the pointer is over a hot control and the cursor it replaced comes
// back when the pointer leaves; a hand already shown is not saved over the first cursor.
TEST_F(PictureHitTestTest, HandCursorIsSetAndGivenBack) {
  DriverContext* context = Bound();
  ASSERT_NE(context, nullptr);
  HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
  HCURSOR hand = LoadCursorW(nullptr, IDC_HAND);
  ASSERT_NE(arrow, nullptr);
  ASSERT_NE(hand, nullptr);
  SetCursor(arrow);
  ControlRecord list{};
  list.kind = 47;
  list.controlId = 2100;
  ControlRecord text{};
  text.kind = 4;
  text.controlId = 2101;
  struct Step {
    ControlRecord* control;
    HCURSOR cursor;
    HCURSOR saved;
  };
  const Step steps[] = {{&text, arrow, nullptr}, {&list, hand, arrow}, {&list, hand, arrow},
                        {&text, arrow, nullptr}, {&text, arrow, nullptr}, {&list, hand, arrow}};
  int n = 0;
  for (const Step& s : steps) {
    SCOPED_TRACE(n++);
    TrackControlHotness(context, nullptr, s.control, POINT{3, 3});
    EXPECT_EQ(GetCursor(), s.cursor);
    EXPECT_EQ(SavedPageCursor(), s.saved);
  }
}

}  // namespace
}  // namespace kovatest
