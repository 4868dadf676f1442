// Page refresh: hidden and greyed controls from the rules, lock markers, re-initialised
// controls and the values shown.
#include "modules/page_refresh.h"

#include <initializer_list>

#include "fields/change_flags.h"
#include "fields/devmode_header.h"
#include "base/driver_context.h"
#include "fields/field_access.h"
#include "fields/field_table.h"
#include "model/module_dispatch.h"
#include "base/paths_and_names.h"
#include "base/ui_strings.h"
#include "model/units.h"
#include "field_ids.h"
#include "model/option_lookup.h"
#include "model/rule_eval.h"
#include "context/module_events.h"
#include "pages/control_kinds.h"
#include "context/page_binding.h"
#include "pages/page_cursors.h"
#include "context/page_wiring.h"
#include "context/ui_picture_paint.h"
#include "stored/preset_list.h"
#include "win/commctrl.h"
#include "win/controls.h"
#include "win/msgbox.h"

namespace {

constexpr WORD kRuleFieldKind = 1;
constexpr WORD kRuleOperatorKind = 3;
constexpr WORD kRuleReturn = 10;
constexpr WORD kPresetNoneValue = 118;
constexpr int kPresetBase = 119;
constexpr DWORD kMarkerStyle = 0x5081000E;
constexpr int kMarkerSize = 20;
constexpr UINT kTabGetCurSel = 0x130B;  // TCM_GETCURSEL

// Fields a written preset keeps: their change marks do not drop the preset selection.
constexpr WORD kPresetKeepFields[] = {fid::wdmPresetName, fid::kdmUIModeChange, fid::kdmLogCode, fid::wdmChapterNum};

WNDPROC g_staticProc = nullptr;  // the STATIC class procedure the markers replace
HWND g_focusedMarker = nullptr;   // took the focus since its last paint: gets a focus rectangle
constexpr DWORD kLockPicture = 7006;

// The marker's rectangle on its page, invalidated with erase.
void InvalidateMarker(HWND marker) {
  HWND page = GetParent(marker);
  RECT r{};
  GetWindowRect(marker, &r);
  POINT corners[2] = {{r.left, r.top}, {r.right, r.bottom}};
  if (page) {
    ScreenToClient(page, &corners[0]);
    ScreenToClient(page, &corners[1]);
    RECT onPage{corners[0].x, corners[0].y, corners[1].x, corners[1].y};
    InvalidateRect(page, &onPage, TRUE);
  }
  InvalidateRect(marker, nullptr, TRUE);
}

bool IsListOption(ImageRef option) {
  const BYTE low = static_cast<BYTE>(OptionRawType(option));
  return low == 1 || low == 2;
}

bool FieldMarked(DriverContext* context, WORD id) {
  const SettingField* f = FindFieldById(context, id);
  return f && GetFieldChangeMark(f) == 1;
}

// The preset selection drops when the user changed a setting the preset fixes.
void DropPresetSelection(DriverContext* context, PageRecord* page) {
  if (page->pageId == 1007 || page->pageId == 1032) return;
  // The field holds the preset's index; its value (through the preset map) is 119 + n.
  const int n = static_cast<int>(GetFieldValueById(context, fid::kdmPresetNo)) - kPresetBase;
  if (n < 0 || n > 15) return;
  if (ReadFieldRawById(context, fid::KPD_kdmPresentUIMode) != 0) return;
  if (FieldMarked(context, fid::kdmPresetNo)) return;
  if (page->pageId == 1011 && context->work->sheet.optionsCheckShowing) return;
  const SettingField* nameField = GetControlField(context, FindControlById(context, nullptr, 2146));
  for (int i = 0; i < context->fields.count; ++i) {
    const SettingField& f = context->fields.records[i];
    if (GetFieldChangeMark(&f) != 1) continue;
    bool keep = &f == nameField;
    for (WORD id : kPresetKeepFields) keep = keep || f.id == id;
    if (keep) continue;
    SetFieldValueById(context, fid::kdmPresetNo, kPresetNoneValue);
    ReinitPresetNameControls(context, page);
    ApplyPresetByIndex(context, -1);
    return;
  }
}

// Inputs outside the control's own field whose change re-evaluates it.
bool ListedInputChanged(DriverContext* context, PageRecord* page, ControlRecord* c) {
  if (const auto* sample = static_cast<const WORD*>(GetControlExtraData(c, 1))) {
    for (int i = 0; i < 6; ++i)
      if (FieldMarked(context, sample[3 + i])) return true;
  }
  if (FieldMarked(context, fid::kdmFuncSelectWaterMark)) return true;
  if (ReadFieldRawById(context, fid::kdmFuncSelectWaterMark) != 0) {
    if (const auto* preview = static_cast<const WORD*>(GetControlExtraData(c, 8))) {
      for (int i = 0; i < 14; ++i)
        if (preview[1 + i] && FieldMarked(context, preview[1 + i])) return true;
    }
  }
  if (ReadFieldRawById(context, fid::kdmFuncSelectCopyProtect) != 0) {
    for (WORD id = 512; id <= 529; ++id)
      if (id != 521 && FieldMarked(context, id)) return true;
  }
  if (page->pageId == 1017 || page->pageId == 1041) {
    for (WORD id : {918, 919, 342, 343, 346, 347, 1167, 1168, 1163, 1164, 1165, 1166})
      if (FieldMarked(context, id)) return true;
  }
  if (page->pageId == 4024)
    for (WORD id : {604, 605, 606})
      if (FieldMarked(context, id)) return true;
  if (page->pageId == 4031 && FieldMarked(context, 10422)) return true;
  return false;
}

bool TabHides(DriverContext* context, PageRecord* page, ControlRecord* c) {
  for (int i = 0; i < page->controlCount; ++i) {
    ControlRecord& tab = page->controls[i];
    if (tab.kind != 104) continue;
    struct TabRecord {
      WORD title;
      WORD count;
      const WORD* ids;
    };
    struct TabBlock {
      WORD type;
      WORD count;
      const TabRecord* tabs;
    };
    const auto* block = static_cast<const TabBlock*>(GetControlExtraData(&tab, 6));
    if (!block || !tab.window) return false;
    const auto selected = static_cast<int>(SendMessageW(tab.window, kTabGetCurSel, 0, 0));
    for (int t = 0; t < block->count; ++t) {
      if (t == selected) continue;
      for (int k = 0; k < block->tabs[t].count; ++k)
        if (block->tabs[t].ids[k] == c->controlId) return true;
    }
    (void)context;
    return false;
  }
  return false;
}

void PlaceMarker(HWND marker, HWND control) {
  RECT r{};
  GetWindowRect(control, &r);
  POINT p{r.left, r.top};
  HWND parent = GetParent(control);
  ScreenToClient(parent, &p);
  const int height = r.bottom - r.top;
  int x = p.x - kMarkerSize;
  int y = height <= kMarkerSize ? p.y + height - kMarkerSize : p.y;
  if (x < 0) x = 0;
  if (y < 0) y = 0;
  MoveWindow(marker, x, y, kMarkerSize, kMarkerSize, FALSE);
}

void AddMarker(HWND page, ControlRecord* c) {
  if (!c->window || FindLockMarker(page, c)) return;
  HWND marker = CreateWindowExW(0, u"Static", u"", kMarkerStyle, 0, 0, kMarkerSize, kMarkerSize, page,
                                reinterpret_cast<HMENU>(static_cast<ULONG_PTR>(LockMarkerIdOf(c->controlId))),
                                nullptr, nullptr);
  if (!marker) return;
  SetWindowLongPtrW(marker, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(c));
  const LONG_PTR previous = SetWindowLongPtrW(marker, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&LockMarkerProc));
  if (!g_staticProc) g_staticProc = reinterpret_cast<WNDPROC>(previous);
  PlaceMarker(marker, c->window);
  // Just after its control in z-order, so that it is the control's neighbour for the focus.
  SetWindowPos(marker, c->window, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void RemoveMarker(HWND page, ControlRecord* c) {
  if (HWND marker = FindLockMarker(page, c)) DestroyWindow(marker);
}

void UpdateLockMarker(DriverContext* context, PageRecord* page, ControlRecord* c, bool enabledChanged,
                      DWORD greyed, DWORD hidden) {
  const bool locked = IsControlRuleLocked(context, c) != 0;
  const bool marked = c->infoId != 0 || (c->runtimeMarks & 1u);
  const bool hasMarker = FindLockMarker(page->window, c) != nullptr;
  if (enabledChanged) {
    if (!(c->infoId || c->lockMessageId) || hidden) return;
    if ((GetStateByte(context, fid::KPD_kdmOSKind) == 1 || GetStateByte(context, fid::KPD_kdmOSKind) == 2) &&
        GetStateByte(context, fid::KPD_kdmNoPermission) == 1 && GetStateByte(context, fid::KPD_kdmCallSrc) == 1) {
      c->infoId = 0;
      c->lockMessageId = 0;
      c->lockFieldId = 0;
      return;
    }
    if (!locked && !(greyed && marked)) RemoveMarker(page->window, c);
    else if (!locked || !hasMarker) AddMarker(page->window, c);
    return;
  }
  if (locked && !hasMarker) AddMarker(page->window, c);
  else if (!locked && !(greyed && marked) && hasMarker) RemoveMarker(page->window, c);
}

void MoveFocusFrom(HWND focus) {
  if (!focus || IsWindowEnabled(focus)) return;
  HWND parent = GetParent(focus);
  int wraps = 0;
  for (HWND w = GetWindow(focus, GW_HWNDNEXT);; w = GetWindow(w, GW_HWNDNEXT)) {
    if (!w) {
      if (++wraps >= 2 || !parent) return;
      w = GetWindow(parent, GW_CHILD);
      if (!w) return;
    }
    if (w == focus && wraps) return;
    if (IsWindowEnabled(w) && IsWindowVisible(w)) {
      SetFocus(w);
      return;
    }
  }
}

}  // namespace

WORD LockMarkerIdOf(WORD controlId) { return static_cast<WORD>(kLockMarkerIdBase + controlId); }

HWND FindLockMarker(HWND page, const ControlRecord* control) {
  if (!page || !control) return nullptr;
  HWND marker = GetDlgItem(page, LockMarkerIdOf(control->controlId));
  if (!marker || GetWindowLongPtrW(marker, GWLP_USERDATA) != reinterpret_cast<LONG_PTR>(control)) return nullptr;
  return marker;
}

DWORD IsControlOptionDisabled(DriverContext* context, ImageRef option, WORD controlId) {
  if (!option) return 0;
  DWORD r = IsItemDisabled(option, 0, context) ? 1 : 0;
  if (r == 0 && IsListOption(option)) r = IsItemDisabled(option, controlId, context) ? 1 : 0;
  return r;
}

DWORD GetControlGreyState(DriverContext* context, PageRecord* page, ControlRecord* control) {
  if (!control) return 0;
  const WORD entryState = control->state;
  const ImageRef option = ControlOption(context, control);
  GreyStateEventBlock block{control, page, 0, ControlGreyed(control), control->option};
  NotifyModules(context, MODEV_GREY_STATE, &block);
  DWORD r;
  if (block.answered || !option) {
    r = ControlGreyed(control);
  } else {
    r = IsItemHidden(option, 0, context) ? 1 : 0;
    if (r == 0 && IsListOption(option)) r = IsItemHidden(option, control->controlId, context) ? 1 : 0;
  }
  control->state = entryState;
  return r;
}

int RuleReadsChangedField(DriverContext* context, ImageRef program) {
  if (!program) return 0;
  const DWORD size = ImageSize(program.image);
  for (DWORD at = program.offset; at >= kModelHeaderSize && at <= size && size - at >= 4; at += 4) {
    const BYTE* w = ImageBytes(program.image) + at;
    const WORD kind = LoadU16(w), operand = LoadU16(w + 2);
    if (kind == kRuleOperatorKind && operand == kRuleReturn) return 0;
    if (kind == kRuleFieldKind && FieldMarked(context, operand)) return 1;
  }
  return 0;
}

namespace {
int ConditionRulesRead(DriverContext* context, ImageRef option, DWORD blockSlot, DWORD itemSlot) {
  const ImageRef block = OptionCondition(option);
  if (!block) return 0;
  if (RuleReadsChangedField(context, block.Tagged(blockSlot))) return 1;
  DWORD steps = ImageSize(block.image) / kItemConditionSize + 1;
  for (ImageRef ic = block.Tagged(cond::kItems); ic && steps--; ic = ic.Tagged(itemcond::kNext))
    if (RuleReadsChangedField(context, ic.Tagged(itemSlot))) return 1;
  return 0;
}
}  // namespace

int GreyInputsChanged(DriverContext* context, PageRecord* page, ControlRecord* control) {
  if (ControlGreyed(control) != GetControlGreyState(context, page, control)) return 1;
  const ImageRef option = ControlOption(context, control);
  return option ? ConditionRulesRead(context, option, cond::kHide, itemcond::kHide) : 0;
}

int HideInputsChanged(DriverContext* context, ControlRecord* control) {
  const ImageRef option = ControlOption(context, control);
  if (ControlHidden(control) != IsControlOptionDisabled(context, option, control->controlId)) return 1;
  return option ? ConditionRulesRead(context, option, cond::kDisable, itemcond::kDisable) : 0;
}

void RefreshPage(DriverContext* context, PageRecord* page, int full) {
  if (!context || !context->work || !page) return;
  PageEngineState& sheet = context->work->sheet;
  if (sheet.refreshSuspended || sheet.refreshGuard) return;
  HWND focus = GetFocus();
  sheet.refreshGuard = 1;
  // 2. The preset selection.
  DropPresetSelection(context, page);
  // 3. Whether the preset icons repaint: any change but the copies.
  const SettingField* copies = FindFieldById(context, fid::dmCopies);
  bool repaintIcons = false;
  if (GetDirtyFlag(context)) {
    for (int i = 0; i < context->fields.count && !repaintIcons; ++i) {
      const SettingField& f = context->fields.records[i];
      repaintIcons = &f != copies && GetFieldChangeMark(&f) == 1;
    }
  }
  SetDirtyFlag(context, 0);
  // 4.
  if (FieldMarked(context, fid::dmOrientation)) ReinitDuplexChoices(context, page);
  // 5.
  if (full) {
    for (int i = 0; i < context->fields.count; ++i) SetFieldChangeMark(&context->fields.records[i], 1);
  }
  // 6.
  for (int i = 0; i < page->controlCount && page->controls; ++i) {
    ControlRecord* c = &page->controls[i];
    if (!c->window && page->window) c->window = GetDlgItem(page->window, c->controlId);
    if (!c->window) continue;
    if (c->kind == 50 && ControlHidden(c) != 1 && (full || repaintIcons)) InvalidateRect(c->window, nullptr, FALSE);
    const DWORD changeFlags = GetChangeFlags(context);
    const SettingField* own = GetControlField(context, c);
    if (c->flags & changeFlags & CTLF_REINIT_MASK) {
      InitControl(context, page, c);
      ClearChangeFlags(context, c->flags & changeFlags & CTLF_REINIT_MASK);
    } else if (GreyInputsChanged(context, page, c) || HideInputsChanged(context, c)) {
      if (c->kind >= 42 && c->kind <= 49 && !(c->flags & CTLF_NO_STATE_REINIT) && !(c->runtimeMarks & 2u))
        InitControl(context, page, c);
    } else if (!full && (!own || GetFieldChangeMark(own) != 1)) {
      RECT update{};
      const bool needsPaint = GetUpdateRect(c->window, &update, FALSE) != FALSE;
      if (!ListedInputChanged(context, page, c) && c->controlId != 2406 && !needsPaint) continue;
    }
    c->runtimeMarks &= ~2u;
    // Hidden.
    const ImageRef option = ControlOption(context, c);
    if (option) {
      DWORD hidden = IsControlOptionDisabled(context, option, c->controlId);
      if (hidden == 0 && TabHides(context, page, c)) hidden = 1;
      SetControlHidden(c, hidden);
    }
    PageControlEventBlock hideBlock{page, c};
    NotifyModules(context, MODEV_HIDDEN_STATE, &hideBlock);
    if (page->pageId == 1011 && c->controlId == 2 && sheet.optionsCheckShowing) SetControlHidden(c, 1);
    // Greyed.
    const DWORD hidden = ControlHidden(c);
    const DWORD greyed = hidden ? 1 : GetControlGreyState(context, page, c);
    SetControlGreyed(c, greyed);
    // The window.
    const bool enabled = IsWindowEnabled(c->window) != FALSE;
    const bool enabledChanged = enabled == (greyed != 0);
    if (enabledChanged) {
      const bool enable = greyed == 0 || c->controlId == 2164;
      EnableWindow(c->window, enable ? TRUE : FALSE);
      if (c->kind == 23) EnableScrollBar(c->window, SB_CTL, enable ? ESB_ENABLE_BOTH : ESB_DISABLE_BOTH);
      if (c->kind == 50 || c->kind == 47) InvalidateRect(c->window, nullptr, TRUE);
    }
    UpdateLockMarker(context, page, c, enabledChanged, greyed, hidden);
    if ((IsWindowVisible(c->window) != FALSE) != (hidden == 0)) ShowWindow(c->window, hidden ? SW_HIDE : SW_SHOW);
    // The value.
    if ((hidden == 0 || (c->flags & CTLF_USER_UNITS)) && !(c->kind == 23 && greyed)) UpdateControl(context, page, c);
  }
  // 7.
  ClearAllFieldChangeMarks(context);
  // 8.
  for (int i = 0; i < page->controlCount && page->controls && page->window; ++i)
    if (HWND marker = FindLockMarker(page->window, &page->controls[i])) InvalidateRect(marker, nullptr, TRUE);
  // 9.
  MoveFocusFrom(focus);
  sheet.refreshGuard = 0;
}

LRESULT LockMarkerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* control = reinterpret_cast<ControlRecord*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  HWND page = GetParent(window);
  DriverContext* context =
      page ? reinterpret_cast<DriverContext*>(GetWindowLongPtrW(page, DWLP_USER)) : nullptr;
  constexpr UINT kNcPaint = 0x0085;
  switch (message) {
    case WM_NCHITTEST: {
      const POINT screen{static_cast<std::int16_t>(LOWORD(static_cast<DWORD>(lParam))),
                         static_cast<std::int16_t>(HIWORD(static_cast<DWORD>(lParam)))};
      RECT r{};
      GetWindowRect(window, &r);
      if (screen.x < r.left || screen.x >= r.right || screen.y < r.top || screen.y >= r.bottom) break;
      // The hand, and the mouse until it leaves; a hand pressed on the marker stays pressed.
      if (context && !IsPageHandCursor(context, GetCursor(), true)) {
        ShowPageHand(context, true);
        SetCapture(window);
      }
      return HTCLIENT;
    }
    case WM_SETCURSOR:
      // The hand stays: the standard procedure would put the class cursor back.
      if (IsPageHandCursor(context, GetCursor(), true)) return TRUE;
      break;
    case WM_MOUSEMOVE: {
      const POINT at{static_cast<std::int16_t>(LOWORD(static_cast<DWORD>(lParam))),
                     static_cast<std::int16_t>(HIWORD(static_cast<DWORD>(lParam)))};
      RECT client{};
      GetClientRect(window, &client);
      if (at.x < client.left || at.x >= client.right || at.y < client.top || at.y >= client.bottom) {
        if (GetCapture() == window) ReleaseCapture();
        RestorePageCursor(context);  // the hand leaves with the pointer
      }
      return 0;
    }
    case WM_LBUTTONDOWN:
      PressPageHand(context, true);
      return 0;
    case WM_LBUTTONUP:
    case WM_KEYUP:
      if (message == WM_KEYUP && wParam != VK_SPACE) break;
      PressPageHand(context, false);
      if (context && control) {
        const bool lockText = (control->runtimeMarks & 1u) || IsControlRuleLocked(context, control);
        const WORD id = lockText ? control->lockMessageId : control->infoId;
        WCHAR text[1025] = {};
        LoadUiString(context, id, text, 1025, 1);
        const WCHAR* caption = GetPrinterDisplayName(context);
        MessageBoxW(control->window, text, caption ? caption : u"", MB_ICONINFORMATION);
      }
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps{};
      HDC dc = BeginPaint(window, &ps);
      if (context) {
        PageRecord* record = page ? FindPageByWindow(context, page) : nullptr;
        DrawNamedPicture(context, record, control, window, nullptr, kLockPicture, 0, FALSE);
      }
      if (g_focusedMarker == window && GetFocus() == window && dc) {
        RECT client{};
        GetClientRect(window, &client);
        DrawFocusRect(dc, &client);
      }
      if (g_focusedMarker == window) g_focusedMarker = nullptr;
      EndPaint(window, &ps);
      return 0;
    }
    case WM_SETFOCUS:
      g_focusedMarker = window;
      InvalidateMarker(window);
      break;
    case WM_KILLFOCUS:
      InvalidateMarker(window);
      break;
    case kNcPaint: return 0;
    default: break;
  }
  return g_staticProc ? CallWindowProcW(g_staticProc, window, message, wParam, lParam)
                      : DefWindowProcW(window, message, wParam, lParam);
}
