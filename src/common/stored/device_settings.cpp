// Device settings in printer data and the per-printer INI: the walks over the field table,
// the packed values and the transfer of one field.
#include "stored/device_settings.h"

#include <cstdio>
#include <cstring>

#include "base/build_switches.h"
#include "base/deliverable.h"
#include "fields/devmode_header.h"
#include "base/driver_context.h"
#include "model/driver_locks.h"
#include "fields/field_access.h"
#include "fields/field_handles.h"
#include "fields/field_table.h"
#include "base/ini_files.h"
#include "base/ini_key_batch.h"
#include "base/memory.h"
#include "model/module_dispatch.h"
#include "base/paths_and_names.h"
#include "base/spooler_info.h"
#include "field_ids.h"
#include "stored/custom_media.h"
#include "stored/font_lists.h"
#include "stored/ini_text.h"
#include "stored/lock_data.h"
#include "stored/server_printer_data.h"
#include "stored/bidi_cache_calls.h"
#include "stored/user_info.h"
#include "win/errors.h"
#include "win/kernel.h"
#include "win/registry.h"
#include "win/spool.h"

namespace {

// Characters of a number's text, with its NUL.
constexpr WORD kNumberChars = 16;

constexpr WCHAR kLockInfoName[] = u"kdmLockInfo";
constexpr WCHAR kLock000Name[] = u"kdmLock000InfoBit";
constexpr WCHAR kLock001Name[] = u"kdmLock001InfoBit";
constexpr WCHAR kActionName[] = u"kdmAction";

// One packed group: the field that carries the value, the ids it covers, its name and type.
struct PackedGroup {
  WORD first;
  WORD last;
  const WCHAR* name;
  DWORD code;
};
constexpr PackedGroup kLockGroups[] = {
    {fid::kdmLockInfoLockInfo, 10417, kLockInfoName, FT_U32},
    {fid::kdmLock000InfoBitDefault, 10425, kLock000Name, FT_U8},
    {10426, 10433, kLock001Name, FT_U8},
};

constexpr bool InRange(DWORD id, DWORD first, DWORD last) { return id >= first && id <= last; }

bool IsDrivePath(const WCHAR* path) { return path && path[0] && path[1] == u':'; }
// A field is stored under its key, except the fields that hold a handle of this process's
// block table: a handle means nothing in a file, printer data or another process.
bool HasKey(const SettingField* field) { return field->key && field->key[0] && !IsFieldHandleField(field->id); }

const PackedGroup* LockGroupOf(WORD id) {
  for (const PackedGroup& group : kLockGroups)
    if (InRange(id, group.first, group.last)) return &group;
  return nullptr;
}

DWORD SizeOfCode(DWORD code) {
  switch (code) {
    case FT_S8:
    case FT_U8:
      return 1;
    case FT_S16:
    case FT_U16:
      return 2;
    default:
      return 4;
  }
}

// Leading blanks, an optional sign, decimal digits; wraps at 32 bits, so that every value
// the writer formats ("%lu" included) reads back as it was.
DWORD ParseDecimal(const WCHAR* text) {
  while (*text == u' ' || *text == u'\t') ++text;
  bool negative = false;
  if (*text == u'-' || *text == u'+') negative = *text++ == u'-';
  DWORD value = 0;
  for (; *text >= u'0' && *text <= u'9'; ++text) value = value * 10u + static_cast<DWORD>(*text - u'0');
  return negative ? 0u - value : value;
}

// The field's own section, or the printer's display name for a field without one.
const WCHAR* SectionOf(DriverContext* context, const SettingField* field) {
  if (field->section && field->section[0]) return field->section;
  return GetPrinterDisplayName(context);
}

DWORD ReadText(DriverContext* context, const SettingField* field, const WCHAR* path, const char* memorySection,
               LONG* cursor, const WCHAR* defaultValue, WCHAR* buffer, WORD capacity) {
  if (memorySection)
    return ReadIniStringFromMemory(field->key, defaultValue, buffer, capacity, memorySection, cursor);
  return ReadIniString(SectionOf(context, field), field->key, defaultValue, buffer, capacity, path);
}

// The field under its own name in the per-printer INI, for the rest of the context's life.
void SwitchToIniStorage(SettingField* field) {
  field->key = field->side ? field->side->name : nullptr;
  field->storeKind = STORE_INI;
}

// Asks the modules whether an INI-mode pass leaves the field out.
bool ModulesSkip(DriverContext* context, DWORD event, SettingField* field) {
  DeviceFieldEvent block{2, field, 0};
  NotifyModules(context, event, &block);
  return block.skip == 1;
}

// Puts a field's key and type back when it goes out of scope.
class KeyAndType {
 public:
  explicit KeyAndType(SettingField* field) : field_(field), key_(field->key), type_(field->type) {}
  ~KeyAndType() { Restore(); }
  KeyAndType(const KeyAndType&) = delete;
  KeyAndType& operator=(const KeyAndType&) = delete;
  void Set(const WCHAR* key, DWORD code) {
    field_->key = key;
    field_->type = MakeFieldType(SizeOfCode(code), code, FieldAreaOf(type_));
  }
  void Restore() {
    field_->key = key_;
    field_->type = type_;
  }

 private:
  SettingField* field_;
  const WCHAR* key_;
  DWORD type_;
};

bool IsCustomMediaModel(DriverContext* context) {
  return IsFeatureKindSupported(context, 5, 0) && IsBuildFeatureEnabled(12) && context->work &&
         (context->work->specialModelMask & 1u);
}

// Whether the field's value equals the saved snapshot's (a bit field: its bit).
bool EqualsSavedSnapshot(DriverContext* context, const SettingField* field) {
  const DWORD code = FieldCodeOf(field->type);
  BYTE* savedSettings = context->work->savedSettings;
  if (!savedSettings) return false;
  if (IsBitFieldCode(code)) return ReadFieldRaw(context, field) == ReadFieldRawInSnapshot(context, field);
  const BYTE* live = GetFieldAddress(context, field);
  const BYTE* saved = GetFieldAddressInBuffer(savedSettings, field);
  const DWORD size = FieldSizeOf(field->type);
  return live && saved && std::memcmp(live, saved, size) == 0;
}

// A text read from outside ends inside its field: the last character is a terminator, and
// an ANSI text never ends on the lead byte of a split double-byte character.
void TerminateText(BYTE* address, DWORD size, DWORD code) {
  if (code == FT_WIDE_TEXT) {
    if (size >= 2) address[size - 2] = address[size - 1] = 0;
    return;
  }
  if (size == 0) return;
  address[size - 1] = 0;
  const UINT codePage = GetACP();
  DWORD i = 0;
  while (i + 1 < size && address[i]) {
    if (IsDBCSLeadByteEx(codePage, address[i])) {
      if (address[i + 1] == 0) {
        address[i] = 0;
        break;
      }
      i += 2;
    } else {
      ++i;
    }
  }
}

bool ReadsIniFields(const DriverContext* context) {
  const WorkArea* work = context->work;
  return work->mode != 1 && !(work->kind & (CTXK_DOCUMENT_PROPERTIES | CTXK_DEVICE_CAPS | CTXK_RENDERING_REQUEST));
}

}  // namespace

bool IsEmptyValueSignificantField(WORD id) { return id == fid::kdmCopyProtectChar || id == 1112; }

// ---- one field ----------------------------------------------------------------------------

int ReadFeatureFromPrinterData(HANDLE printer, DriverContext* context, SettingField* field, DWORD mode,
                               void* server) {
  if (!context || !context->work || !field) return 0;
  if (!HasKey(field)) return 1;
  BYTE* address = GetFieldAddress(context, field);
  if (!address) return 0;
  const DWORD code = FieldCodeOf(field->type);
  const bool bit = IsBitFieldCode(code);
  const DWORD size = bit ? 4 : FieldSizeOf(field->type);
  if (size == 0) return 0;
  BYTE* scratch = context->work->printerDataBuffer;
  BYTE* buffer = size <= sizeof context->work->printerDataBuffer ? scratch : static_cast<BYTE*>(AllocMem(size));
  if (!buffer) return 0;
  // A value shorter than the field leaves the rest of the field zero.
  std::memset(buffer, 0, size);
  DWORD type = 0, needed = 0;
  bool ok;
  if (mode & DSL_FROM_SERVER) {
    const DWORD registryType = field->id == fid::kdmLogging ? REG_DWORD : REG_BINARY;
    ok = CopyServerPrinterData(printer, field->key, &type, buffer, size, &needed, registryType, server) != 0;
  } else {
    ok = GetPrinterDataW(printer, const_cast<LPWSTR>(field->key), &type, buffer, size, &needed) == ERROR_SUCCESS;
  }
  if (ok) {
    if (bit) {
      DWORD value = 0;
      std::memcpy(&value, buffer, 4);
      WriteFieldRaw(context, field, value ? 1 : 0);
    } else {
      std::memcpy(address, buffer, size);
      if (IsTextFieldCode(code)) TerminateText(address, size, code);
    }
  }
  if (buffer != scratch) FreeMem(buffer);
  return ok ? 1 : 0;
}

int WriteFeatureToPrinterData(HANDLE printer, DriverContext* context, SettingField* field) {
  if (!context || !field) return 0;
  if (!HasKey(field)) return 1;
  BYTE* address = GetFieldAddress(context, field);
  if (!address) return 1;
  const DWORD code = FieldCodeOf(field->type);
  DWORD rc;
  if (IsBitFieldCode(code)) {
    DWORD value = ReadFieldRaw(context, field) ? 1 : 0;
    rc = SetPrinterDataW(printer, const_cast<LPWSTR>(field->key), REG_BINARY, reinterpret_cast<LPBYTE>(&value), 4);
  } else {
    const DWORD size = FieldSizeOf(field->type);
    if (size == 0) return 0;
    const DWORD type = field->id == fid::kdmLogging && code == FT_U32 ? REG_DWORD : REG_BINARY;
    rc = SetPrinterDataW(printer, const_cast<LPWSTR>(field->key), type, address, size);
  }
  return rc == ERROR_SUCCESS ? 1 : 0;
}

int ReadFeatureFromIni(DriverContext* context, SettingField* field, const WCHAR* iniPath, const char* memorySection,
                       LONG* cursor) {
  if (!context || !field || !HasKey(field)) return 0;
  if (!memorySection && !IsDrivePath(iniPath)) return 0;
  const DWORD code = FieldCodeOf(field->type);
  const DWORD size = FieldSizeOf(field->type);
  if (IsTextFieldCode(code)) {
    const bool significant = IsEmptyValueSignificantField(field->id);
    const DWORD capacity = size + (significant ? 10 : 1);
    if (capacity > 0xFFFF) return 0;
    WCHAR* buffer = static_cast<WCHAR*>(AllocMem(capacity * sizeof(WCHAR)));
    WCHAR* stars = significant ? static_cast<WCHAR*>(AllocMem(capacity * sizeof(WCHAR))) : nullptr;
    int stored = 0;
    if (buffer && (!significant || stars)) {
      if (stars)
        for (DWORD i = 0; i < size + 9; ++i) stars[i] = u'*';
      const DWORD length = ReadText(context, field, iniPath, memorySection, cursor, stars ? stars : u"", buffer,
                                    static_cast<WORD>(capacity));
      bool take = length > 0;
      if (significant) {
        DWORD i = 0;
        while (buffer[i] && buffer[i] == stars[i]) ++i;
        take = !(buffer[i] == 0 && stars[i] == 0);  // the default came back: no key
      }
      if (take) stored = SetFieldString(context, field, buffer) != nullptr;
    }
    FreeMem(stars);
    FreeMem(buffer);
    return stored;
  }
  if (!IsNumberFieldCode(code) && !IsBitFieldCode(code)) return 0;
  WCHAR text[kNumberChars] = {};
  if (ReadText(context, field, iniPath, memorySection, cursor, u"", text, kNumberChars) == 0) return 0;
  DWORD value = ParseDecimal(text);
  if (code == FT_S8 || code == FT_U8 || (IsBitFieldCode(code) && size == 1)) value &= 0xFFu;
  if (code == FT_S16 || code == FT_U16 || (IsBitFieldCode(code) && size == 2)) value &= 0xFFFFu;
  WriteFieldRaw(context, field, value);
  return 1;
}

namespace {

// The text a field is stored as in an INI file; owns the copy of a text field.
class FieldIniText {
 public:
  FieldIniText() = default;
  FieldIniText(const FieldIniText&) = delete;
  FieldIniText& operator=(const FieldIniText&) = delete;
  ~FieldIniText() { FreeMem(block_); }

  // False for a field of no storable kind, or when memory runs out.
  bool Make(DriverContext* context, SettingField* field) {
    const DWORD code = FieldCodeOf(field->type);
    const DWORD size = FieldSizeOf(field->type);
    if (IsTextFieldCode(code)) {
      block_ = static_cast<WCHAR*>(AllocMem((size + 1) * sizeof(WCHAR)));
      if (!block_) return false;
      if (!GetFieldString(context, field, block_, size + 1)) block_[0] = 0;
      text_ = block_;
      return true;
    }
    if (!IsNumberFieldCode(code) && !IsBitFieldCode(code)) return false;
    const DWORD raw = ReadFieldRaw(context, field);
    char ansi[kNumberChars] = {};
    if (code == FT_U8 || code == FT_U16 || code == FT_U32)
      std::snprintf(ansi, sizeof ansi, "%u", static_cast<unsigned>(raw));
    else
      std::snprintf(ansi, sizeof ansi, "%d", static_cast<int>(static_cast<std::int32_t>(raw)));
    for (int i = 0; ansi[i]; ++i) number_[i] = static_cast<WCHAR>(ansi[i]);
    text_ = number_;
    return true;
  }
  const WCHAR* Get() const { return text_; }

 private:
  WCHAR number_[kNumberChars] = {};
  WCHAR* block_ = nullptr;
  const WCHAR* text_ = number_;
};

}  // namespace

int WriteFeatureToIni(HANDLE, DriverContext* context, SettingField* field, const WCHAR* iniPath, char* buffer,
                      LONG* offset) {
  if (!context || !field || !HasKey(field)) return 0;
  if (!buffer && !IsDrivePath(iniPath)) return 0;
  FieldIniText text;
  if (!text.Make(context, field)) return 0;
  const BOOL done = buffer ? AppendIniLine(offset, field->key, text.Get(), buffer)
                           : WriteIniString(SectionOf(context, field), field->key, text.Get(), iniPath);
  return done ? 1 : 0;
}

int AddFeatureToIniBatch(DriverContext* context, SettingField* field, IniKeyBatch& batch) {
  if (!context || !field || !HasKey(field)) return 0;
  if (!IsDrivePath(batch.File())) return 0;
  FieldIniText text;
  if (!text.Make(context, field)) return 0;
  return batch.Add(field->key, text.Get()) ? 1 : 0;
}

int WriteFeatureToStore(HANDLE printer, DriverContext* context, SettingField* field, const WCHAR* iniPath) {
  if (!context || !field) return 0;
  if (field->storeKind == STORE_INI)
    return WriteFeatureToIni(printer, context, field, iniPath ? iniPath : GetUserIniPath(context), nullptr, nullptr);
  if (field->storeKind == STORE_PRINTER_DATA && FieldAreaOf(field->type) == 2)
    return WriteFeatureToPrinterData(printer, context, field);
  return 1;
}

namespace {

int ReadFromStore(HANDLE printer, DriverContext* context, SettingField* field, int store) {
  if (store == 1 || store == 3) return ReadFeatureFromIni(context, field, GetUserIniPath(context), nullptr, nullptr);
  return ReadFeatureFromPrinterData(printer, context, field, 0, nullptr);
}

int WriteToStore(HANDLE printer, DriverContext* context, SettingField* field, int store) {
  if (store == 1 || store == 3)
    return WriteFeatureToIni(printer, context, field, GetUserIniPath(context), nullptr, nullptr);
  return WriteFeatureToPrinterData(printer, context, field);
}

}  // namespace

int LoadPackedFeature(HANDLE printer, DriverContext* context, SettingField* field, int store, DWORD typeCode,
                      const WCHAR* packedName, WORD first, WORD last) {
  if (!context || !field || !packedName) return 0;
  KeyAndType own(field);
  own.Set(packedName, typeCode);
  if (ReadFromStore(printer, context, field, store)) return 1;
  // No packed value yet: the single keys of an older printer, then the packed value.
  own.Restore();
  for (DWORD id = first; id <= last; ++id) {
    SettingField* single = FindFieldById(context, static_cast<WORD>(id));
    if (single && HasKey(single)) ReadFromStore(printer, context, single, store);
  }
  own.Set(packedName, typeCode);
  WriteToStore(printer, context, field, store);
  return 1;
}

int SavePackedFeature(HANDLE printer, DriverContext* context, SettingField* field, int, DWORD typeCode,
                      const WCHAR* packedName) {
  if (!context || !field || !packedName) return 0;
  KeyAndType own(field);
  own.Set(packedName, typeCode);
  return WriteFeatureToStore(printer, context, field, nullptr);
}

// ---- load -------------------------------------------------------------------------------

int LoadDeviceSettings(HANDLE printer, DriverContext* context, int area, DWORD mode, void* server) {
  if (!context || !context->work || !context->settings || !context->fields.records) return 1;
  LockDriverMutex(context);
  const bool iniMode = (mode & ~DSL_FROM_SERVER) == DSL_INI_MODE;
  const bool readIni = ReadsIniFields(context);
  const bool customMedia = IsCustomMediaModel(context);
  const WCHAR* iniPath = GetUserIniPath(context);
  bool userInformation = false;
  SettingField* action = nullptr;
  for (int i = 0; i < context->fields.count; ++i) {
    SettingField* field = &context->fields.records[i];
    const WORD id = field->id;
    if (id < 35 || InRange(id, 697, 722)) continue;
    const DWORD fieldArea = FieldAreaOf(field->type);
    // Only the walked area is offered to the modules and switched to INI storage.
    if (area != -1 && fieldArea != static_cast<DWORD>(area)) continue;
    if (iniMode) {
      if (ModulesSkip(context, MODEV_DEVICE_LOAD_FIELD, field)) continue;
      SwitchToIniStorage(field);
    }
    if (InRange(id, 1169, 1184)) {
      if (fieldArea == 3 && IsBuildFeatureEnabled(id - 1169u)) userInformation = true;
      continue;
    }
    if (InRange(id, 1185, 1200)) {
      WriteFieldRaw(context, field, IsBuildFeatureEnabled(id - 1185u) ? 1 : 0);
      continue;
    }
    if (InRange(id, 1201, 1216)) {
      if (id == 1201) CallModuleItemHooks(context, 312);
      continue;
    }
    if (fieldArea == 2 && field->storeKind == STORE_PRINTER_DATA) {
      if (const PackedGroup* group = LockGroupOf(id)) {
        if (id == group->first)
          LoadPackedFeature(printer, context, field, 0, group->code, group->name, group->first, group->last);
        continue;
      }
      if (customMedia && InRange(id, 1495, 1543)) {
        if (id == 1495) LoadCustomMedia(printer, context);
        continue;
      }
      ReadFeatureFromPrinterData(printer, context, field, mode, server);
      continue;
    }
    if (field->storeKind == STORE_INI && readIni) {
      if (InRange(id, fid::kdmActionSecurity, 226)) {
        if (id == fid::kdmActionSecurity) action = field;
        continue;
      }
      ReadFeatureFromIni(context, field, iniPath, nullptr, nullptr);
    }
  }
  if (action) {
    KeyAndType own(action);
    own.Set(kActionName, FT_U16);
    ReadFeatureFromIni(context, action, iniPath, nullptr, nullptr);
  }
  DeviceWalkEvent done{area, mode};
  NotifyModules(context, MODEV_DEVICE_LOADED, &done);
  if (ReadFieldRawById(context, fid::kdmLock000InfoBitDefault)) LoadLockDefaultData(printer, context);
  if (userInformation) LoadUserInformation(context);
  UnlockDriverMutex(context);
  return 1;
}

int LoadDeviceSettingsKind(HANDLE printer, DriverContext* context, int area, DWORD mode) {
  return LoadDeviceSettings(printer, context, area, mode, nullptr);
}

int LoadDeviceSettingsByKind(HANDLE printer, DriverContext* context, int kind) {
  switch (kind) {
    case -1:
      LoadDeviceSettings(printer, context, -1, 0, nullptr);
      LoadFontLists(printer, context);
      break;
    case 1:
      LoadDeviceSettings(printer, context, 3, 0, nullptr);
      LoadDeviceSettings(printer, context, 1, 0, nullptr);
      break;
    case 2:
      LoadDeviceSettings(printer, context, 2, 0, nullptr);
      LoadFontLists(printer, context);
      break;
    default:
      break;
  }
  return 1;
}

int LoadDeviceSettingsWithBidiCache(DriverContext* context) {
  if (!context) return 1;
  LoadDeviceSettingsByKind(context->hPrinter, context, -1);
  if (!context->settings || GetStateByte(context, 714) == 1 || !IsBidiCacheIniSet(context)) return 1;
  LoadBidiCacheIni(context);
  // The rendering build reads the cache only: it neither moves it into printer data nor
  // clears it.
  if (!IsRenderingBuild() && CanWriteBidiPrinterData(context)) {
    SaveDeviceSettings(context->hPrinter, context, 2, DSS_NO_COMPARE | DSS_EXTENDED_ONLY);
    ClearBidiCacheIni(context);
  }
  return 1;
}

// ---- save -------------------------------------------------------------------------------

int SaveDeviceSettings(HANDLE printer, DriverContext* context, int area, DWORD flags) {
  if (!context || !context->work || !context->settings || !context->fields.records) return 1;
  LockDriverMutex(context);
  const DWORD low = flags & ~DSS_NO_COMPARE;
  const bool iniMode = low == DSS_INI_MODE;
  const bool customMedia = (context->work->specialModelMask & 1u) != 0;
  const bool connection = IsPrinterConnection(context) != 0;
  const bool compare = context->work->mode == 0 && area == 2 && context->work->savedSettings &&
                       !(flags & DSS_NO_COMPARE);
  SettingField* action = nullptr;
  for (int i = 0; i < context->fields.count; ++i) {
    SettingField* field = &context->fields.records[i];
    const WORD id = field->id;
    if ((flags & DSS_CUSTOM_FUNCS_ONLY) && !InRange(id, 1462, 1493)) continue;
    if (flags & DSS_EXTENDED_ONLY) {
      const bool extended =
          InRange(id, 10001, 10434) && !InRange(id, 10001, 10011) && id != 10354 && id != 10355;
      const bool media = customMedia && InRange(id, 1495, 1543);
      if (!extended && !media) continue;
      if (media && field->storeKind != STORE_INI) continue;
    }
    // Only the walked area is offered to the modules and switched to INI storage.
    if (area != -1 && FieldAreaOf(field->type) != static_cast<DWORD>(area)) continue;
    if (InRange(id, 10004, 10009)) continue;
    if (iniMode) {
      if (ModulesSkip(context, MODEV_DEVICE_SAVE_FIELD, field)) continue;
      SwitchToIniStorage(field);
    }
    if (field->storeKind == STORE_PRINTER_DATA) {
      if (const PackedGroup* group = LockGroupOf(id)) {
        if (id == group->first) SavePackedFeature(printer, context, field, 0, group->code, group->name);
        continue;
      }
    }
    if (connection && (id == fid::kdmLogCodeUse || id == fid::kdmLogCode) &&
        !ReadFieldRawById(context, fid::kdmServerLogCode))
      continue;
    if (compare && EqualsSavedSnapshot(context, field)) continue;
    if (InRange(id, fid::kdmActionSecurity, 226)) {
      if (id == fid::kdmActionSecurity) action = field;
      continue;
    }
    WriteFeatureToStore(printer, context, field, nullptr);
  }
  if (action) SavePackedFeature(printer, context, action, action->storeKind, FT_U16, kActionName);
  if (customMedia && (flags & DSS_EXTENDED_ONLY) && context->fields.count > 0 &&
      context->fields.records[context->fields.count - 1].storeKind == STORE_PRINTER_DATA)
    SaveCustomMedia(printer, context);
  DeviceWalkEvent done{area, low};
  NotifyModules(context, MODEV_DEVICE_SAVED, &done);
  UnlockDriverMutex(context);
  if (area == 3 && low == 0) SaveDeviceSettings(printer, context, 3, DSS_INI_MODE);
  return 1;
}

int SaveDeviceSettingsBoth(HANDLE printer, DriverContext* context) {
  SaveDeviceSettings(printer, context, 3, 0);
  SaveDeviceSettings(printer, context, 1, 0);
  return 1;
}

int SaveDeviceSettingsArea2(HANDLE printer, DriverContext* context) {
  const int saved = SaveDeviceSettings(printer, context, 2, 0);
  const int fonts = SaveFontListsIfChanged(printer, context);
  return saved && fonts ? 1 : 0;
}

int SaveDeviceSettingsWithModelFonts(HANDLE printer, DriverContext* context) {
  SaveDeviceSettings(printer, context, 2, 0);
  return SaveModelFontLists(printer, context);
}
