// Which control is hot under the pointer: the printer picture's hot spots, the icon lists,
// never a greyed or hidden control; and the hand cursor it sets and gives back.
#include <vector>

#include "page_engine_fixture.h"
#include "base/ui_strings.h"
#include "pages/control_kinds.h"
#include "context/page_binding.h"
#include "pages/picture_hit_test.h"
#include "win/controls.h"
#include "win/resources.h"

namespace kovatest {
namespace {

// The control's own window procedure under the pages' one: it notes the hit tests and
// presses that reach it, answers them with a mark, and reports a fixed scroll range.
constexpr LRESULT kOwnAnswer = 77;
std::vector<UINT> g_reached;
int g_rangeFirst = 0, g_rangeLast = 0;

LRESULT OwnControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCHITTEST:
    case WM_LBUTTONDOWN: g_reached.push_back(message); return kOwnAnswer;
    case SBM_GETRANGE:
      *reinterpret_cast<int*>(wParam) = g_rangeFirst;
      *reinterpret_cast<int*>(lParam) = g_rangeLast;
      return 0;
    default: return DefWindowProcW(window, message, wParam, lParam);
  }
}

class PictureHitTestTest : public PageEngineTest {
 protected:
  void SetUp() override {
    PageEngineTest::SetUp();
    SetCursor(nullptr);
    g_reached.clear();
    WNDCLASSW own{};
    own.lpfnWndProc = &OwnControlProc;
    own.lpszClassName = u"HitTestOwn";
    ASSERT_NE(RegisterClassW(&own), 0);
  }
  void TearDown() override {
    // The windows go while their context lives: the controls' procedure reads it.
    for (PageRecord* page : opened_) {
      if (page->window) DestroyWindow(page->window);
      page->window = nullptr;
      for (int i = 0; i < page->controlCount; ++i) page->controls[i].window = nullptr;
    }
    SetCursor(nullptr);
    PageEngineTest::TearDown();
  }

  // The page's window at screen (100, 100), carrying the context as a page does.
  HWND OpenPage(DriverContext* context, PageRecord* page) {
    HWND window = CreateWindowExW(0, u"#32770", u"Page", WS_POPUP | WS_VISIBLE, 100, 100, 400, 300, nullptr, nullptr,
                                  nullptr, nullptr);
    SetWindowLongPtrW(window, DWLP_USER, reinterpret_cast<LONG_PTR>(context));
    page->window = window;
    opened_.push_back(page);
    return window;
  }
  // The control's window on its page at (x, y) of the page, subclassed as binding does.
  static HWND Place(PageRecord* page, ControlRecord* control, RECT at) {
    HWND window = CreateWindowExW(0, u"HitTestOwn", u"", WS_CHILD | WS_VISIBLE, at.left, at.top, at.right - at.left,
                                  at.bottom - at.top, page->window, nullptr, nullptr, nullptr);
    control->window = window;
    control->savedWindowProc = reinterpret_cast<void*>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ControlSubclassProc)));
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(control));
    return window;
  }
  static LPARAM ScreenPoint(HWND window, POINT client) {
    ClientToScreen(window, &client);
    return MAKELPARAM(static_cast<WORD>(client.x), static_cast<WORD>(client.y));
  }

  std::vector<PageRecord*> opened_;
};

TEST_F(PictureHitTestTest, HotControlsByKindStateAndHotspot) {
  DriverContext* context = Bound();
  ASSERT_NE(context, nullptr);
  WriteFieldRawById(context, fid::kdmSourceOptionType1Step, 0);
  WriteFieldRawById(context, fid::kdm1StepOptionNum, 0);
  PageRecord* first = FindPageById(context, 1001);
  ASSERT_NE(first, nullptr);
  struct Case {
    WORD kind;
    WORD controlId;
    WORD state;  // bits 0-1 hidden, bits 2-3 greyed
    POINT point;
    bool hot;
    WORD tipId;  // expected afterwards (the printer picture writes the hot spot's value)
    bool bound = false;  // the orientation picture's row and link, with the group's option
  };
  const Case cases[] = {
      // A picture of the orientation group's option: hot over the picture-table row of an
      // offered value, [0, 192) x [0, 48) of the control, and nowhere else.
      {2, 2025, 0, {10, 10}, true, 7, true},
      {2, 2025, 0, {191, 47}, true, 7, true},
      {2, 2025, 0, {192, 10}, false, 7, true},
      {2, 2025, 0, {10, 48}, false, 7, true},
      {2, 2025, 0, {-1, 10}, false, 7, true},
      {2, 2025, 4, {10, 10}, false, 7, true},
      {2, 2025, 0, {10, 10}, false, 7},  // the same spot without the option and link
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
    if (c.bound) {
      const ControlRecord* row = FindControlById(context, first, c.controlId);
      const ControlRecord* group = FindControlById(context, first, 2026);
      ASSERT_NE(row, nullptr);
      ASSERT_NE(group, nullptr);
      control = *row;
      control.option = group->option;
    }
    control.kind = c.kind;
    control.controlId = c.controlId;
    control.state = c.state;
    control.tipId = 7;
    POINT tip{-1, -1};
    EXPECT_EQ(IsControlHot(context, &control, c.point, &tip), c.hot);
    EXPECT_EQ(control.tipId, c.tipId);
    if (c.hot && c.controlId == 2067) {
      EXPECT_GT(tip.x, c.point.x);  // the hot spot's top right corner
      EXPECT_LE(tip.y, c.point.y);
    }
  }
}

// A picture stepping a radio group is hot only while a button of the group other than the
// chosen one can be chosen (on its page, or on a later page holding the same group):
// otherwise its click would change nothing.
TEST_F(PictureHitTestTest, PictureOfAGroupIsColdWhileTheGroupIsGreyed) {
  DriverContext* context = Bound();
  ASSERT_NE(context, nullptr);
  PageRecord* page = FindPageById(context, 1001);
  ASSERT_NE(page, nullptr);
  ControlRecord* picture = FindControlById(context, page, 2025);
  ControlRecord* portrait = FindControlById(context, page, 2026);
  ASSERT_NE(picture, nullptr);
  ASSERT_NE(portrait, nullptr);
  ASSERT_EQ(GetControlFieldValue(context, portrait), 2026u);  // portrait is chosen
  picture->option = portrait->option;  // the picture offers the group's values
  // The group's buttons on every page: portrait and landscape.
  std::vector<ControlRecord*> buttons[2];
  for (int p = 0; p < context->pages.count; ++p) {
    PageRecord* candidate = &context->pages.records[p];
    for (int i = 0; i < candidate->controlCount; ++i) {
      ControlRecord* c = &candidate->controls[i];
      if (c->itemId != picture->linkedId) continue;
      if (c->controlId == 2026) buttons[0].push_back(c);
      if (c->controlId == 2027) buttons[1].push_back(c);
    }
  }
  ASSERT_FALSE(buttons[1].empty());
  struct Case {
    WORD portrait, landscape;  // the state of every such button
    bool hot;
  };
  for (const Case& c : {Case{0, 0, true}, Case{4, 0, true}, Case{4, 4, false}, Case{1, 1, false}, Case{0, 4, false},
                        Case{0, 1, false}}) {
    SCOPED_TRACE(testing::Message() << c.portrait << "/" << c.landscape);
    for (ControlRecord* b : buttons[0]) b->state = c.portrait;
    for (ControlRecord* b : buttons[1]) b->state = c.landscape;
    EXPECT_EQ(IsControlHot(context, picture, POINT{10, 10}, nullptr), c.hot);
  }
  // Landscape usable only on a later page holding the group: the search goes on there.
  if (buttons[1].size() > 1) {
    for (ControlRecord* b : buttons[1]) b->state = 4;
    buttons[1].back()->state = 0;
    EXPECT_TRUE(IsControlHot(context, picture, POINT{10, 10}, nullptr));
  }
}

// The hand comes while the pointer is over a hot control and the cursor it replaced comes
// back when the pointer leaves; a hand already shown is not saved over the first cursor.
TEST_F(PictureHitTestTest, HandCursorIsSetAndGivenBack) {
  DriverContext* context = Bound();
  ASSERT_NE(context, nullptr);
  HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
  HCURSOR hand = context->work->sheet.handCursor;
  ASSERT_NE(arrow, nullptr);
  // Binding loads the hand from the UI resource module; it is not the standard hand.
  ASSERT_NE(hand, nullptr);
  EXPECT_EQ(hand, LoadCursorW(GetUiResourceModule(context), MAKEINTRESOURCEW(8000)));
  EXPECT_NE(hand, LoadCursorW(nullptr, IDC_HAND));
  EXPECT_EQ(context->work->sheet.savedCursor, nullptr);
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
    EXPECT_EQ(context->work->sheet.savedCursor, s.saved);
  }
}

// The hit test through the pages' window procedure: a picture answers HTCLIENT where it
// stands uncovered (and the hand shows over its hot part); a window of the page that is not
// one of its controls, or a later control, over the point sends the test to the picture's
// own procedure untouched.
TEST_F(PictureHitTestTest, PictureAnswersTheHitTestUnlessSomethingCoversIt) {
  DriverContext* context = Bound();
  ASSERT_NE(context, nullptr);
  PageRecord* page = FindPageById(context, 1001);
  ASSERT_NE(page, nullptr);
  ControlRecord* picture = FindControlById(context, page, 2025);
  ControlRecord* later = FindControlById(context, page, 2028);
  ASSERT_NE(picture, nullptr);
  ASSERT_NE(later, nullptr);
  ASSERT_GT(later, picture);  // after the picture in table order
  const ControlRecord* group = FindControlById(context, page, 2026);
  ASSERT_NE(group, nullptr);
  picture->option = group->option;  // the picture offers the orientation values
  HWND pageWindow = OpenPage(context, page);
  HWND window = Place(page, picture, RECT{10, 10, 210, 60});
  HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
  HCURSOR hand = context->work->sheet.handCursor;
  ASSERT_NE(hand, nullptr);
  enum Cover { kNothing, kForeign, kHiddenForeign, kLaterControl, kHiddenLaterControl };
  struct Case {
    Cover cover;
    POINT point;  // client point of the picture
    LRESULT answer;
    HCURSOR cursor;
  };
  const Case cases[] = {
      {kNothing, {5, 5}, HTCLIENT, hand},         // over the value's picture row
      {kNothing, {195, 55}, HTCLIENT, arrow},     // inside the control, outside the row
      {kForeign, {5, 5}, kOwnAnswer, arrow},      // a plain window of the page on top
      {kForeign, {100, 5}, HTCLIENT, hand},       // ... elsewhere it does not matter
      {kHiddenForeign, {5, 5}, HTCLIENT, hand},   // a hidden one takes nothing
      {kLaterControl, {5, 5}, kOwnAnswer, arrow},
      {kHiddenLaterControl, {5, 5}, HTCLIENT, hand},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "cover " << c.cover << " at " << c.point.x << "," << c.point.y);
    SetCursor(arrow);
    context->work->sheet.savedCursor = nullptr;
    g_reached.clear();
    HWND cover = nullptr;
    later->window = nullptr;
    later->state = 0;
    if (c.cover == kForeign || c.cover == kHiddenForeign) {
      cover = CreateWindowExW(0, u"Static", u"", WS_CHILD | (c.cover == kForeign ? WS_VISIBLE : 0), 0, 0, 30, 30,
                              pageWindow, nullptr, nullptr, nullptr);
    } else if (c.cover == kLaterControl || c.cover == kHiddenLaterControl) {
      cover = CreateWindowExW(0, u"Static", u"", WS_CHILD | WS_VISIBLE, 0, 0, 30, 30, pageWindow, nullptr, nullptr,
                              nullptr);
      later->window = cover;
      if (c.cover == kHiddenLaterControl) later->state = 1;
    }
    EXPECT_EQ(SendMessageW(window, WM_NCHITTEST, 0, ScreenPoint(window, c.point)), c.answer);
    EXPECT_EQ(GetCursor(), c.cursor);
    EXPECT_EQ(g_reached.size(), c.answer == kOwnAnswer ? 1u : 0u);
    if (cover) DestroyWindow(cover);
  }
  later->window = nullptr;
  later->state = 0;
}

// A slider with a numeric option refuses the arrow that points past the end where its
// value stands: the press is swallowed and the hit test answers HTERROR. Anywhere else both
// reach the slider's own procedure. A reversed slider reads its value from the other end.
TEST_F(PictureHitTestTest, SliderRefusesTheArrowPastItsEnd) {
  DriverContext* context = Bound();
  ASSERT_NE(context, nullptr);
  // The first slider with a field and a numeric option.
  PageRecord* page = nullptr;
  ControlRecord* plain = nullptr;
  std::int32_t lo = 0, hi = 0;
  for (int p = 0; p < context->pages.count && !plain; ++p) {
    PageRecord* candidate = &context->pages.records[p];
    for (int i = 0; i < candidate->controlCount && !plain; ++i) {
      ControlRecord* c = &candidate->controls[i];
      if (c->kind == 84 && GetControlField(context, c) && NumericOptionLimits(context, c, &lo, &hi)) plain = c;
    }
  }
  ASSERT_NE(plain, nullptr);
  for (int p = 0; p < context->pages.count; ++p) {
    PageRecord* candidate = &context->pages.records[p];
    if (plain >= candidate->controls && plain < candidate->controls + candidate->controlCount) page = candidate;
  }
  ASSERT_NE(page, nullptr);
  ASSERT_TRUE(NumericOptionLimits(context, plain, &lo, &hi));
  ASSERT_LT(lo, hi);
  OpenPage(context, page);
  HWND window = Place(page, plain, RECT{0, 0, 200, 17});
  const int arrow = GetSystemMetrics(SM_CXHSCROLL);
  ASSERT_GT(arrow, 0);
  const std::int32_t mid = lo + (hi - lo) / 2;
  struct Case {
    std::int32_t value;
    int x;
    bool refused;
  };
  const Case cases[] = {
      {lo, 0, true},          {lo, arrow - 1, true},  {lo, arrow, false},      {lo, 199, false},
      {hi, 199, true},        {hi, 200 - arrow, true}, {hi, 199 - arrow, false}, {hi, 0, false},
      {mid, 0, false},        {mid, 199, false},      {lo, 200, false},        {lo, -1, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "value " << c.value << " at " << c.x);
    SetControlFieldValue(context, plain, static_cast<DWORD>(c.value));
    ASSERT_EQ(static_cast<std::int32_t>(GetControlFieldValue(context, plain)), c.value);
    g_reached.clear();
    EXPECT_EQ(IsSliderEndArrowAt(context, plain, POINT{c.x, 8}), c.refused);
    const LRESULT answer = SendMessageW(window, WM_NCHITTEST, 0, ScreenPoint(window, POINT{c.x, 8}));
    SendMessageW(window, WM_LBUTTONDOWN, 1, MAKELPARAM(static_cast<WORD>(c.x), 8));
    if (c.refused) {
      EXPECT_EQ(answer, HTERROR);
      EXPECT_TRUE(g_reached.empty());
    } else {
      EXPECT_EQ(answer, kOwnAnswer);
      EXPECT_EQ(g_reached, (std::vector<UINT>{WM_NCHITTEST, WM_LBUTTONDOWN}));
    }
  }
  // Greyed, the press is swallowed wherever it lands; the hit test is the slider's own.
  plain->state = 4;
  g_reached.clear();
  SendMessageW(window, WM_LBUTTONDOWN, 1, MAKELPARAM(100, 8));
  EXPECT_TRUE(g_reached.empty());
  plain->state = 0;

  // Reversed (the quality module shows its density sliders so): the value is read as the
  // scroll range's last value less the field's value, so each end takes the other arrow.
  ControlRecord reversed = *plain;
  reversed.controlId = 3035;
  reversed.window = CreateWindowExW(0, u"HitTestOwn", u"", WS_CHILD | WS_VISIBLE, 0, 20, 200, 17, page->window,
                                    nullptr, nullptr, nullptr);
  g_rangeFirst = lo;
  g_rangeLast = hi;
  const Case reversedCases[] = {
      {lo, 199, true}, {lo, 0, false}, {hi, 0, true}, {hi, 199, false}, {mid, 0, false}, {mid, 199, false},
  };
  for (const Case& c : reversedCases) {
    SCOPED_TRACE(testing::Message() << "reversed, value " << c.value << " at " << c.x);
    SetControlFieldValue(context, plain, static_cast<DWORD>(c.value));
    EXPECT_EQ(IsSliderEndArrowAt(context, &reversed, POINT{c.x, 8}), c.refused);
  }
  DestroyWindow(reversed.window);
}

}  // namespace
}  // namespace kovatest
