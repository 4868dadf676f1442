// Settings files: INI text holding a header that names the product, the model and the
// language ("KstVersion", "KstMachine", "KstLanguage", "KstOSKind") and one key per setting
// named by its field name. This file holds the transfer flags, the choice of the section,
// the header and its check, the lock check of a plain load, and the conversion of a
// section's text into the list the profile API takes.
#pragma once

#include <cstdint>

#include "win/types.h"

struct DriverContext;

// SettingsTransferFlags: the flags word of a settings-file transfer. 0 is a plain load or
// save of a user's settings file; a "plain" load is exactly SFT_LOAD, a plain save exactly
// SFT_SAVE.
constexpr DWORD SFT_LOAD = 0x1;
constexpr DWORD SFT_SAVE = 0x2;
constexpr DWORD SFT_PRESET = 0x4;
constexpr DWORD SFT_TEXTFILE = 0x8;
constexpr DWORD SFT_QUALITY = 0x10;
constexpr DWORD SFT_STAMP = 0x20;
constexpr DWORD SFT_FREESIZE = 0x80;
constexpr DWORD SFT_EXTENDED = 0x100;
constexpr DWORD SFT_CURFREESIZE = 0x200;
constexpr DWORD SFT_KSDSECTION = 0x800;
constexpr DWORD SFT_WORKFIELDS = 0x1000;
constexpr DWORD SFT_IMPORT = 0x2000;
constexpr DWORD SFT_QUIET = 0x8000;
constexpr DWORD SFT_LANGSECTION = 0x10000;
constexpr DWORD SFT_PRESETSAVE = 0x20000;

// Settings-file status (GetSettingsFileStatus).
constexpr std::int32_t SFS_OK = 0;
constexpr std::int32_t SFS_HEADER_MISMATCH = 1;
constexpr std::int32_t SFS_UNREADABLE = 2;
constexpr std::int32_t SFS_LOCKED_VALUE_DIFFERS = 3;

// UI messages: a file's header does not match; a locked setting differs.
constexpr DWORD MSG_SETTINGS_HEADER_MISMATCH = 10023;
constexpr DWORD MSG_SETTINGS_LOCKED_VALUE = 12041;

// Section names of the settings text file.
inline constexpr WCHAR kPrnSectionName[] = u"KOVAPrnSection";
inline constexpr WCHAR kKsdSectionName[] = u"KOVAKsdSection";
inline constexpr WCHAR kSettingsTextFileName[] = u"Fennict.txt";

// Characters of a section-name buffer, with its NUL.
constexpr DWORD kSectionNameChars = 261;

// A path the transfers accept: non-empty with ':' as its second character.
bool IsDriveLetterPath(const WCHAR* path);

// The section a transfer of these flags uses, with '[' and ']' replaced by ',', into the
// buffer (kSectionNameChars characters; a longer name is cut). Import load and text-file
// load: the two-letter code of kdmLanguageID; the ksd-section flag: "KOVAKsdSection";
// otherwise the printer section name cached in the work area.
void ChooseTransferSection(DriverContext* context, DWORD flags, WCHAR* section);

// a / 100 == b / 100, both taken as unsigned 16-bit numbers.
bool IsSameVersionSeries(DWORD a, DWORD b);

// The header keys in order ("KstVersion" only when versionOnly): appended to textBuffer at
// *offset when a buffer is given, else written key by key into the file. 1 when every key
// was written.
BOOL WriteSettingsFileHeader(const WCHAR* path, char* textBuffer, DriverContext* context, const WCHAR* section,
                             LONG* offset, bool versionOnly);

// Loads: checks the header read from the memory section (with the shared cursor) or, when
// there is none, through the profile API; a mismatch warns (unless showWarning is off, the
// flags hold SFT_QUALITY or the code runs in the settings API) and answers 0. A file of an
// older version of the same series then has the device-mode conversion steps run on the
// settings. Saves: writes the header into textBuffer (with the write offset) or the file.
// Stamp and free-size transfers use "KstVersion" only; current-free-size and text-file
// transfers have no header.
BOOL CheckSettingsFileHeader(const WCHAR* path, const WCHAR* section, DWORD flags, bool showWarning,
                             DriverContext* context, const char* memorySection, char* textBuffer, LONG* cursor,
                             bool allowSameSeries);

// The lock check of a plain load: for fields 13, 54, 56, 91, 209, 58, 15, 152, 38 and 39
// in that order, a locked field's value in the file must be there and equal the current
// one (N-up kind: 1 to 4 while all N-up kinds are locked). The first failure warns with
// the file path and answers 0.
BOOL CheckLockedFeatureValues(DriverContext* context, const WCHAR* path, const WCHAR* section, DWORD flags);
BOOL CheckLockedFeatureValue(DriverContext* context, const WCHAR* path, const WCHAR* section, const WCHAR* key,
                             WORD fieldId);

// Turns section text into the NUL-separated list of WritePrivateProfileSectionW in place:
// each run of CR and LF characters becomes one NUL (so no empty entry ends the list early).
// The text has room for length + 2 characters; the list is ended with its extra NUL.
// Answers the list's characters before the extra NUL.
DWORD SplitLinesToMultiString(WCHAR* text, DWORD length);
