#include "modules/tray_tables.h"

#include "fields/field_access.h"
#include "field_ids.h"

namespace {

constexpr TrayFieldValue kOneStepOff[] = {{fid::kdm1StepOptionNum, 0}, {0, 0}};
constexpr TrayFieldValue kOneStepBackToTwo[] = {{fid::kdm1StepOptionNum, 2}, {0, 0}};
constexpr TrayFieldValue kMemory604[] = {{fid::kdmMemoryType, 254}, {fid::kdmPrinterMemory, 604}, {0, 0}};
constexpr TrayFieldValue kMemory607[] = {{fid::kdmMemoryType, 254}, {fid::kdmPrinterMemory, 607}, {0, 0}};
constexpr TrayFieldValue kMemory609[] = {{fid::kdmMemoryType, 254}, {fid::kdmPrinterMemory, 609}, {0, 0}};
constexpr TrayFieldValue kMemory612[] = {{fid::kdmMemoryType, 254}, {fid::kdmPrinterMemory, 612}, {0, 0}};
constexpr TrayFieldValue kMemory613[] = {{fid::kdmMemoryType, 254}, {fid::kdmPrinterMemory, 613}, {0, 0}};

constexpr WORD kOneStep = fid::kdmSourceOptionType1Step;
constexpr WORD kSteps = fid::kdm1StepOptionNum;
constexpr WORD kMemType = fid::kdmMemoryType;
constexpr WORD kMemory = fid::kdmPrinterMemory;

const TrayOptionRow kOptionRows[] = {
    {143, kOneStep, 1, kSteps, 1, nullptr, nullptr, nullptr, kOneStepOff, 1, 1},
    {144, kOneStep, 1, kSteps, 2, nullptr, nullptr, nullptr, kOneStepOff, 1, 1},
    {146, fid::kdmSourceOptionTypeDuplex, 1, 0, 0, nullptr, nullptr, nullptr, nullptr, 0, 1},
    {145, fid::kdmOutputOptionTypeHDD, 1, 0, 0, nullptr, nullptr, nullptr, nullptr, 0, 1},
    {607, kMemType, 254, kMemory, 607, nullptr, nullptr, nullptr, kMemory607, 0, 0},
    {609, kMemType, 254, kMemory, 609, nullptr, nullptr, nullptr, kMemory609, 0, 0},
    {613, kMemType, 254, kMemory, 613, nullptr, nullptr, nullptr, kMemory613, 0, 0},
    {606, kMemType, 254, kMemory, 606, nullptr, nullptr, nullptr, kMemory604, 0, 0},
    {608, kMemType, 254, kMemory, 608, nullptr, nullptr, nullptr, kMemory604, 0, 0},
    {612, kMemType, 254, kMemory, 612, nullptr, nullptr, nullptr, kMemory612, 0, 0},
    {365, kOneStep, 1, kSteps, 3, nullptr, nullptr, nullptr, kOneStepBackToTwo, 1, 1},
    {273, kOneStep, 1, kSteps, 4, nullptr, nullptr, nullptr, kOneStepBackToTwo, 1, 1},
    {0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr, 0, 0},
};

const TrayIndexRow kIndexRows[] = {
    {0, 2, 13445},      {1, 3, 3},          {2, 5, 5},          {3, 6, 6},          {25, 7, 7},
    {25, 169, 169},     {27, 4, 4},         {27, 618, 618},     {28, 8, 8},         {25, 800, 800},
    {25, 801, 801},     {29, 823, 823},     {4, 439, 439},      {5, 839, 839},      {6, 837, 837},
    {3, 865, 865},      {4, 866, 866},      {16, 13260, 13260}, {17, 13261, 13261}, {18, 13262, 13262},
    {19, 13263, 13263}, {14, 13738, 13738}, {15, 13663, 13663}, {14, 13254, 13254}, {15, 13255, 13255},
    {13, 13364, 13364}, {286, 13551, 13551}, {299, 13552, 13552}, {1, 13624, 13624}, {2, 13625, 13625},
    {3, 13626, 13626},  {4, 13627, 13627},  {0, 0, 0},
};

// No two tray values of the built-in trays stand for one tray that the rules could disable
// apart, so the pair table holds only its end row.
const WORD kPairs[][2] = {{0, 0}};

void WriteList(DriverContext* context, const TrayFieldValue* list) {
  for (; list && list->fieldId; ++list)
    WriteFieldRawById(context, static_cast<WORD>(list->fieldId), static_cast<DWORD>(list->value));
}

}  // namespace

const TrayOptionRow* TrayOptionTable() { return kOptionRows; }
const TrayIndexRow* TrayIndexTable() { return kIndexRows; }
const WORD (*TrayPairTable())[2] { return kPairs; }

// One table serves every model.
const TrayOptionRow* FindTrayRow(WORD value, int) {
  if (!value) return nullptr;
  for (const TrayOptionRow* r = kOptionRows; r->key; ++r)
    if (r->key == value) return r;
  return nullptr;
}

const TrayIndexRow* FindTrayIndexRow(WORD value) {
  if (!value) return nullptr;
  for (const TrayIndexRow* r = kIndexRows; r->value; ++r)
    if (r->value == value) return r;
  return nullptr;
}

int TrayIndexOfValue(WORD value) {
  const TrayIndexRow* r = FindTrayIndexRow(value);
  return r ? r->index : kIndexRows[0].index;
}

WORD TrayFieldOf(int t, TrayField kind) {
  // Indexes past the per-tray fields (286 and 299 among the built-in rows) would land in
  // the fields that follow, the lock words among them: such trays have none.
  if (t < 0 || t >= kPerTrayFields) return 0;
  switch (kind) {
    case TrayField::Present: return static_cast<WORD>(fid::kdmTrayField0 + t);
    case TrayField::Orientation: return static_cast<WORD>(fid::kdmTrayOrient0 + t);
    case TrayField::Paper: return static_cast<WORD>(fid::kdmTray1Paper + t);
    case TrayField::Media: return static_cast<WORD>(fid::kdmTray1Paper + kPerTrayFields + t);
    case TrayField::Lock: return static_cast<WORD>(fid::kdmTrayLock0 + t);
  }
  return 0;
}

bool IsTrayRowOn(DriverContext* context, const TrayOptionRow* row) {
  if (!row) return false;
  if (ReadFieldRawById(context, row->fieldId) != static_cast<DWORD>(row->value)) return false;
  return !row->secondFieldId ||
         ReadFieldRawById(context, row->secondFieldId) == static_cast<DWORD>(row->secondValue);
}

bool IsTrayRowLocked(DriverContext* context, const TrayOptionRow* row) {
  return row && row->lock && ReadFieldRawById(context, row->lock->fieldId) == static_cast<DWORD>(row->lock->value);
}

namespace {

DWORD FlagsOf(const TrayOptionRow* row) {
  return (row->rebuildTrays ? TRAY_REBUILD : 0u) | (row->repaintList ? TRAY_REPAINT : 0u);
}

void SwitchOn(DriverContext* context, const TrayOptionRow* row) {
  WriteFieldRawById(context, row->fieldId, static_cast<DWORD>(row->value));
  if (row->secondFieldId) WriteFieldRawById(context, row->secondFieldId, static_cast<DWORD>(row->secondValue));
  WriteList(context, row->onList);
}

}  // namespace

DWORD ApplyTrayDependencies(DriverContext* context, const TrayOptionRow* row) {
  DWORD flags = 0;
  for (const TrayOptionRow* r = kOptionRows; r->key; ++r) {
    if (!r->dependencies || !IsTrayRowOn(context, r)) continue;
    bool anyOn = false;
    for (const TrayDependency* d = r->dependencies; d->key; ++d)
      if (IsTrayRowOn(context, FindTrayRow(d->key, 0))) anyOn = true;
    if (anyOn || !r->dependencies[0].key) continue;
    const TrayOptionRow* first = FindTrayRow(r->dependencies[0].key, 0);
    const TrayOptionRow* pick = first;
    if (first == row && r->dependencies[1].key) pick = FindTrayRow(r->dependencies[1].key, 0);
    if (!pick) continue;
    SwitchOn(context, pick);
    flags |= FlagsOf(pick);
  }
  return flags;
}

DWORD SwitchTrayOptionLine(DriverContext* context, const TrayOptionRow* row) {
  if (!context || !row || IsTrayRowLocked(context, row)) return 0;
  if (!IsTrayRowOn(context, row)) {
    SwitchOn(context, row);
  } else {
    WriteFieldRawById(context, row->fieldId, static_cast<DWORD>(1 - row->value));
    WriteList(context, row->offList);
  }
  return FlagsOf(row) | ApplyTrayDependencies(context, row);
}
