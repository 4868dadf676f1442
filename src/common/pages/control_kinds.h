// The control kinds: the table of 34 handler sets, the dispatch of a control's messages to
// its kind and subclassing.
#pragma once

#include "base/dictionary_pages.h"
#include "win/types.h"
#include "win/window.h"

struct DriverContext;

using KindPrefilter = LRESULT (*)(DriverContext*, PageRecord*, ControlRecord*, UINT, WPARAM, LPARAM);
using KindInit = void (*)(DriverContext*, PageRecord*, ControlRecord*);
using KindUpdate = void (*)(DriverContext*, PageRecord*, ControlRecord*);
using KindCommand = LRESULT (*)(DriverContext*, PageRecord*, ControlRecord*, WPARAM, LPARAM);
using KindMessage = LRESULT (*)(DriverContext*, PageRecord*, ControlRecord*, UINT, WPARAM, LPARAM);

struct ControlKind {
  WORD kind;
  WORD pad;
  KindPrefilter prefilter;
  KindInit init;
  KindUpdate update;
  KindCommand command;
  KindMessage message;
  WNDPROC windowProc;
};

constexpr int kControlKindCount = 34;
const ControlKind* GetControlKindTable();
// The first row of the kind; null for a kind not in the table.
const ControlKind* FindControlKind(WORD kind);

// Modules see WM_INITDIALOG with the control first; unless one handles it the control is
// subclassed once with its kind's window procedure, then the kind's init slot runs.
void InitControl(DriverContext* context, PageRecord* page, ControlRecord* control);
// Modules see WM_PAINT with the control; else the kind's update slot.
void UpdateControl(DriverContext* context, PageRecord* page, ControlRecord* control);
// Nonzero when handled; WM_PAINT is then posted to the page.
LRESULT RouteControlCommand(DriverContext* context, PageRecord* page, ControlRecord* control, WPARAM wParam,
                            LPARAM lParam);
LRESULT RouteControlMessage(DriverContext* context, PageRecord* page, ControlRecord* control, UINT message,
                            WPARAM wParam, LPARAM lParam);
LRESULT DispatchControlCommand(DriverContext* context, PageRecord* page, ControlRecord* control, WPARAM wParam,
                               LPARAM lParam);
LRESULT DispatchControlMessage(DriverContext* context, PageRecord* page, ControlRecord* control, UINT message,
                               WPARAM wParam, LPARAM lParam);

// Prefilter of the pictures: the next value of the control's option that is offered.
LRESULT CycleControlValue(DriverContext* context, PageRecord* page, ControlRecord* control, UINT message,
                          WPARAM wParam, LPARAM lParam);
// Selects the combo item whose item data is `value` and runs the combo's command slot.
void SelectComboValue(DriverContext* context, PageRecord* page, WORD controlId, DWORD value);

// The common window procedure of the subclassed controls.
LRESULT ControlSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The numeric option's limits (its first values record); false without a numeric option.
bool NumericOptionLimits(DriverContext* context, const ControlRecord* control, std::int32_t* minimum,
                         std::int32_t* maximum);
