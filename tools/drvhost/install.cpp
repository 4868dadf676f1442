// drvhost install: creates the system root, copies the sample's driver files into the
// driver folder and installs the printer with its printer data.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "commands.h"
#include "host_text.h"
#include "manifest.h"
#include "plat/paths.h"
#include "plat/spooler_setup.h"
#include "plat/system.h"
#include "plat/wstr.h"
#include "win/errors.h"
#include "win/registry.h"

namespace fs = std::filesystem;

namespace drvhost {
namespace {

// The build folder this host was built in (<build>/tools/drvhost/drvhost), or empty.
fs::path BuildRoot() {
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (ec) return {};
  fs::path root = exe.parent_path().parent_path().parent_path();
  return fs::is_directory(root / "tools", ec) ? root : fs::path();
}

// Host file names that stand for a Windows file name: X.dll is built as X.so (a shared
// object) or written as X.rc (a resource module), as the loader resolves them.
std::vector<std::string> HostNames(const std::string& windowsName) {
  std::vector<std::string> names{windowsName};
  if (windowsName.size() > 4) {
    std::string ext = windowsName.substr(windowsName.size() - 4);
    for (auto& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (ext == ".dll") {
      const std::string base = windowsName.substr(0, windowsName.size() - 4);
      names.push_back(base + ".so");
      names.push_back(base + ".rc");
    }
  }
  return names;
}

// Finds the file for a driver file name: in the sample folder, then in the folders named by
// KOVA_DRIVER_BINARIES (':'-separated), then among the deliverables of the build tree.
fs::path FindDriverFile(const fs::path& sampleFolder, const std::string& windowsName) {
  const auto names = HostNames(windowsName);
  std::vector<fs::path> flat{sampleFolder};
  if (const char* env = std::getenv("KOVA_DRIVER_BINARIES")) {
    std::string list = env;
    std::size_t start = 0;
    while (start <= list.size()) {
      std::size_t end = list.find(':', start);
      if (end == std::string::npos) end = list.size();
      if (end > start) flat.emplace_back(list.substr(start, end - start));
      start = end + 1;
    }
  }
  for (const auto& dir : flat) {
    for (const auto& n : names) {
      std::string found = plat::FindEntryNoCase(dir.string(), n);
      std::error_code ec;
      if (!found.empty() && fs::is_regular_file(dir / found, ec)) return dir / found;
    }
  }
  const fs::path build = BuildRoot();
  if (build.empty()) return {};
  for (const char* sub : {"src/code32", "tools/outside"}) {
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(build / sub, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
      if (!it->is_regular_file(ec)) continue;
      const std::string file = it->path().filename().string();
      for (const auto& n : names)
        if (plat::EqualNoCase(U16(file), U16(n))) return it->path();
    }
  }
  return {};
}

bool ReadBytes(const fs::path& path, std::vector<BYTE>& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

// The manifest's fonts into the system's fonts key, where the font enumeration finds them.
bool RegisterFonts(const Manifest& manifest) {
  if (manifest.fonts.empty()) return true;
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts", 0, nullptr, 0,
                      KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return false;
  bool ok = true;
  for (const auto& [name, file] : manifest.fonts) {
    const auto bytes = static_cast<DWORD>((file.size() + 1) * sizeof(char16_t));
    ok = RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(file.c_str()), bytes) ==
             ERROR_SUCCESS && ok;
    if (ok) std::printf("  font %-22s %s\n", U8(name).c_str(), U8(file).c_str());
  }
  RegCloseKey(key);
  return ok;
}

}  // namespace

int RunInstall(const std::vector<std::string>& args) {
  if (args.size() != 3) {
    std::fprintf(stderr, "usage: drvhost install <root folder> <printer name> <sample folder>\n");
    return kExitUsage;
  }
  const std::string& rootArg = args[0];
  const std::string& printerName = args[1];
  const fs::path sample = args[2];
  std::error_code ec;
  if (!fs::is_directory(sample, ec)) {
    std::fprintf(stderr, "drvhost: the sample folder %s does not exist or is not a folder\n", sample.c_str());
    return kExitFailed;
  }
  Manifest manifest;
  std::string error;
  if (!ReadManifest(sample.string(), manifest, error)) {
    std::fprintf(stderr, "drvhost: %s\n", error.c_str());
    return kExitFailed;
  }
  if (printerName.empty()) {
    std::fprintf(stderr, "drvhost: the printer name is empty\n");
    return kExitUsage;
  }
  if (fs::exists(rootArg, ec) && !fs::is_directory(rootArg, ec)) {
    std::fprintf(stderr, "drvhost: the system root %s exists and is not a folder\n", rootArg.c_str());
    return kExitFailed;
  }
  fs::create_directories(rootArg, ec);
  if (ec || !plat::SetSystemRoot(rootArg)) {
    std::fprintf(stderr, "drvhost: cannot create the system root %s%s%s\n", rootArg.c_str(), ec ? ": " : "",
                 ec ? ec.message().c_str() : "");
    return kExitFailed;
  }
  std::printf("system root: %s\n", plat::SystemRoot().c_str());

  plat::spooler::PrinterSetup setup = manifest.printer;
  setup.name = U16(printerName);
  if (!manifest.devmodeFile.empty() && !ReadBytes(sample / manifest.devmodeFile, setup.devmode)) {
    std::fprintf(stderr, "drvhost: cannot read the device-mode file %s\n", (sample / manifest.devmodeFile).c_str());
    return kExitFailed;
  }

  const std::u16string driverFolder = plat::PrinterDriverDirectory() + u"\\3";
  std::printf("driver files into %s:\n", U8(driverFolder).c_str());
  for (const auto& name : DriverFileNames(setup.driver)) {
    const std::string windowsName = U8(name);
    const fs::path source = FindDriverFile(sample, windowsName);
    if (source.empty()) {
      std::printf("  %-24s not yet built\n", windowsName.c_str());
      continue;
    }
    std::string hostDir;
    const std::u16string winDir = driverFolder;
    if (plat::MapPath(winDir.c_str(), hostDir) != ERROR_SUCCESS) {
      std::fprintf(stderr, "drvhost: cannot map the driver folder %s\n", U8(winDir).c_str());
      return kExitFailed;
    }
    fs::create_directories(hostDir, ec);
    const fs::path target = fs::path(hostDir) / source.filename();
    fs::copy_file(source, target, fs::copy_options::overwrite_existing, ec);
    if (ec) {
      std::fprintf(stderr, "drvhost: cannot copy %s to %s: %s\n", source.c_str(), target.c_str(), ec.message().c_str());
      return kExitFailed;
    }
    std::printf("  %-24s copied (%s)\n", windowsName.c_str(), source.filename().c_str());
    plat::NoteFilesCreated();  // copied by hand: the platform looks for missing names again
  }

  if (!RegisterFonts(manifest)) {
    std::fprintf(stderr, "drvhost: cannot write the fonts of the manifest into the fonts key\n");
    return kExitFailed;
  }

  const DWORD rc = plat::spooler::InstallPrinter(setup);
  if (rc != ERROR_SUCCESS) {
    std::fprintf(stderr, "drvhost: the spooler refused the printer \"%s\" (%s)\n", printerName.c_str(),
        ErrorText(rc).c_str());
    return kExitFailed;
  }
  std::printf("installed printer \"%s\" with driver \"%s\" and %zu printer-data values\n", printerName.c_str(),
              U8(setup.driver.name).c_str(), setup.data.size());
  if (!SpoolerSetsUpPrinter(setup.name)) {
    std::fprintf(stderr, "drvhost: the interface library did not set up the printer \"%s\"\n", printerName.c_str());
    return kExitFailed;
  }
  return kExitOk;
}

}  // namespace drvhost
