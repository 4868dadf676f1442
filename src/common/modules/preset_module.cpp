// The preset module: the list operations of the printer's presets and the grey state of
// the maintenance buttons.
#include "modules/preset_module.h"

#include <initializer_list>

#include "base/dictionary_pages.h"
#include "base/driver_context.h"
#include "fields/field_access.h"
#include "base/ini_files.h"
#include "base/paths_and_names.h"
#include "field_ids.h"
#include "context/module_events.h"
#include "context/module_hooks.h"
#include "modules/module_text.h"
#include "stored/preset_list.h"

namespace {

constexpr WORD kButtonDelete = 2140;
constexpr WORD kButtonLoad = 2142;
constexpr WORD kButtonMoveBack = 2143;
constexpr WORD kButtonMoveNext = 2144;
constexpr WORD kButtonSave = 2705;
constexpr int kCompareChars = 260;
constexpr int kTextChars = 1025;

bool ListFile(DriverContext* context, const WCHAR** ini, const WCHAR** section) {
  if (!context || !context->work) return false;
  *ini = GetUserIniPath(context);
  *section = GetPrinterSectionName(context);
  return *ini && (*ini)[0] && *section;
}

void ReadPresetText(DriverContext* context, int n, int kind, WCHAR* text, DWORD size) {
  text[0] = 0;
  const WCHAR *ini, *section;
  if (!ListFile(context, &ini, &section)) return;
  WCHAR key[kPresetKeyChars];
  MakePresetKey(key, n, kind);
  ReadIniString(section, key, u"", text, size, ini);
}

void WritePresetText(DriverContext* context, int n, int kind, const WCHAR* text) {
  const WCHAR *ini, *section;
  if (!ListFile(context, &ini, &section)) return;
  WCHAR key[kPresetKeyChars];
  MakePresetKey(key, n, kind);
  WriteIniString(section, key, text, ini);
}

}  // namespace

int FindPresetByName(DriverContext* context, const WCHAR* name, int preferred) {
  const int count = GetPresetCount(context);
  int first = -1;
  WCHAR entry[kCompareChars];
  for (int i = 0; i < count; ++i) {
    ReadPresetText(context, i, PRESET_KEY_NAME, entry, kCompareChars);
    if (!WideEquals(entry, name)) continue;
    if (i == preferred) return i;
    if (first < 0) first = i;
  }
  return first;
}

int FindDuplicatePresetName(DriverContext* context) {
  const int count = GetPresetCount(context);
  WCHAR a[kCompareChars], b[kCompareChars];
  for (int i = 0; i < count; ++i) {
    ReadPresetText(context, i, PRESET_KEY_NAME, a, kCompareChars);
    for (int j = i + 1; j < count; ++j) {
      ReadPresetText(context, j, PRESET_KEY_NAME, b, kCompareChars);
      if (WideEquals(a, b)) return j;
    }
  }
  return -1;
}

void SwapPresetEntries(DriverContext* context, int i, int j) {
  const int count = GetPresetCount(context);
  if (i < 0 || j < 0 || i >= count || j >= count || i == j) return;
  WCHAR a[kTextChars], b[kTextChars];
  for (int kind : {PRESET_KEY_FILE, PRESET_KEY_NAME, PRESET_KEY_COMMENT}) {
    ReadPresetText(context, i, kind, a, kTextChars);
    ReadPresetText(context, j, kind, b, kTextChars);
    WritePresetText(context, i, kind, b);
    WritePresetText(context, j, kind, a);
  }
  UpdatePresetChangeCache(context, nullptr, PCC_FREE);
}

int DeletePresetEntry(DriverContext* context, int n) {
  const int count = GetPresetCount(context);
  // Entry 0 is the printer's first preset and stays.
  if (n <= 0 || n >= count) return -1;
  for (int j = n; j + 1 < count; ++j) SwapPresetEntries(context, j, j + 1);
  for (int kind : {PRESET_KEY_FILE, PRESET_KEY_NAME, PRESET_KEY_COMMENT})
    WritePresetText(context, count - 1, kind, u"");
  const WCHAR *ini, *section;
  if (ListFile(context, &ini, &section)) {
    WCHAR text[16];
    FormatWide(text, 16, "%d", count - 1);
    WriteIniString(section, u"Count", text, ini);
  }
  UpdatePresetChangeCache(context, nullptr, PCC_FREE);
  return n < count - 2 ? n : count - 2;
}

void ReadPresetListText(DriverContext* context, int n, int which, WCHAR* out) {
  if (!out) return;
  ReadPresetText(context, n, which == 1 ? PRESET_KEY_NAME : PRESET_KEY_COMMENT, out, kTextChars);
}

std::int32_t PresetModuleItem(DriverContext*, WORD, void*) { return 0; }

// PENDING: the preset module's own page handlers answer the preset pages' control messages
// here (pages 1001, 1007, 1032 and the preset controls of the document pages; page 1007's
// REFRESH re-registers the package's presets through InstallDefaultPresets with IDP_ASK);
// until they come every message goes on to the control kinds.
std::int32_t PresetModuleMessage(DriverContext*, PageRecord*, ControlRecord*, DWORD, WPARAM, LPARAM, void*) {
  return 0;
}

// Event 3: the grey state of the five maintenance buttons, from the selected entry r (the
// raw value of the maintenance list's field) and the number of presets c.
std::int32_t PresetModuleEvent(DriverContext* context, DWORD event, void* block, void*) {
  if (event != MODEV_GREY_STATE || !context || !block) return 0;
  auto* b = static_cast<GreyStateEventBlock*>(block);
  if (!b->control) return 0;
  const WORD id = b->control->controlId;
  if (id != kButtonDelete && id != kButtonLoad && id != kButtonMoveBack && id != kButtonMoveNext &&
      id != kButtonSave)
    return 0;
  const auto r = static_cast<std::int16_t>(ReadFieldRawById(context, fid::KPD_IDC_MAINTENANCE_ICONLIST));
  const int c = GetPresetCount(context);
  bool grey = false;
  switch (id) {
    case kButtonMoveBack: grey = !(1 < r && r < c); break;
    case kButtonMoveNext: grey = !(0 < r && r < c - 1); break;
    case kButtonDelete: grey = !(0 < r && r < c); break;
    case kButtonLoad: grey = c > 15; break;
    default: grey = r < 0; break;
  }
  AnswerGreyState(b, grey);
  return 1;
}
