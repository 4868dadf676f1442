#include "modules/font_lines.h"

#include "modules/module_text.h"

namespace {

constexpr int kSeparator = 31;
constexpr int kPrinterFontAt = 34;

}  // namespace

void MakeFontLine(const WCHAR* face, const WCHAR* printerFont, WCHAR* out) {
  if (!out) return;
  int n = 0;
  for (; face && face[n] && n < kSeparator; ++n) out[n] = face[n];
  for (; n < kSeparator; ++n) out[n] = u' ';
  out[n++] = u' ';
  out[n++] = u'>';
  out[n++] = u' ';
  for (int i = 0; printerFont && printerFont[i] && i < kFontNameChars - 1; ++i) out[n++] = printerFont[i];
  out[n] = 0;
}

void FontLineName(const WCHAR* line, WCHAR* out) {
  if (!out) return;
  int n = 0;
  for (; line && line[n] && n < kFontNameChars; ++n) out[n] = line[n];
  while (n > 0 && out[n - 1] == u' ') --n;
  out[n] = 0;
}

void FontLinePrinterFont(const WCHAR* line, WCHAR* out) {
  if (!out) return;
  out[0] = 0;
  if (WideLength(line) <= static_cast<std::size_t>(kPrinterFontAt)) return;
  CopyWide(out, kFontNameChars + 1, line + kPrinterFontAt);
}

void ReplaceFontLinePrinterFont(WCHAR* line, const WCHAR* printerFont) {
  if (!line) return;
  WCHAR face[kFontNameChars + 1];
  FontLineName(line, face);
  MakeFontLine(face, printerFont, line);
}
