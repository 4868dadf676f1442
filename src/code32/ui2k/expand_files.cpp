#include "expand_files.h"

#include <cstdio>

#include "base/driver_context.h"
#include "base/ini_files.h"
#include "base/paths_and_names.h"
#include "win/kernel.h"
#include "win/process.h"

namespace {

constexpr WCHAR kSection[] = u"Expand File";
constexpr int kMostPrograms = 1000;

void IndexedKey(WCHAR* key, const char* prefix, int index) {
  char text[32];
  std::snprintf(text, sizeof text, "%s%d", prefix, index);
  int i = 0;
  for (; text[i]; ++i) key[i] = static_cast<WCHAR>(text[i]);
  key[i] = 0;
}

// One program of the driver directory, run in the given directory. The install holds the
// driver mutex meanwhile, so a program that hangs is ended once its time is up.
bool RunOne(const WCHAR* driverDirectory, const WCHAR* name, const WCHAR* currentDirectory, DWORD timeoutMs) {
  WCHAR program[MAX_PATH + 1] = {};
  if (JoinPath(program, MAX_PATH, driverDirectory, name) == 0) return false;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = 0;  // SW_HIDE
  WCHAR commandLine[1] = {0};
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(program, commandLine, nullptr, nullptr, FALSE, 0, nullptr, currentDirectory, &startup, &process))
    return false;
  const DWORD waited = WaitForSingleObject(process.hProcess, timeoutMs);
  if (waited != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return waited == WAIT_OBJECT_0;
}

int RunList(const WCHAR* second, const WCHAR* countKey, const char* prefix, const WCHAR* driverDirectory,
            const WCHAR* currentDirectory, DWORD timeoutMs) {
  const int count = ReadIniInt(kSection, countKey, 0, second);
  int finished = 0;
  for (int i = 1; i <= count && i <= kMostPrograms; ++i) {
    WCHAR key[32];
    IndexedKey(key, prefix, i);
    WCHAR name[MAX_PATH + 1] = {};
    ReadIniString(kSection, key, u"", name, MAX_PATH, second);
    if (name[0] && RunOne(driverDirectory, name, currentDirectory, timeoutMs)) ++finished;
  }
  return finished;
}

}  // namespace

int RunExpandFiles(DriverContext* context, DWORD timeoutMs) {
  if (!context || !context->work) return 0;
  const WCHAR* second = GetSecondIniPath(context);
  const WCHAR* driverDirectory = GetDriverDirectory(context);
  if (!second || !second[0] || !driverDirectory || !driverDirectory[0]) return 0;
  WCHAR system[MAX_PATH + 1] = {};
  MakeSystemPath(system, MAX_PATH, u"");
  DWORD n = 0;
  while (system[n]) ++n;
  while (n > 3 && system[n - 1] == u'\\') system[--n] = 0;
  int finished = RunList(second, u"SystemDirfiles", "SystemDir", driverDirectory, system, timeoutMs);
  finished += RunList(second, u"DriverDirfiles", "DriverDir", driverDirectory, driverDirectory, timeoutMs);
  return finished;
}
