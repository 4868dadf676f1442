// The settings summary module: the text summary of the current settings that the summary
// edits show (UpdateSummaryText), built from a summary list through the condition tables.
#include "modules/summary_module.h"

#include "base/build_switches.h"
#include "base/dictionary_pages.h"
#include "context/display_text.h"
#include "base/driver_context.h"
#include "fields/field_access.h"
#include "fields/field_table.h"
#include "base/memory.h"
#include "base/printer_data.h"
#include "base/ui_strings.h"
#include "model/units.h"
#include "field_ids.h"
#include "model/option_lookup.h"
#include "model/rule_eval.h"
#include "context/module_hooks.h"
#include "modules/module_text.h"
#include "modules/tray_tables.h"
#include "win/window.h"

namespace {

constexpr int kLineChars = 1025;
constexpr WCHAR kEtc[] = {0x30FB, 0x30FB, 0x30FB, 0x30FB, 0x30FB, u'e', u't', u'c', 0};

DWORD F(DriverContext* c, WORD id) { return ReadFieldRawById(c, id); }
bool In(WORD l, WORD a, WORD b) { return l >= a && l <= b; }

// Table 1: one field equals a value; true when the label passes.
bool FieldEquals(DriverContext* c, WORD l) {
  struct Row { WORD first, last, field; DWORD value; };
  static const Row kRows[] = {
      {1006, 1007, fid::kdmScaleType, 3}, {1008, 1008, fid::kdmScaleType, 1},
      {1010, 1011, fid::kdmFuncSelectCover, 1}, {1127, 1128, fid::kdmFuncSelectBack, 1},
      {13097, 13097, fid::kdmFuncSelectBack, 1}, {1016, 1017, fid::kdmFuncSelectMark, 1},
      {1140, 1142, fid::kdmFuncSelectReverseCover, 1}, {1020, 1020, fid::kdmFuncSelectNup, 1},
      {1037, 1042, fid::kdmFuncSelectMargin, 1}, {1045, 1046, fid::kdmFuncSelectMargin, 1},
      {1051, 1053, fid::kdmFuncSelectMargin, 1}, {13077, 13077, fid::kdmFuncSelectMargin, 1},
      {1147, 1147, fid::kdmExtOutput2SeparationSheet, 1}, {13123, 13128, fid::kdmFuncSelectPanelPriority, 0},
      {13363, 13363, fid::kdmFuncSelectPanelPriority, 0}, {13567, 13567, fid::kdmFuncSelectPanelPriority, 0},
      {13164, 13179, fid::kdmFuncSelectCopyProtect, 1}, {13379, 13381, fid::dmPaperSize, 256},
      {13383, 13385, fid::kdmOutPaperSize, 448}, {13400, 13400, fid::kdmPrnMethod, 5},
      {13386, 13386, fid::kdmPrnMethod, 2}, {13387, 13387, fid::kdmPrnMethod, 1},
      {13396, 13396, fid::kdmPrnMethod, 1}, {13391, 13392, fid::kdmPrnMethod, 3},
      {13397, 13397, fid::kdmPrnMethod, 3}, {13388, 13388, fid::kdmPrnMethod, 8},
      {13393, 13393, fid::kdmPrnMethod, 8}, {13389, 13389, fid::kdmPrnMethod, 9},
      {13394, 13394, fid::kdmPrnMethod, 9}, {13398, 13398, fid::kdmPrnMethod, 9},
      {13401, 13401, fid::kdmPrnMethod, 9}, {13390, 13390, fid::kdmPrnMethod, 10},
      {13395, 13395, fid::kdmPrnMethod, 10}, {13399, 13399, fid::kdmPrnMethod, 10},
      {13402, 13402, fid::kdmPrnMethod, 10}, {13452, 13454, fid::wdmImageFormJob, 1},
      {13657, 13658, fid::kdmFunc2SelectFolding, 1},
  };
  for (const Row& r : kRows)
    if (In(l, r.first, r.last)) return F(c, r.field) == r.value;
  return true;
}

bool Mark(DriverContext* c, DWORD kind) { return F(c, fid::kdmFuncSelectWaterMark) == 1 && F(c, fid::kdmWmKind) == kind; }

// Table 2: two fields equal.
bool TwoFieldsEqual(DriverContext* c, WORD l) {
  if (l == 1104) return F(c, fid::kdmColorMatching) == 1 && F(c, fid::kdmICMType) == 0;
  if (In(l, 1022, 1029) || l == 13075) return Mark(c, 1);
  if (l == 1034 || l == 13076) return Mark(c, 2);
  if (l == 1035 || l == 1036) return Mark(c, 3);
  if (In(l, 13287, 13289))
    return F(c, fid::kdmFuncSelectTonerSave) == 1 && F(c, fid::kdmTonerSaveDensityType) == 256;
  if (In(l, 13654, 13656)) return F(c, fid::kdmFunc2SelectFolding) == 1 && F(c, fid::kdmFoldingType) == l - 13654u + 5;
  return true;
}

// Table 3: counted per label within one build.
struct Counts {
  int n[12] = {};
};
bool Counted(DriverContext* c, WORD l, Counts& counts) {
  static const WORD kLabels[] = {1125, 1021, 1030, 1031, 1032, 1033, 1203, 243, 1113, 1043, 1044, 1201};
  int slot = -1;
  for (int i = 0; i < 12; ++i)
    if (kLabels[i] == l) slot = i;
  if (slot < 0) return true;
  const int n = counts.n[slot]++;
  switch (l) {
    case 1125: return n > 3 || (F(c, fid::kdmColorMatching) == 1 && F(c, fid::kdmICMType) == 1);
    case 1021: case 1030: case 1031: case 1032: return n > 1 || Mark(c, static_cast<DWORD>(n + 1));
    case 1033: return n > 2 || Mark(c, static_cast<DWORD>(n + 1));
    case 1203: return n > 0 || Mark(c, 1);
    case 243: return n > 3 || F(c, fid::kdmColorMatching) == 0;
    case 1113: return n > 3 || F(c, fid::kdmColorMatching) == 1;
    case 1043: case 1044: {
      static const WORD kHf[] = {fid::kdmHFFuncSelectDate, fid::kdmHFFuncSelectPage, fid::kdmHFFuncSelectString};
      return n > 2 || (F(c, fid::kdmFuncSelectMargin) == 1 && F(c, kHf[n]) == 1);
    }
    default: return n > 1 || F(c, fid::kdmFuncSelectNup) == 1;  // 1201
  }
}

// Table 4: margins with one of two shift directions.
bool ShiftDirection(DriverContext* c, WORD l) {
  if (l < 1047 || l > 1050) return true;
  static const DWORD kPairs[4][2] = {{1, 3}, {2, 4}, {1, 2}, {3, 4}};
  const DWORD d = F(c, fid::kdmShiftDir);
  return F(c, fid::kdmFuncSelectMargin) == 1 && (d == kPairs[l - 1047][0] || d == kPairs[l - 1047][1]);
}

// Table 5: the cover media line belongs to the cover whose media control shows it.
bool CoverMedia(DriverContext* c, WORD l, WORD keywordB) {
  if (l != 1145) return true;
  static const struct { WORD page, control, field; } kRows[] = {
      {1030, 2861, fid::kdmFuncSelectCover}, {1031, 2863, fid::kdmFuncSelectMark},
      {1043, 2865, fid::kdmFuncSelectBack}, {4014, 2855, fid::kdmFuncSelectReverseCover}};
  for (const auto& r : kRows) {
    PageRecord* page = FindPageById(c, r.page);
    ControlRecord* control = page ? FindControlById(c, page, r.control) : nullptr;
    if (control && control->itemId == keywordB) return F(c, r.field) == 1;
  }
  return true;
}

// Table 6: the operating-system kind (state byte 707).
bool OsKind(DriverContext* c, WORD l) {
  const DWORD k = F(c, fid::KPD_kdmOSKind);
  if (l == 1057 || l == 1148 || l == 13182) return k == 1 || k == 2;
  if (l == 1103 || l == 1104 || l == 1113 || l == 1125 || l == 13455) return k == 2 || k == 3;
  return true;
}

bool OptionEnabled(DriverContext* c, WORD l) {
  static const struct { WORD label, field; } kRows[] = {
      {1058, fid::kdmEmulation}, {13422, fid::kdmActionSecurity}, {13421, fid::kdmActionProof},
      {13423, fid::kdmActionStored}, {13420, fid::kdmActionMarge}, {13424, fid::kdmActionOverlay},
      {13425, fid::kdmActionPause}, {13426, fid::kdmActionSave}, {13427, fid::kdmActionPrintAndSave},
      {13451, fid::wdmImageFormJob}, {13460, fid::kdmBalanceMacro}};
  for (const auto& r : kRows) {
    if (r.label != l) continue;
    SettingField* field = FindFieldById(c, r.field);
    const ImageRef option = field ? GetOptionForFeature(field->itemId, c) : ImageRef{};
    if (option && IsItemDisabled(option, 0, c)) return false;
  }
  return true;
}

// Tables 9-11.
bool ToolsAndOptions(DriverContext* c, WORD l) {
  if (l == 13420 && !IsSuiteToolInstalled(2, c)) return false;
  if ((l == 13420 || l == 13423 || l == 13424) && IsBuildFeatureEnabled(8) && IsFeatureKindSupported(c, 3, 0) &&
      F(c, fid::kdmFunc2SelectTintBlockUI) != 0)
    return false;
  return OptionEnabled(c, l);
}

class Text {
 public:
  Text(WCHAR* buffer, int size) : b_(buffer), size_(size) { b_[0] = 0; }
  int Left() const { return size_ - 1 - n_; }
  // Appends what fits: a line longer than the room left is cut, never written past the end.
  void Add(const WCHAR* s) {
    for (int i = 0; s && s[i] && n_ + 1 < size_; ++i) b_[n_++] = s[i];
    b_[n_] = 0;
  }
  void Line() { Add(u"\r\n"); }

 private:
  WCHAR* b_;
  int size_;
  int n_ = 0;
};

void AddLabel(DriverContext* c, Text& t, WORD label) {
  WCHAR text[kLineChars];
  LoadUiString(c, label, text, kLineChars, 1);
  t.Add(text);
}

void AddValue(DriverContext* c, Text& t, WORD keyword) {
  WCHAR text[kLineChars];
  text[0] = 0;
  FormatFieldValueText(c, static_cast<std::int16_t>(keyword), text, kLineChars);
  t.Add(text);
}

void InstalledOptions(DriverContext* c, Text& t) {
  for (const TrayOptionRow* r = TrayOptionTable(); r->key; ++r) {
    if (!IsTrayRowOn(c, r)) continue;
    AddLabel(c, t, r->key);
    t.Line();
  }
}

void Trays(DriverContext* c, Text& t) {
  PageRecord* page = FindPageById(c, 1011);
  ControlRecord* view = page ? FindControlById(c, page, 2166) : nullptr;
  const ImageRef option = view ? FindOptionByItemId(view->itemId, c) : ImageRef{};
  if (!option) return;
  int guard = 4096;  // a crafted item list cannot loop for ever
  // The values of the view's own option (its item id names no feature of its own).
  for (ImageRef item = OptionValues(option); item && guard--; item = ItemNext(item)) {
    const WORD value = ItemValueId(item);
    if (!value || IsItemDisabled(option, value, c)) continue;
    const TrayIndexRow* row = FindTrayIndexRow(value);
    if (!row || !row->summaryString) continue;
    const int tray = row->index;
    AddLabel(c, t, row->summaryString);
    t.Line();
    AddLabel(c, t, 13446);
    if (WORD f = TrayFieldOf(tray, TrayField::Paper)) AddLabel(c, t, static_cast<WORD>(F(c, f)));
    t.Line();
    AddLabel(c, t, 13447);
    if (WORD f = TrayFieldOf(tray, TrayField::Media)) AddLabel(c, t, static_cast<WORD>(F(c, f)));
    t.Line();
    AddLabel(c, t, 13448);
    const WORD lock = TrayFieldOf(tray, TrayField::Lock);
    AddLabel(c, t, lock && F(c, lock) ? 370 : 371);
    t.Line();
  }
}

}  // namespace

const SummaryList* GetControlSummaryList(ControlRecord* control) {
  if (!control) return nullptr;
  // The edit's own type-4 block; the built-in lists are filled on first use.
  const SummaryList* builtIn = GetBuiltInSummaryList(control->controlId);
  const auto* typed = static_cast<const WORD*>(control->extraData);
  if (builtIn && typed && *typed == 4) return static_cast<const SummaryList*>(control->extraData);
  return builtIn;
}

int BuildSummaryText(DriverContext* context, ControlRecord* control, WCHAR* out, int size) {
  if (!out || size <= 0) return 0;
  out[0] = 0;
  const SummaryList* list = GetControlSummaryList(control);
  Text t(out, size);
  if (!list) {
    if (SettingField* field = GetControlField(context, control)) {
      GetFieldString(context, field, out, static_cast<std::size_t>(size));
    } else if (control && control->window) {
      GetWindowTextW(control->window, out, size);  // nothing to show but what it shows
    }
  } else {
    Counts counts;
    for (int i = 0; i < list->count; ++i) {
      const SummaryEntry& e = list->entries[i];
      const WORD l = e.label;
      if (!FieldEquals(context, l) || !TwoFieldsEqual(context, l) || !Counted(context, l, counts) ||
          !ShiftDirection(context, l) || !CoverMedia(context, l, e.keywordB) || !OsKind(context, l))
        continue;
      if (l == 13333 || l == 13334 || l == 13335) {
        // Table 7: an empty version text stands as an empty line.
        WCHAR text[kLineChars];
        text[0] = 0;
        FormatFieldValueText(context, static_cast<std::int16_t>(e.keywordB), text, kLineChars);
        if (!text[0]) {
          t.Line();
          continue;
        }
      }
      if (!ToolsAndOptions(context, l)) continue;
      if (l == 13442 || l == 13444) {
        AddLabel(context, t, l);
        t.Line();
        if (l == 13442) InstalledOptions(context, t);
        else Trays(context, t);
      } else {
        AddLabel(context, t, (l == 13440 || l == 13628) ? (UsesLetterPaperFamily(context) ? 13628 : 13440) : l);
        if (e.keywordA == 0 || GetFieldValueByKeyword(context, static_cast<std::int16_t>(e.keywordA)) == 1) {
          if (e.keywordB) AddValue(context, t, e.keywordB);
        } else {
          AddValue(context, t, e.keywordA);
        }
        if (i + 1 < list->count) t.Line();
      }
      if (t.Left() < kSummaryReserve) {
        t.Add(kEtc);
        break;
      }
    }
  }
  // A typed "\n" in the text is a line break.
  int w = 0;
  for (int r = 0; out[r]; ++r) {
    if (out[r] == u'\\' && out[r + 1] == u'n') {
      out[w++] = u'\r';
      out[w++] = u'\n';
      ++r;
      continue;
    }
    out[w++] = out[r];
  }
  out[w] = 0;
  return w;
}

void UpdateSummaryText(DriverContext* context, PageRecord*, ControlRecord* control) {
  if (!context || !control) return;
  const int size = GetControlSummaryList(control) ? kSummaryChars : kLineChars;
  auto* text = static_cast<WCHAR*>(AllocMem(static_cast<DWORD>(size) * sizeof(WCHAR)));
  if (!text) return;
  const int length = BuildSummaryText(context, control, text, size);
  auto* shown = static_cast<WCHAR*>(AllocMem(static_cast<DWORD>(size) * sizeof(WCHAR)));
  if (shown && control->window) {
    // The window text is replaced only when it differs, so a repaint does not flicker.
    const int shownLength = GetWindowTextW(control->window, shown, size);
    if (shownLength != length || !WideEquals(shown, text)) SetWindowTextW(control->window, text);
  }
  FreeMem(shown);
  FreeMem(text);
}

std::int32_t SummaryModuleItem(DriverContext*, WORD, void*) { return 0; }

// Page 1020: every repaint of edit 2248 shows the summary again; the edit's own update still
// runs (answer 0).
std::int32_t SummaryModuleMessage(DriverContext* context, PageRecord* page, ControlRecord* control, DWORD message,
                                  WPARAM, LPARAM, void*) {
  constexpr DWORD kPaint = 0x000F;
  if (page && page->pageId == 1020 && control && control->controlId == 2248 && message == kPaint)
    UpdateSummaryText(context, page, control);
  return 0;
}

std::int32_t SummaryModuleEvent(DriverContext*, DWORD, void*, void*) { return 0; }
