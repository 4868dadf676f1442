#include "registry_tree.h"

#include <chrono>
#include <cstdio>
#include <mutex>
#include <random>

#include "plat/wstr.h"

namespace plat::registry {
namespace {

constexpr DWORD kSz = 1, kExpandSz = 2, kBinary = 3, kDword = 4, kMultiSz = 7, kQword = 11;

bool IsHigh(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLow(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

void AppendHex4(std::string& out, unsigned v) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%04x", v & 0xFFFF);
  out += buf;
}

// Text inside double quotes: printable text as UTF-8, the rest escaped.
void AppendQuoted(std::string& out, std::u16string_view s) {
  out.push_back('"');
  for (std::size_t i = 0; i < s.size(); ++i) {
    char16_t c = s[i];
    switch (c) {
      case u'\\': out += "\\\\"; continue;
      case u'"': out += "\\\""; continue;
      case u'\0': out += "\\0"; continue;
      case u'\r': out += "\\r"; continue;
      case u'\n': out += "\\n"; continue;
      case u'\t': out += "\\t"; continue;
      default: break;
    }
    if (IsHigh(c) && i + 1 < s.size() && IsLow(s[i + 1])) {
      out += ToUtf8(s.substr(i, 2));
      ++i;
    } else if (c < 0x20 || c == 0x7F || IsHigh(c) || IsLow(c)) {
      out += "\\u";
      AppendHex4(out, c);
    } else {
      out += ToUtf8(s.substr(i, 1));
    }
  }
  out.push_back('"');
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads a quoted text at s[pos] (pos at the opening quote); false when malformed.
bool ReadQuoted(std::string_view s, std::size_t& pos, std::u16string& out) {
  if (pos >= s.size() || s[pos] != '"') return false;
  ++pos;
  std::string run;  // plain UTF-8 bytes not yet converted
  auto flush = [&] {
    out += FromUtf8(run);
    run.clear();
  };
  while (pos < s.size()) {
    char c = s[pos++];
    if (c == '"') {
      flush();
      return true;
    }
    if (c != '\\') {
      run.push_back(c);
      continue;
    }
    if (pos >= s.size()) return false;
    char e = s[pos++];
    flush();
    switch (e) {
      case '\\': out.push_back(u'\\'); break;
      case '"': out.push_back(u'"'); break;
      case '0': out.push_back(u'\0'); break;
      case 'r': out.push_back(u'\r'); break;
      case 'n': out.push_back(u'\n'); break;
      case 't': out.push_back(u'\t'); break;
      case 'u': {
        if (pos + 4 > s.size()) return false;
        unsigned v = 0;
        for (int k = 0; k < 4; ++k) {
          int d = HexDigit(s[pos + k]);
          if (d < 0) return false;
          v = v * 16 + static_cast<unsigned>(d);
        }
        pos += 4;
        out.push_back(static_cast<char16_t>(v));
        break;
      }
      default: return false;
    }
  }
  return false;
}

// Key names never hold '\'; '%', '[', ']' and control characters are written as %XX
// of their UTF-8 bytes so that a header line reads back unambiguously.
std::string EncodeKeyName(std::u16string_view name) {
  std::string utf8 = ToUtf8(name), out;
  for (unsigned char c : utf8) {
    if (c < 0x20 || c == 0x7F || c == '%' || c == '[' || c == ']') {
      char buf[4];
      std::snprintf(buf, sizeof buf, "%%%02X", c);
      out += buf;
    } else {
      out.push_back(static_cast<char>(c));
    }
  }
  return out;
}

std::u16string DecodeKeyName(std::string_view s) {
  std::string bytes;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '%' && i + 2 < s.size()) {
      int hi = HexDigit(s[i + 1]), lo = HexDigit(s[i + 2]);
      if (hi >= 0 && lo >= 0) {
        bytes.push_back(static_cast<char>(hi * 16 + lo));
        i += 2;
        continue;
      }
    }
    bytes.push_back(s[i]);
  }
  return FromUtf8(bytes);
}

bool StringForm(const Value& v, std::u16string& text) {
  if (v.data.size() < 2 || v.data.size() % 2 != 0) return false;
  std::size_t units = v.data.size() / 2;
  if (v.data[v.data.size() - 2] != 0 || v.data.back() != 0) return false;
  text.clear();
  for (std::size_t i = 0; i + 1 < units; ++i)
    text.push_back(static_cast<char16_t>(v.data[2 * i] | (v.data[2 * i + 1] << 8)));
  return true;
}

void AppendValue(std::string& out, const Value& v) {
  if (v.name.empty())
    out.push_back('@');
  else
    AppendQuoted(out, v.name);
  out.push_back('=');
  std::u16string text;
  char buf[32];
  if ((v.type == kSz || v.type == kExpandSz || v.type == kMultiSz) && StringForm(v, text)) {
    out += v.type == kSz ? "sz:" : v.type == kExpandSz ? "expand_sz:" : "multi_sz:";
    AppendQuoted(out, text);
  } else if (v.type == kDword && v.data.size() == 4) {
    std::snprintf(buf, sizeof buf, "dword:%08x",
                  static_cast<unsigned>(v.data[0] | (v.data[1] << 8) | (v.data[2] << 16) |
                                        (static_cast<unsigned>(v.data[3]) << 24)));
    out += buf;
  } else if (v.type == kQword && v.data.size() == 8) {
    unsigned long long q = 0;
    for (int i = 7; i >= 0; --i) q = (q << 8) | v.data[static_cast<std::size_t>(i)];
    std::snprintf(buf, sizeof buf, "qword:%016llx", q);
    out += buf;
  } else {
    if (v.type == kBinary) {
      out += "hex:";
    } else {
      std::snprintf(buf, sizeof buf, "hex(%u):", static_cast<unsigned>(v.type));
      out += buf;
    }
    for (std::size_t i = 0; i < v.data.size(); ++i) {
      std::snprintf(buf, sizeof buf, i ? ",%02x" : "%02x", v.data[i]);
      out += buf;
    }
  }
  out.push_back('\n');
}

bool ParseHexNumber(std::string_view s, unsigned long long& v, std::size_t maxDigits) {
  if (s.empty() || s.size() > maxDigits) return false;
  v = 0;
  for (char c : s) {
    int d = HexDigit(c);
    if (d < 0) return false;
    v = v * 16 + static_cast<unsigned>(d);
  }
  return true;
}

bool ParseValueLine(std::string_view line, Value& v) {
  std::size_t pos = 0;
  if (line[0] == '@') {
    v.name.clear();
    pos = 1;
  } else if (!ReadQuoted(line, pos, v.name)) {
    return false;
  }
  if (pos >= line.size() || line[pos] != '=') return false;
  ++pos;
  std::size_t colon = line.find(':', pos);
  if (colon == std::string_view::npos) return false;
  std::string_view type = line.substr(pos, colon - pos);
  std::string_view payload = line.substr(colon + 1);
  v.data.clear();
  auto putText = [&](DWORD t) {
    std::size_t p = 0;
    std::u16string text;
    if (!ReadQuoted(payload, p, text) || p != payload.size()) return false;
    v.type = t;
    for (char16_t c : text) {
      v.data.push_back(static_cast<BYTE>(c & 0xFF));
      v.data.push_back(static_cast<BYTE>(c >> 8));
    }
    v.data.push_back(0);
    v.data.push_back(0);
    return true;
  };
  if (type == "sz") return putText(kSz);
  if (type == "expand_sz") return putText(kExpandSz);
  if (type == "multi_sz") return putText(kMultiSz);
  unsigned long long n = 0;
  if (type == "dword" || type == "qword") {
    std::size_t bytes = type == "dword" ? 4 : 8;
    if (!ParseHexNumber(payload, n, bytes * 2)) return false;
    v.type = bytes == 4 ? kDword : kQword;
    for (std::size_t i = 0; i < bytes; ++i) v.data.push_back(static_cast<BYTE>((n >> (8 * i)) & 0xFF));
    return true;
  }
  if (type == "hex") {
    v.type = kBinary;
  } else if (type.size() > 5 && type.substr(0, 4) == "hex(" && type.back() == ')') {
    std::string_view num = type.substr(4, type.size() - 5);
    unsigned long long t = 0;
    if (num.empty() || num.size() > 10) return false;
    for (char c : num) {
      if (c < '0' || c > '9') return false;
      t = t * 10 + static_cast<unsigned>(c - '0');
    }
    if (t > 0xFFFFFFFFull) return false;
    v.type = static_cast<DWORD>(t);
  } else {
    return false;
  }
  std::size_t p = 0;
  while (p < payload.size()) {
    std::size_t comma = payload.find(',', p);
    if (comma == std::string_view::npos) comma = payload.size();
    if (!ParseHexNumber(payload.substr(p, comma - p), n, 2)) return false;
    v.data.push_back(static_cast<BYTE>(n));
    p = comma + 1;
  }
  return true;
}

}  // namespace

Key* Key::Child(std::u16string_view name) const {
  auto it = subkeys.find(UpperCase(name));
  return it == subkeys.end() ? nullptr : it->second.get();
}

Key* Key::AddChild(std::u16string_view name, ULONGLONG now) {
  auto& slot = subkeys[UpperCase(name)];
  if (!slot) {
    slot = std::make_unique<Key>();
    slot->name = std::u16string(name);
    slot->lastWrite = now;
    lastWrite = now;
  }
  return slot.get();
}

Value* Key::FindValue(std::u16string_view name) {
  for (auto& v : values)
    if (EqualNoCase(v.name, name)) return &v;
  return nullptr;
}

Key* FindKey(Key& root, const std::vector<std::u16string>& path) {
  Key* k = &root;
  for (const auto& name : path) {
    k = k->Child(name);
    if (!k) return nullptr;
  }
  return k;
}

void SerializeSubtree(const Key& key, const std::u16string& path, std::string& out, bool withTimes) {
  // Every key has its header, so that empty keys persist too; the hive's own root only
  // when it holds values.
  if (!path.empty() || !key.values.empty()) {
    out.push_back('[');
    std::size_t start = 0;
    while (start <= path.size() && !path.empty()) {
      std::size_t sep = path.find(u'\\', start);
      if (sep == std::u16string::npos) sep = path.size();
      if (start) out.push_back('\\');
      out += EncodeKeyName(std::u16string_view(path).substr(start, sep - start));
      start = sep + 1;
    }
    out += "]";
    if (withTimes) {
      char id[40];
      std::snprintf(id, sizeof id, " id=%016llx", static_cast<unsigned long long>(key.id));
      out += " t=" + std::to_string(key.lastWrite) + id;
    }
    out += "\n";
    for (const auto& v : key.values) AppendValue(out, v);
  }
  for (const auto& [upper, child] : key.subkeys) {
    (void)upper;
    SerializeSubtree(*child, path.empty() ? child->name : path + u"\\" + child->name, out, withTimes);
  }
}

std::string SerializeHive(const Key& root) {
  std::string out = "; Kova registry hive: [key path] headers, then \"name\"=type:data lines\n";
  SerializeSubtree(root, u"", out, true);
  return out;
}

void ParseHive(std::string_view text, Key& root) {
  root = Key{};
  Key* current = &root;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t nl = text.find('\n', pos);
    if (nl == std::string_view::npos) nl = text.size();
    std::string_view line = text.substr(pos, nl - pos);
    pos = nl + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      std::size_t close = line.find(']');
      if (close == std::string_view::npos) {
        current = nullptr;  // values up to the next good header are dropped
        continue;
      }
      std::string_view path = line.substr(1, close - 1);
      // After the header: " t=<last write>" and " id=<hex identity>", both optional.
      ULONGLONG stamp = 0, id = 0;
      std::string_view rest = line.substr(close + 1);
      std::size_t tpos = rest.find(" t=");
      if (tpos != std::string_view::npos)
        for (char c : rest.substr(tpos + 3)) {
          if (c < '0' || c > '9') break;
          stamp = stamp * 10 + static_cast<ULONGLONG>(c - '0');
        }
      std::size_t ipos = rest.find(" id=");
      if (ipos != std::string_view::npos)
        for (char c : rest.substr(ipos + 4, 16)) {
          int d = HexDigit(c);
          if (d < 0) break;
          id = id * 16 + static_cast<ULONGLONG>(d);
        }
      current = &root;
      std::size_t start = 0;
      while (!path.empty() && start <= path.size()) {
        std::size_t sep = path.find('\\', start);
        if (sep == std::string_view::npos) sep = path.size();
        std::u16string name = DecodeKeyName(path.substr(start, sep - start));
        if (name.empty()) {
          current = nullptr;
          break;
        }
        current = current->AddChild(name, stamp);
        start = sep + 1;
      }
      if (current) {
        current->lastWrite = stamp;
        current->id = id;
      }
      continue;
    }
    if (!current) continue;
    Value v;
    if (!ParseValueLine(line, v)) continue;
    if (Value* old = current->FindValue(v.name))
      *old = std::move(v);
    else
      current->values.push_back(std::move(v));
  }
}

ULONGLONG NewKeyId() {
  static std::mutex lock;
  static std::mt19937_64 gen{[] {
    std::random_device rd;
    return (static_cast<std::uint64_t>(rd()) << 32) ^ rd() ^
           static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  }()};
  std::lock_guard<std::mutex> g(lock);
  ULONGLONG id = 0;
  while (id == 0) id = gen();
  return id;
}

void AssignKeyIds(Key& key) {
  if (key.id == 0) key.id = NewKeyId();
  for (auto& [upper, child] : key.subkeys) {
    (void)upper;
    AssignKeyIds(*child);
  }
}

ULONGLONG NowFileTime() {
  auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::system_clock::now().time_since_epoch());
  return static_cast<ULONGLONG>(ns.count() / 100) + 116444736000000000ull;
}

}  // namespace plat::registry
