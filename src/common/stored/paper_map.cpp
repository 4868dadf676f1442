// The paper map and the names of the user paper ids.
#include "model/paper_map.h"

#include "base/driver_context.h"
#include "fields/field_access.h"
#include "fields/locale_text.h"
#include "base/ui_strings.h"
#include "field_ids.h"

namespace {

struct PaperMapRow {
  WORD index;
  WORD paperId;
};
constexpr PaperMapRow kPaperMap[kPaperMapRows] = {{0, 384}, {1, 385}, {2, 386},  {3, 387},  {4, 388},   {5, 389},
                                                  {6, 390}, {7, 391}, {8, 392}, {9, 393}, {10, 256}, {11, 448}};

// A list name holds at most 32 characters.
constexpr int kUserPaperNameChars = 33;

}  // namespace

bool IsCustomPaperId(DWORD paperId) { return paperId >= 384 && paperId <= 393; }

int FreeSizeIndexFromPaperId(DWORD paperId, DriverContext*) {
  for (const PaperMapRow& row : kPaperMap)
    if (row.paperId == paperId) return row.index;
  return kNoFreeSizeIndex;
}

DWORD PaperIdFromFreeSizeIndex(int index, int count, DriverContext*) {
  if (count < index) return 0;
  if (count > kPaperMapRows) count = kPaperMapRows;
  for (int i = 0; i < count; ++i)
    if (kPaperMap[i].index == index) return kPaperMap[i].paperId;
  return 0;
}

void LoadUserPaperNames(DriverContext* context, DWORD paperId, int index) {
  if (!context || !context->work || index < 0 || index >= kFreeSizeRecordCount) return;
  if (paperId != 256 && paperId != 448) return;
  FreeSizeRecord& record = context->work->freeSizes[index];
  const bool first = paperId == 256;
  WCHAR name[kUserPaperNameChars] = {};
  LoadUiString(context, first ? 752 : 753, name, kUserPaperNameChars, 1);
  WideToAnsi(record.listName, name, static_cast<int>(sizeof record.listName));
  // Width, length, tray and orientation of paper 256 (340-343) or of paper 448 (344-347).
  const WORD from = first ? fid::kdmPaperFreeSizeWidth : fid::kdmPrintFreeSizeWidth;
  record.width = ReadFieldRawById(context, from);
  record.length = ReadFieldRawById(context, static_cast<WORD>(from + 1));
  record.tray = static_cast<WORD>(ReadFieldRawById(context, static_cast<WORD>(from + 2)));
  record.orientation = static_cast<WORD>(ReadFieldRawById(context, static_cast<WORD>(from + 3)));
}
