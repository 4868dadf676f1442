#include <string>

#include "fields/field_access.h"
#include "base/install_services.h"
#include "stored/module_services.h"
#include "base/printer_data.h"
#include "base/settings_dirs.h"
#include "paths_fixture.h"
#include "win/kernel.h"
#include "win/profile.h"
#include "base/paths_and_names.h"

namespace {

using kovatest::Str;
using Services = kovatest::PathsTest;

TEST_F(Services, InstallIniKeysAndPaths) {
  HANDLE h = Install(u"P1");
  DriverContext* ctx = Context(h);
  EXPECT_EQ(Str(GetSystemKovaIniPath(ctx)), u"C:\\Windows\\system32\\KOVA.ini");
  const WCHAR* ini = u"C:\\Windows\\system32\\KOVA.ini";
  EXPECT_FALSE(GetDrvInstSet(ini, u"P1"));
  EXPECT_TRUE(SetDrvInstSet(ini, u"P1", 3));
  EXPECT_TRUE(GetDrvInstSet(ini, u"P1"));
  SetDrvInstSet(ini, u"P1", 0);
  EXPECT_FALSE(GetDrvInstSet(ini, u"P1"));

  WCHAR path[MAX_PATH] = u"Spoolane.DLL";
  ResolveDriverRelativePath(path, MAX_PATH, ctx);
  EXPECT_EQ(Str(path), u"C:\\drv\\Spoolane.DLL");
  WCHAR drive[MAX_PATH] = u"D:\\x.dll";
  ResolveDriverRelativePath(drive, MAX_PATH, ctx);
  EXPECT_EQ(Str(drive), u"D:\\x.dll");
  std::u16string longName(255, u'n');  // 7 + 255 + 1 > 260: left unchanged
  WCHAR big[MAX_PATH];
  lstrcpynW(big, longName.c_str(), MAX_PATH);
  ResolveDriverRelativePath(big, MAX_PATH, ctx);
  EXPECT_EQ(Str(big), longName);
  WCHAR tight[10] = u"a.dll";  // fits 260 but not the caller's capacity
  ResolveDriverRelativePath(tight, 10, ctx);
  EXPECT_EQ(Str(tight), u"a.dll");

  EXPECT_FALSE(HasClientName(h));
  SetPrinterDataText(h, u"", u"ClientName");
  EXPECT_FALSE(HasClientName(h));
  SetPrinterDataText(h, u"PC7", u"ClientName");
  EXPECT_TRUE(HasClientName(h));

  WCHAR kst[MAX_PATH];
  EXPECT_FALSE(ReadInstallDefaultKst(kst, ctx));  // no language code yet
  lstrcpynW(fc_.work().languageCode, u"us", 32);
  EXPECT_FALSE(ReadInstallDefaultKst(kst, ctx));  // no value
  root_.WriteFile(u"C:\\drv\\Dorvale2.ini", "[us]\r\nDefaultKst=C:\\kst\\default.kst\r\n");
  EXPECT_TRUE(ReadInstallDefaultKst(kst, ctx));
  EXPECT_EQ(Str(kst), u"C:\\kst\\default.kst");
}

TEST_F(Services, SystemIniPathNeedsAFullBuffer) {
  WCHAR small[259];
  for (WCHAR& c : small) c = u'#';
  EXPECT_FALSE(GetSystemKovaIniPathInto(small, 259));
  EXPECT_EQ(small[0], u'#') << "a buffer under 260 characters is left as it was";
  EXPECT_EQ(small[258], u'#');
  WCHAR full[MAX_PATH];
  EXPECT_TRUE(GetSystemKovaIniPathInto(full, MAX_PATH));
  EXPECT_EQ(Str(full), u"C:\\Windows\\system32\\KOVA.ini");
  EXPECT_FALSE(GetSystemKovaIniPathInto(nullptr, MAX_PATH));
  EXPECT_EQ(Str(GetBatchInstallDoneSection()), u"BatchInstallDone");
  EXPECT_EQ(Str(GetSystemKovaIniName()), u"KOVA.ini");
}

TEST_F(Services, EachIniNamesItsOwnPackage) {
  HANDLE h = Install(u"P1");
  DriverContext* ctx = Context(h);
  root_.WriteFile(u"C:\\_kova\\keep.txt", "");
  root_.WriteFile(u"C:\\drv\\Dorvale2.ini", "");
  lstrcpynW(fc_.work().languageCode, u"us", 32);
  const std::u16string userIni = GetUserIniPath(ctx);
  using Reader = BOOL (*)(WCHAR*, DriverContext*);
  struct Ini {
    const char* what;
    Reader read;
    std::u16string path;
    const char16_t* section;
  } inis[] = {
      {"system install INI", ReadSystemIniDefaultKst, u"C:\\Windows\\system32\\KOVA.ini", u"P1"},
      {"second model INI", ReadInstallDefaultKst, u"C:\\drv\\Dorvale2.ini", u"us"},
      {"per-printer INI", ReadPrinterDefaultKst, userIni, u"P1"},
  };
  struct Value {
    const char16_t* text;  // null: no key
    BOOL named;
    const char16_t* read;
  } values[] = {
      {u"C:\\pkg\\a.ksb", TRUE, u"C:\\pkg\\a.ksb"},
      {u"a.ksb", TRUE, u"a.ksb"},  // resolving is the caller's
      {u"", FALSE, u""},
      {u"*", FALSE, u""},
      {nullptr, FALSE, u""},
  };
  for (const Ini& ini : inis) {
    for (const Value& v : values) {
      SCOPED_TRACE(ini.what);
      SCOPED_TRACE(v.text ? std::string(v.text, v.text + std::char_traits<char16_t>::length(v.text)) : "none");
      for (const Ini& other : inis) WritePrivateProfileStringW(other.section, u"DefaultKst", nullptr, other.path.c_str());
      WritePrivateProfileStringW(ini.section, u"DefaultKst", v.text, ini.path.c_str());
      WCHAR kst[MAX_PATH];
      kst[0] = u'#';
      EXPECT_EQ(ini.read(kst, ctx), v.named);
      EXPECT_EQ(Str(kst), v.read);
      // The others read their own INI only.
      for (const Ini& other : inis) {
        if (&other == &ini) continue;
        EXPECT_FALSE(other.read(kst, ctx));
      }
    }
  }
  WCHAR kst[MAX_PATH];
  WritePrivateProfileStringW(u"P1", u"DefaultKst", u"C:\\pkg\\s.ksb", u"C:\\Windows\\system32\\KOVA.ini");
  EXPECT_TRUE(ReadSystemIniDefaultKstFor(kst, ctx, nullptr));
  EXPECT_EQ(Str(kst), u"C:\\pkg\\s.ksb");
  // The second model INI is read only where its path has a drive.
  WritePrivateProfileStringW(u"us", u"DefaultKst", u"C:\\pkg\\d.ksb", u"C:\\drv\\Dorvale2.ini");
  lstrcpynW(fc_.work().secondIniPath, u"Dorvale2.ini", 261);
  EXPECT_FALSE(ReadInstallDefaultKst(kst, ctx));
  EXPECT_EQ(Str(kst), u"");
  fc_.work().secondIniPath[0] = 0;
  EXPECT_TRUE(ReadInstallDefaultKstFor(kst, ctx, nullptr));
  EXPECT_EQ(Str(kst), u"C:\\pkg\\d.ksb");
}

TEST_F(Services, BatchInstallMarkerOfThePrinter) {
  HANDLE h = Install(u"P1");
  DriverContext* ctx = Context(h);
  root_.WriteFile(u"C:\\_kova\\keep.txt", "");
  const std::u16string ini = GetUserIniPath(ctx);
  struct Case {
    const char16_t* section;
    const char16_t* value;
    BOOL marked;
  } cases[] = {
      {u"P1", nullptr, FALSE},
      {u"P1", u"", FALSE},
      {u"P1", u"C:\\pkg\\b.ksb", TRUE},
      {u"P2", u"C:\\pkg\\b.ksb", FALSE},  // another printer's
  };
  for (const Case& c : cases) {
    WritePrivateProfileStringW(u"P1", u"BatchInstKst", nullptr, ini.c_str());
    WritePrivateProfileStringW(u"P2", u"BatchInstKst", nullptr, ini.c_str());
    WritePrivateProfileStringW(c.section, u"BatchInstKst", c.value, ini.c_str());
    EXPECT_EQ(GetBatchInstKst(ctx), c.marked) << (c.value ? "value" : "no key");
  }
}

TEST_F(Services, DriverRelativePathsAndSettingFileMacros) {
  HANDLE h = Install(u"P1");
  DriverContext* ctx = Context(h);
  root_.WriteFile(u"C:\\_kova\\keep.txt", "");
  DRIVER_INFO_3W other{};
  other.pDriverPath = const_cast<LPWSTR>(u"D:\\other\\Rendara.dll");
  struct Case {
    const char16_t* directory;  // the driver directory as the work area keeps it; null: from the record
    const char16_t* path;
    const char16_t* resolved;
  } cases[] = {
      {nullptr, u"x.ksb", u"D:\\other\\x.ksb"},
      {nullptr, u"E:x.ksb", u"E:x.ksb"},
      {u"C:\\drv", u"x.ksb", u"C:\\drv\\x.ksb"},  // the separator is added
      {u"C:\\drv\\", u"sub\\x.ksb", u"C:\\drv\\sub\\x.ksb"},
  };
  for (const Case& c : cases) {
    lstrcpynW(fc_.work().driverDirectory, c.directory ? c.directory : u"", MAX_PATH);
    WCHAR path[MAX_PATH];
    lstrcpynW(path, c.path, MAX_PATH);
    EXPECT_EQ(ResolveDriverRelativePathFor(path, MAX_PATH, ctx, &other), path);
    EXPECT_EQ(Str(path), c.resolved);
  }
  fc_.work().driverDirectory[0] = 0;

  WCHAR settings[MAX_PATH] = {};
  ASSERT_GT(GetSettingsDir(settings, MAX_PATH, ctx), 0u);
  const std::u16string driver = GetDriverDirectory(ctx);
  struct Macro {
    const char16_t* path;
    std::u16string expanded;
  } macros[] = {
      {u"%windir%a.ksd", driver + u"a.ksd"},
      {u"%SYSDIR%a.ksd", std::u16string(settings) + u"\\a.ksd"},
      {u"D:\\pkg\\a.ksd", u"D:\\pkg\\a.ksd"},
  };
  for (const Macro& m : macros) {
    WCHAR path[MAX_PATH];
    lstrcpynW(path, m.path, MAX_PATH);
    EXPECT_TRUE(ExpandSettingFileMacros(path, MAX_PATH, ctx));
    EXPECT_EQ(Str(path), m.expanded);
  }
  WCHAR tooLong[MAX_PATH * 2] = u"%sysdir%";
  for (int i = 8; i < 300; ++i) tooLong[i] = u'a';
  EXPECT_FALSE(ExpandSettingFileMacros(tooLong, MAX_PATH * 2, ctx));
  EXPECT_EQ(tooLong[0], 0);
}

TEST_F(Services, UsableSettingsFilesAndPackages) {
  for (const char16_t* file : {u"C:\\k\\a.ksb", u"C:\\k\\B.KSB", u"C:\\k\\a.kst", u"C:\\k\\.ksb", u"C:\\k\\a.long",
                               u"C:\\k\\noext"})
    root_.WriteFile(file, "");
  struct Case {
    const char16_t* path;
    BOOL usable, package;
  } cases[] = {
      {u"C:\\k\\a.ksb", TRUE, TRUE},    {u"C:\\k\\B.KSB", TRUE, TRUE},   {u"C:\\k\\a.kst", TRUE, FALSE},
      {u"C:\\k\\.ksb", FALSE, FALSE},   {u"C:\\k\\a.long", FALSE, FALSE}, {u"C:\\k\\noext", FALSE, FALSE},
      {u"C:\\k\\gone.ksb", FALSE, FALSE}, {u"", FALSE, FALSE},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsUsableSettingsFile(c.path), c.usable) << Str(c.path).size();
    EXPECT_EQ(IsSettingsPackage(c.path), c.package) << Str(c.path).size();
  }
  EXPECT_FALSE(IsUsableSettingsFile(nullptr));
}

TEST_F(Services, ChapterEntriesAreBounded) {
  DriverContext* ctx = Context(nullptr);
  WriteFieldRawById(ctx, 994, 3);  // wdmChapterMax
  WriteFieldRawById(ctx, 996, 2);  // wdmChapterNum
  EXPECT_EQ(GetChapterEntry(ctx, -1), nullptr);
  EXPECT_EQ(GetChapterEntry(ctx, 2), nullptr);
  ChapterEntry* first = GetChapterEntry(ctx, 0);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->kind, 0);
  EXPECT_EQ(GetChapterEntry(ctx, 1), first + 1);
  // A count raised past the array made earlier finds no entry beyond it.
  WriteFieldRawById(ctx, 996, 10);
  EXPECT_NE(GetChapterEntry(ctx, 3), nullptr);
  EXPECT_EQ(GetChapterEntry(ctx, 4), nullptr);
  FreeChapterEntries(ctx);
  EXPECT_EQ(fc_.work().chapterEntries, nullptr);
  EXPECT_EQ(GetChapterEntry(nullptr, 0), nullptr);
}

TEST_F(Services, PresetCountSteps) {
  HANDLE h = Install(u"P1");
  DriverContext* ctx = Context(h);
  root_.WriteFile(u"C:\\_kova\\keep.txt", "");  // the settings root exists
  EXPECT_TRUE(AppendPreset(ctx, u"C:\\_kova\\user0000.kst", u"Draft", u"fast"));
  EXPECT_TRUE(AppendPreset(ctx, u"C:\\_kova\\user0001.kst", u"Fine", u""));
  const WCHAR* ini = GetUserIniPath(ctx);
  WCHAR text[64];
  GetPrivateProfileStringW(u"P1", u"PresetList1Name", u"", text, 64, ini);
  EXPECT_EQ(Str(text), u"Fine");
  EXPECT_EQ(GetPrivateProfileIntW(u"P1", u"Count", -1, ini), 2u);
  EXPECT_TRUE(ResetPresetCount(ctx));
  EXPECT_EQ(GetPrivateProfileIntW(u"P1", u"Count", -1, ini), 0u);
}

}  // namespace
