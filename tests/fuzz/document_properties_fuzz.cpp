// Fuzz target: document properties without a sheet (DrvDocumentPropertySheets with no
// PROPSHEETUI_INFO, the header in its LPARAM) with fuzzed input and output device-modes and
// document mode, on the printers of panelis_fuzz_system.h.
//
// Input: u8 printer, u8 fMode (DM_UPDATE 1, DM_COPY 2, DM_PROMPT 4, DM_MODIFY 8, ...),
// u8 flags (1: an input device-mode, 2: an output device-mode, 4: no header, 8: no printer
// handle; bits 4-5 the output buffer: 0 the driver's whole device-mode size, which the
// driver answers for a size query, 1 a buffer shaped like the input (its declared size),
// 2 the input's own buffer, as an application that passes one device-mode both ways),
// u8 machine (MachineChoice), u32 cbOut, then the input and the output device-mode as
// entry_fuzz_support.h reads them. The input lies in a buffer of its declared size. cbOut is
// held to the output buffer, as a caller that keeps the call's contract states it (a
// caller that states more than it hands in cannot be told from one that does not).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "entry_fuzz_support.h"
#include "panelis_fuzz_system.h"
#include "sheet_entry_bodies.h"
#include "win/compstui.h"

namespace document_properties_fuzz {

constexpr std::uint8_t kWithInput = 1;
constexpr std::uint8_t kWithOutput = 2;
constexpr std::uint8_t kWithoutHeader = 4;
constexpr std::uint8_t kWithoutPrinter = 8;
enum OutputShape { kWholeSize, kShapedLikeInput, kInputBuffer };

void RunInput(const std::uint8_t* data, std::size_t size) {
  kovafuzz::PanelisSystem& system = kovafuzz::ThePanelisSystem();
  kovafuzz::ByteReader in(data, size);
  const int printerIndex = in.U8();
  const DWORD mode = in.U8();
  const std::uint8_t flags = in.U8();
  const std::uint8_t machine = in.U8();
  DWORD cbOut = in.U32();
  const std::vector<BYTE> inputBytes = kovafuzz::ReadDevmodeBytes(in, system.Own());
  const std::vector<BYTE> outputBytes = kovafuzz::ReadDevmodeBytes(in, system.Own());

  const bool withInput = (flags & kWithInput) != 0;
  const std::size_t inputSize = kovafuzz::CallerDevmodeSize(inputBytes);
  int shape = (flags >> 4) % 3;
  if (!withInput && shape != kWholeSize) shape = kWholeSize;  // no input to be shaped like
  // The caller keeps the contract of the call: the size it states for its output is no more
  // than the buffer it hands in, and an output without a stated size (0) is of the size the
  // driver answers to a size query. A buffer smaller than the whole device-mode therefore
  // states its size.
  const bool outputIsInput = shape == kInputBuffer;
  std::size_t outputSize = shape == kShapedLikeInput ? inputSize : kovafuzz::kWholeDevmodeBytes;
  std::size_t inputBufferSize = inputSize;
  const std::size_t sharedSize = outputIsInput ? inputSize : outputSize;
  if (cbOut == 0 && sharedSize < kovafuzz::kWholeDevmodeBytes) cbOut = static_cast<DWORD>(sharedSize);
  if (cbOut > sharedSize) cbOut = static_cast<DWORD>(sharedSize);
  if (outputIsInput) inputBufferSize = sharedSize;
  else outputSize = sharedSize;
  kovafuzz::ExactBuffer input(inputBytes, inputBufferSize);
  kovafuzz::ExactBuffer output(outputBytes, outputSize);

  system.BeginInput(machine);
  {
    kovafuzz::InputPrinter printer(printerIndex);
    std::u16string name = kovafuzz::PanelisPrinterName(printerIndex);
    DOCUMENTPROPERTYHEADER header{};
    header.cbSize = sizeof header;
    header.hPrinter = (flags & kWithoutPrinter) ? nullptr : printer.Handle();
    header.pszPrinterName = name.data();
    header.pdmIn = withInput ? input.Devmode() : nullptr;
    header.pdmOut = !(flags & kWithOutput) ? nullptr : shape == kInputBuffer ? input.Devmode() : output.Devmode();
    header.cbOut = cbOut;
    header.fMode = mode;
    DoDocumentPropertySheets(nullptr, (flags & kWithoutHeader) ? 0 : reinterpret_cast<LPARAM>(&header));
  }
  system.EndInput();
}

}  // namespace document_properties_fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  document_properties_fuzz::RunInput(data, size);
  return 0;
}
