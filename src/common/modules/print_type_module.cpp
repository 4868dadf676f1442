// The print type, initial settings and utility module: built-in functions 250, 324 and 901,
// the copies rule item, and the answers it gives to the settings code.
#include "stored/devmode_checks.h"
#include "fields/devmode_header.h"
#include "base/dictionary_pages.h"
#include "base/driver_context.h"
#include "fields/field_access.h"
#include "context/merge_public_fields.h"
#include "stored/module_services.h"
#include "base/settings_field.h"
#include "fields/value_maps.h"
#include "field_ids.h"
#include "model/option_lookup.h"
#include "context/module_events.h"
#include "context/module_hooks.h"
#include "stored/job_control.h"
#include "modules/change_handling.h"
#include "outside/bidi_query.h"
#include "context/page_binding.h"
#include "stored/page_opening.h"
#include "win/prsht.h"
#include "stored/quality_list.h"

namespace {

constexpr WORD kStatusQuery = 250;
constexpr WORD kAlertOfLastCommand = 324;
constexpr WORD kCopiesToSeparationCycle = 901;
constexpr WORD kHiddenFunctionPage = 1065;
constexpr DWORD kUserQualityGroup = 0x20;
constexpr WORD kEditPage = 1003;
constexpr WORD kCopyGuardControls[] = {2928, 2929, 2974};
constexpr WORD kStampControls[] = {2088, 2089, 2090, 2091, 2092, 2406, 2407};
constexpr WORD kMatchingFields[4] = {fid::kdmColorMatchingMode, fid::wdmColorMatchingText, fid::wdmColorMatchingLine,
                                     fid::wdmColorMatchingImage};

template <std::size_t N>
bool In(const WORD (&ids)[N], WORD id) {
  for (WORD x : ids)
    if (x == id) return true;
  return false;
}

bool InUserQualityGroup(const PageRecord* page) { return page && (page->flags & kUserQualityGroup); }

void ForgetColorMatching(DriverContext* context, const PageRecord* page) {
  if (InUserQualityGroup(page) && context->work) context->work->colorMatchingMask = 0;
}

// Event 34: a cancelled user-quality page puts back the colour-matching values remembered
// when a profile was deleted, and the selected user quality entry keeps them.
void RegisterColorMatchingItems(DriverContext* context, PageRecord* page) {
  if (!InUserQualityGroup(page) || !context->work) return;
  for (int k = 0; k < 4; ++k)
    if (context->work->colorMatchingMask & (1u << k))
      WriteFieldRawById(context, kMatchingFields[k], context->work->colorMatchingValues[k]);
  NotifyModules(context, 36, nullptr);
  const std::int32_t entry = GetUserMacroIndex(context);
  if (entry >= 0) SaveQualityEntry(context, entry);
  NotifyModules(context, MODEV_PAGE_CONFIRMED, page);
}

void ModelDefault(DriverContext* context, PrintQualityEventBlock* b) {
  if (!b || !b->field) return;
  const WORD item = b->field->itemId;
  DWORD value = GetOptionDefaultValue(item, context);
  if (b->field->side && b->field->side->valueMap && (GetOptionType(item, context) & 1))
    value = OptionIndexToRaw(context, b->field, value);
  b->value = value;
}

}  // namespace

std::int32_t ComputeCopiesJudgeHook(DriverContext* context, WORD id) {
  if (id != fid::wdmJudgeHookUcf90) return 0;
  const auto copies = static_cast<std::int16_t>(ReadFieldRawById(context, fid::dmCopies));
  const auto cycle = static_cast<std::int16_t>(ReadFieldRawById(context, fid::kdmSeparationSheetCycle));
  return copies < cycle ? 1 : 0;
}

std::int32_t PrintTypeModuleItem(DriverContext* context, WORD number, void*) {
  if (!context) return 0;
  switch (number) {
    case kStatusQuery: {
      // The printer's version texts over the open page, then the user code (item mask 1)
      // from the job-control library, which is bound and opened for this read only.
      PageRecord* page = FindPageById(context, context->pageId);
      QueryPrinterStatusBidi(context, page ? page->window : nullptr);
      JobControlReadMask(context, 1);
      return 1;
    }
    case kAlertOfLastCommand: {
      // The option of the control that sent the open page its last command asks its alert.
      PageRecord* page = FindPageById(context, context->pageId);
      ControlRecord* control = page && context->work ? FindControlById(context, page, context->work->sheet.lastCommand)
                                                     : nullptr;
      if (control) CheckAlertAndFollowUp(context, page, ControlOption(context, control));
      return 1;
    }
    case kCopiesToSeparationCycle: {
      const auto copies = static_cast<std::int16_t>(ReadFieldRawById(context, fid::dmCopies));
      if (copies > 0) WriteFieldRawById(context, fid::kdmSeparationSheetCycle, static_cast<DWORD>(copies));
      return 1;
    }
    default: return 0;
  }
}

// PENDING: the utility module's own page handlers answer the utility pages' control messages
// here (pages 1001, 1002, 1004, 1010, 1015, 1019, 1025, 1027, 1065, 4019-4022, 4027, 4029
// and message 0x8007); until they come every message goes on to the control kinds.
std::int32_t PrintTypeModuleMessage(DriverContext*, PageRecord*, ControlRecord*, DWORD, WPARAM, LPARAM, void*) {
  return 0;
}

// Event 30 keeps disabled resolutions out of the capability list (answer 0); 21 and 54
// answer 1 (tray details wanted; the smaller default output paper).
std::int32_t PrintTypeModuleEvent(DriverContext* context, DWORD event, void* block, void*) {
  switch (event) {
    case MODEV_RESOLUTION_LIST:
      if (block) *static_cast<std::int32_t*>(block) = 0;
      return 1;
    case MODEV_SMALL_PAPER:
    case MODEV_TRAY_DETAILS:
      if (block) *static_cast<std::int32_t*>(block) = 1;
      return 1;
    case MODEV_HIDDEN_SPOT: {
      // The hidden-function page, opened only when the caller allows it, over the page that
      // saw the hidden spot; its OK marks the sheet's current page changed.
      const auto* spot = static_cast<const PageControlEventBlock*>(block);
      if (!context || GetStateByte(context, fid::KPD_kdmCallSrc) != 1) return 1;
      PageRecord* page = spot ? spot->page : nullptr;
      HWND owner = page ? page->window : nullptr;
      if (ShowPage(context, SHOWPAGE_SUBDIALOG, kHiddenFunctionPage, owner) == IDOK && owner) {
        HWND sheet = GetParent(owner);
        HWND current = sheet ? reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0)) : nullptr;
        if (current) SendMessageW(sheet, PSM_CHANGED, reinterpret_cast<WPARAM>(current), 0);
      }
      return 1;
    }
    case MODEV_BIDI_QUERY: {
      // The full query with its progress window over the sender's window.
      auto* b = static_cast<BidiQueryEventBlock*>(block);
      if (context && b) b->answer = QueryPrinterBidiWithProgress(context, b->window);
      return 1;
    }
    default: break;
  }
  if (!context) return 0;
  switch (event) {
    case MODEV_MODEL_DEFAULT: ModelDefault(context, static_cast<PrintQualityEventBlock*>(block)); return 1;
    case MODEV_PAGE_CANCELLED: RegisterColorMatchingItems(context, static_cast<PageRecord*>(block)); return 1;
    case MODEV_PAGE_CONFIRMED: ForgetColorMatching(context, static_cast<PageRecord*>(block)); return 1;
    case MODEV_HIDDEN_STATE: {
      auto* b = static_cast<PageControlEventBlock*>(block);
      if (!b || !b->page || !b->control || b->page->pageId != kEditPage) return 1;
      const WORD id = b->control->controlId;
      const bool hide = (In(kCopyGuardControls, id) && ReadFieldRawById(context, fid::kdmFunc2SelectUICtrlCopyGuard)) ||
                        (In(kStampControls, id) && ReadFieldRawById(context, fid::kdmFunc2SelectUICtrlWaterMark));
      if (hide) b->control->state = static_cast<WORD>((b->control->state & ~0x3u) | 1u);
      return 1;
    }
    case MODEV_USER_PICKED:
      if (block) static_cast<ControlRecord*>(block)->runtimeMarks |= 2u;
      return 1;
    default: return 0;
  }
}
