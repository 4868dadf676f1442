// Public device-mode versions and the copies between device-modes of different public
// sizes: the version of a device-mode by its size, the loose copy that keeps the
// destination's own size fields, the copy shaped like a caller's device-mode, and the three
// modes of the spooler's device-mode conversion call.
//
// Every copy cuts each part (public and private) to the smaller of the two device-modes'
// sizes, so nothing is written beyond the destination's declared dmSize + dmDriverExtra.
#pragma once

#include "win/devmode.h"
#include "win/types.h"

struct DriverContext;

// Conversion modes of the spooler's call.
constexpr DWORD CDM_CONVERT = 1;
constexpr DWORD CDM_CONVERT351 = 2;
constexpr DWORD CDM_DRIVER_DEFAULT = 4;

// Results of ConvertDevmodeCore.
constexpr int CONVERT_FAILED = 0;
constexpr int CONVERT_DONE = 1;
constexpr int CONVERT_CALLER_COMPLETES = 2;

// The public version by dmSize: 188 -> 0x320, 212 -> 0x400, 220 -> 0x401, any other size
// the device-mode's own dmSpecVersion; 0 for null.
WORD GetDevmodeSpecVersion(const DEVMODEW* devmode);
// 1 for the public sizes 188, 212 and 220.
bool IsKnownPublicSize(DWORD dmSize);

// Copies the public part (min of the two dmSize) and the private part (min of the two
// dmDriverExtra) of source into destination; the destination keeps its dmSpecVersion (by
// its size), dmDriverVersion, dmSize and dmDriverExtra. A private part of the driver's
// private size gets its area offsets rewritten. Bytes copied, or -1 when refused: null
// arguments, a version 0 on either side, or a source that is neither the driver's public
// size nor a version 0x320 device-mode of 188 bytes.
int ConvertDevmodeLoose(const DEVMODEW* source, DEVMODEW* destination);

// The two steps of the copies. The public part: min of the two dmSize bytes, then the
// destination's dmSpecVersion := destinationVersion and its dmDriverVersion, dmSize and
// dmDriverExtra put back; the length copied. The private part: min of the two
// dmDriverExtra bytes from source + dmSize to destination + dmSize, and a block of the
// driver's private size gets its area offsets rewritten (at its own header position); the
// length copied.
DWORD CopyDevmodePublicPart(const DEVMODEW* source, DEVMODEW* destination, WORD destinationVersion);
DWORD CopyDevmodePrivatePart(const DEVMODEW* source, DEVMODEW* destination);

// The one writer of the driver's device-mode (source) into a caller's output (destination),
// of which `writable` bytes may be written (WritableCallerDevmode, context/caller_devmode.h).
// Shaped like `shape` (the caller's device-mode): dmSize and dmSpecVersion the shape's when
// its public part is the smaller, else the source's; dmDriverExtra and dmDriverVersion the
// source's when the shape's private part is at least as large, or when the shape has none
// and kdmHidden3Func0 is set in the context (widened only when the whole fits `writable`),
// else the shape's; then the public and private parts copied, each cut to the smaller size.
// A shape that ReadableCallerDevmode refuses counts as none: without a shape the source's
// dmSize + dmDriverExtra bytes are copied as they are. 1 when written; 0, with nothing
// written, when the output would take more than `writable` bytes or there is no source; -1
// for a null destination.
int CopyDevmodeShaped(const DEVMODEW* source, const DEVMODEW* shape, DEVMODEW* destination, DWORD writable,
                      DriverContext* context);

// The spooler's conversion: CDM_CONVERT, CDM_CONVERT351 and CDM_DRIVER_DEFAULT; 1 done,
// 2 the caller completes the request (CDM_DRIVER_DEFAULT and unknown modes), 0 failed with
// the last-error code set. size is the output buffer's size in bytes, updated as the mode
// says. The two converting modes take only an input ReadableCallerDevmode allows (the call
// carries no size for it); CDM_CONVERT takes only an output whose own shape
// ReadableCallerDevmode allows within the size, and writes within that shape.
int ConvertDevmodeCore(const WCHAR* printerName, const DEVMODEW* input, DEVMODEW* output, LONG* size, DWORD mode);
