// The small built-in model tables and their getters.
#include "model/model_tables.h"

#include <cstring>

#include "base/driver_context.h"
#include "fields/field_access.h"
#include "fields/field_table.h"
#include "model/units.h"
#include "field_ids.h"

namespace {

constexpr WORD N = kNoFinisherCode;

const FinisherCodeRow kFinisherCodes[] = {
    {10049, N, 5},   {10050, N, 7},                                        // Fin1000, Fin3000
    {10058, 31, 32}, {10059, 33, 34}, {10060, N, 36}, {10061, 37, 38},    // Fin2000, FinBF, 14, 15
    {10074, 31, 32}, {10075, 31, 32}, {10076, 31, 32}, {10077, 31, 32},   // Fin2000 variants
    {10078, 6, 7},   {10079, 6, 7},   {10080, 6, 7},   {10081, 6, 7},     // Fin3000 variants
    {10082, 39, 40}, {10083, 42, 43}, {10084, 44, 45},                     // FinMF, Fin50, Fin100
    {10086, 39, 40}, {10087, 39, 40}, {10088, 39, 40}, {10089, 39, 40},   // FIN1
    {10090, 42, 43}, {10091, 42, 43}, {10092, 42, 43}, {10093, 42, 43},   // FIN2
    {10094, 44, 45}, {10095, 44, 45}, {10096, 44, 45}, {10097, 44, 45},   // FIN3
    {10098, N, 33},  {10099, N, 33},  {10100, N, 33},  {10101, N, 33},    // FIN4
    {10102, N, 33},  {10103, N, 33},                                       // Fin1Dom, Fin2Dom
    {0xFFFF, 0, 0},
};

const FieldControlRow kFieldControls[kFieldControlRowCount] = {
    {13, 1002, 2007}, {54, 1002, 2064}, {53, 1002, 2066},   {8, 1002, 2017},   {46, 1002, 2053}, {209, 1002, 2041},
    {65, 1042, 2071}, {64, 1042, 2073}, {128, 1038, 2633}, {129, 1038, 2635}, {37, 1001, 2001},
};

// Empty in this product: the first entry is 0.
const DWORD kFitPapers[] = {0};
constexpr DWORD kFitPaperMarker = 1027;

const PagesPerSheetRow kPagesPerSheet[kPagesPerSheetCount] = {{0, 1}, {1, 2}, {2, 4}, {3, 9}, {4, 16}};

const DWORD kTwoWayQueryCodes[kTwoWayQueryCodeCount] = {132, 133, 134, 142, 137, 138, 12, 145};

// Trays of the two-way tray tables and the tray numbers the printer reports for them.
constexpr WORD kTwoWayTrays[] = {1, 2, 2, 3, 4, 6, 7, 26, 26, 28, 29, 30, 14};
constexpr DWORD kTwoWayTrayNumbers[] = {3, 4, 12, 5, 6, 8, 9, 7, 11, 1, 2, 101, 70};
constexpr int kTwoWayTrayCount = sizeof kTwoWayTrays / sizeof kTwoWayTrays[0];
static_assert(kTwoWayTrayCount == sizeof kTwoWayTrayNumbers / sizeof kTwoWayTrayNumbers[0]);

// The field of tray 1 in each group (tray n is that field + n - 1).
constexpr WORD kTrayGroupBases[] = {10111, 10143, 10175, 10207, 10239};

struct TrayTables {
  CodePair rows[5][kTwoWayTrayCount + 1];
  constexpr TrayTables() : rows{} {
    for (int g = 0; g < 5; ++g) {
      for (int i = 0; i < kTwoWayTrayCount; ++i) {
        rows[g][i] = CodePair{static_cast<DWORD>(kTrayGroupBases[g] + kTwoWayTrays[i] - 1), kTwoWayTrayNumbers[i]};
      }
      rows[g][kTwoWayTrayCount] = CodePair{0, 0};
    }
  }
};
constexpr TrayTables kTrayTables;
static_assert(kTrayTables.rows[2][12].first == 10188 && kTrayTables.rows[2][12].second == 70);

const CodePair kTrayCodes[] = {{1, 3},  {3, 4},  {5, 12}, {2, 5},   {256, 6},   {262, 8},   {263, 9},
                               {11, 11}, {11, 7}, {4, 1},  {4, 2},   {286, 101}, {298, 70},  {0, 0}};

const CodePair kTwoWayOptionCodes[] = {{10021, 16}, {10014, 1}, {10070, 3}, {10023, 106}, {10023, 105}, {0, 0}};

const FieldValue kStepOff0[] = {{fid::kdm1StepOptionNum, 0}, {0, 0}};
const FieldValue kStepOff2[] = {{fid::kdm1StepOptionNum, 2}, {0, 0}};
const FieldValue kMemory607[] = {{fid::kdmMemoryType, 254}, {fid::kdmPrinterMemory, 607}, {0, 0}};
const FieldValue kMemory609[] = {{fid::kdmMemoryType, 254}, {fid::kdmPrinterMemory, 609}, {0, 0}};
const FieldValue kMemory613[] = {{fid::kdmMemoryType, 254}, {fid::kdmPrinterMemory, 613}, {0, 0}};
const FieldValue kMemory604[] = {{fid::kdmMemoryType, 254}, {fid::kdmPrinterMemory, 604}, {0, 0}};
const FieldValue kMemory612[] = {{fid::kdmMemoryType, 254}, {fid::kdmPrinterMemory, 612}, {0, 0}};

const OptionDependencyRow kDependencies[] = {
    {143, fid::kdmSourceOptionType1Step, 1, fid::kdm1StepOptionNum, 1, nullptr, nullptr, nullptr, kStepOff0, 1, 1},
    {144, fid::kdmSourceOptionType1Step, 1, fid::kdm1StepOptionNum, 2, nullptr, nullptr, nullptr, kStepOff0, 1, 1},
    {146, fid::kdmSourceOptionTypeDuplex, 1, 0, 0, nullptr, nullptr, nullptr, nullptr, 0, 1},
    {145, fid::kdmOutputOptionTypeHDD, 1, 0, 0, nullptr, nullptr, nullptr, nullptr, 0, 1},
    {607, fid::kdmMemoryType, 254, fid::kdmPrinterMemory, 607, nullptr, nullptr, nullptr, kMemory607, 0, 0},
    {609, fid::kdmMemoryType, 254, fid::kdmPrinterMemory, 609, nullptr, nullptr, nullptr, kMemory609, 0, 0},
    {613, fid::kdmMemoryType, 254, fid::kdmPrinterMemory, 613, nullptr, nullptr, nullptr, kMemory613, 0, 0},
    {606, fid::kdmMemoryType, 254, fid::kdmPrinterMemory, 606, nullptr, nullptr, nullptr, kMemory604, 0, 0},
    {608, fid::kdmMemoryType, 254, fid::kdmPrinterMemory, 608, nullptr, nullptr, nullptr, kMemory604, 0, 0},
    {612, fid::kdmMemoryType, 254, fid::kdmPrinterMemory, 612, nullptr, nullptr, nullptr, kMemory612, 0, 0},
    {365, fid::kdmSourceOptionType1Step, 1, fid::kdm1StepOptionNum, 3, nullptr, nullptr, nullptr, kStepOff2, 1, 1},
    {273, fid::kdmSourceOptionType1Step, 1, fid::kdm1StepOptionNum, 4, nullptr, nullptr, nullptr, kStepOff2, 1, 1},
    {0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr, 0, 0},
};

const PaperValueRow kPaperValues[] = {{0, 0, 0}};

// The product's identifier texts for kdmOther (14 characters each), and the model of the
// family that takes the second one.
constexpr char kProductIdentifier[] = "KOVA-DRV-90200";
constexpr char kOtherModelIdentifier[] = "KOVA-PRO-C9600";
constexpr char16_t kOtherModelName[] = u"KOVA Pro C9600";
static_assert(sizeof kProductIdentifier == 15 && sizeof kOtherModelIdentifier == 15);

}  // namespace

const FinisherCodeRow* GetFinisherCodeTable() { return kFinisherCodes; }

const FinisherCodeRow* FindFirstSetItem(DriverContext* context) {
  const FinisherCodeRow* row = kFinisherCodes;
  for (; row->fieldId != 0xFFFF; ++row) {
    if (ReadFieldRawById(context, row->fieldId) != 0) return row;
  }
  return row;
}

int IsValueInPairList(WORD code, char selector) {
  for (const FinisherCodeRow* row = kFinisherCodes; row->fieldId != 0xFFFF; ++row) {
    if ((selector == ' ' ? row->secondCode : row->firstCode) == code) return 1;
  }
  return 0;
}

const FieldControlRow* GetFieldControlTable() { return kFieldControls; }

const DWORD* GetFitPaperList() { return kFitPapers; }

int IsPaperSizeInList(DriverContext* context, DWORD paper) {
  const int defaultPaper = GetDefaultOutputPaper(context);
  const DWORD* p = kFitPapers;
  if (defaultPaper != 9 && defaultPaper != 1) {
    // The second part: after the marker.
    while (*p != 0 && *p != kFitPaperMarker) ++p;
    if (*p == 0) return 0;
    ++p;
  }
  for (; *p != 0 && *p != kFitPaperMarker; ++p) {
    if (*p == paper) return 1;
  }
  return 0;
}

int IsNotPage1020Or1025(WORD pageId) { return pageId == 1020 || pageId == 1025 ? 0 : 1; }
int IsBuildFlagOn() { return 1; }
int IsBuildFlagOff() { return 0; }

const PagesPerSheetRow* GetPagesPerSheetList() { return kPagesPerSheet; }
const DWORD* GetTwoWayQueryCodes() { return kTwoWayQueryCodes; }

const CodePair* GetTwoWayTrayTable(TwoWayTrayTable which) {
  return which >= kTrayTableFields && which <= kTrayTableLocks ? kTrayTables.rows[which] : nullptr;
}
const CodePair* GetTwoWayTrayCodeTable() { return kTrayCodes; }
const CodePair* GetTwoWayOptionCodeTable() { return kTwoWayOptionCodes; }

const OptionDependencyRow* GetTrayDependencyTable(DWORD) { return kDependencies; }

const PaperValueRow* GetPaperValueTable() { return kPaperValues; }

void UpdateQualityFromResolution(DWORD resolution, DriverContext* context) {
  if (!context) return;
  if (ReadFieldRawById(context, fid::kdmLock000InfoBitResolution) == 1 || ReadFieldRawById(context, fid::kdmUseUserMacro) != 0) return;
  const bool standard = resolution == 200 || resolution == 300 || resolution == 400 || resolution == 600;
  WriteFieldRawById(context, fid::kdmBalanceMacro, standard ? 17 : 18);
}

void SetModelDeviceString(DriverContext* context) {
  if (!context) return;
  SettingField* field = FindFieldById(context, fid::kdmOther);
  if (!field) return;
  const char* text = kProductIdentifier;
  if (context->work) {
    const WCHAR* model = context->work->modelName;
    if (std::memcmp(model, kOtherModelName, sizeof kOtherModelName) == 0) text = kOtherModelIdentifier;
  }
  char buffer[64] = {};
  const DWORD size = FieldSizeOf(field->type);
  if (size > sizeof buffer) return;
  const std::size_t n = std::strlen(text);
  if (size == 0) return;
  std::memcpy(buffer, text, n < size - 1 ? n : size - 1);
  WriteFieldBlock(context, field, buffer);
}

void UpdateItem10110(WORD feature, DWORD code, DWORD* previousChoice, DriverContext* context) {
  if (feature != fid::kdmSourceOptionType1Step || !previousChoice || !context) return;
  const DWORD previous = *previousChoice;
  DWORD result = 0;
  const DWORD addressType = ReadFieldRawById(context, fid::kdmAddressType);
  if (addressType == 1) {
    if (code == 105 && previous == 0) result = 1;
    else if (code == 106 && (previous == 0 || previous == 1)) result = 2;
  } else if (addressType == 0) {
    if (code == 105 && (previous == 0 || previous == 1)) result = 3;
    else if (code == 106 && (previous == 0 || previous == 1 || previous == 3)) result = 4;
  }
  if (result == 0) return;
  WriteFieldRawById(context, fid::kdm1StepOptionNum, result);
  *previousChoice = result;
}
