// System folders, user name and computer name.
#include <cstring>
#include <string>

#include "plat/codepage.h"
#include "plat/system.h"
#include "win/kernel.h"

namespace {

// The directory size protocol: length without the NUL when it fits, else the size needed
// including the NUL (the buffer left alone).
UINT CopyOutW(const std::u16string& s, LPWSTR buf, UINT size) {
  if (!buf || size <= s.size()) return static_cast<UINT>(s.size() + 1);
  std::memcpy(buf, s.data(), s.size() * sizeof(WCHAR));
  buf[s.size()] = 0;
  return static_cast<UINT>(s.size());
}

UINT CopyOutA(const std::u16string& s, LPSTR buf, UINT size) {
  const std::string a = plat::WideToAnsi(s, CP_ACP);
  if (!buf || size <= a.size()) return static_cast<UINT>(a.size() + 1);
  std::memcpy(buf, a.data(), a.size());
  buf[a.size()] = 0;
  return static_cast<UINT>(a.size());
}

}  // namespace

extern "C" {

UINT WINAPI GetSystemDirectoryW(LPWSTR lpBuffer, UINT uSize) {
  return CopyOutW(plat::SystemDirectory(), lpBuffer, uSize);
}
UINT WINAPI GetSystemDirectoryA(LPSTR lpBuffer, UINT uSize) {
  return CopyOutA(plat::SystemDirectory(), lpBuffer, uSize);
}
UINT WINAPI GetWindowsDirectoryW(LPWSTR lpBuffer, UINT uSize) {
  return CopyOutW(plat::WindowsDirectory(), lpBuffer, uSize);
}
UINT WINAPI GetWindowsDirectoryA(LPSTR lpBuffer, UINT uSize) {
  return CopyOutA(plat::WindowsDirectory(), lpBuffer, uSize);
}
UINT WINAPI GetSystemWindowsDirectoryW(LPWSTR lpBuffer, UINT uSize) {
  return CopyOutW(plat::WindowsDirectory(), lpBuffer, uSize);
}

BOOL WINAPI GetUserNameW(LPWSTR lpBuffer, LPDWORD pcbBuffer) {
  if (!pcbBuffer) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const std::u16string name = plat::Machine().userName;
  const DWORD need = static_cast<DWORD>(name.size() + 1);
  if (!lpBuffer || *pcbBuffer < need) {
    *pcbBuffer = need;
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  std::memcpy(lpBuffer, name.c_str(), need * sizeof(WCHAR));
  *pcbBuffer = need;
  return TRUE;
}

BOOL WINAPI GetUserNameA(LPSTR lpBuffer, LPDWORD pcbBuffer) {
  if (!pcbBuffer) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const std::string name = plat::WideToAnsi(plat::Machine().userName, CP_ACP);
  const DWORD need = static_cast<DWORD>(name.size() + 1);
  if (!lpBuffer || *pcbBuffer < need) {
    *pcbBuffer = need;
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  std::memcpy(lpBuffer, name.c_str(), need);
  *pcbBuffer = need;
  return TRUE;
}

BOOL WINAPI GetComputerNameW(LPWSTR lpBuffer, LPDWORD nSize) {
  if (!nSize) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const std::u16string name = plat::Machine().computerName;
  if (!lpBuffer || *nSize <= name.size()) {
    *nSize = static_cast<DWORD>(name.size() + 1);
    SetLastError(ERROR_BUFFER_OVERFLOW);
    return FALSE;
  }
  std::memcpy(lpBuffer, name.c_str(), (name.size() + 1) * sizeof(WCHAR));
  *nSize = static_cast<DWORD>(name.size());
  return TRUE;
}

BOOL WINAPI GetComputerNameA(LPSTR lpBuffer, LPDWORD nSize) {
  if (!nSize) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const std::string name = plat::WideToAnsi(plat::Machine().computerName, CP_ACP);
  if (!lpBuffer || *nSize <= name.size()) {
    *nSize = static_cast<DWORD>(name.size() + 1);
    SetLastError(ERROR_BUFFER_OVERFLOW);
    return FALSE;
  }
  std::memcpy(lpBuffer, name.c_str(), name.size() + 1);
  *nSize = static_cast<DWORD>(name.size());
  return TRUE;
}

}  // extern "C"
