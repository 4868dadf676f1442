// Texts the command base gives out besides the base itself: the values an item may take,
// the current value of a printer value, the watermarks as PJL blocks, and the allowed value
// names of an item for the status items.
#pragma once

#include <cstdint>

#include "command_base_items.h"
#include "win/types.h"

struct DriverContext;
struct ExcBaseRecord;
class PjlText;

// The item's value names, each with its NUL, and one more NUL when anything was listed.
// With onlySettable only the values that would change nothing else in the base. False when
// memory ran out.
bool ListItemValues(ExcBaseRecord* handle, const PjlItem* item, int onlySettable, PjlText& out);

// The current value of a value item as text into the buffer when it fits (NUL included).
// Answers the length needed with the NUL; 0 when the item's condition does not hold or no
// value can be written.
std::int32_t FormatPrinterValue(const PjlItem* item, DriverContext* context, std::int32_t size, char* buffer);

// The watermark of the context as one PJL block of the asked kind (0 text, 1 image), ended
// by a NUL when anything was written. 0 done, -1 out of memory.
std::int32_t WatermarkToPjl(PjlText& out, DriverContext* context, std::int32_t kind);

// The value names of the field's option-list item that pass their trial now, in table
// order, each with its NUL and a final NUL: needed 0 and answer 0 when none, 1 when the
// buffer is too small (nothing copied), -1 when memory runs out.
std::int32_t ListAllowedPjlValuesById(DriverContext* context, DWORD fieldId, std::int32_t size, char* buffer,
                                      std::int32_t* needed);

// The caller-buffer protocol: writes the length through needed when given, copies the text
// when a buffer of that size is given; 0 done, 1 buffer too small.
std::int32_t GiveText(const char* text, std::int32_t length, std::int32_t size, char* buffer, std::int32_t* needed);
