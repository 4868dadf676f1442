// Colour profiles and transforms: OpenColorProfileW, CloseColorProfile,
// CreateColorTransformW, DeleteColorTransform.
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "gdi_internal.h"
#include "win/errors.h"
#include "win/files.h"
#include "win/gdi.h"
#include "win/security.h"

namespace {

constexpr std::size_t kIccHeader = 128;
// A profile larger than this is refused; real ones are a few kilobytes to a few megabytes.
constexpr DWORD kMaxProfile = 64u << 20;

struct Profile {
  std::vector<BYTE> data;
};
struct Transform {
  HPROFILE dest = nullptr;
  HPROFILE target = nullptr;
};

struct Table {
  std::mutex lock;
  std::uintptr_t next = 0x9000;
  std::map<std::uintptr_t, Profile> profiles;
  std::map<std::uintptr_t, Transform> transforms;
};

Table& T() {
  static Table* t = new Table;
  return *t;
}

bool IsProfile(const std::vector<BYTE>& d) {
  if (d.size() < kIccHeader) return false;
  if (d[36] != 'a' || d[37] != 'c' || d[38] != 's' || d[39] != 'p') return false;
  const std::uint64_t declared = (static_cast<std::uint64_t>(d[0]) << 24) | (d[1] << 16) | (d[2] << 8) | d[3];
  return declared >= kIccHeader && declared <= d.size();
}

bool ReadWholeFile(LPCWSTR path, std::vector<BYTE>& out) {
  HANDLE f = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  bool ok = true;
  BYTE buf[65536];
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(f, buf, sizeof buf, &got, nullptr)) {
      ok = false;
      break;
    }
    if (got == 0) break;
    out.insert(out.end(), buf, buf + got);
    if (out.size() > kMaxProfile) {
      SetLastError(ERROR_INVALID_PARAMETER);
      ok = false;
      break;
    }
  }
  const DWORD err = GetLastError();
  CloseHandle(f);
  if (!ok) SetLastError(err);
  return ok;
}

}  // namespace

using plat::gdi::NoThrow;

extern "C" {

HPROFILE WINAPI OpenColorProfileW(PPROFILE pProfile, DWORD dwDesiredAccess, DWORD /*dwShareMode*/,
                                  DWORD dwCreationMode) {
  return NoThrow<HPROFILE>(nullptr, [&]() -> HPROFILE {
    if (!pProfile || !pProfile->pProfileData ||
        (dwDesiredAccess != PROFILE_READ && dwDesiredAccess != PROFILE_READWRITE) ||
        dwCreationMode != OPEN_EXISTING) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
    Profile p;
    if (pProfile->dwType == PROFILE_MEMBUFFER) {
      if (pProfile->cbDataSize == 0 || pProfile->cbDataSize > kMaxProfile) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
      }
      const auto* b = static_cast<const BYTE*>(pProfile->pProfileData);
      p.data.assign(b, b + pProfile->cbDataSize);
    } else if (pProfile->dwType == PROFILE_FILENAME) {
      if (!ReadWholeFile(static_cast<LPCWSTR>(pProfile->pProfileData), p.data)) return nullptr;
    } else {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
    if (!IsProfile(p.data)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
    std::lock_guard<std::mutex> g(T().lock);
    const std::uintptr_t id = (T().next += 0x10);
    T().profiles[id] = std::move(p);
    return reinterpret_cast<HPROFILE>(id);
  });
}

BOOL WINAPI CloseColorProfile(HPROFILE hProfile) {
  std::lock_guard<std::mutex> g(T().lock);
  if (T().profiles.erase(reinterpret_cast<std::uintptr_t>(hProfile)) == 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}

HTRANSFORM WINAPI CreateColorTransformW(LPLOGCOLORSPACEW pLogColorSpace, HPROFILE hDestProfile,
                                       HPROFILE hTargetProfile, DWORD /*dwFlags*/) {
  return NoThrow<HTRANSFORM>(nullptr, [&]() -> HTRANSFORM {
    if (!pLogColorSpace || pLogColorSpace->lcsSignature != LCS_SIGNATURE ||
        pLogColorSpace->lcsSize < sizeof(LOGCOLORSPACEW)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
    std::lock_guard<std::mutex> g(T().lock);
    auto known = [](HPROFILE h) { return T().profiles.count(reinterpret_cast<std::uintptr_t>(h)) != 0; };
    if (!known(hDestProfile) || (hTargetProfile && !known(hTargetProfile))) {
      SetLastError(ERROR_INVALID_HANDLE);
      return nullptr;
    }
    const std::uintptr_t id = (T().next += 0x10);
    T().transforms[id] = Transform{hDestProfile, hTargetProfile};
    return reinterpret_cast<HTRANSFORM>(id);
  });
}

BOOL WINAPI DeleteColorTransform(HTRANSFORM hColorTransform) {
  std::lock_guard<std::mutex> g(T().lock);
  if (T().transforms.erase(reinterpret_cast<std::uintptr_t>(hColorTransform)) == 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}

}  // extern "C"
