// IsValidDevmodeW: a caller's device-mode checked against its buffer's size; structural
// faults refused with their error, minor ones repaired within dmSize.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <vector>

#include "win/devmode.h"
#include "win/errors.h"
#include "win/spool.h"

namespace devmode_validation_test {
namespace {

constexpr BYTE kGuard = 0xEE;

// A device-mode of dmSize public and dmDriverExtra private bytes, at `shift` bytes from the
// start of its allocation, followed by guard bytes.
struct Devmode {
  std::vector<BYTE> bytes;
  std::size_t shift;
  Devmode(WORD size, WORD extra, std::size_t shift = 0) : bytes(shift + 1300, kGuard), shift(shift) {
    const std::size_t used = static_cast<std::size_t>(size < 76 ? 76 : size) + extra;
    std::memset(at(0), 0, used < 1300 ? used : 1300);
    Put(offsetof(DEVMODEW, dmSpecVersion), WORD{DM_SPECVERSION});
    Put(offsetof(DEVMODEW, dmSize), size);
    Put(offsetof(DEVMODEW, dmDriverExtra), extra);
  }
  BYTE* at(std::size_t n) { return bytes.data() + shift + n; }
  DEVMODEW* dm() { return reinterpret_cast<DEVMODEW*>(at(0)); }
  template <typename T>
  void Put(std::size_t offset, T value) {
    std::memcpy(at(offset), &value, sizeof value);
  }
  template <typename T>
  T Get(std::size_t offset) {
    T value{};
    std::memcpy(&value, at(offset), sizeof value);
    return value;
  }
  DWORD Fields() { return Get<DWORD>(offsetof(DEVMODEW, dmFields)); }
};

TEST(IsValidDevmodeW, StructuralFaultsAreRefusedWithTheirError) {
  struct Case {
    const char* what;
    WORD size, extra;
    std::size_t buffer;
    BOOL valid;
    DWORD error;
  };
  const Case cases[] = {
      {"a buffer shorter than the header", 220, 0, 75, FALSE, ERROR_INSUFFICIENT_BUFFER},
      {"dmSize 0", 0, 0, 1236, FALSE, ERROR_INVALID_DATA},
      {"dmSize 10", 10, 0, 1236, FALSE, ERROR_INVALID_DATA},
      {"dmSize 60", 60, 0, 1236, FALSE, ERROR_INVALID_DATA},
      {"dmSize 74, short of dmFields", 74, 0, 1236, FALSE, ERROR_INVALID_DATA},
      {"dmSize 71, odd", 71, 0, 1236, FALSE, ERROR_INVALID_DATA},
      {"dmSize 221, odd", 221, 0, 1236, FALSE, ERROR_INVALID_DATA},
      {"private part one byte past the buffer", 220, 1016, 1235, FALSE, ERROR_INSUFFICIENT_BUFFER},
      {"public part past the buffer", 220, 0, 219, FALSE, ERROR_INSUFFICIENT_BUFFER},
      {"a private size that cannot be", 220, 19448, 1236, FALSE, ERROR_INSUFFICIENT_BUFFER},
      {"the header alone", 76, 0, 76, TRUE, 0},
      {"148 public bytes", 148, 0, 148, TRUE, 0},
      {"156 public bytes", 156, 0, 156, TRUE, 0},
      {"version 0x320", 188, 0, 188, TRUE, 0},
      {"version 0x400 and a private part", 212, 1016, 1228, TRUE, 0},
      {"version 0x401 and a private part", 220, 1016, 1236, TRUE, 0},
      {"a buffer larger than the device-mode", 220, 0, 1236, TRUE, 0},
  };
  for (const Case& c : cases) {
    Devmode d(c.size, c.extra);
    SetLastError(0);
    EXPECT_EQ(IsValidDevmodeW(d.dm(), c.buffer), c.valid) << c.what;
    EXPECT_EQ(GetLastError(), c.error) << c.what;
  }
  SetLastError(0);
  EXPECT_FALSE(IsValidDevmodeW(nullptr, 1236));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

// Bits of members that dmSize does not hold are cleared; the bits of members it holds, and
// bits that name no member, stay.
TEST(IsValidDevmodeW, FieldBitsOfMembersPastDmSizeAreCleared) {
  constexpr DWORD kUnnamed = 0x80000000u;
  struct Case {
    WORD size;
    DWORD before, after;
  };
  const Case cases[] = {
      {220, DM_PANNINGHEIGHT | DM_MEDIATYPE | DM_COPIES, DM_PANNINGHEIGHT | DM_MEDIATYPE | DM_COPIES},
      {216, DM_PANNINGHEIGHT | DM_PANNINGWIDTH, DM_PANNINGWIDTH},
      {188, DM_ICMMETHOD | DM_DISPLAYFREQUENCY | DM_COPIES | kUnnamed, DM_DISPLAYFREQUENCY | DM_COPIES | kUnnamed},
      {166, DM_FORMNAME | DM_LOGPIXELS, DM_FORMNAME},
      {164, DM_FORMNAME | DM_COLLATE, DM_COLLATE},
      {82, DM_PAPERLENGTH | DM_PAPERWIDTH | DM_POSITION, DM_PAPERLENGTH},
      {76, DM_ORIENTATION | kUnnamed, kUnnamed},
  };
  for (const Case& c : cases) {
    Devmode d(c.size, 0);
    d.Put(offsetof(DEVMODEW, dmFields), c.before);
    EXPECT_TRUE(IsValidDevmodeW(d.dm(), c.size)) << c.size;
    EXPECT_EQ(d.Fields(), c.after) << c.size;
  }
}

TEST(IsValidDevmodeW, UnterminatedNamesEndAtTheirLastCharacter) {
  Devmode d(220, 0);
  for (std::size_t i = 0; i < CCHDEVICENAME; ++i) d.Put(sizeof(WCHAR) * i, WCHAR{u'D'});
  for (std::size_t i = 0; i < CCHFORMNAME; ++i) d.Put(offsetof(DEVMODEW, dmFormName) + sizeof(WCHAR) * i, WCHAR{u'F'});
  EXPECT_TRUE(IsValidDevmodeW(d.dm(), 220));
  EXPECT_EQ(d.Get<WCHAR>(sizeof(WCHAR) * (CCHDEVICENAME - 2)), u'D');
  EXPECT_EQ(d.Get<WCHAR>(sizeof(WCHAR) * (CCHDEVICENAME - 1)), 0);
  EXPECT_EQ(d.Get<WCHAR>(offsetof(DEVMODEW, dmFormName) + sizeof(WCHAR) * (CCHFORMNAME - 1)), 0);

  // A form name dmSize does not hold is not touched: the repair stays within dmSize.
  Devmode cut(120, 0);
  for (std::size_t n = 120; n < 200; ++n) *cut.at(n) = u'F';
  EXPECT_TRUE(IsValidDevmodeW(cut.dm(), 120));
  for (std::size_t n = 120; n < 200; ++n) ASSERT_EQ(*cut.at(n), u'F') << n;
}

// A sound device-mode is only read, wherever it lies in memory.
TEST(IsValidDevmodeW, ASoundDevmodeIsLeftAsItIsAtAnyAddress) {
  for (std::size_t shift : {std::size_t{0}, std::size_t{1}, std::size_t{3}}) {
    Devmode d(220, 1016, shift);
    d.Put(offsetof(DEVMODEW, dmFields), DM_COPIES | DM_FORMNAME);
    d.Put(0, WCHAR{u'P'});
    for (std::size_t n = 220; n < 1236; ++n) *d.at(n) = static_cast<BYTE>(n);
    const std::vector<BYTE> before = d.bytes;
    EXPECT_TRUE(IsValidDevmodeW(d.dm(), 1236)) << shift;
    EXPECT_EQ(d.bytes, before) << shift;
  }
}

}  // namespace
}  // namespace devmode_validation_test
