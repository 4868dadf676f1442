// Control calls of the output library double (OutputDouble.so and its variants). A test
// loads the double itself (LoadLibraryW) to keep it, and its state, loaded while the
// driver loads and frees it; it then steers and reads it through these exports.
//
// The log is one line per call, in call order:
//   StartDocEx printer=<p> job=<n> -> <handle>     (StartDoc for the plain export)
//   Write handle=<h> length=<n> -> <written> <ok>
//   StartPage handle=<h> / EndPage handle=<h> / EndDoc handle=<h> / Close handle=<h>
// When the host environment variable KOVA_OUTPUTDOUBLE_LOG names a file, each line is also
// appended to it, and KOVA_OUTPUTDOUBLE_BYTES names a file that receives the bytes taken.
// A double loaded in another process starts with the configuration of the host environment:
// KOVA_OUTPUTDOUBLE_REFUSE (set: refuse the document), KOVA_OUTPUTDOUBLE_FAIL_WRITE and
// KOVA_OUTPUTDOUBLE_SHORT_WRITE (the numbers of OutputDoubleConfig).
#pragma once

#include "win/types.h"

struct OutputDoubleConfig {
  BOOL refuseStartDoc;  // the start-document export answers a null handle
  DWORD failWriteAt;    // this write call (1-based) answers FALSE and takes nothing; 0: never
  DWORD shortWriteAt;   // this write call takes one byte less than asked; 0: never
};

// Clears the log, the bytes and the configuration.
using OutputDoubleResetProc = void (*)();
using OutputDoubleConfigureProc = void (*)(const OutputDoubleConfig* config);
// Copies the log text (with a NUL) when it fits; answers the size it needs with the NUL.
using OutputDoubleLogProc = DWORD (*)(char* buffer, DWORD size);
// Copies the bytes taken by the writes when they fit; answers their count.
using OutputDoubleBytesProc = DWORD (*)(BYTE* buffer, DWORD size);

// The handle the start-document export hands out first (later documents count up).
constexpr DWORD kOutputDoubleFirstHandle = 0x100;
