// The kinds that edit one value: check boxes, radio buttons, text edits and numeric edits
// (lengths shown in the user's unit with the language's decimal mark).
#pragma once

#include "base/dictionary_pages.h"
#include "win/types.h"

struct DriverContext;

// Kind 22.
LRESULT ToggleCheckBox(DriverContext* context, PageRecord* page, ControlRecord* control, UINT message, WPARAM wParam,
                       LPARAM lParam);
void UpdateCheckBox(DriverContext* context, PageRecord* page, ControlRecord* control);
LRESULT OnCheckBoxCommand(DriverContext* context, PageRecord* page, ControlRecord* control, WPARAM wParam,
                          LPARAM lParam);
// Kind 41.
LRESULT SelectRadioButton(DriverContext* context, PageRecord* page, ControlRecord* control, UINT message,
                          WPARAM wParam, LPARAM lParam);
void UpdateRadioButton(DriverContext* context, PageRecord* page, ControlRecord* control);
LRESULT OnRadioCommand(DriverContext* context, PageRecord* page, ControlRecord* control, WPARAM wParam, LPARAM lParam);
// Kinds 61 and 62.
void InitTextEdit(DriverContext* context, PageRecord* page, ControlRecord* control);
void UpdateTextEdit(DriverContext* context, PageRecord* page, ControlRecord* control);
LRESULT OnTextEditCommand(DriverContext* context, PageRecord* page, ControlRecord* control, WPARAM wParam,
                          LPARAM lParam);
// Kind 63.
void InitNumericEdit(DriverContext* context, PageRecord* page, ControlRecord* control);
void UpdateNumericEdit(DriverContext* context, PageRecord* page, ControlRecord* control);
LRESULT OnNumericEditCommand(DriverContext* context, PageRecord* page, ControlRecord* control, WPARAM wParam,
                             LPARAM lParam);
LRESULT OnNumericEditMessage(DriverContext* context, PageRecord* page, ControlRecord* control, UINT message,
                             WPARAM wParam, LPARAM lParam);
// Whether a typed number (1200-dpi value for a length) fits the control's field: its type's
// range and the option's range; false for a number that overflowed.
bool NumericValueFits(DriverContext* context, ControlRecord* control, long long value);
