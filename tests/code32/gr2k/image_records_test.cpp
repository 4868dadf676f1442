// The image record: its header, palette and rows in both forms, the shift of 1-bit rows
// behind the 6-byte palette, bottom-up sources, grey conversion, the row pieces and the
// failures.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "buffer_fixture.h"
#include "image_records.h"
#include "image_transfer.h"

namespace rendara::test {
namespace {

DWORD Get32(const std::vector<BYTE>& r, std::size_t at) {
  DWORD v = 0;
  std::memcpy(&v, &r[at], 4);
  return v;
}

void Put32(std::vector<BYTE>* r, std::size_t at, DWORD v) { std::memcpy(&(*r)[at], &v, 4); }

// A source of `rows` rows of `rowLength` bytes with distinct contents.
std::vector<BYTE> Source(DWORD rowLength, DWORD rows) {
  std::vector<BYTE> s(static_cast<std::size_t>(rowLength) * rows);
  for (std::size_t i = 0; i < s.size(); ++i) s[i] = static_cast<BYTE>(i * 7 + i / 251 + 1);
  return s;
}

// The record as the printer reads it, built independently: header, palette, the rows top
// first, zeros to the record length.
std::vector<BYTE> Expected(DWORD flagsOut, DWORD length, LONG x, LONG y, LONG w, LONG h, LONG sx, LONG sy,
                           DWORD ppr, DWORD rows, const std::vector<BYTE>& palette,
                           const std::vector<std::vector<BYTE>>& topFirstRows) {
  std::vector<BYTE> r(length, 0);
  r[0] = 0x20;
  r[1] = static_cast<BYTE>(flagsOut >> 16);
  r[2] = static_cast<BYTE>(flagsOut);
  r[3] = static_cast<BYTE>(flagsOut >> 8);
  Put32(&r, 4, length);
  const LONG fields[] = {x, y, x + w, y + h, sx, sy, static_cast<LONG>(ppr), static_cast<LONG>(rows), x, y, w, h};
  for (int i = 0; i < 12; ++i) Put32(&r, 8 + 4 * i, static_cast<DWORD>(fields[i]));
  std::size_t at = 56;
  for (BYTE b : palette) r[at++] = b;
  for (const auto& row : topFirstRows)
    for (BYTE b : row) r[at++] = b;
  return r;
}

class ImageRecordTest : public BufferTest {
 protected:
  void SetUp() override {
    BufferTest::SetUp();
    // Junk in the embedded chunk shows every byte the writer leaves unwritten.
    std::memset(records().first.data, 0xCD, sizeof records().first.data);
    device_->machineColorType = 1;
    device_->color = 2;
  }
  // The records written since the last call, split by their length fields.
  std::vector<std::vector<BYTE>> Written() {
    EXPECT_TRUE(FlushRecords(&records()));
    std::vector<BYTE> s;
    for (const auto& b : ParseBlocks(log_.Bytes())) s.insert(s.end(), b.payload.begin(), b.payload.end());
    log_.pieces.clear();
    std::vector<std::vector<BYTE>> out;
    std::size_t at = 0;
    while (at < s.size()) {
      if (s.size() - at < 8) {
        ADD_FAILURE() << "short record at " << at;
        break;
      }
      const std::size_t len = Get32(s, at + 4);
      if (len < 8 || len % 4 != 0 || s.size() - at < len) {
        ADD_FAILURE() << "bad record at " << at;
        break;
      }
      out.emplace_back(s.begin() + at, s.begin() + at + len);
      at += len;
    }
    return out;
  }
};

// The rows of a source as they appear on the page, top row first.
std::vector<std::vector<BYTE>> TopFirst(const std::vector<BYTE>& src, DWORD rowLength, DWORD rows, bool bottomUp) {
  std::vector<std::vector<BYTE>> out;
  for (DWORD i = 0; i < rows; ++i) {
    const DWORD memoryRow = bottomUp ? rows - 1 - i : i;
    out.emplace_back(src.begin() + memoryRow * rowLength, src.begin() + (memoryRow + 1) * rowLength);
  }
  return out;
}

TEST_F(ImageRecordTest, OneBitImageBehindTheSixBytePalette) {
  // 100 pixels: rows of 16 bytes; 56 + 6 palette + 2 pixel bytes, then 3 x 16 = 112.
  const auto src = Source(16, 3);
  const BYTE palette[6] = {0x11, 0x22, 0x33, 0x44, 0x55, 0x66};
  const DWORD flags = IMAGE_1BPP | IMAGE_FROM_BLT | IMAGE_HOST_MATCHED | IMAGE_REDUCED;
  ASSERT_NE(EmitImage(&records(), 10, 20, 200, 6, 3, 4, 100, 3, flags, src.data(), palette, FALSE), nullptr);
  const auto recs = Written();
  ASSERT_EQ(recs.size(), 1u);
  const auto& r = recs[0];
  ASSERT_EQ(r.size(), 112u);
  EXPECT_EQ(r[1], 0x02);
  EXPECT_EQ(r[2], 0x80);
  EXPECT_EQ(r[3], 0x08);
  EXPECT_EQ(0, std::memcmp(&r[56], palette, 6));
  EXPECT_EQ(0, std::memcmp(&r[62], src.data(), 48));  // the first row at 62
  EXPECT_EQ(r[110], 0);
  EXPECT_EQ(r[111], 0);
  EXPECT_EQ(r, Expected(flags, 112, 10, 20, 200, 6, 3, 4, 100, 3, {palette, palette + 6}, TopFirst(src, 16, 3, false)));
}

struct FormCase {
  const char* name;
  DWORD format;
  DWORD ppr;
  DWORD rows;
  DWORD paletteLength;  // 0: none given
  bool bottomUp;
  bool single;          // the device asks for one piece
  bool rowByRow;        // the row-by-row form
};

class ImageFormTest : public ImageRecordTest, public ::testing::WithParamInterface<FormCase> {};

TEST_P(ImageFormTest, BytesMatchTheLayout) {
  const FormCase& c = GetParam();
  if (c.single) device_->printMethod = 5;
  const DWORD bits = c.format == IMAGE_1BPP ? 1 : c.format == IMAGE_4BPP ? 4 : c.format == IMAGE_8BPP ? 8 : 24;
  const DWORD rowLength = (c.ppr * bits + 31) / 32 * 4;
  ASSERT_EQ(ImageRowLength(c.format, c.ppr), rowLength);
  const auto src = Source(rowLength, c.rows);
  std::vector<BYTE> palette(c.paletteLength);
  for (std::size_t i = 0; i < palette.size(); ++i) palette[i] = static_cast<BYTE>(0xA0 + i);
  // The source pointer is the top row: for a bottom-up source, the last row in memory.
  const BYTE* first = c.bottomUp ? src.data() + (c.rows - 1) * rowLength : src.data();
  const DWORD flags = c.format | IMAGE_BANDS;
  const BYTE* pal = c.paletteLength ? palette.data() : nullptr;
  BYTE* record = c.rowByRow ? EmitImageRows(&records(), -5, 7, 40, 30, 1, 2, c.ppr, c.rows, flags, first, pal, c.bottomUp)
                            : EmitImage(&records(), -5, 7, 40, 30, 1, 2, c.ppr, c.rows, flags, first, pal, c.bottomUp);
  ASSERT_NE(record, nullptr);
  const DWORD length = ((c.paletteLength + 59) & ~3u) + rowLength * c.rows;
  DWORD flagsOut = c.rowByRow ? c.format : flags;
  if (!c.paletteLength) flagsOut |= IMAGE_NO_PALETTE;
  const auto recs = Written();
  ASSERT_EQ(recs.size(), 1u);
  EXPECT_EQ(recs[0], Expected(flagsOut, length, -5, 7, 40, 30, 1, 2, c.ppr, c.rows, palette,
                              TopFirst(src, rowLength, c.rows, c.bottomUp)));
}

INSTANTIATE_TEST_SUITE_P(
    Forms, ImageFormTest,
    ::testing::Values(FormCase{"OneBitPieces", IMAGE_1BPP, 100, 3, 6, false, false, false},
                      FormCase{"OneBitBottomUpSingle", IMAGE_1BPP, 33, 4, 6, true, true, false},
                      FormCase{"OneBitRowByRowBottomUp", IMAGE_1BPP, 100, 5, 6, true, false, true},
                      FormCase{"OneBitNoPalette", IMAGE_1BPP, 9, 2, 0, false, false, false},
                      FormCase{"FourBit", IMAGE_4BPP, 13, 3, 48, false, false, false},
                      FormCase{"FourBitRowByRow", IMAGE_4BPP, 13, 3, 48, true, false, true},
                      FormCase{"EightBitSingle", IMAGE_8BPP, 7, 3, 768, false, true, false},
                      FormCase{"EightBitNoPalette", IMAGE_8BPP, 5, 2, 0, true, false, false},
                      FormCase{"TrueColour", IMAGE_24BPP, 5, 3, 0, true, false, false},
                      FormCase{"TrueColourRowByRow", IMAGE_24BPP, 5, 3, 0, false, false, true},
                      FormCase{"OneBitOneRow", IMAGE_1BPP, 1, 1, 6, false, false, false},
                      FormCase{"NoRows", IMAGE_1BPP, 8, 0, 6, false, false, false}),
    [](const auto& info) { return std::string(info.param.name); });

// A 24-bit image on a device without colour becomes 8-bit grey levels.
struct GreyCase {
  const char* name;
  DWORD machineColor;
  DWORD color;
  DWORD printMethod;
  DWORD flags;
  bool grey;
};

class ImageGreyTest : public ImageRecordTest, public ::testing::WithParamInterface<GreyCase> {};

TEST_P(ImageGreyTest, ConvertsOnlyWhereItShould) {
  const GreyCase& c = GetParam();
  device_->machineColorType = c.machineColor;
  device_->color = c.color;
  device_->printMethod = c.printMethod;
  const DWORD ppr = 5, rows = 2, rowLength = 16;  // 15 bytes of pixels, 1 padding
  const auto src = Source(rowLength, rows);
  ASSERT_NE(EmitImage(&records(), 0, 0, 5, 2, 0, 0, ppr, rows, c.flags, src.data(), nullptr, FALSE), nullptr);
  const auto recs = Written();
  ASSERT_EQ(recs.size(), 1u);
  const auto& r = recs[0];
  if (!c.grey) {
    EXPECT_EQ(r.size(), 56u + 2 * rowLength);
    EXPECT_EQ(r[2], static_cast<BYTE>(c.flags | IMAGE_NO_PALETTE));
    return;
  }
  ASSERT_EQ(r.size(), 56u + 2 * 8);
  EXPECT_EQ(r[2], 0x32);
  EXPECT_EQ(Get32(r, 4), 72u);
  for (DWORD row = 0; row < rows; ++row) {
    for (DWORD i = 0; i < ppr; ++i) {
      const BYTE* px = &src[row * rowLength + i * 3];
      EXPECT_EQ(r[56 + row * 8 + i], static_cast<BYTE>((px[2] * 306 + px[1] * 601 + px[0] * 117) >> 10))
          << row << "," << i;
    }
    for (DWORD i = ppr; i < 8; ++i) EXPECT_EQ(r[56 + row * 8 + i], 0) << row << "," << i;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Devices, ImageGreyTest,
    ::testing::Values(GreyCase{"MonochromeMachine", 0, 2, 0, IMAGE_24BPP, true},
                      GreyCase{"MonochromeMachineNoPaletteFlag", 0, 2, 0, IMAGE_24BPP | IMAGE_NO_PALETTE, true},
                      GreyCase{"ColourMachineMonochromeJob", 1, 1, 0, IMAGE_24BPP, true},
                      GreyCase{"ColourJob", 1, 2, 0, IMAGE_24BPP, false},
                      GreyCase{"OtherFlagKeepsColour", 0, 1, 0, IMAGE_24BPP | IMAGE_FROM_BLT, false},
                      GreyCase{"SinglePieceKeepsColour", 0, 1, 7, IMAGE_24BPP, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ImageRecordTest, TheRowByRowFormNeverConvertsToGrey) {
  device_->machineColorType = 0;
  const auto src = Source(16, 2);
  ASSERT_NE(EmitImageRows(&records(), 0, 0, 5, 2, 0, 0, 5, 2, IMAGE_24BPP, src.data(), nullptr, FALSE), nullptr);
  const auto recs = Written();
  ASSERT_EQ(recs.size(), 1u);
  EXPECT_EQ(recs[0].size(), 56u + 32);
  EXPECT_EQ(recs[0][2], 0x24);
}

TEST_F(ImageRecordTest, ALargeImageGoesOutInPiecesAcrossFlushes) {
  // 1000 x 1000 at 24 bits: rows of 3000 bytes, pieces of 349 rows; more than the flush
  // threshold, so blocks go out between the pieces.
  const DWORD rowLength = 3000, rows = 1000;
  const auto src = Source(rowLength, rows);
  ASSERT_NE(EmitImage(&records(), 0, 0, 1000, 1000, 0, 0, 1000, rows, IMAGE_24BPP | IMAGE_NO_PALETTE, src.data(),
                      nullptr, FALSE),
            nullptr);
  EXPECT_FALSE(log_.pieces.empty());  // a flush fell between pieces
  const auto recs = Written();
  ASSERT_EQ(recs.size(), 1u);
  ASSERT_EQ(recs[0].size(), 56u + 3000000u);
  EXPECT_EQ(0, std::memcmp(&recs[0][56], src.data(), src.size()));
}

TEST_F(ImageRecordTest, GreyPiecesOfAMillionPixels) {
  device_->machineColorType = 0;
  const DWORD rows = 1000;
  const auto src = Source(3000, rows);
  ASSERT_NE(EmitImage(&records(), 0, 0, 1000, 1000, 0, 0, 1000, rows, IMAGE_24BPP, src.data(), nullptr, FALSE),
            nullptr);
  const auto recs = Written();
  ASSERT_EQ(recs.size(), 1u);
  EXPECT_EQ(recs[0].size(), 56u + 1000000u);
  EXPECT_EQ(recs[0][2], 0x32);
}

TEST_F(ImageRecordTest, BadSizesWriteNothing) {
  const auto src = Source(16, 1);
  const BYTE palette[6] = {};
  EXPECT_EQ(EmitImage(&records(), 0, 0, 1, 1, 0, 0, 0, 1, IMAGE_1BPP, src.data(), palette, FALSE), nullptr);
  EXPECT_EQ(EmitImageRows(&records(), 0, 0, 1, 1, 0, 0, 0, 1, IMAGE_1BPP, src.data(), palette, FALSE), nullptr);
  // A record longer than 32 bits can count.
  EXPECT_EQ(EmitImage(&records(), 0, 0, 1, 1, 0, 0, 0x10000, 0x10000, IMAGE_24BPP, src.data(), nullptr, FALSE),
            nullptr);
  EXPECT_EQ(EmitImageRows(&records(), 0, 0, 1, 1, 0, 0, 0xFFFFFFFFu, 1, IMAGE_24BPP, src.data(), nullptr, FALSE),
            nullptr);
  EXPECT_EQ(EmitImage(&records(), 0, 0, 1, 1, 0, 0, 8, 1, IMAGE_8BPP, nullptr, nullptr, FALSE), nullptr);
  EXPECT_EQ(records().bytesBuffered, 0u);
  EXPECT_TRUE(Written().empty());
}

TEST_F(ImageRecordTest, AFailedFlushBetweenPiecesFailsTheImageAndTheOutput) {
  // More than the flush threshold is buffered, so the row piece that needs a new chunk
  // flushes first; the output refuses it.
  for (int i = 0; i < 105; ++i) ASSERT_NE(Record(10000, 0), nullptr);
  ASSERT_GT(records().bytesBuffered, kFlushThreshold);
  log_.refuseAt = 0;
  const auto src = Source(1000, 3);
  EXPECT_EQ(EmitImage(&records(), 0, 0, 1, 3, 0, 0, 1000, 3, IMAGE_8BPP | IMAGE_NO_PALETTE, src.data(), nullptr,
                      FALSE),
            nullptr);
  EXPECT_TRUE(OwnerOutputFailed(device_));
}

}  // namespace
}  // namespace rendara::test
