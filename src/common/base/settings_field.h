// The settings field record: one numbered setting of the driver, in its built-in form and
// in the per-context form that every lookup and access works on.
#pragma once

#include <cstdint>

#include "win/types.h"

// {stored value, value id}; a map ends at the first pair whose value id is 0.
struct ValueMapEntry {
  DWORD stored;
  DWORD valueId;
};

// Value id of a stored value that the model does not offer.
constexpr DWORD VALUE_NOT_OFFERED = 0xFFFF;

// Type word: bits 0-15 size, bits 24-29 value type code, bits 30-31 area.
constexpr DWORD FieldSizeOf(DWORD type) { return type & 0xFFFFu; }
constexpr DWORD FieldCodeOf(DWORD type) { return (type >> 24) & 0x3Fu; }
constexpr DWORD FieldAreaOf(DWORD type) { return type >> 30; }
constexpr DWORD MakeFieldType(DWORD size, DWORD code, DWORD area) {
  return (size & 0xFFFFu) | ((code & 0x3Fu) << 24) | (area << 30);
}

// Value type codes.
constexpr DWORD FT_S8 = 1;
constexpr DWORD FT_S16 = 2;
constexpr DWORD FT_S32 = 3;
constexpr DWORD FT_U8 = 4;
constexpr DWORD FT_U16 = 5;
constexpr DWORD FT_U32 = 6;
constexpr DWORD FT_ANSI_TEXT = 10;
constexpr DWORD FT_WIDE_TEXT = 11;
constexpr DWORD FT_FIRST_BIT = 16;  // 16 + bit number, up to 47
constexpr DWORD FT_LAST_BIT = 47;
constexpr bool IsBitFieldCode(DWORD code) { return code >= FT_FIRST_BIT && code <= FT_LAST_BIT; }
constexpr bool IsTextFieldCode(DWORD code) { return code == FT_ANSI_TEXT || code == FT_WIDE_TEXT; }
constexpr bool IsNumberFieldCode(DWORD code) { return code >= FT_S8 && code <= FT_U32; }

// Store kinds.
constexpr WORD STORE_NONE = 0;
constexpr WORD STORE_PRINTER_DATA = 1;
constexpr WORD STORE_INI = 2;

// Marks: five 2-bit marks; mark 0 is the changed mark.
constexpr WORD MarkOf(WORD marks, int n) { return static_cast<WORD>((marks >> (2 * n)) & 3u); }
constexpr WORD FIELD_MARK_CHANGED_MASK = 0x3;

// Run-time flags of the per-context form.
constexpr DWORD FRF_USER_UNITS = 0x80000000u;    // a length shown in the user's unit
constexpr DWORD FRF_CHANGE_FLAG_MASK = 0x11F0000u;  // raised in the change-flag word on write

// Built-in (static) form: one row of the shared dictionary's field table.
struct SettingFieldDef {
  WORD id;
  WORD itemId;
  DWORD type;
  WORD offset;
  WORD storeKind;
  const WCHAR* section;
  const WCHAR* key;
  const ValueMapEntry* valueMap;
  WORD handling;
  WORD marks;
  const WCHAR* name;
};

// Per-context side record, allocated per field.
struct FieldSideRecord {
  const ValueMapEntry* valueMap;
  const WCHAR* name;
};

// Per-context form: made from the built-in row; storeKind and key change when the
// device-settings store switches a field to INI storage.
struct SettingField {
  WORD id;
  WORD itemId;
  DWORD type;
  WORD offset;
  WORD storeKind;
  const WCHAR* section;
  const WCHAR* key;
  WORD handling;
  WORD marks;
  FieldSideRecord* side;
  DWORD runtimeFlags;
};

// A context's field table: {count, records}.
struct FieldTable {
  std::int16_t count;
  SettingField* records;
};
