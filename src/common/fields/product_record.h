// The product record: the driver's built-in identity (companion file names, public
// device-mode defaults, private tag and version, machine id, paper limits, special models)
// and the sizes of the device-mode and the settings buffer.
#pragma once

#include <cstddef>
#include <cstdint>

#include "win/types.h"

struct DriverContext;

// A text or list slot of the record: a 32-bit reference into the dictionary's product
// strings (0 = none), so that the record keeps its 204-byte layout on every build.
using ProductRef = DWORD;

// Product string references.
enum : ProductRef {
  PRODUCT_REF_NONE = 0,
  PRODUCT_REF_MODEL_INI = 1,
  PRODUCT_REF_OUTPUT_DLL,
  PRODUCT_REF_FORM_NAME,
  PRODUCT_REF_CDC_VERSION,
  PRODUCT_REF_PJL_VERSION,
  PRODUCT_REF_FALLBACK_MODEL,
  PRODUCT_REF_SECOND_MODEL_INI,
  PRODUCT_REF_COMPANION_DLL,
  PRODUCT_REF_SETTINGS_API_DLL,
  PRODUCT_REF_COMPANION_DATA_DLL,
  PRODUCT_REF_DRIVER_VERSION,
  PRODUCT_REF_INSTALL_INI,
  PRODUCT_REF_SPECIAL_MODEL_1,
  PRODUCT_REF_SPECIAL_MODEL_2,
  PRODUCT_REF_SPECIAL_MODELS,  // the special-model list
  PRODUCT_REF_COUNT
};

#pragma pack(push, 2)
struct ProductRecord {
  WORD specVersion;
  WORD driverVersion;
  ProductRef modelIniName;
  ProductRef outputDllName;
  DWORD defaultFields;
  WORD maxCopies;
  WORD reserved1;
  DWORD landscapeAngle;
  DWORD defaultResolution;
  WORD orientation;
  WORD paperSize;
  WORD paperLength;
  WORD paperWidth;
  WORD scale;
  WORD copies;
  WORD defaultSource;
  WORD printQuality;
  WORD color;
  WORD duplex;
  WORD yResolution;
  WORD ttOption;
  WORD collate;
  WORD reserved2;
  ProductRef formName;
  DWORD icmMethod;
  DWORD icmIntent;
  DWORD mediaType;
  DWORD ditherType;
  DWORD scaleMin;
  DWORD scaleMax;
  DWORD copiesMin;
  DWORD copiesMax;
  DWORD privateTag;
  DWORD devmodeVersion;
  BYTE machineId;
  BYTE driverType;
  WORD defaultResolutionW;
  WORD defaultResolutionH;
  BYTE defaultLanguage;
  BYTE defaultDisplayLanguage;
  BYTE defaultDisplayUnit;
  BYTE defaultExtPrintArea;
  WORD defaultCommandVersion;
  ProductRef cdcVersion;
  ProductRef pjlVersion;
  ProductRef fallbackModelName;
  ProductRef secondModelIniName;
  ProductRef companionDllName;
  ProductRef settingsApiDllName;
  ProductRef companionDataDllName;
  ProductRef driverVersionString;
  WORD settingsFileVersion;
  WORD reserved3;
  DWORD userPaperWidthMin;
  DWORD userPaperWidthMax;
  DWORD userPaperLengthMin;
  DWORD userPaperLengthMax;
  ProductRef installIniName;
  ProductRef specialModels;
  DWORD reserved4[8];  // further words that nothing reads
};
#pragma pack(pop)

static_assert(sizeof(ProductRecord) == 204, "ProductRecord is 204 bytes");
static_assert(offsetof(ProductRecord, modelIniName) == 4);
static_assert(offsetof(ProductRecord, maxCopies) == 16);
static_assert(offsetof(ProductRecord, landscapeAngle) == 20);
static_assert(offsetof(ProductRecord, orientation) == 28);
static_assert(offsetof(ProductRecord, collate) == 52);
static_assert(offsetof(ProductRecord, formName) == 56);
static_assert(offsetof(ProductRecord, scaleMin) == 76);
static_assert(offsetof(ProductRecord, privateTag) == 92);
static_assert(offsetof(ProductRecord, devmodeVersion) == 96);
static_assert(offsetof(ProductRecord, machineId) == 100);
static_assert(offsetof(ProductRecord, defaultResolutionW) == 102);
static_assert(offsetof(ProductRecord, defaultLanguage) == 106);
static_assert(offsetof(ProductRecord, defaultCommandVersion) == 110);
static_assert(offsetof(ProductRecord, cdcVersion) == 112);
static_assert(offsetof(ProductRecord, driverVersionString) == 140);
static_assert(offsetof(ProductRecord, settingsFileVersion) == 144);
static_assert(offsetof(ProductRecord, userPaperWidthMin) == 148);
static_assert(offsetof(ProductRecord, installIniName) == 164);
static_assert(offsetof(ProductRecord, specialModels) == 168);

#pragma pack(push, 2)
struct SpecialModelEntry {
  ProductRef modelName;
  WORD word1;  // 3
  WORD word2;  // 5
  DWORD mask;
  DWORD word4;  // 1
};
#pragma pack(pop)
static_assert(sizeof(SpecialModelEntry) == 16, "SpecialModelEntry is 16 bytes");

struct SpecialModelList {
  DWORD count;
  const SpecialModelEntry* entries;
};

// Custom-media id table row: {n, item id, quota field, name field, char-set field}.
struct CustomMediaIdRow {
  WORD number;
  WORD itemId;
  WORD quotaFieldId;
  WORD nameFieldId;
  WORD charSetFieldId;
};

// The dictionary's own record, read by code that has no context.
const ProductRecord* GetProductRecord();
// The context's product record; the dictionary's own for a null context or one without.
const ProductRecord* ProductOf(const DriverContext* context);
// Text of a product reference (null for PRODUCT_REF_NONE, the list slot or an unknown ref).
const WCHAR* GetProductString(ProductRef ref);
const SpecialModelList* GetSpecialModelList(const ProductRecord* record);

// Size accessors; each asks IsWin9x at every call.
DWORD GetPublicDevmodeSize();
DWORD GetPrivateDevmodeSize();
DWORD GetTotalDevmodeSize();
DWORD GetArea2Size();
DWORD GetArea3Size();
DWORD GetSettingsBufferSize();

BYTE* GetContextDevmode(DriverContext* context);
BYTE* GetPrivateDevmode(DriverContext* context);
BYTE* GetPrivateDevmodeOfContext(DriverContext* context);
BYTE* GetPrivateAtFixedOffset(BYTE* devmode);
BYTE* GetArea2(DriverContext* context);

// 17 rows: 16 custom media and a row of zeros.
const CustomMediaIdRow* GetCustomMediaIdTable();

WORD GetSpecialModelCount(DriverContext* context);
const SpecialModelEntry* GetSpecialModelEntry(DriverContext* context, int index);
const SpecialModelEntry* FindSpecialModel(DriverContext* context, const WCHAR* modelName);
int IsModelMaskSet(DriverContext* context, DWORD bits);
