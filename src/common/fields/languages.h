// The built-in language table and the language of a file name, a setting or the user.
#pragma once

#include "win/spool.h"
#include "win/types.h"

struct DriverContext;

struct LanguageRow {
  WORD id;
  WORD primary;      // low 10 bits of a Windows LANGID
  WORD sublanguage;  // 0 = any
  WCHAR code[3];
};

constexpr WORD kDefaultLanguageId = 1;
constexpr WORD kNoLanguage = 0xFFFF;

// 19 rows and an end row {0xFFFF, 0xFFFF, 0xFFFF}.
const LanguageRow* GetLanguageTable();

const WCHAR* GetLanguageCodeById(DWORD id);                // "us" when unknown
WORD GetLanguageIdFromCode(const WCHAR* code);             // 1 when unknown or null
const WCHAR* NormaliseLanguageCode(const WCHAR* code);     // "us" when unknown
BOOL IsKnownLanguageId(DWORD id);
// Primary language in the low byte; the row's sublanguage in *sublanguage (0 when none).
WORD GetPrimaryLanguageOfId(DWORD id, WORD* sublanguage);
WORD FindLanguageByLangId(WORD primary, WORD sublanguage);  // 0xFFFF when none
WORD GetUserLanguageId();

// The two characters before the '.' of the file name's extension; id 1 and "us" for a
// null path, a name without two characters there, or a code the table lacks.
WORD LanguageIdFromFileName(const WCHAR* path);
const WCHAR* LanguageCodeFromFileName(const WCHAR* path);

WORD GetLanguageIdFromDriverHelp(DriverContext* context);
const WCHAR* LanguageCodeFromDriverHelp(DriverContext* context);
WORD LanguageIdFromHelpValue(DriverContext* context);
const WCHAR* LanguageCodeFromHelpValue(DriverContext* context);
const WCHAR* LanguageCodeFromHelpValueOfPrinter(HANDLE printer);

const WCHAR* GetLanguageCodeOfSetting(DriverContext* context);
const WCHAR* GetLanguageCodeCopy(DriverContext* context);
// languageCode := the help file's language (creation mode 1) or the "HelpFileName"
// value's (every other mode).
const WCHAR* SetContextLanguageCode(DriverContext* context);
