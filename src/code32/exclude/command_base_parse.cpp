#include "command_base_parse.h"

#include <cstring>

#include "base/memory.h"
#include "win/kernel.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

const char* SkipBlanks(const char* p) {
  while (IsBlank(*p)) ++p;
  return p;
}

// A token from p to the next blank, line end or NUL. A double-byte character is taken
// whole; a lead byte followed by the NUL, a blank or a line end is a byte of its own, and
// what follows it ends the token as after any other byte. Null when the token does not fit
// the buffer.
const char* ReadToken(const char* p, char out[kPjlTokenBytes]) {
  int n = 0;
  while (*p && !IsBlank(*p) && !IsLineEnd(*p)) {
    const bool pair = IsDBCSLeadByte(static_cast<BYTE>(*p)) && p[1] != '\0' && !IsBlank(p[1]) && !IsLineEnd(p[1]);
    const int width = pair ? 2 : 1;
    if (n + width > kPjlTokenBytes - 1) return nullptr;
    for (int i = 0; i < width; ++i) out[n++] = *p++;
  }
  out[n] = '\0';
  return p;
}

}  // namespace

int ParsePjlLine(const char* text, char name[kPjlTokenBytes], char value[kPjlTokenBytes]) {
  name[0] = value[0] = '\0';
  if (!text) return 0;
  const char* p = SkipBlanks(text);
  if (*p == '\0') return 0;
  if (std::strncmp(p, "@PJL", 4) != 0) return -1;
  p = SkipBlanks(p + 4);
  if (std::strncmp(p, "SET", 3) != 0) return -1;
  p = SkipBlanks(p + 3);
  p = ReadToken(p, name);
  if (!p) return -1;
  p = SkipBlanks(p);
  if (*p != '=') return -1;
  p = SkipBlanks(p + 1);
  p = ReadToken(p, value);
  if (!p) return -1;
  p = SkipBlanks(p);
  if (p[0] != '\r' || p[1] != '\n') return -1;
  const std::ptrdiff_t used = p + 2 - text;
  return used > 0x7FFFFFFF ? -1 : static_cast<int>(used);
}

std::size_t FindPjlValueOfName(const char* text, const char* name, char value[kPjlTokenBytes]) {
  value[0] = '\0';
  if (!text || !name) return 0;
  std::size_t at = 0;
  char lineName[kPjlTokenBytes];
  char lineValue[kPjlTokenBytes];
  for (;;) {
    const int used = ParsePjlLine(text + at, lineName, lineValue);
    if (used <= 0) return at;
    at += static_cast<std::size_t>(used);
    if (std::strcmp(lineName, name) == 0) {
      std::memcpy(value, lineValue, std::strlen(lineValue) + 1);
      return at;
    }
  }
}

int HasPjlName(const char* text, const char* name, char value[kPjlTokenBytes]) {
  value[0] = '\0';
  if (!text || !name) return 0;
  std::size_t at = 0;
  char lineName[kPjlTokenBytes];
  char lineValue[kPjlTokenBytes];
  for (;;) {
    const int used = ParsePjlLine(text + at, lineName, lineValue);
    if (used <= 0) return 0;
    at += static_cast<std::size_t>(used);
    if (std::strcmp(lineName, name) == 0) {
      std::memcpy(value, lineValue, std::strlen(lineValue) + 1);
      return 1;
    }
  }
}

PjlText::~PjlText() { FreeMem(data_); }

bool PjlText::Reserve(std::size_t more) {
  if (failed_) return false;
  if (length_ + more <= capacity_) return true;
  constexpr std::size_t kStep = 4096;
  const std::size_t want = (length_ + more + kStep - 1) / kStep * kStep;
  if (want > 0x7FFFFFFFu) {
    failed_ = true;
    return false;
  }
  char* grown = static_cast<char*>(AllocMem(static_cast<DWORD>(want)));
  if (!grown) {
    failed_ = true;
    return false;
  }
  if (data_) std::memcpy(grown, data_, length_);
  FreeMem(data_);
  data_ = grown;
  capacity_ = want;
  return true;
}

bool PjlText::Append(const char* text, std::size_t length) {
  if (!Reserve(length)) return false;
  if (length) std::memcpy(data_ + length_, text, length);
  length_ += length;
  return true;
}

bool PjlText::Append(const char* text) { return Append(text ? text : "", text ? std::strlen(text) : 0); }

bool PjlText::AppendChar(char c) { return Append(&c, 1); }

void PjlText::Truncate(std::size_t length) {
  if (length < length_) length_ = length;
}

char* PjlText::Release() {
  char* out = data_;
  data_ = nullptr;
  length_ = capacity_ = 0;
  return out;
}

bool AppendPjlLine(PjlText& text, const char* name, const char* value) {
  return text.Append("@PJL SET ") && text.Append(name) && text.Append(" = ") && text.Append(value) &&
         text.Append(" \r\n");
}
