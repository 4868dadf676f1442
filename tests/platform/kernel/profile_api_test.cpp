#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <thread>
#include <vector>

#include "win/files.h"
#include "plat/system.h"
#include "test_root.h"
#include "win/errors.h"
#include "win/profile.h"

namespace profile_api_test {

namespace {

const char16_t* const kIni = u"C:\\cfg\\test.ini";

const char kSample[] =
    "; leading comment\r\n"
    "[General]\r\n"
    "Name = Kova Printer  \r\n"
    "Quoted=\"  spaced  \"\r\n"
    "Single='x'\r\n"
    "Half=\"open\r\n"
    "Empty=\r\n"
    "NoEquals\r\n"
    "; comment inside\r\n"
    "Count=42\r\n"
    "\r\n"
    "[  Other Section ]\r\n"
    "key=other\r\n"
    "[general]\r\n"
    "Name=second copy\r\n";

std::u16string ListOf(const WCHAR* buf, DWORD n) { return std::u16string(buf, n); }
// A literal with its embedded NULs (without the one the compiler adds).
template <std::size_t N>
std::u16string Lit(const char16_t (&s)[N]) {
  return std::u16string(s, N - 1);
}

class ProfileTest : public ::testing::Test {
 protected:
  void SetUp() override { root_.WriteFile(kIni, kSample); }
  std::string FileText() const { return root_.ReadFile(kIni); }
  kovatest::TempRoot root_;
};

struct ReadCase {
  const char16_t* app;
  const char16_t* key;
  const char16_t* def;
  DWORD size;
  const char16_t* text;
  DWORD ret;
};

TEST_F(ProfileTest, ReadsValuesAndDefaults) {
  const ReadCase cases[] = {
      {u"General", u"Name", u"d", 64, u"Kova Printer", 12},       // blanks trimmed
      {u"GENERAL", u"name", u"d", 64, u"Kova Printer", 12},       // names ignore case
      {u"  Other Section ", u"KEY", u"d", 64, u"d", 1},            // section name compared as given
      {u"Other Section", u"KEY", u"d", 64, u"other", 5},
      {u"General", u"Quoted", u"d", 64, u"  spaced  ", 10},        // enclosing quotes removed
      {u"General", u"Single", u"d", 64, u"x", 1},
      {u"General", u"Half", u"d", 64, u"\"open", 5},               // unmatched quote kept
      {u"General", u"Empty", u"d", 64, u"", 0},                    // present and empty: not the default
      {u"General", u"NoEquals", u"dflt", 64, u"dflt", 4},          // a line without '=' has no value
      {u"General", u"; comment inside", u"d", 64, u"d", 1},
      {u"General", u"Missing", u"def  \t", 64, u"def", 3},         // the default loses its trailing blanks
      {u"General", u"Missing", nullptr, 64, u"", 0},
      {u"Nowhere", u"Name", u"dd", 64, u"dd", 2},
      {u"Nowhere", nullptr, u"dd", 64, u"dd", 2},                  // missing section with a null key
      {u"General", u"Name", u"d", 5, u"Kova", 4},                  // cut: nSize - 1
      {u"General", u"Name", u"d", 1, u"", 0},
      {u"General", u"Missing", u"longdefault", 5, u"long", 4},
  };
  for (const auto& c : cases) {
    WCHAR buf[65];
    std::fill(std::begin(buf), std::end(buf), u'#');
    DWORD ret = GetPrivateProfileStringW(c.app, c.key, c.def, buf, c.size, kIni);
    EXPECT_EQ(ret, c.ret) << (c.key ? std::string(c.key, c.key + 3) : "null");
    EXPECT_EQ(std::u16string(buf), std::u16string(c.text));
    EXPECT_EQ(buf[c.size], u'#') << "wrote past the buffer";
  }
}

TEST_F(ProfileTest, SectionAndKeyLists) {
  WCHAR buf[128];
  DWORD n = GetPrivateProfileStringW(nullptr, nullptr, u"x", buf, 128, kIni);
  EXPECT_EQ(ListOf(buf, n + 1), Lit(u"General\0Other Section\0\0"));
  EXPECT_EQ(GetPrivateProfileSectionNamesW(buf, 128, kIni), n);

  n = GetPrivateProfileStringW(u"general", nullptr, u"x", buf, 128, kIni);
  EXPECT_EQ(ListOf(buf, n + 1),
            Lit(u"Name\0Quoted\0Single\0Half\0Empty\0Count\0\0"));

  // Cut lists end in two NULs and answer nSize - 2.
  std::fill(std::begin(buf), std::end(buf), u'#');
  n = GetPrivateProfileStringW(nullptr, nullptr, u"x", buf, 10, kIni);
  EXPECT_EQ(n, 8u);
  EXPECT_EQ(GetLastError(), ERROR_MORE_DATA);
  EXPECT_EQ(ListOf(buf, 11), Lit(u"General\0\0\0#"));
  // Tiny buffers are never overrun.
  std::fill(std::begin(buf), std::end(buf), u'#');
  EXPECT_EQ(GetPrivateProfileStringW(nullptr, nullptr, u"x", buf, 2, kIni), 0u);
  EXPECT_EQ(ListOf(buf, 3), Lit(u"\0\0#"));
  EXPECT_EQ(GetPrivateProfileStringW(nullptr, nullptr, u"x", buf, 1, kIni), 0u);
  EXPECT_EQ(buf[1], u'\0');
  EXPECT_EQ(GetPrivateProfileStringW(nullptr, nullptr, u"x", buf, 0, kIni), 0u);
  EXPECT_EQ(GetPrivateProfileStringW(u"General", u"Name", u"x", nullptr, 10, kIni), 0u);
}

TEST_F(ProfileTest, MissingFileBehavesLikeEmpty) {
  WCHAR buf[32];
  SetLastError(0);
  EXPECT_EQ(GetPrivateProfileStringW(u"a", u"b", u"dflt", buf, 32, u"C:\\cfg\\none.ini"), 4u);
  EXPECT_EQ(std::u16string(buf), u"dflt");
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  buf[1] = u'#';
  EXPECT_EQ(GetPrivateProfileStringW(nullptr, nullptr, u"dflt", buf, 32, u"C:\\cfg\\none.ini"), 0u);
  EXPECT_EQ(ListOf(buf, 2), Lit(u"\0\0"));
  EXPECT_EQ(GetPrivateProfileIntW(u"a", u"b", -7, u"C:\\nofolder\\none.ini"), static_cast<UINT>(-7));
  EXPECT_EQ(GetPrivateProfileSectionW(u"a", buf, 32, u"C:\\cfg\\none.ini"), 0u);
  EXPECT_EQ(buf[0], u'\0');
}

TEST_F(ProfileTest, IntegerConversion) {
  root_.WriteFile(u"C:\\cfg\\int.ini",
                  "[n]\r\na=42\r\nb=-5\r\nc=  102abc\r\nd=0x1F\r\ne=\r\nf=abc\r\ng=\"12\"\r\nh=+8\r\n");
  struct IntCase {
    const char16_t* key;
    INT def;
    UINT expect;
  } cases[] = {
      {u"a", 9, 42},  {u"b", 9, static_cast<UINT>(-5)}, {u"c", 9, 102}, {u"d", 9, 31},
      {u"e", 9, 9},   {u"f", 9, 0},                      {u"g", 9, 12},  {u"h", 9, 8},
      {u"zz", -1, static_cast<UINT>(-1)},
  };
  for (const auto& c : cases)
    EXPECT_EQ(GetPrivateProfileIntW(u"N", c.key, c.def, u"C:\\cfg\\int.ini"), c.expect)
        << std::string(c.key, c.key + 1);
  EXPECT_EQ(GetPrivateProfileIntA("n", "a", 0, "C:\\cfg\\int.ini"), 42u);
}

TEST_F(ProfileTest, WritesKeepTheRestOfTheFile) {
  // Update in place (the key keeps the case it has in the file), add to the first section
  // of that name before its trailing blank line, and add a new section at the end.
  ASSERT_TRUE(WritePrivateProfileStringW(u"GENERAL", u"COUNT", u"43", kIni));
  ASSERT_TRUE(WritePrivateProfileStringW(u"general", u"Added", u"new value", kIni));
  ASSERT_TRUE(WritePrivateProfileStringW(u"Fresh", u"k", u"v", kIni));
  std::string expect = kSample;
  expect.replace(expect.find("Count=42"), 8, "Count=43");
  expect.insert(expect.find("Count=43\r\n") + 10, "Added=new value\r\n");
  expect += "[Fresh]\r\nk=v\r\n";
  EXPECT_EQ(FileText(), expect);

  // A null value deletes the key, a null key the section (all sections of that name).
  ASSERT_TRUE(WritePrivateProfileStringW(u"General", u"added", nullptr, kIni));
  ASSERT_TRUE(WritePrivateProfileStringW(u"Fresh", nullptr, nullptr, kIni));
  ASSERT_TRUE(WritePrivateProfileStringW(u"General", nullptr, nullptr, kIni));
  EXPECT_EQ(FileText(), "; leading comment\r\n[  Other Section ]\r\nkey=other\r\n");
  // Deleting what is not there succeeds and changes nothing.
  EXPECT_TRUE(WritePrivateProfileStringW(u"General", u"x", nullptr, kIni));
  EXPECT_TRUE(WritePrivateProfileStringW(u"Nope", nullptr, nullptr, kIni));
  EXPECT_EQ(FileText(), "; leading comment\r\n[  Other Section ]\r\nkey=other\r\n");
  // The flush.
  EXPECT_TRUE(WritePrivateProfileStringW(nullptr, nullptr, nullptr, kIni));
  EXPECT_TRUE(WritePrivateProfileStringW(nullptr, nullptr, nullptr, nullptr));
}

TEST_F(ProfileTest, CreatesFilesAndRefusesMissingFolders) {
  const char16_t* path = u"C:\\cfg\\new.ini";
  ASSERT_TRUE(WritePrivateProfileStringW(u"S", u"k", u"v", path));
  EXPECT_EQ(root_.ReadFile(path), "[S]\r\nk=v\r\n");
  ASSERT_TRUE(WritePrivateProfileStringW(u"S", u"k2", u"v2", path));
  EXPECT_EQ(root_.ReadFile(path), "[S]\r\nk=v\r\nk2=v2\r\n");

  SetLastError(0);
  EXPECT_FALSE(WritePrivateProfileStringW(u"S", u"k", u"v", u"C:\\no\\such\\dir\\x.ini"));
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  EXPECT_FALSE(WritePrivateProfileStringW(nullptr, u"k", u"v", path));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  // Deleting from a missing file creates nothing.
  EXPECT_TRUE(WritePrivateProfileStringW(u"S", nullptr, nullptr, u"C:\\cfg\\ghost.ini"));
  struct stat st {};
  EXPECT_NE(::stat(root_.HostPath(u"C:\\cfg\\ghost.ini").c_str(), &st), 0);

  // A bare file name lives in the Windows directory.
  ASSERT_TRUE(WritePrivateProfileStringW(u"W", u"k", u"v", u"bare.ini"));
  EXPECT_EQ(root_.ReadFile(u"C:\\Windows\\bare.ini"), "[W]\r\nk=v\r\n");
  ASSERT_TRUE(WriteProfileStringW(u"windows", u"device", u"Kova,winspool,LPT1:"));
  WCHAR buf[64];
  EXPECT_EQ(GetProfileStringW(u"Windows", u"Device", u"", buf, 64), 19u);
  EXPECT_EQ(root_.ReadFile(u"C:\\Windows\\win.ini"), "[windows]\r\ndevice=Kova,winspool,LPT1:\r\n");
}

TEST_F(ProfileTest, ReadOnlyFileIsNotWritten) {
  ASSERT_EQ(::chmod(root_.HostPath(kIni).c_str(), 0444), 0);
  SetLastError(0);
  EXPECT_FALSE(WritePrivateProfileStringW(u"General", u"Count", u"1", kIni));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(FileText(), kSample);
}

TEST_F(ProfileTest, WindowsAttributesAreHonouredAndKept) {
  ASSERT_TRUE(SetFileAttributesW(kIni, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
  SetLastError(0);
  EXPECT_FALSE(WritePrivateProfileStringW(u"General", u"Count", u"1", kIni));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(FileText(), kSample);

  ASSERT_TRUE(SetFileAttributesW(kIni, FILE_ATTRIBUTE_HIDDEN));
  ASSERT_TRUE(WritePrivateProfileStringW(u"General", u"Count", u"1", kIni));
  // Still hidden, and marked for archiving.
  EXPECT_EQ(GetFileAttributesW(kIni), static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
}

TEST_F(ProfileTest, OpensThatDenySharingBlockTheCalls) {
  // An open that shares reading only: the profile calls read but cannot write.
  HANDLE h = CreateFileW(kIni, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  WCHAR buf[16];
  EXPECT_EQ(GetPrivateProfileStringW(u"General", u"Count", u"d", buf, 16, kIni), 2u);
  SetLastError(0);
  EXPECT_FALSE(WritePrivateProfileStringW(u"General", u"Count", u"1", kIni));
  EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
  CloseHandle(h);
  // An exclusive open: not even reading.
  h = CreateFileW(kIni, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetPrivateProfileStringW(u"General", u"Count", u"d", buf, 16, kIni), 1u);
  CloseHandle(h);
  EXPECT_TRUE(WritePrivateProfileStringW(u"General", u"Count", u"1", kIni));
  EXPECT_EQ(GetPrivateProfileIntW(u"General", u"Count", 0, kIni), 1u);
}

TEST_F(ProfileTest, ReadsSeeFilesRewrittenInPlace) {
  // Same size, same second: only the bytes tell the two versions apart.
  for (const char* value : {"1", "2", "3"}) {
    root_.WriteFile(kIni, std::string("[s]\r\nk=") + value + "\r\n");
    EXPECT_EQ(GetPrivateProfileIntW(u"s", u"k", 0, kIni), static_cast<UINT>(value[0] - '0'));
  }
  ASSERT_TRUE(WritePrivateProfileStringW(u"s", u"k", u"4", kIni));
  EXPECT_EQ(GetPrivateProfileIntW(u"s", u"k", 0, kIni), 4u);
  root_.WriteFile(kIni, "[s]\r\nk=5\r\n");
  EXPECT_EQ(GetPrivateProfileIntW(u"s", u"k", 0, kIni), 5u);
}

TEST_F(ProfileTest, LastLineWithoutLineEnd) {
  root_.WriteFile(kIni, "[a]\nx=1");
  ASSERT_TRUE(WritePrivateProfileStringW(u"a", u"y", u"2", kIni));
  ASSERT_TRUE(WritePrivateProfileStringW(u"b", u"z", u"3", kIni));
  EXPECT_EQ(FileText(), "[a]\nx=1\r\ny=2\r\n[b]\r\nz=3\r\n");
}

TEST_F(ProfileTest, SectionReadAndReplace) {
  WCHAR buf[256];
  DWORD n = GetPrivateProfileSectionW(u"general", buf, 256, kIni);
  EXPECT_EQ(ListOf(buf, n + 1), Lit(u"Name=Kova Printer\0Quoted=\"  spaced  \"\0Single='x'\0"
                                               u"Half=\"open\0Empty=\0NoEquals\0; comment inside\0Count=42\0\0"));
  std::fill(std::begin(buf), std::end(buf), u'#');
  EXPECT_EQ(GetPrivateProfileSectionW(u"general", buf, 8, kIni), 6u);
  EXPECT_EQ(ListOf(buf, 9), Lit(u"Name=K\0\0#"));
  std::fill(std::begin(buf), std::end(buf), u'#');
  EXPECT_EQ(GetPrivateProfileSectionW(u"general", buf, 1, kIni), 0u);
  EXPECT_EQ(ListOf(buf, 2), Lit(u"\0#"));
  EXPECT_EQ(GetPrivateProfileSectionW(u"general", buf, 2, kIni), 0u);
  EXPECT_EQ(ListOf(buf, 3), Lit(u"\0\0#"));
  EXPECT_EQ(GetPrivateProfileSectionW(u"general", nullptr, 100, kIni), 0u);
  char abuf[12];
  std::fill(std::begin(abuf), std::end(abuf), '#');
  EXPECT_EQ(GetPrivateProfileSectionA("General", abuf, 11, "C:\\cfg\\test.ini"), 9u);
  EXPECT_EQ(std::string(abuf, 12), std::string("Name=Kova\0\0#", 12));

  // Replace keeps the blank line before the next section and the other sections.
  ASSERT_TRUE(WritePrivateProfileSectionW(u"GENERAL", u"a=1\0b=2\0\0", kIni));
  std::string expect = std::string("; leading comment\r\n[General]\r\na=1\r\nb=2\r\n\r\n") +
                       "[  Other Section ]\r\nkey=other\r\n[general]\r\nName=second copy\r\n";
  EXPECT_EQ(FileText(), expect);
  ASSERT_TRUE(WritePrivateProfileSectionW(u"New", u"k=v\0\0", kIni));
  ASSERT_TRUE(WritePrivateProfileSectionW(u"Other Section", u"\0", kIni));
  expect = std::string("; leading comment\r\n[General]\r\na=1\r\nb=2\r\n\r\n") +
           "[  Other Section ]\r\n[general]\r\nName=second copy\r\n[New]\r\nk=v\r\n";
  EXPECT_EQ(FileText(), expect);
  ASSERT_TRUE(WritePrivateProfileSectionW(u"general", nullptr, kIni));
  EXPECT_EQ(FileText(), "; leading comment\r\n[  Other Section ]\r\n[New]\r\nk=v\r\n");
}

TEST_F(ProfileTest, CodePage932Text) {
  plat::Machine().ansiCodePage = 932;
  // "日本" = 93 FA 96 7B; "表" = 95 5C (trail byte is '\').
  root_.WriteFile(kIni, "[\x93\xFA\x96\x7B]\r\n\x95\x5C=\x93\xFA\x96\x7B\x95\x5C\r\n");
  WCHAR buf[16];
  EXPECT_EQ(GetPrivateProfileStringW(u"日本", u"表", u"", buf, 16, kIni), 3u);
  EXPECT_EQ(std::u16string(buf), u"日本表");
  ASSERT_TRUE(WritePrivateProfileStringW(u"日本", u"新", u"表", kIni));
  EXPECT_EQ(FileText(), "[\x93\xFA\x96\x7B]\r\n\x95\x5C=\x93\xFA\x96\x7B\x95\x5C\r\n\x90\x56=\x95\x5C\r\n");
  // The ANSI form cuts between characters, never inside one.
  char abuf[8];
  std::fill(std::begin(abuf), std::end(abuf), '#');
  EXPECT_EQ(GetPrivateProfileStringA("\x93\xFA\x96\x7B", "\x95\x5C", "", abuf, 4, "C:\\cfg\\test.ini"), 3u);
  EXPECT_EQ(std::string(abuf), "\x93\xFA");
  EXPECT_EQ(abuf[4], '#');
}

TEST_F(ProfileTest, Utf16FilesStayUtf16) {
  std::u16string text = u"[Uni]\r\nname=Ωmega\r\n";
  std::string bytes = "\xFF\xFE";
  for (char16_t c : text) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  root_.WriteFile(kIni, bytes);
  WCHAR buf[16];
  EXPECT_EQ(GetPrivateProfileStringW(u"uni", u"NAME", u"", buf, 16, kIni), 5u);
  EXPECT_EQ(std::u16string(buf), u"Ωmega");
  ASSERT_TRUE(WritePrivateProfileStringW(u"Uni", u"more", u"Ж", kIni));
  std::string expect = bytes;
  for (char16_t c : std::u16string(u"more=Ж\r\n")) {
    expect.push_back(static_cast<char>(c & 0xFF));
    expect.push_back(static_cast<char>(c >> 8));
  }
  EXPECT_EQ(FileText(), expect);
}

TEST_F(ProfileTest, AnsiCallsConvert) {
  ASSERT_TRUE(WritePrivateProfileStringA("Sect", "K\xE9y", "caf\xE9", "C:\\cfg\\test.ini"));
  WCHAR buf[16];
  EXPECT_EQ(GetPrivateProfileStringW(u"sect", u"kéy", u"", buf, 16, kIni), 4u);
  EXPECT_EQ(std::u16string(buf), u"café");
  char abuf[16];
  EXPECT_EQ(GetPrivateProfileStringA("SECT", "K\xC9Y", "", abuf, 16, "C:\\cfg\\test.ini"), 4u);
  EXPECT_EQ(std::string(abuf), "caf\xE9");
}

TEST_F(ProfileTest, ConcurrentWritersLoseNothing) {
  const char16_t* path = u"C:\\cfg\\shared.ini";
  constexpr int kKeys = 40;
  auto writeKeys = [&](const std::u16string& prefix) {
    for (int i = 0; i < kKeys; ++i) {
      std::u16string key = prefix;
      for (char c : std::to_string(i)) key.push_back(static_cast<char16_t>(c));
      if (!WritePrivateProfileStringW(u"Shared", key.c_str(), u"v", path)) return false;
    }
    return true;
  };
  // Two processes and, in this one, two threads, all writing different keys at once.
  std::vector<pid_t> children;
  for (const char16_t* prefix : {u"procA", u"procB"}) {
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) ::_exit(writeKeys(prefix) ? 0 : 1);
    children.push_back(pid);
  }
  bool t1 = false, t2 = false;
  std::thread a([&] { t1 = writeKeys(u"thrA"); });
  std::thread b([&] { t2 = writeKeys(u"thrB"); });
  a.join();
  b.join();
  EXPECT_TRUE(t1 && t2);
  for (pid_t pid : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  std::vector<WCHAR> buf(8192);
  DWORD n = GetPrivateProfileStringW(u"Shared", nullptr, u"", buf.data(), 8192, path);
  int count = 0;
  for (DWORD i = 0; i < n; ++i) count += buf[i] == 0;
  EXPECT_EQ(count, 4 * kKeys);
  // Only one section header was written.
  n = GetPrivateProfileSectionNamesW(buf.data(), 8192, path);
  EXPECT_EQ(ListOf(buf.data(), n + 1), Lit(u"Shared\0\0"));
}

}  // namespace

}  // namespace profile_api_test
