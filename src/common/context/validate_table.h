// The validate-or-default table: a handler and a default for the device-mode fields from
// id 35 on, for the fields that the model description does not describe.
#pragma once

#include <cstdint>

#include "win/types.h"

struct DriverContext;

// What a row's handler does with a field the model does not describe.
enum class VodHandler : DWORD {
  None = 0,           // nothing in either mode
  ValueList,          // mode 2 keeps a value of the field's value set
  ValueListQuality,   // value list; the default is dmPrintQuality when valid, else the product's
  ValueListProduct,   // value list; the default is a product record byte
  Range,              // mode 2 keeps a value inside the row's range
  MachineId,          // kept when it is the product's machine id
  LanguageId,         // kept when it is a known language; default a product record byte
  DisplayLanguageId,  // as LanguageId in mode 2; mode 1 copies kdmLanguageID
  KeepAny,            // mode 2 keeps every value
  Reset,              // both modes write the default
  ResetCommandVersion,  // both modes write the product's command-language version
  Nothing,            // a handler that does nothing in either mode
};

// One row: field id, handler kind, default (written through WriteFieldRaw, so only the
// field's width of it is kept).
struct ValidateOrDefaultRow {
  DWORD fieldId;
  VodHandler handler;
  std::int32_t defaultValue;
};
static_assert(sizeof(ValidateOrDefaultRow) == 12, "ValidateOrDefaultRow is 12 bytes");

constexpr DWORD kValidateOrDefaultRows = 600;
// Rows 0-580 hold ids 35-615; rows 581-599 ids 647 and 679-696.
constexpr WORD kVodFirstId = 35;
constexpr WORD kVodLastDenseId = 615;
// The pass visits ids 35 to 634.
constexpr WORD kVodLastVisitedId = 634;

// Validation modes.
constexpr DWORD VOD_DEFAULTS = 1;
constexpr DWORD VOD_VALIDATE = 2;

const ValidateOrDefaultRow* GetValidateOrDefaultTable();
// The row of a field id, or null.
const ValidateOrDefaultRow* FindValidateOrDefaultRow(DWORD fieldId);

// Walks the fields 35-634 in id order: each is checked against the model (and corrected
// there); one the model does not describe goes to its row's handler. Mode 2 validates,
// any other mode writes the defaults.
void ValidateOrDefaultAll(DriverContext* context, DWORD mode);
// The handler of one row on the field's raw value (what the pass does for status 2).
void RunValidateOrDefaultRow(DriverContext* context, const ValidateOrDefaultRow& row, DWORD raw, DWORD mode);
