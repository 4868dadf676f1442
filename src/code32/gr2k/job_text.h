// Text that reaches a PJL line from the job or the application (the job name, the job
// strings of the private escapes, the items of the job-control library): it must not end
// the line or start a command of its own.
#pragma once

#include <cstddef>

#include "win/types.h"

struct DriverContext;

namespace rendara {

// Makes 8-bit text safe inside a quoted PJL value, in place: a quotation mark becomes an
// apostrophe; CR, LF, the escape byte (0x1B) and any other control byte become a blank.
// A double-byte character (lead byte of the system code page and its trail byte) is kept
// whole. Stops at the first NUL or after n bytes.
void MakePrinterSafe(char* text, std::size_t n);

// Stores 8-bit text into a text field: read up to its NUL or n bytes, at most the field's
// size less one byte without splitting a double-byte character, made printer-safe; null or
// empty text clears the field. FALSE when the field does not exist or memory runs out.
BOOL StoreJobText(DriverContext* context, WORD fieldId, const char* text, std::size_t n);

}  // namespace rendara
