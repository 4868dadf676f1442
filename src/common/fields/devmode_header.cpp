#include "fields/devmode_header.h"

#include <cstring>

#include "base/deliverable.h"
#include "base/driver_context.h"
#include "fields/locale_text.h"
#include "fields/product_record.h"

namespace {

DWORD GetU32(const BYTE* p) {
  return static_cast<DWORD>(p[0]) | (static_cast<DWORD>(p[1]) << 8) | (static_cast<DWORD>(p[2]) << 16) |
         (static_cast<DWORD>(p[3]) << 24);
}
void PutU32(BYTE* p, DWORD v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<BYTE>(v >> (8 * i));
}
WORD GetU16(const BYTE* p) { return static_cast<WORD>(p[0] | (p[1] << 8)); }
void PutU16(BYTE* p, WORD v) {
  p[0] = static_cast<BYTE>(v & 0xFF);
  p[1] = static_cast<BYTE>(v >> 8);
}

// Length of the NUL-terminated text at p, read for at most limit bytes.
DWORD BoundedLength(const BYTE* p, DWORD limit) {
  DWORD n = 0;
  while (n < limit && p[n]) ++n;
  return n;
}

BOOL TextFits(const BYTE* devmode, DWORD pos, DWORD readLimit, DWORD maxLength) {
  if (!devmode) return FALSE;
  return BoundedLength(devmode + pos, readLimit) <= maxLength ? TRUE : FALSE;
}

void WriteIdentityText(BYTE* target, ProductRef ref) {
  const WCHAR* text = GetProductString(ref);
  std::memset(target, 0, kDmIdentityTextSize);
  if (text) WideToAnsi(reinterpret_cast<char*>(target), text, static_cast<int>(kDmIdentityTextSize));
  // A text of 16 bytes or more has no terminator of its own inside the field; the field
  // keeps its 16 bytes and nothing spills into the next one.
}

BYTE* DevmodeOf(DriverContext* context) { return context ? context->settings : nullptr; }

bool IsStateField(WORD id) { return id >= kFirstStateField && id <= kLastStateField; }

}  // namespace

void WritePrivateHeader(BYTE* devmode, const ProductRecord* product) {
  if (!devmode || !product) return;
  std::memcpy(devmode + kDmSignaturePos, "KOVA", 4);
  PutU32(devmode + kDmJobfoldPos, 0);  // its low byte ends the signature
  PutU32(devmode + kDmProductTagPos, product->privateTag);
  PutU32(devmode + kDmPrivateSizePos, kDevmodePrivateSize);
  PutU32(devmode + kDmVersionPos, product->devmodeVersion);
  WriteAreaOffsets(devmode);
}

void WritePrivateIdentity(BYTE* devmode, const ProductRecord* product, bool commonBlockInUse) {
  if (!devmode || !product) return;
  WriteIdentityText(devmode + kDmIniFileNamePos, product->modelIniName);
  WriteIdentityText(devmode + kDmCdcVersionPos, product->cdcVersion);
  WriteIdentityText(devmode + kDmKpjlVersionPos, product->pjlVersion);
  std::memset(devmode + kDmKcomMarkPos, 0, 8);
  // The settings API never marks the common-settings block.
  if (commonBlockInUse && !IsSettingsApiBuild()) {
    std::memcpy(devmode + kDmKcomMarkPos, "KCOMMON", 8);
    devmode[kDmKcomVersionPos] = kKcomVersion;
  } else {
    devmode[kDmKcomVersionPos] = 0;
  }
  std::memset(devmode + kDmKcomMemberPos, 0, kDmProductTagPos - kDmKcomMemberPos);
}

void WriteAreaOffsets(BYTE* devmode) {
  if (!devmode) return;
  PutU16(devmode + kDmArea1OffsetPos, kArea1Offset);
  PutU16(devmode + kDmArea2OffsetPos, kArea2Offset);
  PutU16(devmode + kDmArea3OffsetPos, kArea3Offset);
}

WORD ReadAreaOffset(const BYTE* devmode, int area) {
  if (!devmode || area < 1 || area > 3) return 0;
  return GetU16(devmode + kDmArea1OffsetPos + 2 * static_cast<DWORD>(area - 1));
}

DWORD ReadPrivateTag(const BYTE* devmode) { return devmode ? GetU32(devmode + kDmProductTagPos) : 0; }
DWORD ReadPrivateSize(const BYTE* devmode) { return devmode ? GetU32(devmode + kDmPrivateSizePos) : 0; }
DWORD ReadDevmodeVersion(const BYTE* devmode) { return devmode ? GetU32(devmode + kDmVersionPos) : 0; }
BYTE ReadMachineId(const BYTE* devmode) { return devmode ? devmode[kDmMachineIdPos] : 0; }
BYTE ReadDriverType(const BYTE* devmode) { return devmode ? devmode[kDmDriverTypePos] : 0; }
BOOL HasKovaSignature(const BYTE* devmode) {
  return devmode && std::memcmp(devmode + kDmSignaturePos, "KOVA", 4) == 0 ? TRUE : FALSE;
}

BOOL IsIniFileNameLengthValid(const BYTE* devmode) { return TextFits(devmode, kDmIniFileNamePos, 31, 16); }
BOOL IsCdcVersionLengthValid(const BYTE* devmode) { return TextFits(devmode, kDmCdcVersionPos, 31, 16); }
BOOL IsKpjlVersionLengthValid(const BYTE* devmode) { return TextFits(devmode, kDmKpjlVersionPos, 31, 16); }
BOOL IsTrackIdLengthValid(const BYTE* devmode) { return TextFits(devmode, kDmTrackIdPos, 31, 21); }
BOOL IsCopyProtectFontNameLengthValid(const BYTE* devmode) {
  return TextFits(devmode, kDmCopyProtectFontNamePos, 63, 32);
}
BOOL IsHfFontNameLengthValid(const BYTE* devmode) { return TextFits(devmode, kDmHfFontNamePos, 63, 32); }
BOOL IsHfStringLengthValid(const BYTE* devmode) { return TextFits(devmode, kDmHfStringPos, 63, 33); }

DWORD ReadFrontFunc(const BYTE* devmode) { return devmode ? GetU32(devmode + kDmFrontFuncPos) : 0; }
void WriteFrontFunc(BYTE* devmode, DWORD value) {
  if (devmode) PutU32(devmode + kDmFrontFuncPos, value);
}
WORD ReadQualityFuncBits(const BYTE* devmode) { return devmode ? GetU16(devmode + kDmQualityFuncBitsPos) : 0; }
void WriteQualityFuncBits(BYTE* devmode, WORD value) {
  if (devmode) PutU16(devmode + kDmQualityFuncBitsPos, value);
}
DWORD ReadHidden2FuncBits(const BYTE* devmode) { return devmode ? GetU32(devmode + kDmHidden2FuncBitsPos) : 0; }
void WriteHidden2FuncBits(BYTE* devmode, DWORD value) {
  if (devmode) PutU32(devmode + kDmHidden2FuncBitsPos, value);
}
DWORD ReadSupportFunc2Bits(const BYTE* devmode) {
  return devmode ? GetU32(devmode + kDmSupportFunc2BitsPos) : 0;
}
void WriteJobCompleteSelect(BYTE* devmode, DWORD value) {
  if (!devmode) return;
  DWORD word = GetU32(devmode + kDmSupportFunc2BitsPos);
  PutU32(devmode + kDmSupportFunc2BitsPos, (word & ~1u) | (value & 1u));
}
void WriteJobErrorSelect(BYTE* devmode, DWORD value) {
  if (!devmode) return;
  DWORD word = GetU32(devmode + kDmSupportFunc2BitsPos);
  PutU32(devmode + kDmSupportFunc2BitsPos, (word & ~2u) | (value & 2u));
}
BYTE ReadLockPrnMethod(const BYTE* devmode) { return devmode ? devmode[kDmLockPrnMethodPos] : 0; }
void WriteLockPrnMethod(BYTE* devmode, BYTE value) {
  if (devmode) devmode[kDmLockPrnMethodPos] = value;
}
BYTE ReadMachineTypeBits(const BYTE* devmode) { return devmode ? devmode[kDmMachineTypeBitsPos] : 0; }
BYTE ReadNupPostKind(const BYTE* devmode) { return devmode ? devmode[kDmNupPostKindPos] : 0; }
std::int16_t ReadPublicColor(const BYTE* devmode) {
  return devmode ? static_cast<std::int16_t>(GetU16(devmode + kDmPublicColorPos)) : 0;
}

DWORD ReadStateByte(const BYTE* devmode, WORD fieldId) {
  if (!devmode || !IsStateField(fieldId)) return 0;
  return devmode[kDmStateBytesPos + (fieldId - kFirstStateField)];
}
void WriteStateByte(BYTE* devmode, WORD fieldId, DWORD value) {
  if (!devmode || !IsStateField(fieldId)) return;
  devmode[kDmStateBytesPos + (fieldId - kFirstStateField)] = static_cast<BYTE>(value & 0xFF);
}
DWORD GetStateByte(DriverContext* context, WORD fieldId) { return ReadStateByte(DevmodeOf(context), fieldId); }
void SetStateByte(DriverContext* context, WORD fieldId, DWORD value) {
  WriteStateByte(DevmodeOf(context), fieldId, value);
}

#define KOVA_STATE_GET(n) \
  DWORD GetStateByte##n(DriverContext* context) { return GetStateByte(context, n); }
#define KOVA_STATE_SET(n) \
  void SetStateByte##n(DriverContext* context, DWORD value) { SetStateByte(context, n, value); }
#define KOVA_STATE_RW(n)                                                                          \
  DWORD ReadStateByte##n(const BYTE* devmode) { return ReadStateByte(devmode, n); }                \
  void WriteStateByte##n(BYTE* devmode, DWORD value) { WriteStateByte(devmode, n, value); }
#define KOVA_STATE_FIXED(n, a, b)                                                   \
  void SetStateByte##n##To##a(DriverContext* context) { SetStateByte(context, n, a); } \
  void SetStateByte##n##To##b(DriverContext* context) { SetStateByte(context, n, b); }

KOVA_STATE_BYTE_ACCESSORS
