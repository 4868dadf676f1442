// drvhost sheet: the sample printer's document sheet driven as a person would, end to end
// through the installed interface library and the common property-sheet host.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "host_fixture.h"
#include "win/devmode.h"

namespace drvhost_sheet_test {
namespace {

using kovatest::HostRun;
using kovatest::kSamples;

std::string ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class DrvhostSheetTest : public kovatest::HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    // A copy of the sample folder, whose UI module holds every page's template.
    samples_ = dir_ / "samples";
    std::filesystem::copy(kSamples, samples_, std::filesystem::copy_options::recursive);
    root_ = (dir_ / "root").string();
    HostRun install = Host({"install", root_, "Kova Sample Printer", samples_.string()});
    ASSERT_EQ(install.exitCode, 0) << install.err;
  }
  short OrientationIn(const std::string& file) {
    const std::string bytes = ReadAll(dir_ / file);
    if (bytes.size() < sizeof(DEVMODEW)) return 0;
    return reinterpret_cast<const DEVMODEW*>(bytes.data())->dmOrientation;
  }
  std::filesystem::path samples_;
  std::string root_;
};

TEST_F(DrvhostSheetTest, OrientationChangedAndAcceptedReachesTheDevmode) {
  const std::string out = (dir_ / "ok.dm").string();
  HostRun run = Host({"sheet", root_, "Kova Sample Printer", "document", "--page", "1001", "--click", "2027", "--ok",
                      "--out", out});
  ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
  EXPECT_NE(run.out.find("page 1001 (opened)"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("2027 Button     \"Landscape\" checked"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("sheet: OK, result 1"), std::string::npos) << run.out;
  EXPECT_EQ(OrientationIn("ok.dm"), 2);
}

TEST_F(DrvhostSheetTest, CancelLeavesTheDevmodeAsItWas) {
  // The application's device-mode: the sheet's own answer to OK without changes.
  const std::string base = (dir_ / "base.dm").string(), out = (dir_ / "cancel.dm").string();
  ASSERT_EQ(Host({"sheet", root_, "Kova Sample Printer", "document", "--ok", "--out", base}).exitCode, 0);
  ASSERT_EQ(OrientationIn("base.dm"), 1);
  HostRun run = Host({"sheet", root_, "Kova Sample Printer", "document", "--devmode", base, "--click", "2027",
                      "--cancel", "--out", out});
  ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
  EXPECT_NE(run.out.find("sheet: Cancel, result 0"), std::string::npos) << run.out;
  EXPECT_EQ(OrientationIn("cancel.dm"), 1);
}

// Transparency makes duplex ask first (an OK/Cancel warning): the answer given with --answer
// decides whether the duplex check box keeps its tick, and the box shows with that answer.
TEST_F(DrvhostSheetTest, AnAlertIsAnsweredEachWay) {
  struct Case {
    const char* answer;
    int code;
    const char* duplex;  // the check box after the click
  };
  for (const Case& c : {Case{"cancel", 2, "\"IDC_FUNCSELECTDUPLEX\"                   enabled visible"},
                        Case{"ok", 1, "\"IDC_FUNCSELECTDUPLEX\" checked           enabled visible"}}) {
    SCOPED_TRACE(c.answer);
    HostRun run = Host({"sheet", root_, "Kova Sample Printer", "document", "--select", "2009=13", "--page", "1004",
                        "--answer", c.answer, "--click", "2105", "--cancel"});
    ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
    const std::size_t clicked = run.out.find("page 1004 (after --click)");
    ASSERT_NE(clicked, std::string::npos) << run.out;
    EXPECT_NE(run.out.find(std::string("2105 Button     ") + c.duplex, clicked), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("(type 0x31, answer " + std::to_string(c.code) + ")"), std::string::npos) << run.out;
  }
  // Without the transparency no box asks.
  HostRun plain = Host({"sheet", root_, "Kova Sample Printer", "document", "--page", "1004", "--answer", "cancel",
                        "--click", "2105", "--cancel"});
  ASSERT_EQ(plain.exitCode, 0) << plain.out << plain.err;
  EXPECT_EQ(plain.out.find("type 0x31"), std::string::npos) << plain.out;
  EXPECT_NE(plain.out.find("2105 Button     \"IDC_FUNCSELECTDUPLEX\" checked"), std::string::npos) << plain.out;
}

// Neither sheet shows an Apply button: --apply applies as the person's Apply would and the
// sheet stays open on its page. A later Cancel leaves what was applied in force and drops
// what changed after it: the document sheet reports the applied device-mode accepted, the
// device sheet reports itself not accepted (its settings were saved by the Apply). An apply
// that changed no stored setting leaves the printer's data as it was.
TEST_F(DrvhostSheetTest, ApplyRecordsTheChangesAndKeepsTheSheetOpen) {
  struct Case {
    const char* sheet;
    const char* page;
    const char* control;
    const char* afterApply;  // clicked after the apply, then cancelled
    const char* outcome;
  };
  for (const Case& c : {Case{"document", "1001", "2027", "2026", "sheet: OK, result 1"},
                        Case{"device", "1011", "2551", "2551", "sheet: OK, result 0"}}) {
    SCOPED_TRACE(c.sheet);
    // The first opening brings the preset lists up to date (printer data of its own).
    ASSERT_EQ(Host({"sheet", root_, "Kova Sample Printer", c.sheet, "--cancel"}).exitCode, 0);
    HostRun before = Host({"printers", root_});
    ASSERT_EQ(before.exitCode, 0) << before.err;
    const std::string out = (dir_ / (std::string(c.sheet) + ".dm")).string();
    HostRun run = Host({"sheet", root_, "Kova Sample Printer", c.sheet, "--click", c.control, "--apply", "--click",
                        c.afterApply, "--cancel", "--out", out});
    ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
    EXPECT_EQ(run.out.find("could not be done"), std::string::npos) << run.out;
    const std::size_t applied = run.out.find(std::string("page ") + c.page + " (after --apply)");
    ASSERT_NE(applied, std::string::npos) << run.out;
    // The clicked control shows checked on the page after the apply.
    const std::size_t shown = run.out.find(std::string(c.control) + " Button", applied);
    ASSERT_NE(shown, std::string::npos) << run.out;
    EXPECT_NE(run.out.substr(shown, run.out.find('\n', shown) - shown).find("checked"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(c.outcome), std::string::npos) << run.out;
    if (std::string(c.sheet) == "document") {
      EXPECT_EQ(OrientationIn("document.dm"), 2);
    } else {
      EXPECT_EQ(Host({"printers", root_}).out, before.out);
    }
  }
}

TEST_F(DrvhostSheetTest, SelectionsShowAndBadArgumentsAreRefused) {
  HostRun run = Host({"sheet", root_, "Kova Sample Printer", "document", "--select", "2009=12", "--cancel"});
  ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
  EXPECT_NE(run.out.find("2009 ComboBox   \"12\" of 4"), std::string::npos) << run.out;
  EXPECT_EQ(Host({"sheet", root_, "Kova Sample Printer"}).exitCode, 2);
  EXPECT_EQ(Host({"sheet", root_, "Kova Sample Printer", "document", "--answer", "maybe"}).exitCode, 2);
  EXPECT_EQ(Host({"sheet", root_, "Kova Sample Printer", "document", "--bogus"}).exitCode, 2);
  EXPECT_EQ(Host({"sheet", root_, "No Such Printer", "document"}).exitCode, 1);
}

// The copies spin bar's up arrow raises copies by one; the orientation picture switches
// between portrait and landscape with each click.
TEST_F(DrvhostSheetTest, SpinArrowAndOrientationPictureChangeTheSettings) {
  const std::string out = (dir_ / "spin.dm").string();
  HostRun run = Host({"sheet", root_, "Kova Sample Printer", "document", "--page", "1001", "--scroll",
                      "2030=line-up", "--click", "2025", "--ok", "--out", out});
  ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
  const std::size_t scrolled = run.out.find("page 1001 (after --scroll)");
  ASSERT_NE(scrolled, std::string::npos) << run.out;
  EXPECT_NE(run.out.find("2029 Edit       \"2\"", scrolled), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("2027 Button     \"Landscape\" checked", scrolled), std::string::npos) << run.out;
  EXPECT_EQ(OrientationIn("spin.dm"), 2);
  const std::string bytes = ReadAll(dir_ / "spin.dm");
  ASSERT_GE(bytes.size(), sizeof(DEVMODEW));
  EXPECT_EQ(reinterpret_cast<const DEVMODEW*>(bytes.data())->dmCopies, 2);
  HostRun back = Host({"sheet", root_, "Kova Sample Printer", "document", "--page", "1001", "--click", "2025",
                       "--click", "2025", "--ok", "--out", out});
  ASSERT_EQ(back.exitCode, 0) << back.out << back.err;
  EXPECT_EQ(OrientationIn("spin.dm"), 1);
  EXPECT_EQ(Host({"sheet", root_, "Kova Sample Printer", "document", "--scroll", "2030=sideways", "--cancel"})
                .out.find("could not be done") == std::string::npos,
            false);
}

// F1 and a right-click print the help request with the control's ids; a hovered control's
// tip shows only once its second has passed on the host's clock.
TEST_F(DrvhostSheetTest, HelpRequestsAndTipsArePrintedAfterEachAction) {
  HostRun run = Host({"sheet", root_, "Kova Sample Printer", "document", "--page", "1001", "--help", "2001",
                      "--context-menu", "2001", "--hover", "2009", "--wait", "999", "--wait", "1", "--cancel"});
  ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
  struct Case {
    const char* after;  // the action line
    const char* shown;  // what follows it before the page
    bool present;
  };
  const Case cases[] = {
      {"--help 2001\n", "help HELP_WM_HELP", true},
      {"--help 2001\n", "on 2001 {id 2001, help id 10101}", true},
      {"--context-menu 2001\n", "help HELP_CONTEXTMENU", true},
      {"--hover 2009\n", "tip ", false},
      {"--wait 999\n", "tip ", false},
      {"--wait 1\n", "tip \"", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.after) + c.shown);
    const std::size_t at = run.out.find(c.after);
    ASSERT_NE(at, std::string::npos) << run.out;
    const std::size_t page = run.out.find("page 1001", at);
    const std::string between = run.out.substr(at, page - at);
    EXPECT_EQ(between.find(c.shown) != std::string::npos, c.present) << between;
  }
}

}  // namespace
}  // namespace drvhost_sheet_test
