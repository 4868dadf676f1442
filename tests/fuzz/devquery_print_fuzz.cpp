// Fuzz target: the form check before printing (DevQueryPrintEx's body) with a fuzzed job
// device-mode, error-text buffer and spooler form list, on the printers of
// panelis_fuzz_system.h.
//
// Input: u8 printer, u8 flags (1: a job device-mode, 2: an error-text buffer, 4: no
// DEVQUERYPRINT_INFO at all, 8: the spooler's forms replaced by the list below, 16: no
// printer handle), u8 machine (MachineChoice), u16 error-text buffer size in characters,
// u8 form count (up to 4), per form {u8 flags, u8 name length, u32 cx, u32 cy} (0.001 mm),
// then the job device-mode as entry_fuzz_support.h reads it. The job device-mode lies in a
// buffer of its declared size, the error text in one of exactly its stated size.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "entry_fuzz_support.h"
#include "form_check.h"
#include "panelis_fuzz_system.h"
#include "plat/spooler_setup.h"
#include "win/compstui.h"

namespace devquery_print_fuzz {

constexpr std::uint8_t kWithDevmode = 1;
constexpr std::uint8_t kWithErrorText = 2;
constexpr std::uint8_t kWithoutInfo = 4;
constexpr std::uint8_t kOwnForms = 8;
constexpr std::uint8_t kWithoutPrinter = 16;
constexpr int kMaxForms = 4;
constexpr std::size_t kMaxErrorChars = 1024;

std::vector<plat::spooler::FormSetup> ReadForms(kovafuzz::ByteReader& in) {
  std::vector<plat::spooler::FormSetup> forms(in.U8() % (kMaxForms + 1));
  for (plat::spooler::FormSetup& form : forms) {
    form.flags = in.U8() & 3;
    // Names up to twice the 32 characters of dmFormName, each distinct.
    form.name = std::u16string(in.U8() % 65, u'F') + static_cast<char16_t>(u'0' + (&form - forms.data()));
    form.cx = static_cast<LONG>(in.U32());
    form.cy = static_cast<LONG>(in.U32());
    form.right = form.cx;
    form.bottom = form.cy;
  }
  return forms;
}

void RunInput(const std::uint8_t* data, std::size_t size) {
  kovafuzz::PanelisSystem& system = kovafuzz::ThePanelisSystem();
  kovafuzz::ByteReader in(data, size);
  const int printerIndex = in.U8();
  const std::uint8_t flags = in.U8();
  const std::uint8_t machine = in.U8();
  const std::size_t errorChars = in.U16() % (kMaxErrorChars + 1);
  const std::vector<plat::spooler::FormSetup> forms = ReadForms(in);
  const std::vector<BYTE> jobBytes = kovafuzz::ReadDevmodeBytes(in, system.Own());

  kovafuzz::ExactBuffer job(jobBytes, kovafuzz::CallerDevmodeSize(jobBytes));
  kovafuzz::ExactBuffer errorText({}, errorChars * sizeof(WCHAR));

  system.BeginInput(machine);
  if (flags & kOwnForms) plat::spooler::SetForms(forms);
  {
    kovafuzz::InputPrinter printer(printerIndex);
    DEVQUERYPRINT_INFO info{};
    info.cbSize = sizeof info;
    info.Level = 1;
    info.hPrinter = (flags & kWithoutPrinter) ? nullptr : printer.Handle();
    info.pDevMode = (flags & kWithDevmode) ? job.Devmode() : nullptr;
    info.pszErrorStr = (flags & kWithErrorText) ? reinterpret_cast<LPWSTR>(errorText.Bytes()) : nullptr;
    info.cchErrorStr = static_cast<DWORD>(errorChars);
    DoDevQueryPrintEx((flags & kWithoutInfo) ? nullptr : &info);
  }
  system.EndInput();
}

}  // namespace devquery_print_fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  devquery_print_fuzz::RunInput(data, size);
  return 0;
}
