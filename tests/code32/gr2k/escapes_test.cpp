// DrvEscape: each escape with good and bad sizes, the job strings it stores, the settings
// INI path it accepts, the display-string table and raw pass-through.
#include <cstring>
#include <string>
#include <vector>

#include "base/driver_context.h"
#include "fields/field_table.h"
#include "base/settings_dirs.h"
#include "escapes.h"
#include "in_process_job.h"
#include "record_buffer.h"
#include "win/errors.h"

namespace rendara::test {
namespace {

class Escapes : public DeviceJob {
 protected:
  std::string Text(WORD id) {
    SettingField* field = FindFieldById(Context(), id);
    const BYTE* value = GetFieldAddress(Context(), field);
    return std::string(reinterpret_cast<const char*>(value),
                       strnlen(reinterpret_cast<const char*>(value), FieldSizeOf(field->type)));
  }
};

std::vector<BYTE> Word(WORD v) { return {static_cast<BYTE>(v), static_cast<BYTE>(v >> 8)}; }
std::vector<BYTE> Dword(DWORD v) {
  return {static_cast<BYTE>(v), static_cast<BYTE>(v >> 8), static_cast<BYTE>(v >> 16), static_cast<BYTE>(v >> 24)};
}
std::vector<BYTE> TextBytes(const std::string& s) { return std::vector<BYTE>(s.begin(), s.end()); }

struct SizeCase {
  const char* name;
  ULONG code;
  std::vector<BYTE> input;
  bool noInput;   // a null input pointer
  ULONG outSize;  // 0: no output
  ULONG expected;
};

// Results only; what each escape changes is checked below.
TEST_F(Escapes, ResultsForGoodAndBadSizes) {
  const std::vector<SizeCase> cases = {
      {"query copy count", ESC_QUERYESCSUPPORT, Word(ESC_SETCOPYCOUNT), false, 0, kMaxCopyCount},
      {"query a private escape", ESC_QUERYESCSUPPORT, Word(ESC_USER_CODE), false, 0, 1},
      {"query pass-through off raw", ESC_QUERYESCSUPPORT, Word(ESC_PASSTHROUGH), false, 0, 0},
      {"query unknown", ESC_QUERYESCSUPPORT, Word(127), false, 0, 0},
      {"query in a DWORD", ESC_QUERYESCSUPPORT, Dword(ESC_GETTECHNOLOGY), false, 0, 1},
      {"query one byte", ESC_QUERYESCSUPPORT, {8}, false, 0, 0},
      {"query no input", ESC_QUERYESCSUPPORT, {}, true, 0, 0},
      {"copies no input", ESC_SETCOPYCOUNT, {}, true, 0, kEscapeFailed},
      {"copies three bytes", ESC_SETCOPYCOUNT, {5, 0, 0}, false, 0, 0},
      {"copies small output", ESC_SETCOPYCOUNT, Dword(5), false, 2, 0},
      {"copies", ESC_SETCOPYCOUNT, Dword(5), false, 4, 1},
      {"pass-through off raw", ESC_PASSTHROUGH, {1, 0, 'x'}, false, 0, 0},
      {"technology", ESC_GETTECHNOLOGY, {}, true, 5, 1},
      {"technology short output", ESC_GETTECHNOLOGY, {}, true, 4, 0},
      {"technology no output", ESC_GETTECHNOLOGY, {}, true, 0, 0},
      {"page size", ESC_PAGE_SIZE, {}, true, 16, 1},
      {"page size short output", ESC_PAGE_SIZE, {}, true, 15, 0},
      {"user code", ESC_USER_CODE, TextBytes("U1"), false, 0, 1},
      {"user code absent", ESC_USER_CODE, {}, true, 0, 1},
      {"default source", ESC_DEFAULT_SOURCE, {}, true, 2, 1},
      {"default source no output", ESC_DEFAULT_SOURCE, {}, true, 0, 1},
      {"default source one byte", ESC_DEFAULT_SOURCE, {}, true, 1, 0},
      {"print method one byte", ESC_PRINT_METHOD, {}, true, 1, 0},
      {"api flag", ESC_API_USE_FLAG, {}, true, 2, 1},
      {"ini path absent", ESC_SETTINGS_INI_PATH, {}, true, 0, 0},
      {"strings absent", ESC_DISPLAY_STRINGS, {}, true, 0, 1},
      {"strings two records", ESC_DISPLAY_STRINGS, std::vector<BYTE>(2 * 526, 0), false, 0, 0},
      {"strings three records", ESC_DISPLAY_STRINGS, std::vector<BYTE>(3 * 526, 0), false, 0, 1},
      {"version", ESC_RENDER_VERSION, {}, true, 64, 1},
      {"version short output", ESC_RENDER_VERSION, {}, true, 3, 0},
      {"version no output", ESC_RENDER_VERSION, {}, true, 0, 0},
      {"output name", ESC_OUTPUT_DLL_NAME, {}, true, 64, 1},
      {"output name short", ESC_OUTPUT_DLL_NAME, {}, true, 2, 0},
      {"unknown", 9999, {1, 2, 3, 4}, false, 16, 0},
      {"between the ranges", 127, {1, 2, 3, 4}, false, 16, 0},
  };
  Enable();
  for (const SizeCase& c : cases) {
    // The output buffer is larger than the size given: nothing may land past the size.
    std::vector<BYTE> out(c.outSize + 8, 0xEE);
    const ULONG result = Escape(c.code, static_cast<ULONG>(c.input.size()), c.noInput ? nullptr : c.input.data(),
                                c.outSize, c.outSize ? out.data() : nullptr);
    EXPECT_EQ(result, c.expected) << c.name;
    for (std::size_t i = c.outSize; i < out.size(); ++i) ASSERT_EQ(out[i], 0xEE) << c.name << " wrote past the output";
  }
}

TEST_F(Escapes, InvalidDeviceIsRefused) {
  Enable();
  SURFOBJ so{};
  BYTE junk[64] = {};
  so.dhpdev = reinterpret_cast<DHPDEV>(junk);
  SetLastError(0);
  EXPECT_EQ(DrvEscape(&so, ESC_GETTECHNOLOGY, 0, nullptr, sizeof junk, junk), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(Escapes, CopyCountIsClampedAndStored) {
  struct Case {
    DWORD asked;
    DWORD copies;
  };
  const Case cases[] = {{0, 1}, {1, 1}, {5, 5}, {998, 998}, {999, 999}, {1000, 999}, {0xFFFFFFFF, 999}};
  Enable();
  for (const Case& c : cases) {
    DWORD answered = 0;
    ASSERT_EQ(Escape(ESC_SETCOPYCOUNT, 4, &c.asked, 4, &answered), 1u);
    EXPECT_EQ(answered, c.copies) << c.asked;
    EXPECT_EQ(static_cast<DWORD>(Device()->copies), c.copies) << c.asked;
    EXPECT_EQ(Field(fid::dmCopies), c.copies) << c.asked;
  }
  // A refused call changes nothing.
  const BYTE three[3] = {7, 0, 0};
  EXPECT_EQ(Escape(ESC_SETCOPYCOUNT, 3, three, 0, nullptr), 0u);
  EXPECT_EQ(Field(fid::dmCopies), 999u);
}

TEST_F(Escapes, JobStringsAreBoundedAndCannotEndAPjlLine) {
  struct Case {
    ULONG code;
    WORD field;
    std::string input;
    ULONG inSize;  // bytes of the input the application claims
    std::string stored;
  };
  const std::string longText(300, 'k');
  const std::vector<Case> cases = {
      {ESC_USER_CODE, fid::kdmUserCode, "12345678", 9, "12345678"},
      {ESC_USER_CODE, fid::kdmUserCode, "123456789", 10, "12345678"},
      {ESC_OWNER_NAME, fid::kdmOwnerName, "ABCDEFGH", 3, "ABC"},  // no NUL within the size
      {ESC_OWNER_NAME, fid::kdmOwnerName, "A\"B\r\n@PJL X", 12, "A'B  @PJL X"},
      {ESC_DOCUMENT_NAME, fid::kdmDocumentName, "Doc\x1B" "E", 6, "Doc E"},
      {ESC_USER_ID, fid::kdmUserID, "me", 3, "me"},
      {ESC_JOB_PASSWORD, fid::kdmJOBPassword, "pw", 3, "pw"},
      {ESC_STORED_PASSWORD, fid::kdmStoredPassword, "sp", 3, "sp"},
      {ESC_TEL_NO, fid::kdmTelNo, "0123", 5, "0123"},
      {ESC_AUTH_USER_NAME, fid::wdmAuthenticationUserName, longText, 301, std::string(128, 'k')},
      {ESC_AUTH_NETWORK_KEY, fid::wdmAuthenticationNetworkKey, "net", 4, "net"},
      {ESC_AUTH_PASSWORD, fid::wdmAuthenticationPassword, "secret", 7, "secret"},
  };
  Enable();
  for (const Case& c : cases) {
    ASSERT_EQ(Escape(c.code, c.inSize, c.input.c_str(), 0, nullptr), 1u) << c.code;
    EXPECT_EQ(Text(c.field), c.stored) << c.code;
  }
  // No input clears the field.
  ASSERT_EQ(Escape(ESC_USER_CODE, 0, nullptr, 0, nullptr), 1u);
  EXPECT_EQ(Text(fid::kdmUserCode), "");
}

TEST_F(Escapes, TelephoneLineIsADecimalValue) {
  struct Case {
    std::string input;
    DWORD value;
  };
  const Case cases[] = {{"7", 7}, {"  12abc", 12}, {"+3", 3}, {"x9", 0}, {"", 0}, {"99999999999999", 255}};
  Enable();
  for (const Case& c : cases) {
    SetField(fid::kdmTelLine, 42);
    ASSERT_EQ(Escape(ESC_TEL_LINE, c.input), 1u) << c.input;
    EXPECT_EQ(Field(fid::kdmTelLine), c.value & 0xFF) << c.input;
  }
  // "4" of "45" alone when the size says one byte.
  ASSERT_EQ(Escape(ESC_TEL_LINE, 1, "45", 0, nullptr), 1u);
  EXPECT_EQ(Field(fid::kdmTelLine), 4u);
}

TEST_F(Escapes, SettingsReadBack) {
  Enable();
  SetField(fid::dmDefaultSource, 7);
  SetField(fid::kdmPrnMethod, 3);
  SetField(fid::kdmAPIUseFlag, 1);
  const std::pair<ULONG, WORD> cases[] = {{ESC_DEFAULT_SOURCE, 7}, {ESC_PRINT_METHOD, 3}, {ESC_API_USE_FLAG, 1}};
  for (const auto& [code, value] : cases) {
    WORD out = 0xFFFF;
    ASSERT_EQ(Escape(code, 0, nullptr, 2, &out), 1u);
    EXPECT_EQ(out, value) << code;
  }
  char text[64] = {};
  ASSERT_EQ(Escape(ESC_GETTECHNOLOGY, 0, nullptr, sizeof text, text), 1u);
  EXPECT_STREQ(text, "KOVA");
  ASSERT_EQ(Escape(ESC_RENDER_VERSION, 0, nullptr, sizeof text, text), 1u);
  EXPECT_STREQ(text, GetRenderVersionText());
  ASSERT_EQ(Escape(ESC_OUTPUT_DLL_NAME, 0, nullptr, sizeof text, text), 1u);
  EXPECT_STREQ(text, "Spoolane.DLL");
}

TEST_F(Escapes, PageSizeOffsetsOnlyWhileAPageIsOpen) {
  Enable();
  ASSERT_TRUE(engine_->EnableSurface());
  float size[4] = {-1, -1, -1, -1};
  ASSERT_EQ(Escape(ESC_PAGE_SIZE, 0, nullptr, sizeof size, size), 1u);
  EXPECT_EQ(size[0], static_cast<float>(Device()->surfaceWidth));
  EXPECT_EQ(size[1], static_cast<float>(Device()->surfaceHeight));
  EXPECT_EQ(size[2], 0.0f);
  EXPECT_EQ(size[3], 0.0f);
  ASSERT_TRUE(engine_->StartDoc(u"Doc", 3));
  ASSERT_TRUE(engine_->StartPage());
  Device()->geometry.xOffset = 48;
  Device()->geometry.yOffset = 60;
  ASSERT_EQ(Escape(ESC_PAGE_SIZE, 0, nullptr, sizeof size, size), 1u);
  EXPECT_EQ(size[2], 48.0f);
  EXPECT_EQ(size[3], 60.0f);
  ASSERT_TRUE(engine_->SendPage());
  ASSERT_TRUE(engine_->EndDoc());
}

TEST_F(Escapes, SettingsIniPathOnlyInsideTheSettingsDirectories) {
  Enable();
  WCHAR root[MAX_PATH];
  ASSERT_GT(GetSettingsRoot(root, MAX_PATH, Context()), 0u);
  const std::u16string dir(root);
  const std::u16string good = dir + u"\\Printer.ini";
  struct Case {
    std::u16string path;
    ULONG expected;
  };
  const std::vector<Case> cases = {
      {good, 1},
      {dir + u"\\sub\\Printer.ini", 1},
      {dir + u"\\..\\Windows\\win.ini", 0},
      {dir + u"\\sub\\..\\..\\x.ini", 0},
      {dir + u"\\.\\x.ini", 0},
      {dir + u"/../x.ini", 0},
      {u"D:\\other\\x.ini", 0},
      {u"\\\\server\\share\\x.ini", 0},
      {u"\\x.ini", 0},
      {u"x.ini", 0},
      {dir + u"x.ini", 0},  // beside the folder, not in it
      {dir + u"\\x.ini:stream", 0},
      {dir + u"\\" + std::u16string(260, u'a'), 0},
  };
  for (const Case& c : cases) {
    std::memcpy(Context()->work->userIniPath, u"unchanged", 20);
    const ULONG result =
        Escape(ESC_SETTINGS_INI_PATH, static_cast<ULONG>((c.path.size() + 1) * 2), c.path.c_str(), 0, nullptr);
    EXPECT_EQ(result, c.expected) << std::string(c.path.begin(), c.path.end());
    const std::u16string now(Context()->work->userIniPath);
    EXPECT_EQ(now, c.expected ? c.path : u"unchanged") << std::string(c.path.begin(), c.path.end());
  }
  // A size that cuts the text takes only the characters within it.
  ASSERT_EQ(Escape(ESC_SETTINGS_INI_PATH, static_cast<ULONG>(good.size() * 2 - 8), good.c_str(), 0, nullptr), 1u);
  EXPECT_EQ(std::u16string(Context()->work->userIniPath), good.substr(0, good.size() - 4));
}

TEST_F(Escapes, DisplayStringsCopyTextsOnly) {
  Enable();
  std::vector<EscapeStringRecord> input(3);
  const char16_t* texts[3] = {u"First form", u"Second", u"Third"};
  for (int i = 0; i < 3; ++i) {
    input[i].fieldId = static_cast<std::uint16_t>(9000 + i);
    input[i].stringId = 1;
    std::memcpy(input[i].text, texts[i], (std::char_traits<char16_t>::length(texts[i]) + 1) * 2);
  }
  // The last record's text has no NUL: it is cut at 260 characters.
  for (int i = 0; i < 261; ++i) input[2].text[i] = u'z';
  ASSERT_EQ(Escape(ESC_DISPLAY_STRINGS, static_cast<ULONG>(input.size() * sizeof(EscapeStringRecord)), input.data(), 0,
                   nullptr),
            1u);
  EscapeStringRecord* table = EscapeStringTable();
  EXPECT_EQ(table[0].fieldId, 731);
  EXPECT_EQ(table[0].stringId, 15000);
  EXPECT_EQ(std::u16string(table[0].text), u"First form");
  EXPECT_EQ(std::u16string(table[1].text), u"Second");
  EXPECT_EQ(std::u16string(table[2].text), std::u16string(260, u'z'));
  EXPECT_EQ(table[3].fieldId, 0);
  // Too few records: nothing changes.
  std::memcpy(input[0].text, u"Other", 12);
  ASSERT_EQ(Escape(ESC_DISPLAY_STRINGS, 2 * sizeof(EscapeStringRecord) + 525, input.data(), 0, nullptr), 0u);
  EXPECT_EQ(std::u16string(table[0].text), u"First form");
  for (int i = 0; i < kEscapeStringRows; ++i) table[i].text[0] = 0;
}

// The document name reaches the job text as a quoted PJL value: nothing in it may end the
// line or the quotation.
TEST_F(Escapes, JobNameCannotEndItsPjlLine) {
  Enable();
  ASSERT_TRUE(engine_->EnableSurface());
  ASSERT_TRUE(engine_->StartDoc(u"A\"B\r\n@PJL RESET\x1b" u"E", 3));
  ASSERT_TRUE(engine_->StartPage());
  ASSERT_TRUE(engine_->SendPage());
  ASSERT_TRUE(engine_->EndDoc());
  bool found = false;
  for (const Block& b : Blocks()) {
    const std::string text(b.payload.begin(), b.payload.end());
    if (text.rfind("@PJL SET JOBNAME", 0) != 0) continue;
    found = true;
    EXPECT_EQ(text, "@PJL SET JOBNAME = \"A'B  @PJL RESET E\"\r\n");
  }
  EXPECT_TRUE(found);
}

class PassThrough : public Escapes {
 protected:
  // A raw device on its second page, with one record buffered.
  void OpenRawSecondPage() {
    Enable();
    SetField(fid::KPD_kdmJobfold, 1);
    Device()->rawMode = 1;
    ASSERT_TRUE(engine_->EnableSurface());
    ASSERT_TRUE(engine_->StartDoc(u"Raw", 3));
    ASSERT_TRUE(engine_->StartPage());
    ASSERT_TRUE(engine_->SendPage());
    ASSERT_TRUE(engine_->StartPage());
    BYTE* record = static_cast<BYTE*>(AllocRecord(&Device()->records, 8));
    ASSERT_NE(record, nullptr);
    std::memset(record, 'R', 8);
  }
  std::vector<BYTE> Data(WORD n, BYTE fill) {
    std::vector<BYTE> in = Word(n);
    in.resize(2 + n, fill);
    return in;
  }
  std::string Taken() {
    const auto bytes = ::rendara::test::JobTest::Bytes(output_, "OutputDoubleBytes");
    return std::string(bytes.begin(), bytes.end());
  }
};

TEST_F(PassThrough, LargeDataFollowsTheBufferedRecordsWhole) {
  OpenRawSecondPage();
  const std::size_t before = Taken().size();
  const auto in = Data(10000, 'P');
  EXPECT_EQ(Escape(ESC_QUERYESCSUPPORT, 2, Word(ESC_PASSTHROUGH).data(), 0, nullptr), 1u);
  ASSERT_EQ(Escape(ESC_PASSTHROUGH, static_cast<ULONG>(in.size()), in.data(), 0, nullptr), 10000u);
  const std::string taken = Taken().substr(before);
  // The page's record block first (ending with the buffered record), then every byte of
  // the data, unchanged and unframed.
  ASSERT_GT(taken.size(), 8u + 10000u);
  DWORD type = 0, length = 0;
  std::memcpy(&type, taken.data(), 4);
  std::memcpy(&length, taken.data() + 4, 4);
  EXPECT_EQ(type, 0xF5u);
  ASSERT_EQ(taken.size(), 8u + length + 10000u);
  EXPECT_TRUE(taken.compare(8 + length - 8, 8, std::string(8, 'R')) == 0);
  EXPECT_TRUE(taken.compare(8 + length, 10000, std::string(10000, 'P')) == 0);
  ASSERT_TRUE(engine_->SendPage());
  ASSERT_TRUE(engine_->EndDoc());
}

TEST_F(PassThrough, BadLengthsWriteNothing) {
  OpenRawSecondPage();
  const std::size_t before = Taken().size();
  auto in = Data(100, 'P');
  // The length claims more bytes than the input holds.
  EXPECT_EQ(Escape(ESC_PASSTHROUGH, 50, in.data(), 0, nullptr), 0u);
  EXPECT_EQ(Escape(ESC_PASSTHROUGH, 1, in.data(), 0, nullptr), 0u);
  EXPECT_EQ(Escape(ESC_PASSTHROUGH, 0, nullptr, 0, nullptr), 0u);
  EXPECT_EQ(Taken().size(), before);
  // Length 0 flushes the records and writes nothing else.
  const auto none = Word(0);
  EXPECT_EQ(Escape(ESC_PASSTHROUGH, 2, none.data(), 0, nullptr), 0u);
  const std::string flushed = Taken().substr(before);
  ASSERT_GE(flushed.size(), 16u);
  EXPECT_EQ(flushed[0], '\xF5');
  EXPECT_EQ(flushed.substr(flushed.size() - 8), std::string(8, 'R'));
  ASSERT_TRUE(engine_->SendPage());
  ASSERT_TRUE(engine_->EndDoc());
}

TEST_F(PassThrough, FailedWriteAnswersMinusOne) {
  OpenRawSecondPage();
  OutputDoubleConfig config{};
  config.failWriteAt = 1;
  Control<OutputDoubleResetProc>(output_, "OutputDoubleReset")();
  Control<OutputDoubleConfigureProc>(output_, "OutputDoubleConfigure")(&config);
  const auto in = Data(4, 'P');
  EXPECT_EQ(Escape(ESC_PASSTHROUGH, static_cast<ULONG>(in.size()), in.data(), 0, nullptr), kEscapeFailed);
  EXPECT_NE(Device()->jobFlags & JOB_OUTPUT_FAILED, 0u);
}

}  // namespace
}  // namespace rendara::test
