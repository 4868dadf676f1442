// Metrics of fonts measured on the TrueType faces of the system (see font_metrics.cpp).
#pragma once

#include <functional>
#include <string_view>

#include "win/paint.h"

namespace plat::ui {

// The text metrics of a logical font; false without the face file (the caller then uses
// fixed metrics).
bool MeasureFont(const LOGFONTW& font, TEXTMETRICW* metrics);
// Draws a text's glyphs turned by the font's escapement about the top left of its cell at
// (x, y): `put` gets each pixel a glyph covers and its coverage (1..255). False without the
// face file.
bool RenderTurnedText(const LOGFONTW& font, std::u16string_view text, int x, int y,
                      void (*put)(void* data, int x, int y, unsigned coverage), void* data);
// The width (sum of the characters' advances) and cell height of a text; false as above.
bool MeasureText(const LOGFONTW& font, std::u16string_view text, SIZE* size);

// Draws a text's glyphs with the top left of its cell at (x, y): `put` gets each pixel a
// glyph covers and its coverage (1..255). Answers the cell's width and height; false
// without the face file.
bool RenderText(const LOGFONTW& font, std::u16string_view text, int x, int y,
                const std::function<void(int x, int y, unsigned coverage)>& put, SIZE* cell);

}  // namespace plat::ui
