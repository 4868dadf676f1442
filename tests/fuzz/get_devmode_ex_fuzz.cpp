// Fuzz target: the settings API's extended device-mode export (KOVADrvGetDevmodeEx's body)
// in mode 8, which merges the caller's device-mode into the handle's settings and answers
// the result, with a fuzzed input device-mode and the extra mode bits, on a handle of a
// printer of the unit tests' model (with the built Panelis as its interface library).
//
// Input: u8 mode bits (added to 8), u8 flags (1: an input device-mode, 2: an output buffer,
// 4: no handle), u8 machine (MachineChoice), then the input device-mode as
// entry_fuzz_support.h reads it. The input lies in a buffer of its declared size; the
// output in one of the size the export answers (the driver's whole device-mode), as the
// API asks of its callers. Each input gets a handle of its own, and the system root is put
// back as it was after the set-up when the input ends.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "api_frame.h"
#include "context/context_cache.h"
#include "devmode_exports.h"
#include "entry_fuzz_support.h"
#include "module_start.h"
#include "plat/system.h"
#include "win/loader.h"

namespace get_devmode_ex_fuzz {

constexpr const char* kPrinter = "Fuzz Api";
constexpr std::uint8_t kWithInput = 1;
constexpr std::uint8_t kWithOutput = 2;
constexpr std::uint8_t kWithoutHandle = 4;
constexpr std::int32_t kApiVersion = 16;

class System {
 public:
  System() {
    plat::SetTestTickCount(100000);
    plat::SetTestLocalTime(SYSTEMTIME{2024, 5, 5, 17, 10, 30, 0, 0});
    DoDllMain(nullptr, DLL_PROCESS_ATTACH, nullptr);
    // The second model INI of the driver names the API version the model allows.
    root_.WriteFile(std::u16string(kovafuzz::kDriverFolder) + u"Dorvale2.ini", "[KOVAAPI]\r\nKOVAAPIVer=16\r\n");
    // A handle is enabled only when the printer's interface library (the built Panelis)
    // answers the spooler's device-mode size.
    std::filesystem::copy_file(kovatest::BuiltFile("Panelis"), root_.HostPath(u"C:\\drv\\Panelis.so"),
                               std::filesystem::copy_options::overwrite_existing);
    // Held for the process, as the application's process keeps it once the spooler loaded
    // it; the time that passes between inputs ends what it keeps cached.
    panelis_ = LoadLibraryW(u"C:\\drv\\Panelis.dll");
    kovafuzz::FuzzRoot::InstallPrinter(u"Fuzz Api");
    DriverContext* handle = DoEnable(kPrinter);
    const ApiInitInfo info{0, kApiVersion};
    if (!handle || DoInit(1, &info) != 1) {
      std::fprintf(stderr, "fuzz set-up: no settings-API handle\n");
      std::abort();
    }
    own_.assign(kovafuzz::kWholeDevmodeBytes, 0);
    if (DoGetDevmode(handle, kDevmodeCurrent, reinterpret_cast<DEVMODEW*>(own_.data())) !=
        static_cast<std::int32_t>(own_.size())) {
      std::fprintf(stderr, "fuzz set-up: no device-mode from the handle\n");
      std::abort();
    }
    DoDisable(handle);
    EvictContextCache(1);
    snapshot_.Take(root_.Host());
  }

  ~System() {
    if (panelis_) FreeLibrary(panelis_);
  }

  const std::vector<BYTE>& Own() const { return own_; }
  void BeginInput(std::uint8_t machine) {
    plat::AdvanceTestClock(kovafuzz::kTimeBetweenInputs);
    machine_.Apply(machine);
  }
  void EndInput() {
    EvictContextCache(1);
    machine_.Restore();
    snapshot_.Restore();
  }

 private:
  kovafuzz::FuzzRoot root_;
  kovafuzz::MachineChoice machine_;
  kovafuzz::RootSnapshot snapshot_;
  std::vector<BYTE> own_;
  HMODULE panelis_ = nullptr;
};

System& TheSystem() {
  static System system;
  return system;
}

void RunInput(const std::uint8_t* data, std::size_t size) {
  System& system = TheSystem();
  kovafuzz::ByteReader in(data, size);
  const std::int32_t mode = kDevmodeMerge | (in.U8() & 0x70);
  const std::uint8_t flags = in.U8();
  const std::uint8_t machine = in.U8();
  const std::vector<BYTE> inputBytes = kovafuzz::ReadDevmodeBytes(in, system.Own());

  kovafuzz::ExactBuffer input(inputBytes, kovafuzz::CallerDevmodeSize(inputBytes));
  kovafuzz::ExactBuffer output({}, kovafuzz::kWholeDevmodeBytes);

  system.BeginInput(machine);
  DriverContext* handle = (flags & kWithoutHandle) ? nullptr : DoEnable(kPrinter);
  DoGetDevmodeEx(handle, mode, (flags & kWithOutput) ? output.Devmode() : nullptr,
                 (flags & kWithInput) ? input.Devmode() : nullptr);
  if (handle) DoDisable(handle);
  system.EndInput();
}

}  // namespace get_devmode_ex_fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  get_devmode_ex_fuzz::RunInput(data, size);
  return 0;
}
