// The one-shot read of the job's items from the job-control library at document start: the
// library is loaded from the system directory, its newest main interface bound, a connection
// opened for the printer, each asked item stored in its setting, and everything released
// again before the call returns.
#pragma once

#include "outside/job_control_library.h"
#include "win/types.h"

struct DriverContext;

namespace rendara {

// The items the rendering DLL asks at document start: 1-5, 8, 9, 10, 11.
constexpr DWORD kStartDocItemMask = 0x389F;

// ReadJobControlItems with kStartDocItemMask. 1.
int RunJobControlAtStartDoc(DriverContext* context, HANDLE printer, DWORD jobId);
// Reads the masked items into their settings. FALSE when the printer information cannot be
// read or the library cannot be loaded; TRUE otherwise (also when nothing could be read).
BOOL ReadJobControlItems(DriverContext* context, HANDLE printer, DWORD jobId, DWORD mask);
// The authentication password (item 10) converted for the printer into text (257 bytes);
// empty when anything fails. 0, or the failing call's result.
DWORD ConvertAuthenticationPassword(HANDLE printer, char* text, const JobControlConversion* conversion,
                                    const JobControlInterface* main, DWORD connection);
// Item as UTF-16 into text (bufferSize bytes, terminated) when the library reports it
// present and non-empty; 0, or -1.
int ReadJobControlItemText(const JobControlInterface* main, DWORD item, DWORD bufferSize, WCHAR* text,
                           DWORD connection);

}  // namespace rendara
