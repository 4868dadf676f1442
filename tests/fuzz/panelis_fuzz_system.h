// The system the Panelis fuzz targets call into, set up once per process: a root with
// printers of the unit tests' model in each state the entry points branch on, the driver's
// own device-mode, and the root's files as they stood after the set-up, put back after
// each input (with the machine and the context caches).
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "context/context_cache.h"
#include "stored/devmode_convert.h"
#include "entry_frame.h"
#include "entry_fuzz_support.h"
#include "plat/system.h"
#include "printer_lifecycle.h"
#include "win/kernel.h"
#include "win/loader.h"

namespace kovafuzz {

// The printers, by the index an input names.
enum PanelisPrinter {
  kLocalPrinter,     // local, set up by its first driver default
  kFreshPrinter,     // local, never set up
  kKnownPrinter,     // local, batch install done, a stored device-mode
  kSharedPrinter,    // a connection
  kRenamedPrinter,   // local, set up under another name
  kMissingPrinter,   // no printer has this name
  kPanelisPrinterCount
};

inline const char16_t* PanelisPrinterName(int printer) {
  static const char16_t* const kNames[kPanelisPrinterCount] = {
      u"Fuzz Local", u"Fuzz Fresh", u"Fuzz Known", u"\\\\SERVER\\Fuzz Shared", u"Fuzz Renamed", u"Fuzz Missing"};
  return kNames[printer % kPanelisPrinterCount];
}

class PanelisSystem {
 public:
  PanelisSystem() {
    plat::SetTestTickCount(100000);
    plat::SetTestLocalTime(SYSTEMTIME{2024, 5, 5, 17, 10, 30, 0, 0});
    DoDllMain(nullptr, DLL_PROCESS_ATTACH, nullptr);
    own_.assign(kWholeDevmodeBytes, 0);
    for (const char16_t* name : {u"Fuzz Local", u"Fuzz Renamed"}) {
      FuzzRoot::InstallPrinter(name);
      LONG size = static_cast<LONG>(own_.size());
      if (!DoConvertDevMode(name, nullptr, reinterpret_cast<DEVMODEW*>(own_.data()), &size, CDM_DRIVER_DEFAULT)) {
        std::fprintf(stderr, "fuzz set-up: no default device-mode (%u)\n", static_cast<unsigned>(GetLastError()));
        std::abort();
      }
    }
    // The printer was set up under the name it had before.
    HANDLE renamed = FuzzRoot::Open(u"Fuzz Renamed");
    const std::u16string before = u"Fuzz Before";
    SetPrinterDataW(renamed, const_cast<LPWSTR>(u"KOVAPrinterName"), 1,
                    reinterpret_cast<LPBYTE>(const_cast<char16_t*>(before.c_str())),
                    static_cast<DWORD>((before.size() + 1) * sizeof(char16_t)));
    ClosePrinter(renamed);
    FuzzRoot::InstallPrinter(u"Fuzz Fresh");
    FuzzRoot::InstallPrinter(u"Fuzz Known", u"", {plat::spooler::DwordValue(u"BatchInstallDone", 1)}, own_);
    FuzzRoot::InstallPrinter(u"Fuzz Shared", u"\\\\SERVER");
    EvictContextCache(1);
    snapshot_.Take(root_.Host());
  }

  // The driver's own device-mode (1236 bytes), as a printer's first driver default answers it.
  const std::vector<BYTE>& Own() const { return own_; }

  void BeginInput(std::uint8_t machine) {
    plat::AdvanceTestClock(kTimeBetweenInputs);
    machine_.Apply(machine);
  }
  // After each input: no context kept, the machine and the root as they were.
  void EndInput() {
    EvictContextCache(1);
    machine_.Restore();
    snapshot_.Restore();
  }

 private:
  FuzzRoot root_;
  MachineChoice machine_;
  RootSnapshot snapshot_;
  std::vector<BYTE> own_;
};

inline PanelisSystem& ThePanelisSystem() {
  static PanelisSystem system;
  return system;
}

// A printer handle for one input, closed when the input ends; null for the name no
// printer has.
class InputPrinter {
 public:
  explicit InputPrinter(int printer) : handle_(FuzzRoot::Open(PanelisPrinterName(printer))) {}
  ~InputPrinter() {
    if (handle_) ClosePrinter(handle_);
  }
  InputPrinter(const InputPrinter&) = delete;
  InputPrinter& operator=(const InputPrinter&) = delete;
  HANDLE Handle() const { return handle_; }

 private:
  HANDLE handle_;
};

}  // namespace kovafuzz
