#include "interface_library.h"

#include <cstddef>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "win/loader.h"
#include "win/spool.h"

namespace drvhost {

InterfaceLibrary::InterfaceLibrary(HANDLE printer) {
  DWORD needed = 0;
  GetPrinterDriverW(printer, nullptr, 2, nullptr, 0, &needed);
  if (needed < sizeof(DRIVER_INFO_2W)) return;
  std::vector<BYTE> buf(needed);
  if (!GetPrinterDriverW(printer, nullptr, 2, buf.data(), needed, &needed)) return;
  const auto* info = reinterpret_cast<const DRIVER_INFO_2W*>(buf.data());
  if (!info->pConfigFile) return;
  path_ = info->pConfigFile;
  module_ = LoadLibraryW(path_.c_str());
  if (!module_) return;
  caps_ = reinterpret_cast<DeviceCapabilitiesFn>(
      reinterpret_cast<void (*)()>(GetProcAddress(module_, "DrvDeviceCapabilities")));
  event_ = reinterpret_cast<DocumentEventFn>(reinterpret_cast<void (*)()>(GetProcAddress(module_, "DrvDocumentEvent")));
}

InterfaceLibrary::~InterfaceLibrary() {
  if (module_) FreeLibrary(module_);
}

std::vector<BYTE> StoredDevmode(HANDLE printer) {
  DWORD needed = 0;
  GetPrinterW(printer, 2, nullptr, 0, &needed);
  if (needed < sizeof(PRINTER_INFO_2W)) return {};
  std::vector<BYTE> buf(needed);
  if (!GetPrinterW(printer, 2, buf.data(), needed, &needed)) return {};
  const auto* info = reinterpret_cast<const PRINTER_INFO_2W*>(buf.data());
  const DEVMODEW* dm = info->pDevMode;
  if (!dm || dm->dmSize < sizeof(DEVMODEW)) return {};
  const auto* p = reinterpret_cast<const BYTE*>(dm);
  const std::size_t total = static_cast<std::size_t>(dm->dmSize) + dm->dmDriverExtra;
  if (p < buf.data() || p + total > buf.data() + buf.size()) return {};
  return std::vector<BYTE>(p, p + total);
}

bool ReadDevmodeFile(const std::string& file, std::vector<BYTE>& out, std::string& error) {
  std::error_code ec;
  if (std::filesystem::is_directory(file, ec)) {
    error = "the device-mode file " + file + " is a folder";
    return false;
  }
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    error = "cannot read the device-mode file " + file;
    return false;
  }
  out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (out.size() < offsetof(DEVMODEW, dmFields) + sizeof(DWORD)) {
    error = "the device-mode file " + file + " is too short for a device-mode";
    return false;
  }
  const auto* dm = reinterpret_cast<const DEVMODEW*>(out.data());
  if (static_cast<std::size_t>(dm->dmSize) + dm->dmDriverExtra != out.size()) {
    error = "the device-mode file " + file + " holds " + std::to_string(out.size()) +
            " bytes, its dmSize and dmDriverExtra say " + std::to_string(dm->dmSize + dm->dmDriverExtra);
    return false;
  }
  if (dm->dmSize < offsetof(DEVMODEW, dmFields) + sizeof(DWORD)) {
    error = "the device-mode file " + file + " states a dmSize of " + std::to_string(dm->dmSize) +
            ", too small for a device-mode";
    return false;
  }
  return true;
}

}  // namespace drvhost
