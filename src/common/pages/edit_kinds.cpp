// Check boxes, radio buttons, text edits and numeric edits.
#include "pages/edit_kinds.h"

#include <climits>

#include "base/driver_context.h"
#include "base/settings_field.h"
#include "base/ui_strings.h"
#include "base/wide_text.h"
#include "context/module_events.h"
#include "context/page_binding.h"
#include "fields/field_access.h"
#include "fields/locale_text.h"
#include "field_ids.h"
#include "model/model_image.h"
#include "model/model_parse.h"
#include "model/module_dispatch.h"
#include "model/option_lookup.h"
#include "model/units.h"
#include "modules/change_handling.h"
#include "win/controls.h"
#include "win/kernel.h"

namespace {

constexpr int kTextChars = 1025;
// The largest integer parts in the user's unit whose 1200-dpi value fits 31 bits.
constexpr long long kMetricIntegerLimit = 45455070;
constexpr long long kInchIntegerLimit = 1789569;

bool HasField(DriverContext* context, ControlRecord* control) {
  return context && control && GetControlField(context, control);
}

bool InUserUnits(const ControlRecord* control) { return (control->flags & CTLF_USER_UNITS) != 0; }

// The option's numeric value record: {u16 unit string, u16 characters, u16 scale, u16 page
// step, ..., i32 minimum at 16, i32 maximum at 20}.
ImageRef NumericRecord(DriverContext* context, const ControlRecord* control) {
  const ImageRef option = ControlOption(context, control);
  if (!option || (OptionRawType(option) & 0xFF) != kTypeNumeric) return {};
  return OptionValues(option);
}

ImageRef StringRecord(DriverContext* context, const ControlRecord* control) {
  const ImageRef option = ControlOption(context, control);
  if (!option || (OptionRawType(option) & 0xFF) != kTypeString) return {};
  return OptionValues(option);
}

int OptionScale(DriverContext* context, const ControlRecord* control) {
  const ImageRef record = NumericRecord(context, control);
  return record ? record.U16(4) : 0;
}

int UserScale(DriverContext* context) { return IsMetricUnits(context) ? 10 : 100; }

// The unit label of the option, at most 16 characters.
void UnitString(DriverContext* context, const ControlRecord* control, WCHAR (&unit)[17]) {
  unit[0] = 0;
  const ImageRef record = NumericRecord(context, control);
  if (record && record.U16(0)) LoadUiString(context, record.U16(0), unit, 17, 1);
}

WORD FieldIdOf(const ControlRecord* control) { return control->field ? control->field->id : 0; }

// The number typed, as the field holds it (1200-dpi units for a length); *overflow set when
// the text cannot be a 32-bit number, *integerPart the part before the decimals.
long long TypedValue(DriverContext* context, ControlRecord* control, const WCHAR* text, BOOL* overflow,
                     long long* integerPart) {
  *overflow = FALSE;
  if (!NumericRecord(context, control)) {
    const int v = ParseScaledNumber(text, 0, context, overflow);
    *integerPart = v;
    return v;
  }
  if (InUserUnits(control)) {
    const int scale = UserScale(context);
    const int typed = ParseScaledNumber(text, scale, context, overflow);
    *integerPart = typed / scale;
    return typed < 0 ? typed : FromUserUnits(context, 0, typed);
  }
  const int v = ParseScaledNumber(text, OptionScale(context, control), context, overflow);
  *integerPart = v;
  return v;
}

void FormatValue(DriverContext* context, ControlRecord* control, int value, WCHAR* out) {
  WCHAR number[kScaledNumberChars] = {};
  if (InUserUnits(control)) {
    FormatScaledNumber(number, UserScale(context), value, context);
  } else if (NumericRecord(context, control)) {
    FormatScaledNumber(number, OptionScale(context, control), value, context);
  } else {
    FormatScaledNumber(number, 0, value, context);
  }
  lstrcpynW(out, number, kScaledNumberChars);
  if (NumericRecord(context, control)) {
    WCHAR unit[17];
    UnitString(context, control, unit);
    const DWORD used = WideLength(out);
    lstrcpynW(out + used, unit, static_cast<int>(kTextChars - used));
  }
}

// The range the field's type can hold.
void FieldTypeRange(const SettingField* field, long long* low, long long* high) {
  switch (field ? FieldCodeOf(field->type) : 0) {
    case FT_S8: *low = -128; *high = 127; break;
    case FT_U8: *low = 0; *high = 255; break;
    case FT_S16: *low = -32768; *high = 32767; break;
    case FT_U16: *low = 0; *high = 65535; break;
    case FT_U32: *low = 0; *high = INT_MAX; break;
    default: *low = INT_MIN; *high = INT_MAX; break;
  }
}

bool OptionRange(DriverContext* context, ControlRecord* control, long long* low, long long* high) {
  const ImageRef record = NumericRecord(context, control);
  if (!record) return false;
  *low = static_cast<std::int32_t>(record.U32(16));
  *high = static_cast<std::int32_t>(record.U32(20));
  return *low <= *high;
}

// While typing: a number that no further digit can bring back into range is refused.
bool TypingCanFit(DriverContext* context, ControlRecord* control, long long value) {
  long long low = 0, high = 0;
  FieldTypeRange(control->field, &low, &high);
  if (value > high || value < low) return false;
  if (OptionRange(context, control, &low, &high) && ((value > high && value > 0) || (value < low && value < 0)))
    return false;
  return true;
}

void ShowText(HWND window, const WCHAR* text) {
  WCHAR shown[kTextChars] = {};
  GetWindowTextW(window, shown, kTextChars);
  if (!WideEquals(shown, text)) SetWindowTextW(window, text);
}

// The field's value shown again.
void ShowFieldValue(DriverContext* context, ControlRecord* control) {
  const int value = static_cast<int>(GetControlFieldValue(context, control));
  WCHAR text[kTextChars] = {};
  FormatValue(context, control, InUserUnits(control) ? ToUserUnits(context, 0, value) : value, text);
  ShowText(control->window, text);
}

bool IsMultiLine(HWND window) { return (GetWindowLongW(window, GWL_STYLE) & ES_MULTILINE) != 0; }

// Backslash-n in the stored text stands for a line break of a multi-line edit.
void StoredToShown(WCHAR* text) {
  WCHAR out[kTextChars];
  int o = 0;
  for (int i = 0; text[i] && o < kTextChars - 2; ++i) {
    if (text[i] == u'\\' && text[i + 1] == u'n') {
      out[o++] = u'\r';
      out[o++] = u'\n';
      ++i;
    } else {
      out[o++] = text[i];
    }
  }
  out[o] = 0;
  lstrcpynW(text, out, kTextChars);
}

void ShownToStored(WCHAR* text) {
  int o = 0;
  for (int i = 0; text[i]; ++i) {
    if (text[i] == u'\r' && text[i + 1] == u'\n') {
      text[o++] = u'\\';
      text[o++] = u'n';
      ++i;
    } else {
      text[o++] = text[i];
    }
  }
  text[o] = 0;
}

}  // namespace

// ---- check boxes and radio buttons -------------------------------------------------------

LRESULT ToggleCheckBox(DriverContext* context, PageRecord* page, ControlRecord* control, UINT, WPARAM, LPARAM) {
  if (!HasField(context, control)) return 0;
  SetControlValueAndApply(context, page, control, GetControlFieldValue(context, control) == 0 ? 1 : 0);
  return 1;
}

void UpdateCheckBox(DriverContext* context, PageRecord* page, ControlRecord* control) {
  if (!HasField(context, control) || !page || !page->window) return;
  CheckDlgButton(page->window, control->controlId, GetControlFieldValue(context, control));
}

LRESULT OnCheckBoxCommand(DriverContext* context, PageRecord* page, ControlRecord* control, WPARAM, LPARAM) {
  if (!HasField(context, control) || !control->window) return 0;
  const LRESULT checked = SendMessageW(control->window, BM_GETCHECK, 0, 0);
  const DWORD value = GetControlFieldValue(context, control);
  if ((checked == BST_CHECKED && value == 0) || (checked == BST_UNCHECKED && value == 1)) {
    SetControlValueAndApply(context, page, control, value == 0 ? 1 : 0);
    return 1;
  }
  return 0;
}

LRESULT SelectRadioButton(DriverContext* context, PageRecord* page, ControlRecord* control, UINT, WPARAM, LPARAM) {
  if (!HasField(context, control)) return 0;
  SetControlValueAndApply(context, page, control, control->controlId);
  return 1;
}

void UpdateRadioButton(DriverContext* context, PageRecord*, ControlRecord* control) {
  if (!HasField(context, control) || !control->window) return;
  const bool on = (GetControlFieldValue(context, control) & 0xFFFFu) == control->controlId;
  SendMessageW(control->window, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

LRESULT OnRadioCommand(DriverContext* context, PageRecord* page, ControlRecord* control, WPARAM, LPARAM) {
  if (!HasField(context, control) || !control->window) return 0;
  const LRESULT checked = SendMessageW(control->window, BM_GETCHECK, 0, 0);
  const bool mine = (GetControlFieldValue(context, control) & 0xFFFFu) == control->controlId;
  if ((checked == BST_CHECKED && !mine) || (checked == BST_UNCHECKED && mine)) {
    SetControlValueAndApply(context, page, control, control->controlId);
    return 1;
  }
  return 0;
}

// ---- text edits ----------------------------------------------------------------------------

void InitTextEdit(DriverContext* context, PageRecord*, ControlRecord* control) {
  if (!HasField(context, control) || !control->window) return;
  const ImageRef record = StringRecord(context, control);
  if (record) {
    DWORD limit = record.U16(2);
    if (limit > 260 && (control->flags & CTLF_TEXT_LIMIT_260)) limit = 260;
    SendMessageW(control->window, EM_LIMITTEXT, limit, 0);
    if ((record.U16(6) & 0xFFFF) == 0x100 && SendMessageW(control->window, EM_GETPASSWORDCHAR, 0, 0) != u'*')
      SendMessageW(control->window, EM_SETPASSWORDCHAR, u'*', 0);
    return;
  }
  const SettingField* field = control->field;
  const DWORD size = FieldSizeOf(field->type);
  const DWORD code = FieldCodeOf(field->type);
  DWORD limit = code == FT_WIDE_TEXT ? size / 2 : size;
  limit = limit ? limit - 1 : 0;
  SendMessageW(control->window, EM_LIMITTEXT, limit, 0);
}

void UpdateTextEdit(DriverContext* context, PageRecord*, ControlRecord* control) {
  if (!HasField(context, control) || !control->window) return;
  if (GetControlExtraData(control, 4)) return;  // a module fills this edit
  WCHAR text[kTextChars] = {};
  if (FieldAreaOf(control->field->type) != 0 || IsTextFieldCode(FieldCodeOf(control->field->type)))
    GetFieldString(context, control->field, text, kTextChars);
  else
    GetWindowTextW(control->window, text, kTextChars);
  if (IsMultiLine(control->window)) StoredToShown(text);
  ShowText(control->window, text);
}

LRESULT OnTextEditCommand(DriverContext* context, PageRecord*, ControlRecord* control, WPARAM wParam, LPARAM) {
  if (!HasField(context, control) || !control->window) return 0;
  SettingField* field = control->field;
  const WORD code = HIWORD(static_cast<DWORD>(wParam));
  const DWORD size = FieldSizeOf(field->type);
  if (code == EN_KILLFOCUS) {
    WCHAR text[kTextChars] = {};
    GetWindowTextW(control->window, text, static_cast<int>(size + 1 < kTextChars ? size + 1 : kTextChars));
    if (IsMultiLine(control->window)) ShownToStored(text);
    const DWORD before = WideLength(text);
    if (!(control->flags & CTLF_KEEP_BLANKS)) {
      DWORD start = 0, end = before;
      while (start < end && text[start] == u' ') ++start;
      while (end > start && text[end - 1] == u' ') --end;
      for (DWORD i = 0; i < end - start; ++i) text[i] = text[start + i];
      text[end - start] = 0;
    }
    if (WideLength(text) != before) {
      SetFieldString(context, field, text);
      WCHAR shown[kTextChars];
      lstrcpynW(shown, text, kTextChars);
      if (IsMultiLine(control->window)) StoredToShown(shown);
      SetWindowTextW(control->window, shown);
    }
    return 0;
  }
  if (code == EN_CHANGE || code == EN_UPDATE) {
    WCHAR text[kTextChars] = {};
    GetWindowTextW(control->window, text, kTextChars);
    if (IsMultiLine(control->window)) ShownToStored(text);
    // What fits the field: at most size - 1 bytes of ANSI text, cut only between whole
    // characters (a lead byte stays with its trail byte), and its terminator kept.
    if (size > 0) {
      char bytes[2 * kTextChars + 2] = {};
      const int room = static_cast<int>(size - 1 < sizeof bytes - 1 ? size - 1 : sizeof bytes - 1);
      int used = 0;
      int i = 0;
      for (; text[i]; ++i) {
        char one[8] = {};
        const int n = WideCharToMultiByte(CP_ACP, 0, &text[i], 1, one, sizeof one, nullptr, nullptr);
        if (n <= 0 || used + n > room) break;
        for (int k = 0; k < n; ++k) bytes[used + k] = one[k];
        used += n;
      }
      text[i] = 0;
    }
    WCHAR current[kTextChars] = {};
    GetFieldString(context, field, current, kTextChars);
    if (!WideEquals(text, current)) SetFieldString(context, field, text);
    return 1;
  }
  return 0;
}

// ---- numeric edits ---------------------------------------------------------------------------

bool NumericValueFits(DriverContext* context, ControlRecord* control, long long value) {
  long long low = 0, high = 0;
  FieldTypeRange(control ? control->field : nullptr, &low, &high);
  if (value < low || value > high) return false;
  if (control && OptionRange(context, control, &low, &high) && (value < low || value > high)) return false;
  return true;
}

void InitNumericEdit(DriverContext* context, PageRecord*, ControlRecord* control) {
  if (!HasField(context, control) || !control->window) return;
  const ImageRef record = NumericRecord(context, control);
  if (!record) {
    SendMessageW(control->window, EM_LIMITTEXT, 6, 0);
    return;
  }
  WCHAR unit[17];
  UnitString(context, control, unit);
  SendMessageW(control->window, EM_LIMITTEXT, record.U16(2) + WideLength(unit), 0);
}

void UpdateNumericEdit(DriverContext* context, PageRecord*, ControlRecord* control) {
  if (!HasField(context, control) || !control->window) return;
  const WORD fieldId = FieldIdOf(control);
  const bool units = InUserUnits(control);
  WCHAR text[kTextChars] = {};
  GetWindowTextW(control->window, text, kTextChars);
  SettingField* unitField = nullptr;
  ReadFieldRawById(context, fid::kdmDspUnit, &unitField);
  const bool unitJustChanged = units && unitField && MarkOf(unitField->marks, 0) == 1;
  if (unitJustChanged) text[0] = 0;
  BOOL overflow = FALSE;
  long long integerPart = 0;
  const long long typed = TypedValue(context, control, text, &overflow, &integerPart);
  // The value to show: a module's, else the field's.
  ControlValueEventBlock shownBlock{control, 0};
  NotifyModules(context, MODEV_EDIT_SHOW, &shownBlock);
  long long shown = shownBlock.value ? FromUserUnits(context, 0, shownBlock.value)
                                     : static_cast<std::int32_t>(GetControlFieldValue(context, control));
  bool equal = !overflow && typed == shown;
  if (units && !IsMetricUnits(context)) {
    ControlValueEventBlock inch{control, 0};
    NotifyModules(context, MODEV_INCH_DISPLAY, &inch);
    if (inch.value && ParseScaledNumber(text, 100, context) == ToUserUnits(context, fieldId, 0)) equal = true;
  }
  const bool focused = GetFocus() == control->window;
  const bool justChanged = MarkOf(control->field->marks, 0) == 1;
  if ((text[0] || focused) && (!justChanged || focused) && equal) return;
  long long v = shown;
  int display = static_cast<int>(v);
  if (units) {
    long long low = 0, high = 0;
    if (!text[0] && !ControlHidden(control) && OptionRange(context, control, &low, &high)) {
      const long long clamped = v < low ? low : v > high ? high : v;
      if (clamped != v) SetControlFieldValue(context, control, static_cast<DWORD>(clamped));
      v = clamped;
    }
    display = ToUserUnits(context, 0, static_cast<int>(v));
    int umin = 0, umax = 0;
    GetControlUnitRange(context, control, &umin, &umax);
    if (OptionRange(context, control, &low, &high)) {
      if (v <= high && display > umax) display = umax;
      if (v >= low && display < umin) display = umin;
    }
  }
  WCHAR out[kTextChars] = {};
  FormatValue(context, control, display, out);
  ShowText(control->window, out);
}

LRESULT OnNumericEditCommand(DriverContext* context, PageRecord*, ControlRecord* control, WPARAM wParam, LPARAM) {
  if (!HasField(context, control) || !control->window || ControlHidden(control)) return 0;
  const WORD code = HIWORD(static_cast<DWORD>(wParam));
  if (code == EN_CHANGE) {
    if (!IsNumberFieldCode(FieldCodeOf(control->field->type))) return 1;
    WCHAR text[kTextChars] = {};
    GetWindowTextW(control->window, text, kTextChars);
    BOOL overflow = FALSE;
    long long integerPart = 0;
    const long long v = TypedValue(context, control, text, &overflow, &integerPart);
    bool refused = overflow != FALSE || !TypingCanFit(context, control, v);
    if (InUserUnits(control)) {
      const long long limit = IsMetricUnits(context) ? kMetricIntegerLimit : kInchIntegerLimit;
      if (v < 0 || integerPart > limit) refused = true;
    }
    if (refused) {
      // The character just typed is taken back.
      PostMessageW(control->window, WM_CHAR, VK_BACK, 0);
      return 0;
    }
    if (v == static_cast<std::int32_t>(GetControlFieldValue(context, control))) return 0;
    ControlValueEventBlock block{control, static_cast<std::int32_t>(v)};
    NotifyModules(context, MODEV_EDIT_TYPED, &block);
    SetControlFieldValue(context, control, static_cast<DWORD>(v));
    return 1;
  }
  if (code == EN_UPDATE) {
    const ImageRef record = NumericRecord(context, control);
    if (record && record.U16(0)) {
      WCHAR unit[17];
      UnitString(context, control, unit);
      WCHAR text[kTextChars] = {};
      GetWindowTextW(control->window, text, kTextChars);
      const DWORD length = WideLength(text), unitLength = WideLength(unit);
      DWORD limit = record.U16(2);
      if (unitLength && length >= unitLength && WideEquals(text + length - unitLength, unit)) limit += unitLength;
      SendMessageW(control->window, EM_LIMITTEXT, limit, 0);
    }
  }
  return 0;
}

LRESULT OnNumericEditMessage(DriverContext* context, PageRecord* page, ControlRecord* control, UINT message, WPARAM,
                             LPARAM) {
  if (message != WM_KILLFOCUS || !context || !control) return 0;
  if (HasField(context, control) && control->window && NumericRecord(context, control)) {
    WCHAR text[kTextChars] = {};
    GetWindowTextW(control->window, text, kTextChars);
    const auto current = static_cast<std::int32_t>(GetControlFieldValue(context, control));
    long long v = 0;
    BOOL overflow = FALSE;
    WCHAR formatted[kTextChars] = {};
    FormatValue(context, control, InUserUnits(control) ? ToUserUnits(context, 0, current) : current, formatted);
    if (InUserUnits(control) && WideEquals(text, formatted)) {
      v = current;
    } else {
      long long integerPart = 0;
      v = TypedValue(context, control, text, &overflow, &integerPart);
    }
    ControlValueEventBlock show{control, 0};
    NotifyModules(context, MODEV_EDIT_SHOW2, &show);
    const long long m = show.value ? FromUserUnits(context, 0, show.value) : current;
    if (v != m) {
      // The same test as while typing, with the whole range: a value the field or the
      // option cannot take is not written, and the field's value is shown again.
      if (overflow || !NumericValueFits(context, control, v)) {
        ShowFieldValue(context, control);
      } else {
        if (show.value) {
          ControlValueEventBlock commit{control, static_cast<std::int32_t>(v)};
          NotifyModules(context, MODEV_EDIT_COMMIT, &commit);
        }
        SetControlFieldValue(context, control, static_cast<DWORD>(v));
      }
    }
  }
  ApplyControlValue(context, page, control, 0, 0);
  if (page && (page->pageId == 1017 || page->pageId == 1041) && InUserUnits(control) && control->window &&
      HasField(context, control) && NumericRecord(context, control)) {
    int umin = 0, umax = 0;
    GetControlUnitRange(context, control, &umin, &umax);
    const int user = ToUserUnits(context, 0, static_cast<int>(GetControlFieldValue(context, control)));
    if (user < umin || user > umax) {
      const int bound = FromUserUnits(context, 0, user < umin ? umin : umax);
      ControlValueEventBlock commit{control, bound};
      NotifyModules(context, MODEV_EDIT_COMMIT, &commit);
      SetControlFieldValue(context, control, static_cast<DWORD>(bound));
    }
  }
  if (control->field) {
    control->field->marks = static_cast<WORD>((control->field->marks & ~FIELD_MARK_CHANGED_MASK) | 1u);
    if (control->window) InvalidateRect(control->window, nullptr, TRUE);
  }
  return 0;
}
