#include "stored/module_services.h"

#include <cstdio>

#include "base/dictionary_pages.h"
#include "base/driver_context.h"
#include "fields/field_access.h"
#include "base/ini_files.h"
#include "base/memory.h"
#include "base/paths_and_names.h"
#include "field_ids.h"
#include "context/chapter_list.h"
#include "stored/preset_list.h"

ChapterEntry* GetChapterEntry(DriverContext* context, int n) {
  if (!context || !context->work || n < 0) return nullptr;
  if (n >= static_cast<int>(ReadFieldRawById(context, fid::wdmChapterNum))) return nullptr;
  int capacity = 0;
  ChapterEntry* list = ChapterArray(context, &capacity);
  // The array holds wdmChapterMax + 1 entries (within the chapter lists' bound); an index
  // beyond it has no entry.
  if (!list || n >= capacity) return nullptr;
  return list + n;
}

void FreeChapterEntries(DriverContext* context) {
  if (!context || !context->work) return;
  FreeMem(context->work->chapterEntries);
  context->work->chapterEntries = nullptr;
  context->work->chapterCapacity = 0;
}

ControlRecord* FindProfilePathControl(DriverContext* context) {
  PageRecord* page = FindPageById(context, 4011);
  return page ? FindControlById(context, page, 2825) : nullptr;
}

BOOL AppendPreset(DriverContext* context, const WCHAR* filePath, const WCHAR* name, const WCHAR* comment) {
  if (!context || !context->work) return FALSE;
  const WCHAR* ini = GetUserIniPath(context);
  const WCHAR* section = GetPrinterSectionName(context);
  if (!ini || !ini[0] || !section) return FALSE;
  const int n = ReadIniInt(section, u"Count", 0, ini);
  char key[32];
  WCHAR wideKey[40];
  auto makeKey = [&](const char* suffix) {
    std::snprintf(key, sizeof key, "PresetList%d%s", n, suffix);
    int i = 0;
    for (; key[i]; ++i) wideKey[i] = static_cast<WCHAR>(key[i]);
    wideKey[i] = 0;
    return wideKey;
  };
  WriteIniString(section, makeKey(""), filePath ? filePath : u"", ini);
  WriteIniString(section, makeKey("Name"), name ? name : u"", ini);
  WriteIniString(section, makeKey("Comment"), comment ? comment : u"", ini);
  WCHAR count[16];
  std::snprintf(key, sizeof key, "%d", n + 1);
  int i = 0;
  for (; key[i]; ++i) count[i] = static_cast<WCHAR>(key[i]);
  count[i] = 0;
  const BOOL result = WriteIniString(section, u"Count", count, ini);
  UpdatePresetChangeCache(context, nullptr, 3);  // frees the preset change cache
  return result;
}

BOOL ResetPresetCount(DriverContext* context) {
  if (!context || !context->work) return FALSE;
  const WCHAR* ini = GetUserIniPath(context);
  const WCHAR* section = GetPrinterSectionName(context);
  if (!ini || !ini[0] || !section) return FALSE;
  const BOOL result = WriteIniString(section, u"Count", u"0", ini);
  UpdatePresetChangeCache(context, nullptr, 3);  // frees the preset change cache
  return result;
}
