// The settings summary's conditions: which entries of a summary list are shown for the
// settings in force. Each entry shows the number held by a field of its own (dmScale 77,
// dmCopies 88, kdmDstResolutionH 99), so the text tells which entries passed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/dictionary_pages.h"
#include "field_ids.h"
#include "model_context.h"
#include "modules/summary_lists.h"
#include "modules/summary_module.h"

namespace kovatest {
namespace summary_conditions_test {
namespace {

// Keywords (item ids) of the three fields the entries show.
constexpr WORD kShowsScale = 633;
constexpr WORD kShowsCopies = 640;
constexpr WORD kShowsResolution = 673;
constexpr WORD kShows[] = {kShowsScale, kShowsCopies, kShowsResolution};

struct Setting {
  WORD field;
  DWORD value;
};

struct Case {
  const char* name;
  std::vector<WORD> labels;  // entry i shows the i-th of the three numbers
  std::vector<Setting> settings;
  std::u16string expected;
};

std::u16string Summary(ModelContext& mc, const std::vector<WORD>& labels) {
  std::vector<SummaryEntry> entries;
  for (std::size_t i = 0; i < labels.size(); ++i) entries.push_back({labels[i], 0, kShows[i]});
  SummaryList list{};
  list.type = 4;
  list.count = static_cast<WORD>(entries.size());
  list.entries = entries.data();
  ControlRecord edit{};
  edit.controlId = 2148;
  edit.extraData = &list;
  std::vector<WCHAR> text(kSummaryChars);
  BuildSummaryText(mc.ctx(), &edit, text.data(), kSummaryChars);
  return text.data();
}

void RunCases(const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ModelContext mc;
    mc.SetRaw(fid::dmScale, 77);
    mc.SetRaw(fid::dmCopies, 88);
    mc.SetRaw(fid::kdmDstResolutionH, 99);
    for (const Setting& s : c.settings) mc.SetRaw(s.field, s.value);
    EXPECT_EQ(Summary(mc, c.labels), c.expected);
  }
}

// The watermark lines: of two entries with the same label, the first is shown for the text
// watermark and the second for the picture one; neither without a watermark.
TEST(SummaryConditions, CountedWatermarkEntries) {
  std::vector<Case> cases;
  for (WORD label : {WORD{1021}, WORD{1030}, WORD{1031}, WORD{1032}}) {
    cases.push_back({"text watermark", {label, label},
                     {{fid::kdmFuncSelectWaterMark, 1}, {fid::kdmWmKind, 1}}, u"77\r\n"});
    cases.push_back({"picture watermark", {label, label},
                     {{fid::kdmFuncSelectWaterMark, 1}, {fid::kdmWmKind, 2}}, u"88"});
    cases.push_back({"no watermark", {label, label}, {{fid::kdmFuncSelectWaterMark, 0}, {fid::kdmWmKind, 1}}, u""});
  }
  // 1033 has a row for each of the three kinds.
  cases.push_back({"1033, kind 3", {1033, 1033, 1033}, {{fid::kdmFuncSelectWaterMark, 1}, {fid::kdmWmKind, 3}}, u"99"});
  cases.push_back({"1033, kind 2", {1033, 1033, 1033}, {{fid::kdmFuncSelectWaterMark, 1}, {fid::kdmWmKind, 2}},
                   u"88\r\n"});
  RunCases(cases);
}

// One field, or two, holding given values; a label with no row passes.
TEST(SummaryConditions, FieldTables) {
  RunCases({
      {"scale type 3 shows 1006", {1006}, {{fid::kdmScaleType, 3}}, u"77"},
      {"scale type 1 hides 1006", {1006}, {{fid::kdmScaleType, 1}}, u""},
      {"1008 wants scale type 1", {1008, 1006}, {{fid::kdmScaleType, 1}}, u"77\r\n"},
      {"N-up on shows 1020", {1020}, {{fid::kdmFuncSelectNup, 1}}, u"77"},
      {"print method 5 shows 13400, not 13386", {13400, 13386}, {{fid::kdmPrnMethod, 5}}, u"77\r\n"},
      {"text watermark shows 1022", {1022, 1034, 1035},
       {{fid::kdmFuncSelectWaterMark, 1}, {fid::kdmWmKind, 1}}, u"77\r\n"},
      {"picture watermark shows 1034", {1022, 1034, 1035},
       {{fid::kdmFuncSelectWaterMark, 1}, {fid::kdmWmKind, 2}}, u"88\r\n"},
      {"third kind shows 1035", {1022, 1034, 1035}, {{fid::kdmFuncSelectWaterMark, 1}, {fid::kdmWmKind, 3}},
       u"99"},
      {"a label without a row passes", {1001}, {}, u"77"},
  });
}

// The shift direction: 1047 for directions 1 and 3, 1048 for 2 and 4, only with margins on.
TEST(SummaryConditions, ShiftDirections) {
  RunCases({
      {"direction 1", {1047, 1048}, {{fid::kdmFuncSelectMargin, 1}, {fid::kdmShiftDir, 1}}, u"77\r\n"},
      {"direction 4", {1047, 1048}, {{fid::kdmFuncSelectMargin, 1}, {fid::kdmShiftDir, 4}}, u"88"},
      {"margins off", {1047, 1048}, {{fid::kdmFuncSelectMargin, 0}, {fid::kdmShiftDir, 1}}, u""},
  });
}

}  // namespace
}  // namespace summary_conditions_test
}  // namespace kovatest
