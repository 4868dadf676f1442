// The rendering device: the per-device state of Rendara that the graphics engine hands
// back with every call (its DHPDEV).
//
// One block from the device's own allocation list, framed by two magic words. It holds
// the device's own settings context, the settings the drawing code reads again and again,
// the page geometry, the surface and palette, the record buffer and the output binding.
#pragma once

#include <cstdint>

#include "clip_records.h"
#include "device_fonts.h"
#include "device_heap.h"
#include "filter_interface.h"
#include "glyph_cache.h"
#include "graphics_state.h"
#include "context/plugin_list.h"
#include "realized_brush.h"
#include "record_buffer.h"
#include "win/kernel.h"
#include "win/winddi.h"

struct DriverContext;

namespace rendara {

constexpr DWORD kRenderDeviceMagic = 0x19651013;

// Job flags.
constexpr DWORD JOB_DOC_STARTED = 0x4;
constexpr DWORD JOB_OUTPUT_FAILED = 0x8;
constexpr DWORD JOB_PAGE_OPEN = 0x8000;
constexpr DWORD JOB_CARRIED_OVER = 0x100000;

struct PageGeometry {
  std::int32_t paperWidthMm10;   // source paper, 0.1 mm
  std::int32_t paperLengthMm10;
  std::int32_t physicalWidth;    // device pixels
  std::int32_t physicalHeight;
  std::int32_t printableWidth;
  std::int32_t printableHeight;
  std::int32_t printableWidthMm10;
  std::int32_t printableHeightMm10;
  std::int32_t paperCode;
  std::int32_t xOffset;
  std::int32_t yOffset;
};

// The filter path list handed to a filter's open operation.
struct FilterPathList {
  DWORD count;   // filter paths + 2
  char** paths;  // filter paths, the output DLL path, null
};

struct RenderDevice {
  DWORD magic1;
  DriverContext* context;
  DeviceHeap* heap;
  HANDLE printer;
  HDEV engineDevice;
  HSURF surface;
  HPALETTE palette;
  DWORD jobFlags;
  PageGeometry geometry;
  std::int32_t pageCount;
  DWORD deviceFontCount;
  DeviceFontList* deviceFonts;  // from the allocation list, or null without device fonts
  HMODULE module;
  std::int16_t copies;
  std::int16_t rasterMode;
  std::int16_t colorProcess;
  std::int16_t orientation;
  WORD resolution;
  std::int16_t language;
  WORD rawMode;
  DWORD machineColorType;
  std::int32_t metafileSpooling;
  DWORD color;
  std::int16_t extPrintArea;
  DWORD hiddenFunc4;
  DWORD specialText;
  DWORD hiddenFunc18;
  std::int16_t hiddenFunc30;
  std::int16_t hiddenFunc5;
  DWORD hidden2Func11;
  char* jobName;  // 8-bit, from the allocation list, or null
  std::int16_t jobNameLength;
  ClipCache* clipCache;      // from the allocation list, or null before it is created
  RealizedBrush solidBrush;  // stands for every solid-colour brush
  RecordBuffer records;
  DrawingState drawing;      // cached pen, raster operation, background mode, brush, colour
  std::int32_t bandX;
  std::int32_t bandY;
  std::int32_t bandCount;
  std::int32_t surfaceWidth;
  std::int32_t surfaceHeight;
  const WCHAR* outputDllName;
  HANDLE colorTransform;  // ICM colour transform and profile handles
  HANDLE colorProfile;
  BYTE colorMatching;
  BYTE icmType;
  DWORD textAsBitmap;
  GlyphCache glyphs;  // downloaded glyphs the printer keeps on this page, and the generation
  DWORD printMethod;
  DEVMODEW* jobDevmode;  // copy of the job's device-mode, or null
  DWORD jobId;
  std::int32_t pageStartSeen;
  DWORD settingsTakeOver;
  DWORD apiUseFlag;
  DWORD settingsRecordWanted;
  DWORD printMethodIs7;
  OSVERSIONINFOW osVersion;
  std::int32_t stretchImage;
  std::int32_t filterInUse;
  PluginList* plugins;
  FilterPathList* filterPaths;
  std::int32_t filterForcesRaw;
  FilterInterface* filter;
  IKOVAGetInterfaceProc filterGetInterface;
  IKOVADisposeInterfaceProc filterDisposeInterface;
  DWORD magic2;
};

// The module handle DllMain keeps; a device cannot be created without it.
HMODULE RendaraModule();
void SetRendaraModule(HMODULE module);

// The device is non-null and both magic words are right.
bool IsValidRenderDevice(const RenderDevice* device);
// The device behind a surface object (its dhpdev), checked; null when it is not valid.
RenderDevice* DeviceOfSurface(SURFOBJ* surface);

void InitRenderDevice(RenderDevice* device);
void ReadPageGeometry(RenderDevice* device);
void FillGdiInfo(RenderDevice* device, ULONG size, GDIINFO* gdiInfo);
BOOL FillDevInfo(RenderDevice* device, ULONG size, DEVINFO* devInfo, ULONG halftonePatternSize);
void DestroyRenderDevice(RenderDevice* device);
ULONG HalftonePatternSize(ULONG xResolution, ULONG yResolution);
// The character set of an ANSI code page (0 for one not in the table).
BYTE CharSetOfCodePage(UINT codePage);
// Band height of a raster page: 1-bit row size r = ((w + 31) / 32) * 4, height
// ((307200 / r) / 32 + 1) * 32, capped at h.
LONG BandHeight(LONG width, LONG height);
// The device's first page of a raw job: raw mode on and page count 1.
bool OnRawFirstPage(const RenderDevice* device);

// A fresh 8-bit copy of UTF-16 text in the device's allocation list (2 bytes per
// character and 2 more), with its length; null when the text is empty or memory runs out.
char* DevicePrinterText(RenderDevice* device, const WCHAR* text, std::int16_t* length);

}  // namespace rendara
