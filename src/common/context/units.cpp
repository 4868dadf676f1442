#include "model/units.h"

#include <cstdint>

#include "base/dictionary_pages.h"
#include "base/driver_context.h"
#include "fields/field_access.h"
#include "field_ids.h"
#include "model/rule_eval.h"
#include "model/model_tables.h"
#include "model/option_lookup.h"
#include "model/field_checks.h"
#include "fields/field_table.h"
#include "base/ini_files.h"
#include "base/memory.h"
#include "model/module_dispatch.h"
#include "stored/module_services.h"
#include "base/paths_and_names.h"
#include "model/printable_area.h"
#include "fields/product_record.h"
#include "model/free_size_list.h"
#include "win/kernel.h"
#include "win/loader.h"

namespace {

// Field ids read here.
int Truncate(long long v) { return static_cast<int>(v); }

int ForwardToDots(int kind, long long units) {
  return Truncate(kind == kUnitTenthMm ? units * 1200 / 254 : units * 12);
}
int BackToUnits(int kind, long long dots) { return Truncate(kind == kUnitTenthMm ? dots * 254 / 1200 : dots / 12); }

BOOL BitSet(DriverContext* context, WORD id) { return ReadFieldRawById(context, id) != 0 ? TRUE : FALSE; }

// The minimum and maximum of the control's Numeric option; 0 to 0 without one.
bool GetNumericOptionRange(DriverContext* context, ControlRecord* control, int* minimum, int* maximum) {
  *minimum = 0;
  *maximum = 0;
  if (!control) return false;
  std::int32_t lo = 0, hi = 0;
  if (!GetNumericBounds(FindOptionByItemId(control->itemId, context), &lo, &hi)) return false;
  *minimum = lo;
  *maximum = hi;
  return true;
}

bool IsPaperSizeInFitList(DriverContext* context, int paper) {
  return IsPaperSizeInList(context, static_cast<DWORD>(paper)) != 0;
}

// The lock rule of the control's option: the third rule of the block's item condition for
// the control's id when it has one, else the block's own. False when neither exists, and
// the lock field decides.
bool EvaluateControlLockRule(DriverContext* context, ControlRecord* control, BOOL* locked) {
  *locked = FALSE;
  ImageRef option = FindOptionByItemId(control->itemId, context);
  if (!option) return false;
  ImageRef block = OptionCondition(option);
  if (!block) return false;
  ImageRef program = FindItemCondition(block, control->controlId).Tagged(itemcond::kLock);
  if (!program) program = block.Tagged(cond::kLock);
  if (!program) return false;
  *locked = EvaluateRuleExpression(program, context) != 0 ? TRUE : FALSE;
  return true;
}

bool TextFieldEmpty(DriverContext* context, WORD id) {
  SettingField* field = FindFieldById(context, id);
  if (!field) return true;
  const DWORD chars = FieldSizeOf(field->type) * 2;
  auto* text = static_cast<WCHAR*>(AllocMem(static_cast<DWORD>((chars + 1) * sizeof(WCHAR))));
  if (!text) return true;  // a failed allocation leaves the bit 0
  GetFieldString(context, field, text, chars + 1);
  const bool empty = text[0] == 0;
  FreeMem(text);
  return empty;
}

}  // namespace

int MulDivSafe(int a, int b, int c) {
  if (b == 0 || c == 0) return 0;
  const long long q = a / b, r = a % b;
  return Truncate(static_cast<long long>(c) * q + static_cast<long long>(c) * r / b);
}

BOOL IsMetricUnits(DriverContext* context) { return ReadFieldRawById(context, fid::kdmDspUnit) == 0 ? TRUE : FALSE; }

int UserUnitsToDots(int kind, int value, int resolution) {
  if (kind != kUnitTenthMm && kind != kUnitHundredthInch) return 0;
  int n = ForwardToDots(kind, value);
  n -= n % 2;
  while (n > -2147483647 + 2 && BackToUnits(kind, n) > value) n -= 2;
  return MulDivSafe(n, 1200, resolution);
}

int DotsToUserUnits(int kind, int value, int resolution) {
  if ((kind != kUnitTenthMm && kind != kUnitHundredthInch) || resolution == 0) return 0;
  const long long b = static_cast<long long>(value) * 1200 / resolution;
  long long i = BackToUnits(kind, b);
  while (ForwardToDots(kind, i) < b) ++i;
  return Truncate(i);
}

int ToUserUnits(DriverContext* context, WORD fieldId, int value) {
  if (fieldId) value = static_cast<int>(GetFieldValueById(context, fieldId));
  if (value < 0) return 0;
  return DotsToUserUnits(IsMetricUnits(context) ? kUnitTenthMm : kUnitHundredthInch, value, 1200);
}

int FromUserUnits(DriverContext* context, WORD fieldId, int value) {
  int result = 0;
  if (value >= 0) result = UserUnitsToDots(IsMetricUnits(context) ? kUnitTenthMm : kUnitHundredthInch, value, 1200);
  if (fieldId) SetFieldValueById(context, fieldId, static_cast<DWORD>(result));
  return result;
}

namespace {
void RoundLimits(DriverContext* context, int minLimit, int maxLimit, int* minimum, int* maximum) {
  int u = ToUserUnits(context, 0, minLimit);
  if (FromUserUnits(context, 0, u) < minLimit) ++u;
  *minimum = u;
  u = ToUserUnits(context, 0, maxLimit);
  if (FromUserUnits(context, 0, u) > maxLimit) --u;
  *maximum = u;
}
}  // namespace

BOOL GetFreeSizeLimits(DriverContext* context, WORD fieldId, int* minimum, int* maximum) {
  if (!minimum || !maximum) return FALSE;
  const ProductRecord* product = context && context->product ? context->product : GetProductRecord();
  if (fieldId == fid::wdmFreeSizeWidth) {
    RoundLimits(context, static_cast<int>(product->userPaperWidthMin), static_cast<int>(product->userPaperWidthMax),
                minimum, maximum);
    return TRUE;
  }
  if (fieldId == fid::wdmFreeSizeLength) {
    RoundLimits(context, static_cast<int>(product->userPaperLengthMin),
                static_cast<int>(product->userPaperLengthMax), minimum, maximum);
    return TRUE;
  }
  return FALSE;
}

void GetControlLimitsInUserUnits(DriverContext* context, WORD pageId, ControlRecord* control, int* minimum,
                                 int* maximum) {
  if (!minimum || !maximum) return;
  int low = 0, high = 0;
  if (GetCustomPaperLimitsForPage(context, pageId, control, &high, &low)) {
    *minimum = ToUserUnits(context, 0, low);
    *maximum = ToUserUnits(context, 0, high);
    return;
  }
  int lo = 0, hi = 0;
  GetNumericOptionRange(context, control, &lo, &hi);
  RoundLimits(context, lo, hi, minimum, maximum);
}

void GetControlUnitRange(DriverContext* context, ControlRecord* control, int* minimum, int* maximum) {
  GetControlLimitsInUserUnits(context, context ? context->pageId : 0, control, minimum, maximum);
}

int ScaleRatio(int a, int b, int c) {
  if (c == 0) return -1;
  return Truncate(static_cast<long long>(a) * b / c);
}

BOOL UsesLetterPaperFamily(DriverContext* context) {
  const bool f = ReadFieldRawById(context, fid::kdmDriverType) != 0 && ReadFieldRawById(context, fid::kdmLocaleID) != 0;
  const bool inverted = ReadFieldRawById(context, fid::kdmHiddenFunc16) == 1;
  return (inverted ? !f : f) ? TRUE : FALSE;
}

int GetDefaultOutputPaper(DriverContext* context) {
  std::int32_t answer = 0;
  NotifyModules(context, 54, &answer);
  const bool smaller = answer == 1;
  if (UsesLetterPaperFamily(context)) return smaller ? 1 : 3;
  return smaller ? 9 : 8;
}

BOOL ResolveFitOutputPaper(DriverContext* context) {
  if (!(ReadFieldRawById(context, fid::kdmFrontFunc) & 0x8)) return FALSE;
  if (!ReadFieldRawById(context, fid::kdmExtOutput2A4Fit)) return FALSE;
  const int out = static_cast<std::int16_t>(ReadFieldRawById(context, fid::kdmOutPaperSize));
  if (out < 1024 || out > 1028) return FALSE;
  const DWORD method = ReadFieldRawById(context, fid::kdmPrnMethod);
  if (method == 5 || method == 7) return FALSE;
  if (ReadFieldRawById(context, fid::kdmFuncSelectScale) && ReadFieldRawById(context, fid::kdmScaleType) != 2) return FALSE;
  const int paper = static_cast<std::int16_t>(ReadFieldRawById(context, fid::dmPaperSize));
  if (GetDefaultOutputPaper(context) == paper) return FALSE;
  return IsPaperSizeInFitList(context, paper) ? TRUE : FALSE;
}

int GetEffectivePaperSize(DriverContext* context) {
  const int out = static_cast<std::int16_t>(ReadFieldRawById(context, fid::kdmOutPaperSize));
  if (out < 1024 || out > 1028) return out;
  if (out == 1024) {
    if (ResolveFitOutputPaper(context)) return GetDefaultOutputPaper(context);
    return static_cast<std::int16_t>(ReadFieldRawById(context, fid::dmPaperSize));
  }
  return GetDefaultOutputPaper(context);
}

void ApplyPaperChange(DriverContext* context, int kind) {
  if (!context) return;
  if (kind == 1) {
    BYTE* devmode = GetContextDevmode(context);
    DerivePaperGeometry(ReadFieldRawById(context, fid::dmPaperSize), fid::dmPaperSize, context, devmode);
    const int out = static_cast<std::int16_t>(ReadFieldRawById(context, fid::kdmOutPaperSize));
    const bool outputCode = out >= 1025 && out <= 1028;
    DeriveImageableArea(static_cast<DWORD>(outputCode ? GetDefaultOutputPaper(context) : out), fid::kdmOutPaperSize, context,
                        devmode);
    const bool selectScale = ReadFieldRawById(context, fid::kdmFuncSelectScale) != 0;
    const DWORD scaleType = ReadFieldRawById(context, fid::kdmScaleType);
    if (outputCode || (ReadFieldRawById(context, fid::kdmFuncSelectScale) == 1 && scaleType == 2)) {
      const int h = ScaleRatio(static_cast<int>(GetFieldValueById(context, fid::kdmDstPaperWidthDot)), 100,
                               static_cast<int>(GetFieldValueById(context, fid::kdmSrcPaperWidthDot)));
      const int v = ScaleRatio(static_cast<int>(GetFieldValueById(context, fid::kdmDstPaperLengthDot)), 100,
                               static_cast<int>(GetFieldValueById(context, fid::kdmSrcPaperLengthDot)));
      const int scale = h < v ? h : v;
      SetFieldValueById(context, fid::kdmScaleH, static_cast<DWORD>(scale));
      SetFieldValueById(context, fid::kdmScaleV, static_cast<DWORD>(scale));
    } else if (out == 1024 && !(selectScale && scaleType != 2)) {
      WriteFieldRawById(context, fid::kdmScaleH, 100);
      WriteFieldRawById(context, fid::kdmScaleV, 100);
    }
    return;
  }
  const WORD id = kind == 3 ? fid::dmPaperSize : kind == 4 ? fid::kdmOutPaperSize : 0;
  if (!id) return;
  const int paper = static_cast<std::int16_t>(ReadFieldRawById(context, id));
  if (paper >= 384 && paper <= 393) ReadFreeSize(context, paper - 384);
}

DWORD GetAuthenticationFlags(DriverContext* context, DWORD which) {
  if (ReadFieldRawById(context, fid::kdmPrnFuncAuthenticationMode) == 0) return 0;
  DWORD bits = 0;
  if ((which & 1) && !TextFieldEmpty(context, fid::wdmAuthenticationUserName)) bits |= 1;
  if ((which & 2) && !TextFieldEmpty(context, fid::wdmAuthenticationPassword)) bits |= 2;
  if ((which & 4) && ReadFieldRawById(context, fid::kdmPrnFuncAuthenticationSecureMode) && !TextFieldEmpty(context, fid::wdmAuthenticationNetworkKey))
    bits |= 4;
  return bits;
}

DWORD CharsetToPrinterCode(DWORD charset) {
  switch (charset) {
    case 128: return 1;   // SHIFTJIS
    case 0: return 2;     // ANSI
    case 238: return 3;   // EASTEUROPE
    case 161: return 4;   // GREEK
    case 204: return 5;   // RUSSIAN
    case 162: return 6;   // TURKISH
    case 186: return 7;   // BALTIC
    case 134: return 8;   // GB2312
    case 136: return 9;   // CHINESEBIG5
    case 177: return 10;  // HEBREW
    case 178: return 11;  // ARABIC
    case 222: return 12;  // THAI
    case 130: return 13;  // JOHAB
    case 129: return 13;  // HANGUL
    default: return 0;
  }
}

int CodePageToCharset(UINT codePage) {
  switch (codePage) {
    case 1252: return 0;
    case 932: return 128;
    case 949: return 129;
    case 1361: return 130;
    case 936: return 134;
    case 950: return 136;
    case 1253: return 161;
    case 1254: return 162;
    case 1255: return 177;
    case 1256: return 178;
    case 1257: return 186;
    case 1251: return 204;
    case 874: return 222;
    case 1250: return 238;
    default: return -1;
  }
}

DWORD AnsiCharsetCode() {
  // The platform offers no TranslateCharsetInfo; the code page's character set comes from
  // the same documented table.
  const int charset = CodePageToCharset(GetACP());
  return charset < 0 ? 0 : CharsetToPrinterCode(static_cast<DWORD>(charset));
}

void SetFieldToAnsiCharset(DriverContext* context, WORD fieldId) {
  WriteFieldRawById(context, fieldId, AnsiCharsetCode());
}

void SetAuthCharsetFields(DriverContext* context, DWORD which) {
  if (which & 1) SetFieldToAnsiCharset(context, fid::kdmAuthUserNameCharSet);
  if (which & 2) SetFieldToAnsiCharset(context, fid::kdmAuthPasswordCharSet);
}

void LoadDriverIdField(DriverContext* context) {
  if (!context) return;
  const WCHAR* ini = GetSecondIniPath(context);
  DWORD id = 0;
  if (ini && ini[0] && ini[1] == u':') id = static_cast<DWORD>(ReadIniInt(GetModelName(context), u"DriverID", 0, ini));
  WriteFieldRawById(context, fid::kdmDriverID, id);
}

BOOL AnyLockBitSet(DriverContext* context) {
  for (WORD id = fid::kdmLock000InfoBitDefault; id <= fid::kdmLock001InfoBit7; ++id)
    if (ReadFieldRawById(context, id)) return TRUE;
  return FALSE;
}

DWORD GetLockInfo(DriverContext* context) { return ReadFieldRawById(context, fid::kdmLockInfoLockInfo); }
BOOL IsDefaultLocked(DriverContext* context) { return BitSet(context, 10418); }
BOOL IsTrayLocked(DriverContext* context) { return BitSet(context, 10419); }
BOOL IsMediaLocked(DriverContext* context) { return BitSet(context, 10420); }
BOOL IsNupLocked(DriverContext* context) { return BitSet(context, 10421); }
BOOL IsNupAllLocked(DriverContext* context) { return BitSet(context, 10422); }
BOOL IsDuplexLocked(DriverContext* context) { return BitSet(context, 10423); }
BOOL IsPrintTypeLocked(DriverContext* context) { return BitSet(context, 10424); }
BOOL IsResolutionLocked(DriverContext* context) { return BitSet(context, 10425); }
BOOL IsColorLocked(DriverContext* context) { return BitSet(context, 10426); }

BOOL IsControlRuleLocked(DriverContext* context, ControlRecord* control) {
  // The control's lock flag is the word beside its lock field id.
  if (!control || control->lockMessageId == 0) return FALSE;
  BOOL locked = FALSE;
  if (EvaluateControlLockRule(context, control, &locked)) return locked;
  return control->lockFieldId && ReadFieldRawById(context, control->lockFieldId) ? TRUE : FALSE;
}

BOOL CheckInputCharacter(WCHAR character, int kind) {
  if (character == 8) return kind == 1 || kind == 2 ? TRUE : FALSE;
  const bool printable = character >= 0x20 && character <= 0x7E;
  if (kind == 1) return printable && character != u'"' && character != u':' ? TRUE : FALSE;
  if (kind == 2) return printable ? TRUE : FALSE;
  return FALSE;
}

BOOL IsHostExplorer() {
  WCHAR module[MAX_PATH] = {};
  WCHAR expected[MAX_PATH] = {};
  const DWORD n = GetModuleFileNameW(nullptr, module, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return FALSE;
  MakeWindowsPath(expected, MAX_PATH, u"explorer.exe");
  if (!expected[0]) return FALSE;
  return lstrcmpiW(module, expected) == 0 ? TRUE : FALSE;
}

DWORD ReadPrintQualityRaw(DriverContext* context) { return ReadFieldRawById(context, fid::dmPrintQuality); }
DWORD ReadDstResolutionW(DriverContext* context) { return ReadFieldRawById(context, fid::kdmDstResolutionW); }
DWORD ReadDstResolutionH(DriverContext* context) { return ReadFieldRawById(context, fid::kdmDstResolutionH); }
void WritePrintQualityRaw(DriverContext* context, DWORD value) { WriteFieldRawById(context, fid::dmPrintQuality, value); }
void WriteYResolutionRaw(DriverContext* context, DWORD value) { WriteFieldRawById(context, fid::dmYResolution, value); }
void WriteDstResolutionW(DriverContext* context, DWORD value) { WriteFieldRawById(context, fid::kdmDstResolutionW, value); }
void WriteDstResolutionH(DriverContext* context, DWORD value) { WriteFieldRawById(context, fid::kdmDstResolutionH, value); }
int ReturnZero() { return 0; }
