// Lengths between the internal 1200-dots-per-inch unit and the user's unit (0.1 mm or
// 0.01 inch), the effective output paper, authentication and character-set fields, the
// setting-lock bits, the text-box character filter and the resolution accessors.
#pragma once

#include "win/types.h"

struct ControlRecord;
struct DriverContext;

// Unit kinds of the conversions.
constexpr int kUnitTenthMm = 1;
constexpr int kUnitHundredthInch = 2;

// a * c / b without overflow (c * (a / b) + c * (a mod b) / b); 0 when b or c is 0.
int MulDivSafe(int a, int b, int c);
// 1 when kdmDspUnit (171) reads 0.
BOOL IsMetricUnits(DriverContext* context);
// The even 1200-dpi value reached from the truncated forward conversion of the value
// whose conversion back does not exceed the value, scaled to the resolution; 0 for an
// unknown kind.
int UserUnitsToDots(int kind, int value, int resolution);
// The smallest value in the user's unit whose forward conversion reaches the 1200-dpi
// value; 0 for an unknown kind or a resolution of 0.
int DotsToUserUnits(int kind, int value, int resolution);
// With a field id the value is that field's option value; a negative value gives 0.
int ToUserUnits(DriverContext* context, WORD fieldId, int value);
// A negative value gives 0; with a field id the result is also stored there.
int FromUserUnits(DriverContext* context, WORD fieldId, int value);
// Limits of wdmFreeSizeWidth (916) and wdmFreeSizeLength (917) in the user's unit, the
// minimum rounded up and the maximum down; 0 for other fields.
BOOL GetFreeSizeLimits(DriverContext* context, WORD fieldId, int* minimum, int* maximum);
// The range in the user's unit of a control of the page named: the custom paper table's
// limits of a custom-size control, else the control's numeric option range, each rounded
// inward to values the unit shows.
void GetControlLimitsInUserUnits(DriverContext* context, WORD pageId, ControlRecord* control, int* minimum,
                                 int* maximum);
// The same for a control of the context's open page.
void GetControlUnitRange(DriverContext* context, ControlRecord* control, int* minimum, int* maximum);
// a * b / c, or -1 when c is 0.
int ScaleRatio(int a, int b, int c);

// Paper.
BOOL UsesLetterPaperFamily(DriverContext* context);
int GetDefaultOutputPaper(DriverContext* context);
BOOL ResolveFitOutputPaper(DriverContext* context);
int GetEffectivePaperSize(DriverContext* context);
void ApplyPaperChange(DriverContext* context, int kind);

// Authentication and character sets.
DWORD GetAuthenticationFlags(DriverContext* context, DWORD which);
// The printer's code for a Windows character set (the table of the authentication fields).
DWORD CharsetToPrinterCode(DWORD charset);
// The Windows character set of an ANSI code page (as TranslateCharsetInfo with
// TCI_SRCCODEPAGE answers it), or -1 when the code page has none.
int CodePageToCharset(UINT codePage);
DWORD AnsiCharsetCode();
void SetFieldToAnsiCharset(DriverContext* context, WORD fieldId);
void SetAuthCharsetFields(DriverContext* context, DWORD which);
void LoadDriverIdField(DriverContext* context);

// Lock bits.
BOOL AnyLockBitSet(DriverContext* context);
DWORD GetLockInfo(DriverContext* context);
BOOL IsDefaultLocked(DriverContext* context);
BOOL IsTrayLocked(DriverContext* context);
BOOL IsMediaLocked(DriverContext* context);
BOOL IsNupLocked(DriverContext* context);
BOOL IsNupAllLocked(DriverContext* context);
BOOL IsDuplexLocked(DriverContext* context);
BOOL IsPrintTypeLocked(DriverContext* context);
BOOL IsResolutionLocked(DriverContext* context);
BOOL IsColorLocked(DriverContext* context);
BOOL IsControlRuleLocked(DriverContext* context, ControlRecord* control);

// Other helpers.
BOOL CheckInputCharacter(WCHAR character, int kind);
BOOL IsHostExplorer();
DWORD ReadPrintQualityRaw(DriverContext* context);
DWORD ReadDstResolutionW(DriverContext* context);
DWORD ReadDstResolutionH(DriverContext* context);
void WritePrintQualityRaw(DriverContext* context, DWORD value);
void WriteYResolutionRaw(DriverContext* context, DWORD value);
void WriteDstResolutionW(DriverContext* context, DWORD value);
void WriteDstResolutionH(DriverContext* context, DWORD value);
int ReturnZero();
