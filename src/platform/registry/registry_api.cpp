// The exported registry calls.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "plat/codepage.h"
#include "plat/wstr.h"
#include "registry_internal.h"
#include "win/env.h"
#include "win/errors.h"
#include "win/registry.h"

namespace {

using plat::registry::FindKey;
using plat::registry::Key;
using plat::registry::KeyRef;
using plat::registry::Value;

constexpr LONG kOk = static_cast<LONG>(ERROR_SUCCESS);
constexpr std::size_t kMaxKeyName = 255;
constexpr std::size_t kMaxValueName = 16383;
constexpr DWORD kMaxValueData = 64u * 1024 * 1024;
constexpr DWORD kErrorDatatypeMismatch = 1629;  // ERROR_DATATYPE_MISMATCH
constexpr DWORD kErrorUnsupportedType = 1630;   // ERROR_UNSUPPORTED_TYPE

LONG Err(DWORD e) { return static_cast<LONG>(e); }

// Resolves the handle and checks that it was opened with the access the call needs.
LONG ResolveFor(HKEY hKey, REGSAM need, KeyRef& ref) {
  if (!plat::registry::ResolveKey(hKey, ref)) return Err(ERROR_INVALID_HANDLE);
  if (!(ref.access & need)) return Err(ERROR_ACCESS_DENIED);
  return kOk;
}

template <class F>
LONG Guard(F f) {
  try {
    return f();
  } catch (...) {
    return Err(ERROR_OUTOFMEMORY);
  }
}

bool IsStringType(DWORD t) { return t == REG_SZ || t == REG_EXPAND_SZ || t == REG_MULTI_SZ; }

REGSAM Normalize(REGSAM sam) {
  REGSAM out = sam & KEY_ALL_ACCESS;
  if (sam & 0x02000000u) out |= KEY_ALL_ACCESS;  // MAXIMUM_ALLOWED
  if (sam & 0x80000000u) out |= KEY_READ;        // GENERIC_READ
  if (sam & 0x40000000u) out |= KEY_WRITE;       // GENERIC_WRITE
  if (sam & 0x20000000u) out |= KEY_EXECUTE;     // GENERIC_EXECUTE
  if (sam & 0x10000000u) out |= KEY_ALL_ACCESS;  // GENERIC_ALL
  return out;
}

// Splits a subkey path; a null or empty path has no components.
LONG SplitSubKey(const WCHAR* sub, std::vector<std::u16string>& out) {
  out.clear();
  std::u16string_view s = plat::View(sub);
  if (s.empty()) return kOk;
  if (s.front() == u'\\') return Err(ERROR_BAD_PATHNAME);
  if (s.back() == u'\\') s.remove_suffix(1);
  std::size_t start = 0;
  while (start <= s.size()) {
    std::size_t sep = s.find(u'\\', start);
    if (sep == std::u16string_view::npos) sep = s.size();
    std::u16string_view name = s.substr(start, sep - start);
    if (name.empty()) return Err(ERROR_BAD_PATHNAME);
    if (name.size() > kMaxKeyName) return Err(ERROR_INVALID_PARAMETER);
    out.emplace_back(name);
    start = sep + 1;
  }
  return kOk;
}

Key& EmptyKey() {
  thread_local Key empty;
  return empty;
}

// The key of a reference for reading: a predefined key not yet created reads as empty.
Key* Locate(Key& root, const KeyRef& ref, LONG& rc) {
  Key* k = FindKey(root, ref.path);
  if (k && ref.id && k->id != ref.id) k = nullptr;  // deleted, and a new key took its name
  if (k) return k;
  if (ref.rootAlias) {
    EmptyKey() = Key{};
    return &EmptyKey();
  }
  rc = Err(ERROR_KEY_DELETED);
  return nullptr;
}

// The key of a reference for writing: a predefined key's path is created when missing.
Key* LocateForWrite(Key& root, const KeyRef& ref, bool& changed, LONG& rc) {
  Key* k = FindKey(root, ref.path);
  if (k && ref.id && k->id != ref.id) k = nullptr;
  if (k) return k;
  if (!ref.rootAlias) {
    rc = Err(ERROR_KEY_DELETED);
    return nullptr;
  }
  ULONGLONG now = plat::registry::NowFileTime();
  k = &root;
  for (const auto& name : ref.path) {
    k = k->AddChild(name, now);
    if (k->id == 0) k->id = plat::registry::NewKeyId();
  }
  changed = true;
  return k;
}

// The size protocol of the query calls.
LONG CopyOut(DWORD type, const std::vector<BYTE>& data, LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData,
             std::size_t nulSize) {
  if (lpType) *lpType = type;
  DWORD size = static_cast<DWORD>(data.size());
  if (!lpData) {
    if (lpcbData) *lpcbData = size;
    return kOk;
  }
  DWORD room = *lpcbData;
  *lpcbData = size;
  if (room < size) return Err(ERROR_MORE_DATA);
  if (size) std::memcpy(lpData, data.data(), size);
  // A string stored without its terminator gets one in the caller's buffer when there is
  // room; the size answered stays the stored one.
  if (IsStringType(type) && nulSize) {
    bool terminated = size >= nulSize && std::all_of(data.end() - static_cast<std::ptrdiff_t>(nulSize), data.end(),
                                                     [](BYTE b) { return b == 0; });
    if (!terminated && room - size >= nulSize) std::memset(lpData + size, 0, nulSize);
  }
  return kOk;
}

LONG GetValue(HKEY hKey, const WCHAR* name, DWORD& type, std::vector<BYTE>& data) {
  KeyRef ref;
  if (const LONG denied = ResolveFor(hKey, KEY_QUERY_VALUE, ref); denied != kOk) return denied;
  std::u16string_view valueName = plat::View(name);
  return plat::registry::ReadHive(ref.hive, [&](Key& root) {
    LONG rc = kOk;
    Key* k = Locate(root, ref, rc);
    if (!k) return rc;
    Value* v = k->FindValue(valueName);
    if (!v) return Err(ERROR_FILE_NOT_FOUND);
    type = v->type;
    data = v->data;
    return kOk;
  });
}

std::u16string AnsiName(const char* s) { return s ? plat::AnsiToWide(s, plat::ResolveCodePage(0)) : std::u16string(); }

}  // namespace

KOVA_EXPORT LONG RegOpenKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD ulOptions, REGSAM samDesired, PHKEY phkResult) {
  (void)ulOptions;
  return Guard([&] {
    if (!phkResult) return Err(ERROR_INVALID_PARAMETER);
    *phkResult = nullptr;
    KeyRef base;
    if (!plat::registry::ResolveKey(hKey, base)) return Err(ERROR_INVALID_HANDLE);
    std::vector<std::u16string> comps;
    LONG rc = SplitSubKey(lpSubKey, comps);
    if (rc != kOk) return rc;
    KeyRef out;
    rc = plat::registry::ReadHive(base.hive, [&](Key& root) {
      LONG r = kOk;
      Key* k = Locate(root, base, r);
      if (!k) return r;
      out = base;
      out.access = Normalize(samDesired);
      for (const auto& name : comps) {
        k = k->Child(name);
        if (!k) return Err(ERROR_FILE_NOT_FOUND);
        out.path.push_back(k->name);
        out.rootAlias = false;
      }
      out.id = out.rootAlias ? 0 : k->id;
      return kOk;
    });
    if (rc == kOk) *phkResult = plat::registry::NewKeyHandle(out);
    return rc;
  });
}

KOVA_EXPORT LONG RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD ulOptions, REGSAM samDesired, PHKEY phkResult) {
  return Guard([&] {
    std::u16string sub = AnsiName(lpSubKey);
    return RegOpenKeyExW(hKey, lpSubKey ? sub.c_str() : nullptr, ulOptions, samDesired, phkResult);
  });
}

KOVA_EXPORT LONG RegOpenKeyW(HKEY hKey, LPCWSTR lpSubKey, PHKEY phkResult) {
  if (!phkResult) return Err(ERROR_INVALID_PARAMETER);
  if (!lpSubKey || !*lpSubKey) {
    KeyRef ref;
    if (!plat::registry::ResolveKey(hKey, ref)) return Err(ERROR_INVALID_HANDLE);
    *phkResult = hKey;
    return kOk;
  }
  return RegOpenKeyExW(hKey, lpSubKey, 0, KEY_ALL_ACCESS, phkResult);
}

KOVA_EXPORT LONG RegCreateKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD Reserved, LPWSTR lpClass, DWORD dwOptions,
                                 REGSAM samDesired, const SECURITY_ATTRIBUTES* lpSecurityAttributes, PHKEY phkResult,
                                 LPDWORD lpdwDisposition) {
  // Classes, security descriptors and volatile keys are not kept: every key persists.
  (void)Reserved;
  (void)lpClass;
  (void)dwOptions;
  (void)lpSecurityAttributes;
  return Guard([&] {
    if (!phkResult || !lpSubKey) return Err(ERROR_INVALID_PARAMETER);
    *phkResult = nullptr;
    KeyRef base;
    if (!plat::registry::ResolveKey(hKey, base)) return Err(ERROR_INVALID_HANDLE);
    std::vector<std::u16string> comps;
    LONG rc = SplitSubKey(lpSubKey, comps);
    if (rc != kOk) return rc;
    KeyRef out;
    bool created = false;
    rc = plat::registry::WriteHive(base.hive, [&](Key& root, bool& changed) {
      LONG r = kOk;
      Key* k = comps.empty() ? Locate(root, base, r) : LocateForWrite(root, base, changed, r);
      if (!k) return r;
      out = base;
      out.access = Normalize(samDesired);
      ULONGLONG now = plat::registry::NowFileTime();
      for (const auto& name : comps) {
        Key* child = k->Child(name);
        if (!child) {
          if (!(base.access & KEY_CREATE_SUB_KEY)) return Err(ERROR_ACCESS_DENIED);
          child = k->AddChild(name, now);
          child->id = plat::registry::NewKeyId();
          created = changed = true;
        }
        k = child;
        out.path.push_back(k->name);
        out.rootAlias = false;
      }
      out.id = out.rootAlias ? 0 : k->id;
      return kOk;
    });
    if (rc != kOk) return rc;
    *phkResult = plat::registry::NewKeyHandle(out);
    if (lpdwDisposition) *lpdwDisposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    return kOk;
  });
}

KOVA_EXPORT LONG RegCreateKeyW(HKEY hKey, LPCWSTR lpSubKey, PHKEY phkResult) {
  if (!phkResult) return Err(ERROR_INVALID_PARAMETER);
  if (!lpSubKey || !*lpSubKey) {
    KeyRef ref;
    if (!plat::registry::ResolveKey(hKey, ref)) return Err(ERROR_INVALID_HANDLE);
    *phkResult = hKey;
    return kOk;
  }
  return RegCreateKeyExW(hKey, lpSubKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, phkResult,
                         nullptr);
}

KOVA_EXPORT LONG RegCloseKey(HKEY hKey) {
  return Guard([&] {
    if (plat::registry::CloseKeyHandle(hKey)) return kOk;
    KeyRef ref;  // what is left that resolves is a predefined key: closing it does nothing
    return plat::registry::ResolveKey(hKey, ref) ? kOk : Err(ERROR_INVALID_HANDLE);
  });
}

KOVA_EXPORT LONG RegQueryValueExW(HKEY hKey, LPCWSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData,
                                  LPDWORD lpcbData) {
  return Guard([&] {
    if (lpReserved || (lpData && !lpcbData)) return Err(ERROR_INVALID_PARAMETER);
    DWORD type = 0;
    std::vector<BYTE> data;
    LONG rc = GetValue(hKey, lpValueName, type, data);
    if (rc != kOk) return rc;
    return CopyOut(type, data, lpType, lpData, lpcbData, 2);
  });
}

KOVA_EXPORT LONG RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData,
                                  LPDWORD lpcbData) {
  return Guard([&] {
    if (lpReserved || (lpData && !lpcbData)) return Err(ERROR_INVALID_PARAMETER);
    std::u16string name = AnsiName(lpValueName);
    DWORD type = 0;
    std::vector<BYTE> data;
    LONG rc = GetValue(hKey, name.c_str(), type, data);
    if (rc != kOk) return rc;
    if (IsStringType(type)) {
      std::u16string units(data.size() / 2, u'\0');
      for (std::size_t i = 0; i < units.size(); ++i)
        units[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
      std::string ansi = plat::WideToAnsi(units, plat::ResolveCodePage(0));
      data.assign(ansi.begin(), ansi.end());
    }
    return CopyOut(type, data, lpType, lpData, lpcbData, 1);
  });
}

KOVA_EXPORT LONG RegSetValueExW(HKEY hKey, LPCWSTR lpValueName, DWORD Reserved, DWORD dwType, const BYTE* lpData,
                                DWORD cbData) {
  (void)Reserved;
  return Guard([&] {
    if (!lpData && cbData) return Err(ERROR_NOACCESS);
    if (cbData > kMaxValueData) return Err(ERROR_INVALID_PARAMETER);
    std::u16string name(plat::View(lpValueName));
    if (name.size() > kMaxValueName) return Err(ERROR_INVALID_PARAMETER);
    KeyRef ref;
    if (const LONG denied = ResolveFor(hKey, KEY_SET_VALUE, ref); denied != kOk) return denied;
    std::vector<BYTE> data(lpData, lpData + cbData);
    return plat::registry::WriteHive(ref.hive, [&](Key& root, bool& changed) {
      LONG rc = kOk;
      Key* k = LocateForWrite(root, ref, changed, rc);
      if (!k) return rc;
      if (Value* v = k->FindValue(name)) {
        v->type = dwType;
        v->data = std::move(data);
      } else {
        k->values.push_back(Value{name, dwType, std::move(data)});
      }
      k->lastWrite = plat::registry::NowFileTime();
      changed = true;
      return kOk;
    });
  });
}

KOVA_EXPORT LONG RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD Reserved, DWORD dwType, const BYTE* lpData,
                                DWORD cbData) {
  return Guard([&] {
    if (!lpData && cbData) return Err(ERROR_NOACCESS);
    std::u16string name = AnsiName(lpValueName);
    if (!IsStringType(dwType) || !lpData) return RegSetValueExW(hKey, name.c_str(), Reserved, dwType, lpData, cbData);
    std::u16string wide =
        plat::AnsiToWide(std::string_view(reinterpret_cast<const char*>(lpData), cbData), plat::ResolveCodePage(0));
    std::vector<BYTE> bytes;
    for (char16_t c : wide) {
      bytes.push_back(static_cast<BYTE>(c & 0xFF));
      bytes.push_back(static_cast<BYTE>(c >> 8));
    }
    return RegSetValueExW(hKey, name.c_str(), Reserved, dwType, bytes.data(), static_cast<DWORD>(bytes.size()));
  });
}

KOVA_EXPORT LONG RegDeleteValueW(HKEY hKey, LPCWSTR lpValueName) {
  return Guard([&] {
    KeyRef ref;
    if (const LONG denied = ResolveFor(hKey, KEY_SET_VALUE, ref); denied != kOk) return denied;
    std::u16string_view name = plat::View(lpValueName);
    return plat::registry::WriteHive(ref.hive, [&](Key& root, bool& changed) {
      LONG rc = kOk;
      Key* k = Locate(root, ref, rc);
      if (!k) return rc;
      auto it = std::find_if(k->values.begin(), k->values.end(),
                             [&](const Value& v) { return plat::EqualNoCase(v.name, name); });
      if (it == k->values.end()) return Err(ERROR_FILE_NOT_FOUND);
      k->values.erase(it);
      k->lastWrite = plat::registry::NowFileTime();
      changed = true;
      return kOk;
    });
  });
}

KOVA_EXPORT LONG RegDeleteKeyW(HKEY hKey, LPCWSTR lpSubKey) {
  return Guard([&] {
    if (!lpSubKey) return Err(ERROR_INVALID_PARAMETER);
    KeyRef ref;
    if (!plat::registry::ResolveKey(hKey, ref)) return Err(ERROR_INVALID_HANDLE);
    std::vector<std::u16string> comps;
    LONG rc = SplitSubKey(lpSubKey, comps);
    if (rc != kOk) return rc;
    if (comps.empty() && ref.rootAlias) return Err(ERROR_ACCESS_DENIED);  // a predefined key stays
    std::vector<std::u16string> path = ref.path;
    path.insert(path.end(), comps.begin(), comps.end());
    if (path.empty()) return Err(ERROR_ACCESS_DENIED);
    std::u16string last = path.back();
    path.pop_back();
    return plat::registry::WriteHive(ref.hive, [&](Key& root, bool& changed) {
      Key* parent = FindKey(root, path);
      Key* k = parent ? parent->Child(last) : nullptr;
      if (k && comps.empty() && ref.id && k->id != ref.id) k = nullptr;
      if (!k) return Err(comps.empty() ? ERROR_KEY_DELETED : ERROR_FILE_NOT_FOUND);
      if (!k->subkeys.empty()) return Err(ERROR_ACCESS_DENIED);
      parent->subkeys.erase(plat::UpperCase(last));
      parent->lastWrite = plat::registry::NowFileTime();
      changed = true;
      return kOk;
    });
  });
}

KOVA_EXPORT LONG RegEnumKeyExW(HKEY hKey, DWORD dwIndex, LPWSTR lpName, LPDWORD lpcchName, LPDWORD lpReserved,
                               LPWSTR lpClass, LPDWORD lpcchClass, PFILETIME lpftLastWriteTime) {
  return Guard([&] {
    if (!lpName || !lpcchName || lpReserved) return Err(ERROR_INVALID_PARAMETER);
    KeyRef ref;
    if (const LONG denied = ResolveFor(hKey, KEY_ENUMERATE_SUB_KEYS, ref); denied != kOk) return denied;
    return plat::registry::ReadHive(ref.hive, [&](Key& root) {
      LONG rc = kOk;
      Key* k = Locate(root, ref, rc);
      if (!k) return rc;
      if (dwIndex >= k->subkeys.size()) return Err(ERROR_NO_MORE_ITEMS);
      auto it = k->subkeys.begin();
      std::advance(it, dwIndex);
      const Key& child = *it->second;
      if (child.name.size() + 1 > *lpcchName) return Err(ERROR_MORE_DATA);
      plat::CopyWithNul(child.name, lpName);
      *lpcchName = static_cast<DWORD>(child.name.size());
      if (lpClass && lpcchClass && *lpcchClass) lpClass[0] = 0;
      if (lpcchClass) *lpcchClass = 0;
      if (lpftLastWriteTime) {
        lpftLastWriteTime->dwLowDateTime = static_cast<DWORD>(child.lastWrite);
        lpftLastWriteTime->dwHighDateTime = static_cast<DWORD>(child.lastWrite >> 32);
      }
      return kOk;
    });
  });
}

KOVA_EXPORT LONG RegEnumValueW(HKEY hKey, DWORD dwIndex, LPWSTR lpValueName, LPDWORD lpcchValueName,
                               LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData) {
  return Guard([&] {
    if (!lpValueName || !lpcchValueName || lpReserved || (lpData && !lpcbData)) return Err(ERROR_INVALID_PARAMETER);
    KeyRef ref;
    if (const LONG denied = ResolveFor(hKey, KEY_QUERY_VALUE, ref); denied != kOk) return denied;
    return plat::registry::ReadHive(ref.hive, [&](Key& root) {
      LONG rc = kOk;
      Key* k = Locate(root, ref, rc);
      if (!k) return rc;
      if (dwIndex >= k->values.size()) return Err(ERROR_NO_MORE_ITEMS);
      const Value& v = k->values[dwIndex];
      if (v.name.size() + 1 > *lpcchValueName) return Err(ERROR_MORE_DATA);
      plat::CopyWithNul(v.name, lpValueName);
      *lpcchValueName = static_cast<DWORD>(v.name.size());
      return CopyOut(v.type, v.data, lpType, lpData, lpcbData, 2);
    });
  });
}

KOVA_EXPORT LONG RegQueryInfoKeyW(HKEY hKey, LPWSTR lpClass, LPDWORD lpcchClass, LPDWORD lpReserved,
                                  LPDWORD lpcSubKeys, LPDWORD lpcbMaxSubKeyLen, LPDWORD lpcbMaxClassLen,
                                  LPDWORD lpcValues, LPDWORD lpcbMaxValueNameLen, LPDWORD lpcbMaxValueLen,
                                  LPDWORD lpcbSecurityDescriptor, PFILETIME lpftLastWriteTime) {
  return Guard([&] {
    if (lpReserved) return Err(ERROR_INVALID_PARAMETER);
    KeyRef ref;
    if (const LONG denied = ResolveFor(hKey, KEY_QUERY_VALUE, ref); denied != kOk) return denied;
    return plat::registry::ReadHive(ref.hive, [&](Key& root) {
      LONG rc = kOk;
      Key* k = Locate(root, ref, rc);
      if (!k) return rc;
      std::size_t maxSub = 0, maxName = 0, maxData = 0;
      for (const auto& [upper, child] : k->subkeys) maxSub = std::max(maxSub, child->name.size());
      for (const auto& v : k->values) {
        maxName = std::max(maxName, v.name.size());
        maxData = std::max(maxData, v.data.size());
      }
      if (lpClass && lpcchClass && *lpcchClass) lpClass[0] = 0;
      if (lpcchClass) *lpcchClass = 0;
      if (lpcSubKeys) *lpcSubKeys = static_cast<DWORD>(k->subkeys.size());
      if (lpcbMaxSubKeyLen) *lpcbMaxSubKeyLen = static_cast<DWORD>(maxSub);
      if (lpcbMaxClassLen) *lpcbMaxClassLen = 0;
      if (lpcValues) *lpcValues = static_cast<DWORD>(k->values.size());
      if (lpcbMaxValueNameLen) *lpcbMaxValueNameLen = static_cast<DWORD>(maxName);
      if (lpcbMaxValueLen) *lpcbMaxValueLen = static_cast<DWORD>(maxData);
      if (lpcbSecurityDescriptor) *lpcbSecurityDescriptor = 0;
      if (lpftLastWriteTime) {
        lpftLastWriteTime->dwLowDateTime = static_cast<DWORD>(k->lastWrite);
        lpftLastWriteTime->dwHighDateTime = static_cast<DWORD>(k->lastWrite >> 32);
      }
      return kOk;
    });
  });
}

namespace {

DWORD TypeFlag(DWORD type) {
  switch (type) {
    case REG_NONE: return RRF_RT_REG_NONE;
    case REG_SZ: return RRF_RT_REG_SZ;
    case REG_EXPAND_SZ: return RRF_RT_REG_EXPAND_SZ;
    case REG_BINARY: return RRF_RT_REG_BINARY;
    case REG_DWORD: return RRF_RT_REG_DWORD;
    case REG_MULTI_SZ: return RRF_RT_REG_MULTI_SZ;
    case REG_QWORD: return RRF_RT_REG_QWORD;
    default: return 0;
  }
}

std::u16string Units(const std::vector<BYTE>& data) {
  std::u16string u(data.size() / 2, u'\0');
  for (std::size_t i = 0; i < u.size(); ++i) u[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
  return u;
}

std::vector<BYTE> UnitBytes(std::u16string_view u) {
  std::vector<BYTE> out;
  for (char16_t c : u) {
    out.push_back(static_cast<BYTE>(c & 0xFF));
    out.push_back(static_cast<BYTE>(c >> 8));
  }
  return out;
}

LONG GetValueFiltered(HKEY hkey, LPCWSTR lpSubKey, LPCWSTR lpValue, DWORD dwFlags, LPDWORD pdwType, PVOID pvData,
                      LPDWORD pcbData) {
  DWORD accepted = dwFlags & RRF_RT_ANY;
  if ((pvData && !pcbData) || accepted == 0) return Err(ERROR_INVALID_PARAMETER);
  if (accepted == RRF_RT_REG_EXPAND_SZ && !(dwFlags & RRF_NOEXPAND)) return Err(ERROR_INVALID_PARAMETER);
  HKEY key = hkey;
  bool opened = false;
  if (lpSubKey && *lpSubKey) {
    LONG rc = RegOpenKeyExW(hkey, lpSubKey, 0, KEY_QUERY_VALUE, &key);
    if (rc != kOk) return rc;
    opened = true;
  }
  DWORD type = 0;
  std::vector<BYTE> data;
  LONG rc = GetValue(key, lpValue, type, data);
  if (opened) RegCloseKey(key);
  if (rc != kOk) return rc;

  if (type == REG_EXPAND_SZ && !(dwFlags & RRF_NOEXPAND)) {
    std::u16string text = Units(data);
    text.resize(std::min(text.size(), text.find(u'\0')));
    DWORD need = ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
    std::u16string expanded(need ? need : 1, u'\0');
    if (need) ExpandEnvironmentStringsW(text.c_str(), expanded.data(), need);
    expanded.resize(std::min(expanded.size(), expanded.find(u'\0')));
    data = UnitBytes(expanded);
    type = REG_SZ;
  }
  DWORD flag = TypeFlag(type);
  if (!(accepted & flag)) return Err(kErrorUnsupportedType);
  if (type == REG_BINARY && accepted == RRF_RT_DWORD && data.size() != 4) return Err(kErrorDatatypeMismatch);
  if (type == REG_BINARY && accepted == RRF_RT_QWORD && data.size() != 8) return Err(kErrorDatatypeMismatch);
  if (IsStringType(type)) {
    // Terminated as the caller expects: one NUL, two for a list.
    if (data.size() % 2) data.pop_back();
    std::u16string u = Units(data);
    if (u.empty() || u.back() != 0) u.push_back(0);
    // A list ends in two NULs; a list of nothing is a single one.
    if (type == REG_MULTI_SZ && u.size() >= 2 && u[u.size() - 2] != 0) u.push_back(0);
    data = UnitBytes(u);
  }
  return CopyOut(type, data, pdwType, static_cast<LPBYTE>(pvData), pcbData, 0);
}

}  // namespace

KOVA_EXPORT LONG RegGetValueW(HKEY hkey, LPCWSTR lpSubKey, LPCWSTR lpValue, DWORD dwFlags, LPDWORD pdwType,
                              PVOID pvData, LPDWORD pcbData) {
  return Guard([&] {
    DWORD room = pcbData ? *pcbData : 0;
    LONG rc = GetValueFiltered(hkey, lpSubKey, lpValue, dwFlags, pdwType, pvData, pcbData);
    if (rc != kOk && (dwFlags & RRF_ZEROONFAILURE) && pvData && room) std::memset(pvData, 0, room);
    return rc;
  });
}
