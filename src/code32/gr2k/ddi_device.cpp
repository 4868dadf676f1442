// Device life: enabling, completing, resetting and disabling a rendering device, its
// surface, and the bands of a raster page.
#include <cstring>

#include "context/context_create.h"
#include "stored/devmode_merge.h"
#include "base/driver_context.h"
#include "fields/field_access.h"
#include "ddi.h"
#include "image_transfer.h"
#include "output_binding.h"
#include "reset_carry.h"
#include "render_device.h"
#include "render_fields.h"
#include "win/errors.h"

namespace rendara {

namespace {

constexpr DWORD kMergeFlagsEnable = 0x10008;
constexpr DWORD kSrcCopy = 0xCC0020;

RenderDevice* CheckedDevice(DHPDEV dhpdev) {
  auto* device = reinterpret_cast<RenderDevice*>(dhpdev);
  if (!IsValidRenderDevice(device)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return device;
}

RenderDevice* CheckedSurface(SURFOBJ* pso) {
  RenderDevice* device = DeviceOfSurface(pso);
  if (!device) SetLastError(ERROR_INVALID_PARAMETER);
  return device;
}

DHPDEV Fail(RenderDevice* device) {
  DestroyRenderDevice(device);
  return nullptr;
}

void FillBand(SURFOBJ* pso) {
  if (pso && pso->pvBits && pso->cjBits) std::memset(pso->pvBits, 0xFF, pso->cjBits);
}

}  // namespace

DHPDEV DrvEnablePDEV(DEVMODEW* pdm, LPWSTR /*logAddress*/, ULONG patternCount, HSURF* patterns, ULONG gdiInfoSize,
                     ULONG* gdiInfo, ULONG devInfoSize, DEVINFO* devInfo, HDEV /*hdev*/, LPWSTR /*deviceName*/,
                     HANDLE printer) {
  DeviceHeap* heap = CreateDeviceHeap();
  if (!heap) return nullptr;
  auto* device = static_cast<RenderDevice*>(DeviceAlloc(heap, sizeof(RenderDevice)));
  if (!device) {
    DestroyDeviceHeap(heap);
    return nullptr;
  }
  std::memset(static_cast<void*>(device), 0, sizeof(RenderDevice));
  device->magic1 = device->magic2 = kRenderDeviceMagic;
  device->heap = heap;
  device->printer = printer;
  device->records.owner = device;
  ResetRecordBuffer(&device->records);

  device->module = RendaraModule();
  if (!device->module) return Fail(device);
  device->context = CreateContextForPrinter(printer, nullptr, 0, CTXK_RENDERING_REQUEST);
  if (!device->context) return Fail(device);
  // A device-mode too short to hold its own field mask is refused.
  if (pdm && pdm->dmSize < offsetof(DEVMODEW, dmFields) + sizeof(DWORD)) return Fail(device);
  if (!MergeDevmode(device->context, pdm, kMergeFlagsEnable)) return Fail(device);
  if (pdm) {
    const std::size_t size = static_cast<std::size_t>(pdm->dmSize) + pdm->dmDriverExtra;
    device->jobDevmode = static_cast<DEVMODEW*>(DeviceAlloc(heap, size));
    if (!device->jobDevmode) return Fail(device);
    std::memcpy(device->jobDevmode, pdm, size);
  }
  InitRenderDevice(device);

  GDIINFO gdi;
  FillGdiInfo(device, sizeof gdi, &gdi);
  if (gdiInfo) std::memcpy(gdiInfo, &gdi, gdiInfoSize < sizeof gdi ? gdiInfoSize : sizeof gdi);
  DEVINFO dev;
  if (!FillDevInfo(device, sizeof dev, &dev, gdi.ulHTPatternSize)) return Fail(device);

  if (device->rasterMode || ReadFieldRawById(device->context, fid::kdmDriverType) == 1) {
    dev.cFonts = 0;
    device->deviceFontCount = 0;
  } else {
    device->deviceFonts = LoadDeviceFonts(device, device->module, &device->deviceFontCount);
    dev.cFonts = device->deviceFontCount;
  }
  if (devInfo) std::memcpy(devInfo, &dev, devInfoSize < sizeof dev ? devInfoSize : sizeof dev);
  if (patterns)
    for (ULONG i = 0; i < patternCount; ++i) patterns[i] = nullptr;

  if (!CreateClipCache(device)) return Fail(device);
  device->osVersion.dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
  GetVersionExW(&device->osVersion);
  return reinterpret_cast<DHPDEV>(device);
}

void DrvCompletePDEV(DHPDEV dhpdev, HDEV hdev) {
  if (RenderDevice* device = CheckedDevice(dhpdev)) device->engineDevice = hdev;
}

BOOL DrvResetPDEV(DHPDEV oldHandle, DHPDEV newHandle) {
  RenderDevice* oldDevice = CheckedDevice(oldHandle);
  RenderDevice* newDevice = CheckedDevice(newHandle);
  if (!oldDevice || !newDevice) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (!(oldDevice->jobFlags & JOB_DOC_STARTED)) return TRUE;

  newDevice->pageCount = oldDevice->pageCount;
  oldDevice->jobFlags |= JOB_CARRIED_OVER;
  newDevice->jobFlags |= JOB_CARRIED_OVER | JOB_DOC_STARTED;
  newDevice->jobId = oldDevice->jobId;
  if (!FlushRecords(&oldDevice->records)) return FALSE;

  // The output binding moves to the new device: the old one keeps nothing that it could
  // close, unload or free a second time.
  RecordBuffer& from = oldDevice->records;
  RecordBuffer& to = newDevice->records;
  ResetRecordBuffer(&to);
  to.outputModule = from.outputModule;
  to.outputHandle = from.outputHandle;
  to.write = from.write;
  from.outputModule = nullptr;
  from.outputHandle = nullptr;
  from.write = nullptr;
  newDevice->filterInUse = oldDevice->filterInUse;
  newDevice->filter = oldDevice->filter;
  newDevice->filterGetInterface = oldDevice->filterGetInterface;
  newDevice->filterDisposeInterface = oldDevice->filterDisposeInterface;
  oldDevice->filter = nullptr;
  oldDevice->filterGetInterface = nullptr;
  oldDevice->filterDisposeInterface = nullptr;
  // The open filter holds the path list's strings: the list goes with it.
  FreeFilterPathList(newDevice->filterPaths);
  newDevice->filterPaths = oldDevice->filterPaths;
  oldDevice->filterPaths = nullptr;

  if (newDevice->jobName) DeviceFree(newDevice->heap, newDevice->jobName);
  newDevice->jobName = nullptr;
  newDevice->jobNameLength = 0;
  if (oldDevice->jobName && oldDevice->jobNameLength > 0) {
    const std::size_t n = static_cast<std::size_t>(oldDevice->jobNameLength);
    newDevice->jobName = static_cast<char*>(DeviceAlloc(newDevice->heap, n + 1));
    if (newDevice->jobName) {
      std::memcpy(newDevice->jobName, oldDevice->jobName, n);
      newDevice->jobName[n] = 0;
      newDevice->jobNameLength = oldDevice->jobNameLength;
    }
  }
  // Colour transforms belong to one device at a time.
  newDevice->colorTransform = oldDevice->colorTransform;
  newDevice->colorProfile = oldDevice->colorProfile;
  oldDevice->colorTransform = nullptr;
  oldDevice->colorProfile = nullptr;

  if (newDevice->rasterMode) CarryJobControlSettings(newDevice->context, oldDevice->context);
  ClearGlyphCache(oldDevice);
  newDevice->glyphs.generation = oldDevice->glyphs.generation;
  newDevice->settingsTakeOver = oldDevice->settingsTakeOver;
  if (newDevice->settingsTakeOver && CanCarryJobSettings(oldDevice, newDevice)) {
    newDevice->rawMode = oldDevice->rawMode;
    newDevice->printMethod = oldDevice->printMethod;
  }
  return TRUE;
}

void DrvDisablePDEV(DHPDEV dhpdev) {
  RenderDevice* device = CheckedDevice(dhpdev);
  if (!device) return;
  // A document the engine never ended still holds its output: end and unload it here.
  if (device->records.outputModule) OutputEndDoc(device);
  FreeClipCache(device);
  if (device->palette) {
    EngDeletePalette(device->palette);
    device->palette = nullptr;
  }
  FreeDeviceFonts(device, device->deviceFonts);
  device->deviceFonts = nullptr;
  device->deviceFontCount = 0;
  FreePluginList(device->plugins);
  device->plugins = nullptr;
  FreeFilterPathList(device->filterPaths);
  device->filterPaths = nullptr;
  DestroyRenderDevice(device);
}

HSURF DrvEnableSurface(DHPDEV dhpdev) {
  RenderDevice* device = CheckedDevice(dhpdev);
  if (!device) return nullptr;
  const LONG w = device->surfaceWidth;
  const LONG h = device->surfaceHeight;
  if (w <= 0 || h <= 0) return nullptr;
  const bool mono = device->colorProcess == 1 && device->color == 1;
  HSURF surface = nullptr;
  FLONG hooks = 0;
  if (device->rasterMode) {
    const LONG band = BandHeight(w, h);
    const ULONG format = mono ? BMF_1BPP : BMF_24BPP;
    const LONG row = mono ? ((w + 31) / 32) * 4 : ((w * 3 + 3) / 4) * 4;
    HBITMAP bitmap = EngCreateBitmap(SIZEL{w, band}, row, format, BMF_TOPDOWN, nullptr);
    surface = reinterpret_cast<HSURF>(bitmap);
    if (!surface) return nullptr;
    EngMarkBandingSurface(surface);
    hooks = HOOK_BITBLT | HOOK_STRETCHBLT | HOOK_TEXTOUT;
  } else {
    const ULONG format = (device->hiddenFunc30 && mono) ? BMF_1BPP : BMF_24BPP;
    surface = EngCreateDeviceSurface(reinterpret_cast<DHSURF>(device), SIZEL{w, h}, format);
    if (!surface) return nullptr;
    hooks = HOOK_BITBLT | HOOK_STRETCHBLT | HOOK_TEXTOUT | HOOK_STROKEPATH | HOOK_FILLPATH |
            HOOK_STROKEANDFILLPATH | HOOK_COPYBITS;
    if (!device->hiddenFunc5) hooks |= HOOK_STRETCHBLTROP;
  }
  if (!EngAssociateSurface(surface, device->engineDevice, hooks)) {
    EngDeleteSurface(surface);
    return nullptr;
  }
  device->surface = surface;
  return surface;
}

void DrvDisableSurface(DHPDEV dhpdev) {
  auto* device = reinterpret_cast<RenderDevice*>(dhpdev);
  if (!IsValidRenderDevice(device)) return;
  if (device->surface) {
    EngDeleteSurface(device->surface);
    device->surface = nullptr;
  }
}

BOOL DrvStartBanding(SURFOBJ* pso, POINTL* origin) {
  RenderDevice* device = CheckedSurface(pso);
  if (!device) return FALSE;
  if (device->metafileSpooling && !device->pageStartSeen) {
    if (!DrvStartPage(pso)) return FALSE;
    device->pageStartSeen = 0;
  }
  device->bandX = 0;
  device->bandY = 0;
  device->bandCount = 0;
  if (origin) *origin = POINTL{0, 0};
  if (!RemoveClip(device) || !SelectRop(device, kSrcCopy)) return FALSE;
  FillBand(pso);
  return TRUE;
}

namespace {

// The finished band goes out through the image-copy road: the band bitmap from its first
// pixel into its rectangle on the page, cut at the page's last line.
BOOL CopyBandOut(RenderDevice* device, SURFOBJ* band, LONG x, LONG y, LONG width, LONG height) {
  if (device->surfaceHeight > y && device->surfaceHeight - y < height) height = device->surfaceHeight - y;
  if (width <= 0 || height <= 0) return TRUE;
  POINTL from{0, 0};
  RECTL target{x, y, x + width, y + height};
  return ImageCopy(device, nullptr, band, &from, &target);
}

}  // namespace

BOOL DrvNextBand(SURFOBJ* pso, POINTL* origin) {
  RenderDevice* device = CheckedSurface(pso);
  if (!device) return FALSE;
  ++device->bandCount;
  const LONG x = device->bandX;
  const LONG y = device->bandY;
  const LONG bandWidth = pso->sizlBitmap.cx;
  const LONG bandHeight = pso->sizlBitmap.cy;
  // The band that reaches the page's last line is the last one: a page whose height is a
  // multiple of the band height gets no empty band after it.
  POINTL next{x, y + bandHeight};
  if (bandHeight <= 0 || device->surfaceHeight <= y + bandHeight) next = POINTL{-1, -1};
  if (origin) *origin = next;
  const BOOL copied = CopyBandOut(device, pso, x, y, bandWidth, bandHeight);
  FillBand(pso);
  device->bandX = next.x;
  device->bandY = next.y;
  if (!copied) return FALSE;
  if (next.x == -1 && next.y == -1) return DrvSendPage(pso);
  return TRUE;
}

}  // namespace rendara
