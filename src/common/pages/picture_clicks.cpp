// What a click on a picture selects: the printer pictures' hot spots and the linked
// control of the other pictures.
#include "pages/picture_clicks.h"

#include "base/driver_context.h"
#include "fields/field_access.h"
#include "fields/field_table.h"
#include "model/units.h"
#include "fields/value_maps.h"
#include "field_ids.h"
#include "pages/control_kinds.h"
#include "context/page_binding.h"
#include "win/prsht.h"
#include "win/window.h"

namespace {

constexpr WORD kTrayPicture = 2067;
constexpr WORD kTrayPictureRight = 3203;  // measured from its right edge
constexpr WORD kTrayCombo = 2007;
constexpr WORD kOutputCombo = 2066;

bool Usable(const ControlRecord* c) { return c && !ControlHidden(c) && !ControlGreyed(c); }

bool Applies(DriverContext* context, const HotspotRow& row) {
  if (row.conditionField && ReadFieldRawById(context, row.conditionField) != 1) return false;
  if (row.secondConditionField &&
      static_cast<LONG>(ReadFieldRawById(context, row.secondConditionField)) != row.secondValue)
    return false;
  return true;
}

// The button of a radio group after `from` on its page (wrapping to the first one that does
// not show the current value).
ControlRecord* NextInGroup(PageRecord* page, int from, WORD itemId, DWORD current) {
  for (int i = from + 1; i < page->controlCount; ++i) {
    ControlRecord* c = &page->controls[i];
    if (c->itemId == itemId && Usable(c)) return c;
  }
  for (int i = 0; i < page->controlCount; ++i) {
    ControlRecord* c = &page->controls[i];
    if (c->itemId == itemId && Usable(c) && c->controlId != current) return c;
  }
  return nullptr;
}

// A printer picture: the tray (or output) hot spot under the point selects its value.
int SelectByHotspot(DriverContext* context, PageRecord* page, ControlRecord* picture, POINT point) {
  ControlRecord* trays = FindControlById(context, page, kTrayCombo);
  const HotspotRow* hit = nullptr;
  WORD combo = 0;
  RECTL rect{};
  if (trays && !ControlGreyed(trays) && (hit = HitTestHotspots(context, &rect, point, GetBuiltinTable12()))) {
    combo = kTrayCombo;
    // While the tray is locked only the locked tray may be picked.
    if (IsTrayLocked(context)) {
      const DWORD locked = RawToOptionIndex(context, FindFieldById(context, fid::dmDefaultSource),
                                            ReadFieldRawById(context, fid::wdmLock001Info));
      if (hit->value != locked) return 0;
    }
  } else if ((hit = HitTestHotspots(context, &rect, point, GetBuiltinTable13()))) {
    combo = kOutputCombo;
  }
  if (!hit) return 0;
  SelectComboValue(context, page, combo, hit->value);
  if (page->window) {
    PostMessageW(page->window, WM_PAINT, 0, 0);
    SendMessageW(GetParent(page->window), PSM_CHANGED, reinterpret_cast<WPARAM>(page->window), 0);
  }
  (void)picture;
  return 1;
}

}  // namespace

const HotspotRow* HitTestHotspots(DriverContext* context, RECTL* rect, POINT point, const HotspotRow* table) {
  if (!context || !table) return nullptr;
  for (const HotspotRow* row = table; row->value != 0; ++row) {
    if (!Applies(context, *row)) continue;
    RECTL r = row->rect;
    for (const HotspotShift* s = row->shifts; s && s->fieldId; ++s) {
      if (ReadFieldRawById(context, s->fieldId) != 1) continue;
      r.left += s->dx;
      r.right += s->dx;
      r.top += s->dy;
      r.bottom += s->dy;
    }
    const bool inX = point.x < 0 ? (point.x >= r.right && point.x < r.left) : (point.x >= r.left && point.x < r.right);
    if (inX && point.y >= r.top && point.y < r.bottom) {
      if (rect) *rect = r;
      return row;
    }
  }
  return nullptr;
}

ControlRecord* FindLinkedControl(DriverContext* context, WORD linkedId) {
  if (!context || !linkedId) return nullptr;
  if (ControlRecord* c = FindControlById(context, nullptr, linkedId)) return c;
  for (int p = 0; p < context->pages.count; ++p) {
    PageRecord* page = &context->pages.records[p];
    for (int i = 0; i < page->controlCount; ++i) {
      ControlRecord* c = &page->controls[i];
      if (c->itemId != linkedId) continue;
      const DWORD current = GetControlFieldValue(context, c);
      if (c->controlId != current) continue;
      if (ControlRecord* next = NextInGroup(page, i, linkedId, current)) return next;
      break;  // this page has no other button to step to
    }
  }
  return nullptr;
}

int SelectByPictureClick(DriverContext* context, PageRecord* page, ControlRecord* picture, int x, int y) {
  if (!context || !page || !picture || !picture->window) return 0;
  RECT client{};
  GetClientRect(picture->window, &client);
  if (x < client.left || x >= client.right || y < client.top || y >= client.bottom) return 0;
  if (picture->kind == 2 && (picture->controlId == kTrayPicture || picture->controlId == kTrayPictureRight)) {
    const POINT point{picture->controlId == kTrayPictureRight ? x - client.right : x, y};
    return SelectByHotspot(context, page, picture, point);
  }
  ControlRecord* target = picture;
  PageRecord* targetPage = page;
  if (picture->linkedId) {
    target = FindLinkedControl(context, picture->linkedId);
    if (!Usable(target)) return 0;
    for (int p = 0; p < context->pages.count; ++p) {
      PageRecord* candidate = &context->pages.records[p];
      if (target >= candidate->controls && target < candidate->controls + candidate->controlCount) targetPage = candidate;
    }
  } else if (ControlGreyed(picture)) {
    return 0;
  }
  const ControlKind* kind = FindControlKind(target->kind);
  if (!kind || !kind->prefilter || !kind->prefilter(context, targetPage, target, WM_LBUTTONUP, 0, 0)) return 0;
  if (target->window) SetFocus(target->window);
  if (page->window) PostMessageW(page->window, WM_PAINT, 0, 0);
  return 1;
}
