// The constant switches of this build.
#include "base/build_switches.h"

#include "base/server_connector_calls.h"

namespace {

// Entries 0-8 of the tray index table; only index 1 is set.
constexpr WORD kTrayIndexTable[9] = {0, 1, 0, 0, 0, 0, 0, 0, 0};
constexpr int kStaticChapterSwitch = 0;
constexpr WORD kLastFeatureKind = 5;

}  // namespace

int IsBuildFeatureEnabled(DWORD bit) {
  if (bit > 63) return 0;
  return ((kBuildFeatureBits >> bit) & 1u) ? 1 : 0;
}

int IsFeature15Enabled() { return IsBuildFeatureEnabled(15); }

int IsTrayIndexEnabled(std::int16_t index) {
  if (index < 1 || index > 8) return 0;
  return kTrayIndexTable[index] != 0 ? 1 : 0;
}

int IsStaticFlagSet() { return kStaticChapterSwitch; }

int IsFeatureKindSupported(DriverContext*, WORD kind, DWORD) { return kind <= kLastFeatureKind ? 1 : 0; }

int RunServerConnectorIfEnabled(DWORD bit, DWORD, DriverContext* context) {
  if (!IsBuildFeatureEnabled(bit)) return 0;
  if (bit == 0) return SyncFromConfigServer(context);
  if (bit == 7) return SyncFromConfigServerEx(context);
  return 0;
}
