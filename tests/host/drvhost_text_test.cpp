// drvhost with text: the text statement in a device font and in a TrueType face printed
// end to end and decoded without damage, and the decoder on text records made here,
// whole and damaged.
#include <gtest/gtest.h>

#include "host_fixture.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>
#include "build_paths.h"

namespace drvhost_text_test {

namespace fs = std::filesystem;

namespace {

using kovatest::HostRun;
using kovatest::kSamples;

std::string Le32(unsigned v) {
  std::string s;
  for (int i = 0; i < 4; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
  return s;
}
std::string Le16(unsigned v) { return std::string{static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF)}; }
std::string Bytes(std::initializer_list<int> b) {
  std::string s;
  for (int v : b) s += static_cast<char>(v);
  return s;
}
std::string Pad(std::string s) {
  while (s.size() % 4) s += '\0';
  return s;
}
std::string RecordsBlock(const std::string& records) { return Le32(0xF5) + Le32(static_cast<unsigned>(records.size())) + records; }

// A glyph definition of an 8 x 8 bitmap with the given bitmap bytes and encoding.
std::string GlyphData(const std::string& bitmap, unsigned encoding) {
  std::string r = Bytes({0x54, 0, 0x08, 0}) + Le32(static_cast<unsigned>(Pad(bitmap).size() + 28)) +
                  Le32(static_cast<unsigned>(bitmap.size())) + Le32(8) + Le32(8) + Le32(0) + Le16('A') +
                  Le16(encoding) + bitmap;
  return Pad(r);
}

class DrvhostTextTest : public kovatest::HostTest {
 protected:
  std::string Write(const std::string& name, const std::string& bytes) {
    const fs::path p = dir_ / name;
    std::ofstream(p, std::ios::binary) << bytes;
    return p.string();
  }
};

TEST_F(DrvhostTextTest, TextInBothKindsOfFontPrintsAndDecodes) {
  const std::string root = (dir_ / "root").string();
  HostRun install = Host({"install", root, "Kova Sample Printer", kSamples});
  ASSERT_EQ(install.exitCode, 0) << install.err;
  const std::string job = Write("text.txt",
                                "document Text job\n"
                                "page\n"
                                "text 100 300 \xE6\x98\x8E\xE6\x9C\x9D 60 0 ABC\n"
                                "text 100 500 DejaVuSans.ttf 48 0xFF Hello\n"
                                "page\n"
                                "text 100 500 DejaVuSans.ttf 48 0xFF Hello\n");
  HostRun print = Host({"print", root, "Kova Sample Printer", job});
  ASSERT_EQ(print.exitCode, 0) << print.out << print.err;
  EXPECT_NE(print.out.find("DrvTextOut (device font): drawn by the driver"), std::string::npos) << print.out;
  EXPECT_NE(print.out.find("DrvTextOut (TrueType face DejaVu Sans): drawn by the driver"), std::string::npos)
      << print.out;
  HostRun dump = Host({"dump", root, "C:\\KovaPort\\KovaSample.prn"});
  ASSERT_EQ(dump.exitCode, 0) << dump.out;
  EXPECT_EQ(dump.out.find("!"), std::string::npos) << dump.out;
  EXPECT_NE(dump.out.find("flags 0x0008 (resident), character set 128"), std::string::npos) << dump.out;
  EXPECT_NE(dump.out.find(": \"ABC\""), std::string::npos) << dump.out;
  // The face's font is selected again on the second page.
  std::size_t selections = 0;
  for (std::size_t at = dump.out.find("font selection: \"DejaVu Sans\""); at != std::string::npos;
       at = dump.out.find("font selection: \"DejaVu Sans\"", at + 1))
    ++selections;
  EXPECT_EQ(selections, 2u) << dump.out;
}

TEST_F(DrvhostTextTest, NoFontNoText) {
  const std::string root = (dir_ / "root").string();
  ASSERT_EQ(Host({"install", root, "Kova Sample Printer", kSamples}).exitCode, 0);
  HostRun bad = Host({"print", root, "Kova Sample Printer", Write("bad.txt", "page\ntext 1 2 Font 0 0 x\n")});
  EXPECT_NE(bad.exitCode, 0);
  EXPECT_NE(bad.err.find("line 2"), std::string::npos) << bad.err;
  HostRun missing =
      Host({"print", root, "Kova Sample Printer", Write("missing.txt", "page\ntext 1 2 NoSuchFace.ttf 20 0 x\n")});
  EXPECT_NE(missing.out.find("no device font or font file \"NoSuchFace.ttf\""), std::string::npos) << missing.out;
}

// Text records made here: every kind decodes by its fields; a compressed bitmap that does
// not expand to its rows, and counts that disagree with the length, are damage.
TEST_F(DrvhostTextTest, DecoderChecksTextRecords) {
  const std::string font = Bytes({0x56, 0, 0x22, 0}) + Le16(0x2000) + Le16(400) + Le16(0) + Le16(40) + Le16(40) +
                           Le16(40) + Le32(0) + Le16(3) + Le16(0x20) + std::string(8, '\0') + "Face" +
                           std::string(4, '\0');
  const std::string compressed = GlyphData(Bytes({0x81, 0xFF}), 2);  // FF FF FF and five zeros
  const std::string plain = GlyphData(Bytes({1, 2, 3, 4, 5, 6, 7, 8}), 0);
  const std::string positions = Bytes({0x55, 0, 0x08, 0}) + Le32(44) + Le32(0) + Le32(0) + Le32(10) + Le32(10) +
                                Le32(5) + Le32(6) + Le32(1) + Le16(0) + Le16(0) + Le16('A') + Bytes({0, 0});
  const std::string kept = Bytes({0x53, 0, 0x48, 0}) + Le32(64) + std::string(24, '\0') + Le32(0) +
                           std::string(16, '\0') + Le32(0) + Le32(0) + Le16('A') + Bytes({0, 0});
  struct Case {
    const char* name;
    std::string records;
    int exitCode;
    const char* says;
  } cases[] = {
      {"whole records", font + compressed + plain + positions + kept, 0, "glyph definition U+0041, flags 0x08, 8x8, 2 compressed bytes for 8"},
      {"codes past the rows", font + GlyphData(Bytes({0x87, 5, 0xFF}), 2), 1, "do not expand"},
      {"plain bytes short of the rows", GlyphData(Bytes({1, 2}), 0), 1, "2 plain bytes for 8 bytes of rows"},
      {"entry count against the length", Bytes({0x55, 0, 0x08, 0}) + Le32(36) + std::string(24, '\0') + Le32(2), 1,
       "36 bytes for 2 entries"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string file = Write("s.prn", RecordsBlock(c.records));
    HostRun dump = Host({"dump", file});
    EXPECT_EQ(dump.exitCode, c.exitCode) << dump.out;
    EXPECT_NE(dump.out.find(c.says), std::string::npos) << dump.out;
  }
}

// With text printed as bitmaps (a job device-mode that says so) a TrueType face goes the
// downloaded-glyph road end to end: its font is selected as a downloaded font, each glyph is
// defined once per page and placed by glyph positions, and the stream decodes undamaged.
TEST_F(DrvhostTextTest, TextAsBitmapsDownloadsEachGlyphOncePerPage) {
  const std::string root = (dir_ / "root").string();
  HostRun install = Host({"install", root, "Kova Sample Printer", kSamples});
  ASSERT_EQ(install.exitCode, 0) << install.err;
  fs::copy_file(kovatest::SourceDir() + "/tests/fixtures/host/text-as-bitmaps.dm", dir_ / "bitmaps.dm");
  const std::string job = Write("glyphs.txt",
                                "document Glyphs\n"
                                "devmode bitmaps.dm\n"
                                "page\n"
                                "text 100 500 DejaVuSans.ttf 48 0 Hello\n"
                                "text 100 700 DejaVuSans.ttf 48 0 hole\n"
                                "page\n"
                                "text 100 500 DejaVuSans.ttf 48 0 Hello\n");
  HostRun print = Host({"print", root, "Kova Sample Printer", job});
  ASSERT_EQ(print.exitCode, 0) << print.out << print.err;
  EXPECT_NE(print.out.find("device-mode of 1236 bytes"), std::string::npos) << print.out;
  HostRun dump = Host({"dump", root, "C:\\KovaPort\\KovaSample.prn"});
  ASSERT_EQ(dump.exitCode, 0) << dump.out;
  EXPECT_EQ(dump.out.find("!"), std::string::npos) << dump.out;
  auto count = [&](const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = dump.out.find(what); at != std::string::npos; at = dump.out.find(what, at + 1)) ++n;
    return n;
  };
  // Selected once on each page: the second string of page 1 keeps the font.
  EXPECT_EQ(count("downloaded-font selection: \"DejaVu Sans\""), 2u) << dump.out;
  EXPECT_EQ(count("font selection: \"DejaVu Sans\", flags 0x0008 (resident)"), 0u) << dump.out;
  // Page 1 defines H, e, l and o for "Hello" and only h for "hole"; page 2 defines H, e, l
  // and o again.
  struct Glyph {
    const char* name;
    std::size_t definitions;
  } const glyphs[] = {{"U+0048", 2}, {"U+0065", 2}, {"U+006C", 2}, {"U+006F", 2}, {"U+0068", 1}};
  for (const Glyph& g : glyphs)
    EXPECT_EQ(count(std::string("glyph definition ") + g.name), g.definitions) << g.name << "\n" << dump.out;
  EXPECT_EQ(count("glyph positions: 5 glyphs"), 2u) << dump.out;
  EXPECT_EQ(count("glyph positions: 4 glyphs"), 1u) << dump.out;
}

}  // namespace

}  // namespace drvhost_text_test
