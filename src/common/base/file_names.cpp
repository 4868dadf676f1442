#include "base/file_names.h"

#include <cstring>

#include "base/driver_context.h"
#include "base/paths_and_names.h"
#include "base/settings_dirs.h"
#include "base/system_checks.h"
#include "base/wide_text.h"
#include "win/kernel.h"

namespace {

bool IsEmpty(const WCHAR* s) { return !s || !s[0]; }

}  // namespace

const WCHAR* FindFileName(const WCHAR* path) {
  if (!path) return nullptr;
  const WCHAR* part = path;
  for (const WCHAR* p = path; *p; ++p)
    if (*p == u'\\') part = p + 1;
  return part;
}

const WCHAR* FindExtension(const WCHAR* path, INT* length) {
  const WCHAR* part = FindFileName(path);
  if (!part) {
    if (length) *length = 0;
    return nullptr;
  }
  const WCHAR* dot = nullptr;
  for (const WCHAR* p = part; *p; ++p)
    if (*p == u'.') dot = p;
  if (!dot) {
    if (length) *length = 0;
    return part;
  }
  if (length) *length = static_cast<INT>(WideLength(dot + 1));
  return dot + 1;
}

const WCHAR* GetBaseNameLength(const WCHAR* path, INT* length) {
  const WCHAR* part = FindFileName(path);
  INT n = 0;
  if (part)
    while (part[n] && part[n] != u'.') ++n;
  if (length) *length = n;
  return part;
}

BOOL HasShortExtension(const WCHAR* path) {
  INT baseLen = 0, extLen = 0;
  const WCHAR* part = GetBaseNameLength(path, &baseLen);
  if (!part || baseLen == 0) return FALSE;
  const WCHAR* ext = FindExtension(path, &extLen);
  if (ext == part) return FALSE;  // no '.' in the file part
  return extLen >= 1 && extLen <= 3;
}

BOOL ChangeExtension(WCHAR* target, const WCHAR* source, const WCHAR* extension) {
  if (!target || IsEmpty(source)) return FALSE;
  DWORD sourceLen = static_cast<DWORD>(WideLength(source));
  const WCHAR* part = FindFileName(source);
  const WCHAR* dot = nullptr;
  for (const WCHAR* p = part; *p; ++p)
    if (*p == u'.') dot = p;
  DWORD keep = dot ? static_cast<DWORD>(dot - source) + 1 : sourceLen;
  DWORD extLen = dot ? static_cast<DWORD>(WideLength(extension)) : 0;
  if (keep + extLen + 1 > MAX_PATH) {
    target[0] = 0;
    return FALSE;
  }
  std::memmove(target, source, keep * sizeof(WCHAR));
  if (dot && extLen) std::memcpy(target + keep, extension, extLen * sizeof(WCHAR));
  target[keep + extLen] = 0;
  return TRUE;
}

BOOL ChangeExtensionToKsq(WCHAR* target, const WCHAR* source) { return ChangeExtension(target, source, u"ksq"); }

BOOL MakeUserKsrPath(WCHAR* target, const WCHAR* name, DWORD size, DriverContext* context) {
  if (!target || size == 0) return FALSE;
  target[0] = 0;
  if (IsEmpty(name) || !context || !context->work) return FALSE;
  WCHAR dir[MAX_PATH];
  DWORD dirLen;
  const WorkArea* work = context->work;
  if (IsTerminalServerCachedFor(context->hPrinter, work->driverInfo) && !(work->kind & CTXK_INSTALLING))
    dirLen = GetUserSettingsDirFor(dir, MAX_PATH, context, work->printerInfo);
  else
    dirLen = GetSettingsDirFor(context, dir, MAX_PATH, work->printerInfo);
  if (dirLen == 0) return FALSE;
  WCHAR file[MAX_PATH];
  if (!ChangeExtension(file, FindFileName(name), u"ksr")) return FALSE;
  return JoinPath(target, size, dir, file) != 0;
}
