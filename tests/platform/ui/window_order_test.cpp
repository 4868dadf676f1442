// The z-order of sibling windows: SetWindowPos puts a child first, last or just after a
// sibling, and leaves the order alone when told to or when the window to follow is no sibling.
#include <vector>

#include "ui_fixture.h"

namespace {

using kovatest::UiTest;

using UiWindowOrder = UiTest;

std::vector<HWND> Children(HWND parent) {
  std::vector<HWND> kids;
  for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) kids.push_back(c);
  return kids;
}

TEST_F(UiWindowOrder, SetWindowPosPlacesAChildAmongItsSiblings) {
  struct Case {
    const char* name;
    int moved;        // index of the child moved
    int after;        // index of the sibling to follow; -1 top, -2 bottom, -3 a window of another parent
    UINT flags;
    std::vector<int> order;
  };
  const Case cases[] = {
      {"after a sibling", 3, 0, 0, {0, 3, 1, 2}},
      {"after the last", 0, 3, 0, {1, 2, 3, 0}},
      {"to the top", 2, -1, 0, {2, 0, 1, 3}},
      {"to the bottom", 1, -2, 0, {0, 2, 3, 1}},
      {"after itself", 1, 1, 0, {0, 1, 2, 3}},
      {"order kept", 3, 0, SWP_NOZORDER, {0, 1, 2, 3}},
      {"no sibling", 3, -3, 0, {0, 1, 2, 3}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HWND parent = CreateWindowExW(0, u"#32770", u"p", WS_VISIBLE, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    HWND stranger = CreateWindowExW(0, u"#32770", u"q", WS_VISIBLE, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    HWND strangerChild = CreateWindowExW(0, u"Static", u"", WS_CHILD, 0, 0, 5, 5, stranger, nullptr, nullptr, nullptr);
    std::vector<HWND> kids;
    for (int i = 0; i < 4; ++i)
      kids.push_back(CreateWindowExW(0, u"Static", u"", WS_CHILD, 10 * i, 0, 5, 5, parent, nullptr, nullptr, nullptr));
    const HWND after = c.after >= 0    ? kids[static_cast<std::size_t>(c.after)]
                       : c.after == -1 ? HWND_TOP
                       : c.after == -2 ? reinterpret_cast<HWND>(1)
                                       : strangerChild;
    EXPECT_TRUE(SetWindowPos(kids[static_cast<std::size_t>(c.moved)], after, 0, 0, 0, 0,
                             SWP_NOMOVE | SWP_NOSIZE | c.flags));
    std::vector<HWND> expected;
    for (int i : c.order) expected.push_back(kids[static_cast<std::size_t>(i)]);
    EXPECT_EQ(Children(parent), expected);
    RECT r{};
    GetWindowRect(kids[static_cast<std::size_t>(c.moved)], &r);
    RECT p{};
    GetWindowRect(parent, &p);
    EXPECT_EQ(r.left - p.left, 10 * c.moved);  // the place stays
    DestroyWindow(parent);
    DestroyWindow(stranger);
  }
}

}  // namespace
