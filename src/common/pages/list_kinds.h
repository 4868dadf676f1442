// The kinds that offer a setting's values in a list: value lists and combos, owner-drawn
// lists and combos that grey refused values and show pictures, the check list whose lines
// each switch a field of their own, and the preset list drawn as page pictures.
#pragma once

#include "base/dictionary_pages.h"
#include "win/types.h"

struct DriverContext;

// Kind 42: the offered values with their texts; the update selects the current one.
void InitValueList(DriverContext* context, PageRecord* page, ControlRecord* control);
void SelectListCurrent(DriverContext* context, PageRecord* page, ControlRecord* control);
LRESULT OnValueListCommand(DriverContext* context, PageRecord* page, ControlRecord* control, WPARAM wParam,
                           LPARAM lParam);
// Kinds 43 and 48.
void InitValueCombo(DriverContext* context, PageRecord* page, ControlRecord* control);
void SelectComboCurrent(DriverContext* context, PageRecord* page, ControlRecord* control);
void UpdateOwnerDrawnCombo(DriverContext* context, PageRecord* page, ControlRecord* control);
LRESULT OnValueComboCommand(DriverContext* context, PageRecord* page, ControlRecord* control, WPARAM wParam,
                            LPARAM lParam);
LRESULT DrawComboItem(DriverContext* context, PageRecord* page, ControlRecord* control, UINT message, WPARAM wParam,
                      LPARAM lParam);
// Kinds 47 and 49.
void InitOwnerDrawnList(DriverContext* context, PageRecord* page, ControlRecord* control);
LRESULT DrawListItem(DriverContext* context, PageRecord* page, ControlRecord* control, UINT message, WPARAM wParam,
                     LPARAM lParam);
LRESULT DrawCheckListItem(DriverContext* context, PageRecord* page, ControlRecord* control, UINT message,
                          WPARAM wParam, LPARAM lParam);
// The field of check-list line `line`: 0 past the end of the control's field-id array
// (which ends with id 0) or without one.
WORD CheckListLineField(const ControlRecord* control, LRESULT line);
// Kind 50.
void InitPresetIconList(DriverContext* context, PageRecord* page, ControlRecord* control);
LRESULT OnPresetIconListCommand(DriverContext* context, PageRecord* page, ControlRecord* control, WPARAM wParam,
                                LPARAM lParam);
LRESULT DrawPresetIcon(DriverContext* context, PageRecord* page, ControlRecord* control, UINT message, WPARAM wParam,
                       LPARAM lParam);
