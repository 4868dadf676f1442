#include "render_device.h"

#include "colour_transform.h"

#include <cstring>
#include <string>

#include "context/context_create.h"
#include "base/driver_context.h"
#include "fields/field_access.h"
#include "context/paper_sizes.h"
#include "fields/product_record.h"
#include "output_binding.h"
#include "render_fields.h"
#include "text_geometry.h"
#include "win/loader.h"

namespace rendara {

namespace {

HMODULE g_module = nullptr;

DWORD Field(RenderDevice* device, WORD id) { return ReadFieldRawById(device->context, id); }

}  // namespace

HMODULE RendaraModule() { return g_module; }
void SetRendaraModule(HMODULE module) { g_module = module; }

bool IsValidRenderDevice(const RenderDevice* device) {
  return device && device->magic1 == kRenderDeviceMagic && device->magic2 == kRenderDeviceMagic;
}

RenderDevice* DeviceOfSurface(SURFOBJ* surface) {
  if (!surface) return nullptr;
  auto* device = reinterpret_cast<RenderDevice*>(surface->dhpdev);
  return IsValidRenderDevice(device) ? device : nullptr;
}

DeviceHeap* OwnerHeap(const RenderDevice* owner) { return owner ? owner->heap : nullptr; }
bool OnRawFirstPage(const RenderDevice* device) { return device->rawMode && device->pageCount == 1; }
bool OwnerOnRawFirstPage(const RenderDevice* owner) { return owner && OnRawFirstPage(owner); }
void OwnerSetOutputFailed(RenderDevice* owner) {
  if (owner) owner->jobFlags |= JOB_OUTPUT_FAILED;
}
bool OwnerOutputFailed(const RenderDevice* owner) { return owner && (owner->jobFlags & JOB_OUTPUT_FAILED); }

void ReadPageGeometry(RenderDevice* device) {
  PageGeometry& g = device->geometry;
  POINTL paper{0, 0};
  GetSourcePaperSize(device->context, &paper);
  g.paperWidthMm10 = paper.x;
  g.paperLengthMm10 = paper.y;
  g.physicalWidth = static_cast<std::int32_t>(Field(device, fid::kdmSrcPaperWidthDot));
  g.physicalHeight = static_cast<std::int32_t>(Field(device, fid::kdmSrcPaperLengthDot));
  g.printableWidth = static_cast<std::int32_t>(Field(device, fid::kdmSrcPaperPrnWidthDot));
  g.printableHeight = static_cast<std::int32_t>(Field(device, fid::kdmSrcPaperPrnLengthDot));
  g.printableWidthMm10 = 0;
  g.printableHeightMm10 = 0;
  if (device->resolution != 0) {
    g.printableWidthMm10 = static_cast<std::int32_t>(static_cast<std::int64_t>(g.printableWidth) * 254 / device->resolution);
    g.printableHeightMm10 = static_cast<std::int32_t>(static_cast<std::int64_t>(g.printableHeight) * 254 / device->resolution);
  }
  g.paperCode = static_cast<std::int32_t>(Field(device, fid::dmPaperSize));
  g.xOffset = static_cast<std::int32_t>(Field(device, fid::kdmSrcXOffset));
  g.yOffset = static_cast<std::int32_t>(Field(device, fid::kdmSrcYOffset));
}

void InitRenderDevice(RenderDevice* device) {
  device->jobFlags = 0;
  device->pageCount = 0;
  const DWORD quality = Field(device, fid::dmPrintQuality) & 0xFFFF;
  device->resolution = static_cast<WORD>(quality ? quality : 600);
  device->orientation = static_cast<std::int16_t>(static_cast<std::int16_t>(Field(device, fid::dmOrientation)) - 1);
  device->colorProcess = static_cast<std::int16_t>(Field(device, fid::kdmColorProcess));
  device->rasterMode = static_cast<std::int16_t>(Field(device, fid::kdmImagePrint));
  device->language = static_cast<std::int16_t>(Field(device, fid::kdmLanguageID));
  device->rawMode = static_cast<WORD>(Field(device, fid::KPD_kdmJobfold) & 1);
  if (device->rawMode) device->rasterMode = 0;
  if (device->rasterMode == 0 && device->colorProcess == 0 && Field(device, fid::kdmHidden2Func9) != 0)
    device->colorProcess = 2;
  device->machineColorType = Field(device, fid::kdmMachineTypeColor);
  device->metafileSpooling = static_cast<std::int32_t>(Field(device, fid::kdmExtOutputEMFSpool));
  device->color = Field(device, fid::dmColor);
  device->copies = static_cast<std::int16_t>(Field(device, fid::dmCopies));
  device->colorMatching = static_cast<BYTE>(Field(device, fid::kdmColorMatching));
  device->icmType = static_cast<BYTE>(Field(device, fid::kdmICMType));
  device->extPrintArea = static_cast<std::int16_t>(Field(device, fid::kdmExtPrintArea));
  device->hiddenFunc4 = Field(device, fid::kdmHiddenFunc4);
  device->specialText = (Field(device, fid::kdmHiddenFunc15) != 0 || (Field(device, fid::kdmFrontFunc) & 0x80)) ? 1 : 0;
  device->hiddenFunc18 = Field(device, fid::kdmHiddenFunc18);
  device->hiddenFunc30 = static_cast<std::int16_t>(Field(device, fid::kdmHiddenFunc30));
  device->hiddenFunc5 = static_cast<std::int16_t>(Field(device, fid::kdmHiddenFunc5));
  device->hidden2Func11 = Field(device, fid::kdmHidden2Func11);
  const DWORD textBitmap = Field(device, fid::kdmQualityFuncTextBitmapSupport) != 0
                               ? Field(device, fid::kdmQualityFuncTextBitmap)
                               : Field(device, fid::kdmHiddenFunc26);
  device->textAsBitmap = textBitmap ? 1 : 0;
  device->printMethod = Field(device, fid::kdmPrnMethod);
  device->settingsTakeOver = Field(device, fid::kdmPrnFuncTakeOver) != 0 ? 1 : 0;
  ReadPageGeometry(device);
  device->printMethodIs7 = device->printMethod == 7 ? 1 : 0;

  // Stretched images are allowed only when the source printable area holds the output's
  // and nothing scales or lays pages out.
  const bool fits = Field(device, fid::kdmSrcPaperPrnLengthDot) >= Field(device, fid::kdmDstPaperPrnLengthDot) &&
                    Field(device, fid::kdmSrcPaperPrnWidthDot) >= Field(device, fid::kdmDstPaperPrnWidthDot);
  const bool noPoster = Field(device, fid::kdmFuncSelectNup) == 0 || Field(device, fid::kdmNUPPOSTKind) != 9;
  const bool unscaled = static_cast<std::int32_t>(Field(device, fid::kdmScaleH)) <= 100 &&
                        static_cast<std::int32_t>(Field(device, fid::kdmScaleV)) <= 100;
  const bool method = device->printMethod != 7 && device->printMethod != 5;
  device->stretchImage = (fits && noPoster && unscaled && method) ? 1 : 0;

  // The driver directory joins PATH; its filter plug-ins are listed.
  WCHAR directory[260];
  device->filterInUse = 0;
  device->filterForcesRaw = 0;
  if (LocateOutputDll(device, device->printer, directory, FALSE)) {
    char directory8[260 * 2 + 1];
    const DWORD n = ConvertToPrinterText(reinterpret_cast<BYTE*>(directory8), sizeof directory8 - 1, directory,
                                         static_cast<DWORD>(std::char_traits<char16_t>::length(directory) * 2));
    directory8[n] = 0;
    device->plugins = BuildPluginList("iKOVAFilter", directory8);
    if (device->plugins) {
      device->filterInUse = 1;
      for (DWORD i = 0; i < device->plugins->count; ++i)
        if (device->plugins->entries[i]->forceRaw) device->filterForcesRaw = 1;
    }
  }

  device->outputDllName = device->context->product ? GetProductString(device->context->product->outputDllName) : nullptr;

  // Inside the 64-bit print host (Windows 8 and later) jobs are spooled as metafiles.
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof version;
  if (GetVersionExW(&version) &&
      (version.dwMajorVersion > 6 || (version.dwMajorVersion == 6 && version.dwMinorVersion >= 2))) {
    WCHAR own[260];
    WCHAR host[260];
    const DWORD n = GetModuleFileNameW(nullptr, own, 260);
    if (n > 0 && n < 260 && BuildWindowsPath(host, 260, u"splwow64.exe") && lstrcmpiW(own, host) == 0) {
      device->metafileSpooling = 1;
      device->filterForcesRaw = 0;
    }
  }
  device->records.owner = device;
}

ULONG HalftonePatternSize(ULONG x, ULONG y) {
  const ULONG r = x < y ? x : y;
  if (r >= 2400) return 15;
  if (r >= 1800) return 13;
  if (r >= 1200) return 11;
  if (r >= 900) return 9;
  if (r >= 400) return 7;
  if (r < 180) return 3;
  return 5;
}

void FillGdiInfo(RenderDevice* device, ULONG size, GDIINFO* engine) {
  GDIINFO g;
  std::memset(&g, 0, sizeof g);
  const ULONG res = device->resolution;
  const PageGeometry& geo = device->geometry;
  g.ulVersion = 0x500;
  g.ulTechnology = 2;  // DT_RASPRINTER
  if (device->extPrintArea == 2) {
    g.ulHorzSize = static_cast<ULONG>(geo.printableWidthMm10 / 10);
    g.ulVertSize = static_cast<ULONG>(geo.printableHeightMm10 / 10);
  } else {
    g.ulHorzSize = static_cast<ULONG>(-(static_cast<std::int64_t>(geo.printableWidthMm10) * 100));
    g.ulVertSize = static_cast<ULONG>(-(static_cast<std::int64_t>(geo.printableHeightMm10) * 100));
  }
  g.ulHorzRes = static_cast<ULONG>(geo.printableWidth);
  g.ulVertRes = static_cast<ULONG>(geo.printableHeight);
  device->surfaceWidth = geo.printableWidth;
  device->surfaceHeight = geo.printableHeight;
  const bool mono = device->colorProcess == 1 && device->color == 1;
  if (device->rasterMode) {
    if (mono) {
      g.cBitsPixel = 1, g.cPlanes = 1, g.ulNumColors = 2, g.ulNumPalReg = 2;
    } else {
      g.cBitsPixel = 8, g.cPlanes = 3, g.ulNumColors = 0xFFFFFF, g.ulNumPalReg = 0xFFFFFF;
    }
  } else if (device->colorProcess == 1) {
    g.cBitsPixel = 1, g.cPlanes = 1;
    if (device->color == 2) {
      g.ulNumColors = 8, g.ulNumPalReg = 20;
    } else {
      g.ulNumColors = 2, g.ulNumPalReg = 2;
    }
  } else if (device->colorProcess == 2) {
    g.cBitsPixel = 24, g.cPlanes = 1, g.ulNumColors = 0xFFFFFF, g.ulNumPalReg = 0xFFFFFF;
  } else {
    g.cBitsPixel = 8, g.cPlanes = 3, g.ulNumColors = 0xFFFFFF, g.ulNumPalReg = 0xFFFFFF;
  }
  g.flRaster = 0;
  g.ulLogPixelsX = g.ulLogPixelsY = res;
  g.ulAspectX = g.ulAspectY = res;
  g.flTextCaps = 0x581F;
  g.ulAspectXY = res * 1414 / 1000;
  g.xStyleStep = 1;
  g.yStyleStep = 1;
  g.denStyleStep = static_cast<LONG>(res / 25);
  g.ptlPhysOffset.x = geo.xOffset;
  g.ptlPhysOffset.y = geo.yOffset;
  g.szlPhysSize.cx = geo.physicalWidth;
  g.szlPhysSize.cy = geo.physicalHeight;
  g.ciDevice = COLORINFO{{6380, 3350, 0}, {2345, 6075, 0}, {1410, 932, 0}, {2000, 2450, 0}, {5210, 2100, 0},
                         {4750, 5100, 0}, {3127, 3290, 0}, 12500, 12500, 12500, 585, 120, 0, 0, 0, 10000};
  g.ulDevicePelsDPI = 0;
  g.ulPrimaryOrder = PRIMARY_ORDER_CBA;
  g.ulHTPatternSize = HalftonePatternSize(res, res);
  g.ulHTOutputFormat = (mono && (device->rasterMode || device->hiddenFunc30)) ? HT_FORMAT_1BPP : HT_FORMAT_24BPP;
  g.flHTFlags = HT_FLAG_HAS_BLACK_DYE;
  g.ulVRefresh = 0;
  g.ulBltAlignment = 0;
  if (engine) std::memcpy(engine, &g, size < sizeof g ? size : sizeof g);
}

BYTE CharSetOfCodePage(UINT codePage) {
  static const struct {
    UINT codePage;
    BYTE charSet;
  } kTable[] = {{1252, 0},   {932, 128},  {949, 129},  {1361, 130}, {936, 134},  {950, 136},  {1255, 177},
                {1256, 178}, {1253, 161}, {1254, 162}, {1257, 186}, {1250, 238}, {1251, 204}, {874, 222}};
  for (const auto& row : kTable)
    if (row.codePage == codePage) return row.charSet;
  return 0;
}

BOOL FillDevInfo(RenderDevice* device, ULONG size, DEVINFO* engine, ULONG halftonePatternSize) {
  DEVINFO d;
  std::memset(&d, 0, sizeof d);
  d.flGraphicsCaps = device->rasterMode ? 0x430 : 0x1F;
  d.flGraphicsCaps |= GCAPS_DONTJOURNAL;
  if (device->metafileSpooling && !device->filterForcesRaw) d.flGraphicsCaps &= ~GCAPS_DONTJOURNAL;
  if (device->color == 2 && device->colorMatching == 1 && device->icmType == 1) d.flGraphicsCaps |= GCAPS_ICM;

  USHORT oem = 0, ansi = 0;
  EngGetCurrentCodePage(&oem, &ansi);
  const BYTE charSet = CharSetOfCodePage(ansi);
  LOGFONTW& font = d.lfDefaultFont;
  if (!device->rasterMode && device->language == 0 && device->hiddenFunc4 != 0) {
    const LONG res = device->resolution;
    font.lfHeight = (10 * res + res / 2) / 72;
    font.lfWidth = font.lfHeight / 2;
    font.lfWeight = 400;
    font.lfOutPrecision = 1;
    font.lfClipPrecision = 2;
    font.lfQuality = 0;
    font.lfPitchAndFamily = 0x11;
    font.lfFaceName[0] = u'\u660E';  // "明朝"
    font.lfFaceName[1] = u'\u671D';
  }
  font.lfCharSet = charSet;
  d.lfAnsiVarFont = font;
  d.lfAnsiVarFont.lfCharSet = 0;
  d.lfAnsiFixFont = font;
  d.lfAnsiFixFont.lfCharSet = 0;

  if (device->palette) {
    EngDeletePalette(device->palette);
    device->palette = nullptr;
  }
  if (device->rasterMode && device->colorProcess == 1 && device->color == 1) {
    static const USHORT kDither[16] = {2, 2, 4, 4, 6, 6, 8, 8, 10, 10, 12, 12, 14, 14, 16, 16};
    const ULONG p = halftonePatternSize < 16 ? halftonePatternSize : 15;
    d.cxDither = d.cyDither = kDither[p];
    d.iDitherFormat = BMF_1BPP;
    d.flGraphicsCaps |= GCAPS_FORCEDITHER;
    ULONG colours[2] = {0x000000, 0xFFFFFF};
    device->palette = EngCreatePalette(PAL_INDEXED, 2, colours, 0, 0, 0);
  } else {
    d.cxDither = d.cyDither = 0;
    d.iDitherFormat = BMF_24BPP;
    device->palette = EngCreatePalette(PAL_BGR, 0, nullptr, 0, 0, 0);
  }
  if (!device->palette) return FALSE;
  d.hpalDefault = device->palette;
  if (engine) std::memcpy(engine, &d, size < sizeof d ? size : sizeof d);
  return TRUE;
}

LONG BandHeight(LONG width, LONG height) {
  if (width <= 0 || height <= 0) return 0;
  const LONG row = ((width + 31) / 32) * 4;
  LONG band = ((307200 / row) / 32 + 1) * 32;
  return band < height ? band : height;
}

void DestroyRenderDevice(RenderDevice* device) {
  if (!device) return;
  if (device->jobDevmode) {
    DeviceFree(device->heap, device->jobDevmode);
    device->jobDevmode = nullptr;
  }
  device->module = nullptr;
  // The colour transform and profile the device still keeps go with it (a reset has
  // moved them to the new device and left these empty).
  DeleteDeviceColorTransform(device);
  if (device->context) {
    ReleaseContextToCache(device->context);
    device->context = nullptr;
  }
  device->magic1 = device->magic2 = 0;
  DestroyDeviceHeap(device->heap);
}

char* DevicePrinterText(RenderDevice* device, const WCHAR* text, std::int16_t* length) {
  if (length) *length = 0;
  if (!text || !text[0]) return nullptr;
  std::size_t chars = std::char_traits<char16_t>::length(text);
  // The length is kept in 16 bits: a longer text is cut.
  if (chars > 0x3FFF) chars = 0x3FFF;
  const DWORD capacity = static_cast<DWORD>(2 * chars + 2);
  auto* name = static_cast<char*>(DeviceAlloc(device->heap, capacity));
  if (!name) return nullptr;
  const DWORD n = ConvertToPrinterText(reinterpret_cast<BYTE*>(name), capacity - 1, text,
                                       static_cast<DWORD>(chars * sizeof(WCHAR)));
  std::memset(name + n, 0, capacity - n);
  if (length) *length = static_cast<std::int16_t>(n);
  return name;
}

}  // namespace rendara
