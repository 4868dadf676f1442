#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "context_fixture.h"
#include "context/context_create.h"
#include "base/deliverable.h"
#include "fields/field_access.h"
#include "fields/field_handles.h"
#include "base/memory.h"
#include "stored/snapshot_ring.h"
#include "base/driver_context.h"
#include "field_ids.h"
#include "model/option_lookup.h"
#include "stored/device_settings.h"
#include "stored/font_lists.h"
#include "stored/font_names.h"
#include "win/errors.h"
#include "win/registry.h"
#include "win/spool.h"

namespace kovatest {
namespace font_lists_test {
namespace {

static_assert(offsetof(FontListRecord, name) == 4);
static_assert(offsetof(FontSubstitutionRecord, deviceFontName) == 64);

FontListRecord Font(DWORD id, const char16_t* name) {
  FontListRecord r{};
  r.id = id;
  std::memcpy(r.name, name, std::char_traits<char16_t>::length(name) * 2);
  return r;
}

FontSubstitutionRecord Row(const char16_t* trueType, const char16_t* device) {
  FontSubstitutionRecord r{};
  std::memcpy(r.trueTypeName, trueType, std::char_traits<char16_t>::length(trueType) * 2);
  std::memcpy(r.deviceFontName, device, std::char_traits<char16_t>::length(device) * 2);
  return r;
}

template <typename T>
std::vector<BYTE> Bytes(const std::vector<T>& records) {
  std::vector<BYTE> out(records.size() * sizeof(T));
  if (!out.empty()) std::memcpy(out.data(), records.data(), out.size());
  return out;
}

std::vector<BYTE> Count(WORD n) { return {static_cast<BYTE>(n & 0xFF), static_cast<BYTE>(n >> 8)}; }

class FontLists : public ContextTest {
 protected:
  void SetUp() override {
    ContextTest::SetUp();
    StartContext(u"Office");
  }

  DWORD Raw(WORD id) { return ReadFieldRawById(ctx_, id); }
  int LoadAll() {
    return LoadDeviceFontList(printer_, ctx_) && LoadOptionFontList(printer_, ctx_) && LoadFontTables(printer_, ctx_);
  }

  std::vector<BYTE> Data(const std::u16string& name) {
    DWORD t = 0, needed = 0;
    BYTE probe[1];
    GetPrinterDataW(printer_, const_cast<LPWSTR>(name.c_str()), &t, probe, 0, &needed);
    if (needed == 0) return {};
    std::vector<BYTE> bytes(needed);
    if (GetPrinterDataW(printer_, const_cast<LPWSTR>(name.c_str()), &t, bytes.data(), needed, &needed) !=
        ERROR_SUCCESS)
      return {};
    return bytes;
  }
  void PutData(const std::u16string& name, const std::vector<BYTE>& bytes) {
    ASSERT_EQ(SetPrinterDataW(printer_, const_cast<LPWSTR>(name.c_str()), REG_BINARY,
                              const_cast<BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size())),
              static_cast<DWORD>(ERROR_SUCCESS));
  }
  void Drop(const std::u16string& name) { DeletePrinterDataW(printer_, const_cast<LPWSTR>(name.c_str())); }

  std::u16string Name(int n) {
    WCHAR face[32];
    GetDeviceFontName(ctx_, n, face);
    return face;
  }
  std::u16string Substitute(const char16_t* face) {
    WCHAR out[32];
    FindSubstituteFont(ctx_, face, out);
    return out;
  }

  void StoreLists() {
    PutData(u"DeviceFontNum", Count(3));
    PutData(u"DeviceFont", Bytes(std::vector{Font(1, u"Courier"), Font(2, u"Letter Gothic"), Font(3, u"Prestige")}));
    PutData(u"OptionFontNum", Count(2));
    PutData(u"OptionFont", Bytes(std::vector{Font(10, u"Orator"), Font(11, u"Script")}));
    ASSERT_EQ(TransferFontTables(printer_, rows_.data(), static_cast<int>(rows_.size()), 0), 1);
    PutData(u"FontTableNum", Count(static_cast<WORD>(rows_.size())));
  }

  std::vector<FontSubstitutionRecord> rows_{Row(u"Arial", u"Letter Gothic"), Row(u"Times New Roman", u"Prestige")};
};

TEST_F(FontLists, LoadedListsAreNamedDeviceFontsFirst) {
  StoreLists();
  ASSERT_EQ(LoadAll(), 1);
  EXPECT_EQ(Raw(fid::kdmDeviceFontNum), 3u);
  EXPECT_EQ(Raw(fid::kdmOptionFontNum), 2u);
  EXPECT_EQ(Raw(fid::kdmFontTableNum), 2u);
  EXPECT_EQ(GetDeviceFontCount(ctx_), 5);
  EXPECT_EQ(Name(0), u"Courier");
  EXPECT_EQ(Name(2), u"Prestige");
  EXPECT_EQ(Name(3), u"Orator");
  EXPECT_EQ(Name(4), u"Script");
  EXPECT_EQ(Name(5), u"");
  EXPECT_EQ(Name(-1), u"");

  EXPECT_EQ(Substitute(u"Times New Roman"), u"Prestige");
  EXPECT_EQ(Substitute(u"Arial"), u"Letter Gothic");
  EXPECT_EQ(Substitute(u"arial"), u"Courier");  // case-sensitive: no row, font 0
  EXPECT_EQ(Substitute(u"Wingdings"), u"Courier");
}

TEST_F(FontLists, CountBeyondTheBlockReadsOnlyWhatTheBlockHolds) {
  StoreLists();
  ASSERT_EQ(LoadAll(), 1);
  // A count field raised past its block must not read past the block.
  WriteFieldRawById(ctx_, fid::kdmOptionFontNum, 40);
  EXPECT_EQ(Name(4), u"Script");
  EXPECT_EQ(Name(5), u"");
  EXPECT_EQ(Name(30), u"");
  WriteFieldRawById(ctx_, fid::kdmFontTableNum, 300);
  EXPECT_EQ(Substitute(u"Wingdings"), u"Courier");
}

TEST_F(FontLists, MissingCountWithoutModelFontsWritesNothing) {
  Drop(u"DeviceFontNum");
  Drop(u"OptionFontNum");
  DWORD n = 0;
  FontListRecord* model = ExportDeviceFontList(ctx_, &n);
  const bool modelHasFonts = model && n > 0;
  FreeMem(model);
  if (modelHasFonts) GTEST_SKIP() << "the sample model has device fonts";
  EXPECT_EQ(LoadDeviceFontList(printer_, ctx_), 1);
  EXPECT_EQ(Raw(fid::kdmDeviceFontNum), 0u);
  EXPECT_EQ(Raw(fid::kdmDeviceFont), 0u);
  EXPECT_TRUE(Data(u"DeviceFontNum").empty());
  EXPECT_TRUE(Data(u"DeviceFont").empty());
}

TEST_F(FontLists, StoredCountOfZeroOrUnreadableListFailsTheLoad) {
  PutData(u"DeviceFontNum", Count(0));
  EXPECT_EQ(LoadDeviceFontList(printer_, ctx_), 0);
  EXPECT_EQ(Raw(fid::kdmDeviceFont), 0u);

  // A count larger than the stored list: the read fails and nothing is stored.
  PutData(u"OptionFontNum", Count(4));
  PutData(u"OptionFont", Bytes(std::vector{Font(10, u"Orator")}));
  EXPECT_EQ(LoadOptionFontList(printer_, ctx_), 0);
  EXPECT_EQ(Raw(fid::kdmOptionFontNum), 0u);
  EXPECT_EQ(Raw(fid::kdmOptionFont), 0u);
}

TEST_F(FontLists, SaveIfChangedSkipsAListTheSnapshotHolds) {
  StoreLists();
  ASSERT_EQ(LoadAll(), 1);
  ASSERT_EQ(SaveSettingsCopy(ctx_), 1);
  Drop(u"DeviceFont");
  Drop(u"FontTableNum");
  EXPECT_EQ(SaveFontListsIfChanged(printer_, ctx_), 1);
  EXPECT_TRUE(Data(u"DeviceFont").empty());
  EXPECT_TRUE(Data(u"FontTableNum").empty());

  // One changed character is a change.
  auto* fonts = static_cast<FontListRecord*>(GetFieldBlockById(ctx_, fid::kdmDeviceFont));
  ASSERT_NE(fonts, nullptr);
  fonts[1].name[0] = u'Q';
  EXPECT_EQ(SaveDeviceFontList(printer_, ctx_, kFontSaveIfChanged), 1);
  const auto saved = Data(u"DeviceFont");
  ASSERT_EQ(saved.size(), 3 * sizeof(FontListRecord));
  EXPECT_EQ(saved[sizeof(FontListRecord) + 4], 'Q');

  // Without the flag the list is always written.
  Drop(u"OptionFont");
  EXPECT_EQ(SaveOptionFontList(printer_, ctx_, 0), 1);
  EXPECT_EQ(Data(u"OptionFont").size(), 2 * sizeof(FontListRecord));
}

// A printer without option fonts has nothing to save there: the device-settings save still
// succeeds.
TEST_F(FontLists, EmptyListSavesAsSuccessWithoutWriting) {
  WriteFieldRawById(ctx_, fid::kdmOptionFontNum, 0);
  Drop(u"OptionFont");
  Drop(u"OptionFontNum");
  EXPECT_EQ(SaveOptionFontList(printer_, ctx_, 0), 1);
  EXPECT_EQ(SaveOptionFontList(printer_, ctx_, kFontSaveIfChanged), 1);
  EXPECT_TRUE(Data(u"OptionFont").empty());
  EXPECT_EQ(SaveDeviceSettingsArea2(printer_, ctx_), 1);
}

TEST_F(FontLists, ShorterTableDeletesTheChunksOfTheLongerOne) {
  std::vector<FontSubstitutionRecord> five;
  for (int i = 0; i < 5; ++i) five.push_back(Row(u"TT", u"Dev"));
  ASSERT_EQ(TransferFontTables(printer_, five.data(), 5, 0), 1);
  EXPECT_EQ(Data(u"TTFontTable5").size(), 64u);
  ASSERT_EQ(TransferFontTables(printer_, rows_.data(), 2, 0), 1);
  for (const char16_t* gone : {u"TTFontTable3", u"DevFontTable3", u"TTFontTable5", u"DevFontTable5"})
    EXPECT_TRUE(Data(gone).empty()) << std::string(gone, gone + std::char_traits<char16_t>::length(gone));
  EXPECT_EQ(Data(u"LastFontTableNum"), Count(2));
  const auto tt2 = Data(u"TTFontTable2");
  ASSERT_EQ(tt2.size(), 64u);
  EXPECT_EQ(std::memcmp(tt2.data(), rows_[1].trueTypeName, 64), 0);
  EXPECT_EQ(TransferFontTables(printer_, nullptr, 0, 0), 0);
}

TEST_F(FontLists, SettingsApiWritesOverTheLongerTableWithoutDeletingIt) {
  std::vector<FontSubstitutionRecord> five;
  for (int i = 0; i < 5; ++i) five.push_back(Row(u"TT", u"Dev"));
  ASSERT_EQ(TransferFontTables(printer_, five.data(), 5, 0), 1);
  SetDeliverable(Deliverable::SettingsApi);
  const int written = TransferFontTables(printer_, rows_.data(), 2, 0);
  SetDeliverable(Deliverable::Interface);
  ASSERT_EQ(written, 1);
  for (const char16_t* kept : {u"TTFontTable3", u"DevFontTable3", u"TTFontTable5", u"DevFontTable5"})
    EXPECT_EQ(Data(kept).size(), 64u) << std::string(kept, kept + std::char_traits<char16_t>::length(kept));
  EXPECT_EQ(Data(u"LastFontTableNum"), Count(2));
  const auto tt2 = Data(u"TTFontTable2");
  ASSERT_EQ(tt2.size(), 64u);
  EXPECT_EQ(std::memcmp(tt2.data(), rows_[1].trueTypeName, 64), 0);
  // Only the count's rows are read back.
  std::vector<FontSubstitutionRecord> back(2, Row(u"x", u"y"));
  EXPECT_EQ(ReadFontTableChunks(printer_, back.data(), 2, 0), 0u);
  EXPECT_EQ(std::u16string(back[0].trueTypeName), u"Arial");
}

TEST_F(FontLists, MissingChunkEmptiesItsRowAndFailsTheTableLoad) {
  StoreLists();
  Drop(u"DevFontTable2");
  std::vector<FontSubstitutionRecord> rows(2, Row(u"x", u"y"));
  EXPECT_EQ(ReadFontTableChunks(printer_, rows.data(), 2, 0), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(std::u16string(rows[0].trueTypeName), u"Arial");
  EXPECT_EQ(rows[1].trueTypeName[0], 0);
  EXPECT_EQ(rows[1].deviceFontName[0], 0);
  EXPECT_EQ(ReadFontTableChunks(printer_, nullptr, 2, 0), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));

  EXPECT_EQ(LoadFontTables(printer_, ctx_), 0);
  EXPECT_EQ(Raw(fid::kdmFontTableNum), 0u);
  EXPECT_EQ(Raw(fid::kdmFontTable), 0u);
}

TEST_F(FontLists, DefaultTableReplacesTheCurrentOne) {
  StoreLists();
  ASSERT_EQ(LoadFontTables(printer_, ctx_), 1);
  // No default table stored: the table is cleared and nothing is written.
  EXPECT_EQ(ReloadDefaultFontTables(printer_, ctx_), 1);
  EXPECT_EQ(Raw(fid::kdmFontTableNum), 0u);
  EXPECT_TRUE(Data(u"DefFontTableNum").empty());

  std::vector<FontSubstitutionRecord> defaults{Row(u"Courier New", u"Courier")};
  ASSERT_EQ(TransferFontTables(printer_, defaults.data(), 1, kFontSaveDefault), 1);
  EXPECT_EQ(Data(u"DefFontTableNum"), Count(1));
  EXPECT_EQ(Data(u"LastFontTableNum"), Count(2));  // the current table's chunks stay
  ASSERT_EQ(ReloadDefaultFontTables(printer_, ctx_), 1);
  EXPECT_EQ(Raw(fid::kdmFontTableNum), 1u);
  EXPECT_EQ(Substitute(u"Courier New"), u"Courier");
}

TEST_F(FontLists, FreeingTheBuffersClearsTheFields) {
  StoreLists();
  ASSERT_EQ(LoadAll(), 1);
  const DWORD handle = Raw(fid::kdmDeviceFont);
  ASSERT_NE(handle, 0u);
  FreeDeviceSettingsBuffers(ctx_);
  for (WORD id : {fid::kdmDeviceFont, fid::kdmOptionFont, fid::kdmFontTable}) EXPECT_EQ(Raw(id), 0u);
  EXPECT_EQ(ResolveFieldBlock(handle), nullptr);
  FreeDeviceSettingsBuffers(nullptr);
  EXPECT_EQ(GetDeviceFontCount(nullptr), 0);
}

TEST_F(FontLists, EditedTableIsSwappedInAndTheLoadedOneRemembered) {
  StoreLists();
  ASSERT_EQ(LoadFontTables(printer_, ctx_), 1);
  const DWORD loaded = Raw(fid::kdmFontTable);
  ASSERT_NE(loaded, 0u);

  auto* first = static_cast<FontSubstitutionRecord*>(AllocMem(sizeof(FontSubstitutionRecord)));
  *first = Row(u"Arial", u"Courier");
  SetFontTable(ctx_, 1, first);
  EXPECT_EQ(ctx_->work->savedFontTable, loaded);
  EXPECT_EQ(ctx_->work->savedFontTableCount, 2);
  EXPECT_NE(ResolveFieldBlock(loaded), nullptr);  // detached, not freed
  EXPECT_EQ(Raw(fid::kdmFontTableNum), 1u);
  EXPECT_EQ(Substitute(u"Arial"), u"Courier");
  const DWORD firstHandle = Raw(fid::kdmFontTable);

  auto* second = static_cast<FontSubstitutionRecord*>(AllocMem(2 * sizeof(FontSubstitutionRecord)));
  second[0] = Row(u"Arial", u"Prestige");
  second[1] = Row(u"Symbol", u"Script");
  SetFontTable(ctx_, 2, second);
  EXPECT_EQ(ctx_->work->savedFontTable, loaded);  // still the first table
  EXPECT_EQ(ResolveFieldBlock(firstHandle), nullptr);  // the replaced edit is freed
  EXPECT_EQ(Substitute(u"Symbol"), u"Script");

  // Null loads the table of printer data again.
  SetFontTable(ctx_, 0, nullptr);
  EXPECT_EQ(Raw(fid::kdmFontTableNum), 2u);
  EXPECT_EQ(Substitute(u"Arial"), u"Letter Gothic");
  EXPECT_EQ(ctx_->work->savedFontTable, loaded);
}

TEST_F(FontLists, ReloadKeepsABlockASnapshotStillNames) {
  StoreLists();
  ASSERT_EQ(LoadAll(), 1);
  const DWORD before = Raw(fid::kdmDeviceFont);
  PushSettingsSnapshot(ctx_);
  ASSERT_EQ(LoadDeviceFontList(printer_, ctx_), 1);
  EXPECT_NE(Raw(fid::kdmDeviceFont), before);
  EXPECT_NE(ResolveFieldBlock(before), nullptr);  // slot 0 still names it
  PopSettingsSnapshot(ctx_, 1);
  EXPECT_EQ(Raw(fid::kdmDeviceFont), before);
  EXPECT_EQ(Name(0), u"Courier");

  // Without a snapshot naming it, a reload frees the old block.
  ASSERT_EQ(LoadDeviceFontList(printer_, ctx_), 1);
  EXPECT_EQ(ResolveFieldBlock(before), nullptr);
}

TEST_F(FontLists, DefaultFaceIsArialWithoutTheJapaneseResources) {
  WCHAR face[32];
  GetDefaultFontName(ctx_, face);
  EXPECT_EQ(std::u16string(face), u"Arial");
  GetDefaultFontName(ctx_, nullptr);
}

}  // namespace
}  // namespace font_lists_test
}  // namespace kovatest
