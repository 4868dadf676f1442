#include "model_ini_copy.h"

#include "context/context_create.h"
#include "base/driver_context.h"
#include "model/driver_locks.h"
#include "base/ini_files.h"
#include "model/module_dispatch.h"
#include "base/paths_and_names.h"
#include "base/settings_dirs.h"
#include "base/install_services.h"
#include "base/file_ops.h"
#include "base/file_times.h"
#include "context/module_events.h"
#include "stored/list_sections.h"
#include "stored/settings_package.h"
#include "win/files.h"

namespace {

constexpr DWORD kValueChars = 1025;
constexpr WCHAR kNoValue[] = u"\x01";  // stands for a key the source does not have

constexpr const WCHAR* kFreeSizeKeys[] = {u"wdmFreeSizeName", u"wdmFreeSizeWidth", u"wdmFreeSizeLength",
                                          u"wdmFreeSizeTray", u"wdmFreeSizeOrient"};
constexpr const WCHAR* kStampKeys[] = {
    u"kdmWmKind",      u"wdmWmOpaque",    u"wdmWmUnit",        u"wdmWmDensity",   u"wdmWmEffect",
    u"wdmWmPosi",      u"wdmWmPosiTile",  u"wdmWmPage",        u"wdmWmStartPage", u"wdmWmEndPage",
    u"wdmWmAngle",     u"kdmWmID",        u"wdmWmFontName",    u"wdmWmFontPoint", u"wdmWmColor",
    u"wdmWmColorR",    u"wdmWmColorG",    u"wdmWmColorB",      u"wdmWmFontStyle", u"wdmWmFontScale",
    u"wdmWmChar",      u"wdmWmImage",     u"wdmWmCharName",    u"wdmWmImageName", u"wdmWmFont",
    u"wdmWMPrinterStamp2PlanePrint",      u"wdmWMFuncSelectOrder"};
static_assert(sizeof kStampKeys / sizeof kStampKeys[0] == 27, "27 stamp keys");
constexpr const WCHAR* kModelSectionKeys[] = {u"KstVersion", u"bIsBIDISupportForKOVAModel",
                                              u"bIsBIDISupportForKOVAFont", u"bIsBIDISupportForKOVA"};

// Copies one key when the source has it; returns whether it had.
bool CopyKey(const WCHAR* source, const WCHAR* sourceSection, const WCHAR* target, const WCHAR* targetSection,
             const WCHAR* key, bool onlyNonEmpty = false) {
  WCHAR value[kValueChars] = {};
  ReadIniString(sourceSection, key, kNoValue, value, kValueChars, source);
  if (value[0] == kNoValue[0] && !value[1]) return false;
  if (onlyNonEmpty && !value[0]) return false;
  WriteIniString(targetSection, key, value, target);
  return true;
}

void CopyListEntries(const WCHAR* source, const WCHAR* target, const char* prefix, const WCHAR* countKey,
                     const WCHAR* const* keys, int keyCount, DriverContext* context) {
  const WCHAR* language = ListLanguageSection(context);
  CopyKey(source, language, target, language, countKey);
  const int count = ReadIniInt(language, countKey, 0, source);
  for (int i = 0; i < count && i < 1000; ++i) {
    WCHAR section[kListSectionChars];
    MakeListSection(section, prefix, i, context);
    CopyKey(source, section, target, section, u"KstVersion", true);
    for (int k = 0; k < keyCount; ++k) CopyKey(source, section, target, section, keys[k]);
  }
}

void SendIniCopyEvent(DriverContext* context, const WCHAR* source, const WCHAR* target, DWORD keep) {
  IniCopyEventBlock block{source, target, keep};
  NotifyModules(context, MODEV_INI_COPY, &block);
}

int CopyModelIniData(DriverContext* context, int mode, int iniKind) {
  const WCHAR* source = GetSecondIniPath(context);
  WCHAR target[MAX_PATH + 1] = {};
  if (GetIniPathInSettingsDirFor(target, 0, iniKind == 1 ? 1 : 0, context->hPrinter, context->work->printerInfo) == 0 ||
      !target[0] || !source || !source[0])
    return 0;
  const WCHAR* language = GetLanguageSectionName(context);
  if (mode == kModelIniFull) {
    int absent = 0;
    if (!PathExists(target) || IsSettingsVersionOtherSeries(target, source, &absent, context)) {
      CopyListEntries(source, target, "FreeSize", u"FreeSizeCount", kFreeSizeKeys, 5, context);
      CopyListEntries(source, target, "Stamp", u"StampCount", kStampKeys, 27, context);
      SendIniCopyEvent(context, source, target, 0);
      for (const WCHAR* key : kModelSectionKeys) CopyKey(source, language, target, language, key);
    } else {
      SendIniCopyEvent(context, source, target, 1);
    }
  } else {
    CopyKey(source, language, target, language, u"KstVersion");
  }
  CopyPrinterInformation(source, target);
  // The free sizes of the package's default settings file.
  WCHAR package[MAX_PATH + 1] = {};
  if (ReadInstallDefaultKst(package, context)) {
    ResolveDriverRelativePath(package, MAX_PATH, context);
    if (PathExists(package)) {
      for (int i = 0; i < 1000; ++i) {
        WCHAR section[kListSectionChars];
        MakeListSection(section, "FreeSize", i, context);
        bool any = false;
        for (const WCHAR* key : kFreeSizeKeys) any = CopyKey(package, section, target, section, key) || any;
        if (!any) break;
      }
    }
  }
  // The package is marked as installed; its write time stays what the package made it.
  if (PathExists(source)) WriteIniKeepTime(GetBatchInstallDoneSection(), GetBatchInstallDoneSection(), u"1", source, 0);
  return 1;
}

}  // namespace

int IsSettingsVersionOtherSeries(const WCHAR* iniPath, const WCHAR*, int* absent, DriverContext* context) {
  if (absent) *absent = 0;
  const int version = ReadIniInt(GetLanguageSectionName(context), u"KstVersion", -1, iniPath);
  if (version < 0) {
    if (absent) *absent = 1;
    return 1;
  }
  return version / 100 != kProductSettingsVersion / 100 ? 1 : 0;
}

int CopyModelIniLocked(HANDLE printer, int mode, DriverContext* context, int iniKind,
                       const PRINTER_INFO_2W* printerInfo, const DRIVER_INFO_3W* driverInfo) {
  LockDriverMutex(nullptr);
  int result = 0;
  DriverContext* own = nullptr;
  if (!context) {
    WCHAR second[MAX_PATH] = {};
    GetSecondIniPathForPrinter(printer, second);
    WCHAR done[16] = {};
    if (second[0]) ReadIniString(GetBatchInstallDoneSection(), GetBatchInstallDoneSection(), u"", done, 16, second);
    if (mode == kModelIniVersionOnly && done[0]) {
      UnlockDriverMutex(nullptr);
      return 1;
    }
    // The mutex is held: the context takes none of its own.
    context = own = CreateContextWithFlags(printer, printer, 0, 0x101, 0x80000000u, printerInfo, driverInfo);
  }
  if (context && context->work) result = CopyModelIniData(context, mode, iniKind);
  if (own) ReleaseContext(own, CTXR_DESTROY);
  UnlockDriverMutex(nullptr);
  return result;
}

int CopyModelIniToPrinterIni(HANDLE printer, int mode, DriverContext* context, const PRINTER_INFO_2W* printerInfo,
                             const DRIVER_INFO_3W* driverInfo) {
  return CopyModelIniLocked(printer, mode, context, 0, printerInfo, driverInfo);
}
