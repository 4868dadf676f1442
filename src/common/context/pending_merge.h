// Operations of later subsystems that the device-mode merge, its public-field steps and
// the common settings block call: lock data, device settings, user codes, job control, the
// UI and tool-bar plug-ins, the two-way printer refresh, stamps and quality lists and settings
// files. Each has its final name and signature;
// those whose own code comes later have the least behaviour these callers need.
#pragma once

#include <cstdint>

#include "win/types.h"
// The capability lists and the resolution table, which the merge and the common settings
// block use.
#include "model/capability_lists.h"
#include "model/resolution_table.h"
// The resolution limit the merge asks for.
#include "model/resolution_limit.h"

struct DriverContext;

// ---- printer communication, plug-ins and user codes ------------------------------------
#include "outside/job_control.h"
#include "outside/plugin_list.h"
#include "outside/ui_plugins.h"
#include "outside/user_codes.h"
// A full two-way query of the printer without a progress window; 1 done, 0 failed.
int QueryPrinterBidiSilent(DriverContext* context);

// ---- stored settings --------------------------------------------------------------------
#include "stored/lock_data.h"
// LoadDeviceSettingsKind (the merge) and LoadDeviceSettingsByKind (the common settings
// block).
#include "stored/device_settings.h"
// ApplyCurrentStamp.
#include "stored/stamp_list.h"
// ApplyQualityByIndex, MakeQualityKey and LoadQualityName.
#include "stored/quality_list.h"
// LoadSettingsFile.
#include "stored/settings_load_save.h"
