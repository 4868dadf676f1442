// Colour translation objects: source-to-device colour indices and palettes (XLATEOBJ_*).
#include <algorithm>
#include <cstring>

#include "gdi_internal.h"
#include "object_registry.h"
#include "plat/gdi_objects.h"
#include "win/errors.h"

namespace plat::gdi {

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

}  // namespace plat::gdi

using namespace plat::gdi;

extern "C" {

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

}  // extern "C"
