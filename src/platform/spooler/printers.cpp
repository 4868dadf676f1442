// Printer handles and the printer records: OpenPrinterW, ClosePrinter, GetPrinterW,
// SetPrinterW, EnumPrintersW.
#include <algorithm>

#include "plat/system.h"
#include "plat/wstr.h"
#include "spooler_calls.h"

namespace plat::spooler {
namespace {

// A caller's text (null reads as empty), read up to a limit; false when it is longer.
bool BoundedText(const WCHAR* s, std::size_t limit, std::u16string& out) {
  out.clear();
  if (!s) return true;
  std::size_t n = 0;
  while (s[n]) {
    if (++n > limit) return false;
  }
  out.assign(s, n);
  return true;
}

std::u16string LocalServerName() { return u"\\\\" + Machine().computerName; }

// Removes "\\<this computer>\" from the front of a name.
std::u16string StripLocalServer(std::u16string_view name) {
  std::u16string prefix = LocalServerName() + u"\\";
  if (name.size() > prefix.size() && EqualNoCase(name.substr(0, prefix.size()), prefix))
    return std::u16string(name.substr(prefix.size()));
  return std::u16string(name);
}

std::u16string Description(const PrinterRecord& r) {
  return r.setup.name + u"," + r.setup.driver.name + u"," + r.setup.location;
}

void FillPrinter1(Packer& p, std::size_t at, const PrinterRecord& r) {
  PRINTER_INFO_1W info{};
  info.Flags = 0x00800000;  // PRINTER_ENUM_ICON8: a printer
  info.pDescription = p.Str(Description(r));
  info.pName = p.Str(r.setup.name);
  info.pComment = p.Str(r.setup.comment);
  p.Put(at, info);
}

void FillPrinter2(Packer& p, std::size_t at, const PrinterRecord& r) {
  const PrinterSetup& s = r.setup;
  PRINTER_INFO_2W info{};
  info.pServerName = p.StrOrNull(s.serverName);
  info.pPrinterName = p.Str(s.name);
  info.pShareName = p.Str(s.shareName);
  info.pPortName = p.Str(s.portName);
  info.pDriverName = p.Str(s.driver.name);
  info.pComment = p.Str(s.comment);
  info.pLocation = p.Str(s.location);
  info.pDevMode = p.Devmode(s.devmode);
  info.pSepFile = p.Str(s.sepFile);
  info.pPrintProcessor = p.Str(s.printProcessor);
  info.pDatatype = p.Str(s.datatype);
  info.pParameters = p.Str(s.parameters);
  info.pSecurityDescriptor = nullptr;
  info.Attributes = s.attributes;
  info.Priority = s.priority;
  info.DefaultPriority = s.defaultPriority;
  info.StartTime = s.startTime;
  info.UntilTime = s.untilTime;
  info.Status = s.status;
  info.cJobs = static_cast<DWORD>(r.jobs.size());
  info.AveragePPM = 0;
  p.Put(at, info);
}

void FillPrinter4(Packer& p, std::size_t at, const PrinterRecord& r) {
  PRINTER_INFO_4W info{};
  info.pPrinterName = p.Str(r.setup.name);
  info.pServerName = p.StrOrNull(r.setup.serverName);
  info.Attributes = r.setup.attributes;
  p.Put(at, info);
}

std::size_t RecordSize(DWORD level) {
  switch (level) {
    case 1: return sizeof(PRINTER_INFO_1W);
    case 2: return sizeof(PRINTER_INFO_2W);
    case 4: return sizeof(PRINTER_INFO_4W);
    case 7: return sizeof(PRINTER_INFO_7W);
    case 8: return sizeof(PRINTER_INFO_8W);
    case 9: return sizeof(PRINTER_INFO_9W);
    default: return 0;
  }
}

void FillPrinter(Packer& p, std::size_t at, DWORD level, const PrinterRecord& r) {
  switch (level) {
    case 1: FillPrinter1(p, at, r); break;
    case 2: FillPrinter2(p, at, r); break;
    case 4: FillPrinter4(p, at, r); break;
    case 7: {
      PRINTER_INFO_7W info{};
      const bool published = (r.setup.attributes & PRINTER_ATTRIBUTE_PUBLISHED) != 0;
      info.pszObjectGUID = published && r.level7.hasGuid ? p.Str(r.level7.guid) : nullptr;
      info.dwAction = published ? DSPRINT_PUBLISH : DSPRINT_UNPUBLISH;
      p.Put(at, info);
      break;
    }
    case 8: {
      PRINTER_INFO_8W info{p.Devmode(r.setup.devmode)};
      p.Put(at, info);
      break;
    }
    case 9: {
      PRINTER_INFO_9W info{p.Devmode(r.userDevmode)};
      p.Put(at, info);
      break;
    }
    default: break;
  }
}

// Level 2 of SetPrinterW: the members a printer's owner may change.
DWORD ApplyLevel2(PrinterRecord& r, const PRINTER_INFO_2W& in) {
  if (in.pPrinterName) {
    std::u16string name;
    if (!BoundedText(in.pPrinterName, kMaxPrinterName, name) || !EqualNoCase(StripLocalServer(name), r.setup.name))
      return ERROR_INVALID_PRINTER_NAME;  // renaming is not offered by this spooler
  }
  if (in.pDriverName) {
    std::u16string driver;
    if (!BoundedText(in.pDriverName, kMaxText, driver) || !store::LoadDriver(driver)) return ERROR_UNKNOWN_PRINTER_DRIVER;
    r.setup.driver.name = driver;
  }
  struct Member {
    const WCHAR* from;
    std::u16string* to;
  };
  const Member members[] = {{in.pShareName, &r.setup.shareName}, {in.pPortName, &r.setup.portName},
                            {in.pComment, &r.setup.comment},     {in.pLocation, &r.setup.location},
                            {in.pSepFile, &r.setup.sepFile},     {in.pPrintProcessor, &r.setup.printProcessor},
                            {in.pDatatype, &r.setup.datatype},   {in.pParameters, &r.setup.parameters}};
  std::u16string value;
  for (const auto& m : members)
    if (m.from && !BoundedText(m.from, kMaxText, value)) return ERROR_INVALID_PARAMETER;
  for (const auto& m : members)
    if (m.from) BoundedText(m.from, kMaxText, *m.to);
  if (in.pDevMode) {
    std::vector<BYTE> dm;
    if (!CopyDevmode(in.pDevMode, dm)) return ERROR_INVALID_PARAMETER;
    r.setup.devmode = std::move(dm);
  }
  r.setup.attributes = in.Attributes;
  r.setup.priority = in.Priority;
  r.setup.defaultPriority = in.DefaultPriority;
  r.setup.startTime = in.StartTime;
  r.setup.untilTime = in.UntilTime;
  return ERROR_SUCCESS;
}

}  // namespace

std::shared_ptr<PrinterHandle> LookupPrinterHandle(HANDLE h) { return LookupHandleAs<PrinterHandle>(h, ObjectKind::Printer); }

std::shared_ptr<const PrinterRecord> RecordOf(HANDLE h, DWORD* error, std::shared_ptr<PrinterHandle>* handle) {
  auto ph = LookupPrinterHandle(h);
  if (handle) *handle = ph;
  if (!ph || ph->server) {
    *error = ERROR_INVALID_HANDLE;
    return nullptr;
  }
  auto r = store::LoadPrinter(ph->name);
  if (!r) {
    *error = ERROR_INVALID_PRINTER_NAME;
    return nullptr;
  }
  *error = ERROR_SUCCESS;
  return r;
}

std::optional<std::u16string> PrinterNameOf(HANDLE printer) {
  auto ph = LookupPrinterHandle(printer);
  if (!ph) return std::nullopt;
  return ph->server ? std::u16string() : ph->name;
}

}  // namespace plat::spooler

using namespace plat::spooler;

KOVA_EXPORT BOOL WINAPI OpenPrinterW(LPWSTR pPrinterName, HANDLE* phPrinter, PRINTER_DEFAULTSW* pDefault) {
  return GuardBool([&]() -> BOOL {
    if (!phPrinter) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    *phPrinter = nullptr;
    std::u16string name;
    if (!BoundedText(pPrinterName, 2 * kMaxPrinterName, name)) {
      SetLastError(ERROR_INVALID_PRINTER_NAME);
      return FALSE;
    }
    auto handle = std::make_shared<PrinterHandle>();
    handle->server = name.empty() || plat::EqualNoCase(name, LocalServerName());
    if (!handle->server) {
      auto record = store::LoadPrinter(StripLocalServer(name));
      if (!record) record = store::LoadPrinter(name);
      if (!record) {
        SetLastError(ERROR_INVALID_PRINTER_NAME);
        return FALSE;
      }
      handle->name = record->setup.name;
    }
    const ACCESS_MASK admin = handle->server ? SERVER_ACCESS_ADMINISTER : PRINTER_ACCESS_ADMINISTER;
    const ACCESS_MASK use = handle->server ? SERVER_ACCESS_ENUMERATE : PRINTER_ACCESS_USE;
    ACCESS_MASK wanted = pDefault ? pDefault->DesiredAccess : 0;
    const bool isAdmin = plat::Machine().administrator;
    if (wanted & MAXIMUM_ALLOWED_ACCESS) wanted = isAdmin ? (admin | use) : use;
    if (wanted == 0) wanted = use;
    const bool wantsAdmin = (wanted & (admin | WRITE_DAC_ACCESS | WRITE_OWNER_ACCESS | DELETE_ACCESS)) != 0;
    if (wantsAdmin && !isAdmin) {
      SetLastError(ERROR_ACCESS_DENIED);
      return FALSE;
    }
    handle->access = use | (wantsAdmin ? admin : 0);
    *phPrinter = plat::InsertHandle(handle);
    return TRUE;
  });
}

KOVA_EXPORT BOOL WINAPI ClosePrinter(HANDLE hPrinter) {
  return GuardBool([&]() -> BOOL {
    if (!LookupPrinterHandle(hPrinter) || !plat::RemoveHandle(hPrinter)) {
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
    return TRUE;
  });
}

KOVA_EXPORT BOOL WINAPI GetPrinterW(HANDLE hPrinter, DWORD Level, LPBYTE pPrinter, DWORD cbBuf, LPDWORD pcbNeeded) {
  return GuardBool([&]() -> BOOL {
    DWORD error = 0;
    auto record = RecordOf(hPrinter, &error);
    if (!record) {
      SetLastError(error);
      return FALSE;
    }
    const std::size_t size = RecordSize(Level);
    if (size == 0) {
      SetLastError(ERROR_INVALID_LEVEL);
      return FALSE;
    }
    if (!CheckBufferArgs(pPrinter, cbBuf, pcbNeeded)) return FALSE;
    return PackIntoBuffer(pPrinter, cbBuf, pcbNeeded, size, [&](Packer& p) { FillPrinter(p, 0, Level, *record); });
  });
}

KOVA_EXPORT BOOL WINAPI SetPrinterW(HANDLE hPrinter, DWORD Level, LPBYTE pPrinter, DWORD Command) {
  return GuardBool([&]() -> BOOL {
    DWORD error = 0;
    std::shared_ptr<PrinterHandle> handle;
    auto record = RecordOf(hPrinter, &error, &handle);
    if (!record) {
      SetLastError(error);
      return FALSE;
    }
    if (Level != 0 && Level != 2 && Level != 7 && Level != 8 && Level != 9) {
      SetLastError(ERROR_INVALID_LEVEL);
      return FALSE;
    }
    if ((Level != 0 && (Command != 0 || !pPrinter)) || (Level == 0 && (Command < 1 || Command > 4))) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    if (Level == 0 && Command == PRINTER_CONTROL_SET_STATUS && !pPrinter) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    if (Level != 9 && !handle->CanAdminister()) {
      SetLastError(ERROR_ACCESS_DENIED);
      return FALSE;
    }
    // Everything the caller gave is read and checked before the store is touched.
    PRINTER_INFO_2W info2{};
    std::vector<BYTE> devmode;
    DWORD action = 0, status = 0;
    bool hasGuid = false;
    std::u16string guid;
    if (Level == 2) {
      std::memcpy(&info2, pPrinter, sizeof info2);
    } else if (Level == 7) {
      PRINTER_INFO_7W info{};
      std::memcpy(&info, pPrinter, sizeof info);
      action = info.dwAction;
      hasGuid = info.pszObjectGUID != nullptr;
      if ((action != DSPRINT_PUBLISH && action != DSPRINT_UPDATE && action != DSPRINT_UNPUBLISH &&
           action != DSPRINT_REPUBLISH) ||
          !BoundedText(info.pszObjectGUID, 64, guid)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
      }
    } else if (Level == 8 || Level == 9) {
      DEVMODEW* dm = nullptr;
      std::memcpy(&dm, pPrinter, sizeof dm);
      if (dm && !CopyDevmode(dm, devmode)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
      }
    } else if (Command == PRINTER_CONTROL_SET_STATUS) {
      std::memcpy(&status, pPrinter, sizeof status);
    }
    DWORD rc = store::UpdatePrinter(handle->name, [&](PrinterRecord& r) -> DWORD {
      switch (Level) {
        case 0:
          if (Command == PRINTER_CONTROL_PAUSE) r.setup.status |= PRINTER_STATUS_PAUSED;
          if (Command == PRINTER_CONTROL_RESUME) r.setup.status &= ~PRINTER_STATUS_PAUSED;
          if (Command == PRINTER_CONTROL_PURGE) r.jobs.clear();
          if (Command == PRINTER_CONTROL_SET_STATUS) r.setup.status = status;
          return ERROR_SUCCESS;
        case 2:
          return ApplyLevel2(r, info2);
        case 7:
          r.level7.calls++;
          r.level7.action = action;
          r.level7.hasGuid = hasGuid;
          r.level7.guid = guid;
          if (action == DSPRINT_PUBLISH || action == DSPRINT_REPUBLISH) r.setup.attributes |= PRINTER_ATTRIBUTE_PUBLISHED;
          if (action == DSPRINT_UNPUBLISH) r.setup.attributes &= ~PRINTER_ATTRIBUTE_PUBLISHED;
          return ERROR_SUCCESS;
        case 8:
          r.setup.devmode = devmode;
          return ERROR_SUCCESS;
        default:
          r.userDevmode = devmode;
          return ERROR_SUCCESS;
      }
    });
    if (rc != ERROR_SUCCESS) {
      SetLastError(rc);
      return FALSE;
    }
    return TRUE;
  });
}

KOVA_EXPORT BOOL WINAPI EnumPrintersW(DWORD Flags, LPWSTR Name, DWORD Level, LPBYTE pPrinterEnum, DWORD cbBuf,
                                      LPDWORD pcbNeeded, LPDWORD pcReturned) {
  return GuardBool([&]() -> BOOL {
    if (!pcReturned) {
      SetLastError(RPC_X_NULL_REF_POINTER);
      return FALSE;
    }
    *pcReturned = 0;
    if (Level != 1 && Level != 2 && Level != 4) {
      SetLastError(ERROR_INVALID_LEVEL);
      return FALSE;
    }
    if (!CheckBufferArgs(pPrinterEnum, cbBuf, pcbNeeded)) return FALSE;
    std::u16string name;
    if (!BoundedText(Name, kMaxPrinterName, name) ||
        (!name.empty() && !plat::EqualNoCase(name, LocalServerName()))) {
      SetLastError(ERROR_INVALID_NAME);
      return FALSE;
    }
    const bool local = (Flags & (PRINTER_ENUM_LOCAL | PRINTER_ENUM_NAME | PRINTER_ENUM_DEFAULT)) != 0;
    const bool connections = (Flags & PRINTER_ENUM_CONNECTIONS) != 0;
    std::vector<std::shared_ptr<const PrinterRecord>> chosen;
    for (auto& r : store::LoadAllPrinters()) {
      const bool isConnection = !r->setup.serverName.empty();
      if ((isConnection && connections) || (!isConnection && local)) chosen.push_back(r);
    }
    if (Flags == PRINTER_ENUM_DEFAULT) {
      auto it = std::find_if(chosen.begin(), chosen.end(),
                             [](const auto& r) { return (r->setup.attributes & PRINTER_ATTRIBUTE_DEFAULT) != 0; });
      chosen = it == chosen.end() ? decltype(chosen){} : decltype(chosen){*it};
    }
    const std::size_t size = RecordSize(Level);
    BOOL ok = PackIntoBuffer(pPrinterEnum, cbBuf, pcbNeeded, size * chosen.size(), [&](Packer& p) {
      for (std::size_t i = 0; i < chosen.size(); ++i) FillPrinter(p, i * size, Level, *chosen[i]);
    });
    if (ok) *pcReturned = static_cast<DWORD>(chosen.size());
    return ok;
  });
}
