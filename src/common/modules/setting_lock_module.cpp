// The setting-lock module: the lock value fields, the locked values forced into the presets
// and user quality entries, the lock keys of exported companion files and the restore of
// locked fields.
#include "modules/setting_lock_module.h"

#include <initializer_list>

#include "stored/devmode_merge.h"
#include "base/driver_context.h"
#include "fields/field_access.h"
#include "fields/field_table.h"
#include "fields/field_table.h"
#include "base/ini_files.h"
#include "fields/languages.h"
#include "base/paths_and_names.h"
#include "stored/snapshot_ring.h"
#include "field_ids.h"
#include "model/resolution_table.h"
#include "context/module_events.h"
#include "context/module_hooks.h"
#include "modules/module_text.h"
#include "stored/device_settings.h"
#include "stored/preset_list.h"
#include "stored/printer_devmode.h"
#include "stored/list_sections.h"
#include "stored/quality_list.h"
#include "stored/settings_package.h"
#include "stored/stamp_list.h"

namespace {

constexpr WORD kCopyLockedValues = 312;
constexpr WORD kKeepPrintMethod = 326;
constexpr WORD kReloadDefaults = 323;
constexpr WORD kFirstRestore = 10000;
constexpr WORD kLastRestore = 11976;
constexpr int kValueChars = 64;
constexpr WCHAR kMissing[] = u"\x1F";

// wdmLock00nInfo field := the setting it keeps (raw values).
constexpr WORD kLockCopies[][2] = {
    {fid::wdmLock001Info, fid::dmDefaultSource},
    {fid::wdmLock002Info, fid::kdmMediaType},
    {fid::wdmLock003Info, fid::kdmNUPPOSTKind},
    {fid::wdmLock006Info, fid::kdmPrnMethod},
    {fid::wdmLock007Info, fid::kdmLockDstResolutionBoth},
    {fid::wdmLock008Info, fid::dmColor},
};

// Runs of the restore table: numbers first..first+n-1 restore fields field..field+n-1.
struct RestoreRun {
  WORD number;
  WORD field;
  WORD lastField;
};
constexpr RestoreRun kRestoreRuns[] = {
    {10000, 35, 686},     {10652, 697, 939},   {10895, 941, 1008}, {10963, 1010, 1216},
    {11170, 1250, 1493},  {11414, 10001, 10434}, {11848, 1218, 1249}, {11880, 1, 32},
    {11912, 31, 34},      {11916, 687, 692},   {11923, 693, 696},  {11927, 1494, 1543},
};

// Groups of locked fields with their lock bit, in the order the presets are forced.
struct LockGroup {
  WORD bit;
  WORD fields[3];
};
constexpr LockGroup kPresetGroups[] = {
    {fid::kdmLock000InfoBitTray, {fid::dmDefaultSource, 0, 0}},
    {fid::kdmLock000InfoBitMedia, {fid::kdmMediaType, 0, 0}},
    {fid::kdmLock000InfoBitNupKind, {fid::kdmFuncSelectNup, fid::kdmNUPPOSTKind, fid::kdmNUPType}},
    {fid::kdmLock000InfoBitDuplex, {fid::kdmFuncSelectDuplex, fid::kdmDuplexType, 0}},
    {fid::kdmLock000InfoBitPrintType, {fid::kdmPrnMethod, 0, 0}},
    {fid::kdmLock001InfoBitColor, {fid::dmColor, 0, 0}},
};

bool Has(const WCHAR* value) { return !WideEquals(value, kMissing); }

void LockKeyOf(const WCHAR* name, WCHAR* key) { JoinWide(key, 80, name, u"Lock"); }

// One field in one settings file: the file keeps its own value under the lock key while the
// lock holds, and gets it back when the lock is lifted.
void ForceField(DriverContext* context, const WCHAR* file, const WCHAR* section, WORD field, bool locked,
                DWORD lockedValue) {
  const WCHAR* name = GetFieldName(context, field);
  if (!name || !name[0]) return;
  WCHAR lockKey[80], own[kValueChars], saved[kValueChars], text[kValueChars];
  LockKeyOf(name, lockKey);
  ReadIniString(section, name, kMissing, own, kValueChars, file);
  ReadIniString(section, lockKey, kMissing, saved, kValueChars, file);
  FormatWide(text, kValueChars, "%ld", static_cast<long>(static_cast<std::int32_t>(lockedValue)));
  if (locked) {
    if (!Has(saved)) {
      if (!Has(own)) return;
      WriteIniString(section, lockKey, own, file);
    } else if (!Has(own)) {
      return;
    }
    if (!WideEquals(own, text)) WriteIniString(section, name, text, file);
    return;
  }
  // Unlocked: the file's own value comes back over the locked one, whatever the context
  // holds now.
  if (!Has(saved)) return;
  if (!WideEquals(saved, own)) WriteIniString(section, name, saved, file);
  WriteIniString(section, lockKey, nullptr, file);
}

bool ListFile(DriverContext* context, const WCHAR* key, WCHAR* file) {
  const WCHAR* ini = GetUserIniPath(context);
  const WCHAR* section = GetPrinterSectionName(context);
  file[0] = 0;
  if (!ini || !ini[0] || !section) return false;
  ReadIniString(section, key, u"", file, 261, ini);
  return file[0] != 0;
}

void ApplyLocksToPresets(DriverContext* context) {
  const int count = GetPresetCount(context);
  const WCHAR* section = GetPrinterDisplayName(context);
  for (int i = 0; i < count; ++i) {
    WCHAR key[kPresetKeyChars], file[261];
    MakePresetKey(key, i, PRESET_KEY_FILE);
    if (!ListFile(context, key, file)) continue;
    for (const LockGroup& g : kPresetGroups) {
      const bool locked = ReadFieldRawById(context, g.bit) != 0;
      for (WORD f : g.fields)
        if (f) ForceField(context, file, section, f, locked, ReadFieldRawById(context, f));
    }
  }
}

void ApplyLocksToQualityPresets(DriverContext* context) {
  const int count = GetQualityCount(context);
  const WCHAR* section = GetPrinterDisplayName(context);
  const bool locked = ReadFieldRawById(context, fid::kdmLock000InfoBitResolution) != 0;
  const DWORD code = ReadFieldRawById(context, fid::kdmLockDstResolutionBoth);
  const ResolutionRecord* res = FindResolutionRecord(static_cast<WORD>(code));
  const WCHAR* both = GetFieldName(context, fid::kdmDstResolutionBoth);
  // Every entry must have the combined resolution key, or the two single ones are forced.
  bool allHaveBoth = both != nullptr;
  for (int i = 0; i < count && allHaveBoth; ++i) {
    WCHAR key[kListKeyChars], file[261], value[kValueChars];
    MakeQualityKey(key, i);
    if (!ListFile(context, key, file)) continue;
    ReadIniString(section, both, kMissing, value, kValueChars, file);
    allHaveBoth = Has(value);
  }
  for (int i = 0; i < count; ++i) {
    WCHAR key[kListKeyChars], file[261];
    MakeQualityKey(key, i);
    if (!ListFile(context, key, file)) continue;
    if (allHaveBoth) {
      ForceField(context, file, section, fid::kdmDstResolutionBoth, locked, code);
      ForceField(context, file, section, fid::kdmDstResolutionW, locked, res ? res->horizontal : 0);
      ForceField(context, file, section, fid::kdmDstResolutionH, locked, res ? res->vertical : 0);
    } else {
      ForceField(context, file, section, fid::kdmDstResolutionW, locked,
                 ReadFieldRawById(context, fid::kdmDstResolutionW));
      ForceField(context, file, section, fid::kdmDstResolutionH, locked,
                 ReadFieldRawById(context, fid::kdmDstResolutionH));
    }
  }
}

}  // namespace

WORD LockedFieldOfNumber(WORD number) {
  for (const RestoreRun& r : kRestoreRuns) {
    const WORD n = static_cast<WORD>(r.lastField - r.field + 1);
    if (number >= r.number && number < r.number + n) return static_cast<WORD>(r.field + (number - r.number));
  }
  return 0;
}

int RestoreLockedField(DriverContext* context, WORD number) {
  const WORD field = LockedFieldOfNumber(number);
  if (!field || !context) return 0;
  SettingField* f = FindFieldById(context, field);
  if (f) WriteFieldRaw(context, f, ReadSavedRawById(context, field));
  return 1;
}

bool MakeCompanionName(const WCHAR* path, int index, const WCHAR* extension, WCHAR* out, int n) {
  const std::size_t length = WideLength(path);
  // The index character replaces the fifth-last character; a shorter path has none.
  if (!out || n <= 0 || length < 5 || index < 0 || index >= 36 || length + 8 > static_cast<std::size_t>(n))
    return false;
  CopyWide(out, static_cast<std::size_t>(n), path);
  out[length - 5] = static_cast<WCHAR>(index < 10 ? u'0' + index : u'A' + index - 10);
  std::size_t dot = length;
  while (dot > 0 && out[dot - 1] != u'.' && out[dot - 1] != u'\\') --dot;
  if (dot == 0 || out[dot - 1] != u'.') return false;
  out[dot] = 0;
  JoinWide(out, static_cast<std::size_t>(n), out, extension);
  return true;
}

// Stamp n's lock copy: its section name followed by "Lock".
bool MakeStampLockSection(DriverContext* context, int n, WCHAR* out) {
  WCHAR section[kListSectionChars];
  MakeStampSection(section, n, context);
  if (!section[0] || WideLength(section) + 5 > static_cast<std::size_t>(kListSectionChars)) return false;
  JoinWide(out, static_cast<std::size_t>(kListSectionChars), section, u"Lock");
  return true;
}

// Every stored stamp saved into its lock copy, the settings restored afterwards.
void SaveStampLockCopies(DriverContext* context) {
  const int count = GetStampCount(context);
  PushSettingsSnapshot(context);
  for (int n = 0; n < count; ++n) {
    WCHAR lock[kListSectionChars];
    if (!MakeStampLockSection(context, n, lock)) continue;
    ApplyStamp(context, n);
    SetFieldValueById(context, fid::kdmWmID, static_cast<DWORD>(n));
    SaveStampSection(context, lock);
  }
  PopSettingsSnapshot(context, 1);
}

void DropStampLockCopies(DriverContext* context) {
  const WCHAR* ini = GetUserIniPath(context);
  if (!ini || !ini[0]) return;
  const int count = GetStampCount(context);
  for (int n = 0; n < count; ++n) {
    WCHAR lock[kListSectionChars];
    if (MakeStampLockSection(context, n, lock)) WriteIniString(lock, nullptr, nullptr, ini);
  }
}

// The quality companions of a package: the main path's serial (the six characters after the
// "K" that starts its file name) advanced to the next one.
bool QualityPackagePath(const WCHAR* main, WCHAR* out, int n) {
  const std::size_t length = WideLength(main);
  if (length + 1 > static_cast<std::size_t>(n)) return false;
  CopyWide(out, static_cast<std::size_t>(n), main);
  std::size_t name = length;
  while (name > 0 && out[name - 1] != u'\\') --name;
  if (length - name < 8) return false;
  AdvancePackageSerial(out + name + 1);
  return true;
}

std::int32_t SettingLockModuleItem(DriverContext* context, WORD number, void*) {
  if (!context) return 0;
  if (number == kCopyLockedValues) {
    for (const auto& copy : kLockCopies) WriteFieldRawById(context, copy[0], ReadFieldRawById(context, copy[1]));
    return 1;
  }
  const bool defaultLock = ReadFieldRawById(context, fid::kdmLock000InfoBitDefault) != 0;
  if (number >= kFirstRestore && number <= kLastRestore) {
    if (!defaultLock || !LockedFieldOfNumber(number)) return 0;
    return RestoreLockedField(context, number);
  }
  if (number >= 318 && number <= 322) {
    if (!defaultLock) return 0;
    const int n = number - 318;
    WCHAR lock[kListSectionChars];
    if (!MakeStampLockSection(context, n, lock)) return 0;
    LoadStampSection(context, lock);
    SetFieldValueById(context, fid::kdmWmID, static_cast<DWORD>(n));
    return 1;
  }
  if (number == kReloadDefaults) {
    LoadDefaultDevmodeFromPrinter(context, context->work ? context->work->printerInfo : nullptr);
    LoadDeviceSettingsByKind(context->hPrinter, context, 1);
    MergeDevmode(context, nullptr, 0x408000Cu);
    return 1;
  }
  if (number == kKeepPrintMethod) {
    const DWORD method = ReadFieldRawById(context, fid::kdmPrnMethod);
    if (method != 2 && method != 5 && method != 7) WriteFieldRawById(context, fid::kdmLockPrnMethod, method);
    return 1;
  }
  return 0;
}

std::int32_t SettingLockModuleEvent(DriverContext* context, DWORD event, void* block, void*) {
  if (!context) return 0;
  switch (event) {
    case MODEV_LOCK_PRESETS: ApplyLocksToPresets(context); return 1;
    case MODEV_LOCK_QUALITIES: ApplyLocksToQualityPresets(context); return 1;
    case MODEV_LOCK_STAMPS_SAVE: SaveStampLockCopies(context); return 1;
    case MODEV_LOCK_STAMPS_DROP: DropStampLockCopies(context); return 1;
    case MODEV_EXPORT_PRESETS: {
      const auto* path = static_cast<const WCHAR*>(block);
      const WCHAR* code = GetLanguageCodeOfSetting(context);
      if (!path || !code) return 1;
      const int count = GetPresetCount(context);
      for (int i = 0; i < count; ++i) {
        WCHAR file[261];
        if (!MakeCompanionName(path, i, u"ksd", file, 261)) break;
        for (const LockGroup& g : kPresetGroups) {
          if (!ReadFieldRawById(context, g.bit)) continue;
          for (WORD f : g.fields) {
            const WCHAR* name = f ? GetFieldName(context, f) : nullptr;
            if (!name) continue;
            WCHAR key[80];
            LockKeyOf(name, key);
            WriteIniString(code, key, nullptr, file);
          }
        }
      }
      return 1;
    }
    case MODEV_EXPORT_QUALITIES: {
      const auto* path = static_cast<const WCHAR*>(block);
      const WCHAR* code = GetLanguageCodeOfSetting(context);
      if (!path || !code || !ReadFieldRawById(context, fid::kdmLock000InfoBitResolution)) return 1;
      WCHAR qualities[261];
      if (!QualityPackagePath(path, qualities, 261)) return 1;
      const int count = GetQualityCount(context);
      for (int i = 0; i < count; ++i) {
        WCHAR file[261];
        if (!MakeCompanionName(qualities, i, u"ksq", file, 261)) break;
        for (WORD f : {fid::kdmDstResolutionBoth, fid::kdmDstResolutionW, fid::kdmDstResolutionH}) {
          const WCHAR* name = GetFieldName(context, f);
          if (!name) continue;
          WCHAR key[80];
          LockKeyOf(name, key);
          WriteIniString(code, key, nullptr, file);
        }
      }
      return 1;
    }
    default: return 0;
  }
}
