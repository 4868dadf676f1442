// The colour of a drawing call: the colour description every call fills, how it becomes a
// colour record, and the cached colour that keeps an unchanged colour from being sent
// again on the same page.
#pragma once

#include "win/types.h"

namespace rendara {

struct RenderDevice;

// Drawing kinds of a colour description; only text shows in the record.
constexpr WORD DRAW_FILL_PATH = 0;
constexpr WORD DRAW_STROKE_PATH = 1;
constexpr WORD DRAW_TEXT = 2;
constexpr WORD DRAW_STROKE_AND_FILL = 3;
constexpr WORD DRAW_BITBLT = 4;

// Background modes.
constexpr WORD BKMODE_TRANSPARENT = 1;
constexpr WORD BKMODE_OPAQUE = 2;

struct ColorDesc {
  WORD foregroundMix;  // the low byte of the engine's mix (1 to 16)
  WORD backgroundMode; // BKMODE_TRANSPARENT or BKMODE_OPAQUE
  DWORD backgroundColor;
  DWORD foregroundColor;
  DWORD thirdColor;    // the stroke colour of a stroke-and-fill call
  WORD thirdPresent;   // 0 or 1
  WORD drawingKind;    // DRAW_...
  DWORD hostMatched;   // the brush's host colour-matching bit
};

// What the device last sent as its colour.
struct ColorState {
  BOOL valid;
  WORD backgroundMode;
  WORD thirdPresent;
  DWORD backgroundColor;
  DWORD foregroundColor;
  DWORD thirdColor;
  WORD drawingKind;
  DWORD hostMatched;
};

// Fills the mix, background mode and third-colour flag of a description from the engine's
// mix: the background is left (transparent) when the high byte of the mix is 11 (R2_NOP),
// else painted (opaque); the third colour is present when `third` is 1. The colours, the
// drawing kind and the host-matched flag are the caller's.
void MakeColorDesc(RenderDevice* device, ULONG mix, ColorDesc* desc, ULONG third);

// Exchanges the lowest and third bytes of the foreground and background colours, and of
// the third colour when it is not 0: engine colour values become the record's byte order.
void SwapColorBytes(ColorDesc* desc);

// Writes a colour record unless the cached colour already says the same (a change of the
// host-matched flag alone writes nothing); caches what it wrote. FALSE only when the
// record could not be written, which leaves the cache as it was.
BOOL SendColor(RenderDevice* device, const ColorDesc* desc);

}  // namespace rendara
