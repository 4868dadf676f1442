// Parsed resource scripts kept per process: a module's script is read, preprocessed and
// parsed once, and again only when one of the files its parse read has changed.
#include <sys/stat.h>

#include <map>
#include <mutex>

#include "plat/rc_script.h"
#include "rc_lexer.h"

namespace plat {
namespace rc {
namespace {

thread_local FileReadRecorder* t_recorder = nullptr;

}  // namespace

FileReadRecorder::FileReadRecorder() : outer_(t_recorder) { t_recorder = this; }
FileReadRecorder::~FileReadRecorder() { t_recorder = outer_; }

void NoteFileRead(const std::string& hostPath) {
  if (t_recorder) t_recorder->files_.push_back(hostPath);
}

}  // namespace rc

namespace {

// What tells one version of a file from another without reading it: its identity, size,
// write time and change time (as the INI documents tell theirs).
struct Stamp {
  bool exists = false;
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  long long seconds = 0, nanoseconds = 0;
  long long changeSeconds = 0, changeNanoseconds = 0;
  bool operator==(const Stamp&) const = default;
};

Stamp StampOf(const std::string& path) {
  Stamp s;
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return s;
  s.exists = true;
  s.device = st.st_dev;
  s.inode = st.st_ino;
  s.size = st.st_size;
  s.seconds = st.st_mtim.tv_sec;
  s.nanoseconds = st.st_mtim.tv_nsec;
  s.changeSeconds = st.st_ctim.tv_sec;
  s.changeNanoseconds = st.st_ctim.tv_nsec;
  return s;
}

struct Parsed {
  std::vector<std::pair<std::string, Stamp>> files;
  std::shared_ptr<const ResourceTable> table;
};

struct Cache {
  std::mutex lock;
  std::map<std::string, Parsed> scripts;
  std::size_t parses = 0;
};

Cache& cache() {
  static Cache* c = new Cache;  // never destroyed: modules may load during exit
  return *c;
}

bool Unchanged(const Parsed& p) {
  for (const auto& [path, stamp] : p.files)
    if (!(StampOf(path) == stamp)) return false;
  return true;
}

}  // namespace

std::shared_ptr<const ResourceTable> ParsedResourceScript(const std::string& hostPath, std::string& error) {
  auto& c = cache();
  {
    std::lock_guard<std::mutex> g(c.lock);
    auto it = c.scripts.find(hostPath);
    if (it != c.scripts.end() && Unchanged(it->second)) return it->second.table;
  }
  // Stamps taken before reading: a file written during the parse is parsed again next time.
  Parsed parsed;
  auto table = std::make_shared<ResourceTable>();
  std::vector<std::string> files;
  bool ok = false;
  {
    rc::FileReadRecorder recorder;
    const Stamp script = StampOf(hostPath);
    ok = ParseResourceScriptFile(hostPath, *table, error);
    files = recorder.Files();
    parsed.files.emplace_back(hostPath, script);
  }
  for (const std::string& f : files)
    if (f != hostPath) parsed.files.emplace_back(f, StampOf(f));
  std::lock_guard<std::mutex> g(c.lock);
  ++c.parses;
  if (!ok) {
    c.scripts.erase(hostPath);
    return nullptr;
  }
  parsed.table = std::move(table);
  c.scripts[hostPath] = parsed;
  return parsed.table;
}

std::size_t ResourceScriptParses() {
  auto& c = cache();
  std::lock_guard<std::mutex> g(c.lock);
  return c.parses;
}

void ForgetParsedResourceScripts() {
  auto& c = cache();
  std::lock_guard<std::mutex> g(c.lock);
  c.scripts.clear();
}

}  // namespace plat
