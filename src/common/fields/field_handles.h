// Handles held by the font-table fields (kdmFontTable 10005, kdmDeviceFont 10007,
// kdmOptionFont 10009, kdmInstOptionFont 10011). Their 32-bit slots in the settings
// buffer cannot hold an address on this build: each holds a handle into a per-process
// table of blocks instead, and a copy that leaves the process holds 0.
#pragma once

#include "win/types.h"

struct DriverContext;

bool IsFieldHandleField(WORD id);

// Enters a block into the process's table: its handle (never 0), or 0 for a null block
// or when the table is full.
DWORD RegisterFieldBlock(void* block);
// The block of a handle, or null for 0 or a handle that is not (or no longer) entered.
void* ResolveFieldBlock(DWORD handle);
// Removes the handle from the table and returns its block (the caller frees it), or null.
void* ReleaseFieldBlock(DWORD handle);

// The block that a handle field of the context's settings holds, or null.
void* GetFieldBlockById(DriverContext* context, WORD id);
// Enters the block and writes its handle into the field (with the write side effects);
// null writes 0. The handle the field held before is left to the caller, who got its
// block from GetFieldBlockById. False for a field that holds no handle or a full table.
bool SetFieldBlockById(DriverContext* context, WORD id, void* block);

// Zeroes the four handle fields in a settings buffer (through its own area offsets)
// before the buffer is stored or handed to another process.
void ClearFieldHandlesInBuffer(BYTE* buffer);
