// Value scanners over a statement's buffers.
#include "model/value_scanners.h"

#include <climits>
#include <cstring>

#include "model/model_parse.h"
#include "win/kernel.h"

namespace {

// The end of the text from the position: its length, or an earlier NUL.
DWORD TextEnd(const TextBuffer& b) {
  if (!b.bytes || b.position >= b.length) return b.length;
  const void* nul = std::memchr(b.bytes + b.position, 0, b.length - b.position);
  return nul ? static_cast<DWORD>(static_cast<const char*>(nul) - b.bytes) : b.length;
}

int HexValue(BYTE c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

BYTE PeekByte(const TextBuffer& b) {
  return b.bytes && b.position < b.length ? static_cast<BYTE>(b.bytes[b.position]) : 0;
}

bool AtTextEnd(const TextBuffer& b) { return PeekByte(b) == 0; }

void SkipBlanksIn(TextBuffer& b, bool lineEndsToo) {
  for (;;) {
    const BYTE c = PeekByte(b);
    if (IsBlank(c) || (lineEndsToo && IsLineEnd(c))) ++b.position;
    else return;
  }
}

char* NextWord(TextBuffer& b, BYTE* terminator) {
  SkipBlanksIn(b, true);
  if (AtTextEnd(b)) {
    if (terminator) *terminator = 0;
    if (b.position > b.length) b.position = b.length;
    return nullptr;
  }
  if (PeekByte(b) == '*') ++b.position;
  char* word = b.bytes + b.position;
  for (;;) {
    const BYTE c = PeekByte(b);
    if (c == 0) {
      if (terminator) *terminator = 0;
      return word;
    }
    if (IsDelimiter(c)) {
      if (terminator) *terminator = c;
      b.bytes[b.position++] = 0;
      return word;
    }
    ++b.position;
  }
}

bool NextNumber(TextBuffer& b, std::int32_t* value, BYTE* terminator, bool* found) {
  SkipBlanksIn(b, true);
  *value = 0;
  if (found) *found = false;
  if (AtTextEnd(b)) {
    if (terminator) *terminator = 0;
    return true;
  }
  if (found) *found = true;
  bool negative = false;
  if (PeekByte(b) == '-') {
    negative = true;
    ++b.position;
  }
  std::int64_t n = 0;
  while (IsDigit(PeekByte(b))) {
    n = n * 10 + (PeekByte(b) - '0');
    if (n > static_cast<std::int64_t>(INT_MAX) + 1) return false;
    ++b.position;
  }
  if (negative) n = -n;
  if (n > INT_MAX || n < INT_MIN) return false;
  *value = static_cast<std::int32_t>(n);
  if (terminator) *terminator = PeekByte(b);
  return true;
}

bool SkipPastChar(TextBuffer& b, char c) {
  const DWORD end = TextEnd(b);
  if (b.position < end) {
    const void* hit = std::memchr(b.bytes + b.position, c, end - b.position);
    if (hit) {
      b.position = static_cast<DWORD>(static_cast<const char*>(hit) - b.bytes) + 1;
      return true;
    }
  }
  b.position = end;
  return false;
}

namespace {

// Decodes in place; returns the decoded length (0 for none) and where it starts.
DWORD DecodeQuoted(TextBuffer& b, char** start, BYTE* terminator) {
  const DWORD end = TextEnd(b);
  DWORD r = b.position;
  bool quoted = false;
  if (r < end) {
    if (const void* q = std::memchr(b.bytes + r, '"', end - r)) {
      r = static_cast<DWORD>(static_cast<const char*>(q) - b.bytes) + 1;
      quoted = true;
    }
  }
  const bool* lead = AnsiLeadBytes();
  const DWORD first = r;
  DWORD w = r;
  bool hex = false;
  int nibble = -1;
  bool closed = false;
  while (r < end) {
    const BYTE c = static_cast<BYTE>(b.bytes[r]);
    if (quoted && c == '"') {
      closed = true;
      ++r;
      break;
    }
    ++r;
    if (IsLineEnd(c)) continue;
    if (hex) {
      if (c == '>') {
        hex = false;
        nibble = -1;
      } else if (const int h = HexValue(c); h >= 0) {
        if (nibble < 0) {
          nibble = h;
        } else {
          b.bytes[w++] = static_cast<char>(nibble * 16 + h);
          nibble = -1;
        }
      }
      continue;
    }
    if (c == '%') {
      if (r >= end) break;
      b.bytes[w++] = b.bytes[r++];
      continue;
    }
    if (c == '<') {
      hex = true;
      continue;
    }
    b.bytes[w++] = static_cast<char>(c);
    if (lead[c] && r < end) b.bytes[w++] = b.bytes[r++];
  }
  const DWORD length = w - first;
  if (length == 0) return 0;
  if (terminator) *terminator = closed && r < end ? static_cast<BYTE>(b.bytes[r]) : 0;
  *start = b.bytes + first;
  b.position = r;
  return length;
}

}  // namespace

char* NextQuotedString(ModelParse* parse, TextBuffer& b, DWORD* length, BYTE* terminator) {
  char* start = nullptr;
  BYTE term = 0;
  const DWORD n = DecodeQuoted(b, &start, &term);
  if (terminator) *terminator = term;
  if (n == 0) return nullptr;
  char* copy = ParseCopyText(parse, start, n);
  if (copy && length) *length = n + 1;
  return copy;
}

char* NextQuotedStringHere(ModelParse* parse, TextBuffer& b, DWORD* length, BYTE* terminator) {
  SkipBlanksIn(b, true);
  if (PeekByte(b) != '"') {
    if (terminator) *terminator = PeekByte(b);
    return nullptr;
  }
  return NextQuotedString(parse, b, length, terminator);
}

WCHAR* NextQuotedStringWide(ModelParse* parse, TextBuffer& b, BYTE* terminator) {
  char* start = nullptr;
  BYTE term = 0;
  const DWORD n = DecodeQuoted(b, &start, &term);
  if (terminator) *terminator = term;
  if (n == 0) return nullptr;
  auto* wide = static_cast<WCHAR*>(ParseAlloc(parse, (static_cast<std::size_t>(n) + 1) * sizeof(WCHAR)));
  if (!wide) return nullptr;
  const int converted = MultiByteToWideChar(CP_ACP, 0, start, static_cast<int>(n), wide, static_cast<int>(n));
  wide[converted > 0 ? converted : 0] = 0;
  return wide;
}

bool ParseRuleNumber(const char* text, std::int32_t* value) {
  *value = 0;
  if (!text) return true;
  std::int64_t n = 0;
  bool negative = false;
  for (const char* p = text; *p && *p != ' ' && *p != '\t' && *p != '='; ++p) {
    if (*p == '-') negative = true;
    else if (IsDigit(static_cast<BYTE>(*p))) {
      n = n * 10 + (*p - '0');
      if (n > static_cast<std::int64_t>(INT_MAX) + 1) return false;
    }
  }
  if (negative) n = -n;
  if (n > INT_MAX || n < INT_MIN) return false;
  *value = static_cast<std::int32_t>(n);
  return true;
}

int IsAllDigits(const char* text) {
  for (const char* p = text; p && *p; ++p) {
    if (!IsDigit(static_cast<BYTE>(*p))) return 0;
  }
  return 1;
}

int IsAlphanumeric(const char* text) {
  for (const char* p = text; p && *p; ++p) {
    const BYTE c = static_cast<BYTE>(*p);
    if (!IsDigit(c) && !((c | 0x20) >= 'a' && (c | 0x20) <= 'z')) return 0;
  }
  return 1;
}
