// The kept outcome of the field defaults on a fresh settings buffer.
//
// Taking a cached context again rebuilds its settings from the defaults on a zero-filled
// buffer. The per-field part of that (every field set to its model default) depends only
// on what the context holds for its life: the model image, its own field table, the
// product record, the UI resource module and the build. Its outcome is kept per context
// and copied back as a block, with the change marks, change flags and dirty word it left,
// as long as those inputs are the ones it was made from. Text defaults that are completed
// from other data (tray names, paper sizes, units, ranges, modules, custom media) depend
// on more than that: a run that meets one keeps nothing.
#pragma once

#include "win/types.h"

struct DriverContext;
struct FieldDefaultsMemo;

// Sets every field of the context's fresh settings buffer to its default through
// runFields, or copies back the kept outcome of an earlier run with the same inputs.
// runFields clears *pure when the outcome depends on more than the kept inputs.
void RunFieldDefaultsOnFreshBuffer(DriverContext* context, void (*runFields)(DriverContext* context, bool* pure));

// True when a text default of that string id is completed from other data.
bool IsCompletedUiStringId(DWORD stringId);

void FreeFieldDefaultsMemo(FieldDefaultsMemo* memo);

// The context's kept field defaults were made from what the context holds now (its model,
// tables, product record, UI module, build and buffer size); the fields' run-time flags
// are left to the caller.
bool FieldDefaultsMemoHolds(const DriverContext* context);
