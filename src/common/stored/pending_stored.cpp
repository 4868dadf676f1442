#include "stored/pending_stored.h"

#include <cstdio>

#include "context/driver_context.h"
#include "context/field_access.h"
#include "context/field_table.h"
#include "context/ini_files.h"
#include "context/memory.h"
#include "model/model_parse.h"
#include "model/option_lookup.h"
#include "stored/ini_text.h"

namespace {

// Characters of a number's text, with its NUL.
constexpr WORD kNumberChars = 16;

bool IsDrivePath(const WCHAR* path) { return path && path[0] && path[1] == u':'; }

// Leading blanks, an optional sign, decimal digits; wraps at 32 bits.
DWORD ParseDecimal(const WCHAR* text) {
  while (*text == u' ' || *text == u'\t') ++text;
  bool negative = false;
  if (*text == u'-' || *text == u'+') negative = *text++ == u'-';
  DWORD value = 0;
  for (; *text >= u'0' && *text <= u'9'; ++text) value = value * 10u + static_cast<DWORD>(*text - u'0');
  return negative ? 0u - value : value;
}

DWORD ReadText(const SettingField* field, const WCHAR* path, const char* memorySection, LONG* cursor,
               const WCHAR* defaultValue, WCHAR* buffer, WORD capacity) {
  if (memorySection)
    return ReadIniStringFromMemory(field->key, defaultValue, buffer, capacity, memorySection, cursor);
  return ReadIniString(field->section, field->key, defaultValue, buffer, capacity, path);
}

thread_local DWORD lastWarning = 0;

}  // namespace

bool IsEmptyValueSignificantField(WORD id) { return id == 524 || id == 1112; }

int ReadFeatureFromIni(DriverContext* context, SettingField* field, const WCHAR* iniPath, const char* memorySection,
                       LONG* cursor) {
  if (!context || !field || !field->key || !field->key[0]) return 0;
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
      const DWORD length =
          ReadText(field, iniPath, memorySection, cursor, stars ? stars : u"", buffer, static_cast<WORD>(capacity));
      bool take = length > 0;
      if (significant) {
        take = true;
        DWORD i = 0;
        while (buffer[i] && buffer[i] == stars[i]) ++i;
        if (buffer[i] == 0 && stars[i] == 0) take = false;  // the default came back: no key
      }
      if (take) stored = SetFieldString(context, field, buffer) != nullptr;
    }
    FreeMem(stars);
    FreeMem(buffer);
    return stored;
  }
  if (!IsNumberFieldCode(code) && !IsBitFieldCode(code)) return 0;
  WCHAR text[kNumberChars] = {};
  if (ReadText(field, iniPath, memorySection, cursor, u"", text, kNumberChars) == 0) return 0;
  DWORD value = ParseDecimal(text);
  switch (code) {
    case FT_S8:
    case FT_U8:
      value &= 0xFFu;
      break;
    case FT_S16:
    case FT_U16:
      value &= 0xFFFFu;
      break;
    default:
      if (IsBitFieldCode(code)) {
        if (size == 1) value &= 0xFFu;
        if (size == 2) value &= 0xFFFFu;
      }
      break;
  }
  WriteFieldRaw(context, field, value);
  return 1;
}

int WriteFeatureToIni(HANDLE, DriverContext* context, SettingField* field, const WCHAR* iniPath, char* buffer,
                      LONG* offset) {
  if (!context || !field || !field->key || !field->key[0]) return 0;
  if (!buffer && !IsDrivePath(iniPath)) return 0;
  const DWORD code = FieldCodeOf(field->type);
  const DWORD size = FieldSizeOf(field->type);
  WCHAR number[kNumberChars] = {};
  WCHAR* text = number;
  WCHAR* block = nullptr;
  if (IsTextFieldCode(code)) {
    block = static_cast<WCHAR*>(AllocMem((size + 1) * sizeof(WCHAR)));
    if (!block) return 0;
    if (!GetFieldString(context, field, block, size + 1)) block[0] = 0;
    text = block;
  } else if (IsNumberFieldCode(code) || IsBitFieldCode(code)) {
    const DWORD raw = ReadFieldRaw(context, field);
    char ansi[kNumberChars] = {};
    if (code == FT_U8 || code == FT_U16 || code == FT_U32)
      std::snprintf(ansi, sizeof ansi, "%u", static_cast<unsigned>(raw));
    else
      std::snprintf(ansi, sizeof ansi, "%d", static_cast<int>(static_cast<std::int32_t>(raw)));
    for (int i = 0; ansi[i]; ++i) number[i] = static_cast<WCHAR>(ansi[i]);
  } else {
    return 0;
  }
  const BOOL done = buffer ? AppendIniLine(offset, field->key, text, buffer)
                           : WriteIniString(field->section, field->key, text, iniPath);
  FreeMem(block);
  return done ? 1 : 0;
}

int WriteFeatureToPrinterData(HANDLE, DriverContext* context, SettingField* field) {
  return context && field ? 1 : 0;
}

int CheckFeature38Lock(DriverContext* context) {
  const WORD type = GetOptionType(38, context);
  if (type & kTypeNumeric) return ReadFieldRawById(context, 38) == 0 ? -1 : 1;
  if (type & kTypePickOne) return GetOptionItemCount(38, context) > 0 ? 0 : -1;
  return -1;
}

BOOL CanWriteBidiPrinterData(DriverContext* context) { return context ? TRUE : FALSE; }

int ShowWarningWithText(DriverContext*, void*, DWORD messageId, const WCHAR*) {
  lastWarning = messageId;
  return 1;
}

DWORD LastSettingsWarning(bool clear) {
  const DWORD id = lastWarning;
  if (clear) lastWarning = 0;
  return id;
}
