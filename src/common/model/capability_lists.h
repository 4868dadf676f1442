// The device capability lists built from the model description: bins, bin names, paper
// codes, paper names, paper sizes and resolutions, with the paper extents, the landscape
// angle, the colour-device test and the duplex-unit test.
//
// List builders take an output buffer or null. With a buffer the entries are written one
// after the other; with null nothing is written. Either way the result is the number of
// entries of the list (so a first call with null sizes the buffer), or -1 when the list
// cannot be built. The caller's buffer must hold the count of a first call.
#pragma once

#include <cstdint>

#include "win/types.h"

struct DriverContext;

// Slot widths of the name lists, in UTF-16 characters.
constexpr int kBinNameChars = 24;
constexpr int kPaperNameChars = 64;

// The value symbol of an option value: the dictionary names the value (the symbol exists)
// and the field's value map gives the code the value stands for in the device-mode (the
// bin, paper or resolution code). `usable` is false when the map offers no code for it.
struct ValueSymbol {
  bool exists = false;
  bool usable = false;
  DWORD setting = 0;
};
ValueSymbol LookupValueSymbol(DriverContext* context, WORD fieldId, WORD valueId);

// Bin codes (u16) of the paper source option (feature 13, PickSlot). Modules answering
// event 33 with non-zero list disabled bins too.
int ListBins(DriverContext* context, WORD* buffer);
// Bin display names, one zero-filled slot of `slotChars` characters each.
int ListBinNames(DriverContext* context, WCHAR* buffer, int slotChars = kBinNameChars);
// Paper codes (u16) of the paper size option (feature 8, PickPage).
int ListPaperCodes(DriverContext* context, WORD* buffer);
// Paper display names (free sizes by their own names), `slotChars` characters each.
int ListPaperNames(DriverContext* context, WCHAR* buffer, int slotChars = kPaperNameChars);
// Paper sizes: two i32 per entry, width and length in 0.1 mm.
int ListPaperSizes(DriverContext* context, std::int32_t* buffer);

constexpr int kExtentMin = 4;  // DC_MINEXTENT
constexpr int kExtentMax = 5;  // DC_MAXEXTENT
// The user paper minimum (which 4) or maximum (5) of the product record, in 0.1 mm, kept
// within the free-size limits; written as two u16 {width, length} when a buffer is given.
// The result packs the length into the high and the width into the low 16 bits; 0 for
// any other `which`. The holder's product record is read (the built-in one for null).
DWORD GetPaperExtent(const DriverContext* holder, WORD* buffer, int which);

// Pairs of horizontal and vertical dpi (two i32 per entry); never fails: without a usable
// resolution option the list is one entry of the product's default resolution. Modules
// answering event 30 with non-zero list disabled resolutions too.
int ListResolutions(DriverContext* context, std::int32_t* buffer);

// The landscape angle of the holder's product record (the built-in one for null).
DWORD GetLandscapeAngle(const DriverContext* holder);
// 0 when bit 0 of the device-mode's machine type byte is clear, or when the colour lock
// (bit 0 of lockBits) is set and dmColor is 1 (monochrome); else 1. A null device-mode
// is 0.
int IsColorDevice(DWORD lockBits, const BYTE* devmode);
// 1 when the printer has a duplex unit (kdmSourceOptionTypeDuplex is set).
int HasDuplexUnit(DriverContext* context);
