// The public device-mode (DEVMODEW) with its documented layout, its field bits and the
// values of its printer members; and the small geometry records (POINTL, SIZEL, RECTL)
// that the device-mode and the spooler's form records share with the graphics engine.
//
// The layout has no pointers, so it is the same in 32- and 64-bit builds: 220 bytes for
// the public part of DEVMODE version 0x401. A driver's private data follows it
// (dmDriverExtra bytes starting at dmSize).
#pragma once

// Exported by the platform library (built with hidden visibility otherwise).
#pragma GCC visibility push(default)

#include <cstddef>

#include "win/types.h"

struct POINTL {
  LONG x;
  LONG y;
};
using PPOINTL = POINTL*;

struct SIZEL {
  LONG cx;
  LONG cy;
};
using PSIZEL = SIZEL*;

struct RECTL {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
};
using PRECTL = RECTL*;

constexpr int CCHDEVICENAME = 32;
constexpr int CCHFORMNAME = 32;

struct DEVMODEW {
  WCHAR dmDeviceName[CCHDEVICENAME];
  WORD dmSpecVersion;
  WORD dmDriverVersion;
  WORD dmSize;
  WORD dmDriverExtra;
  DWORD dmFields;
  union {
    struct {  // printers
      SHORT dmOrientation;
      SHORT dmPaperSize;
      SHORT dmPaperLength;
      SHORT dmPaperWidth;
      SHORT dmScale;
      SHORT dmCopies;
      SHORT dmDefaultSource;
      SHORT dmPrintQuality;
    };
    struct {  // displays
      POINTL dmPosition;
      DWORD dmDisplayOrientation;
      DWORD dmDisplayFixedOutput;
    };
  };
  SHORT dmColor;
  SHORT dmDuplex;
  SHORT dmYResolution;
  SHORT dmTTOption;
  SHORT dmCollate;
  WCHAR dmFormName[CCHFORMNAME];
  WORD dmLogPixels;
  DWORD dmBitsPerPel;
  DWORD dmPelsWidth;
  DWORD dmPelsHeight;
  union {
    DWORD dmDisplayFlags;
    DWORD dmNup;
  };
  DWORD dmDisplayFrequency;
  DWORD dmICMMethod;
  DWORD dmICMIntent;
  DWORD dmMediaType;
  DWORD dmDitherType;
  DWORD dmReserved1;
  DWORD dmReserved2;
  DWORD dmPanningWidth;
  DWORD dmPanningHeight;
};
using PDEVMODEW = DEVMODEW*;
using LPDEVMODEW = DEVMODEW*;

static_assert(sizeof(POINTL) == 8 && sizeof(SIZEL) == 8 && sizeof(RECTL) == 16);
static_assert(sizeof(DEVMODEW) == 220);
static_assert(offsetof(DEVMODEW, dmDeviceName) == 0);
static_assert(offsetof(DEVMODEW, dmSpecVersion) == 64);
static_assert(offsetof(DEVMODEW, dmDriverVersion) == 66);
static_assert(offsetof(DEVMODEW, dmSize) == 68);
static_assert(offsetof(DEVMODEW, dmDriverExtra) == 70);
static_assert(offsetof(DEVMODEW, dmFields) == 72);
static_assert(offsetof(DEVMODEW, dmOrientation) == 76);
static_assert(offsetof(DEVMODEW, dmPaperSize) == 78);
static_assert(offsetof(DEVMODEW, dmPaperLength) == 80);
static_assert(offsetof(DEVMODEW, dmPaperWidth) == 82);
static_assert(offsetof(DEVMODEW, dmScale) == 84);
static_assert(offsetof(DEVMODEW, dmCopies) == 86);
static_assert(offsetof(DEVMODEW, dmDefaultSource) == 88);
static_assert(offsetof(DEVMODEW, dmPrintQuality) == 90);
static_assert(offsetof(DEVMODEW, dmPosition) == 76);
static_assert(offsetof(DEVMODEW, dmDisplayOrientation) == 84);
static_assert(offsetof(DEVMODEW, dmDisplayFixedOutput) == 88);
static_assert(offsetof(DEVMODEW, dmColor) == 92);
static_assert(offsetof(DEVMODEW, dmDuplex) == 94);
static_assert(offsetof(DEVMODEW, dmYResolution) == 96);
static_assert(offsetof(DEVMODEW, dmTTOption) == 98);
static_assert(offsetof(DEVMODEW, dmCollate) == 100);
static_assert(offsetof(DEVMODEW, dmFormName) == 102);
static_assert(offsetof(DEVMODEW, dmLogPixels) == 166);
static_assert(offsetof(DEVMODEW, dmBitsPerPel) == 168);
static_assert(offsetof(DEVMODEW, dmPelsWidth) == 172);
static_assert(offsetof(DEVMODEW, dmPelsHeight) == 176);
static_assert(offsetof(DEVMODEW, dmDisplayFlags) == 180);
static_assert(offsetof(DEVMODEW, dmNup) == 180);
static_assert(offsetof(DEVMODEW, dmDisplayFrequency) == 184);
static_assert(offsetof(DEVMODEW, dmICMMethod) == 188);
static_assert(offsetof(DEVMODEW, dmICMIntent) == 192);
static_assert(offsetof(DEVMODEW, dmMediaType) == 196);
static_assert(offsetof(DEVMODEW, dmDitherType) == 200);
static_assert(offsetof(DEVMODEW, dmReserved1) == 204);
static_assert(offsetof(DEVMODEW, dmReserved2) == 208);
static_assert(offsetof(DEVMODEW, dmPanningWidth) == 212);
static_assert(offsetof(DEVMODEW, dmPanningHeight) == 216);

// DEVMODE versions (dmSpecVersion) and their public sizes (UTF-16 form).
constexpr WORD DM_SPECVERSION = 0x401;
constexpr WORD DM_SPECVERSION_0320 = 0x320;
constexpr WORD DM_SPECVERSION_0400 = 0x400;
constexpr WORD DEVMODEW_SIZE_0320 = 188;  // through dmDisplayFrequency
constexpr WORD DEVMODEW_SIZE_0400 = 212;  // through dmReserved2
constexpr WORD DEVMODEW_SIZE_0401 = 220;  // through dmPanningHeight
static_assert(offsetof(DEVMODEW, dmICMMethod) == DEVMODEW_SIZE_0320);
static_assert(offsetof(DEVMODEW, dmPanningWidth) == DEVMODEW_SIZE_0400);
static_assert(sizeof(DEVMODEW) == DEVMODEW_SIZE_0401);

// dmFields bits.
constexpr DWORD DM_ORIENTATION = 0x00000001;
constexpr DWORD DM_PAPERSIZE = 0x00000002;
constexpr DWORD DM_PAPERLENGTH = 0x00000004;
constexpr DWORD DM_PAPERWIDTH = 0x00000008;
constexpr DWORD DM_SCALE = 0x00000010;
constexpr DWORD DM_POSITION = 0x00000020;
constexpr DWORD DM_NUP = 0x00000040;
constexpr DWORD DM_DISPLAYORIENTATION = 0x00000080;
constexpr DWORD DM_COPIES = 0x00000100;
constexpr DWORD DM_DEFAULTSOURCE = 0x00000200;
constexpr DWORD DM_PRINTQUALITY = 0x00000400;
constexpr DWORD DM_COLOR = 0x00000800;
constexpr DWORD DM_DUPLEX = 0x00001000;
constexpr DWORD DM_YRESOLUTION = 0x00002000;
constexpr DWORD DM_TTOPTION = 0x00004000;
constexpr DWORD DM_COLLATE = 0x00008000;
constexpr DWORD DM_FORMNAME = 0x00010000;
constexpr DWORD DM_LOGPIXELS = 0x00020000;
constexpr DWORD DM_BITSPERPEL = 0x00040000;
constexpr DWORD DM_PELSWIDTH = 0x00080000;
constexpr DWORD DM_PELSHEIGHT = 0x00100000;
constexpr DWORD DM_DISPLAYFLAGS = 0x00200000;
constexpr DWORD DM_DISPLAYFREQUENCY = 0x00400000;
constexpr DWORD DM_ICMMETHOD = 0x00800000;
constexpr DWORD DM_ICMINTENT = 0x01000000;
constexpr DWORD DM_MEDIATYPE = 0x02000000;
constexpr DWORD DM_DITHERTYPE = 0x04000000;
constexpr DWORD DM_PANNINGWIDTH = 0x08000000;
constexpr DWORD DM_PANNINGHEIGHT = 0x10000000;
constexpr DWORD DM_DISPLAYFIXEDOUTPUT = 0x20000000;

// dmOrientation.
constexpr SHORT DMORIENT_PORTRAIT = 1;
constexpr SHORT DMORIENT_LANDSCAPE = 2;

// dmPaperSize (the first 41 sizes are also the order of the spooler's built-in forms).
constexpr SHORT DMPAPER_FIRST = 1;
constexpr SHORT DMPAPER_LETTER = 1;
constexpr SHORT DMPAPER_LETTERSMALL = 2;
constexpr SHORT DMPAPER_TABLOID = 3;
constexpr SHORT DMPAPER_LEDGER = 4;
constexpr SHORT DMPAPER_LEGAL = 5;
constexpr SHORT DMPAPER_STATEMENT = 6;
constexpr SHORT DMPAPER_EXECUTIVE = 7;
constexpr SHORT DMPAPER_A3 = 8;
constexpr SHORT DMPAPER_A4 = 9;
constexpr SHORT DMPAPER_A4SMALL = 10;
constexpr SHORT DMPAPER_A5 = 11;
constexpr SHORT DMPAPER_B4 = 12;
constexpr SHORT DMPAPER_B5 = 13;
constexpr SHORT DMPAPER_FOLIO = 14;
constexpr SHORT DMPAPER_QUARTO = 15;
constexpr SHORT DMPAPER_10X14 = 16;
constexpr SHORT DMPAPER_11X17 = 17;
constexpr SHORT DMPAPER_NOTE = 18;
constexpr SHORT DMPAPER_ENV_9 = 19;
constexpr SHORT DMPAPER_ENV_10 = 20;
constexpr SHORT DMPAPER_ENV_11 = 21;
constexpr SHORT DMPAPER_ENV_12 = 22;
constexpr SHORT DMPAPER_ENV_14 = 23;
constexpr SHORT DMPAPER_CSHEET = 24;
constexpr SHORT DMPAPER_DSHEET = 25;
constexpr SHORT DMPAPER_ESHEET = 26;
constexpr SHORT DMPAPER_ENV_DL = 27;
constexpr SHORT DMPAPER_ENV_C5 = 28;
constexpr SHORT DMPAPER_ENV_C3 = 29;
constexpr SHORT DMPAPER_ENV_C4 = 30;
constexpr SHORT DMPAPER_ENV_C6 = 31;
constexpr SHORT DMPAPER_ENV_C65 = 32;
constexpr SHORT DMPAPER_ENV_B4 = 33;
constexpr SHORT DMPAPER_ENV_B5 = 34;
constexpr SHORT DMPAPER_ENV_B6 = 35;
constexpr SHORT DMPAPER_ENV_ITALY = 36;
constexpr SHORT DMPAPER_ENV_MONARCH = 37;
constexpr SHORT DMPAPER_ENV_PERSONAL = 38;
constexpr SHORT DMPAPER_FANFOLD_US = 39;
constexpr SHORT DMPAPER_FANFOLD_STD_GERMAN = 40;
constexpr SHORT DMPAPER_FANFOLD_LGL_GERMAN = 41;
constexpr SHORT DMPAPER_ISO_B4 = 42;
constexpr SHORT DMPAPER_JAPANESE_POSTCARD = 43;
constexpr SHORT DMPAPER_A6 = 70;
constexpr SHORT DMPAPER_USER = 256;

// dmDefaultSource.
constexpr SHORT DMBIN_FIRST = 1;
constexpr SHORT DMBIN_UPPER = 1;
constexpr SHORT DMBIN_ONLYONE = 1;
constexpr SHORT DMBIN_LOWER = 2;
constexpr SHORT DMBIN_MIDDLE = 3;
constexpr SHORT DMBIN_MANUAL = 4;
constexpr SHORT DMBIN_ENVELOPE = 5;
constexpr SHORT DMBIN_ENVMANUAL = 6;
constexpr SHORT DMBIN_AUTO = 7;
constexpr SHORT DMBIN_TRACTOR = 8;
constexpr SHORT DMBIN_SMALLFMT = 9;
constexpr SHORT DMBIN_LARGEFMT = 10;
constexpr SHORT DMBIN_LARGECAPACITY = 11;
constexpr SHORT DMBIN_CASSETTE = 14;
constexpr SHORT DMBIN_FORMSOURCE = 15;
constexpr SHORT DMBIN_LAST = 15;
constexpr SHORT DMBIN_USER = 256;

// dmPrintQuality (negative values; positive values are dots per inch).
constexpr SHORT DMRES_DRAFT = -1;
constexpr SHORT DMRES_LOW = -2;
constexpr SHORT DMRES_MEDIUM = -3;
constexpr SHORT DMRES_HIGH = -4;

// dmColor.
constexpr SHORT DMCOLOR_MONOCHROME = 1;
constexpr SHORT DMCOLOR_COLOR = 2;

// dmDuplex.
constexpr SHORT DMDUP_SIMPLEX = 1;
constexpr SHORT DMDUP_VERTICAL = 2;
constexpr SHORT DMDUP_HORIZONTAL = 3;

// dmTTOption.
constexpr SHORT DMTT_BITMAP = 1;
constexpr SHORT DMTT_DOWNLOAD = 2;
constexpr SHORT DMTT_SUBDEV = 3;
constexpr SHORT DMTT_DOWNLOAD_OUTLINE = 4;

// dmCollate.
constexpr SHORT DMCOLLATE_FALSE = 0;
constexpr SHORT DMCOLLATE_TRUE = 1;

// dmNup.
constexpr DWORD DMNUP_SYSTEM = 1;
constexpr DWORD DMNUP_ONEUP = 2;

// dmICMMethod, dmICMIntent, dmMediaType, dmDitherType.
constexpr DWORD DMICMMETHOD_NONE = 1;
constexpr DWORD DMICMMETHOD_SYSTEM = 2;
constexpr DWORD DMICMMETHOD_DRIVER = 3;
constexpr DWORD DMICMMETHOD_DEVICE = 4;
constexpr DWORD DMICMMETHOD_USER = 256;
constexpr DWORD DMICM_SATURATE = 1;
constexpr DWORD DMICM_CONTRAST = 2;
constexpr DWORD DMICM_COLORIMETRIC = 3;
constexpr DWORD DMICM_ABS_COLORIMETRIC = 4;
constexpr DWORD DMICM_USER = 256;
constexpr DWORD DMMEDIA_STANDARD = 1;
constexpr DWORD DMMEDIA_TRANSPARENCY = 2;
constexpr DWORD DMMEDIA_GLOSSY = 3;
constexpr DWORD DMMEDIA_USER = 256;
constexpr DWORD DMDITHER_NONE = 1;
constexpr DWORD DMDITHER_COARSE = 2;
constexpr DWORD DMDITHER_FINE = 3;
constexpr DWORD DMDITHER_LINEART = 4;
constexpr DWORD DMDITHER_ERRORDIFFUSION = 5;
constexpr DWORD DMDITHER_GRAYSCALE = 10;
constexpr DWORD DMDITHER_USER = 256;

#pragma GCC visibility pop
