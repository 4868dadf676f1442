#include "base/spooler_info.h"

#include "base/driver_context.h"
#include "base/install_services.h"
#include "base/memory.h"
#include "base/paths_and_names.h"
#include "base/printer_data.h"
#include "base/wide_text.h"
#include "win/kernel.h"
#include "win/errors.h"

namespace {

// Both fetches follow one protocol: a first call without a buffer must fail with
// ERROR_INSUFFICIENT_BUFFER and report a size; a second call fills a block of that size.
template <class Query>
void* FetchRecord(Query query) {
  DWORD needed = 0;
  if (query(nullptr, 0, &needed) || GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed == 0) return nullptr;
  auto* block = static_cast<BYTE*>(AllocMem(needed));
  if (!block) return nullptr;
  DWORD filled = 0;
  if (!query(block, needed, &filled)) {
    FreeMem(block);
    return nullptr;
  }
  return block;
}

}  // namespace

void* GetPrinterInfo(HANDLE printer, DWORD level) {
  return FetchRecord([&](LPBYTE buffer, DWORD size, LPDWORD needed) {
    return GetPrinterW(printer, level, buffer, size, needed);
  });
}

void* GetPrinterDriverInfo(HANDLE printer, DWORD level) {
  return FetchRecord([&](LPBYTE buffer, DWORD size, LPDWORD needed) {
    return GetPrinterDriverW(printer, nullptr, level, buffer, size, needed);
  });
}

namespace {

bool HasText(const WCHAR* s) { return s && s[0]; }

}  // namespace

void CachePrinterInfo(const PRINTER_INFO_2W* info, DriverContext* context) {
  if (!info || !context || !context->work) return;
  WorkArea* work = context->work;
  if (work->connectionState == 0) work->connectionState = info->pServerName ? 1 : 2;
  if (!info->pPrinterName || !info->pDriverName) return;
  if (!work->printerName[0]) {
    CopyWide(work->printerName, 261, info->pPrinterName);
    NormalisePrinterName(context->hPrinter, work->printerName, 261);
  }
  if (!work->modelName[0]) CopyWide(work->modelName, 32, info->pDriverName);
  if (!work->attributesKnown) {
    work->attributesKnown = 1;
    work->attributes = info->Attributes;
  }
  if (!work->rawPrinterName[0]) CopyWide(work->rawPrinterName, 261, info->pPrinterName);
}

BOOL HasPrinterAttribute(DWORD mask, DriverContext* context) {
  if (!context || !context->work) return FALSE;
  WorkArea* work = context->work;
  if (!work->attributesKnown) {
    auto* info = static_cast<PRINTER_INFO_2W*>(GetPrinterInfo(context->hPrinter, 2));
    if (!info) return FALSE;
    work->attributes = info->Attributes;
    work->attributesKnown = 1;
    CachePrinterInfo(info, context);
    FreeMem(info);
  }
  return (work->attributes & mask) ? TRUE : FALSE;
}

BOOL IsBidiEnabled(DriverContext* context) { return HasPrinterAttribute(PRINTER_ATTRIBUTE_ENABLE_BIDI, context); }

BOOL IsPrinterConnection(DriverContext* context) {
  if (!context || !context->work) return FALSE;
  WorkArea* work = context->work;
  if (work->connectionState == 0) {
    auto* info = static_cast<PRINTER_INFO_2W*>(GetPrinterInfo(context->hPrinter, 2));
    if (info) {
      work->connectionState = info->pServerName ? 1 : 2;
      CachePrinterInfo(info, context);
      FreeMem(info);
    } else {
      work->connectionState = 2;
    }
  }
  return work->connectionState == 1 ? TRUE : FALSE;
}

BOOL IsConnectionHandle(HANDLE printer) {
  auto* info = static_cast<PRINTER_INFO_2W*>(GetPrinterInfo(printer, 2));
  const BOOL connection = InfoHasServerName(info);
  FreeMem(info);
  return connection;
}

BOOL IsLocalHandle(HANDLE printer) { return IsConnectionHandle(printer) ? FALSE : TRUE; }

BOOL InfoHasServerName(const PRINTER_INFO_2W* info) { return info && info->pServerName ? TRUE : FALSE; }
BOOL InfoIsLocal(const PRINTER_INFO_2W* info) { return InfoHasServerName(info) ? FALSE : TRUE; }

BOOL IsPrinterRenamed(HANDLE printer, const PRINTER_INFO_2W* info) {
  if (!info || !info->pPrinterName || info->pServerName) return FALSE;
  BYTE serverType = 0;
  if (HasClientName(printer) || (GetConfigServerType(printer, info->pPrinterName, &serverType) && serverType == 17))
    return FALSE;
  WCHAR recorded[261] = {};
  if (!ReadPrinterNameValueInto(printer, recorded)) return TRUE;
  return HasText(recorded) && lstrcmpiW(recorded, info->pPrinterName) == 0 ? FALSE : TRUE;
}
