// The static kinds and their safe value formatter.
#include "pages/static_kinds.h"

#include <cstdio>

#include "base/ui_strings.h"
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
