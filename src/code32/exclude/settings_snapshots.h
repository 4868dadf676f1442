// Snapshots of a handle's settings that a status change can roll back to, the terminal-
// server restrictions, and the API's colour-profile and watermark questions.
#pragma once

#include <cstdint>

#include "win/types.h"

struct DriverContext;

// A copy of the device-mode (GetTotalDevmodeSize bytes), or null. The restore copies it back
// when putBack is nonzero and frees it in every case.
BYTE* SnapshotDevmode(DriverContext* context);
void RestoreDevmodeSnapshot(DriverContext* context, BYTE* copy, int putBack);
// A copy of area 3 (3580 bytes from the area offset at device-mode byte 365), or null.
BYTE* SnapshotWorkFields(DriverContext* context);
void RestoreWorkFieldsSnapshot(DriverContext* context, BYTE* copy, int putBack);
constexpr DWORD kWorkFieldsBytes = 3580;

int IsTerminalServerRestricted(DriverContext* context);
int IsRestrictedNonAdmin(DriverContext* context);

// The number of colour profiles, and profile `index` selected with its name copied into
// buffer (kProfileNameChars + 1 characters: the name is cut to kProfileNameChars, NUL-ended).
constexpr int kProfileNameChars = 64;
std::int32_t GetProfileCountForApi(DriverContext* context);
int GetProfileNameForApi(DriverContext* context, std::int32_t index, WCHAR* buffer);

// 1 when watermark entry 256 of the per-printer INI has a text.
int HasWatermarkText(DriverContext* context);
