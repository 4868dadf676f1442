#include "glyph_compress.h"

#include <cstring>

namespace rendara {

namespace {

class CodeWriter {
 public:
  CodeWriter(BYTE* out, DWORD capacity) : out_(out), capacity_(capacity) {}
  bool Put(BYTE b) {
    if (length_ >= capacity_) return false;
    out_[length_++] = b;
    return true;
  }
  // The extension bytes of a field value v that did not fit its bits.
  bool Extend(DWORD v) {
    while (v >= 255) {
      if (!Put(255)) return false;
      v -= 255;
    }
    return Put(static_cast<BYTE>(v));
  }
  bool Code(bool run, DWORD zeros, DWORD count, const BYTE* data, DWORD dataLength) {
    const BYTE c = static_cast<BYTE>((run ? 0x80 : 0) | ((zeros < 15 ? zeros : 15) << 3) | (count < 7 ? count : 7));
    if (!Put(c)) return false;
    if (zeros >= 15 && !Extend(zeros - 15)) return false;
    if (count >= 7 && !Extend(count - 7)) return false;
    for (DWORD i = 0; i < dataLength; ++i)
      if (!Put(data[i])) return false;
    return true;
  }
  DWORD length() const { return length_; }

 private:
  BYTE* out_;
  DWORD capacity_;
  DWORD length_ = 0;
};

// The literal that starts at `from` stops before a zero, at the end, before four equal
// bytes, or before three equal bytes followed by a zero.
DWORD LiteralLength(const BYTE* in, DWORD length, DWORD from) {
  DWORD i = from;
  while (i < length) {
    const BYTE r = in[i];
    if (r == 0) break;
    const bool threeSame = i + 2 < length && in[i + 1] == r && in[i + 2] == r;
    if (threeSame && i + 3 < length && (in[i + 3] == r || in[i + 3] == 0)) break;
    ++i;
  }
  return i - from;
}

}  // namespace

DWORD CompressGlyph(const BYTE* bitmap, DWORD byteCount, BYTE* out, DWORD capacity) {
  if (!bitmap || !out) return 0;
  CodeWriter writer(out, capacity);
  DWORD pos = 0;
  while (pos < byteCount) {
    DWORD zeros = 0;
    while (pos < byteCount && bitmap[pos] == 0) {
      ++zeros;
      ++pos;
    }
    if (pos == byteCount) break;  // trailing zeros are not coded
    const BYTE q = bitmap[pos];
    DWORD same = 1;
    while (pos + same < byteCount && bitmap[pos + same] == q) ++same;
    if (same >= 3) {
      if (!writer.Code(true, zeros, same - 2, &q, 1)) return 0;
      pos += same;
      continue;
    }
    DWORD k = LiteralLength(bitmap, byteCount, pos);
    if (k == 0) k = 1;  // q opens the literal whatever follows it
    if (!writer.Code(false, zeros, k - 1, bitmap + pos, k)) return 0;
    pos += k;
  }
  return writer.length();
}

BOOL ExpandGlyph(const BYTE* codes, DWORD codeLength, BYTE* out, DWORD byteCount) {
  if (!out || (!codes && codeLength)) return FALSE;
  std::memset(out, 0, byteCount);
  DWORD in = 0;
  DWORD at = 0;
  auto field = [&](DWORD v, DWORD full, DWORD* result) -> bool {
    if (v == full) {
      for (;;) {
        if (in >= codeLength) return false;
        const BYTE b = codes[in++];
        v += b;
        if (b < 255) break;
      }
    }
    *result = v;
    return true;
  };
  while (in < codeLength) {
    const BYTE c = codes[in++];
    DWORD zeros = 0;
    DWORD count = 0;
    if (!field((c >> 3) & 15, 15, &zeros) || !field(c & 7, 7, &count)) return FALSE;
    if (zeros > byteCount - at) return FALSE;
    at += zeros;
    if (c & 0x80) {
      if (in >= codeLength || count + 2 > byteCount - at) return FALSE;
      std::memset(out + at, codes[in++], count + 2);
      at += count + 2;
    } else {
      if (count + 1 > codeLength - in || count + 1 > byteCount - at) return FALSE;
      std::memcpy(out + at, codes + in, count + 1);
      in += count + 1;
      at += count + 1;
    }
  }
  return TRUE;
}

}  // namespace rendara
