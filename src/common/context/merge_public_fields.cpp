#include "context/merge_public_fields.h"

#include <cstring>

#include "context/derived_fields.h"
#include "context/devmode_checks.h"
#include "context/devmode_defaults.h"
#include "context/devmode_header.h"
#include "context/driver_context.h"
#include "context/field_access.h"
#include "context/field_checks.h"
#include "context/field_table.h"
#include "context/ini_files.h"
#include "context/module_dispatch.h"
#include "context/module_services.h"
#include "context/paper_sizes.h"
#include "context/paths_and_names.h"
#include "context/pending_defaults.h"
#include "context/pending_merge.h"
#include "context/printable_area.h"
#include "context/product_record.h"
#include "context/snapshot_ring.h"
#include "context/spooler_info.h"
#include "context/units.h"
#include "context/validate_table.h"
#include "model/model_tables.h"
#include "model/option_lookup.h"
#include "model/value_sets.h"
#include "win/devmode.h"

namespace {

enum : WORD {
  F_FIELDS = 6,
  F_ORIENTATION = 7,
  F_PAPER_SIZE = 8,
  F_PAPER_LENGTH = 9,
  F_PAPER_WIDTH = 10,
  F_SCALE = 11,
  F_COPIES = 12,
  F_DEFAULT_SOURCE = 13,
  F_PRINT_QUALITY = 14,
  F_COLOR = 15,
  F_DUPLEX = 16,
  F_Y_RESOLUTION = 17,
  F_TT_OPTION = 18,
  F_COLLATE = 19,
  F_FORM_NAME = 20,
  F_ICM_METHOD = 27,
  F_ICM_INTENT = 28,
  F_MEDIA_TYPE_PUBLIC = 29,
  F_DITHER_TYPE = 30,
  F_UI_MODE_CHANGE = 36,
  F_DST_RESOLUTION_W = 38,
  F_OUT_PAPER_SIZE = 46,
  F_MEDIA_TYPE = 54,
  F_FUNC_SELECT_DUPLEX = 58,
  F_FUNC_SELECT_SORT = 61,
  F_FUNC_SELECT_FREE_SHORT_OVER = 85,
  F_DUPLEX_TYPE = 94,
  F_DST_RESOLUTION_BOTH = 152,
  F_USE_USER_MACRO = 176,
  F_USER_PRINT_MACRO = 179,
  F_PAPER_FREE_WIDTH = 340,
  F_PAPER_FREE_LENGTH = 341,
  F_HIDDEN2_FUNC24 = 471,
  F_UI_START = 989,
  F_CUSTOM_FUNC0 = 1462,
  F_OTHER = 10274,
};

constexpr DWORD kEventModuleItems = 124;
constexpr DWORD kEventQuality = 36;
constexpr DWORD kEventChapter = 13;
constexpr DWORD kUserPaper = DMPAPER_USER;
constexpr DWORD kSettingsFileLoadFlags = 0x1010;

const ProductRecord* ProductOf(DriverContext* context) {
  return context->product ? context->product : GetProductRecord();
}

DEVMODEW PublicOf(const BYTE* devmode) {
  DEVMODEW dm;
  std::memcpy(&dm, devmode, sizeof dm);
  return dm;
}

DWORD S16(SHORT v) { return static_cast<DWORD>(static_cast<std::int32_t>(v)); }

DWORD Fields(DriverContext* context) { return ReadFieldRawById(context, F_FIELDS); }
void SetFieldsBits(DriverContext* context, DWORD bits) { WriteFieldRawById(context, F_FIELDS, Fields(context) | bits); }
void ClearFieldsBits(DriverContext* context, DWORD bits) {
  WriteFieldRawById(context, F_FIELDS, Fields(context) & ~bits);
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
    case F_ORIENTATION: return S16(s.dmOrientation);
    case F_PAPER_SIZE: return S16(s.dmPaperSize);
    case F_PAPER_LENGTH: return S16(s.dmPaperLength);
    case F_PAPER_WIDTH: return S16(s.dmPaperWidth);
    case F_SCALE: return S16(s.dmScale);
    case F_COPIES: return S16(s.dmCopies);
    case F_DEFAULT_SOURCE: return S16(s.dmDefaultSource);
    case F_PRINT_QUALITY: return S16(s.dmPrintQuality);
    case F_COLOR: return S16(s.dmColor);
    case F_DUPLEX: return S16(s.dmDuplex);
    case F_Y_RESOLUTION: return S16(s.dmYResolution);
    case F_TT_OPTION: return S16(s.dmTTOption);
    case F_COLLATE: return S16(s.dmCollate);
    case F_ICM_METHOD: return s.dmICMMethod;
    case F_ICM_INTENT: return s.dmICMIntent;
    case F_MEDIA_TYPE_PUBLIC: return s.dmMediaType;
    case F_DITHER_TYPE: return s.dmDitherType;
    default: return 0;
  }
}

struct RawCopy {
  DWORD bit;
  WORD id;
};
constexpr RawCopy kRawCopies[] = {
    {DM_ORIENTATION, F_ORIENTATION}, {DM_PAPERSIZE, F_PAPER_SIZE},       {DM_PAPERLENGTH, F_PAPER_LENGTH},
    {DM_PAPERWIDTH, F_PAPER_WIDTH},  {DM_SCALE, F_SCALE},                {DM_COPIES, F_COPIES},
    {DM_DEFAULTSOURCE, F_DEFAULT_SOURCE}, {DM_PRINTQUALITY, F_PRINT_QUALITY}, {DM_COLOR, F_COLOR},
    {DM_DUPLEX, F_DUPLEX},           {DM_YRESOLUTION, F_Y_RESOLUTION},   {DM_TTOPTION, F_TT_OPTION},
    {DM_COLLATE, F_COLLATE},         {DM_ICMMETHOD, F_ICM_METHOD},       {DM_ICMINTENT, F_ICM_INTENT},
    {DM_MEDIATYPE, F_MEDIA_TYPE_PUBLIC}, {DM_DITHERTYPE, F_DITHER_TYPE},
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
  WriteFieldRawById(context, F_PAPER_LENGTH, static_cast<DWORD>(size.y));
  WriteFieldRawById(context, F_PAPER_WIDTH, static_cast<DWORD>(size.x));
}

void MergePaper(BYTE* d, const DEVMODEW& s, DWORD f, DriverContext* context) {
  const bool shortOver = ReadFieldRawById(context, F_FUNC_SELECT_FREE_SHORT_OVER) != 0;
  const DWORD paper = S16(s.dmPaperSize);
  if ((f & DM_PAPERLENGTH) && (f & DM_PAPERWIDTH) && s.dmPaperWidth > 0 && s.dmPaperLength > 0 &&
      !(f & DM_PAPERSIZE)) {
    WriteFieldRawById(context, F_PAPER_SIZE, paper);
    WriteFieldRawById(context, F_PAPER_LENGTH, S16(s.dmPaperLength));
    WriteFieldRawById(context, F_PAPER_WIDTH, S16(s.dmPaperWidth));
    SetFieldsBits(context, DM_PAPERLENGTH | DM_PAPERWIDTH);
    if (ReadFieldRawById(context, F_HIDDEN2_FUNC24) != 0) {
      SetFieldsBits(context, DM_PAPERSIZE);
    } else {
      ClearFieldsBits(context, DM_PAPERSIZE);
    }
    BYTE* holder = d;
    NotifyModules(context, MODEV_INCH_PAPER_IN, &holder);
    const DEVMODEW now = PublicOf(d);
    WriteFieldRawById(context, F_PAPER_FREE_WIDTH,
                      static_cast<DWORD>(UserUnitsToDots(kUnitTenthMm, now.dmPaperWidth, 1200)));
    WriteFieldRawById(context, F_PAPER_FREE_LENGTH,
                      static_cast<DWORD>(UserUnitsToDots(kUnitTenthMm, now.dmPaperLength, 1200)));
    return;
  }
  if (f & DM_PAPERSIZE) {
    if (IsFreeSizeListPaper(paper, context)) {
      if (shortOver) {
        WriteFieldRawById(context, F_PAPER_SIZE, paper);
        ClearFieldsBits(context, DM_PAPERLENGTH | DM_PAPERWIDTH);
      } else {
        InitFreeSizes(context);
        const int index = FreeSizeIndexFromPaperId(paper, context);
        LoadUserPaperNames(context, paper, index);
        if (index >= 0 && index < kFreeSizeRecordCount && context->work) {
          const FreeSizeRecord& r = context->work->freeSizes[index];
          WriteFieldRawById(context, F_PAPER_LENGTH,
                            static_cast<DWORD>(DotsToUserUnits(kUnitTenthMm, static_cast<int>(r.length), 1200)));
          WriteFieldRawById(context, F_PAPER_WIDTH,
                            static_cast<DWORD>(DotsToUserUnits(kUnitTenthMm, static_cast<int>(r.width), 1200)));
        }
        WriteFieldRawById(context, F_PAPER_SIZE, paper);
        SetFieldsBits(context, DM_PAPERLENGTH | DM_PAPERWIDTH);
      }
    } else if (IsModelPaperSize(paper, context)) {
      WriteFieldRawById(context, F_PAPER_SIZE, paper);
      ClearFieldsBits(context, DM_PAPERLENGTH | DM_PAPERWIDTH);
      if (!shortOver) TakeModelPaperExtent(context);
    } else {
      ModelOrProductDefault(context, F_PAPER_SIZE, ProductOf(context)->paperSize);
      ClearFieldsBits(context, DM_PAPERLENGTH | DM_PAPERWIDTH);
    }
    SetFieldsBits(context, DM_PAPERSIZE);
    return;
  }
  if (f & DM_ORIENTATION) {
    if ((Fields(context) & DM_PAPERSIZE) && !IsFreeSizeListPaper(ReadFieldRawById(context, F_PAPER_SIZE), context)) {
      TakeModelPaperExtent(context);
    }
    return;
  }
  if (f & DM_FORMNAME) {
    SettingField* form = FindFieldById(context, F_FORM_NAME);
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

bool IsUserMacroQuality(DWORD macro) { return (macro >= 32 && macro <= 39) || macro == 160; }

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
      WriteFieldRawById(context, F_DEFAULT_SOURCE, v);
    } else {
      ModelOrProductDefault(context, F_DEFAULT_SOURCE, product->defaultSource);
    }
    SetFieldsBits(context, DM_DEFAULTSOURCE);
  }
  if (f & DM_ORIENTATION) {
    const DWORD v = S16(s.dmOrientation);
    if (IsOrientationValid(v, context)) {
      WriteFieldRawById(context, F_ORIENTATION, v);
    } else {
      ModelOrProductDefault(context, F_ORIENTATION, product->orientation);
    }
    SetFieldsBits(context, DM_ORIENTATION);
  }

  if (S16(s.dmPaperSize) == kUserPaper) f = (f & ~DM_PAPERSIZE) | DM_PAPERLENGTH | DM_PAPERWIDTH;
  if (ReadFieldRawById(context, F_FUNC_SELECT_FREE_SHORT_OVER) == 1) {
    f = (f & ~(DM_PAPERLENGTH | DM_PAPERWIDTH)) | DM_PAPERSIZE;
  }
  MergePaper(d, s, f, context);

  if (f & DM_SCALE) {
    const DWORD v = Bounded(context, F_SCALE, S16(s.dmScale), static_cast<std::int32_t>(product->scaleMin),
                            static_cast<std::int32_t>(product->scaleMax), product->scale);
    WriteFieldRawById(context, F_SCALE, v);
  }
  ClearFieldsBits(context, DM_SCALE);
  if (f & DM_COPIES) {
    const DWORD v = Bounded(context, F_COPIES, S16(s.dmCopies), static_cast<std::int32_t>(product->copiesMin),
                            static_cast<std::int32_t>(product->copiesMax), product->copies);
    WriteFieldRawById(context, F_COPIES, v);
    SetFieldsBits(context, DM_COPIES);
  }
  if (f & DM_MEDIATYPE) {
    WriteFieldRawById(context, F_MEDIA_TYPE_PUBLIC,
                      IsMediaTypeValid(s.dmMediaType, context) ? s.dmMediaType : product->mediaType);
  }
  if (f & DM_PRINTQUALITY) MergePrintQuality(d, incoming, context);
  WriteFieldRawById(context, F_Y_RESOLUTION, ReadFieldRawById(context, F_PRINT_QUALITY));
  SetFieldsBits(context, DM_YRESOLUTION);

  if (f & DM_DUPLEX) {
    const DWORD v = S16(s.dmDuplex);
    TakeValidOrProduct(context, F_DUPLEX, DM_DUPLEX, v, IsDuplexValid(v, context), product->duplex, true);
  }
  if (f & DM_COLOR) {
    const DWORD v = S16(s.dmColor);
    TakeValidOrProduct(context, F_COLOR, DM_COLOR, v, IsColorValid(v, context), product->color, true);
  }
  if (f & DM_TTOPTION) {
    const DWORD v = S16(s.dmTTOption);
    TakeValidOrProduct(context, F_TT_OPTION, DM_TTOPTION, v, IsTTOptionValid(v, context), product->ttOption, false);
  }

  ClearFieldsBits(context, DM_COLLATE);
  WriteFieldRawById(context, F_COLLATE, 0);
  if (IsCollateSupported(context)) {
    SetFieldsBits(context, DM_COLLATE);
    const bool on = (f & DM_COLLATE) ? s.dmCollate == DMCOLLATE_TRUE
                                     : ReadFieldRawById(context, F_FUNC_SELECT_SORT) != 0;
    WriteFieldRawById(context, F_COLLATE, on ? 1 : 0);
  }

  if (f & DM_ICMMETHOD) {
    TakeValidOrProduct(context, F_ICM_METHOD, DM_ICMMETHOD, s.dmICMMethod, IsIcmMethodValid(s.dmICMMethod, context),
                       product->icmMethod, false);
  }
  if (f & DM_ICMINTENT) {
    TakeValidOrProduct(context, F_ICM_INTENT, DM_ICMINTENT, s.dmICMIntent, IsIcmIntentValid(s.dmICMIntent, context),
                       product->icmIntent, false);
  }
  if (f & DM_DITHERTYPE) {
    TakeValidOrProduct(context, F_DITHER_TYPE, DM_DITHERTYPE, s.dmDitherType,
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
    ModelOrProductDefault(context, F_PRINT_QUALITY, product->printQuality);
  } else if (IsPrintQualityValid(v, context)) {
    WriteFieldRawById(context, F_PRINT_QUALITY, v);
  } else if (FindFieldById(context, F_DST_RESOLUTION_W)) {
    WriteFieldRawById(context, F_PRINT_QUALITY, AskModulesForQuality(d, context, F_DST_RESOLUTION_W, v));
  } else {
    WriteFieldRawById(context, F_PRINT_QUALITY, product->printQuality);
  }

  const DWORD quality = ReadFieldRawById(context, F_PRINT_QUALITY);
  DWORD r = quality;
  WORD target = F_DST_RESOLUTION_W;
  const ImageRef resolution = GetOptionForFeature(F_DST_RESOLUTION_W, context);
  if (resolution && OptionTypeOf(resolution) == OPTTYPE_NUMERIC) {
    target = F_DST_RESOLUTION_BOTH;
    const DWORD current = ReadFieldRawById(context, F_DST_RESOLUTION_BOTH);
    const ResolutionRecord* row = FindResolutionRecord(static_cast<WORD>(current));
    if (ReadFieldRawById(context, F_USE_USER_MACRO) == 1 && row && row->horizontal == quality) {
      r = current;
    } else {
      WORD code = FindResolutionCodeByDpi(quality);
      while (code != 0 && !OptionPasses(context, F_DST_RESOLUTION_BOTH, code)) {
        code = NextResolutionCodeForDpi(quality, code);
      }
      r = code != 0 ? code : quality;
    }
  }
  if (FindFieldById(context, target) && !OptionPasses(context, target, r)) {
    const DWORD answer = AskModulesForQuality(d, context, target, r);
    if (target == F_DST_RESOLUTION_BOTH) {
      if (const ResolutionRecord* row = FindResolutionRecord(static_cast<WORD>(answer))) {
        WriteFieldRawById(context, F_PRINT_QUALITY, row->horizontal);
      }
    } else {
      WriteFieldRawById(context, F_PRINT_QUALITY, answer);
    }
  }

  const DWORD macro = ReadFieldRawById(context, F_USER_PRINT_MACRO);
  if (ReadFieldRawById(context, F_USE_USER_MACRO) == 1 && (mergeFlags & MERGE_ROAD_DOCUMENT) &&
      (mergeFlags & MERGE_PROMPT) && IsUserMacroQuality(macro)) {
    const DWORD remembered = ReadFieldRawById(context, F_PRINT_QUALITY);
    PushSettingsSnapshot(context);
    ApplyQualityByIndex(context, static_cast<int>(macro - 32));
    const DWORD macroResolution = ReadFieldRawById(context, F_DST_RESOLUTION_W);
    PopSettingsSnapshot(context, 1);
    if (macroResolution != remembered) WriteFieldRawById(context, F_PRINT_QUALITY, macroResolution);
  }

  if (!(mergeFlags & MERGE_SETTINGS_FILE)) {
    if (const WORD limit = GetResolutionLimit(context)) WriteFieldRawById(context, F_PRINT_QUALITY, limit);
  }
  SetFieldsBits(context, DM_PRINTQUALITY);
}

void ApplyUserMacroQuality(DriverContext* context) {
  if (!context || !context->settings || !context->work) return;
  const DWORD macro = ReadFieldRawById(context, F_USER_PRINT_MACRO);
  if (ReadFieldRawById(context, F_USE_USER_MACRO) != 1 || !IsUserMacroQuality(macro)) return;
  WCHAR key[32] = {};
  MakeQualityKey(key, static_cast<int>(macro - 32));
  WCHAR path[260] = {};
  const WCHAR* ini = GetUserIniPath(context);
  if (ini && ini[0]) ReadIniString(context->work->printerName, key, u"", path, 260, ini);
  if (path[0]) LoadSettingsFile(context->hPrinter, path, kSettingsFileLoadFlags, context);
  if (context->work->mergeFlags & MERGE_KEEP_DISABLED) LoadQualityName(context, key);
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
      if (ReadFieldRawById(context, F_FUNC_SELECT_DUPLEX) != 0) {
        DWORD t = ReadFieldRawById(context, F_DUPLEX_TYPE);
        if (topBinding) {
          if (!IsValueAllowedByIndex(0, t)) t = IsValueAllowedByIndex(9, t) ? 17 : IsValueAllowedByIndex(10, t) ? 20 : 1;
        } else {
          if (!IsValueAllowedByIndex(1, t)) t = IsValueAllowedByIndex(11, t) ? 19 : IsValueAllowedByIndex(12, t) ? 22 : 3;
        }
        WriteFieldRawById(context, F_DUPLEX_TYPE, t);
      } else {
        WriteFieldRawById(context, F_FUNC_SELECT_DUPLEX, 1);
        WriteFieldRawById(context, F_DUPLEX_TYPE, topBinding ? 1 : 3);
      }
    } else if (ReadFieldRawById(context, F_CUSTOM_FUNC0) == 0) {
      WriteFieldRawById(context, F_FUNC_SELECT_DUPLEX, 0);
    }
  }
  if (both & DM_MEDIATYPE) WriteFieldRawById(context, F_MEDIA_TYPE, before.dmMediaType & 0xFFFF);

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
    DerivePaperGeometry(S16(now.dmPaperSize), F_PAPER_SIZE, context, d);
  } else if (both & DM_ORIENTATION) {
    if (customSize) {
      ComputePrintableArea(d, context);
    } else if (now.dmFields & DM_PAPERSIZE) {
      DerivePaperGeometry(S16(now.dmPaperSize), F_PAPER_SIZE, context, d);
    }
  }
  DeriveImageableArea(ReadFieldRawById(context, F_OUT_PAPER_SIZE), F_OUT_PAPER_SIZE, context, d);

  SetStateByte(context, 712, ReadFieldRawById(context, F_UI_MODE_CHANGE) != 0 ? 1 : 0);
  SetStateByte(context, 713, IsBidiEnabled(context) ? 1 : 0);
  SetStateByte(context, 714, IsPrinterConnection(context) ? 1 : 0);

  WCHAR other[4] = {};
  if (!GetFieldString(context, FindFieldById(context, F_OTHER), other, 4) || other[0] == 0) {
    SetModelDeviceString(context);
  }
  WriteFieldRawById(context, F_UI_START, 0);
  ValidateOrDefaultAll(context, VOD_VALIDATE);
}
