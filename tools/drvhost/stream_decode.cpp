// The block-stream decoder of drvhost dump.
#include "stream_decode.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "host_text.h"
#include "text_decode.h"

namespace drvhost {
namespace {

DWORD U32(const BYTE* p) { return static_cast<DWORD>(p[0] | (p[1] << 8) | (p[2] << 16)) | (static_cast<DWORD>(p[3]) << 24); }
WORD U16At(const BYTE* p) { return static_cast<WORD>(p[0] | (p[1] << 8)); }
LONG I32(const BYTE* p) { return static_cast<LONG>(U32(p)); }

std::string Fmt(const char* f, ...) __attribute__((format(printf, 1, 2)));
std::string Fmt(const char* f, ...) {
  char buf[512];
  va_list ap;
  va_start(ap, f);
  std::vsnprintf(buf, sizeof buf, f, ap);
  va_end(ap);
  return buf;
}

const char* BlockName(DWORD type) {
  switch (type) {
    case 0xF0: return "page separator";
    case 0xF1: return "page trailer text";
    case 0xF3: return "job text";
    case 0xF4: return "page header text";
    case 0xF5: return "drawing records";
    case 0xF7: return "settings record";
    default: return "unknown block type";
  }
}

// Text lines of a payload: split at LF, CR dropped before it, other control bytes and
// bytes above 0x7E shown as \xNN.
void TextLines(const BYTE* p, std::size_t n, std::vector<std::string>& out) {
  std::string line;
  auto flush = [&](bool force) {
    if (!line.empty() || force) out.push_back("    | " + line);
    line.clear();
  };
  for (std::size_t i = 0; i < n; ++i) {
    const BYTE b = p[i];
    if (b == '\n') {
      flush(true);
    } else if (b == '\r' && i + 1 < n && p[i + 1] == '\n') {
      continue;
    } else if (b >= 0x20 && b < 0x7F) {
      line += static_cast<char>(b);
    } else if (b == 0x1B) {
      line += "<ESC>";
    } else {
      line += Fmt("\\x%02X", b);
    }
  }
  flush(false);
}

std::string Ansi16(const BYTE* p) {
  std::string s;
  for (int i = 0; i < 16 && p[i]; ++i) s += (p[i] >= 0x20 && p[i] < 0x7F) ? static_cast<char>(p[i]) : '?';
  return s;
}

void SettingsRecord(const BYTE* p, std::size_t n, std::vector<std::string>& out) {
  if (n < 220) {
    out.push_back(Fmt("    too short for a device-mode (%zu bytes)", n));
    return;
  }
  std::u16string name;
  for (int i = 0; i < 32; ++i) {
    const WCHAR c = static_cast<WCHAR>(U16At(p + 2 * i));
    if (!c) break;
    name += c;
  }
  out.push_back("    device name " + Quoted(name));
  out.push_back(Fmt("    dmSpecVersion 0x%04X, dmDriverVersion 0x%04X, dmSize %u, dmDriverExtra %u, fields 0x%08X",
                    U16At(p + 64), U16At(p + 66), U16At(p + 68), U16At(p + 70), U32(p + 72)));
  out.push_back(Fmt("    orientation %d, paper size %d, copies %d, print quality %d, colour %d",
                    static_cast<SHORT>(U16At(p + 76)), static_cast<SHORT>(U16At(p + 78)),
                    static_cast<SHORT>(U16At(p + 86)), static_cast<SHORT>(U16At(p + 90)),
                    static_cast<SHORT>(U16At(p + 92))));
  if (n < 367 || std::memcmp(p + 220, "KOVA", 4) != 0) {
    out.push_back("    no private block of this driver");
    return;
  }
  out.push_back("    private block \"KOVA\": model INI \"" + Ansi16(p + 228) + "\", versions \"" + Ansi16(p + 244) +
                "\" and \"" + Ansi16(p + 260) + "\"");
  char tag[5] = {static_cast<char>(p[349]), static_cast<char>(p[350]), static_cast<char>(p[351]),
                 static_cast<char>(p[352]), 0};
  for (char& c : tag)
    if (c && (c < 0x20 || c > 0x7E)) c = '?';
  out.push_back(Fmt("    common block %s, product tag \"%s\", private size %u, device-mode version %u",
                    p[276] ? ("\"" + Ansi16(p + 276) + "\" version " + std::to_string(p[284])).c_str() : "not in use",
                    tag, U32(p + 353), U32(p + 357)));
  out.push_back(Fmt("    area offsets %u, %u, %u", U16At(p + 361), U16At(p + 363), U16At(p + 365)));
}

std::string Color3(const BYTE* p) { return Fmt("%02X%02X%02X", p[0], p[1], p[2]); }

// The length of the record at p (n bytes available, n >= 4), or 0 when it cannot be told
// yet (more bytes needed; *need says how many), or SIZE_MAX for an unknown opcode.
std::size_t RecordLength(const BYTE* p, std::size_t n, std::size_t* need) {
  *need = 0;
  switch (p[0]) {
    case 0x31: case 0x32: case 0x34: case 0x35: case 0x37: case 0x61: return 4;
    case 0x33: case 0x36: return 8;
    case 0x60: return 16;
    case 0x30: return p[1];
    case 0x40:
      if (n < 6) { *need = 6; return 0; }
      return (static_cast<std::size_t>(U16At(p + 4)) + 9) & ~static_cast<std::size_t>(3);
    case 0x50: case 0x56:
      if (n < 16) { *need = 16; return 0; }
      return U16At(p + 14);
    case 0x10: case 0x11: case 0x12: case 0x13: case 0x20: case 0x51: case 0x52: case 0x53: case 0x54: case 0x55:
    case 0x57:
      if (n < 8) { *need = 8; return 0; }
      return U32(p + 4);
    default: return SIZE_MAX;
  }
}

// The subpaths of a path record (behind its 28-byte header): "N subpaths, M segments",
// or a note where a subpath runs past the record or holds an unknown segment kind.
std::string PathFigures(const BYTE* p, std::size_t len) {
  std::size_t at = 28, subpaths = 0, segments = 0;
  while (at < len) {
    if (len - at < 12) return "subpaths malformed";
    const DWORD count = U32(p + at);
    at += 12;
    for (DWORD i = 0; i < count; ++i) {
      if (len - at < 4) return "subpaths malformed";
      const DWORD kind = U32(p + at);
      const std::size_t size = kind == 0 ? 12 : kind == 1 ? 28 : 0;
      if (size == 0 || len - at < size) return "subpaths malformed";
      at += size;
    }
    ++subpaths;
    segments += count;
  }
  return Fmt("%zu subpath%s, %zu segment%s", subpaths, subpaths == 1 ? "" : "s", segments, segments == 1 ? "" : "s");
}

// The fewest bytes a record of an opcode holds with its fixed fields; a record that states
// a shorter length is damaged where it stands (the next record would start inside it).
std::size_t LeastLength(BYTE opcode) {
  switch (opcode) {
    case 0x10: case 0x13: return 24;
    case 0x11: case 0x12: return 28;
    case 0x20: return 56;
    case 0x30: return 8;
    case 0x40: case 0x51: case 0x52: case 0x53: case 0x54: case 0x55: case 0x57: return 8;
    case 0x50: case 0x56: return 16;
    default: return 4;
  }
}

std::string DescribeRecord(const BYTE* p, std::size_t len) {
  switch (p[0]) {
    case 0x60:
      return Fmt("page start: %u x %u pixels at %u x %u dpi", U32(p + 4), U32(p + 8), U16At(p + 12), U16At(p + 14));
    case 0x61: return "page end";
    case 0x30: {
      std::string s = "colour " + Color3(p + 4);
      std::size_t at = 7;
      if ((p[2] & 0x08) && at + 3 <= len) s += ", background " + Color3(p + at), at += 3;
      if ((p[2] & 0x10) && at + 3 <= len) s += ", third " + Color3(p + at), at += 3;
      s += Fmt(" (flags 0x%02X, %zu bytes)", p[2], len);
      if (p[2] & 0x40) s += ", text";
      if (p[2] & 0x80) s += ", host-matched";
      return s;
    }
    case 0x31: return Fmt("raster operation 0x%02X", p[1]);
    case 0x32: return Fmt("paint mode %u (%s)", p[1], p[1] == 1 ? "transparent" : p[1] == 2 ? "opaque" : "?");
    case 0x33: return Fmt("pen: width %u, unit %u, style mask 0x%08X", U16At(p + 2), p[1], U32(p + 4));
    case 0x34: return Fmt("pen style phase %u", p[1]);
    case 0x35: return Fmt("line cap %u", p[1]);
    case 0x36: return Fmt("line join %u, miter limit %u/256", p[1], U32(p + 4));
    case 0x37: return "clip reset";
    case 0x40:
      return ((p[1] & 0x80) ? Fmt("pattern brush %ux%u at %s, %u data bytes", p[2], p[2],
                                  (p[1] & 1) ? "24 bits" : "1 bit", U16At(p + 4))
                            : std::string("solid brush")) +
             ((p[1] & 0x40) ? ", host-matched" : "");
    case 0x10:
      if (len >= 24)
        return Fmt("%s (%d, %d)-(%d, %d)", p[2] == 5 ? "clip rectangle" : p[2] == 1 ? "fill rectangle" : "rectangle",
                   I32(p + 8), I32(p + 12), I32(p + 16), I32(p + 20));
      return "rectangle (short record)";
    case 0x11: case 0x12:
      if (len >= 28)
        return Fmt("path%s: mode %u%s%s, bounds (%d, %d)-(%d, %d), size word %u, %s, %zu bytes",
                   p[0] == 0x11 ? " with curves" : " of lines", p[2] & 7, (p[2] & 0x08) ? ", closed" : "",
                   (p[2] & 0x10) ? ", several subpaths" : "", I32(p + 8), I32(p + 12), I32(p + 16), I32(p + 20),
                   U32(p + 24), PathFigures(p, len).c_str(), len);
      return "path (short record)";
    case 0x13: {
      // The length is (entries x entry size + 27) rounded down to 4, so the padding is
      // less than one entry and the count is exact.
      const std::size_t entry = (p[2] & 0x10) ? 12 : 6;
      const char* part = (p[2] & 0x0E) == 0x0A ? "whole list"
                         : (p[2] & 0x0E) == 0x02 ? "first of a list"
                         : (p[2] & 0x0E) == 0x04 ? "continued"
                         : (p[2] & 0x0E) == 0x0C ? "last of a list"
                                                 : "?";
      std::string s = Fmt("span list (%s): flags 0x%02X, %zu %u-bit entries, %zu bytes", part, p[2],
                          len > 24 ? (len - 24) / entry : 0, (p[2] & 0x10) ? 32u : 16u, len);
      if (len >= 24) s += Fmt(", target (%d, %d)-(%d, %d)", I32(p + 8), I32(p + 12), I32(p + 16), I32(p + 20));
      return s;
    }
    case 0x20: {
      if (len < 56) return Fmt("image (short record), %zu bytes", len);
      static const char* const kFormats[] = {"1 bit", "4 bits", "8 bits", "?", "24 bits"};
      const unsigned format = p[2] & 0x0F;
      std::string s = Fmt("image: %s, %u x %u pixels at (%d, %d) as %d x %d, source (%d, %d), flags 0x%02X%02X%02X",
                          format <= 4 ? kFormats[format] : "?", U32(p + 32), U32(p + 36), I32(p + 40), I32(p + 44),
                          I32(p + 48), I32(p + 52), I32(p + 24), I32(p + 28), p[1], p[3], p[2]);
      if (p[2] & 0x20) s += ", no palette";
      if (p[2] & 0x10) s += ", grey";
      if (p[2] & 0x80) s += ", raster operation";
      if (p[3] & 0x08) s += ", host-matched";
      if (p[3] & 0x04) s += ", bands";
      if (p[1] & 0x02) s += ", reduced";
      return s + Fmt(", %zu bytes", len);
    }
  }
  return Fmt("opcode 0x%02X, %zu bytes", p[0], len);
}

}  // namespace

DecodeResult DecodeStream(const std::vector<BYTE>& s) {
  DecodeResult r;
  std::vector<BYTE> records;  // the record stream: 0xF5 payloads joined
  std::size_t recordPos = 0;
  std::size_t recordBase = 0;  // record-stream offset of records[0]
  bool recordsBroken = false;

  auto decodeRecords = [&]() {
    while (!recordsBroken && records.size() - recordPos >= 4) {
      const BYTE* p = records.data() + recordPos;
      const std::size_t avail = records.size() - recordPos;
      std::size_t need = 0;
      const std::size_t len = RecordLength(p, avail, &need);
      if (len == SIZE_MAX || (len == 0 && need == 0) || (len != 0 && (len < 4 || len % 4 != 0))) {
        r.lines.push_back(Fmt("    ! record stream offset %zu: %s 0x%02X (length %zu); the rest of the records is not decoded",
                              recordBase + recordPos, len == SIZE_MAX ? "unknown opcode" : "bad length of opcode", p[0],
                              len == SIZE_MAX ? 0 : len));
        recordsBroken = true;
        r.ok = false;
        return;
      }
      const std::size_t least = LeastLength(p[0]);
      if (len != 0 && len < least) {
        r.lines.push_back(Fmt("    ! record stream offset %zu: opcode 0x%02X states a length of %zu, too short for its "
                              "record (at least %zu); the rest of the records is not decoded",
                              recordBase + recordPos, p[0], len, least));
        recordsBroken = true;
        r.ok = false;
        return;
      }
      if (len == 0 || len > avail) return;  // continues in the next block
      if (p[0] >= 0x50 && p[0] <= 0x57) {
        bool damaged = false;
        r.lines.push_back(Fmt("    %6zu  ", recordBase + recordPos) + DescribeTextRecord(p, len, &damaged));
        if (damaged) r.ok = false;
      } else {
        r.lines.push_back(Fmt("    %6zu  ", recordBase + recordPos) + DescribeRecord(p, len));
      }
      ++r.records;
      recordPos += len;
    }
    // Keep only what is not yet decoded.
    if (recordPos > 0) {
      records.erase(records.begin(), records.begin() + static_cast<std::ptrdiff_t>(recordPos));
      recordBase += recordPos;
      recordPos = 0;
    }
  };

  std::size_t pos = 0;
  while (pos < s.size()) {
    if (s.size() - pos < 8) {
      r.lines.push_back(Fmt("! offset %zu: %zu bytes left, too few for a block header", pos, s.size() - pos));
      r.ok = false;
      break;
    }
    const DWORD type = U32(&s[pos]);
    const DWORD len = U32(&s[pos + 4]);
    if (len > s.size() - pos - 8) {
      r.lines.push_back(Fmt("! offset %zu: block type 0x%02X claims %u payload bytes, only %zu follow", pos, type, len,
                            s.size() - pos - 8));
      r.ok = false;
      break;
    }
    const BYTE* payload = s.data() + pos + 8;
    ++r.blocks;
    r.lines.push_back(Fmt("block 0x%02X %-18s offset %-8zu length %u", type, BlockName(type), pos, len));
    switch (type) {
      case 0xF0:
        if (len != 0) r.lines.push_back("    ! an empty block was expected");
        break;
      case 0xF1: case 0xF3: case 0xF4:
        TextLines(payload, len, r.lines);
        break;
      case 0xF7:
        SettingsRecord(payload, len, r.lines);
        break;
      case 0xF5:
        records.insert(records.end(), payload, payload + len);
        decodeRecords();
        break;
      default:
        r.lines.push_back("    ! unknown block type");
        r.ok = false;
        break;
    }
    pos += 8 + static_cast<std::size_t>(len);
  }
  if (!recordsBroken && records.size() > recordPos) {
    r.lines.push_back(Fmt("! the record stream ends inside a record (%zu bytes left)", records.size() - recordPos));
    r.ok = false;
  }
  r.lines.push_back(Fmt("%zu blocks, %zu drawing records, %zu bytes%s", r.blocks, r.records, s.size(),
                        r.ok ? "" : "; the stream is damaged"));
  return r;
}

}  // namespace drvhost
