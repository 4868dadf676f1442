// Exports of the built-in userenv.dll, shell32.dll and ole32.dll.
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "core/handles.h"
#include "plat/paths.h"
#include "plat/system.h"
#include "win/errors.h"
#include "win/loader.h"

namespace {

// The pseudo handles of GetCurrentProcessToken, GetCurrentThreadToken and
// GetCurrentThreadEffectiveToken.
bool IsTokenHandle(HANDLE h) {
  const auto v = reinterpret_cast<LONG_PTR>(h);
  if (v == -4 || v == -5 || v == -6) return true;
  auto obj = plat::LookupHandle(h);
  return obj && obj->Kind() == plat::ObjectKind::Token;
}

bool EnsureFolder(const std::u16string& winPath) {
  std::string host;
  if (plat::MapPath(winPath.c_str(), host) != ERROR_SUCCESS) return false;
  std::error_code ec;
  std::filesystem::create_directories(host, ec);
  return std::filesystem::is_directory(host, ec);
}

}  // namespace

extern "C" {

BOOL WINAPI GetUserProfileDirectoryW(HANDLE hToken, LPWSTR lpProfileDir, LPDWORD lpcchSize) {
  if (!lpcchSize) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (!IsTokenHandle(hToken)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  // There is one user on this machine: the profile of every token is the user's.
  const std::u16string dir = plat::UserProfileDirectory();
  const DWORD needed = static_cast<DWORD>(dir.size() + 1);
  if (!lpProfileDir || *lpcchSize < needed) {
    *lpcchSize = needed;
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  if (!EnsureFolder(dir)) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return FALSE;
  }
  std::memcpy(lpProfileDir, dir.c_str(), needed * sizeof(WCHAR));
  *lpcchSize = needed;
  return TRUE;
}

HRESULT WINAPI SHGetKnownFolderPath(REFKNOWNFOLDERID rfid, DWORD dwFlags, HANDLE hToken, PWSTR* ppszPath) {
  (void)dwFlags;  // the folders here always exist: KF_FLAG_CREATE and _DONT_VERIFY change nothing
  if (!ppszPath) return E_INVALIDARG;
  *ppszPath = nullptr;
  if (hToken && !IsTokenHandle(hToken)) return E_INVALIDARG;
  const std::u16string profile = plat::UserProfileDirectory();
  std::u16string path;
  if (rfid == FOLDERID_LocalAppDataLow) path = profile + u"\\AppData\\LocalLow";
  else if (rfid == FOLDERID_LocalAppData) path = profile + u"\\AppData\\Local";
  else if (rfid == FOLDERID_RoamingAppData) path = profile + u"\\AppData\\Roaming";
  else if (rfid == FOLDERID_Profile) path = profile;
  else return E_FAIL;  // a folder this machine does not know
  if (!EnsureFolder(path)) return E_FAIL;
  auto* out = static_cast<PWSTR>(CoTaskMemAlloc((path.size() + 1) * sizeof(WCHAR)));
  if (!out) return E_OUTOFMEMORY;
  std::memcpy(out, path.c_str(), (path.size() + 1) * sizeof(WCHAR));
  *ppszPath = out;
  return S_OK;
}

LPVOID WINAPI CoTaskMemAlloc(SIZE_T cb) { return std::malloc(cb ? cb : 1); }

LPVOID WINAPI CoTaskMemRealloc(LPVOID pv, SIZE_T cb) {
  if (pv && cb == 0) {
    std::free(pv);
    return nullptr;
  }
  return std::realloc(pv, cb ? cb : 1);
}

void WINAPI CoTaskMemFree(LPVOID pv) { std::free(pv); }

}  // extern "C"
