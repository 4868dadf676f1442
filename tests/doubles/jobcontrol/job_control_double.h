// Control calls of the job-control library double (JobControlDouble.so, installed by a test
// as Jobcora32.so). Beside the library's two exports (JCGetInterface, JCDisposeInterface) it
// exports these calls, which a test reaches after loading the double itself.
//
// The double keeps items 1-11 as UTF-16 texts, each optionally for one user only. Its log
// has one line per call of its operation tables, in call order, e.g.
//   GetInterface 0x105 -> 0 / Dispose main / Dispose conversion
//   Open <printer> -> 0 / Close / Attributes <item>
//   Get <item> <size> -> <result> / GetUser <item> <user> <size> -> <result>
//   Mode <set> <clear> / Ex <item> / Create <mode> / Param <user>/<key> / Convert <input>
// A conversion of mode m turns its input into "[m]" followed by the input.
#pragma once

#include "win/types.h"

struct JobControlDoubleConfig {
  WORD highestVersion;    // main versions from 0x101 up to this one are offered; 0: none
  BOOL offerConversion;   // version 0x181 is offered
  BOOL refuseOpen;        // opening the printer's items fails
  DWORD capability;       // GetItemValueEx's answer for item 9
};

// Clears the items, the log and the configuration (highest version 0x105, conversion
// offered, open allowed, capability 0).
using JobControlDoubleResetProc = void (*)();
using JobControlDoubleConfigureProc = void (*)(const JobControlDoubleConfig* config);
// Item n := text (null: no item), answered only for user when user is not null.
using JobControlDoubleSetItemProc = void (*)(DWORD item, const WCHAR* text, const WCHAR* user);
// Copies the log text (with a NUL) when it fits; answers the size it needs with the NUL.
using JobControlDoubleLogProc = DWORD (*)(char* buffer, DWORD size);
