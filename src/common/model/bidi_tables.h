// Paper and media maps of the two-way printer query: {DEVMODE value, printer code} pairs
// that turn the printer's paper and media ids into the driver's codes. Each starts with the
// pair (2048, 0) (no paper or media) and ends with {0, 0}; the paper maps carry the free
// sizes as (2049, 1). The first row for a printer code wins.
#pragma once

#include "model/model_tables.h"

constexpr DWORD kBidiNothing = 2048;     // printer code 0: no paper or media
constexpr DWORD kBidiFreePaper = 2049;   // printer code 1: a free size

// The first paper map gives feed orientation 0; a printer code it lacks is looked up in the
// second, which gives orientation 1.
enum TwoWayPaperTable { kPaperTableFirst, kPaperTableSecond };
constexpr int kTwoWayPaperPairCount[2] = {62, 35};   // pairs before the terminator
constexpr int kTwoWayMediaPairCount = 61;

const CodePair* GetTwoWayPaperTable(TwoWayPaperTable which);
const CodePair* GetTwoWayMediaTable();
