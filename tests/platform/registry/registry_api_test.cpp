#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "plat/registry_store.h"
#include "plat/system.h"
#include "test_root.h"
#include "win/errors.h"
#include "win/registry.h"

namespace registry_api_test {

namespace {

std::vector<BYTE> Bytes(std::initializer_list<int> v) {
  std::vector<BYTE> out;
  for (int b : v) out.push_back(static_cast<BYTE>(b));
  return out;
}

std::vector<BYTE> Wide(std::u16string_view s) {
  std::vector<BYTE> out;
  for (char16_t c : s) {
    out.push_back(static_cast<BYTE>(c & 0xFF));
    out.push_back(static_cast<BYTE>(c >> 8));
  }
  return out;
}
template <std::size_t N>
std::vector<BYTE> WideLit(const char16_t (&s)[N]) {  // with every NUL of the literal
  return Wide(std::u16string_view(s, N));
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// Runs f in a child process; its answer is the child's exit code.
template <class F>
int InChild(F f) {
  pid_t pid = ::fork();
  if (pid == 0) ::_exit(f());
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\VANTE\\KovaDrv", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &key_, nullptr),
              0);
  }
  void TearDown() override { RegCloseKey(key_); }
  kovatest::TempRoot root_;
  HKEY key_ = nullptr;
};

struct TypeCase {
  const char16_t* name;
  DWORD type;
  std::vector<BYTE> data;
  const char* stored;  // the value's line in the hive file
};

TEST_F(RegistryTest, EveryTypeRoundTripsExactly) {
  const TypeCase cases[] = {
      {u"Text", REG_SZ, WideLit(u"C:\\_kova \"x\""), "\"Text\"=sz:\"C:\\\\_kova \\\"x\\\"\""},
      {u"Path", REG_EXPAND_SZ, WideLit(u"%WINDIR%\\temp"), "\"Path\"=expand_sz:\"%WINDIR%\\\\temp\""},
      {u"List", REG_MULTI_SZ, WideLit(u"a\0b\0"), "\"List\"=multi_sz:\"a\\0b\\0\""},
      {u"Size", REG_DWORD, Bytes({0x40, 0, 0, 0}), "\"Size\"=dword:00000040"},
      {u"Big", REG_QWORD, Bytes({1, 2, 3, 4, 5, 6, 7, 8}), "\"Big\"=qword:0807060504030201"},
      {u"Blob", REG_BINARY, Bytes({0, 0xFF, 0x10}), "\"Blob\"=hex:00,ff,10"},
      {u"Odd", REG_SZ, Bytes({0x41, 0, 0x42}), "\"Odd\"=hex(1):41,00,42"},  // no terminator, odd size
      {u"Short", REG_DWORD, Bytes({1, 2}), "\"Short\"=hex(4):01,02"},
      {u"", REG_SZ, WideLit(u"default \u00e9\U0001F600"), "@=sz:\"default \xc3\xa9\xf0\x9f\x98\x80\""},
      {u"Lone", REG_SZ, Wide(std::u16string(u"\xD800\x01", 2) + u'\0'), "\"Lone\"=sz:\"\\ud800\\u0001\""},
      {u"Empty", REG_NONE, {}, "\"Empty\"=hex(0):"},
      {u"Own", 0x1234, Bytes({9}), "\"Own\"=hex(4660):09"},
  };
  for (const auto& c : cases)
    ASSERT_EQ(RegSetValueExW(key_, c.name, 0, c.type, c.data.data(), static_cast<DWORD>(c.data.size())), 0);

  auto check = [&](HKEY key) {
    for (const auto& c : cases) {
      DWORD type = 99, size = 0;
      EXPECT_EQ(RegQueryValueExW(key, c.name, nullptr, &type, nullptr, &size), 0);
      EXPECT_EQ(type, c.type);
      EXPECT_EQ(size, c.data.size());
      std::vector<BYTE> got(size + 4, 0xEE);
      DWORD room = size;
      EXPECT_EQ(RegQueryValueExW(key, c.name, nullptr, &type, got.data(), &room), 0);
      got.resize(size);
      EXPECT_EQ(got, c.data);
    }
  };
  check(key_);
  std::string text = ReadText(plat::registry::HiveFilePath(plat::registry::Hive::Machine));
  for (const auto& c : cases) EXPECT_NE(text.find(std::string(c.stored) + "\n"), std::string::npos) << c.stored;

  // A fresh process reads the same values from the file.
  EXPECT_EQ(InChild([&] {
              HKEY k = nullptr;
              if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"software\\vante\\kovadrv", 0, KEY_READ, &k) != 0) return 2;
              check(k);
              RegCloseKey(k);
              return ::testing::Test::HasFailure() ? 1 : 0;
            }),
            0);
}

TEST_F(RegistryTest, QuerySizeProtocol) {
  std::vector<BYTE> text = WideLit(u"abc");  // 8 bytes with the NUL
  ASSERT_EQ(RegSetValueExW(key_, u"Name", 0, REG_SZ, text.data(), 8), 0);
  DWORD type = 0, size = 0;
  BYTE buf[16];

  EXPECT_EQ(RegQueryValueExW(key_, u"Missing", nullptr, &type, nullptr, &size), static_cast<LONG>(ERROR_FILE_NOT_FOUND));
  size = 3;
  std::fill(std::begin(buf), std::end(buf), 0xEE);
  EXPECT_EQ(RegQueryValueExW(key_, u"NAME", nullptr, &type, buf, &size), static_cast<LONG>(ERROR_MORE_DATA));
  EXPECT_EQ(size, 8u);
  EXPECT_EQ(type, REG_SZ);
  EXPECT_EQ(buf[0], 0xEE);
  size = 8;
  EXPECT_EQ(RegQueryValueExW(key_, u"name", nullptr, nullptr, buf, &size), 0);
  EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(buf)), u"abc");
  EXPECT_EQ(RegQueryValueExW(key_, u"name", nullptr, nullptr, buf, nullptr), static_cast<LONG>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(RegQueryValueExW(key_, u"name", nullptr, nullptr, nullptr, nullptr), 0);  // exists

  // A string stored without its terminator is terminated in a roomy buffer, not counted.
  std::vector<BYTE> bare = Wide(u"xy");
  ASSERT_EQ(RegSetValueExW(key_, u"Bare", 0, REG_SZ, bare.data(), 4), 0);
  std::fill(std::begin(buf), std::end(buf), 0xEE);
  size = sizeof buf;
  EXPECT_EQ(RegQueryValueExW(key_, u"Bare", nullptr, nullptr, buf, &size), 0);
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(buf)), u"xy");

  // The ANSI form answers bytes of the code page.
  std::vector<BYTE> accented = WideLit(u"caf\u00e9");
  ASSERT_EQ(RegSetValueExW(key_, u"Word", 0, REG_SZ, accented.data(), 10), 0);
  size = 0;
  EXPECT_EQ(RegQueryValueExA(key_, "WORD", nullptr, &type, nullptr, &size), 0);
  EXPECT_EQ(size, 5u);
  char abuf[8];
  size = sizeof abuf;
  EXPECT_EQ(RegQueryValueExA(key_, "word", nullptr, nullptr, reinterpret_cast<BYTE*>(abuf), &size), 0);
  EXPECT_EQ(std::string(abuf), "caf\xE9");

  EXPECT_EQ(RegSetValueExW(key_, u"Null", 0, REG_BINARY, nullptr, 4), static_cast<LONG>(ERROR_NOACCESS));
  EXPECT_EQ(RegSetValueExW(key_, u"Null", 0, REG_BINARY, nullptr, 0), 0);
}

TEST_F(RegistryTest, CreateOpenAndNames) {
  HKEY a = nullptr, b = nullptr;
  DWORD disp = 0;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\VANTE\\JOBCODE\\", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &a, &disp),
            0);
  EXPECT_EQ(disp, REG_CREATED_NEW_KEY);
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"SOFTWARE\\vante\\jobcode", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &b,
                            &disp),
            0);
  EXPECT_EQ(disp, REG_OPENED_EXISTING_KEY);
  DWORD one = 1;
  ASSERT_EQ(RegSetValueExW(a, u"JCUserName", 0, REG_DWORD, reinterpret_cast<BYTE*>(&one), 4), 0);
  DWORD got = 0, size = 4;
  EXPECT_EQ(RegQueryValueExW(b, u"jcusername", nullptr, nullptr, reinterpret_cast<BYTE*>(&got), &size), 0);
  EXPECT_EQ(got, 1u);
  // The names keep the case they were created with.
  EXPECT_EQ(plat::registry::DumpKey(HKEY_CURRENT_USER, u"software"),
            "[" + std::string("S-1-5-21-1004336348-1177238915-682003330-1001") +
                "\\Software]\n[S-1-5-21-1004336348-1177238915-682003330-1001\\Software\\VANTE]\n"
                "[S-1-5-21-1004336348-1177238915-682003330-1001\\Software\\VANTE\\JOBCODE]\n"
                "\"JCUserName\"=dword:00000001\n");
  // HKEY_CURRENT_USER is not HKEY_LOCAL_MACHINE.
  HKEY c = nullptr;
  EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"Software\\VANTE\\JOBCODE", 0, KEY_READ, &c),
            static_cast<LONG>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(c, nullptr);
  EXPECT_EQ(RegOpenKeyExW(HKEY_USERS, u"S-1-5-21-1004336348-1177238915-682003330-1001\\software\\vante\\jobcode", 0,
                          KEY_READ, &c),
            0);
  RegCloseKey(c);
  // HKEY_CLASSES_ROOT is HKEY_LOCAL_MACHINE\SOFTWARE\Classes.
  ASSERT_EQ(RegCreateKeyW(HKEY_CLASSES_ROOT, u".kst", &c), 0);
  RegCloseKey(c);
  EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"Software\\Classes\\.KST", 0, KEY_READ, &c), 0);
  RegCloseKey(c);

  // Bad input.
  EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"\\SOFTWARE", 0, KEY_READ, &c), static_cast<LONG>(ERROR_BAD_PATHNAME));
  EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\\\VANTE", 0, KEY_READ, &c), static_cast<LONG>(ERROR_BAD_PATHNAME));
  EXPECT_EQ(RegOpenKeyExW(reinterpret_cast<HKEY>(0x1234), u"x", 0, KEY_READ, &c), static_cast<LONG>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"x", 0, KEY_READ, nullptr), static_cast<LONG>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(RegCloseKey(reinterpret_cast<HKEY>(0x1234)), static_cast<LONG>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), 0);
  // RegOpenKeyW with no subkey answers the key given.
  EXPECT_EQ(RegOpenKeyW(a, nullptr, &c), 0);
  EXPECT_EQ(c, a);

  std::size_t before = plat::OpenHandleCount();
  EXPECT_EQ(RegCloseKey(a), 0);
  EXPECT_EQ(RegCloseKey(b), 0);
  EXPECT_EQ(plat::OpenHandleCount(), before - 2);
  EXPECT_EQ(RegCloseKey(a), static_cast<LONG>(ERROR_INVALID_HANDLE));
}

TEST_F(RegistryTest, AccessRightsAreEnforced) {
  HKEY ro = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\VANTE\\KovaDrv", 0, KEY_READ, &ro), 0);
  DWORD v = 5;
  EXPECT_EQ(RegSetValueExW(ro, u"x", 0, REG_DWORD, reinterpret_cast<BYTE*>(&v), 4), static_cast<LONG>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(RegDeleteValueW(ro, u"x"), static_cast<LONG>(ERROR_ACCESS_DENIED));
  HKEY sub = nullptr;
  EXPECT_EQ(RegCreateKeyExW(ro, u"New", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub, nullptr),
            static_cast<LONG>(ERROR_ACCESS_DENIED));
  HKEY wo = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\VANTE\\KovaDrv", 0, KEY_SET_VALUE, &wo), 0);
  EXPECT_EQ(RegSetValueExW(wo, u"x", 0, REG_DWORD, reinterpret_cast<BYTE*>(&v), 4), 0);
  DWORD size = 4;
  EXPECT_EQ(RegQueryValueExW(wo, u"x", nullptr, nullptr, reinterpret_cast<BYTE*>(&v), &size),
            static_cast<LONG>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(RegQueryValueExW(ro, u"x", nullptr, nullptr, reinterpret_cast<BYTE*>(&v), &size), 0);
  RegCloseKey(ro);
  RegCloseKey(wo);
}

TEST_F(RegistryTest, EnumerationAndInfo) {
  for (const char16_t* name : {u"beta", u"Alpha", u"gamma", u"ALPHA2"}) {
    HKEY k = nullptr;
    ASSERT_EQ(RegCreateKeyExW(key_, name, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr), 0);
    RegCloseKey(k);
  }
  std::vector<std::u16string> keys;
  WCHAR name[32];
  for (DWORD i = 0;; ++i) {
    DWORD cch = 32;
    LONG rc = RegEnumKeyExW(key_, i, name, &cch, nullptr, nullptr, nullptr, nullptr);
    if (rc == static_cast<LONG>(ERROR_NO_MORE_ITEMS)) break;
    ASSERT_EQ(rc, 0);
    EXPECT_EQ(cch, std::u16string(name).size());
    keys.push_back(name);
  }
  EXPECT_EQ(keys, (std::vector<std::u16string>{u"Alpha", u"ALPHA2", u"beta", u"gamma"}));
  DWORD cch = 6;  // "ALPHA2" needs 7 with its NUL
  EXPECT_EQ(RegEnumKeyExW(key_, 1, name, &cch, nullptr, nullptr, nullptr, nullptr), static_cast<LONG>(ERROR_MORE_DATA));

  DWORD dw = 7;
  std::vector<BYTE> s = WideLit(u"longer text");
  ASSERT_EQ(RegSetValueExW(key_, u"z-first", 0, REG_DWORD, reinterpret_cast<BYTE*>(&dw), 4), 0);
  ASSERT_EQ(RegSetValueExW(key_, u"a-second", 0, REG_SZ, s.data(), static_cast<DWORD>(s.size())), 0);
  ASSERT_EQ(RegSetValueExW(key_, u"Z-FIRST", 0, REG_DWORD, reinterpret_cast<BYTE*>(&dw), 4), 0);  // same value
  DWORD type = 0, cb = 2;
  cch = 32;
  BYTE data[64];
  EXPECT_EQ(RegEnumValueW(key_, 0, name, &cch, nullptr, &type, data, &cb), static_cast<LONG>(ERROR_MORE_DATA));
  cch = 32;
  cb = sizeof data;
  EXPECT_EQ(RegEnumValueW(key_, 0, name, &cch, nullptr, &type, data, &cb), 0);
  EXPECT_EQ(std::u16string(name), u"z-first");  // creation order, first spelling
  EXPECT_EQ(type, REG_DWORD);
  cch = 32;
  EXPECT_EQ(RegEnumValueW(key_, 1, name, &cch, nullptr, &type, nullptr, nullptr), 0);
  EXPECT_EQ(std::u16string(name), u"a-second");
  EXPECT_EQ(cch, 8u);
  cch = 32;
  EXPECT_EQ(RegEnumValueW(key_, 2, name, &cch, nullptr, nullptr, nullptr, nullptr), static_cast<LONG>(ERROR_NO_MORE_ITEMS));

  DWORD subKeys = 0, maxSub = 0, values = 0, maxName = 0, maxData = 0;
  FILETIME ft{};
  EXPECT_EQ(RegQueryInfoKeyW(key_, nullptr, nullptr, nullptr, &subKeys, &maxSub, nullptr, &values, &maxName, &maxData,
                             nullptr, &ft),
            0);
  EXPECT_EQ(subKeys, 4u);
  EXPECT_EQ(maxSub, 6u);
  EXPECT_EQ(values, 2u);
  EXPECT_EQ(maxName, 8u);
  EXPECT_EQ(maxData, s.size());
  EXPECT_NE(ft.dwHighDateTime, 0u);
}

TEST_F(RegistryTest, DeleteRules) {
  HKEY child = nullptr, leaf = nullptr;
  ASSERT_EQ(RegCreateKeyExW(key_, u"Child\\Leaf", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &leaf, nullptr), 0);
  EXPECT_EQ(RegDeleteKeyW(key_, u"child"), static_cast<LONG>(ERROR_ACCESS_DENIED));  // has a subkey
  EXPECT_EQ(RegDeleteKeyW(key_, u"child\\LEAF"), 0);
  EXPECT_EQ(RegDeleteKeyW(key_, u"child\\LEAF"), static_cast<LONG>(ERROR_FILE_NOT_FOUND));
  DWORD v = 1;
  EXPECT_EQ(RegSetValueExW(leaf, u"x", 0, REG_DWORD, reinterpret_cast<BYTE*>(&v), 4), static_cast<LONG>(ERROR_KEY_DELETED));
  // A new key of the same name is another key: the old handle stays dead, also when the
  // key is made again by another process.
  ASSERT_EQ(InChild([] {
              HKEY k = nullptr;
              return static_cast<int>(RegCreateKeyW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\VANTE\\KovaDrv\\Child\\Leaf", &k));
            }),
            0);
  EXPECT_EQ(RegSetValueExW(leaf, u"x", 0, REG_DWORD, reinterpret_cast<BYTE*>(&v), 4), static_cast<LONG>(ERROR_KEY_DELETED));
  DWORD size0 = 0;
  EXPECT_EQ(RegQueryInfoKeyW(leaf, nullptr, nullptr, nullptr, &size0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                             nullptr),
            static_cast<LONG>(ERROR_KEY_DELETED));
  RegCloseKey(leaf);
  EXPECT_EQ(RegDeleteKeyW(key_, u"child\\LEAF"), 0);
  ASSERT_EQ(RegOpenKeyExW(key_, u"Child", 0, KEY_ALL_ACCESS, &child), 0);
  EXPECT_EQ(RegDeleteKeyW(child, u""), 0);  // the key itself
  RegCloseKey(child);
  EXPECT_EQ(RegOpenKeyExW(key_, u"Child", 0, KEY_READ, &child), static_cast<LONG>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(RegDeleteKeyW(HKEY_LOCAL_MACHINE, u""), static_cast<LONG>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(RegDeleteKeyW(key_, nullptr), static_cast<LONG>(ERROR_INVALID_PARAMETER));

  ASSERT_EQ(RegSetValueExW(key_, u"Gone", 0, REG_DWORD, reinterpret_cast<BYTE*>(&v), 4), 0);
  EXPECT_EQ(RegDeleteValueW(key_, u"GONE"), 0);
  EXPECT_EQ(RegDeleteValueW(key_, u"GONE"), static_cast<LONG>(ERROR_FILE_NOT_FOUND));
  DWORD size = 4;
  EXPECT_EQ(RegQueryValueExW(key_, u"Gone", nullptr, nullptr, reinterpret_cast<BYTE*>(&v), &size),
            static_cast<LONG>(ERROR_FILE_NOT_FOUND));
}

TEST_F(RegistryTest, OtherProcessesSeeEveryWrite) {
  DWORD v = 1;
  ASSERT_EQ(RegSetValueExW(key_, u"Mine", 0, REG_DWORD, reinterpret_cast<BYTE*>(&v), 4), 0);
  // Two processes add values at the same time as this one; none is lost, and this
  // process sees theirs without reopening anything.
  auto writer = [&](const std::u16string& prefix) {
    return InChild([&] {
      for (DWORD i = 0; i < 25; ++i) {
        std::u16string name = prefix + static_cast<char16_t>(u'A' + i);
        if (RegSetValueExW(key_, name.c_str(), 0, REG_DWORD, reinterpret_cast<BYTE*>(&i), 4) != 0) return 1;
      }
      return 0;
    });
  };
  pid_t first = ::fork();
  if (first == 0) ::_exit(writer(u"p"));
  for (DWORD i = 0; i < 25; ++i) {
    std::u16string name = u"q" + std::u16string(1, static_cast<char16_t>(u'A' + i));
    ASSERT_EQ(RegSetValueExW(key_, name.c_str(), 0, REG_DWORD, reinterpret_cast<BYTE*>(&i), 4), 0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(first, &status, 0), first);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  DWORD values = 0;
  ASSERT_EQ(RegQueryInfoKeyW(key_, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                             nullptr, nullptr),
            0);
  EXPECT_EQ(values, 51u);
  DWORD got = 0, size = 4;
  EXPECT_EQ(RegQueryValueExW(key_, u"pY", nullptr, nullptr, reinterpret_cast<BYTE*>(&got), &size), 0);
  EXPECT_EQ(got, 24u);
}

TEST_F(RegistryTest, GetValueFiltersTerminatesAndExpands) {
  std::vector<BYTE> bare = Wide(u"ab");                   // REG_SZ stored without its NUL
  std::vector<BYTE> list = Wide(std::u16string_view(u"x\0y", 3));                // REG_MULTI_SZ without its final NULs
  std::vector<BYTE> path = WideLit(u"%windir%\\temp");
  DWORD dw = 0x1234;
  BYTE bin3[3] = {1, 2, 3};
  ASSERT_EQ(RegSetValueExW(key_, u"Bare", 0, REG_SZ, bare.data(), 4), 0);
  ASSERT_EQ(RegSetValueExW(key_, u"List", 0, REG_MULTI_SZ, list.data(), 6), 0);
  ASSERT_EQ(RegSetValueExW(key_, u"Path", 0, REG_EXPAND_SZ, path.data(), static_cast<DWORD>(path.size())), 0);
  ASSERT_EQ(RegSetValueExW(key_, u"Num", 0, REG_DWORD, reinterpret_cast<BYTE*>(&dw), 4), 0);
  ASSERT_EQ(RegSetValueExW(key_, u"Bin3", 0, REG_BINARY, bin3, 3), 0);

  const char16_t* sub = u"SOFTWARE\\VANTE\\KovaDrv";
  BYTE buf[128];
  DWORD type = 0, size = sizeof buf;
  EXPECT_EQ(RegGetValueW(HKEY_LOCAL_MACHINE, sub, u"bare", RRF_RT_REG_SZ, &type, buf, &size), 0);
  EXPECT_EQ(size, 6u);
  EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(buf)), u"ab");
  size = 0;
  EXPECT_EQ(RegGetValueW(key_, nullptr, u"List", RRF_RT_ANY, &type, nullptr, &size), 0);
  EXPECT_EQ(size, 10u);  // x, NUL, y, NUL, NUL
  size = sizeof buf;
  EXPECT_EQ(RegGetValueW(key_, nullptr, u"Path", RRF_RT_REG_SZ, &type, buf, &size), 0);
  EXPECT_EQ(type, REG_SZ);
  EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(buf)), u"C:\\Windows\\temp");
  size = sizeof buf;
  EXPECT_EQ(RegGetValueW(key_, nullptr, u"Path", RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, &type, buf, &size), 0);
  EXPECT_EQ(type, REG_EXPAND_SZ);
  EXPECT_EQ(RegGetValueW(key_, nullptr, u"Path", RRF_RT_REG_EXPAND_SZ, &type, buf, &size),
            static_cast<LONG>(ERROR_INVALID_PARAMETER));
  DWORD got = 0;
  size = 4;
  EXPECT_EQ(RegGetValueW(key_, nullptr, u"Num", RRF_RT_DWORD, &type, &got, &size), 0);
  EXPECT_EQ(got, 0x1234u);
  size = 4;
  EXPECT_EQ(RegGetValueW(key_, nullptr, u"Num", RRF_RT_REG_SZ, &type, &got, &size), 1630);  // unsupported type
  size = sizeof buf;
  EXPECT_EQ(RegGetValueW(key_, nullptr, u"Bin3", RRF_RT_DWORD, &type, buf, &size), 1629);  // datatype mismatch
  std::fill(std::begin(buf), std::end(buf), 0xEE);
  size = 2;
  EXPECT_EQ(RegGetValueW(key_, nullptr, u"Bare", RRF_RT_REG_SZ | RRF_ZEROONFAILURE, &type, buf, &size),
            static_cast<LONG>(ERROR_MORE_DATA));
  EXPECT_EQ(size, 6u);
  EXPECT_EQ(buf[0] | buf[1], 0);
  EXPECT_EQ(buf[2], 0xEE);
  EXPECT_EQ(RegGetValueW(key_, u"Nope", u"Bare", RRF_RT_ANY, &type, nullptr, &size),
            static_cast<LONG>(ERROR_FILE_NOT_FOUND));
}

TEST_F(RegistryTest, DamagedHiveLinesAreSkipped) {
  RegCloseKey(key_);
  key_ = nullptr;
  std::string path = plat::registry::HiveFilePath(plat::registry::Hive::Machine);
  std::ofstream(path, std::ios::binary) << "[SOFTWARE\\Good]\n\"a\"=dword:00000002\n\"b\"=dword:zz\n\"c\"=sz:\"open\n"
                                           "\"d\"=hex:1,2,300\n[broken\n\"e\"=dword:1\n[SOFTWARE\\Good]\n\"f\"=hex:0a\n";
  plat::NoteStoreFilesChanged();  // edited by hand: every process reads the hive again
  HKEY k = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Good", 0, KEY_READ, &k), 0);
  DWORD values = 0;
  ASSERT_EQ(RegQueryInfoKeyW(k, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                             nullptr, nullptr),
            0);
  EXPECT_EQ(values, 2u);  // a and f
  RegCloseKey(k);
  plat::registry::ResetRegistry();
  EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Good", 0, KEY_READ, &k), static_cast<LONG>(ERROR_FILE_NOT_FOUND));
}

}  // namespace

}  // namespace registry_api_test
