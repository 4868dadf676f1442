// Print jobs through the graphics engine and the built Rendara.so: the block order of
// one-page, multi-page and reset jobs, the output library's calls, output failures and
// filter plug-ins.
#include <sstream>

#include "job_fixture.h"
#include "build_paths.h"

namespace rendara::test {
namespace {

// The first word of every log line, with runs of "Write" folded into one.
std::vector<std::string> CallNames(const std::string& log) {
  std::vector<std::string> names;
  std::istringstream in(log);
  std::string line;
  while (std::getline(in, line)) {
    const std::string name = line.substr(0, line.find(' '));
    if (name == "Write" && !names.empty() && names.back() == "Write") continue;
    names.push_back(name);
  }
  return names;
}

std::size_t Count(const std::string& log, const std::string& name) {
  std::size_t n = 0;
  std::istringstream in(log);
  std::string line;
  while (std::getline(in, line))
    if (line.rfind(name + " ", 0) == 0 || line == name) ++n;
  return n;
}

std::string Payload(const Block& b) { return std::string(b.payload.begin(), b.payload.end()); }

DWORD U32(const std::vector<BYTE>& p, std::size_t at) {
  return p[at] | (p[at + 1] << 8) | (p[at + 2] << 16) | (static_cast<DWORD>(p[at + 3]) << 24);
}

class PrintJob : public JobTest {
 protected:
  // The printer with the built Rendara.so in its driver folder, loaded as the engine's
  // rendering driver.
  void Install(const std::string& output, std::u16string folder = kDriverFolder,
               std::u16string name = u"KOVA Job Printer") {
    InstallPrinter(output, folder, name);
    if (HasFatalFailure()) return;
    Copy(kovatest::BuiltFile("Rendara"), "Rendara.so");
    ASSERT_TRUE(plat::engine::LoadRenderingDriver((folder + u"\\Rendara.dll").c_str(), driver_));
  }
  void UseOutputDouble(const std::string& so = kovatest::BuiltFile("OutputDouble"), OutputDoubleConfig config = {}) {
    Install(so);
    Control<OutputDoubleResetProc>(output_, "OutputDoubleReset")();
    Control<OutputDoubleConfigureProc>(output_, "OutputDoubleConfigure")(&config);
  }
  std::string Log() { return Text(output_, "OutputDoubleLog"); }
  std::vector<Block> Blocks() { return ParseBlocks(Bytes(output_, "OutputDoubleBytes")); }
};

const std::vector<DWORD> kPageBlocks = {0xF4, 0xF0, 0xF5, 0xF1};

std::vector<DWORD> JobBlocks(int pages, std::vector<int> jobStartAgain = {}) {
  std::vector<DWORD> types = {0xF3, 0xF3};
  for (int p = 0; p < pages; ++p) {
    for (int again : jobStartAgain)
      if (again == p) types.push_back(0xF3);
    types.insert(types.end(), kPageBlocks.begin(), kPageBlocks.end());
  }
  return types;
}

TEST_F(PrintJob, OnePageJob) {
  UseOutputDouble();
  const auto outcome = Run(1);
  ASSERT_TRUE(outcome.ok) << outcome.failedStep;
  const auto blocks = Blocks();
  ASSERT_EQ(Types(blocks), JobBlocks(1));
  EXPECT_EQ(Payload(blocks[1]), "@PJL SET JOBNAME = \"Sample Job\"\r\n");
  EXPECT_TRUE(blocks[3].payload.empty());  // the empty block after the page header
  // The page's records: the page start with the surface size and resolution, the page end.
  const auto& records = blocks[4].payload;
  ASSERT_EQ(records.size(), 20u);
  EXPECT_EQ(records[0], 0x60);
  EXPECT_GT(U32(records, 4), 0u);
  EXPECT_GT(U32(records, 8), 0u);
  EXPECT_EQ(records[12] | (records[13] << 8), records[14] | (records[15] << 8));
  EXPECT_EQ(std::vector<BYTE>(records.begin() + 16, records.end()), (std::vector<BYTE>{0x61, 0, 0, 0}));
  EXPECT_EQ(CallNames(Log()), (std::vector<std::string>{"StartDocEx", "StartPage", "Write", "EndPage", "Write",
                                                        "EndDoc", "Close"}));
}

TEST_F(PrintJob, MultiPageJobWritesTheJobBlocksOnce) {
  UseOutputDouble();
  const auto outcome = Run(3);
  ASSERT_TRUE(outcome.ok) << outcome.failedStep;
  EXPECT_EQ(Types(Blocks()), JobBlocks(3));
  const std::string log = Log();
  EXPECT_EQ(Count(log, "StartDocEx"), 1u);
  EXPECT_EQ(Count(log, "StartPage"), 3u);
  EXPECT_EQ(Count(log, "EndPage"), 3u);
  EXPECT_EQ(Count(log, "EndDoc"), 1u);
  EXPECT_EQ(Count(log, "Close"), 1u);
}

TEST_F(PrintJob, ResetBetweenPagesCarriesTheJobOn) {
  UseOutputDouble();
  const auto outcome = Run(3, {1});
  ASSERT_TRUE(outcome.ok) << outcome.failedStep;
  // The page after the reset writes the job header again, not the job name.
  EXPECT_EQ(Types(Blocks()), JobBlocks(3, {1}));
  const std::string log = Log();
  // One document on the output: the new device took over the binding.
  EXPECT_EQ(Count(log, "StartDocEx"), 1u);
  EXPECT_EQ(Count(log, "EndDoc"), 1u);
  EXPECT_EQ(Count(log, "Close"), 1u);
  EXPECT_EQ(Count(log, "StartPage"), 3u);
}

TEST_F(PrintJob, JobWithoutPagesWritesNothing) {
  UseOutputDouble();
  const auto outcome = Run(0);
  ASSERT_TRUE(outcome.ok) << outcome.failedStep;
  EXPECT_TRUE(Blocks().empty());
  EXPECT_EQ(CallNames(Log()), (std::vector<std::string>{"StartDocEx", "EndDoc", "Close"}));
}

TEST_F(PrintJob, JobNameIsCutAndQuotesBecomeApostrophes) {
  UseOutputDouble();
  std::u16string name = u"say \"hi\" ";
  while (name.size() < 300) name += u'x';
  ASSERT_TRUE(Run(1, {}, name).ok);
  const auto blocks = Blocks();
  ASSERT_GE(blocks.size(), 2u);
  const std::string payload = Payload(blocks[1]);
  ASSERT_EQ(payload.size(), 20u + 232u + 3u);
  EXPECT_EQ(payload.substr(0, 29), "@PJL SET JOBNAME = \"say 'hi' ");
  EXPECT_EQ(payload.substr(payload.size() - 3), "\"\r\n");
}

TEST_F(PrintJob, JobNameNeverEndsOnALeadByte) {
  plat::Machine().ansiCodePage = 932;
  UseOutputDouble();
  // 231 single bytes, then a double-byte character whose lead byte would be byte 232.
  std::u16string name(231, u'a');
  name += u"\u3042\u3044";
  ASSERT_TRUE(Run(1, {}, name).ok);
  const auto blocks = Blocks();
  ASSERT_GE(blocks.size(), 2u);
  const std::string payload = Payload(blocks[1]);
  EXPECT_EQ(payload, "@PJL SET JOBNAME = \"" + std::string(231, 'a') + "\"\r\n");
  // One byte shorter, the character fits whole.
  Uninstall();
  UseOutputDouble();
  name.erase(0, 1);
  ASSERT_TRUE(Run(1, {}, name).ok);
  const std::string fits = Payload(Blocks()[1]);
  ASSERT_EQ(fits.size(), 20u + 232u + 3u);
  EXPECT_EQ(static_cast<BYTE>(fits[20 + 230]), 0x82);
  EXPECT_EQ(static_cast<BYTE>(fits[20 + 231]), 0xA0);
}

TEST_F(PrintJob, BytesAreThoseOfThePortFile) {
  UseOutputDouble();
  ASSERT_TRUE(Run(2, {1}).ok);
  const std::vector<BYTE> recorded = Bytes(output_, "OutputDoubleBytes");
  Uninstall();
  Install(kovatest::BuiltFile("Spoolane"), u"C:\\drv2", u"KOVA Port Printer");
  ASSERT_TRUE(Run(2, {1}).ok);
  EXPECT_EQ(PortBytes(), recorded);
  EXPECT_FALSE(recorded.empty());
}

TEST_F(PrintJob, OutputFailureFailsTheJobAndNothingFollows) {
  struct Case {
    const char* name;
    OutputDoubleConfig config;
  } cases[] = {{"refused", {FALSE, 3, 0}}, {"short", {FALSE, 0, 3}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    UseOutputDouble(kovatest::BuiltFile("OutputDouble"), c.config);
    const auto outcome = Run(2);
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.failedStep, "DrvStartPage");
    const std::string log = Log();
    // Three writes reached the output, the third failed; the document was still ended.
    EXPECT_EQ(Count(log, "Write"), 3u);
    EXPECT_EQ(CallNames(log).back(), "Close");
    EXPECT_EQ(Count(log, "EndDoc"), 1u);
    Uninstall();
  }
}

TEST_F(PrintJob, OutputDllWithoutStartOrWriteExports) {
  // Without a start-document export the writes get the handle 0.
  UseOutputDouble(kovatest::BuiltFile("OutputDoubleNoStart"));
  ASSERT_TRUE(Run(1).ok);
  std::string log = Log();
  EXPECT_EQ(Count(log, "StartDocEx") + Count(log, "StartDoc"), 0u);
  EXPECT_NE(log.find("Write handle=0 "), std::string::npos) << log;
  Uninstall();
  // Without the write export the job runs and nothing is written.
  UseOutputDouble(kovatest::BuiltFile("OutputDoubleNoWrite"));
  ASSERT_TRUE(Run(1).ok);
  EXPECT_EQ(Count(Log(), "Write"), 0u);
  EXPECT_TRUE(Blocks().empty());
  Uninstall();
  // The plain start-document export serves when the extended one is missing.
  UseOutputDouble(kovatest::BuiltFile("OutputDoublePlainStart"));
  ASSERT_TRUE(Run(1).ok);
  EXPECT_EQ(Count(Log(), "StartDoc"), 1u);
}

class FilterJob : public PrintJob {
 protected:
  void Configure(FilterDoubleConfig config) {
    Control<FilterDoubleResetProc>(filter_, "FilterDoubleReset")();
    Control<FilterDoubleConfigureProc>(filter_, "FilterDoubleConfigure")(&config);
  }
  std::string FilterLog() { return Text(filter_, "FilterDoubleLog"); }
};

TEST_F(FilterJob, ChosenFilterGetsThePathsAndTheStream) {
  UseOutputDouble();
  AddFilter(kovatest::BuiltFile("FilterDouble"));
  Configure({});
  ASSERT_TRUE(Run(2).ok);
  const std::string log = FilterLog();
  EXPECT_EQ(CallNames(log), (std::vector<std::string>{"GetInterface", "Open", "StartDoc", "StartPage", "Write",
                                                      "EndPage", "Write", "StartPage", "Write", "EndPage", "Write",
                                                      "EndDoc", "Close", "Dispose"}));
  EXPECT_NE(log.find("GetInterface version=256 -> TRUE"), std::string::npos) << log;
  EXPECT_NE(log.find("Open paths=C:\\drv\\TestFilter.dll|C:\\drv\\Spoolane.DLL -> TRUE"), std::string::npos) << log;
  EXPECT_EQ(Types(ParseBlocks(Bytes(filter_, "FilterDoubleBytes"))), JobBlocks(2));
  // The output DLL itself is not called by the driver.
  EXPECT_TRUE(Log().empty());
}

TEST_F(FilterJob, PassedOnStreamReachesTheOutputDll) {
  UseOutputDouble();
  AddFilter(kovatest::BuiltFile("FilterDouble"));
  Configure({FALSE, FALSE, FALSE, 0, TRUE});
  ASSERT_TRUE(Run(1, {}).ok);
  EXPECT_EQ(Bytes(output_, "OutputDoubleBytes"), Bytes(filter_, "FilterDoubleBytes"));
}

TEST_F(FilterJob, RefusedOrMissingInterfaceFailsTheDocument) {
  struct Case {
    const char* name;
    const char* so;
    FilterDoubleConfig config;
  } cases[] = {{"refused interface", kovatest::BuiltFile("FilterDouble"), {TRUE, FALSE, FALSE, 0, FALSE}},
               {"refused open", kovatest::BuiltFile("FilterDouble"), {FALSE, TRUE, FALSE, 0, FALSE}},
               {"no interface export", kovatest::BuiltFile("FilterDoubleNoInterface"), {}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    UseOutputDouble();
    AddFilter(c.so);
    Configure(c.config);
    const auto outcome = Run(1);
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.failedStep, "DrvStartDoc");
    // No fall-back to the output DLL.
    EXPECT_EQ(Count(Log(), "StartDocEx"), 0u);
    Uninstall();
  }
}

TEST_F(FilterJob, MissingFilterDllFallsBackToTheOutputDll) {
  UseOutputDouble();
  AddFilter("");
  ASSERT_TRUE(Run(1).ok);
  EXPECT_EQ(Types(Blocks()), JobBlocks(1));
  EXPECT_EQ(Count(Log(), "StartDocEx"), 1u);
}

TEST_F(FilterJob, RefusedEndPageFailsThePage) {
  UseOutputDouble();
  AddFilter(kovatest::BuiltFile("FilterDouble"));
  Configure({FALSE, FALSE, TRUE, 0, FALSE});
  const auto outcome = Run(1);
  EXPECT_FALSE(outcome.ok);
  EXPECT_EQ(outcome.failedStep, "DrvSendPage");
  EXPECT_EQ(Count(FilterLog(), "Close"), 1u);
}

TEST_F(FilterJob, FilterWithoutDisposeExport) {
  UseOutputDouble();
  AddFilter(kovatest::BuiltFile("FilterDoubleNoDispose"));
  Configure({});
  ASSERT_TRUE(Run(1).ok);
  const std::string log = FilterLog();
  EXPECT_EQ(Count(log, "Dispose"), 0u);
  EXPECT_EQ(CallNames(log).back(), "Close");
}

TEST_F(FilterJob, ResetHandsTheFilterToTheNewDevice) {
  UseOutputDouble();
  AddFilter(kovatest::BuiltFile("FilterDouble"));
  Configure({});
  ASSERT_TRUE(Run(3, {1, 2}).ok);
  const std::string log = FilterLog();
  EXPECT_EQ(Count(log, "Open"), 1u);
  EXPECT_EQ(Count(log, "Close"), 1u);
  EXPECT_EQ(Count(log, "Dispose"), 1u);
  EXPECT_EQ(Types(ParseBlocks(Bytes(filter_, "FilterDoubleBytes"))), JobBlocks(3, {1, 2}));
}

}  // namespace
}  // namespace rendara::test
