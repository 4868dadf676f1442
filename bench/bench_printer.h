// A system root of a benchmark's own, removed at exit, with one printer "Bench" of the
// sample driver whose model file holds only its version line.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

#include "model/driver_locks.h"
#include "plat/spooler_setup.h"
#include "plat/system.h"
#include "win/files.h"
#include "win/spool.h"

namespace bench {

inline void WriteWinFile(const char16_t* path, const std::string& bytes) {
  HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

// Installs a printer of that name with the sample driver whose files SetUpBenchPrinter
// put in C:\drv, and answers an open handle of it.
inline HANDLE InstallBenchPrinter(const char16_t* name) {
  plat::spooler::PrinterSetup setup;
  setup.name = name;
  setup.driver.name = u"KOVA Sample Driver";
  setup.driver.driverPath = u"C:\\drv\\Rendara.dll";
  setup.driver.configFile = u"C:\\drv\\Panelis.dll";
  setup.driver.helpFile = u"C:\\drv\\KOVAUS.HLP";
  setup.driver.dataFile = u"C:\\drv\\KOVA.KPD";
  if (plat::spooler::InstallPrinter(setup) != 0) std::abort();
  HANDLE h = nullptr;
  PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
  if (!OpenPrinterW(const_cast<LPWSTR>(name), &h, &defaults)) std::abort();
  return h;
}

// Sets the root up (once per `tag`'s process) and answers an open handle of "Bench". The
// driver locks are initialised. `beforeInstall` runs in the new root before the printer is
// installed (for files the benchmark needs there).
template <class Prepare>
HANDLE SetUpBenchPrinter(const char* tag, Prepare beforeInstall) {
  std::string pattern = std::string("/tmp/kova-") + tag + "-bench-XXXXXX";
  const char* dir = mkdtemp(pattern.data());
  if (!dir || !plat::SetSystemRoot(dir)) std::abort();
  static std::string root;
  root = dir;
  std::atexit([] {
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
  });
  CreateDirectoryW(u"C:\\drv", nullptr);
  WriteWinFile(u"C:\\drv\\KOVA.KPD", "*FileVersion: \"9.02\"\r\n");
  beforeInstall();
  HANDLE h = InstallBenchPrinter(u"Bench");
  InitDriverLocks();
  return h;
}

inline HANDLE SetUpBenchPrinter(const char* tag) {
  return SetUpBenchPrinter(tag, [] {});
}

}  // namespace bench
