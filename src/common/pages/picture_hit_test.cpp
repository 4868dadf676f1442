// The pointer over the page controls: which control is hot, the hand cursor and the tip.
#include "pages/picture_hit_test.h"

#include "base/driver_context.h"
#include "fields/field_access.h"
#include "model/module_dispatch.h"
#include "model/option_lookup.h"
#include "model/option_walk.h"
#include "model/rule_eval.h"
#include "model/ui_tables.h"
#include "context/module_events.h"
#include "pages/control_kinds.h"
#include "context/page_binding.h"
#include "pages/page_cursors.h"
#include "pages/help_tips.h"
#include "pages/picture_clicks.h"
#include "win/controls.h"

namespace {

constexpr WORD kTrayPicture = 2067;
constexpr WORD kTrayPictureRight = 3203;  // measured from its right edge
constexpr WORD kPlainPicture = 2039;
constexpr WORD kNeverHotList = 2164;

bool Usable(const ControlRecord* c) { return c && !ControlHidden(c) && !ControlGreyed(c); }

// A printer picture: the source-tray hot spots, then the output ones.
bool HotspotUnder(DriverContext* context, ControlRecord* control, POINT point, POINT* tipAt) {
  control->tipId = 0;
  RECT client{};
  if (control->window) GetClientRect(control->window, &client);
  const bool right = control->controlId == kTrayPictureRight;
  const POINT at{right ? point.x - client.right : point.x, point.y};
  RECTL rect{};
  const HotspotRow* hit = HitTestHotspots(context, &rect, at, GetBuiltinTable12());
  if (!hit) hit = HitTestHotspots(context, &rect, at, GetBuiltinTable13());
  if (!hit) return false;
  control->tipId = hit->value;
  if (tipAt) {
    // Top right corner, or top left for the picture measured from its right edge.
    *tipAt = right ? POINT{client.right + rect.right, rect.top} : POINT{rect.right, rect.top};
  }
  return true;
}

// Another picture: a picture-table row of an offered value of its option holds the point.
bool ValuePictureUnder(DriverContext* context, ControlRecord* control, POINT point) {
  const ImageRef option = ControlOption(context, control);
  if (!option) return false;
  const PictureRow* table = GetPictureTable();
  DWORD steps = ImageSize(option.image) / 8 + 1;
  for (ImageRef item = OptionValues(option); item && steps--; item = NextOptionNode(option, item)) {
    ImageRef conditions;
    const DWORD value = NextOptionValue(option, item, &conditions);
    if (value == 0 || value > 0xFFFF) continue;
    const auto id = static_cast<WORD>(value);
    if (IsItemHidden(option, id, context) || IsItemDisabled(option, id, context)) continue;
    for (const PictureRow* row = table; row && row->pictureId; ++row) {
      if (row->pictureId != id) continue;
      if (point.x >= row->x && point.x < row->x + row->width && point.y >= row->y && point.y < row->y + row->height)
        return true;
    }
  }
  return false;
}

}  // namespace

bool IsControlHot(DriverContext* context, ControlRecord* control, POINT point, POINT* tipAt) {
  if (!context || !Usable(control)) return false;
  const WORD kind = control->kind;
  if (kind != 2 && kind != 3 && kind != 47 && kind != 50) return false;
  if (kind == 47 && control->controlId == kNeverHotList) return false;
  bool hot = kind == 47 || kind == 50;
  if (kind == 2 && (control->controlId == kTrayPicture || control->controlId == kTrayPictureRight)) {
    hot = HotspotUnder(context, control, point, tipAt);
  } else if (!hot && control->linkedId && control->controlId != kPlainPicture && control->controlId != 0) {
    hot = ValuePictureUnder(context, control, point);
  }
  // A picture whose click would find no usable control to step is not hot either: a
  // hidden or greyed linked control, or a group none of whose buttons can be chosen.
  if (hot && kind == 2 && control->linkedId && !Usable(FindLinkedControl(context, control->linkedId))) hot = false;
  return hot;
}

void TrackControlHotness(DriverContext* context, PageRecord* page, ControlRecord* control, POINT point) {
  if (!control) return;
  POINT tip{-1, -1};
  const bool hot = IsControlHot(context, control, point, &tip);
  if (hot)
    ShowPageHand(context, true);
  else
    RestorePageCursor(context);
  // Where the tip goes, in the control's client coordinates.
  RECT client{};
  if (control->window) GetClientRect(control->window, &client);
  POINT at{client.left, client.bottom + 4};
  if (tip.x != -1 || tip.y != -1) {
    at = tip;
  } else if (control->kind == 50) {
    at = point;
    const MeasureItemRow* cell = FindMeasureItemEntry(control->controlId);
    if (cell && cell->width > 0 && cell->height > 0 && point.y >= 0 && point.y < cell->height)
      at.x = (point.x / cell->width) * cell->width + cell->width / 2;
  }
  HWND pageWindow = page ? page->window : nullptr;
  if (control->window && pageWindow) {
    ClientToScreen(control->window, &at);
    ScreenToClient(pageWindow, &at);
  }
  SetTipPopup(context, control, pageWindow, at.x, at.y);
}

bool IsSliderEndArrowAt(DriverContext* context, ControlRecord* control, POINT point) {
  if (!context || !control || control->kind != 84 || !control->window) return false;
  if (!GetControlField(context, control)) return false;
  std::int32_t lo = 0, hi = 0;
  if (!NumericOptionLimits(context, control, &lo, &hi)) return false;
  RECT client{};
  GetClientRect(control->window, &client);
  if (point.x < client.left || point.x >= client.right || point.y < client.top || point.y >= client.bottom)
    return false;
  std::int64_t value = static_cast<std::int32_t>(GetControlFieldValue(context, control));
  ControlValueEventBlock direction{control, 0};
  NotifyModules(context, MODEV_SLIDER_DIRECTION, &direction);
  if (direction.value) {
    int first = 0, last = 0;
    SendMessageW(control->window, SBM_GETRANGE, reinterpret_cast<WPARAM>(&first), reinterpret_cast<LPARAM>(&last));
    value = static_cast<std::int64_t>(last) - value;
    value = value < first ? first : value > last ? last : value;
  }
  const int arrow = GetSystemMetrics(SM_CXHSCROLL);
  if (point.x < client.left + arrow && value <= lo) return true;
  return point.x >= client.right - arrow && value >= hi;
}
