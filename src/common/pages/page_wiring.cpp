// Steps of particular pages: the stamp and options pages' labels, the re-initialisation of
// the choices that hang on presets, trays and paper, the save-preset commands, the preset
// step of the first page and the closing checks of some sub-dialogs.
#include "context/page_wiring.h"

#include "base/driver_context.h"
#include "base/message_boxes.h"
#include "base/paths_and_names.h"
#include "base/ui_strings.h"
#include "context/module_events.h"
#include "context/ui_picture_paint.h"
#include "context/page_binding.h"
#include "field_ids.h"
#include "fields/change_flags.h"
#include "fields/field_access.h"
#include "fields/field_table.h"
#include "fields/locale_text.h"
#include "fields/value_maps.h"
#include "model/free_size_list.h"
#include "model/module_dispatch.h"
#include "model/option_lookup.h"
#include "model/option_walk.h"
#include "model/rule_apply.h"
#include "modules/change_handling.h"
#include "modules/page_refresh.h"
#include "modules/preset_module.h"
#include "pages/control_kinds.h"
#include "pages/file_pages.h"
#include "stored/devmode_checks.h"
#include "stored/module_services.h"
#include "stored/page_opening.h"
#include "stored/preset_list.h"
#include "win/controls.h"
#include "win/errors.h"
#include "win/files.h"
#include "win/msgbox.h"
#include "win/paint.h"
#include "win/resources.h"
#include "win/window.h"

namespace {

const LPCWSTR kWaitCursor = reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(32514));  // IDC_WAIT
constexpr DWORD kNoPreset = 118;
constexpr DWORD kFirstPreset = 119;
constexpr int kTextChars = 1025;
constexpr int kFileChars = 261;

constexpr WORD kSaveAsNewCommand = 11111;
constexpr WORD kSaveIntoCommand = 22222;
constexpr WORD kSavePresetPage = 1032;  // KPD_IDD_DIALOG_SAVE_PRESET
constexpr WORD kPresetNameEdit = 2145;
constexpr WORD kMaintenanceList = 2139;
constexpr WORD kPresetIconList = 2001;
constexpr DWORD kSaveNewChosenFlag = 0x10000000u;
constexpr DWORD kPresetSaveArmedFlag = 0x800000u;
constexpr DWORD kFreeSizesChangedFlag = 0x4000000u;

// Messages of the save-preset command and the closing checks.
constexpr DWORD kMsgCannotSave = 10024;
constexpr DWORD kMsgNameEmpty = 10031;
constexpr DWORD kMsgOverwritePreset = 10032;
constexpr DWORD kMsgFileUnusable = 10043;

// Labels of the stamp and options pages.
constexpr WORD kOverlayButton = 2407;
constexpr WORD kStampCheck = 2088;
constexpr DWORD kStampOrOverlayText = 563;
constexpr WORD kFeedRadioFirst = 2173;
constexpr WORD kFeedRadioSecond = 2175;
constexpr DWORD kFeedTextShortEdge = 13724;
constexpr DWORD kFeedTextLongEdge = 13725;

constexpr PageControlPair kSourceTrayChoices[] = {{1001, 2007}, {1002, 2007}, {0, 0}};
constexpr PageControlPair kPaperSizeChoices[] = {{1001, 2017}, {1001, 2023}, {1002, 2017}, {1002, 2053}, {0, 0}};
constexpr PageControlPair kOutputChoices[] = {{1001, 2011}, {1002, 2066}, {0, 0}};
constexpr PageControlPair kDuplexChoices[] = {{1003, 2085}, {1003, 2087}, {0, 0}};
constexpr PageControlPair kPresetNameControls[] = {
    {1007, 2139}, {1001, 2001}, {1002, 2036}, {1002, 2388}, {1003, 2078}, {1003, 2389},
    {1004, 2095}, {1004, 2390}, {4016, 2921}, {4016, 2924}, {4030, 3112}, {4030, 3113},
    {1005, 2109}, {1005, 2391}, {1042, 2713}, {1042, 2733}, {0, 0}};

// The control when its page is open and the control exists on it.
ControlRecord* OpenControl(DriverContext* context, WORD pageId, WORD controlId, PageRecord** pageOut = nullptr) {
  PageRecord* page = FindPageById(context, pageId);
  if (!page || !page->window || !GetDlgItem(page->window, controlId)) return nullptr;
  ControlRecord* control = FindControlById(context, page, controlId);
  if (pageOut) *pageOut = page;
  return control;
}

void SetLabel(DriverContext* context, HWND page, WORD controlId, DWORD stringId) {
  HWND label = GetDlgItem(page, controlId);
  if (!label) return;
  WCHAR text[kTextChars] = {};
  LoadUiString(context, stringId, text, kTextChars, 1);
  SetWindowTextW(label, text);
}

// kdmPresetNo by its value: 118 no preset, 119 + n preset n.
DWORD PresetNo(DriverContext* context) { return GetFieldValueById(context, fid::kdmPresetNo); }
void SetPresetNo(DriverContext* context, DWORD value) { SetFieldValueById(context, fid::kdmPresetNo, value); }

void Refused(DriverContext* context, PageRecord* page) {
  DispatchModuleMessage(context, page, nullptr, PAGEMSG_REFUSED, 0, 0);
}

// The text of a settings field, empty when there is none.
void FieldText(DriverContext* context, const SettingField* field, WCHAR* out, int chars) {
  out[0] = 0;
  if (field) GetFieldString(context, field, out, static_cast<std::size_t>(chars));
}

// The text of the control's settings field; a control without a field (the overlay name of
// some models) shows what the user typed, so its window text on the page counts.
void ControlFieldText(DriverContext* context, PageRecord* page, WORD controlId, WCHAR* out, int chars) {
  const ControlRecord* control = FindControlById(context, page, controlId);
  if (!control || !control->field) control = FindControlById(context, nullptr, controlId);
  if (control && control->field) {
    FieldText(context, control->field, out, chars);
    return;
  }
  out[0] = 0;
  HWND window = page && page->window ? GetDlgItem(page->window, controlId) : nullptr;
  if (window) GetWindowTextW(window, out, chars);
}

// The page's own alerts, as a change of the page option would show them; 1 when the save
// may go on.
bool PageAlertsAccept(DriverContext* context, PageRecord* page) {
  ControlRecord probe{};
  if (context->model && page->optionId) probe.option = OptionRecordAddress(GetOptionNode(context, page->optionId));
  PageEngineState& sheet = context->work->sheet;
  const std::int32_t savedResult = sheet.sheetResult;
  sheet.sheetResult = 1;
  const int refused = ApplyControlValue(context, page, &probe, 0, 0);
  const std::int32_t after = sheet.sheetResult;
  sheet.sheetResult = savedResult;
  return !refused && after != 0;
}

// 22222: the preset with the typed name becomes the one saved into; false when the save
// stops.
bool ChooseNamedPreset(DriverContext* context, PageRecord* page) {
  WCHAR name[kTextChars];
  ControlFieldText(context, page, kPresetNameEdit, name, kTextChars);
  HWND owner = page->window;
  if (!name[0]) {
    ShowWarningBox(context, owner, kMsgNameEmpty);
    return false;
  }
  const int current = static_cast<int>(PresetNo(context)) - static_cast<int>(kFirstPreset);
  const int n = FindPresetByName(context, name, current);
  if (n == 0 || (n > 0 && !IsPresetWritable(context, n))) {
    ShowWarningBox(context, owner, kMsgCannotSave);
    return false;
  }
  if (n > 0 && n != current) {
    if (ShowMessageBoxFlags(context, owner, kMsgOverwritePreset, MB_ICONWARNING | MB_YESNO, 0) != IDYES) return false;
    SetPresetNo(context, static_cast<DWORD>(n) + kFirstPreset);
  }
  return true;
}

// A new preset at the end of the list, selected; false (and nothing saved) when the list is
// full or the list cannot be written.
bool AppendNewPreset(DriverContext* context, PageRecord* page) {
  if (GetPresetCount(context) >= kMaxPresets) {
    ShowWarningBox(context, page->window, kMsgCannotSave);
    return false;
  }
  WCHAR file[kFileChars] = {};
  MakeNewUserSettingFileName(context, file);
  WCHAR name[kTextChars], comment[kTextChars];
  FieldText(context, FindFieldById(context, fid::wdmPresetName), name, kTextChars);
  FieldText(context, FindFieldById(context, fid::wdmPresetComment), comment, kTextChars);
  const int before = GetPresetCount(context);
  if (!AppendPreset(context, file, name, comment) || GetPresetCount(context) != before + 1) {
    ShowWarningBox(context, page->window, kMsgCannotSave);
    return false;
  }
  SetPresetNo(context, static_cast<DWORD>(GetPresetCount(context)) + kNoPreset);
  return true;
}

}  // namespace

std::int32_t HandleKnownPageMessage(DriverContext* context, PageRecord* page, ControlRecord* control, DWORD message,
                                    WPARAM, LPARAM) {
  if (control || !context || !page || !page->window || message != WM_INITDIALOG) return 0;
  HWND window = page->window;
  if (page->pageId == 1003) {
    if (GetDlgItem(window, kOverlayButton)) {
      ControlRecord* overlay = FindControlById(context, page, kOverlayButton);
      if (IsControlOptionDisabled(context, ControlOption(context, overlay), kOverlayButton) == 0)
        SetLabel(context, window, kStampCheck, kStampOrOverlayText);
    }
  } else if (page->pageId == 1011) {
    const DWORD feed = ReadFieldRawById(context, fid::kdmMachineTypeFeed);
    SetLabel(context, window, kFeedRadioFirst, feed == 0 ? kFeedTextLongEdge : kFeedTextShortEdge);
    SetLabel(context, window, kFeedRadioSecond, feed == 0 ? kFeedTextShortEdge : kFeedTextLongEdge);
  }
  return 0;
}

void ReinitControls(DriverContext* context, const PageControlPair* list) {
  if (!context || !list) return;
  for (; list->pageId; ++list) {
    PageRecord* page = nullptr;
    if (ControlRecord* control = OpenControl(context, list->pageId, list->controlId, &page))
      InitControl(context, page, control);
  }
}

void ReinitSourceTrayChoices(DriverContext* context) { ReinitControls(context, kSourceTrayChoices); }
void ReinitPaperSizeChoices(DriverContext* context) { ReinitControls(context, kPaperSizeChoices); }
void ReinitOutputChoices(DriverContext* context) { ReinitControls(context, kOutputChoices); }
void ReinitDuplexChoices(DriverContext* context, PageRecord*) { ReinitControls(context, kDuplexChoices); }

void ReinitPresetNameControls(DriverContext* context, PageRecord*) {
  if (!context) return;
  for (const PageControlPair* pair = kPresetNameControls; pair->pageId; ++pair) {
    PageRecord* page = nullptr;
    ControlRecord* control = OpenControl(context, pair->pageId, pair->controlId, &page);
    if (!control) continue;
    const bool list = pair->controlId == kMaintenanceList || pair->controlId == kPresetIconList;
    if (list && control->field) {
      const DWORD value = GetControlFieldValue(context, control);
      if (value >= kFirstPreset && static_cast<int>(value - kFirstPreset) >= GetPresetCount(context))
        SetControlFieldValue(context, control, kFirstPreset);
    }
    InitControl(context, page, control);
  }
}

void ReinitWatermarkChoice(DriverContext* context) {
  if (!context || GetWatermarkIdIfEnabled(context) == -1) return;
  PageRecord* page = nullptr;
  ControlRecord* combo = OpenControl(context, 1003, 2089, &page);
  if (!combo) return;
  SendMessageW(GetDlgItem(page->window, 2089), CB_RESETCONTENT, 0, 0);
  InitControl(context, page, combo);
}

int PostPresetSelection(DriverContext* context, HWND pageWindow) {
  const int n = FindDuplicatePresetName(context);
  if (n >= 0 && pageWindow) PostMessageW(pageWindow, PAGEMSG_PRESET_SELECT, static_cast<WPARAM>(n), 0);
  return n;
}

int RunPageClosingCheck(DriverContext* context, PageRecord* page, ControlRecord* closing, WORD command) {
  if (!context || !context->work || !page) return 1;
  PageEngineState& sheet = context->work->sheet;
  const ImageRef closingOption = ControlOption(context, closing);
  const WORD closingFunction = closing ? closing->afterChange : 0;
  switch (page->pageId) {
    case 1041:
      if (command == 1) OpenFollowUpPage(context, page, closingOption, closingFunction);
      return 1;
    case 1017:
      if (command == 1) {
        OpenFollowUpPage(context, page, closingOption, closingFunction);
        WriteAllFreeSizes(context);
        // The modules select the new size for the choice that opened the page.
        FollowUpEventBlock confirmed{page, closingOption.Bytes(), sheet.freeSizeOpener, 1};
        NotifyModules(context, MODEV_FOLLOW_UP_PAGE, &confirmed);
        ResetStateByType(context, 1);
        ReinitPaperSizeChoices(context);
      } else {
        ClearChangeFlags(context, kFreeSizesChangedFlag);
        InitFreeSizes(context);
      }
      return 1;
    case 1011:
      if (command == 1 || ReadFieldRawById(context, fid::KPD_kdmBiDirect) == 1) {
        sheet.sheetResult = 1;
        ReinitSourceTrayChoices(context);
        ReinitOutputChoices(context);
      }
      return 1;
    case 1007: {
      HWND window = page->window;
      if (command == 8 && window) {
        HWND close = GetDlgItem(window, 8);
        if (close) SetFocus(close);
        if (!close || GetFocus() != close) return 0;
      }
      const int n = PostPresetSelection(context, window);
      if (n < 0) return 1;
      ControlRecord* list = FindControlById(context, page, kMaintenanceList);
      if (window) {
        if (HWND listWindow = GetDlgItem(window, kMaintenanceList))
          SendMessageW(listWindow, LB_SETCURSEL, static_cast<WPARAM>(n), 0);
        if (HWND edit = GetDlgItem(window, kPresetNameEdit)) {
          SetFocus(edit);
          SendMessageW(edit, EM_SETSEL, 0, -1);
        }
      }
      ApplyPresetByIndex(context, n);
      if (list) {
        SetControlFieldValue(context, list, static_cast<DWORD>(n) + kFirstPreset);
        ApplyControlValue(context, page, list, 0, 0);
      }
      RefreshPage(context, page, 1);
      sheet.sheetResult = 0;
      return 0;
    }
    case 1023:
    case 1037: {
      if (command != 1) return 1;
      WCHAR path[kTextChars];
      ControlFieldText(context, page, page->pageId == 1023 ? 2341 : 2586, path, kTextChars);
      bool usable;
      if (page->pageId == 1023) {
        HANDLE file = nullptr;
        usable = OpenBitmapFile(path, &file) != 0;
        if (usable && file) CloseHandle(file);
      } else {
        const DWORD attributes = path[0] ? GetFileAttributesW(path) : INVALID_FILE_ATTRIBUTES;
        usable = attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) &&
                 HasFilterExtension(page, path);
      }
      if (usable) return 1;
      ShowWarningBox(context, page->window, kMsgFileUnusable);
      sheet.sheetResult = 0;
      return 0;
    }
    default: return 1;
  }
}

void RunSavePresetCommand(DriverContext* context, PageRecord* page, WORD command, WORD received) {
  if (!context || !context->work || !page) return;
  // 1-2. The page's own alerts may refuse the save.
  if (!PageAlertsAccept(context, page)) {
    ClearChangeFlags(context, kSaveNewChosenFlag);
    RefreshPage(context, page, 0);
    return;
  }
  // 3-4. Which preset is saved.
  if (command == kSaveIntoCommand) {
    if (!ChooseNamedPreset(context, page)) {
      Refused(context, page);
      return;
    }
  } else {
    const int shown = ShowPage(context, 4, kSavePresetPage, page->window);
    // A cancelled or failed name dialog saves nothing.
    if (shown == 0 || shown == 2 || shown == 7 || shown < 0) return;
  }
  // 5. A selected preset keeps its own file; with none selected a new one is appended.
  HCURSOR before = SetCursor(LoadCursorW(nullptr, kWaitCursor));
  // A selection that names no preset of the list (the list is shorter) saves as a new one.
  const DWORD selected = PresetNo(context);
  const bool listed = selected > kNoPreset && static_cast<int>(selected - kFirstPreset) < GetPresetCount(context);
  bool save = true;
  bool appended = false;
  if (listed) {
    EnsurePresetFileName(context, static_cast<int>(selected - kFirstPreset));
  } else {
    save = appended = AppendNewPreset(context, page);
  }
  if (save) {
    // 6. The first preset is never overwritten; a preset just appended (the first of an empty
    // list included) gets its file.
    const int n = static_cast<int>(PresetNo(context)) - static_cast<int>(kFirstPreset);
    if ((n > 0 || appended) && n >= 0 && n < kMaxPresets) SavePresetByIndex(context, n);
    ReinitPresetNameControls(context, page);
    SetPresetNo(context, static_cast<DWORD>(n + static_cast<int>(kFirstPreset)));
    // 7. The sheet's relabelled buttons close the sheet through its OK.
    if (received == kSaveAsNewCommand || received == kSaveIntoCommand) {
      ClearChangeFlags(context, kPresetSaveArmedFlag);
      if (page->window) PostMessageW(page->window, WM_COMMAND, PAGEMSG_PRESS_OK, 0);
    }
  }
  SetCursor(before);
  RefreshPage(context, page, 0);
}

void RunPresetPageStep(DriverContext* context, PageRecord* page) {
  if (!context || !page || !page->window || !GetDlgItem(page->window, kPresetIconList)) return;
  const DWORD preset = PresetNo(context);
  if (preset < kFirstPreset || preset - kFirstPreset >= static_cast<DWORD>(kMaxPresets)) return;
  constexpr WORD kKept[] = {fid::dmDefaultSource, fid::kdmMediaType, fid::kdmOutputTrayID, fid::dmColor};
  DWORD values[4];
  for (int i = 0; i < 4; ++i) values[i] = ReadFieldRawById(context, kKept[i]);
  ApplyPresetByIndex(context, static_cast<int>(preset - kFirstPreset));
  for (int i = 0; i < 4; ++i) WriteFieldRawById(context, kKept[i], values[i]);
  ControlRecord* icons = FindControlById(context, page, kPresetIconList);
  OpenFollowUpPage(context, page, ControlOption(context, icons), 1);
}

namespace {

struct TrayLabelRow {
  WORD label;
  WORD tray;
};

// Tray indexes: 0-4 trays 1-5, 25 the large-capacity tray, 27 the manual feed, 28 the
// multi-purpose tray, 29 the external tray. Labels of page 1010 and of the cover, mark,
// back-cover, chapter and reverse-cover pages.
constexpr TrayLabelRow kTrayLabels[] = {
    {2410, 0},  {2412, 1},  {2413, 2},  {2411, 28}, {2458, 0},  {2459, 1},  {2460, 2},  {2461, 28}, {2462, 0},
    {2463, 1},  {2464, 2},  {2465, 28}, {2518, 0},  {2519, 1},  {2520, 2},  {2521, 28}, {2538, 3},  {2539, 25},
    {2540, 27}, {2541, 3},  {2542, 25}, {2543, 27}, {2544, 3},  {2545, 25}, {2546, 27}, {2547, 3},  {2548, 25},
    {2549, 27}, {2566, 25}, {2567, 25}, {2568, 25}, {2569, 25}, {2770, 4},  {2768, 4},  {2717, 4},  {2809, 29},
    {2718, 4},  {2810, 29}, {2772, 0},  {2782, 1},  {2783, 2},  {2786, 3},  {2787, 25}, {2784, 25}, {2788, 27},
    {2785, 28}, {2720, 4},  {2812, 29}, {2754, 0},  {2760, 1},  {2761, 2},  {2764, 3},  {2765, 25}, {2762, 25},
    {2766, 27}, {2763, 28}, {2719, 4},  {2811, 29}, {0, 0}};
static_assert(sizeof kTrayLabels / sizeof kTrayLabels[0] == 59, "58 rows and the end row");

constexpr WORD kExternalTray = 29;
constexpr WORD kTrayPaperBase = 10175;
constexpr WORD kTrayMediaBase = 10207;
constexpr WORD kTrayOrientBase = 10143;
constexpr WORD kPaperSizeChoice = 2168;
constexpr WORD kMediaChoice = 2170;
constexpr DWORD kTraySeparatorText = 854;
constexpr int kColourMenuText = 7;  // COLOR_MENUTEXT

// The UI string of the choice's display value for the raw value of a tray field, empty
// when the choice is not there.
void TrayChoiceText(DriverContext* context, WORD choiceId, WORD fieldId, WCHAR* out) {
  out[0] = 0;
  const ControlRecord* choice = FindControlById(context, nullptr, choiceId);
  if (!choice || !choice->field) return;
  const DWORD value = RawToOptionIndex(context, choice->field, ReadFieldRawById(context, fieldId));
  LoadUiString(context, value, out, kTextChars, 1);
}

SIZE Extent(HDC dc, const WCHAR* text) {
  SIZE size{};
  int length = 0;
  while (text[length]) ++length;
  GetTextExtentPoint32W(dc, text, length, &size);
  return size;
}

void DrawPart(HDC dc, const WCHAR* text, int left, int right, const RECT& client, UINT extra) {
  RECT r{left, client.top, right, client.bottom};
  DrawTextW(dc, text, -1, &r, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | extra);
}

}  // namespace

int TrayOfStatusLabel(WORD labelId) {
  for (const TrayLabelRow* row = kTrayLabels; row->label; ++row)
    if (row->label == labelId) return row->tray;
  return -1;
}

WORD TrayOrientationPicture(DriverContext* context, WORD tray) {
  if (tray == kExternalTray) return 0;
  const DWORD o = ReadFieldRawById(context, static_cast<WORD>(kTrayOrientBase + tray));
  const DWORD f = ReadFieldRawById(context, fid::kdmMachineTypeFeed);
  return ((o != 0 && f == 1) || (o == 0 && f != 1)) ? 6194 : 6193;
}

int PaintTrayStatusLabel(DriverContext* context, PageRecord* page, ControlRecord* label, UINT message, WORD tray,
                         int mode) {
  if (!context || !page || !label || !label->window) return 0;
  HWND window = label->window;
  if (message == WM_ERASEBKGND) {
    PostMessageW(window, WM_PAINT, 0, 0);
    return 1;
  }
  if (message != WM_PAINT) return 0;
  PAINTSTRUCT ps{};
  HDC dc = BeginPaint(window, &ps);
  if (!dc) return 1;
  HGDIOBJ oldFont = nullptr;
  if (page->window) {
    if (auto font = reinterpret_cast<HFONT>(SendMessageW(page->window, WM_GETFONT, 0, 0))) oldFont = SelectObject(dc, font);
  }
  SetTextColor(dc, GetSysColor(ControlGreyed(label) ? COLOR_GRAYTEXT : kColourMenuText));
  SetBkMode(dc, TRANSPARENT);
  RECT client{};
  GetClientRect(window, &client);
  FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
  // 1. The tray's name: the label's own text, or for a label bound to a field the UI string
  // of its value.
  WCHAR text[kTextChars] = {};
  if (page->pageId != 1010 && label->field) {
    LoadUiString(context, GetControlFieldValue(context, label), text, kTextChars, 1);
  }
  if (!text[0]) GetWindowTextW(window, text, kTextChars);
  if (mode == 0 || mode == 1) {
    WCHAR separator[kTextChars] = {};
    LoadUiString(context, kTraySeparatorText, separator, kTextChars, 1);
    int length = 0;
    while (text[length]) ++length;
    for (int i = 0; separator[i] && length < kTextChars - 1; ++i) text[length++] = separator[i];
    text[length] = 0;
  }
  int x = client.left;
  DrawPart(dc, text, x, client.right, client, 0);
  x += Extent(dc, text).cx;
  if (mode == 0 || mode == 1) {
    const int height = Extent(dc, u"/").cy;
    WCHAR media[kTextChars] = {};
    const bool withMedia = mode == 0 && FindControlById(context, nullptr, kMediaChoice);
    if (withMedia) TrayChoiceText(context, kMediaChoice, static_cast<WORD>(kTrayMediaBase + tray), media);
    // 2. The paper size in what is left after the picture and the media.
    if (FindControlById(context, nullptr, kPaperSizeChoice)) {
      WCHAR paper[kTextChars] = {};
      TrayChoiceText(context, kPaperSizeChoice, static_cast<WORD>(kTrayPaperBase + tray), paper);
      int reserve = tray != kExternalTray ? height : 0;
      if (withMedia) {
        WCHAR slashMedia[kTextChars + 1] = {u'/'};
        for (int i = 0; media[i] && i < kTextChars - 1; ++i) slashMedia[i + 1] = media[i];
        reserve += Extent(dc, slashMedia).cx;
      }
      int width = client.right - x - reserve;
      const int own = Extent(dc, paper).cx;
      if (own < width) width = own;
      if (width > 0) {
        DrawPart(dc, paper, x, x + width, client, DT_END_ELLIPSIS);
        x += width;
      }
    }
    // 3. The orientation picture, then the media.
    if (const WORD picture = TrayOrientationPicture(context, tray)) {
      RECT area{x, client.top, x + height, client.bottom};
      DrawPicture(context, page, label, dc, &area, x, client.top + (client.bottom - client.top - height) / 2,
                  MAKEINTRESOURCEW(picture), 0, FALSE);
      x += height;
      if (withMedia) {
        DrawPart(dc, u"/", x, client.right, client, 0);
        x += Extent(dc, u"/").cx;
        DrawPart(dc, media, x, client.right, client, 0);
      }
    }
  }
  if (oldFont) SelectObject(dc, oldFont);
  EndPaint(window, &ps);
  return 1;
}

int PaintTrayStatusLabelMode0(DriverContext* context, PageRecord* page, ControlRecord* label, UINT message, WORD tray) {
  return PaintTrayStatusLabel(context, page, label, message, tray, 0);
}
int PaintTrayStatusLabelMode1(DriverContext* context, PageRecord* page, ControlRecord* label, UINT message, WORD tray) {
  return PaintTrayStatusLabel(context, page, label, message, tray, 1);
}
int PaintTrayStatusLabelMode2(DriverContext* context, PageRecord* page, ControlRecord* label, UINT message, WORD tray) {
  return PaintTrayStatusLabel(context, page, label, message, tray, 2);
}

int PaintTrayStatusById(DriverContext* context, PageRecord* page, ControlRecord* label, UINT message) {
  if (!context || !page) return 0;
  if (!label && message == WM_ERASEBKGND) {
    for (const TrayLabelRow* row = kTrayLabels; row->label; ++row) {
      ControlRecord* first = FindControlById(context, page, row->label);
      if (first && first->window && !ControlHidden(first))
        return PaintTrayStatusLabel(context, page, first, WM_PAINT, row->tray, 0);
    }
    return 0;
  }
  if (!label || !label->window || ControlHidden(label)) return 0;
  const int tray = TrayOfStatusLabel(label->controlId);
  if (tray < 0) return 0;
  return PaintTrayStatusLabel(context, page, label, message, static_cast<WORD>(tray), 0);
}
