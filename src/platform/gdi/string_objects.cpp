// String objects: the glyphs and positions of one text call (STROBJ_*).
#include <algorithm>
#include <cstring>

#include "gdi_internal.h"
#include "object_registry.h"
#include "plat/gdi_objects.h"
#include "win/errors.h"

namespace plat::gdi {

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
