// A change on each road: plain, an alert answered OK and Cancel, transacts, a follow-up
// page; and sub-dialogs opened with a settings snapshot that Cancel restores.
#include "fields/dictionary_lookup.h"
#include "stored/snapshot_ring.h"
#include "page_engine_fixture.h"
#include "modules/change_handling.h"
#include "pages/page_dialog.h"
#include "stored/page_opening.h"
#include "win/msgbox.h"
#include "win/prsht.h"
#include "base/paths_and_names.h"
#include "win/profile.h"

namespace kovatest {
namespace {

constexpr DWORD kPlain = 10;
constexpr DWORD kTransparency = 13;

const char* const kMediaRow = "{KPD_IDC_PRESET_CHOICE_MEDIATYPE NULL NULL MediaItems NULL FinishingOff NULL NULL}";

std::string AlertModel(const std::string& buttons, const std::string& icon) {
  std::string text = Replaced(SampleModelText(), kMediaRow,
                              "{KPD_IDC_PRESET_CHOICE_MEDIATYPE NULL NULL MediaItems MediaAlert FinishingOff NULL NULL}");
  return Replaced(text, "*Exclusive: {",
                  "*Alert 3=MediaAlert: {{Transparency KPD_DuplexOnMessage " + icon + " " + buttons +
                      " AlertAtOnce NULL}}\r\n\r\n*Exclusive: {");
}

class ChangeHandlingTest : public PageEngineTest {
 protected:
  struct Road {
    DriverContext* context;
    PageRecord* page;
    ControlRecord* media;
  };
  Road Open() {
    DriverContext* context = Bound();
    EXPECT_NE(context, nullptr);
    PageRecord* page = context ? FindPageById(context, 1001) : nullptr;
    ControlRecord* media = page ? FindControlById(context, page, 2009) : nullptr;
    EXPECT_NE(media, nullptr);
    return {context, page, media};
  }
  static SettingField* FieldOfName(DriverContext* context, const char* name) {
    const ControlNameEntry* entry = FindNameEntryByName(name);
    return entry ? FindFieldByKeyword(context, static_cast<std::int16_t>(entry->itemId)) : nullptr;
  }
};

TEST_F(ChangeHandlingTest, PlainChangeIsWrittenWithoutABox) {
  Road r = Open();
  ASSERT_NE(r.context, nullptr);
  ControlRecord* landscape = FindControlById(r.context, r.page, 2027);
  ASSERT_NE(landscape, nullptr);
  EXPECT_EQ(SetControlValueAndApply(r.context, r.page, landscape, 2027), 0);
  EXPECT_EQ(Raw(r.context, fid::dmOrientation), 2u);
  EXPECT_TRUE(AnyFieldChanged(r.context));
  EXPECT_TRUE(plat::ui::MessageBoxes().empty());
  ClearDirtyOptions(r.context);
  EXPECT_FALSE(AnyFieldChanged(r.context));
}

TEST_F(ChangeHandlingTest, TransactsFollowTheChange) {
  Road r = Open();
  ASSERT_NE(r.context, nullptr);
  SettingField* staple = FieldOfName(r.context, "KPD_IDC_FUNCSELECTSTAPLE");
  ASSERT_NE(staple, nullptr);
  WriteFieldRaw(r.context, staple, 1);
  EXPECT_EQ(SetControlValueAndApply(r.context, r.page, r.media, kTransparency), 0);
  EXPECT_EQ(Value(r.context, fid::kdmMediaType), kTransparency);
  EXPECT_EQ(ReadFieldRaw(r.context, staple), 0u);  // FinishingOff: no staple on transparencies
}

// A transact that selects another preset applies it: the field holds the preset's index, and
// the preset applied is the one it names (its name read from the per-printer INI).
TEST_F(ChangeHandlingTest, ATransactSelectingAPresetAppliesIt) {
  std::string model = Replaced(SampleModelText(), kMediaRow,
                               "{KPD_IDC_PRESET_CHOICE_MEDIATYPE NULL NULL MediaItems NULL PickOffice NULL NULL}");
  model = Replaced(model, "*Exclusive: {",
                   "*Action 9=OfficePreset: {{KPD_IDC_PRESET_ICONLIST 2}}\r\n"
                   "*Transact 9=PickOffice: {{NULL OfficePreset}}\r\n\r\n*Exclusive: {");
  UseModel(model);
  root_.WriteFile(u"C:\\_kova\\keep.txt", "");  // the per-printer INI's folder
  Road r = Open();
  ASSERT_NE(r.context, nullptr);
  const std::u16string section = GetPrinterSectionName(r.context);
  const std::u16string ini = GetUserIniPath(r.context);
  ASSERT_TRUE(WritePrivateProfileStringW(section.c_str(), u"PresetList2Name", u"Office", ini.c_str()));
  WriteFieldRawById(r.context, fid::kdmPresetNo, 0xFFFFFFFFu);
  EXPECT_EQ(SetControlValueAndApply(r.context, r.page, r.media, kTransparency), 0);
  EXPECT_EQ(Raw(r.context, fid::kdmPresetNo), 2u);
  EXPECT_EQ(Value(r.context, fid::kdmPresetNo), 121u);
  WCHAR name[64] = {};
  GetFieldString(r.context, FindFieldById(r.context, fid::wdmPresetName), name, 64);
  EXPECT_EQ(std::u16string(name), u"Office");
}

// The alert's answer decides: OK keeps the change, Cancel puts the old value back and
// tells the modules; an MB_OK box is accepted only with the information icon.
TEST_F(ChangeHandlingTest, AlertAnswersDecideTheChange) {
  struct Case {
    const char* buttons;
    const char* icon;
    int answer;
    int refused;
    DWORD media;
  };
  const Case cases[] = {
      {"MB_OKCANCEL", "MB_ICONEXCLAMATION", IDOK, 0, kTransparency},
      {"MB_OKCANCEL", "MB_ICONEXCLAMATION", IDCANCEL, 1, kPlain},
      {"MB_OK", "MB_ICONINFORMATION", IDOK, 0, kTransparency},
      {"MB_OK", "MB_ICONEXCLAMATION", IDOK, 1, kPlain},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.buttons) + " " + c.icon + " " + std::to_string(c.answer));
    FreeLoadedModelImages();
    UseModel(AlertModel(c.buttons, c.icon));
    plat::ui::ClearMessageBoxes();
    Road r{};
    {
      DriverContext* context = Bound(u"Alert Printer " + std::u16string(1, static_cast<char16_t>(u'A' + n++)));
      ASSERT_NE(context, nullptr);
      r = {context, FindPageById(context, 1001), FindControlById(context, FindPageById(context, 1001), 2009)};
    }
    ASSERT_EQ(Value(r.context, fid::kdmMediaType), kPlain);
    plat::ui::QueueMessageBoxAnswer(c.answer);
    EXPECT_EQ(SetControlValueAndApply(r.context, r.page, r.media, kTransparency), c.refused);
    EXPECT_EQ(Value(r.context, fid::kdmMediaType), c.media);
    ASSERT_EQ(plat::ui::MessageBoxes().size(), 1u);
    EXPECT_EQ(plat::ui::MessageBoxes()[0].text, u"Duplex cannot be used with transparencies.");
  }
}

// The sample's duplex alert on a transparency: accepting it runs the alert's action, whose
// transact puts the media back to plain paper, so duplex and transparency never stay
// together; a refusal puts duplex back and runs no action.
TEST_F(ChangeHandlingTest, AcceptedDuplexAlertRunsItsAction) {
  struct Case {
    int answer;
    int refused;
    DWORD duplex;
    DWORD media;
  };
  for (const Case& c : {Case{IDOK, 0, 1, kPlain}, Case{IDCANCEL, 1, 0, kTransparency}}) {
    SCOPED_TRACE(c.answer);
    plat::ui::ClearMessageBoxes();
    DriverContext* context = Bound(c.answer == IDOK ? u"Duplex OK" : u"Duplex Cancel");
    ASSERT_NE(context, nullptr);
    PageRecord* page = FindPageById(context, 1004);
    ASSERT_NE(page, nullptr);
    ControlRecord* duplex = FindControlById(context, page, 2105);
    ASSERT_NE(duplex, nullptr);
    SettingField* field = FieldOfName(context, "KPD_IDC_FUNCSELECTDUPLEX");
    ASSERT_NE(field, nullptr);
    ASSERT_EQ(ReadFieldRaw(context, field), 0u);
    WriteFieldRawById(context, fid::kdmMediaType, 2);  // transparency
    ASSERT_EQ(Value(context, fid::kdmMediaType), kTransparency);
    plat::ui::QueueMessageBoxAnswer(c.answer);
    EXPECT_EQ(SetControlValueAndApply(context, page, duplex, 1), c.refused);
    ASSERT_EQ(plat::ui::MessageBoxes().size(), 1u);
    EXPECT_EQ(plat::ui::MessageBoxes()[0].type & 0xF, static_cast<UINT>(MB_OKCANCEL));
    EXPECT_EQ(ReadFieldRaw(context, field), c.duplex);
    EXPECT_EQ(Value(context, fid::kdmMediaType), c.media);
  }
}

// A transact that names a page opens it as a sub-dialog; while it is open (the guard set)
// a change of the same option opens no second page; its closing command clears the guard.
TEST_F(ChangeHandlingTest, FollowUpPageOpensOnceWhileItIsOpen) {
  UseModel(Replaced(SampleModelText(), kMediaRow,
                    "{KPD_IDC_PRESET_CHOICE_MEDIATYPE NULL NULL MediaItems NULL OpenFinishing NULL NULL}"));
  Road r = Open();
  ASSERT_NE(r.context, nullptr);
  int opened = 0;
  plat::ui::QueueStep([&] {
    HWND dialog = plat::ui::ActiveModal();
    opened += dialog != nullptr;
    EXPECT_EQ(r.context->work->sheet.followUpGuard, 1);
    // A second page here would stall: no step is queued for it.
    EXPECT_EQ(SetControlValueAndApply(r.context, r.page, r.media, kPlain), 0);
    plat::ui::ClickId(dialog, IDCANCEL);
  });
  EXPECT_EQ(SetControlValueAndApply(r.context, r.page, r.media, kTransparency), 0);
  EXPECT_EQ(opened, 1);
  EXPECT_EQ(plat::ui::StalledLoops(), 0);
  EXPECT_EQ(r.context->work->sheet.followUpGuard, 0);
  plat::ui::QueueStep([&] {
    ++opened;
    plat::ui::ClickId(plat::ui::ActiveModal(), IDOK);
  });
  EXPECT_EQ(SetControlValueAndApply(r.context, r.page, r.media, kTransparency), 0);
  EXPECT_EQ(opened, 2);
  EXPECT_EQ(plat::ui::StalledLoops(), 0);
}

// Changes made in a sub-dialog are undone by Cancel and kept by OK; a dialog that cannot be
// made counts as cancelled.
TEST_F(ChangeHandlingTest, SubDialogCancelRestoresAndOkKeeps) {
  Road r = Open();
  ASSERT_NE(r.context, nullptr);
  const int depth = SettingsSnapshotDepth(r.context);
  const DWORD copies = Raw(r.context, fid::dmCopies);
  struct Case {
    int button;
    int result;
    DWORD copies;
  };
  for (const Case& c : {Case{IDCANCEL, 2, copies}, Case{IDOK, 1, 5}}) {
    plat::ui::QueueStep([&] {
      WriteFieldRawById(r.context, fid::dmCopies, 5);
      plat::ui::ClickId(plat::ui::ActiveModal(), c.button);
    });
    EXPECT_EQ(ShowPage(r.context, SHOWPAGE_SUBDIALOG, 1004, nullptr), c.result);
    EXPECT_EQ(Raw(r.context, fid::dmCopies), c.copies) << c.button;
    EXPECT_EQ(SettingsSnapshotDepth(r.context), depth);
    EXPECT_EQ(r.context->pageId, 0);
  }
  // Page 1012 has no template: DialogBoxParamW fails (-1) even with a sheet result of 1
  // standing from before; the snapshot is restored as for Cancel.
  r.context->work->sheet.sheetResult = 1;
  SetDirtyFlag(r.context, 1);
  EXPECT_EQ(ShowPage(r.context, SHOWPAGE_SUBDIALOG, 1012, nullptr), -1);
  EXPECT_EQ(GetDirtyFlag(r.context), 0);
  EXPECT_EQ(SettingsSnapshotDepth(r.context), depth);
  // No page with the id: 0, nothing opens.
  EXPECT_EQ(ShowPage(r.context, SHOWPAGE_SUBDIALOG, 999, nullptr), 0);
  EXPECT_EQ(SettingsSnapshotDepth(r.context), depth);
}

}  // namespace
}  // namespace kovatest

namespace kovatest {
namespace {

// Holding a press-and-hold button: one step at once, then one on every timer tick after the
// third. The loop waits for the queue and the timer: the ticks here arrive only when the
// test clock moves, which happens in the steps the waiting loop runs.
TEST_F(ChangeHandlingTest, PressAndHoldWaitsForTheTimer) {
  Road r = Open();
  ASSERT_NE(r.context, nullptr);
  ControlRecord* button = FindControlById(r.context, r.page, 2003);
  ASSERT_NE(button, nullptr);
  struct Row {
    WORD controlId;
    DWORD zero;
    std::int16_t step;
  };
  struct Block {
    WORD type;
    WORD count;
    const Row* rows;
  };
  static const Row rows[] = {{2029, 0, 1}};
  static const Block block{5, 1, rows};
  button->extraData = &block;
  button->window = CreateWindowExW(0, u"Button", u"More", WS_VISIBLE, 0, 0, 40, 20, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(button->window, nullptr);
  WriteFieldRawById(r.context, fid::dmCopies, 1);
  for (int i = 0; i < 5; ++i) plat::ui::QueueStep([] { plat::ui::AdvanceClock(100); });
  HWND window = button->window;
  plat::ui::QueueStep([window] { PostMessageW(window, PAGEMSG_PRESS_AND_HOLD, 0, 0); });
  EXPECT_EQ(RunPressAndHold(r.context, r.page, button, false), 3);
  EXPECT_EQ(Raw(r.context, fid::dmCopies), 4u);
  EXPECT_EQ(plat::ui::PendingSteps(), 0u);
  DestroyWindow(window);
  button->window = nullptr;
  button->extraData = nullptr;
}

}  // namespace
}  // namespace kovatest

namespace kovatest {
namespace {

// A page group opens as a property sheet of its members in table order, starting at the
// requested page (or the first that can be made); Cancel restores, OK keeps.
TEST_F(ChangeHandlingTest, PageGroupOpensAsASheetWithASnapshot) {
  Road r = Open();
  ASSERT_NE(r.context, nullptr);
  const DWORD copies = Raw(r.context, fid::dmCopies);
  struct Case {
    int button;
    int result;
    DWORD copies;
  };
  for (const Case& c : {Case{PSBTN_CANCEL, 0, copies}, Case{PSBTN_OK, 1, 6}}) {
    int shown = 0;
    plat::ui::QueueStep([&] {
      HWND sheet = plat::ui::ActiveModal();
      HWND page = reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
      shown = GetDlgCtrlID(page);
      EXPECT_EQ(r.context->pageId, 1004);
      WriteFieldRawById(r.context, fid::dmCopies, 6);
      plat::ui::PressSheetButton(sheet, c.button);
    });
    EXPECT_EQ(ShowPage(r.context, SHOWPAGE_GROUP_10, 1004, nullptr), c.result);
    EXPECT_EQ(shown, 1004);
    EXPECT_EQ(Raw(r.context, fid::dmCopies), c.copies);
    EXPECT_EQ(r.context->pageId, 0);
  }
}

}  // namespace
}  // namespace kovatest
