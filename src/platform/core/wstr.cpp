#include "plat/wstr.h"

#include <algorithm>

namespace plat {

std::string ToUtf8(std::u16string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    std::uint32_t c = s[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (c >> 12)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (c >> 18)));
      out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return out;
}

std::u16string FromUtf8(std::string_view s) {
  std::u16string out;
  out.reserve(s.size());
  std::size_t i = 0;
  while (i < s.size()) {
    auto b = static_cast<unsigned char>(s[i]);
    std::uint32_t c = 0xFFFD;
    std::size_t n = 1;
    if (b < 0x80) {
      c = b;
    } else if ((b & 0xE0) == 0xC0) {
      n = 2;
    } else if ((b & 0xF0) == 0xE0) {
      n = 3;
    } else if ((b & 0xF8) == 0xF0) {
      n = 4;
    }
    if (n > 1) {
      if (i + n <= s.size()) {
        c = b & (0x7F >> n);
        bool ok = true;
        for (std::size_t k = 1; k < n; ++k) {
          auto t = static_cast<unsigned char>(s[i + k]);
          if ((t & 0xC0) != 0x80) { ok = false; break; }
          c = (c << 6) | (t & 0x3F);
        }
        if (!ok) { c = 0xFFFD; n = 1; }
      } else {
        n = 1;
        c = 0xFFFD;
      }
    }
    if (c >= 0x10000) {
      c -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(c));
    }
    i += n;
  }
  return out;
}

std::size_t WLen(const WCHAR* s) {
  if (!s) return 0;
  std::size_t n = 0;
  while (s[n]) ++n;
  return n;
}

void CopyWithNul(std::u16string_view s, WCHAR* out) {
  std::copy(s.begin(), s.end(), out);
  out[s.size()] = 0;
}

std::u16string_view View(const WCHAR* s) { return s ? std::u16string_view(s, WLen(s)) : std::u16string_view(); }

WCHAR FoldCase(WCHAR c) {
  if (c >= u'a' && c <= u'z') return static_cast<WCHAR>(c - 32);
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<WCHAR>(c - 32);
  if (c == 0xFF) return 0x178;
  return c;
}

int CompareNoCase(std::u16string_view a, std::u16string_view b) {
  std::size_t n = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < n; ++i) {
    WCHAR x = FoldCase(a[i]), y = FoldCase(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

bool EqualNoCase(std::u16string_view a, std::u16string_view b) {
  return a.size() == b.size() && CompareNoCase(a, b) == 0;
}

std::u16string UpperCase(std::u16string_view s) {
  std::u16string out(s);
  for (auto& c : out) c = FoldCase(c);
  return out;
}

}  // namespace plat
