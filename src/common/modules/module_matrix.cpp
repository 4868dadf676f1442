// Which numbers each module takes in each deliverable.
#include "context/extension_modules.h"
#include "base/driver_context.h"
#include "base/dictionary_pages.h"
#include "context/module_events.h"

namespace {

struct Range {
  DWORD first;
  DWORD last;
};

// Inclusive ranges, ended by {0, 0}.
struct Takes {
  const Range* interfaceSet;
  const Range* renderingSet;
  const Range* settingsApiSet;
};

constexpr Range kNone[] = {{0, 0}};

// Built-in functions.
constexpr Range kStampItems[] = {{327, 327}, {0, 0}};
constexpr Range kQualityItems[] = {{100, 124}, {308, 308}, {310, 311}, {325, 325}, {0, 0}};
constexpr Range kQualityItemsNoUi[] = {{111, 124}, {0, 0}};
constexpr Range kPaperItems[] = {{200, 205}, {0, 0}};
constexpr Range kChapterItems[] = {{300, 307}, {0, 0}};
constexpr Range kChapterItemsNoUi[] = {{303, 307}, {0, 0}};
constexpr Range kLockItems[] = {{312, 312}, {318, 323}, {326, 326}, {10000, 11976}, {0, 0}};
constexpr Range kLockItemsNoUi[] = {{312, 312}, {10000, 11976}, {0, 0}};
constexpr Range kUtilityItems[] = {{250, 250}, {324, 324}, {901, 901}, {0, 0}};
constexpr Range kUtilityItemsNoUi[] = {{901, 901}, {0, 0}};

const Takes kItems[kModuleCount] = {
    {kNone, kNone, kNone},
    {kStampItems, kStampItems, kStampItems},
    {kQualityItems, kQualityItemsNoUi, kQualityItemsNoUi},
    {kPaperItems, kNone, kNone},
    {kChapterItems, kChapterItemsNoUi, kChapterItemsNoUi},
    {kNone, kNone, kNone},
    {kNone, kNone, kNone},
    {kNone, kNone, kNone},
    {kLockItems, kLockItemsNoUi, kLockItemsNoUi},
    {kUtilityItems, kUtilityItemsNoUi, kUtilityItemsNoUi},
};

// Events.
constexpr Range kGrey[] = {{3, 3}, {0, 0}};
constexpr Range kStampEvents[] = {{3, 3}, {7, 7}, {0, 0}};
constexpr Range kQualityEvents[] = {{15, 16}, {36, 36}, {56, 56}, {58, 58}, {0, 0}};
constexpr Range kPaperEvents[] = {{38, 47}, {51, 51}, {55, 55}, {0, 0}};
constexpr Range kPaperEventsRendering[] = {{38, 46}, {51, 51}, {55, 55}, {0, 0}};
constexpr Range kChapterEvents[] = {{1, 6}, {8, 13}, {18, 18}, {23, 27}, {0, 0}};
constexpr Range kChapterEventsNoUi[] = {{4, 6}, {8, 13}, {18, 18}, {23, 24}, {0, 0}};
constexpr Range kLockEvents[] = {{59, 64}, {0, 0}};
constexpr Range kLockEventsNoUi[] = {{59, 60}, {0, 0}};
constexpr Range kUtilityEvents[] = {{14, 14}, {17, 17}, {21, 21}, {30, 30}, {32, 32}, {34, 35},
                                    {54, 54},  {66, 67}, {0, 0}};
constexpr Range kUtilityEventsApi[] = {{17, 17}, {21, 21}, {30, 30}, {32, 32}, {34, 35}, {54, 54}, {66, 67}, {0, 0}};
constexpr Range kUtilityEventsRendering[] = {{30, 30}, {32, 32}, {34, 35}, {54, 54}, {66, 67}, {0, 0}};

const Takes kEvents[kModuleCount] = {
    {kGrey, kNone, kNone},
    {kStampEvents, kNone, kNone},
    {kQualityEvents, kQualityEvents, kQualityEvents},
    {kPaperEvents, kPaperEventsRendering, kPaperEvents},
    {kChapterEvents, kChapterEventsNoUi, kChapterEventsNoUi},
    {kNone, kNone, kNone},
    {kGrey, kGrey, kGrey},
    {kNone, kNone, kNone},
    {kLockEvents, kLockEventsNoUi, kLockEventsNoUi},
    {kUtilityEvents, kUtilityEventsRendering, kUtilityEventsApi},
};

bool InSet(const Range* set, DWORD n) {
  for (; set->first || set->last; ++set)
    if (n >= set->first && n <= set->last) return true;
  return false;
}

const Range* Pick(const Takes& t, Deliverable d) {
  switch (d) {
    case Deliverable::Rendering: return t.renderingSet;
    case Deliverable::SettingsApi: return t.settingsApiSet;
    case Deliverable::Interface: break;
  }
  return t.interfaceSet;
}

}  // namespace

bool ModuleTakesBuiltIn(int module, Deliverable deliverable, WORD number) {
  if (module < 0 || module >= kModuleCount) return false;
  return InSet(Pick(kItems[module], deliverable), number);
}

bool ModuleTakesEvent(int module, Deliverable deliverable, DWORD event) {
  if (module < 0 || module >= kModuleCount) return false;
  return InSet(Pick(kEvents[module], deliverable), event);
}

void AnswerGreyState(GreyStateEventBlock* block, bool grey) {
  if (!block) return;
  if (block->control)
    block->control->state = static_cast<WORD>((block->control->state & ~0x0Cu) | (grey ? 0x04u : 0u));
  block->grey = grey ? 1 : 0;
  block->answered = 1;
}
