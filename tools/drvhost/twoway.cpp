// drvhost twoway: gives a printer of a system root a printer to talk to. The two-way
// library that answers from a file (Bidiman4NT, built with the project) goes into the
// root's system folder, the answers file's "Key=Value" lines become the printer's section
// of Bidiman4NT.ini in the Windows folder, and the printer gets the two-way attribute. "off"
// removes the printer's answers and the attribute.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "commands.h"
#include "host_text.h"
#include "plat/paths.h"
#include "plat/system.h"
#include "plat/wstr.h"
#include "win/errors.h"
#include "win/kernel.h"
#include "win/profile.h"
#include "win/spool.h"

namespace fs = std::filesystem;

namespace drvhost {
namespace {

// The library as built beside this host (<build>/tools/outside/bidiman), or empty.
fs::path BuiltLibrary() {
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (ec) return {};
  const fs::path file = exe.parent_path().parent_path().parent_path() / "tools/outside/bidiman/Bidiman4NT.so";
  return fs::is_regular_file(file, ec) ? file : fs::path();
}

std::u16string WindowsFolderFile(const char16_t* name) {
  WCHAR folder[MAX_PATH] = {};
  const UINT n = GetWindowsDirectoryW(folder, MAX_PATH);
  return std::u16string(folder, n) + u"\\" + name;
}

// The printer's two-way attribute on or off; false when the spooler refuses.
bool SetTwoWayAttribute(const std::u16string& printer, bool on) {
  HANDLE h = nullptr;
  PRINTER_DEFAULTSW access{nullptr, nullptr, PRINTER_ALL_ACCESS};
  if (!OpenPrinterW(const_cast<LPWSTR>(printer.c_str()), &h, &access)) return false;
  DWORD needed = 0;
  GetPrinterW(h, 2, nullptr, 0, &needed);
  std::vector<BYTE> buffer(needed ? needed : 1);
  bool ok = needed && GetPrinterW(h, 2, buffer.data(), needed, &needed);
  if (ok) {
    auto* info = reinterpret_cast<PRINTER_INFO_2W*>(buffer.data());
    info->Attributes = on ? (info->Attributes | PRINTER_ATTRIBUTE_ENABLE_BIDI)
                          : (info->Attributes & ~static_cast<DWORD>(PRINTER_ATTRIBUTE_ENABLE_BIDI));
    ok = SetPrinterW(h, 2, buffer.data(), 0) != FALSE;
  }
  ClosePrinter(h);
  return ok;
}

}  // namespace

int RunTwoWay(const std::vector<std::string>& args) {
  if (args.size() != 3) {
    std::fprintf(stderr, "usage: drvhost twoway <root folder> <printer name> <answers file>|off\n");
    return kExitUsage;
  }
  std::string error;
  if (!OpenExistingRoot(args[0], error)) {
    std::fprintf(stderr, "drvhost: %s\n", error.c_str());
    return kExitFailed;
  }
  const std::u16string printer = U16(args[1]);
  const std::u16string answers = WindowsFolderFile(u"Bidiman4NT.ini");
  const bool off = args[2] == "off";

  std::vector<std::pair<std::u16string, std::u16string>> lines;
  if (!off) {
    std::ifstream in(args[2]);
    if (!in) {
      std::fprintf(stderr, "drvhost: cannot read the answers file %s\n", args[2].c_str());
      return kExitFailed;
    }
    std::string line;
    while (std::getline(in, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (line.empty() || line[0] == ';' || line[0] == '#' || line[0] == '[') continue;
      const std::size_t eq = line.find('=');
      if (eq == std::string::npos || eq == 0) {
        std::fprintf(stderr, "drvhost: not a Key=Value line in %s: \"%s\"\n", args[2].c_str(), line.c_str());
        return kExitUsage;
      }
      lines.emplace_back(U16(line.substr(0, eq)), U16(line.substr(eq + 1)));
    }
    const fs::path library = BuiltLibrary();
    if (library.empty()) {
      std::fprintf(stderr, "drvhost: the two-way library Bidiman4NT.so is not built\n");
      return kExitFailed;
    }
    std::string hostSystem;
    WCHAR system[MAX_PATH] = {};
    const UINT n = GetSystemDirectoryW(system, MAX_PATH);
    if (plat::MapPath(std::u16string(system, n).c_str(), hostSystem) != ERROR_SUCCESS) {
      std::fprintf(stderr, "drvhost: cannot map the system folder\n");
      return kExitFailed;
    }
    std::error_code ec;
    fs::copy_file(library, fs::path(hostSystem) / "Bidiman4NT.so", fs::copy_options::overwrite_existing, ec);
    if (ec) {
      std::fprintf(stderr, "drvhost: cannot copy %s: %s\n", library.c_str(), ec.message().c_str());
      return kExitFailed;
    }
    plat::NoteFilesCreated();
  }

  WritePrivateProfileStringW(printer.c_str(), nullptr, nullptr, answers.c_str());
  for (const auto& [key, value] : lines) {
    if (!WritePrivateProfileStringW(printer.c_str(), key.c_str(), value.c_str(), answers.c_str())) {
      std::fprintf(stderr, "drvhost: cannot write the answers into %s\n", U8(answers).c_str());
      return kExitFailed;
    }
  }
  if (!SetTwoWayAttribute(printer, !off)) {
    std::fprintf(stderr, "drvhost: the spooler refused the two-way attribute of \"%s\"\n", args[1].c_str());
    return kExitFailed;
  }
  if (off) {
    std::printf("printer \"%s\": no two-way answers\n", args[1].c_str());
  } else {
    std::printf("printer \"%s\": two-way library Bidiman4NT.dll with %zu answers in %s\n", args[1].c_str(),
                lines.size(), U8(answers).c_str());
  }
  return kExitOk;
}

}  // namespace drvhost
