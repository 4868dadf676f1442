// The static kinds and their safe value formatter.
#include "pages/static_kinds.h"

#include <cstdio>
#include <iterator>

#include "base/driver_context.h"
#include "base/ui_strings.h"
#include "fields/dictionary_lookup.h"
#include "modules/change_handling.h"
#include "pages/help_tips.h"
#include "context/module_events.h"
#include "context/ui_picture_paint.h"
#include "context/ui_pictures.h"
#include "model/module_dispatch.h"
#include "win/commctrl.h"
#include "win/controls.h"
#include "base/wide_text.h"
#include "context/page_binding.h"
#include "fields/field_access.h"
#include "model/option_lookup.h"
#include "model/option_walk.h"
#include "model/rule_eval.h"
#include "win/window.h"

namespace {

constexpr int kWidthLimit = 64;

bool IsFlag(WCHAR c) { return c == u'-' || c == u'+' || c == u' ' || c == u'0' || c == u'#'; }

}  // namespace

int FormatStaticValue(const WCHAR* format, DWORD value, WCHAR* out, int size) {
  if (!out || size <= 0) return 0;
  int n = 0;
  auto put = [&](WCHAR c) {
    if (n < size - 1) out[n++] = c;
  };
  if (!format) {
    out[0] = 0;
    return 0;
  }
  for (const WCHAR* p = format; *p;) {
    if (*p != u'%') {
      put(*p++);
      continue;
    }
    if (p[1] == u'%') {
      put(u'%');
      p += 2;
      continue;
    }
    // A conversion: flags, width, an optional "l", then the conversion character.
    const WCHAR* q = p + 1;
    char spec[16] = {'%'};
    int s = 1;
    while (IsFlag(*q)) {
      if (s < 7) spec[s++] = static_cast<char>(*q);
      ++q;
    }
    int width = 0;
    bool wide = false;
    while (*q >= u'0' && *q <= u'9') {
      width = width * 10 + (*q - u'0');
      if (width > 100000) wide = true;
      ++q;
    }
    if (*q == u'l') ++q;
    const WCHAR kindChar = *q;
    if (kindChar == u'd' || kindChar == u'i' || kindChar == u'u' || kindChar == u'x' || kindChar == u'X') {
      if (wide || width > kWidthLimit) width = kWidthLimit;
      s += std::snprintf(spec + s, sizeof spec - static_cast<std::size_t>(s), "%d", width);
      spec[s++] = static_cast<char>(kindChar == u'i' ? 'd' : kindChar);
      spec[s] = 0;
      char digits[kWidthLimit + 24];
      if (kindChar == u'd' || kindChar == u'i')
        std::snprintf(digits, sizeof digits, spec, static_cast<int>(static_cast<std::int32_t>(value)));
      else
        std::snprintf(digits, sizeof digits, spec, static_cast<unsigned>(value));
      for (const char* d = digits; *d; ++d) put(static_cast<WCHAR>(*d));
      p = q + 1;
      continue;
    }
    // Anything else is text: the sequence as written up to where it stopped.
    const WCHAR* end = kindChar ? q + 1 : q;
    while (p < end) put(*p++);
  }
  out[n] = 0;
  return n;
}

void UpdateStaticText(DriverContext* context, PageRecord*, ControlRecord* control) {
  if (!context || !control || !control->window) return;
  const ImageRef option = ControlOption(context, control);
  if (!option || !GetControlField(context, control)) return;
  const DWORD fieldValue = GetControlFieldValue(context, control);
  const ImageRef block = OptionCondition(option);
  WCHAR format[1025];
  WCHAR text[1025];
  bool found = false;
  DWORD steps = ImageSize(option.image) / 8 + 1;
  for (ImageRef item = OptionValues(option); item && steps--; item = NextOptionNode(option, item)) {
    const DWORD value = NextOptionValue(option, item, nullptr);
    if (value == 0) continue;
    if (block && IsItemDisabled(option, static_cast<WORD>(value), context)) continue;
    format[0] = 0;
    LoadUiString(context, value, format, 1025, 1);
    if (!format[0]) continue;
    FormatStaticValue(format, fieldValue, text, 1025);
    found = true;
  }
  if (!found) return;
  WCHAR shown[1025] = {};
  GetWindowTextW(control->window, shown, 1025);
  if (!WideEquals(text, shown)) SetWindowTextW(control->window, text);
}

void InitSubDialogButton(DriverContext* context, PageRecord*, ControlRecord* control) {
  if (!context || !control || !control->window) return;
  SetFrameTextByControl(context, control);
  const WORD id = context->work ? context->work->sheet.frameTextId : 0;
  if (id && id != kNoFrameText) {
    WCHAR text[261];
    LoadUiString(context, id, text, 261, 1);
    SetWindowTextW(control->window, text);
  }
  ClearFrameText(context);
}

void InitTwoPartButton(DriverContext* context, PageRecord*, ControlRecord* control) {
  const auto* caption = static_cast<const TwoPartCaption*>(GetControlExtraData(control, 9));
  if (!context || !caption || !control->window) return;
  WCHAR first[261], second[261], text[523];
  LoadUiString(context, caption->first, first, 261, 1);
  LoadUiString(context, caption->second, second, 261, 1);
  int n = 0;
  for (const WCHAR* p = first; *p; ++p) text[n++] = *p;
  text[n++] = u' ';
  for (const WCHAR* p = second; *p; ++p) text[n++] = *p;
  text[n] = 0;
  SetWindowTextW(control->window, text);
}

LRESULT OnSubDialogButton(DriverContext* context, PageRecord* page, ControlRecord* control, WPARAM wParam, LPARAM) {
  if (HIWORD(static_cast<DWORD>(wParam)) != BN_CLICKED) return 1;
  const ImageRef option = ControlOption(context, control);
  if (option && CheckAlertAndFollowUp(context, page, option) == 0)
    OpenFollowUpPage(context, page, option, control->afterChange);
  return 1;
}

void ShowTabGroup(PageRecord* page, const TabGroupBlock* block, int group) {
  if (!page || !page->window || !block) return;
  for (int g = 0; g < block->count; ++g) {
    if (g == group) continue;
    for (int k = 0; k < block->groups[g].count; ++k)
      if (HWND w = GetDlgItem(page->window, block->groups[g].ids[k])) ShowWindow(w, SW_HIDE);
  }
  if (group < 0 || group >= block->count) return;
  for (int k = 0; k < block->groups[group].count; ++k)
    if (HWND w = GetDlgItem(page->window, block->groups[group].ids[k])) ShowWindow(w, SW_SHOW);
}

void InitTabControl(DriverContext* context, PageRecord* page, ControlRecord* control) {
  const auto* block = static_cast<const TabGroupBlock*>(GetControlExtraData(control, 6));
  if (!context || !block || !control->window) return;
  for (int g = 0; g < block->count; ++g) {
    WCHAR title[261];
    LoadUiString(context, block->groups[g].title, title, 261, 1);
    TCITEMW item{};
    item.mask = TCIF_TEXT | TCIF_PARAM;
    item.pszText = title;
    item.lParam = reinterpret_cast<LPARAM>(context);
    SendMessageW(control->window, TCM_INSERTITEMW, static_cast<WPARAM>(g), reinterpret_cast<LPARAM>(&item));
  }
  ShowTabGroup(page, block, 0);
}

LRESULT OnTabMessage(DriverContext*, PageRecord* page, ControlRecord* control, UINT message, WPARAM, LPARAM lParam) {
  if (message != WM_NOTIFY || !lParam) return 0;
  const auto* header = reinterpret_cast<const NMHDR*>(lParam);
  if (header->code != TCN_SELCHANGE || header->hwndFrom != control->window) return 0;
  const auto* block = static_cast<const TabGroupBlock*>(GetControlExtraData(control, 6));
  if (block)
    ShowTabGroup(page, block, static_cast<int>(SendMessageW(control->window, TCM_GETCURSEL, 0, 0)));
  return 0;
}

void InitSettingsTree(DriverContext* context, PageRecord*, ControlRecord* control) {
  if (!context || !control || !control->window) return;
  HWND tree = control->window;
  SendMessageW(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
  auto insert = [&](HTREEITEM parent, WCHAR* text) {
    TVINSERTSTRUCTW in{};
    in.hParent = parent;
    in.hInsertAfter = TVI_LAST;
    in.item.mask = TVIF_TEXT | TVIF_PARAM;
    in.item.pszText = text;
    in.item.lParam = reinterpret_cast<LPARAM>(context);
    return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&in)));
  };
  for (int p = 0; p < context->pages.count && context->pages.records; ++p) {
    PageRecord& each = context->pages.records[p];
    WCHAR text[300];
    int n = 0;
    for (const char* c = each.symbol; c && *c && n < 299; ++c) text[n++] = static_cast<unsigned char>(*c);
    text[n] = 0;
    HTREEITEM root = insert(TVI_ROOT, text);
    for (int i = 0; i < each.controlCount && each.controls; ++i) {
      ControlRecord* c = &each.controls[i];
      const ControlNameEntry* entry = FindNameEntryByKey(c->itemId);
      n = 0;
      if (entry && entry->name) {
        for (const char* a = entry->name; *a && n < 280; ++a) text[n++] = static_cast<unsigned char>(*a);
        char digits[16];
        std::snprintf(digits, sizeof digits, "%d", static_cast<int>(GetControlFieldValue(context, c)));
        text[n++] = u'\uFF1A';
        for (const char* d = digits; *d; ++d) text[n++] = static_cast<WCHAR>(*d);
      } else {
        for (const char* a = "none"; *a; ++a) text[n++] = static_cast<WCHAR>(*a);
      }
      text[n] = 0;
      insert(root, text);
    }
  }
}

LRESULT IgnoreMessage(DriverContext*, PageRecord*, ControlRecord*, UINT, WPARAM, LPARAM) { return 0; }

namespace {

constexpr WORD kPortraitSheets[] = {6001, 6004, 6005, 6008, 6009, 6011, 6013, 6016, 6017, 6019, 6021,
                                    6023, 6025, 6027, 6029, 6031, 6033, 6037, 6040, 6043, 6046, 7414};
constexpr WORD kLandscapeSheets[] = {6002, 6003, 6006, 6007, 6010, 6012, 6014, 6015, 6018, 6020, 6022, 6024,
                                     6026, 6028, 6030, 6032, 6034, 6035, 6036, 6038, 6039, 6041, 6042, 6044};
constexpr DWORD kModuleAreaEvent = 29;

// The sheet size of a preview picture and its place in its list; false for another picture.
bool SheetPicture(DWORD picture, int* width, int* height, int* index) {
  for (int i = 0; i < static_cast<int>(std::size(kPortraitSheets)); ++i)
    if (kPortraitSheets[i] == picture) {
      *width = 50, *height = 69, *index = i;
      return true;
    }
  for (int i = 0; i < static_cast<int>(std::size(kLandscapeSheets)); ++i)
    if (kLandscapeSheets[i] == picture) {
      *width = 68, *height = 50, *index = i;
      return true;
    }
  return false;
}

struct AreaEventBlock {
  ControlRecord* control;
  const RECT* rectangle;
};

}  // namespace

void UpdatePictureControl(DriverContext*, PageRecord*, ControlRecord* control) {
  if (control && control->window) InvalidateRect(control->window, nullptr, FALSE);
}

void PaintPictureControl(DriverContext* context, PageRecord* page, ControlRecord* control, HDC dc, const RECT* rect) {
  PicturePaintState* paint = GetPaintState(context);
  const ImageRef option = ControlOption(context, control);
  if (!paint || !option || !OptionValues(option)) return;
  const bool pickOne = (OptionRawType(option) & 0xFF) == 1;
  const bool currentOnly = pickOne && !control->linkedId;
  const DWORD current = currentOnly ? GetControlFieldValue(context, control) : 0;
  DWORD flags = 0;
  if (const auto* sample = static_cast<const WORD*>(GetControlExtraData(control, 1))) {
    for (int i = 0; i < 6; ++i)
      paint->adjust[i] = static_cast<std::int32_t>(GetFieldValueById(context, sample[3 + i])) + 50;
    flags |= 2;
  }
  const DWORD savedBackground = paint->background;
  if (dc) paint->overrideDc = dc;
  else if (GetControlExtraData(control, 8)) paint->background = 0xFFFFFF;
  BeginBufferedPaint(context);
  RECT area{};
  if (rect) area = RECT{0, 0, rect->right - rect->left, rect->bottom - rect->top};
  else if (control->window) GetClientRect(control->window, &area);
  const ImageRef block = OptionCondition(option);
  bool sheetSent = false;
  DWORD steps = ImageSize(option.image) / 8 + 1;
  for (ImageRef item = OptionValues(option); item && steps--; item = NextOptionNode(option, item)) {
    const DWORD value = NextOptionValue(option, item, nullptr);
    if (value == 0 || (currentOnly && value != current)) continue;
    DensityPictureEventBlock density{control, value, 0xFFFF};
    NotifyModules(context, MODEV_DENSITY_PICTURE, &density);
    if (density.answer != 0xFFFF) {
      paint->adjust[0] = static_cast<std::int32_t>(density.answer) + 50;
      for (int i = 1; i < 6; ++i) paint->adjust[i] = 50;
      flags |= 2;
      paint->maskedPreview = 1;
    }
    const bool disabled = block && IsItemDisabled(option, static_cast<WORD>(value), context);
    if (!disabled) DrawNamedPicture(context, page, control, control->window, rect, value, flags, FALSE);
    int width = 0, height = 0, index = 0;
    if (!sheetSent && SheetPicture(value, &width, &height, &index)) {
      sheetSent = true;
      PreviewEventBlock preview{control, width, height, dc, &area, index};
      NotifyModules(context, MODEV_PREVIEW_PAINTED, &preview);
    }
    if (!disabled && pickOne) break;
    if (!disabled) flags |= kPictureTransparent;
  }
  if (control->controlId == 0) {
    AreaEventBlock areaBlock{control, &area};
    NotifyModules(context, kModuleAreaEvent, &areaBlock);
  }
  EndBufferedPaint(context, control->window, rect);
  paint->overrideDc = nullptr;
  for (int& a : paint->adjust) a = 50;
  paint->background = savedBackground;
}

void UpdateValueIcon(DriverContext* context, PageRecord*, ControlRecord* control) {
  const ImageRef option = ControlOption(context, control);
  if (!option || !control->window) return;
  const bool pickOne = (OptionRawType(option) & 0xFF) == 1;
  const bool currentOnly = pickOne && !control->linkedId;
  const DWORD current = currentOnly ? GetControlFieldValue(context, control) : 0;
  const ImageRef block = OptionCondition(option);
  DWORD steps = ImageSize(option.image) / 8 + 1;
  for (ImageRef item = OptionValues(option); item && steps--; item = NextOptionNode(option, item)) {
    const DWORD value = NextOptionValue(option, item, nullptr);
    if (value == 0 || (currentOnly && value != current)) continue;
    if (block && IsItemDisabled(option, static_cast<WORD>(value), context)) continue;
    DrawValueIcon(context, control->window, value);
    if (pickOne) break;
  }
}
