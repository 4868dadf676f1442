// What a click on a picture selects: the source-tray hot spots under the settings that show
// each tray, and the radio button a picture linked to a group steps to.
#include "page_engine_fixture.h"
#include "pages/picture_clicks.h"

namespace kovatest {
namespace {

class PictureClicksTest : public PageEngineTest {};

TEST_F(PictureClicksTest, SourceTrayHotspotsFollowTheInstalledTrays) {
  DriverContext* context = Bound();
  ASSERT_NE(context, nullptr);
  struct Case {
    DWORD oneStep;  // kdmSourceOptionType1Step
    DWORD trays;    // kdm1StepOptionNum
    POINT point;
    WORD value;     // 0 = no hot spot
  };
  const Case cases[] = {
      {0, 0, {70, 60}, 2},    {0, 0, {134, 65}, 2},  {0, 0, {135, 60}, 0},   // right edge is outside
      {0, 0, {70, 70}, 0},    {1, 1, {70, 70}, 3},   {0, 2, {70, 70}, 3},    {0, 4, {70, 79}, 3},
      {0, 2, {70, 85}, 0},    {1, 2, {70, 85}, 5},   {1, 3, {70, 100}, 0},   {1, 4, {70, 100}, 6},
      {0, 0, {80, 40}, 8},    {0, 0, {79, 30}, 0},   {0, 0, {-70, 60}, 0},   // measured from the right edge
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.oneStep << "/" << c.trays << " at " << c.point.x << "," << c.point.y);
    WriteFieldRawById(context, fid::kdmSourceOptionType1Step, c.oneStep);
    WriteFieldRawById(context, fid::kdm1StepOptionNum, c.trays);
    RECTL rect{};
    const HotspotRow* row = HitTestHotspots(context, &rect, c.point, GetBuiltinTable12());
    EXPECT_EQ(row ? row->value : 0, c.value);
    if (row) {
      EXPECT_LE(rect.left, c.point.x);
      EXPECT_GT(rect.right, c.point.x);
    }
  }
  EXPECT_EQ(HitTestHotspots(context, nullptr, POINT{70, 60}, GetBuiltinTable13()), nullptr);
}

// Shift rows move a hot spot while their field reads 1; a point left of the right edge
// (negative x) is tested against a rectangle measured the same way.
TEST_F(PictureClicksTest, ShiftedAndRightMeasuredHotspots) {
  DriverContext* context = Bound();
  ASSERT_NE(context, nullptr);
  const HotspotShift shifts[] = {{fid::kdmSourceOptionType1Step, 100, 10}, {0, 0, 0}};
  const HotspotRow table[] = {
      {90, {0, 0, 20, 20}, 0, 7, 0, 0, 0, shifts},
      {90, {-10, 0, -60, 20}, 0, 9, 0, 0, 0, nullptr},
      {},
  };
  struct Case {
    DWORD shift;
    POINT point;
    WORD value;
  };
  for (const Case& c : {Case{0, {5, 5}, 7}, Case{1, {5, 5}, 0}, Case{1, {105, 15}, 7}, Case{0, {-30, 5}, 9},
                        Case{0, {-10, 5}, 0}, Case{0, {-60, 5}, 9}}) {
    SCOPED_TRACE(testing::Message() << c.shift << " at " << c.point.x << "," << c.point.y);
    WriteFieldRawById(context, fid::kdmSourceOptionType1Step, c.shift);
    RECTL rect{};
    const HotspotRow* row = HitTestHotspots(context, &rect, c.point, table);
    EXPECT_EQ(row ? row->value : 0, c.value);
    if (row && row->value == 7) {
      EXPECT_EQ(rect.left, c.shift ? 100 : 0);
    }
  }
}

// The orientation picture names the radio group: the button after the one that shows the
// current value, wrapping, never a greyed one; a page with none passes the search on.
TEST_F(PictureClicksTest, LinkedGroupStepsToTheNextUsableButton) {
  DriverContext* context = Bound();
  ASSERT_NE(context, nullptr);
  PageRecord* page = FindPageById(context, 1001);
  ASSERT_NE(page, nullptr);
  ControlRecord* portrait = FindControlById(context, page, 2026);
  ControlRecord* landscape = FindControlById(context, page, 2027);
  ASSERT_NE(portrait, nullptr);
  ASSERT_NE(landscape, nullptr);
  const WORD group = portrait->itemId;
  // The next page that shows the group, for when the first page has no button to step to.
  ControlRecord* elsewhere = nullptr;
  for (int p = 0; p < context->pages.count && !elsewhere; ++p) {
    PageRecord* other = &context->pages.records[p];
    if (other == page) continue;
    for (int i = 0; i < other->controlCount && !elsewhere; ++i)
      if (other->controls[i].itemId == group && other->controls[i].controlId == 2027) elsewhere = &other->controls[i];
  }
  struct Case {
    DWORD orientation;  // raw
    bool landscapeGreyed;
    ControlRecord* expected;
  };
  for (const Case& c : {Case{1, false, landscape}, Case{2, false, portrait}, Case{1, true, elsewhere},
                        Case{2, true, portrait}}) {
    SCOPED_TRACE(testing::Message() << c.orientation << (c.landscapeGreyed ? " greyed" : ""));
    WriteFieldRawById(context, fid::dmOrientation, c.orientation);
    ASSERT_EQ(Value(context, fid::dmOrientation), c.orientation == 1 ? 2026u : 2027u);
    SetControlGreyed(landscape, c.landscapeGreyed ? 1 : 0);
    EXPECT_EQ(FindLinkedControl(context, group), c.expected);
  }
  SetControlGreyed(landscape, 0);
  // A linked id that is a control id names that control.
  ControlRecord* media = FindLinkedControl(context, 2009);
  ASSERT_NE(media, nullptr);
  EXPECT_EQ(media->controlId, 2009);
  EXPECT_EQ(FindLinkedControl(context, 0), nullptr);
}

}  // namespace
}  // namespace kovatest
