// Job settings at document start: the job strings kept across the re-merge, the job's items
// read from the job-control library (its double installed in the system directory), and
// the job-time adjustments.
#include <cstring>
#include <filesystem>
#include <string>

#include "../../doubles/jobcontrol/job_control_double.h"
#include "base/driver_context.h"
#include "fields/field_table.h"
#include "fields/product_record.h"
#include "escapes.h"
#include "in_process_job.h"
#include "job_settings.h"
#include "paper_substitution.h"
#include "plat/spooler_setup.h"
#include "win/kernel.h"
#include "win/loader.h"
#include "win/profile.h"
#include "build_paths.h"

namespace rendara::test {
namespace {

class JobSettings : public DeviceJob {
 protected:
  void SetUp() override {
    DeviceJob::SetUp();
    WCHAR system[MAX_PATH];
    const UINT n = GetSystemDirectoryW(system, MAX_PATH);
    ASSERT_GT(n, 0u);
    systemDir_ = std::u16string(system, n);
    std::filesystem::create_directories(root_.HostPath(systemDir_));
  }
  void TearDown() override {
    if (library_) FreeLibrary(library_);
    library_ = nullptr;
    DeviceJob::TearDown();
  }
  // Puts the double in the system directory as the job-control library.
  void InstallLibrary(const JobControlDoubleConfig* config = nullptr) {
    std::filesystem::copy_file(kovatest::BuiltFile("JobControlDouble"), root_.HostPath(systemDir_) + "/Jobcora32.so",
                               std::filesystem::copy_options::overwrite_existing);
    library_ = LoadLibraryW((systemDir_ + u"\\Jobcora32.dll").c_str());
    ASSERT_NE(library_, nullptr);
    Control<JobControlDoubleResetProc>(library_, "JobControlDoubleReset")();
    if (config) Control<JobControlDoubleConfigureProc>(library_, "JobControlDoubleConfigure")(config);
  }
  void SetItem(DWORD item, const char16_t* text, const char16_t* user = nullptr) {
    Control<JobControlDoubleSetItemProc>(library_, "JobControlDoubleSetItem")(item, text, user);
  }
  std::string Log() { return Text(library_, "JobControlDoubleLog"); }
  std::string FieldText(WORD id) {
    SettingField* field = FindFieldById(Context(), id);
    const auto* value = reinterpret_cast<const char*>(GetFieldAddress(Context(), field));
    return std::string(value, strnlen(value, FieldSizeOf(field->type)));
  }
  // A device whose job device-mode is a whole device-mode of the driver (so the re-merge
  // at document start takes its private part too).
  void EnableWithFullDevmode() {
    Enable();
    const BYTE* dm = GetContextDevmode(Context());
    full_.assign(dm, dm + GetTotalDevmodeSize());
    engine_.reset();
    EvictContextCache(1);
    Enable(reinterpret_cast<const DEVMODEW*>(full_.data()));
    ASSERT_NE(Device()->jobDevmode, nullptr);
  }
  void StartDoc(DWORD job = 3) {
    ASSERT_TRUE(engine_->EnableSurface());
    ASSERT_TRUE(engine_->StartDoc(u"Doc", job));
  }

  std::u16string systemDir_;
  HMODULE library_ = nullptr;
  std::vector<BYTE> full_;
};

TEST_F(JobSettings, ItemsOfTheLibraryOverwriteTheirSettings) {
  InstallLibrary();
  SetItem(1, u"UC-77");
  SetItem(2, u"Owner \"x\"\r\n@PJL RESET");
  SetItem(3, u"jobpw");
  SetItem(5, u"Report");
  SetItem(9, u"alice");
  SetItem(10, u"secret");
  SetItem(11, u"corp");
  Enable();
  SetField(fid::kdmUserID, 0);
  StartDoc();
  EXPECT_EQ(Context()->work->kind, static_cast<DWORD>(CTXK_RENDERING_JOB));
  EXPECT_EQ(FieldText(fid::kdmUserCode), "UC-77");
  // Cut to the field and never able to end the PJL line it goes into.
  EXPECT_EQ(FieldText(fid::kdmOwnerName), "Owner 'x'  @PJL ");
  EXPECT_EQ(FieldText(fid::kdmJOBPassword), "jobpw");
  EXPECT_EQ(FieldText(fid::kdmDocumentName), "Report");
  EXPECT_EQ(FieldText(fid::wdmAuthenticationUserName), "alice");
  EXPECT_EQ(FieldText(fid::wdmAuthenticationNetworkKey), "corp");
  // Converted for the printer (mode 4, then mode 1).
  EXPECT_EQ(FieldText(fid::wdmAuthenticationPassword), "[1][4]secret");
  EXPECT_EQ(Field(fid::kdmFunc2SelectPreviewFlag), 1u);
  const std::string log = Log();
  EXPECT_EQ(log.rfind("GetInterface 0x105 -> 0\nGetInterface 0x181 -> 0\nOpen ", 0), 0u) << log;
  EXPECT_NE(log.find("GetUser 1 KovaUser"), std::string::npos) << log;
  EXPECT_NE(log.find("Close\nDispose main\nDispose conversion\n"), std::string::npos) << log;
}

TEST_F(JobSettings, AnOldLibraryIsAskedWithoutAUser) {
  JobControlDoubleConfig config{0x102, FALSE, FALSE, 0};
  InstallLibrary(&config);
  SetItem(1, u"OLD1");
  SetItem(9, u"bob");
  Enable();
  StartDoc();
  EXPECT_EQ(FieldText(fid::kdmUserCode), "OLD1");
  const std::string log = Log();
  EXPECT_EQ(log.find("GetUser"), std::string::npos) << log;
  EXPECT_NE(log.find("Get 1 0 -> 0x20000001"), std::string::npos) << log;
  EXPECT_EQ(log.find("GetInterface 0x181"), std::string::npos) << log;
}

TEST_F(JobSettings, AnUnknownJobUserFallsBackToTheLoggedOnUser) {
  InstallLibrary();
  WCHAR me[257];
  DWORD n = 257;
  ASSERT_TRUE(GetUserNameW(me, &n));
  SetItem(1, u"MINE", me);
  plat::spooler::JobSetup job;
  job.id = 41;
  job.userName = u"UNKNOWN";
  ASSERT_EQ(plat::spooler::AddJob(deviceName_, job), 41u);
  Enable();
  StartDoc(41);
  EXPECT_EQ(FieldText(fid::kdmUserCode), "MINE");
  plat::spooler::RemoveJob(deviceName_, 41);
}

TEST_F(JobSettings, CardAuthenticationRefusesALongUserAndThenSkipsThePassword) {
  JobControlDoubleConfig config{0x105, TRUE, FALSE, 0x100};
  InstallLibrary(&config);
  const std::u16string tooLong(129, u'a');
  SetItem(9, tooLong.c_str());
  SetItem(10, u"pw");
  EnableWithFullDevmode();
  // The authentication mode is a printer-side setting: stored so the reload keeps it.
  SetField(fid::kdmPrnFuncAuthenticationMode, 1);
  SetField(fid::wdmAuthenticationUserName, 0);
  StartDoc();
  if (Field(fid::kdmPrnFuncAuthenticationMode) == 0) GTEST_SKIP() << "the model offers no authentication mode";
  const std::string log = Log();
  EXPECT_NE(log.find("Ex 9"), std::string::npos) << log;
  EXPECT_EQ(FieldText(fid::wdmAuthenticationUserName), "");
  EXPECT_EQ(FieldText(fid::wdmAuthenticationPassword), "");
  EXPECT_EQ(log.find("GetUser 10"), std::string::npos) << log;
}

TEST_F(JobSettings, CardAuthenticationStoresAnAcceptedUserAndItsPassword) {
  JobControlDoubleConfig config{0x105, TRUE, FALSE, 0x100};
  InstallLibrary(&config);
  const std::u16string longest(128, u'b');
  SetItem(9, longest.c_str());
  SetItem(10, u"pw");
  EnableWithFullDevmode();
  SetField(fid::kdmPrnFuncAuthenticationMode, 1);
  StartDoc();
  if (Field(fid::kdmPrnFuncAuthenticationMode) == 0) GTEST_SKIP() << "the model offers no authentication mode";
  EXPECT_EQ(FieldText(fid::wdmAuthenticationUserName), std::string(128, 'b'));
  EXPECT_EQ(FieldText(fid::wdmAuthenticationPassword), "[1][4]pw");
  const std::string log = Log();
  EXPECT_NE(log.find("Mode 2 0\nEx 9\nMode 0 2\nMode 2 0\n"), std::string::npos) << log;
}

TEST_F(JobSettings, ARefusedConnectionReadsNothingAndReleasesTheLibrary) {
  JobControlDoubleConfig config{0x105, TRUE, TRUE, 0};
  InstallLibrary(&config);
  SetItem(1, u"NEVER");
  Enable();
  const char code[] = "KEEP";
  ASSERT_EQ(Escape(ESC_USER_CODE, sizeof code, code, 0, nullptr), 1u);
  StartDoc();
  EXPECT_EQ(FieldText(fid::kdmUserCode), "KEEP");
  const std::string log = Log();
  EXPECT_EQ(log.find("GetUser "), std::string::npos) << log;  // no item was asked
  EXPECT_EQ(log.find("\nGet "), std::string::npos) << log;
  EXPECT_NE(log.find("-> 5\nDispose main\nDispose conversion\n"), std::string::npos) << log;
}

TEST_F(JobSettings, NoLibraryKeepsTheMergedSettings) {
  Enable();
  const char code[] = "ESC1";
  ASSERT_EQ(Escape(ESC_USER_CODE, sizeof code, code, 0, nullptr), 1u);
  StartDoc();
  EXPECT_EQ(FieldText(fid::kdmUserCode), "ESC1");
}

// The escape strings survive the re-merge of a whole job device-mode when they fit their
// limits; an owner that fills its whole field without a NUL is dropped.
TEST_F(JobSettings, JobStringsSurviveTheReMergeWithinTheirLimits) {
  struct Case {
    WORD field;
    std::string value;
    bool kept;
  };
  const std::vector<Case> cases = {
      {fid::kdmOwnerName, std::string(16, 'o'), true},
      {fid::kdmOwnerName, std::string(17, 'o'), false},
      {fid::kdmUserCode, "12345678", true},
      {fid::kdmTelNo, std::string(64, '5'), true},
  };
  for (const Case& c : cases) {
    EnableWithFullDevmode();
    SettingField* field = FindFieldById(Context(), c.field);
    std::string block(FieldSizeOf(field->type), '\0');
    std::memcpy(block.data(), c.value.data(), std::min(block.size(), c.value.size()));
    WriteFieldBlock(Context(), field, block.data());
    SetField(fid::kdmTelLine, 3);
    StartDoc();
    EXPECT_EQ(FieldText(c.field), c.kept ? c.value : "") << c.field << " " << c.value.size();
    EXPECT_EQ(Field(fid::kdmTelLine), 3u);
    ASSERT_TRUE(engine_->EndDoc());
    engine_.reset();
    EvictContextCache(1);
  }
}

// A copy count the application sets before the document starts outlives the re-merge of
// the job's device-mode, whichever device-mode the job has.
TEST_F(JobSettings, ACopyCountSetBeforeTheDocumentOutlivesTheReMerge) {
  DEVMODEW publicOnly{};
  publicOnly.dmSize = sizeof(DEVMODEW);
  publicOnly.dmSpecVersion = 0x401;
  publicOnly.dmFields = DM_COPIES;
  publicOnly.dmCopies = 2;
  enum class Job { None, PublicOnly, Whole };
  for (const Job job : {Job::None, Job::PublicOnly, Job::Whole}) {
    if (job == Job::Whole) {
      EnableWithFullDevmode();
    } else {
      Enable(job == Job::PublicOnly ? &publicOnly : nullptr);
    }
    const DWORD three = 3;
    ASSERT_EQ(Escape(ESC_SETCOPYCOUNT, 4, &three, 0, nullptr), 1u);
    StartDoc();
    EXPECT_EQ(Field(fid::dmCopies), 3u) << static_cast<int>(job);
    ASSERT_TRUE(engine_->EndDoc());
    engine_.reset();
    EvictContextCache(1);
  }
}

TEST_F(JobSettings, CollateFollowsThePublicDevmode) {
  struct Case {
    DWORD fields;
    DWORD collate;
    DWORD before;
    DWORD sort;
  };
  const Case cases[] = {
      {0, 0, 1, 0},           // no DM_COLLATE: sorting goes off
      {0, 1, 1, 0},           // ... whatever dmCollate says
      {DM_COLLATE, 1, 0, 1},  // collate asked: on
      {DM_COLLATE, 0, 1, 1},  // collate not asked: left as it was
  };
  Enable();
  for (const Case& c : cases) {
    SetField(fid::dmFields, (Field(fid::dmFields) & ~DM_COLLATE) | c.fields);
    SetField(fid::dmCollate, c.collate);
    SetField(fid::kdmFuncSelectSort, c.before);
    ApplyJobTimeAdjustments(Context());
    EXPECT_EQ(Field(fid::kdmFuncSelectSort), c.sort) << c.fields << " " << c.collate;
  }
}

// The one-shot reader against the driver package's own job-control library: items the
// library keeps for the printer (in its INI of the Windows folder) reach the job's settings.
TEST_F(JobSettings, ItemsOfThePackagesLibraryReachTheJob) {
  std::filesystem::copy_file(kovatest::BuiltFile("Jobcora32"), root_.HostPath(systemDir_) + "/Jobcora32.so",
                             std::filesystem::copy_options::overwrite_existing);
  WCHAR windows[MAX_PATH];
  ASSERT_GT(GetWindowsDirectoryW(windows, MAX_PATH), 0u);
  const std::u16string ini = std::u16string(windows) + u"\\Jobcora32.ini";
  auto hex = [](const char16_t* text) {
    std::u16string out = u"T";
    static const char16_t kHex[] = u"0123456789ABCDEF";
    for (const char16_t* p = text; *p; ++p)
      for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(*p >> shift) & 0xF];
    return out;
  };
  ASSERT_TRUE(WritePrivateProfileStringW(deviceName_.c_str(), u"Prepared", u"1", ini.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringW(deviceName_.c_str(), u"Item1", hex(u"UC-REAL").c_str(), ini.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringW(deviceName_.c_str(), u"Item5", hex(u"Quarterly").c_str(), ini.c_str()));
  Enable();
  StartDoc();
  EXPECT_EQ(FieldText(fid::kdmUserCode), "UC-REAL");
  EXPECT_EQ(FieldText(fid::kdmDocumentName), "Quarterly");
  // The library is released after the read.
  EXPECT_EQ(GetModuleHandleW((systemDir_ + u"\\Jobcora32.dll").c_str()), nullptr);
}

}  // namespace
}  // namespace rendara::test
