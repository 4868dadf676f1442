// Wiring and binding of a context's page and control tables.
#include "context/page_binding.h"

#include <cstdio>
#include <cstring>
#include <mutex>

#include "fields/change_flags.h"
#include "base/driver_context.h"
#include "fields/field_access.h"
#include "fields/field_table.h"
#include "base/ini_files.h"
#include "fields/locale_text.h"
#include "base/memory.h"
#include "model/module_dispatch.h"
#include "base/paths_and_names.h"
#include "stored/snapshot_ring.h"
#include "base/ui_strings.h"
#include "field_ids.h"
#include "model/option_lookup.h"
#include "context/chapter_list.h"
#include "pages/page_cursors.h"
#include "model/option_walk.h"
#include "model/free_size_list.h"
#include "stored/preset_list.h"
#include "stored/quality_list.h"
#include "stored/stamp_list.h"
#include "win/paint.h"
#include "win/window.h"

namespace {

constexpr WORD kExtraSample = 1;
constexpr WORD kExtraPreview = 8;

// {page (0 = every page), control id, flags added}.
struct FlagRow {
  WORD page;
  WORD control;
  DWORD flags;
};

constexpr FlagRow kControlFlags[] = {
    {0, 2032, 0x100000}, {0, 2041, 0x100000}, {0, 2100, 0x10000}, {0, 2102, 0x20000}, {0, 2895, 0x1000000},
    {0, 2038, CTLF_SAVE_PRESET}, {0, 2080, CTLF_SAVE_PRESET}, {0, 2097, CTLF_SAVE_PRESET},
    {0, 2115, CTLF_SAVE_PRESET}, {0, 2715, CTLF_SAVE_PRESET}, {0, 2923, CTLF_SAVE_PRESET},
    {0, 3115, CTLF_SAVE_PRESET},
    {0, 2263, CTLF_NO_UPDOWN_STEP}, {0, 2266, CTLF_NO_UPDOWN_STEP}, {0, 2269, CTLF_NO_UPDOWN_STEP},
    {0, 2272, CTLF_NO_UPDOWN_STEP}, {0, 2274, CTLF_NO_UPDOWN_STEP}, {0, 2276, CTLF_NO_UPDOWN_STEP},
    {0, 2322, CTLF_NO_UPDOWN_STEP}, {0, 2325, CTLF_NO_UPDOWN_STEP}, {0, 2328, CTLF_NO_UPDOWN_STEP},
    {0, 2344, CTLF_NO_UPDOWN_STEP}, {0, 2419, CTLF_NO_UPDOWN_STEP}, {0, 2421, CTLF_NO_UPDOWN_STEP},
    {0, 2470, CTLF_NO_UPDOWN_STEP}, {0, 2602, CTLF_NO_UPDOWN_STEP}, {0, 2649, CTLF_NO_UPDOWN_STEP},
    {0, 2935, CTLF_NO_UPDOWN_STEP}, {0, 2953, CTLF_NO_UPDOWN_STEP}, {0, 2956, CTLF_NO_UPDOWN_STEP},
    {0, 2965, CTLF_NO_UPDOWN_STEP}, {0, 3031, CTLF_NO_UPDOWN_STEP}, {0, 3034, CTLF_NO_UPDOWN_STEP},
    {0, 3037, CTLF_NO_UPDOWN_STEP},
    {0, 2341, CTLF_TEXT_LIMIT_260}, {0, 2586, CTLF_TEXT_LIMIT_260},
    {0, 2243, CTLF_KEEP_BLANKS}, {0, 2423, CTLF_KEEP_BLANKS}, {0, 2532, CTLF_KEEP_BLANKS},
    {0, 2988, CTLF_KEEP_BLANKS}, {0, 2996, CTLF_KEEP_BLANKS}, {0, 2999, CTLF_KEEP_BLANKS},
    {0, 3003, CTLF_KEEP_BLANKS}, {0, 3006, CTLF_KEEP_BLANKS}, {0, 3058, CTLF_KEEP_BLANKS},
    {0, 3059, CTLF_KEEP_BLANKS}, {0, 3107, CTLF_KEEP_BLANKS}, {1039, 2667, CTLF_KEEP_BLANKS},
};

constexpr WORD kPictureListIds[] = {2085, 2087, 2100, 2102, 2895, 2941, 2457};
constexpr WORD kNoStateReinitIds[] = {2164, 2036, 2078, 2095, 2921, 3112, 2109, 2713, 2134, 2384};

// {page, control, source page, source control}: the control takes the source's item id.
struct ShareRow {
  WORD page, control, fromPage, fromControl;
};
constexpr ShareRow kSharedItems[] = {
    {1003, 2078, 1002, 2036}, {1004, 2095, 1002, 2036}, {4016, 2921, 1002, 2036}, {4030, 3112, 1002, 2036},
    {1005, 2109, 1002, 2036}, {1042, 2713, 1002, 2036}, {1001, 2408, 1007, 2145}, {1032, 2452, 1007, 2145},
    {1032, 2453, 1007, 2146}, {1033, 2455, 1021, 2281}, {4004, 2385, 4004, 2289}, {1009, 2385, 1009, 2380},
    {4004, 2384, 4004, 2290}, {1009, 2384, 1009, 2382},
};
// The preset-name edits that store into the field of 2145 (page 1007).
constexpr ShareRow kSharedNameStorage[] = {
    {1002, 2388, 1007, 2145}, {1003, 2389, 1007, 2145}, {1004, 2390, 1007, 2145}, {1005, 2391, 1007, 2145},
    {4016, 2924, 1007, 2145}, {4030, 3113, 1007, 2145}, {1042, 2733, 1007, 2145},
    {1017, 2392, 1017, 2220}, {1017, 2393, 1017, 2221}, {1017, 2394, 1017, 2224}, {1017, 2395, 1017, 2225},
};
constexpr WORD kFieldAliases[][2] = {{92, 954},   {94, 955},   {120, 956},  {121, 957},  {511, 1097},
                                     {522, 1110}, {343, 1163}, {343, 1164}, {347, 1165}, {347, 1166},
                                     {919, 1167}, {919, 1168}};

// {stored, value id}: stored -1 is "no preset" (118), n is 119 + n.
const ValueMapEntry kPresetValueMap[] = {
    {0xFFFFFFFFu, 118}, {0, 119},  {1, 120},  {2, 121},  {3, 122},  {4, 123},  {5, 124},  {6, 125},  {7, 126},
    {8, 127},           {9, 128},  {10, 129}, {11, 130}, {12, 131}, {13, 132}, {14, 133}, {15, 134}, {0, 0}};

// The shared blocks: the sample picture's {type 1, 0, 0, six field ids} and the preview
// picture's {type 8, 14 stamp field ids}. Built once per process and read-only after.
WORD g_sampleBlock[9];
WORD g_previewBlock[15];
std::once_flag g_sharedOnce;

constexpr WORD kPreviewFields[14] = {
    fid::wdmWmChar,   fid::wdmWmFontName, fid::wdmWmFontPoint, fid::wdmWmColor,   fid::wdmWmFontStyle,
    fid::wdmWmAngle,  fid::wdmWmDensity,  fid::wdmWmPosi,      fid::wdmWmOpaque,  fid::wdmWmEffect,
    fid::wdmWmFontScale, fid::wdmWmPage,  fid::kdmWmKind,      fid::kdmWmID};

void BuildSharedBlocks(DriverContext* context) {
  g_sampleBlock[0] = kExtraSample;
  // The sample picture names no control of its own: each position shows its default
  // field, kdmBrightness (138) to kdmColorBalanceB (143).
  for (int i = 0; i < 6; ++i) g_sampleBlock[3 + i] = static_cast<WORD>(138 + i);
  g_previewBlock[0] = kExtraPreview;
  for (int i = 0; i < 14; ++i) {
    // Through the field's item id, as the table names them; a field without one stays 0.
    const SettingField* field = FindFieldById(context, kPreviewFields[i]);
    const SettingField* bound =
        field && field->itemId ? FindFieldByKeyword(context, static_cast<std::int16_t>(field->itemId)) : nullptr;
    g_previewBlock[1 + i] = bound ? bound->id : 0;
  }
  g_previewBlock[2] = fid::wdmWmFontName;
}

ControlRecord* ControlOn(DriverContext* context, WORD pageId, WORD controlId) {
  PageRecord* page = FindPageById(context, pageId);
  return page ? FindControlById(context, page, controlId) : nullptr;
}

void ForEachControl(DriverContext* context, void (*fn)(DriverContext*, PageRecord&, ControlRecord&)) {
  for (int p = 0; p < context->pages.count; ++p) {
    PageRecord& page = context->pages.records[p];
    for (int i = 0; i < page.controlCount && page.controls; ++i) fn(context, page, page.controls[i]);
  }
}

template <std::size_t N>
bool In(const WORD (&ids)[N], WORD id) {
  for (WORD x : ids)
    if (x == id) return true;
  return false;
}

void WireControlFlags(DriverContext* context, PageRecord& page, ControlRecord& c) {
  for (const FlagRow& r : kControlFlags) {
    if (r.control == c.controlId && (r.page == 0 || r.page == page.pageId)) c.flags |= r.flags;
  }
  if (((page.pageId == 1025 && c.controlId == 2361) || (page.pageId == 4027 && c.controlId == 3085)) &&
      ReadFieldRawById(context, fid::KPD_kdmPropertyType) == 0)
    c.flags |= CTLF_HIDDEN_FUNCTION;
  if (c.kind == 47 && In(kPictureListIds, c.controlId)) c.flags |= CTLF_PICTURE_ITEMS;
  if (c.kind >= 42 && c.kind <= 49 && In(kNoStateReinitIds, c.controlId)) c.flags |= CTLF_NO_STATE_REINIT;
  if (page.pageId == 4031 && c.lockMessageId) c.runtimeMarks |= 1u;
}

void CopyStorage(SettingField* to, const SettingField* from, bool withType) {
  if (!to || !from) return;
  to->offset = from->offset;
  if (withType) to->type = from->type;
}

// The preset name and comment of the selected preset, from the per-printer INI.
void LoadPresetNameCache(DriverContext* context) {
  // The field holds the preset's index; its value (through the preset map) is 119 + n.
  const int n = static_cast<int>(GetFieldValueById(context, fid::kdmPresetNo)) - 119;
  if (n < 0 || n > 15) return;
  const WCHAR* ini = GetUserIniPath(context);
  const WCHAR* section = GetPrinterSectionName(context);
  if (!ini || !section) return;
  struct Target {
    int kind;
    BYTE* (*address)(DriverContext*);
    int size;
  };
  const Target targets[] = {{1, &GetPresetNameField, 37}, {2, &GetPresetCommentField, 513}};
  for (const Target& t : targets) {
    BYTE* at = t.address(context);
    if (!at) continue;
    WCHAR key[kPresetKeyChars];
    MakePresetKey(key, n, t.kind);
    WCHAR text[1025] = {};
    ReadIniString(section, key, u"", text, 1025, ini);
    WideToAnsi(reinterpret_cast<char*>(at), text, t.size);
  }
}

}  // namespace

ImageRef ControlOption(DriverContext* context, const ControlRecord* control) {
  if (!context || !control || !context->model || !control->option) return {};
  return OptionFromAddress(context->model, control->option);
}

const void* GetControlExtraData(const ControlRecord* control, WORD type) {
  if (!control || !control->extraData) return nullptr;
  WORD first;
  std::memcpy(&first, control->extraData, sizeof first);
  return first == type ? control->extraData : nullptr;
}

bool IsFilePage(const PageRecord* page) { return page && (page->flags & PGF_FILE_PAGES) != 0; }
bool IsNotFilePage(const PageRecord* page) { return !IsFilePage(page); }

const WORD* SharedSampleExtraData() { return g_sampleBlock[0] ? g_sampleBlock : nullptr; }
const WORD* SharedPreviewExtraData() { return g_previewBlock[0] ? g_previewBlock : nullptr; }

void WirePageControls(DriverContext* context) {
  if (!context || !context->pages.records) return;
  // 1. Run-time flags of the fields.
  ApplyPageFieldFlags(context);
  // 2. Control flags.
  ForEachControl(context, &WireControlFlags);
  // 3. The preset value map on kdmPresetNo and the maintenance list's field.
  SettingField* presetFields[] = {FindFieldById(context, fid::kdmPresetNo),
                                  GetControlField(context, ControlOn(context, 1007, 2139))};
  for (SettingField* f : presetFields) {
    if (f && f->side) f->side->valueMap = kPresetValueMap;
  }
  // 4. Shared items.
  for (const ShareRow& r : kSharedItems) {
    ControlRecord* to = ControlOn(context, r.page, r.control);
    const ControlRecord* from = ControlOn(context, r.fromPage, r.fromControl);
    if (to && from) to->itemId = from->itemId;
  }
  // 5. Shared storage and field aliases.
  for (const ShareRow& r : kSharedNameStorage) {
    SettingField* to = GetControlField(context, ControlOn(context, r.page, r.control));
    const SettingField* from = GetControlField(context, ControlOn(context, r.fromPage, r.fromControl));
    CopyStorage(to, from, r.page == 1017);
  }
  for (WORD id : {WORD{2145}, WORD{2146}}) {
    if (SettingField* f = GetControlField(context, ControlOn(context, 1007, id)))
      f->marks = static_cast<WORD>((f->marks & ~0xCu) | (1u << 2));
  }
  for (const auto& alias : kFieldAliases)
    CopyStorage(FindFieldById(context, alias[1]), FindFieldById(context, alias[0]), true);
  // 6. Extra data: the shared blocks are made once per process; each context only points
  // its own controls at them.
  std::call_once(g_sharedOnce, [context] { BuildSharedBlocks(context); });
  for (int p = 0; p < context->pages.count; ++p) {
    PageRecord& page = context->pages.records[p];
    for (int i = 0; i < page.controlCount && page.controls; ++i) {
      ControlRecord& c = page.controls[i];
      if (page.pageId == 1038 && c.controlId == 2249) c.extraData = g_sampleBlock;
      if (c.controlId == 2039 || (page.pageId == 1001 && c.controlId == 2001) ||
          (page.pageId == 1007 && c.controlId == 2139))
        c.extraData = g_previewBlock;
    }
  }
}

void BindPageControls(DriverContext* context, PageRecord* page) {
  if (!context || !context->work) return;
  WorkArea* work = context->work;
  // 1. The interface has started; not a user change.
  SettingField* uiStart = nullptr;
  if (ReadFieldRawById(context, fid::wdmUIStart, &uiStart) == 0 && uiStart) {
    WriteFieldRaw(context, uiStart, 1);
    SetFieldChangeMark(uiStart, 0);
  }
  // 2. The chapter list.
  if (!work->chapterEntries) {
    ChapterArray(context, nullptr);
    QueryModulesYesNo(context);
  }
  (void)page;
  // 3. Bound once per context.
  if (work->sheet.bound) return;
  // 4-5.
  WirePageControls(context);
  for (int p = 0; p < context->pages.count && context->pages.records; ++p) {
    PageRecord& pg = context->pages.records[p];
    for (int i = 0; i < pg.controlCount && pg.controls; ++i) {
      ControlRecord& c = pg.controls[i];
      c.field = FindFieldByKeyword(context, static_cast<std::int16_t>(c.itemId));
      c.option = nullptr;
      if (context->model) {
        WORD itemId = c.itemId;
        if (c.kind == 23 && c.linkedId) {
          if (const ControlRecord* buddy = FindControlById(context, &pg, c.linkedId)) itemId = buddy->itemId;
        }
        c.option = OptionRecordAddress(GetOptionNode(context, itemId));
      }
      if (c.alternateId == 0) c.alternateId = c.controlId;
    }
  }
  work->sheet.bound = 1;
  // 6.
  SetChangeFlags(context, 0);
  InitFreeSizes(context);
  // 7. The cursors, and the brushes of the dialogs (deleted with the context).
  LoadPageCursors(context);
  work->buttonFaceColour = GetSysColor(COLOR_BTNFACE);
  if (!work->faceBrush) work->faceBrush = CreateSolidBrush(work->buttonFaceColour);
  if (!work->whiteBrush) work->whiteBrush = CreateSolidBrush(0xFFFFFF);
  // 8. The preset name cache.
  LoadPresetNameCache(context);
  // 9. The stamp.
  SettingField* wmOn = nullptr;
  SettingField* wmId = nullptr;
  const DWORD on = ReadFieldRawById(context, fid::kdmFuncSelectWaterMark, &wmOn);
  const DWORD id = ReadFieldRawById(context, fid::kdmWmID, &wmId);
  if (on == 0 || static_cast<int>(id) >= GetStampCount(context)) {
    if (wmOn) WriteFieldRaw(context, wmOn, 0);
    if (wmId) WriteFieldRaw(context, wmId, 0);
  } else {
    const DWORD kind = ReadFieldRawById(context, fid::kdmWmKind);
    if (kind >= 1 && kind <= 3) {
      ApplyStamp(context, static_cast<int>(id));
      if (wmId) WriteFieldRaw(context, wmId, id);
    }
  }
  // 10. The user quality.
  if (ReadFieldRawById(context, fid::kdmUseUserMacro) == 1)
    ApplyQualityByIndex(context, static_cast<int>(ReadFieldRawById(context, fid::kdmUserPrintMacro)) - 32);
  // 11.
  SetDirtyFlag(context, 0);
  ClearAllFieldChangeMarks(context);
  // 12. Slot 0 holds the bound state.
  PushSettingsSnapshot(context);
}

void DeleteDialogBrush(void* brush) {
  if (brush) DeleteObject(static_cast<HGDIOBJ>(brush));
}
