#include <filesystem>
#include <string>

#include "fields/field_access.h"
#include "fields/languages.h"
#include "base/memory.h"
#include "base/paths_and_names.h"
#include "base/printer_data.h"
#include "base/settings_dirs.h"
#include "base/spooler_info.h"
#include "base/ui_strings.h"
#include "model/units.h"
#include "paths_fixture.h"
#include "plat/builtin_modules.h"
#include "plat/security.h"
#include "win/loader.h"

namespace {

using kovatest::Str;
using ContextNames = kovatest::PathsTest;

plat::spooler::DataValue DsSpooler(const std::u16string& name, const std::u16string& text) {
  plat::spooler::DataValue v = plat::spooler::StringValue(name, text);
  v.key = u"DsSpooler";
  return v;
}

TEST_F(ContextNames, CsrConnectionNameIsRebuilt) {
  plat::SetWindowsVersion(plat::WindowsVersion::Vista);
  ResetSystemTestCaches();
  HANDLE h = Install(u"Q", {DsSpooler(u"printerName", u"Queue7")}, u"\\\\SRV1");
  // The spooler's record of a "\\CSR|" connection (such a name cannot be installed here).
  PRINTER_INFO_2W record{};
  WCHAR server[] = u"\\\\SRV1";
  WCHAR csrName[] = u"\\\\csr|SRV1\\x";
  record.pServerName = server;
  record.pPrinterName = csrName;
  PRINTER_INFO_2W* info = &record;
  WCHAR name[261] = {};
  EXPECT_EQ(BuildCsrPrinterName(h, name, 261, info), name);
  EXPECT_EQ(Str(name), u"\\\\SRV1\\Queue7");
  WCHAR copy[261];
  GetCsrPrinterNameCopy(h, copy, 261, info);
  EXPECT_EQ(Str(copy), u"\\\\SRV1\\Queue7");
  WCHAR tight[12] = {};  // 2 + 4 + 1 + 6 + NUL = 14: not built
  BuildCsrPrinterName(h, tight, 12, info);
  EXPECT_EQ(tight[0], 0);
  fc_.work().printerInfo = info;
  EXPECT_EQ(Str(GetCsrPrinterName(Context(h))), u"\\\\SRV1\\Queue7");
  fc_.work().printerInfo = nullptr;
  PRINTER_INFO_2W empty{};
  EXPECT_EQ(BuildCsrPrinterName(h, name, 261, &empty), nullptr);
  // A local printer keeps its raw name.
  HANDLE local = Install(u"Local");
  kovatest::FieldContext other;
  other.get()->hPrinter = local;
  EXPECT_EQ(Str(GetCsrPrinterName(other.get())), u"Local");
}

TEST_F(ContextNames, TerminalServerUsesThePerUserIni) {
  plat::SetWindowsVersion(plat::WindowsVersion::WinXP);
  plat::Machine().suiteMask |= 0x0010;  // VER_SUITE_TERMINAL
  ResetSystemTestCaches();
  HANDLE h = Install(u"P1");
  DriverContext* ctx = Context(h);
  const std::u16string expected = plat::UserProfileDirectory() + u"\\_kova\\Dorvale.ini";
  EXPECT_EQ(Str(GetUserIniPath(ctx)), expected);
  EXPECT_EQ(Str(GetUserIniPath(ctx)), expected);  // a second call gives the same path
  // The install work uses the common settings directory.
  kovatest::FieldContext installing;
  installing.get()->hPrinter = h;
  installing.work().kind = CTXK_INSTALLING;
  EXPECT_EQ(Str(GetUserIniPath(installing.get())), u"C:\\_kova\\Dorvale.ini");
  WCHAR ini[MAX_PATH];
  EXPECT_GT(GetIniPathInSettingsDir(ini, 0, 1, h), 0u);
  EXPECT_EQ(Str(ini), expected);
  EXPECT_GT(GetIniPathInSettingsDir(ini, 0, 0, h), 0u);
  EXPECT_EQ(Str(ini), u"C:\\_kova\\Dorvale.ini");
}

TEST_F(ContextNames, LanguageOfTheHelpFile) {
  HANDLE h = Install(u"P1", {plat::spooler::StringValue(u"HelpFileName", u"X_cs.hlp")});
  DriverContext* ctx = Context(h);
  EXPECT_EQ(LanguageIdFromHelpValue(ctx), 16);
  EXPECT_EQ(Str(LanguageCodeFromHelpValueOfPrinter(h)), u"cs");
  fc_.work().mode = 0;
  EXPECT_EQ(Str(SetContextLanguageCode(ctx)), u"cs");
  EXPECT_EQ(Str(fc_.work().languageCode), u"cs");
  fc_.work().mode = 1;  // creation mode 1: the driver record's help file KOVAUS.HLP
  EXPECT_EQ(Str(SetContextLanguageCode(ctx)), u"us");
  WriteFieldRawById(ctx, 169, 6);
  EXPECT_EQ(Str(GetLanguageSectionName(ctx)), u"fr");
  EXPECT_EQ(Str(fc_.work().languageCode), u"fr");
  HANDLE bare = Install(u"P2");
  EXPECT_EQ(Str(LanguageCodeFromHelpValueOfPrinter(bare)), u"us");
}

TEST_F(ContextNames, AttributesAndConnectionStateAreCached) {
  plat::spooler::PrinterSetup setup;
  HANDLE h = Install(u"P1");
  DriverContext* ctx = Context(h);
  EXPECT_FALSE(IsBidiEnabled(ctx));
  EXPECT_EQ(fc_.work().attributesKnown, 1);
  fc_.work().attributes |= PRINTER_ATTRIBUTE_ENABLE_BIDI;  // answered from the cache
  EXPECT_TRUE(IsBidiEnabled(ctx));
  EXPECT_FALSE(IsPrinterConnection(ctx));
  fc_.work().connectionState = 1;
  EXPECT_TRUE(IsPrinterConnection(ctx));
  kovatest::FieldContext unreadable;
  EXPECT_FALSE(IsPrinterConnection(unreadable.get()));  // no record: local
  EXPECT_EQ(unreadable.work().connectionState, 2);
  EXPECT_FALSE(HasPrinterAttribute(0xFFFFFFFF, unreadable.get()));
}

TEST_F(ContextNames, FieldByNameThroughPrinterData) {
  HANDLE h = Install(u"P1");
  DriverContext* ctx = Context(h);
  SettingField* copies = fc_.field(12);  // dmCopies
  WriteFieldRawById(ctx, 12, 7);
  ASSERT_TRUE(WriteFieldByNameToPrinterData(h, ctx, copies));
  WCHAR name[64] = {};
  lstrcpynW(name, GetFieldName(ctx, 12), 64);
  SHORT stored = 0;
  EXPECT_TRUE(GetPrinterDataValue(h, &stored, 2, name, 0));
  EXPECT_EQ(stored, 7);
  WriteFieldRawById(ctx, 12, 1);
  ASSERT_TRUE(ReadFieldByNameFromPrinterData(h, ctx, copies));
  EXPECT_EQ(ReadFieldRawById(ctx, 12), 7u);
  EXPECT_EQ(copies->key, fc_.field(12)->key);  // the key is put back
  EXPECT_FALSE(ReadFieldByNameFromPrinterData(h, ctx, nullptr));
}

TEST_F(ContextNames, DriverIdFromTheSecondIni) {
  HANDLE h = Install(u"P1");
  DriverContext* ctx = Context(h);
  root_.WriteFile(u"C:\\drv\\Dorvale2.ini", "[KOVA Sample Driver]\r\nDriverID=77\r\n");
  LoadDriverIdField(ctx);
  EXPECT_EQ(ReadFieldRawById(ctx, 684), 77u);
}

TEST_F(ContextNames, PaperChangeWritesTheScales) {
  DriverContext* ctx = Context(nullptr);
  WriteFieldRawById(ctx, 46, 1024);
  WriteFieldRawById(ctx, 89, 50);
  ApplyPaperChange(ctx, 1);
  EXPECT_EQ(ReadFieldRawById(ctx, 89), 100u);  // source paper, no scaling: 100
  EXPECT_EQ(ReadFieldRawById(ctx, 90), 100u);
  WriteFieldRawById(ctx, 46, 1026);
  WriteFieldRawById(ctx, 41, 9920);
  WriteFieldRawById(ctx, 40, 14030);
  WriteFieldRawById(ctx, 48, 14030);
  WriteFieldRawById(ctx, 47, 19843);
  ApplyPaperChange(ctx, 1);
  EXPECT_EQ(ReadFieldRawById(ctx, 89), 141u);  // min(14030 / 9920, 19843 / 14030) in %
  EXPECT_EQ(ReadFieldRawById(ctx, 90), 141u);
  ApplyPaperChange(nullptr, 1);
}

TEST_F(ContextNames, RightsAreReappliedToTheRootAndItsFiles) {
  HANDLE h = Install(u"P1");
  root_.WriteFile(u"C:\\_kova\\Dorvale.ini", "");
  plat::ClearSecurityJournal();
  PrepareSettingsDirs(Context(h));
  const auto journal = plat::SecurityJournal();
  ASSERT_EQ(journal.size(), 4u);  // owner and DACL, each on the root and its file
  EXPECT_EQ(journal[0].owner, "S-1-5-32-544");
  EXPECT_EQ(journal[3].dacl, "(A;0x03;0x001F01FF;S-1-1-0)");
}

TEST_F(ContextNames, ResourceModulesNeedAName) {
  DriverContext* ctx = Context(nullptr);
  // The model image names no UI resource DLL yet: no path, no module, empty strings.
  EXPECT_EQ(Str(GetUiResourcePath(ctx)), u"");
  EXPECT_EQ(GetUiResourceModule(ctx), nullptr);
  EXPECT_EQ(GetNeutralResourceModule(ctx), nullptr);
  WCHAR text[8] = u"junk";
  EXPECT_EQ(LoadUiString(ctx, 370, text, 8, 1), 0);
  EXPECT_EQ(text[0], 0);
  EXPECT_FALSE(IsJapaneseResourceDll(ctx));
  FreeResourceModules(ctx);
}

TEST_F(ContextNames, HostExplorerTest) {
  plat::SetHostExecutablePath(u"C:\\Windows\\EXPLORER.EXE");
  EXPECT_TRUE(IsHostExplorer());
  plat::SetHostExecutablePath(u"C:\\Windows\\system32\\spoolsv.exe");
  EXPECT_FALSE(IsHostExplorer());
  plat::SetHostExecutablePath(u"");
}

}  // namespace
