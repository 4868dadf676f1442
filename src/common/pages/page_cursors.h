// The cursors of the pages: the hand over a control that takes a click, the pressed hand
// while the button is down, and the cursor the hand replaced. All three live in the
// context's work area; the hands are cursors 8000 and 8001 of the UI resource module.
#pragma once

#include "win/window.h"

struct DriverContext;

// Loads the hand (8000) and the pressed hand (8001) from the UI resource module and forgets
// any saved cursor. A hand the module lacks stays null and is never shown.
void LoadPageCursors(DriverContext* context);

// The cursor is the hand or the pressed hand (`pressedToo`) of the pages.
bool IsPageHandCursor(DriverContext* context, HCURSOR cursor, bool pressedToo);

// Shows the hand unless a hand (`eitherHand`: the pressed one too) already shows; the cursor
// it replaces is saved, unless one is saved already.
void ShowPageHand(DriverContext* context, bool eitherHand);

// Gives back the saved cursor, if any, and forgets it.
void RestorePageCursor(DriverContext* context);

// The hand becomes the pressed hand (`press`) or the pressed hand the hand again; any other
// cursor stays.
void PressPageHand(DriverContext* context, bool press);
