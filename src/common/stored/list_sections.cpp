// Loading and storing one list entry's settings section.
#include "stored/list_sections.h"

#include <cstdio>

#include "base/driver_context.h"
#include "fields/field_access.h"
#include "fields/languages.h"
#include "base/wide_text.h"
#include "field_ids.h"
#include "stored/settings_load_save.h"

namespace {

constexpr int kNameChars = 261;

int TransferListSection(DriverContext* context, const WCHAR* file, const WCHAR* section, DWORD flags, bool load) {
  if (!context || !context->work || !file || !file[0] || !section || !section[0]) return 0;
  WCHAR saved[kNameChars];
  CopyWide(saved, kNameChars, context->work->printerName);
  CopyWide(context->work->printerName, kNameChars, section);
  const int result = load ? LoadSettingsFile(context->hPrinter, file, flags, context)
                          : SaveSettingsFile(context->hPrinter, file, flags, context);
  CopyWide(context->work->printerName, kNameChars, saved);
  return result;
}

}  // namespace

int LoadListSection(DriverContext* context, const WCHAR* file, const WCHAR* section, DWORD flags) {
  return TransferListSection(context, file, section, flags, true);
}

int SaveListSection(DriverContext* context, const WCHAR* file, const WCHAR* section, DWORD flags) {
  return TransferListSection(context, file, section, flags, false);
}

const WCHAR* ListLanguageSection(DriverContext* context) {
  return GetLanguageCodeById(ReadFieldRawById(context, fid::kdmLanguageID));
}

void MakeListSection(WCHAR* section, const char* prefix, int n, DriverContext* context) {
  if (!section) return;
  char number[16];
  std::snprintf(number, sizeof number, "%d", n);
  int at = 0;
  for (const char* p = prefix; p && *p && at + 1 < kListSectionChars; ++p) section[at++] = static_cast<WCHAR>(*p);
  for (const char* p = number; *p && at + 1 < kListSectionChars; ++p) section[at++] = static_cast<WCHAR>(*p);
  for (const WCHAR* p = context ? ListLanguageSection(context) : u""; *p && at + 1 < kListSectionChars; ++p)
    section[at++] = *p;
  section[at] = 0;
}
