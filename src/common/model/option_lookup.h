// Lookups into a context's model image: the option record of a feature, its type, default,
// values and item count, the enabled variant of the free-size features, condition blocks,
// the UI resource DLL name and the exports of the font tables.
#pragma once

#include "model/model_image.h"

struct DriverContext;
struct OptionRecord;

// Fields of an option record (an ImageRef at an option record).
inline ImageRef OptionNext(ImageRef o) { return o.Plain(opt::kNext); }
inline WORD OptionItemId(ImageRef o) { return o.U16(opt::kItemId); }
inline WORD OptionShareKey(ImageRef o) { return o.U16(opt::kShareKey); }
inline WORD OptionFeatureId(ImageRef o) { return o.U16(opt::kFeatureId); }
inline WORD OptionRawType(ImageRef o) { return o.U16(opt::kType); }
inline WORD OptionDefault(ImageRef o) { return o.U16(opt::kDefault); }
inline ImageRef OptionCommands(ImageRef o) { return o.Plain(opt::kCommands); }
inline ImageRef OptionCondition(ImageRef o) { return o.Plain(opt::kCondition); }
inline ImageRef OptionValues(ImageRef o) { return o.Plain(opt::kValues); }
// Items of an item list.
inline ImageRef ItemNext(ImageRef i) { return i.Plain(item::kNext); }
inline WORD ItemValueId(ImageRef i) { return i.U16(item::kValueId); }

// The first record of the image's all-options list.
ImageRef FirstModelOption(const ModelImage* image);

// Id 0: none. Ids with a header slot: the slot. Any other id: the first record of the
// all-options list with that feature id.
ImageRef FindOptionRecord(WORD featureId, DriverContext* context);
// Type with the Identity and TypeUnknown marks off; 0 without an option.
WORD GetOptionType(WORD featureId, DriverContext* context);
WORD GetOptionRawType(WORD featureId, DriverContext* context);
DWORD GetOptionDefaultValue(WORD featureId, DriverContext* context);
// The values reference (item list or value record), or none. When defaultIndex is given and
// the option's type has bit 0, the default index is written to it.
ImageRef GetOptionItems(WORD featureId, DriverContext* context, DWORD* defaultIndex = nullptr);
// -1 without an option; 0 for Boolean, Numeric and String; else the item count.
int GetOptionItemCount(WORD featureId, DriverContext* context);
// Features 340 and 341: the first free-size option whose disable rule is false while field
// 1019 reads 1 (the field is restored); every other feature: FindOptionRecord.
ImageRef GetOptionForFeature(WORD featureId, DriverContext* context);
// Tests: bit 0 not disabled, bit 1 not hidden; 0 is FindOptionRecord.
constexpr DWORD kOptionNotDisabled = 1;
constexpr DWORD kOptionNotHidden = 2;
ImageRef FindEnabledOption(WORD featureId, DriverContext* context, DWORD tests);
ImageRef GetOptionForFieldIndex(DriverContext* context, int index);
ImageRef FindOptionByItemId(WORD itemId, DriverContext* context);
ImageRef LookupOptionByOrdinal(WORD itemId, DriverContext* context);
ImageRef FindConditionBlock(WORD featureItemId, DriverContext* context);
ImageRef FindItemCondition(ImageRef block, WORD valueId);
// The image's UIResDLLName, or null.
const WCHAR* GetUIResDLLName(DriverContext* context);

// The form in which the property pages keep an option in a ControlRecord: the address of
// the record's bytes in the image. OptionFromAddress turns it back, checking that it is an
// address inside the image; none otherwise.
const OptionRecord* OptionRecordAddress(ImageRef option);
ImageRef OptionFromAddress(const ModelImage* image, const OptionRecord* address);

#pragma pack(push, 1)
struct FontListRecord {
  DWORD id;
  WCHAR name[32];
};
struct FontSubstitutionRecord {
  WCHAR trueTypeName[32];
  WCHAR deviceFontName[32];
};
#pragma pack(pop)
static_assert(sizeof(FontListRecord) == 68);
static_assert(sizeof(FontSubstitutionRecord) == 128);

// Fresh arrays (the caller frees them with FreeMem). No image: null, count untouched; no
// entries or no memory: null and count 0.
FontListRecord* ExportDeviceFontList(DriverContext* context, DWORD* count);
FontListRecord* ExportFontCartridgeList(DriverContext* context, DWORD* count);
// The pairs of the first item with pairs of the first FontTbl option; count written only on
// success.
FontSubstitutionRecord* ExportFontSubstitutionTable(DriverContext* context, DWORD* count);
