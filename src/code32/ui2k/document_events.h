// DrvDocumentEvent: the document events of the graphics engine in the printing
// application's process.
#pragma once

#include "win/gdi.h"
#include "win/types.h"

// The body of DrvDocumentEvent; only the printer, the device context and the low 16 bits of
// the event are used. 1 for CREATEDCPRE, CREATEDCPOST, STARTDOC, STARTPAGE and
// STARTDOCPOST, 0 (unsupported) for every other event.
int DoDocumentEvent(HANDLE printer, HDC dc, ULONG event, ULONG inputSize, PVOID input, ULONG outputSize,
                    PVOID output);

// True when the printer's "PrnMethod" (its section of the common model INI) begins with
// '5' or '7'.
BOOL IsPrnMethodDirect(HANDLE printer);
// The integer "APIUseFlag" of the same section; 0 when unreadable.
int ReadApiUseFlag(HANDLE printer);
