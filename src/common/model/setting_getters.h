// Getters of the settings the computed judge items read most. Each cached getter keeps, in
// its own slot of the work area's getter cache, where its field is described in the
// context's field table (index + 1; 0 while not looked up), so that the table is searched
// once per context; the value itself is read anew at every call.
#pragma once

#include "win/types.h"

struct DriverContext;

enum GetterSlot : int {
  kGetOrientation, kGetDefaultSource, kGetCoverInputTray, kGetMPInputTray,
  kGetFuncSelectStaple, kGetStapleType, kGetFuncSelectPunch, kGetPunchType,
  kGetFuncSelectNup, kGetNupType, kGetFuncSelectDuplex, kGetDuplexType,
  // Tray papers, orientations and locks in tray-table order (trays 1-7, LCT1, manual, multi,
  // external 1; the external tray has no lock).
  kGetTray1Paper, kGetTray2Paper, kGetTray3Paper, kGetTray4Paper, kGetTray5Paper, kGetTray6Paper, kGetTray7Paper,
  kGetTrayLct1Paper, kGetTrayManualPaper, kGetTrayMultiPaper, kGetTrayExt1Paper,
  kGetTrayOrient0, kGetTrayOrient1, kGetTrayOrient2, kGetTrayOrient3, kGetTrayOrient4, kGetTrayOrient5,
  kGetTrayOrient6, kGetTrayOrient25, kGetTrayOrient27, kGetTrayOrient28, kGetTrayOrient29,
  kGetTrayLock0, kGetTrayLock1, kGetTrayLock2, kGetTrayLock3, kGetTrayLock4, kGetTrayLock5, kGetTrayLock6,
  kGetTrayLock25, kGetTrayLock27, kGetTrayLock28,
  kGetSourceLct1, kGetSourceManual, kGetSourceMulti,
  kGetFin1000, kGetFin3000, kGetFin2000, kGetFinBF, kGetOutput14, kGetOutput15,
  kGetFin2000NA, kGetFin2000EU, kGetFin2000NE, kGetFin2000NoPunch,
  kGetFin3000NA2, kGetFin3000EU2, kGetFin3000NA3, kGetFin3000NoPunch,
  kGetFinMF, kGetFin50, kGetFin100,
  kGetFin1NA, kGetFin1EU, kGetFin1NE, kGetFin1NoPunch,
  kGetFin2NA, kGetFin2EU, kGetFin2NE, kGetFin2NoPunch,          // read for the Fin50 group
  kGetFin3NA, kGetFin3EU, kGetFin3NE, kGetFin3NoPunch,
  kGetFin4NA2, kGetFin4EU, kGetFin4NE, kGetFin4NoPunch,         // read for the FinMF group
  kGetFin1Dom, kGetFin2Dom,
  kGetFin2NAEx, kGetFin2EUEx, kGetFin2NEEx, kGetFin2NoPunchEx,  // the FIN2 fields for Fin100Ex
  kGetFin1DomDom, kGetFin4NA2Dom, kGetFin4EUDom, kGetFin4NEDom, kGetFin4NoPunchDom,  // for DomGroup
  kGetterSlotCount
};
static_assert(kGetterSlotCount <= 131, "the work area has 131 getter slots");

// The field id a cached getter reads.
WORD GetterFieldId(GetterSlot slot);
// The field's value as ReadFieldRaw gives it; 0 when the context's table lacks the field
// (the slot then stays empty and the lookup is tried again next time).
DWORD GetCachedSetting(DriverContext* context, GetterSlot slot);

// Plain getters, looked up at every call.
DWORD GetBackCoverInputTray(DriverContext* context);
DWORD GetChapterTray(DriverContext* context);
DWORD GetReverseCoverInputTray(DriverContext* context);

// Group getters: 1 when any member reads non-zero (members tested in group order).
enum FinisherGroup { kGroupFinMF, kGroupFin50, kGroupFin100, kGroupFin100Ex, kGroupFinMFGroup, kGroupDom,
                     kGroupFin2000, kGroupFin3000, kGroupFin2000Or3000 };
int IsFinisherGroupInstalled(DriverContext* context, FinisherGroup group);
