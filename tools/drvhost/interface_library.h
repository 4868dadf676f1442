// The printer interface library of a printer (the pConfigFile of its driver record), loaded
// as the spooler and applications load it.
#pragma once

#include <string>
#include <vector>

#include "win/devmode.h"
#include "win/gdi.h"
#include "win/types.h"

namespace drvhost {

using DeviceCapabilitiesFn = DWORD (*)(HANDLE printer, LPWSTR deviceName, WORD capability, PVOID output,
                                       PDEVMODEW devmode);
using DocumentEventFn = int (*)(HANDLE printer, HDC dc, int event, ULONG inputSize, PVOID input, ULONG outputSize,
                                PVOID output);

class InterfaceLibrary {
 public:
  // Loads the printer's interface library; loaded() tells whether it was found.
  explicit InterfaceLibrary(HANDLE printer);
  ~InterfaceLibrary();
  InterfaceLibrary(const InterfaceLibrary&) = delete;
  InterfaceLibrary& operator=(const InterfaceLibrary&) = delete;

  bool loaded() const { return module_ != nullptr; }
  const std::u16string& path() const { return path_; }
  DeviceCapabilitiesFn deviceCapabilities() const { return caps_; }
  DocumentEventFn documentEvent() const { return event_; }

 private:
  std::u16string path_;
  HMODULE module_ = nullptr;
  DeviceCapabilitiesFn caps_ = nullptr;
  DocumentEventFn event_ = nullptr;
};

// The printer's device-mode from its spooler record (dmSize + dmDriverExtra bytes), or empty.
std::vector<BYTE> StoredDevmode(HANDLE printer);

// A device-mode file: exactly dmSize + dmDriverExtra bytes of a device-mode, at least its
// public fields up to dmFields. False with a sentence naming the file otherwise.
bool ReadDevmodeFile(const std::string& file, std::vector<BYTE>& out, std::string& error);

}  // namespace drvhost
