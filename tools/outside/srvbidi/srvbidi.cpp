// Srvbidi.dll: a configuration-server connector that serves the printers of the machine from
// a server folder in the Windows folder, "Srvbidi". Its "Srvbidi.ini" has a section per
// printer display name:
//   Type=<n>               the server type (17, 18, 19 or another: no server)
//   Printer=<name>         the server's name of the printer (sent without its NUL when it
//                          fills the 520-byte buffer)
//   Data.<value>=<hex>     a printer-data value of the server printer, as hex bytes
//   DevmodeSize=<n>        the size of the server's device-mode; its byte i is i & 0xFF
//   Fail=<export>          that export answers error 5 for the printer
// and a section "Server" whose "Fail=<export>" makes that export fail for every printer
// (the exports that name no printer: the connection and the file exports).
// Every other file of the folder is a file of the server, served by its name (the part of
// the requested path after its last ""); a destination that begins with "%SystemDrive%"
// lands on the drive of the Windows folder.
// So that a caller's use can be seen in the file: each device-mode delivered adds one to
// "Devmodes", a cleared saved information sets "Cleared=1", the device-mode conversion named
// to the server sets "SetDevmode=<library>", each file copied adds one to "Files" of section
// "Server" and a file asked for that the server lacks is named in its "Missing". RMRegFileGetData serves nothing: it answers error 50.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "outside/config_connector_abi.h"
#include "win/files.h"
#include "win/kernel.h"
#include "win/profile.h"

#define SRVBIDI_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

constexpr DWORD kNotServed = 50;
constexpr DWORD kRefused = 5;
constexpr DWORD kNoFile = 2;

std::u16string WindowsFolder() {
  WCHAR folder[260] = {};
  const UINT n = GetWindowsDirectoryW(folder, 260);
  return std::u16string(folder, n);
}
std::u16string Folder() { return WindowsFolder() + u"\\Srvbidi"; }
std::u16string File() { return Folder() + u"\\Srvbidi.ini"; }

std::u16string Wide(const char* text) {
  std::u16string out;
  for (const char* p = text; p && *p; ++p) out += static_cast<char16_t>(static_cast<unsigned char>(*p));
  return out;
}

std::u16string Read(const std::u16string& section, const std::u16string& key) {
  std::vector<WCHAR> value(4096, 0);
  GetPrivateProfileStringW(section.c_str(), key.c_str(), u"", value.data(), 4096, File().c_str());
  return value.data();
}
long Number(const std::u16string& text) {
  std::string narrow(text.begin(), text.end());
  return std::strtol(narrow.c_str(), nullptr, 0);
}
void Count(const std::u16string& section, const char16_t* key) {
  const long n = Number(Read(section, key)) + 1;
  char digits[24];
  std::snprintf(digits, sizeof digits, "%ld", n);
  WritePrivateProfileStringW(section.c_str(), key, Wide(digits).c_str(), File().c_str());
}

// The section served under the server's printer name (the "Printer" key of a section).
std::u16string SectionOfServerName(const char* serverPrinter) {
  std::vector<WCHAR> names(16384, 0);
  GetPrivateProfileSectionNamesW(names.data(), 16384, File().c_str());
  const std::u16string wanted = Wide(serverPrinter);
  for (const WCHAR* p = names.data(); *p; p += std::char_traits<char16_t>::length(p) + 1) {
    const std::u16string section = p;
    if (Read(section, u"Printer") == wanted) return section;
  }
  return {};
}

bool Fails(const std::u16string& section, const char16_t* exportName) {
  return Read(section, u"Fail") == exportName || Read(u"Server", u"Fail") == exportName;
}

// The server's file that serves a requested path.
std::u16string ServedFile(const char* source) {
  const std::u16string path = Wide(source);
  const std::size_t slash = path.rfind(u'\\');
  return Folder() + u"\\" + (slash == std::u16string::npos ? path : path.substr(slash + 1));
}

// A destination on this machine: a leading "%SystemDrive%" is the Windows folder's drive.
std::u16string LocalPath(const char* destination) {
  static const std::u16string kDrive = u"%SYSTEMDRIVE%";
  std::u16string path = Wide(destination);
  if (path.size() >= kDrive.size()) {
    bool same = true;
    for (std::size_t i = 0; i < kDrive.size() && same; ++i) {
      char16_t c = path[i];
      if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
      same = c == kDrive[i];
    }
    if (same) path = WindowsFolder().substr(0, 2) + path.substr(kDrive.size());
  }
  return path;
}

bool ReadAll(const std::u16string& path, std::vector<BYTE>& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                            nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD high = 0;
  const DWORD size = GetFileSize(file, &high);
  bytes.assign(size, 0);
  DWORD read = 0;
  const bool ok = high == 0 && (size == 0 || (ReadFile(file, bytes.data(), size, &read, nullptr) && read == size));
  CloseHandle(file);
  return ok;
}

// The connection handle names no section: the calls that use one pass the server's name.
DWORD g_nextConnection = 1;

}  // namespace

SRVBIDI_EXPORT DWORD WINAPI RMGetServerType(const WCHAR* printer, DWORD nameBytes, DWORD answerBytes, WCHAR* name,
                                            BYTE* answer) {
  if (!printer || !name) return 0;
  const std::u16string section = printer;
  if (Fails(section, u"RMGetServerType")) return 0;
  const std::u16string server = Read(section, u"Printer");
  std::memset(name, 0, nameBytes);
  const std::size_t units = nameBytes / sizeof(WCHAR);
  std::memcpy(name, server.data(), (server.size() < units ? server.size() : units) * sizeof(WCHAR));
  if (answer) std::memset(answer, 0, answerBytes);
  return static_cast<DWORD>(Number(Read(section, u"Type")));
}

SRVBIDI_EXPORT DWORD WINAPI RMSaveInformationClear(const WCHAR* printer, DWORD) {
  if (!printer || Fails(printer, u"RMSaveInformationClear")) return kRefused;
  WritePrivateProfileStringW(printer, u"Cleared", u"1", File().c_str());
  return 0;
}

SRVBIDI_EXPORT DWORD WINAPI RMPrintConfigConnect(DWORD, DWORD* connection, BYTE*) {
  if (!connection || Fails(u"Server", u"RMPrintConfigConnect")) return kRefused;
  *connection = g_nextConnection++;
  return 0;
}

SRVBIDI_EXPORT DWORD WINAPI RMPrintConfigConnectEx(DWORD type, DWORD* connection, BYTE* block, BYTE*, DWORD* out) {
  if (out) *out = 0;
  if (Fails(u"Server", u"RMPrintConfigConnectEx")) return kRefused;
  return RMPrintConfigConnect(type, connection, block);
}

SRVBIDI_EXPORT DWORD WINAPI RMPrintConfigDisConnect(DWORD connection, BYTE*, DWORD) {
  return connection && !Fails(u"Server", u"RMPrintConfigDisConnect") ? 0 : kRefused;
}

SRVBIDI_EXPORT DWORD WINAPI RMClientOSType(DWORD, DWORD, OSVERSIONINFOW* version) {
  if (!version || Fails(u"Server", u"RMClientOSType")) return kRefused;
  std::memset(version, 0, sizeof *version);
  version->dwOSVersionInfoSize = sizeof *version;
  version->dwMajorVersion = 10;
  version->dwPlatformId = 2;
  return 0;
}

SRVBIDI_EXPORT DWORD WINAPI RMRegFileGetSize(DWORD, DWORD, const char* source, DWORD, const char*, DWORD* size) {
  if (!source || !size || Fails(u"Server", u"RMRegFileGetSize")) return kRefused;
  std::vector<BYTE> bytes;
  if (!ReadAll(ServedFile(source), bytes)) {
    WritePrivateProfileStringW(u"Server", u"Missing", Wide(source).c_str(), File().c_str());
    return kNoFile;
  }
  *size = static_cast<DWORD>(bytes.size());
  return 0;
}

SRVBIDI_EXPORT DWORD WINAPI RMRegFileGetData(DWORD, DWORD, const char*, DWORD, BYTE*) { return kNotServed; }

SRVBIDI_EXPORT DWORD WINAPI RMGetDataFile(DWORD, DWORD, const char* source, const char* destination, DWORD, DWORD,
                                          DWORD size) {
  if (!source || !destination || Fails(u"Server", u"RMGetDataFile")) return kRefused;
  std::vector<BYTE> bytes;
  if (!ReadAll(ServedFile(source), bytes)) return kNoFile;
  if (bytes.size() != size) return kRefused;
  HANDLE file = CreateFileW(LocalPath(destination).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return kRefused;
  DWORD written = 0;
  const bool ok = size == 0 || (WriteFile(file, bytes.data(), size, &written, nullptr) && written == size);
  CloseHandle(file);
  if (!ok) return kRefused;
  Count(u"Server", u"Files");
  return 0;
}

SRVBIDI_EXPORT DWORD WINAPI RMSetDevmode(DWORD, const WCHAR* printer, const WCHAR* library, const char*, DWORD,
                                         DWORD) {
  if (!printer || !library || Fails(printer, u"RMSetDevmode")) return kRefused;
  WritePrivateProfileStringW(printer, u"SetDevmode", library, File().c_str());
  return 0;
}

SRVBIDI_EXPORT DWORD WINAPI RMSaveDevmodeClear(const WCHAR* printer, DWORD) {
  return printer && !Fails(printer, u"RMSaveDevmodeClear") ? 0 : kRefused;
}

SRVBIDI_EXPORT DWORD WINAPI RMGetPrinterDataSize(DWORD, DWORD, const char* serverPrinter, const char*,
                                                 const char* value, DWORD* size) {
  const std::u16string section = SectionOfServerName(serverPrinter);
  if (!size || section.empty() || Fails(section, u"RMGetPrinterDataSize")) return kRefused;
  const std::u16string hex = Read(section, u"Data." + Wide(value));
  if (hex.empty()) return kRefused;
  *size = static_cast<DWORD>(hex.size() / 2);
  return 0;
}

SRVBIDI_EXPORT DWORD WINAPI RMGetPrinterData(DWORD, DWORD, const char* serverPrinter, const char*, const char* value,
                                             DWORD size, BYTE* buffer) {
  const std::u16string section = SectionOfServerName(serverPrinter);
  if (!buffer || section.empty() || Fails(section, u"RMGetPrinterData")) return kRefused;
  const std::u16string hex = Read(section, u"Data." + Wide(value));
  if (hex.size() / 2 > size) return kRefused;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    const std::string two(hex.begin() + static_cast<std::ptrdiff_t>(i), hex.begin() + static_cast<std::ptrdiff_t>(i) + 2);
    buffer[i / 2] = static_cast<BYTE>(std::strtoul(two.c_str(), nullptr, 16));
  }
  return 0;
}

SRVBIDI_EXPORT DWORD WINAPI RMDevmodeSize(DWORD, DWORD, const char* serverPrinter, DWORD* size) {
  const std::u16string section = SectionOfServerName(serverPrinter);
  if (!size || section.empty() || Fails(section, u"RMDevmodeSize")) return kRefused;
  *size = static_cast<DWORD>(Number(Read(section, u"DevmodeSize")));
  return 0;
}

SRVBIDI_EXPORT DWORD WINAPI RMDevmode(DWORD, DWORD, const char* serverPrinter, DWORD size, BYTE* buffer) {
  const std::u16string section = SectionOfServerName(serverPrinter);
  if (!buffer || section.empty() || Fails(section, u"RMDevmode")) return kRefused;
  if (static_cast<DWORD>(Number(Read(section, u"DevmodeSize"))) != size) return kRefused;
  for (DWORD i = 0; i < size; ++i) buffer[i] = static_cast<BYTE>(i & 0xFF);
  Count(section, u"Devmodes");
  return 0;
}
