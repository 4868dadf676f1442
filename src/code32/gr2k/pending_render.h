// Operations that the rendering spine calls but whose own subsystems are built later: the
// device-mode merge, the header texts
// from the model's command groups, the plug-in list, the
// device fonts, the glyph cache, the band copy and the image records. Each has its final name and signature
// and the least behaviour the spine needs now; every one is marked PENDING below.
//
// They live in namespace rendara so that the common library's own definitions, when they
// come, do not collide with these.
#pragma once

#include <cstdint>

#include "win/devmode.h"
#include "win/types.h"
#include "win/winddi.h"

struct DriverContext;

#include "context/devmode_merge.h"
#include "header_text.h"
#include "image_records.h"

namespace rendara {

struct RenderDevice;
struct RecordBuffer;

// ---- device-mode merge -----------------------------------------------------------------
// The merge of the common code: 1 done, 0 when a working copy could not be allocated.
using ::MergeDevmode;

// ---- two-way cache --------------------------------------------------------------------
// The cached two-way flag of the printer, when the two-way cache file holds a result for
// it.
// PENDING: the printer-communication issue reads the cached "BidiFlag" of Fennicb.ini;
// until then no result is cached (false).
bool ReadCachedBidiFlag(DriverContext* context, DWORD* flag);

// ---- plug-in list ----------------------------------------------------------------------
struct PluginEntry {
  char* id;
  char* name;         // or null
  char* installPath;  // or null
  DWORD forceRaw;
  DWORD perPrinter;
};
struct PluginList {
  DWORD count;
  PluginEntry** entries;
};
// The plug-ins of a category for an 8-bit driver directory (without its trailing
// backslash), or null when none is listed.
// PENDING: the plug-in issue replaces this with the common code's list, which reads the
// registry key "Software\VANTE\KovaPlugins\<category>" first. Until then only the driver
// directory's KOVAPLUG.ini is read: section <category> "Count" and "PluginID%d"; section
// <id> "Name", "InstallPath" (made absolute with the directory), "ForceRAW", "PerPrinter".
PluginList* CreatePluginList(const char* category, const char* directory);
// Frees the entries, their strings, the array and the list; null is accepted. 1.
int FreePluginList(PluginList* list);

// ---- device fonts and glyph cache ------------------------------------------------------
// PENDING: the device-font issue loads the four resource fonts; until then none (0).
DWORD LoadDeviceFonts(RenderDevice* device);
void FreeDeviceFonts(RenderDevice* device);
// PENDING: the glyph-cache issue clears the buckets; until then nothing is cached, so only
// the generation counter moves on.
void ClearGlyphCache(RenderDevice* device);

}  // namespace rendara
