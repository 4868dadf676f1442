// The font-table fields hold handles into a per-process table, never addresses.
#include <gtest/gtest.h>

#include <cstring>

#include "fields/field_access.h"
#include "fields/field_handles.h"
#include "field_fixture.h"

namespace {

using kovatest::FieldContext;

TEST(FieldHandles, FontTableFieldsHoldHandles) {
  FieldContext fc;
  int fonts[4] = {};
  ASSERT_TRUE(SetFieldBlockById(fc.get(), 10005, &fonts));
  const DWORD handle = ReadFieldRawById(fc.get(), 10005);
  EXPECT_NE(handle, 0u);
  EXPECT_EQ(GetFieldBlockById(fc.get(), 10005), &fonts);
  EXPECT_EQ(fc.work().dirty, 1);
  // Other fields do not take blocks.
  EXPECT_FALSE(SetFieldBlockById(fc.get(), 10004, &fonts));
  EXPECT_EQ(GetFieldBlockById(fc.get(), 10004), nullptr);
  EXPECT_EQ(ReleaseFieldBlock(handle), &fonts);
  EXPECT_EQ(GetFieldBlockById(fc.get(), 10005), nullptr);  // a stale handle resolves to nothing
  EXPECT_EQ(ReleaseFieldBlock(handle), nullptr);
  ASSERT_TRUE(SetFieldBlockById(fc.get(), 10005, nullptr));
  EXPECT_EQ(ReadFieldRawById(fc.get(), 10005), 0u);
}

TEST(FieldHandles, HandlesAreDistinctAndNeverZero) {
  int a = 0, b = 0;
  const DWORD ha = RegisterFieldBlock(&a), hb = RegisterFieldBlock(&b);
  EXPECT_NE(ha, 0u);
  EXPECT_NE(hb, 0u);
  EXPECT_NE(ha, hb);
  EXPECT_EQ(RegisterFieldBlock(nullptr), 0u);
  EXPECT_EQ(ResolveFieldBlock(0), nullptr);
  EXPECT_EQ(ReleaseFieldBlock(ha), &a);
  EXPECT_EQ(ReleaseFieldBlock(hb), &b);
}

TEST(FieldHandles, APersistedCopyHoldsZero) {
  FieldContext fc;
  int block = 0;
  for (WORD id : {WORD{10005}, WORD{10007}, WORD{10009}, WORD{10011}}) {
    ASSERT_TRUE(SetFieldBlockById(fc.get(), id, &block));
  }
  WriteFieldRawById(fc.get(), 10010, 3);   // kdmInstOptionFontNum stays
  WriteFieldRawById(fc.get(), 10012, 64);  // kdmPrinterMemory stays
  const DWORD handles[] = {ReadFieldRawById(fc.get(), 10005), ReadFieldRawById(fc.get(), 10007),
                           ReadFieldRawById(fc.get(), 10009), ReadFieldRawById(fc.get(), 10011)};
  ClearFieldHandlesInBuffer(fc.settings());
  for (WORD id : {WORD{10005}, WORD{10007}, WORD{10009}, WORD{10011}}) EXPECT_EQ(ReadFieldRawById(fc.get(), id), 0u);
  EXPECT_EQ(ReadFieldRawById(fc.get(), 10010), 3u);
  EXPECT_EQ(ReadFieldRawById(fc.get(), 10012), 64u);
  for (DWORD h : handles) EXPECT_EQ(ReleaseFieldBlock(h), &block);
  ClearFieldHandlesInBuffer(nullptr);
}

}  // namespace
