// The byte layouts of the state, shape and clip records: opcodes, lengths, field offsets,
// reserved bytes and padding.
#include <array>
#include <cstring>

#include "buffer_fixture.h"
#include "drawing_records.h"

namespace rendara::test {
namespace drawing_records_test {
namespace {

static_assert(ColorRecordLength(1) == 8 && ColorRecordLength(2) == 12 && ColorRecordLength(3) == 16);
static_assert(BrushRecordLength(0) == 8 && BrushRecordLength(128) == 136 && BrushRecordLength(3072) == 3080);
static_assert(SpanRecordLength(6) == 32 && SpanRecordLength(12) == 36);

class RecordTest : public BufferTest {
 protected:
  // The record stream as it leaves the device: every 0xF5 payload joined.
  std::vector<BYTE> Stream() {
    EXPECT_TRUE(FlushRecords(&records()));
    std::vector<BYTE> all;
    for (const auto& b : ParseBlocks(log_.Bytes())) {
      EXPECT_EQ(b.type, kBlockRecords);
      all.insert(all.end(), b.payload.begin(), b.payload.end());
    }
    log_.pieces.clear();
    return all;
  }
  // Fills the tail with garbage first, so that every byte an encoder leaves unwritten shows.
  void Dirty() {
    BYTE* p = AllocRecord(&records(), 4096);
    ASSERT_NE(p, nullptr);
    std::memset(p, 0xAB, 4096);
    SetRecordEnd(&records(), p);
  }
};

std::uint32_t U32(const std::vector<BYTE>& b, std::size_t at) {
  std::uint32_t v;
  std::memcpy(&v, &b[at], 4);
  return v;
}
std::uint16_t U16(const std::vector<BYTE>& b, std::size_t at) {
  std::uint16_t v;
  std::memcpy(&v, &b[at], 2);
  return v;
}

struct ColorCase {
  const char* name;
  WORD backgroundMode;
  WORD thirdPresent;
  WORD kind;
  DWORD host;
  std::vector<BYTE> bytes;
};

class ColorRecord : public RecordTest, public ::testing::WithParamInterface<ColorCase> {};

TEST_P(ColorRecord, Layout) {
  const ColorCase& c = GetParam();
  Dirty();
  ColorDesc desc{};
  desc.backgroundMode = c.backgroundMode;
  desc.thirdPresent = c.thirdPresent;
  desc.drawingKind = c.kind;
  desc.hostMatched = c.host;
  desc.foregroundColor = 0x00332211;
  desc.backgroundColor = 0x00665544;
  desc.thirdColor = 0x00998877;
  ASSERT_NE(EmitColor(&records(), &desc), nullptr);
  EXPECT_EQ(Stream(), c.bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ColorRecord,
    ::testing::Values(
        ColorCase{"ForegroundOnly", 1, 0, DRAW_FILL_PATH, 0, {0x30, 8, 0x01, 0, 0x11, 0x22, 0x33, 0}},
        ColorCase{"OpaqueBackground", 2, 0, DRAW_BITBLT, 0, {0x30, 12, 0x09, 0, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0, 0}},
        ColorCase{"ThirdWithoutBackground", 1, 1, DRAW_STROKE_AND_FILL, 0,
                  {0x30, 12, 0x11, 0, 0x11, 0x22, 0x33, 0x77, 0x88, 0x99, 0, 0}},
        ColorCase{"AllThreeTextHostMatched", 2, 1, DRAW_TEXT, 1,
                  {0x30, 16, 0xD9, 0, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99, 0, 0, 0}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RecordTest, ShortStateRecords) {
  Dirty();
  ASSERT_NE(EmitRop(&records(), 0xF0), nullptr);
  ASSERT_NE(EmitRop(&records(), 0x66), nullptr);
  ASSERT_NE(EmitPaintMode(&records(), 2), nullptr);
  ASSERT_NE(EmitPenPhase(&records(), 31), nullptr);
  ASSERT_NE(EmitLineCap(&records(), 2), nullptr);
  ASSERT_NE(EmitClipReset(&records()), nullptr);
  EXPECT_EQ(Stream(), (std::vector<BYTE>{0x31, 0xCC, 0, 0, 0x31, 0x66, 0, 0, 0x32, 2, 0, 0, 0x34, 31, 0, 0, 0x35, 2, 0,
                                         0, 0x37, 0, 0, 0}));
}

TEST_F(RecordTest, PenShapeAndJoin) {
  Dirty();
  ASSERT_NE(EmitPenShape(&records(), 0x0203, 0xF0F0AA55u, 7), nullptr);
  ASSERT_NE(EmitLineJoin(&records(), 2, 2560), nullptr);
  EXPECT_EQ(Stream(), (std::vector<BYTE>{0x33, 7, 0x03, 0x02, 0x55, 0xAA, 0xF0, 0xF0, 0x36, 2, 0, 0, 0x00, 0x0A, 0, 0}));
}

// A brush record with its pattern after the record, in one block as the engine keeps it.
struct PatternBrush {
  RealizedBrush brush{};
  std::array<BYTE, 64 * 64 * 3> pattern{};
};

TEST_F(RecordTest, SolidBrushIsEightBytesWithoutData) {
  Dirty();
  RealizedBrush solid{};
  solid.kind = BRUSH_SOLID;
  solid.hostMatched = 1;
  ASSERT_NE(EmitBrush(&records(), &solid), nullptr);
  EXPECT_EQ(Stream(), (std::vector<BYTE>{0x40, 0x40, 0, 1, 0, 0, 0, 0}));
}

struct BrushCase {
  const char* name;
  WORD kind;
  WORD bits;
  WORD side;
  DWORD dataLength;  // 0: refused
  DWORD recordLength;
  BYTE flags;
};

class BrushRecord : public RecordTest, public ::testing::WithParamInterface<BrushCase> {};

TEST_P(BrushRecord, Layout) {
  const BrushCase& c = GetParam();
  Dirty();
  auto block = std::make_unique<PatternBrush>();
  block->brush.kind = c.kind;
  block->brush.bitsPerPixel = c.bits;
  block->brush.side = c.side;
  for (std::size_t i = 0; i < block->pattern.size(); ++i) block->pattern[i] = static_cast<BYTE>(i * 7 + 1);
  static_assert(offsetof(PatternBrush, pattern) == sizeof(RealizedBrush));
  BYTE* r = EmitBrush(&records(), &block->brush);
  if (c.dataLength == 0) {
    EXPECT_EQ(r, nullptr);
    EXPECT_TRUE(Stream().empty());
    return;
  }
  ASSERT_NE(r, nullptr);
  const auto s = Stream();
  ASSERT_EQ(s.size(), c.recordLength);
  EXPECT_EQ(s[0], 0x40);
  EXPECT_EQ(s[1], c.flags);
  EXPECT_EQ(s[2], c.side);
  EXPECT_EQ(s[3], 1);
  EXPECT_EQ(U16(s, 4), c.dataLength);
  EXPECT_TRUE(std::equal(s.begin() + 6, s.begin() + 6 + c.dataLength, block->pattern.begin()));
  for (std::size_t i = 6 + c.dataLength; i < s.size(); ++i) EXPECT_EQ(s[i], 0) << "padding at " << i;
}

INSTANTIATE_TEST_SUITE_P(Cases, BrushRecord,
                         ::testing::Values(BrushCase{"OneBit32", BRUSH_PATTERN_1BPP, 1, 32, 128, 136, 0x80},
                                           BrushCase{"TrueColour32", BRUSH_PATTERN_24BPP, 24, 32, 3072, 3080, 0x81},
                                           BrushCase{"OneBit16", BRUSH_PATTERN_1BPP, 1, 16, 32, 40, 0x80},
                                           BrushCase{"TrueColour64", BRUSH_PATTERN_24BPP, 24, 64, 12288, 12296, 0x81},
                                           BrushCase{"UnknownKind", 1, 1, 32, 0, 0, 0},
                                           BrushCase{"EightBitDepth", BRUSH_PATTERN_24BPP, 8, 32, 0, 0, 0},
                                           BrushCase{"OddSide", BRUSH_PATTERN_1BPP, 1, 8, 0, 0, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(RecordTest, FillAndClipRectangles) {
  Dirty();
  const RECTL a{-1, 2, 300, 400};
  const RECTL b{5, 6, 7, 8};
  ASSERT_NE(EmitFillRect(&records(), &a, &b, RECT_FILL), nullptr);
  ASSERT_NE(EmitClipRect(&records(), &a), nullptr);
  EXPECT_EQ(EmitFillRect(&records(), &a, &b, 2), nullptr);
  const auto s = Stream();
  ASSERT_EQ(s.size(), 64u);
  EXPECT_EQ((std::vector<BYTE>(s.begin(), s.begin() + 8)), (std::vector<BYTE>{0x10, 0, 1, 0, 40, 0, 0, 0}));
  EXPECT_EQ(static_cast<std::int32_t>(U32(s, 8)), -1);
  EXPECT_EQ(U32(s, 20), 400u);
  EXPECT_EQ(U32(s, 24), 5u);
  EXPECT_EQ(U32(s, 36), 8u);
  EXPECT_EQ((std::vector<BYTE>(s.begin() + 40, s.begin() + 48)), (std::vector<BYTE>{0x10, 0, 5, 0, 24, 0, 0, 0}));
  EXPECT_EQ(U32(s, 56), 300u);
}

TEST_F(RecordTest, OneSpanRecordIsPaddedWithZeros) {
  Dirty();
  const RECTL target{0, 0, 100, 100};
  const Span spans[] = {{10, 1, 2}};
  ASSERT_NE(EmitSpanList(&records(), &target, spans, 1, false), nullptr);
  const auto s = Stream();
  ASSERT_EQ(s.size(), 32u);
  EXPECT_EQ(s[0], 0x13);
  EXPECT_EQ(s[2], 0x0A);
  EXPECT_EQ(U32(s, 4), 32u);
  EXPECT_EQ(U32(s, 16), 100u);
  EXPECT_EQ(U16(s, 24), 10);
  EXPECT_EQ(U16(s, 26), 1);
  EXPECT_EQ(U16(s, 28), 2);
  EXPECT_EQ(U16(s, 30), 0);
}

TEST_F(RecordTest, LongSpanListSplitsIntoRecordsOf2000) {
  const RECTL target{0, 0, 10, 10};
  std::vector<Span> spans(4500);
  for (std::size_t i = 0; i < spans.size(); ++i)
    spans[i] = {static_cast<std::int32_t>(i), -static_cast<std::int32_t>(i), 70000};
  ASSERT_NE(EmitSpanList(&records(), &target, spans.data(), 4500, true), nullptr);
  const auto s = Stream();
  const std::size_t full = SpanRecordLength(2000 * 12);
  ASSERT_EQ(s.size(), 2 * full + SpanRecordLength(500 * 12));
  const std::size_t starts[] = {0, full, 2 * full};
  const BYTE flags[] = {0x12, 0x14, 0x1C};
  for (int r = 0; r < 3; ++r) {
    EXPECT_EQ(s[starts[r]], 0x13);
    EXPECT_EQ(s[starts[r] + 2], flags[r]) << "record " << r;
  }
  EXPECT_EQ(U32(s, starts[2] + 4), SpanRecordLength(500 * 12));
  // The first entry of the last record is span 4000.
  EXPECT_EQ(U32(s, starts[2] + 24), 4000u);
  EXPECT_EQ(static_cast<std::int32_t>(U32(s, starts[2] + 28)), -4000);
  EXPECT_EQ(U32(s, starts[2] + 32), 70000u);
}

TEST_F(RecordTest, SpanErrorsWriteNothing) {
  const RECTL target{0, 0, 10, 10};
  const Span wide[] = {{1, 2, 40000}};
  EXPECT_EQ(EmitSpanList(&records(), &target, wide, 1, false), nullptr);
  EXPECT_EQ(EmitSpanList(&records(), &target, wide, 0, true), nullptr);
  const BYTE entries[12] = {};
  EXPECT_EQ(EmitSpans(&records(), 0, SPANS_FIRST | SPANS_LAST, &target, entries), nullptr);
  EXPECT_EQ(EmitSpans(&records(), 7, SPANS_FIRST | SPANS_LAST, &target, entries), nullptr);
  EXPECT_EQ(records().bytesBuffered, 0u);
  ASSERT_NE(EmitSpans(&records(), 12, SPANS_FIRST | SPANS_LAST, &target, entries), nullptr);
  EXPECT_EQ(Stream().size(), 36u);
}

TEST_F(RecordTest, EncodersWithoutRoomWriteNothing) {
  // A failed output makes the threshold flush fail, so no chunk can be had.
  records().bytesBuffered = kFlushThreshold + 1;
  BYTE* filler = AllocRecord(&records(), 0);
  ASSERT_NE(filler, nullptr);  // the tail still has room
  log_.refuseAt = 0;
  records().first.head.position = records().first.head.end - 4;
  EXPECT_EQ(EmitPenShape(&records(), 1, ~0u, 1), nullptr);
  EXPECT_TRUE(OwnerOutputFailed(device_));
}

}  // namespace
}  // namespace drawing_records_test
}  // namespace rendara::test

namespace rendara::test {
namespace drawing_records_test {
namespace {

static_assert(PathSizeWord(4, 0, 0) == 15);
static_assert(PathSizeWord(2, 1, 1) == 3 * 2 + 7 + 3 + 3 + 1);

// One closed subpath of four straight segments, stroked: a 0x12 record with mode 0x08,
// size word 15 and length 28 + 12 + 4 x 12 = 88.
TEST_F(RecordTest, ClosedSquarePathRecord) {
  const DWORD length = kPathHeaderLength + kSubpathHeaderLength + 4 * kLineSegmentLength;
  ASSERT_EQ(length, 88u);
  BYTE* r = AllocRecord(&records(), length);
  ASSERT_NE(r, nullptr);
  std::memset(r, 0xEE, length);
  const std::int32_t body[] = {4, 0, 0, 0, 160, 0, 0, 160, 160, 0, 0, 160, 0, 0, 0};
  std::memcpy(r + kPathHeaderLength, body, sizeof body);
  PutPathHeader(r, false, PATH_STROKE | PATH_CLOSED, length, RECTFX{-17, 0, 160, 175}, PathSizeWord(4, 0, 0));
  const auto s = Stream();
  ASSERT_EQ(s.size(), 88u);
  EXPECT_EQ((std::vector<BYTE>(s.begin(), s.begin() + 8)), (std::vector<BYTE>{0x12, 0, 0x08, 0, 88, 0, 0, 0}));
  EXPECT_EQ(static_cast<std::int32_t>(U32(s, 8)), -2);  // -17 >> 4
  EXPECT_EQ(U32(s, 16), 10u);
  EXPECT_EQ(U32(s, 20), 10u);
  EXPECT_EQ(U32(s, 24), 15u);
  EXPECT_EQ(U32(s, 28), 4u);
}

}  // namespace
}  // namespace drawing_records_test
}  // namespace rendara::test
