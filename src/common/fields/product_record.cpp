// The product record, its strings and special models, and the device-mode sizes.
#include "fields/product_record.h"

#include "base/driver_context.h"
#include "base/system_checks.h"
#include "base/wide_text.h"

namespace {

// The two special models of the family: the models with the custom-media road.
constexpr WCHAR kSpecialModel1[] = u"KOVA Pro C9500";
constexpr WCHAR kSpecialModel2[] = u"KOVA Pro C9600";

const WCHAR* const kProductStrings[PRODUCT_REF_COUNT] = {
    nullptr,             // PRODUCT_REF_NONE
    u"Dorvale.ini",      // model INI
    u"Spoolane.DLL",     // output DLL
    u"A4",               // form name
    u"01.00",            // CDC version
    u"01.00",            // PJL version
    u"JP",               // fallback model name
    u"Dorvale2.ini",     // second model INI
    u"Brevick.dll",      // companion DLL
    u"Constrix.DLL",     // settings API DLL
    u"Sorrel.dll",       // companion data DLL
    u"9.02",             // driver version string
    u"Instovar.INI",     // install INI
    kSpecialModel1,
    kSpecialModel2,
    nullptr,             // the special-model list is not text
};

const SpecialModelEntry kSpecialModels[2] = {
    {PRODUCT_REF_SPECIAL_MODEL_1, 3, 5, 1, 1},
    {PRODUCT_REF_SPECIAL_MODEL_2, 3, 5, 1, 1},
};
const SpecialModelList kSpecialModelList = {2, kSpecialModels};

constexpr ProductRecord MakeProductRecord() {
  ProductRecord r{};
  r.specVersion = 0x401;
  r.driverVersion = 0x400;
  r.modelIniName = PRODUCT_REF_MODEL_INI;
  r.outputDllName = PRODUCT_REF_OUTPUT_DLL;
  r.defaultFields = 0x7F03;
  r.maxCopies = 999;
  r.landscapeAngle = 90;
  r.defaultResolution = 600;
  r.orientation = 1;
  r.paperSize = 9;
  r.paperLength = 0;
  r.paperWidth = 0;
  r.scale = 100;
  r.copies = 1;
  r.defaultSource = 7;
  r.printQuality = 600;
  r.color = 1;
  r.duplex = 1;
  r.yResolution = 600;
  r.ttOption = 3;
  r.collate = 0;
  r.formName = PRODUCT_REF_FORM_NAME;
  r.icmMethod = 1;
  r.icmIntent = 1;
  r.mediaType = 1;
  r.ditherType = 1;
  r.scaleMin = 1;
  r.scaleMax = 1000;
  r.copiesMin = 1;
  r.copiesMax = 999;
  r.privateTag = 0x76697270;  // "priv"
  r.devmodeVersion = 322;
  r.machineId = 90;
  r.driverType = 0;
  r.defaultResolutionW = 600;
  r.defaultResolutionH = 600;
  r.defaultLanguage = 0;
  r.defaultDisplayLanguage = 0;
  r.defaultDisplayUnit = 0;
  r.defaultExtPrintArea = 0;
  r.defaultCommandVersion = 16;
  r.cdcVersion = PRODUCT_REF_CDC_VERSION;
  r.pjlVersion = PRODUCT_REF_PJL_VERSION;
  r.fallbackModelName = PRODUCT_REF_FALLBACK_MODEL;
  r.secondModelIniName = PRODUCT_REF_SECOND_MODEL_INI;
  r.companionDllName = PRODUCT_REF_COMPANION_DLL;
  r.settingsApiDllName = PRODUCT_REF_SETTINGS_API_DLL;
  r.companionDataDllName = PRODUCT_REF_COMPANION_DATA_DLL;
  r.driverVersionString = PRODUCT_REF_DRIVER_VERSION;
  r.settingsFileVersion = 322;
  r.userPaperWidthMin = 3022;
  r.userPaperWidthMax = 14408;
  r.userPaperLengthMin = 6992;
  r.userPaperLengthMax = 59528;
  r.installIniName = PRODUCT_REF_INSTALL_INI;
  r.specialModels = PRODUCT_REF_SPECIAL_MODELS;
  return r;
}

const ProductRecord kProductRecord = MakeProductRecord();

constexpr CustomMediaIdRow MakeCustomMediaRow(WORD n) {
  return CustomMediaIdRow{n, static_cast<WORD>(13708 + n - 1), static_cast<WORD>(1495 + n),
                          static_cast<WORD>(1511 + n), static_cast<WORD>(1527 + n)};
}

const CustomMediaIdRow kCustomMediaIds[17] = {
    MakeCustomMediaRow(1),  MakeCustomMediaRow(2),  MakeCustomMediaRow(3),  MakeCustomMediaRow(4),
    MakeCustomMediaRow(5),  MakeCustomMediaRow(6),  MakeCustomMediaRow(7),  MakeCustomMediaRow(8),
    MakeCustomMediaRow(9),  MakeCustomMediaRow(10), MakeCustomMediaRow(11), MakeCustomMediaRow(12),
    MakeCustomMediaRow(13), MakeCustomMediaRow(14), MakeCustomMediaRow(15), MakeCustomMediaRow(16),
    {0, 0, 0, 0, 0},
};

const ProductRecord* RecordOf(DriverContext* context) {
  return context && context->product ? context->product : &kProductRecord;
}

}  // namespace

const ProductRecord* GetProductRecord() { return &kProductRecord; }

const ProductRecord* ProductOf(const DriverContext* context) {
  return context && context->product ? context->product : GetProductRecord();
}

const WCHAR* GetProductString(ProductRef ref) {
  return ref < PRODUCT_REF_COUNT ? kProductStrings[ref] : nullptr;
}

const SpecialModelList* GetSpecialModelList(const ProductRecord* record) {
  return record && record->specialModels == PRODUCT_REF_SPECIAL_MODELS ? &kSpecialModelList : nullptr;
}

DWORD GetPublicDevmodeSize() { return IsWin9x() ? 148 : 220; }
DWORD GetPrivateDevmodeSize() { return IsWin9x() ? 1024 : 1016; }
DWORD GetTotalDevmodeSize() { return IsWin9x() ? 1172 : 1236; }
DWORD GetArea2Size() { return 5264; }
DWORD GetArea3Size() { return 3580; }
DWORD GetSettingsBufferSize() { return IsWin9x() ? 10016 : 10080; }

BYTE* GetContextDevmode(DriverContext* context) { return context ? context->settings : nullptr; }

BYTE* GetPrivateDevmode(DriverContext* context) {
  BYTE* dm = GetContextDevmode(context);
  if (!dm) return nullptr;
  // dmSize: the public part's own size word at byte 68.
  const WORD size = static_cast<WORD>(dm[68] | (dm[69] << 8));
  return size < GetSettingsBufferSize() ? dm + size : nullptr;
}

BYTE* GetPrivateDevmodeOfContext(DriverContext* context) { return GetPrivateDevmode(context); }

BYTE* GetPrivateAtFixedOffset(BYTE* devmode) { return devmode ? devmode + 220 : nullptr; }

BYTE* GetArea2(DriverContext* context) {
  BYTE* dm = GetContextDevmode(context);
  if (!dm) return nullptr;
  const WORD offset = static_cast<WORD>(dm[363] | (dm[364] << 8));
  return offset < GetSettingsBufferSize() ? dm + offset : nullptr;
}

const CustomMediaIdRow* GetCustomMediaIdTable() { return kCustomMediaIds; }

WORD GetSpecialModelCount(DriverContext* context) {
  const SpecialModelList* list = GetSpecialModelList(RecordOf(context));
  return list ? static_cast<WORD>(list->count) : 0;
}

const SpecialModelEntry* GetSpecialModelEntry(DriverContext* context, int index) {
  const SpecialModelList* list = GetSpecialModelList(RecordOf(context));
  if (!list || index < 0 || static_cast<DWORD>(index) >= list->count) return nullptr;
  return &list->entries[index];
}

const SpecialModelEntry* FindSpecialModel(DriverContext* context, const WCHAR* modelName) {
  const SpecialModelList* list = GetSpecialModelList(RecordOf(context));
  if (!list || !modelName) return nullptr;
  for (DWORD i = 0; i < list->count; ++i) {
    const WCHAR* name = GetProductString(list->entries[i].modelName);
    if (name && WideEquals(name, modelName)) return &list->entries[i];
  }
  return nullptr;
}

int IsModelMaskSet(DriverContext* context, DWORD bits) {
  return context && context->work && (context->work->specialModelMask & bits) ? 1 : 0;
}
