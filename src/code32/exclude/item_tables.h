// The item tables of the item API: one row per status item (ids 1-79, then 257-269) and per
// capability item (ids 1-127, then 257-282, and the one-row table of id 0x30000). A row says
// whether the id is answered at all, the newest record kind of the item, the settings field
// that gates it and the fields whose change marks it; the handler slots hold the item's
// code.
#pragma once

#include <cstdint>

#include "win/types.h"

struct DriverContext;

using StatusSetHandler = std::int32_t (*)(DriverContext* context, DWORD id, void* record, BYTE* changed,
                                          std::int32_t mode);
using StatusGetHandler = std::int32_t (*)(DriverContext* context, DWORD id, void* record, DWORD kind);
using CapabilityHandler = std::int32_t (*)(DriverContext* context, DWORD id, void* buffer);

struct StatusItem {
  DWORD id;
  DWORD enabled;     // 0: the id exists but every call on it is refused
  DWORD recordKind;  // newest layout of the item's record (1, 2 or 3)
  DWORD mainField;   // field whose user-interface state gates a change, 0 = none
  DWORD reserved;
  StatusSetHandler set;
  StatusSetHandler verify;
  StatusGetHandler get;
  WORD related[8];   // fields whose change marks the item, ended by the first 0
};

struct CapabilityItem {
  DWORD id;
  DWORD enabled;     // 0: the id exists but is never answered
  DWORD recordKind;  // 1 in every row
  DWORD field;       // settings field the dispatcher may test (low 16 bits), 0 = none
  CapabilityHandler handler;
  StatusSetHandler set;     // unused in capability rows
  StatusSetHandler verify;  // unused
  StatusGetHandler get;     // unused
  WORD related[8];          // unused
};

// The two blocks of each table: rows [0, first block) hold ids 1.., the rest ids 257...
constexpr DWORD kStatusFirstBlockIds = 79;
constexpr DWORD kStatusSecondBlockIds = 13;    // 257-269
constexpr DWORD kCapabilityFirstBlockIds = 127;
constexpr DWORD kCapabilitySecondBlockIds = 26;  // 257-282
constexpr DWORD kSpecialCapabilityId = 0x30000;

// The row of a status id 1..79 or 257..269 in table order, or null; no version bound.
const StatusItem* StatusRowById(DWORD id);
// The row of a capability id 1..127 or 257..282, or null; no version bound.
const CapabilityItem* CapabilityRowById(DWORD id);
// The one-row table: its row when id is 0x30000, else null.
const CapabilityItem* FindSpecialCapability(DWORD id);
