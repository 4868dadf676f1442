#include "text_decode.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

namespace drvhost {
namespace {

DWORD U32(const BYTE* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<DWORD>(p[3]) << 24; }
LONG I32(const BYTE* p) { return static_cast<LONG>(U32(p)); }
WORD U16(const BYTE* p) { return static_cast<WORD>(p[0] | p[1] << 8); }
short I16(const BYTE* p) { return static_cast<short>(U16(p)); }

std::string Fmt(const char* format, ...) {
  char buf[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buf, sizeof buf, format, args);
  va_end(args);
  return buf;
}

std::string Box(const BYTE* p) { return Fmt("(%d, %d)-(%d, %d)", I32(p), I32(p + 4), I32(p + 8), I32(p + 12)); }

std::string Name(const BYTE* p, std::size_t room) {
  std::string s;
  for (std::size_t i = 0; i < room && p[i]; ++i)
    s += (p[i] >= 0x20 && p[i] < 0x7F) ? std::string(1, static_cast<char>(p[i])) : Fmt("\\x%02X", p[i]);
  return s;
}

std::string FontFlags(WORD f) {
  std::string s;
  auto add = [&](WORD bit, const char* name) {
    if (f & bit) s += std::string(s.empty() ? "" : " ") + name;
  };
  add(0x0001, "italic");
  add(0x0002, "bold");
  add(0x0008, "resident");
  add(0x0010, "glyph-indexes");
  add(0x0080, "vertical");
  add(0x0200, "outlines");
  add(0x2000, "not-resident");
  return s.empty() ? "none" : s;
}

// Expands run-length codes into byteCount bytes; false when they do not fit or are cut.
bool Expand(const BYTE* codes, std::size_t length, std::size_t byteCount) {
  std::size_t in = 0, at = 0;
  auto field = [&](std::size_t v, std::size_t full, std::size_t* out) {
    if (v == full)
      for (;;) {
        if (in >= length) return false;
        const BYTE b = codes[in++];
        v += b;
        if (b < 255) break;
      }
    *out = v;
    return true;
  };
  while (in < length) {
    const BYTE c = codes[in++];
    std::size_t zeros = 0, count = 0;
    if (!field((c >> 3) & 15, 15, &zeros) || !field(c & 7, 7, &count)) return false;
    at += zeros;
    const std::size_t bytes = (c & 0x80) ? count + 2 : count + 1;
    const std::size_t data = (c & 0x80) ? 1 : bytes;
    if (data > length - in) return false;
    in += data;
    at += bytes;
    if (at > byteCount) return false;
  }
  return true;
}

// The bitmap of a glyph record: its byte count within the record, and for the compressed
// form codes that expand to exactly its rows.
std::string Bitmap(const BYTE* bitmap, std::size_t room, DWORD width, DWORD height, DWORD count, unsigned encoding,
                   bool* damaged) {
  const unsigned long long raw = (static_cast<unsigned long long>(width) + 7) / 8 * height;
  if (count > room) {
    *damaged = true;
    return Fmt("; ! bitmap of %u bytes runs past the record", count);
  }
  if (encoding == 0) {
    if (count != raw) {
      *damaged = true;
      return Fmt("; ! %u plain bytes for %llu bytes of rows", count, raw);
    }
    return Fmt(", %u plain bytes", count);
  }
  if (encoding == 2) {
    if (!Expand(bitmap, count, static_cast<std::size_t>(raw))) {
      *damaged = true;
      return Fmt("; ! %u compressed bytes do not expand to %llu bytes of rows", count, raw);
    }
    return Fmt(", %u compressed bytes for %llu", count, raw);
  }
  *damaged = true;
  return Fmt("; ! unknown bitmap encoding %u", encoding);
}

}  // namespace

std::string DescribeTextRecord(const BYTE* p, std::size_t len, bool* damaged) {
  *damaged = false;
  switch (p[0]) {
    case 0x50: case 0x56: {
      const bool download = p[0] == 0x56;
      const std::size_t nameAt = download ? 32 : 24;
      if (len < nameAt + 4) {
        *damaged = true;
        return Fmt("font selection: ! %zu bytes, too short", len);
      }
      const BYTE charSet = download ? p[1] : p[2];
      const BYTE pitch = download ? p[2] : p[3];
      std::string s = Fmt("%s: \"%s\", flags 0x%04X (%s), character set %u, pitch and family 0x%02X, weight %u, "
                          "escapement %u, %u x %u pixels, internal leading %u, default character U+%04X",
                          download ? "downloaded-font selection" : "font selection",
                          Name(p + nameAt, len - nameAt).c_str(), U16(p + 4), FontFlags(U16(p + 4)).c_str(), charSet,
                          pitch, U16(p + 6), U16(p + 8), U16(p + 10), U16(p + 12), U16(p + 20), U16(p + 22));
      if (std::memchr(p + nameAt, 0, len - nameAt) == nullptr) {
        *damaged = true;
        s += "; ! the face name has no end";
      }
      return s;
    }
    case 0x51: {
      if (len < 36) break;
      std::string s = Fmt("character box U+%04X at (%d, %d), box %s", U16(p + 32), I32(p + 24), I32(p + 28),
                          Box(p + 8).c_str());
      if (p[2] == 1) s += Fmt(", outline of %zu bytes", len - 36);
      if (p[2] == 0 && len != 36) {
        *damaged = true;
        s += "; ! a plain character box is 36 bytes";
      }
      return s;
    }
    case 0x52: {
      if (len < 36) break;
      const DWORD n = U16(p + 32);
      const DWORD advances = p[2] == 0x80 ? n : 1;
      const std::size_t want = (36 + (advances + n) * 2 + 3) & ~static_cast<std::size_t>(3);
      std::string s = Fmt("character run of %u at (%d, %d), %s, background %s", n, I32(p + 24), I32(p + 28),
                          advances == 1 && n != 1 ? Fmt("advance %d", I16(p + 36)).c_str() : "an advance each",
                          Box(p + 8).c_str());
      if (want != len) {
        *damaged = true;
        return s + Fmt("; ! %zu bytes for %u characters", len, n);
      }
      s += ": \"";
      const BYTE* chars = p + 36 + advances * 2;
      for (DWORD i = 0; i < n && i < 24; ++i) {
        const WORD c = U16(chars + i * 2);
        s += (c >= 0x20 && c < 0x7F) ? std::string(1, static_cast<char>(c)) : Fmt("\\u%04X", c);
      }
      return s + (n > 24 ? "...\"" : "\"");
    }
    case 0x53: case 0x57: {
      if (len < 64) break;
      const DWORD offset = U32(p + 32);
      std::string s = Fmt("glyph image%s U+%04X, flags 0x%02X, cell (%d, %d), bitmap %ux%u at (%d, %d)",
                          p[0] == 0x53 ? " (kept)" : " (not kept)", U16(p + 60), p[2], I32(p + 24), I32(p + 28),
                          U32(p + 44), U32(p + 48), I32(p + 36), I32(p + 40));
      if (offset == 0) {
        if (len != 64 || U32(p + 52) != 0) {
          *damaged = true;
          return s + "; ! a glyph without a bitmap is 64 bytes with byte count 0";
        }
        return s + ", drawn from the printer's copy";
      }
      if (offset != 64) {
        *damaged = true;
        return s + Fmt("; ! bitmap offset %u", offset);
      }
      return s + Bitmap(p + 64, len - 64, U32(p + 44), U32(p + 48), U32(p + 52), p[62], damaged);
    }
    case 0x54: {
      if (len < 28) break;
      std::string s = Fmt("glyph definition U+%04X, flags 0x%02X, %ux%u", U16(p + 24), p[2], U32(p + 12), U32(p + 16));
      return s + Bitmap(p + 28, len - 28, U32(p + 12), U32(p + 16), U32(p + 8), U16(p + 26), damaged);
    }
    case 0x55: {
      if (len < 36) break;
      const DWORD n = U32(p + 32);
      std::string s = Fmt("glyph positions: %u glyphs from (%d, %d), flags 0x%02X, background %s", n, I32(p + 24),
                          I32(p + 28), p[2], Box(p + 8).c_str());
      const unsigned long long want = (36ull + 6ull * n + 3) & ~3ull;
      if (want != len) {
        *damaged = true;
        return s + Fmt("; ! %zu bytes for %u entries", len, n);
      }
      s += ":";
      for (DWORD i = 0; i < n && i < 8; ++i) {
        const BYTE* e = p + 36 + i * 6;
        s += Fmt(" U+%04X%+d%+d", U16(e + 4), I16(e), I16(e + 2));
      }
      return s + (n > 8 ? " ..." : "");
    }
    default:
      break;
  }
  *damaged = true;
  return Fmt("text record 0x%02X: ! %zu bytes, too short", p[0], len);
}

}  // namespace drvhost
