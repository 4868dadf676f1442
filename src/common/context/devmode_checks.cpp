#include "stored/devmode_checks.h"

#include <cstring>

#include "fields/devmode_header.h"
#include "base/driver_context.h"
#include "fields/field_access.h"
#include "model/field_checks.h"
#include "fields/field_table.h"
#include "base/memory.h"
#include "model/module_dispatch.h"
#include "model/paper_map.h"
#include "fields/product_record.h"
#include "model/work_area.h"
#include "field_ids.h"
#include "model/option_lookup.h"
#include "model/rule_apply.h"
#include "model/value_sets.h"

namespace {

constexpr DWORD kSameAsSource = 1024;
constexpr DWORD kModuleEvent11 = 11;

std::int32_t Signed(DWORD v) { return static_cast<std::int32_t>(v); }

// The model's answer (0 or 1), or -1 when the model does not decide (status 2 or 3).
int ModelAnswer(WORD id, DWORD value, DriverContext* context) {
  const int s = IsFieldValueAcceptableSimple(id, value, context);
  if (s == FIELD_UNDESCRIBED || s == FIELD_NO_OPTION) return -1;
  return s == 1 ? 1 : 0;
}

int Decide(WORD id, DWORD value, DriverContext* context, bool fixedRule) {
  const int model = ModelAnswer(id, value, context);
  if (model >= 0) return model;
  return fixedRule ? 1 : 0;
}

bool Between(DWORD value, std::int32_t low, std::int32_t high) {
  const std::int32_t v = Signed(value);
  return v >= low && v <= high;
}

// The driver-type rule of the version checks.
bool DriverTypeMatches(const BYTE* devmode, const ProductRecord* product) {
  const BYTE type = ReadDriverType(devmode);
  if (product->driverType == 0) return type == 0;
  if (product->driverType == 1) return type == 1;
  return true;
}

bool TagMachineAndType(const BYTE* devmode, const ProductRecord* product) {
  return ReadPrivateTag(devmode) == product->privateTag && ReadMachineId(devmode) == product->machineId &&
         DriverTypeMatches(devmode, product);
}

// Compares an identity text of the device-mode (16 bytes, terminated) with the context's
// own field of the same id, byte for byte up to and including the NUL.
bool IdentityTextEquals(DriverContext* context, WORD id, const BYTE* text) {
  SettingField* field = FindFieldById(context, id);
  const BYTE* own = GetFieldAddress(context, field);
  if (!own) return false;
  const DWORD size = FieldSizeOf(field->type) < kDmIdentityTextSize ? FieldSizeOf(field->type) : kDmIdentityTextSize;
  for (DWORD i = 0; i < size; ++i) {
    if (own[i] != text[i]) return false;
    if (text[i] == 0) return true;
  }
  return false;  // the context's own text does not end within its field
}

int FreeSizeIndexOf(DriverContext* context, WORD id) {
  const std::int32_t paper = Signed(ReadFieldRawById(context, id));
  if (paper < 384 || paper > 393) return -1;
  return FreeSizeIndexFromPaperId(static_cast<DWORD>(paper), context);
}

}  // namespace

int IsDefaultSourceValid(DWORD value, DriverContext* context) {
  return Decide(fid::dmDefaultSource, value, context,
                Between(value, 1, 15) || IsValueAllowedForItem(fid::dmDefaultSource, value));
}

int IsOrientationValid(DWORD value, DriverContext* context) {
  const int s = CheckFieldValueSimple(fid::dmOrientation, value, context);
  if (s == FIELD_UNDESCRIBED || s == FIELD_NO_OPTION) return value == 1 || value == 2 ? 1 : 0;
  return s == FIELD_VALID ? 1 : 0;
}

int IsModelPaperSize(DWORD value, DriverContext* context) {
  return ModelAnswer(fid::dmPaperSize, value, context) == 1 ? 1 : 0;
}

int IsFormNameValid(const WCHAR*, DriverContext*) { return 1; }

int IsPrintQualityValid(DWORD value, DriverContext* context) {
  return Decide(fid::dmPrintQuality, value, context, IsValueAllowedForItem(fid::dmPrintQuality, value) != 0);
}

int IsDuplexValid(DWORD value, DriverContext* context) {
  return Decide(fid::dmDuplex, value, context, Between(value, 1, 3));
}

int IsColorValid(DWORD value, DriverContext* context) { return Decide(fid::dmColor, value, context, Between(value, 1, 2)); }

int IsTTOptionValid(DWORD value, DriverContext* context) {
  return Decide(fid::dmTTOption, value, context, Between(value, 1, 4));
}

int IsIcmMethodValid(DWORD value, DriverContext* context) {
  return Decide(fid::dmICMMethod, value, context, Between(value, 1, 4) || IsValueAllowedForItem(fid::dmICMMethod, value));
}

int IsIcmIntentValid(DWORD value, DriverContext* context) {
  return Decide(fid::dmICMIntent, value, context, Between(value, 1, 2) || IsValueAllowedForItem(fid::dmICMIntent, value));
}

int IsMediaTypeValid(DWORD value, DriverContext* context) {
  return Decide(fid::dmMediaType, value, context, Between(value, 1, 3) || IsValueAllowedForItem(fid::dmMediaType, value));
}

int IsDitherTypeValid(DWORD value, DriverContext* context) {
  return Decide(fid::dmDitherType, value, context,
                Between(value, 1, 4) || value == 10 || IsValueAllowedForItem(fid::dmDitherType, value));
}

int IsDmresValue(DWORD value) { return Between(value, -4, -1) ? 1 : 0; }

int IsFreeSizeListPaper(DWORD value, DriverContext*) { return value != 0 && IsUserPaperCode(value) ? 1 : 0; }

int IsUserPaperCode(DWORD value) { return (value >= 384 && value <= 393) || value == 448 || value == 256 ? 1 : 0; }

int IsOutputPaperValue(DWORD value, DriverContext*) {
  return Between(value, 1, 118) || IsValueAllowedForItem(fid::dmPaperSize, value) ? 1 : 0;
}

int IsSameAsSourcePaper(DWORD value) { return value == kSameAsSource ? 1 : 0; }

int GetPaperSizeFreeSizeIndex(DriverContext* context) { return FreeSizeIndexOf(context, fid::dmPaperSize); }

int GetOutPaperFreeSizeIndex(DriverContext* context) { return FreeSizeIndexOf(context, fid::kdmOutPaperSize); }

int IsTextTerminated(const BYTE* text, DWORD size) {
  if (!text || size == 0) return 0;
  auto* scratch = static_cast<BYTE*>(AllocMem(size + 1));
  if (!scratch) return 0;
  std::memcpy(scratch, text, size);
  int terminated = 0;
  for (DWORD i = 0; i < size; ++i) {
    if (scratch[i] == 0) {
      terminated = 1;
      break;
    }
  }
  FreeMem(scratch);
  return terminated;
}

int IsDevmodeIdentityCurrent(DriverContext* context, const BYTE* devmode) {
  if (!devmode || !HasKovaSignature(devmode)) return 0;
  const struct {
    DWORD position;
    WORD id;
  } texts[] = {{kDmIniFileNamePos, fid::kdmIniFileName}, {kDmCdcVersionPos, fid::kdmiCDCVerStr}, {kDmKpjlVersionPos, fid::kdmiKPJLVerStr}};
  for (const auto& t : texts) {
    if (!IsTextTerminated(devmode + t.position, kDmIdentityTextSize)) return 0;
  }
  for (const auto& t : texts) {
    if (!IdentityTextEquals(context, t.id, devmode + t.position)) return 0;
  }
  return 1;
}

int IsDevmodeWellFormed(const BYTE* devmode, DriverContext* context) {
  if (!devmode) return 0;
  if (!IsIniFileNameLengthValid(devmode) || !IsCdcVersionLengthValid(devmode) || !IsKpjlVersionLengthValid(devmode) ||
      !IsTrackIdLengthValid(devmode) || !IsCopyProtectFontNameLengthValid(devmode) ||
      !IsHfFontNameLengthValid(devmode) || !IsHfStringLengthValid(devmode)) {
    return 0;
  }
  return IsDevmodeIdentityCurrent(context, devmode);
}

int CheckDevmodeVersion(const BYTE* devmode) {
  if (!devmode) return 0;
  const ProductRecord* product = GetProductRecord();
  return TagMachineAndType(devmode, product) && ReadPrivateSize(devmode) == GetPrivateDevmodeSize() &&
                 ReadDevmodeVersion(devmode) == product->devmodeVersion
             ? 1
             : 0;
}

int CheckDevmodeVersionLoose(const BYTE* devmode) {
  if (!devmode) return 0;
  return TagMachineAndType(devmode, GetProductRecord()) ? 1 : 0;
}

int CheckDevmodeVersionSized(const BYTE* devmode) {
  if (!devmode) return 0;
  return TagMachineAndType(devmode, GetProductRecord()) && ReadPrivateSize(devmode) == GetPrivateDevmodeSize() ? 1
                                                                                                               : 0;
}

std::int32_t GetWatermarkIdIfEnabled(DriverContext* context) {
  if (ReadFieldRawById(context, fid::kdmFuncSelectWaterMark) == 0) return -1;
  return Signed(ReadFieldRawById(context, fid::kdmWmID));
}

std::int32_t GetUserMacroIndex(DriverContext* context) {
  if (ReadFieldRawById(context, fid::kdmUseUserMacro) != 1) return -1;
  return Signed(GetFieldValueById(context, fid::kdmUserPrintMacro)) - 135;
}

int IsCollateSupported(DriverContext* context) { return HasSortTypeChoices(context); }

void RefreshAllOptionStates(DriverContext* context) {
  if (!context || !context->fields.records) return;
  for (int i = 0; i < context->fields.count; ++i) {
    const WORD id = context->fields.records[i].id;
    if (id == 0) continue;
    if (ImageRef option = GetOptionForFeature(id, context)) ApplyOptionTransacts(option, context);
  }
}

void RefreshOptionControl(DriverContext* context, WORD id) {
  if (!context || id == 0 || !FindFieldById(context, id)) return;
  if (ImageRef option = GetOptionForFeature(id, context)) ApplyOptionTransacts(option, context);
}

void SendModuleEvent11(DriverContext* context) { NotifyModules(context, kModuleEvent11, nullptr); }
