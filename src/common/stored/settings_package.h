// Settings packages: when the user saves settings to a file, the driver also writes a
// package under "<settings root>\kova\<time stamp><file name>": a main package file
// ("K<serial>1.ksb") with the current settings, the lists of preset and quality files and
// copies of the stamp and free-size entries, one file per preset ("ksd") and per quality
// ("ksq") in the shipped layout, and a list file ("lst") beside the user's file that names
// them. A later install or another printer takes the user's settings over from it.
#pragma once

#include "win/kernel.h"
#include "win/types.h"

struct DriverContext;

// Characters of a package serial.
constexpr int kPackageSerialChars = 6;

// ((((year x 8928 + month x 744 + day x 24 + hour) - 17588928) x 60 + minute) x 60 +
// second) as an unsigned 32-bit number, and its six base-36 digits ('0'-'9', 'A'-'Z', most
// significant first). Six digits hold values below 36^6; a larger value wraps, so a serial
// never grows past its width.
DWORD PackageTimeValue(const SYSTEMTIME& time);
void MakePackageSerial(DWORD value, WCHAR* serial);
// One added to (taken from) the last of the six characters with carry; past "ZZZZZZ" the
// serial wraps to "000000" (and back).
void AdvancePackageSerial(WCHAR* serial);
void RetreatPackageSerial(WCHAR* serial);

// The main package path into destination (MAX_PATH characters) and its directories made.
// 0 when the settings root cannot be found (destination untouched) or a directory cannot
// be made (the path is still built).
int MakePackageFileName(const WCHAR* userFile, WCHAR* destination, DriverContext* context);
// The package keys, the main package file's lists and copies, the preset and quality files
// and the list file; every step must succeed for the next. 1 or 0.
int ExportSettingsPackage(const WCHAR* userFile, const WCHAR* mainPackage, DriverContext* context);
// With the user file's list file: removes the package directory of its "DefaultKst" file
// and the list file. A "DefaultKst" that does not lie directly in a package directory under
// "<settings root>\kova" (or climbs with "..") removes nothing but the list file. 1, or 0
// when no buffer can be had.
int DeletePackage(const WCHAR* userFile, DriverContext* context);
// Every file of the path's directory, then the directory; the result of the last step.
BOOL RemoveDirectoryTree(const WCHAR* path);
// The names a list file gives: "DefaultKst" first, kept only when it lies directly in a
// package directory under "<settings root>\kova", then each "OtherFiles<n>" that lies
// directly in that same directory (no "..", no other folder). Answers how many were stored
// into names (count entries of MAX_PATH characters); 0 when "DefaultKst" is refused.
int ReadPackageFileNames(const WCHAR* listFile, WCHAR (*names)[MAX_PATH], int count, DriverContext* context);

// "VANTEINFO" of [PrinterInformation] from the source into the target.
BOOL CopyPrinterInformation(const WCHAR* source, const WCHAR* target);
// The model's value (at most 32 characters) in section "Models" of the second model INI,
// kept in the work area; null when empty.
const WCHAR* GetModelDatabaseEntry(DriverContext* context);
