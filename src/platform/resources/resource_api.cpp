// The Win32 resource calls over the resource tables of loaded modules.
#include <cstring>

#include "plat/codepage.h"
#include "plat/rc_script.h"
#include "win/errors.h"
#include "win/resources.h"

namespace {

using plat::ResId;
using plat::ResourceEntry;
using plat::ResourceTable;

constexpr WORD kStringType = 6;
constexpr DWORD kErrorResourceEnumUserStop = 15106;  // ERROR_RESOURCE_ENUM_USER_STOP

// The module's table, or null with the error set.
std::shared_ptr<const ResourceTable> TableOf(HMODULE module) {
  bool known = false;
  auto table = plat::ModuleResources(module, &known);
  if (!known) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  if (!table || table->Empty()) {
    SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
    return nullptr;
  }
  return table;
}

const ResourceEntry* Find(const ResourceTable& table, const ResId& type, const ResId& name, bool anyLanguage,
                          LANGID lang) {
  bool typeSeen = false, nameSeen = false;
  for (const auto& e : table.Entries()) {
    if (!(e.type == type)) continue;
    typeSeen = true;
    if (e.name == name) nameSeen = true;
  }
  if (!typeSeen) {
    SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
    return nullptr;
  }
  if (!nameSeen) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  const ResourceEntry* e = anyLanguage ? table.FindDefault(type, name) : table.Find(type, name, lang);
  if (!e) SetLastError(ERROR_RESOURCE_LANG_NOT_FOUND);
  return e;
}

// The string uID of the module: its text inside the resource (not NUL-terminated) and
// length; false when the module is unknown or has no such string.
bool FindString(HINSTANCE module, UINT uID, const WCHAR*& text, std::size_t& length,
                std::shared_ptr<const ResourceTable>& keep) {
  text = nullptr;
  length = 0;
  keep = TableOf(module);
  if (!keep || uID > 0xFFFF) return false;
  const ResourceEntry* e = keep->FindDefault(ResId::Int(kStringType), ResId::Int(static_cast<WORD>((uID >> 4) + 1)));
  if (!e) return false;
  const std::vector<BYTE>& d = e->data;
  std::size_t off = 0;
  for (UINT i = 0; i <= (uID & 15); ++i) {
    if (off + 2 > d.size()) return false;
    const std::size_t len = static_cast<std::size_t>(d[off] | (d[off + 1] << 8));
    if (off + 2 + len * 2 > d.size()) return false;
    if (i == (uID & 15)) {
      text = reinterpret_cast<const WCHAR*>(d.data() + off + 2);
      length = len;
      return len > 0;
    }
    off += 2 + len * 2;
  }
  return false;
}

}  // namespace

extern "C" {

int WINAPI LoadStringW(HINSTANCE hInstance, UINT uID, LPWSTR lpBuffer, int nBufferMax) {
  if (!lpBuffer || nBufferMax < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const WCHAR* text = nullptr;
  std::size_t length = 0;
  std::shared_ptr<const ResourceTable> keep;
  const bool found = FindString(hInstance, uID, text, length, keep);
  if (nBufferMax == 0) {
    // The caller receives a pointer to the text itself.
    *reinterpret_cast<const WCHAR**>(lpBuffer) = found ? text : nullptr;
    return found ? static_cast<int>(length) : 0;
  }
  if (!found) {
    lpBuffer[0] = 0;
    return 0;
  }
  const std::size_t n = length < static_cast<std::size_t>(nBufferMax) ? length : static_cast<std::size_t>(nBufferMax) - 1;
  std::memcpy(lpBuffer, text, n * sizeof(WCHAR));
  lpBuffer[n] = 0;
  return static_cast<int>(n);
}

int WINAPI LoadStringA(HINSTANCE hInstance, UINT uID, LPSTR lpBuffer, int nBufferMax) {
  if (!lpBuffer || nBufferMax <= 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const WCHAR* text = nullptr;
  std::size_t length = 0;
  std::shared_ptr<const ResourceTable> keep;
  if (!FindString(hInstance, uID, text, length, keep)) {
    lpBuffer[0] = '\0';
    return 0;
  }
  const std::string bytes = plat::WideToAnsi(std::u16string_view(text, length), 0);
  std::size_t n = bytes.size();
  if (n >= static_cast<std::size_t>(nBufferMax)) {
    n = static_cast<std::size_t>(nBufferMax) - 1;
    // Leave out a lead byte whose trail byte does not fit.
    const UINT cp = plat::ResolveCodePage(0);
    std::size_t i = 0;
    while (i < n) {
      if (plat::IsLeadByte(cp, static_cast<BYTE>(bytes[i]))) {
        if (i + 1 >= n) break;
        i += 2;
      } else {
        ++i;
      }
    }
    n = i;
  }
  std::memcpy(lpBuffer, bytes.data(), n);
  lpBuffer[n] = '\0';
  return static_cast<int>(n);
}

HRSRC WINAPI FindResourceExW(HMODULE hModule, LPCWSTR lpType, LPCWSTR lpName, WORD wLanguage) {
  ResId type, name;
  if (!ResId::FromPointer(lpType, type) || !ResId::FromPointer(lpName, name)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto table = TableOf(hModule);
  if (!table) return nullptr;
  const ResourceEntry* e = Find(*table, type, name, wLanguage == 0, wLanguage);
  return e ? const_cast<ResourceEntry*>(e) : nullptr;
}

HRSRC WINAPI FindResourceW(HMODULE hModule, LPCWSTR lpName, LPCWSTR lpType) {
  return FindResourceExW(hModule, lpType, lpName, 0);
}

HGLOBAL WINAPI LoadResource(HMODULE hModule, HRSRC hResInfo) {
  auto table = TableOf(hModule);
  if (!table) return nullptr;
  if (!hResInfo || !table->Owns(hResInfo)) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  auto* e = static_cast<const ResourceEntry*>(hResInfo);
  static const BYTE kEmpty[2] = {0, 0};
  const void* p = e->data.empty() ? static_cast<const void*>(kEmpty) : e->data.data();
  return const_cast<void*>(p);
}

LPVOID WINAPI LockResource(HGLOBAL hResData) { return hResData; }

DWORD WINAPI SizeofResource(HMODULE hModule, HRSRC hResInfo) {
  auto table = TableOf(hModule);
  if (!table) return 0;
  if (!hResInfo || !table->Owns(hResInfo)) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return 0;
  }
  return static_cast<DWORD>(static_cast<const ResourceEntry*>(hResInfo)->data.size());
}

BOOL WINAPI FreeResource(HGLOBAL) { return FALSE; }

BOOL WINAPI EnumResourceNamesW(HMODULE hModule, LPCWSTR lpType, ENUMRESNAMEPROCW lpEnumFunc, LONG_PTR lParam) {
  ResId type;
  if (!lpEnumFunc || !ResId::FromPointer(lpType, type)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  auto table = TableOf(hModule);
  if (!table) return FALSE;
  // Each name once, in script order (a name in several languages is reported once).
  std::vector<const ResId*> names;
  for (const auto& e : table->Entries()) {
    if (!(e.type == type)) continue;
    bool seen = false;
    for (auto* n : names)
      if (*n == e.name) seen = true;
    if (!seen) names.push_back(&e.name);
  }
  if (names.empty()) {
    SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
    return FALSE;
  }
  for (const ResId* n : names) {
    LPWSTR name = n->isInt ? MAKEINTRESOURCEW(n->id) : const_cast<LPWSTR>(n->name.c_str());
    if (!lpEnumFunc(hModule, lpType, name, lParam)) {
      SetLastError(kErrorResourceEnumUserStop);
      return FALSE;
    }
  }
  return TRUE;
}

}  // extern "C"
