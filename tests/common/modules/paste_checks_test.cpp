// Clipboard text pasted into the user ID and the name edits.
#include <gtest/gtest.h>

#include "modules/paste_checks.h"
#include "plat/system.h"

namespace {

TEST(PasteChecks, UserIdAndNames) {
  const UINT before = plat::Machine().ansiCodePage;
  plat::Machine().ansiCodePage = 932;
  struct Case {
    const char* text;
    int limit;
    int kind;
    bool allowed;
  } cases[] = {
      {"Abc123", 8, PASTE_USER_ID, true},
      {"ab-12", 8, PASTE_USER_ID, false},
      {"abcdefgh\"", 8, PASTE_USER_ID, true},      // past the limit is not looked at
      {"\x82\xa0", 8, PASTE_USER_ID, false},      // a double-byte character
      {"name\"", 16, PASTE_NO_QUOTES, false},
      {"\x82\x22xyz", 16, PASTE_NO_QUOTES, true},  // the trail byte 0x22 is no quote
      {"ab\x82", 16, PASTE_NO_QUOTES, true},       // a lead byte before the end stops there
      {"abcdefg\x82\"", 8, PASTE_NO_QUOTES, true}, // a lead byte at the limit has no trail
      {"", 16, PASTE_NO_QUOTES, true},
  };
  for (const Case& c : cases) EXPECT_EQ(PasteAllowed(c.text, c.limit, c.kind), c.allowed) << c.text;
  EXPECT_TRUE(PasteAllowed(nullptr, 8, PASTE_USER_ID));
  plat::Machine().ansiCodePage = before;
}

}  // namespace
