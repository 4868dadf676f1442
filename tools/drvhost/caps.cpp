// drvhost caps: the device capabilities of a printer as an application asks them, through
// the printer interface library's DrvDeviceCapabilities: a size query first, then the list.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "commands.h"
#include "host_text.h"
#include "interface_library.h"
#include "win/errors.h"
#include "win/spool.h"

namespace drvhost {
namespace {

enum class Shape { Value, Words, Dwords, Sizes, Extent, Resolutions, Names24, Names32, Names64 };

struct Capability {
  const char* name;
  WORD code;
  Shape shape;
};

constexpr Capability kCapabilities[] = {
    {"DC_FIELDS", 1, Shape::Value},          {"DC_PAPERS", 2, Shape::Words},
    {"DC_PAPERSIZE", 3, Shape::Sizes},       {"DC_MINEXTENT", 4, Shape::Extent},
    {"DC_MAXEXTENT", 5, Shape::Extent},      {"DC_BINS", 6, Shape::Words},
    {"DC_DUPLEX", 7, Shape::Value},          {"DC_SIZE", 8, Shape::Value},
    {"DC_EXTRA", 9, Shape::Value},           {"DC_VERSION", 10, Shape::Value},
    {"DC_DRIVER", 11, Shape::Value},         {"DC_BINNAMES", 12, Shape::Names24},
    {"DC_ENUMRESOLUTIONS", 13, Shape::Resolutions}, {"DC_FILEDEPENDENCIES", 14, Shape::Value},
    {"DC_TRUETYPE", 15, Shape::Value},       {"DC_PAPERNAMES", 16, Shape::Names64},
    {"DC_ORIENTATION", 17, Shape::Value},    {"DC_COPIES", 18, Shape::Value},
    {"DC_BINADJUST", 19, Shape::Value},      {"DC_EMF_COMPLIANT", 20, Shape::Value},
    {"DC_DATATYPE_PRODUCED", 21, Shape::Value}, {"DC_COLLATE", 22, Shape::Value},
    {"DC_MANUFACTURER", 23, Shape::Value},   {"DC_MODEL", 24, Shape::Value},
    {"DC_PERSONALITY", 25, Shape::Names32},  {"DC_PRINTRATE", 26, Shape::Value},
    {"DC_PRINTRATEUNIT", 27, Shape::Value},  {"DC_PRINTERMEM", 28, Shape::Value},
    {"DC_MEDIAREADY", 29, Shape::Names64},   {"DC_STAPLE", 30, Shape::Value},
    {"DC_PRINTRATEPPM", 31, Shape::Value},   {"DC_COLORDEVICE", 32, Shape::Value},
    {"DC_NUP", 33, Shape::Dwords},
};

const Capability* FindCapability(const std::string& name) {
  for (const Capability& c : kCapabilities)
    if (name == c.name || name == std::to_string(c.code)) return &c;
  return nullptr;
}

std::string Answer(DWORD answer) {
  return answer == static_cast<DWORD>(-1) ? "-1 (not supported)" : std::to_string(answer);
}

std::string Value(const Capability& c, DWORD answer) {
  std::string text = Answer(answer);
  if (answer == static_cast<DWORD>(-1)) return text;
  if (c.code == 1 || c.code == 10 || c.code == 11) text += " (" + Hex32(answer) + ")";
  if (c.code == 15) {
    std::string kinds;
    if (answer & 1) kinds += " DCTT_BITMAP";
    if (answer & 2) kinds += " DCTT_DOWNLOAD";
    if (answer & 4) kinds += " DCTT_SUBDEV";
    text += " (" + std::string(Trim(kinds)) + ")";
  }
  return text;
}

void Show(const Capability& c, const InterfaceLibrary& library, HANDLE printer, PDEVMODEW devmode) {
  auto caps = library.deviceCapabilities();
  if (c.shape == Shape::Value) {
    std::printf("%s: %s\n", c.name, Value(c, caps(printer, nullptr, c.code, nullptr, devmode)).c_str());
    return;
  }
  if (c.shape == Shape::Extent) {
    std::int32_t point[2] = {};
    const DWORD answer = caps(printer, nullptr, c.code, point, devmode);
    std::printf("%s: %d x %d (0.1 mm), answer %s\n", c.name, point[0], point[1], Hex32(answer).c_str());
    return;
  }
  if (c.shape == Shape::Names32) {
    WCHAR slot[32] = {};
    const DWORD answer = caps(printer, nullptr, c.code, slot, devmode);
    std::printf("%s: %s, \"%s\"\n", c.name, Answer(answer).c_str(), U8(slot).c_str());
    return;
  }
  const DWORD count = caps(printer, nullptr, c.code, nullptr, devmode);
  if (count == static_cast<DWORD>(-1) || count > 4096) {
    std::printf("%s: %s\n", c.name, Answer(count).c_str());
    return;
  }
  // Room for the count the size query gave, in 32-bit units of each entry's size.
  std::size_t unit = 1;
  switch (c.shape) {
    case Shape::Sizes:
    case Shape::Resolutions: unit = 2; break;
    case Shape::Names24: unit = 12; break;
    case Shape::Names64: unit = 32; break;
    default: break;
  }
  std::vector<std::uint32_t> buffer(unit * (count + 1), 0);
  const DWORD written = count == 0 ? 0 : caps(printer, nullptr, c.code, buffer.data(), devmode);
  std::printf("%s: %s entr%s\n", c.name, Answer(written).c_str(), written == 1 ? "y" : "ies");
  if (written == static_cast<DWORD>(-1) || written > count) return;
  const auto* words = reinterpret_cast<const WORD*>(buffer.data());
  const auto* longs = reinterpret_cast<const std::int32_t*>(buffer.data());
  const auto* chars = reinterpret_cast<const WCHAR*>(buffer.data());
  for (DWORD i = 0; i < written; ++i) {
    switch (c.shape) {
      case Shape::Words: std::printf("  %u\n", words[i]); break;
      case Shape::Dwords: std::printf("  %u\n", buffer[i]); break;
      case Shape::Sizes: std::printf("  %d x %d (0.1 mm)\n", longs[2 * i], longs[2 * i + 1]); break;
      case Shape::Resolutions: std::printf("  %d x %d dpi\n", longs[2 * i], longs[2 * i + 1]); break;
      case Shape::Names24: {
        WCHAR name[25] = {};
        std::memcpy(name, chars + 24 * i, 24 * sizeof(WCHAR));
        std::printf("  \"%s\"\n", U8(name).c_str());
        break;
      }
      case Shape::Names64: {
        WCHAR name[65] = {};
        std::memcpy(name, chars + 64 * i, 64 * sizeof(WCHAR));
        std::printf("  \"%s\"\n", U8(name).c_str());
        break;
      }
      default: break;
    }
  }
}

}  // namespace

int RunCaps(const std::vector<std::string>& args) {
  if (args.size() < 2) {
    std::fprintf(stderr, "usage: drvhost caps <root folder> <printer name> [DC_NAME ...]\n");
    return kExitUsage;
  }
  std::vector<const Capability*> wanted;
  for (std::size_t i = 2; i < args.size(); ++i) {
    const Capability* c = FindCapability(args[i]);
    if (!c) {
      std::string names;
      for (const Capability& c : kCapabilities) names += (names.empty() ? "" : ", ") + std::string(c.name);
      std::fprintf(stderr, "drvhost: unknown capability \"%s\" (the capabilities: %s, or a number)\n",
                   args[i].c_str(), names.c_str());
      return kExitUsage;
    }
    wanted.push_back(c);
  }
  if (wanted.empty())
    for (const Capability& c : kCapabilities) wanted.push_back(&c);
  std::string error;
  if (!OpenExistingRoot(args[0], error)) {
    std::fprintf(stderr, "drvhost: %s\n", error.c_str());
    return kExitFailed;
  }
  std::u16string printerName = U16(args[1]);
  HANDLE printer = nullptr;
  if (!OpenPrinterW(printerName.data(), &printer, nullptr)) {
    std::fprintf(stderr, "drvhost: %s\n", PrinterOpenError(args[1], args[0], GetLastError()).c_str());
    return kExitFailed;
  }
  int rc = kExitOk;
  {
    InterfaceLibrary library(printer);
    if (!library.loaded() || !library.deviceCapabilities()) {
      std::fprintf(stderr, "drvhost: cannot load DrvDeviceCapabilities of the interface library %s (%s)\n",
                   U8(library.path()).c_str(), ErrorText(GetLastError()).c_str());
      rc = kExitFailed;
    } else {
      std::vector<BYTE> devmode = StoredDevmode(printer);
      auto* dm = devmode.empty() ? nullptr : reinterpret_cast<PDEVMODEW>(devmode.data());
      std::printf("interface library: %s\n", U8(library.path()).c_str());
      for (const Capability* c : wanted) Show(*c, library, printer, dm);
    }
  }
  ClosePrinter(printer);
  return rc;
}

}  // namespace drvhost
