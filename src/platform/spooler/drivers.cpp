// Driver records: GetPrinterDriverW and GetPrinterDriverDirectoryW.
#include "plat/system.h"
#include "plat/wstr.h"
#include "spooler_calls.h"

namespace plat::spooler {
namespace {

constexpr const char16_t* kEnvironmentX64 = u"Windows x64";
constexpr const char16_t* kEnvironmentX86 = u"Windows NT x86";

// 0: this machine's environment (null or "Windows x64"), 1: the 32-bit one, -1: unknown.
int EnvironmentOf(const WCHAR* env) {
  if (!env || !*env) return 0;
  std::size_t n = 0;
  while (env[n] && n < 64) ++n;
  std::u16string_view e(env, n);
  if (EqualNoCase(e, kEnvironmentX64)) return 0;
  if (EqualNoCase(e, kEnvironmentX86)) return 1;
  return -1;
}

void FillDriver(Packer& p, DWORD level, const DriverSetup& d) {
  if (level == 1) {
    DRIVER_INFO_1W info{p.Str(d.name)};
    p.Put(0, info);
    return;
  }
  DRIVER_INFO_3W info{};
  info.cVersion = d.version;
  info.pName = p.Str(d.name);
  info.pEnvironment = p.Str(kEnvironmentX64);
  info.pDriverPath = p.Str(d.driverPath);
  info.pDataFile = p.Str(d.dataFile);
  info.pConfigFile = p.Str(d.configFile);
  if (level == 2) {
    DRIVER_INFO_2W two{info.cVersion, info.pName, info.pEnvironment, info.pDriverPath, info.pDataFile, info.pConfigFile};
    p.Put(0, two);
    return;
  }
  info.pHelpFile = p.Str(d.helpFile);
  info.pDependentFiles = p.MultiStr(d.dependentFiles);
  info.pMonitorName = p.StrOrNull(d.monitorName);
  info.pDefaultDataType = p.StrOrNull(d.defaultDataType);
  p.Put(0, info);
}

}  // namespace
}  // namespace plat::spooler

using namespace plat::spooler;

KOVA_EXPORT BOOL WINAPI GetPrinterDriverW(HANDLE hPrinter, LPWSTR pEnvironment, DWORD Level, LPBYTE pDriverInfo,
                                          DWORD cbBuf, LPDWORD pcbNeeded) {
  return GuardBool([&]() -> BOOL {
    DWORD error = 0;
    auto record = RecordOf(hPrinter, &error);
    if (!record) {
      SetLastError(error);
      return FALSE;
    }
    const int env = EnvironmentOf(pEnvironment);
    if (env < 0) {
      SetLastError(ERROR_INVALID_ENVIRONMENT);
      return FALSE;
    }
    if (Level < 1 || Level > 3) {
      SetLastError(ERROR_INVALID_LEVEL);
      return FALSE;
    }
    if (!CheckBufferArgs(pDriverInfo, cbBuf, pcbNeeded)) return FALSE;
    auto driver = store::LoadDriver(record->setup.driver.name);
    if (!driver || env != 0) {  // drivers are installed for this machine's environment only
      SetLastError(ERROR_UNKNOWN_PRINTER_DRIVER);
      return FALSE;
    }
    const std::size_t size = Level == 1 ? sizeof(DRIVER_INFO_1W) : Level == 2 ? sizeof(DRIVER_INFO_2W) : sizeof(DRIVER_INFO_3W);
    return PackIntoBuffer(pDriverInfo, cbBuf, pcbNeeded, size, [&](Packer& p) { FillDriver(p, Level, *driver); });
  });
}

KOVA_EXPORT BOOL WINAPI GetPrinterDriverDirectoryW(LPWSTR pName, LPWSTR pEnvironment, DWORD Level,
                                                   LPBYTE pDriverDirectory, DWORD cbBuf, LPDWORD pcbNeeded) {
  return GuardBool([&]() -> BOOL {
    if (pName && *pName) {
      std::size_t n = 0;
      while (pName[n] && n <= 64) ++n;
      if (!plat::EqualNoCase(std::u16string_view(pName, n), u"\\\\" + plat::Machine().computerName)) {
        SetLastError(ERROR_INVALID_NAME);
        return FALSE;
      }
    }
    const int env = EnvironmentOf(pEnvironment);
    if (env < 0) {
      SetLastError(ERROR_INVALID_ENVIRONMENT);
      return FALSE;
    }
    if (Level != 1) {
      SetLastError(ERROR_INVALID_LEVEL);
      return FALSE;
    }
    if (!CheckBufferArgs(pDriverDirectory, cbBuf, pcbNeeded)) return FALSE;
    std::u16string dir = plat::PrinterDriverDirectory();
    if (env == 1) dir = dir.substr(0, dir.rfind(u'\\') + 1) + u"W32X86";
    const std::size_t needed = 2 * (dir.size() + 1);
    *pcbNeeded = static_cast<DWORD>(needed);
    if (cbBuf < needed) {
      SetLastError(ERROR_INSUFFICIENT_BUFFER);
      return FALSE;
    }
    std::memcpy(pDriverDirectory, dir.c_str(), needed);
    return TRUE;
  });
}
