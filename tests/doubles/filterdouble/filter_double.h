// Control calls of the filter plug-in double (FilterDouble.so and its variants). As with
// the output double, a test keeps the double loaded itself and steers it through these
// exports. The interface it hands out is the eight-slot table of filter_interface.h.
//
// The log has one line per call, in call order:
//   GetInterface version=<v> -> <ok>
//   Open paths=<p1>|<p2>|... -> <ok> handle=<h>
//   StartDoc handle=<h> printer=<p> job=<n>
//   Write handle=<h> length=<n> -> <written> <ok>
//   StartPage / EndPage (-> ok) / EndDoc / Close handle=<h>
//   Dispose
// With passOn set, the filter loads the last path of its list (the output DLL) at StartDoc
// and passes the document, its pages and its bytes on to it.
#pragma once

#include "win/types.h"

struct FilterDoubleConfig {
  BOOL refuseInterface;  // IKOVAGetInterface answers FALSE
  BOOL refuseOpen;       // open answers FALSE
  BOOL refuseEndPage;    // end page answers FALSE
  DWORD failWriteAt;     // this write (1-based) answers FALSE; 0: never
  BOOL passOn;           // pass the stream on to the output DLL at the end of the path list
};

using FilterDoubleResetProc = void (*)();
using FilterDoubleConfigureProc = void (*)(const FilterDoubleConfig* config);
using FilterDoubleLogProc = DWORD (*)(char* buffer, DWORD size);
using FilterDoubleBytesProc = DWORD (*)(BYTE* buffer, DWORD size);

constexpr DWORD kFilterDoubleHandle = 0x2A0;
