#include "stored/custom_media.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "base/driver_context.h"
#include "fields/field_access.h"
#include "fields/field_table.h"
#include "base/memory.h"
#include "base/printer_data.h"
#include "base/settings_field.h"
#include "field_ids.h"

namespace {

constexpr DWORD kNameBytes = 257;

// How many records the stored list holds: wdmCustomMediaMaxNum, never more than 16.
int RecordCount(DriverContext* context) {
  const auto max = static_cast<short>(ReadFieldRawById(context, fid::wdmCustomMediaMaxNum) & 0xFFFF);
  return std::clamp<int>(max, 0, kCustomMediaRows);
}

void NameToRecord(DriverContext* context, int n, char* name) {
  SettingField* field = FindFieldById(context, CustomMediaNameField(n));
  const BYTE* text = field ? GetFieldAddress(context, field) : nullptr;
  if (!text) return;
  const DWORD size = std::min<DWORD>(FieldSizeOf(field->type), kNameBytes - 1);
  std::memcpy(name, text, size);
  name[size] = 0;
}

void NameToField(DriverContext* context, int n, const char* name) {
  SettingField* field = FindFieldById(context, CustomMediaNameField(n));
  if (!field) return;
  // WriteFieldBlock copies the whole field; the name is cut to end inside it.
  const DWORD size = FieldSizeOf(field->type);
  std::vector<char> text(std::max<DWORD>(size, kNameBytes), 0);
  std::memcpy(text.data(), name, kNameBytes - 1);
  if (size > 0) text[std::min<DWORD>(size, kNameBytes) - 1] = 0;
  WriteFieldBlock(context, field, text.data());
}

}  // namespace

WORD CustomMediaQualityField(int n) { return static_cast<WORD>(fid::wdmCustomMedia1Quot + n - 1); }
WORD CustomMediaNameField(int n) { return static_cast<WORD>(fid::wdmCustomMedia1Name + n - 1); }
WORD CustomMediaCharSetField(int n) { return static_cast<WORD>(fid::wdmMedia1NameCharSet + n - 1); }

void ResetCustomMediaFeatures(DriverContext* context) {
  if (!context || !context->settings) return;
  WriteFieldRawById(context, fid::wdmCustomMediaDataNum, ReadFieldRawById(context, fid::wdmCustomMediaMaxNum));
  for (int n = 1; n <= kCustomMediaRows; ++n) {
    WriteFieldRawById(context, CustomMediaQualityField(n), 1);
    WriteFieldRawById(context, CustomMediaNameField(n), 0);
    WriteFieldRawById(context, CustomMediaCharSetField(n), 0);
  }
}

int SaveCustomMedia(HANDLE printer, DriverContext* context) {
  if (!context || !context->settings) return 0;
  const int count = RecordCount(context);
  if (count == 0) return 0;
  std::vector<CustomMediaRecord> records(static_cast<std::size_t>(count));
  for (int n = 1; n <= count; ++n) {
    CustomMediaRecord& r = records[static_cast<std::size_t>(n - 1)];
    std::memset(&r, 0, sizeof r);
    r.quality = ReadFieldRawById(context, CustomMediaQualityField(n));
    r.charSet = ReadFieldRawById(context, CustomMediaCharSetField(n));
    NameToRecord(context, n, r.name);
  }
  const WORD inUse = static_cast<WORD>(ReadFieldRawById(context, fid::wdmCustomMediaDataNum));
  if (!SetPrinterDataBinary(printer, &inUse, sizeof inUse, u"CustomMediaDataNum", 0)) return 0;
  return SetPrinterDataBinary(printer, records.data(), static_cast<DWORD>(count) * sizeof(CustomMediaRecord),
                              u"CustomMediaData", 0)
             ? 1
             : 0;
}

int LoadCustomMedia(HANDLE printer, DriverContext* context) {
  if (!context || !context->settings) return 0;
  ResetCustomMediaFeatures(context);
  WORD count = 0;
  if (!GetPrinterDataValue(printer, &count, sizeof count, u"CustomMediaDataNum", 0) || count == 0) return 0;
  const int capacity = RecordCount(context);
  if (capacity == 0) return 0;
  // A stored list shorter than the buffer leaves the rest of it zero.
  std::vector<CustomMediaRecord> records(static_cast<std::size_t>(capacity));
  std::memset(records.data(), 0, records.size() * sizeof(CustomMediaRecord));
  if (!GetPrinterDataValue(printer, records.data(), static_cast<DWORD>(capacity) * sizeof(CustomMediaRecord),
                           u"CustomMediaData", 0))
    return 0;
  WriteFieldRawById(context, fid::wdmCustomMediaDataNum, count);
  const int apply = std::min<int>(count, capacity);
  for (int n = 1; n <= apply; ++n) {
    CustomMediaRecord& r = records[static_cast<std::size_t>(n - 1)];
    r.name[kNameBytes - 1] = 0;
    SetFieldValueById(context, CustomMediaQualityField(n), r.quality);
    SetFieldValueById(context, CustomMediaCharSetField(n), r.charSet);
    NameToField(context, n, r.name);
  }
  return 1;
}
