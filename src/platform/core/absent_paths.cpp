#include "absent_paths.h"

#include <mutex>
#include <unordered_set>

#include "plat/paths.h"
#include "plat/wstr.h"
#include "win/errors.h"

namespace plat::absent {
namespace {

// Bounded: a process that asks for very many missing names starts the memo afresh.
constexpr std::size_t kMaxKeys = 1024;

struct Memo {
  std::mutex lock;
  changes::Mark mark = changes::kNeverRead;
  std::unordered_set<std::u16string> keys;
};

Memo& memo() {
  static Memo* m = new Memo;  // used until the process ends
  return *m;
}

}  // namespace

std::u16string KeyOf(const WCHAR* winPath, char16_t tag) {
  std::u16string full;
  if (!winPath || FullWindowsPath(winPath, full) != ERROR_SUCCESS || full.empty()) return {};
  for (auto& c : full) c = FoldCase(c);
  full.push_back(u'|');
  full.push_back(tag);
  return full;
}

changes::Mark Before() { return changes::Current(changes::Store::Files); }

bool Known(const std::u16string& key) {
  if (key.empty()) return false;
  const changes::Mark now = Before();
  Memo& m = memo();
  std::lock_guard<std::mutex> g(m.lock);
  if (m.mark != now) {
    m.keys.clear();
    m.mark = now;
    return false;
  }
  return m.keys.count(key) != 0;
}

void Note(const std::u16string& key, const changes::Mark& before) {
  if (key.empty()) return;
  Memo& m = memo();
  std::lock_guard<std::mutex> g(m.lock);
  if (m.mark != before) {
    // Files changed between the look-up and now, or the memo belongs to an older mark:
    // start afresh under the look-up's mark only when it is the current one.
    if (before != Before()) return;
    m.keys.clear();
    m.mark = before;
  }
  if (m.keys.size() >= kMaxKeys) m.keys.clear();
  m.keys.insert(key);
}

void NoteCreated() { changes::Bump(changes::Store::Files); }

}  // namespace plat::absent
