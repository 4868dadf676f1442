// Application-level graphics records shared by the graphics engine and the rendering
// driver: logical fonts, colour adjustment, logical colour spaces, the handle types of
// bitmaps and palettes, and the colour helpers.
//
// Our own declarations, written from the documented layouts of the Windows records of the
// same names; sizes are pinned below.
#pragma once

// Exported by the platform library (built with hidden visibility otherwise).
#pragma GCC visibility push(default)

#include <cstddef>

#include "win/types.h"

// ---- handles ---------------------------------------------------------------------------
struct HBITMAP__;
using HBITMAP = HBITMAP__*;
struct HPALETTE__;
using HPALETTE = HPALETTE__*;
struct HDC__;
using HDC = HDC__*;

// ---- colours -----------------------------------------------------------------------------
using COLORREF = DWORD;
inline constexpr COLORREF RGB(BYTE r, BYTE g, BYTE b) {
  return static_cast<COLORREF>(r) | (static_cast<COLORREF>(g) << 8) | (static_cast<COLORREF>(b) << 16);
}
inline constexpr BYTE GetRValue(COLORREF c) { return static_cast<BYTE>(c & 0xFF); }
inline constexpr BYTE GetGValue(COLORREF c) { return static_cast<BYTE>((c >> 8) & 0xFF); }
inline constexpr BYTE GetBValue(COLORREF c) { return static_cast<BYTE>((c >> 16) & 0xFF); }

struct PALETTEENTRY {
  BYTE peRed;
  BYTE peGreen;
  BYTE peBlue;
  BYTE peFlags;
};
static_assert(sizeof(PALETTEENTRY) == 4);

// ---- logical fonts -------------------------------------------------------------------------
constexpr int LF_FACESIZE = 32;

struct LOGFONTW {
  LONG lfHeight;
  LONG lfWidth;
  LONG lfEscapement;
  LONG lfOrientation;
  LONG lfWeight;
  BYTE lfItalic;
  BYTE lfUnderline;
  BYTE lfStrikeOut;
  BYTE lfCharSet;
  BYTE lfOutPrecision;
  BYTE lfClipPrecision;
  BYTE lfQuality;
  BYTE lfPitchAndFamily;
  WCHAR lfFaceName[LF_FACESIZE];
};
using PLOGFONTW = LOGFONTW*;
static_assert(sizeof(LOGFONTW) == 92);
static_assert(offsetof(LOGFONTW, lfCharSet) == 23 && offsetof(LOGFONTW, lfFaceName) == 28);

// Character sets (lfCharSet).
constexpr BYTE ANSI_CHARSET = 0;
constexpr BYTE DEFAULT_CHARSET = 1;
constexpr BYTE SYMBOL_CHARSET = 2;
constexpr BYTE SHIFTJIS_CHARSET = 128;
constexpr BYTE HANGUL_CHARSET = 129;
constexpr BYTE JOHAB_CHARSET = 130;
constexpr BYTE GB2312_CHARSET = 134;
constexpr BYTE CHINESEBIG5_CHARSET = 136;
constexpr BYTE GREEK_CHARSET = 161;
constexpr BYTE TURKISH_CHARSET = 162;
constexpr BYTE VIETNAMESE_CHARSET = 163;
constexpr BYTE HEBREW_CHARSET = 177;
constexpr BYTE ARABIC_CHARSET = 178;
constexpr BYTE BALTIC_CHARSET = 186;
constexpr BYTE RUSSIAN_CHARSET = 204;
constexpr BYTE THAI_CHARSET = 222;
constexpr BYTE EASTEUROPE_CHARSET = 238;
constexpr BYTE OEM_CHARSET = 255;

constexpr LONG FW_NORMAL = 400;
constexpr LONG FW_BOLD = 700;
constexpr BYTE OUT_DEFAULT_PRECIS = 0;
constexpr BYTE OUT_STRING_PRECIS = 1;
constexpr BYTE CLIP_DEFAULT_PRECIS = 0;
constexpr BYTE CLIP_STROKE_PRECIS = 2;
constexpr BYTE DEFAULT_QUALITY = 0;
constexpr BYTE FIXED_PITCH = 1;
constexpr BYTE VARIABLE_PITCH = 2;
constexpr BYTE FF_ROMAN = 0x10;
constexpr BYTE FF_SWISS = 0x20;
constexpr BYTE FF_MODERN = 0x30;

// ---- device technology and text capabilities ------------------------------------------------
constexpr ULONG DT_PLOTTER = 0;
constexpr ULONG DT_RASDISPLAY = 1;
constexpr ULONG DT_RASPRINTER = 2;
constexpr ULONG TC_OP_CHARACTER = 0x0001;
constexpr ULONG TC_OP_STROKE = 0x0002;
constexpr ULONG TC_CP_STROKE = 0x0004;
constexpr ULONG TC_CR_90 = 0x0008;
constexpr ULONG TC_CR_ANY = 0x0010;
constexpr ULONG TC_SF_X_YINDEP = 0x0020;
constexpr ULONG TC_SA_DOUBLE = 0x0040;
constexpr ULONG TC_SA_INTEGER = 0x0080;
constexpr ULONG TC_SA_CONTIN = 0x0100;
constexpr ULONG TC_EA_DOUBLE = 0x0200;
constexpr ULONG TC_IA_ABLE = 0x0400;
constexpr ULONG TC_UA_ABLE = 0x0800;
constexpr ULONG TC_SO_ABLE = 0x1000;
constexpr ULONG TC_RA_ABLE = 0x2000;
constexpr ULONG TC_VA_ABLE = 0x4000;

// ---- colour adjustment --------------------------------------------------------------------
struct COLORADJUSTMENT {
  WORD caSize;
  WORD caFlags;
  WORD caIlluminantIndex;
  WORD caRedGamma;
  WORD caGreenGamma;
  WORD caBlueGamma;
  WORD caReferenceBlack;
  WORD caReferenceWhite;
  SHORT caContrast;
  SHORT caBrightness;
  SHORT caColorfulness;
  SHORT caRedGreenTint;
};
using PCOLORADJUSTMENT = COLORADJUSTMENT*;
static_assert(sizeof(COLORADJUSTMENT) == 24);

// ---- logical colour spaces ------------------------------------------------------------------
using FXPT2DOT30 = LONG;
struct CIEXYZ {
  FXPT2DOT30 ciexyzX;
  FXPT2DOT30 ciexyzY;
  FXPT2DOT30 ciexyzZ;
};
struct CIEXYZTRIPLE {
  CIEXYZ ciexyzRed;
  CIEXYZ ciexyzGreen;
  CIEXYZ ciexyzBlue;
};
using LCSCSTYPE = LONG;
using LCSGAMUTMATCH = LONG;
struct LOGCOLORSPACEW {
  DWORD lcsSignature;
  DWORD lcsVersion;
  DWORD lcsSize;
  LCSCSTYPE lcsCSType;
  LCSGAMUTMATCH lcsIntent;
  CIEXYZTRIPLE lcsEndpoints;
  DWORD lcsGammaRed;
  DWORD lcsGammaGreen;
  DWORD lcsGammaBlue;
  WCHAR lcsFilename[MAX_PATH];
};
using LPLOGCOLORSPACEW = LOGCOLORSPACEW*;
static_assert(sizeof(LOGCOLORSPACEW) == 588);

// ---- PANOSE (font classification, part of the font metrics) ----------------------------------
struct PANOSE {
  BYTE bFamilyType;
  BYTE bSerifStyle;
  BYTE bWeight;
  BYTE bProportion;
  BYTE bContrast;
  BYTE bStrokeVariation;
  BYTE bArmStyle;
  BYTE bLetterform;
  BYTE bMidline;
  BYTE bXHeight;
};
static_assert(sizeof(PANOSE) == 10);

// ---- colour profiles and transforms (the image colour management calls) ------------------------
struct HPROFILE__;
using HPROFILE = HPROFILE__*;
struct HTRANSFORM__;
using HTRANSFORM = HTRANSFORM__*;

constexpr DWORD LCS_SIGNATURE = 0x50534F43;  // "PSOC"
constexpr LCSCSTYPE LCS_CALIBRATED_RGB = 0;
constexpr LCSCSTYPE LCS_sRGB = 0x73524742;   // "sRGB"
constexpr LCSCSTYPE LCS_WINDOWS_COLOR_SPACE = 0x57696E20;

constexpr DWORD PROFILE_FILENAME = 1;
constexpr DWORD PROFILE_MEMBUFFER = 2;
constexpr DWORD PROFILE_READ = 1;
constexpr DWORD PROFILE_READWRITE = 2;

constexpr DWORD PROOF_MODE = 0x00000001;
constexpr DWORD NORMAL_MODE = 0x00000002;
constexpr DWORD BEST_MODE = 0x00000003;
constexpr DWORD ENABLE_GAMUT_CHECKING = 0x00010000;
constexpr DWORD USE_RELATIVE_COLORIMETRIC = 0x00020000;

struct PROFILE {
  DWORD dwType;  // PROFILE_FILENAME or PROFILE_MEMBUFFER
  PVOID pProfileData;
  DWORD cbDataSize;
};
using PPROFILE = PROFILE*;
static_assert(offsetof(PROFILE, pProfileData) == 8 && sizeof(PROFILE) == 24);

extern "C" {
// Opens an ICC profile from a memory buffer (copied) or a file (a Windows path, read
// whole). The data must be a profile: at least the 128-byte header, "acsp" at byte 36, and
// a declared size (big-endian, byte 0) within the data. Errors: ERROR_INVALID_PARAMETER
// (bad arguments, or data that is not a profile), the file errors for a file profile.
KOVA_EXPORT HPROFILE WINAPI OpenColorProfileW(PPROFILE pProfile, DWORD dwDesiredAccess, DWORD dwShareMode,
                                              DWORD dwCreationMode);
KOVA_EXPORT BOOL WINAPI CloseColorProfile(HPROFILE hProfile);
// A transform from the logical colour space to the destination profile (and, when given,
// through the target profile). Colours pass the transform unchanged: the stand-in keeps
// the handles and their checks, not the colour arithmetic.
KOVA_EXPORT HTRANSFORM WINAPI CreateColorTransformW(LPLOGCOLORSPACEW pLogColorSpace, HPROFILE hDestProfile,
                                                   HPROFILE hTargetProfile, DWORD dwFlags);
KOVA_EXPORT BOOL WINAPI DeleteColorTransform(HTRANSFORM hColorTransform);
}  // extern "C"

// ---- printer escapes ----------------------------------------------------------------------------
// ExtEscape on a printer device context: the driver's DrvEscape with the context's surface.
// Answers the driver's answer (> 0 done, 0 an escape the driver does not implement; a
// driver without DrvEscape answers 0), or -1 for an unknown context, a context whose
// device has no surface, or a negative size or missing buffer (GetLastError tells which).
KOVA_EXPORT int WINAPI ExtEscape(HDC hdc, int iEscape, int cjInput, LPCSTR lpInData, int cjOutput, LPSTR lpOutData);

#pragma GCC visibility pop
