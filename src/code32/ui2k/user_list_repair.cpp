#include "user_list_repair.h"

#include <initializer_list>

#include "base/driver_context.h"
#include "base/ini_files.h"
#include "base/paths_and_names.h"
#include "stored/snapshot_ring.h"
#include "model/free_size_list.h"
#include "stored/stamp_list.h"

namespace {

constexpr DWORD kValueChars = 300;
constexpr WCHAR kNoValue[] = u"\x01";

bool HasValue(const WCHAR* ini, const WCHAR* section, const WCHAR* key, bool nonEmpty) {
  WCHAR value[kValueChars] = {};
  ReadIniString(section, key, kNoValue, value, kValueChars, ini);
  if (value[0] == kNoValue[0] && !value[1]) return false;
  return !nonEmpty || value[0] != 0;
}

bool FreeSizesBroken(DriverContext* context, const WCHAR* ini) {
  const int count = GetFreeSizeCount(context);
  for (int i = 0; i < count; ++i) {
    WCHAR section[64];
    MakeFreeSizeSection(section, i, context);
    for (const WCHAR* key : {u"wdmFreeSizeWidth", u"wdmFreeSizeLength", u"wdmFreeSizeTray", u"wdmFreeSizeOrient"})
      if (!HasValue(ini, section, key, true)) return true;
  }
  return false;
}

bool StampsBroken(DriverContext* context, const WCHAR* ini) {
  const int count = GetStampCount(context);
  if (count < 1) return true;
  // The keys every saved stamp has (the two-plane switch is not among what a stamp save
  // writes, so its absence breaks nothing).
  static constexpr const WCHAR* kAlways[] = {
      u"kdmWmKind",     u"wdmWmOpaque",    u"wdmWmUnit",      u"wdmWmDensity",   u"wdmWmEffect",
      u"wdmWmPosi",     u"wdmWmPosiTile",  u"wdmWmPage",      u"wdmWmStartPage", u"wdmWmEndPage",
      u"wdmWmAngle",    u"kdmWmID",        u"wdmWmFontName",  u"wdmWmFontPoint", u"wdmWmColor",
      u"wdmWmColorR",   u"wdmWmColorG",    u"wdmWmColorB",    u"wdmWmFontStyle", u"wdmWmFontScale",
      u"wdmWmFont",     u"wdmWMFuncSelectOrder"};
  for (int i = 0; i < count; ++i) {
    WCHAR section[64];
    MakeStampSection(section, i, context);
    for (const WCHAR* key : kAlways)
      if (!HasValue(ini, section, key, false)) return true;
    const int kind = ReadIniInt(section, u"kdmWmKind", 0, ini);
    if (kind == 1 && (!HasValue(ini, section, u"wdmWmChar", false) || !HasValue(ini, section, u"wdmWmCharName", false)))
      return true;
    if (kind == 2 && (!HasValue(ini, section, u"wdmWmImage", false) || !HasValue(ini, section, u"wdmWmImageName", false)))
      return true;
  }
  return false;
}

}  // namespace

int RepairUserLists(DriverContext* context) {
  if (!context || !context->work) return 1;
  const WCHAR* ini = GetUserIniPath(context);
  if (!ini || !ini[0]) return 1;
  if (FreeSizesBroken(context, ini)) {
    const int pushed = PushSettingsSnapshot(context);
    SetFreeSizeCount(context, GetSharedFreeSizeCount(context));
    const int count = GetFreeSizeCount(context);
    for (int i = 0; i < count; ++i) {
      ClearFreeSize(context, i);
      WriteFreeSizeSection(context, i);
    }
    if (pushed) PopSettingsSnapshot(context, 1);
  }
  if (StampsBroken(context, ini)) {
    const int pushed = PushSettingsSnapshot(context);
    const int shared = GetSharedStampCount(context);
    if (GetStampCount(context) < shared) SetStampCount(context, shared);
    const int count = GetStampCount(context);
    for (int i = 0; i < count; ++i) {
      CopyStampSectionToCurrent(context, i < shared ? i : 0);
      SaveStamp(context, i);
    }
    if (pushed) PopSettingsSnapshot(context, 1);
  }
  return 1;
}
