// The text of one INI file as the profile API sees it: a list of lines, each kept with
// its original bytes so that a rewrite leaves every untouched line exactly as it was.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "win/types.h"

namespace plat::profile {

enum class Encoding { Ansi, Utf16 };

enum class LineKind { Blank, Comment, Section, Entry };

struct Line {
  LineKind kind = LineKind::Blank;
  std::u16string text;   // the line without its end (CR LF)
  std::u16string name;   // section name or key, blanks trimmed
  std::u16string value;  // entry value, blanks trimmed (quotes kept)
  bool hasValue = false; // an entry line with '='
  std::string raw;       // original bytes with the line end; empty once changed
};

class Document {
 public:
  // Parses file bytes. An empty input is an empty document in the ANSI code page.
  static Document Parse(std::string_view bytes, UINT codePage);
  // The file bytes: unchanged lines as they were read, changed and new ones encoded
  // in the document's encoding and ended with CR LF.
  std::string Serialize(UINT codePage) const;

  Encoding encoding() const { return encoding_; }
  bool changed() const { return changed_; }
  // Takes the document as the file's current content (a copy of a kept document is edited).
  void ClearChanged() { changed_ = false; }

  // Reading.
  std::vector<std::u16string> SectionNames() const;
  bool HasSection(std::u16string_view section) const;
  // Keys of a section in file order: lines with '=' (comments and lines without '='
  // are not keys).
  std::vector<std::u16string> KeyNames(std::u16string_view section) const;
  // The lines of a section as the section reader returns them: "key=value" for entries,
  // the text of other non-blank lines.
  std::vector<std::u16string> SectionLines(std::u16string_view section) const;
  // The value of a key (trimmed, enclosing quotes kept); nullopt when the section or the
  // key is missing or the key line has no '='.
  std::optional<std::u16string> Value(std::u16string_view section, std::u16string_view key) const;

  // Changing.
  void SetValue(std::u16string_view section, std::u16string_view key, std::u16string_view value);
  void DeleteKey(std::u16string_view section, std::u16string_view key);
  void DeleteSection(std::u16string_view section);
  // Replaces the section's content by the given lines (the section is added when missing).
  void ReplaceSection(std::u16string_view section, const std::vector<std::u16string>& lines);

 private:
  // Index of the first header line of the section; npos when missing.
  std::size_t FindSection(std::u16string_view section) const;
  // One past the last line of the section that starts at header index h.
  std::size_t SectionEnd(std::size_t h) const;
  std::size_t FindKey(std::size_t h, std::u16string_view key) const;
  void Insert(std::size_t at, Line line);
  void AppendSection(std::u16string_view section);

  Encoding encoding_ = Encoding::Ansi;
  std::vector<Line> lines_;
  bool changed_ = false;
};

// Classifies the text of one line.
Line ParseLine(std::u16string text);

}  // namespace plat::profile
