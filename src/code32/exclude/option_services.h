// Settings-API services on the options and fields of a context: which option governs a
// field, whether it is offered and usable, its value lists, alerts, the margin and
// resolution resets, and the small writes the status items share.
#pragma once

#include <cstdint>

#include "model/model_image.h"
#include "win/types.h"

struct DriverContext;
struct SettingField;

// The option of the special-case control when its page is usable, else the field's own.
ImageRef FindFieldOption(WORD field, DriverContext* context);
int IsFeatureOffered(DriverContext* context, WORD field);
int IsFieldOptionOffered(DriverContext* context, WORD field);
int IsFieldOnPage(DriverContext* context, WORD field, WORD pageId);
// flags: 1 the value must not be disabled, 2 not hidden.
int IsFieldOptionUsable(DriverContext* context, WORD field, WORD value, DWORD flags);
int IsControlOptionUsable(DriverContext* context, WORD pageId, WORD controlId, DWORD flags);
// The value symbol of an item of the field: -1 none, 0 not valid, 1 valid with its stored
// value written.
int ReadValueSymbol(DriverContext* context, WORD field, WORD valueId, DWORD* stored);
// The value id of the first enabled item whose stored code is key, 0 when none.
WORD FindOptionValueByKey(DriverContext* context, WORD field, WORD key);
// Stored codes (u16) of the option's items; flag 1 skips disabled and hidden items. The
// count, -1 when none or when the option is not a PickOne list with symbols.
std::int32_t ListOptionValueCodes(DriverContext* context, WORD field, WORD* out, DWORD flags);
// UI strings of the items, step characters apart; the count or -1.
std::int32_t ListOptionValueNames(DriverContext* context, WCHAR* out, int step, WORD field, DWORD flags);
// 1 when the alert firing now (with value written when temporary is 1) is the one whose
// message text is stringId. With temporary 1 the field keeps its value whatever the answer.
int IsAlertRaisedByValue(DriverContext* context, WORD field, WORD stringId, DWORD value, int temporary);
int IsUserMacroColourSafe(DriverContext* context);
int AllowsMarginWithFunction(DriverContext* context, DWORD itemId);
void EnsureMarginFunction(DriverContext* context);
void ResetMarginFields(DriverContext* context);
void ApplyResolutionTransacts(DriverContext* context);
void ApplyPaperChangeForApi(DriverContext* context, int kind);
// The custom paper of a status record: code at offset 4, width at 8, length at 12.
void SetCustomPaperFromRecord(DriverContext* context, const BYTE* record);
// State field 707 from the system: 3 Windows 98/Me, 0 Windows 95, 2 Windows 2000 and later,
// 1 older NT.
void SetOsStateBytes(DriverContext* context);
void BindSpecialCaseControl(WORD field, DriverContext* context);
// Writes the field to its store under "kdmAction" as a u16; its key and type are put back.
int WriteActionField(DriverContext* context, SettingField* descriptor, DWORD value);
// The field's raw value in another settings buffer (by that buffer's own area offsets); 0
// when it lies outside.
DWORD ReadFieldFromBuffer(DriverContext* context, const SettingField* descriptor, BYTE* buffer);
int SettingsFileRespectsLocks(DriverContext* context, const WCHAR* file, const WCHAR* section, DWORD flags);
