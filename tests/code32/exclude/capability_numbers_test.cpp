// Capability numbers from the model: the shift-margin limits and capability 34, and the
// caller's shift margin that a model with a shift-margin range keeps.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "capability_numbers.h"
#include "command_base_items.h"
#include "constrix_fixture.h"
#include "fields/field_access.h"
#include "fields/product_record.h"
#include "devmode_exports.h"
#include "field_ids.h"
#include "win/devmode.h"

namespace kovatest {
namespace capability_numbers_test {
namespace {

// The options of the shift fields, inserted into the unit tests' printer model.
const char* const kShiftY =
    "*OpenUI *KPD_IDC_SHIFTMARGINY: Numeric\r\n*NumericValue: \"1 0 -1200 2400 0 120 1 1\"\r\n*CloseUI\r\n";
const char* const kShiftYWithoutValues = "*OpenUI *KPD_IDC_SHIFTMARGINY: Numeric\r\n*CloseUI\r\n";
const char* const kShiftYList =
    "*OpenUI *KPD_IDC_SHIFTMARGINY: PickOne\r\n*DefaultKPD_IDC_SHIFTMARGINY: KDMSHIFTMARGINY_0\r\n"
    "*KPD_IDC_SHIFTMARGINY KDMSHIFTMARGINY_0: \"\"\r\n*CloseUI\r\n";
const char* const kShiftX =
    "*OpenUI *KPD_IDC_SHIFTMARGINX: Numeric\r\n*NumericValue: \"1 60 0 4800 0 120 1 1\"\r\n*CloseUI\r\n";
const char* const kShiftXList =
    "*OpenUI *KPD_IDC_SHIFTMARGINX: PickOne\r\n*DefaultKPD_IDC_SHIFTMARGINX: KDMSHIFTMARGINX_0\r\n"
    "*KPD_IDC_SHIFTMARGINX KDMSHIFTMARGINX_0: \"\"\r\n*CloseUI\r\n";
const char* const kShiftDir =
    "*OpenUI *KPD_IDC_SHIFTDIR: PickOne\r\n*DefaultKPD_IDC_SHIFTDIR: KDMSHIFTDIR_1\r\n"
    "*KPD_IDC_SHIFTDIR KDMSHIFTDIR_1: \"\"\r\n*KPD_IDC_SHIFTDIR KDMSHIFTDIR_2: \"\"\r\n*CloseUI\r\n";

class ShiftMarginRange : public ApiPrinterTest {
 protected:
  // A printer of a driver of its own whose model is the unit tests' model with the given
  // options added; its handle, enabled.
  DriverContext* EnableWith(const std::string& options) {
    const std::u16string index(1, static_cast<char16_t>(u'A' + printers_++));
    const std::u16string file = u"C:\\drv\\SHIFT" + index + u".KPD";
    std::string model = FixtureText(kPrinterModel);
    const std::size_t at = model.find("*OpenUI *KPD_IDC_PRESET_CHOICE_COLOR");
    EXPECT_NE(at, std::string::npos);
    if (at == std::string::npos) return nullptr;
    model.insert(at, options);
    root_.WriteFile(file, model);
    const std::u16string name = u"Api Shift " + index;
    InstallPrinter(name, PrinterSpec::OwnDriver(u"KOVA Shift Driver " + index, file));
    return DoEnable(std::string(name.begin(), name.end()).c_str());
  }
  int printers_ = 0;
};

TEST_F(ShiftMarginRange, CapabilityAnswersWhenTheVerticalShiftHasNumericLimits) {
  struct Case {
    const char* what;
    std::string options;
    std::int32_t capability;
    int both;  // GetShiftMarginLimits with every out value
    std::int32_t limits[4];  // minimum X, maximum X, minimum Y, maximum Y; untouched: -7
  };
  const Case cases[] = {
      {"no shift options", "", 0, 0, {-7, -7, -7, -7}},
      {"vertical Numeric", kShiftY, 1, 0, {-7, -7, -7, -7}},
      {"both Numeric", std::string(kShiftX) + kShiftY, 1, 1, {0, 4800, -1200, 2400}},
      {"vertical Numeric, horizontal a list", std::string(kShiftXList) + kShiftY, 1, 0, {-7, -7, -7, -7}},
      {"vertical Numeric without its values", kShiftYWithoutValues, 0, 0, {-7, -7, -7, -7}},
      {"vertical a list", kShiftYList, 0, 0, {-7, -7, -7, -7}},
      {"horizontal Numeric only", kShiftX, 0, 0, {0, 4800, -7, -7}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    DriverContext* handle = EnableWith(c.options);
    if (!handle) {
      ADD_FAILURE() << "not enabled";
      continue;
    }
    EXPECT_EQ(DoGetCaps(handle, 34, nullptr), c.capability);
    BYTE buffer[8];
    std::memset(buffer, 0xEE, sizeof buffer);
    EXPECT_EQ(DoGetCaps(handle, 34, buffer), c.capability);
    for (BYTE b : buffer) EXPECT_EQ(b, 0xEE);  // the buffer is not used
    std::int32_t limits[4] = {-7, -7, -7, -7};
    EXPECT_EQ(GetShiftMarginLimits(handle, &limits[0], &limits[1], &limits[2], &limits[3]), c.both);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(limits[i], c.limits[i]) << i;
    DoDisable(handle);
  }
}

TEST_F(ShiftMarginRange, LimitsLookOnlyAtTheFieldsAskedFor) {
  DriverContext* handle = EnableWith(kShiftY);  // only the vertical shift has limits
  ASSERT_NE(handle, nullptr);
  std::int32_t minimum = -7;
  std::int32_t maximum = -7;
  struct Case {
    std::int32_t* minimumX;
    std::int32_t* maximumX;
    std::int32_t* minimumY;
    std::int32_t* maximumY;
    int answer;
  };
  const Case cases[] = {
      {nullptr, nullptr, nullptr, nullptr, 0},  // nothing asked for
      {nullptr, nullptr, nullptr, &maximum, 1},
      {nullptr, nullptr, &minimum, nullptr, 1},
      {&minimum, nullptr, nullptr, nullptr, 0},  // the horizontal shift has none
      {nullptr, &maximum, &minimum, nullptr, 0},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    EXPECT_EQ(GetShiftMarginLimits(handle, c.minimumX, c.maximumX, c.minimumY, c.maximumY), c.answer) << i;
  }
  EXPECT_EQ(GetShiftMarginLimits(nullptr, &minimum, &maximum, &minimum, &maximum), 0);
  DoDisable(handle);
}

// A caller's device-mode with the margin function on, merged by the extended export, keeps
// its shift direction and horizontal shift when the model gives the vertical shift a range;
// without one both take the model's defaults.
TEST_F(ShiftMarginRange, MergedDevmodeKeepsTheCallersShiftWhenTheModelHasARange) {
  struct Case {
    const char* what;
    std::string options;
    DWORD direction;
    DWORD shift;
  };
  const Case cases[] = {
      {"a vertical range", std::string(kShiftDir) + kShiftX + kShiftY, 2, 240},
      {"no vertical range", std::string(kShiftDir) + kShiftX, 1, 60},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    DriverContext* handle = EnableWith(c.options);
    if (!handle) {
      ADD_FAILURE() << "not enabled";
      continue;
    }
    const auto size = static_cast<std::int32_t>(GetTotalDevmodeSize());
    WriteFieldRawById(handle, fid::kdmFuncSelectMargin, 1);  // the margin function on
    WriteFieldRawById(handle, fid::kdmShiftDir, 2);
    WriteFieldRawById(handle, fid::kdmShiftMarginX, 240);
    std::vector<BYTE> in(handle->settings, handle->settings + size);
    std::vector<BYTE> out(size);
    EXPECT_EQ(DoGetDevmodeEx(handle, 8, reinterpret_cast<DEVMODEW*>(out.data()), reinterpret_cast<DEVMODEW*>(in.data())),
              size);
    EXPECT_EQ(ReadFieldRawById(handle, fid::kdmShiftDir), c.direction);
    EXPECT_EQ(ReadFieldRawById(handle, fid::kdmShiftMarginX), c.shift);
    EXPECT_EQ(std::memcmp(out.data(), handle->settings, size), 0);
    DoDisable(handle);
  }
}

}  // namespace
}  // namespace capability_numbers_test
}  // namespace kovatest
