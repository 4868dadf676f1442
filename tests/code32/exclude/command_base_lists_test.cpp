// The allowed value names of an option-list item by field, the binding side mapped
// through the booklet choice, and the N-up value a rebuilt base writes.
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
#include "field_ids.h"

namespace kovatest {
namespace command_base_lists_test {
namespace {

std::string Line(const std::string& name, const std::string& value) { return "@PJL SET " + name + " = " + value + " \r\n"; }

std::string RequiredLines() {
  return Line("APLPAGESIZE", "A4") + Line("APLPAGELAYOUT", "PORTRAIT") + Line("PAPER", "A4") + Line("TRAY", "ALL");
}

class CommandBaseLists : public ApiPrinterTest {
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
    std::int32_t length = 0;
    std::vector<char> text(8192);
    EXPECT_EQ(DoExcGetCommandBase(handle_, static_cast<std::int32_t>(text.size()), text.data(), &length), 0);
    return length > 0 ? std::string(text.data()) : std::string();
  }
  std::string Values(const char* item, int onlySettable) {
    std::int32_t length = 0;
    std::vector<char> text(4096);
    EXPECT_EQ(DoExcGetCommandValue(handle_, item, onlySettable, static_cast<std::int32_t>(text.size()), text.data(),
                                   &length),
              0);
    std::string out;
    for (std::int32_t i = 0; i + 2 < length; ++i) {
      const char c = text[static_cast<std::size_t>(i)];
      out += c ? c : '|';
    }
    return out;
  }
  DriverContext* Context() { return handle_->context; }

  ExcBaseRecord* handle_ = nullptr;
};

// A NUL-separated list ended by a second NUL, names joined by '|'.
std::string Joined(const std::vector<char>& text, std::int32_t length) {
  std::string out;
  for (std::int32_t i = 0; i + 2 < length; ++i) {
    const char c = text[static_cast<std::size_t>(i)];
    out += c ? c : '|';
  }
  return out;
}

TEST_F(CommandBaseLists, AllowedValuesByFieldFollowTheOptionListItems) {
  struct Case {
    const char* what;
    DWORD duplex;
    DWORD field;
    const char* names;  // joined by '|'; "" for none
  };
  const Case cases[] = {
      {"duplex, an option-list item", 0, fid::kdmFuncSelectDuplex, "ON|OFF"},
      {"copies, a command-only number", 0, fid::dmCopies, ""},
      {"binding, every side offered only with duplex on", 0, fid::kdmDuplexType, ""},
      {"the booklet pseudo-field with duplex off", 0, kPjlBookletField, "OFF"},
      {"the booklet pseudo-field with duplex on", 1, kPjlBookletField, "BOOKLETF|BOOKLETC|OFF"},
      {"one-sided binding with duplex on", 1, fid::kdmShiftDir, ""},
      {"the force-feed item's field 0", 0, 0, ""},
      {"a field beyond the table", 0, 5000, ""},
  };
  for (const Case& c : cases) {
    SetFieldValueById(Context(), fid::kdmFuncSelectDuplex, c.duplex);
    ASSERT_EQ(ReadFieldRawById(Context(), fid::kdmFuncSelectDuplex), c.duplex) << c.what;
    std::int32_t needed = -7;
    ASSERT_EQ(ListAllowedPjlValuesById(Context(), c.field, 0, nullptr, &needed), *c.names ? 1 : 0) << c.what;
    if (!*c.names) {
      EXPECT_EQ(needed, 0) << c.what;
      continue;
    }
    ASSERT_GT(needed, 2) << c.what;
    std::vector<char> text(static_cast<std::size_t>(needed), 'x');
    std::int32_t again = 0;
    EXPECT_EQ(ListAllowedPjlValuesById(Context(), c.field, needed, text.data(), &again), 0) << c.what;
    EXPECT_EQ(again, needed) << c.what;
    EXPECT_EQ(text[text.size() - 1], '\0') << c.what;
    EXPECT_EQ(text[text.size() - 2], '\0') << c.what;
    EXPECT_EQ(Joined(text, needed), c.names) << c.what;
  }
}

TEST_F(CommandBaseLists, AllowedValuesBufferProtocol) {
  std::int32_t needed = 0;
  ASSERT_EQ(ListAllowedPjlValuesById(Context(), fid::kdmFuncSelectDuplex, 0, nullptr, &needed), 1);
  ASSERT_GT(needed, 1);
  struct Case {
    const char* what;
    std::int32_t size;
    bool withBuffer;
    std::int32_t answer;
  };
  const Case cases[] = {
      {"one byte short", needed - 1, true, 1},
      {"a size but no buffer", needed + 100, false, 1},
      {"a negative size", -1, true, 1},
      {"exactly the size", needed, true, 0},
  };
  for (const Case& c : cases) {
    std::vector<char> text(static_cast<std::size_t>(needed) + 100, 'x');
    std::int32_t got = -1;
    EXPECT_EQ(ListAllowedPjlValuesById(Context(), fid::kdmFuncSelectDuplex, c.size, c.withBuffer ? text.data() : nullptr,
                                       &got),
              c.answer)
        << c.what;
    EXPECT_EQ(got, needed) << c.what;
    if (c.answer != 0) {
      EXPECT_EQ(text[0], 'x') << c.what << ": nothing copied";
    }
  }
  // No needed pointer: the answer alone.
  EXPECT_EQ(ListAllowedPjlValuesById(Context(), fid::kdmFuncSelectDuplex, 0, nullptr, nullptr), 1);
  EXPECT_EQ(ListAllowedPjlValuesById(nullptr, fid::kdmFuncSelectDuplex, 0, nullptr, &needed), 0);
  EXPECT_EQ(needed, 0);
}

TEST_F(CommandBaseLists, BookletChoiceMovesTheBindingToItsGroup) {
  struct Case {
    const char* what;
    std::string lines;
    std::int32_t duplexType;
    const char* bindingName;
  };
  const Case cases[] = {
      {"left, no booklet", Line("BINDING", "LEFT"), 3, "LEFT"},
      {"left, booklet off", Line("BINDING", "LEFT") + Line("BOOKLET", "OFF"), 3, "LEFT"},
      {"left then booklet C", Line("BINDING", "LEFT") + Line("BOOKLET", "BOOKLETC"), 19, "LEFT"},
      {"right then booklet C", Line("BINDING", "RIGHT") + Line("BOOKLET", "BOOKLETC"), 18, "RIGHT"},
      {"top then booklet C", Line("BINDING", "TOP") + Line("BOOKLET", "BOOKLETC"), 17, "TOP"},
      {"left then booklet F", Line("BINDING", "LEFT") + Line("BOOKLET", "BOOKLETF"), 22, "LEFT"},
      {"top then booklet F", Line("BINDING", "TOP") + Line("BOOKLET", "BOOKLETF"), 20, "TOP"},
      {"booklet F then right", Line("BOOKLET", "BOOKLETF") + Line("BINDING", "RIGHT"), 21, "RIGHT"},
      {"booklet C then left", Line("BOOKLET", "BOOKLETC") + Line("BINDING", "LEFT"), 19, "LEFT"},
  };
  for (const Case& c : cases) {
    const std::string text = RequiredLines() + Line("DUPLEX", "ON") + c.lines;
    std::int32_t change = -1;
    ASSERT_EQ(DoExcSetCommandBase(handle_, text.c_str(), &change), 0) << c.what;
    EXPECT_EQ(SlotValue(handle_, fid::kdmDuplexType), c.duplexType) << c.what;
    EXPECT_NE(Base().find(Line("BINDING", c.bindingName)), std::string::npos) << c.what << "\n" << Base();
  }
}

TEST_F(CommandBaseLists, NupFourInOneWrittenOnlyWithItsKindAndSwitch) {
  const std::string text = RequiredLines() + Line("NUP", "4IN1P1");
  std::int32_t change = -1;
  ASSERT_EQ(DoExcSetCommandBase(handle_, text.c_str(), &change), 0);
  EXPECT_EQ(ReadFieldRawById(Context(), fid::kdmNUPType), 33u);
  EXPECT_EQ(ReadFieldRawById(Context(), fid::kdmNUPPOSTKind), 2u);
  EXPECT_EQ(ReadFieldRawById(Context(), fid::kdmFuncSelectNup), 1u);
  EXPECT_NE(Base().find(Line("NUP", "4IN1P1")), std::string::npos) << Base();
  // Turned off, the base no longer names the 4-in-1 value.
  ASSERT_GE(DoExcUpdateCommand(handle_, Line("NUP", "OFF").c_str(), &change), 0);
  EXPECT_EQ(Base().find("4IN1P1"), std::string::npos) << Base();
  EXPECT_NE(Base().find(Line("NUP", "OFF")), std::string::npos) << Base();
}

// The settable-only lists of value-table items follow the switches their values need.
TEST_F(CommandBaseLists, SettableOnlyListsOfValueTablesFollowTheirSwitches) {
  struct Case {
    const char* what;
    std::string lines;
    const char* item;
    const char* all;
    const char* settable;
  };
  const Case cases[] = {
      {"one-sided binding, duplex off", Line("DUPLEX", "OFF"), "SIMPLEXBINDING", "LEFT|RIGHT|TOP|BOTTOM",
       "LEFT|RIGHT|TOP|BOTTOM"},
      {"one-sided binding, duplex on", Line("DUPLEX", "ON"), "SIMPLEXBINDING", "LEFT|RIGHT|TOP|BOTTOM", ""},
      {"booklet, duplex off", Line("DUPLEX", "OFF"), "BOOKLET", "BOOKLETF|BOOKLETC|OFF", "OFF"},
      {"booklet, duplex on", Line("DUPLEX", "ON"), "BOOKLET", "BOOKLETF|BOOKLETC|OFF", "BOOKLETF|BOOKLETC|OFF"},
      {"enclosure, N-up off", Line("NUP", "OFF"), "NUPENCLOSURE", "CHAINSTITCH|OFF", ""},
      {"enclosure, 2 in 1", Line("NUP", "2IN1P1"), "NUPENCLOSURE", "CHAINSTITCH|OFF", "CHAINSTITCH|OFF"},
  };
  for (const Case& c : cases) {
    const std::string text = RequiredLines() + c.lines + Line(c.item, std::strcmp(c.item, "SIMPLEXBINDING") == 0 ? "LEFT" : "OFF");
    std::int32_t change = -1;
    ASSERT_GE(DoExcSetCommandBase(handle_, text.c_str(), &change), 0) << c.what;
    EXPECT_EQ(Values(c.item, 0), c.all) << c.what;
    EXPECT_EQ(Values(c.item, 1), c.settable) << c.what;
  }
}

}  // namespace
}  // namespace command_base_lists_test
}  // namespace kovatest
