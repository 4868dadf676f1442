// The device-mode and quality-data exports of the settings API, and the device-mode
// services the status items share with them.
#pragma once

#include <cstdint>

#include "win/devmode.h"
#include "win/types.h"

struct DriverContext;

// Mode bits of KOVADrvGetDevmode.
constexpr std::int32_t kDevmodeDefaults = 0x1;
constexpr std::int32_t kDevmodeRebuilt = 0x2;
constexpr std::int32_t kDevmodeCurrent = 0x4;
constexpr std::int32_t kDevmodeMerge = 0x8;
constexpr std::int32_t kDevmodeBidiRefresh = 0x10;
constexpr std::int32_t kDevmodeNotificationRefresh = 0x20;
constexpr std::int32_t kDevmodePresetRefresh = 0x40;

// out, when given, takes the whole device-mode (the size answered).
std::int32_t DoGetDevmode(DriverContext* handle, std::int32_t mode, DEVMODEW* out);
// Mode 8 merges `in`; an input the driver may not read (ReadableCallerDevmode) counts as
// none: error 5, -1, the settings untouched.
std::int32_t DoGetDevmodeEx(DriverContext* handle, std::int32_t mode, DEVMODEW* out, const DEVMODEW* in);
// 0 done, 1 buffer missing or smaller than *needed (always written), -1 another mode or a
// failure.
std::int32_t DoGetDriverDevmode(const char* printerName, std::int32_t mode, std::int32_t bufferSize, BYTE* out,
                                std::int32_t* needed);
std::int32_t DoSaveQualityData(DriverContext* handle);
std::int32_t DoRestoreQualityData(DriverContext* handle);

void ReconcileApiDevmode(DriverContext* context, const DEVMODEW* in);
void RefreshPublicDevmode(DriverContext* context, const DEVMODEW* in);
void PrepareDevmodeForMode(DriverContext* context, std::int32_t mode);
void TakeUserMacroPlanes(DriverContext* context);
int IsHighResolutionRefused(DriverContext* context);
int PaperFitsHighResolution(DriverContext* context);
// 1 when the model's rule item 863 holds for the current paper geometry.
int CheckPaperAgainstModel(DriverContext* context);

// The DEVMODEA form of the driver's device-mode: 64 bytes shorter than the DEVMODEW form.
constexpr DWORD kAnsiDevmodeShrink = 64;
