#include "manifest.h"

#include <fstream>
#include <sstream>

#include "host_text.h"
#include "plat/wstr.h"

namespace drvhost {
namespace {

using plat::spooler::DataValue;

bool ParseDword(std::string_view s, DWORD& out) {
  s = Trim(s);
  int base = 10;
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    base = 16;
    s.remove_prefix(2);
  }
  if (s.empty() || s.size() > 10) return false;
  unsigned long long v = 0;
  for (char c : s) {
    int d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : 99;
    if (d >= base) return false;
    v = v * base + d;
    if (v > 0xFFFFFFFFull) return false;
  }
  out = static_cast<DWORD>(v);
  return true;
}

bool ParseHex(std::string_view s, std::vector<BYTE>& out) {
  std::string digits;
  for (char c : s)
    if (c != ' ' && c != '\t') digits.push_back(c);
  if (digits.size() % 2) return false;
  out.clear();
  for (std::size_t i = 0; i < digits.size(); i += 2) {
    DWORD b = 0;
    if (!ParseDword("0x" + digits.substr(i, 2), b)) return false;
    out.push_back(static_cast<BYTE>(b));
  }
  return true;
}

// "REG_SZ:text", "REG_DWORD:number", "REG_BINARY:hex bytes".
bool ParseDataValue(const std::string& name, std::string_view text, DataValue& v) {
  std::size_t colon = text.find(':');
  if (colon == std::string_view::npos) return false;
  std::string_view type = Trim(text.substr(0, colon)), value = text.substr(colon + 1);
  v.name = U16(name);
  if (type == "REG_SZ") {
    v.type = plat::spooler::kRegSz;
    v.bytes = plat::spooler::StringBytes(U16(value));
    return true;
  }
  if (type == "REG_DWORD") {
    DWORD n = 0;
    if (!ParseDword(value, n)) return false;
    v.type = plat::spooler::kRegDword;
    v.bytes = plat::spooler::DwordBytes(n);
    return true;
  }
  if (type == "REG_BINARY") {
    v.type = plat::spooler::kRegBinary;
    return ParseHex(value, v.bytes);
  }
  return false;
}

std::vector<std::u16string> SplitList(std::string_view s) {
  std::vector<std::u16string> out;
  std::size_t start = 0;
  while (start <= s.size()) {
    std::size_t end = s.find(',', start);
    if (end == std::string_view::npos) end = s.size();
    std::string_view item = Trim(s.substr(start, end - start));
    if (!item.empty()) out.push_back(U16(item));
    start = end + 1;
  }
  return out;
}

}  // namespace

bool ReadManifest(const std::string& folder, Manifest& out, std::string& error) {
  const std::string path = folder + "/printer.ini";
  std::ifstream in(path);
  if (!in) {
    error = "cannot read the sample manifest " + path;
    return false;
  }
  out = Manifest{};
  auto& p = out.printer;
  std::string section, raw;
  int lineNo = 0;
  auto fail = [&](const std::string& why) {
    error = path + ":" + std::to_string(lineNo) + ": " + why;
    return false;
  };
  while (std::getline(in, raw)) {
    ++lineNo;
    std::string_view line = Trim(raw);
    if (line.empty() || line[0] == ';' || line[0] == '#') continue;
    if (line.front() == '[') {
      if (line.back() != ']') return fail("unclosed section name");
      section = std::string(line.substr(1, line.size() - 2));
      if (section != "Printer" && section != "DriverFiles" && section != "PrinterData" && section != "Fonts")
        return fail("unknown section [" + section + "]");
      continue;
    }
    std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) return fail("expected key=value");
    const std::string key(Trim(line.substr(0, eq)));
    const std::string_view value = Trim(line.substr(eq + 1));
    if (key.empty()) return fail("empty key");
    if (section == "Printer") {
      if (key == "DriverName") p.driver.name = U16(value);
      else if (key == "Port") p.portName = U16(value);
      else if (key == "Server") p.serverName = U16(value);
      else if (key == "ShareName") p.shareName = U16(value);
      else if (key == "Comment") p.comment = U16(value);
      else if (key == "Location") p.location = U16(value);
      else if (key == "Devmode") out.devmodeFile = std::string(value);
      else if (key == "Attributes") {
        if (!ParseDword(value, p.attributes)) return fail("Attributes must be a number");
      } else {
        return fail("unknown key " + key + " in [Printer]");
      }
    } else if (section == "DriverFiles") {
      if (key == "DriverPath") p.driver.driverPath = U16(value);
      else if (key == "ConfigFile") p.driver.configFile = U16(value);
      else if (key == "DataFile") p.driver.dataFile = U16(value);
      else if (key == "HelpFile") p.driver.helpFile = U16(value);
      else if (key == "DependentFiles") p.driver.dependentFiles = SplitList(value);
      else return fail("unknown key " + key + " in [DriverFiles]");
    } else if (section == "PrinterData") {
      DataValue v;
      if (!ParseDataValue(key, value, v)) return fail("value must be REG_SZ:text, REG_DWORD:number or REG_BINARY:hex");
      p.data.push_back(std::move(v));
    } else if (section == "Fonts") {
      if (value.empty()) return fail("a font needs its file");
      out.fonts.emplace_back(U16(key), U16(value));
    } else {
      return fail("key outside a section");
    }
  }
  if (p.driver.name.empty()) {
    error = path + ": [Printer] DriverName is missing";
    return false;
  }
  if (p.driver.driverPath.empty() || p.driver.configFile.empty()) {
    error = path + ": [DriverFiles] needs DriverPath and ConfigFile";
    return false;
  }
  for (const auto& f : DriverFileNames(p.driver)) {
    if (f.find(u'\\') != std::u16string::npos || f.find(u'/') != std::u16string::npos || f == u"." || f == u"..") {
      error = path + ": driver file " + U8(f) + " must be a plain file name";
      return false;
    }
  }
  return true;
}

std::vector<std::u16string> DriverFileNames(const plat::spooler::DriverSetup& driver) {
  std::vector<std::u16string> names;
  auto add = [&](const std::u16string& n) {
    if (n.empty()) return;
    for (const auto& have : names)
      if (plat::EqualNoCase(have, n)) return;
    names.push_back(n);
  };
  add(driver.driverPath);
  add(driver.configFile);
  add(driver.dataFile);
  add(driver.helpFile);
  for (const auto& f : driver.dependentFiles) add(f);
  return names;
}

}  // namespace drvhost
