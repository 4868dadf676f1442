// The private header of the driver's device-mode and its one-byte state fields.
//
// The device-mode is an exchanged and stored format: every position below is measured
// from the start of the device-mode and is exact. The public DEVMODEW takes bytes 0-219,
// the private block follows it (1016 bytes), and in a context the device-mode is the first
// 1236 bytes of the settings buffer, followed by area 2 and area 3.
#pragma once

#include <cstdint>

#include "field_ids.h"
#include "win/types.h"

struct DriverContext;
struct ProductRecord;

// Sizes.
constexpr DWORD kDevmodePublicSize = 220;
constexpr DWORD kDevmodePrivateSize = 1016;
constexpr DWORD kDevmodeTotalSize = 1236;
constexpr WORD kArea1Offset = 0;
constexpr WORD kArea2Offset = 1236;          // the device-mode size
constexpr WORD kArea3Offset = 1236 + 5264;   // 6500

// Header positions.
constexpr DWORD kDmSignaturePos = 220;       // "KOVA", 4 bytes
constexpr DWORD kDmJobfoldPos = 224;         // u32, field 704
constexpr DWORD kDmIniFileNamePos = 228;     // 16 bytes ANSI
constexpr DWORD kDmCdcVersionPos = 244;      // 16 bytes ANSI
constexpr DWORD kDmKpjlVersionPos = 260;     // 16 bytes ANSI
constexpr DWORD kDmIdentityTextSize = 16;
constexpr DWORD kDmKcomMarkPos = 276;        // "KCOMMON" and NUL, 8 bytes
constexpr DWORD kDmKcomVersionPos = 284;     // u8
constexpr DWORD kDmKcomMemberPos = 285;      // 32 bytes
constexpr DWORD kDmKcomCapsPos = 317;        // 32 bytes
constexpr DWORD kDmProductTagPos = 349;      // u32
constexpr DWORD kDmPrivateSizePos = 353;     // u32
constexpr DWORD kDmVersionPos = 357;         // u32
constexpr DWORD kDmArea1OffsetPos = 361;     // u16
constexpr DWORD kDmArea2OffsetPos = 363;     // u16
constexpr DWORD kDmArea3OffsetPos = 365;     // u16
constexpr DWORD kDmMachineIdPos = 368;       // u8, kdmMachineID
constexpr DWORD kDmStateBytesPos = 1218;     // fields 705-722
constexpr WORD kFirstStateField = fid::KPD_kdmPLInstalled;
constexpr WORD kLastStateField = fid::KPD_kdmBidiFunc;
constexpr BYTE kKcomVersion = 5;
constexpr DWORD kProductTagPriv = 0x76697270u;  // "priv"

// Fields of the private block reached by position.
constexpr DWORD kDmPublicColorPos = 92;          // dmColor, s16
constexpr DWORD kDmNupPostKindPos = 446;         // kdmNUPPOSTKind, u8
constexpr DWORD kDmHfStringPos = 469;            // kdmHFString
constexpr DWORD kDmHfFontNamePos = 502;          // kdmHFFontName
constexpr DWORD kDmQualityFuncBitsPos = 576;     // u16 of the kdmQualityFunc... bits
constexpr DWORD kDmMachineTypeBitsPos = 810;     // u8 of the kdmMachineType... bits
constexpr DWORD kDmDriverTypePos = 811;          // kdmDriverType, u8
constexpr DWORD kDmFrontFuncPos = 852;           // kdmFrontFunc, u32
constexpr DWORD kDmHidden2FuncBitsPos = 896;     // kdmHidden2Func0-31, u32
constexpr DWORD kDmCopyProtectFontNamePos = 975; // kdmCopyProtectFontName
constexpr DWORD kDmSupportFunc2BitsPos = 1020;   // u32
constexpr DWORD kDmTrackIdPos = 1040;            // kdmTrackID
constexpr DWORD kDmLockPrnMethodPos = 1178;      // kdmLockPrnMethod, u8

// Step 1 of a new device-mode: signature "KOVA" with its NUL (field 704 := 0), product
// tag, private size, device-mode version and the three area offsets. A null device-mode
// or record does nothing.
void WritePrivateHeader(BYTE* devmode, const ProductRecord* product);
// Step 2: the three identity strings from the record (16 bytes each, ANSI), then
// "KCOMMON" and 5 when the common-settings block is in use (else an empty mark and 0),
// then bytes 285-348 zeroed.
void WritePrivateIdentity(BYTE* devmode, const ProductRecord* product, bool commonBlockInUse);
// Step 3: bytes 361-366 := 0, 1236, 6500.
void WriteAreaOffsets(BYTE* devmode);
// The area offset n (1-3) the buffer's own header holds; 0 for a null buffer or n outside.
WORD ReadAreaOffset(const BYTE* devmode, int area);

// Header readers (0 for a null device-mode).
DWORD ReadPrivateTag(const BYTE* devmode);
DWORD ReadPrivateSize(const BYTE* devmode);
DWORD ReadDevmodeVersion(const BYTE* devmode);
BYTE ReadMachineId(const BYTE* devmode);
BYTE ReadDriverType(const BYTE* devmode);
// 1 when bytes 220-223 are "KOVA".
BOOL HasKovaSignature(const BYTE* devmode);

// Text-length checks: the NUL-terminated ANSI text at the field, read for at most 31 (the
// first four) or 63 bytes (the last three), is not longer than the field allows. A null
// device-mode fails.
BOOL IsIniFileNameLengthValid(const BYTE* devmode);          // 228, at most 16
BOOL IsCdcVersionLengthValid(const BYTE* devmode);           // 244, at most 16
BOOL IsKpjlVersionLengthValid(const BYTE* devmode);          // 260, at most 16
BOOL IsTrackIdLengthValid(const BYTE* devmode);              // 1040, at most 21
BOOL IsCopyProtectFontNameLengthValid(const BYTE* devmode);  // 975, at most 32
BOOL IsHfFontNameLengthValid(const BYTE* devmode);           // 502, at most 32
BOOL IsHfStringLengthValid(const BYTE* devmode);             // 469, at most 33

// Whole-word accessors of the merge (readers answer 0 and writers do nothing for null).
DWORD ReadFrontFunc(const BYTE* devmode);
void WriteFrontFunc(BYTE* devmode, DWORD value);
WORD ReadQualityFuncBits(const BYTE* devmode);
void WriteQualityFuncBits(BYTE* devmode, WORD value);
DWORD ReadHidden2FuncBits(const BYTE* devmode);
void WriteHidden2FuncBits(BYTE* devmode, DWORD value);
DWORD ReadSupportFunc2Bits(const BYTE* devmode);
// Bit 0 (resp. bit 1) of the u32 at 1020 takes the same bit of the argument.
void WriteJobCompleteSelect(BYTE* devmode, DWORD value);
void WriteJobErrorSelect(BYTE* devmode, DWORD value);
BYTE ReadLockPrnMethod(const BYTE* devmode);
void WriteLockPrnMethod(BYTE* devmode, BYTE value);
BYTE ReadMachineTypeBits(const BYTE* devmode);
BYTE ReadNupPostKind(const BYTE* devmode);
std::int16_t ReadPublicColor(const BYTE* devmode);

// Generic state-byte access by field id (705-722); other ids read 0 and write nothing.
// No write side effects (no changed mark, dirty flag or change flags).
DWORD ReadStateByte(const BYTE* devmode, WORD fieldId);
void WriteStateByte(BYTE* devmode, WORD fieldId, DWORD value);
DWORD GetStateByte(DriverContext* context, WORD fieldId);
void SetStateByte(DriverContext* context, WORD fieldId, DWORD value);

// The named family. Context forms work on the context's device-mode; device-mode forms on
// a given buffer; fixed setters write a constant into the context's device-mode.
#define KOVA_STATE_GET(n) DWORD GetStateByte##n(DriverContext* context);
#define KOVA_STATE_SET(n) void SetStateByte##n(DriverContext* context, DWORD value);
#define KOVA_STATE_RW(n)                          \
  DWORD ReadStateByte##n(const BYTE* devmode);    \
  void WriteStateByte##n(BYTE* devmode, DWORD value);
#define KOVA_STATE_FIXED(n, a, b)                 \
  void SetStateByte##n##To##a(DriverContext* context); \
  void SetStateByte##n##To##b(DriverContext* context);

// The accessors each state byte has, expanded once here as declarations and once in the
// source as definitions.
#define KOVA_STATE_BYTE_ACCESSORS \
  KOVA_STATE_SET(705) KOVA_STATE_FIXED(705, 0, 1) \
  KOVA_STATE_GET(706) KOVA_STATE_SET(706) KOVA_STATE_RW(706) KOVA_STATE_FIXED(706, 0, 1) \
  KOVA_STATE_GET(707) KOVA_STATE_SET(707) KOVA_STATE_RW(707) KOVA_STATE_FIXED(707, 1, 2) \
  KOVA_STATE_SET(708) KOVA_STATE_RW(708) KOVA_STATE_FIXED(708, 0, 1) \
  KOVA_STATE_GET(709) KOVA_STATE_SET(709) KOVA_STATE_RW(709) KOVA_STATE_FIXED(709, 0, 1) \
  KOVA_STATE_GET(710) KOVA_STATE_SET(710) KOVA_STATE_RW(710) KOVA_STATE_FIXED(710, 0, 1) \
  KOVA_STATE_GET(711) KOVA_STATE_SET(711) KOVA_STATE_RW(711) KOVA_STATE_FIXED(711, 0, 1) \
  KOVA_STATE_GET(712) KOVA_STATE_SET(712) KOVA_STATE_FIXED(712, 0, 1) \
  KOVA_STATE_SET(713) KOVA_STATE_FIXED(713, 0, 1) \
  KOVA_STATE_GET(714) KOVA_STATE_SET(714) KOVA_STATE_RW(714) KOVA_STATE_FIXED(714, 0, 1) \
  KOVA_STATE_SET(715) KOVA_STATE_FIXED(715, 0, 1) \
  KOVA_STATE_GET(716) KOVA_STATE_SET(716) KOVA_STATE_FIXED(716, 0, 1) \
  KOVA_STATE_SET(717) KOVA_STATE_FIXED(717, 0, 1) \
  KOVA_STATE_SET(718) KOVA_STATE_RW(718) KOVA_STATE_FIXED(718, 0, 1) \
  KOVA_STATE_SET(719) KOVA_STATE_FIXED(719, 0, 1) \
  KOVA_STATE_GET(720) KOVA_STATE_SET(720) KOVA_STATE_RW(720) \
  KOVA_STATE_GET(721) KOVA_STATE_SET(721) KOVA_STATE_RW(721) \
  KOVA_STATE_GET(722) KOVA_STATE_SET(722) KOVA_STATE_RW(722)

KOVA_STATE_BYTE_ACCESSORS

#undef KOVA_STATE_GET
#undef KOVA_STATE_SET
#undef KOVA_STATE_RW
#undef KOVA_STATE_FIXED
