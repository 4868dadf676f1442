// The spooler's calls about a printer's life, made through the printer's interface
// library: the driver default and the initialise event of a new printer (drvhost install),
// the other printer events (drvhost event) and the driver upgrade (drvhost upgrade).
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "commands.h"
#include "host_text.h"
#include "interface_library.h"
#include "win/devmode.h"
#include "win/errors.h"
#include "win/kernel.h"
#include "win/loader.h"
#include "win/printer_interface.h"
#include "win/spool.h"

namespace drvhost {
namespace {

using ConvertDevModeFn = BOOL (*)(LPWSTR, PDEVMODEW, PDEVMODEW, PLONG, DWORD);
using PrinterEventFn = BOOL (*)(LPWSTR, int, DWORD, LPARAM);
using UpgradePrinterFn = BOOL (*)(DWORD, LPBYTE);

constexpr DWORD kDriverDefault = 4;  // CDM_DRIVER_DEFAULT
constexpr DWORD kConvert = 1;        // CDM_CONVERT

struct EventName {
  const char* name;
  int event;
};
constexpr EventName kEvents[] = {
    {"add-connection", PRINTER_EVENT_ADD_CONNECTION}, {"delete-connection", PRINTER_EVENT_DELETE_CONNECTION},
    {"initialize", PRINTER_EVENT_INITIALIZE},         {"delete", PRINTER_EVENT_DELETE},
    {"cache-refresh", PRINTER_EVENT_CACHE_REFRESH},   {"cache-delete", PRINTER_EVENT_CACHE_DELETE},
    {"attributes-changed", PRINTER_EVENT_ATTRIBUTES_CHANGED},
};

// The printer's interface library, loaded for the lifecycle exports.
class Library {
 public:
  explicit Library(HANDLE printer) {
    DWORD needed = 0;
    GetPrinterDriverW(printer, nullptr, 2, nullptr, 0, &needed);
    if (needed < sizeof(DRIVER_INFO_2W)) return;
    std::vector<BYTE> buf(needed);
    if (!GetPrinterDriverW(printer, nullptr, 2, buf.data(), needed, &needed)) return;
    const auto* info = reinterpret_cast<const DRIVER_INFO_2W*>(buf.data());
    if (!info->pConfigFile) return;
    path_ = info->pConfigFile;
    module_ = LoadLibraryW(path_.c_str());
  }
  ~Library() {
    if (module_) FreeLibrary(module_);
  }
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;
  template <typename F>
  F Get(const char* name) const {
    return module_ ? reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(module_, name))) : nullptr;
  }
  const std::u16string& path() const { return path_; }

 private:
  std::u16string path_;
  HMODULE module_ = nullptr;
};

HANDLE OpenAdministered(const std::u16string& name) {
  HANDLE printer = nullptr;
  PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
  std::u16string copy = name;
  if (!OpenPrinterW(copy.data(), &printer, &defaults)) return nullptr;
  return printer;
}

bool StoreDevmode(HANDLE printer, std::vector<BYTE>& devmode) {
  PRINTER_INFO_8W info{reinterpret_cast<DEVMODEW*>(devmode.data())};
  return SetPrinterW(printer, 8, reinterpret_cast<LPBYTE>(&info), 0) != FALSE;
}

// The driver's default device-mode through DrvConvertDevMode: the size first, then the
// device-mode. Empty with a message when the library refuses.
std::vector<BYTE> DriverDefault(ConvertDevModeFn convert, std::u16string name) {
  LONG size = 0;
  if (convert(name.data(), nullptr, nullptr, &size, kDriverDefault) || GetLastError() != ERROR_INSUFFICIENT_BUFFER ||
      size <= 0) {
    std::fprintf(stderr, "drvhost: the interface library gave no size for the driver default (%s)\n",
                 ErrorText(GetLastError()).c_str());
    return {};
  }
  std::vector<BYTE> devmode(static_cast<std::size_t>(size));
  if (!convert(name.data(), nullptr, reinterpret_cast<PDEVMODEW>(devmode.data()), &size, kDriverDefault)) {
    std::fprintf(stderr, "drvhost: the interface library refused the driver default (%s)\n",
        ErrorText(GetLastError()).c_str());
    return {};
  }
  return devmode;
}

}  // namespace

bool SpoolerSetsUpPrinter(const std::u16string& name) {
  HANDLE printer = OpenAdministered(name);
  if (!printer) {
    std::fprintf(stderr, "drvhost: cannot open the new printer (%s)\n", ErrorText(GetLastError()).c_str());
    return false;
  }
  bool ok = false;
  {
    Library library(printer);
    auto convert = library.Get<ConvertDevModeFn>("DrvConvertDevMode");
    auto event = library.Get<PrinterEventFn>("DrvPrinterEvent");
    if (!convert || !event) {
      std::printf("interface library not loadable: the printer keeps no driver defaults\n");
      ClosePrinter(printer);
      return true;
    }
    // The first driver default of a new printer creates its stored settings; the answer
    // becomes the printer's default device-mode before the initialise event, unless the
    // printer was added with a device-mode of its own.
    const bool added = !StoredDevmode(printer).empty();
    std::vector<BYTE> devmode = DriverDefault(convert, name);
    if (!devmode.empty()) {
      std::printf("driver default device-mode: %zu bytes, %s\n", devmode.size(),
                  added ? "the printer keeps its own" : "stored");
      ok = added || StoreDevmode(printer, devmode);
      if (!ok) std::fprintf(stderr, "drvhost: cannot store the default device-mode (%s)\n",
          ErrorText(GetLastError()).c_str());
    }
    if (ok) {
      std::u16string copy = name;
      ok = event(copy.data(), PRINTER_EVENT_INITIALIZE, 0, 0) != FALSE;
      std::printf("printer event initialize: %s\n", ok ? "done" : "failed");
    }
  }
  ClosePrinter(printer);
  return ok;
}

int RunEvent(const std::vector<std::string>& args) {
  if (args.size() != 3) {
    std::fprintf(stderr, "usage: drvhost event <root folder> <printer name> <event>\n");
    return kExitUsage;
  }
  int code = -1;
  for (const auto& e : kEvents)
    if (args[2] == e.name) code = e.event;
  if (code < 0) {
    std::string names;
    for (const auto& e : kEvents) names += (names.empty() ? "" : ", ") + std::string(e.name);
    std::fprintf(stderr, "drvhost: unknown printer event \"%s\" (the events: %s)\n", args[2].c_str(), names.c_str());
    return kExitUsage;
  }
  std::string error;
  if (!OpenExistingRoot(args[0], error)) {
    std::fprintf(stderr, "drvhost: %s\n", error.c_str());
    return kExitFailed;
  }
  const std::u16string name = U16(args[1]);
  HANDLE printer = OpenAdministered(name);
  if (!printer) {
    std::fprintf(stderr, "drvhost: %s\n", PrinterOpenError(args[1], args[0], GetLastError()).c_str());
    return kExitFailed;
  }
  int rc = kExitFailed;
  {
    Library library(printer);
    auto event = library.Get<PrinterEventFn>("DrvPrinterEvent");
    if (!event) {
      std::fprintf(stderr, "drvhost: cannot load DrvPrinterEvent of %s\n", U8(library.path()).c_str());
    } else {
      std::u16string copy = name;
      const BOOL result = event(copy.data(), code, 0, 0);
      std::printf("printer event %s: %s\n", args[2].c_str(), result ? "TRUE" : "FALSE");
      rc = result ? kExitOk : kExitFailed;
    }
  }
  ClosePrinter(printer);
  return rc;
}

int RunUpgrade(const std::vector<std::string>& args) {
  if (args.size() != 2) {
    std::fprintf(stderr, "usage: drvhost upgrade <root folder> <printer name>\n");
    return kExitUsage;
  }
  std::string error;
  if (!OpenExistingRoot(args[0], error)) {
    std::fprintf(stderr, "drvhost: %s\n", error.c_str());
    return kExitFailed;
  }
  const std::u16string name = U16(args[1]);
  HANDLE printer = OpenAdministered(name);
  if (!printer) {
    std::fprintf(stderr, "drvhost: %s\n", PrinterOpenError(args[1], args[0], GetLastError()).c_str());
    return kExitFailed;
  }
  int rc = kExitFailed;
  {
    Library library(printer);
    auto upgrade = library.Get<UpgradePrinterFn>("DrvUpgradePrinter");
    auto convert = library.Get<ConvertDevModeFn>("DrvConvertDevMode");
    if (!upgrade || !convert) {
      std::fprintf(stderr, "drvhost: cannot load the upgrade exports of %s\n", U8(library.path()).c_str());
    } else {
      std::u16string copy = name;
      std::u16string oldDir;
      DRIVER_UPGRADE_INFO_1W info{copy.data(), oldDir.data()};
      const BOOL upgraded = upgrade(1, reinterpret_cast<LPBYTE>(&info));
      std::printf("driver upgrade: %s\n", upgraded ? "TRUE" : "FALSE");
      bool converted = true;
      std::vector<BYTE> stored = StoredDevmode(printer);
      if (!stored.empty()) {
        // The stored device-mode is brought to the new driver as the spooler does after
        // an upgrade.
        // The output carries the driver's sizes, as the spooler's does.
        LONG size = 0;
        convert(copy.data(), nullptr, nullptr, &size, kDriverDefault);
        std::vector<BYTE> out(size > 0 ? static_cast<std::size_t>(size) : 0);
        if (out.size() >= sizeof(DEVMODEW)) {
          auto* dm = reinterpret_cast<DEVMODEW*>(out.data());
          dm->dmSize = sizeof(DEVMODEW);
          dm->dmDriverExtra = static_cast<WORD>(out.size() - sizeof(DEVMODEW));
        }
        size = static_cast<LONG>(out.size());
        converted = out.size() >= sizeof(DEVMODEW) && convert(copy.data(), reinterpret_cast<PDEVMODEW>(stored.data()),
                                            reinterpret_cast<PDEVMODEW>(out.data()), &size, kConvert);
        if (converted) converted = StoreDevmode(printer, out);
        std::printf("stored device-mode converted: %s\n", converted ? "TRUE" : "FALSE");
      }
      rc = upgraded && converted ? kExitOk : kExitFailed;
    }
  }
  ClosePrinter(printer);
  return rc;
}

}  // namespace drvhost
