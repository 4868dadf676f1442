// Taking an incoming device-mode into a working copy of the driver's own: the strict copy
// of a merge, and the checks that decide how far a buffer from an application, the
// spooler or a file can be read at all.
#pragma once

#include "win/devmode.h"
#include "win/types.h"

// The strict copy of a merge: the public part is always copied (in whatever public
// version); the private part only when the source's dmDriverExtra is the driver's private
// size and its dmDriverVersion is the destination's. Bytes copied, or -1 when the private
// part was refused (the public part stays copied) or an argument is null. A version 0x320
// source goes through ConvertDevmodeLoose.
int ImportDevmode(const DEVMODEW* source, DEVMODEW* destination);

// An incoming buffer of `size` bytes can be read as a device-mode: it holds the header
// through dmFields, its dmSize is one of the public sizes, and size covers
// dmSize + dmDriverExtra. Null fails.
bool IsIncomingDevmodeReadable(const void* buffer, DWORD size);

// The area offsets that a private block of the driver's private size claims (at its own
// header position, whatever the public size before it) lie inside the settings buffer in
// their order: area 1 at 0, area 2 after the device-mode, area 3 after area 2, and area 3's
// end within the buffer. The private block is the source's dmSize bytes from its start.
bool AreIncomingAreaOffsetsInside(const DEVMODEW* devmode);
