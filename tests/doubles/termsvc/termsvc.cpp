// Test double of the terminal-server test library. Its answer is steered through an
// exported setter, so one built library serves every case.
#include "win/types.h"

namespace {
int g_answer = 1;
}

KOVA_EXPORT int _IsTSE_WMICOM_KOVA_Printer_Driver() { return g_answer; }
KOVA_EXPORT void TermsvcSetAnswer(int answer) { g_answer = answer; }
