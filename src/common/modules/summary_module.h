// The settings summary: the text of a summary edit (2148, 2248, 3086, 3164) from its
// summary list, or the field's text (or nothing) for another control.
#pragma once

#include "modules/summary_lists.h"
#include "win/types.h"

struct ControlRecord;
struct DriverContext;
struct PageRecord;

constexpr int kSummaryChars = 10240;
// Room kept at the end of the summary: with less left the text ends with the "etc" marker.
constexpr int kSummaryReserve = 256;

// The control's summary list: its type-4 extra data, else the built-in list of its id.
const SummaryList* GetControlSummaryList(ControlRecord* control);
// The summary into out (size characters, never more); its length.
int BuildSummaryText(DriverContext* context, ControlRecord* control, WCHAR* out, int size);
void UpdateSummaryText(DriverContext* context, PageRecord* page, ControlRecord* control);
