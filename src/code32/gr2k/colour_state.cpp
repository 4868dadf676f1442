#include "colour_state.h"

#include "drawing_records.h"
#include "render_device.h"

namespace rendara {

namespace {

constexpr ULONG kMixLeaveBackground = 11;  // R2_NOP as the background mix

DWORD SwapLowAndThird(DWORD c) { return (c & 0xFF00FF00u) | ((c & 0xFF) << 16) | ((c >> 16) & 0xFF); }

bool SameAsCache(const ColorState& cache, const ColorDesc& desc) {
  if (cache.drawingKind != desc.drawingKind || cache.backgroundMode != desc.backgroundMode ||
      cache.thirdPresent != desc.thirdPresent || cache.backgroundColor != desc.backgroundColor ||
      cache.foregroundColor != desc.foregroundColor)
    return false;
  return !desc.thirdPresent || cache.thirdColor == desc.thirdColor;
}

}  // namespace

void MakeColorDesc(RenderDevice*, ULONG mix, ColorDesc* desc, ULONG third) {
  if (!desc) return;
  desc->foregroundMix = static_cast<WORD>(mix & 0xFF);
  desc->backgroundMode = ((mix >> 8) & 0xFF) == kMixLeaveBackground ? BKMODE_TRANSPARENT : BKMODE_OPAQUE;
  desc->thirdPresent = third == 1 ? 1 : 0;
}

void SwapColorBytes(ColorDesc* desc) {
  if (!desc) return;
  desc->foregroundColor = SwapLowAndThird(desc->foregroundColor);
  desc->backgroundColor = SwapLowAndThird(desc->backgroundColor);
  if (desc->thirdColor != 0) desc->thirdColor = SwapLowAndThird(desc->thirdColor);
}

BOOL SendColor(RenderDevice* device, const ColorDesc* desc) {
  if (!device || !desc) return FALSE;
  ColorState& cache = device->drawing.color;
  if (cache.valid && SameAsCache(cache, *desc)) return TRUE;
  ColorDesc wire = *desc;
  SwapColorBytes(&wire);
  if (!EmitColor(&device->records, &wire)) return FALSE;
  cache.valid = TRUE;
  cache.backgroundMode = desc->backgroundMode;
  cache.thirdPresent = desc->thirdPresent;
  cache.backgroundColor = desc->backgroundColor;
  cache.foregroundColor = desc->foregroundColor;
  cache.thirdColor = desc->thirdColor;
  cache.drawingKind = desc->drawingKind;
  cache.hostMatched = desc->hostMatched;
  return TRUE;
}

}  // namespace rendara
