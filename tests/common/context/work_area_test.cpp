// Build switches, saved field states, custom function fields and the sort-type question.
#include <gtest/gtest.h>

#include <cstring>

#include "base/build_switches.h"
#include "fields/field_access.h"
#include "fields/field_table.h"
#include "model/work_area.h"
#include "context_fixture.h"

namespace {

using kovatest::ContextTest;

TEST(BuildSwitches, FeatureBitmap) {
  for (DWORD bit = 0; bit < 70; ++bit) {
    const bool set = bit == 7 || bit == 8 || (bit >= 10 && bit <= 13);
    EXPECT_EQ(IsBuildFeatureEnabled(bit), set ? 1 : 0) << bit;
  }
  EXPECT_EQ(IsFeature15Enabled(), 0);
  EXPECT_EQ(IsStaticFlagSet(), 0);
}

TEST(BuildSwitches, TrayIndexTableAndFeatureKinds) {
  const struct {
    std::int16_t index;
    int enabled;
  } trays[] = {{-1, 0}, {0, 0}, {1, 1}, {2, 0}, {8, 0}, {9, 0}, {0x7FFF, 0}};
  for (const auto& t : trays) EXPECT_EQ(IsTrayIndexEnabled(t.index), t.enabled) << t.index;
  for (WORD kind = 0; kind < 8; ++kind) EXPECT_EQ(IsFeatureKindSupported(nullptr, kind, 0), kind <= 5 ? 1 : 0) << kind;
  EXPECT_EQ(IsFeatureKindSupported(nullptr, 0xFFFF, 0), 0);
}

TEST(BuildSwitches, ServerConnectorRunsOnlyBehindASetBit) {
  // Bit 0 is clear; bit 7 runs the upload, which answers 0 while no connector is there;
  // bit 8 is set but names no connector step.
  for (DWORD bit : {0u, 7u, 8u, 64u}) EXPECT_EQ(RunServerConnectorIfEnabled(bit, 0, nullptr), 0) << bit;
}

class WorkAreaOps : public ContextTest {
 protected:
  void SetUp() override {
    ContextTest::SetUp();
    ctx_ = Create(Install(u"Work"));
    ASSERT_NE(ctx_, nullptr);
  }
  void TearDown() override {
    ReleaseContext(ctx_, CTXR_DESTROY);
    ContextTest::TearDown();
  }
  DriverContext* ctx_ = nullptr;
};

TEST_F(WorkAreaOps, FieldStatesComeBackAsSaved) {
  const int count = ctx_->fields.count;
  ASSERT_GT(count, 0);
  std::vector<SettingField> before(ctx_->fields.records, ctx_->fields.records + count);
  FieldStateBlock* saved = SaveFieldStates(ctx_);
  ASSERT_NE(saved, nullptr);
  EXPECT_EQ(saved->header.count, count);
  ctx_->fields.records[0].marks = 0x3FF;
  ctx_->fields.records[count - 1].runtimeFlags = 0x1030000;
  ctx_->fields.records[5].storeKind = STORE_INI;
  RestoreFieldStates(ctx_, saved);
  EXPECT_EQ(std::memcmp(before.data(), ctx_->fields.records, count * sizeof(SettingField)), 0);
  RestoreFieldStates(ctx_, nullptr);
  EXPECT_EQ(SaveFieldStates(nullptr), nullptr);
}

TEST_F(WorkAreaOps, ASavedBlockOfAnotherCountRestoresOnlyTheCommonRecords) {
  FieldStateBlock* saved = SaveFieldStates(ctx_);
  ASSERT_NE(saved, nullptr);
  saved->header.count = 3;
  const WORD marks = ctx_->fields.records[3].marks;
  ctx_->fields.records[0].marks = 0x155;
  ctx_->fields.records[3].marks = 0x2AA;
  RestoreFieldStates(ctx_, saved);
  EXPECT_NE(ctx_->fields.records[0].marks, 0x155);
  EXPECT_EQ(ctx_->fields.records[3].marks, 0x2AA);
  ctx_->fields.records[3].marks = marks;
}

TEST_F(WorkAreaOps, CustomFunctionFields) {
  WriteFieldRawById(ctx_, 1462, 1);
  WriteFieldRawById(ctx_, 1493, 1);
  EXPECT_EQ(GetCustomFuncField(ctx_, 1462), 1u);
  EXPECT_EQ(GetCustomFuncField(ctx_, 1493), 1u);
  EXPECT_EQ(GetCustomFuncField(ctx_, 1461), 0u);
  EXPECT_EQ(GetCustomFuncField(ctx_, 1494), 0u);
  EXPECT_EQ(GetCustomFuncField(nullptr, 1494), 0u);  // answered without reading anything
}

TEST_F(WorkAreaOps, ANewContextStartsAsDocumented) {
  const WorkArea* work = ctx_->work;
  EXPECT_EQ(ctx_->pageId, 0);
  EXPECT_NE(ctx_->model, nullptr);
  ASSERT_NE(ctx_->settings, nullptr);
  EXPECT_EQ(std::memcmp(ctx_->settings + 220, "KOVA", 4), 0);
  EXPECT_EQ(work->useMutex, 1);
  EXPECT_EQ(work->adminTest, 1);
  EXPECT_EQ(work->kind, CTXK_INTERFACE);
  EXPECT_EQ(std::u16string(work->printerName), u"Work");
  EXPECT_EQ(std::u16string(work->modelName), u"KOVA Sample Driver");
  EXPECT_NE(work->languageCode[0], 0);
  for (BYTE* slot : work->snapshots) EXPECT_NE(slot, nullptr);
  EXPECT_NE(work->savedSettings, nullptr);
  EXPECT_NE(work->lockDefaults, nullptr);
  EXPECT_NE(work->evalStack, nullptr);
  EXPECT_EQ(work->evalStackDepth, 0);
  // The saved copy was taken from the finished settings buffer.
  EXPECT_EQ(std::memcmp(work->savedSettings, ctx_->settings, 1236), 0);
  // No caller records were given: none are kept.
  EXPECT_EQ(work->printerInfo, nullptr);
  EXPECT_EQ(work->driverInfo, nullptr);
  EXPECT_EQ(HasSortTypeChoices(ctx_), 0);
}

TEST_F(WorkAreaOps, CallerRecordsAreCopiedAndTheDeviceModeReadOnlyAsFarAsItReaches) {
  HANDLE h = Open(u"Work");
  // A device-mode of public size only, at the end of its own allocation.
  std::vector<BYTE> devmode(220);
  devmode[68] = 220;  // dmSize
  devmode[70] = 0;    // dmDriverExtra
  devmode[0] = 'X';
  PRINTER_INFO_2W info{};
  info.pServerName = nullptr;
  info.pPrinterName = const_cast<LPWSTR>(u"Work");
  info.pShareName = const_cast<LPWSTR>(u"share");
  info.pDriverName = const_cast<LPWSTR>(u"KOVA Sample Driver");
  info.pComment = const_cast<LPWSTR>(u"not kept");
  info.pDevMode = reinterpret_cast<DEVMODEW*>(devmode.data());
  info.Attributes = 0x40;
  DRIVER_INFO_3W driver{};
  driver.cVersion = 3;
  driver.pDriverPath = const_cast<LPWSTR>(u"C:\\drv\\Rendara.dll");
  driver.pHelpFile = const_cast<LPWSTR>(u"C:\\drv\\KOVAUS.HLP");
  driver.pDataFile = const_cast<LPWSTR>(u"not kept");
  DriverContext* ctx = CreateContextWithFlags(h, h, 0, 0x300, CTXK_INTERFACE, &info, &driver);
  ASSERT_NE(ctx, nullptr);
  const PRINTER_INFO_2W* pi = ctx->work->printerInfo;
  ASSERT_NE(pi, nullptr);
  EXPECT_NE(pi->pPrinterName, info.pPrinterName);
  EXPECT_EQ(std::u16string(pi->pPrinterName), u"Work");
  EXPECT_EQ(std::u16string(pi->pShareName), u"share");
  EXPECT_EQ(pi->pServerName, nullptr);
  EXPECT_EQ(pi->pComment, nullptr);
  EXPECT_EQ(pi->Attributes, 0x40u);
  ASSERT_NE(pi->pDevMode, nullptr);
  const BYTE* copy = reinterpret_cast<const BYTE*>(pi->pDevMode);
  EXPECT_EQ(copy[0], 'X');
  EXPECT_EQ(copy[220], 0);  // the rest of the 1236-byte block stays zero
  const DRIVER_INFO_3W* di = ctx->work->driverInfo;
  ASSERT_NE(di, nullptr);
  EXPECT_EQ(std::u16string(di->pHelpFile), u"C:\\drv\\KOVAUS.HLP");
  EXPECT_EQ(di->pDataFile, nullptr);
  ReleaseContext(ctx, CTXR_DESTROY);
}

}  // namespace
