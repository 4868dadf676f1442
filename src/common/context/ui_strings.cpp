#include "base/ui_strings.h"

#include <cstdio>

#include "base/deliverable.h"
#include "context/display_text.h"
#include "base/driver_context.h"
#include "fields/field_access.h"
#include "fields/field_table.h"
#include "fields/locale_text.h"
#include "model/module_dispatch.h"
#include "stored/module_services.h"
#include "base/paths_and_names.h"
#include "fields/product_record.h"
#include "model/units.h"
#include "model/free_size_list.h"
#include "win/kernel.h"
#include "win/loader.h"
#include "win/resources.h"

namespace {

constexpr int kRows = 79;

struct TableBuilder {
  UiStringCompletionRow rows[kRows + 1] = {};
  int n = 0;
  constexpr void Add(DWORD id, WORD field, DWORD kind) { rows[n++] = UiStringCompletionRow{id, field, 0, kind}; }
  constexpr TableBuilder() {
    constexpr DWORD runs[3] = {29, 813, 50017};
    for (int r = 0; r < 3; ++r)
      for (WORD i = 0; i < 9; ++i) Add(runs[r] + i, static_cast<WORD>(1453 + i), UIS_TRAY_NAME);
    for (DWORD id = 109; id <= 118; ++id) Add(id, 0, UIS_PAPER_SIZE);
    Add(752, 0, UIS_PAPER_SIZE);
    Add(13379, 0, UIS_PAPER_SIZE);
    Add(753, 0, UIS_PAPER_SIZE);
    Add(13383, 0, UIS_PAPER_SIZE);
    Add(153, 0, UIS_UNIT_NAME);
    Add(154, 0, UIS_UNIT_NAME);
    for (DWORD id = 565; id <= 580; ++id) Add(id, 0, UIS_MODULE);
    for (DWORD id = 13273; id <= 13276; ++id) Add(id, 0, UIS_RANGE);
    for (DWORD id = 13708; id <= 13723; ++id) Add(id, 0, UIS_CUSTOM_MEDIA);
    rows[n] = UiStringCompletionRow{0, 0, 0, 0};
  }
};

constexpr TableBuilder kTable;
static_assert(kTable.n == kRows, "the completion table has 79 rows");

constexpr WORD kStringMillimetre = 153;
constexpr WORD kStringInch = 154;

void Append(WCHAR* buffer, int size, const WCHAR* text) {
  int n = lstrlenW(buffer);
  for (int i = 0; text[i] && n + 1 < size; ++i) buffer[n++] = text[i];
  buffer[n] = 0;
}

void AppendAscii(WCHAR* buffer, int size, const char* text) {
  int n = lstrlenW(buffer);
  for (int i = 0; text[i] && n + 1 < size; ++i) buffer[n++] = static_cast<WCHAR>(static_cast<unsigned char>(text[i]));
  buffer[n] = 0;
}

void LoadUnitName(DriverContext* context, WCHAR* unit) {
  LoadUiString(context, IsMetricUnits(context) ? kStringMillimetre : kStringInch, unit, 16, 0);
}

// "(w x l" in the user's unit, the unit name and ")".
void AppendPaperSize(DriverContext* context, WCHAR* buffer, int size, int width, int length) {
  const long w = ToUserUnits(context, 0, width), l = ToUserUnits(context, 0, length);
  char text[64];
  if (IsMetricUnits(context))
    std::snprintf(text, sizeof text, "(%ld.%01d x %ld.%01d", w / 10, static_cast<int>(w % 10), l / 10,
                  static_cast<int>(l % 10));
  else
    std::snprintf(text, sizeof text, "(%ld.%02d x %ld.%02d", w / 100, static_cast<int>(w % 100), l / 100,
                  static_cast<int>(l % 100));
  AppendAscii(buffer, size, text);
  WCHAR unit[16] = {};
  LoadUnitName(context, unit);
  Append(buffer, size, unit);
  Append(buffer, size, u")");
  if (UsesDecimalComma(context)) ReplaceDecimalPoint(buffer);
}

// The settings API hands paper names out in 8-bit slots: the text is cut so that its ANSI
// form (at most 256 bytes) has fewer bytes than the caller's limit, never inside a
// double-byte character (lead bytes 0x81-0x9F and 0xE0-0xFC).
void FitAnsiLimit(WCHAR* buffer, int size) {
  char ansi[257];
  WideToAnsi(ansi, buffer, static_cast<int>(sizeof ansi));
  ansi[256] = 0;
  int end = 0;
  while (ansi[end]) {
    const auto b = static_cast<unsigned char>(ansi[end]);
    const int step = ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)) ? 2 : 1;
    if (end + step > size - 1 || (step == 2 && !ansi[end + 1])) break;
    end += step;
  }
  ansi[end] = 0;
  AnsiToWide(buffer, ansi, size);
}

// The paper-name and unit text of a free size or of a custom paper size.
void FormatPaperNameText(DriverContext* context, DWORD id, WCHAR* buffer, int size) {
  int width = 0, length = 0;
  if (id >= 109 && id <= 118) {
    WCHAR name[65] = {};
    DWORD paperField = 0, feedField = 0;
    if (!GetFreeSizeEntry(context, static_cast<int>(id - 109), name, 65, &width, &length, &paperField, &feedField))
      return;
    // The last argument of FindCustomPaperEntry asks for the length range (1) or the
    // width range (0).
    int maximum = 0, minimum = 0;
    if (FindCustomPaperEntry(context, paperField, feedField, &maximum, &minimum, 0)) {
      if (width > maximum) width = maximum;
      if (width < minimum) width = minimum;
    }
    if (FindCustomPaperEntry(context, paperField, feedField, &maximum, &minimum, 1)) {
      if (length > maximum) length = maximum;
      if (length < minimum) length = minimum;
    }
    buffer[0] = 0;
    Append(buffer, size, name);
  } else {
    const bool first = id == 752 || id == 13379;
    width = static_cast<int>(GetFieldValueById(context, first ? 340 : 344));
    length = static_cast<int>(GetFieldValueById(context, first ? 341 : 345));
  }
  AppendPaperSize(context, buffer, size, width, length);
  if (IsSettingsApiBuild()) FitAnsiLimit(buffer, size);
}

// The format with its first two text placeholders ("%s" or "%ls") filled in order.
void FillTwoTexts(WCHAR* buffer, int size, const WCHAR* format, const WCHAR* a, const WCHAR* b) {
  buffer[0] = 0;
  int n = 0, used = 0;
  for (int i = 0; format[i] && n + 1 < size; ++i) {
    if (format[i] == u'%' && used < 2) {
      int skip = 0;
      if (format[i + 1] == u's') skip = 1;
      else if (format[i + 1] == u'l' && format[i + 2] == u's') skip = 2;
      if (skip) {
        buffer[n] = 0;
        Append(buffer, size, used == 0 ? a : b);
        n = lstrlenW(buffer);
        ++used;
        i += skip;
        continue;
      }
    }
    buffer[n++] = format[i];
    buffer[n] = 0;
  }
  buffer[n] = 0;
}

void FormatLimit(DriverContext* context, WCHAR* text, int value) {
  const bool metric = IsMetricUnits(context) != FALSE;
  FormatScaledNumber(text, metric ? 10 : 100, value, context);
  if (metric) {
    const int n = lstrlenW(text);
    if (n >= 2 && text[n - 2] == u'.' && text[n - 1] == u'0') text[n - 2] = 0;
  }
}

void CompleteRange(DriverContext* context, DWORD id, WCHAR* buffer, int size) {
  WCHAR format[512];
  int i = 0;
  for (; buffer[i] && i < 511; ++i) format[i] = buffer[i];
  format[i] = 0;
  const bool metric = IsMetricUnits(context) != FALSE;
  WCHAR low[kScaledNumberChars] = {}, high[kScaledNumberChars] = {};
  WORD a = 0, b = 0;
  if (context->pageId == 1017) {
    a = 918;
    b = 919;
  } else if (context->pageId == 1041) {
    const bool first = ReadFieldRawById(context, 1019) == 1;
    a = first ? 342 : 346;
    b = first ? 343 : 347;
  }
  if (!a) {
    FillTwoTexts(buffer, size, format, metric ? u"0.0" : u"0.00", metric ? u"0.0" : u"0.00");
    return;
  }
  int maximum = 0, minimum = 0;
  // 13273 and 13274 show the width range, 13275 and 13276 the length range.
  FindCustomPaperEntry(context, GetFieldValueById(context, a), GetFieldValueById(context, b), &maximum, &minimum,
                       id <= 13274 ? 0 : 1);
  FormatLimit(context, low, ToUserUnits(context, 0, minimum));
  FormatLimit(context, high, ToUserUnits(context, 0, maximum));
  FillTwoTexts(buffer, size, format, low, high);
}

void CompleteCustomMedia(DriverContext* context, DWORD id, WCHAR* buffer, int size) {
  if (!IsModelMaskSet(context, 1)) return;
  const CustomMediaIdRow* rows = GetCustomMediaIdTable();
  const DWORD n = id - 13708;
  if (!rows || n >= 16) return;
  SettingField* field = FindFieldById(context, rows[n].nameFieldId);
  if (!field) return;
  WCHAR name[257] = {};
  GetFieldString(context, field, name, 257);
  if (!name[0]) return;
  buffer[0] = 0;
  Append(buffer, size, name);
}

HMODULE LoadModule(HMODULE* slot, const WCHAR* path) {
  if (*slot) return *slot;
  if (!path || !path[0]) return nullptr;
  *slot = LoadLibraryW(path);
  return *slot;
}

}  // namespace

const UiStringCompletionRow* GetUiStringCompletionTable() { return kTable.rows; }

HMODULE GetUiResourceModule(DriverContext* context) {
  if (!context) return nullptr;
  if (context->uiModule) return context->uiModule;
  return LoadModule(&context->uiModule, GetUiResourcePath(context));
}

HMODULE GetNeutralResourceModule(DriverContext* context) {
  if (!context) return nullptr;
  if (context->neutralModule) return context->neutralModule;
  return LoadModule(&context->neutralModule, GetNeutralResourcePath(context));
}

void FreeResourceModules(DriverContext* context) {
  if (!context) return;
  if (context->uiModule) FreeLibrary(context->uiModule);
  if (context->neutralModule) FreeLibrary(context->neutralModule);
  context->uiModule = nullptr;
  context->neutralModule = nullptr;
}

int LoadUiString(DriverContext* context, DWORD stringId, WCHAR* buffer, int size, int complete) {
  if (!buffer || size <= 0) return 0;
  buffer[0] = 0;
  HMODULE module = GetUiResourceModule(context);
  if (!module) return 0;
  const int n = LoadStringW(module, stringId, buffer, size);
  if (complete) CompleteUiString(context, stringId, buffer, size);
  return n;
}

void CompleteUiString(DriverContext* context, DWORD stringId, WCHAR* buffer, int size) {
  if (!context || !buffer || size <= 0) return;
  const UiStringCompletionRow* row = kTable.rows;
  while (row->stringId && row->stringId != stringId) ++row;
  if (!row->stringId) return;
  switch (row->kind) {
    case UIS_TRAY_NAME: {
      Append(buffer, size, u":");
      SettingField* field = FindFieldById(context, row->fieldId);
      const int used = lstrlenW(buffer);
      if (field && used + 1 < size) GetFieldString(context, field, buffer + used, static_cast<std::size_t>(size - used));
      return;
    }
    case UIS_PAPER_SIZE:
      FormatPaperNameText(context, stringId, buffer, size);
      return;
    case UIS_UNIT_NAME: {
      WCHAR unit[16] = {};
      LoadUnitName(context, unit);
      buffer[0] = 0;
      Append(buffer, size, unit);
      return;
    }
    case UIS_MODULE: {
      UiStringEventBlock block{stringId, buffer, size};
      NotifyModules(context, MODEV_UI_STRING, &block);
      return;
    }
    case UIS_RANGE:
      CompleteRange(context, stringId, buffer, size);
      return;
    case UIS_CUSTOM_MEDIA:
      CompleteCustomMedia(context, stringId, buffer, size);
      return;
    default:
      return;
  }
}
