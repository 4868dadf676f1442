// Transform objects: the world-to-device transform (XFORMOBJ_*).
#include <cmath>

#include "gdi_internal.h"
#include "object_registry.h"
#include "plat/gdi_objects.h"
#include "win/errors.h"

namespace plat::gdi {

namespace {

LONG RoundToLong(double v) {
  if (v >= 2147483647.0) return 0x7FFFFFFF;
  if (v <= -2147483648.0) return static_cast<LONG>(0x80000000u);
  return static_cast<LONG>(std::lround(v));
}

}  // namespace

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

}  // namespace plat::gdi

using namespace plat::gdi;

extern "C" {

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

}  // extern "C"
