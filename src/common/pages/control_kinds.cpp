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
#include "pages/frame_paint.h"
#include "pages/static_kinds.h"
#include "win/commctrl.h"
#include "win/controls.h"

namespace {

constexpr WORD kSubclassedMark = 0;

// ---- the road every kind takes until its own handlers exist -----------------------------
// PENDING: the list and combo kinds' own handlers (value lists and combos, owner-drawn
// lists, the check list and the preset icon list) and the check, radio, edit, numeric, spin,
// slider and trackbar kinds' handlers replace these generic slots; until then each of those
// controls is filled and written through its window class's plain messages below. (The
// static, picture, icon, sub-dialog button, tab and tree kinds have their own handlers.)

enum class Road { None, List, Combo, Check, Radio, Text, Number, Scroll, Trackbar };

Road RoadOf(WORD kind) {
  switch (kind) {
    case 42: case 47: case 49: case 50: return Road::List;
    case 43: case 48: return Road::Combo;
    case 22: return Road::Check;
    case 41: return Road::Radio;
    case 61: case 62: return Road::Text;
    case 63: return Road::Number;
    case 23: case 81: case 82: case 84: return Road::Scroll;
    case 85: return Road::Trackbar;
    default: return Road::None;
  }
}

// The offered values of the control's list option: nonzero, not disabled.
template <typename Fn>
void ForEachOfferedValue(DriverContext* context, const ControlRecord* control, Fn fn) {
  const ImageRef option = ControlOption(context, control);
  if (!option) return;
  const ImageRef block = OptionCondition(option);
  DWORD steps = ImageSize(option.image) / 8 + 1;
  for (ImageRef item = OptionValues(option); item && steps--; item = NextOptionNode(option, item)) {
    const DWORD value = NextOptionValue(option, item, nullptr);
    if (value == 0) continue;
    if (block && IsItemDisabled(option, static_cast<WORD>(value), context)) continue;
    fn(value);
  }
}

void ValueText(DriverContext* context, DWORD value, WCHAR* text, int size) {
  text[0] = 0;
  LoadUiString(context, value, text, size, 1);
  if (!text[0]) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%lu", static_cast<unsigned long>(value));
    int i = 0;
    for (; digits[i] && i < size - 1; ++i) text[i] = static_cast<WCHAR>(digits[i]);
    text[i] = 0;
  }
}

void GenericInit(DriverContext* context, PageRecord*, ControlRecord* control) {
  HWND w = control->window;
  if (!w) return;
  const Road road = RoadOf(control->kind);
  if (road == Road::List || road == Road::Combo) {
    const bool list = road == Road::List;
    SendMessageW(w, list ? LB_RESETCONTENT : CB_RESETCONTENT, 0, 0);
    ForEachOfferedValue(context, control, [&](DWORD value) {
      WCHAR text[261];
      ValueText(context, value, text, 261);
      const LRESULT at = SendMessageW(w, list ? LB_ADDSTRING : CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
      if (at >= 0) SendMessageW(w, list ? LB_SETITEMDATA : CB_SETITEMDATA, static_cast<WPARAM>(at), value);
    });
  } else if (road == Road::Text) {
    SendMessageW(w, EM_LIMITTEXT, (control->flags & CTLF_TEXT_LIMIT_260) ? 260 : 0, 0);
  } else if (road == Road::Scroll || road == Road::Trackbar) {
    std::int32_t lo = 0, hi = 0;
    if (NumericOptionLimits(context, control, &lo, &hi)) {
      if (road == Road::Scroll) SendMessageW(w, SBM_SETRANGE, static_cast<WPARAM>(lo), hi);
      else SendMessageW(w, TBM_SETRANGE, TRUE, static_cast<LPARAM>((lo & 0xFFFF) | (hi << 16)));
    }
  }
}

void GenericUpdate(DriverContext* context, PageRecord*, ControlRecord* control) {
  HWND w = control->window;
  if (!w || !GetControlField(context, control)) return;
  const DWORD value = GetControlFieldValue(context, control);
  switch (RoadOf(control->kind)) {
    case Road::List:
    case Road::Combo: {
      const bool list = RoadOf(control->kind) == Road::List;
      const LRESULT count = SendMessageW(w, list ? LB_GETCOUNT : CB_GETCOUNT, 0, 0);
      LRESULT found = -1;
      for (LRESULT i = 0; i < count && found < 0; ++i) {
        if (static_cast<DWORD>(SendMessageW(w, list ? LB_GETITEMDATA : CB_GETITEMDATA, static_cast<WPARAM>(i), 0)) ==
            value)
          found = i;
      }
      if (SendMessageW(w, list ? LB_GETCURSEL : CB_GETCURSEL, 0, 0) != found)
        SendMessageW(w, list ? LB_SETCURSEL : CB_SETCURSEL, static_cast<WPARAM>(found), 0);
      break;
    }
    case Road::Check: SendMessageW(w, BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0); break;
    case Road::Radio:
      SendMessageW(w, BM_SETCHECK, value == control->controlId ? BST_CHECKED : BST_UNCHECKED, 0);
      break;
    case Road::Text: {
      WCHAR text[1025] = {}, shown[1025] = {};
      GetFieldString(context, GetControlField(context, control), text, 1025);
      GetWindowTextW(w, shown, 1025);
      if (!WideEquals(text, shown)) SetWindowTextW(w, text);
      break;
    }
    case Road::Number: {
      const BOOL signedValue = TRUE;
      BOOL ok = FALSE;
      const UINT shown = GetDlgItemInt(GetParent(w), control->controlId, &ok, signedValue);
      if (!ok || shown != value) SetDlgItemInt(GetParent(w), control->controlId, value, signedValue);
      break;
    }
    case Road::Scroll: SendMessageW(w, SBM_SETPOS, value, TRUE); break;
    case Road::Trackbar: SendMessageW(w, TBM_SETPOS, TRUE, static_cast<LPARAM>(value)); break;
    case Road::None: break;
  }
}

LRESULT GenericCommand(DriverContext* context, PageRecord* page, ControlRecord* control, WPARAM wParam, LPARAM) {
  HWND w = control->window;
  const WORD code = HIWORD(static_cast<DWORD>(wParam));
  if (!w || !GetControlField(context, control)) return 0;
  switch (RoadOf(control->kind)) {
    case Road::List:
    case Road::Combo: {
      const bool list = RoadOf(control->kind) == Road::List;
      if (code != (list ? LBN_SELCHANGE : CBN_SELCHANGE)) return 0;
      const LRESULT at = SendMessageW(w, list ? LB_GETCURSEL : CB_GETCURSEL, 0, 0);
      if (at < 0) return 0;
      const auto value = static_cast<DWORD>(SendMessageW(w, list ? LB_GETITEMDATA : CB_GETITEMDATA, at, 0));
      if (value != GetControlFieldValue(context, control)) SetControlValueAndApply(context, page, control, value);
      return 1;
    }
    case Road::Check:
      if (code != BN_CLICKED) return 0;
      SetControlValueAndApply(context, page, control, GetControlFieldValue(context, control) ? 0 : 1);
      return 1;
    case Road::Radio:
      if (code != BN_CLICKED) return 0;
      if (GetControlFieldValue(context, control) != control->controlId)
        SetControlValueAndApply(context, page, control, control->controlId);
      return 1;
    case Road::Text: {
      if (code != EN_KILLFOCUS) return 0;
      WCHAR text[1025] = {};
      GetWindowTextW(w, text, 1025);
      SettingField* field = GetControlField(context, control);
      WCHAR current[1025] = {};
      GetFieldString(context, field, current, 1025);
      if (WideEquals(text, current)) return 1;
      SetFieldString(context, field, text);
      ApplyControlValue(context, page, control, 0, 0);
      return 1;
    }
    case Road::Number: {
      if (code != EN_KILLFOCUS) return 0;
      BOOL ok = FALSE;
      const auto typed = static_cast<std::int32_t>(GetDlgItemInt(GetParent(w), control->controlId, &ok, TRUE));
      if (!ok) return 1;
      std::int32_t lo = 0, hi = 0;
      std::int32_t value = typed;
      if (NumericOptionLimits(context, control, &lo, &hi)) value = value < lo ? lo : value > hi ? hi : value;
      if (static_cast<DWORD>(value) != GetControlFieldValue(context, control))
        SetControlValueAndApply(context, page, control, static_cast<DWORD>(value));
      return 1;
    }
    default: return 0;
  }
}

LRESULT GenericMessage(DriverContext* context, PageRecord* page, ControlRecord* control, UINT message, WPARAM wParam,
                       LPARAM lParam) {
  const Road road = RoadOf(control->kind);
  if ((road == Road::Scroll || road == Road::Trackbar) && (message == WM_HSCROLL || message == WM_VSCROLL) &&
      reinterpret_cast<HWND>(lParam) == control->window) {
    const LRESULT pos = SendMessageW(control->window, road == Road::Scroll ? SBM_GETPOS : TBM_GETPOS, 0, 0);
    std::int32_t value = static_cast<std::int32_t>(pos);
    const WORD code = LOWORD(static_cast<DWORD>(wParam));
    if (road == Road::Scroll) {
      if (code == SB_LINEUP) --value;
      else if (code == SB_LINEDOWN) ++value;
      else if (code == SB_THUMBPOSITION) value = static_cast<std::int16_t>(HIWORD(static_cast<DWORD>(wParam)));
    }
    std::int32_t lo = 0, hi = 0;
    if (NumericOptionLimits(context, control, &lo, &hi)) value = value < lo ? lo : value > hi ? hi : value;
    // A spin bar edits its buddy's setting.
    ControlRecord* target = control;
    if (control->linkedId && page)
      if (ControlRecord* buddy = FindControlById(context, page, control->linkedId)) target = buddy;
    if (static_cast<DWORD>(value) != GetControlFieldValue(context, target))
      SetControlValueAndApply(context, page, target, static_cast<DWORD>(value));
    return 1;
  }
  (void)wParam;
  return 0;
}

// Handler sets as the table gives them; the slots a kind lacks stay null.
constexpr KindInit I = &GenericInit;
constexpr KindUpdate U = &GenericUpdate;
constexpr KindUpdate S = &UpdateStaticText;
constexpr KindCommand C = &GenericCommand;
constexpr KindMessage M = &GenericMessage;
constexpr KindPrefilter P = &CycleControlValue;
constexpr WNDPROC W = &ControlSubclassProc;

const ControlKind kKinds[kControlKindCount] = {
    {1, 0, nullptr, nullptr, S, nullptr, nullptr, W},   {2, 0, P, nullptr, &UpdatePictureControl, nullptr, nullptr, W},
    {3, 0, P, nullptr, &UpdateValueIcon, nullptr, nullptr, W},         {4, 0, nullptr, nullptr, S, nullptr, nullptr, W},
    {5, 0, nullptr, nullptr, S, nullptr, nullptr, W},   {6, 0, nullptr, nullptr, S, nullptr, nullptr, W},
    {21, 0, nullptr, &InitSubDialogButton, S, &OnSubDialogButton, &DrawSubDialogButton, W},
    {24, 0, nullptr, &InitTwoPartButton, S, &OnSubDialogButton, &DrawSubDialogButton, W},
    {22, 0, nullptr, nullptr, U, C, nullptr, W},        {41, 0, nullptr, nullptr, U, C, nullptr, W},
    {42, 0, nullptr, I, U, C, nullptr, W},              {43, 0, nullptr, I, U, C, nullptr, W},
    {44, 0, nullptr, nullptr, S, nullptr, nullptr, W},  {45, 0, nullptr, nullptr, S, nullptr, nullptr, W},
    {46, 0, nullptr, nullptr, S, nullptr, nullptr, W},  {47, 0, nullptr, I, nullptr, C, M, W},
    {48, 0, nullptr, I, U, C, M, W},                    {49, 0, nullptr, I, nullptr, C, M, W},
    {50, 0, nullptr, I, nullptr, C, M, W},              {61, 0, nullptr, I, U, C, nullptr, W},
    {62, 0, nullptr, I, U, C, nullptr, W},              {63, 0, nullptr, I, U, C, M, W},
    {23, 0, nullptr, I, U, nullptr, M, W},              {64, 0, nullptr, nullptr, S, nullptr, nullptr, W},
    {65, 0, nullptr, nullptr, S, nullptr, nullptr, W},  {81, 0, nullptr, I, U, nullptr, M, W},
    {82, 0, nullptr, I, U, nullptr, M, W},              {83, 0, nullptr, nullptr, S, nullptr, nullptr, W},
    {84, 0, nullptr, I, U, nullptr, M, W},              {85, 0, nullptr, I, U, nullptr, M, W},
    {101, 0, nullptr, nullptr, S, nullptr, nullptr, W}, {102, 0, nullptr, nullptr, S, nullptr, nullptr, W},
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
