#include "plat/system.h"

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

#include "machine_store.h"
#include "plat/wstr.h"
#include "store_changes.h"

namespace fs = std::filesystem;

namespace plat {
namespace {

struct State {
  std::recursive_mutex lock;
  std::atomic<bool> rootReady{false};  // root set: read without the lock
  std::string root;
  MachineSettings machine;
  // The text of the root's settings file that `machine` was last taken from or saved as
  // (empty: the root has none), and the counter mark it was last compared at.
  std::string machineText;
  std::atomic<std::uint64_t> machineRoot{0};
  std::atomic<std::uint64_t> machineCount{0};
  std::atomic<std::uint64_t> machineGeneration{0};
  bool testClock = false;
  DWORD testTicks = 0;
  bool testTime = false;
  SYSTEMTIME testLocalTime{};
  std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
  // Store folders made sure of in this root: each is created once, not at every call.
  std::vector<std::pair<std::string, std::string>> storeFolders;
};

State& state() {
  static State* s = new State;
  return *s;
}

void MakeSystemFolders(const std::string& root, const MachineSettings& m) {
  std::error_code ec;
  fs::create_directories(root + "/drives/c/Windows/system32/spool/DRIVERS/x64/3", ec);
  fs::create_directories(root + "/drives/c/Users/" + ToUtf8(m.userName), ec);
  fs::create_directories(root + "/drives/c/Program Files", ec);
  fs::create_directories(root + "/store", ec);
}

}  // namespace

void SetWindowsVersion(WindowsVersion v) {
  auto& m = Machine();
  m.servicePackMajor = 0;
  m.servicePackMinor = 0;
  m.csdVersion.clear();
  m.platformId = 2;
  m.productType = 1;
  switch (v) {
    case WindowsVersion::Win2000Sp4:
      m.majorVersion = 5; m.minorVersion = 0; m.buildNumber = 2195;
      m.servicePackMajor = 4; m.csdVersion = u"Service Pack 4";
      break;
    case WindowsVersion::WinXP:
      m.majorVersion = 5; m.minorVersion = 1; m.buildNumber = 2600;
      m.servicePackMajor = 3; m.csdVersion = u"Service Pack 3";
      break;
    case WindowsVersion::Server2003:
      m.majorVersion = 5; m.minorVersion = 2; m.buildNumber = 3790; m.productType = 3;
      break;
    case WindowsVersion::Vista:
      m.majorVersion = 6; m.minorVersion = 0; m.buildNumber = 6002;
      m.servicePackMajor = 2; m.csdVersion = u"Service Pack 2";
      break;
    case WindowsVersion::Win10:
      m.majorVersion = 10; m.minorVersion = 0; m.buildNumber = 19045;
      break;
  }
}

bool SetSystemRoot(const std::string& hostDir) {
  auto& s = state();
  std::lock_guard<std::recursive_mutex> g(s.lock);
  std::error_code ec;
  fs::create_directories(hostDir, ec);
  if (!fs::is_directory(hostDir, ec)) return false;
  s.root = fs::absolute(hostDir, ec).lexically_normal().string();
  while (s.root.size() > 1 && s.root.back() == '/') s.root.pop_back();
  // The root's own machine, or the defaults for a root that has none.
  const std::optional<std::string> text = machine::ReadText(s.root);
  s.machine = text ? machine::Parse(*text) : MachineSettings{};
  s.machineText = text.value_or(std::string());
  s.machineRoot.store(0, std::memory_order_release);  // compared again at the next call
  s.storeFolders.clear();
  MakeSystemFolders(s.root, s.machine);
  changes::NoteNewRoot();
  s.rootReady.store(true, std::memory_order_release);
  return true;
}

const std::string& SystemRoot() {
  auto& s = state();
  // Once set, the root changes only when a test sets another one, as the callers that keep
  // the reference have always assumed.
  if (s.rootReady.load(std::memory_order_acquire)) return s.root;
  std::lock_guard<std::recursive_mutex> g(s.lock);
  if (s.root.empty()) {
    const char* env = std::getenv("KOVA_SYSTEM_ROOT");
    std::string dir = env && *env ? std::string(env) : "/tmp/kova-root-" + std::to_string(::getpid());
    SetSystemRoot(dir);
  }
  return s.root;
}

std::string DriveFolder(char letter) {
  if (letter >= 'A' && letter <= 'Z') letter = static_cast<char>(letter - 'A' + 'a');
  return SystemRoot() + "/drives/" + std::string(1, letter);
}

std::string StoreFolder(const char* name) {
  auto& s = state();
  std::lock_guard<std::recursive_mutex> g(s.lock);
  std::string dir = SystemRoot() + "/store/" + name;
  for (const auto& [known, path] : s.storeFolders)
    if (known == name) return path;
  std::error_code ec;
  fs::create_directories(dir, ec);
  if (fs::is_directory(dir, ec)) s.storeFolders.emplace_back(name, dir);
  return dir;
}

namespace {

// Takes over the root's settings when another process saved them since the last call.
void FollowMachine(State& s) {
  const changes::Mark now = changes::Current(changes::Store::Machine);
  if (now.root == s.machineRoot.load(std::memory_order_acquire) &&
      now.count == s.machineCount.load(std::memory_order_acquire))
    return;
  std::lock_guard<std::recursive_mutex> g(s.lock);
  std::string text = machine::ReadText(s.root).value_or(std::string());
  if (text != s.machineText) {
    s.machine = machine::Parse(text);
    s.machineText = std::move(text);
    s.machineGeneration.fetch_add(1, std::memory_order_acq_rel);
  }
  s.machineCount.store(now.count, std::memory_order_release);
  s.machineRoot.store(now.root, std::memory_order_release);
}

}  // namespace

MachineSettings& Machine() {
  SystemRoot();
  auto& s = state();
  FollowMachine(s);
  return s.machine;
}

bool SaveMachineSettings() {
  SystemRoot();
  auto& s = state();
  {
    std::lock_guard<std::recursive_mutex> g(s.lock);
    std::string text = machine::Format(s.machine);
    if (!machine::WriteText(s.root, text)) return false;
    s.machineText = std::move(text);
    // Compared with the file again at the next call: a save of another process that lands
    // between this write and the counter below is not passed over.
    s.machineRoot.store(0, std::memory_order_release);
  }
  changes::Bump(changes::Store::Machine);
  return true;
}

namespace machine {

std::uint64_t Generation() {
  Machine();
  return state().machineGeneration.load(std::memory_order_acquire);
}

}  // namespace machine

void ResetMachine() {
  auto& s = state();
  std::lock_guard<std::recursive_mutex> g(s.lock);
  s.machine = MachineSettings{};
  s.testClock = false;
  s.testTime = false;
}

void SetTestTickCount(DWORD ticks) {
  auto& s = state();
  std::lock_guard<std::recursive_mutex> g(s.lock);
  s.testClock = true;
  s.testTicks = ticks;
}

void AdvanceTestClock(DWORD ms) {
  auto& s = state();
  std::lock_guard<std::recursive_mutex> g(s.lock);
  if (!s.testClock) {
    s.testTicks = CurrentTickCount();
    s.testClock = true;
  }
  s.testTicks += ms;
}

void SetTestLocalTime(const SYSTEMTIME& t) {
  auto& s = state();
  std::lock_guard<std::recursive_mutex> g(s.lock);
  s.testTime = true;
  s.testLocalTime = t;
}

void UseRealClock() {
  auto& s = state();
  std::lock_guard<std::recursive_mutex> g(s.lock);
  s.testClock = false;
  s.testTime = false;
}

DWORD CurrentTickCount() {
  auto& s = state();
  std::lock_guard<std::recursive_mutex> g(s.lock);
  if (s.testClock) return s.testTicks;
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch());
  return static_cast<DWORD>(ms.count());
}

ULONGLONG CurrentTickCount64() {
  auto& s = state();
  std::lock_guard<std::recursive_mutex> g(s.lock);
  if (s.testClock) return s.testTicks;
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch());
  return static_cast<ULONGLONG>(ms.count());
}

namespace {

// The clock as a SYSTEMTIME, in UTC or local time; a test time stands for both.
SYSTEMTIME ClockTime(bool utc) {
  auto& s = state();
  std::lock_guard<std::recursive_mutex> g(s.lock);
  if (s.testTime) return s.testLocalTime;
  auto now = std::chrono::system_clock::now();
  std::time_t t = std::chrono::system_clock::to_time_t(now);
  std::tm tm{};
  if (utc)
    gmtime_r(&t, &tm);
  else
    localtime_r(&t, &tm);
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  SYSTEMTIME st{};
  st.wYear = static_cast<WORD>(tm.tm_year + 1900);
  st.wMonth = static_cast<WORD>(tm.tm_mon + 1);
  st.wDayOfWeek = static_cast<WORD>(tm.tm_wday);
  st.wDay = static_cast<WORD>(tm.tm_mday);
  st.wHour = static_cast<WORD>(tm.tm_hour);
  st.wMinute = static_cast<WORD>(tm.tm_min);
  st.wSecond = static_cast<WORD>(tm.tm_sec);
  st.wMilliseconds = static_cast<WORD>(ms);
  return st;
}

}  // namespace

SYSTEMTIME CurrentSystemTime() { return ClockTime(true); }
SYSTEMTIME CurrentLocalTime() { return ClockTime(false); }

std::u16string WindowsDirectory() { return u"C:\\Windows"; }
std::u16string SystemDirectory() { return u"C:\\Windows\\system32"; }
std::u16string PrinterDriverDirectory() { return u"C:\\Windows\\system32\\spool\\DRIVERS\\x64"; }
std::u16string UserProfileDirectory() { return u"C:\\Users\\" + Machine().userName; }

}  // namespace plat
