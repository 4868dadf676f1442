#include "path_records.h"

#include <cstdint>

#include "drawing_records.h"
#include "page_records.h"
#include "render_device.h"

namespace rendara {

namespace {

constexpr DWORD kBytesPerCurve = 40;
constexpr DWORD kRecordSlack = 40;
constexpr DWORD kOutlineSlack = 16;
constexpr DWORD kSegmentLine = 0;
constexpr DWORD kSegmentBezier = 1;

DWORD Room(const PATHOBJ* path, DWORD slack) {
  if (!path || path->cCurves > (0xFFFFFFFFu - slack) / kBytesPerCurve) return 0;
  return path->cCurves * kBytesPerCurve + slack;
}

// Encodes the enumeration batches of a path into a bounded area: subpath headers, start
// points and segments, with the counts the header and size word need.
struct PathEncoder {
  BYTE* at = nullptr;
  BYTE* limit = nullptr;
  DWORD dx = 0;  // added to every point (wrapping, as the fixed-point values do)
  DWORD dy = 0;
  BYTE* subpath = nullptr;  // header of the open subpath
  DWORD segments = 0;
  DWORD straight = 0;
  DWORD beziers = 0;
  DWORD ends = 0;  // subpath ends followed by more path data
  bool closed = false;
  bool curves = false;

  void Start(BYTE* from, BYTE* to) {
    at = from;
    limit = to;
    subpath = nullptr;
    segments = straight = beziers = ends = 0;
    closed = false;
  }
  bool Word(DWORD v) {
    if (limit - at < 4) return false;
    PutU32(at, v);
    at += 4;
    return true;
  }
  bool Point(const POINTFIX& p) {
    return Word(static_cast<DWORD>(p.x) + dx) && Word(static_cast<DWORD>(p.y) + dy);
  }
  // Writes the open subpath's segment count into its header.
  void EndSubpath() {
    if (!subpath) return;
    PutU32(subpath, segments);
    subpath = nullptr;
  }
  // One batch of points; false when it cannot be encoded.
  bool Batch(const PATHDATA& pd) {
    const POINTFIX* p = pd.pptfx;
    ULONG n = pd.count;
    if (n == 0) return true;
    if (!p) return false;
    if ((pd.flags & PD_BEGINSUBPATH) || !subpath) {
      EndSubpath();
      subpath = at;
      segments = 0;
      if (!Word(0) || !Point(p[0])) return false;
      ++p;
      --n;
    }
    if (pd.flags & PD_BEZIERS) {
      if (n % 3 != 0) return false;
      for (ULONG i = 0; i < n; i += 3) {
        if (!Word(kSegmentBezier) || !Point(p[i]) || !Point(p[i + 1]) || !Point(p[i + 2])) return false;
        ++beziers;
        ++segments;
      }
      if (n) curves = true;
    } else {
      for (ULONG i = 0; i < n; ++i) {
        if (!Word(kSegmentLine) || !Point(p[i])) return false;
        ++straight;
        ++segments;
      }
    }
    if (pd.flags & PD_CLOSEFIGURE) closed = true;
    return true;
  }
};

RECTFX BoundsOf(PATHOBJ* path) {
  RECTFX bounds{};
  PATHOBJ_vGetBounds(path, &bounds);
  return bounds;
}

// Fills the header of a finished record and trims the reservation to it.
void FinishRecord(RecordBuffer* buffer, BYTE* record, const PathEncoder& e, BYTE mode, DWORD sizeWord,
                  const RECTFX& bounds) {
  const auto length = static_cast<DWORD>(e.at - record);
  BYTE flags = mode;
  if (e.closed) flags |= PATH_CLOSED;
  PutPathHeader(record, e.curves, flags, length, bounds, sizeWord);
  SetRecordEnd(buffer, record + length);
}

}  // namespace

DWORD PathReservation(const PATHOBJ* path) { return Room(path, kRecordSlack); }
DWORD OutlineCapacity(const PATHOBJ* path) { return Room(path, kOutlineSlack); }

BYTE* WritePath(RenderDevice* device, PATHOBJ* path, DWORD mode) {
  if (!device || !path) return nullptr;
  const DWORD room = PathReservation(path);
  if (room == 0) return nullptr;
  RecordBuffer* buffer = &device->records;
  BYTE* record = AllocRecord(buffer, room);
  if (!record) return nullptr;

  PathEncoder e;
  e.Start(record + kPathHeaderLength, record + room);
  PATHOBJ_vEnumStart(path);
  for (;;) {
    PATHDATA pd{};
    const BOOL more = PATHOBJ_bEnum(path, &pd);
    const bool endsSubpath = (pd.flags & PD_ENDSUBPATH) != 0;
    if ((pd.count == 0 && !more && !endsSubpath) || !e.Batch(pd)) {
      SetRecordEnd(buffer, record);
      return nullptr;
    }
    if (endsSubpath) {
      e.EndSubpath();
      if (more) ++e.ends;
    }
    if (!more) break;
  }
  e.EndSubpath();

  BYTE flags = static_cast<BYTE>(mode & 0x07);
  if (e.ends) flags |= PATH_SUBPATHS;
  FinishRecord(buffer, record, e, flags, PathSizeWord(e.straight, e.beziers, e.ends), BoundsOf(path));

  if (mode == PATH_STROKE && e.closed && e.ends > 0) {
    SetRecordEnd(buffer, record);
    return WritePathPerSubpath(device, path, mode);
  }
  return record;
}

BYTE* WritePathPerSubpath(RenderDevice* device, PATHOBJ* path, DWORD mode) {
  if (!device || !path) return nullptr;
  const DWORD room = PathReservation(path);
  if (room == 0) return nullptr;
  RecordBuffer* buffer = &device->records;
  const RECTFX bounds = BoundsOf(path);
  const auto flags = static_cast<BYTE>(mode & 0x07);

  // A figure that cannot be written takes the figures before it out again: the caller
  // then leaves the whole path to the engine, which would draw them a second time.
  const RecordMark mark = MarkRecords(buffer);
  BYTE* first = nullptr;
  BYTE* record = nullptr;  // the record being filled
  PathEncoder e;
  auto finish = [&]() {
    e.EndSubpath();
    FinishRecord(buffer, record, e, flags, PathSizeWord(e.straight, e.beziers, 0), bounds);
    if (!first) first = record;
    record = nullptr;
  };

  PATHOBJ_vEnumStart(path);
  for (;;) {
    PATHDATA pd{};
    const BOOL more = PATHOBJ_bEnum(path, &pd);
    const bool endsSubpath = (pd.flags & PD_ENDSUBPATH) != 0;
    if (!record && pd.count > 0) {
      record = AllocRecord(buffer, room);
      if (!record) {
        DropToMark(buffer, mark);
        return nullptr;
      }
      e.Start(record + kPathHeaderLength, record + room);
    }
    if ((pd.count == 0 && !more && !endsSubpath) || !e.Batch(pd)) {
      DropToMark(buffer, mark);
      return nullptr;
    }
    if (endsSubpath && record) finish();
    if (!more) break;
  }
  if (record) finish();
  return first;
}

DWORD WriteOutline(RenderDevice* device, PATHOBJ* path, BYTE* buffer, LONG dx, LONG dy) {
  if (!device || !path || !buffer) return 0;
  const DWORD room = OutlineCapacity(path);
  if (room == 0) return 0;
  PathEncoder e;
  e.Start(buffer + 4, buffer + room);
  e.dx = static_cast<DWORD>(dx);
  e.dy = static_cast<DWORD>(dy);
  PATHOBJ_vEnumStart(path);
  for (;;) {
    PATHDATA pd{};
    const BOOL more = PATHOBJ_bEnum(path, &pd);
    if (pd.count == 0 || !e.Batch(pd)) return 0;
    if (pd.flags & PD_ENDSUBPATH) {
      e.EndSubpath();
      if (more) ++e.ends;
    }
    if (!more) break;
  }
  e.EndSubpath();
  PutU32(buffer, PathSizeWord(e.straight, e.beziers, e.ends));
  return (static_cast<DWORD>(e.at - buffer) + 3) & ~3u;
}

BOOL PathTooComplex(RenderDevice* device, const PATHOBJ* path) {
  if (!device || !path) return FALSE;
  return (device->hidden2Func11 && path->cCurves > kMostPathCurves) ? TRUE : FALSE;
}

}  // namespace rendara
