// The engine's side of a rendering driver: loading it, and the DDI road of a print job.
#include <cstring>

#include "gdi_internal.h"
#include "plat/engine.h"
#include "win/printer_interface.h"
#include "win/errors.h"
#include "win/loader.h"

namespace plat::engine {

PFN RenderingDriver::Function(ULONG index) const {
  if (!enableData.pdrvfn) return nullptr;
  for (ULONG i = 0; i < enableData.c; ++i)
    if (enableData.pdrvfn[i].iFunc == index) return enableData.pdrvfn[i].pfn;
  return nullptr;
}

bool LoadRenderingDriver(LPCWSTR windowsName, RenderingDriver& out) {
  out = RenderingDriver{};
  HMODULE module = LoadLibraryW(windowsName);
  if (!module) return false;
  auto enable = ProcCast<PFN_DrvEnableDriver>(GetProcAddress(module, "DrvEnableDriver"));
  if (!enable) {
    const DWORD err = GetLastError();
    FreeLibrary(module);
    SetLastError(err ? err : ERROR_PROC_NOT_FOUND);
    return false;
  }
  DRVENABLEDATA data{};
  if (!enable(DDI_DRIVER_VERSION_NT5_01, sizeof(DRVENABLEDATA), &data)) {
    const DWORD err = GetLastError();
    FreeLibrary(module);
    SetLastError(err);
    return false;
  }
  if (!data.pdrvfn || data.c == 0 || data.c > INDEX_LAST + 1) {
    FreeLibrary(module);
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  out.module = module;
  out.enableData = data;
  return true;
}

void UnloadRenderingDriver(RenderingDriver& driver) {
  if (driver.module) {
    if (auto disable = ProcCast<PFN_DrvDisableDriver>(GetProcAddress(driver.module, "DrvDisableDriver"))) disable();
    FreeLibrary(driver.module);
  }
  driver = RenderingDriver{};
}

Device::Device(const RenderingDriver& driver) : driver_(driver) {}

Device::~Device() {
  if (docOpen_) EndDoc(ED_ABORTDOC);
  Disable();
}

bool Device::EnableInto(const DEVMODEW* devmode, HANDLE printer, std::u16string_view deviceName, HDEV& hdev,
                        DHPDEV& pdev, GDIINFO& gdi, DEVINFO& dev, std::vector<BYTE>& devmodeCopy) {
  auto enablePdev = driver_.Get<PFN_DrvEnablePDEV>(INDEX_DrvEnablePDEV);
  calls_.push_back("DrvEnablePDEV");
  if (!enablePdev) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return false;
  }
  devmodeCopy.clear();
  if (devmode) {
    if (devmode->dmSize < offsetof(DEVMODEW, dmFields) + sizeof(DWORD)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return false;
    }
    const std::size_t total = static_cast<std::size_t>(devmode->dmSize) + devmode->dmDriverExtra;
    const auto* bytes = reinterpret_cast<const BYTE*>(devmode);
    devmodeCopy.assign(bytes, bytes + total);
  }
  hdev = CreateEngineDevice();
  gdi = GDIINFO{};
  dev = DEVINFO{};
  HSURF patterns[HS_DDI_MAX] = {};
  std::u16string name(deviceName);
  pdev = enablePdev(devmodeCopy.empty() ? nullptr : reinterpret_cast<DEVMODEW*>(devmodeCopy.data()), nullptr,
                    HS_DDI_MAX, patterns, sizeof(GDIINFO), reinterpret_cast<ULONG*>(&gdi), sizeof(DEVINFO), &dev,
                    hdev, name.data(), printer);
  if (!pdev) {
    const DWORD err = GetLastError();
    DeleteEngineDevice(hdev);
    hdev = nullptr;
    SetLastError(err);
    return false;
  }
  BindEngineDevice(hdev, pdev, &driver_.enableData);
  if (auto complete = driver_.Get<PFN_DrvCompletePDEV>(INDEX_DrvCompletePDEV)) {
    calls_.push_back("DrvCompletePDEV");
    complete(pdev, hdev);
  }
  return true;
}

bool Device::Enable(const DEVMODEW* devmode, HANDLE printer, std::u16string_view deviceName) {
  if (pdev_) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  printer_ = printer;
  deviceName_ = deviceName;
  return EnableInto(devmode, printer, deviceName, hdev_, pdev_, gdiInfo_, devInfo_, devmode_);
}

bool Device::EnableSurfaceFor(HDEV hdev, DHPDEV pdev, HSURF& surface, SURFOBJ*& surfobj) {
  auto enableSurface = driver_.Get<PFN_DrvEnableSurface>(INDEX_DrvEnableSurface);
  calls_.push_back("DrvEnableSurface");
  if (!enableSurface) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return false;
  }
  surface = enableSurface(pdev);
  if (!surface) return false;
  SurfaceInfo info;
  if (!QuerySurface(surface, info) || info.hdev != hdev) {
    // The driver must associate its surface with this device; the engine cannot use it.
    // The handle is kept so that DrvDisableSurface frees what the driver made.
    SetLastError(ERROR_INVALID_HANDLE);
    return false;
  }
  surfobj = EngLockSurface(surface);
  return surfobj != nullptr;
}

bool Device::EnableSurface() {
  if (!pdev_ || surface_) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  if (!EnableSurfaceFor(hdev_, pdev_, surface_, surfobj_)) {
    // What the driver made is its own to free.
    const DWORD err = GetLastError();
    DisableSurface();
    SetLastError(err);
    return false;
  }
  return true;
}

bool Device::banding() const {
  SurfaceInfo info;
  return surface_ && QuerySurface(surface_, info) && info.banding;
}

bool Device::StartDoc(std::u16string_view documentName, DWORD jobId) {
  auto startDoc = driver_.Get<PFN_DrvStartDoc>(INDEX_DrvStartDoc);
  calls_.push_back("DrvStartDoc");
  if (!startDoc || !surfobj_) {
    SetLastError(startDoc ? ERROR_INVALID_PARAMETER : ERROR_PROC_NOT_FOUND);
    return false;
  }
  std::u16string name(documentName);
  documentName_ = name;
  jobId_ = jobId;
  if (!startDoc(surfobj_, name.data(), jobId)) return false;
  docOpen_ = true;
  return true;
}

bool Device::StartPage() {
  auto startPage = driver_.Get<PFN_DrvStartPage>(INDEX_DrvStartPage);
  calls_.push_back("DrvStartPage");
  if (!startPage || !surfobj_) {
    SetLastError(startPage ? ERROR_INVALID_PARAMETER : ERROR_PROC_NOT_FOUND);
    return false;
  }
  return startPage(surfobj_) != FALSE;
}

ULONG Device::Escape(ULONG code, ULONG inSize, const void* in, ULONG outSize, void* out) {
  auto escape = driver_.Get<PFN_DrvEscape>(INDEX_DrvEscape);
  if (escape) calls_.push_back("DrvEscape");
  if (!escape || !pdev_) {
    SetLastError(escape ? ERROR_INVALID_PARAMETER : ERROR_PROC_NOT_FOUND);
    return 0;
  }
  // Before the surface exists the engine hands the driver a surface object of the device.
  SURFOBJ deviceOnly{};
  deviceOnly.dhpdev = pdev_;
  return escape(surfobj_ ? surfobj_ : &deviceOnly, code, inSize, const_cast<void*>(in), outSize, out);
}

bool Device::SendPage(const std::function<bool(Device&)>& drawBand) {
  if (!surfobj_) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  if (banding()) {
    auto startBanding = driver_.Get<PFN_DrvStartBanding>(INDEX_DrvStartBanding);
    auto nextBand = driver_.Get<PFN_DrvNextBand>(INDEX_DrvNextBand);
    calls_.push_back("DrvStartBanding");
    if (!startBanding || !nextBand) {
      SetLastError(ERROR_PROC_NOT_FOUND);
      return false;
    }
    POINTL origin{0, 0};
    if (!startBanding(surfobj_, &origin)) return false;
    // A page has at most as many bands as it has lines; a driver that never reports the
    // end is stopped there.
    const LONG maxBands = gdiInfo_.ulVertRes > 0 ? static_cast<LONG>(gdiInfo_.ulVertRes) + 1 : 1 << 16;
    for (LONG band = 0; band < maxBands; ++band) {
      bandOrigin_ = origin;
      if (drawBand && !drawBand(*this)) return false;
      calls_.push_back("DrvNextBand");
      if (!nextBand(surfobj_, &origin)) return false;
      if (origin.x == -1 && origin.y == -1) return true;
    }
    SetLastError(ERROR_INVALID_DATA);
    return false;
  }
  bandOrigin_ = POINTL{0, 0};
  if (drawBand && !drawBand(*this)) return false;
  auto sendPage = driver_.Get<PFN_DrvSendPage>(INDEX_DrvSendPage);
  calls_.push_back("DrvSendPage");
  if (!sendPage) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return false;
  }
  return sendPage(surfobj_) != FALSE;
}

bool Device::EndDoc(FLONG flags) {
  auto endDoc = driver_.Get<PFN_DrvEndDoc>(INDEX_DrvEndDoc);
  calls_.push_back("DrvEndDoc");
  docOpen_ = false;
  if (!endDoc || !surfobj_) {
    SetLastError(endDoc ? ERROR_INVALID_PARAMETER : ERROR_PROC_NOT_FOUND);
    return false;
  }
  return endDoc(surfobj_, flags) != FALSE;
}

bool Device::Reset(const DEVMODEW* devmode) {
  auto reset = driver_.Get<PFN_DrvResetPDEV>(INDEX_DrvResetPDEV);
  if (!pdev_ || !reset) {
    SetLastError(pdev_ ? ERROR_PROC_NOT_FOUND : ERROR_INVALID_PARAMETER);
    return false;
  }
  HDEV newHdev = nullptr;
  DHPDEV newPdev = nullptr;
  GDIINFO newGdi{};
  DEVINFO newDev{};
  std::vector<BYTE> newDevmode;
  if (!EnableInto(devmode, printer_, deviceName_, newHdev, newPdev, newGdi, newDev, newDevmode)) return false;
  calls_.push_back("DrvResetPDEV");
  if (!reset(pdev_, newPdev)) {
    // The old device stays in use; the new one is given up.
    const DWORD err = GetLastError();
    HSURF none = nullptr;
    SURFOBJ* noObj = nullptr;
    DisableDevice(newHdev, newPdev, none, noObj);
    SetLastError(err);
    return false;
  }
  // The engine's order: the old device's surface and device go, then the new device gets
  // its surface and, inside a document, the document starts on it again.
  const bool hadSurface = surface_ != nullptr;
  const bool inDocument = docOpen_;
  DisableDevice(hdev_, pdev_, surface_, surfobj_);
  docOpen_ = false;
  hdev_ = newHdev;
  pdev_ = newPdev;
  gdiInfo_ = newGdi;
  devInfo_ = newDev;
  devmode_ = std::move(newDevmode);
  if (hadSurface && !EnableSurface()) return false;
  if (inDocument && !StartDoc(documentName_, jobId_)) return false;
  return true;
}

void Device::DisableDevice(HDEV& hdev, DHPDEV& pdev, HSURF& surface, SURFOBJ*& surfobj) {
  if (surfobj) {
    EngUnlockSurface(surfobj);
    surfobj = nullptr;
  }
  if (pdev && surface) {
    if (auto disableSurface = driver_.Get<PFN_DrvDisableSurface>(INDEX_DrvDisableSurface)) {
      calls_.push_back("DrvDisableSurface");
      disableSurface(pdev);
    }
  }
  surface = nullptr;
  if (pdev) {
    if (auto disablePdev = driver_.Get<PFN_DrvDisablePDEV>(INDEX_DrvDisablePDEV)) {
      calls_.push_back("DrvDisablePDEV");
      disablePdev(pdev);
    }
    pdev = nullptr;
  }
  if (hdev) {
    DeleteEngineDevice(hdev);
    hdev = nullptr;
  }
}

void Device::DisableSurface() {
  if (surfobj_) {
    EngUnlockSurface(surfobj_);
    surfobj_ = nullptr;
  }
  if (pdev_ && surface_) {
    if (auto disableSurface = driver_.Get<PFN_DrvDisableSurface>(INDEX_DrvDisableSurface)) {
      calls_.push_back("DrvDisableSurface");
      disableSurface(pdev_);
    }
  }
  surface_ = nullptr;
}

void Device::Disable() { DisableDevice(hdev_, pdev_, surface_, surfobj_); }

JobOutcome RunJob(const RenderingDriver& driver, const JobRequest& request) {
  JobOutcome outcome;
  Device device(driver);
  auto fail = [&](const char* step) {
    outcome.ok = false;
    outcome.failedStep = step;
    outcome.lastError = GetLastError();
    // An abandoned document still ends, marked as aborted.
    if (device.documentOpen()) device.EndDoc(ED_ABORTDOC);
    device.Disable();
    outcome.calls = device.calls();
    return outcome;
  };
  if (!device.Enable(request.devmode, request.printer, request.deviceName)) return fail("DrvEnablePDEV");
  if (!device.EnableSurface()) return fail("DrvEnableSurface");
  // The document's device context, for the document events.
  HDC dc = request.documentEvent ? CreateDeviceContext(device) : nullptr;
  struct DcGuard {
    HDC dc;
    ~DcGuard() {
      if (dc) DeleteDeviceContext(dc);
    }
  } guard{dc};
  auto event = [&](int code) { return request.documentEvent ? request.documentEvent(device, dc, code) : 1; };
  if (event(DOCUMENTEVENT_STARTDOC) < 0) return fail("DrvDocumentEvent");
  if (request.beforeDocument && !request.beforeDocument(device)) return fail("DrvEscape");
  if (!device.StartDoc(request.documentName, request.jobId)) return fail("DrvStartDoc");
  event(DOCUMENTEVENT_STARTDOCPOST);
  for (const JobPage& page : request.pages) {
    if (page.resetDevmode && !device.Reset(page.resetDevmode)) return fail("DrvResetPDEV");
    if (event(DOCUMENTEVENT_STARTPAGE) < 0) return fail("DrvDocumentEvent");
    if (!device.StartPage()) return fail("DrvStartPage");
    if (!device.SendPage(page.draw)) return fail(device.banding() ? "DrvNextBand" : "DrvSendPage");
    event(DOCUMENTEVENT_ENDPAGE);
  }
  event(DOCUMENTEVENT_ENDDOC);
  if (!device.EndDoc()) return fail("DrvEndDoc");
  event(DOCUMENTEVENT_ENDDOCPOST);
  device.DisableSurface();
  device.Disable();
  outcome.ok = true;
  outcome.calls = device.calls();
  return outcome;
}

}  // namespace plat::engine
