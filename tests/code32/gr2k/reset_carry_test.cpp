// Job-time paper substitution (the two slots, the settings record written with the restored
// values) and what a device reset carries from the old device to the new one.
#include <cstring>
#include <string>
#include <vector>

#include "base/driver_context.h"
#include "fields/field_table.h"
#include "fields/product_record.h"
#include "in_process_job.h"
#include "paper_substitution.h"
#include "reset_carry.h"

namespace rendara::test {
namespace {

class Substitution : public DeviceJob {};

TEST_F(Substitution, SlotsByFrontFunctionAndOutputPaper) {
  // The built-in fit-paper list is empty: slot A never substitutes, slot B becomes active
  // for a fit-to-paper size but keeps the paper.
  struct Case {
    DWORD front;
    DWORD outPaper;
    BOOL a;
    BOOL b;
  };
  const Case cases[] = {
      {0x8, 1026, FALSE, FALSE},  {0x20, 1026, FALSE, TRUE}, {0x28, 1024, FALSE, TRUE},
      {0x28, 1028, FALSE, TRUE},  {0x20, 1029, FALSE, FALSE}, {0x20, 9, FALSE, FALSE},
      {0x0, 1024, FALSE, FALSE},
  };
  Enable();
  for (const Case& c : cases) {
    SetSubstitutionAActive(Context(), TRUE);  // stale state must not survive slot A's step 1
    SetSubstitutionBActive(Context(), FALSE);
    if (!(c.front & 0x8) || c.outPaper < 1024 || c.outPaper > 1028) SetSubstitutionAActive(Context(), FALSE);
    SetField(fid::kdmFrontFunc, c.front);
    SetField(fid::kdmOutPaperSize, c.outPaper);
    SetField(fid::kdmFuncSelectScale, 0);
    SetField(fid::kdmScaleType, 0);
    ApplyJobTimeAdjustments(Context());
    EXPECT_EQ(IsSubstitutionAActive(Context()), c.a) << c.front << " " << c.outPaper;
    EXPECT_EQ(IsSubstitutionBActive(Context()), c.b) << c.front << " " << c.outPaper;
    EXPECT_EQ(Field(fid::kdmOutPaperSize), c.outPaper);
    EXPECT_EQ(Field(fid::kdmFuncSelectScale), 0u);
  }
}

TEST_F(Substitution, RestoreAroundTheSettingsRecordThenInactive) {
  Enable();
  SetField(fid::kdmFrontFunc, 0x20);
  SetField(fid::kdmOutPaperSize, 1025);
  SetField(fid::kdmFuncSelectScale, 1);
  SetField(fid::kdmScaleType, 2);
  SaveSubstitutionB(Context(), 1);
  // As a substitution would leave them.
  SetField(fid::kdmOutPaperSize, 9);
  SetField(fid::kdmScaleType, 1);
  UndoJobPaperSubstitution(Device());
  EXPECT_EQ(Field(fid::kdmOutPaperSize), 1025u);
  EXPECT_EQ(Field(fid::kdmFuncSelectScale), 1u);
  EXPECT_EQ(Field(fid::kdmScaleType), 2u);
  EXPECT_TRUE(IsSubstitutionBActive(Context()));
  RedoJobPaperSubstitution(Device());
  EXPECT_FALSE(IsSubstitutionBActive(Context()));
  // An inactive slot writes nothing back.
  SetField(fid::kdmOutPaperSize, 7);
  UndoJobPaperSubstitution(Device());
  EXPECT_EQ(Field(fid::kdmOutPaperSize), 7u);
}

// A device-mode copy of the driver's size taken from a context.
std::vector<BYTE> CopyOf(DriverContext* context) {
  const BYTE* dm = GetContextDevmode(context);
  return std::vector<BYTE>(dm, dm + GetTotalDevmodeSize());
}
DEVMODEW* Dm(std::vector<BYTE>& v) { return reinterpret_cast<DEVMODEW*>(v.data()); }

class Carry : public DeviceJob {
 protected:
  void SetUp() override {
    DeviceJob::SetUp();
    Enable();
    base_ = CopyOf(Context());
  }
  // The byte offset of a device-mode field and, for a bit, its mask.
  std::size_t Offset(WORD id) { return FindFieldById(Context(), id)->offset; }
  std::vector<BYTE> base_;
};

TEST_F(Carry, ChosenSettingsTakeTheResetsPageAndColourChoices) {
  std::vector<BYTE> oldCopy = base_;
  std::vector<BYTE> newCopy = base_;
  // The old job's own choices, which a reset must not lose.
  oldCopy[Offset(fid::kdmUserCode)] = 'U';
  oldCopy[Offset(fid::kdmFuncSelectSort)] ^= 0x40;
  // The reset asks for other copies, orientation and a colour mode.
  Dm(newCopy)->dmCopies = 7;
  Dm(newCopy)->dmOrientation = 2;
  newCopy[Offset(fid::kdmColorMode)] = 5;
  newCopy[Offset(fid::kdmBrightness)] = 3;
  ASSERT_TRUE(CarryChosenSettings(Dm(oldCopy), Dm(newCopy)));
  EXPECT_EQ(Dm(newCopy)->dmCopies, 7);
  EXPECT_EQ(Dm(newCopy)->dmOrientation, 2);
  EXPECT_EQ(newCopy[Offset(fid::kdmColorMode)], 5);
  EXPECT_EQ(newCopy[Offset(fid::kdmBrightness)], 3);
  EXPECT_EQ(newCopy[Offset(fid::kdmUserCode)], 'U');
  EXPECT_EQ(newCopy[Offset(fid::kdmFuncSelectSort)], oldCopy[Offset(fid::kdmFuncSelectSort)]);
  // Every byte other than the reset's fields is the old device-mode's.
  std::vector<BYTE> expected = oldCopy;
  Dm(expected)->dmCopies = 7;
  Dm(expected)->dmOrientation = 2;
  expected[Offset(fid::kdmColorMode)] = 5;
  expected[Offset(fid::kdmBrightness)] = 3;
  EXPECT_EQ(newCopy, expected);
}

TEST_F(Carry, OutputPaperFieldsOnlyWithFitPaper) {
  for (const short out : {short(1024), short(9)}) {
    std::vector<BYTE> oldCopy = base_;
    std::vector<BYTE> newCopy = base_;
    std::memcpy(oldCopy.data() + Offset(fid::kdmOutPaperSize), &out, 2);
    const short resetOut = 11;
    std::memcpy(newCopy.data() + Offset(fid::kdmOutPaperSize), &resetOut, 2);
    Dm(newCopy)->dmDefaultSource = 4;
    Dm(oldCopy)->dmDefaultSource = 1;
    ASSERT_TRUE(CarryChosenSettings(Dm(oldCopy), Dm(newCopy)));
    short now = 0;
    std::memcpy(&now, newCopy.data() + Offset(fid::kdmOutPaperSize), 2);
    EXPECT_EQ(now, out == 1024 ? resetOut : out);
    EXPECT_EQ(Dm(newCopy)->dmDefaultSource, out == 1024 ? 4 : 1);
  }
}

TEST_F(Carry, NothingIsCarriedWhenOutputSettingsOrSizesDiffer) {
  struct Case {
    const char* name;
    void (*change)(std::vector<BYTE>& newCopy, std::size_t duplexOffset);
  };
  const Case cases[] = {
      {"print quality", [](std::vector<BYTE>& v, std::size_t) { Dm(v)->dmPrintQuality += 300; }},
      {"colour", [](std::vector<BYTE>& v, std::size_t) { Dm(v)->dmColor = Dm(v)->dmColor == 1 ? 2 : 1; }},
      {"duplex switch", [](std::vector<BYTE>& v, std::size_t at) { v[at] ^= 0x08; }},
      {"size", [](std::vector<BYTE>& v, std::size_t) { Dm(v)->dmDriverExtra -= 4; }},
  };
  const std::size_t duplex = Offset(fid::kdmFuncSelectDuplex);
  for (const Case& c : cases) {
    std::vector<BYTE> oldCopy = base_;
    oldCopy[Offset(fid::kdmUserCode)] = 'U';
    std::vector<BYTE> newCopy = base_;
    Dm(newCopy)->dmCopies = 9;
    c.change(newCopy, duplex);
    const std::vector<BYTE> before = newCopy;
    EXPECT_FALSE(CarryChosenSettings(Dm(oldCopy), Dm(newCopy))) << c.name;
    EXPECT_EQ(newCopy, before) << c.name;
  }
  EXPECT_FALSE(CarryChosenSettings(nullptr, Dm(base_)));
}

TEST_F(Carry, JobControlSettingsGoToTheNewContext) {
  DriverContext* old = Context();
  auto second = std::make_unique<plat::engine::Device>(local_);
  ASSERT_TRUE(second->Enable(nullptr, printer_, deviceName_));
  DriverContext* now = reinterpret_cast<RenderDevice*>(second->pdev())->context;
  ASSERT_NE(now, old);
  const std::pair<WORD, const char*> texts[] = {
      {fid::kdmUserCode, "UC"},         {fid::kdmOwnerName, "Owner"},   {fid::kdmJOBPassword, "jp"},
      {fid::kdmUserID, "id"},           {fid::kdmDocumentName, "Doc"},  {fid::kdmTelNo, "555"},
      {fid::kdmStoredPassword, "sp"},   {fid::wdmAuthenticationUserName, "alice"},
      {fid::wdmAuthenticationNetworkKey, "corp"}, {fid::wdmAuthenticationPassword, "pw"},
  };
  for (const auto& [id, text] : texts) {
    SettingField* f = FindFieldById(old, id);
    std::string block(FieldSizeOf(f->type), '\0');
    std::memcpy(block.data(), text, std::strlen(text));
    WriteFieldBlock(old, f, block.data());
  }
  WriteFieldRawById(old, fid::kdmTelLine, 4);
  CarryJobControlSettings(now, old);
  for (const auto& [id, text] : texts) {
    const auto* value = reinterpret_cast<const char*>(GetFieldAddress(now, FindFieldById(now, id)));
    EXPECT_STREQ(value, text) << id;
  }
  EXPECT_EQ(ReadFieldRawById(now, fid::kdmTelLine), 4u);
  second.reset();
}

TEST_F(Carry, ResetInAJobCarriesTheOldDevmodeWhenAsked) {
  engine_.reset();
  EvictContextCache(1);
  Enable(Dm(base_));
  Device()->settingsTakeOver = 1;
  Device()->jobDevmode->dmFields |= DM_COPIES;
  reinterpret_cast<BYTE*>(Device()->jobDevmode)[Offset(fid::kdmUserCode)] = 'Q';
  ASSERT_TRUE(engine_->EnableSurface());
  ASSERT_TRUE(engine_->StartDoc(u"Doc", 3));
  std::vector<BYTE> reset = base_;
  Dm(reset)->dmCopies = 6;
  Dm(reset)->dmFields |= DM_COPIES;
  ASSERT_TRUE(engine_->Reset(Dm(reset)));
  const BYTE* carried = reinterpret_cast<const BYTE*>(Device()->jobDevmode);
  EXPECT_EQ(Device()->jobDevmode->dmCopies, 6);
  EXPECT_EQ(carried[Offset(fid::kdmUserCode)], 'Q');
  ASSERT_TRUE(engine_->EndDoc());
}

}  // namespace
}  // namespace rendara::test
