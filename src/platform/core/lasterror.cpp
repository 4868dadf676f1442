#include "win/errors.h"

namespace {
thread_local DWORD t_lastError = 0;
}

extern "C" {
DWORD GetLastError() { return t_lastError; }
void SetLastError(DWORD code) { t_lastError = code; }
}
