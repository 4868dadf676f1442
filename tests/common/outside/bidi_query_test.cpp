// The two-way query against the library that answers from a file: the tray, option, memory
// and version answers written into the printer-side settings, every failing step leaving
// them as they were, the model check, the custom media and two threads querying at once.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "base/paths_and_names.h"
#include "build_paths.h"
#include "fields/devmode_header.h"
#include "fields/languages.h"
#include "fields/product_record.h"
#include "base/deliverable.h"
#include "outside/bidi_abi.h"
#include "outside/bidi_cache.h"
#include "outside/bidi_query.h"
#include "outside_fixture.h"
#include "plat/system.h"
#include "win/files.h"
#include "win/kernel.h"
#include "win/profile.h"
#include "win/spool.h"

namespace kovatest {
namespace bidi_query_test {

constexpr char16_t kReported[] = u"KOVA Model One";

class BidiQuery : public OutsideTest {
 protected:
  void SetUp() override {
    OutsideTest::SetUp();
    Place(BuiltFile("Bidiman4NT"), SystemFolder() + u"\\Bidiman4NT.so");
    // The printer's settings INI, where the query's switches are read.
    root_.WriteFile(GetUserIniPath(ctx_), "");
    Prepare(ctx_);
  }
  // The printer has the two-way attribute and the model database names the model.
  void Prepare(DriverContext* context) {
    context->work->attributes |= PRINTER_ATTRIBUTE_ENABLE_BIDI;
    context->work->attributesKnown = 1;
    WritePrivateProfileStringW(u"Models", GetModelName(context), kReported, GetSecondIniPath(context));
  }
  static std::u16string AnswersFile() {
    WCHAR folder[260] = {};
    GetWindowsDirectoryW(folder, 260);
    return std::u16string(folder) + u"\\Bidiman4NT.ini";
  }
  // The printer's answers: "Key=value" lines; the model is reported unless a line says else.
  static void Answers(const std::u16string& printer, const std::vector<std::pair<std::u16string, std::u16string>>& lines,
                      bool withModel = true) {
    const std::u16string file = AnswersFile();
    WritePrivateProfileStringW(printer.c_str(), nullptr, nullptr, file.c_str());
    if (withModel) WritePrivateProfileStringW(printer.c_str(), u"Model", kReported, file.c_str());
    for (const auto& [key, value] : lines) WritePrivateProfileStringW(printer.c_str(), key.c_str(), value.c_str(), file.c_str());
  }
  DWORD Raw(WORD id) const { return ReadFieldRawById(ctx_, id); }
  std::vector<BYTE> Area() const { return std::vector<BYTE>(GetArea2(ctx_), GetArea2(ctx_) + GetArea2Size()); }
  std::string AnsiText(WORD id) const {
    SettingField* f = FindFieldById(ctx_, id);
    WCHAR text[300] = {};
    if (f) GetFieldString(ctx_, f, text, 300);
    std::string out;
    for (const WCHAR* p = text; *p; ++p) out += static_cast<char>(*p);
    return out;
  }
  std::vector<BYTE> PrinterValue(const char16_t* name) const {
    DWORD type = 0, needed = 0;
    std::vector<BYTE> bytes(64, 0xEE);
    if (GetPrinterDataW(printer_, const_cast<LPWSTR>(name), &type, bytes.data(), 64, &needed) != 0) return {};
    bytes.resize(needed);
    return bytes;
  }
};

// Field values after a full query of the printer "Office".
struct TrayCase {
  const char* name;
  std::vector<std::pair<std::u16string, std::u16string>> answers;
  std::vector<std::pair<WORD, DWORD>> before;    // set before the query
  std::vector<std::pair<WORD, DWORD>> expected;  // read after it
};

TEST_F(BidiQuery, AnswersFillThePrinterSideSettings) {
  const std::vector<TrayCase> cases = {
      {"installed, paper, orientation, media and lock of each tray",
       {{u"Kind1", u"3 5"}, {u"Kind20", u"21 20"}, {u"Kind21", u"1 0"}, {u"Kind23", u"1 0"}},
       {},
       {{10111, 1}, {10113, 1}, {10175, 5}, {10143, 0}, {10177, 5}, {10145, 1}, {10239, 1}, {10241, 0}, {10209, 0}}},
      {"tray 12 then tray 4 share their fields; the later one wins",
       {{u"Kind1", u"12 4"}, {u"Kind20", u"21 20"}, {u"Kind21", u"0 0"}, {u"Kind23", u"0 1"}},
       {},
       {{10112, 1}, {10144, 1}, {10176, 5}, {10240, 1}}},
      {"a paper id in neither map gives paper 0 and orientation 1",
       {{u"Kind1", u"3"}, {u"Kind20", u"999"}, {u"Kind21", u"0"}, {u"Kind23", u"0"}},
       {{10175, 9}},
       {{10111, 1}, {10175, 0}, {10143, 1}}},
      {"kind 20 shorter than kind 1 leaves the second tray's paper unreported",
       {{u"Kind1", u"3 5"}, {u"Kind20", u"21"}, {u"Count20", u"2"}, {u"Kind21", u"0 0"}, {u"Kind23", u"0 0"}},
       {{10177, 9}},
       {{10111, 1}, {10113, 1}, {10175, 5}, {10177, 9}}},
      {"no tray answer is success with every tray cleared",
       {{u"Kind2", u"1 16"}},
       {{10111, 1}},
       {{10111, 0}, {10014, 1}, {10021, 1}}},
      {"the chapter default trays start again from the tray of printer tray 3",
       {{u"Kind1", u"5"}, {u"Kind20", u"21"}, {u"Kind21", u"0"}, {u"Kind23", u"0"}},
       {{10278, 7}, {10279, 7}, {10280, 7}},
       {{10278, 1}, {10279, 1}, {10280, 1}, {10276, 1}}},
      {"memory 65536 gives 64",
       {{u"Kind11", u"65536"}},
       {},
       {{10012, 64}}},
      {"options set their fields; unknown codes nothing",
       {{u"Kind2", u"3 77"}},
       {{10014, 1}},
       {{10070, 1}, {10014, 0}}},
  };
  for (const TrayCase& c : cases) {
    SCOPED_TRACE(c.name);
    Answers(u"Office", c.answers);
    for (auto [id, value] : c.before) WriteFieldRawById(ctx_, id, value);
    ASSERT_EQ(QueryPrinterBidiSilent(ctx_), 1);
    for (auto [id, value] : c.expected) EXPECT_EQ(Raw(id), value) << "field " << id;
    EXPECT_EQ(GetStateByte(ctx_, fid::KPD_kdmBiDirect), 1u);
    EXPECT_EQ(PrinterValue(u"BidiFlag"), (std::vector<BYTE>{1, 0, 0, 0}));
  }
}

TEST_F(BidiQuery, TheModulesRunTheQueryTheyAreAskedFor) {
  Answers(u"Office", {{u"Kind11", u"65536"}, {u"Kind8", u"System 1.0"}, {u"Sub2", u"Emulation 3"}});
  EXPECT_EQ(RequestBidiQueryFromModules(ctx_, nullptr), 1);
  EXPECT_EQ(Raw(fid::kdmPrinterMemory), 64u);
  SetText(fid::kdmSystemVersion, u"");
  SetText(fid::kdmEmulationVersion, u"");
  WriteFieldRawById(ctx_, fid::kdmPrinterMemory, 0);
  EXPECT_EQ(QueryPrinterStatusBidi(ctx_, nullptr), 1);
  EXPECT_EQ(Text(fid::kdmSystemVersion), u"System 1.0");
  EXPECT_EQ(Text(fid::kdmEmulationVersion), u"Emulation 3");
  EXPECT_EQ(Raw(fid::kdmPrinterMemory), 0u) << "a status query asks for the versions only";
}

TEST_F(BidiQuery, VersionTextsEndInsideTheirFields) {
  const std::u16string longText(40, u'V');
  Answers(u"Office", {{u"Kind8", longText}, {u"Sub2", u"Emulation 2.5"}, {u"Sub259", std::u16string(50, u'O')},
                      {u"Sub258", u"2"}});
  ASSERT_EQ(QueryPrinterBidiSilent(ctx_), 1);
  EXPECT_EQ(AnsiText(fid::kdmSystemVersion), std::string(15, 'V'));
  EXPECT_EQ(AnsiText(fid::kdmEmulationVersion), "Emulation 2.5");
  EXPECT_EQ(AnsiText(fid::kdmOther), std::string(32, 'O'));
  EXPECT_EQ(Raw(fid::kdmMemoryType), 0u);
}

// On a double-byte code page a text that does not fit ends before a character it would
// split.
TEST_F(BidiQuery, AVersionTextEndsBeforeADoubleByteCharacterItWouldSplit) {
  const UINT codePage = plat::Machine().ansiCodePage;
  plat::Machine().ansiCodePage = 932;
  // 14 single bytes, then the two bytes of one character at the 15th and 16th place: the
  // 16-byte field keeps 15 bytes and its NUL, so the character goes whole.
  std::u16string text(14, u'A');
  text += u"\u0082\u00A0";
  Answers(u"Office", {{u"Kind8", text}, {u"Sub258", u"1"}, {u"Sub2", u"AAAAAAAAAAAAA\u0082\u00A0B"}});
  ASSERT_EQ(QueryPrinterBidiSilent(ctx_), 1);
  EXPECT_EQ(Text(fid::kdmSystemVersion), std::u16string(14, u'A'));
  EXPECT_EQ(Text(fid::kdmEmulationVersion), std::u16string(13, u'A') + u"\u3042");
  plat::Machine().ansiCodePage = codePage;
}

// Each failing step answers 0 and leaves area 2 and the printer data as they were, but for
// the two version texts, which are emptied.
struct FailureCase {
  const char* name;
  std::vector<std::pair<std::u16string, std::u16string>> answers;
  int library;  // 0 the library, 1 none, 2 a module without the export
};

TEST_F(BidiQuery, AFailingStepLeavesTheSettingsAsTheyWere) {
  const std::vector<FailureCase> cases = {
      {"no library", {{u"Kind1", u"3"}}, 1},
      {"no export", {{u"Kind1", u"3"}}, 2},
      {"open fails", {{u"Kind1", u"3"}, {u"FailStep", u"open"}}, 0},
      {"ok = 0", {{u"Kind1", u"3"}, {u"FailStep", u"ok"}}, 0},
      {"model name not read", {{u"Kind1", u"3"}, {u"FailStep", u"model"}}, 0},
      {"model mismatch", {{u"Kind1", u"3"}, {u"Model", u"Another Model"}}, 0},
      {"start-query error", {{u"Kind1", u"3"}, {u"FailStep", u"start"}, {u"Error", u"31"}}, 0},
      {"kind 2 = -1", {{u"Kind1", u"3"}, {u"Kind2", u"1"}, {u"FailStep", u"item"}, {u"FailKind", u"2"}}, 0},
      {"kind 20 = -1",
       {{u"Kind1", u"3"}, {u"Kind20", u"21"}, {u"FailStep", u"item"}, {u"FailKind", u"20"}}, 0},
  };
  const DWORD stale = 0;
  SetPrinterDataW(printer_, const_cast<LPWSTR>(u"BidiFlag"), REG_BINARY, reinterpret_cast<BYTE*>(const_cast<DWORD*>(&stale)), 4);
  for (const FailureCase& c : cases) {
    SCOPED_TRACE(c.name);
    Answers(u"Office", c.answers);
    if (c.library == 1) DeleteFileW((SystemFolder() + u"\\Bidiman4NT.so").c_str());
    if (c.library == 2) Place(BuiltFile("Jobcora32"), SystemFolder() + u"\\Bidiman4NT.so");
    WriteFieldRawById(ctx_, 10111, 1);
    WriteFieldRawById(ctx_, 10175, 9);
    SetText(fid::kdmSystemVersion, u"old system");
    SetText(fid::kdmEmulationVersion, u"old emulation");
    SetStateByte(ctx_, fid::KPD_kdmBiDirect, 1);
    const std::vector<BYTE> flag = PrinterValue(u"BidiFlag");
    const std::vector<BYTE> before = Area();

    EXPECT_EQ(QueryPrinterBidiSilent(ctx_), 0);
    EXPECT_EQ(Text(fid::kdmSystemVersion), u"");
    EXPECT_EQ(Text(fid::kdmEmulationVersion), u"");
    EXPECT_EQ(GetStateByte(ctx_, fid::KPD_kdmBiDirect), 0u);
    SetText(fid::kdmSystemVersion, u"old system");
    SetText(fid::kdmEmulationVersion, u"old emulation");
    EXPECT_EQ(Area(), before);
    EXPECT_EQ(PrinterValue(u"BidiFlag"), flag);
    Place(BuiltFile("Bidiman4NT"), SystemFolder() + u"\\Bidiman4NT.so");
  }
}

// The allowed-model list of the second model INI and the model switch of the settings INI.
struct ModelCase {
  bool list;         // a list naming "Listed Model"
  bool checkSwitch;  // bIsBIDISupportForKOVAModel = 1
  const char16_t* reported;
  int answer;
};

TEST_F(BidiQuery, ModelCheck) {
  const std::vector<ModelCase> cases = {
      {false, true, kReported, 1},       {false, true, u"Other", 0},
      {false, false, u"Other", 1},       {true, true, u"Listed Model", 1},
      {true, true, kReported, 0},        {true, false, u"Listed Model", 0},
  };
  const std::u16string second = GetSecondIniPath(ctx_);
  const std::u16string user = GetUserIniPath(ctx_);
  ASSERT_EQ(user.size() > 1 && user[1] == u':', true);
  for (const ModelCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "list " << c.list << ", switch " << c.checkSwitch << ", answer " << c.answer);
    Answers(u"Office", {{u"Kind1", u"3"}, {u"Model", c.reported}}, false);
    WritePrivateProfileStringW(u"Models1", nullptr, nullptr, second.c_str());
    if (c.list) WritePrivateProfileStringW(u"Models1", GetModelName(ctx_), u"Listed Model", second.c_str());
    WritePrivateProfileStringW(GetLanguageCodeCopy(ctx_), u"bIsBIDISupportForKOVAModel", c.checkSwitch ? u"1" : u"0",
                               user.c_str());
    EXPECT_EQ(QueryPrinterBidiSilent(ctx_), c.answer);
  }
}

TEST_F(BidiQuery, TheQuerySwitchOffAnswersDoneWithoutAsking) {
  Answers(u"Office", {{u"Kind1", u"3"}});
  WritePrivateProfileStringW(GetLanguageCodeCopy(ctx_), u"bIsBIDISupportForKOVA", u"0", GetUserIniPath(ctx_));
  WriteFieldRawById(ctx_, 10111, 0);
  EXPECT_EQ(QueryPrinterBidiSilent(ctx_), 1);
  EXPECT_EQ(Raw(10111), 0u);
  EXPECT_EQ(GetStateByte(ctx_, fid::KPD_kdmBiDirect), 0u);
  EXPECT_EQ(SetBidiStateFromSupport(ctx_), 1);
  EXPECT_EQ(GetStateByte(ctx_, fid::KPD_kdmBiDirect), 0u);
}

// The custom media of a printer whose special-model mask has bit 0.
struct CustomCase {
  const char* name;
  std::u16string count;
  std::u16string names;  // '|' between names
  bool lastEnds;         // the last name is sent with its NUL
  std::vector<std::pair<int, std::u16string>> expected;  // slot, name
};

TEST_F(BidiQuery, CustomMediaNamesEndInsideTheirAnswer) {
  std::u16string twenty;
  for (int k = 0; k < 20; ++k) twenty += (k ? u"|" : u"") + std::u16string(3, static_cast<char16_t>(u'a' + k));
  const std::vector<CustomCase> cases = {
      {"a count of 20 stops at the 16th slot", u"20", twenty, true, {{0, u"aaa"}, {15, u"ppp"}}},
      {"the last name without its NUL", u"3", u"aaa|bbb|ccc", false, {{1, u"bbb"}, {2, u"ccc"}}},
      {"fewer names than the count", u"3", u"aaa", false, {{0, u"aaa"}, {1, u""}, {2, u""}}},
      {"a name longer than a slot", u"2", std::u16string(300, u'x') + u"|yy", true, {{1, u"yy"}}},
  };
  const CustomMediaIdRow* slots = GetCustomMediaIdTable();
  for (const CustomCase& c : cases) {
    SCOPED_TRACE(c.name);
    ctx_->work->specialModelMask |= 1;
    Answers(u"Office", {{u"Kind80", c.count}, {u"Kind81", u"1 3"}, {u"Kind82", c.names},
                        {u"Kind82End", c.lastEnds ? u"1" : u"0"}, {u"Kind83", u"0 128"}});
    ASSERT_EQ(QueryPrinterBidiSilent(ctx_), 1);
    EXPECT_EQ(std::to_string(Raw(fid::wdmCustomMediaDataNum)), std::string(c.count.begin(), c.count.end()));
    EXPECT_EQ(Raw(slots[1].charSetFieldId), 128u);
    for (const auto& [slot, name] : c.expected) EXPECT_EQ(Text(slots[slot].nameFieldId), name) << slot;
  }
}

TEST_F(BidiQuery, TwoThreadsQueryTwoContextsAtOnce) {
  HANDLE otherPrinter = InstallPrinter(u"Lab");
  DriverContext* other = Create(otherPrinter);
  ASSERT_NE(other, nullptr);
  Prepare(other);
  Answers(u"Office", {{u"Kind1", u"3"}, {u"Kind11", u"65536"}});
  Answers(u"Lab", {{u"Kind1", u"5"}, {u"Kind11", u"131072"}});
  int answers[2] = {};
  std::thread first([&] {
    for (int i = 0; i < 20; ++i) answers[0] += QueryPrinterBidiSilent(ctx_);
  });
  std::thread second([&] {
    for (int i = 0; i < 20; ++i) answers[1] += QueryPrinterBidiSilent(other);
  });
  first.join();
  second.join();
  EXPECT_EQ(answers[0], 20);
  EXPECT_EQ(answers[1], 20);
  EXPECT_EQ(Raw(fid::kdmPrinterMemory), 64u);
  EXPECT_EQ(ReadFieldRawById(other, fid::kdmPrinterMemory), 128u);
  ReleaseContext(other, CTXR_DESTROY);
}

// The cache: a user who cannot write printer data keeps the answers in Fennicb.ini, the next
// context of someone who can moves them into printer data, a connection never touches it.
class BidiCache : public BidiQuery {
 protected:
  void SetUp() override {
    BidiQuery::SetUp();
    // Printer initialisation leaves the three flags in printer data, cleared.
    const DWORD zero = 0;
    BYTE none = 0;
    SetPrinterDataW(printer_, const_cast<LPWSTR>(u"BidiFlag"), REG_BINARY, reinterpret_cast<BYTE*>(const_cast<DWORD*>(&zero)), 4);
    SetPrinterDataW(printer_, const_cast<LPWSTR>(u"BidiExFlag"), REG_BINARY, reinterpret_cast<BYTE*>(const_cast<DWORD*>(&zero)), 4);
    SetPrinterDataW(printer_, const_cast<LPWSTR>(u"BidiFunc"), REG_BINARY, &none, 1);
    WCHAR path[MAX_PATH] = {};
    ASSERT_TRUE(GetBidiCachePath(ctx_, path, MAX_PATH));
    cache_ = path;
  }
  void TearDown() override {
    for (DriverContext* c : users_) ReleaseContext(c, CTXR_DESTROY);
    BidiQuery::TearDown();
  }
  // A context on a handle that may use the printer but not administer it.
  DriverContext* UserContext() {
    HANDLE h = nullptr;
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ACCESS_USE};
    EXPECT_TRUE(OpenPrinterW(const_cast<LPWSTR>(u"Office"), &h, &defaults));
    handles_.push_back(h);
    DriverContext* c = Create(h);
    EXPECT_NE(c, nullptr);
    if (c) {
      Prepare(c);
      users_.push_back(c);
    }
    return c;
  }
  std::u16string CacheKey(const char16_t* key) const {
    WCHAR value[64] = {};
    GetPrivateProfileStringW(u"Office", key, u"<none>", value, 64, cache_.c_str());
    return value;
  }
  std::u16string cache_;
  std::vector<DriverContext*> users_;
};

TEST_F(BidiCache, LoadingAMissingCacheFileLoadsNothingAndCreatesNoFile) {
  DeleteFileW(cache_.c_str());
  const std::vector<BYTE> before = Area();
  EXPECT_EQ(LoadBidiCacheIni(ctx_), 0);
  EXPECT_EQ(GetFileAttributesW(cache_.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(Area(), before);
}

TEST_F(BidiCache, AUserWithoutWriteAccessKeepsTheAnswersInTheCacheUntilAnAdministratorMovesThem) {
  Answers(u"Office", {{u"Kind11", u"65536"}, {u"Kind1", u"3"}, {u"Kind20", u"21"}, {u"Kind21", u"0"}, {u"Kind23", u"4"}});
  DriverContext* user = UserContext();
  ASSERT_NE(user, nullptr);
  EXPECT_EQ(CanWriteBidiPrinterData(user), FALSE);
  ASSERT_EQ(QueryPrinterBidiSilent(user), 1);
  EXPECT_EQ(PrinterValue(u"BidiFlag"), (std::vector<BYTE>{0, 0, 0, 0}));
  EXPECT_EQ(CacheKey(u"BidiFlag"), u"1");
  EXPECT_EQ(CacheKey(u"BidiExFlag"), u"1");
  EXPECT_EQ(CacheKey(u"BidiFunc"), std::u16string(u"1"));
  EXPECT_EQ(HasBidiCacheIni(user), 1);
  EXPECT_EQ(IsBidiCacheIniSet(user), TRUE);
  DWORD cached = 0;
  EXPECT_TRUE(ReadCachedBidiFlag(user, &cached));
  EXPECT_EQ(cached, 1u);
  EXPECT_EQ(IsBidiExtended(user), 1);

  // The next context with write access takes the cached answers into printer data.
  DriverContext* admin = Create(printer_);
  ASSERT_NE(admin, nullptr);
  EXPECT_EQ(ReadFieldRawById(admin, fid::kdmPrinterMemory), 64u);
  EXPECT_EQ(CacheKey(u"BidiFlag"), u"<none>");
  EXPECT_EQ(HasBidiCacheIni(admin), 0);
  ReleaseContext(admin, CTXR_DESTROY);
  DriverContext* later = Create(printer_);
  ASSERT_NE(later, nullptr);
  EXPECT_EQ(ReadFieldRawById(later, fid::kdmPrinterMemory), 64u);
  ReleaseContext(later, CTXR_DESTROY);
}

TEST_F(BidiCache, AnAdministratorsQueryGoesToPrinterDataAndClearsTheSection) {
  WritePrivateProfileStringW(u"Office", u"BidiFlag", u"0", cache_.c_str());
  Answers(u"Office", {{u"Kind11", u"65536"}});
  ASSERT_EQ(QueryPrinterBidiSilent(ctx_), 1);
  EXPECT_EQ(PrinterValue(u"BidiFlag"), (std::vector<BYTE>{1, 0, 0, 0}));
  EXPECT_EQ(CacheKey(u"BidiFlag"), u"<none>");
  EXPECT_EQ(IsBidiFlagSet(printer_, ctx_), 1);
}

TEST_F(BidiCache, AConnectionNeverTouchesTheCache) {
  Answers(u"Office", {{u"Kind11", u"65536"}});
  DriverContext* user = UserContext();
  ASSERT_NE(user, nullptr);
  SetStateByte(user, fid::KPD_kdmServerClientMode, 1);
  ASSERT_EQ(QueryPrinterBidi(user, nullptr, kBidiSilent), 1);
  EXPECT_EQ(CacheKey(u"BidiFlag"), u"<none>");
  // Its acceptance of the trays goes to printer data even when the section has the key.
  WritePrivateProfileStringW(u"Office", u"BidiExFlag", u"0", cache_.c_str());
  MarkBidiExtended(ctx_);
  EXPECT_EQ(CacheKey(u"BidiExFlag"), u"1");
  SetStateByte(ctx_, fid::KPD_kdmServerClientMode, 1);
  WritePrivateProfileStringW(u"Office", u"BidiExFlag", u"0", cache_.c_str());
  MarkBidiExtended(ctx_);
  EXPECT_EQ(CacheKey(u"BidiExFlag"), u"0");
  EXPECT_EQ(PrinterValue(u"BidiExFlag"), (std::vector<BYTE>{1, 0, 0, 0}));
}

// The reported trays go into the document's trays once; the settings API copies them always.
struct CopyCase {
  const char* name;
  Deliverable deliverable;
  DWORD exFlag;     // printer data BidiExFlag
  DWORD expected;   // kdmCoverInputTray afterwards (the default tray is 5, the field starts at 9)
};

TEST_F(BidiCache, CopyBidiTrayFeatures) {
  const std::vector<CopyCase> cases = {
      {"not yet copied", Deliverable::Interface, 0, 5},
      {"already copied", Deliverable::Interface, 1, 9},
      {"the settings API copies whatever the flag says", Deliverable::SettingsApi, 1, 5},
  };
  for (const CopyCase& c : cases) {
    SCOPED_TRACE(c.name);
    SetDeliverable(c.deliverable);
    SetPrinterDataW(printer_, const_cast<LPWSTR>(u"BidiExFlag"), REG_BINARY, reinterpret_cast<BYTE*>(const_cast<DWORD*>(&c.exFlag)), 4);
    WriteFieldRawById(ctx_, fid::kdmCoverDefTray, 5);
    WriteFieldRawById(ctx_, fid::kdmCoverInputTray, 9);
    CopyBidiTrayFeatures(ctx_);
    EXPECT_EQ(Raw(fid::kdmCoverInputTray), c.expected);
  }
  SetDeliverable(Deliverable::Interface);
}

struct PickCase {
  std::vector<DWORD> trays;
  DWORD picked;
};

TEST(BidiTrayChoice, PreferredTrayAndTrayCodes) {
  const std::vector<PickCase> cases = {{{}, 0}, {{1, 2}, 2}, {{101, 12, 7}, 7}, {{99}, 0}, {{4, 3}, 3}};
  for (const PickCase& c : cases)
    EXPECT_EQ(PickPreferredTray(c.trays.data(), static_cast<int>(c.trays.size())), c.picked);
  const std::vector<std::pair<DWORD, DWORD>> codes = {{3, 1}, {4, 3}, {12, 5}, {7, 11}, {11, 11}, {2, 4}, {70, 298}, {99, 0}};
  for (auto [tray, code] : codes) EXPECT_EQ(MapBidiTrayId(tray), code) << tray;
  const DWORD* list = GetBidiTrayPriorityList();
  EXPECT_EQ(list[0], 3u);
  EXPECT_EQ(list[kBidiTrayPriorityCount - 1], 101u);
}

// A failed library call of a context with an item-API state is told to the sink with the
// API's code; a context without one tells nothing.
std::vector<std::int32_t> g_told;
void Tell(DriverContext*, std::int32_t code) { g_told.push_back(code); }

struct ErrorCase {
  const char* name;
  std::vector<std::pair<std::u16string, std::u16string>> answers;
  bool apiState;
  std::vector<std::int32_t> told;
};

TEST_F(BidiQuery, FailedLibraryCallsReachTheSettingsApisLastError) {
  const std::vector<ErrorCase> cases = {
      {"start fails with 14", {{u"FailStep", u"start"}, {u"Error", u"14"}}, true, {201}},
      {"open fails with 10", {{u"FailStep", u"open"}, {u"Error", u"10"}}, true, {202}},
      {"kind 2 fails with 2", {{u"Kind2", u"1"}, {u"FailStep", u"item"}, {u"FailKind", u"2"}, {u"Error", u"2"}}, true, {200}},
      {"no item-API state", {{u"FailStep", u"start"}, {u"Error", u"14"}}, false, {}},
  };
  int dummy = 0;
  SetBidiErrorSink(Tell);
  for (const ErrorCase& c : cases) {
    SCOPED_TRACE(c.name);
    g_told.clear();
    Answers(u"Office", c.answers);
    ctx_->work->apiState = c.apiState ? reinterpret_cast<ApiState*>(&dummy) : nullptr;
    EXPECT_EQ(QueryPrinterBidi(ctx_, nullptr, kBidiAllow9x), 0);
    EXPECT_EQ(g_told, c.told);
  }
  ctx_->work->apiState = nullptr;
  SetBidiErrorSink(nullptr);
}

TEST(BidiTrayChoice, LibraryErrorsMapToApiCodes) {
  const std::vector<std::pair<DWORD, std::int32_t>> rows = {{14, 201}, {56, 201}, {10, 202}, {102, 0}, {2, 200},
                                                            {18, 200}, {12345, 200}};
  for (auto [win32, api] : rows) EXPECT_EQ(MapBidiErrorToApi(win32), api) << win32;
}

}  // namespace bidi_query_test
}  // namespace kovatest
