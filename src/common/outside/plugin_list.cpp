#include "context/plugin_list.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <strings.h>

#include "base/driver_context.h"
#include "fields/locale_text.h"
#include "base/paths_and_names.h"
#include "base/printer_data.h"
#include "win/kernel.h"
#include "win/profile.h"
#include "win/registry.h"

namespace {

constexpr DWORD kIdChars = 250;    // longest id, name or path kept
constexpr DWORD kTextBuffer = 252;
constexpr const char* kRegistryRoot = "Software\\VANTE\\KovaPlugins\\";

char* CopyText(const char* text) {
  const std::size_t n = std::strlen(text) + 1;
  auto* copy = static_cast<char*>(GlobalAlloc(GPTR, n));
  if (copy) std::memcpy(copy, text, n);
  return copy;
}

void FreeEntry(PluginEntry* entry) {
  if (!entry) return;
  if (entry->id) GlobalFree(entry->id);
  if (entry->name) GlobalFree(entry->name);
  if (entry->installPath) GlobalFree(entry->installPath);
  GlobalFree(entry);
}

// A growing list of ANSI strings; false when an allocation fails.
bool Append(StringList* list, const char* text) {
  auto* grown = static_cast<char**>(GlobalAlloc(GPTR, sizeof(char*) * (list->count + 1)));
  char* copy = CopyText(text);
  if (!grown || !copy) {
    if (grown) GlobalFree(grown);
    if (copy) GlobalFree(copy);
    return false;
  }
  if (list->strings) {
    std::memcpy(grown, list->strings, sizeof(char*) * list->count);
    GlobalFree(list->strings);
  }
  list->strings = grown;
  list->strings[list->count++] = copy;
  return true;
}

void FreeStrings(StringList* list) {
  for (DWORD i = 0; i < list->count; ++i)
    if (list->strings[i]) GlobalFree(list->strings[i]);
  if (list->strings) GlobalFree(list->strings);
  list->strings = nullptr;
  list->count = 0;
}

bool Contains(const StringList* list, const char* id) {
  for (DWORD i = 0; i < list->count; ++i)
    if (strcasecmp(list->strings[i], id) == 0) return true;
  return false;
}

bool RegistryKeyName(char* out, std::size_t size, const char* category, const char* id) {
  const int n = id ? std::snprintf(out, size, "%s%s\\%s", kRegistryRoot, category, id)
                   : std::snprintf(out, size, "%s%s", kRegistryRoot, category);
  return n > 0 && static_cast<std::size_t>(n) < size;
}

// The subkey names of the category's key, in enumeration order.
bool RegistryIds(const char* category, StringList* ids) {
  char keyName[600];
  if (!RegistryKeyName(keyName, sizeof keyName, category, nullptr)) return true;
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyName, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return true;
  bool ok = true;
  for (DWORD i = 0; ok; ++i) {
    WCHAR name[kIdChars + 1];
    DWORD chars = kIdChars + 1;
    const LONG r = RegEnumKeyExW(key, i, name, &chars, nullptr, nullptr, nullptr, nullptr);
    if (r == ERROR_NO_MORE_ITEMS) break;
    if (r != ERROR_SUCCESS || chars > kIdChars) continue;
    char ansi[2 * kIdChars + 2] = {};
    WideToAnsi(ansi, name, sizeof ansi);
    if (ansi[0] != 0) ok = Append(ids, ansi);
  }
  RegCloseKey(key);
  return ok;
}

// A registry text value whose stored size is below 252 bytes, else null.
bool RegistryText(HKEY key, const char* value, char** out) {
  *out = nullptr;
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExA(key, value, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || size >= kTextBuffer) {
    return true;
  }
  char text[kTextBuffer] = {};
  DWORD read = kTextBuffer - 1;
  if (RegQueryValueExA(key, value, nullptr, &type, reinterpret_cast<BYTE*>(text), &read) != ERROR_SUCCESS) return true;
  text[kTextBuffer - 1] = 0;
  *out = CopyText(text);
  return *out != nullptr;
}

DWORD RegistryDword(HKEY key, const char* value) {
  DWORD v = 0;
  DWORD type = 0;
  DWORD size = sizeof v;
  if (RegQueryValueExA(key, value, nullptr, &type, reinterpret_cast<BYTE*>(&v), &size) != ERROR_SUCCESS ||
      size != sizeof v) {
    return 0;
  }
  return v;
}

// A value of at most 250 characters read into a 252-character buffer; false for a longer
// (cut) one.
bool IniText(const char* section, const char* key, const char* file, char* out) {
  const DWORD n = GetPrivateProfileStringA(section, key, "", out, kTextBuffer, file);
  return n <= kIdChars;
}

// Entry of a registry id, or null when its key cannot be opened; *failed on allocation.
PluginEntry* RegistryEntry(const char* category, const char* id, bool* failed) {
  char keyName[600];
  if (!RegistryKeyName(keyName, sizeof keyName, category, id)) return nullptr;
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyName, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return nullptr;
  auto* entry = static_cast<PluginEntry*>(GlobalAlloc(GPTR, sizeof(PluginEntry)));
  bool ok = entry && (entry->id = CopyText(id)) != nullptr;
  ok = ok && RegistryText(key, "Name", &entry->name);
  ok = ok && RegistryText(key, "InstallPath", &entry->installPath);
  if (ok) {
    entry->forceRaw = RegistryDword(key, "ForceRAW");
    entry->perPrinter = RegistryDword(key, "PerPrinter");
  }
  RegCloseKey(key);
  if (!ok) {
    FreeEntry(entry);
    *failed = true;
    return nullptr;
  }
  return entry;
}

PluginEntry* IniEntry(const char* id, const char* directory, const char* file, bool* failed) {
  auto* entry = static_cast<PluginEntry*>(GlobalAlloc(GPTR, sizeof(PluginEntry)));
  bool ok = entry && (entry->id = CopyText(id)) != nullptr;
  char text[kTextBuffer];
  if (ok && IniText(id, "Name", file, text)) ok = (entry->name = CopyText(text)) != nullptr;
  if (ok && IniText(id, "InstallPath", file, text)) {
    char path[MAX_PATH + kTextBuffer + 2];
    std::snprintf(path, sizeof path, "%s\\%s", directory, text);
    ok = (entry->installPath = CopyText(path)) != nullptr;
  }
  if (!ok) {
    FreeEntry(entry);
    *failed = true;
    return nullptr;
  }
  entry->forceRaw = GetPrivateProfileIntA(id, "ForceRAW", 0, file);
  entry->perPrinter = GetPrivateProfileIntA(id, "PerPrinter", 0, file);
  return entry;
}

}  // namespace

PluginList* BuildPluginList(const char* category, const char* directory) {
  if (!category || !directory) return nullptr;
  StringList registryIds{};
  StringList iniIds{};
  bool failed = !RegistryIds(category, &registryIds);

  char file[MAX_PATH + 16];
  const bool fileOk = std::snprintf(file, sizeof file, "%s\\KOVAPLUG.ini", directory) < static_cast<int>(sizeof file);
  if (!failed && fileOk) {
    UINT count = GetPrivateProfileIntA(category, "Count", 0, file);
    if (count > kMaxPluginIds) count = kMaxPluginIds;
    for (UINT i = 0; i < count && !failed; ++i) {
      char key[32];
      std::snprintf(key, sizeof key, "PluginID%u", i);
      char id[kTextBuffer];
      if (!IniText(category, key, file, id) || id[0] == 0 || Contains(&registryIds, id)) continue;
      failed = !Append(&iniIds, id);
    }
  }

  PluginList* list = nullptr;
  const DWORD total = registryIds.count + iniIds.count;
  if (!failed && total > 0) {
    list = static_cast<PluginList*>(GlobalAlloc(GPTR, sizeof(PluginList)));
    if (list) list->entries = static_cast<PluginEntry**>(GlobalAlloc(GPTR, sizeof(PluginEntry*) * total));
    failed = !list || !list->entries;
    for (DWORD i = 0; i < registryIds.count && !failed; ++i) {
      if (PluginEntry* entry = RegistryEntry(category, registryIds.strings[i], &failed)) {
        list->entries[list->count++] = entry;
      }
    }
    for (DWORD i = 0; i < iniIds.count && !failed; ++i) {
      if (PluginEntry* entry = IniEntry(iniIds.strings[i], directory, file, &failed)) {
        list->entries[list->count++] = entry;
      }
    }
  }
  FreeStrings(&registryIds);
  FreeStrings(&iniIds);
  if (failed) {
    FreePluginList(list);
    return nullptr;
  }
  return list;
}

int FreePluginList(PluginList* list) {
  if (!list) return 1;
  if (list->entries) {
    for (DWORD i = 0; i < list->count; ++i) FreeEntry(list->entries[i]);
    GlobalFree(list->entries);
  }
  GlobalFree(list);
  return 1;
}

int FreeStringList(StringList* list) {
  if (!list) return 1;
  FreeStrings(list);
  GlobalFree(list);
  return 1;
}

int IsVavavUiPluginAssigned(DriverContext* context) {
  if (!context) return 0;
  DWORD count = 0;
  if (!GetPrinterDataValue(context->hPrinter, &count, sizeof count, u"PluginIDCount", 0)) return 0;
  if (count > kMaxPluginIds) count = kMaxPluginIds;
  WCHAR expected[64] = {};
  AnsiToWide(expected, kToolbarPluginId, 64);
  auto* value = static_cast<WCHAR*>(GlobalAlloc(GPTR, 131 * sizeof(WCHAR)));
  if (!value) return 0;
  int found = 0;
  for (DWORD i = 0; i < count && !found; ++i) {
    WCHAR name[32];
    char ansi[32];
    std::snprintf(ansi, sizeof ansi, "PluginID%u", static_cast<unsigned>(i));
    AnsiToWide(name, ansi, 32);
    std::memset(value, 0, 131 * sizeof(WCHAR));
    if (!GetPrinterDataValue(context->hPrinter, value, 130 * sizeof(WCHAR), name, 0)) continue;
    value[130] = 0;  // a value filling its 260 bytes still ends inside them
    found = std::memcmp(value, expected, (std::char_traits<char16_t>::length(expected) + 1) * sizeof(WCHAR)) == 0;
  }
  GlobalFree(value);
  return found;
}

int GetVavavUiPluginPath(DriverContext* context, char* destination) {
  if (!context) return 0;
  const WCHAR* folder = GetDriverDirectory(context);
  if (!folder) return 0;
  char directory[MAX_PATH + 1] = {};
  WideToAnsi(directory, folder, sizeof directory);
  directory[MAX_PATH] = 0;
  const std::size_t n = std::strlen(directory);
  if (n > 0) directory[n - 1] = 0;  // the trailing backslash
  PluginList* list = BuildPluginList("VavavUI", directory);
  int found = 0;
  for (DWORD i = 0; list && i < list->count; ++i) {
    const PluginEntry* entry = list->entries[i];
    if (strcasecmp(entry->id, kToolbarPluginId) != 0) continue;
    if (entry->installPath) {
      found = 1;
      if (destination) {
        std::strncpy(destination, entry->installPath, 259);
        destination[259] = 0;
      }
    }
    break;
  }
  FreePluginList(list);
  return found;
}

BOOL SetRCapability(HANDLE printer, DWORD value, DriverContext*) {
  return SetPrinterDataTyped(printer, &value, sizeof value, REG_DWORD, u"RCapability", 0);
}
