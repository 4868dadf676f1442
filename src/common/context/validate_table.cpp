#include "context/validate_table.h"

#include <array>

#include "stored/devmode_checks.h"
#include "base/driver_context.h"
#include "fields/field_access.h"
#include "model/field_checks.h"
#include "fields/field_table.h"
#include "fields/languages.h"
#include "fields/product_record.h"
#include "model/units.h"
#include "model/value_sets.h"

namespace {

using H = VodHandler;

struct SparseRow {
  WORD id;
  H handler;
  std::int32_t defaultValue;
};

// Rows with a handler; every other row of the table has none and default 0.
constexpr SparseRow kHandledRows[] = {
    // Value lists.
    {36, H::ValueList, 1}, {54, H::ValueList, 1}, {87, H::ValueList, 2}, {88, H::ValueList, 0},
    {91, H::ValueList, 1}, {92, H::ValueList, 1}, {93, H::ValueList, 1}, {94, H::ValueList, 3},
    {95, H::ValueList, 1}, {108, H::ValueList, 2}, {109, H::ValueList, 4}, {110, H::ValueList, 6},
    {111, H::ValueList, 0}, {112, H::ValueList, 5}, {113, H::ValueList, 0}, {117, H::ValueList, 1},
    {119, H::ValueList, 2}, {120, H::ValueList, 0}, {121, H::ValueList, 0}, {122, H::ValueList, 0},
    {124, H::ValueList, 0}, {126, H::ValueList, 0}, {128, H::ValueList, 0}, {129, H::ValueList, 0},
    {130, H::ValueList, 0}, {131, H::ValueList, 0}, {132, H::ValueList, 1}, {133, H::ValueList, 1},
    {134, H::ValueList, 0}, {135, H::ValueList, 0}, {136, H::ValueList, 0}, {137, H::ValueList, 257},
    {174, H::ValueList, 0}, {175, H::ValueList, 0}, {176, H::ValueList, 0}, {177, H::ValueList, 0},
    {178, H::ValueList, 18}, {179, H::ValueList, 32}, {180, H::ValueList, 1}, {181, H::ValueList, 0},
    {182, H::ValueList, 1}, {199, H::ValueList, 0}, {200, H::ValueList, 0}, {201, H::ValueList, 255},
    {209, H::ValueList, 0}, {227, H::ValueList, 0}, {228, H::ValueList, 0}, {229, H::ValueList, 0},
    {232, H::ValueList, 1}, {242, H::ValueList, 0}, {243, H::ValueList, 0}, {398, H::ValueList, 0},
    {404, H::ValueList, 1}, {405, H::ValueList, 1}, {406, H::ValueList, 1}, {407, H::ValueList, 1},
    // Value lists whose default comes from elsewhere.
    {38, H::ValueListQuality, 600}, {39, H::ValueListQuality, 600},
    {171, H::ValueListProduct, 0}, {173, H::ValueListProduct, 0},
    // Ranges.
    {37, H::Range, 0}, {46, H::Range, 1024}, {89, H::Range, 100}, {90, H::Range, 100},
    {98, H::Range, 0}, {99, H::Range, 0}, {116, H::Range, 10}, {123, H::Range, 7},
    {125, H::Range, 7}, {127, H::Range, 7}, {138, H::Range, 0}, {139, H::Range, 0},
    {140, H::Range, 0}, {141, H::Range, 0}, {142, H::Range, 0}, {143, H::Range, 0},
    {399, H::Range, 5}, {400, H::Range, 5}, {401, H::Range, 5}, {402, H::Range, 5},
    {411, H::Range, 1},
    // Ranges with a default of their own.
    {35, H::MachineId, 0}, {169, H::LanguageId, 0}, {170, H::DisplayLanguageId, 0},
    {53, H::KeepAny, 0},
    // Resets.
    {55, H::Reset, 0}, {56, H::Reset, 0}, {57, H::Reset, 0}, {58, H::Reset, 0},
    {59, H::Reset, 0}, {60, H::Reset, 0}, {61, H::Reset, 1}, {62, H::Reset, 0},
    {63, H::Reset, 0}, {64, H::Reset, 0}, {65, H::Reset, 0}, {66, H::Reset, 0},
    {67, H::Reset, 0}, {68, H::Reset, 0}, {69, H::Reset, 0}, {100, H::Reset, 0},
    {101, H::Reset, 0}, {102, H::Reset, 0}, {103, H::Reset, 0}, {104, H::Reset, 0},
    {105, H::Reset, 0}, {106, H::Reset, 0}, {107, H::Reset, 0}, {144, H::Reset, 1},
    {145, H::Reset, 2}, {146, H::Reset, 4}, {147, H::Reset, 8}, {183, H::Reset, 0},
    {184, H::Reset, 0}, {211, H::Reset, 1}, {212, H::Reset, 2}, {213, H::Reset, 4},
    {214, H::Reset, 8}, {215, H::Reset, 16}, {216, H::Reset, 32}, {217, H::Reset, 64},
    {233, H::ResetCommandVersion, 16}, {445, H::Reset, 2}, {446, H::Reset, 3}, {512, H::Reset, 0},
    {513, H::Reset, 3}, {514, H::Reset, 0}, {515, H::Reset, 0}, {516, H::Reset, 0},
    {517, H::Reset, 0}, {518, H::Reset, 0}, {519, H::Reset, 0}, {520, H::Reset, 0},
    {522, H::Reset, 0}, {523, H::Reset, 0}, {526, H::Reset, 0}, {527, H::Reset, 100},
    {528, H::Reset, 0}, {529, H::Reset, 0}, {530, H::Reset, 0}, {531, H::Reset, 0},
    {562, H::Reset, 0}, {563, H::Reset, 0}, {600, H::Reset, 0}, {602, H::Reset, 1},
    {603, H::Reset, 1}, {611, H::Reset, 1027}, {612, H::Reset, 1}, {679, H::Reset, 3},
    {680, H::Reset, 2}, {687, H::Reset, 1}, {688, H::Reset, 1}, {689, H::Reset, 0},
    {690, H::Reset, 1}, {693, H::Reset, 5}, {694, H::Reset, 0}, {695, H::Reset, 0},
    {696, H::Reset, 0},
    // Handlers that do nothing.
    {118, H::Nothing, 0}, {172, H::Nothing, 0}, {202, H::Nothing, 0}, {207, H::Nothing, 0},
    {231, H::Nothing, 0},
};
static_assert(sizeof(kHandledRows) / sizeof(kHandledRows[0]) == 163, "163 rows have a handler");

constexpr DWORD RowIdAt(DWORD index) {
  if (index <= kVodLastDenseId - kVodFirstId) return kVodFirstId + index;
  if (index == kVodLastDenseId - kVodFirstId + 1) return 647;
  return 679 + (index - (kVodLastDenseId - kVodFirstId + 2));
}

constexpr std::array<ValidateOrDefaultRow, kValidateOrDefaultRows> BuildTable() {
  std::array<ValidateOrDefaultRow, kValidateOrDefaultRows> rows{};
  for (DWORD i = 0; i < kValidateOrDefaultRows; ++i) rows[i] = {RowIdAt(i), H::None, 0};
  for (const SparseRow& s : kHandledRows) {
    for (auto& r : rows) {
      if (r.fieldId == s.id) r = {s.id, s.handler, s.defaultValue};
    }
  }
  return rows;
}

constexpr std::array<ValidateOrDefaultRow, kValidateOrDefaultRows> kTable = BuildTable();
static_assert(kTable[0].fieldId == 35 && kTable[580].fieldId == 615);
static_assert(kTable[581].fieldId == 647 && kTable[582].fieldId == 679 && kTable[599].fieldId == 696);

constexpr int CountHandled() {
  int n = 0;
  for (const auto& r : kTable) n += r.handler != H::None ? 1 : 0;
  return n;
}
static_assert(CountHandled() == 163, "every handled row lies in the table");

std::int32_t Signed(DWORD v) { return static_cast<std::int32_t>(v); }

bool IsTrayValue(DWORD v) { return (v >= 1 && v <= 15) || IsValueAllowedForItem(13, v); }

// The kept values of a range row.
bool InRange(DriverContext* context, DWORD id, DWORD raw) {
  const std::int32_t v = Signed(raw);
  switch (id) {
    case 37: {
      const DWORD b = raw & 0xFF;  // one byte, read as stored
      return b <= 127 || b == 0xFF;
    }
    case 46:
      return (v >= 1 && v <= 118) || IsValueAllowedForItem(8, raw) || v == 1024;
    case 89:
    case 90:
      return v >= 20 && v <= 400;
    case 98:
    case 99: {
      const int resolution = Signed(ReadFieldRawById(context, 38));
      const int limit = UserUnitsToDots(kUnitTenthMm, 500, resolution);
      return raw <= static_cast<DWORD>(limit);
    }
    case 116:
      return v >= 6 && v <= 100;
    case 123:
    case 125:
    case 127:
      return IsTrayValue(raw);
    case 138: case 139: case 140: case 141: case 142: case 143:
      return v >= -50 && v <= 50;
    case 399: case 400: case 401: case 402:
      return v >= 1 && v <= 9;
    case 411:
      return v >= 1 && v <= 99;
    default:
      return false;
  }
}

DWORD QualityDefault(DriverContext* context, DWORD id) {
  const DWORD quality = ReadFieldRawById(context, 14);
  if (IsPrintQualityValid(quality, context)) return quality;
  const ProductRecord* product = ProductOf(context);
  return id == 38 ? product->defaultResolutionW : product->defaultResolutionH;
}

DWORD ProductByteDefault(DriverContext* context, DWORD id) {
  const ProductRecord* product = ProductOf(context);
  return id == 171 ? product->defaultDisplayUnit : product->defaultExtPrintArea;
}

}  // namespace

const ValidateOrDefaultRow* GetValidateOrDefaultTable() { return kTable.data(); }

const ValidateOrDefaultRow* FindValidateOrDefaultRow(DWORD fieldId) {
  if (fieldId >= kVodFirstId && fieldId <= kVodLastDenseId) return &kTable[fieldId - kVodFirstId];
  for (DWORD i = kVodLastDenseId - kVodFirstId + 1; i < kValidateOrDefaultRows; ++i) {
    if (kTable[i].fieldId == fieldId) return &kTable[i];
  }
  return nullptr;
}

void RunValidateOrDefaultRow(DriverContext* context, const ValidateOrDefaultRow& row, DWORD raw, DWORD mode) {
  const WORD id = static_cast<WORD>(row.fieldId);
  SettingField* field = FindFieldById(context, id);
  if (!field) return;
  const bool validate = mode == VOD_VALIDATE;
  const auto write = [&](DWORD value) { WriteFieldRaw(context, field, value); };
  const DWORD rowDefault = static_cast<DWORD>(row.defaultValue);
  switch (row.handler) {
    case H::None:
    case H::Nothing:
      return;
    case H::ValueList:
      if (!(validate && IsValueAllowedForItem(id, raw))) write(rowDefault);
      return;
    case H::ValueListQuality:
      if (!(validate && IsValueAllowedForItem(id, raw))) write(QualityDefault(context, id));
      return;
    case H::ValueListProduct:
      if (!(validate && IsValueAllowedForItem(id, raw))) write(ProductByteDefault(context, id));
      return;
    case H::Range:
      if (!(validate && InRange(context, id, raw))) write(rowDefault);
      return;
    case H::MachineId: {
      const DWORD machine = ProductOf(context)->machineId;
      if (!(validate && raw == machine)) write(machine);
      return;
    }
    case H::LanguageId:
      if (!(validate && IsKnownLanguageId(raw))) write(ProductOf(context)->defaultLanguage);
      return;
    case H::DisplayLanguageId:
      if (validate) {
        if (!IsKnownLanguageId(raw)) write(ProductOf(context)->defaultDisplayLanguage);
      } else {
        write(ReadFieldRawById(context, 169));
      }
      return;
    case H::KeepAny:
      if (!validate) write(rowDefault);
      return;
    case H::Reset:
      write(rowDefault);
      return;
    case H::ResetCommandVersion:
      write(ProductOf(context)->defaultCommandVersion);
      return;
  }
}

void ValidateOrDefaultAll(DriverContext* context, DWORD mode) {
  if (!context || !context->fields.records) return;
  for (WORD n = kVodFirstId; n <= kVodLastVisitedId; ++n) {
    // Ids 1-1555 sit at index id - 1 of the table.
    if (n > context->fields.count) break;
    SettingField* field = &context->fields.records[n - 1];
    const DWORD raw = ReadFieldRaw(context, field);
    const int status = CheckFieldValue(n, raw, context);
    if (status != FIELD_UNDESCRIBED || n > kVodLastDenseId) continue;
    const ValidateOrDefaultRow& row = kTable[n - kVodFirstId];
    if (row.handler != H::None) RunValidateOrDefaultRow(context, row, raw, mode);
  }
}
