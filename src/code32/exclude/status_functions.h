// The status items of print functions that a settings field switches on and off: scaling,
// cover and mark pages, N-up, duplex, stamps, margin shift, sort, staple, punch, fold,
// folding, toner save, user print macros, back and reverse covers, and the settings that
// depend on the margin function.
#pragma once

#include <cstdint>

#include "win/types.h"

struct DriverContext;

std::int32_t SetFunctionItem(DriverContext* context, DWORD id, void* record, BYTE* changed, std::int32_t mode);
std::int32_t VerifyFunctionItem(DriverContext* context, DWORD id, void* record, BYTE* changed, std::int32_t mode);
std::int32_t GetFunctionItem(DriverContext* context, DWORD id, void* record, DWORD kind);

// 1 when the value would stand in the value field with the function switched on (at once
// when it is on already); the device-mode is put back whatever the answer. 0 with error 100
// when the device-mode cannot be copied.
int TrySetWithFunctionOn(DriverContext* context, DWORD item, WORD onOffField, WORD valueField, DWORD value);
