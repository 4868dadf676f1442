// Version answers of the machine: GetVersionExW and VerifyVersionInfoW.
#include <algorithm>
#include <cstring>

#include "plat/system.h"
#include "win/kernel.h"

namespace {

// Position of a type bit's three-bit condition in the condition mask.
int ConditionShift(DWORD typeBit) {
  int index = 0;
  while (typeBit > 1) {
    typeBit >>= 1;
    ++index;
  }
  return index * 3;
}

BYTE ConditionFor(DWORDLONG mask, DWORD typeBit) {
  return static_cast<BYTE>((mask >> ConditionShift(typeBit)) & 7);
}

// Compares the machine's value with the caller's under a relational condition.
bool Compare(DWORD machine, DWORD wanted, BYTE condition) {
  switch (condition) {
    case VER_EQUAL: return machine == wanted;
    case VER_GREATER: return machine > wanted;
    case VER_GREATER_EQUAL: return machine >= wanted;
    case VER_LESS: return machine < wanted;
    case VER_LESS_EQUAL: return machine <= wanted;
    default: return false;
  }
}

bool ValidRelational(BYTE c) { return c >= VER_EQUAL && c <= VER_LESS_EQUAL; }

}  // namespace

extern "C" {

BOOL WINAPI GetVersionExW(LPOSVERSIONINFOW info) {
  if (!info) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const DWORD size = info->dwOSVersionInfoSize;
  if (size != sizeof(OSVERSIONINFOW) && size != sizeof(OSVERSIONINFOEXW)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  const auto& m = plat::Machine();
  info->dwMajorVersion = m.majorVersion;
  info->dwMinorVersion = m.minorVersion;
  info->dwBuildNumber = m.buildNumber;
  info->dwPlatformId = m.platformId;
  std::memset(info->szCSDVersion, 0, sizeof info->szCSDVersion);
  const std::size_t n = std::min<std::size_t>(m.csdVersion.size(), 127);
  std::memcpy(info->szCSDVersion, m.csdVersion.data(), n * sizeof(WCHAR));
  if (size == sizeof(OSVERSIONINFOEXW)) {
    auto* ex = reinterpret_cast<OSVERSIONINFOEXW*>(info);
    ex->wServicePackMajor = m.servicePackMajor;
    ex->wServicePackMinor = m.servicePackMinor;
    ex->wSuiteMask = static_cast<WORD>(m.suiteMask | (m.terminalServer ? VER_SUITE_TERMINAL : 0));
    ex->wProductType = m.productType;
    ex->wReserved = 0;
  }
  return TRUE;
}

DWORD WINAPI GetVersion() {
  const auto& m = plat::Machine();
  DWORD v = (m.majorVersion & 0xFF) | ((m.minorVersion & 0xFF) << 8) | ((m.buildNumber & 0x7FFF) << 16);
  if (m.platformId != VER_PLATFORM_WIN32_NT) v |= 0x80000000u;
  return v;
}

ULONGLONG WINAPI VerSetConditionMask(ULONGLONG ConditionMask, DWORD TypeMask, BYTE Condition) {
  if (TypeMask == 0) return ConditionMask;
  Condition &= 7;
  // One type per call: with several bits given, the most significant known one counts.
  DWORD bit = 0;
  for (DWORD b = VER_PRODUCT_TYPE; b; b >>= 1)
    if (TypeMask & b) {
      bit = b;
      break;
    }
  if (!bit) return ConditionMask;
  const int shift = ConditionShift(bit);
  ConditionMask &= ~(ULONGLONG{7} << shift);
  ConditionMask |= ULONGLONG{Condition} << shift;
  return ConditionMask;
}

BOOL WINAPI VerifyVersionInfoW(LPOSVERSIONINFOEXW info, DWORD typeMask, DWORDLONG conditionMask) {
  constexpr DWORD kKnown = VER_MINORVERSION | VER_MAJORVERSION | VER_BUILDNUMBER | VER_PLATFORMID |
                           VER_SERVICEPACKMINOR | VER_SERVICEPACKMAJOR | VER_SUITENAME | VER_PRODUCT_TYPE;
  if (!info || typeMask == 0 || conditionMask == 0 || (typeMask & ~kKnown)) {
    SetLastError(ERROR_BAD_ARGUMENTS);
    return FALSE;
  }
  for (DWORD bit = 1; bit <= VER_PRODUCT_TYPE; bit <<= 1) {
    if (!(typeMask & bit)) continue;
    const BYTE c = ConditionFor(conditionMask, bit);
    const bool ok = bit == VER_SUITENAME ? (c == VER_AND || c == VER_OR) : ValidRelational(c);
    if (!ok) {
      SetLastError(ERROR_BAD_ARGUMENTS);
      return FALSE;
    }
  }

  const auto& m = plat::Machine();
  bool pass = true;

  // Major, minor and service pack versions form one number compared from the most
  // significant part down, under the condition of the most significant part tested.
  const DWORD order[4] = {VER_MAJORVERSION, VER_MINORVERSION, VER_SERVICEPACKMAJOR, VER_SERVICEPACKMINOR};
  const DWORD machineParts[4] = {m.majorVersion, m.minorVersion, m.servicePackMajor, m.servicePackMinor};
  const DWORD wantedParts[4] = {info->dwMajorVersion, info->dwMinorVersion, info->wServicePackMajor,
                                info->wServicePackMinor};
  BYTE groupCondition = 0;
  int decided = 0;  // -1 machine below, 1 machine above, 0 equal so far
  for (int i = 0; i < 4; ++i) {
    if (!(typeMask & order[i])) continue;
    if (!groupCondition) groupCondition = ConditionFor(conditionMask, order[i]);
    if (decided == 0 && machineParts[i] != wantedParts[i]) decided = machineParts[i] < wantedParts[i] ? -1 : 1;
  }
  if (groupCondition) {
    switch (groupCondition) {
      case VER_EQUAL: pass = decided == 0; break;
      case VER_GREATER: pass = decided > 0; break;
      case VER_GREATER_EQUAL: pass = decided >= 0; break;
      case VER_LESS: pass = decided < 0; break;
      case VER_LESS_EQUAL: pass = decided <= 0; break;
      default: pass = false; break;
    }
  }
  if (pass && (typeMask & VER_BUILDNUMBER))
    pass = Compare(m.buildNumber, info->dwBuildNumber, ConditionFor(conditionMask, VER_BUILDNUMBER));
  if (pass && (typeMask & VER_PLATFORMID))
    pass = Compare(m.platformId, info->dwPlatformId, ConditionFor(conditionMask, VER_PLATFORMID));
  if (pass && (typeMask & VER_PRODUCT_TYPE))
    pass = Compare(m.productType, info->wProductType, ConditionFor(conditionMask, VER_PRODUCT_TYPE));
  if (pass && (typeMask & VER_SUITENAME)) {
    const WORD suite = static_cast<WORD>(m.suiteMask | (m.terminalServer ? VER_SUITE_TERMINAL : 0));
    const WORD wanted = info->wSuiteMask;
    if (ConditionFor(conditionMask, VER_SUITENAME) == VER_AND)
      pass = (suite & wanted) == wanted;
    else
      pass = wanted == 0 || (suite & wanted) != 0;
  }
  if (!pass) {
    SetLastError(ERROR_OLD_WIN_VERSION);
    return FALSE;
  }
  return TRUE;
}

}  // extern "C"
