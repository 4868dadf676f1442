// Loading modules by their Windows names.
//
// "X.dll" (any case, any extension) in a folder is served by a file of the same stem there,
// found without regard to case: "X.so", a shared object whose exported
// DllMain(HINSTANCE, DWORD, LPVOID) is called at the first load and after the last
// FreeLibrary, or "X.rc", a resource module (a resource script, no code). A shared object
// may carry resources too: a "X.rc" beside it is attached to its module.
//
// A name with a folder loads from that folder only. A bare name is first looked up among
// the built-in system modules (plat/builtin_modules.h), then searched in the folder of the
// host executable's module (when known), the system directory, the Windows directory, the
// current directory and the folders of the environment's PATH. A bare name without an
// extension gets ".dll"; a name ending in '.' has none.
#pragma once

// Exported by the platform library (built with hidden visibility otherwise).
#pragma GCC visibility push(default)

#include "win/types.h"

constexpr DWORD DLL_PROCESS_DETACH = 0;
constexpr DWORD DLL_PROCESS_ATTACH = 1;
constexpr DWORD DLL_THREAD_ATTACH = 2;
constexpr DWORD DLL_THREAD_DETACH = 3;

// LoadLibraryExW flags.
constexpr DWORD DONT_RESOLVE_DLL_REFERENCES = 0x00000001;
constexpr DWORD LOAD_LIBRARY_AS_DATAFILE = 0x00000002;
constexpr DWORD LOAD_WITH_ALTERED_SEARCH_PATH = 0x00000008;
constexpr DWORD LOAD_IGNORE_CODE_AUTHZ_LEVEL = 0x00000010;
constexpr DWORD LOAD_LIBRARY_AS_IMAGE_RESOURCE = 0x00000020;
constexpr DWORD LOAD_LIBRARY_AS_DATAFILE_EXCLUSIVE = 0x00000040;
constexpr DWORD LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR = 0x00000100;
constexpr DWORD LOAD_LIBRARY_SEARCH_APPLICATION_DIR = 0x00000200;
constexpr DWORD LOAD_LIBRARY_SEARCH_USER_DIRS = 0x00000400;
constexpr DWORD LOAD_LIBRARY_SEARCH_SYSTEM32 = 0x00000800;
constexpr DWORD LOAD_LIBRARY_SEARCH_DEFAULT_DIRS = 0x00001000;

// The entry point a shared object exports as "DllMain".
using DllMainProc = BOOL (*)(HINSTANCE hinstDLL, DWORD fdwReason, LPVOID lpvReserved);

extern "C" {

// Loads a module (see above) or adds a reference to one already loaded from the same file.
// NULL with ERROR_MOD_NOT_FOUND when no file serves the name, ERROR_DLL_INIT_FAILED when
// DllMain refuses the attach, ERROR_BAD_EXE_FORMAT when the shared object cannot be loaded
// or the resource script is not valid.
KOVA_EXPORT HMODULE WINAPI LoadLibraryW(LPCWSTR lpLibFileName);
KOVA_EXPORT HMODULE WINAPI LoadLibraryA(LPCSTR lpLibFileName);
// As LoadLibraryW. LOAD_LIBRARY_AS_DATAFILE (and _EXCLUSIVE, AS_IMAGE_RESOURCE) maps only
// the resources of a module not yet loaded: no code, no DllMain, no exports.
// DONT_RESOLVE_DLL_REFERENCES skips DllMain. hFile must be NULL.
KOVA_EXPORT HMODULE WINAPI LoadLibraryExW(LPCWSTR lpLibFileName, HANDLE hFile, DWORD dwFlags);
KOVA_EXPORT HMODULE WINAPI LoadLibraryExA(LPCSTR lpLibFileName, HANDLE hFile, DWORD dwFlags);
// An export of a shared object or a built-in module by name. A name pointer whose high bits
// are zero is an ordinal; modules here have no ordinals. NULL with ERROR_PROC_NOT_FOUND
// (also for every name of a resource module), ERROR_MOD_NOT_FOUND for an unknown handle.
KOVA_EXPORT FARPROC WINAPI GetProcAddress(HMODULE hModule, LPCSTR lpProcName);
// Drops one reference; the last one calls DllMain(DLL_PROCESS_DETACH) and unloads.
// FALSE with ERROR_MOD_NOT_FOUND for an unknown handle.
KOVA_EXPORT BOOL WINAPI FreeLibrary(HMODULE hLibModule);
// NULL: the host executable's module. A bare name matches a loaded module's file name
// (".dll" added when it has no extension), a path its full Windows path; no reference is
// added. NULL with ERROR_MOD_NOT_FOUND when none matches.
KOVA_EXPORT HMODULE WINAPI GetModuleHandleW(LPCWSTR lpModuleName);
KOVA_EXPORT HMODULE WINAPI GetModuleHandleA(LPCSTR lpModuleName);
// The Windows path the module was loaded from (its folder in the case on disk, its file
// name as asked for, with the stem's case on disk). When it does not fit, nSize - 1
// characters and a NUL are written and nSize is answered with ERROR_INSUFFICIENT_BUFFER.
KOVA_EXPORT DWORD WINAPI GetModuleFileNameW(HMODULE hModule, LPWSTR lpFilename, DWORD nSize);
KOVA_EXPORT DWORD WINAPI GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize);
// Thread notifications are never sent here; TRUE for a loaded module.
KOVA_EXPORT BOOL WINAPI DisableThreadLibraryCalls(HMODULE hLibModule);

}  // extern "C"

// The address from GetProcAddress as the function type it really has. The cast goes through
// void(*)(), the form that tells the compiler the signature is restored on purpose (a
// direct cast from FARPROC warns under -Wextra).
template <class F>
inline F ProcCast(FARPROC proc) {
  return reinterpret_cast<F>(reinterpret_cast<void (*)()>(proc));
}

// ---- Exports of the built-in system modules -------------------------------------------
// userenv.dll, shell32.dll and ole32.dll are supplied by the platform (see
// plat/builtin_modules.h); the driver reaches them through LoadLibraryW/GetProcAddress.

#ifndef KOVA_GUID_DEFINED
#define KOVA_GUID_DEFINED
struct GUID {
  DWORD Data1;
  WORD Data2;
  WORD Data3;
  BYTE Data4[8];
};
static_assert(sizeof(GUID) == 16, "GUID is 16 bytes");
inline bool operator==(const GUID& a, const GUID& b) {
  if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
  for (int i = 0; i < 8; ++i)
    if (a.Data4[i] != b.Data4[i]) return false;
  return true;
}
using REFGUID = const GUID&;
#endif

using KNOWNFOLDERID = GUID;
using REFKNOWNFOLDERID = const KNOWNFOLDERID&;
using PWSTR = WCHAR*;

// {A520A1A4-1780-4FF6-BD18-167343C5AF16}: %USERPROFILE%\AppData\LocalLow
inline constexpr KNOWNFOLDERID FOLDERID_LocalAppDataLow = {0xA520A1A4, 0x1780, 0x4FF6, {0xBD, 0x18, 0x16, 0x73, 0x43, 0xC5, 0xAF, 0x16}};
// {F1B32785-6FBA-4FCF-9D55-7B8E7F157091}: %USERPROFILE%\AppData\Local
inline constexpr KNOWNFOLDERID FOLDERID_LocalAppData = {0xF1B32785, 0x6FBA, 0x4FCF, {0x9D, 0x55, 0x7B, 0x8E, 0x7F, 0x15, 0x70, 0x91}};
// {3EB685DB-65F9-4CF6-A03A-E3EF65729F3D}: %USERPROFILE%\AppData\Roaming
inline constexpr KNOWNFOLDERID FOLDERID_RoamingAppData = {0x3EB685DB, 0x65F9, 0x4CF6, {0xA0, 0x3A, 0xE3, 0xEF, 0x65, 0x72, 0x9F, 0x3D}};
// {5E6C858F-0E22-4760-9AFE-EA3317B67173}: %USERPROFILE%
inline constexpr KNOWNFOLDERID FOLDERID_Profile = {0x5E6C858F, 0x0E22, 0x4760, {0x9A, 0xFE, 0xEA, 0x33, 0x17, 0xB6, 0x71, 0x73}};

// SHGetKnownFolderPath flags.
constexpr DWORD KF_FLAG_DEFAULT = 0x00000000;
constexpr DWORD KF_FLAG_DONT_VERIFY = 0x00004000;
constexpr DWORD KF_FLAG_CREATE = 0x00008000;

extern "C" {

// userenv.dll: the profile folder of the token's user (created when missing). *lpcchSize
// is the buffer size in characters; when the buffer is null or small, FALSE with
// ERROR_INSUFFICIENT_BUFFER and the size needed (with the NUL) in *lpcchSize.
KOVA_EXPORT BOOL WINAPI GetUserProfileDirectoryW(HANDLE hToken, LPWSTR lpProfileDir, LPDWORD lpcchSize);
// shell32.dll: the path of a known folder in memory from CoTaskMemAlloc (the caller frees
// it with CoTaskMemFree); *ppszPath is NULL on failure. E_FAIL for a folder not known here.
KOVA_EXPORT HRESULT WINAPI SHGetKnownFolderPath(REFKNOWNFOLDERID rfid, DWORD dwFlags, HANDLE hToken, PWSTR* ppszPath);
// ole32.dll: the task allocator.
KOVA_EXPORT LPVOID WINAPI CoTaskMemAlloc(SIZE_T cb);
KOVA_EXPORT LPVOID WINAPI CoTaskMemRealloc(LPVOID pv, SIZE_T cb);
KOVA_EXPORT void WINAPI CoTaskMemFree(LPVOID pv);

}  // extern "C"

#pragma GCC visibility pop
