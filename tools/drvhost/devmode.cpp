// drvhost devmode: a device-mode in words. Its public fields by name and its private
// settings by the dictionary's field names with their value names, in the dictionary's
// order; --set changes settings by name and writes the changed copy.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "commands.h"
#include "fields/dictionary_lookup.h"
#include "fields/field_table.h"
#include "host_text.h"
#include "interface_library.h"
#include "named_settings.h"
#include "win/errors.h"
#include "win/spool.h"

namespace drvhost {
namespace {

constexpr const char* kUsage =
    "usage: drvhost devmode <device-mode file> [--set NAME=VALUE ...] [--out FILE]\n"
    "       drvhost devmode <root folder> <printer name> [--set NAME=VALUE ...] [--out FILE]\n";

// One private setting of the dictionary as the device-mode holds it.
struct PrivateField {
  const SettingFieldDef* def;
  std::string name;
};

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return s;
}

// The named fields of the device-mode's private part (area 1 beyond the public fields), in
// the dictionary's order.
std::vector<PrivateField> PrivateFields(std::size_t publicSize) {
  std::vector<PrivateField> out;
  const SettingFieldDef* defs = GetBuiltInFields();
  for (int i = 0; i < kBuiltInFieldCount; ++i) {
    const SettingFieldDef& d = defs[i];
    if (FieldAreaOf(d.type) != 1 || d.offset < publicSize || !d.name) continue;
    const std::string name = U8(d.name);
    if (name.empty() || name == "-") continue;
    out.push_back({&d, name});
  }
  return out;
}

// Where a field's bytes lie in the device-mode: area 1 starts where the device-mode says; 0
// when the field does not lie whole inside the device-mode's bytes.
std::size_t FieldAt(const std::vector<BYTE>& dm, const SettingFieldDef& d) {
  const std::size_t pos = kAreaOffsetPositions[0];
  const std::size_t start = dm.size() >= pos + 2 ? static_cast<std::size_t>(dm[pos] | (dm[pos + 1] << 8)) : 0;
  const std::size_t at = start + d.offset;
  return at + FieldSizeOf(d.type) <= dm.size() && FieldSizeOf(d.type) > 0 ? at : 0;
}

DWORD ReadWord(const BYTE* p, DWORD size) {
  DWORD v = 0;
  for (DWORD i = 0; i < size && i < 4; ++i) v |= static_cast<DWORD>(p[i]) << (8 * i);
  return v;
}

void WriteWord(BYTE* p, DWORD size, DWORD v) {
  for (DWORD i = 0; i < size && i < 4; ++i) p[i] = static_cast<BYTE>(v >> (8 * i));
}

// The field's number (a bit 0 or 1); false for a text field.
bool NumberOf(const std::vector<BYTE>& dm, const SettingFieldDef& d, long long& value) {
  const std::size_t at = FieldAt(dm, d);
  if (!at) return false;
  const DWORD code = FieldCodeOf(d.type), size = FieldSizeOf(d.type);
  const DWORD raw = ReadWord(dm.data() + at, size);
  if (IsBitFieldCode(code)) value = (raw >> (code - FT_FIRST_BIT)) & 1u;
  else if (code == FT_S8) value = static_cast<signed char>(raw);
  else if (code == FT_S16) value = static_cast<short>(raw);
  else if (code == FT_S32) value = static_cast<int>(raw);
  else if (IsNumberFieldCode(code)) value = raw;
  else return false;
  return true;
}

// The value name of a stored value: through the field's value map to its value id, then the
// dictionary's value-name table.
std::string ValueName(const SettingFieldDef& d, long long stored) {
  DWORD valueId = static_cast<DWORD>(stored);
  if (d.valueMap) {
    bool found = false;
    for (const ValueMapEntry* m = d.valueMap; m->valueId != 0; ++m)
      if (m->stored == static_cast<DWORD>(stored)) {
        valueId = m->valueId;
        found = true;
        break;
      }
    if (!found) return "(no value of the map)";
    if (valueId == VALUE_NOT_OFFERED) return "(not offered)";
  }
  const ValueNameTable* t = GetValueNameTable();
  for (DWORD i = 0; t && i < t->count; ++i)
    if (t->entries[i].fieldId == d.id && (t->entries[i].value & 0xFFFFu) == (valueId & 0xFFFFu))
      return t->entries[i].symbol ? t->entries[i].symbol : "";
  return {};
}

std::string TextOf(const std::vector<BYTE>& dm, const SettingFieldDef& d) {
  const std::size_t at = FieldAt(dm, d);
  if (!at) return "(outside the device-mode)";
  const DWORD size = FieldSizeOf(d.type);
  if (FieldCodeOf(d.type) == FT_WIDE_TEXT) {
    std::u16string s;
    for (DWORD i = 0; i + 1 < size; i += 2) {
      const auto c = static_cast<char16_t>(dm[at + i] | (dm[at + i + 1] << 8));
      if (!c) break;
      s += c;
    }
    return Quoted(s);
  }
  std::u16string s;
  for (DWORD i = 0; i < size && dm[at + i]; ++i) s += static_cast<char16_t>(dm[at + i]);
  return Quoted(s);
}

void Show(const std::vector<BYTE>& bytes, const std::string& what) {
  DEVMODEW pub{};
  const auto* dm = reinterpret_cast<const DEVMODEW*>(bytes.data());
  std::memcpy(&pub, bytes.data(), std::min<std::size_t>(dm->dmSize, sizeof pub));
  std::printf("device-mode %s: %zu bytes (dmSize %u, dmDriverExtra %u), dmSpecVersion %s, dmDriverVersion %s\n",
              what.c_str(), bytes.size(), dm->dmSize, dm->dmDriverExtra, Hex32(pub.dmSpecVersion).c_str(),
              Hex32(pub.dmDriverVersion).c_str());
  std::u16string device(pub.dmDeviceName, CCHDEVICENAME);
  device.resize(device.find(u'\0') == std::u16string::npos ? device.size() : device.find(u'\0'));
  std::printf("  device name: %s\n", Quoted(device).c_str());
  std::printf("public settings\n");
  for (const auto& [label, value] : DescribePublicSettings(pub))
    std::printf("  %-12s %s\n", label.c_str(), value.c_str());
  if (dm->dmDriverExtra == 0) {
    std::printf("private settings: none\n");
    return;
  }
  std::printf("private settings\n");
  for (const PrivateField& f : PrivateFields(dm->dmSize)) {
    std::string shown;
    long long v = 0;
    if (IsTextFieldCode(FieldCodeOf(f.def->type))) {
      shown = TextOf(bytes, *f.def);
    } else if (NumberOf(bytes, *f.def, v)) {
      shown = std::to_string(v);
      const std::string name = ValueName(*f.def, v);
      if (!name.empty()) shown += " " + name;
    } else {
      shown = "(outside the device-mode)";
    }
    std::printf("  %-32s %s\n", f.name.c_str(), shown.c_str());
  }
}

bool ParseLong(const std::string& text, long long& out) {
  if (text.empty()) return false;
  try {
    std::size_t used = 0;
    out = std::stoll(text, &used, 0);
    return used == text.size();
  } catch (...) {
    return false;
  }
}

// Sets a private field by its dictionary name to a number, a value name or a text.
bool SetPrivate(std::vector<BYTE>& bytes, const PrivateField& f, const std::string& value, std::string& error) {
  const SettingFieldDef& d = *f.def;
  const std::size_t at = FieldAt(bytes, d);
  if (!at) {
    error = f.name + " lies outside this device-mode";
    return false;
  }
  const DWORD code = FieldCodeOf(d.type), size = FieldSizeOf(d.type);
  if (IsTextFieldCode(code)) {
    const std::u16string text = U16(value);
    const std::size_t unit = code == FT_WIDE_TEXT ? 2 : 1;
    if ((text.size() + 1) * unit > size) {
      error = f.name + " holds at most " + std::to_string(size / unit - 1) + " characters";
      return false;
    }
    std::memset(bytes.data() + at, 0, size);
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (unit == 1 && text[i] > 0x7F) {
        error = f.name + " holds plain ASCII text";
        return false;
      }
      WriteWord(bytes.data() + at + i * unit, static_cast<DWORD>(unit), text[i]);
    }
    return true;
  }
  long long v = 0;
  if (!ParseLong(value, v)) {
    // A value name: its value id, then the stored value the map gives it.
    const ValueNameTable* t = GetValueNameTable();
    std::vector<std::string> names;
    bool found = false;
    for (DWORD i = 0; t && i < t->count; ++i) {
      const ValueNameEntry& e = t->entries[i];
      if (e.fieldId != d.id || !e.symbol) continue;
      names.push_back(e.symbol);
      if (Lower(e.symbol) != Lower(value)) continue;
      v = e.value & 0xFFFFu;
      found = true;
      if (d.valueMap) {
        found = false;
        for (const ValueMapEntry* m = d.valueMap; m->valueId != 0; ++m)
          if (m->valueId == (e.value & 0xFFFFu)) {
            v = m->stored;
            found = true;
            break;
          }
      }
      break;
    }
    if (!found) {
      std::string list;
      for (const std::string& n : names) list += (list.empty() ? "" : ", ") + n;
      error = "\"" + value + "\" is no value of " + f.name +
              (list.empty() ? std::string(" (a number)") : " (" + list + ", or a number)");
      return false;
    }
  }
  long long low = 0, high = 0;
  if (IsBitFieldCode(code)) high = 1;
  else if (code == FT_S8) low = -128, high = 127;
  else if (code == FT_S16) low = -32768, high = 32767;
  else if (code == FT_S32) low = -2147483648LL, high = 2147483647LL;
  else if (code == FT_U8) high = 0xFF;
  else if (code == FT_U16) high = 0xFFFF;
  else high = 0xFFFFFFFFLL;
  if (v < low || v > high) {
    error = f.name + " takes " + std::to_string(low) + " to " + std::to_string(high);
    return false;
  }
  if (IsBitFieldCode(code)) {
    const DWORD bit = 1u << (code - FT_FIRST_BIT);
    DWORD word = ReadWord(bytes.data() + at, size);
    word = v ? (word | bit) : (word & ~bit);
    WriteWord(bytes.data() + at, size, word);
  } else {
    WriteWord(bytes.data() + at, size, static_cast<DWORD>(v));
  }
  return true;
}

bool ApplySet(std::vector<BYTE>& bytes, const std::string& pair, std::string& error) {
  const std::size_t eq = pair.find('=');
  if (eq == std::string::npos || eq == 0) {
    error = "--set takes NAME=VALUE, not \"" + pair + "\"";
    return false;
  }
  const std::string name = pair.substr(0, eq), value = pair.substr(eq + 1);
  const auto* dm = reinterpret_cast<const DEVMODEW*>(bytes.data());
  if (IsPublicSettingName(name)) {
    if (dm->dmSize < sizeof(DEVMODEW)) {
      error = "the device-mode's public part is too short to hold " + name;
      return false;
    }
    return ApplyPublicSetting(*reinterpret_cast<DEVMODEW*>(bytes.data()), name, value, error);
  }
  const std::vector<PrivateField> fields = PrivateFields(dm->dmSize);
  for (const PrivateField& f : fields)
    if (Lower(f.name) == Lower(name)) return SetPrivate(bytes, f, value, error);
  std::vector<std::string> known = PublicSettingNames();
  for (const PrivateField& f : fields) known.push_back(f.name);
  const std::vector<std::string> near = NearNames(name, known);
  error = "unknown setting \"" + name + "\"";
  if (!near.empty()) {
    error += "; near: ";
    for (std::size_t i = 0; i < near.size(); ++i) error += (i ? ", " : "") + near[i];
  }
  return false;
}

}  // namespace

int RunDevmode(const std::vector<std::string>& args) {
  std::vector<std::string> places, sets;
  std::string outFile;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--set" || a == "--out") {
      if (i + 1 >= args.size()) {
        std::fprintf(stderr, "drvhost: %s needs a value\n%s", a.c_str(), kUsage);
        return kExitUsage;
      }
      (a == "--set" ? sets.push_back(args[i + 1]) : void(outFile = args[i + 1]));
      ++i;
    } else if (a.rfind("--", 0) == 0) {
      std::fprintf(stderr, "drvhost: unknown devmode argument \"%s\"\n%s", a.c_str(), kUsage);
      return kExitUsage;
    } else {
      places.push_back(a);
    }
  }
  if (places.empty() || places.size() > 2 || (!sets.empty() && outFile.empty())) {
    if (!sets.empty() && outFile.empty()) std::fprintf(stderr, "drvhost: --set writes its copy with --out FILE\n");
    std::fprintf(stderr, "%s", kUsage);
    return kExitUsage;
  }
  std::vector<BYTE> bytes;
  std::string error, what;
  if (places.size() == 1) {
    if (!ReadDevmodeFile(places[0], bytes, error)) {
      std::fprintf(stderr, "drvhost: %s\n", error.c_str());
      return kExitFailed;
    }
    what = places[0];
  } else {
    if (!OpenExistingRoot(places[0], error)) {
      std::fprintf(stderr, "drvhost: %s\n", error.c_str());
      return kExitFailed;
    }
    std::u16string name = U16(places[1]);
    HANDLE printer = nullptr;
    if (!OpenPrinterW(name.data(), &printer, nullptr)) {
      std::fprintf(stderr, "drvhost: %s\n", PrinterOpenError(places[1], places[0], GetLastError()).c_str());
      return kExitFailed;
    }
    bytes = StoredDevmode(printer);
    ClosePrinter(printer);
    if (bytes.empty()) {
      std::fprintf(stderr, "drvhost: the printer \"%s\" has no stored device-mode\n", places[1].c_str());
      return kExitFailed;
    }
    what = "of the printer \"" + places[1] + "\"";
  }
  for (const std::string& s : sets)
    if (!ApplySet(bytes, s, error)) {
      std::fprintf(stderr, "drvhost: %s\n", error.c_str());
      return kExitUsage;
    }
  if (!outFile.empty()) {
    std::ofstream out(outFile, std::ios::binary);
    if (out) out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (out) out.close();
    if (!out) {
      std::fprintf(stderr, "drvhost: cannot write the device-mode to %s\n", outFile.c_str());
      return kExitFailed;
    }
    std::printf("device-mode written to %s (%zu bytes)\n", outFile.c_str(), bytes.size());
    what = outFile;
  }
  Show(bytes, what);
  return kExitOk;
}

}  // namespace drvhost
