// What every driver library does when the loader attaches it to a process and detaches it:
// the driver locks, the run-time notion of the deliverable, and on the way out the loaded
// model images and the cached contexts.
#pragma once

#include "base/deliverable.h"

void StartDriverLibrary(Deliverable deliverable);
void EndDriverLibrary();
