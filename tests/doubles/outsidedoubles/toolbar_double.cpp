// The tool-bar plug-in double: records the create-page request it gets in
// HKLM\Software\KovaTest\Toolbar ("RequestSize", "PrinterName" read through the request's
// 32-bit name slot, "Kind", "Permitted", "ModelWord1"), and counts opens and closes.
#include <cstring>

#include "steering.h"
#include "outside/ui_plugins.h"

namespace {

DWORD Open(DWORD* handle) {
  doubles::RecordNumber(u"Toolbar", u"Opens", doubles::Number(u"Toolbar", u"Opens", 0) + 1);
  *handle = 7;
  return 0;
}
DWORD Close(DWORD) {
  doubles::RecordNumber(u"Toolbar", u"Closes", doubles::Number(u"Toolbar", u"Closes", 0) + 1);
  return 0;
}
DWORD CreatePage(const ToolbarPageRequest* request, void** page, DWORD) {
  doubles::RecordNumber(u"Toolbar", u"RequestSize", request->size);
  const auto* name = reinterpret_cast<const char16_t*>(static_cast<UINT_PTR>(request->printerName));
  doubles::Record(u"Toolbar", u"PrinterName", name ? std::u16string(name) : std::u16string());
  doubles::RecordNumber(u"Toolbar", u"Kind", request->kind);
  doubles::RecordNumber(u"Toolbar", u"Permitted", request->permitted);
  doubles::RecordNumber(u"Toolbar", u"ModelWord1", request->modelWord1);
  static int s_page;
  *page = &s_page;
  return 0;
}

ToolbarInterface g_interface = {nullptr, Open, Close, CreatePage};

}  // namespace

DOUBLE_EXPORT DWORD TBUIGetInterface(DWORD version, ToolbarInterface** out) {
  if (version != kPluginInterfaceVersion) return 1;
  *out = &g_interface;
  return 0;
}
DOUBLE_EXPORT void TBUIDisposeInterface(ToolbarInterface*) {}
