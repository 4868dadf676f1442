// The path writer: an engine path (PATHOBJ) becomes a path record (opcode 0x12 for
// straight segments only, 0x11 once a Bezier occurs) that strokes, fills or clips, or an
// outline payload for outline text.
//
// A record is reserved at its largest (40 bytes per curve and 40 more), filled while the
// path is enumerated and trimmed to its length; a path that cannot be encoded gives its
// reservation back, so nothing is left in the buffer. Path points stay in the engine's
// 28.4 fixed point; the bounds in the header are whole pixels.
#pragma once

#include "win/types.h"
#include "win/winddi.h"

namespace rendara {

struct RenderDevice;

// The bytes reserved for a path record of a path (curve count x 40 + 40), or 0 when the
// count is too large to reserve.
DWORD PathReservation(const PATHOBJ* path);
// The caller buffer WriteOutline needs: curve count x 40 + 16 bytes, or 0 when too large.
DWORD OutlineCapacity(const PATHOBJ* path);

// Writes the path as one record in a mode (PATH_STROKE to PATH_SET_CLIP), with
// PATH_SUBPATHS when a subpath end is followed by more path data and PATH_CLOSED when a
// figure is closed. A stroke of a closed path of several subpaths is written by
// WritePathPerSubpath instead. Returns the (first) record, or null when the path has no
// data, a Bezier batch is not a multiple of 3 points, or no room could be had.
BYTE* WritePath(RenderDevice* device, PATHOBJ* path, DWORD mode);

// Writes one record per subpath, each with its own closed flag and size word; once a
// Bezier has been seen every later record is 0x11. Returns the first record, or null when
// the path could not be written (a record already finished stays written).
BYTE* WritePathPerSubpath(RenderDevice* device, PATHOBJ* path, DWORD mode);

// Encodes the path into `buffer`, which holds OutlineCapacity(path) bytes: the size word,
// then the subpaths, every point moved by (dx, dy) in 28.4 fixed point. Returns the length
// written, rounded up to 4, or 0 for a batch without points, a Bezier batch that is not a
// multiple of 3 points or a path that does not fit.
DWORD WriteOutline(RenderDevice* device, PATHOBJ* path, BYTE* buffer, LONG dx, LONG dy);

// More curves than this make a path too complex when the device asks for the limit.
constexpr ULONG kMostPathCurves = 5000;
// TRUE when the device's kdmHidden2Func11 is on and the path has more than 5000 curves.
BOOL PathTooComplex(RenderDevice* device, const PATHOBJ* path);

}  // namespace rendara
