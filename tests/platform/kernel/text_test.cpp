#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "plat/system.h"
#include "test_root.h"
#include "win/kernel.h"

namespace {

// "あA" in Shift-JIS: a double-byte character and a single byte.
const char kSjis[] = "\x82\xA0" "A";

class KernelCodePage : public ::testing::Test {
 protected:
  kovatest::TempRoot root;
};

TEST_F(KernelCodePage, MachineCodePages) {
  EXPECT_EQ(GetACP(), 1252u);
  EXPECT_EQ(GetOEMCP(), 437u);
  plat::Machine().ansiCodePage = 932;
  EXPECT_EQ(GetACP(), 932u);
  EXPECT_TRUE(IsDBCSLeadByte(0x82));
  EXPECT_FALSE(IsDBCSLeadByte('A'));
  EXPECT_TRUE(IsDBCSLeadByteEx(932, 0xE0));
  EXPECT_FALSE(IsDBCSLeadByteEx(932, 0xA0));  // half-width katakana is single-byte
  EXPECT_FALSE(IsDBCSLeadByteEx(1252, 0x82));
  EXPECT_TRUE(IsValidCodePage(932));
  EXPECT_TRUE(IsValidCodePage(1252));
  EXPECT_TRUE(IsValidCodePage(CP_UTF8));
  EXPECT_FALSE(IsValidCodePage(12345));
  CPINFO info;
  ASSERT_TRUE(GetCPInfo(932, &info));
  EXPECT_EQ(info.MaxCharSize, 2u);
  EXPECT_EQ(info.LeadByte[0], 0x81);
  EXPECT_EQ(info.LeadByte[3], 0xFC);
  ASSERT_TRUE(GetCPInfo(1252, &info));
  EXPECT_EQ(info.MaxCharSize, 1u);
  EXPECT_EQ(info.LeadByte[0], 0);
}

struct MbCase {
  const char* name;
  UINT cp;
  std::string input;
  int inputLen;       // -1 or the byte count given
  std::u16string out;  // what is produced (with the NUL for -1)
};

class KernelMbToWide : public ::testing::TestWithParam<MbCase> {
 protected:
  kovatest::TempRoot root;
};

TEST_P(KernelMbToWide, SizeProtocol) {
  const auto& c = GetParam();
  const int n = static_cast<int>(c.out.size());
  // Size query.
  EXPECT_EQ(MultiByteToWideChar(c.cp, 0, c.input.c_str(), c.inputLen, nullptr, 0), n);
  // Exact buffer.
  std::vector<WCHAR> buf(n + 4, 0xEEEE);
  EXPECT_EQ(MultiByteToWideChar(c.cp, 0, c.input.c_str(), c.inputLen, buf.data(), n), n);
  EXPECT_EQ(std::u16string(buf.data(), n), c.out);
  EXPECT_EQ(buf[n], 0xEEEE);  // nothing beyond the size given
  // One too small (a size of 0 would be the size query).
  if (n > 1) {
    std::vector<WCHAR> small(n + 4, 0xEEEE);
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(c.cp, 0, c.input.c_str(), c.inputLen, small.data(), n - 1), 0);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(small[n - 1], 0xEEEE);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, KernelMbToWide,
    ::testing::Values(MbCase{"plain_terminated", 1252, "abc", -1, std::u16string(u"abc\0", 4)},
                      MbCase{"counted_no_nul", 1252, "abc", 3, u"abc"},
                      MbCase{"euro_1252", 1252, "\x80", 1, u"\u20AC"},
                      MbCase{"sjis_terminated", 932, kSjis, -1, std::u16string(u"\u3042A\0", 3)},
                      MbCase{"sjis_counted", 932, kSjis, 3, u"\u3042A"},
                      MbCase{"sjis_halfwidth_kana", 932, "\xB1", 1, u"\uFF71"},
                      MbCase{"lone_lead_byte_at_end", 932, "A\x82", 2, u"A\u30FB"},
                      MbCase{"lead_byte_before_nul_keeps_nul", 932, std::string("\x82\0B", 3), 3,
                             std::u16string(u"\u30FB\0B", 3)},
                      MbCase{"utf8", CP_UTF8, "\xE3\x81\x82", 3, u"\u3042"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(KernelCodePage, MultiByteToWideCharArgumentsAndFlags) {
  WCHAR buf[8];
  SetLastError(0);
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, nullptr, -1, buf, 8), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "a", 0, buf, 8), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "a", -2, buf, 8), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "a", 1, nullptr, 8), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(MultiByteToWideChar(12345, 0, "a", 1, buf, 8), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0x1000, "a", 1, buf, 8), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_FLAGS);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_PRECOMPOSED, "a", 1, buf, 8), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_FLAGS);
  // Invalid input only fails when the caller asks.
  EXPECT_EQ(MultiByteToWideChar(932, 0, "A\x82", 2, buf, 8), 2);
  EXPECT_EQ(MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, "A\x82", 2, buf, 8), 0);
  EXPECT_EQ(GetLastError(), ERROR_NO_UNICODE_TRANSLATION);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, "\xFF", 1, buf, 8), 0);
  EXPECT_EQ(GetLastError(), ERROR_NO_UNICODE_TRANSLATION);
  // CP_ACP follows the machine.
  plat::Machine().ansiCodePage = 932;
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, kSjis, 3, buf, 8), 2);
  EXPECT_EQ(buf[0], u'\u3042');
}

TEST_F(KernelCodePage, WideCharToMultiByteSizeProtocolAndDefaultChar) {
  char buf[16];
  // Terminated input: the size counts the NUL.
  EXPECT_EQ(WideCharToMultiByte(932, 0, u"\u3042A", -1, nullptr, 0, nullptr, nullptr), 4);
  std::memset(buf, 0x55, sizeof buf);
  EXPECT_EQ(WideCharToMultiByte(932, 0, u"\u3042A", -1, buf, 4, nullptr, nullptr), 4);
  EXPECT_EQ(std::string(buf, 4), std::string(kSjis, 4));
  EXPECT_EQ(buf[4], 0x55);
  SetLastError(0);
  EXPECT_EQ(WideCharToMultiByte(932, 0, u"\u3042A", -1, buf, 3, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);

  // Characters without a mapping: '?' or the caller's default, and the flag.
  BOOL used = FALSE;
  EXPECT_EQ(WideCharToMultiByte(1252, 0, u"a\u3042b", 3, buf, 16, nullptr, &used), 3);
  EXPECT_EQ(std::string(buf, 3), "a?b");
  EXPECT_TRUE(used);
  EXPECT_EQ(WideCharToMultiByte(1252, 0, u"a\u3042b", 3, buf, 16, "_", &used), 3);
  EXPECT_EQ(std::string(buf, 3), "a_b");
  EXPECT_TRUE(used);
  EXPECT_EQ(WideCharToMultiByte(1252, 0, u"abc", 3, buf, 16, "_", &used), 3);
  EXPECT_FALSE(used);
  EXPECT_EQ(WideCharToMultiByte(1252, 0, u"a\u3042", 2, nullptr, 0, nullptr, &used), 2);
  EXPECT_TRUE(used);  // answered by the size query too

  // UTF-8 takes no default character.
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"a", 1, buf, 16, nullptr, &used), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"\u3042", 1, buf, 16, nullptr, nullptr), 3);
  const WCHAR lone[] = {0xD800, 0};
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, lone, 1, buf, 16, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), ERROR_NO_UNICODE_TRANSLATION);
  EXPECT_EQ(WideCharToMultiByte(1252, 0, nullptr, -1, buf, 16, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(WideCharToMultiByte(1252, 0, u"a", 1, buf, -1, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST_F(KernelCodePage, RtlFormsNeverWritePastTheDestination) {
  plat::Machine().ansiCodePage = 932;
  // "あいA" = 82 A0 82 A2 41
  const char sjis[] = "\x82\xA0\x82\xA2" "A";
  struct Case {
    ULONG max;
    ULONG expectBytes;
  };
  for (const Case c : {Case{0, 0}, Case{1, 0}, Case{2, 2}, Case{5, 4}, Case{6, 6}, Case{100, 6}}) {
    WCHAR out[8];
    std::memset(out, 0xEE, sizeof out);
    ULONG got = 0xFFFF;
    EXPECT_EQ(RtlMultiByteToUnicodeN(out, c.max, &got, sjis, 5), STATUS_SUCCESS);
    EXPECT_EQ(got, c.expectBytes) << c.max;
    const auto* bytes = reinterpret_cast<const unsigned char*>(out);
    for (ULONG i = c.max; i < sizeof out; ++i) ASSERT_EQ(bytes[i], 0xEE) << "max " << c.max << " byte " << i;
  }
  ULONG size = 0;
  EXPECT_EQ(RtlMultiByteToUnicodeSize(&size, sjis, 5), STATUS_SUCCESS);
  EXPECT_EQ(size, 6u);

  // To bytes: a double-byte character that does not fit whole is left out.
  const char16_t text[] = u"A\u3042\u3044";
  for (const Case c : {Case{0, 0}, Case{1, 1}, Case{2, 1}, Case{3, 3}, Case{4, 3}, Case{5, 5}, Case{9, 5}}) {
    char out[12];
    std::memset(out, 0x55, sizeof out);
    ULONG got = 0xFFFF;
    EXPECT_EQ(RtlUnicodeToMultiByteN(out, c.max, &got, text, 6), STATUS_SUCCESS);
    EXPECT_EQ(got, c.expectBytes) << c.max;
    for (ULONG i = got; i < sizeof out; ++i) ASSERT_EQ(out[i], 0x55) << "max " << c.max << " byte " << i;
  }
  EXPECT_EQ(RtlUnicodeToMultiByteSize(&size, text, 6), STATUS_SUCCESS);
  EXPECT_EQ(size, 5u);
  // An odd byte count converts whole characters only.
  char out[4];
  ULONG got = 0;
  EXPECT_EQ(RtlUnicodeToMultiByteN(out, 4, &got, u"AB", 3), STATUS_SUCCESS);
  EXPECT_EQ(got, 1u);
}

TEST_F(KernelCodePage, CharNextAndPrevStepOverDoubleBytes) {
  plat::Machine().ansiCodePage = 932;
  const char s[] = "A\x82\xA0" "B";
  EXPECT_EQ(CharNextA(s), s + 1);
  EXPECT_EQ(CharNextA(s + 1), s + 3);
  EXPECT_EQ(CharNextA(s + 4), s + 4);  // stays on the NUL
  EXPECT_EQ(CharPrevA(s, s + 3), s + 1);
  EXPECT_EQ(CharPrevA(s, s + 4), s + 3);
  EXPECT_EQ(CharPrevA(s, s), s);
  const char lone[] = "\x82";
  EXPECT_EQ(CharNextA(lone), lone + 1);  // a lead byte before the NUL is one character
  plat::Machine().ansiCodePage = 1252;
  EXPECT_EQ(CharNextA(s + 1), s + 2);
}

}  // namespace
