// Cached setting getters and the finisher group getters.
#include "model/setting_getters.h"

#include "base/driver_context.h"
#include <initializer_list>

#include "fields/field_access.h"
#include "field_ids.h"

namespace {

constexpr WORD kGetterFields[kGetterSlotCount] = {
    fid::dmOrientation, fid::dmDefaultSource, fid::kdmCoverInputTray, fid::kdmMPInputTray,
    fid::kdmFuncSelectStaple, fid::kdmStapleType, fid::kdmFuncSelectPunch, fid::kdmPunchType,
    fid::kdmFuncSelectNup, fid::kdmNUPType, fid::kdmFuncSelectDuplex, fid::kdmDuplexType,
    fid::kdmTray1Paper, fid::kdmTray2Paper, fid::kdmTray3Paper, fid::kdmTray4Paper, fid::kdmTray5Paper,
    fid::kdmTray6Paper, fid::kdmTray7Paper, fid::kdmTray26PaperLCT1, fid::kdmTray28PaperManual,
    fid::kdmTray29PaperMulti, fid::kdmTray30PaperExt1,
    fid::kdmTrayOrient0, fid::kdmTrayOrient1, fid::kdmTrayOrient2, fid::kdmTrayOrient3, fid::kdmTrayOrient4,
    fid::kdmTrayOrient5, fid::kdmTrayOrient6, fid::kdmTrayOrient25, fid::kdmTrayOrient27,
    fid::kdmTrayOrient28, fid::kdmTrayOrient29,
    fid::kdmTrayLock0, fid::kdmTrayLock1, fid::kdmTrayLock2, fid::kdmTrayLock3, fid::kdmTrayLock4,
    fid::kdmTrayLock5, fid::kdmTrayLock6, fid::kdmTrayLock25, fid::kdmTrayLock27, fid::kdmTrayLock28,
    fid::kdmSourceOptionTypeLCT1, fid::kdmSourceOptionTypeManual, fid::kdmSourceOptionTypeMulti,
    fid::kdmOutputOptionTypeFin1000, fid::kdmOutputOptionTypeFin3000, fid::kdmOutputOptionTypeFin2000,
    fid::kdmOutputOptionTypeFinBF, fid::kdmOutputOptionType14, fid::kdmOutputOptionType15,
    fid::kdmOutputOptionTypeFin2000NA, fid::kdmOutputOptionTypeFin2000EU, fid::kdmOutputOptionTypeFin2000NE,
    fid::kdmOutputOptionTypeFin2000NoPunch,
    fid::kdmOutputOption2TypeFin3000NA2, fid::kdmOutputOption2TypeFin3000EU2,
    fid::kdmOutputOption2TypeFin3000NA3, fid::kdmOutputOption2TypeFin3000NoPunch,
    fid::kdmOutputOption2TypeFinMF, fid::kdmOutputOption2TypeFin50, fid::kdmOutputOption2TypeFin100,
    fid::kdmOutputOption2TypeFIN1NA, fid::kdmOutputOption2TypeFIN1EU, fid::kdmOutputOption2TypeFIN1NE,
    fid::kdmOutputOption2TypeFIN1NoPunch,
    fid::kdmOutputOption2TypeFIN2NA, fid::kdmOutputOption2TypeFIN2EU, fid::kdmOutputOption2TypeFIN2NE,
    fid::kdmOutputOption2TypeFIN2NoPunch,
    fid::kdmOutputOption2TypeFIN3NA, fid::kdmOutputOption2TypeFIN3EU, fid::kdmOutputOption2TypeFIN3NE,
    fid::kdmOutputOption2TypeFIN3NoPunch,
    fid::kdmOutputOption2TypeFIN4NA2, fid::kdmOutputOption2TypeFIN4EU, fid::kdmOutputOption2TypeFIN4NE,
    fid::kdmOutputOption2TypeFIN4NoPunch,
    fid::kdmOutputOption2TypeFin1Dom, fid::kdmOutputOption2TypeFin2Dom,
    fid::kdmOutputOption2TypeFIN2NA, fid::kdmOutputOption2TypeFIN2EU, fid::kdmOutputOption2TypeFIN2NE,
    fid::kdmOutputOption2TypeFIN2NoPunch,
    fid::kdmOutputOption2TypeFin1Dom, fid::kdmOutputOption2TypeFIN4NA2, fid::kdmOutputOption2TypeFIN4EU,
    fid::kdmOutputOption2TypeFIN4NE, fid::kdmOutputOption2TypeFIN4NoPunch,
};

bool AnyOf(DriverContext* context, std::initializer_list<GetterSlot> members) {
  for (GetterSlot s : members) {
    if (GetCachedSetting(context, s) != 0) return true;
  }
  return false;
}

}  // namespace

WORD GetterFieldId(GetterSlot slot) {
  return slot >= 0 && slot < kGetterSlotCount ? kGetterFields[slot] : 0;
}

DWORD GetCachedSetting(DriverContext* context, GetterSlot slot) {
  if (!context || !context->work || slot < 0 || slot >= kGetterSlotCount) return 0;
  DWORD& cached = context->work->getterCache[slot];
  const FieldTable& table = context->fields;
  if (cached != 0 && table.records && cached <= static_cast<DWORD>(table.count > 0 ? table.count : 0)) {
    const SettingField* field = &table.records[cached - 1];
    if (field->id == kGetterFields[slot]) return ReadFieldRaw(context, field);
  }
  SettingField* field = nullptr;
  const DWORD value = ReadFieldRawById(context, kGetterFields[slot], &field);
  cached = field && table.records ? static_cast<DWORD>(field - table.records) + 1 : 0;
  return value;
}

DWORD GetBackCoverInputTray(DriverContext* context) { return ReadFieldRawById(context, fid::kdmBackCoverInputTray); }
DWORD GetChapterTray(DriverContext* context) { return ReadFieldRawById(context, fid::wdmChapterTray); }
DWORD GetReverseCoverInputTray(DriverContext* context) { return ReadFieldRawById(context, fid::kdmReverseCoverInputTray); }

int IsFinisherGroupInstalled(DriverContext* context, FinisherGroup group) {
  switch (group) {
    case kGroupFinMF:
      return AnyOf(context, {kGetFin1Dom, kGetFin4NA2, kGetFin4EU, kGetFin4NE, kGetFin4NoPunch});
    case kGroupFin50:
      return AnyOf(context, {kGetFin50, kGetFin2NA, kGetFin2EU, kGetFin2NE, kGetFin2NoPunch});
    case kGroupFin100:
      return AnyOf(context, {kGetFin100, kGetFin3NA, kGetFin3EU, kGetFin3NE, kGetFin3NoPunch});
    case kGroupFin100Ex:
      return AnyOf(context, {kGetFin2NAEx, kGetFin2EUEx, kGetFin2NEEx, kGetFin2NoPunchEx});
    case kGroupFinMFGroup:
      return AnyOf(context, {kGetFinMF, kGetFin1NA, kGetFin1EU, kGetFin1NE, kGetFin1NoPunch});
    case kGroupDom:
      return AnyOf(context, {kGetFin1DomDom, kGetFin4NA2Dom, kGetFin4EUDom, kGetFin4NEDom, kGetFin4NoPunchDom,
                             kGetFin2Dom});
    case kGroupFin2000:
      return AnyOf(context, {kGetFin2000, kGetFin2000NA, kGetFin2000EU, kGetFin2000NE, kGetFin2000NoPunch});
    case kGroupFin3000:
      return AnyOf(context, {kGetFin3000, kGetFin3000NA2, kGetFin3000EU2, kGetFin3000NA3, kGetFin3000NoPunch});
    case kGroupFin2000Or3000:
      return IsFinisherGroupInstalled(context, kGroupFin2000) || IsFinisherGroupInstalled(context, kGroupFin3000);
  }
  return 0;
}
