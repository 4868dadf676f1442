// Scanners that take words, numbers and quoted strings out of a statement's buffers. Each
// starts at the buffer's position and advances it; the text ends at its length or at the
// first NUL after the position.
#pragma once

#include <cstdint>

#include "model/model_reader.h"
#include "win/types.h"

struct ModelParse;

// The byte at the position, 0 at the end of the text.
BYTE PeekByte(const TextBuffer& buffer);
bool AtTextEnd(const TextBuffer& buffer);
// Passes over blanks (and line ends when asked).
void SkipBlanksIn(TextBuffer& buffer, bool lineEndsToo);

// The next word, NUL-terminated in place (possibly empty when a delimiter comes first), or
// null at the end of the text. A leading '*' is passed over. The byte that ended the word
// is the terminator (0 at the end of the text); it is consumed.
char* NextWord(TextBuffer& buffer, BYTE* terminator);

// An optional '-' and decimal digits; none gives 0. The terminator is the byte after the
// number (not consumed). False when the number does not fit 32 signed bits (the statement
// is then malformed). *found tells whether a number was there (not at the end of the text).
bool NextNumber(TextBuffer& buffer, std::int32_t* value, BYTE* terminator, bool* found = nullptr);

// Moves past the next occurrence of c; at the end of the text when there is none.
bool SkipPastChar(TextBuffer& buffer, char c);

// Decodes the quoted string at the first double quote at or after the position (or from the
// position when there is none): line ends dropped, '%' escapes the next byte, <hex pairs>.
// Returns a fresh NUL-terminated copy owned by the parse and its length with the NUL, or null
// for an empty result (the position then stays) or when memory is short.
char* NextQuotedString(ModelParse* parse, TextBuffer& buffer, DWORD* length, BYTE* terminator);
// The same text converted from the ANSI code page to UTF-16.
WCHAR* NextQuotedStringWide(ModelParse* parse, TextBuffer& buffer, BYTE* terminator);
// A quoted string only when the next non-blank byte is a double quote; null otherwise.
char* NextQuotedStringHere(ModelParse* parse, TextBuffer& buffer, DWORD* length, BYTE* terminator);

// The decimal digits of the whole text, negative when it holds a '-'; stops at NUL, a blank
// or '='. False when the number does not fit 32 signed bits.
bool ParseRuleNumber(const char* text, std::int32_t* value);

// 1 when every byte is a decimal digit (or an ASCII letter or digit); 1 for the empty text.
int IsAllDigits(const char* text);
int IsAlphanumeric(const char* text);
