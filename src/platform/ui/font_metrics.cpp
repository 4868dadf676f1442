// Metrics of the fonts of windows and device contexts, measured on the TrueType faces the
// text of the system is drawn with (read through FreeType): the face a font's name stands
// for, its cell height, ascent and descent, and the advance of each character at the
// font's size. Without a face file the fixed metrics of the window system answer.
#include "font_metrics.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <cmath>
#include <map>
#include <mutex>

#include "plat/wstr.h"

namespace plat::ui {
namespace {

const char* const kFontFolders[] = {"/usr/share/fonts/truetype/dejavu/", "/usr/share/fonts/truetype/"};

struct Faces {
  std::mutex lock;
  FT_Library library = nullptr;
  bool tried = false;
  std::map<std::string, FT_Face> open;  // by file name; null: missing
};

Faces& faces() {
  static Faces* f = new Faces;  // never destroyed: fonts may be measured during exit
  return *f;
}

// The face file a font's name, weight and slant stand for: the system's dialog and sans
// serif names are the sans face, fixed-pitch names the mono face, serif names the serif face.
std::string FaceFile(const LOGFONTW& lf) {
  const std::u16string name = plat::UpperCase(plat::View(lf.lfFaceName));
  std::string family = "DejaVuSans";
  if (name.find(u"COURIER") != std::u16string::npos || name.find(u"CONSOLAS") != std::u16string::npos ||
      name.find(u"MONO") != std::u16string::npos || name == u"FIXEDSYS" || name == u"TERMINAL" ||
      (name.empty() && (lf.lfPitchAndFamily & 3) == FIXED_PITCH))
    family = "DejaVuSansMono";
  else if (name.find(u"TIMES") != std::u16string::npos || name.find(u"SERIF") != std::u16string::npos ||
           name.find(u"GEORGIA") != std::u16string::npos || name.find(u"MINCHO") != std::u16string::npos)
    family = name.find(u"SANS") != std::u16string::npos ? "DejaVuSans" : "DejaVuSerif";
  const bool bold = lf.lfWeight >= 600;  // semibold and heavier
  const bool italic = lf.lfItalic != 0;
  if (!bold && !italic) return family + ".ttf";
  const bool serif = family == "DejaVuSerif";
  std::string style = bold ? "-Bold" : "-";
  if (italic) style += serif ? "Italic" : "Oblique";
  return family + style + ".ttf";
}

FT_Face OpenFace(Faces& f, const std::string& file) {
  if (auto it = f.open.find(file); it != f.open.end()) return it->second;
  if (!f.tried) {
    f.tried = true;
    if (FT_Init_FreeType(&f.library) != 0) f.library = nullptr;
  }
  FT_Face face = nullptr;
  for (const char* folder : kFontFolders) {
    if (!f.library || FT_New_Face(f.library, (std::string(folder) + file).c_str(), 0, &face) == 0) break;
    face = nullptr;
  }
  f.open[file] = face;
  return face;
}

// The face at the font's size: a negative height is the em in pixels, a positive one the
// cell (ascent and descent together), 0 the system's default cell of 16 pixels.
FT_Face Sized(Faces& f, const LOGFONTW& lf, LONG* ascent, LONG* descent, LONG* em) {
  FT_Face face = OpenFace(f, FaceFile(lf));
  if (!face) return nullptr;
  const TT_OS2* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  const double units = face->units_per_EM;
  const double up = os2 ? os2->usWinAscent : face->ascender;
  const double down = os2 ? os2->usWinDescent : -face->descender;
  double pixels;
  if (lf.lfHeight < 0) pixels = -static_cast<double>(lf.lfHeight);
  else pixels = (lf.lfHeight == 0 ? 16.0 : static_cast<double>(lf.lfHeight)) * units / (up + down);
  const auto ppem = static_cast<FT_UInt>(std::lround(pixels));
  if (ppem < 1 || ppem > 4096 || FT_Set_Pixel_Sizes(face, 0, ppem) != 0) return nullptr;
  *ascent = std::lround(up * pixels / units);
  *descent = std::lround(down * pixels / units);
  *em = static_cast<LONG>(ppem);
  return face;
}

LONG Advance(FT_Face face, char16_t c) {
  if (FT_Load_Char(face, c, FT_LOAD_DEFAULT) != 0) return 0;
  return static_cast<LONG>((face->glyph->advance.x + 32) >> 6);
}

}  // namespace

bool MeasureFont(const LOGFONTW& lf, TEXTMETRICW* tm) {
  auto& f = faces();
  std::lock_guard<std::mutex> g(f.lock);
  LONG ascent = 0, descent = 0, em = 0;
  FT_Face face = Sized(f, lf, &ascent, &descent, &em);
  if (!face) return false;
  const TT_OS2* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  const double scale = static_cast<double>(em) / face->units_per_EM;
  *tm = TEXTMETRICW{};
  tm->tmAscent = ascent;
  tm->tmDescent = descent;
  tm->tmHeight = ascent + descent;
  tm->tmInternalLeading = tm->tmHeight - em;
  tm->tmAveCharWidth = os2 ? std::lround(os2->xAvgCharWidth * scale) : Advance(face, u'x');
  tm->tmMaxCharWidth = std::lround(face->max_advance_width * scale);
  tm->tmWeight = lf.lfWeight ? lf.lfWeight : FW_NORMAL;
  tm->tmItalic = lf.lfItalic;
  tm->tmUnderlined = lf.lfUnderline;
  tm->tmStruckOut = lf.lfStrikeOut;
  tm->tmFirstChar = 0x20;
  tm->tmLastChar = 0xFFFC;
  tm->tmDefaultChar = u'?';
  tm->tmBreakChar = u' ';
  // The pitch bits say the opposite of their names: set for a variable-pitch font.
  tm->tmPitchAndFamily = static_cast<BYTE>((FT_IS_FIXED_WIDTH(face) ? 0 : TMPF_FIXED_PITCH) | TMPF_TRUETYPE |
                                           TMPF_VECTOR);
  tm->tmCharSet = lf.lfCharSet;
  tm->tmDigitizedAspectX = tm->tmDigitizedAspectY = 96;
  return true;
}

bool RenderTurnedText(const LOGFONTW& lf, std::u16string_view text, int x, int y, void (*put)(void*, int, int, unsigned),
                      void* data) {
  auto& f = faces();
  std::lock_guard<std::mutex> g(f.lock);
  LONG ascent = 0, descent = 0, em = 0;
  FT_Face face = Sized(f, lf, &ascent, &descent, &em);
  if (!face) return false;
  // The escapement turns the text counter-clockwise about the top left of its cell; the
  // baseline lies the ascent below it, along the turned vertical. Positions are kept in
  // 26.6 fixed point on the screen, whose y runs down.
  const double radians = (lf.lfEscapement % 3600) * 3.141592653589793 / 1800.0;
  const double cosine = std::cos(radians), sine = std::sin(radians);
  FT_Matrix turn;
  turn.xx = static_cast<FT_Fixed>(std::lround(cosine * 65536.0));
  turn.xy = static_cast<FT_Fixed>(std::lround(-sine * 65536.0));
  turn.yx = static_cast<FT_Fixed>(std::lround(sine * 65536.0));
  turn.yy = static_cast<FT_Fixed>(std::lround(cosine * 65536.0));
  FT_Set_Transform(face, &turn, nullptr);
  double penX = x + ascent * sine, penY = y + ascent * cosine;
  for (char16_t c : text) {
    if (FT_Load_Char(face, c, FT_LOAD_RENDER) != 0) continue;
    const FT_GlyphSlot glyph = face->glyph;
    const FT_Bitmap& bm = glyph->bitmap;
    const int left = static_cast<int>(std::floor(penX)) + glyph->bitmap_left;
    const int top = static_cast<int>(std::floor(penY)) - glyph->bitmap_top;
    if (bm.pixel_mode == FT_PIXEL_MODE_GRAY && bm.buffer) {
      for (unsigned row = 0; row < bm.rows; ++row) {
        const unsigned char* line = bm.buffer + static_cast<long>(row) * bm.pitch;
        for (unsigned col = 0; col < bm.width; ++col) {
          const unsigned v = line[col] * 255u / (bm.num_grays > 1 ? bm.num_grays - 1 : 255u);
          if (v) put(data, left + static_cast<int>(col), top + static_cast<int>(row), v);
        }
      }
    }
    penX += glyph->advance.x / 64.0;
    penY -= glyph->advance.y / 64.0;
  }
  FT_Set_Transform(face, nullptr, nullptr);
  return true;
}

bool MeasureText(const LOGFONTW& lf, std::u16string_view text, SIZE* size) {
  auto& f = faces();
  std::lock_guard<std::mutex> g(f.lock);
  LONG ascent = 0, descent = 0, em = 0;
  FT_Face face = Sized(f, lf, &ascent, &descent, &em);
  if (!face) return false;
  LONG width = 0;
  for (char16_t c : text) width += Advance(face, c);
  *size = SIZE{width, ascent + descent};
  return true;
}

bool RenderText(const LOGFONTW& lf, std::u16string_view text, int x, int y,
                const std::function<void(int, int, unsigned)>& put, SIZE* cell) {
  auto& f = faces();
  std::lock_guard<std::mutex> g(f.lock);
  LONG ascent = 0, descent = 0, em = 0;
  FT_Face face = Sized(f, lf, &ascent, &descent, &em);
  if (!face) return false;
  const int baseline = y + static_cast<int>(ascent);
  long pen = x;
  for (char16_t c : text) {
    if (FT_Load_Char(face, c, FT_LOAD_RENDER) != 0) continue;
    const FT_GlyphSlot glyph = face->glyph;
    const FT_Bitmap& bm = glyph->bitmap;
    if (bm.pixel_mode == FT_PIXEL_MODE_GRAY && bm.buffer) {
      for (unsigned row = 0; row < bm.rows; ++row) {
        const unsigned char* line = bm.buffer + static_cast<long>(row) * bm.pitch;
        for (unsigned col = 0; col < bm.width; ++col) {
          const unsigned v = line[col] * 255u / (bm.num_grays > 1 ? bm.num_grays - 1 : 255u);
          if (v) put(static_cast<int>(pen + glyph->bitmap_left + col), baseline - glyph->bitmap_top + static_cast<int>(row), v);
        }
      }
    }
    pen += (glyph->advance.x + 32) >> 6;
  }
  if (cell) *cell = SIZE{static_cast<LONG>(pen - x), ascent + descent};
  return true;
}

}  // namespace plat::ui
