// The font substitution module: the grey state of the printer font list.
#include "base/dictionary_pages.h"
#include "fields/field_access.h"
#include "field_ids.h"
#include "context/module_events.h"
#include "context/module_hooks.h"

namespace {

constexpr WORD kPrinterFontList = 2384;
constexpr WORD kUserFontPage = 4004;

}  // namespace

std::int32_t FontSubstitutionModuleItem(DriverContext*, WORD, void*) { return 0; }

// Event 3: the printer font list is greyed on page 4004, and on page 1009 while the call does
// not come from the application (state byte 706 is 0); the rules decide otherwise. No later
// module sees the event for this list.
std::int32_t FontSubstitutionModuleEvent(DriverContext* context, DWORD event, void* block, void*) {
  if (event != MODEV_GREY_STATE || !block) return 0;
  auto* b = static_cast<GreyStateEventBlock*>(block);
  if (!b->control || b->control->controlId != kPrinterFontList) return 0;
  const bool userPage = b->page && b->page->pageId == kUserFontPage;
  if (userPage || ReadFieldRawById(context, fid::KPD_kdmCallSrc) == 0) AnswerGreyState(b, true);
  return 1;
}
