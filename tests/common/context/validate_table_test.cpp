// The validate-or-default table: its layout, each handler kind in both modes, the rows
// whose default comes from elsewhere, and the pass over a context's fields.
#include <gtest/gtest.h>

#include "context/validate_table.h"
#include "model/value_sets.h"
#include "model_context.h"

namespace kovatest {
namespace {

TEST(ValidateTable, LayoutAndRowCounts) {
  const ValidateOrDefaultRow* t = GetValidateOrDefaultTable();
  static_assert(sizeof(ValidateOrDefaultRow) == 12);
  EXPECT_EQ(offsetof(ValidateOrDefaultRow, fieldId), 0u);
  EXPECT_EQ(offsetof(ValidateOrDefaultRow, handler), 4u);
  EXPECT_EQ(offsetof(ValidateOrDefaultRow, defaultValue), 8u);
  for (DWORD i = 0; i <= 580; ++i) ASSERT_EQ(t[i].fieldId, 35 + i) << i;
  EXPECT_EQ(t[581].fieldId, 647u);
  for (DWORD i = 582; i < kValidateOrDefaultRows; ++i) EXPECT_EQ(t[i].fieldId, 679 + (i - 582)) << i;
  int counts[12] = {};
  for (DWORD i = 0; i < kValidateOrDefaultRows; ++i) ++counts[static_cast<int>(t[i].handler)];
  EXPECT_EQ(counts[static_cast<int>(VodHandler::None)], 437);
  EXPECT_EQ(counts[static_cast<int>(VodHandler::ValueList)], 56);
  EXPECT_EQ(counts[static_cast<int>(VodHandler::ValueListQuality)], 2);
  EXPECT_EQ(counts[static_cast<int>(VodHandler::ValueListProduct)], 2);
  EXPECT_EQ(counts[static_cast<int>(VodHandler::Range)], 21);
  EXPECT_EQ(counts[static_cast<int>(VodHandler::Reset)] + counts[static_cast<int>(VodHandler::ResetCommandVersion)], 73);
  EXPECT_EQ(counts[static_cast<int>(VodHandler::Nothing)], 5);
  EXPECT_EQ(FindValidateOrDefaultRow(611)->defaultValue, 1027);
  EXPECT_EQ(FindValidateOrDefaultRow(693)->defaultValue, 5);
  EXPECT_EQ(FindValidateOrDefaultRow(34), nullptr);
  EXPECT_EQ(FindValidateOrDefaultRow(616), nullptr);
  EXPECT_EQ(FindValidateOrDefaultRow(97)->handler, VodHandler::None);
  EXPECT_EQ(FindValidateOrDefaultRow(697), nullptr);
}

class ValidateRows : public ::testing::Test {
 protected:
  // The row's handler on a value written into the field; the field's raw value afterwards.
  std::int32_t Run(WORD id, std::int32_t value, DWORD mode) {
    m_.SetRaw(id, static_cast<DWORD>(value));
    const ValidateOrDefaultRow* row = FindValidateOrDefaultRow(id);
    EXPECT_NE(row, nullptr) << id;
    if (row) RunValidateOrDefaultRow(m_.ctx(), *row, m_.Raw(id), mode);
    return m_.Signed(id);
  }
  ModelContext m_;
};

TEST_F(ValidateRows, EdgesOfTheHandlers) {
  m_.SetRaw(38, 600);  // the margin limit's resolution
  struct Case {
    const char* name;
    WORD id;
    std::int32_t value;
    DWORD mode;
    std::int32_t after;
  } cases[] = {
      {"gamma C defaults to 5", 399, 0, VOD_DEFAULTS, 5},
      {"plane yellow: a bit field reads 1 for its default 4", 146, 0, VOD_DEFAULTS, 1},
      {"paper fit type", 611, 0, VOD_DEFAULTS, 1027},
      {"saturation -50 kept", 140, -50, VOD_VALIDATE, -50},
      {"saturation 50 kept", 140, 50, VOD_VALIDATE, 50},
      {"saturation -51 replaced", 140, -51, VOD_VALIDATE, 0},
      {"saturation 51 replaced", 140, 51, VOD_VALIDATE, 0},
      {"saturation 30 in mode 1", 140, 30, VOD_DEFAULTS, 0},
      {"action stored-print reset though valid (bit field)", 214, 0, VOD_VALIDATE, 1},
      {"machine id 7 in mode 2", 35, 7, VOD_VALIDATE, 90},
      {"machine id 7 in mode 1", 35, 7, VOD_DEFAULTS, 90},
      {"machine id 90 kept", 35, 90, VOD_VALIDATE, 90},
      {"scale 20 kept", 89, 20, VOD_VALIDATE, 20},
      {"scale 401 replaced", 89, 401, VOD_VALIDATE, 100},
      {"header font point 6 kept", 116, 6, VOD_VALIDATE, 6},
      {"header font point 5 replaced", 116, 5, VOD_VALIDATE, 10},
      {"tray 15 kept", 123, 15, VOD_VALIDATE, 15},
      {"tray 16 replaced", 123, 16, VOD_VALIDATE, 7},
      {"tray 281 (value list) kept", 125, 281, VOD_VALIDATE, 281},
      {"output paper 1024 kept", 46, 1024, VOD_VALIDATE, 1024},
      {"output paper 256 kept", 46, 256, VOD_VALIDATE, 256},
      {"output paper 119 replaced", 46, 119, VOD_VALIDATE, 1024},
      {"margin 0 kept", 98, 0, VOD_VALIDATE, 0},
      {"margin -1 replaced (compared without sign)", 98, -1, VOD_VALIDATE, 0},
      {"margin 1181 kept at 600 dpi", 99, 1181, VOD_VALIDATE, 1181},
      {"margin 1200 replaced at 600 dpi", 99, 1200, VOD_VALIDATE, 0},
      {"preset byte 255 kept", 37, 255, VOD_VALIDATE, -1},
      {"preset byte 200 replaced", 37, 200, VOD_VALIDATE, 0},
      {"gamma 9 kept", 402, 9, VOD_VALIDATE, 9},
      {"gamma 10 replaced", 402, 10, VOD_VALIDATE, 5},
      {"cycle 99 kept", 411, 99, VOD_VALIDATE, 99},
      {"cycle 0 replaced", 411, 0, VOD_VALIDATE, 1},
      {"output tray kept whatever it holds", 53, 4000, VOD_VALIDATE, 4000},
      {"output tray defaulted in mode 1", 53, 4000, VOD_DEFAULTS, 0},
      {"a do-nothing row", 118, 77, VOD_DEFAULTS, 77},
      {"a row without a handler", 97, 1, VOD_DEFAULTS, 1},
      {"command-language version from the product", 233, 0, VOD_VALIDATE, 16},
      {"display unit from the product", 171, 9, VOD_VALIDATE, 0},
      {"display unit 1 allowed", 171, 1, VOD_VALIDATE, 1},
      {"language 18 kept", 169, 18, VOD_VALIDATE, 18},
      {"language 19 replaced", 169, 19, VOD_VALIDATE, 0},
      {"N-up type 32769 allowed", 92, 32769, VOD_VALIDATE, 32769},
      {"N-up type 32773 replaced", 92, 32773, VOD_VALIDATE, 1},
      {"any other mode defaults", 140, -50, 7, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(Run(c.id, c.value, c.mode), c.after) << c.name;
}

TEST_F(ValidateRows, ResolutionRowsDefaultToAValidPrintQuality) {
  m_.SetRaw(14, 1200);
  EXPECT_EQ(Run(38, 0, VOD_DEFAULTS), 1200);
  EXPECT_EQ(Run(39, 555, VOD_VALIDATE), 1200);
  EXPECT_EQ(Run(39, 300, VOD_VALIDATE), 300);
  m_.SetRaw(14, 601);
  EXPECT_EQ(Run(38, 0, VOD_DEFAULTS), 600);
  m_.product().defaultResolutionH = 300;
  EXPECT_EQ(Run(39, 0, VOD_DEFAULTS), 300);
}

TEST_F(ValidateRows, DisplayLanguageFollowsTheLanguageInModeOne) {
  m_.SetRaw(169, 5);
  EXPECT_EQ(Run(170, 9, VOD_DEFAULTS), 5);
  EXPECT_EQ(Run(170, 9, VOD_VALIDATE), 9);
  EXPECT_EQ(Run(170, 40, VOD_VALIDATE), 0);
}

// Every handled row once in each mode: defaults land as the field stores them; validation
// keeps exactly the values of the row's kind.
TEST_F(ValidateRows, EveryHandledRowInBothModes) {
  const ValidateOrDefaultRow* t = GetValidateOrDefaultTable();
  for (DWORD i = 0; i < kValidateOrDefaultRows; ++i) {
    const ValidateOrDefaultRow& row = t[i];
    const WORD id = static_cast<WORD>(row.fieldId);
    SettingField* field = m_.field(id);
    ASSERT_NE(field, nullptr);
    if (IsTextFieldCode(FieldCodeOf(field->type))) continue;  // text has no raw value here
    // The row default as the field holds it.
    m_.SetRaw(id, static_cast<DWORD>(row.defaultValue));
    const DWORD stored = m_.Raw(id);
    switch (row.handler) {
      case VodHandler::Reset:
        m_.SetRaw(id, 0);
        RunValidateOrDefaultRow(m_.ctx(), row, 0, VOD_VALIDATE);
        EXPECT_EQ(m_.Raw(id), stored) << id;
        break;
      case VodHandler::ValueList: {
        const ValueSetRow* set = FindValueSet(id);
        // A value of the set is kept (when the field can hold it); one outside is replaced.
        if (set && set->count > 0) {
          const DWORD allowed = set->values[set->count - 1];
          m_.SetRaw(id, allowed);
          if (m_.Raw(id) == allowed) {
            RunValidateOrDefaultRow(m_.ctx(), row, allowed, VOD_VALIDATE);
            EXPECT_EQ(m_.Raw(id), allowed) << id;
          }
        }
        m_.SetRaw(id, 0);
        RunValidateOrDefaultRow(m_.ctx(), row, 0xFFFFFFF0u, VOD_VALIDATE);
        EXPECT_EQ(m_.Raw(id), stored) << id;
        m_.SetRaw(id, 0);
        RunValidateOrDefaultRow(m_.ctx(), row, 0, VOD_DEFAULTS);
        EXPECT_EQ(m_.Raw(id), stored) << id;
        break;
      }
      case VodHandler::Range:
        m_.SetRaw(id, 0);
        RunValidateOrDefaultRow(m_.ctx(), row, 0, VOD_DEFAULTS);
        EXPECT_EQ(m_.Raw(id), stored) << id;
        break;
      case VodHandler::None:
      case VodHandler::Nothing:
        m_.SetRaw(id, 1);
        RunValidateOrDefaultRow(m_.ctx(), row, 1, VOD_DEFAULTS);
        RunValidateOrDefaultRow(m_.ctx(), row, 1, VOD_VALIDATE);
        EXPECT_EQ(m_.Raw(id), 1u) << id;
        break;
      default:
        break;
    }
  }
}

TEST(ValidateOrDefaultAllPass, UndescribedFieldsGetTheirRowDefaults) {
  ModelContext m;  // no model: described fields give status 3 and keep their values
  m.SetRaw(36, 7);     // described (keyword id), row default 1: untouched
  m.SetRaw(169, 4);    // no keyword id in this dictionary: its row writes the product's 0
  m.SetRaw(172, 33);   // do-nothing row
  m.SetRaw(688, 9);    // a row the pass never reaches
  ValidateOrDefaultAll(m.ctx(), VOD_DEFAULTS);
  const struct {
    WORD id;
    DWORD after;
  } expected[] = {{35, 90}, {36, 7}, {57, 0}, {130, 0}, {144, 1}, {147, 1}, {169, 0}, {170, 0}, {172, 33}, {214, 1},
                  {233, 16}, {399, 5}, {402, 5}, {411, 1}, {445, 2}, {446, 3}, {603, 1}, {611, 1027}, {612, 1},
                  {688, 9}};
  for (const auto& e : expected) EXPECT_EQ(m.Raw(e.id), e.after) << e.id;

  // Validation keeps acceptable values and replaces the rest.
  m.SetRaw(140, static_cast<DWORD>(-20));
  m.SetRaw(141, 99);
  m.SetRaw(35, 90);
  ValidateOrDefaultAll(m.ctx(), VOD_VALIDATE);
  EXPECT_EQ(m.Signed(140), -20);
  EXPECT_EQ(m.Raw(141), 0u);
  EXPECT_EQ(m.Raw(35), 90u);
}

TEST(ValidateOrDefaultAllPass, ADescribedFieldGetsTheModelDefault) {
  // kdmScaleType's row default is 2; the model's default is 1.
  ModelContext m(PickOne("KPD_IDC_SCALETYPE", {"KDMSCALETYPE_0", "KDMSCALETYPE_1"}, "KDMSCALETYPE_1"));
  m.SetRaw(87, 3);
  ValidateOrDefaultAll(m.ctx(), VOD_VALIDATE);
  EXPECT_EQ(m.Raw(87), 1u);
}

TEST(ValidateOrDefaultAllPass, NullAndEmptyContexts) {
  ValidateOrDefaultAll(nullptr, VOD_DEFAULTS);
  DriverContext empty{};
  ValidateOrDefaultAll(&empty, VOD_VALIDATE);
}

}  // namespace
}  // namespace kovatest
