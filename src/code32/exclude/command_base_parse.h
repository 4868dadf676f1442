// PJL "SET" lines of a command base: the line parser, lookups of a name's value in a text,
// and the growing text buffer the command-base operations write into.
#pragma once

#include <cstddef>
#include <cstdint>

// A name or a value: at most 263 characters and the NUL.
constexpr int kPjlTokenBytes = 264;

// One line "@PJL SET NAME = VALUE" ended by CR LF, blanks (space, tab) optional around
// "@PJL" and "SET" but required between the name and "=". Answers the bytes read through the
// LF (> 0), 0 at the end of the text (only blanks left), -1 for a line outside the grammar,
// a token longer than 263 characters included (nothing is written past the buffers).
int ParsePjlLine(const char* text, char name[kPjlTokenBytes], char value[kPjlTokenBytes]);

// Scans the text line by line and gives in value the value of the first line whose name
// equals name (empty when none, or when a line outside the grammar comes first). Answers
// the offset reached: after the matching line, or where the scan stopped.
std::size_t FindPjlValueOfName(const char* text, const char* name, char value[kPjlTokenBytes]);
// 1 when a line of the text names the item (value set as above), else 0.
int HasPjlName(const char* text, const char* name, char value[kPjlTokenBytes]);

// A text that grows in steps of 4096 bytes. Every append fails (and the text is marked
// failed, keeping what it had) when memory runs out.
class PjlText {
 public:
  PjlText() = default;
  ~PjlText();
  PjlText(const PjlText&) = delete;
  PjlText& operator=(const PjlText&) = delete;

  bool Append(const char* text);
  bool Append(const char* text, std::size_t length);
  bool AppendChar(char c);
  // Cuts the text back to a length it had.
  void Truncate(std::size_t length);
  // Appends the NUL, counted in the length.
  bool Finish() { return AppendChar('\0'); }

  const char* Data() const { return data_ ? data_ : ""; }
  std::size_t Length() const { return length_; }
  bool Failed() const { return failed_; }
  // Hands the buffer over (allocated with AllocMem); the text is empty afterwards.
  char* Release();

 private:
  bool Reserve(std::size_t more);
  char* data_ = nullptr;
  std::size_t length_ = 0;
  std::size_t capacity_ = 0;
  bool failed_ = false;
};

// "@PJL SET " name " = " value " \r\n".
bool AppendPjlLine(PjlText& text, const char* name, const char* value);
