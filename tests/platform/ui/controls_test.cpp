// The standard controls: what a person's action sends to the parent, in order.
#include <functional>
#include <string>
#include <vector>

#include "ui_fixture.h"
#include "win/commctrl.h"

namespace {

using kovatest::UiTest;
namespace ui = plat::ui;

std::vector<std::string>* gNotes = nullptr;

LRESULT ParentProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_COMMAND && gNotes) gNotes->push_back(std::to_string(HIWORD(wParam)));
  if (msg == WM_HSCROLL && gNotes)
    gNotes->push_back("h" + std::to_string(LOWORD(wParam)) + ":" + std::to_string(HIWORD(wParam)));
  return DefWindowProcW(h, msg, wParam, lParam);
}

struct ControlCase {
  const char* name;
  const char16_t* cls;
  DWORD style;
  std::function<void(HWND)> prepare;  // before the notes are taken
  std::function<void(HWND)> act;
  std::vector<std::string> notes;
  std::function<void(HWND)> check;
};

class UiControls : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    WNDCLASSW wc{};
    wc.lpfnWndProc = &ParentProc;
    wc.lpszClassName = u"NotesParent";
    RegisterClassW(&wc);
    gNotes = &notes_;
  }
  void TearDown() override {
    gNotes = nullptr;
    UiTest::TearDown();
  }
  std::vector<std::string> notes_;
};

TEST_F(UiControls, NotificationsOfEachControlClassInOrder) {
  auto fill = [](HWND c) {
    WCHAR cls[16] = {};
    GetClassNameW(c, cls, 16);
    const bool combo = std::u16string(cls) == u"ComboBox";
    for (const char16_t* s : {u"b", u"a", u"c"})
      SendMessageW(c, combo ? CB_ADDSTRING : LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
  };
  const ControlCase cases[] = {
      {"PushButtonWithNotify", u"Button", BS_PUSHBUTTON | BS_NOTIFY, nullptr, [](HWND c) { ui::Click(c); },
       {"6", "0"}, nullptr},
      {"PushButtonPlain", u"Button", BS_PUSHBUTTON, nullptr, [](HWND c) { ui::Click(c); }, {"0"}, nullptr},
      {"AutoCheckBoxTogglesTwice", u"Button", BS_AUTOCHECKBOX, nullptr,
       [](HWND c) {
         ui::Click(c);
         ui::Click(c);
       },
       {"0", "0"}, [](HWND c) { EXPECT_EQ(ui::CheckState(c), BST_UNCHECKED); }},
      {"PlainCheckBoxLeavesTheStateToTheParent", u"Button", BS_CHECKBOX, nullptr, [](HWND c) { ui::Click(c); }, {"0"},
       [](HWND c) { EXPECT_EQ(ui::CheckState(c), BST_UNCHECKED); }},
      {"DisabledButtonSendsNothing", u"Button", BS_PUSHBUTTON | WS_DISABLED, nullptr,
       [](HWND c) { EXPECT_FALSE(ui::Click(c)); }, {}, nullptr},
      {"EditTyping", u"Edit", ES_AUTOHSCROLL, nullptr, [](HWND c) { ui::Type(c, u"ab"); },
       {"256", "1024", "768", "1024", "768"}, [](HWND c) { EXPECT_EQ(ui::Text(c), u"ab"); }},
      {"EditLimitStopsTyping", u"Edit", 0,
       [](HWND c) {
         SendMessageW(c, EM_LIMITTEXT, 2, 0);
         SetFocus(c);
       },
       [](HWND c) { ui::Type(c, u"abc"); }, {"1024", "768", "1024", "768", "1281"},
       [](HWND c) { EXPECT_EQ(ui::Text(c), u"ab"); }},
      {"EditNumberRefusesLetters", u"Edit", ES_NUMBER, [](HWND c) { SetFocus(c); },
       [](HWND c) { ui::Type(c, u"1x2"); }, {"1024", "768", "1024", "768"},
       [](HWND c) { EXPECT_EQ(ui::Text(c), u"12"); }},
      {"EditPasswordShowsStars", u"Edit", ES_PASSWORD, [](HWND c) { SetFocus(c); },
       [](HWND c) {
         ui::ReplaceText(c, u"pw");
         ui::RunPendingMessages();
       },
       {"1024", "768", "1024", "768"},
       [](HWND c) {
         EXPECT_EQ(ui::Text(c), u"pw");
         EXPECT_EQ(SendMessageW(c, EM_GETPASSWORDCHAR, 0, 0), u'*');
         const auto log = ui::PaintLog(c);
         ASSERT_FALSE(log.empty());
         EXPECT_EQ(log.back(), "text 2,2 **");
       }},
      {"ListBoxSorted", u"ListBox", LBS_NOTIFY | LBS_SORT, fill, [](HWND c) { ui::SelectItemText(c, u"c"); },
       {"4", "1"},
       [](HWND c) {
         EXPECT_EQ(ui::Items(c), (std::vector<std::u16string>{u"a", u"b", u"c"}));
         EXPECT_EQ(ui::Selection(c), 2);
       }},
      {"ListBoxWithoutNotify", u"ListBox", 0, fill, [](HWND c) { ui::SelectItem(c, 1); }, {}, nullptr},
      {"ListBoxSameItemAgain", u"ListBox", LBS_NOTIFY, fill,
       [](HWND c) {
         ui::SelectItem(c, 0);
         ui::SelectItem(c, 0);
       },
       {"4", "1"}, nullptr},
      {"ComboDropDownList", u"ComboBox", CBS_DROPDOWNLIST, fill, [](HWND c) { ui::SelectItem(c, 1); },
       {"3", "7", "1", "9", "8"}, [](HWND c) { EXPECT_EQ(ui::Text(c), u"a"); }},
      {"ComboSameItemHasNoSelChange", u"ComboBox", CBS_DROPDOWNLIST,
       [fill](HWND c) {
         fill(c);
         SendMessageW(c, CB_SETCURSEL, 0, 0);
         SetFocus(c);
       },
       [](HWND c) { ui::SelectItem(c, 0); }, {"7", "9", "8"}, nullptr},
      {"TrackbarDrag", TRACKBAR_CLASSW, 0, [](HWND c) { SendMessageW(c, TBM_SETRANGE, TRUE, MAKELPARAM(0, 10)); },
       [](HWND c) { ui::DragSlider(c, 12); }, {"h5:10", "h4:10", "h8:0"},
       [](HWND c) { EXPECT_EQ(SendMessageW(c, TBM_GETPOS, 0, 0), 10); }},
      {"TrackbarKeys", TRACKBAR_CLASSW, 0,
       [](HWND c) {
         SendMessageW(c, TBM_SETRANGE, TRUE, MAKELPARAM(0, 10));
         SendMessageW(c, TBM_SETPAGESIZE, 0, 4);
       },
       [](HWND c) {
         SendMessageW(c, WM_KEYDOWN, VK_RIGHT, 0);
         SendMessageW(c, WM_KEYDOWN, VK_NEXT, 0);
         SendMessageW(c, WM_KEYDOWN, VK_HOME, 0);
       },
       {"h1:0", "h8:0", "h3:0", "h8:0", "h6:0", "h8:0"},
       [](HWND c) { EXPECT_EQ(SendMessageW(c, TBM_GETPOS, 0, 0), 0); }},
      {"ScrollBarArrows", u"ScrollBar", SBS_HORZ,
       [](HWND c) {
         SendMessageW(c, SBM_SETRANGE, 0, 10);
         SendMessageW(c, SBM_SETPOS, 5, FALSE);
       },
       [](HWND c) {
         EXPECT_TRUE(ui::ClickScrollBar(c, SB_LINEUP));
         EXPECT_TRUE(ui::ClickScrollBar(c, SB_LINEDOWN));
       },
       {"h0:0", "h8:0", "h1:0", "h8:0"}, nullptr},
      {"ScrollBarPageAreas", u"ScrollBar", SBS_HORZ,
       [](HWND c) {
         SendMessageW(c, SBM_SETRANGE, 0, 10);
         SendMessageW(c, SBM_SETPOS, 5, FALSE);
       },
       [](HWND c) {
         EXPECT_TRUE(ui::ClickScrollBar(c, SB_PAGEUP));
         EXPECT_TRUE(ui::ClickScrollBar(c, SB_PAGEDOWN));
       },
       {"h2:0", "h8:0", "h3:0", "h8:0"}, nullptr},
      {"ScrollBarThumbDrag", u"ScrollBar", SBS_HORZ, [](HWND c) { SendMessageW(c, SBM_SETRANGE, 0, 10); },
       [](HWND c) { EXPECT_TRUE(ui::ClickScrollBar(c, SB_THUMBPOSITION, 8)); }, {"h5:8", "h4:8", "h8:0"},
       [](HWND) { EXPECT_EQ(GetCapture(), nullptr); }},
      {"ScrollBarThumbAtTheStartHasNoPageBefore", u"ScrollBar", SBS_HORZ,
       [](HWND c) { SendMessageW(c, SBM_SETRANGE, 0, 10); },
       [](HWND c) { EXPECT_FALSE(ui::ClickScrollBar(c, SB_PAGEUP)); }, {}, nullptr},
      {"ScrollBarDisabledArrows", u"ScrollBar", SBS_HORZ,
       [](HWND c) {
         SendMessageW(c, SBM_SETRANGE, 0, 10);
         EXPECT_TRUE(EnableScrollBar(c, SB_CTL, ESB_DISABLE_LTUP));
       },
       [](HWND c) {
         ui::ClickScrollBar(c, SB_LINEUP);
         ui::ClickScrollBar(c, SB_LINEDOWN);
         SendMessageW(c, SBM_ENABLE_ARROWS, ESB_DISABLE_BOTH, 0);
         ui::ClickScrollBar(c, SB_LINEDOWN);
         SendMessageW(c, SBM_ENABLE_ARROWS, ESB_ENABLE_BOTH, 0);
         ui::ClickScrollBar(c, SB_LINEUP);
       },
       {"h1:0", "h8:0", "h0:0", "h8:0"}, nullptr},
      {"StaticNotify", u"Static", SS_NOTIFY, nullptr, [](HWND c) { SendMessageW(c, WM_LBUTTONUP, 0, 0); }, {"0"},
       nullptr},
  };
  for (const ControlCase& c : cases) {
    HWND parent = CreateWindowExW(0, u"NotesParent", u"P", WS_POPUP | WS_VISIBLE, 0, 0, 200, 200, nullptr, nullptr,
                                  nullptr, nullptr);
    HWND control = CreateWindowExW(0, c.cls, u"", WS_CHILD | WS_VISIBLE | c.style, 0, 0, 100, 60, parent,
                                   reinterpret_cast<HMENU>(7), nullptr, nullptr);
    ASSERT_NE(control, nullptr) << c.name;
    if (c.prepare) c.prepare(control);
    notes_.clear();
    c.act(control);
    EXPECT_EQ(notes_, c.notes) << c.name;
    if (c.check) c.check(control);
    DestroyWindow(parent);
  }
}

TEST_F(UiControls, AutomaticRadioButtonsUncheckTheirGroupOnly) {
  HWND parent = CreateWindowExW(0, u"NotesParent", u"P", WS_POPUP | WS_VISIBLE, 0, 0, 200, 200, nullptr, nullptr,
                                nullptr, nullptr);
  HWND r[4];
  for (int i = 0; i < 4; ++i)
    r[i] = CreateWindowExW(0, u"Button", u"r", WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON | ((i % 2 == 0) ? WS_GROUP : 0),
                           0, 20 * i, 50, 20, parent, reinterpret_cast<HMENU>(static_cast<ULONG_PTR>(10 + i)), nullptr,
                           nullptr);
  ui::Click(r[0]);
  ui::Click(r[2]);
  ui::Click(r[1]);
  EXPECT_EQ(ui::CheckState(r[0]), BST_UNCHECKED);
  EXPECT_EQ(ui::CheckState(r[1]), BST_CHECKED);
  EXPECT_EQ(ui::CheckState(r[2]), BST_CHECKED);  // another group
  EXPECT_EQ(ui::CheckState(r[3]), BST_UNCHECKED);
}

TEST_F(UiControls, SubclassingSeesMessagesFirstAndPassesThemOn) {
  static WNDPROC original = nullptr;
  static int seen = 0;
  seen = 0;
  HWND parent = CreateWindowExW(0, u"NotesParent", u"P", WS_POPUP | WS_VISIBLE, 0, 0, 200, 200, nullptr, nullptr,
                                nullptr, nullptr);
  HWND edit = CreateWindowExW(0, u"Edit", u"", WS_CHILD | WS_VISIBLE, 0, 0, 50, 20, parent,
                              reinterpret_cast<HMENU>(3), nullptr, nullptr);
  original = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
      edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(+[](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == WM_CHAR) {
          ++seen;
          if (w == u'x') return 0;  // swallowed
        }
        return CallWindowProcW(original, h, m, w, l);
      })));
  EXPECT_TRUE(ui::Type(edit, u"axb"));
  EXPECT_EQ(seen, 3);
  EXPECT_EQ(ui::Text(edit), u"ab");
}

}  // namespace
