#include "stored/ini_text.h"

#include <cstring>

#include "base/memory.h"
#include "win/files.h"
#include "win/kernel.h"
#include "win/security.h"

namespace {

DWORD WideLen(const WCHAR* text) {
  DWORD n = 0;
  while (text[n]) ++n;
  return n;
}

// UTF-16 to ANSI into target (room for `room` bytes and a NUL after them); the bytes
// written. A double-byte character is never split.
DWORD ToAnsi(char* target, DWORD room, const WCHAR* source) {
  ULONG written = 0;
  RtlUnicodeToMultiByteN(target, room, &written, source, WideLen(source) * sizeof(WCHAR));
  if (written > room) written = room;
  target[written] = 0;
  return written;
}

// The ANSI byte count of a UTF-16 text.
DWORD AnsiSize(const WCHAR* source) {
  const DWORD chars = WideLen(source);
  if (chars == 0) return 0;
  const int n = WideCharToMultiByte(CP_ACP, 0, source, static_cast<int>(chars), nullptr, 0, nullptr, nullptr);
  return n > 0 ? static_cast<DWORD>(n) : 0;
}

char FoldCase(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Whether text starts with the name (letter case ignored) directly followed by `after`.
bool StartsWithName(const char* text, const char* name, DWORD nameLength, char after) {
  for (DWORD i = 0; i < nameLength; ++i)
    if (!text[i] || FoldCase(text[i]) != FoldCase(name[i])) return false;
  return text[nameLength] == after;
}

// The start of the next line (the byte after the next LF), or the terminating NUL.
const char* NextLine(const char* line) {
  while (*line && *line != '\n') ++line;
  return *line ? line + 1 : line;
}

// Copies at most capacity - 1 characters of the ANSI bytes into the destination and ends
// it with a NUL; the characters copied.
DWORD CopyAnsiValue(WCHAR* destination, WORD capacity, const char* bytes, DWORD byteCount) {
  if (!destination || capacity == 0) return 0;
  ULONG written = 0;
  const ULONG room = static_cast<ULONG>(capacity - 1) * sizeof(WCHAR);
  if (byteCount > 0 && room > 0) RtlMultiByteToUnicodeN(destination, room, &written, bytes, byteCount);
  DWORD chars = written / sizeof(WCHAR);
  if (chars > static_cast<DWORD>(capacity - 1)) chars = capacity - 1;
  destination[chars] = 0;
  return chars;
}

DWORD CopyDefault(WCHAR* destination, WORD capacity, const WCHAR* defaultValue) {
  if (!destination || capacity == 0) return 0;
  DWORD n = 0;
  while (defaultValue && n + 1 < capacity && defaultValue[n]) {
    destination[n] = defaultValue[n];
    ++n;
  }
  destination[n] = 0;
  return n;
}

}  // namespace

char* ReadIniFileToMemory(const WCHAR* path) {
  if (!path || !path[0] || path[1] != u':') return nullptr;
  HANDLE file =
      CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  char* buffer = nullptr;
  DWORD high = 0;
  const DWORD size = GetFileSize(file, &high);
  // A size that cannot be held with its NUL in one block is not a settings file.
  if (high == 0 && size != INVALID_FILE_SIZE) {
    buffer = static_cast<char*>(AllocMem(size + 1));
    if (buffer) {
      DWORD total = 0;
      while (total < size) {
        DWORD read = 0;
        if (!ReadFile(file, buffer + total, size - total, &read, nullptr) || read == 0) break;
        total += read;
      }
      if (total < size) {
        FreeMem(buffer);
        buffer = nullptr;
      }
    }
  }
  CloseHandle(file);
  return buffer;
}

BOOL FreeIniBuffer(char* buffer) {
  FreeMem(buffer);
  return TRUE;
}

const char* FindIniSection(const WCHAR* section, const char* buffer) {
  if (!section || !buffer) return nullptr;
  char name[kIniNameBytes + 1];
  const DWORD length = ToAnsi(name, kIniNameBytes, section);
  for (const char* line = buffer; *line; line = NextLine(line)) {
    if (line[0] == '[' && StartsWithName(line + 1, name, length, ']')) return NextLine(line);
  }
  return nullptr;
}

DWORD ReadIniStringFromMemory(const WCHAR* key, const WCHAR* defaultValue, WCHAR* destination, WORD capacity,
                              const char* section, LONG* cursor) {
  if (!section || !cursor || !key) return CopyDefault(destination, capacity, defaultValue);
  char name[kIniNameBytes + 1];
  const DWORD length = ToAnsi(name, kIniNameBytes, key);
  // A cursor that does not lie inside the text counts as the section's start.
  LONG offset = *cursor;
  if (offset < 0 || ::strnlen(section, static_cast<size_t>(offset)) < static_cast<size_t>(offset)) offset = 0;
  const char* start = section + offset;
  const char* line = start;
  int pass = 1;
  for (;;) {
    if (*line == '[' || *line == 0) {
      if (pass == 2) {
        *cursor = 0;
        break;
      }
      pass = 2;
      line = section;
      continue;
    }
    if (pass == 2 && line == start) break;
    if (StartsWithName(line, name, length, '=')) {
      const char* value = line + length + 1;
      DWORD bytes = 0;
      while (value[bytes] && value[bytes] != '\r' && value[bytes] != '\n') ++bytes;
      const DWORD chars = CopyAnsiValue(destination, capacity, value, bytes);
      *cursor = static_cast<LONG>(NextLine(value + bytes) - section);
      return chars;
    }
    line = NextLine(line);
  }
  return CopyDefault(destination, capacity, defaultValue);
}

INT ReadIniIntFromMemory(const WCHAR* key, INT defaultValue, const char* section, LONG* cursor) {
  WCHAR text[11] = {};
  if (ReadIniStringFromMemory(key, u"", text, 11, section, cursor) == 0) return defaultValue;
  const WCHAR* p = text;
  while (*p == u' ' || *p == u'\t') ++p;
  bool negative = false;
  if (*p == u'-' || *p == u'+') negative = *p++ == u'-';
  DWORD value = 0;
  for (; *p >= u'0' && *p <= u'9'; ++p) value = value * 10u + static_cast<DWORD>(*p - u'0');
  if (negative) value = 0u - value;
  return static_cast<INT>(value);
}

BOOL AppendIniLine(LONG* offset, const WCHAR* key, const WCHAR* value, char* buffer) {
  if (!offset || !key || !value || !buffer) return FALSE;
  if (!key[0]) return TRUE;
  const LONG at = *offset;
  if (at < 0 || static_cast<DWORD>(at) >= kIniTextBufferBytes) return FALSE;
  const DWORD keyBytes = AnsiSize(key);
  const DWORD valueBytes = AnsiSize(value);
  const DWORD room = kIniTextBufferBytes - static_cast<DWORD>(at);
  // The line and a NUL after it must fit.
  if (keyBytes == 0 || keyBytes >= room || valueBytes >= room ||
      static_cast<ULONGLONG>(keyBytes) + valueBytes + 3 >= room)
    return FALSE;
  char* out = buffer + at;
  out += ToAnsi(out, keyBytes, key);
  *out++ = '=';
  if (valueBytes) {
    // A line break inside the value would end the line and start another key. Trail
    // bytes of double-byte characters are never CR or LF, so bytes can be replaced.
    char* text = out;
    out += ToAnsi(out, valueBytes, value);
    for (; text < out; ++text)
      if (*text == '\r' || *text == '\n') *text = ' ';
  }
  *out++ = '\r';
  *out++ = '\n';
  *out = 0;
  *offset = static_cast<LONG>(out - buffer);
  return TRUE;
}
