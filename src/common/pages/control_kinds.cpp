// The control-kind table and the dispatch of a control's messages to its kind.
#include "pages/control_kinds.h"

#include <cstdio>
#include <cstdlib>
#include <cwchar>

#include "base/driver_context.h"
#include "fields/field_access.h"
#include "model/module_dispatch.h"
#include "base/ui_strings.h"
#include "base/wide_text.h"
#include "model/option_lookup.h"
#include "model/option_walk.h"
#include "model/rule_eval.h"
#include "modules/change_handling.h"
#include "context/page_binding.h"
#include "pages/edit_kinds.h"
#include "pages/frame_paint.h"
#include "pages/list_kinds.h"
#include "pages/slider_kinds.h"
#include "pages/static_kinds.h"
#include "win/commctrl.h"
#include "win/controls.h"

namespace {

constexpr WORD kSubclassedMark = 0;

// Handler sets as the table gives them; the slots a kind lacks stay null.
constexpr KindUpdate S = &UpdateStaticText;
constexpr KindPrefilter P = &CycleControlValue;
constexpr WNDPROC W = &ControlSubclassProc;

const ControlKind kKinds[kControlKindCount] = {
    {1, 0, nullptr, nullptr, S, nullptr, nullptr, W},
    {2, 0, P, nullptr, &UpdatePictureControl, nullptr, nullptr, W},
    {3, 0, P, nullptr, &UpdateValueIcon, nullptr, nullptr, W},
    {4, 0, nullptr, nullptr, S, nullptr, nullptr, W},
    {5, 0, nullptr, nullptr, S, nullptr, nullptr, W},
    {6, 0, nullptr, nullptr, S, nullptr, nullptr, W},
    {21, 0, nullptr, &InitSubDialogButton, S, &OnSubDialogButton, &DrawSubDialogButton, W},
    {24, 0, nullptr, &InitTwoPartButton, S, &OnSubDialogButton, &DrawSubDialogButton, W},
    {22, 0, &ToggleCheckBox, nullptr, &UpdateCheckBox, &OnCheckBoxCommand, nullptr, W},
    {41, 0, &SelectRadioButton, nullptr, &UpdateRadioButton, &OnRadioCommand, nullptr, W},
    {42, 0, nullptr, &InitValueList, &SelectListCurrent, &OnValueListCommand, nullptr, W},
    {43, 0, nullptr, &InitValueCombo, &SelectComboCurrent, &OnValueComboCommand, nullptr, W},
    {44, 0, nullptr, nullptr, S, nullptr, nullptr, W},
    {45, 0, nullptr, nullptr, S, nullptr, nullptr, W},
    {46, 0, nullptr, nullptr, S, nullptr, nullptr, W},
    {47, 0, nullptr, &InitOwnerDrawnList, nullptr, &OnValueListCommand, &DrawListItem, W},
    {48, 0, nullptr, &InitValueCombo, &UpdateOwnerDrawnCombo, &OnValueComboCommand, &DrawComboItem, W},
    {49, 0, nullptr, &InitOwnerDrawnList, nullptr, &OnValueListCommand, &DrawCheckListItem, W},
    {50, 0, nullptr, &InitPresetIconList, nullptr, &OnPresetIconListCommand, &DrawPresetIcon, W},
    {61, 0, nullptr, &InitTextEdit, &UpdateTextEdit, &OnTextEditCommand, nullptr, W},
    {62, 0, nullptr, &InitTextEdit, &UpdateTextEdit, &OnTextEditCommand, nullptr, W},
    {63, 0, nullptr, &InitNumericEdit, &UpdateNumericEdit, &OnNumericEditCommand, &OnNumericEditMessage, W},
    {23, 0, nullptr, &InitSpinBar, &UpdateSpinBar, nullptr, &OnSpinBarScroll, W},
    {64, 0, nullptr, nullptr, S, nullptr, nullptr, W},
    {65, 0, nullptr, nullptr, S, nullptr, nullptr, W},
    {81, 0, nullptr, &InitSpinBar, &UpdateSpinBar, nullptr, &OnSpinBarScroll, W},
    {82, 0, nullptr, &InitSlider, &UpdateSlider, nullptr, &OnSliderMessage, W},
    {83, 0, nullptr, nullptr, S, nullptr, nullptr, W},
    {84, 0, nullptr, &InitSlider, &UpdateSliderCustom, nullptr, &OnSliderMessage, W},
    {85, 0, nullptr, &InitTrackbar, &UpdateTrackbar, nullptr, &OnTrackbarScroll, W},
    {101, 0, nullptr, nullptr, S, nullptr, nullptr, W},
    {102, 0, nullptr, nullptr, S, nullptr, nullptr, W},
    {104, 0, nullptr, &InitTabControl, nullptr, nullptr, &OnTabMessage, W},
    {105, 0, nullptr, &InitSettingsTree, nullptr, nullptr, &IgnoreMessage, W},
};

void PostPaint(PageRecord* page) {
  if (page && page->window) PostMessageW(page->window, WM_PAINT, 0, 0);
}

}  // namespace

const ControlKind* GetControlKindTable() { return kKinds; }

const ControlKind* FindControlKind(WORD kind) {
  for (const ControlKind& k : kKinds)
    if (k.kind == kind) return &k;
  return nullptr;
}

bool NumericOptionLimits(DriverContext* context, const ControlRecord* control, std::int32_t* minimum,
                         std::int32_t* maximum) {
  const ImageRef option = ControlOption(context, control);
  if (!option || (OptionRawType(option) & 0xFF) != 0x08) return false;
  const ImageRef values = OptionValues(option);
  if (!values) return false;
  *minimum = static_cast<std::int32_t>(values.U32(16));
  *maximum = static_cast<std::int32_t>(values.U32(20));
  return *minimum <= *maximum;
}

void InitControl(DriverContext* context, PageRecord* page, ControlRecord* control) {
  if (!control) return;
  if (DispatchModuleMessage(context, page, control, WM_INITDIALOG, 0, 0)) return;
  const ControlKind* kind = FindControlKind(control->kind);
  if (!kind) return;
  if (kind->windowProc && control->window && !control->savedWindowProc) {
    const LONG_PTR previous = SetWindowLongPtrW(control->window, GWLP_WNDPROC,
                                                reinterpret_cast<LONG_PTR>(kind->windowProc));
    control->savedWindowProc = reinterpret_cast<void*>(previous);
    SetWindowLongPtrW(control->window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(control));
  }
  if (kind->init) kind->init(context, page, control);
  (void)kSubclassedMark;
}

void UpdateControl(DriverContext* context, PageRecord* page, ControlRecord* control) {
  if (!control) return;
  if (DispatchModuleMessage(context, page, control, WM_PAINT, 0, 0)) return;
  const ControlKind* kind = FindControlKind(control->kind);
  if (kind && kind->update) kind->update(context, page, control);
}

LRESULT DispatchControlCommand(DriverContext* context, PageRecord* page, ControlRecord* control, WPARAM wParam,
                               LPARAM lParam) {
  const ControlKind* kind = control ? FindControlKind(control->kind) : nullptr;
  return kind && kind->command ? kind->command(context, page, control, wParam, lParam) : 0;
}

LRESULT DispatchControlMessage(DriverContext* context, PageRecord* page, ControlRecord* control, UINT message,
                               WPARAM wParam, LPARAM lParam) {
  const ControlKind* kind = control ? FindControlKind(control->kind) : nullptr;
  if (!kind || !kind->message) return 0;
  if (message == WM_LBUTTONDOWN && control->kind == 84) return 0;
  return kind->message(context, page, control, message, wParam, lParam);
}

LRESULT RouteControlCommand(DriverContext* context, PageRecord* page, ControlRecord* control, WPARAM wParam,
                            LPARAM lParam) {
  if (!control) return 0;
  LRESULT handled = DispatchModuleMessage(context, page, control, WM_COMMAND, wParam, lParam);
  if (!handled && LOWORD(static_cast<DWORD>(wParam)) == control->controlId)
    handled = DispatchControlCommand(context, page, control, wParam, lParam);
  if (handled) PostPaint(page);
  return handled;
}

LRESULT RouteControlMessage(DriverContext* context, PageRecord* page, ControlRecord* control, UINT message,
                            WPARAM wParam, LPARAM lParam) {
  if (!control || ControlHidden(control) == 1) return 0;
  if (message == WM_RBUTTONDOWN && control->controlId == 2001) return 0;
  LRESULT handled = DispatchModuleMessage(context, page, control, message, wParam, lParam);
  if (!handled) handled = DispatchControlMessage(context, page, control, message, wParam, lParam);
  constexpr UINT kCtlColorScrollBar = 0x0137;
  if (handled && message != WM_DRAWITEM && message != WM_CTLCOLORLISTBOX && message != kCtlColorScrollBar)
    PostPaint(page);
  return handled;
}

LRESULT CycleControlValue(DriverContext* context, PageRecord*, ControlRecord* control, UINT, WPARAM, LPARAM) {
  const ImageRef option = ControlOption(context, control);
  SettingField* field = GetControlField(context, control);
  if (!option || !field) return 0;
  const DWORD current = GetFieldValue(context, field);
  // The list, and where the current value stands in it.
  DWORD values[512];
  int count = 0, at = -1;
  DWORD steps = ImageSize(option.image) / 8 + 1;
  ImageRef conditions[512];
  for (ImageRef item = OptionValues(option); item && steps-- && count < 512; item = NextOptionNode(option, item)) {
    values[count] = NextOptionValue(option, item, &conditions[count]);
    if (values[count] == current && at < 0) at = count;
    ++count;
  }
  auto qualifies = [&](int i) {
    if (values[i] == 0) return false;
    return !conditions[i] || !IsItemDisabled(option, static_cast<WORD>(values[i]), context);
  };
  for (int pass = 0; pass < 2; ++pass) {
    const int from = pass == 0 ? at + 1 : 0;
    const int to = pass == 0 ? count : count;
    for (int i = from; i < to; ++i) {
      if (qualifies(i)) {
        SetFieldValue(context, field, values[i]);
        return 1;
      }
    }
  }
  return 0;
}

void SelectComboValue(DriverContext* context, PageRecord* page, WORD controlId, DWORD value) {
  ControlRecord* control = FindControlById(context, page, controlId);
  if (!control || !control->window) return;
  const LRESULT count = SendMessageW(control->window, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    if (static_cast<DWORD>(SendMessageW(control->window, CB_GETITEMDATA, static_cast<WPARAM>(i), 0)) == value) {
      SendMessageW(control->window, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
      DispatchControlCommand(context, page, control, 0x10000 | controlId, 0);
      return;
    }
  }
}
