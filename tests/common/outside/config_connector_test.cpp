// The configuration-server connector against the connector that serves from a file: the
// switch and the library, the server types, the server's device-mode and printer data.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/build_switches.h"
#include "base/install_services.h"
#include "base/pending_seams.h"
#include "base/system_checks.h"
#include "build_paths.h"
#include "fields/product_record.h"
#include "outside/config_connector.h"
#include "outside/config_connector_abi.h"
#include "outside_fixture.h"
#include "plat/system.h"
#include "win/kernel.h"
#include "win/profile.h"
#include "win/spool.h"

namespace kovatest {
namespace config_connector_test {

class ConfigConnector : public OutsideTest {
 protected:
  void SetUp() override {
    OutsideTest::SetUp();
    Place(BuiltFile("Srvbidi"), SystemFolder() + u"\\Srvbidi.so");
    Switch(1);
    // A terminal server of the kind that answers from its version suite.
    plat::SetWindowsVersion(plat::WindowsVersion::Win2000Sp4);
    plat::Machine().terminalServer = true;
    ResetSystemTestCaches();
  }
  void TearDown() override {
    plat::SetWindowsVersion(plat::WindowsVersion::Win10);
    plat::Machine().terminalServer = false;
    OutsideTest::TearDown();
  }
  static void Switch(DWORD value) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kConnectorSwitchKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key, kConnectorSwitch, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    RegCloseKey(key);
  }
  static std::u16string ServerFile() {
    WCHAR folder[260] = {};
    GetWindowsDirectoryW(folder, 260);
    return std::u16string(folder) + u"\\Srvbidi.ini";
  }
  static void Serve(const std::vector<std::pair<std::u16string, std::u16string>>& lines) {
    WritePrivateProfileStringW(u"Office", nullptr, nullptr, ServerFile().c_str());
    for (const auto& [key, value] : lines)
      WritePrivateProfileStringW(u"Office", key.c_str(), value.c_str(), ServerFile().c_str());
  }
  static std::u16string Served(const char16_t* key) {
    WCHAR value[64] = {};
    GetPrivateProfileStringW(u"Office", key, u"", value, 64, ServerFile().c_str());
    return value;
  }
};

// What the connector answers for the server types, the switch and the library.
struct TypeCase {
  const char* name;
  const char16_t* type;
  DWORD switchValue;
  bool library;
  int check;        // CheckConfigServer
  BOOL asked;       // GetConfigServerType answered
  BYTE rawType;     // its type
  int state;        // GetConfigConnectorState
};

TEST_F(ConfigConnector, ServerTypesSwitchAndLibrary) {
  const std::vector<TypeCase> cases = {
      {"type 17", u"17", 1, true, 1, TRUE, 17, 2},
      {"type 18", u"18", 1, true, 1, TRUE, 18, 2},
      {"type 19 clears nothing and never connects", u"19", 1, true, 0, TRUE, 19, 2},
      {"another type is no server", u"5", 1, true, 0, TRUE, 5, 2},
      {"switch off", u"17", 0, true, 0, FALSE, 0, 0},
      {"no library", u"17", 1, false, 0, FALSE, 0, 0},
  };
  for (const TypeCase& c : cases) {
    SCOPED_TRACE(c.name);
    Serve({{u"Type", c.type}, {u"Printer", u"SRV-Office"}});
    Switch(c.switchValue);
    if (!c.library) DeleteFileW((SystemFolder() + u"\\Srvbidi.so").c_str());
    EXPECT_EQ(CheckConfigServer(ctx_), c.check);
    EXPECT_EQ(Served(u"Cleared"), c.check ? u"1" : u"");
    BYTE type = 0xEE;
    EXPECT_EQ(GetConfigServerType(printer_, u"Office", &type), c.asked);
    EXPECT_EQ(type, c.rawType);
    EXPECT_EQ(GetConfigConnectorState(ctx_), c.state);
    Place(BuiltFile("Srvbidi"), SystemFolder() + u"\\Srvbidi.so");
  }
}

TEST_F(ConfigConnector, AFilledPrinterIsConnectedAndNotAskedOverTheTwoWayLink) {
  Serve({{u"Type", u"17"}, {u"Printer", u"SRV-Office"}});
  const DWORD one = 1;
  SetPrinterDataW(printer_, const_cast<LPWSTR>(u"ZeviveConnection"), REG_BINARY,
                  reinterpret_cast<BYTE*>(const_cast<DWORD*>(&one)), 4);
  EXPECT_EQ(GetConfigConnectorState(ctx_), 1);
  EXPECT_EQ(SyncFromConfigServerEx(ctx_), 1) << "a filled printer is not fetched again";
  EXPECT_EQ(RunServerConnectorIfEnabled(7, 0, ctx_), 1);
  plat::Machine().terminalServer = false;
  ResetSystemTestCaches();
  EXPECT_EQ(GetConfigConnectorState(ctx_), 0) << "not a terminal server";
  EXPECT_EQ(SyncFromConfigServerEx(ctx_), 0);
}

// The server's device-mode: only type 18, only of the driver's total device-mode size.
struct DevmodeCase {
  const char* name;
  const char16_t* type;
  long sizeDelta;
  const char16_t* fail;
  BOOL delivered;
  BYTE serverType;
};

TEST_F(ConfigConnector, ServerDevmode) {
  const std::vector<DevmodeCase> cases = {
      {"type 18, the right size", u"18", 0, u"", TRUE, 18},
      {"a device-mode one byte longer", u"18", 1, u"", FALSE, 18},
      {"a device-mode one byte shorter", u"18", -1, u"", FALSE, 18},
      {"type 17 has none to give", u"17", 0, u"", FALSE, 17},
      {"type 19 is kept as 17", u"19", 0, u"", FALSE, 17},
      {"the device-mode read fails", u"18", 0, u"RMDevmode", FALSE, 18},
  };
  const DWORD total = GetTotalDevmodeSize();
  for (const DevmodeCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::u16string size = [&] {
      std::string digits = std::to_string(static_cast<long>(total) + c.sizeDelta);
      return std::u16string(digits.begin(), digits.end());
    }();
    Serve({{u"Type", c.type}, {u"Printer", u"SRV-Office"}, {u"DevmodeSize", size}, {u"Fail", c.fail}});
    std::vector<BYTE> buffer(total + 16, 0xAB);
    BYTE type = 0;
    EXPECT_EQ(GetServerDevmode(ctx_, buffer.data(), &type), c.delivered);
    EXPECT_EQ(type, c.serverType);
    EXPECT_EQ(buffer[total], 0xAB) << "nothing beyond the device-mode";
    if (c.delivered) {
      EXPECT_EQ(buffer[1], 1);
      EXPECT_EQ(buffer[total - 1], static_cast<BYTE>((total - 1) & 0xFF));
    }
  }
  EXPECT_EQ(GetServerDevmode(ctx_, nullptr, nullptr), FALSE);
}

TEST_F(ConfigConnector, AServerPrinterNameThatFillsItsBufferEndsInside) {
  // 300 characters: the connector fills all 520 bytes without a NUL.
  Serve({{u"Type", u"18"}, {u"Printer", std::u16string(300, u'S')}, {u"DevmodeSize", u"10"}});
  std::vector<BYTE> buffer(GetTotalDevmodeSize(), 0);
  BYTE type = 0;
  EXPECT_EQ(GetServerDevmode(ctx_, buffer.data(), &type), FALSE);
  EXPECT_EQ(type, 18);
}

}  // namespace config_connector_test
}  // namespace kovatest
