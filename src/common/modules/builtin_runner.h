// The runners of built-in functions. A built-in function number reaches the modules through
// the runner of the deliverable the code runs in: the printer interface DLL's
// ResetStateByType (numbers 1, 3 and 4 are paper changes, 2 a change flag), the settings
// API's own runner, and in the rendering DLL the modules' hooks alone.
#pragma once

#include "win/types.h"

struct DriverContext;

// The settings API's runner: number 1 is the paper change of kind 1; every other number,
// 2, 3 and 4 included, is offered to the modules' built-in function hooks.
void RunSettingsApiBuiltIn(DriverContext* context, WORD number);
// The runner of the current deliverable.
void RunBuiltInFunction(DriverContext* context, WORD number);
