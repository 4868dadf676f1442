// The job-control binding against the driver package's job-control library (and its
// steerable test build): items written by one context and read by another, the interface
// versions' item rules, nested open/close pairs, reset and clear, the authentication query.
#include <gtest/gtest.h>

#include <vector>

#include "base/deliverable.h"
#include "fields/devmode_header.h"
#include "stored/devmode_merge.h"
#include "model/module_dispatch.h"
#include "stored/job_control.h"
#include "outside/job_control_abi.h"
#include "outside_fixture.h"
#include "stored/settings_load_save.h"
#include "win/kernel.h"
#include "win/loader.h"
#include "win/profile.h"
#include "build_paths.h"

namespace kovatest {
namespace job_control_test {

class JobControl : public OutsideTest {
 protected:
  void SetUp() override {
    OutsideTest::SetUp();
    Place(kovatest::BuiltFile("JobcoraDouble"), SystemFolder() + u"\\Jobcora32.so");
  }
  // What the library keeps for the printer (empty when nothing).
  static std::u16string Stored(const std::u16string& key) {
    WCHAR folder[260] = {};
    GetWindowsDirectoryW(folder, 260);
    const std::u16string file = std::u16string(folder) + u"\\Jobcora32.ini";
    WCHAR value[2048] = {};
    GetPrivateProfileStringW(u"Office", key.c_str(), u"", value, 2048, file.c_str());
    return value;
  }
  static void StoreKey(const std::u16string& key, const std::u16string& value) {
    WCHAR folder[260] = {};
    GetWindowsDirectoryW(folder, 260);
    const std::u16string file = std::u16string(folder) + u"\\Jobcora32.ini";
    WritePrivateProfileStringW(u"Office", key.c_str(), value.c_str(), file.c_str());
  }
  static bool Sent(DWORD item) {
    std::u16string key = u"Item";
    for (char c : std::to_string(item)) key += static_cast<char16_t>(c);
    return !Stored(key).empty();
  }
  void FillItems() {
    SetText(fid::kdmUserCode, u"1234");
    SetText(fid::kdmOwnerName, u"Owner Name");
    SetText(fid::kdmJOBPassword, u"pw");
    SetText(fid::kdmUserID, u"uid");
    SetText(fid::kdmDocumentName, u"Report");
    SetText(fid::kdmTelNo, u"555-0100");
    WriteFieldRawById(ctx_, fid::kdmTelLine, 3);
    SetText(fid::kdmStoredPassword, u"stored");
    SetText(fid::wdmAuthenticationUserName, u"alice");
    SetText(fid::wdmAuthenticationPassword, u"secret");
    SetText(fid::wdmAuthenticationNetworkKey, u"net");
  }
  static bool Loaded() { return GetModuleHandleW(u"Jobcora32.dll") != nullptr; }
};

constexpr DWORD kAllItems = 0x3FFF;

TEST_F(JobControl, ItemsWrittenByOneContextAreReadByAFreshOne) {
  ASSERT_EQ(JobControlStart(ctx_), 0u);
  FillItems();
  ASSERT_EQ(JobControlWriteMask(ctx_, kAllItems), 0u);
  EXPECT_FALSE(Loaded());

  DriverContext* other = Create(printer_, CTXK_INTERFACE, 0);
  ASSERT_NE(other, nullptr);
  for (WORD id : {fid::kdmUserCode, fid::kdmOwnerName, fid::wdmAuthenticationNetworkKey}) SetTextOf(other, id, u"");
  WriteFieldRawById(other, fid::kdmTelLine, 0);
  ASSERT_EQ(JobControlReadMask(other, 0x389F | 0x60), 0u);
  EXPECT_EQ(TextOf(other, fid::kdmUserCode), u"1234");
  EXPECT_EQ(TextOf(other, fid::kdmOwnerName), u"Owner Name");
  EXPECT_EQ(TextOf(other, fid::kdmTelNo), u"555-0100");
  EXPECT_EQ(ReadFieldRawById(other, fid::kdmTelLine), 3u);
  EXPECT_EQ(TextOf(other, fid::wdmAuthenticationPassword), u"secret");
  EXPECT_EQ(TextOf(other, fid::wdmAuthenticationNetworkKey), u"net");
  EXPECT_EQ(GetStateByte(other, 716), 0u);
  ReleaseContext(other, CTXR_DESTROY);
  // The identity items: "KOVA", the driver version and the language id (English: 9).
  EXPECT_EQ(Stored(u"Item256"), u"T004B004F00560041");
  EXPECT_EQ(Stored(u"Item258"), u"D9");
}

// kdmAdjustMode as the end of a merge sees it (event 52), or -1 before any merge.
std::int64_t g_adjustModeAtMerge = -1;
std::int32_t RecordAdjustModeAtMerge(DriverContext* context, DWORD event, void*, void*) {
  if (event == kMergeDoneEvent) g_adjustModeAtMerge = ReadFieldRawById(context, fid::kdmAdjustMode);
  return 0;
}

// A plain load of a settings file tells the job-control library the loaded items, except in
// the settings API, which also runs its closing merge with kdmAdjustMode off and then turns
// it on again.
TEST_F(JobControl, PlainSettingsFileLoadTellsTheLibraryOutsideTheSettingsApi) {
  const char16_t* file = u"C:\\Users\\me\\mine.kst";
  root_.WriteFile(u"C:\\Users\\me\\keep.txt", "");
  FillItems();
  WriteFieldRawById(ctx_, fid::kdmAdjustMode, 1);
  ASSERT_EQ(SaveSettingsFile(printer_, file, 0, ctx_), 1);
  WCHAR folder[260] = {};
  GetWindowsDirectoryW(folder, 260);
  const std::u16string library = std::u16string(folder) + u"\\Jobcora32.ini";
  struct Case {
    Deliverable deliverable;
    bool told;
  } cases[] = {{Deliverable::Interface, true}, {Deliverable::SettingsApi, false}, {Deliverable::Rendering, false}};
  for (const Case& c : cases) {
    WritePrivateProfileStringW(u"Office", nullptr, nullptr, library.c_str());
    ASSERT_EQ(JobControlStart(ctx_), 0u);
    SetDeliverable(c.deliverable);
    ExtensionModule recorder{0, nullptr, nullptr, nullptr, RecordAdjustModeAtMerge};
    ModuleList onlyRecorder{1, &recorder};
    ModuleList* modules = ctx_->work->modules;
    ctx_->work->modules = &onlyRecorder;
    g_adjustModeAtMerge = -1;
    LoadSettingsFile(printer_, file, 0, ctx_);
    ctx_->work->modules = modules;
    SetDeliverable(Deliverable::Interface);
    EXPECT_EQ(g_adjustModeAtMerge, c.deliverable == Deliverable::SettingsApi ? 0 : 1)
        << static_cast<int>(c.deliverable);
    EXPECT_EQ(Sent(1) || Sent(2) || Sent(7), c.told) << static_cast<int>(c.deliverable);
    EXPECT_EQ(ReadFieldRawById(ctx_, fid::kdmAdjustMode), 1u) << static_cast<int>(c.deliverable);
  }
}

// Which items each interface version carries (and, for 0x105, the card-authentication rule).
TEST_F(JobControl, InterfaceVersionsDecideWhichItemsAreSent) {
  struct Case {
    DWORD version;
    bool card;
    std::vector<DWORD> sent;
    std::vector<DWORD> notSent;
  } cases[] = {
      {0x101, false, {1, 7, 9, 10, 11}, {256, 257, 258}},
      {0x102, false, {1, 256, 257, 258}, {9, 10, 11}},
      {0x103, false, {8, 256, 258}, {9, 10, 11}},
      {0x104, true, {9, 10, 11, 256}, {}},
      {0x105, false, {9, 10, 11, 258}, {}},
      {0x105, true, {11, 256}, {9, 10}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.version);
    WCHAR folder[260] = {};
    GetWindowsDirectoryW(folder, 260);
    WritePrivateProfileStringW(u"Office", nullptr, nullptr, (std::u16string(folder) + u"\\Jobcora32.ini").c_str());
    Steer(u"Jobcora", u"MaxVersion", c.version);
    ASSERT_EQ(JobControlStart(ctx_), 0u);
    if (c.card) StoreKey(u"CardAuthentication", u"1");
    FillItems();
    ASSERT_EQ(JobControlWriteMask(ctx_, kAllItems), 0u);
    for (DWORD item : c.sent) EXPECT_TRUE(Sent(item)) << item;
    for (DWORD item : c.notSent) EXPECT_FALSE(Sent(item)) << item;
    EXPECT_EQ(QueryCardAuthentication(ctx_), c.card && c.version >= 0x105 ? 1 : 0);
  }
}

// A self-contained event inside an open pair reuses the binding: the library stays loaded
// and the handle open until the outer close.
TEST_F(JobControl, NestedPairsKeepTheLibraryUntilTheOuterClose) {
  ASSERT_EQ(JobControlStart(ctx_), 0u);
  ASSERT_EQ(JobControlOpen(ctx_), 0u);
  const DWORD handle = ctx_->work->jobControl.itemHandle;
  ASSERT_NE(handle, 0u);
  SetText(fid::kdmUserCode, u"77");
  EXPECT_EQ(JobControlWriteMask(ctx_, 0x1), 0u);
  EXPECT_TRUE(Loaded());
  EXPECT_EQ(ctx_->work->jobControl.itemHandle, handle);
  ASSERT_EQ(JobControlOpen(ctx_), 0u);
  EXPECT_EQ(JobControlClose(ctx_), 0u);
  EXPECT_TRUE(Loaded());
  SetText(fid::kdmUserCode, u"");
  EXPECT_EQ(JobControlRead(ctx_, 0x1), 0u);  // still works inside the outer pair
  EXPECT_EQ(Text(fid::kdmUserCode), u"77");
  EXPECT_EQ(JobControlClose(ctx_), 0u);
  EXPECT_FALSE(Loaded());
  EXPECT_EQ(ctx_->work->jobControl.itemHandle, 0u);
  EXPECT_EQ(JobControlClose(ctx_), 0u);  // an unpaired close does nothing
}

TEST_F(JobControl, ReadsCutLongTextsAndKeepSettingsForEmptyValues) {
  ASSERT_EQ(JobControlStart(ctx_), 0u);
  // Item 1 holds 20 characters: the setting keeps its 8 and a terminator.
  std::u16string hex = u"T";
  for (int i = 0; i < 20; ++i) hex += u"0041";
  StoreKey(u"Item1", hex);
  StoreKey(u"Item7", u"T0030");  // "0"
  StoreKey(u"Item2", u"T");      // empty
  SetText(fid::kdmOwnerName, u"kept");
  WriteFieldRawById(ctx_, fid::kdmTelLine, 5);
  ASSERT_EQ(JobControlReadMask(ctx_, 0x43), 0u);
  EXPECT_EQ(Text(fid::kdmUserCode), u"AAAAAAAA");
  EXPECT_EQ(ReadFieldRawById(ctx_, fid::kdmTelLine), 0u);
  EXPECT_EQ(Text(fid::kdmOwnerName), u"kept");
}

// The status query of the utility pages (built-in 250) binds the library for its own read:
// the user code it holds reaches kdmUserCode, the user code no longer counts as the
// provider's, and the library is unloaded again.
TEST_F(JobControl, TheStatusQueryReadsTheUserCodeFromTheLibrary) {
  ASSERT_EQ(JobControlStart(ctx_), 0u);
  StoreKey(u"Item1", u"T0034003700310031");  // "4711"
  StoreKey(u"Item2", u"T0058");              // not asked for
  SetText(fid::kdmUserCode, u"");
  SetText(fid::kdmOwnerName, u"kept");
  SetStateByte(ctx_, fid::KPD_kdmUserCodeGet, 1);
  SetStateByte(ctx_, fid::KPD_kdmUserCodeDLL, 1);
  CallModuleItemHooks(ctx_, 250);
  EXPECT_EQ(Text(fid::kdmUserCode), u"4711");
  EXPECT_EQ(Text(fid::kdmOwnerName), u"kept");
  EXPECT_EQ(GetStateByte(ctx_, fid::KPD_kdmUserCodeGet), 0u);
  EXPECT_EQ(GetStateByte(ctx_, fid::KPD_kdmUserCodeDLL), 0u);
  EXPECT_FALSE(Loaded());
}

TEST_F(JobControl, ResetEmptiesAndSendsClearOnlyEmpties) {
  ASSERT_EQ(JobControlStart(ctx_), 0u);
  FillItems();
  ASSERT_EQ(JobControlWriteMask(ctx_, 0x41), 0u);
  ASSERT_EQ(JobControlOpen(ctx_), 0u);
  EXPECT_EQ(JobControlResetItems(ctx_, 0x41), 0u);
  EXPECT_EQ(JobControlClose(ctx_), 0u);
  EXPECT_EQ(Text(fid::kdmUserCode), u"");
  EXPECT_EQ(Stored(u"Item1"), u"T");
  EXPECT_EQ(Stored(u"Item7"), u"T" + std::u16string(u"0030"));  // the model default, 0

  FillItems();
  JobControlClearItems(ctx_, 0x0C0);
  EXPECT_EQ(ReadFieldRawById(ctx_, fid::kdmTelLine), 0u);
  EXPECT_EQ(Text(fid::kdmStoredPassword), u"");
  EXPECT_EQ(Text(fid::kdmOwnerName), u"Owner Name");
}

TEST_F(JobControl, MissingLibraryOrFailedOpenChangesNothing) {
  Steer(u"Jobcora", u"OpenFails", 1);
  FillItems();
  EXPECT_NE(JobControlReadMask(ctx_, kAllItems), 0u);
  EXPECT_EQ(CanOpenJobControlItems(ctx_), 0);
  EXPECT_FALSE(Loaded());
  root_.WriteFile(SystemFolder() + u"\\Jobcora32.so", "");  // not a library any more
  EXPECT_NE(JobControlOpen(ctx_), 0u);
  EXPECT_EQ(ctx_->work->jobControl.library, nullptr);
  EXPECT_EQ(JobControlClose(ctx_), 0u);
  EXPECT_EQ(Text(fid::kdmOwnerName), u"Owner Name");
}

TEST_F(JobControl, LogonPreparesThePrinterAndSendsTheIdentity) {
  EXPECT_EQ(CanOpenJobControlItems(ctx_), 0);
  JobControlLogon(ctx_);
  EXPECT_EQ(CanOpenJobControlItems(ctx_), 1);
  EXPECT_TRUE(Sent(256));
  EXPECT_TRUE(Sent(257));
  EXPECT_TRUE(Sent(258));
}

TEST_F(JobControl, ItemsThroughPrinterData) {
  FillItems();
  SaveJobControlItemsToPrinterData(ctx_, 0x389F);
  SetText(fid::kdmOwnerName, u"");
  SetText(fid::wdmAuthenticationUserName, u"");
  LoadJobControlItemsFromPrinterData(ctx_, 0x0802);
  EXPECT_EQ(Text(fid::kdmOwnerName), u"Owner Name");
  EXPECT_EQ(Text(fid::wdmAuthenticationUserName), u"alice");
}

TEST_F(JobControl, DocumentStartRunsTheCardSessionOnlyWithCardAuthentication) {
  ASSERT_EQ(JobControlStart(ctx_), 0u);
  RunJobControlForDocument(printer_);  // no card authentication: nothing to do
  StoreKey(u"CardAuthentication", u"1");
  RunJobControlForDocument(printer_);
  EXPECT_FALSE(Loaded());
}

}  // namespace job_control_test
}  // namespace kovatest
