// The authentication keys of a batch install: applied to the printer's settings and handed
// to the job-control library (its double installed in the system directory) only when the
// library can be opened, each key used up whether its value was taken or refused.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "../../doubles/jobcontrol/job_control_double.h"
#include "context/context_create.h"
#include "fields/field_access.h"
#include "fields/field_table.h"
#include "base/ini_files.h"
#include "base/install_services.h"
#include "field_ids.h"
#include "install_ini.h"
#include "panelis_fixture.h"
#include "plat/wstr.h"
#include "win/kernel.h"
#include "win/loader.h"
#include "build_paths.h"

namespace kovatest {
namespace {

constexpr const char16_t* kIni = u"C:\\batch.ini";

class AuthenticationKeysTest : public SamplePrinterTest {
 protected:
  void SetUp() override {
    SamplePrinterTest::SetUp();
    printer_ = Install(u"Auth Printer");
  }
  void TearDown() override {
    if (library_) FreeLibrary(library_);
    library_ = nullptr;
    SamplePrinterTest::TearDown();
  }
  // The double as the job-control library of the system directory.
  void InstallLibrary() {
    library_ = LoadJobControlDouble();
    ASSERT_NE(library_, nullptr);
    reinterpret_cast<JobControlDoubleResetProc>(GetProcAddress(library_, "JobControlDoubleReset"))();
  }
  static std::u16string Read(const WCHAR* key) {
    WCHAR value[300] = {};
    ReadIniString(u"Auth Printer", key, u"<none>", value, 300, kIni);
    return value;
  }
  static std::u16string Text(DriverContext* c, WORD id) {
    WCHAR text[130] = {};
    GetFieldString(c, FindFieldById(c, id), text, 130);
    return text;
  }
  HANDLE printer_ = nullptr;
  HMODULE library_ = nullptr;
};

TEST_F(AuthenticationKeysTest, EachKeyIsCheckedAppliedAndUsedUp) {
  InstallLibrary();
  struct Case {
    const char* key;
    const char* value;
    BYTE bits;               // what the batch install reports to the later steps
    DWORD mode, secure;      // the authentication switches afterwards
    const char16_t* networkKey;
    const char16_t* userName;
  };
  const Case cases[] = {
      {"SetAuthenticationNetworkKey", "Key42", 0x07, 1, 1, u"Key42", u""},
      {"SetAuthenticationNetworkKey", "", 0x0F, 1, 1, u"", u""},
      {"SetAuthenticationNetworkKey", "bad key!", 0, 0, 0, u"", u""},
      {"SetAuthenticationNetworkKey", "K123456789012345678901234567890AB", 0, 0, 0, u"", u""},  // 33
      {"SetAuthenticationSecureMode", "1", 0x03, 0, 1, u"", u""},
      {"SetAuthenticationSecureMode", "2", 0, 0, 0, u"", u""},
      {"SetAuthenticationUserName", "anna", 0x11, 1, 0, u"", u"anna"},
      {"SetAuthenticationUserName", "", 0x31, 1, 0, u"", u""},
      {"SetAuthenticationUserName", "an/na", 0, 0, 0, u"", u""},
      {"SetAuthenticationMode", "1", 0x01, 1, 0, u"", u""},
      {"SetAuthenticationMode", "yes", 0, 0, 0, u"", u""},
  };
  for (const Case& c : cases) {
    const std::string what = std::string(c.key) + "=" + c.value;
    DriverContext* context = Create(printer_);
    ASSERT_NE(context, nullptr);
    WriteFieldRawById(context, fid::kdmPrnFuncAuthenticationMode, 0);
    WriteFieldRawById(context, fid::kdmPrnFuncAuthenticationSecureMode, 0);
    SetFieldString(context, FindFieldById(context, fid::wdmAuthenticationNetworkKey), u"", 33);
    SetFieldString(context, FindFieldById(context, fid::wdmAuthenticationUserName), u"", 129);
    root_.WriteFile(kIni, "[Auth Printer]\r\n" + std::string(c.key) + "=" + c.value + "\r\n");
    ApplyIdentityBatchKeys(kIni, u"Auth Printer", context);
    EXPECT_EQ(BatchAuthenticationBits(), c.bits) << what;
    EXPECT_EQ(ReadFieldRawById(context, fid::kdmPrnFuncAuthenticationMode), c.mode) << what;
    EXPECT_EQ(ReadFieldRawById(context, fid::kdmPrnFuncAuthenticationSecureMode), c.secure) << what;
    EXPECT_EQ(Text(context, fid::wdmAuthenticationNetworkKey), c.networkKey) << what;
    EXPECT_EQ(Text(context, fid::wdmAuthenticationUserName), c.userName) << what;
    const std::u16string key = plat::FromUtf8(c.key);
    EXPECT_EQ(Read(key.c_str()), u"<none>") << what << ": the key is used up";
    // A key that was taken marks the printer's batch settings as applied.
    EXPECT_EQ(GetDrvInstSet(kIni, u"Auth Printer") != FALSE, c.bits != 0) << what;
    ReleaseContext(context, CTXR_DESTROY);
  }
}

// Without a job-control library the keys cannot be handed on: they stay for a later install.
TEST_F(AuthenticationKeysTest, WithoutTheLibraryTheKeysStay) {
  DriverContext* context = Create(printer_);
  ASSERT_NE(context, nullptr);
  root_.WriteFile(kIni, "[Auth Printer]\r\nSetAuthenticationMode=1\r\nSetAuthenticationUserName=anna\r\n");
  ApplyIdentityBatchKeys(kIni, u"Auth Printer", context);
  EXPECT_EQ(BatchAuthenticationBits(), 0);
  EXPECT_EQ(Read(u"SetAuthenticationMode"), u"1");
  EXPECT_EQ(Read(u"SetAuthenticationUserName"), u"anna");
  EXPECT_EQ(Text(context, fid::wdmAuthenticationUserName), u"");
  ReleaseContext(context, CTXR_DESTROY);
}

}  // namespace
}  // namespace kovatest
