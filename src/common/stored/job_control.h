// The job-control binding: moves the job items (user code, owner, passwords, telephone
// data, authentication data, the driver's identity and language) between a context's
// settings and the job-control library (Jobcora32.dll, outside/job_control_abi.h).
//
// Every operation works on one context and keeps the library bound only as long as one
// call or one open/close pair needs it. Binds and opens nest: an event sent inside an open
// pair reuses the binding and its handle, and only the outermost close closes the handle
// and unloads the library.
#pragma once

#include "base/spooler_info.h"
#include "win/types.h"

struct DriverContext;
struct JobControlInterface;

// Item mask bits (JCI_* of context/field_job_items.h) of the driver's own identity: the
// driver name, its version and the language.
constexpr DWORD JCI_DRIVER_NAME = 0x100;
constexpr DWORD JCI_DRIVER_VERSION = 0x200;
constexpr DWORD JCI_LANGUAGE = 0x400;

// The events of the dispatcher. The high word tells how the event treats the binding:
// 1 binds and opens, 2 closes and unbinds, 3 is self-contained, 0 works inside an open pair.
constexpr DWORD JCEV_READ = 0x00100;
constexpr DWORD JCEV_WRITE = 0x00200;
constexpr DWORD JCEV_RESET = 0x00400;
constexpr DWORD JCEV_OPEN = 0x10004;
constexpr DWORD JCEV_CLOSE = 0x20008;
constexpr DWORD JCEV_START = 0x30001;
constexpr DWORD JCEV_READ_MASK = 0x30040;
constexpr DWORD JCEV_WRITE_MASK = 0x30080;

// Module event 57: the driver-version text (item 257) before it is sent; a module may
// change it in place.
constexpr DWORD MODEV_JOB_CONTROL_DRIVER_VERSION = 57;
struct JobControlTextBlock {
  WCHAR* text;
  DWORD chars;  // capacity, terminator included
};

// The dispatcher; the wrappers below call it only while the job-control switch is on.
DWORD SendJobControlEvent(DriverContext* context, DWORD event, DWORD mask);
DWORD JobControlRead(DriverContext* context, DWORD mask);
DWORD JobControlWrite(DriverContext* context, DWORD mask);
DWORD JobControlResetItems(DriverContext* context, DWORD mask);
DWORD JobControlOpen(DriverContext* context);
DWORD JobControlClose(DriverContext* context);
DWORD JobControlStart(DriverContext* context);
DWORD JobControlReadMask(DriverContext* context, DWORD mask);
DWORD JobControlWriteMask(DriverContext* context, DWORD mask);

// One item (1-11, 256-258) between the library and the context; 0 or the library's result,
// 0x20000001 for an item outside the table.
DWORD ReadJobControlItem(DriverContext* context, DWORD item);
DWORD WriteJobControlItem(DriverContext* context, DWORD item, DWORD mode);

// DiscardItemValue of an item when a handle is open, else 0.
DWORD NotifyJobControl(DriverContext* context, DWORD item);
// The language command for kdmLanguageID when a handle is open.
DWORD JobControlRunWithLanguage(DriverContext* context);
// 1 when an item handle is or can be opened; the binding is released before it returns.
int CanOpenJobControlItems(DriverContext* context);
// Copies the remembered log code into kdmUserCode for a local printer that uses one, and
// writes it to the library; always 1.
int SyncUserCodeToJobControl(DriverContext* context);
// When a printer is installed or first used.
void JobControlLogon(DriverContext* context);
// 1 when the library says card authentication is in force (interface 0x105 and later).
int QueryCardAuthentication(DriverContext* context);
// The authentication flags through the handle's authentication-query mode; 0 on failure.
DWORD GetJobControlAuthFlags(const JobControlInterface* instance, DWORD handle);

// Items 1-11 of the mask between their settings and printer data, under each setting's own
// name; items 256-258 are skipped. Both answer 0.
DWORD LoadJobControlItemsFromPrinterData(DriverContext* context, DWORD mask);
DWORD SaveJobControlItemsToPrinterData(DriverContext* context, DWORD mask);
// Empties the settings of items 1-11 of the mask (kdmTelLine becomes 0); nothing reaches
// the library. 0.
DWORD JobControlClearItems(DriverContext* context, DWORD mask);

// GetPrinterInfoForJobControl is the spooler record reader of context/spooler_info.h.

// At document start: with interface 0x105 and card authentication in force, lets the
// library read the card reader's session for the printer. Answers nothing.
void RunJobControlForDocument(HANDLE printer);
