// The setting-lock module's copies: the stamps' lock sections written, loaded back by the
// built-ins and removed, and the resolution lock keys taken out of a package's quality
// companions.
#include <gtest/gtest.h>

#include <string>

#include "context_fixture.h"
#include "fields/field_access.h"
#include "fields/field_table.h"
#include "fields/languages.h"
#include "model/module_dispatch.h"
#include "base/paths_and_names.h"
#include "field_ids.h"
#include "context/module_events.h"
#include "modules_fixture.h"
#include "stored/list_sections.h"
#include "stored/stamp_list.h"
#include "win/profile.h"

namespace {

using kovatest::ModulesTest;

// A created context (its settings ring, modules and stamp list are real), with a stamp
// field other than kdmWmID to tell the copies apart.
class StampLockCopies : public kovatest::ContextTest {
 protected:
  void SetUp() override {
    ContextTest::SetUp();
    root_.WriteFile(u"C:\\_kova\\keep.txt", "");
    StartContext(u"Office");
    for (int i = 0; i < ctx_->fields.count && !field_; ++i) {
      SettingField& f = ctx_->fields.records[i];
      if (MarkOf(f.marks, 3) != 0 && IsNumberFieldCode(FieldCodeOf(f.type)) && FieldSizeOf(f.type) >= 2 &&
          f.id != fid::kdmWmID && GetFieldAddress(ctx_, &f) && f.side && f.side->name)
        field_ = &f;
    }
    ASSERT_NE(field_, nullptr);
  }
  std::u16string LockSection(int n) {
    WCHAR section[kListSectionChars];
    MakeStampSection(section, n, ctx_);
    return std::u16string(section) + u"Lock";
  }
  std::u16string Read(const std::u16string& section, const char16_t* key) {
    WCHAR value[64] = {};
    GetPrivateProfileStringW(section.c_str(), key, u"<none>", value, 64, GetUserIniPath(ctx_));
    return value;
  }
  std::u16string ReadStamp(const std::u16string& section) { return Read(section, field_->side->name); }
  void SaveStampWith(int n, DWORD value) {
    WriteFieldRaw(ctx_, field_, value);
    SaveStamp(ctx_, n);
  }
  DWORD Value() { return ReadFieldRaw(ctx_, field_); }
  void Set(WORD id, DWORD value) { WriteFieldRawById(ctx_, id, value); }
  DWORD Get(WORD id) { return ReadFieldRawById(ctx_, id); }

  SettingField* field_ = nullptr;
};

TEST_F(StampLockCopies, SavedLoadedByTheBuiltInsAndDropped) {
  SaveStampWith(0, 101);
  SaveStampWith(1, 102);
  ASSERT_EQ(GetStampCount(ctx_), 2);
  WriteFieldRaw(ctx_, field_, 300);
  Set(fid::kdmWmID, 7);
  NotifyModules(ctx_, MODEV_LOCK_STAMPS_SAVE, nullptr);
  // Each stored stamp has its copy under its own number; the settings are as before.
  EXPECT_EQ(ReadStamp(LockSection(0)), u"101");
  EXPECT_EQ(ReadStamp(LockSection(1)), u"102");
  EXPECT_EQ(Read(LockSection(0), u"kdmWmID"), u"0");
  EXPECT_EQ(Read(LockSection(1), u"kdmWmID"), u"1");
  EXPECT_EQ(ReadStamp(LockSection(2)), u"<none>");
  EXPECT_EQ(Value(), 300u);
  EXPECT_EQ(Get(fid::kdmWmID), 7u);

  // The stamp itself changes later; the built-ins load the lock copy, only under the
  // default lock. Stamp 2 has no copy: only its number is taken.
  SaveStampWith(1, 104);
  struct Case {
    DWORD defaultLock;
    WORD number;
    DWORD value, id;  // after the call
  } const cases[] = {{0, 319, 300, 7}, {1, 319, 102, 1}, {1, 318, 101, 0}, {1, 320, 300, 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.number) + " lock " + std::to_string(c.defaultLock));
    WriteFieldRaw(ctx_, field_, 300);
    Set(fid::kdmWmID, 7);
    Set(fid::kdmLock000InfoBitDefault, c.defaultLock);
    CallModuleItemHooks(ctx_, c.number);
    EXPECT_EQ(Value(), c.value);
    EXPECT_EQ(Get(fid::kdmWmID), c.id);
  }

  NotifyModules(ctx_, MODEV_LOCK_STAMPS_DROP, nullptr);
  EXPECT_EQ(ReadStamp(LockSection(0)), u"<none>");
  EXPECT_EQ(ReadStamp(LockSection(1)), u"<none>");
  // The stamps themselves stay.
  WCHAR section[kListSectionChars];
  MakeStampSection(section, 1, ctx_);
  EXPECT_EQ(ReadStamp(section), u"104");
}

class LockCopies : public ModulesTest {
 protected:
  std::u16string Read(const std::u16string& section, const char16_t* key, const WCHAR* file) {
    WCHAR value[64] = {};
    GetPrivateProfileStringW(section.c_str(), key, u"<none>", value, 64, file);
    return value;
  }
};

// The quality companions of a package carry the next serial of its main file; the resolution
// lock keys go while the resolution is locked, the other keys stay.
TEST_F(LockCopies, QualityCompanionsLoseTheResolutionLockKeys) {
  const std::u16string code = GetLanguageCodeOfSetting(ctx_);
  const std::string section = std::string(code.begin(), code.end());
  const std::string body = "[" + section + "]\r\nkdmDstResolutionBoth=2\r\nkdmDstResolutionBothLock=1\r\n"
                           "kdmDstResolutionWLock=600\r\nkdmDstResolutionHLock=600\r\nkdmMediaTypeLock=3\r\n";
  root_.WriteFile(u"C:\\_kova\\K00000B0.ksq", body);
  root_.WriteFile(u"C:\\_kova\\K00000B1.ksq", body);
  root_.WriteFile(u"C:\\_kova\\K00000A0.ksq", body);  // the main file's own serial: not a companion
  ASSERT_TRUE(WritePrivateProfileStringW(GetPrinterSectionName(ctx_), u"QualityCount", u"2", GetUserIniPath(ctx_)));
  const WCHAR* main = u"C:\\_kova\\K00000A0.kst";

  Set(fid::kdmLock000InfoBitResolution, 0);
  NotifyModules(ctx_, MODEV_EXPORT_QUALITIES, const_cast<WCHAR*>(main));
  EXPECT_EQ(Read(code, u"kdmDstResolutionBothLock", u"C:\\_kova\\K00000B0.ksq"), u"1");

  Set(fid::kdmLock000InfoBitResolution, 1);
  NotifyModules(ctx_, MODEV_EXPORT_QUALITIES, const_cast<WCHAR*>(main));
  for (const char16_t* file : {u"C:\\_kova\\K00000B0.ksq", u"C:\\_kova\\K00000B1.ksq"}) {
    EXPECT_EQ(Read(code, u"kdmDstResolutionBothLock", file), u"<none>");
    EXPECT_EQ(Read(code, u"kdmDstResolutionWLock", file), u"<none>");
    EXPECT_EQ(Read(code, u"kdmDstResolutionHLock", file), u"<none>");
    EXPECT_EQ(Read(code, u"kdmDstResolutionBoth", file), u"2");
    EXPECT_EQ(Read(code, u"kdmMediaTypeLock", file), u"3");
  }
  EXPECT_EQ(Read(code, u"kdmDstResolutionBothLock", u"C:\\_kova\\K00000A0.ksq"), u"1");
}

}  // namespace
