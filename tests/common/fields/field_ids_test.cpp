// The generated fid:: constants against the built-in tables they are generated beside:
// a constant's id must be the row that carries its name.
#include <gtest/gtest.h>

#include <string>
#include <type_traits>

#include "fields/dictionary_lookup.h"
#include "fields/field_table.h"
#include "base/settings_field.h"
#include "field_ids.h"

namespace field_ids_test {

namespace {

static_assert(std::is_same_v<decltype(fid::dmPaperSize), const WORD>);

std::string Narrow(const WCHAR* s) {
  std::string out;
  for (; s && *s; ++s) out.push_back(static_cast<char>(*s));
  return out;
}

const SettingFieldDef* Row(WORD id) {
  for (int i = 0; i < kBuiltInFieldCount; ++i) {
    if (GetBuiltInFields()[i].id == id) return &GetBuiltInFields()[i];
  }
  return nullptr;
}

struct NamedId {
  WORD id;
  const char* name;
};

// Single fields, runs, bits of a word, each area and both ends of the id range.
constexpr NamedId kOwnNames[] = {
    {fid::dmDeviceName, "dmDeviceName"},
    {fid::dmPaperSize, "dmPaperSize"},
    {fid::dmCollate, "dmCollate"},
    {fid::kdmPresetNo, "kdmPresetNo"},
    {fid::kdmFuncSelectSort, "kdmFuncSelectSort"},
    {fid::kdmFuncSelectReserve1, "kdmFuncSelectReserve1"},
    {fid::kdmLanguageID, "kdmLanguageID"},
    {fid::wdmFreeSizeWidth, "wdmFreeSizeWidth"},
    {fid::wdmBuiltInFunc, "wdmBuiltInFunc"},
    {fid::wdmCustomFunc31, "wdmCustomFunc31"},
    {fid::kdmLogCodeUse, "kdmLogCodeUse"},
    {fid::kdmLock000InfoBitMedia, "kdmLock000InfoBitMedia"},
    {fid::kdmLockDstResolutionBoth, "kdmLockDstResolutionBoth"},
};

TEST(FieldIds, OwnNamesAreTheRowsOfTheirIds) {
  for (const NamedId& c : kOwnNames) {
    SCOPED_TRACE(c.name);
    const SettingFieldDef* row = Row(c.id);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(Narrow(row->name), c.name);
  }
}

// A KPD_ name is not the row's own name: it is the control-name row that carries the id.
constexpr NamedId kControlNames[] = {
    {fid::KPD_kdmJobfold, "KPD_kdmJobfold"},
    {fid::KPD_kdmPLInstalled, "KPD_kdmPLInstalled"},
    {fid::KPD_PrintPaperOrient, "KPD_PrintPaperOrient"},
};

TEST(FieldIds, ControlNamesAreTheControlRowsOfTheirIds) {
  const ControlNameTable* table = GetControlNameTable();
  ASSERT_NE(table, nullptr);
  for (const NamedId& c : kControlNames) {
    SCOPED_TRACE(c.name);
    const SettingFieldDef* row = Row(c.id);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->name, nullptr);
    const ControlNameEntry* found = nullptr;
    for (DWORD i = 0; i < table->count && !found; ++i) {
      if (table->entries[i].fieldId == c.id) found = &table->entries[i];
    }
    ASSERT_NE(found, nullptr);
    EXPECT_STREQ(found->name, c.name);
  }
}

}  // namespace

}  // namespace field_ids_test
