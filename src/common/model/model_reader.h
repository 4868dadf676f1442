// The model description reader: finding the printer's data file, mapping it, and cutting it
// into statements under the file's lexical rules.
#pragma once

#include <cstdint>

#include "win/types.h"

// Character classes of the model description.
constexpr BYTE kClassLineEnd = 0x01;
constexpr BYTE kClassBlank = 0x02;
constexpr BYTE kClassKeyword = 0x04;
constexpr BYTE kClassOptionWord = 0x08;
constexpr BYTE kClassDelimiter = 0x10;
constexpr BYTE kClassDigit = 0x20;
constexpr BYTE kClassHexDigit = 0x40;

// The class bits of a byte.
BYTE ModelCharClass(BYTE b);
inline bool IsLineEnd(BYTE b) { return b == 0x0D || b == 0x0A; }
inline bool IsBlank(BYTE b) { return b == 0x20 || b == 0x09; }
inline bool IsKeywordChar(BYTE b) { return (ModelCharClass(b) & kClassKeyword) != 0; }
inline bool IsDelimiter(BYTE b) { return (ModelCharClass(b) & kClassDelimiter) != 0; }
inline bool IsDigit(BYTE b) { return b >= '0' && b <= '9'; }

// Lead bytes of the current ANSI code page (a table of 256 flags, rebuilt when the code
// page changes).
const bool* AnsiLeadBytes();

// A growable NUL-terminated byte buffer.
struct TextBuffer {
  DWORD capacity;  // bytes, without the terminator
  DWORD length;    // bytes stored
  DWORD position;  // scan position of the statement handlers
  char* bytes;     // capacity + 1 bytes
};

bool InitTextBuffer(TextBuffer& buffer);
void FreeTextBuffer(TextBuffer& buffer);
void ClearTextBuffer(TextBuffer& buffer);
// Appends one byte; false when the buffer cannot grow.
bool AppendTextByte(TextBuffer& buffer, char b);
// Replaces the contents (for callers that scan a text of their own).
bool SetTextBuffer(TextBuffer& buffer, const char* text, DWORD length);

// One statement: keyword, option word 1, option word 2 and value.
struct Statement {
  TextBuffer keyword;
  TextBuffer option1;
  TextBuffer option2;
  TextBuffer value;
};

// A fresh statement with four empty buffers, or null when memory is short.
Statement* CreateStatement();
void FreeStatement(Statement* statement);

// The open file: a read-only view of its bytes and the read position.
struct ModelReader {
  const BYTE* view;     // the mapped file (null for an empty one)
  DWORD size;
  DWORD position;
  DWORD remaining;      // bytes not yet read
  bool mapped;          // the view is a mapping to unmap on close
  bool leadBytes[256];  // lead bytes of the ANSI code page at open time
};

// The printer's data-file path from its driver record (level 2), as a fresh block the
// caller frees with FreeMem; null when the spooler call fails or there is no data file.
WCHAR* GetDataFilePath(HANDLE hPrinter);
// Opens and maps the file read-only; null when it cannot be opened, sized or mapped.
ModelReader* OpenModelReader(const WCHAR* path);
// A reader over bytes in memory (which must outlive it).
ModelReader* OpenModelReaderOnBytes(const BYTE* bytes, DWORD size);
void CloseModelReader(ModelReader* reader);

// 0 and the next byte, or 1 at the end of the file.
int ReadModelByte(ModelReader* reader, BYTE* out);
// Reads the next statement into the four buffers: 0, 1 (end of file), 3 (malformed, the
// statement is skipped) or 4 (out of memory). The buffers' positions are 0 afterwards.
int ReadStatement(Statement* statement, ModelReader* reader);
