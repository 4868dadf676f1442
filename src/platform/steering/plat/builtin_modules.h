// Built-in system modules: modules the platform supplies itself (userenv.dll, shell32.dll,
// ole32.dll, and whatever other parts of the platform register), each a table of exported
// names. LoadLibraryW finds them by bare name without regard to case, or by a path in the
// system directory, before any file; GetProcAddress answers from the table.
#pragma once

// Exported by the platform library (built with hidden visibility otherwise).
#pragma GCC visibility push(default)

#include <string>
#include <utility>
#include <vector>

#include "win/types.h"

namespace plat {

struct BuiltinExport {
  std::string name;
  FARPROC proc;
};

// Casts any function to the FARPROC form of an export table (through void(*)(), the
// conversion that says the signature is restored by the caller).
template <class F>
FARPROC AsFarProc(F* f) {
  return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(f));
}

// Registers (or replaces) a module under its file name, e.g. "userenv.dll". A replaced
// module's exports change for later GetProcAddress calls only.
void RegisterBuiltinModule(const std::u16string& name, std::vector<BuiltinExport> exports);
// Makes a registered module missing (false) or present again (true), so that tests can
// exercise the answer of a machine without it. A missing module fails new LoadLibraryW
// calls with ERROR_MOD_NOT_FOUND; handles already held stay valid. False for an unknown name.
bool SetBuiltinModuleAvailable(const std::u16string& name, bool available);
// Whether a name (file name with extension, any case) is a registered, available module.
bool IsBuiltinModuleAvailable(const std::u16string& name);
// The export of a built-in module, or null. The module's registered name, exactly as
// registered, goes in *canonical when given and found.
FARPROC FindBuiltinExport(const std::u16string& module, const std::string& exportName);
bool FindBuiltinModule(const std::u16string& name, std::u16string* canonical);

// The Windows path of the host executable's module (GetModuleHandleW(NULL),
// GetModuleFileNameW(NULL)), whose folder is searched first for bare names. Empty: unknown;
// the file name then answers C:\Windows\system32\<program>.exe and no folder is searched.
void SetHostExecutablePath(const std::u16string& winPath);
std::u16string HostExecutablePath();

// Why the last LoadLibrary* call of this thread failed, beyond its error code: the shared
// object loader's message or the resource script's "<file>(<line>): <what>". Empty after a
// successful load.
std::string LastLoadDiagnostic();

}  // namespace plat

#pragma GCC visibility pop
