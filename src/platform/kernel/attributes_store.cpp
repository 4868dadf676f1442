// The attribute store: one text table per system root, one line per file whose attributes
// differ from the default:
//   <attributes in hex> <inode in decimal> <host path relative to the root>
// Paths cannot contain control characters (the path mapping refuses them), so a line ends
// at the newline.
#include "kernel/attributes.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <map>
#include <mutex>

#include "../core/store_changes.h"
#include "plat/system.h"

namespace plat {
namespace {

constexpr DWORD kArchive = 0x20;
constexpr DWORD kDirectory = 0x10;
constexpr DWORD kNormal = 0x80;

struct Entry {
  DWORD bits = 0;
  unsigned long long ino = 0;
};

// The table as this process last read it; current while the store's change counter stays
// where it was at that read (every writer bumps it under the table's lock).
struct Cache {
  std::mutex lock;
  changes::Mark mark = changes::kNeverRead;
  bool valid = false;
  std::map<std::string, Entry> entries;
};

Cache& cache() {
  static Cache* c = new Cache;  // never destroyed: used during exit
  return *c;
}

std::string TableFolder() { return StoreFolder("attributes"); }

// Key of a host path: relative to the root when inside it.
std::string KeyOf(const std::string& hostPath) {
  const std::string& root = SystemRoot();
  if (hostPath.size() > root.size() && hostPath.compare(0, root.size(), root) == 0 && hostPath[root.size()] == '/')
    return hostPath.substr(root.size() + 1);
  return hostPath;
}

bool UnderOrAt(const std::string& key, const std::string& base) {
  return key == base || (key.size() > base.size() && key.compare(0, base.size(), base) == 0 && key[base.size()] == '/');
}

std::map<std::string, Entry> Parse(const std::string& text) {
  std::map<std::string, Entry> out;
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t nl = text.find('\n', i);
    if (nl == std::string::npos) nl = text.size();
    std::string line = text.substr(i, nl - i);
    i = nl + 1;
    std::size_t s1 = line.find(' ');
    if (s1 == std::string::npos) continue;
    std::size_t s2 = line.find(' ', s1 + 1);
    if (s2 == std::string::npos || s2 + 1 >= line.size()) continue;
    const std::string bitsText = line.substr(0, s1);
    const std::string inoText = line.substr(s1 + 1, s2 - s1 - 1);
    char* end = nullptr;
    unsigned long bits = std::strtoul(bitsText.c_str(), &end, 16);
    if (bitsText.empty() || !end || *end) continue;
    unsigned long long ino = std::strtoull(inoText.c_str(), &end, 10);
    if (inoText.empty() || !end || *end) continue;
    out[line.substr(s2 + 1)] = Entry{static_cast<DWORD>(bits) & kStorableAttributes, ino};
  }
  return out;
}

bool ReadAll(int fd, std::string& out) {
  char buf[8192];
  for (;;) {
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return true;
    out.append(buf, static_cast<std::size_t>(n));
  }
}

// Brings the cache up to date with the table on disk. Caller holds c.lock.
void Refresh(Cache& c) {
  const changes::Mark now = changes::Current(changes::Store::Attributes);
  if (c.valid && c.mark == now) return;
  c.mark = now;  // taken before the read: a write meanwhile shows as a newer mark
  c.entries.clear();
  c.valid = true;
  int fd = ::open((TableFolder() + "/table").c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno != ENOENT) c.valid = false;
    return;
  }
  std::string text;
  if (!ReadAll(fd, text)) c.valid = false;
  ::close(fd);
  if (c.valid) c.entries = Parse(text);
}

// Runs an update of the table under the store's lock file and writes it back atomically.
// An update that changes nothing in the current table takes no lock and writes nothing.
template <class Unchanged, class F>
bool Update(Unchanged unchanged, F change) {
  auto& c = cache();
  {
    std::lock_guard<std::mutex> g(c.lock);
    Refresh(c);
    if (c.valid && unchanged(static_cast<const std::map<std::string, Entry>&>(c.entries))) return true;
  }
  std::string folder = TableFolder();
  int lockFd = ::open((folder + "/lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (lockFd < 0) return false;
  while (::flock(lockFd, LOCK_EX) != 0) {
    if (errno != EINTR) {
      ::close(lockFd);
      return false;
    }
  }
  bool ok = false;
  {
    std::lock_guard<std::mutex> g(c.lock);
    Refresh(c);  // another process may have written while we waited
    if (c.valid) {
      std::map<std::string, Entry> next = c.entries;
      if (!change(next)) {
        ok = true;  // nothing to write
      } else {
        std::string text;
        for (const auto& [key, e] : next) {
          char head[48];
          std::snprintf(head, sizeof head, "%x %llu ", static_cast<unsigned>(e.bits), e.ino);
          text += head;
          text += key;
          text += '\n';
        }
        std::string tmp = folder + "/table.tmp." + std::to_string(::getpid());
        int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd >= 0) {
          std::size_t done = 0;
          while (done < text.size()) {
            ssize_t n = ::write(fd, text.data() + done, text.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            done += static_cast<std::size_t>(n);
          }
          bool written = done == text.size();
          ::close(fd);
          if (written && ::rename(tmp.c_str(), (folder + "/table").c_str()) == 0) {
            ok = true;
            changes::Bump(changes::Store::Attributes);
          } else {
            ::unlink(tmp.c_str());
          }
        }
        c.valid = false;
        Refresh(c);
      }
    }
  }
  ::flock(lockFd, LOCK_UN);
  ::close(lockFd);
  return ok;
}

DWORD DefaultBits(const struct stat& st) { return S_ISDIR(st.st_mode) ? 0 : kArchive; }

// True when the table holds no entry for the key or below it.
bool NoneUnder(const std::map<std::string, Entry>& m, const std::string& key) {
  for (auto it = m.lower_bound(key); it != m.end() && it->first.compare(0, key.size(), key) == 0; ++it)
    if (UnderOrAt(it->first, key)) return false;
  return true;
}

}  // namespace

DWORD StoredAttributes(const std::string& hostPath, const struct stat& st) {
  auto& c = cache();
  std::lock_guard<std::mutex> g(c.lock);
  Refresh(c);
  auto it = c.entries.find(KeyOf(hostPath));
  if (it == c.entries.end() || it->second.ino != static_cast<unsigned long long>(st.st_ino)) return DefaultBits(st);
  return it->second.bits;
}

DWORD ReportedAttributes(const std::string& hostPath, const struct stat& st) {
  DWORD bits = StoredAttributes(hostPath, st);
  if (S_ISDIR(st.st_mode)) return bits | kDirectory;
  return bits ? bits : kNormal;
}

bool StoreAttributes(const std::string& hostPath, const struct stat& st, DWORD bits) {
  bits &= kStorableAttributes;
  std::string key = KeyOf(hostPath);
  unsigned long long ino = st.st_ino;
  bool isDefault = bits == DefaultBits(st);
  auto unchanged = [&](const std::map<std::string, Entry>& m) {
    auto it = m.find(key);
    if (isDefault) return it == m.end();
    return it != m.end() && it->second.bits == bits && it->second.ino == ino;
  };
  return Update(unchanged, [&](std::map<std::string, Entry>& m) {
    auto it = m.find(key);
    if (isDefault) {
      if (it == m.end()) return false;
      m.erase(it);
      return true;
    }
    if (it != m.end() && it->second.bits == bits && it->second.ino == ino) return false;
    m[key] = Entry{bits, ino};
    return true;
  });
}

bool ForgetAttributes(const std::string& hostPath) {
  std::string key = KeyOf(hostPath);
  return Update([&](const std::map<std::string, Entry>& m) { return NoneUnder(m, key); },
                [&](std::map<std::string, Entry>& m) {
    bool changed = false;
    for (auto it = m.lower_bound(key); it != m.end() && it->first.compare(0, key.size(), key) == 0;) {
      if (UnderOrAt(it->first, key)) {
        it = m.erase(it);
        changed = true;
      } else {
        ++it;
      }
    }
    return changed;
  });
}

bool RenameAttributes(const std::string& fromHostPath, const std::string& toHostPath) {
  std::string from = KeyOf(fromHostPath);
  std::string to = KeyOf(toHostPath);
  if (from == to) return true;
  return Update([&](const std::map<std::string, Entry>& m) { return NoneUnder(m, from) && NoneUnder(m, to); },
                [&](std::map<std::string, Entry>& m) {
    bool changed = false;
    for (auto it = m.lower_bound(to); it != m.end() && it->first.compare(0, to.size(), to) == 0;) {
      if (UnderOrAt(it->first, to)) {
        it = m.erase(it);
        changed = true;
      } else {
        ++it;
      }
    }
    std::map<std::string, Entry> moved;
    for (auto it = m.lower_bound(from); it != m.end() && it->first.compare(0, from.size(), from) == 0;) {
      if (UnderOrAt(it->first, from)) {
        moved[to + it->first.substr(from.size())] = it->second;
        it = m.erase(it);
        changed = true;
      } else {
        ++it;
      }
    }
    for (auto& [k, e] : moved) m[k] = e;
    return changed;
  });
}

}  // namespace plat
