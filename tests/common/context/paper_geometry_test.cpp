// Paper sizes and printable areas: the model's page records (orientation, turned records,
// conditions), paper sizes in 0.1 mm, free sizes held within the product's limits and
// scaled to the resolution, the output paper fields and the custom size.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "base/deliverable.h"
#include "model/module_dispatch.h"
#include "context/paper_sizes.h"
#include "model/printable_area.h"
#include "model/units.h"
#include "model_context.h"
#include "win/devmode.h"

namespace kovatest {
namespace paper_geometry_test {
namespace {

enum : WORD {
  kFields = 6,
  kOrientation = 7,
  kPaperSize = 8,
  kPaperLength = 9,
  kPaperWidth = 10,
  kDefaultSource = 13,
  kPrintQuality = 14,
  kResW = 38,
  kResH = 39,
  kSrcLength = 40,
  kOutPaper = 46,
  kDstLength = 47,
  kMediaType = 54,
  kFreeShortOver = 85,
  kDstLengthMm = 596,
  kDstWidthMm = 597,
};

// A4 has a portrait record only; Letter has a record for media 2 before its plain one; the
// custom size and the first free size have a margin record.
const std::string kPaperModel =
    "*OpenUI *KPD_IDC_PRESET_CHOICE_PAPERSIZE: PickPage\r\n"
    "*DefaultKPD_IDC_PRESET_CHOICE_PAPERSIZE: KDMPAPERSIZE_9\r\n"
    "*KPD_IDC_PRESET_CHOICE_PAPERSIZE KDMPAPERSIZE_9: \"x\"\r\n"
    "*KPD_IDC_PRESET_CHOICE_PAPERSIZE KDMPAPERSIZE_1: \"x\"\r\n"
    "*KPD_IDC_PRESET_CHOICE_PAPERSIZE KDMPAPERSIZE_256: \"x\"\r\n"
    "*KPD_IDC_PRESET_CHOICE_PAPERSIZE KDMPAPERSIZE_384: \"x\"\r\n"
    "*PageMMValue KDMPAPERSIZE_9: \"2100 2970\"\r\n"
    "*PageMMValue KDMPAPERSIZE_1: \"2159 2794\"\r\n"
    "*PageValue KDMPAPERSIZE_9: KDMDSTRESOLUTIONW_600 KDMORIENTATION_1 \"100 120 4760 6776 4960 7016\"\r\n"
    "*PageValue KDMPAPERSIZE_1: KDMDSTRESOLUTIONW_600 KDMORIENTATION_1 KPD_IDC_PRESET_CHOICE_MEDIATYPE "
    "KDMMEDIATYPE_2 \"50 50 5000 6400 5100 6600\"\r\n"
    "*PageValue KDMPAPERSIZE_1: KDMDSTRESOLUTIONW_600 KDMORIENTATION_1 \"100 100 4900 6400 5100 6600\"\r\n"
    "*PageValue KDMPAPERSIZE_256: KDMDSTRESOLUTIONW_600 KDMORIENTATION_1 \"60 70 0 0 0 0\"\r\n"
    "*PageValue KDMPAPERSIZE_384: KDMDSTRESOLUTIONW_600 KDMORIENTATION_1 \"60 70 0 0 0 0\"\r\n"
    "*CloseUI\r\n";

class PaperGeometry : public ::testing::Test {
 protected:
  void SetUp() override {
    m_.SetRaw(kOrientation, 1);
    m_.SetRaw(kResW, 600);
    m_.SetRaw(kResH, 600);
    m_.SetRaw(kPaperSize, 9);
    m_.SetRaw(kOutPaper, 1024);
    m_.SetRaw(kMediaType, 1);
  }
  void SetFreeSize(int index, DWORD width, DWORD length, WORD tray = 0) {
    m_.work().freeSizes[index].width = width;
    m_.work().freeSizes[index].length = length;
    m_.work().freeSizes[index].tray = tray;
  }
  std::vector<std::int32_t> Six(WORD first) {
    std::vector<std::int32_t> v;
    for (WORD k = 0; k < 6; ++k) v.push_back(m_.Signed(static_cast<WORD>(first + k)));
    return v;
  }
  static DWORD PaperId(DWORD code) { return code == 9 ? ModelContext::Id("KDMPAPERSIZE_9") : ModelContext::Id("KDMPAPERSIZE_1"); }

  ModelContext m_{kPaperModel};
};

TEST_F(PaperGeometry, RecordOfTheOrientationOrTheOtherTurned) {
  RECTL rect{};
  POINTL size{};
  ASSERT_EQ(GetPaperImageableArea(m_.ctx(), &rect, &size, PaperId(9)), 1);
  EXPECT_EQ((std::vector<LONG>{rect.left, rect.top, rect.right, rect.bottom}), (std::vector<LONG>{100, 120, 4860, 6896}));
  EXPECT_EQ((std::vector<LONG>{size.x, size.y}), (std::vector<LONG>{4960, 7016}));

  m_.SetRaw(kOrientation, 2);  // only a portrait record: used turned
  ASSERT_EQ(GetPaperImageableArea(m_.ctx(), &rect, &size, PaperId(9)), 1);
  EXPECT_EQ((std::vector<LONG>{rect.left, rect.top, rect.right, rect.bottom}), (std::vector<LONG>{120, 100, 6896, 4860}));
  EXPECT_EQ((std::vector<LONG>{size.x, size.y}), (std::vector<LONG>{7016, 4960}));

  m_.SetRaw(kResW, 1200);  // no record at this resolution: zeros
  rect = RECTL{1, 2, 3, 4};
  EXPECT_EQ(GetPaperImageableArea(m_.ctx(), &rect, &size, PaperId(9)), 0);
  EXPECT_EQ(rect.right, 0);
  EXPECT_EQ(size.x, 0);
  EXPECT_EQ(GetPaperImageableArea(m_.ctx(), &rect, &size, 12345), 0);
}

TEST_F(PaperGeometry, ConditionalRecordsInListOrder) {
  RECTL rect{};
  POINTL size{};
  ASSERT_EQ(GetPaperImageableArea(m_.ctx(), &rect, &size, PaperId(1)), 1);
  EXPECT_EQ(rect.left, 100);  // media 1: the conditional record is skipped
  m_.SetRaw(kMediaType, 2);
  ASSERT_EQ(GetPaperImageableArea(m_.ctx(), &rect, &size, PaperId(1)), 1);
  EXPECT_EQ(rect.left, 50);   // media 2: the first matching record wins
  EXPECT_EQ(rect.bottom, 6450);
}

TEST_F(PaperGeometry, ModelPaperSizesInTenthsOfAMillimetre) {
  POINTL out{};
  ASSERT_EQ(GetModelPaperSize(m_.ctx(), &out, 0), 1);
  EXPECT_EQ(out.x, 2100);
  EXPECT_EQ(out.y, 2970);
  m_.SetRaw(kOrientation, 2);
  ASSERT_EQ(GetModelPaperSize(m_.ctx(), &out, kPaperSize), 1);
  EXPECT_EQ(out.x, 2970);
  EXPECT_EQ(out.y, 2100);
  m_.SetRaw(kOrientation, 1);
  // The output paper: Letter through dmPaperSize, which is put back afterwards.
  m_.SetRaw(kOutPaper, 1);
  ASSERT_EQ(GetOutputPaperSize(m_.ctx(), &out), 1);
  EXPECT_EQ(out.x, 2159);
  EXPECT_EQ(out.y, 2794);
  EXPECT_EQ(m_.Raw(kPaperSize), 9u);
  m_.SetRaw(kOutPaper, 1024);
  ASSERT_EQ(GetOutputPaperSize(m_.ctx(), &out), 1);
  EXPECT_EQ(out.x, 2100);
  m_.SetRaw(kPaperSize, 5);  // no item for Legal
  EXPECT_EQ(GetModelPaperSize(m_.ctx(), &out, 0), 0);

  ModelContext none;
  EXPECT_EQ(GetModelPaperSize(none.ctx(), &out, 0), 0);
  EXPECT_EQ(GetSourcePaperSize(none.ctx(), &out), 0);
  RECTL rect{};
  EXPECT_EQ(GetPaperImageableArea(none.ctx(), &rect, nullptr, PaperId(9)), 0);
}

TEST_F(PaperGeometry, ModelPaperGivesTheSourceFieldsAndThePublicSize) {
  m_.SetRaw(kFields, DM_PAPERLENGTH | DM_PAPERWIDTH);
  DerivePaperGeometry(9, kPaperSize, m_.ctx(), m_.settings());
  EXPECT_EQ(Six(kSrcLength), (std::vector<std::int32_t>{7016, 4960, 6776, 4760, 100, 120}));
  EXPECT_EQ(m_.Signed(kPaperLength), 2970);
  EXPECT_EQ(m_.Signed(kPaperWidth), 2100);
  EXPECT_EQ(m_.Raw(kFields), DM_PAPERSIZE);
  // A paper the model does not offer leaves everything as it was.
  m_.SetRaw(kSrcLength, 1);
  DerivePaperGeometry(5, kPaperSize, m_.ctx(), m_.settings());
  EXPECT_EQ(m_.Raw(kSrcLength), 1u);
}

TEST_F(PaperGeometry, FreeSizeScaledToTheResolution) {
  SetFreeSize(6, 9920, 14030);
  DerivePaperGeometry(390, kPaperSize, m_.ctx(), m_.settings());  // no model record: zero margins
  EXPECT_EQ(Six(kSrcLength), (std::vector<std::int32_t>{7015, 4960, 7015, 4960, 0, 0}));
  EXPECT_EQ(m_.Raw(kFreeShortOver), 0u);
  EXPECT_EQ(m_.Signed(kPaperLength), DotsToUserUnits(kUnitTenthMm, 14030, 1200));
  EXPECT_EQ(m_.Signed(kPaperWidth), DotsToUserUnits(kUnitTenthMm, 9920, 1200));
  EXPECT_EQ(m_.Raw(kFields) & (DM_PAPERSIZE | DM_PAPERLENGTH | DM_PAPERWIDTH),
            DM_PAPERSIZE | DM_PAPERLENGTH | DM_PAPERWIDTH);
  // The current free-size fields hold the record.
  EXPECT_EQ(m_.Value(921), 9920u);
  EXPECT_EQ(m_.Value(922), 14030u);

  SetFreeSize(0, 9920, 14030);  // with the model's margin record
  DerivePaperGeometry(384, kPaperSize, m_.ctx(), m_.settings());
  EXPECT_EQ(Six(kSrcLength), (std::vector<std::int32_t>{7015, 4960, 6875, 4840, 60, 70}));
}

TEST_F(PaperGeometry, FreeSizeHeldWithinTheProductLimits) {
  const DWORD longLength = static_cast<DWORD>(UserUnitsToDots(kUnitTenthMm, 33000, 1200));  // 3300 mm
  const DWORD narrowWidth = static_cast<DWORD>(UserUnitsToDots(kUnitTenthMm, 500, 1200));   // 50 mm
  ASSERT_GT(longLength, kFreeSizeShortLimit);
  SetFreeSize(2, narrowWidth, longLength);
  DerivePaperGeometry(386, kPaperSize, m_.ctx(), m_.settings());
  EXPECT_EQ(m_.Raw(kFreeShortOver), 0u);
  const std::int32_t length = m_.Signed(kSrcLength);
  const std::int32_t width = m_.Signed(kSrcLength + 1);
  EXPECT_LE(length, 59528 / 2);
  EXPECT_GE(length, 59528 / 2 - 10);
  EXPECT_GE(width, 3022 / 2);
  EXPECT_LE(width, 3022 / 2 + 10);
  EXPECT_GT(m_.Signed(kPaperLength), 0);
}

TEST_F(PaperGeometry, OrientedFormTurnsAFreeSizeInLandscape) {
  SetFreeSize(0, 9920, 14030);
  m_.SetRaw(kOrientation, 2);
  DerivePaperGeometry(384, kPaperSize, m_.ctx(), m_.settings());
  EXPECT_EQ(m_.Signed(kSrcLength), 7015);
  DerivePaperGeometryOriented(384, kPaperSize, m_.ctx(), m_.settings());
  EXPECT_EQ(m_.Signed(kSrcLength), 4960);
  EXPECT_EQ(m_.Signed(kSrcLength + 1), 7015);
}

TEST_F(PaperGeometry, SettingsApiKeepsThePortraitPublicSizeOfATurnedFreeSize) {
  struct Case {
    Deliverable deliverable;
    DWORD publicLength, publicWidth;  // 1200 dpi
  } cases[] = {
      {Deliverable::Interface, 9920, 14030},
      {Deliverable::Rendering, 9920, 14030},
      {Deliverable::SettingsApi, 14030, 9920},
  };
  for (const Case& c : cases) {
    SetFreeSize(0, 9920, 14030);
    m_.SetRaw(kOrientation, 2);
    SetDeliverable(c.deliverable);
    DerivePaperGeometryOriented(384, kPaperSize, m_.ctx(), m_.settings());
    SetDeliverable(Deliverable::Interface);
    const int d = static_cast<int>(c.deliverable);
    EXPECT_EQ(m_.Signed(kSrcLength), 4960) << d;  // the source fields are turned in every build
    EXPECT_EQ(m_.Signed(kSrcLength + 1), 7015) << d;
    EXPECT_EQ(m_.Signed(kPaperLength), DotsToUserUnits(kUnitTenthMm, static_cast<int>(c.publicLength), 1200)) << d;
    EXPECT_EQ(m_.Signed(kPaperWidth), DotsToUserUnits(kUnitTenthMm, static_cast<int>(c.publicWidth), 1200)) << d;
  }
}

TEST_F(PaperGeometry, OutputFields) {
  // Same as the source, and the source a free size: the six fields are copied.
  SetFreeSize(0, 9920, 14030);
  m_.SetRaw(kPaperSize, 384);
  DerivePaperGeometry(384, kPaperSize, m_.ctx(), m_.settings());
  const std::vector<std::int32_t> source = Six(kSrcLength);
  DeriveImageableArea(1024, kOutPaper, m_.ctx(), m_.settings());
  EXPECT_EQ(Six(kDstLength), source);

  // A model paper.
  m_.SetRaw(kPaperSize, 9);
  m_.SetRaw(kOutPaper, 1);
  DeriveImageableArea(1, kOutPaper, m_.ctx(), m_.settings());
  EXPECT_EQ(Six(kDstLength), (std::vector<std::int32_t>{6600, 5100, 6400, 4900, 100, 100}));
  EXPECT_EQ(m_.Signed(kDstLengthMm), 2794);
  EXPECT_EQ(m_.Signed(kDstWidthMm), 2159);
  EXPECT_EQ(m_.Raw(kPaperSize), 9u);

  // A free size at different resolutions across and along.
  m_.SetRaw(kResH, 300);
  m_.SetRaw(kOutPaper, 384);
  DeriveImageableArea(384, kOutPaper, m_.ctx(), m_.settings());
  EXPECT_EQ(Six(kDstLength), (std::vector<std::int32_t>{3507, 4960, 3507 - 140, 4960 - 120, 60, 70}));
}

TEST_F(PaperGeometry, CustomSizeFromThePublicLengthAndWidth) {
  m_.SetRaw(kPrintQuality, 600);
  m_.SetRaw(kPaperLength, 2970);
  m_.SetRaw(kPaperWidth, 2100);
  ComputePrintableArea(m_.settings(), m_.ctx());
  const std::int32_t length = UserUnitsToDots(kUnitTenthMm, 2970, 600);
  const std::int32_t width = UserUnitsToDots(kUnitTenthMm, 2100, 600);
  EXPECT_EQ(Six(kSrcLength), (std::vector<std::int32_t>{length, width, length - 140, width - 120, 60, 70}));
}

TEST_F(PaperGeometry, AnotherDeviceModeGetsThePublicFields) {
  std::vector<BYTE> other(GetTotalDevmodeSize());
  DerivePaperGeometry(9, kPaperSize, m_.ctx(), other.data());
  DEVMODEW dm{};
  std::memcpy(&dm, other.data(), sizeof dm);
  EXPECT_EQ(dm.dmPaperLength, 2970);
  EXPECT_EQ(dm.dmPaperWidth, 2100);
  EXPECT_EQ(dm.dmFields, DM_PAPERSIZE);
  EXPECT_EQ(m_.Raw(kPaperLength), 0u);
  EXPECT_EQ(m_.Signed(kSrcLength), 7016);  // the dot fields are the context's
}

TEST_F(PaperGeometry, UserPaperSizesAndTrays) {
  POINTL out{};
  // The custom size 256 without DM_PAPERSIZE: the public length and width, turned in landscape.
  m_.SetRaw(kPaperWidth, 1000);
  m_.SetRaw(kPaperLength, 1500);
  m_.SetRaw(kFields, 0);
  ASSERT_EQ(GetUserPaperSize(m_.ctx(), &out, 256, kUserPaperSource), 1);
  EXPECT_EQ(out.x, 1000);
  EXPECT_EQ(out.y, 1500);
  m_.SetRaw(kOrientation, 2);
  GetUserPaperSize(m_.ctx(), &out, 256, kUserPaperSource);
  EXPECT_EQ(out.x, 1500);
  // 448 on the output side: the record filled from kdmPrintFreeSize...
  m_.SetRaw(344, 9920);
  m_.SetRaw(345, 14030);
  ASSERT_EQ(GetUserPaperSize(m_.ctx(), &out, 448, kUserPaperOutput), 1);
  EXPECT_EQ(out.x, DotsToUserUnits(kUnitTenthMm, 9920, 1200));
  EXPECT_EQ(out.y, DotsToUserUnits(kUnitTenthMm, 14030, 1200));

  m_.SetRaw(342, 4);  // tray of paper 256
  EXPECT_EQ(GetUserPaperTray(m_.ctx(), 256, 0), 4u);
  EXPECT_EQ(GetUserPaperTray(m_.ctx(), 256, 1), 1u);
  EXPECT_EQ(m_.Raw(kDefaultSource), 4u);
  EXPECT_EQ(GetUserPaperTray(m_.ctx(), 256, 2), 0u);
  EXPECT_EQ(GetUserPaperTray(m_.ctx(), 9, 0), 0u);
}

std::int32_t AnswerPaperSizeEvent(DriverContext* context, DWORD event, void* block, void*) {
  if (event != kPaperSizeEvent || !block) return 0;
  WriteFieldRawById(context, kPaperLength, 1111);
  WriteFieldRawById(context, kPaperWidth, 2222);
  static_cast<PaperSizeEventBlock*>(block)->handled = 1;
  return 1;
}

TEST_F(PaperGeometry, AModuleThatHandlesTheEventKeepsItsPublicSize) {
  ExtensionModule module{0, nullptr, nullptr, nullptr, AnswerPaperSizeEvent};
  ModuleList list{1, &module};
  m_.work().modules = &list;
  SetFreeSize(0, 9920, 14030);
  DerivePaperGeometry(384, kPaperSize, m_.ctx(), m_.settings());
  m_.work().modules = nullptr;
  EXPECT_EQ(m_.Raw(kPaperLength), 1111u);
  EXPECT_EQ(m_.Raw(kPaperWidth), 2222u);
  EXPECT_EQ(m_.Signed(kSrcLength), 7015);
}

TEST(PaperScaling, DotsToAResolution) {
  EXPECT_EQ(ScaleDotsToResolution(9920, 600), 4960u);
  EXPECT_EQ(ScaleDotsToResolution(14030, 600), 7015u);
  EXPECT_EQ(ScaleDotsToResolution(14030, 0), 0u);
  EXPECT_EQ(ScaleDotsToResolution(0xFFFFFFFFu, 1200), 0xFFFFFFFFu);
  EXPECT_EQ(ScaleDotsToResolution(1199, 1), 0u);
}

}  // namespace
}  // namespace paper_geometry_test
}  // namespace kovatest
