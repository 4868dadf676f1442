// Cutting file names: file part, extension, base name, changed extensions, and the
// per-printer settings file's path.
#pragma once

#include "win/types.h"

struct DriverContext;

const WCHAR* FindFileName(const WCHAR* path);
const WCHAR* FindExtension(const WCHAR* path, INT* length);
const WCHAR* GetBaseNameLength(const WCHAR* path, INT* length);
BOOL HasShortExtension(const WCHAR* path);
// Copies the source into the target (MAX_PATH characters) with the characters after the
// last '.' of its file part replaced by the extension; 0 for a null or empty source or a
// result that would not fit.
BOOL ChangeExtension(WCHAR* target, const WCHAR* source, const WCHAR* extension);
BOOL ChangeExtensionToKsq(WCHAR* target, const WCHAR* source);
// The directory of the context's per-printer files, "\" and the name's file part with the
// extension "ksr".
BOOL MakeUserKsrPath(WCHAR* target, const WCHAR* name, DWORD size, DriverContext* context);
