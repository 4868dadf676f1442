// A command-base handle and the work on its settings: PJL lines applied to the handle's
// context and slots, the text rebuilt from the settings, and the difference between the
// rebuilt text and the caller's base.
#pragma once

#include <cstdint>

#include "command_base_items.h"
#include "win/types.h"

struct DriverContext;
class PjlText;

// The handle callers hold. Slot i stands for settings field id i + 1; the last slot (id 724)
// is the booklet pseudo-field, held only here.
struct ExcBaseRecord {
  DriverContext* context;
  HANDLE printer;
  std::int32_t slotCount;
  BYTE* slotSet;
  std::int32_t* slotValues;
  std::int32_t baseLength;   // with the NUL; 0 = no base
  char* baseText;
  std::int32_t changeLength;  // with the NUL; 0 = none
  char* changeText;
};

// The slot of a field id (1 to 724), -1 for any other id.
int PjlSlotIndex(DWORD fieldId);
bool IsSlotSet(const ExcBaseRecord* handle, DWORD fieldId);
std::int32_t SlotValue(const ExcBaseRecord* handle, DWORD fieldId);

// The force-feed item, or an item whose slot the base set.
int IsItemSettable(const ExcBaseRecord* handle, const PjlItem* item);

// Applies one line's value to the handle: the settings field and its slot, the fields the
// value implies, the binding and booklet relation. With propagate the rules of a changed
// field run and every slot is read again.
void ApplyPjlLine(ExcBaseRecord* handle, const PjlItem* item, const char* valueText, int propagate);
// Every set slot of a settings field read again; the booklet slot derived from the binding.
void RefreshSlots(ExcBaseRecord* handle);

// The PJL text of every set slot in field order, ended by a NUL. False when memory ran out.
bool BuildCommandText(ExcBaseRecord* handle, PjlText& out);
// Appends to change the lines of newText whose values differ from the base, given the line
// the caller asked for (or null). False when memory ran out.
bool DiffAgainstBase(const char* base, const char* newText, const char* line, PjlText& change);
// Resolves the rules, rebuilds the text, makes the change text and the new base: 0 no change
// text, 1 change text made, -1 out of memory (the handle keeps its base).
std::int32_t RebuildAndDiff(ExcBaseRecord* handle, const char* line);

// 1 when applying the value (value name or number text) would leave every other line of the
// base as it is; the handle's slots and settings are put back.
int WouldBeClean(ExcBaseRecord* handle, const PjlItem* item, const char* valueText);

// The lines of a base text applied to a handle whose slots are clear (no propagation); every
// required item must be set. The text becomes the base, rebuilt and compared: 0 no change
// text, 1 change text made, -1 a syntax error (what was applied stays, with no base) or no
// memory, -2 a required item missing or an empty text (the caller resets the handle).
std::int32_t SetBaseText(ExcBaseRecord* handle, const char* text);
// One parsed line of an update (name and value of line): applied with propagation when the
// item is a command the base set, then rebuilt and compared. 0, 1 or -1.
std::int32_t UpdateBaseLine(ExcBaseRecord* handle, const char* line, const char* name, const char* value);

// The handle's change and base texts dropped.
void DropChangeText(ExcBaseRecord* handle);
void DropBaseText(ExcBaseRecord* handle);
