#include "profile_doc.h"

#include "plat/codepage.h"
#include "plat/wstr.h"

namespace plat::profile {
namespace {

constexpr std::size_t npos = static_cast<std::size_t>(-1);

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\v' || c == u'\f'; }

std::u16string Trim(std::u16string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return std::u16string(s.substr(b, e - b));
}

void AppendUtf16(std::string& out, std::u16string_view s) {
  for (char16_t c : s) {
    out.push_back(static_cast<char>(c & 0xFF));
    out.push_back(static_cast<char>((c >> 8) & 0xFF));
  }
}

bool EndsWithEol(const std::string& raw, Encoding enc) {
  if (enc == Encoding::Utf16) return raw.size() >= 2 && raw[raw.size() - 2] == '\n' && raw.back() == '\0';
  return !raw.empty() && raw.back() == '\n';
}

}  // namespace

Line ParseLine(std::u16string text) {
  Line line;
  line.text = std::move(text);
  std::u16string s = Trim(line.text);
  if (s.empty()) {
    line.kind = LineKind::Blank;
  } else if (s[0] == u'[') {
    std::size_t close = s.find(u']', 1);
    if (close == std::u16string::npos) {
      // Not a header: kept in the file, never a key.
      line.kind = LineKind::Comment;
    } else {
      line.kind = LineKind::Section;
      line.name = Trim(std::u16string_view(s).substr(1, close - 1));
    }
  } else if (s[0] == u';') {
    line.kind = LineKind::Comment;
  } else {
    line.kind = LineKind::Entry;
    std::size_t eq = s.find(u'=');
    if (eq == std::u16string::npos) {
      line.name = s;
    } else {
      line.name = Trim(std::u16string_view(s).substr(0, eq));
      line.value = Trim(std::u16string_view(s).substr(eq + 1));
      line.hasValue = true;
    }
  }
  return line;
}

Document Document::Parse(std::string_view bytes, UINT codePage) {
  Document doc;
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF && static_cast<unsigned char>(bytes[1]) == 0xFE) {
    doc.encoding_ = Encoding::Utf16;
    std::size_t i = 2;
    while (i < bytes.size()) {
      std::size_t start = i;
      std::u16string text;
      bool eol = false;
      while (i + 1 < bytes.size()) {
        char16_t c = static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                           (static_cast<unsigned char>(bytes[i + 1]) << 8));
        i += 2;
        if (c == u'\n') {
          eol = true;
          break;
        }
        text.push_back(c);
      }
      if (!eol && i < bytes.size()) i = bytes.size();  // an odd last byte stays with the last line
      if (!text.empty() && text.back() == u'\r') text.pop_back();
      Line line = ParseLine(std::move(text));
      line.raw.assign(bytes.substr(start, i - start));
      doc.lines_.push_back(std::move(line));
    }
    return doc;
  }
  std::size_t i = 0;
  while (i < bytes.size()) {
    std::size_t nl = bytes.find('\n', i);
    std::size_t end = nl == std::string_view::npos ? bytes.size() : nl + 1;
    std::string_view content = bytes.substr(i, (nl == std::string_view::npos ? bytes.size() : nl) - i);
    if (!content.empty() && content.back() == '\r') content.remove_suffix(1);
    Line line = ParseLine(AnsiToWide(content, codePage));
    line.raw.assign(bytes.substr(i, end - i));
    doc.lines_.push_back(std::move(line));
    i = end;
  }
  return doc;
}

std::string Document::Serialize(UINT codePage) const {
  std::string out;
  if (encoding_ == Encoding::Utf16) out.append("\xFF\xFE", 2);
  for (const Line& line : lines_) {
    if (!line.raw.empty()) {
      out += line.raw;
    } else if (encoding_ == Encoding::Utf16) {
      AppendUtf16(out, line.text);
      AppendUtf16(out, u"\r\n");
    } else {
      out += WideToAnsi(line.text, codePage);
      out += "\r\n";
    }
  }
  return out;
}

std::size_t Document::FindSection(std::u16string_view section) const {
  for (std::size_t i = 0; i < lines_.size(); ++i)
    if (lines_[i].kind == LineKind::Section && EqualNoCase(lines_[i].name, section)) return i;
  return npos;
}

std::size_t Document::SectionEnd(std::size_t h) const {
  std::size_t j = h + 1;
  while (j < lines_.size() && lines_[j].kind != LineKind::Section) ++j;
  return j;
}

std::size_t Document::FindKey(std::size_t h, std::u16string_view key) const {
  std::size_t end = SectionEnd(h);
  for (std::size_t j = h + 1; j < end; ++j)
    if (lines_[j].kind == LineKind::Entry && EqualNoCase(lines_[j].name, key)) return j;
  return npos;
}

std::vector<std::u16string> Document::SectionNames() const {
  std::vector<std::u16string> names;
  for (const Line& line : lines_) {
    if (line.kind != LineKind::Section) continue;
    bool seen = false;
    for (const auto& n : names) seen = seen || EqualNoCase(n, line.name);
    if (!seen) names.push_back(line.name);
  }
  return names;
}

bool Document::HasSection(std::u16string_view section) const { return FindSection(section) != npos; }

std::vector<std::u16string> Document::KeyNames(std::u16string_view section) const {
  std::vector<std::u16string> keys;
  std::size_t h = FindSection(section);
  if (h == npos) return keys;
  std::size_t end = SectionEnd(h);
  for (std::size_t j = h + 1; j < end; ++j)
    if (lines_[j].kind == LineKind::Entry && lines_[j].hasValue) keys.push_back(lines_[j].name);
  return keys;
}

std::vector<std::u16string> Document::SectionLines(std::u16string_view section) const {
  std::vector<std::u16string> out;
  std::size_t h = FindSection(section);
  if (h == npos) return out;
  std::size_t end = SectionEnd(h);
  for (std::size_t j = h + 1; j < end; ++j) {
    const Line& line = lines_[j];
    if (line.kind == LineKind::Entry)
      out.push_back(line.hasValue ? line.name + u"=" + line.value : line.name);
    else if (line.kind == LineKind::Comment)
      out.push_back(Trim(line.text));
  }
  return out;
}

std::optional<std::u16string> Document::Value(std::u16string_view section, std::u16string_view key) const {
  std::size_t h = FindSection(section);
  if (h == npos) return std::nullopt;
  std::size_t k = FindKey(h, key);
  if (k == npos || !lines_[k].hasValue) return std::nullopt;
  return lines_[k].value;
}

void Document::Insert(std::size_t at, Line line) {
  if (at > 0) {
    Line& prev = lines_[at - 1];
    if (!prev.raw.empty() && !EndsWithEol(prev.raw, encoding_)) {
      if (encoding_ == Encoding::Utf16)
        AppendUtf16(prev.raw, u"\r\n");
      else
        prev.raw += "\r\n";
    }
  }
  line.raw.clear();
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
  changed_ = true;
}

void Document::AppendSection(std::u16string_view section) {
  Insert(lines_.size(), ParseLine(u"[" + std::u16string(section) + u"]"));
}

void Document::SetValue(std::u16string_view section, std::u16string_view key, std::u16string_view value) {
  std::size_t h = FindSection(section);
  if (h == npos) {
    AppendSection(section);
    h = lines_.size() - 1;
  }
  std::size_t k = FindKey(h, key);
  if (k != npos) {
    std::u16string text = lines_[k].name + u"=" + std::u16string(value);
    if (text == lines_[k].text) return;
    lines_[k] = ParseLine(std::move(text));
    changed_ = true;
    return;
  }
  // A new key goes after the section's last non-blank line.
  std::size_t at = SectionEnd(h);
  while (at > h + 1 && lines_[at - 1].kind == LineKind::Blank) --at;
  Insert(at, ParseLine(std::u16string(key) + u"=" + std::u16string(value)));
}

void Document::DeleteKey(std::u16string_view section, std::u16string_view key) {
  std::size_t h = FindSection(section);
  if (h == npos) return;
  std::size_t k = FindKey(h, key);
  if (k == npos) return;
  lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(k));
  changed_ = true;
}

void Document::DeleteSection(std::u16string_view section) {
  for (std::size_t h = FindSection(section); h != npos; h = FindSection(section)) {
    std::size_t end = SectionEnd(h);
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(h), lines_.begin() + static_cast<std::ptrdiff_t>(end));
    changed_ = true;
  }
}

void Document::ReplaceSection(std::u16string_view section, const std::vector<std::u16string>& content) {
  std::size_t h = FindSection(section);
  if (h == npos) {
    AppendSection(section);
    h = lines_.size() - 1;
  }
  // Blank lines that separate the section from the next one stay.
  std::size_t end = SectionEnd(h);
  while (end > h + 1 && lines_[end - 1].kind == LineKind::Blank) --end;
  if (end > h + 1) {
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(h + 1), lines_.begin() + static_cast<std::ptrdiff_t>(end));
    changed_ = true;
  }
  std::size_t at = h + 1;
  for (const auto& text : content) Insert(at++, ParseLine(text));
  changed_ = true;
}

}  // namespace plat::profile
