// The job-control library reached for one call, without a context binding: the library is
// loaded from the system directory, asked for one item and freed again.
#pragma once

#include "win/types.h"

struct DriverContext;

// Reads one item into a UTF-16 buffer whose capacity the item decides (items 2, 5: 34 bytes;
// 6: 130; 1, 3, 4, 7, 8: 18; 9: 258; others 2); a longer value is cut and ended. 1/0.
int ReadJobControlItemOnce(HANDLE printer, DWORD item, DWORD type, WCHAR* buffer);
// The item's capacity in bytes as above.
DWORD JobControlItemCapacity(DWORD item);
int WriteJobControlItemOnce(HANDLE printer, DWORD item, DWORD type, const WCHAR* text, DWORD size);
// The job items of the mask into their fields (through the binding, or one by one on
// Windows 9x); the fields of items that cannot be read keep their values.
void ReadJobControlItemsForApi(DriverContext* context, DWORD mask);
// One item (one mask bit) from its field to the library.
void WriteJobControlItemForApi(DriverContext* context, DWORD bit);
