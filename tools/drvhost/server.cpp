// drvhost server: gives a printer of a system root a configuration server. The connector
// that serves from a server folder (Srvbidi, built with the project) goes into the root's
// system folder with its switch on; the given folder's "server.ini" Key=Value lines (Type,
// Printer, Data.<value>, DevmodeSize, Fail) become the printer's section of the connector's
// Srvbidi.ini, and every other file of the folder becomes a file of the server. "off"
// removes the printer's section and turns the switch off.
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
#include "win/files.h"
#include "win/kernel.h"
#include "win/profile.h"
#include "win/registry.h"

namespace fs = std::filesystem;

namespace drvhost {
namespace {

constexpr char16_t kSwitchKey[] = u"Software\\VANTE\\Halden Print Core";
constexpr char16_t kSwitch[] = u"RMBIDI_FLG";
constexpr char kServerIni[] = "server.ini";

// The connector as built beside this host (<build>/tools/outside/srvbidi), or empty.
fs::path BuiltConnector() {
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (ec) return {};
  const fs::path file = exe.parent_path().parent_path().parent_path() / "tools/outside/srvbidi/Srvbidi.so";
  return fs::is_regular_file(file, ec) ? file : fs::path();
}

// A Windows folder of the root mapped to the host; empty when it cannot be.
std::string HostFolder(const std::u16string& windowsPath) {
  std::string host;
  return plat::MapPath(windowsPath.c_str(), host) == ERROR_SUCCESS ? host : std::string();
}

bool SetSwitch(DWORD value) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kSwitchKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
      ERROR_SUCCESS)
    return false;
  const bool ok = RegSetValueExW(key, kSwitch, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value) ==
                  ERROR_SUCCESS;
  RegCloseKey(key);
  return ok;
}

}  // namespace

int RunServer(const std::vector<std::string>& args) {
  if (args.size() != 3) {
    std::fprintf(stderr, "usage: drvhost server <root folder> <printer name> <server folder>|off\n");
    return kExitUsage;
  }
  std::string error;
  if (!OpenExistingRoot(args[0], error)) {
    std::fprintf(stderr, "drvhost: %s\n", error.c_str());
    return kExitFailed;
  }
  const std::u16string printer = U16(args[1]);
  const bool off = args[2] == "off";
  WCHAR windows[MAX_PATH] = {};
  const UINT w = GetWindowsDirectoryW(windows, MAX_PATH);
  const std::u16string serverFolder = std::u16string(windows, w) + u"\\Srvbidi";
  const std::u16string serverIni = serverFolder + u"\\Srvbidi.ini";

  std::vector<std::pair<std::u16string, std::u16string>> lines;
  if (!off) {
    const fs::path source(args[2]);
    std::ifstream in(source / kServerIni);
    if (!fs::is_directory(source) || !in) {
      std::fprintf(stderr, "drvhost: %s is not a server folder with a %s\n", args[2].c_str(), kServerIni);
      return kExitFailed;
    }
    std::string line;
    while (std::getline(in, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (line.empty() || line[0] == ';' || line[0] == '#' || line[0] == '[') continue;
      const std::size_t eq = line.find('=');
      if (eq == std::string::npos || eq == 0) {
        std::fprintf(stderr, "drvhost: not a Key=Value line in %s: \"%s\"\n", kServerIni, line.c_str());
        return kExitUsage;
      }
      lines.emplace_back(U16(line.substr(0, eq)), U16(line.substr(eq + 1)));
    }
    const fs::path connector = BuiltConnector();
    if (connector.empty()) {
      std::fprintf(stderr, "drvhost: the connector Srvbidi.so is not built\n");
      return kExitFailed;
    }
    WCHAR system[MAX_PATH] = {};
    const UINT n = GetSystemDirectoryW(system, MAX_PATH);
    const std::string hostSystem = HostFolder(std::u16string(system, n));
    CreateDirectoryW(serverFolder.c_str(), nullptr);
    const std::string hostServer = HostFolder(serverFolder);
    if (hostSystem.empty() || hostServer.empty()) {
      std::fprintf(stderr, "drvhost: cannot map the system or the server folder\n");
      return kExitFailed;
    }
    std::error_code ec;
    fs::copy_file(connector, fs::path(hostSystem) / "Srvbidi.so", fs::copy_options::overwrite_existing, ec);
    for (const fs::directory_entry& entry : fs::directory_iterator(source, ec)) {
      if (ec || !entry.is_regular_file() || entry.path().filename() == kServerIni) continue;
      fs::copy_file(entry.path(), fs::path(hostServer) / entry.path().filename(), fs::copy_options::overwrite_existing,
                    ec);
    }
    if (ec) {
      std::fprintf(stderr, "drvhost: cannot copy the server's files: %s\n", ec.message().c_str());
      return kExitFailed;
    }
    plat::NoteFilesCreated();
  }

  WritePrivateProfileStringW(printer.c_str(), nullptr, nullptr, serverIni.c_str());
  for (const auto& [key, value] : lines) {
    if (!WritePrivateProfileStringW(printer.c_str(), key.c_str(), value.c_str(), serverIni.c_str())) {
      std::fprintf(stderr, "drvhost: cannot write the server into %s\n", U8(serverIni).c_str());
      return kExitFailed;
    }
  }
  if (!SetSwitch(off ? 0 : 1)) {
    std::fprintf(stderr, "drvhost: cannot set the connector's switch\n");
    return kExitFailed;
  }
  if (off) {
    std::printf("printer \"%s\": no configuration server\n", args[1].c_str());
  } else {
    std::printf("printer \"%s\": configuration server Srvbidi.dll with %zu settings in %s\n", args[1].c_str(),
                lines.size(), U8(serverIni).c_str());
  }
  return kExitOk;
}

}  // namespace drvhost
