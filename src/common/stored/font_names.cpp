#include "stored/font_names.h"

#include "base/driver_context.h"
#include "fields/field_access.h"
#include "fields/field_handles.h"
#include "base/paths_and_names.h"
#include "field_ids.h"
#include "base/memory.h"
#include "model/option_lookup.h"
#include "stored/font_lists.h"
#include "win/kernel.h"

namespace {

constexpr int kFaceChars = 32;

// The context's list of the record type, bounded by its block.
template <typename Record>
int ListCount(DriverContext* context, WORD countField, WORD listField, const Record** records) {
  int count = 0;
  *records = static_cast<const Record*>(ContextList(context, countField, listField, sizeof(Record), &count));
  return count;
}

void CopyFace(const WCHAR* source, WCHAR* destination) {
  int i = 0;
  if (source)
    for (; i < kFaceChars - 1 && source[i]; ++i) destination[i] = source[i];
  destination[i] = 0;
}

bool SameFace(const WCHAR* a, const WCHAR* b) {
  for (int i = 0; i < kFaceChars; ++i) {
    if (a[i] != b[i]) return false;
    if (a[i] == 0) return true;
  }
  return true;
}

}  // namespace

int GetDeviceFontCount(DriverContext* context) {
  if (!context || !context->settings) return 0;
  const auto devices = static_cast<short>(ReadFieldRawById(context, fid::kdmDeviceFontNum) & 0xFFFF);
  const auto options = static_cast<short>(ReadFieldRawById(context, fid::kdmOptionFontNum) & 0xFFFF);
  return devices + options;
}

void GetDeviceFontName(DriverContext* context, int n, WCHAR* destination) {
  if (!destination) return;
  destination[0] = 0;
  if (!context || !context->settings || n < 0) return;
  const FontListRecord* devices = nullptr;
  const int deviceCount = ListCount(context, fid::kdmDeviceFontNum, fid::kdmDeviceFont, &devices);
  if (n < deviceCount) return CopyFace(devices[n].name, destination);
  // Option fonts count on from the number of device fonts the count field names.
  const auto declared = static_cast<short>(ReadFieldRawById(context, fid::kdmDeviceFontNum) & 0xFFFF);
  const int k = n - (declared > 0 ? declared : 0);
  if (k < 0) return;
  const FontListRecord* options = nullptr;
  const int optionCount = ListCount(context, fid::kdmOptionFontNum, fid::kdmOptionFont, &options);
  if (k < optionCount) CopyFace(options[k].name, destination);
}

void FindSubstituteFont(DriverContext* context, const WCHAR* face, WCHAR* destination) {
  if (!destination) return;
  destination[0] = 0;
  if (!context || !context->settings) return;
  if (face) {
    const FontSubstitutionRecord* rows = nullptr;
    const int count = ListCount(context, fid::kdmFontTableNum, fid::kdmFontTable, &rows);
    for (int i = 0; i < count; ++i)
      if (SameFace(rows[i].trueTypeName, face)) return CopyFace(rows[i].deviceFontName, destination);
  }
  GetDeviceFontName(context, 0, destination);
}

void GetDefaultFontName(DriverContext* context, WCHAR* destination) {
  if (!destination) return;
  CopyFace(IsJapaneseResourceDll(context) ? u"ＭＳ Ｐゴシック" : u"Arial", destination);
}

void SetFontTable(DriverContext* context, int count, FontSubstitutionRecord* table) {
  if (!context || !context->settings || !context->work) {
    FreeMem(table);
    return;
  }
  WorkArea* work = context->work;
  FontBlockScope scope(context);
  if (work->savedFontTable == 0) {
    work->savedFontTable = ReadFieldRawById(context, fid::kdmFontTable);
    work->savedFontTableCount = static_cast<short>(ReadFieldRawById(context, fid::kdmFontTableNum) & 0xFFFF);
    WriteFieldRawById(context, fid::kdmFontTable, 0);
    WriteFieldRawById(context, fid::kdmFontTableNum, 0);
  }
  if (!table) {
    LoadFontTables(context->hPrinter, context);
    return;
  }
  WriteFieldRawById(context, fid::kdmFontTable, 0);
  WriteFieldRawById(context, fid::kdmFontTableNum, 0);
  // A count the block cannot hold, or a full handle table, leaves the settings without a table.
  if (count <= 0 || count > 0x7FFF || GlobalSize(table) < static_cast<SIZE_T>(count) * sizeof(FontSubstitutionRecord) ||
      !SetFieldBlockById(context, fid::kdmFontTable, table)) {
    FreeMem(table);
    return;
  }
  WriteFieldRawById(context, fid::kdmFontTableNum, static_cast<DWORD>(count));
}
