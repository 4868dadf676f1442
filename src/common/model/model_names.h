// Name lookups of the model description into the shared dictionary: features in the
// control-name table, option values in the value-name and IDS tables, pages, controls and
// messages. Each gives the first match in table order, as the dictionary's own lookups do;
// the name tables are indexed once per process so that a large file does not scan them for
// every name.
#pragma once

#include "fields/dictionary_lookup.h"
#include "win/types.h"

// The control-name table row of a feature name, or null.
const ControlNameEntry* FindFeatureByName(const char* name);
// The value id (low 16 bits of the row's value) of a value name: the value-name table, then
// the IDS table. False for an unknown name.
bool FindValueIdByName(const char* name, WORD* valueId);
// The page id of a page symbol ("KPD_IDD_...").
bool FindPageIdByName(const char* name, WORD* pageId);
// The dialog control id of the control bound to that name (the first in page order).
bool FindControlIdByName(const char* name, WORD* controlId);
// The message id of a message name.
bool FindMessageIdByName(const char* name, WORD* messageId);
