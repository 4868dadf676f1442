// The device's colour transform: a transform from an application's logical colour space
// to the printer's profile, made from the destination profile the engine hands over in
// memory. The device keeps one profile and one transform.
#pragma once

#include "win/gdi.h"
#include "win/types.h"

namespace rendara {

struct RenderDevice;

// Forgets the kept profile, opens the destination profile from memory (read access,
// shared read, open existing) and keeps it, then creates and keeps the transform from the
// logical colour space to it (no target profile, flags 3). The transform, or null when the
// profile did not open or the transform could not be made.
HANDLE CreateDeviceColorTransform(RenderDevice* device, LOGCOLORSPACEW* colorSpace, PVOID destProfile,
                                  ULONG destSize);
// Deletes the kept transform and closes the kept profile, whichever is present. TRUE.
BOOL DeleteDeviceColorTransform(RenderDevice* device);

}  // namespace rendara
