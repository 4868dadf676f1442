// The opening shared by the bodies of the document and device sheets.
#pragma once

#include <functional>

#include "win/printer_interface.h"
#include "win/types.h"

struct DriverContext;
class EntryFrame;

// After the frame has begun: except when the sheet ends, the printer's records must be
// there and its pending install work done. At PROPSHEETUI_REASON_INIT the context comes
// from `build` and is kept in the sheet's user data; every later call takes it from there.
// Null refuses the call.
DriverContext* OpenSheetContext(PROPSHEETUI_INFO* info, HANDLE printer, const EntryFrame& frame,
                                const std::function<DriverContext*()>& build);
