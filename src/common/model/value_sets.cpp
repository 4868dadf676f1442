// The value sets, written as ranges and expanded to value arrays when compiled.
#include "model/value_sets.h"

#include <array>
#include <cstddef>

namespace {

struct Span {
  DWORD first;
  DWORD last;
};

template <std::size_t N>
constexpr std::size_t CountOf(const Span (&spans)[N]) {
  std::size_t n = 0;
  for (const Span& s : spans) n += s.last - s.first + 1;
  return n;
}

template <const auto& Spans>
constexpr auto Expand() {
  std::array<DWORD, CountOf(Spans)> values{};
  std::size_t i = 0;
  for (const Span& s : Spans) {
    for (DWORD v = s.first; v <= s.last; ++v) values[i++] = v;
  }
  return values;
}

template <std::size_t N>
constexpr bool Ascending(const std::array<DWORD, N>& a) {
  for (std::size_t i = 1; i < N; ++i)
    if (a[i - 1] >= a[i]) return false;
  return true;
}

// The allowed values of 259 settings fields, in table order (not sorted by id); each value
// list ascending. Rows that share a list point at one array.

constexpr Span kRanges0[] = {{256, 256}, {267, 271}, {512, 515}, {517, 562}};
constexpr auto kValues0 = Expand<kRanges0>();
constexpr Span kRanges1[] = {{256, 272}, {281, 299}};
constexpr auto kValues1 = Expand<kRanges1>();
constexpr Span kRanges2[] = {{150, 150}, {200, 200}, {300, 300}, {400, 400}, {600, 600}, {1200, 1200}, {2400, 2400}};
constexpr auto kValues2 = Expand<kRanges2>();
constexpr Span kRanges3[] = {{257, 276}, {279, 302}, {385, 386}, {513, 520}, {1025, 1040}};
constexpr auto kValues3 = Expand<kRanges3>();
constexpr Span kRanges4[] = {{0, 1}};
constexpr auto kValues4 = Expand<kRanges4>();
constexpr Span kRanges5[] = {{1, 118}, {256, 256}, {267, 271}, {384, 393}, {448, 448}, {512, 515}, {517, 562}, {1024, 1028}};
constexpr auto kValues5 = Expand<kRanges5>();
constexpr Span kRanges6[] = {{0, 49}, {128, 129}};
constexpr auto kValues6 = Expand<kRanges6>();
constexpr Span kRanges7[] = {{1, 3}, {257, 276}, {279, 302}, {385, 386}, {513, 520}, {1025, 1040}};
constexpr auto kValues7 = Expand<kRanges7>();
constexpr Span kRanges8[] = {{0, 3}};
constexpr auto kValues8 = Expand<kRanges8>();
constexpr Span kRanges9[] = {{0, 9}};
constexpr auto kValues9 = Expand<kRanges9>();
constexpr Span kRanges10[] = {{1, 11}, {16, 20}};
constexpr auto kValues10 = Expand<kRanges10>();
constexpr Span kRanges11[] = {{0, 3}, {17, 18}, {33, 40}, {49, 49}, {65, 72}, {81, 81}, {97, 104}, {113, 113}, {129, 130}, {161, 164}, {32769, 32772}};
constexpr auto kValues11 = Expand<kRanges11>();
constexpr Span kRanges12[] = {{0, 3}, {17, 22}};
constexpr auto kValues12 = Expand<kRanges12>();
constexpr Span kRanges13[] = {{0, 4}};
constexpr auto kValues13 = Expand<kRanges13>();
constexpr Span kRanges14[] = {{0, 6}};
constexpr auto kValues14 = Expand<kRanges14>();
constexpr Span kRanges15[] = {{0, 5}, {16, 21}};
constexpr auto kValues15 = Expand<kRanges15>();
constexpr Span kRanges16[] = {{0, 16}};
constexpr auto kValues16 = Expand<kRanges16>();
constexpr Span kRanges17[] = {{0, 2}};
constexpr auto kValues17 = Expand<kRanges17>();
constexpr Span kRanges18[] = {{0, 3}, {128, 128}};
constexpr auto kValues18 = Expand<kRanges18>();
constexpr Span kRanges19[] = {{0, 3}, {17, 19}, {33, 35}, {49, 51}, {65, 69}};
constexpr auto kValues19 = Expand<kRanges19>();
constexpr Span kRanges20[] = {{0, 2}, {17, 18}, {33, 34}, {49, 50}, {65, 68}};
constexpr auto kValues20 = Expand<kRanges20>();
constexpr Span kRanges21[] = {{1, 11}, {14, 15}, {256, 272}, {281, 299}};
constexpr auto kValues21 = Expand<kRanges21>();
constexpr Span kRanges22[] = {{0, 8}, {16, 16}, {32, 37}, {128, 132}, {200, 215}};
constexpr auto kValues22 = Expand<kRanges22>();
constexpr Span kRanges23[] = {{0, 4}, {16, 16}, {128, 132}, {255, 255}};
constexpr auto kValues23 = Expand<kRanges23>();
constexpr Span kRanges24[] = {{257, 263}, {384, 385}, {512, 516}};
constexpr auto kValues24 = Expand<kRanges24>();
constexpr Span kRanges25[] = {{1, 7}, {17, 20}, {33, 37}};
constexpr auto kValues25 = Expand<kRanges25>();
constexpr Span kRanges26[] = {{0, 18}};
constexpr auto kValues26 = Expand<kRanges26>();
constexpr Span kRanges27[] = {{0, 5}};
constexpr auto kValues27 = Expand<kRanges27>();
constexpr Span kRanges28[] = {{0, 3}, {17, 17}, {20, 20}, {64, 64}};
constexpr auto kValues28 = Expand<kRanges28>();
constexpr Span kRanges29[] = {{16, 20}, {32, 32}};
constexpr auto kValues29 = Expand<kRanges29>();
constexpr Span kRanges30[] = {{32, 39}, {160, 160}};
constexpr auto kValues30 = Expand<kRanges30>();
constexpr Span kRanges31[] = {{1, 6}};
constexpr auto kValues31 = Expand<kRanges31>();
constexpr Span kRanges32[] = {{0, 14}, {32, 47}, {255, 255}};
constexpr auto kValues32 = Expand<kRanges32>();
constexpr Span kRanges33[] = {{0, 10}};
constexpr auto kValues33 = Expand<kRanges33>();
constexpr Span kRanges34[] = {{0, 2}, {16, 18}};
constexpr auto kValues34 = Expand<kRanges34>();
constexpr Span kRanges35[] = {{1, 2}};
constexpr auto kValues35 = Expand<kRanges35>();
constexpr Span kRanges36[] = {{0, 7}};
constexpr auto kValues36 = Expand<kRanges36>();
constexpr Span kRanges37[] = {{0, 2}, {4, 4}, {8, 8}, {16, 16}, {32, 32}, {64, 66}, {68, 68}, {72, 72}, {80, 80}, {96, 96}};
constexpr auto kValues37 = Expand<kRanges37>();
constexpr Span kRanges38[] = {{1, 2}, {129, 131}, {256, 256}};
constexpr auto kValues38 = Expand<kRanges38>();
constexpr Span kRanges39[] = {{1, 4}};
constexpr auto kValues39 = Expand<kRanges39>();
constexpr Span kRanges40[] = {{1, 3}};
constexpr auto kValues40 = Expand<kRanges40>();
constexpr Span kRanges41[] = {{1, 20}};
constexpr auto kValues41 = Expand<kRanges41>();
constexpr Span kRanges42[] = {{0, 8}};
constexpr auto kValues42 = Expand<kRanges42>();
constexpr Span kRanges43[] = {{0, 118}, {267, 271}, {384, 393}, {449, 449}, {512, 515}, {517, 562}, {1024, 1024}};
constexpr auto kValues43 = Expand<kRanges43>();
constexpr Span kRanges44[] = {{0, 3}, {257, 276}, {279, 302}, {385, 386}, {513, 520}, {1025, 1040}};
constexpr auto kValues44 = Expand<kRanges44>();
constexpr Span kRanges45[] = {{0, 2}, {4, 4}};
constexpr auto kValues45 = Expand<kRanges45>();
constexpr Span kRanges46[] = {{0, 4}, {16, 16}, {128, 131}, {255, 255}};
constexpr auto kValues46 = Expand<kRanges46>();
constexpr Span kRanges47[] = {{257, 263}, {384, 385}, {512, 515}};
constexpr auto kValues47 = Expand<kRanges47>();
constexpr Span kRanges48[] = {{1, 4}, {100, 124}, {200, 205}, {250, 250}, {300, 327}, {900, 901}, {10000, 11976}};
constexpr auto kValues48 = Expand<kRanges48>();

static_assert(Ascending(kValues0));
static_assert(Ascending(kValues1));
static_assert(Ascending(kValues2));
static_assert(Ascending(kValues3));
static_assert(Ascending(kValues4));
static_assert(Ascending(kValues5));
static_assert(Ascending(kValues6));
static_assert(Ascending(kValues7));
static_assert(Ascending(kValues8));
static_assert(Ascending(kValues9));
static_assert(Ascending(kValues10));
static_assert(Ascending(kValues11));
static_assert(Ascending(kValues12));
static_assert(Ascending(kValues13));
static_assert(Ascending(kValues14));
static_assert(Ascending(kValues15));
static_assert(Ascending(kValues16));
static_assert(Ascending(kValues17));
static_assert(Ascending(kValues18));
static_assert(Ascending(kValues19));
static_assert(Ascending(kValues20));
static_assert(Ascending(kValues21));
static_assert(Ascending(kValues22));
static_assert(Ascending(kValues23));
static_assert(Ascending(kValues24));
static_assert(Ascending(kValues25));
static_assert(Ascending(kValues26));
static_assert(Ascending(kValues27));
static_assert(Ascending(kValues28));
static_assert(Ascending(kValues29));
static_assert(Ascending(kValues30));
static_assert(Ascending(kValues31));
static_assert(Ascending(kValues32));
static_assert(Ascending(kValues33));
static_assert(Ascending(kValues34));
static_assert(Ascending(kValues35));
static_assert(Ascending(kValues36));
static_assert(Ascending(kValues37));
static_assert(Ascending(kValues38));
static_assert(Ascending(kValues39));
static_assert(Ascending(kValues40));
static_assert(Ascending(kValues41));
static_assert(Ascending(kValues42));
static_assert(Ascending(kValues43));
static_assert(Ascending(kValues44));
static_assert(Ascending(kValues45));
static_assert(Ascending(kValues46));
static_assert(Ascending(kValues47));
static_assert(Ascending(kValues48));

const ValueSetRow kValueSets[kValueSetCount + 1] = {
    {8, static_cast<DWORD>(kValues0.size()), kValues0.data()},
    {13, static_cast<DWORD>(kValues1.size()), kValues1.data()},
    {14, static_cast<DWORD>(kValues2.size()), kValues2.data()},
    {17, static_cast<DWORD>(kValues2.size()), kValues2.data()},
    {29, static_cast<DWORD>(kValues3.size()), kValues3.data()},
    {36, static_cast<DWORD>(kValues4.size()), kValues4.data()},
    {38, static_cast<DWORD>(kValues2.size()), kValues2.data()},
    {39, static_cast<DWORD>(kValues2.size()), kValues2.data()},
    {46, static_cast<DWORD>(kValues5.size()), kValues5.data()},
    {53, static_cast<DWORD>(kValues6.size()), kValues6.data()},
    {54, static_cast<DWORD>(kValues7.size()), kValues7.data()},
    {87, static_cast<DWORD>(kValues8.size()), kValues8.data()},
    {88, static_cast<DWORD>(kValues9.size()), kValues9.data()},
    {91, static_cast<DWORD>(kValues10.size()), kValues10.data()},
    {92, static_cast<DWORD>(kValues11.size()), kValues11.data()},
    {94, static_cast<DWORD>(kValues12.size()), kValues12.data()},
    {95, static_cast<DWORD>(kValues13.size()), kValues13.data()},
    {108, static_cast<DWORD>(kValues14.size()), kValues14.data()},
    {109, static_cast<DWORD>(kValues15.size()), kValues15.data()},
    {110, static_cast<DWORD>(kValues16.size()), kValues16.data()},
    {111, static_cast<DWORD>(kValues13.size()), kValues13.data()},
    {112, static_cast<DWORD>(kValues14.size()), kValues14.data()},
    {113, static_cast<DWORD>(kValues17.size()), kValues17.data()},
    {117, static_cast<DWORD>(kValues18.size()), kValues18.data()},
    {119, static_cast<DWORD>(kValues14.size()), kValues14.data()},
    {120, static_cast<DWORD>(kValues19.size()), kValues19.data()},
    {121, static_cast<DWORD>(kValues20.size()), kValues20.data()},
    {122, static_cast<DWORD>(kValues17.size()), kValues17.data()},
    {123, static_cast<DWORD>(kValues21.size()), kValues21.data()},
    {124, static_cast<DWORD>(kValues8.size()), kValues8.data()},
    {125, static_cast<DWORD>(kValues21.size()), kValues21.data()},
    {126, static_cast<DWORD>(kValues8.size()), kValues8.data()},
    {127, static_cast<DWORD>(kValues21.size()), kValues21.data()},
    {128, static_cast<DWORD>(kValues4.size()), kValues4.data()},
    {129, static_cast<DWORD>(kValues17.size()), kValues17.data()},
    {131, static_cast<DWORD>(kValues17.size()), kValues17.data()},
    {132, static_cast<DWORD>(kValues8.size()), kValues8.data()},
    {133, static_cast<DWORD>(kValues22.size()), kValues22.data()},
    {134, static_cast<DWORD>(kValues23.size()), kValues23.data()},
    {137, static_cast<DWORD>(kValues24.size()), kValues24.data()},
    {152, static_cast<DWORD>(kValues25.size()), kValues25.data()},
    {169, static_cast<DWORD>(kValues26.size()), kValues26.data()},
    {170, static_cast<DWORD>(kValues26.size()), kValues26.data()},
    {171, static_cast<DWORD>(kValues4.size()), kValues4.data()},
    {173, static_cast<DWORD>(kValues27.size()), kValues27.data()},
    {175, static_cast<DWORD>(kValues17.size()), kValues17.data()},
    {176, static_cast<DWORD>(kValues4.size()), kValues4.data()},
    {177, static_cast<DWORD>(kValues28.size()), kValues28.data()},
    {178, static_cast<DWORD>(kValues29.size()), kValues29.data()},
    {179, static_cast<DWORD>(kValues30.size()), kValues30.data()},
    {180, static_cast<DWORD>(kValues31.size()), kValues31.data()},
    {181, static_cast<DWORD>(kValues13.size()), kValues13.data()},
    {182, static_cast<DWORD>(kValues8.size()), kValues8.data()},
    {200, static_cast<DWORD>(kValues17.size()), kValues17.data()},
    {201, static_cast<DWORD>(kValues32.size()), kValues32.data()},
    {209, static_cast<DWORD>(kValues33.size()), kValues33.data()},
    {227, static_cast<DWORD>(kValues34.size()), kValues34.data()},
    {229, static_cast<DWORD>(kValues4.size()), kValues4.data()},
    {232, static_cast<DWORD>(kValues13.size()), kValues13.data()},
    {242, static_cast<DWORD>(kValues4.size()), kValues4.data()},
    {243, static_cast<DWORD>(kValues4.size()), kValues4.data()},
    {342, static_cast<DWORD>(kValues21.size()), kValues21.data()},
    {343, static_cast<DWORD>(kValues35.size()), kValues35.data()},
    {346, static_cast<DWORD>(kValues21.size()), kValues21.data()},
    {347, static_cast<DWORD>(kValues35.size()), kValues35.data()},
    {398, static_cast<DWORD>(kValues13.size()), kValues13.data()},
    {403, static_cast<DWORD>(kValues4.size()), kValues4.data()},
    {404, static_cast<DWORD>(kValues7.size()), kValues7.data()},
    {405, static_cast<DWORD>(kValues7.size()), kValues7.data()},
    {406, static_cast<DWORD>(kValues7.size()), kValues7.data()},
    {407, static_cast<DWORD>(kValues7.size()), kValues7.data()},
    {408, static_cast<DWORD>(kValues21.size()), kValues21.data()},
    {409, static_cast<DWORD>(kValues7.size()), kValues7.data()},
    {410, static_cast<DWORD>(kValues35.size()), kValues35.data()},
    {444, static_cast<DWORD>(kValues25.size()), kValues25.data()},
    {511, static_cast<DWORD>(kValues8.size()), kValues8.data()},
    {512, static_cast<DWORD>(kValues36.size()), kValues36.data()},
    {522, static_cast<DWORD>(kValues33.size()), kValues33.data()},
    {523, static_cast<DWORD>(kValues37.size()), kValues37.data()},
    {526, static_cast<DWORD>(kValues8.size()), kValues8.data()},
    {600, static_cast<DWORD>(kValues4.size()), kValues4.data()},
    {602, static_cast<DWORD>(kValues35.size()), kValues35.data()},
    {603, static_cast<DWORD>(kValues38.size()), kValues38.data()},
    {611, static_cast<DWORD>(kValues39.size()), kValues39.data()},
    {612, static_cast<DWORD>(kValues40.size()), kValues40.data()},
    {679, static_cast<DWORD>(kValues40.size()), kValues40.data()},
    {680, static_cast<DWORD>(kValues35.size()), kValues35.data()},
    {685, static_cast<DWORD>(kValues39.size()), kValues39.data()},
    {687, static_cast<DWORD>(kValues39.size()), kValues39.data()},
    {688, static_cast<DWORD>(kValues40.size()), kValues40.data()},
    {689, static_cast<DWORD>(kValues33.size()), kValues33.data()},
    {690, static_cast<DWORD>(kValues41.size()), kValues41.data()},
    {693, static_cast<DWORD>(kValues42.size()), kValues42.data()},
    {694, static_cast<DWORD>(kValues42.size()), kValues42.data()},
    {695, static_cast<DWORD>(kValues4.size()), kValues4.data()},
    {696, static_cast<DWORD>(kValues8.size()), kValues8.data()},
    {10175, static_cast<DWORD>(kValues43.size()), kValues43.data()},
    {10176, static_cast<DWORD>(kValues43.size()), kValues43.data()},
    {10177, static_cast<DWORD>(kValues43.size()), kValues43.data()},
    {10178, static_cast<DWORD>(kValues43.size()), kValues43.data()},
    {10179, static_cast<DWORD>(kValues43.size()), kValues43.data()},
    {10180, static_cast<DWORD>(kValues43.size()), kValues43.data()},
    {10181, static_cast<DWORD>(kValues43.size()), kValues43.data()},
    {10182, static_cast<DWORD>(kValues43.size()), kValues43.data()},
    {10183, static_cast<DWORD>(kValues43.size()), kValues43.data()},
    {10184, static_cast<DWORD>(kValues43.size()), kValues43.data()},
    {10185, static_cast<DWORD>(kValues43.size()), kValues43.data()},
    {10186, static_cast<DWORD>(kValues43.size()), kValues43.data()},
    {10187, static_cast<DWORD>(kValues43.size()), kValues43.data()},
    {10188, static_cast<DWORD>(kValues43.size()), kValues43.data()},
    {10189, static_cast<DWORD>(kValues43.size()), kValues43.data()},
    {10190, static_cast<DWORD>(kValues43.size()), kValues43.data()},
    {10191, static_cast<DWORD>(kValues43.size()), kValues43.data()},
    {10192, static_cast<DWORD>(kValues43.size()), kValues43.data()},
    {10193, static_cast<DWORD>(kValues43.size()), kValues43.data()},
    {10194, static_cast<DWORD>(kValues43.size()), kValues43.data()},
    {10195, static_cast<DWORD>(kValues43.size()), kValues43.data()},
    {10196, static_cast<DWORD>(kValues43.size()), kValues43.data()},
    {10197, static_cast<DWORD>(kValues43.size()), kValues43.data()},
    {10198, static_cast<DWORD>(kValues43.size()), kValues43.data()},
    {10199, static_cast<DWORD>(kValues43.size()), kValues43.data()},
    {10200, static_cast<DWORD>(kValues43.size()), kValues43.data()},
    {10201, static_cast<DWORD>(kValues43.size()), kValues43.data()},
    {10202, static_cast<DWORD>(kValues43.size()), kValues43.data()},
    {10203, static_cast<DWORD>(kValues43.size()), kValues43.data()},
    {10204, static_cast<DWORD>(kValues43.size()), kValues43.data()},
    {10205, static_cast<DWORD>(kValues43.size()), kValues43.data()},
    {10206, static_cast<DWORD>(kValues43.size()), kValues43.data()},
    {10207, static_cast<DWORD>(kValues44.size()), kValues44.data()},
    {10208, static_cast<DWORD>(kValues44.size()), kValues44.data()},
    {10209, static_cast<DWORD>(kValues44.size()), kValues44.data()},
    {10210, static_cast<DWORD>(kValues44.size()), kValues44.data()},
    {10211, static_cast<DWORD>(kValues44.size()), kValues44.data()},
    {10212, static_cast<DWORD>(kValues44.size()), kValues44.data()},
    {10213, static_cast<DWORD>(kValues44.size()), kValues44.data()},
    {10214, static_cast<DWORD>(kValues44.size()), kValues44.data()},
    {10215, static_cast<DWORD>(kValues44.size()), kValues44.data()},
    {10216, static_cast<DWORD>(kValues44.size()), kValues44.data()},
    {10217, static_cast<DWORD>(kValues44.size()), kValues44.data()},
    {10218, static_cast<DWORD>(kValues44.size()), kValues44.data()},
    {10219, static_cast<DWORD>(kValues44.size()), kValues44.data()},
    {10220, static_cast<DWORD>(kValues44.size()), kValues44.data()},
    {10221, static_cast<DWORD>(kValues44.size()), kValues44.data()},
    {10222, static_cast<DWORD>(kValues44.size()), kValues44.data()},
    {10223, static_cast<DWORD>(kValues44.size()), kValues44.data()},
    {10224, static_cast<DWORD>(kValues44.size()), kValues44.data()},
    {10225, static_cast<DWORD>(kValues44.size()), kValues44.data()},
    {10226, static_cast<DWORD>(kValues44.size()), kValues44.data()},
    {10227, static_cast<DWORD>(kValues44.size()), kValues44.data()},
    {10228, static_cast<DWORD>(kValues44.size()), kValues44.data()},
    {10229, static_cast<DWORD>(kValues44.size()), kValues44.data()},
    {10230, static_cast<DWORD>(kValues44.size()), kValues44.data()},
    {10231, static_cast<DWORD>(kValues44.size()), kValues44.data()},
    {10232, static_cast<DWORD>(kValues44.size()), kValues44.data()},
    {10233, static_cast<DWORD>(kValues44.size()), kValues44.data()},
    {10234, static_cast<DWORD>(kValues44.size()), kValues44.data()},
    {10235, static_cast<DWORD>(kValues44.size()), kValues44.data()},
    {10236, static_cast<DWORD>(kValues44.size()), kValues44.data()},
    {10237, static_cast<DWORD>(kValues44.size()), kValues44.data()},
    {10238, static_cast<DWORD>(kValues44.size()), kValues44.data()},
    {10276, static_cast<DWORD>(kValues21.size()), kValues21.data()},
    {10277, static_cast<DWORD>(kValues21.size()), kValues21.data()},
    {10278, static_cast<DWORD>(kValues21.size()), kValues21.data()},
    {10279, static_cast<DWORD>(kValues21.size()), kValues21.data()},
    {10280, static_cast<DWORD>(kValues21.size()), kValues21.data()},
    {10288, static_cast<DWORD>(kValues21.size()), kValues21.data()},
    {10434, static_cast<DWORD>(kValues25.size()), kValues25.data()},
    {918, static_cast<DWORD>(kValues21.size()), kValues21.data()},
    {919, static_cast<DWORD>(kValues35.size()), kValues35.data()},
    {923, static_cast<DWORD>(kValues21.size()), kValues21.data()},
    {924, static_cast<DWORD>(kValues35.size()), kValues35.data()},
    {935, static_cast<DWORD>(kValues45.size()), kValues45.data()},
    {936, static_cast<DWORD>(kValues4.size()), kValues4.data()},
    {938, static_cast<DWORD>(kValues13.size()), kValues13.data()},
    {939, static_cast<DWORD>(kValues37.size()), kValues37.data()},
    {941, static_cast<DWORD>(kValues4.size()), kValues4.data()},
    {947, static_cast<DWORD>(kValues36.size()), kValues36.data()},
    {951, static_cast<DWORD>(kValues8.size()), kValues8.data()},
    {954, static_cast<DWORD>(kValues11.size()), kValues11.data()},
    {955, static_cast<DWORD>(kValues12.size()), kValues12.data()},
    {956, static_cast<DWORD>(kValues19.size()), kValues19.data()},
    {957, static_cast<DWORD>(kValues20.size()), kValues20.data()},
    {958, static_cast<DWORD>(kValues8.size()), kValues8.data()},
    {959, static_cast<DWORD>(kValues8.size()), kValues8.data()},
    {960, static_cast<DWORD>(kValues8.size()), kValues8.data()},
    {961, static_cast<DWORD>(kValues22.size()), kValues22.data()},
    {962, static_cast<DWORD>(kValues22.size()), kValues22.data()},
    {963, static_cast<DWORD>(kValues22.size()), kValues22.data()},
    {964, static_cast<DWORD>(kValues46.size()), kValues46.data()},
    {965, static_cast<DWORD>(kValues46.size()), kValues46.data()},
    {966, static_cast<DWORD>(kValues46.size()), kValues46.data()},
    {967, static_cast<DWORD>(kValues47.size()), kValues47.data()},
    {968, static_cast<DWORD>(kValues47.size()), kValues47.data()},
    {969, static_cast<DWORD>(kValues47.size()), kValues47.data()},
    {997, static_cast<DWORD>(kValues21.size()), kValues21.data()},
    {998, static_cast<DWORD>(kValues21.size()), kValues21.data()},
    {999, static_cast<DWORD>(kValues21.size()), kValues21.data()},
    {1002, static_cast<DWORD>(kValues8.size()), kValues8.data()},
    {1003, static_cast<DWORD>(kValues21.size()), kValues21.data()},
    {1004, static_cast<DWORD>(kValues17.size()), kValues17.data()},
    {1005, static_cast<DWORD>(kValues21.size()), kValues21.data()},
    {1006, static_cast<DWORD>(kValues21.size()), kValues21.data()},
    {1007, static_cast<DWORD>(kValues21.size()), kValues21.data()},
    {1008, static_cast<DWORD>(kValues21.size()), kValues21.data()},
    {1009, static_cast<DWORD>(kValues21.size()), kValues21.data()},
    {1018, static_cast<DWORD>(kValues48.size()), kValues48.data()},
    {1023, static_cast<DWORD>(kValues33.size()), kValues33.data()},
    {1024, static_cast<DWORD>(kValues33.size()), kValues33.data()},
    {1025, static_cast<DWORD>(kValues36.size()), kValues36.data()},
    {1030, static_cast<DWORD>(kValues33.size()), kValues33.data()},
    {1031, static_cast<DWORD>(kValues8.size()), kValues8.data()},
    {1032, static_cast<DWORD>(kValues36.size()), kValues36.data()},
    {1097, static_cast<DWORD>(kValues8.size()), kValues8.data()},
    {1110, static_cast<DWORD>(kValues33.size()), kValues33.data()},
    {1117, static_cast<DWORD>(kValues4.size()), kValues4.data()},
    {1120, static_cast<DWORD>(kValues21.size()), kValues21.data()},
    {1121, static_cast<DWORD>(kValues35.size()), kValues35.data()},
    {1124, static_cast<DWORD>(kValues21.size()), kValues21.data()},
    {1125, static_cast<DWORD>(kValues35.size()), kValues35.data()},
    {1128, static_cast<DWORD>(kValues21.size()), kValues21.data()},
    {1129, static_cast<DWORD>(kValues35.size()), kValues35.data()},
    {1132, static_cast<DWORD>(kValues21.size()), kValues21.data()},
    {1133, static_cast<DWORD>(kValues35.size()), kValues35.data()},
    {1136, static_cast<DWORD>(kValues21.size()), kValues21.data()},
    {1137, static_cast<DWORD>(kValues35.size()), kValues35.data()},
    {1140, static_cast<DWORD>(kValues21.size()), kValues21.data()},
    {1141, static_cast<DWORD>(kValues35.size()), kValues35.data()},
    {1144, static_cast<DWORD>(kValues21.size()), kValues21.data()},
    {1145, static_cast<DWORD>(kValues35.size()), kValues35.data()},
    {1148, static_cast<DWORD>(kValues21.size()), kValues21.data()},
    {1149, static_cast<DWORD>(kValues35.size()), kValues35.data()},
    {1152, static_cast<DWORD>(kValues21.size()), kValues21.data()},
    {1153, static_cast<DWORD>(kValues35.size()), kValues35.data()},
    {1156, static_cast<DWORD>(kValues21.size()), kValues21.data()},
    {1157, static_cast<DWORD>(kValues35.size()), kValues35.data()},
    {1158, static_cast<DWORD>(kValues38.size()), kValues38.data()},
    {1162, static_cast<DWORD>(kValues35.size()), kValues35.data()},
    {1163, static_cast<DWORD>(kValues35.size()), kValues35.data()},
    {1164, static_cast<DWORD>(kValues35.size()), kValues35.data()},
    {1165, static_cast<DWORD>(kValues35.size()), kValues35.data()},
    {1166, static_cast<DWORD>(kValues35.size()), kValues35.data()},
    {1167, static_cast<DWORD>(kValues35.size()), kValues35.data()},
    {1168, static_cast<DWORD>(kValues35.size()), kValues35.data()},
    {1496, static_cast<DWORD>(kValues7.size()), kValues7.data()},
    {1497, static_cast<DWORD>(kValues7.size()), kValues7.data()},
    {1498, static_cast<DWORD>(kValues7.size()), kValues7.data()},
    {1499, static_cast<DWORD>(kValues7.size()), kValues7.data()},
    {1500, static_cast<DWORD>(kValues7.size()), kValues7.data()},
    {1501, static_cast<DWORD>(kValues7.size()), kValues7.data()},
    {1502, static_cast<DWORD>(kValues7.size()), kValues7.data()},
    {1503, static_cast<DWORD>(kValues7.size()), kValues7.data()},
    {1504, static_cast<DWORD>(kValues7.size()), kValues7.data()},
    {1505, static_cast<DWORD>(kValues7.size()), kValues7.data()},
    {1506, static_cast<DWORD>(kValues7.size()), kValues7.data()},
    {1507, static_cast<DWORD>(kValues7.size()), kValues7.data()},
    {1508, static_cast<DWORD>(kValues7.size()), kValues7.data()},
    {1509, static_cast<DWORD>(kValues7.size()), kValues7.data()},
    {1510, static_cast<DWORD>(kValues7.size()), kValues7.data()},
    {1511, static_cast<DWORD>(kValues7.size()), kValues7.data()},
    {0, 0, nullptr},
};

// Indexed id sets.
constexpr Span kIndexRanges0[] = {{1, 1}, {17, 17}, {20, 20}};
constexpr Span kIndexRanges1[] = {{2, 3}, {18, 19}, {21, 22}};
constexpr Span kIndexRanges2[] = {{10004, 10009}};
constexpr Span kIndexRanges3[] = {{1, 5}};
constexpr Span kIndexRanges5[] = {{10001, 10011}, {10354, 10355}};
constexpr Span kIndexRanges6[] = {{10014, 10045}};
constexpr Span kIndexRanges7[] = {{10046, 10109}, {10290, 10353}};
constexpr Span kIndexRanges8[] = {{10111, 10174}};
constexpr Span kIndexRanges9[] = {{18, 19}};
constexpr Span kIndexRanges10[] = {{21, 22}};
constexpr Span kIndexRanges11[] = {{17, 17}};
constexpr Span kIndexRanges12[] = {{20, 20}};
constexpr auto kIndex0 = Expand<kIndexRanges0>();
constexpr auto kIndex1 = Expand<kIndexRanges1>();
constexpr auto kIndex2 = Expand<kIndexRanges2>();
constexpr auto kIndex3 = Expand<kIndexRanges3>();
constexpr auto kIndex4 = Expand<kIndexRanges3>();
constexpr auto kIndex5 = Expand<kIndexRanges5>();
constexpr auto kIndex6 = Expand<kIndexRanges6>();
constexpr auto kIndex7 = Expand<kIndexRanges7>();
constexpr auto kIndex8 = Expand<kIndexRanges8>();
constexpr auto kIndex9 = Expand<kIndexRanges9>();
constexpr auto kIndex10 = Expand<kIndexRanges10>();
constexpr auto kIndex11 = Expand<kIndexRanges11>();
constexpr auto kIndex12 = Expand<kIndexRanges12>();

#define KOVA_INDEX_ROW(a) {0xFFFF, static_cast<DWORD>(a.size()), a.data()}
const ValueSetRow kIndexedSets[kIndexedSetCount + 1] = {
    KOVA_INDEX_ROW(kIndex0), KOVA_INDEX_ROW(kIndex1), KOVA_INDEX_ROW(kIndex2),   KOVA_INDEX_ROW(kIndex3),
    KOVA_INDEX_ROW(kIndex4), KOVA_INDEX_ROW(kIndex5), KOVA_INDEX_ROW(kIndex6),   KOVA_INDEX_ROW(kIndex7),
    KOVA_INDEX_ROW(kIndex8), KOVA_INDEX_ROW(kIndex9), KOVA_INDEX_ROW(kIndex10), KOVA_INDEX_ROW(kIndex11),
    KOVA_INDEX_ROW(kIndex12), {0, 0, nullptr},
};
#undef KOVA_INDEX_ROW

bool Contains(const ValueSetRow* row, DWORD value) {
  if (!row || !row->values) return false;
  // Each list is ascending: binary search.
  DWORD lo = 0, hi = row->count;
  while (lo < hi) {
    const DWORD mid = lo + (hi - lo) / 2;
    if (row->values[mid] < value) lo = mid + 1;
    else hi = mid;
  }
  return lo < row->count && row->values[lo] == value;
}

}  // namespace

const ValueSetRow* GetValueSetTable() { return kValueSets; }

const ValueSetRow* FindValueSet(DWORD fieldId) {
  if (fieldId == 0) return nullptr;
  for (const ValueSetRow* row = kValueSets; row->fieldId != 0; ++row) {
    if (row->fieldId == fieldId) return row;
  }
  return nullptr;
}

int IsValueAllowedForItem(DWORD fieldId, DWORD value) { return Contains(FindValueSet(fieldId), value) ? 1 : 0; }

const ValueSetRow* GetIndexedSetTable() { return kIndexedSets; }

const ValueSetRow* GetValueSetByIndex(int index) {
  return index >= 0 && index < kIndexedSetCount ? &kIndexedSets[index] : nullptr;
}

int IsValueAllowedByIndex(int index, DWORD value) { return Contains(GetValueSetByIndex(index), value) ? 1 : 0; }
