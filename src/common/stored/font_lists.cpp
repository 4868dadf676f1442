#include "stored/font_lists.h"

#include <cstring>
#include <string>

#include "base/deliverable.h"
#include "base/driver_context.h"
#include "fields/field_access.h"
#include "fields/field_handles.h"
#include "base/memory.h"
#include "base/printer_data.h"
#include "stored/snapshot_ring.h"
#include "field_ids.h"
#include "model/option_lookup.h"
#include "win/errors.h"
#include "win/kernel.h"
#include "win/spool.h"

namespace {

constexpr DWORD kChunkBytes = 64;

struct ListKind {
  WORD countField;
  WORD listField;
  const WCHAR* countName;
  const WCHAR* listName;
  FontListRecord* (*exportList)(DriverContext*, DWORD*);
};

const ListKind kDeviceFonts{fid::kdmDeviceFontNum, fid::kdmDeviceFont, u"DeviceFontNum", u"DeviceFont",
                            ExportDeviceFontList};
const ListKind kOptionFonts{fid::kdmOptionFontNum, fid::kdmOptionFont, u"OptionFontNum", u"OptionFont",
                            ExportFontCartridgeList};

struct TableNames {
  const WCHAR* count;
  const WCHAR* trueType;
  const WCHAR* device;
};
const TableNames kCurrentNames{u"LastFontTableNum", u"TTFontTable", u"DevFontTable"};
const TableNames kDefaultNames{u"DefFontTableNum", u"TTFontDefTable", u"DevFontDefTable"};

std::u16string ChunkName(const WCHAR* stem, int index) {
  std::u16string name(stem);
  for (char c : std::to_string(index)) name.push_back(static_cast<char16_t>(c));
  return name;
}

// The 2-byte count value; false when it is missing.
bool ReadCount(HANDLE printer, const WCHAR* name, WORD* count) {
  *count = 0;
  return GetPrinterDataValue(printer, count, sizeof(WORD), name, 0) != FALSE;
}

short FieldCount(DriverContext* context, WORD id) { return static_cast<short>(ReadFieldRawById(context, id) & 0xFFFF); }

void FreeFieldBlock(DriverContext* context, WORD id) {
  const DWORD handle = ReadFieldRawById(context, id);
  if (handle == 0) return;
  FreeMem(ReleaseFieldBlock(handle));
  WriteFieldRawById(context, id, 0);
}

// Stores a loaded block and its count; false (block left to the caller) when the
// process's handle table is full.
bool StoreList(DriverContext* context, WORD countField, WORD listField, void* block, WORD count) {
  if (!SetFieldBlockById(context, listField, block)) return false;
  WriteFieldRawById(context, countField, count);
  return true;
}

// True when the saved snapshot holds count records equal to records.
bool SnapshotHolds(DriverContext* context, WORD countField, WORD listField, const void* records, int count,
                   DWORD recordSize) {
  WorkArea* work = context->work;
  if (!work || work->mode != 0 || !work->savedSettings) return false;
  if (static_cast<short>(ReadSnapshotRawById(context, countField) & 0xFFFF) != count) return false;
  const void* saved = ResolveFieldBlock(ReadSnapshotRawById(context, listField));
  const SIZE_T bytes = static_cast<SIZE_T>(count) * recordSize;
  if (!saved || GlobalSize(const_cast<void*>(saved)) < bytes) return false;
  return std::memcmp(saved, records, bytes) == 0;
}


// The list value into block; false when it is missing, longer than the block or shorter
// than the count says (the records past its end would not be the printer's).
bool ReadWholeList(HANDLE printer, void* block, DWORD bytes, const WCHAR* name) {
  DWORD type = 0, got = 0;
  return GetPrinterDataW(printer, const_cast<LPWSTR>(name), &type, static_cast<LPBYTE>(block), bytes, &got) ==
             ERROR_SUCCESS &&
         got == bytes;
}

int LoadFontList(HANDLE printer, DriverContext* context, const ListKind& kind, int (*save)(HANDLE, DriverContext*, DWORD)) {
  if (!context || !context->settings) return 0;
  FontBlockScope scope(context);
  WriteFieldRawById(context, kind.countField, 0);
  WriteFieldRawById(context, kind.listField, 0);
  WORD count = 0;
  if (!ReadCount(printer, kind.countName, &count)) {
    // No stored list: the model's own list is stored first; a model without one (or a
    // list that could not be stored) leaves the context without a list.
    if (save(printer, context, kFontSaveModel) == 0 || !ReadCount(printer, kind.countName, &count)) return 1;
  }
  void* block = nullptr;
  if (count > 0) {
    const DWORD bytes = static_cast<DWORD>(count) * sizeof(FontListRecord);
    block = AllocMem(bytes);
    if (block && ReadWholeList(printer, block, bytes, kind.listName) &&
        StoreList(context, kind.countField, kind.listField, block, count))
      return 1;
  }
  FreeMem(block);
  return 0;
}

int SaveFontList(HANDLE printer, DriverContext* context, DWORD flags, const ListKind& kind) {
  if (!context || !context->settings) return 0;
  FontListRecord* exported = nullptr;
  const void* records = nullptr;
  int count = 0;
  if (flags & kFontSaveModel) {
    DWORD n = 0;
    exported = kind.exportList(context, &n);
    records = exported;
    count = exported && n <= 0x7FFF ? static_cast<int>(n) : 0;
  } else {
    records = ContextList(context, kind.countField, kind.listField, sizeof(FontListRecord), &count);
  }
  // An empty list is nothing to save, which is no failure.
  int result = count == 0 ? 1 : 0;
  if (records && count > 0) {
    result = 1;
    if (!((flags & kFontSaveIfChanged) &&
          SnapshotHolds(context, kind.countField, kind.listField, records, count, sizeof(FontListRecord)))) {
      const WORD n = static_cast<WORD>(count);
      if (!SetPrinterDataBinary(printer, &n, sizeof n, kind.countName, 0) ||
          !SetPrinterDataBinary(printer, records, static_cast<DWORD>(count) * sizeof(FontListRecord),
                                kind.listName, 0))
        result = 0;
    }
  }
  FreeMem(exported);
  return result;
}

// Loads count rows of the chunk values into a new block stored in 10004/10005; 1 done
// (or a count of 0), 0 when the rows could not be read.
int LoadTableRows(HANDLE printer, DriverContext* context, WORD count, DWORD flags) {
  if (count == 0) return 1;
  auto* rows = static_cast<FontSubstitutionRecord*>(AllocMem(static_cast<DWORD>(count) * sizeof(FontSubstitutionRecord)));
  if (rows && ReadFontTableChunks(printer, rows, count, flags) == 0 &&
      StoreList(context, fid::kdmFontTableNum, fid::kdmFontTable, rows, count))
    return 1;
  FreeMem(rows);
  return 0;
}

}  // namespace

const void* ContextList(DriverContext* context, WORD countField, WORD listField, DWORD recordSize, int* count) {
  *count = 0;
  const short declared = FieldCount(context, countField);
  void* block = GetFieldBlockById(context, listField);
  if (declared <= 0 || !block || recordSize == 0) return nullptr;
  const SIZE_T fits = GlobalSize(block) / recordSize;
  *count = static_cast<SIZE_T>(declared) < fits ? declared : static_cast<int>(fits);
  return block;
}

FontBlockScope::FontBlockScope(DriverContext* context) : context_(context) {
  CollectContextHandles(context_, &before_);
}

FontBlockScope::~FontBlockScope() {
  ContextHandleSet after;
  CollectContextHandles(context_, &after);
  ReleaseDroppedHandles(before_, after);
}

int LoadDeviceFontList(HANDLE printer, DriverContext* context) {
  return LoadFontList(printer, context, kDeviceFonts, SaveDeviceFontList);
}

int LoadOptionFontList(HANDLE printer, DriverContext* context) {
  return LoadFontList(printer, context, kOptionFonts, SaveOptionFontList);
}

int LoadFontTables(HANDLE printer, DriverContext* context) {
  if (!context || !context->settings) return 0;
  FontBlockScope scope(context);
  WriteFieldRawById(context, fid::kdmFontTableNum, 0);
  WriteFieldRawById(context, fid::kdmFontTable, 0);
  WORD count = 0;
  if (!ReadCount(printer, u"FontTableNum", &count)) {
    if (SaveFontTables(printer, context, kFontSaveModel) == 0) return 1;
    ReadCount(printer, u"FontTableNum", &count);
  }
  return LoadTableRows(printer, context, count, 0);
}

int ReloadDefaultFontTables(HANDLE printer, DriverContext* context) {
  if (!context || !context->settings) return 0;
  FontBlockScope scope(context);
  WriteFieldRawById(context, fid::kdmFontTable, 0);
  WriteFieldRawById(context, fid::kdmFontTableNum, 0);
  WORD count = 0;
  if (!ReadCount(printer, kDefaultNames.count, &count)) return 1;
  return LoadTableRows(printer, context, count, kFontSaveDefault);
}

int SaveDeviceFontList(HANDLE printer, DriverContext* context, DWORD flags) {
  return SaveFontList(printer, context, flags, kDeviceFonts);
}

int SaveOptionFontList(HANDLE printer, DriverContext* context, DWORD flags) {
  return SaveFontList(printer, context, flags, kOptionFonts);
}

int SaveFontTables(HANDLE printer, DriverContext* context, DWORD flags) {
  if (!context || !context->settings) return 0;
  FontSubstitutionRecord* exported = nullptr;
  const FontSubstitutionRecord* rows = nullptr;
  int count = 0;
  if (flags & kFontSaveModel) {
    DWORD n = 0;
    exported = ExportFontSubstitutionTable(context, &n);
    if (!exported) return 1;
    rows = exported;
    count = n <= 0x7FFF ? static_cast<int>(n) : 0;
  } else {
    rows = static_cast<const FontSubstitutionRecord*>(
        ContextList(context, fid::kdmFontTableNum, fid::kdmFontTable, sizeof(FontSubstitutionRecord), &count));
  }
  // An empty table is stored as empty (its chunks deleted, its counts 0).
  static const FontSubstitutionRecord kNoRows[1] = {};
  if (!rows && count == 0) rows = kNoRows;
  int result = 0;
  if (flags & kFontSaveDefault) {
    const WORD n = static_cast<WORD>(count);
    result = SetPrinterDataBinary(printer, &n, sizeof n, kDefaultNames.count, 0) &&
             TransferFontTables(printer, rows, count, kFontSaveDefault);
  } else if ((flags & kFontSaveIfChanged) && count > 0 &&
             SnapshotHolds(context, fid::kdmFontTableNum, fid::kdmFontTable, rows, count,
                           sizeof(FontSubstitutionRecord))) {
    result = 1;
  } else {
    const WORD n = static_cast<WORD>(count);
    result = SetPrinterDataBinary(printer, &n, sizeof n, u"FontTableNum", 0) &&
             TransferFontTables(printer, rows, count, 0);
  }
  FreeMem(exported);
  return result;
}

int TransferFontTables(HANDLE printer, const FontSubstitutionRecord* rows, int count, DWORD flags) {
  if (!rows || count < 0) return 0;
  const TableNames& names = (flags & kFontSaveDefault) ? kDefaultNames : kCurrentNames;
  // The settings API writes over the previous chunks without deleting them first.
  if (!(flags & kFontSaveDefault) && !IsSettingsApiBuild()) DeleteFontTableChunks(printer);
  int result = 1;
  for (int i = 1; i <= count; ++i) {
    const FontSubstitutionRecord& row = rows[i - 1];
    if (!SetPrinterDataBinary(printer, row.trueTypeName, kChunkBytes, ChunkName(names.trueType, i).c_str(), 0))
      result = 0;
    if (!SetPrinterDataBinary(printer, row.deviceFontName, kChunkBytes, ChunkName(names.device, i).c_str(), 0))
      result = 0;
  }
  const WORD n = static_cast<WORD>(count);
  if (!SetPrinterDataBinary(printer, &n, sizeof n, names.count, 0)) result = 0;
  return result;
}

DWORD ReadFontTableChunks(HANDLE printer, FontSubstitutionRecord* rows, int count, DWORD flags) {
  if (!rows) return ERROR_NOT_ENOUGH_MEMORY;
  const TableNames& names = (flags & kFontSaveDefault) ? kDefaultNames : kCurrentNames;
  DWORD error = 0;
  for (int i = 1; i <= count; ++i) {
    FontSubstitutionRecord& row = rows[i - 1];
    DWORD type = 0, needed = 0;
    const std::u16string tt = ChunkName(names.trueType, i), dev = ChunkName(names.device, i);
    DWORD e1 = GetPrinterDataW(printer, const_cast<LPWSTR>(tt.c_str()), &type,
                               reinterpret_cast<LPBYTE>(row.trueTypeName), kChunkBytes, &needed);
    DWORD e2 = GetPrinterDataW(printer, const_cast<LPWSTR>(dev.c_str()), &type,
                               reinterpret_cast<LPBYTE>(row.deviceFontName), kChunkBytes, &needed);
    if (e1 != ERROR_SUCCESS || e2 != ERROR_SUCCESS) {
      error = e1 != ERROR_SUCCESS ? e1 : e2;
      row.trueTypeName[0] = 0;
      row.deviceFontName[0] = 0;
    }
    // A chunk shorter than 64 bytes still ends its name.
    row.trueTypeName[31] = 0;
    row.deviceFontName[31] = 0;
  }
  return error;
}

void DeleteFontTableChunks(HANDLE printer) {
  WORD last = 0;
  if (!ReadCount(printer, kCurrentNames.count, &last)) return;
  for (int i = 1; i <= last; ++i) {
    DeletePrinterDataW(printer, const_cast<LPWSTR>(ChunkName(kCurrentNames.trueType, i).c_str()));
    DeletePrinterDataW(printer, const_cast<LPWSTR>(ChunkName(kCurrentNames.device, i).c_str()));
  }
}

int SaveFontListsIfChanged(HANDLE printer, DriverContext* context) {
  const int devices = SaveDeviceFontList(printer, context, kFontSaveIfChanged);
  const int options = SaveOptionFontList(printer, context, kFontSaveIfChanged);
  const int table = SaveFontTables(printer, context, kFontSaveIfChanged);
  return devices && options && table ? 1 : 0;
}

int SaveModelFontLists(HANDLE printer, DriverContext* context) {
  const int devices = SaveDeviceFontList(printer, context, kFontSaveModel);
  const int options = SaveOptionFontList(printer, context, kFontSaveModel);
  const int table = SaveFontTables(printer, context, kFontSaveModel);
  return devices && options && table ? 1 : 0;
}

int InitDefaultFontTables(HANDLE printer, DriverContext* context) {
  WORD count = 0;
  if (ReadCount(printer, kDefaultNames.count, &count)) return 1;
  return SaveFontTables(printer, context, kFontSaveDefault | kFontSaveModel);
}

void FreeDeviceSettingsBuffers(DriverContext* context) {
  if (!context || !context->settings) return;
  for (WORD id : {fid::kdmDeviceFont, fid::kdmOptionFont, fid::kdmFontTable}) FreeFieldBlock(context, id);
}

int LoadFontLists(HANDLE printer, DriverContext* context) {
  const int devices = LoadDeviceFontList(printer, context);
  const int options = LoadOptionFontList(printer, context);
  const int tables = LoadFontTables(printer, context);
  return devices && options && tables ? 1 : 0;
}
