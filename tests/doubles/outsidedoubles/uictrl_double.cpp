// A UI-control plug-in double offering one capability: UICTRL_CAPABILITY (1 copy guard or
// 2 watermark), fixed when built. Each open and query is counted in
// HKLM\Software\KovaTest\UiCtrl<capability> ("Opens", "Closes").
#include "steering.h"
#include "context/ui_plugins.h"

namespace {

const char16_t* Key() { return UICTRL_CAPABILITY == 1 ? u"UiCtrl1" : u"UiCtrl2"; }

BOOL Open(HANDLE printer, HANDLE* handle) {
  doubles::RecordNumber(Key(), u"Opens", doubles::Number(Key(), u"Opens", 0) + 1);
  *handle = printer ? printer : reinterpret_cast<HANDLE>(1);
  return TRUE;
}
void Close(HANDLE) { doubles::RecordNumber(Key(), u"Closes", doubles::Number(Key(), u"Closes", 0) + 1); }
BOOL Query(HANDLE, DWORD capability, DWORD* value) {
  *value = capability == UICTRL_CAPABILITY ? 1 : 0;
  return TRUE;
}

UiControlInterface g_interface = {nullptr, nullptr, Open, Close, Query};

}  // namespace

DOUBLE_EXPORT BOOL UICTRLGetInterface(DWORD version, UiControlInterface** out) {
  if (version != kPluginInterfaceVersion) return FALSE;
  *out = &g_interface;
  return TRUE;
}
DOUBLE_EXPORT void UICTRLDisposeInterface(UiControlInterface*) {}
