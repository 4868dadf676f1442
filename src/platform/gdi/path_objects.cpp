// Path objects: figures of lines and curves (PATHOBJ_*), and EngDeletePath for the paths
// the engine hands out.
#include <algorithm>
#include <cstring>

#include "gdi_internal.h"
#include "object_registry.h"
#include "plat/gdi_objects.h"
#include "win/errors.h"

namespace plat::gdi {

PathObject::PathObject() { Register(Kind::Path, &obj_, this); }
PathObject::~PathObject() { Unregister(Kind::Path, &obj_); }

void PathObject::Recount() {
  ULONG curves = 0;
  FLONG fl = 0;
  for (const Record& r : records_) {
    const std::size_t pts = r.points.size() - ((r.flags & PD_BEGINSUBPATH) ? 1 : 0);
    if (r.flags & PD_BEZIERS) {
      curves += static_cast<ULONG>(pts / 3);
      fl |= PO_BEZIERS;
    } else {
      curves += static_cast<ULONG>(pts);
    }
  }
  obj_.cCurves = curves;
  obj_.fl = fl;
}

void PathObject::MoveTo(POINTFIX p) {
  records_.push_back(Record{PD_BEGINSUBPATH, {p}});
  Recount();
}

void PathObject::LineTo(POINTFIX p) {
  if (records_.empty()) records_.push_back(Record{PD_BEGINSUBPATH, {POINTFIX{0, 0}}});
  Record& last = records_.back();
  const bool onlyStart = (last.flags & PD_BEGINSUBPATH) && last.points.size() == 1;
  if ((last.flags & (PD_BEZIERS | PD_ENDSUBPATH)) && !onlyStart) records_.push_back(Record{0, {p}});
  else {
    last.flags &= ~PD_BEZIERS;
    last.points.push_back(p);
  }
  Recount();
}

void PathObject::BezierTo(POINTFIX c1, POINTFIX c2, POINTFIX end) {
  if (records_.empty()) records_.push_back(Record{PD_BEGINSUBPATH, {POINTFIX{0, 0}}});
  Record& last = records_.back();
  const bool onlyStart = (last.flags & PD_BEGINSUBPATH) && last.points.size() == 1;
  if (onlyStart || ((last.flags & PD_BEZIERS) && !(last.flags & PD_ENDSUBPATH))) {
    last.flags |= PD_BEZIERS;
    last.points.insert(last.points.end(), {c1, c2, end});
  } else {
    records_.push_back(Record{PD_BEZIERS, {c1, c2, end}});
  }
  Recount();
}

void PathObject::CloseFigure() {
  if (!records_.empty()) records_.back().flags |= PD_CLOSEFIGURE | PD_ENDSUBPATH;
}

void PathObject::AddRect(const RECTL& r) {
  MoveTo(POINTFIX{r.left * 16, r.top * 16});
  LineTo(POINTFIX{r.right * 16, r.top * 16});
  LineTo(POINTFIX{r.right * 16, r.bottom * 16});
  LineTo(POINTFIX{r.left * 16, r.bottom * 16});
  CloseFigure();
}

void PathObject::StartEnum() {
  // Every subpath's last record carries PD_ENDSUBPATH; long records are split into batches
  // (a bezier batch keeps whole curves).
  batches_.clear();
  for (std::size_t i = 0; i < records_.size(); ++i) {
    Record r = records_[i];
    const bool lastOfSubpath = i + 1 == records_.size() || (records_[i + 1].flags & PD_BEGINSUBPATH);
    if (lastOfSubpath) r.flags |= PD_ENDSUBPATH;
    std::size_t step = batchLimit_ == 0 ? r.points.size() : batchLimit_;
    if (r.flags & PD_BEZIERS) step = std::max<std::size_t>(3, step / 3 * 3);
    if (step == 0) step = 1;
    std::size_t pos = 0;
    bool first = true;
    do {
      std::size_t take = std::min(step, r.points.size() - pos);
      if (first && (r.flags & PD_BEGINSUBPATH) && (r.flags & PD_BEZIERS) && take < r.points.size() - pos) take += 1;
      Record b;
      b.flags = r.flags & (PD_BEZIERS);
      if (first) b.flags |= r.flags & (PD_BEGINSUBPATH | PD_RESETSTYLE);
      b.points.assign(r.points.begin() + static_cast<std::ptrdiff_t>(pos),
                      r.points.begin() + static_cast<std::ptrdiff_t>(pos + take));
      pos += take;
      if (pos >= r.points.size()) b.flags |= r.flags & (PD_ENDSUBPATH | PD_CLOSEFIGURE);
      batches_.push_back(std::move(b));
      first = false;
    } while (pos < r.points.size());
  }
  cursor_ = 0;
}

BOOL PathObject::Enum(PATHDATA* out) {
  if (cursor_ >= batches_.size()) {
    out->flags = 0;
    out->count = 0;
    out->pptfx = nullptr;
    return FALSE;
  }
  Record& b = batches_[cursor_++];
  out->flags = b.flags;
  out->count = static_cast<ULONG>(b.points.size());
  out->pptfx = b.points.data();
  return cursor_ < batches_.size() ? TRUE : FALSE;
}

RECTFX PathObject::Bounds() const {
  bool any = false;
  RECTFX r{0, 0, 0, 0};
  for (const Record& rec : records_) {
    for (const POINTFIX& p : rec.points) {
      if (!any) {
        r = RECTFX{p.x, p.y, p.x, p.y};
        any = true;
      }
      r.xLeft = std::min(r.xLeft, p.x);
      r.yTop = std::min(r.yTop, p.y);
      r.xRight = std::max(r.xRight, p.x);
      r.yBottom = std::max(r.yBottom, p.y);
    }
  }
  return r;
}

}  // namespace plat::gdi

using namespace plat::gdi;

extern "C" {

void WINAPI EngDeletePath(PATHOBJ* ppo) { delete TakeEnginePath(ppo); }

void WINAPI PATHOBJ_vEnumStart(PATHOBJ* ppo) {
  NoThrow<int>(0, [&]() -> int {
    if (PathObject* p = Find<PathObject>(Kind::Path, ppo)) p->StartEnum();
    return 0;
  });
}

BOOL WINAPI PATHOBJ_bEnum(PATHOBJ* ppo, PATHDATA* ppd) {
  PathObject* p = Find<PathObject>(Kind::Path, ppo);
  if (!p || !ppd) {
    SetLastError(ERROR_INVALID_PARAMETER);
    if (ppd) *ppd = PATHDATA{};
    return FALSE;
  }
  return p->Enum(ppd);
}

void WINAPI PATHOBJ_vGetBounds(PATHOBJ* ppo, PRECTFX prectfx) {
  if (!prectfx) return;
  PathObject* p = Find<PathObject>(Kind::Path, ppo);
  *prectfx = p ? p->Bounds() : RECTFX{0, 0, 0, 0};
}

}  // extern "C"
