// The custom paper module: the size limits of the custom paper tables, the inch copies of
// the custom size, and built-in functions 200-205.
#include <cstdint>

#include "fields/change_flags.h"
#include "base/dictionary_pages.h"
#include "base/driver_context.h"
#include "fields/field_access.h"
#include "fields/field_table.h"
#include "fields/locale_text.h"
#include "stored/module_services.h"
#include "base/system_checks.h"
#include "model/units.h"
#include "field_ids.h"
#include "model/custom_paper_ranges.h"
#include "context/module_events.h"
#include "context/module_hooks.h"
#include "model/free_size_list.h"
#include "model/field_checks.h"
#include "model/option_lookup.h"
#include "model/paper_map.h"
#include "modules/custom_paper_module.h"

namespace {

// Public DEVMODEW members of the custom paper (signed 16 bits; lengths in 0.1 mm).
constexpr DWORD kDmPaperSizePos = 78;
constexpr DWORD kDmPaperLengthPos = 80;
constexpr DWORD kDmPaperWidthPos = 82;
constexpr int kUserDefinedPaper = 256;
constexpr WORD kFreeSizePage = 1017;
constexpr WORD kInputPage = 1041;
constexpr int kFreeSizeCount = 10;

// Size controls of the two pages.
constexpr WORD kFreeSizeLength[] = {2220, 2221, 2392, 2393, 2400, 2401};
constexpr WORD kFreeSizeWidth[] = {2224, 2225, 2394, 2395, 2398, 2399};
constexpr WORD kLengthEdits[] = {2682, 2683, 2684};
constexpr WORD kLengthSpins[] = {2685, 2686, 2687};
constexpr WORD kWidthEdits[] = {2689, 2690, 2691};
constexpr WORD kWidthSpins[] = {2692, 2693, 2694};
constexpr WORD kInchDisplayEdits[] = {2220, 2224, 2392, 2394, 2398, 2400, 2682, 2683, 2684, 2689, 2690, 2691};

template <std::size_t N>
bool In(const WORD (&ids)[N], WORD id) {
  for (WORD x : ids)
    if (x == id) return true;
  return false;
}

int GetS16(const BYTE* p) { return static_cast<std::int16_t>(static_cast<WORD>(p[0] | (p[1] << 8))); }
void PutS16(BYTE* p, DWORD v) {
  p[0] = static_cast<BYTE>(v & 0xFF);
  p[1] = static_cast<BYTE>((v >> 8) & 0xFF);
}

bool InchModeOfDevmode(DriverContext* context, const BYTE* devmode) {
  return GetS16(devmode + kDmPaperSizePos) == kUserDefinedPaper && !IsMetricUnits(context) &&
         ReadFieldRawById(context, fid::wdmInputFreeSizeType) == 1;
}

DWORD ToHundredthInch(int tenthMm) {
  return tenthMm <= 0 ? 0 : TenthMmToHundredthInch(static_cast<DWORD>(tenthMm));
}

const CustomPaperLimitRow* TableOf(DriverContext* context) {
  const DWORD mask = context && context->work ? context->work->specialModelMask : 0;
  if (mask)
    for (const CustomPaperModelTable* m = GetCustomPaperModelTables(); m->table; ++m)
      if (m->mask & mask) return m->table;
  return GetDefaultCustomPaperTable();
}

// Which inch field an edit or spin of page 1041 stands for; 0 for other controls.
WORD InchFieldOf(WORD id, bool spins) {
  if (spins ? In(kLengthSpins, id) : In(kLengthEdits, id)) return fid::kdmPaperINCHLength;
  if (spins ? In(kWidthSpins, id) : In(kWidthEdits, id)) return fid::kdmPaperINCHWidth;
  return 0;
}

// The first of the controls that the page has and does not hide.
ControlRecord* VisibleControl(DriverContext* context, PageRecord* page, const WORD (&ids)[3]) {
  for (WORD id : ids) {
    ControlRecord* c = FindControlById(context, page, id);
    if (c && (c->state & 0x3) == 0) return c;
  }
  return nullptr;
}

// The inch copy of a size within its edit's limits on the input page (whichever page is
// open): the upper limit only while the 1200-dpi size is within the option's maximum, the
// lower only while it is within its minimum.
void ClampOne(DriverContext* context, ControlRecord* control, WORD sizeField, WORD inchField) {
  int minimum = 0, maximum = 0;
  GetControlLimitsInUserUnits(context, kInputPage, control, &minimum, &maximum);
  std::int32_t optionMin = 0, optionMax = 0;
  const bool bounds = GetNumericBounds(FindOptionByItemId(control->itemId, context), &optionMin, &optionMax);
  const auto dots = static_cast<std::int32_t>(ReadFieldRawById(context, sizeField));
  int v = ToUserUnits(context, sizeField, 0);
  if (maximum > 0 && v > maximum && (!bounds || dots <= optionMax)) v = maximum;
  if (v < minimum && (!bounds || dots >= optionMin)) v = minimum;
  if (ReadFieldRawById(context, inchField) != static_cast<DWORD>(v)) WriteFieldRawById(context, inchField, static_cast<DWORD>(v));
}

// The ten free sizes' settings fields (wdmFreeSize1Width ...) from the work area's records.
void LoadFreeSizeFeatures(DriverContext* context) {
  if (!context->work) return;
  for (int i = 0; i < kFreeSizeCount; ++i) {
    const FreeSizeRecord& r = context->work->freeSizes[i];
    const WORD first = static_cast<WORD>(fid::wdmFreeSize1Width + 4 * i);
    WriteFieldRawById(context, first, r.width);
    WriteFieldRawById(context, static_cast<WORD>(first + 1), r.length);
    WriteFieldRawById(context, static_cast<WORD>(first + 2), r.tray);
    WriteFieldRawById(context, static_cast<WORD>(first + 3), r.orientation);
  }
}

void BindInputPage(DriverContext* context, bool print) {
  PageRecord* page = FindPageById(context, kInputPage);
  if (!page) return;
  auto bind = [&](WORD control, WORD field) {
    ControlRecord* c = FindControlById(context, page, control);
    SettingField* f = FindFieldById(context, field);
    if (c && f) c->field = f;
  };
  const WORD length = print ? fid::kdmPrintFreeSizeLength : fid::kdmPaperFreeSizeLength;
  const WORD width = print ? fid::kdmPrintFreeSizeWidth : fid::kdmPaperFreeSizeWidth;
  for (WORD id = 2682; id <= 2687; ++id) bind(id, length);
  for (WORD id = 2689; id <= 2694; ++id) bind(id, width);
  bind(2697, print ? fid::kdmPrintFreeSizeTray : fid::kdmPaperFreeSizeTray);
  bind(2701, print ? fid::kdmPrintFreeSizeOrient : fid::kdmPaperFreeSizeOrient);
  bind(2702, print ? fid::kdmPrintFreeSizeOrient : fid::kdmPaperFreeSizeOrient);
  bind(3073, print ? fid::wdmPrintFreeSizeOrient2 : fid::wdmPaperFreeSizeOrient2);
  bind(3074, print ? fid::wdmPrintFreeSizeOrient2 : fid::wdmPaperFreeSizeOrient2);
}

// Swaps the two fields when the length is below the width; true when it did.
bool OrderPair(DriverContext* context, WORD length, WORD width) {
  const DWORD l = ReadFieldRawById(context, length), w = ReadFieldRawById(context, width);
  if (l >= w) return false;
  WriteFieldRawById(context, length, w);
  WriteFieldRawById(context, width, l);
  return true;
}

DWORD& CurrentFreeSize(DriverContext* context) { return context->work->freeSizeEditing; }

void SelectFreeSizeOf(DriverContext* context, WORD paperField) {
  const DWORD paper = ReadFieldRawById(context, paperField);
  if (paper < 384 || paper > 393) return;
  const int n = FreeSizeIndexFromPaperId(paper, context);
  if (n < 0 || n >= kFreeSizeCount) return;
  CurrentFreeSize(context) = static_cast<DWORD>(n);
  ReadFreeSize(context, n);
  const WORD tray = context->work->freeSizes[n].tray;
  if (tray) WriteFieldRawById(context, fid::dmDefaultSource, tray);
}

}  // namespace

bool InchModeActive(DriverContext* context) {
  return ReadFieldRawById(context, fid::dmPaperSize) == kUserDefinedPaper && !IsMetricUnits(context) &&
         ReadFieldRawById(context, fid::wdmInputFreeSizeType) == 1;
}

bool MillimetreModeActive(DriverContext* context) {
  return ReadFieldRawById(context, fid::dmPaperSize) == kUserDefinedPaper && IsMetricUnits(context) &&
         ReadFieldRawById(context, fid::wdmInputFreeSizeType) == 1;
}

void StoreEditedFreeSize(DriverContext* context) {
  if (!context || !context->work) return;
  const DWORD n = CurrentFreeSize(context);
  if (n >= static_cast<DWORD>(kFreeSizeCount)) return;
  FeaturesToFreeSizeRecord(context, static_cast<int>(n));
  WriteFreeSizeSection(context, static_cast<int>(n));
}

ControlRecord* VisibleSizeEdit(DriverContext* context, bool length) {
  PageRecord* page = FindPageById(context, kInputPage);
  return page ? VisibleControl(context, page, length ? kLengthEdits : kWidthEdits) : nullptr;
}

int FindCustomPaperEntry(DriverContext* context, DWORD tray, DWORD orientation, int* maximum, int* minimum,
                         std::int32_t length) {
  if (maximum) *maximum = 0;
  if (minimum) *minimum = 0;
  if (!context || !maximum || !minimum) return 0;
  const WORD platform = IsWin9x() ? kPaperPlatform9x : kPaperPlatformNt;
  const bool metric = IsMetricUnits(context) != FALSE;
  for (const CustomPaperLimitRow* r = TableOf(context); r->tray; ++r) {
    if (r->tray != tray || r->orientation != orientation) continue;
    if (r->platform != kPaperPlatformBoth && r->platform != platform) continue;
    DWORD hi, lo;
    if (length) {
      hi = metric ? r->lengthMaxMm : r->lengthMaxInch;
      lo = metric ? r->lengthMinMm : r->lengthMinInch;
    } else {
      hi = metric ? r->widthMaxMm : r->widthMaxInch;
      lo = metric ? r->widthMinMm : r->widthMinInch;
    }
    // Inward to values the display unit shows.
    const int kind = metric ? kUnitTenthMm : kUnitHundredthInch;
    int m = static_cast<int>(hi), n = static_cast<int>(lo);
    int u = DotsToUserUnits(kind, m, 1200);
    if (UserUnitsToDots(kind, u, 1200) > m) m = UserUnitsToDots(kind, u - 1, 1200);
    u = DotsToUserUnits(kind, n, 1200);
    if (UserUnitsToDots(kind, u, 1200) < n) n = UserUnitsToDots(kind, u + 1, 1200);
    *maximum = m;
    *minimum = n;
    return 1;
  }
  return 0;
}

int GetCustomPaperLimitsForPage(DriverContext* context, WORD pageId, ControlRecord* control, int* maximum,
                                int* minimum) {
  if (!context || !control) return 0;
  const WORD id = control->controlId;
  bool length;
  if (pageId == kFreeSizePage && (In(kFreeSizeLength, id) || In(kFreeSizeWidth, id))) {
    length = In(kFreeSizeLength, id);
  } else if (pageId == kInputPage && (InchFieldOf(id, false) || InchFieldOf(id, true))) {
    length = InchFieldOf(id, false) == fid::kdmPaperINCHLength || InchFieldOf(id, true) == fid::kdmPaperINCHLength;
  } else {
    return 0;
  }
  WORD tray, orient;
  if (pageId == kFreeSizePage) {
    tray = fid::wdmFreeSizeTray;
    orient = fid::wdmFreeSizeOrient;
  } else if (ReadFieldRawById(context, fid::wdmInputFreeSizeType) == 1) {
    tray = fid::kdmPaperFreeSizeTray;
    orient = fid::kdmPaperFreeSizeOrient;
  } else {
    tray = fid::kdmPrintFreeSizeTray;
    orient = fid::kdmPrintFreeSizeOrient;
  }
  return FindCustomPaperEntry(context, ReadFieldRawById(context, tray), ReadFieldRawById(context, orient), maximum,
                              minimum, length ? 1 : 0);
}

int GetCustomPaperSizeValues(DriverContext* context, ControlRecord* control, int* maximum, int* minimum) {
  if (!context) return 0;
  return GetCustomPaperLimitsForPage(context, context->pageId, control, maximum, minimum);
}

void ClampInchPaperSize(DriverContext* context) {
  PageRecord* page = FindPageById(context, kInputPage);
  if (!page) return;
  ControlRecord* length = VisibleControl(context, page, kLengthEdits);
  ControlRecord* width = VisibleControl(context, page, kWidthEdits);
  if (!length || !width) return;
  ClampOne(context, length, fid::kdmPaperFreeSizeLength, fid::kdmPaperINCHLength);
  ClampOne(context, width, fid::kdmPaperFreeSizeWidth, fid::kdmPaperINCHWidth);
}

std::int32_t CustomPaperModuleItem(DriverContext* context, WORD number, void*) {
  if (!context || !context->work) return 0;
  switch (number) {
    case 200: BindInputPage(context, false); break;
    case 201: BindInputPage(context, true); break;
    case 202:
      if (OrderPair(context, fid::wdmFreeSizeLength, fid::wdmFreeSizeWidth)) StoreEditedFreeSize(context);
      OrderPair(context, fid::kdmPaperFreeSizeLength, fid::kdmPaperFreeSizeWidth);
      OrderPair(context, fid::kdmPrintFreeSizeLength, fid::kdmPrintFreeSizeWidth);
      if (InchModeActive(context)) OrderPair(context, fid::kdmPaperINCHLength, fid::kdmPaperINCHWidth);
      break;
    case 203: SelectFreeSizeOf(context, fid::dmPaperSize); break;
    case 204: SelectFreeSizeOf(context, fid::kdmOutPaperSize); break;
    case 205: StoreEditedFreeSize(context); break;
    default: return 0;
  }
  return 1;
}

std::int32_t CustomPaperModuleEvent(DriverContext* context, DWORD event, void* block, void*) {
  if (!context) return 0;
  switch (event) {
    case MODEV_EDIT_SHOW:
    case MODEV_EDIT_SHOW2:
    case MODEV_EDIT_TYPED:
    case MODEV_EDIT_COMMIT:
    case MODEV_EDIT_SUBCLASS:
    case MODEV_SPIN_STEP: {
      auto* b = static_cast<ControlValueEventBlock*>(block);
      if (!b || !b->control || !InchModeActive(context)) return 1;
      const WORD field = InchFieldOf(b->control->controlId, event == MODEV_SPIN_STEP);
      if (!field) return 1;
      if (event == MODEV_EDIT_SHOW || event == MODEV_EDIT_SHOW2) {
        b->value = static_cast<std::int32_t>(ReadFieldRawById(context, field));
      } else if (event == MODEV_EDIT_COMMIT || event == MODEV_EDIT_SUBCLASS) {
        const int v = b->value < 0 ? 0 : DotsToUserUnits(kUnitHundredthInch, b->value, 1200);
        WriteFieldRawById(context, field, static_cast<DWORD>(v));
      } else {
        WriteFieldRawById(context, field, static_cast<DWORD>(b->value < 0 ? 0 : b->value));
      }
      return 1;
    }
    case MODEV_CHANGE_REFUSED:
      if (InchModeActive(context)) ClampInchPaperSize(context);
      return 1;
    case MODEV_INCH_PAPER_IN:
    case MODEV_INCH_PAPER_OUT: {
      auto* b = static_cast<DevmodeEventBlock*>(block);
      if (!b || !b->devmode || !InchModeOfDevmode(context, b->devmode)) return 1;
      if (event == MODEV_INCH_PAPER_IN) {
        WriteFieldRawById(context, fid::kdmPaperINCHLength, ToHundredthInch(GetS16(b->devmode + kDmPaperLengthPos)));
        WriteFieldRawById(context, fid::kdmPaperINCHWidth, ToHundredthInch(GetS16(b->devmode + kDmPaperWidthPos)));
        return 1;
      }
      PutS16(b->devmode + kDmPaperLengthPos, HundredthInchToTenthMm(ReadFieldRawById(context, fid::kdmPaperINCHLength)));
      PutS16(b->devmode + kDmPaperWidthPos, HundredthInchToTenthMm(ReadFieldRawById(context, fid::kdmPaperINCHWidth)));
      b->handled = 1;
      return 1;
    }
    case MODEV_SPIN_RANGE: {
      auto* b = static_cast<SpinRangeEventBlock*>(block);
      int maximum = 0, minimum = 0;
      if (b && GetCustomPaperSizeValues(context, b->control, &maximum, &minimum)) {
        b->maximum = maximum;
        b->minimum = minimum;
        b->answered = 1;
      }
      return 1;
    }
    case MODEV_FOLLOW_UP_PAGE: {
      auto* b = static_cast<FollowUpEventBlock*>(block);
      if (!b || !b->page || b->page->pageId != kFreeSizePage || !b->confirmed) return 1;
      LoadFreeSizeFeatures(context);
      const WORD control = b->control ? b->control->controlId : 0;
      if (control == 2017) ApplyPaperChange(context, 3);
      else if (control == 2023 || control == 2053) ApplyPaperChange(context, 4);
      return 1;
    }
    case MODEV_INCH_DISPLAY: {
      auto* b = static_cast<ControlValueEventBlock*>(block);
      if (b && b->control && In(kInchDisplayEdits, b->control->controlId)) b->value = 1;
      return 1;
    }
    default: return 0;
  }
}
