#include "modules/summary_lists.h"

#include <mutex>
#include <vector>

#include "fields/field_table.h"
#include "field_ids.h"

namespace {

// Keywords named by field: the item id of the field, found in the built-in field table.
struct Named {
  WORD label;
  WORD fieldA;  // 0 none; a value above 9000 and below 10000 is a raw keyword (minus 8000)
  WORD fieldB;
};
constexpr WORD Raw(WORD keyword) { return static_cast<WORD>(keyword + 8000); }

constexpr Named kStatus[] = {
    {240, 0, fid::kdmDstResolutionW}, {388, 0, fid::kdmSmoothing}, {241, 0, fid::kdmResBorder},
    {1101, fid::kdmCharBlack, 0}, {13182, Raw(1099), 0}, {242, 0, fid::kdmTTFont},
    {1105, fid::kdmImagePrint, 0}, {1106, fid::kdmColorProcess, 0},
    {1149, fid::kdmFuncSelectTonerSave, fid::kdmTonerSave}, {13041, fid::kdmQualityFuncTextBitmap, 0},
    {1202, 0, 0}, {1112, 0, 0}, {244, 0, fid::kdmDitherType}, {1114, 0, fid::kdmBrightness},
    {1115, 0, fid::kdmContrast}, {1121, 0, 0}, {1122, 0, 0}, {244, 0, fid::wdmDitherTypeText},
    {1114, 0, fid::wdmBrightnessText}, {1115, 0, fid::wdmContrastText}, {1123, 0, 0},
    {244, 0, fid::wdmDitherTypeLine}, {1114, 0, fid::wdmBrightnessLine}, {1115, 0, fid::wdmContrastLine},
    {1124, 0, 0}, {244, 0, fid::wdmDitherTypeImage}, {1114, 0, fid::wdmBrightnessImage},
    {1115, 0, fid::wdmContrastImage},
};
constexpr Named kVersion[] = {
    {13331, 0, 0}, {13332, 0, fid::wdmDriverVersion}, {1202, 0, 0}, {13001, 0, 0}, {13002, 0, 0},
    {1202, 0, 0}, {1202, 0, 0}, {13333, 0, fid::kdmSystemVersion}, {13334, 0, fid::kdmEmulationVersion},
    {13335, 0, Raw(1534)},
};
constexpr WORD kPresetLabels[] = {
    1001, 1002, 1004, 253, 1006, 1007, 1008, 1009, 1010, 1011, 1145, 1015, 1016, 1017, 1145, 254,
    1201, 1201, 1020, 255, 256, 1021, 1022, 1023, 1024, 1025, 1026, 1027, 1028, 1029, 1030, 1031,
    1032, 1033, 13075, 1021, 1030, 1034, 1031, 1032, 1033, 13076, 1035, 1036, 1033, 258, 1037, 1038,
    1039, 1040, 1043, 1044, 1041, 1043, 1044, 1042, 1043, 1044, 1045, 1046, 1047, 1048, 1049, 1050,
    1051, 1052, 1053, 13077, 13163, 13164, 13167, 13166, 13179, 13168, 13169, 13170, 13173, 13171, 13172, 13178,
    13176, 13177, 13174, 13175, 257, 1054, 1055, 1056, 13040, 1057, 1058};
static_assert(sizeof(kPresetLabels) / sizeof(kPresetLabels[0]) == 91);
constexpr WORD kLockLabels[] = {
    1001, 1002, 13377, 13378, 13379, 13380, 13381, 13382, 13383, 13384, 13385, 1147, 1004, 13400, 13386, 13387,
    13396, 13391, 13392, 13397, 13388, 13393, 13389, 13394, 13398, 13401, 13390, 13395, 13399, 13402, 253, 13403,
    1009, 1010, 1011, 1145, 1015, 1016, 1017, 1145, 254, 1201, 1201, 1020, 255, 256, 1021, 1022,
    1023, 1024, 1025, 1027, 1028, 1029, 1030, 1031, 1032, 1033, 13405, 1021, 13406, 1030, 1034, 1031,
    1032, 1033, 1035, 1036, 1033, 258, 1037, 1038, 1039, 1040, 1043, 1044, 1041, 1043, 1044, 1042,
    1043, 1044, 1045, 1046, 1047, 1048, 1049, 1050, 1051, 1052, 1053, 13405, 13163, 13164, 13167, 13166,
    13179, 13168, 13169, 13170, 13173, 13171, 13172, 13178, 13176, 13177, 13174, 13175, 257, 1054, 1055, 1056,
    13040, 1057, 1058, 1202, 13410, 13411, 13414, 13415, 13416, 13417, 13418, 13419, 13420, 13421, 13422, 13424,
    13425, 13426, 13427, 13439, 13441, 13619, 13442, 13443, 13449, 13450, 13451, 13452, 13453, 13454, 13455, 1202,
    13459, 13460, 13461};
static_assert(sizeof(kLockLabels) / sizeof(kLockLabels[0]) + 28 == 175);

// The keyword of a label of the preset and lock summaries: the field that the summary's
// condition tables test for the label (README: summary keywords). The value shown is that
// field's display text.
struct LabelField {
  WORD first;
  WORD last;
  WORD field;
};
constexpr LabelField kLabelFields[] = {
    {1001, 1001, fid::dmPaperSize},           {1002, 1002, fid::dmDefaultSource},
    {1004, 1004, fid::kdmMediaType},          {1006, 1008, fid::kdmScaleType},
    {1009, 1009, fid::dmOrientation},         {1010, 1011, fid::kdmFuncSelectCover},
    {1015, 1015, fid::kdmPrnMethod},          {1016, 1017, fid::kdmFuncSelectMark},
    {1020, 1020, fid::kdmFuncSelectNup},      {1021, 1036, fid::kdmFuncSelectWaterMark},
    {13075, 13076, fid::kdmFuncSelectWaterMark}, {1037, 1053, fid::kdmFuncSelectMargin},
    {13077, 13077, fid::kdmFuncSelectMargin}, {13163, 13179, fid::kdmFuncSelectCopyProtect},
    {1054, 1054, fid::kdmFuncSelectDuplex},   {1055, 1055, fid::kdmFuncSelectSort},
    {1056, 1056, fid::dmCopies},              {1057, 1057, fid::dmCollate},
    {1058, 1058, fid::kdmEmulation},          {1147, 1147, fid::kdmExtOutput2SeparationSheet},
    {13377, 13385, fid::kdmOutPaperSize},     {13386, 13403, fid::kdmPrnMethod},
    {13405, 13406, fid::kdmFuncSelectWaterMark}, {13410, 13461, fid::kdmLock000InfoBitDefault},
};

WORD ItemOf(const SettingFieldDef* fields, WORD id) {
  if (!id) return 0;
  if (id > 8000 && id < 10000) return static_cast<WORD>(id - 8000);
  for (int i = 0; fields && i < 1989; ++i)
    if (fields[i].id == id) return fields[i].itemId;
  return 0;
}

WORD LabelKeyword(const SettingFieldDef* fields, WORD label) {
  for (const LabelField& r : kLabelFields)
    if (label >= r.first && label <= r.last) return ItemOf(fields, r.field);
  return 0;
}

struct Lists {
  std::vector<SummaryEntry> entries[4];
  SummaryList* lists;
};

const Lists& Built() {
  static Lists lists{{}, g_summaryEditLists};
  static std::once_flag once;
  std::call_once(once, [] {
    const SettingFieldDef* fields = GetBuiltInFields();
    std::vector<SummaryEntry> status;
    for (const Named& n : kStatus) status.push_back({n.label, ItemOf(fields, n.fieldA), ItemOf(fields, n.fieldB)});
    std::vector<SummaryEntry> version;
    for (const Named& n : kVersion) version.push_back({n.label, ItemOf(fields, n.fieldA), ItemOf(fields, n.fieldB)});
    std::vector<SummaryEntry> preset;
    for (WORD l : kPresetLabels) preset.push_back({l, 0, LabelKeyword(fields, l)});
    std::vector<SummaryEntry> lock;
    for (WORD l : kLockLabels) lock.push_back({l, 0, LabelKeyword(fields, l)});
    lock.insert(lock.end(), status.begin(), status.end());
    lists.entries[0] = std::move(preset);
    lists.entries[1] = std::move(status);
    lists.entries[2] = std::move(version);
    lists.entries[3] = std::move(lock);
    for (int i = 0; i < 4; ++i) {
      lists.lists[i] = SummaryList{};
      lists.lists[i].type = 4;
      lists.lists[i].count = static_cast<WORD>(lists.entries[i].size());
      lists.lists[i].entries = lists.entries[i].data();
    }
  });
  return lists;
}

}  // namespace

SummaryList g_summaryEditLists[4] = {{4, {}, 0, {}, nullptr}, {4, {}, 0, {}, nullptr}, {4, {}, 0, {}, nullptr},
                                     {4, {}, 0, {}, nullptr}};

const SummaryList* GetBuiltInSummaryList(WORD controlId) {
  switch (controlId) {
    case 2148: return &Built().lists[0];
    case 2248: return &Built().lists[1];
    case 3086: return &Built().lists[2];
    case 3164: return &Built().lists[3];
    default: return nullptr;
  }
}
