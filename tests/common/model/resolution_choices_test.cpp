#include <gtest/gtest.h>

#include <vector>

#include "model_context.h"
#include "base/driver_context.h"
#include "field_ids.h"
#include "model/resolution_choices.h"
#include "win/devmode.h"

namespace kovatest {
namespace {

using Codes = std::vector<DWORD>;

// The codes ListResolutionChoices gives, with a guard entry after them that must stay.
Codes ChoiceCodes(DriverContext* context) {
  const int n = ListResolutionChoices(context, nullptr, kResolutionCodes);
  if (n <= 0) return {};
  Codes codes(static_cast<size_t>(n) + 1, 0xEEEEEEEEu);
  EXPECT_EQ(ListResolutionChoices(context, codes.data(), kResolutionCodes), n);
  EXPECT_EQ(codes.back(), 0xEEEEEEEEu) << "written past the counted entries";
  codes.pop_back();
  return codes;
}

const char kJudge[] =
    "*Judge 1=DuplexOn: KPD_IDC_FUNCSELECTDUPLEX == 1\r\n"
    "*Item 1=R: {{KDMDSTRESOLUTIONW_1200 DuplexOn NULL NULL}}\r\n"
    "*Exclusive: {{KPD_IDC_DSTRESOLUTIONW NULL NULL R NULL NULL NULL NULL}}\r\n";

TEST(ResolutionChoices, CodesOfTheOfferedResolutions) {
  ModelContext mc(PickOne("KPD_IDC_FUNCSELECTDUPLEX", {}, nullptr, "Boolean") +
                  PickOne("KPD_IDC_DSTRESOLUTIONW", {"KDMDSTRESOLUTIONW_600", "KDMDSTRESOLUTIONW_1200"},
                          "KDMDSTRESOLUTIONW_600") +
                  kJudge);
  EXPECT_EQ(ChoiceCodes(mc.ctx()), (Codes{3, 4}));
  mc.SetRaw(fid::kdmFuncSelectDuplex, 1);
  EXPECT_EQ(ChoiceCodes(mc.ctx()), (Codes{3}));
  // The pairs mode is the device capabilities' list.
  std::vector<DWORD> pairs(2, 0);
  EXPECT_EQ(ListResolutionChoices(mc.ctx(), pairs.data(), kResolutionPairs), 1);
  EXPECT_EQ(pairs, (std::vector<DWORD>{600, 600}));
}

// A model with one resolution gives one code, never a pair in a buffer sized for one.
TEST(ResolutionChoices, SingleResolutionGivesOneCode) {
  struct Case {
    const char* what;
    std::string model;
    DWORD productDefault;
    Codes expected;
  } cases[] = {
      {"no model", "", 400, {2}},
      {"Numeric option", Numeric("KPD_IDC_DSTRESOLUTIONW", 600, 300, 1200), 300, {1}},
      {"default without a code", "", 500, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ModelContext mc(c.model);
    mc.product().defaultResolution = c.productDefault;
    mc.SetRaw(fid::kdmDstResolutionW, 600);
    EXPECT_EQ(ChoiceCodes(mc.ctx()), c.expected);
    DWORD one[2] = {0, 0xEEEEEEEEu};
    EXPECT_EQ(ListResolutionChoices(mc.ctx(), one, kResolutionCodes), static_cast<int>(c.expected.size()));
    EXPECT_EQ(one[1], 0xEEEEEEEEu);
  }
}

TEST(ResolutionChoices, DestinationSidesBelowTheNarrowLimit) {
  struct Case {
    std::int32_t width, length;
    bool fits;
  } cases[] = {
      {30708, 30708, true}, {30709, 100, false}, {100, 30709, false}, {0, 0, true}, {-1, 40000, false},
  };
  for (const Case& c : cases) {
    ModelContext mc;
    mc.SetRaw(fid::kdmDstPaperWidthDot, static_cast<DWORD>(c.width));
    mc.SetRaw(fid::kdmDstPaperLengthDot, static_cast<DWORD>(c.length));
    EXPECT_EQ(FitsLengthLimit30708(mc.ctx()), c.fits) << c.width << "x" << c.length;
  }
  EXPECT_FALSE(FitsLengthLimit30708(nullptr));
  EXPECT_FALSE(GetScaledPaperSize(nullptr));
}

TEST(ResolutionChoices, ApplyResolutionLimitWritesTheLimit) {
  ModelContext mc;
  mc.SetRaw(fid::dmFields, DM_PAPERLENGTH | DM_PAPERWIDTH);
  mc.SetRaw(fid::dmPaperWidth, 2100);
  mc.SetRaw(fid::dmPaperLength, 2970);
  mc.SetRaw(fid::kdmOutPaperSize, 1024);
  mc.SetRaw(fid::dmPrintQuality, 1200);
  mc.work().dirty = 0;
  EXPECT_EQ(ApplyResolutionLimit(mc.ctx()), 0);
  EXPECT_EQ(mc.Raw(fid::dmPrintQuality), 1200u);
  mc.SetRaw(fid::dmPaperLength, 7000);  // about 33070 dots at 1200 dpi
  mc.work().dirty = 0;
  EXPECT_EQ(ApplyResolutionLimit(mc.ctx()), 600);
  EXPECT_EQ(mc.Raw(fid::dmPrintQuality), 600u);
  EXPECT_EQ(mc.Raw(fid::kdmDstResolutionW), 600u);  // the private resolution follows
  EXPECT_NE(mc.work().dirty, 0);
  EXPECT_EQ(ApplyResolutionLimit(nullptr), 0);
}

}  // namespace
}  // namespace kovatest
