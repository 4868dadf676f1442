#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "plat/system.h"
#include "plat/builtin_modules.h"
#include "plat/wstr.h"
#include "test_root.h"
#include "win/errors.h"
#include "win/loader.h"

namespace {

const HANDLE kProcessToken = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-4));

using GetProfileDirFn = BOOL (*)(HANDLE, LPWSTR, LPDWORD);
using KnownFolderFn = HRESULT (*)(REFKNOWNFOLDERID, DWORD, HANDLE, PWSTR*);
using TaskFreeFn = void (*)(LPVOID);

TEST(LoaderBuiltin, SystemModulesByName) {
  kovatest::TempRoot root;
  const char16_t* names[] = {u"UserEnv.dll", u"SHELL32.DLL", u"ole32", u"C:\\Windows\\System32\\userenv.dll"};
  for (const char16_t* n : names) {
    HMODULE h = LoadLibraryW(n);
    ASSERT_NE(h, nullptr) << plat::ToUtf8(n);
    FreeLibrary(h);
  }
  HMODULE a = LoadLibraryW(u"userenv.dll");
  HMODULE b = LoadLibraryW(u"USERENV.DLL");
  EXPECT_EQ(a, b);
  WCHAR buf[MAX_PATH];
  ASSERT_GT(GetModuleFileNameW(a, buf, MAX_PATH), 0u);
  EXPECT_EQ(std::u16string(buf), u"C:\\Windows\\system32\\userenv.dll");
  EXPECT_EQ(GetModuleHandleW(u"userenv"), a);
  EXPECT_EQ(GetProcAddress(a, "GetUserProfileDirectoryA"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);
  FreeLibrary(a);
  FreeLibrary(b);
  EXPECT_EQ(GetModuleHandleW(u"userenv"), nullptr);
}

TEST(LoaderBuiltin, MadeMissing) {
  kovatest::TempRoot root;
  ASSERT_TRUE(plat::SetBuiltinModuleAvailable(u"Shell32.dll", false));
  SetLastError(0);
  EXPECT_EQ(LoadLibraryW(u"shell32.dll"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
  ASSERT_TRUE(plat::SetBuiltinModuleAvailable(u"shell32.dll", true));
  HMODULE h = LoadLibraryW(u"shell32.dll");
  EXPECT_NE(h, nullptr);
  FreeLibrary(h);
  EXPECT_FALSE(plat::SetBuiltinModuleAvailable(u"nosuch.dll", false));
}

TEST(LoaderBuiltin, RegisteredByAnotherPart) {
  kovatest::TempRoot root;
  static int calls = 0;
  struct Local {
    static int Answer() { return ++calls; }
  };
  plat::RegisterBuiltinModule(u"KovaTestBuiltin.dll", {{"Answer", plat::AsFarProc(&Local::Answer)}});
  HMODULE h = LoadLibraryW(u"kovatestbuiltin.dll");
  ASSERT_NE(h, nullptr);
  auto fn = ProcCast<int (*)()>(GetProcAddress(h, "Answer"));
  ASSERT_NE(fn, nullptr);
  EXPECT_EQ(fn(), 1);
  FreeLibrary(h);
  plat::SetBuiltinModuleAvailable(u"KovaTestBuiltin.dll", false);
}

TEST(LoaderBuiltin, UserProfileDirectorySizeProtocol) {
  kovatest::TempRoot root;
  HMODULE h = LoadLibraryW(u"UserEnv.dll");
  ASSERT_NE(h, nullptr);
  auto get = ProcCast<GetProfileDirFn>(GetProcAddress(h, "GetUserProfileDirectoryW"));
  ASSERT_NE(get, nullptr);
  const std::u16string profile = plat::UserProfileDirectory();  // C:\Users\KovaUser
  std::filesystem::remove_all(root.HostPath(profile));

  DWORD size = 0;
  SetLastError(0);
  EXPECT_FALSE(get(kProcessToken, nullptr, &size));
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(size, profile.size() + 1);
  WCHAR buf[MAX_PATH];
  size = static_cast<DWORD>(profile.size());  // one short
  EXPECT_FALSE(get(kProcessToken, buf, &size));
  EXPECT_EQ(size, profile.size() + 1);
  size = MAX_PATH;
  ASSERT_TRUE(get(kProcessToken, buf, &size));
  EXPECT_EQ(std::u16string(buf), profile);
  EXPECT_TRUE(std::filesystem::is_directory(root.HostPath(profile)));  // created when missing
  SetLastError(0);
  EXPECT_FALSE(get(kProcessToken, buf, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  size = MAX_PATH;
  EXPECT_FALSE(get(nullptr, buf, &size));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  FreeLibrary(h);
}

TEST(LoaderBuiltin, KnownFolders) {
  kovatest::TempRoot root;
  HMODULE shell = LoadLibraryW(u"shell32.dll");
  HMODULE ole = LoadLibraryW(u"ole32.dll");
  ASSERT_NE(shell, nullptr);
  ASSERT_NE(ole, nullptr);
  auto known = ProcCast<KnownFolderFn>(GetProcAddress(shell, "SHGetKnownFolderPath"));
  auto freeMem = ProcCast<TaskFreeFn>(GetProcAddress(ole, "CoTaskMemFree"));
  ASSERT_NE(known, nullptr);
  ASSERT_NE(freeMem, nullptr);
  const std::u16string profile = plat::UserProfileDirectory();
  struct Case {
    const KNOWNFOLDERID* id;
    std::u16string path;
  };
  const Case cases[] = {
      {&FOLDERID_LocalAppDataLow, profile + u"\\AppData\\LocalLow"},
      {&FOLDERID_LocalAppData, profile + u"\\AppData\\Local"},
      {&FOLDERID_RoamingAppData, profile + u"\\AppData\\Roaming"},
  };
  for (const auto& c : cases) {
    PWSTR path = nullptr;
    ASSERT_EQ(known(*c.id, 0, nullptr, &path), S_OK);
    ASSERT_NE(path, nullptr);
    EXPECT_EQ(std::u16string(path), c.path);
    EXPECT_TRUE(std::filesystem::is_directory(root.HostPath(c.path)));
    freeMem(path);
  }
  const KNOWNFOLDERID unknown = {0x12345678, 1, 2, {3, 4, 5, 6, 7, 8, 9, 10}};
  PWSTR path = reinterpret_cast<PWSTR>(0x1);
  EXPECT_EQ(known(unknown, 0, nullptr, &path), E_FAIL);
  EXPECT_EQ(path, nullptr);
  freeMem(nullptr);
  FreeLibrary(ole);
  FreeLibrary(shell);
}

TEST(LoaderBuiltin, KnownFolderIdValues) {
  // {A520A1A4-1780-4FF6-BD18-167343C5AF16}
  static_assert(FOLDERID_LocalAppDataLow.Data1 == 0xA520A1A4 && FOLDERID_LocalAppDataLow.Data2 == 0x1780 &&
                FOLDERID_LocalAppDataLow.Data3 == 0x4FF6 && FOLDERID_LocalAppDataLow.Data4[0] == 0xBD &&
                FOLDERID_LocalAppDataLow.Data4[7] == 0x16);
  static_assert(offsetof(GUID, Data4) == 8);
  EXPECT_FALSE(FOLDERID_LocalAppData == FOLDERID_RoamingAppData);
}

}  // namespace
