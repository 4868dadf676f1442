// The file pages' name checks, remembered folders and the test that tells a preset's or a
// quality entry's settings file from a user's own file.
#include <string>
#include <vector>

#include "base/paths_and_names.h"
#include "page_engine_fixture.h"
#include "pages/file_pages.h"
#include "stored/preset_list.h"
#include "win/files.h"
#include "win/profile.h"

namespace kovatest {
namespace file_pages_test {
namespace {

PageRecord PageOf(WORD id, DWORD flags) {
  PageRecord page{};
  page.pageId = id;
  page.flags = flags;
  return page;
}

TEST(FilePagePatterns, NamesEndInThePagesExtension) {
  struct Case {
    WORD pageId;
    DWORD flags;
    const char16_t* name;
    bool matches;
  };
  const Case cases[] = {
      {4009, 0x2000, u"C:\\a\\abc.kst", true},
      {4009, 0x2000, u"ABC.KST", true},
      {4009, 0x2000, u"abc.Kst", true},
      {4009, 0x2000, u"abc.txt", false},
      {4009, 0x2000, u"abc.kstx", false},
      {4009, 0x2000, u".kst", true},
      {4009, 0x2000, u"kst", false},
      {4009, 0x2000, u"st", false},
      {4009, 0x2000, u"", false},
      {4009, 0x2000, nullptr, false},
      {4003, 0x400, u"stamp.bmp", true},
      {4003, 0x400, u"stamp.kst", false},
      {4008, 0x1000, u"form.kpo", true},
      {4007, 0x800, u"form.KPO", true},
      {1037, 0, u"form.kpo", true},
      {1037, 0, u"form.bmp", false},
      {4001, 0x100, u"x.kst", true},
      {4003, 0x4400, u"profile.kcm", true},  // colour-profile page, no file-type choice
      {4003, 0x4400, u"profile.txt", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.pageId << " " << (c.name ? std::string(c.name, c.name + std::char_traits<char16_t>::length(c.name)) : "null"));
    const PageRecord page = PageOf(c.pageId, c.flags);
    EXPECT_EQ(HasFilterExtension(&page, c.name), c.matches);
  }
}

TEST(FilePagePatterns, RememberedKeysByFirstFileFlag) {
  struct Case {
    DWORD flags;
    const char16_t* key;
  };
  const Case cases[] = {
      {0x100, u"OpenFilePath"}, {0x200, u"SaveFilePath"}, {0x400, u"RefFilePath"}, {0x4400, u"RefFile2Path"},
      {0x800, nullptr},         {0x1000, u"KporefPath"},  {0x2000, u"KstSavePath"}, {0x8000, nullptr},
      {0, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.flags);
    const PageRecord page = PageOf(4000, c.flags);
    const WCHAR* key = GetRememberedPathKey(&page);
    if (!c.key) {
      EXPECT_EQ(key, nullptr);
    } else {
      ASSERT_NE(key, nullptr);
      EXPECT_EQ(std::u16string(key), c.key);
    }
  }
}

class FilePagesTest : public PageEngineTest {
 protected:
  void SetUp() override {
    PageEngineTest::SetUp();
    root_.WriteFile(u"C:\\_kova\\keep.txt", "");
    root_.WriteFile(u"C:\\Users\\me\\keep.txt", "");
  }
  DriverContext* Start() {
    DriverContext* context = Bound();
    if (context) {
      ini_ = GetUserIniPath(context);
      section_ = GetPrinterSectionName(context);
    }
    return context;
  }
  void Key(const std::u16string& key, const std::u16string& value) {
    ASSERT_TRUE(WritePrivateProfileStringW(section_.c_str(), key.c_str(), value.c_str(), ini_.c_str()));
  }
  std::string Bytes(const std::u16string& path) { return root_.ReadFile(path); }

  std::u16string ini_;
  std::u16string section_;
};

TEST_F(FilePagesTest, FileExistsOnTheWidePath) {
  root_.WriteFile(u"C:\\Users\\me\\Bj\u00f8rn \u65e5\u672c.kst", "settings");
  struct Case {
    const char16_t* path;
    bool exists;
  };
  const Case cases[] = {
      {u"C:\\Users\\me\\Bj\u00f8rn \u65e5\u672c.kst", true},
      {u"C:\\Users\\me\\keep.txt", true},
      {u"C:\\Users\\me\\none.kst", false},
      {u"", false},
      {nullptr, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.exists);
    EXPECT_EQ(FileExists(c.path), c.exists);
  }
}

TEST_F(FilePagesTest, PagesRememberTheFolderOfTheirLastFile) {
  DriverContext* context = Start();
  ASSERT_NE(context, nullptr);
  struct Case {
    const char* name;
    DWORD flags;
    const char16_t* path;
    const char16_t* folder;  // null: nothing remembered
  };
  const Case cases[] = {
      {"a folder", 0x2000, u"C:\\Users\\me\\abc.kst", u"C:\\Users\\me"},
      {"a drive root keeps its backslash", 0x100, u"D:\\abc.kst", u"D:\\"},
      {"a network folder", 0x1000, u"\\\\server\\share\\f.kpo", u"\\\\server\\share"},
      {"a page without a key", 0x800, u"C:\\Users\\me\\o.kpo", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const PageRecord page = PageOf(4000, c.flags);
    RememberFileFolder(context, &page, c.path);
    WCHAR out[300] = {u'x'};
    EXPECT_EQ(ReadRememberedFolder(context, &page, out, 300), c.folder != nullptr);
    EXPECT_EQ(std::u16string(out), c.folder ? c.folder : u"");
  }
}

TEST_F(FilePagesTest, StoredPresetFilesAreFoundWithoutWritingIntoAnyFile) {
  DriverContext* context = Start();
  ASSERT_NE(context, nullptr);
  const std::u16string preset = u"C:\\Users\\me\\pa.kst";
  const std::u16string quality = u"C:\\Users\\me\\qa.kst";
  const std::u16string own = u"C:\\Users\\me\\mine.kst";
  const std::string content = "[Page Printer]\r\nKstMachine=1\r\n";
  for (const auto& f : {preset, quality, own}) root_.WriteFile(f, content);
  Key(u"Count", u"1");
  Key(u"PresetList0", preset);
  Key(u"QualityCount", u"1");
  Key(u"QualityList0", quality);
  struct Case {
    const char* name;
    std::u16string path;
    int stored;
  };
  const Case cases[] = {
      {"a preset's file", preset, 1},
      {"in other case", u"c:\\USERS\\ME\\PA.KST", 1},
      {"through a dot-dot", u"C:\\Users\\me\\..\\me\\pa.kst", 1},
      {"a quality entry's file", quality, 1},
      {"the user's own file", own, 0},
      {"a missing file", u"C:\\Users\\me\\gone.kst", 0},
      {"an empty name", u"", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(IsStoredPresetFile(context, c.path.c_str()), c.stored);
  }
  // Every file as it was: nothing marks the stored ones.
  for (const auto& f : {preset, quality, own}) {
    SCOPED_TRACE(std::string(f.begin(), f.end()));
    EXPECT_EQ(Bytes(f), content);
  }
}

}  // namespace
}  // namespace file_pages_test
}  // namespace kovatest
