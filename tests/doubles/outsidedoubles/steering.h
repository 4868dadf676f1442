// Steering of the outside-library doubles: values of HKLM\Software\KovaTest\<double>, read
// at each call so that a test's settings survive the double being unloaded, and answers
// written back there for the test to read.
#pragma once

#include <string>

#include "win/errors.h"
#include "win/registry.h"

namespace doubles {

inline std::u16string KeyOf(const char16_t* name) { return std::u16string(u"Software\\KovaTest\\") + name; }

inline DWORD Number(const char16_t* double_, const char16_t* value, DWORD fallback) {
  DWORD v = 0;
  DWORD size = sizeof v;
  return RegGetValueW(HKEY_LOCAL_MACHINE, KeyOf(double_).c_str(), value, RRF_RT_REG_DWORD, nullptr, &v, &size) ==
                 ERROR_SUCCESS
             ? v
             : fallback;
}

inline std::u16string Text(const char16_t* double_, const char16_t* value) {
  char16_t text[512] = {};
  DWORD size = sizeof text - sizeof(char16_t);
  if (RegGetValueW(HKEY_LOCAL_MACHINE, KeyOf(double_).c_str(), value, RRF_RT_REG_SZ, nullptr, text, &size) !=
      ERROR_SUCCESS) {
    return {};
  }
  return text;
}

inline void Record(const char16_t* double_, const char16_t* value, const std::u16string& text) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, KeyOf(double_).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    return;
  }
  RegSetValueExW(key, value, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                 static_cast<DWORD>((text.size() + 1) * sizeof(char16_t)));
  RegCloseKey(key);
}

inline void RecordNumber(const char16_t* double_, const char16_t* value, DWORD number) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, KeyOf(double_).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    return;
  }
  RegSetValueExW(key, value, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
  RegCloseKey(key);
}

}  // namespace doubles

#define DOUBLE_EXPORT extern "C" __attribute__((visibility("default")))
