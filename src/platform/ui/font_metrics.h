// Metrics of fonts measured on the TrueType faces of the system (see font_metrics.cpp).
#pragma once

#include <string_view>

#include "win/paint.h"

namespace plat::ui {

// The text metrics of a logical font; false without the face file (the caller then uses
// fixed metrics).
bool MeasureFont(const LOGFONTW& font, TEXTMETRICW* metrics);
// The width (sum of the characters' advances) and cell height of a text; false as above.
bool MeasureText(const LOGFONTW& font, std::u16string_view text, SIZE* size);

}  // namespace plat::ui
