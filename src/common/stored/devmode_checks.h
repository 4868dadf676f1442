// Checks of whole device-modes and of the public DEVMODE values: whether a device-mode's
// private block is this product's and version's, whether a public value is acceptable,
// the paper-value tests, and small getters and rule refreshes built on the field checks.
#pragma once

#include <cstdint>

#include "win/types.h"

struct DriverContext;

// Public DEVMODE values (value, context) -> 1 acceptable, 0 not: the model decides first
// (IsFieldValueAcceptableSimple); where it does not, the field's fixed rule.
int IsDefaultSourceValid(DWORD value, DriverContext* context);
// The model step is CheckFieldValueSimple, which may correct the context's dmOrientation.
int IsOrientationValid(DWORD value, DriverContext* context);
// Only a value the model accepts passes.
int IsModelPaperSize(DWORD value, DriverContext* context);
int IsFormNameValid(const WCHAR* name, DriverContext* context);
int IsPrintQualityValid(DWORD value, DriverContext* context);
int IsDuplexValid(DWORD value, DriverContext* context);
int IsColorValid(DWORD value, DriverContext* context);
int IsTTOptionValid(DWORD value, DriverContext* context);
int IsIcmMethodValid(DWORD value, DriverContext* context);
int IsIcmIntentValid(DWORD value, DriverContext* context);
int IsMediaTypeValid(DWORD value, DriverContext* context);
int IsDitherTypeValid(DWORD value, DriverContext* context);
// 1 for the DMRES values -4 to -1.
int IsDmresValue(DWORD value);

// Paper values.
int IsFreeSizeListPaper(DWORD value, DriverContext* context);
int IsUserPaperCode(DWORD value);
int IsOutputPaperValue(DWORD value, DriverContext* context);
int IsSameAsSourcePaper(DWORD value);
// The free-size list index of dmPaperSize (resp. kdmOutPaperSize) when it is one of
// 384-393, else -1.
int GetPaperSizeFreeSizeIndex(DriverContext* context);
int GetOutPaperFreeSizeIndex(DriverContext* context);

// Device-mode checks. The device-mode is a buffer of at least GetTotalDevmodeSize bytes;
// no check reads beyond it.
int IsDevmodeWellFormed(const BYTE* devmode, DriverContext* context);
int IsDevmodeIdentityCurrent(DriverContext* context, const BYTE* devmode);
// 1 when the text of size bytes has its NUL within them; 0 also when the scratch buffer
// cannot be allocated.
int IsTextTerminated(const BYTE* text, DWORD size);
// Product tag, private size, device-mode version, machine id and the driver-type rule,
// compared with the built-in product record.
int CheckDevmodeVersion(const BYTE* devmode);
// Tag, machine id and driver-type rule only.
int CheckDevmodeVersionLoose(const BYTE* devmode);
// Tag, private size, machine id and driver-type rule (no version).
int CheckDevmodeVersionSized(const BYTE* devmode);

// Small getters and rule refreshes.
std::int32_t GetWatermarkIdIfEnabled(DriverContext* context);
std::int32_t GetUserMacroIndex(DriverContext* context);
int IsCollateSupported(DriverContext* context);
// The transacts of every field's option, in table order.
void RefreshAllOptionStates(DriverContext* context);
void RefreshOptionControl(DriverContext* context, WORD id);
void SendModuleEvent11(DriverContext* context);
