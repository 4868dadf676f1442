#include "modules/module_text.h"

#include <cstdarg>
#include <cstdio>

void FormatWide(WCHAR* out, std::size_t n, const char* format, ...) {
  if (!out || n == 0) return;
  char text[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  std::size_t i = 0;
  for (; text[i] && i + 1 < n; ++i) out[i] = static_cast<WCHAR>(static_cast<unsigned char>(text[i]));
  out[i] = 0;
}

void JoinWide(WCHAR* out, std::size_t n, const WCHAR* a, const WCHAR* b) {
  if (!out || n == 0) return;
  CopyWide(out, n, a);
  std::size_t i = WideLength(out);
  if (b)
    for (std::size_t j = 0; b[j] && i + 1 < n; ++j) out[i++] = b[j];
  out[i] = 0;
}
