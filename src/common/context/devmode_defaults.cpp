#include "context/devmode_defaults.h"

#include <cstring>

#include "base/deliverable.h"
#include "model/derived_fields.h"
#include "stored/devmode_checks.h"
#include "fields/devmode_header.h"
#include "base/driver_context.h"
#include "fields/field_access.h"
#include "model/field_checks.h"
#include "context/field_defaults_memo.h"
#include "fields/field_table.h"
#include "context/kept_devmode.h"
#include "fields/languages.h"
#include "base/memory.h"
#include "base/printer_data.h"
#include "fields/product_record.h"
#include "context/settings_api_rules.h"
#include "base/spooler_info.h"
#include "base/system_checks.h"
#include "model/units.h"
#include "context/validate_table.h"
#include "field_ids.h"
#include "model/option_lookup.h"
#include "model/value_sets.h"
#include "stored/font_names.h"
#include "stored/printer_devmode.h"
#include "win/devmode.h"

namespace {

// Index 2 of the indexed id sets: the font-list fields 10004-10009, which hold blocks and
// are never defaulted.
constexpr int kFontListFieldSet = 2;
// The area-3 fields start at this index of the field table.
constexpr int kAreaThreeFirstIndex = 722;
constexpr DWORD kFormNameChars = 31;

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
  const DWORD fields = ReadFieldRawById(context, fid::dmFields);
  WriteFieldRawById(context, fid::dmFields, (fields & ~clear) | set);
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
  const PublicField f(context, fid::dmPrintQuality);
  KeepOrDefault(context, fid::dmPrintQuality, PrintQualityKept(f), product->printQuality, DM_PRINTQUALITY, true, true);
}

void KeepOrDefaultCollate(DriverContext* context) {
  if (IsCollateSupported(context)) {
    if (ReadFieldRawById(context, fid::dmFields) & DM_COLLATE) return;
    Store(context, fid::dmCollate, ReadFieldRawById(context, fid::kdmFuncSelectSort) != 0 ? 1 : 0);
    SetFieldsBits(context, DM_COLLATE, 0);
    return;
  }
  SetFieldsBits(context, 0, DM_COLLATE);
  Store(context, fid::dmCollate, 0);
}

void KeepOrDefaultFormName(DriverContext* context, const ProductRecord* product) {
  const PublicField f(context, fid::dmFormName);
  SettingField* field = FindFieldById(context, fid::dmFormName);
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
  Store(context, fid::kdmLanguageID, language);
  Store(context, fid::kdmDspLanguageID, language);
}

void StoreText(DriverContext* context, WORD id, const WCHAR* text) {
  if (SettingField* field = FindFieldById(context, id)) SetFieldString(context, field, text);
}

}  // namespace

void SetFieldToModelDefault(DriverContext* context, SettingField* field) {
  if (!field) return;
  SetFieldValue(context, field, GetOptionDefaultValue(field->id, context));
}

namespace {

// Every field but the device name, the font lists and the locked ones kept by the settings
// API, set to its model default. *pure is cleared when a text default is completed from
// data beyond the model and the UI strings.
void DefaultEachField(DriverContext* context, bool* pure) {
  const LockedDefaults kept = LockedFieldsKeptByDefaults(context);
  for (int i = 0; i < context->fields.count; ++i) {
    SettingField* field = &context->fields.records[i];
    const WORD id = field->id;
    // The device name is never written by the defaults, so that an in-place reset keeps it.
    if (id == fid::dmDeviceName) continue;
    if (IsValueAllowedByIndex(kFontListFieldSet, id)) continue;
    if (kept.Contains(id)) continue;
    if (id == fid::kdmPresetNo) {
      // The model's values are the preset number plus the base; without a model value
      // (or one below the base) the preset is 0.
      const DWORD d = GetOptionDefaultValue(id, context);
      SetFieldValue(context, field, d >= kPresetValueBase ? d - kPresetValueBase : 0);
      continue;
    }
    const DWORD value = GetOptionDefaultValue(id, context);
    if (IsTextFieldCode(FieldCodeOf(field->type)) && IsCompletedUiStringId(value)) *pure = false;
    SetFieldValueOrString(context, field, value);
  }
}

void DefaultAllFieldsOf(DriverContext* context, bool freshBuffer) {
  if (!context || !context->settings || !context->fields.records) return;
  WritePrivateHeader(context->settings, ProductOf(context));
  HalveNameFieldSizesOnWin9x(context);
  if (freshBuffer) {
    RunFieldDefaultsOnFreshBuffer(context, DefaultEachField);
  } else {
    bool ignored = true;
    DefaultEachField(context, &ignored);
  }
  // The settings API takes the language of the printer's help-file value.
  SetLanguageFields(context, IsSettingsApiBuild() ? LanguageIdFromHelpValue(context) : GetLanguageIdFromDriverHelp(context));
  WCHAR face[32] = {};
  GetDefaultFontName(context, face);
  StoreText(context, fid::kdmHFFontName, face);
  StoreText(context, fid::kdmCopyProtectFontName, face);
  SetAuthCharsetFields(context, 3);
  LoadDriverIdField(context);
  SetFieldToAnsiCharset(context, fid::kdmCharSet);
}

void SetDevmodeDefaultsOf(DriverContext* context, bool freshBuffer) {
  if (!context || !context->settings) return;
  DefaultAllFieldsOf(context, freshBuffer);
  SetDriverVersionField(context);
  KeepOrDefaultPublicFields(context);
  FinishDefaults(context->settings, context);
  SetEnvironmentStateBytes(context);
  SetLanguageFields(context, LanguageIdFromHelpValue(context));
}

}  // namespace

void DefaultAllFields(DriverContext* context) { DefaultAllFieldsOf(context, false); }

void SetDriverVersionField(DriverContext* context) {
  if (!context) return;
  const WCHAR* version = GetProductString(ProductOf(context)->driverVersionString);
  StoreText(context, fid::wdmDriverVersion, version ? version : u"");
}

void KeepOrDefaultPublicFields(DriverContext* context) {
  if (!context || !context->settings) return;
  const ProductRecord* product = ProductOf(context);
  {
    const DWORD defaults[] = {product->specVersion, product->driverVersion, GetPublicDevmodeSize(),
                              GetTotalDevmodeSize() - GetPublicDevmodeSize(), product->defaultFields};
    for (WORD id = fid::dmSpecVersion; id <= fid::dmFields; ++id) {
      if (!PublicField(context, id).Has()) Store(context, id, defaults[id - fid::dmSpecVersion]);
    }
  }
  {
    const PublicField f(context, fid::dmOrientation);
    KeepOrDefault(context, fid::dmOrientation, f.Is(OPTTYPE_PICKONE) && (f.value == 1 || f.value == 2),
                  product->orientation, DM_ORIENTATION, true, true);
  }
  {
    const PublicField f(context, fid::dmPaperSize);
    KeepOrDefault(context, fid::dmPaperSize, f.Is(OPTTYPE_PICKPAGE) && ((f.value >= 1 && f.value <= 118) || f.value >= 256),
                  product->paperSize, DM_PAPERSIZE, true, true);
  }
  KeepOrDefaultPaperSide(context, fid::dmPaperLength, fid::dmPaperWidth, product->paperLength, DM_PAPERLENGTH);
  KeepOrDefaultPaperSide(context, fid::dmPaperWidth, fid::dmPaperLength, product->paperWidth, DM_PAPERWIDTH);
  {
    const PublicField f(context, fid::dmScale);
    KeepOrDefault(context, fid::dmScale, f.PositiveOrInBounds(), product->scale, DM_SCALE, false, false);
  }
  {
    const PublicField f(context, fid::dmCopies);
    KeepOrDefault(context, fid::dmCopies, f.Is(OPTTYPE_NUMERIC) && f.InBounds() && f.value > 0, product->copies,
                  DM_COPIES, true, true);
  }
  {
    const PublicField f(context, fid::dmDefaultSource);
    KeepOrDefault(context, fid::dmDefaultSource,
                  f.Is(OPTTYPE_PICKSLOT) && ((f.value >= 1 && f.value <= 15) || f.value >= 256),
                  product->defaultSource, DM_DEFAULTSOURCE, true, true);
  }
  KeepOrDefaultPrintQuality(context, product);
  {
    const PublicField f(context, fid::dmColor);
    KeepOrDefault(context, fid::dmColor, f.Is(OPTTYPE_PICKONE) && f.value > 0, product->color, DM_COLOR, true, false);
  }
  {
    const PublicField f(context, fid::dmDuplex);
    KeepOrDefault(context, fid::dmDuplex, (f.Is(OPTTYPE_PICKONE) || f.Is(OPTTYPE_BOOLEAN)) && f.value > 0,
                  product->duplex, DM_DUPLEX, true, true);
  }
  {
    const PublicField f(context, fid::dmYResolution);
    if (f.PositiveOrInBounds()) {
      SetFieldsBits(context, DM_YRESOLUTION, 0);
    } else if (GetOptionForFieldIndex(context, fid::dmPrintQuality - 1)) {
      KeepOrDefaultPrintQuality(context, product);
      Store(context, fid::dmYResolution, ReadFieldRawById(context, fid::dmPrintQuality));
    } else {
      Store(context, fid::dmYResolution, product->yResolution);
    }
  }
  {
    const PublicField f(context, fid::dmTTOption);
    KeepOrDefault(context, fid::dmTTOption, f.Is(OPTTYPE_PICKONE) && f.value > 0, product->ttOption, DM_TTOPTION, true,
                  true);
  }
  KeepOrDefaultCollate(context);
  KeepOrDefaultFormName(context, product);
  const struct {
    WORD id;
    DWORD productValue;
    DWORD bit;
    bool setWhenKept;
  } tail[] = {{fid::dmICMMethod, product->icmMethod, DM_ICMMETHOD, true},
              {fid::dmICMIntent, product->icmIntent, DM_ICMINTENT, true},
              {fid::dmMediaType, product->mediaType, DM_MEDIATYPE, false},
              {fid::dmDitherType, product->ditherType, DM_DITHERTYPE, true}};
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
  SetStateByte(context, 712, ReadFieldRawById(context, fid::kdmUIModeChange) != 0 ? 1 : 0);
  SetStateByte(context, 713, IsBidiEnabled(context) ? 1 : 0);
  SetStateByte(context, 714, IsPrinterConnection(context) ? 1 : 0);
  SetStateByte(context, 715, ReadFieldRawById(context, fid::kdmLogCodeUse) != 0 ? 1 : 0);
  SetStateByte(context, 716, 0);
  // The settings API never asks for the suite tools.
  const bool suiteTools = !IsSettingsApiBuild();
  SetStateByte(context, 717, suiteTools && IsSuiteToolInstalled(2, context) ? 1 : 0);
  SetStateByte(context, 705, suiteTools && IsSuiteToolInstalled(8, context) ? 1 : 0);
  SetStateByte(context, 718, 0);
  SetStateByte(context, 719, 0);
}

void SetDevmodeDefaults(DriverContext* context) { SetDevmodeDefaultsOf(context, false); }

void DefaultAreaThreeFields(DriverContext* context) {
  if (!context || !context->fields.records) return;
  for (int i = kAreaThreeFirstIndex; i < context->fields.count; ++i) {
    const SettingField& field = context->fields.records[i];
    if (FieldAreaOf(field.type) != 3) continue;
    SetFieldValueOrStringById(context, field.id, GetOptionDefaultValue(field.id, context));
  }
}

void DefaultAreaTwoFields(DriverContext* context) {
  if (!context || !context->fields.records) return;
  for (int i = 0; i < context->fields.count; ++i) {
    const SettingField& field = context->fields.records[i];
    if (FieldAreaOf(field.type) != 2 || IsValueAllowedByIndex(kFontListFieldSet, field.id)) continue;
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
  if (ReplayKeptDevmode(context, mode, printerInfo, refresh)) {
    context->settings = previous;
    return buffer;
  }
  KeptDevmodeBuild keep(context, mode, printerInfo, refresh);
  if (mode != 3 && LoadDefaultDevmodeFromPrinter(context, printerInfo)) {
    WriteAreaOffsets(buffer);
    // The stored device-mode carries area 1 only. The device settings fill area 2 from what
    // printer data stores; the fields it does not store (options the model sets, such as a
    // second tray) keep their model defaults, as in a buffer made from the defaults.
    if (refresh == 0) DefaultAreaTwoFields(context);
    // The rendering build takes the stored device-mode as it is (it has no refresh).
    if (refresh == 0 && !IsRenderingBuild()) {
      DefaultAreaThreeFields(context);
      SetDriverVersionField(context);
    }
    if (mode == 1) DeriveDevmodeFields(buffer, context, 1);
  } else {
    // The buffer is new and zero-filled: the per-field defaults may come from what an
    // earlier build of this context kept.
    SetDevmodeDefaultsOf(context, true);
    AdoptPrinterDevmode(context);
    keep.Finish(true);
  }
  keep.Finish(false);
  context->settings = previous;
  return buffer;
}
