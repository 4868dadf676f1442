// Jobcora32.dll: the job-control library of the driver package. It keeps, per printer, the
// job items the driver hands it (user code, owner, passwords, authentication data, the
// driver's identity and language) so that the rendering side can read them back at job
// start, in any process of the machine.
//
// The items live in one INI file of the Windows folder, "Jobcora32.ini", a section per
// printer:
//   Prepared=1                 the printer was prepared (PreparePrinter); only then can
//                              its items be opened
//   Item<n>=T<hex>             a text item: its UTF-16 code units as four hex digits each
//   Item<n>=D<decimal>         a u32 item
//   Item<n>.<user>=...         the same, kept for one user (GetUserItemValue reads it first)
//   CardAuthentication=1       card authentication is in force for the printer
//   Language=<primary>,<sub>   the last language command
// The profile calls write through at once under the machine's writer lock, so two
// processes see each other's items. Text is stored as hex, so no value can break a line.
//
// Item handles are numbers of a table of this process; a handle names its printer and its
// mode bits.
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "outside/job_control_abi.h"
#include "win/kernel.h"
#include "win/profile.h"

#if defined(JOBCORA_STEERABLE)
#include "win/registry.h"
#endif

#define JOBCORA_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

struct OpenItems {
  std::u16string printer;
  DWORD mode = 0;
};

std::mutex g_lock;
std::vector<OpenItems*> g_handles;  // handle n is slot n - 1; a closed slot is null

std::u16string StoreFile() {
  WCHAR folder[260] = {};
  const UINT n = GetWindowsDirectoryW(folder, 260);
  if (n == 0 || n >= 240) return {};
  return std::u16string(folder, n) + u"\\Jobcora32.ini";
}

std::u16string ItemKey(DWORD item, const WCHAR* user) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%u", static_cast<unsigned>(item));
  std::u16string key = u"Item";
  for (const char* p = digits; *p; ++p) key += static_cast<char16_t>(*p);
  if (user && *user) {
    key += u'.';
    key += user;
  }
  return key;
}

std::u16string ReadKey(const std::u16string& section, const std::u16string& key) {
  const std::u16string file = StoreFile();
  if (file.empty()) return {};
  std::vector<WCHAR> value(8192);
  const DWORD n = GetPrivateProfileStringW(section.c_str(), key.c_str(), u"", value.data(),
                                           static_cast<DWORD>(value.size()), file.c_str());
  return std::u16string(value.data(), n);
}

bool WriteKey(const std::u16string& section, const std::u16string& key, const WCHAR* value) {
  const std::u16string file = StoreFile();
  return !file.empty() && WritePrivateProfileStringW(section.c_str(), key.c_str(), value, file.c_str()) != FALSE;
}

int HexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  return -1;
}

// A stored value: kind 'T' with its text, or 'D' with its number. False when none or damaged.
bool Decode(const std::u16string& stored, char16_t* kind, std::u16string* text, DWORD* number) {
  if (stored.empty()) return false;
  *kind = stored[0];
  if (*kind == u'T') {
    if ((stored.size() - 1) % 4 != 0) return false;
    text->clear();
    for (std::size_t i = 1; i < stored.size(); i += 4) {
      unsigned v = 0;
      for (std::size_t j = 0; j < 4; ++j) {
        const int d = HexDigit(stored[i + j]);
        if (d < 0) return false;
        v = v * 16 + static_cast<unsigned>(d);
      }
      text->push_back(static_cast<char16_t>(v));
    }
    return true;
  }
  if (*kind == u'D') {
    unsigned long long v = 0;
    for (std::size_t i = 1; i < stored.size(); ++i) {
      if (stored[i] < u'0' || stored[i] > u'9') return false;
      v = v * 10 + static_cast<unsigned>(stored[i] - u'0');
      if (v > 0xFFFFFFFFull) return false;
    }
    *number = static_cast<DWORD>(v);
    return stored.size() > 1;
  }
  return false;
}

bool KnownItem(DWORD item) { return (item >= 1 && item <= 11) || (item >= 256 && item <= 258); }
DWORD TypeOf(DWORD item) { return item == JCITEM_LANGUAGE ? JCTYPE_DWORD : JCTYPE_TEXT; }

// The printer of an open handle, or false.
bool Lookup(DWORD handle, std::u16string* printer, DWORD* mode) {
  std::lock_guard<std::mutex> guard(g_lock);
  if (handle == 0 || handle > g_handles.size() || !g_handles[handle - 1]) return false;
  if (printer) *printer = g_handles[handle - 1]->printer;
  if (mode) *mode = g_handles[handle - 1]->mode;
  return true;
}

#if defined(JOBCORA_STEERABLE)
// The test build reads its steering from HKLM\Software\KovaTest\Jobcora, so that it
// survives the library being unloaded between calls: "MaxVersion" (the highest version
// offered), "OpenFails" (every open answers an error).
DWORD Steering(const WCHAR* name, DWORD fallback) {
  DWORD value = 0;
  DWORD size = sizeof value;
  if (RegGetValueW(HKEY_LOCAL_MACHINE, u"Software\\KovaTest\\Jobcora", name, RRF_RT_REG_DWORD, nullptr, &value,
                   &size) != ERROR_SUCCESS) {
    return fallback;
  }
  return value;
}
#else
DWORD Steering(const WCHAR*, DWORD fallback) { return fallback; }
#endif

// ---- the operations ------------------------------------------------------------------------

DWORD PreparePrinter(const WCHAR* displayName) {
  if (!displayName || !*displayName) return JCERR_BAD_ARGUMENT;
  return WriteKey(displayName, u"Prepared", u"1") ? 0 : JCERR_STORE;
}

DWORD Reserved1(const WCHAR*) { return 0; }

DWORD OpenPrinterItems(const WCHAR* printerName, DWORD* handle) {
  if (!handle) return JCERR_BAD_ARGUMENT;
  *handle = 0;
  if (!printerName || !*printerName) return JCERR_BAD_ARGUMENT;
  if (Steering(u"OpenFails", 0) != 0) return JCERR_STORE;
  if (ReadKey(printerName, u"Prepared") != u"1") return JCERR_NO_VALUE;
  std::lock_guard<std::mutex> guard(g_lock);
  std::size_t slot = 0;
  while (slot < g_handles.size() && g_handles[slot]) ++slot;
  if (slot == g_handles.size()) g_handles.push_back(nullptr);
  g_handles[slot] = new OpenItems{printerName, 0};
  *handle = static_cast<DWORD>(slot + 1);
  return 0;
}

DWORD ClosePrinterItems(DWORD handle) {
  std::lock_guard<std::mutex> guard(g_lock);
  if (handle == 0 || handle > g_handles.size() || !g_handles[handle - 1]) return JCERR_BAD_HANDLE;
  delete g_handles[handle - 1];
  g_handles[handle - 1] = nullptr;
  return 0;
}

DWORD GetItemAttributes(DWORD handle, DWORD item, DWORD* attributes) {
  std::u16string printer;
  if (!attributes) return JCERR_BAD_ARGUMENT;
  *attributes = 0;
  if (!Lookup(handle, &printer, nullptr)) return JCERR_BAD_HANDLE;
  if (!KnownItem(item)) return JCERR_MORE_DATA;
  if (!ReadKey(printer, ItemKey(item, nullptr)).empty()) *attributes |= JCATTR_HAS_VALUE;
  return 0;
}

// Copies a stored value of `type` out; a null buffer or a short one reports the size.
DWORD CopyValue(const std::u16string& stored, DWORD type, void* buffer, DWORD size, DWORD* needed) {
  if (needed) *needed = 0;
  char16_t kind = 0;
  std::u16string text;
  DWORD number = 0;
  if (!Decode(stored, &kind, &text, &number)) return JCERR_NO_VALUE;
  if ((type == JCTYPE_TEXT) != (kind == u'T')) return JCERR_BAD_ARGUMENT;
  const DWORD bytes = kind == u'T' ? static_cast<DWORD>((text.size() + 1) * sizeof(WCHAR)) : sizeof(DWORD);
  if (needed) *needed = bytes;
  if (!buffer || size < bytes) return JCERR_MORE_DATA;
  if (kind == u'T') {
    std::memcpy(buffer, text.c_str(), bytes);
  } else {
    std::memcpy(buffer, &number, sizeof number);
  }
  return 0;
}

DWORD GetUserItemValue(DWORD handle, DWORD item, DWORD type, const WCHAR* user, void* buffer, DWORD size,
                       DWORD* needed) {
  std::u16string printer;
  if (needed) *needed = 0;
  if (!Lookup(handle, &printer, nullptr)) return JCERR_BAD_HANDLE;
  if (!KnownItem(item)) return JCERR_MORE_DATA;
  std::u16string stored;
  if (user && *user) stored = ReadKey(printer, ItemKey(item, user));
  if (stored.empty()) stored = ReadKey(printer, ItemKey(item, nullptr));
  return CopyValue(stored, type, buffer, size, needed);
}

DWORD GetItemValue(DWORD handle, DWORD item, DWORD type, void* buffer, DWORD size, DWORD* needed) {
  return GetUserItemValue(handle, item, type, nullptr, buffer, size, needed);
}

DWORD SetItemValue(DWORD handle, DWORD item, DWORD type, const void* buffer, DWORD size) {
  std::u16string printer;
  if (!Lookup(handle, &printer, nullptr)) return JCERR_BAD_HANDLE;
  if (!KnownItem(item)) return JCERR_MORE_DATA;
  if (type != TypeOf(item) || (!buffer && size != 0)) return JCERR_BAD_ARGUMENT;
  std::u16string stored;
  if (type == JCTYPE_DWORD) {
    if (size < sizeof(DWORD)) return JCERR_BAD_ARGUMENT;
    DWORD v = 0;
    std::memcpy(&v, buffer, sizeof v);
    char digits[16];
    std::snprintf(digits, sizeof digits, "D%u", static_cast<unsigned>(v));
    for (const char* p = digits; *p; ++p) stored += static_cast<char16_t>(*p);
  } else {
    // The text ends at its terminator or at the end of the buffer, whichever comes first.
    const WCHAR* text = static_cast<const WCHAR*>(buffer);
    const std::size_t most = size / sizeof(WCHAR);
    std::size_t length = 0;
    while (length < most && text[length]) ++length;
    stored = u"T";
    static const char16_t kHex[] = u"0123456789ABCDEF";
    for (std::size_t i = 0; i < length; ++i) {
      const unsigned v = static_cast<unsigned>(text[i]);
      for (int shift = 12; shift >= 0; shift -= 4) stored += kHex[(v >> shift) & 0xF];
    }
  }
  return WriteKey(printer, ItemKey(item, nullptr), stored.c_str()) ? 0 : JCERR_STORE;
}

DWORD DiscardItemValue(DWORD handle, DWORD item) {
  std::u16string printer;
  if (!Lookup(handle, &printer, nullptr)) return JCERR_BAD_HANDLE;
  if (!KnownItem(item)) return JCERR_MORE_DATA;
  return WriteKey(printer, ItemKey(item, nullptr), nullptr) ? 0 : JCERR_STORE;
}

DWORD RunLanguageCommand(DWORD handle, DWORD command, const void* block) {
  std::u16string printer;
  if (!Lookup(handle, &printer, nullptr)) return JCERR_BAD_HANDLE;
  if (command != JCCMD_LANGUAGE || !block) return JCERR_BAD_ARGUMENT;
  JobControlLanguageBlock language{};
  std::memcpy(&language, block, sizeof language);
  if (language.size != sizeof language) return JCERR_BAD_ARGUMENT;
  char text[32];
  std::snprintf(text, sizeof text, "%u,%u", static_cast<unsigned>(language.primary),
                static_cast<unsigned>(language.sublanguage));
  std::u16string value;
  for (const char* p = text; *p; ++p) value += static_cast<char16_t>(*p);
  return WriteKey(printer, u"Language", value.c_str()) ? 0 : JCERR_STORE;
}

DWORD SetHandleMode(DWORD handle, DWORD set, DWORD clear) {
  std::lock_guard<std::mutex> guard(g_lock);
  if (handle == 0 || handle > g_handles.size() || !g_handles[handle - 1]) return JCERR_BAD_HANDLE;
  g_handles[handle - 1]->mode = (g_handles[handle - 1]->mode & ~clear) | set;
  return 0;
}

// Item 9 in the authentication-query mode answers the printer's authentication flags.
DWORD GetItemValueEx(DWORD handle, DWORD item, DWORD one, DWORD type, void* buffer, DWORD size, DWORD* needed) {
  std::u16string printer;
  DWORD mode = 0;
  if (needed) *needed = 0;
  if (!Lookup(handle, &printer, &mode)) return JCERR_BAD_HANDLE;
  if (item != JCITEM_AUTH_USER_NAME || one != 1 || type != JCTYPE_DWORD || !(mode & JCMODE_AUTH_QUERY)) {
    return JCERR_BAD_ARGUMENT;
  }
  if (needed) *needed = sizeof(DWORD);
  if (!buffer || size < sizeof(DWORD)) return JCERR_MORE_DATA;
  const DWORD flags = ReadKey(printer, u"CardAuthentication") == u"1" ? JCAUTH_CARD : 0;
  std::memcpy(buffer, &flags, sizeof flags);
  return 0;
}

JobControlInterface kInterface = {
    PreparePrinter,   Reserved1,     OpenPrinterItems, ClosePrinterItems, GetItemAttributes,
    GetItemValue,     SetItemValue,  DiscardItemValue, RunLanguageCommand, nullptr,
    GetUserItemValue, SetHandleMode, GetItemValueEx,
};

// ---- the conversion table (0x181) ----------------------------------------------------------
// A conversion takes the credentials (parameter 256) and turns the authentication password
// into the form the printer expects. This library keeps the password's bytes as they are:
// the printer of this package takes them unchanged.
struct Conversion {
  bool credentials = false;
};
std::vector<Conversion*> g_conversions;  // handle n is slot n - 1

Conversion* ConversionOf(DWORD handle) {
  return handle == 0 || handle > g_conversions.size() ? nullptr : g_conversions[handle - 1];
}

DWORD Create(DWORD, DWORD* handle) {
  if (!handle) return JCERR_BAD_ARGUMENT;
  std::lock_guard<std::mutex> guard(g_lock);
  std::size_t slot = 0;
  while (slot < g_conversions.size() && g_conversions[slot]) ++slot;
  if (slot == g_conversions.size()) g_conversions.push_back(nullptr);
  g_conversions[slot] = new Conversion{};
  *handle = static_cast<DWORD>(slot + 1);
  return 0;
}

DWORD Destroy(DWORD handle) {
  std::lock_guard<std::mutex> guard(g_lock);
  Conversion* c = ConversionOf(handle);
  if (!c) return JCERR_BAD_HANDLE;
  delete c;
  g_conversions[handle - 1] = nullptr;
  return 0;
}

DWORD SetParameter(DWORD handle, DWORD parameter, const void* value, DWORD size) {
  std::lock_guard<std::mutex> guard(g_lock);
  Conversion* c = ConversionOf(handle);
  if (!c) return JCERR_BAD_HANDLE;
  if (parameter != JC_PARAM_CREDENTIALS || !value || size < sizeof(JobControlTextPair)) return JCERR_BAD_ARGUMENT;
  c->credentials = true;
  return 0;
}

DWORD Convert(DWORD handle, const BYTE* input, DWORD inputLength, BYTE* output, DWORD outputSize,
              DWORD* outputLength) {
  {
    std::lock_guard<std::mutex> guard(g_lock);
    Conversion* c = ConversionOf(handle);
    if (!c) return JCERR_BAD_HANDLE;
    if (!c->credentials) return JCERR_BAD_ARGUMENT;
  }
  if (outputLength) *outputLength = inputLength;
  if ((!input && inputLength) || !outputLength) return JCERR_BAD_ARGUMENT;
  if (!output || outputSize < inputLength) return JC_MORE_DATA;
  if (inputLength) std::memcpy(output, input, inputLength);
  return 0;
}

JobControlConversion kConversion = {Create, Destroy, SetParameter, Convert};

}  // namespace

// Versions 0x101 to 0x105 share one operation table (every version's operations are a
// subset of the newest); 0x181, for holders of 0x104 or later, is the conversion table.
JOBCORA_EXPORT DWORD JCGetInterface(WORD version, void** out) {
  if (!out) return JCERR_BAD_ARGUMENT;
  *out = nullptr;
  const DWORD highest = Steering(u"MaxVersion", JCVER_LAST);
  if (version == JC_VERSION_CONVERSION && highest >= JC_VERSION_104) {
    *out = &kConversion;
    return 0;
  }
  if (version < JCVER_FIRST || version > JCVER_LAST || version > highest) return JCERR_VERSION;
  *out = &kInterface;
  return 0;
}

JOBCORA_EXPORT DWORD JCDisposeInterface(void*) { return 0; }
