// The graphics engine around a rendering driver: loading the driver by its Windows name,
// the engine's device (HDEV) for each printer device context, and the DDI road of one
// print job (DrvEnablePDEV ... DrvDisablePDEV), as the system's graphics engine runs it.
//
// Also the registry of compiled-in resources that EngFindResource answers from: a driver
// whose resources are data built into it registers its table for its module handle (for
// example in DllMain on process attach) and removes it on process detach.
#pragma once

// Exported by the platform library (built with hidden visibility otherwise).
#pragma GCC visibility push(default)

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "win/devmode.h"
#include "win/gdi.h"
#include "win/types.h"
#include "win/winddi.h"

namespace plat {

// One resource of a module: (type, id) -> size bytes at data. The data must stay valid
// while the table is registered.
struct EngineResource {
  int type;
  int id;
  const void* data;
  ULONG size;
};

// Registers (replacing an earlier table) the compiled-in resources of a module for
// EngFindResource. A null module or a null table with a non-zero count is refused
// (false, ERROR_INVALID_PARAMETER). The table is copied; the data it points to is not.
bool RegisterEngineResources(HMODULE module, const EngineResource* table, std::size_t count);
// Forgets a module's table; true when there was one.
bool UnregisterEngineResources(HMODULE module);

}  // namespace plat

namespace plat::engine {

// The engine's device objects (HDEV). The engine creates one before DrvEnablePDEV and
// binds the driver's device and table to it once DrvEnablePDEV has answered; surfaces are
// associated with it by EngAssociateSurface.
HDEV CreateEngineDevice();
// false (ERROR_INVALID_HANDLE) for an unknown device.
bool BindEngineDevice(HDEV hdev, DHPDEV dhpdev, const DRVENABLEDATA* table);
// Forgets the device; its surfaces stay and lose their association.
bool DeleteEngineDevice(HDEV hdev);
// What the engine knows of a surface: the device it is associated with (null when none),
// its hooks and whether it is a banding surface. false for an unknown surface.
struct SurfaceInfo {
  HDEV hdev = nullptr;
  FLONG hooks = 0;
  bool banding = false;
  bool device = false;  // a device surface (no bits)
};
bool QuerySurface(HSURF hsurf, SurfaceInfo& out);
// Number of live surfaces and palettes, for leak checks.
std::size_t LiveSurfaceCount();
std::size_t LivePaletteCount();

// A loaded rendering driver: its module and the DDI table DrvEnableDriver handed out.
struct RenderingDriver {
  HMODULE module = nullptr;
  DRVENABLEDATA enableData{};
  // The function of an engine index in the driver's table, or null.
  PFN Function(ULONG index) const;
  template <typename F>
  F Get(ULONG index) const {
    return reinterpret_cast<F>(reinterpret_cast<void (*)()>(Function(index)));
  }
};

// LoadLibraryW(windowsName), then DrvEnableDriver(DDI_DRIVER_VERSION_NT5_01,
// sizeof(DRVENABLEDATA)). The table is checked: a null table or a count above INDEX_LAST + 1
// fails with ERROR_INVALID_PARAMETER, and the module is freed again. A missing module or
// DrvEnableDriver export fails with the loader's error code. On failure `out` is empty.
bool LoadRenderingDriver(LPCWSTR windowsName, RenderingDriver& out);
// DrvDisableDriver (when exported), then FreeLibrary; empties `driver`.
void UnloadRenderingDriver(RenderingDriver& driver);

// The engine's device for one printer device context. It plays the engine's part of the
// DDI road; each step calls the driver's function and answers its result. A step whose
// function the table lacks fails with ERROR_PROC_NOT_FOUND (the optional ones, noted
// below, are skipped instead).
class Device {
 public:
  explicit Device(const RenderingDriver& driver);
  ~Device();  // ends what is still open: EndDoc (ED_ABORTDOC), DisableSurface, DisablePDEV
  Device(const Device&) = delete;
  Device& operator=(const Device&) = delete;

  // DrvEnablePDEV (with sizeof(GDIINFO), sizeof(DEVINFO) and HS_DDI_MAX pattern slots),
  // then DrvCompletePDEV (optional). devmode may be null. The device keeps its own copy of
  // the device-mode (dmSize + dmDriverExtra bytes, checked) so the caller's may go away.
  bool Enable(const DEVMODEW* devmode, HANDLE printer, std::u16string_view deviceName);
  // DrvEnableSurface; the surface must have been associated with this device.
  bool EnableSurface();
  bool StartDoc(std::u16string_view documentName, DWORD jobId);
  bool StartPage();
  // A banding surface: DrvStartBanding, then per band `drawBand` and DrvNextBand until the
  // driver reports (-1, -1) (its last band sends the page). Otherwise `drawBand` once and
  // DrvSendPage. drawBand may be empty; its false fails the page.
  bool SendPage(const std::function<bool(Device&)>& drawBand = {});
  bool EndDoc(FLONG flags = 0);
  // A device reset (the application's ResetDC), in the engine's order: a new device is
  // enabled with the new device-mode and the same printer and name (DrvEnablePDEV,
  // DrvCompletePDEV), DrvResetPDEV(old, new), the old device's DrvDisableSurface and
  // DrvDisablePDEV, the new device's DrvEnableSurface (when the old one had a surface) and,
  // inside a document, DrvStartDoc on the new device with the document's name and job id.
  // This object continues with the new device. When DrvResetPDEV fails the new device is
  // disabled and the old one kept; a later failure leaves the new device in place.
  bool Reset(const DEVMODEW* devmode);
  void DisableSurface();
  void Disable();
  // DrvEscape, as an application's ExtEscape reaches it: with the device's surface object
  // (before DrvEnableSurface, one that names only the device). Answers the driver's result;
  // 0 with ERROR_PROC_NOT_FOUND when the table lacks the function (and the call is not
  // recorded).
  ULONG Escape(ULONG code, ULONG inSize, const void* in, ULONG outSize, void* out);

  DHPDEV pdev() const { return pdev_; }
  HDEV hdev() const { return hdev_; }
  HSURF surfaceHandle() const { return surface_; }
  // The locked surface object of the driver's surface (null before EnableSurface).
  SURFOBJ* surface() const { return surfobj_; }
  bool banding() const;
  // The origin of the band being drawn (0, 0 without banding): drawing calls for a band
  // are made in band coordinates, the page point (x, y) at (x - origin.x, y - origin.y).
  POINTL bandOrigin() const { return bandOrigin_; }
  const GDIINFO& gdiInfo() const { return gdiInfo_; }
  const DEVINFO& devInfo() const { return devInfo_; }
  bool documentOpen() const { return docOpen_; }
  const RenderingDriver& driver() const { return driver_; }
  // The engine-side names of the driver calls made so far ("DrvStartPage" ...), in order.
  const std::vector<std::string>& calls() const { return calls_; }

 private:
  bool EnableInto(const DEVMODEW* devmode, HANDLE printer, std::u16string_view deviceName, HDEV& hdev,
                  DHPDEV& pdev, GDIINFO& gdi, DEVINFO& dev, std::vector<BYTE>& devmodeCopy);
  void DisableDevice(HDEV& hdev, DHPDEV& pdev, HSURF& surface, SURFOBJ*& surfobj);
  bool EnableSurfaceFor(HDEV hdev, DHPDEV pdev, HSURF& surface, SURFOBJ*& surfobj);

  const RenderingDriver& driver_;
  HDEV hdev_ = nullptr;
  DHPDEV pdev_ = nullptr;
  HSURF surface_ = nullptr;
  SURFOBJ* surfobj_ = nullptr;
  HANDLE printer_ = nullptr;
  std::u16string deviceName_;
  std::vector<BYTE> devmode_;
  GDIINFO gdiInfo_{};
  DEVINFO devInfo_{};
  bool docOpen_ = false;
  std::u16string documentName_;
  DWORD jobId_ = 0;
  POINTL bandOrigin_{0, 0};
  std::vector<std::string> calls_;
};

// One print job as an application would make it: a document of pages, optionally with a
// device reset (a new device-mode) before some pages.
struct JobPage {
  const DEVMODEW* resetDevmode = nullptr;  // non-null: ResetDC before this page
  std::function<bool(Device&)> draw;       // the page's drawing calls (per band), may be empty
};
struct JobRequest {
  // The application's side of the document, called on the document's device context as
  // the engine calls the printer interface DLL's document events: before DrvStartDoc
  // (DOCUMENTEVENT_STARTDOC), after it (STARTDOCPOST), before each DrvStartPage
  // (STARTPAGE), after each page (ENDPAGE), before DrvEndDoc (ENDDOC) and after it
  // (ENDDOCPOST). A negative answer to STARTDOC or STARTPAGE fails the job at that step
  // ("DrvDocumentEvent"); the other answers are not examined. May be empty.
  std::function<int(Device& device, HDC dc, int event)> documentEvent;
  const DEVMODEW* devmode = nullptr;
  HANDLE printer = nullptr;
  std::u16string deviceName;
  std::u16string documentName;
  DWORD jobId = 1;
  std::vector<JobPage> pages;
  // Called after DrvEnableSurface and before DrvStartDoc (an application's escapes at the
  // start of its document); false fails the job at "DrvEscape".
  std::function<bool(Device&)> beforeDocument;
};
struct JobOutcome {
  bool ok = false;
  std::string failedStep;  // the driver call that failed, empty when ok
  DWORD lastError = 0;
  std::vector<std::string> calls;
};

// An application's device context on an engine device: ExtEscape on it reaches the
// driver's DrvEscape with the device's surface. The context must be deleted before its
// device goes away. DeleteDeviceContext answers false for an unknown context.
HDC CreateDeviceContext(Device& device);
bool DeleteDeviceContext(HDC dc);

// Enable, EnableSurface, StartDoc, the pages (reset, StartPage, SendPage), EndDoc,
// DisableSurface, Disable. A failing step ends the job as the engine does: the document is
// ended with ED_ABORTDOC (when it was started) and the device freed; the outcome names the
// step.
JobOutcome RunJob(const RenderingDriver& driver, const JobRequest& request);

}  // namespace plat::engine

#pragma GCC visibility pop
