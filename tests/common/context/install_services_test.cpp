#include <string>

#include "context/field_access.h"
#include "context/install_services.h"
#include "context/module_services.h"
#include "context/printer_data.h"
#include "paths_fixture.h"
#include "win/kernel.h"
#include "win/profile.h"
#include "context/paths_and_names.h"

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
