#include "device_capabilities.h"

#include <cstring>
#include <iterator>

#include "context/caller_devmode.h"
#include "context/context_create.h"
#include "fields/devmode_header.h"
#include "stored/devmode_merge.h"
#include "base/driver_context.h"
#include "fields/field_access.h"
#include "fields/locale_text.h"
#include "base/memory.h"
#include "fields/neighbour_tables.h"
#include "base/paths_and_names.h"
#include "model/free_size_list.h"
#include "model/paper_map.h"
#include "base/printer_data.h"
#include "fields/product_record.h"
#include "base/spooler_info.h"
#include "base/ui_strings.h"
#include "model/work_area.h"
#include "entry_frame.h"
#include "field_ids.h"
#include "install_check.h"
#include "model/capability_lists.h"
#include "model/printer_option_table.h"
#include "stored/lock_data.h"
#include "win/kernel.h"
#include "win/printer_interface.h"
#include "win/profile.h"

namespace {

constexpr DWORD kFailed = static_cast<DWORD>(-1);
constexpr DWORD kMergeFlags = 0x1000008;

// The driver's whole device-mode: the public part and the private block.
constexpr DWORD kPublicSize = sizeof(DEVMODEW);
constexpr DWORD kWholeSize = kDevmodeTotalSize;
constexpr DWORD kNupKindOffset = 446;  // kdmNUPPOSTKind

// Lock bits of "kdmLock000InfoBit" and "kdmLock001InfoBit".
constexpr BYTE kLockNupKind = 0x08;
constexpr BYTE kLockNupKindAll = 0x10;
constexpr BYTE kLockDuplex = 0x20;

constexpr int kMediaNameChars = 64;
constexpr int kTrayCount = 32;

BYTE LockByte(HANDLE printer, WORD id) {
  BYTE bits = 0;
  if (!ReadLockInfoBits(printer, &bits, id)) bits = 0;
  return bits;
}

// The printer's stored device-mode in a zeroed buffer of the driver's size: only the bytes
// it declares are copied. False when the printer has none.
bool StoredDevmode(HANDLE printer, BYTE (&buffer)[kWholeSize]) {
  std::memset(buffer, 0, sizeof(buffer));
  auto* info = static_cast<PRINTER_INFO_2W*>(GetPrinterInfo(printer, 2));
  if (!info || !info->pDevMode) {
    FreeMem(info);
    return false;
  }
  const DEVMODEW* dm = info->pDevMode;
  DWORD size = static_cast<DWORD>(dm->dmSize) + dm->dmDriverExtra;
  if (size > kWholeSize) size = kWholeSize;
  std::memcpy(buffer, dm, size);
  FreeMem(info);
  return true;
}

DWORD Count(int n) { return n < 0 ? kFailed : static_cast<DWORD>(n); }

}  // namespace

DWORD GetDuplexCapability(HANDLE printer) {
  DWORD value = 0;
  // The key of kdmSourceOptionTypeDuplex (10014).
  if (!GetPrinterDataValue(printer, &value, sizeof(value), u"Duplex", 0)) return kFailed;
  if (value != 0) return 1;
  return (LockByte(printer, fid::kdmLock000InfoBitDefault) & kLockDuplex) ? 1 : 0;
}

DWORD ReadPrintRatePpm(HANDLE printer) {
  WCHAR ini[MAX_PATH] = {};
  GetSecondIniPathForPrinter(printer, ini);
  if (!ini[0]) return 0;
  WCHAR section[261] = {};
  if (auto* driver = static_cast<DRIVER_INFO_3W*>(GetPrinterDriverInfo(printer, 3))) {
    if (driver->pName) lstrcpynW(section, driver->pName, 261);
    FreeMem(driver);
  }
  if (!section[0]) GetModelNameForPrinter(printer, section);
  if (!section[0]) return 0;
  return GetPrivateProfileIntW(section, u"PPM", 0, ini);
}

DWORD GetColorDeviceCapability(HANDLE printer) {
  BYTE devmode[kWholeSize];
  if (!StoredDevmode(printer, devmode)) return kFailed;
  return static_cast<DWORD>(IsColorDevice(LockByte(printer, fid::kdmLock001InfoBitColor), devmode));
}

DWORD ListNupValues(HANDLE printer, BYTE lockByte, DWORD* output) {
  DWORD rows = 0;
  const NupKindRow* table = GetFixedList5(&rows);
  if (!(lockByte & kLockNupKind) || (lockByte & kLockNupKindAll)) {
    if (output)
      for (DWORD i = 0; i < rows; ++i) output[i] = table[i].pages;
    return rows;
  }
  // The N-up choice is locked to the stored kind: at most two values (1 and that kind's).
  if (!output) return 2;
  BYTE devmode[kWholeSize];
  if (!StoredDevmode(printer, devmode)) return 0;
  const BYTE kind = devmode[kNupKindOffset];
  DWORD written = 0;
  for (DWORD i = 0; i < rows; ++i)
    if (table[i].kind == 0 || table[i].kind == kind) output[written++] = table[i].pages;
  return written;
}

int ListMediaReady(DriverContext* context, WCHAR* output) {
  DWORD codes[kTrayCount] = {};
  DWORD values[kTrayCount] = {};
  int count = 0;
  for (int tray = 0; tray < kTrayCount; ++tray) {
    if (!ReadFieldRawById(context, static_cast<WORD>(fid::kdmTrayField0 + tray))) continue;
    const WORD paperField = static_cast<WORD>(fid::kdmTray1Paper + tray);
    const DWORD code = ReadFieldRawById(context, paperField);
    if (code == 0) continue;
    bool listed = false;
    for (int i = 0; i < count; ++i) listed = listed || codes[i] == code;
    if (listed) continue;
    codes[count] = code;
    values[count] = GetFieldValueById(context, paperField);
    ++count;
  }
  if (output && count > 0) {
    bool freeSizesLoaded = false;
    for (int i = 0; i < count; ++i) {
      WCHAR* slot = output + static_cast<size_t>(i) * kMediaNameChars;
      std::memset(slot, 0, sizeof(WCHAR) * kMediaNameChars);
      if (IsCustomPaperId(codes[i])) {
        if (!freeSizesLoaded) InitFreeSizes(context);
        freeSizesLoaded = true;
        const int r = FreeSizeIndexFromPaperId(codes[i], context);
        if (r < 0 || r >= kFreeSizeRecordCount) continue;
        LoadUserPaperNames(context, codes[i], r);
        const FreeSizeRecord& record = context->work->freeSizes[r];
        char name[sizeof(record.listName) + 1] = {};
        std::memcpy(name, record.listName, sizeof(record.listName));
        AnsiToWide(slot, name, kMediaNameChars);
        slot[kMediaNameChars - 1] = 0;
      } else {
        LoadUiString(context, values[i], slot, kMediaNameChars, 0);
      }
    }
  }
  return count;
}

DWORD GetContextCapability(HANDLE printer, WORD capability, LPWSTR output, const DEVMODEW* devmode) {
  EntryFrame frame;
  frame.Begin(printer, true);
  if (!frame.printerInfo()) return kFailed;
  if (!frame.renamed() && CheckPendingInstallWork(printer, 0, frame.printerInfo(), frame.driverInfo()) != 1)
    return kFailed;
  DriverContext* context =
      CreateContextWithInfos(printer, printer, 0, CTXK_DEVICE_CAPS, frame.printerInfo(), frame.driverInfo());
  if (!context) return kFailed;
  DWORD answer = kFailed;
  const bool merge = capability != DC_TRUETYPE && capability != DC_DATATYPE_PRODUCED;
  // A caller's device-mode the driver may not read is merged as none.
  if (!merge || MergeDevmode(context, UsableCallerDevmode(devmode, kCallerSizeNotGiven), kMergeFlags)) {
    switch (capability) {
      case DC_FIELDS:
        answer = context->settings ? reinterpret_cast<const DEVMODEW*>(context->settings)->dmFields : kFailed;
        break;
      case DC_PAPERS:
        answer = Count(ListPaperCodes(context, reinterpret_cast<WORD*>(output)));
        break;
      case DC_PAPERSIZE:
        answer = Count(ListPaperSizes(context, reinterpret_cast<std::int32_t*>(output)));
        break;
      case DC_BINS:
        answer = Count(ListBins(context, reinterpret_cast<WORD*>(output)));
        break;
      case DC_BINNAMES:
        answer = Count(ListBinNames(context, output));
        break;
      case DC_ENUMRESOLUTIONS:
        answer = Count(ListResolutions(context, reinterpret_cast<std::int32_t*>(output)));
        break;
      case DC_TRUETYPE:
        answer = (ReadFieldRawById(context, fid::kdmFrontFunc) & 1u) ? (DCTT_BITMAP | DCTT_SUBDEV) : DCTT_BITMAP;
        break;
      case DC_PAPERNAMES:
        answer = Count(ListPaperNames(context, output));
        break;
      case DC_COLLATE:
        answer = HasSortTypeChoices(context) ? 1 : 0;
        break;
      case DC_MEDIAREADY:
        answer = Count(ListMediaReady(context, output));
        break;
      case DC_STAPLE:
        answer = static_cast<DWORD>(HasCapabilityValue(context, fid::kdmStapleType));
        break;
      default:  // DC_BINADJUST, DC_EMF_COMPLIANT, DC_DATATYPE_PRODUCED and anything else
        answer = kFailed;
        break;
    }
  }
  frame.End();
  ReleaseContext(context, CTXR_CACHE_CAPS);
  return answer;
}

DWORD DoDeviceCapabilities(HANDLE printer, LPCWSTR, WORD capability, LPWSTR output, const DEVMODEW* devmode) {
  const ProductRecord* product = GetProductRecord();
  switch (capability) {
    case DC_FIELDS:
    case DC_PAPERS:
    case DC_PAPERSIZE:
    case DC_BINS:
    case DC_BINNAMES:
    case DC_ENUMRESOLUTIONS:
    case DC_TRUETYPE:
    case DC_PAPERNAMES:
    case DC_BINADJUST:
    case DC_EMF_COMPLIANT:
    case DC_DATATYPE_PRODUCED:
    case DC_COLLATE:
    case DC_MEDIAREADY:
    case DC_STAPLE:
      return GetContextCapability(printer, capability, output, devmode);
    case DC_MINEXTENT:
    case DC_MAXEXTENT: {
      WORD extent[2] = {};
      const DWORD packed = GetPaperExtent(nullptr, extent, capability);
      if (output) {
        auto* point = reinterpret_cast<std::int32_t*>(output);
        point[0] = extent[0];
        point[1] = extent[1];
      }
      return packed;
    }
    case DC_DUPLEX:
      return GetDuplexCapability(printer);
    case DC_SIZE:
      return kPublicSize;
    case DC_EXTRA:
      return kWholeSize - kPublicSize;
    case DC_VERSION:
      return product->specVersion;
    case DC_DRIVER:
      return product->driverVersion;
    case DC_FILEDEPENDENCIES:
      return 0;
    case DC_ORIENTATION:
      return GetLandscapeAngle(nullptr);
    case DC_COPIES:
      return static_cast<DWORD>(static_cast<std::int32_t>(static_cast<std::int16_t>(product->maxCopies)));
    case DC_PERSONALITY:
      if (output) {
        std::memset(output, 0, 64);
        std::memcpy(output, u"KOVA", sizeof(u"KOVA"));
      }
      return 1;
    case DC_PRINTRATE:
    case DC_PRINTRATEPPM:
      return ReadPrintRatePpm(printer);
    case DC_PRINTRATEUNIT:
      return PRINTRATEUNIT_PPM;
    case DC_COLORDEVICE:
      return GetColorDeviceCapability(printer);
    case DC_NUP:
      return ListNupValues(printer, LockByte(printer, fid::kdmLock000InfoBitDefault), reinterpret_cast<DWORD*>(output));
    default:  // DC_MANUFACTURER, DC_MODEL, DC_PRINTERMEM, 0 and 34 and above
      return kFailed;
  }
}
