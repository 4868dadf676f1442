// The summary lists of the four summary edits: per entry a label (UI string id) and two
// keywords (item ids of settings fields; 0 none).
#pragma once

#include <cstdint>

#include "win/types.h"

struct SummaryEntry {
  WORD label;
  WORD keywordA;
  WORD keywordB;
};
static_assert(sizeof(SummaryEntry) == 6);

// The typed extra data of type 4 of a summary edit: the count at byte 16 and the entries
// after it (a native pointer, so at byte 32 rather than 28 here).
struct SummaryList {
  WORD type;  // 4
  BYTE reserved[14];
  WORD count;
  BYTE reserved2[10];
  const SummaryEntry* entries;
};

// The lists of edits 2148, 2248, 3086 and 3164, in that order: the type-4 blocks the four
// edits' control rows point at. Their entries are filled on the first GetBuiltInSummaryList;
// until then each is an empty list.
extern SummaryList g_summaryEditLists[4];

// The built-in list of edit 2148, 2248, 3086 or 3164 (filled); null for other controls.
const SummaryList* GetBuiltInSummaryList(WORD controlId);
