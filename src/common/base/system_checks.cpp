#include "base/system_checks.h"

#include <atomic>
#include <cstring>

#include "base/driver_context.h"
#include "base/paths_and_names.h"
#include "win/errors.h"
#include "win/loader.h"
#include "win/security.h"

namespace {

// 0 not asked, 1 yes, 2 no.
std::atomic<int> g_nt5{0};
std::atomic<int> g_terminalServer{0};
std::atomic<DWORD> g_systemTestGeneration{0};

BOOL GetOsVersionEx(OSVERSIONINFOEXW* info) {
  std::memset(info, 0, sizeof *info);
  info->dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXW);
  return GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(info));
}

BOOL AskTerminalServerDll(HANDLE printer, const DRIVER_INFO_3W* driverInfo, bool useInfo) {
  WCHAR path[MAX_PATH] = {};
  if (useInfo)
    GetDriverDirectoryCopyFor(printer, path, driverInfo);
  else
    GetDriverDirectoryCopy(printer, path);
  std::size_t len = 0;
  while (path[len]) ++len;
  constexpr std::size_t nameLen = sizeof kTerminalServerDll / sizeof(WCHAR) - 1;
  if (len == 0 || len + nameLen >= MAX_PATH) return FALSE;
  std::memcpy(path + len, kTerminalServerDll, (nameLen + 1) * sizeof(WCHAR));
  HMODULE dll = LoadLibraryW(path);
  if (!dll) return FALSE;
  BOOL answer = FALSE;
  using TestFn = int (*)();
  if (auto fn = ProcCast<TestFn>(GetProcAddress(dll, kTerminalServerExport))) answer = fn() == 1;
  FreeLibrary(dll);
  return answer;
}

BOOL TerminalServerTest(HANDLE printer, const DRIVER_INFO_3W* driverInfo, bool useInfo) {
  if (IsWin2003OrLater() && printer) return AskTerminalServerDll(printer, driverInfo, useInfo);
  OSVERSIONINFOEXW info;
  std::memset(&info, 0, sizeof info);
  info.dwOSVersionInfoSize = sizeof info;
  info.wSuiteMask = VER_SUITE_TERMINAL;
  DWORDLONG condition = VerSetConditionMask(0, VER_SUITENAME, VER_AND);
  return VerifyVersionInfoW(&info, VER_SUITENAME, condition) ? TRUE : FALSE;
}

BOOL TerminalServerCached(HANDLE printer, const DRIVER_INFO_3W* driverInfo, bool useInfo) {
  int known = g_terminalServer.load();
  if (known == 0) {
    known = TerminalServerTest(printer, driverInfo, useInfo) ? 1 : 2;
    int expected = 0;
    // The first answer stays, also when two threads asked at once.
    if (!g_terminalServer.compare_exchange_strong(expected, known)) known = expected;
  }
  return known == 1;
}

}  // namespace

BOOL GetOsVersion(OSVERSIONINFOW* info) {
  std::memset(info, 0, sizeof *info);
  info->dwOSVersionInfoSize = 276;
  return GetVersionExW(info);
}

BOOL IsNt5OrLater() {
  int known = g_nt5.load();
  if (known == 0) {
    OSVERSIONINFOW info;
    known = (GetOsVersion(&info) && info.dwMajorVersion >= 5) ? 1 : 2;
    g_nt5.store(known);
  }
  return known == 1;
}

BOOL IsWin2003OrLater() {
  OSVERSIONINFOW info;
  if (!GetOsVersion(&info)) return FALSE;
  if (info.dwMajorVersion <= 4) return FALSE;
  if (info.dwMajorVersion == 5 && (info.dwMinorVersion == 0 || info.dwMinorVersion == 1)) return FALSE;
  return TRUE;
}

BOOL IsNt6OrLater() {
  OSVERSIONINFOW info;
  return GetOsVersion(&info) && info.dwMajorVersion > 5;
}

// Asked on every field access (through the settings buffer size), so it reads the packed
// version word rather than filling a whole version record: the top bit marks a system that
// is not NT, and Windows 9x is such a system from major version 4 on.
BOOL IsWin9x() {
  const DWORD version = GetVersion();
  return (version & 0x80000000u) && (version & 0xFF) >= 4;
}

BOOL IsWin2000BeforeSp4() {
  OSVERSIONINFOEXW info;
  return GetOsVersionEx(&info) && info.dwMajorVersion == 5 && info.dwMinorVersion == 0 && info.wServicePackMajor < 4;
}

BOOL IsWin2000Sp4() {
  OSVERSIONINFOEXW info;
  return GetOsVersionEx(&info) && info.dwMajorVersion == 5 && info.dwMinorVersion == 0 && info.wServicePackMajor == 4;
}

BOOL IsTerminalServer(HANDLE printer) { return TerminalServerTest(printer, nullptr, false); }
BOOL IsTerminalServerFor(HANDLE printer, const DRIVER_INFO_3W* driverInfo) {
  return TerminalServerTest(printer, driverInfo, true);
}
BOOL IsTerminalServerCached(HANDLE printer) { return TerminalServerCached(printer, nullptr, false); }
BOOL IsTerminalServerCachedFor(HANDLE printer, const DRIVER_INFO_3W* driverInfo) {
  return TerminalServerCached(printer, driverInfo, true);
}

BOOL IsUserAdmin() {
  BOOL answer = FALSE;
  BOOL impersonating = ImpersonateSelf(SecurityImpersonation);
  HANDLE token = nullptr;
  PSID adminSid = nullptr;
  PACL acl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  do {
    if (!OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, FALSE, &token)) {
      if (GetLastError() != ERROR_NO_TOKEN) break;
      if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) break;
    }
    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    if (!AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0,
                                  0, &adminSid))
      break;
    descriptor = LocalAlloc(LPTR, SECURITY_DESCRIPTOR_MIN_LENGTH);
    if (!descriptor || !InitializeSecurityDescriptor(descriptor, SECURITY_DESCRIPTOR_REVISION)) break;
    DWORD aclSize = GetLengthSid(adminSid) + 16 + sizeof(ACL);
    acl = static_cast<PACL>(LocalAlloc(LPTR, aclSize));
    if (!acl || !InitializeAcl(acl, aclSize, ACL_REVISION)) break;
    constexpr DWORD kRead = 1, kWrite = 2;
    if (!AddAccessAllowedAce(acl, ACL_REVISION, kRead | kWrite, adminSid)) break;
    if (!SetSecurityDescriptorDacl(descriptor, TRUE, acl, FALSE)) break;
    if (!SetSecurityDescriptorGroup(descriptor, adminSid, FALSE)) break;
    if (!SetSecurityDescriptorOwner(descriptor, adminSid, FALSE)) break;
    if (!IsValidSecurityDescriptor(descriptor)) break;
    GENERIC_MAPPING mapping = {kRead, kWrite, 0, kRead | kWrite};
    BYTE privileges[20] = {};
    DWORD privilegesSize = sizeof privileges;
    DWORD granted = 0;
    BOOL status = FALSE;
    if (AccessCheck(descriptor, token, kRead, &mapping, reinterpret_cast<PPRIVILEGE_SET>(privileges), &privilegesSize,
                    &granted, &status))
      answer = status ? TRUE : FALSE;
  } while (false);
  if (acl) LocalFree(acl);
  if (descriptor) LocalFree(descriptor);
  if (adminSid) FreeSid(adminSid);
  if (token) CloseHandle(token);
  if (impersonating) RevertToSelf();
  return answer;
}

BOOL IsUserAdminIfNeeded(const DriverContext* context) {
  if (!context || !context->work || context->work->adminTest == 1) return IsUserAdmin();
  return TRUE;
}

BOOL GetAdminChange(HANDLE printer, DWORD* out) {
  DWORD type = 0, needed = 0;
  if (GetPrinterDataW(printer, const_cast<LPWSTR>(u"AdminChange"), &type, reinterpret_cast<LPBYTE>(out), sizeof(DWORD),
                      &needed) != ERROR_SUCCESS)
    return FALSE;
  return *out != 0;
}

DWORD SystemTestGeneration() { return g_systemTestGeneration.load(); }

void ResetSystemTestCaches() {
  g_systemTestGeneration.fetch_add(1);
  g_nt5.store(0);
  g_terminalServer.store(0);
}
