// The path calls of the DDI table: stroke, fill, and stroke and fill, written as path
// records after the state records the call needs (pen, brush, background mode, raster
// operation, clip, colour). A path that is too complex for the printer is handed back to
// the engine's own drawing; a line the printer pen cannot express answers FALSE, so that
// the engine draws it another way.
//
// The colour descriptions hold engine colour values: SendColor puts them in the record's
// byte order itself, so the calls never swap them.
#include "clip_records.h"
#include "colour_state.h"
#include "ddi.h"
#include "drawing_records.h"
#include "graphics_state.h"
#include "path_records.h"
#include "pens.h"
#include "render_device.h"
#include "win/errors.h"

namespace rendara {

namespace {

constexpr ULONG kPatternBrushColor = 0xFFFFFFFF;
constexpr DWORD kStrokeBackground = 0xFFFFFF;
constexpr BOOL kCallError = -1;

// The common prologue: the checked device, or null with the answer the call gives.
RenderDevice* Prologue(SURFOBJ* pso, BOOL* answer) {
  RenderDevice* device = DeviceOfSurface(pso);
  if (!device) {
    SetLastError(ERROR_INVALID_PARAMETER);
    *answer = kCallError;
    return nullptr;
  }
  if (device->hiddenFunc18) {  // drawing suppressed
    *answer = TRUE;
    return nullptr;
  }
  if (device->jobFlags & JOB_OUTPUT_FAILED) {
    *answer = FALSE;
    return nullptr;
  }
  return device;
}

BOOL OutOfMemory() {
  SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return kCallError;
}

bool IsPatternBrush(const BRUSHOBJ* brush) { return brush && brush->iSolidColor == kPatternBrushColor; }

BYTE FillMode(FLONG options) { return (options & FP_WINDINGMODE) ? PATH_FILL_WINDING : PATH_FILL_ALTERNATE; }

// The background mode of a fill: painted for a 24-bit pattern, else the mix's.
BYTE FillPaintMode(const RealizedBrush* brush, const ColorDesc& desc) {
  return static_cast<BYTE>(brush->kind == BRUSH_PATTERN_24BPP ? BKMODE_OPAQUE : desc.backgroundMode);
}

// The two-call form of a stroke and fill: the fill, then the stroke.
BOOL FillThenStroke(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo, BRUSHOBJ* pboStroke,
                    LINEATTRS* plineattrs, BRUSHOBJ* pboFill, POINTL* pptlBrushOrg, MIX mix, FLONG flOptions) {
  const BOOL filled = DrvFillPath(pso, ppo, pco, pboFill, pptlBrushOrg, mix, flOptions);
  const BOOL stroked = DrvStrokePath(pso, ppo, pco, pxo, pboStroke, pptlBrushOrg, plineattrs, mix);
  return (filled == TRUE && stroked == TRUE) ? TRUE : FALSE;
}

}  // namespace

BOOL DrvStrokePath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo, BRUSHOBJ* pbo, POINTL* pptlBrushOrg,
                   LINEATTRS* plineattrs, MIX mix) {
  BOOL answer = FALSE;
  RenderDevice* device = Prologue(pso, &answer);
  if (!device) return answer;
  if (!ppo || !plineattrs || !pbo || IsPatternBrush(pbo)) return FALSE;

  Pen pen{};
  BOOL geometric = FALSE;
  if (!MakePen(device, plineattrs, pbo->iSolidColor, pxo, &pen, &geometric)) return FALSE;
  if (!SendPen(device, &pen)) return FALSE;

  RealizedBrush* brush = LookupBrush(device, pso, pbo, pptlBrushOrg);
  if (!SendBrush(device, brush)) return OutOfMemory();

  ColorDesc desc{};
  MakeColorDesc(device, mix, &desc, 0);
  if (!SendPaintMode(device, static_cast<BYTE>(desc.backgroundMode))) return FALSE;
  if (!SendRop(device, MixToRop(desc.foregroundMix))) return FALSE;
  if (SetClip(device, pco) == kClipFailed) return FALSE;

  desc.foregroundColor = pen.color;
  desc.backgroundColor = kStrokeBackground;
  desc.thirdPresent = 0;
  desc.thirdColor = 0;
  desc.drawingKind = DRAW_STROKE_PATH;
  desc.hostMatched = brush->hostMatched;
  if (!SendColor(device, &desc)) return FALSE;

  if (!PathTooComplex(device, ppo) || !geometric) return WritePath(device, ppo, PATH_STROKE) ? TRUE : FALSE;
  return EngStrokePath(pso, ppo, pco, pxo, pbo, pptlBrushOrg, plineattrs, mix);
}

BOOL DrvFillPath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, BRUSHOBJ* pbo, POINTL* pptlBrushOrg, MIX mix,
                 FLONG flOptions) {
  BOOL answer = FALSE;
  RenderDevice* device = Prologue(pso, &answer);
  if (!device) return answer;
  if (!ppo) return FALSE;

  RealizedBrush* brush = LookupBrush(device, pso, pbo, pptlBrushOrg);
  if (!SendBrush(device, brush)) return OutOfMemory();

  ColorDesc desc{};
  MakeColorDesc(device, mix, &desc, 0);
  desc.foregroundColor = brush->firstColor;
  desc.backgroundColor = brush->secondColor;
  desc.thirdPresent = 0;
  desc.thirdColor = 0;
  desc.drawingKind = DRAW_FILL_PATH;
  desc.hostMatched = brush->hostMatched;
  if (!SendColor(device, &desc)) return FALSE;
  if (!SendPaintMode(device, FillPaintMode(brush, desc))) return FALSE;
  if (!SendRop(device, MixToRop(desc.foregroundMix))) return FALSE;
  if (SetClip(device, pco) == kClipFailed) return FALSE;

  if (!PathTooComplex(device, ppo)) return WritePath(device, ppo, FillMode(flOptions)) ? TRUE : FALSE;
  return EngFillPath(pso, ppo, pco, pbo, pptlBrushOrg, mix, flOptions);
}

BOOL DrvStrokeAndFillPath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo, BRUSHOBJ* pboStroke,
                          LINEATTRS* plineattrs, BRUSHOBJ* pboFill, POINTL* pptlBrushOrg, MIX mix, FLONG flOptions) {
  BOOL answer = FALSE;
  RenderDevice* device = Prologue(pso, &answer);
  if (!device) return answer;
  if (!ppo || !plineattrs || !pboStroke || !pboFill) return FALSE;

  if (IsPatternBrush(pboFill) || IsPatternBrush(pboStroke))
    return FillThenStroke(pso, ppo, pco, pxo, pboStroke, plineattrs, pboFill, pptlBrushOrg, mix, flOptions);

  Pen pen{};
  BOOL geometric = FALSE;
  if (!MakePen(device, plineattrs, pboStroke->iSolidColor, pxo, &pen, &geometric)) return FALSE;
  const bool tooComplex = PathTooComplex(device, ppo) != FALSE;
  if (tooComplex && !geometric)
    return FillThenStroke(pso, ppo, pco, pxo, pboStroke, plineattrs, pboFill, pptlBrushOrg, mix, flOptions);

  if (!SendPen(device, &pen)) return FALSE;
  RealizedBrush* brush = LookupBrush(device, pso, pboFill, pptlBrushOrg);
  if (!SendBrush(device, brush)) return OutOfMemory();

  ColorDesc desc{};
  MakeColorDesc(device, mix, &desc, 1);
  if (!SendPaintMode(device, FillPaintMode(brush, desc))) return FALSE;
  if (!SendRop(device, MixToRop(desc.foregroundMix))) return FALSE;
  if (SetClip(device, pco) == kClipFailed) return FALSE;

  desc.foregroundColor = brush->firstColor;
  desc.backgroundColor = brush->secondColor;
  desc.thirdColor = pen.color;
  desc.drawingKind = DRAW_STROKE_AND_FILL;
  desc.hostMatched = brush->hostMatched;
  if (!SendColor(device, &desc)) return FALSE;

  if (!tooComplex) {
    const BYTE mode = (flOptions & FP_WINDINGMODE) ? PATH_STROKE_FILL_WINDING : PATH_STROKE_FILL_ALTERNATE;
    return WritePath(device, ppo, mode) ? TRUE : FALSE;
  }
  return EngStrokeAndFillPath(pso, ppo, pco, pxo, pboStroke, plineattrs, pboFill, pptlBrushOrg, mix, flOptions);
}

}  // namespace rendara
