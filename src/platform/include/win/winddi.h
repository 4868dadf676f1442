// The graphics engine's driver interface: the records the engine and a rendering driver
// exchange, the function indexes of the driver's DDI table, the DrvXxx function types,
// and the engine services (Eng*, CLIPOBJ_*, PATHOBJ_*, STROBJ_*, FONTOBJ_*, XFORMOBJ_*,
// BRUSHOBJ_*, XLATEOBJ_*) that a driver calls back.
//
// Our own declarations, written from the documented behaviour and the documented 64-bit
// layouts of the Windows records of the same names. Every record that crosses the engine
// boundary has its size and key offsets pinned below. The engine stand-in lives in
// src/platform/gdi; the host side (loading a driver, running a job) is plat/engine.h.
#pragma once

// Exported by the platform library (built with hidden visibility otherwise).
#pragma GCC visibility push(default)

#include <cstddef>

#include "win/devmode.h"
#include "win/files.h"
#include "win/gdi.h"
#include "win/types.h"

// ---- scalar and handle types ---------------------------------------------------------------
using FLONG = ULONG;
using FSHORT = USHORT;
using FWORD = SHORT;
using FIX = LONG;        // 28.4 fixed point
using PTRDIFF = LONG_PTR;
using HGLYPH = ULONG;
using ROP4 = ULONG;
using MIX = ULONG;
using FLOATL = float;    // user-mode drivers see FLOATL as a float
using FLOATOBJ = float;  // and FLOATOBJ as a float on 64-bit builds
using PFN = LONG_PTR (*)();
using PULONG = ULONG*;
using PUSHORT = USHORT*;
using PCHAR = CHAR*;

struct DHPDEV__;
using DHPDEV = DHPDEV__*;  // the driver's device (its own pointer)
struct DHSURF__;
using DHSURF = DHSURF__*;  // the driver's surface data
struct HSURF__;
using HSURF = HSURF__*;    // an engine surface (bitmap or device surface)
struct HDEV__;
using HDEV = HDEV__*;      // the engine's device

constexpr HGLYPH HGLYPH_INVALID = 0xFFFFFFFFu;

// The error a driver reports for an engine older than it supports.
constexpr DWORD ERROR_BAD_DRIVER_LEVEL = 119;

struct POINTFIX {
  FIX x;
  FIX y;
};
using PPOINTFIX = POINTFIX*;
struct RECTFX {
  FIX xLeft;
  FIX yTop;
  FIX xRight;
  FIX yBottom;
};
using PRECTFX = RECTFX*;
struct POINTQF {
  LARGE_INTEGER x;
  LARGE_INTEGER y;
};
struct POINTE {
  FLOATL x;
  FLOATL y;
};
struct XFORML {
  FLOATL eM11;
  FLOATL eM12;
  FLOATL eM21;
  FLOATL eM22;
  FLOATL eDx;
  FLOATL eDy;
};
using PXFORML = XFORML*;
struct FLOATOBJ_XFORM {
  FLOATOBJ eM11;
  FLOATOBJ eM12;
  FLOATOBJ eM21;
  FLOATOBJ eM22;
  FLOATOBJ eDx;
  FLOATOBJ eDy;
};
struct FD_XFORM {
  FLOATL eXX;
  FLOATL eXY;
  FLOATL eYX;
  FLOATL eYY;
};
union FLOAT_LONG {
  FLOATL e;
  LONG l;
};
static_assert(sizeof(POINTFIX) == 8 && sizeof(RECTFX) == 16 && sizeof(POINTQF) == 16);
static_assert(sizeof(XFORML) == 24 && sizeof(FD_XFORM) == 16 && sizeof(FLOAT_LONG) == 4);

// ---- driver enable -----------------------------------------------------------------------------
struct DRVFN {
  ULONG iFunc;
  PFN pfn;
};
using PDRVFN = DRVFN*;
static_assert(sizeof(DRVFN) == 16 && offsetof(DRVFN, pfn) == 8);

struct DRVENABLEDATA {
  ULONG iDriverVersion;
  ULONG c;
  DRVFN* pdrvfn;
};
using PDRVENABLEDATA = DRVENABLEDATA*;
static_assert(sizeof(DRVENABLEDATA) == 16 && offsetof(DRVENABLEDATA, pdrvfn) == 8);

constexpr ULONG DDI_DRIVER_VERSION_NT4 = 0x00020000;
constexpr ULONG DDI_DRIVER_VERSION_SP3 = 0x00020003;
constexpr ULONG DDI_DRIVER_VERSION_NT5 = 0x00030000;
constexpr ULONG DDI_DRIVER_VERSION_NT5_01 = 0x00030100;
constexpr ULONG DDI_DRIVER_VERSION_NT5_01_SP1 = 0x00030101;

constexpr DWORD DRVQUERY_USERMODE = 1;

// DrvEndDoc flags.
constexpr FLONG ED_ABORTDOC = 0x00000001;

// Function indexes of the DDI table.
constexpr ULONG INDEX_DrvEnablePDEV = 0;
constexpr ULONG INDEX_DrvCompletePDEV = 1;
constexpr ULONG INDEX_DrvDisablePDEV = 2;
constexpr ULONG INDEX_DrvEnableSurface = 3;
constexpr ULONG INDEX_DrvDisableSurface = 4;
constexpr ULONG INDEX_DrvAssertMode = 5;
constexpr ULONG INDEX_DrvOffset = 6;
constexpr ULONG INDEX_DrvResetPDEV = 7;
constexpr ULONG INDEX_DrvDisableDriver = 8;
constexpr ULONG INDEX_DrvCreateDeviceBitmap = 10;
constexpr ULONG INDEX_DrvDeleteDeviceBitmap = 11;
constexpr ULONG INDEX_DrvRealizeBrush = 12;
constexpr ULONG INDEX_DrvDitherColor = 13;
constexpr ULONG INDEX_DrvStrokePath = 14;
constexpr ULONG INDEX_DrvFillPath = 15;
constexpr ULONG INDEX_DrvStrokeAndFillPath = 16;
constexpr ULONG INDEX_DrvPaint = 17;
constexpr ULONG INDEX_DrvBitBlt = 18;
constexpr ULONG INDEX_DrvCopyBits = 19;
constexpr ULONG INDEX_DrvStretchBlt = 20;
constexpr ULONG INDEX_DrvSetPalette = 22;
constexpr ULONG INDEX_DrvTextOut = 23;
constexpr ULONG INDEX_DrvEscape = 24;
constexpr ULONG INDEX_DrvDrawEscape = 25;
constexpr ULONG INDEX_DrvQueryFont = 26;
constexpr ULONG INDEX_DrvQueryFontTree = 27;
constexpr ULONG INDEX_DrvQueryFontData = 28;
constexpr ULONG INDEX_DrvSetPointerShape = 29;
constexpr ULONG INDEX_DrvMovePointer = 30;
constexpr ULONG INDEX_DrvLineTo = 31;
constexpr ULONG INDEX_DrvSendPage = 32;
constexpr ULONG INDEX_DrvStartPage = 33;
constexpr ULONG INDEX_DrvEndDoc = 34;
constexpr ULONG INDEX_DrvStartDoc = 35;
constexpr ULONG INDEX_DrvGetGlyphMode = 37;
constexpr ULONG INDEX_DrvSynchronize = 38;
constexpr ULONG INDEX_DrvSaveScreenBits = 40;
constexpr ULONG INDEX_DrvGetModes = 41;
constexpr ULONG INDEX_DrvFree = 42;
constexpr ULONG INDEX_DrvDestroyFont = 43;
constexpr ULONG INDEX_DrvQueryFontCaps = 44;
constexpr ULONG INDEX_DrvLoadFontFile = 45;
constexpr ULONG INDEX_DrvUnloadFontFile = 46;
constexpr ULONG INDEX_DrvFontManagement = 47;
constexpr ULONG INDEX_DrvQueryTrueTypeTable = 48;
constexpr ULONG INDEX_DrvQueryTrueTypeOutline = 49;
constexpr ULONG INDEX_DrvGetTrueTypeFile = 50;
constexpr ULONG INDEX_DrvQueryFontFile = 51;
constexpr ULONG INDEX_DrvMovePanning = 52;
constexpr ULONG INDEX_DrvQueryAdvanceWidths = 53;
constexpr ULONG INDEX_DrvSetPixelFormat = 54;
constexpr ULONG INDEX_DrvDescribePixelFormat = 55;
constexpr ULONG INDEX_DrvSwapBuffers = 56;
constexpr ULONG INDEX_DrvStartBanding = 57;
constexpr ULONG INDEX_DrvNextBand = 58;
constexpr ULONG INDEX_DrvGetDirectDrawInfo = 59;
constexpr ULONG INDEX_DrvEnableDirectDraw = 60;
constexpr ULONG INDEX_DrvDisableDirectDraw = 61;
constexpr ULONG INDEX_DrvQuerySpoolType = 62;
constexpr ULONG INDEX_DrvIcmCreateColorTransform = 64;
constexpr ULONG INDEX_DrvIcmDeleteColorTransform = 65;
constexpr ULONG INDEX_DrvIcmCheckBitmapBits = 66;
constexpr ULONG INDEX_DrvIcmSetDeviceGammaRamp = 67;
constexpr ULONG INDEX_DrvGradientFill = 68;
constexpr ULONG INDEX_DrvStretchBltROP = 69;
constexpr ULONG INDEX_DrvPlgBlt = 70;
constexpr ULONG INDEX_DrvAlphaBlend = 71;
constexpr ULONG INDEX_DrvTransparentBlt = 74;
constexpr ULONG INDEX_LAST = 89;

// ---- device capabilities -----------------------------------------------------------------------
struct CIECHROMA {
  LONG x;  // LDECI4: units of 1/10000
  LONG y;
  LONG Y;
};
struct COLORINFO {
  CIECHROMA Red;
  CIECHROMA Green;
  CIECHROMA Blue;
  CIECHROMA Cyan;
  CIECHROMA Magenta;
  CIECHROMA Yellow;
  CIECHROMA AlignmentWhite;
  LONG RedGamma;
  LONG GreenGamma;
  LONG BlueGamma;
  LONG MagentaInCyanDye;
  LONG YellowInCyanDye;
  LONG CyanInMagentaDye;
  LONG YellowInMagentaDye;
  LONG CyanInYellowDye;
  LONG MagentaInYellowDye;
};
static_assert(sizeof(COLORINFO) == 120);

// The engine passes sizeof(GDIINFO) as the capability record's size to DrvEnablePDEV; a
// driver that fills a longer record of its own copies no more than that size.
struct GDIINFO {
  ULONG ulVersion;
  ULONG ulTechnology;
  ULONG ulHorzSize;
  ULONG ulVertSize;
  ULONG ulHorzRes;
  ULONG ulVertRes;
  ULONG cBitsPixel;
  ULONG cPlanes;
  ULONG ulNumColors;
  ULONG flRaster;
  ULONG ulLogPixelsX;
  ULONG ulLogPixelsY;
  ULONG flTextCaps;
  ULONG ulDACRed;
  ULONG ulDACGreen;
  ULONG ulDACBlue;
  ULONG ulAspectX;
  ULONG ulAspectY;
  ULONG ulAspectXY;
  LONG xStyleStep;
  LONG yStyleStep;
  LONG denStyleStep;
  POINTL ptlPhysOffset;
  SIZEL szlPhysSize;
  ULONG ulNumPalReg;
  COLORINFO ciDevice;
  ULONG ulDevicePelsDPI;
  ULONG ulPrimaryOrder;
  ULONG ulHTPatternSize;
  ULONG ulHTOutputFormat;
  ULONG flHTFlags;
  ULONG ulVRefresh;
  ULONG ulBltAlignment;
  ULONG ulPanningHorzRes;
  ULONG ulPanningVertRes;
  ULONG xPanningAlignment;
  ULONG yPanningAlignment;
  ULONG cxHTPat;
  ULONG cyHTPat;
  LPBYTE pHTPatA;
  LPBYTE pHTPatB;
  LPBYTE pHTPatC;
  ULONG flShadeBlend;
  ULONG ulPhysicalPixelCharacteristics;
  ULONG ulPhysicalPixelGamma;
};
using PGDIINFO = GDIINFO*;
static_assert(offsetof(GDIINFO, xStyleStep) == 76 && offsetof(GDIINFO, ptlPhysOffset) == 88);
static_assert(offsetof(GDIINFO, ulNumPalReg) == 104 && offsetof(GDIINFO, ciDevice) == 108);
static_assert(offsetof(GDIINFO, ulDevicePelsDPI) == 228 && offsetof(GDIINFO, ulBltAlignment) == 252);
static_assert(offsetof(GDIINFO, ulPanningVertRes) == 260 && offsetof(GDIINFO, pHTPatA) == 280);
static_assert(sizeof(GDIINFO) == 320);

constexpr ULONG GDI_DRIVER_VERSION = 0x4000;
constexpr ULONG PRIMARY_ORDER_ABC = 0;
constexpr ULONG PRIMARY_ORDER_ACB = 1;
constexpr ULONG PRIMARY_ORDER_BAC = 2;
constexpr ULONG PRIMARY_ORDER_BCA = 3;
constexpr ULONG PRIMARY_ORDER_CBA = 4;
constexpr ULONG PRIMARY_ORDER_CAB = 5;
constexpr ULONG HT_PATSIZE_2x2 = 0;
constexpr ULONG HT_PATSIZE_4x4 = 2;
constexpr ULONG HT_PATSIZE_6x6 = 4;
constexpr ULONG HT_PATSIZE_8x8 = 6;
constexpr ULONG HT_PATSIZE_10x10 = 8;
constexpr ULONG HT_PATSIZE_12x12 = 10;
constexpr ULONG HT_PATSIZE_14x14 = 12;
constexpr ULONG HT_PATSIZE_16x16 = 14;
constexpr ULONG HT_FORMAT_1BPP = 0;
constexpr ULONG HT_FORMAT_4BPP = 2;
constexpr ULONG HT_FORMAT_4BPP_IRGB = 3;
constexpr ULONG HT_FORMAT_8BPP = 4;
constexpr ULONG HT_FORMAT_16BPP = 5;
constexpr ULONG HT_FORMAT_24BPP = 6;
constexpr ULONG HT_FORMAT_32BPP = 7;
constexpr ULONG HT_FLAG_SQUARE_DEVICE_PEL = 0x01;
constexpr ULONG HT_FLAG_HAS_BLACK_DYE = 0x02;
constexpr ULONG HT_FLAG_ADDITIVE_PRIMS = 0x04;
constexpr ULONG HT_FLAG_OUTPUT_CMY = 0x100;
constexpr ULONG HS_DDI_MAX = 6;  // standard hatch patterns the engine may ask for

struct DEVINFO {
  FLONG flGraphicsCaps;
  LOGFONTW lfDefaultFont;
  LOGFONTW lfAnsiVarFont;
  LOGFONTW lfAnsiFixFont;
  ULONG cFonts;
  ULONG iDitherFormat;
  USHORT cxDither;
  USHORT cyDither;
  HPALETTE hpalDefault;
  FLONG flGraphicsCaps2;
};
using PDEVINFO = DEVINFO*;
static_assert(offsetof(DEVINFO, lfDefaultFont) == 4 && offsetof(DEVINFO, cFonts) == 280);
static_assert(offsetof(DEVINFO, cxDither) == 288 && offsetof(DEVINFO, hpalDefault) == 296);
static_assert(offsetof(DEVINFO, flGraphicsCaps2) == 304 && sizeof(DEVINFO) == 312);

constexpr FLONG GCAPS_BEZIERS = 0x00000001;
constexpr FLONG GCAPS_GEOMETRICWIDE = 0x00000002;
constexpr FLONG GCAPS_ALTERNATEFILL = 0x00000004;
constexpr FLONG GCAPS_WINDINGFILL = 0x00000008;
constexpr FLONG GCAPS_HALFTONE = 0x00000010;
constexpr FLONG GCAPS_COLOR_DITHER = 0x00000020;
constexpr FLONG GCAPS_HORIZSTRIKE = 0x00000040;
constexpr FLONG GCAPS_VERTSTRIKE = 0x00000080;
constexpr FLONG GCAPS_OPAQUERECT = 0x00000100;
constexpr FLONG GCAPS_VECTORFONT = 0x00000200;
constexpr FLONG GCAPS_MONO_DITHER = 0x00000400;
constexpr FLONG GCAPS_ASYNCCHANGE = 0x00000800;
constexpr FLONG GCAPS_ASYNCMOVE = 0x00001000;
constexpr FLONG GCAPS_DONTJOURNAL = 0x00002000;
constexpr FLONG GCAPS_DIRECTDRAW = 0x00004000;
constexpr FLONG GCAPS_ARBRUSHOPAQUE = 0x00008000;
constexpr FLONG GCAPS_PANNING = 0x00010000;
constexpr FLONG GCAPS_HIGHRESTEXT = 0x00040000;
constexpr FLONG GCAPS_PALMANAGED = 0x00080000;
constexpr FLONG GCAPS_DITHERONREALIZE = 0x00200000;
constexpr FLONG GCAPS_NO64BITMEMACCESS = 0x00400000;
constexpr FLONG GCAPS_FORCEDITHER = 0x00800000;
constexpr FLONG GCAPS_GRAY16 = 0x01000000;
constexpr FLONG GCAPS_ICM = 0x02000000;
constexpr FLONG GCAPS_CMYKCOLOR = 0x04000000;
constexpr FLONG GCAPS_LAYERED = 0x08000000;
constexpr FLONG GCAPS_ARBRUSHTEXT = 0x10000000;
constexpr FLONG GCAPS_SCREENPRECISION = 0x20000000;
constexpr FLONG GCAPS_FONT_RASTERIZER = 0x40000000;
constexpr FLONG GCAPS_NUP = 0x80000000;

// ---- surfaces, bitmaps, palettes -------------------------------------------------------------
struct SURFOBJ {
  DHSURF dhsurf;
  HSURF hsurf;
  DHPDEV dhpdev;
  HDEV hdev;
  SIZEL sizlBitmap;
  ULONG cjBits;
  PVOID pvBits;
  PVOID pvScan0;
  LONG lDelta;
  ULONG iUniq;
  ULONG iBitmapFormat;
  USHORT iType;
  USHORT fjBitmap;
};
static_assert(offsetof(SURFOBJ, hsurf) == 8 && offsetof(SURFOBJ, dhpdev) == 16 && offsetof(SURFOBJ, hdev) == 24);
static_assert(offsetof(SURFOBJ, sizlBitmap) == 32 && offsetof(SURFOBJ, cjBits) == 40);
static_assert(offsetof(SURFOBJ, pvBits) == 48 && offsetof(SURFOBJ, pvScan0) == 56 && offsetof(SURFOBJ, lDelta) == 64);
static_assert(offsetof(SURFOBJ, iBitmapFormat) == 72 && offsetof(SURFOBJ, fjBitmap) == 78 && sizeof(SURFOBJ) == 80);

constexpr USHORT STYPE_BITMAP = 0;
constexpr USHORT STYPE_DEVICE = 1;
constexpr USHORT STYPE_DEVBITMAP = 3;

constexpr ULONG BMF_1BPP = 1;
constexpr ULONG BMF_4BPP = 2;
constexpr ULONG BMF_8BPP = 3;
constexpr ULONG BMF_16BPP = 4;
constexpr ULONG BMF_24BPP = 5;
constexpr ULONG BMF_32BPP = 6;
constexpr ULONG BMF_4RLE = 7;
constexpr ULONG BMF_8RLE = 8;
constexpr ULONG BMF_JPEG = 9;
constexpr ULONG BMF_PNG = 10;

// EngCreateBitmap flags and SURFOBJ.fjBitmap bits.
constexpr FLONG BMF_TOPDOWN = 0x0001;
constexpr FLONG BMF_NOZEROINIT = 0x0002;
constexpr FLONG BMF_DONTCACHE = 0x0004;
constexpr FLONG BMF_USERMEM = 0x0008;
constexpr FLONG BMF_KMSECTION = 0x0010;
constexpr FLONG BMF_NOTSYSMEM = 0x0020;

// EngAssociateSurface hooks.
constexpr FLONG HOOK_BITBLT = 0x00000001;
constexpr FLONG HOOK_STRETCHBLT = 0x00000002;
constexpr FLONG HOOK_PLGBLT = 0x00000004;
constexpr FLONG HOOK_TEXTOUT = 0x00000008;
constexpr FLONG HOOK_PAINT = 0x00000010;
constexpr FLONG HOOK_STROKEPATH = 0x00000020;
constexpr FLONG HOOK_FILLPATH = 0x00000040;
constexpr FLONG HOOK_STROKEANDFILLPATH = 0x00000080;
constexpr FLONG HOOK_LINETO = 0x00000100;
constexpr FLONG HOOK_COPYBITS = 0x00000400;
constexpr FLONG HOOK_MOVEPANNING = 0x00000800;
constexpr FLONG HOOK_SYNCHRONIZE = 0x00001000;
constexpr FLONG HOOK_STRETCHBLTROP = 0x00002000;
constexpr FLONG HOOK_SYNCHRONIZEACCESS = 0x00004000;
constexpr FLONG HOOK_TRANSPARENTBLT = 0x00008000;
constexpr FLONG HOOK_ALPHABLEND = 0x00010000;
constexpr FLONG HOOK_GRADIENTFILL = 0x00020000;
constexpr FLONG HOOK_FLAGS = 0x0003B5FF;

// EngCreatePalette modes.
constexpr ULONG PAL_INDEXED = 0x00000001;
constexpr ULONG PAL_BITFIELDS = 0x00000002;
constexpr ULONG PAL_RGB = 0x00000004;
constexpr ULONG PAL_BGR = 0x00000008;
constexpr ULONG PAL_CMYK = 0x00000010;

// ---- clipping -------------------------------------------------------------------------------
struct CLIPOBJ {
  ULONG iUniq;
  RECTL rclBounds;
  BYTE iDComplexity;
  BYTE iFComplexity;
  BYTE iMode;
  BYTE fjOptions;
};
static_assert(offsetof(CLIPOBJ, rclBounds) == 4 && offsetof(CLIPOBJ, iDComplexity) == 20 && sizeof(CLIPOBJ) == 24);

constexpr BYTE DC_TRIVIAL = 0;
constexpr BYTE DC_RECT = 1;
constexpr BYTE DC_COMPLEX = 3;
constexpr BYTE FC_RECT = 1;
constexpr BYTE FC_RECT4 = 2;
constexpr BYTE FC_COMPLEX = 3;
constexpr BYTE TC_RECTANGLES = 0;
constexpr BYTE TC_PATHOBJ = 2;
constexpr BYTE OC_BANK_CLIP = 1;
constexpr ULONG CT_RECTANGLES = 0;
constexpr ULONG CD_RIGHTDOWN = 0;
constexpr ULONG CD_LEFTDOWN = 1;
constexpr ULONG CD_RIGHTUP = 2;
constexpr ULONG CD_LEFTUP = 3;
constexpr ULONG CD_ANY = 4;

// The buffer CLIPOBJ_bEnum fills: a count and that many rectangles.
struct ENUMRECTS {
  ULONG c;
  RECTL arcl[1];
};
static_assert(offsetof(ENUMRECTS, arcl) == 4 && sizeof(ENUMRECTS) == 20);

// ---- paths and lines ----------------------------------------------------------------------
struct PATHOBJ {
  FLONG fl;
  ULONG cCurves;
};
static_assert(sizeof(PATHOBJ) == 8);

constexpr FLONG PO_BEZIERS = 0x0001;
constexpr FLONG PO_ELLIPSE = 0x0002;
constexpr FLONG PO_ALL_INTEGERS = 0x0004;
constexpr FLONG PO_ENUM_AS_INTEGERS = 0x0008;

struct PATHDATA {
  FLONG flags;
  ULONG count;
  POINTFIX* pptfx;
};
using PPATHDATA = PATHDATA*;
static_assert(offsetof(PATHDATA, pptfx) == 8 && sizeof(PATHDATA) == 16);

constexpr FLONG PD_BEGINSUBPATH = 0x0001;
constexpr FLONG PD_ENDSUBPATH = 0x0002;
constexpr FLONG PD_RESETSTYLE = 0x0004;
constexpr FLONG PD_CLOSEFIGURE = 0x0008;
constexpr FLONG PD_BEZIERS = 0x0010;

constexpr FLONG FP_ALTERNATEMODE = 1;
constexpr FLONG FP_WINDINGMODE = 2;

struct LINEATTRS {
  FLONG fl;
  ULONG iJoin;
  ULONG iEndCap;
  FLOAT_LONG elWidth;
  FLOATL eMiterLimit;
  ULONG cstyle;
  FLOAT_LONG* pstyle;
  FLOAT_LONG elStyleState;
};
using PLINEATTRS = LINEATTRS*;
static_assert(offsetof(LINEATTRS, cstyle) == 20 && offsetof(LINEATTRS, pstyle) == 24);
static_assert(offsetof(LINEATTRS, elStyleState) == 32 && sizeof(LINEATTRS) == 40);

constexpr FLONG LA_GEOMETRIC = 0x01;
constexpr FLONG LA_ALTERNATE = 0x02;
constexpr FLONG LA_STARTGAP = 0x04;
constexpr FLONG LA_STYLED = 0x08;
constexpr ULONG JOIN_ROUND = 0;
constexpr ULONG JOIN_BEVEL = 1;
constexpr ULONG JOIN_MITER = 2;
constexpr ULONG ENDCAP_ROUND = 0;
constexpr ULONG ENDCAP_SQUARE = 1;
constexpr ULONG ENDCAP_BUTT = 2;

// ---- transforms ------------------------------------------------------------------------------
struct XFORMOBJ {
  ULONG ulReserved;
};
static_assert(sizeof(XFORMOBJ) == 4);

// XFORMOBJ_iGetXform answers.
constexpr ULONG GX_IDENTITY = 0;
constexpr ULONG GX_OFFSET = 1;
constexpr ULONG GX_SCALE = 2;
constexpr ULONG GX_GENERAL = 3;
// XFORMOBJ_bApplyXform modes.
constexpr ULONG XF_LTOL = 0;
constexpr ULONG XF_INV_LTOL = 1;
constexpr ULONG XF_LTOFX = 2;
constexpr ULONG XF_INV_FXTOL = 3;

// ---- brushes and colour translation ------------------------------------------------------------
struct BRUSHOBJ {
  ULONG iSolidColor;  // 0xFFFFFFFF for a pattern brush
  PVOID pvRbrush;
  FLONG flColorType;
};
static_assert(offsetof(BRUSHOBJ, pvRbrush) == 8 && offsetof(BRUSHOBJ, flColorType) == 16 && sizeof(BRUSHOBJ) == 24);

constexpr FLONG BR_DEVICE_ICM = 0x01;
constexpr FLONG BR_HOST_ICM = 0x02;
constexpr FLONG BR_CMYKCOLOR = 0x04;
constexpr FLONG BR_ORIGCOLOR = 0x08;

struct XLATEOBJ {
  ULONG iUniq;
  FLONG flXlate;
  USHORT iSrcType;
  USHORT iDstType;
  ULONG cEntries;
  ULONG* pulXlate;
};
static_assert(offsetof(XLATEOBJ, cEntries) == 12 && offsetof(XLATEOBJ, pulXlate) == 16 && sizeof(XLATEOBJ) == 24);

constexpr FLONG XO_TRIVIAL = 0x01;
constexpr FLONG XO_TABLE = 0x02;
constexpr FLONG XO_TO_MONO = 0x04;
constexpr FLONG XO_FROM_CMYK = 0x08;
constexpr FLONG XO_DEVICE_ICM = 0x10;
constexpr FLONG XO_HOST_ICM = 0x20;
constexpr ULONG XO_SRCPALETTE = 1;
constexpr ULONG XO_DESTPALETTE = 2;
constexpr ULONG XO_DESTDCPALETTE = 3;
constexpr ULONG XO_SRCBITFIELDS = 4;
constexpr ULONG XO_DESTBITFIELDS = 5;

// Stretch modes of DrvStretchBlt.
constexpr ULONG BLACKONWHITE = 1;
constexpr ULONG WHITEONBLACK = 2;
constexpr ULONG COLORONCOLOR = 3;
constexpr ULONG HALFTONE = 4;

// ---- fonts and text ---------------------------------------------------------------------------
struct IFIMETRICS {
  ULONG cjThis;
  ULONG cjIfiExtra;
  PTRDIFF dpwszFamilyName;
  PTRDIFF dpwszStyleName;
  PTRDIFF dpwszFaceName;
  PTRDIFF dpwszUniqueName;
  PTRDIFF dpFontSim;
  LONG lEmbedId;
  LONG lItalicAngle;
  LONG lCharBias;
  PTRDIFF dpCharSets;
  BYTE jWinCharSet;
  BYTE jWinPitchAndFamily;
  USHORT usWinWeight;
  ULONG flInfo;
  USHORT fsSelection;
  USHORT fsType;
  FWORD fwdUnitsPerEm;
  FWORD fwdLowestPPEm;
  FWORD fwdWinAscender;
  FWORD fwdWinDescender;
  FWORD fwdMacAscender;
  FWORD fwdMacDescender;
  FWORD fwdMacLineGap;
  FWORD fwdTypoAscender;
  FWORD fwdTypoDescender;
  FWORD fwdTypoLineGap;
  FWORD fwdAveCharWidth;
  FWORD fwdMaxCharInc;
  FWORD fwdCapHeight;
  FWORD fwdXHeight;
  FWORD fwdSubscriptXSize;
  FWORD fwdSubscriptYSize;
  FWORD fwdSubscriptXOffset;
  FWORD fwdSubscriptYOffset;
  FWORD fwdSuperscriptXSize;
  FWORD fwdSuperscriptYSize;
  FWORD fwdSuperscriptXOffset;
  FWORD fwdSuperscriptYOffset;
  FWORD fwdUnderscoreSize;
  FWORD fwdUnderscorePosition;
  FWORD fwdStrikeoutSize;
  FWORD fwdStrikeoutPosition;
  BYTE chFirstChar;
  BYTE chLastChar;
  BYTE chDefaultChar;
  BYTE chBreakChar;
  WCHAR wcFirstChar;
  WCHAR wcLastChar;
  WCHAR wcDefaultChar;
  WCHAR wcBreakChar;
  POINTL ptlBaseline;
  POINTL ptlAspect;
  POINTL ptlCaret;
  RECTL rclFontBox;
  BYTE achVendId[4];
  ULONG cKerningPairs;
  ULONG ulPanoseCulture;
  PANOSE panose;
  PVOID Align;  // 64-bit builds only: keeps the record pointer-aligned
};
using PIFIMETRICS = IFIMETRICS*;
static_assert(offsetof(IFIMETRICS, dpwszFamilyName) == 8 && offsetof(IFIMETRICS, lEmbedId) == 48);
static_assert(offsetof(IFIMETRICS, dpCharSets) == 64 && offsetof(IFIMETRICS, flInfo) == 76);
static_assert(offsetof(IFIMETRICS, fwdUnitsPerEm) == 84 && offsetof(IFIMETRICS, chFirstChar) == 136);
static_assert(offsetof(IFIMETRICS, ptlBaseline) == 148 && offsetof(IFIMETRICS, rclFontBox) == 172);
static_assert(offsetof(IFIMETRICS, panose) == 200 && sizeof(IFIMETRICS) == 224);

constexpr ULONG FM_INFO_TECH_TRUETYPE = 0x00000001;
constexpr ULONG FM_INFO_TECH_BITMAP = 0x00000002;
constexpr ULONG FM_INFO_TECH_STROKE = 0x00000004;
constexpr ULONG FM_INFO_TECH_OUTLINE_NOT_TRUETYPE = 0x00000008;
constexpr ULONG FM_INFO_ARB_XFORMS = 0x00000010;
constexpr ULONG FM_INFO_1BPP = 0x00000020;
constexpr ULONG FM_INFO_4BPP = 0x00000040;
constexpr ULONG FM_INFO_8BPP = 0x00000080;
constexpr ULONG FM_INFO_16BPP = 0x00000100;
constexpr ULONG FM_INFO_24BPP = 0x00000200;
constexpr ULONG FM_INFO_32BPP = 0x00000400;
constexpr ULONG FM_INFO_INTEGER_WIDTH = 0x00000800;
constexpr ULONG FM_INFO_CONSTANT_WIDTH = 0x00001000;
constexpr ULONG FM_INFO_NOT_CONTIGUOUS = 0x00002000;
constexpr ULONG FM_INFO_TECH_MM = 0x00004000;
constexpr ULONG FM_INFO_RETURNS_OUTLINES = 0x00008000;
constexpr ULONG FM_INFO_RETURNS_STROKES = 0x00010000;
constexpr ULONG FM_INFO_RETURNS_BITMAPS = 0x00020000;
constexpr ULONG FM_INFO_DSIG = 0x00040000;
constexpr ULONG FM_INFO_RIGHT_HANDED = 0x00080000;
constexpr ULONG FM_INFO_INTEGRAL_SCALING = 0x00100000;
constexpr ULONG FM_INFO_90DEGREE_ROTATIONS = 0x00200000;
constexpr ULONG FM_INFO_OPTICALLY_FIXED_PITCH = 0x00400000;
constexpr ULONG FM_INFO_DO_NOT_ENUMERATE = 0x00800000;
constexpr ULONG FM_INFO_ISOTROPIC_SCALING_ONLY = 0x01000000;
constexpr ULONG FM_INFO_ANISOTROPIC_SCALING_ONLY = 0x02000000;
constexpr ULONG FM_INFO_TECH_CFF = 0x04000000;
constexpr ULONG FM_INFO_FAMILY_EQUIV = 0x08000000;
constexpr ULONG FM_INFO_DBCS_FIXED_PITCH = 0x10000000;
constexpr ULONG FM_INFO_NONNEGATIVE_AC = 0x20000000;
constexpr ULONG FM_INFO_IGNORE_TC_RA_ABLE = 0x40000000;
constexpr ULONG FM_INFO_TECH_TYPE1 = 0x80000000;

constexpr USHORT FM_SEL_ITALIC = 0x0001;
constexpr USHORT FM_SEL_UNDERSCORE = 0x0002;
constexpr USHORT FM_SEL_NEGATIVE = 0x0004;
constexpr USHORT FM_SEL_OUTLINED = 0x0008;
constexpr USHORT FM_SEL_STRIKEOUT = 0x0010;
constexpr USHORT FM_SEL_BOLD = 0x0020;
constexpr USHORT FM_SEL_REGULAR = 0x0040;

struct FONTDIFF {
  BYTE jReserved1;
  BYTE jReserved2;
  BYTE jReserved3;
  BYTE bWeight;
  USHORT usWinWeight;
  FSHORT fsSelection;
  FWORD fwdAveCharWidth;
  FWORD fwdMaxCharInc;
  POINTL ptlCaret;
};
static_assert(sizeof(FONTDIFF) == 20);

struct FONTSIM {
  PTRDIFF dpBold;
  PTRDIFF dpItalic;
  PTRDIFF dpBoldItalic;
};
static_assert(sizeof(FONTSIM) == 24);

struct FONTOBJ {
  ULONG iUniq;
  ULONG iFace;
  ULONG cxMax;
  FLONG flFontType;
  ULONG_PTR iTTUniq;
  ULONG_PTR iFile;
  SIZEL sizLogResPpi;
  ULONG ulStyleSize;
  PVOID pvConsumer;
  PVOID pvProducer;
};
static_assert(offsetof(FONTOBJ, iTTUniq) == 16 && offsetof(FONTOBJ, sizLogResPpi) == 32);
static_assert(offsetof(FONTOBJ, pvConsumer) == 48 && sizeof(FONTOBJ) == 64);

constexpr FLONG FO_TYPE_RASTER = 0x00000001;
constexpr FLONG FO_TYPE_DEVICE = 0x00000002;
constexpr FLONG FO_TYPE_TRUETYPE = 0x00000004;
constexpr FLONG FO_TYPE_OPENTYPE = 0x00000008;
constexpr FLONG FO_SIM_BOLD = 0x00002000;
constexpr FLONG FO_SIM_ITALIC = 0x00004000;
constexpr FLONG FO_EM_HEIGHT = 0x00008000;
constexpr FLONG FO_GRAY16 = 0x00010000;
constexpr FLONG FO_NOGRAY16 = 0x00020000;
constexpr FLONG FO_NOHINTS = 0x00040000;
constexpr FLONG FO_NO_CHOICE = 0x00080000;

// Glyph modes (DrvGetGlyphMode, FONTOBJ_cGetGlyphs).
constexpr ULONG FO_HGLYPHS = 0;
constexpr ULONG FO_GLYPHBITS = 1;
constexpr ULONG FO_PATHOBJ = 2;

// DrvQueryFontData modes.
constexpr ULONG QFD_GLYPHANDBITMAP = 1;
constexpr ULONG QFD_GLYPHANDOUTLINE = 2;
constexpr ULONG QFD_MAXEXTENTS = 3;
constexpr ULONG QFD_TT_GLYPHANDBITMAP = 4;
constexpr ULONG QFD_TT_GRAY1_BITMAP = 5;
// DrvQueryFontTree modes.
constexpr ULONG QFT_LIGATURES = 1;
constexpr ULONG QFT_KERNPAIRS = 2;
constexpr ULONG QFT_GLYPHSET = 3;
// DrvQueryAdvanceWidths modes.
constexpr ULONG QAW_GETWIDTHS = 0;
constexpr ULONG QAW_GETEASYWIDTHS = 1;

struct FONTINFO {
  ULONG cjThis;
  FLONG flCaps;
  ULONG cGlyphsSupported;
  ULONG cjMaxGlyph1;
  ULONG cjMaxGlyph4;
  ULONG cjMaxGlyph8;
  ULONG cjMaxGlyph32;
};
static_assert(sizeof(FONTINFO) == 28);

struct GLYPHBITS {
  POINTL ptlOrigin;
  SIZEL sizlBitmap;
  BYTE aj[1];  // rows of sizlBitmap.cx bits, each padded to a whole byte
};
static_assert(offsetof(GLYPHBITS, aj) == 16);

union GLYPHDEF {
  GLYPHBITS* pgb;
  PATHOBJ* ppo;
};

struct GLYPHPOS {
  HGLYPH hg;
  GLYPHDEF* pgdf;
  POINTL ptl;
};
using PGLYPHPOS = GLYPHPOS*;
static_assert(offsetof(GLYPHPOS, pgdf) == 8 && offsetof(GLYPHPOS, ptl) == 16 && sizeof(GLYPHPOS) == 24);

struct GLYPHDATA {
  GLYPHDEF gdf;
  HGLYPH hg;
  FIX fxD;
  FIX fxA;
  FIX fxAB;
  FIX fxInkTop;
  FIX fxInkBottom;
  RECTL rclInk;
  POINTQF ptqD;
};
static_assert(offsetof(GLYPHDATA, hg) == 8 && offsetof(GLYPHDATA, rclInk) == 32);
static_assert(offsetof(GLYPHDATA, ptqD) == 48 && sizeof(GLYPHDATA) == 64);

struct FD_DEVICEMETRICS {
  FLONG flRealizedType;
  POINTE pteBase;
  POINTE pteSide;
  LONG lD;
  FIX fxMaxAscender;
  FIX fxMaxDescender;
  POINTL ptlUnderline1;
  POINTL ptlStrikeOut;
  POINTL ptlULThickness;
  POINTL ptlSOThickness;
  ULONG cxMax;
  ULONG cyMax;
  ULONG cjGlyphMax;
  FD_XFORM fdxQuantized;
  LONG lNonLinearExtLeading;
  LONG lNonLinearIntLeading;
  LONG lNonLinearMaxCharWidth;
  LONG lNonLinearAvgCharWidth;
  LONG lMinA;
  LONG lMinC;
  LONG lMinD;
  LONG alReserved[1];
};
static_assert(offsetof(FD_DEVICEMETRICS, ptlUnderline1) == 32 && offsetof(FD_DEVICEMETRICS, cxMax) == 64);
static_assert(offsetof(FD_DEVICEMETRICS, fdxQuantized) == 76 && sizeof(FD_DEVICEMETRICS) == 124);

struct WCRUN {
  WCHAR wcLow;
  USHORT cGlyphs;
  HGLYPH* phg;  // null: the handles are the code points themselves
};
static_assert(offsetof(WCRUN, phg) == 8 && sizeof(WCRUN) == 16);

struct FD_GLYPHSET {
  ULONG cjThis;
  FLONG flAccel;
  ULONG cGlyphsSupported;
  ULONG cRuns;
  WCRUN awcrun[1];
};
static_assert(offsetof(FD_GLYPHSET, awcrun) == 16 && sizeof(FD_GLYPHSET) == 32);

constexpr FLONG GS_UNICODE_HANDLES = 0x00000001;
constexpr FLONG GS_8BIT_HANDLES = 0x00000002;
constexpr FLONG GS_16BIT_HANDLES = 0x00000004;

struct STROBJ {
  ULONG cGlyphs;
  FLONG flAccel;
  ULONG ulCharInc;
  RECTL rclBkGround;
  GLYPHPOS* pgp;  // null: the positions are had only by enumeration
  LPWSTR pwszOrg;
};
static_assert(offsetof(STROBJ, rclBkGround) == 12 && offsetof(STROBJ, pgp) == 32);
static_assert(offsetof(STROBJ, pwszOrg) == 40 && sizeof(STROBJ) == 48);

constexpr FLONG SO_FLAG_DEFAULT_PLACEMENT = 0x00000001;
constexpr FLONG SO_HORIZONTAL = 0x00000002;
constexpr FLONG SO_VERTICAL = 0x00000004;
constexpr FLONG SO_REVERSED = 0x00000008;
constexpr FLONG SO_ZERO_BEARINGS = 0x00000010;
constexpr FLONG SO_CHAR_INC_EQUAL_BM_BASE = 0x00000020;
constexpr FLONG SO_MAXEXT_EQUAL_BM_SIDE = 0x00000040;
constexpr FLONG SO_DO_NOT_SUBSTITUTE_DEVICE_FONT = 0x00000080;
constexpr FLONG SO_GLYPHINDEX_TEXTOUT = 0x00000100;
constexpr FLONG SO_ESC_NOT_ORIENT = 0x00000200;
constexpr FLONG SO_DXDY = 0x00000400;
constexpr FLONG SO_CHARACTER_EXTRA = 0x00000800;
constexpr FLONG SO_BREAK_EXTRA = 0x00001000;

// ---- the local time the engine reports ----------------------------------------------------------
struct ENG_TIME_FIELDS {
  USHORT usYear;
  USHORT usMonth;
  USHORT usDay;
  USHORT usHour;
  USHORT usMinute;
  USHORT usSecond;
  USHORT usMilliseconds;
  USHORT usWeekday;  // 0 = Sunday
};
using PENG_TIME_FIELDS = ENG_TIME_FIELDS*;
static_assert(sizeof(ENG_TIME_FIELDS) == 16);

// EngAllocMem flags.
constexpr ULONG FL_ZERO_MEMORY = 0x00000001;
constexpr ULONG FL_NONPAGED_MEMORY = 0x00000002;

// ---- the driver's functions -------------------------------------------------------------------
using PFN_DrvEnableDriver = BOOL (*)(ULONG iEngineVersion, ULONG cj, DRVENABLEDATA* pded);
using PFN_DrvQueryDriverInfo = BOOL (*)(DWORD dwMode, PVOID pBuffer, DWORD cbBuf, PDWORD pcbNeeded);
using PFN_DrvDisableDriver = void (*)();
using PFN_DrvEnablePDEV = DHPDEV (*)(DEVMODEW* pdm, LPWSTR pwszLogAddress, ULONG cPat, HSURF* phsurfPatterns,
                                     ULONG cjCaps, ULONG* pdevcaps, ULONG cjDevInfo, DEVINFO* pdi, HDEV hdev,
                                     LPWSTR pwszDeviceName, HANDLE hDriver);
using PFN_DrvCompletePDEV = void (*)(DHPDEV dhpdev, HDEV hdev);
using PFN_DrvResetPDEV = BOOL (*)(DHPDEV dhpdevOld, DHPDEV dhpdevNew);
using PFN_DrvDisablePDEV = void (*)(DHPDEV dhpdev);
using PFN_DrvEnableSurface = HSURF (*)(DHPDEV dhpdev);
using PFN_DrvDisableSurface = void (*)(DHPDEV dhpdev);
using PFN_DrvStartDoc = BOOL (*)(SURFOBJ* pso, LPWSTR pwszDocName, DWORD dwJobId);
using PFN_DrvEndDoc = BOOL (*)(SURFOBJ* pso, FLONG fl);
using PFN_DrvStartPage = BOOL (*)(SURFOBJ* pso);
using PFN_DrvSendPage = BOOL (*)(SURFOBJ* pso);
using PFN_DrvStartBanding = BOOL (*)(SURFOBJ* pso, POINTL* pptl);
using PFN_DrvNextBand = BOOL (*)(SURFOBJ* pso, POINTL* pptl);
using PFN_DrvBitBlt = BOOL (*)(SURFOBJ* psoTrg, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco, XLATEOBJ* pxlo,
                               RECTL* prclTrg, POINTL* pptlSrc, POINTL* pptlMask, BRUSHOBJ* pbo,
                               POINTL* pptlBrush, ROP4 rop4);
using PFN_DrvStretchBlt = BOOL (*)(SURFOBJ* psoDest, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco,
                                   XLATEOBJ* pxlo, COLORADJUSTMENT* pca, POINTL* pptlHTOrg, RECTL* prclDest,
                                   RECTL* prclSrc, POINTL* pptlMask, ULONG iMode);
using PFN_DrvStretchBltROP = BOOL (*)(SURFOBJ* psoDest, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco,
                                      XLATEOBJ* pxlo, COLORADJUSTMENT* pca, POINTL* pptlHTOrg, RECTL* prclDest,
                                      RECTL* prclSrc, POINTL* pptlMask, ULONG iMode, BRUSHOBJ* pbo, DWORD rop4);
using PFN_DrvCopyBits = BOOL (*)(SURFOBJ* psoDest, SURFOBJ* psoSrc, CLIPOBJ* pco, XLATEOBJ* pxlo,
                                 RECTL* prclDest, POINTL* pptlSrc);
using PFN_DrvStrokePath = BOOL (*)(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo, BRUSHOBJ* pbo,
                                   POINTL* pptlBrushOrg, LINEATTRS* plineattrs, MIX mix);
using PFN_DrvFillPath = BOOL (*)(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, BRUSHOBJ* pbo, POINTL* pptlBrushOrg,
                                 MIX mix, FLONG flOptions);
using PFN_DrvStrokeAndFillPath = BOOL (*)(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo,
                                          BRUSHOBJ* pboStroke, LINEATTRS* plineattrs, BRUSHOBJ* pboFill,
                                          POINTL* pptlBrushOrg, MIX mixFill, FLONG flOptions);
using PFN_DrvRealizeBrush = BOOL (*)(BRUSHOBJ* pbo, SURFOBJ* psoTarget, SURFOBJ* psoPattern, SURFOBJ* psoMask,
                                     XLATEOBJ* pxlo, ULONG iHatch);
using PFN_DrvEscape = ULONG (*)(SURFOBJ* pso, ULONG iEsc, ULONG cjIn, PVOID pvIn, ULONG cjOut, PVOID pvOut);
using PFN_DrvGetGlyphMode = ULONG (*)(DHPDEV dhpdev, FONTOBJ* pfo);
using PFN_DrvDitherColor = ULONG (*)(DHPDEV dhpdev, ULONG iMode, ULONG rgb, ULONG* pul);
using PFN_DrvQueryFont = PIFIMETRICS (*)(DHPDEV dhpdev, ULONG_PTR iFile, ULONG iFace, ULONG_PTR* pid);
using PFN_DrvQueryFontData = LONG (*)(DHPDEV dhpdev, FONTOBJ* pfo, ULONG iMode, HGLYPH hg, GLYPHDATA* pgd,
                                      PVOID pv, ULONG cjSize);
using PFN_DrvQueryFontTree = PVOID (*)(DHPDEV dhpdev, ULONG_PTR iFile, ULONG iFace, ULONG iMode, ULONG_PTR* pid);
using PFN_DrvQueryAdvanceWidths = BOOL (*)(DHPDEV dhpdev, FONTOBJ* pfo, ULONG iMode, HGLYPH* phg, PVOID pvWidths,
                                           ULONG cGlyphs);
using PFN_DrvIcmCreateColorTransform = HANDLE (*)(DHPDEV dhpdev, LOGCOLORSPACEW* pLogColorSpace,
                                                  PVOID pvSourceProfile, ULONG cjSourceProfile,
                                                  PVOID pvDestProfile, ULONG cjDestProfile,
                                                  PVOID pvTargetProfile, ULONG cjTargetProfile, DWORD dwReserved);
using PFN_DrvIcmDeleteColorTransform = BOOL (*)(DHPDEV dhpdev, HANDLE hcmXform);
using PFN_DrvTextOut = BOOL (*)(SURFOBJ* pso, STROBJ* pstro, FONTOBJ* pfo, CLIPOBJ* pco, RECTL* prclExtra,
                                RECTL* prclOpaque, BRUSHOBJ* pboFore, BRUSHOBJ* pboOpaque, POINTL* pptlOrg,
                                MIX mix);

// ---- engine services ----------------------------------------------------------------------------
extern "C" {

// Surfaces. A bitmap of iFormat with rows of lWidth bytes (0: the engine picks the
// smallest row size padded to 4 bytes); pvBits null: the engine allocates the bits, zeroed
// unless BMF_NOZEROINIT. Errors: ERROR_INVALID_PARAMETER for a size or format it cannot
// hold, ERROR_NOT_ENOUGH_MEMORY.
KOVA_EXPORT HBITMAP WINAPI EngCreateBitmap(SIZEL sizl, LONG lWidth, ULONG iFormat, FLONG fl, PVOID pvBits);
// A surface the driver draws itself: no bits; iFormatCompat is the format the engine uses
// for compatible bitmaps.
KOVA_EXPORT HSURF WINAPI EngCreateDeviceSurface(DHSURF dhsurf, SIZEL sizl, ULONG iFormatCompat);
// Ties a surface to the engine's device (which knows the driver's DHPDEV) and records the
// drawing calls the driver hooks.
KOVA_EXPORT BOOL WINAPI EngAssociateSurface(HSURF hsurf, HDEV hdev, FLONG flHooks);
KOVA_EXPORT BOOL WINAPI EngMarkBandingSurface(HSURF hsurf);
KOVA_EXPORT BOOL WINAPI EngDeleteSurface(HSURF hsurf);
KOVA_EXPORT SURFOBJ* WINAPI EngLockSurface(HSURF hsurf);
KOVA_EXPORT void WINAPI EngUnlockSurface(SURFOBJ* pso);
// Fills a rectangle of a bitmap surface (null: the whole surface) with a colour index.
KOVA_EXPORT BOOL WINAPI EngEraseSurface(SURFOBJ* pso, RECTL* prcl, ULONG iColor);

// Palettes. PAL_INDEXED takes cColors entries (0x00BBGGRR); the other modes take none.
KOVA_EXPORT HPALETTE WINAPI EngCreatePalette(ULONG iMode, ULONG cColors, ULONG* pulColors, FLONG flRed,
                                             FLONG flGreen, FLONG flBlue);
KOVA_EXPORT BOOL WINAPI EngDeletePalette(HPALETTE hpal);

// Resources of a driver module: the data of resource (iType, iName), its size in
// *pulSize; null when absent (ERROR_RESOURCE_TYPE_NOT_FOUND/ERROR_RESOURCE_NAME_NOT_FOUND)
// or for an unknown module. Tables registered with EngRegisterModuleResources come
// first, then the module's resource script.
KOVA_EXPORT PVOID WINAPI EngFindResource(HANDLE h, int iName, int iType, PULONG pulSize);

// A driver module's compiled-in resources. A Windows image carries them in its resource
// section; a shared object has none, so the module hands its table to the engine when it
// loads and takes it back when it unloads. Our own extension of the engine services.
struct ENGRESOURCE {
  int iType;
  int iName;
  const void* pvData;
  ULONG cjSize;
};
KOVA_EXPORT BOOL WINAPI EngRegisterModuleResources(HMODULE hModule, const ENGRESOURCE* pTable, ULONG cEntries);
KOVA_EXPORT BOOL WINAPI EngUnregisterModuleResources(HMODULE hModule);

KOVA_EXPORT void WINAPI EngQueryLocalTime(PENG_TIME_FIELDS ptf);

// Printer services for the driver's printer handle. EngWritePrinter appends to the
// printer's port file.
KOVA_EXPORT BOOL WINAPI EngWritePrinter(HANDLE hPrinter, LPVOID pBuf, DWORD cbBuf, LPDWORD pcWritten);
KOVA_EXPORT DWORD WINAPI EngGetPrinterData(HANDLE hPrinter, LPWSTR pValueName, LPDWORD pType, LPBYTE pData,
                                           DWORD nSize, LPDWORD pcbNeeded);
KOVA_EXPORT DWORD WINAPI EngSetPrinterData(HANDLE hPrinter, LPWSTR pValueName, DWORD Type, LPBYTE pData,
                                           DWORD cbData);

// Code pages: the machine's ANSI code page, and conversions in it (sizes in bytes; the
// output is cut at its capacity).
KOVA_EXPORT void WINAPI EngGetCurrentCodePage(PUSHORT OemCodePage, PUSHORT AnsiCodePage);
KOVA_EXPORT void WINAPI EngMultiByteToUnicodeN(LPWSTR UnicodeString, ULONG MaxBytesInUnicodeString,
                                               ULONG* BytesInUnicodeString, PCHAR MultiByteString,
                                               ULONG BytesInMultiByteString);
KOVA_EXPORT void WINAPI EngUnicodeToMultiByteN(PCHAR MultiByteString, ULONG MaxBytesInMultiByteString,
                                               ULONG* BytesInMultiByteString, LPWSTR UnicodeString,
                                               ULONG BytesInUnicodeString);

// Memory: 16-byte aligned blocks; FL_ZERO_MEMORY zero-fills.
KOVA_EXPORT PVOID WINAPI EngAllocMem(ULONG Flags, ULONG MemSize, ULONG Tag);
KOVA_EXPORT void WINAPI EngFreeMem(PVOID Mem);

// The engine's own drawing, used by a driver to hand a call back.
KOVA_EXPORT BOOL WINAPI EngBitBlt(SURFOBJ* psoTrg, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco, XLATEOBJ* pxlo,
                                  RECTL* prclTrg, POINTL* pptlSrc, POINTL* pptlMask, BRUSHOBJ* pbo,
                                  POINTL* pptlBrush, ROP4 rop4);
KOVA_EXPORT BOOL WINAPI EngCopyBits(SURFOBJ* psoDest, SURFOBJ* psoSrc, CLIPOBJ* pco, XLATEOBJ* pxlo,
                                    RECTL* prclDest, POINTL* pptlSrc);
KOVA_EXPORT BOOL WINAPI EngStretchBlt(SURFOBJ* psoDest, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco,
                                      XLATEOBJ* pxlo, COLORADJUSTMENT* pca, POINTL* pptlHTOrg, RECTL* prclDest,
                                      RECTL* prclSrc, POINTL* pptlMask, ULONG iMode);
KOVA_EXPORT BOOL WINAPI EngStretchBltROP(SURFOBJ* psoDest, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco,
                                         XLATEOBJ* pxlo, COLORADJUSTMENT* pca, POINTL* pptlHTOrg,
                                         RECTL* prclDest, RECTL* prclSrc, POINTL* pptlMask, ULONG iMode,
                                         BRUSHOBJ* pbo, DWORD rop4);
KOVA_EXPORT BOOL WINAPI EngStrokePath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo, BRUSHOBJ* pbo,
                                      POINTL* pptlBrushOrg, LINEATTRS* plineattrs, MIX mix);
KOVA_EXPORT BOOL WINAPI EngFillPath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, BRUSHOBJ* pbo, POINTL* pptlBrushOrg,
                                    MIX mix, FLONG flOptions);
KOVA_EXPORT BOOL WINAPI EngStrokeAndFillPath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo,
                                             BRUSHOBJ* pboStroke, LINEATTRS* plineattrs, BRUSHOBJ* pboFill,
                                             POINTL* pptlBrushOrg, MIX mixFill, FLONG flOptions);
KOVA_EXPORT BOOL WINAPI EngTextOut(SURFOBJ* pso, STROBJ* pstro, FONTOBJ* pfo, CLIPOBJ* pco, RECTL* prclExtra,
                                   RECTL* prclOpaque, BRUSHOBJ* pboFore, BRUSHOBJ* pboOpaque, POINTL* pptlOrg,
                                   MIX mix);
// Frees a path the engine handed out (CLIPOBJ_ppoGetPath, FONTOBJ_cGetGlyphs FO_PATHOBJ
// paths belong to the font and are not freed).
KOVA_EXPORT void WINAPI EngDeletePath(PATHOBJ* ppo);

// Clip objects: rectangles in the order asked (CD_*), at most cLimit counted (0xFFFFFFFF
// for "count them all"); CLIPOBJ_bEnum fills an ENUMRECTS of cj bytes and answers TRUE
// while more remain.
KOVA_EXPORT ULONG WINAPI CLIPOBJ_cEnumStart(CLIPOBJ* pco, BOOL bAll, ULONG iType, ULONG iDirection, ULONG cLimit);
KOVA_EXPORT BOOL WINAPI CLIPOBJ_bEnum(CLIPOBJ* pco, ULONG cj, ULONG* pul);
KOVA_EXPORT PATHOBJ* WINAPI CLIPOBJ_ppoGetPath(CLIPOBJ* pco);

// Path objects.
KOVA_EXPORT void WINAPI PATHOBJ_vEnumStart(PATHOBJ* ppo);
KOVA_EXPORT BOOL WINAPI PATHOBJ_bEnum(PATHOBJ* ppo, PATHDATA* ppd);
KOVA_EXPORT void WINAPI PATHOBJ_vGetBounds(PATHOBJ* ppo, PRECTFX prectfx);

// String objects.
KOVA_EXPORT void WINAPI STROBJ_vEnumStart(STROBJ* pstro);
KOVA_EXPORT BOOL WINAPI STROBJ_bEnum(STROBJ* pstro, ULONG* pc, PGLYPHPOS* ppgpos);
KOVA_EXPORT BOOL WINAPI STROBJ_bEnumPositionsOnly(STROBJ* pstro, ULONG* pc, PGLYPHPOS* ppgpos);
KOVA_EXPORT DWORD WINAPI STROBJ_dwGetCodePage(STROBJ* pstro);

// Font objects.
KOVA_EXPORT ULONG WINAPI FONTOBJ_cGetGlyphs(FONTOBJ* pfo, ULONG iMode, ULONG cGlyph, HGLYPH* phg, PVOID* ppvGlyph);
KOVA_EXPORT XFORMOBJ* WINAPI FONTOBJ_pxoGetXform(FONTOBJ* pfo);
KOVA_EXPORT IFIMETRICS* WINAPI FONTOBJ_pifi(FONTOBJ* pfo);
KOVA_EXPORT void WINAPI FONTOBJ_vGetInfo(FONTOBJ* pfo, ULONG cjSize, FONTINFO* pfi);
KOVA_EXPORT ULONG WINAPI FONTOBJ_cGetAllGlyphHandles(FONTOBJ* pfo, HGLYPH* phg);
KOVA_EXPORT FD_GLYPHSET* WINAPI FONTOBJ_pfdg(FONTOBJ* pfo);

// Transform objects.
KOVA_EXPORT ULONG WINAPI XFORMOBJ_iGetXform(XFORMOBJ* pxo, XFORML* pxform);
KOVA_EXPORT BOOL WINAPI XFORMOBJ_bApplyXform(XFORMOBJ* pxo, ULONG iMode, ULONG cPoints, PVOID pvIn, PVOID pvOut);

// Brush objects: the realized brush is memory the engine owns for the brush; a pattern
// brush not yet realized is realized through the driver's DrvRealizeBrush.
KOVA_EXPORT PVOID WINAPI BRUSHOBJ_pvAllocRbrush(BRUSHOBJ* pbo, ULONG cj);
KOVA_EXPORT PVOID WINAPI BRUSHOBJ_pvGetRbrush(BRUSHOBJ* pbo);
KOVA_EXPORT ULONG WINAPI BRUSHOBJ_ulGetBrushColor(BRUSHOBJ* pbo);

// Colour translation objects.
KOVA_EXPORT ULONG WINAPI XLATEOBJ_iXlate(XLATEOBJ* pxlo, ULONG iColor);
KOVA_EXPORT ULONG* WINAPI XLATEOBJ_piVector(XLATEOBJ* pxlo);
KOVA_EXPORT ULONG WINAPI XLATEOBJ_cGetPalette(XLATEOBJ* pxlo, ULONG iPal, ULONG cPal, ULONG* pPal);

}  // extern "C"

#pragma GCC visibility pop
