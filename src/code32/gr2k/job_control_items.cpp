#include "job_control_items.h"

#include <cstring>
#include <new>
#include <string_view>

#include "base/build_switches.h"
#include "fields/field_access.h"
#include "fields/field_job_items.h"
#include "fields/locale_text.h"
#include "base/memory.h"
#include "base/paths_and_names.h"
#include "base/printer_data.h"
#include "model/units.h"
#include "base/wide_text.h"
#include "job_text.h"
#include "render_fields.h"
#include "win/kernel.h"
#include "win/loader.h"
#include "win/spool.h"

namespace rendara {

namespace {

// The rows of the item table the mask walks, in order, with each item's exchange buffer
// (bytes) and its setting; rows without a setting (256-258) are never asked here.
struct ItemRow {
  DWORD bit;
  DWORD item;
  DWORD bufferSize;
  WORD field;
};
constexpr ItemRow kItemRows[] = {
    {0x0001, 1, 18, fid::kdmUserCode},
    {0x0002, 2, 34, fid::kdmOwnerName},
    {0x0004, 3, 18, fid::kdmJOBPassword},
    {0x0008, 4, 18, fid::kdmUserID},
    {0x0010, 5, 34, fid::kdmDocumentName},
    {0x0020, 6, 0, fid::kdmTelNo},
    {0x0040, 7, 0, fid::kdmTelLine},
    {0x0080, 8, 18, fid::kdmStoredPassword},
    {0x0100, 256, 0, 0},
    {0x0200, 257, 0, 0},
    {0x0400, 258, 0, 0},
    {0x0800, 9, 258, fid::wdmAuthenticationUserName},
    {0x1000, 10, 386, fid::wdmAuthenticationPassword},
    {0x2000, 11, 66, fid::wdmAuthenticationNetworkKey},
};

constexpr WORD kMainVersions[] = {JC_VERSION_105, JC_VERSION_104, JC_VERSION_103, JC_VERSION_102, JC_VERSION_101};
// A length the library reports beyond this is not believed.
constexpr DWORD kMaxItemBytes = 0x10000;
constexpr DWORD kMaxTextChars = 128;
constexpr DWORD kPasswordBytes = 512;
constexpr DWORD kResultBytes = 257;

bool LengthAnswered(DWORD result, DWORD length) {
  return (result == JC_OK || result == JC_MORE_DATA) && length > 0 && length <= kMaxItemBytes;
}

// Reads bufferSize bytes of the item (or, when the library needs more, a temporary buffer
// of its length of which bufferSize bytes are kept), terminated. useUser: slot 10.
bool ReadItemInto(const JobControlInterface* main, DWORD connection, DWORD item, const WCHAR* user, bool useUser,
                  DWORD length, WCHAR* buffer, DWORD bufferSize) {
  const DWORD size = length > bufferSize ? length : bufferSize;
  auto* temp = new (std::nothrow) BYTE[size + sizeof(WCHAR)]();
  if (!temp) return false;
  DWORD needed = 0;
  const DWORD result =
      useUser ? main->GetUserItemValue(connection, item, JC_TYPE_TEXT, user, temp, size, &needed)
              : main->GetItemValue(connection, item, JC_TYPE_TEXT, temp, size, &needed);
  if (result == JC_OK) {
    std::memcpy(buffer, temp, bufferSize);
    buffer[bufferSize / sizeof(WCHAR) - 1] = 0;
  }
  delete[] temp;
  return result == JC_OK;
}

// ReadJobItem: the item's text, asked with the job's user from version 0x103, as 8-bit
// text of at most bufferSize / 2 bytes. False when the library has no such item.
bool ReadJobItem(const JobControlInterface* main, DWORD connection, WORD version, DWORD item, DWORD bufferSize,
                 const WCHAR* user, bool forcePlain, WCHAR* wide, char* text, bool* cut) {
  const bool useUser = version >= JC_VERSION_103 && !forcePlain && main->GetUserItemValue;
  if (!useUser && !main->GetItemValue) return false;
  DWORD length = 0;
  const DWORD result = useUser ? main->GetUserItemValue(connection, item, JC_TYPE_TEXT, user, nullptr, 0, &length)
                               : main->GetItemValue(connection, item, JC_TYPE_TEXT, nullptr, 0, &length);
  if (result == JC_NO_ITEM || !LengthAnswered(result, length)) return false;
  // The library's text (with its NUL) is longer than the buffer keeps.
  if (cut) *cut = length > bufferSize;
  if (!ReadItemInto(main, connection, item, user, useUser, length, wide, bufferSize)) return false;
  WideToAnsi(text, wide, static_cast<int>(bufferSize / 2));
  return true;
}

// The text has no character the input check refuses (kind 1 or 2) and at most 128.
bool AcceptableAuthText(const WCHAR* text, int kind) {
  const std::size_t n = WideLength(text);
  if (n > kMaxTextChars) return false;
  for (std::size_t i = 0; i < n; ++i)
    if (!CheckInputCharacter(text[i], kind)) return false;
  return true;
}

// Converts input (8-bit, its length) with a fresh handle of the mode into out (at most
// outSize - 1 bytes, terminated). 0 or the failing result.
DWORD ConvertOnce(const JobControlConversion* conversion, DWORD mode, const BYTE* input, DWORD inputLength, BYTE* out,
                  DWORD outSize, const JobControlTextPair* pair) {
  DWORD handle = 0;
  DWORD result = conversion->Create(mode, &handle);
  if (result != JC_OK) return result;
  if (pair) {
    result = conversion->SetParameter(handle, JC_PARAM_CREDENTIALS, pair, sizeof *pair);
    if (result != JC_OK) {
      conversion->Destroy(handle);
      return result;
    }
  }
  DWORD length = 0;
  result = conversion->Convert(handle, input, inputLength, nullptr, 0, &length);
  if (result != JC_OK && result != JC_MORE_DATA) {
    conversion->Destroy(handle);
    return result;
  }
  if (length > kMaxItemBytes) length = kMaxItemBytes;
  auto* buffer = new (std::nothrow) BYTE[length + 1]();
  if (!buffer) {
    conversion->Destroy(handle);
    return static_cast<DWORD>(-1);
  }
  DWORD written = 0;
  result = conversion->Convert(handle, input, inputLength, buffer, length + 1, &written);
  if (result == JC_OK) {
    DWORD n = written < length + 1 ? written : length;
    if (n > outSize - 1) n = outSize - 1;
    std::memcpy(out, buffer, n);
    out[n] = 0;
  }
  delete[] buffer;
  conversion->Destroy(handle);
  return result;
}

struct Library {
  HMODULE module = nullptr;
  JCGetInterfaceProc get = nullptr;
  JCDisposeInterfaceProc dispose = nullptr;
};

bool LoadLibraryFromSystem(Library& lib) {
  WCHAR path[MAX_PATH];
  const UINT n = GetSystemDirectoryW(path, MAX_PATH);
  const std::size_t name = sizeof kJobControlLibrary / sizeof(WCHAR);
  if (n == 0 || n + 1 + name > MAX_PATH) return false;
  path[n] = u'\\';
  std::memcpy(path + n + 1, kJobControlLibrary, sizeof kJobControlLibrary);
  lib.module = LoadLibraryW(path);
  if (!lib.module) return false;
  lib.get = reinterpret_cast<JCGetInterfaceProc>(
      reinterpret_cast<void (*)()>(GetProcAddress(lib.module, kJobControlGetInterface)));
  lib.dispose = reinterpret_cast<JCDisposeInterfaceProc>(
      reinterpret_cast<void (*)()>(GetProcAddress(lib.module, kJobControlDisposeInterface)));
  return true;
}

// The job's user (JOB_INFO_1 pUserName unless "UNKNOWN"), else the logged-on user.
bool JobUserName(HANDLE printer, DWORD jobId, WCHAR* user, DWORD chars) {
  user[0] = 0;
  DWORD needed = 0;
  GetJobW(printer, jobId, 1, nullptr, 0, &needed);
  if (needed >= sizeof(JOB_INFO_1W)) {
    auto* info = static_cast<BYTE*>(AllocMem(needed));
    if (info && GetJobW(printer, jobId, 1, info, needed, &needed)) {
      const WCHAR* name = reinterpret_cast<JOB_INFO_1W*>(info)->pUserName;
      if (name && name[0] && std::u16string_view(name) != u"UNKNOWN") {
        std::size_t n = 0;
        for (; name[n] && n + 1 < chars; ++n) user[n] = name[n];
        user[n] = 0;
      }
    }
    FreeMem(info);
  }
  if (user[0]) return true;
  DWORD size = chars;
  return GetUserNameW(user, &size) && user[0];
}

}  // namespace

int ReadJobControlItemText(const JobControlInterface* main, DWORD item, DWORD bufferSize, WCHAR* text,
                           DWORD connection) {
  if (!main || !text || bufferSize < sizeof(WCHAR) || !main->GetItemAttributes || !main->GetItemValue) return -1;
  text[0] = 0;
  DWORD flags = 0;
  if (main->GetItemAttributes(connection, item, &flags) != JC_OK || !(flags & JC_ATTR_PRESENT)) return -1;
  DWORD length = 0;
  const DWORD result = main->GetItemValue(connection, item, JC_TYPE_TEXT, nullptr, 0, &length);
  if (!LengthAnswered(result, length)) return -1;
  return ReadItemInto(main, connection, item, nullptr, false, length, text, bufferSize) ? 0 : -1;
}

DWORD ConvertAuthenticationPassword(HANDLE printer, char* text, const JobControlConversion* conversion,
                                    const JobControlInterface* main, DWORD connection) {
  if (!text) return static_cast<DWORD>(-1);
  text[0] = 0;
  if (!conversion || !conversion->Create || !conversion->Destroy || !conversion->Convert ||
      !conversion->SetParameter)
    return 0;
  DWORD secure = 0;
  const DWORD mode = GetPrinterDataValue(printer, &secure, sizeof secure, u"AuthenticationSecureMode", 0) &&
                             (secure & 1)
                         ? 2
                         : 4;
  WCHAR user[129] = {};
  WCHAR key[129] = {};
  JobControlTextPair pair{user, key};
  if (mode == 2) {
    // Either may be absent: the conversion is then given empty text.
    ReadJobControlItemText(main, 9, sizeof user, user, connection);
    ReadJobControlItemText(main, 11, sizeof key, key, connection);
  }
  WCHAR password[kPasswordBytes / sizeof(WCHAR)] = {};
  if (ReadJobControlItemText(main, 10, sizeof password, password, connection) != 0) return static_cast<DWORD>(-1);
  char input[kPasswordBytes] = {};
  WideToAnsi(input, password, sizeof input);
  BYTE first[kPasswordBytes] = {};
  DWORD result = ConvertOnce(conversion, mode, reinterpret_cast<const BYTE*>(input),
                             static_cast<DWORD>(std::strlen(input)), first, sizeof first, mode == 2 ? &pair : nullptr);
  if (result != JC_OK) return result;
  const DWORD firstLength = static_cast<DWORD>(std::strlen(reinterpret_cast<char*>(first)));
  if (firstLength == 0) return 0;
  BYTE second[kPasswordBytes] = {};
  result = ConvertOnce(conversion, 1, first, firstLength, second, sizeof second, nullptr);
  if (result != JC_OK) return result;
  std::memcpy(text, second, kResultBytes - 1);
  text[kResultBytes - 1] = 0;
  return 0;
}

BOOL ReadJobControlItems(DriverContext* context, HANDLE printer, DWORD jobId, DWORD mask) {
  if (!context) return FALSE;
  BYTE* info = static_cast<BYTE*>(GetPrinterInfoForJobControl(printer, 2));
  if (!info) return FALSE;
  Library lib;
  if (!LoadLibraryFromSystem(lib)) {
    FreeMem(info);
    return FALSE;
  }
  const bool kind0 = IsFeatureKindSupported(context, 0, 0) != 0;
  const JobControlInterface* main = nullptr;
  const JobControlConversion* conversion = nullptr;
  WORD version = 0;
  WCHAR user[257] = {};
  WCHAR printerName[261] = {};
  DWORD connection = 0;
  bool open = false;
  if (lib.get && lib.dispose) {
    for (WORD v : kMainVersions) {
      void* table = nullptr;
      if (lib.get(v, &table) == JC_OK && table) {
        main = static_cast<const JobControlInterface*>(table);
        version = v;
        break;
      }
    }
  }
  bool go = main != nullptr;
  if (go && kind0 && version >= JC_VERSION_104) {
    void* table = nullptr;
    if (lib.get(JC_VERSION_CONVERSION, &table) == JC_OK && table)
      conversion = static_cast<const JobControlConversion*>(table);
    else
      go = false;
  }
  if (go && version >= JC_VERSION_103) go = JobUserName(printer, jobId, user, 257);
  if (go && main->OpenPrinterItems) {
    GetCsrPrinterNameCopy(printer, printerName, 261, reinterpret_cast<const PRINTER_INFO_2W*>(info));
    open = main->OpenPrinterItems(printerName, &connection) == JC_OK;
  }
  if (open) {
    DWORD capability = 0;
    if (kind0 && ReadFieldRawById(context, fid::kdmPrnFuncAuthenticationMode) != 0 && version >= JC_VERSION_105 &&
        main->SetHandleMode && main->GetItemValueEx) {
      main->SetHandleMode(connection, 2, 0);
      DWORD needed = 0;
      if (main->GetItemValueEx(connection, 9, 1, JC_TYPE_U32, &capability, sizeof capability, &needed) != JC_OK)
        capability = 0;
      main->SetHandleMode(connection, 0, 2);
      if (capability & JC_AUTH_CARD) main->SetHandleMode(connection, 2, 0);
    }
    const bool card = (capability & JC_AUTH_CARD) != 0;
    bool userStored = false;
    for (const ItemRow& row : kItemRows) {
      if (!(mask & row.bit) || row.field == 0 || row.bufferSize == 0) continue;
      const bool auth = row.item >= 9 && row.item <= 11;
      if (auth && !kind0) continue;
      if (card && row.item == 9) ClearJobControlItem(context, 9);
      if (card && row.item == 10) {
        ClearJobControlItem(context, 10);
        if (!userStored) continue;
      }
      WCHAR wide[386 / sizeof(WCHAR)] = {};
      char text[386] = {};
      bool cut = false;
      bool read = ReadJobItem(main, connection, version, row.item, row.bufferSize, user, false, wide, text, &cut);
      if (card && (row.item == 9 || row.item == 10)) {
        if (!read) continue;
        // A credential the buffer had to cut is too long, never stored cut.
        if (cut || !AcceptableAuthText(wide, row.item == 9 ? 1 : 2)) {
          if (row.item == 10) ClearJobControlItem(context, 9);
          continue;
        }
      }
      if (!read && version >= JC_VERSION_103)
        read = ReadJobItem(main, connection, version, row.item, row.bufferSize, user, true, wide, text, nullptr);
      if (!read) continue;
      if (row.item == 10) {
        char converted[kResultBytes] = {};
        ConvertAuthenticationPassword(printer, converted, conversion, main, connection);
        StoreJobText(context, row.field, converted, sizeof converted);
      } else {
        StoreJobText(context, row.field, text, sizeof text);
      }
      if (card && row.item == 9) userStored = true;
    }
    if (card) main->SetHandleMode(connection, 0, 2);
    if (main->ClosePrinterItems) main->ClosePrinterItems(connection);
  }
  if (main) lib.dispose(const_cast<JobControlInterface*>(main));
  if (conversion) lib.dispose(const_cast<JobControlConversion*>(conversion));
  FreeLibrary(lib.module);
  FreeMem(info);
  return TRUE;
}

int RunJobControlAtStartDoc(DriverContext* context, HANDLE printer, DWORD jobId) {
  ReadJobControlItems(context, printer, jobId, kStartDocItemMask);
  return 1;
}

}  // namespace rendara
