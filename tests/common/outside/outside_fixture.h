// A root with a printer of the sample driver, a context for it, and the outside libraries
// of the tests (job control, plug-ins, print notification, user-code provider) placed
// where the driver looks for them, steered through HKLM\Software\KovaTest.
#pragma once

#include <fstream>
#include <sstream>
#include <string>

#include "context_fixture.h"
#include "fields/field_access.h"
#include "fields/field_table.h"
#include "field_ids.h"
#include "win/registry.h"

namespace kovatest {

class OutsideTest : public ContextTest {
 protected:
  void SetUp() override {
    ContextTest::SetUp();
    StartContext(u"Office");
  }

  static std::string Bytes(const char* hostPath) {
    std::ifstream in(hostPath, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }
  // Copies a built library into the root under a Windows path (X.dll is found as X.so).
  void Place(const char* hostPath, const std::u16string& winPathSo) { root_.WriteFile(winPathSo, Bytes(hostPath)); }
  static std::u16string SystemFolder() { return plat::SystemDirectory(); }

  static void Steer(const char16_t* double_, const char16_t* value, DWORD number) {
    HKEY key = nullptr;
    const std::u16string path = std::u16string(u"Software\\KovaTest\\") + double_;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key, value, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
    RegCloseKey(key);
  }
  static void SteerText(const char16_t* double_, const char16_t* value, const std::u16string& text) {
    HKEY key = nullptr;
    const std::u16string path = std::u16string(u"Software\\KovaTest\\") + double_;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key, value, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(char16_t)));
    RegCloseKey(key);
  }
  static DWORD Answer(const char16_t* double_, const char16_t* value) {
    DWORD v = 0;
    DWORD size = sizeof v;
    const std::u16string path = std::u16string(u"Software\\KovaTest\\") + double_;
    return RegGetValueW(HKEY_LOCAL_MACHINE, path.c_str(), value, RRF_RT_REG_DWORD, nullptr, &v, &size) == ERROR_SUCCESS
               ? v
               : 0xFFFFFFFFu;
  }
  static std::u16string AnswerText(const char16_t* double_, const char16_t* value) {
    char16_t text[512] = {};
    DWORD size = sizeof text - sizeof(char16_t);
    const std::u16string path = std::u16string(u"Software\\KovaTest\\") + double_;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, path.c_str(), value, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS) {
      return u"<none>";
    }
    return text;
  }

  std::u16string Text(WORD id) const { return TextOf(ctx_, id); }
  static std::u16string TextOf(DriverContext* context, WORD id) {
    WCHAR text[300] = {};
    if (SettingField* f = FindFieldById(context, id)) GetFieldString(context, f, text, 300);
    return text;
  }
  void SetText(WORD id, const std::u16string& text) { SetTextOf(ctx_, id, text); }
  static void SetTextOf(DriverContext* context, WORD id, const std::u16string& text) {
    if (SettingField* f = FindFieldById(context, id)) SetFieldString(context, f, text.c_str());
  }

};

}  // namespace kovatest
