#include "stored/prn_section.h"

#include <cstring>

#include "base/driver_context.h"
#include "fields/field_access.h"
#include "fields/field_table.h"
#include "base/ini_files.h"
#include "base/ini_key_batch.h"
#include "base/memory.h"
#include "base/paths_and_names.h"
#include "base/settings_dirs.h"
#include "model/units.h"
#include "field_ids.h"
#include "stored/device_settings.h"
#include "stored/bidi_cache_calls.h"
#include "stored/section_transfer.h"
#include "stored/settings_file.h"

namespace {

constexpr WORD kFontListFirst = 10004;  // kdmFontTableNum .. kdmOptionFont
constexpr int kFontListFields = 6;
constexpr WORD kLogCodeFirst = 10001;   // kdmServerLogCode, kdmLogCodeUse, kdmLogCode
constexpr WORD kLogCodeLast = 10003;
constexpr WORD kAuthModeFirst = 10354;  // kdmPrnFuncAuthenticationMode, ...SecureMode
constexpr WORD kAuthModeLast = 10355;
constexpr WORD kLockBitsFirst = 10418;  // the lock bits and kdmLockDstResolutionBoth
constexpr WORD kLockBitsLast = 10434;
constexpr WORD kPrnFirst = 10001;
constexpr WORD kPrnLast = 10434;
constexpr WORD kCustomMediaFirst = 1453;
constexpr WORD kCustomMediaLast = 1543;

// The stored bytes of one field, put back without the side effects of a write.
class SavedValue {
 public:
  SavedValue() = default;
  SavedValue(DriverContext* context, const SettingField* field) { Take(context, field); }
  void Take(DriverContext* context, const SettingField* field) {
    address_ = field ? GetFieldAddress(context, field) : nullptr;
    size_ = field ? FieldSizeOf(field->type) : 0;
    if (size_ > sizeof bytes_) address_ = nullptr;
    if (address_) std::memcpy(bytes_, address_, size_);
  }
  void Restore() const {
    if (address_) std::memcpy(address_, bytes_, size_);
  }

 private:
  BYTE* address_ = nullptr;
  DWORD size_ = 0;
  BYTE bytes_[8] = {};
};

// Moves one field under its name in the section through the profile API (a save into the
// batch when one is given); the field's own section and key are put back afterwards.
int MoveField(DriverContext* context, SettingField* field, const WCHAR* path, const WCHAR* section, bool load,
              IniKeyBatch* batch = nullptr) {
  const WCHAR* ownSection = field->section;
  const WCHAR* ownKey = field->key;
  field->section = section;
  field->key = field->side ? field->side->name : nullptr;
  const int done = load    ? ReadFeatureFromIni(context, field, path, nullptr, nullptr)
                   : batch ? AddFeatureToIniBatch(context, field, *batch)
                           : WriteFeatureToIni(context->hPrinter, context, field, path, nullptr, nullptr);
  field->section = ownSection;
  field->key = ownKey;
  return done;
}

bool HasName(const SettingField* field) { return field && field->side && field->side->name && field->side->name[0]; }

// The settings text file of the settings directory; false when the path cannot be built.
bool TextFilePath(DriverContext* context, WCHAR* path) {
  WCHAR directory[MAX_PATH] = {};
  if (!GetSettingsDir(directory, MAX_PATH, context) || !directory[0]) return false;
  return JoinPath(path, MAX_PATH, directory, kSettingsTextFileName) != 0;
}

}  // namespace

BOOL TransferExtendedSettings(const WCHAR* path, DWORD flags, DriverContext* context, WORD first, WORD last) {
  if (!context || !IsDriveLetterPath(path)) return FALSE;
  if (flags != SFT_LOAD && flags != SFT_SAVE) return TRUE;
  const bool load = flags == SFT_LOAD;
  WCHAR section[kSectionNameChars];
  ChooseTransferSection(context, flags, section);
  IniKeyBatch batch(path, section[0] ? section : GetPrinterDisplayName(context));
  BOOL result = TRUE;
  for (DWORD id = first; id <= last; ++id) {
    const bool authMode = id >= kAuthModeFirst && id <= kAuthModeLast;
    const bool lockField = id == fid::kdmLockInfoLockInfo || (id >= kLockBitsFirst && id <= kLockBitsLast);
    if (!authMode && !(lockField && !load)) continue;
    if (authMode && load && !CanWriteBidiPrinterData(context)) continue;
    SettingField* field = FindFieldById(context, static_cast<WORD>(id));
    if (!HasName(field)) continue;
    SavedValue saved;
    if (!load && id == fid::kdmLockInfoLockInfo) {
      saved.Take(context, field);
      WriteFieldRaw(context, field, AnyLockBitSet(context) ? 1 : 0);
    }
    const int done = MoveField(context, field, path, section, load, load ? nullptr : &batch);
    saved.Restore();
    if (!done) result = FALSE;
    if (load && done && result) WriteFeatureToPrinterData(context->hPrinter, context, field);
  }
  if (!load && !batch.Commit()) result = FALSE;
  return result;
}

BOOL TransferPrnFields(const WCHAR* path, DWORD flags, DriverContext* context, const WCHAR* section, WORD first,
                       WORD last) {
  if (!context || !IsDriveLetterPath(path)) return FALSE;
  const bool load = flags & SFT_LOAD;
  SavedValue fonts[kFontListFields];
  for (int i = 0; i < kFontListFields; ++i) {
    SettingField* field = FindFieldById(context, static_cast<WORD>(kFontListFirst + i));
    fonts[i].Take(context, field);
    if (!load && field) {
      BYTE* address = GetFieldAddress(context, field);
      if (address) std::memset(address, 0, FieldSizeOf(field->type));
    }
  }
  // A save writes all its keys with one write of the file.
  IniKeyBatch batch(path, section && section[0] ? section : GetPrinterDisplayName(context));
  BOOL result = TRUE;
  for (DWORD id = first; id <= last; ++id) {
    if ((flags & SFT_TEXTFILE) && id >= kLogCodeFirst && id <= kLogCodeLast) continue;
    SettingField* field = FindFieldById(context, static_cast<WORD>(id));
    if (!HasName(field)) continue;
    SavedValue saved;
    if (!load && id == fid::kdmLockInfoLockInfo) {
      saved.Take(context, field);
      WriteFieldRaw(context, field, AnyLockBitSet(context) ? 1 : 0);
    }
    if (!MoveField(context, field, path, section, load, load ? nullptr : &batch)) result = FALSE;
    saved.Restore();
  }
  for (const SavedValue& font : fonts) font.Restore();
  if (!load && !batch.Commit()) result = FALSE;
  return result;
}

BOOL LoadPrnSection(const WCHAR* path, DWORD flags, DriverContext* context) {
  if (!context) return FALSE;
  flags |= SFT_LOAD;
  WCHAR section[kSectionNameChars];
  if (flags & SFT_TEXTFILE)
    ChooseTransferSection(context, SFT_TEXTFILE | SFT_LOAD, section);
  else
    std::memcpy(section, kPrnSectionName, sizeof kPrnSectionName);
  const BOOL prn = TransferPrnFields(path, flags, context, section, kPrnFirst, kPrnLast);
  const BOOL media = TransferPrnFields(path, flags, context, section, kCustomMediaFirst, kCustomMediaLast);
  return prn && media;
}

BOOL SavePrnSection(const WCHAR* path, DWORD flags, DriverContext* context) {
  if (!context) return FALSE;
  flags |= SFT_SAVE;
  WCHAR textFile[MAX_PATH] = {};
  if (flags & SFT_TEXTFILE) {
    if (!TextFilePath(context, textFile)) return FALSE;
    path = textFile;
  }
  const BOOL prn = TransferPrnFields(path, flags, context, kPrnSectionName, kPrnFirst, kPrnLast);
  const BOOL media = TransferPrnFields(path, flags, context, kPrnSectionName, kCustomMediaFirst, kCustomMediaLast);
  return prn && media;
}

BOOL WriteInstallSettingsSection(DriverContext* context) {
  if (!context) return FALSE;
  WCHAR* name = static_cast<WCHAR*>(AllocMem(MAX_PATH * sizeof(WCHAR)));
  WCHAR* path = static_cast<WCHAR*>(AllocMem(MAX_PATH * sizeof(WCHAR)));
  if (!name || !path) {
    FreeMem(name);
    FreeMem(path);
    return FALSE;
  }
  WCHAR language[kSectionNameChars] = {};
  ChooseTransferSection(context, SFT_TEXTFILE | SFT_LOAD, language);
  ReadIniString(language, u"DefaultKst", u"", name, MAX_PATH, GetSecondIniPath(context));
  if (name[0]) {
    if (IsDriveLetterPath(name))
      std::memcpy(path, name, MAX_PATH * sizeof(WCHAR));
    else
      JoinPath(path, MAX_PATH, GetDriverDirectory(context), name);
    if (path[0]) {
      WriteSettingsFileHeader(path, nullptr, context, language, nullptr, false);
      TransferPrnFields(path, SFT_TEXTFILE | SFT_SAVE, context, language, kPrnFirst, kPrnLast);
      TransferPrnFields(path, SFT_TEXTFILE | SFT_SAVE, context, language, kCustomMediaFirst, kCustomMediaLast);
    }
  }
  FreeMem(name);
  FreeMem(path);
  return TRUE;
}

BOOL SaveKsdSection(HANDLE printer, const WCHAR* path, DWORD flags, DriverContext* context) {
  (void)path;
  if (!context || !context->work) return FALSE;
  WCHAR textFile[MAX_PATH] = {};
  if (!TextFilePath(context, textFile)) return FALSE;
  WorkArea* work = context->work;
  const bool plain = (flags & ~(SFT_SAVE | SFT_QUIET)) == 0;
  WCHAR* kept = nullptr;
  if (plain) {
    kept = static_cast<WCHAR*>(AllocMem(sizeof work->printerName));
    if (!kept) return FALSE;
    GetPrinterSectionName(context);  // the cached name is filled before it is swapped
    std::memcpy(kept, work->printerName, sizeof work->printerName);
    const WCHAR* model = GetModelName(context);
    WCHAR swapped[261] = {};
    for (DWORD i = 0; i + 1 < 261 && model[i]; ++i) swapped[i] = model[i];
    std::memcpy(work->printerName, swapped, sizeof swapped);
  }
  const BOOL result = TransferSettingsSection(printer, textFile, flags | SFT_KSDSECTION | SFT_SAVE, context);
  if (kept) {
    std::memcpy(work->printerName, kept, sizeof work->printerName);
    FreeMem(kept);
  }
  return result;
}
