#include "fields/languages.h"

#include "base/deliverable.h"
#include "base/driver_context.h"
#include "fields/field_access.h"
#include "base/printer_data.h"
#include "base/wide_text.h"
#include "field_ids.h"
#include "win/kernel.h"

namespace {

constexpr LanguageRow kLanguages[20] = {
    {0, 0x11, 0, u"jp"},  {1, 0x09, 0, u"us"},  {2, 0x05, 0, u"cz"},  {3, 0x06, 0, u"dn"},
    {4, 0x07, 0, u"gm"},  {5, 0x0A, 0, u"sp"},  {6, 0x0C, 0, u"fr"},  {7, 0x10, 0, u"it"},
    {8, 0x0E, 0, u"hn"},  {9, 0x13, 0, u"dt"},  {10, 0x14, 0, u"nw"}, {11, 0x15, 0, u"pl"},
    {12, 0x16, 0, u"pr"}, {13, 0x0B, 0, u"fn"}, {14, 0x1D, 0, u"sw"}, {16, 0x04, 2, u"cs"},
    {17, 0x04, 1, u"ct"}, {18, 0x12, 0, u"kr"}, {15, 0x19, 0, u"ru"}, {0xFFFF, 0xFFFF, 0xFFFF, u""},
};

constexpr WCHAR kUs[] = u"us";

bool SameCode(const WCHAR* a, const WCHAR* b) {
  for (int i = 0; i < 3; ++i) {
    if (LowerOf(a[i]) != LowerOf(b[i])) return false;
    if (!a[i]) return true;
  }
  return true;
}

const LanguageRow* RowByCode(const WCHAR* code) {
  if (!code) return nullptr;
  for (const LanguageRow* r = kLanguages; r->id != 0xFFFF; ++r)
    if (SameCode(r->code, code)) return r;
  return nullptr;
}

// The two characters before the '.' of the extension of the file part; false when the
// file part has no '.' with two characters before it.
bool CodeOfFileName(const WCHAR* path, WCHAR code[3]) {
  if (!path) return false;
  const WCHAR* file = path;
  for (const WCHAR* p = path; *p; ++p)
    if (*p == u'\\' || *p == u'/' || *p == u':') file = p + 1;
  const WCHAR* dot = nullptr;
  for (const WCHAR* p = file; *p; ++p)
    if (*p == u'.') dot = p;
  if (!dot || dot - file < 2) return false;
  code[0] = dot[-2];
  code[1] = dot[-1];
  code[2] = 0;
  return true;
}

}  // namespace

const LanguageRow* GetLanguageTable() { return kLanguages; }

const WCHAR* GetLanguageCodeById(DWORD id) {
  for (const LanguageRow* r = kLanguages; r->id != 0xFFFF; ++r)
    if (r->id == id) return r->code;
  return kUs;
}

WORD GetLanguageIdFromCode(const WCHAR* code) {
  const LanguageRow* r = RowByCode(code);
  return r ? r->id : kDefaultLanguageId;
}

const WCHAR* NormaliseLanguageCode(const WCHAR* code) {
  const LanguageRow* r = RowByCode(code);
  return r ? r->code : kUs;
}

BOOL IsKnownLanguageId(DWORD id) {
  for (const LanguageRow* r = kLanguages; r->id != 0xFFFF; ++r)
    if (r->id == id) return TRUE;
  return FALSE;
}

WORD GetPrimaryLanguageOfId(DWORD id, WORD* sublanguage) {
  if (sublanguage) *sublanguage = 0;
  for (const LanguageRow* r = kLanguages; r->id != 0xFFFF; ++r) {
    if (r->id != id) continue;
    if (sublanguage) *sublanguage = r->sublanguage;
    return static_cast<WORD>(r->primary & 0xFF);
  }
  return 0;
}

WORD FindLanguageByLangId(WORD primary, WORD sublanguage) {
  for (const LanguageRow* r = kLanguages; r->id != 0xFFFF; ++r) {
    if (r->primary != primary) continue;
    if (sublanguage == 0 || r->sublanguage == sublanguage) return r->id;
  }
  return kNoLanguage;
}

WORD GetUserLanguageId() {
  const LCID lcid = GetUserDefaultLCID();
  return FindLanguageByLangId(static_cast<WORD>(lcid & 0x3FF), static_cast<WORD>((lcid >> 10) & 0x3F));
}

WORD LanguageIdFromFileName(const WCHAR* path) {
  WCHAR code[3];
  return CodeOfFileName(path, code) ? GetLanguageIdFromCode(code) : kDefaultLanguageId;
}

const WCHAR* LanguageCodeFromFileName(const WCHAR* path) {
  WCHAR code[3];
  return CodeOfFileName(path, code) ? NormaliseLanguageCode(code) : kUs;
}

WORD GetLanguageIdFromDriverHelp(DriverContext* context) {
  if (!context || !context->work) return kDefaultLanguageId;
  WCHAR* text = context->work->scratchText;
  if (!GetHelpFileName(nullptr, text, 1025, context)) return kDefaultLanguageId;
  return LanguageIdFromFileName(text);
}

const WCHAR* LanguageCodeFromDriverHelp(DriverContext* context) {
  return GetLanguageCodeById(GetLanguageIdFromDriverHelp(context));
}

WORD LanguageIdFromHelpValue(DriverContext* context) {
  if (!context || !context->work) return kDefaultLanguageId;
  WCHAR* text = context->work->scratchText;
  text[0] = 0;
  if (!ReadHelpFileNameValue(text, 1025, context)) return kDefaultLanguageId;
  text[1024] = 0;
  return LanguageIdFromFileName(text);
}

const WCHAR* LanguageCodeFromHelpValue(DriverContext* context) {
  return GetLanguageCodeById(LanguageIdFromHelpValue(context));
}

const WCHAR* LanguageCodeFromHelpValueOfPrinter(HANDLE printer) {
  WCHAR text[513] = {};
  if (!ReadHelpFileNameValueOfPrinter(printer, text, 1025)) return kUs;
  text[512] = 0;
  return LanguageCodeFromFileName(text);
}

const WCHAR* GetLanguageCodeOfSetting(DriverContext* context) {
  return GetLanguageCodeById(ReadFieldRawById(context, fid::kdmLanguageID));
}

const WCHAR* GetLanguageCodeCopy(DriverContext* context) {
  const WCHAR* code = GetLanguageCodeOfSetting(context);
  if (!context || !context->work) return code;
  lstrcpynW(context->work->languageCode, code, 32);
  return context->work->languageCode;
}

const WCHAR* SetContextLanguageCode(DriverContext* context) {
  if (!context || !context->work) return kUs;
  const WCHAR* code =
      context->work->mode == 1 && IsInterfaceBuild() ? LanguageCodeFromDriverHelp(context)
                                                      : LanguageCodeFromHelpValue(context);
  lstrcpynW(context->work->languageCode, code, 32);
  return context->work->languageCode;
}
