// What the entry-point fuzz targets share: a system root with printers of the unit tests'
// model, set up once per process; a reader of the fuzz bytes; caller buffers of exact size
// (so that ASan sees any byte read or written past them); and device-modes built from the
// fuzz bytes.
//
// A device-mode of the input is described as
//   u8 base, u8 patch count, for the base "raw" a u16 length and that many bytes, a u16
//   dmSize and a u16 dmDriverExtra when the base asks for them, then per patch
//   {u16 offset, u16 value} (all little-endian).
// The base (bits 0-1) is the driver's own device-mode (1236 bytes, as the printer answers
// it), its public part alone (dmDriverExtra 0), a version 0x320 public part (188 bytes) or
// the raw bytes; bit 2 replaces dmSize, bit 3 dmDriverExtra (the sizes decide how much the
// driver may touch, so they are not left to chance); each patch writes a 16-bit value at an
// offset of the base (taken modulo the base's length), so that a few bytes of input reach
// any field of a good device-mode.
//
// A caller hands the driver a device-mode by its address alone: the driver may read and
// write its dmSize + dmDriverExtra bytes and no more. Such a buffer is made of exactly that
// many bytes, but never fewer than the header through dmDriverExtra (72 bytes), which the
// driver has to read to learn the sizes at all.
#pragma once

#include <stdlib.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "build_paths.h"
#include "base/system_checks.h"
#include "plat/paths.h"
#include "plat/spooler_setup.h"
#include "plat/system.h"
#include "win/devmode.h"
#include "win/loader.h"
#include "win/spool.h"
#include "win/types.h"

namespace kovafuzz {

// The bytes of a device-mode through dmDriverExtra.
constexpr std::size_t kDevmodeHeaderBytes = 72;
// The driver's whole device-mode: public part and private block.
constexpr std::size_t kWholeDevmodeBytes = 1236;
constexpr std::size_t kPublicBytes = 220;
constexpr std::size_t kPublic320Bytes = 188;
// The most raw device-mode bytes and output bytes an input may give.
constexpr std::size_t kMaxBuffer = 8192;
constexpr int kMaxPatches = 32;

// The test clock stands still within an input and moves on by this much before the next,
// so that a context a library keeps cached has expired when the next input looks for one.
constexpr DWORD kTimeBetweenInputs = 1000;

// Reads the fuzz bytes front to back; past the end every read answers 0.
class ByteReader {
 public:
  ByteReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  std::uint8_t U8() { return at_ < size_ ? data_[at_++] : 0; }
  std::uint16_t U16() {
    const std::uint16_t low = U8();
    return static_cast<std::uint16_t>(low | (U8() << 8));
  }
  std::uint32_t U32() {
    const std::uint32_t low = U16();
    return low | (static_cast<std::uint32_t>(U16()) << 16);
  }
  std::vector<BYTE> Take(std::size_t n) {
    if (n > size_ - at_) n = size_ - at_;
    std::vector<BYTE> bytes(data_ + at_, data_ + at_ + n);
    at_ += n;
    return bytes;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

// A caller's buffer of exactly `size` bytes on the heap (malloc(0) included, which ASan
// gives no byte), filled from `content` and zero beyond it.
class ExactBuffer {
 public:
  ExactBuffer(const std::vector<BYTE>& content, std::size_t size) : size_(size) {
    bytes_ = static_cast<BYTE*>(::malloc(size));
    if (!bytes_ && size) ::abort();
    if (size) {
      std::memset(bytes_, 0, size);
      if (!content.empty()) std::memcpy(bytes_, content.data(), content.size() < size ? content.size() : size);
    }
  }
  ~ExactBuffer() { ::free(bytes_); }
  ExactBuffer(const ExactBuffer&) = delete;
  ExactBuffer& operator=(const ExactBuffer&) = delete;

  BYTE* Bytes() { return bytes_; }
  DEVMODEW* Devmode() { return reinterpret_cast<DEVMODEW*>(bytes_); }
  std::size_t Size() const { return size_; }

 private:
  BYTE* bytes_ = nullptr;
  std::size_t size_ = 0;
};

inline WORD WordAt(const std::vector<BYTE>& bytes, std::size_t offset) {
  if (offset + 2 > bytes.size()) return 0;
  return static_cast<WORD>(bytes[offset] | (bytes[offset + 1] << 8));
}

// dmSize + dmDriverExtra of device-mode bytes, never less than the header.
inline std::size_t DeclaredDevmodeBytes(const std::vector<BYTE>& bytes) {
  const std::size_t declared =
      std::size_t{WordAt(bytes, offsetof(DEVMODEW, dmSize))} + WordAt(bytes, offsetof(DEVMODEW, dmDriverExtra));
  return declared < kDevmodeHeaderBytes ? kDevmodeHeaderBytes : declared;
}

// The content of a device-mode as the fuzz bytes describe it (see the top of this file).
inline std::vector<BYTE> ReadDevmodeBytes(ByteReader& in, const std::vector<BYTE>& own) {
  const std::uint8_t kind = in.U8();
  const int patches = in.U8() % (kMaxPatches + 1);
  std::vector<BYTE> bytes;
  switch (kind & 3) {
    case 0: bytes = own; break;
    case 1:
      bytes.assign(own.begin(), own.begin() + static_cast<std::ptrdiff_t>(kPublicBytes));
      bytes[offsetof(DEVMODEW, dmDriverExtra)] = 0;
      bytes[offsetof(DEVMODEW, dmDriverExtra) + 1] = 0;
      break;
    case 2:
      bytes.assign(own.begin(), own.begin() + static_cast<std::ptrdiff_t>(kPublic320Bytes));
      bytes[offsetof(DEVMODEW, dmSpecVersion)] = 0x20;
      bytes[offsetof(DEVMODEW, dmSpecVersion) + 1] = 0x03;
      bytes[offsetof(DEVMODEW, dmSize)] = static_cast<BYTE>(kPublic320Bytes);
      bytes[offsetof(DEVMODEW, dmSize) + 1] = 0;
      bytes[offsetof(DEVMODEW, dmDriverExtra)] = 0;
      bytes[offsetof(DEVMODEW, dmDriverExtra) + 1] = 0;
      break;
    default: {
      const std::size_t n = in.U16() % (kMaxBuffer + 1);
      bytes = in.Take(n);
      break;
    }
  }
  auto put = [&bytes](std::size_t at, std::uint16_t value) {
    if (at < bytes.size()) bytes[at] = static_cast<BYTE>(value);
    if (at + 1 < bytes.size()) bytes[at + 1] = static_cast<BYTE>(value >> 8);
  };
  if (kind & 4) put(offsetof(DEVMODEW, dmSize), in.U16());
  if (kind & 8) put(offsetof(DEVMODEW, dmDriverExtra), in.U16());
  for (int i = 0; i < patches; ++i) {
    const std::uint16_t offset = in.U16();
    const std::uint16_t value = in.U16();
    if (!bytes.empty()) put(offset % bytes.size(), value);
  }
  return bytes;
}

// A device-mode handed in by its address alone: a buffer of its declared size.
inline std::size_t CallerDevmodeSize(const std::vector<BYTE>& bytes) { return DeclaredDevmodeBytes(bytes); }

inline std::string ReadHostFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "fuzz set-up: cannot read %s\n", path.c_str());
    ::abort();
  }
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// The files of a system root as they stood at one moment, put back after each input so
// that every input meets the printers in the same state (an input then always does the
// same, and a finding reproduces from its file alone). The platform's lock files, its
// sharing markers and the stores' change counters are left alone; a file is rewritten
// only when its size or time changed, and one larger than 1 MiB (a driver library) must
// not change at all.
class RootSnapshot {
 public:
  void Take(const std::string& root) {
    root_ = root;
    files_.clear();
    folders_.clear();
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root_)) {
      const std::string relative = std::filesystem::relative(entry.path(), root_).string();
      if (Ignored(relative)) continue;
      if (entry.is_directory()) {
        folders_.push_back(relative);
      } else if (entry.is_regular_file()) {
        File file;
        file.size = entry.file_size();
        if (file.size <= kLargestKept) file.bytes = ReadHostFile(entry.path().string());
        file.time = std::filesystem::last_write_time(entry.path());
        files_.emplace(relative, std::move(file));
      }
    }
  }

  void Restore() {
    std::error_code ec;
    std::vector<std::filesystem::path> extra;
    bool changed = false;
    for (auto it = std::filesystem::recursive_directory_iterator(root_, ec);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
      const std::string relative = std::filesystem::relative(it->path(), root_, ec).string();
      if (Ignored(relative)) continue;
      if (it->is_directory(ec)) {
        if (std::find(folders_.begin(), folders_.end(), relative) == folders_.end()) extra.push_back(it->path());
      } else if (!files_.count(relative)) {
        extra.push_back(it->path());
      }
    }
    for (const auto& path : extra) {
      std::filesystem::remove_all(path, ec);
      changed = true;
    }
    for (const std::string& folder : folders_) std::filesystem::create_directories(root_ + "/" + folder, ec);
    for (const auto& [relative, file] : files_) {
      const std::string path = root_ + "/" + relative;
      if (std::filesystem::exists(path, ec) && std::filesystem::file_size(path, ec) == file.size &&
          std::filesystem::last_write_time(path, ec) == file.time)
        continue;
      if (file.size > kLargestKept) {
        std::fprintf(stderr, "fuzz: %s changed and cannot be put back\n", relative.c_str());
        ::abort();
      }
      std::ofstream(path, std::ios::binary | std::ios::trunc) << file.bytes;
      std::filesystem::last_write_time(path, file.time, ec);
      changed = true;
    }
    if (changed) {
      plat::NoteStoreFilesChanged();
      plat::NoteFilesCreated();
    }
  }

 private:
  // Larger files (a driver library) are not kept: a change of one stops the run.
  static constexpr std::uintmax_t kLargestKept = 1 << 20;
  struct File {
    std::uintmax_t size = 0;
    std::string bytes;
    std::filesystem::file_time_type time;
  };
  static bool Ignored(const std::string& relative) {
    return relative.rfind("store/mutex", 0) == 0 || relative.rfind("store/sharing", 0) == 0 ||
           relative.rfind("store/changes", 0) == 0 ||
           (relative.size() > 5 && relative.compare(relative.size() - 5, 5, ".lock") == 0);
  }

  std::string root_;
  std::map<std::string, File> files_;
  std::vector<std::string> folders_;
};

// The machine a call runs on, from one byte of the input: the Windows version (the driver
// branches on Windows 2000 before and after service pack 4, XP and Vista), a terminal
// server (bit 3) and an administrator (bit 4 clear); the driver's answers kept about the
// machine are forgotten. Put back with Restore.
class MachineChoice {
 public:
  MachineChoice() : base_(plat::Machine()) {}
  void Apply(std::uint8_t choice) {
    plat::Machine() = base_;
    switch (choice & 7) {
      case 1: plat::SetWindowsVersion(plat::WindowsVersion::Vista); break;
      case 2: plat::SetWindowsVersion(plat::WindowsVersion::WinXP); break;
      case 3: plat::SetWindowsVersion(plat::WindowsVersion::Win2000Sp4); break;
      case 4: plat::SetWindowsVersion(plat::WindowsVersion::Server2003); break;
      case 5:
        // Windows 2000 before its fourth service pack.
        plat::SetWindowsVersion(plat::WindowsVersion::Win2000Sp4);
        plat::Machine().servicePackMajor = 3;
        plat::Machine().csdVersion = u"Service Pack 3";
        break;
      default: break;  // the root's own machine
    }
    plat::Machine().terminalServer = (choice & 8) != 0;
    plat::Machine().administrator = (choice & 16) == 0;
    ResetSystemTestCaches();
  }
  // The machine as it was, and the driver's kept answers about it forgotten.
  void Restore() {
    plat::Machine() = base_;
    ResetSystemTestCaches();
  }

 private:
  plat::MachineSettings base_;
};

// The model and UI resources of the unit tests' printer, as the tests install it: the
// data file C:\drv\KOVA.KPD, the UI resource script and its cursors in C:\drv.
inline constexpr const char16_t* kDriverFolder = u"C:\\drv\\";
inline constexpr const char16_t* kDataFile = u"C:\\drv\\KOVA.KPD";

inline std::string FixturePath(const std::string& relative) {
  return kovatest::SourceDir() + "/tests/fixtures/" + relative;
}

// A system root in a temporary folder, removed when the process ends normally (a crash
// leaves it for a look).
class FuzzRoot {
 public:
  FuzzRoot() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "kova-fuzz-XXXXXX").string();
    if (!::mkdtemp(tmpl.data())) ::abort();
    host_ = tmpl;
    plat::SetSystemRoot(host_);
    plat::SetCurrentDirectoryPath(u"C:\\");
    WriteFile(kDataFile, ReadHostFile(FixturePath("model/printer.kmd")));
    WriteFile(std::u16string(kDriverFolder) + u"KOVAUIUS.rc", ReadHostFile(FixturePath("ui/printer_ui.rc")));
    WriteFile(std::u16string(kDriverFolder) + u"hand.cur", ReadHostFile(FixturePath("ui/hand.cur")));
    WriteFile(std::u16string(kDriverFolder) + u"hand_pressed.cur", ReadHostFile(FixturePath("ui/hand_pressed.cur")));
    // Every context loads the UI resource module and frees it again; one reference held
    // here keeps the script parsed once for the process, as a spooler keeps it mapped.
    uiModule_ = LoadLibraryW((std::u16string(kDriverFolder) + u"KOVAUIUS.dll").c_str());
  }
  ~FuzzRoot() {
    if (uiModule_) FreeLibrary(uiModule_);
    plat::ResetMachine();
    std::error_code ec;
    std::filesystem::remove_all(host_, ec);
  }
  FuzzRoot(const FuzzRoot&) = delete;
  FuzzRoot& operator=(const FuzzRoot&) = delete;

  const std::string& Host() const { return host_; }

  std::string HostPath(const std::u16string& winPath) const {
    plat::NoteFilesCreated();
    std::string host;
    plat::MapPath(winPath.c_str(), host);
    return host;
  }
  void WriteFile(const std::u16string& winPath, const std::string& bytes) const {
    const std::string host = HostPath(winPath);
    std::filesystem::create_directories(std::filesystem::path(host).parent_path());
    std::ofstream(host, std::ios::binary) << bytes;
    plat::NoteFilesCreated();
  }

  // A printer of the unit tests' driver. With a server name it is a connection
  // ("\\SERVER\name").
  static void InstallPrinter(const std::u16string& name, const std::u16string& serverName = u"",
                             std::vector<plat::spooler::DataValue> data = {}, std::vector<BYTE> devmode = {}) {
    plat::spooler::PrinterSetup setup;
    setup.name = name;
    setup.serverName = serverName;
    setup.driver.name = u"KOVA Sample Driver";
    setup.driver.driverPath = u"C:\\drv\\Rendara.dll";
    setup.driver.configFile = u"C:\\drv\\Panelis.dll";
    setup.driver.helpFile = u"C:\\drv\\KOVAUS.HLP";
    setup.driver.dataFile = kDataFile;
    setup.data = std::move(data);
    setup.devmode = std::move(devmode);
    if (plat::spooler::InstallPrinter(setup) != 0) {
      std::fprintf(stderr, "fuzz set-up: cannot install a printer\n");
      ::abort();
    }
  }

  static HANDLE Open(const std::u16string& name) {
    HANDLE printer = nullptr;
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
    if (!OpenPrinterW(const_cast<LPWSTR>(name.c_str()), &printer, &defaults)) return nullptr;
    return printer;
  }

 private:
  std::string host_;
  HMODULE uiModule_ = nullptr;
};

}  // namespace kovafuzz
