// Termsvc.so: the terminal-server test library of the driver package. The driver loads it
// from its driver folder and asks whether the machine is a terminal server; it answers
// from the system's version suite, where terminal services show as VER_SUITE_TERMINAL.
#include "win/kernel.h"
#include "win/types.h"

KOVA_EXPORT int _IsTSE_WMICOM_KOVA_Printer_Driver() {
  OSVERSIONINFOEXW info{};
  info.dwOSVersionInfoSize = sizeof info;
  if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info))) return 0;
  return (info.wSuiteMask & VER_SUITE_TERMINAL) ? 1 : 0;
}
