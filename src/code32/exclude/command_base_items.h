// The PJL items of a command base: the item table of the context's model, the lookups by
// name and by field, the model option behind an item, the conditions that gate items and
// values, and numbers of a model option with their scaling.
#pragma once

#include <cstdint>

#include "model/model_image.h"
#include "model/printer_option_table.h"
#include "win/types.h"

struct DriverContext;
class PjlText;

using PjlItem = PrinterOptionRecord;
using PjlValue = PrinterOptionValue;

// Usage bits.
constexpr DWORD kPjlCommand = 0x1;
constexpr DWORD kPjlOptionList = 0x2;
constexpr DWORD kPjlValueQuery = 0x4;
// Source flags.
constexpr DWORD kPjlFromTable = 0x1;
constexpr DWORD kPjlFromModel = 0x2;
constexpr DWORD kPjlSpecial = 0x10000;
constexpr DWORD kPjlForceFeed = 0x100;
constexpr DWORD kPjlBinding = 0x800;
constexpr DWORD kPjlBooklet = 0x1000;
// Kinds (and the formats of FormatOptionValue).
constexpr DWORD kPjlKindOption = 0x1;
constexpr DWORD kPjlKindBoolean = 0x4;
constexpr DWORD kPjlKindNumber = 0x8;
constexpr DWORD kPjlKindText = 0x10;

// Field ids of the command base.
constexpr DWORD kPjlBookletField = 724;  // held only in a handle's slots
constexpr DWORD kPjlLastSettingsField = 722;
constexpr DWORD kPjlSlotCount = 724;

inline bool IsForceFeedItem(const PjlItem* item) {
  return (item->typeBits & (kPjlSpecial | kPjlForceFeed)) == (kPjlSpecial | kPjlForceFeed);
}
inline bool IsBindingItem(const PjlItem* item) {
  return (item->typeBits & (kPjlSpecial | kPjlBinding)) == (kPjlSpecial | kPjlBinding);
}
inline bool IsBookletItem(const PjlItem* item) {
  return (item->typeBits & (kPjlSpecial | kPjlBooklet)) == (kPjlSpecial | kPjlBooklet);
}
inline bool IsModelOptionItem(const PjlItem* item) {
  return !IsForceFeedItem(item) && (item->typeBits & kPjlFromModel) != 0;
}
inline bool IsValueTableItem(const PjlItem* item) {
  return !IsForceFeedItem(item) && (item->typeBits & kPjlFromTable) != 0 && item->values != nullptr;
}

// The first item of the context's table with that name; it is answered when its usage has a
// bit of the mask and, for an option-list item with capability conditions, they hold.
const PjlItem* FindPjlItem(DriverContext* context, const char* name, DWORD usageMask);
// The first item of the field with a usage bit of the mask.
const PjlItem* FindPjlItemById(DWORD fieldId, DWORD usageMask, DriverContext* context);

// The condition that gates an item's value query or value list (USERCODE, PAPERSCALEH,
// PAPERSCALEW); 1 for the others.
int ItemConditionHolds(DriverContext* context, const PjlItem* item);
// Never for an alias without condition; otherwise the value's condition list.
int IsPjlValueAllowed(DriverContext* context, const PjlItem* item, const PjlValue* value);

// The model option of the field: among the options of that feature, the first with that
// instance and command texts, else the last with that instance, else the first of the
// feature; none without one.
ImageRef FindPjlOption(DriverContext* context, DWORD fieldId, DWORD instance);
// The option's first or second command text ("" when it has none).
const char* PjlOptionCommand(ImageRef option, int second);

// The numbers of a Numeric option's value record.
struct PjlNumbers {
  bool present = false;
  std::int32_t minimum = 0;
  std::int32_t maximum = 0;
  std::int32_t sixth = 0;
  std::int32_t multiplier = 0;  // m, the seventh number
  std::int32_t divisor = 0;     // d, the eighth number
};
PjlNumbers ReadPjlNumbers(ImageRef option);

// The settings value of PJL text t: t x d x 1200 / (m x r) for a length (r the destination
// resolution), else t x d / m, computed in 64 bits; a nonzero value that scales to 0 is 1.
// False (nothing to apply) for a text that is no number within 32 bits, a zero divisor or a
// result outside 32 bits. Without a number record the number is taken as it is.
bool ScalePjlNumberIn(DriverContext* context, ImageRef option, const char* text, std::int32_t* value);
// The PJL number of settings value v: v x m x r / (d x 1200) for a length, else v x m / d;
// 0 without a number record, for a zero divisor or a result outside 32 bits.
std::int32_t ScalePjlNumberOut(DriverContext* context, ImageRef option, std::int32_t value);

// Appends the value of a model option by kind: 1 the name of the option item whose value id
// equals the value, 4 the "on" or "off" text, 8 the scaled number in decimal, 0x10 the text
// of the field in double quotes. False when nothing was appended (or memory ran out).
bool FormatOptionValue(PjlText& out, DriverContext* context, ImageRef option, DWORD fieldId, DWORD value,
                       DWORD kind);

// The value id of the option item whose name is text, 0 when none.
DWORD FindOptionItemByName(ImageRef option, const char* text);
