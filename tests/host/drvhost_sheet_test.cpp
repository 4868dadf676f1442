// drvhost sheet: the sample printer's document sheet driven as a person would, end to end
// through the installed interface library and the common property-sheet host.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

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
// Accepting runs the alert's action: the media goes back to plain paper.
TEST_F(DrvhostSheetTest, AnAlertIsAnsweredEachWay) {
  struct Case {
    const char* answer;
    int code;
    bool checked;       // the duplex check box after the click
    const char* media;  // the media list on the first page afterwards
  };
  for (const Case& c : {Case{"cancel", 2, false, "\"Transparency\""}, Case{"ok", 1, true, "\"Plain paper\""}}) {
    SCOPED_TRACE(c.answer);
    HostRun run = Host({"sheet", root_, "Kova Sample Printer", "document", "--select", "2009=13", "--page", "1004",
                        "--answer", c.answer, "--click", "2105", "--page", "1001", "--cancel"});
    ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
    const std::size_t clicked = run.out.find("page 1004 (after --click)");
    ASSERT_NE(clicked, std::string::npos) << run.out;
    const std::size_t duplex = run.out.find("2105 Button     \"Print on both sides\"", clicked);
    ASSERT_NE(duplex, std::string::npos) << run.out;
    const std::string line = run.out.substr(duplex, run.out.find('\n', duplex) - duplex);
    EXPECT_EQ(line.find("checked") != std::string::npos, c.checked) << line;
    EXPECT_NE(line.find("enabled visible"), std::string::npos) << line;
    const std::size_t back = run.out.find("page 1001 (after --page)", clicked);
    ASSERT_NE(back, std::string::npos) << run.out;
    EXPECT_NE(run.out.find(std::string("2009 ComboBox   ") + c.media, back), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("(type 0x31, answer " + std::to_string(c.code) + ")"), std::string::npos) << run.out;
  }
  // Without the transparency no box asks.
  HostRun plain = Host({"sheet", root_, "Kova Sample Printer", "document", "--page", "1004", "--answer", "cancel",
                        "--click", "2105", "--cancel"});
  ASSERT_EQ(plain.exitCode, 0) << plain.out << plain.err;
  EXPECT_EQ(plain.out.find("type 0x31"), std::string::npos) << plain.out;
  EXPECT_NE(plain.out.find("2105 Button     \"Print on both sides\" checked"), std::string::npos) << plain.out;
}

// Neither sheet shows an Apply button: --apply applies as the person's Apply would and the
// sheet stays open on its page. A later Cancel leaves what was applied in force and drops
// what changed after it: the document sheet reports the applied device-mode accepted, the
// device sheet reports itself not accepted (its settings were saved by the Apply). The lock
// box ticked on the device sheet locks the selected tray (tray 1): the apply stores that lock
// and nothing else of the printer's data.
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
      std::string expected = before.out;
      const std::string unlocked = "Tray1Lock  REG_BINARY  00 00 00 00";
      const std::size_t lock = expected.find(unlocked);
      ASSERT_NE(lock, std::string::npos) << before.out;
      expected.replace(lock, unlocked.size(), "Tray1Lock  REG_BINARY  01 00 00 00");
      EXPECT_EQ(Host({"printers", root_}).out, expected);
    }
  }
}

TEST_F(DrvhostSheetTest, SelectionsShowAndBadArgumentsAreRefused) {
  HostRun run = Host({"sheet", root_, "Kova Sample Printer", "document", "--select", "2009=12", "--cancel"});
  ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
  EXPECT_NE(run.out.find("2009 ComboBox   \"Thick paper\" of 4"), std::string::npos) << run.out;
  EXPECT_EQ(Host({"sheet", root_, "Kova Sample Printer"}).exitCode, 2);
  EXPECT_EQ(Host({"sheet", root_, "Kova Sample Printer", "document", "--answer", "maybe"}).exitCode, 2);
  EXPECT_EQ(Host({"sheet", root_, "Kova Sample Printer", "document", "--bogus"}).exitCode, 2);
  EXPECT_EQ(Host({"sheet", root_, "No Such Printer", "document"}).exitCode, 1);
}

// A sheet run that could not do what it was asked answers failure and says why; a bad id is
// refused before the sheet opens.
TEST_F(DrvhostSheetTest, FailuresAreNotReportedAsSuccess) {
  const std::string missing = (dir_ / "no such folder" / "out.dm").string();
  const std::string shortFile = (dir_ / "short.dm").string(), bloated = (dir_ / "bloated.dm").string();
  {
    std::ofstream(shortFile, std::ios::binary) << std::string(40, 'x');
    // A whole device-mode whose dmDriverExtra claims more than the file holds.
    ASSERT_EQ(Host({"sheet", root_, "Kova Sample Printer", "document", "--ok", "--out", bloated}).exitCode, 0);
    std::string bytes = ReadAll(bloated);
    ASSERT_GE(bytes.size(), sizeof(DEVMODEW));
    reinterpret_cast<DEVMODEW*>(bytes.data())->dmDriverExtra = 0x7000;
    std::ofstream(bloated, std::ios::binary | std::ios::trunc) << bytes;
  }
  struct Case {
    std::vector<std::string> actions;
    int exitCode;
    const char* said;  // in what drvhost printed or wrote to its errors
    bool opened;       // whether the sheet opened at all
  };
  const Case cases[] = {
      {{"--ok", "--out", missing}, 1, "cannot write the device-mode to", true},
      {{"--click", "31999", "--cancel"}, 1, "--click 31999  (could not be done)", true},
      {{"--page", "9999", "--cancel"}, 1, "--page 9999  (could not be done)", true},
      {{"--cancel", "--click", "2027"}, 1, "--click 2027  (not run: the sheet had closed)", true},
      {{"--click", "abc"}, 2, "--click needs a control id, not \"abc\"", false},
      {{"--page", "first"}, 2, "--page needs a page id, not \"first\"", false},
      {{"--select", "x=A4"}, 2, "--select needs CONTROL=VALUE with a control id", false},
      {{"--type", "2020"}, 2, "--type needs CONTROL=TEXT with a control id", false},
      // A drop-down list is chosen from, not typed into.
      {{"--type", "2017=A3", "--cancel"}, 1, "--type 2017=A3  (could not be done)", true},
      {{"--devmode", shortFile}, 1, "is too short for a device-mode", false},
      {{"--devmode", bloated}, 1, "its dmSize and dmDriverExtra say", false},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args{"sheet", root_, "Kova Sample Printer", "document"};
    args.insert(args.end(), c.actions.begin(), c.actions.end());
    SCOPED_TRACE(c.actions[0] + " " + (c.actions.size() > 1 ? c.actions[1] : ""));
    HostRun run = Host(args);
    EXPECT_EQ(run.exitCode, c.exitCode) << run.out << run.err;
    EXPECT_NE((run.out + run.err).find(c.said), std::string::npos) << run.out << run.err;
    EXPECT_EQ(run.out.find("(opened)") != std::string::npos, c.opened) << run.out;
    EXPECT_EQ(run.out.find("device-mode written"), std::string::npos) << run.out;
  }
}

// An unknown page leaves the sheet where it was; a known one is the only page activated.
TEST_F(DrvhostSheetTest, APageIsActivatedOnlyWhenAsked) {
  HostRun run = Host({"sheet", root_, "Kova Sample Printer", "document", "--page", "9999", "--page", "1004", "--cancel"});
  EXPECT_EQ(run.exitCode, 1) << run.out << run.err;
  EXPECT_NE(run.out.find("page 1001 (after --page)"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("page 1004 (after --page)"), std::string::npos) << run.out;
}

// The page is shown as a person sees it, after the messages its opening posted have run: a
// page switched to shows its controls, not a page of hidden ones.
TEST_F(DrvhostSheetTest, APageIsShownOnceItsMessagesHaveRun) {
  HostRun run = Host({"sheet", root_, "Kova Sample Printer", "document", "--page", "1004", "--cancel"});
  ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
  const std::size_t at = run.out.find("page 1004 (after --page)");
  ASSERT_NE(at, std::string::npos) << run.out;
  const std::string shown = run.out.substr(at, run.out.find("--cancel", at) - at);
  EXPECT_NE(shown.find(" visible\n"), std::string::npos) << shown;
  EXPECT_TRUE(std::regex_search(shown, std::regex(" of [1-9]"))) << shown;
}

// Accepted with --store, the document sheet's result becomes the printer's default: a later
// job without a device-mode of its own prints on A3. A cancelled sheet stores nothing.
TEST_F(DrvhostSheetTest, StoreMakesTheResultThePrintersDefault) {
  HostRun cancelled = Host({"sheet", root_, "Kova Sample Printer", "document", "--select", "2017=A5", "--cancel", "--store"});
  ASSERT_EQ(cancelled.exitCode, 0) << cancelled.out << cancelled.err;
  EXPECT_NE(cancelled.out.find("device-mode not stored"), std::string::npos) << cancelled.out;
  HostRun run = Host({"sheet", root_, "Kova Sample Printer", "document", "--select", "2017=A3", "--ok", "--store"});
  ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
  EXPECT_NE(run.out.find("device-mode stored as the printer's default"), std::string::npos) << run.out;
  const std::string job = (dir_ / "job.txt").string();
  std::ofstream(job) << "document After store\npage\nrect 10 10 20 20 0xFF\n";
  HostRun print = Host({"print", root_, "Kova Sample Printer", job});
  ASSERT_EQ(print.exitCode, 0) << print.out << print.err;
  HostRun dump = Host({"dump", root_, "C:\\KovaPort\\KovaSample.prn"});
  EXPECT_NE(dump.out.find("@PJL SET PAPER=A3"), std::string::npos) << dump.out;
  EXPECT_EQ(Host({"sheet", root_, "Kova Sample Printer", "device", "--store"}).exitCode, 2);
}

// The width and height of a PNG file's header, or {0, 0} for a file that is no PNG.
std::pair<unsigned, unsigned> PngSize(const std::string& bytes) {
  static const char kSignature[] = "\x89PNG\r\n\x1a\n";
  if (bytes.size() < 24 || bytes.compare(0, 8, kSignature, 8) != 0 || bytes.compare(12, 4, "IHDR") != 0) return {0, 0};
  auto be = [&bytes](std::size_t at) {
    unsigned v = 0;
    for (std::size_t i = 0; i < 4; ++i) v = (v << 8) | static_cast<unsigned char>(bytes[at + i]);
    return v;
  };
  return {be(16), be(20)};
}

TEST_F(DrvhostSheetTest, PicturesOfTheSheetAreWrittenAsShown) {
  struct Case {
    const char* name;
    const char* pattern;
    std::vector<std::string> written;  // in order of the pictures
    const char* absent;
  };
  // Opened, after --page, after --click; --cancel closes without a picture.
  const Case cases[] = {
      {"OneAfterEachAction", "each%d.png", {"each0.png", "each1.png", "each2.png"}, "each3.png"},
      {"TheLastOnly", "last.png", {"last.png"}, "last0.png"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string pattern = (dir_ / c.pattern).string();
    HostRun run = Host({"sheet", root_, "Kova Sample Printer", "document", "--page", "1001", "--click", "2027", "--png",
                        pattern, "--cancel"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    std::vector<std::string> pictures;
    for (const std::string& name : c.written) {
      pictures.push_back(ReadAll(dir_ / name));
      const auto size = PngSize(pictures.back());
      EXPECT_GT(size.first, 100u) << name;
      EXPECT_GT(size.second, 100u) << name;
    }
    EXPECT_FALSE(std::filesystem::exists(dir_ / c.absent));
    // The clicked orientation shows: the pictures before and after the click differ.
    if (pictures.size() == 3) {
      EXPECT_NE(pictures[1], pictures[2]);
    }
  }
  // A picture that cannot be written fails the command.
  HostRun bad = Host({"sheet", root_, "Kova Sample Printer", "document", "--png",
                      (dir_ / "missing" / "p.png").string(), "--cancel"});
  EXPECT_NE(bad.exitCode, 0);
  EXPECT_NE(bad.err.find("no picture of the sheet"), std::string::npos) << bad.err;
}

// The sample's choices read as names: every value a list shows on the first page, as the
// sheet opens and after a person picks the others, is a word and never a bare value id.
TEST_F(DrvhostSheetTest, TheSamplesChoicesShowByName) {
  HostRun run = Host({"sheet", root_, "Kova Sample Printer", "document", "--select", "2009=11", "--select", "2009=12",
                      "--select", "2011=20001", "--select", "2013=39", "--cancel"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  for (const char* name : {"\"Plain paper\"", "\"Recycled paper\"", "\"Thick paper\"", "\"Upper tray\"",
                           "\"Finisher\"", "\"Normal print\"", "\"Color\"", "\"Grayscale\""})
    EXPECT_NE(run.out.find(name), std::string::npos) << name << "\n" << run.out;
  std::istringstream lines(run.out);
  std::string line;
  int combos = 0;
  while (std::getline(lines, line)) {
    if (line.find(" ComboBox ") == std::string::npos) continue;
    ++combos;
    const std::size_t open = line.find('"');
    const std::size_t close = open == std::string::npos ? open : line.find('"', open + 1);
    ASSERT_NE(close, std::string::npos) << line;
    const std::string shown = line.substr(open + 1, close - open - 1);
    EXPECT_FALSE(!shown.empty() && shown.find_first_not_of("0123456789") == std::string::npos) << line;
  }
  EXPECT_GT(combos, 5);
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
// tip shows only once its second has passed on the host's clock. The hovered control lies
// inside the sheet's own area whatever size the sheet takes (the pointer cannot rest on a
// part of a page the sheet does not show).
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

// A click on a list's item selects it (a list box also gets the press over the item); the
// focus goes to a control the page shows. Either fails, and says so, for a control or item
// the page does not have.
TEST_F(DrvhostSheetTest, ItemClicksAndFocus) {
  struct Case {
    const char* action;
    const char* value;
    bool done;
  } const cases[] = {
      {"--click-item", "2009=13", true},
      {"--click-item", "2009=no such item", false},
      {"--click-item", "9999=1", false},
      {"--focus", "2009", true},
      {"--focus", "9999", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.action) + " " + c.value);
    HostRun run = Host({"sheet", root_, "Kova Sample Printer", "document", c.action, c.value, "--cancel"});
    // An action that could not be done fails the run.
    ASSERT_EQ(run.exitCode, c.done ? 0 : 1) << run.out << run.err;
    const std::string echo = std::string(c.action) + " " + c.value;
    const std::size_t at = run.out.find(echo);
    ASSERT_NE(at, std::string::npos) << run.out;
    const std::string line = run.out.substr(at, run.out.find('\n', at) - at);
    EXPECT_EQ(line.find("could not be done") == std::string::npos, c.done) << line;
  }
  HostRun clicked = Host({"sheet", root_, "Kova Sample Printer", "document", "--click-item", "2009=13", "--cancel"});
  EXPECT_NE(clicked.out.find("2009 ComboBox   \"Transparency\" of 4"), std::string::npos) << clicked.out;
  EXPECT_EQ(Host({"sheet", root_, "Kova Sample Printer", "document", "--focus"}).exitCode, 2);
}

// What the sample's sheets show reads in words: on every page either sheet can switch to, no
// control shows a control symbol, and no list, label or button shows a bare value id where a
// value's name belongs (an edit's number is a value, not an id).
TEST_F(DrvhostSheetTest, NoPageOfTheSheetsShowsASymbolOrABareValueId) {
  std::vector<std::string> templates;
  {
    std::istringstream script(ReadAll(samples_ / "KOVAUIus.rc"));
    std::string line;
    while (std::getline(script, line)) {
      const std::size_t blank = line.find(' ');
      if (blank != std::string::npos && blank > 0 && line.compare(blank, 9, " DIALOGEX") == 0 &&
          line.find_first_not_of("0123456789") == blank)
        templates.push_back(line.substr(0, blank));
    }
  }
  ASSERT_GT(templates.size(), 10u);
  for (const char* sheet : {"document", "device"}) {
    SCOPED_TRACE(sheet);
    std::vector<std::string> args = {"sheet", root_, "Kova Sample Printer", sheet};
    for (const std::string& id : templates) {
      args.push_back("--page");
      args.push_back(id);
    }
    args.push_back("--cancel");
    HostRun run = Host(args);
    // Templates that are no page of this sheet cannot be switched to: the run says so (1).
    ASSERT_TRUE(run.exitCode == 0 || run.exitCode == 1) << run.err;
    std::istringstream out(run.out);
    std::string line, page;
    int pages = 0, controls = 0;
    bool shown = false;  // inside the listing of a page switched to
    while (std::getline(out, line)) {
      if (line.rfind("--page ", 0) == 0) {
        shown = line.find("could not be done") == std::string::npos;
        page = line.substr(7);
        pages += shown;
        continue;
      }
      if (line.rfind("page ", 0) == 0 || line.empty() || line[0] != ' ') continue;
      if (!shown) continue;
      std::istringstream fields(line);
      std::string id, kind;
      fields >> id >> kind;
      const std::size_t open = line.find('"'), close = line.rfind('"');
      if (open == std::string::npos || close <= open) continue;
      const std::string text = line.substr(open + 1, close - open - 1);
      ++controls;
      SCOPED_TRACE("page " + page + ": " + line);
      EXPECT_EQ(text.find("IDC_"), std::string::npos);
      EXPECT_EQ(text.find("KPD_"), std::string::npos);
      EXPECT_EQ(text.find("RADIOLIST_"), std::string::npos);
      const bool bare = !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
      if (kind != "Edit") {
        EXPECT_FALSE(bare);
      }
    }
    EXPECT_GE(pages, 3) << run.out;
    EXPECT_GT(controls, 0);
  }
}

}  // namespace
}  // namespace drvhost_sheet_test
