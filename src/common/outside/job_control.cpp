#include "stored/job_control.h"

#include <cstdio>
#include <cstring>

#include "fields/devmode_header.h"
#include "base/driver_context.h"
#include "fields/field_access.h"
#include "fields/field_job_items.h"
#include "fields/field_table.h"
#include "fields/languages.h"
#include "base/memory.h"
#include "model/module_dispatch.h"
#include "base/paths_and_names.h"
#include "base/printer_data.h"
#include "field_ids.h"
#include "model/model_tables.h"
#include "model/option_lookup.h"
#include "outside/job_control_abi.h"
#include "context/user_codes.h"
#include "win/errors.h"
#include "win/kernel.h"
#include "win/loader.h"

namespace {

// The item table, walked in this order by every mask operation.
struct ItemRow {
  DWORD item;
  DWORD bit;
  WORD field;     // 0: no setting
  DWORD capacity; // characters of the exchange buffer, terminator included
};
constexpr ItemRow kItems[] = {
    {JCITEM_USER_CODE, 0x0001, fid::kdmUserCode, 9},
    {JCITEM_OWNER_NAME, 0x0002, fid::kdmOwnerName, 17},
    {JCITEM_JOB_PASSWORD, 0x0004, fid::kdmJOBPassword, 9},
    {JCITEM_USER_ID, 0x0008, fid::kdmUserID, 9},
    {JCITEM_DOCUMENT_NAME, 0x0010, fid::kdmDocumentName, 17},
    {JCITEM_TEL_NO, 0x0020, fid::kdmTelNo, 65},
    {JCITEM_TEL_LINE, 0x0040, fid::kdmTelLine, 16},
    {JCITEM_STORED_PASSWORD, 0x0080, fid::kdmStoredPassword, 9},
    {JCITEM_DRIVER_NAME, 0x0100, 0, 16},
    {JCITEM_DRIVER_VERSION, 0x0200, fid::wdmDriverVersion, 16},
    {JCITEM_LANGUAGE, 0x0400, fid::kdmLanguageID, 0},
    {JCITEM_AUTH_USER_NAME, 0x0800, fid::wdmAuthenticationUserName, 129},
    {JCITEM_AUTH_PASSWORD, 0x1000, fid::wdmAuthenticationPassword, 193},
    {JCITEM_AUTH_NETWORK_KEY, 0x2000, fid::wdmAuthenticationNetworkKey, 33},
};

const ItemRow* RowOf(DWORD item) {
  for (const ItemRow& row : kItems)
    if (row.item == item) return &row;
  return nullptr;
}

// The longest value a read accepts from the library (the longest item is 193 characters).
constexpr DWORD kMostItemBytes = 64 * 1024;

bool IsJobItem(DWORD item) { return item >= 1 && item <= 11; }

JobControlBinding* BindingOf(DriverContext* context) { return context && context->work ? &context->work->jobControl : nullptr; }

template <class F>
F Proc(HMODULE module, const char* name) {
  return ProcCast<F>(GetProcAddress(module, name));
}

// Asks for 0x105 down to 0x101; the first answer 0 wins, else the last answer is the result.
DWORD AskVersions(JCGetInterfaceProc get, const JobControlInterface** instance, WORD* version) {
  DWORD result = JCERR_VERSION;
  for (WORD v = JCVER_LAST; v >= JCVER_FIRST; --v) {
    *version = v;
    *instance = nullptr;
    void* table = nullptr;
    result = get(v, &table);
    *instance = static_cast<const JobControlInterface*>(table);
    if (result == 0 && *instance) return 0;
    if (result == 0) result = JCERR_VERSION;
  }
  return result;
}

void Release(JobControlBinding* b) {
  if (b->getInterface && b->disposeInterface && b->instance) {
    reinterpret_cast<JCDisposeInterfaceProc>(b->disposeInterface)(const_cast<JobControlInterface*>(b->instance));
  }
  b->getInterface = nullptr;
  b->disposeInterface = nullptr;
  b->instance = nullptr;
  if (b->library) FreeLibrary(b->library);
  b->library = nullptr;
  b->binds = 0;
}

DWORD Bind(DriverContext* context) {
  JobControlBinding* b = BindingOf(context);
  if (!b) return ERROR_INVALID_PARAMETER;
  if (b->library && b->instance) {
    ++b->binds;
    return 0;
  }
  *b = JobControlBinding{};
  b->library = LoadLibraryW(kJobControlLibrary);
  if (!b->library) {
    const DWORD code = GetLastError();
    return code ? code : ERROR_MOD_NOT_FOUND;
  }
  auto get = Proc<JCGetInterfaceProc>(b->library, kJobControlGetInterface);
  auto dispose = Proc<JCDisposeInterfaceProc>(b->library, kJobControlDisposeInterface);
  if (!get || !dispose) {
    const DWORD code = GetLastError();
    Release(b);
    return code ? code : ERROR_PROC_NOT_FOUND;
  }
  b->getInterface = reinterpret_cast<void*>(get);
  b->disposeInterface = reinterpret_cast<void*>(dispose);
  const DWORD result = AskVersions(get, &b->instance, &b->version);
  if (result != 0) {
    b->instance = nullptr;
    Release(b);
    return result;
  }
  b->binds = 1;
  return 0;
}

void Unbind(DriverContext* context) {
  JobControlBinding* b = BindingOf(context);
  if (!b || b->binds == 0) return;
  if (--b->binds > 0) return;
  Release(b);
}

DWORD Open(DriverContext* context) {
  JobControlBinding* b = BindingOf(context);
  if (!b || !b->instance) return ERROR_INVALID_PARAMETER;
  if (b->itemHandle != 0) {
    ++b->opens;
    return 0;
  }
  const WCHAR* printer = GetCsrPrinterName(context);
  DWORD handle = 0;
  const DWORD result = b->instance->OpenPrinterItems(printer ? printer : u"", &handle);
  if (result == 0 && handle != 0) {
    b->itemHandle = handle;
    b->opens = 1;
    return 0;
  }
  return result != 0 ? result : JCERR_BAD_HANDLE;
}

void Close(DriverContext* context) {
  JobControlBinding* b = BindingOf(context);
  if (!b || b->itemHandle == 0 || b->opens == 0) return;
  if (--b->opens > 0) return;
  if (b->instance) b->instance->ClosePrinterItems(b->itemHandle);
  b->itemHandle = 0;
}

bool HandleOpen(DriverContext* context) {
  const JobControlBinding* b = BindingOf(context);
  return b && b->instance && b->itemHandle != 0;
}

void ForEachItem(DWORD mask, const auto& work) {
  for (const ItemRow& row : kItems)
    if (mask & row.bit) work(row.item);
}

void ClearStates(DriverContext* context) {
  SetStateByte716To0(context);
  SetStateByte719To0(context);
}

// The language id of kdmLanguageID: (sublanguage << 10) | primary.
DWORD LanguageIdOf(DriverContext* context, WORD* primary, WORD* sublanguage) {
  WORD sub = 0;
  const WORD prim = static_cast<WORD>(GetPrimaryLanguageOfId(ReadFieldRawById(context, fid::kdmLanguageID), &sub) & 0x3FF);
  if (primary) *primary = prim;
  if (sublanguage) *sublanguage = sub;
  return (static_cast<DWORD>(sub) << 10) | prim;
}

void DecimalText(DWORD value, WCHAR* out, std::size_t chars) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%u", static_cast<unsigned>(value));
  std::size_t i = 0;
  for (; digits[i] && i + 1 < chars; ++i) out[i] = static_cast<WCHAR>(digits[i]);
  out[i] = 0;
}

// A decimal text as a number, saturating; false when it holds no digit.
bool ParseDecimal(const WCHAR* text, DWORD* value) {
  unsigned long long v = 0;
  bool any = false;
  for (; *text >= u'0' && *text <= u'9'; ++text) {
    any = true;
    v = v * 10 + static_cast<unsigned>(*text - u'0');
    if (v > 0xFFFFFFFFull) v = 0xFFFFFFFFull;
  }
  if (any) *value = static_cast<DWORD>(v);
  return any;
}

void EmptySetting(DriverContext* context, WORD field) {
  if (SettingField* f = FindFieldById(context, field)) SetFieldString(context, f, u"");
}

}  // namespace

// ---- one item --------------------------------------------------------------------------------

DWORD ReadJobControlItem(DriverContext* context, DWORD item) {
  if (!HandleOpen(context)) return 0;
  if (!IsJobItem(item)) return JCERR_MORE_DATA;
  const JobControlBinding* b = BindingOf(context);
  const ItemRow* row = RowOf(item);
  auto* buffer = static_cast<WCHAR*>(AllocMem(row->capacity * sizeof(WCHAR)));
  if (!buffer) return ERROR_NOT_ENOUGH_MEMORY;
  DWORD result = 0;
  DWORD attributes = 0;
  DWORD needed = 0;
  const DWORD bytes = row->capacity * sizeof(WCHAR);
  result = b->instance->GetItemAttributes(b->itemHandle, item, &attributes);
  if (result != 0 || !(attributes & JCATTR_HAS_VALUE)) {
    FreeMem(buffer);
    return result;
  }
  result = b->instance->GetItemValue(b->itemHandle, item, JCTYPE_TEXT, nullptr, 0, &needed);
  if (!((result == 0 || result == JCERR_MORE_DATA) && needed != 0)) {
    FreeMem(buffer);
    return result;
  }
  // The size comes from the library: a value far beyond any item is refused, not allocated.
  if (needed > kMostItemBytes) {
    FreeMem(buffer);
    return JCERR_MORE_DATA;
  }
  if (needed > bytes) {
    // A value longer than the setting is cut to its capacity, terminator in the last place.
    auto* whole = static_cast<BYTE*>(AllocMem(needed));
    if (!whole) {
      FreeMem(buffer);
      return ERROR_NOT_ENOUGH_MEMORY;
    }
    result = b->instance->GetItemValue(b->itemHandle, item, JCTYPE_TEXT, whole, needed, &needed);
    std::memcpy(buffer, whole, bytes);
    FreeMem(whole);
  } else {
    result = b->instance->GetItemValue(b->itemHandle, item, JCTYPE_TEXT, buffer, bytes, &needed);
  }
  buffer[row->capacity - 1] = 0;
  if (result == 0 && buffer[0] != 0) {
    if (item == JCITEM_TEL_LINE) {
      DWORD value = 0;
      if (ParseDecimal(buffer, &value)) WriteFieldRawById(context, fid::kdmTelLine, value);
    } else if (SettingField* field = FindFieldById(context, row->field)) {
      SetFieldString(context, field, buffer, row->capacity);
    }
  }
  FreeMem(buffer);
  return result;
}

DWORD WriteJobControlItem(DriverContext* context, DWORD item, DWORD mode) {
  if (!HandleOpen(context)) return 0;
  const JobControlBinding* b = BindingOf(context);
  const bool identity = item >= JCITEM_DRIVER_NAME && item <= JCITEM_LANGUAGE;
  const bool authentication = item >= JCITEM_AUTH_USER_NAME && item <= JCITEM_AUTH_NETWORK_KEY;
  if (b->version < 0x102 && identity) return 0;
  if ((b->version == 0x102 || b->version == 0x103) && authentication) return 0;
  const ItemRow* row = RowOf(item);
  if (!row) return JCERR_MORE_DATA;

  if (mode == JCEV_RESET && !identity) {
    if (item == JCITEM_TEL_LINE) {
      WriteFieldRawById(context, fid::kdmTelLine, GetOptionDefaultValue(fid::kdmTelLine, context));
    } else {
      EmptySetting(context, row->field);
    }
  }
  if (b->version >= 0x105 && (item == JCITEM_AUTH_USER_NAME || item == JCITEM_AUTH_PASSWORD) &&
      (GetJobControlAuthFlags(b->instance, b->itemHandle) & JCAUTH_CARD)) {
    return 0;
  }
  if (item == JCITEM_LANGUAGE) {
    const DWORD language = LanguageIdOf(context, nullptr, nullptr);
    return b->instance->SetItemValue(b->itemHandle, JCITEM_LANGUAGE, JCTYPE_DWORD, &language, sizeof language);
  }
  auto* buffer = static_cast<WCHAR*>(AllocMem(row->capacity * sizeof(WCHAR)));
  if (!buffer) return ERROR_NOT_ENOUGH_MEMORY;
  if (item == JCITEM_TEL_LINE) {
    DecimalText(ReadFieldRawById(context, fid::kdmTelLine), buffer, row->capacity);
  } else if (item == JCITEM_DRIVER_NAME) {
    static const WCHAR kName[] = u"KOVA";
    std::memcpy(buffer, kName, sizeof kName);
  } else if (SettingField* field = FindFieldById(context, row->field)) {
    GetFieldString(context, field, buffer, row->capacity);
  }
  if (item == JCITEM_DRIVER_VERSION) {
    JobControlTextBlock block{buffer, row->capacity};
    NotifyModules(context, MODEV_JOB_CONTROL_DRIVER_VERSION, &block);
    buffer[row->capacity - 1] = 0;
  }
  // The (for a reset: emptied) value goes to the library.
  const DWORD result =
      b->instance->SetItemValue(b->itemHandle, item, JCTYPE_TEXT, buffer, row->capacity * sizeof(WCHAR));
  FreeMem(buffer);
  return result;
}

// ---- the dispatcher ------------------------------------------------------------------------

DWORD SendJobControlEvent(DriverContext* context, DWORD event, DWORD mask) {
  if (!BindingOf(context)) return ERROR_INVALID_PARAMETER;
  DWORD result = 0;
  switch (event) {
    case JCEV_READ:
      ForEachItem(mask, [&](DWORD item) { ReadJobControlItem(context, item); });
      return 0;
    case JCEV_WRITE:
    case JCEV_RESET:
      ForEachItem(mask, [&](DWORD item) { WriteJobControlItem(context, item, event); });
      return 0;
    case JCEV_OPEN:
      if ((result = Bind(context)) != 0) return result;
      return Open(context);
    case JCEV_CLOSE:
      Close(context);
      Unbind(context);
      return 0;
    case JCEV_START: {
      if ((result = Bind(context)) != 0) return result;
      const WCHAR* name = GetPrinterDisplayName(context);
      result = BindingOf(context)->instance->PreparePrinter(name ? name : u"");
      Unbind(context);
      ClearStates(context);
      return result;
    }
    case JCEV_READ_MASK:
    case JCEV_WRITE_MASK: {
      if ((result = Bind(context)) != 0) return result;
      result = Open(context);
      if (result == 0) {
        ForEachItem(mask, [&](DWORD item) {
          if (event == JCEV_READ_MASK) {
            ReadJobControlItem(context, item);
          } else {
            WriteJobControlItem(context, item, JCEV_WRITE);
          }
        });
        Close(context);
      }
      Unbind(context);
      if (event == JCEV_READ_MASK) ClearStates(context);
      return result;
    }
    default:
      return ERROR_INVALID_PARAMETER;
  }
}

DWORD JobControlRead(DriverContext* context, DWORD mask) {
  return IsBuildFlagOn() ? SendJobControlEvent(context, JCEV_READ, mask) : 0;
}
DWORD JobControlWrite(DriverContext* context, DWORD mask) {
  return IsBuildFlagOn() ? SendJobControlEvent(context, JCEV_WRITE, mask) : 0;
}
DWORD JobControlResetItems(DriverContext* context, DWORD mask) {
  return IsBuildFlagOn() ? SendJobControlEvent(context, JCEV_RESET, mask) : 0;
}
DWORD JobControlOpen(DriverContext* context) { return IsBuildFlagOn() ? SendJobControlEvent(context, JCEV_OPEN, 0) : 0; }
DWORD JobControlClose(DriverContext* context) {
  return IsBuildFlagOn() ? SendJobControlEvent(context, JCEV_CLOSE, 0) : 0;
}
DWORD JobControlStart(DriverContext* context) {
  return IsBuildFlagOn() ? SendJobControlEvent(context, JCEV_START, 0) : 0;
}
DWORD JobControlReadMask(DriverContext* context, DWORD mask) {
  return IsBuildFlagOn() ? SendJobControlEvent(context, JCEV_READ_MASK, mask) : 0;
}
DWORD JobControlWriteMask(DriverContext* context, DWORD mask) {
  return IsBuildFlagOn() ? SendJobControlEvent(context, JCEV_WRITE_MASK, mask) : 0;
}

// ---- further operations --------------------------------------------------------------------

DWORD NotifyJobControl(DriverContext* context, DWORD item) {
  if (!HandleOpen(context)) return 0;
  const JobControlBinding* b = BindingOf(context);
  return b->instance->DiscardItemValue(b->itemHandle, item);
}

DWORD JobControlRunWithLanguage(DriverContext* context) {
  if (!HandleOpen(context)) return 0;
  const JobControlBinding* b = BindingOf(context);
  JobControlLanguageBlock block{sizeof(JobControlLanguageBlock), 0, 0};
  LanguageIdOf(context, &block.primary, &block.sublanguage);
  return b->instance->RunLanguageCommand(b->itemHandle, JCCMD_LANGUAGE, &block);
}

int CanOpenJobControlItems(DriverContext* context) {
  if (Bind(context) != 0) return 0;
  const bool wasOpen = HandleOpen(context);
  const bool opened = Open(context) == 0;
  if (opened) Close(context);
  Unbind(context);
  return opened || wasOpen ? 1 : 0;
}

int SyncUserCodeToJobControl(DriverContext* context) {
  if (LoadLocalUserCode(context) && ReadFieldRawById(context, fid::kdmLogCodeUse) != 0) {
    WCHAR code[10] = {};
    SettingField* logCode = FindFieldById(context, fid::kdmLogCode);
    if (logCode && GetFieldString(context, logCode, code, 10) && code[0] != 0) {
      if (SettingField* userCode = FindFieldById(context, fid::kdmUserCode)) SetFieldString(context, userCode, code);
      JobControlWriteMask(context, JCI_USER_CODE);
    }
  }
  return 1;
}

void JobControlLogon(DriverContext* context) {
  if (!CanOpenJobControlItems(context)) {
    JobControlStart(context);
    SyncUserCodeToJobControl(context);
  }
  JobControlWriteMask(context, JCI_DRIVER_NAME | JCI_DRIVER_VERSION | JCI_LANGUAGE);
}

int QueryCardAuthentication(DriverContext* context) {
  int card = 0;
  if (JobControlOpen(context) == 0 && HandleOpen(context)) {
    const JobControlBinding* b = BindingOf(context);
    if (b->version >= 0x105) card = (GetJobControlAuthFlags(b->instance, b->itemHandle) & JCAUTH_CARD) ? 1 : 0;
  }
  JobControlClose(context);
  return card;
}

DWORD GetJobControlAuthFlags(const JobControlInterface* instance, DWORD handle) {
  if (!instance) return 0;
  instance->SetHandleMode(handle, JCMODE_AUTH_QUERY, 0);
  DWORD value = 0;
  DWORD needed = 0;
  if (instance->GetItemValueEx(handle, JCITEM_AUTH_USER_NAME, 1, JCTYPE_DWORD, &value, sizeof value, &needed) != 0) {
    value = 0;
  }
  instance->SetHandleMode(handle, 0, JCMODE_AUTH_QUERY);
  return value;
}

DWORD LoadJobControlItemsFromPrinterData(DriverContext* context, DWORD mask) {
  if (!context) return 0;
  ForEachItem(mask, [&](DWORD item) {
    if (!IsJobItem(item)) return;
    if (SettingField* field = FindFieldById(context, RowOf(item)->field)) {
      ReadFieldByNameFromPrinterData(context->hPrinter, context, field);
    }
  });
  return 0;
}

DWORD SaveJobControlItemsToPrinterData(DriverContext* context, DWORD mask) {
  if (!context) return 0;
  ForEachItem(mask, [&](DWORD item) {
    if (!IsJobItem(item)) return;
    if (SettingField* field = FindFieldById(context, RowOf(item)->field)) {
      WriteFieldByNameToPrinterData(context->hPrinter, context, field);
    }
  });
  return 0;
}

DWORD JobControlClearItems(DriverContext* context, DWORD mask) {
  if (!context) return 0;
  ForEachItem(mask, [&](DWORD item) {
    if (!IsJobItem(item)) return;
    if (item == JCITEM_TEL_LINE) {
      WriteFieldRawById(context, fid::kdmTelLine, 0);
    } else {
      EmptySetting(context, RowOf(item)->field);
    }
  });
  return 0;
}

void RunJobControlForDocument(HANDLE printer) {
  auto* name = static_cast<WCHAR*>(AllocMem(261 * sizeof(WCHAR)));
  auto* info = static_cast<PRINTER_INFO_2W*>(GetPrinterInfoForJobControl(printer, 2));
  HMODULE library = nullptr;
  JCDisposeInterfaceProc dispose = nullptr;
  const JobControlInterface* instance = nullptr;
  if (name && info) library = LoadLibraryW(kJobControlLibrary);
  if (library) {
    auto get = Proc<JCGetInterfaceProc>(library, kJobControlGetInterface);
    dispose = Proc<JCDisposeInterfaceProc>(library, kJobControlDisposeInterface);
    WORD version = 0;
    if (get && dispose && AskVersions(get, &instance, &version) == 0 && version >= 0x105) {
      GetCsrPrinterNameCopy(printer, name, 261, info);
      DWORD handle = 0;
      if (instance->OpenPrinterItems(name, &handle) == 0 && handle != 0) {
        if (GetJobControlAuthFlags(instance, handle) & JCAUTH_CARD) {
          DWORD needed = 0;
          instance->SetHandleMode(handle, JCMODE_AUTH_QUERY | JCMODE_CARD_SESSION, 0);
          instance->GetItemValue(handle, JCITEM_AUTH_USER_NAME, JCTYPE_TEXT, nullptr, 0, &needed);
          instance->SetHandleMode(handle, 0, JCMODE_AUTH_QUERY | JCMODE_CARD_SESSION);
        }
        instance->ClosePrinterItems(handle);
      }
    }
    if (dispose && instance) dispose(const_cast<JobControlInterface*>(instance));
    FreeLibrary(library);
  }
  FreeMem(info);
  FreeMem(name);
}
