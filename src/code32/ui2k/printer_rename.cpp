// A local printer renamed in the spooler: its settings follow the new name.
#include "printer_rename.h"

#include "base/driver_context.h"
#include "model/driver_locks.h"
#include "base/ini_files.h"
#include "base/ini_section_copy.h"
#include "base/install_services.h"
#include "base/paths_and_names.h"
#include "base/printer_data.h"
#include "base/spooler_info.h"
#include "first_run_defaults.h"
#include "install_ini.h"
#include "printer_install.h"
#include "user_list_repair.h"

namespace {

constexpr DWORD kFirstRunSectionLimit = 30720;

bool SameNoCase(const WCHAR* a, const WCHAR* b) {
  for (;; ++a, ++b) {
    WCHAR x = *a, y = *b;
    if (x >= u'A' && x <= u'Z') x = static_cast<WCHAR>(x + 32);
    if (y >= u'A' && y <= u'Z') y = static_cast<WCHAR>(y + 32);
    if (x != y) return false;
    if (!x) return true;
  }
}

}  // namespace

int HandlePrinterNameChange(DriverContext* context) {
  if (!context || !context->work) return 0;
  HANDLE printer = context->hPrinter;
  WCHAR name[261] = {};
  if (!GetPrinterNameCopyFor(printer, name, 261, context->work->printerInfo) || !name[0]) return 0;
  BYTE serverType = 0;
  if (IsPrinterConnection(context) || HasClientName(printer) ||
      (GetConfigServerType(printer, name, &serverType) && serverType == 17))
    return 0;
  int result = 0;
  LockDriverMutex(nullptr);
  WCHAR old[261] = {};
  const bool known = ReadPrinterNameValue(printer, old, context) && old[0];
  if (!known || !SameNoCase(old, name)) {
    const DWORD kind = context->work->kind;
    context->work->kind = kind | CTXK_INSTALLING;
    CopyPrinterIniKeys(context, 0, nullptr);
    bool moved = true;
    if (known) {
      WCHAR ini[261] = {};
      MakeSettingsPath(ini, 261, u"Fennicb.ini", context);
      WCHAR oldSection[261], newSection[261];
      for (int i = 0; i < 261; ++i) {
        oldSection[i] = old[i];
        newSection[i] = name[i];
      }
      SanitizeIniSection(oldSection);
      SanitizeIniSection(newSection);
      // The old name's section moves whole or not at all; the name is then not recorded, so
      // the next call tries again rather than leaving a cut copy behind.
      if (ini[0] && CopyIniSection(ini, oldSection, ini, newSection, kFirstRunSectionLimit) < 0) moved = false;
    }
    ApplyDefaultSettingsPackage(16, -1, context);
    RepairUserLists(context);
    SaveFirstRunKeys(GetPrinterDisplayName(context), context);
    context->work->kind = kind;
    if (moved && StampInstallTime(printer, 1, 2, context->work->printerInfo, context->work->driverInfo)) {
      StorePrinterNameValue(printer, context->work->printerInfo);
      StoreDriverNameValue(printer, context->work->printerInfo);
      result = 1;
    }
  }
  UnlockDriverMutex(nullptr);
  return result;
}
