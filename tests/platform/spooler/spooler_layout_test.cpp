// The spooler's and the device-mode's byte layouts are contracts with every caller: sizes
// and member offsets of the 64-bit records.
#include <gtest/gtest.h>

#include <cstddef>

#include "win/devmode.h"
#include "win/spool.h"

namespace {

struct LayoutCase {
  const char* member;
  std::size_t actual;
  std::size_t expected;
};

#define KOVA_AT(type, member, off) LayoutCase{#type "::" #member, offsetof(type, member), off}
#define KOVA_SIZE(type, size) LayoutCase{"sizeof " #type, sizeof(type), size}

TEST(SpoolerLayout, DevmodePublicPartHasTheDocumentedOffsets) {
  const LayoutCase cases[] = {
      KOVA_SIZE(DEVMODEW, 220),
      KOVA_AT(DEVMODEW, dmDeviceName, 0),     KOVA_AT(DEVMODEW, dmSpecVersion, 64),
      KOVA_AT(DEVMODEW, dmDriverVersion, 66), KOVA_AT(DEVMODEW, dmSize, 68),
      KOVA_AT(DEVMODEW, dmDriverExtra, 70),   KOVA_AT(DEVMODEW, dmFields, 72),
      KOVA_AT(DEVMODEW, dmOrientation, 76),   KOVA_AT(DEVMODEW, dmPaperSize, 78),
      KOVA_AT(DEVMODEW, dmPaperLength, 80),   KOVA_AT(DEVMODEW, dmPaperWidth, 82),
      KOVA_AT(DEVMODEW, dmScale, 84),         KOVA_AT(DEVMODEW, dmCopies, 86),
      KOVA_AT(DEVMODEW, dmDefaultSource, 88), KOVA_AT(DEVMODEW, dmPrintQuality, 90),
      KOVA_AT(DEVMODEW, dmColor, 92),         KOVA_AT(DEVMODEW, dmDuplex, 94),
      KOVA_AT(DEVMODEW, dmYResolution, 96),   KOVA_AT(DEVMODEW, dmTTOption, 98),
      KOVA_AT(DEVMODEW, dmCollate, 100),      KOVA_AT(DEVMODEW, dmFormName, 102),
      KOVA_AT(DEVMODEW, dmLogPixels, 166),    KOVA_AT(DEVMODEW, dmBitsPerPel, 168),
      KOVA_AT(DEVMODEW, dmPelsWidth, 172),    KOVA_AT(DEVMODEW, dmPelsHeight, 176),
      KOVA_AT(DEVMODEW, dmNup, 180),          KOVA_AT(DEVMODEW, dmDisplayFlags, 180),
      KOVA_AT(DEVMODEW, dmDisplayFrequency, 184), KOVA_AT(DEVMODEW, dmICMMethod, 188),
      KOVA_AT(DEVMODEW, dmICMIntent, 192),    KOVA_AT(DEVMODEW, dmMediaType, 196),
      KOVA_AT(DEVMODEW, dmDitherType, 200),   KOVA_AT(DEVMODEW, dmReserved1, 204),
      KOVA_AT(DEVMODEW, dmReserved2, 208),    KOVA_AT(DEVMODEW, dmPanningWidth, 212),
      KOVA_AT(DEVMODEW, dmPanningHeight, 216),
  };
  for (const auto& c : cases) EXPECT_EQ(c.actual, c.expected) << c.member;
  EXPECT_EQ(DM_SPECVERSION, 0x401);
}

TEST(SpoolerLayout, SpoolerRecordsHaveTheir64BitLayouts) {
  const LayoutCase cases[] = {
      KOVA_SIZE(PRINTER_INFO_2W, 136),
      KOVA_AT(PRINTER_INFO_2W, pServerName, 0),   KOVA_AT(PRINTER_INFO_2W, pPrinterName, 8),
      KOVA_AT(PRINTER_INFO_2W, pDriverName, 32),  KOVA_AT(PRINTER_INFO_2W, pDevMode, 56),
      KOVA_AT(PRINTER_INFO_2W, Attributes, 104),  KOVA_AT(PRINTER_INFO_2W, cJobs, 128),
      KOVA_SIZE(PRINTER_INFO_7W, 16),             KOVA_AT(PRINTER_INFO_7W, dwAction, 8),
      KOVA_SIZE(DRIVER_INFO_2W, 48),              KOVA_AT(DRIVER_INFO_2W, pDriverPath, 24),
      KOVA_AT(DRIVER_INFO_2W, pConfigFile, 40),
      KOVA_SIZE(DRIVER_INFO_3W, 80),              KOVA_AT(DRIVER_INFO_3W, pHelpFile, 48),
      KOVA_AT(DRIVER_INFO_3W, pDependentFiles, 56),
      KOVA_SIZE(FORM_INFO_1W, 40),                KOVA_AT(FORM_INFO_1W, Size, 16),
      KOVA_AT(FORM_INFO_1W, ImageableArea, 24),
      KOVA_SIZE(JOB_INFO_1W, 96),                 KOVA_AT(JOB_INFO_1W, Status, 56),
      KOVA_AT(JOB_INFO_1W, Submitted, 76),
      KOVA_SIZE(JOB_INFO_2W, 160),                KOVA_AT(JOB_INFO_2W, pDevMode, 80),
      KOVA_AT(JOB_INFO_2W, Status, 104),          KOVA_AT(JOB_INFO_2W, Submitted, 132),
      KOVA_AT(JOB_INFO_2W, PagesPrinted, 152),
      KOVA_SIZE(PRINTER_DEFAULTSW, 24),           KOVA_AT(PRINTER_DEFAULTSW, DesiredAccess, 16),
  };
  for (const auto& c : cases) EXPECT_EQ(c.actual, c.expected) << c.member;
}

}  // namespace
