// Typed access to settings fields: raw stored values, option values through the value
// maps, and text; a write marks the field changed, the device-mode dirty and raises the
// field's change flags.
#pragma once

#include <cstddef>

#include "base/settings_field.h"

struct ControlRecord;
struct DriverContext;

// Raw value: numbers sign- or zero-extended, a bit field 0 or 1. Text and block fields
// have no 32-bit raw value on this build: they read 0; their value is reached through
// GetFieldAddress, GetFieldString and WriteFieldBlock.
DWORD ReadFieldRaw(DriverContext* context, const SettingField* field);
// Stores the low bits of the value by type; a bit field takes nonzero as set. For a text
// or block field the value only selects clearing (every value clears the field; a copy
// goes through WriteFieldBlock). Then the write side effects.
void WriteFieldRaw(DriverContext* context, SettingField* field, DWORD value);
// Text and block fields: copies the field size from data, or zero-fills the field when
// data is null; then the write side effects. A number or bit field is written with
// WriteFieldRaw of the first bytes of data (little-endian), or 0 for null.
void WriteFieldBlock(DriverContext* context, SettingField* field, const void* data);

DWORD ReadFieldRawInSnapshot(DriverContext* context, const SettingField* field);
void WriteFieldRawInSnapshot(DriverContext* context, const SettingField* field, DWORD value);
DWORD ReadFieldRawInLockDefaults(DriverContext* context, const SettingField* field);

// By id; the field found is returned through outField when it is given.
DWORD ReadFieldRawById(DriverContext* context, WORD id, SettingField** outField = nullptr);
void WriteFieldRawById(DriverContext* context, WORD id, DWORD value, SettingField** outField = nullptr);
DWORD ReadSnapshotRawById(DriverContext* context, WORD id, SettingField** outField = nullptr);
void WriteSnapshotRawById(DriverContext* context, WORD id, DWORD value, SettingField** outField = nullptr);
DWORD ReadSavedRawById(DriverContext* context, WORD id, SettingField** outField = nullptr);

// Option values through the active value map.
DWORD GetFieldValue(DriverContext* context, const SettingField* field);
void SetFieldValue(DriverContext* context, SettingField* field, DWORD value);
DWORD GetFieldValueById(DriverContext* context, WORD id, SettingField** outField = nullptr);
void SetFieldValueById(DriverContext* context, WORD id, DWORD value, SettingField** outField = nullptr);
// A text field takes the UI string with that id (loaded with its completion, at most 1025
// characters); any other field the value through its value map.
void SetFieldValueOrStringById(DriverContext* context, WORD id, DWORD value);
// The same for a field already at hand.
void SetFieldValueOrString(DriverContext* context, SettingField* field, DWORD value);
DWORD GetFieldValueByKeyword(DriverContext* context, std::int16_t itemId, SettingField** outField = nullptr);

// Text of a text field as UTF-16 into destination (capacity in characters, terminator
// included), bounded by the field size and the capacity; "wrong" for any other type.
// Nonzero on success; 0 and nothing written for a null argument, a zero capacity or a
// field without an address.
int GetFieldString(DriverContext* context, const SettingField* field, WCHAR* destination,
                   std::size_t destinationChars);
// Clears the field (with the write side effects), then stores the text: ANSI fields
// converted to the ANSI code page, at most the field size less one byte without splitting
// a double-byte character; UTF-16 fields at most the field size less one character.
// The source is read up to its terminator or sourceChars characters, whichever is first.
// Returns the value's address, or null.
BYTE* SetFieldString(DriverContext* context, SettingField* field, const WCHAR* source,
                     std::size_t sourceChars = static_cast<std::size_t>(-1));

// The field a control edits: the one bound to the control, or before binding the field of
// its item id. The string forms find the control by id over every page of the context.
SettingField* GetControlField(DriverContext* context, ControlRecord* control);
DWORD GetControlFieldValue(DriverContext* context, ControlRecord* control);
void SetControlFieldValue(DriverContext* context, ControlRecord* control, DWORD value);
int GetControlFieldString(DriverContext* context, WORD controlId, WCHAR* destination,
                          std::size_t destinationChars);
BYTE* SetControlFieldString(DriverContext* context, WORD controlId, const WCHAR* source,
                            std::size_t sourceChars = static_cast<std::size_t>(-1));
