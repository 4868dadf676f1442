// User codes from Fennic.ini, from printer data imposed by a server, and from a user-code
// provider; the provider switch of this product.
#include <gtest/gtest.h>

#include <cstring>

#include "fields/devmode_header.h"
#include "base/paths_and_names.h"
#include "model/model_tables.h"
#include "stored/job_control.h"
#include "context/user_codes.h"
#include "outside_fixture.h"
#include "win/files.h"
#include "win/loader.h"
#include "win/profile.h"
#include "win/spool.h"
#include "build_paths.h"

namespace kovatest {
namespace {

class UserCodes : public OutsideTest {
 protected:
  void SetUp() override {
    root_.WriteFile(u"C:\\_kova\\keep.txt", "");  // the settings folder
    OutsideTest::SetUp();
  }
  std::u16string IniFile() {
    WCHAR path[261] = {};
    MakeSettingsPath(path, 261, u"Fennic.ini", ctx_);
    return path;
  }
  std::u16string Ini(const char16_t* section, const char16_t* key) {
    WCHAR value[64] = {};
    GetPrivateProfileStringW(section, key, u"<none>", value, 64, IniFile().c_str());
    return value;
  }
  void SetIni(const char16_t* section, const char16_t* key, const char16_t* value) {
    WritePrivateProfileStringW(section, key, value, IniFile().c_str());
  }
  std::u16string Section() { return GetPrinterDisplayName(ctx_); }
  void RegisterProvider() {
    Place(kovatest::BuiltFile("UcProvDouble"), u"C:\\prov\\ucprov.so");
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"Software\\VANTE\\ucprov\\Providers", 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const std::u16string path = u"C:\\prov\\ucprov.dll";
    RegSetValueExW(key, u"ProviderDLL", 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                   static_cast<DWORD>((path.size() + 1) * 2));
    RegCloseKey(key);
  }
};

TEST_F(UserCodes, FirstUseCreatesTheIniWithEmptyCodes) {
  ASSERT_EQ(GetFileAttributesW(IniFile().c_str()), INVALID_FILE_ATTRIBUTES);
  SetText(fid::kdmLogCode, u"stale");
  EXPECT_EQ(LoadLocalUserCode(ctx_), 1);
  EXPECT_EQ(Ini(Section().c_str(), u"UserCode"), u"0");
  EXPECT_EQ(Ini(Section().c_str(), u"UserCodeString"), u"");
  EXPECT_EQ(Ini(u"VANTE UserCode", u"MRUUserCode"), u"");
  EXPECT_EQ(Text(fid::kdmLogCode), u"");
  EXPECT_EQ(ReadFieldRawById(ctx_, fid::kdmLogCodeUse), 0u);
}

TEST_F(UserCodes, IniCodesOwnOrInherited) {
  struct Case {
    const char16_t* use;       // the printer's "UserCode", or null for none
    const char16_t* code;      // its "UserCodeString"
    const char16_t* recent;    // "MRUUserCode"
    DWORD expectedUse;
    const char16_t* expectedCode;
  } cases[] = {
      {u"1", u"4711", u"9999", 1, u"4711"},
      {nullptr, nullptr, u"9999", 0, u"9999"},  // inherits the most recent code with use 0
      {nullptr, nullptr, u"", 0, u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.recent, c.recent + std::char_traits<char16_t>::length(c.recent)));
    SetIni(Section().c_str(), nullptr, nullptr);
    SetIni(u"VANTE UserCode", u"MRUUserCode", c.recent);
    if (c.use) {
      SetIni(Section().c_str(), u"UserCode", c.use);
      SetIni(Section().c_str(), u"UserCodeString", c.code);
    }
    EXPECT_EQ(LoadUserCodeFromIni(ctx_), 1);
    EXPECT_EQ(ReadFieldRawById(ctx_, fid::kdmLogCodeUse), c.expectedUse);
    EXPECT_EQ(Text(fid::kdmLogCode), c.expectedCode);
    EXPECT_EQ(Text(fid::kdmDllLogCode), c.expectedCode);
  }
}

TEST_F(UserCodes, ServerImposedCodeEndsInsideItsSlot) {
  const BYTE on = 1;
  SetPrinterDataW(printer_, const_cast<LPWSTR>(u"ServerUse"), REG_BINARY, const_cast<BYTE*>(&on), 1);
  SetPrinterDataW(printer_, const_cast<LPWSTR>(u"UserCodeUse"), REG_BINARY, const_cast<BYTE*>(&on), 1);
  char code[9];
  std::memset(code, '7', sizeof code);  // nine bytes, no terminator
  SetPrinterDataW(printer_, const_cast<LPWSTR>(u"UserCode"), REG_BINARY, reinterpret_cast<BYTE*>(code), 9);
  EXPECT_EQ(LoadLocalUserCode(ctx_), 1);
  EXPECT_EQ(ReadFieldRawById(ctx_, fid::kdmLogCodeUse), 1u);
  EXPECT_EQ(Text(fid::kdmLogCode), u"77777777");
}

TEST_F(UserCodes, ProviderAnswers) {
  RegisterProvider();
  struct Case {
    DWORD result;
    const char16_t* code;
    DWORD fill;
    int answered;
    DWORD use;
    const char16_t* expected;
  } cases[] = {
      {0, u"2468", 0, 1, 1, u"2468"},
      {232, u"2468", 0, 1, 0, u""},       // the user has none: cleared
      {0, u"", 0, 1, 0, u""},
      {5, u"2468", 0, 0, 1, u"mine"},     // another answer changes nothing
      {0, u"", 1, 1, 1, u"XXXXXXXX"},     // 32 bytes without a terminator
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.result);
    Steer(u"UcProv", u"Result", c.result);
    Steer(u"UcProv", u"FillAll", c.fill);
    SteerText(u"UcProv", u"Code", c.code);
    SetText(fid::kdmLogCode, u"mine");
    WriteFieldRawById(ctx_, fid::kdmLogCodeUse, 1);
    EXPECT_EQ(FetchProviderUserCode(ctx_), c.answered);
    EXPECT_EQ(ReadFieldRawById(ctx_, fid::kdmLogCodeUse), c.use);
    EXPECT_EQ(Text(fid::kdmLogCode), c.expected);
    EXPECT_EQ(ctx_->work->userCodeProvider.library, nullptr);
  }
  EXPECT_EQ(Answer(u"UcProv", u"Opens"), Answer(u"UcProv", u"Closes"));
}

TEST_F(UserCodes, MissingProviderAnswersTwo) {
  EXPECT_EQ(BindUserCodeProvider(ctx_), 2);
  EXPECT_EQ(FetchProviderUserCode(ctx_), 0);
}

// The provider switch is off in this product: the merge's user-code steps change nothing.
TEST_F(UserCodes, SwitchOffLeavesTheSettings) {
  ASSERT_EQ(IsBuildFlagOff(), 0);
  RegisterProvider();
  SteerText(u"UcProv", u"Code", u"2468");
  SetText(fid::kdmLogCode, u"mine");
  EXPECT_EQ(UserCodeLoad(ctx_), 1);
  UserCodeSync(ctx_);
  SaveUserCodeOnRelease(ctx_);
  EXPECT_EQ(InitUserCodeIni(ctx_), 1);
  EXPECT_EQ(Text(fid::kdmLogCode), u"mine");
  EXPECT_EQ(GetFileAttributesW(IniFile().c_str()), INVALID_FILE_ATTRIBUTES);
}

// Job-control logon with the library absent still copies the log code of a local printer
// that uses one into kdmUserCode.
TEST_F(UserCodes, LogonWithoutLibraryCopiesTheLogCode) {
  SetIni(Section().c_str(), u"UserCode", u"1");
  SetIni(Section().c_str(), u"UserCodeString", u"1357");
  SetText(fid::kdmUserCode, u"");
  JobControlLogon(ctx_);
  EXPECT_EQ(Text(fid::kdmUserCode), u"1357");
}

TEST_F(UserCodes, InitKeysForAPrinterOfThePrintLog) {
  SetStateByte(ctx_, 709, 1);
  SetText(fid::kdmLogCode, u"8642");
  InitUserCodeKeys(ctx_);
  EXPECT_EQ(Ini(Section().c_str(), u"UserCode"), u"1");
  EXPECT_EQ(Ini(Section().c_str(), u"UserCodeFIX"), u"1");
  EXPECT_EQ(Ini(u"VANTE UserCode", u"MRUUserCode"), u"8642");
}

}  // namespace
}  // namespace kovatest
