// Operations that the context, its cache and the module dispatch call but whose own
// subsystems are built later: the model image, the rule evaluator's stack, the device
// settings in printer data, the job-control items, the preset
// change cache, the page code's own message handler (from the page wiring), the
// configuration-server connector and the dialog brushes. Each has its final name and
// signature and the least behaviour its callers need now.
#pragma once

#include <cstdint>

#include "context/devmode_defaults.h"
#include "win/spool.h"
#include "win/types.h"

// The model image load and the evaluation stack, which context creation calls.
#include "model/model_load.h"
#include "model/rule_eval.h"
// The capability value lists, which the work area and the common settings block ask.
#include "model/printer_option_table.h"

struct ControlRecord;
struct DriverContext;
struct ModelImage;
struct PageRecord;


// LoadDeviceSettingsWithBidiCache, which context creation calls.
#include "stored/device_settings.h"

#include "stored/font_lists.h"

// LoadJobControlItemsFromPrinterData and JobControlWriteMask, which context creation calls.
#include "outside/job_control.h"

// UpdatePresetChangeCache, which the module dispatch calls.
#include "stored/preset_list.h"

// The page code's own handling of a page message.
#include "pages/page_wiring.h"

// The configuration-server connector steps.
int SyncFromConfigServer(DriverContext* context);
int UploadToConfigServer(DriverContext* context);

// Deletes a dialog brush of the work area; does nothing for null.
#include "pages/page_binding.h"
