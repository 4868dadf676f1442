// The job and page header texts: command groups walked for a context's settings, option
// commands in their command pairs, the computed values and the PJL lines of the writer.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "model_context.h"
#include "fields/field_handles.h"
#include "base/memory.h"
#include "fields/field_table.h"
#include "stored/module_services.h"
#include "fields/value_maps.h"
#include "header_text.h"
#include "render_common.h"
#include "model/model_parse.h"
#include "pjl_commands.h"
#include "plat/spooler_setup.h"
#include "plat/system.h"
#include "test_root.h"
#include "win/registry.h"
#include "win/spool.h"
#include "render_fields.h"

namespace rendara::test {
namespace {

using kovatest::ModelContext;

// A model with a PickOne, a Boolean and a Numeric option and the commands around a job.
const std::string kModel =
    "*OpenUI *KPD_IDC_PRESET_CHOICE_COLOR: PickOne\r\n"
    "*DefaultKPD_IDC_PRESET_CHOICE_COLOR: KDMCOLOR_2\r\n"
    "*KPD_IDC_PRESET_CHOICE_COLOR KDMCOLOR_1: \"GRAY\"\r\n"
    "*KPD_IDC_PRESET_CHOICE_COLOR KDMCOLOR_2: \"COLOR\"\r\n"
    "*OptionCommand: { \"@PJL SET RENDERMODE=\" \"<0D0A>\" }\r\n"
    "*CloseUI\r\n"
    "*OpenUI *KPD_IDC_FUNCSELECTDUPLEX: Boolean\r\n"
    "*DefaultKPD_IDC_FUNCSELECTDUPLEX: False\r\n"
    "*KPD_IDC_FUNCSELECTDUPLEX True: \"DUPLEX=ON;\"\r\n"
    "*KPD_IDC_FUNCSELECTDUPLEX False: \"DUPLEX=OFF;\"\r\n"
    "*CloseUI\r\n"
    "*OpenUI *KPD_IDC_MARGINODD: Numeric\r\n"
    "*NumericValue: 1 \"1 0 0 2400 0 0 1 1\"\r\n"
    "*OptionCommand: { \"MARGIN=\" \";\" }\r\n"
    "*CloseUI\r\n"
    "*OpenUI *KPD_IDC_FUNCSELECTCHAPTER: Boolean\r\n"
    "*KPD_IDC_FUNCSELECTCHAPTER True: \"CHAPTER=ON;\"\r\n"
    "*KPD_IDC_FUNCSELECTCHAPTER False: \"CHAPTER=OFF;\"\r\n"
    "*CloseUI\r\n"
    "*OpenUI *KPD_IDC_WORK_CHAPTERTRAY: PickOne\r\n"
    "*KPD_IDC_WORK_CHAPTERTRAY WDMCHAPTERTRAY_257: \"TRAY1\"\r\n"
    "*KPD_IDC_WORK_CHAPTERTRAY WDMCHAPTERTRAY_258: \"TRAY2\"\r\n"
    "*CloseUI\r\n"
    "*Judge 1=DuplexOn: KPD_IDC_FUNCSELECTDUPLEX == 1\r\n"
    "*CommandString 1: \"<1B>%%-12345X\"\r\n"
    "*CommandString 2: \"SIMPLEX;\"\r\n"
    "*CommandString 3: \"BOTH;\"\r\n";

// The model with the given JobStart body.
std::string WithJobStart(const std::string& body) { return kModel + "*CommandGroup: JobStart {\r\n" + body + "}\r\n"; }

// Both passes of a group: the counted length must be the written one.
struct GroupText {
  std::int32_t counted = 0;
  std::int32_t written = 0;
  std::string text;
};

GroupText Build(DriverContext* context, ImageRef block) {
  GroupText out;
  DWORD size = 0;
  out.counted = BuildCommandGroupText(context, block, 0, nullptr, &size);
  if (out.counted < 0) return out;
  std::vector<BYTE> buffer(size + 1, 0xEE);
  DWORD written = 0;
  out.written = size ? BuildCommandGroupText(context, block, size, buffer.data(), &written) : 0;
  EXPECT_EQ(written, size);
  EXPECT_EQ(buffer[size], 0xEE) << "written past the counted size";
  out.text.assign(reinterpret_cast<const char*>(buffer.data()), size);
  return out;
}

GroupText JobStart(ModelContext& m) { return Build(m.ctx(), GetCommandGroup(m.ctx(), kGroupJobStart)); }

void SetValue(ModelContext& m, const char* feature, const char* valueName) {
  SettingField* field = FindFieldByKeyword(m.ctx(), static_cast<std::int16_t>(kovatest::Feature(feature)->itemId));
  ASSERT_NE(field, nullptr) << feature;
  SetFieldValue(m.ctx(), field, ModelContext::Id(valueName));
}

TEST(HeaderText, StringsAndOptionCommandsInTheirPairs) {
  ModelContext m(WithJobStart("  Type : StringType 1\r\n"
                              "  Type : GroupType KPD_IDC_PRESET_CHOICE_COLOR\r\n"
                              "  Type : GroupType KPD_IDC_FUNCSELECTDUPLEX\r\n"));
  SetValue(m, "KPD_IDC_PRESET_CHOICE_COLOR", "KDMCOLOR_1");
  const GroupText t = JobStart(m);
  EXPECT_EQ(t.counted, 1);
  EXPECT_EQ(t.written, 0);
  EXPECT_EQ(t.text, "\x1b%-12345X@PJL SET RENDERMODE=GRAY\r\nDUPLEX=OFF;");
}

TEST(HeaderText, JudgedCommandsTakeTheirElsePartOrNothing) {
  struct Case {
    const char* body;
    DWORD duplex;
    const char* text;
  } cases[] = {
      {"  Command : DuplexOn {\r\n    Type : StringType 3\r\n  } Else {\r\n    Type : StringType 2\r\n  }\r\n", 0,
       "SIMPLEX;"},
      {"  Command : DuplexOn {\r\n    Type : StringType 3\r\n  } Else {\r\n    Type : StringType 2\r\n  }\r\n", 1,
       "BOTH;"},
      {"  Command : DuplexOn {\r\n    Type : StringType 3\r\n  }\r\n  Type : StringType 2\r\n", 0, "SIMPLEX;"},
  };
  for (const Case& c : cases) {
    ModelContext m(WithJobStart(c.body));
    m.SetRaw(fid::kdmFuncSelectDuplex, c.duplex);
    const GroupText t = JobStart(m);
    EXPECT_GE(t.counted, 0);
    EXPECT_EQ(t.text, c.text) << c.body << " duplex " << c.duplex;
  }
}

TEST(HeaderText, PickValueWithoutAnItemWritesNothingAndTheWalkGoesOn) {
  ModelContext m(WithJobStart("  Type : GroupType KPD_IDC_PRESET_CHOICE_COLOR\r\n  Type : StringType 2\r\n"));
  // A stored value outside the field's map reads as a value id that no item carries.
  SettingField* field = FindFieldByKeyword(m.ctx(), static_cast<std::int16_t>(
                                                        kovatest::Feature("KPD_IDC_PRESET_CHOICE_COLOR")->itemId));
  ASSERT_NE(field, nullptr);
  WriteFieldRaw(m.ctx(), field, 0x7F);
  EXPECT_EQ(JobStart(m).text, "SIMPLEX;");
}

TEST(HeaderText, MissingOptionFailsTheWholeGroup) {
  // Share key 1 names a variant that the model does not declare; a feature without any
  // option fails the same way.
  for (const char* entry : {"  Type : GroupType KPD_IDC_PRESET_CHOICE_COLOR 1\r\n",
                            "  Type : GroupType KPD_IDC_PRESET_CHOICE_PAPERSIZE\r\n"}) {
    ModelContext m(WithJobStart("  Type : StringType 1\r\n" + std::string(entry) + "  Type : StringType 2\r\n"));
    DWORD size = 0;
    EXPECT_EQ(BuildCommandGroupText(m.ctx(), GetCommandGroup(m.ctx(), kGroupJobStart), 0, nullptr, &size), -1)
        << entry;
    BYTE buffer[64] = {};
    EXPECT_EQ(BuildCommandGroupText(m.ctx(), GetCommandGroup(m.ctx(), kGroupJobStart), sizeof buffer, buffer, &size),
              -1)
        << entry;
  }
}

TEST(HeaderText, NoGroupAndTooSmallABuffer) {
  ModelContext m(WithJobStart("  Type : StringType 1\r\n"));
  DWORD size = 99;
  EXPECT_EQ(BuildCommandGroupText(m.ctx(), GetCommandGroup(m.ctx(), kGroupPageEnd), 0, nullptr, &size), 0);
  EXPECT_EQ(size, 0u);
  BYTE small[4] = {};
  EXPECT_EQ(BuildCommandGroupText(m.ctx(), GetCommandGroup(m.ctx(), kGroupJobStart), sizeof small, small, &size), -1);
  EXPECT_EQ(size, 9u);  // what the text needs
}

TEST(HeaderText, MarginScaledToThePrinterResolution) {
  struct Case {
    WORD field;
    DWORD direction;
    const char* text;
  } cases[] = {
      {fid::kdmMarginOdd, 0, "MARGIN=300;"},
      {fid::kdmShiftMarginX, 2, "MARGIN=-300;"},
      {fid::kdmShiftMarginX, 3, "MARGIN=300;"},
      {fid::kdmShiftMarginY, 3, "MARGIN=-300;"},
      {fid::kdmShiftMarginY, 4, "MARGIN=-300;"},
  };
  for (const Case& c : cases) {
    ModelContext m(WithJobStart("  Type : GroupType KPD_IDC_MARGINODD\r\n"));
    m.SetRaw(fid::kdmMarginOdd, 600);
    m.SetRaw(fid::kdmDstResolutionW, 600);
    m.SetRaw(fid::kdmShiftDir, c.direction);
    // The option's own field carries the margin handling code; the other length fields are
    // reached by giving it their code.
    m.field(fid::kdmMarginOdd)->handling = m.field(c.field)->handling;
    EXPECT_EQ(JobStart(m).text, c.text) << c.field << " direction " << c.direction;
  }
}

// A negative margin (a signed field) times the resolution wraps in 32 unsigned bits; the
// length is worked out in 64 bits and keeps its sign.
TEST(HeaderText, NegativeMarginDoesNotWrap) {
  ModelContext m(WithJobStart("  Type : GroupType KPD_IDC_MARGINODD\r\n"));
  m.SetRaw(fid::kdmMarginOdd, static_cast<DWORD>(-600));
  m.SetRaw(fid::kdmDstResolutionW, 600);
  m.SetRaw(fid::kdmShiftDir, 0);
  EXPECT_EQ(JobStart(m).text, "MARGIN=-300;");
  m.SetRaw(fid::kdmMarginOdd, 32767);
  m.SetRaw(fid::kdmDstResolutionW, 32767);
  EXPECT_EQ(JobStart(m).text, "MARGIN=" + std::to_string(32767LL * 32767 / 1200) + ";");
}

TEST(HeaderText, NumericCommandScalesTheValue) {
  ModelContext m(WithJobStart("  Type : GroupType KPD_IDC_MARGINODD\r\n"));
  m.field(fid::kdmMarginOdd)->handling = 0;
  m.SetRaw(fid::kdmMarginOdd, 1234);
  EXPECT_EQ(JobStart(m).text, "MARGIN=1234;");
}

TEST(HeaderText, DateAndTimeHaveAFixedWidth) {
  ModelContext m(kModel);
  SYSTEMTIME t{};
  t.wYear = 2026;
  t.wMonth = 3;
  t.wDay = 7;
  t.wHour = 9;
  t.wMinute = 5;
  t.wSecond = 59;
  plat::SetTestLocalTime(t);
  const ImageRef option = FindOptionRecord(fid::kdmMarginOdd, m.ctx());
  ASSERT_TRUE(option);
  TextSink sink;
  EXPECT_NE(WriteSpecialValue(m.ctx(), m.field(fid::kdmTime), 0, option, &sink), 0);
  const DWORD counted = sink.count;
  t.wSecond = 0;
  t.wHour = 23;
  plat::SetTestLocalTime(t);
  std::vector<BYTE> buffer(counted);
  TextSink out{buffer.data(), counted, 0, false};
  WriteSpecialValue(m.ctx(), m.field(fid::kdmTime), 0, option, &out);
  plat::UseRealClock();
  EXPECT_FALSE(out.overflow);
  EXPECT_EQ(std::string(buffer.begin(), buffer.end()), "@PJL SET DATE = \"2026/03/07\" \r\nMARGIN=\"23:05:00\";");
}

TEST(HeaderText, DeviceFontLine) {
  struct Case {
    std::vector<std::pair<DWORD, std::u16string>> fonts;
    DWORD declared;  // the count field's value; the block holds the fonts only
    const char* text;
  } cases[] = {
      {{{1, u"Mincho"}, {0xFFFF, u"Gone"}, {3, u"Gothic"}}, 3, "@PJL SET DEVFONTID = \"1+Mincho/3+Gothic\" \r\n"},
      {{{0xFFFF, u"Gone"}, {0xFFFF, u"Gone"}}, 2, "@PJL SET DEVFONTID = \" \r\n"},
      {{}, 0, ""},
      {{{1, u"Mincho"}, {3, u"Gothic"}}, 200, "@PJL SET DEVFONTID = \"1+Mincho/3+Gothic\" \r\n"},
  };
  for (const Case& c : cases) {
    ModelContext m(WithJobStart("  Type : FontType\r\n"));
    auto* records = static_cast<FontListRecord*>(
        AllocMem(static_cast<DWORD>((c.fonts.size() ? c.fonts.size() : 1) * sizeof(FontListRecord))));
    ASSERT_NE(records, nullptr);
    for (std::size_t i = 0; i < c.fonts.size(); ++i) {
      records[i].id = c.fonts[i].first;
      std::memcpy(records[i].name, c.fonts[i].second.c_str(), c.fonts[i].second.size() * 2);
    }
    ASSERT_TRUE(SetFieldBlockById(m.ctx(), fid::kdmDeviceFont, records));
    m.SetRaw(fid::kdmDeviceFontNum, c.declared);
    EXPECT_EQ(JobStart(m).text, c.text);
    FreeMem(ReleaseFieldBlock(m.Raw(fid::kdmDeviceFont)));
  }
}

TEST(HeaderText, PjlSetLine) {
  TextSink sink;
  std::vector<BYTE> buffer(64);
  sink.buffer = buffer.data();
  sink.size = 64;
  WritePjlSetLine("NAME", "VALUE", &sink);
  WritePjlSetLine(nullptr, "VALUE", &sink);
  WritePjlSetLine("NAME", nullptr, &sink);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer.data()), sink.count), "@PJL SET NAME = VALUE \r\n");
}

TEST(HeaderText, ChapterLines) {
  ModelContext m(WithJobStart("  Type : GroupType KPD_IDC_FUNCSELECTCHAPTER\r\n"));
  SettingField* trayField = m.field(fid::wdmChapterTray);
  ASSERT_NE(trayField, nullptr);
  const DWORD tray1 = OptionIndexToRaw(m.ctx(), trayField, ModelContext::Id("WDMCHAPTERTRAY_257"));
  const DWORD tray2 = OptionIndexToRaw(m.ctx(), trayField, ModelContext::Id("WDMCHAPTERTRAY_258"));
  m.SetRaw(fid::kdmFuncSelectChapter, 1);
  m.SetRaw(fid::kdmFuncSelectDuplex, 1);
  m.SetRaw(fid::wdmChapterNum, 4);
  m.SetRaw(fid::wdmChapterMax, 8);
  m.SetRaw(fid::wdmChapterTrayMax, 4);
  struct Entry {
    WORD page;
    DWORD tray;
    BYTE kind;
    BYTE mode;
    const char16_t* range;
  } entries[] = {{3, tray1, 0, 1, u""}, {5, tray1, 0, 0, u""}, {0, tray2, 3, 2, u"7-9"}, {11, 0, 1, 0, u""}};
  for (int i = 0; i < 4; ++i) {
    ChapterEntry* e = GetChapterEntry(m.ctx(), i);
    ASSERT_NE(e, nullptr);
    e->pageNumber = entries[i].page;
    e->trayValue = static_cast<WORD>(entries[i].tray);
    e->kind = entries[i].kind;
    e->mode = entries[i].mode;
    std::memcpy(e->rangeText, entries[i].range, std::char_traits<char16_t>::length(entries[i].range) * 2);
  }
  const std::string text = JobStart(m).text;
  FreeChapterEntries(m.ctx());
  EXPECT_EQ(text,
            "CHAPTER=ON;"
            "@PJL SET CHAPTERPRINTTRAY1 = TRAY1 \r\n"
            "@PJL SET CHAPTERPRINTDUPLEX1 = ON \r\n"
            "@PJL SET CHAPTERPRINTTRAY2 = TRAY2 \r\n"
            "@PJL SET CHAPTERPRINTDUPLEX2 = OFF \r\n"
            "@PJL SET CHAPTERPAGENUMBER1 = 3 \r\n"
            "@PJL SET CHAPTERPAGE1 = COPY \r\n"
            "@PJL SET CHAPTERPAGETRAY1 = CHAPTERPRINTTRAY1 \r\n"
            "@PJL SET CHAPTERPAGENUMBER2 = 5 \r\n"
            "@PJL SET CHAPTERPAGE2 = BLANK \r\n"
            "@PJL SET CHAPTERPAGETRAY2 = CHAPTERPRINTTRAY1 \r\n"
            "@PJL SET CHAPTERPAGESTART3 = 7 \r\n"
            "@PJL SET CHAPTERPAGEEND3 = 9 \r\n"
            "@PJL SET CHAPTERPAGETRAY3 = CHAPTERPRINTTRAY2 \r\n"
            "@PJL SET CHAPTERPAGENUMBER4 = 11 \r\n"
            "@PJL SET CHAPTERPAGE4 = BREAK \r\n");
}

TEST(HeaderText, ChapterOffSendsOnlyTheOffCommand) {
  ModelContext m(WithJobStart("  Type : GroupType KPD_IDC_FUNCSELECTCHAPTER\r\n"));
  m.SetRaw(fid::wdmChapterNum, 4);
  m.SetRaw(fid::wdmChapterTrayMax, 4);
  EXPECT_EQ(JobStart(m).text, "CHAPTER=OFF;");
}

// The text WriteSpecialValue writes for a field given a handling code, with an option.
std::string Special(ModelContext& m, WORD fieldId, WORD code, DWORD value, ImageRef option, std::int32_t* served) {
  SettingField* field = m.field(fieldId);
  field->handling = code;
  TextSink count;
  *served = WriteSpecialValue(m.ctx(), field, value, option, &count);
  std::vector<BYTE> buffer(count.count);
  TextSink out{buffer.data(), count.count, 0, false};
  WriteSpecialValue(m.ctx(), field, value, option, &out);
  EXPECT_EQ(out.count, count.count);
  EXPECT_FALSE(out.overflow);
  return std::string(buffer.begin(), buffer.end());
}

TEST(HeaderText, StringWithoutDashesAndBrackets) {
  ModelContext m(kModel + "*OpenUI *KPD_IDC_HFFONTNAME: String\r\n*StringValue: 31 MultiByte\r\n*CloseUI\r\n" +
                 "*CommandGroup: JobStart {\r\n  Type : GroupType KPD_IDC_HFFONTNAME\r\n}\r\n");
  SettingField* field =
      FindFieldByKeyword(m.ctx(), static_cast<std::int16_t>(kovatest::Feature("KPD_IDC_HFFONTNAME")->itemId));
  ASSERT_NE(field, nullptr);
  SetFieldString(m.ctx(), field, u"(A-B)C");
  EXPECT_EQ(JobStart(m).text, "(A-B)C");  // plain String option: the text as it is
  field->handling = kHandleBareString;
  EXPECT_EQ(JobStart(m).text, "AB" "C");
  SetFieldString(m.ctx(), field, u"-()");
  EXPECT_EQ(JobStart(m).text, "");
}

TEST(HeaderText, ColourProfilesFollowTheMatchingMode) {
  struct Case {
    WORD code;
    DWORD colour;
    DWORD mode;
    DWORD media;
    const char* name;  // null: nothing written
  } cases[] = {
      {kHandleColourProfile, 0, 129, 0, nullptr},       // a monochrome machine
      {kHandleColourProfile, 1, 0, 0, nullptr},         // no profile
      {kHandleColourProfile, 1, 129, 0, "KVPRFLIN.kcm"},  // f = 2
      {kHandleColourProfile, 1, 128, 0, "KVPRFTXT.kcm"},  // share key 0: f = 6
      {kHandleColourProfile, 1, 5, 0, "KVPRFIMG.kcm"},    // f = m
      {kHandleMatchingProfile, 1, 1, 0, "KVMATCH1.kcm"},
      {kHandleMatchingProfile, 1, 129, 0, "KVMATCH2.kcm"},
      {kHandleMatchingProfile, 1, 130, 2, "KVMATCH3.kcm"},
      {kHandleMatchingProfile, 1, 131, 0, nullptr},
  };
  for (const Case& c : cases) {
    ModelContext m(kModel);
    std::memcpy(m.work().driverDirectory, u"C:\\drv\\", 8 * sizeof(WCHAR));
    m.SetRaw(fid::kdmMachineTypeColor, c.colour);
    m.SetRaw(fid::kdmColorMatchingMode, c.mode);
    m.SetRaw(fid::kdmMediaType, c.media);
    std::int32_t served = 0;
    const std::string text = Special(m, fid::kdmMarginOdd, c.code, 0,
                                     FindOptionByNameAndShareKey(
                                         kovatest::Feature("KPD_IDC_PRESET_CHOICE_COLOR")->itemId, 0, m.ctx()),
                                     &served);
    EXPECT_NE(served, 0);
    // The colour option's command pair wraps the path.
    EXPECT_EQ(text, c.name ? "@PJL SET RENDERMODE=C:\\drv\\" + std::string(c.name) + "\r\n" : "")
        << c.code << " mode " << c.mode;
  }
}

TEST(HeaderText, DriverDirectoryAndPageFormCommand) {
  ModelContext m(kModel);
  std::memcpy(m.work().driverDirectory, u"C:\\drv\\", 8 * sizeof(WCHAR));
  const ImageRef colour =
      FindOptionByNameAndShareKey(kovatest::Feature("KPD_IDC_PRESET_CHOICE_COLOR")->itemId, 0, m.ctx());
  std::int32_t served = 0;
  EXPECT_EQ(Special(m, fid::kdmMarginOdd, kHandleDriverDirectory, 0, colour, &served),
            "@PJL SET RENDERMODE=C:\\drv\\\r\n");
  EXPECT_NE(served, 0);
  // A page form sends its item's command; a value without an item sends nothing.
  EXPECT_EQ(Special(m, fid::kdmMarginOdd, kHandlePageForm, ModelContext::Id("KDMCOLOR_2"), colour, &served),
            "@PJL SET RENDERMODE=COLOR\r\n");
  EXPECT_EQ(Special(m, fid::kdmMarginOdd, kHandlePageForm, 0x7FFF, colour, &served), "");
  EXPECT_NE(served, 0);
  // A code the writer does not know is left to the option's own writer.
  EXPECT_EQ(Special(m, fid::kdmMarginOdd, 4, 0, colour, &served), "");
  EXPECT_EQ(served, 0);
}

TEST(HeaderText, FontTableCommandAndSubstituteFontLine) {
  ModelContext m(kModel +
                 "*OpenUI *KPD_IDC_TTFONT: FontTbl\r\n"
                 "*KPD_IDC_TTFONT KDMTTFONT_0: \"SUB=OFF;\"\r\n"
                 "*KPD_IDC_TTFONT KDMTTFONT_1: \"SUB=ON;\"\r\n"
                 "*TTFS KDMTTFONT_1: IDList { {\"Arial\" \"Helvetica\"} }\r\n"
                 "*CloseUI\r\n"
                 "*CommandGroup: JobStart {\r\n  Type : GroupType KPD_IDC_TTFONT\r\n}\r\n");
  auto* table = static_cast<FontSubstitutionRecord*>(AllocMem(2 * sizeof(FontSubstitutionRecord)));
  ASSERT_NE(table, nullptr);
  std::memcpy(table[0].trueTypeName, u"Arial", 5 * 2);
  std::memcpy(table[0].deviceFontName, u"Helvetica", 9 * 2);
  std::memcpy(table[1].trueTypeName, u"Times New Roman", 15 * 2);
  std::memcpy(table[1].deviceFontName, u"Times", 5 * 2);
  ASSERT_TRUE(SetFieldBlockById(m.ctx(), fid::kdmFontTable, table));
  m.SetRaw(fid::kdmFontTableNum, 2);
  SetValue(m, "KPD_IDC_TTFONT", "KDMTTFONT_1");
  const char* both = "SUB=ON;@PJL SET SUBFONTTABLE = \"Arial+Helvetica/Times New Roman+Times\" \r\n";
  EXPECT_EQ(JobStart(m).text, both);
  // A count beyond the block reads only the rows the block holds.
  m.SetRaw(fid::kdmFontTableNum, 300);
  EXPECT_EQ(JobStart(m).text, both);
  m.SetRaw(fid::kdmFontTableNum, 2);
  // The selected item has no pairs: only its command.
  SetValue(m, "KPD_IDC_TTFONT", "KDMTTFONT_0");
  EXPECT_EQ(JobStart(m).text, "SUB=OFF;");
  FreeMem(ReleaseFieldBlock(m.Raw(fid::kdmFontTable)));
}

// Names and paths of the printer: a printer installed in a fresh system root.
TEST(HeaderText, DriverNameAndLogFileNames) {
  kovatest::TempRoot root;
  plat::spooler::PrinterSetup setup;
  setup.name = u"Header Printer";
  setup.driver.name = u"KOVA Header Driver";
  setup.driver.driverPath = u"C:\\drv\\Rendara.dll";
  setup.driver.configFile = u"C:\\drv\\Panelis.dll";
  setup.driver.dataFile = u"C:\\drv\\KOVA1.KMD";
  ASSERT_EQ(plat::spooler::InstallPrinter(setup), 0u);
  HANDLE printer = nullptr;
  PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
  ASSERT_TRUE(OpenPrinterW(const_cast<LPWSTR>(setup.name.c_str()), &printer, &defaults));
  {
    ModelContext m(kModel);
    m.ctx()->hPrinter = printer;
    const ImageRef colour =
        FindOptionByNameAndShareKey(kovatest::Feature("KPD_IDC_PRESET_CHOICE_COLOR")->itemId, 0, m.ctx());
    std::int32_t served = 0;
    EXPECT_EQ(Special(m, fid::dmDeviceName, kHandleDeviceName, 0, colour, &served),
              "@PJL SET KOVADRIVERNAME = \"KOVA Header Driver\" \r\n"
              "@PJL SET RENDERMODE=\"Header Printer\"\r\n");
    // Without the printer data value nothing is sent.
    EXPECT_EQ(Special(m, fid::wdmLogFileName, kHandleLogFileName, 0, colour, &served), "");
    EXPECT_NE(served, 0);
    const std::u16string log = u"C:\\logs\\kova.log";
    ASSERT_EQ(SetPrinterDataW(printer, const_cast<LPWSTR>(u"LogFileName"), REG_SZ,
                              reinterpret_cast<LPBYTE>(const_cast<char16_t*>(log.c_str())),
                              static_cast<DWORD>((log.size() + 1) * 2)),
              0u);
    EXPECT_EQ(Special(m, fid::wdmLogFileName, kHandleLogFileName, 0, colour, &served),
              "@PJL SET RENDERMODE=C:\\logs\\kova.log\r\n");
    EXPECT_EQ(Special(m, fid::wdmDriverFileName, kHandleDriverFileName, 0, colour, &served),
              "@PJL SET RENDERMODE=C:\\logs\\kova.DLL\r\n");
  }
  ClosePrinter(printer);
}

}  // namespace
}  // namespace rendara::test
