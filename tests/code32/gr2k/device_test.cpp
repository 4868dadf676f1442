// The rendering device in this process (rendara_core linked in): its fields can be set and
// read between the engine's calls. Settings record, raw jobs, bands, device resets and
// drawing calls after an output failure; GDIINFO and DEVINFO.
#include "context/context_cache.h"
#include "model/driver_locks.h"
#include "context/extension_modules.h"
#include "base/deliverable.h"
#include "fields/field_access.h"
#include "fields/product_record.h"
#include "ddi.h"
#include "in_process_job.h"
#include "record_walk.h"
#include "model/option_lookup.h"
#include "output_binding.h"
#include "render_common.h"
#include "render_fields.h"
#include "win/env.h"
#include "win/registry.h"
#include "plat/gdi_objects.h"
#include "plat/truetype.h"
#include "build_paths.h"

namespace rendara::test {
namespace {

class InProcessJob : public DeviceJob {
 protected:
  // The block types with each run of record blocks (a page's records may take several
  // blocks) counted once.
  std::vector<DWORD> BlockKinds() {
    std::vector<DWORD> kinds;
    for (DWORD type : Types(Blocks()))
      if (kinds.empty() || type != kBlockRecords || kinds.back() != kBlockRecords) kinds.push_back(type);
    return kinds;
  }
  // The image records of the stream, each as its bytes.
  std::vector<std::vector<BYTE>> Images() {
    std::vector<BYTE> s;
    for (const auto& b : Blocks())
      if (b.type == kBlockRecords) s.insert(s.end(), b.payload.begin(), b.payload.end());
    std::vector<std::vector<BYTE>> images;
    for (std::size_t at = 0; at + 4 <= s.size();) {
      const std::size_t len = RecordLength(s, at);
      if (len == 0 || s.size() - at < len) {
        ADD_FAILURE() << "bad record at " << at;
        break;
      }
      if (s[at] == 0x20) images.emplace_back(s.begin() + at, s.begin() + at + len);
      at += len;
    }
    return images;
  }
  std::size_t Calls(const std::string& name) {
    std::size_t n = 0;
    for (const auto& c : engine_->calls()) n += c == name;
    return n;
  }
};

TEST_F(InProcessJob, SettingsRecordFollowsTheJobTextWhenAsked) {
  Enable();
  SetField(fid::kdmFrontFunc, ReadFieldRawById(Device()->context, fid::kdmFrontFunc) | 0x100);
  SetField(fid::kdmPreviewPrint, 1);
  // The preview tool counts as installed when its registry key says so; the interface
  // DLL's merges record that in the state byte the job's device-mode carries (the
  // rendering build's merge leaves the byte as it comes).
  SetField(fid::KPD_kdmPLInstalled, 1);
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"Software\\VANTE\\Suitemix\\Preview", 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr),
            0);
  const DWORD version = 1;
  RegSetValueExW(key, u"VERSION", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&version), sizeof version);
  RegCloseKey(key);
  ASSERT_TRUE(engine_->EnableSurface());
  ASSERT_TRUE(engine_->StartDoc(u"Doc", 3));
  EXPECT_EQ(Device()->settingsRecordWanted, 1u);
  ASSERT_TRUE(engine_->StartPage());
  ASSERT_TRUE(engine_->SendPage());
  ASSERT_TRUE(engine_->EndDoc());
  const auto blocks = Blocks();
  ASSERT_EQ(Types(blocks), (std::vector<DWORD>{0xF3, 0xF3, 0xF7, 0xF4, 0xF0, 0xF5, 0xF1}));
  const BYTE* devmode = GetContextDevmode(Device()->context);
  ASSERT_GE(blocks[2].payload.size(), GetTotalDevmodeSize());
  EXPECT_EQ(0, std::memcmp(blocks[2].payload.data(), devmode, blocks[2].payload.size()));
}

TEST_F(InProcessJob, RawJobFirstPageHasOnlyTheJobText) {
  Enable();
  SetField(fid::KPD_kdmJobfold, 1);
  Device()->rawMode = 1;
  ASSERT_TRUE(engine_->EnableSurface());
  ASSERT_TRUE(engine_->StartDoc(u"Raw", 3));
  EXPECT_EQ(Device()->settingsRecordWanted, 0u);
  for (int page = 0; page < 2; ++page) {
    ASSERT_TRUE(engine_->StartPage());
    ASSERT_TRUE(engine_->SendPage());
  }
  ASSERT_TRUE(engine_->EndDoc());
  EXPECT_EQ(Types(Blocks()), (std::vector<DWORD>{0xF3, 0xF3, 0xF4, 0xF0, 0xF5, 0xF1}));
}

// Text on the vector surface is drawn as records and reported drawn; a call without its
// string and font is refused and does not fail the job.
TEST_F(InProcessJob, TextIsDrawnAsRecordsOnTheVectorSurface) {
  Enable();
  ASSERT_TRUE(engine_->EnableSurface());
  ASSERT_TRUE(engine_->StartDoc(u"Doc", 3));
  ASSERT_TRUE(engine_->StartPage());
  EXPECT_FALSE(DrvTextOut(engine_->surface(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                          0));
  EXPECT_EQ(Device()->jobFlags & JOB_OUTPUT_FAILED, 0u);
  auto face = plat::gdi::TrueTypeFace::Open("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
  ASSERT_NE(face, nullptr);
  auto text = face->Realize(5, 50, u"Text");
  auto string = plat::gdi::LayOutString(text, u"Text", POINTL{300, 400});
  plat::gdi::BrushObject black(0);
  EXPECT_TRUE(DrvTextOut(engine_->surface(), string->get(), text.font->get(), nullptr, nullptr, nullptr, black.get(),
                         nullptr, nullptr, 0x0B0D));
  ASSERT_TRUE(engine_->SendPage());
  ASSERT_TRUE(engine_->EndDoc());
  std::vector<BYTE> s;
  for (const auto& b : Blocks())
    if (b.type == kBlockRecords) s.insert(s.end(), b.payload.begin(), b.payload.end());
  bool font = false, glyphs = false;
  for (std::size_t at = 0; at < s.size();) {
    const std::size_t len = RecordLength(s, at);
    ASSERT_TRUE(len > 0 && len % 4 == 0 && at + len <= s.size()) << at;
    font |= s[at] == 0x50 || s[at] == 0x56;
    glyphs |= s[at] == 0x52 || s[at] == 0x55;
    at += len;
  }
  EXPECT_TRUE(font);
  EXPECT_TRUE(glyphs);
}

TEST_F(InProcessJob, TwoStartPagesCountOnePage) {
  Enable();
  ASSERT_TRUE(engine_->EnableSurface());
  ASSERT_TRUE(engine_->StartDoc(u"Doc", 3));
  ASSERT_TRUE(engine_->StartPage());
  ASSERT_TRUE(engine_->StartPage());
  EXPECT_EQ(Device()->pageCount, 1);
  ASSERT_TRUE(engine_->SendPage());
  ASSERT_TRUE(engine_->EndDoc());
  // The output saw both page starts.
  const std::string log = Text(output_, "OutputDoubleLog");
  std::size_t starts = 0;
  for (std::size_t at = log.find("StartPage "); at != std::string::npos; at = log.find("StartPage ", at + 1)) ++starts;
  EXPECT_EQ(starts, 2u);
}

// Raster pages: the band height from the row size, the band count, and each band placed
// on the page as an image of what was painted into it.
TEST_F(InProcessJob, BandsOfARasterPage) {
  struct Case {
    LONG height;
    std::vector<LONG> bandHeights;
  } cases[] = {{1024, {512, 512}}, {1000, {512, 488}}, {1025, {512, 512, 1}}, {512, {512}}, {100, {100}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.height);
    Control<OutputDoubleResetProc>(output_, "OutputDoubleReset")();
    Enable();
    Device()->rasterMode = 1;
    Device()->surfaceWidth = 4960;
    Device()->surfaceHeight = c.height;
    ASSERT_TRUE(engine_->EnableSurface());
    ASSERT_TRUE(engine_->banding());
    ASSERT_TRUE(engine_->StartDoc(u"Bands", 3));
    ASSERT_TRUE(engine_->StartPage());
    // Each band paints its first pixel black.
    ASSERT_TRUE(engine_->SendPage([](plat::engine::Device& d) {
      SURFOBJ* band = d.surface();
      if (!band || !band->pvBits) return false;
      const int bytes = band->iBitmapFormat == BMF_1BPP ? 1 : 3;
      std::memset(band->pvBits, 0, static_cast<std::size_t>(bytes));
      if (bytes == 1) static_cast<BYTE*>(band->pvBits)[0] = 0x7F;
      return true;
    }));
    EXPECT_EQ(Calls("DrvNextBand"), c.bandHeights.size());
    EXPECT_EQ(Device()->bandCount, static_cast<std::int32_t>(c.bandHeights.size()));
    ASSERT_TRUE(engine_->EndDoc());
    // The last band sent the page.
    EXPECT_EQ(BlockKinds(), (std::vector<DWORD>{0xF3, 0xF3, 0xF4, 0xF0, 0xF5, 0xF1}));
    const auto images = Images();
    ASSERT_EQ(images.size(), c.bandHeights.size());
    LONG top = 0;
    for (std::size_t i = 0; i < images.size(); ++i) {
      const auto& r = images[i];
      SCOPED_TRACE(i);
      ASSERT_GT(r.size(), 60u);
      EXPECT_EQ(static_cast<LONG>(U32(r, 8)), 0);                               // left
      EXPECT_EQ(static_cast<LONG>(U32(r, 12)), top);                            // top
      EXPECT_EQ(static_cast<LONG>(U32(r, 16)), 4960);                           // right
      EXPECT_EQ(static_cast<LONG>(U32(r, 20)), top + c.bandHeights[i]);         // bottom
      EXPECT_EQ(U32(r, 32), 4960u);                                              // pixels per row
      EXPECT_EQ(static_cast<LONG>(U32(r, 36)), c.bandHeights[i]);               // rows
      // The first row of the band's pixels: black at the first pixel, white behind it.
      const DWORD format = r[2] & 0x0F;
      const std::size_t rows = r.size() - U32(r, 36) * ((4960 * (format == 0 ? 1 : format == 2 ? 8 : 24) + 31) / 32 * 4);
      ASSERT_LT(rows, r.size());
      if (format == 0) {
        EXPECT_EQ(r[rows] & 0x80, 0);
      } else {
        EXPECT_EQ(r[rows], 0);
      }
      EXPECT_EQ(r[rows + 7], 0xFF);
      top += c.bandHeights[i];
    }
    engine_.reset();
  }
  EXPECT_EQ(BandHeight(4960, 7016), 512);
  EXPECT_EQ(BandHeight(4960, 300), 300);
  EXPECT_EQ(BandHeight(0, 300), 0);
}

TEST_F(InProcessJob, ResetMovesTransformsAndFilterPathsToTheNewDevice) {
  AddFilter(kovatest::BuiltFile("FilterDouble"));
  Control<FilterDoubleResetProc>(filter_, "FilterDoubleReset")();
  Enable();
  ASSERT_TRUE(engine_->EnableSurface());
  ASSERT_TRUE(engine_->StartDoc(u"Doc", 3));
  ASSERT_TRUE(engine_->StartPage());
  ASSERT_TRUE(engine_->SendPage());
  RenderDevice* old = Device();
  ASSERT_NE(old->filterPaths, nullptr);
  FilterPathList* paths = old->filterPaths;
  const HANDLE transform = reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(0xC0));
  old->colorTransform = transform;
  const HMODULE module = old->records.outputModule;

  ASSERT_TRUE(engine_->Reset(&resetDevmode_));
  RenderDevice* now = Device();
  ASSERT_NE(now, old);
  EXPECT_EQ(now->filterPaths, paths);
  EXPECT_STREQ(now->filterPaths->paths[0], "C:\\drv\\TestFilter.dll");  // still alive
  EXPECT_EQ(now->colorTransform, transform);
  EXPECT_EQ(now->records.outputModule, module);
  EXPECT_NE(now->jobFlags & JOB_CARRIED_OVER, 0u);
  EXPECT_EQ(now->pageCount, 1);
  ASSERT_TRUE(engine_->StartPage());
  EXPECT_EQ(now->jobFlags & JOB_CARRIED_OVER, 0u);
  ASSERT_TRUE(engine_->SendPage());
  now->colorTransform = nullptr;
  ASSERT_TRUE(engine_->EndDoc());
  EXPECT_EQ(now->filterPaths, nullptr);
  EXPECT_EQ(now->records.outputModule, nullptr);
}

TEST_F(InProcessJob, ResetBeforeTheDocumentCarriesNothing) {
  Enable();
  ASSERT_TRUE(engine_->EnableSurface());
  ASSERT_TRUE(engine_->Reset(&resetDevmode_));
  EXPECT_EQ(Device()->jobFlags, 0u);
  EXPECT_EQ(Device()->copies, 2);  // the reset's device-mode was merged
}

TEST_F(InProcessJob, AfterAnOutputFailureDrawingFailsAndNothingIsWritten) {
  OutputDoubleConfig config{FALSE, 1, 0};
  Control<OutputDoubleConfigureProc>(output_, "OutputDoubleConfigure")(&config);
  Enable();
  ASSERT_TRUE(engine_->EnableSurface());
  ASSERT_TRUE(engine_->StartDoc(u"Doc", 3));
  EXPECT_FALSE(engine_->StartPage());
  EXPECT_NE(Device()->jobFlags & JOB_OUTPUT_FAILED, 0u);
  SURFOBJ* surface = engine_->surface();
  EXPECT_FALSE(DrvBitBlt(surface, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0));
  EXPECT_FALSE(DrvTextOut(surface, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0));
  EXPECT_FALSE(DrvStartPage(surface));
  EXPECT_FALSE(DrvSendPage(surface));
  ASSERT_TRUE(engine_->EndDoc());
  const std::string log = Text(output_, "OutputDoubleLog");
  std::size_t writes = 0;
  for (std::size_t at = log.find("Write"); at != std::string::npos; at = log.find("Write", at + 1)) ++writes;
  EXPECT_EQ(writes, 1u);  // only the one that failed
  EXPECT_NE(log.find("Close"), std::string::npos);
  EXPECT_EQ(Device()->records.outputModule, nullptr);
}

TEST_F(InProcessJob, DeviceTakesTheJobDevmodeAndTheProductsOutputName) {
  DEVMODEW dm{};
  dm.dmSize = sizeof dm;
  dm.dmFields = DM_COPIES | DM_PRINTQUALITY;
  dm.dmCopies = 3;
  dm.dmPrintQuality = 0;
  RenderDevice* device = Enable(&dm);
  ASSERT_NE(device, nullptr);
  EXPECT_EQ(device->copies, 3);
  // A resolution that reads 0 counts as 600 dots per inch everywhere.
  EXPECT_EQ(device->resolution, 600);
  EXPECT_EQ(engine_->gdiInfo().ulLogPixelsX, 600u);
  EXPECT_EQ(engine_->gdiInfo().ulAspectXY, 848u);
  EXPECT_EQ(engine_->gdiInfo().denStyleStep, 24);
  ASSERT_NE(device->jobDevmode, nullptr);
  EXPECT_EQ(device->jobDevmode->dmCopies, 3);
  ASSERT_NE(device->outputDllName, nullptr);
  EXPECT_EQ(std::u16string(device->outputDllName), u"Spoolane.DLL");
  // A device-mode too short for its own field mask is refused.
  engine_.reset();
  engine_ = std::make_unique<plat::engine::Device>(local_);
  DEVMODEW shortOne{};
  shortOne.dmSize = 8;
  EXPECT_FALSE(engine_->Enable(&shortOne, printer_, deviceName_));
}

// A bare device (no context) for the capability records.
class Capabilities : public BufferTest {
 protected:
  kovatest::TempRoot root_;
};

TEST_F(Capabilities, GdiInfoColourModes) {
  struct Case {
    std::int16_t raster, process;
    DWORD color;
    ULONG bits, planes, colours, palette, htFormat;
  } cases[] = {
      {1, 1, 1, 1, 1, 2, 2, 0},
      {1, 2, 2, 8, 3, 0xFFFFFF, 0xFFFFFF, 6},
      {0, 1, 2, 1, 1, 8, 20, 6},
      {0, 1, 1, 1, 1, 2, 2, 6},
      {0, 2, 2, 24, 1, 0xFFFFFF, 0xFFFFFF, 6},
      {0, 3, 2, 8, 3, 0xFFFFFF, 0xFFFFFF, 6},
  };
  for (const Case& c : cases) {
    device_->rasterMode = c.raster;
    device_->colorProcess = c.process;
    device_->color = c.color;
    device_->resolution = 1200;
    device_->geometry.printableWidth = 9000;
    device_->geometry.printableHeight = 12000;
    device_->geometry.printableWidthMm10 = 1905;
    GDIINFO g{};
    FillGdiInfo(device_, sizeof g, &g);
    EXPECT_EQ(g.cBitsPixel, c.bits);
    EXPECT_EQ(g.cPlanes, c.planes);
    EXPECT_EQ(g.ulNumColors, c.colours);
    EXPECT_EQ(g.ulNumPalReg, c.palette);
    EXPECT_EQ(g.ulHTOutputFormat, c.htFormat);
    EXPECT_EQ(g.ulVersion, 0x500u);
    EXPECT_EQ(g.ulTechnology, 2u);
    EXPECT_EQ(g.flTextCaps, 0x581Fu);
    EXPECT_EQ(g.ulHTPatternSize, 11u);
    EXPECT_EQ(static_cast<LONG>(g.ulHorzSize), -190500);
    EXPECT_EQ(g.ulHorzRes, 9000u);
    EXPECT_EQ(g.ciDevice.MagentaInYellowDye, 10000);
    EXPECT_EQ(device_->surfaceHeight, 12000);
  }
  // Only part of the record goes to an engine that asks for less.
  GDIINFO small{};
  std::memset(&small, 0xAB, sizeof small);
  FillGdiInfo(device_, 8, &small);
  EXPECT_EQ(small.ulVersion, 0x500u);
  EXPECT_EQ(small.ulHorzSize, 0xABABABABu);
}

TEST_F(Capabilities, HalftonePatternSizes) {
  struct Case {
    ULONG x, y, size;
  } cases[] = {{2400, 2400, 15}, {1800, 2400, 13}, {1200, 1200, 11}, {900, 900, 9}, {600, 600, 7},
               {400, 400, 7},    {300, 300, 5},    {180, 180, 5},    {179, 600, 3}, {72, 72, 3}};
  for (const Case& c : cases) EXPECT_EQ(HalftonePatternSize(c.x, c.y), c.size) << c.x << "x" << c.y;
}

TEST_F(Capabilities, DevInfoCapsPaletteAndFont) {
  device_->rasterMode = 1;
  device_->colorProcess = 1;
  device_->color = 1;
  DEVINFO d{};
  ASSERT_TRUE(FillDevInfo(device_, sizeof d, &d, 7));
  EXPECT_EQ(d.flGraphicsCaps, 0x430u | GCAPS_DONTJOURNAL | GCAPS_FORCEDITHER);
  EXPECT_EQ(d.cxDither, 8);
  EXPECT_EQ(d.iDitherFormat, BMF_1BPP);
  EXPECT_NE(d.hpalDefault, nullptr);
  EXPECT_EQ(d.hpalDefault, device_->palette);

  device_->rasterMode = 0;
  device_->color = 2;
  device_->colorMatching = 1;
  device_->icmType = 1;
  device_->metafileSpooling = 1;
  device_->hiddenFunc4 = 1;
  device_->resolution = 600;
  ASSERT_TRUE(FillDevInfo(device_, sizeof d, &d, 7));
  EXPECT_EQ(d.flGraphicsCaps, 0x1Fu | GCAPS_ICM);  // metafile spooling drops DONTJOURNAL
  EXPECT_EQ(d.iDitherFormat, BMF_24BPP);
  EXPECT_EQ(d.lfDefaultFont.lfHeight, (10 * 600 + 300) / 72);
  EXPECT_EQ(d.lfDefaultFont.lfFaceName[0], u'\u660E');
  EXPECT_EQ(d.lfAnsiVarFont.lfCharSet, 0);
  EXPECT_EQ(CharSetOfCodePage(932), 128);
  EXPECT_EQ(CharSetOfCodePage(874), 222);
  EXPECT_EQ(CharSetOfCodePage(437), 0);
  EngDeletePalette(device_->palette);
}

}  // namespace
}  // namespace rendara::test

namespace rendara::test {
namespace {

TEST_F(InProcessJob, NotificationLineCarriesTheOfferedAndChosenEvents) {
  struct Case {
    DWORD supportComplete, supportError, complete, error;
    const char* value;
  } cases[] = {{1, 0, 1, 1, "0x01"}, {1, 1, 1, 1, "0x03"}, {0, 1, 1, 1, "0x02"}, {1, 1, 0, 0, "0x00"}};
  Enable();
  Device()->records.outputModule = output_;
  Device()->records.write = ProcCast<WriteCallback>(GetProcAddress(output_, "DrvSplWritePrinter"));
  for (const Case& c : cases) {
    Control<OutputDoubleResetProc>(output_, "OutputDoubleReset")();
    SetField(fid::kdmSupportFunc2SelectJobComplete, c.supportComplete);
    SetField(fid::kdmSupportFunc2SelectJobErr, c.supportError);
    SetField(fid::kdmFunc2SelectJobComplete, c.complete);
    SetField(fid::kdmFunc2SelectJobErr, c.error);
    ASSERT_TRUE(WriteNotificationBlock(Device()));
    const auto blocks = Blocks();
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(blocks[0].type, kBlockJobText);
    EXPECT_EQ(std::string(blocks[0].payload.begin(), blocks[0].payload.end()),
              std::string("@PJL COMMENT NOTIFICATION = \"") + c.value + "\" \r\n");
  }
  Device()->records.outputModule = nullptr;
  Device()->records.write = nullptr;
}

TEST_F(InProcessJob, OptionValueEnabledNeedsADeclaredOption) {
  Enable();
  DriverContext* context = Device()->context;
  EXPECT_TRUE(IsOptionValueEnabled(context, fid::dmPaperSize, 0));  // the sample's paper option
  EXPECT_FALSE(IsOptionValueEnabled(context, fid::kdmFunc2SelectJobComplete, 0));
  EXPECT_FALSE(IsOptionValueEnabled(nullptr, fid::dmPaperSize, 0));
  // The paper option is a PickPage: its base type is PickOne's.
  EXPECT_EQ(GetOptionRawType(fid::dmPaperSize, context), 0x0101);
  EXPECT_EQ(GetOptionBaseType(fid::dmPaperSize, context), 1);
  EXPECT_EQ(GetOptionBaseType(fid::kdmFunc2SelectJobComplete, context), 0);
}

TEST_F(InProcessJob, MetafileSpoolingTakesTheSpoolersDocumentNameAndStartsPagesAtBanding) {
  plat::spooler::JobSetup job;
  job.id = 41;
  job.document = u"Spooled name";
  ASSERT_EQ(plat::spooler::AddJob(deviceName_, job), 41u);
  Enable();
  Device()->metafileSpooling = 1;
  Device()->rasterMode = 1;
  Device()->surfaceWidth = 4960;
  Device()->surfaceHeight = 600;
  ASSERT_TRUE(engine_->EnableSurface());
  ASSERT_TRUE(engine_->StartDoc(u"Application name", 41));
  ASSERT_NE(Device()->jobName, nullptr);
  EXPECT_EQ(std::string(Device()->jobName, Device()->jobNameLength), "Spooled name");
  // The engine does not call DrvStartPage here: the first band starts the page.
  ASSERT_TRUE(engine_->SendPage());
  EXPECT_EQ(Device()->pageCount, 1);
  EXPECT_EQ(Device()->pageStartSeen, 0);
  ASSERT_TRUE(engine_->EndDoc());
  EXPECT_EQ(BlockKinds(), (std::vector<DWORD>{0xF3, 0xF3, 0xF4, 0xF0, 0xF5, 0xF1}));
}

TEST_F(InProcessJob, DriverDirectoryJoinsPathOnce) {
  WCHAR path[4096];
  const DWORD before = GetEnvironmentVariableW(u"PATH", path, 4096);
  ASSERT_GT(before, 0u);
  ASSERT_EQ(std::u16string(path).find(u"C:\\drv"), std::u16string::npos);
  Enable();
  engine_.reset();
  Enable();
  ASSERT_GT(GetEnvironmentVariableW(u"PATH", path, 4096), before);
  const std::u16string value(path);
  const std::size_t at = value.find(u";C:\\drv");
  ASSERT_NE(at, std::u16string::npos) << kovatest::U8(value);
  EXPECT_EQ(value.find(u"C:\\drv", at + 2), std::u16string::npos);
  EXPECT_EQ(value.size(), at + 7u);
}

TEST_F(InProcessJob, RenderingOnlyOperations) {
  Enable();
  DriverContext* context = Device()->context;
  // The log-file name of the printer data.
  WCHAR name[64] = {};
  EXPECT_FALSE(ReadLogFileName(printer_, name, sizeof name));
  const char16_t value[] = u"C:\\logs\\kova.log";
  ASSERT_EQ(SetPrinterDataW(printer_, const_cast<LPWSTR>(u"LogFileName"), REG_SZ,
                            reinterpret_cast<LPBYTE>(const_cast<char16_t*>(value)), sizeof value),
            0u);
  EXPECT_TRUE(ReadLogFileName(printer_, name, sizeof name));
  EXPECT_EQ(std::u16string(name), value);
  EXPECT_FALSE(ReadLogFileName(printer_, nullptr, sizeof name));
  EXPECT_FALSE(ReadLogFileName(printer_, name, 0));
  // The two-way state byte follows the printer data's flag while nothing is cached.
  const DWORD on = 1;
  ASSERT_EQ(SetPrinterDataW(printer_, const_cast<LPWSTR>(u"BidiFlag"), REG_DWORD,
                            reinterpret_cast<LPBYTE>(const_cast<DWORD*>(&on)), sizeof on),
            0u);
  UpdateBiDirectState(context);
  EXPECT_EQ(ReadFieldRawById(context, 710), 1u);
  // The option lookup by name and share key: the sample's paper option, and the print size
  // that names it with Identity.
  const ImageRef paper = FindOptionByItemId(631, context);
  ASSERT_TRUE(paper);
  const ImageRef found = FindOptionByNameAndShareKey(631, OptionShareKey(paper), context);
  EXPECT_EQ(found.offset, paper.offset);
  EXPECT_FALSE(FindOptionByNameAndShareKey(631, static_cast<WORD>(OptionShareKey(paper) + 1), context));
  EXPECT_FALSE(FindOptionByNameAndShareKey(1, 0, nullptr));
}

}  // namespace
}  // namespace rendara::test
