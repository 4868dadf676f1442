#include "text_geometry.h"

#include <cstdlib>

#include "win/winddi.h"

namespace rendara {

const std::int32_t kSineTable[kSineEntries] = {
    0, 286, 572, 857, 1143, 1428, 1713, 1997, 2280, 2563,
    2845, 3126, 3406, 3686, 3964, 4240, 4516, 4790, 5063, 5334,
    5604, 5871, 6138, 6402, 6664, 6924, 7182, 7438, 7692, 7943,
    8192, 8438, 8682, 8923, 9162, 9397, 9630, 9860, 10087, 10311,
    10531, 10749, 10963, 11174, 11381, 11585, 11786, 11982, 12176, 12365,
    12551, 12733, 12911, 13085, 13255, 13421, 13583, 13741, 13894, 14044,
    14189, 14330, 14466, 14598, 14726, 14849, 14968, 15082, 15191, 15296,
    15396, 15491, 15582, 15668, 15749, 15826, 15897, 15964, 16026, 16083,
    16135, 16182, 16225, 16262, 16294, 16322, 16344, 16362, 16374, 16382,
    16384,
};

const std::int16_t kTangentTable[kTangentEntries] = {
    0, 57, 114, 172, 229, 286, 343, 400, 458, 515, 572, 629,
    686, 744, 801, 858, 915, 973, 1030, 1087, 1144, 1202, 1259, 1316,
    1373, 1431, 1488, 1545, 1603, 1660, 1717, 1775, 1832, 1889, 1947, 2004,
    2062, 2119, 2176, 2234, 2291, 2349, 2406, 2464, 2521, 2579, 2636, 2694,
    2752, 2809, 2867, 2924, 2982, 3040, 3097, 3155, 3213, 3271, 3328, 3386,
    3444, 3502, 3560, 3618, 3675, 3733, 3791, 3849, 3907, 3965, 4023, 4081,
    4139, 4198, 4256, 4314, 4372, 4430, 4489, 4547, 4605, 4663, 4722, 4780,
    4839, 4897, 4956, 5014, 5073, 5131, 5190, 5248, 5307, 5366, 5425, 5483,
    5542, 5601, 5660, 5719, 5778, 5837, 5896, 5955, 6014, 6073, 6132, 6191,
    6251, 6310, 6369, 6429, 6488, 6547, 6607, 6667, 6726, 6786, 6845, 6905,
    6965, 7025, 7084, 7144, 7204, 7264, 7324, 7384, 7444, 7505, 7565, 7625,
    7685, 7746, 7806, 7867, 7927, 7988, 8048, 8109, 8170, 8231, 8291, 8352,
    8413, 8474, 8535, 8596, 8657, 8719, 8780, 8841, 8903, 8964, 9026, 9087,
    9149, 9210, 9272, 9334, 9396, 9458, 9520, 9582, 9644, 9706, 9768, 9831,
    9893, 9955, 10018, 10080, 10143, 10206, 10269, 10331, 10394, 10457, 10520, 10583,
    10647, 10710, 10773, 10837, 10900, 10964, 11027, 11091, 11155, 11219, 11283, 11347,
    11411, 11475, 11539, 11603, 11668, 11732, 11797, 11861, 11926, 11991, 12056, 12121,
    12186, 12251, 12316, 12382, 12447, 12513, 12578, 12644, 12709, 12775, 12841, 12907,
    12973, 13040, 13106, 13172, 13239, 13305, 13372, 13439, 13506, 13573, 13640, 13707,
    13774, 13841, 13909, 13976, 14044, 14112, 14180, 14247, 14316, 14384, 14452, 14520,
    14589, 14657, 14726, 14795, 14864, 14933, 15002, 15071, 15140, 15210, 15280, 15349,
    15419, 15489, 15559, 15629, 15699, 15770, 15840, 15911, 15982, 16052, 16123, 16194,
    16266, 16337, 16408, 16480, 16552, 16624, 16696, 16768, 16840, 16912, 16985, 17057,
    17130, 17203, 17276, 17349, 17423, 17496, 17570, 17643, 17717, 17791, 17865, 17939,
    18014, 18088, 18163, 18238, 18313, 18388, 18463, 18539, 18614, 18690, 18766, 18842,
    18918, 18994, 19071, 19147, 19224, 19301, 19378, 19456, 19533, 19611, 19688, 19766,
    19844, 19923, 20001, 20080, 20158, 20237, 20316, 20396, 20475, 20555, 20634, 20714,
    20795, 20875, 20955, 21036, 21117, 21198, 21279, 21361, 21442, 21524, 21606, 21688,
    21770, 21853, 21936, 22019, 22102, 22185, 22268, 22352, 22436, 22520, 22604, 22689,
    22774, 22859, 22944, 23029, 23115, 23200, 23286, 23372, 23459, 23545, 23632, 23719,
    23807, 23894, 23982, 24070, 24158, 24246, 24335, 24424, 24513, 24602, 24692, 24781,
    24872, 24962, 25052, 25143, 25234, 25325, 25417, 25508, 25600, 25693, 25785, 25878,
    25971, 26064, 26158, 26251, 26345, 26440, 26534, 26629, 26724, 26819, 26915, 27011,
    27107, 27204, 27300, 27397, 27495, 27592, 27690, 27788, 27887, 27986, 28085, 28184,
    28284, 28384, 28484, 28584, 28685, 28787, 28888, 28990, 29092, 29194, 29297, 29400,
    29504, 29607, 29711, 29816, 29920, 30025, 30131, 30237, 30343, 30449, 30556, 30663,
    30770, 30878, 30986, 31095, 31204, 31313, 31422, 31532, 31643, 31753, 31865, 31976,
    32088, 32200, 32313, 32426, 32539, 32653,
};

std::int32_t ScaleTrunc(float x, std::int32_t n) {
  const float product = static_cast<float>(n) * x;
  if (!(product > -2147483648.0f && product < 2147483648.0f)) return product > 0 ? INT32_MAX : INT32_MIN;
  return static_cast<std::int32_t>(product);
}

std::int32_t Hypot(std::int32_t a, std::int32_t b) {
  std::int64_t x = std::llabs(static_cast<std::int64_t>(a));
  std::int64_t y = std::llabs(static_cast<std::int64_t>(b));
  std::int64_t r = x > y ? x : y;
  const std::int64_t m = x > y ? y : x;
  // r * r + s stays the square of the next candidate: (r + 1)^2 = r^2 + 2r + 1.
  const std::int64_t target = m * m;
  std::int64_t s = 0;
  while (s < target) {
    s += 2 * r + 1;
    ++r;
  }
  return static_cast<std::int32_t>(r);
}

std::int32_t MulDivRound(std::int32_t a, std::int32_t b, std::int32_t c) {
  if (c == 0) return -1;
  std::int64_t n = static_cast<std::int64_t>(a) * b;
  const bool negative = (n < 0) != (c < 0);
  const std::int64_t un = n < 0 ? -n : n;
  const std::int64_t uc = c < 0 ? -static_cast<std::int64_t>(c) : c;
  std::int64_t q = (un + uc / 2) / uc;
  if (negative) q = -q;
  if (q > INT32_MAX || q < INT32_MIN) return -1;
  return static_cast<std::int32_t>(q);
}

namespace {

std::int32_t QuarterSearch(std::int32_t lo, std::int32_t hi, std::int32_t t) {
  for (;;) {
    if (std::abs(lo - hi) < 2) return lo;
    const std::int32_t q3 = (lo + 3 * hi) >> 2;
    const std::int32_t m = (lo + hi) >> 1;
    const std::int32_t q1 = (3 * lo + hi) >> 2;
    if (t > kTangentTable[q3]) {
      lo = q3;
    } else if (t > kTangentTable[m]) {
      lo = m;
      hi = q3;
    } else if (t > kTangentTable[q1]) {
      lo = q1;
      hi = m;
    } else {
      hi = q1;
    }
  }
}

}  // namespace

std::int32_t EscapementOf(std::int16_t x16, std::int16_t y16) {
  const std::int32_t x = x16;
  const std::int32_t y = y16;
  if (y == 0) return x < 0 ? 180 : 0;
  if (x == 0) return y < 0 ? -90 : 90;
  std::int32_t base, g, h;
  if (x > 0 && y > 0) {
    base = 0, g = x, h = y;
  } else if (x < 0 && y > 0) {
    base = 90, g = y, h = -x;
  } else if (x < 0) {
    base = -180, g = -x, h = -y;
  } else {
    base = -90, g = -y, h = x;
  }
  if (g == h) return base + 45;
  const std::int32_t k = (32767 / g) < (32767 / h) ? (32767 / g) : (32767 / h);
  g *= k;
  h *= k;
  const std::int32_t s = g < h ? g : h;
  const std::int32_t l = g < h ? h : g;
  const std::int32_t t = MulDivRound(s, 32767, l);
  const std::int32_t a = QuarterSearch(0, 450, t);
  return g >= h ? base + (a + 5) / 10 : base + (900 - a + 5) / 10;
}

namespace {

std::int32_t QuarterTable(std::int32_t n, std::int32_t q) {
  if (n < 0) n = 0;
  while (n > 89) {
    n -= 90;
    ++q;
  }
  const std::int32_t value = kSineTable[(q & 1) ? 90 - n : n];
  return (q & 2) ? -value : value;
}

}  // namespace

std::int32_t SinQ(std::int32_t n) { return QuarterTable(n, 0); }
std::int32_t CosQ(std::int32_t n) { return QuarterTable(n, 1); }

DWORD ConvertToPrinterText(BYTE* out, DWORD capacity, const WCHAR* text, DWORD textBytes) {
  if (!out || !text) return 0;
  const DWORD count = textBytes / sizeof(WCHAR);
  DWORD written = 0;
  for (DWORD i = 0; i < count && written < capacity; ++i) {
    WCHAR c = text[i];
    if (c < 0x81) {
      out[written++] = static_cast<BYTE>(c);
      continue;
    }
    char bytes[2] = {0, 0};
    ULONG n = 0;
    EngUnicodeToMultiByteN(bytes, sizeof bytes, &n, &c, sizeof(WCHAR));
    if (n == 0 || n > sizeof bytes) continue;
    // A character that does not fit whole ends the text.
    if (n > capacity - written) break;
    for (ULONG k = 0; k < n; ++k) out[written++] = static_cast<BYTE>(bytes[k]);
  }
  return written;
}

}  // namespace rendara
