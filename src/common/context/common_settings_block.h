// The common settings block: after the "KCOMMON" marker the private device-mode carries a
// 32-byte request block, in which a program outside the driver codes common settings (or
// asks for a reset or a printer refresh), and a 32-byte capability block, in which the
// driver reports which coded values the model offers. A request is applied when the
// device-mode is merged; the capability block is written and the request cleared when a
// device-mode is handed out; both are zeroed when a device-mode is built.
#pragma once

#include <cstdint>

#include "win/types.h"

struct DriverContext;

// The request block, byte by byte (0 in a setting byte leaves the setting unchanged).
#pragma pack(push, 1)
struct CommonSettingsBlock {
  BYTE kind;         // 2 reset, 3 refresh from the printer, 4 reset + device settings + refresh
  BYTE valid;        // 1 when the block holds a request
  BYTE duplex;
  BYTE sort;
  BYTE punch;
  BYTE staple;
  BYTE outputTray;
  BYTE resolution;
  BYTE printArea;
  BYTE unused9;
  WORD scale;        // little-endian; 0x4001-0x4007 the fixed scales
  BYTE nup;
  BYTE outputPaper;
  BYTE unused[18];
};
#pragma pack(pop)
static_assert(sizeof(CommonSettingsBlock) == 32, "CommonSettingsBlock is 32 bytes");

constexpr DWORD kCommonBlockSize = 32;
constexpr BYTE COMMON_KIND_RESET = 2;
constexpr BYTE COMMON_KIND_REFRESH = 3;
constexpr BYTE COMMON_KIND_RESET_RELOAD_REFRESH = 4;
constexpr BYTE COMMON_REQUEST_VALID = 1;
constexpr DWORD MERGE_COMMON_APPLIED = 0x40000000;

// The 19 fields a request may write, bit n of a change mask for the n-th, ended by 0xFFFF.
const WORD* GetCommonSettingsFieldList();

// Applies the request of the incoming device-mode `in` (a buffer of GetTotalDevmodeSize
// bytes laid out as the driver's own): 1 done or no request, 0 when a buffer could not be
// allocated or the printer refresh failed. Afterwards `in` holds the result.
int ApplyCommonSettings(DriverContext* context, BYTE* in);
// Writes the capability block and clears the request block of the context's device-mode:
// 1, or 0 when a list buffer could not be allocated (then neither block is written).
int FillCommonCapabilities(DriverContext* context);
// Writes the field (raw) and answers its bit of the change mask; 0 without writing for an
// id outside the list.
DWORD WriteCommonSetting(DriverContext* context, WORD id, DWORD value);
// For each set bit, in list order, the transacts of the option of that field.
void ApplyCommonSettingTransacts(DriverContext* context, DWORD mask);
// The stored kdmOutputTrayID values of the output-tray option's values that are offered and
// not disabled, into buffer when given; the count, or -1 when there is no PickOne option,
// it offers nothing, every value is disabled or a value has no stored value.
int ListOfferedTrayCodes(DriverContext* context, WORD* buffer);
