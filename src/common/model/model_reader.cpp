// Reading a model description: the file, its bytes and its statements.
#include "model/model_reader.h"

#include <array>
#include <cstring>

#include "base/memory.h"
#include "win/errors.h"
#include "win/files.h"
#include "win/kernel.h"
#include "win/security.h"
#include "win/spool.h"

namespace {

constexpr std::array<BYTE, 256> MakeClasses() {
  std::array<BYTE, 256> t{};
  t[0x0D] |= kClassLineEnd | kClassDelimiter;
  t[0x0A] |= kClassLineEnd | kClassDelimiter;
  t[0x20] |= kClassBlank | kClassDelimiter;
  t[0x09] |= kClassBlank | kClassDelimiter;
  for (int c = 'A'; c <= 'Z'; ++c) t[c] |= kClassKeyword;
  for (int c = 'a'; c <= 'z'; ++c) t[c] |= kClassKeyword;
  for (int c = '0'; c <= '9'; ++c) t[c] |= kClassKeyword | kClassDigit | kClassHexDigit;
  for (int c = 'A'; c <= 'F'; ++c) t[c] |= kClassHexDigit;
  for (int c = 'a'; c <= 'f'; ++c) t[c] |= kClassHexDigit;
  for (char c : {'@', '/', '[', '\\', ']', '^', '_', '`'}) t[static_cast<BYTE>(c)] |= kClassKeyword;
  for (int c = 0x21; c <= 0x7E; ++c) {
    if (c != '/' && c != ':') t[c] |= kClassOptionWord;
  }
  for (char c : {'"', '#', '$', '%', '&', '\'', '(', ')', '*', ',', '.', '/', ':', ';', '<', '=', '>', '?', '{',
                 '|', '}'}) {
    t[static_cast<BYTE>(c)] |= kClassDelimiter;
  }
  return t;
}

constexpr std::array<BYTE, 256> kClasses = MakeClasses();

bool IsOptionWordChar(BYTE b) { return (kClasses[b] & kClassOptionWord) != 0; }

void FillLeadBytes(bool* table) {
  const UINT cp = GetACP();
  for (int b = 0; b < 256; ++b) table[b] = IsDBCSLeadByteEx(cp, static_cast<BYTE>(b)) != 0;
}

}  // namespace

BYTE ModelCharClass(BYTE b) { return kClasses[b]; }

const bool* AnsiLeadBytes() {
  // One table per code page seen; the code page changes only in tests.
  struct Cache {
    UINT codePage;
    bool table[256];
  };
  static thread_local Cache cache{0xFFFFFFFFu, {}};
  const UINT cp = GetACP();
  if (cache.codePage != cp) {
    FillLeadBytes(cache.table);
    cache.codePage = cp;
  }
  return cache.table;
}

// ---------------------------------------------------------------------------------------
// Text buffers. They grow geometrically: a value of n bytes costs O(n) copying.

namespace {
constexpr DWORD kInitialCapacity = 1024;
constexpr DWORD kMaxCapacity = 0x7FFFFFF0u;
}  // namespace

bool InitTextBuffer(TextBuffer& buffer) {
  buffer = TextBuffer{};
  buffer.bytes = static_cast<char*>(AllocMem(kInitialCapacity + 1));
  if (!buffer.bytes) return false;
  buffer.capacity = kInitialCapacity;
  return true;
}

void FreeTextBuffer(TextBuffer& buffer) {
  FreeMem(buffer.bytes);
  buffer = TextBuffer{};
}

void ClearTextBuffer(TextBuffer& buffer) {
  buffer.length = 0;
  buffer.position = 0;
  if (buffer.bytes) buffer.bytes[0] = 0;
}

namespace {
bool GrowTextBuffer(TextBuffer& buffer, DWORD needed) {
  if (needed <= buffer.capacity && buffer.bytes) return true;
  if (needed > kMaxCapacity) return false;
  DWORD capacity = buffer.capacity ? buffer.capacity : kInitialCapacity;
  while (capacity < needed) capacity = capacity > kMaxCapacity / 2 ? kMaxCapacity : capacity * 2;
  auto* bytes = static_cast<char*>(AllocMem(capacity + 1));
  if (!bytes) return false;
  if (buffer.bytes) {
    std::memcpy(bytes, buffer.bytes, buffer.length);
    FreeMem(buffer.bytes);
  }
  buffer.bytes = bytes;
  buffer.capacity = capacity;
  return true;
}
}  // namespace

bool AppendTextByte(TextBuffer& buffer, char b) {
  if (buffer.length >= buffer.capacity || !buffer.bytes) {
    if (buffer.length >= kMaxCapacity || !GrowTextBuffer(buffer, buffer.length + 1)) return false;
  }
  buffer.bytes[buffer.length++] = b;
  buffer.bytes[buffer.length] = 0;
  return true;
}

bool SetTextBuffer(TextBuffer& buffer, const char* text, DWORD length) {
  ClearTextBuffer(buffer);
  if (!GrowTextBuffer(buffer, length)) return false;
  if (length) std::memcpy(buffer.bytes, text, length);
  buffer.length = length;
  buffer.bytes[length] = 0;
  return true;
}

Statement* CreateStatement() {
  auto* s = static_cast<Statement*>(AllocMem(sizeof(Statement)));
  if (!s) return nullptr;
  if (!InitTextBuffer(s->keyword) || !InitTextBuffer(s->option1) || !InitTextBuffer(s->option2) ||
      !InitTextBuffer(s->value)) {
    FreeStatement(s);
    return nullptr;
  }
  return s;
}

void FreeStatement(Statement* statement) {
  if (!statement) return;
  FreeTextBuffer(statement->keyword);
  FreeTextBuffer(statement->option1);
  FreeTextBuffer(statement->option2);
  FreeTextBuffer(statement->value);
  FreeMem(statement);
}

// ---------------------------------------------------------------------------------------
// The file.

WCHAR* GetDataFilePath(HANDLE hPrinter) {
  DWORD needed = 0;
  GetPrinterDriverW(hPrinter, nullptr, 2, nullptr, 0, &needed);
  if (needed < sizeof(DRIVER_INFO_2W)) return nullptr;
  auto* info = static_cast<BYTE*>(AllocMem(needed));
  if (!info) return nullptr;
  WCHAR* copy = nullptr;
  DWORD again = 0;
  if (GetPrinterDriverW(hPrinter, nullptr, 2, info, needed, &again)) {
    const auto* d = reinterpret_cast<const DRIVER_INFO_2W*>(info);
    if (d->pDataFile && d->pDataFile[0]) {
      // The string lies inside the block the spooler filled; its length is bounded by it.
      const auto* end = reinterpret_cast<const WCHAR*>(info + needed);
      const WCHAR* p = d->pDataFile;
      const bool inside = reinterpret_cast<const BYTE*>(p) >= info && p < end;
      std::size_t n = 0;
      if (inside) {
        while (p + n < end && p[n]) ++n;
      }
      if (inside && p + n < end) {
        copy = static_cast<WCHAR*>(AllocMem(static_cast<DWORD>((n + 1) * sizeof(WCHAR))));
        if (copy) std::memcpy(copy, p, n * sizeof(WCHAR));
      }
    }
  }
  FreeMem(info);
  return copy;
}

ModelReader* OpenModelReader(const WCHAR* path) {
  if (!path || !path[0]) return nullptr;
  HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE || !file) return nullptr;
  DWORD high = 0;
  const DWORD size = GetFileSize(file, &high);
  if ((size == INVALID_FILE_SIZE && GetLastError() != ERROR_SUCCESS) || high != 0) {
    CloseHandle(file);
    return nullptr;
  }
  HANDLE mapping = CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
  const void* view = mapping ? MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0) : nullptr;
  if (mapping) CloseHandle(mapping);
  CloseHandle(file);
  if (!view) return nullptr;
  auto* reader = static_cast<ModelReader*>(AllocMem(sizeof(ModelReader)));
  if (!reader) {
    UnmapViewOfFile(view);
    return nullptr;
  }
  reader->view = static_cast<const BYTE*>(view);
  reader->size = size;
  reader->remaining = size;
  reader->mapped = true;
  FillLeadBytes(reader->leadBytes);
  return reader;
}

ModelReader* OpenModelReaderOnBytes(const BYTE* bytes, DWORD size) {
  if (!bytes && size) return nullptr;
  auto* reader = static_cast<ModelReader*>(AllocMem(sizeof(ModelReader)));
  if (!reader) return nullptr;
  reader->view = bytes;
  reader->size = size;
  reader->remaining = size;
  FillLeadBytes(reader->leadBytes);
  return reader;
}

void CloseModelReader(ModelReader* reader) {
  if (!reader) return;
  if (reader->mapped && reader->view) UnmapViewOfFile(reader->view);
  FreeMem(reader);
}

int ReadModelByte(ModelReader* reader, BYTE* out) {
  if (reader->remaining == 0) return 1;
  --reader->remaining;
  *out = reader->view[reader->position++];
  return 0;
}

// ---------------------------------------------------------------------------------------
// Statements.

namespace {

constexpr int kDone = 0;
constexpr int kEnd = 1;
constexpr int kMalformed = 3;
constexpr int kNoMemory = 4;

// Reads up to and including the next CR or LF.
int SkipLine(ModelReader* r) {
  BYTE b = 0;
  for (;;) {
    if (ReadModelByte(r, &b)) return kEnd;
    if (IsLineEnd(b)) return kDone;
  }
}

int ReadKeyword(Statement* s, ModelReader* r, BYTE& current) {
  BYTE b = 0;
  for (;;) {
    if (ReadModelByte(r, &b)) return kEnd;
    if (IsLineEnd(b)) continue;
    if (b == '*') {
      if (ReadModelByte(r, &b)) return kEnd;
      if (b != '%') break;
    }
    if (SkipLine(r)) return kEnd;
  }
  while (IsKeywordChar(b)) {
    if (!AppendTextByte(s->keyword, static_cast<char>(b))) return kNoMemory;
    if (ReadModelByte(r, &b)) return kEnd;
  }
  current = b;
  return s->keyword.length ? kDone : kMalformed;
}

int SkipBlanks(ModelReader* r, BYTE& current) {
  while (IsBlank(current)) {
    if (ReadModelByte(r, &current)) return kEnd;
  }
  return kDone;
}

int ReadOptionWord(TextBuffer& word, ModelReader* r, BYTE& current) {
  while (IsOptionWordChar(current)) {
    if (!AppendTextByte(word, static_cast<char>(current))) return kNoMemory;
    if (ReadModelByte(r, &current)) return kEnd;
  }
  return word.length ? kDone : kMalformed;
}

int ReadValue(TextBuffer& value, ModelReader* r) {
  BYTE b = 0;
  do {
    if (ReadModelByte(r, &b)) return kEnd;
  } while (IsBlank(b));
  bool quoted = false;
  DWORD parens = 0;
  DWORD braces = 0;
  for (;;) {
    if (!quoted && parens == 0 && braces == 0 && IsLineEnd(b)) return kDone;
    if (!AppendTextByte(value, static_cast<char>(b))) return kNoMemory;
    if (r->leadBytes[b]) {
      BYTE trail = 0;
      if (ReadModelByte(r, &trail)) return kEnd;
      if (!AppendTextByte(value, static_cast<char>(trail))) return kNoMemory;
    } else {
      switch (b) {
        case '"':
          quoted = !quoted;
          break;
        case '(':
          if (quoted) return kMalformed;
          ++parens;
          break;
        case ')':
          if (quoted || parens == 0) return kMalformed;
          --parens;
          break;
        case '{':
          if (quoted || parens) return kMalformed;
          ++braces;
          break;
        case '}':
          if (quoted || parens || braces == 0) return kMalformed;
          --braces;
          break;
        case '%':
          if (quoted) {
            BYTE next = 0;
            if (ReadModelByte(r, &next)) return kEnd;
            if (IsLineEnd(next)) return kMalformed;
            if (!AppendTextByte(value, static_cast<char>(next))) return kNoMemory;
          }
          break;
        default:
          break;
      }
    }
    if (ReadModelByte(r, &b)) return kEnd;
  }
}

}  // namespace

int ReadStatement(Statement* s, ModelReader* r) {
  ClearTextBuffer(s->keyword);
  ClearTextBuffer(s->option1);
  ClearTextBuffer(s->option2);
  ClearTextBuffer(s->value);
  BYTE current = 0;
  int code = ReadKeyword(s, r, current);
  if (code == kDone && !IsLineEnd(current)) {
    code = SkipBlanks(r, current);
    if (code == kDone && current != ':') {
      code = ReadOptionWord(s->option1, r, current);
      if (code == kDone) code = SkipBlanks(r, current);
      if (code == kDone && current != ':') {
        code = ReadOptionWord(s->option2, r, current);
        if (code == kDone) code = SkipBlanks(r, current);
        if (code == kDone && current != ':') code = kMalformed;
      }
    }
    if (code == kDone) code = ReadValue(s->value, r);
  }
  s->keyword.position = s->option1.position = s->option2.position = s->value.position = 0;
  return code;
}
