// Clip objects: the clip region the engine hands the driver (CLIPOBJ_*), enumerated as
// rectangles or handed out as a path.
#include <algorithm>
#include <cstring>

#include "gdi_internal.h"
#include "object_registry.h"
#include "plat/gdi_objects.h"
#include "win/errors.h"

namespace plat::gdi {

namespace {

RECTL Union(const std::vector<RECTL>& rects) {
  if (rects.empty()) return RECTL{0, 0, 0, 0};
  RECTL u = rects.front();
  for (const RECTL& r : rects) {
    u.left = std::min(u.left, r.left);
    u.top = std::min(u.top, r.top);
    u.right = std::max(u.right, r.right);
    u.bottom = std::max(u.bottom, r.bottom);
  }
  return u;
}

}  // namespace

ClipObject::ClipObject() { Register(Kind::Clip, &obj_, this); }
ClipObject::~ClipObject() { Unregister(Kind::Clip, &obj_); }

std::unique_ptr<ClipObject> ClipObject::Trivial(const RECTL& bounds) {
  std::unique_ptr<ClipObject> c(new ClipObject);
  c->obj_.rclBounds = bounds;
  c->obj_.iDComplexity = DC_TRIVIAL;
  c->obj_.iFComplexity = FC_RECT;
  c->obj_.iMode = TC_RECTANGLES;
  c->rects_ = {bounds};
  return c;
}

std::unique_ptr<ClipObject> ClipObject::Rect(const RECTL& rect, ULONG uniq) {
  std::unique_ptr<ClipObject> c(new ClipObject);
  c->obj_.iUniq = uniq;
  c->obj_.rclBounds = rect;
  c->obj_.iDComplexity = DC_RECT;
  c->obj_.iFComplexity = FC_RECT;
  c->obj_.iMode = TC_RECTANGLES;
  c->rects_ = {rect};
  return c;
}

std::unique_ptr<ClipObject> ClipObject::Region(std::vector<RECTL> rects, ULONG uniq) {
  std::unique_ptr<ClipObject> c(new ClipObject);
  c->obj_.iUniq = uniq;
  c->obj_.rclBounds = Union(rects);
  c->obj_.iDComplexity = DC_COMPLEX;
  c->obj_.iFComplexity = rects.size() <= 4 ? FC_RECT4 : FC_COMPLEX;
  c->obj_.iMode = TC_RECTANGLES;
  c->rects_ = std::move(rects);
  return c;
}

ULONG ClipObject::StartEnum(BOOL /*all*/, ULONG direction, ULONG limit) {
  order_ = rects_;
  auto byRow = [](bool down, bool right) {
    return [down, right](const RECTL& a, const RECTL& b) {
      if (a.top != b.top) return down ? a.top < b.top : a.top > b.top;
      return right ? a.left < b.left : a.left > b.left;
    };
  };
  switch (direction) {
    case CD_RIGHTDOWN: std::stable_sort(order_.begin(), order_.end(), byRow(true, true)); break;
    case CD_LEFTDOWN: std::stable_sort(order_.begin(), order_.end(), byRow(true, false)); break;
    case CD_RIGHTUP: std::stable_sort(order_.begin(), order_.end(), byRow(false, true)); break;
    case CD_LEFTUP: std::stable_sort(order_.begin(), order_.end(), byRow(false, false)); break;
    default: break;  // CD_ANY: as held
  }
  cursor_ = 0;
  return order_.size() <= limit ? static_cast<ULONG>(order_.size()) : 0xFFFFFFFFu;
}

BOOL ClipObject::Enum(ULONG cj, ULONG* out) {
  auto* e = reinterpret_cast<ENUMRECTS*>(out);
  if (cj < sizeof(ULONG)) return FALSE;
  const std::size_t room = (cj - sizeof(ULONG)) / sizeof(RECTL);
  const std::size_t n = std::min(room, order_.size() - cursor_);
  e->c = static_cast<ULONG>(n);
  if (n) std::memcpy(reinterpret_cast<BYTE*>(out) + offsetof(ENUMRECTS, arcl), &order_[cursor_], n * sizeof(RECTL));
  cursor_ += n;
  return cursor_ < order_.size() ? TRUE : FALSE;
}

}  // namespace plat::gdi

using namespace plat::gdi;

extern "C" {

ULONG WINAPI CLIPOBJ_cEnumStart(CLIPOBJ* pco, BOOL bAll, ULONG iType, ULONG iDirection, ULONG cLimit) {
  return NoThrow<ULONG>(0xFFFFFFFFu, [&]() -> ULONG {
    ClipObject* c = Find<ClipObject>(Kind::Clip, pco);
    if (!c || iType != CT_RECTANGLES || iDirection > CD_ANY) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0xFFFFFFFFu;
    }
    return c->StartEnum(bAll, iDirection, cLimit);
  });
}

BOOL WINAPI CLIPOBJ_bEnum(CLIPOBJ* pco, ULONG cj, ULONG* pul) {
  ClipObject* c = Find<ClipObject>(Kind::Clip, pco);
  if (!c || !pul || cj < sizeof(ULONG)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return c->Enum(cj, pul);
}

PATHOBJ* WINAPI CLIPOBJ_ppoGetPath(CLIPOBJ* pco) {
  return NoThrow<PATHOBJ*>(nullptr, [&]() -> PATHOBJ* {
    ClipObject* c = Find<ClipObject>(Kind::Clip, pco);
    if (!c) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
    auto* path = new PathObject;
    for (const RECTL& r : c->rects()) path->AddRect(r);
    KeepEnginePath(path);
    return path->get();
  });
}

}  // extern "C"
