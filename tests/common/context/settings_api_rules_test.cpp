// What the settings API does differently, with the deliverable switched at run time.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "base/deliverable.h"
#include "context/devmode_defaults.h"
#include "fields/devmode_header.h"
#include "base/driver_context.h"
#include "context/paper_sizes.h"
#include "base/path_forms.h"
#include "fields/product_record.h"
#include "context/settings_api_rules.h"
#include "fields/field_table.h"
#include "base/settings_field.h"
#include "base/ui_strings.h"
#include "field_ids.h"
#include "model/option_lookup.h"
#include "model/option_rules.h"
#include "model_context.h"
#include "plat/system.h"
#include "win/devmode.h"

namespace kovatest {
namespace {

class SettingsApiSelections : public ::testing::Test {
 protected:
  void TearDown() override {
    SetDeliverable(Deliverable::Interface);
    plat::ResetMachine();
  }
  static void UseWindows9x(UINT codePage = 1252) {
    plat::Machine().platformId = 1;
    plat::Machine().majorVersion = 4;
    plat::Machine().minorVersion = 10;
    plat::Machine().ansiCodePage = codePage;
  }
};

TEST_F(SettingsApiSelections, TwoValuesPassTheOptionCheckInTheSettingsApiOnly) {
  // Options for kdmColorMode and kdmUserPrintMacro that offer neither value.
  ModelContext mc(PickOne("KPD_IDC_DSTRESOLUTIONW", {"KDMDSTRESOLUTIONW_600"}, "KDMDSTRESOLUTIONW_600") +
                      PickOne("KPD_IDC_PRESET_CHOICE_PAPERSIZE", {"KDMPAPERSIZE_9"}, "KDMPAPERSIZE_9"),
                  {{fid::kdmDstResolutionW, fid::kdmColorMode}, {fid::dmPaperSize, fid::kdmUserPrintMacro}});
  struct Case {
    WORD field;
    DWORD value;
    int interfaceAnswer, apiAnswer;
  } cases[] = {
      {fid::kdmColorMode, 255, OPTION_INVALID, OPTION_VALID},
      {fid::kdmUserPrintMacro, 160, OPTION_INVALID, OPTION_VALID},
      {fid::kdmColorMode, 160, OPTION_INVALID, OPTION_INVALID},
      {fid::kdmUserPrintMacro, 255, OPTION_INVALID, OPTION_INVALID},
  };
  for (const Case& c : cases) {
    const ImageRef option = FindOptionRecord(c.field, mc.ctx());
    ASSERT_TRUE(option) << c.field;
    SetDeliverable(Deliverable::Interface);
    EXPECT_EQ(ValidateFeatureValueByOption(mc.field(c.field), c.field, c.value, mc.ctx(), option), c.interfaceAnswer)
        << c.field << "=" << c.value;
    SetDeliverable(Deliverable::Rendering);
    EXPECT_EQ(ValidateFeatureValueByOption(mc.field(c.field), c.field, c.value, mc.ctx(), option), c.interfaceAnswer)
        << c.field << "=" << c.value;
    SetDeliverable(Deliverable::SettingsApi);
    EXPECT_EQ(ValidateFeatureValueByOption(mc.field(c.field), c.field, c.value, mc.ctx(), option), c.apiAnswer)
        << c.field << "=" << c.value;
  }
}

TEST_F(SettingsApiSelections, CommonSettingsMarkIsNeverWrittenByTheSettingsApi) {
  std::vector<BYTE> devmode(GetTotalDevmodeSize(), 0xCC);
  WritePrivateIdentity(devmode.data(), GetProductRecord(), true);
  EXPECT_EQ(std::memcmp(devmode.data() + kDmKcomMarkPos, "KCOMMON", 8), 0);
  EXPECT_NE(devmode[kDmKcomVersionPos], 0);
  SetDeliverable(Deliverable::SettingsApi);
  std::fill(devmode.begin(), devmode.end(), 0xCC);
  WritePrivateIdentity(devmode.data(), GetProductRecord(), true);
  const BYTE empty[8] = {};
  EXPECT_EQ(std::memcmp(devmode.data() + kDmKcomMarkPos, empty, 8), 0);
  EXPECT_EQ(devmode[kDmKcomVersionPos], 0);
}

TEST_F(SettingsApiSelections, PublicPaperSizeIsTurnedOnlyByTheInterface) {
  struct Case {
    Deliverable deliverable;
    std::int32_t x, y;
  } cases[] = {
      {Deliverable::Interface, 1500, 1000},
      {Deliverable::Rendering, 1000, 1500},
      {Deliverable::SettingsApi, 1000, 1500},
  };
  for (const Case& c : cases) {
    ModelContext mc;
    mc.SetRaw(fid::dmFields, 0);
    mc.SetRaw(fid::dmPaperWidth, 1000);
    mc.SetRaw(fid::dmPaperLength, 1500);
    mc.SetRaw(fid::dmOrientation, 2);
    SetDeliverable(c.deliverable);
    POINTL out{};
    ASSERT_EQ(GetUserPaperSize(mc.ctx(), &out, 256, kUserPaperSource), 1);
    EXPECT_EQ(out.x, c.x) << static_cast<int>(c.deliverable);
    EXPECT_EQ(out.y, c.y) << static_cast<int>(c.deliverable);
  }
}

TEST_F(SettingsApiSelections, OperatingSystemStateByte) {
  ModelContext mc;
  SetStateByte707To3(mc.ctx());
  EXPECT_EQ(GetStateByte707(mc.ctx()), 3u);
  SetStateByte707To0(mc.ctx());
  EXPECT_EQ(GetStateByte707(mc.ctx()), 0u);
  EXPECT_FALSE(IsWin98());  // the platform is of the NT family
}

TEST_F(SettingsApiSelections, DefaultsKeepLockedFieldsInTheSettingsApiOnly) {
  struct Case {
    Deliverable deliverable;
    DWORD trayAfter, mediaAfter;
  } cases[] = {{Deliverable::Interface, 0, 0}, {Deliverable::Rendering, 0, 0}, {Deliverable::SettingsApi, 4, 0}};
  for (const Case& c : cases) {
    ModelContext mc;  // no model: every default is 0
    mc.SetRaw(fid::dmDefaultSource, 4);
    mc.SetRaw(fid::kdmMediaType, 3);
    mc.SetRaw(fid::kdmLock000InfoBitTray, 1);  // the tray is locked, the media is not
    SetDeliverable(c.deliverable);
    DefaultAllFields(mc.ctx());
    EXPECT_EQ(mc.Raw(fid::dmDefaultSource), c.trayAfter) << static_cast<int>(c.deliverable);
    EXPECT_EQ(mc.Raw(fid::kdmMediaType), c.mediaAfter) << static_cast<int>(c.deliverable);
  }
}

TEST_F(SettingsApiSelections, NameFieldsHoldHalfTheirSizeInTheSettingsApiOnWindows9x) {
  struct Case {
    Deliverable deliverable;
    bool win9x;
    DWORD expected;
  } cases[] = {
      {Deliverable::SettingsApi, true, 32},  {Deliverable::SettingsApi, false, 64},
      {Deliverable::Interface, true, 64},    {Deliverable::Rendering, true, 64},
  };
  for (const Case& c : cases) {
    ModelContext mc;
    if (c.win9x) UseWindows9x();
    SetDeliverable(c.deliverable);
    for (int pass = 0; pass < 2; ++pass) {  // a second reset halves nothing more
      DefaultAllFields(mc.ctx());
      for (WORD id : {fid::dmDeviceName, fid::dmFormName})
        EXPECT_EQ(FieldSizeOf(mc.field(id)->type), c.expected)
            << id << " deliverable " << static_cast<int>(c.deliverable) << " 9x " << c.win9x << " pass " << pass;
    }
    SetDeliverable(Deliverable::Interface);
    plat::ResetMachine();
  }
}

TEST_F(SettingsApiSelections, PaperNameTextIsCutForEightBitSlotsWithoutSplittingACharacter) {
  // Four double-byte characters, then the custom paper size is appended.
  const std::u16string name = u"\u7528\u7D19\u7528\u7D19";
  struct Case {
    int size;
    std::u16string api;  // the interface keeps size - 1 characters
  } cases[] = {
      {6, u"\u7528\u7D19"},                // 5 bytes allowed: the third character would make 6
      {7, u"\u7528\u7D19\u7528"},         // 6 bytes
      {8, u"\u7528\u7D19\u7528"},         // 7 bytes: never half of the fourth character
      {10, u"\u7528\u7D19\u7528\u7D19("},  // 9 bytes
  };
  for (const Case& c : cases) {
    for (Deliverable d : {Deliverable::Interface, Deliverable::SettingsApi}) {
      ModelContext mc;
      UseWindows9x(932);
      mc.SetRaw(fid::kdmPaperFreeSizeWidth, 2520);
      mc.SetRaw(fid::kdmPaperFreeSizeLength, 3564);
      SetDeliverable(d);
      std::vector<WCHAR> buffer(static_cast<std::size_t>(c.size), 0);
      std::copy(name.begin(), name.end(), buffer.begin());
      CompleteUiString(mc.ctx(), 752, buffer.data(), c.size);
      const std::u16string text(buffer.data());
      if (d == Deliverable::SettingsApi) {
        EXPECT_EQ(text, c.api) << c.size;
      } else {
        EXPECT_EQ(text.size(), static_cast<std::size_t>(c.size - 1)) << c.size;
        EXPECT_EQ(text.substr(0, 4), name) << c.size;
      }
      SetDeliverable(Deliverable::Interface);
      plat::ResetMachine();
    }
  }
  // A text that fits is the same in both.
  ModelContext mc;
  WCHAR full[64] = u"Custom";
  CompleteUiString(mc.ctx(), 752, full, 64);
  SetDeliverable(Deliverable::SettingsApi);
  WCHAR cut[64] = u"Custom";
  CompleteUiString(mc.ctx(), 752, cut, 64);
  EXPECT_EQ(std::u16string(cut), std::u16string(full));
  EXPECT_GT(std::u16string(full).size(), 6u);
}

TEST(PathForms, AbsolutePaths) {
  struct Case {
    const char16_t* path;
    int expected;
  } cases[] = {
      {u"C:\\x", 1}, {u"c:\\", 1}, {u"\\\\server\\share", 1}, {u"\\\\", 1}, {u"C:x", 0}, {u"\\x", 0},
      {u"x\\y", 0},  {u"", 0},     {u"C", 0},                 {u"C:", 0},   {u":\\", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(IsAbsolutePath(c.path), c.expected) << std::u16string(c.path).size();
  EXPECT_EQ(IsAbsolutePath(nullptr), 0);
}

}  // namespace
}  // namespace kovatest
