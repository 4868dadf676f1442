#include "store_text.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>

#include "plat/system.h"
#include "plat/wstr.h"
#include "win/errors.h"

namespace plat::spooler::text {
namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

constexpr char kDigits[] = "0123456789abcdef";

}  // namespace

std::string Escape(std::u16string_view s) {
  std::string out;
  out.reserve(s.size());
  for (WCHAR c : s) {
    if (c >= 0x20 && c < 0x7F && c != u'%' && c != u'|') {
      out.push_back(static_cast<char>(c));
    } else {
      out += "%u";
      out.push_back(kDigits[(c >> 12) & 0xF]);
      out.push_back(kDigits[(c >> 8) & 0xF]);
      out.push_back(kDigits[(c >> 4) & 0xF]);
      out.push_back(kDigits[c & 0xF]);
    }
  }
  return out;
}

std::optional<std::u16string> Unescape(std::string_view s) {
  std::u16string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    char c = s[i];
    if (c != '%') {
      if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7F || c == '|') return std::nullopt;
      out.push_back(static_cast<WCHAR>(c));
      continue;
    }
    if (i + 6 > s.size() || s[i + 1] != 'u') return std::nullopt;
    unsigned v = 0;
    for (std::size_t k = 2; k < 6; ++k) {
      int d = HexDigit(s[i + k]);
      if (d < 0) return std::nullopt;
      v = (v << 4) | static_cast<unsigned>(d);
    }
    out.push_back(static_cast<WCHAR>(v));
    i += 5;
  }
  return out;
}

std::string Hex(const std::vector<BYTE>& bytes) {
  std::string out;
  out.reserve(bytes.size() * 2);
  for (BYTE b : bytes) {
    out.push_back(kDigits[b >> 4]);
    out.push_back(kDigits[b & 0xF]);
  }
  return out;
}

std::optional<std::vector<BYTE>> UnHex(std::string_view s) {
  if (s.size() % 2) return std::nullopt;
  std::vector<BYTE> out(s.size() / 2);
  for (std::size_t i = 0; i < out.size(); ++i) {
    int hi = HexDigit(s[2 * i]), lo = HexDigit(s[2 * i + 1]);
    if (hi < 0 || lo < 0) return std::nullopt;
    out[i] = static_cast<BYTE>((hi << 4) | lo);
  }
  return out;
}

std::string Number(DWORD v) { return std::to_string(v); }

std::optional<DWORD> ParseNumber(std::string_view s) {
  unsigned base = 10;
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    base = 16;
    s.remove_prefix(2);
  }
  if (s.empty() || s.size() > 10) return std::nullopt;
  std::uint64_t v = 0;
  for (char c : s) {
    int d = HexDigit(c);
    if (d < 0 || static_cast<unsigned>(d) >= base) return std::nullopt;
    v = v * base + static_cast<unsigned>(d);
    if (v > 0xFFFFFFFFu) return std::nullopt;
  }
  return static_cast<DWORD>(v);
}

std::vector<std::string_view> Split(std::string_view s, char sep) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  while (true) {
    std::size_t p = s.find(sep, start);
    if (p == std::string_view::npos) {
      parts.push_back(s.substr(start));
      break;
    }
    parts.push_back(s.substr(start, p - start));
    start = p + 1;
  }
  return parts;
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  std::string data;
  char buf[8192];
  while (true) {
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0) {
      if (errno == EINTR) continue;
      ::close(fd);
      return std::nullopt;
    }
    if (n == 0) break;
    data.append(buf, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return data;
}

DWORD ReplaceFile(const std::string& path, const std::string& bytes) {
  static std::atomic<unsigned> counter{0};
  std::string tmp = path + ".tmp." + std::to_string(::getpid()) + "." + std::to_string(counter++);
  int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return ERROR_CANTWRITE;
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      ::close(fd);
      ::unlink(tmp.c_str());
      return errno == ENOSPC ? ERROR_DISK_FULL : ERROR_WRITE_FAULT;
    }
    done += static_cast<std::size_t>(n);
  }
  if (::close(fd) != 0 || ::rename(tmp.c_str(), path.c_str()) != 0) {
    ::unlink(tmp.c_str());
    return ERROR_CANTWRITE;
  }
  return ERROR_SUCCESS;
}

std::string FileKey(std::u16string_view name) {
  std::uint64_t h = 1469598103934665603ull;  // FNV-1a over the folded UTF-16 units
  std::string prefix;
  for (WCHAR c : name) {
    WCHAR f = FoldCase(c);
    h ^= static_cast<std::uint64_t>(f & 0xFF);
    h *= 1099511628211ull;
    h ^= static_cast<std::uint64_t>(f >> 8);
    h *= 1099511628211ull;
    if (prefix.size() < 40) {
      if ((f >= u'A' && f <= u'Z') || (f >= u'0' && f <= u'9'))
        prefix.push_back(static_cast<char>(f >= u'A' && f <= u'Z' ? f + 32 : f));
      else if (prefix.empty() || prefix.back() != '-')
        prefix.push_back('-');
    }
  }
  char hash[17];
  std::snprintf(hash, sizeof hash, "%016llx", static_cast<unsigned long long>(h));
  return prefix + "." + hash;
}

StoreLock::StoreLock() {
  std::string path = StoreFolder("spooler") + "/.lock";
  fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd_ < 0) return;
  while (::flock(fd_, LOCK_EX) != 0) {
    if (errno != EINTR) {
      ::close(fd_);
      fd_ = -1;
      return;
    }
  }
}

StoreLock::~StoreLock() {
  if (fd_ >= 0) {
    ::flock(fd_, LOCK_UN);
    ::close(fd_);
  }
}

}  // namespace plat::spooler::text
