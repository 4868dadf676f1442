// Services of later parts of the driver with the least behaviour the property sheets need.
#include "pending_sheet_services.h"

#include "base/driver_context.h"

namespace {

// The value's first four bytes; false when it cannot be read.
bool ReadDword(HANDLE printer, const char16_t* name, DWORD* value) {
  DWORD type = 0, needed = 0;
  BYTE bytes[4] = {};
  if (!printer) return false;
  if (GetPrinterDataW(printer, const_cast<LPWSTR>(name), &type, bytes, sizeof bytes, &needed) != 0) return false;
  *value = static_cast<DWORD>(bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<DWORD>(bytes[3]) << 24);
  return true;
}

}  // namespace

// PENDING: the configuration-server connector merges the server's lists; until it is
// bound there is no server and the answer is 0.
int SyncConfigServerIni(DriverContext*, const PRINTER_INFO_2W*, const DRIVER_INFO_3W*) { return 0; }

// PENDING: the configuration-server connector reports whether it is connected; until it
// is bound it never is (0).
int GetConfigConnectorState(DriverContext*) { return 0; }

// PENDING: the configuration-server connector compares a connection with its server;
// until it is bound there is nothing to compare and the answer is 1.
int CheckConfigServer(DriverContext*) { return 1; }

// PENDING: the bidirectional query fills the settings from the printer's answers; until
// it is built the printer is not asked and the answer is 0.
int RefreshBidiSettings(DriverContext*, HWND) { return 0; }

// The printer data "BidiExFlag" bit 0.
// PENDING: the two-way results cache adds the cache INI's key and the write-back test.
int IsBidiExtended(DriverContext* context) {
  DWORD value = 0;
  return context && ReadDword(context->hPrinter, u"BidiExFlag", &value) && (value & 1u) ? 1 : 0;
}

// PENDING: the two-way results cache reads its INI; until then no printer has a key there.
int HasBidiCacheIni(DriverContext*) { return 0; }

// The printer data "BidiFlag" bit 0.
int IsBidiFlagSet(HANDLE printer, DriverContext*) {
  DWORD value = 0;
  return ReadDword(printer, u"BidiFlag", &value) && (value & 1u) ? 1 : 0;
}

// PENDING: the bidirectional query copies the reported trays into the settings; until it
// is built nothing is reported and nothing is copied.
void CopyBidiTrayFeatures(DriverContext*) {}

// The printer data "BidiExFlag" := 1.
// PENDING: the two-way results cache writes the cache INI's key for a local printer.
void MarkBidiExtended(DriverContext* context) {
  if (!context || !context->hPrinter) return;
  DWORD one = 1;
  SetPrinterDataW(context->hPrinter, const_cast<LPWSTR>(u"BidiExFlag"), 4, reinterpret_cast<BYTE*>(&one), 4);
}
