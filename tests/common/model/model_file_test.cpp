// Parsing model description files: the data-file path from the spooler, the mapped file,
// unreadable files, and the sample printer's model description.
#include <gtest/gtest.h>

#include <string>

#include "base/memory.h"
#include "model/model_reader.h"
#include "model/statement_dispatch.h"
#include "model_test_util.h"
#include "plat/spooler_setup.h"
#include "plat/system.h"
#include "win/errors.h"
#include "win/spool.h"

namespace {

using kovatest::ItemsOf;
using kovatest::OptionOf;
using kovatest::ParsePtr;

class ModelFile : public ::testing::Test {
 protected:
  kovatest::TempRoot root_;
};

TEST_F(ModelFile, DataFilePathComesFromTheDriverRecord) {
  plat::spooler::PrinterSetup p;
  p.name = u"Kova Model";
  p.portName = u"C:\\out.prn";
  p.driver.name = u"KOVA Sample Driver";
  p.driver.driverPath = u"Rendara.dll";
  p.driver.configFile = u"Panelis.dll";
  p.driver.dataFile = u"KOVA1.KMD";
  ASSERT_EQ(plat::spooler::InstallPrinter(p), ERROR_SUCCESS);
  HANDLE h = nullptr;
  std::u16string name = u"Kova Model";
  ASSERT_TRUE(OpenPrinterW(name.data(), &h, nullptr));
  WCHAR* path = GetDataFilePath(h);
  ASSERT_NE(path, nullptr);
  EXPECT_EQ(std::u16string(path), u"C:\\Windows\\system32\\spool\\DRIVERS\\x64\\3\\KOVA1.KMD");
  FreeMem(path);
  ClosePrinter(h);
  EXPECT_EQ(GetDataFilePath(nullptr), nullptr);
}

TEST_F(ModelFile, ParsesAMappedFileAndRefusesAnUnreadableOne) {
  root_.WriteFile(u"C:\\drv\\m.kmd", "*FileVersion: 9.02\n*UIResDLLName: \"KOVAUIUS.DLL\"\n");
  ParsePtr parse(ParseModelDescription(u"C:\\drv\\m.kmd"));
  ASSERT_NE(parse, nullptr);
  EXPECT_EQ(std::u16string(parse->header.fileVersion), u"9.02");
  EXPECT_EQ(std::u16string(parse->header.uiResDllName), u"KOVAUIUS.DLL");
  EXPECT_EQ(ParseModelDescription(u"C:\\drv\\missing.kmd"), nullptr);
  EXPECT_EQ(ParseModelDescription(u""), nullptr);
  EXPECT_EQ(ParseModelDescription(nullptr), nullptr);
  EXPECT_EQ(OpenModelReader(u"C:\\drv"), nullptr);  // a directory cannot be mapped
  // An empty file cannot be mapped either (as on Windows): no parse.
  root_.WriteFile(u"C:\\drv\\empty.kmd", "");
  EXPECT_EQ(ParseModelDescription(u"C:\\drv\\empty.kmd"), nullptr);
}

TEST_F(ModelFile, NothingButCommentsStillParses) {
  auto parse = kovatest::ParseText("% only a comment\nno statement here");
  ASSERT_NE(parse, nullptr);
  EXPECT_EQ(parse->header.slots[0], nullptr);
  EXPECT_EQ(parse->header.fileVersion[0], 0);
}

// The sample printer's model description carries what the later work reads: options of
// every type, rules of every statement kind and the command groups.
TEST_F(ModelFile, SampleModelDescription) {
  const std::string path = kovatest::FixturePath(kovatest::kPrinterModel);
  root_.WriteFile(u"C:\\drv\\KOVA1.KMD", [&] {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }());
  ParsePtr parse(ParseModelDescription(u"C:\\drv\\KOVA1.KMD"));
  ASSERT_NE(parse, nullptr);
  const ParsedHeader& h = parse->header;
  EXPECT_EQ(std::u16string(h.fileVersion), u"9.02");
  EXPECT_EQ(std::u16string(h.uiResDllName), u"KOVAUIUS.DLL");

  struct OptionCase {
    const char* feature;
    WORD type;
    size_t items;
  };
  const OptionCase options[] = {
      {"KPD_IDC_PRESET_CHOICE_PAPERSIZE", kTypePickPage, 11},
      {"KPD_IDC_PRESET_CHOICE_PRINTSIZE", kTypeIdentity | kTypePickPage, 11},
      {"KPD_IDC_PRESET_CHOICE_SOURCETRAY", kTypePickSlot, 4},
      {"KPD_IDC_TTFONT", kTypeFontTbl, 2},
      {"KPD_IDC_PRESET_CHOICE_COLOR", kTypePickOne, 2},
      {"KPD_Tray1PaperSize", kTypePickOne, 5},
      {"KPD_IDC_NUPTYPE", kTypePickOne, 4},
      {"KPD_IDC_FUNCSELECTSTAPLE", kTypeBoolean, 0},
      {"KPD_IDC_PRESET_EDIT_COPIES", kTypeNumeric, 0},
      {"KPD_IDC_HFFONTNAME", kTypeString, 0},
  };
  for (const OptionCase& c : options) {
    OptionRecord* r = OptionOf(parse.get(), c.feature);
    ASSERT_NE(r, nullptr) << c.feature;
    EXPECT_EQ(r->type, c.type) << c.feature;
    EXPECT_EQ(ItemsOf(r).size(), c.items) << c.feature;
    EXPECT_NE(r->values, nullptr) << c.feature;
  }
  EXPECT_EQ(GetDefaultFromParsedHeader(8, &h), kovatest::ValueId("KDMPAPERSIZE_9"));
  EXPECT_EQ(GetDefaultFromParsedHeader(12, &h), 1u);

  int judges = 0, exclusives = 0, items = 0, transacts = 0, alerts = 0, alertActions = 0, actions = 0;
  for (auto* j = parse->judges.first; j; j = j->next) ++judges;
  for (auto* e = parse->exclusives.first; e; e = e->next) ++exclusives;
  for (auto* i = parse->items.first; i; i = i->next) ++items;
  for (auto* t = parse->transacts.first; t; t = t->next) ++transacts;
  for (auto* a = parse->alerts.first; a; a = a->next) ++alerts;
  for (auto* a = parse->alertActions.first; a; a = a->next) ++alertActions;
  for (auto* a = parse->actions.first; a; a = a->next) ++actions;
  EXPECT_EQ(judges, 13);  // every Judge of the sample compiles
  EXPECT_EQ(exclusives, 10);
  EXPECT_EQ(items, 4);
  EXPECT_EQ(actions, 6);
  EXPECT_EQ(transacts, 5);
  EXPECT_EQ(alertActions, 1);
  EXPECT_EQ(alerts, 2);
  for (auto* e = parse->exclusives.first; e; e = e->next) EXPECT_NE(e->featureItemId, 0);

  for (int g = 0; g < kGroupCount; ++g) EXPECT_NE(h.groups[g], nullptr) << g;
  int strings = 0;
  for (auto* s = parse->commandStrings.first; s; s = s->next) ++strings;
  EXPECT_EQ(strings, 8);
  EXPECT_EQ(std::string(parse->commandStrings.first->text), "\x1b%-12345X@PJL\r\n");
  EXPECT_EQ(h.deviceFontCount, 4u);
  EXPECT_EQ(h.fontCartridgeCount, 3u);
}

}  // namespace
