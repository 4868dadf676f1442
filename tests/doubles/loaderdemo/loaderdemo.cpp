// A module with code, loaded by name in the loader tests.
#include <string>

#include "plat/wstr.h"
#include "win/env.h"
#include "win/loader.h"

namespace {

int g_attachCount = 0;

void Log(const std::u16string& entry) {
  WCHAR buf[2048];
  DWORD n = GetEnvironmentVariableW(u"LOADERDEMO_LOG", buf, 2048);
  std::u16string log = n > 0 && n < 2048 ? std::u16string(buf, n) : std::u16string();
  log += entry + u";";
  SetEnvironmentVariableW(u"LOADERDEMO_LOG", log.c_str());
}

}  // namespace

KOVA_EXPORT BOOL DllMain(HINSTANCE hinst, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    ++g_attachCount;
    // The module's own handle works during the attach.
    WCHAR path[MAX_PATH];
    DWORD n = GetModuleFileNameW(hinst, path, MAX_PATH);
    std::u16string name(path, n);
    name = name.substr(name.rfind(u'\\') + 1);
    Log(u"attach:" + name);
    WCHAR flag[8];
    if (GetEnvironmentVariableW(u"LOADERDEMO_REFUSE", flag, 8) > 0) return FALSE;
  } else if (reason == DLL_PROCESS_DETACH) {
    Log(u"detach");
  }
  return TRUE;
}

KOVA_EXPORT int DemoAdd(int a, int b) { return a + b; }

KOVA_EXPORT int DemoAttachCount() { return g_attachCount; }

// Not exported: GetProcAddress must not find it.
int DemoHidden() { return 7; }
