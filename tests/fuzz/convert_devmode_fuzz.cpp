// Fuzz target: the spooler's device-mode conversion (DrvConvertDevMode's body) with fuzzed
// input and output device-modes, output size and mode, on the printers of
// panelis_fuzz_system.h: set up, never set up, known, a connection, renamed, and a name no
// printer has.
//
// Input: u8 mode, u8 printer, u8 flags (1: an input device-mode, 2: an output buffer,
// 4: no common settings INI, so that no local printer counts as set up), u8 machine
// (MachineChoice), u16 output size (bit 15: the size is negative), then the input and the
// output device-mode as entry_fuzz_support.h reads them. The input lies in a buffer of its
// declared size, the output in a buffer of exactly the output size the caller states.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <vector>

#include "stored/devmode_convert.h"
#include "base/install_services.h"
#include "entry_fuzz_support.h"
#include "panelis_fuzz_system.h"
#include "printer_lifecycle.h"
#include "win/files.h"

namespace convert_devmode_fuzz {

constexpr DWORD kModes[] = {CDM_CONVERT, CDM_CONVERT351, CDM_DRIVER_DEFAULT, 3, 0, 8};
constexpr std::uint8_t kWithInput = 1;
constexpr std::uint8_t kWithOutput = 2;
constexpr std::uint8_t kWithoutSettingsIni = 4;
constexpr std::uint16_t kNegativeSize = 0x8000;
// The settings INI of the common settings folder, whose presence marks a set-up printer.
constexpr const char16_t* kSettingsIni = u"C:\\_kova\\Dorvale.ini";

void RunInput(const std::uint8_t* data, std::size_t size) {
  kovafuzz::PanelisSystem& system = kovafuzz::ThePanelisSystem();
  kovafuzz::ByteReader in(data, size);
  const DWORD mode = kModes[in.U8() % std::size(kModes)];
  const char16_t* printer = kovafuzz::PanelisPrinterName(in.U8());
  const std::uint8_t flags = in.U8();
  const std::uint8_t machine = in.U8();
  const std::uint16_t sizeWord = in.U16();
  const std::vector<BYTE> inputBytes = kovafuzz::ReadDevmodeBytes(in, system.Own());
  const std::vector<BYTE> outputBytes = kovafuzz::ReadDevmodeBytes(in, system.Own());

  const std::size_t outputBytesGiven = std::min<std::size_t>(sizeWord & 0x7FFFu, kovafuzz::kMaxBuffer);
  kovafuzz::ExactBuffer input(inputBytes, kovafuzz::CallerDevmodeSize(inputBytes));
  kovafuzz::ExactBuffer output(outputBytes, outputBytesGiven);
  LONG outputSize = static_cast<LONG>(outputBytesGiven);
  if (sizeWord & kNegativeSize) outputSize = -outputSize - 1;

  system.BeginInput(machine);
  if (flags & kWithoutSettingsIni) DeleteFileW(kSettingsIni);
  DoConvertDevMode(printer, (flags & kWithInput) ? input.Devmode() : nullptr,
                   (flags & kWithOutput) ? output.Devmode() : nullptr, &outputSize, mode);
  // The install flag is cleared on every way out of the body.
  if (InstallInProgress != 0) __builtin_trap();
  system.EndInput();
}

}  // namespace convert_devmode_fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  convert_devmode_fuzz::RunInput(data, size);
  return 0;
}
