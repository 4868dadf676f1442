#include "plat/truetype.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <cstddef>
#include <cstring>
#include <map>

namespace plat::gdi {

namespace {

FT_Library Library() {
  static FT_Library library = [] {
    FT_Library l = nullptr;
    if (FT_Init_FreeType(&l) != 0) l = nullptr;
    return l;
  }();
  return library;
}

std::size_t AppendName(std::vector<BYTE>& blob, std::u16string_view name) {
  const std::size_t at = blob.size();
  blob.resize(at + (name.size() + 1) * 2, 0);
  std::memcpy(blob.data() + at, name.data(), name.size() * 2);
  return at;
}

// 26.6 FreeType coordinates to 28.4 device points, y turned to grow downward.
POINTFIX Fix(const FT_Vector* v) { return POINTFIX{static_cast<FIX>(v->x / 4), static_cast<FIX>(-v->y / 4)}; }

struct OutlineSink {
  PathObject* path;
  FT_Vector last;
};

int MoveTo(const FT_Vector* to, void* user) {
  auto* sink = static_cast<OutlineSink*>(user);
  if (!sink->path->records().empty()) sink->path->CloseFigure();
  sink->path->MoveTo(Fix(to));
  sink->last = *to;
  return 0;
}
int LineTo(const FT_Vector* to, void* user) {
  auto* sink = static_cast<OutlineSink*>(user);
  sink->path->LineTo(Fix(to));
  sink->last = *to;
  return 0;
}
int ConicTo(const FT_Vector* control, const FT_Vector* to, void* user) {
  auto* sink = static_cast<OutlineSink*>(user);
  // A quadratic piece as the cubic with the same curve.
  const FT_Vector c1{sink->last.x + 2 * (control->x - sink->last.x) / 3, sink->last.y + 2 * (control->y - sink->last.y) / 3};
  const FT_Vector c2{to->x + 2 * (control->x - to->x) / 3, to->y + 2 * (control->y - to->y) / 3};
  sink->path->BezierTo(Fix(&c1), Fix(&c2), Fix(to));
  sink->last = *to;
  return 0;
}
int CubicTo(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user) {
  auto* sink = static_cast<OutlineSink*>(user);
  sink->path->BezierTo(Fix(c1), Fix(c2), Fix(to));
  sink->last = *to;
  return 0;
}

}  // namespace

struct TrueTypeFace::Impl {
  FT_Face face = nullptr;
};

TrueTypeFace::TrueTypeFace() : impl_(std::make_unique<Impl>()) {}

TrueTypeFace::~TrueTypeFace() {
  if (impl_->face) FT_Done_Face(impl_->face);
}

std::unique_ptr<TrueTypeFace> TrueTypeFace::Open(const std::string& path) {
  FT_Library library = Library();
  if (!library) return nullptr;
  std::unique_ptr<TrueTypeFace> face(new TrueTypeFace());
  if (FT_New_Face(library, path.c_str(), 0, &face->impl_->face) != 0) {
    face->impl_->face = nullptr;
    return nullptr;
  }
  if (!FT_IS_SCALABLE(face->impl_->face)) return nullptr;
  return face;
}

std::u16string TrueTypeFace::familyName() const {
  std::u16string name;
  if (const char* family = impl_->face->family_name)
    for (const char* p = family; *p; ++p) name.push_back(static_cast<char16_t>(static_cast<unsigned char>(*p)));
  return name;
}

RealizedText TrueTypeFace::Realize(ULONG uniq, LONG pixelHeight, std::u16string_view text,
                                   std::u16string_view familyName) {
  RealizedText out;
  FT_Face face = impl_->face;
  if (pixelHeight < 1 || pixelHeight > 4096) return out;
  if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelHeight)) != 0) return out;

  const std::u16string family = familyName.empty() ? this->familyName() : std::u16string(familyName);
  const TT_OS2* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  std::vector<BYTE> blob(sizeof(IFIMETRICS), 0);
  IFIMETRICS m{};
  m.dpwszFamilyName = static_cast<PTRDIFF>(AppendName(blob, family));
  m.dpwszStyleName = static_cast<PTRDIFF>(AppendName(blob, u"Regular"));
  m.dpwszFaceName = static_cast<PTRDIFF>(AppendName(blob, family));
  m.dpwszUniqueName = static_cast<PTRDIFF>(AppendName(blob, family));
  blob.resize((blob.size() + 7) / 8 * 8, 0);
  m.cjThis = static_cast<ULONG>(blob.size());
  m.jWinCharSet = 0;
  m.jWinPitchAndFamily = FT_IS_FIXED_WIDTH(face) ? 0x31 : 0x22;
  m.usWinWeight = (face->style_flags & FT_STYLE_FLAG_BOLD) ? 700 : 400;
  m.flInfo = FM_INFO_TECH_TRUETYPE | FM_INFO_ARB_XFORMS | FM_INFO_1BPP | FM_INFO_RETURNS_OUTLINES |
             FM_INFO_RETURNS_BITMAPS | FM_INFO_RIGHT_HANDED;
  m.fwdUnitsPerEm = static_cast<FWORD>(face->units_per_EM);
  m.fwdLowestPPEm = 1;
  m.fwdWinAscender = static_cast<FWORD>(os2 ? os2->usWinAscent : face->ascender);
  m.fwdWinDescender = static_cast<FWORD>(os2 ? os2->usWinDescent : -face->descender);
  m.fwdMacAscender = static_cast<FWORD>(face->ascender);
  m.fwdMacDescender = static_cast<FWORD>(face->descender);
  m.fwdMacLineGap = static_cast<FWORD>(face->height - face->ascender + face->descender);
  m.fwdTypoAscender = m.fwdMacAscender;
  m.fwdTypoDescender = m.fwdMacDescender;
  m.fwdAveCharWidth = static_cast<FWORD>(os2 ? os2->xAvgCharWidth : face->max_advance_width / 2);
  m.fwdMaxCharInc = static_cast<FWORD>(face->max_advance_width);
  m.fwdUnderscoreSize = static_cast<FWORD>(face->underline_thickness);
  m.fwdUnderscorePosition = static_cast<FWORD>(face->underline_position);
  m.fwdStrikeoutSize = m.fwdUnderscoreSize;
  m.fwdStrikeoutPosition = static_cast<FWORD>(face->units_per_EM * 3 / 10);
  m.chFirstChar = 0x20;
  m.chLastChar = 0xFF;
  m.chDefaultChar = 0x20;
  m.chBreakChar = 0x20;
  m.wcFirstChar = 0x20;
  m.wcLastChar = 0xFFFD;
  m.wcDefaultChar = 0x20;
  m.wcBreakChar = 0x20;
  m.ptlBaseline = POINTL{1, 0};
  m.ptlAspect = POINTL{1, 1};
  m.ptlCaret = POINTL{0, 1};
  m.rclFontBox = RECTL{static_cast<LONG>(face->bbox.xMin), static_cast<LONG>(face->bbox.yMax), static_cast<LONG>(face->bbox.xMax),
                      static_cast<LONG>(face->bbox.yMin)};
  std::memcpy(m.achVendId, "Unkn", 4);
  std::memcpy(blob.data(), &m, sizeof m);

  const float scale = static_cast<float>(pixelHeight) / static_cast<float>(face->units_per_EM);
  out.font = std::make_unique<FontObject>(uniq, 0, FO_TYPE_TRUETYPE, blob.data(), static_cast<ULONG>(blob.size()),
                                          XFORML{scale, 0, 0, scale, 0, 0});
  out.ascent = static_cast<LONG>((face->size->metrics.ascender + 63) >> 6);
  out.descent = static_cast<LONG>((-face->size->metrics.descender + 63) >> 6);

  std::map<HGLYPH, LONG> done;
  FT_Outline_Funcs funcs{MoveTo, LineTo, ConicTo, CubicTo, 0, 0};
  for (char16_t c : text) {
    const HGLYPH hg = FT_Get_Char_Index(face, c);
    out.glyphs.push_back(hg);
    auto found = done.find(hg);
    if (found != done.end()) {
      out.advances.push_back(found->second);
      continue;
    }
    LONG advance = 0;
    if (FT_Load_Glyph(face, static_cast<FT_UInt>(hg), FT_LOAD_TARGET_MONO) == 0) {
      FT_GlyphSlot slot = face->glyph;
      advance = static_cast<LONG>((slot->advance.x + 32) >> 6);
      PathObject& path = out.font->GlyphOutline(hg);
      if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
        OutlineSink sink{&path, FT_Vector{0, 0}};
        FT_Outline_Decompose(&slot->outline, &funcs, &sink);
        if (!path.records().empty()) path.CloseFigure();
      }
      std::vector<BYTE> rows;
      SIZEL size{0, 0};
      POINTL origin{0, 0};
      if (FT_Render_Glyph(slot, FT_RENDER_MODE_MONO) == 0) {
        const FT_Bitmap& bm = slot->bitmap;
        size = SIZEL{static_cast<LONG>(bm.width), static_cast<LONG>(bm.rows)};
        origin = POINTL{slot->bitmap_left, -slot->bitmap_top};
        const std::size_t rowBytes = (bm.width + 7) / 8;
        rows.resize(rowBytes * bm.rows);
        for (unsigned y = 0; y < bm.rows; ++y)
          std::memcpy(rows.data() + y * rowBytes, bm.buffer + static_cast<std::ptrdiff_t>(y) * bm.pitch, rowBytes);
      }
      out.font->AddGlyph(hg, origin, size, rows, advance * 16);
      // AddGlyph resets the glyph's data: the outline keeps its own copy.
      out.font->GlyphOutline(hg);
    }
    done[hg] = advance;
    out.advances.push_back(advance);
  }
  return out;
}

std::unique_ptr<StringObject> LayOutString(const RealizedText& text, std::u16string characters, POINTL origin,
                                           bool positionsInRecord) {
  std::vector<GLYPHPOS> glyphs;
  LONG x = origin.x;
  for (std::size_t i = 0; i < text.glyphs.size(); ++i) {
    glyphs.push_back(GLYPHPOS{text.glyphs[i], nullptr, POINTL{x, origin.y}});
    x += i < text.advances.size() ? text.advances[i] : 0;
  }
  const RECTL background{origin.x, origin.y - text.ascent, x, origin.y + text.descent};
  return std::make_unique<StringObject>(std::move(characters), std::move(glyphs), text.font.get(), SO_HORIZONTAL, 0,
                                        background, positionsInRecord);
}

}  // namespace plat::gdi
