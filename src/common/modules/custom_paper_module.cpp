// The custom paper module: its hooks into the settings model.
#include <cstdint>

#include "context/field_access.h"
#include "context/locale_text.h"
#include "context/module_services.h"
#include "context/units.h"
#include "field_ids.h"
#include "modules/module_hooks.h"

namespace {


// Public DEVMODEW members of the custom paper (signed 16 bits; lengths in 0.1 mm).
constexpr DWORD kDmPaperSizePos = 78;
constexpr DWORD kDmPaperLengthPos = 80;
constexpr DWORD kDmPaperWidthPos = 82;
constexpr int kUserDefinedPaper = 256;

int GetS16(const BYTE* p) { return static_cast<std::int16_t>(static_cast<WORD>(p[0] | (p[1] << 8))); }
void PutS16(BYTE* p, DWORD v) {
  p[0] = static_cast<BYTE>(v & 0xFF);
  p[1] = static_cast<BYTE>((v >> 8) & 0xFF);
}

// Inch mode: the user-defined paper, a display unit other than millimetres and inch input.
bool InchModeActive(DriverContext* context, const BYTE* devmode) {
  return GetS16(devmode + kDmPaperSizePos) == kUserDefinedPaper && !IsMetricUnits(context) &&
         ReadFieldRawById(context, fid::wdmInputFreeSizeType) == 1;
}

DWORD ToHundredthInch(int tenthMm) {
  return tenthMm <= 0 ? 0 : TenthMmToHundredthInch(static_cast<DWORD>(tenthMm));
}

}  // namespace

// PENDING: the custom paper module's issue builds its built-in functions and page messages.
std::int32_t CustomPaperModuleItem(DriverContext*, WORD, void*) { return 0; }

std::int32_t CustomPaperModuleMessage(DriverContext*, PageRecord*, ControlRecord*, DWORD, WPARAM, LPARAM, void*) {
  return 0;
}

// Event 44 keeps the custom size of a merged device-mode in 0.01 inch; event 45 gives the
// public length and width back from it. Both only in inch mode.
// PENDING: the custom paper module's issue adds its page events.
std::int32_t CustomPaperModuleEvent(DriverContext* context, DWORD event, void* block, void*) {
  if (!context || !block || (event != MODEV_INCH_PAPER_IN && event != MODEV_INCH_PAPER_OUT)) return 0;
  auto* b = static_cast<DevmodeEventBlock*>(block);
  if (!b->devmode || !InchModeActive(context, b->devmode)) return 0;
  if (event == MODEV_INCH_PAPER_IN) {
    WriteFieldRawById(context, fid::kdmPaperINCHLength, ToHundredthInch(GetS16(b->devmode + kDmPaperLengthPos)));
    WriteFieldRawById(context, fid::kdmPaperINCHWidth, ToHundredthInch(GetS16(b->devmode + kDmPaperWidthPos)));
    return 0;
  }
  PutS16(b->devmode + kDmPaperLengthPos, HundredthInchToTenthMm(ReadFieldRawById(context, fid::kdmPaperINCHLength)));
  PutS16(b->devmode + kDmPaperWidthPos, HundredthInchToTenthMm(ReadFieldRawById(context, fid::kdmPaperINCHWidth)));
  b->handled = 1;
  return 1;
}
