// Command-base handles on the sample printer: a base set, rebuilt and compared, lines
// updated, the value lists, the printer values and the watermarks.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "command_base_apply.h"
#include "command_base_exports.h"
#include "command_base_items.h"
#include "command_base_text.h"
#include "constrix_fixture.h"
#include "base/driver_context.h"
#include "fields/field_access.h"
#include "fields/field_table.h"
#include "base/memory.h"
#include "base/paths_and_names.h"
#include "fields/product_record.h"
#include "field_ids.h"
#include "settings_snapshots.h"
#include "stored/stamp_list.h"

namespace kovatest {
namespace {

std::string Line(const std::string& name, const std::string& value) { return "@PJL SET " + name + " = " + value + " \r\n"; }

// The four required lines and a few more.
std::string SmallBase(const std::string& extra = "") {
  return Line("APLPAGESIZE", "A4") + Line("APLPAGELAYOUT", "PORTRAIT") + Line("PAPER", "A4") + Line("TRAY", "ALL") +
         Line("COPIES", "1") + extra;
}

class CommandBase : public ApiPrinterTest {
 protected:
  void SetUp() override {
    ApiPrinterTest::SetUp();
    InstallApiPrinter();
    handle_ = DoExcGetExclusive(kPrinter);
    ASSERT_NE(handle_, nullptr);
  }
  void TearDown() override {
    DoExcFreeExclusive(handle_);
    ApiPrinterTest::TearDown();
  }

  std::string Base() {
    std::int32_t length = -1;
    const std::int32_t answer = DoExcGetCommandBase(handle_, 0, nullptr, &length);
    EXPECT_EQ(answer, length > 0 ? 1 : 0);
    if (length <= 0) return {};
    std::vector<char> text(static_cast<std::size_t>(length));
    EXPECT_EQ(DoExcGetCommandBase(handle_, length, text.data(), &length), 0);
    EXPECT_EQ(text.back(), '\0');
    return text.data();
  }
  std::string Change() {
    std::int32_t length = -1;
    std::vector<char> text(4096);
    EXPECT_EQ(DoExcGetCommandChange(handle_, static_cast<std::int32_t>(text.size()), text.data(), &length), 0);
    return length > 0 ? std::string(text.data()) : std::string();
  }
  // A NUL-separated list as one text, names joined by '|'.
  static std::string List(const std::vector<char>& text, std::int32_t length) {
    std::string out;
    for (std::int32_t i = 0; i + 2 < length; ++i) out += text[static_cast<std::size_t>(i)] ? text[static_cast<std::size_t>(i)] : '|';
    return out;
  }
  std::string Values(const char* item, int onlySettable) {
    std::int32_t length = 0;
    std::vector<char> text(4096);
    EXPECT_EQ(DoExcGetCommandValue(handle_, item, onlySettable, static_cast<std::int32_t>(text.size()), text.data(),
                                   &length),
              0);
    return List(text, length);
  }
  DriverContext* Context() { return handle_->context; }

  ExcBaseRecord* handle_ = nullptr;
};

TEST_F(CommandBase, SetAnswersForMissingAndBadTexts) {
  std::int32_t change = -5;
  struct Case {
    const char* what;
    std::string text;
    std::int32_t answer;
  };
  const Case cases[] = {
      {"no TRAY line", Line("APLPAGESIZE", "A4") + Line("APLPAGELAYOUT", "PORTRAIT") + Line("PAPER", "A4"), -2},
      {"no APLPAGESIZE line", Line("APLPAGELAYOUT", "PORTRAIT") + Line("PAPER", "A4") + Line("TRAY", "ALL"), -2},
      {"an unknown value of a required item", SmallBase() + Line("APLPAGESIZE", "NOSUCH"), 0},
      {"empty", "", -2},
      {"a syntax error", SmallBase() + "@PJL SET DUPLEX=ON\r\n", -1},
      {"a last line without CR LF", SmallBase() + "@PJL SET DUPLEX = ON", -1},
      {"a token too long", SmallBase() + Line("COPIES", std::string(300, '9')), -1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DoExcSetCommandBase(handle_, c.text.c_str(), &change), c.answer) << c.what;
    if (c.answer < 0) {
      EXPECT_EQ(change, 0) << c.what;
      EXPECT_EQ(Base(), "") << c.what;  // no base, the handle reset
    }
  }
  EXPECT_EQ(DoExcSetCommandBase(handle_, nullptr, &change), -2);
  EXPECT_EQ(DoExcSetCommandBase(nullptr, SmallBase().c_str(), &change), -1);
}

TEST_F(CommandBase, RebuiltBaseKeepsOrderDropsUnknownLinesAndForceFeed) {
  const std::string text = Line("COPIES", "2") + Line("NOSUCHITEM", "1") + Line("TRAY", "ALL") +
                           Line("FORCEFEED", "SEF") + Line("APLPAGELAYOUT", "LANDSCAPE") + Line("PAPER", "A4") +
                           Line("APLPAGESIZE", "A4") + Line("DUPLEX", "OFF");
  std::int32_t change = -1;
  ASSERT_EQ(DoExcSetCommandBase(handle_, text.c_str(), &change), 0);
  EXPECT_EQ(change, 0);
  EXPECT_EQ(Base(), Line("COPIES", "2") + Line("TRAY", "ALL") + Line("APLPAGELAYOUT", "LANDSCAPE") +
                        Line("PAPER", "A4") + Line("APLPAGESIZE", "A4") + Line("DUPLEX", "OFF"));
  EXPECT_EQ(ReadFieldRawById(Context(), fid::dmCopies), 2u);
  EXPECT_EQ(ReadFieldRawById(Context(), fid::dmOrientation), 2u);
}

TEST_F(CommandBase, RepeatedItemsTakeTheLastValueAndEveryLineShowsIt) {
  std::int32_t change = -1;
  const std::string text = SmallBase() + Line("COPIES", "7");
  ASSERT_GE(DoExcSetCommandBase(handle_, text.c_str(), &change), 0);
  EXPECT_EQ(ReadFieldRawById(Context(), fid::dmCopies), 7u);
  const std::string base = Base();
  EXPECT_EQ(base.find(Line("COPIES", "1")), std::string::npos) << base;
  EXPECT_NE(base.find(Line("COPIES", "7")), base.rfind(Line("COPIES", "7"))) << base;
}

TEST_F(CommandBase, ApplyThenRebuildGivesTheSameBase) {
  const std::string text =
      SmallBase(Line("DUPLEX", "ON") + Line("BINDING", "LEFT") + Line("BOOKLET", "OFF") + Line("MARGINODD", "10") +
                Line("MARGINEVEN", "20") + Line("SCALETYPE", "PAPERSCALE") + Line("PAPERSCALEH", "150") +
                Line("PAPERSCALEW", "75") + Line("MEDIATYPE", "PLAIN") + Line("NUP", "OFF") + Line("COLLATE", "OFF") +
                Line("DSTRESOLUTIONW", "600") + Line("DSTRESOLUTIONH", "600"));
  std::int32_t change = -1;
  ASSERT_GE(DoExcSetCommandBase(handle_, text.c_str(), &change), 0);
  const std::string first = Base();
  ASSERT_FALSE(first.empty());
  // The rebuilt base set again is a base whose every value survives the rules.
  ASSERT_EQ(DoExcSetCommandBase(handle_, first.c_str(), &change), 0) << first;
  EXPECT_EQ(change, 0);
  EXPECT_EQ(Base(), first);
  EXPECT_EQ(Change(), "");
}

TEST_F(CommandBase, ScaledNumbersAtTheDestinationResolution) {
  struct Case {
    const char* resolution;
    const char* margin;
    DWORD field;           // the settings value (1200-dpi units)
    const char* rebuilt;   // the margin as the rebuilt base writes it
  };
  const Case cases[] = {
      {"600", "10", 20, "10"}, {"600", "0", 0, "0"}, {"600", "1", 2, "1"}, {"600", "1200", 2400, "1200"},
      {"600", "-3", static_cast<DWORD>(-6), "-3"},
  };
  for (const Case& c : cases) {
    std::int32_t change = -1;
    const std::string text =
        SmallBase(Line("DSTRESOLUTIONW", c.resolution) + Line("DSTRESOLUTIONH", c.resolution) + Line("MARGINODD", c.margin));
    ASSERT_GE(DoExcSetCommandBase(handle_, text.c_str(), &change), 0) << c.margin;
    EXPECT_EQ(ReadFieldRawById(Context(), fid::kdmMarginOdd), c.field) << c.resolution << " " << c.margin;
    EXPECT_NE(Base().find(Line("MARGINODD", c.rebuilt)), std::string::npos) << Base();
  }
}

TEST_F(CommandBase, NumberScalingEdges) {
  DriverContext* context = Context();
  const ImageRef margin = FindPjlOption(context, fid::kdmMarginOdd, 0);
  const ImageRef scale = FindPjlOption(context, fid::kdmScaleV, 0);
  ASSERT_TRUE(margin);
  ASSERT_TRUE(scale);
  struct InCase {
    ImageRef option;
    DWORD resolution;
    const char* text;
    bool taken;
    std::int32_t value;
  };
  const InCase in[] = {
      {scale, 600, "150", true, 1500},         // t x 10 / 1
      {scale, 600, "-3", true, -30},
      {scale, 600, "214748364", true, 2147483640},
      {scale, 600, "214748365", false, 0},     // beyond 32 bits
      {scale, 600, "2147483648", false, 0},    // no 32-bit number
      {scale, 600, "12x", false, 0},
      {scale, 600, "", false, 0},
      {margin, 600, "2147483647", false, 0},   // t x 1200 / 600 beyond 32 bits
      {margin, 1200, "2147483647", true, 2147483647},
      {margin, 2400, "1", true, 1},            // 1 x 1200 / 2400 is 0: a nonzero value stays nonzero
      {margin, 0, "10", false, 0},             // no resolution: nothing to divide by
  };
  for (const InCase& c : in) {
    WriteFieldRawById(context, fid::kdmDstResolutionW, c.resolution);
    std::int32_t value = 0;
    EXPECT_EQ(ScalePjlNumberIn(context, c.option, c.text, &value), c.taken) << c.text << " at " << c.resolution;
    if (c.taken) {
      EXPECT_EQ(value, c.value) << c.text;
    }
  }
  struct OutCase {
    ImageRef option;
    DWORD resolution;
    std::int32_t value;
    std::int32_t text;
  };
  const OutCase out[] = {
      {scale, 600, 1500, 150},   {scale, 600, 5, 1},            // 5 / 10 is 0: stays nonzero
      {scale, 600, 0, 0},        {margin, 600, 20, 10},
      {margin, 600, 2147483647, 1073741823},                     // v x 600 needs more than 32 bits
      {margin, 0, 20, 1},        // nothing at no resolution: a nonzero value stays nonzero
      {margin, 1200, -7, -7},
  };
  for (const OutCase& c : out) {
    WriteFieldRawById(context, fid::kdmDstResolutionW, c.resolution);
    EXPECT_EQ(ScalePjlNumberOut(context, c.option, c.value), c.text) << c.value << " at " << c.resolution;
  }
  // An option without a number record is not scaled in and writes 0.
  const ImageRef none;
  std::int32_t value = 0;
  EXPECT_TRUE(ScalePjlNumberIn(context, none, "42", &value));
  EXPECT_EQ(value, 42);
  EXPECT_EQ(ScalePjlNumberOut(context, none, 42), 0);
}

// A number the driver cannot read keeps its line: the field and the slot keep the value in
// force, the rebuilt base writes that value in the line's place, the change text tells the
// caller, and the item can still be updated. Reading such a text on an update does the same.
TEST_F(CommandBase, UnreadableNumberKeepsItsLineWithTheValueInForce) {
  // A model whose copies option has a scale factor of 0: no copies text can be read.
  std::string model = FixtureText(kPrinterModel);
  const std::string factors = "*NumericValue: 1 \"1 1 1 999 0 0 1 1\"";
  const std::size_t at = model.find(factors);
  ASSERT_NE(at, std::string::npos);
  model.replace(at, factors.size(), "*NumericValue: 1 \"1 1 1 999 0 0 0 1\"");
  root_.WriteFile(u"C:\\drv\\ZERO.KPD", model);
  InstallPrinter(u"Api Zero Factor", PrinterSpec::OwnDriver(u"KOVA Zero Factor Driver", u"C:\\drv\\ZERO.KPD"));
  const std::string required =
      Line("APLPAGESIZE", "A4") + Line("APLPAGELAYOUT", "PORTRAIT") + Line("PAPER", "A4") + Line("TRAY", "ALL");
  struct Case {
    const char* what;
    const char* printer;
    std::string copies;       // the caller's COPIES lines
    std::int32_t answer;
    std::string change;
    std::string rebuilt;      // the COPIES lines of the rebuilt base
    DWORD field;
    std::int32_t updateAnswer;  // COPIES = 3 afterwards
    DWORD updated;
  };
  const Case cases[] = {
      {"not a number", kPrinter, Line("COPIES", "abc"), 1, Line("COPIES", "1"), Line("COPIES", "1"), 1, 0, 3},
      {"beyond 32 bits", kPrinter, Line("COPIES", "99999999999"), 1, Line("COPIES", "1"), Line("COPIES", "1"), 1, 0, 3},
      {"an earlier line in force", kPrinter, Line("COPIES", "7") + Line("COPIES", "x7"), 0, "",
       Line("COPIES", "7") + Line("COPIES", "7"), 7, 0, 3},
      {"a model factor of 0", "Api Zero Factor", Line("COPIES", "5"), 1, Line("COPIES", "1"), Line("COPIES", "1"), 1, 1,
       1},
  };
  ExcBaseRecord* const own = handle_;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    handle_ = DoExcGetExclusive(c.printer);
    if (!handle_) {
      ADD_FAILURE() << "no handle";
      continue;
    }
    std::int32_t change = -1;
    EXPECT_EQ(DoExcSetCommandBase(handle_, (required + c.copies).c_str(), &change), c.answer);
    EXPECT_EQ(change, c.change.empty() ? 0 : static_cast<std::int32_t>(c.change.size() + 1));
    EXPECT_EQ(Change(), c.change);
    EXPECT_EQ(Base(), required + c.rebuilt);
    EXPECT_EQ(ReadFieldRawById(Context(), fid::dmCopies), c.field);
    EXPECT_EQ(DoExcUpdateCommand(handle_, Line("COPIES", "3").c_str(), &change), c.updateAnswer);
    EXPECT_EQ(ReadFieldRawById(Context(), fid::dmCopies), c.updated);
    DoExcFreeExclusive(handle_);
  }
  handle_ = own;
}

TEST_F(CommandBase, UpdateMakesChangeTextOnlyForValuesTheRulesMoved) {
  std::int32_t change = -1;
  ASSERT_EQ(DoExcSetCommandBase(handle_, SmallBase(Line("DUPLEX", "OFF")).c_str(), &change), 0);
  // The value the base has: nothing changes.
  EXPECT_EQ(DoExcUpdateCommand(handle_, Line("COPIES", "1").c_str(), &change), 0);
  EXPECT_EQ(change, 0);
  // A new value is taken into the base.
  EXPECT_EQ(DoExcUpdateCommand(handle_, Line("COPIES", "5").c_str(), &change), 0);
  EXPECT_EQ(change, 0);
  EXPECT_NE(Base().find(Line("COPIES", "5")), std::string::npos);
  EXPECT_EQ(ReadFieldRawById(Context(), fid::dmCopies), 5u);
  // An item the base does not hold, an unknown item, a force-feed line: nothing changes.
  const std::string before = Base();
  const std::string lines[] = {Line("MARGINODD", "10"), Line("NOSUCH", "1"), Line("FORCEFEED", "SEF")};
  for (const std::string& line : lines) {
    EXPECT_EQ(DoExcUpdateCommand(handle_, line.c_str(), &change), 0) << line;
    EXPECT_EQ(change, 0);
    EXPECT_EQ(Base(), before) << line;
  }
  EXPECT_EQ(before.find("FORCEFEED"), std::string::npos);
  // A syntax error, a null line, a null handle.
  EXPECT_EQ(DoExcUpdateCommand(handle_, "@PJL SET COPIES=3\r\n", &change), -1);
  change = 77;
  EXPECT_EQ(DoExcUpdateCommand(handle_, nullptr, &change), 0);
  EXPECT_EQ(change, 77);  // nothing written
  EXPECT_EQ(DoExcUpdateCommand(nullptr, Line("COPIES", "2").c_str(), &change), -1);
}

TEST_F(CommandBase, ChangeTextIsTakenOnce) {
  std::int32_t change = -1;
  ASSERT_EQ(DoExcSetCommandBase(handle_, SmallBase().c_str(), &change), 0);
  handle_->changeText = static_cast<char*>(AllocMem(4));
  std::memcpy(handle_->changeText, "abc", 4);
  handle_->changeLength = 4;
  char small[2];
  std::int32_t length = 0;
  EXPECT_EQ(DoExcGetCommandChange(handle_, 2, small, &length), 1);
  EXPECT_EQ(length, 4);
  EXPECT_EQ(DoExcGetCommandChange(handle_, 100000, nullptr, &length), 1);  // a null buffer with a large size
  EXPECT_EQ(Change(), "abc");
  EXPECT_EQ(DoExcGetCommandChange(handle_, 0, nullptr, &length), 0);
  EXPECT_EQ(length, 0);
}

TEST_F(CommandBase, BufferProtocolOfTheBase) {
  std::int32_t change = -1;
  ASSERT_EQ(DoExcSetCommandBase(handle_, SmallBase().c_str(), &change), 0);
  std::int32_t length = 0;
  EXPECT_EQ(DoExcGetCommandBase(handle_, 1 << 30, nullptr, &length), 1);
  EXPECT_EQ(length, static_cast<std::int32_t>(SmallBase().size() + 1));
  std::vector<char> exact(static_cast<std::size_t>(length));
  EXPECT_EQ(DoExcGetCommandBase(handle_, length - 1, exact.data(), &length), 1);
  EXPECT_EQ(exact[0], '\0');  // nothing copied
  EXPECT_EQ(DoExcGetCommandBase(handle_, length, exact.data(), nullptr), 0);
  EXPECT_EQ(std::string(exact.data()), SmallBase());
  EXPECT_EQ(DoExcGetCommandBase(nullptr, length, exact.data(), &length), -1);
}

TEST_F(CommandBase, SlotsOfFieldIdsOutsideTheTableAreNone) {
  const int expected[] = {-1, 0, 93, 721, 723, -1, -1};
  const DWORD ids[] = {0, 1, 94, 722, 724, 725, 10003};
  for (std::size_t i = 0; i < std::size(ids); ++i) EXPECT_EQ(PjlSlotIndex(ids[i]), expected[i]) << ids[i];
  const PjlItem* forceFeed = FindPjlItem(Context(), "FORCEFEED", kPjlCommand);
  ASSERT_NE(forceFeed, nullptr);
  EXPECT_EQ(forceFeed->key, 0u);
  EXPECT_EQ(IsItemSettable(handle_, forceFeed), 1);
  EXPECT_FALSE(IsSlotSet(handle_, 0));
}

TEST_F(CommandBase, ValueListsByKind) {
  std::int32_t change = -1;
  ASSERT_EQ(DoExcSetCommandBase(handle_, SmallBase(Line("DUPLEX", "OFF") + Line("MARGINODD", "0")).c_str(), &change), 0);
  EXPECT_EQ(Values("DUPLEX", 0), "ON|OFF");
  EXPECT_EQ(Values("APLPAGELAYOUT", 0), "PORTRAIT|LANDSCAPE");
  EXPECT_EQ(Values("FORCEFEED", 0), "SEF|LEF|ALL");
  EXPECT_EQ(Values("FORCEFEED", 1), "");
  EXPECT_EQ(Values("COPIES", 0), "1|999|0");        // minimum, maximum, the sixth number
  EXPECT_EQ(Values("MARGINODD", 0), "0|1200|60");   // 2400 and 120 at 600 dpi
  EXPECT_EQ(Values("NOSUCH", 0), "");
  EXPECT_EQ(Values("MEMORYSIZE", 0), "");            // a value item, not a command
  // PAPERSCALEH is offered only while the scale type is "paper scale"; it is not in the base
  // either.
  EXPECT_EQ(Values("PAPERSCALEH", 1), "");
  std::int32_t length = 5;
  EXPECT_EQ(DoExcGetCommandValue(handle_, "DUPLEX", 0, 3, nullptr, &length), 1);
  EXPECT_EQ(length, 8);
  EXPECT_EQ(DoExcGetCommandValue(nullptr, "DUPLEX", 0, 3, nullptr, &length), -1);
}

TEST_F(CommandBase, PrinterOptionsAndValues) {
  std::vector<char> text(1024);
  std::int32_t needed = -1;
  // A model-option item has no value table.
  EXPECT_EQ(DoExcGetPrinterOption(handle_, "COPIES", 1024, text.data(), &needed), 0);
  EXPECT_EQ(needed, 0);
  EXPECT_EQ(DoExcGetPrinterOption(handle_, "DUPLEX", 1024, text.data(), &needed), 0);
  EXPECT_EQ(List(text, needed), "ON|OFF");
  // TRAY2 and TRAY3 need the one-step option unit.
  EXPECT_EQ(DoExcGetPrinterOption(handle_, "TRAY", 1024, text.data(), &needed), 0);
  EXPECT_EQ(List(text, needed), "ALL|TRAY1|MULTI");
  EXPECT_EQ(DoExcGetPrinterOption(handle_, "TRAY", 3, text.data(), &needed), 1);
  EXPECT_EQ(DoExcGetPrinterOption(handle_, "APLPAGESIZE", 1024, text.data(), &needed), 0);  // not an option list
  EXPECT_EQ(needed, 0);
  // Value items.
  WriteFieldRawById(Context(), fid::kdmTrayOrient0, 1);
  EXPECT_EQ(DoExcGetPrinterValue(handle_, "TRAYPAPERORIENT1", 1024, text.data(), &needed), 0);
  EXPECT_EQ(needed, 10);
  EXPECT_STREQ(text.data(), "LANDSCAPE");
  EXPECT_EQ(DoExcGetPrinterValue(handle_, "TRAYPAPERORIENT1", 4, text.data(), &needed), 1);
  EXPECT_EQ(DoExcGetPrinterValue(handle_, "TRAYPAPERORIENT1", 1 << 20, nullptr, &needed), 1);
  // USERCODE is answered only while user codes are in use.
  WriteFieldRawById(Context(), fid::kdmLogCodeUse, 0);
  EXPECT_EQ(DoExcGetPrinterValue(handle_, "USERCODE", 1024, text.data(), &needed), 0);
  EXPECT_EQ(needed, 0);
  EXPECT_EQ(DoExcGetPrinterValue(handle_, "COPIES", 1024, text.data(), &needed), 0);  // not a value item
  EXPECT_EQ(needed, 0);
  EXPECT_EQ(DoExcGetPrinterValue(nullptr, "COPIES", 1024, text.data(), &needed), -1);
}

TEST_F(CommandBase, WatermarkListPutsDeviceModeAndWorkFieldsBack) {
  DriverContext* context = Context();
  root_.WriteFile(std::u16string(GetUserIniPath(context)), "");  // the per-printer INI's folder
  // No entry yet: nothing of either kind.
  std::int32_t length = -1;
  EXPECT_EQ(DoExcGetWaterMarkList(handle_, 0, 0, nullptr, &length), 0);
  EXPECT_EQ(length, 0);
  // Entry 0: a text watermark; entry 1: an image watermark.
  SettingField* chars = FindFieldById(context, fid::wdmWmChar);
  ASSERT_NE(chars, nullptr);
  SetFieldString(context, chars, u"DRAFT");
  WriteFieldRawById(context, fid::kdmWmKind, 1);
  WriteFieldRawById(context, fid::wdmWmAngle, 45);
  SaveStamp(context, 0);
  SetFieldString(context, chars, u"");
  WriteFieldRawById(context, fid::kdmWmKind, 2);
  SaveStamp(context, 1);
  // What the context holds now must survive the list.
  SetFieldString(context, chars, u"MINE");
  WriteFieldRawById(context, fid::kdmWmKind, 0);
  WriteFieldRawById(context, fid::wdmWmAngle, 7);
  BYTE* devmodeBefore = SnapshotDevmode(context);
  BYTE* workBefore = SnapshotWorkFields(context);
  ASSERT_NE(devmodeBefore, nullptr);
  ASSERT_NE(workBefore, nullptr);

  EXPECT_EQ(DoExcGetWaterMarkList(handle_, 0, 0, nullptr, &length), 1);
  std::vector<char> text(static_cast<std::size_t>(length));
  ASSERT_EQ(DoExcGetWaterMarkList(handle_, 0, length, text.data(), &length), 0);
  const std::string block(text.data());
  EXPECT_EQ(block, "@PJL SET WMKCHAR = \"DRAFT\" \r\n@PJL SET WMKPAGE = ALL \r\n@PJL SET WMKORDER = PAPER \r\n"
                   "@PJL SET WMKANGLE = 45 \r\n");
  EXPECT_EQ(text[text.size() - 1], '\0');
  EXPECT_EQ(text[text.size() - 2], '\0');

  EXPECT_EQ(std::memcmp(devmodeBefore, context->settings, GetTotalDevmodeSize()), 0);
  BYTE* workAfter = SnapshotWorkFields(context);
  ASSERT_NE(workAfter, nullptr);
  EXPECT_EQ(std::memcmp(workBefore, workAfter, kWorkFieldsBytes), 0);
  EXPECT_EQ(ReadFieldRawById(context, fid::wdmWmAngle), 7u);
  RestoreDevmodeSnapshot(context, devmodeBefore, 0);
  RestoreWorkFieldsSnapshot(context, workBefore, 0);
  RestoreWorkFieldsSnapshot(context, workAfter, 0);

  EXPECT_EQ(DoExcGetWaterMarkList(nullptr, 0, 0, nullptr, &length), -1);
}

TEST_F(CommandBase, IniFileNameBufferProtocol) {
  std::int32_t needed = 0;
  EXPECT_EQ(DoExcGetIniFileName(kPrinter, 0, nullptr, &needed), 1);
  ASSERT_GT(needed, 1);
  std::vector<char> path(static_cast<std::size_t>(needed));
  EXPECT_EQ(DoExcGetIniFileName(kPrinter, needed, path.data(), &needed), 0);
  EXPECT_EQ(std::strlen(path.data()) + 1, static_cast<std::size_t>(needed));
  EXPECT_EQ(DoExcGetIniFileName("No Such Printer", needed, path.data(), &needed), -1);
  EXPECT_EQ(DoExcGetIniFileName(nullptr, needed, path.data(), &needed), -1);
  EXPECT_EQ(DoExcGetExclusive("No Such Printer"), nullptr);
}

}  // namespace
}  // namespace kovatest
