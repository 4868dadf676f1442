// Engine services around the driver: resources of driver modules, local time, printer
// output to the port file, printer data, code pages, memory.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "plat/engine.h"
#include "plat/spooler_setup.h"
#include "plat/system.h"
#include "test_root.h"
#include "win/errors.h"
#include "win/spool.h"
#include "win/winddi.h"

namespace {

HMODULE FakeModule(std::uintptr_t v) { return reinterpret_cast<HMODULE>(v); }

TEST(GdiResources, RegisteredTablesAnswerByTypeAndId) {
  static const BYTE fontA[] = {1, 2, 3, 4};
  static const BYTE glyphs[] = {9, 8, 7};
  const plat::EngineResource table[] = {{258, 1, fontA, sizeof fontA}, {260, 3, glyphs, sizeof glyphs}};
  HMODULE m = FakeModule(0x7000);
  ASSERT_TRUE(plat::RegisterEngineResources(m, table, 2));

  ULONG size = 99;
  EXPECT_EQ(EngFindResource(m, 1, 258, &size), fontA);
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(EngFindResource(m, 3, 260, &size), glyphs);
  EXPECT_EQ(size, 3u);

  const struct {
    int id, type;
    DWORD error;
  } misses[] = {{2, 258, ERROR_RESOURCE_NAME_NOT_FOUND},
                {1, 259, ERROR_RESOURCE_TYPE_NOT_FOUND},
                {0, 258, ERROR_INVALID_PARAMETER},
                {1, 0x10000, ERROR_INVALID_PARAMETER},
                {-1, 258, ERROR_INVALID_PARAMETER}};
  for (const auto& c : misses) {
    size = 99;
    SetLastError(0);
    EXPECT_EQ(EngFindResource(m, c.id, c.type, &size), nullptr) << c.id << "/" << c.type;
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(GetLastError(), c.error) << c.id << "/" << c.type;
  }
  // A null size pointer is allowed.
  EXPECT_EQ(EngFindResource(m, 1, 258, nullptr), fontA);

  // Registering again replaces the table; unregistering forgets it.
  const plat::EngineResource other[] = {{258, 1, glyphs, sizeof glyphs}};
  ASSERT_TRUE(plat::RegisterEngineResources(m, other, 1));
  EXPECT_EQ(EngFindResource(m, 1, 258, &size), glyphs);
  EXPECT_EQ(EngFindResource(m, 3, 260, &size), nullptr);
  EXPECT_TRUE(plat::UnregisterEngineResources(m));
  EXPECT_FALSE(plat::UnregisterEngineResources(m));
}

TEST(GdiResources, BadRegistrationsAreRefused) {
  const plat::EngineResource nullData[] = {{258, 1, nullptr, 4}};
  SetLastError(0);
  EXPECT_FALSE(plat::RegisterEngineResources(nullptr, nullData, 0));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(plat::RegisterEngineResources(FakeModule(0x7100), nullptr, 3));
  EXPECT_FALSE(plat::RegisterEngineResources(FakeModule(0x7100), nullData, 1));
  EXPECT_EQ(EngFindResource(FakeModule(0x7100), 1, 258, nullptr), nullptr);
}

TEST(GdiServices, LocalTimeComesFromTheMachineClock) {
  kovatest::TempRoot root;
  plat::SetTestLocalTime(SYSTEMTIME{2026, 12, 4, 10, 14, 5, 9, 321});
  ENG_TIME_FIELDS t{};
  EngQueryLocalTime(&t);
  EXPECT_EQ(t.usYear, 2026);
  EXPECT_EQ(t.usMonth, 12);
  EXPECT_EQ(t.usDay, 10);
  EXPECT_EQ(t.usHour, 14);
  EXPECT_EQ(t.usMinute, 5);
  EXPECT_EQ(t.usSecond, 9);
  EXPECT_EQ(t.usMilliseconds, 321);
  EXPECT_EQ(t.usWeekday, 4);
  EngQueryLocalTime(nullptr);  // ignored
  plat::UseRealClock();
}

class GdiPrinterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::spooler::PrinterSetup setup;
    setup.name = u"Engine Printer";
    setup.portName = u"C:\\Ports\\Out\\engine.prn";
    setup.driver.name = u"Engine Driver";
    setup.driver.driverPath = u"Rendara.dll";
    ASSERT_EQ(plat::spooler::InstallPrinter(setup), ERROR_SUCCESS);
    std::u16string name = setup.name;
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
    ASSERT_TRUE(OpenPrinterW(name.data(), &printer_, &defaults));
  }
  void TearDown() override {
    if (printer_) ClosePrinter(printer_);
  }
  kovatest::TempRoot root_;
  HANDLE printer_ = nullptr;
};

TEST_F(GdiPrinterTest, WritePrinterAppendsToThePortFileAndMakesItsFolder) {
  char first[] = "@PJL ";
  char second[] = "ENTER\r\n";
  DWORD written = 0;
  ASSERT_TRUE(EngWritePrinter(printer_, first, 5, &written));
  EXPECT_EQ(written, 5u);
  ASSERT_TRUE(EngWritePrinter(printer_, second, 7, &written));
  EXPECT_EQ(written, 7u);
  ASSERT_TRUE(EngWritePrinter(printer_, nullptr, 0, &written));
  EXPECT_EQ(written, 0u);
  EXPECT_EQ(root_.ReadFile(u"C:\\Ports\\Out\\engine.prn"), "@PJL ENTER\r\n");
}

TEST_F(GdiPrinterTest, WritePrinterRefusesBadArguments) {
  char data[] = "x";
  DWORD written = 7;
  SetLastError(0);
  EXPECT_FALSE(EngWritePrinter(printer_, nullptr, 4, &written));
  EXPECT_EQ(written, 0u);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(EngWritePrinter(printer_, data, 1, nullptr));
  EXPECT_FALSE(EngWritePrinter(reinterpret_cast<HANDLE>(0x999), data, 1, &written));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST_F(GdiPrinterTest, PrinterDataGoesThroughTheSpooler) {
  DWORD value = 0x1234;
  std::u16string name = u"EngineValue";
  EXPECT_EQ(EngSetPrinterData(printer_, name.data(), plat::spooler::kRegDword, reinterpret_cast<LPBYTE>(&value), 4),
            ERROR_SUCCESS);
  DWORD type = 0, got = 0, needed = 0;
  EXPECT_EQ(EngGetPrinterData(printer_, name.data(), &type, reinterpret_cast<LPBYTE>(&got), 4, &needed), ERROR_SUCCESS);
  EXPECT_EQ(type, plat::spooler::kRegDword);
  EXPECT_EQ(got, 0x1234u);
  EXPECT_EQ(needed, 4u);
  BYTE small[2];
  EXPECT_EQ(EngGetPrinterData(printer_, name.data(), &type, small, 2, &needed), ERROR_MORE_DATA);
}

TEST(GdiServices, CodePagesAndConversions) {
  kovatest::TempRoot root;
  USHORT oem = 0, ansi = 0;
  EngGetCurrentCodePage(&oem, &ansi);
  EXPECT_EQ(ansi, 1252);
  EXPECT_EQ(oem, 437);
  plat::Machine().ansiCodePage = 932;
  EngGetCurrentCodePage(nullptr, &ansi);
  EXPECT_EQ(ansi, 932);

  // "a" + U+3042 in Shift-JIS (0x82 0xA0).
  char sjis[] = {'a', '\x82', '\xA0'};
  WCHAR wide[8] = {};
  ULONG bytes = 0;
  EngMultiByteToUnicodeN(wide, sizeof wide, &bytes, sjis, 3);
  EXPECT_EQ(bytes, 4u);
  EXPECT_EQ(wide[0], u'a');
  EXPECT_EQ(wide[1], u'\u3042');
  // The output is cut at its capacity: room for one character only.
  bytes = 0;
  EngMultiByteToUnicodeN(wide, 2, &bytes, sjis, 3);
  EXPECT_EQ(bytes, 2u);

  char back[8] = {};
  WCHAR text[] = {u'a', u'\u3042'};
  EngUnicodeToMultiByteN(back, sizeof back, &bytes, text, sizeof text);
  EXPECT_EQ(bytes, 3u);
  EXPECT_EQ(std::string(back, 3), std::string(sjis, 3));
  // A double-byte character that does not fit whole is left out.
  EngUnicodeToMultiByteN(back, 2, &bytes, text, sizeof text);
  EXPECT_EQ(bytes, 1u);
  // Null buffers convert nothing.
  bytes = 5;
  EngUnicodeToMultiByteN(nullptr, 2, &bytes, text, sizeof text);
  EXPECT_EQ(bytes, 0u);
  plat::ResetMachine();
}

TEST(GdiServices, AllocMemZeroFillsOnRequest) {
  auto* p = static_cast<BYTE*>(EngAllocMem(FL_ZERO_MEMORY, 4096, 0x61766F6B));
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(p) % 16, 0u);
  for (int i = 0; i < 4096; ++i) ASSERT_EQ(p[i], 0) << i;
  EngFreeMem(p);
  void* empty = EngAllocMem(0, 0, 0);
  EXPECT_NE(empty, nullptr);
  EngFreeMem(empty);
  EngFreeMem(nullptr);
}

}  // namespace
