// The simulated "system" of the platform layer: a root folder that holds drive C:, the
// registry, the spooler's printers, and the machine answers that tests steer.
//
// Everything here is the platform's own interface (not Win32): the host and the tests use
// it to create a root and to set what the machine answers (Windows version, terminal
// server, administrator, locale, code page, user name, clock).
#pragma once

// Exported by the platform library (built with hidden visibility otherwise).
#pragma GCC visibility push(default)

#include <string>

#include "win/types.h"

namespace plat {

// The machine's answers. Defaults: Windows 10.0 on NT, no terminal server, an
// administrator, US English, code page 1252.
struct MachineSettings {
  DWORD majorVersion = 10;
  DWORD minorVersion = 0;
  DWORD buildNumber = 19045;
  DWORD platformId = 2;  // VER_PLATFORM_WIN32_NT
  WORD servicePackMajor = 0;
  WORD servicePackMinor = 0;
  std::u16string csdVersion;  // "Service Pack 4" etc.
  WORD suiteMask = 0x0100;    // VER_SUITE_SINGLEUSERTS
  BYTE productType = 1;       // VER_NT_WORKSTATION
  bool terminalServer = false;
  bool administrator = true;
  LCID userLcid = 0x0409;
  LCID systemLcid = 0x0409;
  UINT ansiCodePage = 1252;
  UINT oemCodePage = 437;
  std::u16string userName = u"KovaUser";
  std::u16string computerName = u"KOVAHOST";
};

// Named presets for the Windows versions the driver branches on.
enum class WindowsVersion { Win2000Sp4, WinXP, Server2003, Vista, Win10 };
void SetWindowsVersion(WindowsVersion v);

// Sets the root folder (created when missing, with drive C: and the Windows folders in
// it) and takes the root's machine settings (the defaults for a root that has none). The root defaults to the
// environment variable KOVA_SYSTEM_ROOT, or a folder under /tmp for this process.
bool SetSystemRoot(const std::string& hostDir);
// The root folder in host form (no trailing slash). Sets up the default root on first use.
const std::string& SystemRoot();
// The host folder that holds a drive letter's files: <root>/drives/<letter>.
std::string DriveFolder(char letter);
// Host folder for the platform's own stores inside the root (registry, spooler...).
std::string StoreFolder(const char* name);
// Each process keeps the registry, spooler and attribute stores in memory and re-reads a
// store only when a writer marked it changed. A tool or test that edits a store's files by
// hand calls this afterwards so that every process of the root reads them again.
void NoteStoreFilesChanged();
// The platform remembers names it looked for and did not find until a call of its own makes
// a file or folder appear. A tool or test that creates files in the root by hand (not through
// the platform's calls) calls this afterwards, so that every process looks for them again.
void NoteFilesCreated();

// The machine's settings. A root keeps them in its store (store/machine/settings.ini):
// SetSystemRoot takes them from there, or the defaults when the root has none, and every
// call follows what another process saved since. A change made here stays with this
// process until it is saved.
MachineSettings& Machine();
// Writes the machine's settings into the root's store, for every process of the root.
// False when the file could not be written.
bool SaveMachineSettings();
// Rebuilds the initial environment from the current system root and machine settings.
// The environment is also rebuilt on its own when the system root changes.
void ResetEnvironment();

// Number of open handles of every kind (for leak checks in tests).
std::size_t OpenHandleCount();
void ResetMachine();

// Test clock. By default GetTickCount and GetLocalTime follow the real clock; once a test
// sets the clock it stays where it is put until advanced or released.
void SetTestTickCount(DWORD ticks);
void AdvanceTestClock(DWORD ms);
void SetTestLocalTime(const SYSTEMTIME& t);
void UseRealClock();
// Failure injection for tests: every global, local, heap or low-memory allocation of exactly
// this many bytes fails with ERROR_NOT_ENOUGH_MEMORY; 0 turns it off.
void FailAllocationsOfSize(SIZE_T bytes);
// True when an allocation of this many bytes is to fail (the allocators ask it).
bool IsAllocationFailureInjected(SIZE_T bytes);
DWORD CurrentTickCount();
SYSTEMTIME CurrentLocalTime();
// The 64-bit tick count (the test clock's ticks while it is set) and the UTC time (while a
// test local time is set the machine is taken to run on UTC, so both answer the same).
ULONGLONG CurrentTickCount64();
SYSTEMTIME CurrentSystemTime();

// Windows paths of the system: C:\Windows, C:\Windows\system32, the spooler's driver
// directory, the profile directory of the user.
std::u16string WindowsDirectory();
std::u16string SystemDirectory();
std::u16string PrinterDriverDirectory();
std::u16string UserProfileDirectory();

}  // namespace plat

#pragma GCC visibility pop
