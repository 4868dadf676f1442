#include "base/message_boxes.h"

#include <string>

#include "base/paths_and_names.h"
#include "base/ui_strings.h"
#include "win/kernel.h"
#include "win/msgbox.h"
#include "win/systext.h"

namespace {

constexpr int kCaptionChars = 261;
constexpr int kFormatChars = 1024;

std::u16string Text(const WCHAR* s) { return s ? std::u16string(s) : std::u16string(); }

void AppendNumber(std::u16string& out, long long v, int base, bool upper) {
  if (v < 0) {
    out += u'-';
    v = -v;
  }
  char digits[32];
  int n = 0;
  do {
    const int d = static_cast<int>(v % base);
    digits[n++] = static_cast<char>(d < 10 ? '0' + d : (upper ? 'A' : 'a') + d - 10);
    v /= base;
  } while (v && n < 31);
  while (n) out += static_cast<char16_t>(digits[--n]);
}

// The message with its inserts filled by position: the text for "%s", the numbers in
// order for the integer conversions. The message is never handed to a formatter, so a
// translated text with inserts the caller did not give reads nothing it should not.
std::u16string Fill(const std::u16string& format, const MessageRequest& r) {
  std::u16string out;
  const WCHAR* text = r.argumentKind == MSGARG_TEXT ? static_cast<const WCHAR*>(r.argument) : nullptr;
  const WORD* numbers = r.argumentKind == MSGARG_NUMBERS ? static_cast<const WORD*>(r.argument) : nullptr;
  // Counts 1 to 8 pass that many numbers; any other count passes the first alone.
  const int numberCount = !numbers ? 0 : (r.argumentCount >= 1 && r.argumentCount <= 8) ? r.argumentCount : 1;
  bool textUsed = false;
  int nextNumber = 0;
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] != u'%' || i + 1 >= format.size()) {
      out += format[i];
      continue;
    }
    std::size_t j = i + 1;
    if (format[j] == u'%') {
      out += u'%';
      i = j;
      continue;
    }
    // Flags and a width: "-" pads on the right, "0" with zeros.
    bool left = false, zero = false;
    while (j < format.size() && (format[j] == u'-' || format[j] == u'0')) {
      left = left || format[j] == u'-';
      zero = zero || format[j] == u'0';
      ++j;
    }
    std::size_t width = 0;
    while (j < format.size() && format[j] >= u'0' && format[j] <= u'9' && width < 1000) width = width * 10 + (format[j++] - u'0');
    while (j < format.size() && (format[j] == u'h' || format[j] == u'l')) ++j;
    if (j >= format.size()) {
      out += format[i];
      continue;
    }
    const char16_t conv = format[j];
    const std::size_t start = out.size();
    if (conv == u's' && text && !textUsed) {
      out += text;
      textUsed = true;
      i = j;
    } else if ((conv == u'd' || conv == u'i' || conv == u'u' || conv == u'x' || conv == u'X') && nextNumber < numberCount) {
      const WORD v = numbers[nextNumber++];
      // Each number is widened to an int, as the caller's values are.
      const long long value = (conv == u'd' || conv == u'i') ? static_cast<long long>(static_cast<int>(v)) : v;
      AppendNumber(out, value, (conv == u'x' || conv == u'X') ? 16 : 10, conv == u'X');
      i = j;
    } else {
      out += format[i];  // an insert without its argument stays as it is
      continue;
    }
    const std::size_t written = out.size() - start;
    if (written < width) {
      const std::size_t pad = width - written;
      if (left) out.append(pad, u' ');
      else out.insert(start + ((zero && out[start] == u'-') ? 1 : 0), pad, zero && conv != u's' ? u'0' : u' ');
    }
  }
  return out;
}

HWND OwnerOrActive(HWND owner) { return owner ? owner : GetActiveWindow(); }

}  // namespace

int ShowFormattedMessage(DriverContext* context, const MessageRequest* r, HWND owner) {
  if (!r) return 0;
  if (r->argument && (r->argumentKind == 0 || (r->argumentKind == MSGARG_NUMBERS && r->argumentCount == 0))) return 0;
  WCHAR caption[kCaptionChars] = {};
  if (r->captionId) {
    LoadUiString(context, r->captionId, caption, kCaptionChars, 1);
  } else if (const WCHAR* name = GetPrinterDisplayName(context)) {
    int i = 0;
    for (; name[i] && i + 1 < kCaptionChars; ++i) caption[i] = name[i];
    caption[i] = 0;
  }
  // The message is built at the size it really has: prefix and suffix with their blank
  // lines, and the inserts as they are filled.
  std::u16string message;
  if (r->prefix) message = Text(r->prefix) + u"\r\n\r\n";
  WCHAR format[kFormatChars] = {};
  LoadUiString(context, r->textId, format, kFormatChars, 1);
  message += r->argument ? Fill(format, *r) : std::u16string(format);
  if (r->suffix) message += u"\r\n\r\n" + Text(r->suffix) + u"\r\n\r\n";
  return MessageBoxW(owner, message.c_str(), caption, static_cast<UINT>(r->boxType) | r->extraFlags);
}

int ShowWarningBox(DriverContext* context, HWND owner, DWORD textId) {
  MessageRequest r{static_cast<WORD>(textId), 0, static_cast<WORD>(MB_ICONWARNING | MB_OK), 0, nullptr, 0, 0, nullptr,
                   nullptr};
  return ShowFormattedMessage(context, &r, OwnerOrActive(owner));
}

int AskWarningOkCancel(DriverContext* context, HWND owner, DWORD textId) {
  MessageRequest r{static_cast<WORD>(textId), 0, static_cast<WORD>(MB_ICONWARNING | MB_OKCANCEL), 0, nullptr, 0, 0,
                   nullptr, nullptr};
  return ShowFormattedMessage(context, &r, OwnerOrActive(owner));
}

int ShowWarningWithText(DriverContext* context, void* owner, DWORD textId, const WCHAR* text) {
  MessageRequest r{static_cast<WORD>(textId), 0, static_cast<WORD>(MB_ICONWARNING), 0, nullptr, MSGARG_TEXT, 0,
                   text ? text : u"", nullptr};
  return ShowFormattedMessage(context, &r, OwnerOrActive(static_cast<HWND>(owner)));
}

int ShowMessageBoxFlags(DriverContext* context, HWND owner, DWORD textId, UINT boxType, UINT extraFlags) {
  MessageRequest r{static_cast<WORD>(textId), 0, static_cast<WORD>(boxType), static_cast<WORD>(extraFlags), nullptr, 0,
                   0, nullptr, nullptr};
  return ShowFormattedMessage(context, &r, OwnerOrActive(owner));
}

int ShowSystemErrorText(DriverContext* context, DWORD errorCode, HWND owner) {
  WCHAR* text = nullptr;
  const DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER,
                                 nullptr, errorCode, 0x400, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
  if (n && text) {
    const WCHAR* name = GetPrinterDisplayName(context);
    MessageBoxW(owner, text, name ? name : u"", MB_ICONWARNING);
  }
  if (text) LocalFree(text);
  return 1;
}

int ShowInformationMessage(DriverContext* context, DWORD messageId) {
  return ShowMessageBoxFlags(context, nullptr, messageId, MB_OK | MB_ICONINFORMATION, 0);
}
