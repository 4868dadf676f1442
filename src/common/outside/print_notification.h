// Print notification: whether the printer can tell the user that a job completed or failed,
// and which of the two the user switched on, from the print-notification library
// (Notifinf.dll in the system folder), copied into four function-select settings.
#pragma once

#include "win/types.h"

struct DriverContext;

constexpr DWORD PNQ_CAPABILITIES_ONLY = 0x1;

using PrintNotificationCapabilityProc = DWORD (*)(const char* printerName, DWORD* capabilities);
using PrintNotificationValueProc = DWORD (*)(DWORD* value);

void QueryPrintNotification(DriverContext* context, DWORD flags);
