// Same-size and same-paper items.
#include "model/paper_source_items.h"

#include "model/units.h"
#include "fields/judge_items.h"
#include "model/setting_getters.h"

int SameSizeInTray(DriverContext* context, WORD trayCode) {
  return TrayHoldsPaper(context, trayCode, static_cast<DWORD>(GetEffectivePaperSize(context)));
}

int SamePaperAsSpecialTray(DriverContext* context, WORD specialTrayCode) {
  DWORD paper = 0, orientation = 0;
  if (!GetTrayPaperAndOrient(context, specialTrayCode, &paper, &orientation)) {
    paper = 0xFFFFFFFFu;
    orientation = 0xFFFFFFFFu;
  }
  return MainTrayFeedMatches(context, paper, orientation);
}

bool ComputePaperSourceItem(DriverContext* context, WORD id, DWORD* value) {
  static constexpr WORD kSameSizeTrays[] = {kTrayAuto, 1, 3, 2, 256, 11, 4};  // items 820-826
  int result = -1;
  if (id >= 820 && id <= 826) {
    result = SameSizeInTray(context, kSameSizeTrays[id - 820]);
  } else if (id >= 836 && id <= 840) {
    DWORD tray = 0;
    switch (id) {
      case 836: tray = GetCachedSetting(context, kGetCoverInputTray); break;
      case 837: tray = GetCachedSetting(context, kGetMPInputTray); break;
      case 838: tray = GetBackCoverInputTray(context); break;
      case 839: tray = GetChapterTray(context); break;
      default: tray = GetReverseCoverInputTray(context); break;
    }
    result = SamePaperAsSpecialTray(context, static_cast<WORD>(tray));
  }
  if (result < 0) return false;
  if (value) *value = static_cast<DWORD>(result);
  return true;
}
