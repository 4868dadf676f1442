// The setting-lock module: its hooks into the settings model.
#include "context/field_access.h"
#include "field_ids.h"
#include "modules/module_hooks.h"

namespace {

constexpr WORD kCopyLockedValues = 312;

// wdmLock00nInfo field := the setting it keeps (raw values).
constexpr WORD kLockCopies[][2] = {
    {fid::wdmLock001Info, fid::dmDefaultSource},
    {fid::wdmLock002Info, fid::kdmMediaType},
    {fid::wdmLock003Info, fid::kdmNUPPOSTKind},
    {fid::wdmLock006Info, fid::kdmPrnMethod},
    {fid::wdmLock007Info, fid::kdmLockDstResolutionBoth},
    {fid::wdmLock008Info, fid::dmColor},
};

}  // namespace

// Built-in function 312 copies the current locked values into the lock work fields.
// PENDING: the setting-lock module's issue adds its other built-in functions.
std::int32_t SettingLockModuleItem(DriverContext* context, WORD number, void*) {
  if (!context || number != kCopyLockedValues) return 0;
  for (const auto& copy : kLockCopies) WriteFieldRawById(context, copy[0], ReadFieldRawById(context, copy[1]));
  return 1;
}

// PENDING: the setting-lock module's issue builds its page messages and events 60, 63, 64.
std::int32_t SettingLockModuleMessage(DriverContext*, PageRecord*, ControlRecord*, DWORD, WPARAM, LPARAM, void*) {
  return 0;
}

std::int32_t SettingLockModuleEvent(DriverContext*, DWORD, void*, void*) { return 0; }
