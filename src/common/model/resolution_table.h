// The built-in resolution table: 15 rows of {code, horizontal dpi, vertical dpi} and a row
// of zeros, with the lookups the capability lists, the merge of the public device-mode
// fields and the resolution limit use. Every lookup walks the table from its first row to
// the row of zeros, so the first matching row in table order answers.
#pragma once

#include "win/types.h"

struct ResolutionRecord {
  WORD code;
  WORD horizontal;
  WORD vertical;
};

constexpr int kResolutionRowCount = 15;

// The table, ending in its row of zeros.
const ResolutionRecord* GetResolutionTable();
// The row with the code; null for code 0 or an unknown code.
const ResolutionRecord* FindResolutionRecord(WORD code);
// The code of the first row with both dpi values; 0 when either is 0 or none matches.
WORD FindResolutionCode(DWORD horizontal, DWORD vertical);
// The code of the first row whose horizontal dpi is dpi; 0 when dpi is 0 or none matches.
WORD FindResolutionCodeByDpi(DWORD dpi);
// The code of the first row after the row of `code` whose horizontal dpi is dpi; 0 when dpi
// is 0, `code` has no row or no such row follows.
WORD NextResolutionCodeForDpi(DWORD dpi, WORD code);
