// The plug-in list: the plug-ins of one category, registered by their installers under
// HKLM\Software\VANTE\KovaPlugins\<category> and, for the driver package itself, in the
// driver directory's KOVAPLUG.ini.
#pragma once

#include "win/types.h"

struct DriverContext;

struct PluginEntry {
  char* id;
  char* name;         // or null
  char* installPath;  // or null
  DWORD forceRaw;
  DWORD perPrinter;
};
// The first count slots hold entries, with no gaps.
struct PluginList {
  DWORD count;
  PluginEntry** entries;
};
// An intermediate list of ids.
struct StringList {
  DWORD count;
  char** strings;
};

// The plug-ins of a category for an ANSI driver directory without its trailing backslash:
// registry entries first, then those of KOVAPLUG.ini not already listed. Null when neither
// source names a plug-in (or an allocation fails); a list of count 0 when ids were found
// but no entry could be made.
PluginList* BuildPluginList(const char* category, const char* directory);
// Free the entries and their strings (or the strings), the array and the list; accept null.
// Both answer 1.
int FreePluginList(PluginList* list);
int FreeStringList(StringList* list);

// The most ids KOVAPLUG.ini and "PluginIDCount" are read for.
constexpr DWORD kMaxPluginIds = 1024;
// The tool-bar plug-in's fixed identifier.
constexpr const char* kToolbarPluginId = "com.vante.kova.toolbar";

// 1 when one of the printer's "PluginID%d" values (below "PluginIDCount") is the tool-bar
// plug-in's identifier, compared exactly.
int IsVavavUiPluginAssigned(DriverContext* context);
// 1 when the "VavavUI" list has an entry with the tool-bar plug-in's identifier (compared
// without case) and an install path, copied to destination (260 bytes) when given.
int GetVavavUiPluginPath(DriverContext* context, char* destination);
// Writes the printer data value "RCapability".
BOOL SetRCapability(HANDLE printer, DWORD value, DriverContext* context);
