// INI text held in memory. A settings section is read from one copy of the whole file and
// written as one block of "key=value" lines, instead of one profile call per key.
//
// Read side: the file's bytes (8-bit text in the ANSI code page) followed by one NUL. A
// section pointer points at the first byte of the line after the section's header line; a
// cursor is a byte offset from that pointer to the start of a line. A lookup that finds its
// key moves the cursor to the next line, so keys read in file order cost one line each.
//
// Write side: a zero-filled buffer of kIniTextBufferBytes bytes and a byte offset that the
// caller keeps; each append adds "key=value" and CR LF.
#pragma once

#include "win/types.h"

// Size of a section's text buffer, in bytes.
constexpr DWORD kIniTextBufferBytes = 0x8000;
// Longest section name or key looked up, in ANSI bytes.
constexpr DWORD kIniNameBytes = 522;

// The whole file in a fresh buffer (free it with FreeIniBuffer), or null when the path is
// not a drive-letter path or the file cannot be opened, sized or fully read. A missing
// file is created empty first and gives a buffer holding only the NUL.
char* ReadIniFileToMemory(const WCHAR* path);
// Frees a buffer of ReadIniFileToMemory (null does nothing); 1.
BOOL FreeIniBuffer(char* buffer);

// The first byte of the line after the first header "[name]" whose name equals the given
// one without regard to letter case; text after the ']' is ignored. Null when there is no
// such line, or for a null buffer or name.
const char* FindIniSection(const WCHAR* section, const char* buffer);

// The value of "key=" in the section (key compared without regard to letter case, no blanks
// before '='), up to the line's end, cut to capacity - 1 characters and terminated. Found:
// the cursor moves to the line after it and the value's length comes back. Not found, or a
// null section or cursor: the default, cut the same way, and its length. The search runs
// from the cursor to the section's end and then from the section's start to the cursor.
DWORD ReadIniStringFromMemory(const WCHAR* key, const WCHAR* defaultValue, WCHAR* destination, WORD capacity,
                              const char* section, LONG* cursor);
// The key's value (at most 10 characters) as a decimal number (leading blanks, an optional
// sign, digits up to the first other character); the default when the value is empty or
// missing.
INT ReadIniIntFromMemory(const WCHAR* key, INT defaultValue, const char* section, LONG* cursor);

// Appends "key=value" CR LF at *offset and moves the offset past it; 1. An empty key
// appends nothing; 1. A null argument, or a line that would not fit in the buffer's
// kIniTextBufferBytes bytes with a NUL after it: nothing written; 0.
BOOL AppendIniLine(LONG* offset, const WCHAR* key, const WCHAR* value, char* buffer);
