#include <string>

#include "base/paths_and_names.h"
#include "base/printer_data.h"
#include "base/settings_dirs.h"
#include "paths_fixture.h"
#include "win/kernel.h"

namespace {

using kovatest::Str;
using PathsAndNames = kovatest::PathsTest;

TEST(PathBuilders, JoinPathAtTheLimit) {
  const std::u16string dir = u"C:\\" + std::u16string(250, u'd');  // 253 characters
  WCHAR out[MAX_PATH];
  // 253 + 1 + 5 + 1 = 260: fits exactly.
  EXPECT_EQ(JoinPath(out, MAX_PATH, dir.c_str(), u"a.ini"), 259u);
  EXPECT_EQ(out[259], 0);
  EXPECT_EQ(Str(out).substr(253), u"\\a.ini");
  // One character more does not fit: empty, and the length 0.
  EXPECT_EQ(JoinPath(out, MAX_PATH, dir.c_str(), u"ab.ini"), 0u);
  EXPECT_EQ(out[0], 0);
  EXPECT_EQ(JoinPath(out, 0, dir.c_str(), u"a"), 0u);
}

TEST_F(PathsAndNames, SystemAndWindowsPathsAtTheLimit) {
  WCHAR out[MAX_PATH];
  MakeSystemPath(out, MAX_PATH, u"KOVA.ini");
  EXPECT_EQ(Str(out), u"C:\\Windows\\system32\\KOVA.ini");
  // "C:\Windows" is 10 characters: a name of 248 fills the 260 exactly, 249 does not fit.
  MakeWindowsPath(out, MAX_PATH, std::u16string(248, u'n').c_str());
  EXPECT_EQ(Str(out).size(), 259u);
  MakeWindowsPath(out, MAX_PATH, std::u16string(249, u'n').c_str());
  EXPECT_EQ(out[0], 0);
  MakeSettingsPath(out, 12, u"Dorvale.ini", Context(nullptr));  // C:\_kova\Dorvale.ini needs 21
  EXPECT_EQ(out[0], 0);
  MakeSettingsPath(out, MAX_PATH, u"Dorvale.ini", Context(nullptr));
  EXPECT_EQ(Str(out), u"C:\\_kova\\Dorvale.ini");
}

TEST_F(PathsAndNames, ParentRelativePaths) {
  struct Case {
    const char16_t* path;
    const char16_t* expected;
  } cases[] = {
      {u"..\\..\\x.ini", u"C:\\x.ini"},
      {u"..\\x.ini", u"C:\\Windows\\x.ini"},
      {u"..\\..\\..\\x.ini", u""},  // more steps than the system directory has
      {u"x.ini", u""},              // no step at all
      {u"..\\.\\x.ini", u"C:\\Windows\\.\\x.ini"},
  };
  for (const auto& c : cases) {
    WCHAR out[MAX_PATH] = u"junk";
    ResolveParentRelativePath(out, MAX_PATH, c.path);
    EXPECT_EQ(Str(out), c.expected) << kovatest::U8(c.path);
  }
  WCHAR small[8];
  ResolveParentRelativePath(small, 8, u"..\\..\\x.ini");  // "C:\x.ini" needs 9
  EXPECT_EQ(small[0], 0);
}

TEST_F(PathsAndNames, ExpandSystemPathVariables) {
  struct Case {
    const char16_t* path;
    BOOL usable;
    const char16_t* expected;
  } cases[] = {
      {u"%SystemDrive%\\data", TRUE, u"C:\\\\data"},
      {u"%SYSTEMROOT%\\spool", TRUE, u"C:\\Windows\\spool"},
      {u"D:\\keep", TRUE, u"D:\\keep"},
      {u"%TEMP%\\x", FALSE, u"%TEMP%\\x"},
      {u"relative", FALSE, u"relative"},
  };
  for (const auto& c : cases) {
    WCHAR path[MAX_PATH];
    lstrcpynW(path, c.path, MAX_PATH);
    EXPECT_EQ(ExpandSystemPathVariable(path, MAX_PATH, Context(nullptr)), c.usable) << kovatest::U8(c.path);
    EXPECT_EQ(Str(path), c.expected);
  }
}

TEST(ResourcePaths, LanguageCodeAndNeutralMarks) {
  WCHAR out[MAX_PATH];
  BuildUiResourcePath(out, u"C:\\drv\\", u"KOVAUIjp.DLL", u"us");
  EXPECT_EQ(Str(out), u"C:\\drv\\KOVAUIus.DLL");
  BuildUiResourcePath(out, u"C:\\drv\\", u"X.DLL", u"us");  // no two characters before the dot
  EXPECT_EQ(Str(out), u"C:\\drv\\X.DLL");
  BuildUiResourcePath(out, u"C:\\drv.jp\\", u"NODOT", u"us");
  EXPECT_EQ(Str(out), u"C:\\drv.jp\\NODOT");
  BuildNeutralResourcePath(out, u"C:\\drv\\", u"KOVAUIjp.DLL");
  EXPECT_EQ(Str(out), u"C:\\drv\\KOVACIXX.DLL");
  BuildNeutralResourcePath(out, u"C:\\drv\\", u"ab.DLL");  // too short to be matched
  EXPECT_EQ(out[0], 0);
  BuildUiResourcePath(out, u"C:\\drv\\", u"", u"us");
  EXPECT_EQ(out[0], 0);
}

TEST_F(PathsAndNames, DriverDirectoryAndTheFilesBesideIt) {
  HANDLE h = Install(u"P1", {plat::spooler::StringValue(u"HelpFileName", u"KOVAUS.HLP")});
  DriverContext* ctx = Context(h);
  EXPECT_EQ(Str(GetDriverDirectory(ctx)), u"C:\\drv\\");
  EXPECT_EQ(Str(GetSecondIniPath(ctx)), u"C:\\drv\\Dorvale2.ini");
  EXPECT_EQ(Str(GetInstallIniPath(ctx)), u"C:\\drv\\Instovar.INI");
  EXPECT_EQ(Str(GetHelpFilePath(ctx)), u"C:\\drv\\KOVAUS.HLP");
  // The help path has its own buffer: the driver directory is still the directory.
  EXPECT_EQ(Str(GetDriverDirectory(ctx)), u"C:\\drv\\");
  EXPECT_EQ(Str(fc_.work().driverDirectory), u"C:\\drv\\");
  WCHAR second[MAX_PATH];
  GetSecondIniPathForPrinter(h, second);
  EXPECT_EQ(Str(second), u"C:\\drv\\Dorvale2.ini");
  WCHAR built[MAX_PATH] = u"unchanged";
  MakeDriverPath(built, MAX_PATH, u"Spoolane.DLL", h);
  EXPECT_EQ(Str(built), u"C:\\drv\\Spoolane.DLL");
}

TEST_F(PathsAndNames, NamesAndTheirCache) {
  HANDLE h = Install(u"Office P2");
  DriverContext* ctx = Context(h);
  EXPECT_EQ(Str(GetPrinterDisplayName(ctx)), u"Office P2");
  EXPECT_EQ(Str(GetPrinterSectionName(ctx)), u"Office P2");
  EXPECT_EQ(Str(GetRawPrinterName(ctx)), u"Office P2");
  EXPECT_EQ(Str(GetModelName(ctx)), u"KOVA Sample Driver");
  EXPECT_EQ(fc_.work().connectionState, 2);
  WCHAR small[4];
  EXPECT_FALSE(GetPrinterNameCopy(h, small, 4));  // does not fit: not copied
  WCHAR name[32];
  EXPECT_TRUE(GetPrinterNameCopy(h, name, 32));
  EXPECT_EQ(Str(name), u"Office P2");
  EXPECT_EQ(Str(GetUserIniPath(ctx)), u"C:\\_kova\\Dorvale.ini");
}

TEST_F(PathsAndNames, ModelNameKeepsThirtyOneCharacters) {
  PRINTER_INFO_2W info{};
  std::u16string longName(40, u'M');
  WCHAR printerName[] = u"P";
  info.pPrinterName = printerName;
  info.pDriverName = longName.data();
  fc_.work().printerInfo = &info;
  EXPECT_EQ(Str(GetModelName(Context(nullptr))), std::u16string(31, u'M'));
  fc_.work().printerInfo = nullptr;
}

TEST_F(PathsAndNames, VistaConnectionNameIsNormalised) {
  plat::SetWindowsVersion(plat::WindowsVersion::Vista);
  ResetSystemTestCaches();
  plat::spooler::DataValue shortServer = plat::spooler::StringValue(u"shortServerName", u"SRV");
  shortServer.key = u"DsSpooler";
  plat::spooler::DataValue printerName = plat::spooler::StringValue(u"printerName", u"P1");
  printerName.key = u"DsSpooler";
  HANDLE h = Install(u"P1", {shortServer, printerName}, u"\\\\SRVLONGNAME");
  WCHAR name[261] = u"\\\\SRVLONGNAME\\P1";
  NormalisePrinterName(h, name, 261);
  EXPECT_EQ(Str(name), u"\\\\SRV\\P1");
  WCHAR tight[8] = u"\\\\X\\P1";  // 2 + 3 + 1 + 2 + NUL = 9 > 8: left alone
  NormalisePrinterName(h, tight, 8);
  EXPECT_EQ(Str(tight), u"\\\\X\\P1");
  WCHAR local[] = u"Local";
  NormalisePrinterName(h, local, 6);
  EXPECT_EQ(Str(local), u"Local");
  DriverContext* ctx = Context(h);
  EXPECT_EQ(Str(GetPrinterDisplayName(ctx)), u"\\\\SRV\\P1");
  EXPECT_EQ(fc_.work().connectionState, 1);
}

}  // namespace
