// The font substitution page: the TrueType families of the system with the printer font
// that replaces each, the printer font list that sets it, the stored table it writes and
// the button that brings back the table of printer data.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/dictionary_pages.h"
#include "base/driver_context.h"
#include "field_ids.h"
#include "fields/field_access.h"
#include "context/module_hooks.h"
#include "model/module_dispatch.h"
#include "model/option_lookup.h"
#include "modules/font_lines.h"
#include "modules_fixture.h"
#include "plat/system.h"
#include "stored/font_lists.h"
#include "stored/font_names.h"
#include "win/controls.h"
#include "win/paint.h"
#include "win/registry.h"
#include "win/window.h"

namespace kovatest {
namespace font_substitution_pages_test {
namespace {

constexpr WORD kPage = 1009;
constexpr WORD kTrueTypeList = 2385;
constexpr WORD kPrinterFontList = 2384;
constexpr WORD kRestoreButton = 2386;
constexpr WORD kFaceName = 2383;

FontListRecord Font(DWORD id, const char16_t* name) {
  FontListRecord r{};
  r.id = id;
  std::memcpy(r.name, name, std::char_traits<char16_t>::length(name) * 2);
  return r;
}

FontSubstitutionRecord Row(const char16_t* trueType, const char16_t* device) {
  FontSubstitutionRecord r{};
  std::memcpy(r.trueTypeName, trueType, std::char_traits<char16_t>::length(trueType) * 2);
  std::memcpy(r.deviceFontName, device, std::char_traits<char16_t>::length(device) * 2);
  return r;
}

template <typename T>
std::vector<BYTE> Bytes(const std::vector<T>& records) {
  std::vector<BYTE> out(records.size() * sizeof(T));
  if (!out.empty()) std::memcpy(out.data(), records.data(), out.size());
  return out;
}

std::vector<BYTE> Count(WORD n) { return {static_cast<BYTE>(n & 0xFF), static_cast<BYTE>(n >> 8)}; }

std::u16string Line(const std::u16string& face, const std::u16string& printerFont) {
  WCHAR out[kFontLineChars];
  MakeFontLine(face.c_str(), printerFont.c_str(), out);
  return out;
}

class FontSubstitutionPages : public ModulesTest {
 protected:
  void SetUp() override {
    ModulesTest::SetUp();
    // The system's fonts: two TrueType families, a vertical one and a raster one.
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts", 0,
                              nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              0);
    for (const char16_t* name : {u"Arial (TrueType)", u"@Mincho (TrueType)", u"Modern (Raster)",
                                 u"Times New Roman (TrueType)"}) {
      const char16_t file[] = u"font.ttf";
      RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(file), sizeof(file));
    }
    RegCloseKey(key);
    // The printer's fonts (Courier the default substitute, one vertical option font) and
    // its stored table.
    PutData(u"DeviceFontNum", Count(3));
    PutData(u"DeviceFont", Bytes(std::vector{Font(1, u"Courier"), Font(2, u"Letter Gothic"), Font(3, u"Prestige")}));
    PutData(u"OptionFontNum", Count(2));
    PutData(u"OptionFont", Bytes(std::vector{Font(10, u"@Orator"), Font(11, u"Script")}));
    std::vector<FontSubstitutionRecord> rows{Row(u"Arial", u"Letter Gothic"), Row(u"Times New Roman", u"Prestige")};
    ASSERT_EQ(TransferFontTables(printer_, rows.data(), 2, 0), 1);
    PutData(u"FontTableNum", Count(2));
    ASSERT_TRUE(LoadDeviceFontList(printer_, ctx_) && LoadOptionFontList(printer_, ctx_) &&
                LoadFontTables(printer_, ctx_));

    page_ = FindPageById(ctx_, kPage);
    ASSERT_NE(page_, nullptr);
    frame_ = CreateWindowExW(0, u"#32770", u"Fonts", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(frame_, nullptr);
    page_->window = frame_;
    for (WORD id : {kTrueTypeList, kPrinterFontList}) {
      HWND list = CreateWindowExW(0, u"ListBox", u"", WS_CHILD | LBS_HASSTRINGS, 0, 0, 300, 100, frame_,
                                  reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), nullptr, nullptr);
      ASSERT_NE(list, nullptr);
      Control(kPage, id)->window = list;
    }
    CreateWindowExW(0, u"Static", u"", WS_CHILD, 0, 0, 100, 12, frame_,
                    reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kFaceName)), nullptr, nullptr);
    InitLists();
  }
  void TearDown() override {
    plat::FailAllocationsOfSize(0);
    if (page_) {
      for (int i = 0; i < page_->controlCount; ++i) page_->controls[i].window = nullptr;
      page_->window = nullptr;
    }
    if (frame_) DestroyWindow(frame_);
    ModulesTest::TearDown();
  }

  void PutData(const std::u16string& name, const std::vector<BYTE>& bytes) {
    ASSERT_EQ(SetPrinterDataW(printer_, const_cast<LPWSTR>(name.c_str()), REG_BINARY,
                              const_cast<BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size())),
              static_cast<DWORD>(ERROR_SUCCESS));
  }

  std::int32_t Send(WORD controlId, DWORD message, WPARAM wParam, LPARAM lParam = 0) {
    return DispatchModuleMessage(ctx_, page_, Control(kPage, controlId), message, wParam, lParam);
  }
  void InitLists() {
    ASSERT_EQ(Send(kTrueTypeList, WM_INITDIALOG, 0), 1);
    ASSERT_EQ(Send(kPrinterFontList, WM_INITDIALOG, 0), 1);
  }
  HWND List(WORD id) { return Control(kPage, id)->window; }
  std::vector<std::u16string> Lines(WORD id) {
    std::vector<std::u16string> lines;
    const int n = static_cast<int>(SendMessageW(List(id), LB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
      std::u16string text(static_cast<std::size_t>(SendMessageW(List(id), LB_GETTEXTLEN, i, 0)) + 1, u'\0');
      SendMessageW(List(id), LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()));
      text.resize(text.size() - 1);
      lines.push_back(text);
    }
    return lines;
  }
  int IndexOf(WORD id, const std::u16string& text) {
    const auto lines = Lines(id);
    for (std::size_t i = 0; i < lines.size(); ++i)
      if (lines[i] == text || (id == kTrueTypeList && lines[i].rfind(text + u" ", 0) == 0)) return static_cast<int>(i);
    return -1;
  }
  // Chooses the TrueType family's line, then the printer font for it.
  void Map(const std::u16string& face, const std::u16string& printerFont) {
    const int line = IndexOf(kTrueTypeList, face);
    const int font = IndexOf(kPrinterFontList, printerFont);
    ASSERT_GE(line, 0);
    ASSERT_GE(font, 0);
    SendMessageW(List(kTrueTypeList), LB_SETCURSEL, static_cast<WPARAM>(line), 0);
    ASSERT_EQ(Send(kTrueTypeList, WM_COMMAND, MAKEWPARAM(kTrueTypeList, LBN_SELCHANGE)), 1);
    SendMessageW(List(kPrinterFontList), LB_SETCURSEL, static_cast<WPARAM>(font), 0);
    ASSERT_EQ(Send(kPrinterFontList, WM_COMMAND, MAKEWPARAM(kPrinterFontList, LBN_SELCHANGE)), 1);
  }
  std::u16string Substitute(const char16_t* face) {
    WCHAR out[kFontNameChars];
    FindSubstituteFont(ctx_, face, out);
    return out;
  }

  PageRecord* page_ = nullptr;
  HWND frame_ = nullptr;
};

// Only TrueType families are listed, each with the printer font the table gives it (the
// default font without a row); the printer font list has every font but vertical ones.
TEST_F(FontSubstitutionPages, ListsShowTrueTypeFamiliesAndPrinterFonts) {
  EXPECT_EQ(Lines(kTrueTypeList), (std::vector<std::u16string>{Line(u"Arial", u"Letter Gothic"),
                                                                 Line(u"Times New Roman", u"Prestige")}));
  EXPECT_EQ(Lines(kPrinterFontList),
            (std::vector<std::u16string>{u"Courier", u"Letter Gothic", u"Prestige", u"Script"}));
  EXPECT_EQ(SendMessageW(List(kTrueTypeList), LB_GETCURSEL, 0, 0), 0);
  EXPECT_EQ(SendMessageW(List(kPrinterFontList), LB_GETCURSEL, 0, 0), LB_ERR);
  WCHAR shown[64] = {};
  GetDlgItemTextW(frame_, kFaceName, shown, 64);
  EXPECT_EQ(std::u16string(shown), u"Arial");

  // Choosing a line selects its printer font.
  SendMessageW(List(kTrueTypeList), LB_SETCURSEL, 1, 0);
  ASSERT_EQ(Send(kTrueTypeList, WM_COMMAND, MAKEWPARAM(kTrueTypeList, LBN_SELCHANGE)), 1);
  EXPECT_EQ(SendMessageW(List(kPrinterFontList), LB_GETCURSEL, 0, 0), 2);
  GetDlgItemTextW(frame_, kFaceName, shown, 64);
  EXPECT_EQ(std::u16string(shown), u"Times New Roman");
}

// Each choice rewrites the table at once: a family mapped to the default printer font has
// no row, and with no row left the table is empty (the one in printer data does not come
// back).
TEST_F(FontSubstitutionPages, ChoicesRewriteTheTable) {
  struct Step {
    const char16_t* face;
    const char16_t* printerFont;
  };
  struct Case {
    const char* name;
    std::vector<Step> steps;
    std::vector<std::pair<std::u16string, std::u16string>> rows;
  };
  const Case cases[] = {
      {"one family remapped", {{u"Arial", u"Script"}}, {{u"Arial", u"Script"}, {u"Times New Roman", u"Prestige"}}},
      {"one family to the default", {{u"Arial", u"Courier"}}, {{u"Times New Roman", u"Prestige"}}},
      {"every family to the default", {{u"Arial", u"Courier"}, {u"Times New Roman", u"Courier"}}, {}},
      {"back from the default", {{u"Arial", u"Courier"}, {u"Times New Roman", u"Courier"}, {u"Arial", u"Prestige"}},
       {{u"Arial", u"Prestige"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetFontTable(ctx_, 0, nullptr);
    InitLists();
    for (const Step& s : c.steps) Map(s.face, s.printerFont);
    ASSERT_EQ(static_cast<std::size_t>(Get(fid::kdmFontTableNum)), c.rows.size());
    int count = 0;
    const auto* rows = static_cast<const FontSubstitutionRecord*>(
        ContextList(ctx_, fid::kdmFontTableNum, fid::kdmFontTable, sizeof(FontSubstitutionRecord), &count));
    ASSERT_EQ(static_cast<std::size_t>(count), c.rows.size());
    for (int i = 0; i < count; ++i) {
      EXPECT_EQ(std::u16string(rows[i].trueTypeName), c.rows[static_cast<std::size_t>(i)].first);
      EXPECT_EQ(std::u16string(rows[i].deviceFontName), c.rows[static_cast<std::size_t>(i)].second);
    }
    // The lines show what the table gives.
    EXPECT_EQ(Lines(kTrueTypeList), (std::vector<std::u16string>{Line(u"Arial", Substitute(u"Arial")),
                                                                   Line(u"Times New Roman", Substitute(u"Times New Roman"))}));
  }
}

// The restore button brings back the table of printer data and shows it.
TEST_F(FontSubstitutionPages, RestoreBringsBackTheStoredTable) {
  Map(u"Arial", u"Courier");
  Map(u"Times New Roman", u"Script");
  ASSERT_EQ(Substitute(u"Times New Roman"), u"Script");
  EXPECT_EQ(Send(kRestoreButton, WM_COMMAND, MAKEWPARAM(kRestoreButton, BN_CLICKED)), 1);
  EXPECT_EQ(Get(fid::kdmFontTableNum), 2u);
  EXPECT_EQ(Substitute(u"Arial"), u"Letter Gothic");
  EXPECT_EQ(Substitute(u"Times New Roman"), u"Prestige");
  EXPECT_EQ(Lines(kTrueTypeList), (std::vector<std::u16string>{Line(u"Arial", u"Letter Gothic"),
                                                                 Line(u"Times New Roman", u"Prestige")}));
}

// When the new table cannot be allocated, the table and the list stay as they were (no
// reload that would drop the page's earlier edits).
TEST_F(FontSubstitutionPages, AllocationFailureKeepsTableAndList) {
  Map(u"Arial", u"Script");
  const auto before = Lines(kTrueTypeList);
  plat::FailAllocationsOfSize(2 * sizeof(FontSubstitutionRecord));
  Map(u"Times New Roman", u"Letter Gothic");
  plat::FailAllocationsOfSize(0);
  EXPECT_EQ(Get(fid::kdmFontTableNum), 2u);
  EXPECT_EQ(Substitute(u"Arial"), u"Script");
  EXPECT_EQ(Substitute(u"Times New Roman"), u"Prestige");
  EXPECT_EQ(Lines(kTrueTypeList), before);
}

// A line longer than any the page makes is read whole into a buffer of its own length; its
// name and printer font are cut to the record's size.
TEST_F(FontSubstitutionPages, LongLinesAreReadWithinTheirLength) {
  const std::u16string face(120, u'F');
  const std::u16string printerFont(200, u'P');
  const std::u16string line = face + u" > " + printerFont;
  SendMessageW(List(kTrueTypeList), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
  ASSERT_TRUE(SaveFontSubstitutions(ctx_, List(kTrueTypeList)));
  int count = 0;
  const auto* rows = static_cast<const FontSubstitutionRecord*>(
      ContextList(ctx_, fid::kdmFontTableNum, fid::kdmFontTable, sizeof(FontSubstitutionRecord), &count));
  ASSERT_EQ(count, 3);
  EXPECT_EQ(std::u16string(rows[2].trueTypeName), std::u16string(31, u'F'));
  EXPECT_EQ(rows[2].deviceFontName[31], 0);

  // Drawing the line reads it the same way; an item with no line draws only its focus.
  HDC dc = GetDC(List(kTrueTypeList));
  for (UINT itemId : {2u, static_cast<UINT>(-1)}) {
    DRAWITEMSTRUCT item{ODT_LISTBOX, kTrueTypeList, itemId, ODA_DRAWENTIRE, ODS_FOCUS, List(kTrueTypeList), dc,
                        RECT{0, 0, 300, 16}, 0};
    EXPECT_EQ(Send(kTrueTypeList, WM_DRAWITEM, kTrueTypeList, reinterpret_cast<LPARAM>(&item)), 1);
  }
  ReleaseDC(List(kTrueTypeList), dc);
}

// The hooks answer only their own controls on the two font pages, and commands only with
// the control's own id.
TEST_F(FontSubstitutionPages, ForeignMessagesAreLeftToTheControlKinds) {
  struct Case {
    const char* name;
    WORD page;
    WORD control;
    DWORD message;
    WPARAM wParam;
  };
  const Case cases[] = {
      {"another page", 1010, kTrueTypeList, WM_COMMAND, MAKEWPARAM(kTrueTypeList, LBN_SELCHANGE)},
      {"another control's command", kPage, kTrueTypeList, WM_COMMAND, MAKEWPARAM(kPrinterFontList, LBN_SELCHANGE)},
      {"another notification", kPage, kTrueTypeList, WM_COMMAND, MAKEWPARAM(kTrueTypeList, LBN_SETFOCUS)},
      {"the button's init", kPage, kRestoreButton, WM_INITDIALOG, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PageRecord* page = FindPageById(ctx_, c.page);
    ControlRecord* control = Control(kPage, c.control);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(FontSubstitutionModuleMessage(ctx_, page, control, c.message, c.wParam, 0, nullptr), 0);
  }
  EXPECT_EQ(FontSubstitutionModuleMessage(ctx_, page_, nullptr, WM_INITDIALOG, 0, 0, nullptr), 0);
}

}  // namespace
}  // namespace font_substitution_pages_test
}  // namespace kovatest
