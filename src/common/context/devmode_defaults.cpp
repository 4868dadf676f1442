#include "context/devmode_defaults.h"

#include <cstring>

#include "context/derived_fields.h"
#include "context/devmode_checks.h"
#include "context/devmode_header.h"
#include "context/driver_context.h"
#include "context/field_access.h"
#include "context/field_checks.h"
#include "context/field_table.h"
#include "context/languages.h"
#include "context/memory.h"
#include "context/pending_defaults.h"
#include "context/printer_data.h"
#include "context/product_record.h"
#include "context/spooler_info.h"
#include "context/system_tests.h"
#include "context/units.h"
#include "context/validate_table.h"
#include "model/option_lookup.h"
#include "model/value_sets.h"
#include "win/devmode.h"

namespace {

enum : WORD {
  F_DEVICE_NAME = 1,
  F_SPEC_VERSION = 2,
  F_DRIVER_VERSION = 3,
  F_SIZE = 4,
  F_DRIVER_EXTRA = 5,
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
  F_MEDIA_TYPE = 29,
  F_DITHER_TYPE = 30,
  F_UI_MODE_CHANGE = 36,
  F_PRESET_NO = 37,
  F_FUNC_SELECT_SORT = 61,
  F_HF_FONT_NAME = 115,
  F_LANGUAGE_ID = 169,
  F_DSP_LANGUAGE_ID = 170,
  F_COPY_PROTECT_FONT_NAME = 525,
  F_CHAR_SET = 686,
  F_DRIVER_VERSION_TEXT = 1250,
  F_LOG_CODE_USE = 10002,
};

// Index 2 of the indexed id sets: the font-list fields 10004-10009, which hold blocks and
// are never defaulted.
constexpr int kFontListFieldSet = 2;
// The area-3 fields start at this index of the field table.
constexpr int kAreaThreeFirstIndex = 722;
constexpr DWORD kFormNameChars = 31;

const ProductRecord* ProductOf(DriverContext* context) {
  return context && context->product ? context->product : GetProductRecord();
}

std::int32_t Signed(DWORD v) { return static_cast<std::int32_t>(v); }

// One public field with its option, read once.
struct PublicField {
  DriverContext* context;
  WORD id;
  ImageRef option;
  WORD type;
  std::int32_t value;

  PublicField(DriverContext* c, WORD fieldId)
      : context(c), id(fieldId), option(GetOptionForFieldIndex(c, fieldId - 1)), type(GetOptionType(fieldId, c)),
        value(Signed(ReadFieldRawById(c, fieldId))) {}

  bool Has() const { return static_cast<bool>(option); }
  bool Is(WORD t) const { return Has() && type == t; }
  bool InBounds() const {
    std::int32_t minimum = 0, maximum = 0;
    if (!GetNumericBounds(option, &minimum, &maximum)) return false;
    return value >= minimum && value <= maximum;
  }
  // PickOne with a value above 0, or Numeric within its bounds.
  bool PositiveOrInBounds() const { return (Is(OPTTYPE_PICKONE) && value > 0) || (Is(OPTTYPE_NUMERIC) && InBounds()); }
};

void SetFieldsBits(DriverContext* context, DWORD set, DWORD clear) {
  const DWORD fields = ReadFieldRawById(context, F_FIELDS);
  WriteFieldRawById(context, F_FIELDS, (fields & ~clear) | set);
}

void Store(DriverContext* context, WORD id, DWORD value) { WriteFieldRawById(context, id, value); }

// A field kept when `keep`, else set to the product's value; dmFields bits by the outcome.
void KeepOrDefault(DriverContext* context, WORD id, bool keep, DWORD productValue, DWORD bit, bool setWhenKept,
                   bool setWhenDefaulted) {
  if (keep) {
    if (setWhenKept) SetFieldsBits(context, bit, 0);
    return;
  }
  Store(context, id, productValue);
  if (setWhenDefaulted) SetFieldsBits(context, bit, 0);
}

// dmPaperLength and dmPaperWidth: a kept positive value sets its bit only when the other
// side is positive too.
void KeepOrDefaultPaperSide(DriverContext* context, WORD id, WORD otherId, DWORD productValue, DWORD bit) {
  const PublicField f(context, id);
  if (f.Is(OPTTYPE_NUMERIC) && f.value >= 0) {
    if (f.value > 0) {
      const bool otherPositive = Signed(ReadFieldRawById(context, otherId)) > 0;
      SetFieldsBits(context, otherPositive ? bit : 0, otherPositive ? 0 : bit);
    }
    return;
  }
  Store(context, id, productValue);
  SetFieldsBits(context, 0, bit);
}

bool PrintQualityKept(const PublicField& f) {
  if (f.PositiveOrInBounds()) return true;
  return (f.Is(OPTTYPE_PICKONE) || f.Is(OPTTYPE_NUMERIC)) && f.value >= -4 && f.value <= -1;
}

void KeepOrDefaultPrintQuality(DriverContext* context, const ProductRecord* product) {
  const PublicField f(context, F_PRINT_QUALITY);
  KeepOrDefault(context, F_PRINT_QUALITY, PrintQualityKept(f), product->printQuality, DM_PRINTQUALITY, true, true);
}

void KeepOrDefaultCollate(DriverContext* context) {
  if (IsCollateSupported(context)) {
    if (ReadFieldRawById(context, F_FIELDS) & DM_COLLATE) return;
    Store(context, F_COLLATE, ReadFieldRawById(context, F_FUNC_SELECT_SORT) != 0 ? 1 : 0);
    SetFieldsBits(context, DM_COLLATE, 0);
    return;
  }
  SetFieldsBits(context, 0, DM_COLLATE);
  Store(context, F_COLLATE, 0);
}

void KeepOrDefaultFormName(DriverContext* context, const ProductRecord* product) {
  const PublicField f(context, F_FORM_NAME);
  SettingField* field = FindFieldById(context, F_FORM_NAME);
  BYTE* address = GetFieldAddress(context, field);
  if (!address) return;
  if (f.Has() && (address[0] != 0 || address[1] != 0)) {
    SetFieldsBits(context, DM_FORMNAME, 0);
    return;
  }
  const WCHAR* name = GetProductString(product->formName);
  if (!name) return;
  WCHAR text[kFormNameChars + 1] = {};
  for (DWORD i = 0; i < kFormNameChars && name[i]; ++i) text[i] = name[i];
  // SetFieldString zeroes the field before it copies the name (at most 31 characters).
  SetFieldString(context, field, text);
  SetFieldsBits(context, 0, DM_FORMNAME);
}

void SetLanguageFields(DriverContext* context, WORD language) {
  Store(context, F_LANGUAGE_ID, language);
  Store(context, F_DSP_LANGUAGE_ID, language);
}

void StoreText(DriverContext* context, WORD id, const WCHAR* text) {
  if (SettingField* field = FindFieldById(context, id)) SetFieldString(context, field, text);
}

}  // namespace

void SetFieldToModelDefault(DriverContext* context, SettingField* field) {
  if (!field) return;
  SetFieldValue(context, field, GetOptionDefaultValue(field->id, context));
}

void DefaultAllFields(DriverContext* context) {
  if (!context || !context->settings || !context->fields.records) return;
  WritePrivateHeader(context->settings, ProductOf(context));
  for (int i = 0; i < context->fields.count; ++i) {
    SettingField* field = &context->fields.records[i];
    const WORD id = field->id;
    // The device name is never written by the defaults, so that an in-place reset keeps it.
    if (id == F_DEVICE_NAME) continue;
    if (IsValueAllowedByIndex(kFontListFieldSet, id)) continue;
    if (id == F_PRESET_NO) {
      // The model's values are the preset number plus the base; without a model value
      // (or one below the base) the preset is 0.
      const DWORD d = GetOptionDefaultValue(id, context);
      SetFieldValue(context, field, d >= kPresetValueBase ? d - kPresetValueBase : 0);
      continue;
    }
    SetFieldValueOrStringById(context, id, GetOptionDefaultValue(id, context));
  }
  SetLanguageFields(context, GetLanguageIdFromDriverHelp(context));
  WCHAR face[32] = {};
  GetDefaultFontName(context, face);
  StoreText(context, F_HF_FONT_NAME, face);
  StoreText(context, F_COPY_PROTECT_FONT_NAME, face);
  SetAuthCharsetFields(context, 3);
  LoadDriverIdField(context);
  SetFieldToAnsiCharset(context, F_CHAR_SET);
}

void SetDriverVersionField(DriverContext* context) {
  if (!context) return;
  const WCHAR* version = GetProductString(ProductOf(context)->driverVersionString);
  StoreText(context, F_DRIVER_VERSION_TEXT, version ? version : u"");
}

void KeepOrDefaultPublicFields(DriverContext* context) {
  if (!context || !context->settings) return;
  const ProductRecord* product = ProductOf(context);
  {
    const DWORD defaults[] = {product->specVersion, product->driverVersion, GetPublicDevmodeSize(),
                              GetTotalDevmodeSize() - GetPublicDevmodeSize(), product->defaultFields};
    for (WORD id = F_SPEC_VERSION; id <= F_FIELDS; ++id) {
      if (!PublicField(context, id).Has()) Store(context, id, defaults[id - F_SPEC_VERSION]);
    }
  }
  {
    const PublicField f(context, F_ORIENTATION);
    KeepOrDefault(context, F_ORIENTATION, f.Is(OPTTYPE_PICKONE) && (f.value == 1 || f.value == 2),
                  product->orientation, DM_ORIENTATION, true, true);
  }
  {
    const PublicField f(context, F_PAPER_SIZE);
    KeepOrDefault(context, F_PAPER_SIZE, f.Is(OPTTYPE_PICKPAGE) && ((f.value >= 1 && f.value <= 118) || f.value >= 256),
                  product->paperSize, DM_PAPERSIZE, true, true);
  }
  KeepOrDefaultPaperSide(context, F_PAPER_LENGTH, F_PAPER_WIDTH, product->paperLength, DM_PAPERLENGTH);
  KeepOrDefaultPaperSide(context, F_PAPER_WIDTH, F_PAPER_LENGTH, product->paperWidth, DM_PAPERWIDTH);
  {
    const PublicField f(context, F_SCALE);
    KeepOrDefault(context, F_SCALE, f.PositiveOrInBounds(), product->scale, DM_SCALE, false, false);
  }
  {
    const PublicField f(context, F_COPIES);
    KeepOrDefault(context, F_COPIES, f.Is(OPTTYPE_NUMERIC) && f.InBounds() && f.value > 0, product->copies,
                  DM_COPIES, true, true);
  }
  {
    const PublicField f(context, F_DEFAULT_SOURCE);
    KeepOrDefault(context, F_DEFAULT_SOURCE,
                  f.Is(OPTTYPE_PICKSLOT) && ((f.value >= 1 && f.value <= 15) || f.value >= 256),
                  product->defaultSource, DM_DEFAULTSOURCE, true, true);
  }
  KeepOrDefaultPrintQuality(context, product);
  {
    const PublicField f(context, F_COLOR);
    KeepOrDefault(context, F_COLOR, f.Is(OPTTYPE_PICKONE) && f.value > 0, product->color, DM_COLOR, true, false);
  }
  {
    const PublicField f(context, F_DUPLEX);
    KeepOrDefault(context, F_DUPLEX, (f.Is(OPTTYPE_PICKONE) || f.Is(OPTTYPE_BOOLEAN)) && f.value > 0,
                  product->duplex, DM_DUPLEX, true, true);
  }
  {
    const PublicField f(context, F_Y_RESOLUTION);
    if (f.PositiveOrInBounds()) {
      SetFieldsBits(context, DM_YRESOLUTION, 0);
    } else if (GetOptionForFieldIndex(context, F_PRINT_QUALITY - 1)) {
      KeepOrDefaultPrintQuality(context, product);
      Store(context, F_Y_RESOLUTION, ReadFieldRawById(context, F_PRINT_QUALITY));
    } else {
      Store(context, F_Y_RESOLUTION, product->yResolution);
    }
  }
  {
    const PublicField f(context, F_TT_OPTION);
    KeepOrDefault(context, F_TT_OPTION, f.Is(OPTTYPE_PICKONE) && f.value > 0, product->ttOption, DM_TTOPTION, true,
                  true);
  }
  KeepOrDefaultCollate(context);
  KeepOrDefaultFormName(context, product);
  const struct {
    WORD id;
    DWORD productValue;
    DWORD bit;
    bool setWhenKept;
  } tail[] = {{F_ICM_METHOD, product->icmMethod, DM_ICMMETHOD, true},
              {F_ICM_INTENT, product->icmIntent, DM_ICMINTENT, true},
              {F_MEDIA_TYPE, product->mediaType, DM_MEDIATYPE, false},
              {F_DITHER_TYPE, product->ditherType, DM_DITHERTYPE, true}};
  for (const auto& t : tail) {
    const PublicField f(context, t.id);
    KeepOrDefault(context, t.id, f.Is(OPTTYPE_PICKONE) && f.value != 0, t.productValue, t.bit, t.setWhenKept, false);
  }
}

void FinishDefaults(BYTE* devmode, DriverContext* context) {
  if (!context || !context->settings) return;
  ValidateOrDefaultAll(context, VOD_DEFAULTS);
  DeriveDevmodeFields(devmode, context, 1);
  WritePrivateIdentity(context->settings, ProductOf(context), true);
}

void SetEnvironmentStateBytes(DriverContext* context) {
  if (!context || !context->settings) return;
  SetStateByte(context, 706, 1);
  SetStateByte(context, 707, IsNt5OrLater() ? 2 : 1);
  SetStateByte(context, 720, IsTerminalServer(context->hPrinter) ? 1 : 0);
  SetStateByte(context, 721, IsUserAdminIfNeeded(context) ? 1 : 0);
  SetStateByte(context, 708, 1);
  SetStateByte(context, 709, 0);
  SetStateByte(context, 710, 0);
  SetStateByte(context, 711, 0);
  SetStateByte(context, 712, ReadFieldRawById(context, F_UI_MODE_CHANGE) != 0 ? 1 : 0);
  SetStateByte(context, 713, IsBidiEnabled(context) ? 1 : 0);
  SetStateByte(context, 714, IsPrinterConnection(context) ? 1 : 0);
  SetStateByte(context, 715, ReadFieldRawById(context, F_LOG_CODE_USE) != 0 ? 1 : 0);
  SetStateByte(context, 716, 0);
  SetStateByte(context, 717, IsSuiteToolInstalled(2, context) ? 1 : 0);
  SetStateByte(context, 705, IsSuiteToolInstalled(8, context) ? 1 : 0);
  SetStateByte(context, 718, 0);
  SetStateByte(context, 719, 0);
}

void SetDevmodeDefaults(DriverContext* context) {
  if (!context || !context->settings) return;
  DefaultAllFields(context);
  SetDriverVersionField(context);
  KeepOrDefaultPublicFields(context);
  FinishDefaults(context->settings, context);
  SetEnvironmentStateBytes(context);
  SetLanguageFields(context, LanguageIdFromHelpValue(context));
}

void DefaultAreaThreeFields(DriverContext* context) {
  if (!context || !context->fields.records) return;
  for (int i = kAreaThreeFirstIndex; i < context->fields.count; ++i) {
    const SettingField& field = context->fields.records[i];
    if (FieldAreaOf(field.type) != 3) continue;
    SetFieldValueOrStringById(context, field.id, GetOptionDefaultValue(field.id, context));
  }
}

void AdoptPrinterDevmode(DriverContext* context) {
  if (!context || !context->settings) return;
  auto* info = static_cast<PRINTER_INFO_2W*>(GetPrinterInfo(context->hPrinter, 2));
  if (!info) return;
  const DEVMODEW* stored = info->pDevMode;
  if (stored) {
    DEVMODEW own{};
    std::memcpy(&own, context->settings, sizeof own);
    const bool sameShape = stored->dmSize != 0 && stored->dmDriverExtra != 0 && stored->dmDriverVersion != 0 &&
                           stored->dmSize == own.dmSize && stored->dmDriverExtra == own.dmDriverExtra &&
                           stored->dmDriverVersion == own.dmDriverVersion;
    // Equal sizes mean the stored device-mode holds the whole device-mode's bytes.
    if (sameShape && static_cast<DWORD>(stored->dmSize) + stored->dmDriverExtra == GetTotalDevmodeSize() &&
        CheckDevmodeVersion(reinterpret_cast<const BYTE*>(stored))) {
      std::memcpy(context->settings, stored, GetTotalDevmodeSize());
    }
  }
  FreeMem(info);
}

BYTE* BuildDefaultDevmode(DriverContext* context, WORD mode, const PRINTER_INFO_2W* printerInfo, DWORD refresh) {
  if (!context) return nullptr;
  auto* buffer = static_cast<BYTE*>(AllocMem(GetSettingsBufferSize()));
  if (!buffer) return nullptr;
  BYTE* previous = context->settings;
  context->settings = buffer;
  if (mode != 3 && LoadDefaultDevmodeFromPrinter(context, printerInfo)) {
    WriteAreaOffsets(buffer);
    if (refresh == 0) {
      DefaultAreaThreeFields(context);
      SetDriverVersionField(context);
    }
    if (mode == 1) DeriveDevmodeFields(buffer, context, 1);
  } else {
    SetDevmodeDefaults(context);
    AdoptPrinterDevmode(context);
  }
  context->settings = previous;
  return buffer;
}
