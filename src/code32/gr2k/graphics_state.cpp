#include "graphics_state.h"

#include "drawing_records.h"
#include "render_device.h"

namespace rendara {

namespace {

constexpr BYTE kMixRops[17] = {0xCC, 0xFF, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77,
                               0x88, 0x99, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0x00};

// The pattern-and-destination codes of mixes 1 to 16, in order.
constexpr BYTE kMixCodes[16] = {0x00, 0x05, 0x0A, 0x0F, 0x50, 0x55, 0x5A, 0x5F,
                                0xA0, 0xA5, 0xAA, 0xAF, 0xF0, 0xF5, 0xFA, 0xFF};

ULONG MixOfCode(ULONG code) {
  for (ULONG i = 0; i < 16; ++i)
    if (kMixCodes[i] == code) return i + 1;
  return 0;
}

}  // namespace

BYTE MixToRop(ULONG mix) { return mix > 16 ? 0xCC : kMixRops[mix]; }

ULONG RopToMix(ULONG rop4) { return MixOfCode(rop4 & 0xFF) | (MixOfCode((rop4 >> 8) & 0xFF) << 8); }

void InvalidateDrawingState(RenderDevice* device) {
  if (!device) return;
  DrawingState& state = device->drawing;
  state.pen.valid = FALSE;
  state.ropValid = FALSE;
  state.paintModeValid = FALSE;
  state.brushValid = FALSE;
  state.color.valid = FALSE;
  state.font.valid = FALSE;
}

BOOL SendRop(RenderDevice* device, BYTE rop) {
  if (!device) return FALSE;
  DrawingState& state = device->drawing;
  if (state.ropValid && state.rop == rop) return TRUE;
  if (!EmitRop(&device->records, rop)) return FALSE;
  state.rop = rop;
  state.ropValid = TRUE;
  return TRUE;
}

BOOL SendPaintMode(RenderDevice* device, BYTE mode) {
  if (!device) return FALSE;
  DrawingState& state = device->drawing;
  if (state.paintModeValid && state.paintMode == mode) return TRUE;
  if (!EmitPaintMode(&device->records, mode)) return FALSE;
  state.paintMode = mode;
  state.paintModeValid = TRUE;
  return TRUE;
}

BOOL SendBrush(RenderDevice* device, const RealizedBrush* brush) {
  if (!device || !brush) return FALSE;
  DrawingState& state = device->drawing;
  if (brush->kind == BRUSH_SOLID && state.brushValid && state.brushKind == BRUSH_SOLID) return TRUE;
  if (!EmitBrush(&device->records, brush)) return FALSE;
  state.brushKind = brush->kind;
  state.brushValid = TRUE;
  return TRUE;
}

BOOL SelectRop(RenderDevice* device, DWORD rasterCode) { return SendRop(device, RopOfRasterCode(rasterCode)); }

RealizedBrush* LookupBrush(RenderDevice* device, SURFOBJ*, BRUSHOBJ* brush, const POINTL* origin) {
  if (!device || !brush) return nullptr;
  RealizedBrush* realized = nullptr;
  if (brush->iSolidColor == 0xFFFFFFFFu) {
    realized = static_cast<RealizedBrush*>(BRUSHOBJ_pvGetRbrush(brush));
    if (!realized) return nullptr;
  } else {
    realized = &device->solidBrush;
    realized->kind = BRUSH_SOLID;
    realized->firstColor = brush->iSolidColor;
    realized->secondColor = 0xFFFFFF;
  }
  realized->hostMatched = (brush->flColorType & BR_HOST_ICM) ? 1 : 0;
  if (origin) {
    realized->originX = static_cast<WORD>(origin->x);
    realized->originY = static_cast<WORD>(origin->y);
  }
  return realized;
}

}  // namespace rendara
