#include "plat/paths.h"

#include <dirent.h>
#include <sys/stat.h>
#include <time.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

#include "kernel/files_internal.h"
#include "plat/system.h"
#include "plat/wstr.h"
#include "store_changes.h"
#include "win/errors.h"

namespace plat {
namespace {

std::mutex g_cwdLock;
std::u16string g_cwd = u"C:\\";

bool BadNameChar(WCHAR c) {
  return c < 32 || c == u'<' || c == u'>' || c == u':' || c == u'"' || c == u'|' || c == u'?' || c == u'*';
}

// Drives seen to exist, by root generation: a drive folder is made with its root and not
// taken away while the root is in use, so it is looked for once per root.
std::atomic<std::uint64_t> g_driveSeen[26];

bool DriveExists(char letter, const std::string& host) {
  const int index = (letter >= 'a' ? letter - 'a' : letter - 'A');
  if (index < 0 || index >= 26) return false;
  const std::uint64_t root = changes::RootGeneration();
  if (root != 0 && g_driveSeen[index].load(std::memory_order_acquire) == root) return true;
  struct stat st;
  if (::stat(host.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
  g_driveSeen[index].store(root, std::memory_order_release);
  return true;
}

}  // namespace

std::u16string CurrentDirectory() {
  std::lock_guard<std::mutex> g(g_cwdLock);
  return g_cwd;
}

void SetCurrentDirectoryPath(const std::u16string& dir) {
  std::lock_guard<std::mutex> g(g_cwdLock);
  g_cwd = dir;
  if (g_cwd.empty() || g_cwd.back() != u'\\') g_cwd.push_back(u'\\');
}

DWORD FullWindowsPath(const WCHAR* winPath, std::u16string& full) {
  full.clear();
  if (!winPath || !*winPath) return ERROR_PATH_NOT_FOUND;
  std::u16string p(View(winPath));
  if (p.size() >= MAX_PATH) return ERROR_FILENAME_EXCED_RANGE;
  for (auto& c : p)
    if (c == u'/') c = u'\\';
  if (p.rfind(u"\\\\?\\", 0) == 0) p.erase(0, 4);
  if (p.rfind(u"\\\\", 0) == 0) return ERROR_BAD_PATHNAME;  // network paths are not served here

  std::u16string base;
  std::u16string rest;
  if (p.size() >= 2 && p[1] == u':') {
    WCHAR d = FoldCase(p[0]);
    if (d < u'A' || d > u'Z') return ERROR_INVALID_NAME;
    base = std::u16string(1, d) + u":";
    rest = p.substr(2);
  } else if (!p.empty() && p[0] == u'\\') {
    base = CurrentDirectory().substr(0, 2);
    rest = p;
  } else {
    std::u16string cwd = CurrentDirectory();
    base = cwd.substr(0, 2);
    rest = cwd.substr(2) + p;
  }
  std::vector<std::u16string> parts;
  std::size_t i = 0;
  while (i <= rest.size()) {
    std::size_t j = rest.find(u'\\', i);
    if (j == std::u16string::npos) j = rest.size();
    std::u16string comp = rest.substr(i, j - i);
    i = j + 1;
    if (comp.empty() || comp == u".") continue;
    if (comp == u"..") {
      if (!parts.empty()) parts.pop_back();
      continue;
    }
    // Windows drops trailing dots and spaces of a name.
    while (!comp.empty() && (comp.back() == u'.' || comp.back() == u' ')) comp.pop_back();
    if (comp.empty()) continue;
    parts.push_back(comp);
  }
  full = base + u"\\";
  for (std::size_t k = 0; k < parts.size(); ++k) {
    if (k) full += u"\\";
    full += parts[k];
  }
  if (full.size() >= MAX_PATH) return ERROR_FILENAME_EXCED_RANGE;
  return ERROR_SUCCESS;
}

namespace {

// Names of recently scanned folders, folded, kept while the folder's change time and
// identity stay the same: a name looked for again (a missing INI file, a module probed on
// every call) then costs one stat of the folder instead of a full listing. Creating,
// removing or renaming an entry changes the folder's change time.
struct Listing {
  std::string dir;
  dev_t dev = 0;
  ino_t ino = 0;
  struct timespec ctime {};
  struct timespec mtime {};
  std::vector<std::pair<std::u16string, std::string>> names;  // folded name, name on disk
};

std::mutex g_listingLock;
std::vector<Listing> g_listings;
constexpr std::size_t kMaxListings = 16;
constexpr std::size_t kMaxListedNames = 4096;

bool SameTime(const struct timespec& a, const struct timespec& b) {
  return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

std::u16string Folded(const std::u16string& s) {
  std::u16string out(s);
  for (auto& c : out) c = FoldCase(c);
  return out;
}

}  // namespace

// True when a time is before another.
bool Before(const struct timespec& a, const struct timespec& b) {
  return a.tv_sec < b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec < b.tv_nsec);
}

std::string FindEntryNoCase(const std::string& hostDir, const std::string& name) {
  struct stat st;
  std::string exact = hostDir + "/" + name;
  if (::lstat(exact.c_str(), &st) == 0) return name;
  // The clock the file system stamps changes with, read before the folder: a change after
  // this moment gets a later stamp than any the folder has now.
  struct timespec now {};
  ::clock_gettime(CLOCK_REALTIME_COARSE, &now);
  struct stat ds;
  if (::stat(hostDir.c_str(), &ds) != 0 || !S_ISDIR(ds.st_mode)) return {};
  const std::u16string want = Folded(FromUtf8(name));
  {
    std::lock_guard<std::mutex> g(g_listingLock);
    for (const Listing& l : g_listings) {
      if (l.dir != hostDir || l.dev != ds.st_dev || l.ino != ds.st_ino || !SameTime(l.ctime, ds.st_ctim) ||
          !SameTime(l.mtime, ds.st_mtim))
        continue;
      for (const auto& [folded, onDisk] : l.names)
        if (folded == want) return onDisk;
      return {};
    }
  }
  DIR* d = ::opendir(hostDir.c_str());
  if (!d) return {};
  Listing listing;
  listing.dir = hostDir;
  listing.dev = ds.st_dev;
  listing.ino = ds.st_ino;
  listing.ctime = ds.st_ctim;
  listing.mtime = ds.st_mtim;
  std::string found;
  while (dirent* e = ::readdir(d)) {
    std::string n = e->d_name;
    if (n == "." || n == "..") continue;
    std::u16string folded = Folded(FromUtf8(n));
    if (found.empty() && folded == want) found = n;
    if (listing.names.size() < kMaxListedNames) listing.names.emplace_back(std::move(folded), n);
  }
  ::closedir(d);
  // A listing is kept only when it is whole and the folder's stamps are older than the
  // clock read before it, so that any later change shows as a new stamp (two changes within
  // one tick of a coarse clock would otherwise look the same).
  if (listing.names.size() < kMaxListedNames && Before(ds.st_mtim, now) && Before(ds.st_ctim, now)) {
    std::lock_guard<std::mutex> g(g_listingLock);
    for (auto it = g_listings.begin(); it != g_listings.end(); ++it)
      if (it->dir == hostDir) {
        g_listings.erase(it);
        break;
      }
    if (g_listings.size() >= kMaxListings) g_listings.erase(g_listings.begin());
    g_listings.push_back(std::move(listing));
  }
  return found;
}

namespace {

// MapPath; with a probe, the look at the whole path is a stat of it that the probe keeps,
// so that a caller that needs the file's stat makes one system call in the common case.
DWORD MapPathProbing(const WCHAR* winPath, std::string& hostPath, StatProbe* probe) {
  hostPath.clear();
  if (probe) probe->found = false;
  std::u16string full;
  DWORD err = FullWindowsPath(winPath, full);
  if (err != ERROR_SUCCESS) return err;
  // full is "X:\a\b"
  char drive = static_cast<char>(full[0]);
  std::string host = DriveFolder(drive);
  if (!DriveExists(drive, host)) return ERROR_PATH_NOT_FOUND;
  // The common case first: the path exists with the case it is written in, and each of its
  // folders would be found by its exact name, so one look at the whole path answers.
  {
    bool plain = true;
    for (std::size_t k = 3; k < full.size() && plain; ++k) plain = !BadNameChar(full[k]);
    if (plain && full.size() > 3) {
      std::string exact = host;
      exact += '/';
      std::string rest = ToUtf8(std::u16string_view(full).substr(3));
      for (auto& c : rest)
        if (c == '\\') c = '/';
      exact += rest;
      if (probe && StatWithBirth(exact, probe->st, probe->birth)) {
        probe->found = true;
        hostPath = std::move(exact);
        return ERROR_SUCCESS;
      }
      // Without a probe, or when the stat failed (a missing name, or a link whose target
      // is gone), the name itself decides.
      struct stat st;
      if (::lstat(exact.c_str(), &st) == 0) {
        hostPath = std::move(exact);
        return ERROR_SUCCESS;
      }
    }
  }
  std::size_t i = 3;
  bool existing = true;
  while (i < full.size()) {
    std::size_t j = full.find(u'\\', i);
    if (j == std::u16string::npos) j = full.size();
    std::u16string comp = full.substr(i, j - i);
    i = j + 1;
    for (WCHAR c : comp)
      if (BadNameChar(c)) return ERROR_INVALID_NAME;
    std::string name = ToUtf8(comp);
    if (existing) {
      std::string found = FindEntryNoCase(host, name);
      if (found.empty()) {
        existing = false;
      } else {
        name = found;
      }
    }
    host += "/" + name;
  }
  hostPath = host;
  return ERROR_SUCCESS;
}

}  // namespace

DWORD MapPath(const WCHAR* winPath, std::string& hostPath) { return MapPathProbing(winPath, hostPath, nullptr); }

DWORD MapPathAndStat(const WCHAR* winPath, std::string& hostPath, StatProbe& probe) {
  return MapPathProbing(winPath, hostPath, &probe);
}

std::u16string UnmapPath(const std::string& hostPath) {
  std::string drives = SystemRoot() + "/drives/";
  if (hostPath.rfind(drives, 0) != 0 || hostPath.size() < drives.size() + 1) return {};
  char letter = hostPath[drives.size()];
  std::string rest = hostPath.substr(drives.size() + 1);
  if (!rest.empty() && rest[0] != '/') return {};
  std::u16string out;
  out.push_back(FoldCase(static_cast<WCHAR>(letter)));
  out += u":";
  std::u16string r = FromUtf8(rest);
  for (auto& c : r)
    if (c == u'/') c = u'\\';
  if (r.empty()) r.assign(1, u'\\');
  return out + r;
}

}  // namespace plat
