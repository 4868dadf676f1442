// The install mark: a printer the installer marked gets its job items from printer data
// when its first normal context is built, and the mark is cleared.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "fields/field_access.h"
#include "fields/field_job_items.h"
#include "fields/field_table.h"
#include "fields/product_record.h"
#include "field_ids.h"
#include "win/profile.h"
#include "context_fixture.h"

namespace install_mark_test {

namespace {

using kovatest::ContextTest;

const SettingFieldDef* Row(WORD id) {
  const SettingFieldDef* rows = GetBuiltInFields();
  for (int i = 0; i < kBuiltInFieldCount; ++i) {
    if (rows[i].id == id) return &rows[i];
  }
  return nullptr;
}

// A printer-data value under the field's own name that fills the field with the byte.
plat::spooler::DataValue FieldValue(WORD id, BYTE fill) {
  const SettingFieldDef* row = Row(id);
  EXPECT_NE(row, nullptr);
  std::vector<BYTE> bytes(FieldSizeOf(row->type), fill);
  return plat::spooler::BinaryValue(row->name, bytes);
}

class InstallMark : public ContextTest {
 protected:
  std::u16string Ini() const { return plat::SystemDirectory() + u"\\KOVA.ini"; }
  DWORD Mark(const char16_t* printer) const {
    return GetPrivateProfileIntW(printer, u"DrvInstSet", -1, Ini().c_str());
  }
};

TEST_F(InstallMark, MarkedPrinterReadsItsJobItemsOnceInMode0) {
  constexpr WORD kUserCode = fid::kdmUserCode;
  const WORD ownerName = GetJobItemFieldByBit(JCI_OWNER_NAME);
  ASSERT_NE(ownerName, 0);
  HANDLE h = Install(u"Marked", true, {FieldValue(kUserCode, 'u'), FieldValue(ownerName, 'o')});
  root_.WriteFile(Ini(), "[Marked]\r\nDrvInstSet=1\r\n");

  // Mode 2 skips the install bookkeeping: the mark stays.
  DriverContext* quiet = CreateContextWithFlags(h, h, 0, 2, CTXK_INTERFACE, nullptr, nullptr);
  ASSERT_NE(quiet, nullptr);
  EXPECT_EQ(Mark(u"Marked"), 1u);
  ReleaseContext(quiet, CTXR_DESTROY);

  DriverContext* ctx = Create(h);
  ASSERT_NE(ctx, nullptr);
  EXPECT_EQ(Mark(u"Marked"), 0u);
  const SettingField* userCode = FindFieldById(ctx, kUserCode);
  ASSERT_NE(userCode, nullptr);
  const BYTE* at = GetFieldAddress(ctx, userCode);
  ASSERT_NE(at, nullptr);
  // The stored value fills the field; the text keeps its terminator inside it.
  const DWORD size = FieldSizeOf(userCode->type);
  ASSERT_GE(size, 2u);
  EXPECT_EQ(at[0], 'u');
  EXPECT_EQ(at[size - 2], 'u');
  EXPECT_EQ(at[size - 1], 0);
  const BYTE* owner = GetFieldAddress(ctx, FindFieldById(ctx, ownerName));
  ASSERT_NE(owner, nullptr);
  EXPECT_EQ(owner[0], 'o');
  // The saved copy is taken after the items were read.
  EXPECT_EQ(std::memcmp(ctx->work->savedSettings, ctx->settings, GetSettingsBufferSize()), 0);
  ReleaseContext(ctx, CTXR_DESTROY);
}

TEST_F(InstallMark, AnUnmarkedPrinterLeavesTheInstallIniAlone) {
  HANDLE h = Install(u"Plain");
  DriverContext* ctx = Create(h);
  ASSERT_NE(ctx, nullptr);
  EXPECT_EQ(Mark(u"Plain"), static_cast<DWORD>(-1));
  ReleaseContext(ctx, CTXR_DESTROY);
}

}  // namespace

}  // namespace install_mark_test
