// The cursors of the pages: the hands from the UI resource module and the cursor they
// replaced, kept in the context's work area.
#include "pages/page_cursors.h"

#include "base/driver_context.h"
#include "base/ui_strings.h"
#include "win/resources.h"

namespace {

constexpr WORD kHandCursorId = 8000;
constexpr WORD kPressedHandCursorId = 8001;

PageEngineState* SheetOf(DriverContext* context) {
  return context && context->work ? &context->work->sheet : nullptr;
}

}  // namespace

void LoadPageCursors(DriverContext* context) {
  PageEngineState* sheet = SheetOf(context);
  if (!sheet) return;
  HMODULE module = GetUiResourceModule(context);
  sheet->handCursor = module ? LoadCursorW(module, MAKEINTRESOURCEW(kHandCursorId)) : nullptr;
  sheet->pressedHandCursor = module ? LoadCursorW(module, MAKEINTRESOURCEW(kPressedHandCursorId)) : nullptr;
  sheet->savedCursor = nullptr;
}

bool IsPageHandCursor(DriverContext* context, HCURSOR cursor, bool pressedToo) {
  PageEngineState* sheet = SheetOf(context);
  if (!sheet || !cursor) return false;
  return cursor == sheet->handCursor || (pressedToo && cursor == sheet->pressedHandCursor);
}

void ShowPageHand(DriverContext* context, bool eitherHand) {
  PageEngineState* sheet = SheetOf(context);
  if (!sheet || !sheet->handCursor) return;
  if (IsPageHandCursor(context, GetCursor(), eitherHand)) return;
  HCURSOR previous = SetCursor(sheet->handCursor);
  // A hand shown over a hand (the pressed one) is no cursor to give back.
  if (!sheet->savedCursor && !IsPageHandCursor(context, previous, true)) sheet->savedCursor = previous;
}

void RestorePageCursor(DriverContext* context) {
  PageEngineState* sheet = SheetOf(context);
  if (!sheet || !sheet->savedCursor) return;
  SetCursor(sheet->savedCursor);
  sheet->savedCursor = nullptr;
}

void PressPageHand(DriverContext* context, bool press) {
  PageEngineState* sheet = SheetOf(context);
  if (!sheet) return;
  HCURSOR from = press ? sheet->handCursor : sheet->pressedHandCursor;
  HCURSOR to = press ? sheet->pressedHandCursor : sheet->handCursor;
  if (from && to && GetCursor() == from) SetCursor(to);
}
