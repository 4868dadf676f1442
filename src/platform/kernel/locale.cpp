// Locales: the machine's default LCIDs and GetLocaleInfoW/A for a table of the locales the
// driver ships languages for.
#include <cstdio>
#include <cstring>
#include <string>

#include "plat/codepage.h"
#include "plat/system.h"
#include "win/kernel.h"

namespace {

struct LocaleRow {
  LCID lcid;
  const char16_t* name;         // LOCALE_SNAME
  const char16_t* iso639;       // LOCALE_SISO639LANGNAME
  const char16_t* iso3166;      // LOCALE_SISO3166CTRYNAME
  DWORD country;                // LOCALE_ICOUNTRY (international dialling code)
  DWORD ansiCodePage;           // LOCALE_IDEFAULTANSICODEPAGE
  DWORD oemCodePage;            // LOCALE_IDEFAULTCODEPAGE
  const char16_t* engLanguage;  // LOCALE_SENGLANGUAGE
  const char16_t* engCountry;   // LOCALE_SENGCOUNTRY
  const char16_t* abbrevLang;   // LOCALE_SABBREVLANGNAME
  const char16_t* abbrevCtry;   // LOCALE_SABBREVCTRYNAME
  const char16_t* nativeLang;   // LOCALE_SNATIVELANGNAME
  const char16_t* nativeCtry;   // LOCALE_SNATIVECTRYNAME
  const char16_t* decimal;      // LOCALE_SDECIMAL
  const char16_t* thousand;     // LOCALE_STHOUSAND
  const char16_t* list;         // LOCALE_SLIST
  DWORD measure;                // LOCALE_IMEASURE: 0 metric, 1 U.S.
};

constexpr LocaleRow kLocales[] = {
    {0x0409, u"en-US", u"en", u"US", 1, 1252, 437, u"English", u"United States", u"ENU", u"USA", u"English",
     u"United States", u".", u",", u",", 1},
    {0x0809, u"en-GB", u"en", u"GB", 44, 1252, 850, u"English", u"United Kingdom", u"ENG", u"GBR", u"English",
     u"United Kingdom", u".", u",", u",", 0},
    {0x0411, u"ja-JP", u"ja", u"JP", 81, 932, 932, u"Japanese", u"Japan", u"JPN", u"JPN", u"\u65E5\u672C\u8A9E",
     u"\u65E5\u672C", u".", u",", u",", 0},
    {0x0407, u"de-DE", u"de", u"DE", 49, 1252, 850, u"German", u"Germany", u"DEU", u"DEU", u"Deutsch",
     u"Deutschland", u",", u".", u";", 0},
    {0x040C, u"fr-FR", u"fr", u"FR", 33, 1252, 850, u"French", u"France", u"FRA", u"FRA", u"fran\u00E7ais",
     u"France", u",", u"\u00A0", u";", 0},
    {0x0410, u"it-IT", u"it", u"IT", 39, 1252, 850, u"Italian", u"Italy", u"ITA", u"ITA", u"italiano", u"Italia",
     u",", u".", u";", 0},
    {0x040A, u"es-ES_tradnl", u"es", u"ES", 34, 1252, 850, u"Spanish", u"Spain", u"ESP", u"ESP", u"espa\u00F1ol",
     u"Espa\u00F1a", u",", u".", u";", 0},
    {0x0C0A, u"es-ES", u"es", u"ES", 34, 1252, 850, u"Spanish", u"Spain", u"ESN", u"ESP", u"espa\u00F1ol",
     u"Espa\u00F1a", u",", u".", u";", 0},
    {0x0413, u"nl-NL", u"nl", u"NL", 31, 1252, 850, u"Dutch", u"Netherlands", u"NLD", u"NLD", u"Nederlands",
     u"Nederland", u",", u".", u";", 0},
    {0x0416, u"pt-BR", u"pt", u"BR", 55, 1252, 850, u"Portuguese", u"Brazil", u"PTB", u"BRA",
     u"portugu\u00EAs", u"Brasil", u",", u".", u";", 0},
    {0x0804, u"zh-CN", u"zh", u"CN", 86, 936, 936, u"Chinese", u"China", u"CHS", u"CHN", u"\u4E2D\u6587",
     u"\u4E2D\u56FD", u".", u",", u",", 0},
    {0x0404, u"zh-TW", u"zh", u"TW", 886, 950, 950, u"Chinese", u"Taiwan", u"CHT", u"TWN", u"\u4E2D\u6587",
     u"\u53F0\u7063", u".", u",", u",", 0},
    {0x0412, u"ko-KR", u"ko", u"KR", 82, 949, 949, u"Korean", u"Korea", u"KOR", u"KOR", u"\uD55C\uAD6D\uC5B4",
     u"\uB300\uD55C\uBBFC\uAD6D", u".", u",", u",", 0},
    // The invariant locale: English text, no country.
    {0x007F, u"", u"iv", u"IV", 1, 1252, 437, u"Invariant Language", u"Invariant Country", u"IVL", u"IVC",
     u"Invariant Language", u"Invariant Country", u".", u",", u",", 0},
};

// The thread's locale once set, for the system root it was set in (a new root starts from
// the user's default again).
struct ThreadLocale {
  LCID lcid = 0;
  std::string root;
};
thread_local ThreadLocale t_threadLocale;

LCID ResolveLcid(LCID lcid) {
  const LANGID lang = LANGIDFROMLCID(lcid);
  if (lcid == LOCALE_USER_DEFAULT || lcid == LOCALE_NEUTRAL || lang == LOCALE_USER_DEFAULT ||
      lang == LOCALE_NEUTRAL)
    return plat::Machine().userLcid;
  if (lcid == LOCALE_SYSTEM_DEFAULT || lang == LOCALE_SYSTEM_DEFAULT) return plat::Machine().systemLcid;
  if (lcid == 0x0C00) return GetThreadLocale();  // LOCALE_CUSTOM_DEFAULT
  return lcid;
}

const LocaleRow* FindLocale(LCID lcid) {
  lcid = ResolveLcid(lcid);
  if (lcid >> 16) return nullptr;  // sort ids other than the default are not known here
  for (const auto& row : kLocales)
    if (row.lcid == lcid) return &row;
  return nullptr;
}

enum class Kind { Text, Number, Unknown };

// The value of an LCTYPE as text, and whether it is a numeric (I...) type.
Kind Lookup(const LocaleRow& r, LCTYPE type, std::u16string& text, DWORD& number) {
  auto num = [&](DWORD v, bool hex = false) {
    number = v;
    if (hex) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "%04x", static_cast<unsigned>(v));
      text.assign(buf, buf + std::strlen(buf));
    } else {
      std::string s = std::to_string(v);
      text.assign(s.begin(), s.end());
    }
    return Kind::Number;
  };
  auto str = [&](const char16_t* s) {
    text = s;
    return Kind::Text;
  };
  switch (type) {
    case LOCALE_ILANGUAGE: return num(r.lcid & 0xFFFF, true);
    case LOCALE_IDEFAULTLANGUAGE: return num(r.lcid & 0xFFFF, true);
    case LOCALE_SLANGUAGE: {
      // The localised display name; the English form "Language (Country)" stands for it.
      text = std::u16string(r.engLanguage) + u" (" + r.engCountry + u")";
      return Kind::Text;
    }
    case LOCALE_SENGLANGUAGE: return str(r.engLanguage);
    case LOCALE_SABBREVLANGNAME: return str(r.abbrevLang);
    case LOCALE_SNATIVELANGNAME: return str(r.nativeLang);
    case LOCALE_ICOUNTRY: return num(r.country);
    case LOCALE_IDEFAULTCOUNTRY: return num(r.country);
    case LOCALE_SCOUNTRY: return str(r.engCountry);
    case LOCALE_SENGCOUNTRY: return str(r.engCountry);
    case LOCALE_SABBREVCTRYNAME: return str(r.abbrevCtry);
    case LOCALE_SNATIVECTRYNAME: return str(r.nativeCtry);
    case LOCALE_IDEFAULTCODEPAGE: return num(r.oemCodePage);
    case LOCALE_IDEFAULTANSICODEPAGE: return num(r.ansiCodePage);
    case LOCALE_SLIST: return str(r.list);
    case LOCALE_IMEASURE: return num(r.measure);
    case LOCALE_SDECIMAL: return str(r.decimal);
    case LOCALE_STHOUSAND: return str(r.thousand);
    case LOCALE_SISO639LANGNAME: return str(r.iso639);
    case LOCALE_SISO3166CTRYNAME: return str(r.iso3166);
    case LOCALE_SNAME: return str(r.name);
    default: return Kind::Unknown;
  }
}

// Shared front half of GetLocaleInfoW/A: checks the arguments and finds the value.
// Returns false with the error set.
bool Resolve(LCID locale, LCTYPE lctype, const void* buf, int cch, const LocaleRow*& row, Kind& kind,
             std::u16string& text, DWORD& number) {
  if (cch < 0 || (cch > 0 && !buf)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  row = FindLocale(locale);
  if (!row) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  const LCTYPE type = lctype & ~(LOCALE_NOUSEROVERRIDE | LOCALE_USE_CP_ACP | LOCALE_RETURN_NUMBER);
  kind = Lookup(*row, type, text, number);
  if (kind == Kind::Unknown || ((lctype & LOCALE_RETURN_NUMBER) && kind != Kind::Number)) {
    SetLastError(ERROR_INVALID_FLAGS);
    return false;
  }
  return true;
}

}  // namespace

extern "C" {

LCID WINAPI GetUserDefaultLCID() { return plat::Machine().userLcid; }
LCID WINAPI GetSystemDefaultLCID() { return plat::Machine().systemLcid; }
LANGID WINAPI GetUserDefaultLangID() { return LANGIDFROMLCID(plat::Machine().userLcid); }
LANGID WINAPI GetSystemDefaultLangID() { return LANGIDFROMLCID(plat::Machine().systemLcid); }
LANGID WINAPI GetUserDefaultUILanguage() { return LANGIDFROMLCID(plat::Machine().userLcid); }
LANGID WINAPI GetSystemDefaultUILanguage() { return LANGIDFROMLCID(plat::Machine().systemLcid); }

LCID WINAPI GetThreadLocale() {
  if (t_threadLocale.lcid && t_threadLocale.root == plat::SystemRoot()) return t_threadLocale.lcid;
  return plat::Machine().userLcid;
}

BOOL WINAPI SetThreadLocale(LCID Locale) {
  const LocaleRow* row = FindLocale(Locale);
  if (!row) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  t_threadLocale.lcid = row->lcid;
  t_threadLocale.root = plat::SystemRoot();
  return TRUE;
}

BOOL WINAPI IsValidLocale(LCID Locale, DWORD) {
  if (Locale == LOCALE_USER_DEFAULT || Locale == LOCALE_SYSTEM_DEFAULT || Locale == LOCALE_NEUTRAL) return FALSE;
  return FindLocale(Locale) ? TRUE : FALSE;
}

int WINAPI GetLocaleInfoW(LCID Locale, LCTYPE LCType, LPWSTR lpLCData, int cchData) {
  const LocaleRow* row = nullptr;
  Kind kind = Kind::Unknown;
  std::u16string text;
  DWORD number = 0;
  if (!Resolve(Locale, LCType, lpLCData, cchData, row, kind, text, number)) return 0;
  if (LCType & LOCALE_RETURN_NUMBER) {
    constexpr int need = sizeof(DWORD) / sizeof(WCHAR);
    if (cchData == 0) return need;
    if (cchData < need) {
      SetLastError(ERROR_INSUFFICIENT_BUFFER);
      return 0;
    }
    std::memcpy(lpLCData, &number, sizeof number);
    return need;
  }
  const int need = static_cast<int>(text.size() + 1);
  if (cchData == 0) return need;
  if (cchData < need) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::memcpy(lpLCData, text.c_str(), need * sizeof(WCHAR));
  return need;
}

int WINAPI GetLocaleInfoA(LCID Locale, LCTYPE LCType, LPSTR lpLCData, int cchData) {
  const LocaleRow* row = nullptr;
  Kind kind = Kind::Unknown;
  std::u16string text;
  DWORD number = 0;
  if (!Resolve(Locale, LCType, lpLCData, cchData, row, kind, text, number)) return 0;
  if (LCType & LOCALE_RETURN_NUMBER) {
    constexpr int need = sizeof(DWORD);
    if (cchData == 0) return need;
    if (cchData < need) {
      SetLastError(ERROR_INSUFFICIENT_BUFFER);
      return 0;
    }
    std::memcpy(lpLCData, &number, sizeof number);
    return need;
  }
  // The locale's own ANSI code page, unless the caller asks for the machine's; a code page
  // this platform does not convert falls back to the machine's.
  UINT cp = (LCType & LOCALE_USE_CP_ACP) ? CP_ACP : row->ansiCodePage;
  if (!plat::IsSupportedCodePage(cp)) cp = CP_ACP;
  const std::string bytes = plat::WideToAnsi(text, cp);
  const int need = static_cast<int>(bytes.size() + 1);
  if (cchData == 0) return need;
  if (cchData < need) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::memcpy(lpLCData, bytes.c_str(), need);
  return need;
}

}  // extern "C"
