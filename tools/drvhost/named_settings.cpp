#include "named_settings.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace drvhost {
namespace {

struct Paper {
  short code;
  const char* name;
  int widthTenths;  // 0.1 mm
  int heightTenths;
};

constexpr Paper kPapers[] = {
    {DMPAPER_LETTER, "Letter", 2159, 2794},       {DMPAPER_TABLOID, "Tabloid", 2794, 4318},
    {DMPAPER_LEDGER, "Ledger", 4318, 2794},       {DMPAPER_LEGAL, "Legal", 2159, 3556},
    {DMPAPER_STATEMENT, "Statement", 1397, 2159}, {DMPAPER_EXECUTIVE, "Executive", 1842, 2667},
    {DMPAPER_A3, "A3", 2970, 4200},               {DMPAPER_A4, "A4", 2100, 2970},
    {DMPAPER_A5, "A5", 1480, 2100},               {DMPAPER_B4, "B4", 2570, 3640},
    {DMPAPER_B5, "B5", 1820, 2570},               {DMPAPER_FOLIO, "Folio", 2159, 3302},
    {DMPAPER_JAPANESE_POSTCARD, "Postcard", 1000, 1480},
    {DMPAPER_A6, "A6", 1050, 1480},
};

struct Word {
  short value;
  const char* name;
};
constexpr Word kOrientations[] = {{DMORIENT_PORTRAIT, "portrait"}, {DMORIENT_LANDSCAPE, "landscape"}};
constexpr Word kDuplexes[] = {{DMDUP_SIMPLEX, "none"}, {DMDUP_VERTICAL, "long"}, {DMDUP_HORIZONTAL, "short"},
                              {DMDUP_SIMPLEX, "simplex"}};
constexpr Word kColours[] = {{DMCOLOR_MONOCHROME, "monochrome"}, {DMCOLOR_COLOR, "colour"},
                             {DMCOLOR_MONOCHROME, "mono"},       {DMCOLOR_COLOR, "color"}};
constexpr Word kQualities[] = {{DMRES_DRAFT, "draft"}, {DMRES_LOW, "low"}, {DMRES_MEDIUM, "medium"},
                               {DMRES_HIGH, "high"}};
constexpr Word kSwitches[] = {{0, "off"}, {1, "on"}};
constexpr Word kSources[] = {{DMBIN_UPPER, "upper"},   {DMBIN_LOWER, "lower"},       {DMBIN_MIDDLE, "middle"},
                             {DMBIN_MANUAL, "manual"}, {DMBIN_ENVELOPE, "envelope"}, {DMBIN_AUTO, "auto"},
                             {DMBIN_CASSETTE, "cassette"}};

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// The canonical name of a public setting, or empty.
std::string Canonical(const std::string& name) {
  const std::string n = Lower(name);
  if (n == "paper" || n == "papersize") return "paper";
  if (n == "orientation") return "orientation";
  if (n == "copies") return "copies";
  if (n == "duplex") return "duplex";
  if (n == "quality" || n == "resolution") return "quality";
  if (n == "color" || n == "colour") return "colour";
  if (n == "collate") return "collate";
  if (n == "scale") return "scale";
  if (n == "source") return "source";
  return {};
}

bool ParseShort(const std::string& text, short& out) {
  if (text.empty()) return false;
  std::size_t i = 0;
  const bool negative = text[0] == '-';
  if (negative) i = 1;
  const bool hex = text.size() > i + 2 && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X');
  if (hex) i += 2;
  if (i >= text.size()) return false;
  long v = 0;
  for (; i < text.size(); ++i) {
    const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(text[i])));
    int d = -1;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (hex && c >= 'a' && c <= 'f') d = c - 'a' + 10;
    if (d < 0) return false;
    v = v * (hex ? 16 : 10) + d;
    if (v > 32768) return false;
  }
  if (negative) v = -v;
  if (v < -32768 || v > 32767) return false;
  out = static_cast<short>(v);
  return true;
}

template <std::size_t N>
bool FromWords(const Word (&words)[N], const std::string& text, short& out) {
  for (const Word& w : words)
    if (Lower(text) == w.name) {
      out = w.value;
      return true;
    }
  return ParseShort(text, out);
}

template <std::size_t N>
std::string InWords(const Word (&words)[N], short value) {
  for (const Word& w : words)
    if (w.value == value) return std::to_string(value) + " " + w.name;
  return std::to_string(value);
}

template <std::size_t N>
std::string WordList(const Word (&words)[N]) {
  std::string list;
  for (const Word& w : words) list += (list.empty() ? "" : ", ") + std::string(w.name);
  return list;
}

std::string PaperList() {
  std::string list;
  for (const Paper& p : kPapers) list += (list.empty() ? "" : ", ") + std::string(p.name);
  return list;
}

}  // namespace

const std::vector<std::string>& PublicSettingNames() {
  static const std::vector<std::string> names{"paper",  "orientation", "copies", "duplex", "quality",
                                              "colour", "collate",     "scale",  "source"};
  return names;
}

bool IsPublicSettingName(const std::string& name) { return !Canonical(name).empty(); }

bool ApplyPublicSetting(DEVMODEW& dm, const std::string& name, const std::string& value, std::string& error) {
  const std::string n = Canonical(name);
  short v = 0;
  bool ok = false;
  std::string choices;
  if (n == "paper") {
    for (const Paper& p : kPapers)
      if (Lower(value) == Lower(p.name)) {
        v = p.code;
        ok = true;
      }
    ok = ok || (ParseShort(value, v) && v > 0);
    choices = PaperList() + " or a paper size number";
    if (ok) dm.dmPaperSize = v, dm.dmFields |= DM_PAPERSIZE;
  } else if (n == "orientation") {
    ok = FromWords(kOrientations, value, v) && (v == DMORIENT_PORTRAIT || v == DMORIENT_LANDSCAPE);
    choices = WordList(kOrientations) + ", 1 or 2";
    if (ok) dm.dmOrientation = v, dm.dmFields |= DM_ORIENTATION;
  } else if (n == "copies") {
    ok = ParseShort(value, v) && v >= 1;
    choices = "a count from 1 to 32767";
    if (ok) dm.dmCopies = v, dm.dmFields |= DM_COPIES;
  } else if (n == "duplex") {
    ok = FromWords(kDuplexes, value, v) && v >= DMDUP_SIMPLEX && v <= DMDUP_HORIZONTAL;
    choices = WordList(kDuplexes) + ", 1, 2 or 3";
    if (ok) dm.dmDuplex = v, dm.dmFields |= DM_DUPLEX;
  } else if (n == "quality") {
    ok = FromWords(kQualities, value, v) && v != 0 && v >= DMRES_HIGH;
    choices = WordList(kQualities) + " or dots per inch";
    if (ok) dm.dmPrintQuality = v, dm.dmFields |= DM_PRINTQUALITY;
  } else if (n == "colour") {
    ok = FromWords(kColours, value, v) && (v == DMCOLOR_MONOCHROME || v == DMCOLOR_COLOR);
    choices = WordList(kColours) + ", 1 or 2";
    if (ok) dm.dmColor = v, dm.dmFields |= DM_COLOR;
  } else if (n == "collate") {
    ok = FromWords(kSwitches, value, v) && (v == 0 || v == 1);
    choices = "on, off, 1 or 0";
    if (ok) dm.dmCollate = v, dm.dmFields |= DM_COLLATE;
  } else if (n == "scale") {
    ok = ParseShort(value, v) && v >= 1;
    choices = "a percentage from 1";
    if (ok) dm.dmScale = v, dm.dmFields |= DM_SCALE;
  } else if (n == "source") {
    ok = FromWords(kSources, value, v) && v > 0;
    choices = WordList(kSources) + " or a bin number";
    if (ok) dm.dmDefaultSource = v, dm.dmFields |= DM_DEFAULTSOURCE;
  } else {
    std::string list;
    for (const std::string& s : PublicSettingNames()) list += (list.empty() ? "" : ", ") + s;
    error = "unknown setting \"" + name + "\" (the settings: " + list + ")";
    return false;
  }
  if (!ok) error = "\"" + value + "\" is no value of " + n + " (" + choices + ")";
  return ok;
}

std::string PaperInWords(short code) {
  for (const Paper& p : kPapers)
    if (p.code == code) {
      char size[64];
      std::snprintf(size, sizeof size, " (%g x %g mm)", p.widthTenths / 10.0, p.heightTenths / 10.0);
      return std::to_string(code) + " " + p.name + size;
    }
  if (code == DMPAPER_USER) return std::to_string(code) + " user-defined";
  return std::to_string(code);
}

std::vector<std::pair<std::string, std::string>> DescribePublicSettings(const DEVMODEW& dm) {
  std::vector<std::pair<std::string, std::string>> out;
  auto add = [&](const char* label, DWORD bit, const std::string& value) {
    out.emplace_back(label, (dm.dmFields & bit) ? value : std::string("(not set)"));
  };
  std::string paper = PaperInWords(dm.dmPaperSize);
  if (dm.dmPaperSize == DMPAPER_USER || (dm.dmFields & (DM_PAPERWIDTH | DM_PAPERLENGTH))) {
    char given[64];
    std::snprintf(given, sizeof given, ", %g x %g mm given", dm.dmPaperWidth / 10.0, dm.dmPaperLength / 10.0);
    paper += given;
  }
  add("paper", DM_PAPERSIZE, paper);
  add("orientation", DM_ORIENTATION, InWords(kOrientations, dm.dmOrientation));
  add("copies", DM_COPIES, std::to_string(dm.dmCopies));
  add("collate", DM_COLLATE, InWords(kSwitches, dm.dmCollate));
  add("duplex", DM_DUPLEX, InWords(kDuplexes, dm.dmDuplex));
  std::string quality = dm.dmPrintQuality > 0 ? std::to_string(dm.dmPrintQuality)
                                              : InWords(kQualities, dm.dmPrintQuality);
  if (dm.dmPrintQuality > 0 && (dm.dmFields & DM_YRESOLUTION) && dm.dmYResolution > 0)
    quality += " x " + std::to_string(dm.dmYResolution);
  if (dm.dmPrintQuality > 0) quality += " dpi";
  add("resolution", DM_PRINTQUALITY, quality);
  add("colour", DM_COLOR, InWords(kColours, dm.dmColor));
  add("scale", DM_SCALE, std::to_string(dm.dmScale) + " %");
  add("source", DM_DEFAULTSOURCE, InWords(kSources, dm.dmDefaultSource));
  return out;
}

std::vector<std::string> NearNames(const std::string& wanted, const std::vector<std::string>& known,
                                   std::size_t most) {
  const std::string w = Lower(wanted);
  // The edit distance, bounded: names far apart do not matter.
  auto distance = [](const std::string& a, const std::string& b) {
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
      std::size_t diagonal = row[0];
      row[0] = i;
      for (std::size_t j = 1; j <= b.size(); ++j) {
        const std::size_t up = row[j];
        row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
        diagonal = up;
      }
    }
    return row[b.size()];
  };
  std::vector<std::pair<std::size_t, std::string>> scored;
  for (const std::string& k : known) {
    const std::string l = Lower(k);
    std::size_t score = distance(w, l);
    if (w.size() >= 3 && l.find(w) != std::string::npos) score = std::min<std::size_t>(score, 1);
    if (score <= std::max<std::size_t>(2, w.size() / 4)) scored.emplace_back(score, k);
  }
  std::stable_sort(scored.begin(), scored.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<std::string> out;
  for (const auto& s : scored) {
    if (out.size() >= most) break;
    out.push_back(s.second);
  }
  return out;
}

}  // namespace drvhost
