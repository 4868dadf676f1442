#include "context/user_codes.h"

#include <cstring>

#include "fields/devmode_header.h"
#include "base/driver_context.h"
#include "fields/field_access.h"
#include "fields/field_table.h"
#include "base/file_ops.h"
#include "base/install_services.h"
#include "fields/locale_text.h"
#include "base/paths_and_names.h"
#include "base/printer_data.h"
#include "base/spooler_info.h"
#include "field_ids.h"
#include "model/model_tables.h"
#include "stored/device_settings.h"
#include "win/errors.h"
#include "win/loader.h"
#include "win/profile.h"
#include "win/registry.h"

namespace {

constexpr DWORD kCodeChars = 9;  // kdmLogCode: eight characters and the terminator
constexpr const WCHAR* kMruSection = u"VANTE UserCode";

struct IniPlace {
  WCHAR file[261];
  const WCHAR* section;
};

bool Place(DriverContext* context, IniPlace* place) {
  place->file[0] = 0;
  MakeSettingsPath(place->file, 261, u"Fennic.ini", context);
  place->section = GetPrinterDisplayName(context);
  return place->file[0] != 0 && place->section && place->section[0] != 0;
}

void ReadText(const WCHAR* section, const WCHAR* key, WCHAR* out, DWORD chars, const WCHAR* file) {
  GetPrivateProfileStringW(section, key, u"", out, chars, file);
  out[chars - 1] = 0;
}

void WriteText(const WCHAR* section, const WCHAR* key, const WCHAR* value, const WCHAR* file) {
  WritePrivateProfileStringW(section, key, value, file);
}

void SetCode(DriverContext* context, WORD field, const WCHAR* code) {
  if (SettingField* f = FindFieldById(context, field)) SetFieldString(context, f, code, kCodeChars);
}

void GetCode(DriverContext* context, WORD field, WCHAR* out) {
  out[0] = 0;
  if (SettingField* f = FindFieldById(context, field)) GetFieldString(context, f, out, kCodeChars);
  out[kCodeChars - 1] = 0;
}

// IsBuildFlagOff answers the provider switch: 0 while it is off, as in this product.
bool SwitchOn() { return IsBuildFlagOff() != 0; }

template <class F>
F Proc(HMODULE module, const char* name) {
  return ProcCast<F>(GetProcAddress(module, name));
}

// Unbinds the provider; the saved and provider codes stay for the save on release.
void ReleaseProvider(DriverContext* context) {
  UserCodeProviderBinding& b = context->work->userCodeProvider;
  if (b.library && b.close && b.data) reinterpret_cast<VucCloseProc>(b.close)(b.data, 0);
  if (b.library) FreeLibrary(b.library);
  b.library = nullptr;
  b.open = b.close = b.getCode = nullptr;
  b.data = 0;
}

}  // namespace

int LoadUserCodeFromIni(DriverContext* context) {
  if (!context || !context->work) return 0;
  IniPlace place;
  if (!Place(context, &place)) return 0;
  WCHAR use[16] = {};
  WCHAR code[kCodeChars] = {};
  WCHAR recent[kCodeChars] = {};
  DWORD useValue = 0;
  if (PathExists(place.file)) {
    ReadText(place.section, u"UserCode", use, 16, place.file);
    ReadText(kMruSection, u"MRUUserCode", recent, kCodeChars, place.file);
    if (use[0] != 0) {
      useValue = GetPrivateProfileIntW(place.section, u"UserCode", 0, place.file);
      ReadText(place.section, u"UserCodeString", code, kCodeChars, place.file);
    } else {
      std::memcpy(code, recent, sizeof code);
      WriteText(place.section, u"UserCode", u"0", place.file);
      WriteText(place.section, u"UserCodeString", code, place.file);
    }
  } else {
    WriteText(place.section, u"UserCode", u"0", place.file);
    WriteText(place.section, u"UserCodeString", u"", place.file);
    WriteText(kMruSection, u"MRUUserCode", u"", place.file);
  }
  const UINT fixed = GetPrivateProfileIntW(place.section, u"UserCodeFIX", 0, place.file);
  WriteFieldRawById(context, fid::kdmLogCodeUse, useValue);
  SetCode(context, fid::kdmLogCode, code);
  SetCode(context, fid::kdmDllLogCode, code);
  SetStateByte(context, 715, fixed ? 1 : 0);
  return 1;
}

int LoadLocalUserCode(DriverContext* context) {
  if (!context || !context->work || IsPrinterConnection(context)) return 0;
  BYTE serverUse = 0;
  if (GetPrinterDataValue(context->hPrinter, &serverUse, 1, u"ServerUse", 0) && serverUse != 0) {
    BYTE use = 0;
    char code[kCodeChars + 1] = {};
    GetPrinterDataValue(context->hPrinter, &use, 1, u"UserCodeUse", 0);
    GetPrinterDataValue(context->hPrinter, code, kCodeChars, u"UserCode", 0);
    code[kCodeChars - 1] = 0;  // the stored bytes end inside the slot
    WCHAR wide[kCodeChars] = {};
    AnsiToWide(wide, code, kCodeChars);
    wide[kCodeChars - 1] = 0;
    WriteFieldRawById(context, fid::kdmLogCodeUse, use);
    SetCode(context, fid::kdmLogCode, wide);
    return 1;
  }
  LoadUserCodeFromIni(context);
  return 1;
}

int UserCodeLoad(DriverContext* context) {
  if (!SwitchOn() || !context) return 1;
  if (IsPrinterConnection(context) && ReadFieldRawById(context, fid::kdmServerLogCode) != 0) return 1;
  LoadUserCodeFromIni(context);
  return 1;
}

int SaveUserCodeToIni(DriverContext* context) {
  if (!context || !context->work) return 1;
  if (IsPrinterConnection(context) && ReadFieldRawById(context, fid::kdmServerLogCode) != 0) return 1;
  IniPlace place;
  if (!Place(context, &place)) return 1;
  WCHAR code[kCodeChars];
  GetCode(context, fid::kdmLogCode, code);
  WriteText(place.section, u"UserCode", ReadFieldRawById(context, fid::kdmLogCodeUse) ? u"1" : u"0", place.file);
  WriteText(place.section, u"UserCodeString", code, place.file);
  const bool has = code[0] != 0;
  WriteText(place.section, u"UserCodeFIX", has ? u"1" : u"0", place.file);
  SetStateByte(context, 715, has ? 1 : 0);
  WriteText(kMruSection, u"MRUUserCode", code, place.file);
  return 1;
}

int BindUserCodeProvider(DriverContext* context) {
  if (!context || !context->work) return 2;
  UserCodeProviderBinding& b = context->work->userCodeProvider;
  WCHAR path[513] = {};
  DWORD size = sizeof path - sizeof(WCHAR);
  DWORD type = 0;
  if (RegGetValueW(HKEY_LOCAL_MACHINE, u"Software\\VANTE\\ucprov\\Providers", u"ProviderDLL", RRF_RT_REG_SZ, &type,
                   path, &size) != ERROR_SUCCESS ||
      path[0] == 0) {
    return 2;
  }
  b.library = LoadLibraryW(path);
  if (b.library) {
    b.open = reinterpret_cast<void*>(Proc<VucOpenProc>(b.library, "VUCOpenUCDataA"));
    b.close = reinterpret_cast<void*>(Proc<VucCloseProc>(b.library, "VUCCloseUCDataA"));
    b.getCode = reinterpret_cast<void*>(Proc<VucGetCodeProc>(b.library, "VUCGetClientUserCodeA"));
  }
  if (!b.library || !b.open || !b.close || !b.getCode) {
    ReleaseProvider(context);
    return 2;
  }
  return 0;
}

int FetchProviderUserCode(DriverContext* context) {
  if (!context || !context->work) return 0;
  UserCodeProviderBinding& b = context->work->userCodeProvider;
  int answered = 0;
  if (!b.library) {
    if (BindUserCodeProvider(context) != 0) return 0;
    DWORD data = 0;
    if (reinterpret_cast<VucOpenProc>(b.open)(0, 1, 0, &data) != 0) {
      ReleaseProvider(context);
      return 0;
    }
    b.data = data;
  }
  char code[32] = {};
  DWORD size = sizeof code;
  const DWORD result = reinterpret_cast<VucGetCodeProc>(b.getCode)(b.data, 0, 0, 0, code, &size);
  code[sizeof code - 1] = 0;  // a provider filling its 32 bytes still ends inside them
  if (result == 0 || result == VUC_NO_CODE) {
    DWORD use = 1;
    if (result == VUC_NO_CODE || code[0] == 0) {
      std::memset(code, 0, sizeof code);
      SetStateByte(context, 715, 0);
      use = 0;
    } else {
      SetStateByte(context, 715, 1);
    }
    std::memcpy(b.providerCode, code, sizeof b.providerCode);
    WriteFieldRawById(context, fid::kdmLogCodeUse, use);
    WCHAR current[kCodeChars];
    GetCode(context, fid::kdmLogCode, current);
    WideToAnsi(b.savedCode, current, sizeof b.savedCode);
    b.savedCode[sizeof b.savedCode - 1] = 0;
    WCHAR wide[kCodeChars] = {};
    AnsiToWide(wide, code, kCodeChars);
    wide[kCodeChars - 1] = 0;
    SetCode(context, fid::kdmLogCode, wide);
    SetCode(context, fid::kdmDllLogCode, wide);
    if (SettingField* f = FindFieldById(context, fid::kdmDllLogCode)) WriteFeatureToPrinterData(context->hPrinter, context, f);
    answered = 1;
  }
  if (!IsPrinterConnection(context)) SaveUserCodeToIni(context);
  ReleaseProvider(context);
  return answered;
}

void UserCodeSync(DriverContext* context) {
  if (!SwitchOn() || !context || !context->work) return;
  const int ok = FetchProviderUserCode(context);
  const BYTE value = ok ? 1 : 0;
  SetPrinterDataBinary(context->hPrinter, &value, 1, u"DllUserCodeUse", 0);
  SetStateByte(context, 716, value);
  SetStateByte(context, 719, value);
}

void InitUserCodeKeys(DriverContext* context) {
  if (!context || !context->work) return;
  IniPlace place;
  if (!Place(context, &place)) return;
  auto resetAll = [&] {
    WriteText(place.section, u"UserCode", u"0", place.file);
    WriteText(place.section, u"UserCodeFIX", u"0", place.file);
    WriteText(place.section, u"UserCodeString", u"", place.file);
    WriteText(kMruSection, u"MRUUserCode", u"", place.file);
  };
  if (IsPrinterConnection(context)) {
    if (ReadFieldRawById(context, fid::kdmServerLogCode) == 0) {
      WriteFieldRawById(context, fid::kdmLogCodeUse, 0);
      SetCode(context, fid::kdmLogCode, u"");
    }
    WriteText(place.section, u"UserCode", u"0", place.file);
    WriteText(place.section, u"UserCodeFIX", u"0", place.file);
    return;
  }
  WCHAR code[kCodeChars];
  if (GetStateByte(context, 709) != 0) {
    GetCode(context, fid::kdmLogCode, code);
    WriteText(place.section, u"UserCode", u"1", place.file);
    WriteText(place.section, u"UserCodeFIX", u"1", place.file);
    WriteText(place.section, u"UserCodeString", code, place.file);
    if (code[0] != 0) WriteText(kMruSection, u"MRUUserCode", code, place.file);
    return;
  }
  if (!PathExists(place.file)) {
    resetAll();
    return;
  }
  WCHAR printerCode[kCodeChars] = {};
  WCHAR recent[kCodeChars] = {};
  ReadText(place.section, u"UserCodeString", printerCode, kCodeChars, place.file);
  ReadText(kMruSection, u"MRUUserCode", recent, kCodeChars, place.file);
  if (printerCode[0] == 0) {
    if (recent[0] == 0) {
      resetAll();
      return;
    }
    WriteFieldRawById(context, fid::kdmLogCodeUse, 0);
    SetCode(context, fid::kdmLogCode, recent);
    WriteText(place.section, u"UserCodeString", recent, place.file);
    WriteText(place.section, u"UserCode", u"0", place.file);
    WriteText(place.section, u"UserCodeFIX", u"0", place.file);
    return;
  }
  const WCHAR* installIni = GetSystemKovaIniPath(context);
  if (installIni && PathExists(installIni) && context->work->userCodeInstalled) return;
  WriteText(place.section, u"UserCode", u"0", place.file);
  WriteFieldRawById(context, fid::kdmLogCodeUse, 0);
  SetCode(context, fid::kdmLogCode, printerCode);
  WriteText(place.section, u"UserCodeFIX", u"0", place.file);
  WriteText(kMruSection, u"MRUUserCode", printerCode, place.file);
}

int InitUserCodeIni(DriverContext* context) {
  if (SwitchOn()) InitUserCodeKeys(context);
  return 1;
}

void SaveUserCodeOnRelease(DriverContext* context) {
  if (!SwitchOn() || !context || !context->work) return;
  const UserCodeProviderBinding& b = context->work->userCodeProvider;
  if (GetStateByte(context, 716) == 1) {
    WCHAR own[kCodeChars];
    GetCode(context, fid::kdmLogCode, own);
    WCHAR provider[kCodeChars] = {};
    AnsiToWide(provider, b.providerCode, kCodeChars);
    provider[kCodeChars - 1] = 0;
    SetCode(context, fid::kdmLogCode, provider);
    SaveUserCodeToIni(context);
    SetCode(context, fid::kdmLogCode, own);
    return;
  }
  SaveUserCodeToIni(context);
}
