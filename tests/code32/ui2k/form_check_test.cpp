// DevQueryPrintEx: the job's paper tied to a spooler form, the fit test, and the error text.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "form_check.h"
#include "panelis_fixture.h"
#include "plat/spooler_setup.h"

namespace kovatest {
namespace {

class FormCheck : public SamplePrinterTest {
 protected:
  void SetUp() override {
    SamplePrinterTest::SetUp();
    plat::spooler::FormSetup letter{u"Letter", FORM_BUILTIN, 215900, 279400, 0, 0, 215900, 279400};
    plat::spooler::FormSetup a4{u"A4", FORM_BUILTIN, 210000, 297000, 0, 0, 210000, 297000};
    plat::spooler::FormSetup poster{u"Poster", FORM_BUILTIN, 900000, 1200000, 0, 0, 900000, 1200000};
    plat::spooler::FormSetup user{u"My Own", FORM_USER, 900000, 1200000, 0, 0, 900000, 1200000};
    ASSERT_EQ(plat::spooler::SetForms({letter, a4, poster, user}), 0u);
    printer_ = Install(u"Sample");
  }
  static DEVMODEW BySize(short width, short length) {
    DEVMODEW dm{};
    dm.dmSpecVersion = 0x401;
    dm.dmSize = sizeof(DEVMODEW);
    dm.dmFields = DM_PAPERWIDTH | DM_PAPERLENGTH;
    dm.dmPaperWidth = width;
    dm.dmPaperLength = length;
    return dm;
  }
  HANDLE printer_ = nullptr;
};

TEST_F(FormCheck, PaperSizeMatchesAFormWithinOneMillimetre) {
  struct Case {
    short width, length;
    int result;
    const char16_t* form;
    short index;
  };
  const Case cases[] = {
      {2100, 2970, kFormMatched, u"A4", 2},
      {2110, 2980, kFormMatched, u"A4", 2},
      {2090, 2960, kFormMatched, u"A4", 2},
      {2111, 2970, kFormCustomSize, u"", 0},
      {2100, 2981, kFormCustomSize, u"", 0},
  };
  for (const Case& c : cases) {
    DEVMODEW dm = BySize(c.width, c.length);
    const DEVMODEW before = dm;
    FormMatchRecord record{};
    EXPECT_EQ(MatchJobForm(printer_, &dm, &record), c.result) << c.width << "x" << c.length;
    if (c.result == kFormMatched) {
      EXPECT_EQ(std::u16string(dm.dmFormName), c.form);
      EXPECT_EQ(dm.dmPaperSize, c.index);
      EXPECT_EQ(dm.dmPaperWidth, 2100);
      EXPECT_EQ(dm.dmPaperLength, 2970);
      EXPECT_TRUE(dm.dmFields & DM_FORMNAME);
      EXPECT_EQ(std::u16string(record.form.pName), c.form);
    } else {
      EXPECT_EQ(std::memcmp(&dm, &before, sizeof(dm)), 0) << "the device-mode stays as it was";
      EXPECT_EQ(record.form.Flags, 0u);
      EXPECT_EQ(record.form.Size.cx, c.width * 100);
    }
  }
}

TEST_F(FormCheck, PaperIndexAndFormName) {
  DEVMODEW dm{};
  dm.dmSize = sizeof(DEVMODEW);
  dm.dmFields = DM_PAPERSIZE;
  dm.dmPaperSize = 1;
  FormMatchRecord record{};
  EXPECT_EQ(MatchJobForm(printer_, &dm, &record), kFormMatched);
  EXPECT_EQ(std::u16string(dm.dmFormName), u"Letter");

  dm.dmPaperSize = 5;  // more than the four forms
  dm.dmFields = DM_PAPERSIZE;
  std::memset(dm.dmFormName, 0, sizeof(dm.dmFormName));
  EXPECT_EQ(MatchJobForm(printer_, &dm, &record), kFormNone);
  EXPECT_EQ(dm.dmFormName[0], 0);

  dm.dmFields = DM_FORMNAME;
  std::memcpy(dm.dmFormName, u"Poster", sizeof(u"Poster"));
  EXPECT_EQ(MatchJobForm(printer_, &dm, &record), kFormMatched);
  EXPECT_EQ(dm.dmPaperSize, 3);
  std::memcpy(dm.dmFormName, u"poster", sizeof(u"poster"));  // names compare exactly
  dm.dmPaperSize = 0;
  EXPECT_EQ(MatchJobForm(printer_, &dm, &record), kFormNone);
}

TEST_F(FormCheck, ManualFeedOfAFormNoPaperFitsIsReported) {
  DEVMODEW dm{};
  dm.dmSpecVersion = 0x401;
  dm.dmSize = sizeof(DEVMODEW);
  dm.dmFields = DM_FORMNAME | DM_DEFAULTSOURCE;
  std::memcpy(dm.dmFormName, u"Poster", sizeof(u"Poster"));
  dm.dmDefaultSource = DMBIN_MANUAL;
  WCHAR error[128];
  std::memset(error, 0xAB, sizeof(error));
  DEVQUERYPRINT_INFO info{sizeof(DEVQUERYPRINT_INFO), 1, printer_, &dm, error, 128, 0};
  EXPECT_FALSE(DoDevQueryPrintEx(&info));
  EXPECT_GT(info.cchNeeded, 1u);
  EXPECT_EQ(info.cchNeeded, static_cast<DWORD>(std::u16string(error).size() + 1));

  // A user form, a paper the model has, and a form fed from a tray all pass.
  std::memcpy(dm.dmFormName, u"My Own", sizeof(u"My Own"));
  EXPECT_TRUE(DoDevQueryPrintEx(&info));
  std::memcpy(dm.dmFormName, u"A4", sizeof(u"A4"));
  EXPECT_TRUE(DoDevQueryPrintEx(&info));
  std::memcpy(dm.dmFormName, u"Poster", sizeof(u"Poster"));
  dm.dmDefaultSource = 7;  // automatic
  EXPECT_TRUE(DoDevQueryPrintEx(&info));
}

// The job's device-mode is touched only within its dmSize: one whose public part is too
// short for the members the check reads and writes is left as it is, and the job goes on.
TEST_F(FormCheck, OnlyTheJobDevmodesOwnBytesAreTouched) {
  struct Case {
    const char* what;
    WORD size;
    bool matched;
  };
  const Case cases[] = {
      {"120 public bytes, the form name cut", 120, false},
      {"148 public bytes", 148, false},
      {"version 0x320", 188, true},
      {"version 0x401", 220, true},
  };
  for (const Case& c : cases) {
    std::vector<BYTE> bytes(400, 0xEE);
    std::memset(bytes.data(), 0, c.size);
    auto* dm = reinterpret_cast<DEVMODEW*>(bytes.data());
    dm->dmSpecVersion = 0x401;
    dm->dmSize = c.size;
    dm->dmFields = DM_PAPERWIDTH | DM_PAPERLENGTH;
    dm->dmPaperWidth = 2100;
    dm->dmPaperLength = 2970;
    const std::vector<BYTE> before = bytes;
    DEVQUERYPRINT_INFO info{sizeof(DEVQUERYPRINT_INFO), 1, printer_, dm, nullptr, 0, 0};
    EXPECT_TRUE(DoDevQueryPrintEx(&info)) << c.what;
    for (size_t i = c.size; i < bytes.size(); ++i) ASSERT_EQ(bytes[i], 0xEE) << c.what << ": byte " << i;
    if (c.matched) {
      EXPECT_EQ(std::u16string(dm->dmFormName), u"A4") << c.what;
      EXPECT_EQ(dm->dmPaperSize, 2) << c.what;
    } else {
      EXPECT_EQ(bytes, before) << c.what << ": the device-mode stays as it was";
    }
  }
}

TEST_F(FormCheck, RecordWithoutDevmodeOrWithoutRecord) {
  EXPECT_FALSE(DoDevQueryPrintEx(nullptr));
  DEVQUERYPRINT_INFO info{sizeof(DEVQUERYPRINT_INFO), 1, reinterpret_cast<HANDLE>(0x77), nullptr, nullptr, 0, 0};
  EXPECT_TRUE(DoDevQueryPrintEx(&info));
  // A printer without a model has no context: the job cannot be checked.
  HANDLE bare = Install(u"No Model", false);
  DEVMODEW dm = BySize(2100, 2970);
  info.hPrinter = bare;
  info.pDevMode = &dm;
  EXPECT_FALSE(DoDevQueryPrintEx(&info));
}

TEST(FormatErrorText, Conversions) {
  struct Case {
    const char16_t* format;
    std::vector<ULONG_PTR> arguments;
    std::u16string text;
  };
  static const char16_t kName[] = u"A4";
  const Case cases[] = {
      {u"%d pages", {static_cast<ULONG_PTR>(static_cast<DWORD>(-3))}, u"-3 pages"},
      {u"%u/%x/%X", {4294967295u, 255, 255}, u"4294967295/ff/FF"},
      {u"form %s%c", {reinterpret_cast<ULONG_PTR>(kName), u'!'}, u"form A4!"},
      {u"100%% %q", {}, u"100% q"},
      {u"%!", {12345}, u""},  // no module: no string
  };
  for (const Case& c : cases) {
    WCHAR buffer[64] = {};
    DWORD needed = 0;
    FormatErrorText(nullptr, buffer, 64, &needed, c.format, c.arguments.data(), static_cast<int>(c.arguments.size()));
    EXPECT_EQ(std::u16string(buffer), c.text) << U8(c.format);
    EXPECT_EQ(needed, c.text.size() + 1) << U8(c.format);
  }
  // Cut at the buffer's end and terminated; the need is the whole text's.
  WCHAR small[4];
  DWORD needed = 0;
  EXPECT_EQ(FormatErrorText(nullptr, small, 4, &needed, u"abcdef", nullptr, 0), 3);
  EXPECT_EQ(std::u16string(small), u"abc");
  EXPECT_EQ(needed, 7u);
}

}  // namespace
}  // namespace kovatest
