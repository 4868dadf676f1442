#include "stored/section_transfer.h"

#include "fields/change_flags.h"
#include "base/driver_context.h"
#include "fields/field_access.h"
#include "fields/field_table.h"
#include "base/memory.h"
#include "model/module_dispatch.h"
#include "model/units.h"
#include "field_ids.h"
#include "stored/device_settings.h"
#include "stored/ini_text.h"
#include "stored/prn_section.h"
#include "stored/settings_file.h"
#include "win/kernel.h"
#include "win/profile.h"

namespace {

// Rows of the walk: the first 1249 (ids 1-1249) unless the whole table is asked for; rows
// 696-913 (the state bytes and computed judge items) never move.
constexpr int kSettingsFileRows = 1249;
constexpr int kFirstSkippedRow = 696;
constexpr int kLastSkippedRow = 913;
// Free-size transfers replace rows 0-4 and end there.
constexpr int kFreeSizeRows = 5;
constexpr WORD kFreeSizeFirstId = 915;
constexpr WORD kCurrentFreeSizeFirstId = 920;

// Marks of a field's kind (2 bits each after the changed mark).
bool IsPresetField(const SettingField* f) { return MarkOf(f->marks, 1) != 0; }
bool IsQualityField(const SettingField* f) { return MarkOf(f->marks, 2) != 0; }
bool IsStampField(const SettingField* f) { return MarkOf(f->marks, 3) != 0; }

bool InRange(WORD id, WORD first, WORD last) { return id >= first && id <= last; }

const WCHAR* NameOf(const SettingField* field) { return field->side ? field->side->name : nullptr; }

// Fields a plain load never takes from a settings file.
bool IsNotSettingsFileField(WORD id) {
  return InRange(id, 1, 5) || id == 207 || id == 208 || InRange(id, 608, 610) || id == 682 || id == 683 ||
         InRange(id, 697, 914) || InRange(id, 1250, 1543) || InRange(id, 10001, 10434) || id == 562 ||
         id == 563;
}

bool IsExtendedField(DriverContext* context, WORD id) {
  if (InRange(id, 10001, 10434)) return !InRange(id, 10001, 10011) && id != 10354 && id != 10355;
  return InRange(id, 1495, 1543) && context->work && (context->work->specialModelMask & 1u);
}

// The working buffers of one transfer, freed on every way out.
struct TransferBuffers {
  char* fileText = nullptr;   // load: the whole file
  char* sectionText = nullptr;  // save: the section's lines
  WCHAR* wideText = nullptr;    // save: the same as UTF-16, then the NUL-separated list
  ~TransferBuffers() {
    FreeIniBuffer(fileText);
    FreeMem(sectionText);
    FreeMem(wideText);
  }
};

// Characters of the UTF-16 list: the section text, its NUL and the list's extra NUL.
constexpr DWORD kWideListChars = kIniTextBufferBytes + 2;

}  // namespace

bool IsTransferredField(DriverContext* context, const SettingField* row, SettingField* field, DWORD flags) {
  const bool load = flags & SFT_LOAD;
  const bool save = flags & SFT_SAVE;
  const WORD rowId = row->id;
  if ((flags & SFT_PRESET) && (load || ((flags & SFT_PRESETSAVE) && save)) && !IsPresetField(row)) return false;
  if ((flags & SFT_PRESET) && (flags & SFT_IMPORT) && !IsPresetField(row)) return false;
  if ((flags & SFT_QUALITY) && !IsQualityField(row)) return false;
  if (flags & SFT_STAMP) {
    if (!IsStampField(row)) return false;
  } else if (save && InRange(rowId, 1022, 1032)) {
    return false;
  }
  if ((flags & SFT_TEXTFILE) && InRange(rowId, 1, 5)) return false;

  if (!field) return false;
  SettingsFieldEvent event{field, 0};
  NotifyModules(context, MODEV_SETTINGS_FIELD, &event);
  if (event.skip == 1) return false;
  const WORD id = field->id;
  if ((flags & SFT_WORKFIELDS) && FieldAreaOf(field->type) != 3) return false;
  if ((flags & SFT_EXTENDED) && !IsExtendedField(context, id)) return false;
  if (flags == SFT_LOAD && IsNotSettingsFileField(id)) return false;
  if ((flags & SFT_KSDSECTION) && !IsPresetField(field)) return false;
  if (InRange(id, 1113, 1116)) return false;
  if ((flags & SFT_TEXTFILE) && (id == 530 || id == 531 || id == 562 || id == 563)) return false;
  if (InRange(id, 1201, 1216)) return false;
  if (flags == SFT_SAVE && (id == 207 || id == 208 || InRange(id, 608, 610) || InRange(id, 681, 683))) return false;
  const WCHAR* name = NameOf(field);
  return name && name[0];
}

BOOL TransferSettingsSection(HANDLE printer, const WCHAR* path, DWORD flags, DriverContext* context) {
  if (!context) return FALSE;
  SetSettingsFileStatus(context, SFS_OK);
  if (!IsDriveLetterPath(path) || !context->fields.records || !context->settings) return FALSE;
  const bool load = flags & SFT_LOAD;
  const bool save = flags & SFT_SAVE;

  WCHAR section[kSectionNameChars];
  ChooseTransferSection(context, flags, section);

  TransferBuffers buffers;
  const char* memorySection = nullptr;
  LONG cursor = 0;  // load: the shared cursor; save: the write offset
  if (load) {
    buffers.fileText = ReadIniFileToMemory(path);
    if (!buffers.fileText) {
      SetSettingsFileStatus(context, SFS_UNREADABLE);
      return FALSE;
    }
    memorySection = FindIniSection(section, buffers.fileText);
  }
  if (save) {
    buffers.sectionText = static_cast<char*>(AllocMem(kIniTextBufferBytes));
    buffers.wideText = static_cast<WCHAR*>(AllocMem(kWideListChars * sizeof(WCHAR)));
    if (!buffers.sectionText || !buffers.wideText) return FALSE;
  }
  char* textBuffer = save ? buffers.sectionText : nullptr;

  if (!CheckSettingsFileHeader(path, section, flags, !(flags & SFT_QUIET), context, memorySection, textBuffer,
                               &cursor, true)) {
    SetSettingsFileStatus(context, SFS_HEADER_MISMATCH);
    return TRUE;
  }
  if (flags == SFT_LOAD && AnyLockBitSet(context) && !CheckLockedFeatureValues(context, path, section, flags)) {
    SetSettingsFileStatus(context, SFS_LOCKED_VALUE_DIFFERS);
    return FALSE;
  }

  BOOL result = TRUE;
  bool sectionFull = false;
  const int count = context->fields.count;
  const int rows = (flags & SFT_EXTENDED) ? count : (count < kSettingsFileRows ? count : kSettingsFileRows);
  const bool freeSize = flags & (SFT_CURFREESIZE | SFT_FREESIZE);
  for (int row = 0; row < rows; ++row) {
    if (freeSize && row >= kFreeSizeRows) break;
    if (row >= kFirstSkippedRow && row <= kLastSkippedRow) continue;
    SettingField* rowField = &context->fields.records[row];
    SettingField* field = rowField;
    if (flags & SFT_CURFREESIZE)
      field = FindFieldById(context, static_cast<WORD>(kCurrentFreeSizeFirstId + row));
    else if (flags & SFT_FREESIZE)
      field = FindFieldById(context, static_cast<WORD>(kFreeSizeFirstId + row));
    const bool selected = IsTransferredField(context, rowField, field, flags);
    if (selected) {
      const WCHAR* ownSection = field->section;
      const WCHAR* ownKey = field->key;
      field->section = section;
      field->key = NameOf(field);
      if (load) {
        if (ReadFeatureFromIni(context, field, path, memorySection, &cursor)) {
          SetFieldChangeMark(field, 1);
          SetDirtyFlag(context, 1);
        } else {
          result = FALSE;
        }
      } else if (save && !sectionFull) {
        if (!WriteFeatureToIni(printer, context, field, path, textBuffer, &cursor)) {
          result = FALSE;
          sectionFull = true;
        }
      }
      field->section = ownSection;
      field->key = ownKey;
    }
    if (flags == SFT_LOAD && field && field->id == fid::kdmPresetNo) WriteFieldRaw(context, field, 255);
  }

  if (flags == SFT_SAVE) SavePrnSection(path, SFT_TEXTFILE, context);

  if (save) {
    if (sectionFull) {
      result = FALSE;  // a cut section is never written: the file keeps its old one
    } else {
      WritePrivateProfileStringW(nullptr, nullptr, nullptr, path);
      const int bytes = static_cast<int>(cursor);
      int chars = 0;
      if (bytes > 0)
        chars = MultiByteToWideChar(CP_ACP, 0, buffers.sectionText, bytes, buffers.wideText,
                                    static_cast<int>(kIniTextBufferBytes));
      if (chars < 0) chars = 0;
      SplitLinesToMultiString(buffers.wideText, static_cast<DWORD>(chars));
      result = WritePrivateProfileSectionW(section, buffers.wideText, path) ? TRUE : FALSE;
    }
  }

  SettingsTransferEvent done{flags, path};
  NotifyModules(context, MODEV_SETTINGS_TRANSFERRED, &done);
  return result;
}
