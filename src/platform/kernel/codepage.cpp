// The platform's converters between the code pages and UTF-16 (plat/codepage.h), on the
// tables of kernel/codepage_tables. UTF-8 (65001) is converted directly.
#include "plat/codepage.h"

#include "kernel/codepage_tables.h"
#include "plat/system.h"
#include "plat/wstr.h"

namespace plat {

namespace {
constexpr UINT kUtf8 = 65001;
}  // namespace

bool IsSupportedCodePage(UINT cp) {
  cp = ResolveCodePage(cp);
  return cp == kUtf8 || FindCodePageTable(cp) != nullptr;
}

UINT ResolveCodePage(UINT cp) {
  if (cp == 0 || cp == 3) return Machine().ansiCodePage;  // CP_ACP, CP_THREAD_ACP
  if (cp == 1) return Machine().oemCodePage;               // CP_OEMCP
  return cp;
}

bool IsLeadByte(UINT cp, BYTE b) {
  cp = ResolveCodePage(cp);
  if (cp == kUtf8) return false;
  const CodePageTable* t = FindCodePageTable(cp);
  return t && t->lead[b];
}

std::u16string AnsiToWide(std::string_view bytes, UINT cp, bool* invalid) {
  cp = ResolveCodePage(cp);
  if (invalid) *invalid = false;
  if (cp == kUtf8) {
    std::u16string out = FromUtf8(bytes);
    if (invalid && out.find(u'\uFFFD') != std::u16string::npos) *invalid = true;
    return out;
  }
  // The Win32 calls refuse an unknown page first; the platform's own callers (a machine
  // set to a page iconv lacks) get 1252, so that no text is lost.
  const CodePageTable* t = FindCodePageTable(cp);
  if (!t) t = FindCodePageTable(1252);
  std::u16string out;
  if (!t) {  // no iconv tables at all: bytes as Latin-1
    for (char c : bytes) out.push_back(static_cast<BYTE>(c));
    return out;
  }
  out.reserve(bytes.size());
  bool bad = false;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const BYTE b = static_cast<BYTE>(bytes[i]);
    if (t->lead[b]) {
      if (i + 1 < bytes.size()) {
        // A lead byte takes the next byte with it, paired or not.
        const char16_t u = t->Pair(b, static_cast<BYTE>(bytes[++i]));
        if (u) {
          out.push_back(u);
          continue;
        }
      }
      bad = true;
      out.push_back(t->unicodeDefault);
      continue;
    }
    if (t->singleValid[b]) {
      out.push_back(t->single[b]);
    } else {
      bad = true;
      out.push_back(t->unicodeDefault);
    }
  }
  if (invalid) *invalid = bad;
  return out;
}

std::string WideToAnsi(std::u16string_view text, UINT cp, bool* usedDefault) {
  cp = ResolveCodePage(cp);
  if (usedDefault) *usedDefault = false;
  if (cp == kUtf8) return ToUtf8(text);
  const CodePageTable* t = FindCodePageTable(cp);
  if (!t) t = FindCodePageTable(1252);
  std::string out;
  out.reserve(text.size());
  bool used = false;
  if (!t) {  // no iconv tables at all: Latin-1
    for (char16_t c : text) {
      used = used || c > 0xFF;
      out.push_back(c > 0xFF ? '?' : static_cast<char>(c));
    }
    if (usedDefault) *usedDefault = used;
    return out;
  }
  for (char16_t c : text) {
    const std::uint16_t code = t->encode[c];
    if (c == 0) {
      out.push_back('\0');
    } else if (code == 0) {
      used = true;
      out.push_back('?');
    } else if (code > 0xFF) {
      out.push_back(static_cast<char>(code >> 8));
      out.push_back(static_cast<char>(code & 0xFF));
    } else {
      out.push_back(static_cast<char>(code));
    }
  }
  if (usedDefault) *usedDefault = used;
  return out;
}

}  // namespace plat
