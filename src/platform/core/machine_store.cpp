#include "machine_store.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "plat/wstr.h"

namespace fs = std::filesystem;

namespace plat::machine {
namespace {

enum class Kind { Number, Flag, Text, User };

// One setting of the file: its key, how its value is written, and where it lives.
struct Setting {
  const char* key;
  Kind kind;
  DWORD max;  // the largest number the setting holds
  DWORD (*get)(const MachineSettings&);
  void (*set)(MachineSettings&, DWORD);
  std::u16string MachineSettings::*text;
};

#define KOVA_NUMBER(KEY, MEMBER, TYPE, MAX)                                                               \
  Setting {                                                                                              \
    KEY, Kind::Number, MAX, [](const MachineSettings& m) { return static_cast<DWORD>(m.MEMBER); },       \
        [](MachineSettings& m, DWORD v) { m.MEMBER = static_cast<TYPE>(v); }, nullptr                    \
  }
#define KOVA_FLAG(KEY, MEMBER)                                                                           \
  Setting {                                                                                              \
    KEY, Kind::Flag, 1, [](const MachineSettings& m) { return m.MEMBER ? 1u : 0u; },                     \
        [](MachineSettings& m, DWORD v) { m.MEMBER = v != 0; }, nullptr                                  \
  }

const Setting kSettings[] = {
    KOVA_NUMBER("MajorVersion", majorVersion, DWORD, 0xFFFFFFFFu),
    KOVA_NUMBER("MinorVersion", minorVersion, DWORD, 0xFFFFFFFFu),
    KOVA_NUMBER("BuildNumber", buildNumber, DWORD, 0xFFFFFFFFu),
    KOVA_NUMBER("PlatformId", platformId, DWORD, 0xFFFFFFFFu),
    KOVA_NUMBER("ServicePackMajor", servicePackMajor, WORD, 0xFFFFu),
    KOVA_NUMBER("ServicePackMinor", servicePackMinor, WORD, 0xFFFFu),
    Setting{"CsdVersion", Kind::Text, 0, nullptr, nullptr, &MachineSettings::csdVersion},
    KOVA_NUMBER("SuiteMask", suiteMask, WORD, 0xFFFFu),
    KOVA_NUMBER("ProductType", productType, BYTE, 0xFFu),
    KOVA_FLAG("TerminalServer", terminalServer),
    KOVA_FLAG("Administrator", administrator),
    KOVA_NUMBER("UserLcid", userLcid, LCID, 0xFFFFFFFFu),
    KOVA_NUMBER("SystemLcid", systemLcid, LCID, 0xFFFFFFFFu),
    KOVA_NUMBER("AnsiCodePage", ansiCodePage, UINT, 0xFFFFu),
    KOVA_NUMBER("OemCodePage", oemCodePage, UINT, 0xFFFFu),
    Setting{"UserName", Kind::User, 0, nullptr, nullptr, &MachineSettings::userName},
    Setting{"ComputerName", Kind::Text, 0, nullptr, nullptr, &MachineSettings::computerName},
};

#undef KOVA_NUMBER
#undef KOVA_FLAG

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

bool SameKey(std::string_view a, const char* b) {
  std::size_t i = 0;
  for (; i < a.size() && b[i]; ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return i == a.size() && !b[i];
}

// Decimal or 0x hexadecimal, the whole text, at most max.
std::optional<DWORD> ParseNumber(std::string_view s, DWORD max) {
  int base = 10;
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    base = 16;
    s.remove_prefix(2);
  }
  unsigned long long v = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v, base);
  if (s.empty() || ec != std::errc() || end != s.data() + s.size() || v > max) return std::nullopt;
  return static_cast<DWORD>(v);
}

std::optional<DWORD> ParseFlag(std::string_view s) {
  for (const char* on : {"1", "on", "yes", "true"})
    if (SameKey(s, on)) return 1;
  for (const char* off : {"0", "off", "no", "false"})
    if (SameKey(s, off)) return 0;
  return std::nullopt;
}

}  // namespace

bool IsUserName(std::u16string_view name) {
  if (name.empty() || name == u"." || name == u"..") return false;
  for (char16_t c : name)
    if (c == u'\\' || c == u'/' || c == u':' || c == 0) return false;
  return true;
}

std::string SettingsFile(const std::string& root) { return root + "/store/machine/settings.ini"; }

std::string Format(const MachineSettings& m) {
  std::string text =
      "; The machine this system root plays. Every process that opens the root reads it, and\n"
      "; follows it when another process saves it.\n";
  for (const Setting& s : kSettings) {
    text += s.key;
    text += '=';
    if (s.text)
      text += ToUtf8(m.*(s.text));
    else
      text += std::to_string(s.get(m));
    text += '\n';
  }
  return text;
}

MachineSettings Parse(std::string_view text) {
  MachineSettings m;
  while (!text.empty()) {
    const std::size_t eol = text.find('\n');
    std::string_view line = Trim(text.substr(0, eol));
    text.remove_prefix(eol == std::string_view::npos ? text.size() : eol + 1);
    if (line.empty() || line[0] == ';' || line[0] == '#') continue;
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) continue;
    const std::string_view key = Trim(line.substr(0, eq));
    const std::string_view value = Trim(line.substr(eq + 1));
    for (const Setting& s : kSettings) {
      if (!SameKey(key, s.key)) continue;
      if (s.text) {
        const std::u16string v = FromUtf8(value);
        if (s.kind != Kind::User || IsUserName(v)) m.*(s.text) = v;
      } else if (auto v = s.kind == Kind::Flag ? ParseFlag(value) : ParseNumber(value, s.max)) {
        s.set(m, *v);
      }
      break;
    }
  }
  return m;
}

std::optional<std::string> ReadText(const std::string& root) {
  std::ifstream in(SettingsFile(root), std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool WriteText(const std::string& root, const std::string& text) {
  const fs::path file = SettingsFile(root);
  std::error_code ec;
  fs::create_directories(file.parent_path(), ec);
  static std::atomic<unsigned> counter{0};
  const std::string tmp = file.string() + ".tmp." + std::to_string(::getpid()) + "." + std::to_string(counter++);
  const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ::close(fd);
      ::unlink(tmp.c_str());
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  if (::close(fd) != 0 || ::rename(tmp.c_str(), file.c_str()) != 0) {
    ::unlink(tmp.c_str());
    return false;
  }
  return true;
}

}  // namespace plat::machine
