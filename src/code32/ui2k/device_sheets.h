// Device property sheets and printer properties: the sheet's context from INIT to DESTROY,
// the device pages, and the device settings saved when the sheet is accepted.
#pragma once

#include "sheet_entry_bodies.h"
