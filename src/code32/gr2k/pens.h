// The printer pen of a line: one width, a 32-bit on/off style mask repeated along the line
// with a unit of device pixels per mask bit, a start phase, a cap, a join and a miter
// limit. MakePen turns the engine's line attributes into such a pen; SendPen writes the
// pen records that differ from what the printer already holds.
//
// Styled lines wider than one pixel, and transforms whose scale the pen cannot carry, are
// refused (FALSE), so that the engine draws them.
#pragma once

#include <cstddef>

#include "win/types.h"
#include "win/winddi.h"

namespace rendara {

struct RenderDevice;

// Pen joins and caps as the printer numbers them.
constexpr WORD PEN_JOIN_ROUND = 0;
constexpr WORD PEN_JOIN_BEVEL = 1;
constexpr WORD PEN_JOIN_MITER = 2;
constexpr WORD PEN_CAP_ROUND = 0;
constexpr WORD PEN_CAP_BUTT = 1;
constexpr WORD PEN_CAP_SQUARE = 2;

constexpr DWORD kSolidPenMask = 0xFFFFFFFF;
constexpr DWORD kDefaultMiter = 2560;  // miter limit 10, x 256

struct Pen {
  WORD reserved;  // 0
  WORD unit;      // 1 to 255 device pixels per mask bit
  WORD join;      // PEN_JOIN_...
  WORD cap;       // PEN_CAP_...
  WORD width;     // device pixels, at least 1
  WORD phase;     // 0 to 31
  DWORD miter;    // miter limit x 256
  DWORD mask;     // drawn from bit 31 down; kSolidPenMask is solid
  DWORD color;    // the engine colour of the line
};
static_assert(offsetof(Pen, width) == 8 && offsetof(Pen, miter) == 12 && offsetof(Pen, mask) == 16 &&
                  offsetof(Pen, color) == 20 && sizeof(Pen) == 24,
              "pen description field order");

// The scale of a transform in 1/256 units: -1 for the identity (or no transform), 0 for a
// scaling transform whose two axes differ (by eM11 x 8 and eM22 x 8, truncated), else
// (|eM11 x 256| + |eM22 x 256|) / 2.
LONG PenScale(XFORMOBJ* transform);

// Fills the pen for line attributes drawn in an engine colour. FALSE when the pen cannot
// express the line: a geometric line under an unusable transform, a styled line wider
// than one pixel, or a geometric style that does not fit the mask. `geometric` is set to
// 1 for a geometric (wide) line, 0 for a cosmetic one.
BOOL MakePen(RenderDevice* device, const LINEATTRS* attributes, DWORD color, XFORMOBJ* transform, Pen* pen,
             BOOL* geometric);

// Writes the pen records that differ from the device's pen state (all four when the state
// is not valid: shape, phase, cap, join) and stores what it wrote. FALSE when a record
// could not be written; the fields of records already written stay stored.
BOOL SendPen(RenderDevice* device, const Pen* pen);

}  // namespace rendara
