// Settings field ids that the rendering code reads.
#pragma once

#include "win/types.h"

namespace rendara::fid {

constexpr WORD dmOrientation = 7;
constexpr WORD dmPaperSize = 8;
constexpr WORD dmCopies = 12;
constexpr WORD dmPrintQuality = 14;
constexpr WORD dmColor = 15;
constexpr WORD kdmSrcPaperLengthDot = 40;
constexpr WORD kdmSrcPaperWidthDot = 41;
constexpr WORD kdmSrcPaperPrnLengthDot = 42;
constexpr WORD kdmSrcPaperPrnWidthDot = 43;
constexpr WORD kdmSrcXOffset = 44;
constexpr WORD kdmSrcYOffset = 45;
constexpr WORD kdmDstPaperPrnLengthDot = 49;
constexpr WORD kdmDstPaperPrnWidthDot = 50;
constexpr WORD kdmFuncSelectNup = 56;
constexpr WORD kdmScaleH = 89;
constexpr WORD kdmScaleV = 90;
constexpr WORD kdmNUPPOSTKind = 91;
constexpr WORD kdmColorMatching = 130;
constexpr WORD kdmICMType = 131;
constexpr WORD kdmQualityFuncTextBitmapSupport = 166;
constexpr WORD kdmQualityFuncTextBitmap = 167;
constexpr WORD kdmLanguageID = 169;
constexpr WORD kdmExtPrintArea = 173;
constexpr WORD kdmImagePrint = 174;
constexpr WORD kdmColorProcess = 175;
constexpr WORD kdmExtOutputEMFSpool = 193;
constexpr WORD kdmPrnMethod = 209;
constexpr WORD kdmMachineTypeColor = 234;
constexpr WORD kdmDriverType = 242;
constexpr WORD kdmAPIUseFlag = 243;
constexpr WORD kdmFrontFunc = 348;
constexpr WORD kdmHiddenFunc4 = 353;
constexpr WORD kdmHiddenFunc5 = 354;
constexpr WORD kdmHiddenFunc15 = 364;
constexpr WORD kdmHiddenFunc18 = 367;
constexpr WORD kdmHiddenFunc26 = 375;
constexpr WORD kdmHiddenFunc30 = 379;
constexpr WORD kdmHidden2Func9 = 456;
constexpr WORD kdmHidden2Func11 = 458;
constexpr WORD kdmFunc2SelectJobComplete = 530;
constexpr WORD kdmFunc2SelectJobErr = 531;
constexpr WORD kdmSupportFunc2SelectJobComplete = 562;
constexpr WORD kdmSupportFunc2SelectJobErr = 563;
constexpr WORD kdmPreviewPrint = 601;
constexpr WORD KPD_kdmJobfold = 704;
constexpr WORD KPD_kdmPLInstalled = 705;
constexpr WORD kdmPrnFuncTakeOver = 10356;

}  // namespace rendara::fid
