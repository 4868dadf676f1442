// The change marks of the fields, the dirty word, the change-flag word of the context and
// the run-time flags that the property sheets give the fields.
#pragma once

#include <cstdint>

#include "win/types.h"

struct DriverContext;
struct SettingField;

// Change-flag word: the low 16 bits hold the latest change, the high 16 bits accumulate.
void SetChangeFlags(DriverContext* context, DWORD flags);
DWORD GetChangeFlags(DriverContext* context);
void ClearChangeFlags(DriverContext* context, DWORD mask);

void SetSettingsFileStatus(DriverContext* context, std::int32_t status);
std::int32_t GetSettingsFileStatus(DriverContext* context);

// Mark 0 of a field: 1 once written since the marks were last cleared.
WORD GetFieldChangeMark(const SettingField* field);
void SetFieldChangeMark(SettingField* field, WORD value);
void ClearAllFieldChangeMarks(DriverContext* context);
bool AnyFieldChangeMarked(DriverContext* context);

// The dirty word of the work area.
std::int32_t GetDirtyFlag(DriverContext* context);
void SetDirtyFlag(DriverContext* context, std::int32_t value);

// The run-time flags the property-sheet framework gives the fields when a context gets
// its pages: every field's word is cleared, then the change flags and the user-unit flag
// are set on their fields.
void ApplyPageFieldFlags(DriverContext* context);
// Changes whenever ApplyPageFieldFlags sets the fields' run-time flags, the only writer of
// those flags after a field table is copied: what was made from the old flags is stale.
DWORD PageFieldFlagsGeneration();
// Changes whenever SetFieldChangeMark gives a field's changed mark a new value, or code
// that writes the marks itself calls NoteFieldChangeMarksWritten: marks taken as known
// at one value of it are still as they were while it stays the same.
DWORD FieldChangeMarksGeneration();
void NoteFieldChangeMarksWritten();
