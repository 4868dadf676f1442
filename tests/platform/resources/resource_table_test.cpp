#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "plat/builtin_modules.h"
#include "plat/system.h"
#include "plat/wstr.h"
#include "test_root.h"
#include "win/errors.h"
#include "win/loader.h"
#include "win/resources.h"

namespace {

// The fixture strings.rc with its header, loaded as C:\Drv\Strings_us.dll.
class StringTable : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* f : {"strings.rc", "strings_ids.h"}) {
      std::string host = root_.HostPath(u"C:\\Drv\\" + plat::FromUtf8(f));
      std::filesystem::create_directories(std::filesystem::path(host).parent_path());
      std::filesystem::copy_file(kovatest::FixturePath(std::string("resources/") + f), host);
    }
    // On disk in other case than asked for.
    std::filesystem::rename(root_.HostPath(u"C:\\Drv\\strings.rc"), root_.Host() + "/drives/c/Drv/Strings_US.rc");
    module_ = LoadLibraryW(u"C:\\Drv\\Strings_us.dll");
    ASSERT_NE(module_, nullptr) << plat::LastLoadDiagnostic();
  }
  void TearDown() override {
    if (module_) FreeLibrary(module_);
  }
  std::u16string Load(UINT id) {
    WCHAR buf[128];
    int n = LoadStringW(module_, id, buf, 128);
    EXPECT_EQ(static_cast<std::size_t>(n), std::u16string(buf).size());
    return std::u16string(buf, static_cast<std::size_t>(n));
  }
  kovatest::TempRoot root_;
  HMODULE module_ = nullptr;
};

TEST_F(StringTable, StringsOfTheScript) {
  struct Case {
    UINT id;
    const char16_t* text;
  };
  const Case cases[] = {
      {100, u"Base"},
      {101, u"Printing Preferences"},  // id defined as (IDS_BASE + 1) in the header
      {102, u"Tab\there\nLine\\back \"quoted\""},
      {103, u"Joined text"},  // adjacent literals, narrow and wide
      {104, u"Say \"yes\""},
      {111, u"Last of block 7"},
      {112, u"First of block 8"},
      {0xFFFF, u"Highest id"},
      {0, u"Id zero"},
      {1, u""},    // only inside #ifdef APSTUDIO_INVOKED, and inside a comment
      {105, u""},  // an empty entry of a block that exists
      {5000, u""}, // no block
  };
  for (const auto& c : cases) EXPECT_EQ(Load(c.id), c.text) << c.id;
}

TEST_F(StringTable, LanguageOfTheUser) {
  plat::Machine().userLcid = 0x0411;
  EXPECT_EQ(Load(101), u"\u5370\u5237\u8a2d\u5b9a");
  // A string is found through its block: the Japanese block 7 exists, so its empty entry
  // 100 answers, not the English one.
  EXPECT_EQ(Load(100), u"");
  EXPECT_EQ(Load(112), u"First of block 8");  // block 8 exists in English only
  plat::Machine().userLcid = 0x0409;
  EXPECT_EQ(Load(101), u"Printing Preferences");
  plat::Machine().userLcid = 0x0407;  // German: neither; English (US) is preferred to the rest
  EXPECT_EQ(Load(101), u"Printing Preferences");
}

TEST_F(StringTable, BufferProtocol) {
  // "Base" is 4 characters.
  struct Case {
    int max;
    int answer;
    const char16_t* text;
  };
  const Case cases[] = {
      {1, 0, u""}, {2, 1, u"B"}, {4, 3, u"Bas"}, {5, 4, u"Base"}, {64, 4, u"Base"},
  };
  for (const auto& c : cases) {
    WCHAR buf[64];
    std::fill(std::begin(buf), std::end(buf), u'#');
    EXPECT_EQ(LoadStringW(module_, 100, buf, c.max), c.answer) << c.max;
    EXPECT_EQ(std::u16string(buf), c.text) << c.max;
  }
  WCHAR buf[8] = u"xxxxxxx";
  EXPECT_EQ(LoadStringW(module_, 5000, buf, 8), 0);
  EXPECT_EQ(buf[0], 0);
  EXPECT_EQ(LoadStringW(module_, 100, nullptr, 8), 0);
  SetLastError(0);
  EXPECT_EQ(LoadStringW(reinterpret_cast<HINSTANCE>(0x4444), 100, buf, 8), 0);
  EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
}

TEST_F(StringTable, ZeroBufferSizeGivesPointerIntoResource) {
  const WCHAR* text = nullptr;
  EXPECT_EQ(LoadStringW(module_, 101, reinterpret_cast<LPWSTR>(&text), 0), 20);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(std::u16string(text, 20), u"Printing Preferences");
  // The text lies in the string block itself: the WORD before it is its length, and what
  // follows is the next entry's length (27 characters of the escapes string), not a NUL.
  EXPECT_EQ(text[-1], 20);
  EXPECT_EQ(text[20], 27);
  HRSRC block = FindResourceW(module_, MAKEINTRESOURCEW(7), RT_STRING);
  ASSERT_NE(block, nullptr);
  auto* base = static_cast<const BYTE*>(LockResource(LoadResource(module_, block)));
  const auto* p = reinterpret_cast<const BYTE*>(text);
  EXPECT_GE(p, base);
  EXPECT_LT(p, base + SizeofResource(module_, block));
  text = reinterpret_cast<const WCHAR*>(0x1);
  EXPECT_EQ(LoadStringW(module_, 5000, reinterpret_cast<LPWSTR>(&text), 0), 0);
}

TEST_F(StringTable, BlockLayout) {
  // Block 7 holds ids 96..111: 16 entries of {WORD length, characters}, no NULs.
  HRSRC res = FindResourceW(module_, MAKEINTRESOURCEW(7), RT_STRING);
  ASSERT_NE(res, nullptr);
  const DWORD size = SizeofResource(module_, res);
  auto* data = static_cast<const BYTE*>(LockResource(LoadResource(module_, res)));
  ASSERT_NE(data, nullptr);
  const std::u16string texts[16] = {u"", u"", u"", u"", u"Base", u"Printing Preferences",
                                    u"Tab\there\nLine\\back \"quoted\"", u"Joined text", u"Say \"yes\"", u"", u"",
                                    u"", u"", u"", u"", u"Last of block 7"};
  std::size_t expectedSize = 0;
  for (const auto& t : texts) expectedSize += 2 + 2 * t.size();
  ASSERT_EQ(size, expectedSize);
  std::size_t off = 0;
  for (int i = 0; i < 16; ++i) {
    WORD len;
    std::memcpy(&len, data + off, 2);
    ASSERT_EQ(len, texts[i].size()) << i;
    std::u16string got(len, u'\0');
    std::memcpy(got.data(), data + off + 2, 2u * len);
    EXPECT_EQ(got, texts[i]) << i;
    off += 2 + 2u * len;
  }
  // The empty first entries are four zero WORDs at offsets 0, 2, 4, 6; "Base" at 8.
  EXPECT_EQ(data[8], 4);
  EXPECT_EQ(data[10], 'B');
  // The last block: id 0xFFFF is entry 15 of block 4096.
  HRSRC last = FindResourceW(module_, MAKEINTRESOURCEW(4096), RT_STRING);
  ASSERT_NE(last, nullptr);
  EXPECT_EQ(SizeofResource(module_, last), 15u * 2 + 2 + 2 * 10);
}

TEST_F(StringTable, FindResourceErrors) {
  SetLastError(0);
  EXPECT_EQ(FindResourceW(module_, MAKEINTRESOURCEW(9), RT_STRING), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_RESOURCE_NAME_NOT_FOUND);
  EXPECT_EQ(FindResourceW(module_, MAKEINTRESOURCEW(1), RT_BITMAP), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_RESOURCE_TYPE_NOT_FOUND);
  EXPECT_EQ(FindResourceExW(module_, RT_STRING, MAKEINTRESOURCEW(7), MAKELANGID(LANG_ENGLISH, 1)) != nullptr, true);
  EXPECT_NE(FindResourceExW(module_, RT_STRING, MAKEINTRESOURCEW(7), MAKELANGID(LANG_JAPANESE, 1)), nullptr);
  SetLastError(0);
  EXPECT_EQ(FindResourceExW(module_, RT_STRING, MAKEINTRESOURCEW(8), MAKELANGID(LANG_JAPANESE, 1)), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_RESOURCE_LANG_NOT_FOUND);
  EXPECT_EQ(FindResourceW(module_, u"#7", RT_STRING), FindResourceW(module_, MAKEINTRESOURCEW(7), RT_STRING));
  EXPECT_EQ(SizeofResource(module_, reinterpret_cast<HRSRC>(0x10)), 0u);
  EXPECT_EQ(GetLastError(), ERROR_RESOURCE_NAME_NOT_FOUND);
}

TEST_F(StringTable, DataResourcesAndEnumeration) {
  HRSRC res = FindResourceW(module_, MAKEINTRESOURCEW(1), RT_RCDATA);
  ASSERT_NE(res, nullptr);
  // 1 (WORD), 2L (DWORD), "ab" (bytes, no NUL), L"c" (UTF-16, no NUL)
  const BYTE expected[] = {1, 0, 2, 0, 0, 0, 'a', 'b', 'c', 0};
  ASSERT_EQ(SizeofResource(module_, res), sizeof(expected));
  EXPECT_EQ(std::memcmp(LockResource(LoadResource(module_, res)), expected, sizeof(expected)), 0);

  std::vector<WORD> blocks;
  auto collect = [](HMODULE, LPCWSTR, LPWSTR name, LONG_PTR param) -> BOOL {
    reinterpret_cast<std::vector<WORD>*>(param)->push_back(static_cast<WORD>(reinterpret_cast<ULONG_PTR>(name)));
    return TRUE;
  };
  ASSERT_TRUE(EnumResourceNamesW(module_, RT_STRING, collect, reinterpret_cast<LONG_PTR>(&blocks)));
  // Each block once, though block 7 exists in two languages.
  EXPECT_EQ(blocks, (std::vector<WORD>{1, 7, 8, 4096}));
  EXPECT_FALSE(EnumResourceNamesW(module_, RT_MENU, collect, reinterpret_cast<LONG_PTR>(&blocks)));
  EXPECT_EQ(GetLastError(), ERROR_RESOURCE_TYPE_NOT_FOUND);
  // The script's one dialog template is kept under its name.
  std::vector<std::u16string> dialogs;
  auto names = [](HMODULE, LPCWSTR, LPWSTR name, LONG_PTR param) -> BOOL {
    reinterpret_cast<std::vector<std::u16string>*>(param)->push_back(IS_INTRESOURCE(name) ? u"#" : name);
    return TRUE;
  };
  ASSERT_TRUE(EnumResourceNamesW(module_, RT_DIALOG, names, reinterpret_cast<LONG_PTR>(&dialogs)));
  EXPECT_EQ(dialogs, (std::vector<std::u16string>{u"IDD_PAGE"}));
}

TEST_F(StringTable, AnsiStrings) {
  char buf[32];
  EXPECT_EQ(LoadStringA(module_, 100, buf, 32), 4);
  EXPECT_STREQ(buf, "Base");
  EXPECT_EQ(LoadStringA(module_, 100, buf, 3), 2);
  EXPECT_STREQ(buf, "Ba");
  EXPECT_EQ(LoadStringA(module_, 100, buf, 0), 0);
  // In code page 932 each of the four Japanese characters is two bytes; a character that
  // does not fit whole is left out.
  plat::Machine().userLcid = 0x0411;
  plat::Machine().ansiCodePage = 932;
  EXPECT_EQ(LoadStringA(module_, 101, buf, 32), 8);
  EXPECT_EQ(LoadStringA(module_, 101, buf, 4), 2);
  EXPECT_EQ(std::strlen(buf), 2u);
  plat::Machine().ansiCodePage = 1252;
  plat::Machine().userLcid = 0x0409;
}

TEST(ResourceModule, ModuleWithoutResources) {
  kovatest::TempRoot root;
  root.WriteFile(u"C:\\Drv\\Empty.rc", "// nothing\n");
  HMODULE h = LoadLibraryW(u"C:\\Drv\\Empty.dll");
  ASSERT_NE(h, nullptr);
  SetLastError(0);
  EXPECT_EQ(FindResourceW(h, MAKEINTRESOURCEW(1), RT_STRING), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_RESOURCE_DATA_NOT_FOUND);
  WCHAR buf[4] = u"abc";
  EXPECT_EQ(LoadStringW(h, 1, buf, 4), 0);
  EXPECT_EQ(buf[0], 0);
  FreeLibrary(h);
}

}  // namespace
