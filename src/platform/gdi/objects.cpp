// The drawing-call objects and their engine services: CLIPOBJ_*, PATHOBJ_*, XFORMOBJ_*,
// XLATEOBJ_*, BRUSHOBJ_*, FONTOBJ_*, STROBJ_*, EngDeletePath.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <mutex>

#include "gdi_internal.h"
#include "plat/gdi_objects.h"
#include "win/errors.h"

namespace plat::gdi {
namespace {

enum class Kind { Clip, Path, Xform, Xlate, Brush, Font, String };

struct ObjectRegistry {
  std::mutex lock;
  std::map<std::pair<Kind, const void*>, void*> live;
  std::map<const void*, PathObject*> enginePaths;  // paths handed out by the engine
};

ObjectRegistry& Reg() {
  static ObjectRegistry* r = new ObjectRegistry;
  return *r;
}

void Register(Kind k, const void* record, void* builder) {
  std::lock_guard<std::mutex> g(Reg().lock);
  Reg().live[{k, record}] = builder;
}
void Unregister(Kind k, const void* record) {
  std::lock_guard<std::mutex> g(Reg().lock);
  Reg().live.erase({k, record});
}
template <class T>
T* Find(Kind k, const void* record) {
  if (!record) return nullptr;
  std::lock_guard<std::mutex> g(Reg().lock);
  auto it = Reg().live.find({k, record});
  return it == Reg().live.end() ? nullptr : static_cast<T*>(it->second);
}

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

LONG RoundToLong(double v) {
  if (v >= 2147483647.0) return 0x7FFFFFFF;
  if (v <= -2147483648.0) return static_cast<LONG>(0x80000000u);
  return static_cast<LONG>(std::lround(v));
}

}  // namespace

// ---- clip ------------------------------------------------------------------------------------
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

// ---- path ------------------------------------------------------------------------------------
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

// ---- transform -------------------------------------------------------------------------------
XformObject::XformObject(const XFORML& m) : m_(m) { Register(Kind::Xform, &obj_, this); }
XformObject::~XformObject() { Unregister(Kind::Xform, &obj_); }

ULONG XformObject::Kind() const {
  const bool unit = m_.eM11 == 1.0f && m_.eM12 == 0.0f && m_.eM21 == 0.0f && m_.eM22 == 1.0f;
  if (unit) return (m_.eDx == 0.0f && m_.eDy == 0.0f) ? GX_IDENTITY : GX_OFFSET;
  if (m_.eM12 == 0.0f && m_.eM21 == 0.0f) return GX_SCALE;
  return GX_GENERAL;
}

BOOL XformObject::Apply(ULONG mode, ULONG count, const void* in, void* out) const {
  double a = m_.eM11, b = m_.eM12, c = m_.eM21, d = m_.eM22, dx = m_.eDx, dy = m_.eDy;
  const bool inverse = mode == XF_INV_LTOL || mode == XF_INV_FXTOL;
  if (mode > XF_INV_FXTOL) return FALSE;
  if (inverse) {
    const double det = a * d - b * c;
    if (det == 0.0) return FALSE;
    const double ia = d / det, ib = -b / det, ic = -c / det, id = a / det;
    const double idx = -(dx * ia + dy * ic), idy = -(dx * ib + dy * id);
    a = ia, b = ib, c = ic, d = id, dx = idx, dy = idy;
  }
  const double inScale = mode == XF_INV_FXTOL ? 1.0 / 16.0 : 1.0;
  const double outScale = mode == XF_LTOFX ? 16.0 : 1.0;
  const auto* src = static_cast<const POINTL*>(in);
  auto* dst = static_cast<POINTL*>(out);
  for (ULONG i = 0; i < count; ++i) {
    const double x = src[i].x * inScale, y = src[i].y * inScale;
    const double nx = (x * a + y * c + dx) * outScale, ny = (x * b + y * d + dy) * outScale;
    dst[i] = POINTL{RoundToLong(nx), RoundToLong(ny)};
  }
  return TRUE;
}

// ---- colour translation ----------------------------------------------------------------------
XlateObject::XlateObject() {
  obj_.flXlate = XO_TRIVIAL;
  Register(Kind::Xlate, &obj_, this);
}

XlateObject::XlateObject(std::vector<ULONG> table, FLONG extraFlags) : table_(std::move(table)) {
  obj_.flXlate = XO_TABLE | extraFlags;
  obj_.iSrcType = PAL_INDEXED;
  obj_.cEntries = static_cast<ULONG>(table_.size());
  obj_.pulXlate = table_.data();
  Register(Kind::Xlate, &obj_, this);
}

XlateObject::~XlateObject() { Unregister(Kind::Xlate, &obj_); }

void XlateObject::SetPalettes(std::vector<ULONG> source, std::vector<ULONG> destination) {
  source_ = std::move(source);
  destination_ = std::move(destination);
}

ULONG XlateObject::Translate(ULONG index) const {
  if (obj_.flXlate & XO_TRIVIAL) return index;
  return index < table_.size() ? table_[index] : 0xFFFFFFFFu;
}

ULONG XlateObject::GetPalette(ULONG which, ULONG count, ULONG* out) const {
  const std::vector<ULONG>* pal = which == XO_SRCPALETTE ? &source_ : which == XO_DESTPALETTE ? &destination_ : nullptr;
  if (!pal) return 0;
  if (!out) return static_cast<ULONG>(pal->size());
  const std::size_t n = std::min<std::size_t>(count, pal->size());
  std::copy_n(pal->begin(), n, out);
  return static_cast<ULONG>(n);
}

// ---- brush -----------------------------------------------------------------------------------
BrushObject::BrushObject(ULONG solidColor, FLONG colorType) {
  obj_.iSolidColor = solidColor;
  obj_.flColorType = colorType;
  Register(Kind::Brush, &obj_, this);
}

BrushObject::BrushObject(HDEV hdev, SURFOBJ* target, SURFOBJ* pattern, XLATEOBJ* xlate, ULONG hatch,
                         FLONG colorType)
    : hdev_(hdev), target_(target), pattern_(pattern), xlate_(xlate), hatch_(hatch) {
  obj_.iSolidColor = 0xFFFFFFFFu;
  obj_.flColorType = colorType;
  Register(Kind::Brush, &obj_, this);
}

BrushObject::~BrushObject() { Unregister(Kind::Brush, &obj_); }

PVOID BrushObject::Alloc(ULONG cj) {
  if (cj == 0) return nullptr;
  blocks_.push_back(std::make_unique<BYTE[]>(cj));
  pending_ = blocks_.back().get();
  return pending_;
}

PVOID BrushObject::GetRealized() {
  if (obj_.pvRbrush) return obj_.pvRbrush;
  if (obj_.iSolidColor != 0xFFFFFFFFu || !hdev_) return nullptr;
  PFN_DrvRealizeBrush realize = nullptr;
  {
    std::lock_guard<std::mutex> g(EngineLock());
    if (EngineDevice* dev = FindDevice(hdev_)) realize = reinterpret_cast<PFN_DrvRealizeBrush>(
          reinterpret_cast<void (*)()>(DeviceFunction(*dev, INDEX_DrvRealizeBrush)));
  }
  if (!realize) return nullptr;
  ++realizeCalls_;
  pending_ = nullptr;
  if (!realize(&obj_, target_, pattern_, nullptr, xlate_, hatch_) || !pending_) return nullptr;
  obj_.pvRbrush = pending_;
  return obj_.pvRbrush;
}

// ---- font ------------------------------------------------------------------------------------
FontObject::FontObject(ULONG uniq, ULONG face, FLONG fontType, const void* metrics, ULONG metricsSize,
                       const XFORML& transform)
    : xform_(transform) {
  obj_.iUniq = uniq;
  obj_.iFace = face;
  obj_.flFontType = fontType;
  obj_.sizLogResPpi = SIZEL{600, 600};
  if (metrics && metricsSize >= sizeof(IFIMETRICS)) {
    const auto* p = static_cast<const BYTE*>(metrics);
    metrics_.assign(p, p + metricsSize);
  }
  Register(Kind::Font, &obj_, this);
}

FontObject::~FontObject() { Unregister(Kind::Font, &obj_); }

void FontObject::AddGlyph(HGLYPH hg, POINTL origin, SIZEL size, const std::vector<BYTE>& rows, FIX advance) {
  Glyph& g = glyphs_[hg];
  const std::size_t rowBytes = static_cast<std::size_t>(std::max<LONG>(size.cx, 0) + 7) / 8;
  const std::size_t need = rowBytes * static_cast<std::size_t>(std::max<LONG>(size.cy, 0));
  g.bits.assign(offsetof(GLYPHBITS, aj) + std::max<std::size_t>(need, 1), 0);
  auto* gb = reinterpret_cast<GLYPHBITS*>(g.bits.data());
  gb->ptlOrigin = origin;
  gb->sizlBitmap = size;
  std::memcpy(gb->aj, rows.data(), std::min(need, rows.size()));
  g.def.pgb = gb;
  g.data.gdf.pgb = gb;
  g.data.hg = hg;
  g.data.fxD = advance;
  g.data.fxA = origin.x * 16;
  g.data.fxAB = (origin.x + size.cx) * 16;
  g.data.fxInkTop = -origin.y * 16;
  g.data.fxInkBottom = -(origin.y + size.cy) * 16;
  g.data.rclInk = RECTL{origin.x, origin.y, origin.x + size.cx, origin.y + size.cy};
  g.data.ptqD.x.QuadPart = static_cast<LONGLONG>(advance) << 32;
  if (size.cx > static_cast<LONG>(obj_.cxMax)) obj_.cxMax = static_cast<ULONG>(size.cx);
}

PathObject& FontObject::GlyphOutline(HGLYPH hg) {
  Glyph& g = glyphs_[hg];
  if (!g.outline) g.outline = std::make_unique<PathObject>();
  g.outlineDef.ppo = g.outline->get();
  g.outlineData = g.data;
  g.outlineData.gdf.ppo = g.outline->get();
  g.outlineData.hg = hg;
  return *g.outline;
}

void FontObject::SetGlyphSet(std::vector<BYTE> glyphSetBlob) { glyphSet_ = std::move(glyphSetBlob); }

ULONG FontObject::GetGlyphs(ULONG mode, ULONG count, HGLYPH* handles, PVOID* out) {
  if (count != 1 || !handles || !out) return 0;
  auto it = glyphs_.find(handles[0]);
  if (it == glyphs_.end()) return 0;
  Glyph& g = it->second;
  if (mode == FO_GLYPHBITS) {
    if (g.bits.empty()) return 0;
    *out = &g.data;
    return 1;
  }
  if (mode == FO_PATHOBJ) {
    if (!g.outline) return 0;
    *out = &g.outlineData;
    return 1;
  }
  return 0;
}

IFIMETRICS* FontObject::Metrics() {
  return metrics_.empty() ? nullptr : reinterpret_cast<IFIMETRICS*>(metrics_.data());
}

void FontObject::Info(ULONG cj, FONTINFO* out) const {
  FONTINFO fi{};
  fi.cjThis = sizeof(FONTINFO);
  fi.cGlyphsSupported = static_cast<ULONG>(glyphs_.size());
  for (const auto& [hg, g] : glyphs_) fi.cjMaxGlyph1 = std::max<ULONG>(fi.cjMaxGlyph1, static_cast<ULONG>(g.bits.size()));
  std::memcpy(out, &fi, std::min<std::size_t>(cj, sizeof(fi)));
}

ULONG FontObject::AllHandles(HGLYPH* out) const {
  if (out) {
    std::size_t i = 0;
    for (const auto& [hg, g] : glyphs_) out[i++] = hg;
  }
  return static_cast<ULONG>(glyphs_.size());
}

FD_GLYPHSET* FontObject::GlyphSet() {
  return glyphSet_.size() >= sizeof(FD_GLYPHSET) ? reinterpret_cast<FD_GLYPHSET*>(glyphSet_.data()) : nullptr;
}

GLYPHDEF* FontObject::Definition(HGLYPH hg) {
  auto it = glyphs_.find(hg);
  if (it == glyphs_.end() || it->second.bits.empty()) return nullptr;
  return &it->second.def;
}

// ---- string ----------------------------------------------------------------------------------
StringObject::StringObject(std::u16string text, std::vector<GLYPHPOS> glyphs, FontObject* font, FLONG accel,
                           ULONG charInc, const RECTL& background, bool positionsInRecord)
    : text_(std::move(text)), glyphs_(std::move(glyphs)), font_(font) {
  obj_.cGlyphs = static_cast<ULONG>(glyphs_.size());
  obj_.flAccel = accel;
  obj_.ulCharInc = charInc;
  obj_.rclBkGround = background;
  obj_.pwszOrg = text_.empty() ? nullptr : text_.data();
  if (font_)
    for (GLYPHPOS& g : glyphs_) g.pgdf = font_->Definition(g.hg);
  obj_.pgp = positionsInRecord ? glyphs_.data() : nullptr;
  Register(Kind::String, &obj_, this);
}

StringObject::~StringObject() { Unregister(Kind::String, &obj_); }

void StringObject::StartEnum() { cursor_ = 0; }

BOOL StringObject::Enum(ULONG* count, GLYPHPOS** out, bool withDefinitions) {
  const std::size_t left = glyphs_.size() - std::min(cursor_, glyphs_.size());
  const std::size_t n = batchLimit_ == 0 ? left : std::min<std::size_t>(batchLimit_, left);
  *count = static_cast<ULONG>(n);
  if (n == 0) {
    *out = nullptr;
  } else if (withDefinitions) {
    *out = &glyphs_[cursor_];
  } else {
    // Positions only: the same handles and points, without glyph definitions.
    positionsOnly_.assign(glyphs_.begin() + static_cast<std::ptrdiff_t>(cursor_),
                          glyphs_.begin() + static_cast<std::ptrdiff_t>(cursor_ + n));
    for (GLYPHPOS& g : positionsOnly_) g.pgdf = nullptr;
    *out = positionsOnly_.data();
  }
  cursor_ += n;
  return cursor_ < glyphs_.size() ? TRUE : FALSE;
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
    std::lock_guard<std::mutex> g(Reg().lock);
    Reg().enginePaths[path->get()] = path;
    return path->get();
  });
}

void WINAPI EngDeletePath(PATHOBJ* ppo) {
  PathObject* path = nullptr;
  {
    std::lock_guard<std::mutex> g(Reg().lock);
    auto it = Reg().enginePaths.find(ppo);
    if (it == Reg().enginePaths.end()) return;
    path = it->second;
    Reg().enginePaths.erase(it);
  }
  delete path;
}

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

ULONG WINAPI XFORMOBJ_iGetXform(XFORMOBJ* pxo, XFORML* pxform) {
  // A null transform object stands for the identity.
  if (!pxo) {
    if (pxform) *pxform = XFORML{1, 0, 0, 1, 0, 0};
    return GX_IDENTITY;
  }
  XformObject* x = Find<XformObject>(Kind::Xform, pxo);
  if (!x) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0xFFFFFFFFu;
  }
  if (pxform) *pxform = x->matrix();
  return x->Kind();
}

BOOL WINAPI XFORMOBJ_bApplyXform(XFORMOBJ* pxo, ULONG iMode, ULONG cPoints, PVOID pvIn, PVOID pvOut) {
  XformObject* x = Find<XformObject>(Kind::Xform, pxo);
  if (!x || (cPoints != 0 && (!pvIn || !pvOut))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return x->Apply(iMode, cPoints, pvIn, pvOut);
}

ULONG WINAPI XLATEOBJ_iXlate(XLATEOBJ* pxlo, ULONG iColor) {
  if (!pxlo) return iColor;
  XlateObject* x = Find<XlateObject>(Kind::Xlate, pxlo);
  if (!x) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0xFFFFFFFFu;
  }
  return x->Translate(iColor);
}

ULONG* WINAPI XLATEOBJ_piVector(XLATEOBJ* pxlo) {
  XlateObject* x = Find<XlateObject>(Kind::Xlate, pxlo);
  if (!x) return nullptr;
  return pxlo->pulXlate;
}

ULONG WINAPI XLATEOBJ_cGetPalette(XLATEOBJ* pxlo, ULONG iPal, ULONG cPal, ULONG* pPal) {
  XlateObject* x = Find<XlateObject>(Kind::Xlate, pxlo);
  if (!x || (iPal != XO_SRCPALETTE && iPal != XO_DESTPALETTE)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return x->GetPalette(iPal, cPal, pPal);
}

PVOID WINAPI BRUSHOBJ_pvAllocRbrush(BRUSHOBJ* pbo, ULONG cj) {
  return NoThrow<PVOID>(nullptr, [&]() -> PVOID {
    BrushObject* b = Find<BrushObject>(Kind::Brush, pbo);
    if (!b || cj == 0) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
    return b->Alloc(cj);
  });
}

PVOID WINAPI BRUSHOBJ_pvGetRbrush(BRUSHOBJ* pbo) {
  return NoThrow<PVOID>(nullptr, [&]() -> PVOID {
    BrushObject* b = Find<BrushObject>(Kind::Brush, pbo);
    if (!b) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
    return b->GetRealized();
  });
}

ULONG WINAPI BRUSHOBJ_ulGetBrushColor(BRUSHOBJ* pbo) { return pbo ? pbo->iSolidColor : 0xFFFFFFFFu; }

ULONG WINAPI FONTOBJ_cGetGlyphs(FONTOBJ* pfo, ULONG iMode, ULONG cGlyph, HGLYPH* phg, PVOID* ppvGlyph) {
  FontObject* f = Find<FontObject>(Kind::Font, pfo);
  if (!f) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return f->GetGlyphs(iMode, cGlyph, phg, ppvGlyph);
}

XFORMOBJ* WINAPI FONTOBJ_pxoGetXform(FONTOBJ* pfo) {
  FontObject* f = Find<FontObject>(Kind::Font, pfo);
  return f ? f->transform().get() : nullptr;
}

IFIMETRICS* WINAPI FONTOBJ_pifi(FONTOBJ* pfo) {
  FontObject* f = Find<FontObject>(Kind::Font, pfo);
  return f ? f->Metrics() : nullptr;
}

void WINAPI FONTOBJ_vGetInfo(FONTOBJ* pfo, ULONG cjSize, FONTINFO* pfi) {
  FontObject* f = Find<FontObject>(Kind::Font, pfo);
  if (f && pfi) f->Info(cjSize, pfi);
}

ULONG WINAPI FONTOBJ_cGetAllGlyphHandles(FONTOBJ* pfo, HGLYPH* phg) {
  FontObject* f = Find<FontObject>(Kind::Font, pfo);
  return f ? f->AllHandles(phg) : 0;
}

FD_GLYPHSET* WINAPI FONTOBJ_pfdg(FONTOBJ* pfo) {
  FontObject* f = Find<FontObject>(Kind::Font, pfo);
  return f ? f->GlyphSet() : nullptr;
}

void WINAPI STROBJ_vEnumStart(STROBJ* pstro) {
  if (StringObject* s = Find<StringObject>(Kind::String, pstro)) s->StartEnum();
}

BOOL WINAPI STROBJ_bEnum(STROBJ* pstro, ULONG* pc, PGLYPHPOS* ppgpos) {
  StringObject* s = Find<StringObject>(Kind::String, pstro);
  if (!s || !pc || !ppgpos) {
    SetLastError(ERROR_INVALID_PARAMETER);
    if (pc) *pc = 0;
    return FALSE;
  }
  return s->Enum(pc, ppgpos, true);
}

BOOL WINAPI STROBJ_bEnumPositionsOnly(STROBJ* pstro, ULONG* pc, PGLYPHPOS* ppgpos) {
  return NoThrow<BOOL>(FALSE, [&]() -> BOOL {
    StringObject* s = Find<StringObject>(Kind::String, pstro);
    if (!s || !pc || !ppgpos) {
      SetLastError(ERROR_INVALID_PARAMETER);
      if (pc) *pc = 0;
      return FALSE;
    }
    return s->Enum(pc, ppgpos, false);
  });
}

DWORD WINAPI STROBJ_dwGetCodePage(STROBJ* pstro) {
  StringObject* s = Find<StringObject>(Kind::String, pstro);
  return s ? s->CodePage() : 0;
}

}  // extern "C"
