// Glyph bitmap compression (the fixed examples, expansion back to the engine's rows, the
// raw fallback) and the per-page glyph cache.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "buffer_fixture.h"
#include "glyph_cache.h"
#include "glyph_compress.h"

namespace rendara::test {
namespace {

std::vector<BYTE> Compress(const std::vector<BYTE>& in, DWORD capacity) {
  std::vector<BYTE> out(capacity + 8, 0xEE);
  const DWORD n = CompressGlyph(in.data(), static_cast<DWORD>(in.size()), out.data(), capacity);
  out.resize(n);
  return out;
}

std::vector<BYTE> Repeat(std::size_t n, BYTE b) { return std::vector<BYTE>(n, b); }
std::vector<BYTE> Cat(std::initializer_list<std::vector<BYTE>> parts) {
  std::vector<BYTE> out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

TEST(GlyphCompress, CodesOfKnownInputs) {
  struct Case {
    const char* name;
    std::vector<BYTE> in;
    std::vector<BYTE> codes;
  } cases[] = {
      {"run, literal, dropped zero", {0, 0, 0xFF, 0xFF, 0xFF, 0x12, 0x34, 0}, {0x91, 0xFF, 0x01, 0x12, 0x34}},
      {"twenty zeros", Cat({Repeat(20, 0), {0x55}}), {0x78, 5, 0x55}},
      {"ten equal bytes", Repeat(10, 0xAA), {0x87, 1, 0xAA}},
      {"exactly 15 zeros", Cat({Repeat(15, 0), {0x01}}), {0x78, 0, 0x01}},
      {"270 zeros: two extension bytes", Cat({Repeat(270, 0), {0x01}}), {0x78, 255, 0, 0x01}},
      {"long literal count", {1, 2, 3, 4, 5, 6, 7, 8, 9}, {0x07, 1, 1, 2, 3, 4, 5, 6, 7, 8, 9}},
      {"literal stops before four equal", {1, 2, 2, 2, 2}, {0x00, 1, 0x82, 2}},
      {"literal stops before three equal and a zero", {1, 3, 3, 3, 0, 5}, {0x00, 1, 0x81, 3, 0x08, 5}},
      {"two equal stay literal", {7, 7, 0, 9}, {0x01, 7, 7, 0x08, 9}},
      {"a run of exactly three", {4, 4, 4}, {0x81, 4}},
      {"both extensions", Cat({Repeat(16, 0), Repeat(12, 0xC3)}), {0xFF, 1, 3, 0xC3}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Compress(c.in, 64), c.codes);
    std::vector<BYTE> back(c.in.size(), 0xEE);
    ASSERT_TRUE(ExpandGlyph(c.codes.data(), static_cast<DWORD>(c.codes.size()), back.data(),
                            static_cast<DWORD>(back.size())));
    EXPECT_EQ(back, c.in);
  }
}

TEST(GlyphCompress, AllZerosAndTooSmallCapacityGiveZero) {
  EXPECT_EQ(CompressGlyph(Repeat(32, 0).data(), 32, std::vector<BYTE>(32).data(), 32), 0u);
  // Incompressible bytes need more than their own length: the result is 0, nothing past
  // the capacity is written.
  std::vector<BYTE> in = {1, 2, 3, 4, 5, 6, 7, 8};
  std::vector<BYTE> out(16, 0xEE);
  EXPECT_EQ(CompressGlyph(in.data(), 8, out.data(), 8), 0u);
  for (std::size_t i = 8; i < out.size(); ++i) EXPECT_EQ(out[i], 0xEE) << i;
}

TEST(GlyphCompress, RandomBitmapsExpandBackExactly) {
  std::mt19937 random(7);
  for (int round = 0; round < 300; ++round) {
    const std::size_t n = 1 + random() % 400;
    std::vector<BYTE> in(n);
    // Sparse rows with runs, as glyph bitmaps are.
    for (auto& b : in) {
      const unsigned r = random() % 10;
      b = r < 5 ? 0 : r < 7 ? 0xFF : static_cast<BYTE>(random());
    }
    std::vector<BYTE> codes(n, 0);
    const DWORD c = CompressGlyph(in.data(), static_cast<DWORD>(n), codes.data(), static_cast<DWORD>(n));
    if (c == 0) continue;
    ASSERT_LE(c, n);
    std::vector<BYTE> back(n, 0xEE);
    ASSERT_TRUE(ExpandGlyph(codes.data(), c, back.data(), static_cast<DWORD>(n)));
    ASSERT_EQ(back, in) << "round " << round;
  }
}

TEST(GlyphCompress, DamagedCodesAreRefused) {
  BYTE out[8];
  const BYTE cut[] = {0x87};            // a run without its extension and value
  const BYTE tooLong[] = {0x87, 5, 1};  // 14 bytes into 8
  const BYTE literalCut[] = {0x03, 1};  // four literal bytes promised, one given
  EXPECT_FALSE(ExpandGlyph(cut, sizeof cut, out, sizeof out));
  EXPECT_FALSE(ExpandGlyph(tooLong, sizeof tooLong, out, sizeof out));
  EXPECT_FALSE(ExpandGlyph(literalCut, sizeof literalCut, out, sizeof out));
}

class GlyphCacheTest : public BufferTest {};

TEST_F(GlyphCacheTest, FindAddAndClearAcrossPages) {
  const DWORD font = 0x1234;
  WORD generation = device_->glyphs.generation;
  const DWORD bucket = GlyphBucket(font, generation, u'A');
  EXPECT_EQ(bucket, (font + generation + u'A') & 0x3FF);
  EXPECT_FALSE(FindGlyph(device_, bucket, font, generation, u'A', 2));
  ASSERT_TRUE(AddGlyph(device_, bucket, font, generation, u'A', 2));
  EXPECT_TRUE(FindGlyph(device_, bucket, font, generation, u'A', 2));
  // Each key field counts.
  EXPECT_FALSE(FindGlyph(device_, bucket, font, generation, u'A', 3));
  EXPECT_FALSE(FindGlyph(device_, bucket, font + 1, generation, u'A', 2));
  // Entries sharing a bucket chain.
  const DWORD other = font + 0x400;
  ASSERT_EQ(GlyphBucket(other, generation, u'A'), bucket);
  ASSERT_TRUE(AddGlyph(device_, bucket, other, generation, u'A', 2));
  EXPECT_TRUE(FindGlyph(device_, bucket, other, generation, u'A', 2));
  EXPECT_TRUE(FindGlyph(device_, bucket, font, generation, u'A', 2));
  EXPECT_EQ(GlyphCacheSize(device_), 2u);
  // Out-of-range buckets.
  EXPECT_FALSE(AddGlyph(device_, kGlyphBuckets, font, generation, u'A', 2));
  EXPECT_FALSE(FindGlyph(device_, kGlyphBuckets, font, generation, u'A', 2));

  const std::size_t blocks = DeviceBlockCount(heap_);
  ASSERT_TRUE(ClearGlyphCache(device_));
  EXPECT_EQ(DeviceBlockCount(heap_), blocks - 2);
  EXPECT_EQ(GlyphCacheSize(device_), 0u);
  EXPECT_EQ(device_->glyphs.generation, static_cast<WORD>(generation + 1));
  generation = device_->glyphs.generation;
  EXPECT_FALSE(FindGlyph(device_, GlyphBucket(font, generation, u'A'), font, generation, u'A', 2));
}

TEST_F(GlyphCacheTest, GenerationWrapsAround) {
  device_->glyphs.generation = 0xFFFF;
  ASSERT_TRUE(ClearGlyphCache(device_));
  EXPECT_EQ(device_->glyphs.generation, 0u);
}

}  // namespace
}  // namespace rendara::test
