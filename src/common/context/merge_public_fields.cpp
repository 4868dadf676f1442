#include "context/merge_public_fields.h"

#include <cstring>

#include "base/deliverable.h"
#include "model/derived_fields.h"
#include "stored/devmode_checks.h"
#include "context/devmode_defaults.h"
#include "fields/devmode_header.h"
#include "base/driver_context.h"
#include "fields/field_access.h"
#include "model/field_checks.h"
#include "fields/field_table.h"
#include "base/ini_files.h"
#include "model/module_dispatch.h"
#include "stored/module_services.h"
#include "context/paper_sizes.h"
#include "base/paths_and_names.h"
#include "model/printable_area.h"
#include "fields/product_record.h"
#include "stored/snapshot_ring.h"
#include "base/spooler_info.h"
#include "model/units.h"
#include "context/validate_table.h"
#include "field_ids.h"
#include "model/model_tables.h"
#include "model/option_lookup.h"
#include "model/resolution_limit.h"
#include "model/resolution_table.h"
#include "model/value_sets.h"
#include "model/free_size_list.h"
#include "model/paper_map.h"
#include "stored/quality_list.h"
#include "stored/settings_load_save.h"
#include "stored/stamp_list.h"
#include "win/devmode.h"

namespace {

constexpr DWORD kEventModuleItems = 124;
constexpr DWORD kEventQuality = 36;
constexpr DWORD kEventChapter = 13;
constexpr DWORD kUserPaper = DMPAPER_USER;
constexpr DWORD kSettingsFileLoadFlags = 0x1010;

DEVMODEW PublicOf(const BYTE* devmode) {
  DEVMODEW dm;
  std::memcpy(&dm, devmode, sizeof dm);
  return dm;
}

DWORD S16(SHORT v) { return static_cast<DWORD>(static_cast<std::int32_t>(v)); }

DWORD Fields(DriverContext* context) { return ReadFieldRawById(context, fid::dmFields); }
void SetFieldsBits(DriverContext* context, DWORD bits) { WriteFieldRawById(context, fid::dmFields, Fields(context) | bits); }
void ClearFieldsBits(DriverContext* context, DWORD bits) {
  WriteFieldRawById(context, fid::dmFields, Fields(context) & ~bits);
}

bool HasModelOption(DriverContext* context, WORD id) { return static_cast<bool>(GetOptionForFeature(id, context)); }

// The model default when the field has a model option, else the product's value.
void ModelOrProductDefault(DriverContext* context, WORD id, DWORD productValue) {
  SettingField* field = FindFieldById(context, id);
  if (field && HasModelOption(context, id)) {
    SetFieldToModelDefault(context, field);
  } else {
    WriteFieldRawById(context, id, productValue);
  }
}

// The value of the incoming public field with that id.
DWORD IncomingValue(const DEVMODEW& s, WORD id) {
  switch (id) {
    case fid::dmOrientation: return S16(s.dmOrientation);
    case fid::dmPaperSize: return S16(s.dmPaperSize);
    case fid::dmPaperLength: return S16(s.dmPaperLength);
    case fid::dmPaperWidth: return S16(s.dmPaperWidth);
    case fid::dmScale: return S16(s.dmScale);
    case fid::dmCopies: return S16(s.dmCopies);
    case fid::dmDefaultSource: return S16(s.dmDefaultSource);
    case fid::dmPrintQuality: return S16(s.dmPrintQuality);
    case fid::dmColor: return S16(s.dmColor);
    case fid::dmDuplex: return S16(s.dmDuplex);
    case fid::dmYResolution: return S16(s.dmYResolution);
    case fid::dmTTOption: return S16(s.dmTTOption);
    case fid::dmCollate: return S16(s.dmCollate);
    case fid::dmICMMethod: return s.dmICMMethod;
    case fid::dmICMIntent: return s.dmICMIntent;
    case fid::dmMediaType: return s.dmMediaType;
    case fid::dmDitherType: return s.dmDitherType;
    default: return 0;
  }
}

struct RawCopy {
  DWORD bit;
  WORD id;
};
constexpr RawCopy kRawCopies[] = {
    {DM_ORIENTATION, fid::dmOrientation}, {DM_PAPERSIZE, fid::dmPaperSize},       {DM_PAPERLENGTH, fid::dmPaperLength},
    {DM_PAPERWIDTH, fid::dmPaperWidth},  {DM_SCALE, fid::dmScale},                {DM_COPIES, fid::dmCopies},
    {DM_DEFAULTSOURCE, fid::dmDefaultSource}, {DM_PRINTQUALITY, fid::dmPrintQuality}, {DM_COLOR, fid::dmColor},
    {DM_DUPLEX, fid::dmDuplex},           {DM_YRESOLUTION, fid::dmYResolution},   {DM_TTOPTION, fid::dmTTOption},
    {DM_COLLATE, fid::dmCollate},         {DM_ICMMETHOD, fid::dmICMMethod},       {DM_ICMINTENT, fid::dmICMIntent},
    {DM_MEDIATYPE, fid::dmMediaType}, {DM_DITHERTYPE, fid::dmDitherType},
};

// A value within the bounds of the field's Numeric option (or the product's), else the
// default.
DWORD Bounded(DriverContext* context, WORD id, DWORD value, std::int32_t minimum, std::int32_t maximum,
              DWORD fallback) {
  const ImageRef option = GetOptionForFeature(id, context);
  if (option && OptionTypeOf(option) == OPTTYPE_NUMERIC) GetNumericBounds(option, &minimum, &maximum);
  const std::int32_t v = static_cast<std::int32_t>(value);
  return v < minimum || v > maximum ? fallback : value;
}

// The oriented extent of the current model paper into the public length and width.
void TakeModelPaperExtent(DriverContext* context) {
  POINTL size{};
  if (!GetModelPaperSize(context, &size, 0)) return;
  WriteFieldRawById(context, fid::dmPaperLength, static_cast<DWORD>(size.y));
  WriteFieldRawById(context, fid::dmPaperWidth, static_cast<DWORD>(size.x));
}

// The public length and width of the context's device-mode swapped when it is in landscape
// (the rendering build's paper handling).
void SwapPaperIfLandscape(DriverContext* context) {
  if (ReadFieldRawById(context, fid::dmOrientation) != DMORIENT_LANDSCAPE) return;
  const DWORD length = ReadFieldRawById(context, fid::dmPaperLength);
  WriteFieldRawById(context, fid::dmPaperLength, ReadFieldRawById(context, fid::dmPaperWidth));
  WriteFieldRawById(context, fid::dmPaperWidth, length);
}

// A custom size by the rendering build's test: both lengths asked and above 0, and no paper
// code or a user paper code.
bool IsRenderingCustomSize(DWORD fields, short width, short length, DWORD paper) {
  return (fields & DM_PAPERLENGTH) && (fields & DM_PAPERWIDTH) && width > 0 && length > 0 &&
         (!(fields & DM_PAPERSIZE) || IsUserPaperCode(paper));
}

// kdmPaperFreeSizeWidth and kdmPaperFreeSizeLength from the device-mode's public sizes.
void WriteFreeSizeFromPublic(BYTE* d, DriverContext* context) {
  const DEVMODEW now = PublicOf(d);
  WriteFieldRawById(context, fid::kdmPaperFreeSizeWidth,
                    static_cast<DWORD>(UserUnitsToDots(kUnitTenthMm, now.dmPaperWidth, 1200)));
  WriteFieldRawById(context, fid::kdmPaperFreeSizeLength,
                    static_cast<DWORD>(UserUnitsToDots(kUnitTenthMm, now.dmPaperLength, 1200)));
}

void MergePaper(BYTE* d, const DEVMODEW& s, DWORD f, DriverContext* context) {
  const bool shortOver = ReadFieldRawById(context, fid::kdmFuncSelectFreeShortOver) != 0;
  const DWORD paper = S16(s.dmPaperSize);
  const bool rendering = IsRenderingBuild();
  const bool custom = rendering ? IsRenderingCustomSize(f, s.dmPaperWidth, s.dmPaperLength, paper)
                                : (f & DM_PAPERLENGTH) && (f & DM_PAPERWIDTH) && s.dmPaperWidth > 0 &&
                                      s.dmPaperLength > 0 && !(f & DM_PAPERSIZE);
  if (custom) {
    WriteFieldRawById(context, fid::dmPaperSize, !rendering || IsUserPaperCode(paper) ? paper : kUserPaper);
    WriteFieldRawById(context, fid::dmPaperLength, S16(s.dmPaperLength));
    WriteFieldRawById(context, fid::dmPaperWidth, S16(s.dmPaperWidth));
    SetFieldsBits(context, DM_PAPERLENGTH | DM_PAPERWIDTH);
    if (ReadFieldRawById(context, fid::kdmHidden2Func24) != 0) {
      SetFieldsBits(context, DM_PAPERSIZE);
    } else {
      ClearFieldsBits(context, DM_PAPERSIZE);
    }
    if (rendering) SwapPaperIfLandscape(context);
    BYTE* holder = d;
    NotifyModules(context, MODEV_INCH_PAPER_IN, &holder);
    WriteFreeSizeFromPublic(d, context);
    return;
  }
  if (f & DM_PAPERSIZE) {
    if (IsFreeSizeListPaper(paper, context)) {
      if (shortOver) {
        WriteFieldRawById(context, fid::dmPaperSize, paper);
        ClearFieldsBits(context, DM_PAPERLENGTH | DM_PAPERWIDTH);
      } else {
        InitFreeSizes(context);
        const int index = FreeSizeIndexFromPaperId(paper, context);
        LoadUserPaperNames(context, paper, index);
        // A record of no size describes no paper: the current length and width stay.
        if (index >= 0 && index < kFreeSizeRecordCount && context->work &&
            context->work->freeSizes[index].length != 0 && context->work->freeSizes[index].width != 0) {
          const FreeSizeRecord& r = context->work->freeSizes[index];
          WriteFieldRawById(context, fid::dmPaperLength,
                            static_cast<DWORD>(DotsToUserUnits(kUnitTenthMm, static_cast<int>(r.length), 1200)));
          WriteFieldRawById(context, fid::dmPaperWidth,
                            static_cast<DWORD>(DotsToUserUnits(kUnitTenthMm, static_cast<int>(r.width), 1200)));
        }
        if (rendering) SwapPaperIfLandscape(context);
        WriteFieldRawById(context, fid::dmPaperSize, paper);
        if (ReadFieldRawById(context, fid::dmPaperLength) != 0 && ReadFieldRawById(context, fid::dmPaperWidth) != 0) {
          SetFieldsBits(context, DM_PAPERLENGTH | DM_PAPERWIDTH);
        }
      }
    } else if (IsModelPaperSize(paper, context)) {
      WriteFieldRawById(context, fid::dmPaperSize, paper);
      ClearFieldsBits(context, DM_PAPERLENGTH | DM_PAPERWIDTH);
      if (!shortOver) TakeModelPaperExtent(context);
    } else {
      ModelOrProductDefault(context, fid::dmPaperSize, ProductOf(context)->paperSize);
      ClearFieldsBits(context, DM_PAPERLENGTH | DM_PAPERWIDTH);
    }
    SetFieldsBits(context, DM_PAPERSIZE);
    return;
  }
  if (f & DM_ORIENTATION) {
    if (rendering) {
      const DEVMODEW own = PublicOf(d);
      if (IsRenderingCustomSize(own.dmFields, own.dmPaperWidth, own.dmPaperLength, S16(own.dmPaperSize))) {
        SwapPaperIfLandscape(context);
        WriteFreeSizeFromPublic(d, context);
        return;
      }
      if ((own.dmFields & DM_PAPERSIZE) && IsFreeSizeListPaper(S16(own.dmPaperSize), context)) {
        SwapPaperIfLandscape(context);
        return;
      }
    }
    if ((Fields(context) & DM_PAPERSIZE) && !IsFreeSizeListPaper(ReadFieldRawById(context, fid::dmPaperSize), context)) {
      TakeModelPaperExtent(context);
    }
    return;
  }
  if (f & DM_FORMNAME) {
    SettingField* form = FindFieldById(context, fid::dmFormName);
    const DEVMODEW own = PublicOf(d);
    if (s.dmFormName[0] == 0) {
      if (form) SetFieldString(context, form, u"");
      ClearFieldsBits(context, DM_FORMNAME);
    } else if (own.dmFormName[0] == 0) {
      ClearFieldsBits(context, DM_FORMNAME);
    } else {
      WCHAR name[CCHFORMNAME] = {};
      std::memcpy(name, s.dmFormName, (CCHFORMNAME - 1) * sizeof(WCHAR));
      if (form) SetFieldString(context, form, name, CCHFORMNAME - 1);
      SetFieldsBits(context, DM_FORMNAME);
    }
  }
}

// A value the check accepts is taken and its bit set; otherwise the product's value,
// with the bit set or not as the caller says.
void TakeValidOrProduct(DriverContext* context, WORD id, DWORD bit, DWORD value, int valid, DWORD productValue,
                        bool setBitOnDefault) {
  if (valid) {
    WriteFieldRawById(context, id, value);
    SetFieldsBits(context, bit);
  } else {
    WriteFieldRawById(context, id, productValue);
    if (setBitOnDefault) SetFieldsBits(context, bit);
  }
}

// The settings API ignores 160.
bool IsUserMacroQuality(DWORD macro) { return (macro >= 32 && macro <= 39) || (macro == 160 && !IsSettingsApiBuild()); }

// CheckOptionValueSimple passes with 1 (valid) or 5 (hidden).
bool OptionPasses(DriverContext* context, WORD id, DWORD value) {
  SettingField* field = FindFieldById(context, id);
  const int r = CheckOptionValueSimple(field, id, value, context);
  return r == OPTION_VALID || r == OPTION_HIDDEN;
}

DWORD AskModulesForQuality(BYTE* d, DriverContext* context, WORD id, DWORD value) {
  PrintQualityEventBlock block{d, FindFieldById(context, id), value};
  NotifyModules(context, kPrintQualityEvent, &block);
  return block.value;
}

}  // namespace

void MergePublicFields(BYTE* d, const BYTE* incoming, DriverContext* context) {
  if (!d || !incoming || !context || !context->settings) return;
  const DEVMODEW s = PublicOf(incoming);
  const ProductRecord* product = ProductOf(context);
  DWORD f = s.dmFields;

  for (const RawCopy& c : kRawCopies) {
    if (f & c.bit) WriteFieldRawById(context, c.id, IncomingValue(s, c.id));
  }

  if (f & DM_DEFAULTSOURCE) {
    const DWORD v = S16(s.dmDefaultSource);
    if (IsDefaultSourceValid(v, context)) {
      WriteFieldRawById(context, fid::dmDefaultSource, v);
    } else {
      ModelOrProductDefault(context, fid::dmDefaultSource, product->defaultSource);
    }
    SetFieldsBits(context, DM_DEFAULTSOURCE);
  }
  if (f & DM_ORIENTATION) {
    const DWORD v = S16(s.dmOrientation);
    if (IsOrientationValid(v, context)) {
      WriteFieldRawById(context, fid::dmOrientation, v);
    } else {
      ModelOrProductDefault(context, fid::dmOrientation, product->orientation);
    }
    SetFieldsBits(context, DM_ORIENTATION);
  }

  if (S16(s.dmPaperSize) == kUserPaper) f = (f & ~DM_PAPERSIZE) | DM_PAPERLENGTH | DM_PAPERWIDTH;
  if (ReadFieldRawById(context, fid::kdmFuncSelectFreeShortOver) == 1) {
    f = (f & ~(DM_PAPERLENGTH | DM_PAPERWIDTH)) | DM_PAPERSIZE;
  }
  MergePaper(d, s, f, context);

  if (f & DM_SCALE) {
    const DWORD v = Bounded(context, fid::dmScale, S16(s.dmScale), static_cast<std::int32_t>(product->scaleMin),
                            static_cast<std::int32_t>(product->scaleMax), product->scale);
    WriteFieldRawById(context, fid::dmScale, v);
  }
  ClearFieldsBits(context, DM_SCALE);
  if (f & DM_COPIES) {
    const DWORD v = Bounded(context, fid::dmCopies, S16(s.dmCopies), static_cast<std::int32_t>(product->copiesMin),
                            static_cast<std::int32_t>(product->copiesMax), product->copies);
    WriteFieldRawById(context, fid::dmCopies, v);
    SetFieldsBits(context, DM_COPIES);
  }
  if (f & DM_MEDIATYPE) {
    WriteFieldRawById(context, fid::dmMediaType,
                      IsMediaTypeValid(s.dmMediaType, context) ? s.dmMediaType : product->mediaType);
  }
  if (f & DM_PRINTQUALITY) MergePrintQuality(d, incoming, context);
  WriteFieldRawById(context, fid::dmYResolution, ReadFieldRawById(context, fid::dmPrintQuality));
  SetFieldsBits(context, DM_YRESOLUTION);

  if (f & DM_DUPLEX) {
    const DWORD v = S16(s.dmDuplex);
    TakeValidOrProduct(context, fid::dmDuplex, DM_DUPLEX, v, IsDuplexValid(v, context), product->duplex, true);
  }
  if (f & DM_COLOR) {
    const DWORD v = S16(s.dmColor);
    TakeValidOrProduct(context, fid::dmColor, DM_COLOR, v, IsColorValid(v, context), product->color, true);
  }
  if (f & DM_TTOPTION) {
    const DWORD v = S16(s.dmTTOption);
    TakeValidOrProduct(context, fid::dmTTOption, DM_TTOPTION, v, IsTTOptionValid(v, context), product->ttOption, false);
  }

  ClearFieldsBits(context, DM_COLLATE);
  WriteFieldRawById(context, fid::dmCollate, 0);
  if (IsCollateSupported(context)) {
    SetFieldsBits(context, DM_COLLATE);
    const bool on = (f & DM_COLLATE) ? s.dmCollate == DMCOLLATE_TRUE
                                     : ReadFieldRawById(context, fid::kdmFuncSelectSort) != 0;
    WriteFieldRawById(context, fid::dmCollate, on ? 1 : 0);
  }

  if (f & DM_ICMMETHOD) {
    TakeValidOrProduct(context, fid::dmICMMethod, DM_ICMMETHOD, s.dmICMMethod, IsIcmMethodValid(s.dmICMMethod, context),
                       product->icmMethod, false);
  }
  if (f & DM_ICMINTENT) {
    TakeValidOrProduct(context, fid::dmICMIntent, DM_ICMINTENT, s.dmICMIntent, IsIcmIntentValid(s.dmICMIntent, context),
                       product->icmIntent, false);
  }
  if (f & DM_DITHERTYPE) {
    TakeValidOrProduct(context, fid::dmDitherType, DM_DITHERTYPE, s.dmDitherType,
                       IsDitherTypeValid(s.dmDitherType, context), product->ditherType, false);
  }
}

void MergePrintQuality(BYTE* d, const BYTE* incoming, DriverContext* context) {
  if (!d || !incoming || !context || !context->settings || !context->work) return;
  const DEVMODEW s = PublicOf(incoming);
  const ProductRecord* product = ProductOf(context);
  const DWORD mergeFlags = context->work->mergeFlags;

  const DWORD v = S16(s.dmPrintQuality);
  if (IsDmresValue(v)) {
    ModelOrProductDefault(context, fid::dmPrintQuality, product->printQuality);
  } else if (IsPrintQualityValid(v, context)) {
    WriteFieldRawById(context, fid::dmPrintQuality, v);
  } else if (FindFieldById(context, fid::kdmDstResolutionW)) {
    WriteFieldRawById(context, fid::dmPrintQuality, AskModulesForQuality(d, context, fid::kdmDstResolutionW, v));
  } else {
    WriteFieldRawById(context, fid::dmPrintQuality, product->printQuality);
  }

  const DWORD quality = ReadFieldRawById(context, fid::dmPrintQuality);
  DWORD r = quality;
  WORD target = fid::kdmDstResolutionW;
  const ImageRef resolution = GetOptionForFeature(fid::kdmDstResolutionW, context);
  if (resolution && OptionTypeOf(resolution) == OPTTYPE_NUMERIC) {
    target = fid::kdmDstResolutionBoth;
    const DWORD current = ReadFieldRawById(context, fid::kdmDstResolutionBoth);
    const ResolutionRecord* row = FindResolutionRecord(static_cast<WORD>(current));
    if (ReadFieldRawById(context, fid::kdmUseUserMacro) == 1 && row && row->horizontal == quality) {
      r = current;
    } else {
      WORD code = FindResolutionCodeByDpi(quality);
      while (code != 0 && !OptionPasses(context, fid::kdmDstResolutionBoth, code)) {
        code = NextResolutionCodeForDpi(quality, code);
      }
      r = code != 0 ? code : quality;
    }
  }
  if (FindFieldById(context, target) && !OptionPasses(context, target, r)) {
    const DWORD answer = AskModulesForQuality(d, context, target, r);
    if (target == fid::kdmDstResolutionBoth) {
      if (const ResolutionRecord* row = FindResolutionRecord(static_cast<WORD>(answer))) {
        WriteFieldRawById(context, fid::dmPrintQuality, row->horizontal);
      }
    } else {
      WriteFieldRawById(context, fid::dmPrintQuality, answer);
    }
  }

  const DWORD macro = ReadFieldRawById(context, fid::kdmUserPrintMacro);
  if (ReadFieldRawById(context, fid::kdmUseUserMacro) == 1 && (mergeFlags & MERGE_ROAD_DOCUMENT) &&
      (mergeFlags & MERGE_PROMPT) && IsUserMacroQuality(macro)) {
    const DWORD remembered = ReadFieldRawById(context, fid::dmPrintQuality);
    PushSettingsSnapshot(context);
    ApplyQualityByIndex(context, static_cast<int>(macro - 32));
    const DWORD macroResolution = ReadFieldRawById(context, fid::kdmDstResolutionW);
    PopSettingsSnapshot(context, 1);
    if (macroResolution != remembered) WriteFieldRawById(context, fid::dmPrintQuality, macroResolution);
  }

  if (!(mergeFlags & MERGE_SETTINGS_FILE)) {
    if (const WORD limit = GetResolutionLimit(context)) WriteFieldRawById(context, fid::dmPrintQuality, limit);
  }
  SetFieldsBits(context, DM_PRINTQUALITY);
}

void ApplyUserMacroQuality(DriverContext* context) {
  if (!context || !context->settings || !context->work) return;
  const DWORD macro = ReadFieldRawById(context, fid::kdmUserPrintMacro);
  if (ReadFieldRawById(context, fid::kdmUseUserMacro) != 1 || !IsUserMacroQuality(macro)) return;
  WCHAR key[32] = {};
  MakeQualityKey(key, static_cast<int>(macro - 32));
  WCHAR path[260] = {};
  const WCHAR* ini = GetUserIniPath(context);
  if (ini && ini[0]) ReadIniString(context->work->printerName, key, u"", path, 260, ini);
  if (path[0]) LoadSettingsFile(context->hPrinter, path, kSettingsFileLoadFlags, context);
  // The rendering build never loads the quality name.
  if ((context->work->mergeFlags & MERGE_KEEP_DISABLED) && !IsRenderingBuild()) LoadQualityName(context, key);
}

void ReconcilePublicFields(BYTE* d, const BYTE* incoming, DriverContext* context) {
  if (!d || !incoming || !context || !context->settings || !context->work) return;
  const DEVMODEW s = PublicOf(incoming);
  const DEVMODEW before = PublicOf(d);
  const DWORD both = before.dmFields & s.dmFields;

  if (both & DM_DUPLEX) {
    const DWORD a = S16(before.dmDuplex);
    if (a == 2 || a == 3) {
      const bool landscape = before.dmOrientation == DMORIENT_LANDSCAPE;
      const bool topBinding = (a == 2 && landscape) || (a == 3 && !landscape);
      if (ReadFieldRawById(context, fid::kdmFuncSelectDuplex) != 0) {
        DWORD t = ReadFieldRawById(context, fid::kdmDuplexType);
        if (topBinding) {
          if (!IsValueAllowedByIndex(0, t)) t = IsValueAllowedByIndex(9, t) ? 17 : IsValueAllowedByIndex(10, t) ? 20 : 1;
        } else {
          if (!IsValueAllowedByIndex(1, t)) t = IsValueAllowedByIndex(11, t) ? 19 : IsValueAllowedByIndex(12, t) ? 22 : 3;
        }
        WriteFieldRawById(context, fid::kdmDuplexType, t);
      } else {
        WriteFieldRawById(context, fid::kdmFuncSelectDuplex, 1);
        WriteFieldRawById(context, fid::kdmDuplexType, topBinding ? 1 : 3);
      }
    } else if (ReadFieldRawById(context, fid::wdmCustomFunc0) == 0) {
      WriteFieldRawById(context, fid::kdmFuncSelectDuplex, 0);
    }
  }
  if (both & DM_MEDIATYPE) WriteFieldRawById(context, fid::kdmMediaType, before.dmMediaType & 0xFFFF);

  ApplyCurrentStamp(context);
  ApplyUserMacroQuality(context);
  NotifyModules(context, kEventQuality, nullptr);
  NotifyModules(context, kEventChapter, nullptr);
  CallModuleItemHooks(context, kEventModuleItems);

  if (!(context->work->mergeFlags & MERGE_SETTINGS_FILE)) SyncResolutionFromPublic(d, context);

  const DEVMODEW now = PublicOf(d);
  const bool customSize = (now.dmFields & DM_PAPERLENGTH) && (now.dmFields & DM_PAPERWIDTH) &&
                          now.dmPaperLength > 0 && now.dmPaperWidth > 0 && !(now.dmFields & DM_PAPERSIZE);
  if ((both & DM_PAPERLENGTH) && (both & DM_PAPERWIDTH) && now.dmPaperWidth > 0 && now.dmPaperLength > 0 &&
      !((now.dmFields & DM_PAPERSIZE) && (s.dmFields & DM_PAPERSIZE))) {
    ComputePrintableArea(d, context);
  } else if (both & DM_PAPERSIZE) {
    DerivePaperGeometry(S16(now.dmPaperSize), fid::dmPaperSize, context, d);
  } else if (both & DM_ORIENTATION) {
    if (customSize) {
      ComputePrintableArea(d, context);
    } else if (now.dmFields & DM_PAPERSIZE) {
      DerivePaperGeometry(S16(now.dmPaperSize), fid::dmPaperSize, context, d);
    }
  }
  DeriveImageableArea(ReadFieldRawById(context, fid::kdmOutPaperSize), fid::kdmOutPaperSize, context, d);

  SetStateByte(context, 712, ReadFieldRawById(context, fid::kdmUIModeChange) != 0 ? 1 : 0);
  SetStateByte(context, 713, IsBidiEnabled(context) ? 1 : 0);
  SetStateByte(context, 714, IsPrinterConnection(context) ? 1 : 0);

  WCHAR other[4] = {};
  if (!GetFieldString(context, FindFieldById(context, fid::kdmOther), other, 4) || other[0] == 0) {
    SetModelDeviceString(context);
  }
  WriteFieldRawById(context, fid::wdmUIStart, 0);
  ValidateOrDefaultAll(context, VOD_VALIDATE);
}
