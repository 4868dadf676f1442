#include "stored/list_keys.h"

#include "base/driver_context.h"
#include "base/paths_and_names.h"
#include "base/settings_dirs.h"

bool UserListLocation(DriverContext* context, const WCHAR*& ini, const WCHAR*& section) {
  if (!context || !context->work) return false;
  ini = GetUserIniPath(context);
  section = GetPrinterSectionName(context);
  return ini && ini[0] && section;
}

bool AppendKeySuffix(WCHAR* out, int outChars, const WCHAR* key, const WCHAR* suffix) {
  int i = 0;
  for (; key[i]; ++i) {
    if (i >= outChars - 1) return false;
    out[i] = key[i];
  }
  for (int j = 0; suffix[j]; ++j, ++i) {
    if (i >= outChars - 1) return false;
    out[i] = suffix[j];
  }
  out[i] = 0;
  return true;
}
