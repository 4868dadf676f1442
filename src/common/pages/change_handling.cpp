// Change handling: alerts, transacts and follow-up pages.
#include "modules/change_handling.h"

#include "fields/change_flags.h"
#include "fields/dictionary_lookup.h"
#include "base/driver_context.h"
#include "fields/field_access.h"
#include "model/module_dispatch.h"
#include "base/paths_and_names.h"
#include "base/ui_strings.h"
#include "model/work_area.h"
#include "field_ids.h"
#include "model/option_lookup.h"
#include "model/rule_apply.h"
#include "model/rule_eval.h"
#include "context/module_events.h"
#include "context/page_binding.h"
#include "stored/page_opening.h"
#include "modules/page_refresh.h"
#include "pages/help_tips.h"
#include "stored/preset_list.h"
#include "win/controls.h"
#include "win/msgbox.h"
#include "win/prsht.h"

namespace {

constexpr WORD kStoredIllegalText = 10011;
constexpr WORD kCustomSizePage = 1017;
constexpr WORD kPresetIconList = 2001;
constexpr std::int32_t kPresetBase = 119;

std::int32_t PresetNo(DriverContext* context) {
  return static_cast<std::int32_t>(ReadFieldRawById(context, fid::kdmPresetNo));
}

// A rule or an alert action selected another preset: apply it and show it.
bool ReselectPreset(DriverContext* context, PageRecord* page, std::int32_t before) {
  const std::int32_t now = PresetNo(context);
  if (now == before) return false;
  // The field holds the preset's index; its value (through the preset map) is 119 + n.
  const int n = static_cast<int>(GetFieldValueById(context, fid::kdmPresetNo)) - kPresetBase;
  ApplyPresetByIndex(context, n);
  WriteFieldRawById(context, fid::kdmPresetNo, static_cast<DWORD>(now));
  if (ControlRecord* icons = FindControlById(context, page, kPresetIconList)) {
    if (icons->window) SendMessageW(icons->window, LB_SETCURSEL, static_cast<WPARAM>(n), 0);
    RefreshPage(context, page, 1);
  }
  return true;
}

// The page's control bound to the option, or null.
ControlRecord* FindControlOfOption(DriverContext* context, PageRecord* page, ImageRef option) {
  for (int i = 0; page && i < page->controlCount; ++i)
    if (ControlOption(context, &page->controls[i]) == option) return &page->controls[i];
  return nullptr;
}

void CloseTip(DriverContext* context, PageRecord* page) {
  SetTipPopup(context, nullptr, page ? page->window : nullptr, 0, 0);
}

}  // namespace

bool AnyFieldChanged(DriverContext* context) { return AnyFieldChangeMarked(context); }

void ClearDirtyOptions(DriverContext* context) { ClearAllFieldChangeMarks(context); }

int ShowAlertBox(DriverContext* context, ImageRef alert, HWND owner) {
  if (!context || !alert) return 0;
  const MessageEntry* entry = FindMessageEntry(context, alert.U16(alert::kMessageId));
  if (!entry) return 0;
  WCHAR caption[261] = {};
  if (entry->captionId) LoadUiString(context, entry->captionId, caption, 261, 1);
  else if (const WCHAR* name = GetPrinterDisplayName(context)) {
    int i = 0;
    for (; name[i] && i < 260; ++i) caption[i] = name[i];
    caption[i] = 0;
  }
  WCHAR* text = context->work->scratchText;
  text[0] = 0;
  LoadUiString(context, entry->textId, text, 1025, 1);
  if (owner) PostMessageW(owner, WM_PAINT, 0, 0);
  const UINT type = static_cast<UINT>(alert.U16(alert::kButtons)) | alert.U16(alert::kIcon);
  return MessageBoxW(owner, text, caption, type);
}

int ApplyControlValue(DriverContext* context, PageRecord* page, ControlRecord* control, DWORD value, int mode) {
  if (!context || !page) return 0;
  CloseTip(context, page);
  DWORD old = 0;
  if (mode == 1) {
    old = GetControlFieldValue(context, control);
    SetControlFieldValue(context, control, value);
  }
  const ImageRef option = ControlOption(context, control);
  if (!option) return 0;
  const std::int32_t preset = PresetNo(context);
  // While the sheet applies, the test leaves no trace in the field records.
  FieldStateBlock* saved = context->work->sheet.applyInProgress ? SaveFieldStates(context) : nullptr;
  const WORD active = FindActiveAlert(option, context);
  if (saved) RestoreFieldStates(context, saved);
  if (active < 1) {
    OpenFollowUpPage(context, page, option, control ? control->afterChange : 0);
    ReselectPreset(context, page, preset);
    return 0;
  }
  const ImageRef block = OptionCondition(option);
  const ImageRef alerts = block ? block.Tagged(cond::kAlerts) : ImageRef{};
  const ImageRef alert = alerts ? FindActiveAlertEntry(alerts, context) : ImageRef{};
  if (!alert) return 0;
  int answer;
  if (control && control->kind == 63) {
    // The numeric edit's box comes after the edit lost the focus; the change stands.
    PostMessageW(page->window, PAGEMSG_DEFERRED_ALERT, control->controlId, static_cast<LPARAM>(alert.offset));
    answer = IDOK;
  } else {
    answer = ShowAlertBox(context, alert, page->window);
  }
  const MessageEntry* entry = FindMessageEntry(context, alert.U16(alert::kMessageId));
  if (ReadFieldRawById(context, fid::kdmPrnMethod) == 56 && entry && entry->textId == kStoredIllegalText) {
    RunAlertActionForControl(option, alert, static_cast<WORD>(answer), context);
    return 0;
  }
  const WORD buttons = alert.U16(alert::kButtons);
  const WORD icon = alert.U16(alert::kIcon);
  if ((buttons == MB_OKCANCEL && answer == IDOK) || (buttons == 0 && icon == MB_ICONINFORMATION)) {
    RunAlertActionForControl(option, alert, static_cast<WORD>(answer), context);
    ReselectPreset(context, page, preset);
    return 0;
  }
  if (mode == 1) SetControlFieldValue(context, control, old);
  RunAlertActionForControl(option, alert, static_cast<WORD>(answer), context);
  NotifyModules(context, MODEV_CHANGE_REFUSED, nullptr);
  ControlRecord* changed = control;
  if (ReselectPreset(context, page, preset)) changed = FindControlById(context, page, kPresetIconList);
  DispatchModuleMessage(context, page, changed, PAGEMSG_REFUSED, alert.U16(alert::kMessageId), 0);
  return 1;
}

int SetControlValueAndApply(DriverContext* context, PageRecord* page, ControlRecord* control, DWORD value) {
  return ApplyControlValue(context, page, control, value, 1);
}

void ShowDeferredAlert(DriverContext* context, PageRecord* page, WPARAM controlId, LPARAM alertOffset) {
  if (!context || !page || !context->model || alertOffset == 0) return;
  ControlRecord* control = FindControlById(context, page, static_cast<WORD>(controlId));
  if (!control) return;
  const ImageRef alert = ImageRef{context->model, 0}.At(static_cast<DWORD>(alertOffset));
  if (!alert) return;
  ShowAlertBox(context, alert, page->window);
  if (control->window) SetFocus(control->window);
}

int CheckAlertAndFollowUp(DriverContext* context, PageRecord* page, ImageRef option) {
  if (!context || !option || FindActiveAlert(option, context) <= 0) return 0;
  const ImageRef block = OptionCondition(option);
  const ImageRef alerts = block ? block.Tagged(cond::kAlerts) : ImageRef{};
  if (!alerts) return 0;
  const ImageRef alert = FindActiveAlertEntry(alerts, context);
  if (!alert) return 0;
  const int result = ShowAlertBox(context, alert, page ? page->window : nullptr);
  const WORD pageId = RunAlertActionForControl(option, alert, static_cast<WORD>(result), context);
  if (pageId == 0 || !page) return result;
  context->work->sheet.followUpGuard = 1;
  context->work->sheet.followUpOption = option.Bytes();
  if (ShowPage(context, SHOWPAGE_SUBDIALOG, pageId, page->window) == 2) RefreshPage(context, page, 1);
  return result;
}

int OpenFollowUpPage(DriverContext* context, PageRecord* page, ImageRef option, WORD afterChange) {
  if (!context || !option) return 0;
  PageEngineState& sheet = context->work->sheet;
  if (sheet.followUpGuard && sheet.followUpOption == option.Bytes()) return 0;
  FollowUpEventBlock block{page, option.Bytes(), FindControlOfOption(context, page, option), 0};
  NotifyModules(context, MODEV_FOLLOW_UP_PAGE, &block);
  const WORD pageId = ApplyOptionTransacts(option, context);
  ResetStateByType(context, afterChange);
  if (pageId == 0 || !page) return 0;
  sheet.followUpGuard = 1;
  sheet.followUpOption = option.Bytes();
  if (pageId == kCustomSizePage) sheet.freeSizeOpener = block.control;
  if (ShowPage(context, SHOWPAGE_SUBDIALOG, pageId, page->window) == 2) RefreshPage(context, page, 1);
  return 1;
}

void ClearFollowUpGuard(DriverContext* context, UINT message, WORD commandId, const NMHDR* header, int force) {
  if (!context || !context->work) return;
  bool clear = force == 1;
  if (message == WM_NOTIFY && header && (header->code == PSN_APPLY || header->code == PSN_RESET))
    clear = true;
  if (message == WM_COMMAND && (commandId == 1 || commandId == 2 || (commandId >= 6 && commandId <= 8))) clear = true;
  if (!clear) return;
  context->work->sheet.followUpGuard = 0;
  context->work->sheet.followUpOption = nullptr;
}
