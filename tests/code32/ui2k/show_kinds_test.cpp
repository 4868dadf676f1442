// The kinds that show rather than edit: static texts formatting a setting, sub-dialog
// button captions, tab controls showing one group at a time and the settings tree.
#include "page_engine_fixture.h"

#include <algorithm>

#include "pages/control_kinds.h"
#include "fields/dictionary_lookup.h"
#include "pages/page_dialog.h"
#include "pages/frame_paint.h"
#include "pages/static_kinds.h"
#include "win/commctrl.h"

namespace show_kinds_test {

// An .ico file with one 4 × 4 image of 32 bits per pixel.
std::string IconFile() {
  const int side = 4;
  std::string image(40 + side * side * 4 + side * 4, '\0');
  auto put32 = [](std::string& s, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
  };
  put32(image, 0, 40);
  put32(image, 4, side);
  put32(image, 8, side * 2);
  image[12] = 1;
  image[14] = 32;
  for (int i = 0; i < side * side; ++i) put32(image, 40 + 4 * i, 0xFF0000FFu);  // opaque blue
  std::string file(6 + 16, '\0');
  file[2] = 1;
  file[4] = 1;
  file[6] = side;
  file[7] = side;
  file[10] = 1;
  file[12] = 32;
  put32(file, 14, static_cast<std::uint32_t>(image.size()));
  put32(file, 18, 22);
  return file + image;
}

class ShowKindsTest : public kovatest::PageEngineTest {
 protected:
  void TearDown() override {
    for (auto& [control, saved] : saved_) *control = saved;
    for (HWND w : windows_) DestroyWindow(w);
    PageEngineTest::TearDown();
  }
  // The page script with more UI strings (a line each, "id \"text\"").
  void UseStrings(const std::string& lines) {
    root_.WriteFile(u"C:\\drv\\KOVAUIUS.rc",
                    kovatest::Replaced(kovatest::ReadFixtureFile("pages/page_engine.rc"), "STRINGTABLE\nBEGIN\n",
                                       "STRINGTABLE\nBEGIN\n" + lines));
  }
  HWND OpenPage(DriverContext* context, PageRecord* page) {
    HWND window = CreateWindowExW(0, u"#32770", u"Page", WS_POPUP | WS_VISIBLE, 100, 100, 400, 300, nullptr, nullptr,
                                  nullptr, nullptr);
    SetWindowLongPtrW(window, DWLP_USER, reinterpret_cast<LONG_PTR>(context));
    page->window = window;
    windows_.push_back(window);
    pages_.push_back(page);
    return window;
  }
  // The control as another kind, with a window of the class on its page; put back at the end.
  HWND Place(PageRecord* page, ControlRecord* control, WORD kind, const WCHAR* cls, const WCHAR* text = u"Template") {
    saved_.emplace_back(control, *control);
    control->kind = kind;
    control->state = 0;
    control->window = CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE, 0, 0, 100, 20, page->window,
                                      reinterpret_cast<HMENU>(static_cast<ULONG_PTR>(control->controlId)), nullptr,
                                      nullptr);
    return control->window;
  }
  HWND Child(PageRecord* page, WORD id) {
    return CreateWindowExW(0, u"STATIC", u"", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, page->window,
                           reinterpret_cast<HMENU>(static_cast<ULONG_PTR>(id)), nullptr, nullptr);
  }
  void ClosePages() {
    for (PageRecord* page : pages_) {
      page->window = nullptr;
      for (int i = 0; i < page->controlCount; ++i) page->controls[i].window = nullptr;
    }
  }

  std::vector<std::pair<ControlRecord*, ControlRecord>> saved_;
  std::vector<HWND> windows_;
  std::vector<PageRecord*> pages_;
};

// The paper type's last offered value with a string (11) formats the field value; the
// string conversions of the same format are shown as written and read nothing (the formats
// one by one are the value formatter's own table).
TEST_F(ShowKindsTest, StaticTextFormatsTheSettingSafely) {
  root_.WriteFile(u"C:\\drv\\KOVAUIUS.rc",
                  kovatest::Replaced(kovatest::ReadFixtureFile("pages/page_engine.rc"), "11 \"Recycled paper\"",
                                     "11 \"Width (%s - %s) %n %d mm, 100%%\""));
  DriverContext* context = Bound();
  ASSERT_NE(context, nullptr);
  PageRecord* page = FindPageById(context, 1001);
  ASSERT_NE(page, nullptr);
  ControlRecord* control = FindControlById(context, page, 2009);
  ASSERT_NE(control, nullptr);
  ASSERT_TRUE(ControlOption(context, control));
  OpenPage(context, page);
  struct Case {
    WORD kind;
    DWORD value;
    std::u16string shown;
  };
  const Case cases[] = {
      {1, 12, u"Width (%s - %s) %n 12 mm, 100%"},
      {5, 10, u"Width (%s - %s) %n 10 mm, 100%"},
      {101, 11, u"Width (%s - %s) %n 11 mm, 100%"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    HWND text = Place(page, control, c.kind, u"STATIC");
    SetControlFieldValue(context, control, c.value);
    UpdateControl(context, page, control);
    EXPECT_EQ(plat::ui::Text(text), c.shown);
    DestroyWindow(text);
  }
  ClosePages();
}

// A static text whose option offers no value with a string keeps its template.
TEST_F(ShowKindsTest, StaticTextWithoutValueStringsKeepsItsTemplate) {
  root_.WriteFile(u"C:\\drv\\KOVAUIUS.rc", "STRINGTABLE\nBEGIN\n  1 \"x\"\nEND\n");
  DriverContext* context = Bound();
  ASSERT_NE(context, nullptr);
  PageRecord* page = FindPageById(context, 1001);
  ControlRecord* control = page ? FindControlById(context, page, 2009) : nullptr;
  ASSERT_NE(control, nullptr);
  OpenPage(context, page);
  HWND text = Place(page, control, 5, u"STATIC");
  UpdateControl(context, page, control);
  EXPECT_EQ(plat::ui::Text(text), u"Template");
  ClosePages();
}

// Sub-dialog buttons take their caption from the frame-text table; a caption of 0xFFFF or
// a button without a row keeps its text; a two-part button joins its two strings.
TEST_F(ShowKindsTest, SubDialogButtonCaptions) {
  UseStrings("  13187 \"Details...\"\n  13191 \"Layout\"\n  501 \"First\"\n  502 \"Second\"\n");
  DriverContext* context = Bound();
  ASSERT_NE(context, nullptr);
  PageRecord* page = FindPageById(context, 1001);
  ASSERT_NE(page, nullptr);
  ASSERT_GE(page->controlCount, 4);
  OpenPage(context, page);
  static const TwoPartCaption kTwoPart{9, 501, 502, 0, 1};
  struct Case {
    WORD kind;
    WORD controlId;
    bool twoPart;
    std::u16string shown;
  };
  const Case cases[] = {
      {21, 2003, false, u"Details..."}, {21, 2140, false, u"Layout"}, {21, 2002, false, u"Template"},
      {21, 2999, false, u"Template"},   {24, 2999, true, u"First Second"}, {24, 2998, false, u"Template"},
  };
  int at = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.kind << "/" << c.controlId);
    ControlRecord* control = &page->controls[at++ % page->controlCount];
    HWND w = Place(page, control, c.kind, u"BUTTON");
    control->controlId = c.controlId;
    control->extraData = c.twoPart ? &kTwoPart : nullptr;
    InitControl(context, page, control);
    EXPECT_EQ(plat::ui::Text(w), c.shown);
    EXPECT_EQ(context->work->sheet.frameTextId, 0) << "the caption id is cleared after the button";
    // A click on a button without an option is taken and opens nothing.
    control->option = nullptr;
    EXPECT_EQ(DispatchControlCommand(context, page, control, MAKEWPARAM(c.controlId, BN_CLICKED), 0), 1);
    DestroyWindow(w);
    control->window = nullptr;
  }
  ClosePages();
}

// A tab control shows the first group at first and the selected one after TCN_SELCHANGE.
TEST_F(ShowKindsTest, TabsShowOneGroupAtATime) {
  DriverContext* context = Bound();
  ASSERT_NE(context, nullptr);
  PageRecord* page = FindPageById(context, 1001);
  ASSERT_NE(page, nullptr);
  HWND pageWindow = OpenPage(context, page);
  static const WORD kFirst[] = {3001, 3002};
  static const WORD kSecond[] = {3003};
  static const WORD kThird[] = {3004, 3005};
  static const TabGroupRecord kGroups[] = {{38, 2, kFirst}, {39, 1, kSecond}, {10, 2, kThird}};
  static const TabGroupBlock kBlock{6, 3, kGroups};
  HWND children[6] = {};
  for (WORD id = 3001; id <= 3005; ++id) children[id - 3000] = Child(page, id);
  ControlRecord* control = &page->controls[0];
  HWND tab = Place(page, control, 104, WC_TABCONTROLW);
  control->extraData = &kBlock;
  InitControl(context, page, control);
  EXPECT_EQ(plat::ui::Items(tab), (std::vector<std::u16string>{u"Colour", u"Grey scale", u"Plain paper"}));
  struct Case {
    int select;
    bool visible[5];
  };
  const Case cases[] = {
      {-1, {true, true, false, false, false}},  // as initialised
      {1, {false, false, true, false, false}},
      {2, {false, false, false, true, true}},
      {0, {true, true, false, false, false}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.select);
    if (c.select >= 0) {
      SendMessageW(tab, TCM_SETCURSEL, static_cast<WPARAM>(c.select), 0);
      NMHDR header{tab, control->controlId, TCN_SELCHANGE};
      PageDialogProc(pageWindow, WM_NOTIFY, control->controlId, reinterpret_cast<LPARAM>(&header));
    }
    for (int k = 0; k < 5; ++k) EXPECT_EQ(plat::ui::Visible(children[k + 1]), c.visible[k]) << 3001 + k;
  }
  ClosePages();
}

// The tree lists every page of the context with its controls and their values.
TEST_F(ShowKindsTest, SettingsTreeListsEveryPageAndValue) {
  DriverContext* context = Bound();
  ASSERT_NE(context, nullptr);
  PageRecord* page = FindPageById(context, 1001);
  ASSERT_NE(page, nullptr);
  OpenPage(context, page);
  ControlRecord* paper = FindControlById(context, page, 2009);
  ASSERT_NE(paper, nullptr);
  SetControlFieldValue(context, paper, 12);
  const ControlNameEntry* paperName = FindNameEntryByKey(paper->itemId);
  ASSERT_NE(paperName, nullptr);
  ControlRecord* control = &page->controls[page->controlCount - 1];
  HWND tree = Place(page, control, 105, WC_TREEVIEWW);
  InitControl(context, page, control);
  InitControl(context, page, control);  // a second fill starts over
  const std::vector<std::u16string> items = plat::ui::Items(tree);
  std::vector<std::u16string> roots;
  for (const auto& item : items)
    if (item.rfind(u"  ", 0) != 0) roots.push_back(item);
  ASSERT_EQ(roots.size(), static_cast<std::size_t>(context->pages.count));
  for (int p = 0; p < context->pages.count; ++p) {
    const std::string symbol = context->pages.records[p].symbol;
    EXPECT_EQ(roots[static_cast<std::size_t>(p)], std::u16string(symbol.begin(), symbol.end()));
  }
  const std::string name = paperName->name;
  const std::u16string line = u"  " + std::u16string(name.begin(), name.end()) + u"\uFF1A12";
  EXPECT_NE(std::find(items.begin(), items.end(), line), items.end());
  ClosePages();
}

// An owner-drawn sub-dialog button draws its face and caption: the frame-text caption, none
// for 0xFFFF, "..." without a row, "<" as a triangle, embossed when disabled, a focus
// rectangle when focused; a two-part button draws both strings, embossed when disabled.
TEST_F(ShowKindsTest, SubDialogButtonFaces) {
  UseStrings("  13187 \"Details\"\n  13192 \"<\"\n  501 \"First\"\n  502 \"Second\"\n");
  DriverContext* context = Bound();
  ASSERT_NE(context, nullptr);
  PageRecord* page = FindPageById(context, 1001);
  ASSERT_NE(page, nullptr);
  OpenPage(context, page);
  static const TwoPartCaption kTwoPart{9, 501, 502, 0, 1};
  struct Case {
    const char* name;
    WORD kind, controlId;
    bool enabled, focused, twoPart;
    std::vector<std::string> texts;  // the texts drawn, in order
    bool triangle, focusRect;
    int lines;  // the two rings draw 8; a separator 1 more (2 embossed)
  };
  const Case cases[] = {
      {"caption", 21, 2003, true, false, false, {"Details"}, false, false, 8},
      {"no caption", 21, 2002, true, false, false, {}, false, false, 8},
      {"no row", 21, 2999, true, false, false, {"..."}, false, false, 8},
      {"arrow", 21, 2502, true, false, false, {}, true, false, 8},
      {"disabled", 21, 2003, false, false, false, {"Details", "Details"}, false, false, 8},
      {"focused", 21, 2003, true, true, false, {"Details"}, false, true, 8},
      {"two parts", 24, 2999, true, false, true, {"First", "Second"}, false, false, 9},
      {"two parts disabled", 24, 2999, false, false, true, {"First", "Second", "First", "Second"}, false, false, 10},
  };
  ControlRecord* control = &page->controls[0];
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HWND w = Place(page, control, c.kind, u"BUTTON", u"");
    MoveWindow(w, 0, 0, 120, 24, FALSE);
    control->controlId = c.controlId;
    control->option = nullptr;
    control->extraData = c.twoPart ? &kTwoPart : nullptr;
    EnableWindow(w, c.enabled);
    MEASUREITEMSTRUCT measure{ODT_BUTTON, c.controlId, 0, 0, 0, 0};
    EXPECT_EQ(DispatchControlMessage(context, page, control, WM_MEASUREITEM, c.controlId,
                                     reinterpret_cast<LPARAM>(&measure)), 1);
    EXPECT_EQ(measure.itemWidth, 120u);
    EXPECT_EQ(measure.itemHeight, 24u);
    HDC dc = GetDC(w);
    DRAWITEMSTRUCT draw{ODT_BUTTON, c.controlId, 0, ODA_DRAWENTIRE, c.focused ? ODS_FOCUS : 0u, w, dc,
                        RECT{0, 0, 120, 24}, 0};
    EXPECT_EQ(DispatchControlMessage(context, page, control, WM_DRAWITEM, c.controlId,
                                     reinterpret_cast<LPARAM>(&draw)), 1);
    ReleaseDC(w, dc);
    std::vector<std::string> texts;
    int lines = 0, focus = 0;
    for (const std::string& op : plat::ui::PaintLog(w)) {
      if (op.rfind("text ", 0) == 0) texts.push_back(op.substr(op.find(' ', 5) + 1));
      if (op.rfind("line ", 0) == 0) ++lines;
      if (op.rfind("focus ", 0) == 0) ++focus;
    }
    EXPECT_EQ(texts, c.texts);
    EXPECT_EQ(focus > 0, c.focusRect);
    if (c.triangle) {
      EXPECT_GT(lines, c.lines + 3) << "the triangle's fill and edges";
    } else {
      EXPECT_EQ(lines, c.lines);
    }
    EXPECT_EQ(context->work->sheet.frameTextId, 0);
    DestroyWindow(w);
    control->window = nullptr;
    for (auto& [record, saved] : saved_) *record = saved;
    saved_.clear();
  }
}

// An icon control shows the icon of the current value of a pick-one option, and follows it.
TEST_F(ShowKindsTest, ValueIconShowsTheCurrentValue) {
  root_.WriteFile(u"C:\\drv\\blue.ico", IconFile());
  root_.WriteFile(u"C:\\drv\\KOVAUIUS.rc", kovatest::ReadFixtureFile("pages/page_engine.rc") +
                                                "\n2026 ICON \"blue.ico\"\n2027 ICON \"blue.ico\"\n");
  DriverContext* context = Bound();
  ASSERT_NE(context, nullptr);
  PageRecord* page = FindPageById(context, 1001);
  ASSERT_NE(page, nullptr);
  ControlRecord* group = FindControlById(context, page, 2026);
  ASSERT_NE(group, nullptr);
  OpenPage(context, page);
  ControlRecord icon = *group;
  icon.linkedId = 0;
  icon.kind = 3;
  icon.window = CreateWindowExW(0, u"STATIC", u"", WS_CHILD | WS_VISIBLE, 0, 0, 32, 32, page->window, nullptr,
                                nullptr, nullptr);
  windows_.push_back(icon.window);
  for (DWORD value : {2026u, 2027u}) {
    SCOPED_TRACE(value);
    SetControlFieldValue(context, &icon, value);
    UpdateControl(context, page, &icon);
    std::vector<std::string> icons;
    for (const std::string& op : plat::ui::PaintLog(icon.window))
      if (op.rfind("icon ", 0) == 0) icons.push_back(op);
    ASSERT_FALSE(icons.empty());
    EXPECT_EQ(icons.back(), "icon 0,0 " + std::to_string(value));
  }
  // Only the current value's icon: one per update.
  int drawn = 0;
  for (const std::string& op : plat::ui::PaintLog(icon.window)) drawn += op.rfind("icon ", 0) == 0;
  EXPECT_EQ(drawn, 2);
  icon.window = nullptr;
}

}  // namespace show_kinds_test

namespace show_kinds_test {

// The paint DC of a control keeps out the shown siblings above it, but not one that holds
// the whole control (a group box around it), a hidden one or one below it.
TEST_F(ShowKindsTest, PaintDcLeavesSiblingsAboveAlone) {
  HWND page = CreateWindowExW(0, u"#32770", u"Page", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100, nullptr, nullptr, nullptr,
                              nullptr);
  windows_.push_back(page);
  struct Case {
    const char* name;
    RECT sibling;  // in the page; the control lies at (10, 10) - (50, 30)
    bool visible, above;
    bool keptOut;  // the control's right half is kept out
  };
  const Case cases[] = {
      {"over the right half", {30, 0, 60, 40}, true, true, true},
      {"around the whole control", {0, 0, 60, 40}, true, true, false},
      {"hidden", {30, 0, 60, 40}, false, true, false},
      {"below", {30, 0, 60, 40}, true, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto make = [&](const RECT& r, bool visible) {
      return CreateWindowExW(0, u"STATIC", u"", WS_CHILD | (visible ? WS_VISIBLE : 0), r.left, r.top,
                             r.right - r.left, r.bottom - r.top, page, nullptr, nullptr, nullptr);
    };
    // Windows made earlier lie above those made later.
    HWND sibling = c.above ? make(c.sibling, c.visible) : nullptr;
    HWND control = make(RECT{10, 10, 50, 30}, true);
    if (!c.above) sibling = make(c.sibling, c.visible);
    HDC dc = GetDC(control);
    ExcludeSiblingsAbove(control, dc);
    HBRUSH green = CreateSolidBrush(RGB(0, 255, 0));
    RECT all{0, 0, 40, 20};
    FillRect(dc, &all, green);
    DeleteObject(green);
    EXPECT_EQ(GetPixel(dc, 5, 5), RGB(0, 255, 0));
    EXPECT_EQ(GetPixel(dc, 19, 5), RGB(0, 255, 0));
    EXPECT_EQ(GetPixel(dc, 20, 5) != RGB(0, 255, 0), c.keptOut);
    EXPECT_EQ(GetPixel(dc, 39, 19) != RGB(0, 255, 0), c.keptOut);
    ReleaseDC(control, dc);
    DestroyWindow(control);
    DestroyWindow(sibling);
  }
}

}  // namespace show_kinds_test
