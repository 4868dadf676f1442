// The control rows of every page: their count, the dialog template of the sample UI resource
// module that must hold each control with a window class its kind can drive, and the field
// a row that names one binds to.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "fields/dictionary_lookup.h"
#include "base/dictionary_pages.h"
#include "fields/field_table.h"
#include "field_fixture.h"
#include "modules/summary_lists.h"
#include "plat/rc_script.h"
#include "plat/ui_driver.h"
#include "test_root.h"
#include "win/window.h"

namespace {

using kovatest::FieldContext;

// The page table in table order: page id and control count.
struct PageCount {
  WORD page;
  WORD controls;
};
constexpr PageCount kPageCounts[] = {
    {1001, 42}, {1002, 54}, {1003, 45}, {1004, 30}, {1005, 20}, {1006, 39}, {1010, 49}, {1011, 27},
    {1009, 10}, {1008, 5},  {1015, 23}, {1007, 14}, {1012, 8},  {1013, 6},  {1014, 11}, {1016, 14},
    {1017, 40}, {1018, 13}, {1019, 27}, {1020, 3},  {1021, 36}, {1038, 25}, {4004, 13}, {1029, 15},
    {1022, 33}, {1023, 20}, {1024, 68}, {1030, 23}, {1031, 21}, {1034, 10}, {1035, 13}, {1036, 4},
    {1037, 12}, {1039, 5},  {1040, 10}, {1041, 37}, {4014, 22}, {1043, 24}, {1044, 37}, {1042, 26},
    {1065, 3},  {1032, 7},  {1033, 8},  {1025, 13}, {1026, 3},  {1027, 6},  {1028, 5},  {4005, 5},
    {4006, 1},  {4001, 12}, {4002, 15}, {4003, 12}, {4007, 13}, {4008, 12}, {4009, 12}, {4010, 17},
    {4011, 8},  {4012, 8},  {4015, 10}, {4016, 26}, {4017, 45}, {4018, 10}, {4019, 12}, {4020, 5},
    {4021, 5},  {4022, 12}, {4023, 11}, {4024, 18}, {4025, 18}, {4026, 11}, {4027, 3},  {4013, 11},
    {4028, 21}, {4029, 3},  {4030, 35}, {4031, 21}, {4032, 3},  {4033, 2},  {4034, 21}};
static_assert(sizeof kPageCounts / sizeof kPageCounts[0] == kBuiltInPageCount);

constexpr DWORD kFilePageFlags = 0x100 | 0x200 | 0x400 | 0x800 | 0x1000 | 0x2000 | 0x4000 | 0x8000;

const PageRecord* BuiltInPage(WORD id) {
  const PageTable* t = GetBuiltInPageTable();
  for (int i = 0; i < t->count; ++i)
    if (t->records[i].pageId == id) return &t->records[i];
  return nullptr;
}

TEST(PageRows, EveryPageHasTheRowsOfItsTableRow) {
  const PageTable* t = GetBuiltInPageTable();
  ASSERT_EQ(t->count, kBuiltInPageCount);
  int total = 0;
  for (int i = 0; i < t->count; ++i) {
    const PageRecord& p = t->records[i];
    SCOPED_TRACE(p.pageId);
    EXPECT_EQ(p.pageId, kPageCounts[i].page);
    EXPECT_EQ(p.controlCount, kPageCounts[i].controls);
    ASSERT_NE(p.controls, nullptr);
    std::set<WORD> ids;
    for (int n = 0; n < p.controlCount; ++n) {
      const ControlRecord& c = p.controls[n];
      EXPECT_TRUE(ids.insert(c.controlId).second) << "control " << c.controlId << " twice";
      EXPECT_GE(c.itemId, 618);
      EXPECT_LE(c.itemId, 1954);
      EXPECT_NE(FindNameEntryByKey(c.itemId), nullptr) << c.controlId;
      EXPECT_EQ(c.alternateId, 0);
      EXPECT_EQ(c.window, nullptr);
    }
    total += p.controlCount;
  }
  EXPECT_EQ(total, 1397);
}

// Rows the page code and the extension modules rely on: control id on its page, kind and,
// where it edits one, the field.
struct KnownRow {
  WORD page;
  WORD control;
  WORD kind;
  WORD field;  // 0: the row edits nothing that the table names
};
constexpr KnownRow kKnownRows[] = {
    {1001, 2001, 50, 37},     {1002, 2007, 48, 13},   {1002, 2017, 48, 8},    {1002, 2053, 48, 46},
    {1002, 2066, 48, 53},     {1002, 2067, 2, 1544},  {1003, 2088, 22, 60},   {1003, 2089, 48, 118},
    {1003, 2085, 47, 94},     {1004, 2100, 47, 121},  {1004, 2102, 47, 120},  {1006, 2134, 47, 179},
    {1007, 2139, 50, 1545},   {1007, 2145, 61, 925},  {1007, 2146, 61, 926},  {1009, 2384, 47, 0},
    {1011, 2164, 47, 1546},   {1011, 2166, 105, 1547}, {1011, 2168, 48, 1548}, {1011, 2551, 22, 1553},
    {1017, 2220, 63, 0},      {1017, 2221, 23, 0},    {1022, 2314, 48, 945},  {1023, 2341, 61, 930},
    {1024, 2352, 63, 98},     {1024, 2647, 48, 115},  {1032, 2452, 61, 1551}, {1038, 2264, 84, 138},
    {1038, 2249, 2, 0},       {1038, 2502, 21, 0},    {1041, 2685, 23, 0},    {1044, 2776, 61, 1001},
    {1065, 2817, 49, 1555},   {4001, 1120, 42, 0},    {4002, 1136, 43, 0},    {4005, 2527, 61, 1552},
    {4006, 5005, 1, 0},       {4017, 2948, 48, 525},  {4023, 3020, 105, 0},   {4031, 3142, 61, 0}};

TEST(PageRows, KnownRowsSitOnTheirPages) {
  for (const KnownRow& k : kKnownRows) {
    SCOPED_TRACE(testing::Message() << k.page << "/" << k.control);
    const PageRecord* p = BuiltInPage(k.page);
    ASSERT_NE(p, nullptr);
    const ControlRecord* c = nullptr;
    for (int n = 0; n < p->controlCount; ++n)
      if (p->controls[n].controlId == k.control) c = &p->controls[n];
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->kind, k.kind);
    const ControlNameEntry* e = FindNameEntryByKey(c->itemId);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->fieldId, k.field);
  }
}

// The typed extra data: first word the type, and the words the page code reads.
TEST(PageRows, TypedExtraData) {
  auto control = [](WORD page, WORD id) -> const ControlRecord* {
    const PageRecord* p = BuiltInPage(page);
    for (int n = 0; p && n < p->controlCount; ++n)
      if (p->controls[n].controlId == id) return &p->controls[n];
    return nullptr;
  };
  auto words = [&](WORD page, WORD id) {
    const ControlRecord* c = control(page, id);
    return c ? static_cast<const WORD*>(c->extraData) : nullptr;
  };
  const WORD* slider = words(1038, 2264);
  ASSERT_NE(slider, nullptr);
  EXPECT_EQ(slider[0], 3);
  EXPECT_EQ(slider[1], 1);
  EXPECT_EQ(slider[2], 10);
  EXPECT_EQ(slider[3], 6162);
  EXPECT_EQ(words(1038, 2267)[3], 6163);
  EXPECT_EQ(words(4017, 2934)[2], 2);
  const WORD* sample = words(1038, 2249);
  ASSERT_NE(sample, nullptr);
  EXPECT_EQ(sample[0], 1);
  EXPECT_EQ(sample[3], 2264);
  const WORD* preview = words(1002, 2039);
  ASSERT_NE(preview, nullptr);
  EXPECT_EQ(preview[0], 8);
  const WORD* combo = words(1001, 2007);
  ASSERT_NE(combo, nullptr);
  EXPECT_EQ(combo[0], 4);
  DWORD flag = 0, picture = 0;
  std::memcpy(&flag, combo + 2, 4);
  std::memcpy(&picture, combo + 4, 4);
  EXPECT_EQ(flag, 1u);
  EXPECT_EQ(picture, 7005u);
  EXPECT_EQ(words(1001, 2017), nullptr);  // the paper-size combo shows no refused values
  const WORD* hold = words(1038, 2503);
  ASSERT_NE(hold, nullptr);
  EXPECT_EQ(hold[0], 5);
  EXPECT_EQ(hold[1], 3);
  const WORD* lines = words(1065, 2817);  // the check list: a plain array of field ids
  ASSERT_NE(lines, nullptr);
  EXPECT_EQ(lines[0], 349);
  EXPECT_EQ(lines[11], 360);
  const ControlRecord* edit = control(1017, 2220);
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(edit->flags, 0x80000000u);
  const ControlRecord* locked = control(4031, 3146);
  ASSERT_NE(locked, nullptr);
  EXPECT_EQ(locked->lockMessageId, 10204);
  EXPECT_EQ(locked->lockFieldId, 10420);
}

// The four summary edits point at the settings summary's lists: type 4, the entry count at
// byte 16 and the entries; 33 rows carry extra data in all.
TEST(PageRows, SummaryEditsCarryTheirLists) {
  const PageTable* t = GetBuiltInPageTable();
  std::map<WORD, const ControlRecord*> edits;
  int withExtra = 0;
  for (int i = 0; i < t->count; ++i)
    for (int n = 0; n < t->records[i].controlCount; ++n) {
      const ControlRecord& c = t->records[i].controls[n];
      if (c.extraData) ++withExtra;
      if (c.kind == 61 && c.extraData) edits[c.controlId] = &c;
    }
  EXPECT_EQ(withExtra, 33);
  ASSERT_EQ(edits.size(), 4u);
  for (WORD id : {2148, 2248, 3086, 3164}) {
    SCOPED_TRACE(id);
    ASSERT_EQ(edits.count(id), 1u);
    const SummaryList* list = GetBuiltInSummaryList(id);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(edits[id]->extraData, list);
    const auto* bytes = static_cast<const BYTE*>(edits[id]->extraData);
    WORD type = 0, count = 0;
    std::memcpy(&type, bytes, 2);
    std::memcpy(&count, bytes + 16, 2);
    EXPECT_EQ(type, 4);
    EXPECT_GT(count, 0);
    EXPECT_NE(list->entries, nullptr);
  }
  EXPECT_EQ(GetBuiltInSummaryList(2148)->count, 91);
  EXPECT_EQ(GetBuiltInSummaryList(3164)->count, 175);
}

// Every row whose item id names a settings field binds to that field.
TEST(PageRows, RowsNamingAFieldBindToIt) {
  FieldContext fc;
  const PageTable* t = GetBuiltInPageTable();
  int bound = 0;
  for (int i = 0; i < t->count; ++i) {
    const PageRecord& p = t->records[i];
    for (int n = 0; n < p.controlCount; ++n) {
      const ControlRecord& c = p.controls[n];
      const ControlNameEntry* e = FindNameEntryByKey(c.itemId);
      ASSERT_NE(e, nullptr);
      if (!e->fieldId) continue;
      SettingField* f = FindFieldByKeyword(fc.get(), static_cast<std::int16_t>(c.itemId));
      ASSERT_NE(f, nullptr) << p.pageId << "/" << c.controlId;
      EXPECT_EQ(f->id, e->fieldId) << p.pageId << "/" << c.controlId;
      ++bound;
    }
  }
  EXPECT_GT(bound, 300);
}

// ---- the dialog templates of the sample UI resource module ----------------------------------

struct TemplateItem {
  DWORD style = 0;
  bool classIsAtom = false;
  WORD atom = 0;
  std::u16string className;
};

const BYTE* ReadSzOrOrd(const BYTE* p, bool& isOrd, WORD& ord, std::u16string& text) {
  WORD w;
  std::memcpy(&w, p, 2);
  isOrd = false;
  text.clear();
  if (w == 0xFFFF) {
    isOrd = true;
    std::memcpy(&ord, p + 2, 2);
    return p + 4;
  }
  while (true) {
    std::memcpy(&w, p, 2);
    p += 2;
    if (!w) break;
    text.push_back(static_cast<char16_t>(w));
  }
  return p;
}

// The controls of an extended dialog template by id.
std::map<WORD, TemplateItem> ReadTemplate(const std::vector<BYTE>& data) {
  std::map<WORD, TemplateItem> items;
  const BYTE* p = data.data();
  WORD ver, sig, count;
  DWORD style;
  std::memcpy(&ver, p, 2);
  std::memcpy(&sig, p + 2, 2);
  if (ver != 1 || sig != 0xFFFF) return items;
  std::memcpy(&style, p + 12, 4);
  std::memcpy(&count, p + 16, 2);
  p += 26;
  bool ord;
  WORD o;
  std::u16string s;
  p = ReadSzOrOrd(p, ord, o, s);  // menu
  p = ReadSzOrOrd(p, ord, o, s);  // class
  p = ReadSzOrOrd(p, ord, o, s);  // title
  if (style & 0x40) {             // DS_SETFONT: point size, weight, italic, charset, face
    p += 6;
    p = ReadSzOrOrd(p, ord, o, s);
  }
  for (WORD i = 0; i < count; ++i) {
    p = data.data() + ((p - data.data() + 3) & ~std::ptrdiff_t{3});
    TemplateItem item;
    std::memcpy(&item.style, p + 8, 4);
    DWORD id;
    std::memcpy(&id, p + 20, 4);
    p += 24;
    p = ReadSzOrOrd(p, item.classIsAtom, item.atom, item.className);
    p = ReadSzOrOrd(p, ord, o, s);  // text
    WORD extra;
    std::memcpy(&extra, p, 2);
    p += 2 + extra;
    items[static_cast<WORD>(id)] = item;
  }
  return items;
}

bool SameText(const std::u16string& a, const char16_t* b) {
  std::u16string lower;
  for (char16_t ch : a) lower.push_back(ch >= u'A' && ch <= u'Z' ? static_cast<char16_t>(ch - u'A' + u'a') : ch);
  return lower == b;
}

// The window class a kind needs; button and static styles narrow it further.
bool ClassFitsKind(const TemplateItem& t, const ControlRecord& c) {
  const DWORD bs = t.style & 0xF;
  auto atom = [&](WORD a) { return t.classIsAtom && t.atom == a; };
  const bool button = atom(0x80), edit = atom(0x81), stat = atom(0x82), list = atom(0x83), scroll = atom(0x84),
             combo = atom(0x85);
  const bool standardButton = c.controlId == 1 || c.controlId == 2 || (c.controlId >= 6 && c.controlId <= 9);
  switch (c.kind) {
    case 1: case 5: case 6: case 44: case 45: case 46: case 64: case 65: case 83: case 101: case 102:
      return stat || (button && standardButton);
    case 2: case 3: return stat;
    case 4: return button && bs == 7;                      // BS_GROUPBOX
    case 21: case 24: return button && bs == 11;           // BS_OWNERDRAW
    case 22: return button && (bs == 2 || bs == 3 || bs == 5 || bs == 6);
    case 41: return button && (bs == 4 || bs == 9);
    case 42: return list;
    case 47: case 49: case 50: return list && (t.style & 0x10);  // LBS_OWNERDRAWFIXED
    case 43: return combo;
    case 48: return combo && (t.style & 0x10);                   // CBS_OWNERDRAWFIXED
    case 61: case 62: case 63: return edit;
    case 23: case 81: return scroll && (t.style & 1);            // SBS_VERT
    case 82: case 84: return scroll && !(t.style & 1);
    case 85: return !t.classIsAtom && SameText(t.className, u"msctls_trackbar32");
    case 104: return !t.classIsAtom && SameText(t.className, u"systabcontrol32");
    case 105:
      return !t.classIsAtom && (SameText(t.className, u"systreeview32") || SameText(t.className, u"syslistview32"));
    default: return false;
  }
}

class PageTemplates : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    resources_ = std::make_unique<plat::ResourceTable>();
    std::string error;
    ASSERT_TRUE(plat::ParseResourceScriptFile(kovatest::FixturePath(kovatest::kPrinterUiScript), *resources_, error))
        << error;
  }
  static void TearDownTestSuite() { resources_.reset(); }
  static const plat::ResourceEntry* Dialog(WORD page) {
    return resources_->FindDefault(plat::ResId::Int(5), plat::ResId::Int(page));
  }
  static std::unique_ptr<plat::ResourceTable> resources_;
};
std::unique_ptr<plat::ResourceTable> PageTemplates::resources_;

TEST_F(PageTemplates, EveryPageWithADialogHasEachOfItsControls) {
  const PageTable* t = GetBuiltInPageTable();
  int templates = 0;
  for (int i = 0; i < t->count; ++i) {
    const PageRecord& p = t->records[i];
    SCOPED_TRACE(p.pageId);
    const plat::ResourceEntry* dialog = Dialog(p.pageId);
    if (p.flags & kFilePageFlags) {
      // File pages run a common file dialog, never a template of their own.
      EXPECT_EQ(dialog, nullptr);
      continue;
    }
    ASSERT_NE(dialog, nullptr);
    ++templates;
    const std::map<WORD, TemplateItem> items = ReadTemplate(dialog->data);
    for (int n = 0; n < p.controlCount; ++n) {
      const ControlRecord& c = p.controls[n];
      auto it = items.find(c.controlId);
      ASSERT_NE(it, items.end()) << "control " << c.controlId << " missing";
      EXPECT_TRUE(ClassFitsKind(it->second, c)) << "control " << c.controlId << " kind " << c.kind;
    }
    // A sub-dialog can be closed.
    if (!(p.flags & 0x33) && p.pageId != 4006) {
      EXPECT_TRUE(items.count(1));
      EXPECT_TRUE(items.count(2));
    }
  }
  EXPECT_EQ(templates, 72);
}

INT_PTR QuietPageProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

// Every template opens as a dialog of the window layer, with a window for every row (the
// list view of page 1011 and the tree view of page 4023 included).
TEST_F(PageTemplates, TemplatesOpenWithAWindowForEveryRow) {
  plat::ui::Reset();
  // The sheet's frame that the property pages are children of.
  HWND sheet = CreateWindowExW(0, u"#32770", u"Sheet", WS_POPUP | WS_VISIBLE, 0, 0, 400, 400, nullptr, nullptr,
                               nullptr, nullptr);
  ASSERT_NE(sheet, nullptr);
  const PageTable* t = GetBuiltInPageTable();
  int opened = 0;
  for (int i = 0; i < t->count; ++i) {
    const PageRecord& p = t->records[i];
    const plat::ResourceEntry* dialog = Dialog(p.pageId);
    if (!dialog) continue;
    SCOPED_TRACE(p.pageId);
    HWND page = CreateDialogIndirectParamW(nullptr, reinterpret_cast<LPCDLGTEMPLATEW>(dialog->data.data()), sheet,
                                           &QuietPageProc, 0);
    ASSERT_NE(page, nullptr);
    for (int n = 0; n < p.controlCount; ++n) EXPECT_NE(GetDlgItem(page, p.controls[n].controlId), nullptr);
    DestroyWindow(page);
    ++opened;
  }
  EXPECT_EQ(opened, 72);
  plat::ui::Reset();
}

// The walker reads what it is given: a control of the wrong class is caught.
TEST_F(PageTemplates, AControlOfAnotherClassIsNoMatch) {
  const plat::ResourceEntry* dialog = Dialog(1001);
  ASSERT_NE(dialog, nullptr);
  const std::map<WORD, TemplateItem> items = ReadTemplate(dialog->data);
  const PageRecord* p = BuiltInPage(1001);
  const ControlRecord* combo = nullptr;
  const ControlRecord* spin = nullptr;
  for (int n = 0; n < p->controlCount; ++n) {
    if (p->controls[n].controlId == 2007) combo = &p->controls[n];
    if (p->controls[n].controlId == 2030) spin = &p->controls[n];
  }
  ASSERT_TRUE(combo && spin);
  EXPECT_TRUE(ClassFitsKind(items.at(2007), *combo));
  EXPECT_FALSE(ClassFitsKind(items.at(2029), *spin));  // an edit is no spin bar
  EXPECT_FALSE(ClassFitsKind(items.at(2030), *combo));
}

// The strings the rows name are texts of the module.
TEST_F(PageTemplates, RowStringsExist) {
  std::set<WORD> ids;
  const PageTable* t = GetBuiltInPageTable();
  for (int i = 0; i < t->count; ++i)
    for (int n = 0; n < t->records[i].controlCount; ++n) {
      const ControlRecord& c = t->records[i].controls[n];
      if (c.tipId) ids.insert(c.tipId);
      if (c.infoId) ids.insert(c.infoId);
    }
  ASSERT_FALSE(ids.empty());
  for (WORD id : ids) {
    const plat::ResourceEntry* block =
        resources_->FindDefault(plat::ResId::Int(6), plat::ResId::Int(static_cast<WORD>(id / 16 + 1)));
    ASSERT_NE(block, nullptr) << id;
    const BYTE* q = block->data.data();
    for (int k = 0; k < id % 16; ++k) {
      WORD len;
      std::memcpy(&len, q, 2);
      q += 2 + 2 * len;
    }
    WORD len;
    std::memcpy(&len, q, 2);
    EXPECT_GT(len, 0) << id;
  }
}

}  // namespace
