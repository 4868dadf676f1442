// The helper programs a driver package names in its second model INI (section "Expand
// File"), run once at install from the system or the driver directory.
#pragma once

#include "win/types.h"

struct DriverContext;

// How long one program may run before the install goes on without it (it is then ended).
constexpr DWORD kExpandProgramTimeoutMs = 60000;

// Starts each "SystemDir<n>" program (current directory: the system directory), then each
// "DriverDir<n>" program (the driver directory), hidden, with an empty command line, and
// waits for each at most timeoutMs. Programs that cannot be started are skipped. Answers
// how many programs ran to their end.
int RunExpandFiles(DriverContext* context, DWORD timeoutMs = kExpandProgramTimeoutMs);
