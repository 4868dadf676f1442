// A caller's device-mode at the driver's doors: how much of one handed in may be read, and
// how much of a caller's output may be written. Every entry point that takes or fills a
// caller's device-mode asks these two; the driver's device-mode reaches a caller's output
// only through CopyDevmodeShaped (context/devmode_convert.h), within what they allow.
#pragma once

#include "win/devmode.h"
#include "win/types.h"

// A caller's size that the call does not carry: the device-mode's own dmSize +
// dmDriverExtra is all there is to go by for an input, and an output holds the whole
// device-mode whose size the call answers first.
constexpr DWORD kCallerSizeNotGiven = 0xFFFFFFFFu;

// The smallest public part the driver takes from a caller: the DEVMODEW of version 0x320,
// which holds every public member the driver reads or writes in a caller's device-mode.
constexpr DWORD kCallerPublicMinimum = DEVMODEW_SIZE_0320;

// The bytes of a device-mode a caller hands in that may be read (its dmSize +
// dmDriverExtra), or 0 when it is not to be used at all: null, refused by IsValidDevmodeW
// against the caller's size (against its own dmSize + dmDriverExtra when the call carries
// no size), or a dmSize below kCallerPublicMinimum. The repairs IsValidDevmodeW makes stay
// in the caller's device-mode (the entry points receive it writable).
DWORD ReadableCallerDevmode(const DEVMODEW* devmode, DWORD callerSize);
// The device-mode when ReadableCallerDevmode allows it, else null: what a call goes on with.
const DEVMODEW* UsableCallerDevmode(const DEVMODEW* devmode, DWORD callerSize);

// The bytes that may be written into a caller's output: 0 for none; the caller's size when
// the call carries one; otherwise the driver's whole device-mode (GetTotalDevmodeSize).
DWORD WritableCallerDevmode(const DEVMODEW* output, DWORD callerSize);

// The bytes the driver's device-mode takes at least in an output shaped like `shape` (the
// smaller of the two public sizes and of the two private sizes); the whole device-mode when
// there is no shape or the shape is not to be used.
DWORD ShapedDevmodeSize(const DEVMODEW* shape);
