// Small fixed tables of the settings API: print-method values, watermark colours, the
// load-share rows the model offers, the tray id list and the colour-adjustment variants.
#pragma once

#include <cstdint>

#include "win/types.h"

struct DriverContext;

// Status item 10's print-method values in order, count 4.
const DWORD* GetPrintMethodValues(DWORD* count);

struct WatermarkColour {
  BYTE index;
  BYTE red;
  BYTE green;
  BYTE blue;
};
// The row whose index equals the low byte of index, or null.
const WatermarkColour* FindWatermarkColour(DWORD index);

struct LoadShareRow {
  DWORD callerValue;
  DWORD loadShareValue;  // kdmLoadShare
  DWORD offered;         // 1 once the model was found to offer the row
};
// The six rows; count receives 6. Process-wide: a mark once set stays.
LoadShareRow* GetLoadShareTable(DWORD* count);
// Marks the rows whose option item exists in the model's kdmLoadShare option and is not
// disabled by the rules.
void MarkLoadShareRows(DriverContext* context);

// The 32 tray ids of status item 63.
const DWORD* GetTrayIdList(DWORD* count);

// kdmAdjustMode 1: the variant of the field for kdmAdjustObject; otherwise the field.
WORD AdjustTargetField(DriverContext* context, WORD field);
// The first colour-adjustment row whose base is the field gives the variant of the object
// kind (0 text, 1 line, 2 image); no row or another kind: the field itself.
WORD AdjustVariantField(DriverContext* context, WORD field, DWORD objectKind);
