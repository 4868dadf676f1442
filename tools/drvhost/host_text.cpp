#include "host_text.h"

#include <cstdio>

#include "plat/wstr.h"
#include "win/errors.h"
#include "win/systext.h"

namespace drvhost {

std::string U8(std::u16string_view s) { return plat::ToUtf8(s); }
std::u16string U16(std::string_view s) { return plat::FromUtf8(s); }
std::string U8(const WCHAR* s) { return s ? plat::ToUtf8(plat::View(s)) : std::string(); }

std::string Quoted(std::u16string_view s) {
  std::string out = "\"";
  for (char c : U8(s)) {
    unsigned char u = static_cast<unsigned char>(c);
    if (c == '"') {
      out.push_back('\\');
      out.push_back(c);
    } else if (u < 0x20 || u == 0x7F) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02x", u);
      out += buf;
    } else {
      out.push_back(c);
    }
  }
  return out + "\"";
}

std::string HexBytes(const BYTE* data, std::size_t size) {
  std::string out;
  char buf[4];
  for (std::size_t i = 0; i < size; ++i) {
    std::snprintf(buf, sizeof buf, "%s%02x", i ? " " : "", data[i]);
    out += buf;
  }
  return out;
}

std::string Hex32(DWORD v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%08x", v);
  return buf;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

std::string TypeName(DWORD type) {
  switch (type) {
    case 0: return "REG_NONE";
    case 1: return "REG_SZ";
    case 2: return "REG_EXPAND_SZ";
    case 3: return "REG_BINARY";
    case 4: return "REG_DWORD";
    case 7: return "REG_MULTI_SZ";
    default: return "type " + std::to_string(type);
  }
}

namespace {

std::u16string Units(const std::vector<BYTE>& bytes) {
  std::u16string s;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) s.push_back(static_cast<WCHAR>(bytes[i] | (bytes[i + 1] << 8)));
  return s;
}

}  // namespace

std::string DecodeValue(DWORD type, const std::vector<BYTE>& bytes) {
  if ((type == 1 || type == 2) && bytes.size() % 2 == 0) {
    std::u16string s = Units(bytes);
    if (!s.empty() && s.back() == 0) {
      s.pop_back();
      return Quoted(s);
    }
    return Quoted(s) + " (no NUL)";
  }
  if (type == 4 && bytes.size() == 4) {
    DWORD v = bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (static_cast<DWORD>(bytes[3]) << 24);
    return std::to_string(v) + " (" + Hex32(v) + ")";
  }
  if (type == 7 && bytes.size() % 2 == 0 && bytes.size() >= 2) {
    std::u16string s = Units(bytes);
    std::string out;
    std::size_t start = 0;
    while (start < s.size() && s[start] != 0) {
      std::size_t end = s.find(u'\0', start);
      if (end == std::u16string::npos) end = s.size();
      out += (out.empty() ? "" : ", ") + Quoted(s.substr(start, end - start));
      start = end + 1;
    }
    return "[" + out + "]";
  }
  return bytes.empty() ? "(empty)" : HexBytes(bytes.data(), bytes.size()) + " (" + std::to_string(bytes.size()) + " bytes)";
}

std::string ErrorText(DWORD error) {
  WCHAR text[512] = {};
  const DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, text,
                                 512, nullptr);
  std::string said = n ? U8(std::u16string_view(text, n)) : std::string();
  while (!said.empty() && (said.back() == '\n' || said.back() == '\r' || said.back() == ' ')) said.pop_back();
  return "error " + std::to_string(error) + (said.empty() ? "" : ": " + said);
}

std::string PrinterOpenError(const std::string& printer, const std::string& root, DWORD error) {
  std::string text = "cannot open the printer \"" + printer + "\" (" + ErrorText(error) + ")";
  if (error == ERROR_INVALID_PRINTER_NAME)
    text += "; it is not installed in " + root + ": drvhost printers " + root +
            " lists the printers, drvhost install adds one";
  return text;
}

}  // namespace drvhost
