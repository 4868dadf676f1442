// The static kinds and their safe value formatter.
#include "pages/static_kinds.h"

#include <cstdio>

#include "base/driver_context.h"
#include "base/ui_strings.h"
#include "fields/dictionary_lookup.h"
#include "modules/change_handling.h"
#include "pages/help_tips.h"
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
