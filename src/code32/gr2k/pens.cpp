#include "pens.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "device_heap.h"
#include "drawing_records.h"
#include "graphics_state.h"
#include "render_device.h"

namespace rendara {

namespace {

constexpr std::int64_t kLongestLength = 0x7FFFFFFF;
constexpr DWORD kMaskBits = 32;
constexpr WORD kWidestPen = 0xFFFF;
constexpr WORD kLargestUnit = 255;
constexpr DWORD kCosmeticUnitDivisor = 50;  // resolution / 50: 12 pixels per unit at 600 dpi

// A float truncated toward zero, saturated to the 32-bit range; NaN gives 0.
std::int64_t Truncate(float value) {
  if (std::isnan(value)) return 0;
  if (value >= 2147483647.0f) return kLongestLength;
  if (value <= -2147483648.0f) return -kLongestLength - 1;
  return static_cast<std::int64_t>(value);
}

// A style length as the pen uses it: never negative, never beyond 31 bits.
std::int64_t Length(std::int64_t value) {
  if (value < 0) return 0;
  return value > kLongestLength ? kLongestLength : value;
}

WORD JoinOf(ULONG join) {
  if (join == JOIN_BEVEL) return PEN_JOIN_BEVEL;
  if (join == JOIN_MITER) return PEN_JOIN_MITER;
  return PEN_JOIN_ROUND;
}

WORD CapOf(ULONG cap) {
  if (cap == ENDCAP_SQUARE) return PEN_CAP_SQUARE;
  if (cap == ENDCAP_BUTT) return PEN_CAP_BUTT;
  return PEN_CAP_ROUND;
}

DWORD MiterOf(float limit) {
  if (std::isnan(limit) || limit <= 1.0f) return 256;
  if (limit >= 32767.0f) return 32767u * 256u;
  return static_cast<DWORD>(limit * 256.0f);
}

// A block of n 64-bit lengths from the device's allocation list, or null.
std::int64_t* AllocLengths(RenderDevice* device, std::size_t n) {
  if (n == 0 || n > SIZE_MAX / sizeof(std::int64_t)) return nullptr;
  return static_cast<std::int64_t*>(DeviceAlloc(device->heap, n * sizeof(std::int64_t)));
}

// Builds the mask from bit 31 down: runs alternate on and off, each (length x repeats)
// bits long, and while `extra` lasts each run takes one bit more. Bits still missing after
// the list repeat the last bit.
DWORD BuildMask(const std::int64_t* lengths, std::size_t count, std::int64_t repeats, std::int64_t extra) {
  DWORD mask = 0;
  DWORD filled = 0;
  bool last = true;
  for (std::size_t i = 0; i < count && filled < kMaskBits; ++i) {
    const bool on = (i % 2) == 0;
    std::int64_t run = lengths[i] * repeats;
    if (extra > 0) {
      ++run;
      --extra;
    }
    for (; run > 0 && filled < kMaskBits; --run, ++filled) {
      if (on) mask |= 0x80000000u >> filled;
      last = on;
    }
  }
  for (; filled < kMaskBits; ++filled)
    if (last) mask |= 0x80000000u >> filled;
  return mask;
}

// The style part of MakePen: fills the mask, unit and phase of a one-pixel pen.
BOOL MakeStyle(RenderDevice* device, const LINEATTRS* la, bool geometric, LONG scale, Pen* pen) {
  const FLOAT_LONG* style = la->pstyle;
  ULONG count = la->cstyle;
  if (count <= 1) return TRUE;
  const std::int64_t unit = geometric ? 0 : device->resolution / kCosmeticUnitDivisor;

  std::int64_t gap = 0;
  if (la->fl & LA_STARTGAP) {
    gap = (geometric ? Truncate(style[0].e) : style[0].l) & 0xFF;
    ++style;
    --count;
    if (count <= 1) return TRUE;
  }

  std::int64_t* lengths = AllocLengths(device, count);
  if (!lengths) return geometric ? FALSE : TRUE;
  std::int64_t sum = 0;
  for (ULONG i = 0; i < count; ++i) {
    std::int64_t len = geometric ? Length(Truncate(style[i].e)) : Length(static_cast<std::int64_t>(style[i].l) * unit);
    if (geometric && scale > 0) len = Length((len * scale) >> 8);
    lengths[i] = len;
    sum += len;
  }
  if (sum == 0) {
    DeviceFree(device->heap, lengths);
    return TRUE;
  }
  const auto phase = static_cast<WORD>((gap * kMaskBits / sum) % kMaskBits);
  WORD maskUnit = 1;

  // A zero length takes its successor's value, the last one its predecessor's.
  std::int64_t total = 0;
  for (ULONG i = 0; i < count; ++i) {
    if (lengths[i] == 0) lengths[i] = (i + 1 < count) ? lengths[i + 1] : lengths[i - 1];
    total += lengths[i];
  }

  if (total > kMaskBits) {
    std::int64_t unitOfMask = total / kMaskBits;
    if (unitOfMask > kLargestUnit) {
      if (geometric) {
        DeviceFree(device->heap, lengths);
        return FALSE;
      }
      unitOfMask = kLargestUnit;
    }
    maskUnit = static_cast<WORD>(unitOfMask);
    std::int64_t scaled = 0;
    for (ULONG i = 0; i < count; ++i) {
      lengths[i] = (lengths[i] * kMaskBits / total) & 0xFF;
      if (lengths[i] < 1) lengths[i] = 1;
      scaled += lengths[i];
    }
    if (scaled > kMaskBits) {
      DeviceFree(device->heap, lengths);
      return geometric ? FALSE : TRUE;
    }
    for (ULONG i = 0; i < count && scaled < kMaskBits; ++i) {
      ++lengths[i];
      ++scaled;
    }
    std::int64_t others = 0;
    for (ULONG i = 0; i + 1 < count; ++i) others += lengths[i];
    lengths[count - 1] = kMaskBits - others;
    total = kMaskBits;
  }

  // Repeat a short list to fill the mask, and spread the remainder over the lengths.
  std::int64_t repeats = kMaskBits / total;
  std::int64_t rest = kMaskBits % total;
  std::size_t n = count;
  bool spread = true;
  if (repeats > 1) {
    const std::size_t longer = static_cast<std::size_t>(count) * static_cast<std::size_t>(repeats);
    if (std::int64_t* list = AllocLengths(device, longer)) {
      for (std::size_t i = 0; i < longer; ++i) list[i] = lengths[i % count];
      DeviceFree(device->heap, lengths);
      lengths = list;
      n = longer;
      repeats = 1;
    } else {
      spread = false;  // the mask builder stretches the runs instead
    }
  }
  if (spread && rest > 0) {
    const auto m = static_cast<std::int64_t>(n);
    for (std::size_t i = 0; i < n; ++i)
      lengths[i] += rest / m + (static_cast<std::int64_t>(i) < rest % m ? 1 : 0);
    rest = 0;
  }
  pen->mask = BuildMask(lengths, n, repeats, rest);
  pen->unit = maskUnit;
  pen->phase = phase;
  DeviceFree(device->heap, lengths);
  return TRUE;
}

}  // namespace

LONG PenScale(XFORMOBJ* transform) {
  if (!transform) return -1;
  XFORML m{};
  const ULONG kind = XFORMOBJ_iGetXform(transform, &m);
  if (kind == GX_IDENTITY) return -1;
  if (kind == GX_SCALE && Truncate(m.eM11 * 8.0f) != Truncate(m.eM22 * 8.0f)) return 0;
  const std::int64_t a = Truncate(m.eM11 * 256.0f);
  const std::int64_t d = Truncate(m.eM22 * 256.0f);
  const std::int64_t s = ((a < 0 ? -a : a) + (d < 0 ? -d : d)) / 2;
  return static_cast<LONG>(s > kLongestLength ? kLongestLength : s);
}

BOOL MakePen(RenderDevice* device, const LINEATTRS* la, DWORD color, XFORMOBJ* transform, Pen* pen,
             BOOL* geometric) {
  if (!device || !la || !pen || !geometric) return FALSE;
  std::memset(pen, 0, sizeof *pen);
  pen->unit = 1;
  pen->mask = kSolidPenMask;
  *geometric = FALSE;

  const bool isGeometric = (la->fl & LA_GEOMETRIC) != 0;
  LONG scale = -1;
  if (isGeometric) {
    std::int64_t w = Truncate(la->elWidth.e);
    if (w == 0) w = la->elWidth.l;
    if (w < 1) {
      pen->width = 1;
    } else {
      scale = PenScale(transform);
      if (scale == 0) {
        *geometric = TRUE;
        return FALSE;
      }
      if (scale > 0) {
        w = (w * scale) >> 8;
        if (w < 1) w = 1;
      }
      pen->width = static_cast<WORD>(w > kWidestPen ? kWidestPen : w);
    }
    *geometric = TRUE;
    pen->join = JoinOf(la->iJoin);
    pen->cap = CapOf(la->iEndCap);
  } else {
    pen->width = 1;
  }

  pen->miter = (la->fl & (LA_GEOMETRIC | LA_STYLED)) ? MiterOf(la->eMiterLimit) : kDefaultMiter;
  pen->color = color;

  if (!(la->fl & (LA_GEOMETRIC | LA_STYLED)) || !la->pstyle || la->cstyle == 0) return TRUE;
  if (pen->width != 1) return FALSE;
  return MakeStyle(device, la, isGeometric, scale, pen);
}

BOOL SendPen(RenderDevice* device, const Pen* pen) {
  if (!device || !pen) return FALSE;
  PenState& state = device->drawing.pen;
  RecordBuffer* buffer = &device->records;
  const BYTE unit = static_cast<BYTE>(pen->unit);
  const BYTE phase = static_cast<BYTE>(pen->phase);
  const BYTE cap = static_cast<BYTE>(pen->cap);
  const BYTE join = static_cast<BYTE>(pen->join);
  const bool all = !state.valid;

  if (all || state.width != pen->width || state.mask != pen->mask || state.unit != unit) {
    if (!EmitPenShape(buffer, pen->width, pen->mask, unit)) return FALSE;
    state.width = pen->width;
    state.mask = pen->mask;
    state.unit = unit;
  }
  if (all || state.phase != phase) {
    if (!EmitPenPhase(buffer, phase)) return FALSE;
    state.phase = phase;
  }
  if (all || state.cap != cap) {
    if (!EmitLineCap(buffer, cap)) return FALSE;
    state.cap = cap;
  }
  if (all || state.join != join || state.miter != pen->miter) {
    if (!EmitLineJoin(buffer, join, pen->miter)) return FALSE;
    state.join = join;
    state.miter = pen->miter;
  }
  state.valid = TRUE;
  return TRUE;
}

}  // namespace rendara
