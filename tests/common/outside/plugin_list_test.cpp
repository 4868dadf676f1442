// The plug-in list from the registry and KOVAPLUG.ini, the tool-bar plug-in's assignment
// and path, the UI-control plug-ins' capabilities and the tool-bar page request.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/paths_and_names.h"
#include "fields/product_record.h"
#include "context/plugin_list.h"
#include "context/ui_plugins.h"
#include "outside_fixture.h"
#include "win/compstui.h"
#include "win/loader.h"
#include "win/lowmem.h"
#include "win/spool.h"
#include "build_paths.h"

namespace kovatest {
namespace plugin_list_test {

class Plugins : public OutsideTest {
 protected:
  static void RegisterPlugin(const std::u16string& category, const std::u16string& id, const std::u16string& name,
                             const std::u16string& path) {
    HKEY key = nullptr;
    const std::u16string keyName = u"Software\\VANTE\\KovaPlugins\\" + category + u"\\" + id;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, keyName.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key, u"Name", 0, REG_SZ, reinterpret_cast<const BYTE*>(name.c_str()),
                   static_cast<DWORD>((name.size() + 1) * 2));
    if (!path.empty()) {
      RegSetValueExW(key, u"InstallPath", 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                     static_cast<DWORD>((path.size() + 1) * 2));
    }
    const DWORD one = 1;
    RegSetValueExW(key, u"PerPrinter", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), 4);
    RegCloseKey(key);
  }
  void Ini(const std::string& text) { root_.WriteFile(u"C:\\drv\\KOVAPLUG.ini", text); }
  static std::vector<std::string> Ids(const PluginList* list) {
    std::vector<std::string> ids;
    for (DWORD i = 0; list && i < list->count; ++i) ids.push_back(list->entries[i]->id);
    return ids;
  }
};

TEST_F(Plugins, RegistryFirstThenTheIniWithoutDoubles) {
  RegisterPlugin(u"UIControl", u"reg.one", u"One", u"C:\\plug\\one.dll");
  RegisterPlugin(u"UIControl", u"shared", u"FromRegistry", u"");
  Ini("[UIControl]\r\nCount=4\r\nPluginID0=ini.two\r\nPluginID1=SHARED\r\nPluginID2=\r\nPluginID3=ini.three\r\n"
      "[ini.two]\r\nName=Two\r\nInstallPath=\r\nForceRAW=1\r\n"
      "[ini.three]\r\nInstallPath=sub\\three.dll\r\n");
  PluginList* list = BuildPluginList("UIControl", "C:\\drv");
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(Ids(list), (std::vector<std::string>{"reg.one", "shared", "ini.two", "ini.three"}));
  EXPECT_STREQ(list->entries[0]->installPath, "C:\\plug\\one.dll");
  EXPECT_EQ(list->entries[0]->perPrinter, 1u);
  EXPECT_STREQ(list->entries[1]->name, "FromRegistry");
  EXPECT_EQ(list->entries[1]->installPath, nullptr);
  EXPECT_STREQ(list->entries[2]->installPath, "C:\\drv\\");  // an empty INI path is the folder
  EXPECT_EQ(list->entries[2]->forceRaw, 1u);
  EXPECT_STREQ(list->entries[3]->installPath, "C:\\drv\\sub\\three.dll");
  EXPECT_STREQ(list->entries[3]->name, "");  // no Name key reads as empty
  EXPECT_EQ(FreePluginList(list), 1);
}

TEST_F(Plugins, NoSourceGivesNoListAndHostileCountsAreBounded) {
  EXPECT_EQ(BuildPluginList("UIControl", "C:\\drv"), nullptr);
  Ini("[UIControl]\r\nCount=4000000000\r\nPluginID0=" + std::string(300, 'x') + "\r\nPluginID5=ok\r\n");
  PluginList* list = BuildPluginList("UIControl", "C:\\drv");
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(Ids(list), (std::vector<std::string>{"ok"}));  // the over-long id is skipped
  FreePluginList(list);
  EXPECT_EQ(FreePluginList(nullptr), 1);
  EXPECT_EQ(FreeStringList(nullptr), 1);
}

TEST_F(Plugins, ToolbarAssignmentIsExactAndItsPathComesFromTheList) {
  EXPECT_EQ(IsVavavUiPluginAssigned(ctx_), 0);
  const DWORD count = 0xFFFFFFF0u;  // a hostile count reads no further than the bound
  SetPrinterDataW(printer_, const_cast<LPWSTR>(u"PluginIDCount"), REG_DWORD,
                  reinterpret_cast<LPBYTE>(const_cast<DWORD*>(&count)), 4);
  const std::u16string wrongCase = u"COM.VANTE.KOVA.TOOLBAR";
  SetPrinterDataW(printer_, const_cast<LPWSTR>(u"PluginID0"), REG_SZ,
                  reinterpret_cast<LPBYTE>(const_cast<char16_t*>(wrongCase.c_str())),
                  static_cast<DWORD>((wrongCase.size() + 1) * 2));
  EXPECT_EQ(IsVavavUiPluginAssigned(ctx_), 0);
  const std::u16string exact = u"com.vante.kova.toolbar";
  SetPrinterDataW(printer_, const_cast<LPWSTR>(u"PluginID3"), REG_SZ,
                  reinterpret_cast<LPBYTE>(const_cast<char16_t*>(exact.c_str())),
                  static_cast<DWORD>((exact.size() + 1) * 2));
  EXPECT_EQ(IsVavavUiPluginAssigned(ctx_), 1);

  char path[260] = {};
  EXPECT_EQ(GetVavavUiPluginPath(ctx_, path), 0);
  Ini("[VavavUI]\r\nCount=1\r\nPluginID0=COM.Vante.Kova.Toolbar\r\n[COM.Vante.Kova.Toolbar]\r\nInstallPath=tb.dll\r\n");
  EXPECT_EQ(GetVavavUiPluginPath(ctx_, path), 1);
  EXPECT_STREQ(path, "C:\\drv\\tb.dll");
  EXPECT_EQ(GetVavavUiPluginPath(ctx_, nullptr), 1);
}

TEST_F(Plugins, TwoUiControlPluginsTogetherSetBothFunctions) {
  Place(kovatest::BuiltFile("UiCtrlCopyGuard"), u"C:\\drv\\guard.so");
  Place(kovatest::BuiltFile("UiCtrlWatermark"), u"C:\\drv\\mark.so");
  Ini("[UIControl]\r\nCount=3\r\nPluginID0=guard\r\nPluginID1=missing\r\nPluginID2=mark\r\n"
      "[guard]\r\nInstallPath=guard.dll\r\n[missing]\r\nInstallPath=none.dll\r\n[mark]\r\nInstallPath=mark.dll\r\n");
  WriteFieldRawById(ctx_, fid::kdmFuncSelectCopyProtect, 1);
  WriteFieldRawById(ctx_, fid::kdmFuncSelectWaterMark, 1);
  EXPECT_EQ(QueryUiControlPlugins(ctx_), 1);
  EXPECT_EQ(ReadFieldRawById(ctx_, fid::kdmFunc2SelectUICtrlCopyGuard), 1u);
  EXPECT_EQ(ReadFieldRawById(ctx_, fid::kdmFunc2SelectUICtrlWaterMark), 1u);
  EXPECT_EQ(ReadFieldRawById(ctx_, fid::kdmFuncSelectCopyProtect), 0u);
  EXPECT_EQ(ReadFieldRawById(ctx_, fid::kdmFuncSelectWaterMark), 0u);
  EXPECT_EQ(Answer(u"UiCtrl1", u"Opens"), Answer(u"UiCtrl1", u"Closes"));
  EXPECT_EQ(GetModuleHandleW(u"C:\\drv\\guard.dll"), nullptr);  // freed again

  Ini("");
  WriteFieldRawById(ctx_, fid::kdmFuncSelectWaterMark, 1);
  EXPECT_EQ(QueryUiControlPlugins(ctx_), 1);
  EXPECT_EQ(ReadFieldRawById(ctx_, fid::kdmFunc2SelectUICtrlCopyGuard), 0u);
  EXPECT_EQ(ReadFieldRawById(ctx_, fid::kdmFunc2SelectUICtrlWaterMark), 0u);
  EXPECT_EQ(ReadFieldRawById(ctx_, fid::kdmFuncSelectWaterMark), 1u);
}

// The page request reaches the plug-in with its 32-byte layout and a name address that
// fits its 32-bit slot; without a sheet to take the page the plug-in is released again.
TEST_F(Plugins, ToolbarRequestLayoutAndReleaseWithoutASheet) {
  EXPECT_EQ(offsetof(ToolbarPageRequest, printerName), 4u);
  EXPECT_EQ(offsetof(ToolbarPageRequest, authenticationMode), 16u);
  EXPECT_EQ(offsetof(ToolbarPageRequest, modelWord1), 20u);
  EXPECT_EQ(offsetof(ToolbarPageRequest, kind), 26u);
  EXPECT_EQ(offsetof(ToolbarPageRequest, one), 28u);

  EXPECT_EQ(AttachToolbarUiPlugin(ctx_), 0);  // not assigned
  EXPECT_EQ(Answer(u"Toolbar", u"Opens"), 0xFFFFFFFFu);
}

// The sheet's add-page function of the test: counts the pages it takes.
int g_pagesAdded = 0;
LONG_PTR TakePage(HANDLE, UINT function, LPARAM page, LPARAM) {
  if (function != CPSFUNC_ADD_HPROPSHEETPAGE || !page) return 0;
  ++g_pagesAdded;
  return 1;
}

// The plug-in's page reads its create-page request when it likes (at WM_INITDIALOG, long
// after CreatePage returned): the request and the printer name it points to stay until the
// plug-in is closed and released, also when no sheet takes the page and it is released at
// once.
TEST_F(Plugins, ToolbarPageRequestLastsUntilThePluginIsReleased) {
  struct Case {
    const char* name;
    bool sheet;
    int attached;
  };
  const Case cases[] = {{"a device sheet takes the page", true, 1}, {"no sheet to take the page", false, 0}};
  Place(kovatest::BuiltFile("ToolbarDouble"), u"C:\\drv\\tb.so");
  Ini("[VavavUI]\r\nCount=1\r\nPluginID0=com.vante.kova.toolbar\r\n[com.vante.kova.toolbar]\r\nInstallPath=tb.dll\r\n");
  const DWORD one = 1;
  SetPrinterDataW(printer_, const_cast<LPWSTR>(u"PluginIDCount"), REG_DWORD,
                  reinterpret_cast<LPBYTE>(const_cast<DWORD*>(&one)), 4);
  const std::u16string id = u"com.vante.kova.toolbar";
  SetPrinterDataW(printer_, const_cast<LPWSTR>(u"PluginID0"), REG_SZ,
                  reinterpret_cast<LPBYTE>(const_cast<char16_t*>(id.c_str())),
                  static_cast<DWORD>((id.size() + 1) * 2));
  // The printer's model is a special model, which the plug-in needs.
  const std::u16string model = GetProductString(GetSpecialModelEntry(ctx_, 0)->modelName);
  ASSERT_LT(model.size(), 32u);
  std::memcpy(ctx_->work->modelName, model.c_str(), (model.size() + 1) * sizeof(char16_t));
  const std::u16string printer = GetPrinterDisplayName(ctx_);
  PageEngineState& sheet = ctx_->work->sheet;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    g_pagesAdded = 0;
    sheet.sheetKind = c.sheet ? 2 : 0;
    sheet.pfnComPropSheet = c.sheet ? reinterpret_cast<void*>(&TakePage) : nullptr;
    sheet.hComPropSheet = c.sheet ? reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(0x5150)) : nullptr;
    SteerText(u"Toolbar", u"KeptName", u"");
    SteerText(u"Toolbar", u"NameAtClose", u"");
    Steer(u"Toolbar", u"Closes", 0);

    EXPECT_EQ(AttachToolbarUiPlugin(ctx_), c.attached);
    EXPECT_EQ(g_pagesAdded, c.attached);
    EXPECT_EQ(AnswerText(u"Toolbar", u"PrinterName"), printer);
    if (c.attached) {
      HMODULE library = GetModuleHandleW(u"C:\\drv\\tb.dll");
      ASSERT_NE(library, nullptr);
      auto readKept = ProcCast<void (*)()>(GetProcAddress(library, "TBUIReadKeptRequest"));
      ASSERT_NE(readKept, nullptr);
      readKept();
      EXPECT_EQ(AnswerText(u"Toolbar", u"KeptName"), printer);
      EXPECT_EQ(Answer(u"Toolbar", u"Closes"), 0u);
      ReleaseToolbarUiPlugin(ctx_);
    }
    EXPECT_EQ(Answer(u"Toolbar", u"Closes"), 1u);
    EXPECT_EQ(AnswerText(u"Toolbar", u"NameAtClose"), printer);
    EXPECT_EQ(ctx_->work->toolbarPlugin.pageRequest, nullptr);
    EXPECT_EQ(GetModuleHandleW(u"C:\\drv\\tb.dll"), nullptr);
  }
  sheet.sheetKind = 0;
  sheet.pfnComPropSheet = nullptr;
  sheet.hComPropSheet = nullptr;
}

}  // namespace plugin_list_test
}  // namespace kovatest
