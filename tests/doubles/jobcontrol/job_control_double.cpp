// The job-control library double: two exports and two operation tables that keep items in
// memory and log every call.
#include "job_control_double.h"

#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <string>

#include "outside/job_control_library.h"

namespace {

struct Item {
  std::u16string text;
  std::u16string user;  // empty: any user
  bool forUser = false;
};

std::mutex g_lock;
JobControlDoubleConfig g_config{0x105, TRUE, FALSE, 0};
std::map<DWORD, Item> g_items;
std::string g_log;
constexpr DWORD kHandle = 0x77;

std::string Narrow(const WCHAR* s) {
  std::string out;
  for (; s && *s; ++s) out += *s < 0x80 ? static_cast<char>(*s) : '?';
  return out;
}

void Log(const std::string& line) {
  std::lock_guard<std::mutex> hold(g_lock);
  g_log += line + "\n";
}

std::string Hex(DWORD v) {
  char b[16];
  std::snprintf(b, sizeof b, "0x%X", v);
  return b;
}

DWORD Answer(const Item& item, void* buffer, DWORD size, DWORD* needed) {
  const DWORD bytes = static_cast<DWORD>((item.text.size() + 1) * sizeof(WCHAR));
  if (needed) *needed = bytes;
  if (!buffer) return JC_MORE_DATA;
  if (size < bytes) return JC_MORE_DATA;
  std::memcpy(buffer, item.text.c_str(), bytes);
  return JC_OK;
}

DWORD WINAPI Prepare(const WCHAR* name) {
  Log("Prepare " + Narrow(name));
  return 0;
}

DWORD WINAPI Open(const WCHAR* name, DWORD* handle) {
  const DWORD result = g_config.refuseOpen ? 5 : 0;
  Log("Open " + Narrow(name) + " -> " + std::to_string(result));
  if (handle) *handle = result == 0 ? kHandle : 0;
  return result;
}

DWORD WINAPI Close(DWORD) {
  Log("Close");
  return 0;
}

DWORD WINAPI Attributes(DWORD, DWORD item, DWORD* flags) {
  Log("Attributes " + std::to_string(item));
  std::lock_guard<std::mutex> hold(g_lock);
  if (flags) *flags = g_items.count(item) ? JC_ATTR_PRESENT : 0;
  return 0;
}

DWORD WINAPI Get(DWORD, DWORD item, DWORD, void* buffer, DWORD size, DWORD* needed) {
  DWORD result = JC_NO_ITEM;
  {
    std::lock_guard<std::mutex> hold(g_lock);
    auto it = g_items.find(item);
    if (it != g_items.end()) result = Answer(it->second, buffer, size, needed);
    else if (needed) *needed = 0;
  }
  Log("Get " + std::to_string(item) + " " + std::to_string(size) + " -> " + Hex(result));
  return result;
}

DWORD WINAPI GetUser(DWORD, DWORD item, DWORD, const WCHAR* user, void* buffer, DWORD size, DWORD* needed) {
  DWORD result = JC_NO_ITEM;
  {
    std::lock_guard<std::mutex> hold(g_lock);
    auto it = g_items.find(item);
    if (it != g_items.end() && (!it->second.forUser || (user && it->second.user == user)))
      result = Answer(it->second, buffer, size, needed);
    else if (needed)
      *needed = 0;
  }
  Log("GetUser " + std::to_string(item) + " " + Narrow(user) + " " + std::to_string(size) + " -> " + Hex(result));
  return result;
}

DWORD WINAPI Set(DWORD, DWORD item, DWORD, const void*, DWORD) {
  Log("Set " + std::to_string(item));
  return 0;
}
DWORD WINAPI Discard(DWORD, DWORD item) {
  Log("Discard " + std::to_string(item));
  return 0;
}
DWORD WINAPI Language(DWORD, DWORD, const void*) { return 0; }

DWORD WINAPI Mode(DWORD, DWORD set, DWORD clear) {
  Log("Mode " + std::to_string(set) + " " + std::to_string(clear));
  return 0;
}

DWORD WINAPI Ex(DWORD, DWORD item, DWORD, DWORD, void* buffer, DWORD size, DWORD* needed) {
  Log("Ex " + std::to_string(item));
  if (needed) *needed = 4;
  if (!buffer || size < 4) return JC_MORE_DATA;
  std::memcpy(buffer, &g_config.capability, 4);
  return 0;
}

DWORD WINAPI Create(DWORD mode, DWORD* handle) {
  Log("Create " + std::to_string(mode));
  if (handle) *handle = 0x1000 + mode;
  return 0;
}
DWORD WINAPI Destroy(DWORD) { return 0; }
DWORD WINAPI Param(DWORD, DWORD parameter, const void* value, DWORD size) {
  if (parameter != JC_PARAM_CREDENTIALS || size != sizeof(JobControlTextPair) || !value) return 87;
  const auto* pair = static_cast<const JobControlTextPair*>(value);
  Log("Param " + Narrow(pair->first) + "/" + Narrow(pair->second));
  return 0;
}
DWORD WINAPI Convert(DWORD handle, const BYTE* input, DWORD length, BYTE* output, DWORD size, DWORD* outLength) {
  const std::string in(reinterpret_cast<const char*>(input), length);
  const std::string out = "[" + std::to_string(handle - 0x1000) + "]" + in;
  if (outLength) *outLength = static_cast<DWORD>(out.size());
  if (!output) {
    Log("Convert " + in);
    return 0;
  }
  if (size < out.size()) return JC_MORE_DATA;
  std::memcpy(output, out.data(), out.size());
  return 0;
}

JobControlInterface g_main{Prepare, Prepare, Open, Close, Attributes, Get, Set, Discard, Language, nullptr,
                           GetUser, Mode, Ex};
JobControlConversion g_conversion{Create, Destroy, Param, Convert};

}  // namespace

KOVA_EXPORT DWORD WINAPI JCGetInterface(WORD version, void** table) {
  DWORD result = 1;
  if (table) *table = nullptr;
  if (version == JC_VERSION_CONVERSION && g_config.offerConversion) {
    if (table) *table = &g_conversion;
    result = 0;
  } else if (version >= JC_VERSION_101 && version <= g_config.highestVersion && version < 0x180) {
    if (table) *table = &g_main;
    result = 0;
  }
  Log("GetInterface " + Hex(version) + " -> " + std::to_string(result));
  return result;
}

KOVA_EXPORT DWORD WINAPI JCDisposeInterface(void* table) {
  Log(table == &g_conversion ? "Dispose conversion" : "Dispose main");
  return 0;
}

KOVA_EXPORT void JobControlDoubleReset() {
  std::lock_guard<std::mutex> hold(g_lock);
  g_config = JobControlDoubleConfig{0x105, TRUE, FALSE, 0};
  g_items.clear();
  g_log.clear();
}

KOVA_EXPORT void JobControlDoubleConfigure(const JobControlDoubleConfig* config) {
  std::lock_guard<std::mutex> hold(g_lock);
  if (config) g_config = *config;
}

KOVA_EXPORT void JobControlDoubleSetItem(DWORD item, const WCHAR* text, const WCHAR* user) {
  std::lock_guard<std::mutex> hold(g_lock);
  if (!text) {
    g_items.erase(item);
    return;
  }
  Item value;
  value.text = text;
  value.forUser = user != nullptr;
  if (user) value.user = user;
  g_items[item] = value;
}

KOVA_EXPORT DWORD JobControlDoubleLog(char* buffer, DWORD size) {
  std::lock_guard<std::mutex> hold(g_lock);
  const DWORD needed = static_cast<DWORD>(g_log.size() + 1);
  if (buffer && size >= needed) std::memcpy(buffer, g_log.c_str(), needed);
  return needed;
}
