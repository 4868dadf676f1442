// The constant switches of this build: the feature bitmap, the tray index table, the
// static chapter switch and the optional feature kinds. Branches behind a clear switch
// are not part of the driver.
#pragma once

#include <cstdint>

#include "win/types.h"

struct DriverContext;

// Bits 7, 8, 10, 11, 12 and 13 of the 64-bit feature bitmap are set.
constexpr std::uint64_t kBuildFeatureBits = 0x3D80;

// 1 when the bit (0-63) is set, else 0.
int IsBuildFeatureEnabled(DWORD bit);
// IsBuildFeatureEnabled(15), which is 0.
int IsFeature15Enabled();
// 1 for an index from 1 to 8 whose tray table entry is set (only 1).
int IsTrayIndexEnabled(std::int16_t index);
// The static chapter switch: 0.
int IsStaticFlagSet();
// 1 for the optional feature kinds 0 to 5, which are all present; 0 for any other.
int IsFeatureKindSupported(DriverContext* context, WORD kind, DWORD reserved);
// With the feature bit set, bit 0 runs the configuration-server synchronisation and bit 7
// the upload step, and answers its result; otherwise, and for other bits, 0.
int RunServerConnectorIfEnabled(DWORD bit, DWORD reserved, DriverContext* context);
