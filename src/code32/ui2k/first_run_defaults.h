// First-run values of a printer: what the installer left in Fennic.ini (display language,
// default paper and unit, user code) applied to the settings once, or the user's locale
// defaults written there when it left none.
#pragma once

#include "win/types.h"

struct DriverContext;

// The first-run keys when present and not yet applied, else the locale defaults; then the
// help file's language and the product's paper default; the result goes to kdmLanguageID,
// kdmDspLanguageID, kdmLocaleID, kdmDspUnit and dmPaperSize.
void LoadInstallDefaults(const WCHAR* section, DriverContext* context);
// Fennic.ini exists, "KovaInstDone" reads 0 and "DispLang" is present: the keys go to the
// work area and "KovaInstDone" := "1". 1 when they were read.
int ReadFirstRunKeys(const WCHAR* section, DriverContext* context);
// The display language of the user's locale (the help file's when the language table lacks
// it), and paper, unit and country code from the locale's country.
void SetFirstRunLocaleDefaults(const WCHAR* section, DriverContext* context);
// The settings' language, paper, unit and user code written as first-run keys of the
// section, then applied and marked at once.
void SaveFirstRunKeys(const WCHAR* section, DriverContext* context);
// The user code keys of the section: mode 0 the settings' user code, mode 2 emptied.
void SaveUserCodeFirstRunKeys(const WCHAR* section, int mode, DriverContext* context);
