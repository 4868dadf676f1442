// The custom paper limit tables.
#include "model/custom_paper_ranges.h"

namespace {

constexpr WORD kBoth = kPaperPlatformBoth;

// Tray 1; trays 3, 2 and 256 (256 keeps its larger minimum width in orientation 2); tray
// 4, the manual feed, which takes the product's whole custom paper range in orientation 1.
constexpr CustomPaperLimitRow kTray1Feed1{kBoth, 1, 1, 0, 20408, 6992, 14030, 4250, 20408, 6996, 14028, 4260};
constexpr CustomPaperLimitRow kTray1Feed2{kBoth, 1, 2, 0, 14030, 6992, 14030, 6992, 14028, 6996, 14028, 6996};
constexpr CustomPaperLimitRow kTray3Feed1{kBoth, 3, 1, 0, 20408, 8598, 14030, 8598, 20408, 8604, 14028, 8604};
constexpr CustomPaperLimitRow kTray3Feed2{kBoth, 3, 2, 0, 14030, 8598, 14030, 6992, 14028, 8604, 14028, 6996};
constexpr CustomPaperLimitRow kTray2Feed1{kBoth, 2, 1, 0, 20408, 8598, 14030, 8598, 20408, 8604, 14028, 8604};
constexpr CustomPaperLimitRow kTray2Feed2{kBoth, 2, 2, 0, 14030, 8598, 14030, 6992, 14028, 8604, 14028, 6996};
constexpr CustomPaperLimitRow kTray256Feed1{kBoth, 256, 1, 0, 20408, 8598, 14030, 8598, 20408, 8604, 14028, 8604};
constexpr CustomPaperLimitRow kTray256Feed2{kBoth, 256, 2, 0, 14030, 8598, 14030, 8598, 14028, 8604, 14028, 8604};
constexpr CustomPaperLimitRow kTray4Feed1{kBoth, 4, 1, 0, 59528, 6992, 14408, 3022, 59520, 6996, 14400, 3024};
constexpr CustomPaperLimitRow kTray4Feed2{kBoth, 4, 2, 0, 14408, 6992, 14408, 6992, 14400, 6996, 14400, 6996};
constexpr CustomPaperLimitRow kEnd{};

// A row with the limits of another tray.
constexpr CustomPaperLimitRow ForTray(CustomPaperLimitRow row, WORD tray) {
  row.tray = tray;
  return row;
}

const CustomPaperLimitRow kDefaultTable[kDefaultCustomPaperRowCount + 1] = {
    kTray1Feed1,   kTray1Feed2,   kTray3Feed1, kTray3Feed2, kTray2Feed1, kTray2Feed2,
    kTray256Feed1, kTray256Feed2, kTray4Feed1, kTray4Feed2, kEnd,
};

// Mask 1: the default table without tray 256.
const CustomPaperLimitRow kModel1Table[kDefaultCustomPaperRowCount - 1] = {
    kTray1Feed1, kTray1Feed2, kTray3Feed1, kTray3Feed2, kTray2Feed1,
    kTray2Feed2, kTray4Feed1, kTray4Feed2, kEnd,
};

// Mask 2: the default table with tray 3 taking the limits of tray 1.
const CustomPaperLimitRow kModel2Table[kDefaultCustomPaperRowCount + 1] = {
    kTray1Feed1,   kTray1Feed2,   ForTray(kTray1Feed1, 3), ForTray(kTray1Feed2, 3), kTray2Feed1, kTray2Feed2,
    kTray256Feed1, kTray256Feed2, kTray4Feed1,             kTray4Feed2,             kEnd,
};

const CustomPaperModelTable kModelTables[] = {
    {1, kModel1Table},
    {2, kModel2Table},
    {0, nullptr},
};

}  // namespace

const CustomPaperLimitRow* GetDefaultCustomPaperTable() { return kDefaultTable; }
const CustomPaperModelTable* GetCustomPaperModelTables() { return kModelTables; }
