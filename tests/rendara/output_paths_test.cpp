// The PATH test and the filter path list.
#include <gtest/gtest.h>

#include <string>

#include "output_binding.h"

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
