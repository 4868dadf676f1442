// Keys of one section written with one write of the file: the same file as writing them one
// by one.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "base/ini_files.h"
#include "base/ini_key_batch.h"
#include "test_root.h"
#include "win/errors.h"
#include "win/files.h"
#include "win/profile.h"

namespace kovatest {
namespace {

const char16_t* const kBatched = u"C:\\cfg\\batched.ini";
const char16_t* const kOneByOne = u"C:\\cfg\\one_by_one.ini";

struct Op {
  const char16_t* key;
  const char16_t* value;  // null removes the key
};

// Sets the keys of `ops` in `section` both through `batch` and key by key into kOneByOne.
void AddToBoth(IniKeyBatch& batch, const char16_t* section, std::initializer_list<Op> ops) {
  for (const Op& op : ops) {
    ASSERT_TRUE(batch.Add(op.key, op.value));
    ASSERT_TRUE(WriteIniString(section, op.key, op.value, kOneByOne));
  }
}

std::string Utf16File(const std::u16string& text) {
  std::string bytes = "\xFF\xFE";
  for (char16_t c : text) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  return bytes;
}

bool Exists(const TempRoot& root, const char16_t* path) {
  struct stat st {};
  return ::stat(root.HostPath(path).c_str(), &st) == 0;
}

TEST(IniKeyBatch, WritesTheSameFileAsOneWriteForEachKey) {
  struct Case {
    const char* what;
    const char* start;  // null: no file
    const char16_t* section;
    std::vector<Op> ops;
  };
  const Case cases[] = {
      {"a file that does not exist", nullptr, u"s", {{u"a", u"1"}, {u"b", u"2"}}},
      {"a section that does not exist", "[x]\r\nk=1\r\n", u"s", {{u"a", u"1"}, {u"b", u"2"}}},
      {"keys kept in place with the file's spelling, new ones appended",
       "[s]\r\nAlpha=1\r\nBeta=2\r\n[t]\r\nz=9\r\n",
       u"S",
       {{u"alpha", u"5"}, {u"gamma", u"3"}, {u"BETA", u"2"}, {u"Delta", u""}}},
      {"blank lines before the next section stay after the new keys", "[s]\r\na=1\r\n\r\n\r\n[t]\r\nz=9\r\n", u"s",
       {{u"b", u"2"}, {u"a", u"3"}}},
      {"keys removed, a missing one ignored", "[s]\r\na=1\r\nb=2\r\nc=3\r\n", u"s",
       {{u"b", nullptr}, {u"nothere", nullptr}, {u"d", u"4"}, {u"a", nullptr}}},
      {"a key given twice keeps the first place and the last value", "[s]\r\nx=0\r\n", u"s",
       {{u"a", u"1"}, {u"x", u"7"}, {u"A", u"2"}}},
      {"line breaks of a value become spaces", "[s]\r\na=1\r\n", u"s", {{u"a", u"x\r\ny"}, {u"b", u"\nz"}}},
      {"comments and a key without a value", "[s]\r\n;note\r\nflag\r\na=1\r\n", u"s",
       {{u"flag", u"1"}, {u"b", u"2"}}},
      {"brackets in the section name", "[p,1,]\r\na=1\r\n", u"p[1]", {{u"a", u"2"}, {u"b", u"3"}}},
      {"the first of two sections of one name", "[s]\r\na=1\r\n[t]\r\n[s]\r\na=9\r\n", u"s",
       {{u"a", u"2"}, {u"b", u"3"}}},
      {"a value with blanks and quotes", "[s]\r\na=1\r\n", u"s", {{u"a", u" \"q\" "}, {u"b", u"'x'"}}},
      {"nothing changes", "[s]\r\na=1\r\nb=2\r\n", u"s", {{u"a", u"1"}, {u"B", u"2"}, {u"c", nullptr}}},
      {"only removals in a missing file", nullptr, u"s", {{u"a", nullptr}}},
      {"only removals in a missing section", "[t]\r\nz=9\r\n", u"s", {{u"a", nullptr}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempRoot root;
    root.WriteFile(u"C:\\cfg\\keep.txt", "");
    if (c.start) {
      root.WriteFile(kBatched, c.start);
      root.WriteFile(kOneByOne, c.start);
    }
    IniKeyBatch batch(kBatched, c.section);
    BOOL oneByOne = TRUE;
    for (const Op& op : c.ops) {
      EXPECT_TRUE(batch.Add(op.key, op.value));
      if (!WriteIniString(c.section, op.key, op.value, kOneByOne)) oneByOne = FALSE;
    }
    EXPECT_EQ(batch.Commit(), oneByOne);
    EXPECT_EQ(Exists(root, kBatched), Exists(root, kOneByOne));
    EXPECT_EQ(root.ReadFile(kBatched), root.ReadFile(kOneByOne));
  }
}

TEST(IniKeyBatch, AUtf16FileStaysUtf16) {
  TempRoot root;
  const std::string start = Utf16File(u"[s]\r\na=1\r\n[t]\r\nz=\u00e9\r\n");
  root.WriteFile(kBatched, start);
  root.WriteFile(kOneByOne, start);
  IniKeyBatch batch(kBatched, u"s");
  AddToBoth(batch, u"s", {Op{u"a", u"\u00fc"}, Op{u"b", u"2"}});
  if (HasFatalFailure()) return;
  ASSERT_TRUE(batch.Commit());
  EXPECT_EQ(root.ReadFile(kBatched), root.ReadFile(kOneByOne));
  EXPECT_EQ(root.ReadFile(kBatched).substr(0, 2), "\xFF\xFE");
}

TEST(IniKeyBatch, NothingChangedWritesNothing) {
  TempRoot root;
  root.WriteFile(kBatched, "[s]\r\na=1\r\n");
  struct stat before {};
  ASSERT_EQ(::stat(root.HostPath(kBatched).c_str(), &before), 0);
  IniKeyBatch batch(kBatched, u"s");
  ASSERT_TRUE(batch.Add(u"A", u"1"));
  ASSERT_TRUE(batch.Add(u"b", nullptr));
  EXPECT_TRUE(batch.Commit());
  struct stat after {};
  ASSERT_EQ(::stat(root.HostPath(kBatched).c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);  // not replaced
  // A commit without keys succeeds and writes nothing either.
  EXPECT_TRUE(batch.Commit());
  IniKeyBatch empty(u"C:\\cfg\\none.ini", u"s");
  EXPECT_TRUE(empty.Commit());
  EXPECT_FALSE(Exists(root, u"C:\\cfg\\none.ini"));
}

TEST(IniKeyBatch, OtherSectionsStayByteForByteAndValuesMatchForHandWrittenLines) {
  TempRoot root;
  const std::string start =
      "; head\n[before]\n  x = 1  \n\n[s]\n a = 1 \n\n;c\nb=2\n\n[after]\nname = \"v\" \n";
  root.WriteFile(kBatched, start);
  root.WriteFile(kOneByOne, start);
  IniKeyBatch batch(kBatched, u"s");
  AddToBoth(batch, u"s", {Op{u"b", u"3"}, Op{u"c", u"4"}});
  if (HasFatalFailure()) return;
  ASSERT_TRUE(batch.Commit());
  const std::string text = root.ReadFile(kBatched);
  EXPECT_EQ(text.substr(0, 27), start.substr(0, 27));  // "; head" and [before] as they were
  EXPECT_NE(text.find("[after]\nname = \"v\" \n"), std::string::npos);
  for (const char16_t* key : {u"a", u"b", u"c", u"d"}) {
    WCHAR batched[32] = {}, single[32] = {};
    ReadIniString(u"s", key, u"<none>", batched, 32, kBatched);
    ReadIniString(u"s", key, u"<none>", single, 32, kOneByOne);
    EXPECT_EQ(std::u16string(batched), std::u16string(single));
  }
  WCHAR keys[64] = {}, singleKeys[64] = {};
  const DWORD n = GetPrivateProfileStringW(u"s", nullptr, u"", keys, 64, kBatched);
  const DWORD m = GetPrivateProfileStringW(u"s", nullptr, u"", singleKeys, 64, kOneByOne);
  EXPECT_EQ(std::u16string(keys, n), std::u16string(singleKeys, m));  // same keys in the same order
}

TEST(IniKeyBatch, ASectionLargerThanTheFirstReadIsMergedWhole) {
  TempRoot root;
  std::string start = "[s]\r\n";
  for (int i = 0; i < 3000; ++i) start += "Key" + std::to_string(i) + "=" + std::string(20, 'v') + "\r\n";
  start += "[t]\r\nz=9\r\n";
  root.WriteFile(kBatched, start);
  root.WriteFile(kOneByOne, start);
  IniKeyBatch batch(kBatched, u"s");
  AddToBoth(batch, u"s", {Op{u"key10", u"x"}, Op{u"Key2999", u"y"}, Op{u"new", u"z"}});
  if (HasFatalFailure()) return;
  ASSERT_TRUE(batch.Commit());
  EXPECT_EQ(root.ReadFile(kBatched), root.ReadFile(kOneByOne));
}

TEST(IniKeyBatch, AFileThatCannotBeReadIsNeverReplacedByTheKeysAlone) {
  TempRoot root;
  const std::string start = "[s]\r\na=1\r\nb=2\r\n";
  root.WriteFile(kBatched, start);
  HANDLE h = CreateFileW(kBatched, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  IniKeyBatch batch(kBatched, u"s");
  ASSERT_TRUE(batch.Add(u"c", u"3"));
  EXPECT_FALSE(batch.Commit());
  CloseHandle(h);
  EXPECT_EQ(root.ReadFile(kBatched), start);
  // The next commit starts afresh.
  ASSERT_TRUE(batch.Add(u"c", u"3"));
  EXPECT_TRUE(batch.Commit());
  EXPECT_EQ(root.ReadFile(kBatched), start + "c=3\r\n");
}

}  // namespace
}  // namespace kovatest
