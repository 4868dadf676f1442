#include "model_database.h"

#include <cstdio>

#include "base/driver_context.h"
#include "base/ini_files.h"
#include "base/paths_and_names.h"
#include "fields/product_record.h"
#include "stored/settings_package.h"
#include "win/kernel.h"

namespace {

constexpr DWORD kEntryChars = 261;
constexpr WCHAR kDatabaseIni[] = u"modbase.ini";
constexpr int kMostModelLists = 1000;

struct DatabaseFiles {
  WCHAR database[MAX_PATH + 1] = {};
  const WCHAR* second = u"";
  const WCHAR* install = u"";
  const WCHAR* model = u"";
  explicit DatabaseFiles(DriverContext* context) {
    MakeWindowsPath(database, MAX_PATH, kDatabaseIni);
    second = GetSecondIniPath(context);
    install = GetInstallIniPath(context);
    model = GetModelName(context);
  }
  bool ok() const { return database[0] && second && second[0] && install && install[0] && model && model[0]; }
};

const WCHAR* SkipBlanks(const WCHAR* text) {
  while (*text == u' ' || *text == u'\t') ++text;
  return text;
}

bool SameNoCase(const WCHAR* a, const WCHAR* b) { return lstrcmpiW(a, b) == 0; }

// The model's value in "Models<index>" of the second model INI, blanks skipped; false when
// it has none.
bool ModelListEntry(const DatabaseFiles& files, int index, WCHAR* entry) {
  char name[24];
  std::snprintf(name, sizeof name, "Models%d", index);
  WCHAR section[24];
  int i = 0;
  for (; name[i]; ++i) section[i] = static_cast<WCHAR>(name[i]);
  section[i] = 0;
  WCHAR raw[kEntryChars] = {};
  ReadIniString(section, files.model, u"", raw, kEntryChars, files.second);
  const WCHAR* value = SkipBlanks(raw);
  int n = 0;
  for (; value[n] && n < 32; ++n) entry[n] = value[n];
  entry[n] = 0;
  return n > 0;
}

const WCHAR* ResourceDllName() {
  const WCHAR* name = GetProductString(GetProductRecord()->companionDataDllName);
  return name ? name : u"";
}

void WriteWhenNotEmpty(const WCHAR* section, const WCHAR* key, const WCHAR* value, const WCHAR* ini) {
  if (value && value[0]) WriteIniString(section, key, value, ini);
}

// The three values of a database section against what the package says they should be.
bool EntryDiffers(const DatabaseFiles& files, const WCHAR* section, const WCHAR* resourceDll) {
  WCHAR have[kEntryChars], want[kEntryChars];
  ReadIniString(section, u"LoadDll", u"", have, kEntryChars, files.database);
  ReadIniString(section, u"LoadDll32", u"", want, kEntryChars, files.install);
  if (!SameNoCase(have, want)) return true;
  ReadIniString(section, u"ResDll", u"", have, kEntryChars, files.database);
  if (!SameNoCase(have, resourceDll)) return true;
  ReadIniString(section, u"Version", u"", have, kEntryChars, files.database);
  ReadIniString(section, u"Version32", u"", want, kEntryChars, files.install);
  return !SameNoCase(have, want);
}

void WriteEntry(const DatabaseFiles& files, const WCHAR* section, const WCHAR* resourceDll) {
  WCHAR value[kEntryChars];
  ReadIniString(section, u"LoadDll32", u"", value, kEntryChars, files.install);
  WriteWhenNotEmpty(section, u"LoadDll", value, files.database);
  WriteWhenNotEmpty(section, u"ResDll", resourceDll, files.database);
  ReadIniString(section, u"Version32", u"", value, kEntryChars, files.install);
  WriteWhenNotEmpty(section, u"Version", value, files.database);
}

// Calls visit(database section, resource DLL) for this model's value in each "Models<i>"
// section of the second model INI, in order, until visit answers false. False when the
// files are missing or the first section has no value for the model.
template <typename Visit>
bool VisitModelLists(const DatabaseFiles& files, Visit visit) {
  WCHAR entry[33];
  if (!files.ok() || !ModelListEntry(files, 1, entry)) return false;
  for (int i = 1; i < kMostModelLists && ModelListEntry(files, i, entry); ++i) {
    WCHAR resourceDll[kEntryChars];
    ReadIniString(entry, u"ResDll", u"", resourceDll, kEntryChars, files.second);
    if (!visit(entry, resourceDll)) break;
  }
  return true;
}

// The model's own section of the database (GetModelDatabaseEntry, blanks skipped), or null.
const WCHAR* OwnDatabaseSection(DriverContext* context) {
  const WCHAR* section = GetModelDatabaseEntry(context);
  if (!section) return nullptr;
  section = SkipBlanks(section);
  return section[0] ? section : nullptr;
}

bool HasModelLists(const DatabaseFiles& files) {
  WCHAR entry[33];
  return ModelListEntry(files, 1, entry);
}

}  // namespace

int WriteAllModelDatabaseEntries(DriverContext* context) {
  if (!context || !context->work) return 0;
  const DatabaseFiles files(context);
  return VisitModelLists(files, [&](const WCHAR* entry, const WCHAR* resourceDll) {
           WriteEntry(files, entry, resourceDll);
           return true;
         })
             ? 1
             : 0;
}

int WriteModelDatabaseEntry(DriverContext* context) {
  if (!context || !context->work) return 0;
  const DatabaseFiles files(context);
  if (!files.ok()) return 0;
  if (HasModelLists(files)) return WriteAllModelDatabaseEntries(context);
  const WCHAR* resourceDll = ResourceDllName();
  const WCHAR* section = OwnDatabaseSection(context);
  if (!resourceDll[0] || !section) return 0;
  WriteEntry(files, section, resourceDll);
  return 1;
}

int RegisterAllModelDatabaseEntries(DriverContext* context) {
  if (!context || !context->work) return 0;
  const DatabaseFiles files(context);
  bool differs = false;
  if (!VisitModelLists(files, [&](const WCHAR* entry, const WCHAR* resourceDll) {
        differs = EntryDiffers(files, entry, resourceDll);
        return !differs;
      }))
    return 0;
  return differs ? WriteModelDatabaseEntry(context) : 1;
}

int RegisterModelDatabase(DriverContext* context) {
  if (!context || !context->work) return 0;
  const DatabaseFiles files(context);
  if (!files.ok()) return 0;
  if (HasModelLists(files)) return RegisterAllModelDatabaseEntries(context);
  const WCHAR* section = OwnDatabaseSection(context);
  if (!section) return 0;
  if (!EntryDiffers(files, section, ResourceDllName())) return 1;
  return WriteModelDatabaseEntry(context);
}
