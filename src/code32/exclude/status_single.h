// The status items that map one settings field (or a few that belong together) to one
// value of the caller's record: paper source, media, trays, colour, copies, output options,
// job actions, resolution, colour adjustments, load share and the like.
#pragma once

#include <cstdint>

#include "win/types.h"

struct DriverContext;

// The handlers of every item of the family, by item id.
std::int32_t SetSingleItem(DriverContext* context, DWORD id, void* record, BYTE* changed, std::int32_t mode);
std::int32_t VerifySingleItem(DriverContext* context, DWORD id, void* record, BYTE* changed, std::int32_t mode);
std::int32_t GetSingleItem(DriverContext* context, DWORD id, void* record, DWORD kind);

// The item's field in the family's table, 0 for an item with its own handling.
WORD SingleItemField(DWORD id);
