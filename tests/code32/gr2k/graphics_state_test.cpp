// The cached drawing state, the mix and raster-operation maps, the brush lookup and the
// clip cache: which records a sequence of calls writes, and which it does not.
#include <cstring>
#include <memory>

#include "buffer_fixture.h"
#include "clip_records.h"
#include "colour_state.h"
#include "drawing_records.h"
#include "graphics_state.h"
#include "plat/gdi_objects.h"
#include "record_walk.h"

namespace rendara::test {
namespace {

// The shared record walker: records written since the last call, their opcodes, and a
// buffer made to fail its next record.
class StateTest : public RecordsTest {};

TEST(RopMaps, MixToRop) {
  const std::pair<ULONG, BYTE> cases[] = {{0, 0xCC},  {1, 0xFF},  {2, 0x11},  {7, 0x66},  {13, 0xCC},
                                          {15, 0xEE}, {16, 0x00}, {17, 0xCC}, {0x0D0D, 0xCC}};
  for (const auto& [mix, rop] : cases) EXPECT_EQ(MixToRop(mix), rop) << "mix " << mix;
}

TEST(RopMaps, RopToMixMapsEachByte) {
  EXPECT_EQ(RopToMix(0xF0) & 0xFF, 13u);
  EXPECT_EQ(MixToRop(RopToMix(0xF0) & 0xFF), 0xCC);
  EXPECT_EQ(RopToMix(0xF0F0), 0x0D0Du);
  EXPECT_EQ(RopToMix(0x5AA5), 0x070Au);
  EXPECT_EQ(RopToMix(0xFF00), 0x1001u);  // high byte 0xFF (mix 16), low byte 0x00 (mix 1)
  EXPECT_EQ(RopToMix(0xCCCC), 0u);       // a code with a source
  EXPECT_EQ(RopToMix(0xAACC), 0x0B00u);
  EXPECT_EQ(RopOfRasterCode(0x00CC0020), 0xCC);
  EXPECT_EQ(RopOfRasterCode(0x00EE0086), 0xEE);
}

TEST(ColourDescription, MixGivesBackgroundModeAndThirdColour) {
  ColorDesc d{};
  MakeColorDesc(nullptr, 0x0B0D, &d, 0);
  EXPECT_EQ(d.foregroundMix, 13);
  EXPECT_EQ(d.backgroundMode, BKMODE_TRANSPARENT);
  EXPECT_EQ(d.thirdPresent, 0);
  MakeColorDesc(nullptr, 0x0D06, &d, 1);
  EXPECT_EQ(d.foregroundMix, 6);
  EXPECT_EQ(d.backgroundMode, BKMODE_OPAQUE);
  EXPECT_EQ(d.thirdPresent, 1);
  MakeColorDesc(nullptr, 0x0D06, &d, 2);
  EXPECT_EQ(d.thirdPresent, 0);
}

TEST(ColourDescription, SwapExchangesLowAndThirdBytes) {
  ColorDesc d{};
  d.foregroundColor = 0xAA112233;
  d.backgroundColor = 0x00445566;
  d.thirdColor = 0;
  SwapColorBytes(&d);
  EXPECT_EQ(d.foregroundColor, 0xAA332211u);
  EXPECT_EQ(d.backgroundColor, 0x00665544u);
  EXPECT_EQ(d.thirdColor, 0u);
}

ColorDesc Text(DWORD fore) {
  ColorDesc d{};
  d.foregroundMix = 13;
  d.backgroundMode = BKMODE_TRANSPARENT;
  d.foregroundColor = fore;
  d.drawingKind = DRAW_TEXT;
  return d;
}

TEST_F(StateTest, ColourRecordCarriesTheEngineBytesHighFirst) {
  const ColorDesc d = Text(0x00112233);
  ASSERT_TRUE(SendColor(device_, &d));
  EXPECT_EQ(Written(), (std::vector<std::vector<BYTE>>{{0x30, 8, 0x41, 0, 0x11, 0x22, 0x33, 0}}));
}

TEST_F(StateTest, UnchangedColourIsSentOnce) {
  ColorDesc d = Text(0x123456);
  ASSERT_TRUE(SendColor(device_, &d));
  ASSERT_TRUE(SendColor(device_, &d));
  d.hostMatched = 1;  // the host-matched flag alone is no change
  ASSERT_TRUE(SendColor(device_, &d));
  d.thirdColor = 0x99;  // nor is a third colour that is not present
  ASSERT_TRUE(SendColor(device_, &d));
  d.backgroundColor = 0x77;  // the background colour counts even when transparent
  ASSERT_TRUE(SendColor(device_, &d));
  d.drawingKind = DRAW_FILL_PATH;
  ASSERT_TRUE(SendColor(device_, &d));
  d.thirdPresent = 1;
  ASSERT_TRUE(SendColor(device_, &d));
  d.thirdColor = 0x98;
  ASSERT_TRUE(SendColor(device_, &d));
  EXPECT_EQ(Opcodes(), (std::vector<BYTE>{0x30, 0x30, 0x30, 0x30, 0x30}));
  InvalidateDrawingState(device_);
  ASSERT_TRUE(SendColor(device_, &d));
  EXPECT_EQ(Opcodes(), (std::vector<BYTE>{0x30}));
}

TEST_F(StateTest, RopAndPaintModeAreSentWhenTheyChange) {
  ASSERT_TRUE(SendRop(device_, 0xCC));
  ASSERT_TRUE(SendRop(device_, 0xCC));
  ASSERT_TRUE(SendPaintMode(device_, 1));
  ASSERT_TRUE(SendPaintMode(device_, 1));
  ASSERT_TRUE(SendRop(device_, 0x66));
  ASSERT_TRUE(SendPaintMode(device_, 2));
  ASSERT_TRUE(SelectRop(device_, 0x00CC0020));
  EXPECT_EQ(Written(), (std::vector<std::vector<BYTE>>{
                           {0x31, 0xCC, 0, 0}, {0x32, 1, 0, 0}, {0x31, 0x66, 0, 0}, {0x32, 2, 0, 0}, {0x31, 0xCC, 0, 0}}));
  InvalidateDrawingState(device_);
  ASSERT_TRUE(SendRop(device_, 0xCC));
  ASSERT_TRUE(SendPaintMode(device_, 2));
  EXPECT_EQ(Opcodes(), (std::vector<BYTE>{0x31, 0x32}));
}

TEST_F(StateTest, FailedRecordLeavesTheCacheAsItWas) {
  ASSERT_TRUE(SendRop(device_, 0xCC));
  StarveBuffer();
  EXPECT_FALSE(SendRop(device_, 0x66));
  EXPECT_EQ(device_->drawing.rop, 0xCC);
  const ColorDesc d = Text(1);
  StarveBuffer();
  EXPECT_FALSE(SendColor(device_, &d));
  EXPECT_FALSE(device_->drawing.color.valid);
  StarveBuffer();
  EXPECT_FALSE(SendPaintMode(device_, 1));
  EXPECT_FALSE(device_->drawing.paintModeValid);
  StarveBuffer();
  EXPECT_FALSE(SendBrush(device_, &device_->solidBrush));
  EXPECT_FALSE(device_->drawing.brushValid);
}

struct PatternBlock {
  RealizedBrush brush{};
  BYTE pattern[128]{};
};

TEST_F(StateTest, PatternBrushesGoEveryTimeSolidOnlyOnChange) {
  PatternBlock pattern;
  pattern.brush.kind = BRUSH_PATTERN_1BPP;
  pattern.brush.bitsPerPixel = 1;
  pattern.brush.side = 32;
  RealizedBrush solid{};
  EXPECT_FALSE(SendBrush(device_, nullptr));
  ASSERT_TRUE(SendBrush(device_, &solid));
  ASSERT_TRUE(SendBrush(device_, &solid));
  ASSERT_TRUE(SendBrush(device_, &pattern.brush));
  ASSERT_TRUE(SendBrush(device_, &pattern.brush));
  ASSERT_TRUE(SendBrush(device_, &solid));
  ASSERT_TRUE(SendBrush(device_, &solid));
  EXPECT_EQ(Opcodes(), (std::vector<BYTE>{0x40, 0x40, 0x40, 0x40}));
}

TEST_F(StateTest, SolidBrushLookupFillsTheDeviceBrush) {
  plat::gdi::BrushObject brush(0x123456, BR_HOST_ICM);
  const POINTL origin{3, 4};
  RealizedBrush* r = LookupBrush(device_, nullptr, brush.get(), &origin);
  ASSERT_EQ(r, &device_->solidBrush);
  EXPECT_EQ(r->kind, BRUSH_SOLID);
  EXPECT_EQ(r->firstColor, 0x123456u);
  EXPECT_EQ(r->secondColor, 0xFFFFFFu);
  EXPECT_EQ(r->hostMatched, 1u);
  EXPECT_EQ(r->originX, 3);
  EXPECT_EQ(r->originY, 4);
  plat::gdi::BrushObject plain(0x10);
  EXPECT_EQ(LookupBrush(device_, nullptr, plain.get(), nullptr)->hostMatched, 0u);
  EXPECT_EQ(LookupBrush(device_, nullptr, nullptr, nullptr), nullptr);
}

TEST_F(StateTest, PatternBrushWithoutARealizationIsNone) {
  BRUSHOBJ unknown{0xFFFFFFFFu, nullptr, 0};  // not one of the engine's
  EXPECT_EQ(LookupBrush(device_, nullptr, &unknown, nullptr), nullptr);
}

TEST_F(StateTest, SameRectangleClipIsWrittenOnce) {
  auto a = plat::gdi::ClipObject::Rect(RECTL{0, 0, 100, 200}, 5);
  auto b = plat::gdi::ClipObject::Rect(RECTL{0, 0, 100, 201}, 5);
  BYTE* first = SetClip(device_, a->get());
  ASSERT_NE(first, nullptr);
  ASSERT_NE(first, kClipFailed);
  EXPECT_EQ(SetClip(device_, a->get()), first);
  EXPECT_NE(SetClip(device_, b->get()), nullptr);
  const auto w = Written();
  ASSERT_EQ(w.size(), 2u);
  EXPECT_EQ(w[0], (std::vector<BYTE>{0x10, 0, 5, 0, 24, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 100, 0, 0, 0, 200, 0, 0, 0}));
  EXPECT_EQ(w[1][20], 201);
}

TEST_F(StateTest, ClipResetOnlyAfterAClip) {
  auto none = plat::gdi::ClipObject::Trivial(RECTL{0, 0, 10, 10});
  auto rect = plat::gdi::ClipObject::Rect(RECTL{1, 1, 9, 9});
  EXPECT_EQ(SetClip(device_, nullptr), nullptr);
  EXPECT_EQ(SetClip(device_, none->get()), nullptr);
  EXPECT_TRUE(Written().empty());
  ASSERT_NE(SetClip(device_, rect->get()), nullptr);
  EXPECT_EQ(SetClip(device_, none->get()), nullptr);
  EXPECT_TRUE(RemoveClip(device_));
  EXPECT_EQ(Opcodes(), (std::vector<BYTE>{0x10, 0x37}));
}

TEST_F(StateTest, PageStartKeepsTheClipKind) {
  auto rect = plat::gdi::ClipObject::Rect(RECTL{1, 1, 9, 9});
  ASSERT_NE(SetClip(device_, rect->get()), nullptr);
  InvalidateClipCache(device_);
  ASSERT_NE(SetClip(device_, rect->get()), nullptr);  // written again on the new page
  InvalidateClipCache(device_);
  EXPECT_EQ(SetClip(device_, nullptr), nullptr);  // the printer still holds the clip
  InvalidateClipCache(device_);
  EXPECT_EQ(SetClip(device_, nullptr), nullptr);
  EXPECT_EQ(Opcodes(), (std::vector<BYTE>{0x10, 0x10, 0x37}));
}

TEST_F(StateTest, ClipResetThatCannotBeWrittenFails) {
  auto rect = plat::gdi::ClipObject::Rect(RECTL{1, 1, 9, 9});
  ASSERT_NE(SetClip(device_, rect->get()), nullptr);
  StarveBuffer();
  EXPECT_EQ(SetClip(device_, nullptr), kClipFailed);
  StarveBuffer();
  EXPECT_FALSE(RemoveClip(device_));
  EXPECT_EQ(device_->clipCache->kind, CLIP_RECT);
}

TEST_F(StateTest, RectangleClipThatCannotBeWrittenIsSkipped) {
  auto rect = plat::gdi::ClipObject::Rect(RECTL{1, 1, 9, 9});
  StarveBuffer();
  EXPECT_EQ(SetClip(device_, rect->get()), nullptr);
  EXPECT_FALSE(device_->clipCache->valid);
}

TEST_F(StateTest, ComplexClipWithoutAnEnginePathFails) {
  CLIPOBJ unknown{};
  unknown.iDComplexity = DC_COMPLEX;
  unknown.iUniq = 9;
  EXPECT_EQ(SetClip(device_, &unknown), kClipFailed);
  EXPECT_TRUE(Written().empty());
}

// Until the path writer writes records, a complex clip writes nothing and is not cached.
TEST_F(StateTest, ComplexClipGoesThroughThePathWriter) {
  auto region = plat::gdi::ClipObject::Region({RECTL{0, 0, 5, 5}, RECTL{10, 10, 20, 20}}, 0);
  const BYTE* result = SetClip(device_, region->get());
  EXPECT_NE(result, kClipFailed);
  if (result) {
    EXPECT_EQ(device_->clipCache->kind, CLIP_PATH);
    // Identity 0 is never matched: the clip is written on every call.
    EXPECT_NE(SetClip(device_, region->get()), nullptr);
    const auto w = Written();
    ASSERT_EQ(w.size(), 2u);
    EXPECT_EQ(w[0][2] & 7, 5);
  }
}

TEST_F(StateTest, DeviceWithoutAClipCacheCannotClip) {
  FreeClipCache(device_);
  EXPECT_EQ(device_->clipCache, nullptr);
  EXPECT_EQ(SetClip(device_, nullptr), kClipFailed);
  InvalidateClipCache(device_);
  FreeClipCache(device_);
}

}  // namespace
}  // namespace rendara::test
