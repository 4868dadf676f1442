// drvhost api: the capability calls, the capability record and its release.
#pragma once

#include <cstdint>
#include <string>

#include "win/types.h"

// The settings API library's handle, opaque to the caller.
struct DriverContext;

namespace drvhost {

using CapsFn = std::int32_t (*)(DriverContext*, DWORD, void*);

// One capability as a caller asks it: the answer, and the values, names or pair it gave.
std::string AskCapability(CapsFn caps, DriverContext* handle, DWORD id);
// Ids 1-127, 257-282 and 0x30000, one line each.
std::string AskEveryCapability(CapsFn caps, DriverContext* handle);
// A new capability record: its address and every filled entry by offset, with the check that
// every address lies below 2 GiB; address receives the record (0 when none was made).
std::string DescribeRecord(CapsFn caps, DriverContext* handle, std::int32_t& address);
// Gives the record back; address becomes 0.
std::string FreeRecord(CapsFn caps, DriverContext* handle, std::int32_t& address);

}  // namespace drvhost
