#include "modules/module_ui.h"

#include "context/deliverable.h"
#include "context/message_boxes.h"
#include "win/msgbox.h"
#include "win/window.h"

int ShowModuleWarning(DriverContext* context, WORD stringId, bool askOkCancel) {
  // Only the printer interface DLL shows boxes; the other deliverables go on as after OK.
  if (!context || CurrentDeliverable() != Deliverable::Interface) return IDOK;
  return askOkCancel ? AskWarningOkCancel(context, nullptr, stringId) : ShowWarningBox(context, nullptr, stringId);
}

// PENDING: the refresh of the open page comes with the page engine; until then no page is
// refreshed.
void RefreshOpenPage(DriverContext*) {}
