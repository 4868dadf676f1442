#include "model/resolution_table.h"

namespace {

constexpr ResolutionRecord kResolutionTable[kResolutionRowCount + 1] = {
    {6, 200, 200},   {1, 300, 300},   {2, 400, 400},   {3, 600, 600},    {4, 1200, 1200},
    {5, 2400, 2400}, {17, 600, 600},  {18, 600, 600},  {19, 600, 600},   {33, 150, 150},
    {34, 300, 300},  {35, 300, 300},  {36, 600, 600},  {37, 1200, 1200}, {20, 600, 600},
    {0, 0, 0},
};

}  // namespace

const ResolutionRecord* GetResolutionTable() { return kResolutionTable; }

const ResolutionRecord* FindResolutionRecord(WORD code) {
  if (code == 0) return nullptr;
  for (const ResolutionRecord* r = kResolutionTable; r->code; ++r) {
    if (r->code == code) return r;
  }
  return nullptr;
}

WORD FindResolutionCode(DWORD horizontal, DWORD vertical) {
  if (horizontal == 0 || vertical == 0) return 0;
  for (const ResolutionRecord* r = kResolutionTable; r->code; ++r) {
    if (r->horizontal == horizontal && r->vertical == vertical) return r->code;
  }
  return 0;
}

WORD FindResolutionCodeByDpi(DWORD dpi) {
  if (dpi == 0) return 0;
  for (const ResolutionRecord* r = kResolutionTable; r->code; ++r) {
    if (r->horizontal == dpi) return r->code;
  }
  return 0;
}

WORD NextResolutionCodeForDpi(DWORD dpi, WORD code) {
  if (dpi == 0) return 0;
  const ResolutionRecord* r = FindResolutionRecord(code);
  if (!r) return 0;
  for (++r; r->code; ++r) {
    if (r->horizontal == dpi) return r->code;
  }
  return 0;
}
