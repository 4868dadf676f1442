// Fold classes and the fold direction items.
#include "model/fold_items.h"

#include "fields/field_access.h"
#include "model/units.h"
#include "field_ids.h"
#include "fields/judge_items.h"
#include "model/setting_getters.h"

namespace {

int MachineId(DriverContext* context) { return static_cast<int>(ReadFieldRawById(context, fid::kdmMachineID) & 0xFF); }

bool IsClass3Paper(int p) {
  switch (p) {
    case 6: case 11: case 13: case 70: case 88: case 43: case 82: case 7: case 514: case 513:
    case 14: case 517: case 93: case 256: case 448:
      return true;
    default:
      return p >= 384 && p <= 393;
  }
}

// The fold trays of the machine, in the order they are searched; count 0 for none.
int FoldTrays(int machine, const WORD** trays) {
  static constexpr WORD kTrays144[] = {1, 3, 2, 256, 261, 262, 263};
  static constexpr WORD kTraysLct[] = {1, 3, 2, 256, 11};
  if (machine == 144) {
    *trays = kTrays144;
    return 7;
  }
  if (machine == 158 || machine == 186 || machine == 162) {
    *trays = kTraysLct;
    return 5;
  }
  *trays = nullptr;
  return 0;
}

// The first fold tray set portrait whose paper passes the test; 0 when there is none.
template <typename Test>
int FoldTrayMatches(DriverContext* context, Test test) {
  const WORD* trays = nullptr;
  const int count = FoldTrays(MachineId(context), &trays);
  for (int i = 0; i < count; ++i) {
    DWORD paper = 0xFFFFFFFFu, orientation = 0xFFFFFFFFu;
    if (!GetTrayPaperAndOrient(context, trays[i], &paper, &orientation)) {
      paper = 0xFFFFFFFFu;
      orientation = 0xFFFFFFFFu;
    }
    if (orientation == 0 && test(static_cast<int>(paper))) return 1;
  }
  return 0;
}

int FoldTrayHoldsPaper(DriverContext* context, int paper) {
  return FoldTrayMatches(context, [&](int p) { return p == paper; });
}

int FoldTrayHoldsClass(DriverContext* context, int foldClass) {
  return FoldTrayMatches(context, [&](int p) { return FoldClassOf(context, p) == foldClass; });
}

bool FromManual(DriverContext* context, DWORD tray, WORD functionField) {
  return static_cast<WORD>(tray) == 4 && ReadFieldRawById(context, functionField) == 1;
}

// The manual tray (4) cannot feed paper to be folded: not as the main source, nor for a
// special page whose function is on.
bool FoldSourceAllowed(DriverContext* context) {
  if (static_cast<WORD>(GetCachedSetting(context, kGetDefaultSource)) == 4) return false;
  if (FromManual(context, GetCachedSetting(context, kGetCoverInputTray), fid::kdmFuncSelectCover)) return false;
  if (FromManual(context, GetCachedSetting(context, kGetMPInputTray), fid::kdmFuncSelectMark)) return false;
  if (FromManual(context, GetBackCoverInputTray(context), fid::kdmFuncSelectBack)) return false;
  if (FromManual(context, GetReverseCoverInputTray(context), fid::kdmFuncSelectReverseCover)) return false;
  if (ReadFieldRawById(context, fid::kdmFuncSelectChapter) == 1) {
    static constexpr WORD kChapterTrays[] = {fid::wdmChapterTray,     fid::wdmChapterUseTray1, fid::wdmChapterUseTray2,
                                             fid::wdmChapterUseTray3, fid::wdmChapterUseTray4, fid::wdmChapterUseTray5,
                                             fid::wdmChapterUseTray6, fid::wdmChapterUseTray7};
    for (WORD field : kChapterTrays) {
      if (static_cast<WORD>(ReadFieldRawById(context, field)) == 4) return false;
    }
  }
  return true;
}

}  // namespace

int FoldClassOf(DriverContext* context, int paper) {
  const int machine = MachineId(context);
  const bool wide = machine == 162;
  if (!wide && machine != 144 && machine != 158 && machine != 186) return 0;
  if ((wide && paper == 512) || paper == 8 || paper == 12 || paper == 3 || paper == 5) return 1;
  if (paper == 9 || paper == 1) return 2;
  return IsClass3Paper(paper) ? 3 : 0;
}

int FoldDirectionItem(DriverContext* context, int rightLeft) {
  if (!FoldSourceAllowed(context)) return 0;
  const int d = PrintPaperOrient(context);
  const int p = GetEffectivePaperSize(context);
  switch (FoldClassOf(context, p)) {
    case 1:
      return rightLeft != d ? 0 : FoldTrayHoldsPaper(context, p);
    case 2:
      return rightLeft == d ? FoldTrayHoldsPaper(context, p) : FoldTrayHoldsClass(context, 1);
    case 3:
      return FoldTrayHoldsClass(context, 1) ? 1 : FoldTrayHoldsClass(context, 2);
    default:
      return 0;
  }
}

bool ComputeFoldItem(DriverContext* context, WORD id, DWORD* value) {
  int result = -1;
  if (id >= 842 && id <= 844) result = FoldClassOf(context, GetEffectivePaperSize(context)) == id - 841 ? 1 : 0;
  if (id == 845) result = FoldDirectionItem(context, 1);
  if (id == 846) result = FoldDirectionItem(context, 0);
  if (result < 0) return false;
  if (value) *value = static_cast<DWORD>(result);
  return true;
}
