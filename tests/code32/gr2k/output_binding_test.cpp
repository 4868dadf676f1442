// The PATH test and the filter path list.
#include <gtest/gtest.h>

#include <string>

#include "output_binding.h"
#include "test_root.h"

namespace rendara {
namespace {

TEST(PathCheck, DirectoryPresenceInPath) {
  struct Case {
    const char16_t* path;
    const char16_t* directory;
    BOOL missing;
  } cases[] = {
      {u"C:\\WINDOWS;C:\\DRV\\", u"C:\\DRV", FALSE},
      {u"C:\\\\DRV", u"C:\\DRV", FALSE},
      {u"c:\\drv", u"C:\\DRV", FALSE},
      {u"C:\\DRVX", u"C:\\DRV", TRUE},
      {u"C:\\DRV;C:\\WINDOWS", u"C:\\DRV", FALSE},
      {u"C:\\WINDOWS;C:\\DRV\\;D:\\", u"C:\\DRV", FALSE},
      {u"C:\\WINDOWS", u"C:\\DRV", TRUE},
      {u"C:\\DRV\\SUB;C:\\X", u"C:\\DRV", TRUE},
      {u"", u"C:\\DRV", TRUE},
      // Never added: doubled or trailing backslashes in the directory, an empty one.
      {u"C:\\WINDOWS", u"C:\\\\DRV", FALSE},
      {u"C:\\WINDOWS", u"C:\\DRV\\", FALSE},
      {u"C:\\WINDOWS", u"", FALSE},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsDirectoryMissingFromPath(c.path, c.directory), c.missing)
        << std::string(c.path, c.path + std::char_traits<char16_t>::length(c.path));
  }
  EXPECT_FALSE(IsDirectoryMissingFromPath(nullptr, u"C:\\DRV"));
  EXPECT_FALSE(IsDirectoryMissingFromPath(u"C:\\", nullptr));
}

TEST(PathCheck, WindowsPathOfAName) {
  kovatest::TempRoot root;
  WCHAR out[64];
  ASSERT_TRUE(BuildWindowsPath(out, 64, u"splwow64.exe"));
  EXPECT_EQ(std::u16string(out), u"C:\\Windows\\splwow64.exe");
  // The directory, the backslash, the name and the NUL must fit.
  const DWORD exact = static_cast<DWORD>(std::u16string(u"C:\\Windows\\splwow64.exe").size() + 1);
  EXPECT_TRUE(BuildWindowsPath(out, exact, u"splwow64.exe"));
  out[0] = u'x';
  EXPECT_FALSE(BuildWindowsPath(out, exact - 1, u"splwow64.exe"));
  EXPECT_EQ(out[0], 0);
  EXPECT_FALSE(BuildWindowsPath(out, 64, nullptr));
  EXPECT_FALSE(BuildWindowsPath(nullptr, 64, u"a"));
}

PluginEntry Entry(const char* path) {
  PluginEntry e{};
  e.id = const_cast<char*>("id");
  e.installPath = const_cast<char*>(path);
  return e;
}

TEST(FilterPathList, FiltersThenTheOutputDllThenNull) {
  PluginEntry a = Entry("C:\\drv\\A.dll"), none = Entry(nullptr), b = Entry("C:\\drv\\B.dll");
  PluginEntry* entries[] = {&a, &none, &b};
  PluginList plugins{3, entries};
  FilterPathList* list = BuildFilterPathList(&plugins, "C:\\drv\\O.dll");
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->count, 4u);
  EXPECT_STREQ(list->paths[0], "C:\\drv\\A.dll");
  EXPECT_STREQ(list->paths[1], "C:\\drv\\B.dll");
  EXPECT_STREQ(list->paths[2], "C:\\drv\\O.dll");
  EXPECT_EQ(list->paths[3], nullptr);
  FreeFilterPathList(list);

  PluginEntry* noPaths[] = {&none};
  PluginList withoutPaths{1, noPaths};
  list = BuildFilterPathList(&withoutPaths, "C:\\drv\\O.dll");
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->count, 2u);
  EXPECT_STREQ(list->paths[0], "C:\\drv\\O.dll");
  EXPECT_EQ(list->paths[1], nullptr);
  FreeFilterPathList(list);
  FreeFilterPathList(nullptr);
}

}  // namespace
}  // namespace rendara

namespace rendara {
namespace {

TEST(PluginList, FiltersOfTheDriverFoldersIni) {
  kovatest::TempRoot root;
  EXPECT_EQ(BuildPluginList("iKOVAFilter", "C:\\drv"), nullptr);  // no file
  root.WriteFile(u"C:\\drv\\KOVAPLUG.ini",
                 "[iKOVAFilter]\r\nCount=4\r\nPluginID0=First\r\nPluginID1=\r\nPluginID2=Second\r\n"
                 "PluginID3=Third\r\n"
                 "[First]\r\nName=First filter\r\nInstallPath=first.dll\r\nForceRAW=1\r\n"
                 "[Second]\r\nName=Second filter\r\n"
                 "[Third]\r\nInstallPath=\r\nPerPrinter=1\r\n"
                 "[UIControl]\r\nCount=0\r\n");
  PluginList* list = BuildPluginList("iKOVAFilter", "C:\\drv");
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(list->count, 3u);  // the empty id is skipped
  EXPECT_STREQ(list->entries[0]->id, "First");
  EXPECT_STREQ(list->entries[0]->name, "First filter");
  EXPECT_STREQ(list->entries[0]->installPath, "C:\\drv\\first.dll");
  EXPECT_EQ(list->entries[0]->forceRaw, 1u);
  // An InstallPath key that is missing reads as empty: the directory and a backslash.
  EXPECT_STREQ(list->entries[1]->installPath, "C:\\drv\\");
  EXPECT_EQ(list->entries[2]->perPrinter, 1u);
  EXPECT_EQ(FreePluginList(list), 1);
  EXPECT_EQ(BuildPluginList("UIControl", "C:\\drv"), nullptr);
  EXPECT_EQ(FreePluginList(nullptr), 1);
}

}  // namespace
}  // namespace rendara
