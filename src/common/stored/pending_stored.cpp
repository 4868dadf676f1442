#include "stored/pending_stored.h"

#include <cstdio>

#include "context/driver_context.h"
#include "context/field_access.h"
#include "context/field_table.h"
#include "context/ini_files.h"
#include "context/memory.h"
#include "model/model_parse.h"
#include "model/option_lookup.h"
#include "stored/ini_text.h"

namespace {

thread_local DWORD lastWarning = 0;

}  // namespace

BOOL CanWriteBidiPrinterData(DriverContext* context) { return context ? TRUE : FALSE; }

int ShowWarningWithText(DriverContext*, void*, DWORD messageId, const WCHAR*) {
  lastWarning = messageId;
  return 1;
}

int ShowInformationMessage(DriverContext*, DWORD messageId) {
  lastWarning = messageId;
  return 1;
}

int ShowPage(DriverContext*, int, WORD, void*) { return 0; }

DWORD LastSettingsWarning(bool clear) {
  const DWORD id = lastWarning;
  if (clear) lastWarning = 0;
  return id;
}
