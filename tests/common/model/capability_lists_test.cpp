#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "model_context.h"
#include "fields/devmode_header.h"
#include "model/module_dispatch.h"
#include "model/units.h"
#include "field_ids.h"
#include "model/capability_lists.h"
#include "win/devmode.h"

namespace kovatest {
namespace capability_lists_test {
namespace {

// A model with a paper source, a paper size and a resolution option; the bin 257, the
// paper 256 and the resolution 1200 are disabled while duplex is on.
const char kModel[] = R"(*FileVersion: "9.02"
*OpenUI *KPD_IDC_FUNCSELECTDUPLEX: Boolean
*DefaultKPD_IDC_FUNCSELECTDUPLEX: False
*CloseUI
*OpenUI *KPD_IDC_PRESET_CHOICE_SOURCETRAY: PickSlot
*DefaultKPD_IDC_PRESET_CHOICE_SOURCETRAY: KDMDEFAULTSOURCE_7
*KPD_IDC_PRESET_CHOICE_SOURCETRAY KDMDEFAULTSOURCE_7: "auto"
*KPD_IDC_PRESET_CHOICE_SOURCETRAY KDMDEFAULTSOURCE_4: "manual"
*KPD_IDC_PRESET_CHOICE_SOURCETRAY KDMDEFAULTSOURCE_257: "tray1"
*CloseUI
*OpenUI *KPD_IDC_PRESET_CHOICE_PAPERSIZE: PickPage
*DefaultKPD_IDC_PRESET_CHOICE_PAPERSIZE: KDMPAPERSIZE_9
*KPD_IDC_PRESET_CHOICE_PAPERSIZE KDMPAPERSIZE_9: "a4"
*KPD_IDC_PRESET_CHOICE_PAPERSIZE KDMPAPERSIZE_1: "letter"
*KPD_IDC_PRESET_CHOICE_PAPERSIZE KDMPAPERSIZE_256: "custom"
*PageMMValue KDMPAPERSIZE_9: "2100 2970"
*PageMMValue KDMPAPERSIZE_1: "2159 2794"
*CloseUI
*OpenUI *KPD_IDC_DSTRESOLUTIONW: PickOne
*DefaultKPD_IDC_DSTRESOLUTIONW: KDMDSTRESOLUTIONW_600
*KPD_IDC_DSTRESOLUTIONW KDMDSTRESOLUTIONW_300: "300"
*KPD_IDC_DSTRESOLUTIONW KDMDSTRESOLUTIONW_600: "600"
*KPD_IDC_DSTRESOLUTIONW KDMDSTRESOLUTIONW_1200: "1200"
*CloseUI
*Judge 1=DuplexOn: KPD_IDC_FUNCSELECTDUPLEX == 1
*Item 1=TrayItems: {
  {KDMDEFAULTSOURCE_257 DuplexOn NULL NULL}
}
*Item 2=PaperItems: {
  {KDMPAPERSIZE_256 DuplexOn NULL NULL}
}
*Item 3=ResolutionItems: {
  {KDMDSTRESOLUTIONW_1200 DuplexOn NULL NULL}
}
*Exclusive: {
  {KPD_IDC_PRESET_CHOICE_SOURCETRAY NULL NULL TrayItems NULL NULL NULL NULL}
  {KPD_IDC_PRESET_CHOICE_PAPERSIZE NULL NULL PaperItems NULL NULL NULL NULL}
  {KPD_IDC_DSTRESOLUTIONW NULL NULL ResolutionItems NULL NULL NULL NULL}
}
)";

std::int32_t AnswerAll(DriverContext*, DWORD event, void* block, void*) {
  if ((event == 30 || event == 33) && block) *static_cast<std::int32_t*>(block) = 1;
  return 0;
}

// A module list of one module whose event hook asks for all values.
struct AllValuesModule {
  ExtensionModule record{0, nullptr, nullptr, nullptr, AnswerAll};
  ModuleList list{1, &record};
};

using Pairs = std::vector<std::int32_t>;

Pairs Resolutions(DriverContext* context) {
  const int n = ListResolutions(context, nullptr);
  EXPECT_GE(n, 1);
  Pairs p(2 * static_cast<size_t>(n), -1);
  EXPECT_EQ(ListResolutions(context, p.data()), n);
  return p;
}

TEST(CapabilityLists, BinsFollowTheRulesUnlessAModuleAsksForAll) {
  ModelContext mc(kModel);
  std::vector<WORD> bins(8, 0xEEEE);
  ASSERT_EQ(ListBins(mc.ctx(), nullptr), 3);
  ASSERT_EQ(ListBins(mc.ctx(), bins.data()), 3);
  EXPECT_EQ(bins[0], 7);
  EXPECT_EQ(bins[1], 4);
  EXPECT_EQ(bins[2], 257);
  EXPECT_EQ(bins[3], 0xEEEE);
  mc.SetRaw(fid::kdmFuncSelectDuplex, 1);
  EXPECT_EQ(ListBins(mc.ctx(), bins.data()), 2);
  EXPECT_EQ(ListBinNames(mc.ctx(), nullptr), 2);
  AllValuesModule all;
  mc.work().modules = &all.list;
  EXPECT_EQ(ListBins(mc.ctx(), nullptr), 3);
  EXPECT_EQ(ListBinNames(mc.ctx(), nullptr), 3);
  mc.work().modules = nullptr;
}

TEST(CapabilityLists, AllBinsDisabledIsAFailure) {
  std::string model = kModel;
  // Every bin is disabled while duplex is on.
  const std::string from = "  {KDMDEFAULTSOURCE_257 DuplexOn NULL NULL}\n";
  model.replace(model.find(from), from.size(),
                from + "  {KDMDEFAULTSOURCE_7 DuplexOn NULL NULL}\n  {KDMDEFAULTSOURCE_4 DuplexOn NULL NULL}\n");
  ModelContext mc(model);
  mc.SetRaw(fid::kdmFuncSelectDuplex, 1);
  EXPECT_EQ(ListBins(mc.ctx(), nullptr), -1);
  EXPECT_EQ(ListBinNames(mc.ctx(), nullptr), -1);
  AllValuesModule all;
  mc.work().modules = &all.list;
  EXPECT_EQ(ListBins(mc.ctx(), nullptr), 3);
  mc.work().modules = nullptr;
}

TEST(CapabilityLists, NameSlotsAreZeroFilled) {
  ModelContext mc(kModel);
  std::vector<WCHAR> names(3 * kBinNameChars + 1, u'#');
  ASSERT_EQ(ListBinNames(mc.ctx(), names.data()), 3);
  // Without a UI resource module the names are empty; every slot is zero-filled.
  for (int i = 0; i < 3 * kBinNameChars; ++i) EXPECT_EQ(names[i], 0) << i;
  EXPECT_EQ(names[3 * kBinNameChars], u'#');
}

TEST(CapabilityLists, WithoutTheOptionsTheListsFail) {
  ModelContext none(PickOne("KPD_RADIOLIST_1", {"KDMORIENTATION_1"}, "KDMORIENTATION_1"));
  EXPECT_EQ(ListBins(none.ctx(), nullptr), -1);
  EXPECT_EQ(ListBinNames(none.ctx(), nullptr), -1);
  EXPECT_EQ(ListPaperCodes(none.ctx(), nullptr), -1);
  EXPECT_EQ(ListPaperNames(none.ctx(), nullptr), -1);
  EXPECT_EQ(ListPaperSizes(none.ctx(), nullptr), -1);
  // A paper size option of the wrong type.
  ModelContext wrong(PickOne("KPD_IDC_PRESET_CHOICE_PAPERSIZE", {"KDMPAPERSIZE_9"}, "KDMPAPERSIZE_9"));
  EXPECT_EQ(ListPaperCodes(wrong.ctx(), nullptr), -1);
  EXPECT_EQ(ListPaperSizes(wrong.ctx(), nullptr), -1);
}

TEST(CapabilityLists, PaperCodesNamesAndSizes) {
  ModelContext mc(kModel);
  std::vector<WORD> codes(3);
  ASSERT_EQ(ListPaperCodes(mc.ctx(), codes.data()), 3);
  EXPECT_EQ(codes, (std::vector<WORD>{9, 1, 256}));
  EXPECT_EQ(ListPaperNames(mc.ctx(), nullptr), 3);
  // The free input size 256 takes its size from the user paper fields.
  mc.SetRaw(340, 4800);
  mc.SetRaw(341, 9600);
  Pairs sizes(6, -1);
  ASSERT_EQ(ListPaperSizes(mc.ctx(), sizes.data()), 3);
  EXPECT_EQ(sizes[0], 2100);
  EXPECT_EQ(sizes[1], 2970);
  EXPECT_EQ(sizes[2], 2159);
  EXPECT_EQ(sizes[3], 2794);
  EXPECT_EQ(sizes[4], DotsToUserUnits(kUnitTenthMm, 4800, 1200));
  EXPECT_EQ(sizes[5], DotsToUserUnits(kUnitTenthMm, 9600, 1200));
  EXPECT_EQ(sizes[4], 1016);
  mc.SetRaw(fid::kdmFuncSelectDuplex, 1);
  EXPECT_EQ(ListPaperCodes(mc.ctx(), codes.data()), 2);
  EXPECT_EQ(ListPaperNames(mc.ctx(), nullptr), 2);
  EXPECT_EQ(ListPaperSizes(mc.ctx(), nullptr), 2);
}

TEST(CapabilityLists, PaperValueWithoutASymbol) {
  ModelContext mc(kModel);
  // Give the second paper item a value id the dictionary does not know.
  const ImageRef option = FindOptionRecord(fid::dmPaperSize, mc.ctx());
  ASSERT_TRUE(option);
  const ImageRef second = ItemNext(OptionValues(option));
  ASSERT_TRUE(second);
  BYTE* bytes = const_cast<BYTE*>(ImageBytes(mc.ctx()->model));
  StoreU16(bytes + second.offset + item::kValueId, 0x7777);
  EXPECT_EQ(ListPaperCodes(mc.ctx(), nullptr), -1);
  EXPECT_EQ(ListPaperNames(mc.ctx(), nullptr), 3);
  Pairs sizes(6, -1);
  EXPECT_EQ(ListPaperSizes(mc.ctx(), sizes.data()), 3);
  EXPECT_EQ(sizes[2], 2159);  // its own size numbers
}

TEST(CapabilityLists, ResolutionsOfAPickOneOption) {
  ModelContext mc(kModel);
  EXPECT_EQ(Resolutions(mc.ctx()), (Pairs{300, 300, 600, 600, 1200, 1200}));
  mc.SetRaw(fid::kdmFuncSelectDuplex, 1);
  EXPECT_EQ(Resolutions(mc.ctx()), (Pairs{300, 300, 600, 600}));
  AllValuesModule all;
  mc.work().modules = &all.list;
  EXPECT_EQ(Resolutions(mc.ctx()), (Pairs{300, 300, 600, 600, 1200, 1200}));
  mc.work().modules = nullptr;
}

TEST(CapabilityLists, ResolutionFallbacks) {
  {
    ModelContext mc;  // no model
    mc.product().defaultResolution = 400;
    EXPECT_EQ(Resolutions(mc.ctx()), (Pairs{400, 400}));
  }
  {
    // Every value disabled.
    ModelContext mc(PickOne("KPD_IDC_FUNCSELECTDUPLEX", {}, nullptr, "Boolean") +
                    PickOne("KPD_IDC_DSTRESOLUTIONW", {"KDMDSTRESOLUTIONW_600"}, "KDMDSTRESOLUTIONW_600") +
                    "*Judge 1=DuplexOn: KPD_IDC_FUNCSELECTDUPLEX == 1\r\n"
                    "*Item 1=R: {{KDMDSTRESOLUTIONW_600 DuplexOn NULL NULL}}\r\n"
                    "*Exclusive: {{KPD_IDC_DSTRESOLUTIONW NULL NULL R NULL NULL NULL NULL}}\r\n");
    mc.product().defaultResolution = 300;
    EXPECT_EQ(Resolutions(mc.ctx()), (Pairs{600, 600}));
    mc.SetRaw(fid::kdmFuncSelectDuplex, 1);
    EXPECT_EQ(Resolutions(mc.ctx()), (Pairs{300, 300}));
  }
  {
    // Numeric without the option of feature 152: the product's resolution, whatever the value.
    ModelContext mc(Numeric("KPD_IDC_DSTRESOLUTIONW", 600, 300, 1200));
    mc.product().defaultResolution = 300;
    mc.SetRaw(fid::kdmDstResolutionW, 600);
    EXPECT_EQ(Resolutions(mc.ctx()), (Pairs{300, 300}));
    mc.SetRaw(fid::kdmDstResolutionW, 0);
    EXPECT_EQ(Resolutions(mc.ctx()), (Pairs{300, 300}));
  }
}

TEST(CapabilityLists, NumericResolutionThroughTheBothOption) {
  // The copies option stands in for the option of feature 152.
  ModelContext mc(Numeric("KPD_IDC_DSTRESOLUTIONW", 600, 300, 1200) + Numeric("KPD_IDC_PRESET_EDIT_COPIES", 1, 1, 999),
                  {{fid::dmCopies, 152}});
  mc.product().defaultResolution = 300;
  mc.SetRaw(fid::kdmDstResolutionW, 1200);
  EXPECT_EQ(Resolutions(mc.ctx()), (Pairs{1200, 1200}));
  mc.SetRaw(fid::kdmDstResolutionW, 0);
  EXPECT_EQ(Resolutions(mc.ctx()), (Pairs{300, 300}));
}

TEST(CapabilityLists, PaperExtentsPackLengthHigh) {
  ModelContext mc;
  WORD minimum[2] = {}, maximum[2] = {};
  const DWORD lo = GetPaperExtent(mc.ctx(), minimum, kExtentMin);
  const DWORD hi = GetPaperExtent(mc.ctx(), maximum, kExtentMax);
  EXPECT_EQ(lo, (DWORD(minimum[1]) << 16) | minimum[0]);
  EXPECT_EQ(hi, (DWORD(maximum[1]) << 16) | maximum[0]);
  EXPECT_EQ(GetPaperExtent(nullptr, nullptr, kExtentMin), lo);
  EXPECT_LT(minimum[0], maximum[0]);
  EXPECT_LT(minimum[1], maximum[1]);
  int wMin = 0, wMax = 0, lMin = 0, lMax = 0;
  ASSERT_TRUE(GetFreeSizeLimits(nullptr, fid::wdmFreeSizeWidth, &wMin, &wMax));
  ASSERT_TRUE(GetFreeSizeLimits(nullptr, fid::wdmFreeSizeLength, &lMin, &lMax));
  EXPECT_GE(minimum[0], wMin);
  EXPECT_LE(maximum[0], wMax);
  EXPECT_GE(minimum[1], lMin);
  EXPECT_LE(maximum[1], lMax);
  // A product whose maximum lies beyond the limits is held to them.
  mc.product().userPaperWidthMax = 0x7FFFFFF;
  GetPaperExtent(mc.ctx(), maximum, kExtentMax);
  EXPECT_EQ(maximum[0], wMax);
  EXPECT_EQ(GetPaperExtent(mc.ctx(), maximum, 6), 0u);
}

TEST(CapabilityLists, LandscapeAngleAndDuplexUnit) {
  ModelContext mc;
  EXPECT_EQ(GetLandscapeAngle(nullptr), 90u);
  mc.product().landscapeAngle = 270;
  EXPECT_EQ(GetLandscapeAngle(mc.ctx()), 270u);
  EXPECT_EQ(HasDuplexUnit(mc.ctx()), 0);
  mc.SetRaw(fid::kdmSourceOptionTypeDuplex, 1);
  EXPECT_EQ(HasDuplexUnit(mc.ctx()), 1);
}

TEST(CapabilityLists, ColorDevice) {
  struct Case {
    BYTE machineBits;
    DWORD lockBits;
    SHORT color;
    int result;
  } cases[] = {
      {0x00, 0, DMCOLOR_COLOR, 0}, {0x01, 0, DMCOLOR_COLOR, 1}, {0x01, 0, DMCOLOR_MONOCHROME, 1},
      {0x01, 1, DMCOLOR_MONOCHROME, 0}, {0x01, 1, DMCOLOR_COLOR, 1}, {0xFE, 0, DMCOLOR_COLOR, 0},
      {0x01, 2, DMCOLOR_MONOCHROME, 1},
  };
  for (const Case& c : cases) {
    std::vector<BYTE> dm(1236, 0);
    dm[kDmMachineTypeBitsPos] = c.machineBits;
    std::memcpy(dm.data() + offsetof(DEVMODEW, dmColor), &c.color, sizeof(c.color));
    EXPECT_EQ(IsColorDevice(c.lockBits, dm.data()), c.result) << int(c.machineBits) << " " << c.lockBits;
  }
  EXPECT_EQ(IsColorDevice(0, nullptr), 0);
}

}  // namespace
}  // namespace capability_lists_test
}  // namespace kovatest
