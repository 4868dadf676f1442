// The device-mode conversion's printer life, the printer events and the driver upgrade.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "../../doubles/jobcontrol/job_control_double.h"
#include "build_paths.h"
#include "stored/devmode_convert.h"
#include "base/ini_files.h"
#include "base/install_services.h"
#include "base/paths_and_names.h"
#include "base/printer_data.h"
#include "panelis_fixture.h"
#include "printer_lifecycle.h"
#include "win/errors.h"
#include "win/files.h"
#include "win/kernel.h"
#include "win/loader.h"
#include "win/profile.h"
#include "win/printer_interface.h"

namespace kovatest {
namespace printer_lifecycle_test {
namespace {

using Items = std::vector<DWORD>;

// The items of the double's log lines of one operation ("Set", "Discard"), in log order. An
// item handled while no item handle is open shows as 0, which names no item.
Items ItemsInOpenPairs(const std::string& log, const std::string& operation) {
  Items items;
  bool open = false;
  std::istringstream lines(log);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("Open ", 0) == 0) open = line.size() > 5 && line.compare(line.size() - 5, 5, " -> 0") == 0;
    if (line == "Close") open = false;
    if (line.rfind(operation + " ", 0) == 0) items.push_back(open ? std::stoul(line.substr(operation.size() + 1)) : 0);
  }
  return items;
}

class PrinterLifecycleTest : public SamplePrinterTest {
 protected:
  void TearDown() override {
    EXPECT_EQ(InstallInProgress, 0) << "the install flag must be reset on every way out";
    if (jobControl_) FreeLibrary(jobControl_);
    jobControl_ = nullptr;
    SamplePrinterTest::TearDown();
  }
  // The job-control library's double in the system directory, where the driver loads it by
  // its bare name; the test holds it loaded to read its log.
  void InstallJobControl() {
    jobControl_ = LoadJobControlDouble();
    ASSERT_NE(jobControl_, nullptr);
    ClearJobControlLog();
  }
  void ClearJobControlLog() {
    if (jobControl_) ProcCast<JobControlDoubleResetProc>(GetProcAddress(jobControl_, "JobControlDoubleReset"))();
  }
  std::string JobControlLog() {
    if (!jobControl_) return {};
    auto log = ProcCast<JobControlDoubleLogProc>(GetProcAddress(jobControl_, "JobControlDoubleLog"));
    std::string text(log(nullptr, 0), '\0');
    log(text.data(), static_cast<DWORD>(text.size()));
    if (!text.empty() && text.back() == '\0') text.pop_back();
    return text;
  }
  // A key of the printer's section of the per-printer INI in the common settings directory.
  std::u16string InstallKey(HANDLE printer, const std::u16string& section, const WCHAR* key) {
    WCHAR ini[MAX_PATH + 1] = {};
    GetIniPathInSettingsDirFor(ini, 0, 0, printer, nullptr);
    WCHAR value[300] = {};
    ReadIniString(section.c_str(), key, u"<none>", value, 300, ini);
    return value;
  }
  HMODULE jobControl_ = nullptr;
  HANDLE Connection(const std::u16string& name) {
    plat::spooler::PrinterSetup setup;
    setup.name = name;
    setup.serverName = u"\\\\SERVER";
    setup.driver.name = u"KOVA Sample Driver";
    setup.driver.driverPath = u"C:\\drv\\Rendara.dll";
    setup.driver.configFile = u"C:\\drv\\Panelis.dll";
    setup.driver.helpFile = u"C:\\drv\\KOVAUS.HLP";
    setup.driver.dataFile = kDataFile;
    EXPECT_EQ(plat::spooler::InstallPrinter(setup), 0u);
    return Open(u"\\\\SERVER\\" + name);
  }
  static bool HasPrinterName(HANDLE printer) {
    WCHAR name[261] = {};
    return GetPrinterDataValue(printer, name, sizeof name, u"KOVAPrinterName", 0) && name[0];
  }
  static std::vector<BYTE> DriverDefault(const std::u16string& name, BOOL* ok) {
    std::vector<BYTE> out(1236, 0xCD);
    LONG size = static_cast<LONG>(out.size());
    *ok = DoConvertDevMode(name.c_str(), nullptr, reinterpret_cast<DEVMODEW*>(out.data()), &size, CDM_DRIVER_DEFAULT);
    return out;
  }
};

TEST_F(PrinterLifecycleTest, FirstDriverDefaultSetsUpANewLocalPrinterAndAnswersItsDevmode) {
  HANDLE printer = InstallWith(u"Fresh", {});
  ASSERT_FALSE(HasPrinterName(printer));
  BOOL ok = FALSE;
  const std::vector<BYTE> out = DriverDefault(u"Fresh", &ok);
  ASSERT_TRUE(ok) << GetLastError();
  const auto* dm = reinterpret_cast<const DEVMODEW*>(out.data());
  EXPECT_EQ(dm->dmSize, 220);
  EXPECT_EQ(dm->dmDriverExtra, 1016);
  EXPECT_EQ(out[1235] == 0xCD && out[1234] == 0xCD && out[1233] == 0xCD, false) << "the whole device-mode is written";
  // The printer's stored settings came into being: its name and the bidirectional words.
  EXPECT_TRUE(HasPrinterName(printer));
  DWORD capability = 0;
  EXPECT_TRUE(GetPrinterDataValue(printer, &capability, sizeof capability, u"RCapability", 0));
  EXPECT_EQ(capability, 1u);
}

TEST_F(PrinterLifecycleTest, DriverDefaultOfAConnectionOrAKnownPrinterInitialisesNothing) {
  HANDLE connection = Connection(u"Shared");
  BOOL ok = FALSE;
  DriverDefault(u"\\\\SERVER\\Shared", &ok);
  EXPECT_TRUE(ok) << GetLastError();
  EXPECT_FALSE(HasPrinterName(connection));

  // A local printer a batch install finished, with a stored device-mode, is known.
  HANDLE known = InstallWith(u"Known", {DwordValue(u"BatchInstallDone", 1)}, SampleDevmode());
  DriverDefault(u"Known", &ok);
  EXPECT_TRUE(ok) << GetLastError();
  EXPECT_FALSE(HasPrinterName(known));
}

TEST_F(PrinterLifecycleTest, RefusedConversionsTouchNoPrinter) {
  HANDLE printer = InstallWith(u"Untouched", {});
  struct Case {
    const char* what;
    LONG size;
    bool withOutput;
    DWORD mode;
    DWORD error;
  };
  const Case cases[] = {
      {"short output", 100, true, CDM_DRIVER_DEFAULT, ERROR_INSUFFICIENT_BUFFER},
      {"no output", 0, false, CDM_DRIVER_DEFAULT, ERROR_INSUFFICIENT_BUFFER},
      {"unknown mode", 1236, true, 3, 0},
  };
  for (const Case& c : cases) {
    std::vector<BYTE> out(1236);
    LONG size = c.size;
    SetLastError(0);
    EXPECT_FALSE(DoConvertDevMode(u"Untouched", nullptr, c.withOutput ? reinterpret_cast<DEVMODEW*>(out.data()) : nullptr,
                                  &size, c.mode))
        << c.what;
    if (c.error) {
      EXPECT_EQ(GetLastError(), c.error) << c.what;
      EXPECT_EQ(size, 1236) << c.what;
    }
    EXPECT_FALSE(HasPrinterName(printer)) << c.what;
  }
}

TEST_F(PrinterLifecycleTest, ConvertOfAPrinterNeverSetUpOnlyConverts) {
  InstallWith(u"Plain", {});
  std::vector<BYTE> in = SampleDevmode();
  std::vector<BYTE> out = in;  // the spooler hands an output of the driver's own sizes
  LONG size = 1236;
  EXPECT_TRUE(DoConvertDevMode(u"Plain", reinterpret_cast<DEVMODEW*>(in.data()), reinterpret_cast<DEVMODEW*>(out.data()),
                               &size, CDM_CONVERT))
      << GetLastError();
  EXPECT_EQ(reinterpret_cast<DEVMODEW*>(out.data())->dmSize, 220);
}

// Every road of a conversion writes into the output in the output's own shape, within the
// size the call gave: an output of the public part alone gets no private part.
TEST_F(PrinterLifecycleTest, ConvertWritesTheOutputInItsOwnShapeOnEveryRoad) {
  struct Case {
    const char* what;
    DWORD version;  // of the input's private part
    bool batch;     // a batch install waits in the second model INI
    WORD outSize, outExtra;
    LONG size;
  };
  const Case cases[] = {
      {"same version, public part alone", 322, false, 220, 0, 220},
      {"older version, public part alone", 321, false, 220, 0, 220},
      {"older version, version 0x320 output", 321, false, 188, 1016, 1204},
      {"incompatible version, public part alone", 200, false, 220, 0, 220},
      {"batch install, public part alone", 322, true, 220, 0, 220},
      {"older version, the driver's own shape", 321, false, 220, 1016, 1236},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::u16string name = u"Shaped " + std::u16string(1, static_cast<char16_t>(u'A' + n++));
    HANDLE printer = InstallWith(name, {});
    BOOL ok = FALSE;
    std::vector<BYTE> in = DriverDefault(name, &ok);
    ASSERT_TRUE(ok) << GetLastError();
    std::memcpy(in.data() + 357, &c.version, sizeof c.version);
    if (c.batch) {
      WCHAR second[MAX_PATH + 1] = {};
      GetSecondIniPathForPrinter(printer, second);
      CreateDirectoryW(u"C:\batchroot", nullptr);
      WritePrivateProfileStringW(name.c_str(), u"KOVADirectory", u"C:\batchroot", second);
    }
    std::vector<BYTE> out(1300, 0xEE);
    std::memset(out.data(), 0, static_cast<size_t>(c.outSize) + c.outExtra);
    auto* dm = reinterpret_cast<DEVMODEW*>(out.data());
    dm->dmSpecVersion = DM_SPECVERSION;
    dm->dmSize = c.outSize;
    dm->dmDriverExtra = c.outExtra;
    LONG size = c.size;
    EXPECT_TRUE(DoConvertDevMode(name.c_str(), reinterpret_cast<DEVMODEW*>(in.data()), dm, &size, CDM_CONVERT))
        << GetLastError();
    EXPECT_EQ(size, c.size);
    EXPECT_EQ(dm->dmSize, c.outSize);
    EXPECT_EQ(dm->dmDriverExtra, c.outExtra);
    EXPECT_EQ(std::u16string(dm->dmDeviceName), std::u16string(reinterpret_cast<DEVMODEW*>(in.data())->dmDeviceName));
    for (size_t i = static_cast<size_t>(c.outSize) + c.outExtra; i < out.size(); ++i)
      ASSERT_EQ(out[i], 0xEE) << "byte " << i << " lies past the output";
    if (c.batch) {
      WCHAR second[MAX_PATH + 1] = {};
      GetSecondIniPathForPrinter(printer, second);
      WCHAR left[64] = {};
      GetPrivateProfileStringW(name.c_str(), u"KOVADirectory", u"<none>", left, 64, second);
      EXPECT_EQ(std::u16string(left), u"<none>") << "the batch road ran";
    }
  }
}

// Each event's answer, whether it set the printer up, and what it told the job-control
// library: a new printer has the driver's identity items (256-258) written, a deleted one has
// them discarded, each inside an open pair.
TEST_F(PrinterLifecycleTest, EachPrinterEventAnswersAndKeepsItsBookkeeping) {
  InstallJobControl();
  struct Case {
    const char* what;
    int event;
    bool printerExists;
    bool batchDone;
    BOOL answer;
    bool initialised;
    Items written;
    Items discarded;
  };
  const Case cases[] = {
      {"initialise a new printer", PRINTER_EVENT_INITIALIZE, true, false, TRUE, true, {256, 257, 258}, {}},
      {"initialise a batch-installed printer", PRINTER_EVENT_INITIALIZE, true, true, TRUE, false, {}, {}},
      {"initialise a missing printer", PRINTER_EVENT_INITIALIZE, false, false, FALSE, false, {}, {}},
      {"delete", PRINTER_EVENT_DELETE, true, false, TRUE, false, {}, {256, 257, 258}},
      {"delete a missing printer", PRINTER_EVENT_DELETE, false, false, TRUE, false, {}, {}},
      {"delete a missing connection", PRINTER_EVENT_DELETE_CONNECTION, false, false, TRUE, false, {}, {}},
      {"cache refresh", PRINTER_EVENT_CACHE_REFRESH, true, false, TRUE, false, {}, {}},
      {"cache refresh of a missing printer", PRINTER_EVENT_CACHE_REFRESH, false, false, FALSE, false, {}, {}},
      {"attributes changed", PRINTER_EVENT_ATTRIBUTES_CHANGED, false, false, TRUE, false, {}, {}},
  };
  int n = 0;
  for (const Case& c : cases) {
    const std::u16string name = u"Event " + std::u16string(1, static_cast<char16_t>(u'A' + n++));
    HANDLE printer = nullptr;
    if (c.printerExists)
      printer = InstallWith(name, c.batchDone ? std::vector<plat::spooler::DataValue>{DwordValue(u"BatchInstallDone", 1)}
                                              : std::vector<plat::spooler::DataValue>{});
    ClearJobControlLog();
    EXPECT_EQ(DoPrinterEvent(name.c_str(), c.event, 0, 0), c.answer) << c.what;
    if (printer) {
      EXPECT_EQ(HasPrinterName(printer), c.initialised) << c.what;
    }
    const std::string log = JobControlLog();
    EXPECT_EQ(ItemsInOpenPairs(log, "Set"), c.written) << c.what << "\n" << log;
    EXPECT_EQ(ItemsInOpenPairs(log, "Discard"), c.discarded) << c.what << "\n" << log;
    EXPECT_EQ(InstallInProgress, 0) << c.what;
  }
}

// A connection added is set up: the install keys of its section carry the driver version, its
// user items (2, 3, 4, 5, 8) are reset and the driver's identity items written. Deleted, it
// has its user and authentication items (2-5, 8-10) discarded and its install keys reset, so
// that its next addition sets it up again; without the library the keys are reset all the same.
TEST_F(PrinterLifecycleTest, AddConnectionSetsUpTheConnectionAndDeleteConnectionResetsItsInstallKeys) {
  struct Case {
    const char* what;
    bool library;
  };
  const Case cases[] = {{"without the job-control library", false}, {"with the job-control library", true}};
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.library) InstallJobControl();
    const std::u16string share = u"Office " + std::u16string(1, static_cast<char16_t>(u'A' + n++));
    const std::u16string name = u"\\\\SERVER\\" + share;
    HANDLE connection = Connection(share);
    ASSERT_NE(connection, nullptr);

    ClearJobControlLog();
    EXPECT_TRUE(DoPrinterEvent(name.c_str(), PRINTER_EVENT_ADD_CONNECTION, 0, 0));
    EXPECT_EQ(InstallKey(connection, name, u"DrvInstVersion"), u"9.02");
    if (c.library) {
      const std::string log = JobControlLog();
      Items written = ItemsInOpenPairs(log, "Set");
      std::sort(written.begin(), written.end());
      written.erase(std::unique(written.begin(), written.end()), written.end());
      EXPECT_EQ(written, (Items{2, 3, 4, 5, 8, 256, 257, 258})) << log;
      EXPECT_EQ(ItemsInOpenPairs(log, "Discard"), Items{}) << log;
    }

    WCHAR ini[MAX_PATH + 1] = {};
    GetIniPathInSettingsDirFor(ini, 0, 0, connection, nullptr);
    WriteIniString(name.c_str(), u"BatchInstallDone", u"1", ini);
    ClearJobControlLog();
    EXPECT_TRUE(DoPrinterEvent(name.c_str(), PRINTER_EVENT_DELETE_CONNECTION, 0, 0));
    EXPECT_EQ(InstallKey(connection, name, u"BatchInstallDone"), u"0");
    EXPECT_EQ(InstallKey(connection, name, u"DrvInstVersion"), u"");
    if (c.library) {
      const std::string log = JobControlLog();
      EXPECT_EQ(ItemsInOpenPairs(log, "Discard"), (Items{2, 3, 4, 5, 8, 9, 10})) << log;
      EXPECT_EQ(ItemsInOpenPairs(log, "Set"), Items{}) << log;
    }
  }
}

TEST_F(PrinterLifecycleTest, UpgradeRefusesAnythingButLevelOneWithAPrinter) {
  InstallWith(u"Upgraded", {});
  std::u16string name = u"Upgraded";
  std::u16string missing = u"Nowhere";
  DRIVER_UPGRADE_INFO_1W good{name.data(), nullptr};
  DRIVER_UPGRADE_INFO_1W bad{missing.data(), nullptr};
  struct Case {
    const char* what;
    DWORD level;
    DRIVER_UPGRADE_INFO_1W* info;
  };
  const Case refused[] = {{"level 2", 2, &good}, {"no data", 1, nullptr}, {"missing printer", 1, &bad}};
  for (const Case& c : refused) {
    SetLastError(0);
    EXPECT_FALSE(DoUpgradePrinter(c.level, reinterpret_cast<LPBYTE>(c.info))) << c.what;
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER) << c.what;
  }
  EXPECT_TRUE(DoUpgradePrinter(1, reinterpret_cast<LPBYTE>(&good))) << GetLastError();
  WCHAR file[261] = {};
  EXPECT_TRUE(GetPrinterDataValue(Open(u"Upgraded"), file, sizeof file, u"SPLUserModePrinterDriver", 0));
}

TEST(InstallInProgressFlag, BelongsToItsThreadAndIsResetOnEveryWayOut) {
  {
    InstallInProgressScope installing;
    EXPECT_EQ(InstallInProgress, 1);
    int seenByOther = -1;
    std::thread other([&] { seenByOther = InstallInProgress; });
    other.join();
    EXPECT_EQ(seenByOther, 0);
  }
  EXPECT_EQ(InstallInProgress, 0);
  auto early = [](bool leave) {
    InstallInProgressScope installing;
    if (leave) return 1;
    installing.Clear();
    return 0;
  };
  early(true);
  EXPECT_EQ(InstallInProgress, 0);
}

}  // namespace
}  // namespace printer_lifecycle_test
}  // namespace kovatest
