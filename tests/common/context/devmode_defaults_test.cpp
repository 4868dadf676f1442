// The default device-mode: the public fields kept or taken from the product record, the
// model's defaults, the derived fields and the state bytes; the printer's stored
// device-mode by creation mode; and the sample printer's complete device-mode.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "context_fixture.h"
#include "model/derived_fields.h"
#include "stored/devmode_checks.h"
#include "context/devmode_defaults.h"
#include "context/validate_table.h"
#include "field_ids.h"
#include "model_context.h"
#include "win/devmode.h"

namespace kovatest {
namespace {

enum : WORD {
  kFields = 6,
  kOrientation = 7,
  kPaperSize = 8,
  kPaperLength = 9,
  kPaperWidth = 10,
  kScale = 11,
  kCopies = 12,
  kPrintQuality = 14,
  kDuplex = 16,
  kYResolution = 17,
  kPresetNo = 37,
  kResW = 38,
  kMediaType = 54,
  kFuncSelectDuplex = 58,
  kDuplexType = 94,
  kCustomFunc0 = 1462,
};

DEVMODEW PublicOf(const BYTE* settings) {
  DEVMODEW dm{};
  std::memcpy(&dm, settings, sizeof dm);
  return dm;
}

// ---------------------------------------------------------------------------------------
// Public fields: kept under a fitting option, else the product's value.

class PublicDefaults : public ::testing::Test {
 protected:
  // A model whose scale option serves as a Numeric option of the field `id` (1 to 999).
  static std::string NumericModel() { return Numeric("KPD_IDC_PRESET_EDIT_SCALE", 1, 1, 999); }
};

TEST_F(PublicDefaults, PaperLengthUnderANumericOption) {
  // dmFields needs an option of its own, or it is reset to the product's mask first.
  ModelContext m(NumericModel() + Numeric("KPD_IDC_PRESET_EDIT_COPIES", 1, 1, 9),
                 {{kScale, kPaperLength}, {kCopies, kFields}});
  struct Case {
    std::int32_t length, width;
    DWORD fieldsBefore;
    std::int32_t lengthAfter;
    DWORD fieldsAfter;
  } cases[] = {
      {-5, 100, DM_PAPERLENGTH, 0, 0},                       // replaced, bit cleared
      {0, 100, DM_PAPERLENGTH, 0, DM_PAPERLENGTH},           // 0 stays and leaves dmFields alone
      {2970, 2100, 0, 2970, DM_PAPERLENGTH},                 // kept, the other side positive: set
      {2970, 0, DM_PAPERLENGTH, 2970, 0},                    // kept, the other side 0: cleared
  };
  for (const Case& c : cases) {
    m.SetRaw(kPaperLength, static_cast<DWORD>(c.length));
    m.SetRaw(kPaperWidth, static_cast<DWORD>(c.width));
    m.SetRaw(kFields, c.fieldsBefore);
    KeepOrDefaultPublicFields(m.ctx());
    EXPECT_EQ(m.Signed(kPaperLength), c.lengthAfter) << c.length;
    EXPECT_EQ(m.Raw(kFields) & DM_PAPERLENGTH, c.fieldsAfter) << c.length;
  }
}

TEST_F(PublicDefaults, CopiesWithinTheOptionsBounds) {
  ModelContext m(NumericModel(), {{kScale, kCopies}});
  m.SetRaw(kCopies, 999);
  KeepOrDefaultPublicFields(m.ctx());
  EXPECT_EQ(m.Raw(kCopies), 999u);
  m.SetRaw(kCopies, 1000);
  m.SetRaw(kFields, 0);
  KeepOrDefaultPublicFields(m.ctx());
  EXPECT_EQ(m.Raw(kCopies), 1u);
  EXPECT_NE(m.Raw(kFields) & DM_COPIES, 0u);
}

TEST_F(PublicDefaults, DmresPrintQualityUnderPickOneAndNumeric) {
  ModelContext numeric(NumericModel(), {{kScale, kPrintQuality}});
  ModelContext pickOne(PickOne("KPD_IDC_PRESET_CHOICE_COLOR", {"KDMCOLOR_1"}, "KDMCOLOR_1"),
                       {{15, kPrintQuality}});
  for (ModelContext* m : {&numeric, &pickOne}) {
    m->SetRaw(kPrintQuality, static_cast<DWORD>(-3));
    KeepOrDefaultPublicFields(m->ctx());
    EXPECT_EQ(m->Signed(kPrintQuality), -3);
    EXPECT_NE(m->Raw(kFields) & DM_PRINTQUALITY, 0u);
  }
  numeric.SetRaw(kPrintQuality, static_cast<DWORD>(-5));
  KeepOrDefaultPublicFields(numeric.ctx());
  EXPECT_EQ(numeric.Signed(kPrintQuality), 600);
}

TEST_F(PublicDefaults, WithoutOptionsEverythingComesFromTheProduct) {
  ModelContext m;
  std::memset(m.settings(), 0x5A, 220);  // garbage in every public field
  m.SetRaw(kFields, 0);
  KeepOrDefaultPublicFields(m.ctx());
  const DEVMODEW dm = PublicOf(m.settings());
  EXPECT_EQ(dm.dmSpecVersion, 0x401);
  EXPECT_EQ(dm.dmDriverVersion, 0x400);
  EXPECT_EQ(dm.dmSize, 220);
  EXPECT_EQ(dm.dmDriverExtra, 1016);
  EXPECT_EQ(dm.dmOrientation, 1);
  EXPECT_EQ(dm.dmPaperSize, 9);
  EXPECT_EQ(dm.dmPaperLength, 0);
  EXPECT_EQ(dm.dmScale, 100);
  EXPECT_EQ(dm.dmCopies, 1);
  EXPECT_EQ(dm.dmDefaultSource, 7);
  EXPECT_EQ(dm.dmPrintQuality, 600);
  EXPECT_EQ(dm.dmColor, 1);
  EXPECT_EQ(dm.dmDuplex, 1);
  EXPECT_EQ(dm.dmYResolution, 600);
  EXPECT_EQ(dm.dmTTOption, 3);
  EXPECT_EQ(dm.dmCollate, 0);  // no sort-type choices: no collation
  EXPECT_EQ(std::u16string(dm.dmFormName), u"A4");
  EXPECT_EQ(dm.dmICMMethod, 1u);
  EXPECT_EQ(dm.dmICMIntent, 1u);
  EXPECT_EQ(dm.dmMediaType, 1u);
  EXPECT_EQ(dm.dmDitherType, 1u);
  EXPECT_EQ(dm.dmFields, 0x7F03u & ~DM_COLLATE & ~DM_FORMNAME);
  // Left as they were: the display members.
  EXPECT_EQ(dm.dmLogPixels, 0x5A5A);
  EXPECT_EQ(dm.dmPanningHeight, 0x5A5A5A5Au);
  // The device name is never written.
  EXPECT_EQ(m.settings()[0], 0x5A);
}

// ---------------------------------------------------------------------------------------
// Model defaults, derived fields.

TEST(ModelDefaults, PresetNumberIsTheModelValueLessTheBase) {
  ModelContext m(PickOne("KPD_IDC_PRESET_ICONLIST", {"KDMPRESETNO_0", "KDMPRESETNO_2"}, "KDMPRESETNO_2"));
  WriteAreaOffsets(m.settings());
  DefaultAllFields(m.ctx());
  EXPECT_EQ(m.Raw(kPresetNo), 2u);
  // Without an option the preset is 0 (not 0 less the base).
  ModelContext none;
  none.SetRaw(kPresetNo, 9);
  DefaultAllFields(none.ctx());
  EXPECT_EQ(none.Raw(kPresetNo), 0u);
}

TEST(ModelDefaults, FieldModelDefault) {
  ModelContext m(PickOne("KPD_IDC_PRESET_CHOICE_MEDIATYPE", {"KDMMEDIATYPE_1", "KDMMEDIATYPE_258"},
                         "KDMMEDIATYPE_258"));
  m.SetRaw(kMediaType, 1);
  SetFieldToModelDefault(m.ctx(), m.field(kMediaType));
  EXPECT_EQ(m.Raw(kMediaType), 258u);
  SetFieldToModelDefault(m.ctx(), nullptr);
}

TEST(DerivedFields, PublicDuplex) {
  ModelContext m;
  struct Case {
    DWORD on, type, orientation, customFunc, before, after;
  } cases[] = {
      {0, 17, 1, 0, 3, 1},   // switch off
      {1, 0, 1, 0, 3, 1},    // type 0
      {1, 17, 1, 0, 1, 3},   // set 0, portrait
      {1, 17, 2, 0, 1, 2},   // set 0, landscape
      {1, 2, 1, 0, 1, 2},    // other, portrait
      {1, 2, 2, 0, 1, 3},    // other, landscape
      {1, 2, 2, 1, 1, 1},    // custom function 0 keeps a value other than 2 and 3
      {1, 2, 1, 1, 3, 2},    // ... but not 3
  };
  for (const Case& c : cases) {
    m.SetRaw(kFuncSelectDuplex, c.on);
    m.SetRaw(kDuplexType, c.type);
    m.SetRaw(kOrientation, c.orientation);
    m.SetRaw(kCustomFunc0, c.customFunc);
    m.SetRaw(kDuplex, c.before);
    DerivePublicDuplex(m.settings(), m.ctx());
    EXPECT_EQ(m.Raw(kDuplex), c.after) << c.on << "/" << c.type << "/" << c.orientation << "/" << c.customFunc;
  }
}

TEST(DerivedFields, ResolutionsAndMedia) {
  ModelContext m;
  m.SetRaw(kResW, 1200);
  SyncResolutionFromPrivate(m.settings(), m.ctx());
  EXPECT_EQ(m.Raw(39), 1200u);
  EXPECT_EQ(m.Raw(kPrintQuality), 1200u);
  EXPECT_EQ(m.Raw(kYResolution), 1200u);
  m.SetRaw(kPrintQuality, 300);
  SyncResolutionFromPublic(m.settings(), m.ctx());
  EXPECT_EQ(m.Raw(kResW), 300u);
  EXPECT_EQ(m.Raw(39), 300u);
  EXPECT_EQ(m.Raw(kYResolution), 300u);
  EXPECT_EQ(m.Raw(178), 17u);  // the quality macro of a standard resolution
  m.SetRaw(kMediaType, 258);
  CopyMediaTypeToPublic(m.settings(), m.ctx());
  EXPECT_EQ(m.Raw(29), 258u);
  m.SetRaw(989, 1);
  ApplyDerivedFields(m.settings(), m.ctx(), 2);
  EXPECT_EQ(m.Raw(989), 0u);
}

// ---------------------------------------------------------------------------------------
// The sample printer.

std::string SampleModel() { return FixtureText(kPrinterModel); }

class SamplePrinter : public ContextTest {
 protected:
  static constexpr const char16_t* kSampleData = u"C:\\drv\\defaults\\SAMPLEDF.KMD";

  void SetUp() override {
    ContextTest::SetUp();
    root_.WriteFile(kSampleData, SampleModel());
  }
  HANDLE InstallSample(const std::u16string& name, std::vector<BYTE> devmode = {},
                       const std::u16string& helpFile = u"C:\\drv\\KOVAUS.HLP") {
    PrinterSpec spec = PrinterSpec::OwnDriver(u"KOVA Sample Defaults", kSampleData);
    spec.helpFile = helpFile;
    spec.devmode = std::move(devmode);
    return InstallPrinter(name, std::move(spec));
  }
  static std::u16string Text(DriverContext* c, WORD id) {
    WCHAR text[128] = {};
    GetFieldString(c, FindFieldById(c, id), text, 128);
    return text;
  }
};

TEST_F(SamplePrinter, ContextHoldsACompleteValidDeviceMode) {
  HANDLE h = InstallSample(u"Sample Defaults");
  DriverContext* c = Create(h);
  ASSERT_NE(c, nullptr);
  ASSERT_NE(c->model, nullptr);
  ASSERT_NE(c->settings, nullptr);

  // Every option of the model: the field holds the model's default (string and Identity
  // options aside: the text fields get texts of their own, an Identity option shares a list).
  int checked = 0;
  for (ImageRef o = FirstModelOption(c->model); o; o = OptionNext(o)) {
    const WORD id = OptionFeatureId(o);
    const WORD raw = OptionRawType(o);
    if ((raw & 0x1000) || (raw & 0xFF) == 0x10 || !FindFieldById(c, id)) continue;
    EXPECT_EQ(GetFieldValueById(c, id), GetOptionDefaultValue(id, c)) << "field " << id;
    ++checked;
  }
  EXPECT_GE(checked, 20);

  // The public part: the model's defaults where it has options, the product's elsewhere.
  const ProductRecord* product = GetProductRecord();
  const DEVMODEW dm = PublicOf(c->settings);
  EXPECT_EQ(dm.dmSpecVersion, product->specVersion);
  EXPECT_EQ(dm.dmDriverVersion, product->driverVersion);
  EXPECT_EQ(dm.dmSize, 220);
  EXPECT_EQ(dm.dmDriverExtra, 1016);
  EXPECT_EQ(dm.dmOrientation, 1);     // model
  EXPECT_EQ(dm.dmPaperSize, 9);       // model
  EXPECT_EQ(dm.dmPaperLength, 2970);  // derived from the model's A4
  EXPECT_EQ(dm.dmPaperWidth, 2100);
  EXPECT_EQ(dm.dmScale, 100);         // model
  EXPECT_EQ(dm.dmCopies, 1);          // model
  EXPECT_EQ(dm.dmDefaultSource, 7);   // model
  EXPECT_EQ(dm.dmPrintQuality, 600);  // the model's resolution
  EXPECT_EQ(dm.dmColor, 2);           // model
  EXPECT_EQ(dm.dmDuplex, product->duplex);
  EXPECT_EQ(dm.dmYResolution, 600);
  EXPECT_EQ(dm.dmTTOption, product->ttOption);
  EXPECT_EQ(dm.dmCollate, 0);
  EXPECT_EQ(std::u16string(dm.dmFormName), u"A4");
  EXPECT_EQ(dm.dmICMMethod, product->icmMethod);
  EXPECT_EQ(dm.dmICMIntent, product->icmIntent);
  EXPECT_EQ(dm.dmMediaType, product->mediaType);
  EXPECT_EQ(dm.dmDitherType, product->ditherType);
  EXPECT_EQ(dm.dmFields, product->defaultFields);

  // The private part.
  EXPECT_EQ(IsDevmodeWellFormed(c->settings, c), 1);
  EXPECT_EQ(CheckDevmodeVersion(c->settings), 1);
  EXPECT_EQ(std::memcmp(c->settings + kDmKcomMarkPos, "KCOMMON", 8), 0);
  EXPECT_EQ(ReadFieldRawById(c, 35), product->machineId);
  EXPECT_EQ(ReadFieldRawById(c, 39), 600u);
  EXPECT_EQ(ReadFieldRawById(c, 611), 1027u);  // a field the model does not describe
  EXPECT_EQ(ReadFieldRawById(c, 233), product->defaultCommandVersion);
  EXPECT_EQ(Text(c, 115), u"Arial");
  EXPECT_EQ(Text(c, 525), u"Arial");
  EXPECT_EQ(Text(c, 1250), u"9.02");
  EXPECT_EQ(ReadFieldRawById(c, 169), 1u);  // no "HelpFileName" value
  EXPECT_EQ(ReadFieldRawById(c, 170), 1u);
  EXPECT_EQ(GetStateByte(c, 706), 1u);
  EXPECT_EQ(GetStateByte(c, 707), 2u);
  EXPECT_EQ(GetStateByte(c, 708), 1u);
  EXPECT_EQ(GetStateByte(c, 714), 0u);
  // The output paper follows the source: its fields are the model's A4 at 600 dpi.
  EXPECT_EQ(ReadFieldRawById(c, 596), 2970u);
  EXPECT_EQ(ReadFieldRawById(c, 597), 2100u);
  EXPECT_EQ(ReadFieldRawById(c, 44), 100u);

  // Valid as a whole: validating it again changes nothing.
  std::vector<BYTE> before(c->settings, c->settings + GetSettingsBufferSize());
  c->work->mergeFlags = 0;
  ValidateOrDefaultAll(c, VOD_VALIDATE);
  EXPECT_EQ(std::memcmp(before.data(), c->settings, GetTotalDevmodeSize()), 0);
  ReleaseContext(c, CTXR_DESTROY);
}

TEST_F(SamplePrinter, LanguageComesFromTheHelpFileValueOnly) {
  HANDLE h = InstallSample(u"Sample Japanese Help", {}, u"C:\\drv\\KOVAJP.HLP");
  DriverContext* c = Create(h);
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(ReadFieldRawById(c, 169), 1u);
  EXPECT_EQ(ReadFieldRawById(c, 170), 1u);
  ReleaseContext(c, CTXR_DESTROY);
}

TEST_F(SamplePrinter, StoredDeviceModeByCreationMode) {
  // A device-mode of this product with a few values changed, stored as the printer's.
  HANDLE first = InstallSample(u"Sample Stored");
  DriverContext* c = Create(first);
  ASSERT_NE(c, nullptr);
  std::vector<BYTE> stored(c->settings, c->settings + GetTotalDevmodeSize());
  ReleaseContext(c, CTXR_DESTROY);
  const SHORT copies = 5;
  std::memcpy(stored.data() + offsetof(DEVMODEW, dmCopies), &copies, 2);
  const DWORD bogusDots = 12345;
  std::memcpy(stored.data() + 376, &bogusDots, 4);  // kdmSrcPaperLengthDot
  std::vector<BYTE> older = stored;
  const DWORD version321 = 321;
  std::memcpy(older.data() + kDmVersionPos, &version321, 4);

  struct Case {
    const char* name;
    const std::vector<BYTE>* devmode;
    WORD mode;
    SHORT copiesAfter;
    bool derived;  // the source paper fields computed afresh
  } cases[] = {
      {"mode 0 takes it", &stored, 0, 5, false},
      {"mode 2 takes it", &stored, 2, 5, false},
      {"mode 1 takes it and derives", &stored, 1, 5, true},
      {"mode 3 defaults, then adopts the current version", &stored, 3, 5, false},
      {"mode 0 takes an older version", &older, 0, 5, false},
      {"mode 3 ignores an older version", &older, 3, 1, true},
  };
  int n = 0;
  for (const Case& k : cases) {
    const std::u16string name = u"Sample Stored " + std::u16string(1, static_cast<char16_t>(u'A' + n++));
    HANDLE h = InstallSample(name, *k.devmode);
    DriverContext* ctx = Create(h, CTXK_INTERFACE, k.mode);
    ASSERT_NE(ctx, nullptr) << k.name;
    EXPECT_EQ(PublicOf(ctx->settings).dmCopies, k.copiesAfter) << k.name;
    if (k.derived) {
      EXPECT_NE(ReadFieldRawById(ctx, 40), bogusDots) << k.name;
    } else {
      EXPECT_EQ(ReadFieldRawById(ctx, 40), bogusDots) << k.name;
    }
    ReleaseContext(ctx, CTXR_DESTROY);
  }
}

TEST_F(SamplePrinter, RefreshTakesNoAreaThreeDefaultsNorVersionText) {
  HANDLE first = InstallSample(u"Sample Refresh Source");
  DriverContext* c = Create(first);
  ASSERT_NE(c, nullptr);
  std::vector<BYTE> stored(c->settings, c->settings + GetTotalDevmodeSize());
  ReleaseContext(c, CTXR_DESTROY);

  HANDLE h = InstallSample(u"Sample Refresh", stored);
  DriverContext* ctx = Create(h);
  ASSERT_NE(ctx, nullptr);
  SettingField* version = FindFieldById(ctx, 1250);
  BYTE* created = BuildDefaultDevmode(ctx, 0, nullptr, 0);
  BYTE* refreshed = BuildDefaultDevmode(ctx, 0, nullptr, 1);
  ASSERT_NE(created, nullptr);
  ASSERT_NE(refreshed, nullptr);
  EXPECT_EQ(GetFieldAddressInBuffer(created, version)[0], '9');
  EXPECT_EQ(GetFieldAddressInBuffer(refreshed, version)[0], 0);
  // Both carry the stored device-mode; the context's own buffer is untouched.
  EXPECT_EQ(std::memcmp(created, stored.data(), 220), 0);
  EXPECT_EQ(std::memcmp(refreshed, stored.data(), 220), 0);
  FreeMem(created);
  FreeMem(refreshed);
  EXPECT_EQ(BuildDefaultDevmode(nullptr, 0, nullptr, 0), nullptr);
  ReleaseContext(ctx, CTXR_DESTROY);
}

// A printer with a stored device-mode sees the same device options as one without: the
// area-2 fields that printer data does not store (the second tray the model installs by
// default) keep their model defaults, whatever the creation mode.
TEST_F(SamplePrinter, StoredDeviceModeKeepsTheModelsDeviceOptions) {
  HANDLE plain = InstallSample(u"Sample Options");
  DriverContext* reference = Create(plain);
  ASSERT_NE(reference, nullptr);
  ASSERT_EQ(ReadFieldRawById(reference, fid::kdmSourceOptionType2Step), 1u);
  const std::vector<BYTE> stored(reference->settings, reference->settings + GetTotalDevmodeSize());
  int n = 0;
  for (const WORD mode : {0, 1, 2}) {
    const std::u16string name = u"Sample Options " + std::u16string(1, static_cast<char16_t>(u'A' + n++));
    DriverContext* ctx = Create(InstallSample(name, stored), CTXK_INTERFACE, mode);
    ASSERT_NE(ctx, nullptr) << mode;
    int compared = 0;
    for (int i = 0; i < ctx->fields.count; ++i) {
      const SettingField& field = ctx->fields.records[i];
      if (FieldAreaOf(field.type) != 2 || IsTextFieldCode(FieldCodeOf(field.type))) continue;
      if (field.id >= 10004 && field.id <= 10009) continue;  // the font lists
      EXPECT_EQ(ReadFieldRawById(ctx, field.id), ReadFieldRawById(reference, field.id))
          << "mode " << mode << ", field " << field.id;
      ++compared;
    }
    EXPECT_GT(compared, 100) << mode;
    EXPECT_EQ(PublicOf(ctx->settings).dmCopies, PublicOf(reference->settings).dmCopies);
    ReleaseContext(ctx, CTXR_DESTROY);
  }
  ReleaseContext(reference, CTXR_DESTROY);
}

TEST_F(SamplePrinter, InPlaceResetKeepsTheDeviceName) {
  HANDLE h = InstallSample(u"Sample Reset");
  DriverContext* c = Create(h);
  ASSERT_NE(c, nullptr);
  std::memcpy(c->settings, u"Sample Reset", 26);
  WriteFieldRawById(c, kCopies, 42);
  SetDevmodeDefaults(c);
  EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(c->settings)), u"Sample Reset");
  EXPECT_EQ(PublicOf(c->settings).dmCopies, 1);
  ReleaseContext(c, CTXR_DESTROY);
}

}  // namespace
}  // namespace kovatest
