// The registry of built-in system modules.
#include "plat/builtin_modules.h"

#include <mutex>

#include "plat/wstr.h"
#include "win/loader.h"

namespace plat {
namespace {

struct Module {
  std::u16string name;
  std::vector<BuiltinExport> exports;
  bool available = true;
};

struct Registry {
  std::mutex lock;
  std::vector<Module> modules;
  std::u16string hostExecutable;
};

void RegisterLocked(Registry& r, const std::u16string& name, std::vector<BuiltinExport> exports) {
  for (auto& m : r.modules) {
    if (EqualNoCase(m.name, name)) {
      m.exports = std::move(exports);
      return;
    }
  }
  r.modules.push_back(Module{name, std::move(exports), true});
}

Registry& registry() {
  static Registry* r = [] {
    auto* reg = new Registry;  // never destroyed: used during exit
    RegisterLocked(*reg, u"userenv.dll", {{"GetUserProfileDirectoryW", AsFarProc(&GetUserProfileDirectoryW)}});
    RegisterLocked(*reg, u"shell32.dll", {{"SHGetKnownFolderPath", AsFarProc(&SHGetKnownFolderPath)}});
    RegisterLocked(*reg, u"ole32.dll",
                   {{"CoTaskMemAlloc", AsFarProc(&CoTaskMemAlloc)},
                    {"CoTaskMemRealloc", AsFarProc(&CoTaskMemRealloc)},
                    {"CoTaskMemFree", AsFarProc(&CoTaskMemFree)}});
    return reg;
  }();
  return *r;
}

Module* FindLocked(Registry& r, std::u16string_view name) {
  for (auto& m : r.modules)
    if (EqualNoCase(m.name, name)) return &m;
  return nullptr;
}

}  // namespace

void RegisterBuiltinModule(const std::u16string& name, std::vector<BuiltinExport> exports) {
  auto& r = registry();
  std::lock_guard<std::mutex> g(r.lock);
  RegisterLocked(r, name, std::move(exports));
}

bool SetBuiltinModuleAvailable(const std::u16string& name, bool available) {
  auto& r = registry();
  std::lock_guard<std::mutex> g(r.lock);
  Module* m = FindLocked(r, name);
  if (!m) return false;
  m->available = available;
  return true;
}

bool IsBuiltinModuleAvailable(const std::u16string& name) {
  auto& r = registry();
  std::lock_guard<std::mutex> g(r.lock);
  Module* m = FindLocked(r, name);
  return m && m->available;
}

bool FindBuiltinModule(const std::u16string& name, std::u16string* canonical) {
  auto& r = registry();
  std::lock_guard<std::mutex> g(r.lock);
  Module* m = FindLocked(r, name);
  if (!m) return false;
  if (canonical) *canonical = m->name;
  return true;
}

FARPROC FindBuiltinExport(const std::u16string& module, const std::string& exportName) {
  auto& r = registry();
  std::lock_guard<std::mutex> g(r.lock);
  Module* m = FindLocked(r, module);
  if (!m) return nullptr;
  for (const auto& e : m->exports)
    if (e.name == exportName) return e.proc;  // export names are case-sensitive
  return nullptr;
}

void SetHostExecutablePath(const std::u16string& winPath) {
  auto& r = registry();
  std::lock_guard<std::mutex> g(r.lock);
  r.hostExecutable = winPath;
}

std::u16string HostExecutablePath() {
  auto& r = registry();
  std::lock_guard<std::mutex> g(r.lock);
  return r.hostExecutable;
}

}  // namespace plat
