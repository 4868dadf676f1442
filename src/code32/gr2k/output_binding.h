// The output of a print job: the spooler-side output DLL named by the product record,
// loaded from the printer driver directory, or a chain of filter plug-ins whose first DLL
// is loaded and handed the list of every filter path and the output DLL's path. Also the
// PATH handling that lets the output DLL and its own dependencies load from the driver
// directory.
#pragma once

#include "render_device.h"

namespace rendara {

// The printer driver directory (withName false) or the output DLL's full path (withName
// true) into a 260-character buffer; the directory is added to the process's PATH when
// PATH does not hold it yet. FALSE without a driver path, with one over 240 characters,
// without a backslash in it, or (with the name) without an output DLL name or when the
// path would not fit.
BOOL LocateOutputDll(RenderDevice* device, HANDLE printer, WCHAR* path, BOOL withName);
// Whether a PATH value lacks the directory. FALSE when either is missing, the directory is
// empty, or it holds two backslashes in a row or ends in one (such a directory is never
// added).
BOOL IsDirectoryMissingFromPath(const WCHAR* pathValue, const WCHAR* directory);
// The Windows directory, a backslash and the name; FALSE with an empty result when it does
// not fit in size characters or an argument is missing.
BOOL BuildWindowsPath(WCHAR* out, DWORD size, const WCHAR* name);

// The filter path list: the install paths of the listed plug-ins in list order, the output
// DLL path, a null pointer; count = filter paths + 2. Null when memory runs out.
FilterPathList* BuildFilterPathList(const PluginList* plugins, const char* outputPath);
void FreeFilterPathList(FilterPathList* list);

// Binds the loaded filter DLL's interface: TRUE when IKOVAGetInterface exists and hands
// out an interface.
BOOL BindFilterInterface(RenderDevice* device);
// Locates and loads the output (first filter, else the output DLL) and binds the write
// callback; FALSE when nothing usable could be bound.
BOOL BindOutput(RenderDevice* device);
BOOL OutputStartDoc(RenderDevice* device, DWORD jobId);
void OutputStartPage(RenderDevice* device);
BOOL OutputEndPage(RenderDevice* device);
// Ends the document on the output, closes it and unloads the module.
void OutputEndDoc(RenderDevice* device);

// Frees the plug-in list and the filter path list and clears filter in use.
void DropFilters(RenderDevice* device);

}  // namespace rendara
