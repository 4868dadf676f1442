// Forms and jobs: EnumFormsW, GetFormW, GetJobW.
#include "plat/wstr.h"
#include "spooler_calls.h"

namespace plat::spooler {
namespace {

void FillForm(Packer& p, std::size_t at, const FormSetup& f) {
  FORM_INFO_1W info{};
  info.Flags = f.flags;
  info.pName = p.Str(f.name);
  info.Size = SIZEL{f.cx, f.cy};
  info.ImageableArea = RECTL{f.left, f.top, f.right, f.bottom};
  p.Put(at, info);
}

void FillJob1(Packer& p, const PrinterRecord& r, const JobSetup& j) {
  JOB_INFO_1W info{};
  info.JobId = j.id;
  info.pPrinterName = p.Str(r.setup.name);
  info.pMachineName = p.Str(j.machineName);
  info.pUserName = p.Str(j.userName);
  info.pDocument = p.Str(j.document);
  info.pDatatype = p.Str(j.datatype);
  info.pStatus = p.StrOrNull(j.statusText);
  info.Status = j.status;
  info.Priority = j.priority;
  info.Position = j.position;
  info.TotalPages = j.totalPages;
  info.PagesPrinted = j.pagesPrinted;
  info.Submitted = j.submitted;
  p.Put(0, info);
}

void FillJob2(Packer& p, const PrinterRecord& r, const JobSetup& j) {
  JOB_INFO_2W info{};
  info.JobId = j.id;
  info.pPrinterName = p.Str(r.setup.name);
  info.pMachineName = p.Str(j.machineName);
  info.pUserName = p.Str(j.userName);
  info.pDocument = p.Str(j.document);
  info.pNotifyName = p.Str(j.notifyName);
  info.pDatatype = p.Str(j.datatype);
  info.pPrintProcessor = p.Str(j.printProcessor);
  info.pParameters = p.Str(j.parameters);
  info.pDriverName = p.Str(r.setup.driver.name);
  // A job without its own device-mode prints with the printer's.
  info.pDevMode = p.Devmode(j.devmode.empty() ? r.setup.devmode : j.devmode);
  info.pStatus = p.StrOrNull(j.statusText);
  info.pSecurityDescriptor = nullptr;
  info.Status = j.status;
  info.Priority = j.priority;
  info.Position = j.position;
  info.StartTime = j.startTime;
  info.UntilTime = j.untilTime;
  info.TotalPages = j.totalPages;
  info.Size = j.size;
  info.Submitted = j.submitted;
  info.Time = j.time;
  info.PagesPrinted = j.pagesPrinted;
  p.Put(0, info);
}

}  // namespace
}  // namespace plat::spooler

using namespace plat::spooler;

KOVA_EXPORT BOOL WINAPI EnumFormsW(HANDLE hPrinter, DWORD Level, LPBYTE pForm, DWORD cbBuf, LPDWORD pcbNeeded,
                                   LPDWORD pcReturned) {
  return GuardBool([&]() -> BOOL {
    auto handle = LookupPrinterHandle(hPrinter);
    if (!handle) {
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
    if (!pcReturned) {
      SetLastError(RPC_X_NULL_REF_POINTER);
      return FALSE;
    }
    *pcReturned = 0;
    if (Level != 1) {
      SetLastError(ERROR_INVALID_LEVEL);
      return FALSE;
    }
    if (!CheckBufferArgs(pForm, cbBuf, pcbNeeded)) return FALSE;
    const auto forms = store::LoadForms();
    BOOL ok = PackIntoBuffer(pForm, cbBuf, pcbNeeded, forms.size() * sizeof(FORM_INFO_1W), [&](Packer& p) {
      for (std::size_t i = 0; i < forms.size(); ++i) FillForm(p, i * sizeof(FORM_INFO_1W), forms[i]);
    });
    if (ok) *pcReturned = static_cast<DWORD>(forms.size());
    return ok;
  });
}

KOVA_EXPORT BOOL WINAPI GetFormW(HANDLE hPrinter, LPWSTR pFormName, DWORD Level, LPBYTE pForm, DWORD cbBuf,
                                 LPDWORD pcbNeeded) {
  return GuardBool([&]() -> BOOL {
    if (!LookupPrinterHandle(hPrinter)) {
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
    if (Level != 1) {
      SetLastError(ERROR_INVALID_LEVEL);
      return FALSE;
    }
    if (!CheckBufferArgs(pForm, cbBuf, pcbNeeded)) return FALSE;
    std::size_t n = 0;
    while (pFormName && pFormName[n] && n < CCHFORMNAME) ++n;
    const std::u16string_view name = pFormName ? std::u16string_view(pFormName, n) : std::u16string_view();
    for (const auto& f : store::LoadForms()) {
      if (!name.empty() && plat::EqualNoCase(f.name, name))
        return PackIntoBuffer(pForm, cbBuf, pcbNeeded, sizeof(FORM_INFO_1W), [&](Packer& p) { FillForm(p, 0, f); });
    }
    SetLastError(ERROR_INVALID_FORM_NAME);
    return FALSE;
  });
}

KOVA_EXPORT BOOL WINAPI GetJobW(HANDLE hPrinter, DWORD JobId, DWORD Level, LPBYTE pJob, DWORD cbBuf, LPDWORD pcbNeeded) {
  return GuardBool([&]() -> BOOL {
    DWORD error = 0;
    auto record = RecordOf(hPrinter, &error);
    if (!record) {
      SetLastError(error);
      return FALSE;
    }
    if (Level != 1 && Level != 2) {
      SetLastError(ERROR_INVALID_LEVEL);
      return FALSE;
    }
    if (!CheckBufferArgs(pJob, cbBuf, pcbNeeded)) return FALSE;
    for (const auto& j : record->jobs) {
      if (j.id != JobId) continue;
      if (Level == 1)
        return PackIntoBuffer(pJob, cbBuf, pcbNeeded, sizeof(JOB_INFO_1W), [&](Packer& p) { FillJob1(p, *record, j); });
      return PackIntoBuffer(pJob, cbBuf, pcbNeeded, sizeof(JOB_INFO_2W), [&](Packer& p) { FillJob2(p, *record, j); });
    }
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  });
}
