// TrueType faces for the engine's font objects: a face read from a font file through
// FreeType, realized at a pixel size as a FontObject whose glyphs are the face's own
// 1-bit bitmaps and outlines, and strings laid out along a baseline with its advances.
//
// The font transform maps font units to device pixels with y growing downward on the
// page and the em scaled alike in x and y: (s, 0, 0, s) with s = pixel height / units per
// em. Glyph handles are the face's glyph indexes.
#pragma once

// Exported by the platform library (built with hidden visibility otherwise).
#pragma GCC visibility push(default)

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "plat/gdi_objects.h"

namespace plat::gdi {

struct RealizedText {
  std::unique_ptr<FontObject> font;
  std::vector<HGLYPH> glyphs;  // one per character of the text
  std::vector<LONG> advances;  // whole pixels, one per glyph
  LONG ascent = 0;             // whole pixels above the baseline
  LONG descent = 0;            // whole pixels below it
};

class TrueTypeFace {
 public:
  // The face of a font file, or null (the file is missing or no font FreeType reads).
  static std::unique_ptr<TrueTypeFace> Open(const std::string& path);
  ~TrueTypeFace();
  TrueTypeFace(const TrueTypeFace&) = delete;
  TrueTypeFace& operator=(const TrueTypeFace&) = delete;

  std::u16string familyName() const;
  // A font object of the face with an em of pixelHeight pixels, holding the glyphs of
  // text (bitmaps and outlines) and its IFIMETRICS; null for a size below 1 or above 4096.
  // A non-empty familyName stands for the face's own family and face names (as a font
  // the application renamed).
  RealizedText Realize(ULONG uniq, LONG pixelHeight, std::u16string_view text, std::u16string_view familyName = {});

 private:
  TrueTypeFace();
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// A string of the realized text with its baseline starting at origin: glyph positions
// from the advances, the background rectangle from the ascent and descent, horizontal
// placement; positionsInRecord as for StringObject.
std::unique_ptr<StringObject> LayOutString(const RealizedText& text, std::u16string characters, POINTL origin,
                                           bool positionsInRecord = true);

}  // namespace plat::gdi

#pragma GCC visibility pop
