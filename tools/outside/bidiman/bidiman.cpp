// Bidiman4NT.dll: a printer's two-way communication library that answers for the printers
// of the machine from a file of answers, "Bidiman4NT.ini" in the Windows folder, a section
// per printer display name:
//   Model=<name>          the model name the printer reports
//   Kind<n>=<u32 ...>     the u32 entries of item kind n (1, 2, 11, 20, 21, 23, 80, 81, 83);
//                         for kind 80 the one value is the number of custom media
//   Kind8=<text>          the system version text
//   Kind82=<a>|<b>|...    the custom media names (each sent with its NUL)
//   Kind82End=0           the last name is sent without its NUL
//   Count<n>=<number>     the entry count answered for kind n instead of the real one
//   Sub258=<u32>          the memory type of sub-query 15
//   Sub2=<text>, Sub259=<text>  the emulation version and the other text of sub-query 15
//   FailStep=<step>       open | ok | model | start | item | subquery | subitem: that call
//   FailKind=<n>          fails (item and subitem: only for kind or sub-item n)
//   Error=<n>             the Win32 error the failing call reports (default 31)
// A printer without a section is not reachable: its open fails with error 2.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "outside/bidi_abi.h"
#include "win/kernel.h"
#include "win/profile.h"

#define BIDIMAN_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

struct Session {
  std::u16string printer;
};

std::u16string AnswersFile() {
  WCHAR folder[260] = {};
  const UINT n = GetWindowsDirectoryW(folder, 260);
  if (n == 0 || n >= 240) return {};
  return std::u16string(folder, n) + u"\\Bidiman4NT.ini";
}

std::u16string Key(const char* stem, DWORD n) {
  char text[32];
  std::snprintf(text, sizeof text, "%s%u", stem, static_cast<unsigned>(n));
  std::u16string key;
  for (const char* p = text; *p; ++p) key += static_cast<char16_t>(*p);
  return key;
}

std::u16string Read(const Session* s, const std::u16string& key, bool* present = nullptr) {
  std::vector<WCHAR> value(8192, 0);
  const std::u16string file = AnswersFile();
  GetPrivateProfileStringW(s->printer.c_str(), key.c_str(), u"\x01", value.data(), 8192, file.c_str());
  const bool there = !(value[0] == 1 && value[1] == 0);
  if (present) *present = there;
  return there ? std::u16string(value.data()) : std::u16string();
}

long Number(const std::u16string& text, long fallback) {
  if (text.empty()) return fallback;
  std::string narrow(text.begin(), text.end());
  return std::strtol(narrow.c_str(), nullptr, 0);
}

std::string Narrow(const std::u16string& text) {
  std::string out;
  for (char16_t c : text) out += static_cast<char>(c & 0xFF);
  return out;
}

// True when the step (and kind, where one is named) is the one to fail; the error is set.
bool Fails(const Session* s, const char16_t* step, DWORD kind = 0) {
  if (Read(s, u"FailStep") != step) return false;
  bool named = false;
  const long failKind = Number(Read(s, u"FailKind", &named), 0);
  if (named && kind != 0 && static_cast<DWORD>(failKind) != kind) return false;
  SetLastError(static_cast<DWORD>(Number(Read(s, u"Error"), 31)));
  return true;
}

// The bytes of an answer and its entry count.
std::string Answer(const Session* s, DWORD kind, long* count) {
  std::string bytes;
  bool present = false;
  const std::u16string text = Read(s, Key("Kind", kind), &present);
  if (kind == kBidiKindSystemVersion) {
    bytes = Narrow(text);
    if (present) bytes += '\0';
    *count = present ? 1 : 0;
  } else if (kind == kBidiKindCustomNames) {
    std::string names = Narrow(text);
    long n = 0;
    for (std::size_t at = 0; present;) {
      const std::size_t bar = names.find('|', at);
      bytes += names.substr(at, bar == std::string::npos ? std::string::npos : bar - at);
      bytes += '\0';
      ++n;
      if (bar == std::string::npos) break;
      at = bar + 1;
    }
    if (present && Number(Read(s, u"Kind82End"), 1) == 0 && !bytes.empty()) bytes.pop_back();
    *count = n;
  } else {
    std::string narrow = Narrow(text);
    long n = 0;
    for (const char* p = narrow.c_str(); *p;) {
      char* end = nullptr;
      const unsigned long v = std::strtoul(p, &end, 0);
      if (end == p) break;
      const DWORD value = static_cast<DWORD>(v);
      bytes.append(reinterpret_cast<const char*>(&value), sizeof value);
      ++n;
      p = end;
    }
    *count = kind == kBidiKindCustomCount && n > 0 ? static_cast<long>(*reinterpret_cast<const DWORD*>(bytes.data())) : n;
  }
  bool overridden = false;
  const long forced = Number(Read(s, Key("Count", kind), &overridden), 0);
  if (overridden) *count = forced;
  return bytes;
}

BOOL WINAPI Open(const WCHAR* printer, HANDLE* handle, DWORD* ok) {
  if (!printer || !handle || !ok) return FALSE;
  Session probe{printer};
  bool present = false;
  Read(&probe, u"Model", &present);
  if (!present) {
    SetLastError(2);
    return FALSE;
  }
  if (Fails(&probe, u"open")) return FALSE;
  *ok = Fails(&probe, u"ok") ? 0 : 1;
  *handle = new Session{printer};
  return TRUE;
}

BOOL WINAPI Close(HANDLE handle) {
  delete static_cast<Session*>(handle);
  return TRUE;
}

BOOL WINAPI StartQuery(HANDLE handle, HANDLE* query, DWORD, DWORD* reserved) {
  auto* s = static_cast<Session*>(handle);
  if (!s || !query || Fails(s, u"start")) return FALSE;
  *query = handle;
  if (reserved) *reserved = 0;
  return TRUE;
}

BOOL WINAPI OpenSubQuery(HANDLE handle, HANDLE* sub, DWORD, DWORD) {
  auto* s = static_cast<Session*>(handle);
  if (!s || !sub || Fails(s, u"subquery")) return FALSE;
  *sub = handle;
  return TRUE;
}

BOOL WINAPI GetModelName(HANDLE handle, DWORD, WCHAR* buffer, DWORD characters) {
  auto* s = static_cast<Session*>(handle);
  if (!s || !buffer || characters == 0 || Fails(s, u"model")) return FALSE;
  const std::u16string model = Read(s, u"Model");
  // The name fills the buffer; it ends with a NUL only when there is room for one.
  std::memset(buffer, 0, characters * sizeof(WCHAR));
  std::memcpy(buffer, model.data(), (model.size() < characters ? model.size() : characters) * sizeof(WCHAR));
  return TRUE;
}

BOOL WINAPI Unused() { return FALSE; }

LONG WINAPI GetItem(HANDLE query, DWORD kind, void* buffer, DWORD size, DWORD* needed) {
  auto* s = static_cast<Session*>(query);
  if (!s || !needed) return -1;
  long count = 0;
  const std::string bytes = Answer(s, kind, &count);
  if (Fails(s, u"item", kind)) return -1;
  if (!buffer) {
    *needed = static_cast<DWORD>(bytes.size());
    return static_cast<LONG>(count);
  }
  if (size < bytes.size()) {
    *needed = static_cast<DWORD>(bytes.size());
    SetLastError(122);
    return -1;
  }
  std::memcpy(buffer, bytes.data(), bytes.size());
  *needed = static_cast<DWORD>(bytes.size());
  return static_cast<LONG>(count);
}

BOOL WINAPI GetSubItem(HANDLE sub, DWORD, DWORD item, void* buffer, DWORD size, DWORD* needed) {
  auto* s = static_cast<Session*>(sub);
  if (!s || !needed) return FALSE;
  bool present = false;
  const std::u16string text = Read(s, Key("Sub", item), &present);
  std::string bytes;
  if (present && item == kBidiSubMemoryType) {
    const DWORD value = static_cast<DWORD>(Number(text, 0));
    bytes.assign(reinterpret_cast<const char*>(&value), sizeof value);
  } else if (present) {
    bytes = Narrow(text) + '\0';
  }
  if (Fails(s, u"subitem", item)) return FALSE;
  if (!buffer) {
    *needed = static_cast<DWORD>(bytes.size());
    return TRUE;
  }
  if (size < bytes.size()) {
    *needed = static_cast<DWORD>(bytes.size());
    SetLastError(122);
    return FALSE;
  }
  std::memcpy(buffer, bytes.data(), bytes.size());
  *needed = static_cast<DWORD>(bytes.size());
  return TRUE;
}

BOOL Fill(BidiFunctionTable* table) {
  if (!table) return FALSE;
  std::memcpy(table->libraryOwn, "BIDIMAN4", 8);
  table->open = Open;
  table->close = Close;
  table->startQuery = StartQuery;
  table->openSubQuery = OpenSubQuery;
  table->getModelName = GetModelName;
  table->unused = Unused;
  table->getItem = GetItem;
  table->getSubItem = GetSubItem;
  return TRUE;
}

}  // namespace

BIDIMAN_EXPORT BOOL VanteInitializeBidiApiV2W(BidiFunctionTable* table) { return Fill(table); }
BIDIMAN_EXPORT BOOL VanteInitializeBidiApiW(BidiFunctionTable* table) { return Fill(table); }
