#include "model/printer_option_table.h"

#include <deque>
#include <initializer_list>
#include <vector>

#include "base/driver_context.h"
#include "fields/field_access.h"
#include "base/memory.h"
#include "base/paths_and_names.h"
#include "model/units.h"
#include "field_ids.h"

const WCHAR kPrinterOptionModelA[] = u"KOVA Pro C9500";
const WCHAR kPrinterOptionModelB[] = u"KOVA Pro C9600";

namespace {

// ---- building the tables -----------------------------------------------------------------
// The records and their lists are built once into storage that never moves (deques of
// fixed vectors), so the pointers between them stay valid for the life of the process.

struct S {  // an implied setting
  WORD field;
  DWORD value;
};
struct C {  // a condition node
  WORD field;
  DWORD value;
  DWORD link;
};
struct V {  // a value
  DWORD value;
  const char* name;
  DWORD flags = 0;
  std::vector<S> sets = {};
  std::vector<C> cond = {};
};

class Builder {
 public:
  const OptionSettingNode* Settings(const std::vector<S>& sets) {
    if (sets.empty()) return nullptr;
    std::vector<OptionSettingNode>& nodes = settingLists_.emplace_back(sets.size());
    for (size_t i = 0; i < sets.size(); ++i) {
      const bool marked = sets[i].field == fid::kdmNUPPOSTKind || sets[i].field == fid::kdmBalanceMacro;
      nodes[i] = {i + 1 < sets.size() ? &nodes[i + 1] : nullptr, marked ? 1u : 0u, sets[i].field, sets[i].value};
    }
    return nodes.data();
  }
  const OptionConditionNode* Condition(const std::vector<C>& cond) {
    if (cond.empty()) return nullptr;
    std::vector<OptionConditionNode>& nodes = conditionLists_.emplace_back(cond.size());
    for (size_t i = 0; i < cond.size(); ++i) {
      nodes[i] = {i + 1 < cond.size() ? &nodes[i + 1] : nullptr, cond[i].link, cond[i].field, cond[i].value};
    }
    return nodes.data();
  }
  const PrinterOptionValueList* List(const std::vector<V>& values) {
    std::vector<PrinterOptionValue>& list = valueLists_.emplace_back(values.size());
    for (size_t i = 0; i < values.size(); ++i) {
      const V& v = values[i];
      list[i] = {v.flags, v.value, v.name, 0, Settings(v.sets), Condition(v.cond), 0};
    }
    return &lists_.emplace_back(PrinterOptionValueList{static_cast<DWORD>(list.size()), list.data()});
  }

 private:
  std::deque<std::vector<OptionSettingNode>> settingLists_;
  std::deque<std::vector<OptionConditionNode>> conditionLists_;
  std::deque<std::vector<PrinterOptionValue>> valueLists_;
  std::deque<PrinterOptionValueList> lists_;
};

// [a = x AND b = y]
std::vector<C> And(WORD a, DWORD x, WORD b, DWORD y) { return {{a, x, 1}, {b, y, 0}}; }

std::vector<V> PaperList(bool withB6) {
  std::vector<V> v = {{0, "NONE"},  {8, "A3"},   {9, "A4"},     {11, "A5"},         {70, "A6"},
                      {43, "JPOST"}, {82, "JPOSTD"}, {12, "JISB4"}, {13, "JISB5"},  {6, "HALFLETTER"},
                      {1, "LETTER"}, {5, "LEGAL"}, {3, "LEDGER"}, {256, "CUSTOM"}};
  if (withB6) v.insert(v.begin() + 9, V{88, "JISB6"});
  return v;
}

std::vector<V> ShortPaperList() {
  return {{0, "NONE"},  {8, "A3"},     {9, "A4"},     {11, "A5"},     {12, "JISB4"},
          {13, "JISB5"}, {1, "LETTER"}, {5, "LEGAL"}, {3, "LEDGER"}, {256, "CUSTOM"}};
}

std::vector<V> MediaList() {
  return {{300, "PLAINORRECYCLED"}, {301, "AUTO"},     {1, "PLAIN"},       {260, "RECYCLED"},
          {258, "SPECIAL"},         {264, "COLOR"},    {276, "ENVELOPE"},  {265, "LETTERHEAD"},
          {262, "LABELS"},          {2, "TRANSPARENCY"}, {292, "THICK"},   {293, "THICK2"},
          {1025, "CUSTOM1"},        {1026, "CUSTOM2"}, {1027, "CUSTOM3"},  {1028, "CUSTOM4"},
          {1029, "CUSTOM5"},        {1030, "CUSTOM6"}, {1031, "CUSTOM7"},  {1032, "CUSTOM8"}};
}

std::vector<PrinterOptionRecord> BuildRecords(Builder& b, int variant) {
  using namespace fid;
  std::vector<PrinterOptionRecord> r;
  auto add = [&](DWORD key, DWORD type, DWORD classes, DWORD kind, const char* name,
                 const PrinterOptionValueList* values, const OptionSettingNode* sets = nullptr) {
    r.push_back({key, 0, type, classes, kind, name, sets, values, nullptr});
  };
  const bool fourTrays = variant == 2;

  // COLLATE: sorting needs the hard disk or enough memory.
  std::vector<C> collate = {{kdmOutputOptionTypeHDD, 1, 0}};
  static const DWORD kCollateMemory[2][3] = {{160, 224, 352}, {192, 256, 384}};
  for (DWORD memory : kCollateMemory[variant == 0 ? 0 : 1]) collate.push_back({kdmPrinterMemory, memory, 0});
  add(kdmSortType, POT_LIST, 3, 0x1, "COLLATE",
      b.List({{1, "SORT", 0, {{kdmFuncSelectSort, 1}}, collate}, {0, "OFF", POV_OFF, {{kdmFuncSelectSort, 0}}}}));
  add(kdmOutputTrayID, POT_LIST, 3, 0x1, "OUTBIN", b.List({{0, "MANUAL", POV_ALIAS}}));
  if (!fourTrays) {
    add(dmDefaultSource, POT_LIST, 3, 0x1, "TRAY",
        b.List({{7, "ALL"},
                {1, "TRAY1"},
                {3, "TRAY2", 0, {}, And(kdmSourceOptionType1Step, 1, kdm1StepOptionNum, 1)},
                {3, "TRAY2", POV_ALIAS, {}, And(kdmSourceOptionType1Step, 1, kdm1StepOptionNum, 2)},
                {2, "TRAY3", 0, {}, And(kdmSourceOptionType1Step, 1, kdm1StepOptionNum, 2)},
                {4, "MULTI"}}));
  } else {
    add(dmDefaultSource, POT_LIST, 3, 0x1, "TRAY",
        b.List({{7, "ALL"},
                {1, "TRAY1"},
                {3, "TRAY2"},
                {2, "TRAY3", 0, {}, And(kdmSourceOptionType1Step, 1, kdm1StepOptionNum, 3)},
                {2, "TRAY3", POV_ALIAS, {}, And(kdmSourceOptionType1Step, 1, kdm1StepOptionNum, 4)},
                {256, "TRAY4", 0, {}, And(kdmSourceOptionType1Step, 1, kdm1StepOptionNum, 4)},
                {4, "MULTI"}}));
  }
  add(kdmFuncSelectDuplex, POT_LIST, 3, 0x1, "DUPLEX", b.List({{1, "ON"}, {0, "OFF"}}));
  add(kdmPrinterMemory, POT_NUMBER, 4, 0x1, "MEMORYSIZE", nullptr);
  add(kdmLogCode, POT_NUMBER, 4, 0x10, "USERCODE", nullptr, b.Settings({{kdmLogCodeUse, 1}}));

  add(kdmTray1Paper, POT_LIST, 4, 0x1, "TRAYPAPER1", b.List(PaperList(false)));
  add(kdmTray2Paper, POT_LIST, 4, 0x1, "TRAYPAPER2", b.List(fourTrays ? PaperList(false) : ShortPaperList()));
  add(kdmTray3Paper, POT_LIST, 4, 0x1, "TRAYPAPER3", b.List(ShortPaperList()));
  if (fourTrays) add(kdmTray4Paper, POT_LIST, 4, 0x1, "TRAYPAPER4", b.List(ShortPaperList()));
  add(kdmTray29PaperMulti, POT_LIST, 4, 0x1, "MULTIPAPER", b.List(PaperList(true)));

  const std::vector<V> orient = {{0, "PORTRAIT"}, {1, "LANDSCAPE"}};
  add(kdmTrayOrient0, POT_LIST, 4, 0x1, "TRAYPAPERORIENT1", b.List(orient));
  add(kdmTrayOrient1, POT_LIST, 4, 0x1, "TRAYPAPERORIENT2", b.List(orient));
  add(kdmTrayOrient2, POT_LIST, 4, 0x1, "TRAYPAPERORIENT3", b.List(orient));
  if (fourTrays) add(kdmTrayOrient3, POT_LIST, 4, 0x1, "TRAYPAPERORIENT4", b.List(orient));
  add(kdmTrayOrient28, POT_LIST, 4, 0x1, "MULTIPAPERORIENT", b.List(orient));

  add(kdmTray1Media, POT_LIST, 4, 0x1, "TRAYPAPERMEDIA1", b.List(MediaList()));
  add(kdmTray2Media, POT_LIST, 4, 0x1, "TRAYPAPERMEDIA2", b.List(MediaList()));
  add(kdmTray3Media, POT_LIST, 4, 0x1, "TRAYPAPERMEDIA3", b.List(MediaList()));
  if (fourTrays) add(kdmTray4Media, POT_LIST, 4, 0x1, "TRAYPAPERMEDIA4", b.List(MediaList()));
  add(kdmTray29MediaMulti, POT_LIST, 4, 0x1, "MULTIPAPERMEDIA", b.List(MediaList()));

  add(dmPaperSize, POT_LIST, 1, 0x1, "APLPAGESIZE",
      b.List({{267, "A0"},    {268, "A1"},     {66, "A2"},          {8, "A3"},     {9, "A4"},
              {11, "A5"},     {70, "A6"},      {43, "JPOST"},       {82, "JPOSTD"}, {270, "JISB1"},
              {271, "JISB2"}, {269, "JISB3"},  {12, "JISB4"},       {13, "JISB5"}, {88, "JISB6"},
              {6, "HALFLETTER"}, {1, "LETTER"}, {5, "LEGAL"},       {3, "LEDGER"}, {256, "CUSTOM"}}));
  add(dmOrientation, POT_LIST, 1, 0x1, "APLPAGELAYOUT", b.List({{1, "PORTRAIT"}, {2, "LANDSCAPE"}}));
  std::vector<V> outPaper = {{1024, "SAME"}, {8, "A3"},    {9, "A4"},         {11, "A5"},    {70, "A6"},
                             {43, "JPOST"},  {82, "JPOSTD"}, {12, "JISB4"},   {13, "JISB5"}, {88, "JISB6"},
                             {1, "LETTER"},  {5, "LEGAL"}, {6, "HALFLETTER"}, {3, "LEDGER"}, {448, "CUSTOM"}};
  for (DWORD code = 384; code <= 393; ++code) outPaper.push_back({code, "CUSTOM", POV_ALIAS});
  add(kdmOutPaperSize, POT_LIST, 3, 0x1, "PAPER", b.List(outPaper));
  add(dmCopies, POT_NUMBER, 1, 0x8, "COPIES", nullptr);
  add(kdmScaleType, POT_LIST, 1, 0x1, "SCALETYPE",
      b.List({{2, "PAPERDEFSCALE", 0, {{kdmFuncSelectScale, 1}}},
              {1, "PAPERSCALE", 0, {{kdmFuncSelectScale, 1}}},
              {0, "OFF", POV_OFF, {{kdmFuncSelectScale, 0}}}}));
  add(kdmScaleV, POT_NUMBER, 1, 0x8, "PAPERSCALEH", b.List({}));
  add(kdmScaleH, POT_NUMBER, 1, 0x8, "PAPERSCALEW", b.List({}));
  const std::vector<C> duplexOn = {{kdmFuncSelectDuplex, 1, 0}};
  // The side codes repeat in three groups: left, right, top; the later groups are aliases.
  std::vector<V> binding;
  static const char* const kBindingNames[] = {"LEFT", "RIGHT", "TOP"};
  const DWORD kBindingCodes[] = {3, 2, 1, 19, 18, 17, 22, 21, 20};
  for (int i = 0; i < 9; ++i) {
    binding.push_back({kBindingCodes[i], kBindingNames[i % 3], i >= 3 ? POV_ALIAS : 0u, {}, duplexOn});
  }
  add(kdmDuplexType, 0x10801, 1, 0x1, "BINDING", b.List(binding));
  add(kdmMarginOdd, POT_NUMBER, 1, 0x8, "MARGINODD", nullptr);
  add(kdmMarginEven, POT_NUMBER, 1, 0x8, "MARGINEVEN", nullptr);

  std::vector<V> nup;
  auto nupGroup = [&](DWORD kind, std::initializer_list<std::pair<DWORD, const char*>> values) {
    for (const auto& [code, name] : values) {
      nup.push_back({code, name, 0, {{kdmNUPPOSTKind, kind}, {kdmFuncSelectNup, 1}}});
    }
  };
  nupGroup(1, {{1, "2IN1P1"}, {2, "2IN1P2"}});
  nup.push_back({3, "2IN1P1", POV_ALIAS, {{kdmNUPPOSTKind, 1}, {kdmFuncSelectNup, 1}}});
  nupGroup(2, {{33, "4IN1P1"}, {37, "4IN1P2"}, {34, "4IN1P3"}, {38, "4IN1P4"}});
  nupGroup(3, {{65, "9IN1P1"}, {69, "9IN1P2"}, {66, "9IN1P3"}, {70, "9IN1P4"}});
  nupGroup(4, {{97, "16IN1P1"}, {101, "16IN1P2"}, {98, "16IN1P3"}, {102, "16IN1P4"}});
  nup.push_back({0, "OFF", POV_OFF, {{kdmFuncSelectNup, 0}}});
  add(kdmNUPType, POT_LIST, 1, 0x1, "NUP", b.List(nup));
  const std::vector<C> nupOn = {{kdmFuncSelectNup, 1, 0}};
  add(kdmNUPLine, POT_LIST, 1, 0x1, "NUPENCLOSURE", b.List({{1, "CHAINSTITCH", 0, {}, nupOn}, {0, "OFF", 0, {}, nupOn}}));
  add(kdmMediaType, POT_LIST, 1, 0x1, "MEDIATYPE", b.List(MediaList()));

  const std::vector<V> resolutions = {{600, "600", 0, {{kdmBalanceMacro, 17}, {kdmUseUserMacro, 0}}},
                                      {1200, "1200", 0, {{kdmBalanceMacro, 18}, {kdmUseUserMacro, 0}}}};
  add(kdmDstResolutionH, POT_LIST, 1, 0x1, "DSTRESOLUTIONH", b.List(resolutions));
  add(kdmDstResolutionW, POT_LIST, 1, 0x1, "DSTRESOLUTIONW", b.List(resolutions));
  add(dmYResolution, POT_LIST, 1, 0x1, "SRCRESOLUTIONH", b.List(resolutions));
  add(dmPrintQuality, POT_LIST, 1, 0x1, "SRCRESOLUTIONW", b.List(resolutions));
  add(dmColor, POT_LIST, 1, 0x1, "COLORSELECT", b.List({{1, "MONO"}}));
  const std::vector<C> duplexOff = {{kdmFuncSelectDuplex, 0, 0}};
  add(kdmShiftDir, POT_LIST, 1, 0x1, "SIMPLEXBINDING",
      b.List({{3, "LEFT", 0, {}, duplexOff}, {2, "RIGHT", 0, {}, duplexOff}, {1, "TOP", 0, {}, duplexOff},
              {4, "BOTTOM", 0, {}, duplexOff}}));
  add(0, 0x10100, 1, 0x1, "FORCEFEED", nullptr);
  add(724, 0x11001, 1, 0x1, "BOOKLET",
      b.List({{2, "BOOKLETF", 0, {}, duplexOn}, {1, "BOOKLETC", 0, {}, duplexOn}, {0, "OFF"}}));
  return r;
}

// The three tables, built on first use; they live until the module is unloaded.
struct Tables {
  Builder builder;
  std::vector<PrinterOptionRecord> records[3];
  PrinterOptionTable tables[3];

  Tables() {
    for (int v = 0; v < 3; ++v) {
      records[v] = BuildRecords(builder, v);
      tables[v] = {static_cast<DWORD>(records[v].size()), records[v].data()};
    }
  }
  Tables(const Tables&) = delete;
  Tables& operator=(const Tables&) = delete;
};

const Tables& GetTables() {
  static const Tables tables;
  return tables;
}

bool SameWide(const WCHAR* a, const WCHAR* b) {
  for (; *a && *a == *b; ++a, ++b) {
  }
  return *a == *b;
}

// The lock override rows: {key, lock bit field, locked value field}.
struct LockOverride {
  WORD key;
  WORD lockBit;
  WORD lockedValue;
};
constexpr LockOverride kLockOverrides[8] = {
    {fid::dmDefaultSource, fid::kdmLock000InfoBitTray, fid::wdmLock001Info},
    {fid::kdmMediaType, fid::kdmLock000InfoBitMedia, fid::wdmLock002Info},
    {fid::kdmNUPPOSTKind, fid::kdmLock000InfoBitNupKind, fid::wdmLock003Info},
    {0, fid::kdmLock000InfoBitNupKindAll, fid::wdmLock004Info},
    {fid::kdmFuncSelectDuplex, fid::kdmLock000InfoBitDuplex, fid::wdmLock005Info},
    {fid::kdmLockPrnMethod, fid::kdmLock000InfoBitPrintType, fid::wdmLock006Info},
    {fid::kdmLockDstResolutionBoth, fid::kdmLock000InfoBitResolution, fid::wdmLock007Info},
    {fid::dmColor, fid::kdmLock001InfoBitColor, fid::wdmLock008Info},
};

int CollectValues(DriverContext* context, WORD key, DWORD capacity, std::int32_t* out, DWORD* count,
                  bool skipOff) {
  DWORD ignored = 0;
  if (!count) count = &ignored;
  *count = 0;
  const PrinterOptionRecord* record = FindPrinterOptionRecord(context, key, POC_CAPABILITY);
  if (!record || !record->values || record->values->count == 0 || !record->values->values) return CAPS_OK;
  const PrinterOptionValueList& list = *record->values;
  auto* work = static_cast<std::int32_t*>(AllocMem(list.count * sizeof(std::int32_t)));
  if (!work) return CAPS_NO_MEMORY;
  DWORD n = 0;
  bool locked = false;
  for (const LockOverride& row : kLockOverrides) {
    if (row.key != record->key || ReadFieldRawById(context, row.lockBit) == 0) continue;
    const DWORD lockedValue = ReadFieldRawById(context, row.lockedValue);
    for (DWORD i = 0; i < list.count; ++i) {
      if (list.values[i].value == lockedValue) {
        work[n++] = static_cast<std::int32_t>(lockedValue);
        locked = true;
        break;
      }
    }
    if (locked) break;
  }
  if (!locked) {
    for (DWORD i = 0; i < list.count; ++i) {
      const PrinterOptionValue& v = list.values[i];
      if (!IsOptionValueAvailable(context, record, &v)) continue;
      if (skipOff && (v.flags & POV_OFF)) continue;
      work[n++] = static_cast<std::int32_t>(v.value);
    }
  }
  int status = CAPS_OK;
  if (n > 0) {
    *count = n;
    if (out && capacity >= n) {
      for (DWORD i = 0; i < n; ++i) out[i] = work[i];
    } else {
      status = CAPS_MORE;
    }
  }
  FreeMem(work);
  return status;
}

}  // namespace

const PrinterOptionTable* GetPrinterOptionTable(int variant) {
  if (variant < 0 || variant > 2) return nullptr;
  return &GetTables().tables[variant];
}

const PrinterOptionTable* GetModelParamRecord(DriverContext* context) {
  const Tables& t = GetTables();
  if (!context || !context->work) return &t.tables[0];
  const WCHAR* model = GetModelName(context);
  if (!model || !model[0]) return &t.tables[0];
  if (SameWide(model, kPrinterOptionModelA)) return &t.tables[1];
  if (SameWide(model, kPrinterOptionModelB)) return &t.tables[2];
  return &t.tables[0];
}

const PrinterOptionRecord* FindPrinterOptionRecord(DriverContext* context, WORD key, DWORD classMask) {
  if (key == 0) return nullptr;
  const PrinterOptionTable* table = GetModelParamRecord(context);
  for (DWORD i = 0; i < table->count; ++i) {
    const PrinterOptionRecord& r = table->records[i];
    if ((r.key & 0xFFFFu) != key || (r.classes & classMask) == 0) continue;
    if ((r.classes & POC_REQUIRE_CONDITIONS) && r.conditions && !MatchCapabilityConditions(context, r.conditions)) {
      continue;
    }
    return &r;
  }
  return nullptr;
}

int EvaluateConditionList(DriverContext* context, const OptionConditionNode* list) {
  int result = 1;
  const OptionConditionNode* n = list;
  while (n) {
    if (ReadFieldRawById(context, static_cast<WORD>(n->fieldId)) == n->value) {
      result = 1;
      if (n->link & 2u) {
        n = n->next;
        continue;
      }
      // Past the rest of the OR chain (and its alternative nodes) to the node that joins by
      // AND; the test after that one comes next.
      const OptionConditionNode* d = n;
      while (d && (d->link == 0 || (d->link & 2u))) d = d->next;
      if (!d) return 1;
      n = d->next;
    } else {
      result = 0;
      const OptionConditionNode* d = n;
      while (d && (d->link & 2u)) d = d->next;
      if (!d || d->link != 0) return 0;
      n = d->next;
    }
  }
  return result;
}

int IsOptionValueAvailable(DriverContext* context, const PrinterOptionRecord* record, const PrinterOptionValue* value) {
  if (!record || !value) return 0;
  if (!EvaluateConditionList(context, value->condition)) return 0;
  if (record->key != fid::kdmNUPType || !AnyLockBitSet(context) || !IsNupLocked(context)) return 1;
  if (value->value == 0) return 0;
  if (IsNupAllLocked(context)) return 1;
  if (!value->settings) return 1;
  return value->settings->value == ReadFieldRawById(context, fid::wdmLock003Info) ? 1 : 0;
}

int GetCapabilityValues(DriverContext* context, WORD key, DWORD capacity, std::int32_t* values, DWORD* count) {
  return CollectValues(context, key, capacity, values, count, false);
}

int HasCapabilityValue(DriverContext* context, WORD key) {
  DWORD count = 0;
  CollectValues(context, key, 0, nullptr, &count, true);
  return count > 0 ? 1 : 0;
}
