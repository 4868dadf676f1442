// The tool-bar plug-in double: records the create-page request it gets in
// HKLM\Software\KovaTest\Toolbar ("RequestSize", "PrinterName" read through the request's
// 32-bit name slot, "Kind", "Permitted", "ModelWord1"), and counts opens and closes. Like a
// real plug-in's page it keeps the request and reads it again later: at its close
// ("NameAtClose") and when the export TBUIReadKeptRequest is called ("KeptName"), as its
// page would at WM_INITDIALOG. A request no longer in live low memory reads as "<freed>".
#include <cstring>

#include "steering.h"
#include "context/ui_plugins.h"
#include "win/lowmem.h"

namespace {

const ToolbarPageRequest* g_kept = nullptr;

std::u16string NameOf(const ToolbarPageRequest* request) {
  if (!request) return u"<none>";
  if (!IsLowMemoryBlock(request, sizeof *request)) return u"<freed>";
  const auto* name = reinterpret_cast<const char16_t*>(static_cast<UINT_PTR>(request->printerName));
  if (!name) return std::u16string();
  if (!IsLowMemoryBlock(name, sizeof(char16_t))) return u"<freed>";
  return std::u16string(name);
}

DWORD Open(DWORD* handle) {
  doubles::RecordNumber(u"Toolbar", u"Opens", doubles::Number(u"Toolbar", u"Opens", 0) + 1);
  *handle = 7;
  return 0;
}
DWORD Close(DWORD) {
  doubles::RecordNumber(u"Toolbar", u"Closes", doubles::Number(u"Toolbar", u"Closes", 0) + 1);
  doubles::Record(u"Toolbar", u"NameAtClose", NameOf(g_kept));
  g_kept = nullptr;
  return 0;
}
DWORD CreatePage(const ToolbarPageRequest* request, void** page, DWORD) {
  doubles::RecordNumber(u"Toolbar", u"RequestSize", request->size);
  const auto* name = reinterpret_cast<const char16_t*>(static_cast<UINT_PTR>(request->printerName));
  doubles::Record(u"Toolbar", u"PrinterName", name ? std::u16string(name) : std::u16string());
  doubles::RecordNumber(u"Toolbar", u"Kind", request->kind);
  doubles::RecordNumber(u"Toolbar", u"Permitted", request->permitted);
  doubles::RecordNumber(u"Toolbar", u"ModelWord1", request->modelWord1);
  g_kept = request;
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
DOUBLE_EXPORT void TBUIReadKeptRequest() { doubles::Record(u"Toolbar", u"KeptName", NameOf(g_kept)); }
