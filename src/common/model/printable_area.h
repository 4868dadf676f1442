// The dot fields of a device-mode derived from its papers: the source paper fields 40-45
// with the public paper length and width, and the output paper fields 47-52 with the output
// size in 0.1 mm (596, 597).
#pragma once

#include "win/types.h"

struct DriverContext;

// A free size longer or wider than this (1200 dpi) does not fit the public 16-bit fields.
constexpr DWORD kFreeSizeShortLimit = 154771;

// Module event sent before the public paper length and width of a free size are written;
// a module that sets `handled` keeps what it wrote.
constexpr DWORD kPaperSizeEvent = 45;
struct PaperSizeEventBlock {
  BYTE* devmode;
  DWORD handled;
};

// Source fields and public paper fields from a paper value of field `fieldId`. The
// oriented form swaps a free size in landscape. The device-mode is the context's own or
// another of GetTotalDevmodeSize bytes (its public fields are written there).
void DerivePaperGeometry(DWORD paper, WORD fieldId, DriverContext* context, BYTE* devmode);
void DerivePaperGeometryOriented(DWORD paper, WORD fieldId, DriverContext* context, BYTE* devmode);
// Output fields from an output paper value.
void DeriveImageableArea(DWORD paper, WORD fieldId, DriverContext* context, BYTE* devmode);
void DeriveImageableAreaOriented(DWORD paper, WORD fieldId, DriverContext* context, BYTE* devmode);
// Source fields from the device-mode's explicit public paper length and width.
void ComputePrintableArea(BYTE* devmode, DriverContext* context);
