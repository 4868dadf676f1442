// What the custom paper module's pages share with its settings logic.
#pragma once

#include "win/types.h"

struct ControlRecord;
struct DriverContext;

// Inch mode: the user-defined paper, the inch display unit and custom input; millimetre
// mode the same with the millimetre unit.
bool InchModeActive(DriverContext* context);
bool MillimetreModeActive(DriverContext* context);
// The free size being edited (fields 915-919) into its record and its INI section.
void StoreEditedFreeSize(DriverContext* context);
// The first length (or width) edit of the custom-size input page that it has and does not
// hide; null when there is none.
ControlRecord* VisibleSizeEdit(DriverContext* context, bool length);
