// Custom media and locked-default items.
#include "model/media_items.h"

#include "fields/field_access.h"
#include "model/units.h"
#include "field_ids.h"

namespace {

constexpr DWORD kCustomMediaFirst = 1025;  // DMMEDIA_CUSTOM1
constexpr DWORD kCustomMediaLast = 1040;   // DMMEDIA_CUSTOM16

// A custom media value's media type passes the test; other values give 0.
int CustomMediaIs(DriverContext* context, WORD mediaField, bool (*test)(DWORD)) {
  const DWORD m = ReadFieldRawById(context, mediaField);
  if (m < kCustomMediaFirst || m > kCustomMediaLast) return 0;
  return test(CustomMediaQuot(context, static_cast<int>(m - kCustomMediaFirst) + 1)) ? 1 : 0;
}

int OnInLockedDefaults(DriverContext* context, WORD field) {
  return IsDefaultLocked(context) && ReadSavedRawById(context, field) != 0 ? 1 : 0;
}

}  // namespace

bool IsNotTwoSidedMedia(DWORD m) {
  return m == 258 || m == 264 || m == 262 || m == 257 || m == 293 || m == 2 || m == 276;
}

bool IsNotFromTrayMedia(DWORD m) { return m == 262 || m == 257 || m == 293 || m == 2 || m == 276; }

DWORD CustomMediaQuot(DriverContext* context, int n) {
  if (n < 1 || n > 16) return 0;
  return ReadFieldRawById(context, static_cast<WORD>(fid::wdmCustomMedia1Quot + n - 1));
}

bool ComputeMediaItem(DriverContext* context, WORD id, DWORD* value) {
  int result = -1;
  if (id >= 851 && id <= 866) result = IsNotTwoSidedMedia(CustomMediaQuot(context, id - 850)) ? 1 : 0;
  switch (id) {
    case 870: result = OnInLockedDefaults(context, fid::kdmFuncSelectCopyProtect); break;
    case 871: result = OnInLockedDefaults(context, fid::kdmFuncSelectTonerSave); break;
    case 883: result = CustomMediaIs(context, fid::kdmMediaType, IsNotTwoSidedMedia); break;
    case 884: result = CustomMediaIs(context, fid::kdmMediaType, IsNotFromTrayMedia); break;
    case 885: result = CustomMediaIs(context, fid::kdmCoverMediaType, IsNotTwoSidedMedia); break;
    default: break;
  }
  if (result < 0) return false;
  if (value) *value = static_cast<DWORD>(result);
  return true;
}
