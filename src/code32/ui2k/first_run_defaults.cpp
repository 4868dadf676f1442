#include "first_run_defaults.h"

#include <cstdio>

#include "fields/devmode_header.h"
#include "base/driver_context.h"
#include "fields/field_access.h"
#include "fields/field_table.h"
#include "base/file_ops.h"
#include "base/ini_files.h"
#include "fields/languages.h"
#include "fields/locale_text.h"
#include "base/paths_and_names.h"
#include "field_ids.h"

namespace {

constexpr WCHAR kFirstRunIni[] = u"Fennic.ini";
constexpr DWORD kUserCodeChars = 9;
constexpr int kNotRead = 0x7FFF;
// The product's Letter-default switch: 0, every first run starts on A4.
constexpr int kLetterDefault = 0;

bool FirstRunIni(DriverContext* context, WCHAR* path) {
  path[0] = 0;
  MakeSettingsPath(path, 261, kFirstRunIni, context);
  return path[0] != 0;
}

void WriteNumber(const WCHAR* section, const WCHAR* key, int value, const WCHAR* ini) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", value);
  WCHAR wide[16];
  int i = 0;
  for (; text[i]; ++i) wide[i] = static_cast<WCHAR>(text[i]);
  wide[i] = 0;
  WriteIniString(section, key, wide, ini);
}

void SetCode(DriverContext* context, WORD id, const WCHAR* code) {
  if (SettingField* f = FindFieldById(context, id)) SetFieldString(context, f, code, kUserCodeChars);
}

bool IsCountryWithLetter(DWORD country) { return country == 1 || country == 2 || country == 5; }

}  // namespace

int ReadFirstRunKeys(const WCHAR* section, DriverContext* context) {
  if (!section || !context || !context->work) return 0;
  WCHAR ini[261];
  if (!FirstRunIni(context, ini) || !PathExists(ini)) return 0;
  if (ReadIniInt(section, u"KovaInstDone", kNotRead, ini) != 0) return 0;
  if (ReadIniInt(section, u"DispLang", kNotRead, ini) == kNotRead) return 0;
  WorkArea* work = context->work;
  work->userCodeUse = static_cast<BYTE>(ReadIniInt(section, u"UserCode", 0, ini));
  work->userCodeFixed = static_cast<BYTE>(ReadIniInt(section, u"UserCodeFIX", 0, ini));
  ReadIniString(section, u"UserCodeString", u"", work->userCode, kUserCodeChars, ini);
  work->defaultLanguage = static_cast<WORD>(ReadIniInt(section, u"DispLang", 0, ini));
  work->defaultPaper = static_cast<WORD>(ReadIniInt(section, u"DefPaper", 9, ini));
  work->defaultUnit = static_cast<WORD>(ReadIniInt(section, u"DefUnit", 0, ini));
  WriteIniString(section, u"KovaInstDone", u"1", ini);
  return 1;
}

void SetFirstRunLocaleDefaults(const WCHAR*, DriverContext* context) {
  if (!context || !context->work) return;
  WorkArea* work = context->work;
  const WORD user = GetUserLanguageId();
  work->defaultLanguage = user != kNoLanguage ? user : GetLanguageIdFromDriverHelp(context);
  const int country = GetLocaleCountryCode(context);
  const bool letter = IsCountryWithLetter(static_cast<DWORD>(country));
  work->defaultPaper = letter ? 1 : 9;
  work->defaultUnit = letter ? 1 : 0;
  work->localeCountry = static_cast<WORD>(letter ? country : 0);
}

void LoadInstallDefaults(const WCHAR* section, DriverContext* context) {
  if (!section || !context || !context->work) return;
  WorkArea* work = context->work;
  WCHAR ini[261];
  const bool haveIni = FirstRunIni(context, ini);
  if (ReadFirstRunKeys(section, context)) {
    WriteFieldRawById(context, fid::kdmLogCodeUse, work->userCodeUse);
    SetCode(context, fid::kdmLogCode, work->userCode);
    SetStateByte(context, fid::KPD_kdmUserCodeFIX, work->userCodeFixed);
    work->localeCountry = static_cast<WORD>(GetLocaleCountryCode(context));
  } else {
    SetFirstRunLocaleDefaults(section, context);
    if (haveIni) {
      WriteNumber(section, u"DispLang", work->defaultLanguage, ini);
      WriteNumber(section, u"DefPaper", work->defaultPaper, ini);
      WriteNumber(section, u"DefUnit", work->defaultUnit, ini);
    }
  }
  const WORD help = GetLanguageIdFromDriverHelp(context);
  if (help != work->defaultLanguage) {
    if (help == 0) {
      work->defaultLanguage = 0;
      work->defaultPaper = 9;
      work->defaultUnit = 0;
      if (haveIni) {
        WriteNumber(section, u"DispLang", 0, ini);
        WriteNumber(section, u"DefPaper", 9, ini);
        WriteNumber(section, u"DefUnit", 0, ini);
      }
    } else {
      work->defaultLanguage = help;
      if (haveIni) WriteNumber(section, u"DispLang", help, ini);
    }
  }
  if (kLetterDefault == 0) {
    work->defaultPaper = 9;
    if (haveIni) WriteNumber(section, u"DefPaper", 9, ini);
  }
  WriteFieldRawById(context, fid::kdmLanguageID, work->defaultLanguage);
  WriteFieldRawById(context, fid::kdmDspLanguageID, work->defaultLanguage);
  WriteFieldRawById(context, fid::kdmLocaleID, work->localeCountry);
  WriteFieldRawById(context, fid::kdmDspUnit, work->defaultUnit);
  WriteFieldRawById(context, fid::dmPaperSize, work->defaultPaper);
}

void SaveUserCodeFirstRunKeys(const WCHAR* section, int mode, DriverContext* context) {
  if (!section || !context || !context->work) return;
  WCHAR ini[261];
  if (!FirstRunIni(context, ini)) return;
  WCHAR code[kUserCodeChars] = {};
  bool use = false;
  if (mode != 2) {
    if (SettingField* f = FindFieldById(context, fid::kdmLogCode)) GetFieldString(context, f, code, kUserCodeChars);
    code[kUserCodeChars - 1] = 0;
    use = ReadFieldRawById(context, fid::kdmLogCodeUse) != 0;
  }
  WriteIniString(section, u"UserCode", use ? u"1" : u"0", ini);
  WriteIniString(section, u"UserCodeFIX", code[0] ? u"1" : u"0", ini);
  WriteIniString(section, u"UserCodeString", code, ini);
}

void SaveFirstRunKeys(const WCHAR* section, DriverContext* context) {
  if (!section || !context || !context->work) return;
  WCHAR ini[261];
  if (!FirstRunIni(context, ini)) return;
  WriteNumber(section, u"DispLang", static_cast<int>(ReadFieldRawById(context, fid::kdmLanguageID)), ini);
  WriteNumber(section, u"DefPaper", IsCountryWithLetter(ReadFieldRawById(context, fid::kdmLocaleID)) ? 1 : 9, ini);
  WriteNumber(section, u"DefUnit", static_cast<int>(ReadFieldRawById(context, fid::kdmDspUnit)), ini);
  SaveUserCodeFirstRunKeys(section, 0, context);
  WriteIniString(section, u"KovaInstDone", u"0", ini);
  ReadFirstRunKeys(section, context);
}
