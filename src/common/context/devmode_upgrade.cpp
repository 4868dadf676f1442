#include "stored/devmode_upgrade.h"

#include <cstddef>
#include <cstring>

#include "stored/devmode_convert.h"
#include "fields/devmode_header.h"
#include "fields/dictionary_lookup.h"
#include "base/driver_context.h"
#include "fields/field_access.h"
#include "fields/product_record.h"
#include "model/option_lookup.h"
#include "model/rule_apply.h"
#include "field_ids.h"

namespace {

constexpr DWORD kVersionInPrivate = kDmVersionPos - kDevmodePublicSize;   // 137
constexpr const char* kConversionItem = "KPD_ConvertDevmode";

}  // namespace

int CompareVersions(DWORD have, DWORD want) {
  const DWORD haveMajor = have / 100;
  const DWORD wantMajor = want / 100;
  if (haveMajor < 3 && wantMajor < 3) return VERSION_TOO_OLD;
  if (haveMajor == wantMajor) return have % 100 < want % 100 ? VERSION_UPGRADE : VERSION_ACCEPT;
  return haveMajor > wantMajor ? VERSION_ACCEPT : VERSION_TOO_OLD;
}

int CompareDevmodeVersion(const BYTE* devmode) {
  if (!devmode) return -1;
  WORD dmSize = 0;
  WORD dmDriverExtra = 0;
  std::memcpy(&dmSize, devmode + offsetof(DEVMODEW, dmSize), sizeof dmSize);
  std::memcpy(&dmDriverExtra, devmode + offsetof(DEVMODEW, dmDriverExtra), sizeof dmDriverExtra);
  if (!IsKnownPublicSize(dmSize)) return VERSION_TOO_OLD;
  // A private part too short to hold the version word carries no version of this driver:
  // the bytes after it are not the device-mode's.
  if (dmDriverExtra < kVersionInPrivate + sizeof(DWORD)) return -1;
  DWORD version = 0;
  std::memcpy(&version, devmode + dmSize + kVersionInPrivate, sizeof version);
  return CompareVersions(version, GetProductRecord()->devmodeVersion);
}

int UpgradeDevmodeIfOlder(const BYTE* devmode, DriverContext* context) {
  if (CompareDevmodeVersion(devmode) != VERSION_UPGRADE || !context) return 0;
  WORD dmSize = 0;
  std::memcpy(&dmSize, devmode + offsetof(DEVMODEW, dmSize), sizeof dmSize);
  DWORD from = 0;
  std::memcpy(&from, devmode + dmSize + kVersionInPrivate, sizeof from);
  const DWORD to = GetProductRecord()->devmodeVersion;
  const int result = RunDevmodeConversion(from, to, context);
  if (BYTE* own = GetPrivateDevmode(context)) std::memcpy(own + kVersionInPrivate, &to, sizeof to);
  return result;
}

int RunDevmodeConversion(DWORD from, DWORD to, DriverContext* context) {
  const ControlNameEntry* entry = FindNameEntryByName(kConversionItem);
  if (!entry || entry->itemId == 0 || !context) return 0;
  // The dictionary always names the item; a model that gives it no rules has no
  // conversion.
  if (!FindConditionBlock(entry->itemId, context)) return 0;
  for (DWORD step = from + 1; step > from && step <= to; ++step) {
    WriteFieldRawById(context, fid::wdmConvertVersion, step);
    ApplyConditionBlockTransacts(entry->itemId, context);
    if (ReadFieldRawById(context, fid::wdmConvertVersion) >= to) break;
  }
  return 1;
}
