// The stamp, margin and header/footer font module: saving the current stamp (built-in 327)
// and the grey state of the stamp buttons.
#include "base/dictionary_pages.h"
#include "fields/field_access.h"
#include "field_ids.h"
#include "context/module_events.h"
#include "context/module_hooks.h"
#include "modules/preview_paint.h"
#include "stored/stamp_list.h"

namespace {

constexpr WORD kSaveCurrentStamp = 327;
constexpr WORD kStampCombo = 2089;
constexpr WORD kDeleteButton = 2406;
constexpr WORD kNewButtons[] = {2091, 2092, 2407};
// The first five stamps are the driver's own and cannot be deleted.
constexpr int kFixedStamps = 5;
constexpr int kMaxStamps = 32;

}  // namespace

std::int32_t StampModuleItem(DriverContext* context, WORD number, void*) {
  if (number != kSaveCurrentStamp || !context) return 0;
  const DWORD index = ReadFieldRawById(context, fid::kdmWmID);
  const int count = GetStampCount(context);
  if (ReadFieldRawById(context, fid::kdmFuncSelectWaterMark) && count > 0 && index < static_cast<DWORD>(count))
    SaveStamp(context, static_cast<int>(index));
  return 1;
}

// PENDING: the stamp module's own page handlers answer the stamp pages' control messages
// here (pages 1003, 1022, 1023, 1024, 1037, 4017); until they come every message goes on to
// the control kinds.
std::int32_t StampModuleMessage(DriverContext*, PageRecord*, ControlRecord*, DWORD, WPARAM, LPARAM, void*) {
  return 0;
}

// Event 3: the delete button is greyed while one of the first five stamps (or none) is
// selected, the new-stamp buttons while the list is full; otherwise the rules decide.
// The stamp combo selects its field's value, kdmWmID, so that is its selection. Event 7:
// the preview of the stamp and density settings on a page picture.
std::int32_t StampModuleEvent(DriverContext* context, DWORD event, void* block, void*) {
  if (!context || !block) return 0;
  if (event == MODEV_PREVIEW_PAINTED) {
    auto* b = static_cast<PreviewEventBlock*>(block);
    auto dc = static_cast<HDC>(b->deviceContext);
    const auto* rect = static_cast<const RECT*>(b->rectangle);
    PaintWatermarkPreview(context, b->control, b->width, b->height, dc, rect);
    PaintDensityPreview(context, b->control, b->width, b->height, dc, rect);
    return 1;
  }
  if (event != MODEV_GREY_STATE) return 0;
  auto* b = static_cast<GreyStateEventBlock*>(block);
  if (!b->control) return 0;
  const WORD id = b->control->controlId;
  const bool isNew = id == kNewButtons[0] || id == kNewButtons[1] || id == kNewButtons[2];
  if (id != kDeleteButton && !isNew) return 0;
  if (!FindControlById(context, b->page, kStampCombo)) return 1;  // no combo: the rules decide
  if (id == kDeleteButton) {
    const auto selection = static_cast<std::int32_t>(ReadFieldRawById(context, fid::kdmWmID));
    if (selection < kFixedStamps || GetStampCount(context) <= 0) AnswerGreyState(b, true);
    return 1;
  }
  if (GetStampCount(context) >= kMaxStamps) AnswerGreyState(b, true);
  return 1;
}
