// Bit-block transfers: the fill path (brush, colour, background mode, raster operation,
// fill rectangle or span lists), the image path's state records and mask steps, the copy
// path, the 24-bit window image, identity grey and the image palette.
#include <cstring>
#include <memory>
#include <vector>

#include "bitblt.h"
#include "buffer_fixture.h"
#include "clip_records.h"
#include "ddi.h"
#include "drawing_records.h"
#include "image_records.h"
#include "image_transfer.h"
#include "plat/gdi_objects.h"
#include "plat/system.h"
#include "record_walk.h"
#include "win/errors.h"

namespace rendara::test {
namespace {

class BltTest : public BufferTest {
 protected:
  void SetUp() override {
    BufferTest::SetUp();
    ASSERT_TRUE(CreateClipCache(device_));
    target_.dhpdev = reinterpret_cast<DHPDEV>(device_);
    target_.iType = STYPE_DEVICE;
  }
  // The records written since the last call, each whole.
  std::vector<std::vector<BYTE>> Written() {
    EXPECT_TRUE(FlushRecords(&records()));
    std::vector<BYTE> s;
    for (const auto& b : ParseBlocks(log_.Bytes())) s.insert(s.end(), b.payload.begin(), b.payload.end());
    log_.pieces.clear();
    std::vector<std::vector<BYTE>> out;
    std::size_t at = 0;
    while (at < s.size()) {
      std::size_t len = 4;
      switch (s[at]) {
        case 0x30: len = s[at + 1]; break;
        case 0x40: len = ((s[at + 4] | s[at + 5] << 8) + 9) & ~3u; break;
        case 0x10: case 0x13: case 0x20: len = U32(s, at + 4); break;
      }
      if (len == 0 || at + len > s.size()) {
        ADD_FAILURE() << "bad record at " << at;
        break;
      }
      out.emplace_back(s.begin() + at, s.begin() + at + len);
      at += len;
    }
    return out;
  }
  static std::vector<BYTE> Ops(const std::vector<std::vector<BYTE>>& records) {
    std::vector<BYTE> ops;
    for (const auto& r : records) ops.push_back(r[0]);
    return ops;
  }
  static const std::vector<BYTE>* Find(const std::vector<std::vector<BYTE>>& records, BYTE op) {
    for (const auto& r : records)
      if (r[0] == op) return &r;
    return nullptr;
  }
  SURFOBJ target_{};
  RECTL rect_{10, 20, 110, 70};
};

struct Bitmap {
  Bitmap(LONG w, LONG h, ULONG format) {
    handle = reinterpret_cast<HSURF>(EngCreateBitmap(SIZEL{w, h}, 0, format, BMF_TOPDOWN, nullptr));
    so = EngLockSurface(handle);
  }
  ~Bitmap() {
    EngUnlockSurface(so);
    EngDeleteSurface(handle);
  }
  BYTE* Row(LONG y) { return static_cast<BYTE*>(so->pvScan0) + static_cast<std::ptrdiff_t>(y) * so->lDelta; }
  HSURF handle;
  SURFOBJ* so;
};

TEST_F(BltTest, FillPathRecordsByRasterCode) {
  struct Case {
    ROP4 rop;
    ULONG brushColour;  // 0xFFFFFFFF: no brush
    BYTE rop8;
    DWORD foreground;   // in record order (bytes exchanged)
  } cases[] = {
      {0x0000, 0x123456, 0xFF, 0x000000},  // blackness ignores the brush
      {0xFFFF, 0x123456, 0x00, 0xFFFFFF},  // whiteness
      {0x5555, 0xFFFFFFFF, 0x55, 0xFFFFFF},  // destination invert without a brush
      {0xF0F0, 0x123456, 0xCC, 0x563412},  // pattern copy: mix 13
      {0x5A5A, 0x0000FF, 0x66, 0xFF0000},
  };
  for (const Case& c : cases) {
    InvalidateDrawingState(device_);
    plat::gdi::BrushObject brush(c.brushColour);
    BRUSHOBJ* bo = c.brushColour == 0xFFFFFFFF ? nullptr : brush.get();
    ASSERT_TRUE(DrvBitBlt(&target_, nullptr, nullptr, nullptr, nullptr, &rect_, nullptr, nullptr, bo, nullptr, c.rop));
    const auto recs = Written();
    EXPECT_EQ(Ops(recs), (std::vector<BYTE>{0x40, 0x30, 0x32, 0x31, 0x10})) << std::hex << c.rop;
    ASSERT_EQ(recs.size(), 5u);
    EXPECT_EQ(recs[3][1], c.rop8) << std::hex << c.rop;
    EXPECT_EQ(recs[2][1], BKMODE_OPAQUE);
    EXPECT_EQ(U32(recs[1], 4) & 0xFFFFFF, c.foreground) << std::hex << c.rop;
    const auto& fill = recs[4];
    EXPECT_EQ(fill.size(), kFillRectLength);
    EXPECT_EQ(fill[2], RECT_FILL);
    EXPECT_EQ(U32(fill, 8), 10u);
    EXPECT_EQ(U32(fill, 20), 70u);
  }
}

TEST_F(BltTest, LeaveDestinationAndTheCommonPrologue) {
  EXPECT_TRUE(DrvBitBlt(&target_, nullptr, nullptr, nullptr, nullptr, &rect_, nullptr, nullptr, nullptr, nullptr,
                        0xAAAA));
  device_->hiddenFunc18 = 1;
  EXPECT_TRUE(DrvBitBlt(&target_, nullptr, nullptr, nullptr, nullptr, &rect_, nullptr, nullptr, nullptr, nullptr, 0));
  EXPECT_TRUE(Written().empty());
  device_->hiddenFunc18 = 0;
  device_->jobFlags |= JOB_OUTPUT_FAILED;
  EXPECT_FALSE(DrvBitBlt(&target_, nullptr, nullptr, nullptr, nullptr, &rect_, nullptr, nullptr, nullptr, nullptr, 0));
  device_->jobFlags &= ~JOB_OUTPUT_FAILED;
  SURFOBJ stranger{};
  SetLastError(0);
  EXPECT_FALSE(DrvBitBlt(&stranger, nullptr, nullptr, nullptr, nullptr, &rect_, nullptr, nullptr, nullptr, nullptr, 0));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_TRUE(Written().empty());
}

TEST_F(BltTest, PatternBrushThatCannotBeHadFailsTheFill) {
  BRUSHOBJ unrealized{0xFFFFFFFFu, nullptr, 0};
  EXPECT_FALSE(DrvBitBlt(&target_, nullptr, nullptr, nullptr, nullptr, &rect_, nullptr, nullptr, &unrealized, nullptr,
                         0xF0F0));
}

TEST_F(BltTest, ComplexClipTooComplexForAPathGoesAsSpans) {
  std::vector<RECTL> rows;
  for (LONG y = 0; y < 2100; ++y) rows.push_back(RECTL{5, y, 9, y + 1});
  auto clip = plat::gdi::ClipObject::Region(rows, 7);
  device_->hidden2Func11 = 1;
  plat::gdi::BrushObject brush(0);
  RECTL target{0, 0, 100, 2100};
  ASSERT_TRUE(DrvBitBlt(&target_, nullptr, nullptr, clip->get(), nullptr, &target, nullptr, nullptr, brush.get(),
                        nullptr, 0xF0F0));
  const auto recs = Written();
  EXPECT_EQ(Ops(recs), (std::vector<BYTE>{0x40, 0x30, 0x32, 0x31, 0x13, 0x13}));
  ASSERT_EQ(recs.size(), 6u);
  EXPECT_EQ(recs[4][2], SPANS_FIRST);
  EXPECT_EQ(recs[4].size(), SpanRecordLength(2000 * 6));
  EXPECT_EQ(recs[5][2], SPANS_CONTINUED | SPANS_LAST);
  EXPECT_EQ(recs[5].size(), SpanRecordLength(100 * 6));
}

TEST_F(BltTest, WriteSpansEntriesFlagsAndLimits) {
  // Two rectangles, one given with its bounds swapped.
  auto clip = plat::gdi::ClipObject::Region({RECTL{1, 2, 4, 4}, RECTL{20, 9, 10, 8}});
  RECTL target{0, 0, 40, 40};
  ASSERT_TRUE(WriteSpans(&records(), clip->get(), &target));
  auto recs = Written();
  ASSERT_EQ(recs.size(), 1u);
  const auto& r = recs[0];
  EXPECT_EQ(r[2], SPANS_FIRST | SPANS_LAST);
  ASSERT_EQ(r.size(), SpanRecordLength(3 * 6));
  auto i16 = [&](std::size_t at) { return static_cast<std::int16_t>(r[at] | r[at + 1] << 8); };
  std::vector<std::int16_t> entries;
  for (std::size_t at = kSpanHeaderLength; at < kSpanHeaderLength + 18; at += 2) entries.push_back(i16(at));
  // The engine's order of rectangles is any; both rows of the first, one of the second.
  std::vector<std::vector<std::int16_t>> spans{{entries[0], entries[1], entries[2]},
                                                {entries[3], entries[4], entries[5]},
                                                {entries[6], entries[7], entries[8]}};
  std::sort(spans.begin(), spans.end());
  EXPECT_EQ(spans, (std::vector<std::vector<std::int16_t>>{{2, 1, 3}, {3, 1, 3}, {8, 10, 19}}));

  // A target beyond 16 bits makes 12-byte entries.
  auto far = plat::gdi::ClipObject::Region({RECTL{40000, 1, 40002, 2}});
  RECTL wide{0, 0, 40010, 10};
  ASSERT_TRUE(WriteSpans(&records(), far->get(), &wide));
  recs = Written();
  ASSERT_EQ(recs.size(), 1u);
  EXPECT_EQ(recs[0][2], SPANS_FIRST | SPANS_LAST | SPANS_WIDE);
  EXPECT_EQ(U32(recs[0], kSpanHeaderLength + 4), 40000u);
  EXPECT_EQ(U32(recs[0], kSpanHeaderLength + 8), 40001u);

  // Exactly 2000 spans stay one record.
  std::vector<RECTL> many;
  for (LONG y = 0; y < 2000; ++y) many.push_back(RECTL{0, y, 1, y + 1});
  auto full = plat::gdi::ClipObject::Region(many);
  ASSERT_TRUE(WriteSpans(&records(), full->get(), &target));
  recs = Written();
  ASSERT_EQ(recs.size(), 1u);
  EXPECT_EQ(recs[0][2], SPANS_FIRST | SPANS_LAST);

  // No spans: nothing written, and a failure.
  auto empty = plat::gdi::ClipObject::Region({});
  EXPECT_FALSE(WriteSpans(&records(), empty->get(), &target));
  EXPECT_TRUE(Written().empty());
}

// A list whose later record cannot be had is taken out whole: no first record without its
// last stays in the stream.
TEST_F(BltTest, SpanListThatFailsMidwayLeavesNothing) {
  // 3500 spans: a record of 2000 (in a chunk of two chunk sizes) and one of 1500 (which
  // needs a chunk of one size, whose allocation fails).
  std::vector<RECTL> many;
  for (LONG y = 0; y < 3500; ++y) many.push_back(RECTL{0, y, 1, y + 1});
  auto clip = plat::gdi::ClipObject::Region(many);
  RECTL target{0, 0, 40, 4000};
  ASSERT_LT(SpanRecordLength(2000 * 6), 2 * kChunkDataBytes);
  ASSERT_GT(SpanRecordLength(1500 * 6), 2 * kChunkDataBytes - SpanRecordLength(2000 * 6));
  ASSERT_LT(SpanRecordLength(1500 * 6), kChunkDataBytes);
  plat::FailAllocationsOfSize(alignof(std::max_align_t) + sizeof(RecordChunk) + kChunkDataBytes);
  const BOOL written = WriteSpans(&records(), clip->get(), &target);
  plat::FailAllocationsOfSize(0);
  EXPECT_FALSE(written);
  EXPECT_EQ(records().bytesBuffered, 0u);
  EXPECT_FALSE(OwnerOutputFailed(device_));
  EXPECT_TRUE(Written().empty());
}

TEST_F(BltTest, ImagePathSendsTheCallsState) {
  Bitmap src(100, 50, BMF_24BPP);
  POINTL at{0, 0};
  ASSERT_TRUE(DrvBitBlt(&target_, src.so, nullptr, nullptr, nullptr, &rect_, &at, nullptr, nullptr, nullptr, 0xCCCC));
  auto recs = Written();
  ASSERT_GE(recs.size(), 3u);
  EXPECT_EQ(recs[0][0], 0x32);
  EXPECT_EQ(recs[0][1], BKMODE_OPAQUE);
  EXPECT_EQ(recs[1][0], 0x31);
  EXPECT_EQ(recs[1][1], 0xCC);
  EXPECT_EQ(recs[2][0], 0x30);
  EXPECT_EQ(U32(recs[2], 4) & 0xFFFFFF, 0xFFFFFFu);  // white without a brush

  // Leaving the destination where the mask is clear makes the background transparent.
  InvalidateDrawingState(device_);
  ASSERT_TRUE(DrvBitBlt(&target_, src.so, nullptr, nullptr, nullptr, &rect_, &at, nullptr, nullptr, nullptr, 0xAACC));
  recs = Written();
  ASSERT_GE(recs.size(), 2u);
  EXPECT_EQ(recs[0][1], BKMODE_TRANSPARENT);
  EXPECT_EQ(recs[1][1], 0xCC);
  // 0xCCAA without a mask is sent as a plain copy.
  InvalidateDrawingState(device_);
  ASSERT_TRUE(DrvBitBlt(&target_, src.so, nullptr, nullptr, nullptr, &rect_, &at, nullptr, nullptr, nullptr, 0xCCAA));
  recs = Written();
  ASSERT_GE(recs.size(), 2u);
  EXPECT_EQ(recs[0][1], BKMODE_OPAQUE);
  EXPECT_EQ(recs[1][1], 0xCC);
}

TEST_F(BltTest, MaskedTransferWritesTheMaskRopsAroundTheImage) {
  Bitmap src(100, 50, BMF_24BPP);
  Bitmap mask(100, 50, BMF_1BPP);
  POINTL at{0, 0};
  ASSERT_TRUE(DrvBitBlt(&target_, src.so, mask.so, nullptr, nullptr, &rect_, &at, &at, nullptr, nullptr, 0xCCAA));
  const auto recs = Written();
  std::vector<BYTE> rops;
  for (const auto& r : recs)
    if (r[0] == 0x31) rops.push_back(r[1]);
  EXPECT_EQ(rops, (std::vector<BYTE>{0xAA, 0xEE, 0x88}));
}

TEST_F(BltTest, CopyBits) {
  // From a device surface: the target is erased, nothing is written.
  SURFOBJ device{};
  device.iType = STYPE_DEVICE;
  Bitmap page(50, 50, BMF_24BPP);
  std::memset(page.Row(0), 0, 150);
  RECTL small{0, 0, 2, 1};
  EXPECT_TRUE(DrvCopyBits(page.so, &device, nullptr, nullptr, &small, nullptr));
  EXPECT_EQ(page.Row(0)[0], 0xFF);
  EXPECT_EQ(page.Row(0)[6], 0x00);
  EXPECT_TRUE(Written().empty());
  // A target that is not the device surface.
  Bitmap src(4, 3, BMF_24BPP);
  EXPECT_FALSE(DrvCopyBits(page.so, src.so, nullptr, nullptr, &small, nullptr));

  // A 24-bit window of a larger source goes out as one image record.
  for (LONG y = 0; y < 3; ++y)
    for (LONG i = 0; i < 12; ++i) src.Row(y)[i] = static_cast<BYTE>(16 * y + i);
  RECTL window{10, 20, 12, 22};
  POINTL from{1, 1};
  ASSERT_TRUE(DrvCopyBits(&target_, src.so, nullptr, nullptr, &window, &from));
  const auto recs = Written();
  ASSERT_EQ(Ops(recs), (std::vector<BYTE>{0x31, 0x20}));
  const auto& image = recs[1];
  ASSERT_EQ(image.size(), 56u + 2 * 8);
  EXPECT_EQ(image[1], 0x00);
  EXPECT_EQ(image[2], 0x24);
  EXPECT_EQ(image[3], 0x00);
  EXPECT_EQ(U32(image, 4), 72u);
  const DWORD header[] = {10, 20, 12, 22, 0, 0, 2, 2, 10, 20, 2, 2};
  for (int i = 0; i < 12; ++i) EXPECT_EQ(U32(image, 8 + 4 * i), header[i]) << i;
  const BYTE row0[] = {19, 20, 21, 22, 23, 24, 0, 0};
  const BYTE row1[] = {35, 36, 37, 38, 39, 40, 0, 0};
  EXPECT_EQ(0, std::memcmp(&image[56], row0, 8));
  EXPECT_EQ(0, std::memcmp(&image[64], row1, 8));
}

TEST_F(BltTest, StretchSendsACopyAndTheMaskSteps) {
  Bitmap src(20, 10, BMF_24BPP);
  Bitmap mask(20, 10, BMF_1BPP);
  RECTL from{0, 0, 20, 10};
  ASSERT_TRUE(DrvStretchBlt(&target_, src.so, nullptr, nullptr, nullptr, nullptr, nullptr, &rect_, &from, nullptr,
                            COLORONCOLOR));
  EXPECT_EQ(Ops(Written()), (std::vector<BYTE>{0x31, 0x20}));
  // A transparent stretch: the mask goes first, ORed, then the image is ANDed.
  ASSERT_TRUE(DrvStretchBlt(&target_, src.so, mask.so, nullptr, nullptr, nullptr, nullptr, &rect_, &from, nullptr,
                            COLORONCOLOR));
  std::vector<BYTE> rops;
  for (const auto& r : Written())
    if (r[0] == 0x31) rops.push_back(r[1]);
  EXPECT_EQ(rops, (std::vector<BYTE>{0xEE, 0x88}));
  // A source that is not a bitmap cannot be read.
  SURFOBJ device{};
  device.iType = STYPE_DEVICE;
  EXPECT_FALSE(DrvStretchBlt(&target_, &device, nullptr, nullptr, nullptr, nullptr, nullptr, &rect_, &from, nullptr,
                             COLORONCOLOR));
  EXPECT_FALSE(DrvStretchBltROP(&target_, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &rect_, &from, nullptr,
                                COLORONCOLOR, nullptr, 0xCCCC));
}

TEST_F(BltTest, StretchWithRasterCodeSendsTheBrushState) {
  Bitmap src(20, 10, BMF_24BPP);
  RECTL from{0, 0, 20, 10};
  plat::gdi::BrushObject brush(0x0000FF);
  ASSERT_TRUE(DrvStretchBltROP(&target_, src.so, nullptr, nullptr, nullptr, nullptr, nullptr, &rect_, &from, nullptr,
                               COLORONCOLOR, brush.get(), 0xAAB8));
  const auto recs = Written();
  EXPECT_EQ(Ops(recs), (std::vector<BYTE>{0x32, 0x40, 0x30, 0x31, 0x20}));
  ASSERT_EQ(recs.size(), 5u);
  EXPECT_EQ(recs[0][1], BKMODE_TRANSPARENT);
  EXPECT_EQ(U32(recs[2], 4) & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(recs[2].size(), 8u);  // transparent: no background colour
  EXPECT_EQ(recs[3][1], 0xB8);
}

TEST_F(BltTest, ScaledRowsWriteTheHeaderThenEveryRow) {
  Bitmap src(3, 3, BMF_24BPP);
  for (LONG y = 0; y < 3; ++y)
    for (LONG i = 0; i < 9; ++i) src.Row(y)[i] = static_cast<BYTE>(10 * y + i);
  RECTL target{5, 6, 11, 10};
  RECTL from{1, 1, 3, 3};
  ASSERT_TRUE(ImageScaledRows(device_, src.so, &target, &from, nullptr, nullptr, nullptr, false));
  auto recs = Written();
  ASSERT_EQ(recs.size(), 1u);
  const auto& r = recs[0];
  ASSERT_EQ(r.size(), 56u + 2 * 8);
  EXPECT_EQ(r[2], 0x24);
  const DWORD header[] = {5, 6, 11, 10, 0, 0, 2, 2, 5, 6, 6, 4};
  for (int i = 0; i < 12; ++i) EXPECT_EQ(U32(r, 8 + 4 * i), header[i]) << i;
  const BYTE rows[] = {13, 14, 15, 16, 17, 18, 0, 0, 23, 24, 25, 26, 27, 28, 0, 0};
  EXPECT_EQ(0, std::memcmp(&r[56], rows, sizeof rows));

  // 8 bits with a palette.
  Bitmap grey(4, 1, BMF_8BPP);
  std::vector<ULONG> table(256, 0x112233);
  plat::gdi::XlateObject xlate(table);
  RECTL one{0, 0, 4, 1};
  ASSERT_TRUE(ImageScaledRows(device_, grey.so, &one, &one, xlate.get(), nullptr, nullptr, false));
  recs = Written();
  ASSERT_EQ(recs.size(), 1u);
  EXPECT_EQ(recs[0][2], 0x02);
  EXPECT_EQ(recs[0].size(), 56u + 768 + 4);
  EXPECT_EQ(recs[0][56], 0x33);
  ASSERT_TRUE(ImageScaledRows(device_, grey.so, &one, &one, xlate.get(), nullptr, nullptr, true));
  recs = Written();
  ASSERT_EQ(recs.size(), 1u);
  EXPECT_EQ(recs[0][2], 0x22);
  EXPECT_EQ(recs[0].size(), 56u + 4);

  // Other formats are refused.
  Bitmap mono(8, 1, BMF_1BPP);
  RECTL eight{0, 0, 8, 1};
  EXPECT_FALSE(ImageScaledRows(device_, mono.so, &eight, &eight, nullptr, nullptr, nullptr, false));
}

TEST_F(BltTest, ScaledRowsHalveAReducedTrueColourImage) {
  Bitmap src(8, 4, BMF_32BPP);
  for (LONG y = 0; y < 4; ++y)
    for (LONG x = 0; x < 8; ++x) {
      BYTE* p = src.Row(y) + 4 * x;
      p[0] = static_cast<BYTE>(x);
      p[1] = static_cast<BYTE>(y);
      p[2] = 0x40;
      p[3] = 0;
    }
  RECTL target{0, 0, 4, 2};
  RECTL from{0, 0, 8, 4};
  ASSERT_TRUE(ImageScaledRows(device_, src.so, &target, &from, nullptr, nullptr, nullptr, false));
  const auto recs = Written();
  ASSERT_EQ(recs.size(), 1u);
  const auto& r = recs[0];
  EXPECT_EQ(r[1], 0x02);
  EXPECT_EQ(r[2], 0x24);
  EXPECT_EQ(U32(r, 32), 4u);
  EXPECT_EQ(U32(r, 36), 2u);
  ASSERT_EQ(r.size(), 56u + 2 * 12);
  // Every other pixel of every other row.
  const BYTE row1[] = {0, 2, 0x40, 2, 2, 0x40, 4, 2, 0x40, 6, 2, 0x40};
  EXPECT_EQ(0, std::memcmp(&r[56 + 12], row1, 12));
  // Halving a single row leaves nothing.
  Bitmap thin(8, 1, BMF_32BPP);
  RECTL flat{0, 0, 8, 1};
  RECTL small{0, 0, 4, 0};
  EXPECT_FALSE(ImageScaledRows(device_, thin.so, &small, &flat, nullptr, nullptr, nullptr, false));
}

// A row that cannot be had takes the whole image out: no header promising rows that never
// follow stays in the stream.
TEST_F(BltTest, ScaledRowsThatFailMidwayLeaveNoPartOfTheImage) {
  Bitmap src(3000, 2, BMF_24BPP);
  RECTL all{0, 0, 3000, 2};
  // The first chunk keeps room for the image header only; the first row needs a new chunk,
  // whose allocation fails.
  ASSERT_NE(Record(kChunkDataBytes - kImageRecordHeaderLength - 8, 0x30), nullptr);
  const DWORD before = records().bytesBuffered;
  plat::FailAllocationsOfSize(alignof(std::max_align_t) + sizeof(RecordChunk) + kChunkDataBytes);
  const BOOL drawn = ImageScaledRows(device_, src.so, &all, &all, nullptr, nullptr, nullptr, false);
  plat::FailAllocationsOfSize(0);
  EXPECT_FALSE(drawn);
  EXPECT_EQ(records().bytesBuffered, before);
  EXPECT_FALSE(OwnerOutputFailed(device_));
  // The buffer goes on from where it stood.
  ASSERT_TRUE(ImageScaledRows(device_, src.so, &all, &all, nullptr, nullptr, nullptr, false));
  EXPECT_EQ(records().bytesBuffered, before + kImageRecordHeaderLength + 2 * 9000);
}

// Colours the host matched stay marked so when the source had to be converted first.
TEST_F(BltTest, HostMatchedFlagSurvivesAConvertedSource) {
  for (ULONG format : {ULONG{BMF_24BPP}, ULONG{BMF_32BPP}}) {
    SCOPED_TRACE(format);
    Bitmap src(4, 2, format);
    plat::gdi::XlateObject xlate(std::vector<ULONG>{});
    xlate.get()->flXlate |= XO_HOST_ICM;
    POINTL from{0, 0};
    RECTL target{0, 0, 4, 2};
    ASSERT_TRUE(ImageCopy(device_, xlate.get(), src.so, &from, &target));
    const auto recs = Written();
    ASSERT_EQ(recs.size(), 1u);
    EXPECT_EQ(recs[0][0], 0x20);
    EXPECT_EQ(recs[0][3] & 0x08, 0x08);  // flag 0x800 in the byte of bits 8-15
  }
}

TEST(ImagePalettes, IdentityGreyAndPaletteBytes) {
  plat::gdi::XlateObject blackWhite({0x000000, 0xFFFFFF});
  plat::gdi::XlateObject almost({0x000000, 0xFEFFFF});
  plat::gdi::XlateObject reversed({0xFFFFFF, 0x000000});
  EXPECT_TRUE(IsIdentityGrey(BMF_1BPP, blackWhite.get()));
  EXPECT_FALSE(IsIdentityGrey(BMF_1BPP, almost.get()));
  EXPECT_FALSE(IsIdentityGrey(BMF_1BPP, reversed.get()));
  EXPECT_FALSE(IsIdentityGrey(BMF_4BPP, blackWhite.get()));  // entry count must match
  std::vector<ULONG> greys16, greys256;
  for (ULONG i = 0; i < 16; ++i) greys16.push_back(i * 255 / 15 * 0x010101u);
  for (ULONG i = 0; i < 256; ++i) greys256.push_back(i * 0x010101u);
  plat::gdi::XlateObject g16(greys16), g256(greys256);
  EXPECT_TRUE(IsIdentityGrey(BMF_4BPP, g16.get()));
  EXPECT_TRUE(IsIdentityGrey(BMF_8BPP, g256.get()));
  EXPECT_FALSE(IsIdentityGrey(BMF_24BPP, g256.get()));

  BYTE palette[768] = {};
  EXPECT_EQ(ImagePalette(BMF_1BPP, blackWhite.get(), palette), 0u);
  ASSERT_EQ(ImagePalette(BMF_1BPP, reversed.get(), palette), 6u);
  const BYTE expect[] = {0xFF, 0xFF, 0xFF, 0, 0, 0};
  EXPECT_EQ(0, std::memcmp(palette, expect, 6));
  plat::gdi::XlateObject colours({0x112233, 0x445566});
  ASSERT_EQ(ImagePalette(BMF_1BPP, colours.get(), palette), 6u);
  const BYTE lowFirst[] = {0x33, 0x22, 0x11, 0x66, 0x55, 0x44};
  EXPECT_EQ(0, std::memcmp(palette, lowFirst, 6));
  EXPECT_EQ(ImagePalette(BMF_24BPP, colours.get(), palette), 0u);
  EXPECT_EQ(ImagePalette(BMF_1BPP, nullptr, palette), 0u);
}

TEST(ImageFormats, FormatNibbleAndConversion) {
  struct Case {
    ULONG format;
    DWORD nibble;
    ULONG work;
    bool convert;
  } cases[] = {{BMF_1BPP, 0, BMF_1BPP, false},  {BMF_4BPP, 1, BMF_4BPP, false},   {BMF_8BPP, 2, BMF_8BPP, false},
               {BMF_24BPP, 4, BMF_24BPP, false}, {BMF_16BPP, 4, BMF_24BPP, true},  {BMF_32BPP, 4, BMF_24BPP, true},
               {BMF_8RLE, 4, BMF_24BPP, true}};
  for (const Case& c : cases) {
    const ImageFormat f = ImageFormatOf(c.format);
    EXPECT_EQ(f.nibble, c.nibble) << c.format;
    EXPECT_EQ(f.workFormat, c.work) << c.format;
    EXPECT_EQ(f.convert, c.convert) << c.format;
  }
}

TEST_F(BltTest, WorkSurfaceRowsAreTopDownAndPadded) {
  struct Case {
    LONG width;
    ULONG format;
    LONG stride;
  } cases[] = {{1, BMF_1BPP, 4}, {33, BMF_1BPP, 8}, {3, BMF_4BPP, 4}, {5, BMF_8BPP, 8}, {5, BMF_24BPP, 16},
               {3, BMF_32BPP, 12}};
  for (const Case& c : cases) {
    WorkSurface work;
    ASSERT_TRUE(CreateWorkSurface(device_, c.width, 2, c.format, &work));
    EXPECT_EQ(work.surface->lDelta, c.stride) << c.width << " " << c.format;
    EXPECT_TRUE(work.surface->fjBitmap & BMF_TOPDOWN);
    DeleteWorkSurface(&work);
    EXPECT_EQ(work.surface, nullptr);
  }
  WorkSurface none;
  EXPECT_FALSE(CreateWorkSurface(device_, 0, 2, BMF_24BPP, &none));
}

}  // namespace
}  // namespace rendara::test
