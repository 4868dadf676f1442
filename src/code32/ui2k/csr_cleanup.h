// Removal of what client-side-rendering queues ("\\CSR|..." printers) left behind: their
// sections in the model INI files, the ".ksr" settings companions, Fennic.ini and the
// system install INI, and their values in the job-code registry keys.
#pragma once

#include <string>

#include "win/spool.h"
#include "win/types.h"

// Cleanup types of RemoveCsrLeftovers.
constexpr int kCsrCleanupInitialize = 0;
constexpr int kCsrCleanupAddConnection = 1;
constexpr int kCsrCleanupUpgrade = 2;
constexpr int kCsrCleanupConvert = 3;
constexpr int kCsrCleanupEntry = 4;
constexpr int kCsrCleanupPrinterValues = 5;

// Runs one cleanup type (the table of types is in the .cpp). 0 when the work ran, 1 when no
// record with a printer name could be had. The record is fetched and freed when null.
int RemoveCsrLeftovers(HANDLE printer, const PRINTER_INFO_2W* printerInfo, int mark, int type);
// Type 4 under the driver mutex, without the marker.
int RemoveCsrLeftoversLocked(HANDLE printer, const PRINTER_INFO_2W* printerInfo);
// Type 5: this printer's values in the job-code keys; no lock.
int RemovePrinterJobCodeValues(HANDLE printer, const PRINTER_INFO_2W* printerInfo);

// The model INI of a kind (0 common, 1 per-user) and the ".ksr" files beside it lose their
// CSR sections; when all succeeded, "CSRIniCorrectDone" in section "COMMON" is set to "1"
// (mark non-zero) or deleted. 1 when the INI or its directory cannot be had or does not
// exist; else 0: a file that cannot be read or rewritten stops the work and leaves the
// marker unset, so that a later call tries again.
int StripCsrSectionsFromIniFiles(HANDLE printer, const PRINTER_INFO_2W* printerInfo, int kind, int mark);
// 0 nothing to do (no record, no INI of that kind, or the marker is set), 2 the INI exists
// without the marker, 1 when the path cannot be had.
int NeedsCsrIniCorrection(HANDLE printer, const PRINTER_INFO_2W* printerInfo, int kind);
// which 0: Fennic.ini in the settings root; which 1: KOVA.ini in the system directory.
// The answer of StripCsrSections, 0 when the path cannot be had.
int StripCsrSectionsFromSharedIni(HANDLE printer, const PRINTER_INFO_2W* printerInfo, int which);

// Rewrites the file without its CSR sections: a line that starts with '[' followed by the
// CSR prefix (exact bytes) begins a section that runs to the next line starting with '[' or
// the end. Double-byte characters are stepped over whole. A file without such sections is
// left untouched; a rewrite goes through a temporary file that replaces the old one. 1 when
// the file was read (and, when needed, replaced); 0 when it could not be read or replaced.
int StripCsrSections(const WCHAR* file);
// The kept bytes of an INI text (the walk of StripCsrSections); `dropped` tells whether
// anything was removed.
std::string StripCsrSectionText(const std::string& text, bool* dropped);

// Deletes every value of the key whose 8-bit name begins with the CSR prefix. 1 when the
// key could be opened.
int DeleteCsrValuesInKey(const WCHAR* keyPath, HKEY root);
// Deletes the value named exactly by the printer name in each per-user / per-machine
// job-code key; 0 for a null name, else 1.
int DeletePrinterJobCodeValuesUser(const WCHAR* printerName);
int DeletePrinterJobCodeValuesMachine(const WCHAR* printerName);
