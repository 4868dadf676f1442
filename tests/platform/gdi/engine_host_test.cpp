// The engine's DDI road with a driver table of this test: call order, what each call
// receives, banding, device reset, failures, and loading a driver by name.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "plat/engine.h"
#include "test_root.h"
#include "win/errors.h"
#include "win/loader.h"
#include "win/winddi.h"
#include "build_paths.h"

namespace {

// ---- a small rendering driver ----------------------------------------------------------------
struct FakeDevice {
  int id;
  HDEV hdev = nullptr;
  HSURF surface = nullptr;
  std::vector<BYTE> devmode;
  HANDLE printer = nullptr;
};

struct Script {
  std::vector<std::string> log;
  bool banding = false;
  LONG pageHeight = 250;
  LONG bandHeight = 100;
  bool associate = true;
  bool failStartDoc = false;
  bool failEnablePdev = false;
  bool failSendPage = false;
  bool failReset = false;
  int nextId = 1;
  std::vector<FakeDevice*> live;
};
Script g;

FakeDevice* Dev(DHPDEV p) { return reinterpret_cast<FakeDevice*>(p); }
FakeDevice* Dev(SURFOBJ* so) { return Dev(so->dhpdev); }

DHPDEV EnablePDEV(DEVMODEW* pdm, LPWSTR, ULONG cPat, HSURF* pats, ULONG cjCaps, ULONG* caps, ULONG cjDevInfo,
                  DEVINFO* di, HDEV, LPWSTR name, HANDLE printer) {
  if (g.failEnablePdev) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  auto* d = new FakeDevice{};
  d->id = g.nextId++;
  if (pdm) {
    const auto* b = reinterpret_cast<const BYTE*>(pdm);
    d->devmode.assign(b, b + pdm->dmSize + pdm->dmDriverExtra);
  }
  d->printer = printer;
  EXPECT_EQ(cPat, HS_DDI_MAX);
  for (ULONG i = 0; i < cPat; ++i) pats[i] = nullptr;
  EXPECT_EQ(cjCaps, sizeof(GDIINFO));
  EXPECT_EQ(cjDevInfo, sizeof(DEVINFO));
  auto* gi = reinterpret_cast<GDIINFO*>(caps);
  gi->ulVersion = 0x500;
  gi->ulHorzRes = 300;
  gi->ulVertRes = static_cast<ULONG>(g.pageHeight);
  di->flGraphicsCaps = GCAPS_HALFTONE;
  g.log.push_back("EnablePDEV " + std::to_string(d->id) + " " + std::string(name[0] ? "named" : "unnamed"));
  g.live.push_back(d);
  return reinterpret_cast<DHPDEV>(d);
}
void CompletePDEV(DHPDEV p, HDEV h) {
  Dev(p)->hdev = h;
  g.log.push_back("CompletePDEV " + std::to_string(Dev(p)->id));
}
HSURF EnableSurface(DHPDEV p) {
  FakeDevice* d = Dev(p);
  g.log.push_back("EnableSurface " + std::to_string(d->id));
  HSURF s;
  if (g.banding) {
    s = reinterpret_cast<HSURF>(EngCreateBitmap(SIZEL{300, g.bandHeight}, 0, BMF_1BPP, BMF_TOPDOWN, nullptr));
    EngMarkBandingSurface(s);
  } else {
    s = EngCreateDeviceSurface(reinterpret_cast<DHSURF>(d), SIZEL{300, g.pageHeight}, BMF_24BPP);
  }
  if (g.associate) EngAssociateSurface(s, d->hdev, HOOK_BITBLT);
  d->surface = s;
  return s;
}
void DisableSurface(DHPDEV p) {
  g.log.push_back("DisableSurface " + std::to_string(Dev(p)->id));
  EngDeleteSurface(Dev(p)->surface);
  Dev(p)->surface = nullptr;
}
void DisablePDEV(DHPDEV p) {
  g.log.push_back("DisablePDEV " + std::to_string(Dev(p)->id));
  std::erase(g.live, Dev(p));
  delete Dev(p);
}
BOOL ResetPDEV(DHPDEV o, DHPDEV n) {
  g.log.push_back("ResetPDEV " + std::to_string(Dev(o)->id) + "->" + std::to_string(Dev(n)->id));
  return g.failReset ? FALSE : TRUE;
}
BOOL StartDoc(SURFOBJ* so, LPWSTR name, DWORD job) {
  g.log.push_back("StartDoc " + std::to_string(Dev(so)->id) + " " + kovatest::U8(name) + " " + std::to_string(job));
  return g.failStartDoc ? FALSE : TRUE;
}
BOOL EndDoc(SURFOBJ* so, FLONG fl) {
  g.log.push_back("EndDoc " + std::to_string(Dev(so)->id) + (fl & ED_ABORTDOC ? " aborted" : ""));
  return TRUE;
}
BOOL StartPage(SURFOBJ* so) {
  g.log.push_back("StartPage " + std::to_string(Dev(so)->id));
  return TRUE;
}
BOOL SendPage(SURFOBJ* so) {
  g.log.push_back("SendPage " + std::to_string(Dev(so)->id));
  return g.failSendPage ? FALSE : TRUE;
}
LONG g_bandY = 0;
BOOL StartBanding(SURFOBJ*, POINTL* p) {
  g_bandY = 0;
  *p = POINTL{0, 0};
  g.log.push_back("StartBanding");
  return TRUE;
}
BOOL NextBand(SURFOBJ* so, POINTL* p) {
  g_bandY += so->sizlBitmap.cy;
  *p = g_bandY >= g.pageHeight ? POINTL{-1, -1} : POINTL{0, g_bandY};
  g.log.push_back("NextBand");
  return TRUE;
}

template <class F>
PFN P(F f) {
  return reinterpret_cast<PFN>(reinterpret_cast<void (*)()>(f));
}

DRVFN g_table[] = {
    {INDEX_DrvEnablePDEV, P(EnablePDEV)},     {INDEX_DrvCompletePDEV, P(CompletePDEV)},
    {INDEX_DrvEnableSurface, P(EnableSurface)}, {INDEX_DrvDisableSurface, P(DisableSurface)},
    {INDEX_DrvDisablePDEV, P(DisablePDEV)},   {INDEX_DrvResetPDEV, P(ResetPDEV)},
    {INDEX_DrvStartDoc, P(StartDoc)},         {INDEX_DrvEndDoc, P(EndDoc)},
    {INDEX_DrvStartPage, P(StartPage)},       {INDEX_DrvSendPage, P(SendPage)},
    {INDEX_DrvStartBanding, P(StartBanding)}, {INDEX_DrvNextBand, P(NextBand)},
};

class GdiEngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g = Script{};
    driver_.enableData = DRVENABLEDATA{DDI_DRIVER_VERSION_NT5, static_cast<ULONG>(std::size(g_table)), g_table};
    surfaces_ = plat::engine::LiveSurfaceCount();
  }
  void TearDown() override {
    EXPECT_TRUE(g.live.empty()) << "devices left enabled";
    EXPECT_EQ(plat::engine::LiveSurfaceCount(), surfaces_) << "surfaces left behind";
  }
  plat::engine::JobRequest Job(int pages) {
    plat::engine::JobRequest r;
    r.deviceName = u"P";
    r.documentName = u"Doc";
    r.jobId = 9;
    r.pages.resize(pages);
    return r;
  }
  plat::engine::RenderingDriver driver_;
  std::size_t surfaces_ = 0;
};

TEST_F(GdiEngineTest, TwoPageJobRunsTheRoadInOrder) {
  const auto out = plat::engine::RunJob(driver_, Job(2));
  ASSERT_TRUE(out.ok) << out.failedStep;
  const std::vector<std::string> want = {"EnablePDEV 1 named", "CompletePDEV 1", "EnableSurface 1", "StartDoc 1 Doc 9",
                                         "StartPage 1",        "SendPage 1",     "StartPage 1",     "SendPage 1",
                                         "EndDoc 1",           "DisableSurface 1", "DisablePDEV 1"};
  EXPECT_EQ(g.log, want);
  EXPECT_EQ(out.calls.front(), "DrvEnablePDEV");
  EXPECT_EQ(out.calls.back(), "DrvDisablePDEV");
}

TEST_F(GdiEngineTest, BandingSurfaceIsDrawnBandByBand) {
  g.banding = true;
  for (const LONG height : {250, 300}) {  // a page height that is a multiple of the band height, and one that is not
    g.log.clear();
    g.pageHeight = height;
    auto job = Job(1);
    std::vector<LONG> origins;
    job.pages[0].draw = [&](plat::engine::Device& d) {
      origins.push_back(d.bandOrigin().y);
      EXPECT_TRUE(d.banding());
      return true;
    };
    const auto out = plat::engine::RunJob(driver_, job);
    ASSERT_TRUE(out.ok) << out.failedStep;
    EXPECT_EQ(origins, (std::vector<LONG>{0, 100, 200})) << height;
    EXPECT_EQ(std::count(g.log.begin(), g.log.end(), "NextBand"), 3) << height;
    EXPECT_EQ(std::count(g.log.begin(), g.log.end(), "SendPage 1"), 0) << "the last band ends the page";
  }
}

TEST_F(GdiEngineTest, ResetMovesTheJobToANewDevice) {
  std::vector<BYTE> dm(sizeof(DEVMODEW) + 16, 0);
  auto* pub = reinterpret_cast<DEVMODEW*>(dm.data());
  pub->dmSize = sizeof(DEVMODEW);
  pub->dmDriverExtra = 16;
  pub->dmOrientation = 2;
  auto job = Job(2);
  job.pages[1].resetDevmode = pub;
  const auto out = plat::engine::RunJob(driver_, job);
  ASSERT_TRUE(out.ok) << out.failedStep;
  // The documented order of a reset inside a document: the new device, the reset, the old
  // device's surface and device, the new surface, and the document started on it again.
  const std::vector<std::string> want = {
      "EnablePDEV 1 named", "CompletePDEV 1",  "EnableSurface 1", "StartDoc 1 Doc 9", "StartPage 1",
      "SendPage 1",         "EnablePDEV 2 named", "CompletePDEV 2", "ResetPDEV 1->2", "DisableSurface 1",
      "DisablePDEV 1",      "EnableSurface 2", "StartDoc 2 Doc 9", "StartPage 2",      "SendPage 2",
      "EndDoc 2",           "DisableSurface 2", "DisablePDEV 2"};
  EXPECT_EQ(g.log, want);
}

TEST_F(GdiEngineTest, ResetOutsideADocumentAndAFailedReset) {
  {
    plat::engine::Device device(driver_);
    ASSERT_TRUE(device.Enable(nullptr, nullptr, u"P"));
    ASSERT_TRUE(device.EnableSurface());
    ASSERT_TRUE(device.Reset(nullptr));
    EXPECT_EQ(g.live.size(), 1u);
    EXPECT_EQ(device.pdev(), reinterpret_cast<DHPDEV>(g.live[0]));
    EXPECT_EQ(Dev(device.surface())->id, 2);
  }
  const std::vector<std::string> between = {"EnablePDEV 1 named", "CompletePDEV 1", "EnableSurface 1",
                                            "EnablePDEV 2 named", "CompletePDEV 2", "ResetPDEV 1->2",
                                            "DisableSurface 1",   "DisablePDEV 1",  "EnableSurface 2",
                                            "DisableSurface 2",   "DisablePDEV 2"};
  EXPECT_EQ(g.log, between) << "no document is started between documents";

  g = Script{};
  g.failReset = true;
  plat::engine::Device device(driver_);
  ASSERT_TRUE(device.Enable(nullptr, nullptr, u"P"));
  ASSERT_TRUE(device.EnableSurface());
  ASSERT_TRUE(device.StartDoc(u"D", 1));
  const DHPDEV before = device.pdev();
  EXPECT_FALSE(device.Reset(nullptr));
  EXPECT_EQ(device.pdev(), before) << "the old device stays in use";
  EXPECT_EQ(g.log.back(), "DisablePDEV 2");
  EXPECT_TRUE(device.StartPage());
  EXPECT_TRUE(device.SendPage());
  EXPECT_TRUE(device.EndDoc());
}

TEST_F(GdiEngineTest, DeviceModeIsCopiedWholeAndCheckedFirst) {
  std::vector<BYTE> dm(sizeof(DEVMODEW) + 8, 0);
  auto* pub = reinterpret_cast<DEVMODEW*>(dm.data());
  pub->dmSize = sizeof(DEVMODEW);
  pub->dmDriverExtra = 8;
  dm[sizeof(DEVMODEW) + 7] = 0xAB;
  {
    plat::engine::Device device(driver_);
    ASSERT_TRUE(device.Enable(pub, reinterpret_cast<HANDLE>(0x42), u"P"));
    ASSERT_EQ(g.live.size(), 1u);
    EXPECT_EQ(g.live[0]->devmode, dm);
    EXPECT_EQ(g.live[0]->printer, reinterpret_cast<HANDLE>(0x42));
    EXPECT_EQ(device.gdiInfo().ulVersion, 0x500u);
    EXPECT_EQ(device.devInfo().flGraphicsCaps, GCAPS_HALFTONE);
  }
  pub->dmSize = 10;  // shorter than the fields every device-mode has
  plat::engine::Device device(driver_);
  SetLastError(0);
  EXPECT_FALSE(device.Enable(pub, nullptr, u"P"));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_TRUE(g.live.empty());
}

TEST_F(GdiEngineTest, FailedStepsEndTheJobCleanly) {
  g.failStartDoc = true;
  auto out = plat::engine::RunJob(driver_, Job(1));
  EXPECT_FALSE(out.ok);
  EXPECT_EQ(out.failedStep, "DrvStartDoc");
  EXPECT_EQ(std::count(g.log.begin(), g.log.end(), "EndDoc 1"), 0);
  EXPECT_EQ(g.log.back(), "DisablePDEV 1");

  g = Script{};
  g.failSendPage = true;
  out = plat::engine::RunJob(driver_, Job(2));
  EXPECT_EQ(out.failedStep, "DrvSendPage");
  EXPECT_EQ(std::count(g.log.begin(), g.log.end(), "StartPage 1"), 1) << "no page after the failed one";
  const std::vector<std::string> tail = {"EndDoc 1 aborted", "DisableSurface 1", "DisablePDEV 1"};
  EXPECT_EQ(std::vector<std::string>(g.log.end() - 3, g.log.end()), tail);

  g = Script{};
  g.failEnablePdev = true;
  out = plat::engine::RunJob(driver_, Job(1));
  EXPECT_EQ(out.failedStep, "DrvEnablePDEV");
  EXPECT_EQ(out.lastError, static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));

  // A surface the driver does not associate with the device cannot be used.
  g = Script{};
  g.associate = false;
  out = plat::engine::RunJob(driver_, Job(1));
  EXPECT_EQ(out.failedStep, "DrvEnableSurface");
  EXPECT_EQ(out.lastError, static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(g.log.back(), "DisablePDEV 1");
}

TEST_F(GdiEngineTest, MissingFunctionsAreReported) {
  DRVFN partial[] = {g_table[0], g_table[1], g_table[2], g_table[3], g_table[4]};  // no StartDoc
  driver_.enableData = DRVENABLEDATA{DDI_DRIVER_VERSION_NT5, 5, partial};
  const auto out = plat::engine::RunJob(driver_, Job(1));
  EXPECT_EQ(out.failedStep, "DrvStartDoc");
  EXPECT_EQ(out.lastError, static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
}

TEST(GdiEngineLoad, DriversAreLoadedByWindowsName) {
  kovatest::TempRoot root;
  plat::engine::RenderingDriver driver;
  SetLastError(0);
  EXPECT_FALSE(plat::engine::LoadRenderingDriver(u"C:\\Drv\\Missing.dll", driver));
  EXPECT_NE(GetLastError(), 0u);
  EXPECT_EQ(driver.module, nullptr);
  // A library without DrvEnableDriver is not a rendering driver.
  const std::string host = root.HostPath(u"C:\\Drv\\NotADriver.so");
  std::filesystem::create_directories(std::filesystem::path(host).parent_path());
  std::filesystem::copy_file(kovatest::BuiltFile("OutputDouble"), host);
  EXPECT_FALSE(plat::engine::LoadRenderingDriver(u"C:\\Drv\\NotADriver.dll", driver));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
  EXPECT_EQ(driver.module, nullptr);
  EXPECT_EQ(GetModuleHandleW(u"NotADriver.dll"), nullptr) << "the module is freed again";
}

}  // namespace
