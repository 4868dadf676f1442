#include "context/display_text.h"

#include <cstdio>

#include "fields/field_access.h"
#include "fields/field_table.h"
#include "fields/locale_text.h"
#include "base/ui_strings.h"
#include "model/units.h"
#include "field_ids.h"
#include "model/model_parse.h"
#include "model/option_lookup.h"
#include "win/kernel.h"

namespace {

// Value ids whose display string is another string: the control label table, ended by {0, 0}.
constexpr ControlLabel kControlLabels[] = {
    {2284, 261},   {2285, 262},   {2286, 263},   {2431, 1012},  {2435, 1013},  {2436, 1014},  {2447, 1018},
    {2448, 1019},  {2747, 1130},  {2746, 1131},  {2745, 1132},  {2856, 1143},  {2857, 1144},  {2122, 60401},
    {2126, 60402}, {2127, 60403}, {2128, 60404}, {2481, 491},   {2565, 60405}, {2883, 13014}, {2131, 60407},
    {2132, 60405}, {2026, 13479}, {2027, 13480}, {2701, 13463}, {2702, 13464}, {2514, 13467}, {2515, 13468},
    {3087, 13469}, {3088, 13470}, {2669, 92},    {2670, 13471}, {2671, 13472}, {2672, 92},    {2673, 13471},
    {2674, 13473}, {2184, 13474}, {2186, 13475}, {2185, 13476}, {2840, 13463}, {2841, 13464}, {3053, 13477},
    {3055, 13478}, {3197, 13537}, {3169, 13493}, {3170, 13494}, {3171, 13495}, {2001, 13376}, {3217, 13644},
    {3218, 13645}, {3219, 13646}, {3220, 13647}, {3221, 13648}, {3222, 13649}, {3224, 13650}, {3226, 13651},
    {3228, 13652}, {0, 0},
};
constexpr DWORD kControlLabelRows = sizeof kControlLabels / sizeof kControlLabels[0] - 1;
static_assert(kControlLabelRows == 57 && kControlLabels[kControlLabelRows].controlId == 0);

constexpr WORD kStringOn = 370;
constexpr WORD kStringOff = 371;
constexpr WORD kStringNone = 96;

void PutAscii(WCHAR* buffer, int size, const char* text) {
  int i = 0;
  for (; text[i] && i + 1 < size; ++i) buffer[i] = static_cast<WCHAR>(static_cast<unsigned char>(text[i]));
  buffer[i] = 0;
}

void PutWide(WCHAR* buffer, int size, const WCHAR* text) {
  int i = 0;
  for (; text[i] && i + 1 < size; ++i) buffer[i] = text[i];
  buffer[i] = 0;
}

void PutNumber(WCHAR* buffer, int size, long value) {
  char text[24];
  std::snprintf(text, sizeof text, "%ld", value);
  PutAscii(buffer, size, text);
}

// The option of an item with its type and, for a Numeric option, the unit label: the first
// word of its value record.
bool FindItemOption(DriverContext* context, std::int16_t itemId, WORD* type, DWORD* unitLabelId) {
  *type = 0;
  *unitLabelId = 0;
  ImageRef option = FindOptionByItemId(static_cast<WORD>(itemId), context);
  if (!option) return false;
  *type = OptionRawType(option);
  if ((*type & kTypeMask) == kTypeNumeric) {
    if (ImageRef values = OptionValues(option)) *unitLabelId = values.U16(0);
  }
  return true;
}

}  // namespace

const ControlLabel* GetControlLabelTable(DWORD* count) {
  if (count) *count = kControlLabelRows;
  return kControlLabels;
}

WORD FindControlLabel(WORD controlId) {
  for (DWORD i = 0; i < kControlLabelRows; ++i)
    if (kControlLabels[i].controlId == controlId) return kControlLabels[i].stringId;
  return 0;
}

DWORD SubstituteDisplayStringId(DWORD valueId) {
  const WORD label = valueId <= 0xFFFF ? FindControlLabel(static_cast<WORD>(valueId)) : 0;
  return label ? label : valueId;
}

BOOL UsesDecimalComma(DriverContext* context) {
  if (!context) return FALSE;
  const DWORD id = ReadFieldRawById(context, fid::kdmLanguageID);
  return id >= 2 && id <= 15 ? TRUE : FALSE;
}

void FormatFieldValueText(DriverContext* context, std::int16_t itemId, WCHAR* buffer, int size) {
  if (!buffer || size <= 0) return;
  WORD type = 0;
  DWORD unitLabel = 0;
  if (!FindItemOption(context, itemId, &type, &unitLabel)) {
    PutNumber(buffer, size, static_cast<long>(GetFieldValueByKeyword(context, itemId)));
    return;
  }
  FormatValueTextForOption(context, itemId, type, unitLabel, buffer, size);
}

void FormatValueTextForOption(DriverContext* context, std::int16_t itemId, WORD optionType, DWORD unitLabelId,
                              WCHAR* buffer, int size) {
  if (!buffer || size <= 0) return;
  buffer[0] = 0;
  SettingField* field = nullptr;
  const DWORD value = GetFieldValueByKeyword(context, itemId, &field);
  switch (optionType & kTypeMask) {
    case kTypePickOne:
    case kTypePickMany: {
      const DWORD id = SubstituteDisplayStringId(value);
      LoadUiString(context, id, buffer, size, 1);
      if (!buffer[0]) {
        char text[48];
        std::snprintf(text, sizeof text, "%lu is not string-ID", static_cast<unsigned long>(id));
        PutAscii(buffer, size, text);
      }
      return;
    }
    case kTypeBoolean:
      LoadUiString(context, value ? kStringOn : kStringOff, buffer, size, 1);
      return;
    case kTypeNumeric: {
      char text[32];
      if (field && (field->runtimeFlags & FRF_USER_UNITS)) {
        const long u = ToUserUnits(context, 0, static_cast<int>(value));
        if (IsMetricUnits(context))
          std::snprintf(text, sizeof text, "%ld.%01d", u / 10, static_cast<int>(u % 10));
        else
          std::snprintf(text, sizeof text, "%ld.%02d", u / 100, static_cast<int>(u % 100));
      } else {
        std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
      }
      PutAscii(buffer, size, text);
      if (UsesDecimalComma(context)) ReplaceDecimalPoint(buffer);
      const int used = lstrlenW(buffer);
      if (unitLabelId && used + 1 < size) LoadUiString(context, unitLabelId, buffer + used, size - used, 1);
      return;
    }
    case kTypeString:
      if (field) GetFieldString(context, field, buffer, static_cast<std::size_t>(size));
      return;
    default:
      break;
  }
  const WORD id = field ? field->id : 0;
  if (id == fid::kdmWmKind) {
    switch (value) {
      case 1: PutWide(buffer, size, u"文字ｽﾀﾝﾌﾟ"); return;
      case 2: PutWide(buffer, size, u"ｲﾒｰｼﾞｽﾀﾝﾌﾟ"); return;
      case 3: PutWide(buffer, size, u"合成"); return;
      default: LoadUiString(context, kStringNone, buffer, size, 1); return;
    }
  }
  if (id == fid::kdmWmID) {
    const DWORD kind = ReadFieldRawById(context, fid::kdmWmKind);
    const WORD control = kind == 1 ? 2310 : kind == 2 ? 2339 : kind == 3 ? 2584 : 0;
    if (control)
      GetControlFieldString(context, control, buffer, static_cast<std::size_t>(size));
    else
      LoadUiString(context, kStringNone, buffer, size, 1);
    return;
  }
  PutNumber(buffer, size, static_cast<long>(value));
}
