// The paper map: the paper ids that stand for the free (user-defined) paper sizes in every
// paper list, and the names and sizes of the two user paper ids of the public device-mode.
#pragma once

#include "win/types.h"

struct DriverContext;

// Rows of the paper map: list indexes 0-9 are the free sizes (paper ids 384-393), index 10
// is paper id 256 (the public device-mode's user size) and index 11 paper id 448.
constexpr int kPaperMapRows = 12;
constexpr int kNoFreeSizeIndex = -1;

// True for the free-size paper ids 384-393.
bool IsCustomPaperId(DWORD paperId);
// The list index of the first map row with the paper id; kNoFreeSizeIndex when there is
// none, so that no caller mistakes another paper for free size 0.
int FreeSizeIndexFromPaperId(DWORD paperId, DriverContext* context);
// The paper id of the first of the first `count` rows (at most kPaperMapRows) whose index
// is the given one; 0 when count is smaller than the index or no row matches.
DWORD PaperIdFromFreeSizeIndex(int index, int count, DriverContext* context);

// Record `index` of the work area takes, for paper id 256, UI string 752 with its size as
// list name and the size, tray and orientation of fields 340-343; for paper id 448 UI
// string 753 and fields 344-347. Other paper ids and indexes change nothing.
void LoadUserPaperNames(DriverContext* context, DWORD paperId, int index);
