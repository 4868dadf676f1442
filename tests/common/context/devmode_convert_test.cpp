// Public device-mode versions, the loose, strict and shaped copies, the spooler's three
// conversion modes, and the size checks of an incoming buffer.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <vector>

#include "stored/devmode_convert.h"
#include "fields/devmode_header.h"
#include "context/devmode_import.h"
#include "base/system_checks.h"
#include "fields/product_record.h"
#include "win/devmode.h"
#include "win/errors.h"
#include "test_root.h"

namespace {

// A device-mode buffer of a public size and a private size, the private block filled with
// a pattern so that its copy can be seen.
struct Buffer {
  std::vector<BYTE> bytes;
  Buffer(WORD dmSize, WORD extra, WORD specVersion = DM_SPECVERSION, WORD driverVersion = 0x0322, BYTE fill = 0)
      : bytes(static_cast<size_t>(dmSize < 76 ? 76 : dmSize) + extra + 64, 0xEE) {
    std::memset(bytes.data(), 0, dmSize < 76 ? 76 : dmSize);
    DEVMODEW* d = dm();
    d->dmSpecVersion = specVersion;
    d->dmDriverVersion = driverVersion;
    d->dmSize = dmSize;
    d->dmDriverExtra = extra;
    for (WORD i = 0; i < extra; ++i) bytes[dmSize + i] = static_cast<BYTE>(fill + i);
  }
  DEVMODEW* dm() { return reinterpret_cast<DEVMODEW*>(bytes.data()); }
  BYTE* at(size_t n) { return bytes.data() + n; }
  // The guard bytes behind dmSize + dmDriverExtra are untouched.
  bool GuardIntact() const {
    const DEVMODEW* d = reinterpret_cast<const DEVMODEW*>(bytes.data());
    for (size_t i = static_cast<size_t>(d->dmSize) + d->dmDriverExtra; i < bytes.size(); ++i) {
      if (bytes[i] != 0xEE) return false;
    }
    return true;
  }
};

// A fresh system root (Windows 10, so the driver's own sizes are 220 and 1016) with no
// answers cached from an earlier test.
class ConvertTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetSystemTestCaches(); }
  void TearDown() override { ResetSystemTestCaches(); }
  kovatest::TempRoot root_;
};

WORD U16(const BYTE* p) { return static_cast<WORD>(p[0] | (p[1] << 8)); }

TEST_F(ConvertTest, DevmodeVersion_BySize) {
  struct Case {
    WORD size, spec, expected;
  } cases[] = {
      {188, 0x401, 0x320}, {212, 0x320, 0x400}, {220, 0x320, 0x401}, {200, 0x333, 0x333}, {0, 0x401, 0x401},
  };
  for (const Case& c : cases) {
    Buffer b(c.size, 0, c.spec);
    EXPECT_EQ(GetDevmodeSpecVersion(b.dm()), c.expected) << c.size;
  }
  EXPECT_EQ(GetDevmodeSpecVersion(nullptr), 0);
}

TEST_F(ConvertTest, ConvertLoose_DriverDevmodeIntoA351Destination) {
  Buffer source(220, 1016, DM_SPECVERSION, 0x0322, 1);
  source.dm()->dmCopies = 7;
  source.dm()->dmICMMethod = 3;  // beyond 188 bytes: not copied
  Buffer dest(188, 1016, DM_SPECVERSION, 0x0350);
  EXPECT_EQ(ConvertDevmodeLoose(source.dm(), dest.dm()), 188 + 1016);
  EXPECT_EQ(dest.dm()->dmSize, 188);
  EXPECT_EQ(dest.dm()->dmSpecVersion, 0x320);
  EXPECT_EQ(dest.dm()->dmDriverVersion, 0x0350);
  EXPECT_EQ(dest.dm()->dmCopies, 7);
  // The private block sits at 188; its area offsets are at its own header position.
  EXPECT_EQ(*dest.at(188 + 10), source.bytes[220 + 10]);
  EXPECT_EQ(U16(dest.at(188 + 141)), 0);
  EXPECT_EQ(U16(dest.at(188 + 143)), 1236);
  EXPECT_EQ(U16(dest.at(188 + 145)), 6500);
  EXPECT_TRUE(dest.GuardIntact());
}

TEST_F(ConvertTest, ConvertLoose_RefusalsAndAreaOffsets) {
  {  // a 212-byte source is refused
    Buffer source(212, 1016);
    Buffer dest(220, 1016);
    EXPECT_EQ(ConvertDevmodeLoose(source.dm(), dest.dm()), -1);
  }
  {  // a source that says 0x320 with another size is refused
    Buffer source(200, 1016, DM_SPECVERSION_0320);
    Buffer dest(220, 1016);
    EXPECT_EQ(ConvertDevmodeLoose(source.dm(), dest.dm()), -1);
  }
  {  // a full private block gets its offsets rewritten; a shorter one does not
    Buffer source(220, 1016, DM_SPECVERSION, 0x322, 5);
    Buffer dest(220, 1016);
    EXPECT_EQ(ConvertDevmodeLoose(source.dm(), dest.dm()), 1236);
    EXPECT_EQ(ReadAreaOffset(dest.at(0), 2), 1236);
    EXPECT_EQ(ReadAreaOffset(dest.at(0), 3), 6500);
    Buffer shortDest(220, 500);
    EXPECT_EQ(ConvertDevmodeLoose(source.dm(), shortDest.dm()), 720);
    EXPECT_EQ(*shortDest.at(363), source.bytes[363]);
    EXPECT_TRUE(shortDest.GuardIntact());
  }
  EXPECT_EQ(ConvertDevmodeLoose(nullptr, nullptr), -1);
}

TEST_F(ConvertTest, ImportDevmodeStrict_PublicPartStaysAfterRefusal) {
  Buffer source(220, 1016, DM_SPECVERSION, 0x0321, 9);
  source.dm()->dmCopies = 3;
  Buffer dest(220, 1016, DM_SPECVERSION, 0x0322);
  EXPECT_EQ(ImportDevmode(source.dm(), dest.dm()), -1);
  EXPECT_EQ(dest.dm()->dmCopies, 3);
  EXPECT_EQ(dest.dm()->dmDriverVersion, 0x0322);
  EXPECT_NE(*dest.at(230), source.bytes[230]);  // private block not taken
  // Another private size is refused too; a 212-byte source of the right private size is taken.
  Buffer shortExtra(220, 1000, DM_SPECVERSION, 0x0322);
  EXPECT_EQ(ImportDevmode(shortExtra.dm(), dest.dm()), -1);
  Buffer v400(212, 1016, DM_SPECVERSION_0400, 0x0322, 3);
  EXPECT_EQ(ImportDevmode(v400.dm(), dest.dm()), 212 + 1016);
  EXPECT_EQ(*dest.at(220 + 40), v400.bytes[212 + 40]);
  EXPECT_EQ(dest.dm()->dmSize, 220);
}

TEST_F(ConvertTest, CopyShaped_SizesOfTheShape) {
  Buffer source(220, 1016, DM_SPECVERSION, 0x0322, 2);
  Buffer shape(188, 0, DM_SPECVERSION_0320, 0x0100);
  Buffer dest(220, 1016);
  EXPECT_EQ(CopyDevmodeShaped(source.dm(), shape.dm(), dest.dm(), 1236, nullptr), 1);
  EXPECT_EQ(dest.dm()->dmSize, 188);
  EXPECT_EQ(dest.dm()->dmDriverExtra, 0);
  EXPECT_EQ(dest.dm()->dmDriverVersion, 0x0100);
  EXPECT_EQ(CopyDevmodeShaped(source.dm(), nullptr, dest.dm(), 1236, nullptr), 1);
  EXPECT_EQ(std::memcmp(dest.at(0), source.at(0), 1236), 0);
  EXPECT_EQ(CopyDevmodeShaped(source.dm(), shape.dm(), nullptr, 1236, nullptr), -1);
}

// The writer puts the driver's device-mode into an output in the shape of the caller's
// device-mode, within the bytes the output may take: a shape the driver may not read gives
// the driver's own shape, and an output too small for what is to be written gets nothing.
TEST_F(ConvertTest, CopyShaped_OnlyWhatTheShapeAndTheSizeAllow) {
  Buffer source(220, 1016, DM_SPECVERSION, 0x0322, 2);
  WriteAreaOffsets(source.at(0));  // the driver's device-mode names its areas
  source.dm()->dmCopies = 9;
  struct Case {
    const char* what;
    WORD shapeSize, shapeExtra;
    DWORD writable;
    int result;
    WORD size, extra;  // of the output when written
  };
  const Case cases[] = {
      {"version 0x320, public part alone", 188, 0, 1236, 1, 188, 0},
      {"version 0x401, public part alone, in its own size", 220, 0, 220, 1, 220, 0},
      {"version 0x400 with the private part", 212, 1016, 1228, 1, 212, 1016},
      {"a shorter private part", 220, 500, 720, 1, 220, 500},
      {"a larger private part takes the driver's", 220, 3000, 1236, 1, 220, 1016},
      {"a later public version takes the driver's public part", 300, 0, 1236, 1, 220, 0},
      {"the driver's own, one byte too many", 220, 1016, 1235, 0, 0, 0},
      {"public part alone, one byte too many", 220, 0, 219, 0, 0, 0},
      {"dmSize 0: the driver's own shape", 0, 0, 1236, 1, 220, 1016},
      {"dmSize 10: the driver's own shape", 10, 0, 1236, 1, 220, 1016},
      {"dmSize 60: the driver's own shape", 60, 1016, 1236, 1, 220, 1016},
      {"dmSize 71: the driver's own shape", 71, 0, 1236, 1, 220, 1016},
      {"dmSize 148: the driver's own shape", 148, 0, 1236, 1, 220, 1016},
      {"dmSize 10 in an output of 220 bytes", 10, 0, 220, 0, 0, 0},
  };
  for (const Case& c : cases) {
    Buffer shape(c.shapeSize, c.shapeExtra, DM_SPECVERSION, 0x0100);
    std::vector<BYTE> out(1300, 0xEE);
    auto* dm = reinterpret_cast<DEVMODEW*>(out.data());
    EXPECT_EQ(CopyDevmodeShaped(source.dm(), shape.dm(), dm, c.writable, nullptr), c.result) << c.what;
    const size_t written = c.result == 1 ? static_cast<size_t>(c.size) + c.extra : 0;
    for (size_t i = written; i < out.size(); ++i) ASSERT_EQ(out[i], 0xEE) << c.what << ": byte " << i;
    if (c.result != 1) continue;
    EXPECT_EQ(dm->dmSize, c.size) << c.what;
    EXPECT_EQ(dm->dmDriverExtra, c.extra) << c.what;
    EXPECT_EQ(dm->dmCopies, 9) << c.what;
    EXPECT_EQ(dm->dmSpecVersion, GetDevmodeSpecVersion(dm)) << c.what;
    if (c.extra == 1016) {
      EXPECT_EQ(std::memcmp(out.data() + c.size, source.at(220), 141), 0) << c.what;
      EXPECT_EQ(U16(out.data() + c.size + 143), 1236) << c.what;
    }
  }
  std::vector<BYTE> out(1300, 0xEE);
  EXPECT_EQ(CopyDevmodeShaped(source.dm(), nullptr, reinterpret_cast<DEVMODEW*>(out.data()), 1235, nullptr), 0);
  EXPECT_EQ(out, std::vector<BYTE>(1300, 0xEE));
  EXPECT_EQ(CopyDevmodeShaped(nullptr, nullptr, reinterpret_cast<DEVMODEW*>(out.data()), 1236, nullptr), 0);
}

TEST_F(ConvertTest, ConvertCore_ModesAndSizes) {
  Buffer input(220, 1016, DM_SPECVERSION, 0x0322, 4);
  struct Case {
    DWORD mode;
    WORD outSize, outExtra;
    LONG sizeIn;
    int result;
    LONG sizeOut;
    DWORD error;
  } cases[] = {
      {CDM_CONVERT, 220, 1016, 1236, 1, 1236, 0},
      {CDM_CONVERT, 220, 1016, 1235, 0, 1235, ERROR_INVALID_PARAMETER},
      {CDM_CONVERT351, 188, 1016, 1204, 1, 1204, 0},
      {CDM_CONVERT351, 188, 1016, 1203, 0, 1204, ERROR_INSUFFICIENT_BUFFER},
      {CDM_DRIVER_DEFAULT, 220, 1016, 1236, 2, 1236, 0},
      {CDM_DRIVER_DEFAULT, 220, 1016, 1235, 0, 1236, ERROR_INSUFFICIENT_BUFFER},
      {9, 220, 1016, 5, 2, 5, 0},
  };
  for (const Case& c : cases) {
    Buffer out(c.outSize, c.outExtra);
    LONG size = c.sizeIn;
    SetLastError(0);
    EXPECT_EQ(ConvertDevmodeCore(u"P", input.dm(), out.dm(), &size, c.mode), c.result) << c.mode << " " << c.sizeIn;
    EXPECT_EQ(size, c.sizeOut) << c.mode << " " << c.sizeIn;
    EXPECT_EQ(GetLastError(), c.error) << c.mode << " " << c.sizeIn;
    EXPECT_TRUE(out.GuardIntact());
    if (c.mode == CDM_CONVERT351 && c.result == 1) {
      EXPECT_EQ(out.dm()->dmSpecVersion, 0x320);
      EXPECT_EQ(out.dm()->dmDriverVersion, 0x350);
    }
  }
  SetLastError(0);
  EXPECT_EQ(ConvertDevmodeCore(u"P", input.dm(), input.dm(), nullptr, CDM_CONVERT), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

// CDM_CONVERT writes into the output in the output's own shape, which must be one the driver
// may read and lie within the caller's size; the input must be one the driver may read.
TEST_F(ConvertTest, ConvertCore_TheOutputsOwnShapeWithinTheSize) {
  Buffer input(220, 1016, DM_SPECVERSION, 0x0322, 4);
  input.dm()->dmCopies = 5;
  struct Case {
    const char* what;
    WORD outSize, outExtra;
    LONG sizeIn;
    int result;
    LONG sizeOut;
  };
  const Case cases[] = {
      {"public part alone, in its own size", 220, 0, 220, 1, 220},
      {"version 0x320 with the private part", 188, 1016, 1204, 1, 1204},
      {"a size larger than the shape", 220, 0, 1236, 1, 220},
      {"a size short of dmSize", 220, 0, 219, 0, 219},
      {"dmSize 0", 0, 0, 1236, 0, 1236},
      {"dmSize 10", 10, 0, 1236, 0, 1236},
      {"dmSize 60", 60, 1016, 1236, 0, 1236},
      {"dmSize 71", 71, 0, 1236, 0, 1236},
      {"dmSize 148", 148, 0, 1236, 0, 1236},
      {"a size of nothing", 220, 0, 0, 0, 0},
      {"a negative size", 220, 0, -5, 0, -5},
  };
  for (const Case& c : cases) {
    Buffer out(c.outSize, c.outExtra);
    const std::vector<BYTE> before = out.bytes;
    LONG size = c.sizeIn;
    SetLastError(0);
    EXPECT_EQ(ConvertDevmodeCore(u"P", input.dm(), out.dm(), &size, CDM_CONVERT), c.result) << c.what;
    EXPECT_EQ(size, c.sizeOut) << c.what;
    if (c.result == 1) {
      EXPECT_EQ(out.dm()->dmSize, c.outSize) << c.what;
      EXPECT_EQ(out.dm()->dmDriverExtra, c.outExtra) << c.what;
      EXPECT_EQ(out.dm()->dmCopies, 5) << c.what;
      EXPECT_TRUE(out.GuardIntact()) << c.what;
    } else {
      EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER) << c.what;
      EXPECT_EQ(out.bytes, before) << c.what << ": the output is untouched";
    }
  }
  // An input the driver may not read converts nothing, in either converting mode.
  for (WORD inSize : {WORD{0}, WORD{60}, WORD{71}, WORD{148}}) {
    Buffer bad(inSize, 0);
    for (DWORD mode : {CDM_CONVERT, CDM_CONVERT351}) {
      Buffer out(mode == CDM_CONVERT ? 220 : 188, 1016);
      LONG size = 1236;
      SetLastError(0);
      EXPECT_EQ(ConvertDevmodeCore(u"P", bad.dm(), out.dm(), &size, mode), 0) << inSize << " mode " << mode;
      EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER) << inSize << " mode " << mode;
    }
  }
}

// For each public version: a buffer of exactly dmSize + dmDriverExtra is readable, one byte
// less is not; unknown public sizes never are.
TEST_F(ConvertTest, IncomingBuffer_ExactSizeAndOneByteLess) {
  for (WORD size : {WORD{188}, WORD{212}, WORD{220}}) {
    for (WORD extra : {WORD{0}, WORD{1016}}) {
      Buffer b(size, extra);
      EXPECT_TRUE(IsIncomingDevmodeReadable(b.at(0), static_cast<DWORD>(size) + extra)) << size << "+" << extra;
      EXPECT_FALSE(IsIncomingDevmodeReadable(b.at(0), static_cast<DWORD>(size) + extra - 1)) << size << "+" << extra;
    }
  }
  for (WORD size : {WORD{0}, WORD{76}, WORD{187}, WORD{200}, WORD{221}, WORD{0xFFFF}}) {
    Buffer b(size < 80 ? 80 : 220, 0);
    b.dm()->dmSize = size;
    EXPECT_FALSE(IsIncomingDevmodeReadable(b.at(0), 0xFFFFFFFFu)) << size;
  }
  Buffer tiny(220, 0);
  EXPECT_FALSE(IsIncomingDevmodeReadable(tiny.at(0), 75));
  EXPECT_FALSE(IsIncomingDevmodeReadable(nullptr, 1236));
}

TEST_F(ConvertTest, IncomingBuffer_AreaOffsetsInsideTheSettingsBuffer) {
  Buffer b(220, 1016);
  WriteAreaOffsets(b.at(0));
  EXPECT_TRUE(AreIncomingAreaOffsetsInside(b.dm()));
  const WORD bad[][3] = {{4, 1236, 6500}, {0, 100, 6500}, {0, 1236, 2000}, {0, 1236, 9000}};
  for (const auto& o : bad) {
    std::memcpy(b.at(361), o, 6);
    EXPECT_FALSE(AreIncomingAreaOffsetsInside(b.dm())) << o[0] << " " << o[1] << " " << o[2];
  }
}

}  // namespace
