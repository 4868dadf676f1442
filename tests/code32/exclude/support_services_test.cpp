// The settings API's support services: tests of caller input, fixed tables, API keys,
// paths and fonts.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "api_printer.h"
#include "api_tables.h"
#include "constrix_fixture.h"
#include "input_tests.h"
#include "job_control_once.h"
#include "plat/system.h"
#include "win/files.h"
#include "win/kernel.h"
#include "win/profile.h"
#include "win/paint.h"
#include "win/registry.h"
#include "win/spool.h"
#include "build_paths.h"

namespace kovatest {
namespace support_services_test {
namespace {

// The text in a buffer of exactly its own bytes and its NUL, so that a read past the end is
// caught by the sanitizers.
std::vector<char> Exact(const std::string& text) { return std::vector<char>(text.c_str(), text.c_str() + text.size() + 1); }

class InputTexts : public ::testing::Test {
 protected:
  void SetUp() override { plat::Machine().ansiCodePage = 932; }
  void TearDown() override { plat::Machine().ansiCodePage = 1252; }
};

TEST_F(InputTexts, FileNameTextRefusesSeparatorsAndSkipsDoubleByteCharacters) {
  struct Case {
    std::string text;
    int allowBackslash;
    int answer;
  };
  const Case cases[] = {
      {"plain.kpo", 0, 1},     {"a/b", 1, 0},           {"a:b", 1, 0},          {"a;b", 1, 0},
      {"a,b", 1, 0},           {"a*b", 1, 0},           {"a?b", 1, 0},          {"a\"b", 1, 0},
      {"a<b", 1, 0},           {"a>b", 1, 0},           {"a|b", 1, 0},          {"dir\\name", 1, 1},
      {"dir\\name", 0, 0},     {"\x95\x5C", 0, 1},      // a trail byte 0x5C is no backslash
      {"ab\x95", 0, 1},        // a lead byte just before the end ends the text
      {"\x95", 1, 1},          {"", 0, 1},
  };
  for (const Case& c : cases) {
    std::vector<char> text = Exact(c.text);
    EXPECT_EQ(IsFileNameText(text.data(), c.allowBackslash), c.answer) << c.text;
  }
  EXPECT_EQ(IsFileNameText(nullptr, 1), 0);
}

TEST_F(InputTexts, ContainsCharLooksOutsideDoubleByteCharactersOnly) {
  struct Case {
    std::string text;
    char character;
    int answer;
  };
  const Case cases[] = {{"a\\b", '\\', 1}, {"\x95\x5C", '\\', 0}, {"\x95\x5C\\", '\\', 1},
                        {"ab\x95", 'x', 0}, {"ab\x95", 'b', 1},   {"", 'a', 0}};
  for (const Case& c : cases) {
    std::vector<char> text = Exact(c.text);
    EXPECT_EQ(ContainsChar(text.data(), c.character), c.answer) << c.text;
  }
}

TEST_F(InputTexts, OverlayFileNames) {
  struct Case {
    const char* path;
    int answer;
  };
  const Case cases[] = {{"C:\\forms\\Letter.KPO", 1}, {"C:\\forms\\letter.kpo", 1}, {"letter.Kpo", 1},
                        {"\\\\server\\share\\f.kpo", 1}, {"C:\\forms\\", 0},         {"C:\\forms\\.kpo", 1},
                        {"C:\\forms\\letter.kp", 0},   {"C:\\forms\\let:ter.kpo", 0}, {"C:\\fo*rms\\a.kpo", 0},
                        {"C:\\forms\\letter", 0},      {"C:\\a.kpo\\b", 0},            {"", 0}};
  for (const Case& c : cases) EXPECT_EQ(IsOverlayFileName(c.path), c.answer) << c.path;
  EXPECT_EQ(IsOverlayFileName(nullptr), 0);
}

TEST(ApiTables, ColourAdjustmentVariantsAndWatermarkColours) {
  struct Case {
    WORD field;
    DWORD kind;
    WORD answer;
  };
  for (const Case& c : {Case{133, 1, 962}, Case{150, 1, 150}, Case{137, 0, 967}, Case{137, 2, 969},
                        Case{163, 1, 1059}, Case{143, 2, 987}, Case{133, 3, 133}})
    EXPECT_EQ(AdjustVariantField(nullptr, c.field, c.kind), c.answer) << c.field << " " << c.kind;
  const WatermarkColour* magenta = FindWatermarkColour(0x105);
  ASSERT_NE(magenta, nullptr);
  EXPECT_EQ(magenta->red, 255);
  EXPECT_EQ(magenta->green, 0);
  EXPECT_EQ(magenta->blue, 255);
  EXPECT_EQ(FindWatermarkColour(7), nullptr);
  DWORD count = 0;
  const DWORD* trays = GetTrayIdList(&count);
  ASSERT_EQ(count, 32u);
  EXPECT_EQ(trays[13], 0x12Au);
  EXPECT_EQ(trays[29], 0x11Eu);
  const DWORD* methods = GetPrintMethodValues(&count);
  ASSERT_EQ(count, 4u);
  EXPECT_EQ(methods[3], 0x80u);
  for (DWORD kind : {0u, 4u, 0xFFFFFFFFu}) EXPECT_EQ(IsRecordKind1To3(kind), 0) << kind;
  for (DWORD kind : {1u, 2u, 3u}) EXPECT_EQ(IsRecordKind1To3(kind), 1) << kind;
}

TEST(JobControlOnce, ItemCapacities) {
  struct Case {
    DWORD item;
    DWORD bytes;
  };
  for (const Case& c : {Case{1, 18}, Case{2, 34}, Case{3, 18}, Case{5, 34}, Case{6, 130}, Case{7, 18}, Case{8, 18},
                        Case{9, 258}, Case{10, 2}, Case{0, 2}})
    EXPECT_EQ(JobControlItemCapacity(c.item), c.bytes) << c.item;
}

class ApiSupport : public ApiPrinterTest {};

TEST_F(ApiSupport, ApiKeysComeFromTheSecondModelIniOfTheDriver) {
  InstallApiPrinter();
  WriteApiVersion(12, 0x205);
  EXPECT_EQ(ReadApiIniInt(kPrinter, u"KOVAAPI", u"KOVAAPIVer"), 12);
  EXPECT_EQ(ReadApiIniInt(kPrinter, u"KOVAAPI", u"Missing"), -1);
  EXPECT_EQ(ReadApiFunctionBits(kPrinter), 0x205u);
  WriteApiVersion(12);
  EXPECT_EQ(ReadApiFunctionBits(kPrinter), 0u);
  HANDLE printer = Open(u"Api Sample");
  WCHAR path[MAX_PATH] = {};
  GetModelIniPath(printer, path, MAX_PATH);
  EXPECT_EQ(std::u16string(path), u"C:\\drv\\Dorvale2.ini");
  GetPrinterDriverDirectory(printer, path, MAX_PATH);
  EXPECT_EQ(std::u16string(path), u"C:\\drv\\");
  // Without a printer the bare name is all there is.
  GetModelIniPath(nullptr, path, MAX_PATH);
  EXPECT_EQ(std::u16string(path), u"Dorvale2.ini");
}

TEST_F(ApiSupport, FullPathOfAFileWhoseFolderIsMissingLeavesNothingBehind) {
  root_.WriteFile(u"C:\\work\\keep.txt", "x");
  char out[MAX_PATH] = {};
  ASSERT_EQ(MakeFullPathForApi("C:\\work\\newdir\\overlay.kpo", out), 1);
  EXPECT_STREQ(out, "C:\\work\\newdir\\overlay.kpo");
  EXPECT_EQ(GetFileAttributesW(u"C:\\work\\newdir\\overlay.kpo"), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetFileAttributesW(u"C:\\work\\newdir"), INVALID_FILE_ATTRIBUTES);
  // An existing file is left as it is.
  ASSERT_EQ(MakeFullPathForApi("C:\\work\\keep.txt", nullptr), 1);
  EXPECT_NE(GetFileAttributesW(u"C:\\work\\keep.txt"), INVALID_FILE_ATTRIBUTES);
  // Two missing folder levels: not made.
  EXPECT_EQ(MakeFullPathForApi("C:\\work\\a\\b\\c.kpo", out), 0);
  EXPECT_EQ(GetFileAttributesW(u"C:\\work\\a"), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(MakeFullPathForApi(nullptr, out), 0);
}

TEST_F(ApiSupport, UsableFilePathsByKind) {
  root_.WriteFile(u"C:\\forms\\letter.kpo", "overlay");
  EXPECT_EQ(IsUsableFilePath(nullptr, 3, "C:\\forms\\letter.kpo"), 1);
  EXPECT_EQ(IsUsableFilePath(nullptr, 3, "C:\\forms\\missing.kpo"), 0);
  EXPECT_EQ(IsUsableFilePath(nullptr, 3, "forms\\letter.kpo"), 0);  // not absolute
  EXPECT_EQ(IsUsableFilePath(nullptr, 2, "C:\\forms\\letter.kpo"), 0);  // no bitmap
  EXPECT_EQ(IsUsableFilePath(nullptr, 1, "C:\\forms\\letter.kpo"), 0);
}

void InstallFonts(const std::vector<std::u16string>& names) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts", 0, nullptr,
                            0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            0);
  for (const std::u16string& name : names) {
    const WCHAR file[] = u"font.ttf";
    RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(file), sizeof file);
  }
  RegCloseKey(key);
}

TEST_F(ApiSupport, InstalledFontsAreTheTrueTypeFamiliesOfTheSystem) {
  InstallFonts({u"Arial (TrueType)", u"Arial Bold (TrueType)", u"@MS Mincho (TrueType)",
                u"MS Gothic & MS UI Gothic (TrueType)", u"Courier 10,12,15", u"Segoe (OpenType)"});
  struct Case {
    const char* face;
    int installed;
  };
  for (const Case& c : {Case{"Arial", 1}, Case{"arial", 1}, Case{"MS UI Gothic", 1}, Case{"MS Gothic", 1},
                        Case{"Segoe", 1}, Case{"@MS Mincho", 0}, Case{"Courier 10,12,15", 0}, Case{"Times", 0},
                        Case{"", 0}})
    EXPECT_EQ(IsFontInstalled(nullptr, c.face), c.installed) << c.face;
}

TEST_F(ApiSupport, DocumentPropertiesAsksThePrintersInterfaceLibrary) {
  HANDLE printer = InstallApiPrinter();
  WCHAR name[] = u"Api Sample";
  EXPECT_EQ(DocumentPropertiesW(nullptr, printer, name, nullptr, nullptr, 0), 1236);
  EXPECT_EQ(DocumentPropertiesW(nullptr, nullptr, name, nullptr, nullptr, 0), -1);
  std::filesystem::remove(root_.HostPath(u"C:\\drv") + "/Panelis.so");
  EXPECT_EQ(DocumentPropertiesW(nullptr, printer, name, nullptr, nullptr, 0), -1);
}

}  // namespace
}  // namespace support_services_test
}  // namespace kovatest

namespace kovatest {
namespace support_services_test {
namespace {

class JobControlOnceLibrary : public ApiPrinterTest {
 protected:
  void SetUp() override {
    ApiPrinterTest::SetUp();
    WCHAR system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    const std::string folder = root_.HostPath(system);
    std::filesystem::create_directories(folder);
    std::filesystem::copy_file(kovatest::BuiltFile("Jobcora32"), folder + "/Jobcora32.so",
                               std::filesystem::copy_options::overwrite_existing);
  }
};

TEST_F(JobControlOnceLibrary, AValueLongerThanItsSlotIsCutAndEnded) {
  HANDLE printer = InstallApiPrinter();
  // The library keeps items only for printers it has prepared.
  WCHAR windows[MAX_PATH] = {};
  GetWindowsDirectoryW(windows, MAX_PATH);
  WritePrivateProfileStringW(u"Api Sample", u"Prepared", u"1", (std::u16string(windows) + u"\\Jobcora32.ini").c_str());
  const std::u16string value = u"ABCDEFGHIJKLMNOPQRST";
  ASSERT_EQ(WriteJobControlItemOnce(printer, 1, 1, value.c_str(), static_cast<DWORD>((value.size() + 1) * 2)), 1);
  // Item 1 holds 18 bytes: eight characters and the NUL, in a buffer of exactly that size.
  std::vector<WCHAR> slot(9, u'#');
  ASSERT_EQ(ReadJobControlItemOnce(printer, 1, 1, slot.data()), 1);
  EXPECT_EQ(std::u16string(slot.data()), u"ABCDEFGH");
  // A value that fits is read whole.
  const std::u16string name = u"alice";
  ASSERT_EQ(WriteJobControlItemOnce(printer, 9, 1, name.c_str(), static_cast<DWORD>((name.size() + 1) * 2)), 1);
  std::vector<WCHAR> user(129, u'#');
  ASSERT_EQ(ReadJobControlItemOnce(printer, 9, 1, user.data()), 1);
  EXPECT_EQ(std::u16string(user.data()), name);
  // An item never written is not there.
  std::vector<WCHAR> owner(17, u'#');
  EXPECT_EQ(ReadJobControlItemOnce(printer, 2, 1, owner.data()), 0);
}

}  // namespace
}  // namespace support_services_test
}  // namespace kovatest
