// Versions of the driver's private device-mode: comparing a device-mode's version with
// this driver's, and bringing an older device-mode of the same major version up to date
// step by step through the model's own conversion item.
//
// Versions are major * 100 + minor (322 is 3.22).
#pragma once

#include "win/types.h"

struct DriverContext;

// Verdicts of CompareVersions.
constexpr int VERSION_ACCEPT = 0;    // same, or newer
constexpr int VERSION_UPGRADE = 1;   // same major, older minor
constexpr int VERSION_TOO_OLD = 2;   // incompatible

// 2 when both majors are below 3; equal majors: 1 when have's minor is below want's, else
// 0; different majors: 0 when have's is the larger, else 2.
int CompareVersions(DWORD have, DWORD want);
// -1 for null; else CompareVersions(the device-mode's version, the product's). The version
// is the u32 at offset 137 of the private block, which starts at dmSize; a device-mode
// whose dmSize is not a public size has no private block to read and answers 2; one whose
// dmDriverExtra is too short to hold the version (a public part alone) answers -1, as for
// no device-mode: nothing past dmSize + dmDriverExtra is read.
int CompareDevmodeVersion(const BYTE* devmode);
// 0 unless CompareDevmodeVersion answers 1; otherwise RunDevmodeConversion from the
// device-mode's version to the product's, after which the product's version is written
// into the version word of the context's own private block.
int UpgradeDevmodeIfOlder(const BYTE* devmode, DriverContext* context);
// For every step from + 1 to `to`: wdmConvertVersion := the step and the first transact
// list of the model's "KPD_ConvertDevmode" item is applied; a step that leaves
// wdmConvertVersion at `to` or above ends the run. 1 when the model has the item, else 0
// (nothing changed).
int RunDevmodeConversion(DWORD from, DWORD to, DriverContext* context);
