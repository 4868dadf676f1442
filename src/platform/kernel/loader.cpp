// LoadLibraryW and the module table.
#include "win/loader.h"

#include <dlfcn.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

#include "../core/absent_paths.h"
#include "plat/builtin_modules.h"
#include "plat/codepage.h"
#include "core/handles.h"
#include "plat/paths.h"
#include "plat/rc_script.h"
#include "kernel/environment.h"
#include "plat/system.h"
#include "plat/wstr.h"
#include "win/env.h"
#include "win/errors.h"

namespace {

enum class ModType { Shared, Resource, Builtin, Host };

struct Module final : plat::KernelObject {
  plat::ObjectKind Kind() const override { return plat::ObjectKind::Module; }
  ModType type = ModType::Resource;
  bool dataFile = false;    // mapped for its resources only
  std::u16string winPath;   // what GetModuleFileNameW answers
  std::string key;          // the serving file (real host path), or "builtin:<name>"
  void* dl = nullptr;
  link_map* map = nullptr;
  DllMainProc dllMain = nullptr;
  bool attached = false;
  std::shared_ptr<const plat::ResourceTable> resources;
  std::u16string builtinName;
  long refs = 1;
  HMODULE handle = nullptr;
};

struct Loader {
  std::recursive_mutex lock;  // the loader lock: held while DllMain runs, as on Windows
  std::vector<std::shared_ptr<Module>> modules;
  std::shared_ptr<Module> host;
};

Loader& loader() {
  static Loader* l = new Loader;  // never destroyed: modules may be freed during exit
  return *l;
}

thread_local std::string t_diagnostic;

using Guard = std::lock_guard<std::recursive_mutex>;

// ---- names and files ------------------------------------------------------------------

bool HasExtension(std::u16string_view file) { return file.find(u'.') != std::u16string_view::npos; }

// The file name as Windows completes it: ".dll" when it has no extension; a final '.'
// means "no extension" and is dropped.
std::u16string CompleteFileName(std::u16string file) {
  if (!file.empty() && file.back() == u'.') {
    file.pop_back();
    return file;
  }
  if (!HasExtension(file)) file += u".dll";
  return file;
}

std::u16string StemOf(std::u16string_view file) {
  std::size_t dot = file.rfind(u'.');
  return std::u16string(dot == std::u16string_view::npos ? file : file.substr(0, dot));
}

std::u16string ExtensionOf(std::u16string_view file) {
  std::size_t dot = file.rfind(u'.');
  return dot == std::u16string_view::npos ? std::u16string() : std::u16string(file.substr(dot));
}

std::u16string FileNameOf(std::u16string_view path) {
  std::size_t slash = path.find_last_of(u"\\:");
  return std::u16string(slash == std::u16string_view::npos ? path : path.substr(slash + 1));
}

bool IsRegularFile(const std::string& host) {
  struct stat st;
  return ::stat(host.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string RealPath(const std::string& host) {
  char buf[PATH_MAX];
  return ::realpath(host.c_str(), buf) ? std::string(buf) : host;
}

struct Resolved {
  bool builtin = false;
  std::u16string builtinName;
  std::string so;  // host paths of the serving files; empty when absent
  std::string rc;
  std::u16string winPath;
};

// Looks for the files that serve `file` (a Windows file name) in a Windows folder. A module
// found missing is not looked for again until a file or folder appears in the root.
bool TryFolder(const std::u16string& dirWin, const std::u16string& file, Resolved& out) {
  std::u16string full;
  if (plat::FullWindowsPath(dirWin.c_str(), full) != ERROR_SUCCESS) return false;
  const std::u16string stem = StemOf(file);
  const std::u16string key = plat::absent::KeyOf((full + u"\\" + stem).c_str(), u'm');
  if (plat::absent::Known(key)) return false;
  const plat::changes::Mark before = plat::absent::Before();
  std::string hostDir;
  if (plat::MapPath(full.c_str(), hostDir) != ERROR_SUCCESS) return false;
  auto find = [&](const char16_t* ext, std::string& host, std::u16string& diskStem) {
    std::string entry = plat::FindEntryNoCase(hostDir, plat::ToUtf8(stem + ext));
    if (entry.empty() || !IsRegularFile(hostDir + "/" + entry)) return false;
    host = hostDir + "/" + entry;
    diskStem = StemOf(plat::FromUtf8(entry));
    return true;
  };
  std::u16string soStem, rcStem;
  const bool so = find(u".so", out.so, soStem);
  const bool rc = find(u".rc", out.rc, rcStem);
  if (!so && !rc) {
    plat::absent::Note(key, before);
    return false;
  }
  std::u16string dir = plat::UnmapPath(hostDir);
  if (dir.empty()) dir = full;
  if (dir.back() != u'\\') dir.push_back(u'\\');
  out.winPath = dir + (so ? soStem : rcStem) + ExtensionOf(file);
  return true;
}

bool IsSystemDirectory(const std::u16string& dirWin) {
  std::u16string full;
  if (plat::FullWindowsPath(dirWin.c_str(), full) != ERROR_SUCCESS) return false;
  return plat::EqualNoCase(full, plat::SystemDirectory());
}

bool TryBuiltin(const std::u16string& file, Resolved& out) {
  std::u16string canonical;
  if (!plat::FindBuiltinModule(file, &canonical) || !plat::IsBuiltinModuleAvailable(file)) return false;
  out.builtin = true;
  out.builtinName = canonical;
  out.winPath = plat::SystemDirectory() + u"\\" + canonical;
  return true;
}

DWORD Resolve(std::u16string name, Resolved& out) {
  for (auto& c : name)
    if (c == u'/') c = u'\\';
  if (name.empty()) return ERROR_MOD_NOT_FOUND;
  if (name.size() >= MAX_PATH) return ERROR_FILENAME_EXCED_RANGE;
  const bool hasFolder = name.find_first_of(u"\\:") != std::u16string::npos;
  const std::u16string file = CompleteFileName(FileNameOf(name));
  if (file.empty() || file == u"." || file == u"..") return ERROR_MOD_NOT_FOUND;
  if (hasFolder) {
    std::u16string dir = name.substr(0, name.size() - FileNameOf(name).size());
    if (dir.size() > 1 && dir.back() == u'\\' && dir[dir.size() - 2] != u':') dir.pop_back();
    if (IsSystemDirectory(dir) && TryBuiltin(file, out)) return ERROR_SUCCESS;
    return TryFolder(dir, file, out) ? ERROR_SUCCESS : ERROR_MOD_NOT_FOUND;
  }
  if (TryBuiltin(file, out)) return ERROR_SUCCESS;
  std::vector<std::u16string> dirs;
  const std::u16string exe = plat::HostExecutablePath();
  if (!exe.empty()) {
    std::size_t slash = exe.rfind(u'\\');
    if (slash != std::u16string::npos) dirs.push_back(exe.substr(0, slash == 2 ? 3 : slash));
  }
  dirs.push_back(plat::SystemDirectory());
  dirs.push_back(plat::WindowsDirectory());
  dirs.push_back(plat::CurrentDirectory());
  std::u16string path;
  if (plat::LookupEnvironmentVariable(u"PATH", path)) {
    std::size_t i = 0;
    while (i <= path.size()) {
      std::size_t j = path.find(u';', i);
      if (j == std::u16string::npos) j = path.size();
      std::u16string d = path.substr(i, j - i);
      i = j + 1;
      while (!d.empty() && d.front() == u' ') d.erase(d.begin());
      while (!d.empty() && d.back() == u' ') d.pop_back();
      if (d.size() >= 2 && d.front() == u'"' && d.back() == u'"') d = d.substr(1, d.size() - 2);
      if (!d.empty()) dirs.push_back(d);
    }
  }
  for (const auto& d : dirs)
    if (TryFolder(d, file, out)) return ERROR_SUCCESS;
  return ERROR_MOD_NOT_FOUND;
}

// ---- the module table -----------------------------------------------------------------

std::u16string DefaultHostPath() {
  char buf[PATH_MAX];
  ssize_t n = ::readlink("/proc/self/exe", buf, sizeof(buf) - 1);
  std::string exe = n > 0 ? std::string(buf, static_cast<std::size_t>(n)) : std::string("host");
  std::size_t slash = exe.rfind('/');
  if (slash != std::string::npos) exe = exe.substr(slash + 1);
  return plat::SystemDirectory() + u"\\" + plat::FromUtf8(exe) + u".exe";
}

std::shared_ptr<Module> HostLocked(Loader& l) {
  if (!l.host) {
    auto m = std::make_shared<Module>();
    m->type = ModType::Host;
    m->handle = static_cast<HMODULE>(plat::InsertHandle(m));
    l.host = m;
  }
  return l.host;
}

std::u16string PathOf(const Module& m) {
  if (m.type != ModType::Host) return m.winPath;
  std::u16string exe = plat::HostExecutablePath();
  return exe.empty() ? DefaultHostPath() : exe;
}

// The module behind a handle (NULL: the host executable), or null.
std::shared_ptr<Module> ByHandleLocked(Loader& l, HMODULE h) {
  if (!h) return HostLocked(l);
  if (l.host && l.host->handle == h) return l.host;
  for (const auto& m : l.modules)
    if (m->handle == h) return m;
  return nullptr;
}

// An export of the shared object itself, not of a library it depends on.
void* OwnSymbol(const Module& m, const char* name) {
  if (!m.dl) return nullptr;
  dlerror();
  void* p = dlsym(m.dl, name);
  if (!p) return nullptr;
  Dl_info info;
  link_map* owner = nullptr;
  if (!dladdr1(p, &info, reinterpret_cast<void**>(&owner), RTLD_DL_LINKMAP) || owner != m.map) return nullptr;
  return p;
}

std::shared_ptr<const plat::ResourceTable> ParseScript(const std::string& host, DWORD& err) {
  // Parsed once while the script and its files are unchanged.
  std::string error;
  auto table = plat::ParsedResourceScript(host, error);
  if (!table) {
    t_diagnostic = error;
    err = ERROR_BAD_EXE_FORMAT;
    return nullptr;
  }
  return table;
}

void Unregister(Loader& l, const std::shared_ptr<Module>& m) {
  for (auto it = l.modules.begin(); it != l.modules.end(); ++it) {
    if (*it == m) {
      l.modules.erase(it);
      break;
    }
  }
  plat::RemoveHandle(m->handle);
}

BOOL CallDllMain(const Module& m, DWORD reason) {
  try {
    return m.dllMain(reinterpret_cast<HINSTANCE>(m.handle), reason, nullptr);
  } catch (...) {
    return FALSE;
  }
}

HMODULE LoadLocked(Loader& l, const std::u16string& name, DWORD flags) {
  Resolved r;
  DWORD err = Resolve(name, r);
  if (err != ERROR_SUCCESS) {
    t_diagnostic = "no file serves " + plat::ToUtf8(name);
    SetLastError(err);
    return nullptr;
  }
  const bool asData = (flags & (LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_DATAFILE_EXCLUSIVE |
                                LOAD_LIBRARY_AS_IMAGE_RESOURCE)) != 0;
  const std::string key = r.builtin ? "builtin:" + plat::ToUtf8(plat::UpperCase(r.builtinName))
                                    : RealPath(r.so.empty() ? r.rc : r.so);
  // The same file loaded before: one more reference. A module loaded with its code also
  // serves a request for its resources only.
  for (int pass = 0; pass < (asData ? 2 : 1); ++pass) {
    for (const auto& m : l.modules) {
      if (m->key == key && m->dataFile == (pass == 1)) {
        ++m->refs;
        return m->handle;
      }
    }
  }
  auto m = std::make_shared<Module>();
  m->key = key;
  m->winPath = r.winPath;
  if (r.builtin) {
    m->type = ModType::Builtin;
    m->builtinName = r.builtinName;
  } else {
    if (!r.rc.empty()) {
      m->resources = ParseScript(r.rc, err);
      if (!m->resources) {
        SetLastError(err);
        return nullptr;
      }
    }
    if (!r.so.empty() && !asData) {
      m->type = ModType::Shared;
      m->dl = dlopen(r.so.c_str(), RTLD_NOW | RTLD_LOCAL);
      if (!m->dl) {
        const char* why = dlerror();
        t_diagnostic = why ? why : "cannot load the shared object";
        SetLastError(ERROR_BAD_EXE_FORMAT);
        return nullptr;
      }
      if (dlinfo(m->dl, RTLD_DI_LINKMAP, &m->map) != 0) m->map = nullptr;
      m->dllMain = reinterpret_cast<DllMainProc>(OwnSymbol(*m, "DllMain"));
    } else {
      m->type = ModType::Resource;
      m->dataFile = asData;
    }
  }
  m->handle = static_cast<HMODULE>(plat::InsertHandle(m));
  l.modules.push_back(m);
  if (m->dllMain && !(flags & DONT_RESOLVE_DLL_REFERENCES)) {
    // The module is in the table while DllMain runs, so that it can use its own handle.
    if (!CallDllMain(*m, DLL_PROCESS_ATTACH)) {
      CallDllMain(*m, DLL_PROCESS_DETACH);  // Windows detaches a module that refused
      Unregister(l, m);
      dlclose(m->dl);
      t_diagnostic = "DllMain refused the attach";
      SetLastError(ERROR_DLL_INIT_FAILED);
      return nullptr;
    }
    m->attached = true;
  }
  return m->handle;
}

std::u16string WideArg(LPCSTR s) { return plat::AnsiToWide(s, 0); }

// Copies a path to a caller buffer with the GetModuleFileName truncation protocol.
template <class Ch>
DWORD CopyPathOut(const std::basic_string<Ch>& path, Ch* buffer, DWORD size) {
  if (size == 0 || !buffer) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  if (path.size() < size) {
    std::memcpy(buffer, path.data(), path.size() * sizeof(Ch));
    buffer[path.size()] = 0;
    return static_cast<DWORD>(path.size());
  }
  std::memcpy(buffer, path.data(), (size - 1) * sizeof(Ch));
  buffer[size - 1] = 0;
  SetLastError(ERROR_INSUFFICIENT_BUFFER);
  return size;
}

}  // namespace

namespace plat {

std::string LastLoadDiagnostic() { return t_diagnostic; }

std::shared_ptr<const ResourceTable> ModuleResources(HMODULE module, bool* knownModule) {
  auto& l = loader();
  Guard g(l.lock);
  auto m = ByHandleLocked(l, module);
  if (knownModule) *knownModule = m != nullptr;
  return m ? m->resources : nullptr;
}

}  // namespace plat

extern "C" {

HMODULE WINAPI LoadLibraryExW(LPCWSTR lpLibFileName, HANDLE hFile, DWORD dwFlags) {
  if (!lpLibFileName || hFile) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  try {
    t_diagnostic.clear();
    auto& l = loader();
    Guard g(l.lock);
    return LoadLocked(l, std::u16string(plat::View(lpLibFileName)), dwFlags);
  } catch (...) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
}

HMODULE WINAPI LoadLibraryW(LPCWSTR lpLibFileName) { return LoadLibraryExW(lpLibFileName, nullptr, 0); }

HMODULE WINAPI LoadLibraryExA(LPCSTR lpLibFileName, HANDLE hFile, DWORD dwFlags) {
  if (!lpLibFileName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const std::u16string name = WideArg(lpLibFileName);
  return LoadLibraryExW(name.c_str(), hFile, dwFlags);
}

HMODULE WINAPI LoadLibraryA(LPCSTR lpLibFileName) { return LoadLibraryExA(lpLibFileName, nullptr, 0); }

FARPROC WINAPI GetProcAddress(HMODULE hModule, LPCSTR lpProcName) {
  auto& l = loader();
  Guard g(l.lock);
  auto m = ByHandleLocked(l, hModule);
  if (!m) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  FARPROC proc = nullptr;
  const bool byOrdinal = (reinterpret_cast<std::uintptr_t>(lpProcName) >> 16) == 0;
  if (!byOrdinal) {  // no module here exports by ordinal
    if (m->type == ModType::Builtin) proc = plat::FindBuiltinExport(m->builtinName, lpProcName);
    else if (m->type == ModType::Shared) proc = reinterpret_cast<FARPROC>(OwnSymbol(*m, lpProcName));
  }
  if (!proc) SetLastError(ERROR_PROC_NOT_FOUND);
  return proc;
}

BOOL WINAPI FreeLibrary(HMODULE hLibModule) {
  auto& l = loader();
  Guard g(l.lock);
  auto m = hLibModule ? ByHandleLocked(l, hLibModule) : nullptr;
  if (!m) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return FALSE;
  }
  if (m->type == ModType::Host) return TRUE;
  if (--m->refs > 0) return TRUE;
  if (m->attached) {
    m->attached = false;
    CallDllMain(*m, DLL_PROCESS_DETACH);
  }
  if (m->refs > 0) return TRUE;  // DllMain loaded itself again while detaching
  Unregister(l, m);
  if (m->dl) dlclose(m->dl);
  m->dl = nullptr;
  return TRUE;
}

HMODULE WINAPI GetModuleHandleW(LPCWSTR lpModuleName) {
  auto& l = loader();
  Guard g(l.lock);
  if (!lpModuleName) return HostLocked(l)->handle;
  try {
    std::u16string name(plat::View(lpModuleName));
    for (auto& c : name)
      if (c == u'/') c = u'\\';
    const bool hasFolder = name.find_first_of(u"\\:") != std::u16string::npos;
    std::u16string want;
    if (hasFolder) {
      std::u16string full;
      if (plat::FullWindowsPath(name.c_str(), full) == ERROR_SUCCESS)
        want = full.substr(0, full.size() - FileNameOf(full).size()) + CompleteFileName(FileNameOf(full));
    } else {
      want = CompleteFileName(name);
    }
    auto matches = [&](const Module& m) {
      const std::u16string path = PathOf(m);
      return hasFolder ? plat::EqualNoCase(path, want) : plat::EqualNoCase(FileNameOf(path), want);
    };
    if (!want.empty()) {
      for (const auto& m : l.modules)
        if (!m->dataFile && matches(*m)) return m->handle;
      auto host = HostLocked(l);
      if (matches(*host)) return host->handle;
    }
  } catch (...) {
  }
  SetLastError(ERROR_MOD_NOT_FOUND);
  return nullptr;
}

HMODULE WINAPI GetModuleHandleA(LPCSTR lpModuleName) {
  if (!lpModuleName) return GetModuleHandleW(nullptr);
  const std::u16string name = WideArg(lpModuleName);
  return GetModuleHandleW(name.c_str());
}

DWORD WINAPI GetModuleFileNameW(HMODULE hModule, LPWSTR lpFilename, DWORD nSize) {
  std::u16string path;
  {
    auto& l = loader();
    Guard g(l.lock);
    auto m = ByHandleLocked(l, hModule);
    if (!m) {
      SetLastError(ERROR_MOD_NOT_FOUND);
      return 0;
    }
    path = PathOf(*m);
  }
  return CopyPathOut(path, lpFilename, nSize);
}

DWORD WINAPI GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize) {
  // The W form finds the module; its path is given in the ANSI code page.
  std::u16string path(32768, u'\0');
  const DWORD n = GetModuleFileNameW(hModule, path.data(), static_cast<DWORD>(path.size()));
  if (n == 0) return 0;  // the W form's error stands
  path.resize(n);
  std::string bytes = plat::WideToAnsi(path, 0);
  if (lpFilename && nSize > 0 && bytes.size() >= nSize) {
    // Cut before a double-byte character that would not fit whole.
    const UINT cp = plat::ResolveCodePage(0);
    std::size_t i = 0;
    while (i < nSize - 1) {
      std::size_t step = plat::IsLeadByte(cp, static_cast<BYTE>(bytes[i])) ? 2 : 1;
      if (i + step > nSize - 1) break;
      i += step;
    }
    std::memcpy(lpFilename, bytes.data(), i);
    std::memset(lpFilename + i, 0, nSize - i);
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return nSize;
  }
  return CopyPathOut(bytes, lpFilename, nSize);
}

BOOL WINAPI DisableThreadLibraryCalls(HMODULE hLibModule) {
  auto& l = loader();
  Guard g(l.lock);
  if (!hLibModule || !ByHandleLocked(l, hLibModule)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}

}  // extern "C"
