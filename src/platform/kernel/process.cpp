// Programs started from the driver: the host file behind the Windows path runs as a child
// process; its handle is waitable and answers its exit code.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "core/handles.h"
#include "plat/paths.h"
#include "plat/wstr.h"
#include "win/process.h"

extern char** environ;

namespace {

class ProcessObject : public plat::KernelObject, public plat::Waitable {
 public:
  explicit ProcessObject(pid_t pid) : pid_(pid) {}
  ~ProcessObject() override {
    // A child nobody waits for any more is left to run; reaping it keeps no zombie.
    std::lock_guard<std::mutex> g(m_);
    if (!ended_) std::thread([pid = pid_] { waitpid(pid, nullptr, 0); }).detach();
  }
  plat::ObjectKind Kind() const override { return plat::ObjectKind::Other; }

  DWORD Wait(DWORD milliseconds) override {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;) {
      if (Poll()) return WAIT_OBJECT_0;
      if (milliseconds != INFINITE && std::chrono::steady_clock::now() >= until) return WAIT_TIMEOUT;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }
  bool Terminate(UINT code) {
    std::lock_guard<std::mutex> g(m_);
    if (ended_) return true;
    if (kill(pid_, SIGKILL) != 0) return false;
    waitpid(pid_, nullptr, 0);
    ended_ = true;
    exitCode_ = code;
    return true;
  }
  DWORD ExitCode() {
    Poll();
    std::lock_guard<std::mutex> g(m_);
    return ended_ ? exitCode_ : STILL_ACTIVE;
  }

 private:
  bool Poll() {
    std::lock_guard<std::mutex> g(m_);
    if (ended_) return true;
    int status = 0;
    const pid_t r = waitpid(pid_, &status, WNOHANG);
    if (r != pid_) return false;
    ended_ = true;
    exitCode_ = WIFEXITED(status) ? static_cast<DWORD>(WEXITSTATUS(status)) : 1u;
    return true;
  }
  std::mutex m_;
  pid_t pid_;
  bool ended_ = false;
  DWORD exitCode_ = STILL_ACTIVE;
};

std::shared_ptr<ProcessObject> ProcessOf(HANDLE h) {
  auto obj = plat::LookupHandle(h);
  return std::dynamic_pointer_cast<ProcessObject>(obj);
}

}  // namespace

extern "C" {

BOOL WINAPI CreateProcessW(LPCWSTR lpApplicationName, LPWSTR, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES, BOOL,
                           DWORD, LPVOID, LPCWSTR lpCurrentDirectory, STARTUPINFOW*,
                           PROCESS_INFORMATION* lpProcessInformation) {
  if (!lpApplicationName || !lpProcessInformation) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::string program;
  if (plat::MapPath(lpApplicationName, program) != ERROR_SUCCESS || access(program.c_str(), X_OK) != 0) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return FALSE;
  }
  std::string directory;
  if (lpCurrentDirectory && plat::MapPath(lpCurrentDirectory, directory) != ERROR_SUCCESS) {
    SetLastError(ERROR_DIRECTORY);
    return FALSE;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (!directory.empty()) posix_spawn_file_actions_addchdir_np(&actions, directory.c_str());
  char* argv[] = {program.data(), nullptr};
  pid_t pid = 0;
  const int failed = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  if (failed) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return FALSE;
  }
  auto process = std::make_shared<ProcessObject>(pid);
  lpProcessInformation->hProcess = plat::InsertHandle(process);
  lpProcessInformation->hThread = plat::InsertHandle(process);
  lpProcessInformation->dwProcessId = static_cast<DWORD>(pid);
  lpProcessInformation->dwThreadId = static_cast<DWORD>(pid);
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

BOOL WINAPI TerminateProcess(HANDLE hProcess, UINT uExitCode) {
  auto process = ProcessOf(hProcess);
  if (!process) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return process->Terminate(uExitCode) ? TRUE : FALSE;
}

BOOL WINAPI GetExitCodeProcess(HANDLE hProcess, DWORD* lpExitCode) {
  auto process = ProcessOf(hProcess);
  if (!process || !lpExitCode) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  *lpExitCode = process->ExitCode();
  return TRUE;
}

}  // extern "C"
