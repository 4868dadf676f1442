// The setting-lock page: its OK confirms the locks for the device sheet only after the
// warning is accepted, its check boxes set the lock bits, and the preset's name and comment
// reach their fields within their sizes.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/dictionary_pages.h"
#include "base/driver_context.h"
#include "base/paths_and_names.h"
#include "context/module_hooks.h"
#include "field_ids.h"
#include "fields/field_access.h"
#include "fields/field_table.h"
#include "model/module_dispatch.h"
#include "modules/summary_module.h"
#include "modules_fixture.h"
#include "plat/system.h"
#include "plat/ui_driver.h"
#include "stored/preset_list.h"
#include "win/controls.h"
#include "win/msgbox.h"
#include "win/profile.h"
#include "win/window.h"

namespace kovatest {
namespace setting_lock_pages_test {
namespace {

constexpr WORD kLockPage = 4031;
constexpr WORD kNupText = 3150;
constexpr WORD kResolutionChoice = 3147;
constexpr WORD kAllNupChoice = 3151;

class SettingLockPages : public ModulesTest {
 protected:
  void SetUp() override {
    ModulesTest::SetUp();
    page_ = FindPageById(ctx_, kLockPage);
    ASSERT_NE(page_, nullptr);
    frame_ = CreateWindowExW(0, u"#32770", u"Locks", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(frame_, nullptr);
    page_->window = frame_;
    for (WORD id : {WORD{3142}, WORD{3146}, WORD{3144}, WORD{3154}, kNupText})
      CreateWindowExW(0, u"Edit", u"", WS_CHILD | ES_MULTILINE, 0, 0, 200, 40, frame_,
                      reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), nullptr, nullptr);
    for (WORD id : {kResolutionChoice, kAllNupChoice}) {
      HWND box = CreateWindowExW(0, u"Button", u"", WS_CHILD | BS_AUTOCHECKBOX, 0, 0, 100, 12, frame_,
                                 reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), nullptr, nullptr);
      ASSERT_NE(box, nullptr);
      Control(kLockPage, id)->window = box;
    }
  }
  void TearDown() override {
    plat::ui::ClearMessageBoxes();
    plat::Machine().ansiCodePage = codePage_;
    for (int i = 0; i < page_->controlCount; ++i) page_->controls[i].window = nullptr;
    page_->window = nullptr;
    if (frame_) DestroyWindow(frame_);
    ModulesTest::TearDown();
  }

  std::int32_t Send(ControlRecord* control, DWORD message, WPARAM wParam) {
    return SettingLockModuleMessage(ctx_, page_, control, message, wParam, 0, nullptr);
  }

  PageRecord* page_ = nullptr;
  HWND frame_ = nullptr;
  UINT codePage_ = plat::Machine().ansiCodePage;
};

// OK asks first: Cancel keeps the page open with nothing confirmed; OK takes the destination
// resolution as the locked one and leaves the commit to the device sheet's apply.
TEST_F(SettingLockPages, OkConfirmsOnlyAfterTheWarning) {
  struct Case {
    int answer;
    std::int32_t handled;  // 1 keeps the page open
    std::int32_t commit;
    DWORD lockedResolution;
  } const cases[] = {
      {IDCANCEL, 1, 0, 0},
      {IDOK, 0, 1, 600},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answer);
    ctx_->work->sheet.lockCommit = 0;
    Set(fid::wdmLock007Info, 0);
    Set(fid::kdmLockDstResolutionBoth, 600);
    plat::ui::ClearMessageBoxes();
    plat::ui::QueueMessageBoxAnswer(c.answer);
    EXPECT_EQ(Send(nullptr, WM_COMMAND, IDOK), c.handled);
    EXPECT_EQ(plat::ui::MessageBoxes().size(), 1u);
    EXPECT_EQ(ctx_->work->sheet.lockCommit, c.commit);
    EXPECT_EQ(Get(fid::wdmLock007Info), c.lockedResolution);
  }
  // Other commands of the page are not the module's.
  EXPECT_EQ(Send(nullptr, WM_COMMAND, IDCANCEL), 0);
}

// The resolution box sets its lock bit from its state; the all-kinds box flips its bit only
// when its state differs from it.
TEST_F(SettingLockPages, CheckBoxesSetTheLockBits) {
  struct Case {
    WORD control;
    WORD field;
    DWORD before;
    bool checked;
    std::int32_t handled;
    DWORD after;
  } const cases[] = {
      {kResolutionChoice, fid::kdmLock000InfoBitResolution, 0, true, 1, 1},
      {kResolutionChoice, fid::kdmLock000InfoBitResolution, 1, false, 1, 0},
      {kAllNupChoice, fid::kdmLock000InfoBitNupKindAll, 0, true, 1, 1},
      {kAllNupChoice, fid::kdmLock000InfoBitNupKindAll, 1, false, 1, 0},
      {kAllNupChoice, fid::kdmLock000InfoBitNupKindAll, 1, true, 0, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.control << " " << c.before << " " << c.checked);
    ControlRecord* control = Control(kLockPage, c.control);
    Set(c.field, c.before);
    SendMessageW(control->window, BM_SETCHECK, c.checked ? BST_CHECKED : BST_UNCHECKED, 0);
    EXPECT_EQ(Send(control, WM_COMMAND, MAKEWPARAM(c.control, BN_CLICKED)), c.handled);
    EXPECT_EQ(Get(c.field), c.after);
  }
  // A command of another control is left alone.
  Set(fid::kdmLock000InfoBitResolution, 0);
  SendMessageW(Control(kLockPage, kResolutionChoice)->window, BM_SETCHECK, BST_CHECKED, 0);
  EXPECT_EQ(Send(Control(kLockPage, kResolutionChoice), WM_COMMAND, MAKEWPARAM(kAllNupChoice, BN_CLICKED)), 0);
  EXPECT_EQ(Get(fid::kdmLock000InfoBitResolution), 0u);
}

// The selected preset's name and comment reach their 37- and 513-byte fields whole when they
// fit, cut before a double-byte character that does not; none selected leaves them empty.
TEST_F(SettingLockPages, PresetTextsStayWithinTheirFields) {
  plat::Machine().ansiCodePage = 932;
  const std::u16string twenty(20, u'\u3042');  // two bytes each under code page 932
  const std::u16string long_comment(300, u'\u3042');
  const WCHAR* ini = GetUserIniPath(ctx_);
  const WCHAR* section = GetPrinterSectionName(ctx_);
  ASSERT_TRUE(ini && section);
  WCHAR key[kPresetKeyChars];
  MakePresetKey(key, 2, 1);
  WritePrivateProfileStringW(section, key, twenty.c_str(), ini);
  MakePresetKey(key, 2, 2);
  WritePrivateProfileStringW(section, key, long_comment.c_str(), ini);
  struct Case {
    DWORD presetNo;
    std::size_t nameBytes, commentBytes;
  } const cases[] = {{121, 36, 512}, {119, 0, 0}, {200, 0, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.presetNo);
    Set(fid::kdmPresetNo, c.presetNo);
    EXPECT_EQ(Send(nullptr, WM_INITDIALOG, 0), 0);
    const struct {
      WORD field;
      std::size_t size, expected;
    } fields[] = {{fid::wdmPresetName, 37, c.nameBytes}, {fid::wdmPresetComment, 513, c.commentBytes}};
    for (const auto& f : fields) {
      const BYTE* at = GetFieldAddress(ctx_, FindFieldById(ctx_, f.field));
      ASSERT_NE(at, nullptr);
      const std::size_t length = strnlen(reinterpret_cast<const char*>(at), f.size);
      EXPECT_EQ(length, f.expected);
      for (std::size_t i = 0; i + 1 < length; i += 2) {
        EXPECT_EQ(at[i], 0x82) << i;
        EXPECT_EQ(at[i + 1], 0xA0) << i;
      }
    }
  }
}

// The status page's edit shows the lock summary whenever it paints, whatever it held.
TEST_F(SettingLockPages, StatusEditShowsTheSummary) {
  PageRecord* status = FindPageById(ctx_, 4032);
  ASSERT_NE(status, nullptr);
  ControlRecord* edit = FindControlById(ctx_, status, 3164);
  ASSERT_NE(edit, nullptr);
  edit->window = CreateWindowExW(0, u"Edit", u"typed", WS_CHILD | ES_MULTILINE, 0, 0, 200, 100, frame_, nullptr,
                                 nullptr, nullptr);
  ASSERT_NE(edit->window, nullptr);
  std::vector<WCHAR> expected(kSummaryChars);
  BuildSummaryText(ctx_, edit, expected.data(), kSummaryChars);
  EXPECT_EQ(SettingLockModuleMessage(ctx_, status, edit, WM_PAINT, 0, 0, nullptr), 1);
  std::vector<WCHAR> shown(kSummaryChars);
  GetWindowTextW(edit->window, shown.data(), kSummaryChars);
  EXPECT_EQ(std::u16string(shown.data()), std::u16string(expected.data()));
  EXPECT_NE(std::u16string(shown.data()), u"typed");
  // Other messages and controls of the page are the kinds'.
  EXPECT_EQ(SettingLockModuleMessage(ctx_, status, edit, WM_COMMAND, 3164, 0, nullptr), 0);
  edit->window = nullptr;
}

}  // namespace
}  // namespace setting_lock_pages_test
}  // namespace kovatest
