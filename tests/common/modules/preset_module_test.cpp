// The preset list's operations and the lock passes over the preset and quality lists reach
// only the entries within the lists' limits, whatever count the per-printer INI holds.
#include <gtest/gtest.h>

#include <string>

#include "model/module_dispatch.h"
#include "base/paths_and_names.h"
#include "field_ids.h"
#include "context/module_events.h"
#include "modules/preset_module.h"
#include "modules_fixture.h"
#include "stored/preset_list.h"
#include "stored/quality_list.h"
#include "win/profile.h"

namespace preset_module_test {

std::u16string Number(int n) {
  const std::string text = std::to_string(n);
  return std::u16string(text.begin(), text.end());
}

class PresetListLimits : public kovatest::ModulesTest {
 protected:
  void Put(const std::u16string& key, const std::u16string& value) {
    ASSERT_TRUE(WritePrivateProfileStringW(GetPrinterSectionName(ctx_), key.c_str(), value.c_str(),
                                           GetUserIniPath(ctx_)));
  }
  std::u16string Key(const std::u16string& key) {
    WCHAR value[300] = {};
    GetPrivateProfileStringW(GetPrinterSectionName(ctx_), key.c_str(), u"<missing>", value, 300, GetUserIniPath(ctx_));
    return value;
  }
  // Entries 0-17 named N0..N17, except entry 16, which repeats the name of entry 3.
  void EighteenEntries() {
    for (int i = 0; i < 18; ++i) {
      Put(u"PresetList" + Number(i), u"C:\\_kova\\p" + Number(i) + u".kst");
      Put(u"PresetList" + Number(i) + u"Name", i == 16 ? u"N3" : u"N" + Number(i));
      Put(u"PresetList" + Number(i) + u"Comment", u"");
    }
  }
  static std::u16string FileValue(const char16_t* file, const char16_t* key) {
    WCHAR value[32] = {};
    GetPrivateProfileStringW(u"P1", key, u"<none>", value, 32, file);
    return value;
  }
};

// Every operation walks at most the 16 presets the list holds: an entry the file lists
// beyond them is neither found, nor a duplicate, nor deleted, nor moved.
TEST_F(PresetListLimits, ListOperationsStayWithinSixteenPresets) {
  enum class Op { Find, Duplicate, Delete };
  struct Case {
    const char* name;
    const char16_t* count;
    Op op;
    const char16_t* text;  // Find: the name; Duplicate: a new name for entry 9 (or null)
    int arg;               // Find: the preferred index; Delete: the entry
    int result;
    const char16_t* countAfter;
  };
  const Case cases[] = {
      {"a name listed only beyond the limit", u"18", Op::Find, u"N17", -1, -1, u"18"},
      {"a preferred index beyond the limit", u"18", Op::Find, u"N3", 16, 3, u"18"},
      {"a name within the limit", u"18", Op::Find, u"N5", -1, 5, u"18"},
      {"a name within a small list", u"4", Op::Find, u"N5", -1, -1, u"4"},
      {"a duplicate listed only beyond the limit", u"18", Op::Duplicate, nullptr, 0, -1, u"18"},
      {"a duplicate within the limit", u"18", Op::Duplicate, u"N4", 0, 9, u"18"},
      {"deleting an entry beyond the limit", u"18", Op::Delete, nullptr, 16, -1, u"18"},
      {"deleting within a count beyond the limit", u"18", Op::Delete, nullptr, 3, 3, u"15"},
      {"deleting the last of sixteen", u"16", Op::Delete, nullptr, 15, 14, u"15"},
      {"deleting within a small list", u"5", Op::Delete, nullptr, 3, 3, u"4"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EighteenEntries();
    Put(u"Count", c.count);
    int result = -2;
    switch (c.op) {
      case Op::Find: result = FindPresetByName(ctx_, c.text, c.arg); break;
      case Op::Duplicate:
        if (c.text) Put(u"PresetList9Name", c.text);
        result = FindDuplicatePresetName(ctx_);
        break;
      case Op::Delete: result = DeletePresetEntry(ctx_, c.arg); break;
    }
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(Key(u"Count"), c.countAfter);
    // The entries the list does not hold are as they were.
    EXPECT_EQ(Key(u"PresetList16Name"), u"N3");
    EXPECT_EQ(Key(u"PresetList17"), u"C:\\_kova\\p17.kst");
  }
}

// The lock passes force a locked value into the listed presets and user quality entries
// only: an entry the file lists beyond the list's limit is not touched.
TEST_F(PresetListLimits, LockPassesStayWithinTheLists) {
  struct Case {
    const char* name;
    DWORD event;
    WORD bit;
    WORD field;
    const char16_t* key;
    const char16_t* countKey;
    const char16_t* listKey;
    int limit;
  };
  const Case cases[] = {
      {"presets", MODEV_LOCK_PRESETS, fid::kdmLock000InfoBitMedia, fid::kdmMediaType, u"kdmMediaType", u"Count",
       u"PresetList", kMaxPresets},
      {"user qualities", MODEV_LOCK_QUALITIES, fid::kdmLock000InfoBitResolution, fid::kdmDstResolutionW,
       u"kdmDstResolutionW", u"QualityCount", u"QualityList", kMaxQualityEntries},
  };
  const char16_t* inside = u"C:\\_kova\\inside.kst";
  const char16_t* beyond = u"C:\\_kova\\beyond.kst";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::u16string key(c.key);
    const std::string body = "[P1]\r\n" + std::string(key.begin(), key.end()) + "=3\r\n";
    root_.WriteFile(inside, body);
    root_.WriteFile(beyond, body);
    Put(c.countKey, Number(c.limit + 1));
    Put(c.listKey + Number(0), inside);
    Put(c.listKey + Number(c.limit), beyond);
    Set(c.field, 7);
    Set(c.bit, 1);
    NotifyModules(ctx_, c.event, nullptr);
    EXPECT_EQ(FileValue(inside, c.key), u"7");
    EXPECT_EQ(FileValue(beyond, c.key), u"3");
    EXPECT_EQ(FileValue(beyond, (key + u"Lock").c_str()), u"<none>");
    Set(c.bit, 0);
  }
}

}  // namespace preset_module_test
