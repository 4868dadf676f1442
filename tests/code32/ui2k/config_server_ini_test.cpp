// The merge of a configuration server's lists into a terminal-server user's per-printer INI,
// with the connector that serves from a file.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "base/ini_files.h"
#include "base/paths_and_names.h"
#include "base/settings_dirs.h"
#include "build_paths.h"
#include "config_server_ini.h"
#include "context/context_create.h"
#include "outside/config_connector.h"
#include "outside/config_connector_abi.h"
#include "plat/users.h"
#include "terminal_server_fixture.h"
#include "win/files.h"
#include "win/kernel.h"
#include "win/profile.h"
#include "win/registry.h"
#include "win/spool.h"

namespace kovatest {
namespace config_server_ini_test {

class ConfigServerIni : public TerminalServerPrinterTest {
 protected:
  void SetUp() override {
    TerminalServerPrinterTest::SetUp();
    WCHAR system[MAX_PATH] = {};
    const UINT n = GetSystemDirectoryW(system, MAX_PATH);
    std::filesystem::create_directories(root_.HostPath(std::u16string(system, n)));
    std::filesystem::copy_file(BuiltFile("Srvbidi"), root_.HostPath(std::u16string(system, n) + u"\\Srvbidi.so"),
                               std::filesystem::copy_options::overwrite_existing);
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kConnectorSwitchKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    const DWORD one = 1;
    RegSetValueExW(key, kConnectorSwitch, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof one);
    RegCloseKey(key);
    WCHAR windows[MAX_PATH] = {};
    const UINT w = GetWindowsDirectoryW(windows, MAX_PATH);
    const std::u16string serverFolder = std::u16string(windows, w) + u"\\Srvbidi";
    CreateDirectoryW(serverFolder.c_str(), nullptr);
    WritePrivateProfileStringW(u"Shared Printer", u"Type", u"17", (serverFolder + u"\\Srvbidi.ini").c_str());
    WritePrivateProfileStringW(u"Shared Printer", u"Printer", u"SRV-Office", (serverFolder + u"\\Srvbidi.ini").c_str());
  }
  void TearDown() override {
    if (ctx_user_) ReleaseContext(ctx_user_, CTXR_DESTROY);
    TerminalServerPrinterTest::TearDown();
  }
  // The user's context, the server folder with its INI and a fetched preset file.
  void Prepare(const std::string& serverIni) {
    ctx_user_ = Create(printer_);
    ASSERT_NE(ctx_user_, nullptr);
    WCHAR folder[MAX_PATH] = {};
    ASSERT_TRUE(GetServerFolder(ctx_user_, folder, MAX_PATH));
    folder_ = folder;
    WCHAR ini[MAX_PATH] = {};
    ASSERT_TRUE(GetServerFolderIni(ctx_user_, ini, MAX_PATH));
    serverIni_ = ini;
    root_.WriteFile(serverIni_, serverIni);
    root_.WriteFile(folder_ + u"\\srv0.ksp", "[SRV-Office]\r\nKstVersion=1\r\n");
  }
  DWORD Marker(const char16_t* name) const {
    DWORD value = 0, type = 0, needed = 0;
    return GetPrinterDataW(printer_, const_cast<LPWSTR>(name), &type, reinterpret_cast<BYTE*>(&value), 4, &needed) ==
                   ERROR_SUCCESS
               ? value
               : 0xFFFFFFFFu;
  }
  DriverContext* ctx_user_ = nullptr;
  std::u16string folder_;
  std::u16string serverIni_;
};

const char kServerLists[] =
    "[zevive]\r\nZeviveFlg=1\r\n"
    "[SRV-Office]\r\nCount=1000\r\nPresetList0=C:\\_kova\\srv0.ksp\r\nPresetList0Name=Server preset\r\n"
    "PresetList0Comment=From the server\r\nPresetList1=noslash.ksp\r\nPresetList1Name=Skipped\r\n"
    "QualityCount=1\r\nQualityList0=C:\\_kova\\q0.ksq\r\nQualityList0Name=Fine\r\n"
    "[us]\r\nFreeSizeCount=1000\r\nStampCount=-3\r\n";

TEST_F(ConfigServerIni, FetchedListsAreMergedOnceWithBoundedCounts) {
  plat::AsUser as(u"Anna");
  ASSERT_TRUE(as.ok());
  Prepare(kServerLists);
  const std::u16string user = GetUserIniPath(ctx_user_);
  WCHAR root[MAX_PATH] = {};
  ASSERT_TRUE(GetSettingsRoot(root, MAX_PATH, ctx_user_));

  EXPECT_EQ(SyncConfigServerIni(ctx_user_, nullptr, nullptr), 1);
  EXPECT_EQ(Read(user, u"Shared Printer", u"Count"), u"16");
  EXPECT_EQ(Read(user, u"Shared Printer", u"PresetList0"), std::u16string(root) + u"\\srv0.ksp");
  EXPECT_EQ(Read(user, u"Shared Printer", u"PresetList0Name"), u"Server preset");
  EXPECT_EQ(Read(user, u"Shared Printer", u"PresetList0Comment"), u"From the server");
  EXPECT_EQ(Read(user, u"Shared Printer", u"PresetList1Name"), u"<none>") << "a path without \\ is skipped";
  EXPECT_EQ(Read(user, u"Shared Printer", u"QualityList0"), std::u16string(root) + u"\\q0.ksq");
  EXPECT_EQ(Read(user, u"Shared Printer", u"QualityList0Name"), u"Fine");
  EXPECT_EQ(Read(user, u"us", u"FreeSizeCount"), u"10");
  EXPECT_EQ(Read(user, u"us", u"StampCount"), u"0");
  EXPECT_EQ(std::u16string(GetPrinterDisplayName(ctx_user_)), u"Shared Printer") << "the display name is restored";
  EXPECT_EQ(Marker(u"ZeviveConnection"), 1u);
  EXPECT_EQ(Marker(u"ZeviveIni"), 2u);
  EXPECT_EQ(Read(serverIni_, u"zevive", u"ZeviveFlg"), u"2");
  // Merged once: the next sheet does not merge again.
  EXPECT_EQ(SyncConfigServerIni(ctx_user_, nullptr, nullptr), 0);
}

// The markers for what the server folder INI says.
struct MarkerCase {
  const char* name;
  const char* zevive;  // the [zevive] section
  int result;
  DWORD connection;
  DWORD ini;
};

TEST_F(ConfigServerIni, MarkersFollowTheServerFolder) {
  const std::vector<MarkerCase> cases = {
      {"nothing fetched", "", 0, 0xFFFFFFFFu, 0xFFFFFFFFu},
      {"already merged on another machine", "[zevive]\r\nZeviveFlg=2\r\n", 0, 1, 2},
  };
  plat::AsUser as(u"Anna");
  ASSERT_TRUE(as.ok());
  for (const MarkerCase& c : cases) {
    SCOPED_TRACE(c.name);
    DeletePrinterDataW(printer_, const_cast<LPWSTR>(u"ZeviveConnection"));
    DeletePrinterDataW(printer_, const_cast<LPWSTR>(u"ZeviveIni"));
    if (ctx_user_) ReleaseContext(ctx_user_, CTXR_DESTROY);
    Prepare(c.zevive);
    EXPECT_EQ(SyncConfigServerIni(ctx_user_, nullptr, nullptr), c.result);
    EXPECT_EQ(Marker(u"ZeviveConnection"), c.connection);
    EXPECT_EQ(Marker(u"ZeviveIni"), c.ini);
  }
}

}  // namespace config_server_ini_test
}  // namespace kovatest
