#include "stored/user_info.h"

#include "base/build_switches.h"
#include "base/driver_context.h"
#include "fields/field_access.h"
#include "base/paths_and_names.h"
#include "field_ids.h"
#include "win/kernel.h"
#include "win/profile.h"

namespace {

constexpr DWORD kPathChars = 261;
constexpr DWORD kNameChars = 257;

bool SameTextIgnoringCase(const WCHAR* a, const WCHAR* b) {
  auto lower = [](WCHAR c) { return c >= u'A' && c <= u'Z' ? static_cast<WCHAR>(c - u'A' + u'a') : c; };
  for (; *a && *b; ++a, ++b)
    if (lower(*a) != lower(*b)) return false;
  return *a == *b;
}

void CopyText(WCHAR* destination, DWORD size, const WCHAR* source) {
  DWORD i = 0;
  if (source)
    for (; i + 1 < size && source[i]; ++i) destination[i] = source[i];
  destination[i] = 0;
}

// The user information file and the section to read in it; false when either is missing.
bool FindUserSection(DriverContext* context, WCHAR* file, WCHAR* section) {
  const WCHAR* printerName = GetPrinterDisplayName(context);
  GetPrivateProfileStringW(printerName, u"UserInfomationFile", u"", file, kPathChars - 1, GetSecondIniPath(context));
  if (!file[0] || !ExpandSystemPathVariable(file, kPathChars, context) || !file[0]) return false;
  WCHAR kind[kNameChars] = {};
  GetPrivateProfileStringW(u"Common", u"SectionName", u"", kind, kNameChars, file);
  if (!kind[0]) return false;
  if (SameTextIgnoringCase(kind, u"User")) {
    DWORD size = kNameChars - 1;
    if (!GetUserNameW(section, &size)) return false;
  } else if (SameTextIgnoringCase(kind, u"Driver")) {
    CopyText(section, kNameChars, GetModelName(context));
  } else if (SameTextIgnoringCase(kind, u"Printer")) {
    CopyText(section, kNameChars, printerName);
  } else {
    return false;
  }
  return section[0] != 0;
}

}  // namespace

int LoadUserInformation(DriverContext* context) {
  if (!context || !context->settings) return 0;
  WCHAR file[kPathChars] = {};
  WCHAR section[kNameChars] = {};
  bool looked = false, found = false;
  for (DWORD i = 0; i < 16; ++i) {
    const auto id = static_cast<WORD>(fid::wdmSpecial1 + i);
    DWORD value = 0;
    if (IsBuildFeatureEnabled(i)) {
      if (!looked) {
        found = FindUserSection(context, file, section);
        looked = true;
      }
      if (found) {
        WCHAR key[16] = u"Function";
        const DWORD n = i + 1;
        int k = 8;
        if (n >= 10) key[k++] = static_cast<WCHAR>(u'0' + n / 10);
        key[k++] = static_cast<WCHAR>(u'0' + n % 10);
        key[k] = 0;
        value = GetPrivateProfileIntW(section, key, 0, file);
      }
    }
    WriteFieldRawById(context, id, value);
  }
  return 1;
}
