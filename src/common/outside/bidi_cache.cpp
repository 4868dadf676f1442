// The two-way results cache (Fennicb.ini) and the printer-data flags of the two-way answers.
// Every INI or printer-data failure is silent: a read failure counts as an absent or clear
// flag, a write failure is ignored, and a path that does not fit leaves the cache out of
// play.
#include "outside/bidi_cache.h"

#include <cstring>

#include "base/driver_context.h"
#include "base/deliverable.h"
#include "base/file_ops.h"
#include "base/ini_files.h"
#include "base/install_services.h"
#include "base/paths_and_names.h"
#include "base/printer_data.h"
#include "base/settings_dirs.h"
#include "field_ids.h"
#include "fields/devmode_header.h"
#include "fields/field_access.h"
#include "stored/settings_file.h"
#include "stored/settings_load_save.h"
#include "win/files.h"
#include "win/security.h"
#include "win/spool.h"

namespace {

constexpr char16_t kCacheFile[] = u"Fennicb.ini";
constexpr char16_t kFlagKey[] = u"BidiFlag";
constexpr char16_t kFuncKey[] = u"BidiFunc";
constexpr char16_t kExFlagKey[] = u"BidiExFlag";
constexpr INT kAbsent = 7;

bool IsConnection(DriverContext* context) { return GetStateByte(context, fid::KPD_kdmServerClientMode) == 1; }

const WCHAR* Section(DriverContext* context) { return GetPrinterDisplayName(context); }

// The key's value in the printer's section; kAbsent when the key or the file is missing.
INT ReadKey(DriverContext* context, const char16_t* key) {
  WCHAR path[MAX_PATH] = {};
  if (!context || !GetBidiCachePath(context, path, MAX_PATH)) return kAbsent;
  const WCHAR* section = Section(context);
  if (!section || !section[0]) return kAbsent;
  return ReadIniInt(section, key, kAbsent, path);
}

void WriteKey(DriverContext* context, const char16_t* key, DWORD value) {
  WCHAR path[MAX_PATH] = {};
  if (!context || !GetBidiCachePath(context, path, MAX_PATH)) return;
  const WCHAR* section = Section(context);
  if (!section || !section[0]) return;
  WCHAR text[12] = {};
  int n = 0;
  char16_t digits[12];
  int d = 0;
  do {
    digits[d++] = static_cast<char16_t>(u'0' + value % 10);
    value /= 10;
  } while (value && d < 11);
  while (d > 0) text[n++] = digits[--d];
  WriteIniString(section, key, text, path);
}

bool ReadPrinterDword(HANDLE printer, const char16_t* name, DWORD* value) {
  *value = 0;
  return printer && GetPrinterDataValue(printer, value, sizeof *value, name, 0);
}

}  // namespace

// ---- printer-data flags ------------------------------------------------------------------

int IsBidiFlagSet(HANDLE printer, DriverContext*) {
  DWORD value = 0;
  return ReadPrinterDword(printer, kFlagKey, &value) && (value & 1u) ? 1 : 0;
}
void SetBidiFlag(HANDLE printer, DWORD value, DriverContext*) {
  if (printer) SetPrinterDataBinary(printer, &value, sizeof value, kFlagKey, 0);
}
void SetBidiFunc(HANDLE printer, BYTE value, DriverContext*) {
  if (printer) SetPrinterDataBinary(printer, &value, 1, kFuncKey, 0);
}
void SetBidiExFlag(HANDLE printer, DWORD value, DriverContext*) {
  if (printer) SetPrinterDataBinary(printer, &value, sizeof value, kExFlagKey, 0);
}

BOOL CanWriteBidiPrinterData(DriverContext* context) {
  if (!context || !context->hPrinter) return FALSE;
  DWORD value = 0;
  if (!ReadPrinterDword(context->hPrinter, kFlagKey, &value)) return FALSE;
  return SetPrinterDataBinary(context->hPrinter, &value, sizeof value, kFlagKey, 0) ? TRUE : FALSE;
}

// ---- the INI cache -----------------------------------------------------------------------

bool GetBidiCachePath(DriverContext* context, WCHAR* buffer, DWORD size) {
  if (!buffer || size == 0) return false;
  buffer[0] = 0;
  if (!context) return false;
  MakeSettingsPath(buffer, size, kCacheFile, context);
  return buffer[0] != 0;
}

int HasBidiCacheIni(DriverContext* context) { return ReadKey(context, kFlagKey) != kAbsent ? 1 : 0; }
BOOL IsBidiCacheIniSet(DriverContext* context) {
  const INT v = ReadKey(context, kFlagKey);
  return v != kAbsent && v != 0 ? TRUE : FALSE;
}
int HasBidiExCacheIni(DriverContext* context) { return ReadKey(context, kExFlagKey) != kAbsent ? 1 : 0; }
int IsBidiExCacheIniSet(DriverContext* context) {
  const INT v = ReadKey(context, kExFlagKey);
  return v != kAbsent && v != 0 ? 1 : 0;
}

bool ReadCachedBidiFlag(DriverContext* context, DWORD* flag) {
  if (flag) *flag = 0;
  const INT v = ReadKey(context, kFlagKey);
  if (v == kAbsent) return false;
  if (flag) *flag = v != 0 ? 1 : 0;
  return true;
}

int LoadBidiCacheFile(const WCHAR* path, DriverContext* context) {
  // A cache that does not exist holds no answers: the load reads nothing (and the settings
  // file's read would create the file empty and answer as if it had loaded it).
  if (!context || !path || !path[0] || !PathExists(path)) return 0;
  const int result = LoadSettingsFile(context->hPrinter, path, SFT_EXTENDED, context);
  const WCHAR* section = Section(context);
  if (section && section[0])
    SetStateByte(context, fid::KPD_kdmBidiFunc, static_cast<BYTE>(ReadIniInt(section, kFuncKey, 0, path)));
  return result;
}

int LoadBidiCacheIni(DriverContext* context) {
  WCHAR path[MAX_PATH] = {};
  if (!context || !GetBidiCachePath(context, path, MAX_PATH)) return 0;
  return LoadBidiCacheFile(path, context);
}

int SaveBidiCacheIni(DriverContext* context) {
  WCHAR path[MAX_PATH] = {};
  if (!context || !GetBidiCachePath(context, path, MAX_PATH)) return 0;
  const int result = SaveSettingsFile(context->hPrinter, path, SFT_EXTENDED, context);
  WriteKey(context, kFlagKey, 1);
  WriteKey(context, kFuncKey, GetStateByte(context, fid::KPD_kdmBidiFunc) & 0xFFu);
  WriteKey(context, kExFlagKey, 1);
  return result;
}

int ClearBidiCacheIni(DriverContext* context) {
  WCHAR path[MAX_PATH] = {};
  if (!context || !GetBidiCachePath(context, path, MAX_PATH)) return 1;
  const WCHAR* section = Section(context);
  if (section && section[0]) WriteIniString(section, nullptr, nullptr, path);
  return 1;
}

// An existing file gets a DACL of one entry giving Everyone full access; a missing one is
// made with that descriptor and holds CR LF.
void CreateBidiCacheIni(DriverContext* context) {
  WCHAR path[MAX_PATH] = {};
  if (!context || !GetBidiCachePath(context, path, MAX_PATH)) return;
  PSECURITY_DESCRIPTOR descriptor = BuildEveryoneDescriptor();
  if (!descriptor) return;
  if (GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES) {
    SetFileSecurityW(path, DACL_SECURITY_INFORMATION, descriptor);
  } else {
    SECURITY_ATTRIBUTES attributes{sizeof(SECURITY_ATTRIBUTES), descriptor, FALSE};
    HANDLE file = CreateFileW(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, &attributes, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      DWORD written = 0;
      WriteFile(file, "\r\n", 2, &written, nullptr);
      CloseHandle(file);
    }
  }
  FreeEveryoneDescriptor(descriptor);
}

// ---- the reported trays ------------------------------------------------------------------

void MarkBidiExtended(DriverContext* context) {
  if (!context) return;
  if (!IsConnection(context) && HasBidiExCacheIni(context)) {
    WriteKey(context, kExFlagKey, 1);
    return;
  }
  SetBidiExFlag(context->hPrinter, 1, context);
}

namespace {

// BidiExFlag as the document sees it: the section's key for a local printer that has one,
// else the printer data bit 0.
bool ExFlagSet(DriverContext* context) {
  if (!IsConnection(context) && HasBidiExCacheIni(context)) return IsBidiExCacheIniSet(context) != 0;
  DWORD value = 0;
  return ReadPrinterDword(context->hPrinter, kExFlagKey, &value) && (value & 1u);
}

}  // namespace

int IsBidiExtended(DriverContext* context) {
  if (!context) return 0;
  if (ExFlagSet(context)) return 1;
  return CanWriteBidiPrinterData(context) ? 0 : 1;
}

// The reported default cover, mark and reverse-cover trays go into the document's trays
// while the document has not taken them yet, and the first chapter tray always. The settings
// API copies them whatever the document took, and leaves the settings INI alone.
void CopyBidiTrayFeatures(DriverContext* context) {
  if (!context || !context->settings) return;
  const bool interfaceBuild = IsInterfaceBuild();
  if (interfaceBuild && IsBidiExtended(context)) return;
  if (GetBatchInstKst(context)) return;
  const bool copyTrays = !interfaceBuild || !ExFlagSet(context);
  if (copyTrays) {
    const DWORD cover = ReadFieldRawById(context, fid::kdmCoverDefTray);
    WriteFieldRawById(context, fid::kdmCoverInputTray, cover);
    WriteFieldRawById(context, fid::kdmBackCoverInputTray, cover);
    WriteFieldRawById(context, fid::kdmMPInputTray, ReadFieldRawById(context, fid::kdmMPDefTray));
    WriteFieldRawById(context, fid::kdmReverseCoverInputTray, ReadFieldRawById(context, fid::kdmReverseCoverDefTray));
  }
  const DWORD chapter = ReadFieldRawById(context, fid::kdmChapterDefTray1);
  WriteFieldRawById(context, fid::wdmChapterTray, chapter);
  if (!interfaceBuild) return;
  const WCHAR* ini = GetUserIniPath(context);
  const WCHAR* section = GetPrinterSectionName(context);
  if (!ini || !ini[0] || !section || !section[0]) return;
  WCHAR text[12] = {};
  char16_t digits[12];
  int d = 0, n = 0;
  DWORD value = chapter;
  do {
    digits[d++] = static_cast<char16_t>(u'0' + value % 10);
    value /= 10;
  } while (value && d < 11);
  while (d > 0) text[n++] = digits[--d];
  WriteIniString(section, u"wdmChapterTray", text, ini);
}
