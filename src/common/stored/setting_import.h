// Shipped settings files: importing one into a user copy (shipped layout, settings in the
// language section without a header test, into the user layout, settings in the printer
// section with a full header), the [condition] and [disable] tests that decide whether a
// file applies to the printer, and the path macros of shipped file names.
#pragma once

#include "win/types.h"

struct DriverContext;

// Characters of one condition key's value read from a file (with its NUL); a token is never
// longer than its key.
constexpr int kConditionTextChars = 260;

// Copies [condition] and [disable] of the source into the target (each replaced whole),
// then the source's settings (flags | SFT_IMPORT) into the target and a non-empty
// "Readonly" of the source. The context's settings are unchanged. A missing source, or a
// section of 30720 characters or more (never cut), imports nothing (0); otherwise the
// save's result.
int ImportSettingFile(const WCHAR* target, const WCHAR* source, DWORD flags, DriverContext* context);

// True when the file's printer section holds "KstVersion".
BOOL HasSettingFileVersion(const WCHAR* file, DriverContext* context);
// True when the integer key is present and not 0.
BOOL IsIniKeySet(const WCHAR* file, const WCHAR* section, const WCHAR* key);
// The value as decimal text.
BOOL WriteIniInt(const WCHAR* file, const WCHAR* section, int value, const WCHAR* key);

// Expands the macro prefix of a shipped name in place ("X:" kept; "%windir%", "%sysdir%",
// "..\", ".\", anything else relative). Mode 1 (settings files) takes the printer driver
// directory and the settings directory, mode 0 the Windows and system directories. A
// prefixed path of 260 characters or more is refused. True when the result is not empty.
BOOL ExpandPathMacros(WCHAR* path, DWORD capacity, int mode, DriverContext* context);
// Mode 1 expansion, then a base name with an extension of 1 to 3 characters.
BOOL ExpandAndCheckSettingFile(WCHAR* path, DWORD capacity, DriverContext* context);

// The per-user copy of a shipped file: the settings directory (the user's on a terminal
// server unless installing), "\" and the file's name with the extension "ksr". The quality
// and default companions: the settings root, "\" and the name with "ksq" or "ksd". Each
// into MAX_PATH characters; false (and empty) when the directory is missing or the result
// does not fit.
BOOL MakeUserCopyPath(const WCHAR* file, WCHAR* destination, DriverContext* context);
BOOL MakeQualityFilePath(const WCHAR* file, WCHAR* destination, DriverContext* context);
BOOL MakeDefaultFilePath(const WCHAR* file, WCHAR* destination, DriverContext* context);

// One token of a condition expression: blanks and tabs skipped, a '!' sets negate, the
// token copied (at most tokenChars - 1 characters; a longer token comes back empty with
// tooLong set) up to NUL, blank, tab, '|' or '&'; blanks skipped; a following '&' or '|'
// consumed into connector (0 when none). Answers the characters consumed.
int NextConditionToken(const char* text, char* token, int tokenChars, bool* negate, char* connector,
                       bool* tooLong = nullptr);

// The value of one token: 1 true, 0 false, -1 not a known condition.
using ConditionTokenValueFn = int (*)(const char* token, void* data);
// One key's expression with the carried result: 1 or 0, -1 when a token is unknown or too
// long (the file then does not apply).
int EvaluateConditionExpression(const char* text, bool carried, ConditionTokenValueFn value, void* data);
// The groups of [condition] ("ConditionOption<a>_<b>", a and b 0-9): the keys of one group
// are alternatives, every group must hold. True when the file applies.
bool EvaluateConditionGroups(const WCHAR* file, ConditionTokenValueFn value, void* data);
// The groups against the model's "KPD_ConditionOption" option: a token names one of its
// values and holds when the rules disable that value. A model without the option, or a
// file without [condition], applies; a token that names no value disables the file.
BOOL EvaluateSettingFileConditions(const WCHAR* file, DriverContext* context);

// False when [disable] holds a non-zero value under the context's model name.
BOOL IsSettingFileEnabled(const WCHAR* file, DriverContext* context);
// With the tint-block page off (kdmFunc2SelectTintBlockUI 0) every file; with it on only a
// file whose name without folder and extension is the context's model name (any case).
BOOL IsSettingFileForThisModel(const WCHAR* file, DriverContext* context);
// With the tint-block page on (kdmFunc2SelectTintBlockUI), only "ksr" and "ksd" files
// whose settings leave kdmFuncSelectWaterMark 0 or absent pass; otherwise every file.
BOOL IsFileStampFreeUnderTintBlock(const WCHAR* file, DriverContext* context);
// Loads the file's preset fields quietly; acceptable when its header did not match (it
// then loaded nothing) or no alert of the preset control's option is active with the
// loaded settings. The settings buffer is put back.
BOOL IsSettingsFileAcceptable(const WCHAR* file, DriverContext* context);
