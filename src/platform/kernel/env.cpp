// The platform's process environment.
#include "win/env.h"

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <vector>

#include "core/machine_store.h"
#include "plat/codepage.h"
#include "plat/paths.h"
#include "kernel/environment.h"
#include "plat/system.h"
#include "plat/wstr.h"
#include "win/errors.h"

namespace {

struct Variable {
  std::u16string name;
  std::u16string value;
};

struct Environment {
  std::mutex lock;
  std::string builtForRoot;  // the system root the variables were made for
  std::uint64_t builtForMachine = 0;  // and the machine settings (their generation)
  std::vector<Variable> vars;  // kept in upper-case name order, as Windows sorts its block
};

Environment& env() {
  static Environment* e = new Environment;  // never destroyed: used during exit
  return *e;
}

void EnsureFolder(const std::u16string& winPath) {
  std::string host;
  if (plat::MapPath(winPath.c_str(), host) != ERROR_SUCCESS) return;
  std::error_code ec;
  std::filesystem::create_directories(host, ec);
}

std::vector<Variable>::iterator FindVar(std::vector<Variable>& vars, std::u16string_view name) {
  for (auto it = vars.begin(); it != vars.end(); ++it)
    if (plat::EqualNoCase(it->name, name)) return it;
  return vars.end();
}

void SetVarLocked(std::vector<Variable>& vars, std::u16string_view name, std::u16string_view value) {
  auto it = FindVar(vars, name);
  if (it != vars.end()) {
    it->value.assign(value);
    return;
  }
  auto pos = vars.begin();
  while (pos != vars.end() && plat::CompareNoCase(pos->name, name) < 0) ++pos;
  vars.insert(pos, Variable{std::u16string(name), std::u16string(value)});
}

void BuildInitialLocked(Environment& e, const std::string& root, std::uint64_t machine) {
  e.vars.clear();
  e.builtForRoot = root;
  e.builtForMachine = machine;
  const auto& m = plat::Machine();
  const std::u16string windows = plat::WindowsDirectory();
  const std::u16string system = plat::SystemDirectory();
  const std::u16string profile = plat::UserProfileDirectory();
  const std::u16string temp = profile + u"\\AppData\\Local\\Temp";
  SetVarLocked(e.vars, u"PATH", system + u";" + windows);
  SetVarLocked(e.vars, u"SystemRoot", windows);
  SetVarLocked(e.vars, u"windir", windows);
  SetVarLocked(e.vars, u"SystemDrive", windows.substr(0, 2));
  SetVarLocked(e.vars, u"USERNAME", m.userName);
  SetVarLocked(e.vars, u"USERPROFILE", profile);
  SetVarLocked(e.vars, u"TEMP", temp);
  SetVarLocked(e.vars, u"TMP", temp);
  SetVarLocked(e.vars, u"APPDATA", profile + u"\\AppData\\Roaming");
  SetVarLocked(e.vars, u"LOCALAPPDATA", profile + u"\\AppData\\Local");
  SetVarLocked(e.vars, u"COMPUTERNAME", m.computerName);
  SetVarLocked(e.vars, u"OS", u"Windows_NT");
  EnsureFolder(temp);
}

// Runs f on the variables under the lock, after rebuilding them for a new system root or
// for machine settings another process saved (another user, another computer name).
template <class F>
auto WithVars(F&& f) {
  const std::string root = plat::SystemRoot();
  const std::uint64_t machine = plat::machine::Generation();
  auto& e = env();
  std::lock_guard<std::mutex> g(e.lock);
  if (e.builtForRoot != root || e.builtForMachine != machine) BuildInitialLocked(e, root, machine);
  return f(e.vars);
}

bool ValidName(std::u16string_view name) {
  if (name.empty()) return false;
  return name.find(u'=', 1) == std::u16string_view::npos;
}

std::u16string ExpandLocked(std::vector<Variable>& vars, std::u16string_view src) {
  std::u16string out;
  std::size_t i = 0;
  while (i < src.size()) {
    WCHAR c = src[i];
    if (c != u'%') {
      out.push_back(c);
      ++i;
      continue;
    }
    std::size_t close = src.find(u'%', i + 1);
    if (close == std::u16string_view::npos) {  // a lone '%' stays
      out.append(src.substr(i));
      break;
    }
    std::u16string_view name = src.substr(i + 1, close - i - 1);
    auto it = name.empty() ? vars.end() : FindVar(vars, name);
    if (it != vars.end()) {
      out += it->value;
      i = close + 1;
    } else {
      // Unknown: the text up to the second '%' stays, and that '%' may open the next name.
      out.append(src.substr(i, close - i));
      i = close;
    }
  }
  return out;
}

// Result of an ANSI call: writes bytes with a NUL when they fit.
DWORD CopyAnsiOut(const std::string& bytes, LPSTR buffer, DWORD size) {
  if (bytes.size() >= size || !buffer) return static_cast<DWORD>(bytes.size() + 1);
  std::memcpy(buffer, bytes.data(), bytes.size());
  buffer[bytes.size()] = '\0';
  return static_cast<DWORD>(bytes.size());
}

}  // namespace

namespace plat {

void ResetEnvironment() {
  const std::string root = SystemRoot();
  const std::uint64_t machine = machine::Generation();
  auto& e = env();
  std::lock_guard<std::mutex> g(e.lock);
  BuildInitialLocked(e, root, machine);
}

bool LookupEnvironmentVariable(std::u16string_view name, std::u16string& value) {
  return WithVars([&](std::vector<Variable>& vars) {
    auto it = FindVar(vars, name);
    if (it == vars.end()) return false;
    value = it->value;
    return true;
  });
}

}  // namespace plat

extern "C" {

DWORD WINAPI GetEnvironmentVariableW(LPCWSTR lpName, LPWSTR lpBuffer, DWORD nSize) {
  if (!lpName) {
    SetLastError(ERROR_ENVVAR_NOT_FOUND);
    return 0;
  }
  std::u16string value;
  if (!plat::LookupEnvironmentVariable(plat::View(lpName), value)) {
    SetLastError(ERROR_ENVVAR_NOT_FOUND);
    return 0;
  }
  if (!lpBuffer || value.size() >= nSize) return static_cast<DWORD>(value.size() + 1);
  std::memcpy(lpBuffer, value.data(), value.size() * sizeof(WCHAR));
  lpBuffer[value.size()] = 0;
  if (value.empty()) SetLastError(ERROR_SUCCESS);  // 0 is also the failure answer
  return static_cast<DWORD>(value.size());
}

DWORD WINAPI GetEnvironmentVariableA(LPCSTR lpName, LPSTR lpBuffer, DWORD nSize) {
  if (!lpName) {
    SetLastError(ERROR_ENVVAR_NOT_FOUND);
    return 0;
  }
  std::u16string value;
  if (!plat::LookupEnvironmentVariable(plat::AnsiToWide(lpName, 0), value)) {
    SetLastError(ERROR_ENVVAR_NOT_FOUND);
    return 0;
  }
  std::string bytes = plat::WideToAnsi(value, 0);
  if (bytes.empty() && lpBuffer && nSize > 0) SetLastError(ERROR_SUCCESS);
  return CopyAnsiOut(bytes, lpBuffer, nSize);
}

BOOL WINAPI SetEnvironmentVariableW(LPCWSTR lpName, LPCWSTR lpValue) {
  std::u16string_view name = plat::View(lpName);
  if (!ValidName(name)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  WithVars([&](std::vector<Variable>& vars) {
    if (!lpValue) {
      auto it = FindVar(vars, name);
      if (it != vars.end()) vars.erase(it);
    } else {
      SetVarLocked(vars, name, plat::View(lpValue));
    }
    return 0;
  });
  return TRUE;
}

BOOL WINAPI SetEnvironmentVariableA(LPCSTR lpName, LPCSTR lpValue) {
  if (!lpName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::u16string name = plat::AnsiToWide(lpName, 0);
  if (!lpValue) return SetEnvironmentVariableW(name.c_str(), nullptr);
  std::u16string value = plat::AnsiToWide(lpValue, 0);
  return SetEnvironmentVariableW(name.c_str(), value.c_str());
}

DWORD WINAPI ExpandEnvironmentStringsW(LPCWSTR lpSrc, LPWSTR lpDst, DWORD nSize) {
  if (!lpSrc) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::u16string out = WithVars([&](std::vector<Variable>& vars) { return ExpandLocked(vars, plat::View(lpSrc)); });
  const DWORD needed = static_cast<DWORD>(out.size() + 1);
  if (lpDst && nSize >= needed) {
    std::memcpy(lpDst, out.data(), out.size() * sizeof(WCHAR));
    lpDst[out.size()] = 0;
  }
  return needed;
}

DWORD WINAPI ExpandEnvironmentStringsA(LPCSTR lpSrc, LPSTR lpDst, DWORD nSize) {
  if (!lpSrc) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::u16string src = plat::AnsiToWide(lpSrc, 0);
  std::u16string out = WithVars([&](std::vector<Variable>& vars) { return ExpandLocked(vars, src); });
  std::string bytes = plat::WideToAnsi(out, 0);
  const DWORD needed = static_cast<DWORD>(bytes.size() + 1);
  if (lpDst && nSize >= needed) {
    std::memcpy(lpDst, bytes.data(), bytes.size());
    lpDst[bytes.size()] = '\0';
  }
  return needed;
}

LPWSTR WINAPI GetEnvironmentStringsW() {
  std::u16string block = WithVars([](std::vector<Variable>& vars) {
    std::u16string b;
    for (const auto& v : vars) {
      b += v.name;
      b.push_back(u'=');
      b += v.value;
      b.push_back(0);
    }
    b.push_back(0);
    return b;
  });
  auto* copy = new (std::nothrow) WCHAR[block.size()];
  if (!copy) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  std::memcpy(copy, block.data(), block.size() * sizeof(WCHAR));
  return copy;
}

BOOL WINAPI FreeEnvironmentStringsW(LPWSTR penv) {
  delete[] penv;
  return TRUE;
}

}  // extern "C"
