// The settings API's own rules.
#include "context/settings_api_rules.h"

#include <initializer_list>

#include "base/deliverable.h"
#include "fields/devmode_header.h"
#include "base/driver_context.h"
#include "fields/field_table.h"
#include "base/system_checks.h"
#include "model/units.h"
#include "field_ids.h"
#include "win/kernel.h"

bool IsSettingsApiOnlyValue(WORD fieldId, DWORD value) {
  if (!IsSettingsApiBuild()) return false;
  return (fieldId == fid::kdmUserPrintMacro && value == 160) || (fieldId == fid::kdmColorMode && value == 255);
}

bool LockedDefaults::Contains(WORD id) const {
  for (int i = 0; i < count; ++i)
    if (ids[i] == id) return true;
  return false;
}

LockedDefaults LockedFieldsKeptByDefaults(DriverContext* context) {
  LockedDefaults kept{{}, 0};
  if (!IsSettingsApiBuild() || !context || !context->settings) return kept;
  const struct {
    WORD id;
    BOOL (*locked)(DriverContext*);
  } locks[] = {
      {fid::dmDefaultSource, IsTrayLocked},    {fid::kdmMediaType, IsMediaLocked},
      {fid::kdmNUPPOSTKind, IsNupLocked},      {fid::kdmFuncSelectDuplex, IsDuplexLocked},
      {fid::kdmLockPrnMethod, IsPrintTypeLocked}, {fid::kdmLockDstResolutionBoth, IsResolutionLocked},
      {fid::dmColor, IsColorLocked},
  };
  for (const auto& l : locks)
    if (l.locked(context)) kept.ids[kept.count++] = l.id;
  return kept;
}

void HalveNameFieldSizesOnWin9x(DriverContext* context) {
  if (!IsSettingsApiBuild() || !IsWin9x() || !context) return;
  const SettingFieldDef* builtIn = GetBuiltInFields();
  for (const WORD id : {fid::dmDeviceName, fid::dmFormName}) {
    SettingField* field = FindFieldById(context, id);
    if (!field) continue;
    DWORD size = 0;
    for (int i = 0; i < kBuiltInFieldCount; ++i) {
      if (builtIn[i].id == id) {
        size = FieldSizeOf(builtIn[i].type);
        break;
      }
    }
    if (size) field->type = (field->type & ~0xFFFFu) | (size / 2);
  }
}

void SetStateByte707To0(DriverContext* context) { SetStateByte(context, fid::KPD_kdmOSKind, 0); }
void SetStateByte707To3(DriverContext* context) { SetStateByte(context, fid::KPD_kdmOSKind, 3); }

BOOL IsWin98() {
  if (!IsWin9x()) return FALSE;
  return ((GetVersion() >> 8) & 0xFF) != 0 ? TRUE : FALSE;
}
