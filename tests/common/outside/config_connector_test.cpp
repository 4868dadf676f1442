// The configuration-server connector against the connector that serves from a file: the
// switch and the library, the server types, the server's device-mode and printer data.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "base/build_switches.h"
#include "base/install_services.h"
#include "base/server_connector_calls.h"
#include "base/system_checks.h"
#include "build_paths.h"
#include "fields/product_record.h"
#include "outside/bidi_cache.h"
#include "outside/config_connector.h"
#include "base/paths_and_names.h"
#include "base/settings_dirs.h"
#include "fields/field_access.h"
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
  static std::u16string ServerFolder() {
    WCHAR folder[260] = {};
    GetWindowsDirectoryW(folder, 260);
    return std::u16string(folder) + u"\\Srvbidi";
  }
  static std::u16string ServerFile() {
    CreateDirectoryW(ServerFolder().c_str(), nullptr);
    return ServerFolder() + u"\\Srvbidi.ini";
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
  WCHAR name[300];
  std::fill(std::begin(name), std::end(name), u'x');
  ASSERT_TRUE(GetServerPrinterName(ctx_, name, 300));
  EXPECT_EQ(std::u16string(name), std::u16string(259, u'S'));
}


// The fetch of a printer not yet filled from its server: the server folder holds the
// server's Fennicb.ini, its copy of the per-printer INI (whose lists name preset and quality
// files) and those files.
class ServerFetch : public ConfigConnector {
 protected:
  void SetUp() override {
    ConfigConnector::SetUp();
    Serve({{u"Type", u"17"}, {u"Printer", u"SRV-Office"}});
    const std::u16string ini = GetUserIniPath(ctx_);
    iniName_ = ini.substr(ini.rfind(u'\\') + 1);
    ServeFile(u"Fennicb.ini", "[SRV-Office]\r\nBidiFlag=1\r\nBidiFunc=3\r\n");
    ServeFile(iniName_, "[SRV-Office]\r\nCount=1\r\nPresetList0=C:\\_kova\\srv0.ksp\r\nQualityCount=1\r\n"
                        "QualityList0=C:\\_kova\\srvq0.ksq\r\n");
    ServeFile(u"srv0.ksp", "[SRV-Office]\r\nKstVersion=1\r\n");
    ServeFile(u"srvq0.ksq", "[SRV-Office]\r\nKstVersion=1\r\n");
    WCHAR folder[260] = {};
    ASSERT_TRUE(GetServerFolder(ctx_, folder, 260));
    folder_ = folder;
  }
  void TearDown() override {
    Switch(1);
    ConfigConnector::TearDown();
  }
  static void ServeFile(const std::u16string& name, const std::string& bytes) {
    ServerFile();
    HANDLE file = CreateFileW((ServerFolder() + u"\\" + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    if (!bytes.empty()) WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
  }
  static void Unserve(const std::u16string& name) { DeleteFileW((ServerFolder() + u"\\" + name).c_str()); }
  static std::u16string ServedIn(const char16_t* section, const char16_t* key) {
    WCHAR value[300] = {};
    GetPrivateProfileStringW(section, key, u"", value, 300, ServerFile().c_str());
    return value;
  }
  DWORD Marker(const char16_t* name) const {
    DWORD value = 0, type = 0, needed = 0;
    return GetPrinterDataW(printer_, const_cast<LPWSTR>(name), &type, reinterpret_cast<BYTE*>(&value), 4, &needed) ==
                   ERROR_SUCCESS
               ? value
               : 0xFFFFFFFFu;
  }
  bool Fetched(const std::u16string& name) const {
    return GetFileAttributesW((folder_ + u"\\" + name).c_str()) != INVALID_FILE_ATTRIBUTES;
  }
  std::u16string ZeviveFlg() const {
    WCHAR value[16] = {};
    GetPrivateProfileStringW(u"zevive", u"ZeviveFlg", u"", value, 16, (folder_ + u"\\" + iniName_).c_str());
    return value;
  }
  std::u16string iniName_;
  std::u16string folder_;
};

// The fetch of build feature 7 against the server types, the switch, the server's files and
// its failing exports.
struct FetchCase {
  const char* name;
  std::vector<std::pair<std::u16string, std::u16string>> serve;  // over Type=17, Printer=SRV-Office
  DWORD switchValue;
  const char16_t* unserved;  // a server file taken away
  int result;
  bool cleared;              // the server's saved information was cleared
};

TEST_F(ServerFetch, FetchMarksThePrinterOnlyWhenEveryStepSucceeds) {
  const std::vector<FetchCase> cases = {
      {"type 17", {}, 1, nullptr, 1, true},
      {"type 18", {{u"Type", u"18"}}, 1, nullptr, 1, true},
      {"type 19 clears and never connects", {{u"Type", u"19"}}, 1, nullptr, 0, true},
      {"another type is no server", {{u"Type", u"7"}}, 1, nullptr, 0, false},
      {"switch off", {}, 0, nullptr, 0, false},
      {"the clear fails", {{u"Fail", u"RMSaveInformationClear"}}, 1, nullptr, 0, false},
      {"no Fennicb.ini on the server", {}, 1, u"Fennicb.ini", 0, true},
      {"a preset file missing on the server", {}, 1, u"srv0.ksp", 0, true},
      {"a quality file missing on the server", {}, 1, u"srvq0.ksq", 0, true},
      {"the device-mode conversion refused", {{u"Fail", u"RMSetDevmode"}}, 1, nullptr, 0, true},
  };
  for (const FetchCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::pair<std::u16string, std::u16string>> lines = {{u"Type", u"17"}, {u"Printer", u"SRV-Office"}};
    for (const auto& line : c.serve) {
      bool replaced = false;
      for (auto& l : lines)
        if (l.first == line.first) l.second = line.second, replaced = true;
      if (!replaced) lines.push_back(line);
    }
    Serve(lines);
    Switch(c.switchValue);
    const std::string keep = c.unserved ? root_.ReadFile(ServerFolder() + u"\\" + c.unserved) : "";
    if (c.unserved) Unserve(c.unserved);
    DeleteFileW((folder_ + u"\\" + iniName_).c_str());
    DeletePrinterDataW(printer_, const_cast<LPWSTR>(u"ZeviveConnection"));
    DeletePrinterDataW(printer_, const_cast<LPWSTR>(u"ZeviveIni"));

    EXPECT_EQ(SyncFromConfigServerEx(ctx_), c.result);
    EXPECT_EQ(Served(u"Cleared"), c.cleared ? u"1" : u"");
    EXPECT_EQ(Marker(u"ZeviveConnection"), c.result ? 1u : 0xFFFFFFFFu);
    EXPECT_EQ(Marker(u"ZeviveIni"), c.result ? 1u : 0xFFFFFFFFu);
    EXPECT_EQ(ZeviveFlg(), c.result ? u"1" : u"");
    EXPECT_EQ(ServedIn(u"Office", u"SetDevmode"), c.result ? GetDriverDirectory(ctx_) + std::u16string(u"Panelis.dll")
                                                            : std::u16string());
    if (c.result) {
      EXPECT_TRUE(Fetched(u"Fennicb.ini"));
      EXPECT_TRUE(Fetched(u"srv0.ksp"));
      EXPECT_TRUE(Fetched(u"srvq0.ksq"));
      EXPECT_EQ(GetConfigConnectorState(ctx_), 1);
    }
    if (c.unserved) ServeFile(c.unserved, keep);
  }
}

TEST_F(ServerFetch, ListCountsAreBoundedByTheListsLimits) {
  std::string ini = "[SRV-Office]\r\nCount=1000\r\nQualityCount=-4\r\n";
  for (int i = 0; i < 20; ++i) {
    ini += "PresetList" + std::to_string(i) + "=C:\\_kova\\p" + std::to_string(i) + ".ksp\r\n";
  }
  ServeFile(iniName_, ini);
  for (int i = 0; i < 20; ++i) {
    const std::string digits = std::to_string(i);
    ServeFile(u"p" + std::u16string(digits.begin(), digits.end()) + u".ksp", "[SRV-Office]\r\n");
  }
  EXPECT_EQ(SyncFromConfigServerEx(ctx_), 1);
  // Fennicb.ini, the per-printer INI and 16 presets; no quality.
  EXPECT_EQ(ServedIn(u"Server", u"Files"), u"18");
  EXPECT_TRUE(Fetched(u"p15.ksp"));
  EXPECT_FALSE(Fetched(u"p16.ksp"));
}

TEST_F(ServerFetch, AnEmptyServerCacheEmptiesTheLocalCopyAndItsHandlerTheSection) {
  ServeFile(u"Fennicb.ini", "");
  // A stale copy and a local cache section of the printer.
  CreateSettingsRootForPrinter(ctx_);
  CreateDirectoryW(folder_.c_str(), nullptr);
  HANDLE stale = CreateFileW((folder_ + u"\\Fennicb.ini").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_READONLY, nullptr);
  DWORD written = 0;
  WriteFile(stale, "[x]\r\n", 5, &written, nullptr);
  CloseHandle(stale);
  WCHAR cache[260] = {};
  ASSERT_TRUE(GetBidiCachePath(ctx_, cache, 260));
  WritePrivateProfileStringW(u"Office", u"BidiFlag", u"1", cache);
  ASSERT_EQ(HasBidiCacheIni(ctx_), 1);

  EXPECT_EQ(SyncFromConfigServerEx(ctx_), 1);
  EXPECT_EQ(root_.ReadFile(folder_ + u"\\Fennicb.ini"), "");
  EXPECT_EQ(RunServerFileHandlersInServerFolder(ctx_, u"SRV-Office"), 1);
  EXPECT_EQ(HasBidiCacheIni(ctx_), 0);
}

TEST_F(ServerFetch, TheServersCacheBecomesTheLocalPrintersUnderItsOwnName) {
  EXPECT_EQ(SyncFromConfigServerEx(ctx_), 1);
  EXPECT_EQ(RunServerFileHandlersInServerFolder(ctx_, u"SRV-Office"), 1);
  EXPECT_EQ(std::u16string(GetPrinterDisplayName(ctx_)), u"Office") << "the display name is restored";
  EXPECT_EQ(HasBidiCacheIni(ctx_), 1);
  EXPECT_EQ(IsBidiCacheIniSet(ctx_), TRUE);
  WCHAR cache[260] = {};
  ASSERT_TRUE(GetBidiCachePath(ctx_, cache, 260));
  EXPECT_EQ(GetPrivateProfileIntW(u"Office", u"BidiFunc", 0, cache), 3u);
  EXPECT_EQ(Marker(u"PresetRefresh"), 1u);
}

// A printer-data value of the server is taken only when its size is the setting's.
TEST_F(ServerFetch, AServerValueOfAnotherSizeIsNotCopied) {
  SettingField* field = FindFieldById(ctx_, fid::kdmPrinterMemory);
  ASSERT_NE(field, nullptr);
  ASSERT_NE(field->key, nullptr);
  const DWORD size = FieldSizeOf(field->type);
  struct SizeCase {
    const char* name;
    DWORD bytes;
    bool copied;
  };
  for (const SizeCase& c : std::vector<SizeCase>{{"the setting's size", size, true},
                                                 {"one byte more", size + 1, false},
                                                 {"one byte less", size - 1, false}}) {
    SCOPED_TRACE(c.name);
    std::u16string hex = u"40";
    for (DWORD i = 1; i < c.bytes; ++i) hex += u"00";
    Serve({{u"Type", u"17"}, {u"Printer", u"SRV-Office"}, {u"Data." + std::u16string(field->key), hex}});
    DeletePrinterDataW(printer_, const_cast<LPWSTR>(field->key));
    DeletePrinterDataW(printer_, const_cast<LPWSTR>(u"ZeviveConnection"));
    WriteFieldRawById(ctx_, fid::kdmPrinterMemory, 7);
    EXPECT_EQ(SyncFromConfigServerEx(ctx_), 1);
    EXPECT_EQ(ReadFieldRawById(ctx_, fid::kdmPrinterMemory), c.copied ? 0x40u : 7u);
    EXPECT_EQ(Marker(field->key) != 0xFFFFFFFFu, c.copied);
  }
}

TEST_F(ServerFetch, TheBasicFetchFillsTheSharedFolder) {
  EXPECT_EQ(SyncFromConfigServer(ctx_), 1);
  EXPECT_EQ(Marker(u"ZeviveConnection"), 1u);
  EXPECT_EQ(Marker(u"ZeviveIni"), 0xFFFFFFFFu) << "the basic fetch keeps no INI marker";
  WCHAR root[260] = {};
  ASSERT_TRUE(GetSettingsRoot(root, 260, ctx_));
  EXPECT_NE(GetFileAttributesW((std::u16string(root) + u"\\kova\\Fennicb.ini").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(HasBidiCacheIni(ctx_), 1) << "the handler ran on the fetched cache";
}

TEST_F(ServerFetch, APrinterNameThatLeavesNoRoomForThePathFailsTheFetch) {
  // A display name of 260 characters: its server folder cannot be named.
  std::u16string name(260, u'N');
  WritePrivateProfileStringW(name.c_str(), u"Type", u"17", ServerFile().c_str());
  WritePrivateProfileStringW(name.c_str(), u"Printer", u"SRV-Office", ServerFile().c_str());
  {
    ScopedDisplayName longName(ctx_, name.c_str());
    WCHAR folder[260] = {};
    EXPECT_FALSE(GetServerFolder(ctx_, folder, 260));
    EXPECT_EQ(folder[0], 0);
    EXPECT_EQ(SyncFromConfigServerEx(ctx_), 0);
  }
  EXPECT_EQ(ServedIn(name.c_str(), u"Cleared"), u"1") << "the server was reached";
  EXPECT_EQ(Marker(u"ZeviveConnection"), 0xFFFFFFFFu);
  EXPECT_EQ(ServedIn(u"Server", u"Files"), u"");
  EXPECT_EQ(std::u16string(GetPrinterDisplayName(ctx_)), u"Office");
}

}  // namespace config_connector_test
}  // namespace kovatest
