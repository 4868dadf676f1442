#include "plat/codepage.h"

#include <iconv.h>

#include <array>
#include <mutex>
#include <unordered_map>

#include "plat/system.h"
#include "plat/wstr.h"

namespace plat {
namespace {

// Windows-1252 0x80-0x9F; the five unassigned bytes map to the C1 control of the same value,
// as Windows does.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t Decode1252(BYTE b) { return (b >= 0x80 && b <= 0x9F) ? kCp1252High[b - 0x80] : b; }

int Encode1252(char16_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return c;
  for (int i = 0; i < 32; ++i)
    if (kCp1252High[i] == c) return 0x80 + i;
  return -1;
}

// Code page 932 through iconv, one character at a time, with tables built once.
struct Cp932Tables {
  std::unordered_map<std::uint16_t, char16_t> decode;  // byte or byte pair -> UTF-16
  std::unordered_map<char16_t, std::uint16_t> encode;
  Cp932Tables() {
    iconv_t cd = iconv_open("UTF-16LE", "CP932");
    if (cd == reinterpret_cast<iconv_t>(-1)) return;
    auto convert = [&](const char* in, std::size_t n) -> int {
      char out[8];
      char* pin = const_cast<char*>(in);
      char* pout = out;
      std::size_t inLeft = n, outLeft = sizeof out;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
      if (iconv(cd, &pin, &inLeft, &pout, &outLeft) == static_cast<std::size_t>(-1) || inLeft != 0) return -1;
      if (sizeof out - outLeft != 2) return -1;
      return static_cast<unsigned char>(out[0]) | (static_cast<unsigned char>(out[1]) << 8);
    };
    for (int b = 0; b < 256; ++b) {
      if (IsLeadByte(932, static_cast<BYTE>(b))) {
        for (int t = 0x40; t <= 0xFC; ++t) {
          char in[2] = {static_cast<char>(b), static_cast<char>(t)};
          int u = convert(in, 2);
          if (u < 0) continue;
          std::uint16_t code = static_cast<std::uint16_t>((b << 8) | t);
          decode.emplace(code, static_cast<char16_t>(u));
          encode.emplace(static_cast<char16_t>(u), code);
        }
      } else {
        char in[1] = {static_cast<char>(b)};
        int u = convert(in, 1);
        if (u < 0) continue;
        decode.emplace(static_cast<std::uint16_t>(b), static_cast<char16_t>(u));
        encode.emplace(static_cast<char16_t>(u), static_cast<std::uint16_t>(b));
      }
    }
    iconv_close(cd);
  }
};

const Cp932Tables& Tables932() {
  static const Cp932Tables* t = new Cp932Tables;
  return *t;
}

}  // namespace

bool IsSupportedCodePage(UINT cp) {
  cp = ResolveCodePage(cp);
  return cp == 1252 || cp == 932 || cp == 65001 || cp == 20127;
}

UINT ResolveCodePage(UINT cp) {
  if (cp == 0 || cp == 3) return Machine().ansiCodePage;  // CP_ACP, CP_THREAD_ACP
  if (cp == 1) return Machine().oemCodePage;               // CP_OEMCP
  return cp;
}

bool IsLeadByte(UINT cp, BYTE b) {
  cp = ResolveCodePage(cp);
  if (cp != 932) return false;
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

std::u16string AnsiToWide(std::string_view bytes, UINT cp, bool* invalid) {
  cp = ResolveCodePage(cp);
  if (invalid) *invalid = false;
  if (cp == 65001) {
    std::u16string out = FromUtf8(bytes);
    if (invalid && out.find(u'\uFFFD') != std::u16string::npos) *invalid = true;
    return out;
  }
  std::u16string out;
  out.reserve(bytes.size());
  if (cp == 932) {
    const auto& t = Tables932();
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      BYTE b = static_cast<BYTE>(bytes[i]);
      std::uint16_t code = b;
      if (IsLeadByte(932, b) && i + 1 < bytes.size()) {
        code = static_cast<std::uint16_t>((b << 8) | static_cast<BYTE>(bytes[i + 1]));
        auto it = t.decode.find(code);
        if (it != t.decode.end()) {
          out.push_back(it->second);
          ++i;
          continue;
        }
        if (invalid) *invalid = true;
        out.push_back(0x30FB);  // Windows' default character for an unknown pair
        ++i;
        continue;
      }
      auto it = t.decode.find(code);
      if (it != t.decode.end() && !IsLeadByte(932, b)) {
        out.push_back(it->second);
      } else {
        if (invalid) *invalid = true;
        out.push_back(0x30FB);
      }
    }
    return out;
  }
  for (char c : bytes) out.push_back(Decode1252(static_cast<BYTE>(c)));
  return out;
}

std::string WideToAnsi(std::u16string_view text, UINT cp, bool* usedDefault) {
  cp = ResolveCodePage(cp);
  if (usedDefault) *usedDefault = false;
  if (cp == 65001) return ToUtf8(text);
  std::string out;
  out.reserve(text.size());
  if (cp == 932) {
    const auto& t = Tables932();
    for (char16_t c : text) {
      auto it = t.encode.find(c);
      if (it == t.encode.end()) {
        if (usedDefault) *usedDefault = true;
        out.push_back('?');
      } else if (it->second > 0xFF) {
        out.push_back(static_cast<char>(it->second >> 8));
        out.push_back(static_cast<char>(it->second & 0xFF));
      } else {
        out.push_back(static_cast<char>(it->second));
      }
    }
    return out;
  }
  for (char16_t c : text) {
    int b = Encode1252(c);
    if (b < 0) {
      if (usedDefault) *usedDefault = true;
      b = '?';
    }
    out.push_back(static_cast<char>(b));
  }
  return out;
}

}  // namespace plat
