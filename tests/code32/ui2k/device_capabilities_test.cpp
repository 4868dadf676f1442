// DrvDeviceCapabilities of the sample printer: every DC_ index against the model, the
// product record, printer data and the stored device-mode.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "fields/field_access.h"
#include "base/paths_and_names.h"
#include "device_capabilities.h"
#include "field_ids.h"
#include "panelis_fixture.h"
#include "win/printer_interface.h"

namespace kovatest {
namespace device_capabilities_test {
namespace {

constexpr DWORD kFailed = static_cast<DWORD>(-1);

class DeviceCapabilities : public SamplePrinterTest {
 protected:
  DWORD Ask(HANDLE printer, WORD capability, void* output = nullptr, const DEVMODEW* devmode = nullptr) {
    return DoDeviceCapabilities(printer, u"Sample", capability, static_cast<LPWSTR>(output), devmode);
  }
};

TEST_F(DeviceCapabilities, FixedAnswersNeedNoPrinter) {
  struct Case {
    WORD capability;
    DWORD answer;
  };
  const Case cases[] = {
      {DC_SIZE, 220},           {DC_EXTRA, 1016},           {DC_VERSION, 0x401},        {DC_DRIVER, 0x400},
      {DC_FILEDEPENDENCIES, 0}, {DC_ORIENTATION, 90},       {DC_COPIES, 999},           {DC_MANUFACTURER, kFailed},
      {DC_MODEL, kFailed},      {DC_PRINTERMEM, kFailed},   {DC_PRINTRATEUNIT, 1},      {0, kFailed},
      {34, kFailed},            {0xFFFF, kFailed},
  };
  HANDLE invalid = reinterpret_cast<HANDLE>(0x1234);
  for (const Case& c : cases) EXPECT_EQ(Ask(invalid, c.capability), c.answer) << "DC " << c.capability;
}

// The product's custom paper limits, 3022 to 14408 dots wide and 6992 to 59528 dots long
// at 1200 dpi, in whole 0.1 mm that convert back inside them: 640 to 3050 wide (3050
// converts back to 14408 dots), 1480 to 12600 long. The answer packs the length into the
// high word; no printer is asked, so any handle will do.
TEST_F(DeviceCapabilities, ExtentsComeFromTheProductRecordForAnyHandle) {
  struct Case {
    WORD capability;
    std::int32_t width;
    std::int32_t length;
  };
  for (HANDLE printer : {reinterpret_cast<HANDLE>(0x1234), static_cast<HANDLE>(nullptr)}) {
    for (const Case& c : {Case{DC_MINEXTENT, 640, 1480}, Case{DC_MAXEXTENT, 3050, 12600}}) {
      SCOPED_TRACE(testing::Message() << "DC " << c.capability << ", printer " << printer);
      std::int32_t point[2] = {-1, -1};
      EXPECT_EQ(Ask(printer, c.capability), (static_cast<DWORD>(c.length) << 16) | static_cast<DWORD>(c.width));
      EXPECT_EQ(Ask(printer, c.capability, point), (static_cast<DWORD>(c.length) << 16) | static_cast<DWORD>(c.width));
      EXPECT_EQ(point[0], c.width);
      EXPECT_EQ(point[1], c.length);
    }
  }
}

TEST_F(DeviceCapabilities, PersonalityIsKovaInAZeroedSlot) {
  WCHAR slot[32];
  std::memset(slot, 0xAB, sizeof(slot));
  EXPECT_EQ(Ask(nullptr, DC_PERSONALITY, slot), 1u);
  EXPECT_EQ(std::u16string(slot), u"KOVA");
  for (int i = 4; i < 32; ++i) EXPECT_EQ(slot[i], 0) << i;
}

// The test model offers eleven papers (Letter, Legal, Executive, A3, A4, A5, B4, B5, the
// postcard, A6 and the custom size) and four sources (auto, manual, trays 1 and 2); with
// its defaults (no duplex, the automatic source, a second tray installed) no rule leaves
// one out.
TEST_F(DeviceCapabilities, ListsOfTheModel) {
  HANDLE printer = Install(u"Sample");
  const std::vector<WORD> paperCodes = {1, 5, 7, 8, 9, 11, 12, 13, 43, 70, 256};
  const std::vector<WORD> binCodes = {7, 4, 257, 258};
  const DWORD papers = static_cast<DWORD>(paperCodes.size());
  const DWORD bins = static_cast<DWORD>(binCodes.size());
  struct CountCase {
    WORD capability;
    DWORD count;
  };
  for (const CountCase& c : {CountCase{DC_PAPERS, papers}, CountCase{DC_PAPERSIZE, papers},
                             CountCase{DC_PAPERNAMES, papers}, CountCase{DC_BINS, bins},
                             CountCase{DC_BINNAMES, bins}}) {
    EXPECT_EQ(Ask(printer, c.capability), c.count) << "DC " << c.capability;
  }
  std::vector<WORD> codes(papers + 1, 0xEEEE);
  ASSERT_EQ(Ask(printer, DC_PAPERS, codes.data()), papers);
  EXPECT_EQ(std::vector<WORD>(codes.begin(), codes.begin() + papers), paperCodes);
  EXPECT_EQ(codes[papers], 0xEEEE);
  std::vector<std::int32_t> sizes(2 * static_cast<size_t>(papers));
  ASSERT_EQ(Ask(printer, DC_PAPERSIZE, sizes.data()), papers);
  EXPECT_EQ(sizes[0], 2159);
  EXPECT_EQ(sizes[1], 2794);
  EXPECT_EQ(sizes[8], 2100);  // A4
  EXPECT_EQ(sizes[9], 2970);
  std::vector<WCHAR> names(64 * static_cast<size_t>(papers));
  ASSERT_EQ(Ask(printer, DC_PAPERNAMES, names.data()), papers);
  EXPECT_EQ(std::u16string(names.data()), u"Letter");

  std::vector<WORD> binList(bins + 1, 0xEEEE);
  ASSERT_EQ(Ask(printer, DC_BINS, binList.data()), bins);
  EXPECT_EQ(std::vector<WORD>(binList.begin(), binList.begin() + bins), binCodes);
  EXPECT_EQ(binList[bins], 0xEEEE);
  std::vector<WCHAR> binNames(24 * static_cast<size_t>(bins));
  EXPECT_EQ(Ask(printer, DC_BINNAMES, binNames.data()), bins);
  EXPECT_NE(binNames[0], 0);

  std::vector<std::int32_t> resolutions(32);
  const DWORD n = Ask(printer, DC_ENUMRESOLUTIONS, resolutions.data());
  ASSERT_GE(n, 2u);
  EXPECT_EQ(resolutions[0], 300);
  EXPECT_EQ(resolutions[2], 600);

  EXPECT_NE(Ask(printer, DC_FIELDS), kFailed);
  EXPECT_EQ(Ask(printer, DC_BINADJUST), kFailed);
  EXPECT_EQ(Ask(printer, DC_EMF_COMPLIANT), kFailed);
  EXPECT_EQ(Ask(printer, DC_DATATYPE_PRODUCED), kFailed);
  const DWORD truetype = Ask(printer, DC_TRUETYPE);
  EXPECT_TRUE(truetype == DCTT_BITMAP || truetype == (DCTT_BITMAP | DCTT_SUBDEV)) << truetype;
  const DWORD collate = Ask(printer, DC_COLLATE);
  EXPECT_TRUE(collate == 0 || collate == 1);
  const DWORD staple = Ask(printer, DC_STAPLE);
  EXPECT_TRUE(staple == 0 || staple == 1);
}

TEST_F(DeviceCapabilities, ThePrinterWithoutAModelAnswersFailureOnTheContextRoad) {
  HANDLE printer = Install(u"No Model", false);
  for (WORD c : {DC_PAPERS, DC_BINS, DC_FIELDS, DC_MEDIAREADY}) EXPECT_EQ(Ask(printer, c), kFailed) << c;
}

TEST_F(DeviceCapabilities, TrueTypeSkipsTheMergeOfAMalformedDevmode) {
  HANDLE printer = Install(u"Sample");
  DEVMODEW broken{};
  broken.dmSize = 7;  // no public size
  broken.dmDriverExtra = 0xFFFF;
  EXPECT_NE(Ask(printer, DC_TRUETYPE, nullptr, &broken), kFailed);
}

TEST_F(DeviceCapabilities, DuplexFollowsPrinterDataAndTheLock) {
  struct Case {
    const char16_t* name;
    std::vector<plat::spooler::DataValue> data;
    DWORD answer;
  };
  std::vector<Case> cases;
  cases.push_back({u"No Duplex Value", {}, kFailed});
  cases.push_back({u"Duplex Unit", {DwordValue(u"Duplex", 1)}, 1});
  cases.push_back({u"No Duplex Unit", {DwordValue(u"Duplex", 0)}, 0});
  cases.push_back({u"Duplex Locked", {DwordValue(u"Duplex", 0), ByteValue(u"kdmLock000InfoBit", 0x20)}, 1});
  for (Case& c : cases) EXPECT_EQ(Ask(InstallWith(c.name, c.data), DC_DUPLEX), c.answer) << U8(c.name);
}

TEST_F(DeviceCapabilities, NupValuesFollowTheLock) {
  std::vector<BYTE> devmode = SampleDevmode();
  ASSERT_EQ(devmode.size(), 1236u);
  devmode[446] = 0;  // kdmNUPPOSTKind: one page per sheet
  struct Case {
    const char16_t* name;
    BYTE lock;
    BYTE kind;
    std::vector<DWORD> values;
    DWORD sizeAnswer;
  };
  const Case cases[] = {
      {u"Free", 0x00, 0, {1, 2, 4, 9, 16}, 5},
      {u"All Kinds", 0x18, 0, {1, 2, 4, 9, 16}, 5},
      {u"Locked To One", 0x08, 0, {1}, 2},
      {u"Locked To Four", 0x08, 2, {1, 4}, 2},
      {u"Locked To An Unknown Kind", 0x08, 7, {1}, 2},
  };
  for (const Case& c : cases) {
    devmode[446] = c.kind;
    HANDLE printer = InstallWith(c.name, {ByteValue(u"kdmLock000InfoBit", c.lock)}, devmode);
    EXPECT_EQ(Ask(printer, DC_NUP), c.sizeAnswer) << U8(c.name);
    std::vector<DWORD> out(8, 0xEEEEEEEE);
    const DWORD n = Ask(printer, DC_NUP, out.data());
    // The answer is the number of values written, also when the lock leaves fewer than the
    // two the size query promised: the caller reads no slot the driver did not fill.
    EXPECT_EQ(n, c.values.size()) << U8(c.name);
    EXPECT_EQ(std::vector<DWORD>(out.begin(), out.begin() + static_cast<long>(c.values.size())), c.values)
        << U8(c.name);
    EXPECT_EQ(out[c.values.size()], 0xEEEEEEEEu) << U8(c.name);
  }
  // Locked without a stored device-mode: nothing can be written.
  HANDLE bare = InstallWith(u"Locked Bare", {ByteValue(u"kdmLock000InfoBit", 0x08)});
  DWORD out[8] = {};
  EXPECT_EQ(Ask(bare, DC_NUP, out), 0u);
}

TEST_F(DeviceCapabilities, ColourDeviceReadsOnlyTheStoredDevmodesOwnBytes) {
  std::vector<BYTE> devmode = SampleDevmode();
  ASSERT_EQ(devmode.size(), 1236u);
  devmode[810] |= 1;  // kdmMachineTypeColor
  DEVMODEW* pub = reinterpret_cast<DEVMODEW*>(devmode.data());
  pub->dmColor = 1;  // monochrome
  EXPECT_EQ(Ask(InstallWith(u"Colour", {}, devmode), DC_COLORDEVICE), 1u);
  EXPECT_EQ(Ask(InstallWith(u"Colour Locked Mono", {ByteValue(u"kdmLock001InfoBit", 1)}, devmode), DC_COLORDEVICE),
            0u);
  devmode[810] &= static_cast<BYTE>(~1u);
  EXPECT_EQ(Ask(InstallWith(u"Mono Model", {}, devmode), DC_COLORDEVICE), 0u);
  EXPECT_EQ(Ask(InstallWith(u"No Devmode", {}), DC_COLORDEVICE), kFailed);

  // A stored device-mode that declares only its public part: the machine type byte lies
  // beyond what it holds and is not read.
  std::vector<BYTE> shortMode(devmode.begin(), devmode.begin() + 220);
  reinterpret_cast<DEVMODEW*>(shortMode.data())->dmDriverExtra = 0;
  EXPECT_EQ(Ask(InstallWith(u"Short Devmode", {}, shortMode), DC_COLORDEVICE), 0u);
}

TEST_F(DeviceCapabilities, PrintRateFromTheSecondModelIni) {
  HANDLE printer = Install(u"Sample");
  WCHAR ini[MAX_PATH] = {};
  GetSecondIniPathForPrinter(printer, ini);
  ASSERT_NE(ini[0], 0);
  EXPECT_EQ(Ask(printer, DC_PRINTRATE), 0u);
  root_.WriteFile(ini, "[KOVA Sample Driver]\r\nPPM=45\r\n");
  EXPECT_EQ(Ask(printer, DC_PRINTRATE), 45u);
  EXPECT_EQ(Ask(printer, DC_PRINTRATEPPM), 45u);
}

TEST_F(DeviceCapabilities, MediaReadyListsAPaperOfTwoTraysOnce) {
  HANDLE printer = Install(u"Sample");
  DriverContext* context = Create(printer, CTXK_DEVICE_CAPS);
  ASSERT_NE(context, nullptr);
  for (int i = 0; i < 32; ++i) WriteFieldRawById(context, static_cast<WORD>(fid::kdmTrayField0 + i), 0);
  WriteFieldRawById(context, fid::kdmTrayField0, 1);
  WriteFieldRawById(context, fid::kdmTrayField1, 1);
  WriteFieldRawById(context, fid::kdmTrayField2, 0);
  WriteFieldRawById(context, fid::kdmTray1Paper, 9);  // A4
  WriteFieldRawById(context, fid::kdmTray2Paper, 9);
  WriteFieldRawById(context, fid::kdmTray3Paper, 1);  // not installed
  EXPECT_EQ(ListMediaReady(context, nullptr), 1);
  std::vector<WCHAR> names(2 * 64, 0xEEEE);
  ASSERT_EQ(ListMediaReady(context, names.data()), 1);
  EXPECT_EQ(std::u16string(names.data()), u"A4");
  EXPECT_EQ(names[63], 0);
  EXPECT_EQ(names[64], 0xEEEE);
  ReleaseContext(context, CTXR_DESTROY);
}

}  // namespace
}  // namespace device_capabilities_test
}  // namespace kovatest
