// Cached setting getters and the finisher group getters.
#include "model/setting_getters.h"

#include "context/driver_context.h"
#include <initializer_list>

#include "context/field_access.h"

namespace {

constexpr WORD kGetterFields[kGetterSlotCount] = {
    7, 13, 125, 123,
    63, 121, 62, 120,
    56, 92, 58, 94,
    10175, 10176, 10177, 10178, 10179, 10180, 10181, 10200, 10202, 10203, 10204,
    10143, 10144, 10145, 10146, 10147, 10148, 10149, 10168, 10170, 10171, 10172,
    10239, 10240, 10241, 10242, 10243, 10244, 10245, 10264, 10266, 10267,
    10018, 10021, 10022,
    10049, 10050, 10058, 10059, 10060, 10061,
    10074, 10075, 10076, 10077,
    10078, 10079, 10080, 10081,
    10082, 10083, 10084,
    10086, 10087, 10088, 10089,
    10090, 10091, 10092, 10093,
    10094, 10095, 10096, 10097,
    10098, 10099, 10100, 10101,
    10102, 10103,
    10090, 10091, 10092, 10093,
    10102, 10098, 10099, 10100, 10101,
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

DWORD GetBackCoverInputTray(DriverContext* context) { return ReadFieldRawById(context, 127); }
DWORD GetChapterTray(DriverContext* context) { return ReadFieldRawById(context, 1003); }
DWORD GetReverseCoverInputTray(DriverContext* context) { return ReadFieldRawById(context, 408); }

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
