#include "pending_render.h"

#include <cstddef>
#include <cstdio>
#include <cstring>

#include "context/driver_context.h"
#include "context/field_access.h"
#include "context/product_record.h"
#include "render_device.h"
#include "render_fields.h"
#include "win/kernel.h"
#include "win/profile.h"

namespace rendara {

bool ReadCachedBidiFlag(DriverContext*, DWORD* flag) {
  if (flag) *flag = 0;
  return false;
}

// ---- plug-in list ------------------------------------------------------------------------

namespace {

constexpr DWORD kPluginText = 252;

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

// A value of at most 250 characters read into a 252-character buffer; false for a longer
// (cut) one.
bool ReadPluginText(const char* section, const char* key, const char* file, char* out) {
  const DWORD n = GetPrivateProfileStringA(section, key, "", out, kPluginText, file);
  return n <= 250;
}

}  // namespace

PluginList* CreatePluginList(const char* category, const char* directory) {
  if (!category || !directory) return nullptr;
  char file[MAX_PATH + 16];
  if (std::snprintf(file, sizeof file, "%s\\KOVAPLUG.ini", directory) >= static_cast<int>(sizeof file)) return nullptr;
  const UINT count = GetPrivateProfileIntA(category, "Count", 0, file);
  if (count == 0 || count > 1024) return nullptr;

  auto* list = static_cast<PluginList*>(GlobalAlloc(GPTR, sizeof(PluginList)));
  if (!list) return nullptr;
  list->entries = static_cast<PluginEntry**>(GlobalAlloc(GPTR, sizeof(PluginEntry*) * count));
  if (!list->entries) {
    GlobalFree(list);
    return nullptr;
  }
  bool anyId = false;
  for (UINT i = 0; i < count; ++i) {
    char key[32];
    std::snprintf(key, sizeof key, "PluginID%u", i);
    char id[kPluginText];
    if (!ReadPluginText(category, key, file, id) || id[0] == 0) continue;
    anyId = true;
    auto* entry = static_cast<PluginEntry*>(GlobalAlloc(GPTR, sizeof(PluginEntry)));
    if (!entry || !(entry->id = CopyText(id))) {
      FreeEntry(entry);
      FreePluginList(list);
      return nullptr;
    }
    char text[kPluginText];
    if (ReadPluginText(id, "Name", file, text) && !(entry->name = CopyText(text))) {
      FreeEntry(entry);
      FreePluginList(list);
      return nullptr;
    }
    if (ReadPluginText(id, "InstallPath", file, text)) {
      char path[MAX_PATH + kPluginText + 2];
      std::snprintf(path, sizeof path, "%s\\%s", directory, text);
      if (!(entry->installPath = CopyText(path))) {
        FreeEntry(entry);
        FreePluginList(list);
        return nullptr;
      }
    }
    entry->forceRaw = GetPrivateProfileIntA(id, "ForceRAW", 0, file);
    entry->perPrinter = GetPrivateProfileIntA(id, "PerPrinter", 0, file);
    list->entries[list->count++] = entry;
  }
  if (!anyId) {
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

// ---- fonts, glyphs -----------------

DWORD LoadDeviceFonts(RenderDevice*) { return 0; }
void FreeDeviceFonts(RenderDevice*) {}

void ClearGlyphCache(RenderDevice* device) {
  if (device) ++device->glyphGeneration;
}

}  // namespace rendara
