// The settings field table: the built-in rows, the per-context copy, lookups by id and
// keyword, and the address of a field's value in the three settings-buffer copies.
#pragma once

#include "base/settings_field.h"

struct DriverContext;

// Number of rows of the built-in table, ids 1-1555 then 10001-10434.
constexpr int kBuiltInFieldCount = 1989;

// Device-mode bytes that hold the u16 start of areas 1, 2 and 3 in the settings buffer.
constexpr DWORD kAreaOffsetPositions[3] = {361, 363, 365};

// The built-in rows (generated from src/common/data/fields.def and its companions).
const SettingFieldDef* GetBuiltInFields();

// Per-context copy: count and order of the built-in table; side records allocated per
// field; run-time flags 0. Replaces whatever the table held (freeing it first).
// Returns false (and leaves an empty table) when memory runs out.
bool CopyBuiltInFieldTable(FieldTable& table);
void FreeFieldTable(FieldTable& table);

SettingField* FindFieldById(DriverContext* context, WORD id);
SettingField* FindFieldByKeyword(DriverContext* context, std::int16_t itemId);
const WCHAR* GetFieldName(DriverContext* context, WORD id);

// Address of a field's value, or null when the field is null, its area is 0, the buffer
// is missing, or the buffer's own area offset would put the value outside the buffer.
BYTE* GetFieldAddress(DriverContext* context, const SettingField* field);
BYTE* GetFieldAddressInSnapshot(DriverContext* context, const SettingField* field);
BYTE* GetFieldAddressInLockDefaults(DriverContext* context, const SettingField* field);
// The same for any settings buffer of GetSettingsBufferSize() bytes.
BYTE* GetFieldAddressInBuffer(BYTE* buffer, const SettingField* field);

// The first index at which the ids of the table stop being consecutive (1555 for the
// built-in table); computed on the first lookup of an id above 10000, kept for the process.
int GetFieldIdGap();
