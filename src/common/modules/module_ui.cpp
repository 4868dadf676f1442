#include "modules/module_ui.h"

#include "base/deliverable.h"
#include "base/driver_context.h"
#include "base/message_boxes.h"
#include "modules/page_refresh.h"
#include "win/msgbox.h"
#include "win/window.h"

int ShowModuleWarning(DriverContext* context, WORD stringId, bool askOkCancel) {
  // Only the printer interface DLL shows boxes; the other deliverables go on as after OK.
  if (!context || CurrentDeliverable() != Deliverable::Interface) return IDOK;
  return askOkCancel ? AskWarningOkCancel(context, nullptr, stringId) : ShowWarningBox(context, nullptr, stringId);
}

void RefreshOpenPage(DriverContext* context) {
  if (!context || !context->pages.records) return;
  // Every page of the context that has its window now is brought in line with the settings,
  // all of them counted as changed.
  for (int i = 0; i < context->pages.count; ++i) {
    PageRecord* page = &context->pages.records[i];
    if (page->window) RefreshPage(context, page, 1);
  }
}
