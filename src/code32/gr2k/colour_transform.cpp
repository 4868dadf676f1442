#include "colour_transform.h"

#include "render_device.h"
#include "win/files.h"

namespace rendara {

namespace {
constexpr DWORD kTransformFlags = 3;
}  // namespace

HANDLE CreateDeviceColorTransform(RenderDevice* device, LOGCOLORSPACEW* colorSpace, PVOID destProfile,
                                  ULONG destSize) {
  if (!device) return nullptr;
  // A profile kept from an earlier transform is closed rather than forgotten; the earlier
  // transform itself stays the engine's to delete.
  if (device->colorProfile) CloseColorProfile(reinterpret_cast<HPROFILE>(device->colorProfile));
  device->colorProfile = nullptr;
  PROFILE profile{};
  profile.dwType = PROFILE_MEMBUFFER;
  profile.pProfileData = destProfile;
  profile.cbDataSize = destSize;
  HPROFILE opened = OpenColorProfileW(&profile, PROFILE_READ, FILE_SHARE_READ, OPEN_EXISTING);
  device->colorProfile = reinterpret_cast<HANDLE>(opened);
  if (!opened) return nullptr;
  HTRANSFORM transform = CreateColorTransformW(colorSpace, opened, nullptr, kTransformFlags);
  device->colorTransform = reinterpret_cast<HANDLE>(transform);
  return device->colorTransform;
}

BOOL DeleteDeviceColorTransform(RenderDevice* device) {
  if (!device) return FALSE;
  if (device->colorTransform) {
    DeleteColorTransform(reinterpret_cast<HTRANSFORM>(device->colorTransform));
    device->colorTransform = nullptr;
  }
  if (device->colorProfile) {
    CloseColorProfile(reinterpret_cast<HPROFILE>(device->colorProfile));
    device->colorProfile = nullptr;
  }
  return TRUE;
}

}  // namespace rendara
