// What a new context takes from the shared dictionary: its own copies of the field table
// and the page table, and the four shared name tables.
#pragma once

struct DriverContext;

// Fills fields, pages, controlNames, valueNames, stringIds and messages of the context.
// False when memory runs out; the context then holds no copies.
bool AttachDictionary(DriverContext* context);
// Frees the context's copies and clears the members.
void DetachDictionary(DriverContext* context);
