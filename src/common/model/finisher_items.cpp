// Finisher items: paper lists, family table, staple and punch position checks, and the
// feed direction of the first installed finisher.
#include "model/finisher_items.h"

#include <initializer_list>

#include "fields/field_access.h"
#include "model/units.h"
#include "field_ids.h"
#include "fields/judge_items.h"
#include "model/setting_getters.h"

namespace {

bool InList(int paper, std::initializer_list<int> codes) {
  for (int code : codes) {
    if (code == paper) return true;
  }
  return false;
}

// Paper lists without their extensions.
bool InFinMFList(int p) { return InList(p, {8, 9, 12, 13, 1, 5, 3, 512, 514, 513, 14, 7}); }
bool InStdList(int p) { return InList(p, {8, 9, 12, 13, 1, 5, 3, 514, 513, 14, 7, 517, 93}); }
bool InFinBFList(int p) { return InList(p, {8, 9, 12, 1, 5, 3, 14}); }
bool In14List(int p) { return InList(p, {8, 9, 12, 13, 1, 5, 3, 14, 517, 93, 7}); }
bool In15List(int p) { return InList(p, {8, 9, 12, 13, 1, 5, 3, 514, 513, 14, 517, 93, 7, 512}); }
bool InDomList(int p) { return InList(p, {8, 9, 12, 13, 1, 5, 3}); }

// Exclusion lists: a NAEU item is 1 when the paper is not in its list.
bool InStdExclusion(int p) { return InList(p, {9, 11, 13, 5, 1, 6, 514, 513, 14, 7, 93}); }
bool InFinMFExclusion(int p) { return InList(p, {9, 11, 13, 5, 1, 6, 514, 513, 14, 7}); }

bool IsLargePaper(int p) { return InList(p, {8, 12, 5, 3, 514, 513, 14, 517, 512}); }

// The standard list with its extension: 11 always, 6 while the group is installed.
bool InStdListExtended(DriverContext* context, int p, FinisherGroup group) {
  if (InStdList(p) || p == 11) return true;
  return p == 6 && IsFinisherGroupInstalled(context, group);
}

struct PunchVariant {
  GetterSlot field;
  GetterSlot alsoField;  // a second field with the same codes, or the same slot again
  int first, last;       // one range of allowed punch codes
  int first2, last2;     // a second range, or 0..-1
};

struct FamilyRow {
  FinisherGroup group;
  int noPunchSlot;  // GetterSlot, or -1 for none
  PunchVariant variants[4];
  int variantCount;
};

const FamilyRow& Family(FinisherFamily family) {
  static const FamilyRow kRows[] = {
      {kGroupFinMF,
       kGetFin4NoPunch,
       {{kGetFin1Dom, kGetFin1Dom, 1, 3, 0, -1},
        {kGetFin4NA2, kGetFin4NA2, 1, 3, 17, 19},
        {kGetFin4EU, kGetFin4EU, 1, 3, 33, 35},
        {kGetFin4NE, kGetFin4NE, 49, 51, 0, -1}},
       4},
      {kGroupFin50,
       kGetFin2NoPunch,
       {{kGetFin50, kGetFin50, 1, 3, 0, -1},
        {kGetFin2NA, kGetFin2NA, 1, 3, 17, 19},
        {kGetFin2EU, kGetFin2EU, 1, 3, 33, 35},
        {kGetFin2NE, kGetFin2NE, 49, 51, 0, -1}},
       4},
      {kGroupFin100,
       kGetFin3NoPunch,
       {{kGetFin100, kGetFin100, 1, 3, 0, -1},
        {kGetFin3NA, kGetFin3NA, 1, 3, 17, 19},
        {kGetFin3EU, kGetFin3EU, 1, 3, 33, 35},
        {kGetFin3NE, kGetFin3NE, 49, 51, 0, -1}},
       4},
      {kGroupFin100Ex,
       -1,
       {{kGetFin2NAEx, kGetFin2NEEx, 1, 3, 0, -1},
        {kGetFin2EUEx, kGetFin2EUEx, 17, 19, 0, -1},
        {kGetFin2NoPunchEx, kGetFin2NoPunchEx, 33, 35, 0, -1},
        {}},
       3},
  };
  return kRows[family];
}

// The family's list with its extension (FinMF: 11 and 6 always).
bool InFamilyListExtended(DriverContext* context, FinisherFamily family, int p) {
  if (family == kFamilyFinMF) return InFinMFList(p) || p == 11 || p == 6;
  return InStdListExtended(context, p, Family(family).group);
}

bool InFamilyList(FinisherFamily family, int p) { return family == kFamilyFinMF ? InFinMFList(p) : InStdList(p); }

bool InFamilyExclusion(FinisherFamily family, int p) {
  return family == kFamilyFinMF ? InFinMFExclusion(p) : InStdExclusion(p);
}

int Paper(DriverContext* context) { return GetEffectivePaperSize(context); }

int Installed(DriverContext* context, FinisherFamily family) {
  return IsFinisherGroupInstalled(context, Family(family).group);
}

// (F1 and not b) or (F2 and b): the position wants the paper's short edge leading as set.
bool FeedsSame(bool f1, bool f2, bool b) { return (f1 && !b) || (f2 && b); }
bool FeedsCrossed(bool f1, bool f2, bool b) { return (f1 && b) || (f2 && !b); }

// ---- feed direction -------------------------------------------------------------------

enum StapleRule { kS1, kS2, kS3, kS4, kS5, kS6 };

int TurnWhenLandscape(bool b) { return b ? 2 : 1; }   // 2 when b, else 1
int TurnWhenPortrait(bool b) { return b ? 1 : 2; }    // 1 when b, else 2

int StapleDirection(int rule, DWORD stapleType, bool b) {
  switch (rule) {
    case kS1:
    case kS6:
      if (stapleType == 33 || stapleType == 65) return TurnWhenLandscape(b);
      if (stapleType == 34 || stapleType == 66 || stapleType == 67) return TurnWhenPortrait(b);
      if (stapleType == 49 || stapleType == 50) return 3;
      if (rule == kS6 && stapleType == 68) return 1;
      return 0;
    case kS2:
      if (stapleType == 33) return TurnWhenLandscape(b);
      if (stapleType == 34) return TurnWhenPortrait(b);
      return 0;
    case kS3:
      if (stapleType == 33 || stapleType == 34) return 3;
      if (stapleType == 65) return TurnWhenLandscape(b);
      if (stapleType == 66 || stapleType == 67) return TurnWhenPortrait(b);
      if (stapleType == 68) return 1;
      return 0;
    case kS4:
      if (stapleType == 49) return TurnWhenLandscape(b);
      if (stapleType == 50) return TurnWhenPortrait(b);
      return 0;
    case kS5:
      if (stapleType == 49 || stapleType == 50) return 3;
      if (stapleType == 65) return TurnWhenLandscape(b);
      if (stapleType == 66 || stapleType == 67) return TurnWhenPortrait(b);
      return 0;
  }
  return 0;
}

// Punch kinds of the deciding entry: all positions, the positions without code 49-51
// (entry 7), or all positions and the two-staple codes 65 and 66 (entry 9).
enum PunchKind { kPunchAll, kPunchNoNE, kPunchWithStaple };

// The direction the punch position decides, or -1 to fall through to the staple step.
int PunchDirection(int kind, DWORD c, bool b) {
  const bool top = c == 1 || c == 17 || c == 33 || (kind != kPunchNoNE && c == 49);
  const bool side = c == 2 || c == 3 || c == 18 || c == 19 || c == 34 || c == 35 ||
                    (kind != kPunchNoNE && (c == 50 || c == 51));
  if (top) return TurnWhenLandscape(b);
  if (side) return TurnWhenPortrait(b);
  if (kind == kPunchWithStaple) {
    if (c == 65) return b ? 2 : 0;
    if (c == 66) return b ? 0 : 1;
  }
  return -1;
}

int DecideDirection(DriverContext* context, bool inList, bool punchConsidered, int punchKind, int stapleRule) {
  if (!inList) return 0;
  const bool b = PrintPaperOrient(context) != 0;
  if (punchConsidered && GetCachedSetting(context, kGetFuncSelectPunch) != 0) {
    const int direction = PunchDirection(punchKind, GetCachedSetting(context, kGetPunchType), b);
    if (direction >= 0) return direction;
  }
  if (GetCachedSetting(context, kGetFuncSelectStaple) == 0) return 3;
  return StapleDirection(stapleRule, GetCachedSetting(context, kGetStapleType), b);
}

}  // namespace

int FinisherPortSet(DriverContext* context, FinisherFamily family) {
  const int p = Paper(context);
  return Installed(context, family) && InFamilyListExtended(context, family, p) &&
                 MainTrayFeedMatches(context, static_cast<DWORD>(p), 0)
             ? 1
             : 0;
}

int FinisherLandSet(DriverContext* context, FinisherFamily family) {
  const int p = Paper(context);
  return Installed(context, family) && InFamilyListExtended(context, family, p) && !IsLargePaper(p) &&
                 MainTrayFeedMatches(context, static_cast<DWORD>(p), 1)
             ? 1
             : 0;
}

int FinisherStapleSupportSize(DriverContext* context, FinisherFamily family) {
  return InFamilyList(family, Paper(context)) ? 1 : 0;
}

int FinisherPunchSupportSize(DriverContext* context, FinisherFamily family) {
  return InFamilyListExtended(context, family, Paper(context)) ? 1 : 0;
}

int FinisherNaeuPunchSupportSize(DriverContext* context, FinisherFamily family) {
  return InFamilyExclusion(family, Paper(context)) ? 0 : 1;
}

int FinisherStapleTypeSupport(DriverContext* context, FinisherFamily family) {
  const int p = Paper(context);
  if (!Installed(context, family) || !InFamilyList(family, p)) return 0;
  const DWORD flags = MainTrayFeedFlags(context, static_cast<DWORD>(p));
  if (flags == 0) return 0;
  const bool f1 = (flags & 1) != 0, f2 = (flags & 2) != 0;
  const bool b = PrintPaperOrient(context) != 0;
  switch (GetCachedSetting(context, kGetStapleType)) {
    case 33:
    case 65:
      return FeedsSame(f1, f2, b) ? 1 : 0;
    case 34:
    case 66:
    case 67:
      return FeedsCrossed(f1, f2, b) ? 1 : 0;
    case 49:
    case 50:
      return 1;
    case 68: {
      const bool notSmall = p != 5 && p != 13;
      switch (family) {
        case kFamilyFinMF: return f1 && notSmall ? 1 : 0;
        case kFamilyFin50: return 0;
        case kFamilyFin100:
        case kFamilyFin100Ex: return GetCachedSetting(context, kGetFinBF) != 0 && f1 && notSmall ? 1 : 0;
      }
      return 0;
    }
    default:
      return 0;
  }
}

int FinisherPunchTypeSupport(DriverContext* context, FinisherFamily family) {
  const FamilyRow& row = Family(family);
  if (row.noPunchSlot >= 0 && GetCachedSetting(context, static_cast<GetterSlot>(row.noPunchSlot)) != 0) return 0;
  if (!IsFinisherGroupInstalled(context, row.group)) return 0;
  const int p = Paper(context);
  if (!InFamilyListExtended(context, family, p)) return 0;
  const DWORD flags = MainTrayFeedFlags(context, static_cast<DWORD>(p));
  if (flags == 0) return 0;
  const DWORD c = GetCachedSetting(context, kGetPunchType);
  for (int i = 0; i < row.variantCount; ++i) {
    const PunchVariant& v = row.variants[i];
    if (GetCachedSetting(context, v.field) == 0 && GetCachedSetting(context, v.alsoField) == 0) continue;
    const int code = static_cast<int>(c);
    const bool allowed = (code >= v.first && code <= v.last) || (code >= v.first2 && code <= v.last2);
    if (!allowed) return 0;
    break;
  }
  const bool f1 = (flags & 1) != 0, f2 = (flags & 2) != 0;
  if (family == kFamilyFin100 && GetCachedSetting(context, kGetFin100) != 0 &&
      ReadFieldRawById(context, fid::kdmOutputOptionTypePunch) != 0 && !(p == 9 && f2))
    return 0;
  const bool b = PrintPaperOrient(context) != 0;
  const bool excluded = InFamilyExclusion(family, p);
  switch (c) {
    case 49:
    case 50:
    case 51:
      if (family == kFamilyFin100Ex) return 0;
      if (c == 49) return FeedsSame(f1, f2, b) ? 1 : 0;
      return FeedsCrossed(f1, f2, b) ? 1 : 0;
    case 1:
      return FeedsSame(f1, f2, b) ? 1 : 0;
    case 2:
    case 3:
      return FeedsCrossed(f1, f2, b) ? 1 : 0;
    case 17:
    case 33:
      if (f2 && b) return 1;
      return f1 && !b && !excluded ? 1 : 0;
    case 18:
    case 19:
    case 34:
    case 35:
      if (f2 && !b) return 1;
      return f1 && b && !excluded ? 1 : 0;
    default:
      return 0;
  }
}

int ForceFeedDirection(DriverContext* context) {
  const int p = Paper(context);
  if (IsFinisherGroupInstalled(context, kGroupFin2000Or3000)) {
    const bool noPunch = GetCachedSetting(context, kGetFin2000NoPunch) != 0 ||
                         GetCachedSetting(context, kGetFin3000NoPunch) != 0;
    return DecideDirection(context, InStdListExtended(context, p, kGroupFin2000), !noPunch, kPunchAll, kS1);
  }
  if (GetCachedSetting(context, kGetFin1000) != 0) return DecideDirection(context, InStdList(p), false, kPunchAll, kS2);
  if (GetCachedSetting(context, kGetFinBF) != 0) return DecideDirection(context, InFinBFList(p), false, kPunchAll, kS3);
  if (GetCachedSetting(context, kGetOutput14) != 0) return DecideDirection(context, In14List(p), false, kPunchAll, kS4);
  if (GetCachedSetting(context, kGetOutput15) != 0) return DecideDirection(context, In15List(p), false, kPunchAll, kS5);
  if (IsFinisherGroupInstalled(context, kGroupFinMFGroup))
    return DecideDirection(context, InStdListExtended(context, p, kGroupFinMFGroup),
                           GetCachedSetting(context, kGetFin1NoPunch) == 0, kPunchAll, kS6);
  if (IsFinisherGroupInstalled(context, kGroupFin100Ex))
    return DecideDirection(context, InStdListExtended(context, p, kGroupFin100Ex),
                           GetCachedSetting(context, kGetFin3NoPunch) == 0, kPunchNoNE, kS6);
  if (IsFinisherGroupInstalled(context, kGroupFin50))
    return DecideDirection(context, InStdListExtended(context, p, kGroupFin50),
                           GetCachedSetting(context, kGetFin2NoPunch) == 0, kPunchAll, kS1);
  if (IsFinisherGroupInstalled(context, kGroupFin100))
    return DecideDirection(context, InStdListExtended(context, p, kGroupFin100),
                           GetCachedSetting(context, kGetFin3NoPunch) == 0, kPunchWithStaple, kS6);
  if (IsFinisherGroupInstalled(context, kGroupDom))
    return DecideDirection(context, InDomList(p) || (p == 6 && IsFinisherGroupInstalled(context, kGroupDom)),
                           GetCachedSetting(context, kGetFin4NoPunchDom) == 0, kPunchAll, kS6);
  return 0;
}

bool ComputeFinisherItem(DriverContext* context, WORD id, DWORD* value) {
  // Items by family: PortSet, LandSet, StapleSupportSize, PunchTypeSupport,
  // StapleTypeSupport, PunchSupportSize, NAEUPunchSupportSize from the family's first id.
  struct FamilyIds {
    WORD first;
    WORD count;
    FinisherFamily family;
  };
  static constexpr FamilyIds kIds[] = {
      {730, 6, kFamilyFinMF}, {759, 7, kFamilyFin50}, {795, 7, kFamilyFin100}, {811, 7, kFamilyFin100Ex}};
  int result = -1;
  for (const FamilyIds& f : kIds) {
    if (id < f.first || id >= f.first + f.count) continue;
    switch (id - f.first) {
      case 0: result = FinisherPortSet(context, f.family); break;
      case 1: result = FinisherLandSet(context, f.family); break;
      case 2: result = FinisherStapleSupportSize(context, f.family); break;
      case 3: result = FinisherPunchTypeSupport(context, f.family); break;
      case 4: result = FinisherStapleTypeSupport(context, f.family); break;
      case 5: result = FinisherPunchSupportSize(context, f.family); break;
      default: result = FinisherNaeuPunchSupportSize(context, f.family); break;
    }
  }
  if (id == 809) result = InStdExclusion(Paper(context)) ? 0 : 1;
  if (id == 827) result = ForceFeedDirection(context) == 1 ? 1 : 0;
  if (id == 828) result = ForceFeedDirection(context) == 2 ? 1 : 0;
  if (result < 0) return false;
  if (value) *value = static_cast<DWORD>(result);
  return true;
}
