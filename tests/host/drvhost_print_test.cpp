// The built drvhost binary printing and decoding: the sample printer's two-page job end to
// end through Rendara and Spoolane, job-file errors, and the decoder on streams made here.
#include <gtest/gtest.h>

#include "host_fixture.h"
#include <stdlib.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace drvhost_print_test {

namespace fs = std::filesystem;

namespace {

using kovatest::HostRun;
using kovatest::kHost;
using kovatest::kSamples;
using kovatest::Quote;
using kovatest::Slurp;

// A stream made block by block.
struct Stream {
  std::string bytes;
  Stream& Block(unsigned type, const std::string& payload) {
    U32(type);
    U32(static_cast<unsigned>(payload.size()));
    bytes += payload;
    return *this;
  }
  void U32(unsigned v) {
    for (int i = 0; i < 4; ++i) bytes += static_cast<char>((v >> (8 * i)) & 0xFF);
  }
};

std::string Le32(unsigned v) {
  std::string s;
  for (int i = 0; i < 4; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
  return s;
}
std::string Le16(unsigned v) { return std::string{static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF)}; }

// The block types of a stream in order; stops at a damaged block.
std::vector<unsigned> BlockTypes(const std::string& s) {
  std::vector<unsigned> types;
  std::size_t pos = 0;
  auto u32 = [&](std::size_t at) {
    unsigned v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(s[at + i]);
    return v;
  };
  while (pos + 8 <= s.size()) {
    const unsigned type = u32(pos), len = u32(pos + 4);
    if (len > s.size() - pos - 8) break;
    types.push_back(type);
    pos += 8 + len;
  }
  return types;
}

class DrvhostPrintTest : public kovatest::HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    root_ = (dir_ / "root").string();
  }
  std::string Write(const std::string& name, const std::string& bytes) {
    const fs::path p = dir_ / name;
    std::ofstream(p, std::ios::binary) << bytes;
    return p.string();
  }
  void Install() {
    HostRun install = Host({"install", root_, "Kova Sample Printer", kSamples});
    ASSERT_EQ(install.exitCode, 0) << install.err;
    ASSERT_NE(install.out.find("Rendara.dll              copied"), std::string::npos) << install.out;
    ASSERT_NE(install.out.find("Spoolane.dll             copied"), std::string::npos) << install.out;
  }
  fs::path PortFile() const { return fs::path(root_) / "drives" / "c" / "KovaPort" / "KovaSample.prn"; }

  std::string root_;
};

TEST_F(DrvhostPrintTest, SampleJobRunsEndToEnd) {
  Install();
  HostRun print = Host({"print", root_, "Kova Sample Printer", kSamples + "/job-two-pages.txt"});
  ASSERT_EQ(print.exitCode, 0) << print.out << print.err;
  EXPECT_NE(print.out.find("engine calls: DrvEnablePDEV DrvCompletePDEV DrvEnableSurface DrvEscape DrvStartDoc DrvStartPage"),
            std::string::npos)
      << print.out;
  EXPECT_NE(print.out.find("DrvEndDoc DrvDisableSurface DrvDisablePDEV"), std::string::npos) << print.out;
  EXPECT_NE(print.out.find("stream: C:\\KovaPort\\KovaSample.prn"), std::string::npos) << print.out;

  // The port file holds the job: first-page job text, then per page a header, the empty
  // separator, drawing records and a trailer.
  const std::string stream = Slurp(PortFile());
  const std::vector<unsigned> types = BlockTypes(stream);
  ASSERT_FALSE(types.empty());
  EXPECT_EQ(types.front(), 0xF3u);
  std::size_t pages = 0;
  for (std::size_t i = 0; i < types.size(); ++i) {
    if (types[i] != 0xF4) continue;
    ++pages;
    ASSERT_LT(i + 2, types.size());
    EXPECT_EQ(types[i + 1], 0xF0u);
    EXPECT_EQ(types[i + 2], 0xF5u);
  }
  EXPECT_EQ(pages, 2u);
  EXPECT_EQ(types.back(), 0xF1u);
  EXPECT_EQ(std::count(types.begin(), types.end(), 0xF1u), 2);

  HostRun dump = Host({"dump", root_, "C:\\KovaPort\\KovaSample.prn"});
  ASSERT_EQ(dump.exitCode, 0) << dump.out << dump.err;
  EXPECT_NE(dump.out.find("@PJL SET JOBNAME = \"Kova sample job\""), std::string::npos) << dump.out;
  std::size_t starts = 0;
  for (std::size_t at = dump.out.find("page start: "); at != std::string::npos; at = dump.out.find("page start: ", at + 1))
    ++starts;
  EXPECT_EQ(starts, 2u) << dump.out;
  EXPECT_NE(dump.out.find(std::to_string(types.size()) + " blocks"), std::string::npos) << dump.out;
  // The second page's polygon: its colour comes first, its three points after it.
  EXPECT_NE(dump.out.find("colour 00FF00"), std::string::npos) << dump.out;
  EXPECT_NE(dump.out.find("bounds (1000, 1000)-(3000, 2800)"), std::string::npos) << dump.out;

  // The same file by its host path decodes the same.
  HostRun byPath = Host({"dump", PortFile().string()});
  EXPECT_EQ(byPath.exitCode, 0);
  EXPECT_EQ(byPath.out.substr(byPath.out.find('\n')), dump.out.substr(dump.out.find('\n')));
}

TEST_F(DrvhostPrintTest, DeviceResetBetweenPagesKeepsOneJob) {
  Install();
  const std::string job = Write("reset.txt",
                                "document Reset job\n"
                                "page\n"
                                "rect 10 10 20 20 0xFF\n"
                                "reset orientation=2 copies=2\n"
                                "page\n");
  HostRun print = Host({"print", root_, "Kova Sample Printer", job});
  ASSERT_EQ(print.exitCode, 0) << print.out << print.err;
  EXPECT_NE(print.out.find("DrvResetPDEV"), std::string::npos) << print.out;
  const std::vector<unsigned> types = BlockTypes(Slurp(PortFile()));
  EXPECT_EQ(std::count(types.begin(), types.end(), 0xF4u), 2);
  EXPECT_EQ(std::count(types.begin(), types.end(), 0xF1u), 2);
  HostRun dump = Host({"dump", PortFile().string()});
  EXPECT_EQ(dump.exitCode, 0) << dump.out;
  EXPECT_NE(dump.out.find("@PJL SET JOBNAME = \"Reset job\""), std::string::npos) << dump.out;
}

// Settings named on the command line change the job's device-mode as a reset does, by name
// or number; a reset between pages takes the same names.
TEST_F(DrvhostPrintTest, NamedSettingsReachThePages) {
  Install();
  const std::string job = Write("named.txt", "document Named\npage\nrect 10 10 20 20 0xFF\n");
  struct Case {
    std::vector<std::string> settings;
    std::vector<std::string> header;  // lines of the page header text
  };
  const Case cases[] = {
      {{"paper=A3", "copies=3"}, {"@PJL SET PAPER=A3", "@PJL SET COPIES = 3"}},
      {{"orientation=landscape"}, {"@PJL SET ORIENTATION=LANDSCAPE", "@PJL SET PAPER=A4"}},
      {{"papersize=8", "orientation=2"}, {"@PJL SET PAPER=A3", "@PJL SET ORIENTATION=LANDSCAPE"}},
      {{"paper=a5"}, {"@PJL SET PAPER=A5"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.settings[0]);
    std::vector<std::string> args{"print", root_, "Kova Sample Printer", job};
    args.insert(args.end(), c.settings.begin(), c.settings.end());
    HostRun print = Host(args);
    ASSERT_EQ(print.exitCode, 0) << print.out << print.err;
    HostRun dump = Host({"dump", PortFile().string()});
    for (const std::string& line : c.header) EXPECT_NE(dump.out.find(line), std::string::npos) << line << dump.out;
  }
  const std::string reset =
      Write("reset-named.txt", "page\nrect 10 10 20 20 0xFF\nreset paper=A3 orientation=landscape\npage\n");
  HostRun print = Host({"print", root_, "Kova Sample Printer", reset});
  ASSERT_EQ(print.exitCode, 0) << print.out << print.err;
  HostRun dump = Host({"dump", PortFile().string()});
  const std::size_t second = dump.out.find("@PJL SET PAPER=A3");
  ASSERT_NE(second, std::string::npos) << dump.out;
  EXPECT_LT(dump.out.find("@PJL SET PAPER=A4"), second) << dump.out;
  // Bad names and values are refused before anything prints.
  const struct {
    const char* setting;
    const char* said;
  } bad[] = {
      {"paper=Z9", "\"Z9\" is no value of paper (Letter"},
      {"copies=0", "\"0\" is no value of copies"},
      {"staple=on", "unknown setting \"staple\""},
      {"A3", "a setting is NAME=VALUE"},
  };
  for (const auto& b : bad) {
    HostRun r = Host({"print", root_, "Kova Sample Printer", job, b.setting});
    EXPECT_EQ(r.exitCode, 2) << b.setting;
    EXPECT_NE(r.err.find(b.said), std::string::npos) << b.setting << "\n" << r.err;
    EXPECT_EQ(r.out, "") << b.setting;
  }
}

// The engine hands the driver ordered rectangles within the surface: an inverted one is
// ordered, one that reaches past the surface is cut to it with a rectangle clip that says
// so, one wholly outside is not handed over at all.
TEST_F(DrvhostPrintTest, RectanglesReachTheDriverAsAnEngineHandsThem) {
  Install();
  const std::string job = Write("rects.txt",
                                "page\nrect 3000 3000 100 100 0xFF\nrect -500 -500 99999 99999 0xFF\n"
                                "rect 90000 90000 90010 90010 0\n");
  HostRun print = Host({"print", root_, "Kova Sample Printer", job});
  ASSERT_EQ(print.exitCode, 0) << print.out << print.err;
  EXPECT_NE(print.out.find("line 4: DrvBitBlt: outside the surface, nothing to draw"), std::string::npos) << print.out;
  HostRun dump = Host({"dump", PortFile().string()});
  ASSERT_EQ(dump.exitCode, 0) << dump.out;
  const std::size_t ordered = dump.out.find("fill rectangle (100, 100)-(3000, 3000)");
  const std::size_t clip = dump.out.find("clip rectangle (0, 0)-(4761, 6816)");
  const std::size_t cut = dump.out.find("fill rectangle (0, 0)-(4761, 6816)");
  ASSERT_NE(ordered, std::string::npos) << dump.out;
  ASSERT_NE(clip, std::string::npos) << dump.out;
  ASSERT_NE(cut, std::string::npos) << dump.out;
  EXPECT_LT(ordered, clip);
  EXPECT_LT(clip, cut);
  EXPECT_EQ(dump.out.find("99999"), std::string::npos) << dump.out;
}

// Two processes printing to one printer at once: the second waits for the port while the
// first prints, and both jobs succeed; the port then holds one whole stream.
TEST_F(DrvhostPrintTest, TwoJobsAtOnceTakeThePortInTurn) {
  Install();
  std::string text = "document Busy\n";
  for (int page = 0; page < 6; ++page) {
    text += "page\n";
    for (int i = 0; i < 6; ++i) text += "rect 10 10 4000 4000 0xFF\npolygon 0xFF00 10 10 4000 100 100 4000\n";
  }
  const std::string job = Write("busy.txt", text);
  for (int round = 0; round < 4; ++round) {
    SCOPED_TRACE(round);
    std::string one = kovatest::Quote(kHost) + " print " + kovatest::Quote(root_) + " 'Kova Sample Printer' " +
                      kovatest::Quote(job);
    const std::string a = (dir_ / "a.txt").string(), b = (dir_ / "b.txt").string();
    const std::string cmd = "(" + one + " >" + kovatest::Quote(a) + " 2>&1; echo rc=$? >>" + kovatest::Quote(a) +
                            ") & (" + one + " >" + kovatest::Quote(b) + " 2>&1; echo rc=$? >>" + kovatest::Quote(b) +
                            "); wait";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    const std::string outA = Slurp(a), outB = Slurp(b);
    EXPECT_NE(outA.find("rc=0"), std::string::npos) << outA;
    EXPECT_NE(outB.find("rc=0"), std::string::npos) << outB;
    HostRun dump = Host({"dump", PortFile().string()});
    EXPECT_EQ(dump.exitCode, 0) << dump.out;
  }
}

TEST_F(DrvhostPrintTest, JobDeviceModeComesFromItsFile) {
  Install();
  // A public device-mode alone: portrait turned to landscape.
  std::string dm(220, '\0');
  dm.replace(68, 2, Le16(220));
  dm.replace(72, 4, Le32(0x1));  // DM_ORIENTATION
  dm.replace(76, 2, Le16(2));
  Write("landscape.dm", dm);
  const std::string job = Write("dm.txt", "document Landscape\ndevmode landscape.dm\npage\n");
  HostRun print = Host({"print", root_, "Kova Sample Printer", job});
  ASSERT_EQ(print.exitCode, 0) << print.out << print.err;
  EXPECT_NE(print.out.find("device-mode of 220 bytes"), std::string::npos) << print.out;

  // The file must hold exactly the device-mode it describes.
  Write("short.dm", dm.substr(0, 200));
  HostRun bad = Host({"print", root_, "Kova Sample Printer", Write("bad.txt", "devmode short.dm\npage\n")});
  EXPECT_EQ(bad.exitCode, 1);
  EXPECT_NE(bad.err.find("holds 200 bytes, its dmSize and dmDriverExtra say 220"), std::string::npos) << bad.err;
  HostRun missing = Host({"print", root_, "Kova Sample Printer", Write("none.txt", "devmode nothing.dm\npage\n")});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_NE(missing.err.find("cannot read the device-mode file"), std::string::npos) << missing.err;
}

// The page start's size (the printable area: the paper less a margin of a sixth of an inch
// on each side) and resolution follow the paper and resolution the PJL names, for the
// papers and every resolution the sample model offers, in both orientations.
TEST_F(DrvhostPrintTest, PageStartFollowsThePjlPaperAndResolution) {
  Install();
  struct Paper {
    unsigned code;
    const char* name;
    unsigned width, length;  // 0.1 mm
  } const papers[] = {{1, "LETTER", 2159, 2794}, {5, "LEGAL", 2159, 3556}, {9, "A4", 2100, 2970},
                      {11, "A5", 1480, 2100},   {13, "B5", 1820, 2570},    {8, "A3", 2970, 4200}};
  auto dots = [](unsigned tenths, unsigned dpi) {
    // 1200 dpi is twice the 600-dpi size.
    if (dpi == 1200) return 2 * ((tenths * 600 + 127) / 254);
    return (tenths * dpi + 127) / 254;
  };
  auto u32 = [](const std::string& b, std::size_t at) {
    unsigned v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b[at + i]);
    return v;
  };
  for (const Paper& paper : papers) {
    for (unsigned dpi : {300u, 600u, 1200u}) {
      for (unsigned orientation : {1u, 2u}) {
        SCOPED_TRACE(std::string(paper.name) + " " + std::to_string(dpi) + " " + std::to_string(orientation));
        std::string dm(220, '\0');
        dm.replace(68, 2, Le16(220));
        dm.replace(72, 4, Le32(0x1 | 0x2 | 0x400));  // DM_ORIENTATION, DM_PAPERSIZE, DM_PRINTQUALITY
        dm.replace(76, 2, Le16(orientation));
        dm.replace(78, 2, Le16(paper.code));
        dm.replace(90, 2, Le16(dpi));
        Write("paper.dm", dm);
        const std::string job = Write("paper.txt", "document Paper\ndevmode paper.dm\npage\n");
        HostRun print = Host({"print", root_, "Kova Sample Printer", job});
        ASSERT_EQ(print.exitCode, 0) << print.out << print.err;
        const std::string stream = Slurp(PortFile());
        std::string header, records;
        for (std::size_t pos = 0; pos + 8 <= stream.size();) {
          const unsigned type = u32(stream, pos), len = u32(stream, pos + 4);
          ASSERT_LE(pos + 8 + len, stream.size());
          if (type == 0xF3 || type == 0xF4) header += stream.substr(pos + 8, len);
          if (type == 0xF5) records += stream.substr(pos + 8, len);
          pos += 8 + len;
        }
        EXPECT_NE(header.find(std::string("PAPER=") + paper.name + "\r"), std::string::npos) << header;
        EXPECT_NE(header.find("RESOLUTION=" + std::to_string(dpi) + "\r"), std::string::npos) << header;
        ASSERT_GE(records.size(), 16u);
        ASSERT_EQ(static_cast<unsigned char>(records[0]), 0x60);
        const unsigned width = dots(orientation == 1 ? paper.width : paper.length, dpi) - dpi / 3;
        const unsigned height = dots(orientation == 1 ? paper.length : paper.width, dpi) - dpi / 3;
        EXPECT_EQ(u32(records, 4), width);
        EXPECT_EQ(u32(records, 8), height);
        EXPECT_EQ(u32(records, 12), dpi | dpi << 16);
      }
    }
  }
}

TEST_F(DrvhostPrintTest, JobFileErrorsNameTheLine) {
  const struct {
    const char* text;
    const char* message;
  } cases[] = {
      {"page\nfrobnicate\n", "line 2: unknown statement \"frobnicate\""},
      {"rect 1 2 3 4 5\n", "line 1: rect outside a page"},
      {"page\nrect 1 2 3 5\n", "line 2: rect wants four coordinates, then a colour"},
      {"page\nline 1 2 3 4 0x1000000\n", "line 2: the colour is a number from 0 to 0xFFFFFF"},
      {"page\npolygon 5 1 1 2 2\n", "line 2: polygon wants a colour, then at least three x y pairs"},
      {"page\nrect 1 2 x 4 5\n", "line 2: bad coordinate \"x\""},
      {"page\nrect 0 0 99999999999 4 5\n", "line 2: bad coordinate"},
      {"reset orientation=2\n", "reset without a following page"},
      {"reset tray=2\npage\n", "line 1: unknown device-mode field \"tray\""},
      {"reset orientation=upside\npage\n", "line 1: \"upside\" is no value of orientation"},
      {"job lots\n", "line 1: job wants a number"},
      {"devmode\n", "line 1: devmode wants a file name"},
      {"page\ntext 10 10 NoSuchFont.ttf 12 0 hi\n", "line 2: no device font or font file \"NoSuchFont.ttf\""},
  };
  Install();
  for (const auto& c : cases) {
    const std::string job = Write("bad.txt", c.text);
    HostRun r = Host({"print", root_, "Kova Sample Printer", job});
    EXPECT_EQ(r.exitCode, 1) << c.text;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << c.text << "\n" << r.err;
  }
}

TEST_F(DrvhostPrintTest, PrintRefusesWhatItCannotUse) {
  const std::string job = Write("job.txt", "page\n");
  HostRun usage = Host({"print", root_});
  EXPECT_EQ(usage.exitCode, 2);
  HostRun noRoot = Host({"print", root_, "Kova Sample Printer", job});
  EXPECT_EQ(noRoot.exitCode, 1);
  Install();
  HostRun noPrinter = Host({"print", root_, "No Such Printer", job});
  EXPECT_EQ(noPrinter.exitCode, 1);
  EXPECT_NE(
      noPrinter.err.find("cannot open the printer \"No Such Printer\" (error 1801: The printer name is invalid.)"),
      std::string::npos)
      << noPrinter.err;
  EXPECT_NE(noPrinter.err.find("drvhost printers " + root_ + " lists the printers"), std::string::npos) << noPrinter.err;
  HostRun noJob = Host({"print", root_, "Kova Sample Printer", (dir_ / "missing.txt").string()});
  EXPECT_EQ(noJob.exitCode, 1);
}

TEST_F(DrvhostPrintTest, DumpDecodesTextSettingsAndRecordsAcrossBlocks) {
  // A settings record: public part with a name and fields, then the private header.
  std::string dm(400, '\0');
  const std::u16string name = u"Kova";
  for (std::size_t i = 0; i < name.size(); ++i) dm.replace(2 * i, 2, Le16(name[i]));
  dm.replace(68, 2, Le16(220));
  dm.replace(70, 2, Le16(1016));
  dm.replace(76, 2, Le16(2));   // orientation
  dm.replace(86, 2, Le16(3));   // copies
  dm.replace(220, 4, "KOVA");
  dm.replace(228, 8, "KOVA1.KM");
  dm.replace(349, 4, "priv");
  dm.replace(353, 4, Le32(1016));
  dm.replace(357, 4, Le32(322));
  dm.replace(361, 6, Le16(0) + Le16(1236) + Le16(6500));

  // A page start record split over two 0xF5 blocks, then a colour and a fill rectangle.
  std::string start = std::string("\x60\0\0\0", 4) + Le32(4960) + Le32(7016) + Le16(600) + Le16(600);
  std::string rest = std::string("\x30\x08\x01\0\x11\x22\x33\0", 8) + std::string("\x10\0\x01\0", 4) + Le32(40) +
                     Le32(1) + Le32(2) + Le32(3) + Le32(4) + Le32(1) + Le32(2) + Le32(3) + Le32(4) +
                     std::string("\x61\0\0\0", 4);
  Stream s;
  s.Block(0xF3, "@PJL SET RESOLUTION = 600\r\n\x1b%-12345X")
      .Block(0xF7, dm)
      .Block(0xF4, "")
      .Block(0xF0, "")
      .Block(0xF5, start.substr(0, 6))
      .Block(0xF5, start.substr(6) + rest)
      .Block(0xF1, "@PJL EOJ\r\n");
  HostRun r = Host({"dump", Write("good.prn", s.bytes)});
  ASSERT_EQ(r.exitCode, 0) << r.out;
  for (const std::string& want : {
           std::string("block 0xF3 job text"),
           std::string("    | @PJL SET RESOLUTION = 600"),
           std::string("    | <ESC>%-12345X"),
           std::string("device name \"Kova\""),
           std::string("dmSize 220, dmDriverExtra 1016"),
           std::string("orientation 2, paper size 0, copies 3"),
           std::string("model INI \"KOVA1.KM\""),
           std::string("product tag \"priv\", private size 1016, device-mode version 322"),
           std::string("area offsets 0, 1236, 6500"),
           std::string("     0  page start: 4960 x 7016 pixels at 600 x 600 dpi"),
           std::string("    16  colour 112233 (flags 0x01, 8 bytes)"),
           std::string("    24  fill rectangle (1, 2)-(3, 4)"),
           std::string("    64  page end"),
           std::string("    | @PJL EOJ"),
           std::string("7 blocks, 4 drawing records"),
       })
    EXPECT_NE(r.out.find(want), std::string::npos) << want << "\n" << r.out;
}

TEST_F(DrvhostPrintTest, DumpReportsDamagedStreams) {
  const struct {
    std::string bytes;
    const char* message;
  } cases[] = {
      {Stream().Block(0xF3, "x").bytes + std::string("\xF4\0\0", 3), "too few for a block header"},
      {Stream().Block(0xF3, "abc").bytes.substr(0, 10), "claims 3 payload bytes, only 2 follow"},
      {Stream().Block(0xF5, std::string("\x99\0\0\0", 4)).bytes, "unknown opcode 0x99"},
      {Stream().Block(0xF5, std::string("\x30\x06\x01\0\0\0\0\0", 8)).bytes, "bad length of opcode 0x30"},
      {Stream().Block(0xF5, std::string("\x60\0\0\0\0\0", 6)).bytes, "ends inside a record (6 bytes left)"},
      {Stream().Block(0xF0, "").Block(0xE0, "").bytes, "unknown block type"},
      // A rectangle that states 8 bytes where its fields need 24: reported at that record.
      {Stream().Block(0xF5, std::string("\x10\0\x01\0", 4) + Le32(8) + std::string(16, '\0')).bytes,
       "record stream offset 0: opcode 0x10 states a length of 8, too short for its record (at least 24)"},
      {Stream().Block(0xF5, std::string("\x61\0\0\0", 4) + std::string("\x20\0\0\0", 4) + Le32(12) +
                                std::string(4, '\0')).bytes,
       "record stream offset 4: opcode 0x20 states a length of 12, too short for its record (at least 56)"},
  };
  for (const auto& c : cases) {
    HostRun r = Host({"dump", Write("bad.prn", c.bytes)});
    EXPECT_EQ(r.exitCode, 1) << c.message << "\n" << r.out;
    EXPECT_NE(r.out.find(c.message), std::string::npos) << c.message << "\n" << r.out;
    EXPECT_NE(r.out.find("the stream is damaged"), std::string::npos) << r.out;
  }
  HostRun empty = Host({"dump", Write("empty.prn", "")});
  EXPECT_EQ(empty.exitCode, 0);
  EXPECT_NE(empty.out.find("0 blocks, 0 drawing records, 0 bytes"), std::string::npos) << empty.out;
  HostRun missing = Host({"dump", (dir_ / "nothing.prn").string()});
  EXPECT_EQ(missing.exitCode, 1);
  // Files that are no stream at all get one sentence, not a list of damaged blocks.
  std::string devmode(220 + 16, '\0');
  devmode.replace(68, 2, Le16(220));
  devmode.replace(70, 2, Le16(16));
  const struct {
    std::string file;
    std::string said;
  } others[] = {
      {dir_.string(), " is a folder, not a stream file"},
      {Write("settings.dm", devmode), " holds a device-mode, not a block stream (drvhost devmode "},
      {Write("notes.txt", "hello, printer\n"), " is not a block stream: its first block type 0x6C6C6568"},
  };
  for (const auto& o : others) {
    HostRun r = Host({"dump", o.file});
    EXPECT_EQ(r.exitCode, 1) << o.said;
    EXPECT_NE(r.err.find(o.said), std::string::npos) << o.said << "\n" << r.err;
    EXPECT_EQ(r.out.find("unknown block type"), std::string::npos) << r.out;
  }
  HostRun usage = Host({"dump"});
  EXPECT_EQ(usage.exitCode, 2);
}

}  // namespace

}  // namespace drvhost_print_test
