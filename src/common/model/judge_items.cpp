// The dispatch of the computed judge items, the printed orientation and the tray table.
#include "fields/judge_items.h"

#include "model/units.h"
#include "model/finisher_items.h"
#include "model/fold_items.h"
#include "model/media_items.h"
#include "model/paper_source_items.h"
#include "model/resolution_limit.h"
#include "model/setting_getters.h"

namespace {

struct TrayRow {
  WORD code;
  GetterSlot paper;
  GetterSlot orientation;
  int lock;       // GetterSlot, or -1
  int installed;  // GetterSlot, or -1
};

constexpr TrayRow kTray1{1, kGetTray1Paper, kGetTrayOrient0, kGetTrayLock0, -1};
constexpr TrayRow kTray2{3, kGetTray2Paper, kGetTrayOrient1, kGetTrayLock1, -1};
constexpr TrayRow kTray3{2, kGetTray3Paper, kGetTrayOrient2, kGetTrayLock2, -1};
constexpr TrayRow kTray4{256, kGetTray4Paper, kGetTrayOrient3, kGetTrayLock3, -1};
constexpr TrayRow kTray5{261, kGetTray5Paper, kGetTrayOrient4, kGetTrayLock4, -1};
constexpr TrayRow kTray6{262, kGetTray6Paper, kGetTrayOrient5, kGetTrayLock5, -1};
constexpr TrayRow kTray7{263, kGetTray7Paper, kGetTrayOrient6, kGetTrayLock6, -1};
constexpr TrayRow kTrayLct{11, kGetTrayLct1Paper, kGetTrayOrient25, kGetTrayLock25, kGetSourceLct1};
constexpr TrayRow kTrayManual{4, kGetTrayManualPaper, kGetTrayOrient27, kGetTrayLock27, kGetSourceManual};
constexpr TrayRow kTrayMulti{4, kGetTrayMultiPaper, kGetTrayOrient28, kGetTrayLock28, kGetSourceMulti};
constexpr TrayRow kTrayExt1{286, kGetTrayExt1Paper, kGetTrayOrient29, -1, -1};

// Automatic selection: the fixed trays, the LCT, then code 4 as multi-purpose and as manual.
constexpr TrayRow kAutoOrder[] = {kTray1, kTray2, kTray3, kTray4, kTray5, kTray6, kTray7, kTrayLct, kTrayMulti,
                                  kTrayManual};

// The row of a single tray code (not 7); code 4 is the manual tray when it is installed,
// else the multi-purpose tray when that one is; withExternal admits code 286.
const TrayRow* SingleTray(DriverContext* context, WORD code, bool withExternal) {
  switch (code) {
    case 1: return &kTray1;
    case 3: return &kTray2;
    case 2: return &kTray3;
    case 256: return &kTray4;
    case 261: return &kTray5;
    case 262: return &kTray6;
    case 263: return &kTray7;
    case 11: return &kTrayLct;
    case 4:
      if (GetCachedSetting(context, kGetSourceManual) != 0) return &kTrayManual;
      if (GetCachedSetting(context, kGetSourceMulti) != 0) return &kTrayMulti;
      return nullptr;
    case 286: return withExternal ? &kTrayExt1 : nullptr;
    default: return nullptr;
  }
}

bool TakesPartInAuto(DriverContext* context, const TrayRow& row) {
  if (row.installed >= 0 && GetCachedSetting(context, static_cast<GetterSlot>(row.installed)) == 0) return false;
  return row.lock < 0 || GetCachedSetting(context, static_cast<GetterSlot>(row.lock)) == 0;
}

bool Holds(DriverContext* context, const TrayRow& row, DWORD paper) {
  return static_cast<WORD>(GetCachedSetting(context, row.paper)) == static_cast<WORD>(paper);
}

bool Feeds(DriverContext* context, const TrayRow& row, DWORD paper, DWORD orientation) {
  return Holds(context, row, paper) && GetCachedSetting(context, row.orientation) == orientation;
}

bool IsNupLayout(DWORD nupType) {
  return (nupType >= 1 && nupType <= 18) || (nupType >= 129 && nupType <= 130) || (nupType >= 161 && nupType <= 164);
}

}  // namespace

int PrintPaperOrient(DriverContext* context) {
  const DWORD o = GetCachedSetting(context, kGetOrientation);
  if (GetCachedSetting(context, kGetFuncSelectNup) == 1 && IsNupLayout(GetCachedSetting(context, kGetNupType)))
    return o == 1 ? 1 : 0;
  if (GetCachedSetting(context, kGetFuncSelectDuplex) == 1 && GetCachedSetting(context, kGetDuplexType) >= 17)
    return o == 1 ? 1 : 0;
  return o != 1 ? 1 : 0;
}

int TrayHoldsPaper(DriverContext* context, WORD trayCode, DWORD paper) {
  if (trayCode == kTrayAuto) {
    for (const TrayRow& row : kAutoOrder) {
      if (TakesPartInAuto(context, row) && Holds(context, row, paper)) return 1;
    }
    return 0;
  }
  const TrayRow* row = SingleTray(context, trayCode, false);
  return row && Holds(context, *row, paper) ? 1 : 0;
}

int TrayFeedMatches(DriverContext* context, WORD trayCode, DWORD paper, DWORD orientation) {
  if (trayCode == kTrayAuto) {
    for (const TrayRow& row : kAutoOrder) {
      if (TakesPartInAuto(context, row) && Feeds(context, row, paper, orientation)) return 1;
    }
    return 0;
  }
  const TrayRow* row = SingleTray(context, trayCode, false);
  return row && Feeds(context, *row, paper, orientation) ? 1 : 0;
}

int MainTrayFeedMatches(DriverContext* context, DWORD paper, DWORD orientation) {
  return TrayFeedMatches(context, static_cast<WORD>(GetCachedSetting(context, kGetDefaultSource)), paper,
                         orientation);
}

DWORD MainTrayFeedFlags(DriverContext* context, DWORD paper) {
  const WORD source = static_cast<WORD>(GetCachedSetting(context, kGetDefaultSource));
  auto flagOf = [&](const TrayRow& row) -> DWORD {
    if (!Holds(context, row, paper)) return 0;
    return GetCachedSetting(context, row.orientation) == 0 ? 1u : 2u;
  };
  if (source == kTrayAuto) {
    DWORD flags = 0;
    for (const TrayRow& row : kAutoOrder) {
      if (TakesPartInAuto(context, row)) flags |= flagOf(row);
    }
    return flags;
  }
  const TrayRow* row = SingleTray(context, source, false);
  return row ? flagOf(*row) : 0;
}

bool GetTrayPaperAndOrient(DriverContext* context, WORD trayCode, DWORD* paper, DWORD* orientation) {
  const TrayRow* row = trayCode == kTrayAuto ? nullptr : SingleTray(context, trayCode, true);
  if (!row) return false;
  if (paper) *paper = GetCachedSetting(context, row->paper);
  if (orientation) *orientation = GetCachedSetting(context, row->orientation);
  return true;
}

DWORD ComputeJudgeItem(DriverContext* context, WORD id) {
  if (!context) return 0;
  if (id == 819) return static_cast<DWORD>(PrintPaperOrient(context));
  if (id == 835) return ResolutionOverCheckItem(context);
  DWORD value = 0;
  if (ComputeFinisherItem(context, id, &value) || ComputePaperSourceItem(context, id, &value) ||
      ComputeFoldItem(context, id, &value) || ComputeMediaItem(context, id, &value))
    return value;
  return 0;
}
