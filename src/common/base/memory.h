// Memory blocks of the common code: every block is a zero-filled global allocation; a
// function that returns a fresh block leaves it to its caller, who frees it with FreeMem.
#pragma once

#include "win/types.h"

// A block of n bytes, zero-filled, or null when the allocation fails.
void* AllocMem(DWORD n);
// Frees a block made by AllocMem; does nothing for null.
void FreeMem(void* block);
