// The settings buffer of a context: the printer's stored default device-mode, completed,
// or a device-mode made from the model's and the product's defaults.
#pragma once

#include "win/spool.h"
#include "win/types.h"

struct DriverContext;
struct SettingField;

// A new zero-filled settings buffer of GetSettingsBufferSize bytes that the caller owns,
// or null (null context, no memory). mode is the creation mode (0-3); refresh is 0 while
// the context is created and 1 when a cached context is refreshed. The context's own
// buffer pointer is the same afterwards.
BYTE* BuildDefaultDevmode(DriverContext* context, WORD mode, const PRINTER_INFO_2W* printerInfo, DWORD refresh);

// Rebuilds the context's settings buffer in place from the defaults. The device name
// (dmDeviceName) is kept.
void SetDevmodeDefaults(DriverContext* context);

// The steps of SetDevmodeDefaults.
void DefaultAllFields(DriverContext* context);
void SetDriverVersionField(DriverContext* context);
void KeepOrDefaultPublicFields(DriverContext* context);
void FinishDefaults(BYTE* devmode, DriverContext* context);
void SetEnvironmentStateBytes(DriverContext* context);

// Model defaults for every area-2 field but the font lists (10004-10009).
void DefaultAreaTwoFields(DriverContext* context);
// Model defaults for every area-3 field from table index 722 on.
void DefaultAreaThreeFields(DriverContext* context);
// Takes over the printer's own default device-mode when it has this device-mode's sizes
// and driver version and passes the version check.
void AdoptPrinterDevmode(DriverContext* context);
// SetFieldValue(field, the model's default for the field's id).
void SetFieldToModelDefault(DriverContext* context, SettingField* field);
