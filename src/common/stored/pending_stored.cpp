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
#include "win/msgbox.h"

BOOL CanWriteBidiPrinterData(DriverContext* context) { return context ? TRUE : FALSE; }

int ShowInformationMessage(DriverContext* context, DWORD messageId) {
  return ShowMessageBoxFlags(context, nullptr, messageId, MB_OK | MB_ICONINFORMATION, 0);
}

