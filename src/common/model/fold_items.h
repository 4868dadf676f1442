// Fold items of the computed judge items: the fold class of the paper by machine, and
// whether a fold tray holds paper that can be folded in the asked direction.
#pragma once

#include "win/types.h"

struct DriverContext;

// Fold class (1, 2 or 3) of a paper code on the context's machine; 0 when the machine has
// no fold table or the paper is not in it.
int FoldClassOf(DriverContext* context, int paper);
// Items 845 (rightLeft 1) and 846 (rightLeft 0).
int FoldDirectionItem(DriverContext* context, int rightLeft);

// True when id is a fold item (842-846); its value (0 or 1) then goes to *value.
bool ComputeFoldItem(DriverContext* context, WORD id, DWORD* value);
