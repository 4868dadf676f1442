// The exports of the spooler-side output DLL (Spoolane.DLL as shipped), as Rendara calls
// them. Each is looked up by name when it is needed; a missing one is not called.
//
// The output handle is the opaque, pointer-sized value the start-document export returns;
// the driver passes it back unchanged. A DLL without either start-document export gets 0.
#pragma once

#include "win/types.h"

namespace rendara {

// "DrvSplStartDocEx", else "DrvSplStartDoc": (printer handle, job id) -> output handle.
using DrvSplStartDocProc = HANDLE (*)(HANDLE printer, DWORD jobId);
// "DrvSplWritePrinter": (output handle, bytes, length, out written) -> BOOL. Writing fewer
// bytes than asked is a failure.
using DrvSplWritePrinterProc = BOOL (*)(HANDLE output, const void* bytes, DWORD length, DWORD* written);
// "DrvSplStartPage", "DrvSplEndPage", "DrvSplEndDoc": (output handle) -> BOOL, which the
// driver does not read.
using DrvSplOutputProc = BOOL (*)(HANDLE output);
// "DrvSplClose": (output handle).
using DrvSplCloseProc = void (*)(HANDLE output);

}  // namespace rendara
