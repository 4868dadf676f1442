#include "fields/neighbour_tables.h"

#include <iterator>

namespace {

constexpr NupKindRow kNupKinds[] = {{0, 1}, {1, 2}, {2, 4}, {3, 9}, {4, 16}};

constexpr SpecialCaseEntry kSpecialCases[] = {
    {13, 1002, 2007}, {54, 1002, 2064},  {53, 1002, 2066},  {8, 1002, 2017},   {46, 1002, 2053}, {209, 1002, 2041},
    {65, 1042, 2071}, {64, 1042, 2073}, {128, 1038, 2633}, {129, 1038, 2635}, {37, 1001, 2001},
};

}  // namespace

const NupKindRow* GetFixedList5(DWORD* count) {
  if (count) *count = static_cast<DWORD>(std::size(kNupKinds));
  return kNupKinds;
}

const SpecialCaseEntry* FindSpecialCaseEntry(WORD fieldId) {
  for (const SpecialCaseEntry& row : kSpecialCases)
    if (row.fieldId == fieldId) return &row;
  return nullptr;
}
