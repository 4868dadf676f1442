// The public DEVMODE fields of an incoming device-mode during a merge: each field the
// incoming dmFields names is taken after the model's check (or replaced), the print
// quality brings the private resolution fields along, and after the private block is in
// place the private settings are made to agree with the public ones.
//
// d is the context's own device-mode (its fields are written through the field engine);
// s is the incoming device-mode as the merge imported it (a buffer laid out as the
// driver's own), which is only read.
#pragma once

#include "win/types.h"

struct DriverContext;
struct SettingField;

// Merge flags read here.
constexpr DWORD MERGE_PROMPT = 0x4;                 // DM_IN_PROMPT
constexpr DWORD MERGE_ROAD_DOCUMENT = 0x2000000;
constexpr DWORD MERGE_SETTINGS_FILE = 0x10000000;

// Module event 32: a print-quality value the checks did not accept; a module replaces
// `value`, and the sender takes what the block holds afterwards.
constexpr DWORD kPrintQualityEvent = 32;
struct PrintQualityEventBlock {
  BYTE* devmode;
  SettingField* field;
  DWORD value;
};

void MergePublicFields(BYTE* d, const BYTE* s, DriverContext* context);
void MergePrintQuality(BYTE* d, const BYTE* s, DriverContext* context);
void ReconcilePublicFields(BYTE* d, const BYTE* s, DriverContext* context);
// The quality list entry of a user macro (32-39 or 160) loaded from its settings file.
void ApplyUserMacroQuality(DriverContext* context);
