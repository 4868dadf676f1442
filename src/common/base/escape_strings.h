// The record of the display-string table the printer interface DLL hands the rendering
// DLL with private escape 122 at document start. Both sides use the same layout; a row
// whose field id is 0 ends a table.
#pragma once

#include <cstddef>
#include <cstdint>

#include "win/types.h"

#pragma pack(push, 1)
struct EscapeStringRecord {
  std::uint16_t fieldId;   // the row's key; 0 ends the table
  std::uint16_t stringId;  // the text's id in the string DLL
  WCHAR text[261];         // NUL-terminated within the record (at most 260 characters)
};
#pragma pack(pop)

static_assert(sizeof(EscapeStringRecord) == 526);
static_assert(offsetof(EscapeStringRecord, stringId) == 2);
static_assert(offsetof(EscapeStringRecord, text) == 4);
