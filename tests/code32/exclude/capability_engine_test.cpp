// The capability engine: which ids the dispatcher answers at which API version, its
// preconditions and last-error rule, the list protocol of every list id, and the capability
// record with the low blocks it owns.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "api_frame.h"
#include "capability_engine.h"
#include "capability_flags.h"
#include "capability_lists.h"
#include "constrix_fixture.h"
#include "field_ids.h"
#include "fields/devmode_header.h"
#include "fields/field_access.h"
#include "fields/field_table.h"
#include "fields/product_record.h"
#include "model/units.h"
#include "modules/profile_list.h"
#include "option_services.h"
#include "base/ini_files.h"
#include "stored/list_keys.h"
#include "stored/preset_list.h"
#include "stored/stamp_list.h"
#include "settings_snapshots.h"
#include "plat/spooler_setup.h"
#include "plat/system.h"
#include "win/files.h"
#include "win/lowmem.h"

namespace kovatest {
namespace capability_engine_test {
namespace {

// Code and name lists of a chosen length for the name-list operations: the input trays'
// codes 7, 1, 4 in that order, and names "N0", "N1"... of `names` entries (a name of
// `longName` characters when that is non-zero).
int g_codeCount = 3;
int g_nameCount = 3;
int g_longName = 0;
std::int32_t FakeCodes(DriverContext*, WORD* buffer, WORD) {
  const WORD codes[] = {7, 1, 4, 9, 9, 9};
  if (buffer)
    for (int i = 0; i < g_codeCount; ++i) buffer[i] = codes[i];
  return g_codeCount;
}
std::int32_t FakeNames(DriverContext*, WCHAR* buffer, int slotChars, WORD) {
  if (buffer) {
    for (int i = 0; i < g_nameCount; ++i) {
      WCHAR* slot = buffer + static_cast<std::size_t>(i) * slotChars;
      slot[0] = u'N';
      slot[1] = static_cast<WCHAR>(u'0' + i);
      slot[2] = 0;
      if (g_longName && i == 1) {
        for (int k = 0; k < g_longName && k < slotChars - 1; ++k) slot[k] = u'L';
        slot[g_longName < slotChars - 1 ? g_longName : slotChars - 1] = 0;
      }
    }
  }
  return g_nameCount;
}

class CapabilityEngine : public ApiPrinterTest {
 protected:
  void SetUp() override {
    ApiPrinterTest::SetUp();
    // The UI resource script with the capability options' strings as well.
    root_.WriteFile(u"C:\\drv\\KOVAUIUS.rc",
                    FixtureText(kPrinterUiScript) + "\n" + FixtureText("ui/capability_strings.rc"));
  }
  void TearDown() override {
    plat::FailAllocationsOfSize(0);
    plat::Machine().ansiCodePage = savedCodePage_;
    g_codeCount = g_nameCount = 3;
    g_longName = 0;
    ApiPrinterTest::TearDown();
  }
  // The sample printer enabled with API version 16 at most, current version `version`.
  DriverContext* EnableAt(std::int32_t version) {
    InstallApiPrinter();
    WriteApiVersion(16);
    DriverContext* handle = DoEnable(kPrinter);
    if (!handle) return nullptr;
    const ApiInitInfo info{0, version};
    DoInit(1, &info);
    return handle;
  }
  // The unit tests' model with the capability options (emulation, extended print area, print
  // and balance macros, colour adjustments, four output trays, a marked paper type the rules
  // disable: tests/fixtures/model/capability_options.kmd) in place of its output trays.
  static std::string CapabilityModel() {
    std::string model = FixtureText(kPrinterModel);
    const std::size_t output = model.find("*OpenUI *KPD_IDC_PRESET_CHOICE_OUTPUT");
    const std::size_t outputEnd = model.find("*CloseUI", output);
    EXPECT_NE(outputEnd, std::string::npos);
    if (outputEnd == std::string::npos) return model;
    model.erase(output, outputEnd + 8 - output);
    const std::size_t at = model.find("*OpenUI *KPD_IDC_PRESET_CHOICE_COLOR");
    EXPECT_NE(at, std::string::npos);
    if (at != std::string::npos) model.insert(at, FixtureText("model/capability_options.kmd"));
    return model;
  }
  // The capability model under a driver of its own; its handle at `version`.
  DriverContext* EnableRecordModelAt(std::int32_t version) { return EnableEditedAt(version, "", "", -1, true); }
  // The unit tests' model (or the capability model) with one text replaced (nothing replaced
  // for an empty `from`), under a driver of its own; its handle at `version`.
  DriverContext* EnableEditedAt(std::int32_t version, const std::string& from, const std::string& to,
                                int functions = -1, bool capabilityModel = false) {
    std::string model = capabilityModel ? CapabilityModel() : FixtureText(kPrinterModel);
    if (!from.empty()) {
      const std::size_t at = model.find(from);
      EXPECT_NE(at, std::string::npos) << from;
      if (at == std::string::npos) return nullptr;
      model.replace(at, from.size(), to);
    }
    const std::u16string index(1, static_cast<char16_t>(u'A' + edited_++));
    const std::u16string file = u"C:\\drv\\EDIT" + index + u".KPD";
    root_.WriteFile(file, model);
    const std::u16string name = u"Api Edited " + index;
    InstallPrinter(name, PrinterSpec::OwnDriver(u"KOVA Edited Driver " + index, file));
    WriteApiVersion(16, functions);
    DriverContext* handle = DoEnable(std::string(name.begin(), name.end()).c_str());
    if (!handle) return nullptr;
    const ApiInitInfo info{0, version};
    DoInit(1, &info);
    return handle;
  }
  int edited_ = 0;
  const UINT savedCodePage_ = plat::Machine().ansiCodePage;
  static DWORD Slot(const BYTE* record, DWORD offset) {
    DWORD value = 0;
    std::memcpy(&value, record + offset, 4);
    return value;
  }
};

// Every list entry of the record, as {capability, element size}.
std::vector<std::pair<DWORD, DWORD>> ListIds() {
  DWORD count = 0;
  const CapabilityRecordEntry* entries = GetCapabilityRecordEntries(&count);
  std::vector<std::pair<DWORD, DWORD>> ids;
  for (DWORD i = 0; i < count; ++i)
    if (entries[i].form == kEntryList) ids.emplace_back(entries[i].capability, entries[i].elementSize);
  return ids;
}

TEST_F(CapabilityEngine, DispatcherAnswersByIdAndVersion) {
  DriverContext* handle = EnableAt(16);
  ASSERT_NE(handle, nullptr);
  const auto colourType = static_cast<std::int32_t>(ReadFieldRawById(handle, fid::kdmMachineTypeColor));
  struct Case {
    DWORD id;
    std::int32_t version;
    bool printerGone;  // a dispatched id then answers -1: it opens the printer
    std::int32_t answer;
  };
  std::vector<Case> cases;
  for (std::int32_t v = 1; v <= 16; ++v) {
    for (DWORD id : {58u, 59u, 68u}) cases.push_back({id, v, false, 0});
    cases.push_back({kSpecialCapabilityId, v, false, colourType});
    cases.push_back({1, v, false, 1});
  }
  cases.push_back({0, 5, false, 32});
  cases.push_back({0, 6, false, 64});
  cases.push_back({74, 9, false, 0});   // above the low maximum of 9 is not dispatched...
  cases.push_back({74, 10, false, 1});  // ...and from 10 answers "above 9"
  cases.push_back({273, 16, false, 0});  // never available
  cases.push_back({127, 15, false, 0});  // beyond the maximum of version 15
  // With the printer gone only what is dispatched notices it.
  cases.push_back({70, 6, true, 0});
  cases.push_back({70, 7, true, -1});
  cases.push_back({58, 16, true, 0});
  cases.push_back({kSpecialCapabilityId, 1, true, -1});
  cases.push_back({kSpecialCapabilityId, 16, true, -1});
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.id) + " at version " + std::to_string(c.version) + (c.printerGone ? " gone" : ""));
    GetApiGlobals().currentVersion = c.version;
    const std::u16string name = handle->work->printerName;
    if (c.printerGone) std::memcpy(handle->work->printerName, u"Gone Printer", sizeof u"Gone Printer");
    EXPECT_EQ(DoGetCaps(handle, c.id, nullptr), c.answer);
    std::memcpy(handle->work->printerName, name.c_str(), (name.size() + 1) * sizeof(char16_t));
  }
  DoDisable(handle);
}

TEST_F(CapabilityEngine, LastErrorFollowsTheAnswer) {
  DriverContext* handle = EnableAt(16);
  ASSERT_NE(handle, nullptr);
  struct Case {
    const char* what;
    DWORD id;
    bool printerGone;
    std::int32_t answer;
    std::int32_t error;
  };
  const Case cases[] = {
      {"answered", 1, false, 1, 7},
      {"unavailable", 273, false, 0, 7},
      {"disabled row", 58, false, 0, 7},
      {"printer gone", 1, true, -1, 100},
      {"a handler's -1 (no horizontal shift range)", 35, false, -1, 100},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SetApiError(handle, 7);
    if (c.printerGone) {
      InstallApiPrinter(u"Short Lived");
      std::memcpy(handle->work->printerName, u"Short Lived", sizeof u"Short Lived");
      plat::spooler::RemovePrinter(u"Short Lived");
    }
    BYTE pair[4] = {0xEE, 0xEE, 0xEE, 0xEE};
    EXPECT_EQ(DoGetCaps(handle, c.id, pair), c.answer);
    EXPECT_EQ(DoGetLastError(handle), c.error);
    std::memcpy(handle->work->printerName, u"Api Sample", sizeof u"Api Sample");
  }
  DoDisable(handle);
}

TEST_F(CapabilityEngine, PreconditionsKeepTheHandlerFromRunning) {
  DriverContext* handle = EnableAt(16);
  ASSERT_NE(handle, nullptr);
  // The HDD answers of 50 and 51 hold unless the terminal-server restriction silences them.
  WriteFieldRawById(handle, fid::kdmOutputOptionTypeHDD, 1);
  struct Case {
    DWORD id;
    BYTE terminalServer;
    std::int32_t dispatched;
  };
  const Case cases[] = {{50, 0, 1}, {51, 0, 1}, {50, 1, 0}, {51, 1, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.id) + (c.terminalServer ? " restricted" : ""));
    SetStateByte(handle, 720, c.terminalServer);
    EXPECT_EQ(AnswerCapabilityNumber(handle, c.id, nullptr), 1);  // the handler itself
    EXPECT_EQ(DoGetCaps(handle, c.id, nullptr), c.dispatched);
  }
  SetStateByte(handle, 720, 0);
  // Capability 8 on a colour machine whose dmColor option is not offered: 0 without its
  // handler, which would answer 1.
  WriteFieldRawById(handle, fid::kdmMachineTypeColor, 1);
  if (!IsFieldOptionOffered(handle, fid::dmColor)) {
    EXPECT_EQ(AnswerCapabilityNumber(handle, 8, nullptr), IsColorLocked(handle) ? 0 : 1);
    EXPECT_EQ(DoGetCaps(handle, 8, nullptr), 0);
  }
  DoDisable(handle);
}

// Every list id at versions 6 and 16, on the unit tests' model and on the one with the options
// a record needs: a buffer exactly as large as the null answer, followed
// by guard bytes; the buffer answer is never above the null answer and the guards stay.
TEST_F(CapabilityEngine, ListsNeverWriteBeyondTheirNullAnswer) {
  for (const bool recordModel : {false, true})
  for (std::int32_t version : {6, 16}) {
    DriverContext* handle = recordModel ? EnableRecordModelAt(version) : EnableAt(version);
    ASSERT_NE(handle, nullptr);
    for (const auto& [id, size] : ListIds()) {
      SCOPED_TRACE(std::to_string(id) + " at version " + std::to_string(version) + (recordModel ? ", record model" : ""));
      const std::int32_t count = DoGetCaps(handle, id, nullptr);
      if (count <= 0) continue;
      std::vector<BYTE> buffer(static_cast<std::size_t>(count) * size + 64, 0xC5);
      const std::int32_t written = DoGetCaps(handle, id, buffer.data());
      EXPECT_LE(written, count);
      for (std::size_t i = static_cast<std::size_t>(count) * size; i < buffer.size(); ++i)
        ASSERT_EQ(buffer[i], 0xC5) << i;
    }
    DoDisable(handle);
    ResetApiGlobals();
  }
}

TEST_F(CapabilityEngine, PairsAnswerWithANullBuffer) {
  DriverContext* handle = EnableAt(16);
  ASSERT_NE(handle, nullptr);
  for (DWORD id : {13u, 14u, 124u, 125u}) {
    SCOPED_TRACE(id);
    DWORD buffer[2] = {};
    const std::int32_t withBuffer = DoGetCaps(handle, id, buffer);
    EXPECT_EQ(DoGetCaps(handle, id, nullptr), withBuffer);
  }
  DWORD custom[2] = {};
  EXPECT_EQ(DoGetCaps(handle, 124, custom), 1);
  int low = 0, high = 0;
  if (GetFreeSizeLimits(handle, fid::wdmFreeSizeWidth, &low, &high)) {
    EXPECT_LE(custom[0], static_cast<DWORD>(high));
  }
  EXPECT_GT(custom[0], 0u);
  EXPECT_EQ(DoGetCaps(handle, 17, nullptr), GetMaxCopies(handle));
  DoDisable(handle);
}

// The custom paper extents (124, 125) and the paper extents (13, 14) come from the context's
// product record, clamped into the free-size range: a product copy whose limits lie outside
// it answers the range's ends.
TEST_F(CapabilityEngine, PaperExtentsAreClampedToTheFreeSizeRange) {
  DriverContext* handle = EnableAt(16);
  ASSERT_NE(handle, nullptr);
  const ProductRecord* shipped = GetProductRecord();
  auto tenth = [](DWORD dots) { return static_cast<DWORD>(DotsToUserUnits(kUnitTenthMm, static_cast<int>(dots), 1200)); };
  struct Case {
    const char* what;
    DWORD widthMin, widthMax;
    DWORD id;
    DWORD width;  // the width answered, in 0.1 mm
  };
  const Case cases[] = {
      {"maximum as shipped", shipped->userPaperWidthMin, shipped->userPaperWidthMax, 124, tenth(shipped->userPaperWidthMax)},
      {"maximum above the range", shipped->userPaperWidthMin, 20000, 124, tenth(shipped->userPaperWidthMax)},
      {"maximum inside the range", shipped->userPaperWidthMin, 12000, 124, tenth(12000)},
      {"minimum below the range", 1000, shipped->userPaperWidthMax, 125, tenth(shipped->userPaperWidthMin)},
      {"paper extent above the range", shipped->userPaperWidthMin, 20000, 13, tenth(shipped->userPaperWidthMax)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    handle->product->userPaperWidthMin = c.widthMin;
    handle->product->userPaperWidthMax = c.widthMax;
    DWORD pair[2] = {0xEEEEEEEEu, 0xEEEEEEEEu};
    const std::int32_t answer = DoGetCaps(handle, c.id, pair);
    if (c.id == 13) {
      WORD words[2] = {};
      std::memcpy(words, pair, sizeof words);
      EXPECT_EQ(words[0], c.width);
      EXPECT_EQ(static_cast<DWORD>(answer) & 0xFFFFu, c.width);
      EXPECT_EQ(pair[1], 0xEEEEEEEEu);  // two u16, nothing beyond
    } else {
      EXPECT_EQ(answer, 1);
      EXPECT_EQ(pair[0], c.width);
    }
  }
  handle->product->userPaperWidthMin = shipped->userPaperWidthMin;
  handle->product->userPaperWidthMax = shipped->userPaperWidthMax;
  DoDisable(handle);
}

TEST_F(CapabilityEngine, RecordBelowVersion6EndsAtOffset316) {
  DriverContext* handle = EnableRecordModelAt(5);
  ASSERT_NE(handle, nullptr);
  const std::int32_t address = DoGetCaps(handle, 0x80000001u, nullptr);
  ASSERT_NE(address, 0);
  auto* record = static_cast<BYTE*>(LowMemoryFromSlot(static_cast<DWORD>(address)));
  ASSERT_TRUE(IsCapabilityRecord(record));
  EXPECT_TRUE(IsLowMemoryBlock(LowMemoryFromSlot(Slot(record, 0)), 32));
  EXPECT_EQ(Slot(record, 4), 1u);  // capability 1
  for (DWORD offset = 320; offset < kCapabilityRecordSize; ++offset) ASSERT_EQ(record[offset], 0) << offset;
  EXPECT_EQ(DoGetCaps(handle, 0x80000002u, record), 1);
  DoDisable(handle);
}

TEST_F(CapabilityEngine, RecordSlotsHoldLiveLowBlocksOfTheirCount) {
  DriverContext* handle = EnableRecordModelAt(16);
  ASSERT_NE(handle, nullptr);
  const std::int32_t address = DoGetCaps(handle, 0x80000001u, nullptr);
  ASSERT_NE(address, 0) << DoGetLastError(handle);
  ASSERT_GT(address, 0);  // below 2 GiB
  auto* record = static_cast<BYTE*>(LowMemoryFromSlot(static_cast<DWORD>(address)));
  EXPECT_TRUE(IsLowMemoryBlock(record, kCapabilityRecordSize));
  EXPECT_TRUE(IsLowMemoryBlock(LowMemoryFromSlot(Slot(record, 0)), 64));
  DWORD count = 0;
  const CapabilityRecordEntry* entries = GetCapabilityRecordEntries(&count);
  std::vector<void*> parts;
  for (DWORD i = 0; i < count; ++i) {
    const CapabilityRecordEntry& e = entries[i];
    if (e.form != kEntryList) continue;
    SCOPED_TRACE(e.capability);
    const DWORD n = Slot(record, e.offset);
    const DWORD slot = Slot(record, e.offset + 4);
    EXPECT_EQ(n == 0, slot == 0);
    if (!n) continue;
    EXPECT_LT(slot, 0x80000000u);
    EXPECT_TRUE(IsLowMemoryBlock(LowMemoryFromSlot(slot), static_cast<SIZE_T>(n) * e.elementSize));
    parts.push_back(LowMemoryFromSlot(slot));
  }
  EXPECT_EQ(Slot(record, 4), 1u);
  EXPECT_EQ(DoGetCaps(handle, 0x80000002u, record), 1);
  EXPECT_FALSE(IsLowMemoryBlock(record, 1));
  for (void* part : parts) EXPECT_FALSE(IsLowMemoryBlock(part, 1));
  EXPECT_EQ(DoGetCaps(handle, 0x80000002u, record), 1);  // repeated: nothing more
  EXPECT_EQ(DoGetCaps(handle, 0x80000002u, nullptr), 1);
  DoDisable(handle);
}

TEST_F(CapabilityEngine, ClearedStatusItemLeavesItsEntriesZero) {
  DriverContext* handle = EnableRecordModelAt(16);
  ASSERT_NE(handle, nullptr);
  GetApiGlobals().statusAvailability[0] &= static_cast<BYTE>(~(0x80u >> 6));  // status item 7
  const std::int32_t address = DoGetCaps(handle, 0x80000001u, nullptr);
  ASSERT_NE(address, 0);
  auto* record = static_cast<BYTE*>(LowMemoryFromSlot(static_cast<DWORD>(address)));
  for (DWORD offset = 64; offset < 96; ++offset) EXPECT_EQ(record[offset], 0) << offset;
  for (DWORD offset = 784; offset < 800; ++offset) EXPECT_EQ(record[offset], 0) << offset;
  EXPECT_EQ(Slot(record, 4), 1u);  // the others are filled
  EXPECT_EQ(DoGetCaps(handle, 0x80000002u, record), 1);
  DoDisable(handle);
}

TEST_F(CapabilityEngine, FailedRecordLeavesNothingBehind) {
  DriverContext* handle = EnableRecordModelAt(16);
  ASSERT_NE(handle, nullptr);
  // A failure at the record, at its bitmap, and at a list block (capability 2's, when the
  // model lists input trays).
  std::vector<SIZE_T> sizes = {kCapabilityRecordSize, 64};
  const std::int32_t trays = DoGetCaps(handle, 2, nullptr);
  if (trays > 0 && trays * 4 != 64 && trays * 4 != static_cast<std::int32_t>(kCapabilityRecordSize))
    sizes.push_back(static_cast<SIZE_T>(trays) * 4);
  for (SIZE_T size : sizes) {
    SCOPED_TRACE(size);
    SetApiError(handle, 0);
    plat::FailAllocationsOfSize(size);
    EXPECT_EQ(DoGetCaps(handle, 0x80000001u, nullptr), 0);
    plat::FailAllocationsOfSize(0);
    if (size != kCapabilityRecordSize) {
      EXPECT_EQ(DoGetLastError(handle), 100);
    }
    // Nothing is handed out: a record made now is the only one, and it goes whole.
    const std::int32_t address = DoGetCaps(handle, 0x80000001u, nullptr);
    ASSERT_NE(address, 0);
    EXPECT_EQ(DoGetCaps(handle, 0x80000002u, LowMemoryFromSlot(static_cast<DWORD>(address))), 1);
  }
  DoDisable(handle);
}

// Numbers and pairs from the model, and the version and function-bit facts.
TEST_F(CapabilityEngine, NumbersFollowTheModel) {
  const std::string copies = "*OpenUI *KPD_IDC_PRESET_EDIT_COPIES: Numeric";
  const std::string scaleV = "*OpenUI *KPD_IDC_PRESET_EDIT_SCALE_V: Numeric";
  struct Case {
    const char* what;
    std::string from, to;
    std::int32_t version;
    int functions;
    DWORD id;
    std::int32_t answer;
    bool pairWritten;  // else the pair buffer stays untouched
    WORD pair[2];
  };
  const Case cases[] = {
      {"copies from the Numeric option", "1 1 1 999 0", "1 1 1 50 0", 16, -1, 17, 50, false, {}},
      {"copies without a Numeric option", copies, "*OpenUI *KPD_IDC_PRESET_EDIT_COPIES: Boolean", 16, -1, 17, 999,
       false, {}},
      {"maximum scale", "", "", 16, -1, 20, 4000 * 65536 + 4000, true, {4000, 4000}},
      {"minimum scale", "", "", 16, -1, 21, 250 * 65536 + 250, true, {250, 250}},
      {"vertical scale Boolean", scaleV, "*OpenUI *KPD_IDC_PRESET_EDIT_SCALE_V: Boolean", 16, -1, 20, -1, false, {}},
      {"binding margin maximum in 0.1 mm", "", "", 16, -1, 26, 508, false, {}},
      {"binding margin minimum", "", "", 16, -1, 27, 0, false, {}},
      {"job password without its option", "", "", 16, -1, 83, 0, false, {}},
      {"paper-face function below version 15", "", "", 14, 512, 118, 0, false, {}},
      {"paper-face function from version 15", "", "", 15, 512, 118, 1, false, {}},
      {"paper-face function without its bit", "", "", 16, 0, 118, 0, false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    DriverContext* handle = EnableEditedAt(c.version, c.from, c.to, c.functions);
    if (!handle) {
      ADD_FAILURE() << "not enabled";
      continue;
    }
    WORD pair[2] = {0xEEEE, 0xEEEE};
    EXPECT_EQ(DoGetCaps(handle, c.id, nullptr), c.answer);
    EXPECT_EQ(DoGetCaps(handle, c.id, pair), c.answer);
    if (c.pairWritten) {
      EXPECT_EQ(pair[0], c.pair[0]);
      EXPECT_EQ(pair[1], c.pair[1]);
    } else if (c.id == 20 || c.id == 21) {
      EXPECT_EQ(pair[0], 0xEEEE);
      EXPECT_EQ(pair[1], 0xEEEE);
    }
    DoDisable(handle);
    ResetApiGlobals();
  }
}

// Duplex is available with a duplex unit or while duplex is locked; the duplex types list a
// leading 0 (duplex off) unless it is locked. The mark function needs its switch's option and
// two input trays besides the automatic one.
TEST_F(CapabilityEngine, DuplexAndMarkFollowTheSettings) {
  struct Case {
    const char* what;
    bool capabilityModel;
    DWORD unit, lock;
    DWORD id;
    std::int32_t answer;
    std::vector<DWORD> values;
  };
  const Case cases[] = {
      {"no unit, no lock", false, 0, 0, 25, 0, {}},
      {"a duplex unit", false, 1, 0, 25, 1, {}},
      {"locked without a unit", false, 0, 1, 25, 1, {}},
      {"types without duplex", false, 0, 0, 104, 0, {}},
      {"types with a unit: off first", false, 1, 0, 104, 3, {0, 1, 2}},
      {"types while locked: no off", false, 0, 1, 104, 2, {1, 2}},
      // The model's bindings pass their condition only with duplex on, which 103 sets for the
      // query and puts back.
      {"types with duplex on", false, 1, 0, 103, 10, {0, 3, 2, 1, 19, 18, 17, 22, 21, 20}},
      {"mark without its switch's option", false, 0, 0, 23, 0, {}},
      {"mark with trays 7, 1 and 4", true, 0, 0, 23, 1, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    DriverContext* handle = EnableEditedAt(16, "", "", -1, c.capabilityModel);
    if (!handle) {
      ADD_FAILURE() << "not enabled";
      continue;
    }
    WriteFieldRawById(handle, fid::kdmSourceOptionTypeDuplex, c.unit);
    WriteFieldRawById(handle, fid::kdmLock000InfoBitDuplex, c.lock);
    const DWORD duplexBefore = ReadFieldRawById(handle, fid::kdmFuncSelectDuplex);
    const std::int32_t counted = DoGetCaps(handle, c.id, nullptr);
    EXPECT_EQ(counted, c.answer);
    std::vector<DWORD> values(std::max<std::size_t>(c.values.size(), counted > 0 ? counted : 0) + 4, 0xC5C5C5C5u);
    EXPECT_EQ(DoGetCaps(handle, c.id, values.data()), c.answer);
    if (!c.values.empty()) {
      EXPECT_EQ(std::vector<DWORD>(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(c.values.size())), c.values);
    }
    EXPECT_EQ(ReadFieldRawById(handle, fid::kdmFuncSelectDuplex), duplexBefore);  // put back
    DoDisable(handle);
    ResetApiGlobals();
  }
}

// Colour modes take kdmAdjustMode 1 to 0 for the query and always put it back.
TEST_F(CapabilityEngine, ColourModesPutTheAdjustModeBack) {
  DriverContext* handle = EnableAt(16);
  ASSERT_NE(handle, nullptr);
  for (DWORD mode : {1u, 0u}) {
    SCOPED_TRACE(mode);
    WriteFieldRawById(handle, fid::kdmAdjustMode, mode);
    const std::int32_t answer = AnswerValueList(handle, 61, nullptr);
    EXPECT_EQ(answer, ListEnabledValues(handle, nullptr, fid::kdmColorMode) < 0 ? 0 : answer);
    EXPECT_EQ(ReadFieldRawById(handle, fid::kdmAdjustMode), mode);
  }
  DoDisable(handle);
}

// Name lists stand beside their value lists: as many slots, each ended with NUL.
TEST_F(CapabilityEngine, NameListsMatchTheirValueLists) {
  DriverContext* handle = EnableRecordModelAt(16);
  ASSERT_NE(handle, nullptr);
  const std::pair<DWORD, DWORD> pairs[] = {{2, 3}, {4, 5}, {4, 127}, {6, 7}, {10, 11}, {15, 16}};
  for (const auto& [values, names] : pairs) {
    SCOPED_TRACE(names);
    const std::int32_t count = DoGetCaps(handle, values, nullptr);
    const std::int32_t named = DoGetCaps(handle, names, nullptr);
    if (count <= 0) {
      EXPECT_LE(named, 0);
      continue;
    }
    EXPECT_EQ(named, count);
    const int width = NameListWidth(names);
    std::vector<char> slots(static_cast<std::size_t>(count) * width, 'x');
    EXPECT_EQ(DoGetCaps(handle, names, slots.data()), count);
    for (std::int32_t i = 0; i < count; ++i) {
      const char* slot = slots.data() + static_cast<std::size_t>(i) * width;
      EXPECT_NE(std::memchr(slot, 0, static_cast<std::size_t>(width)), nullptr) << i;
    }
  }
  DoDisable(handle);
}

// The N-up lists set fields on a copy of the device-mode's state; when that copy cannot be
// had they answer -1 and nothing is changed.
TEST_F(CapabilityEngine, ListsThatChangeSettingsRefuseWithoutTheirCopy) {
  DriverContext* handle = EnableAt(16);
  ASSERT_NE(handle, nullptr);
  for (DWORD id : {105u, 106u}) {
    SCOPED_TRACE(id);
    const std::vector<BYTE> before(handle->settings, handle->settings + GetTotalDevmodeSize());
    const std::int32_t answer = AnswerValueList(handle, id, nullptr);
    EXPECT_GT(answer, 0);
    plat::FailAllocationsOfSize(GetTotalDevmodeSize());
    std::vector<DWORD> buffer(static_cast<std::size_t>(answer > 0 ? answer : 1), 0xC5C5C5C5u);
    EXPECT_EQ(AnswerValueList(handle, id, buffer.data()), -1);
    plat::FailAllocationsOfSize(0);
    for (DWORD v : buffer) EXPECT_EQ(v, 0xC5C5C5C5u);
    EXPECT_EQ(std::memcmp(before.data(), handle->settings, before.size()), 0);
    EXPECT_EQ(AnswerValueList(handle, id, buffer.data()), answer);
  }
  DoDisable(handle);
}

// The watermark and user-macro lists apply stored entries on a pushed copy of the settings;
// when the copy cannot be pushed they answer -1 and nothing is changed.
TEST_F(CapabilityEngine, ListsThatApplyEntriesRefuseWithoutTheirSnapshot) {
  DriverContext* handle = EnableRecordModelAt(16);
  ASSERT_NE(handle, nullptr);
  WriteFieldRawById(handle, fid::kdmFuncSelectWaterMark, 1);
  for (DWORD id : {32u, 33u, 272u}) {
    SCOPED_TRACE(id);
    const std::int32_t answer = DoGetCaps(handle, id, nullptr);
    ASSERT_GT(answer, 0);
    const std::vector<BYTE> before(handle->settings, handle->settings + GetSettingsBufferSize());
    // A full ring keeps its oldest snapshot aside in a new block; that block is refused.
    const int depth = handle->work->sheet.snapshotDepth;
    handle->work->sheet.snapshotDepth = 3;
    plat::FailAllocationsOfSize(GetSettingsBufferSize());
    std::vector<BYTE> buffer(static_cast<std::size_t>(answer) * 64, 0xC5);
    EXPECT_EQ(DoGetCaps(handle, id, buffer.data()), -1);
    plat::FailAllocationsOfSize(0);
    handle->work->sheet.snapshotDepth = depth;
    EXPECT_EQ(std::memcmp(before.data(), handle->settings, before.size()), 0);
    EXPECT_EQ(handle->work->sheet.snapshotDepth, depth);
    EXPECT_EQ(DoGetCaps(handle, id, buffer.data()), answer);
  }
  DoDisable(handle);
}

// The preset and user quality counts come from the per-printer INI: whatever it holds, the
// lists have at most 16 presets and 128 quality entries (with the leading 160, 129 macros).
TEST_F(CapabilityEngine, StoredCountsAreBounded) {
  DriverContext* handle = EnableRecordModelAt(16);
  ASSERT_NE(handle, nullptr);
  const WCHAR* ini = nullptr;
  const WCHAR* section = nullptr;
  ASSERT_TRUE(UserListLocation(handle, ini, section));
  std::u16string folder(ini);
  folder.resize(folder.rfind(u'\\'));
  CreateDirectoryW(folder.c_str(), nullptr);
  struct Case {
    const char16_t* key;
    const char16_t* stored;
    DWORD id;
    std::int32_t answer;
  };
  const Case cases[] = {
      {u"Count", u"1000", 85, 16},           {u"Count", u"1000", 86, 16},
      {u"Count", u"-5", 85, 0},              {u"Count", u"2147483647", 85, 16},
      {u"QualityCount", u"1000", 271, 129},  {u"QualityCount", u"2147483647", 271, 129},
      {u"QualityCount", u"1000", 272, 129},  {u"QualityCount", u"-1", 271, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.id) + " with " + std::string(c.stored, c.stored + std::char_traits<char16_t>::length(c.stored)));
    ASSERT_TRUE(WriteIniString(section, c.key, c.stored, ini));
    EXPECT_EQ(DoGetCaps(handle, c.id, nullptr), c.answer);
    const int width = NameListWidth(c.id) ? NameListWidth(c.id) : 4;
    std::vector<BYTE> buffer(static_cast<std::size_t>(c.answer) * width + 16, 0xC5);
    EXPECT_EQ(DoGetCaps(handle, c.id, buffer.data()), c.answer);
    for (std::size_t i = static_cast<std::size_t>(c.answer) * width; i < buffer.size(); ++i)
      ASSERT_EQ(buffer[i], 0xC5) << i;
    WriteIniString(section, c.key, u"0", ini);
  }
  DoDisable(handle);
}

// A stored watermark is listed by its number plus 1 and its name, each name slot ended with
// NUL, and the settings are as they were after the query.
TEST_F(CapabilityEngine, WatermarksListTheStoredOnes) {
  DriverContext* handle = EnableRecordModelAt(16);
  ASSERT_NE(handle, nullptr);
  WriteFieldRawById(handle, fid::kdmFuncSelectWaterMark, 1);
  const WCHAR* ini = nullptr;
  const WCHAR* section = nullptr;
  ASSERT_TRUE(UserListLocation(handle, ini, section));
  std::u16string folder(ini);
  folder.resize(folder.rfind(u'\\'));
  CreateDirectoryW(folder.c_str(), nullptr);  // the per-printer INI's folder
  const std::u16string longName(40, u'W');  // longer than the field holds
  for (int k = 0; k < 2; ++k) {
    WriteFieldRawById(handle, fid::kdmWmKind, 1);
    ASSERT_NE(SetFieldString(handle, FindFieldById(handle, fid::wdmWmCharName), k == 0 ? longName.c_str() : u"Draft"),
              nullptr);
    SaveStamp(handle, k);
  }
  SetFieldString(handle, FindFieldById(handle, fid::wdmWmCharName), u"Current");
  const std::vector<BYTE> before(handle->settings, handle->settings + GetSettingsBufferSize());
  std::vector<DWORD> numbers(3 + 4, 0xC5C5C5C5u);
  ASSERT_EQ(DoGetCaps(handle, 32, nullptr), 3);
  EXPECT_EQ(DoGetCaps(handle, 32, numbers.data()), 3);
  EXPECT_EQ(std::vector<DWORD>(numbers.begin(), numbers.begin() + 3), (std::vector<DWORD>{256, 1, 2}));
  std::vector<char> names(3 * 64 + 16, 'x');
  ASSERT_EQ(DoGetCaps(handle, 33, nullptr), 3);
  EXPECT_EQ(DoGetCaps(handle, 33, names.data()), 3);
  EXPECT_STREQ(names.data(), "");
  const std::string first(names.data() + 64);
  EXPECT_GT(first.size(), 0u);
  EXPECT_LT(first.size(), 64u);
  EXPECT_EQ(first, std::string(first.size(), 'W'));
  EXPECT_STREQ(names.data() + 128, "Draft");
  for (std::size_t i = 3 * 64; i < names.size(); ++i) EXPECT_EQ(names[i], 'x') << i;
  EXPECT_EQ(std::memcmp(before.data(), handle->settings, before.size()), 0);
  DoDisable(handle);
}

// A list asked with a buffer whose room is known (the record's blocks, sized by a first query)
// writes nothing beyond it: when its list has grown since it answers -1 and leaves the buffer.
TEST_F(CapabilityEngine, ListsKeepToTheRoomTheyAreGiven) {
  DriverContext* handle = EnableRecordModelAt(16);
  ASSERT_NE(handle, nullptr);
  for (DWORD id : {2u, 12u, 3u, 45u, 266u, 267u}) {
    SCOPED_TRACE(id);
    const std::int32_t count = DoGetCaps(handle, id, nullptr);
    ASSERT_GT(count, 1);
    const DWORD size = id == 12 ? 8u : NameListWidth(id) ? static_cast<DWORD>(NameListWidth(id)) : 4u;
    std::vector<BYTE> buffer(static_cast<std::size_t>(count) * size, 0xC5);
    {
      const ListRoomScope room(static_cast<DWORD>(count - 1));
      EXPECT_EQ(DoGetCaps(handle, id, buffer.data()), -1);
    }
    for (BYTE b : buffer) ASSERT_EQ(b, 0xC5);
    {
      const ListRoomScope room(static_cast<DWORD>(count));
      EXPECT_EQ(DoGetCaps(handle, id, buffer.data()), count);
    }
  }
  DoDisable(handle);
}

// The colour profiles as the API reaches them: the count the profile module keeps, and a
// name buffer zeroed and never written beyond its 64 characters and NUL.
TEST_F(CapabilityEngine, ProfileCountAndNameComeFromTheProfileModule) {
  DriverContext* handle = EnableAt(16);
  ASSERT_NE(handle, nullptr);
  EXPECT_EQ(GetProfileCountForApi(handle), GetProfileCount(handle));
  std::vector<WCHAR> name(kProfileNameChars + 8, u'Q');
  EXPECT_EQ(GetProfileNameForApi(handle, 0, name.data()), 1);
  EXPECT_NE(std::find(name.begin(), name.begin() + kProfileNameChars + 1, u'\0'), name.begin() + kProfileNameChars + 1);
  for (std::size_t i = kProfileNameChars + 1; i < name.size(); ++i) EXPECT_EQ(name[i], u'Q') << i;
  DoDisable(handle);
}

// Under code page 932 a preset name of double-byte characters longer than its 64-byte slot
// is cut at a character boundary and ended with NUL; nothing goes past the slots.
TEST_F(CapabilityEngine, PresetNamesAreCutAtACharacterBoundary) {
  DriverContext* handle = EnableAt(16);
  ASSERT_NE(handle, nullptr);
  const WCHAR* ini = nullptr;
  const WCHAR* section = nullptr;
  ASSERT_TRUE(UserListLocation(handle, ini, section));
  const std::u16string longName(100, u'\u3042');  // HIRAGANA A: two bytes in code page 932
  plat::Machine().ansiCodePage = 932;  // the INI's text is of the system code page too
  std::u16string folder(ini);
  folder.resize(folder.rfind(u'\\'));
  CreateDirectoryW(folder.c_str(), nullptr);  // the per-printer INI's folder
  ASSERT_TRUE(WriteIniString(section, u"Count", u"2", ini));
  WriteIniString(section, u"PresetList0Name", longName.c_str(), ini);
  WriteIniString(section, u"PresetList1Name", u"Short", ini);
  ASSERT_EQ(DoGetCaps(handle, 85, nullptr), 2);
  ASSERT_EQ(DoGetCaps(handle, 86, nullptr), 2);
  std::vector<char> slots(2 * 64 + 16, 'x');
  EXPECT_EQ(DoGetCaps(handle, 86, slots.data()), 2);
  WriteIniString(section, u"Count", u"0", ini);
  plat::Machine().ansiCodePage = savedCodePage_;
  const std::string first(slots.data());
  EXPECT_EQ(first.size(), 62u);  // 31 whole characters, then the NUL
  EXPECT_EQ(std::string(slots.data() + 64), "Short");
  for (std::size_t i = 128; i < slots.size(); ++i) EXPECT_EQ(slots[i], 'x') << i;
  DoDisable(handle);
}

// Offered names pair each offered value with the name of its code: lists of different lengths
// answer -1, and so does a name that does not fit its slot.
TEST_F(CapabilityEngine, OfferedNamesFollowTheCodeAndNameLists) {
  DriverContext* handle = EnableAt(16);
  ASSERT_NE(handle, nullptr);
  DWORD trays[8] = {};
  ASSERT_EQ(ListOfferedValues(handle, 2, trays, fid::dmDefaultSource, 8), 3);  // 7, 1, 4
  struct Case {
    const char* what;
    int codes, names, longName;
    std::int32_t answer;
    const char* second;  // the second slot's text when answered
  };
  const Case cases[] = {
      {"matching lists", 3, 3, 0, 3, "N1"},
      {"more codes than names", 4, 3, 0, -1, nullptr},
      {"more names than codes", 3, 4, 0, -1, nullptr},
      {"a name that fills its slot", 3, 3, 23, 3, "LLLLLLLLLLLLLLLLLLLLLLL"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    g_codeCount = c.codes;
    g_nameCount = c.names;
    g_longName = c.longName;
    std::vector<char> slots(3 * 24 + 8, 'x');
    EXPECT_EQ(ListOfferedValueNames(handle, 3, slots.data(), fid::dmDefaultSource, 24, FakeCodes, FakeNames),
              c.answer);
    if (c.second) {
      EXPECT_STREQ(slots.data(), "N0");
      EXPECT_STREQ(slots.data() + 24, c.second);
    }
    for (std::size_t i = 72; i < slots.size(); ++i) EXPECT_EQ(slots[i], 'x') << i;
  }
  DoDisable(handle);
}

TEST_F(CapabilityEngine, ControlLabelTableEndsWithItsTerminator) {
  DWORD count = 0;
  const ControlLabel* rows = GetControlLabelTable(&count);
  EXPECT_EQ(count, 57u);
  EXPECT_EQ(rows[count].controlId, 0);
  EXPECT_EQ(rows[count].stringId, 0);
  struct Case {
    WORD control;
    WORD string;
  };
  // The first row of a control wins; an unknown control has none.
  for (const Case& c : {Case{2284, 261}, Case{2132, 60405}, Case{2672, 92}, Case{3228, 13652}, Case{9999, 0}})
    EXPECT_EQ(FindControlLabel(c.control), c.string) << c.control;
}

// A product that refuses the emulation choice has no emulation list: the record still builds,
// its emulation entry 0.
TEST_F(CapabilityEngine, RefusedEmulationLeavesItsRecordEntryZero) {
  DriverContext* handle = EnableRecordModelAt(16);
  ASSERT_NE(handle, nullptr);
  handle->product->driverType = 1;
  const std::int32_t address = DoGetCaps(handle, 0x80000001u, nullptr);
  ASSERT_NE(address, 0) << DoGetLastError(handle);
  auto* record = static_cast<BYTE*>(LowMemoryFromSlot(static_cast<DWORD>(address)));
  EXPECT_EQ(Slot(record, 252), 0u);
  EXPECT_EQ(Slot(record, 256), 0u);
  EXPECT_EQ(Slot(record, 264), 2u);  // the print areas are there
  EXPECT_EQ(DoGetCaps(handle, 0x80000002u, record), 1);
  DoDisable(handle);
}

TEST_F(CapabilityEngine, ModelWithoutEmulationHasNoRecord) {
  DriverContext* handle = EnableAt(16);  // the unit tests' model has no emulation option
  ASSERT_NE(handle, nullptr);
  ASSERT_EQ(DoGetCaps(handle, 45, nullptr), -1);
  SetApiError(handle, 0);
  EXPECT_EQ(DoGetCaps(handle, 0x80000001u, nullptr), 0);
  EXPECT_EQ(DoGetLastError(handle), 100);
  DoDisable(handle);
}

// The lists' edge cases on the capability model: each row sets the settings up, asks one id
// through the dispatcher (or its handler alone) and checks the answer, the entries, and what
// is left behind.
TEST_F(CapabilityEngine, ListEdgeCases) {
  struct Case {
    const char* what;
    std::int32_t version;
    int functions;
    std::function<void(DriverContext*)> setup;
    DWORD id;
    bool handlerOnly;  // the handler without the dispatcher's preconditions
    std::int32_t answer;
    std::vector<DWORD> values;        // a value list's entries
    std::vector<std::string> names;   // a name list's slots
    std::int32_t error = -2;          // the last error after the call (-2: not looked at)
    std::function<void(DriverContext*)> after = nullptr;
  };
  auto none = [](DriverContext*) {};
  auto write = [](WORD field, DWORD value) {
    return [field, value](DriverContext* h) { WriteFieldRawById(h, field, value); };
  };
  const Case cases[] = {
      {"watermark kinds at version 2 never list 128", 2, 1, write(fid::kdmFuncSelectWaterMark, 1), 30, false, 2,
       {1, 2}, {}},
      {"watermark kinds at version 16 list 128 with function bit 0", 16, 1, none, 30, false, 3, {1, 2, 128}, {}},
      {"watermark kinds without function bit 0", 16, 0, none, 30, false, 2, {1, 2}, {}},
      {"watermark numbers without a stored watermark", 16, -1, none, 32, false, 1, {256}, {}},
      {"watermark names without a stored watermark", 16, -1, none, 33, false, 1, {}, {""}},
      {"mark paper types while the rules disable them", 16, -1, write(fid::kdmFuncSelectMark, 0), 56, false, 2,
       {1, 0}, {}},
      {"mark paper types, enabled, then 0", 16, -1, write(fid::kdmFuncSelectMark, 1), 56, false, 4, {0, 1, 2, 0}, {}},
      {"colour modes with adjust mode 1 and none enabled", 16, -1, write(fid::kdmAdjustMode, 1), 61, true, 0, {}, {},
       -2, [](DriverContext* h) { EXPECT_EQ(ReadFieldRawById(h, fid::kdmAdjustMode), 1u); }},
      {"emulations", 16, -1, none, 45, false, 3, {0, 1, 2}, {}},
      {"emulations on a product that refuses them", 16, -1, [](DriverContext* h) { h->product->driverType = 1; }, 45,
       false, -1, {}, {}, kEmulationRefusedError},
      {"print areas", 16, -1, none, 47, false, 2, {0, 1}, {}},
      {"print methods", 16, -1, none, 18, false, 3, {0, 1, 2}, {}},
      {"print macros", 16, -1, none, 266, false, 3, {0, 1, 2}, {}},
      {"balance macros", 16, -1, none, 268, false, 2, {0, 1}, {}},
      // The macros' value map names values by id, which no row of the control label table
      // holds: the slots stay as the caller gave them.
      {"print macro names", 16, -1, none, 267, false, 3, {}, {"", "", ""}},
      {"output tray names: the model's name of tray 0", 16, -1, none, 7, false, 1, {}, {"Upper tray"}},
      {"input tray names: string 204 for a tray the bin list lacks", 16, -1, none, 3, false, 3, {},
       {"Automatic selection", "Unlisted", "Manual feed"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    DriverContext* handle = EnableEditedAt(c.version, "", "", c.functions, true);
    if (!handle) {
      ADD_FAILURE() << "not enabled";
      continue;
    }
    c.setup(handle);
    SetApiError(handle, 0);
    auto ask = [&](void* buffer) {
      if (!c.handlerOnly) return DoGetCaps(handle, c.id, buffer);
      return NameListWidth(c.id) ? AnswerNameList(handle, c.id, buffer) : AnswerValueList(handle, c.id, buffer);
    };
    EXPECT_EQ(ask(nullptr), c.answer);
    const int width = NameListWidth(c.id) ? NameListWidth(c.id) : 4;
    const std::size_t count = c.answer > 0 ? static_cast<std::size_t>(c.answer) : 0;
    std::vector<BYTE> buffer(count * width + 16, 0);
    EXPECT_EQ(ask(buffer.data()), c.answer);
    if (!c.values.empty()) {
      std::vector<DWORD> got(count);
      std::memcpy(got.data(), buffer.data(), count * 4);
      EXPECT_EQ(got, c.values);
    }
    for (std::size_t i = 0; i < c.names.size() && i < count; ++i)
      EXPECT_EQ(std::string(reinterpret_cast<const char*>(buffer.data() + i * width)), c.names[i]) << i;
    if (c.error != -2) {
      EXPECT_EQ(DoGetLastError(handle), c.error);
    }
    if (c.after) c.after(handle);
    DoDisable(handle);
    ResetApiGlobals();
  }
}

// Output trays: a 0 first, then the model's non-zero trays only when it has two or more.
TEST_F(CapabilityEngine, OutputTraysNeedTwoBesidesTheFirst) {
  struct Case {
    std::vector<std::int32_t> model;
    DWORD capacity;
    std::vector<DWORD> listed;
  };
  const Case cases[] = {
      {{0, 1}, 8, {0}},
      {{1, 2}, 8, {0, 1, 2}},
      {{}, 8, {0}},
      {{0, 3, 0, 5, 6}, 8, {0, 3, 5, 6}},
      {{1, 2, 3}, 2, {0, 1}},  // never beyond the room given
      {{1, 2}, 0, {}},
  };
  for (const Case& c : cases) {
    std::vector<DWORD> out(c.capacity + 4, 0xC5C5C5C5u);
    const std::int32_t n =
        ArrangeOutputTrays(c.model.data(), static_cast<DWORD>(c.model.size()), c.capacity ? out.data() : nullptr, c.capacity);
    ASSERT_EQ(n, static_cast<std::int32_t>(c.listed.size()));
    EXPECT_EQ(std::vector<DWORD>(out.begin(), out.begin() + n), c.listed);
    for (std::size_t i = c.capacity; i < out.size(); ++i) EXPECT_EQ(out[i], 0xC5C5C5C5u);
  }
}

}  // namespace
}  // namespace capability_engine_test
}  // namespace kovatest
