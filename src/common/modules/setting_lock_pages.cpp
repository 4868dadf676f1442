// The setting-lock pages: the lock page shows the values being locked and the preset they
// come from, takes the resolution and N-up choices and confirms the locks for the device
// sheet to commit; the status page shows the summary of what is locked.
#include <string>

#include "base/dictionary_pages.h"
#include "base/driver_context.h"
#include "base/ui_strings.h"
#include "context/display_text.h"
#include "context/module_hooks.h"
#include "context/page_binding.h"
#include "field_ids.h"
#include "fields/field_access.h"
#include "fields/field_table.h"
#include "fields/value_maps.h"
#include "base/ini_files.h"
#include "base/paths_and_names.h"
#include "model/option_lookup.h"
#include "model/rule_eval.h"
#include "modules/module_text.h"
#include "modules/module_ui.h"
#include "modules/page_refresh.h"
#include "modules/summary_module.h"
#include "stored/preset_list.h"
#include "win/controls.h"
#include "win/window.h"

namespace {

constexpr WORD kLockPage = 4031;
constexpr WORD kLockStatusPage = 4032;
constexpr WORD kTrayText = 3142;
constexpr WORD kMediaText = 3146;
constexpr WORD kPrintTypeText = 3144;
constexpr WORD kColourText = 3154;
constexpr WORD kNupText = 3150;
constexpr WORD kResolutionChoice = 3147;
constexpr WORD kAllNupChoice = 3151;
constexpr WORD kDefaultButton = 3158;
constexpr WORD kStatusList = 3164;
constexpr WORD kEditPage = 1003;
constexpr WORD kNupCombo = 2083;
constexpr WORD kConfirmLocks = 12034;
constexpr int kLineChars = 256;
// What an edit holds when it tells no limit of its own.
constexpr std::size_t kEditChars = 30000;

// The UI string of a raw value read through another setting's value map.
std::u16string ValueText(DriverContext* context, WORD valueField, WORD mapField) {
  SettingField* field = FindFieldById(context, mapField);
  const DWORD raw = ReadFieldRawById(context, valueField);
  const DWORD value = field ? RawToOptionIndex(context, field, raw) : raw;
  WCHAR text[kLineChars] = {};
  LoadUiString(context, SubstituteDisplayStringId(value), text, kLineChars, 1);
  return text;
}

HWND Item(PageRecord* page, WORD id) { return page && page->window ? GetDlgItem(page->window, id) : nullptr; }

// Text into an edit, cut to what the edit takes.
void ShowText(HWND edit, std::u16string text) {
  if (!edit) return;
  LRESULT limit = SendMessageW(edit, EM_GETLIMITTEXT, 0, 0);
  const std::size_t room = limit > 0 ? static_cast<std::size_t>(limit) : kEditChars;
  if (text.size() > room) text.resize(room);
  SetWindowTextW(edit, text.c_str());
}

// Every N-up kind of the edit page's combo its rule allows, one a line; or the locked kind.
std::u16string NupText(DriverContext* context) {
  if (!ReadFieldRawById(context, fid::kdmLock000InfoBitNupKindAll))
    return ValueText(context, fid::wdmLock003Info, fid::kdmNUPPOSTKind);
  std::u16string joined;
  PageRecord* edit = FindPageById(context, kEditPage);
  ControlRecord* combo = edit ? FindControlById(context, edit, kNupCombo) : nullptr;
  const ImageRef option = combo ? FindOptionByItemId(combo->itemId, context) : ImageRef{};
  if (!option) return joined;
  int guard = 4096;  // a crafted item list cannot loop for ever
  for (ImageRef item = GetOptionItems(combo->itemId, context); item && guard--; item = ItemNext(item)) {
    const WORD value = ItemValueId(item);
    if (!value || IsItemDisabled(option, value, context)) continue;
    WCHAR text[kLineChars] = {};
    LoadUiString(context, SubstituteDisplayStringId(value), text, kLineChars, 1);
    if (!joined.empty()) joined += u"\r\n";
    joined += text;
  }
  return joined;
}

// The selected preset's name and comment into their fields (empty without a selected one).
void LoadPresetTexts(DriverContext* context) {
  const int n = static_cast<int>(static_cast<std::int32_t>(ReadFieldRawById(context, fid::kdmPresetNo))) - 119;
  const WCHAR* ini = GetUserIniPath(context);
  const WCHAR* section = GetPrinterSectionName(context);
  const struct {
    int kind;
    WORD field;
  } texts[] = {{1, fid::wdmPresetName}, {2, fid::wdmPresetComment}};
  for (const auto& t : texts) {
    SettingField* field = FindFieldById(context, t.field);
    if (!field) continue;
    WCHAR text[1025] = {};
    if (n >= 0 && n <= 15 && ini && section) {
      WCHAR key[kPresetKeyChars];
      MakePresetKey(key, n, t.kind);
      ReadIniString(section, key, u"", text, 1025, ini);
    }
    SetFieldString(context, field, text);
  }
}

void ShowLockTexts(DriverContext* context, PageRecord* page) {
  const struct {
    WORD control, valueField, mapField;
  } texts[] = {
      {kTrayText, fid::wdmLock001Info, fid::dmDefaultSource},
      {kMediaText, fid::wdmLock002Info, fid::kdmMediaType},
      {kPrintTypeText, fid::wdmLock006Info, fid::kdmPrnMethod},
      {kColourText, fid::wdmLock008Info, fid::dmColor},
  };
  for (const auto& t : texts) ShowText(Item(page, t.control), ValueText(context, t.valueField, t.mapField));
  ShowText(Item(page, kNupText), NupText(context));
}

bool Checked(ControlRecord* control) {
  return control->window && SendMessageW(control->window, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

std::int32_t LockPageMessage(DriverContext* context, PageRecord* page, ControlRecord* control, DWORD message,
                             WPARAM wParam, LPARAM lParam) {
  const WORD command = LOWORD(static_cast<DWORD>(wParam));
  if (!control) {
    if (message == WM_INITDIALOG) {
      // The controls have no windows yet: the texts go to the page's children.
      LoadPresetTexts(context);
      ShowLockTexts(context, page);
      return 0;
    }
    if (message != WM_COMMAND || command != IDOK) return 0;
    if (ShowModuleWarning(context, kConfirmLocks, true) != IDOK) return 1;
    WriteFieldRawById(context, fid::wdmLock007Info, ReadFieldRawById(context, fid::kdmLockDstResolutionBoth));
    if (context->work) context->work->sheet.lockCommit = 1;
    return 0;
  }
  if (message != WM_COMMAND || command != control->controlId) return 0;
  switch (control->controlId) {
    case kResolutionChoice:
      DispatchControlCommand(context, page, control, wParam, lParam);
      WriteFieldRawById(context, fid::kdmLock000InfoBitResolution, Checked(control) ? 1 : 0);
      return 1;
    case kAllNupChoice: {
      const DWORD before = ReadFieldRawById(context, fid::kdmLock000InfoBitNupKindAll) ? 1 : 0;
      if ((Checked(control) ? 1u : 0u) == before) return 0;
      DispatchControlCommand(context, page, control, wParam, lParam);
      WriteFieldRawById(context, fid::kdmLock000InfoBitNupKindAll, before ? 0 : 1);
      ShowText(Item(page, kNupText), NupText(context));
      RefreshPage(context, page, 1);
      return 1;
    }
    case kDefaultButton:
      DispatchControlCommand(context, page, control, wParam, lParam);
      ShowText(Item(page, kNupText), NupText(context));
      RefreshPage(context, page, 1);
      return 1;
    default: return 0;
  }
}

}  // namespace

std::int32_t SettingLockModuleMessage(DriverContext* context, PageRecord* page, ControlRecord* control, DWORD message,
                                      WPARAM wParam, LPARAM lParam, void*) {
  if (!context || !page) return 0;
  if (page->pageId == kLockPage) return LockPageMessage(context, page, control, message, wParam, lParam);
  if (page->pageId == kLockStatusPage && control && control->controlId == kStatusList && message == WM_PAINT) {
    UpdateSummaryText(context, page, control);
    return 1;
  }
  return 0;
}
