// The character, run and glyph records: every byte of each layout written over junk, the
// padding, the no-bitmap forms and the values that cannot be encoded.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "buffer_fixture.h"
#include "text_records.h"

namespace rendara::test {
namespace {

class TextRecordTest : public BufferTest {
 protected:
  void SetUp() override {
    BufferTest::SetUp();
    std::memset(records().first.data, 0xCD, sizeof records().first.data);
  }
  // The bytes of a record just written: its length field says how many.
  static std::vector<BYTE> Bytes(const BYTE* r) {
    DWORD length = 0;
    std::memcpy(&length, r + 4, 4);
    return {r, r + length};
  }
  // A font record keeps its u16 length at 14.
  static std::vector<BYTE> FontBytes(const BYTE* r) { return {r, r + (r[14] | r[15] << 8)}; }
  static std::vector<BYTE> U32s(std::initializer_list<DWORD> values) {
    std::vector<BYTE> out;
    for (DWORD v : values)
      for (int i = 0; i < 4; ++i) out.push_back(static_cast<BYTE>(v >> (8 * i)));
    return out;
  }
  static std::vector<BYTE> Cat(std::initializer_list<std::vector<BYTE>> parts) {
    std::vector<BYTE> out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
  }
};

const RECTL kBox{-1, 2, 30, 40};
const std::vector<BYTE> kBoxBytes = {0xFF, 0xFF, 0xFF, 0xFF, 2, 0, 0, 0, 30, 0, 0, 0, 40, 0, 0, 0};

TEST_F(TextRecordTest, TextBoxAndOutline) {
  BYTE* box = EmitTextBox(&records(), kBox, 5, -6, u'\u3042');
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(Bytes(box), Cat({{0x51, 0, 0, 0}, U32s({36}), kBoxBytes, U32s({5, 0xFFFFFFFAu}), {0x42, 0x30, 0, 0}}));
  const BYTE outline[5] = {1, 2, 3, 4, 5};
  BYTE* withOutline = EmitTextOutline(&records(), kBox, 5, 6, u'A', outline, 5);
  ASSERT_NE(withOutline, nullptr);
  // 5 + 39 = 44: 36 + 5 outline bytes + 3 zeros.
  EXPECT_EQ(Bytes(withOutline),
            Cat({{0x51, 0, 1, 0}, U32s({44}), kBoxBytes, U32s({5, 6}), {'A', 0, 0, 0}, {1, 2, 3, 4, 5, 0, 0, 0}}));
  EXPECT_EQ(EmitTextOutline(&records(), kBox, 0, 0, u'A', nullptr, 4), nullptr);
}

TEST_F(TextRecordTest, GlyphRunWithCommonOrPerCharacterAdvances) {
  const WCHAR text[3] = {u'a', u'b', u'c'};
  const std::int16_t common[1] = {12};
  BYTE* run = EmitGlyphRun(&records(), kBox, 7, 8, text, common, 3, 1);
  ASSERT_NE(run, nullptr);
  // 36 + (1 + 3) x 2 = 44.
  EXPECT_EQ(Bytes(run), Cat({{0x52, 0, 0, 0}, U32s({44}), kBoxBytes, U32s({7, 8}), {3, 0, 0, 0}, {12, 0},
                             {'a', 0, 'b', 0, 'c', 0}}));
  const std::int16_t each[3] = {10, -2, 0};
  run = EmitGlyphRun(&records(), kBox, 7, 8, text, each, 3, 3);
  ASSERT_NE(run, nullptr);
  // 36 + 12 = 48.
  EXPECT_EQ(Bytes(run), Cat({{0x52, 0, 0x80, 0}, U32s({48}), kBoxBytes, U32s({7, 8}), {3, 0, 0, 0},
                             {10, 0, 0xFE, 0xFF, 0, 0}, {'a', 0, 'b', 0, 'c', 0}}));
  // Two characters and one advance: 36 + 6 rounds up to 44 with 2 zero bytes.
  run = EmitGlyphRun(&records(), kBox, 0, 0, text, common, 2, 1);
  ASSERT_NE(run, nullptr);
  EXPECT_EQ(Bytes(run).size(), 44u);
  EXPECT_EQ(Bytes(run)[42], 0);
  EXPECT_EQ(Bytes(run)[43], 0);
  EXPECT_EQ(EmitGlyphRun(&records(), kBox, 0, 0, text, each, 3, 2), nullptr);
  EXPECT_EQ(EmitGlyphRun(&records(), kBox, 0, 0, text, each, 0, 1), nullptr);
  EXPECT_EQ(EmitGlyphRun(&records(), kBox, 0, 0, text, each, 0x10000, 1), nullptr);
}

TEST_F(TextRecordTest, GlyphImageWithAndWithoutBitmap) {
  const BYTE bitmap[5] = {0x80, 0x40, 0x20, 0x10, 0x08};
  BYTE* image = EmitGlyphImage(&records(), FALSE, kBox, GLYPH_CHARACTERS | GLYPH_FROM_CACHE, u'Z', 3, 4, -2, 9, 10, 2,
                               bitmap, 8, 5, GLYPH_PLAIN);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(Bytes(image), Cat({{0x57, 0, 0x48, 0}, U32s({72}), kBoxBytes, U32s({3, 4, 64, 0xFFFFFFFEu, 9, 10, 2, 5, 0}),
                               {'Z', 0, 0, 0}, {0x80, 0x40, 0x20, 0x10, 0x08, 0, 0, 0}}));
  // Kept by the printer already: no bitmap, offset 0 and byte count 0.
  BYTE* kept = EmitGlyphImage(&records(), TRUE, kBox, GLYPH_INDEXES, 0x1234, 3, 4, 1, 1, 10, 2, nullptr, 0, 0,
                              GLYPH_RUN_LENGTH);
  ASSERT_NE(kept, nullptr);
  EXPECT_EQ(Bytes(kept), Cat({{0x53, 0, 0x04, 0}, U32s({64}), kBoxBytes, U32s({3, 4, 0, 1, 1, 10, 2, 0, 0}),
                              {0x34, 0x12, 2, 0}}));
  EXPECT_EQ(EmitGlyphImage(&records(), TRUE, kBox, 0, 0, 0, 0, 0, 0, 1, 1, bitmap, 4, 5, 0), nullptr);
}

TEST_F(TextRecordTest, GlyphDataAndTheEmptyBitmap) {
  const BYTE bitmap[6] = {1, 2, 3, 4, 5, 6};
  BYTE* data = EmitGlyphData(&records(), GLYPH_CHARACTERS, u'g', 9, 3, bitmap, 8, 6, GLYPH_RUN_LENGTH);
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(Bytes(data), Cat({{0x54, 0, 0x08, 0}, U32s({36, 6, 9, 3, 0}), {'g', 0, 2, 0}, {1, 2, 3, 4, 5, 6, 0, 0}}));
  const DWORD before = records().bytesBuffered;
  EXPECT_EQ(EmitGlyphData(&records(), GLYPH_CHARACTERS, u'g', 0, 0, bitmap, 0, 0, 0), nullptr);
  EXPECT_EQ(EmitGlyphData(&records(), GLYPH_CHARACTERS, u'g', 0, 0, nullptr, 8, 6, 0), nullptr);
  EXPECT_EQ(EmitGlyphData(&records(), GLYPH_CHARACTERS, u'g', 9, 3, bitmap, 6, 6, 0), nullptr);
  EXPECT_EQ(records().bytesBuffered, before);
}

TEST_F(TextRecordTest, GlyphPositions) {
  const GlyphPosition entries[3] = {{0, 0, u'x'}, {12, -1, u'y'}, {0, 0, u'z'}};
  BYTE* positions = EmitGlyphPositions(&records(), kBox, GLYPH_INDEXES, 100, 200, entries, 3);
  ASSERT_NE(positions, nullptr);
  // 36 + 18 = 54, rounded up to 56.
  EXPECT_EQ(Bytes(positions), Cat({{0x55, 0, 0x04, 0}, U32s({56}), kBoxBytes, U32s({100, 200, 3}),
                                   {0, 0, 0, 0, 'x', 0, 12, 0, 0xFF, 0xFF, 'y', 0, 0, 0, 0, 0, 'z', 0}, {0, 0}}));
  BYTE* none = EmitGlyphPositions(&records(), kBox, GLYPH_CHARACTERS, 1, 2, nullptr, 0);
  ASSERT_NE(none, nullptr);
  EXPECT_EQ(Bytes(none).size(), 36u);
  EXPECT_EQ(EmitGlyphPositions(&records(), kBox, 0, 0, 0, nullptr, 0x30000000), nullptr);
}

FontDescription Font(const char* face, int mode) {
  FontDescription f{};
  f.mode = mode;
  f.charSet = 0x80;
  f.pitchAndFamily = 0x31;
  f.weight = 700;
  f.escapement = 270;
  f.height = 0x0102;
  f.width = 0x0304;
  std::strncpy(f.faceName, face, kFaceNameMax);
  f.internalLeading = 9;
  f.defaultChar = 0x30FB;
  f.glyphIndexFlag = 2;
  return f;
}

TEST_F(TextRecordTest, FontSelectionRecords) {
  // A 6-byte name: 24 + 6 + 4 = 34, rounded down to 32; the NUL at 30.
  BYTE* font = EmitFont(&records(), Font("Mincho", FONTMODE_RESIDENT));
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(FontBytes(font).size(), 32u);
  EXPECT_EQ(font[30], 0);
  // A 5-byte name: 6 name bytes (the fifth followed by a NUL), a NUL; 32 bytes too.
  FontDescription five = Font("Gothc", FONTMODE_RESIDENT);
  font = EmitFont(&records(), five);
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(FontBytes(font), Cat({{0x50, 0, 0x80, 0x31}, {0x08, 0x00, 0xBC, 0x02, 0x0E, 0x01, 0x04, 0x03, 0x02, 0x01,
                                                        32, 0}, U32s({0}), {9, 0, 0xFB, 0x30},
                              {'G', 'o', 't', 'h', 'c', 0, 0, 0}}));
  five.italic = five.bold = five.vertical = true;
  five.glyphIndexFlag = 3;
  five.mode = FONTMODE_DOWNLOAD;
  BYTE* download = EmitDownloadFont(&records(), five);
  ASSERT_NE(download, nullptr);
  // 0x2000 | 0x0010 | 0x0001 | 0x0002 | 0x0020 | 0x0080 = 0x20B3; 32 + 6 + 4 -> 40.
  EXPECT_EQ(FontBytes(download), Cat({{0x56, 0x80, 0x31, 0}, {0xB3, 0x20, 0xBC, 0x02, 0x0E, 0x01, 0x04, 0x03, 0x02, 0x01,
                                                            40, 0}, U32s({0}), {9, 0, 0xFB, 0x30}, U32s({0, 0}),
                                  {'G', 'o', 't', 'h', 'c', 0, 0, 0}}));
  // An even name of 4 bytes: 24 + 4 + 4 = 32, the NUL and 3 zeros behind it.
  font = EmitFont(&records(), Font("Aria", FONTMODE_OUTLINES));
  ASSERT_NE(font, nullptr);
  const auto even = FontBytes(font);
  ASSERT_EQ(even.size(), 32u);
  EXPECT_EQ(even[4] | even[5] << 8, 0x2200);
  EXPECT_EQ(std::vector<BYTE>(even.begin() + 24, even.end()), (std::vector<BYTE>{'A', 'r', 'i', 'a', 0, 0, 0, 0}));
  // The longest name: 256 bytes, 24 + 256 + 4 = 284.
  std::string longName(300, 'n');
  font = EmitFont(&records(), Font(longName.c_str(), FONTMODE_RESIDENT));
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(FontBytes(font).size(), 284u);
  EXPECT_EQ(FontBytes(font)[24 + 256], 0);
}

}  // namespace
}  // namespace rendara::test
