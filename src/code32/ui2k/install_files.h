// The driver package's files brought into place for a printer: the default settings
// package's preset and quality files expanded from their combined file, the files the
// second model INI lists, the package's presets and qualities, and the companion and
// settings-API libraries in the system directory.
#pragma once

#include "win/spool.h"
#include "win/types.h"
#include "install_ini.h"
#include "model_database.h"
#include "model_ini_copy.h"

struct DriverContext;

// The whole package install (flags 4096: the upgrade road). 1 unless a step failed.
int InstallPackageFiles(DriverContext* context, DWORD flags);
// "NumInstallfiles" / "Installfiles<n>" of the section, each synchronised with the driver
// directory. 1 unless a copy failed.
int InstallListedFiles(const WCHAR* iniPath, const WCHAR* section, DriverContext* context);
// The default package's preset and quality files get their sections from the combined
// file. 1 unless a section could not be copied whole.
int ExpandDefaultSettingFiles(DriverContext* context);
